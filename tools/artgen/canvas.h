// Cairo drawing surfaces for the artwork and their conversion into the 24-bit
// forms the resources need: opaque pictures, AND/OR picture-and-mask pairs for
// the About dialog, and icon images with their 1-bit masks. Cairo units are pixels.
#pragma once

#include "tools/artgen/icoFile.h"
#include "tools/artgen/image.h"

#include <cairo.h>

namespace korvel::art {

// A transparent ARGB surface of the given size with a context drawing on it.
class Canvas {
  public:
    Canvas(int width, int height);
    ~Canvas();
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return cr_; }
    int width() const { return width_; }
    int height() const { return height_; }

    // The drawing composited over a solid backdrop.
    Image flatten(Rgb backdrop) const;
    // The drawing as a PNG file, 8-bit RGBA with its soft edges kept.
    Bytes png() const;

  private:
    // One pixel as Cairo keeps it: colour premultiplied by alpha, each 0..255.
    struct Premultiplied {
        int r, g, b, alpha;
    };
    Premultiplied pixel(int x, int y) const;

    friend struct MaskedPicture;
    friend IconImage iconImage(const Canvas&);

    int width_;
    int height_;
    cairo_surface_t* surface_;
    cairo_t* cr_;
};

// A picture drawn in two copies, first the mask with AND, then the picture with OR.
// The mask is white where the window behind shows and black where the picture is
// opaque; the picture is black where it is transparent. The two raster passes know
// no partial cover, so soft edges are blended over the window colour they will
// most likely land on.
struct MaskedPicture {
    Image picture;
    Image mask;

    MaskedPicture(const Canvas& canvas, Rgb likelyBackground);
};

// An icon image: pixels at least half covered are opaque, the rest transparent.
IconImage iconImage(const Canvas& canvas);

inline constexpr double pi = 3.14159265358979323846;

void setColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
// Makes a top-to-bottom blend from `from` at `top` to `to` at `bottom` the source.
void setVerticalGradient(cairo_t* cr, double top, double bottom, Rgb from, Rgb to);
// Adds a rectangle with corners rounded to radius `r` to the path.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double r);

} // namespace korvel::art
