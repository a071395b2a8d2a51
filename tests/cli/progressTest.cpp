// The play progress line: minutes, seconds and tenths, never ahead of the sound.
#include "tools/cli/progress.h"
#include "model/toneBank.h"

#include <gtest/gtest.h>

namespace korvel::cli {
namespace {

TEST(Progress, TimesPastAMinuteAndAnHour) {
    const struct {
        uint64_t samples;
        const char* shown;
    } cases[] = {
        {sampleRate * 599 / 10 + 1, "0:59.9"},       {sampleRate * 60, "1:00.0"},
        {sampleRate * 615 / 10, "1:01.5"},           {uint64_t{sampleRate} * 3725, "62:05.0"},
        {uint64_t{sampleRate} * 86400, "1440:00.0"},
    };
    for (const auto& c : cases) EXPECT_EQ(playTime(c.samples), c.shown) << c.samples;
    EXPECT_EQ(progressLine("a\nb.dat", sampleRate * 75, sampleRate * 600),
              "Playing a\\nb.dat  1:15.0 / 10:00.0");
}

} // namespace
} // namespace korvel::cli
