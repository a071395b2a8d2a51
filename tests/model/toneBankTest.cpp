#include "model/toneBank.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

class ToneBankTest : public testing::Test {
  protected:
    ToneBank bank;
    void SetUp() override { ASSERT_TRUE(buildToneBank(bank)); }
};

struct WaveCase {
    uint32_t tone;
    uint32_t highBytes;
    uint32_t lowBytes;
};

class SquareWaves : public ToneBankTest, public testing::WithParamInterface<WaveCase> {};

// Every byte of the buffer, not a sample: a wrong tail after the last whole period counts.
TEST_P(SquareWaves, HoldHighThenLowPhasesThroughTheWholeBuffer) {
    const WaveCase& c = GetParam();
    const uint8_t* wave = bank.tone[c.tone];
    ASSERT_NE(wave, nullptr);
    const uint32_t period = c.highBytes + c.lowBytes;
    for (uint32_t j = 0; j < toneBufferBytes; ++j) {
        const uint8_t expected = j % period < c.highBytes ? 134 : 112;
        ASSERT_EQ(wave[j], expected) << "tone " << c.tone << " byte " << j;
    }
}

INSTANTIATE_TEST_SUITE_P(Tones, SquareWaves,
                         testing::Values(WaveCase{0, 21, 21},     // do, divider 0
                                         WaveCase{19, 36, 34},    // re#, divider 1
                                         WaveCase{251, 176, 176}, // si, divider 15
                                         WaveCase{52, 68, 64},    // mi, divider 3
                                         WaveCase{137, 117, 108}, // la, divider 8
                                         WaveCase{24, 28, 26}));  // sol#, divider 1

TEST_F(ToneBankTest, FillsExactlyTheNoteSlotsAndSilence) {
    int waves = 0;
    for (uint32_t t = 0; t < toneSlotCount; ++t) {
        const bool note = t % 16 < 12;
        EXPECT_EQ(bank.tone[t] != nullptr, note || t == silenceToneIndex) << t;
        EXPECT_EQ(hasTone(t), note || t == silenceToneIndex) << t;
        waves += note;
    }
    EXPECT_EQ(waves, 192);
    EXPECT_FALSE(hasTone(toneSlotCount));
    const uint8_t* silence = bank.tone[silenceToneIndex];
    for (uint32_t j = 0; j < toneBufferBytes; ++j) ASSERT_EQ(silence[j], 128) << j;
}

TEST_F(ToneBankTest, KeyNotesLoopTheirOwnToneBufferForTheGivenLength) {
    const struct {
        uint32_t index, loopBytes;
    } cases[] = {{16, 141120}, {18, 141000}, {27, 141120}, {52, 140448}, {59, 140976}};
    for (const auto& c : cases) {
        EXPECT_EQ(bank.keyNote[c.index].samples, bank.tone[c.index]) << c.index;
        EXPECT_EQ(bank.keyNote[c.index].loopBytes, c.loopBytes) << c.index;
    }
    int filled = 0;
    for (uint32_t k = 0; k < keyNoteSlotCount; ++k) {
        const KeyNote& note = bank.keyNote[k];
        if (!note.samples) continue;
        ++filled;
        EXPECT_TRUE((k >= 16 && k <= 27) || (k >= 52 && k <= 59)) << k;
        EXPECT_LE(note.loopBytes, 141120u) << k;
    }
    EXPECT_EQ(filled, 20);
}

} // namespace
} // namespace korvel::test
