// The board picture: the kit's circuit board seen from above, 556 x 600 pixels,
// the main window's background. It carries the LED display with its four digits
// unlit (each exactly cell 0 of the LED strip) and the keypad with its 22 keys.
#pragma once

#include "image.h"

namespace korvel::art {

inline constexpr int boardWidth = 556;
inline constexpr int boardHeight = 600;

// Top-left corner of the LED digit at position 0 (leftmost) to 3 on the board.
inline constexpr int ledDigitLeft(int position) {
    return 109 + 29 * position;
}
inline constexpr int ledDigitTop = 237;

// The board with every key released, or with every key pressed in (the source
// of the pressed key sheet).
Image renderBoard(bool keysPressed);

} // namespace korvel::art
