// Elapsed-time driven clock ticks.
#include "frontend/session/clockCatchUp.h"

#include "model/clock.h"

namespace korvel {
namespace {

constexpr uint64_t ticksPerMinute = 600;
constexpr uint64_t ticksPerDay = 24 * 60 * ticksPerMinute;

// Moves the clock on by ticks at once: after a long sleep, ticking every
// tenth of a day would hold up the window.
void skipTicks(KitState& kit, uint64_t ticks) {
    const uint64_t shown = ((kit.hours * 60u + kit.minutes) * 60u + kit.seconds) * 10u + kit.tenths;
    const auto target = static_cast<unsigned>((shown + ticks) % ticksPerDay);
    startClock(kit, target / 36000, target / 600 % 60, target / 10 % 60, target % 10 * 100);
}

} // namespace

void startCatchUp(ClockCatchUp& catchUp, uint64_t nowMilliseconds) {
    catchUp.countedUpTo = nowMilliseconds;
}

uint64_t catchUpClock(ClockCatchUp& catchUp, uint64_t nowMilliseconds, KitState& kit,
                      RepaintPort& repaint) {
    // Waiting for a counter that stepped back to pass its old reading would
    // stop the clock for as long as the step.
    if (nowMilliseconds < catchUp.countedUpTo) catchUp.countedUpTo = nowMilliseconds;
    const uint64_t ticks = (nowMilliseconds - catchUp.countedUpTo) / clockTickMilliseconds;
    catchUp.countedUpTo += ticks * clockTickMilliseconds;
    // The last minute is ticked as ever, so the LED is repainted the usual way.
    const uint64_t ticked = ticks < ticksPerMinute ? ticks : ticksPerMinute;
    if (ticks > ticked) skipTicks(kit, ticks - ticked);
    for (uint64_t n = 0; n < ticked; ++n) tickClock(kit, repaint);
    return ticks;
}

} // namespace korvel
