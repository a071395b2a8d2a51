// RIFF/WAVE output for rendered tunes: PCM, one channel, 22050 samples per
// second, 8 bits unsigned, exactly as the tone bank holds its samples.
//
// The render command streams samples into a WaveWriter, which writes them to a
// fresh temporary file beside the destination and renames it over the
// destination only once the file is complete, so an interrupted or failed
// render never leaves half a WAV and never touches an existing file.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace korvel::cli {

constexpr size_t waveHeaderBytes = 44;
// The RIFF size field is 32 bits and counts 36 header bytes and a pad byte
// after an odd-sized data chunk.
constexpr uint64_t maxWaveDataBytes = 0xFFFFFFFFull - 36 - 1;

using WaveHeader = std::array<uint8_t, waveHeaderBytes>;
WaveHeader waveHeader(uint32_t dataBytes);

class WaveWriter {
  public:
    explicit WaveWriter(std::string path);
    ~WaveWriter(); // drops the temporary file unless committed
    WaveWriter(const WaveWriter&) = delete;
    WaveWriter& operator=(const WaveWriter&) = delete;

    // Each returns false on failure, after which error() says why in a few
    // words and nothing more is written.
    bool open();
    bool append(const uint8_t* samples, size_t count);
    bool commit(); // completes the header and puts the file in place

    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& what);
    bool failWithErrno(const std::string& what);
    void discard();

    struct FileCloser {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };

    std::string path_;
    std::string temporaryPath_;
    std::unique_ptr<std::FILE, FileCloser> file_;
    uint64_t dataBytes_ = 0;
    std::string error_;
};

} // namespace korvel::cli
