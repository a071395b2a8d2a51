// The note palette under the tune table: the editor's keys as buttons
// (notePalette.h), for a person with the mouse alone, in the list's groups:
// a one-octave piano with the octave shown, the lengths, the steps, play and
// Record, Listen. A press and its release go to the core, so a held note
// records for as long as it is held; Listen is the view's own, and so is Stop
// while listening (it cancels). The buttons take no keyboard: a click on the palette
// gives it to the table, where the rows are edited.
#pragma once

#include "frontend/editor/tuneEditor.h"

#include <QElapsedTimer>
#include <QWidget>

#include <utility>
#include <vector>

class QAbstractButton;
class QLabel;

namespace korvel::qt {

class NotePaletteView final : public QWidget {
    Q_OBJECT

  public:
    // clock gives the core's milliseconds; table takes the keyboard on a click.
    NotePaletteView(TuneEditor& editor, const QElapsedTimer& clock, QWidget& table,
                    QWidget* parent = nullptr);

    // Shows the core's octave and whether it records.
    void showState();
    void setListening(bool listening);

  signals:
    // A button went down or up: the core's state may have changed.
    void edited();
    // Listen pressed: start, or stop and write.
    void listenPressed();
    // Stop pressed while listening: nothing is written.
    void listenCancelled();

  protected:
    // The buttons' height follows the text's, which follows the board's zoom.
    void changeEvent(QEvent* event) override;

  private:
    using Shown = std::pair<const PaletteButton*, QAbstractButton*>;

    QAbstractButton* buttonFor(const PaletteButton& button);
    QWidget* pianoOf(const std::vector<Shown>& notes, const std::vector<Shown>& octaves);
    void fitButtons();

    TuneEditor& editor_;
    const QElapsedTimer& clock_;
    QLabel* octave_;
    QAbstractButton* record_ = nullptr;
    QAbstractButton* listen_ = nullptr;
    bool listening_ = false;
};

} // namespace korvel::qt
