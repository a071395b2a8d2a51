// The melody player: plays the tune in the kit's memory one step at a time.
//
// RUN (kit.h) calls startMelody; the host calls nextNote for every completion
// report that arrives in Playing mode. A step is four nibbles s0..s3 at
// p..p+3: a jump (s3 = 7), the end marker (EEEE), a rest (s3 = s2 = E) or a
// note. Lengths are in samples (bytes) at 22050 per second.
#pragma once

#include "model/kit.h"

#include <array>
#include <cstdint>

namespace korvel {

constexpr uint32_t stepNibbles = 4;
// Memory read as a tune's rows: the 128 groups of four nibbles, row r at address 4r.
constexpr uint32_t tuneRowCount = memoryNibbles / stepNibbles;
constexpr uint32_t lastTuneRow = tuneRowCount - 1;
constexpr uint32_t rowOf(uint32_t address) {
    return (address & addressMask) / stepNibbles;
}
// s3 of a jump; s3 and s2 of a rest, all four nibbles of the end marker.
constexpr uint32_t jumpNibble = 7;
constexpr uint32_t endNibble = 14; // E
// A rest's s3 s2, and the end marker, as groups are typed (s3 first).
constexpr uint32_t restTone = endNibble << 4 | endNibble;
constexpr uint32_t endMarkerGroup = restTone << 8 | restTone;
constexpr uint32_t tempoCount = 16;
constexpr uint32_t lengthCodeCount = 32;
constexpr uint32_t noteLengthCount = tempoCount * lengthCodeCount;
// A step examined this many times without finding anything to sound has
// revisited a (playPointer, repeat) state, so the search would never end.
constexpr uint32_t maxSearchSteps = memoryNibbles * 2;

enum class StepKind : uint8_t { Note, Rest, Jump, End };

struct MelodyStep {
    uint32_t address;               // nibble address of s0
    std::array<uint32_t, 4> nibble; // s0..s3
};

MelodyStep readStep(const KitState& kit, uint32_t address);
StepKind stepKind(const MelodyStep& step);
uint32_t jumpTarget(const MelodyStep& step);  // 0..511
uint32_t toneIndexOf(const MelodyStep& step); // 0..251; 47 for a rest or an end marker
uint32_t lengthCodeOf(const MelodyStep& step);
// Bytes a step of this length code sounds for at this tempo; never above toneBufferBytes.
uint32_t noteLength(uint32_t tempo, uint32_t lengthCode);

// Entry t * 32 + l holds ((t + 1) * (l + 1) * 735 + 1) / 2 bytes.
extern const std::array<uint32_t, noteLengthCount> noteLengthTable;

// Observes each step the player examines, in order (a listing, the step a
// status line shows); carried with the ports, optional.
class StepObserver {
  public:
    // followed: for a jump, whether play went to its target.
    virtual void stepExamined(const MelodyStep& step, StepKind kind, bool followed) = 0;

  protected:
    ~StepObserver() = default;
};

void startMelody(KitState& kit, KitPorts ports);
// Sounds the next note or rest; when the search finds none, sounds nothing and
// leaves the mode as it is.
void nextNote(KitState& kit, KitPorts ports);

} // namespace korvel
