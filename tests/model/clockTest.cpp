#include "model/clock.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

struct Time {
    unsigned hours, minutes, seconds, tenths;
    bool operator==(const Time& o) const {
        return hours == o.hours && minutes == o.minutes && seconds == o.seconds &&
               tenths == o.tenths;
    }
};

std::ostream& operator<<(std::ostream& out, const Time& t) {
    return out << t.hours << ":" << t.minutes << ":" << t.seconds << "." << t.tenths;
}

Time timeOf(const KitState& kit) {
    return {kit.hours, kit.minutes, kit.seconds, kit.tenths};
}

struct TickCase {
    Time start; // tenths as milliseconds / 100
    unsigned ticks;
    Time after;
    std::vector<PortCall> lastTickCalls; // in Clock mode
};

class ClockTicks : public testing::TestWithParam<TickCase> {};

TEST_P(ClockTicks, RollOverAndRequestTheRightAreaInClockMode) {
    const TickCase& c = GetParam();
    KitFixture f;
    startClock(f.kit, c.start.hours, c.start.minutes, c.start.seconds, c.start.tenths * 100 + 50);
    for (unsigned i = 0; i < c.ticks; ++i) {
        f.recorder.take();
        tickClock(f.kit, f.recorder);
    }
    EXPECT_EQ(timeOf(f.kit), c.after);
    EXPECT_EQ(f.kit.colonLit, c.after.seconds % 2 == 0 ? 1 : 0);
    EXPECT_EQ(f.recorder.calls, c.lastTickCalls);
}

const std::vector<PortCall> nothing, colon{colonCall}, led{ledCall};

INSTANTIATE_TEST_SUITE_P(Rollovers, ClockTicks,
                         testing::Values(TickCase{{10, 0, 0, 0}, 1, {10, 0, 0, 1}, nothing},
                                         TickCase{{10, 0, 0, 0}, 10, {10, 0, 1, 0}, colon},
                                         TickCase{{10, 0, 0, 9}, 1, {10, 0, 1, 0}, colon},
                                         TickCase{{10, 0, 0, 0}, 600, {10, 1, 0, 0}, led},
                                         TickCase{{10, 0, 0, 0}, 36000, {11, 0, 0, 0}, led},
                                         TickCase{{10, 59, 59, 9}, 1, {11, 0, 0, 0}, led},
                                         TickCase{{23, 59, 59, 9}, 1, {0, 0, 0, 0}, led},
                                         TickCase{{23, 59, 58, 5}, 5, {23, 59, 59, 0}, colon}));

TEST(Clock, StartsFromTheReadingWithColonOnEvenSeconds) {
    for (unsigned second = 0; second < 60; ++second) {
        KitState kit{};
        startClock(kit, 23, 59, second, 999);
        EXPECT_EQ(kit.tenths, 9);
        EXPECT_EQ(kit.colonLit, second % 2 == 0 ? 1 : 0) << second;
    }
}

TEST(Clock, OutOfRangeReadingsAreHeldAtTheirLargestValue) {
    KitFixture f;
    startClock(f.kit, 24, 60, 60, 1500); // a leap second, and worse
    EXPECT_EQ(timeOf(f.kit), (Time{23, 59, 59, 9}));
    tickClock(f.kit, f.recorder);
    EXPECT_EQ(timeOf(f.kit), (Time{0, 0, 0, 0}));
    EXPECT_EQ(f.recorder.calls, led);
}

TEST(Clock, CountsInEveryModeButRepaintsOnlyInClock) {
    for (KitMode mode :
         {KitMode::Blank, KitMode::Entry, KitMode::Keyboard, KitMode::Playing, KitMode::Halted}) {
        KitFixture f;
        startClock(f.kit, 23, 59, 59, 0);
        f.kit.mode = mode;
        for (int i = 0; i < 10; ++i) tickClock(f.kit, f.recorder);
        EXPECT_EQ(timeOf(f.kit), (Time{0, 0, 0, 0}));
        EXPECT_TRUE(f.recorder.calls.empty());
    }
}

} // namespace
} // namespace korvel::test
