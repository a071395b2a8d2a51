// What the four-digit LED shows in each mode, as strip cells for painting and
// as words for a screen reader.
//
// Clock: hours and minutes with the point after the hour's units digit lit
// while colonLit is 1. Entry: the digit registers d3..d0. Every other mode is
// dark. The reading ignores the colon's blinking so that it changes at most
// once a minute in Clock mode.
#pragma once

#include "model/kit.h"

#include <array>
#include <cstdint>
#include <string>

namespace korvel {

constexpr int ledDigitCount = 4;
constexpr int colonDigit = 1;

// Cells of the LED strip: 0 blank, 1..16 hex 0..F, 17..26 decimal 0..9 with the point.
constexpr uint32_t blankCell = 0;
constexpr uint32_t ledCellCount = 27;
constexpr uint32_t hexCell(uint32_t digit) {
    return digit + 1;
}
constexpr uint32_t pointCell(uint32_t digit) {
    return digit + 17;
}

using LedCells = std::array<uint32_t, ledDigitCount>; // leftmost first

LedCells ledCells(const KitState& kit);
// The hour's units digit with the colon point while colonLit is 1, as Clock
// mode shows it at colonDigit. It ignores the mode: a paint of that cell alone
// follows a colon blink, which only Clock mode asks for.
uint32_t colonCell(const KitState& kit);
// "09:05" in Clock, "1 A B D" in Entry, "dark" otherwise.
std::string ledReading(const KitState& kit);

} // namespace korvel
