// A held PC key's auto-repeat as some X servers send it: a release and a
// press of the same time, which Qt does not always flag as a repeat. The
// window's kit keys and the editor's table both hold a release back a moment
// for that press, so a held key stays one press.
#pragma once

namespace korvel::qt {

// How long a PC key's release waits for a press that makes it an
// auto-repeat. Both come at once, but the press may be read a moment later:
// long enough for a busy machine, short enough that a note does not audibly
// outlast its key.
inline constexpr int autoRepeatPairMs = 20;

} // namespace korvel::qt
