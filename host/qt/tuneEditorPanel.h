// The tune editor beside the board: the start address and tempo, the record
// switch and play from the row, what the keys and the mouse do now, the step
// table, the note palette (shown or not by its action) and the tune's checks;
// while Listen is on, a red sign and the pitch line above the table. A thin view of the
// core (tuneEditor.h): it repaints when the core's revision or the sounding step changes, and has
// the core look at the kit after anything else may have changed the tune, so
// every change is a step of undo. Its actions go into the window's menus.
#pragma once

#include "frontend/editor/tuneEditor.h"
#include "host/qt/editorListen.h"

#include <QElapsedTimer>
#include <QWidget>

class QAction;
class QKeyEvent;
class QLabel;
class QListWidget;
class QSpinBox;

namespace korvel::qt {

class KitSession;
class NotePaletteView;
class PitchLineView;
class TuneTableView;

class TuneEditorPanel final : public QWidget {
    Q_OBJECT

  public:
    explicit TuneEditorPanel(KitSession& session, QWidget* parent = nullptr);
    ~TuneEditorPanel() override;

    TuneEditor& editor() { return editor_; }
    // The core's milliseconds, for keys from elsewhere (a MIDI keyboard).
    uint64_t nowMs() const { return uint64_t(clock_.elapsed()); }
    TuneTableView& table() { return *table_; }
    // True while the step table has the keyboard: PC keys edit the tune.
    bool editing() const;
    // The text's size follows the board's zoom.
    void setZoomPercent(int percent);

    QAction* undoAction() const { return undo_; }
    QAction* redoAction() const { return redo_; }
    QAction* cutAction() const { return cut_; }
    QAction* copyAction() const { return copy_; }
    QAction* pasteAction() const { return paste_; }
    QAction* recordAction() const { return record_; }
    QAction* playFromRowAction() const { return playFromRow_; }
    // Checked while the note palette shows.
    QAction* paletteAction() const { return paletteShown_; }
    // Checked while listening: the sound input is open.
    QAction* listenAction() const { return listen_; }
    // What Listen opens; it must outlive the panel.
    void setSoundInput(audio::SoundInput* input) { listening_.setInput(input); }
    // What the last Listen wrote, or why it wrote nothing; its report as a tip.
    QString listenOutcome() const;

  public slots:
    // Has the core look at the kit, then shows what changed. The window
    // calls it after each command that changes the tune (a load, Reset), so
    // that the change is a step of undo of its own.
    void refresh();
    // The step sounding changed.
    void showSounding();

  signals:
    // The PC keyboard now edits the tune (true) or plays the kit (false).
    void editingChanged(bool editing);
    // The tune (memory, start address or tempo) changed, by any means, undo included.
    void tuneChanged();

  protected:
    // A key the start address or tempo box leaves is still not the kit's.
    void keyPressEvent(QKeyEvent* event) override;
    // Play from the row and Record need the rows in sight; hiding them ends a recording.
    // Hiding them also ends Listen, writing nothing.
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    // Notes how the person reaches the editor just now (mouse, keys or touch);
    // takes Esc while listening, which cancels.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QAction* addAction(const QString& text, const QKeySequence& keys, const char* name);
    void clipboardCommand(EditorResult result);
    void showChecks();
    // What the keys, the mouse and the palette do now.
    void showHint();
    void fitChecksList();
    // Listen (F7, or the palette's button): starts, or stops and writes.
    void toggleListen();
    void stopListening(const QString& why);
    void cancelListen();
    void showListening();
    void showHeard();
    void showListenOutcome(const QString& message, const std::vector<formats::ReportRow>& report);

    KitSession& session_;
    TuneEditor editor_;
    EditorListen listening_{editor_}; // closes the input before the editor goes
    QElapsedTimer clock_;             // the core's milliseconds
    // What the table last showed, so that only a change repaints it.
    struct Shown {
        uint64_t revision = 0;
        uint32_t cursor = 0, first = 0, last = 0;
        EditColumn column = EditColumn::Digits;
        bool operator==(const Shown& other) const {
            return revision == other.revision && cursor == other.cursor && first == other.first &&
                   last == other.last && column == other.column;
        }
    };
    Shown shown_;
    bool editingShown_ = false;
    InputWay way_ = InputWay::Keyboard;
    QSpinBox* startAddress_;
    QSpinBox* tempo_;
    QSpinBox* octave_;
    QLabel* keyboardOwner_;
    TuneTableView* table_;
    NotePaletteView* palette_;
    QLabel* checksTitle_;
    QListWidget* checks_;
    QLabel* message_;
    QWidget* listenStrip_;
    QLabel* listenSign_;
    PitchLineView* pitchLine_;
    QLabel* listenOutcome_;
    uint64_t outcomeRevision_ = 0; // the outcome shows until the tune changes again
    QAction* undo_;
    QAction* redo_;
    QAction* cut_;
    QAction* copy_;
    QAction* paste_;
    QAction* record_;
    QAction* playFromRow_;
    QAction* paletteShown_;
    QAction* listen_;
};

} // namespace korvel::qt
