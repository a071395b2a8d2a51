#include "frontend/editor/midiKeyboard.h"

#include "frontend/editor/pitchName.h"
#include "frontend/input/pianoKeys.h"
#include "model/toneBank.h"

namespace korvel {

void MidiKeyboard::receive(const uint8_t* bytes, size_t count, uint64_t nowMs) {
    messages_.clear();
    reader_.read(bytes, count, messages_);
    for (const MidiMessage& message : messages_)
        if (voice_.take(message)) follow(nowMs);
}

void MidiKeyboard::portGone(uint64_t nowMs) {
    if (voice_.silence()) follow(nowMs);
}

void MidiKeyboard::follow(uint64_t nowMs) {
    const std::optional<uint8_t> key = voice_.sounding();
    const std::optional<uint32_t> tone = key ? toneInReach(*key) : std::nullopt;
    message_ = key && !tone ? concertNoteName(*key) + " is beyond the kit's tones." : "";
    if (tone == tone_) return;
    tone_ = tone;
    if (editor_ && editor_->recordTone(tone, nowMs)) return;
    if (tone)
        session_.audition(*tone, toneBufferBytes);
    else
        session_.endAudition();
}

} // namespace korvel
