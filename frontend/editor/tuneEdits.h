// The tracker's edits on the kit's memory: opening and closing steps, and
// writing a run of steps, with the jumps (and the start address) that aim into
// moved steps re-aimed so the tune still plays as it did.
//
// Insert and Delete move the steps after the row up to the tune's end marker
// (or to the end of memory when none follows). The run wraps from 1FC to 000
// only when the tune itself runs on past the end of memory. Steps an insert
// pushes out must be spare: play does not reach them, or they hold 0000 as
// cleared memory does; otherwise nothing changes and the result says why.
#pragma once

#include "frontend/editor/tuneReach.h"
#include "model/kit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// What Reset leaves in every group.
constexpr uint32_t clearedGroup = 0x0000;

constexpr uint32_t restGroup(uint32_t lengthCode) {
    return restTone << 8 | (lengthCode & 0xFF);
}
constexpr uint32_t noteGroup(uint32_t toneIndex, uint32_t lengthCode) {
    return (toneIndex & 0xFF) << 8 | (lengthCode & 0xFF);
}
constexpr uint32_t jumpGroup(uint32_t target) {
    return jumpNibble << 12 | (target & 0xFFF);
}
constexpr uint32_t lengthOfGroup(uint32_t group) {
    return group & 0xFF;
}

// A step an edit may write over: play does not reach it, or it holds 0000 as cleared memory does.
bool spareStep(const KitState& kit, const TuneReach& reach, uint32_t row);

struct EditResult {
    bool done;
    std::string message; // when !done: why, for the user
};

// Opens count steps at row, each holding group; the steps from row on move down.
EditResult insertSteps(KitState& kit, const TuneReach& reach, uint32_t row, uint32_t count,
                       uint32_t group);
// Closes the count steps from row; the steps after them move up, and the
// rows they leave at the end hold 0000.
EditResult deleteSteps(KitState& kit, const TuneReach& reach, uint32_t row, uint32_t count);
// Writes groups from row on. Jumps among them that aimed inside the rows they
// were copied from (from sourceRow on) are aimed at the same steps in their new place.
EditResult writeSteps(KitState& kit, uint32_t row, const std::vector<uint16_t>& groups,
                      uint32_t sourceRow);

} // namespace korvel
