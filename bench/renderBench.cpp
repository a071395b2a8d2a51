// Rendering ten minutes of audio, each beside a plain copy of the same number
// of samples measured in the same run; the "xCopy" counter is the ratio.
#include "files/fileReplace.h"
#include "files/tuneLoad.h"
#include "formats/tuneRun.h"
#include "formats/tuneWave.h"
#include "model/toneBank.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

using namespace korvel;
using namespace korvel::formats;
using Clock = std::chrono::steady_clock;

constexpr double renderSeconds = 10 * 60;
constexpr size_t renderSamples = size_t(renderSeconds) * sampleRate;
constexpr uint32_t shortestStep = 368; // tempo 0, length code 0

const ToneBank& bank() {
    static ToneBank built;
    static const bool ready = buildToneBank(built);
    (void)ready;
    return built;
}

// The samples of ten minutes of the shortest steps, copied with nothing else to do.
void copySamples(std::vector<uint8_t>& out) {
    const uint8_t* tone = bank().tone[0];
    for (size_t at = 0; at < renderSamples; at += shortestStep)
        std::memcpy(out.data() + at, tone, std::min<size_t>(shortestStep, renderSamples - at));
}

double copySeconds() {
    static const double best = [] {
        std::vector<uint8_t> out(renderSamples);
        double fastest = 1e9;
        for (int i = 0; i < 10; ++i) {
            const auto start = Clock::now();
            copySamples(out);
            benchmark::DoNotOptimize(out.data());
            fastest =
                std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
        }
        return fastest;
    }();
    return best;
}

// Times the loop itself so the ratio uses the same clock as the baseline.
template <typename Body> void timeAgainstCopy(benchmark::State& state, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        body();
        total += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["xCopy"] = total / double(state.iterations()) / copySeconds();
}

void copyBaseline(benchmark::State& state) {
    std::vector<uint8_t> out(renderSamples);
    timeAgainstCopy(state, [&] {
        copySamples(out);
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(copyBaseline)->Unit(benchmark::kMillisecond);

class MemorySink final : public StepSink {
  public:
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        std::memcpy(out.data() + used, bank().tone[toneIndex], lengthBytes);
        used += lengthBytes;
        return true;
    }
    std::vector<uint8_t> out = std::vector<uint8_t>(renderSamples + toneBufferBytes);
    size_t used = 0;
};

// Empty memory plays 0000 over and over: the shortest steps, so the player's
// share per sample is at its largest.
void renderShortestSteps(benchmark::State& state) {
    MemorySink sink;
    timeAgainstCopy(state, [&] {
        KitState kit;
        initKit(kit, {0, 0, 0, 0});
        sink.used = 0;
        runTune(kit, RunLimit::seconds(renderSeconds), sink);
        benchmark::DoNotOptimize(sink.out.data());
    });
}
BENCHMARK(renderShortestSteps)->Unit(benchmark::kMillisecond);

// What a user waits for: an example rendered for ten minutes as korvel-cli
// render makes it: loaded, run silently for the length, the tone bank built
// and the WAV file written.
void renderWaveFile(benchmark::State& state) {
    const std::string out =
        (std::filesystem::temp_directory_path() / "korvel-render-bench.wav").string();
    const RunLimit limit = RunLimit::seconds(renderSeconds);
    timeAgainstCopy(state, [&] {
        KitState kit;
        loadTune(kit, KORVEL_EXAMPLES_DIR "/ode-to-joy.dat");
        KitState rehearsal = kit;
        SilentSink silent;
        const uint64_t samples = runTune(rehearsal, limit, silent).samples;
        ToneBank built;
        buildToneBank(built);
        files::replaceFile(out, [&](files::ByteSink& file) {
            return writeTuneWave(file, kit, limit, built, samples, [] { return false; });
        });
    });
    std::remove(out.c_str());
}
BENCHMARK(renderWaveFile)->Unit(benchmark::kMillisecond);

} // namespace
