// The File menu's tune tools apart from the window: the example tunes built
// into the program, a MIDI file read for import, and one pass of the tune in
// memory exported as audio or MIDI through the safe replacement. Each answers
// as the script commands do, with a FileResult whose message (if any) the
// window shows; the conversions themselves are the ones korvel-cli makes.
#pragma once

#include "files/fileReplace.h"
#include "formats/scriptText.h"
#include "formats/midiFile.h"
#include "model/kit.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <string>

namespace korvel::qt {

extern const char* const importCaption; // "Import MIDI"
extern const char* const exportWaveCaption;
extern const char* const exportMidiCaption;

// The path in the platform's own form (UTF-16 on Windows), so any name
// reaches the file; messages show it as Qt does.
files::Path filePath(const QString& path);

struct Example {
    QString title;    // the script's first line, as its MIDI export names it
    QString fileName; // e.g. "ode-to-joy.dat"
    QByteArray script;
};
// By title.
QList<Example> builtInExamples();

// What the tune in memory is called: its MIDI track's name, as korvel-cli
// names the track for the same script, and the stem of the files it is
// exported to.
struct TuneName {
    std::string title;
    QString fileStem;
};
// A tune typed in on the keypad.
TuneName untitledTune();
// A tune named after its file: the file's name without its last extension.
TuneName nameOfFile(const QString& path);
// The title the script's first line gives, else fallback's; fallback's stem.
TuneName nameOfScript(const QByteArray& script, const TuneName& fallback);
// The script file's name for its tune, as korvel-cli names it.
TuneName nameOfScriptFile(const QString& path);

// A MIDI file read whole (at most maxMidiBytes) and parsed, for the import's
// choices; CantOpen with the reason when it cannot be read or is no MIDI file.
struct MidiFileRead {
    FileResult result;
    std::string bytes;
    formats::MidiSong song;
};
MidiFileRead readMidiFile(const QString& path);
// The import refused the file's music (say, a voice without notes).
FileResult cantImport(const QString& path, const std::string& reason);

// One pass of a tune, found before a file is chosen, so a tune that cannot be
// exported says so at once; then written as often as asked.
class TuneExport {
  public:
    // live's tune (memory, start address, tempo) as audio.
    static TuneExport wave(const KitState& live);
    // live's tune as a MIDI file whose one track is named title.
    static TuneExport midi(const KitState& live, const std::string& title);

    // Why nothing can be written, as a sentence, or empty.
    const std::string& fault() const { return fault_; }
    // What to ask before a file is chosen (a tune that never ends), or empty.
    const std::string& question() const { return question_; }
    // Replaces path's contents with the pass; the message says why not.
    FileResult writeTo(const QString& path, const char* caption) const;

  private:
    std::string fault_, question_;
    files::ContentWriter writer_;
};

} // namespace korvel::qt
