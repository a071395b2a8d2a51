// Elapsed-time driven clock ticks.
#include "clockCatchUp.h"

#include "clock.h"

namespace korvel {

void startCatchUp(ClockCatchUp& catchUp, uint64_t nowMilliseconds) {
    catchUp.countedUpTo = nowMilliseconds;
}

uint64_t catchUpClock(ClockCatchUp& catchUp, uint64_t nowMilliseconds, KitState& kit,
                      RepaintPort& repaint) {
    // A counter that steps back (it should not) is taken as no time elapsed.
    if (nowMilliseconds <= catchUp.countedUpTo) return 0;
    const uint64_t ticks = (nowMilliseconds - catchUp.countedUpTo) / clockTickMilliseconds;
    catchUp.countedUpTo += ticks * clockTickMilliseconds;
    for (uint64_t n = 0; n < ticks; ++n) tickClock(kit, repaint);
    return ticks;
}

} // namespace korvel
