// Loading and saving script files by path, for every front end.
//
// A front end shows its own file dialogs, calls these with the chosen path and
// shows the returned message, if any, in a box with the returned caption. A
// save goes through replaceFile (fileReplace.h), so a failed one leaves the old
// file as it was. On Windows a path is in the ANSI code page.
#pragma once

#include "kit.h"
#include "scriptText.h"

#include <string>

namespace korvel {

// Reads the file up to its first zero byte, where the loader stops anyway, and
// replays it into the kit. A file longer than maxScriptBytes before that
// cannot be opened.
FileResult loadScriptFile(KitState& kit, const std::string& path);
// Writes the kit's memory as a 932-byte script, replacing path only on success.
FileResult saveScriptFile(const KitState& kit, const std::string& path);

} // namespace korvel
