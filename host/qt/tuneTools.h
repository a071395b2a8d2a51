// The File menu's tune tools apart from the window: the example tunes built
// into the program, what a file holds and names its tune, a MIDI file read
// or a recording heard for import, and one pass of the tune in memory exported as audio or MIDI
// through the safe replacement. The commands themselves, their names and
// words are the command layer's (frontend/commands), as korvel-cli's are;
// each answers here with a FileResult whose message (if any) the window shows.
#pragma once

#include "files/fileReplace.h"
#include "files/recordingFile.h"
#include "formats/midiFile.h"
#include "formats/scriptText.h"
#include "frontend/commands/tuneExporting.h"
#include "frontend/commands/tuneFileKind.h"
#include "frontend/commands/tuneName.h"
#include "model/kit.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <string>
#include <utility>

namespace korvel::qt {

extern const char* const importCaption; // "Import MIDI"
extern const char* const recordingImportCaption;
extern const char* const exportWaveCaption;
extern const char* const exportMidiCaption;

// The path in the platform's own form (UTF-16 on Windows), so any name
// reaches the file; messages show it as Qt does.
files::Path filePath(const QString& path);

struct Example {
    TuneName name;    // the script's first line, as its MIDI export names it
    QString fileName; // e.g. "ode-to-joy.dat"
    QByteArray script;
};
// By title.
QList<Example> builtInExamples();

// A tune named after its file: the file's name without its last extension.
TuneName nameOfFile(const QString& path);
// The script file's name for its tune, as korvel-cli names it.
TuneName nameOfScriptFile(const QString& path);
// What the file holds, by its first bytes; one that cannot be read is taken
// for a script, whose load then says why.
TuneFileKind kindOfFile(const QString& path);
// A file name's stem as the window shows and proposes it.
QString fileStemOf(const TuneName& name);

// A MIDI file read whole (at most maxMidiBytes) and parsed, for the import's
// choices; CantOpen with the reason when it cannot be read or is no MIDI file.
struct MidiFileRead {
    FileResult result;
    std::string bytes;
    formats::MidiSong song;
};
MidiFileRead readMidiFile(const QString& path);
// A recording heard whole (a long one takes a while), for the import's
// choices; CantOpen with the reason when it cannot be read or heard.
struct RecordingFileRead {
    FileResult result;
    listen::HeardRecording heard;
};
RecordingFileRead readRecordingFile(const QString& path);
// The import (caption: its kind's) refused the file's music (say, a voice
// without notes).
FileResult cantImport(const QString& path, const std::string& reason,
                      const char* caption = importCaption);

// An export of the command layer (tuneExporting.h), found before a file is
// chosen, its fault worded as the window's messages are, written to a file.
class TuneExport {
  public:
    // live's tune (memory, start address, tempo) as audio.
    static TuneExport wave(const KitState& live);
    // live's tune as a MIDI file whose one track is named title.
    static TuneExport midi(const KitState& live, const std::string& title);

    // Why nothing can be written, as a sentence, or empty.
    std::string fault() const;
    // What to ask before a file is chosen (a tune that never ends), or empty.
    const std::string& question() const { return exported_.question(); }
    // Replaces path's contents with the export; the message says why not.
    FileResult writeTo(const QString& path, const char* caption) const;

  private:
    explicit TuneExport(korvel::TuneExport exported) : exported_(std::move(exported)) {}
    korvel::TuneExport exported_;
};

} // namespace korvel::qt
