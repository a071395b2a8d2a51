// Recording stand-ins for the host's ports: every call out of the model is
// appended to one log, in order, so a test can compare whole sequences.
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <ostream>
#include <utility>
#include <vector>

namespace korvel::test {

struct PortCall {
    enum Kind : uint8_t { KeyNote, Tone, Stop, Led, Colon } kind;
    uint32_t index = 0;  // key-note or tone index
    uint32_t length = 0; // bytes, for Tone
    bool operator==(const PortCall& other) const {
        return kind == other.kind && index == other.index && length == other.length;
    }
};

inline std::ostream& operator<<(std::ostream& out, const PortCall& call) {
    static const char* const names[] = {"keyNote", "tone", "stop", "led", "colon"};
    return out << names[call.kind] << "(" << call.index << "," << call.length << ")";
}

inline PortCall keyNoteCall(uint32_t k) {
    return {PortCall::KeyNote, k, 0};
}
inline PortCall toneCall(uint32_t t, uint32_t n) {
    return {PortCall::Tone, t, n};
}
inline const PortCall stopCall{PortCall::Stop};
inline const PortCall ledCall{PortCall::Led};
inline const PortCall colonCall{PortCall::Colon};

class RecordingPorts : public SoundPort, public RepaintPort {
  public:
    std::vector<PortCall> calls;

    void startKeyNote(uint32_t k) override { calls.push_back(keyNoteCall(k)); }
    void playTone(uint32_t t, uint32_t n) override { calls.push_back(toneCall(t, n)); }
    void stopSound() override { calls.push_back(stopCall); }
    void requestLedRepaint() override { calls.push_back(ledCall); }
    void requestColonRepaint() override { calls.push_back(colonCall); }

    KitPorts ports() { return {*this, *this}; }
    // The calls since the last take, clearing the log.
    std::vector<PortCall> take() { return std::exchange(calls, {}); }
};

// A kit fresh from initKit at noon, with its recorder.
struct KitFixture {
    KitState kit{};
    RecordingPorts recorder;
    KitFixture() { initKit(kit, {12, 0, 0, 0}); }
    void press(KeyId key) { korvel::press(kit, recorder.ports(), key); }
    void release(KeyId key) { korvel::release(kit, recorder.ports(), key); }
    void click(KeyId key) { press(key), release(key); }
    // Types hex digits, "@" (ADR), "R" (READ), "W" (WRITE), "C" (CLEAR) on the keypad.
    void type(const char* keys);
};

inline void KitFixture::type(const char* keys) {
    for (; *keys; ++keys) {
        const char c = *keys;
        if (c >= '0' && c <= '9')
            click(hexKey(uint32_t(c - '0')));
        else if (c >= 'a' && c <= 'f')
            click(hexKey(uint32_t(c - 'a' + 10)));
        else if (c == '@')
            click(KeyId::Adr);
        else if (c == 'R')
            click(KeyId::Read);
        else if (c == 'W')
            click(KeyId::Write);
        else if (c == 'C')
            click(KeyId::Clear);
    }
}

} // namespace korvel::test
