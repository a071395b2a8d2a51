// The tune editor on a session: undo and redo across every kind of change,
// keys by column, refusals, recording up to the end marker and the end of
// memory, the clipboard's script text, and the session's tones for the
// editor (auditions, play from a row).
#include "frontend/editor/tuneEditor.h"
#include "frontend/editor/tuneScript.h"
#include "model/script.h"
#include "model/toneBank.h"
#include "tests/frontend/pulledSound.h"
#include "tests/frontend/taggedRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <tuple>

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
    // The piano's Q (do, divider 0) count times from row, 100 ms each (code 5 at tempo 0).
    void recordNotes(uint32_t row, uint32_t count) {
        editor->select(row, EditColumn::Digits, false);
        editor->setRecording(true, 0);
        for (uint64_t i = 0; i < count; ++i) {
            editor->key({EditorKey::Character, 'Q'}, i * 100);
            editor->keyUp({EditorKey::Character, 'Q'}, i * 100 + 100);
        }
        editor->setRecording(false, count * 100);
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

TEST_F(EditorFixture, AnEditAfterUndoDropsWhatRedoWouldHaveBroughtBack) {
    editor->select(4, EditColumn::Note, false);
    type("..", EditColumn::Note); // rests on rows 4 and 5
    editor->undo();
    editor->select(6, EditColumn::Note, false);
    type("/", EditColumn::Note);
    EXPECT_FALSE(editor->canRedo());
    editor->redo();
    EXPECT_EQ(digits(4) + digits(5) + digits(6), "EE070000EEEE");
    editor->undo();
    EXPECT_EQ(digits(4) + digits(6), "EE070000");
    editor->undo();
    EXPECT_FALSE(editor->canUndo());
}

TEST_F(EditorFixture, AGroupTypedInIsOneStepOfUndoUnlessTheTuneChangedBetweenItsDigits) {
    editor->select(4, EditColumn::Digits, false);
    type("3405", EditColumn::Digits); // row 4, then on to row 5
    type("12", EditColumn::Digits);
    editor->setTempo(3); // between two digits of row 5
    type("05", EditColumn::Digits);
    EXPECT_EQ(digits(4) + digits(5), "34051205");
    const std::string steps[] = {"34050012", "34050012", "34050000", "00000000"};
    for (const std::string& expected : steps) {
        editor->undo();
        EXPECT_EQ(digits(4) + digits(5), expected);
    }
    EXPECT_EQ(session.kit().tempo, 0u);
    EXPECT_FALSE(editor->canUndo());
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

// - and = stop at the shortest and the longest length of the tempo's row.
TEST_F(EditorFixture, LengthKeysStepWithinTheTempoRow) {
    load("KORVEL\n---\n0010@ 341FW 3400W EE1FW 3405W 3405W");
    const struct {
        char key;
        const char* after;
    } cases[] = {{'=', "341F"}, {'-', "3400"}, {'=', "EE1F"}, {'=', "3406"}, {'-', "3404"}};
    for (uint32_t i = 0; i < std::size(cases); ++i) {
        const std::string before = digits(4 + i);
        const uint64_t revision = editor->revision();
        editor->select(4 + i, EditColumn::Length, false);
        type(std::string(1, cases[i].key), EditColumn::Length);
        EXPECT_EQ(digits(4 + i), cases[i].after) << before << cases[i].key;
        EXPECT_EQ(editor->revision() == revision, before == cases[i].after) << before;
    }
}

// A refused edit says why, and neither the tune nor the history changes.
TEST_F(EditorFixture, RefusedEditsSayWhyAndChangeNothing) {
    load(tuneAB); // 010 3405, 014 2405, 018 a jump to 010, 01C the end marker
    const auto key = [&](EditorKey key) { editor->key(key, 0); };
    const auto at = [&](uint32_t address, EditColumn column, const std::string& keys) {
        return [=] { editor->select(address / 4, column, false), type(keys, column); };
    };
    const struct {
        const char* name;
        std::function<void()> act;
    } cases[] = {
        {"target of a note", at(0x10, EditColumn::Target, "1")},
        {"length of a jump", at(0x18, EditColumn::Length, "5")},
        {"length of the end marker", at(0x1C, EditColumn::Length, "=")},
        {"insert pushing the tune off memory",
         [&] {
             key({EditorKey::Character, 'a', false, true}), key({EditorKey::Insert});
         }},
        {"paste past memory",
         [&] {
             editor->select(lastTuneRow, EditColumn::Digits, false);
             editor->paste(stepsScript(session.kit(), 4, 2));
         }},
        {"paste of no script", [&] { editor->paste("3405W"); }},
        {"record while playing",
         [&] {
             session.playFrom(0x10);
             editor->setRecording(true, 0);
             EXPECT_FALSE(editor->recording());
             click(KeyId::Stop);
         }},
    };
    const TuneSnapshot tune = takeSnapshot(session.kit());
    for (const auto& c : cases) {
        key({EditorKey::Escape});
        ASSERT_TRUE(editor->message().empty()) << c.name;
        const uint64_t revision = editor->revision();
        c.act();
        EXPECT_FALSE(editor->message().empty()) << c.name;
        EXPECT_TRUE(takeSnapshot(session.kit()) == tune) << c.name;
        EXPECT_EQ(editor->revision(), revision) << c.name;
    }
    editor->undo();
    EXPECT_FALSE(editor->canUndo()); // the load was the only step
}

// A recording that wrote over the end marker writes one after its notes; it
// writes nothing past memory's last row, and keeps that row for the marker.
TEST_F(EditorFixture, ARecordingOverTheEndMarkerEndsTheTuneAfterItsNotes) {
    const std::string tune = "0010@ 1405W 1205W EEEEW 0000@ 0010W";
    const struct {
        const char* name;
        std::string tune;
        uint32_t address, notes;
        std::string rows; // from address on, round from 1FC to 000
        bool refused;     // message() says what was not kept or written
        bool ends;        // no check fails
    } cases[] = {
        {"on the end marker", tune, 0x18, 3, "0005 0005 0005 EEEE 0000", false, true},
        {"short of it", tune, 0x14, 1, "0005 EEEE 0000", false, true},
        {"to the end of memory", "01F0@ 1405W 1205W EEEEW 0000@ 01F0W", 0x1F8, 3, "0005 EEEE 0000",
         true, true},
        {"to an end marker in the last row", "01F4@ 1405W 1205W EEEEW 0000@ 01F4W", 0x1F4, 3,
         "0005 0005 EEEE 0000", true, true},
        {"no end marker", "", 0x1F8, 3, "0005 0005 0000", true, false},
        // Start 020: a jump to 010, then the end marker at 014; the jump is kept.
        {"into the tune", "0010@ 3405W EEEEW 0000W 0000W 7010W 0000@ 0020W", 0x14, 3,
         "0005 0005 0005 7010", true, false},
    };
    for (const auto& c : cases) {
        session.reset();
        load("KORVEL\n---\n" + c.tune);
        const TuneSnapshot loaded = takeSnapshot(session.kit());
        recordNotes(c.address / 4, c.notes);
        std::string rows;
        for (uint32_t row = c.address / 4; rows.size() < c.rows.size(); ++row)
            rows += (rows.empty() ? "" : " ") + digits(row % tuneRowCount);
        EXPECT_EQ(rows, c.rows) << c.name;
        EXPECT_EQ(editor->message().empty(), !c.refused) << c.name << ": " << editor->message();
        EXPECT_EQ(editor->checks().empty(), c.ends) << c.name;
        editor->undo(); // the recording and its end marker are one step
        EXPECT_TRUE(takeSnapshot(session.kit()) == loaded) << c.name;
    }
}

// Each palette button does what the key its tooltip names does, from the same
// tune, row and column (the key's column, where the key means something else
// elsewhere).
TEST_F(EditorFixture, EachPaletteButtonDoesWhatItsKeyDoes) {
    struct Outcome {
        std::array<uint32_t, memoryNibbles> memory;
        uint32_t cursor;
        EditColumn column;
        int octave;
        KitMode mode;
        std::string message;
        auto tied() const { return std::tie(memory, cursor, column, octave, mode, message); }
    };
    const auto outcome = [&](EditColumn column, const std::function<void()>& act) {
        session.reset();
        load(tuneAB);
        editor.emplace(session), view.editor = &*editor; // no octave or length carried over
        type("Z", EditColumn::Note);                     // something to undo
        editor->select(5, column, false);
        act();
        const KitState& kit = session.kit();
        return Outcome{kit.memory, editor->cursorRow(), editor->column(), editor->octave(),
                       kit.mode,   editor->message()};
    };
    for (const PaletteButton& button : notePalette()) {
        using C = PaletteControl;
        EditorKey key{EditorKey::Character, static_cast<char>(std::tolower(button.key[0]))};
        EditColumn column = EditColumn::Digits;
        switch (button.control) {
        case C::Note:
        case C::OctaveDown:
        case C::OctaveUp: column = EditColumn::Note; break;
        case C::Shorter:
        case C::Longer:
        case C::Length: column = EditColumn::Length; break;
        case C::Undo:
        case C::Redo: // "Ctrl+Z"
            key.command = true;
            key.character = static_cast<char>(std::tolower(std::string(button.key).back()));
            break;
        case C::Insert: key.code = EditorKey::Insert; break;
        case C::Delete: key.code = EditorKey::Delete; break;
        case C::PlayFromRow: key.code = EditorKey::Enter; break;
        case C::Stop: key.code = EditorKey::Escape; break;
        case C::Record:
        case C::Listen: continue; // a view's own key, not the editor's
        default: break;
        }
        const Outcome byKey = outcome(column, [&] { editor->key(key, 0); });
        const Outcome byButton = outcome(column, [&] { editor->palettePress(button, 0); });
        EXPECT_TRUE(byKey.tied() == byButton.tied()) << button.name;
    }
}

// The kit's hex keys type the row's digits in any column but a jump's target;
// its other keys, and every key while recording, stay the kit's.
TEST_F(EditorFixture, KitHexKeysTypeTheRowsDigits) {
    load(tuneAB); // 018 is a jump to 010
    editor->select(4, EditColumn::Length, false);
    for (uint32_t digit : {1u, 2u, 0u, 5u}) EXPECT_TRUE(editor->typeKitKey(hexKey(digit)));
    EXPECT_EQ(digits(4), "1205");
    EXPECT_EQ(editor->cursorRow(), 5u);
    editor->select(6, EditColumn::Target, false);
    for (uint32_t digit : {0u, 1u, 4u}) editor->typeKitKey(hexKey(digit));
    EXPECT_EQ(digits(6), "7014");
    EXPECT_FALSE(editor->typeKitKey(KeyId::Write));
    editor->setRecording(true, 0);
    EXPECT_FALSE(editor->typeKitKey(hexKey(3)));
}

// The palette's piano records in any mode, for as long as a note is held, and
// a recording started on the end marker ends the tune after its notes.
TEST_F(EditorFixture, ThePalettesPianoRecordsInEntryModeUpToTheEndMarker) {
    load(tuneAB);
    click(hexKey(7)); // Entry mode, where the kit's keys do not play
    const PaletteButton& c = notePalette().front();
    editor->select(7, EditColumn::Digits, false); // 01C, the end marker
    editor->setRecording(true, 0);
    for (uint64_t at : {0, 200}) {
        editor->palettePress(c, at);
        editor->paletteRelease(c, at + 100);
    }
    editor->setRecording(false, 300);
    EXPECT_EQ(digits(7) + digits(8) + digits(9) + digits(10), "1005EE051005EEEE");
    EXPECT_TRUE(editor->checks().empty());
}

// Cleared rows are blank, and the checks quiet until memory holds something;
// the settings rows show the settings.
TEST_F(EditorFixture, ACalmStartShowsBlankMemoryAndTheSettings) {
    const auto text = [&](uint32_t row, TuneColumn column) {
        return editor->rows()[row].text[size_t(column)];
    };
    EXPECT_TRUE(std::all_of(editor->rows().begin(), editor->rows().end(),
                            [](const TuneRow& row) { return row.blank; }));
    EXPECT_TRUE(editor->checks().empty());
    EXPECT_EQ(text(0, TuneColumn::Note), "start address 000");
    EXPECT_EQ(text(5, TuneColumn::Note) + text(5, TuneColumn::Kind), "");
    load("KORVEL\n---\n0010@ 3405W 0000W EEEEW 0000@ 0010W 000E@ 0002W");
    EXPECT_EQ(text(0, TuneColumn::Note), "start address 010");
    EXPECT_EQ(text(3, TuneColumn::Note), "tempo 2, unit 50 ms");
    EXPECT_TRUE(editor->rows()[5].blank && editor->rows()[5].reached); // played through
    EXPECT_TRUE(editor->rows()[7].blank);                              // after the end marker
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
    // Row 0 is stored through 0200, not as the start address; other rows at their own address.
    KitState copy{};
    const std::string first = stepsScript(session.kit(), 0x10 / 4, 1);
    const std::string atZero = stepsScript(copy, 0, 1);
    EXPECT_NE(first.find("---\n0010@\n3405W\n"), std::string::npos) << first;
    EXPECT_NE(atZero.find("---\n0200@\n0000W\n"), std::string::npos) << atZero;
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
// Play is followed unless the user scrolled lately, from the first moment on.
TEST_F(EditorFixture, TheSoundingRowIsFollowedUnlessTheUserScrolledLately) {
    EXPECT_TRUE(editor->followsSounding(0));
    editor->userScrolled(1000);
    EXPECT_FALSE(editor->followsSounding(1000));
    EXPECT_FALSE(editor->followsSounding(1000 + TuneEditor::scrollHoldMs - 1));
    EXPECT_TRUE(editor->followsSounding(1000 + TuneEditor::scrollHoldMs));
}

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
