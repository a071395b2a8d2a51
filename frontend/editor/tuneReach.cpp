// The walk: startMelody and nextNote on a copy, watched step by step.
#include "frontend/editor/tuneReach.h"

#include "formats/hexText.h"

#include <algorithm>

namespace korvel {
namespace {

struct Examined {
    uint32_t address;
    StepKind kind;
    bool followed;
};

// Silent ports that keep every step the player examines.
class Watcher final : public SoundPort, public RepaintPort, public StepObserver {
  public:
    std::vector<Examined> steps;
    uint64_t sounded = 0;

    void startKeyNote(uint32_t) override {}
    void playTone(uint32_t, uint32_t) override { ++sounded; }
    void stopSound() override {}
    void requestLedRepaint() override {}
    void requestColonRepaint() override {}
    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override {
        steps.push_back({step.address, kind, followed});
    }
    KitPorts ports() { return {*this, *this, this}; }
};

// Play went from one step to the next by moving on four nibbles, not by a jump or a restart.
bool movesOn(const Examined& step) {
    return step.kind == StepKind::Note || step.kind == StepKind::Rest ||
           (step.kind == StepKind::Jump && !step.followed);
}

void addCheck(TuneReach& reach, TuneFault fault, uint32_t address, std::string text) {
    for (const auto& check : reach.checks)
        if (check.fault == fault) return;
    reach.checks.push_back({fault, rowOf(address), std::move(text)});
}

// The examined steps from where play's state first repeats (the loop it
// keeps going round), and the steps before it, in order.
struct Walk {
    std::vector<Examined> steps;
    size_t loopStart = 0;
    bool halts = false; // RUN finds the end marker at the start address
};

Walk runPlayer(const KitState& source) {
    KitState kit = source;
    Watcher watcher;
    startMelody(kit, watcher.ports());
    Walk walk;
    // Play's whole state between two sounded steps: the pointer and the repeat flag.
    std::array<int64_t, memoryNibbles * 2> seenAt;
    seenAt.fill(-1);
    while (kit.mode == KitMode::Playing) {
        int64_t& seen = seenAt[kit.playPointer * 2 + kit.repeat];
        if (seen >= 0) {
            walk.loopStart = static_cast<size_t>(seen);
            break;
        }
        seen = static_cast<int64_t>(watcher.steps.size());
        const uint64_t sounded = watcher.sounded;
        nextNote(kit, watcher.ports());
        if (watcher.sounded == sounded) {
            walk.loopStart = static_cast<size_t>(seen);
            break;
        }
    }
    walk.halts = kit.mode == KitMode::Halted;
    walk.steps = std::move(watcher.steps);
    return walk;
}

} // namespace

TuneReach walkTune(const KitState& kit) {
    TuneReach reach;
    const uint32_t start = kit.startAddress & addressMask;
    if (start % stepNibbles)
        addCheck(reach, TuneFault::IntoStep, start,
                 "The start address " + addressText(start) + " is inside the step at " +
                     addressText(start - start % stepNibbles) + ".");
    const Walk walk = runPlayer(kit);
    const auto& steps = walk.steps;
    const auto loop = steps.begin() + static_cast<long>(walk.loopStart);
    const auto isEnd = [](const Examined& step) { return step.kind == StepKind::End; };
    const bool ends = std::any_of(steps.begin(), steps.end(), isEnd);
    // A wrap from 1FC to 000 on the loop play keeps going round, when that loop
    // meets an end marker, is the tune's own: memory wraps, as the kit's does.
    const bool loopEnds = std::any_of(loop, steps.end(), isEnd);
    for (size_t i = 0; i < steps.size(); ++i) {
        const Examined& step = steps[i];
        for (uint32_t nibble : {step.address, step.address + stepNibbles - 1})
            reach.reached[rowOf(nibble)] = true;
        if (step.address + stepNibbles > memoryNibbles)
            addCheck(reach, TuneFault::PastMemoryEnd, step.address,
                     "The step at " + addressText(step.address) +
                         " runs past the end of memory and takes its last nibbles from 000.");
        if (step.kind == StepKind::Jump && step.followed) {
            const uint32_t target = jumpTarget(readStep(kit, step.address));
            if (target % stepNibbles)
                addCheck(reach, TuneFault::IntoStep, step.address,
                         "The jump at " + addressText(step.address) + " lands inside the step at " +
                             addressText(target - target % stepNibbles) + ".");
        }
        if (i + 1 < steps.size() && movesOn(step) && steps[i + 1].address < step.address) {
            reach.wrapsPastEnd = true;
            if (i < walk.loopStart || !loopEnds)
                addCheck(reach, TuneFault::PastMemoryEnd, step.address,
                         "Play runs past the end of memory after " + addressText(step.address) +
                             " and goes on at 000.");
        }
    }
    if (!ends)
        addCheck(reach, TuneFault::NoEndMarker, start,
                 "Play from " + addressText(start) + " never reaches an end marker.");
    // The loop is named by its first sounded step (a rest), or else its first step.
    const bool loopSounds = std::any_of(
        loop, steps.end(), [](const Examined& step) { return step.kind == StepKind::Note; });
    const auto rest = std::find_if(
        loop, steps.end(), [](const Examined& step) { return step.kind == StepKind::Rest; });
    if (walk.halts)
        addCheck(reach, TuneFault::SilentLoop, start,
                 "The tune starts with its end marker at " + addressText(start) + ": RUN halts.");
    else if (!loopSounds && loop != steps.end()) {
        const uint32_t at = (rest != steps.end() ? rest : loop)->address;
        addCheck(reach, TuneFault::SilentLoop, at,
                 "Play goes round from " + addressText(at) + " for ever without sounding a note.");
    }
    std::stable_sort(reach.checks.begin(), reach.checks.end(),
                     [](const TuneCheck& a, const TuneCheck& b) { return a.fault < b.fault; });
    return reach;
}

} // namespace korvel
