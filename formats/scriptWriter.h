// Script text as the examples are written, for every script the program
// writes (a whole tune saved or copied, rows copied from the editor, a tune
// imported from MIDI), read back by the kit's own loader (model/script.h).
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// The line that ends a script's free text: its keystrokes follow.
constexpr const char* keystrokesMark = "---\n";
// A whole tune's last keystroke, a lone 0, so that RUN plays it even on a kit
// that had halted.
constexpr const char* runReadyKeystroke = "0\n";

// Free text for a script's preamble as it will read: control characters
// become blanks, so the text stays on its lines, and every "---", which
// would end the free text early, is broken as "- -".
std::string preambleText(const std::string& text);

// The first line: the magic, then the title as preamble text on one line.
std::string scriptFirstLine(const std::string& title);

// The keystrokes that set the tempo and the start address, typed at their
// register addresses as the examples do.
std::string registerKeystrokes(uint32_t tempo, uint32_t startAddress);

// The keystrokes that latch address, then write each group with a WRITE,
// four to a line.
std::string groupKeystrokes(uint32_t address, const std::vector<uint16_t>& groups);

// A whole tune: the first line, the preamble (free text lines, as they
// are), the registers, every group from startAddress on, and the lone 0.
struct TuneText {
    std::string title;
    std::string preamble;
    uint32_t tempo;
    uint32_t startAddress;
    uint32_t groupsAddress; // where groups are typed from
    std::vector<uint16_t> groups;
};
std::string tuneScriptText(const TuneText& tune);

} // namespace korvel
