// Formatting of listing lines.
#include "formats/listing.h"

#include "model/script.h"
#include "model/toneBank.h"

#include <array>
#include <cstdio>

namespace korvel::formats {
namespace {

constexpr std::array<const char*, 12> noteNames = {"do",  "do#", "re",   "re#", "mi",  "fa",
                                                   "fa#", "sol", "sol#", "la",  "la#", "si"};

std::string toneText(uint32_t toneIndex) {
    if (toneIndex == silenceToneIndex) return "rest";
    char text[32];
    std::snprintf(text, sizeof text, "%-4s divider %u", noteName(noteNumberOf(toneIndex)),
                  dividerOf(toneIndex));
    return text;
}

const char* kindText(StepKind kind, bool followed) {
    switch (kind) {
    case StepKind::Note: return "note";
    case StepKind::Rest: return "rest";
    case StepKind::Jump: return followed ? "jump followed" : "jump passed";
    case StepKind::End: break;
    }
    return "end";
}

} // namespace

const char* noteName(uint32_t noteNumber) {
    return noteNumber < noteNames.size() ? noteNames[noteNumber] : "?";
}

std::string listingLine(const MelodyStep& step, StepKind kind, bool followed, uint32_t tempo) {
    const auto& s = step.nibble;
    char line[128];
    int used = std::snprintf(line, sizeof line, "%03X  %c%c%c%c  %-13s", step.address,
                             nibbleChar(s[3]), nibbleChar(s[2]), nibbleChar(s[1]), nibbleChar(s[0]),
                             kindText(kind, followed));
    if (kind == StepKind::Jump && followed) {
        std::snprintf(line + used, sizeof line - used, "  to %03X", jumpTarget(step));
    } else if (kind == StepKind::Note || kind == StepKind::Rest) {
        const uint32_t bytes = noteLength(tempo, lengthCodeOf(step));
        std::snprintf(line + used, sizeof line - used, "  %-15s %6u bytes  %7.1f ms",
                      toneText(toneIndexOf(step)).c_str(), bytes, bytes * 1000.0 / sampleRate);
    }
    std::string text(line);
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

} // namespace korvel::formats
