// Builds the square-wave buffers and the key-note descriptors.
#include "model/toneBank.h"

#include <cstring>
#include <new>

namespace korvel {
namespace {

constexpr uint32_t notesPerDivider = 12;
constexpr uint32_t dividerCount = dividerOf(toneSlotCount - 1) + 1;
constexpr uint32_t filledSlotCount = dividerCount * notesPerDivider + 1; // waves plus silence

struct LoopLength {
    uint32_t keyNoteIndex;
    uint32_t bytes;
};

// Given loop lengths, not derived from the periods: several are not whole
// periods, and the wave's phase then jumps once per repetition.
constexpr std::array<LoopLength, 20> loopLengths = {{
    {16, 141120}, {17, 141120}, {18, 141000}, {19, 140864}, {20, 140968},
    {21, 141120}, {22, 141120}, {23, 141120}, {24, 140768}, {25, 141100},
    {26, 141094}, {27, 141120}, {52, 140448}, {53, 141120}, {54, 140656},
    {55, 141024}, {56, 140768}, {57, 140800}, {58, 140600}, {59, 140976},
}};

// Writes one period, then doubles the filled prefix until the buffer is full,
// so the bank costs about as much as writing its bytes once.
void fillSquareWave(uint8_t* buffer, uint32_t highBytes, uint32_t periodBytes) {
    std::memset(buffer, highLevel, highBytes);
    std::memset(buffer + highBytes, lowLevel, periodBytes - highBytes);
    uint32_t filled = periodBytes;
    while (filled < toneBufferBytes) {
        uint32_t chunk = filled < toneBufferBytes - filled ? filled : toneBufferBytes - filled;
        chunk -= chunk % periodBytes;
        if (chunk == 0) chunk = toneBufferBytes - filled; // tail shorter than a period
        std::memcpy(buffer + filled, buffer, chunk);
        filled += chunk;
    }
}

} // namespace

const std::array<uint8_t, toneSlotsPerDivider> highPhase = {21, 20, 19, 18, 17, 16,
                                                            15, 14, 14, 13, 12, 11};
const std::array<uint8_t, toneSlotsPerDivider> lowPhase = {21, 20, 19, 17, 16, 16,
                                                           15, 14, 13, 12, 12, 11};

bool hasTone(uint32_t toneIndex) {
    return toneIndex == silenceToneIndex ||
           (toneIndex < toneSlotCount && highPhase[noteNumberOf(toneIndex)] != 0);
}

uint32_t keyNoteLoopBytes(uint32_t keyNoteIndex) {
    for (const LoopLength& loop : loopLengths)
        if (loop.keyNoteIndex == keyNoteIndex) return loop.bytes;
    return 0;
}

bool buildToneBank(ToneBank& bank) {
    bank = ToneBank{};
    bank.storage.reset(new (std::nothrow) uint8_t[size_t{filledSlotCount} * toneBufferBytes]);
    if (!bank.storage) return false;

    uint8_t* next = bank.storage.get();
    for (uint32_t t = 0; t < toneSlotCount; ++t) {
        if (t == silenceToneIndex || !hasTone(t)) continue;
        const TonePeriod period = tonePeriod(t);
        fillSquareWave(next, period.highBytes, period.periodBytes);
        bank.tone[t] = next;
        next += toneBufferBytes;
    }
    std::memset(next, silentLevel, toneBufferBytes);
    bank.tone[silenceToneIndex] = next;

    for (const LoopLength& loop : loopLengths)
        bank.keyNote[loop.keyNoteIndex] = {bank.tone[loop.keyNoteIndex], loop.bytes};
    return true;
}

} // namespace korvel
