// The main window: its class, creation, message routing and menu commands.
//
// Start-up (main.cpp) registers the class, creates the window and runs the
// message loop; from then on everything arrives as messages to mainWindowProc
// on the one thread. The tests create the same window to drive it. Sizes are
// client pixels.
#pragma once

#include "frontend/session/clockCatchUp.h"
#include "model/kit.h"
#include "resources/resource.h" // menu command ids

#include <windows.h>

namespace korvel::win32 {

constexpr int clientWidth = 556;
constexpr int clientHeight = 600;
constexpr UINT_PTR clockTimerId = 1;
constexpr UINT clockTimerPeriodMs = 100;
extern const char* const mainClassName;
extern const char* const mainTitle;

// The one simulated kit, and what its operations call out to.
KitState& hostKit();
KitPorts hostPorts();
// Where the clock's count of elapsed time stands (GetTickCount64 milliseconds).
ClockCatchUp& hostClockCatchUp();
// Null until createMainWindow has returned.
HWND mainWindow();

bool registerMainClass(HINSTANCE instance);
HWND createMainWindow(HINSTANCE instance);
// Returns the quit message's code.
int runMessageLoop();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace korvel::win32
