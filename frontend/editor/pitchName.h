// Concert names for the kit's tones, as a musician reads them: the nearest
// equal-tempered note (A4 = 440 Hz, C4 = middle C) and how far the tone lies
// from it in cents, e.g. "A4 −12¢". Pitches are on the MIDI scale (69 = A4).
#pragma once

#include <string>

namespace korvel {

struct ConcertPitch {
    int note;  // MIDI note number of the nearest note
    int cents; // the pitch less that note, rounded: -50..50
};

ConcertPitch concertPitch(double pitch);
// "A4", "C#5", for a MIDI note number.
std::string concertNoteName(int note);
// "A4 −12¢", "C5 +3¢", "E4 ±0¢" (UTF-8, with a true minus sign).
std::string concertPitchText(double pitch);

} // namespace korvel
