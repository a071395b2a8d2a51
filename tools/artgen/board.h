// The board picture: the kit's circuit board seen from above, 556 x 600 pixels,
// the main window's background. It carries the LED display with its four digits
// unlit (each exactly cell 0 of the LED strip) and the keypad with its 22 keys.
#pragma once

#include "image.h"
#include "panelLayout.h"

namespace korvel::art {

// The board with every key released, or with every key pressed in (the source
// of the pressed key sheet).
Image renderBoard(bool keysPressed);

} // namespace korvel::art
