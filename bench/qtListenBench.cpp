// The desktop editor's Listen, "sound in to line drawn": a tone starts at the
// sound input, and the time runs until the pitch line is painted with the
// tone at its newest point. The input is paced as SDL's capture is, a block
// of 128 samples at 22050 a second (as DeviceCapture asks for) handed over as
// each fills, so the time includes the wait for the block, the editor's 33 ms
// timer, the pitch tracker's frames and the paint; a real device adds its
// driver's latency. Run with QT_QPA_PLATFORM=offscreen or on a display.
#include "audio/captureQueue.h"
#include "audio/soundInput.h"
#include "host/qt/mainWindow.h"
#include "host/qt/silentSound.h"
#include "host/qt/tuneEditorPanel.h"
#include "listen/pi.h"

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

namespace {

using namespace korvel;
using korvel::qt::MainWindow;
using Clock = std::chrono::steady_clock;

class PacedInput final : public audio::SoundInput {
  public:
    static constexpr double rate = 22050;
    static constexpr size_t blockSamples = 128;

    ~PacedInput() override { close(); }
    bool open() override {
        running_ = true;
        thread_ = std::thread([this] { run(); });
        return true;
    }
    void close() override {
        running_ = false;
        if (thread_.joinable()) thread_.join();
    }
    double sampleRate() const override { return rate; }
    const std::string& error() const override { return error_; }
    Taken take(std::vector<float>& samples) override { return {queue_.take(samples), false}; }

    // The tone sounds from the next block on; soundedAt() then tells when it began.
    void sound(bool on) {
        soundedAt_ = Clock::time_point{};
        tone_ = on;
    }
    Clock::time_point soundedAt() const { return soundedAt_.load(); }

  private:
    void run() {
        const auto blockTime = std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(blockSamples / rate));
        std::vector<float> block(blockSamples);
        auto filled = Clock::now();
        double phase = 0;
        while (running_) {
            const auto began = filled;
            filled += blockTime;
            std::this_thread::sleep_until(filled);
            const bool on = tone_;
            for (float& sample : block) {
                sample = on ? float(0.5 * std::sin(phase)) : 0;
                phase += 2 * listen::pi * 440 / rate;
            }
            queue_.push(block.data(), block.size());
            if (on && soundedAt_.load() == Clock::time_point{}) soundedAt_ = began;
        }
    }

    audio::CaptureQueue queue_{size_t(rate)};
    std::thread thread_;
    std::atomic<bool> running_{false}, tone_{false};
    std::atomic<Clock::time_point> soundedAt_{};
    std::string error_;
};

// The newest point of the line, at the right edge, drawn in the line's near-white.
bool showsTone(QWidget& line) {
    const QImage shown = line.grab().toImage();
    for (int y = 0; y < shown.height(); ++y) {
        const QColor colour = shown.pixelColor(shown.width() - 2, y);
        if (colour.red() > 200 && colour.green() > 200 && colour.blue() > 200) return true;
    }
    return false;
}

// Notes the time of each paint of the line.
class PaintTime final : public QObject {
  public:
    Clock::time_point last{};
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) last = Clock::now(), ++paints;
        return false;
    }
};

void waitFor(double seconds) {
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < until) QApplication::processEvents(QEventLoop::AllEvents, 5);
}

void desktopListenSoundToLine(benchmark::State& state) {
    qt::SilentSound sound;
    PacedInput input;
    MainWindow window(sound);
    window.tuneEditor().setSoundInput(&input);
    window.show();
    window.showTuneEditor(true);
    while (!window.windowHandle()->isExposed()) QApplication::processEvents();
    window.tuneEditor().listenAction()->trigger();
    auto* line = window.findChild<QWidget*>("pitchLine");
    PaintTime paint;
    line->installEventFilter(&paint);
    double worst = 0;
    for (auto _ : state) {
        input.sound(false);
        waitFor(0.6); // the line falls silent
        input.sound(true);
        double seconds = 0;
        for (int seen = paint.paints; seconds == 0;) {
            QApplication::processEvents(QEventLoop::AllEvents, 1);
            if (paint.paints == seen) continue;
            const Clock::time_point painted = paint.last;
            if (input.soundedAt() != Clock::time_point{} && showsTone(*line))
                seconds = std::chrono::duration<double>(painted - input.soundedAt()).count();
            seen = paint.paints; // the grab may have painted too
        }
        state.SetIterationTime(seconds);
        worst = std::max(worst, seconds);
    }
    state.counters["worst_ms"] = worst * 1000;
    window.tuneEditor().listenAction()->trigger();
}
BENCHMARK(desktopListenSoundToLine)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

} // namespace
