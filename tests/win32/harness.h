// Drives the real main window from tests: create and destroy it, send mouse
// messages to the key buttons, run the message queue, read pixels back, and
// act inside modal loops (dialogs, message boxes) from a thread timer.
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>
#include <windows.h>

// Rectangles compare field by field (for expectations on repaint areas).
bool operator==(const RECT& a, const RECT& b);

namespace korvel::win32::test {

// The main window, created and shown as the program does.
HWND openMainWindow();
// Destroys it and runs the queue to the quit message; returns its code.
int closeMainWindow(HWND window);

// Dispatches every message that arrives within the next `ms` milliseconds.
void pump(DWORD ms);
// Dispatches until the queue is empty.
void pumpIdle();

HWND keyButton(KeyId key);
// WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK at the key's centre.
void keyMessage(KeyId key, UINT message);
void clickKey(KeyId key);
// Clicks keys by legend: 0-9 A-F, '@' ADR, 'R' READ, 'W' WRITE, 'X' CLEAR, 'S' STOP, '!' RUN.
void typeKeys(const std::string& keys);

// Sends WM_TIMER with exactly `tenths` whole tenths of a second due to the clock.
void sendClockTimer(HWND window, unsigned tenths, WPARAM timerId);

RECT updateRect(HWND window);

using Pixels = std::vector<uint32_t>; // 0x00RRGGBB, rows top down
Pixels windowPixels(HWND window, const RECT& area);
Pixels bitmapPixels(const char* resourceName, const RECT& area);
// The LED strip's cell n, and what LED position p shows on the window.
Pixels ledStripCell(int cell);
Pixels ledPositionPixels(HWND window, int position);
Pixels boardPixels(const RECT& area);

// Calls `action` once after `ms` milliseconds, from whatever message loop runs then.
void afterDelay(DWORD ms, std::function<void()> action);
// The top-level dialog or message box of this thread with this caption, or null.
HWND findDialog(const char* caption);
// The text of a message box's message.
std::string messageBoxText(HWND box);

} // namespace korvel::win32::test
