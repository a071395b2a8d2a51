#include "tests/support/waveBytes.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace korvel::test {
namespace {

void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += char(value >> (8 * i) & 0xFF);
}

void putSample(std::string& out, const WaveLayout& layout, double sample) {
    uint64_t bits = 0; // little-endian, as the file holds them
    const auto single = float(sample);
    if (layout.tag == 3 && layout.bits == 32) {
        std::memcpy(&bits, &single, 4);
    } else if (layout.tag == 3) {
        std::memcpy(&bits, &sample, 8);
    } else {
        const double top = std::ldexp(1.0, layout.bits - 1) - 1;
        bits =
            uint64_t(std::lround(std::clamp(sample, -1.0, 1.0) * top) + (layout.bits == 8) * 128);
    }
    put(out, bits, (layout.bits + 7) / 8);
}

} // namespace

std::string waveBytes(const WaveLayout& layout, uint32_t rate, const std::vector<double>& mono) {
    const uint32_t block = layout.channels * ((layout.bits + 7) / 8);
    std::string data, fmt, body = "WAVEfmt ", file = "RIFF";
    for (size_t i = 0; i < mono.size(); ++i) {
        const double cancelled =
            layout.channels < 2 ? 0 : 0.25 * std::sin(6283.2 * double(i) / rate);
        for (uint32_t c = 0; c < layout.channels; ++c)
            putSample(data, layout, mono[i] + (c == 0 ? cancelled : c == 1 ? -cancelled : 0));
    }
    put(fmt, layout.extensible ? 0xFFFE : layout.tag, 2);
    put(fmt, layout.channels, 2);
    put(fmt, rate, 4);
    put(fmt, uint64_t(rate) * block, 4);
    put(fmt, block, 2);
    put(fmt, layout.bits, 2);
    if (layout.extensible) { // size, valid bits, no speaker positions, the subformat's GUID
        put(fmt, 22 | uint64_t(layout.bits) << 16, 8);
        put(fmt, layout.tag, 2);
        fmt += std::string("\0\0\0\0\x10\0\x80\0\0\xAA\0\x38\x9B\x71", 14);
    }
    put(body, fmt.size(), 4);
    body += fmt + layout.chunksBefore + "data";
    put(body, layout.dataSize.value_or(uint32_t(data.size())), 4);
    body += data + std::string(data.size() % 2, '\0');
    put(file, body.size(), 4);
    return file + body;
}

std::vector<double> melody(uint32_t rate, const std::vector<int>& keys, double noteSeconds) {
    std::vector<double> samples;
    for (const int key : keys) {
        const double hertz = 440 * std::pow(2.0, (key - 69) / 12.0);
        for (size_t i = 0; i < size_t(noteSeconds * rate); ++i)
            samples.push_back(0.5 * std::sin(6.2831853 * hertz * double(i) / rate));
        samples.insert(samples.end(), size_t(0.06 * rate), 0.0);
    }
    return samples;
}

} // namespace korvel::test
