// What a file holds, told by its bytes, never by its name: every way a tune
// comes in (a command line, a file dialog, a drop, the web page's picker)
// asks here before it loads a script, imports a MIDI file or listens to a
// recording.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvel {

enum class TuneFileKind : uint8_t {
    Script, // anything else: the script loader tells when it is no script
    Midi,
    Recording, // WAV, FLAC, Ogg, MP3 or AIFF (formats/recordingKind.h tells which)
};

// head: the file's first bytes (scriptHeadBytes of them suffice, tuneName.h).
TuneFileKind tuneFileKind(std::string_view head);

// Whether the import takes the file: a MIDI file or a recording.
inline bool importable(TuneFileKind kind) {
    return kind != TuneFileKind::Script;
}

} // namespace korvel
