// Runs a kit's tune through the kit model, as the simulator plays it.
//
// runTune presses RUN in Clock mode on a kit with its tune loaded and answers
// every sounded step with nextNote at once, as an ideal device whose
// completion report takes no time would. Each sounded step goes to a StepSink; the listing may
// watch every step examined. Lengths are in samples (bytes) at 22050 per second.
#pragma once

#include "model/kit.h"
#include "model/melody.h"

#include <cstdint>

namespace korvel::formats {

// When a run stops. Without --notes or --seconds a run plays one pass: it
// stops where the end marker first sends play back to the start.
struct RunLimit {
    uint64_t steps = 0;   // stop after this many sounded steps; 0: no limit
    uint64_t samples = 0; // stop once the audio reaches this length; 0: no limit
    bool onePass = false; // stop when play comes back to the start

    static RunLimit notes(uint64_t steps);
    static RunLimit seconds(double seconds); // the last step whole
    static RunLimit pass();                  // one pass, capped at passCapSeconds
};

// A pass that never meets an end marker stops once it reaches this length.
constexpr uint32_t passCapSeconds = 10 * 60;

class StepSink {
  public:
    // One sounded step: the first lengthBytes samples of tone buffer toneIndex.
    // Returning false ends the run (interrupted, or the audio could not be kept).
    virtual bool sound(uint32_t toneIndex, uint32_t lengthBytes) = 0;

  protected:
    ~StepSink() = default;
};

// Takes every step and keeps nothing, for a run that only measures or lists.
class SilentSink final : public StepSink {
  public:
    bool sound(uint32_t, uint32_t) override { return true; }
};

enum class RunOutcome : uint8_t {
    Done,
    HaltsAtOnce, // the end marker stands at the start address; nothing sounds
    EndsItself,  // the player found nothing more to sound and fell silent
    SinkStopped, // the sink refused a step
};

struct RunResult {
    RunOutcome outcome;
    uint32_t address; // HaltsAtOnce: the start address; EndsItself: where the last search began
    uint64_t steps;   // sounded steps handed to the sink
    uint64_t samples; // their total length
    bool capped;      // a pass stopped at passCapSeconds without coming back to the start
};

// kit fresh, with its tune loaded (from a script file: loadTune, tuneLoad.h).
// Listing, when given, sees every step examined up to the last one the run
// keeps.
RunResult runTune(KitState& kit, const RunLimit& limit, StepSink& sink,
                  StepObserver* listing = nullptr);

} // namespace korvel::formats
