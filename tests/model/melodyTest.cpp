#include "model/melody.h"
#include "model/toneBank.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvel::test {
namespace {

// Writes steps given as they read on the LED (s3 s2 s1 s0), from address on.
void putSteps(KitState& kit, uint32_t address, const std::vector<std::string>& steps) {
    for (const std::string& text : steps) {
        for (uint32_t i = 0; i < 4; ++i)
            kit.memory[(address + i) & addressMask] =
                std::stoul(text.substr(3 - i, 1), nullptr, 16);
        address += 4;
    }
}

MelodyStep step(const std::string& text) {
    KitState kit{};
    putSteps(kit, 0, {text});
    return readStep(kit, 0);
}

// Starts the tune and answers `reports` completion reports; returns every tone index sounded.
std::vector<uint32_t> play(KitFixture& f, int reports) {
    startMelody(f.kit, f.recorder.ports());
    for (int i = 0; i < reports; ++i) nextNote(f.kit, f.recorder.ports());
    std::vector<uint32_t> tones;
    for (const PortCall& call : f.recorder.calls)
        if (call.kind == PortCall::Tone) tones.push_back(call.index);
    return tones;
}

TEST(NoteLengthTable, MatchesItsCheckpointsAndNeverExceedsOneBuffer) {
    struct Checkpoint {
        uint32_t tempo, code, bytes;
    };
    for (const Checkpoint& c : {Checkpoint{0, 0, 368}, Checkpoint{0, 1, 735}, Checkpoint{1, 0, 735},
                                Checkpoint{2, 2, 3308}, Checkpoint{15, 31, 188160}})
        EXPECT_EQ(noteLengthTable[c.tempo * 32 + c.code], c.bytes) << c.tempo << "," << c.code;
    for (uint32_t bytes : noteLengthTable) EXPECT_LE(bytes, toneBufferBytes);
}

TEST(NoteLength, HighLengthCodesReadHigherTempoRowsAndStayWithinABuffer) {
    EXPECT_EQ(noteLength(0, 0x20), 735u); // entry(1, 0)
    EXPECT_EQ(noteLength(3, 0x35), noteLengthTable[(3 + 1) * 32 + 0x15]);
    EXPECT_EQ(noteLength(15, 0x20), 6248u); // entry(16, 0) by the same rule
    uint32_t previous = 0;
    for (uint32_t code = 0; code < 256; code += 32) { // one column down the rows
        const uint32_t bytes = noteLength(15, code);
        EXPECT_LE(bytes, toneBufferBytes);
        EXPECT_GE(bytes, previous);
        previous = bytes;
    }
    EXPECT_EQ(noteLength(15, 255), toneBufferBytes);
}

struct DecodeCase {
    const char* text;
    StepKind kind;
    uint32_t tone;
    uint32_t lengthCode;
};

class StepDecoding : public testing::TestWithParam<DecodeCase> {};

TEST_P(StepDecoding, GivesKindToneAndLengthCode) {
    const DecodeCase& c = GetParam();
    EXPECT_EQ(stepKind(step(c.text)), c.kind);
    EXPECT_EQ(toneIndexOf(step(c.text)), c.tone);
    EXPECT_EQ(lengthCodeOf(step(c.text)), c.lengthCode);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, StepDecoding,
    testing::Values(
        DecodeCase{"3405", StepKind::Note, 52, 5}, DecodeCase{"0000", StepKind::Note, 0, 0},
        DecodeCase{"3C05", StepKind::Note, 59, 5}, // note numbers 12.. sound as si
        DecodeCase{"3D05", StepKind::Note, 59, 5}, DecodeCase{"3F05", StepKind::Note, 59, 5},
        DecodeCase{"3E05", StepKind::Note, 59, 5},  // E without a second E: a note
        DecodeCase{"E305", StepKind::Note, 227, 5}, // divider 14, not a rest
        DecodeCase{"FB1F", StepKind::Note, 251, 31}, DecodeCase{"EE05", StepKind::Rest, 47, 5},
        DecodeCase{"EEEF", StepKind::Rest, 47, 0xEF}, DecodeCase{"EEEE", StepKind::End, 47, 0xEE},
        // one nibble short of the end marker, in each position
        DecodeCase{"EE5E", StepKind::Rest, 47, 0x5E}, DecodeCase{"E5EE", StepKind::Note, 229, 0xEE},
        DecodeCase{"5EEE", StepKind::Note, 91, 0xEE}, DecodeCase{"7020", StepKind::Jump, 112, 0x20},
        DecodeCase{"7E7E", StepKind::Jump, 123, 0x7E}));

TEST(JumpTarget, IsThreeDigitsTakenModulo512) {
    EXPECT_EQ(jumpTarget(step("7020")), 0x20u);
    EXPECT_EQ(jumpTarget(step("7FFC")), 0x1FCu);
    EXPECT_EQ(jumpTarget(step("7204")), 4u);
}

TEST(StartMelody, EndMarkerAtStartHaltsSilently) {
    KitFixture f;
    putSteps(f.kit, 0, {"EEEE"});
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.kit.mode, KitMode::Halted);
    EXPECT_EQ(f.recorder.calls, std::vector<PortCall>{ledCall});
}

TEST(StartMelody, SoundsTheFirstStepAndRequestsARepaint) {
    KitFixture f;
    f.kit.tempo = 2;
    f.kit.startAddress = 0x220; // modulo 512: 0x20
    putSteps(f.kit, 0x20, {"3402"});
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.kit.mode, KitMode::Playing);
    EXPECT_EQ(f.recorder.calls, (std::vector<PortCall>{toneCall(52, 3308), ledCall}));
    EXPECT_EQ(f.kit.playPointer, 0x24u);
    EXPECT_EQ(f.kit.repeat, 1);
}

TEST(NextNote, OneNoteTuneRepeatsForEverWithoutRepaints) {
    KitFixture f;
    putSteps(f.kit, 0, {"0501", "EEEE"});
    EXPECT_EQ(play(f, 4), (std::vector<uint32_t>{5, 5, 5, 5, 5}));
    EXPECT_EQ(std::count(f.recorder.calls.begin(), f.recorder.calls.end(), ledCall), 1);
}

TEST(NextNote, JumpBackPlaysASectionTwicePerPass) {
    KitFixture f;
    putSteps(f.kit, 0x10, {"0100", "0200", "7010", "0300", "EEEE"});
    f.kit.startAddress = 0x10;
    EXPECT_EQ(play(f, 9), (std::vector<uint32_t>{1, 2, 1, 2, 3, 1, 2, 1, 2, 3}));
}

TEST(NextNote, JumpInTheFirstStepIsFollowedOnEveryPass) {
    KitFixture f;
    putSteps(f.kit, 0, {"7008", "0900", "0100", "0200", "EEEE"});
    EXPECT_EQ(play(f, 5), (std::vector<uint32_t>{1, 2, 1, 2, 1, 2}));
}

// RUN after a tune was stopped before its jump, with the repeat flag still set:
// a first-step jump uses up the flag, so the later jump waits for the next pass.
TEST(StartMelody, FirstStepJumpClearsARepeatFlagLeftByAStoppedTune) {
    KitFixture f;
    putSteps(f.kit, 0, {"0100"});
    f.press(KeyId::Run);
    f.click(KeyId::Stop);
    ASSERT_EQ(f.kit.repeat, 1);
    f.recorder.take();
    putSteps(f.kit, 0, {"7008", "0900", "0100", "7004", "EEEE"});
    EXPECT_EQ(play(f, 3), (std::vector<uint32_t>{1, 1, 1, 1}));
}

TEST(StartMelody, JumpTargetIsSoundedWhateverItHolds) {
    KitFixture f;
    putSteps(f.kit, 0, {"7008", "0000", "EEEE", "0300"});
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.take(), (std::vector<PortCall>{toneCall(47, 44100), ledCall}));
    nextNote(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.take(), std::vector<PortCall>{toneCall(3, 368)});

    putSteps(f.kit, 8, {"7C10"});
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.take().front(), toneCall(112 + 11, noteLengthTable[16]));
}

TEST(NextNote, StepAt508IsFollowedByStepAtZero) {
    KitFixture f;
    f.kit.startAddress = 508;
    putSteps(f.kit, 508, {"0100", "0200", "EEEE"});
    EXPECT_EQ(play(f, 3), (std::vector<uint32_t>{1, 2, 1, 2}));
}

TEST(NextNote, StepStartingAt509ReadsOnFromAddressZero) {
    KitFixture f;
    f.kit.startAddress = 509;
    f.kit.memory[509] = 1, f.kit.memory[510] = 2, f.kit.memory[511] = 3, f.kit.memory[0] = 4;
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.calls.front(), toneCall(4 * 16 + 3, 1470));
    EXPECT_EQ(f.kit.playPointer, 1u);
}

TEST(NextNote, DoesNothingOutsidePlaying) {
    for (KitMode mode :
         {KitMode::Blank, KitMode::Clock, KitMode::Entry, KitMode::Keyboard, KitMode::Halted}) {
        KitFixture f;
        f.kit.mode = mode;
        nextNote(f.kit, f.recorder.ports());
        EXPECT_TRUE(f.recorder.calls.empty());
        EXPECT_EQ(f.kit.playPointer, 0u);
    }
}

TEST(NextNote, ReportOfANoteCutByStopStartsNothing) {
    KitFixture f;
    putSteps(f.kit, 0, {"0100", "0200"});
    f.press(KeyId::Run);
    f.press(KeyId::Stop);
    f.recorder.take();
    nextNote(f.kit, f.recorder.ports());
    EXPECT_TRUE(f.recorder.calls.empty());
    EXPECT_EQ(f.kit.mode, KitMode::Blank);
}

TEST(NextNote, TuneWithNothingToSoundFallsSilentAndStopStillLeaves) {
    KitFixture f;
    for (uint32_t a = 0; a < memoryNibbles; a += 4) putSteps(f.kit, a, {"7000"});
    putSteps(f.kit, 0, {"7004", "EEEE"}); // jumps straight to the end marker
    const auto memory = f.kit.memory;
    startMelody(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.take(), (std::vector<PortCall>{toneCall(47, 44100), ledCall}));
    nextNote(f.kit, f.recorder.ports());
    EXPECT_EQ(f.kit.mode, KitMode::Playing);
    EXPECT_TRUE(f.recorder.take().empty());
    f.click(KeyId::Stop);
    EXPECT_EQ(f.kit.mode, KitMode::Clock);
    EXPECT_EQ(f.kit.memory, memory);
}

struct Examined {
    uint32_t address;
    StepKind kind;
    bool followed;
    bool operator==(const Examined& o) const {
        return address == o.address && kind == o.kind && followed == o.followed;
    }
};

class Recorder : public StepObserver {
  public:
    std::vector<Examined> steps;
    void stepExamined(const MelodyStep& s, StepKind kind, bool followed) override {
        steps.push_back({s.address, kind, followed});
    }
};

TEST(StepObserver, SeesEveryStepExaminedInOrder) {
    KitFixture f;
    putSteps(f.kit, 0, {"0100", "7000", "EE03", "EEEE"});
    Recorder seen;
    const KitPorts ports{f.recorder, f.recorder, &seen};
    startMelody(f.kit, ports);
    for (int i = 0; i < 3; ++i) nextNote(f.kit, ports);
    const std::vector<Examined> expected = {{0, StepKind::Note, false}, {4, StepKind::Jump, true},
                                            {0, StepKind::Note, false}, {4, StepKind::Jump, false},
                                            {8, StepKind::Rest, false}, {12, StepKind::End, false},
                                            {0, StepKind::Note, false}};
    EXPECT_EQ(seen.steps, expected);
}

} // namespace
} // namespace korvel::test
