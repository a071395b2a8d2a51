// The simulated kit's state record and its keypad logic.
//
// One KitState lives for the whole run, owned by the host. The host reports
// each key going down (press) and coming up (release); the operations here
// change the state, ask the SoundPort for sound and request LED repaints.
// The five register primitives are shared with the script loader (script.h)
// and never change the mode, sound or repaint anything.
//
// Units: memory holds 512 nibbles (0..15) at nibble addresses 0..511; every
// memory access reduces the address modulo 512, the address register itself
// is never masked.
#pragma once

#include "model/ports.h"

#include <array>
#include <cstdint>

namespace korvel {

constexpr uint32_t memoryNibbles = 512;
constexpr uint32_t addressMask = memoryNibbles - 1;
// storeGroup at these unmasked addresses sets the melody settings instead of memory.
constexpr uint32_t startAddressRegister = 0;
constexpr uint32_t tempoRegister = 14;

enum class KitMode : uint8_t {
    Blank = 0,    // display dark while STOP is held
    Clock = 1,    // idle, the LED shows the time of day
    Entry = 2,    // digit entry and address/data work
    Keyboard = 3, // organ: keys sound while held
    Playing = 4,  // the melody player runs
    Halted = 5,   // RUN found the end marker at the start address
};

// 0..15 are the hexadecimal keys; the KeyId is also the key button's control id.
enum class KeyId : uint8_t {
    Stop = 16,
    Adr = 17,
    Read = 18,
    Write = 19,
    Clear = 20,
    Run = 21,
};
constexpr unsigned keyCount = 22;
constexpr KeyId hexKey(uint32_t digit) {
    return static_cast<KeyId>(digit);
}
constexpr bool isHexKey(KeyId key) {
    return static_cast<uint8_t>(key) < 16;
}

// Key-note index a key sounds in Keyboard mode, or noKeyNote for STOP and RUN.
constexpr uint32_t noKeyNote = 0xFFFFFFFF;
uint32_t keyNoteOf(KeyId key);

struct KitState {
    std::array<uint32_t, memoryNibbles> memory; // each 0..15
    std::array<uint32_t, 4> digits;             // digits[0] = d0 (rightmost) .. digits[3] = d3
    uint32_t address;                           // 0..65535 when latched; +4 per group access
    uint32_t tempo;                             // 0..15, row of the note-length table
    uint32_t startAddress;                      // 0..4095, reduced modulo 512 when played
    uint32_t playPointer;                       // 0..511, next melody step to examine
    uint8_t repeat;                             // 1: the next jump step met is followed
    KitMode mode;
    // Time of day (clock.h).
    uint8_t hours;    // 0..23
    uint8_t minutes;  // 0..59
    uint8_t seconds;  // 0..59
    uint8_t tenths;   // 0..9
    uint8_t colonLit; // 1 exactly when seconds is even
};

// A reading of the host's local time, taken once at start.
struct ClockReading {
    unsigned hour, minute, second, millisecond;
};

// State at start: everything zero, Clock mode, clock set from now. No repaint.
void initKit(KitState& kit, const ClockReading& now);
void press(KitState& kit, KitPorts ports, KeyId key);
void release(KitState& kit, KitPorts ports, KeyId key);
// The Reset command: stop a tune, back to Clock, memory cleared.
void resetKit(KitState& kit, KitPorts ports);

// Register primitives (no mode change, sound or repaint).
void shiftInDigit(KitState& kit, uint32_t value);
void clearDigits(KitState& kit);
void latchAddress(KitState& kit);
void storeGroup(KitState& kit);
void fetchGroup(KitState& kit);

// Writes a group (s3 s2 s1 s0 as typed, s0 in the low four bits) into memory
// at address, as storeGroup would, but leaves the registers alone: an editor
// writing steps never changes what the LED shows. No special addresses.
void writeGroupAt(KitState& kit, uint32_t address, uint32_t group);

} // namespace korvel
