#include "frontend/input/midiVoice.h"

#include <algorithm>

namespace korvel {

namespace {
constexpr uint8_t noteOffKind = 0x80, noteOnKind = 0x90, controlKind = 0xB0;
constexpr uint8_t sustainControl = 64, allSoundOff = 120, resetControllers = 121, allNotesOff = 123;
constexpr uint8_t exclusiveStart = 0xF0, realTime = 0xF8;

// Data bytes a channel message of this status carries.
size_t dataBytes(uint8_t status) {
    const uint8_t kind = status & 0xF0;
    return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}
} // namespace

void MidiByteReader::read(const uint8_t* bytes, size_t count, std::vector<MidiMessage>& messages) {
    for (size_t i = 0; i < count; ++i) {
        const uint8_t byte = bytes[i];
        if (byte >= realTime) continue; // clock and the like may come between any two bytes
        if (byte & 0x80) {
            exclusive_ = byte == exclusiveStart;
            // System common messages cancel the running status.
            status_ = byte < exclusiveStart ? byte : 0;
            have_ = 0;
            continue;
        }
        if (exclusive_ || !status_) continue;
        data_[have_++] = byte;
        if (have_ < dataBytes(status_)) continue;
        messages.push_back({status_, data_[0], have_ > 1 ? data_[1] : uint8_t(0)});
        have_ = 0;
    }
}

bool MidiVoice::take(const MidiMessage& message) {
    const uint8_t kind = message.status & 0xF0;
    if (kind == noteOnKind && message.data2 > 0) return noteOn(message.data1);
    if (kind == noteOnKind || kind == noteOffKind) return noteOff(message.data1);
    if (kind != controlKind) return false;
    switch (message.data1) {
    case sustainControl: return pedal(message.data2 >= 64);
    case allSoundOff:
    case allNotesOff: return silence();
    case resetControllers: return pedal(false);
    default: return false;
    }
}

bool MidiVoice::noteOn(uint8_t key) {
    const auto before = sounding();
    held_.set(key);
    keys_.erase(std::remove(keys_.begin(), keys_.end(), key), keys_.end());
    keys_.push_back(key);
    return sounding() != before;
}

bool MidiVoice::noteOff(uint8_t key) {
    held_.reset(key);
    if (sustain_) return false;
    const auto before = sounding();
    keys_.erase(std::remove(keys_.begin(), keys_.end(), key), keys_.end());
    return sounding() != before;
}

bool MidiVoice::pedal(bool down) {
    sustain_ = down;
    if (down) return false;
    const auto before = sounding();
    keys_.erase(
        std::remove_if(keys_.begin(), keys_.end(), [&](uint8_t key) { return !held_[key]; }),
        keys_.end());
    return sounding() != before;
}

bool MidiVoice::silence() {
    const bool sounded = !keys_.empty();
    keys_.clear();
    held_.reset();
    sustain_ = false;
    return sounded;
}

std::optional<uint8_t> MidiVoice::sounding() const {
    if (keys_.empty()) return std::nullopt;
    return keys_.back();
}

} // namespace korvel
