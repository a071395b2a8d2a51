// The transposition import chooses when none is given.
#include "formats/tuneImport.h"

#include <gtest/gtest.h>

namespace korvel::formats {
namespace {

// Of transpositions within a cent of the smallest largest error, a whole
// number of octaves, then the smallest shift.
TEST(MidiImport, TranspositionKeepsTheKeyThenMovesLeast) {
    const struct {
        double pitch;
        int transpose;
    } cases[] = {
        {38.92, -12}, // 0.5 cents behind -5 and +7
        {48.07, 0},   // 0, 12 and 24 alike, 0.5 cents behind -5
        {31.37, 1},   // no octave within a cent; 0.94 cents behind +5
        {48.00, -5},  // -5 and -17 alike
    };
    for (const auto& c : cases) {
        MidiSong one;
        one.ticksPerQuarter = 96;
        one.tracks.push_back({"", {{0, 96, c.pitch, 48, 0}}, 96});
        const ImportResult result = importTune(one, {}, "one");
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.tune.transpose, c.transpose) << c.pitch;
    }
}

} // namespace
} // namespace korvel::formats
