// The keyboard table: legends and PC keys by KeyId.
#include "frontend/input/keyboardTable.h"

#include <array>
#include <cctype>

namespace korvel {
namespace {

struct KeyEntry {
    const char* legend;
    char character; // what the PC key types, upper case
    const char* pcName;
};

// Hex keys type themselves. ADR and WRITE take the characters that stand for
// them in scripts. READ, CLEAR, RUN and STOP need keys that are neither hex
// digits nor shifted: R for READ; Backspace for CLEAR, which erases what was
// typed; Space for RUN, the largest key, easy to find without looking; Esc for
// STOP, the usual way to stop something.
// clang-format off
constexpr std::array<KeyEntry, keyCount> keyTable = {{
    {"0", '0', "0"}, {"1", '1', "1"}, {"2", '2', "2"}, {"3", '3', "3"},
    {"4", '4', "4"}, {"5", '5', "5"}, {"6", '6', "6"}, {"7", '7', "7"},
    {"8", '8', "8"}, {"9", '9', "9"}, {"A", 'A', "A"}, {"B", 'B', "B"},
    {"C", 'C', "C"}, {"D", 'D', "D"}, {"E", 'E', "E"}, {"F", 'F', "F"},
    {"STOP", escapeCharacter, "Esc"},
    {"ADR", '@', "@"},
    {"READ", 'R', "R"},
    {"WRITE", 'W', "W"},
    {"CLEAR", backspaceCharacter, "Backspace"},
    {"RUN", ' ', "Space"},
}};
// clang-format on

const KeyEntry& entryOf(KeyId key) {
    const auto index = static_cast<size_t>(key);
    return keyTable[index < keyCount ? index : 0];
}

constexpr unsigned hexDigitCount = 16;

} // namespace

const char* keyLegend(KeyId key) {
    return entryOf(key).legend;
}

const char* pcKeyName(KeyId key) {
    return entryOf(key).pcName;
}

std::optional<KeyId> kitKeyForCharacter(char character) {
    const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(character)));
    for (unsigned k = 0; k < keyCount; ++k)
        if (keyTable[k].character == upper) return static_cast<KeyId>(k);
    return std::nullopt;
}

// "@" by the character typed, as layouts put it on different keys, some
// behind AltGr, which arrives as Ctrl+Alt; other keys with Ctrl, Alt or Meta
// belong to the program's own shortcuts.
std::optional<KeyId> kitKeyForPcKey(char character, char typed, bool commandHeld) {
    if (typed == '@') return kitKeyForCharacter(typed);
    if (commandHeld) return std::nullopt;
    return kitKeyForCharacter(character);
}

std::vector<KeyHelpRow> keyboardHelpRows(Edition edition) {
    const bool desktop = edition == Edition::Desktop;
    std::vector<KeyHelpRow> rows{{"0-9, A-F", "the same keys, digits on the numeric keypad too"}};
    for (unsigned k = hexDigitCount; k < keyCount; ++k) {
        const auto key = static_cast<KeyId>(k);
        rows.push_back({keyLegend(key), pcKeyName(key)});
        if (key == KeyId::Adr) rows.back().what += " (Shift+2 on US layouts)";
    }
    rows.push_back(
        {"", "Hold a PC key to hold its kit key: in organ mode the note sounds while it is held."});
    // The tune editor's keys, as the README's table has them.
    rows.push_back({"", "While the tune editor's table has the keyboard (View > Tune Editor), the "
                        "PC keys edit the tune instead. The column under the cursor says what a "
                        "key means:"});
    rows.push_back({"Up, Down, PgUp, PgDn, Home, End",
                    "select a row (with Shift: extend the selection); moving onto a note sounds "
                    "it"});
    rows.push_back({desktop ? "Left, Right, Tab, Shift+Tab" : "Left, Right",
                    "change column: digits, note, length, jump target"});
    rows.push_back({"0-9, A-F", "digits column: type the group as on the keypad (after four "
                                "digits the cursor moves on); jump target column: type the "
                                "target. The kit's hex keys, clicked or tapped, type too, in "
                                "any column"});
    rows.push_back({"Z S X D C V G B H N J M, Q 2 W 3 E R 5 T 6 Y 7 U",
                    "note column: piano keys, two octaves: the kit's nearest tone, keeping the "
                    "row's length"});
    rows.push_back({"- =", "note column: the piano an octave down or up; length column: one code "
                           "shorter or longer"});
    rows.push_back({"1-9, 0", "length column: 1, 2, 3, 4, 6, 8, 12, 16, 24 or 32 units"});
    rows.push_back({". / ,", "a rest, the end marker, a jump"});
    rows.push_back({desktop ? "Insert, Delete" : "Insert, Delete or Backspace",
                    "open or close steps (as many as selected); the steps after move, and jumps "
                    "into them are re-aimed"});
    rows.push_back({desktop ? "Enter or F5, Esc" : "Enter, Esc", "play from the row, stop"});
    if (desktop)
        rows.push_back({"F6", "record from the selected row (the piano keys, or the kit's organ)"});
    rows.push_back({"F7", "listen: a tune sung, whistled or played into the microphone; F7 again "
                          "writes it from the selected row, Esc drops it"});
    rows.push_back({"Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y", "undo, redo"});
    rows.push_back({"Ctrl+X, C, V, A", "cut, copy, paste, select all rows"});
    rows.push_back(desktop ? KeyHelpRow{"", "Click the board to give the PC keys back to the kit."}
                           : KeyHelpRow{"Tab", "leave the table: the PC keys play the kit again"});
    return rows;
}

} // namespace korvel
