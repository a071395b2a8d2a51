// The tone bank: every sound the kit can make, computed once at start.
//
// 192 square-wave buffers (16 dividers x 12 notes), one silence buffer at tone
// index 47, and the 20 looping key-note descriptors of the keypad organ. The
// host owns the one bank, builds it before opening its audio device and keeps
// it for the whole run; players read the buffers in place.
//
// Samples are 8-bit unsigned, mono, 22050 per second: one byte per sample.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace korvel {

constexpr uint32_t sampleRate = 22050;
constexpr uint32_t toneBufferBytes = 188160; // 8.53 s, the longest note
constexpr uint32_t toneSlotCount = 252;      // tone index = divider * 16 + note number
constexpr uint32_t toneSlotsPerDivider = 16; // note numbers 0..11 sound, 12..15 are empty
constexpr uint32_t silenceToneIndex = 47;
constexpr uint32_t keyNoteSlotCount = 60;
constexpr uint8_t highLevel = 134;
constexpr uint8_t lowLevel = 112;
constexpr uint8_t silentLevel = 128;

constexpr uint32_t toneIndex(uint32_t divider, uint32_t noteNumber) {
    return divider * toneSlotsPerDivider + noteNumber;
}
constexpr uint32_t dividerOf(uint32_t toneIndex) {
    return toneIndex / toneSlotsPerDivider;
}
constexpr uint32_t noteNumberOf(uint32_t toneIndex) {
    return toneIndex % toneSlotsPerDivider;
}

// Samples in the high and low phase of one period at divider 0, by note number; 0 = no note.
extern const std::array<uint8_t, toneSlotsPerDivider> highPhase;
extern const std::array<uint8_t, toneSlotsPerDivider> lowPhase;

// One period of a tone's square wave in samples: the high phase, then the
// low one, each stretched by the divider plus one. For a tone that hasTone.
struct TonePeriod {
    uint32_t highBytes;
    uint32_t periodBytes;
};
// Inline: the tone source asks for every run of samples it makes.
inline TonePeriod tonePeriod(uint32_t toneIndex) {
    const uint32_t note = noteNumberOf(toneIndex);
    const uint32_t stretch = dividerOf(toneIndex) + 1;
    return {highPhase[note] * stretch, (highPhase[note] + lowPhase[note]) * stretch};
}

struct KeyNote {
    const uint8_t* samples; // tone buffer k, or null where no key plays k
    uint32_t loopBytes;     // the loop repeats the first loopBytes samples
};

struct ToneBank {
    std::unique_ptr<uint8_t[]> storage;               // all filled buffers, back to back
    std::array<const uint8_t*, toneSlotCount> tone{}; // null for an empty slot
    std::array<KeyNote, keyNoteSlotCount> keyNote{};
};

// Fills every slot. Returns false, leaving the bank empty, when its memory
// (about 36 MB) cannot be obtained; the kit then runs silent.
bool buildToneBank(ToneBank& bank);

// Whether tone index t names a filled slot.
bool hasTone(uint32_t toneIndex);

// How many bytes of tone buffer k key note k loops; 0 where no key plays k.
uint32_t keyNoteLoopBytes(uint32_t keyNoteIndex);

} // namespace korvel
