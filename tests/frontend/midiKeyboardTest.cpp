// A MIDI keyboard as one voice: the wire's byte rules, last-note priority,
// the pedal and the messages that let go of everything; then the kit's sound
// and the editor's recording from it.
#include "frontend/editor/midiKeyboard.h"
#include "frontend/editor/tuneTable.h"
#include "frontend/input/midiPortChoice.h"
#include "tests/frontend/taggedRecorder.h"

#include <gtest/gtest.h>

namespace korvel::test {
namespace {

constexpr int none = -1;

struct Step {
    std::vector<uint8_t> bytes;
    int sounding; // the key sounding after them, or none
};

TEST(MidiVoice, SoundsTheNewestKeyHeld) {
    const struct {
        const char* name;
        std::vector<Step> steps;
    } cases[] = {
        {"last note priority",
         {{{0x90, 60, 100}, 60}, {{0x91, 64, 90}, 64}, {{0x80, 64, 0}, 60}, {{0x80, 60, 0}, none}}},
        {"running status, velocity 0 as note-off",
         {{{0x90, 60, 100, 64, 100}, 64}, {{60, 0}, 64}, {{64, 0}, none}}},
        {"a message split over reads, real-time bytes inside it",
         {{{0x90}, none}, {{60, 0xF8}, none}, {{0xFE, 100}, 60}}},
        {"system exclusive skipped, and it ends the running status",
         {{{0x90, 60, 100, 0xF0, 0x7E, 62, 100, 0xF7, 64, 100}, 60}}},
        {"the pedal keeps a let-go key until it comes up",
         {{{0x90, 60, 100, 0xB0, 64, 127, 0x80, 60, 0}, 60}, {{0xB0, 64, 0}, none}}},
        {"a key held under the pedal returns when the newer one ends",
         {{{0x90, 60, 100, 0xB0, 64, 127, 0x90, 64, 100, 0x80, 64, 0}, 64},
          {{0xB0, 64, 0}, 60},
          {{0x80, 60, 0}, none}}},
        {"a key struck again while sustained is the newest",
         {{{0xB0, 64, 127, 0x90, 60, 100, 0x90, 64, 100, 0x90, 60, 100}, 60}}},
        {"all notes off", {{{0x90, 60, 100, 0x90, 64, 100, 0xB0, 123, 0}, none}}},
        {"all sound off lifts the pedal too",
         {{{0xB0, 64, 127, 0x90, 60, 100, 0xB0, 120, 0, 0x90, 62, 100, 0x80, 62, 0}, none}}},
        {"program changes and bends change nothing", {{{0x90, 60, 100, 0xC0, 5, 0xE0, 0, 64}, 60}}},
    };
    for (const auto& c : cases) {
        MidiByteReader reader;
        MidiVoice voice;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            std::vector<MidiMessage> messages;
            reader.read(c.steps[i].bytes.data(), c.steps[i].bytes.size(), messages);
            for (const MidiMessage& m : messages) voice.take(m);
            EXPECT_EQ(voice.sounding() ? int(*voice.sounding()) : none, c.steps[i].sounding)
                << c.name << ", step " << i;
        }
    }
}

struct KeyboardFixture : ::testing::Test {
    TaggedRecorder sound;
    struct : SessionView {
    } view;
    Session session{sound, view};
    std::optional<TuneEditor> editor;
    std::optional<MidiKeyboard> keyboard;
    KeyboardFixture() {
        session.start({12, 0, 0, 0}, 0);
        editor.emplace(session);
        keyboard.emplace(session, &*editor);
    }
    void send(std::vector<uint8_t> bytes, uint64_t nowMs) {
        keyboard->receive(bytes.data(), bytes.size(), nowMs);
    }
};

TEST_F(KeyboardFixture, APortGoneMidNoteFallsSilent) {
    send({0x90, 69, 100}, 0);
    ASSERT_TRUE(keyboard->tone());
    sound.take();
    keyboard->portGone(10);
    EXPECT_FALSE(keyboard->tone());
    EXPECT_EQ(sound.take(), std::vector<PortCall>{stopCall});
}

TEST_F(KeyboardFixture, AKeyBeyondTheKitIsSilentAndSaysSo) {
    send({0x90, 69, 100, 0x90, 120, 100}, 0);
    EXPECT_FALSE(keyboard->tone());
    EXPECT_EQ(keyboard->message(), "C9 is beyond the kit's tones.");
}

// The pedal held past the key's release lengthens the recorded step.
TEST_F(KeyboardFixture, RecordsWithThePedalLengthening) {
    editor->select(4, EditColumn::Note, false);
    editor->setRecording(true, 0);
    send({0x90, 69, 100, 0xB0, 64, 127}, 0);
    send({0x80, 69, 0}, 150);
    send({0xB0, 64, 0}, 400);
    editor->setRecording(false, 400);
    const TuneRow& row = editor->rows()[4];
    ASSERT_EQ(row.kind, StepKind::Note);
    EXPECT_NEAR(row.lengthMs, 400, 20);
}

// The chosen port followed as keyboards come and go: each row is the list
// present (or a choice made), the step asked of the edition and the status.
TEST(MidiPortChoice, FollowsTheChosenPortInAndOut) {
    using Ports = std::vector<std::string>;
    struct Row {
        const char* event;
        Ports present; // used when choice is null
        const char* choice;
        MidiPortStep step;
        const char* status;
    };
    const Row rows[] = {
        {"remembered, not yet plugged in", {"Synth"}, nullptr, {}, "MIDI in: Keys (not connected)"},
        {"plugged in", {"Synth", "Keys"}, nullptr, {"", "Keys"}, "MIDI in: Keys"},
        {"another port comes", {"Synth", "Keys", "Pads"}, nullptr, {}, "MIDI in: Keys"},
        {"unplugged mid-note",
         {"Synth", "Pads"},
         nullptr,
         {"Keys", ""},
         "MIDI in: Keys (not connected)"},
        {"back again", {"Keys", "Pads"}, nullptr, {"", "Keys"}, "MIDI in: Keys"},
        {"another chosen", {}, "Pads", {"Keys", "Pads"}, "MIDI in: Pads"},
        {"none chosen", {}, "", {"Pads", ""}, ""},
    };
    MidiPortChoice choice("Keys");
    for (const Row& row : rows) {
        const MidiPortStep step =
            row.choice ? choice.choose(row.choice) : choice.follow(row.present);
        EXPECT_EQ(step, row.step) << row.event;
        EXPECT_EQ(choice.statusText(), row.status) << row.event;
    }
}

// A port the system would not open is tried again when the ports change.
TEST(MidiPortChoice, APortThatWouldNotOpenIsTriedAgain) {
    MidiPortChoice choice;
    choice.follow({"Keys"});
    EXPECT_EQ(choice.choose("Keys"), (MidiPortStep{"", "Keys"}));
    choice.openFailed();
    EXPECT_EQ(choice.statusText(), "MIDI in: Keys (not connected)");
    EXPECT_EQ(choice.follow({"Keys"}), MidiPortStep{}) << "the same ports listed again";
    EXPECT_EQ(choice.follow({"Keys", "Pads"}), (MidiPortStep{"", "Keys"}));
}

} // namespace
} // namespace korvel::test
