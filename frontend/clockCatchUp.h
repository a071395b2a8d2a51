// Keeps the kit's clock on the time of day when timer events come late.
//
// Timer events arrive late or not at all (modal loops, a busy machine, the
// scheduler's granularity), while tickClock counts exactly one tenth per call.
// The host therefore reads a monotonic millisecond counter at each timer event
// and hands it here: tickClock runs once for every whole 100 ms elapsed since
// the last call, and the remainder carries over to the next event.
#pragma once

#include "kit.h"

#include <cstdint>

namespace korvel {

constexpr uint64_t clockTickMilliseconds = 100;

struct ClockCatchUp {
    uint64_t countedUpTo; // monotonic time the ticks so far account for
};

// Call once, next to initKit, with the monotonic time of the clock reading.
void startCatchUp(ClockCatchUp& catchUp, uint64_t nowMilliseconds);
// Ticks the clock for the elapsed whole tenths; returns how many it ticked.
uint64_t catchUpClock(ClockCatchUp& catchUp, uint64_t nowMilliseconds, KitState& kit,
                      RepaintPort& repaint);

} // namespace korvel
