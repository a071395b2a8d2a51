// The 22 key buttons: owner-drawn child buttons over the board's keypad.
//
// The main window's creation calls createKeyButtons; each button is subclassed
// so keyButtonProc sees the mouse first and tells the kit (press, release)
// before the standard button behaviour (capture, pushed state) runs. The main
// window calls drawKey for WM_DRAWITEM. Coordinates are client pixels.
#pragma once

#include "model/kit.h"
#include "resources/panelLayout.h"

#include <array>
#include <windows.h>

namespace korvel::win32 {

static_assert(layout::keyPlaces.size() == keyCount);

void createKeyButtons(HWND parent, HINSTANCE instance);
LRESULT CALLBACK keyButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);
void drawKey(HWND window, HDC dc, KeyId key, bool pressed);

} // namespace korvel::win32
