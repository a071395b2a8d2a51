// The MIDI keyboard's way to the kit, over a fake port list: bytes from the
// port's own thread, ports coming and going, and ports that will not open.
#include "host/qt/midiInput.h"
#include "frontend/editor/tuneTable.h"
#include "frontend/input/pianoKeys.h"
#include "host/qt/kitSession.h"
#include "model/toneBank.h"
#include "tests/frontend/taggedRecorder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <thread>

using namespace korvel;
using test::PortCall;

namespace {

// Ports the test sets; the open port's sink is the test's to call, from any
// thread, until close().
struct FakeDevices final : midi::MidiDevices {
    std::vector<std::string> ports, opened; // opened: every port asked for
    std::string refusal;                    // why an open fails, or empty
    midi::MidiSink sink;

    std::vector<std::string> inputPorts() override { return ports; }
    std::string open(const std::string& name, midi::MidiSink portSink) override {
        opened.push_back(name);
        if (refusal.empty()) sink = std::move(portSink);
        return refusal;
    }
    void close() override { sink = nullptr; }
    void send(std::vector<uint8_t> message) { sink(message.data(), message.size()); }
};

} // namespace

class MidiInputTest : public QObject {
    Q_OBJECT

    test::TaggedRecorder sound_;
    std::unique_ptr<qt::KitSession> session_;
    std::unique_ptr<MidiKeyboard> keyboard_;
    FakeDevices* devices_ = nullptr;
    std::unique_ptr<qt::MidiInput> input_;

    void start(
        std::vector<std::string> ports, const QString& remembered,
        std::function<uint64_t()> clock = [] { return 0; }) {
        QSettings().setValue("input/midiPort", remembered);
        auto devices = std::make_unique<FakeDevices>();
        devices->ports = std::move(ports);
        devices_ = devices.get();
        input_ = std::make_unique<qt::MidiInput>(std::move(devices), *keyboard_, std::move(clock));
    }

  private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void cleanupTestCase() { QFile::remove(QSettings().fileName()); }
    void init() {
        session_ = std::make_unique<qt::KitSession>(sound_);
        keyboard_ = std::make_unique<MidiKeyboard>(session_->core(), nullptr);
    }
    void cleanup() { input_.reset(), keyboard_.reset(), session_.reset(), sound_.take(); }

    // Every key from the port's thread sounds, in the order played.
    void bytesFromThePortsThreadArriveInOrder() {
        start({"Keys"}, "Keys");
        std::vector<uint8_t> pitches;
        std::vector<uint32_t> expected, played;
        for (int round = 0; round < 20; ++round)
            for (uint8_t pitch = 40; pitch < 100; ++pitch)
                if (const auto tone = toneInReach(pitch))
                    pitches.push_back(pitch), expected.push_back(*tone);
        std::thread port([&] {
            for (const uint8_t pitch : pitches)
                devices_->send({0x90, pitch, 100}), devices_->send({0x80, pitch, 0});
        });
        const auto addPlayed = [&] {
            for (const PortCall& call : sound_.take())
                if (call.kind == PortCall::Tone) played.push_back(call.index);
            return played.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT(addPlayed() >= expected.size(), 10000);
        port.join();
        QCOMPARE(played, expected);
    }

    // Keys played while the window is busy record as long as they were held.
    void keysPlayedWhileTheWindowIsBusyKeepTheirLengths() {
        TuneEditor editor(session_->core());
        keyboard_ = std::make_unique<MidiKeyboard>(session_->core(), &editor);
        QElapsedTimer clock;
        clock.start();
        start({"Keys"}, "Keys", [&] { return uint64_t(clock.elapsed()); });
        editor.select(4, EditColumn::Note, false);
        editor.setRecording(true, clock.elapsed());
        devices_->send({0x90, 69, 100});
        std::this_thread::sleep_for(std::chrono::milliseconds(400)); // nothing taken meanwhile
        devices_->send({0x80, 69, 0});
        QTRY_VERIFY(editor.rows()[4].group != 0);
        editor.setRecording(false, clock.elapsed());
        QVERIFY2(std::abs(editor.rows()[4].lengthMs - 400) < 60,
                 qPrintable(QString::number(editor.rows()[4].lengthMs)));
        keyboard_ = std::make_unique<MidiKeyboard>(session_->core(), nullptr);
        input_.reset();
    }

    // Remembered but absent at start, the port opens when it appears;
    // unplugged mid-note, the organ falls silent after any key already on its way.
    void aPortFollowedInAndOutSilencesTheOrganWhenItGoes() {
        start({"Pads"}, "Keys");
        devices_->ports = {"Keys", "Pads"};
        QTRY_COMPARE_WITH_TIMEOUT(devices_->opened, std::vector<std::string>{"Keys"},
                                  3 * qt::MidiInput::pollMs);
        devices_->send({0x90, 69, 100});
        QTRY_VERIFY(keyboard_->tone().has_value());
        sound_.take();
        devices_->send({0x90, 72, 100}); // not yet taken when the port goes
        devices_->ports = {"Pads"};
        input_->poll();
        QVERIFY(!devices_->sink);
        QVERIFY(!keyboard_->tone());
        QCOMPARE(sound_.take(),
                 (std::vector<PortCall>{test::stopCall,
                                        test::toneCall(*toneInReach(72), toneBufferBytes),
                                        test::stopCall}));
    }

    // A port that will not open says why, stays chosen, and is tried again
    // when the ports change, not at every look at the list.
    void aPortThatWillNotOpenSaysSoAndIsTriedWhenPortsChange() {
        start({"Keys"}, "");
        devices_->refusal = "Could not open the MIDI port Keys: busy.";
        QCOMPARE(input_->choose("Keys"), QString::fromStdString(devices_->refusal));
        QCOMPARE(QSettings().value("input/midiPort").toString(), QStringLiteral("Keys"));
        QCOMPARE(input_->statusText(), QStringLiteral("Could not open the MIDI port Keys: busy.  "
                                                      "MIDI in: Keys (not connected)"));
        input_->poll();
        QCOMPARE(devices_->opened.size(), size_t(1));
        devices_->refusal.clear();
        devices_->ports = {"Keys", "Pads"};
        input_->poll();
        QCOMPARE(devices_->opened.size(), size_t(2));
        QCOMPARE(input_->statusText(), QStringLiteral("MIDI in: Keys"));
    }
};

QTEST_MAIN(MidiInputTest)
#include "midiInputTest.moc"
