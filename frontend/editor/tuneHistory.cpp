// Snapshot steps of undo.
#include "frontend/editor/tuneHistory.h"

#include <algorithm>
#include <utility>

namespace korvel {

bool TuneSnapshot::operator==(const TuneSnapshot& other) const {
    return startAddress == other.startAddress && tempo == other.tempo && memory == other.memory;
}

TuneSnapshot takeSnapshot(const KitState& kit) {
    TuneSnapshot snapshot;
    std::copy(kit.memory.begin(), kit.memory.end(), snapshot.memory.begin());
    snapshot.startAddress = static_cast<uint16_t>(kit.startAddress);
    snapshot.tempo = static_cast<uint8_t>(kit.tempo);
    return snapshot;
}

void restoreSnapshot(const TuneSnapshot& snapshot, KitState& kit) {
    std::copy(snapshot.memory.begin(), snapshot.memory.end(), kit.memory.begin());
    kit.startAddress = snapshot.startAddress;
    kit.tempo = snapshot.tempo;
}

TuneHistory::TuneHistory(const KitState& kit) : steps_{takeSnapshot(kit)}, seen_(steps_.front()) {}

bool TuneHistory::observe(const KitState& kit) {
    const std::optional<size_t> join = std::exchange(joinMark_, std::nullopt);
    const TuneSnapshot now = takeSnapshot(kit);
    if (now == seen_) return false;
    seen_ = now;
    if (groupOpen_) return true;
    if (join == at_ && at_ > 0 && !canRedo())
        steps_[at_] = now;
    else
        push(now);
    return true;
}

void TuneHistory::openGroup() {
    groupOpen_ = true;
}

void TuneHistory::closeGroup(const KitState& kit) {
    observe(kit);
    groupOpen_ = false;
    if (seen_ != steps_[at_]) push(seen_);
}

void TuneHistory::push(const TuneSnapshot& snapshot) {
    steps_.resize(at_ + 1);
    steps_.push_back(snapshot);
    ++at_;
}

const TuneSnapshot* TuneHistory::undo() {
    if (!canUndo()) return nullptr;
    seen_ = steps_[--at_];
    return &steps_[at_];
}

const TuneSnapshot* TuneHistory::redo() {
    if (!canRedo()) return nullptr;
    seen_ = steps_[++at_];
    return &steps_[at_];
}

} // namespace korvel
