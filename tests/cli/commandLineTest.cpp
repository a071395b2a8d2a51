// korvel-cli as its users and other tools meet it: exit statuses, messages,
// files written or left alone, and the example tunes.
#include "files/tuneLoad.h"
#include "formats/tuneRun.h"
#include "formats/waveFile.h"
#include "tests/cli/cliTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace korvel::cli {
namespace {

using namespace formats;

using test::runCli;
using test::ScratchDir;

const char* const twoNotes = "0000@ 0010W  0010@ 3405W 1007W EEEEW";

// n samples of a square wave from its high phase, as the tone bank makes it.
std::string squareWave(size_t high, size_t low, size_t n) {
    std::string samples;
    while (samples.size() < n) samples += std::string(high, '\x86') + std::string(low, '\x70');
    return samples.substr(0, n);
}

TEST(Render, TwoNotesGolden) {
    // mi at divider 3: 68 high, 64 low; do at divider 1: 42 and 42. At tempo 0,
    // codes 05 and 07 are 2205 and 2940 samples, then a pad byte (5145 is
    // odd); at tempo F, 0F and 0A are 94080 and 64680, written in several pieces.
    const struct {
        std::string script;
        size_t mi, then; // samples of mi, then of do
    } cases[] = {{twoNotes, 2205, 2940},
                 {"000E@ 000FW 0000@ 0010W  0010@ 340FW 100AW EEEEW", 94080, 64680}};
    for (const auto& c : cases) {
        ScratchDir dir;
        test::writeFile(dir.path("tune.dat"), test::script(c.script));
        const auto result =
            runCli(dir, {"render", dir.path("tune.dat"), "-o", dir.path("tune.wav")});
        ASSERT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.err, "");
        const WaveHeader header = waveHeader(uint32_t(c.mi + c.then));
        const std::string expected = std::string(header.begin(), header.end()) +
                                     squareWave(68, 64, c.mi) + squareWave(42, 42, c.then) +
                                     std::string((c.mi + c.then) & 1, '\0');
        EXPECT_TRUE(test::readFile(dir.path("tune.wav")) == expected) << c.script;
    }
}

struct FileFault {
    const char* name;
    const char* content; // null: the script file is not there
    const char* message; // after "korvel-cli: SCRIPT: "
};

void PrintTo(const FileFault& fault, std::ostream* out) {
    *out << fault.name;
}

class RenderFault : public testing::TestWithParam<FileFault> {};

// One line naming the file, status 1, and no WAV: neither a new one nor a
// change to one already there.
TEST_P(RenderFault, ReportsAndWritesNothing) {
    const FileFault& fault = GetParam();
    for (const bool outExists : {false, true}) {
        ScratchDir dir;
        const std::string tune = dir.path("tune.dat"), out = dir.path("out.wav");
        if (fault.content) test::writeFile(tune, fault.content);
        if (outExists) test::writeFile(out, "precious");
        const auto before = dir.names();
        const auto result = runCli(dir, {"render", tune, "-o", out});
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "korvel-cli: " + tune + ": " + fault.message + "\n");
        EXPECT_EQ(dir.names(), before);
        if (outExists) {
            EXPECT_EQ(test::readFile(out), "precious");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RenderFault,
    testing::Values(
        FileFault{"Missing", nullptr, "cannot read the file (No such file or directory)"},
        FileFault{"NotAScript", "korvel\n---\n0010@ 3405W", "This File is not KORVEL script."},
        FileFault{"HaltsAtOnce", "KORVEL\n---\n0000@ 0020W 0020@ EEEEW",
                  "the tune halts at once: the end marker EEEE stands at its start address 020, "
                  "so nothing plays"},
        FileFault{"EndsItself", "KORVEL\n---\n0000@ 0010W 0010@ 7020W 0020@ EEEEW EEEEW",
                  "the tune ends by itself after 1 step: from address 024 on, play meets only "
                  "jumps and end markers, nothing to sound"}),
    [](const testing::TestParamInfo<FileFault>& info) { return info.param.name; });

TEST(Render, OutputItCannotWriteIsNamed) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const std::string out = dir.path("no/such/folder.wav");
    const auto result = runCli(dir, {"render", dir.path("tune.dat"), "-o", out});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "korvel-cli: " + out +
                              ": cannot create a file beside it (No such file or directory)\n");
}

// A file with other hard links is written in place; under a file size limit
// (as with a full disk) the room is missing before an old byte changes, and
// the program reports it rather than being ended by the limit's signal.
TEST(Render, FileSizeLimitKeepsAHardLinkedOutput) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const std::string out = dir.path("out.wav"), other = dir.path("other.wav");
    test::writeFile(out, "precious");
    ASSERT_EQ(link(out.c_str(), other.c_str()), 0);
    const auto result = runCli(dir, {"render", dir.path("tune.dat"), "-o", out, "--seconds", "2"},
                               {"ulimit -f 8;"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "korvel-cli: " + out + ": cannot write (File too large)\n");
    EXPECT_TRUE(test::readFile(out) == "precious" && test::readFile(other) == "precious")
        << "the old contents changed";
}

// The script itself (named directly or through a link) and anything that is
// not a regular file are refused before a byte is written.
TEST(Render, RefusesOutputsItMustNotReplace) {
    ScratchDir dir;
    const std::string tune = dir.path("tune.dat"), text = test::script(twoNotes);
    test::writeFile(tune, text);
    ASSERT_EQ(symlink("tune.dat", dir.path("link.dat").c_str()), 0);
    ASSERT_EQ(mkfifo(dir.path("fifo").c_str(), 0600), 0);
    const auto before = dir.names();
    const std::string itself = "the output is the script itself; nothing written";
    const std::pair<std::string, std::string> cases[] = {{tune, itself},
                                                         {dir.path("link.dat"), itself},
                                                         {"/dev/null", "not a regular file"},
                                                         {dir.path("fifo"), "not a regular file"}};
    for (const auto& [out, message] : cases) {
        const auto result = runCli(dir, {"render", tune, "-o", out});
        EXPECT_EQ(result.exitCode, 1) << out;
        EXPECT_EQ(result.err, "korvel-cli: " + out + ": " + message + "\n");
        EXPECT_EQ(dir.names(), before);
    }
    EXPECT_EQ(test::readFile(tune), text);
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
    EXPECT_TRUE(std::filesystem::is_fifo(dir.path("fifo")));
}

TEST(Render, DashWritesTheSameWaveToStandardOutput) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    ASSERT_EQ(runCli(dir, {"render", dir.path("tune.dat"), "-o", dir.path("t.wav")}).exitCode, 0);
    const auto result = runCli(dir, {"render", dir.path("tune.dat"), "-o", "-"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_TRUE(result.out == test::readFile(dir.path("t.wav")));
    EXPECT_EQ(dir.names(), (std::vector<std::string>{"t.wav", "tune.dat"}));
}

TEST(Render, PassWithoutEndMarkerWarnsAndStopsAtTenMinutes) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(""));
    const auto result = runCli(dir, {"render", dir.path("tune.dat"), "-o", dir.path("t.wav")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "korvel-cli: " + dir.path("tune.dat") +
                              ": warning: no end marker sent play back to the start within 10 "
                              "minutes; stopped there\n");
    EXPECT_EQ(test::readFile(dir.path("t.wav")).size(), waveHeaderBytes + 35952 * 368);
}

// The peak resident memory of korvel-cli run with args, in KiB; -1 when it fails.
long peakKiB(std::vector<std::string> args) {
    std::string cli = KORVEL_CLI;
    std::vector<char*> argv{cli.data()};
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    const int spawned = posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    if (spawned != 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// Ten minutes of audio are computed a little at a time, as the sound queue
// computes them, not copied from a tone bank of 36 MB: the render needs
// hardly more memory than listing the same tune.
TEST(Render, TenMinutesNeedNoMoreMemoryThanTheirListing) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(""));
    const long listing = peakKiB({"list", dir.path("tune.dat")});
    const long rendering = peakKiB({"render", dir.path("tune.dat"), "-o", dir.path("t.wav")});
    ASSERT_GT(listing, 0);
    ASSERT_GT(rendering, 0);
    EXPECT_LT(rendering, listing + 8 * 1024) << "KiB, against " << listing << " KiB";
}

TEST(Render, SecondsAndNotes) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const struct {
        std::vector<std::string> limit;
        size_t samples;
    } cases[] = {{{"--notes", "3"}, 2205 + 2940 + 2205}, {{"--seconds", "0.2"}, 2205 + 2940}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"render", dir.path("tune.dat"), "-o", dir.path("o.wav")};
        args.insert(args.end(), c.limit.begin(), c.limit.end());
        ASSERT_EQ(runCli(dir, args).exitCode, 0);
        EXPECT_EQ(test::readFile(dir.path("o.wav")).size(),
                  waveHeaderBytes + c.samples + (c.samples & 1));
    }
}

class BadArguments : public testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadArguments, ShowTheUsage) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    std::vector<std::string> args = GetParam();
    for (auto& arg : args)
        if (arg == "TUNE") arg = dir.path("tune.dat");
    const auto result = runCli(dir, args);
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.err.rfind("korvel-cli: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find("\nusage: korvel-cli "), std::string::npos) << result.err;
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(dir.names(), std::vector<std::string>{"tune.dat"});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadArguments,
    testing::Values(std::vector<std::string>{}, std::vector<std::string>{"frob"},
                    std::vector<std::string>{"render", "TUNE"},
                    std::vector<std::string>{"render", "-o", "x.wav"},
                    std::vector<std::string>{"render", "TUNE", "-o", "x.wav", "--notes", "0"},
                    std::vector<std::string>{"render", "TUNE", "-o", "x.wav", "--notes", "2",
                                             "--seconds", "1"},
                    std::vector<std::string>{"render", "TUNE", "-o", "x.wav", "--seconds", "nan"},
                    std::vector<std::string>{"play", "TUNE", "--seconds", "-1"},
                    std::vector<std::string>{"play", "TUNE", "--notes", "many"},
                    std::vector<std::string>{"list", "TUNE", "--seconds", "1"},
                    std::vector<std::string>{"list", "TUNE", "extra"}));

// The first line of stderr says exactly what is wrong; values out of range are
// refused rather than brought into it, and the bounds themselves are taken.
TEST(CommandLine, ArgumentFaultsNamedExactly) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const std::string tune = dir.path("tune.dat"), missing = dir.path("missing.dat");
    const std::string notes = "--notes must be a whole number from 1 to 1000000";
    const std::string seconds = "--seconds must be a number above 0 and at most 86400";
    const std::string commands = "; commands: render, list, play, import, export";
    const std::string unread = ": cannot read the file (No such file or directory)";
    const struct {
        std::vector<std::string> args;
        int exitCode;
        std::string firstLine; // after "korvel-cli: "
    } cases[] = {
        {{"list", tune, "--notes", "0"}, 2, notes},
        {{"list", tune, "--notes", "1000001"}, 2, notes},
        {{"list", tune, "--notes", "18446744073709551616"}, 2, notes},
        {{"list", tune, "--notes", "-1"}, 2, notes},
        {{"list", tune, "--notes", "2.5"}, 2, notes},
        {{"list", tune, "--notes", "3x"}, 2, notes},
        {{"list", missing, "--notes", "1000000"}, 1, missing + unread},
        {{"render", tune, "-o", "x.wav", "--seconds", "86400.01"}, 2, seconds},
        {{"play", tune, "--seconds", "0"}, 2, seconds},
        {{"play", tune, "--seconds", "inf"}, 2, seconds},
        {{"play", tune, "--seconds", "2s"}, 2, seconds},
        {{"render", missing, "-o", "x.wav", "--seconds", "86400"}, 1, missing + unread},
        {{"frob", tune}, 2, "unknown command 'frob'" + commands},
        {{"\x1b]0;hi\a"}, 2, "unknown command '\\x1b]0;hi\\x07'" + commands},
        {{}, 2, "no command given" + commands},
        {{"list", dir.path("a\nb\x1b[2J.dat")}, 1, dir.path("a\\nb\\x1b[2J.dat") + unread},
    };
    for (const auto& c : cases) {
        const auto result = runCli(dir, c.args);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.firstLine;
        EXPECT_EQ(result.err.substr(0, result.err.find('\n')), "korvel-cli: " + c.firstLine);
    }
}

TEST(CommandLine, HelpForEveryCommandAndVersion) {
    ScratchDir dir;
    for (const char* command : {"render", "list", "play"}) {
        const auto help = runCli(dir, {command, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_NE(help.out.find(std::string("Usage: korvel-cli ") + command), std::string::npos)
            << help.out;
    }
    EXPECT_EQ(runCli(dir, {"--help"}).exitCode, 0);
    const auto version = runCli(dir, {"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("korvel-cli ", 0), 0u);
}

TEST(List, JumpRepeatPass) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"),
                    test::script("000E@ 0001W 0000@ 0010W 0010@ 3405W EE00W 7010W 2B00W EEEEW"));
    const auto result = runCli(dir, {"list", dir.path("tune.dat")});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, "010  3405  note           mi   divider 3    4410 bytes    200.0 ms\n"
                          "014  EE00  rest           rest               735 bytes     33.3 ms\n"
                          "018  7010  jump followed  to 010\n"
                          "010  3405  note           mi   divider 3    4410 bytes    200.0 ms\n"
                          "014  EE00  rest           rest               735 bytes     33.3 ms\n"
                          "018  7010  jump passed\n"
                          "01C  2B00  note           si   divider 2     735 bytes     33.3 ms\n"
                          "020  EEEE  end\n");
}

TEST(List, NotesAndFaults) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const auto three = runCli(dir, {"list", dir.path("tune.dat"), "--notes", "3"});
    EXPECT_EQ(three.exitCode, 0);
    EXPECT_EQ(three.out, "010  3405  note           mi   divider 3    2205 bytes    100.0 ms\n"
                         "014  1007  note           do   divider 1    2940 bytes    133.3 ms\n"
                         "018  EEEE  end\n"
                         "010  3405  note           mi   divider 3    2205 bytes    100.0 ms\n");
    // The listing shows what play met before the fault.
    test::writeFile(dir.path("halt.dat"), test::script("0000@ 0020W 0020@ EEEEW"));
    const auto halt = runCli(dir, {"list", dir.path("halt.dat")});
    EXPECT_EQ(halt.exitCode, 1);
    EXPECT_EQ(halt.out, "020  EEEE  end\n");
    EXPECT_NE(halt.err.find("halts at once"), std::string::npos);
}

TEST(Play, DummyDeviceHearsTheTune) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const auto result = runCli(dir, {"play", dir.path("tune.dat")}, {"SDL_AUDIODRIVER=dummy"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Playing " + dir.path("tune.dat") + "  0:00.2 / 0:00.2\n");
}

// SDL's disk driver records what the device was given: the rendered samples
// and silence. A loaded machine may starve the device for a moment, which only
// adds silence, so silence is dropped before comparing (the tune has no rests).
TEST(Play, DeviceGetsTheRenderedSamples) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    const auto played =
        runCli(dir, {"play", dir.path("tune.dat"), "--notes", "4"},
               {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + dir.path("device.raw")});
    ASSERT_EQ(played.exitCode, 0) << played.err;
    ASSERT_EQ(runCli(dir, {"render", dir.path("tune.dat"), "--notes", "4", "-o", dir.path("t.wav")})
                  .exitCode,
              0);
    const std::string rendered = test::readFile(dir.path("t.wav")).substr(waveHeaderBytes);
    const std::string device = test::readFile(dir.path("device.raw"));
    ASSERT_EQ(rendered.find('\x80'), std::string::npos);
    std::string sounded = device;
    sounded.erase(std::remove(sounded.begin(), sounded.end(), '\x80'), sounded.end());
    EXPECT_TRUE(sounded == rendered);
}

TEST(Play, CtrlCStopsCleanly) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) env.emplace_back(*e);
    env.emplace_back("SDL_AUDIODRIVER=dummy");
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string cli = KORVEL_CLI, command = "play", tune = dir.path("tune.dat"),
                seconds = "--seconds", thirty = "30";
    char* argv[] = {cli.data(),     command.data(), tune.data(),
                    seconds.data(), thirty.data(),  nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, dir.path("out").c_str(), O_WRONLY | O_CREAT,
                                     0644);
    pid_t pid;
    ASSERT_EQ(posix_spawn(&pid, cli.c_str(), &actions, nullptr, argv, envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);

    std::this_thread::sleep_for(std::chrono::seconds(1));
    const auto interrupted = std::chrono::steady_clock::now();
    kill(pid, SIGINT);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_LT(std::chrono::steady_clock::now() - interrupted, std::chrono::seconds(2));
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130);
    const std::string out = test::readFile(dir.path("out"));
    EXPECT_EQ(out.substr(out.size() - std::string("stopped\n").size()), "stopped\n") << out;
}

std::vector<std::string> examples() {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_EXAMPLES_DIR))
        if (entry.path().extension() == ".dat") found.push_back(entry.path().string());
    return found;
}

// Each example plays a whole pass, with an end marker, and lists cleanly.
TEST(Examples, EveryExampleRenders) {
    ScratchDir dir;
    const auto tunes = examples();
    EXPECT_GE(tunes.size(), 6u);
    for (const std::string& tune : tunes) {
        const auto rendered = runCli(dir, {"render", tune, "-o", dir.path("e.wav")});
        EXPECT_EQ(rendered.exitCode, 0) << tune;
        EXPECT_EQ(rendered.err, "") << tune;
        EXPECT_GT(test::readFile(dir.path("e.wav")).size(), waveHeaderBytes) << tune;
        const auto listed = runCli(dir, {"list", tune});
        EXPECT_EQ(listed.exitCode, 0) << tune;
        EXPECT_EQ(listed.err, "") << tune;
    }
}

// Together the examples show every way a tune is put together.
TEST(Examples, CoverRestsJumpsTempoAndStartAddress) {
    ScratchDir dir;
    bool rest = false, jump = false, tempo = false, start = false;
    for (const std::string& tune : examples()) {
        const std::string listing = runCli(dir, {"list", tune}).out;
        rest |= listing.find("  rest  ") != std::string::npos;
        jump |= listing.find("jump followed") != std::string::npos;
        KitState kit;
        ASSERT_EQ(loadTune(kit, tune).outcome, FileOutcome::Done) << tune;
        tempo |= kit.tempo != 0;
        start |= kit.startAddress != 0;
    }
    EXPECT_TRUE(rest);
    EXPECT_TRUE(jump);
    EXPECT_TRUE(tempo);
    EXPECT_TRUE(start);
}

} // namespace
} // namespace korvel::cli
