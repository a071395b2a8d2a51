// Counting holds per kit key.
#include "frontend/input/keyHolds.h"

#include <cstddef>

namespace korvel {

bool KeyHolds::hold(KeyId key, const Release& release) {
    const auto k = static_cast<size_t>(key);
    if (k >= keyCount || holds_[k]++ != 0) return false;
    if (key == KeyId::Stop) letGoAll(release, key);
    return true;
}

bool KeyHolds::letGo(KeyId key) {
    const auto k = static_cast<size_t>(key);
    return k < keyCount && holds_[k] > 0 && --holds_[k] == 0;
}

void KeyHolds::letGoAll(const Release& release, std::optional<KeyId> kept) {
    for (unsigned k = 0; k < keyCount; ++k) {
        const auto key = static_cast<KeyId>(k);
        if (key == kept || holds_[k] == 0) continue;
        holds_[k] = 0;
        release(key);
    }
}

bool KeyHolds::isHeld(KeyId key) const {
    const auto k = static_cast<size_t>(key);
    return k < keyCount && holds_[k] > 0;
}

} // namespace korvel
