// The MIDI keyboard's way to the kit, over a fake port list: bytes from the
// port's own thread, ports coming and going, and ports that will not open.
#include "host/qt/midiInput.h"
#include "frontend/input/pianoKeys.h"
#include "host/qt/kitSession.h"
#include "model/toneBank.h"
#include "tests/frontend/taggedRecorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>

#include <thread>

using namespace korvel;

namespace {

// Ports the test sets; the open port's sink is the test's to call, from any
// thread, until close().
class FakeDevices final : public midi::MidiDevices {
  public:
    std::vector<std::string> ports;
    std::vector<std::string> opened; // every port asked for
    std::string refusal;             // why an open fails, or empty
    midi::MidiSink sink;

    std::vector<std::string> inputPorts() override { return ports; }
    std::string open(const std::string& name, midi::MidiSink portSink) override {
        opened.push_back(name);
        if (!refusal.empty()) return refusal;
        sink = std::move(portSink);
        return {};
    }
    void close() override { sink = nullptr; }
    void send(std::vector<uint8_t> message) { sink(message.data(), message.size()); }
};

std::vector<test::PortCall> soundCalls(test::RecordingPorts& ports) {
    std::vector<test::PortCall> sound;
    for (const test::PortCall& call : ports.take())
        if (call.kind != test::PortCall::Led && call.kind != test::PortCall::Colon)
            sound.push_back(call);
    return sound;
}

// The tones started since the last look, added to played.
size_t addTonesPlayed(test::RecordingPorts& ports, std::vector<uint32_t>& played) {
    for (const test::PortCall& call : ports.take())
        if (call.kind == test::PortCall::Tone) played.push_back(call.index);
    return played.size();
}

} // namespace

class MidiInputTest : public QObject {
    Q_OBJECT

    test::TaggedRecorder sound_;
    std::unique_ptr<qt::KitSession> session_;
    std::unique_ptr<MidiKeyboard> keyboard_;
    FakeDevices* devices_ = nullptr;
    std::unique_ptr<qt::MidiInput> input_;

    void start(std::vector<std::string> ports, const QString& remembered,
               const std::string& refusal = {}) {
        QSettings().setValue("input/midiPort", remembered);
        auto devices = std::make_unique<FakeDevices>();
        devices->ports = std::move(ports);
        devices->refusal = refusal;
        devices_ = devices.get();
        input_ = std::make_unique<qt::MidiInput>(std::move(devices), *keyboard_, [] { return 0; });
    }

  private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QCoreApplication::setApplicationName(
            QStringLiteral("qt_midi_tests-%1").arg(QCoreApplication::applicationPid()));
    }
    void cleanupTestCase() { QFile::remove(QSettings().fileName()); }
    void init() {
        session_ = std::make_unique<qt::KitSession>(sound_);
        keyboard_ = std::make_unique<MidiKeyboard>(session_->core(), nullptr);
        sound_.take();
    }
    void cleanup() {
        input_.reset();
        keyboard_.reset();
        session_.reset();
    }

    // Every key from the port's thread sounds, in the order played.
    void bytesFromThePortsThreadArriveInOrder() {
        start({"Keys"}, "Keys");
        QCOMPARE(devices_->opened, std::vector<std::string>{"Keys"});
        std::vector<uint8_t> pitches;
        std::vector<uint32_t> expected;
        for (int round = 0; round < 20; ++round)
            for (uint8_t pitch = 40; pitch < 100; ++pitch)
                if (const auto tone = toneInReach(pitch)) {
                    pitches.push_back(pitch);
                    expected.push_back(*tone);
                }
        std::thread port([&] {
            for (const uint8_t pitch : pitches) {
                devices_->send({0x90, pitch, 100});
                devices_->send({0x80, pitch, 0});
            }
        });
        std::vector<uint32_t> played;
        QTRY_VERIFY_WITH_TIMEOUT(addTonesPlayed(sound_, played) >= expected.size(), 10000);
        port.join();
        QCoreApplication::processEvents();
        addTonesPlayed(sound_, played);
        QCOMPARE(played, expected);
    }

    // Unplugged mid-note, the organ falls silent, after any key already on
    // its way; plugged in again, the port opens again.
    void aPortGoneMidNoteSilencesTheOrgan() {
        start({"Keys", "Pads"}, "Keys");
        devices_->send({0x90, 69, 100});
        QTRY_VERIFY(keyboard_->tone().has_value());
        devices_->send({0x90, 72, 100}); // not yet taken when the port goes
        devices_->ports = {"Pads"};
        input_->poll();
        QVERIFY(!devices_->sink);
        QVERIFY(!keyboard_->tone());
        const std::vector<test::PortCall> calls = soundCalls(sound_);
        QVERIFY(calls.size() >= 2);
        QCOMPARE(calls[calls.size() - 2], test::toneCall(*toneInReach(72), toneBufferBytes));
        QCOMPARE(calls.back(), test::stopCall);
        QCOMPARE(input_->statusText(), QStringLiteral("MIDI in: Keys (not connected)"));
        QCoreApplication::processEvents(); // the key's wake-up finds nothing
        QVERIFY(soundCalls(sound_).empty());
        devices_->ports = {"Keys", "Pads"};
        input_->poll();
        QCOMPARE(devices_->opened, (std::vector<std::string>{"Keys", "Keys"}));
    }

    // Remembered but not plugged in at start: opened when it appears.
    void theRememberedPortOpensWhenItAppears() {
        start({"Pads"}, "Keys");
        QVERIFY(devices_->opened.empty());
        QCOMPARE(input_->statusText(), QStringLiteral("MIDI in: Keys (not connected)"));
        devices_->ports = {"Pads", "Keys"};
        QTRY_COMPARE_WITH_TIMEOUT(devices_->opened, std::vector<std::string>{"Keys"},
                                  3 * qt::MidiInput::pollMs);
        QCOMPARE(input_->statusText(), QStringLiteral("MIDI in: Keys"));
    }

    // A port that will not open says why, stays chosen, and is tried again
    // when the ports change, not at every look at the list.
    void aPortThatWillNotOpenSaysSoAndIsTriedWhenPortsChange() {
        start({"Keys"}, "", "Could not open the MIDI port Keys: busy.");
        QCOMPARE(input_->choose("Keys"),
                 QStringLiteral("Could not open the MIDI port Keys: busy."));
        QCOMPARE(QSettings().value("input/midiPort").toString(), QStringLiteral("Keys"));
        QCOMPARE(input_->statusText(),
                 QStringLiteral("MIDI in: Keys (not connected)  Could not open the MIDI port "
                                "Keys: busy."));
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
