// The script loader's outcomes and messages, free of any file call, for front
// ends that get a script's bytes some other way (the clipboard, a link, a web
// page's file picker) and for the file functions of scriptFile.h.
#pragma once

#include "model/kit.h"

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
    std::string reason{};        // CantOpen, CantWrite: why, when known (the system's message)
    bool oldContentLost = false; // CantWrite: the file's old contents are gone nevertheless
};

// The longest script text read before its first zero byte; a longer one
// cannot be opened, so no input can exhaust memory.
constexpr size_t maxScriptBytes = 16 * 1024 * 1024;

FileResult loadDone();
FileResult saveDone();
// "Can't Open : NAME" and "Can't Write : NAME", with the reason when known.
FileResult cantOpen(const std::string& name, std::string reason = {});
FileResult cantWrite(const std::string& name, std::string reason = {});
// The reason a script longer than maxScriptBytes cannot be opened.
std::string tooLargeReason();
// Replays script text that did not come from a file (the clipboard, a link)
// exactly as a loaded file, with the same outcomes and messages.
FileResult loadScriptText(KitState& kit, const char* bytes, size_t size);
// A file's bytes read whole by other means (a web page's file picker): the
// text ends at its first zero byte, and one longer than maxScriptBytes before
// it cannot be opened, as with loadScriptFile.
FileResult loadScriptBytes(KitState& kit, const char* bytes, size_t size, const std::string& name);

} // namespace korvel
