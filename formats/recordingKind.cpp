// The signatures recorders and encoders begin their files with.
#include "formats/recordingKind.h"

namespace korvel::formats {
namespace {

bool riffForm(std::string_view head, std::string_view riff, std::string_view form) {
    return head.size() >= 12 && head.substr(0, 4) == riff && head.substr(8, 4) == form;
}

// An MPEG audio frame's header: eleven bits of sync, then a version, a layer,
// a bit rate and a sample rate that are not the reserved values.
bool mpegFrame(std::string_view head) {
    if (head.size() < 3) return false;
    const auto b1 = uint8_t(head[1]), b2 = uint8_t(head[2]);
    return uint8_t(head[0]) == 0xFF && (b1 & 0xE0) == 0xE0 && (b1 & 0x18) != 0x08 &&
           (b1 & 0x06) != 0 && (b2 & 0xF0) != 0xF0 && (b2 & 0x0C) != 0x0C;
}

} // namespace

RecordingKind recordingKind(std::string_view head) {
    if (riffForm(head, "RIFF", "WAVE")) return RecordingKind::Wave;
    if (head.substr(0, 4) == "fLaC") return RecordingKind::Flac;
    if (head.substr(0, 4) == "OggS") return RecordingKind::Ogg;
    if (head.substr(0, 3) == "ID3" || mpegFrame(head)) return RecordingKind::Mp3;
    if (riffForm(head, "FORM", "AIFF") || riffForm(head, "FORM", "AIFC"))
        return RecordingKind::Aiff;
    return RecordingKind::None;
}

const char* recordingKindName(RecordingKind kind) {
    switch (kind) {
    case RecordingKind::Wave: return "WAV";
    case RecordingKind::Flac: return "FLAC";
    case RecordingKind::Ogg: return "Ogg";
    case RecordingKind::Mp3: return "MP3";
    case RecordingKind::Aiff: return "AIFF";
    case RecordingKind::None: break;
    }
    return "unknown";
}

} // namespace korvel::formats
