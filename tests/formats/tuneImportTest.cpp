// The transposition import chooses when none is given, and the voices a
// dialog offers.
#include "formats/tuneImport.h"

#include <gtest/gtest.h>

#include <functional>
#include <iterator>

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

// A voice keeps the octave it sang in while that is near as true as another
// (a MIDI file's E4 G4 B4 moves two octaves down for a few cents), and moves
// by whole octaves where it must.
TEST(MidiImport, AVoiceKeepsItsOctave) {
    const struct {
        std::vector<double> pitches;
        int transpose;
    } cases[] = {{{64, 67, 71}, 0}, {{64.14, 66.14, 59.14}, 0}, {{100, 103}, -24}};
    for (const auto& c : cases) {
        MidiSong sung;
        sung.ticksPerQuarter = 96;
        MidiTrack track{"", {}, 0};
        for (double pitch : c.pitches) {
            track.notes.push_back({track.end, track.end + 96, pitch, uint8_t(pitch), 0});
            track.end += 96;
        }
        sung.tracks.push_back(track);
        ImportOptions options;
        options.octavesOnly = true;
        const ImportResult result = importTune(sung, options, "sung");
        ASSERT_TRUE(result.ok) << result.error;
        EXPECT_EQ(result.tune.transpose, c.transpose) << c.pitches.front();
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

// Our own melody of 18 quavers and crotchets at 120 crotchets a minute, each
// note released `early(i)` ticks (of about 1 ms) before the next begins, and
// the song ending where the last note's time does.
template <typename Early> ImportedTune played(Early early) {
    const uint8_t keys[] = {67, 69, 71, 74, 72, 71, 69, 71, 72, 74, 79, 78, 76, 74, 76, 74, 72, 69};
    const uint8_t quavers[] = {1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 1, 1, 1, 2, 1, 1, 1, 2};
    MidiWriter writer(480, 500000, "Lantern Walk");
    uint64_t at = 0;
    for (size_t i = 0; i < std::size(keys); ++i) {
        const uint64_t next = at + quavers[i] * 240u;
        writer.note(at, next - early(i, next - at), keys[i]);
        at = next;
    }
    MidiSong song;
    EXPECT_TRUE(readMidi(writer.finish(at), song).ok);
    const ImportResult result = importTune(song, {}, "song");
    EXPECT_TRUE(result.ok) << result.error;
    return result.tune;
}

// Early releases, as a player's detached notes have them, are no rests: the
// tune is the one the notes held to the next give. Silences about as long as
// their notes (staccato), or long enough to be heard, stay rests.
TEST(MidiImport, ArticulationIsNoRest) {
    const ImportedTune held = played([](size_t, uint64_t) { return 0; });
    EXPECT_EQ(held.rests, 0u);
    const struct {
        const char* playing;
        std::function<uint64_t(size_t note, uint64_t ticks)> early;
        bool rests;
    } cases[] = {
        {"10 ms early", [](size_t, uint64_t) { return 10; }, false},
        {"15 to 45 ms early", [](size_t i, uint64_t) { return 15 + i * 7 % 31; }, false},
        {"staccato", [](size_t, uint64_t ticks) { return ticks / 2; }, true},
        {"110 ms early", [](size_t, uint64_t) { return 106; }, true},
    };
    for (const auto& c : cases) {
        const ImportedTune tune = played(c.early);
        if (c.rests) {
            EXPECT_EQ(tune.rests, 18u) << c.playing;
        } else {
            EXPECT_EQ(tune.steps, held.steps) << c.playing;
            EXPECT_EQ(tune.tempo, held.tempo) << c.playing;
        }
    }
}

} // namespace
} // namespace korvel::formats
