// The File menu's tune tools driven as a user would: an example opened, a
// MIDI file imported through the dialog, the tune exported as WAV and MIDI,
// each compared byte for byte with what the built korvel-cli gives for the
// same file and options; and the imports and exports that cannot be done.
#include "files/tuneLoad.h"
#include "frontend/commands/tuneImporting.h"
#include "host/qt/importDialog.h"
#include "host/qt/kitSession.h"
#include "host/qt/mainWindow.h"
#include "tests/frontend/taggedRecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <memory>

#include <unistd.h>

using namespace korvel;
using korvel::qt::MainWindow;

namespace {

const QString examples = QStringLiteral(KORVEL_EXAMPLES_DIR "/");
const QString mainTitle = QStringLiteral("[*] - KORVEL Simulator (Music playable)");

QByteArray big(uint32_t value, int bytes) {
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

// A format-1 song at 96 ticks a crotchet, one crotchet per note: a melody on
// channel 1, and a bass on channels 2 and 3; the melody is melodyNotes long.
QByteArray song(int melodyNotes = 4) {
    const auto track = [](const QByteArray& name, const QList<std::pair<int, int>>& notes) {
        QByteArray body = QByteArray("\0\xFF\x03", 3) + char(name.size()) + name;
        for (const auto& [channel, key] : notes)
            body += QByteArray(1, 0) + char(0x8F + channel) + char(key) + "\x60\x60" +
                    char(0x7F + channel) + char(key) + QByteArray(1, 0);
        body += QByteArray("\0\xFF\x2F\0", 4);
        return "MTrk" + big(uint32_t(body.size()), 4) + body;
    };
    QList<std::pair<int, int>> melody;
    for (int n = 0; n < melodyNotes; ++n) melody.append({1, 72 + n % 5});
    return "MThd" + big(6, 4) + big(1, 2) + big(2, 2) + big(96, 2) + track("Melody", melody) +
           track("Bass", {{2, 48}, {3, 55}, {2, 50}, {3, 57}, {3, 59}});
}

// The report's rows as korvel-cli prints them, values lined up after the labels.
QString rowsText(const ImportReport& report) {
    int width = 0;
    for (const formats::ReportRow& row : report.rows)
        width = std::max(width, int(row.label.size()));
    QString text;
    for (const formats::ReportRow& row : report.rows)
        text += QStringLiteral("%1  %2\n")
                    .arg(QString::fromStdString(row.label + ":"), -(width + 1))
                    .arg(QString::fromStdString(row.value));
    return text.trimmed();
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The built korvel-cli's standard output, or a line saying it failed.
QString runCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(KORVEL_CLI), arguments);
    const bool ran = cli.waitForFinished(60000) && cli.exitCode() == 0;
    return ran ? QString::fromUtf8(cli.readAllStandardOutput())
               : "korvel-cli failed: " + QString::fromUtf8(cli.readAllStandardError());
}

} // namespace

class TuneToolsTest : public QObject {
    Q_OBJECT

    test::TaggedRecorder sound_;
    std::unique_ptr<MainWindow> window_;
    QStringList messages_, reports_;
    QString chosenFile_;
    QTemporaryDir dir_;

    const KitState& kit() { return window_->session().kit(); }
    QString path(const QString& name) { return dir_.filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) ? file.fileName() : QString();
    }
    // written: false when the export is expected to be declined at its question.
    void exportAs(const char* action, const QString& file, bool written = true) {
        chosenFile_ = file;
        window_->findChild<QAction*>(action)->trigger();
        if (messages_.isEmpty())
            QCOMPARE(window_->statusBar()->currentMessage(),
                     written ? "Exported " + QFileInfo(file).fileName() : QString());
    }
    void exportsMatchTheCommandLine(const QString& script, const QString& name) {
        exportAs("exportWave", path(name + ".wav"));
        exportAs("exportMidi", path(name + ".mid"));
        QCOMPARE(runCli({"render", script, "-o", path(name + "-cli.wav")}), QString());
        QCOMPARE(runCli({"export", script, "-o", path(name + "-cli.mid")}), QString());
        QCOMPARE(messages_, QStringList());
        QVERIFY(readFile(path(name + ".wav")) == readFile(path(name + "-cli.wav")));
        QVERIFY(readFile(path(name + ".mid")) == readFile(path(name + "-cli.mid")));
    }
    // The tune as korvel-cli loads the script, into a fresh kit, whatever was in memory.
    void expectTuneOf(const QString& script) {
        KitState fresh;
        QCOMPARE(loadTune(fresh, script.toStdString()).outcome, FileOutcome::Done);
        QVERIFY(kit().memory == fresh.memory);
        QCOMPARE(kit().startAddress, fresh.startAddress);
        QCOMPARE(kit().tempo, fresh.tempo);
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void init() {
        window_ = std::make_unique<MainWindow>(sound_);
        window_->setMessageSink([this](const QString& caption, const QString& text) {
            messages_ << caption + " | " + text;
        });
        window_->setReportSink([this](const QString& caption, const ImportReport& report) {
            reports_ << caption + " | " + rowsText(report);
        });
        window_->setFileChooser([this](MainWindow::FileChoice) { return chosenFile_; });
        window_->setUnsavedAsker([] { return MainWindow::UnsavedChoice::Discard; });
        messages_.clear();
        reports_.clear();
    }
    void cleanup() { window_.reset(); }

    // The edition's end-to-end walk and its byte identity with korvel-cli.
    void exampleImportAndExportsMatchTheCommandLine() {
        const QList<QAction*> listed = window_->findChild<QMenu*>("examples")->actions();
        const auto ode = std::find_if(listed.begin(), listed.end(), [](QAction* action) {
            return action->text() == "Ode to Joy";
        });
        QVERIFY(ode != listed.end());
        (*ode)->trigger();
        QCOMPARE(window_->windowTitle(), "ode-to-joy.dat" + mainTitle);
        QCOMPARE(QFileInfo(window_->proposedPath(MainWindow::FileChoice::Save)).fileName(),
                 "ode-to-joy.dat");
        expectTuneOf(examples + "ode-to-joy.dat");
        exportsMatchTheCommandLine(examples + "ode-to-joy.dat", "ode");

        // Track 2's channel 3, moved up a fourth, notes brought into reach.
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<qt::ImportDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* voices = dialog->findChild<QComboBox*>("voice");
            voices->setCurrentIndex(voices->findText("Track 2 (\"Bass\"), channel 3: 3 notes"));
            dialog->findChild<QRadioButton*>("givenTranspose")->setChecked(true);
            dialog->findChild<QSpinBox*>("semitones")->setValue(5);
            dialog->findChild<QCheckBox*>("fit")->setChecked(true);
            dialog->findChild<QCheckBox*>("truncate")->setChecked(true);
            dialog->accept();
        });
        chosenFile_ = writeFile("song.mid", song());
        window_->findChild<QAction*>("importMidi")->trigger();
        const QString script = path("song-cli.dat");
        const QString report =
            runCli({"import", chosenFile_, "-o", script, "--track", "2", "--channel", "3",
                    "--transpose", "5", "--fit", "--truncate"});
        QCOMPARE(reports_, QStringList{"Import MIDI | " + report.trimmed()});
        QCOMPARE(window_->windowTitle(), "song.mid" + mainTitle);
        QVERIFY(window_->tuneUnsaved() && window_->isWindowModified()); // until saved as a script
        QCOMPARE(window_->proposedPath(MainWindow::FileChoice::Save), path("song.dat"));
        expectTuneOf(script);
        exportsMatchTheCommandLine(script, "song");
    }

    // A recording, named as a script or not, imports through the same dialog
    // without its voice list and gives korvel-cli's tune and report; Save
    // never proposes the recording itself. A damaged one asks nothing and
    // leaves memory alone.
    void aRecordingImportsAsTheCommandLineDoes() {
        const QString wav = path("frere.dat");
        QCOMPARE(runCli({"render", examples + "frere-jacques.dat", "-o", wav}), QString());
        QTimer::singleShot(0, this, [] {
            auto* dialog = qobject_cast<qt::ImportDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), "Import Recording");
            QVERIFY(!dialog->findChild<QComboBox*>("voice")->isVisibleTo(dialog));
            dialog->findChild<QCheckBox*>("fit")->setChecked(true);
            dialog->accept();
        });
        chosenFile_ = wav;
        window_->findChild<QAction*>("importMidi")->trigger();
        const QString script = path("frere-cli.dat");
        const QString report = runCli({"import", wav, "-o", script, "--fit"});
        QCOMPARE(messages_, QStringList());
        QCOMPARE(reports_, QStringList{"Import Recording | " + report.trimmed()});
        expectTuneOf(script);
        QCOMPARE(window_->proposedPath(MainWindow::FileChoice::Save), path("frere-korvel.dat"));

        const QString cut = writeFile("cut.wav", readFile(wav).left(5000));
        window_->setImportChooser([](const QString&, std::vector<formats::VoiceChoice>) {
            return std::optional(formats::ImportOptions{}); // were it asked: no modal box
        });
        const KitState before = kit();
        QVERIFY(!window_->loadFile(cut));
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("Import Recording | Can't Open : " + cut +
                                         "\nIts header claims 0:"),
                 qPrintable(messages_[0]));
        QCOMPARE(reports_.size(), 1);
        QVERIFY(kit().memory == before.memory);
    }

    // What a file holds is told by its bytes, whatever its name, on every way
    // in: the command line (korvel FILE) and a drop open it as loadFile does,
    // and File > Load.
    void aFileOpensAsWhatItHolds_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("midi");
        QTest::addColumn<bool>("fromMenu");
        for (const bool fromMenu : {false, true}) {
            const char* way = fromMenu ? "File > Load" : "command line";
            QTest::addRow("MIDI named .mid, %s", way) << "song.mid" << true << fromMenu;
            QTest::addRow("MIDI named .dat, %s", way) << "song.dat" << true << fromMenu;
            QTest::addRow("script named .mid, %s", way) << "tune.mid" << false << fromMenu;
        }
    }
    void aFileOpensAsWhatItHolds() {
        QFETCH(QString, name);
        QFETCH(bool, midi);
        QFETCH(bool, fromMenu);
        const QString file =
            writeFile(name, midi ? song() : QByteArray("KORVEL one step\n---\n0010@ 1405W"));
        int asked = 0;
        window_->setImportChooser([&](const QString&, std::vector<formats::VoiceChoice>) {
            ++asked;
            return std::optional(formats::ImportOptions{});
        });
        chosenFile_ = file;
        if (fromMenu)
            window_->findChild<QAction*>("load")->trigger();
        else
            QVERIFY(window_->loadFile(file));
        QCOMPARE(messages_, QStringList());
        QCOMPARE(asked, midi ? 1 : 0);
        QCOMPARE(reports_.size(), midi ? 1 : 0);
        QCOMPARE(window_->windowTitle(), name + mainTitle);
    }

    // Load replaces the tune, so the program plays and exports what korvel-cli
    // makes of the file; a tune that never ends is exported only when the user
    // says so, and Cancel writes nothing.
    void loadReplacesTheTuneAndAnEndlessOneIsExportedOnlyWhenAsked() {
        QVERIFY(window_->loadFile(examples + "ode-to-joy.dat"));
        const QString lone = writeFile("nul.dat", "KORVEL one step\n---\n0010@ 1405W");
        QVERIFY(window_->loadFile(lone));
        expectTuneOf(lone);
        QStringList asked;
        bool answer = false;
        window_->setExportAsker([&](const QString& caption, const QString& question) {
            asked << caption + " | " + question;
            return answer;
        });
        exportAs("exportWave", path("nul.wav"), false);
        QCOMPARE(asked, QStringList{"Export Audio (WAV) | This tune reaches no end marker, so it "
                                    "never ends.\nThe WAV file would stop it after 10 minutes: "
                                    "13.2 MB.\nExport it anyway?"});
        QVERIFY(!QFile::exists(path("nul.wav")));
        answer = true;
        exportsMatchTheCommandLine(lone, "nul");
        QCOMPARE(asked.size(), 3);
        QVERIFY2(asked[2].startsWith("Export MIDI | This tune reaches no end marker, so it never "
                                     "ends.\nThe MIDI file would stop it after 10 minutes: "),
                 qPrintable(asked[2]));
    }

    // Nothing reaches memory unless the whole import succeeds; the advice
    // names the dialog's choices, not korvel-cli's options.
    void failedImportLeavesMemoryAsItWas_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<uint32_t>("channel"); // the voice chosen, 0: automatic
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("asked"); // the choices asked for: again after a refusal
        const QString missing = path("gone.mid"), damaged = writeFile("cut.mid", song().chopped(9)),
                      full = writeFile("full.mid", song()),
                      long_ = writeFile("long.mid", song(200));
        QTest::newRow("missing") << missing << 0u
                                 << "Can't Open : " + missing + "\nNo such file or directory." << 0;
        const QString neither = writeFile("notes.mid", "do re mi");
        QTest::newRow("neither") << neither << 0u
                                 << "Can't Open : " + neither +
                                        "\nIt is neither a MIDI file nor a recording."
                                 << 0;
        QTest::newRow("damaged") << damaged << 0u
                                 << "Can't Open : " + damaged +
                                        "\nTrack 2 declares 52 bytes, 43 remain."
                                 << 0;
        QTest::newRow("no notes on the voice")
            << full << 9u << "Can't Import : " + full + "\nNo " << 2;
        QTest::newRow("too long")
            << long_ << 1u
            << "Can't Import : " + long_ +
                   "\nThe tune is 73 steps too long for the memory: it needs 200 steps and the "
                   "end marker, and the memory holds 128; \"Keep what fits in memory\" keeps the "
                   "opening that fits."
            << 2;
    }
    void failedImportLeavesMemoryAsItWas() {
        QFETCH(QString, file);
        QFETCH(uint32_t, channel);
        QFETCH(QString, message);
        QFETCH(int, asked);
        QVERIFY(window_->loadFile(examples + "twinkle-twinkle.dat"));
        const KitState before = kit();
        int calls = 0; // the second time, the user cancels
        window_->setImportChooser([&](const QString&, std::vector<formats::VoiceChoice>) {
            formats::ImportOptions options;
            options.channel = channel;
            return ++calls == 1 ? std::optional(options) : std::nullopt;
        });
        QVERIFY(!window_->importMidiFile(file));
        QCOMPARE(calls, asked);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].startsWith("Import MIDI | " + message), qPrintable(messages_[0]));
        QVERIFY(reports_.isEmpty() && kit().memory == before.memory);
        QCOMPARE(window_->windowTitle(), "twinkle-twinkle.dat" + mainTitle);
    }

    // Choices the import refuses come back in the dialog as they were made.
    void refusedImportOffersItsChoicesAgain() {
        const QString file = writeFile("long.mid", song(200));
        QStringList shown; // each dialog's voice, transposition and checks as it opened
        QPointer<qt::ImportDialog> last;
        std::function<void()> answer = [&] {
            auto* dialog = qobject_cast<qt::ImportDialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog == last) return void(QTimer::singleShot(10, this, answer));
            last = dialog;
            auto* voice = dialog->findChild<QComboBox*>("voice");
            auto* given = dialog->findChild<QRadioButton*>("givenTranspose");
            auto* semitones = dialog->findChild<QSpinBox*>("semitones");
            auto* fit = dialog->findChild<QCheckBox*>("fit");
            if (shown.isEmpty()) {
                voice->setCurrentIndex(voice->findText("200 notes", Qt::MatchContains));
                given->setChecked(true);
                semitones->setValue(-3);
                fit->setChecked(true);
            }
            shown << QStringLiteral("%1 %2 %3 %4")
                         .arg(voice->currentText())
                         .arg(given->isChecked() ? semitones->value() : 0)
                         .arg(fit->isChecked())
                         .arg(dialog->findChild<QCheckBox*>("truncate")->isChecked());
            if (shown.size() == 1) {
                QTimer::singleShot(10, this, answer);
                return dialog->accept();
            }
            dialog->reject();
        };
        QTimer::singleShot(0, this, answer);
        QVERIFY(!window_->importMidiFile(file));
        QCOMPARE(shown.size(), 2);
        QVERIFY2(shown[0].contains("200 notes -3 1 0"), qPrintable(shown[0]));
        QCOMPARE(shown[1], shown[0]);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_[0].contains("too long for the memory"), qPrintable(messages_[0]));
    }

    // A dropped MIDI file goes through the import's choices once the drop is over.
    void droppedMidiFileIsImported() {
        window_->setImportChooser([](const QString&, std::vector<formats::VoiceChoice> voices) {
            formats::ImportOptions options;
            options.channel = voices.back().channel;
            return std::optional(options);
        });
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(writeFile("dropped.mid", song()))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &drop);
        QTRY_COMPARE(window_->windowTitle(), "dropped.mid" + mainTitle);
        QVERIFY2(reports_.value(0).contains("channel 3"), qPrintable(reports_.value(0)));
    }

    // Opening the File menu and exporting WAV add no tone bank of 36 MB to the
    // program's memory: the export computes its samples as it writes them.
    void fileMenuAndWaveExportHoldNoToneBank() {
        const auto residentMiB = [] {
            QFile status("/proc/self/status");
            if (status.open(QIODevice::ReadOnly))
                for (const QByteArray& line : status.readAll().split('\n'))
                    if (line.startsWith("VmRSS:")) // in kB
                        return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024;
            return -1.0;
        };
        QVERIFY(window_->loadFile(examples + "ode-to-joy.dat"));
        const double before = residentMiB();
        QVERIFY(before > 0);
        emit window_->findChild<QMenu*>("fileMenu")->aboutToShow();
        QTest::qWait(500);
        exportAs("exportWave", path("ode.wav"));
        const double added = residentMiB() - before;
        QVERIFY2(added < 8, qPrintable(QString::number(added) + " MiB added"));
    }

    // A tune that does not play asks for no file; a folder that takes no new
    // file, and a file there that may not be written, each say why and keep
    // the old contents. Root is exempt from permissions, so it steps aside.
    void exportsThatCannotBeDoneLoseNothing() {
        window_->session().loadText("KORVEL\n---\n0000@ 0010W 0010@ EEEEW");
        exportAs("exportMidi", QString());
        QCOMPARE(messages_.value(0), "Export MIDI | The tune halts at once: the end marker EEEE "
                                     "stands at its start address 010, so nothing plays.");
        messages_.clear();
        QVERIFY(window_->loadFile(examples + "ode-to-joy.dat"));
        QFile::setPermissions(dir_.path(), QFile::permissions(dir_.path()) | QFile::ExeOther);
        QVERIFY(QDir().mkdir(path("locked")));
        const QString old = writeFile("locked/old.mid", "old"), fresh = path("locked/new.wav");
        QFile::setPermissions(old, QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner | QFile::ExeOther);
        const uid_t user = geteuid();
        if (user == 0 && seteuid(65534) != 0) QSKIP("the system does not let root step aside");
        exportAs("exportWave", fresh);
        exportAs("exportMidi", old);
        QVERIFY(user != 0 || seteuid(0) == 0);
        QFile::setPermissions(path("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(
            messages_,
            (QStringList{"Export Audio (WAV) | Can't Write : " + fresh + "\nPermission denied.",
                         "Export MIDI | Can't Write : " + old + "\nPermission denied."}));
        QVERIFY(!QFile::exists(fresh) && readFile(old) == "old");
    }
};

QTEST_MAIN(TuneToolsTest)
#include "tuneToolsTest.moc"
