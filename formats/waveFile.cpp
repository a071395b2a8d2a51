// WAV header layout and the streaming of a whole file.
#include "formats/waveFile.h"

#include "model/toneBank.h"

#include <cstring>

namespace korvel::formats {
namespace {

constexpr uint16_t pcmFormat = 1;
constexpr uint16_t channels = 1;
constexpr uint16_t bitsPerSample = 8;
constexpr uint32_t fmtChunkBytes = 16;

void put16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

void put32(uint8_t* at, uint32_t value) {
    put16(at, static_cast<uint16_t>(value));
    put16(at + 2, static_cast<uint16_t>(value >> 16));
}

} // namespace

WaveHeader waveHeader(uint32_t dataBytes) {
    WaveHeader h{};
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], uint32_t(waveFileBytes(dataBytes) - 8)); // all that follows the size field
    std::memcpy(&h[8], "WAVEfmt ", 8);
    put32(&h[16], fmtChunkBytes);
    put16(&h[20], pcmFormat);
    put16(&h[22], channels);
    put32(&h[24], sampleRate);
    put32(&h[28], sampleRate * channels * bitsPerSample / 8); // bytes per second
    put16(&h[32], channels * bitsPerSample / 8);              // bytes per sample frame
    put16(&h[34], bitsPerSample);
    std::memcpy(&h[36], "data", 4);
    put32(&h[40], dataBytes);
    return h;
}

namespace {

// Counts what the source gives and refuses more than was announced.
class CountingSink final : public ByteSink {
  public:
    CountingSink(ByteSink& out, uint64_t limit) : out_(out), limit_(limit) {}
    bool write(const void* bytes, size_t size) override {
        if (size > limit_ - count_) return false;
        count_ += size;
        return out_.write(bytes, size);
    }
    uint64_t count() const { return count_; }

  private:
    ByteSink& out_;
    uint64_t limit_;
    uint64_t count_ = 0;
};

} // namespace

bool writeWave(ByteSink& out, uint64_t dataBytes, const SampleSource& source) {
    if (dataBytes > maxWaveDataBytes) return false;
    const WaveHeader header = waveHeader(static_cast<uint32_t>(dataBytes));
    if (!out.write(header.data(), header.size())) return false;
    CountingSink samples(out, dataBytes);
    if (!source(samples) || samples.count() != dataBytes) return false;
    const uint8_t pad = 0;
    return !(dataBytes & 1) || out.write(&pad, 1);
}

} // namespace korvel::formats
