// The PC keyboard playing the kit, the same in every edition: a host hands
// over its toolkit's key events as they come and does what each answer says.
//
// A press holds the kit key its PC key plays (keyboardTable.h); with Ctrl,
// Alt or Meta only "@" plays, as some layouts type it with AltGr, which comes
// as Ctrl+Alt. Held keys are kept by physical key, so that the release lets
// go of the kit key the press held even if Shift or the layout changed in
// between. Some X servers send a held key's auto-repeat as a release and a
// press with the same time stamp, which the toolkit does not always flag: a
// host that may meet them has its releases held back for autoRepeatPairMs,
// until the press that makes them a repeat, or until the host settles them.
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace korvel {

// Both come at once, but the press may be read a moment later: long enough
// for a busy machine, short enough that a note does not audibly outlast its key.
constexpr uint64_t autoRepeatPairMs = 20;

// A press stamped with the time of the same physical key's release just
// before it is that key's auto-repeat: the key was never let go.
constexpr bool isAutoRepeatPair(uint64_t releasedKey, uint64_t releasedAt, uint64_t pressedKey,
                                uint64_t pressedAt) {
    return releasedKey == pressedKey && releasedAt == pressedAt;
}

// A key event as a host reads it from its toolkit.
struct PcKeyEvent {
    uint64_t physical = 0; // the key's place: the same for its press and its release
    // What the key is called without modifiers: the character it types ("7",
    // "b", "@", " "), "Backspace" or "Escape"; any other name plays nothing.
    std::string key;
    char typed = 0;           // the character typed with the modifiers held, 0 for none
    bool commandHeld = false; // Ctrl, Alt or Meta
    bool autoRepeat = false;  // flagged by the toolkit as a held key's repeat
    uint64_t timestamp = 0;   // the event's own time, in the toolkit's milliseconds
};

// The kit key a PC key plays, Backspace playing CLEAR and Esc STOP.
std::optional<KeyId> kitKeyOf(const PcKeyEvent& event);

struct PcKeyAnswer {
    bool taken = false;         // the kit's key: the host consumes it, else passes it on
    std::optional<KeyId> letGo; // a kit key to let go of, before any hold
    std::optional<KeyId> hold;  // a kit key to hold
    bool settleLater = false;   // a release held back: call settle() after autoRepeatPairMs
};

class PcKeys {
  public:
    // pairsRepeats: releases are held back for a press that makes them an auto-repeat.
    explicit PcKeys(bool pairsRepeats) : pairsRepeats_(pairsRepeats) {}

    PcKeyAnswer press(const PcKeyEvent& event);
    PcKeyAnswer release(const PcKeyEvent& event);
    // A release held back, with its physical key and time stamp, that no
    // press has paired: the kit key to let go of now, if still held.
    std::optional<KeyId> settle(uint64_t physical, uint64_t releasedAt);
    // Every kit key was let go elsewhere (the window lost the keyboard, a
    // reset): no release or settle lets go of them again.
    void forgetAll() { held_.clear(); }

  private:
    struct Held {
        KeyId key;
        std::optional<uint64_t> releasedAt; // a release held back
    };
    bool pairsRepeats_;
    std::unordered_map<uint64_t, Held> held_;
};

} // namespace korvel
