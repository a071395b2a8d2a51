// WAV header layout and the write-then-rename of the finished file.
#include "waveFile.h"

#include "toneBank.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace korvel::cli {
namespace {

constexpr uint16_t pcmFormat = 1;
constexpr uint16_t channels = 1;
constexpr uint16_t bitsPerSample = 8;
constexpr uint32_t fmtChunkBytes = 16;
constexpr int maxTemporaryNames = 100;

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
    const uint32_t pad = dataBytes & 1;
    std::memcpy(&h[0], "RIFF", 4);
    put32(&h[4], 36 + dataBytes + pad);
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

WaveWriter::WaveWriter(std::string path) : path_(std::move(path)) {}

WaveWriter::~WaveWriter() {
    discard();
}

bool WaveWriter::fail(const std::string& what) {
    error_ = what;
    discard();
    return false;
}

bool WaveWriter::failWithErrno(const std::string& what) {
    const int code = errno;
    return fail(code ? what + " (" + std::strerror(code) + ")" : what);
}

void WaveWriter::discard() {
    file_.reset();
    if (temporaryPath_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(temporaryPath_, ignored);
    temporaryPath_.clear();
}

// "x" never opens an existing file, so a stray file of the same name is
// neither reused nor truncated.
bool WaveWriter::open() {
    for (int n = 0; n < maxTemporaryNames && !file_; ++n) {
        temporaryPath_ = path_ + ".partial" + (n ? std::to_string(n) : std::string());
        errno = 0;
        file_.reset(std::fopen(temporaryPath_.c_str(), "wbx"));
        if (!file_ && errno != EEXIST) break;
    }
    if (!file_) {
        temporaryPath_.clear();
        return failWithErrno("cannot create a file beside it");
    }
    const WaveHeader placeholder = waveHeader(0);
    if (std::fwrite(placeholder.data(), 1, placeholder.size(), file_.get()) != placeholder.size())
        return failWithErrno("cannot write");
    return true;
}

bool WaveWriter::append(const uint8_t* samples, size_t count) {
    if (!file_) return false;
    if (dataBytes_ + count > maxWaveDataBytes)
        return fail("the audio would pass the 4 GiB limit of a WAV file");
    errno = 0;
    if (std::fwrite(samples, 1, count, file_.get()) != count) return failWithErrno("cannot write");
    dataBytes_ += count;
    return true;
}

bool WaveWriter::commit() {
    if (!file_) return false;
    const uint8_t pad = 0;
    const WaveHeader header = waveHeader(static_cast<uint32_t>(dataBytes_));
    errno = 0;
    if ((dataBytes_ & 1) && std::fwrite(&pad, 1, 1, file_.get()) != 1)
        return failWithErrno("cannot write");
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0 ||
        std::fwrite(header.data(), 1, header.size(), file_.get()) != header.size())
        return failWithErrno("cannot write");
    if (std::fclose(file_.release()) != 0) return failWithErrno("cannot write");
    std::error_code error;
    std::filesystem::rename(temporaryPath_, path_, error);
    if (error) return fail("cannot replace it (" + error.message() + ")");
    temporaryPath_.clear();
    return true;
}

} // namespace korvel::cli
