// Importing a ten-minute MIDI song and exporting a ten-minute tune, each
// beside reading the MIDI file involved in the same run; the "xRead" counter
// is the ratio. Both are timed from the file on disk to the finished bytes,
// without the write.
#include "bench/benchFiles.h"
#include "files/tuneLoad.h"
#include "formats/midiFile.h"
#include "formats/tuneExport.h"
#include "formats/tuneImport.h"
#include "formats/tuneRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>

namespace {

using namespace korvel;
using namespace korvel::formats;
using namespace korvel::bench;
using Clock = std::chrono::steady_clock;

double readSeconds(const std::string& path) {
    double fastest = 1e9;
    for (int i = 0; i < 20; ++i) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(readAll(path));
        fastest = std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return fastest;
}

template <typename Body>
void timeAgainstRead(benchmark::State& state, const std::string& readPath, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        body();
        total += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["xRead"] = total / double(state.iterations()) / readSeconds(readPath);
    state.counters["fileBytes"] = double(readAll(readPath).size());
}

void importTenMinutes(benchmark::State& state) {
    ImportOptions options;
    options.truncate = true;
    timeAgainstRead(state, tenMinuteSong(), [&] {
        MidiSong song;
        readMidi(readAll(tenMinuteSong()), song);
        const ImportResult imported = importTune(song, options, "song");
        benchmark::DoNotOptimize(importedScript(imported.tune, "song.mid"));
    });
}
BENCHMARK(importTenMinutes)->Unit(benchmark::kMillisecond);

std::string exportTune() {
    KitState kit;
    loadTune(kit, tenMinuteTune());
    StepRecorder played;
    runTune(kit, RunLimit::pass(), played);
    return tuneMidi(played.steps, "long tune");
}

void exportTenMinutes(benchmark::State& state) {
    // The baseline reads the file this makes.
    const std::string exported = tempPath("korvel-bench-export.mid");
    writeAll(exported, exportTune());
    timeAgainstRead(state, exported, [] { benchmark::DoNotOptimize(exportTune()); });
}
BENCHMARK(exportTenMinutes)->Unit(benchmark::kMillisecond);

} // namespace
