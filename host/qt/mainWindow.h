// The main window: the board at a fixed size with a status line under it, the
// menus, the PC keyboard, the clipboard, dropped files and the remembered
// position and zoom. The title names the script last loaded or saved.
//
// Messages and file choices go through two replaceable functions, so that a
// test can drive every command without a modal box. A cancelled choice is an
// empty path and shows nothing.
#pragma once

#include "files/scriptFile.h"
#include "frontend/session.h"
#include "model/kit.h"

#include <QHash>
#include <QMainWindow>

#include <functional>

class QLabel;
class QMenu;

namespace korvel::qt {

class KitSession;
class Panel;

class MainWindow final : public QMainWindow {
    Q_OBJECT

  public:
    enum class FileChoice { Load, Save };
    using MessageSink = std::function<void(const QString& caption, const QString& text)>;
    using FileChooser = std::function<QString(FileChoice choice)>;

    // How long a PC key's release waits for a press that makes it an
    // auto-repeat. Both come at once, but the press may be read a moment
    // later: long enough for a busy machine, short enough that a note does not
    // audibly outlast its key.
    static constexpr int autoRepeatPairMs = 20;

    explicit MainWindow(SessionSound& sound, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setMessageSink(MessageSink sink) { tell_ = std::move(sink); }
    void setFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }

    KitSession& session() { return *session_; }
    Panel& panel() { return *panel_; }
    QString statusLine() const;

    // Loads a script file, telling the user of any failure; true when loaded.
    bool loadFile(const QString& path);
    // The zoom asked for, or the largest smaller one with which the window
    // fits its screen's free area.
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
    void buildMenus();
    void buildRecentMenu();
    void rememberRecent(const QString& path);
    void forgetRecent(const QString& path);
    void load();
    void save();
    void reset();
    void copyTune();
    void pasteTune();
    void showKeyboardHelp();
    void showFirstTune();
    void showAbout();
    void showStatus();
    void report(const FileResult& result);
    void showFileName(const QString& path);
    void letGoOfPcKey(quint64 physical, quint64 releasedAt);
    bool acceptAsCopy(QDropEvent& event);
    QString chooseWithDialog(FileChoice choice);
    void restoreSettings();
    // Menu bar, status line and frame: the window's size beyond the board.
    QSize chromeSize() const;

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
    FileChooser choose_;
};

} // namespace korvel::qt
