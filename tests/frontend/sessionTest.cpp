// The shared session: a key held from two sources, the sound's reports after
// STOP and RUN, and a script loaded while a tune plays. STOP and Reset from
// one source while another holds a key: the Qt window's tests.
#include "frontend/editor/tuneEditor.h"
#include "frontend/editor/tuneScript.h"
#include "model/toneBank.h"
#include "tests/frontend/taggedRecorder.h"

#include <gtest/gtest.h>

#include <string>

namespace korvel::test {
namespace {

// Steps at 0x10: 3405, 2405, the end marker; the tune starts there.
const std::string tuneAB = "KORVEL\n---\n0010@ 3405W 2405W EEEEW 0000@ 0010W";
const std::string tuneCD = "KORVEL\n---\n0010@ 1405W 0405W EEEEW 0000@ 0010W";
const PortCall noteA = toneCall(toneIndex(3, 4), noteLength(0, 5));
const PortCall noteB = toneCall(toneIndex(2, 4), noteLength(0, 5));
const PortCall noteD = toneCall(toneIndex(0, 4), noteLength(0, 5));

struct HeldKeys final : SessionView {
    int shown = 0;
    void showKeyHeld(KeyId) override { ++shown; }
};

struct SessionFixture : ::testing::Test {
    TaggedRecorder sound;
    HeldKeys view;
    Session session{sound, view};
    SessionFixture() { session.start({12, 0, 0, 0}, 0); }
    void click(KeyId key) { session.hold(key), session.letGo(key); }
    void load(const std::string& script) {
        ASSERT_EQ(session.loadScript(script.data(), script.size(), "tune").outcome,
                  FileOutcome::Done);
    }
    void enterOrgan() {
        click(hexKey(12)), click(KeyId::Run);
        sound.take();
        view.shown = 0;
    }
    void report(uint64_t tag) { session.noteReport(tag); }
};

// A mouse and a PC key on one kit key give the kit one press and one release;
// a stray release takes nothing from a later press.
TEST_F(SessionFixture, KitKeyHeldFromTwoSourcesSoundsUntilBothLetGo) {
    enterOrgan();
    session.hold(hexKey(5));
    session.hold(hexKey(5));
    session.letGo(hexKey(5));
    EXPECT_TRUE(session.isHeld(hexKey(5)));
    EXPECT_EQ(sound.take(), std::vector<PortCall>{keyNoteCall(57)});
    session.letGo(hexKey(5));
    session.letGo(hexKey(5));
    EXPECT_EQ(sound.take(), std::vector<PortCall>{stopCall});
    EXPECT_EQ(view.shown, 2);
    // A release with no hold (5 again, 6 never held) leaves the next press whole.
    for (const uint32_t key : {5, 6}) {
        session.letGo(hexKey(key));
        session.hold(hexKey(key));
        EXPECT_TRUE(session.isHeld(hexKey(key))) << key;
        session.letGo(hexKey(key));
        EXPECT_EQ(sound.take(),
                  (std::vector<PortCall>{keyNoteCall(keyNoteOf(hexKey(key))), stopCall}))
            << key;
    }
}

// The report of a note cut by STOP comes after RUN started the tune again:
// only the newest report of the note in flight sounds the next step, once.
TEST_F(SessionFixture, StaleReportsAfterStopAndRunDoNotAdvanceTheTune) {
    load(tuneAB);
    click(KeyId::Run);
    click(KeyId::Stop);
    click(KeyId::Run);
    EXPECT_EQ(sound.take(), (std::vector<PortCall>{noteA, stopCall, noteA}));
    report(1);
    session.answerReports();
    EXPECT_TRUE(sound.take().empty());
    report(2);
    report(1);
    session.answerReports();
    EXPECT_EQ(sound.take(), std::vector<PortCall>{noteB});
    report(2);
    session.answerReports();
    EXPECT_TRUE(sound.take().empty());
    ASSERT_NE(session.soundingStep(), nullptr);
    EXPECT_EQ(session.soundingStep()->address, 0x14u);
}

// Memory changed under a playing tune: the note sounding plays out, the next
// step comes from the new memory. RUN's first step reaches the status line.
TEST_F(SessionFixture, ScriptLoadedWhilePlayingTakesEffectFromTheNextStep) {
    load(tuneAB);
    click(KeyId::Run);
    ASSERT_NE(session.soundingStep(), nullptr);
    EXPECT_EQ(session.soundingStep()->nibble, (std::array<uint32_t, 4>{5, 0, 4, 3}));
    load(tuneCD);
    EXPECT_EQ(session.kit().mode, KitMode::Playing);
    EXPECT_EQ(session.soundingStep()->nibble[3], 3u);
    report(sound.lastTag);
    session.answerReports();
    EXPECT_EQ(sound.take(), (std::vector<PortCall>{noteA, noteD}));
}

// A load replaces the whole tune in one change, so the editor sees one step
// and one undo brings the old tune back whole; the editions' own scripts
// reload with nothing skipped.
TEST_F(SessionFixture, ALoadReplacesTheTuneAsOneStepOfUndo) {
    TuneEditor editor(session);
    load("KORVEL\n---\n000E@ 0005W 0000@ 0020W 0020@ 3405W 2405W EEEEW 0010@ 1111W");
    editor.sync();
    const TuneSnapshot old = takeSnapshot(session.kit());
    const std::string saved = wholeTuneScript(session.kit(), "old");
    load("KORVEL\n---\n0010@ 1405W");
    EXPECT_TRUE(editor.sync());
    KitState fresh{};
    fresh.memory[0x10] = 5, fresh.memory[0x12] = 4, fresh.memory[0x13] = 1;
    EXPECT_TRUE(takeSnapshot(session.kit()) == takeSnapshot(fresh));
    editor.undo();
    EXPECT_TRUE(takeSnapshot(session.kit()) == old);
    for (const std::string& script : {saved, stepsScript(session.kit(), 4, 4)}) {
        const FileResult result =
            session.loadScript(script.data(), script.size(), "Clipboard", TuneOrigin::Clipboard);
        EXPECT_EQ(result.notice, "Tune pasted: press RUN to play.");
    }
}

} // namespace
} // namespace korvel::test
