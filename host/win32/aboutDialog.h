// The modal About dialog of the Help menu: template "ABOUT" with the logo and
// mascot pictures drawn over it through their masks. Opened by the main window.
#pragma once

#include <windows.h>

namespace korvel::win32 {

void showAboutDialog(HWND owner);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace korvel::win32
