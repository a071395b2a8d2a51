// The time-of-day clock shown on the LED in Clock mode.
//
// Set once from the host's local time (through initKit), then advanced only by
// the host: one tickClock per tenth of a second elapsed (clockCatchUp.h). It
// counts in every mode but asks for repaints only in Clock mode: the colon once
// a second, the whole LED once a minute.
#pragma once

#include "model/kit.h"

namespace korvel {

void startClock(KitState& kit, unsigned hour, unsigned minute, unsigned second,
                unsigned millisecond);
void tickClock(KitState& kit, RepaintPort& repaint);

} // namespace korvel
