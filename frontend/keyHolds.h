// Which kit keys are held, for front ends where several sources hold keys at
// once: the mouse or several fingers, and the PC keyboard.
//
// A kit key is down while any source holds it: it is pressed on the first
// hold and released on the last, so a finger and a PC key on the same kit key
// give the kit one press and one release, as one finger would.
#pragma once

#include "kit.h"

#include <array>

namespace korvel {

class KeyHolds {
  public:
    enum class Holds { One, All };

    // True when the kit key is to be pressed now: the first hold of a kit key.
    bool hold(KeyId key);
    // True when the kit key is to be released now: its last hold (or, with
    // Holds::All, every hold it had) let go.
    bool letGo(KeyId key, Holds holds = Holds::One);
    bool isHeld(KeyId key) const;

  private:
    std::array<int, keyCount> holds_{};
};

} // namespace korvel
