// Main window: the board and editor laid out, the menus wired to the
// commands, the title and status line, and the window's events.
#include "host/qt/mainWindow.h"

#include "frontend/session/statusText.h"
#include "host/qt/aboutDialog.h"
#include "host/qt/fileDrops.h"
#include "host/qt/helpPage.h"
#include "host/qt/keyboardHelp.h"
#include "host/qt/kitSession.h"
#include "host/qt/midiInput.h"
#include "host/qt/panel.h"
#include "host/qt/pcKeyInput.h"
#include "host/qt/recentFiles.h"
#include "host/qt/tuneEditorPanel.h"
#include "host/qt/tuneTableView.h"
#include "host/qt/windowSettings.h"
#include "host/qt/zoomFit.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace korvel::qt {
namespace {

const char* const mainTitle = "KORVEL Simulator";
const char* const soundClaim = " (Music playable)";

} // namespace

MainWindow::MainWindow(SessionSound& sound, QWidget* parent)
    : QMainWindow(parent), session_(new KitSession(sound, this)), panel_(new Panel(*session_)),
      status_(new QLabel), midiStatus_(new QLabel) {
    editorPanel_ = new TuneEditorPanel(*session_);
    editorPanel_->hide();
    // A click on the board takes the keyboard back from the editor, so PC keys
    // play the kit; one on a kit key leaves it in the table, which may type the key.
    panel_->setFocusPolicy(Qt::ClickFocus);
    panel_->setKeyTaker(editorPanel_->table(),
                        [this](KeyId key) { return editorPanel_->table().takeKitKey(key); });
    auto* boardAndEditor = new QWidget;
    auto* row = new QHBoxLayout(boardAndEditor);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(panel_, 0, Qt::AlignTop);
    row->addWidget(editorPanel_);
    setCentralWidget(boardAndEditor);
    recent_ = new RecentFiles(this);
    commands_ = new TuneCommands(*session_, *editorPanel_, *recent_, *this);
    connect(commands_, &TuneCommands::tuneNamed, this, &MainWindow::showTitle);
    showTitle();
    pcKeys_ = new PcKeyInput(*session_, this);
    midiKeyboard_ = std::make_unique<MidiKeyboard>(session_->core(), &editorPanel_->editor());
    midiInput_ = std::make_unique<MidiInput>(midi::systemMidiDevices(), *midiKeyboard_,
                                             [this] { return editorPanel_->nowMs(); });
    status_->setAccessibleDescription(tr("Status"));
    statusBar()->addWidget(status_, 1);
    midiStatus_->setObjectName("midiStatus");
    midiStatus_->setAccessibleDescription(tr("MIDI input"));
    statusBar()->addPermanentWidget(midiStatus_);
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);

    connect(session_, &KitSession::ledChanged, this, &MainWindow::showStatus);
    connect(session_, &KitSession::stepChanged, this, &MainWindow::showStatus);
    buildMenus();
    restoreSettings();
    showStatus();
    showMidiStatus();
    connect(midiInput_.get(), &MidiInput::portsChanged, this, &MainWindow::showMidiPorts);
    connect(midiInput_.get(), &MidiInput::statusChanged, this, &MainWindow::showMidiStatus);
    // A note recorded is a new step in the table.
    connect(midiInput_.get(), &MidiInput::played, this, [this] {
        if (editorPanel_->editor().recording()) editorPanel_->refresh();
    });
}

// The editor outlives the menus' actions and the commands while the window goes.
MainWindow::~MainWindow() {
    disconnect(editorPanel_, nullptr, this, nullptr);
    disconnect(editorPanel_, nullptr, commands_, nullptr);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("fileMenu");
    file->addAction(tr("&Load..."), QKeySequence::Open, commands_, &TuneCommands::load)
        ->setObjectName("load");
    file->addAction(tr("&Save..."), QKeySequence::Save, commands_, &TuneCommands::save)
        ->setObjectName("save");
    QMenu* recent = file->addMenu(tr("Open &Recent"));
    recent->setObjectName("recent");
    recent_->showIn(*recent, [this](const QString& path) { loadFile(path); });
    QMenu* examples = file->addMenu(tr("Exa&mples"));
    examples->setObjectName("examples");
    for (const Example& example : builtInExamples())
        examples->addAction(QString::fromStdString(example.name.title).replace('&', "&&"),
                            commands_, [this, example] { commands_->loadExample(example); });
    examples->setEnabled(!examples->isEmpty());
    file->addSeparator();
    file->addAction(tr("&Import MIDI or Recording..."), QKeySequence(tr("Ctrl+I")), commands_,
                    &TuneCommands::importMidi)
        ->setObjectName("importMidi");
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    exportMenu->addAction(tr("&Audio (WAV)..."), commands_, &TuneCommands::exportWave)
        ->setObjectName("exportWave");
    exportMenu->addAction(tr("&MIDI..."), commands_, &TuneCommands::exportMidi)
        ->setObjectName("exportMidi");
    file->addSeparator();
    file->addAction(tr("E&xit"), QKeySequence(tr("Ctrl+Q")), this, &QWidget::close)
        ->setObjectName("exit");

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addActions({editorPanel_->undoAction(), editorPanel_->redoAction()});
    edit->addSeparator();
    edit->addActions(
        {editorPanel_->cutAction(), editorPanel_->copyAction(), editorPanel_->pasteAction()});
    edit->addSeparator();
    QAction* copyTune = edit->addAction(tr("&Copy Tune"), commands_, &TuneCommands::copyTune);
    copyTune->setObjectName("copyTune");
    QAction* pasteTune = edit->addAction(tr("&Paste Tune"), commands_, &TuneCommands::pasteTune);
    pasteTune->setObjectName("pasteTune");
    // Ctrl+C and Ctrl+V copy and paste rows while the editor has the keyboard, the tune otherwise.
    const auto shareClipboardKeys = [copyTune, pasteTune](bool editing) {
        copyTune->setShortcut(editing ? QKeySequence() : QKeySequence::Copy);
        pasteTune->setShortcut(editing ? QKeySequence() : QKeySequence::Paste);
    };
    shareClipboardKeys(false);
    connect(editorPanel_, &TuneEditorPanel::editingChanged, this, shareClipboardKeys);

    QMenu* operate = menuBar()->addMenu(tr("&Operate"));
    operate->addAction(tr("&Reset"), QKeySequence(tr("Ctrl+R")), commands_, &TuneCommands::reset)
        ->setObjectName("reset");
    operate->addSeparator();
    operate->addActions({editorPanel_->playFromRowAction(), editorPanel_->recordAction(),
                         editorPanel_->listenAction()});

    QMenu* input = buildInputMenu();

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
    editorShown_ = view->addAction(tr("&Tune Editor"), QKeySequence(tr("F2")), this,
                                   &MainWindow::showTuneEditor);
    editorShown_->setObjectName("tuneEditor");
    editorShown_->setCheckable(true);
    QAction* palette = editorPanel_->paletteAction();
    view->addAction(palette);
    // The palette's rows count in the window's size, as the editor's do.
    connect(palette, &QAction::toggled, this, [this] {
        if (askedZoom_) setZoomPercent(askedZoom_);
    });

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Keyboard"), QKeySequence::HelpContents, this,
                    [this] { showKeyboardHelp(*this); })
        ->setObjectName("keyboardHelp");
    help->addAction(tr("&Write Your First Tune"), this, &MainWindow::showFirstTune)
        ->setObjectName("firstTune");
    help->addAction(tr("&About KORVEL Simulator..."), this, &MainWindow::showAbout)
        ->setObjectName("about");

    // An open menu takes the keyboard, so a PC key's release would never arrive.
    for (QMenu* menu : {file, edit, operate, input, view, help})
        connect(menu, &QMenu::aboutToShow, session_, &KitSession::letGoAll);
}

QMenu* MainWindow::buildInputMenu() {
    QMenu* input = menuBar()->addMenu(tr("&Input"));
    input->setObjectName("inputMenu");
    midiPorts_ = input->addMenu(tr("&MIDI Keyboard"));
    midiPorts_->setObjectName("midiKeyboard");
    midiPortGroup_ = new QActionGroup(midiPorts_);
    showMidiPorts();
    return input;
}

// None, then each port present; a chosen port that is not is shown too, so
// the player sees what will open when it is plugged in.
void MainWindow::showMidiPorts() {
    midiPorts_->clear();
    const MidiPortChoice& choice = midiInput_->choice();
    const auto addPort = [&](const QString& text, const std::string& port) {
        QAction* action = midiPorts_->addAction(text);
        action->setCheckable(true);
        action->setChecked(port == choice.chosen());
        midiPortGroup_->addAction(action);
        const QString name = QString::fromStdString(port);
        connect(action, &QAction::triggered, this, [this, name] {
            const QString why = midiInput_->choose(name);
            if (!why.isEmpty()) dialogs().tell(tr("MIDI Keyboard"), why);
            // Not while the action that called is still at work.
            QMetaObject::invokeMethod(this, &MainWindow::showMidiPorts, Qt::QueuedConnection);
        });
        return action;
    };
    addPort(tr("&None"), {})->setObjectName("midiNone");
    midiPorts_->addSeparator();
    const std::vector<std::string>& ports = choice.ports();
    for (const std::string& port : ports)
        addPort(QString::fromStdString(port).replace('&', "&&"), port);
    if (ports.empty()) midiPorts_->addAction(tr("No MIDI keyboard found"))->setEnabled(false);
    if (!choice.chosen().empty() &&
        std::find(ports.begin(), ports.end(), choice.chosen()) == ports.end())
        addPort(tr("%1 (not connected)")
                    .arg(QString::fromStdString(choice.chosen()).replace('&', "&&")),
                choice.chosen());
}

void MainWindow::showMidiStatus() {
    // Half the line at most, so the kit's own status stays in sight; the whole in its tip.
    const QString text = midiInput_->statusText();
    midiStatus_->setText(midiStatus_->fontMetrics().elidedText(text, Qt::ElideRight, width() / 2));
    midiStatus_->setToolTip(text);
    midiStatus_->setVisible(!text.isEmpty());
}

// Paste and Reset leave a tune of no file: the title names none.
void MainWindow::showTitle() {
    const QString& shownFile = commands_->naming().shownFile();
    QString title = QString::fromLatin1(mainTitle) + QStringLiteral("[*]");
    if (!shownFile.isEmpty())
        title = QStringLiteral("%1[*] - %2")
                    .arg(QFileInfo(shownFile).fileName(), QString::fromLatin1(mainTitle));
    if (!soundless_) title += QString::fromLatin1(soundClaim);
    setWindowTitle(title);
    setWindowModified(tuneUnsaved());
}

// Beside the board where the screen has room, so its steps can be typed along.
void MainWindow::showFirstTune() {
    auto* page =
        new HelpPage(tr("Write Your First Tune"), QStringLiteral(":/help/firstTune.html"), this);
    page->adjustSize();
    const QRect board = frameGeometry();
    const QRect besideIt(board.topRight() + QPoint(1, 0), page->size().grownBy(frameAllowance));
    if (screen()->availableGeometry().contains(besideIt)) page->move(besideIt.topLeft());
    page->show();
}

void MainWindow::showAbout() {
    auto* about = new AboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::showStatus() {
    status_->setText(QString::fromStdString(statusText(session_->kit(), session_->soundingStep())));
}

void MainWindow::showNoSound(const QString& reason) {
    auto* note = new QLabel(tr("No sound device"));
    note->setObjectName("noSound");
    note->setToolTip(reason);
    statusBar()->addPermanentWidget(note);
    soundless_ = true;
    showTitle();
}

QString MainWindow::statusLine() const {
    return status_->text();
}

void MainWindow::setZoomPercent(int percent) {
    askedZoom_ = menuZoom(percent);
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen) screen = this->screen();
    const int shown = zoomThatFits(*this, *editorPanel_, askedZoom_, *screen);
    panel_->setZoomPercent(shown);
    editorPanel_->setZoomPercent(shown);
    // The window takes the new size at once, through the board and editor's row.
    centralWidget()->layout()->activate();
    if (isVisible()) keepOnScreen(*this, *screen);
    for (QAction* action : zoomActions_) action->setChecked(action->data().toInt() == shown);
    showMidiStatus();
}

void MainWindow::showTuneEditor(bool shown) {
    editorShown_->setChecked(shown);
    editorPanel_->setVisible(shown);
    if (shown)
        editorPanel_->setFocus(Qt::OtherFocusReason);
    else
        setFocus(Qt::OtherFocusReason);
    if (askedZoom_) setZoomPercent(askedZoom_);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (!pcKeys_->press(*event)) QMainWindow::keyPressEvent(event);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    if (!pcKeys_->release(*event)) QMainWindow::keyReleaseEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && !isActiveWindow()) session_->letGoAll();
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    session_->letGoAll();
    if (!commands_->mayDropTune()) return event->ignore();
    saveWindowSettings({geometry().topLeft(), askedZoom_, editorPanel_->isVisibleTo(this),
                        editorPanel_->paletteAction()->isChecked()});
    QMainWindow::closeEvent(event);
}

void MainWindow::restoreSettings() {
    const WindowSettings saved = readWindowSettings();
    // A position off every screen (a monitor since unplugged) would hide the window.
    const QScreen* screen = saved.position ? QGuiApplication::screenAt(*saved.position) : nullptr;
    if (screen) setGeometry(QRect(*saved.position, size()));
    editorPanel_->paletteAction()->setChecked(saved.paletteShown);
    showTuneEditor(saved.editorShown);
    setZoomPercent(saved.zoomPercent);
    // Whole on the free area, which may have shrunk since.
    if (screen) keepOnScreen(*this, *screen);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(*event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptAsCopy(*event);
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (acceptAsCopy(*event)) commands_->openDropped(droppedFile(*event));
}

} // namespace korvel::qt
