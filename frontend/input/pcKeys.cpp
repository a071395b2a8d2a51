// PC keys: the kit key each plays, held by physical key, repeats paired.
#include "frontend/input/pcKeys.h"

#include "frontend/input/keyboardTable.h"

namespace korvel {
namespace {

// The character the keyboard table knows the key by: Backspace and Esc as their control characters.
char characterOf(const std::string& key) {
    if (key.size() == 1 && static_cast<unsigned char>(key[0]) < 0x80) return key[0];
    if (key == "Backspace") return backspaceCharacter;
    if (key == "Escape") return escapeCharacter;
    return '\0';
}

} // namespace

std::optional<KeyId> kitKeyOf(const PcKeyEvent& event) {
    return kitKeyForPcKey(characterOf(event.key), event.typed, event.commandHeld);
}

PcKeyAnswer PcKeys::press(const PcKeyEvent& event) {
    PcKeyAnswer answer;
    const std::optional<KeyId> key = kitKeyOf(event);
    if (!key) return answer;
    answer.taken = true;
    const auto held = held_.find(event.physical);
    if (held != held_.end() && held->second.releasedAt) {
        // Otherwise the key went up and comes down again.
        if (isAutoRepeatPair(event.physical, *held->second.releasedAt, event.physical,
                             event.timestamp)) {
            held->second.releasedAt.reset();
            return answer;
        }
        answer.letGo = held->second.key;
        held_.erase(held);
    }
    if (event.autoRepeat || held_.count(event.physical) != 0) return answer;
    held_.emplace(event.physical, Held{*key, std::nullopt});
    answer.hold = key;
    return answer;
}

PcKeyAnswer PcKeys::release(const PcKeyEvent& event) {
    PcKeyAnswer answer;
    const auto held = held_.find(event.physical);
    if (held == held_.end()) return answer;
    answer.taken = true;
    if (event.autoRepeat || held->second.releasedAt) return answer;
    if (pairsRepeats_) {
        held->second.releasedAt = event.timestamp;
        answer.settleLater = true;
        return answer;
    }
    answer.letGo = held->second.key;
    held_.erase(held);
    return answer;
}

std::optional<KeyId> PcKeys::settle(uint64_t physical, uint64_t releasedAt) {
    const auto held = held_.find(physical);
    if (held == held_.end() || held->second.releasedAt != releasedAt) return std::nullopt;
    const KeyId key = held->second.key;
    held_.erase(held);
    return key;
}

} // namespace korvel
