// Status line wording.
#include "frontend/session/statusText.h"

#include "model/script.h"

#include <cstdio>

namespace korvel {

const char* modeName(KitMode mode) {
    switch (mode) {
    case KitMode::Blank: return "Stop";
    case KitMode::Clock: return "Clock";
    case KitMode::Entry: return "Entry";
    case KitMode::Keyboard: return "Organ";
    case KitMode::Playing: return "Playing";
    case KitMode::Halted: return "Halted";
    }
    return "";
}

std::string statusText(const KitState& kit, const MelodyStep* sounding) {
    std::string text = modeName(kit.mode);
    if (kit.mode != KitMode::Playing || !sounding) return text;
    const auto& s = sounding->nibble;
    char step[32];
    std::snprintf(step, sizeof step, "  step %03X: %c%c%c%c", sounding->address, nibbleChar(s[3]),
                  nibbleChar(s[2]), nibbleChar(s[1]), nibbleChar(s[0]));
    return text + step;
}

} // namespace korvel
