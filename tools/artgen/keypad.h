// The kit's 22 keys as the board picture shows them, indexed by key id (0..15 the
// hexadecimal keys, 16 STOP, 17 ADR, 18 READ, 19 WRITE, 20 CLEAR, 21 RUN): what
// is printed on each. Where each lies is layout::keyPlaces (panelLayout.h).
#pragma once

#include "resources/panelLayout.h"

#include <cairo.h>

namespace korvel::art {

struct KeyFace {
    const char* legend;
    bool function;    // function keys have red legends, hexadecimal keys blue ones
    const char* note; // the solfège name of the key's note, in katakana; null for none
};

inline constexpr int keyCount = static_cast<int>(layout::keyPlaces.size());
extern const KeyFace keyFaces[keyCount];

// Draws one key at its place on the board, released or pressed in.
void drawKey(cairo_t* cr, const KeyFace& key, const layout::Place& place, bool pressed);

} // namespace korvel::art
