// What kind of recording a file holds, told by its first bytes, never by its
// name: WAV is read everywhere, the others where a decoder is built in.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvel::formats {

enum class RecordingKind : uint8_t { None, Wave, Flac, Ogg, Mp3, Aiff };

// The bytes that tell them all.
constexpr size_t recordingHeadBytes = 12;

// head: the file's first bytes (recordingHeadBytes of them suffice).
RecordingKind recordingKind(std::string_view head);

// "FLAC", "MP3", ... as a message names the kind.
const char* recordingKindName(RecordingKind kind);

} // namespace korvel::formats
