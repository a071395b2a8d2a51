#include "frontend/session/clockCatchUp.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

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

// A machine asleep: the clock lands on the time the elapsed time says, with
// no more repaints than a minute's ticking asks for. A counter that steps
// back counts on from where it now stands.
TEST(ClockCatchUp, SleepsAndStepsBackLandOnTheElapsedTime) {
    constexpr uint64_t hour = 3600 * 1000, day = 24 * hour;
    struct Case {
        const char* name;
        std::vector<uint64_t> readings; // after a start at 1000 ms, at noon
        unsigned hours, minutes, seconds, tenths;
    };
    const Case cases[] = {
        {"an hour asleep", {1000 + hour}, 13, 0, 0, 0},
        {"a day asleep", {1000 + day}, 12, 0, 0, 0},
        {"a day and a half and a bit", {1000 + day + day / 2 + 61250}, 0, 1, 1, 2},
        {"a step back, then on", {1500, 400, 650}, 12, 0, 0, 7},
        {"a step back to zero, then on", {0, 100}, 12, 0, 0, 1},
    };
    for (const Case& c : cases) {
        KitFixture f;
        ClockCatchUp catchUp{};
        startCatchUp(catchUp, 1000);
        for (const uint64_t now : c.readings) catchUpClock(catchUp, now, f.kit, f.recorder);
        EXPECT_EQ((std::vector<unsigned>{f.kit.hours, f.kit.minutes, f.kit.seconds, f.kit.tenths}),
                  (std::vector<unsigned>{c.hours, c.minutes, c.seconds, c.tenths}))
            << c.name;
        EXPECT_EQ(f.kit.colonLit, f.kit.seconds % 2 == 0 ? 1 : 0) << c.name;
        const std::vector<PortCall> calls = f.recorder.take();
        EXPECT_LE(calls.size(), 60u) << c.name;
        if (c.readings.back() > hour) {
            EXPECT_NE(std::find(calls.begin(), calls.end(), ledCall), calls.end()) << c.name;
        }
    }
}

} // namespace
} // namespace korvel::test
