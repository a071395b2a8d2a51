// Main window: menus and commands, keyboard, clipboard, drops and settings.
#include "mainWindow.h"

#include "aboutDialog.h"
#include "keyboardTable.h"
#include "kitSession.h"
#include "panel.h"
#include "statusText.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>

#include <optional>

namespace korvel::qt {
namespace {

const char* const mainTitle = "KORVEL Simulator (Music playable)";
const char* const positionSetting = "window/position";
const char* const zoomSetting = "view/zoom";
const char* const recentSetting = "files/recent";
constexpr int recentFileCount = 8;
constexpr int zoomPercents[] = {100, 150, 200};
const char* const zoomLabels[] = {"&100 %", "1&50 %", "&200 %"};

// Letters, digits and Space by their key, whatever Shift does to them; "@" by
// the character typed, as layouts put it on different keys.
std::optional<KeyId> kitKeyOf(const QKeyEvent& event) {
    if (event.text() == QLatin1String("@")) return kitKeyForCharacter('@');
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return std::nullopt;
    const int key = event.key();
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z) ||
        key == Qt::Key_Space)
        return kitKeyForCharacter(static_cast<char>(key));
    if (key == Qt::Key_Backspace) return kitKeyForCharacter(backspaceCharacter);
    if (key == Qt::Key_Escape) return kitKeyForCharacter(escapeCharacter);
    return std::nullopt;
}

// The physical key: its scan code where the platform gives one, else its key code.
quint64 physicalKeyOf(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0) return event.nativeScanCode();
    return (quint64{1} << 32) | static_cast<quint32>(event.key());
}

// The table's help page, its key lines as a table.
QString keyboardHelpHtml() {
    QString rows, advice;
    for (const QString& line : QString::fromStdString(keyboardHelpText()).split('\n')) {
        const QStringList cells = line.split('\t');
        if (cells.size() == 2)
            rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(cells[0].toHtmlEscaped(), cells[1].toHtmlEscaped());
        else if (!line.isEmpty())
            advice += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    }
    return QStringLiteral("<table>%1</table>%2").arg(rows, advice);
}

} // namespace

MainWindow::MainWindow(SoundPort& sound, QWidget* parent)
    : QMainWindow(parent), session_(new KitSession(sound, this)), panel_(new Panel(*session_)),
      status_(new QLabel) {
    setWindowTitle(QString::fromLatin1(mainTitle));
    setCentralWidget(panel_);
    status_->setAccessibleDescription(tr("Status"));
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    tell_ = [this](const QString& caption, const QString& text) {
        QMessageBox::warning(this, caption, text);
    };
    choose_ = [this](FileChoice choice) { return chooseWithDialog(choice); };

    connect(session_, &KitSession::ledChanged, this, &MainWindow::showStatus);
    connect(session_, &KitSession::stepChanged, this, &MainWindow::showStatus);
    connect(session_, &KitSession::allLetGo, this, [this] { heldPcKeys_.clear(); });
    buildMenus();
    restoreSettings();
    showStatus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(tr("&Load..."), QKeySequence::Open, this, &MainWindow::load)
        ->setObjectName("load");
    file->addAction(tr("&Save..."), QKeySequence::Save, this, &MainWindow::save)
        ->setObjectName("save");
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    recentMenu_->setObjectName("recent");
    file->addSeparator();
    file->addAction(tr("E&xit"), QKeySequence(tr("Ctrl+Q")), this, &QWidget::close)
        ->setObjectName("exit");

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(tr("&Copy Tune"), QKeySequence::Copy, this, &MainWindow::copyTune)
        ->setObjectName("copyTune");
    edit->addAction(tr("&Paste Tune"), QKeySequence::Paste, this, &MainWindow::pasteTune)
        ->setObjectName("pasteTune");

    QMenu* operate = menuBar()->addMenu(tr("&Operate"));
    operate->addAction(tr("&Reset"), QKeySequence(tr("Ctrl+R")), session_, &KitSession::reset)
        ->setObjectName("reset");

    QMenu* view = menuBar()->addMenu(tr("&View"));
    QMenu* zoom = view->addMenu(tr("&Zoom"));
    auto* zoomGroup = new QActionGroup(this);
    for (size_t i = 0; i < std::size(zoomPercents); ++i) {
        const int percent = zoomPercents[i];
        QAction* action = zoom->addAction(tr(zoomLabels[i]));
        action->setShortcut(QKeySequence(tr("Ctrl+%1").arg(i + 1)));
        action->setCheckable(true);
        action->setData(percent);
        action->setObjectName(QStringLiteral("zoom%1").arg(percent));
        zoomGroup->addAction(action);
        connect(action, &QAction::triggered, this, [this, percent] { setZoomPercent(percent); });
        zoomActions_.append(action);
    }

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Keyboard"), QKeySequence::HelpContents, this,
                    &MainWindow::showKeyboardHelp)
        ->setObjectName("keyboardHelp");
    help->addAction(tr("&About KORVEL Simulator..."), this, &MainWindow::showAbout)
        ->setObjectName("about");

    // An open menu takes the keyboard, so a PC key's release would never arrive.
    for (QMenu* menu : {file, edit, operate, view, help})
        connect(menu, &QMenu::aboutToShow, session_, &KitSession::letGoAll);
    buildRecentMenu();
}

void MainWindow::buildRecentMenu() {
    recentMenu_->clear();
    const QStringList recent = QSettings().value(recentSetting).toStringList();
    for (const QString& path : recent) {
        recentMenu_
            ->addAction(QFileInfo(path).fileName().replace('&', "&&"), this,
                        [this, path] { loadFile(path); })
            ->setToolTip(path);
    }
    recentMenu_->setEnabled(!recent.isEmpty());
}

void MainWindow::rememberRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(recentSetting).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    settings.setValue(recentSetting, recent.mid(0, recentFileCount));
    buildRecentMenu();
}

void MainWindow::forgetRecent(const QString& path) {
    QSettings settings;
    QStringList recent = settings.value(recentSetting).toStringList();
    recent.removeAll(QFileInfo(path).absoluteFilePath());
    settings.setValue(recentSetting, recent);
    buildRecentMenu();
}

QString MainWindow::chooseWithDialog(FileChoice choice) {
    const bool saving = choice == FileChoice::Save;
    QFileDialog dialog(this, QString::fromLatin1(saving ? saveCaption : loadCaption));
    dialog.setNameFilters({tr("Data Files (*.dat)"), tr("All Files (*)")});
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QStringLiteral("dat"));
    const QStringList recent = QSettings().value(recentSetting).toStringList();
    if (!recent.isEmpty()) dialog.setDirectory(QFileInfo(recent.first()).absolutePath());
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

void MainWindow::report(const FileResult& result) {
    if (!result.message.empty())
        tell_(QString::fromLatin1(result.caption),
              QString::fromStdString(messageText(result, true)));
}

bool MainWindow::loadFile(const QString& path) {
    const FileResult result = session_->loadFile(path);
    report(result);
    if (result.outcome == FileOutcome::Done) rememberRecent(path);
    if (result.outcome == FileOutcome::CantOpen) forgetRecent(path);
    return result.outcome == FileOutcome::Done;
}

void MainWindow::load() {
    const QString path = choose_(FileChoice::Load);
    if (!path.isEmpty()) loadFile(path);
}

void MainWindow::save() {
    const QString path = choose_(FileChoice::Save);
    if (path.isEmpty()) return;
    const FileResult result = session_->saveFile(path);
    report(result);
    if (result.outcome == FileOutcome::Done) rememberRecent(path);
}

void MainWindow::copyTune() {
    QGuiApplication::clipboard()->setText(QString::fromLatin1(session_->scriptBytes()));
}

void MainWindow::pasteTune() {
    report(session_->loadText(QGuiApplication::clipboard()->text().toUtf8()));
}

void MainWindow::showKeyboardHelp() {
    auto* box = new QMessageBox(QMessageBox::Information, tr("Keyboard"), keyboardHelpHtml(),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void MainWindow::showAbout() {
    auto* about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::showStatus() {
    status_->setText(QString::fromStdString(statusText(session_->kit(), session_->soundingStep())));
}

QString MainWindow::statusLine() const {
    return status_->text();
}

void MainWindow::onMelodyNoteDone() {
    session_->onMelodyNoteDone();
}

void MainWindow::setZoomPercent(int percent) {
    if (std::find(std::begin(zoomPercents), std::end(zoomPercents), percent) ==
        std::end(zoomPercents))
        percent = zoomPercents[0];
    panel_->setZoomPercent(percent);
    for (QAction* action : zoomActions_) action->setChecked(action->data().toInt() == percent);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const std::optional<KeyId> key = kitKeyOf(*event);
    if (!key) return QMainWindow::keyPressEvent(event);
    event->accept();
    const quint64 physical = physicalKeyOf(*event);
    if (event->isAutoRepeat() || heldPcKeys_.contains(physical)) return;
    heldPcKeys_.insert(physical, *key);
    session_->hold(*key);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    const auto held = heldPcKeys_.find(physicalKeyOf(*event));
    if (held == heldPcKeys_.end()) return QMainWindow::keyReleaseEvent(event);
    event->accept();
    if (event->isAutoRepeat()) return;
    const KeyId key = *held;
    heldPcKeys_.erase(held);
    session_->letGo(key);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) session_->letGoAll();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    session_->letGoAll();
    QSettings settings;
    settings.setValue(positionSetting, pos());
    settings.setValue(zoomSetting, panel_->zoomPercent());
    QMainWindow::closeEvent(event);
}

void MainWindow::restoreSettings() {
    QSettings settings;
    setZoomPercent(settings.value(zoomSetting, zoomPercents[0]).toInt());
    const QVariant position = settings.value(positionSetting);
    // A position off every screen (a monitor since unplugged) would hide the window.
    if (position.isValid() && QGuiApplication::screenAt(position.toPoint()))
        move(position.toPoint());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return;
    event->acceptProposedAction();
    loadFile(urls.first().toLocalFile());
}

} // namespace korvel::qt
