// The transposition import chooses when none is given, and the voices a
// dialog offers.
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

// Every voice offered imports, and a track of one channel is not offered twice.
TEST(MidiImport, VoiceChoicesAreTheVoicesThatImport) {
    MidiSong song;
    song.ticksPerQuarter = 96;
    song.tracks.push_back({"Meta", {}, 0});
    song.tracks.push_back({"Flute", {{0, 96, 60, 60, 0}, {96, 192, 62, 62, 2}}, 192});
    song.tracks.push_back({"", {{0, 96, 64, 64, 2}}, 96});
    const std::vector<VoiceChoice> choices = voiceChoices(song);
    std::vector<std::string> labels;
    for (const VoiceChoice& choice : choices) {
        labels.push_back(choice.label);
        ImportOptions options;
        options.track = choice.track;
        options.channel = choice.channel;
        const ImportResult imported = importTune(song, options, "song");
        EXPECT_TRUE(imported.ok) << choice.label << ": " << imported.error;
    }
    EXPECT_EQ(labels, (std::vector<std::string>{
                          "Automatic",
                          "Track 2 (\"Flute\"): 2 notes",
                          "Track 3: 1 note",
                          "Channel 1, all tracks: 1 note",
                          "Channel 3, all tracks: 2 notes",
                          "Track 2 (\"Flute\"), channel 1: 1 note",
                          "Track 2 (\"Flute\"), channel 3: 1 note",
                      }));
}

} // namespace
} // namespace korvel::formats
