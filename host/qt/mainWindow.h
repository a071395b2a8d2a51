// The main window: the board at a fixed size with a status line under it and
// the tune editor beside it when shown (its note palette too), the menus, the PC keyboard, dropped
// files and the remembered position, zoom and editor. The title names the
// file the tune in memory came from or went into: a script, a built-in
// example or an imported MIDI file; it follows the memory through undo, marks
// changes not saved, and claims music only with a sound device.
//
// The menus' tune commands, with their questions and messages, are
// tuneCommands.h's; the window hands on the replaceable functions through
// which a test drives them without a modal box (tuneDialogs.h).
#pragma once

#include "frontend/editor/midiKeyboard.h"
#include "frontend/session/session.h"
#include "host/qt/tuneCommands.h"
#include "host/qt/tuneDialogs.h"

#include <QMainWindow>

#include <memory>

class QActionGroup;
class QLabel;
class QMenu;

namespace korvel::qt {

class KitSession;
class MidiInput;
class Panel;
class PcKeyInput;
class RecentFiles;
class TuneEditorPanel;

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    using FileChoice = qt::FileChoice;
    using UnsavedChoice = qt::UnsavedChoice;

    explicit MainWindow(SessionSound& sound, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What went wrong, as a warning.
    void setMessageSink(TuneDialogs::MessageSink sink) { dialogs().tell = std::move(sink); }
    // What a command did, as information (the import's report).
    void setReportSink(TuneDialogs::ReportSink sink) { dialogs().inform = std::move(sink); }
    void setFileChooser(TuneDialogs::FileChooser chooser) {
        dialogs().chooseFile = std::move(chooser);
    }
    void setImportChooser(TuneDialogs::ImportChooser chooser) {
        dialogs().chooseImport = std::move(chooser);
    }
    void setUnsavedAsker(TuneDialogs::UnsavedAsker asker) {
        dialogs().askUnsaved = std::move(asker);
    }
    void setExportAsker(TuneDialogs::ExportAsker asker) { dialogs().askExport = std::move(asker); }

    KitSession& session() { return *session_; }
    Panel& panel() { return *panel_; }
    TuneEditorPanel& tuneEditor() { return *editorPanel_; }
    MidiInput& midiInput() { return *midiInput_; }
    void showTuneEditor(bool shown);
    QString statusLine() const;

    bool loadFile(const QString& path) { return commands_->loadFile(path); }
    bool importMidiFile(const QString& path) { return commands_->importMidiFile(path); }
    bool tuneUnsaved() const { return commands_->naming().unsaved(); }
    QString proposedPath(FileChoice choice) const { return commands_->proposedPath(choice); }
    // The zoom asked for, or the largest smaller one with which the window,
    // the editor's text zoomed with the board, fits its screen's free area;
    // the window then moves wholly onto it.
    void setZoomPercent(int percent);
    // Says on the status line that the kit runs silent, and why in its tip.
    void showNoSound(const QString& reason);

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    TuneDialogs& dialogs() { return commands_->dialogs(); }
    void buildMenus();
    QMenu* buildInputMenu();
    void showMidiPorts();
    void showMidiStatus();
    void showTitle();
    void showFirstTune();
    void showAbout();
    void showStatus();
    void restoreSettings();

    KitSession* session_;
    Panel* panel_;
    QLabel* status_;
    QLabel* midiStatus_;
    TuneEditorPanel* editorPanel_;
    RecentFiles* recent_;
    TuneCommands* commands_;
    PcKeyInput* pcKeys_;
    std::unique_ptr<MidiKeyboard> midiKeyboard_;
    std::unique_ptr<MidiInput> midiInput_; // after the keyboard it plays, gone before it
    QMenu* midiPorts_ = nullptr;
    QActionGroup* midiPortGroup_ = nullptr;
    QList<QAction*> zoomActions_;
    int askedZoom_ = 0; // the menu's zoom last chosen; the board may show less
    QAction* editorShown_ = nullptr;
    bool soundless_ = false;
};

} // namespace korvel::qt
