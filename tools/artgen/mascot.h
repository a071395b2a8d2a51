// The mascot of the About dialog: a cheerful boy in headphones, of our own design,
// drawn on a transparent 150 x 203 pixel canvas; the application icon shows his face.
#pragma once

#include "tools/artgen/canvas.h"

namespace korvel::art {

inline constexpr int mascotWidth = 150;
inline constexpr int mascotHeight = 203;

void drawMascot(cairo_t* cr);

// His head, scaled to fill a square canvas of `size` pixels. Small sizes leave out
// details that would only blur.
void drawMascotFace(cairo_t* cr, int size);

} // namespace korvel::art
