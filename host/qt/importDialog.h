// The import's choices for one MIDI file or recording, in one small dialog:
// the voice of a MIDI file (a track, a channel, or both, or automatic), the
// transposition (automatic or a number of semitones), and whether to move
// out-of-range notes by octaves and keep what fits of a tune too long for
// memory. A recording, given no voices, has no voice to choose. The start
// address stays the import's default.
#pragma once

#include "formats/tuneImport.h"
#include "frontend/commands/tuneImporting.h"

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QRadioButton;
class QSpinBox;

namespace korvel::qt {

class ImportDialog final : public QDialog {
    Q_OBJECT

  public:
    ImportDialog(const QString& fileName, std::vector<formats::VoiceChoice> voices,
                 QWidget* parent = nullptr);

    formats::ImportOptions options() const;
    // Shows the choices given, as options() returned them.
    void setOptions(const formats::ImportOptions& options);

  private:
    std::vector<formats::VoiceChoice> voices_;
    QComboBox* voice_;
    QRadioButton* automaticTranspose_;
    QRadioButton* givenTranspose_;
    QSpinBox* semitones_;
    QCheckBox* fit_;
    QCheckBox* truncate_;
};

// The import's report as a message box shows it: its notes as paragraphs above
// its rows, which stand in a table so that their values line up in any font.
QString importReportHtml(const ImportReport& report);

} // namespace korvel::qt
