// The tune editor on a session: undo and redo across every kind of change,
// keys by column, the clipboard's script text, and the session's tones for
// the editor (auditions, play from a row).
#include "frontend/tuneEditor.h"
#include "frontend/tuneScript.h"
#include "model/script.h"
#include "model/toneBank.h"
#include "tests/frontend/pulledSound.h"
#include "tests/frontend/taggedRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace korvel::test {
namespace {

const std::string tuneAB = "KORVEL\n---\n0010@ 3405W 2405W 7010W EEEEW 0000@ 0010W";

struct OrganKeys final : SessionView {
    TuneEditor* editor = nullptr;
    Session* session = nullptr;
    uint64_t now = 0;
    void showKeyHeld(KeyId key) override { editor->kitKey(key, session->isHeld(key), now); }
};

struct EditorFixture : ::testing::Test {
    TaggedRecorder sound;
    OrganKeys view;
    Session session{sound, view};
    std::optional<TuneEditor> editor;
    EditorFixture() {
        session.start({12, 0, 0, 0}, 0);
        editor.emplace(session);
        view.editor = &*editor, view.session = &session;
    }
    void click(KeyId key) { session.hold(key), session.letGo(key), editor->sync(); }
    void type(const std::string& keys, EditColumn column) {
        editor->select(editor->cursorRow(), column, false);
        for (char c : keys) editor->key({EditorKey::Character, c}, 0);
    }
    void load(const std::string& script) {
        session.loadScript(script.data(), script.size(), "tune");
        editor->sync();
    }
    std::string digits(uint32_t row) const {
        return editor->rows()[row].text[size_t(TuneColumn::Digits)];
    }
};

TEST_F(EditorFixture, UndoAndRedoStepThroughEveryKindOfChange) {
    std::vector<TuneSnapshot> states{takeSnapshot(session.kit())};
    const auto done = [&] { states.push_back(takeSnapshot(session.kit())); };
    editor->select(4, EditColumn::Note, false);
    type("Z", EditColumn::Note), done(); // an edit
    ASSERT_TRUE(editor->paste(stepsScript(session.kit(), 4, 1)));
    done();                                                                           // a paste
    load(tuneAB), done();                                                             // a load
    session.change([](KitState& kit) { return writeGroupAt(kit, 0x20, 0x1234), 0; }); // an import
    editor->sync(), done();
    editor->setTempo(5), done();
    editor->setStartAddress(0x14), done();
    for (KeyId key : {hexKey(2), hexKey(0), KeyId::Adr, hexKey(9), KeyId::Write}) click(key);
    done(); // the keypad's WRITE
    click(hexKey(12)), click(KeyId::Run), editor->select(0x30, EditColumn::Digits, false);
    editor->setRecording(true, 0);
    view.now = 100, session.hold(hexKey(8)); // the organ
    view.now = 400, session.letGo(hexKey(8));
    editor->key({EditorKey::Character, 'Q'}, 500); // a piano key
    editor->keyUp({EditorKey::Character, 'Q'}, 700);
    editor->setRecording(false, 900), done();
    // Tempo 5: 100 ms units. Organ key 8 plays divider 1 do, Q divider 0 do.
    EXPECT_EQ(digits(0x30) + digits(0x31) + digits(0x32), "1002EE000001");
    session.reset(), editor->sync(), done(); // Reset
    for (size_t i = states.size() - 1; i-- > 0;) {
        editor->undo();
        EXPECT_TRUE(takeSnapshot(session.kit()) == states[i]) << "undo to " << i;
    }
    EXPECT_FALSE(editor->canUndo());
    for (size_t i = 1; i < states.size(); ++i) {
        editor->redo();
        EXPECT_TRUE(takeSnapshot(session.kit()) == states[i]) << "redo to " << i;
    }
    EXPECT_FALSE(editor->canRedo());
}

TEST_F(EditorFixture, KeysEditByColumnAndNotesSoundWhenEntered) {
    click(hexKey(7)); // Entry mode: the LED shows 0007 throughout
    editor->select(4, EditColumn::Digits, false);
    type("3405", EditColumn::Digits); // moves on after four digits, as WRITE does
    type("X", EditColumn::Note);      // D4: divider 2 la (+2 cents), with the last length set
    type("-Q", EditColumn::Note);     // an octave down: C4
    editor->select(6, EditColumn::Length, false);
    type("4=", EditColumn::Length); // four units on row 6, then one longer on row 7
    type(".", EditColumn::Length);  // a rest as long as the row's note
    type("/", EditColumn::Length);
    type(",020", EditColumn::Length); // a jump, then its target
    const char* expected[] = {"3405", "2907", "1003", "EE01", "EEEE", "7020"};
    for (uint32_t i = 0; i < 6; ++i) EXPECT_EQ(digits(4 + i), expected[i]) << i;
    EXPECT_EQ(session.kit().digits, (std::array<uint32_t, 4>{7, 0, 0, 0}));
    EXPECT_EQ(sound.take().front(), toneCall(0x34, noteLength(0, 5)));
    // Notes sound only when nothing plays.
    session.playFrom(0x10);
    sound.take();
    editor->select(4, EditColumn::Note, false);
    EXPECT_TRUE(sound.take().empty());
}

TEST_F(EditorFixture, ClipboardIsScriptTextAndPastesBack) {
    load(tuneAB);
    editor->select(4, EditColumn::Digits, false);
    editor->select(6, EditColumn::Digits, true);
    const EditorResult copied = editor->key({EditorKey::Character, 'c', false, true}, 0);
    EXPECT_EQ(copied.clipboard.rfind("KORVEL", 0), 0u);
    editor->select(0x40, EditColumn::Digits, false);
    ASSERT_TRUE(editor->paste(copied.clipboard));
    EXPECT_EQ(digits(0x40) + digits(0x41) + digits(0x42), "340524057100"); // its jump moved along
    EXPECT_FALSE(editor->paste("3405W"));
    EXPECT_FALSE(editor->message().empty());
    // Row 0 is stored through 0200, not as the start address.
    KitState copy{};
    const std::string first = stepsScript(session.kit(), 0x10, 1);
    const std::string atZero = stepsScript(copy, 0, 1);
    EXPECT_NE(atZero.find("0200@"), std::string::npos);
    // The whole tune keeps start address and tempo.
    editor->setTempo(3);
    const std::string whole = wholeTuneScript(session.kit(), "AB");
    EXPECT_TRUE(applyScript(copy, whole.data(), whole.size()));
    EXPECT_TRUE(takeSnapshot(copy) == takeSnapshot(session.kit()));
    EXPECT_EQ(copy.digits[0], 0u); // RUN plays it
}

TEST_F(EditorFixture, PlayFromARowKeepsTheStartAndKitKeysCutAnAudition) {
    load(tuneAB);
    editor->select(5, EditColumn::Digits, false); // a note: it sounds
    editor->playFromCursor();
    EXPECT_EQ(session.kit().startAddress, 0x10u);
    EXPECT_EQ(sound.take(), (std::vector<PortCall>{toneCall(0x24, noteLength(0, 5)), stopCall,
                                                   toneCall(0x24, noteLength(0, 5))}));
    session.noteReport(sound.lastTag), session.answerReports(); // jump back to 010
    EXPECT_EQ(sound.take(), std::vector<PortCall>{toneCall(0x34, noteLength(0, 5))});
    EXPECT_EQ(editor->soundingRow(), 4u);
    click(KeyId::Stop);
    sound.take();
    for (const bool reported : {true, false}) {
        EXPECT_TRUE(session.audition(0x10, 100));
        if (reported)
            session.noteReport(sound.lastTag), session.answerReports(); // tail still queued
        click(hexKey(1));
        EXPECT_EQ(sound.take(), (std::vector<PortCall>{toneCall(0x10, 100), stopCall})) << reported;
    }
}

// An audition's end is reported as its last sample is queued, before it is
// heard: a tune started after the report must still cut the tone's tail.
TEST(AuditionTail, ATuneStartedAfterTheToneReportedStartsWithItsOwnFirstNote) {
    for (const bool byRunKey : {false, true}) {
        PulledSound sound;
        struct : SessionView {
        } view;
        Session session{sound, view};
        session.start({12, 0, 0, 0}, 0);
        session.loadScript(tuneAB.data(), tuneAB.size(), "tune");
        const auto answer = [&](uint64_t tag) { session.noteReport(tag), session.answerReports(); };
        ASSERT_TRUE(session.audition(0x10, 3 * PulledSound::pullSamples)); // queued whole at once
        sound.pull(PulledSound::pullSamples, answer);
        if (byRunKey)
            session.hold(KeyId::Run), session.letGo(KeyId::Run);
        else
            session.playFrom(0x10);
        const uint32_t length = noteLength(session.kit().tempo, 5);
        const std::string first = noteSamples(0x34, length);
        const std::string heard = sound.pull(length, answer);
        const auto parted = std::mismatch(first.begin(), first.end(), heard.begin()).first;
        EXPECT_EQ(parted - first.begin(), first.end() - first.begin()) << "by RUN: " << byRunKey;
    }
}

} // namespace
} // namespace korvel::test
