// The names ports are remembered by, and the queue that brings their bytes
// across threads, at the edge of its room.
#include "midi/midiPortNames.h"
#include "midi/midiByteQueue.h"

#include <gtest/gtest.h>

namespace korvel::midi {
namespace {

TEST(MidiPortNames, TheSequencersAddressIsNotPartOfTheName) {
    const struct {
        const char* listed;
        const char* shown;
    } cases[] = {
        {"Keys:Keys MIDI 1 24:0", "Keys:Keys MIDI 1"},
        {"Midi Through:Midi Through Port-0 14:0", "Midi Through:Midi Through Port-0"},
        {"Keys:Keys MIDI 1 128:12", "Keys:Keys MIDI 1"},
        {"sender:keys", "sender:keys"}, // JACK's: no address
        {"Keys 24:", "Keys 24:"},       // no port number
        {"Keys :0", "Keys :0"},         // no client number
        {"Keys24:0", "Keys24:0"},       // no space before it
        {"24:0", "24:0"},               // nothing but an address
        {"Pads 1:2 3:4", "Pads 1:2"},   // only the last is the address
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(withoutAlsaAddress(c.listed), c.shown) << c.listed;
}

TEST(MidiPortNames, TwoKeyboardsOfOneKindGetNamesOfTheirOwn) {
    const struct {
        std::vector<std::string> listed, shown;
    } cases[] = {
        {{"Keys", "Pads"}, {"Keys", "Pads"}},
        {{"Keys", "Keys", "Keys"}, {"Keys", "Keys (2)", "Keys (3)"}},
        // A name made unique never becomes one already listed.
        {{"Keys", "Keys", "Keys (2)"}, {"Keys", "Keys (3)", "Keys (2)"}},
        {{"Keys (2)", "Keys", "Keys"}, {"Keys (2)", "Keys", "Keys (3)"}},
        {{}, {}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> names = c.listed;
        makeUnique(names);
        EXPECT_EQ(names, c.shown);
    }
}

// A message that does not fit is dropped whole; the reader is woken once
// for what it finds waiting.
TEST(MidiByteQueue, KeepsWholeMessagesWithinItsRoom) {
    MidiByteQueue queue(6);
    const uint8_t noteOn[] = {0x90, 60, 100}, noteOff[] = {0x80, 60, 0};
    EXPECT_TRUE(queue.push(noteOn, 3));
    EXPECT_FALSE(queue.push(noteOff, 2)); // fits, no new wake-up
    EXPECT_FALSE(queue.push(noteOff, 3)); // no room for all of it: dropped whole
    EXPECT_FALSE(queue.push(noteOff + 2, 1));
    std::vector<uint8_t> taken{1, 2, 3};
    queue.takeAll(taken);
    EXPECT_EQ(taken, (std::vector<uint8_t>{0x90, 60, 100, 0x80, 60, 0}));
    queue.takeAll(taken);
    EXPECT_TRUE(taken.empty());
    EXPECT_TRUE(queue.push(noteOff, 3));
}

} // namespace
} // namespace korvel::midi
