// Main window creation and the routing of its messages.
#include "host/win32/mainWindow.h"

#include "frontend/session/clockCatchUp.h"
#include "host/win32/aboutDialog.h"
#include "host/win32/keyButtons.h"
#include "host/win32/panel.h"
#include "host/win32/scriptCommands.h"
#include "host/win32/waveSound.h"
#include "model/toneBank.h"

namespace korvel::win32 {
namespace {

const char* const iconName = "ICON";
const char* const menuName = "KORVEL";

KitState kit{};
ClockCatchUp clockCatchUp{};
ToneBank toneBank;
HWND theMainWindow = nullptr;

ClockReading localTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

// A failing step neither stops the sequence nor is reported; without the
// tone bank the kit runs silent.
void onCreate(HWND window, const CREATESTRUCTA& create) {
    createKeyButtons(window, create.hInstance);
    const bool haveTones = buildToneBank(toneBank);
    openSound(window, haveTones ? &toneBank : nullptr);
    initKit(kit, localTime());
    startCatchUp(clockCatchUp, GetTickCount64());
    fillFileDialogRecord(window);
    SetTimer(window, clockTimerId, clockTimerPeriodMs, nullptr);
}

void onCommand(HWND window, WORD command) {
    switch (command) {
    case IDM_FILE_EXIT: SendMessageA(window, WM_CLOSE, 0, 0); break;
    case IDM_FILE_LOAD: loadScript(window); break;
    case IDM_FILE_SAVE: saveScript(window); break;
    case IDM_OPERATE_RESET: resetKit(kit, hostPorts()); break;
    case IDM_HELP_ABOUT: showAboutDialog(window); break;
    default: break; // the key buttons' own notifications among others
    }
}

} // namespace

const char* const mainClassName = "korvel";
const char* const mainTitle = "KORVEL Simulator (Music playable)";

KitState& hostKit() {
    return kit;
}
ClockCatchUp& hostClockCatchUp() {
    return clockCatchUp;
}
KitPorts hostPorts() {
    return {waveSound(), panelRepaint()};
}
HWND mainWindow() {
    return theMainWindow;
}

bool registerMainClass(HINSTANCE instance) {
    WNDCLASSA windowClass{};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, iconName);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = menuName;
    windowClass.lpszClassName = mainClassName;
    return RegisterClassA(&windowClass) != 0;
}

// The outer size that gives a client area of exactly the board's size with a
// one-line menu bar, whatever the frame metrics.
HWND createMainWindow(HINSTANCE instance) {
    const int width = clientWidth + 2 * GetSystemMetrics(SM_CXDLGFRAME);
    const int height = clientHeight + 2 * GetSystemMetrics(SM_CYDLGFRAME) +
                       GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYMENU);
    theMainWindow = CreateWindowExA(
        0, mainClassName, mainTitle, WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, CW_USEDEFAULT,
        CW_USEDEFAULT, width, height, nullptr, nullptr, instance, nullptr);
    return theMainWindow;
}

int runMessageLoop() {
    MSG message{};
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: onCreate(window, *reinterpret_cast<const CREATESTRUCTA*>(lParam)); return 0;
    case WM_DESTROY:
        closeSound();
        theMainWindow = nullptr;
        PostQuitMessage(0);
        return 0;
    case WM_PAINT: paintPanel(window, kit); return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (wParam < keyCount)
            drawKey(window, item.hDC, static_cast<KeyId>(wParam), item.itemState & ODS_SELECTED);
        return TRUE;
    }
    case WM_COMMAND: onCommand(window, LOWORD(wParam)); return 0;
    // Timer events come late, or bunched after a modal loop: count the time
    // that passed, not the events.
    case WM_TIMER: catchUpClock(clockCatchUp, GetTickCount64(), kit, panelRepaint()); return 0;
    case MM_WOM_DONE:
        soundDone(kit, hostPorts(), reinterpret_cast<const WAVEHDR*>(lParam));
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace korvel::win32
