// Counting holds per kit key.
#include "keyHolds.h"

#include <cstddef>

namespace korvel {

bool KeyHolds::hold(KeyId key) {
    const auto k = static_cast<size_t>(key);
    return k < keyCount && holds_[k]++ == 0;
}

bool KeyHolds::letGo(KeyId key, Holds holds) {
    const auto k = static_cast<size_t>(key);
    if (k >= keyCount || holds_[k] == 0) return false;
    holds_[k] = holds == Holds::All ? 0 : holds_[k] - 1;
    return holds_[k] == 0;
}

bool KeyHolds::isHeld(KeyId key) const {
    const auto k = static_cast<size_t>(key);
    return k < keyCount && holds_[k] > 0;
}

} // namespace korvel
