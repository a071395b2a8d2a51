// A MIDI keyboard playing the kit, the same in every edition: each edition
// hands the bytes its port delivers to receive(), and portGone() when the port
// disappears. The keyboard's one voice (midiVoice.h) sounds the kit's nearest
// tone whatever mode the kit is in, as an editor's audition (a tune playing
// is not cut); while the editor records, it records as a held piano key does,
// so the sustain pedal lengthens the step. A key beyond the kit's reach takes
// the voice but is silent, and message() says why.
#pragma once

#include "frontend/editor/tuneEditor.h"
#include "frontend/input/midiVoice.h"
#include "frontend/session/session.h"

#include <optional>
#include <string>

namespace korvel {

class MidiKeyboard {
  public:
    // editor: the one recording, or null where there is none.
    MidiKeyboard(Session& session, TuneEditor* editor) : session_(session), editor_(editor) {}
    void receive(const uint8_t* bytes, size_t count, uint64_t nowMs);
    // The port went away mid-note: the kit falls silent.
    void portGone(uint64_t nowMs);
    // The tone sounding, if any.
    std::optional<uint32_t> tone() const { return tone_; }
    // Why the last key did not sound, or empty.
    const std::string& message() const { return message_; }

  private:
    void follow(uint64_t nowMs);

    Session& session_;
    TuneEditor* editor_;
    MidiByteReader reader_;
    MidiVoice voice_;
    std::vector<MidiMessage> messages_;
    std::optional<uint32_t> tone_;
    std::string message_;
};

} // namespace korvel
