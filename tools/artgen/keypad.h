// The kit's 22 keys as the board picture shows them, indexed by key id (0..15 the
// hexadecimal keys, 16 STOP, 17 ADR, 18 READ, 19 WRITE, 20 CLEAR, 21 RUN): where
// each lies on the board, in pixels of the 556 x 600 picture, and what is printed
// on it. The key sheets are the keypad region of the board cut out.
#pragma once

#include <cairo.h>

namespace korvel::art {

struct KeyFace {
    const char* legend;
    bool function;    // function keys have red legends, hexadecimal keys blue ones
    const char* note; // the solfège name of the key's note, in katakana; null for none
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int keyCount = 22;
extern const KeyFace keyFaces[keyCount];

// The keypad region of the board, which the key sheets are cut from.
inline constexpr int keypadLeft = 308;
inline constexpr int keypadTop = 373;
inline constexpr int keypadSize = 198;

// Draws one key at its place on the board, released or pressed in.
void drawKey(cairo_t* cr, const KeyFace& key, bool pressed);

} // namespace korvel::art
