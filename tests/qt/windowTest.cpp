// The Qt window driven as a user would: mouse on the keys, the PC keyboard,
// menu commands, the clipboard, dropped files, the status line, what a screen
// reader is told, and the pixels of the LED.
#include "frontend/editor/tuneHistory.h"
#include "frontend/input/pcKeys.h"
#include "host/qt/keyButton.h"
#include "host/qt/kitSession.h"
#include "host/qt/ledDisplay.h"
#include "host/qt/mainWindow.h"
#include "host/qt/panel.h"
#include "host/qt/tuneEditorPanel.h"
#include "host/qt/tuneTableView.h"
#include "tests/frontend/taggedRecorder.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QtMath>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace korvel;
using korvel::qt::MainWindow;
using korvel::test::keyNoteCall;
using korvel::test::PortCall;
using korvel::test::stopCall;

Q_DECLARE_METATYPE(korvel::KeyId)

namespace {

const QString odeToJoy = QStringLiteral(KORVEL_EXAMPLES_DIR "/ode-to-joy.dat");
const QString twinkle = QStringLiteral(KORVEL_EXAMPLES_DIR "/twinkle-twinkle.dat");

std::vector<PortCall> soundCalls(test::RecordingPorts& ports) {
    std::vector<PortCall> sound;
    for (const PortCall& call : ports.take())
        if (call.kind != PortCall::Led && call.kind != PortCall::Colon) sound.push_back(call);
    return sound;
}

} // namespace

class WindowTest : public QObject {
    Q_OBJECT

    test::TaggedRecorder sound_;
    std::unique_ptr<MainWindow> window_;
    QStringList messages_;
    QString chosenFile_;
    QTemporaryDir dir_;

    qt::KitSession& session() { return window_->session(); }
    const KitState& kit() { return session().kit(); }
    qt::KeyButton& key(KeyId id) { return window_->panel().key(id); }
    void trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
    void type(const QString& keys) {
        QTest::keyClicks(window_.get(), keys);
        letReleasesThrough();
    }
    void sendKey(QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode,
                 const QString& text, bool autoRepeat = false, quint64 timestamp = 0) {
        QKeyEvent event(type, qtKey, modifiers, scanCode, 0, 0, text, autoRepeat);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(window_.get(), &event);
    }
    // A PC key's release reaches the kit a moment late (it may be half of an auto-repeat).
    void letReleasesThrough() {
        QTest::qWait(int(2 * autoRepeatPairMs));
        QCoreApplication::processEvents(); // qWait may end without a turn after the timer is due
    }
    QString ledReading() {
        return QAccessible::queryAccessibleInterface(&window_->panel().led())
            ->text(QAccessible::Name);
    }
    void enterOrgan() {
        type("c ");
        QCOMPARE(kit().mode, KitMode::Keyboard);
        sound_.take();
    }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(dir_.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }

  private slots:
    // Settings of this process alone: the same tests run at once on other
    // screen sizes, and one run's clearing must not reach another's.
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(
            QStringLiteral("qt_tests-%1").arg(QCoreApplication::applicationPid()));
        QSettings().clear();
    }
    void cleanupTestCase() { QFile::remove(QSettings().fileName()); }

    void init() {
        window_ = std::make_unique<MainWindow>(sound_);
        window_->setMessageSink([this](const QString& caption, const QString& text) {
            messages_ << caption + " | " + text;
        });
        window_->setFileChooser([this](MainWindow::FileChoice) { return chosenFile_; });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        messages_.clear();
        sound_.take();
    }
    void cleanup() { window_.reset(); }

    // Down on the button, up wherever the pointer is: off the key, the kit
    // still hears the release of the key pressed; a double-click is two clicks.
    void mouseHoldsAKeyUntilTheButtonComesUp() {
        enterOrgan();
        QTest::mousePress(&key(hexKey(5)), Qt::LeftButton);
        QVERIFY(key(hexKey(5)).isDown());
        QTest::mouseMove(&key(hexKey(5)), QPoint(-30, -30));
        QVERIFY(!key(hexKey(5)).isDown());
        QTest::mouseRelease(&key(hexKey(5)), Qt::LeftButton, {}, QPoint(-30, -30));
        QCOMPARE(soundCalls(sound_), (std::vector<PortCall>{keyNoteCall(57), stopCall}));
        QTest::mouseClick(&key(hexKey(0)), Qt::LeftButton);
        QTest::mouseDClick(&key(hexKey(0)), Qt::LeftButton); // the second press, as delivered
        QTest::mouseRelease(&key(hexKey(0)), Qt::LeftButton);
        QCOMPARE(soundCalls(sound_),
                 (std::vector<PortCall>{keyNoteCall(52), stopCall, keyNoteCall(52), stopCall}));
        QTest::mouseClick(&key(hexKey(1)), Qt::RightButton);
        QVERIFY(soundCalls(sound_).empty());
    }

    void pcKeysTypeAsTheTableSays_data() {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<KeyId>("kitKey");
        const Qt::KeyboardModifiers none;
        QTest::newRow("digit") << int(Qt::Key_7) << "7" << none << hexKey(7);
        QTest::newRow("keypad") << int(Qt::Key_7) << "7"
                                << Qt::KeyboardModifiers(Qt::KeypadModifier) << hexKey(7);
        QTest::newRow("letter") << int(Qt::Key_B) << "B" << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                << hexKey(11);
        QTest::newRow("at") << int(Qt::Key_At) << "@" << Qt::KeyboardModifiers(Qt::ShiftModifier)
                            << KeyId::Adr;
        QTest::newRow("R") << int(Qt::Key_R) << "r" << none << KeyId::Read;
        QTest::newRow("W") << int(Qt::Key_W) << "w" << none << KeyId::Write;
        QTest::newRow("Backspace") << int(Qt::Key_Backspace) << "\b" << none << KeyId::Clear;
    }
    // In organ mode each kit key sounds its own note.
    void pcKeysTypeAsTheTableSays() {
        QFETCH(int, qtKey);
        QFETCH(QString, text);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(KeyId, kitKey);
        enterOrgan();
        sendKey(QEvent::KeyPress, qtKey, modifiers, 30, text);
        sendKey(QEvent::KeyRelease, qtKey, modifiers, 30, text);
        letReleasesThrough();
        QCOMPARE(soundCalls(sound_),
                 (std::vector<PortCall>{keyNoteCall(keyNoteOf(kitKey)), stopCall}));
    }

    // The note lasts while the PC key is held, through its auto-repeat, and
    // ends with the physical key even when Shift went up first.
    void holdingAPcKeyHoldsTheNote() {
        enterOrgan();
        sendKey(QEvent::KeyPress, Qt::Key_At, Qt::ShiftModifier, 11, "@");
        sendKey(QEvent::KeyRelease, Qt::Key_At, Qt::ShiftModifier, 11, "@", true);
        sendKey(QEvent::KeyPress, Qt::Key_At, Qt::ShiftModifier, 11, "@", true);
        QVERIFY(key(KeyId::Adr).isDown());
        sendKey(QEvent::KeyRelease, Qt::Key_2, {}, 11, "2");
        letReleasesThrough();
        QCOMPARE(soundCalls(sound_), (std::vector<PortCall>{keyNoteCall(24), stopCall}));
        QTest::keyPress(window_.get(), Qt::Key_3, Qt::ControlModifier);
        QVERIFY(soundCalls(sound_).empty());
    }

    // Some X servers send a held key's auto-repeat as a release and a press
    // stamped with the same time, unflagged and read apart: the key stays down.
    // A press stamped later is the key typed again, however soon it comes.
    void unflaggedAutoRepeatKeepsTheKeyDown() {
        const auto hold = [this](int qtKey, const QString& text, quint64 from, quint64 until) {
            sendKey(QEvent::KeyPress, qtKey, {}, 16, text, false, from);
            for (quint64 t = from + 500; t < until; t += 40) {
                sendKey(QEvent::KeyRelease, qtKey, {}, 16, text, false, t);
                QCoreApplication::sendPostedEvents(); // read apart, other work between
                sendKey(QEvent::KeyPress, qtKey, {}, 16, text, false, t);
            }
            sendKey(QEvent::KeyRelease, qtKey, {}, 16, text, false, until);
        };
        hold(Qt::Key_7, "7", 1000, 2000);
        QCOMPARE(ledReading(), "0 0 0 7");
        hold(Qt::Key_7, "7", 2001, 2010);
        letReleasesThrough();
        QCOMPARE(ledReading(), "0 0 7 7");
        enterOrgan();
        hold(Qt::Key_5, "5", 3000, 4000);
        letReleasesThrough();
        QCOMPARE(soundCalls(sound_), (std::vector<PortCall>{keyNoteCall(57), stopCall}));
    }

    void focusLossLetsGoOfHeldKeys() {
        enterOrgan();
        QTest::keyPress(window_.get(), Qt::Key_9);
        QTest::mousePress(&key(hexKey(4)), Qt::LeftButton);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!session().isHeld(hexKey(9)) && !session().isHeld(hexKey(4)));
        QVERIFY(!key(hexKey(4)).isDown());
        QTest::keyRelease(window_.get(), Qt::Key_9);
        QTest::mouseRelease(&key(hexKey(4)), Qt::LeftButton);
        const auto calls = soundCalls(sound_);
        QCOMPARE(calls.back(), stopCall);
        QCOMPARE(std::count(calls.begin(), calls.end(), stopCall), 2);
    }

    // An organ note held by one source ends when STOP (by mouse or Esc) or
    // Reset comes from another; letting go of it later does nothing more.
    void stopAndResetEndANoteHeldElsewhere_data() {
        QTest::addColumn<bool>("heldByMouse");
        QTest::addColumn<QString>("ending");
        QTest::newRow("PC key, STOP clicked") << false << "STOP";
        QTest::newRow("PC key, Esc") << false << "Esc";
        QTest::newRow("PC key, Reset") << false << "Reset";
        QTest::newRow("mouse, Esc") << true << "Esc";
        QTest::newRow("mouse, Reset") << true << "Reset";
    }
    void stopAndResetEndANoteHeldElsewhere() {
        QFETCH(bool, heldByMouse);
        QFETCH(QString, ending);
        enterOrgan();
        if (heldByMouse)
            QTest::mousePress(&key(hexKey(5)), Qt::LeftButton);
        else
            QTest::keyPress(window_.get(), Qt::Key_5);
        if (ending == "STOP") QTest::mouseClick(&key(KeyId::Stop), Qt::LeftButton);
        if (ending == "Esc") QTest::keyClick(window_.get(), Qt::Key_Escape);
        if (ending == "Reset") trigger("reset");
        letReleasesThrough();
        QCOMPARE(kit().mode, KitMode::Clock);
        QCOMPARE(soundCalls(sound_), (std::vector<PortCall>{keyNoteCall(57), stopCall}));
        if (heldByMouse)
            QTest::mouseRelease(&key(hexKey(5)), Qt::LeftButton);
        else
            QTest::keyRelease(window_.get(), Qt::Key_5);
        letReleasesThrough();
        QVERIFY(soundCalls(sound_).empty());
        QVERIFY(!session().isHeld(hexKey(5)));
    }

    void fileCommandsTellWhatWentWrong_data() {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("message");
        const QString missing = QDir::temp().filePath("no-such-dir/tune.dat");
        QTest::newRow("not a script")
            << "load" << writeFile("bad.dat", "hello")
            << "Load Script | This File is not KORVEL script.\nIt does not begin with KORVEL.";
        QTest::newRow("empty") << "load" << writeFile("empty.dat", "")
                               << "Load Script | This File is not KORVEL script.\nIt is empty.";
        const QString noMark = writeFile("nomark.dat", "KORVEL\n0010@ 1405W");
        QTest::newRow("writes nothing")
            << "load" << noMark
            << "Load Script | " + noMark +
                   " writes nothing into memory: nothing was loaded.\nIts keystrokes must "
                   "follow a line of ---, and it has none.";
        // The system's reason on a line of its own.
        QTest::newRow("missing") << "load" << missing
                                 << "Load Script | Can't Open : " + missing +
                                        "\nNo such file or directory.";
        QTest::newRow("unwritable")
            << "save" << missing
            << "Save Script | Can't Write : " + missing + "\nNo such file or directory.";
        QTest::newRow("load cancelled") << "load" << QString() << QString();
        QTest::newRow("save cancelled") << "save" << QString() << QString();
        QTest::newRow("saved") << "save" << dir_.filePath("out.dat") << QString();
    }
    void fileCommandsTellWhatWentWrong() {
        QFETCH(QString, action);
        QFETCH(QString, path);
        QFETCH(QString, message);
        chosenFile_ = path;
        trigger(action.toLatin1());
        QCOMPARE(messages_, message.isEmpty() ? QStringList() : QStringList{message});
    }

    // The name reaches the disk as the file system spells it (UTF-8 here),
    // whatever the code page of the system.
    void namesOutsideAsciiSaveAndLoad() {
        const QString folder = dir_.filePath(QStringLiteral("Jos\u00e9"));
        QVERIFY(QDir().mkdir(folder));
        chosenFile_ = folder + QStringLiteral("/caf\u00e9.dat");
        trigger("save");
        QCOMPARE(messages_, QStringList());
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(
                 QFile::encodeName(dir_.path()).toStdString() + "/Jos\xc3\xa9"))
            names.push_back(entry.path().filename().string());
        QCOMPARE(names, std::vector<std::string>{"caf\xc3\xa9.dat"});
        const auto memory = kit().memory;
        trigger("reset");
        QVERIFY(window_->loadFile(chosenFile_));
        QVERIFY(kit().memory == memory);
    }

    // Whole: the start address and tempo travel with the memory.
    void tuneTravelsThroughTheClipboard() {
        int asked = 0; // a pasted tune is not saved: the pastes after it ask first
        window_->setUnsavedAsker([&] { return ++asked, MainWindow::UnsavedChoice::Discard; });
        QVERIFY(window_->loadFile(odeToJoy));
        const auto memory = kit().memory;
        const TuneSnapshot tune = takeSnapshot(kit());
        trigger("copyTune");
        QVERIFY(QGuiApplication::clipboard()->text().startsWith("KORVEL Ode to Joy\n"));
        trigger("reset");
        QVERIFY(takeSnapshot(kit()) != tune);
        trigger("pasteTune");
        QVERIFY(takeSnapshot(kit()) == tune);
        for (const char* refused : {"not a tune", "KORVEL\n0010 @ 1405 W ZZZZ"}) {
            QGuiApplication::clipboard()->setText(refused);
            trigger("pasteTune");
        }
        QCOMPARE(messages_,
                 (QStringList{"Paste Tune | Nothing pasted. This is not KORVEL script: it must "
                              "begin with KORVEL.",
                              "Paste Tune | Nothing pasted. The clipboard's script writes nothing "
                              "into memory.\nIts keystrokes must follow a line of ---, and it "
                              "has none."}));
        QVERIFY(kit().memory == memory);
        messages_.clear();
        QGuiApplication::clipboard()->setText("KORVEL x\n---\n0010@ 1405W ZZZZ");
        trigger("pasteTune");
        QCOMPARE(messages_,
                 QStringList{"Paste Tune | Tune pasted: press RUN to play. Skipped 4 "
                             "characters that are not keystrokes, the first on line 3."});
        QCOMPARE(asked, 3);
    }

    // The walk-through is built in, and leaves the board free to type along.
    void firstTuneHelpLeavesTheBoardFree() {
        trigger("firstTune");
        auto* page = window_->findChild<QTextBrowser*>();
        QVERIFY(page);
        QVERIFY(page->toPlainText().contains("Write your first tune"));
        QVERIFY(!page->window()->isModal());
        page->window()->close();
    }

    // Help's keyboard page: the kit's keys, then the tune editor's, each run of keys a table.
    void keyboardHelpListsTheKitsKeysThenTheEditors() {
        trigger("keyboardHelp");
        auto* box = window_->findChild<QMessageBox*>();
        QVERIFY(box);
        const QString page = box->text();
        QVERIFY(page.startsWith("<table><tr><td><b>0-9, A-F</b>"));
        QVERIFY(page.indexOf("<b>RUN</b>") < page.indexOf("<table><tr><td><b>Up, Down"));
        QVERIFY(page.contains("<b>Enter or F5, Esc</b>"));
        box->close();
    }

    // The title names the script last loaded or saved, and music only with a
    // sound device; Open Recent keeps only files that load, and lets go of
    // one that no longer does.
    void titleAndRecentFilesFollowWhatLoaded() {
        QSettings().clear();
        const QString title = "KORVEL Simulator (Music playable)";
        const auto named = [&](const QString& file) { return file + "[*] - " + title; };
        QFile tune(twinkle);
        QVERIFY(tune.open(QIODevice::ReadOnly));
        const QString path = writeFile("tune.dat", tune.readAll());
        QVERIFY(window_->loadFile(path));
        QCOMPARE(window_->windowTitle(), named("tune.dat"));
        QCOMPARE(window_->proposedPath(MainWindow::FileChoice::Save), path);
        writeFile("tune.dat", "a shopping list");
        QVERIFY(!window_->loadFile(path));
        QCOMPARE(window_->windowTitle(), named("tune.dat"));
        QVERIFY(window_->findChild<QMenu*>("recent")->actions().isEmpty());
        chosenFile_ = dir_.filePath("saved.dat");
        trigger("save");
        QCOMPARE(window_->windowTitle(), named("saved.dat"));
        trigger("reset");
        QCOMPARE(window_->windowTitle(), "KORVEL Simulator[*] (Music playable)");
        // Music is claimed only where it can sound.
        window_->showNoSound("no device");
        QCOMPARE(window_->windowTitle(), "KORVEL Simulator[*]");
    }

    // Whatever the source proposes, a drop is taken as a copy, so a file
    // manager never deletes the user's file; a source offering only a move is refused.
    void droppedFileLoadsAsACopy() {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(odeToJoy)});
        QDragEnterEvent moveOnly(QPoint(10, 10), Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &moveOnly);
        QVERIFY(!moveOnly.isAccepted());
        const Qt::DropActions copyOrMove = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(10, 10), copyOrMove, &data, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(enter.proposedAction(), Qt::MoveAction);
        QApplication::sendEvent(window_.get(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::CopyAction);
        QDropEvent drop(QPointF(10, 10), copyOrMove, &data, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(window_.get(), &drop);
        QVERIFY(drop.isAccepted());
        QCOMPARE(drop.dropAction(), Qt::CopyAction);
        QVERIFY(kit().memory != decltype(kit().memory){});
        QVERIFY(messages_.isEmpty());
    }

    // The status names the step sounding as it was typed, and follows the player.
    void statusLineFollowsTheTune() {
        QCOMPARE(window_->statusLine(), "Clock");
        QVERIFY(window_->loadFile(twinkle));
        type("0 ");
        QCOMPARE(window_->statusLine(), "Playing  step 020: 1006");
        session().onMelodyNoteEnded(sound_.lastTag);
        QCOMPARE(window_->statusLine(), "Playing  step 024: EE00");
        QTest::keyClick(window_.get(), Qt::Key_Escape);
        QTRY_COMPARE(window_->statusLine(), "Clock");
    }

    void screenReaderHearsKeysAndLed() {
        const QStringList legends = {"0",    "1",   "2",    "3",     "4",     "5",  "6", "7",
                                     "8",    "9",   "A",    "B",     "C",     "D",  "E", "F",
                                     "STOP", "ADR", "READ", "WRITE", "CLEAR", "RUN"};
        for (unsigned k = 0; k < keyCount; ++k) {
            QAccessibleInterface* button = QAccessible::queryAccessibleInterface(&key(KeyId(k)));
            QCOMPARE(button->role(), QAccessible::Button);
            QCOMPARE(button->text(QAccessible::Name), legends[int(k)]);
        }
        QAccessibleInterface* led = QAccessible::queryAccessibleInterface(&window_->panel().led());
        QCOMPARE(led->role(), QAccessible::StaticText);
        QVERIFY(
            QRegularExpression("^\\d\\d:\\d\\d$").match(led->text(QAccessible::Name)).hasMatch());
        QAccessibleInterface* five = QAccessible::queryAccessibleInterface(&key(hexKey(5)));
        five->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(led->text(QAccessible::Name), "0 0 0 5");
        type("c ");
        QCOMPARE(led->text(QAccessible::Name), "dark");
    }

    // Zoom and the files used survive the window; a file gone stays off the list.
    void zoomAndRecentFilesAreRemembered() {
        QSettings().clear();
        window_->findChild<QAction*>("zoom150")->trigger();
        QVERIFY(window_->loadFile(twinkle));
        QVERIFY(!window_->loadFile(dir_.filePath("gone.dat")));
        window_->close();
        init();
        QCOMPARE(window_->panel().zoomPercent(), 150);
        QCOMPARE(window_->panel().size(), QSize(834, 900));
        const QList<QAction*> recent = window_->findChild<QMenu*>("recent")->actions();
        QCOMPARE(recent.size(), 1);
        QCOMPARE(recent.first()->text(), "twinkle-twinkle.dat");
    }

    // The window never opens larger than its screen's free area: a zoom too
    // large gives way to the largest that fits, below 100 % if none does. The
    // editor beside the board counts, its text zoomed with the board; grown
    // near the screen's corner, the window moves to stay whole on the screen.
    // Each screen is a run of its own; the rows of other screens are skipped.
    void windowFitsItsScreen_data() {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("asked");
        QTest::addColumn<bool>("editor");
        QTest::addColumn<int>("shown"); // 0: below 100 %, as large as fits
        QTest::newRow("2560x1440 200 %") << QSize(2560, 1440) << 200 << false << 200;
        QTest::newRow("2560x1440 200 %, editor") << QSize(2560, 1440) << 200 << true << 200;
        QTest::newRow("1280x1024 200 %") << QSize(1280, 1024) << 200 << false << 150;
        QTest::newRow("1280x1024 200 %, editor") << QSize(1280, 1024) << 200 << true << 100;
        QTest::newRow("1366x768 150 %") << QSize(1366, 768) << 150 << false << 100;
        QTest::newRow("1366x768 200 %") << QSize(1366, 768) << 200 << false << 100;
        QTest::newRow("1366x768 200 %, editor") << QSize(1366, 768) << 200 << true << 100;
        QTest::newRow("1280x1024 at scale 2") << QSize(640, 512) << 100 << false << 0;
    }
    void windowFitsItsScreen() {
        QFETCH(QSize, screen);
        QFETCH(int, asked);
        QFETCH(bool, editor);
        QFETCH(int, shown);
        const QRect area = window_->screen()->availableGeometry();
        if (area.size() != screen) QSKIP("a row for another screen");
        window_->showTuneEditor(editor);
        const qreal textBefore = window_->tuneEditor().table().font().pointSizeF();
        const int zoomBefore = window_->panel().zoomPercent();
        window_->move(area.bottomRight() - QPoint(200, 200));
        window_->setZoomPercent(asked);
        QTRY_COMPARE(window_->size(), window_->sizeHint());
        QVERIFY2(area.contains(window_->frameGeometry()),
                 qPrintable(QStringLiteral("%1x%2 at %3,%4")
                                .arg(window_->frameGeometry().width())
                                .arg(window_->frameGeometry().height())
                                .arg(window_->frameGeometry().x())
                                .arg(window_->frameGeometry().y())));
        const int zoom = window_->panel().zoomPercent();
        QCOMPARE(window_->findChild<QLabel*>("editorMessage")->font(),
                 window_->findChild<QLabel*>("keyboardOwner")->font());
        // In whole points.
        QVERIFY(qAbs(window_->tuneEditor().table().font().pointSizeF() -
                     textBefore * zoom / zoomBefore) <= 1);
        if (shown != 0) {
            QCOMPARE(zoom, shown);
        } else {
            QVERIFY(zoom < 100);
            const int oneMore = qCeil(6.0 * (zoom + 1)) - window_->panel().height();
            QVERIFY(window_->frameGeometry().height() + oneMore > area.height());
        }
    }

    // Each cell on the screen is the strip's cell for the digit shown, at every zoom.
    void ledIsPaintedFromTheStrip() {
        type("1abd");
        const int cells[] = {2, 11, 12, 14};
        for (const auto& [z, stripFile] : {std::pair{1, ":/led.bmp"}, {2, ":/led@2x.bmp"}}) {
            QImage strip = QImage(stripFile).convertToFormat(QImage::Format_RGB32);
            if (strip.isNull()) continue; // no double pictures in this build
            strip.setDevicePixelRatio(1); // as grabbed: pixels only
            window_->setZoomPercent(100 * z);
            const QImage shown =
                window_->panel().grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(shown.size(), QSize(556 * z, 600 * z));
            for (int p = 0; p < 4; ++p)
                QCOMPARE(shown.copy((109 + 29 * p) * z, 237 * z, 19 * z, 24 * z),
                         strip.copy(cells[p] * 19 * z, 0, 19 * z, 24 * z));
        }
    }
};

QTEST_MAIN(WindowTest)
#include "windowTest.moc"
