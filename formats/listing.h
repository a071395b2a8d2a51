// The step listing: one line per melody step the player examines, so that
// someone who typed a tune in can find their typing mistakes.
//
// A line gives the step's nibble address in hex, its four digits as they read
// on the LED (s3 s2 s1 s0), its kind, and for notes and rests the tone, the
// length in samples and in milliseconds, e.g.
//   020  3405  note           mi   divider 3    2205 bytes    100.0 ms
#pragma once

#include "model/melody.h"

#include <string>

namespace korvel::formats {

// kind and followed as the player reports them; tempo sets the length.
std::string listingLine(const MelodyStep& step, StepKind kind, bool followed, uint32_t tempo);

// "do" .. "si" for note numbers 0..11.
const char* noteName(uint32_t noteNumber);

} // namespace korvel::formats
