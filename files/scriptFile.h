// Loading and saving script files by path, for every front end.
//
// A front end shows its own file dialogs, calls these with the chosen path and
// shows the returned message, if any, in a box with the returned caption. A
// save goes through replaceFile (fileReplace.h), so a failed one leaves the old
// file as it was. On Windows a path is in the ANSI code page.
#pragma once

#include "kit.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

extern const char* const loadCaption; // "Load Script"
extern const char* const saveCaption; // "Save Script"

enum class FileOutcome : uint8_t {
    Done,      // loaded (possibly with nothing to apply) or saved
    CantOpen,  // the file could not be read
    NotScript, // the magic did not match; nothing changed
    CantWrite, // the file could not be written; any old file is untouched
};

struct FileResult {
    FileOutcome outcome;
    std::string message; // empty when there is nothing to tell the user
    const char* caption;
};

// Reads the file up to its first zero byte, where the loader stops anyway, and
// replays it into the kit. A file longer than maxScriptBytes before that
// cannot be opened, so no input can exhaust memory.
constexpr size_t maxScriptBytes = 16 * 1024 * 1024;
FileResult loadScriptFile(KitState& kit, const std::string& path);
// Replays script text that did not come from a file (the clipboard, a link)
// exactly as a loaded file, with the same outcomes and messages.
FileResult loadScriptText(KitState& kit, const char* bytes, size_t size);
// Writes the kit's memory as a 932-byte script, replacing path only on success.
FileResult saveScriptFile(const KitState& kit, const std::string& path);

} // namespace korvel
