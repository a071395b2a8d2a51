// Tone bank construction against a plain memset of the same 36 MB, so one run
// shows the ratio between the two.
#include "model/toneBank.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

constexpr size_t bankBytes = size_t{193} * korvel::toneBufferBytes;

// Allocates afresh each time, as buildToneBank does, so both pay the same page faults.
void memsetBaseline(benchmark::State& state) {
    for (auto _ : state) {
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[bankBytes]);
        std::memset(bytes.get(), korvel::silentLevel, bankBytes);
        benchmark::DoNotOptimize(bytes.get());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bankBytes));
}
BENCHMARK(memsetBaseline)->Unit(benchmark::kMillisecond);

void buildToneBank(benchmark::State& state) {
    for (auto _ : state) {
        korvel::ToneBank bank;
        korvel::buildToneBank(bank);
        benchmark::DoNotOptimize(bank.tone[0]);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bankBytes));
}
BENCHMARK(buildToneBank)->Unit(benchmark::kMillisecond);

} // namespace
