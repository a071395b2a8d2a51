// The File menu's tune tools driven as a user would: an example opened, a
// MIDI file imported through the dialog, the tune exported as WAV and MIDI,
// each compared byte for byte with what the built korvel-cli gives for the
// same file and options; and the imports and exports that cannot be done.
#include "files/scriptFile.h"
#include "host/qt/importDialog.h"
#include "host/qt/kitSession.h"
#include "host/qt/mainWindow.h"
#include "tests/frontend/taggedRecorder.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

using namespace korvel;
using korvel::qt::MainWindow;

namespace {

const QString examplesDir = QStringLiteral(KORVEL_EXAMPLES_DIR);
const QString mainTitle = QStringLiteral("KORVEL Simulator (Music playable)");

std::string big(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

// A track of crotchets, one after another, named name; each note is a channel
// (1..16) and a key.
std::string track(const std::string& name, const std::vector<std::pair<int, int>>& notes) {
    std::string body = std::string("\x00\xFF\x03", 3) + char(name.size()) + name;
    for (const auto& [channel, key] : notes)
        body += std::string(1, '\0') + char(0x90 + channel - 1) + char(key) + '\x60' + '\x60' +
                char(0x80 + channel - 1) + char(key) + '\0';
    return body + std::string("\x00\xFF\x2F\x00", 4);
}

// A format-1 song at 96 ticks a crotchet: a melody, and a bass on two channels.
QByteArray twoTrackSong() {
    const std::string tracks[] = {
        track("Melody", {{1, 72}, {1, 74}, {1, 76}, {1, 77}}),
        track("Bass", {{2, 48}, {3, 55}, {2, 50}, {3, 57}, {3, 59}}),
    };
    std::string file = "MThd" + big(6, 4) + big(1, 2) + big(2, 2) + big(96, 2);
    for (const std::string& body : tracks) file += "MTrk" + big(uint32_t(body.size()), 4) + body;
    return QByteArray::fromStdString(file);
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The built korvel-cli's standard output; fails the test unless it succeeds.
QString runCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(KORVEL_CLI), arguments);
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        qWarning("korvel-cli %s: %s", qPrintable(arguments.join(' ')),
                 cli.readAllStandardError().constData());
    return cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0
               ? QString::fromUtf8(cli.readAllStandardOutput())
               : QStringLiteral("(korvel-cli failed)");
}

// Runs body without root's exemption from permissions (the test may run as root).
template <typename Body> bool asUnprivilegedUser(Body body) {
    const uid_t user = geteuid();
    if (user == 0 && seteuid(65534) != 0) return false;
    body();
    if (user == 0 && seteuid(0) != 0) qFatal("cannot become root again");
    return true;
}

} // namespace

class TuneToolsTest : public QObject {
    Q_OBJECT

    test::TaggedRecorder sound_;
    std::unique_ptr<MainWindow> window_;
    QStringList messages_, reports_;
    QString chosenFile_;
    int choices_ = 0; // files asked for
    QTemporaryDir dir_;

    const KitState& kit() { return window_->session().kit(); }
    void trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
    QString path(const QString& name) { return dir_.filePath(name); }
    QString writeFile(const QString& name, const QByteArray& bytes) {
        QFile file(path(name));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    }
    void exportAs(const char* action, const QString& file) {
        chosenFile_ = file;
        trigger(action);
    }
    // The WAV and MIDI exports of the window and of korvel-cli for script.
    void exportsMatchTheCommandLine(const QString& script, const QString& name) {
        exportAs("exportWave", path(name + ".wav"));
        exportAs("exportMidi", path(name + ".mid"));
        runCli({"render", script, "-o", path(name + "-cli.wav")});
        runCli({"export", script, "-o", path(name + "-cli.mid")});
        QCOMPARE(messages_, QStringList());
        QVERIFY(readFile(path(name + ".wav")).size() > 44);
        QVERIFY(readFile(path(name + ".wav")) == readFile(path(name + "-cli.wav")));
        QVERIFY(readFile(path(name + ".mid")).startsWith("MThd"));
        QVERIFY(readFile(path(name + ".mid")) == readFile(path(name + "-cli.mid")));
    }
    // Memory as Load leaves it: before, with the script's groups written over it.
    void expectMemoryOf(KitState before, const QString& script) {
        QCOMPARE(loadScriptFile(before, script.toStdString()).outcome, FileOutcome::Done);
        QVERIFY(kit().memory == before.memory);
        QCOMPARE(kit().startAddress, before.startAddress);
        QCOMPARE(kit().tempo, before.tempo);
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }

    void init() {
        window_ = std::make_unique<MainWindow>(sound_);
        window_->setMessageSink([this](const QString& caption, const QString& text) {
            messages_ << caption + " | " + text;
        });
        window_->setReportSink([this](const QString& caption, const QString& text) {
            reports_ << caption + " | " + text;
        });
        window_->setFileChooser([this](MainWindow::FileChoice) {
            ++choices_;
            return chosenFile_;
        });
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        messages_.clear();
        reports_.clear();
        choices_ = 0;
    }
    void cleanup() { window_.reset(); }

    // The edition's end-to-end walk and its byte identity with korvel-cli.
    void exampleImportAndExportsMatchTheCommandLine() {
        QAction* ode = nullptr;
        for (QAction* action : window_->findChild<QMenu*>("examples")->actions())
            if (action->text() == "Ode to Joy") ode = action;
        QVERIFY(ode);
        KitState before = kit();
        ode->trigger();
        QCOMPARE(window_->windowTitle(), "ode-to-joy.dat - " + mainTitle);
        const QString odeFile = examplesDir + "/ode-to-joy.dat";
        expectMemoryOf(before, odeFile);
        exportsMatchTheCommandLine(odeFile, "ode");

        // Track 2's channel 3, moved up a fourth, notes brought into reach.
        const QString song = writeFile("song.mid", twoTrackSong());
        const QString voice = "Track 2 (\"Bass\"), channel 3: 3 notes";
        QTimer::singleShot(0, this, [voice] {
            auto* dialog = qobject_cast<qt::ImportDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            auto* voices = dialog->findChild<QComboBox*>("voice");
            QCOMPARE(voices->itemText(0), "Automatic");
            voices->setCurrentIndex(voices->findText(voice));
            QCOMPARE(voices->currentText(), voice);
            dialog->findChild<QRadioButton*>("givenTranspose")->setChecked(true);
            dialog->findChild<QSpinBox*>("semitones")->setValue(5);
            dialog->findChild<QCheckBox*>("fit")->setChecked(true);
            dialog->findChild<QCheckBox*>("truncate")->setChecked(true);
            dialog->accept();
        });
        chosenFile_ = song;
        before = kit();
        trigger("importMidi");
        const QString imported = path("song-cli.dat");
        const QString report = runCli({"import", song, "-o", imported, "--track", "2", "--channel",
                                       "3", "--transpose", "5", "--fit", "--truncate"});
        QCOMPARE(reports_, QStringList{"Import MIDI | " + report.trimmed()});
        QCOMPARE(window_->windowTitle(), "song.mid - " + mainTitle);
        expectMemoryOf(before, imported);
        exportsMatchTheCommandLine(imported, "song");
    }

    // Nothing reaches memory unless the whole import succeeds.
    void failedImportLeavesMemoryAsItWas_data() {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("asksChoices");
        QTest::addColumn<uint32_t>("channel"); // the voice chosen, 0: automatic
        QTest::addColumn<QString>("message");
        const QString missing = path("gone.mid");
        QByteArray cut = twoTrackSong();
        cut.chop(12);
        QTest::newRow("missing") << missing << false << 0u
                                 << "Import MIDI | Can't Open : " + missing +
                                        "\nNo such file or directory.";
        const QString damaged = writeFile("damaged.mid", cut);
        QTest::newRow("damaged") << damaged << false << 0u
                                 << "Import MIDI | Can't Open : " + damaged;
        const QString text = writeFile("text.mid", "a shopping list");
        QTest::newRow("not MIDI") << text << false << 0u << "Import MIDI | Can't Open : " + text;
        const QString song = writeFile("song.mid", twoTrackSong());
        QTest::newRow("no notes on the voice")
            << song << true << 9u << "Import MIDI | Can't Import : " + song + "\nNo notes";
        // The advice names the dialog's choice, not korvel-cli's option.
        const std::string long_ = track("Long", std::vector<std::pair<int, int>>(200, {1, 72}));
        const QString tooLong = writeFile(
            "long.mid",
            QByteArray::fromStdString("MThd" + big(6, 4) + big(0, 2) + big(1, 2) + big(96, 2) +
                                      "MTrk" + big(uint32_t(long_.size()), 4) + long_));
        QTest::newRow("too long")
            << tooLong << true << 0u
            << "Import MIDI | Can't Import : " + tooLong +
                   "\nThe tune is 73 steps too long for the memory: it needs 200 steps and the "
                   "end marker, and the memory holds 128; \"Keep what fits in memory\" keeps "
                   "the opening that fits.";
    }
    void failedImportLeavesMemoryAsItWas() {
        QFETCH(QString, file);
        QFETCH(bool, asksChoices);
        QFETCH(uint32_t, channel);
        QFETCH(QString, message);
        QVERIFY(window_->loadFile(examplesDir + "/twinkle-twinkle.dat"));
        const KitState before = kit();
        int asked = 0;
        window_->setImportChooser([&](const QString&, std::vector<formats::VoiceChoice>) {
            ++asked;
            formats::ImportOptions options;
            if (channel) options.channel = channel;
            return std::optional(options);
        });
        QVERIFY(!window_->importMidiFile(file));
        QCOMPARE(asked, asksChoices ? 1 : 0);
        QCOMPARE(messages_.size(), 1);
        QVERIFY2(messages_.first().startsWith(message), qPrintable(messages_.first()));
        QVERIFY(reports_.isEmpty());
        QVERIFY(kit().memory == before.memory);
        QCOMPARE(kit().startAddress, before.startAddress);
        QCOMPARE(window_->windowTitle(), "twinkle-twinkle.dat - " + mainTitle);
    }

    // A dropped MIDI file goes through the import's choices, after the drop.
    void droppedMidiFileIsImported() {
        const QString song = writeFile("dropped.mid", twoTrackSong());
        size_t voices = 0;
        window_->setImportChooser([&](const QString&, std::vector<formats::VoiceChoice> offered) {
            voices = offered.size();
            return std::optional<formats::ImportOptions>(formats::ImportOptions{});
        });
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(song)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(window_.get(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(window_->windowTitle(), "dropped.mid - " + mainTitle);
        QCOMPARE(voices, size_t(8)); // automatic, 2 tracks, 3 channels, track 2 by channel
        QCOMPARE(reports_.size(), 1);
    }

    // A tune that cannot play is told before a file is asked for.
    void exportOfATuneThatDoesNotPlayAsksNoFile() {
        QCOMPARE(window_->session().loadText("KORVEL halt\n---\n0000@ 0010W 0010@ EEEEW\n").outcome,
                 FileOutcome::Done);
        const QString halts = "The tune halts at once: the end marker EEEE stands at its start "
                              "address 010, so nothing plays.";
        exportAs("exportWave", path("halt.wav"));
        exportAs("exportMidi", path("halt.mid"));
        QCOMPARE(messages_,
                 (QStringList{"Export Audio (WAV) | " + halts, "Export MIDI | " + halts}));
        QCOMPARE(choices_, 0);
    }

    // A folder that takes no new file, and a file there that may not be
    // written: each export says why, and the old file keeps its contents.
    void exportToARefusingFolderLosesNothing() {
        QVERIFY(window_->loadFile(examplesDir + "/ode-to-joy.dat"));
        QTemporaryDir open;
        QFile::setPermissions(open.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
        const QString folder = open.filePath("locked");
        QVERIFY(QDir().mkdir(folder));
        const QString old = folder + "/old.mid";
        {
            QFile file(old);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("old contents");
        }
        QFile::setPermissions(old, QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                          QFile::ExeOther);
        const QString fresh = folder + "/new.wav";
        if (!asUnprivilegedUser([&] {
                exportAs("exportWave", fresh);
                exportAs("exportMidi", old);
            }))
            QSKIP("the system did not permit running as another user");
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(messages_.size(), 2);
        QCOMPARE(messages_[0],
                 "Export Audio (WAV) | Can't Write : " + fresh + "\nPermission denied.");
        QVERIFY2(messages_[1].startsWith("Export MIDI | Can't Write : " + old + "\n"),
                 qPrintable(messages_[1]));
        QVERIFY(!QFile::exists(fresh));
        QCOMPARE(readFile(old), QByteArray("old contents"));
        QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList{"old.mid"});
    }
};

QTEST_MAIN(TuneToolsTest)
#include "tuneToolsTest.moc"
