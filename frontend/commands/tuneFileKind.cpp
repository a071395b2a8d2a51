// A MIDI file by its header chunk's tag, a recording by its format's signature.
#include "frontend/commands/tuneFileKind.h"

#include "formats/recordingKind.h"

namespace korvel {

TuneFileKind tuneFileKind(std::string_view head) {
    if (head.substr(0, 4) == "MThd") return TuneFileKind::Midi;
    if (formats::recordingKind(head) != formats::RecordingKind::None)
        return TuneFileKind::Recording;
    return TuneFileKind::Script;
}

} // namespace korvel
