// The tune editor in the window, as a user drives it: a tune typed on the
// piano keys, or clicked with the mouse alone, plays as the render of the
// same memory and saves whole; the window asks before a load or Exit drops a
// tune not saved; undo reaches what the menus changed; Listen writes what it
// heard or nothing, and never leaves the sound input open.
#include "audio/soundInput.h"
#include "formats/tuneRun.h"
#include "frontend/editor/tuneHistory.h"
#include "frontend/input/pcKeys.h"
#include "host/qt/editorKeys.h"
#include "host/qt/keyButton.h"
#include "host/qt/kitSession.h"
#include "host/qt/mainWindow.h"
#include "host/qt/panel.h"
#include "host/qt/tuneColours.h"
#include "host/qt/tuneEditorPanel.h"
#include "host/qt/tuneTableView.h"
#include "listen/pi.h"
#include "model/toneSource.h"
#include "tests/frontend/pulledSound.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

using namespace korvel;
using korvel::qt::MainWindow;

namespace {

const QString odeToJoy = QStringLiteral(KORVEL_EXAMPLES_DIR "/ode-to-joy.dat");
struct RenderSink final : formats::StepSink {
    std::string samples;
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        samples += test::noteSamples(toneIndex, lengthBytes);
        return true;
    }
};

// A sound input that gives what the test put in it, once opened.
struct MadeInput final : audio::SoundInput {
    static constexpr double rate = 16000;
    std::string refusal; // open() fails with it
    std::vector<float> pending;
    size_t dropped = 0; // samples the editor is told it missed
    bool lost = false, opened = false;
    bool open() override { return opened = refusal.empty(); }
    void close() override { opened = false; }
    double sampleRate() const override { return rate; }
    const std::string& error() const override { return refusal; }
    Taken take(std::vector<float>& samples) override {
        samples = std::exchange(pending, {});
        return {std::exchange(dropped, 0), lost};
    }
};

// Sine tones of these pitches (semitones), 0.3 s each, 0.1 s of silence before each and after.
std::vector<float> sung(std::initializer_list<double> pitches) {
    std::vector<float> samples;
    for (const double pitch : pitches) {
        samples.resize(samples.size() + 1600);
        for (int i = 0; i < 4800; ++i)
            samples.push_back(
                float(0.5 * std::sin(listen::pi * 880 * std::pow(2, (pitch - 69) / 12) * i /
                                     MadeInput::rate)));
    }
    samples.resize(samples.size() + 1600);
    return samples;
}

} // namespace

class TuneEditorTest : public QObject {
    Q_OBJECT

    test::PulledSound sound_;
    MadeInput input_; // outlives the window
    std::unique_ptr<MainWindow> window_;
    QTemporaryDir dir_;
    QString chosenFile_;
    std::vector<MainWindow::UnsavedChoice> answers_; // the next answers to the question, in order
    int asked_ = 0;

    const KitState& kit() { return window_->session().kit(); }
    void trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
    qt::TuneTableView& table() { return window_->tuneEditor().table(); }
    // The table as painted shows a row in the sounding colour.
    bool showsSoundingRow() {
        const QImage shown = table().viewport()->grab().toImage();
        for (int y = 0; y < shown.height(); y += 2)
            if (shown.pixelColor(shown.width() / 2, y) == qt::tuneColours::sounding) return true;
        return false;
    }

    // What the device would play next, the note reports answered between pulls as the window does.
    std::string pull(size_t count) {
        return sound_.pull(count,
                           [this](uint64_t tag) { window_->session().onMelodyNoteEnded(tag); });
    }
    // What memory sounds like played from start, one pass.
    std::string renderedFrom(uint32_t start) {
        KitState fresh{};
        fresh.memory = kit().memory;
        fresh.startAddress = start;
        fresh.tempo = kit().tempo;
        RenderSink render;
        formats::runTune(fresh, formats::RunLimit::pass(), render);
        return render.samples;
    }

    // The mouse alone, as a person without the keyboard works.
    void clickCell(uint32_t address, TuneColumn column) {
        const QPoint at = table().cellRect(rowOf(address), column).center();
        QTest::mouseClick(table().viewport(), Qt::LeftButton, {}, at);
    }
    QAbstractButton* paletteButton(const char* name) {
        for (auto* button :
             window_->findChild<QWidget*>("notePalette")->findChildren<QAbstractButton*>())
            if (button->accessibleName() == QString::fromUtf8(name)) return button;
        return nullptr;
    }
    void clickPalette(std::initializer_list<const char*> names) {
        for (const char* name : names) QTest::mouseClick(paletteButton(name), Qt::LeftButton);
    }
    void clickKitKeys(std::initializer_list<KeyId> keys) {
        for (const KeyId key : keys) QTest::mouseClick(&window_->panel().key(key), Qt::LeftButton);
    }
    // The rows from address on as shown, in short: "note C4 07", "rest 07", "jump 014", "end".
    QStringList rowsFrom(uint32_t address, uint32_t count) {
        QStringList shown;
        for (uint32_t r = rowOf(address); r < rowOf(address) + count; ++r) {
            QStringList words;
            for (const TuneColumn c :
                 {TuneColumn::Kind, TuneColumn::Pitch, TuneColumn::Length, TuneColumn::Target})
                words << QString::fromStdString(
                             window_->tuneEditor().editor().rows()[r].text[size_t(c)])
                             .section(' ', 0, 0);
            shown << words.join(' ').simplified();
        }
        return shown;
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings().clear();
    }
    void init() {
        window_ = std::make_unique<MainWindow>(sound_);
        window_->setMessageSink(
            [](const QString&, const QString& text) { QFAIL(qPrintable(text)); });
        window_->setFileChooser([this](MainWindow::FileChoice) { return chosenFile_; });
        window_->setUnsavedAsker([this] { return answers_.at(size_t(asked_++)); });
        asked_ = 0;
        input_ = MadeInput{};
        window_->tuneEditor().setSoundInput(&input_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        trigger("tuneEditor");
    }
    void cleanup() {
        // Closing drops what a test left.
        answers_.resize(size_t(asked_) + 1, MainWindow::UnsavedChoice::Discard);
        window_.reset();
    }

    void pianoKeysWriteATuneThatPlaysAsRenderedAndSavesWhole() {
        QTRY_VERIFY(table().hasFocus());
        // Tab changes column here: it is not what leaves the table.
        const QString hint = window_->findChild<QLabel*>("keyboardOwner")->text();
        QVERIFY2(hint.startsWith("PC keys edit") && !hint.contains("Tab"), qPrintable(hint));
        window_->findChild<QSpinBox*>("startAddress")->setValue(0x004);
        window_->findChild<QSpinBox*>("tempo")->setValue(2);
        QTest::keyClick(&table(), Qt::Key_Down);
        QTest::keyClick(&table(), Qt::Key_Right); // the note column
        QTest::keyClicks(&table(), "zx.c/");      // C, D, a rest, E and the end marker
        QCOMPARE(kit().mode, KitMode::Clock);     // the keys edited; none played the kit
        // Played from the row after the end marker, the tune keeps its start address.
        trigger("playFromRow");
        QCoreApplication::processEvents();
        QCOMPARE(window_->findChild<QSpinBox*>("startAddress")->value(), 0x004);
        QTest::keyClick(&table(), Qt::Key_Escape);
        QCOMPARE(kit().startAddress, 0x004u);

        KitState fresh{};
        fresh.memory = kit().memory;
        fresh.startAddress = kit().startAddress;
        fresh.tempo = kit().tempo;
        RenderSink render;
        QCOMPARE(formats::runTune(fresh, formats::RunLimit::pass(), render).steps, 4u);

        QTest::keyClick(&table(), Qt::Key_Home);
        QTest::keyClick(&table(), Qt::Key_Down);
        trigger("playFromRow");
        QCOMPARE(kit().mode, KitMode::Playing);
        const std::string played = pull(render.samples.size() + test::PulledSound::pullSamples);
        QVERIFY(played.compare(0, render.samples.size(), render.samples) == 0);
        // Play went round to the start address and on: the first note again.
        QCOMPARE(played[render.samples.size()], render.samples[0]);
        QTest::keyClick(&table(), Qt::Key_Escape);

        const TuneSnapshot tune = takeSnapshot(kit());
        chosenFile_ = dir_.filePath("typed.dat");
        trigger("save");
        QVERIFY(!window_->tuneUnsaved());
        trigger("reset");
        QVERIFY(takeSnapshot(kit()) != tune);
        QVERIFY(window_->loadFile(chosenFile_));
        QVERIFY(takeSnapshot(kit()) == tune);
        QCOMPARE(asked_, 0); // nothing unsaved was dropped on the way
    }

    // Clicks alone: a jump over the first note (its target on the keypad), four
    // notes, the end marker, one longer, a row inserted and deleted where the
    // jump skips, played from the row as rendered, undo; the table keeps the keyboard.
    void theMouseAloneWritesATune() {
        clickCell(0x010, TuneColumn::Digits);
        clickPalette({"Jump"});
        clickKitKeys({hexKey(0), hexKey(1), hexKey(8)});
        clickPalette({"C", "D", "E", "F", "End marker"});
        QStringList tune = {"jump 018",   "note C4 07", "note D4 07",
                            "note E4 07", "note F4 07", "end"};
        QCOMPARE(rowsFrom(0x010, 6), tune);
        QCOMPARE(kit().mode, KitMode::Clock); // the keypad's keys typed, the kit saw none
        clickCell(0x018, TuneColumn::Length);
        clickPalette({"Longer"});
        tune[2] = "note D4 08";
        QCOMPARE(rowsFrom(0x010, 6), tune);
        clickCell(0x014, TuneColumn::Note);
        clickPalette({"Insert"});
        const QStringList inserted = {"jump 01C", "rest 07", "note C4 07", "note D4 08"};
        QCOMPARE(rowsFrom(0x010, 4), inserted);
        clickPalette({"Delete"});
        QCOMPARE(rowsFrom(0x010, 6), tune);

        const std::string samples = renderedFrom(0x010);
        clickCell(0x010, TuneColumn::Digits);
        clickPalette({"Play from row"});
        QVERIFY(pull(samples.size()).compare(0, samples.size(), samples) == 0);
        clickPalette({"Stop", "Undo"});
        QCOMPARE_NE(kit().mode, KitMode::Playing);
        QCOMPARE(rowsFrom(0x010, 4), inserted);
        QVERIFY(table().hasFocus());
        QCOMPARE(window_->findChild<QLabel*>("keyboardOwner")->text().toStdString(),
                 editorHint(Edition::Desktop, InputWay::Mouse, true, false, defaultPianoOctave));
    }

    // While the table has the keyboard the keypad's hex keys type the row,
    // the others stay the kit's; with Record on the palette's piano records
    // whatever the kit's mode.
    void kitKeysTypeTheRowAndThePaletteRecordsInEntryMode() {
        clickCell(0x010, TuneColumn::Note);
        clickKitKeys({hexKey(1), hexKey(4), hexKey(0), hexKey(5), KeyId::Adr});
        QCOMPARE(groupAt(kit(), rowOf(0x010)), 0x1405u);
        QCOMPARE(kit().mode, KitMode::Entry); // ADR only
        QVERIFY(table().hasFocus());
        clickPalette({"Record"});
        for (const char* note : {"E", "G"}) {
            QTest::mousePress(paletteButton(note), Qt::LeftButton);
            QTest::qWait(150);
            QTest::mouseRelease(paletteButton(note), Qt::LeftButton);
        }
        QVERIFY(paletteButton("Record")->isChecked());
        clickPalette({"Record"});
        // A busy machine may record a short rest between the two.
        const QStringList recorded = rowsFrom(0x014, 3).filter("note ");
        QVERIFY2(recorded.size() >= 2 && recorded[0].startsWith("note E4 ") &&
                     recorded[1].startsWith("note G4 "),
                 qPrintable(recorded.join(", ")));
    }

    // Cancel keeps the tune and the window (Load, Exit, Paste Tune); Save writes it first; Discard
    // drops it.
    void droppingATuneNotSavedAsksFirst() {
        QTest::keyClick(&table(), Qt::Key_Right);
        QTest::keyClicks(&table(), "q");
        const TuneSnapshot typed = takeSnapshot(kit());
        QVERIFY(window_->tuneUnsaved());
        using Choice = MainWindow::UnsavedChoice;
        answers_ = {Choice::Cancel, Choice::Cancel, Choice::Cancel, Choice::Save, Choice::Discard};
        QVERIFY(!window_->loadFile(odeToJoy));
        QVERIFY(!window_->close());
        QGuiApplication::clipboard()->setText("KORVEL\n---\n0010@ 1405W");
        trigger("pasteTune");
        QVERIFY(window_->isVisible());
        QVERIFY(takeSnapshot(kit()) == typed);

        chosenFile_ = dir_.filePath("kept.dat");
        QVERIFY(window_->loadFile(odeToJoy));
        QVERIFY(!window_->tuneUnsaved());
        QTest::keyClicks(&table(), "w");
        QVERIFY(window_->loadFile(chosenFile_)); // the tune saved first, then Discard
        QVERIFY(takeSnapshot(kit()) == typed);
        QCOMPARE(asked_, 5);
    }

    // Some X servers send a held key's auto-repeat as a release and a press of
    // the same time, unflagged: the held piano key still records one step.
    void heldPianoKeyRecordsOneStep() {
        const auto send = [this](QEvent::Type type, quint64 timestamp) {
            QKeyEvent event(type, Qt::Key_Z, Qt::NoModifier, QStringLiteral("z"));
            event.setTimestamp(timestamp);
            QApplication::sendEvent(&table(), &event);
        };
        trigger("record");
        send(QEvent::KeyPress, 1000);
        QTest::qWait(150);
        send(QEvent::KeyRelease, 1150);
        send(QEvent::KeyPress, 1150);
        QTest::qWait(150);
        send(QEvent::KeyRelease, 1300);
        QTest::qWait(int(2 * autoRepeatPairMs));
        trigger("record");
        const TuneRows& rows = window_->tuneEditor().editor().rows();
        QCOMPARE(rows[0].kind, StepKind::Note);
        QVERIFY(rows[0].group != 0);
        QCOMPARE(rows[1].group, 0u);
    }

    // Where the platform gives a key's scan code, the key is read by its place:
    // AZERTY's "a" (and its "é" on the digit row) sit at QWERTY's "q" ("2").
    // With Ctrl, or with no scan code (as here, offscreen), the character counts.
    void keysAreReadByTheirPlaceWhereThePlatformGivesIt() {
        const struct {
            const char16_t* platform;
            quint32 scanCode;
            Qt::Key qtKey;
            const char* text;
            Qt::KeyboardModifiers modifiers;
            char character;
        } cases[] = {
            {u"xcb", 16 + 8, Qt::Key_A, "a", {}, 'q'},
            {u"xcb", 3 + 8, Qt::Key_Eacute, "\u00e9", {}, '2'},
            {u"windows", 0x10, Qt::Key_A, "a", {}, 'q'},
            {u"xcb", 16 + 8, Qt::Key_A, "\x01", Qt::ControlModifier, 'a'},
            {u"xcb", 0, Qt::Key_A, "a", {}, 'a'},
            {u"offscreen", 16 + 8, Qt::Key_A, "a", {}, 'a'},
        };
        for (const auto& c : cases)
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
                const QKeyEvent event(type, c.qtKey, c.modifiers, c.scanCode, 0, 0,
                                      QString::fromUtf8(c.text));
                const std::optional<EditorKey> key = qt::editorKeyOf(event, c.platform);
                QVERIFY(key);
                QCOMPARE(key->character, c.character);
            }

        // The placed key writes the note "q" writes.
        QTest::keyClick(&table(), Qt::Key_Right); // the note column
        QTest::keyClicks(&table(), "q");
        const TuneSnapshot typed = takeSnapshot(kit());
        QTest::keyClick(&table(), Qt::Key_Z, Qt::ControlModifier);
        QTest::keyClick(&table(), Qt::Key_Home);
        const QKeyEvent azertyA(QEvent::KeyPress, Qt::Key_A, {}, 16 + 8, 0, 0, "a");
        window_->tuneEditor().editor().key(*qt::editorKeyOf(azertyA, u"xcb"), 0);
        QVERIFY(takeSnapshot(kit()) == typed);
    }

    // The sounding row is marked while the tune plays, and only then: STOP
    // and Reset end the mark with the play, whatever comes after.
    void soundingRowIsMarkedOnlyWhilePlaying() {
        answers_.assign(2, MainWindow::UnsavedChoice::Discard); // the rows inserted go
        for (const char* stop : {"escape", "reset"}) {
            QVERIFY(window_->loadFile(odeToJoy));
            window_->session().hold(KeyId::Run);
            window_->session().letGo(KeyId::Run);
            QCOMPARE(kit().mode, KitMode::Playing);
            QTRY_VERIFY(showsSoundingRow());
            if (stop == std::string("escape"))
                QTest::keyClick(&table(), Qt::Key_Escape);
            else
                trigger("reset");
            QCOMPARE_NE(kit().mode, KitMode::Playing);
            QTRY_VERIFY(!showsSoundingRow());
            QTest::keyClick(&table(), Qt::Key_Z, Qt::ControlModifier);
            QTest::keyClick(&table(), Qt::Key_Insert);
            QTest::qWait(50);
            QVERIFY2(!showsSoundingRow(), stop);
        }
    }

    // Play from the table's last whole row scrolls the notes to come into sight.
    void soundingRowIsFollowedAFewRowsFromTheEdge() {
        QVERIFY(window_->loadFile(odeToJoy));
        QScrollBar& bar = *table().verticalScrollBar();
        const int bottomRow = bar.value() + bar.pageStep() - 1;
        window_->tuneEditor().editor().select(uint32_t(bottomRow), EditColumn::Digits, false);
        trigger("playFromRow");
        QCOMPARE(window_->tuneEditor().editor().soundingRow(), uint32_t(bottomRow));
        QCOMPARE(bar.value() + bar.pageStep() - 1 - bottomRow,
                 qt::TuneTableView::soundingMarginRows);
        QTest::keyClick(&table(), Qt::Key_Escape);
    }

    // Each text against what it is painted on, by the contrast measure of the web's guidelines.
    void tableTextIsLegible() {
        const auto luminance = [](const QColor& colour) {
            const auto linear = [](double c) {
                return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
            };
            return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
                   0.0722 * linear(colour.blueF());
        };
        namespace colour = qt::tuneColours;
        const std::pair<QColor, QColor> painted[] = {
            {colour::text, colour::background},       {colour::text, colour::selection},
            {colour::unreached, colour::background},  {colour::unreached, colour::selection},
            {colour::soundingText, colour::sounding}, {colour::text, colour::header},
        };
        for (const auto& [text, ground] : painted) {
            const auto [dark, light] = std::minmax({luminance(text), luminance(ground)});
            QVERIFY2((light + 0.05) / (dark + 0.05) >= 4.5,
                     qPrintable(text.name() + " on " + ground.name()));
        }
    }

    // Between two column titles more room than between the words of one ("Kit note").
    void columnTitlesStandApart() {
        const QImage header =
            table().grab(QRect(0, 0, table().width(), table().rowHeight())).toImage();
        std::vector<int> gaps; // unlit columns of pixels between lit ones
        int unlit = -1;        // -1: no title yet
        for (int x = 0; x < header.width() - table().verticalScrollBar()->width(); ++x) {
            bool lit = false;
            for (int y = 0; y < header.height() && !lit; ++y)
                lit = header.pixelColor(x, y) != qt::tuneColours::header;
            if (lit && unlit > 0) gaps.push_back(unlit);
            if (lit)
                unlit = 0;
            else if (unlit >= 0)
                ++unlit;
        }
        std::sort(gaps.rbegin(), gaps.rend());
        QVERIFY(gaps.size() >= 7);
        // Seven titles: six gaps between them, then the space in "Kit note".
        QVERIFY2(2 * gaps[5] >= 3 * gaps[6],
                 qPrintable(QStringLiteral("%1 against %2").arg(gaps[5]).arg(gaps[6])));
    }

    // The title names the tune in memory through undo and marks changes not
    // saved, the start address and tempo alone too.
    void titleFollowsTheTuneThroughUndo() {
        QVERIFY(window_->loadFile(odeToJoy));
        const QString ode = "ode-to-joy.dat[*] - KORVEL Simulator (Music playable)";
        QCOMPARE(window_->windowTitle(), ode);
        for (const char* setting : {"startAddress", "tempo"}) {
            auto* box = window_->findChild<QSpinBox*>(setting);
            box->setValue(box->value() + 1);
            QVERIFY2(window_->tuneUnsaved() && window_->isWindowModified(), setting);
            QCOMPARE(window_->windowTitle(), ode);
            trigger("undo");
            QVERIFY2(!window_->tuneUnsaved() && !window_->isWindowModified(), setting);
        }
        const QList<QAction*> examples = window_->findChild<QMenu*>("examples")->actions();
        const auto twinkle = std::find_if(examples.begin(), examples.end(), [](QAction* action) {
            return action->text().startsWith("Twinkle");
        });
        QVERIFY(twinkle != examples.end());
        (*twinkle)->trigger();
        const QString example = window_->windowTitle();
        QVERIFY2(example.startsWith("twinkle"), qPrintable(example));
        trigger("undo");
        QCOMPARE(window_->windowTitle(), ode);
        QVERIFY(!window_->isWindowModified());
        trigger("redo");
        QCOMPARE(window_->windowTitle(), example);
        QVERIFY(window_->loadFile(odeToJoy));
        QCOMPARE(asked_, 0); // nothing saved was taken for unsaved
    }

    // An example once changed is no longer the example: its exports are
    // named so, and undo brings back the example's own names. A file's tune
    // keeps its names.
    void aChangedExampleIsNamedSoAndAFileKeepsItsNames() {
        const QList<QAction*> examples = window_->findChild<QMenu*>("examples")->actions();
        const auto ode = std::find_if(examples.begin(), examples.end(), [](QAction* action) {
            return action->text() == "Ode to Joy";
        });
        QVERIFY(ode != examples.end());
        const auto exported = [this] {
            return QFileInfo(window_->proposedPath(MainWindow::FileChoice::ExportWave)).fileName();
        };
        for (const bool example : {true, false}) {
            if (example)
                (*ode)->trigger();
            else
                QVERIFY(window_->loadFile(odeToJoy));
            QCOMPARE(exported(), "ode-to-joy.wav");
            // Changes of their own: each memory seen keeps the names it had.
            auto* tempo = window_->findChild<QSpinBox*>("tempo");
            tempo->setValue(tempo->value() + (example ? 1 : 2));
            QCOMPARE(exported(), example ? "ode-to-joy-changed.wav" : "ode-to-joy.wav");
            trigger("undo");
            QCOMPARE(exported(), "ode-to-joy.wav");
        }
    }

    void editorAndPaletteShownAreRemembered() {
        QVERIFY(window_->close());
        MainWindow next(sound_);
        QVERIFY(next.tuneEditor().isVisibleTo(&next));
        QVERIFY(next.findChild<QWidget*>("notePalette")->isVisibleTo(&next));
        next.findChild<QAction*>("tuneEditor")->trigger();
        next.findChild<QAction*>("notePaletteShown")->trigger();
        QVERIFY(next.close());
        MainWindow last(sound_);
        QVERIFY(!last.tuneEditor().isVisibleTo(&last));
        QVERIFY(!last.findChild<QAction*>("notePaletteShown")->isChecked());
    }

    // Changes made by the menus and the keypad are steps of undo too.
    void undoReachesLoadsResetAndTheKeypad() {
        const TuneSnapshot blank = takeSnapshot(kit());
        QVERIFY(window_->loadFile(odeToJoy));
        const TuneSnapshot ode = takeSnapshot(kit());
        trigger("reset");
        const TuneSnapshot erased = takeSnapshot(kit());
        window_->panel().setFocus();
        QTest::keyClicks(window_.get(), "1234W"); // typed and written on the keypad at 000
        QTest::qWait(int(2 * autoRepeatPairMs));
        QVERIFY(takeSnapshot(kit()) != erased);
        for (const TuneSnapshot* before : {&erased, &ode, &blank}) {
            QTest::keyClick(&table(), Qt::Key_Z, Qt::ControlModifier);
            QVERIFY(takeSnapshot(kit()) == *before);
        }
    }

    // Every way Listen ends closes the input; only Listen again, or the input
    // going away, writes what was heard, at the selected row, as one step of undo.
    void listenEndsEveryWayWithTheInputClosed() {
        const QLabel* sign = window_->findChild<QLabel*>("listenSign");
        QAction* listen = window_->findChild<QAction*>("listen");
        struct Way {
            const char* what;
            std::function<void()> end;
            bool writes;
            size_t dropped = 0;
        };
        const Way ways[] = {
            {"Listen again", [&] { listen->trigger(); }, true, size_t(MadeInput::rate / 2)},
            {"the palette's Listen", [&] { clickPalette({"Listen"}); }, true},
            {"the input lost", [&] { input_.lost = true; }, true},
            {"Esc", [&] { QTest::keyClick(&table(), Qt::Key_Escape); }, false},
            {"the palette's Stop", [&] { clickPalette({"Stop"}); }, false},
            {"the editor closed", [&] { trigger("tuneEditor"); }, false},
        };
        for (const Way& way : ways) {
            trigger("reset");
            QVERIFY(window_->loadFile(odeToJoy));
            trigger("playFromRow");
            clickCell(0x020, TuneColumn::Note);
            const TuneSnapshot before = takeSnapshot(kit());
            input_.lost = false;
            listen->trigger();
            QVERIFY2(input_.opened && sign->isVisible() && paletteButton("Listen")->isChecked(),
                     way.what);
            QCOMPARE(kit().mode, KitMode::Clock); // the tune stopped: the microphone would hear it
            input_.dropped = way.dropped;
            input_.pending = sung({64, 67, 71, 67});
            QTRY_VERIFY(input_.pending.empty());
            way.end();
            QTRY_VERIFY2(!input_.opened, way.what);
            QVERIFY2(!sign->isVisible() && !listen->isChecked(), way.what);
            const QString outcome = window_->tuneEditor().listenOutcome();
            QCOMPARE(takeSnapshot(kit()) != before, way.writes);
            if (!way.writes) {
                QVERIFY2(outcome.isEmpty() || outcome.contains("nothing written"), way.what);
                continue;
            }
            QVERIFY2(outcome.contains("4 notes heard, written from 020."), qPrintable(outcome));
            QCOMPARE(outcome.contains("0.5 s of sound was lost"), way.dropped > 0);
            QStringList notes; // in whatever octave the import found them nearest the kit's tones
            for (const QString& row : rowsFrom(0x020, 4))
                notes << row.section(' ', 1, 1).chopped(1);
            QCOMPARE(notes.join(' '), QStringLiteral("E G B G"));
            trigger("undo");
            QVERIFY2(takeSnapshot(kit()) == before, way.what);
        }
    }

    // A refused input says why, and Listen stays off.
    void refusedInputSaysWhy() {
        input_.refusal = "No sound input: no microphone or other input device was found.";
        trigger("listen");
        QVERIFY(!window_->findChild<QAction*>("listen")->isChecked());
        QVERIFY(!window_->findChild<QLabel*>("listenSign")->isVisible());
        QCOMPARE(window_->tuneEditor().listenOutcome().toStdString(), input_.refusal);
    }
};

QTEST_MAIN(TuneEditorTest)
#include "tuneEditorTest.moc"