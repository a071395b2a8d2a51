#include "ledStrip.h"

namespace korvel::art {

namespace {

// A segment is a bar three pixels thick with bevelled ends: the middle line runs
// from `from` to `to` along the bar, the two side lines stop one pixel short.
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

void plot(Image& image, int along, int across, bool horizontal, Rgb colour) {
    if (horizontal)
        image.at(along, across) = colour;
    else
        image.at(across, along) = colour;
}

void drawBar(Image& cell, const Bar& bar, Rgb colour) {
    for (int along = bar.from; along <= bar.to; ++along) {
        plot(cell, along, bar.across, bar.horizontal, colour);
        if (along > bar.from && along < bar.to) {
            plot(cell, along, bar.across - 1, bar.horizontal, colour);
            plot(cell, along, bar.across + 1, bar.horizontal, colour);
        }
    }
}

void drawPoint(Image& cell, Rgb colour) {
    const Pixel c = pointCentre;
    for (Pixel p :
         {c, Pixel{c.x - 1, c.y}, Pixel{c.x + 1, c.y}, Pixel{c.x, c.y - 1}, Pixel{c.x, c.y + 1}})
        cell.at(p.x, p.y) = colour;
}

} // namespace

Pixel segmentCentre(int segment) {
    const Bar& bar = segmentBars[segment];
    const int middle = (bar.from + bar.to) / 2;
    return bar.horizontal ? Pixel{middle, bar.across} : Pixel{bar.across, middle};
}

Image renderLedCell(int cell) {
    const bool dotted = cell >= ledFirstDottedCell;
    const unsigned lit =
        cell == 0 ? 0 : digitSegments[dotted ? cell - ledFirstDottedCell : cell - 1];
    Image image(ledCellWidth, ledCellHeight, ledBackground);
    for (int segment = 0; segment < segmentCount; ++segment)
        drawBar(image, segmentBars[segment], (lit >> segment & 1) ? ledLit : ledUnlit);
    drawPoint(image, dotted ? ledLit : ledUnlit);
    return image;
}

Image renderLedStrip() {
    Image strip(ledCellWidth * ledCellCount, ledCellHeight);
    for (int cell = 0; cell < ledCellCount; ++cell)
        strip.paste(renderLedCell(cell), cell * ledCellWidth, 0);
    return strip;
}

} // namespace korvel::art
