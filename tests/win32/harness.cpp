// Test harness over the real main window.
#include "tests/win32/harness.h"

#include "host/win32/keyButtons.h"
#include "host/win32/mainWindow.h"
#include "host/win32/panel.h"

#include <gtest/gtest.h>

namespace korvel::win32::test {
namespace {

HINSTANCE module() {
    return GetModuleHandleA(nullptr);
}

Pixels grab(HDC source, int x, int y, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HDC memory = CreateCompatibleDC(source);
    HGDIOBJ previous = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const uint32_t*>(bits);
    Pixels pixels(first, first + static_cast<size_t>(width) * height);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    SelectObject(memory, previous);
    DeleteDC(memory);
    DeleteObject(dib);
    return pixels;
}

RECT cellRect(int left) {
    return {left, 0, left + layout::ledCellWidth, layout::ledCellHeight};
}

std::function<void()> pendingAction;

void CALLBACK runPendingAction(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto action = std::move(pendingAction);
    pendingAction = nullptr;
    if (action) action();
}

struct FindRequest {
    const char* caption;
    HWND found;
};

BOOL CALLBACK matchCaption(HWND window, LPARAM lParam) {
    auto& request = *reinterpret_cast<FindRequest*>(lParam);
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (IsWindowVisible(window) && std::string(caption) == request.caption) {
        request.found = window;
        return FALSE;
    }
    return TRUE;
}

KeyId keyOfLegend(char legend) {
    switch (legend) {
    case '@': return KeyId::Adr;
    case 'R': return KeyId::Read;
    case 'W': return KeyId::Write;
    case 'X': return KeyId::Clear;
    case 'S': return KeyId::Stop;
    case '!': return KeyId::Run;
    default: return hexKey(static_cast<uint32_t>(legend <= '9' ? legend - '0' : legend - 'A' + 10));
    }
}

} // namespace

HWND openMainWindow() {
    static const bool registered = registerMainClass(module());
    EXPECT_TRUE(registered);
    HWND window = createMainWindow(module());
    EXPECT_NE(window, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    SetForegroundWindow(window);
    pumpIdle();
    return window;
}

int closeMainWindow(HWND window) {
    if (IsWindow(window)) DestroyWindow(window);
    MSG message;
    const DWORD deadline = GetTickCount() + 5000;
    while (GetTickCount() < deadline) {
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            Sleep(1);
            continue;
        }
        if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
        DispatchMessageA(&message);
    }
    return -1;
}

void pump(DWORD ms) {
    const DWORD start = GetTickCount();
    MSG message;
    while (GetTickCount() - start < ms) {
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        }
    }
}

void pumpIdle() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

HWND keyButton(KeyId key) {
    return GetDlgItem(mainWindow(), static_cast<int>(key));
}

void keyMessage(KeyId key, UINT message) {
    const layout::Place& place = layout::keyPlaces[static_cast<unsigned>(key)];
    const WPARAM buttons = message == WM_LBUTTONUP ? 0 : MK_LBUTTON;
    SendMessageA(keyButton(key), message, buttons, MAKELPARAM(place.width / 2, place.height / 2));
}

void clickKey(KeyId key) {
    keyMessage(key, WM_LBUTTONDOWN);
    keyMessage(key, WM_LBUTTONUP);
}

void typeKeys(const std::string& keys) {
    for (char legend : keys) clickKey(keyOfLegend(legend));
}

// Half a tenth of slack, so the message may take up to 49 ms to arrive.
void sendClockTimer(HWND window, unsigned tenths, WPARAM timerId) {
    hostClockCatchUp().countedUpTo = GetTickCount64() - tenths * clockTickMilliseconds - 50;
    SendMessageA(window, WM_TIMER, timerId, 0);
}

RECT updateRect(HWND window) {
    RECT rect{};
    GetUpdateRect(window, &rect, FALSE);
    return rect;
}

Pixels windowPixels(HWND window, const RECT& area) {
    HDC dc = GetDC(window);
    Pixels pixels = grab(dc, area.left, area.top, area.right - area.left, area.bottom - area.top);
    ReleaseDC(window, dc);
    return pixels;
}

Pixels bitmapPixels(const char* resourceName, const RECT& area) {
    HBITMAP bitmap = LoadBitmapA(module(), resourceName);
    EXPECT_NE(bitmap, nullptr) << resourceName;
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HGDIOBJ previous = SelectObject(source, bitmap);
    Pixels pixels =
        grab(source, area.left, area.top, area.right - area.left, area.bottom - area.top);
    SelectObject(source, previous);
    DeleteDC(source);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return pixels;
}

Pixels ledStripCell(int cell) {
    return bitmapPixels("LED", cellRect(layout::ledCellWidth * cell));
}

Pixels ledPositionPixels(HWND window, int position) {
    return windowPixels(window, ledCellRect(position));
}

Pixels boardPixels(const RECT& area) {
    return bitmapPixels("BASE", area);
}

void afterDelay(DWORD ms, std::function<void()> action) {
    pendingAction = std::move(action);
    SetTimer(nullptr, 0, ms, runPendingAction);
}

HWND findDialog(const char* caption) {
    FindRequest request{caption, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), matchCaption, reinterpret_cast<LPARAM>(&request));
    return request.found;
}

// The message box's text is its static control with id 0xFFFF.
std::string messageBoxText(HWND box) {
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    return text;
}

} // namespace korvel::win32::test

bool operator==(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
