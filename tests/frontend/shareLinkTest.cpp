// The share text: every nibble, the tempo and the start address survive the
// trip, and any text shareText would not write is refused without a change.
#include "shareLink.h"
#include "kit.h"

#include <gtest/gtest.h>

namespace korvel {
namespace {

KitState tune() {
    KitState kit{};
    for (uint32_t a = 0; a < memoryNibbles; ++a) kit.memory[a] = (a * 7 + a / 16) & 15u;
    kit.tempo = 15;
    kit.startAddress = 4095;
    return kit;
}

TEST(ShareLink, CarriesMemoryTempoAndStartAddress) {
    const KitState from = tune();
    const std::string text = shareText(from);
    EXPECT_EQ(text.rfind("1.F.FFF.", 0), 0u) << text;
    KitState to{};
    to.mode = KitMode::Entry;
    ASSERT_TRUE(applyShareText(to, text));
    EXPECT_EQ(to.memory, from.memory);
    EXPECT_EQ(to.tempo, 15u);
    EXPECT_EQ(to.startAddress, 4095u);
    EXPECT_EQ(to.mode, KitMode::Entry); // only the tune, not the state of play
}

TEST(ShareLink, RefusesAnyOtherTextAndChangesNothing) {
    const std::string good = shareText(tune());
    std::string lastSpareBits = good;
    lastSpareBits.back() = 'B'; // 'A' + 1: a spare bit set
    const std::string cases[] = {
        "",
        good.substr(0, good.size() - 1),
        good + "A",
        "2" + good.substr(1),
        good.substr(0, 2) + "f" + good.substr(3),   // lower-case tempo
        good.substr(0, 4) + "G" + good.substr(5),   // not hex
        good.substr(0, 7) + "," + good.substr(8),   // separator
        good.substr(0, 20) + "+" + good.substr(21), // base64, not base64url
        lastSpareBits,
    };
    for (const std::string& text : cases) {
        KitState kit{};
        const KitState before = kit;
        EXPECT_FALSE(applyShareText(kit, text)) << text;
        EXPECT_EQ(kit.memory, before.memory);
        EXPECT_EQ(kit.tempo, before.tempo);
        EXPECT_EQ(kit.startAddress, before.startAddress);
    }
}

} // namespace
} // namespace korvel
