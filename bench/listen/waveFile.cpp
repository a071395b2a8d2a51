#include "bench/listen/waveFile.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace korvel::bench {

namespace {
uint32_t little(const std::string& bytes, size_t at, size_t width) {
    uint32_t value = 0;
    for (size_t i = 0; i < width; ++i) value |= uint32_t(uint8_t(bytes.at(at + i))) << (8 * i);
    return value;
}
} // namespace

WaveFile readWave(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") || bytes.compare(8, 4, "WAVE"))
        throw std::runtime_error(path + ": not a WAVE file");
    WaveFile wave;
    size_t channels = 0;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string id = bytes.substr(at, 4);
        const size_t size = little(bytes, at + 4, 4), body = at + 8;
        if (id == "fmt ") {
            if (little(bytes, body, 2) != 1 || little(bytes, body + 14, 2) != 16)
                throw std::runtime_error(path + ": not 16-bit PCM");
            channels = little(bytes, body + 2, 2);
            wave.rate = little(bytes, body + 4, 4);
        } else if (id == "data" && channels > 0) {
            const size_t frames = std::min(size, bytes.size() - body) / (2 * channels);
            wave.mono.resize(frames);
            for (size_t f = 0; f < frames; ++f) {
                double sum = 0;
                for (size_t c = 0; c < channels; ++c)
                    sum += int16_t(little(bytes, body + 2 * (f * channels + c), 2));
                wave.mono[f] = float(sum / double(channels) / 32768);
            }
            return wave;
        }
        at = body + size + (size & 1);
    }
    throw std::runtime_error(path + ": no sound data after the format");
}

} // namespace korvel::bench
