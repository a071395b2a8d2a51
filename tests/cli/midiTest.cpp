// korvel-cli import and export: tunes through MIDI and back, a song of known
// notes as the kit sounds it, and the files refused.
#include "files/tuneLoad.h"
#include "formats/midiFile.h"
#include "formats/tuneImport.h"
#include "formats/tuneRun.h"
#include "formats/waveFile.h"
#include "model/toneBank.h"
#include "tests/cli/cliTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace korvel::cli {
namespace {

using namespace formats;

using test::runCli;
using test::ScratchDir;

std::string big(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

std::string smf(uint16_t format, const std::vector<std::string>& tracks) {
    std::string file = "MThd" + big(6, 4) + big(format, 2) + big(uint32_t(tracks.size()), 2) +
                       big(96, 2); // 96 ticks a crotchet
    for (const std::string& body : tracks) file += "MTrk" + big(uint32_t(body.size()), 4) + body;
    return file;
}

const std::string endOfTrack("\x00\xFF\x2F\x00", 4);

// At 120 crotchets a minute: crotchet A4; a quaver rest; C5 and E5 together
// for a minim. Then at 240: G4 over G3 for a crotchet, G3 on alone for
// another. A C6 on channel 2 is not the voice.
const std::string knownSong =
    smf(1, {std::string("\x00\xFF\x03\x09Test Song\x00\xFF\x51\x03\x07\xA1\x20"
                        "\x82\x50\xFF\x51\x03\x03\xD0\x90",
                        28) +
                endOfTrack,
            std::string("\x00\x90\x45\x60\x00\x91\x54\x60\x30\x54\x00\x30\x80\x45\x00"
                        "\x30\x90\x48\x60\x00\x4C\x60\x81\x40\x48\x00\x00\x4C\x00"
                        "\x00\x43\x60\x00\x37\x60\x60\x43\x00\x60\x37\x00",
                        41) +
                endOfTrack});

// The last number before `unit` on the line that starts with `label`.
double reported(const std::string& report, const std::string& label, const std::string& unit) {
    const size_t line = report.find(label);
    const size_t at = report.find(unit, line);
    const size_t from = report.rfind(' ', at - 2) + 1;
    return std::stod(report.substr(from, at - from));
}

// The length of a listed note or rest in bytes; 0 for other lines.
size_t listedBytes(const std::string& line) {
    const size_t bytesAt = line.find(" bytes");
    return bytesAt == std::string::npos ? 0 : std::stoul(line.substr(line.rfind(' ', bytesAt - 1)));
}

std::vector<std::string> listedGroups(const std::string& listing) {
    std::vector<std::string> groups;
    std::istringstream lines(listing);
    for (std::string line; std::getline(lines, line);) groups.push_back(line.substr(5, 4));
    return groups;
}

TEST(MidiExport, ExamplesWithoutJumpsComeBackStepForStep) {
    ScratchDir dir;
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".dat") continue;
        const std::string tune = entry.path().string(), song = dir.path("song.mid");
        const std::string listing = runCli(dir, {"list", tune}).out;
        if (listing.find("jump") != std::string::npos) continue;
        SCOPED_TRACE(tune);
        KitState original, back;
        ASSERT_EQ(loadTune(original, tune).outcome, FileOutcome::Done);
        char start[8];
        std::snprintf(start, sizeof start, "%03X", original.startAddress);
        ASSERT_EQ(runCli(dir, {"export", tune, "-o", song}).exitCode, 0);
        const auto imported =
            runCli(dir, {"import", song, "-o", dir.path("back.dat"), "--start", start});
        ASSERT_EQ(imported.exitCode, 0) << imported.err;
        EXPECT_NE(imported.out.find("transposition:  0 semitones"), std::string::npos);
        ASSERT_EQ(loadTune(back, dir.path("back.dat")).outcome, FileOutcome::Done);
        EXPECT_EQ(back.tempo, original.tempo);
        EXPECT_EQ(back.startAddress, original.startAddress);
        EXPECT_EQ(runCli(dir, {"list", dir.path("back.dat")}).out, listing);
        ++checked;
    }
    EXPECT_GE(checked, 3);
}

TEST(MidiImport, KnownSongGivesItsStepsAndSoundsWithinTheReportedCents) {
    ScratchDir dir;
    const std::string song = dir.path("song.mid"), tune = dir.path("tune.dat");
    test::writeFile(song, knownSong);
    // The slowest row whose unit divides every length: a quaver, and a
    // crotchet at the faster tempo, are one unit.
    const auto exact = runCli(
        dir, {"import", song, "-o", tune, "--transpose", "0", "--track", "2", "--channel", "1"});
    ASSERT_EQ(exact.exitCode, 0) << exact.err;
    EXPECT_EQ(exact.err, "");
    EXPECT_EQ(listedGroups(runCli(dir, {"list", tune}).out),
              (std::vector<std::string>{"1901", "EE00", "0403", "1700", "3700", "EEEE"}));
    KitState kit;
    ASSERT_EQ(loadTune(kit, tune).outcome, FileOutcome::Done);
    EXPECT_EQ(kit.tempo, 14u);
    EXPECT_NE(test::readFile(tune).find("KORVEL Test Song\n"), std::string::npos);

    // With the transposition chosen, each note's measured period is within
    // the reported error of its key.
    const auto chosen = runCli(dir, {"import", song, "-o", tune, "--channel", "1"});
    ASSERT_EQ(chosen.exitCode, 0) << chosen.err;
    const double transpose = reported(chosen.out, "transposition:", "semitones");
    const double largest = reported(chosen.out, "pitch error:", "cents,");
    ASSERT_EQ(runCli(dir, {"render", tune, "-o", dir.path("tune.wav")}).exitCode, 0);
    const std::string wave = test::readFile(dir.path("tune.wav")).substr(waveHeaderBytes);
    const double keys[] = {69, 76, 67, 55};
    size_t note = 0, at = 0;
    double worst = 0;
    std::istringstream listing(runCli(dir, {"list", tune}).out);
    for (std::string line; std::getline(listing, line);) {
        const size_t length = listedBytes(line);
        if (!length) continue;
        if (line.find("note") != std::string::npos && note < 4) {
            // Rising edges give the period the kit sounds.
            std::vector<size_t> rises;
            for (size_t i = at + 1; i < at + length; ++i)
                if (uint8_t(wave[i]) == highLevel && uint8_t(wave[i - 1]) == lowLevel)
                    rises.push_back(i);
            ASSERT_GE(rises.size(), 2u) << line;
            const double period = double(rises.back() - rises.front()) / (rises.size() - 1);
            const double wanted = 440 * std::pow(2, (keys[note++] + transpose - 69) / 12);
            worst = std::max(worst, std::fabs(1200 * std::log2(sampleRate / period / wanted)));
        }
        at += length;
    }
    EXPECT_EQ(note, 4u);
    EXPECT_LE(worst, largest + 0.05);
}

struct MidiFault {
    const char* name;
    std::string content;
    std::vector<std::string> options;
    std::string message; // after "korvel-cli: SONG: "
};

void PrintTo(const MidiFault& fault, std::ostream* out) {
    *out << fault.name;
}

std::string manyCrotchets(int count) {
    std::string body;
    for (int i = 0; i < count; ++i) body += std::string("\x00\x90\x3C\x60\x60\x3C\x00", 7);
    return smf(0, {body + endOfTrack});
}

// One voice on channel 1 at 480 ticks a crotchet, up the scale: count notes,
// one every `every` ticks, each `length` long from `late` ticks after its beat.
std::string evenSong(uint32_t microsPerQuarter, uint64_t count, uint64_t every, uint64_t late,
                     uint64_t length, uint64_t end) {
    MidiWriter writer(480, microsPerQuarter, "");
    for (uint64_t i = 0; i < count; ++i)
        writer.note(i * every + late, i * every + late + length, uint8_t(60 + i % 12));
    return writer.finish(end);
}

// Quavers back to back at 120 crotchets a minute: one step each at row 14;
// row 15's half step is longer than a quaver.
std::string quavers(uint64_t count) {
    return evenSong(500000, count, 240, 0, 240, count * 240);
}

class ImportFault : public testing::TestWithParam<MidiFault> {};

// One line, status 1, and the output neither made nor changed.
TEST_P(ImportFault, ReportsAndWritesNothing) {
    const MidiFault& fault = GetParam();
    for (const bool outExists : {false, true}) {
        ScratchDir dir;
        const std::string song = dir.path("song.mid"), out = dir.path("out.dat");
        test::writeFile(song, fault.content);
        if (outExists) test::writeFile(out, "precious");
        const auto before = dir.names();
        std::vector<std::string> args = {"import", song, "-o", out};
        args.insert(args.end(), fault.options.begin(), fault.options.end());
        const auto result = runCli(dir, args);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "korvel-cli: " + song + ": " + fault.message + "\n");
        EXPECT_EQ(dir.names(), before);
        if (outExists) {
            EXPECT_EQ(test::readFile(out), "precious");
        }
    }
}

const std::string oneNote = std::string("\x00\x90\x3C\x60\x60\x3C\x00", 7) + endOfTrack;

// Two tracks, the first declaring fewer bytes than it holds.
std::string misplacedChunk() {
    std::string file = smf(1, {oneNote, oneNote});
    file[21] = 7; // the first track's length, without its end-of-track event
    return file;
}

const std::string tooLongBy = " too long for the memory: it needs ";

INSTANTIATE_TEST_SUITE_P(
    Faults, ImportFault,
    testing::Values(
        MidiFault{"NotMidi", "RIFF....AVI ", {}, "it is neither a MIDI file nor a recording"},
        MidiFault{"HeaderCut",
                  smf(0, {oneNote}).substr(0, 12),
                  {},
                  "the MIDI header declares 6 bytes, 4 remain"},
        MidiFault{
            "TrackCut", smf(0, {oneNote}).substr(0, 27), {}, "track 1 declares 11 bytes, 5 remain"},
        MidiFault{"HugeLength",
                  smf(0, {oneNote}).replace(18, 4, "\xFF\xFF\xFF\xFF"),
                  {},
                  "track 1 declares 4,294,967,295 bytes, 11 remain"},
        MidiFault{"TrackMissing",
                  smf(1, {oneNote, oneNote}).substr(0, 33),
                  {},
                  "the MIDI header declares 2 tracks, but the file ends after 1"},
        MidiFault{"TrackHeadCut",
                  smf(1, {oneNote, oneNote}).substr(0, 37),
                  {},
                  "the file ends at byte 37, inside the head of track 2"},
        MidiFault{"EventCut",
                  smf(0, {std::string("\x00\x90\x3C", 3)}),
                  {},
                  "track 1 declares 3 bytes, but its event at byte 22 runs past them"},
        MidiFault{"LengthShort",
                  misplacedChunk(),
                  {},
                  "no chunk starts at byte 29, where track 2 should; track 1 may declare a wrong "
                  "length"},
        MidiFault{"NoStatus",
                  smf(0, {std::string("\x00\x3C\x60", 3)}),
                  {},
                  "bad MIDI data in track 1 at byte 23"},
        MidiFault{"FormatTwo",
                  smf(2, {oneNote}),
                  {},
                  "MIDI format 2 (independent patterns) is not supported; only 0 and 1"},
        MidiFault{"NoNotes", smf(1, {endOfTrack, endOfTrack}), {}, "no notes in the file"},
        MidiFault{"DrumsOnly",
                  smf(0, {std::string("\x00\x99\x24\x60\x60\x24\x00", 7) + endOfTrack}),
                  {},
                  "no notes in the file but drums on channel 10; --channel 10 takes them"},
        MidiFault{
            "NoNotesOnChannel", smf(0, {oneNote}), {"--channel", "2"}, "no notes on channel 2"},
        MidiFault{"NoSuchTrack",
                  smf(0, {oneNote}),
                  {"--track", "2"},
                  "there is no track 2; the file has 1 track"},
        MidiFault{
            "OutOfRange",
            smf(0, {std::string("\x00\x90\x3C\x60\x83\x60\x3C\x00\x00\x6C\x60\x60\x6C\x00", 14) +
                    endOfTrack}),
            {},
            "the note C8 in bar 2, beat 2 is above the kit's range C1 to B5; --fit moves "
            "such notes by octaves"},
        MidiFault{"NotesTooShort",
                  evenSong(500000, 16, 240, 0, 7, 16 * 240), // 7 ms each
                  {"--truncate"},
                  "every note is shorter than 8.3 ms, half the kit's shortest step: there is "
                  "nothing to play"},
        MidiFault{"TooLong",
                  manyCrotchets(200),
                  {},
                  "the tune is 73 steps" + tooLongBy +
                      "200 steps and the end marker, and the memory holds 128; --truncate "
                      "keeps what fits"},
        // 128 steps leave no room for the end marker.
        MidiFault{"TooLongByOne",
                  manyCrotchets(128),
                  {},
                  "the tune is 1 step" + tooLongBy +
                      "128 steps and the end marker, and the memory holds 128; --truncate "
                      "keeps what fits"},
        // Row 15 would fit 122 steps by leaving out eight quavers.
        MidiFault{"TooLongUnlessNotesLeftOut",
                  quavers(130),
                  {},
                  "the tune is 3 steps" + tooLongBy +
                      "130 steps and the end marker, and the memory holds 128; --truncate "
                      "keeps what fits"}),
    [](const testing::TestParamInfo<MidiFault>& info) { return info.param.name; });

// Written with status 0, each with its warning (or none) and a line of the report.
TEST(MidiImport, WarnsAndWrites) {
    const struct {
        std::string content;
        std::vector<std::string> options;
        std::string warning, report;
    } cases[] = {
        {manyCrotchets(127), {}, "", "memory:         128 of 128 steps used"},
        {manyCrotchets(200),
         {"--truncate"},
         "the tune is 73 steps too long for the memory; kept the first 127 of 200 notes, up to "
         "bar 32, beat 4 (63.5 of 100.0 s)",
         "memory:         128 of 128 steps used"},
        // Every quaver kept at row 14, not 122 of them at row 15.
        {quavers(130),
         {"--truncate"},
         "the tune is 3 steps too long for the memory; kept the first 127 of 130 notes, up to "
         "bar 16, beat 4 (31.8 of 32.5 s)",
         "tempo:          E, one length unit 250.0 ms"},
        {smf(0, {std::string("\x00\x90\x6C\x60\x60\x6C\x00", 7) + endOfTrack}),
         {"--fit", "--transpose", "0"},
         "1 note was moved by octaves into the kit's range",
         "transposition:  0 semitones"},
    };
    ScratchDir dir;
    const std::string midi = dir.path("song.mid"), out = dir.path("out.dat");
    for (const auto& expected : cases) {
        SCOPED_TRACE(expected.report);
        test::writeFile(midi, expected.content);
        std::vector<std::string> args = {"import", midi, "-o", out};
        args.insert(args.end(), expected.options.begin(), expected.options.end());
        const auto result = runCli(dir, args);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(result.err,
                  expected.warning.empty()
                      ? ""
                      : "korvel-cli: " + midi + ": warning: " + expected.warning + "\n");
        EXPECT_NE(result.out.find(expected.report), std::string::npos) << result.out;
    }
}

// As a popular ABC converter writes a tune: each note a tick (1 ms) after its
// beat, the song ending 26 ticks after the last note. Those gaps are no rests
// (the closing one, before the first note comes back, neither), and every
// note begins within the reported onset error of where the file has it.
TEST(MidiImport, GapsShorterThanHalfAStepAreNoRests) {
    const uint32_t microsPerQuarter = 461538; // 130 crotchets a minute
    ScratchDir dir;
    const std::string midi = dir.path("song.mid"), tune = dir.path("tune.dat");
    test::writeFile(midi, evenSong(microsPerQuarter, 48, 240, 1, 239, 48 * 240 + 26));
    const auto result = runCli(dir, {"import", midi, "-o", tune});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("48 notes and 0 rests\n"), std::string::npos) << result.out;
    std::istringstream listing(runCli(dir, {"list", tune}).out);
    double at = 0, worst = 0; // samples
    int note = 0;
    for (std::string line; std::getline(listing, line);) {
        if (line.find("note") != std::string::npos) {
            const double wanted = (note++ * 240 + 1) * (microsPerQuarter / 480e6) * sampleRate;
            worst = std::max(worst, std::fabs(at - wanted));
        }
        at += double(listedBytes(line));
    }
    EXPECT_EQ(note, 48);
    EXPECT_NEAR(worst * 1000 / sampleRate, reported(result.out, "time error:", "ms in an onset"),
                0.05);
}

TEST(MidiCommands, RefuseBadArgumentsAndTheirOwnInput) {
    ScratchDir dir;
    const std::string song = dir.path("song.mid");
    test::writeFile(song, smf(0, {oneNote}));
    const std::pair<std::vector<std::string>, std::string> usage[] = {
        {{"--channel", "17"}, "--channel must be a whole number from 1 to 16"},
        {{"--track", "0"}, "--track must be a whole number from 1 to 65535"},
        {{"--start", "012"}, "--start must be an address from 004 to 1FC in hex, a multiple of 4"},
        {{"--transpose", "1.5"}, "--transpose must be a whole number of semitones from -48 to 48"}};
    for (const auto& [options, message] : usage) {
        std::vector<std::string> args = {"import", song, "-o", dir.path("out.dat")};
        args.insert(args.end(), options.begin(), options.end());
        const auto result = runCli(dir, args);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "korvel-cli: " + message);
    }
    auto result = runCli(dir, {"import", song, "-o", song});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "korvel-cli: " + song + ": the output is the MIDI file itself; nothing written\n");
    test::writeFile(dir.path("halts.dat"), test::script("0000@ 0020W 0020@ EEEEW"));
    result = runCli(dir, {"export", dir.path("halts.dat"), "-o", song});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(test::readFile(song), smf(0, {oneNote}));
}

// What a file holds is told by its bytes: a MIDI file named as a script is
// imported, and the commands that take a script point to import.
TEST(MidiCommands, TellAMidiFileByItsBytesNotItsName) {
    ScratchDir dir;
    const std::string song = dir.path("song.dat");
    test::writeFile(song, smf(0, {oneNote}));
    for (const char* command : {"render", "list", "play", "export"}) {
        std::vector<std::string> args = {command, song};
        if (command == std::string("render") || command == std::string("export"))
            args.insert(args.end(), {"-o", dir.path("out")});
        const auto result = runCli(dir, args, {"SDL_AUDIODRIVER=dummy"});
        EXPECT_EQ(result.exitCode, 1) << command;
        EXPECT_EQ(result.err, "korvel-cli: " + song +
                                  ": this is a MIDI file, not a script; korvel-cli import makes "
                                  "a script of it\n")
            << command;
    }
    EXPECT_EQ(runCli(dir, {"import", song, "-o", dir.path("tune.mid")}).exitCode, 0);
    EXPECT_EQ(runCli(dir, {"list", dir.path("tune.mid")}).exitCode, 0);
}

} // namespace
} // namespace korvel::cli
