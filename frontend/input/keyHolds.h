// Which kit keys are held, for front ends where several sources hold keys at
// once: the mouse or several fingers, and the PC keyboard.
//
// A kit key is down while any source holds it: it is pressed on the first
// hold and released on the last, so a finger and a PC key on the same kit key
// give the kit one press and one release, as one finger would.
//
// STOP and Reset let go of every other held key first. A key still held from
// another source would keep its organ note looping: its own release would
// come in Blank or Clock mode, where a release stops nothing. Let go first,
// its release still finds organ mode and stops the note, as one hand would
// have: off the key, then onto STOP. Its source's later release does nothing.
#pragma once

#include "model/kit.h"

#include <array>
#include <functional>
#include <optional>

namespace korvel {

class KeyHolds {
  public:
    // Releases a kit key in the kit (the session's own release path).
    using Release = std::function<void(KeyId)>;

    // True when the kit key is to be pressed now: its first hold. Before a
    // first hold of STOP, every other held key is let go through release.
    bool hold(KeyId key, const Release& release);
    // True when the kit key is to be released now: its last hold let go.
    bool letGo(KeyId key);
    // Every hold of every key but kept, each kit key released through release.
    // A session calls it before a reset (kept: none) and when input goes elsewhere.
    void letGoAll(const Release& release, std::optional<KeyId> kept = std::nullopt);
    bool isHeld(KeyId key) const;

  private:
    std::array<int, keyCount> holds_{};
};

} // namespace korvel
