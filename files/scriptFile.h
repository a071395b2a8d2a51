// Loading and saving script files by path, for every front end.
//
// A front end shows its own file dialogs, calls these with the chosen path and
// shows the returned message, if any, in a box with the returned caption. A
// save goes through replaceFile (fileReplace.h), so a failed one leaves the old
// file as it was. A path given as a std::string is in the local form
// (filePath.h).
#pragma once

#include "files/filePath.h"
#include "formats/scriptText.h"
#include "model/kit.h"

#include <string>

namespace korvel {

// Reads the file up to its first zero byte, where the loader stops anyway, and
// replays it into the kit. A file longer than maxScriptBytes before that
// cannot be opened.
FileResult loadScriptFile(KitState& kit, const files::Path& path);
// The desktop edition's Load: the file's tune in place of the one in memory,
// as replaceTune (scriptText.h), read as loadScriptFile reads it.
FileResult replaceTuneFile(KitState& kit, const files::Path& path);
// Writes the kit's memory as a 932-byte script, replacing path only on success.
FileResult saveScriptFile(const KitState& kit, const files::Path& path);
// Writes a script's text as it is, replacing path only on success.
FileResult saveScriptText(const std::string& text, const files::Path& path);

// What a message box shows: the message, then on lines of their own the
// reason (when asked for and known) and, when the old file was lost
// nevertheless, a note saying so.
std::string messageText(const FileResult& result, bool withReason);

} // namespace korvel
