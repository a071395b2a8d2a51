// Keeps the kit's clock on the time of day when timer events come late.
//
// Timer events arrive late or not at all (modal loops, a busy machine, the
// scheduler's granularity, a machine asleep), while tickClock counts exactly
// one tenth per call. The host therefore reads a millisecond counter that
// runs on while the machine sleeps at each timer event and hands it here:
// tickClock runs once for every whole 100 ms elapsed since the last call, and
// the remainder carries over to the next event. A counter that steps back
// counts on from its new reading.
#pragma once

#include "model/kit.h"

#include <cstdint>

namespace korvel {

constexpr uint64_t clockTickMilliseconds = 100;

struct ClockCatchUp {
    uint64_t countedUpTo; // counter reading the ticks so far account for
};

// Call once, next to initKit, with the counter's reading at the clock reading.
void startCatchUp(ClockCatchUp& catchUp, uint64_t nowMilliseconds);
// Advances the clock by the elapsed whole tenths; returns how many.
uint64_t catchUpClock(ClockCatchUp& catchUp, uint64_t nowMilliseconds, KitState& kit,
                      RepaintPort& repaint);

} // namespace korvel
