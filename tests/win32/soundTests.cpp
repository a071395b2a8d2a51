// Completion reports, stopping, modal dialogs during a tune, and silence.
#include "tests/win32/harness.h"

#include "host/win32/mainWindow.h"
#include "host/win32/waveSound.h"

#include <gtest/gtest.h>

namespace korvel::win32::test {
namespace {

// From 0x10: three tenth-of-a-second notes, then the end marker; the tune starts there.
const char* const shortNotes = "0010@"
                               "0005W"
                               "0405W"
                               "0705W"
                               "EEEEW"
                               "0000@"
                               "0010W";

class Sound : public ::testing::Test {
  protected:
    void SetUp() override { window = openMainWindow(); }
    void TearDown() override { closeMainWindow(window); }
    HWND window = nullptr;
};

TEST_F(Sound, TheDeviceOpensAndCompletionReportsMoveTheTuneOn) {
    ASSERT_TRUE(soundOpen()) << "no wave output device";
    KitState& kit = hostKit();
    typeKeys(shortNotes);
    typeKeys("!");
    ASSERT_EQ(kit.mode, KitMode::Playing);
    const uint32_t first = kit.playPointer;
    pump(250);
    EXPECT_EQ(kit.mode, KitMode::Playing);
    EXPECT_NE(kit.playPointer, first);
}

TEST_F(Sound, ReportOutsidePlayingChangesNothing) {
    KitState& kit = hostKit();
    typeKeys("12");
    const KitState before = kit;
    SendMessageA(window, MM_WOM_DONE, 0, 0);
    EXPECT_EQ(kit.mode, before.mode);
    EXPECT_EQ(kit.playPointer, before.playPointer);
    EXPECT_EQ(kit.digits, before.digits);
}

// The report of the cut note arrives after STOP has changed the mode.
TEST_F(Sound, StopDuringANoteStartsNothingMore) {
    ASSERT_TRUE(soundOpen());
    KitState& kit = hostKit();
    typeKeys(shortNotes);
    typeKeys("!");
    pump(30);
    keyMessage(KeyId::Stop, WM_LBUTTONDOWN);
    const uint32_t stoppedAt = kit.playPointer;
    pump(200);
    EXPECT_EQ(kit.mode, KitMode::Blank);
    keyMessage(KeyId::Stop, WM_LBUTTONUP);
    pump(200);
    EXPECT_EQ(kit.mode, KitMode::Clock);
    EXPECT_EQ(kit.playPointer, stoppedAt);
}

// Restarting at once must not let the stopped note's report start a second note.
TEST_F(Sound, StaleReportAfterAQuickRestartIsIgnored) {
    ASSERT_TRUE(soundOpen());
    KitState& kit = hostKit();
    typeKeys(shortNotes);
    typeKeys("!");
    pump(30);
    typeKeys("S0!");
    const uint32_t afterRestart = kit.playPointer;
    pump(60); // well inside the first note of the restarted tune
    EXPECT_EQ(kit.playPointer, afterRestart);
}

TEST_F(Sound, KeyboardNotesStartAndStopWithoutTouchingTheKit) {
    KitState& kit = hostKit();
    typeKeys("C!");
    ASSERT_EQ(kit.mode, KitMode::Keyboard);
    for (KeyId key : {hexKey(0), hexKey(9), KeyId::Adr, KeyId::Clear}) {
        keyMessage(key, WM_LBUTTONDOWN);
        pump(60);
        keyMessage(key, WM_LBUTTONUP);
        pump(30);
    }
    EXPECT_EQ(kit.mode, KitMode::Keyboard);
}

// A modal loop (About here, or a file dialog) still dispatches timer ticks and reports.
TEST_F(Sound, TuneAndClockGoOnWhileADialogIsOpen) {
    ASSERT_TRUE(soundOpen());
    KitState& kit = hostKit();
    typeKeys(shortNotes);
    typeKeys("!");
    struct Open {
        const char* caption;
        WORD command;
    };
    for (const Open& open :
         {Open{"About KORVEL Simulator", IDM_HELP_ABOUT}, Open{"Open", IDM_FILE_LOAD}}) {
        SCOPED_TRACE(open.caption);
        const uint32_t clockBefore = kit.minutes * 600u + kit.seconds * 10u + kit.tenths;
        unsigned notesDuringDialog = 0;
        uint32_t lastPointer = kit.playPointer;
        std::function<void()> watch = [&] {
            if (kit.playPointer != lastPointer) ++notesDuringDialog;
            lastPointer = kit.playPointer;
            if (notesDuringDialog < 4) return afterDelay(20, watch);
            if (HWND dialog = findDialog(open.caption))
                PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        };
        afterDelay(20, watch);
        SendMessageA(window, WM_COMMAND, open.command, 0);
        EXPECT_GE(notesDuringDialog, 4u);
        EXPECT_EQ(kit.mode, KitMode::Playing);
        EXPECT_NE(kit.minutes * 600u + kit.seconds * 10u + kit.tenths, clockBefore);
    }
}

TEST_F(Sound, WithoutADeviceTheKitWorksSilently) {
    closeSound();
    openSound(window, nullptr);
    ASSERT_FALSE(soundOpen());
    KitState& kit = hostKit();
    typeKeys(shortNotes);
    typeKeys("!");
    pump(300);
    EXPECT_EQ(kit.mode, KitMode::Playing); // no reports: the tune waits, silent
    typeKeys("S");
    EXPECT_EQ(kit.mode, KitMode::Clock);
    typeKeys("C!");
    clickKey(hexKey(5));
    EXPECT_EQ(kit.mode, KitMode::Keyboard);
    typeKeys("S0123");
    EXPECT_EQ(kit.digits, (std::array<uint32_t, 4>{3, 2, 1, 0}));
}

} // namespace
} // namespace korvel::win32::test
