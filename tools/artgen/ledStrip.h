// The LED digit strip: one row of 27 seven-segment cells, 19 x 24 pixels each.
// Cell 0 is blank, cells 1..16 show the hexadecimal digits 0..F and cells
// 17..26 the decimal digits 0..9 with the point lit. The painter copies one cell
// per display position; the board picture carries cell 0 at each position.
// Segments are set pixel by pixel, never antialiased, so every pixel of a segment
// is exactly the lit or the unlit colour. At a larger scale (the high-density
// strip) the same shapes are set on the finer pixel grid. Used by the generator
// and its tests.
#pragma once

#include "resources/panelLayout.h"
#include "tools/artgen/image.h"

namespace korvel::art {

using layout::ledCellHeight;
using layout::ledCellWidth;
inline constexpr int ledCellCount = 27;
inline constexpr int ledFirstDottedCell = 17;

inline constexpr Rgb ledBackground{56, 35, 8};
inline constexpr Rgb ledLit{255, 0, 0};
inline constexpr Rgb ledUnlit{96, 35, 8};

// Segments a (top), b (upper right), c (lower right), d (bottom), e (lower left),
// f (upper left), g (middle), as indices 0..6.
inline constexpr int segmentCount = 7;

struct Pixel {
    int x;
    int y;
};

// A pixel in the middle of a segment, in cell coordinates.
Pixel segmentCentre(int segment);
// The decimal point is a five-pixel plus around this pixel.
inline constexpr Pixel pointCentre{17, 22};

// The whole strip, cells left to right, `scale` pixels to a cell pixel.
Image renderLedStrip(int scale = 1);
// Cell n of the strip, `scale` pixels to a cell pixel.
Image renderLedCell(int cell, int scale = 1);

} // namespace korvel::art
