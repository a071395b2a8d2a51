// A recording file heard and made a tune, for korvel-cli's import and the
// desktop's File > Import: WAV always, by the program's own reader; FLAC, Ogg,
// MP3 and AIFF where the build has a decoder for them.
//
// The file is read in blocks and heard as it is read, so memory stays bounded
// however long it is; reading stops once more notes are heard than memory
// could use.
#pragma once

#include "files/filePath.h"
#include "formats/recordingKind.h"
#include "formats/tuneConvert.h"
#include "listen/heardTune.h"

#include <string>

namespace korvel::files {

// Whether this build decodes more than WAV.
bool readsCompressedRecordings();

// The recording heard, or what went wrong: the file cannot be read, is no
// recording this build reads, or is damaged.
struct RecordingRead {
    bool ok;
    std::string error; // when !ok
    listen::HeardRecording heard;
};
RecordingRead hearRecordingFile(const Path& path);

// The recording's tune as formats::importMidi gives a MIDI file's: its script
// and report (what was heard first), or what went wrong, a recording with no
// notes among it. options apply as for a MIDI file; a recording has no
// tracks or channels.
formats::MidiImport importRecordingFile(const Path& path, const formats::ImportOptions& options);

} // namespace korvel::files
