// The questions and messages of the tune commands: file choices, the
// import's choices, whether to drop or export a tune, warnings and reports.
// Each is a replaceable function, so that a test can drive every command
// without a modal box; a cancelled choice is an empty path (or no options)
// and shows nothing. modalTuneDialogs gives the program's own boxes.
#pragma once

#include "formats/tuneImport.h"

#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace korvel::qt {

enum class FileChoice { Load, Save, ImportMidi, ExportWave, ExportMidi };
// What to do with a tune not saved that a command would drop.
enum class UnsavedChoice { Save, Discard, Cancel };

struct TuneDialogs {
    using MessageSink = std::function<void(const QString& caption, const QString& text)>;
    using FileChooser = std::function<QString(FileChoice choice)>;
    using ImportChooser = std::function<std::optional<formats::ImportOptions>(
        const QString& path, std::vector<formats::VoiceChoice> voices)>;
    using UnsavedAsker = std::function<UnsavedChoice()>;
    // Whether to export a tune that never ends: true for Export, false for Cancel.
    using ExportAsker = std::function<bool(const QString& caption, const QString& question)>;

    MessageSink tell;   // what went wrong, as a warning
    MessageSink inform; // what a command did, as information (the import's report)
    FileChooser chooseFile;
    ImportChooser chooseImport;
    UnsavedAsker askUnsaved;
    ExportAsker askExport;
};

// The extension of the files choice reads or writes, without its dot.
const char* fileSuffix(FileChoice choice);

// Modal boxes over parent. A file dialog opens in startFolder()'s folder (the
// platform's choice when empty) with proposed(choice) selected, if any; the
// import's dialog offers again the choices last made for the same file.
TuneDialogs modalTuneDialogs(QWidget& parent, std::function<QString()> startFolder,
                             std::function<QString(FileChoice choice)> proposed);

} // namespace korvel::qt
