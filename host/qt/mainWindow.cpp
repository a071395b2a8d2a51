// Main window: menus and commands, keyboard, clipboard, drops and settings.
#include "host/qt/mainWindow.h"

#include "formats/tuneConvert.h"
#include "frontend/commands/importChoices.h"
#include "frontend/input/keyboardTable.h"
#include "frontend/session/statusText.h"
#include "host/qt/aboutDialog.h"
#include "host/qt/helpPage.h"
#include "host/qt/importDialog.h"
#include "host/qt/kitSession.h"
#include "host/qt/panel.h"
#include "host/qt/tuneEditorPanel.h"

#include <QActionGroup>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QtMath>

#include <algorithm>
#include <functional>
#include <optional>

namespace korvel::qt {
namespace {

const char* const mainTitle = "KORVEL Simulator";
const char* const soundClaim = " (Music playable)";
// The top left of the window's inside: the frame is the window manager's,
// and placing the inside brings the frame back exactly where it was.
const char* const positionSetting = "window/clientPosition";
const char* const zoomSetting = "view/zoom";
const char* const editorSetting = "view/tuneEditor";
const char* const recentSetting = "files/recent";
constexpr int recentFileCount = 8;
constexpr int exportedNoteMs = 5000; // long enough to read, then the kit's status again
constexpr int zoomPercents[] = {100, 150, 200};
const char* const zoomLabels[] = {"&100 %", "1&50 %", "&200 %"};
// A screen too small for the board at 100 % gets it smaller, down to this.
constexpr int smallestZoomPercent = 25;
// Room kept for a title bar and borders while the window's own frame is
// unknown (before it is first shown).
constexpr QMargins frameAllowance(8, 32, 8, 8);

// What each file dialog asks for, by FileChoice.
struct FileDialogKind {
    const char* caption;
    const char* filter;
    const char* suffix;
    bool saving;
};
const char* const scriptFilter = QT_TRANSLATE_NOOP("MainWindow", "Data Files (*.dat)");
const char* const midiFilter = QT_TRANSLATE_NOOP("MainWindow", "MIDI Files (*.mid *.midi)");
const FileDialogKind& fileDialogKind(MainWindow::FileChoice choice) {
    using Choice = MainWindow::FileChoice;
    static const FileDialogKind load{loadCaption, scriptFilter, "dat", false},
        save{saveCaption, scriptFilter, "dat", true},
        importMidi{importCaption, midiFilter, "mid", false},
        exportWave{exportWaveCaption, QT_TRANSLATE_NOOP("MainWindow", "WAV Audio (*.wav)"), "wav",
                   true},
        exportMidi{exportMidiCaption, midiFilter, "mid", true};
    switch (choice) {
    case Choice::Load: return load;
    case Choice::Save: return save;
    case Choice::ImportMidi: return importMidi;
    case Choice::ExportWave: return exportWave;
    case Choice::ExportMidi: return exportMidi;
    }
    return load;
}

bool isMidiFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mid") || suffix == QLatin1String("midi");
}

// Warnings first, as korvel-cli puts them, then the import's report.
QString importReportText(const formats::MidiImport& imported) {
    QString text;
    for (const std::string& warning : imported.warnings)
        text += QStringLiteral("Warning: %1\n").arg(QString::fromStdString(warning));
    if (!text.isEmpty()) text += '\n';
    return text + QString::fromStdString(imported.report).trimmed();
}

// A report's "label:  value" lines as a table, its columns kept in any font;
// other lines (the warnings) as paragraphs above it.
QString reportHtml(const QString& text) {
    static const QRegularExpression labelled(QStringLiteral("^([^:]+:)\\s{2,}(.*)$"));
    QString paragraphs, rows;
    for (const QString& line : text.split('\n')) {
        const QRegularExpressionMatch match = labelled.match(line);
        if (match.hasMatch())
            rows += QStringLiteral("<tr valign=\"top\"><td>%1&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(match.captured(1).toHtmlEscaped(), match.captured(2).toHtmlEscaped());
        else if (!line.isEmpty())
            paragraphs += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
    }
    return QStringLiteral("%1<table>%2</table>").arg(paragraphs, rows);
}

// Qt's codes of printable keys are their characters, letters in upper case
// whatever Shift does; Backspace and Esc become their control characters.
std::optional<KeyId> kitKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const char character = key < 0x80                 ? static_cast<char>(key)
                           : key == Qt::Key_Backspace ? backspaceCharacter
                           : key == Qt::Key_Escape    ? escapeCharacter
                                                      : '\0';
    const QString text = event.text();
    const char typed = text.size() == 1 ? text[0].toLatin1() : '\0';
    const bool commandHeld =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return kitKeyForPcKey(character, typed, commandHeld);
}

// The physical key: its scan code where the platform gives one, else its key code.
quint64 physicalKeyOf(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0) return event.nativeScanCode();
    return (quint64{1} << 32) | static_cast<quint32>(event.key());
}

// The zoom asked for if the window fits at it, else the largest smaller menu
// zoom with which it fits, else the largest whole percent that does.
int fittingZoom(int asked, const std::function<bool(int percent)>& fits) {
    for (auto z = std::rbegin(zoomPercents); z != std::rend(zoomPercents); ++z)
        if (*z <= asked && fits(*z)) return *z;
    int percent = zoomPercents[0] - 1;
    while (percent > smallestZoomPercent && !fits(percent)) --percent;
    return percent;
}

} // namespace

MainWindow::MainWindow(SessionSound& sound, QWidget* parent)
    : QMainWindow(parent), session_(new KitSession(sound, this)), panel_(new Panel(*session_)),
      status_(new QLabel) {
    editorPanel_ = new TuneEditorPanel(*session_);
    editorPanel_->hide();
    // A click on the board takes the keyboard back from the editor, so PC keys play the kit.
    panel_->setFocusPolicy(Qt::ClickFocus);
    auto* boardAndEditor = new QWidget;
    auto* row = new QHBoxLayout(boardAndEditor);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(panel_, 0, Qt::AlignTop);
    row->addWidget(editorPanel_);
    setCentralWidget(boardAndEditor);
    nameTune(untitledTune(), {}, {}, true);
    connect(editorPanel_, &TuneEditorPanel::tuneChanged, this, &MainWindow::followTune);
    status_->setAccessibleDescription(tr("Status"));
    statusBar()->addWidget(status_, 1);
    statusBar()->setSizeGripEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    tell_ = [this](const QString& caption, const QString& text) {
        QMessageBox::warning(this, caption, text);
    };
    inform_ = [this](const QString& caption, const QString& text) {
        QMessageBox box(QMessageBox::Information, caption, reportHtml(text), QMessageBox::Ok, this);
        box.setTextFormat(Qt::RichText);
        box.exec();
    };
    choose_ = [this](FileChoice choice) { return chooseWithDialog(choice); };
    askExport_ = [this](const QString& caption, const QString& question) {
        QMessageBox box(QMessageBox::Question, caption, question, QMessageBox::Cancel, this);
        const QAbstractButton* go = box.addButton(tr("Export"), QMessageBox::AcceptRole);
        box.setDefaultButton(QMessageBox::Cancel);
        box.exec();
        return box.clickedButton() == go;
    };
    askUnsaved_ = [this] {
        const auto answer = QMessageBox::question(
            this, tr("Unsaved Tune"),
            tr("The tune in memory has changes that are not saved.\nSave them first?"),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        return answer == QMessageBox::Save      ? UnsavedChoice::Save
               : answer == QMessageBox::Discard ? UnsavedChoice::Discard
                                                : UnsavedChoice::Cancel;
    };
    chooseImport_ = [this](const QString& path, std::vector<formats::VoiceChoice> voices) {
        return chooseImportWithDialog(path, std::move(voices));
    };

    connect(session_, &KitSession::ledChanged, this, &MainWindow::showStatus);
    connect(session_, &KitSession::stepChanged, this, &MainWindow::showStatus);
    connect(session_, &KitSession::allLetGo, this, [this] {
        heldPcKeys_.clear();
        releasesPending_.clear();
    });
    buildMenus();
    restoreSettings();
    showStatus();
}

// The editor outlives the menus' actions while the window goes.
MainWindow::~MainWindow() {
    disconnect(editorPanel_, nullptr, this, nullptr);
}

void MainWindow::buildMenus() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("fileMenu");
    file->addAction(tr("&Load..."), QKeySequence::Open, this, &MainWindow::load)
        ->setObjectName("load");
    file->addAction(tr("&Save..."), QKeySequence::Save, this, &MainWindow::save)
        ->setObjectName("save");
    recentMenu_ = file->addMenu(tr("Open &Recent"));
    recentMenu_->setObjectName("recent");
    QMenu* examples = file->addMenu(tr("Exa&mples"));
    examples->setObjectName("examples");
    buildExamplesMenu(*examples);
    file->addSeparator();
    file->addAction(tr("&Import MIDI..."), QKeySequence(tr("Ctrl+I")), this,
                    &MainWindow::importMidi)
        ->setObjectName("importMidi");
    QMenu* exportMenu = file->addMenu(tr("&Export"));
    exportMenu->addAction(tr("&Audio (WAV)..."), this, &MainWindow::exportWave)
        ->setObjectName("exportWave");
    exportMenu->addAction(tr("&MIDI..."), this, &MainWindow::exportMidi)
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
    copyTune_ = edit->addAction(tr("&Copy Tune"), this, &MainWindow::copyTune);
    copyTune_->setObjectName("copyTune");
    pasteTune_ = edit->addAction(tr("&Paste Tune"), this, &MainWindow::pasteTune);
    pasteTune_->setObjectName("pasteTune");
    // Ctrl+C and Ctrl+V copy and paste rows while the editor has the keyboard, the tune otherwise.
    const auto shareClipboardKeys = [this](bool editing) {
        copyTune_->setShortcut(editing ? QKeySequence() : QKeySequence::Copy);
        pasteTune_->setShortcut(editing ? QKeySequence() : QKeySequence::Paste);
    };
    shareClipboardKeys(false);
    connect(editorPanel_, &TuneEditorPanel::editingChanged, this, shareClipboardKeys);

    QMenu* operate = menuBar()->addMenu(tr("&Operate"));
    operate->addAction(tr("&Reset"), QKeySequence(tr("Ctrl+R")), this, &MainWindow::reset)
        ->setObjectName("reset");
    operate->addSeparator();
    operate->addActions({editorPanel_->playFromRowAction(), editorPanel_->recordAction()});

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

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(tr("&Keyboard"), QKeySequence::HelpContents, this,
                    &MainWindow::showKeyboardHelp)
        ->setObjectName("keyboardHelp");
    help->addAction(tr("&Write Your First Tune"), this, &MainWindow::showFirstTune)
        ->setObjectName("firstTune");
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
    const FileDialogKind& kind = fileDialogKind(choice);
    QFileDialog dialog(this, QString::fromLatin1(kind.caption));
    dialog.setNameFilters({tr(kind.filter), tr("All Files (*)")});
    dialog.setAcceptMode(kind.saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(kind.saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(QString::fromLatin1(kind.suffix));
    const QStringList recent = QSettings().value(recentSetting).toStringList();
    if (!recent.isEmpty()) dialog.setDirectory(QFileInfo(recent.first()).absolutePath());
    const QString proposed = proposedPath(choice);
    if (!proposed.isEmpty()) dialog.selectFile(proposed);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.selectedFiles().value(0);
}

std::optional<formats::ImportOptions>
MainWindow::chooseImportWithDialog(const QString& path, std::vector<formats::VoiceChoice> voices) {
    ImportDialog dialog(QFileInfo(path).fileName(), std::move(voices), this);
    if (path == importChoicePath_) dialog.setOptions(importChoice_);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    importChoicePath_ = path;
    importChoice_ = dialog.options();
    return importChoice_;
}

QString MainWindow::proposedPath(FileChoice choice) const {
    switch (choice) {
    case FileChoice::Save:
        return tunePath_.isEmpty() || isMidiFileName(tunePath_) ? defaultExportPath("dat")
                                                                : tunePath_;
    case FileChoice::ExportWave:
    case FileChoice::ExportMidi: return defaultExportPath(fileDialogKind(choice).suffix);
    case FileChoice::Load:
    case FileChoice::ImportMidi: break;
    }
    return {};
}

// Beside the file the tune came from, named after it, never over it.
QString MainWindow::defaultExportPath(const char* extension) const {
    const QStringList recent = QSettings().value(recentSetting).toStringList();
    const QString folder = !tunePath_.isEmpty() ? QFileInfo(tunePath_).absolutePath()
                           : !recent.isEmpty()  ? QFileInfo(recent.first()).absolutePath()
                                                : QDir::homePath();
    const QString suffix = QStringLiteral(".") + QString::fromLatin1(extension);
    const QString path = QDir(folder).filePath(tuneName_.fileStem + suffix);
    if (QFileInfo(path) != QFileInfo(tunePath_)) return path;
    return QDir(folder).filePath(tuneName_.fileStem + QStringLiteral("-korvel") + suffix);
}

void MainWindow::report(const FileResult& result) {
    if (!result.message.empty())
        tell_(QString::fromLatin1(result.caption),
              QString::fromStdString(messageText(result, true)));
}

// A tune loaded says nothing unless characters of its script were skipped.
void MainWindow::reportLoad(const FileResult& result) {
    if (result.outcome == FileOutcome::Done && result.skipped != 0)
        return tell_(QString::fromLatin1(result.caption), QString::fromStdString(result.notice));
    report(result);
}

bool MainWindow::tuneUnsaved() const {
    const NamedTune* named = namedTune(takeSnapshot(session_->kit()));
    const auto& memory = session_->kit().memory;
    const bool blank = std::all_of(memory.begin(), memory.end(), [](auto n) { return n == 0; });
    return !(named && named->saved) && !blank;
}

const MainWindow::NamedTune* MainWindow::namedTune(const TuneSnapshot& tune) const {
    const auto named = std::find_if(namedTunes_.begin(), namedTunes_.end(),
                                    [&](const NamedTune& n) { return n.tune == tune; });
    return named == namedTunes_.end() ? nullptr : &*named;
}

bool MainWindow::mayDropTune() {
    if (!tuneUnsaved()) return true;
    switch (askUnsaved_()) {
    case UnsavedChoice::Save: return save();
    case UnsavedChoice::Discard: return true;
    case UnsavedChoice::Cancel: break;
    }
    return false;
}

bool MainWindow::loadFile(const QString& path) {
    return mayDropTune() && openScript(path);
}

bool MainWindow::openScript(const QString& path) {
    const FileResult result = session_->loadFile(path);
    editorPanel_->refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) {
        forgetRecent(path);
        return false;
    }
    rememberRecent(path);
    nameTune(nameOfScriptFile(path), path, path, true);
    return true;
}

void MainWindow::load() {
    if (!mayDropTune()) return;
    const QString path = choose_(FileChoice::Load);
    if (!path.isEmpty()) openScript(path);
}

// Named after the file unless the tune has a title of its own.
bool MainWindow::save() {
    const QString path = choose_(FileChoice::Save);
    if (path.isEmpty()) return false;
    const TuneName name = tuneName_.title == untitledTune().title ? nameOfFile(path) : tuneName_;
    const FileResult result = session_->saveFile(path, name.title);
    report(result);
    if (result.outcome != FileOutcome::Done) return false;
    rememberRecent(path);
    nameTune({name.title, nameOfFile(path).fileStem}, path, path, true);
    return true;
}

void MainWindow::buildExamplesMenu(QMenu& menu) {
    for (const Example& example : builtInExamples())
        menu.addAction(QString(example.title).replace('&', "&&"), this,
                       [this, example] { loadExample(example); });
    menu.setEnabled(!menu.isEmpty());
}

void MainWindow::loadExample(const Example& example) {
    if (!mayDropTune()) return;
    const FileResult result = session_->loadScript(example.script, example.fileName);
    editorPanel_->refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) return;
    nameTune(nameOfScript(example.script, nameOfFile(example.fileName)), {}, example.fileName,
             true);
}

void MainWindow::importMidi() {
    if (!mayDropTune()) return;
    const QString path = choose_(FileChoice::ImportMidi);
    if (!path.isEmpty()) importChosen(path);
}

bool MainWindow::importMidiFile(const QString& path) {
    return mayDropTune() && importChosen(path);
}

bool MainWindow::importChosen(const QString& path) {
    const MidiFileRead read = readMidiFile(path);
    if (read.result.outcome != FileOutcome::Done) {
        report(read.result);
        return false;
    }
    const std::vector<formats::VoiceChoice> voices = formats::voiceChoices(read.song);
    const QString fileName = QFileInfo(path).fileName();
    formats::MidiImport imported{};
    while (!imported.ok) {
        std::optional<formats::ImportOptions> options = chooseImport_(path, voices);
        if (!options) return false;
        options->advice = dialogAdvice();
        imported = formats::importMidi(read.bytes, *options, fileName.toStdString());
        if (!imported.ok) report(cantImport(path, imported.error));
    }
    const QByteArray script = QByteArray::fromStdString(imported.script);
    const FileResult loaded = session_->loadScript(script, fileName);
    editorPanel_->refresh();
    reportLoad(loaded);
    if (loaded.outcome != FileOutcome::Done) return false;
    nameTune(nameOfScript(script, nameOfFile(path)), path, path, false);
    inform_(QString::fromLatin1(importCaption), importReportText(imported));
    return true;
}

void MainWindow::exportWave() {
    exportTune(TuneExport::wave(session_->kit()), FileChoice::ExportWave, exportWaveCaption);
}

void MainWindow::exportMidi() {
    exportTune(TuneExport::midi(session_->kit(), tuneName_.title), FileChoice::ExportMidi,
               exportMidiCaption);
}

// A tune that cannot be exported says so, and one that never ends asks,
// before a file is asked for.
void MainWindow::exportTune(const TuneExport& exported, FileChoice choice, const char* caption) {
    const QString shownCaption = QString::fromLatin1(caption);
    if (!exported.fault().empty())
        return tell_(shownCaption, QString::fromStdString(exported.fault()));
    if (!exported.question().empty() &&
        !askExport_(shownCaption, QString::fromStdString(exported.question())))
        return;
    const QString path = choose_(choice);
    if (path.isEmpty()) return;
    const FileResult written = exported.writeTo(path, caption);
    report(written);
    if (written.outcome != FileOutcome::Done) return;
    statusBar()->showMessage(tr("Exported %1").arg(QFileInfo(path).fileName()), exportedNoteMs);
}

void MainWindow::nameTune(const TuneName& name, const QString& path, const QString& shownFile,
                          bool saved) {
    NamedTune named{takeSnapshot(session_->kit()), name, path, shownFile, saved};
    namedTunes_.erase(std::remove_if(namedTunes_.begin(), namedTunes_.end(),
                                     [&](const NamedTune& n) { return n.tune == named.tune; }),
                      namedTunes_.end());
    namedTunes_.push_back(std::move(named));
    followTune();
}

// A changed tune keeps its name: it is the same tune, changed, until saved.
void MainWindow::followTune() {
    const TuneSnapshot now = takeSnapshot(session_->kit());
    const NamedTune* named = namedTune(now);
    if (!named) {
        namedTunes_.push_back({now, tuneName_, tunePath_, shownFile_, false});
        named = &namedTunes_.back();
    }
    tuneName_ = named->name;
    tunePath_ = named->path;
    shownFile_ = named->shownFile;
    showTitle();
}

// Paste and Reset leave a tune of no file: the title names none.
void MainWindow::showTitle() {
    QString title = QString::fromLatin1(mainTitle) + QStringLiteral("[*]");
    if (!shownFile_.isEmpty())
        title = QStringLiteral("%1[*] - %2")
                    .arg(QFileInfo(shownFile_).fileName(), QString::fromLatin1(mainTitle));
    if (!soundless_) title += QString::fromLatin1(soundClaim);
    setWindowTitle(title);
    setWindowModified(tuneUnsaved());
}

void MainWindow::reset() {
    session_->reset();
    editorPanel_->refresh();
    nameTune(untitledTune(), {}, {}, false);
}

void MainWindow::copyTune() {
    QGuiApplication::clipboard()->setText(
        QString::fromLatin1(session_->scriptBytes(tuneName_.title)));
}

void MainWindow::pasteTune() {
    if (!mayDropTune()) return; // a tune pasted replaces the whole tune, as a load does
    const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
    const FileResult result = session_->loadText(text);
    editorPanel_->refresh();
    reportLoad(result);
    if (result.outcome != FileOutcome::Done) return;
    nameTune(nameOfScript(text, untitledTune()), {}, {}, false);
}

void MainWindow::showKeyboardHelp() {
    auto* box = new QMessageBox(QMessageBox::Information, tr("Keyboard"), keyboardHelpHtml(),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
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
    if (std::find(std::begin(zoomPercents), std::end(zoomPercents), percent) ==
        std::end(zoomPercents))
        percent = zoomPercents[0];
    askedZoom_ = percent;
    const QScreen* screen = QGuiApplication::screenAt(geometry().center());
    if (!screen) screen = this->screen();
    const QSize area = screen->availableGeometry().size();
    const int shown = fittingZoom(percent, [&](int z) {
        const QSize window = windowSizeAt(z);
        return window.width() <= area.width() && window.height() <= area.height();
    });
    panel_->setZoomPercent(shown);
    editorPanel_->setZoomPercent(shown);
    // The window takes the new size at once, through the board and editor's row.
    centralWidget()->layout()->activate();
    if (isVisible()) keepOnScreen(*screen);
    for (QAction* action : zoomActions_) action->setChecked(action->data().toInt() == shown);
}

// The board's size is known at every zoom; the editor's is measured at it.
QSize MainWindow::windowSizeAt(int percent) {
    const QSize board(qCeil(layout::boardWidth * percent / 100.0),
                      qCeil(layout::boardHeight * percent / 100.0));
    QSize editor(0, 0);
    if (editorPanel_->isVisibleTo(this)) {
        editorPanel_->setZoomPercent(percent);
        editor = editorPanel_->sizeHint();
    }
    return QSize(board.width() + editor.width(), std::max(board.height(), editor.height())) +
           chromeSize();
}

// A window grown where it stood would reach past the screen's edge.
void MainWindow::keepOnScreen(const QScreen& screen) {
    const QMargins frame = isVisible() ? QMargins(geometry().left() - frameGeometry().left(),
                                                  geometry().top() - frameGeometry().top(),
                                                  frameGeometry().right() - geometry().right(),
                                                  frameGeometry().bottom() - geometry().bottom())
                                       : frameAllowance;
    // The size the layout just fixed, which the platform may apply later.
    const QSize inside = sizeHint();
    QRect outer = QRect(geometry().topLeft(), inside).marginsAdded(frame);
    const QRect area = screen.availableGeometry();
    outer.moveRight(std::min(outer.right(), area.right()));
    outer.moveBottom(std::min(outer.bottom(), area.bottom()));
    outer.moveLeft(std::max(outer.left(), area.left()));
    outer.moveTop(std::max(outer.top(), area.top()));
    setGeometry(QRect(outer.topLeft() + QPoint(frame.left(), frame.top()), inside));
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

QSize MainWindow::chromeSize() const {
    const QSize bars(0, menuBar()->sizeHint().height() + statusBar()->sizeHint().height());
    if (!isVisible()) return bars.grownBy(frameAllowance);
    return bars + frameGeometry().size() - geometry().size();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const std::optional<KeyId> key = kitKeyOf(*event);
    if (!key) return QMainWindow::keyPressEvent(event);
    event->accept();
    const quint64 physical = physicalKeyOf(*event);
    const auto pending = releasesPending_.constFind(physical);
    if (pending != releasesPending_.cend()) {
        // Stamped with its release's time, a press is the key's auto-repeat:
        // the key stays held. Otherwise it went up and comes down again.
        if (*pending == event->timestamp()) return void(releasesPending_.erase(pending));
        letGoOfPcKey(physical, *pending);
    }
    if (event->isAutoRepeat() || heldPcKeys_.contains(physical)) return;
    heldPcKeys_.insert(physical, *key);
    session_->hold(*key);
}

void MainWindow::keyReleaseEvent(QKeyEvent* event) {
    const quint64 physical = physicalKeyOf(*event);
    if (!heldPcKeys_.contains(physical)) return QMainWindow::keyReleaseEvent(event);
    event->accept();
    if (event->isAutoRepeat() || releasesPending_.contains(physical)) return;
    const quint64 timestamp = event->timestamp();
    releasesPending_.insert(physical, timestamp);
    QTimer::singleShot(autoRepeatPairMs, this,
                       [this, physical, timestamp] { letGoOfPcKey(physical, timestamp); });
}

void MainWindow::letGoOfPcKey(quint64 physical, quint64 releasedAt) {
    const auto pending = releasesPending_.find(physical);
    if (pending == releasesPending_.end() || *pending != releasedAt) return;
    releasesPending_.erase(pending);
    const auto held = heldPcKeys_.find(physical);
    if (held == heldPcKeys_.end()) return;
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
    if (!mayDropTune()) return event->ignore();
    QSettings settings;
    settings.setValue(positionSetting, geometry().topLeft());
    settings.setValue(zoomSetting, askedZoom_);
    settings.setValue(editorSetting, editorPanel_->isVisibleTo(this));
    QMainWindow::closeEvent(event);
}

void MainWindow::restoreSettings() {
    QSettings settings;
    const QPoint position = settings.value(positionSetting).toPoint();
    // A position off every screen (a monitor since unplugged) would hide the window.
    const QScreen* screen =
        settings.contains(positionSetting) ? QGuiApplication::screenAt(position) : nullptr;
    if (screen) setGeometry(QRect(position, size()));
    showTuneEditor(settings.value(editorSetting, false).toBool());
    setZoomPercent(settings.value(zoomSetting, zoomPercents[0]).toInt());
    // Whole on the free area, which may have shrunk since.
    if (screen) keepOnScreen(*screen);
}

// A dropped file is read, never taken: accepting a move would let the file
// manager delete the user's file.
bool MainWindow::acceptAsCopy(QDropEvent& event) {
    const QList<QUrl> urls = event.mimeData()->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile() ||
        !(event.possibleActions() & Qt::CopyAction))
        return false;
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    acceptAsCopy(*event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
    acceptAsCopy(*event);
}

// A MIDI file's dialog waits until the drop is over, so the source is not kept waiting.
void MainWindow::dropEvent(QDropEvent* event) {
    if (!acceptAsCopy(*event)) return;
    const QString path = event->mimeData()->urls().first().toLocalFile();
    if (isMidiFileName(path))
        QTimer::singleShot(0, this, [this, path] { importMidiFile(path); });
    else
        loadFile(path);
}

} // namespace korvel::qt
