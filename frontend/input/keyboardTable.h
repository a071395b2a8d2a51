// The kit's 22 keys as a person sees and types them: each key's legend, the PC
// key that plays it, and the lookup from a typed character back to the key.
//
// Every front end reads this one table for its keyboard handling (through
// pcKeys.h), its help rows and its tooltips. Characters are ASCII; the
// non-printing PC keys are their ASCII control characters (Backspace 0x08,
// Esc 0x1B).
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel {

constexpr char backspaceCharacter = '\b';
constexpr char escapeCharacter = '\x1b';

// "0".."F", "STOP", "ADR", "READ", "WRITE", "CLEAR", "RUN".
const char* keyLegend(KeyId key);
// The PC key that plays a kit key, as a help text names it: "A", "@", "Space".
const char* pcKeyName(KeyId key);
// The kit key a typed character plays; hex digits and W in either case.
std::optional<KeyId> kitKeyForCharacter(char character);
// The kit key a PC key plays. character: what the key types, Shift aside for
// letters (0 for none); typed: the character it typed with its modifiers;
// commandHeld: Ctrl, Alt or Meta is down.
std::optional<KeyId> kitKeyForPcKey(char character, char typed, bool commandHeld);
// The editions whose tune editors read a few keys of their own.
enum class Edition : uint8_t { Desktop, Web };

// A line of the Help's keyboard page: keys and what they play or do ("ADR",
// "@ (Shift+2 on US layouts)"), a table's row; without keys, a paragraph.
struct KeyHelpRow {
    std::string keys;
    std::string what;
};

// The Help's keyboard page: the kit's keys, then the tune editor's.
std::vector<KeyHelpRow> keyboardHelpRows(Edition edition);

} // namespace korvel
