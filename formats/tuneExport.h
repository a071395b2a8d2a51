// One pass of a tune, as the player plays it, written as a MIDI file.
//
// Each note step becomes a MIDI note at the nearest key with a pitch bend for
// the remaining cents; a rest is the time before the next note. One tick is
// one sample at 22050 per second, so every step keeps its exact length; the
// file's tempo puts a crotchet near the tune's most frequent note length.
#pragma once

#include "formats/tuneRun.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::formats {

struct PlayedStep {
    uint32_t toneIndex; // silenceToneIndex for a rest
    uint32_t lengthBytes;
};

// Keeps every sounded step of a run.
class StepRecorder final : public StepSink {
  public:
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        steps.push_back({toneIndex, lengthBytes});
        return true;
    }
    std::vector<PlayedStep> steps;
};

// The title of a tune no script names (typed in, or pasted without a title).
constexpr const char* untitledTuneTitle = "KORVEL tune";

// What a script's first line (head, as read) calls the tune after the magic,
// or fallback when it names nothing.
std::string titleOfScript(std::string head, const std::string& fallback);

// The bytes of a format-0 file whose one track is named name.
std::string tuneMidi(const std::vector<PlayedStep>& steps, const std::string& name);

} // namespace korvel::formats
