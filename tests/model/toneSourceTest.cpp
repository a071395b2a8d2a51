#include "toneSource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace korvel::test {
namespace {

// An odd size, so pieces begin and end anywhere in a period.
constexpr uint32_t pieceBytes = 4099;

// Every byte of every tone buffer and of every key note's loop, twice round
// and past the wrap, against the bank.
TEST(ToneSource, ReadsEveryByteTheBankHolds) {
    ToneBank bank;
    ASSERT_TRUE(buildToneBank(bank));
    std::vector<uint8_t> piece(pieceBytes), expected(pieceBytes);
    for (uint32_t t = 0; t < toneSlotCount; ++t) {
        ToneSource source = melodyNoteSource(t, toneBufferBytes + 1);
        if (!bank.tone[t]) {
            EXPECT_TRUE(toneEnded(source)) << t;
            continue;
        }
        ASSERT_EQ(source.length, toneBufferBytes) << t;
        for (uint32_t at = 0; at < toneBufferBytes;) {
            const uint32_t n = readTone(source, piece.data(), pieceBytes);
            ASSERT_EQ(n, std::min(pieceBytes, toneBufferBytes - at)) << t;
            ASSERT_EQ(std::memcmp(piece.data(), bank.tone[t] + at, n), 0) << t << " at " << at;
            at += n;
        }
        EXPECT_TRUE(toneEnded(source)) << t;
        EXPECT_EQ(readTone(source, piece.data(), pieceBytes), 0u) << t;
    }
    for (uint32_t k = 0; k < keyNoteSlotCount; ++k) {
        const KeyNote& note = bank.keyNote[k];
        ToneSource loop = keyNoteSource(k);
        ASSERT_EQ(loop.length, note.samples ? note.loopBytes : 0u) << k;
        if (!note.samples) continue;
        for (uint64_t at = 0; at < 2 * uint64_t{note.loopBytes} + pieceBytes; at += pieceBytes) {
            ASSERT_EQ(readTone(loop, piece.data(), pieceBytes), pieceBytes) << k;
            for (uint32_t i = 0; i < pieceBytes; ++i)
                expected[i] = note.samples[(at + i) % note.loopBytes];
            ASSERT_EQ(piece, expected) << k << " at " << at;
        }
        EXPECT_FALSE(toneEnded(loop)) << k;
    }
}

} // namespace
} // namespace korvel::test
