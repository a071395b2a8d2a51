// The About dialog's title lettering: "KORVEL" in round-pen letters of our own,
// drawn on a transparent 350 x 99 pixel canvas.
#pragma once

#include "tools/artgen/canvas.h"

namespace korvel::art {

inline constexpr int logoWidth = 350;
inline constexpr int logoHeight = 99;

void drawLogo(cairo_t* cr);

} // namespace korvel::art
