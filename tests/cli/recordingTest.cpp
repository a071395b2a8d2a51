// korvel-cli import of recordings: a bad recording refused with nothing
// written, in little memory however long. (The encodings are the reader's
// tests; the tune the desktop's, against korvel-cli.)
#include "tests/cli/cliTestSupport.h"
#include "tests/support/waveBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/resource.h>

namespace korvel::cli {
namespace {

using test::runCli;
using test::ScratchDir;

constexpr uint32_t rate = 22050;
const std::vector<double> tune = test::melody(rate, {64, 67, 69, 71, 72, 69}, 0.25);

TEST(RecordingImport, TheScriptAndReportTellWhatWasHeard) {
    ScratchDir dir;
    test::writeFile(dir.path("rec.wav"), test::waveBytes({}, rate, tune));
    const auto result = runCli(dir, {"import", dir.path("rec.wav"), "-o", dir.path("rec.dat")});
    EXPECT_EQ(result.out.rfind("heard:          6 notes in 0:01.9", 0), 0u) << result.out;
    const std::string script = test::readFile(dir.path("rec.dat"));
    EXPECT_NE(script.find("\nImported from the recording rec.wav,\n"), std::string::npos) << script;
}

// One line, the status given, and the output neither made nor changed.
TEST(RecordingImport, BadRecordingsAreRefusedAndNothingIsWritten) {
    const struct {
        std::string bytes;
        std::string option; // besides -o
        int exitCode;
        std::string message;
    } cases[] = {
        {test::waveBytes({}, 8000, std::vector<double>(8000)), "--fit", 1,
         "no notes were heard in 0:01.0 of sound"},
        {test::waveBytes({}, rate, tune).substr(0, 22094), "--fit", 1,
         "its header claims 0:01.9 of audio (82020 bytes), but the file holds only 0:00.5 "
         "(22050 bytes)"},
        {test::waveBytes({}, rate, tune), "--track=1", 2,
         "--track and --channel choose a voice of a MIDI file; a recording has one voice"},
    };
    for (const auto& c : cases)
        for (const bool outExists : {false, true}) {
            ScratchDir dir;
            const std::string recording = dir.path("rec.wav"), out = dir.path("out.dat");
            test::writeFile(recording, c.bytes);
            if (outExists) test::writeFile(out, "precious");
            const auto before = dir.names();
            const auto result = runCli(dir, {"import", recording, "-o", out, c.option});
            EXPECT_EQ(result.exitCode, c.exitCode);
            EXPECT_EQ(result.err, "korvel-cli: " + recording + ": " + c.message + "\n");
            EXPECT_EQ(dir.names(), before);
            EXPECT_EQ(test::readFile(out), outExists ? "precious" : "");
        }
    ScratchDir dir;
    test::writeFile(dir.path("rec.dat"), test::waveBytes({}, rate, tune));
    EXPECT_EQ(runCli(dir, {"list", dir.path("rec.dat")}).err,
              "korvel-cli: " + dir.path("rec.dat") +
                  ": this is a recording, not a script; korvel-cli import makes a script of it\n");
}

// Two hours at 8000 Hz: 115 MB of a file that takes no room on disk.
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
