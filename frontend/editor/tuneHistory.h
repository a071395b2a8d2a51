// Undo and redo of the tune: whole snapshots of memory, start address and
// tempo, taken whenever a look at the kit finds them changed, whatever
// changed them (an edit, a paste, a load, the keypad's WRITE, Reset). The
// kit's tune is 512 nibbles and two registers, so whole snapshots are cheap
// and can never drift from the kit. Unlimited within a run.
#pragma once

#include "model/kit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvel {

struct TuneSnapshot {
    std::array<uint8_t, memoryNibbles> memory{};
    uint16_t startAddress = 0;
    uint8_t tempo = 0;
    bool operator==(const TuneSnapshot& other) const;
    bool operator!=(const TuneSnapshot& other) const { return !(*this == other); }
};

TuneSnapshot takeSnapshot(const KitState& kit);
void restoreSnapshot(const TuneSnapshot& snapshot, KitState& kit);

class TuneHistory {
  public:
    explicit TuneHistory(const KitState& kit);

    // Looks at the kit: true when its tune changed since the last look, and
    // then, unless a group is open, the change becomes one step of undo.
    bool observe(const KitState& kit);
    // Changes until closeGroup (a recording) make one step.
    void openGroup();
    void closeGroup(const KitState& kit);
    // The next look's change joins the step the kit is at, if that is still
    // mark and the newest step: a group's typed digits make one step, unless
    // something else changed the tune between them.
    void joinNextChange(size_t mark) { joinMark_ = mark; }
    size_t position() const { return at_; }

    bool canUndo() const { return at_ > 0; }
    bool canRedo() const { return at_ + 1 < steps_.size(); }
    // The state to restore, or null when there is none; the history then
    // takes it as seen, so restoring it records nothing.
    const TuneSnapshot* undo();
    const TuneSnapshot* redo();

  private:
    void push(const TuneSnapshot& snapshot);

    std::vector<TuneSnapshot> steps_;
    size_t at_ = 0;     // the step the kit is at
    TuneSnapshot seen_; // the kit at the last look
    bool groupOpen_ = false;
    std::optional<size_t> joinMark_;
};

} // namespace korvel
