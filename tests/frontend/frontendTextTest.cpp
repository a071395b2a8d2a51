// The platform-free words and cells the front ends show: the keyboard table's
// lookup, the keys by their place, the LED in each mode and the status line.
#include "frontend/editor/tuneSettings.h"
#include "frontend/input/keyPlaces.h"
#include "frontend/input/keyboardTable.h"
#include "frontend/session/ledText.h"
#include "frontend/session/statusText.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

TEST(KeyboardTable, TypedCharactersFindTheirKitKeys) {
    const struct {
        char typed;
        std::optional<KeyId> key;
    } cases[] = {
        {'0', hexKey(0)},       {'9', hexKey(9)},     {'a', hexKey(10)},     {'F', hexKey(15)},
        {'@', KeyId::Adr},      {'r', KeyId::Read},   {'w', KeyId::Write},   {'W', KeyId::Write},
        {'\b', KeyId::Clear},   {' ', KeyId::Run},    {'\x1b', KeyId::Stop}, {'g', std::nullopt},
        {'\xb2', std::nullopt}, {'\0', std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(kitKeyForCharacter(c.typed), c.key) << int(c.typed);
    // A PC key: "@" whatever modifiers typed it (AltGr comes as Ctrl+Alt),
    // any other with Ctrl, Alt or Meta is the program's.
    EXPECT_EQ(kitKeyForPcKey('2', '@', true), KeyId::Adr);
    EXPECT_EQ(kitKeyForPcKey('R', 'r', false), KeyId::Read);
    EXPECT_EQ(kitKeyForPcKey('R', '\x12', true), std::nullopt);
}

// The help's rows as lines: keys, a tab and what they do; a paragraph alone.
std::string keyboardHelpText(Edition edition) {
    std::string text;
    for (const KeyHelpRow& row : keyboardHelpRows(edition))
        text += (row.keys.empty() ? "" : row.keys + '\t') + row.what + '\n';
    return text;
}

// The help's page as each edition shows it, word for word: the kit's keys,
// then the tune editor's, with each edition's own keys.
TEST(KeyboardTable, HelpNamesTheKitsAndTheEditorsKeysInEachEdition) {
    const std::string kitKeys =
        "0-9, A-F\tthe same keys, digits on the numeric keypad too\n"
        "STOP\tEsc\n"
        "ADR\t@ (Shift+2 on US layouts)\n"
        "READ\tR\n"
        "WRITE\tW\n"
        "CLEAR\tBackspace\n"
        "RUN\tSpace\n"
        "Hold a PC key to hold its kit key: in organ mode the note sounds while it is held.\n"
        "While the tune editor's table has the keyboard (View > Tune Editor), the PC keys edit the "
        "tune instead. The column under the cursor says what a key means:\n"
        "Up, Down, PgUp, PgDn, Home, End\tselect a row (with Shift: extend the selection); moving "
        "onto a note sounds it\n";
    const std::string columnKeys =
        "0-9, A-F\tdigits column: type the group as on the keypad (after four digits the cursor "
        "moves on); jump target column: type the target. The kit's hex keys, clicked or tapped, "
        "type too, in any column\n"
        "Z S X D C V G B H N J M, Q 2 W 3 E R 5 T 6 Y 7 U\tnote column: piano keys, two octaves: "
        "the kit's nearest tone, keeping the row's length\n"
        "- =\tnote column: the piano an octave down or up; length column: one code shorter or "
        "longer\n"
        "1-9, 0\tlength column: 1, 2, 3, 4, 6, 8, 12, 16, 24 or 32 units\n"
        ". / ,\ta rest, the end marker, a jump\n";
    const std::string steps = "\topen or close steps (as many as selected); the steps after "
                              "move, and jumps into them are re-aimed\n";
    const std::string listen = "F7\tlisten: a tune sung, whistled or played into the microphone; "
                               "F7 again writes it from the selected row, Esc drops it\n";
    const std::string commands = "Ctrl+Z; Ctrl+Shift+Z or Ctrl+Y\tundo, redo\n"
                                 "Ctrl+X, C, V, A\tcut, copy, paste, select all rows\n";
    EXPECT_EQ(keyboardHelpText(Edition::Desktop),
              kitKeys +
                  "Left, Right, Tab, Shift+Tab\tchange column: digits, note, length, jump "
                  "target\n" +
                  columnKeys + "Insert, Delete" + steps +
                  "Enter or F5, Esc\tplay from the row, stop\n"
                  "F6\trecord from the selected row (the piano keys, or the kit's organ)\n" +
                  listen + commands + "Click the board to give the PC keys back to the kit.\n");
    EXPECT_EQ(keyboardHelpText(Edition::Web),
              kitKeys + "Left, Right\tchange column: digits, note, length, jump target\n" +
                  columnKeys + "Insert, Delete or Backspace" + steps +
                  "Enter, Esc\tplay from the row, stop\n" + listen + commands +
                  "Tab\tleave the table: the PC keys play the kit again\n");
}

// The start address and the tempo are typed and shown in hex, as the kit has them.
TEST(TuneSettings, FieldsReadAndShowHex) {
    const struct {
        TuneSetting setting;
        const char* typed;
        std::optional<uint32_t> value;
    } cases[] = {
        {TuneSetting::Tempo, "E", 14},
        {TuneSetting::Tempo, " f ", 15},
        {TuneSetting::Tempo, "0", 0},
        {TuneSetting::Tempo, "10", std::nullopt},
        {TuneSetting::Tempo, "15", std::nullopt},
        {TuneSetting::Tempo, "g", std::nullopt},
        {TuneSetting::Tempo, "", std::nullopt},
        {TuneSetting::Tempo, "-1", std::nullopt},
        {TuneSetting::StartAddress, "010", 0x10},
        {TuneSetting::StartAddress, "fff", 0xFFF},
        {TuneSetting::StartAddress, "1", 1},
        {TuneSetting::StartAddress, "1000", std::nullopt},
        {TuneSetting::StartAddress, "0x1", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(readTuneSetting(c.setting, c.typed), c.value) << c.typed;
    EXPECT_EQ(tuneSettingText(TuneSetting::Tempo, 14), "E");
    EXPECT_EQ(tuneSettingText(TuneSetting::StartAddress, 0x10), "010");
    EXPECT_STREQ(tuneSettingField(TuneSetting::Tempo).refusal,
                 "The tempo is one hex digit, 0 (fastest) to F (slowest).");
}

TEST(KeyPlaces, ScanCodesReadAsAUsLayout) {
    const struct {
        uint32_t scanCode;
        std::optional<char> character;
    } cases[] = {
        {0x01, std::nullopt}, // Esc, just below the digit row
        {0x02, '1'},          {0x0D, '='},           {0x0E, std::nullopt}, // Backspace
        {0x10, 'q'},          {0x1B, ']'},           {0x1E, 'a'},
        {0x29, '`'},          {0x2A, std::nullopt}, // left Shift, between ` and backslash
        {0x2C, 'z'},          {0x35, '/'},           {0x39, std::nullopt}, // Space
        {0x47, '7'},          {0x4A, std::nullopt},  {0x52, '0'},
        {0x53, std::nullopt}, {0x135, std::nullopt}, // keypad /, an extended code
    };
    for (const auto& c : cases)
        EXPECT_EQ(usCharacterAtScanCode(c.scanCode), c.character) << std::hex << c.scanCode;
}

TEST(LedText, CellsAndReadingFollowTheMode) {
    test::KitFixture f;
    f.kit.hours = 9, f.kit.minutes = 5, f.kit.colonLit = 1;
    EXPECT_EQ(ledCells(f.kit), (LedCells{1, 26, 1, 6}));
    EXPECT_EQ(ledReading(f.kit), "09:05");
    f.kit.colonLit = 0;
    EXPECT_EQ(ledCells(f.kit), (LedCells{1, 10, 1, 6}));
    EXPECT_EQ(ledReading(f.kit), "09:05");
    f.type("1abd");
    EXPECT_EQ(ledCells(f.kit), (LedCells{2, 11, 12, 14}));
    EXPECT_EQ(ledReading(f.kit), "1 A B D");
    f.kit.colonLit = 1; // the colon cell alone shows the hour whatever the mode
    EXPECT_EQ(colonCell(f.kit), 26u);
    for (KitMode dark : {KitMode::Blank, KitMode::Keyboard, KitMode::Playing, KitMode::Halted}) {
        f.kit.mode = dark;
        EXPECT_EQ(ledCells(f.kit), (LedCells{0, 0, 0, 0}));
        EXPECT_EQ(ledReading(f.kit), "dark");
    }
}

TEST(StatusText, NamesTheStepSoundingOnlyWhilePlaying) {
    test::KitFixture f;
    const MelodyStep step{0x1FC, {6, 0, 0xE, 1}};
    EXPECT_EQ(statusText(f.kit, &step), "Clock");
    f.kit.mode = KitMode::Playing;
    EXPECT_EQ(statusText(f.kit, &step), "Playing  step 1FC: 1E06");
    EXPECT_EQ(statusText(f.kit, nullptr), "Playing");
}

} // namespace
} // namespace korvel
