// The RIFF/WAVE chunks and sample encodings as recorders write them.
#include "formats/waveRead.h"

#include "formats/clockTime.h"
#include "formats/midiFile.h"

#include <algorithm>
#include <cstring>

namespace korvel::formats {
namespace {

constexpr size_t mixedBlock = 4096;
constexpr size_t riffBytes = 12;
constexpr size_t chunkHeaderBytes = 8;
constexpr uint32_t plainFormatBytes = 16;
constexpr uint32_t extensibleFormatBytes = 40;
constexpr uint16_t pcmTag = 1;
constexpr uint16_t floatTag = 3;
constexpr uint16_t extensibleTag = 0xFFFE;
constexpr uint32_t lengthNeverWritten = 0xFFFFFFFF;
// An extensible format's subformat GUID after its first two bytes, the format tag.
const std::string subformatTail("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xAA\x00\x38\x9B\x71", 14);

uint32_t le16(const std::string& bytes, size_t at) {
    return uint32_t(uint8_t(bytes[at])) | uint32_t(uint8_t(bytes[at + 1])) << 8;
}

uint32_t le32(const std::string& bytes, size_t at) {
    return le16(bytes, at) | le16(bytes, at + 2) << 16;
}

// The encodings of WAV files met in the wild that are left to a converter.
std::string encodingName(uint32_t tag) {
    switch (tag) {
    case 2: return "Microsoft ADPCM";
    case 6: return "A-law";
    case 7: return "mu-law";
    case 0x11: return "IMA ADPCM";
    case 0x31: return "GSM 6.10";
    case 0x50: return "MPEG audio";
    case 0x55: return "MP3";
    }
    return "an unknown encoding";
}

std::string hex4(uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", value);
    return text;
}

double sampleValue(const unsigned char* at, uint16_t tag, uint32_t bytes) {
    uint64_t bits = 0;
    for (uint32_t i = 0; i < bytes; ++i) bits |= uint64_t(at[i]) << (8 * i);
    if (tag == floatTag && bytes == 4) {
        float value;
        const auto word = uint32_t(bits);
        std::memcpy(&value, &word, sizeof value);
        return value;
    }
    if (tag == floatTag) {
        double value;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    if (bytes == 1) return (double(at[0]) - 128) / 128; // 8-bit PCM is unsigned
    // Signed, its top bit moved to bit 31.
    return double(int32_t(uint32_t(bits << (32 - 8 * bytes)))) / 2147483648.0;
}

} // namespace

std::string recordingFormatFault(const RecordingFormat& format) {
    if (format.channels == 0) return "its audio has zero channels";
    if (format.rate < minRecordingRate)
        return "its sample rate is " + std::to_string(format.rate) + " Hz; at least " +
               std::to_string(minRecordingRate) + " Hz are needed to hear a tune";
    if (format.rate > maxRecordingRate)
        return "its sample rate of " + std::to_string(format.rate) +
               " Hz is more than any recorder makes";
    return {};
}

MonoMixer::MonoMixer(RecordingFormat format, MonoSink sink)
    : format_(format), sink_(std::move(sink)), block_(mixedBlock) {}

bool MonoMixer::flush() {
    if (stopped_) return false;
    if (filled_ == 0) return true;
    const size_t count = filled_;
    filled_ = 0;
    stopped_ = !sink_(block_.data(), count);
    return !stopped_;
}

bool MonoMixer::refuse(double sample) {
    error_ = std::string("it holds ") +
             (std::isnan(sample) ? "a sample that is not a number (NaN)" : "an infinite sample") +
             " at " + clockTime(seconds());
    stopped_ = true;
    return false;
}

WaveReader::WaveReader(MonoSink sink) : sink_(std::move(sink)), want_(riffBytes) {}

bool WaveReader::gather(const char*& bytes, size_t& size) {
    const size_t count = std::min(want_ - held_.size(), size);
    held_.append(bytes, count);
    bytes += count;
    size -= count;
    return held_.size() == want_;
}

bool WaveReader::feed(const char* bytes, size_t size) {
    while (size > 0 && stage_ != Stage::Done && stage_ != Stage::Failed) {
        switch (stage_) {
        case Stage::Riff:
            if (!gather(bytes, size)) break;
            if (held_.compare(0, 4, "RIFF") == 0 && held_.compare(8, 4, "WAVE") == 0)
                expectChunk();
            else if (held_.compare(0, 4, "RIFX") == 0)
                fail("it is a big-endian WAV file (RIFX), which is not read");
            else if (held_.compare(0, 4, "RF64") == 0)
                fail("it is an RF64 WAV file, which is not read");
            else
                fail("it is not a WAV file (it does not begin with RIFF and WAVE)");
            break;
        case Stage::ChunkHeader:
            if (gather(bytes, size)) readChunkHeader();
            break;
        case Stage::Format:
            if (gather(bytes, size)) readFormat();
            break;
        case Stage::Skip: {
            const auto count = size_t(std::min<uint64_t>(skip_, size));
            skip_ -= count;
            bytes += count;
            size -= count;
            if (skip_ == 0) expectChunk();
            break;
        }
        case Stage::Data: {
            const auto count = dataToEnd_ ? size : size_t(std::min<uint64_t>(dataLeft_, size));
            if (!dataToEnd_) dataLeft_ -= count;
            readData(bytes, count);
            bytes += count;
            size -= count;
            if (stage_ == Stage::Data && !dataToEnd_ && dataLeft_ == 0) stage_ = Stage::Done;
            break;
        }
        case Stage::Done:
        case Stage::Failed: break;
        }
    }
    return stage_ != Stage::Done && stage_ != Stage::Failed;
}

void WaveReader::expectChunk() {
    stage_ = Stage::ChunkHeader;
    want_ = chunkHeaderBytes;
    held_.clear();
}

// Chunks are padded to an even length.
void WaveReader::skipRestOfChunk(uint64_t read) {
    skip_ = uint64_t(chunkSize_) + (chunkSize_ & 1) - read;
    if (skip_ == 0)
        expectChunk();
    else
        stage_ = Stage::Skip;
}

void WaveReader::readChunkHeader() {
    const std::string id = held_.substr(0, 4);
    chunkSize_ = le32(held_, 4);
    held_.clear();
    if (id == "fmt " && !mixer_) {
        if (chunkSize_ < plainFormatBytes) {
            fail("its fmt chunk is too short (" + std::to_string(chunkSize_) +
                 " bytes) to give the format of its audio");
            return;
        }
        stage_ = Stage::Format;
        want_ = std::min(chunkSize_, extensibleFormatBytes);
    } else if (id == "data") {
        if (!mixer_) {
            fail("its data chunk comes before the fmt chunk that gives its format");
            return;
        }
        // A recorder stopped before it could go back to write the length
        // leaves 0 or FFFFFFFF: the audio runs to the end of the file.
        dataToEnd_ = chunkSize_ == 0 || chunkSize_ == lengthNeverWritten;
        dataLeft_ = dataClaimed_ = chunkSize_;
        stage_ = Stage::Data;
    } else {
        skipRestOfChunk(0);
    }
}

void WaveReader::readFormat() {
    uint32_t tag = le16(held_, 0);
    const uint32_t channels = le16(held_, 2);
    const uint32_t rate = le32(held_, 4);
    const uint32_t blockBytes = le16(held_, 12);
    const uint32_t bits = le16(held_, 14);
    if (tag == extensibleTag) {
        if (held_.size() < extensibleFormatBytes || le16(held_, 16) < 22) {
            fail("its extensible fmt chunk is too short to name its encoding");
            return;
        }
        tag = le16(held_, 24);
        if (held_.compare(26, subformatTail.size(), subformatTail) != 0) {
            fail("its extensible fmt chunk names an encoding that is not read");
            return;
        }
    }
    const uint32_t sampleBytes = (bits + 7) / 8;
    if (tag != pcmTag && tag != floatTag)
        fail("its audio is " + encodingName(tag) + " (format " + hex4(tag) +
             "), which is not read; WAV files of PCM or float samples are");
    else if (const std::string fault = recordingFormatFault({rate, channels}); !fault.empty())
        fail(fault);
    else if (tag == pcmTag && (bits == 0 || sampleBytes > 4))
        fail("it holds PCM samples of " + std::to_string(bits) +
             " bits, which are not read (8 to 32 bits are)");
    else if (tag == floatTag && bits != 32 && bits != 64)
        fail("it holds float samples of " + std::to_string(bits) +
             " bits, which are not read (32 and 64 bits are)");
    else if (blockBytes != channels * sampleBytes)
        fail("its fmt chunk disagrees with itself: frames of " + plural(blockBytes, "byte") +
             " for " + plural(channels, "channel") + " of " + std::to_string(bits) + " bits");
    if (stage_ == Stage::Failed) return;
    format_ = {rate, channels};
    encoding_ = {uint16_t(tag), sampleBytes, blockBytes};
    mixer_.emplace(format_, std::move(sink_));
    skipRestOfChunk(held_.size());
}

void WaveReader::readData(const char* bytes, size_t size) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes);
    const unsigned char* const end = at + size;
    const uint32_t sampleBytes = encoding_.sampleBytes;
    const auto sample = [this](const unsigned char* from) {
        return mixer_->add(sampleValue(from, encoding_.tag, encoding_.sampleBytes));
    };
    bool more = true;
    // A sample split between blocks.
    if (!held_.empty()) {
        const auto count = std::min<size_t>(sampleBytes - held_.size(), size_t(end - at));
        held_.append(reinterpret_cast<const char*>(at), count);
        at += count;
        if (held_.size() < sampleBytes) return;
        more = sample(reinterpret_cast<const unsigned char*>(held_.data()));
        held_.clear();
    }
    for (; more && end - at >= std::ptrdiff_t(sampleBytes); at += sampleBytes) more = sample(at);
    if (more) {
        held_.assign(reinterpret_cast<const char*>(at), size_t(end - at));
    } else if (mixer_->error().empty()) {
        stage_ = Stage::Done;
    } else {
        fail(mixer_->error());
    }
}

bool WaveReader::finish() {
    switch (stage_) {
    case Stage::Failed: return false;
    case Stage::Riff:
        return fail(held_.empty() ? "the file is empty"
                                  : "it is not a WAV file (too short to be one)");
    case Stage::Format: return fail("the file ends inside its fmt chunk");
    case Stage::ChunkHeader:
    case Stage::Skip:
        if (!mixer_) return fail("it has no fmt chunk, which gives the format of its audio");
        return fail("it has no data chunk, which holds its audio");
    case Stage::Data:
        if (!dataToEnd_) return fail(lengthFault());
        break;
    case Stage::Done: break;
    }
    mixer_->flush();
    if (!mixer_->error().empty()) return fail(mixer_->error());
    if (mixer_->frames() == 0) return fail("its data chunk is empty: it holds no audio");
    stage_ = Stage::Done;
    return true;
}

bool WaveReader::fail(std::string reason) {
    stage_ = Stage::Failed;
    error_ = std::move(reason);
    return false;
}

std::string WaveReader::lengthFault() const {
    const double bytesPerSecond = double(format_.rate) * encoding_.blockBytes;
    const uint64_t held = dataClaimed_ - dataLeft_;
    return "its header claims " + clockTime(dataClaimed_ / bytesPerSecond) + " of audio (" +
           std::to_string(dataClaimed_) + " bytes), but the file holds only " +
           clockTime(held / bytesPerSecond) + " (" + std::to_string(held) + " bytes)";
}

} // namespace korvel::formats
