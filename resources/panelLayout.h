// Where things lie on the board picture, which is also the main window's client
// area pixel for pixel: the LED digit cells and the 22 keys. The artwork
// generator draws them there and the Windows front end paints digits and places
// key buttons there, both from this one table. Pixels, origin at the top left.
#pragma once

#include <array>

namespace korvel::layout {

inline constexpr int boardWidth = 556;
inline constexpr int boardHeight = 600;

// One cell of the LED strip, and the four display positions (0 leftmost).
inline constexpr int ledCellWidth = 19;
inline constexpr int ledCellHeight = 24;
inline constexpr int ledPositions = 4;
inline constexpr int ledTop = 237;
inline constexpr int ledCellLeft(int position) {
    return 109 + 29 * position;
}

struct Place {
    int x, y, width, height;
};

// The key sheets are this region of the board cut out.
inline constexpr Place keypad = {308, 373, 198, 198};

// By KeyId: 0..15 the hexadecimal keys, 16 STOP, 17 ADR, 18 READ, 19 WRITE,
// 20 CLEAR, 21 RUN. Keys 2, 6, A, E and WRITE are a pixel narrower and the row
// 4..7 a pixel lower; neighbours are one pixel apart.
inline constexpr std::array<Place, 22> keyPlaces = {{
    {308, 532, 39, 39}, {348, 532, 39, 39}, {388, 532, 38, 39}, {427, 532, 39, 39}, // 0..3
    {308, 493, 39, 38}, {348, 493, 39, 38}, {388, 493, 38, 38}, {427, 493, 39, 38}, // 4..7
    {308, 453, 39, 39}, {348, 453, 39, 39}, {388, 453, 38, 39}, {427, 453, 39, 39}, // 8..B
    {308, 413, 39, 39}, {348, 413, 39, 39}, {388, 413, 38, 39}, {427, 413, 39, 39}, // C..F
    {467, 413, 39, 39},                                                             // STOP
    {308, 373, 39, 39}, {348, 373, 39, 39}, {388, 373, 38, 39}, {427, 373, 39, 39}, // ADR..CLEAR
    {467, 373, 39, 39},                                                             // RUN
}};

} // namespace korvel::layout
