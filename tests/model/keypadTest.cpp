#include "model/kit.h"
#include "model/script.h"
#include "tests/model/fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

namespace korvel::test {
namespace {

// Digits as they read on the LED, d3 first.
std::string shown(const KitState& kit) {
    std::string text;
    for (int i = 3; i >= 0; --i) text += nibbleChar(kit.digits[i]);
    return text;
}

// Memory group at base as it reads on the LED (highest address first).
std::string group(const KitState& kit, uint32_t base) {
    std::string text;
    for (int i = 3; i >= 0; --i) text += nibbleChar(kit.memory[base + i]);
    return text;
}

auto fields(const KitState& k) {
    return std::tie(k.memory, k.digits, k.address, k.tempo, k.startAddress, k.playPointer, k.repeat,
                    k.mode, k.hours, k.minutes, k.seconds, k.tenths, k.colonLit);
}

constexpr KitMode allModes[] = {KitMode::Blank,    KitMode::Clock,   KitMode::Entry,
                                KitMode::Keyboard, KitMode::Playing, KitMode::Halted};

// A kit in the given mode showing 1234, address 0x20, memory 32..35 reading 6789.
struct Prepared : KitFixture {
    explicit Prepared(KitMode mode) {
        kit.digits = {4, 3, 2, 1};
        kit.address = 0x20;
        kit.memory[32] = 9, kit.memory[33] = 8, kit.memory[34] = 7, kit.memory[35] = 6;
        kit.mode = mode;
    }
};

struct PressCase {
    KeyId key;
    KitMode mode;
    KitMode after;
    std::vector<PortCall> calls;
    std::string digits; // d3..d0 afterwards
    uint32_t address;   // afterwards
    std::string memory; // group at 32 afterwards
};

class PressTable : public testing::TestWithParam<PressCase> {};

TEST_P(PressTable, ChangesStateSoundAndDisplayAsTabled) {
    const PressCase& c = GetParam();
    Prepared f(c.mode);
    f.press(c.key);
    EXPECT_EQ(f.kit.mode, c.after);
    EXPECT_EQ(f.recorder.calls, c.calls);
    EXPECT_EQ(shown(f.kit), c.digits);
    EXPECT_EQ(f.kit.address, c.address);
    EXPECT_EQ(group(f.kit, 32), c.memory);
}

const auto B = KitMode::Blank, K = KitMode::Clock, E = KitMode::Entry, Kb = KitMode::Keyboard,
           P = KitMode::Playing, H = KitMode::Halted;
const std::vector<PortCall> none, led{ledCall};

// Keys that act through the digit registers; each is inert in Blank, Playing and Halted.
INSTANTIATE_TEST_SUITE_P(
    EntryKeys, PressTable,
    testing::Values(PressCase{hexKey(5), K, E, led, "0005", 0x20, "6789"},
                    PressCase{hexKey(5), E, E, led, "2345", 0x20, "6789"},
                    PressCase{hexKey(5), Kb, Kb, {keyNoteCall(57)}, "1234", 0x20, "6789"},
                    PressCase{hexKey(0xF), Kb, Kb, {keyNoteCall(23)}, "1234", 0x20, "6789"},
                    PressCase{KeyId::Adr, K, E, led, "0000", 0x20, "6789"},
                    PressCase{KeyId::Adr, E, E, led, "0000", 0x1234, "6789"},
                    PressCase{KeyId::Adr, Kb, Kb, {keyNoteCall(24)}, "1234", 0x20, "6789"},
                    PressCase{KeyId::Read, K, E, led, "0000", 0x20, "6789"},
                    PressCase{KeyId::Read, E, E, led, "6789", 0x24, "6789"},
                    PressCase{KeyId::Read, Kb, Kb, {keyNoteCall(25)}, "1234", 0x20, "6789"},
                    PressCase{KeyId::Write, K, E, led, "0000", 0x20, "6789"},
                    PressCase{KeyId::Write, E, E, led, "0000", 0x24, "1234"},
                    PressCase{KeyId::Write, Kb, Kb, {keyNoteCall(26)}, "1234", 0x20, "6789"},
                    PressCase{KeyId::Clear, K, E, led, "0000", 0x20, "6789"},
                    PressCase{KeyId::Clear, E, E, led, "0000", 0x20, "6789"},
                    PressCase{KeyId::Clear, Kb, Kb, {keyNoteCall(27)}, "1234", 0x20, "6789"}));

INSTANTIATE_TEST_SUITE_P(
    StopKey, PressTable,
    testing::Values(PressCase{KeyId::Stop, B, B, led, "1234", 0x20, "6789"},
                    PressCase{KeyId::Stop, K, B, led, "1234", 0x20, "6789"},
                    PressCase{KeyId::Stop, E, B, led, "1234", 0x20, "6789"},
                    PressCase{KeyId::Stop, Kb, B, led, "1234", 0x20, "6789"},
                    PressCase{KeyId::Stop, P, B, {stopCall, ledCall}, "1234", 0x20, "6789"},
                    PressCase{KeyId::Stop, H, H, none, "1234", 0x20, "6789"}));

TEST(PressInertModes, EntryKeysDoNothingInBlankPlayingAndHalted) {
    for (KitMode mode : {KitMode::Blank, KitMode::Playing, KitMode::Halted}) {
        for (uint8_t id = 0; id < keyCount; ++id) {
            const auto key = static_cast<KeyId>(id);
            if (key == KeyId::Stop || key == KeyId::Run) continue;
            Prepared f(mode);
            const KitState before = f.kit;
            f.press(key);
            f.release(key);
            EXPECT_TRUE(fields(before) == fields(f.kit)) << int(id);
            EXPECT_TRUE(f.recorder.calls.empty()) << int(id);
        }
    }
}

TEST(Release, OnlyKeyboardNotesStopAndStopKeyReturnsToClock) {
    for (KitMode mode : allModes) {
        for (uint8_t id = 0; id < keyCount; ++id) {
            const auto key = static_cast<KeyId>(id);
            Prepared f(mode);
            f.release(key);
            std::vector<PortCall> expected;
            KitMode after = mode;
            if (key == KeyId::Stop && mode != KitMode::Halted) {
                after = KitMode::Clock;
                expected = led;
            } else if (key != KeyId::Stop && key != KeyId::Run && mode == KitMode::Keyboard) {
                expected = {stopCall};
            }
            EXPECT_EQ(f.kit.mode, after) << int(id) << " in mode " << int(mode);
            EXPECT_EQ(f.recorder.calls, expected) << int(id) << " in mode " << int(mode);
        }
    }
}

struct RunCase {
    KitMode mode;
    uint32_t d0;
    KitMode after;
    std::vector<PortCall> calls;
};

class RunTable : public testing::TestWithParam<RunCase> {};

// Memory is all zero, so a started tune sounds step 0000: tone 0 for 368 bytes.
TEST_P(RunTable, DecidesByModeAndDigitZero) {
    const RunCase& c = GetParam();
    Prepared f(c.mode);
    f.kit.memory.fill(0);
    f.kit.digits[0] = c.d0;
    f.press(KeyId::Run);
    f.release(KeyId::Run);
    EXPECT_EQ(f.kit.mode, c.after);
    EXPECT_EQ(f.recorder.calls, c.calls);
}

const std::vector<PortCall> started{toneCall(0, 368), ledCall};

INSTANTIATE_TEST_SUITE_P(Modes, RunTable,
                         testing::Values(RunCase{K, 5, P, started}, RunCase{K, 12, P, started},
                                         RunCase{E, 0, P, started}, RunCase{E, 5, E, none},
                                         RunCase{E, 12, Kb, led}, RunCase{B, 0, P, started},
                                         RunCase{B, 12, Kb, led}, RunCase{Kb, 12, Kb, led},
                                         RunCase{Kb, 0, P, started}, RunCase{H, 12, Kb, led},
                                         RunCase{H, 0, P, started}, RunCase{P, 0, P, none},
                                         RunCase{P, 12, P, none}));

// D, E and F as the rightmost digit give RUN nothing to do, in every mode
// where the digit decides (Clock forces 0; Playing ignores RUN).
TEST(RunWithTopDigits, DoesNothing) {
    for (KitMode mode : {KitMode::Blank, KitMode::Entry, KitMode::Keyboard, KitMode::Halted}) {
        for (uint32_t d0 : {0xDu, 0xEu, 0xFu}) {
            Prepared f(mode);
            f.kit.digits[0] = d0;
            const KitState before = f.kit;
            f.press(KeyId::Run);
            f.release(KeyId::Run);
            EXPECT_TRUE(fields(before) == fields(f.kit)) << d0 << " in mode " << int(mode);
            EXPECT_EQ(f.recorder.calls, none) << d0 << " in mode " << int(mode);
        }
    }
}

TEST(RunInClock, ForcesDigitZeroOnlyAndKeepsTheOthers) {
    Prepared f(KitMode::Clock);
    f.press(KeyId::Run);
    EXPECT_EQ(shown(f.kit), "1230");
}

TEST(Halted, EndMarkerAtStartHaltsAndOnlyRunOrResetLeaves) {
    KitFixture f;
    f.type("0200@eeeeW");
    f.click(KeyId::Stop); // leaves Entry for Clock
    f.recorder.take();
    f.press(KeyId::Run);
    EXPECT_EQ(f.kit.mode, KitMode::Halted);
    EXPECT_EQ(f.recorder.take(), led);
    for (uint8_t id = 0; id < keyCount; ++id)
        if (static_cast<KeyId>(id) != KeyId::Run) f.click(static_cast<KeyId>(id));
    EXPECT_EQ(f.kit.mode, KitMode::Halted);
    EXPECT_TRUE(f.recorder.take().empty());
    f.press(KeyId::Run);
    EXPECT_EQ(f.kit.mode, KitMode::Halted);
    resetKit(f.kit, f.recorder.ports());
    EXPECT_EQ(f.kit.mode, KitMode::Clock);
    EXPECT_EQ(group(f.kit, 0), "0000");
}

TEST(KeyboardMode, KeysSoundWhileHeldAndStopEndsIt) {
    KitFixture f;
    f.type("c");
    f.press(KeyId::Run);
    ASSERT_EQ(f.kit.mode, KitMode::Keyboard);
    f.recorder.take();
    f.click(hexKey(0));
    f.click(KeyId::Adr);
    f.click(KeyId::Clear);
    f.click(KeyId::Run);
    EXPECT_EQ(f.recorder.take(),
              (std::vector<PortCall>{keyNoteCall(52), stopCall, keyNoteCall(24), stopCall,
                                     keyNoteCall(27), stopCall, ledCall}));
    EXPECT_EQ(f.kit.mode, KitMode::Keyboard);
    f.press(KeyId::Stop);
    EXPECT_EQ(f.kit.mode, KitMode::Blank);
    f.release(KeyId::Stop);
    EXPECT_EQ(f.kit.mode, KitMode::Clock);
}

TEST(KeyNotes, RiseBySemitoneThroughTheSoundingKeys) {
    const KeyId order[] = {hexKey(0),  hexKey(1),  hexKey(2),   hexKey(3),    hexKey(4),
                           hexKey(5),  hexKey(6),  hexKey(7),   hexKey(8),    hexKey(9),
                           hexKey(10), hexKey(11), hexKey(12),  hexKey(13),   hexKey(14),
                           hexKey(15), KeyId::Adr, KeyId::Read, KeyId::Write, KeyId::Clear};
    // Divider 3 notes 4..11 sit an octave below divider 1 notes 4..11.
    for (unsigned i = 0; i < 8; ++i) EXPECT_EQ(keyNoteOf(order[i]), 52 + i);
    for (unsigned i = 8; i < 20; ++i) EXPECT_EQ(keyNoteOf(order[i]), 16 + (i - 8));
    EXPECT_EQ(keyNoteOf(KeyId::Stop), noKeyNote);
    EXPECT_EQ(keyNoteOf(KeyId::Run), noKeyNote);
}

TEST(PlayingStop, StopCutsTheNoteThenReleaseGivesClock) {
    KitFixture f;
    f.press(KeyId::Run);
    ASSERT_EQ(f.kit.mode, KitMode::Playing);
    f.recorder.take();
    f.press(KeyId::Stop);
    EXPECT_EQ(f.recorder.take(), (std::vector<PortCall>{stopCall, ledCall}));
    EXPECT_EQ(f.kit.mode, KitMode::Blank);
    f.release(KeyId::Stop);
    EXPECT_EQ(f.kit.mode, KitMode::Clock);
}

TEST(Reset, StopsATuneClearsMemoryAndKeepsRegisters) {
    KitFixture f;
    f.type("0000@0123W000e@0007W0100@4321W");
    f.click(KeyId::Stop);
    f.press(KeyId::Run);
    ASSERT_EQ(f.kit.mode, KitMode::Playing);
    const KitState before = f.kit;
    f.recorder.take();
    resetKit(f.kit, f.recorder.ports());
    EXPECT_EQ(f.recorder.take(), (std::vector<PortCall>{stopCall, ledCall}));
    EXPECT_EQ(f.kit.mode, KitMode::Clock);
    for (uint32_t nibble : f.kit.memory) EXPECT_EQ(nibble, 0u);
    EXPECT_EQ(f.kit.startAddress, 0x123u);
    EXPECT_EQ(f.kit.tempo, 7u);
    EXPECT_EQ(f.kit.address, before.address);
    EXPECT_EQ(f.kit.digits, before.digits);
    EXPECT_EQ(f.kit.playPointer, before.playPointer);

    resetKit(f.kit, f.recorder.ports()); // not playing: no stop
    EXPECT_EQ(f.recorder.take(), led);
}

TEST(InitKit, StartsInClockWithEverythingCleared) {
    KitState kit{};
    kit.memory.fill(7), kit.digits.fill(3), kit.address = kit.tempo = kit.startAddress = 9;
    kit.playPointer = 8, kit.repeat = 1, kit.mode = KitMode::Playing;
    initKit(kit, {9, 5, 30, 0});
    EXPECT_EQ(kit.mode, KitMode::Clock);
    EXPECT_EQ(shown(kit), "0000");
    EXPECT_EQ(kit.address | kit.startAddress | kit.tempo | kit.playPointer | kit.repeat, 0u);
    for (uint32_t nibble : kit.memory) EXPECT_EQ(nibble, 0u);
    EXPECT_EQ(kit.hours, 9);
    EXPECT_EQ(kit.minutes, 5);
}

TEST(Scenarios, TypingLatchingWritingAndReadingBack) {
    KitFixture f;
    f.type("5");
    EXPECT_EQ(shown(f.kit), "0005");
    f.type("12345");
    EXPECT_EQ(shown(f.kit), "2345");
    f.type("0020@1234W");
    EXPECT_EQ(group(f.kit, 32), "1234");
    EXPECT_EQ(f.kit.address, 0x24u);
    EXPECT_EQ(shown(f.kit), "0000");
    f.type("0020@R");
    EXPECT_EQ(shown(f.kit), "1234");
    EXPECT_EQ(f.kit.address, 0x24u);
    f.type("W"); // READ then WRITE copies the group shown into the next one
    EXPECT_EQ(group(f.kit, 36), "1234");
}

// Group primitives at the special and wrapping addresses.
struct GroupCase {
    uint32_t address;
    uint32_t firstNibble; // memory index of d0, or none
    uint32_t addressAfter;
    uint32_t startAddress;
    uint32_t tempo;
};
constexpr uint32_t noStore = 0xFFFFFFFF;

class StoreGroupTable : public testing::TestWithParam<GroupCase> {};

TEST_P(StoreGroupTable, StoresAtTheMaskedBaseOrSetsAMelodyRegister) {
    const GroupCase& c = GetParam();
    KitState kit{};
    kit.digits = {4, 3, 2, 1};
    kit.address = c.address;
    storeGroup(kit);
    EXPECT_EQ(kit.address, c.addressAfter);
    EXPECT_EQ(kit.startAddress, c.startAddress);
    EXPECT_EQ(kit.tempo, c.tempo);
    EXPECT_EQ(kit.digits, (std::array<uint32_t, 4>{4, 3, 2, 1})) << "primitives never clear";
    uint32_t stored = 0;
    for (uint32_t i = 0; i < memoryNibbles; ++i) {
        if (kit.memory[i] == 0) continue;
        ++stored;
        ASSERT_NE(c.firstNibble, noStore);
        EXPECT_EQ(kit.memory[i], 4 - (i - c.firstNibble)) << i;
    }
    const uint32_t room =
        c.firstNibble == noStore ? 0 : std::min(4u, memoryNibbles - c.firstNibble);
    EXPECT_EQ(stored, room);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, StoreGroupTable,
    testing::Values(GroupCase{0, noStore, 0, 0x234, 0}, // d3 ignored
                    GroupCase{14, noStore, 14, 0, 4},   // d0 only
                    GroupCase{0x200, 0, 0x204, 0, 0},   // unmasked test: ordinary
                    GroupCase{0x20E, 14, 0x212, 0, 0}, GroupCase{0x1FFC, 508, 0x2000, 0, 0},
                    GroupCase{0x20, 32, 0x24, 0, 0},
                    GroupCase{510, 510, 514, 0, 0}, // only 510 and 511 exist
                    GroupCase{0xFFFF, 511, 0x10003, 0, 0}));

TEST(FetchGroup, ReadsMemoryWithoutSpecialAddressesAndZeroPastTheEnd) {
    KitState kit{};
    for (uint32_t i = 0; i < memoryNibbles; ++i) kit.memory[i] = i % 16;
    kit.address = 0;
    fetchGroup(kit);
    EXPECT_EQ(kit.digits, (std::array<uint32_t, 4>{0, 1, 2, 3}));
    EXPECT_EQ(kit.address, 4u);
    kit.address = 14;
    fetchGroup(kit);
    EXPECT_EQ(kit.digits, (std::array<uint32_t, 4>{14, 15, 0, 1}));
    kit.address = 0x2000 + 510;
    fetchGroup(kit);
    EXPECT_EQ(kit.digits, (std::array<uint32_t, 4>{14, 15, 0, 0}));
    EXPECT_EQ(kit.address, 0x2000u + 514);
}

TEST(Scenarios, WriteWrapsFromTheTopOfMemoryToZero) {
    KitFixture f;
    f.type("1ffc@1234W");
    EXPECT_EQ(group(f.kit, 508), "1234");
    EXPECT_EQ(f.kit.address, 0x2000u);
    f.type("5678W");
    EXPECT_EQ(group(f.kit, 0), "5678");
    EXPECT_EQ(f.kit.startAddress, 0u);
}

} // namespace
} // namespace korvel::test
