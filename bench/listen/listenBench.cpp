// Prints the notes Listen hears in a WAVE file, one a line: onset in seconds,
// pitch in semitones as sounded (the voice's tuning left in, so it compares
// with the reference), duration in seconds. With --time, prints instead the
// seconds the transcription took (the best of five runs; reading excluded).
// With --trace-delay, prints how long after a voice starts, and after it moves
// to another note, the live pitch line shows it, fed 10 ms at a time as a
// microphone would.
#include "formats/waveRead.h"
#include "listen/heardTune.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace korvel;

constexpr size_t blockFrames = 4096; // as a file reader hands them over

struct Recording {
    double rate = 0;
    std::vector<float> mono;
};

// The whole recording in memory, so the timing is of the transcription alone.
Recording readRecording(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path + ": cannot open it");
    Recording wave;
    formats::WaveReader reader([&wave](const float* mono, size_t count) {
        wave.mono.insert(wave.mono.end(), mono, mono + count);
        return true;
    });
    std::vector<char> block(64 * 1024);
    while (in.read(block.data(), std::streamsize(block.size())) || in.gcount() > 0)
        if (!reader.feed(block.data(), size_t(in.gcount()))) break;
    if (in.bad()) throw std::runtime_error(path + ": cannot read it");
    if (!reader.finish()) throw std::runtime_error(path + ": " + reader.error());
    wave.rate = reader.format().rate;
    return wave;
}

listen::HeardRecording hear(const Recording& wave) {
    listen::Listening listening(wave.rate);
    for (size_t at = 0; at < wave.mono.size(); at += blockFrames)
        if (!listening.feed(&wave.mono[at], std::min(blockFrames, wave.mono.size() - at))) break;
    return listening.finish();
}

double bestSeconds(const Recording& wave) {
    double best = INFINITY;
    for (int run = 0; run < 5; ++run) {
        const auto start = std::chrono::steady_clock::now();
        hear(wave);
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    return best;
}

// Seconds from the change at changeAt until the newest point of the trace is
// within a quarter tone of pitchAfter.
double traceDelay(double pitchBefore, double changeAt, double pitchAfter) {
    const double rate = 48000;
    const size_t block = 480;
    listen::Listening listening(rate);
    std::vector<float> samples(block);
    double phase = 0;
    for (size_t fed = 0; fed < size_t(rate * (changeAt + 1)); fed += block) {
        for (size_t i = 0; i < block; ++i) {
            const double t = double(fed + i) / rate;
            const double pitch = t < changeAt ? pitchBefore : pitchAfter;
            if (std::isnan(pitch)) {
                samples[i] = 0;
                continue;
            }
            phase += 440 * std::pow(2, (pitch - 69) / 12) / rate;
            samples[i] = float(0.5 * std::sin(2 * 3.14159265358979 * phase));
        }
        listening.feed(samples.data(), block);
        const double heard = double(fed + block) / rate;
        if (heard > changeAt && !listening.trace().empty() &&
            std::fabs(listening.trace().back() - pitchAfter) < 0.5)
            return heard - changeAt;
    }
    return NAN;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--trace-delay") == 0) {
        std::printf("a voice starting: %.0f ms; a new note: %.0f ms\n",
                    1000 * traceDelay(NAN, 0.5, 57), 1000 * traceDelay(57, 1, 64));
        return 0;
    }
    const bool timed = argc == 3 && std::strcmp(argv[1], "--time") == 0;
    if (argc != 2 && !timed) {
        std::fprintf(stderr, "usage: korvel_listen_bench [--time] FILE.wav | --trace-delay\n");
        return 2;
    }
    try {
        const Recording wave = readRecording(argv[argc - 1]);
        if (timed) {
            std::printf("%.4f\n", bestSeconds(wave));
            return 0;
        }
        const listen::HeardRecording heard = hear(wave);
        for (const listen::HeardNote& note : heard.notes)
            std::printf("%.4f\t%.3f\t%.4f\n", note.onset, note.pitch + heard.tuningCents / 100,
                        note.duration);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "korvel_listen_bench: %s\n", e.what());
        return 1;
    }
}
