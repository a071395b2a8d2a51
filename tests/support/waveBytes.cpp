#include "tests/support/waveBytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace korvel::test {
namespace {

constexpr double pi = 3.14159265358979323846;

void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i) & 0xFF);
}

void putSample(std::string& out, const WaveLayout& layout, double sample) {
    if (layout.tag == 3 && layout.bits == 32) {
        const auto value = float(sample);
        uint32_t word;
        std::memcpy(&word, &value, 4);
        return put(out, word, 4);
    }
    if (layout.tag == 3) {
        uint64_t word;
        std::memcpy(&word, &sample, 8);
        return put(out, word, 8);
    }
    const double top = std::ldexp(1.0, layout.bits - 1) - 1;
    const auto value = int64_t(std::lround(std::clamp(sample, -1.0, 1.0) * top));
    put(out, uint64_t(layout.bits == 8 ? value + 128 : value), (layout.bits + 7) / 8);
}

} // namespace

std::string waveBytes(const WaveLayout& layout, uint32_t rate, const std::vector<double>& mono) {
    const uint32_t block = layout.channels * ((layout.bits + 7) / 8);
    std::string data;
    for (size_t i = 0; i < mono.size(); ++i) {
        const double cancelled =
            layout.channels < 2 ? 0 : 0.25 * std::sin(2 * pi * 1000 * double(i) / rate);
        for (uint32_t c = 0; c < layout.channels; ++c)
            putSample(data, layout, mono[i] + (c == 0 ? cancelled : c == 1 ? -cancelled : 0));
    }
    std::string fmt;
    put(fmt, layout.extensible ? 0xFFFE : layout.tag, 2);
    put(fmt, layout.channels, 2);
    put(fmt, rate, 4);
    put(fmt, uint64_t(rate) * block, 4);
    put(fmt, block, 2);
    put(fmt, layout.bits, 2);
    if (layout.extensible) {
        put(fmt, 22, 2);
        put(fmt, layout.bits, 2);
        put(fmt, 0, 4); // no speaker positions
        put(fmt, layout.tag, 2);
        fmt += std::string("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);
    }
    std::string body = "WAVEfmt ";
    put(body, fmt.size(), 4);
    body += fmt + layout.chunksBefore + "data";
    put(body, layout.dataSize.value_or(uint32_t(data.size())), 4);
    body += data;
    if (data.size() % 2) body += '\0';
    std::string file = "RIFF";
    put(file, body.size(), 4);
    return file + body;
}

std::vector<double> melody(uint32_t rate, const std::vector<int>& keys, double noteSeconds) {
    std::vector<double> samples;
    const auto noteLength = size_t(noteSeconds * rate), gap = size_t(0.06 * rate);
    for (const int key : keys) {
        const double hertz = 440 * std::pow(2.0, (key - 69) / 12.0);
        for (size_t i = 0; i < noteLength; ++i)
            samples.push_back(0.5 * std::sin(2 * pi * hertz * double(i) / rate));
        samples.insert(samples.end(), gap, 0.0);
    }
    return samples;
}

} // namespace korvel::test
