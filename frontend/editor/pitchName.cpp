// Concert note names and cents.
#include "frontend/editor/pitchName.h"

#include <array>
#include <cmath>

namespace korvel {
namespace {

constexpr std::array<const char*, 12> letterNames = {"C",  "C#", "D",  "D#", "E",  "F",
                                                     "F#", "G",  "G#", "A",  "A#", "B"};
constexpr int semitonesPerOctave = 12;
constexpr int octaveZeroNote = 12; // MIDI 12 is C0

constexpr const char* minusSign = "\u2212";
constexpr const char* plusMinusSign = "\u00B1";
constexpr const char* centSign = "\u00A2";

} // namespace

ConcertPitch concertPitch(double pitch) {
    const int note = static_cast<int>(std::lround(pitch));
    return {note, static_cast<int>(std::lround((pitch - note) * 100))};
}

std::string concertNoteName(int note) {
    const int fromC0 = note - octaveZeroNote;
    const int octave =
        (fromC0 >= 0 ? fromC0 : fromC0 - (semitonesPerOctave - 1)) / semitonesPerOctave;
    return letterNames[fromC0 - octave * semitonesPerOctave] + std::to_string(octave);
}

std::string concertPitchText(double pitch) {
    const ConcertPitch nearest = concertPitch(pitch);
    const char* sign = nearest.cents < 0 ? minusSign : nearest.cents > 0 ? "+" : plusMinusSign;
    return concertNoteName(nearest.note) + " " + sign + std::to_string(std::abs(nearest.cents)) +
           centSign;
}

} // namespace korvel
