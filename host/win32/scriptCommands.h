// The File menu's Load... and Save... commands: the open and save dialogs, the
// model's script load and save, and the message boxes that report failures.
//
// The main window fills the one file-dialog record at creation and calls the
// commands from WM_COMMAND. Both run to completion on the window's thread; the
// dialogs are modal, so timer ticks and sound reports go on meanwhile.
#pragma once

#include <windows.h>
// after windows.h, which it builds on
#include <commdlg.h>

namespace korvel::win32 {

extern const char* const saveDialogFailed; // "Can't Open Dialog."

void fillFileDialogRecord(HWND owner);
void loadScript(HWND owner);
void saveScript(HWND owner);

// The dialog record shared by both commands (what the dialogs wrote back, such
// as the filter last chosen, carries over to the next one).
const OPENFILENAMEA& fileDialogRecord();

} // namespace korvel::win32
