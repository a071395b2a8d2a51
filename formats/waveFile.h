// RIFF/WAVE output for rendered tunes: PCM, one channel, 22050 samples per
// second, 8 bits unsigned, exactly as the tone bank holds its samples.
//
// The tune's length is learnt from a silent run first, so the header is right
// from its first byte and the file can be streamed anywhere, standard output
// included.
#pragma once

#include "formats/byteSink.h"

#include <array>
#include <cstdint>
#include <functional>

namespace korvel::formats {

constexpr size_t waveHeaderBytes = 44;
// The RIFF size field is 32 bits and counts 36 header bytes and a pad byte
// after an odd-sized data chunk.
constexpr uint64_t maxWaveDataBytes = 0xFFFFFFFFull - 36 - 1;

// A whole file's size: the header, the samples and the pad byte an odd count takes.
constexpr uint64_t waveFileBytes(uint64_t dataBytes) {
    return waveHeaderBytes + dataBytes + (dataBytes & 1);
}

using WaveHeader = std::array<uint8_t, waveHeaderBytes>;
WaveHeader waveHeader(uint32_t dataBytes);

// Samples handed to out in order; false to give up.
using SampleSource = std::function<bool(ByteSink& out)>;

// A whole WAV of dataBytes samples: the header, what source gives, the pad
// byte. The header goes out first, so the length must be known beforehand;
// a source that gives another count fails, as does a length over the limit
// (before anything is written).
bool writeWave(ByteSink& out, uint64_t dataBytes, const SampleSource& source);

} // namespace korvel::formats
