// The tune commands' modal boxes.
#include "host/qt/tuneDialogs.h"

#include "files/recordingFile.h"
#include "formats/scriptText.h"
#include "host/qt/importDialog.h"
#include "host/qt/tuneTools.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace korvel::qt {
namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("TuneDialogs", text);
}

// What each file dialog asks for, by FileChoice.
struct FileDialogKind {
    const char* caption;
    const char* filter;
    const char* suffix;
    bool saving;
};
const char* const scriptFilter = QT_TRANSLATE_NOOP("TuneDialogs", "Data Files (*.dat)");
const char* const midiFilter = QT_TRANSLATE_NOOP("TuneDialogs", "MIDI Files (*.mid *.midi)");
// The import takes recordings too: WAV always, the others where they are decoded.
const char* importFilter() {
    return files::readsCompressedRecordings()
               ? QT_TRANSLATE_NOOP("TuneDialogs", "MIDI Files and Recordings (*.mid *.midi *.wav "
                                                  "*.flac *.ogg *.oga *.mp3 *.aif *.aiff)")
               : QT_TRANSLATE_NOOP("TuneDialogs", "MIDI Files and Recordings (*.mid *.midi *.wav)");
}
const FileDialogKind& fileDialogKind(FileChoice choice) {
    static const FileDialogKind load{loadCaption, scriptFilter, "dat", false},
        save{saveCaption, scriptFilter, "dat", true},
        importMidi{importCaption, importFilter(), "mid", false},
        exportWave{exportWaveCaption, QT_TRANSLATE_NOOP("TuneDialogs", "WAV Audio (*.wav)"), "wav",
                   true},
        exportMidi{exportMidiCaption, midiFilter, "mid", true};
    switch (choice) {
    case FileChoice::Load: return load;
    case FileChoice::Save: return save;
    case FileChoice::ImportMidi: return importMidi;
    case FileChoice::ExportWave: return exportWave;
    case FileChoice::ExportMidi: return exportMidi;
    }
    return load;
}

QString chooseWithDialog(QWidget& parent, FileChoice choice, const QString& folder,
                         const QString& proposed) {
    const FileDialogKind& kind = fileDialogKind(choice);
    QFileDialog dialog(&parent, QString::fromLatin1(kind.caption));
    dialog.setNameFilters({tr(kind.filter), tr("All Files (*)")});
    dialog.setAcceptMode(kind.saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind.saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kind.suffix));
    if (!folder.isEmpty()) dialog.setDirectory(folder);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

// The import's choices last made, and for which file, to offer them again.
struct ImportChoice {
    QString path;
    formats::ImportOptions options;
};

std::optional<formats::ImportOptions>
chooseImportWithDialog(QWidget& parent, ImportChoice& last, const QString& path,
                       std::vector<formats::VoiceChoice> voices) {
    ImportDialog dialog(QFileInfo(path).fileName(), std::move(voices), &parent);
    if (path == last.path) dialog.setOptions(last.options);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    last = {path, dialog.options()};
    return last.options;
}

} // namespace

const char* fileSuffix(FileChoice choice) {
    return fileDialogKind(choice).suffix;
}

TuneDialogs modalTuneDialogs(QWidget& parent, std::function<QString()> startFolder,
                             std::function<QString(FileChoice choice)> proposed) {
    TuneDialogs dialogs;
    dialogs.tell = [&parent](const QString& caption, const QString& text) {
        QMessageBox::warning(&parent, caption, text);
    };
    dialogs.inform = [&parent](const QString& caption, const ImportReport& report) {
        QMessageBox box(QMessageBox::Information, caption, importReportHtml(report),
                        QMessageBox::Ok, &parent);
        box.setTextFormat(Qt::RichText);
        box.exec();
    };
    dialogs.chooseFile = [&parent, startFolder = std::move(startFolder),
                          proposed = std::move(proposed)](FileChoice choice) {
        return chooseWithDialog(parent, choice, startFolder(), proposed(choice));
    };
    dialogs.chooseImport = [&parent, last = std::make_shared<ImportChoice>()](
                               const QString& path, std::vector<formats::VoiceChoice> voices) {
        return chooseImportWithDialog(parent, *last, path, std::move(voices));
    };
    dialogs.askUnsaved = [&parent] {
        const auto answer = QMessageBox::question(
            &parent, tr("Unsaved Tune"),
            tr("The tune in memory has changes that are not saved.\nSave them first?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? UnsavedChoice::Save
               : answer == QMessageBox::Discard ? UnsavedChoice::Discard
                                                : UnsavedChoice::Cancel;
    };
    dialogs.askExport = [&parent](const QString& caption, const QString& question) {
        QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Cancel, &parent);
        const QAbstractButton* go = box.addButton(tr("Export"), QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == go;
    };
    return dialogs;
}

} // namespace korvel::qt
