// The main window's frame, menu, commands, timer and ending.
#include "tests/win32/harness.h"

#include "host/win32/keyButtons.h"
#include "host/win32/mainWindow.h"

#include <gtest/gtest.h>
#include <string>

namespace korvel::win32::test {
namespace {

class MainWindow : public ::testing::Test {
  protected:
    void SetUp() override { window = openMainWindow(); }
    void TearDown() override { closeMainWindow(window); }
    HWND window = nullptr;
};

TEST_F(MainWindow, HasTheBoardsClientSizeAndAFixedFrame) {
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, clientWidth);
    EXPECT_EQ(client.bottom, clientHeight);

    const LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);

    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    EXPECT_STREQ(text, "KORVEL Simulator (Music playable)");
    GetClassNameA(window, text, sizeof text);
    EXPECT_STREQ(text, "korvel");
    EXPECT_EQ(GetClassLongPtrA(window, GCL_STYLE), CS_HREDRAW | CS_VREDRAW);
}

TEST_F(MainWindow, MenuHasTheFiveCommandsUnderTheirPopups) {
    struct Item {
        int popup, position;
        const char* popupText;
        const char* text;
        UINT id;
    };
    const Item items[] = {
        {0, 0, "&File", "&Load...", 40010},
        {0, 1, "&File", "&Save...", 40011},
        {0, 2, "&File", "E&xit", 40001},
        {1, 0, "&Operate", "&Reset", 40020},
        {2, 0, "&Help", "&About KORVEL Simulator...", 40099},
    };
    HMENU menu = GetMenu(window);
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(GetMenuItemCount(menu), 3);
    for (const Item& item : items) {
        char text[128] = {};
        GetMenuStringA(menu, item.popup, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, item.popupText);
        HMENU popup = GetSubMenu(menu, item.popup);
        EXPECT_EQ(GetMenuItemID(popup, item.position), item.id);
        GetMenuStringA(popup, item.position, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(text, item.text);
    }
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 0)), 3);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 1)), 1);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 2)), 1);
}

TEST_F(MainWindow, StartsInClockModeWithMemoryClearedAndTheClockRunning) {
    const KitState& kit = hostKit();
    EXPECT_EQ(kit.mode, KitMode::Clock);
    for (uint32_t nibble : kit.memory) ASSERT_EQ(nibble, 0u);
    const unsigned before = kit.seconds * 10u + kit.tenths;
    pump(450);
    EXPECT_NE(kit.seconds * 10u + kit.tenths, before);
}

TEST_F(MainWindow, AnyTimerIdTicksTheClockForEachWholeTenthElapsed) {
    KitState& kit = hostKit();
    kit.tenths = 3;
    sendClockTimer(window, 1, 77);
    EXPECT_EQ(kit.tenths, 4);
    sendClockTimer(window, 4, clockTimerId);
    EXPECT_EQ(kit.tenths, 8);
    sendClockTimer(window, 0, clockTimerId);
    EXPECT_EQ(kit.tenths, 8);
}

unsigned tenthsOfDay(const KitState& kit) {
    return ((kit.hours * 60u + kit.minutes) * 60u + kit.seconds) * 10u + kit.tenths;
}

// While the message loop is held, timer events pile up into one; the clock
// still counts every tenth that passed.
TEST_F(MainWindow, ClockCatchesUpAfterTheMessageLoopWasHeld) {
    const KitState& kit = hostKit();
    sendClockTimer(window, 0, clockTimerId); // what is due now is counted
    const unsigned before = tenthsOfDay(kit);
    const ULONGLONG start = GetTickCount64();
    Sleep(1500);
    pumpIdle(); // the pending timer event
    const ULONGLONG held = GetTickCount64() - start;
    const unsigned advanced = (tenthsOfDay(kit) + 864000 - before) % 864000;
    RecordProperty("heldMs", static_cast<int>(held));
    RecordProperty("tenthsAdvanced", static_cast<int>(advanced));
    EXPECT_NEAR(advanced, held / 100.0, 1.0) << "held " << held << " ms";
}

TEST_F(MainWindow, UnknownCommandsAndKeyNotificationsDoNothing) {
    KitState& kit = hostKit();
    typeKeys("12");
    const KitState before = kit;
    for (WPARAM id : {WPARAM{0}, WPARAM{5}, WPARAM{21}, WPARAM{40002}, WPARAM{12345}})
        EXPECT_EQ(SendMessageA(window, WM_COMMAND, id, 0), 0);
    EXPECT_EQ(kit.mode, before.mode);
    EXPECT_EQ(kit.digits, before.digits);
    EXPECT_TRUE(IsWindow(window));
}

// At 0x10 one half-second note then the end marker; the tune starts there.
const char* const tuneOfOneNote = "0010@"
                                  "001DW"
                                  "EEEEW"
                                  "0000@"
                                  "0010W";

TEST_F(MainWindow, ResetStopsATuneAndClearsMemory) {
    KitState& kit = hostKit();
    typeKeys(tuneOfOneNote);
    typeKeys("!");
    ASSERT_EQ(kit.mode, KitMode::Playing);
    SendMessageA(window, WM_COMMAND, IDM_OPERATE_RESET, 0);
    EXPECT_EQ(kit.mode, KitMode::Clock);
    for (uint32_t nibble : kit.memory) ASSERT_EQ(nibble, 0u);
}

// File > Exit and the close box both end the message loop with code 0.
TEST(MainWindowEnd, ExitCommandAndCloseBoxEndWithCodeZero) {
    for (auto close : {+[](HWND w) { PostMessageA(w, WM_COMMAND, IDM_FILE_EXIT, 0); },
                       +[](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }}) {
        HWND window = openMainWindow();
        close(window);
        EXPECT_EQ(runMessageLoop(), 0);
        EXPECT_FALSE(IsWindow(window));
    }
}

TEST_F(MainWindow, AboutDialogClosesOnOkEnterEscAndCloseBox) {
    const std::function<void(HWND)> closers[] = {
        [](HWND d) { SendMessageA(d, WM_COMMAND, IDOK, 0); },
        [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_ESCAPE, 0); },
        [](HWND d) { PostMessageA(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_RETURN, 0); },
        [](HWND d) { PostMessageA(d, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto& close : closers) {
        bool seen = false;
        afterDelay(300, [&] {
            HWND dialog = findDialog("About KORVEL Simulator");
            seen = dialog != nullptr;
            if (dialog) close(dialog);
        });
        SendMessageA(window, WM_COMMAND, IDM_HELP_ABOUT, 0); // returns when the dialog ends
        EXPECT_TRUE(seen);
        EXPECT_EQ(findDialog("About KORVEL Simulator"), nullptr);
    }
}

} // namespace
} // namespace korvel::win32::test
