// WAV files made in the tests: a melody of known notes, in any of the
// encodings a recording comes in.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel::test {

struct WaveLayout {
    WaveLayout(uint16_t tag = 1, uint16_t bits = 16, uint16_t channels = 1, bool extensible = false,
               std::string chunksBefore = {}, std::optional<uint32_t> dataSize = {})
        : tag(tag), bits(bits), channels(channels), extensible(extensible),
          chunksBefore(std::move(chunksBefore)), dataSize(dataSize) {}
    uint16_t tag, bits, channels; // tag 1: PCM, 3: float
    bool extensible;
    std::string chunksBefore;         // whole chunks between fmt and data
    std::optional<uint32_t> dataSize; // what the header claims; the true size when absent
};

// mono: of full scale 1. The first two channels also carry a tone of opposite
// signs, which their mean cancels.
std::string waveBytes(const WaveLayout& layout, uint32_t rate, const std::vector<double>& mono);

// Sine notes (keys: 69 is A = 440 Hz) of noteSeconds, each followed by 60 ms of silence.
std::vector<double> melody(uint32_t rate, const std::vector<int>& keys, double noteSeconds);

} // namespace korvel::test
