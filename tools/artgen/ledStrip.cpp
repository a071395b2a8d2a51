#include "tools/artgen/ledStrip.h"

#include <cmath>

namespace korvel::art {

namespace {

// A segment is a bar three cell pixels thick with bevelled ends: at scale 1 the
// middle line runs from `from` to `to` along the bar, the two side lines stop one
// pixel short.
struct Bar {
    bool horizontal;
    int across; // the middle line's row (horizontal) or column (vertical)
    int from;
    int to;
};

constexpr Bar segmentBars[segmentCount] = {
    {true, 2, 5, 13},    // a
    {false, 15, 3, 10},  // b
    {false, 15, 12, 19}, // c
    {true, 20, 5, 13},   // d
    {false, 3, 12, 19},  // e
    {false, 3, 3, 10},   // f
    {true, 11, 5, 13},   // g
};

// Lit segments of the hexadecimal digits 0..F, bit n for segment n (a = bit 0).
// B and D appear in lower case; 6 has its top, 7 its upper left, 9 its bottom.
constexpr unsigned digitSegments[16] = {
    0b0111111, // 0 abcdef
    0b0000110, // 1 bc
    0b1011011, // 2 abdeg
    0b1001111, // 3 abcdg
    0b1100110, // 4 bcfg
    0b1101101, // 5 acdfg
    0b1111101, // 6 acdefg
    0b0100111, // 7 abcf
    0b1111111, // 8 abcdefg
    0b1101111, // 9 abcdfg
    0b1110111, // A abcefg
    0b1111100, // b cdefg
    0b0111001, // C adef
    0b1011110, // d bcdeg
    0b1111001, // E adefg
    0b1110001, // F aefg
};

// Whether a point, in cell pixels, lies in the bar: within a pixel and a half of
// the middle line and inside the 45-degree bevels at its ends. A pixel is set
// where its centre lies inside, so scale 1 gives the shape described above and
// finer grids smoother bevels.
bool insideBar(const Bar& bar, double x, double y) {
    const double along = bar.horizontal ? x : y;
    const double offset = std::abs((bar.horizontal ? y : x) - (bar.across + 0.5));
    return offset <= 1.5 && along - bar.from >= offset && bar.to + 1 - along >= offset;
}

// At scale 1 a five-pixel plus around pointCentre; finer grids round its corners.
bool insidePoint(double x, double y) {
    return std::abs(x - (pointCentre.x + 0.5)) + std::abs(y - (pointCentre.y + 0.5)) <= 1.75;
}

} // namespace

Pixel segmentCentre(int segment) {
    const Bar& bar = segmentBars[segment];
    const int middle = (bar.from + bar.to) / 2;
    return bar.horizontal ? Pixel{middle, bar.across} : Pixel{bar.across, middle};
}

Image renderLedCell(int cell, int scale) {
    const bool dotted = cell >= ledFirstDottedCell;
    const unsigned lit =
        cell == 0 ? 0 : digitSegments[dotted ? cell - ledFirstDottedCell : cell - 1];
    Image image(ledCellWidth * scale, ledCellHeight * scale, ledBackground);
    for (int row = 0; row < image.height; ++row)
        for (int col = 0; col < image.width; ++col) {
            const double x = (col + 0.5) / scale;
            const double y = (row + 0.5) / scale;
            for (int segment = 0; segment < segmentCount; ++segment)
                if (insideBar(segmentBars[segment], x, y))
                    image.at(col, row) = (lit >> segment & 1) ? ledLit : ledUnlit;
            if (insidePoint(x, y)) image.at(col, row) = dotted ? ledLit : ledUnlit;
        }
    return image;
}

Image renderLedStrip(int scale) {
    Image strip(ledCellWidth * ledCellCount * scale, ledCellHeight * scale);
    for (int cell = 0; cell < ledCellCount; ++cell)
        strip.paste(renderLedCell(cell, scale), cell * ledCellWidth * scale, 0);
    return strip;
}

} // namespace korvel::art
