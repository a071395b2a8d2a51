// The gapless sound against korvel-cli's render: the queue pulled by a
// stand-in for the device, and QtSound on SDL's disk driver, which records
// what the device was given, under a Qt event loop.
#include "audio/underrunWatch.h"
#include "files/tuneLoad.h"
#include "formats/tuneRun.h"
#include "host/qt/qtSound.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <pthread.h>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

// Allocations made on SDL's audio thread, which must make none: an allocation
// can wait on a lock the GUI thread holds, and the device runs dry meanwhile.
namespace {
std::atomic<size_t> audioThreadAllocations{0};
}

void* operator new(size_t size) {
    char name[16] = {};
    pthread_getname_np(pthread_self(), name, sizeof name);
    if (std::strncmp(name, "SDLAudio", 8) == 0) ++audioThreadAllocations;
    if (void* block = std::malloc(size ? size : 1)) return block;
    throw std::bad_alloc();
}
void operator delete(void* block) noexcept {
    std::free(block);
}
void operator delete(void* block, size_t) noexcept {
    std::free(block);
}

namespace korvel::test {
namespace {

constexpr uint32_t pullSamples = 512;
const std::string examples = KORVEL_EXAMPLES_DIR "/";

// A script file of these commands, removed with it.
struct TuneFile {
    const std::string path = std::filesystem::temp_directory_path().string() + "/sound-" +
                             std::to_string(getpid()) + "-" + std::to_string(rand()) + ".dat";
    explicit TuneFile(const std::string& commands) {
        std::ofstream(path) << "KORVEL test tune\r\n---\r\n" << commands << "\r\n";
    }
    ~TuneFile() { std::filesystem::remove(path); }
};

// The render's samples, and how many steps it sounded.
std::pair<std::string, uint64_t> render(const std::string& script, const formats::RunLimit& limit) {
    static ToneBank bank;
    static const bool built = buildToneBank(bank);
    struct Sink final : formats::StepSink {
        std::string samples;
        bool sound(uint32_t t, uint32_t n) override {
            samples.append(reinterpret_cast<const char*>(bank.tone[t]), n);
            return true;
        }
    } sink;
    KitState kit;
    EXPECT_TRUE(built && loadTune(kit, script).outcome == FileOutcome::Done) << script;
    const uint64_t steps = formats::runTune(kit, limit, sink).steps;
    return {sink.samples, steps};
}

// What SDL's disk driver was given, without its silence (level 128), which a
// paused or starved device adds anywhere; the file is removed.
std::string soundedOnDisk(const std::string& device) {
    std::ostringstream bytes;
    bytes << std::ifstream(device, std::ios::binary).rdbuf();
    std::string sounded = bytes.str();
    sounded.erase(std::remove(sounded.begin(), sounded.end(), '\x80'), sounded.end());
    std::filesystem::remove(device);
    return sounded;
}

struct NoRepaint final : RepaintPort {
    void requestLedRepaint() override {}
    void requestColonRepaint() override {}
};

// Reports as the GUI thread's event queue would hold them.
struct Host final : SoundQueueListener {
    SoundQueue queue{*this, 3 * pullSamples};
    std::vector<uint64_t> reports;
    int dry = 0;
    void melodyNoteEnded(uint64_t tag) override { reports.push_back(tag); }
    void ranDry() override { ++dry; }
    std::string pull(uint32_t count) {
        std::string samples(count, '\0');
        queue.pull(reinterpret_cast<uint8_t*>(samples.data()), count);
        return samples;
    }
};

struct TuneCase {
    std::string name;
    std::string example; // or, when empty, a tune of these commands
    std::string commands;
    uint32_t pullSamples;
    uint64_t notes; // 0: one pass
};

class QueueStream : public testing::TestWithParam<TuneCase> {};

// Byte for byte the render, then silence; reports answered between pulls, as
// the window answers them, carry the notes' tags in order.
TEST_P(QueueStream, IsTheRender) {
    const TuneCase& c = GetParam();
    const TuneFile file(c.commands);
    const std::string script = c.example.empty() ? file.path : examples + c.example;
    const auto [rendered, steps] =
        render(script, c.notes ? formats::RunLimit::notes(c.notes) : formats::RunLimit::pass());
    Host host;
    NoRepaint repaint;
    KitState kit;
    loadTune(kit, script);
    press(kit, {host.queue, repaint}, KeyId::Run);
    uint64_t claimed = 0;
    std::string stream;
    while (host.dry == 0) {
        // Including reports raised inside nextNote, by notes that went into the FIFO whole.
        for (size_t i = 0; i < host.reports.size(); ++i) {
            ASSERT_TRUE(host.queue.claimReport(host.reports[i]));
            ASSERT_EQ(host.reports[i], ++claimed);
            if (claimed < steps) nextNote(kit, {host.queue, repaint});
        }
        host.reports.clear();
        stream += host.pull(c.pullSamples);
    }
    EXPECT_EQ(claimed, steps);
    EXPECT_TRUE(stream.compare(0, rendered.size(), rendered) == 0);
    EXPECT_EQ(stream.find_first_not_of('\x80', rendered.size()), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Tunes, QueueStream,
    testing::Values(TuneCase{"OdeToJoy", "ode-to-joy.dat", "", pullSamples, 0},
                    TuneCase{"FrereJacques", "frere-jacques.dat", "", pullSamples, 0},
                    TuneCase{"OneSamplePulls", "au-clair-de-la-lune.dat", "", 1, 6},
                    TuneCase{"OddPulls", "row-row-row-your-boat.dat", "", 700, 12},
                    // Blank memory plays the shortest note, shorter than a pull, over and over.
                    TuneCase{"ShortestNotes", "", "0000@ 0010W 0010@ 01E0W", pullSamples, 100}),
    [](const testing::TestParamInfo<TuneCase>& info) { return info.param.name; });

TEST(SoundQueue, CutsAtOnceAndTellsStaleReports) {
    Host host;
    EXPECT_EQ(host.pull(pullSamples), std::string(pullSamples, '\x80')); // underrun
    host.queue.playTone(toneIndex(0, 0), 3000);
    host.queue.playTone(toneIndex(0, 1), 2000); // behind it
    while (host.reports.empty()) host.pull(pullSamples);
    ASSERT_EQ(host.reports, std::vector<uint64_t>{1});
    // Ahead of the device by at least two pulls when reporting.
    EXPECT_GE(3000 - host.queue.samplesSounded(), 2 * pullSamples);
    host.queue.stopSound();
    EXPECT_EQ(host.pull(pullSamples), std::string(pullSamples, '\x80'));
    EXPECT_EQ(host.dry, 1);
    host.queue.playTone(toneIndex(0, 0), 2000); // RUN again before the old report is handled
    EXPECT_FALSE(host.queue.claimReport(1));
    host.pull(pullSamples);
    ASSERT_EQ(host.reports, (std::vector<uint64_t>{1, 3}));
    EXPECT_TRUE(host.queue.claimReport(3));
    EXPECT_FALSE(host.queue.claimReport(3));

    host.queue.startKeyNote(16); // cuts, loops, never reports
    host.queue.startKeyNote(noKeyNote);
    for (uint32_t n = 0; n < 2 * keyNoteLoopBytes(16); n += pullSamples)
        ASSERT_EQ(host.pull(pullSamples).find('\x80'), std::string::npos);
    EXPECT_EQ(host.reports.size(), 2u);
}

// The device also gets silence while paused, or when a loaded machine delays
// an answer; that only adds silence, so silence is dropped before comparing
// (the tune has no rests). A note too many or too few, or cut short, shows.
// The reports of the notes' ends cross to the GUI thread without allocating.
TEST(QtSound, DiskDeviceGetsTheRender) {
    const TuneFile file("0000@ 0010W  0010@ 3405W 1007W EEEEW");
    const std::string device = file.path + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", device.c_str(), 1);
    const auto [rendered, steps] = render(file.path, formats::RunLimit::notes(7));
    int argc = 1;
    char name[] = "sound_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    {
        qt::QtSound sound;
        ASSERT_TRUE(sound.audioAvailable()) << sound.audioError().toStdString();
        NoRepaint repaint;
        KitState kit;
        loadTune(kit, file.path);
        uint64_t started = 1;
        QObject::connect(&sound, &qt::QtSound::melodyNoteEnded, [&](quint64 tag) {
            if (!sound.claimReport(tag)) return;
            if (started++ < steps) return nextNote(kit, {sound, repaint});
            QTimer::singleShot(1000, &app, &QCoreApplication::quit); // the device takes the rest
        });
        press(kit, {sound, repaint}, KeyId::Run);
        QTimer::singleShot(20000, &app, &QCoreApplication::quit);
        app.exec();
        EXPECT_EQ(started, steps + 1);
        EXPECT_EQ(audioThreadAllocations.load(), 0u);
    } // closing the device completes its file
    const std::string sounded = soundedOnDisk(device);
    EXPECT_TRUE(sounded == rendered) << sounded.size() << " bytes, not " << rendered.size();
}

// Released while idle, the device opens again for the next sound, which
// reaches it whole and still reports its end.
TEST(DeviceSound, ReleasedDeviceReopensForTheNextSound) {
    const std::string device = std::filesystem::temp_directory_path().string() + "/release-" +
                               std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", device.c_str(), 1);
    struct Ends final : SoundQueueListener {
        std::atomic<int> count{0};
        void melodyNoteEnded(uint64_t) override { ++count; }
        void ranDry() override {}
    } ends;
    constexpr uint32_t tone = toneIndex(1, 0), length = sampleRate / 10;
    std::string expected(length, '\0');
    ToneSource source = melodyNoteSource(tone, length);
    readTone(source, reinterpret_cast<uint8_t*>(expected.data()), length);
    {
        audio::DeviceSound sound(ends);
        ASSERT_TRUE(sound.open()) << sound.error();
        sound.releaseIfIdle();
        EXPECT_TRUE(sound.isOpen());
        sound.playTone(tone, length);
        for (int wait = 0; wait < 100 && ends.count == 0; ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_EQ(ends.count, 1);
        std::this_thread::sleep_for(std::chrono::milliseconds(300)); // the FIFO's last samples
    }
    const std::string sounded = soundedOnDisk(device);
    EXPECT_TRUE(sounded == expected) << sounded.size() << " bytes, not " << expected.size();
}

// Request times, in buffers, of a device asking for a buffer each time:
// only a request later than the samples given could last, by a quarter of a
// buffer or more, tells that the device ran out.
TEST(UnderrunWatch, TellsOnlyARequestLaterThanTheSamplesGivenCouldLast) {
    constexpr uint32_t buffer = 512;
    const double bufferMicroseconds = buffer * 1e6 / sampleRate;
    struct Case {
        const char* name;
        std::vector<double> times;  // a negative time: the device resumed after a pause, at -time
        std::vector<size_t> ranOut; // which requests tell
    };
    const Case cases[] = {
        {"steady", {0, 1, 2, 3, 4, 5}, {}},
        {"two at once, then a gap", {0, 0, 2, 2, 4, 4, 6}, {}},
        {"late by a fifth", {0, 1, 2, 3.2, 4, 5}, {}},
        {"late by a third, then steady from there", {0, 1, 2, 3.33, 4.33, 5.33}, {3}},
        {"late twice", {0, 1, 2.5, 3.5, 5, 6}, {2, 4}},
        {"a pause is no underrun", {0, 1, 2, -40, 41, 42}, {}},
        {"four at once fill no more than two buffers ahead", {0, 0, 0, 0, 3.5}, {4}},
    };
    for (const Case& c : cases) {
        audio::UnderrunWatch watch(buffer, sampleRate);
        std::vector<size_t> told;
        for (size_t i = 0; i < c.times.size(); ++i) {
            if (c.times[i] < 0) watch.restart();
            const auto now = static_cast<uint64_t>(std::abs(c.times[i]) * bufferMicroseconds);
            if (watch.ranOut(now, buffer)) told.push_back(i);
        }
        EXPECT_EQ(told, c.ranOut) << c.name;
    }
    // A device clock slower than the host's by 0.05 % over ten minutes.
    audio::UnderrunWatch watch(buffer, sampleRate);
    for (int i = 0; i < 26000; ++i)
        ASSERT_FALSE(watch.ranOut(static_cast<uint64_t>(i * bufferMicroseconds * 1.0005), buffer))
            << i;
}

} // namespace
} // namespace korvel::test
