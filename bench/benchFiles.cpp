// Benchmark inputs: files made once per run.
#include "bench/benchFiles.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace korvel::bench {

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

namespace {

std::string big(uint32_t value, int bytes) {
    std::string out;
    for (int i = bytes - 1; i >= 0; --i) out += char(value >> (8 * i) & 0xFF);
    return out;
}

} // namespace

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

} // namespace korvel::bench
