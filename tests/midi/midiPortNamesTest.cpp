// The names MIDI ports are shown and remembered by.
#include "midi/midiPortNames.h"

#include <gtest/gtest.h>

namespace korvel::midi {
namespace {

TEST(MidiPortNames, TheSequencersAddressIsNotPartOfTheName) {
    const std::pair<const char*, const char*> cases[] = {
        {"Keys:Keys MIDI 1 24:0", "Keys:Keys MIDI 1"},
        {"sender:keys", "sender:keys"}, // JACK's: no address
        {"Keys24:0", "Keys24:0"},
        {"24:0", "24:0"},
        {"Pads 1:2 3:4", "Pads 1:2"},
        {"", ""},
    };
    for (const auto& [listed, shown] : cases)
        EXPECT_EQ(withoutAlsaAddress(listed), shown) << listed;
}

TEST(MidiPortNames, TwoKeyboardsOfOneKindGetNamesOfTheirOwn) {
    const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] = {
        {{"Keys", "Pads"}, {"Keys", "Pads"}},
        {{"Keys", "Keys", "Keys"}, {"Keys", "Keys (2)", "Keys (3)"}},
        // A name made unique never becomes one already listed.
        {{"Keys", "Keys", "Keys (2)"}, {"Keys", "Keys (3)", "Keys (2)"}},
        {{"Keys (2)", "Keys", "Keys"}, {"Keys (2)", "Keys", "Keys (3)"}},
    };
    for (auto [names, shown] : cases) {
        makeUnique(names);
        EXPECT_EQ(names, shown);
    }
}

} // namespace
} // namespace korvel::midi
