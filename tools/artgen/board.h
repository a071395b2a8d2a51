// The board picture: the kit's circuit board seen from above, 556 x 600 pixels,
// the main window's background. It carries the LED display with its four digits
// unlit (each exactly cell 0 of the LED strip) and the keypad with its 22 keys.
#pragma once

#include "resources/panelLayout.h"
#include "tools/artgen/image.h"

namespace korvel::art {

// The board with every key released, or with every key pressed in (the source
// of the pressed key sheet), drawn `scale` times the size for high-density
// screens: every place in panelLayout.h times `scale`.
Image renderBoard(bool keysPressed, int scale = 1);

} // namespace korvel::art
