// The File and Edit menus' tune commands: load, save, the examples, the
// import of MIDI files and recordings, WAV and MIDI export, Copy and Paste Tune and Reset, with
// their questions and messages (tuneDialogs.h) and the tune's name (tuneNaming.h). Save and Copy
// Tune write the whole tune, its start address and tempo with it; before a load, an import, a paste
// or Exit drops a tune not saved (an import is not saved until Save), the user is asked.
#pragma once

#include "host/qt/tuneDialogs.h"
#include "host/qt/tuneNaming.h"
#include "host/qt/tuneTools.h"

#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QMainWindow;

namespace korvel::qt {

class KitSession;
class RecentFiles;
class TuneEditorPanel;

class TuneCommands final : public QObject {
    Q_OBJECT

  public:
    // Dialogs and the export's note go over window.
    TuneCommands(KitSession& session, TuneEditorPanel& editor, RecentFiles& recent,
                 QMainWindow& window);

    TuneDialogs& dialogs() { return dialogs_; }
    const TuneNaming& naming() const { return naming_; }

    // Opens a file as what its bytes hold, whatever its name: loads a script
    // or imports a MIDI file or a recording, telling the user of any failure; true when
    // loaded. Like every command that replaces the tune, it first asks about
    // a tune not saved. The command line's file and File > Load come here.
    bool loadFile(const QString& path);
    // Asks for the import's choices of a MIDI file or a recording (heard
    // first, under a busy cursor) and loads the tune; the memory stays as
    // it was unless the whole import succeeds. Choices the import refuses are
    // asked for again, as they were, until they succeed or are cancelled.
    // True when loaded.
    bool importMidiFile(const QString& path);
    // A MIDI file or a recording (by its bytes) is imported once the drop is
    // over, so the source is not kept waiting by its dialog; any other is
    // loaded as a script.
    void openDropped(const QString& path);
    void load();
    // Named after the file unless the tune has a title of its own.
    bool save();
    void loadExample(const Example& example);
    void importMidi();
    void exportWave();
    void exportMidi();
    void copyTune();
    void pasteTune();
    void reset();

    // True when the tune in memory may go: saved, unchanged, or the user says so.
    bool mayDropTune();
    // The file a file dialog proposes: Save the file the tune came from or
    // went into, or a script named after it; an export a file beside it.
    QString proposedPath(FileChoice choice) const;

  signals:
    // The tune's name, file or saved state may have changed.
    void tuneNamed();

  private:
    bool open(const QString& path);
    bool openScript(const QString& path);
    bool importChosen(const QString& path);
    bool importWith(
        const QString& path, const char* caption, const std::vector<formats::VoiceChoice>& voices,
        const std::function<formats::MidiImport(const formats::ImportOptions& options)>& import);
    void exportTune(const TuneExport& exported, FileChoice choice, const char* caption);
    void nameTune(const TuneName& name, const QString& path, const QString& shownFile, bool saved);
    QString defaultExportPath(const char* extension) const;
    void report(const FileResult& result);
    void reportLoad(const FileResult& result);

    KitSession& session_;
    TuneEditorPanel& editor_;
    RecentFiles& recent_;
    QMainWindow& window_;
    TuneDialogs dialogs_;
    TuneNaming naming_;
};

} // namespace korvel::qt
