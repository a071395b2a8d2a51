// The tune commands: each reads or writes through the session, refreshes the
// editor, tells the user what went wrong and names the tune it leaves.
#include "host/qt/tuneCommands.h"

#include "formats/tuneConvert.h"
#include "frontend/commands/importChoices.h"
#include "frontend/commands/tuneImporting.h"
#include "host/qt/kitSession.h"
#include "host/qt/recentFiles.h"
#include "host/qt/tuneEditorPanel.h"
#include "listen/heardTune.h"

#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace korvel::qt {
namespace {

constexpr int exportedNoteMs = 5000; // long enough to read, then the kit's status again

} // namespace

TuneCommands::TuneCommands(KitSession& session, TuneEditorPanel& editor, RecentFiles& recent,
                           QMainWindow& window)
    : QObject(&window), session_(session), editor_(editor), recent_(recent), window_(window),
      dialogs_(modalTuneDialogs(
          window, [&recent] { return recent.lastFolder(); },
          [this](FileChoice choice) { return proposedPath(choice); })),
      naming_(session.kit()) {
    nameTune(untitledTune(), {}, {}, true);
    connect(&editor, &TuneEditorPanel::tuneChanged, this, [this] {
        naming_.follow();
        emit tuneNamed();
    });
}

bool TuneCommands::mayDropTune() {
    if (!naming_.unsaved()) return true;
    switch (dialogs_.askUnsaved()) {
    case UnsavedChoice::Save: return save();
    case UnsavedChoice::Discard: return true;
    case UnsavedChoice::Cancel: break;
    }
    return false;
}

bool TuneCommands::loadFile(const QString& path) {
    return mayDropTune() && open(path);
}

bool TuneCommands::open(const QString& path) {
    return importable(kindOfFile(path)) ? importChosen(path) : openScript(path);
}

bool TuneCommands::openScript(const QString& path) {
    const FileResult result = session_.loadFile(path);
    editor_.refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) {
        recent_.forget(path);
        return false;
    }
    recent_.remember(path);
    nameTune(nameOfScriptFile(path), path, path, true);
    return true;
}

void TuneCommands::openDropped(const QString& path) {
    if (importable(kindOfFile(path)))
        QTimer::singleShot(0, this, [this, path] { importMidiFile(path); });
    else
        loadFile(path);
}

void TuneCommands::load() {
    if (!mayDropTune()) return;
    const QString path = dialogs_.chooseFile(FileChoice::Load);
    if (!path.isEmpty()) open(path);
}

bool TuneCommands::save() {
    const QString path = dialogs_.chooseFile(FileChoice::Save);
    if (path.isEmpty()) return false;
    const TuneName& named = naming_.tuneName();
    const TuneName name = named.title == untitledTune().title ? nameOfFile(path) : named;
    const FileResult result = session_.saveFile(path, name.title);
    report(result);
    if (result.outcome != FileOutcome::Done) return false;
    recent_.remember(path);
    nameTune({name.title, nameOfFile(path).fileStem}, path, path, true);
    return true;
}

void TuneCommands::loadExample(const Example& example) {
    if (!mayDropTune()) return;
    const FileResult result = session_.loadScript(example.script, example.fileName);
    editor_.refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) return;
    nameTune(example.name, {}, example.fileName, true);
}

void TuneCommands::importMidi() {
    if (!mayDropTune()) return;
    const QString path = dialogs_.chooseFile(FileChoice::ImportMidi);
    if (!path.isEmpty()) importChosen(path);
}

bool TuneCommands::importMidiFile(const QString& path) {
    return mayDropTune() && importChosen(path);
}

bool TuneCommands::importChosen(const QString& path) {
    const std::string fileName = QFileInfo(path).fileName().toStdString();
    if (kindOfFile(path) == TuneFileKind::Recording) {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor); // a long recording takes a while
        const RecordingFileRead read = readRecordingFile(path);
        QGuiApplication::restoreOverrideCursor();
        if (read.result.outcome != FileOutcome::Done) {
            report(read.result);
            return false;
        }
        return importWith(path, recordingImportCaption, {}, [&](const formats::ImportOptions& o) {
            return listen::importRecording(read.heard, o, fileName);
        });
    }
    const MidiFileRead read = readMidiFile(path);
    if (read.result.outcome != FileOutcome::Done) {
        report(read.result);
        return false;
    }
    return importWith(path, importCaption, formats::voiceChoices(read.song),
                      [&](const formats::ImportOptions& options) {
                          return formats::importMidi(read.bytes, options, fileName);
                      });
}

bool TuneCommands::importWith(
    const QString& path, const char* caption, const std::vector<formats::VoiceChoice>& voices,
    const std::function<formats::MidiImport(const formats::ImportOptions& options)>& import) {
    formats::MidiImport imported{};
    while (!imported.ok) {
        std::optional<formats::ImportOptions> options = dialogs_.chooseImport(path, voices);
        if (!options) return false;
        options->advice = dialogAdvice();
        imported = import(*options);
        if (!imported.ok) report(cantImport(path, imported.error, caption));
    }
    const QByteArray script = QByteArray::fromStdString(imported.script);
    const FileResult loaded = session_.loadScript(script, QFileInfo(path).fileName());
    editor_.refresh();
    reportLoad(loaded);
    if (loaded.outcome != FileOutcome::Done) return false;
    nameTune(nameOfScript(imported.script, nameOfFile(path)), path, path, false);
    dialogs_.inform(QString::fromLatin1(caption), importReportOf(imported));
    return true;
}

void TuneCommands::exportWave() {
    exportTune(TuneExport::wave(session_.kit()), FileChoice::ExportWave, exportWaveCaption);
}

void TuneCommands::exportMidi() {
    exportTune(TuneExport::midi(session_.kit(), naming_.tuneName().title), FileChoice::ExportMidi,
               exportMidiCaption);
}

// A tune that cannot be exported says so, and one that never ends asks,
// before a file is asked for.
void TuneCommands::exportTune(const TuneExport& exported, FileChoice choice, const char* caption) {
    const QString shownCaption = QString::fromLatin1(caption);
    if (!exported.fault().empty())
        return dialogs_.tell(shownCaption, QString::fromStdString(exported.fault()));
    if (!exported.question().empty() &&
        !dialogs_.askExport(shownCaption, QString::fromStdString(exported.question())))
        return;
    const QString path = dialogs_.chooseFile(choice);
    if (path.isEmpty()) return;
    const FileResult written = exported.writeTo(path, caption);
    report(written);
    if (written.outcome != FileOutcome::Done) return;
    window_.statusBar()->showMessage(tr("Exported %1").arg(QFileInfo(path).fileName()),
                                     exportedNoteMs);
}

void TuneCommands::copyTune() {
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(session_.scriptBytes(naming_.tuneName().title)));
}

void TuneCommands::pasteTune() {
    if (!mayDropTune()) return; // a tune pasted replaces the whole tune, as a load does
    const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
    const FileResult result = session_.loadText(text);
    editor_.refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) return;
    nameTune(nameOfScript(text.toStdString(), untitledTune()), {}, {}, false);
}

// Reset leaves a tune of no file, as Paste does: the title names none.
void TuneCommands::reset() {
    session_.reset();
    editor_.refresh();
    nameTune(untitledTune(), {}, {}, false);
}

void TuneCommands::nameTune(const TuneName& name, const QString& path, const QString& shownFile,
                            bool saved) {
    naming_.name(name, path, shownFile, saved);
    emit tuneNamed();
}

QString TuneCommands::proposedPath(FileChoice choice) const {
    switch (choice) {
    case FileChoice::Save: {
        const QString& path = naming_.path();
        return path.isEmpty() || importable(kindOfFile(path)) ? defaultExportPath("dat") : path;
    }
    case FileChoice::ExportWave:
    case FileChoice::ExportMidi: return defaultExportPath(fileSuffix(choice));
    case FileChoice::Load:
    case FileChoice::ImportMidi: break;
    }
    return {};
}

// Beside the file the tune came from, named after it, never over it.
QString TuneCommands::defaultExportPath(const char* extension) const {
    const QString& tunePath = naming_.path();
    const QString recentFolder = recent_.lastFolder();
    const QString folder = !tunePath.isEmpty()       ? QFileInfo(tunePath).absolutePath()
                           : !recentFolder.isEmpty() ? recentFolder
                                                     : QDir::homePath();
    const QString suffix = QStringLiteral(".") + QString::fromLatin1(extension);
    const QString stem = fileStemOf(naming_.tuneName());
    const QString path = QDir(folder).filePath(stem + suffix);
    if (QFileInfo(path) != QFileInfo(tunePath)) return path;
    return QDir(folder).filePath(stem + QStringLiteral("-korvel") + suffix);
}

void TuneCommands::report(const FileResult& result) {
    if (!result.message.empty())
        dialogs_.tell(QString::fromLatin1(result.caption),
                      QString::fromStdString(messageText(result, true)));
}

// A tune loaded says nothing unless characters of its script were skipped.
void TuneCommands::reportLoad(const FileResult& result) {
    if (result.outcome == FileOutcome::Done && result.skipped != 0)
        return dialogs_.tell(QString::fromLatin1(result.caption),
                             QString::fromStdString(result.notice));
    report(result);
}

} // namespace korvel::qt
