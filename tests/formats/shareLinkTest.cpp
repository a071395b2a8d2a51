// The share link: a tune survives the round trip to its very last nibble, and
// only the one spelling the writer makes is read.
#include "formats/shareLink.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

// Every nibble differs from its neighbours; the last one is given.
KitState tuneEndingIn(uint32_t lastNibble) {
    KitState kit{};
    for (uint32_t a = 0; a < memoryNibbles; ++a) kit.memory[a] = (a * 7 + 3) & 15u;
    kit.memory[memoryNibbles - 1] = lastNibble;
    kit.tempo = 0xA;
    kit.startAddress = 0x1FC;
    return kit;
}

// The last nibble shares its character with spare bits, where a slip shows.
TEST(ShareLink, RoundTripKeepsTheLastNibble) {
    for (uint32_t last = 0; last < 16; ++last) {
        const KitState kit = tuneEndingIn(last);
        KitState back{};
        ASSERT_TRUE(applyShareText(back, shareText(kit))) << last;
        EXPECT_EQ(back.memory, kit.memory) << last;
        EXPECT_EQ(back.tempo, kit.tempo);
        EXPECT_EQ(back.startAddress, kit.startAddress);
    }
}

TEST(ShareLink, OtherSpellingsAreRefusedAndChangeNothing) {
    const std::string good = shareText(tuneEndingIn(15));
    std::string spareBitSet = good;
    spareBitSet.back() = static_cast<char>(spareBitSet.back() + 1);
    std::string lowerHex = good;
    lowerHex[2] = 'a';
    for (const std::string& text : {good.substr(0, good.size() - 1), good + "A", spareBitSet,
                                    lowerHex, "2" + good.substr(1)}) {
        KitState kit = tuneEndingIn(0);
        EXPECT_FALSE(applyShareText(kit, text)) << text;
        EXPECT_EQ(kit.memory, tuneEndingIn(0).memory);
        EXPECT_EQ(kit.tempo, 0xAu);
    }
}

} // namespace
} // namespace korvel
