// The platform-free words and cells the front ends show: the keyboard table's
// lookup, the keys by their place, the LED in each mode and the status line.
#include "frontend/keyPlaces.h"
#include "frontend/keyboardTable.h"
#include "frontend/ledText.h"
#include "frontend/statusText.h"
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
    // The help names every function key's PC key on its own line.
    for (unsigned k = 16; k < keyCount; ++k)
        EXPECT_NE(
            keyboardHelpText().find(std::string(keyLegend(KeyId(k))) + "\t" + pcKeyName(KeyId(k))),
            std::string::npos);
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
