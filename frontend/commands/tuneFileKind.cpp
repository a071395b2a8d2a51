// A MIDI file by its header chunk's tag.
#include "frontend/commands/tuneFileKind.h"

namespace korvel {

TuneFileKind tuneFileKind(std::string_view head) {
    return head.substr(0, 4) == "MThd" ? TuneFileKind::Midi : TuneFileKind::Script;
}

} // namespace korvel
