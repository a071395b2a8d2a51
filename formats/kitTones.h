// The kit's tones as musical pitches, for moving tunes between the kit and
// MIDI files.
//
// A tone's pitch follows from its period in the tone bank's phase tables at
// 22050 samples per second, on the MIDI scale: semitones, 69 = A 440 Hz.
#pragma once

#include <cstdint>

namespace korvel::formats {

// For a tone index that sounds (hasTone, not the silence).
double tonePitch(uint32_t toneIndex);

struct NearestTone {
    uint32_t toneIndex;
    double cents; // the tone's pitch less the pitch asked for
};

// The tone a tune step can sound nearest in pitch (never divider 7, whose
// steps are jumps); of tones with the same period, the one of the smallest
// divider, as a tune is written by hand.
NearestTone nearestTone(double pitch);

// The pitches the kit reaches: within half a semitone of its lowest and highest tone.
double lowestReach();
double highestReach();

} // namespace korvel::formats
