// Script files: the kit's memory as a text of keystrokes.
//
// A script starts with the six bytes "KORVEL", then free text up to the first
// "---", then command bytes: hex digits (either case), "@" for ADR and "W" or
// "w" for WRITE; every other byte is skipped and a zero byte ends the text.
// applyScript replays the commands through the register primitives only;
// buildScript writes the fixed 932-byte image that restores all 512 nibbles.
#pragma once

#include "model/kit.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel {

constexpr size_t scriptImageBytes = 932;
using ScriptImage = std::array<char, scriptImageBytes>;

// The text is read up to its first zero byte or its end, whichever comes first.
// Returns false, changing nothing, when the magic does not match.
bool applyScript(KitState& kit, const char* text, size_t length);

// What a script's text holds, read as applyScript reads it: for the editions
// that tell how a load went.
struct ScriptContent {
    bool isScript = false; // it begins with the magic
    bool marked = false;   // a "---" begins its keystrokes
    size_t writes = 0;     // WRITE keystrokes
    // Characters among the keystrokes that are none (white space and the
    // "---" line's own dashes aside), and the line of the first.
    size_t skipped = 0;
    uint32_t firstSkippedLine = 0;
};
ScriptContent scriptContent(const char* text, size_t length);

ScriptImage buildScript(const KitState& kit);
// "0".."9", "A".."F" for 0..15; "?" for anything else.
char nibbleChar(uint32_t value);

} // namespace korvel
