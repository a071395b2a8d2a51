#include "model/toneSource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace korvel::test {
namespace {

// Every byte of every tone buffer, and of every key note's loop twice round,
// against the bank, read in pieces of an odd size that begin and end anywhere
// in a period.
TEST(ToneSource, ReadsEveryByteTheBankHolds) {
    constexpr uint32_t pieceBytes = 4099;
    ToneBank bank;
    ASSERT_TRUE(buildToneBank(bank));
    std::vector<uint8_t> piece(pieceBytes), expected(pieceBytes);
    for (uint32_t t = 0; t < toneSlotCount; ++t) {
        ToneSource source = melodyNoteSource(t, toneBufferBytes + 1);
        ASSERT_EQ(source.length, bank.tone[t] ? toneBufferBytes : 0) << t;
        for (uint32_t at = 0, n; (n = readTone(source, piece.data(), pieceBytes)) != 0; at += n) {
            ASSERT_EQ(n, std::min(pieceBytes, toneBufferBytes - at)) << t;
            ASSERT_EQ(std::memcmp(piece.data(), bank.tone[t] + at, n), 0) << t << " at " << at;
        }
        EXPECT_TRUE(toneEnded(source)) << t;
    }
    for (uint32_t k = 0; k < keyNoteSlotCount; ++k) {
        const KeyNote& note = bank.keyNote[k];
        ToneSource loop = keyNoteSource(k);
        ASSERT_EQ(loop.length, note.samples ? note.loopBytes : 0) << k;
        for (uint64_t at = 0; at < 2 * uint64_t{loop.length}; at += pieceBytes) {
            ASSERT_EQ(readTone(loop, piece.data(), pieceBytes), pieceBytes) << k;
            for (uint32_t i = 0; i < pieceBytes; ++i)
                expected[i] = note.samples[(at + i) % note.loopBytes];
            ASSERT_EQ(piece, expected) << k << " at " << at;
        }
    }
}

} // namespace
} // namespace korvel::test
