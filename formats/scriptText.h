// The script loader's outcomes and messages, free of any file call, for front
// ends that get a script's bytes some other way (the clipboard, a link, a web
// page's file picker) and for the file functions of scriptFile.h.
#pragma once

#include "model/kit.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel {

extern const char* const loadCaption;      // "Load Script"
extern const char* const saveCaption;      // "Save Script"
extern const char* const pasteTuneCaption; // "Paste Tune"
// The words for clipboard text that is no script, as the editions' pastes say it.
extern const char* const notScriptSentence;

enum class FileOutcome : uint8_t {
    Done,      // loaded (possibly with nothing to apply) or saved
    CantOpen,  // the file could not be read
    NotScript, // the magic did not match; nothing changed
    NoTune,    // a tune to load whose keystrokes write nothing; nothing changed
    CantWrite, // the file could not be written; any old file is untouched
};

struct FileResult {
    FileOutcome outcome;
    std::string message; // empty when there is nothing to tell the user
    const char* caption;
    std::string reason{};        // CantOpen, CantWrite: why, when known (the system's message)
    bool oldContentLost = false; // CantWrite: the file's old contents are gone nevertheless
    // A tune loaded (replaceTune): what to tell of it, with what was skipped,
    // and how many characters were skipped as no keystroke.
    std::string notice{};
    size_t skipped = 0;
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
// The message, then the reason (when known) on a line of its own.
std::string messageWithReason(const FileResult& result);
// Replays script text that did not come from a file (the clipboard, a link)
// exactly as a loaded file, with the same outcomes and messages.
FileResult loadScriptText(KitState& kit, const char* bytes, size_t size);

// Where a tune's script comes from, for the words of its messages.
enum class TuneOrigin : uint8_t { File, Clipboard };

// The desktop and web editions' Load, Paste Tune, an example and an import:
// the script's tune replaces the one in memory, as korvel-cli loads a file
// into a fresh kit. Memory is cleared as Reset clears it and the registers
// (digits, address, tempo, start address) are a fresh kit's before the
// keystrokes are replayed; the clock and what the kit is doing are kept.
// Bytes end at their first zero byte; text that is no script, or whose
// keystrokes write nothing, is refused and changes nothing. name: the file
// the bytes came from, or what the notice says the tune came from.
FileResult replaceTune(KitState& kit, const char* bytes, size_t size, TuneOrigin origin,
                       const std::string& name);
// Why a script longer than maxScriptBytes is refused, for a front end that
// tells so before it hands the bytes over.
FileResult scriptTooLarge(TuneOrigin origin, const std::string& name);
// The same for text already cut at its first zero byte; empty: the file
// held no byte at all, not even a zero.
FileResult replaceTuneText(KitState& kit, const char* text, size_t length, bool empty,
                           TuneOrigin origin, const std::string& name);

} // namespace korvel
