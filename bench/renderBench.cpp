// Rendering ten minutes of audio, each beside a plain copy of the same number
// of samples measured in the same run; the "xCopy" counter is the ratio. The
// WAV file is rendered as korvel-cli renders it and, for comparison, from a
// tone bank as the renders once were, each with its peak resident memory.
#include "bench/residentMemory.h"
#include "files/fileReplace.h"
#include "files/tuneLoad.h"
#include "formats/tuneRun.h"
#include "formats/tuneWave.h"
#include "formats/waveFile.h"
#include "model/toneBank.h"
#include "model/toneSource.h"

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

// The samples of ten minutes of the shortest steps, copied with nothing else to do.
void copySamples(std::vector<uint8_t>& out) {
    static const std::vector<uint8_t> step = [] {
        std::vector<uint8_t> samples(shortestStep);
        fillTone(0, 0, samples.data(), shortestStep);
        return samples;
    }();
    for (size_t at = 0; at < renderSamples; at += shortestStep)
        std::memcpy(out.data() + at, step.data(),
                    std::min<size_t>(shortestStep, renderSamples - at));
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
        ToneSource tone = melodyNoteSource(toneIndex, lengthBytes);
        used += readTone(tone, out.data() + used, lengthBytes);
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

// The renders before theirs, the tone bank's included, have returned their memory.
template <typename Write> void renderExample(benchmark::State& state, Write write) {
    const std::string out =
        (std::filesystem::temp_directory_path() / "korvel-render-bench.wav").string();
    const RunLimit limit = RunLimit::seconds(renderSeconds);
    const double resident = bench::residentMiB();
    bench::resetPeakResident();
    timeAgainstCopy(state, [&] {
        KitState kit;
        loadTune(kit, KORVEL_EXAMPLES_DIR "/ode-to-joy.dat");
        KitState rehearsal = kit;
        SilentSink silent;
        const uint64_t samples = runTune(rehearsal, limit, silent).samples;
        files::replaceFile(out,
                           [&](files::ByteSink& file) { return write(file, kit, limit, samples); });
    });
    state.counters["peakMiB"] = bench::peakResidentMiB();
    state.counters["addedMiB"] = bench::peakResidentMiB() - resident;
    std::remove(out.c_str());
}

// What a user waits for: an example rendered for ten minutes as korvel-cli
// render makes it: loaded, run silently for the length and the WAV file written.
void renderWaveFile(benchmark::State& state) {
    renderExample(state, [](files::ByteSink& file, const KitState& kit, const RunLimit& limit,
                            uint64_t samples) {
        return writeTuneWave(file, kit, limit, samples, [] { return false; });
    });
}
BENCHMARK(renderWaveFile)->Unit(benchmark::kMillisecond);

// Each step's samples read in place from a tone bank built for the render.
class BankSink final : public StepSink {
  public:
    BankSink(const ToneBank& bank, files::ByteSink& file) : bank_(bank), file_(file) {}
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        return file_.write(bank_.tone[toneIndex], lengthBytes);
    }

  private:
    const ToneBank& bank_;
    files::ByteSink& file_;
};

void renderWaveFileFromToneBank(benchmark::State& state) {
    renderExample(state, [](files::ByteSink& file, const KitState& kit, const RunLimit& limit,
                            uint64_t samples) {
        ToneBank bank;
        buildToneBank(bank);
        return writeWave(file, samples, [&](files::ByteSink& out) {
            KitState playing = kit;
            BankSink sink(bank, out);
            return runTune(playing, limit, sink).outcome == RunOutcome::Done;
        });
    });
}
BENCHMARK(renderWaveFileFromToneBank)->Unit(benchmark::kMillisecond);

} // namespace
