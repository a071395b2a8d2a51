// Where the tune goes: the kit's own player run over a copy of the kit, from
// RUN until play repeats itself, giving the rows it reaches and the faults a
// tune editor points out, each naming its row.
//
// Rows are the memory's groups of four nibbles (model/melody.h).
#pragma once

#include "model/kit.h"
#include "model/melody.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

enum class TuneFault : uint8_t {
    NoEndMarker,   // play never meets an end marker, so the tune never starts over
    IntoStep,      // a jump, or the start address, lands inside a step
    SilentLoop,    // play goes round for ever without sounding a note
    PastMemoryEnd, // a step runs past the last nibble, or play runs on from 1FC to 000
                   // other than on a tune's every pass to its end marker
};

struct TuneCheck {
    TuneFault fault;
    uint32_t row;
    std::string text; // a sentence for the user, naming the row's address
};

struct TuneReach {
    std::array<bool, tuneRowCount> reached{}; // play examines a nibble of the row
    bool wrapsPastEnd = false;                // play runs on from the last row into the first
    std::vector<TuneCheck> checks;            // at most one of each fault, in TuneFault order
};

TuneReach walkTune(const KitState& kit);

} // namespace korvel
