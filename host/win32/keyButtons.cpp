// Key button creation, subclassing, mouse handling and drawing.
#include "host/win32/keyButtons.h"

#include "host/win32/bitmapCopy.h"
#include "host/win32/mainWindow.h"

namespace korvel::win32 {
namespace {

const char* const releasedSheet = "KEY";
const char* const pressedSheet = "PUSH";

// Each button class procedure as it was before its key was subclassed.
std::array<WNDPROC, keyCount> savedKeyProc{};

} // namespace

void createKeyButtons(HWND parent, HINSTANCE instance) {
    for (unsigned k = 0; k < keyCount; ++k) {
        const layout::Place& place = layout::keyPlaces[k];
        HWND button =
            CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, place.x, place.y,
                            place.width, place.height, parent,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(k)), instance, nullptr);
        savedKeyProc[k] = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_WNDPROC));
        SetWindowLongPtrA(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(keyButtonProc));
    }
}

// The kit hears of a key before the button does. A double-click's second press
// is handed on as a plain button-down: the standard procedure would neither
// capture the mouse nor push an owner-drawn button for it, so its release
// could be lost off the key and leave an organ note sounding.
LRESULT CALLBACK keyButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    const unsigned id = static_cast<unsigned>(GetDlgCtrlID(button));
    if (id >= keyCount) return DefWindowProcA(button, message, wParam, lParam);
    const auto key = static_cast<KeyId>(id);
    const bool isRun = key == KeyId::Run;
    switch (message) {
    case WM_LBUTTONDOWN: press(hostKit(), hostPorts(), key); break;
    case WM_LBUTTONDBLCLK:
        if (!isRun) press(hostKit(), hostPorts(), key);
        message = WM_LBUTTONDOWN;
        break;
    case WM_LBUTTONUP:
        if (!isRun) release(hostKit(), hostPorts(), key);
        break;
    default: break;
    }
    return CallWindowProcA(savedKeyProc[id], button, message, wParam, lParam);
}

void drawKey(HWND window, HDC dc, KeyId key, bool pressed) {
    const layout::Place& place = layout::keyPlaces[static_cast<unsigned>(key)];
    copyFromBitmap(dc, moduleOf(window), pressed ? pressedSheet : releasedSheet,
                   {0, 0, place.width, place.height, place.x - layout::keypad.x,
                    place.y - layout::keypad.y, SRCCOPY});
}

} // namespace korvel::win32
