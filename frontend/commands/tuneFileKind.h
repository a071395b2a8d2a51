// What a file holds, told by its bytes, never by its name: every way a tune
// comes in (a command line, a file dialog, a drop, the web page's picker)
// asks here before it loads a script or imports a MIDI file.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvel {

enum class TuneFileKind : uint8_t {
    Script, // anything but MIDI: the script loader tells when it is no script
    Midi,
};

// head: the file's first bytes (scriptHeadBytes of them suffice, tuneName.h).
TuneFileKind tuneFileKind(std::string_view head);

} // namespace korvel
