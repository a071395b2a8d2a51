// Golden runs: what the player sounds for small tunes, worked out by hand from
// the step encoding and the rule length = ((tempo + 1) * (code + 1) * 735 + 1) / 2.
#include "formats/tuneRun.h"
#include "files/tuneLoad.h"
#include "formats/tuneConvert.h"
#include "tests/support/scratchDir.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace korvel::formats {
namespace {

using test::ScratchDir;

struct Sounded {
    uint32_t tone;
    uint32_t bytes;
    bool operator==(const Sounded& other) const {
        return tone == other.tone && bytes == other.bytes;
    }
};

std::ostream& operator<<(std::ostream& out, const Sounded& s) {
    return out << "{" << s.tone << ", " << s.bytes << "}";
}

class Collector final : public StepSink {
  public:
    bool sound(uint32_t tone, uint32_t bytes) override {
        steps.push_back({tone, bytes});
        return true;
    }
    std::vector<Sounded> steps;
};

// Common tunes. Start address 010 through address 0; tempo 0 unless set.
const char* const twoNotes = "0000@ 0010W  0010@ 3405W 1007W EEEEW";
const char* const jumpRepeat = "0000@ 0010W  0010@ 3405W 1007W 7010W 2B00W EEEEW";

// mi/3 for code 05, do/1 for code 07, si/2 for code 00 at tempo 0.
constexpr Sounded miD3{52, 2205}, doD1{16, 2940}, siD2{43, 368};

struct Golden {
    const char* name;
    const char* commands;
    RunLimit limit;
    std::vector<Sounded> expected;
};

void PrintTo(const Golden& golden, std::ostream* out) {
    *out << golden.name;
}

class GoldenRun : public testing::TestWithParam<Golden> {};

TEST_P(GoldenRun, SoundsTheHandComputedSteps) {
    const Golden& golden = GetParam();
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(golden.commands));
    KitState kit;
    ASSERT_EQ(loadTune(kit, dir.path("tune.dat")).outcome, FileOutcome::Done);
    Collector sink;
    const RunResult result = runTune(kit, golden.limit, sink);
    EXPECT_EQ(result.outcome, RunOutcome::Done);
    EXPECT_EQ(sink.steps, golden.expected);
    EXPECT_EQ(result.steps, golden.expected.size());
    uint64_t samples = 0;
    for (const Sounded& s : golden.expected) samples += s.bytes;
    EXPECT_EQ(result.samples, samples);
    EXPECT_FALSE(result.capped);
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, GoldenRun,
    testing::Values(
        Golden{"TwoNotes", twoNotes, RunLimit::pass(), {miD3, doD1}},
        // The first jump of a pass is followed, the second time it is passed.
        Golden{"JumpRepeat", jumpRepeat, RunLimit::pass(), {miD3, doD1, miD3, doD1, siD2}},
        Golden{
            "Rest", "0000@ 0010W  0010@ 3405W EE05W EEEEW", RunLimit::pass(), {miD3, {47, 2205}}},
        // Tempo 2 triples every length; code 20 reads the next row: entry(3, 0).
        Golden{"TempoThroughAddress14",
               "000E@ 0002W  0000@ 0010W  0010@ 1000W 0B01W 3420W EEEEW",
               RunLimit::pass(),
               {{16, 1103}, {11, 2205}, {52, 1470}}},
        // 01FC is 508; the next group goes to 0x200, which is memory 0.
        Golden{"WrapFrom508To0",
               "0000@ 01FCW  01FC@ 0100W 0200W EEEEW",
               RunLimit::pass(),
               {{1, 368}, {2, 368}}},
        // A first step that jumps is followed on every pass.
        Golden{"FirstStepJumps",
               "0000@ 0010W  0010@ 7018W 3405W 1007W EEEEW",
               RunLimit::notes(3),
               {doD1, doD1, doD1}},
        Golden{"NotesGoOnPastTheEnd", twoNotes, RunLimit::notes(5), {miD3, doD1, miD3, doD1, miD3}},
        // 0.1 s is exactly 2205 samples: the first note reaches it.
        Golden{"SecondsReachedExactly", twoNotes, RunLimit::seconds(0.1), {miD3}},
        Golden{"SecondsKeepTheLastStepWhole", twoNotes, RunLimit::seconds(0.1001), {miD3, doD1}}),
    [](const testing::TestParamInfo<Golden>& info) { return info.param.name; });

RunResult runScript(const std::string& commands, const RunLimit& limit, Collector& sink) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(commands));
    KitState kit;
    loadTune(kit, dir.path("tune.dat"));
    return runTune(kit, limit, sink);
}

TEST(TuneRun, EndMarkerAtTheStartHaltsAtOnce) {
    Collector sink;
    const RunResult result = runScript("0000@ 0020W  0020@ EEEEW", RunLimit::pass(), sink);
    EXPECT_EQ(result.outcome, RunOutcome::HaltsAtOnce);
    EXPECT_EQ(result.address, 0x20u);
    EXPECT_TRUE(sink.steps.empty());
}

// The first step jumps to an end marker, which startMelody sounds as a rest
// (code EE at tempo 0 reads entry(7, 14) = 44100). After the end marker
// behind it, play only ever meets the jump and the marker again.
TEST(TuneRun, TuneWithNothingMoreToSoundEndsItself) {
    const RunLimit limits[] = {RunLimit::pass(), RunLimit::notes(10), RunLimit::seconds(60)};
    for (const RunLimit& limit : limits) {
        Collector sink;
        const RunResult result =
            runScript("0000@ 0010W  0010@ 7020W  0020@ EEEEW EEEEW", limit, sink);
        EXPECT_EQ(result.outcome, RunOutcome::EndsItself);
        EXPECT_EQ(result.address, 0x24u);
        EXPECT_EQ(sink.steps, (std::vector<Sounded>{{47, 44100}}));
    }
}

// Empty memory is a run of 0000 notes (368 samples) without an end marker.
TEST(TuneRun, PassWithoutEndMarkerStopsAtTheCap) {
    Collector sink;
    const RunResult result = runScript("", RunLimit::pass(), sink);
    EXPECT_EQ(result.outcome, RunOutcome::Done);
    EXPECT_TRUE(result.capped);
    EXPECT_EQ(result.steps, 35952u); // 35951 * 368 = 13229968 falls short of 600 s
    EXPECT_EQ(result.samples, 35952u * 368);
}

// Only a pass stopped at the cap is asked about before an export, with its
// length and the file's size as people read them.
TEST(TuneRun, OnlyAPassStoppedAtTheCapIsAskedAbout) {
    struct Case {
        uint64_t samples;
        bool capped;
        uint64_t fileBytes;
        std::string stops; // the question's middle line, empty: none asked
    };
    const Case cases[] = {
        {35952u * 368, true, 13230380, "The WAV file would stop it after 10 minutes: 13.2 MB."},
        {65 * 22050 + 5, true, 324999,
         "The WAV file would stop it after 1 minute 5 seconds: 324 KB."},
        {30 * 22050, true, 900, "The WAV file would stop it after 30 seconds: 900 bytes."},
        {600 * 22050, false, 13230044, ""},
    };
    for (const Case& c : cases) {
        RunResult run{RunOutcome::Done, 0, 1, c.samples, c.capped};
        const std::string asked = endlessTuneQuestion(run, "WAV", c.fileBytes);
        EXPECT_EQ(asked, c.stops.empty() ? ""
                                         : "This tune reaches no end marker, so it never ends.\n" +
                                               c.stops + "\nExport it anyway?");
    }
    EXPECT_EQ(waveFileBytes({RunOutcome::Done, 0, 1, 13230335, true}), 13230380u);
}

TEST(TuneRun, SinkThatRefusesStopsTheRun) {
    class Refuser final : public StepSink {
      public:
        bool sound(uint32_t, uint32_t) override { return ++calls < 2; }
        int calls = 0;
    } refuser;
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(twoNotes));
    KitState kit;
    loadTune(kit, dir.path("tune.dat"));
    const RunResult result = runTune(kit, RunLimit::notes(5), refuser);
    EXPECT_EQ(result.outcome, RunOutcome::SinkStopped);
    EXPECT_EQ(result.steps, 1u);
}

// Records what the listing sees: address, kind and whether a jump was followed.
class StepLog final : public StepObserver {
  public:
    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override {
        steps.push_back({step.address, kind, followed});
    }
    struct Entry {
        uint32_t address;
        StepKind kind;
        bool followed;
        bool operator==(const Entry& o) const {
            return address == o.address && kind == o.kind && followed == o.followed;
        }
    };
    std::vector<Entry> steps;
};

// The nextNote call that meets the end marker goes on to sound the next
// pass's first step; a one-pass listing stops at the marker.
TEST(TuneRun, ListingOfOnePassEndsAtTheEndMarker) {
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(jumpRepeat));
    KitState kit;
    loadTune(kit, dir.path("tune.dat"));
    Collector sink;
    StepLog log;
    runTune(kit, RunLimit::pass(), sink, &log);
    using K = StepKind;
    const std::vector<StepLog::Entry> expected = {{0x10, K::Note, false}, {0x14, K::Note, false},
                                                  {0x18, K::Jump, true},  {0x10, K::Note, false},
                                                  {0x14, K::Note, false}, {0x18, K::Jump, false},
                                                  {0x1C, K::Note, false}, {0x20, K::End, false}};
    EXPECT_EQ(log.steps, expected);
}

// runTune starts the tune as RUN in Clock mode does, but with the listing
// watching; the kit's own RUN must sound the same.
TEST(TuneRun, SoundsWhatTheRunKeySounds) {
    class Recorder final : public SoundPort, public RepaintPort {
      public:
        void startKeyNote(uint32_t) override {}
        void playTone(uint32_t tone, uint32_t bytes) override { steps.push_back({tone, bytes}); }
        void stopSound() override {}
        void requestLedRepaint() override {}
        void requestColonRepaint() override {}
        std::vector<Sounded> steps;
    } recorder;
    ScratchDir dir;
    test::writeFile(dir.path("tune.dat"), test::script(jumpRepeat));
    KitState kit;
    loadTune(kit, dir.path("tune.dat"));
    KitState copy = kit;
    KitPorts ports{recorder, recorder};
    press(kit, ports, KeyId::Run);
    while (recorder.steps.size() < 12) nextNote(kit, ports);

    Collector sink;
    runTune(copy, RunLimit::notes(12), sink);
    EXPECT_EQ(sink.steps, recorder.steps);
}

} // namespace
} // namespace korvel::formats
