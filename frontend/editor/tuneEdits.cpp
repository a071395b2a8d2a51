// Moving runs of steps round memory and re-aiming jumps.
#include "frontend/editor/tuneEdits.h"

#include "formats/hexText.h"
#include "frontend/editor/tuneTable.h"

namespace korvel {
namespace {

// A run of rows from first, count long; wraps: it runs on from the last row into the first.
struct Run {
    uint32_t first;
    uint32_t count;
    bool wraps = false;
};

uint32_t wrapRow(uint32_t row) {
    return row % tuneRowCount;
}

// Nibbles from a run's first address to address, going up round memory.
uint32_t offsetInto(const Run& run, uint32_t address) {
    return (address - run.first * stepNibbles) & addressMask;
}

// From row up to the end marker within limit rows, round from the last row
// to the first only when play goes that way; without one, up to the last row.
// A row past the last one is the first row, come to by wrapping.
Run runToEnd(const KitState& kit, const TuneReach& reach, uint32_t row, uint32_t limit) {
    for (uint32_t count = 1; count <= limit; ++count) {
        const uint32_t at = wrapRow(row + count - 1);
        if (groupAt(kit, at) == endMarkerGroup) return {row, count, row + count > tuneRowCount};
        if (at == lastTuneRow && !reach.wrapsPastEnd) break;
    }
    return {row, row < tuneRowCount ? tuneRowCount - row : 0};
}

// Every jump, and the start address, given the target newTarget makes of its own.
template <typename Aim> void reaim(KitState& kit, Aim&& newTarget) {
    for (uint32_t r = 0; r < tuneRowCount; ++r) {
        const uint32_t group = groupAt(kit, r);
        if (group >> 12 != jumpNibble) continue;
        const uint32_t target = newTarget(group & addressMask);
        if (target != (group & addressMask)) writeGroupAt(kit, r * stepNibbles, jumpGroup(target));
    }
    const uint32_t start = newTarget(kit.startAddress & addressMask);
    if (start != (kit.startAddress & addressMask)) kit.startAddress = start;
}

std::string noRoom(uint32_t row) {
    return "No room to open a step: the step at " + addressText(row * stepNibbles) +
           " is part of the tune and would be lost.";
}

} // namespace

bool spareStep(const KitState& kit, const TuneReach& reach, uint32_t row) {
    return !reach.reached[row] || groupAt(kit, row) == clearedGroup;
}

EditResult insertSteps(KitState& kit, const TuneReach& reach, uint32_t row, uint32_t count,
                       uint32_t group) {
    const Run run = runToEnd(kit, reach, row, tuneRowCount - count);
    // The rows the run moves onto past its end, or its own rows pushed off memory's end.
    for (uint32_t i = run.count; i < run.count + count; ++i) {
        const uint32_t lost =
            run.wraps || row + i <= lastTuneRow ? wrapRow(row + i) : row + i - count;
        if (!spareStep(kit, reach, lost)) return {false, noRoom(lost)};
    }
    for (uint32_t i = run.count; i-- > 0;) {
        const uint32_t to = row + i + count;
        if (run.wraps || to <= lastTuneRow)
            writeGroupAt(kit, wrapRow(to) * stepNibbles, groupAt(kit, wrapRow(row + i)));
    }
    for (uint32_t i = 0; i < count; ++i) writeGroupAt(kit, wrapRow(row + i) * stepNibbles, group);
    // Aims at the opened row itself now land on the new step, which takes its place.
    const uint32_t shift = count * stepNibbles;
    reaim(kit, [&](uint32_t target) {
        const uint32_t offset = offsetInto(run, target);
        return offset > 0 && offset < run.count * stepNibbles ? (target + shift) & addressMask
                                                              : target;
    });
    return {true, {}};
}

EditResult deleteSteps(KitState& kit, const TuneReach& reach, uint32_t row, uint32_t count) {
    const uint32_t after = row + count;
    const Run moved = after <= lastTuneRow || reach.wrapsPastEnd
                          ? runToEnd(kit, reach, after, tuneRowCount - count)
                          : Run{after, 0};
    for (uint32_t i = 0; i < moved.count; ++i)
        writeGroupAt(kit, wrapRow(row + i) * stepNibbles, groupAt(kit, wrapRow(after + i)));
    for (uint32_t i = moved.count; i < moved.count + count; ++i)
        writeGroupAt(kit, wrapRow(row + i) * stepNibbles, clearedGroup);
    const Run closed{row, count + moved.count};
    const uint32_t shift = count * stepNibbles;
    reaim(kit, [&](uint32_t target) {
        const uint32_t offset = offsetInto(closed, target);
        if (offset < shift) return row * stepNibbles; // the step after the closed ones
        return offset < closed.count * stepNibbles ? (target - shift) & addressMask : target;
    });
    return {true, {}};
}

EditResult writeSteps(KitState& kit, uint32_t row, const std::vector<uint16_t>& groups,
                      uint32_t sourceRow) {
    if (row + groups.size() > tuneRowCount)
        return {false, std::to_string(groups.size()) + " steps do not fit between " +
                           addressText(row * stepNibbles) + " and the end of memory."};
    const Run source{sourceRow, static_cast<uint32_t>(groups.size())};
    for (uint32_t i = 0; i < groups.size(); ++i) {
        uint32_t group = groups[i];
        const uint32_t offset = offsetInto(source, group & addressMask);
        if (group >> 12 == jumpNibble && offset < source.count * stepNibbles)
            group = jumpGroup((row * stepNibbles + offset) & addressMask);
        writeGroupAt(kit, (row + i) * stepNibbles, group);
    }
    return {true, {}};
}

} // namespace korvel
