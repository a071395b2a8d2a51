// Load and Save commands over the safe script files of korvel_files.
#include "host/win32/scriptCommands.h"

#include "files/scriptFile.h"
#include "host/win32/mainWindow.h"

#include <array>

namespace korvel::win32 {
namespace {

constexpr DWORD fileNameBytes = MAX_PATH;
constexpr DWORD openFlags = OFN_HIDEREADONLY | OFN_CREATEPROMPT;
constexpr DWORD saveFlags = OFN_OVERWRITEPROMPT;
const char* const fileFilter = "Data Files (*.dat)\0*.dat\0All Files (*.*)\0*.*\0";
const char* const defaultExtension = "dat";

using FileName = std::array<char, fileNameBytes>;
using FileDialog = BOOL(WINAPI*)(LPOPENFILENAMEA);

OPENFILENAMEA fileDialog{};

// Shows one dialog with a fresh, empty name; false when cancelled or failed.
bool chooseFile(HWND owner, DWORD flags, FileDialog dialog, FileName& name) {
    name.fill(0);
    fileDialog.hwndOwner = owner;
    fileDialog.lpstrFile = name.data();
    fileDialog.Flags = flags;
    const bool chosen = dialog(&fileDialog) != 0;
    fileDialog.lpstrFile = nullptr; // the buffer ends with the command
    return chosen;
}

void tell(HWND owner, const char* text, const char* caption) {
    MessageBoxA(owner, text, caption, MB_OK | MB_ICONEXCLAMATION);
}

// The program's own texts; a line more only when a save lost the old file.
void tellResult(HWND owner, const FileResult& result) {
    if (!result.message.empty()) tell(owner, messageText(result, false).c_str(), result.caption);
}

} // namespace

const char* const saveDialogFailed = "Can't Open Dialog.";

// The 4.00 record size, which is also the right one for 64-bit builds.
void fillFileDialogRecord(HWND owner) {
    fileDialog = OPENFILENAMEA{};
    fileDialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    fileDialog.hwndOwner = owner;
    fileDialog.lpstrFilter = fileFilter;
    fileDialog.nMaxFile = fileNameBytes;
    fileDialog.nMaxFileTitle = fileNameBytes;
    fileDialog.lpstrDefExt = defaultExtension;
}

void loadScript(HWND owner) {
    FileName name;
    if (!chooseFile(owner, openFlags, GetOpenFileNameA, name)) return;
    tellResult(owner, loadScriptFile(hostKit(), name.data()));
}

void saveScript(HWND owner) {
    FileName name;
    if (!chooseFile(owner, saveFlags, GetSaveFileNameA, name)) {
        tell(owner, saveDialogFailed, saveCaption);
        return;
    }
    tellResult(owner, saveScriptFile(hostKit(), name.data()));
}

const OPENFILENAMEA& fileDialogRecord() {
    return fileDialog;
}

} // namespace korvel::win32
