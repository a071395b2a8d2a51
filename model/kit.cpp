// Keypad logic: what each key does in each mode.
#include "model/kit.h"

#include "model/clock.h"
#include "model/melody.h"

namespace korvel {
namespace {

// Key-note index sounded by each key in Keyboard mode, by KeyId: the notes rise
// a semitone from key 0 through F, ADR, READ, WRITE, CLEAR.
// clang-format off
constexpr std::array<uint32_t, keyCount> keyNotes = {
    52, 53, 54, 55, 56, 57, 58, 59, // 0..7: mi..si at divider 3
    16, 17, 18, 19, 20, 21, 22, 23, // 8..F: do..sol at divider 1
    noKeyNote,                      // STOP
    24, 25, 26, 27,                 // ADR, READ, WRITE, CLEAR: sol#..si at divider 1
    noKeyNote,                      // RUN
};
// clang-format on

constexpr uint32_t runMelodyDigit = 0;
constexpr uint32_t keyboardDigit = 12;

uint32_t& d0(KitState& kit) {
    return kit.digits[0];
}

void enterFromClock(KitState& kit) {
    clearDigits(kit);
    kit.mode = KitMode::Entry;
}

// Hex keys, ADR, READ, WRITE and CLEAR: register work in Clock and Entry, a note in Keyboard.
void pressEntryKey(KitState& kit, KitPorts ports, KeyId key) {
    switch (kit.mode) {
    case KitMode::Keyboard: ports.sound.startKeyNote(keyNoteOf(key)); return;
    case KitMode::Clock:
        enterFromClock(kit);
        if (isHexKey(key)) shiftInDigit(kit, static_cast<uint32_t>(key));
        break;
    case KitMode::Entry:
        switch (key) {
        case KeyId::Adr:
            latchAddress(kit);
            clearDigits(kit);
            break;
        case KeyId::Read: fetchGroup(kit); break;
        case KeyId::Write:
            storeGroup(kit);
            clearDigits(kit);
            break;
        case KeyId::Clear: clearDigits(kit); break;
        default: shiftInDigit(kit, static_cast<uint32_t>(key)); break;
        }
        break;
    default: return; // Blank, Playing, Halted
    }
    ports.repaint.requestLedRepaint();
}

void pressStop(KitState& kit, KitPorts ports) {
    if (kit.mode == KitMode::Halted) return;
    if (kit.mode == KitMode::Playing) ports.sound.stopSound();
    kit.mode = KitMode::Blank;
    ports.repaint.requestLedRepaint();
}

void pressRun(KitState& kit, KitPorts ports) {
    if (kit.mode == KitMode::Playing) return;
    if (kit.mode == KitMode::Clock) d0(kit) = runMelodyDigit;
    if (d0(kit) == runMelodyDigit) {
        startMelody(kit, ports);
    } else if (d0(kit) == keyboardDigit) {
        kit.mode = KitMode::Keyboard;
        ports.repaint.requestLedRepaint();
    }
}

} // namespace

uint32_t keyNoteOf(KeyId key) {
    const auto index = static_cast<uint8_t>(key);
    return index < keyCount ? keyNotes[index] : noKeyNote;
}

void initKit(KitState& kit, const ClockReading& now) {
    kit = KitState{};
    kit.mode = KitMode::Clock;
    startClock(kit, now.hour, now.minute, now.second, now.millisecond);
}

void press(KitState& kit, KitPorts ports, KeyId key) {
    switch (key) {
    case KeyId::Stop: pressStop(kit, ports); break;
    case KeyId::Run: pressRun(kit, ports); break;
    default:
        if (static_cast<uint8_t>(key) < keyCount) pressEntryKey(kit, ports, key);
        break;
    }
}

void release(KitState& kit, KitPorts ports, KeyId key) {
    switch (key) {
    case KeyId::Run: break;
    case KeyId::Stop:
        if (kit.mode == KitMode::Halted) break;
        kit.mode = KitMode::Clock;
        ports.repaint.requestLedRepaint();
        break;
    default:
        if (kit.mode == KitMode::Keyboard && static_cast<uint8_t>(key) < keyCount)
            ports.sound.stopSound();
        break;
    }
}

void resetKit(KitState& kit, KitPorts ports) {
    if (kit.mode == KitMode::Playing) ports.sound.stopSound();
    kit.mode = KitMode::Clock;
    kit.memory.fill(0);
    ports.repaint.requestLedRepaint();
}

void shiftInDigit(KitState& kit, uint32_t value) {
    auto& d = kit.digits;
    d[3] = d[2];
    d[2] = d[1];
    d[1] = d[0];
    d[0] = value & 0xF;
}

void clearDigits(KitState& kit) {
    kit.digits.fill(0);
}

void latchAddress(KitState& kit) {
    const auto& d = kit.digits;
    kit.address = d[3] << 12 | d[2] << 8 | d[1] << 4 | d[0];
}

// A group at base 509..511 runs past the last nibble: memory does not wrap, so
// the digits beyond address 511 are not stored (storeGroup) or read as 0 (fetchGroup).
void storeGroup(KitState& kit) {
    const auto& d = kit.digits;
    if (kit.address == startAddressRegister) {
        kit.startAddress = d[2] << 8 | d[1] << 4 | d[0];
        return;
    }
    if (kit.address == tempoRegister) {
        kit.tempo = d[0];
        return;
    }
    writeGroupAt(kit, kit.address, d[3] << 12 | d[2] << 8 | d[1] << 4 | d[0]);
    kit.address += 4;
}

void writeGroupAt(KitState& kit, uint32_t address, uint32_t group) {
    const uint32_t base = address & addressMask;
    for (uint32_t i = 0; i < 4 && base + i < memoryNibbles; ++i)
        kit.memory[base + i] = group >> (4 * i) & 0xF;
}

void fetchGroup(KitState& kit) {
    const uint32_t base = kit.address & addressMask;
    for (uint32_t i = 0; i < 4; ++i)
        kit.digits[i] = base + i < memoryNibbles ? kit.memory[base + i] : 0;
    kit.address += 4;
}

} // namespace korvel
