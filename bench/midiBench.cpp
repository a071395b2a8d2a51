// Importing a ten-minute MIDI song and exporting a ten-minute tune, each
// beside reading the MIDI file involved in the same run; the "xRead" counter
// is the ratio. Both are timed from the file on disk to the finished bytes,
// without the write.
#include "files/tuneLoad.h"
#include "formats/midiFile.h"
#include "formats/tuneExport.h"
#include "formats/tuneImport.h"
#include "formats/tuneRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

using namespace korvel;
using namespace korvel::formats;
using Clock = std::chrono::steady_clock;

std::string tempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

std::string readAll(const std::string& path) {
    std::string bytes;
    if (std::FILE* file = std::fopen(path.c_str(), "rb")) {
        char chunk[64 * 1024];
        for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;)
            bytes.append(chunk, got);
        std::fclose(file);
    }
    return bytes;
}

void writeAll(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string big(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

// Ten minutes at 120 crotchets a minute: a melody of quavers over crotchet
// triads on another channel, as a format-1 file of three tracks.
const std::string& tenMinuteSong() {
    static const std::string path = [] {
        const std::string scale = "\x3C\x3E\x40\x41\x43\x45\x47\x48";
        std::string melody, chords;
        for (int quaver = 0; quaver < 2400; ++quaver) {
            const char key = scale[(quaver * 3 + quaver / 7) % 8];
            melody += std::string("\x00\x90", 2) + key + "\x50" + std::string("\x81\x70", 2) +
                      std::string("\x80", 1) + key + std::string("\x00", 1);
        }
        for (int crotchet = 0; crotchet < 1200; ++crotchet) {
            const char root = char(0x30 + crotchet % 5);
            chords += std::string("\x00\x91", 2) + root + "\x40" + std::string("\x00", 1) +
                      char(root + 4) + "\x40" + std::string("\x00", 1) + char(root + 7) + "\x40" +
                      std::string("\x83\x60", 2) + root + std::string("\x00\x00", 2) +
                      char(root + 4) + std::string("\x00\x00", 2) + char(root + 7) +
                      std::string("\x00", 1);
        }
        const std::string end("\x00\xFF\x2F\x00", 4);
        const std::string tracks[] = {std::string("\x00\xFF\x51\x03\x07\xA1\x20", 7) + end,
                                      melody + end, chords + end};
        std::string file = "MThd" + big(6, 4) + big(1, 2) + big(3, 2) + big(480, 2);
        for (const std::string& body : tracks)
            file += "MTrk" + big(uint32_t(body.size()), 4) + body;
        const std::string written = tempPath("korvel-bench-song.mid");
        writeAll(written, file);
        return written;
    }();
    return path;
}

// 127 steps of 4.8 s at the slowest tempo, then the end marker: 10 minutes 10 s.
const std::string& tenMinuteTune() {
    static const std::string path = [] {
        std::string script = "KORVEL long tune\n---\n000E@ 000FW 0000@ 0010W 0010@\n";
        const char* tones[] = {"10", "12", "14", "15", "17", "19", "1B", "20"};
        for (int step = 0; step < 127; ++step) script += std::string(tones[step % 8]) + "11W ";
        script += "EEEEW\n0\n";
        const std::string written = tempPath("korvel-bench-tune.dat");
        writeAll(written, script);
        return written;
    }();
    return path;
}

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
