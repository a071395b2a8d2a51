// The sound's costs: the tone source against copying the same bytes from the
// tone bank (the ratio in one run), and on the default audio output (set
// SDL_AUDIODRIVER to choose) the delay from a key press to its first sample
// going to the device, and the CPU an idle kit and a held key cost.
#include "audio/deviceSound.h"
#include "model/toneSource.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <ctime>
#include <random>
#include <thread>
#include <vector>

namespace {

using korvel::audio::DeviceSound;
using Clock = std::chrono::steady_clock;

constexpr uint32_t pieceBytes = DeviceSound::firstBufferSamples;

// Every tone buffer whole, in device-buffer pieces, both ways.
void toneSourceAgainstBankCopy(benchmark::State& state) {
    static korvel::ToneBank bank;
    static const bool built = korvel::buildToneBank(bank);
    if (!built) return state.SkipWithError("no memory for the tone bank");
    uint8_t piece[pieceBytes];
    std::chrono::duration<double> source{}, copy{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (uint32_t t = 0; t < korvel::toneSlotCount; ++t) {
            korvel::ToneSource note = korvel::melodyNoteSource(t, korvel::toneBufferBytes);
            while (korvel::readTone(note, piece, pieceBytes) != 0) benchmark::DoNotOptimize(piece);
        }
        const auto copied = Clock::now();
        for (uint32_t t = 0; t < korvel::toneSlotCount; ++t) {
            if (!bank.tone[t]) continue;
            for (uint32_t at = 0; at < korvel::toneBufferBytes; at += pieceBytes) {
                const uint32_t n = std::min(pieceBytes, korvel::toneBufferBytes - at);
                std::memcpy(piece, bank.tone[t] + at, n);
                benchmark::DoNotOptimize(piece);
            }
        }
        const auto end = Clock::now();
        source += copied - start;
        copy += end - copied;
    }
    const double samples = double(state.iterations()) * 193 * korvel::toneBufferBytes;
    state.counters["sourceNsPerSample"] = source.count() * 1e9 / samples;
    state.counters["copyNsPerSample"] = copy.count() * 1e9 / samples;
    state.counters["sourceOverCopy"] = source.count() / copy.count();
}
BENCHMARK(toneSourceAgainstBankCopy)->Unit(benchmark::kMillisecond);

class Quiet final : public korvel::SoundQueueListener {
  public:
    void melodyNoteEnded(uint64_t) override {}
    void ranDry() override {}
};

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Times press() to the first sample it starts leaving the queue for the
// device, at random phases of the device's cycle; settle() runs after each.
template <typename Press, typename Settle>
void timeToDevice(benchmark::State& state, DeviceSound& sound, Press press, Settle settle) {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> pause(30, 60);
    std::vector<double> delays;
    for (auto _ : state) {
        std::this_thread::sleep_for(std::chrono::milliseconds(pause(random)));
        const uint64_t before = sound.samplesSounded();
        const auto pressed = Clock::now();
        press();
        while (sound.samplesSounded() == before)
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        delays.push_back(std::chrono::duration<double>(Clock::now() - pressed).count());
        state.SetIterationTime(delays.back());
        settle();
    }
    std::sort(delays.begin(), delays.end());
    state.counters["medianMs"] = delays[delays.size() / 2] * 1e3;
    state.counters["worstMs"] = delays.back() * 1e3;
    state.counters["bufferMs"] = DeviceSound::firstBufferSamples * 1e3 / korvel::sampleRate;
}

// An editor's audition while a tone sounds, the device in use: the tone cut
// and the next one started as a piano key does. At most one device buffer.
void auditionToDeviceInUse(benchmark::State& state) {
    Quiet quiet;
    DeviceSound sound(quiet);
    if (!sound.open()) return state.SkipWithError(sound.error().c_str());
    sound.playTone(korvel::toneIndex(0, 5), korvel::toneBufferBytes);
    // A sound server may take a while to wake an output it had slowed down:
    // measured once the device has taken a few buffers at its pace.
    while (sound.samplesSounded() < 16 * DeviceSound::firstBufferSamples)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    uint32_t note = 0;
    const auto audition = [&] {
        sound.stopSound();
        sound.playTone(korvel::toneIndex(0, ++note % 12), korvel::toneBufferBytes);
    };
    timeToDevice(state, sound, audition, [] {});
    sound.stopSound();
}
BENCHMARK(auditionToDeviceInUse)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

// startKeyNote on a paused device.
void keyPressToDevice(benchmark::State& state) {
    Quiet quiet;
    DeviceSound sound(quiet);
    if (!sound.open()) return state.SkipWithError(sound.error().c_str());
    timeToDevice(
        state, sound, [&] { sound.startKeyNote(16); }, [&] { sound.stopSound(); });
}
BENCHMARK(keyPressToDevice)->UseManualTime()->Iterations(60)->Unit(benchmark::kMillisecond);

// Process CPU over a second with the device open and idle (paused), then
// with a key held (running).
void cpuIdleAndSounding(benchmark::State& state) {
    Quiet quiet;
    DeviceSound sound(quiet);
    if (!sound.open()) return state.SkipWithError(sound.error().c_str());
    constexpr auto span = std::chrono::seconds(1);
    double idle = 0, sounding = 0;
    for (auto _ : state) {
        double start = processCpuSeconds();
        std::this_thread::sleep_for(span);
        idle += processCpuSeconds() - start;
        sound.startKeyNote(16);
        start = processCpuSeconds();
        std::this_thread::sleep_for(span);
        sounding += processCpuSeconds() - start;
        sound.stopSound();
    }
    const double seconds = double(state.iterations());
    state.counters["idleCpuPercent"] = idle / seconds * 100;
    state.counters["soundingCpuPercent"] = sounding / seconds * 100;
}
BENCHMARK(cpuIdleAndSounding)->Iterations(3)->Unit(benchmark::kSecond);

} // namespace
