// The desktop edition's tune tools timed through the window's own commands,
// as a user's click runs them: a ten-minute tune exported as WAV (and as
// MIDI), and a ten-minute MIDI file imported into the kit. The WAV export is
// timed three ways: the first in a fresh window, the first after the File
// menu opened (which once made a tone bank of 36 MB in the background), and
// later ones, each with the resident memory it adds. Each is timed from the
// command to the file written (or the tune loaded), without the dialogs. The
// tune's pass reaches the ten-minute cap, so its export also warns, once per
// window.
#include "bench/benchFiles.h"
#include "bench/residentMemory.h"
#include "host/qt/mainWindow.h"
#include "host/qt/silentSound.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSet>
#include <QThread>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

using namespace korvel;
using korvel::qt::MainWindow;

// A window with the ten-minute tune loaded, its dialogs answered at once.
class BenchWindow {
  public:
    BenchWindow() : window_(std::make_unique<MainWindow>(sound_)) {
        // Each message once: the tune's pass stops at the cap every time.
        window_->setMessageSink([this](const QString& caption, const QString& text) {
            if (!told_.contains(text))
                std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
            told_.insert(text);
        });
        window_->setReportSink([](const QString&, const ImportReport&) {});
        window_->setFileChooser([](MainWindow::FileChoice choice) {
            return QString::fromStdString(bench::tempPath(
                choice == MainWindow::FileChoice::ExportWave ? "korvel-qt-bench.wav"
                                                             : "korvel-qt-bench.mid"));
        });
        window_->setImportChooser([](const QString&, std::vector<formats::VoiceChoice>) {
            formats::ImportOptions options;
            options.truncate = true; // ten minutes of quavers outgrow the memory
            return std::optional(options);
        });
        window_->loadFile(QString::fromStdString(bench::tenMinuteTune()));
    }
    void trigger(const char* action) { window_->findChild<QAction*>(action)->trigger(); }
    MainWindow& window() { return *window_; }

  private:
    qt::SilentSound sound_;
    std::unique_ptr<MainWindow> window_;
    QSet<QString> told_;
};

// The peak a WAV export adds to a window's resident memory.
void desktopFirstWaveExport(benchmark::State& state) {
    double added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchWindow window;
        const double resident = bench::residentMiB();
        bench::resetPeakResident();
        state.ResumeTiming();
        window.trigger("exportWave");
        added = std::max(added, bench::peakResidentMiB() - resident);
    }
    state.counters["addedMiB"] = added;
}
BENCHMARK(desktopFirstWaveExport)->Unit(benchmark::kMillisecond);

// As a user meets it: the File menu opened, and the export once the user has
// reached the command and chosen a file, which takes longer than this. The
// "menuAddedMiB" counter is what opening the menu adds to resident memory.
constexpr unsigned long menuToFileChosenMs = 300;

void desktopFirstWaveExportAfterMenu(benchmark::State& state) {
    double added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        BenchWindow window;
        const double resident = bench::residentMiB();
        emit window.window().findChild<QMenu*>("fileMenu")->aboutToShow();
        QThread::msleep(menuToFileChosenMs);
        added = std::max(added, bench::residentMiB() - resident);
        state.ResumeTiming();
        window.trigger("exportWave");
    }
    state.counters["menuAddedMiB"] = added;
}
BENCHMARK(desktopFirstWaveExportAfterMenu)->Unit(benchmark::kMillisecond);

void desktopWaveExport(benchmark::State& state) {
    BenchWindow window;
    window.trigger("exportWave");
    for (auto _ : state) window.trigger("exportWave");
}
BENCHMARK(desktopWaveExport)->Unit(benchmark::kMillisecond);

void desktopMidiExport(benchmark::State& state) {
    BenchWindow window;
    for (auto _ : state) window.trigger("exportMidi");
}
BENCHMARK(desktopMidiExport)->Unit(benchmark::kMillisecond);

void desktopMidiImport(benchmark::State& state) {
    BenchWindow window;
    const QString song = QString::fromStdString(bench::tenMinuteSong());
    for (auto _ : state)
        if (!window.window().importMidiFile(song)) state.SkipWithError("the import failed");
}
BENCHMARK(desktopMidiImport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
