// The main window: the board at a fixed size with a status line under it and
// the tune editor beside it when shown, the menus, the PC keyboard, the
// clipboard, dropped files and the remembered position, zoom and editor. The
// title names the file the tune in memory came from or went into: a script, a
// built-in example or an imported MIDI file; it follows the memory through
// undo, marks changes not saved, and claims music only with a sound device.
// Save and Copy Tune write the whole tune, its start address and tempo with
// it; before a load, an import or Exit drops a tune not saved (an import is
// not saved until Save), the user is asked.
//
// Messages, file choices, the import's choices and that question go through
// replaceable functions, so that a test can drive every command without a
// modal box. A cancelled choice is an empty path (or no options) and shows
// nothing.
#pragma once

#include "files/scriptFile.h"
#include "formats/tuneImport.h"
#include "frontend/session/session.h"
#include "frontend/editor/tuneHistory.h"
#include "host/qt/tuneTools.h"
#include "model/kit.h"

#include <QHash>
#include <QMainWindow>

#include <functional>
#include <optional>
#include <vector>

class QLabel;
class QMenu;
class QScreen;

namespace korvel::qt {

class KitSession;
class Panel;
class TuneEditorPanel;

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    enum class FileChoice { Load, Save, ImportMidi, ExportWave, ExportMidi };
    using MessageSink = std::function<void(const QString& caption, const QString& text)>;
    using FileChooser = std::function<QString(FileChoice choice)>;
    using ImportChooser = std::function<std::optional<formats::ImportOptions>(
        const QString& path, std::vector<formats::VoiceChoice> voices)>;
    // What to do with a tune not saved that a command would drop.
    enum class UnsavedChoice { Save, Discard, Cancel };
    using UnsavedAsker = std::function<UnsavedChoice()>;
    // Whether to export a tune that never ends: true for Export, false for Cancel.
    using ExportAsker = std::function<bool(const QString& caption, const QString& question)>;

    // How long a PC key's release waits for a press that makes it an
    // auto-repeat. Both come at once, but the press may be read a moment
    // later: long enough for a busy machine, short enough that a note does not
    // audibly outlast its key.
    static constexpr int autoRepeatPairMs = 20;

    explicit MainWindow(SessionSound& sound, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What went wrong, as a warning.
    void setMessageSink(MessageSink sink) { tell_ = std::move(sink); }
    // What a command did, as information (the import's report).
    void setReportSink(MessageSink sink) { inform_ = std::move(sink); }
    void setFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }
    void setImportChooser(ImportChooser chooser) { chooseImport_ = std::move(chooser); }
    void setUnsavedAsker(UnsavedAsker asker) { askUnsaved_ = std::move(asker); }
    void setExportAsker(ExportAsker asker) { askExport_ = std::move(asker); }

    KitSession& session() { return *session_; }
    Panel& panel() { return *panel_; }
    TuneEditorPanel& tuneEditor() { return *editorPanel_; }
    void showTuneEditor(bool shown);
    QString statusLine() const;

    // Loads a script file, telling the user of any failure; true when loaded.
    // Like every command that replaces the tune, it first asks about a tune not saved.
    bool loadFile(const QString& path);
    // Asks for the import's choices and loads the tune; the memory stays as
    // it was unless the whole import succeeds. Choices the import refuses are
    // asked for again, as they were, until they succeed or are cancelled.
    // True when loaded.
    bool importMidiFile(const QString& path);
    // The tune is none loaded or saved (an import is neither), and memory is
    // not blank (as Reset leaves it).
    bool tuneUnsaved() const;
    // The zoom asked for, or the largest smaller one with which the window,
    // the editor's text zoomed with the board, fits its screen's free area;
    // the window then moves wholly onto it.
    void setZoomPercent(int percent);
    // The file a file dialog proposes: Save the file the tune came from or
    // went into, or a script named after it; an export a file beside it.
    QString proposedPath(FileChoice choice) const;
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
    void buildMenus();
    void buildRecentMenu();
    void rememberRecent(const QString& path);
    void forgetRecent(const QString& path);
    // True when the tune in memory may go: saved, unchanged, or the user says so.
    bool mayDropTune();
    bool openScript(const QString& path);
    bool importChosen(const QString& path);
    void load();
    bool save();
    void buildExamplesMenu(QMenu& menu);
    void loadExample(const Example& example);
    void importMidi();
    void exportWave();
    void exportMidi();
    void exportTune(const TuneExport& exported, FileChoice choice, const char* caption);
    // The tune in memory came from path (a file, an import) or went into it,
    // and the title shows shownFile (an example's has no path); saved when it
    // is the file's (or example's) own.
    void nameTune(const TuneName& name, const QString& path, const QString& shownFile, bool saved);
    // The tune in memory changed: the name of the same memory seen before, or
    // the name kept for the changed tune.
    void followTune();
    void showTitle();
    QString defaultExportPath(const char* extension) const;
    void reset();
    void copyTune();
    void pasteTune();
    void showKeyboardHelp();
    void showFirstTune();
    void showAbout();
    void showStatus();
    void report(const FileResult& result);
    void reportLoad(const FileResult& result);
    void letGoOfPcKey(quint64 physical, quint64 releasedAt);
    bool acceptAsCopy(QDropEvent& event);
    QString chooseWithDialog(FileChoice choice);
    std::optional<formats::ImportOptions>
    chooseImportWithDialog(const QString& path, std::vector<formats::VoiceChoice> voices);
    void restoreSettings();
    // Menu bar, status line and frame: the window's size beyond the board and editor.
    QSize chromeSize() const;
    // The window's size, frame and all, with the board and editor at percent.
    QSize windowSizeAt(int percent);
    // Moves the window, frame and all, wholly onto the screen's free area.
    void keepOnScreen(const QScreen& screen);

    KitSession* session_;
    Panel* panel_;
    QLabel* status_;
    QMenu* recentMenu_ = nullptr;
    QList<QAction*> zoomActions_;
    int askedZoom_ = 0; // the menu's zoom last chosen; the board may show less
    // Kit keys held from the PC keyboard, by physical key, so the release
    // reaches the key the press did even if Shift changed in between.
    QHash<quint64, KeyId> heldPcKeys_;
    // Their releases wait a moment, by release time: some X servers send a
    // held key's auto-repeat as a release and a press of the same time that
    // Qt does not always flag.
    QHash<quint64, quint64> releasesPending_;
    MessageSink tell_;
    MessageSink inform_;
    FileChooser choose_;
    ImportChooser chooseImport_;
    UnsavedAsker askUnsaved_;
    ExportAsker askExport_;
    TuneEditorPanel* editorPanel_;
    QAction* editorShown_ = nullptr;
    QAction* copyTune_ = nullptr;
    QAction* pasteTune_ = nullptr;
    // Each memory seen and the name it had, so that undo brings the name back
    // with the tune; as many as the undo history's steps.
    struct NamedTune {
        TuneSnapshot tune;
        TuneName name;
        QString path;      // the file on disk the tune came from or went into, if any
        QString shownFile; // what the title names
        bool saved;
    };
    const NamedTune* namedTune(const TuneSnapshot& tune) const;
    std::vector<NamedTune> namedTunes_;
    // The import's choices last made, and for which file, to offer them again.
    QString importChoicePath_;
    formats::ImportOptions importChoice_;
    TuneName tuneName_ = untitledTune();
    QString tunePath_;
    QString shownFile_;
    bool soundless_ = false;
};

} // namespace korvel::qt
