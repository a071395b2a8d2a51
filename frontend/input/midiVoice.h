// A MIDI keyboard heard as one voice, as a monophonic synthesiser hears it:
// the newest key held sounds, and letting go returns to the newest key still
// held. The sustain pedal keeps a let-go key sounding (and in the line of
// keys to return to) until the pedal comes up; All Notes Off, All Sound Off
// and Reset All Controllers let go of everything, as does a port that
// disappears. Every channel is heard (a keyboard's channel is the player's
// choice, not ours).
//
// Bytes come as a port delivers them, in pieces of any size: running status,
// real-time bytes between a message's bytes, and system exclusive messages
// (skipped) are read as the MIDI wire has them. A note-on of velocity 0 is a
// note-off.
#pragma once

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace korvel {

struct MidiMessage {
    uint8_t status; // 0x80..0xEF: the kind in the high nibble, the channel in the low
    uint8_t data1;
    uint8_t data2;
};

class MidiByteReader {
  public:
    // Appends the channel messages completed by bytes to messages.
    void read(const uint8_t* bytes, size_t count, std::vector<MidiMessage>& messages);

  private:
    uint8_t status_ = 0; // the running status, 0 when none
    uint8_t data_[2] = {};
    size_t have_ = 0;
    bool exclusive_ = false;
};

class MidiVoice {
  public:
    // True when the sounding key changed.
    bool take(const MidiMessage& message);
    // Everything let go and the pedal up: the port is gone.
    bool silence();
    std::optional<uint8_t> sounding() const;

  private:
    bool noteOn(uint8_t key);
    bool noteOff(uint8_t key);
    bool pedal(bool down);
    std::vector<uint8_t> keys_; // held or sustained, oldest first
    std::bitset<128> held_;     // keys down on the keyboard
    bool sustain_ = false;
};

} // namespace korvel
