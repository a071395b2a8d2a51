// The main window: the board at a fixed size with a status line under it, the
// menus, the PC keyboard, the clipboard, dropped files and the remembered
// position and zoom.
//
// Messages and file choices go through two replaceable functions, so that a
// test can drive every command without a modal box. A cancelled choice is an
// empty path and shows nothing.
#pragma once

#include "kit.h"
#include "scriptFile.h"

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

    explicit MainWindow(SoundPort& sound, QWidget* parent = nullptr);
    ~MainWindow() override;

    void setMessageSink(MessageSink sink) { tell_ = std::move(sink); }
    void setFileChooser(FileChooser chooser) { choose_ = std::move(chooser); }

    KitSession& session() { return *session_; }
    Panel& panel() { return *panel_; }
    QString statusLine() const;

    // Loads a script file, telling the user of any failure; true when loaded.
    bool loadFile(const QString& path);
    void setZoomPercent(int percent);

  public slots:
    // The sound's report that the melody's note ended by itself.
    void onMelodyNoteDone();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildMenus();
    void buildRecentMenu();
    void rememberRecent(const QString& path);
    void forgetRecent(const QString& path);
    void load();
    void save();
    void copyTune();
    void pasteTune();
    void showKeyboardHelp();
    void showAbout();
    void showStatus();
    void report(const FileResult& result);
    QString chooseWithDialog(FileChoice choice);
    void restoreSettings();

    KitSession* session_;
    Panel* panel_;
    QLabel* status_;
    QMenu* recentMenu_ = nullptr;
    QList<QAction*> zoomActions_;
    // Kit keys held from the PC keyboard, by physical key, so the release
    // reaches the key the press did even if Shift changed in between.
    QHash<quint64, KeyId> heldPcKeys_;
    MessageSink tell_;
    FileChooser choose_;
};

} // namespace korvel::qt
