// One run of a tune: the model's player driven by an instant completion report.
#include "formats/tuneRun.h"

#include "model/toneBank.h"

#include <cmath>
#include <optional>

namespace korvel::formats {
namespace {

// Rounding slack so that, say, 0.1 s is 2205 samples and not 2206.
constexpr double sampleSlack = 1e-6;

struct PendingStep {
    uint32_t toneIndex;
    uint32_t lengthBytes;
};

// The device, the display and the listing's filter in one: it keeps the step
// the player asked to sound and notices the end marker sending play back.
class Runner final : public SoundPort, public RepaintPort, public StepObserver {
  public:
    Runner(KitState& kit, const RunLimit& limit, StepObserver* listing)
        : kit_(kit), limit_(limit), listing_(listing) {}

    RunResult run(StepSink& sink);

    void startKeyNote(uint32_t) override {} // RUN never plays key notes
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override {
        pending_ = PendingStep{toneIndex, lengthBytes};
    }
    void stopSound() override {}
    void requestLedRepaint() override {}
    void requestColonRepaint() override {}

    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override;

  private:
    bool limitReached(const RunResult& result) const;

    KitState& kit_;
    const RunLimit& limit_;
    StepObserver* listing_;
    std::optional<PendingStep> pending_;
    bool playing_ = false;  // startMelody has returned
    bool passOver_ = false; // an end marker sent play back to the start
};

// Steps examined after the pass is over belong to the next pass, which the
// run does not keep.
void Runner::stepExamined(const MelodyStep& step, StepKind kind, bool followed) {
    if (passOver_) return;
    if (listing_) listing_->stepExamined(step, kind, followed);
    if (kind == StepKind::End && playing_ && limit_.onePass) passOver_ = true;
}

bool Runner::limitReached(const RunResult& result) const {
    return (limit_.steps && result.steps >= limit_.steps) ||
           (limit_.samples && result.samples >= limit_.samples);
}

RunResult Runner::run(StepSink& sink) {
    RunResult result{RunOutcome::Done, kit_.startAddress & addressMask, 0, 0, false};
    KitPorts ports{*this, *this, this};
    // What RUN does in Clock mode, with the listing watching: d0 <- 0, then
    // startMelody, since d0 is 0.
    kit_.digits[0] = 0;
    startMelody(kit_, ports);
    if (kit_.mode == KitMode::Halted) {
        result.outcome = RunOutcome::HaltsAtOnce;
        return result;
    }
    playing_ = true;
    for (;;) {
        if (!sink.sound(pending_->toneIndex, pending_->lengthBytes)) {
            result.outcome = RunOutcome::SinkStopped;
            return result;
        }
        ++result.steps;
        result.samples += pending_->lengthBytes;
        if (limitReached(result)) {
            result.capped = limit_.onePass;
            return result;
        }
        result.address = kit_.playPointer;
        pending_.reset();
        nextNote(kit_, ports);
        // Still Playing but silent: the search found nothing more to sound.
        if (!pending_) {
            result.outcome = RunOutcome::EndsItself;
            return result;
        }
        if (passOver_) return result;
    }
}

} // namespace

RunLimit RunLimit::notes(uint64_t steps) {
    RunLimit limit;
    limit.steps = steps;
    return limit;
}

RunLimit RunLimit::seconds(double seconds) {
    RunLimit limit;
    limit.samples = static_cast<uint64_t>(std::ceil(seconds * sampleRate - sampleSlack));
    if (limit.samples == 0) limit.samples = 1;
    return limit;
}

RunLimit RunLimit::pass() {
    RunLimit limit;
    limit.samples = uint64_t{passCapSeconds} * sampleRate;
    limit.onePass = true;
    return limit;
}

RunResult runTune(KitState& kit, const RunLimit& limit, StepSink& sink, StepObserver* listing) {
    Runner runner(kit, limit, listing);
    return runner.run(sink);
}

} // namespace korvel::formats
