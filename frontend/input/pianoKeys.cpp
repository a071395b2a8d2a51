// The piano keys' semitones and the kit tones they give.
#include "frontend/input/pianoKeys.h"

#include "formats/kitTones.h"

#include <cctype>
#include <cstring>

namespace korvel {
namespace {

// By semitone: the lower row's octave, then the upper row's.
constexpr char pianoLayout[] = "ZSXDCVGBHNJMQ2W3ER5T6Y7U";
constexpr int semitonesPerOctave = 12;

} // namespace

std::optional<int> pianoSemitone(char key) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(key)));
    const char* found = upper ? std::strchr(pianoLayout, upper) : nullptr;
    if (!found) return std::nullopt;
    return static_cast<int>(found - pianoLayout);
}

double pianoPitch(int octave, int semitone) {
    return (octave + 1) * semitonesPerOctave + semitone;
}

std::optional<uint32_t> pianoTone(int octave, char key) {
    const auto semitone = pianoSemitone(key);
    if (!semitone) return std::nullopt;
    return pianoToneAt(octave, *semitone);
}

std::optional<uint32_t> pianoToneAt(int octave, int semitone) {
    return toneInReach(pianoPitch(octave, semitone));
}

std::optional<uint32_t> toneInReach(double pitch) {
    if (pitch < formats::lowestReach() || pitch > formats::highestReach()) return std::nullopt;
    return formats::nearestTone(pitch).toneIndex;
}

} // namespace korvel
