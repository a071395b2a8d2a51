// A plain 24-bit RGB raster, the common currency of the artwork generator and of
// the resource tests. Pixels are stored row by row from the top-left corner.
#pragma once

#include <cstdint>
#include <vector>

namespace korvel::art {

struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(Rgb x, Rgb y) { return x.r == y.r && x.g == y.g && x.b == y.b; }
    friend bool operator!=(Rgb x, Rgb y) { return !(x == y); }
};

inline constexpr Rgb black{0, 0, 0};
inline constexpr Rgb white{255, 255, 255};

struct Image {
    int width = 0;
    int height = 0;
    std::vector<Rgb> pixels;

    Image() = default;
    Image(int w, int h, Rgb fill = black)
        : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

    Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    Rgb at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }

    // The w x h block whose top-left corner is (x, y); it must lie inside.
    Image crop(int x, int y, int w, int h) const;
    // Copies all of source with its top-left corner at (x, y); it must fit.
    void paste(const Image& source, int x, int y);
};

inline Image Image::crop(int x, int y, int w, int h) const {
    Image part(w, h);
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col) part.at(col, row) = at(x + col, y + row);
    return part;
}

inline void Image::paste(const Image& source, int x, int y) {
    for (int row = 0; row < source.height; ++row)
        for (int col = 0; col < source.width; ++col) at(x + col, y + row) = source.at(col, row);
}

} // namespace korvel::art
