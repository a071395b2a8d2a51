#include "clockCatchUp.h"
#include "fakes.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

// Late and missing timer events: the clock ends where the elapsed time says,
// and the part of a tenth not yet counted carries over.
TEST(ClockCatchUp, TicksOncePerWholeTenthElapsedAndCarriesTheRest) {
    struct Step {
        uint64_t now;
        uint64_t ticks;
    };
    const Step steps[] = {{1000, 0},  {1099, 0}, {1100, 1}, {1250, 1},
                          {3249, 20}, {3250, 0}, {3200, 0}, {3350, 1}};
    KitFixture f;
    f.kit.mode = KitMode::Entry;
    ClockCatchUp catchUp{};
    startCatchUp(catchUp, 1000);
    uint64_t total = 0;
    for (const Step& s : steps) {
        EXPECT_EQ(catchUpClock(catchUp, s.now, f.kit, f.recorder), s.ticks) << "at " << s.now;
        total += s.ticks;
    }
    EXPECT_EQ(total, 23u);
    EXPECT_EQ(f.kit.seconds * 10u + f.kit.tenths, 23u);
}

} // namespace
} // namespace korvel::test
