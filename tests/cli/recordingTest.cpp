// korvel-cli import of recordings: the same tune from every encoding, and a
// bad recording refused with nothing written, in little memory however long.
#include "tests/cli/cliTestSupport.h"
#include "tests/support/waveBytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sys/resource.h>

namespace korvel::cli {
namespace {

using test::runCli;
using test::ScratchDir;
using test::WaveLayout;

constexpr uint32_t rate = 22050;
const std::vector<double> tune = test::melody(rate, {64, 67, 69, 71, 72, 69}, 0.25);

// What korvel-cli writes and reports for the bytes as rec.wav.
std::string imported(const std::string& bytes) {
    ScratchDir dir;
    test::writeFile(dir.path("rec.wav"), bytes);
    const auto result = runCli(dir, {"import", dir.path("rec.wav"), "-o", dir.path("rec.dat")});
    return result.err + result.out + test::readFile(dir.path("rec.dat"));
}

TEST(RecordingImport, EveryEncodingGivesTheSameTune) {
    const std::string heard = imported(test::waveBytes({}, rate, tune));
    EXPECT_NE(heard.find("heard:          6 notes in 0:01.9"), std::string::npos) << heard;
    const std::string oddChunk = std::string("note\1\0\0\0x\0", 10);
    for (const WaveLayout& layout :
         {WaveLayout(1, 8), WaveLayout(3, 64, 2, true), WaveLayout(1, 24, 3, false, oddChunk)})
        EXPECT_EQ(imported(test::waveBytes(layout, rate, tune)), heard) << layout.bits;
}

// One line, the status given, and the output neither made nor changed.
TEST(RecordingImport, BadRecordingsAreRefusedAndNothingIsWritten) {
    std::vector<double> nan = tune;
    nan[rate / 2] = NAN;
    const struct {
        const char* name;
        std::string bytes;
        std::vector<std::string> options;
        int exitCode;
        std::string message;
    } cases[] = {
        {"silence",
         test::waveBytes({}, 8000, std::vector<double>(8000)),
         {},
         1,
         "no notes were heard in 0:01.0 of sound"},
        {"NaN",
         test::waveBytes({3, 32}, rate, nan),
         {},
         1,
         "it holds a sample that is not a number (NaN) at 0:00.5"},
        {"cut short",
         test::waveBytes({}, rate, tune).substr(0, 22094),
         {},
         1,
         "its header claims 0:01.9 of audio (82020 bytes), but the file holds only 0:00.5 "
         "(22050 bytes)"},
        {"no audio",
         test::waveBytes({}, rate, {}),
         {},
         1,
         "its data chunk is empty: it holds no audio"},
        {"a track",
         test::waveBytes({}, rate, tune),
         {"--track", "1"},
         2,
         "--track and --channel choose a voice of a MIDI file; a recording has one voice"},
    };
    for (const auto& c : cases)
        for (const bool outExists : {false, true}) {
            ScratchDir dir;
            const std::string recording = dir.path("rec.wav"), out = dir.path("out.dat");
            test::writeFile(recording, c.bytes);
            if (outExists) test::writeFile(out, "precious");
            const auto before = dir.names();
            std::vector<std::string> args = {"import", recording, "-o", out};
            args.insert(args.end(), c.options.begin(), c.options.end());
            const auto result = runCli(dir, args);
            EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
            EXPECT_EQ(result.err, "korvel-cli: " + recording + ": " + c.message + "\n");
            EXPECT_EQ(dir.names(), before) << c.name;
            if (outExists) {
                EXPECT_EQ(test::readFile(out), "precious") << c.name;
            }
        }
    ScratchDir dir;
    test::writeFile(dir.path("rec.dat"), test::waveBytes({}, rate, tune));
    EXPECT_EQ(runCli(dir, {"list", dir.path("rec.dat")}).err,
              "korvel-cli: " + dir.path("rec.dat") +
                  ": this is a recording, not a script; korvel-cli import makes a script of it\n");
}

// Two hours at 8000 Hz, 115 MB of a file that takes no room on disk.
TEST(RecordingImport, TwoHoursAreHeardInLittleMemory) {
    ScratchDir dir;
    const std::string recording = dir.path("long.wav");
    const uint32_t dataBytes = 2 * 3600 * 8000 * 2;
    test::writeFile(recording, test::waveBytes({1, 16, 1, false, {}, dataBytes}, 8000, {}));
    std::filesystem::resize_file(recording, 44 + uint64_t(dataBytes));
    const auto result = runCli(dir, {"import", recording, "-o", dir.path("long.dat")});
    EXPECT_EQ(result.err,
              "korvel-cli: " + recording + ": no notes were heard in 2:00:00.0 of sound\n");
    EXPECT_FALSE(test::fileExists(dir.path("long.dat")));
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "KiB resident at most";
}

} // namespace
} // namespace korvel::cli
