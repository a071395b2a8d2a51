// QtSound on SDL's disk driver, which records what the device was given,
// under a Qt event loop, with melodyNoteDone answered as the window answers it.
#include "qtSound.h"
#include "renderedTune.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvel::test {
namespace {

class NoRepaint final : public RepaintPort {
  public:
    void requestLedRepaint() override {}
    void requestColonRepaint() override {}
};

// The device also gets silence while paused, and whenever a loaded machine
// delays the answer to a report; that only adds silence, so silence is
// dropped before comparing (the tune has no rests). A note too many or too
// few, or one cut short, still shows.
TEST(QtSound, DiskDeviceGetsTheRenderedTune) {
    const std::string script =
        writeTuneScript("two-notes.dat", "0000@ 0010W  0010@ 3405W 1007W EEEEW");
    const std::string device = script + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", device.c_str(), 1);
    const RenderedTune rendered = renderTune(script, cli::RunLimit::notes(7));
    ASSERT_EQ(rendered.samples.find('\x80'), std::string::npos);

    int argc = 1;
    char name[] = "sound_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    {
        qt::QtSound sound;
        ASSERT_TRUE(sound.audioAvailable()) << sound.audioError().toStdString();
        NoRepaint repaint;
        KitState kit;
        cli::loadTune(kit, script);
        const KitPorts ports{sound, repaint};
        uint64_t started = 1;
        QObject::connect(&sound, &qt::QtSound::melodyNoteDone, [&] {
            ASSERT_EQ(kit.mode, KitMode::Playing);
            if (started < rendered.steps) {
                nextNote(kit, ports);
                ++started;
            } else {
                // Time for the device to take what the queue still holds.
                QTimer::singleShot(1000, &app, &QCoreApplication::quit);
            }
        });
        press(kit, ports, KeyId::Run);
        QTimer::singleShot(20000, &app, [&] {
            ADD_FAILURE() << "the tune did not end";
            app.quit();
        });
        app.exec();
        EXPECT_EQ(started, rendered.steps);
    } // closing the device completes its file

    std::ifstream in(device, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    std::string sounded = bytes.str();
    sounded.erase(std::remove(sounded.begin(), sounded.end(), '\x80'), sounded.end());
    EXPECT_TRUE(sounded == rendered.samples)
        << sounded.size() << " bytes sounded, " << rendered.samples.size() << " rendered";
    std::filesystem::remove(device);
    std::filesystem::remove(script);
}

} // namespace
} // namespace korvel::test
