#include "model/script.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <utility>
#include <vector>

namespace korvel::test {
namespace {

using namespace std::string_literals;

TEST(NibbleChar, GivesUpperCaseHexOrQuestionMark) {
    const std::string expected = "0123456789ABCDEF";
    for (uint32_t v = 0; v < 16; ++v) EXPECT_EQ(nibbleChar(v), expected[v]);
    for (uint32_t v : {16u, 255u, 0xFFFFFFFFu}) EXPECT_EQ(nibbleChar(v), '?');
}

TEST(BuildScript, LaysOutHeaderAndOneLinePerGroupHighestNibbleFirst) {
    KitState kit{};
    for (uint32_t i = 0; i < memoryNibbles; ++i) kit.memory[i] = (i * 7 + i / 16) % 16;
    kit.startAddress = 0x123, kit.tempo = 5;
    const ScriptImage image = buildScript(kit);
    const std::string text(image.begin(), image.end());
    ASSERT_EQ(text.size(), 932u);
    EXPECT_EQ(text.substr(0, 36), "KORVEL Memory Output\r\n------\rF000@\r\n");
    for (uint32_t g = 0; g < 128; ++g) {
        std::string line;
        for (int i = 3; i >= 0; --i) line += nibbleChar(kit.memory[4 * g + i]);
        EXPECT_EQ(text.substr(36 + 7 * g, 7), line + "W\r\n") << "line " << g;
    }
}

struct ApplyCase {
    const char* name;
    std::string text;
    uint32_t addressBefore;
    bool accepted;
    std::vector<std::pair<uint32_t, uint32_t>> memory; // (address, nibble); all others stay 0
    uint32_t addressAfter;
    uint32_t startAddress;
    uint32_t tempo;
};

class ApplyScript : public testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyScript, ReplaysCommandBytesThroughThePrimitives) {
    const ApplyCase& c = GetParam();
    KitState kit{};
    kit.mode = KitMode::Entry;
    kit.address = c.addressBefore;
    EXPECT_EQ(applyScript(kit, c.text.data(), c.text.size()), c.accepted);
    std::array<uint32_t, memoryNibbles> expected{};
    for (auto [address, nibble] : c.memory) expected[address] = nibble;
    EXPECT_EQ(kit.memory, expected);
    EXPECT_EQ(kit.address, c.addressAfter);
    EXPECT_EQ(kit.startAddress, c.startAddress);
    EXPECT_EQ(kit.tempo, c.tempo);
    EXPECT_EQ(kit.mode, KitMode::Entry);
}

const std::vector<std::pair<uint32_t, uint32_t>> none, at32{{32, 4}, {33, 3}, {34, 2}, {35, 1}};

INSTANTIATE_TEST_SUITE_P(
    Texts, ApplyScript,
    testing::Values(
        ApplyCase{"MagicOnly", "KORVEL", 0x40, true, none, 0x40, 0, 0},
        ApplyCase{"NoCommandsZone", "KORVEL 0020@1234W\r\n--", 0x40, true, none, 0x40, 0, 0},
        ApplyCase{"PreambleIgnored", "KORVEL 12W\r\n---\r\n", 0x40, true, none, 0x40, 0, 0},
        ApplyCase{"WrongCase", "korvel\n---\n0020@1234W", 0x40, false, none, 0x40, 0, 0},
        ApplyCase{"TooShort", "KORV", 0x40, false, none, 0x40, 0, 0},
        ApplyCase{"ZeroInMagic", "KOR\0EL---0020@1234W"s, 0x40, false, none, 0x40, 0, 0},
        ApplyCase{"TwoHyphens", "KORVEL\n--0020@1234W", 0x40, true, none, 0x40, 0, 0},
        ApplyCase{"ThreeHyphens", "KORVEL\n---0020@1234W", 0x40, true, at32, 0x24, 0, 0},
        ApplyCase{"FourHyphens", "KORVEL-- x ----0020@1234W", 0x40, true, at32, 0x24, 0, 0},
        ApplyCase{"LowerCase",
                  "KORVEL\n---\n0020@dcbaw",
                  0,
                  true,
                  {{32, 10}, {33, 11}, {34, 12}, {35, 13}},
                  0x24,
                  0,
                  0},
        ApplyCase{"ZeroByteEnds",
                  "KORVEL\n---\n0020@12\0"
                  "34W"s,
                  0, true, none, 0x20, 0, 0},
        ApplyCase{"OtherBytesSkipped", "KORVEL\n---\n0020@1\x80G2x3?4 \t\r\nW", 0, true, at32, 0x24,
                  0, 0},
        ApplyCase{"StartAddressIgnoresD3", "KORVEL\n---\n1234W", 0, true, none, 0, 0x234, 0},
        ApplyCase{"Tempo", "KORVEL\n---\n0003W", 14, true, none, 14, 0, 3},
        ApplyCase{"UnmaskedTest",
                  "KORVEL\n---\n0200@1234W",
                  0,
                  true,
                  {{0, 4}, {1, 3}, {2, 2}, {3, 1}},
                  0x204,
                  0,
                  0},
        ApplyCase{"DigitsKeptAfterWrite",
                  "KORVEL\n---\nF000@1234W5W",
                  0,
                  true,
                  {{0, 4}, {1, 3}, {2, 2}, {3, 1}, {4, 5}, {5, 4}, {6, 3}, {7, 2}},
                  0xF008,
                  0,
                  0},
        ApplyCase{"DigitsKeptAfterAdr", "KORVEL\n---\n0020@W", 0, true, {{33, 2}}, 0x24, 0, 0},
        ApplyCase{"WriteRunsIntoTempo",
                  "KORVEL\n---\n000A@1111W2223W9999W",
                  0,
                  true,
                  {{10, 1}, {11, 1}, {12, 1}, {13, 1}},
                  14,
                  0,
                  9},
        ApplyCase{"KeepsTheKitsAddress",
                  "KORVEL\n---\n1111W",
                  0x40,
                  true,
                  {{64, 1}, {65, 1}, {66, 1}, {67, 1}},
                  0x44,
                  0,
                  0}),
    [](const testing::TestParamInfo<ApplyCase>& info) { return std::string(info.param.name); });

// Each lower-case hex letter, alone between digits, stores the same nibble as its capital.
TEST(ApplyScript, LowerCaseLettersAreTheirCapitals) {
    const std::string letters = "abcdef";
    for (size_t i = 0; i < letters.size(); ++i) {
        KitState kit{};
        const std::string text = "KORVEL\n---\n0020@1"s + letters[i] + "23w";
        ASSERT_TRUE(applyScript(kit, text.data(), text.size()));
        EXPECT_EQ(kit.memory[34], 10 + i) << letters[i];
        EXPECT_EQ(kit.address, 0x24u) << letters[i];
    }
}

TEST(ApplyScript, SavedImageRestoresMemoryOnly) {
    std::mt19937 random(7);
    KitState saved{};
    for (uint32_t& nibble : saved.memory) nibble = random() % 16;
    const ScriptImage image = buildScript(saved);

    KitState loaded{};
    loaded.startAddress = 0x321, loaded.tempo = 6;
    ASSERT_TRUE(applyScript(loaded, image.data(), image.size()));
    EXPECT_EQ(loaded.memory, saved.memory);
    EXPECT_EQ(loaded.startAddress, 0x321u);
    EXPECT_EQ(loaded.tempo, 6u);
    EXPECT_EQ(loaded.address, 0xF200u);
    EXPECT_EQ(loaded.digits, (std::array<uint32_t, 4>{saved.memory[508], saved.memory[509],
                                                      saved.memory[510], saved.memory[511]}));
}

// Random texts, many with the magic and a commands zone, must never break the
// kit's invariants or touch anything but the fields the primitives own.
TEST(ApplyScript, RandomBytesKeepTheInvariants) {
    std::mt19937 random(2026);
    const std::string prefixes[] = {"", "KORVEL", "KORVEL---", "KORVEL\n---\n@"};
    for (int round = 0; round < 4000; ++round) {
        std::string text = prefixes[round % 4];
        const size_t length = random() % 200;
        for (size_t i = 0; i < length; ++i) {
            const char* favourites = "0123456789abcdefABCDEF@Ww-";
            text += random() % 2 ? favourites[random() % 26] : char(random() % 256);
        }
        KitState kit{};
        kit.mode = KitMode::Playing;
        kit.address = random() % 0x10000;
        const KitState before = kit;
        const bool accepted = applyScript(kit, text.data(), text.size());
        for (uint32_t nibble : kit.memory) ASSERT_LT(nibble, 16u);
        for (uint32_t digit : kit.digits) ASSERT_LT(digit, 16u);
        ASSERT_LT(kit.tempo, 16u);
        ASSERT_LT(kit.startAddress, 4096u);
        ASSERT_EQ(kit.mode, KitMode::Playing);
        ASSERT_EQ(kit.playPointer, before.playPointer);
        if (!accepted) {
            ASSERT_EQ(kit.memory, before.memory);
            ASSERT_EQ(kit.address, before.address);
        }
    }
}

} // namespace
} // namespace korvel::test
