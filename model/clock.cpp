// Time-of-day counter advanced by the host's 100 ms timer.
#include "model/clock.h"

namespace korvel {
namespace {

uint8_t evenFlag(uint8_t seconds) {
    return seconds % 2 == 0 ? 1 : 0;
}

// A reading outside a field's range (a leap second, say) is held at the
// field's largest value, so the roll-over tests still see every boundary.
uint8_t clampTo(unsigned value, unsigned largest) {
    return static_cast<uint8_t>(value < largest ? value : largest);
}

} // namespace

void startClock(KitState& kit, unsigned hour, unsigned minute, unsigned second,
                unsigned millisecond) {
    kit.hours = clampTo(hour, 23);
    kit.minutes = clampTo(minute, 59);
    kit.seconds = clampTo(second, 59);
    kit.tenths = clampTo(millisecond / 100, 9);
    kit.colonLit = evenFlag(kit.seconds);
}

void tickClock(KitState& kit, RepaintPort& repaint) {
    if (++kit.tenths < 10) return;
    kit.tenths = 0;
    ++kit.seconds;
    kit.colonLit = evenFlag(kit.seconds); // before the wrap: 60 and 0 are both even
    bool minuteChanged = false;
    if (kit.seconds == 60) {
        minuteChanged = true;
        kit.seconds = 0;
        if (++kit.minutes == 60) {
            kit.minutes = 0;
            if (++kit.hours == 24) kit.hours = 0;
        }
    }
    if (kit.mode != KitMode::Clock) return;
    if (minuteChanged)
        repaint.requestLedRepaint();
    else
        repaint.requestColonRepaint();
}

} // namespace korvel
