// Recording from the organ: notes played (the kit's keys or the piano keys),
// one at a time, become steps. Each note gets the length code of the tempo's
// row nearest to how long it was held (the longest code when held longer); a
// gap of at least half the shortest length becomes rests, split into several
// where it is longer than the longest. A new note ends the one still held.
// Times are milliseconds on any steady counter.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace korvel {

// The code 0..31 of the tempo's row whose length is nearest ms; ties take the shorter.
uint32_t nearestLengthCode(uint32_t tempo, double ms);

class TuneRecorder {
  public:
    explicit TuneRecorder(uint32_t tempo) : tempo_(tempo) {}

    // Each returns the groups (s3 s2 s1 s0) of the steps it finished, in order.
    std::vector<uint16_t> noteOn(uint32_t toneIndex, uint64_t nowMs);
    // Ends the note held, if it is this tone.
    std::vector<uint16_t> noteOff(uint32_t toneIndex, uint64_t nowMs);
    // Ends the note still held, at the end of the recording.
    std::vector<uint16_t> finish(uint64_t nowMs);

  private:
    struct Held {
        uint32_t toneIndex;
        uint64_t since;
    };
    void endHeld(uint64_t nowMs, std::vector<uint16_t>& steps);

    uint32_t tempo_;
    std::optional<Held> held_;
    std::optional<uint64_t> lastEnd_; // when the last note ended
};

} // namespace korvel
