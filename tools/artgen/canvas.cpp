#include "tools/artgen/canvas.h"

#include <cstdint>
#include <stdexcept>
#include <string>

namespace korvel::art {

namespace {

// Below this cover a soft edge pixel is left out of the mask: blending it over a
// guessed window colour would show a halo on any other colour.
constexpr int maskCoverThreshold = 64;
constexpr int iconCoverThreshold = 128;

std::uint8_t over(int premultiplied, int alpha, int backdrop) {
    return static_cast<std::uint8_t>((premultiplied * 255 + (255 - alpha) * backdrop + 127) / 255);
}

std::uint8_t straight(int premultiplied, int alpha) {
    return static_cast<std::uint8_t>(alpha == 0 ? 0 : (premultiplied * 255 + alpha / 2) / alpha);
}

} // namespace

Canvas::Canvas(int width, int height)
    : width_(width), height_(height),
      surface_(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      cr_(cairo_create(surface_)) {
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error("cannot create a drawing surface of " + std::to_string(width) +
                                 " x " + std::to_string(height));
}

Canvas::~Canvas() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

Canvas::Premultiplied Canvas::pixel(int x, int y) const {
    cairo_surface_flush(surface_);
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    const std::uint32_t argb = reinterpret_cast<const std::uint32_t*>(row)[x];
    return {static_cast<int>(argb >> 16 & 0xFF), static_cast<int>(argb >> 8 & 0xFF),
            static_cast<int>(argb & 0xFF), static_cast<int>(argb >> 24)};
}

Image Canvas::flatten(Rgb backdrop) const {
    Image image(width_, height_);
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x) {
            Premultiplied p = pixel(x, y);
            image.at(x, y) = {over(p.r, p.alpha, backdrop.r), over(p.g, p.alpha, backdrop.g),
                              over(p.b, p.alpha, backdrop.b)};
        }
    return image;
}

Bytes Canvas::png() const {
    Bytes file;
    auto append = [](void* closure, const unsigned char* data, unsigned int length) {
        Bytes& out = *static_cast<Bytes*>(closure);
        out.insert(out.end(), data, data + length);
        return CAIRO_STATUS_SUCCESS;
    };
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface_, append, &file);
    if (status != CAIRO_STATUS_SUCCESS)
        throw std::runtime_error(std::string("cannot encode a PNG: ") +
                                 cairo_status_to_string(status));
    return file;
}

MaskedPicture::MaskedPicture(const Canvas& canvas, Rgb likelyBackground)
    : picture(canvas.flatten(likelyBackground)), mask(canvas.width(), canvas.height(), black) {
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y).alpha < maskCoverThreshold) {
                mask.at(x, y) = white;
                picture.at(x, y) = black;
            }
}

IconImage iconImage(const Canvas& canvas) {
    IconImage icon{Image(canvas.width(), canvas.height()), {}};
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            Canvas::Premultiplied p = canvas.pixel(x, y);
            const bool opaque = p.alpha >= iconCoverThreshold;
            if (opaque)
                icon.colour.at(x, y) = {straight(p.r, p.alpha), straight(p.g, p.alpha),
                                        straight(p.b, p.alpha)};
            icon.transparent.push_back(!opaque);
        }
    return icon;
}

void setColour(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.r / 255.0, colour.g / 255.0, colour.b / 255.0, alpha);
}

void setVerticalGradient(cairo_t* cr, double top, double bottom, Rgb from, Rgb to) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(0, top, 0, bottom);
    cairo_pattern_add_color_stop_rgb(gradient, 0, from.r / 255.0, from.g / 255.0, from.b / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1, to.r / 255.0, to.g / 255.0, to.b / 255.0);
    cairo_set_source(cr, gradient);
    cairo_pattern_destroy(gradient);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + h - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

} // namespace korvel::art
