// The key buttons: placement, subclassing, mouse rules and drawing.
#include "tests/win32/harness.h"

#include "host/win32/keyButtons.h"
#include "host/win32/mainWindow.h"

#include <gtest/gtest.h>

namespace korvel::win32::test {
namespace {

class Keys : public ::testing::Test {
  protected:
    void SetUp() override { window = openMainWindow(); }
    void TearDown() override { closeMainWindow(window); }

    RECT keyClientRect(KeyId key) {
        RECT r;
        GetWindowRect(keyButton(key), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    HWND window = nullptr;
};

TEST_F(Keys, TwentyTwoSubclassedOwnerDrawnButtonsOverTheKeypad) {
    for (unsigned k = 0; k < keyCount; ++k) {
        SCOPED_TRACE(k);
        const auto key = static_cast<KeyId>(k);
        HWND button = keyButton(key);
        ASSERT_NE(button, nullptr);
        char className[32] = {};
        GetClassNameA(button, className, sizeof className);
        EXPECT_STREQ(className, "Button");
        EXPECT_EQ(GetWindowLongPtrA(button, GWL_STYLE) & (BS_TYPEMASK | WS_CHILD | WS_VISIBLE),
                  BS_OWNERDRAW | WS_CHILD | WS_VISIBLE);
        EXPECT_EQ(GetWindowLongPtrA(button, GWLP_WNDPROC),
                  reinterpret_cast<LONG_PTR>(keyButtonProc));
        const layout::Place& place = layout::keyPlaces[k];
        const RECT r = keyClientRect(key);
        EXPECT_EQ(r.left, place.x);
        EXPECT_EQ(r.top, place.y);
        EXPECT_EQ(r.right - r.left, place.width);
        EXPECT_EQ(r.bottom - r.top, place.height);
    }
}

// The one-pixel gaps between keys belong to the main window.
TEST_F(Keys, GapsBetweenKeysReachTheMainWindow) {
    const POINT gaps[] = {{347, 550}, {387, 380}, {330, 492}, {466, 400}};
    for (POINT p : gaps) {
        POINT screen = p;
        ClientToScreen(window, &screen);
        EXPECT_EQ(WindowFromPoint(screen), window) << p.x << "," << p.y;
    }
}

TEST_F(Keys, DoubleClickOnAHexKeyPressesTwice) {
    typeKeys("1");
    keyMessage(hexKey(5), WM_LBUTTONDOWN);
    keyMessage(hexKey(5), WM_LBUTTONUP);
    keyMessage(hexKey(5), WM_LBUTTONDBLCLK);
    EXPECT_EQ(GetCapture(), keyButton(hexKey(5))); // held like any press
    keyMessage(hexKey(5), WM_LBUTTONUP);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(hostKit().digits, (std::array<uint32_t, 4>{5, 5, 1, 0}));
}

// STOP shows both halves: Blank while held, Clock once released.
TEST_F(Keys, StopGoesDownAndUpWithTheMouseButtonEvenOnADoubleClick) {
    KitState& kit = hostKit();
    const std::pair<UINT, KitMode> steps[] = {{WM_LBUTTONDOWN, KitMode::Blank},
                                              {WM_LBUTTONUP, KitMode::Clock},
                                              {WM_LBUTTONDBLCLK, KitMode::Blank},
                                              {WM_LBUTTONUP, KitMode::Clock}};
    for (const auto& [message, mode] : steps) {
        keyMessage(KeyId::Stop, message);
        EXPECT_EQ(kit.mode, mode) << message;
    }
}

TEST_F(Keys, RightButtonAndKeyboardDoNotOperateKeys) {
    KitState& kit = hostKit();
    HWND five = keyButton(hexKey(5));
    SendMessageA(five, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    SendMessageA(five, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
    SetFocus(five);
    SendMessageA(five, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageA(five, WM_KEYUP, VK_SPACE, 0);
    SendMessageA(five, WM_CHAR, '5', 0);
    pumpIdle();
    EXPECT_EQ(kit.mode, KitMode::Clock);
}

// A real drag: down on STOP, move onto key 3, up there. STOP is released, 3 never pressed.
TEST_F(Keys, ReleaseGoesToTheKeyPressedWhereverThePointerIs) {
    auto pointAt = [&](KeyId key) {
        const layout::Place& place = layout::keyPlaces[static_cast<unsigned>(key)];
        POINT p = {place.x + place.width / 2, place.y + place.height / 2};
        ClientToScreen(window, &p);
        SetCursorPos(p.x, p.y);
        pump(50);
    };
    auto mouse = [](DWORD flags) {
        INPUT input{};
        input.type = INPUT_MOUSE;
        input.mi.dwFlags = flags;
        SendInput(1, &input, sizeof input);
        pump(100);
    };
    KitState& kit = hostKit();
    pointAt(KeyId::Stop);
    mouse(MOUSEEVENTF_LEFTDOWN);
    ASSERT_EQ(kit.mode, KitMode::Blank);
    EXPECT_EQ(GetCapture(), keyButton(KeyId::Stop));
    pointAt(hexKey(3));
    mouse(MOUSEEVENTF_LEFTUP);
    EXPECT_EQ(kit.mode, KitMode::Clock);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Keys, KeysAreDrawnPressedExactlyWhilePushedAndNeverWithAFocusMark) {
    const KeyId key = hexKey(6);
    const layout::Place& place = layout::keyPlaces[6];
    const RECT onBoard = {place.x, place.y, place.x + place.width, place.y + place.height};
    const RECT inSheet = {place.x - layout::keypad.x, place.y - layout::keypad.y,
                          place.x - layout::keypad.x + place.width,
                          place.y - layout::keypad.y + place.height};
    keyMessage(key, WM_LBUTTONDOWN);
    pumpIdle();
    EXPECT_EQ(windowPixels(window, onBoard), bitmapPixels("PUSH", inSheet));
    keyMessage(key, WM_LBUTTONUP);
    pumpIdle();
    EXPECT_EQ(GetFocus(), keyButton(key));
    EXPECT_EQ(windowPixels(window, onBoard), bitmapPixels("KEY", inSheet));
}

} // namespace
} // namespace korvel::win32::test
