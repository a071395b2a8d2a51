// Recordings read as they arrive: a RIFF/WAVE file fed in blocks of bytes of
// any size becomes one channel of samples of full scale 1, for the listener.
//
// PCM of 8 (unsigned) to 32 bits and float of 32 or 64 bits are read, plain
// or in the extensible format, with any number of channels (mixed to one).
// Memory holds a chunk header, the format and one block of samples, whatever
// the file's length. A data chunk whose length was never written (0 or
// FFFFFFFF, as a recorder that was stopped leaves it) is read to the end of
// the file.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvel::formats {

// Below this a voice's upper notes cannot be told apart.
constexpr uint32_t minRecordingRate = 8000;
// Above what any recorder makes: such a rate is a damaged header.
constexpr uint32_t maxRecordingRate = 768000;

struct RecordingFormat {
    uint32_t rate = 0;
    uint32_t channels = 0;
};

// Why audio of this format cannot be heard, or empty: no channels, or a
// rate out of range. Every decoder asks here.
std::string recordingFormatFault(const RecordingFormat& format);

// One channel's samples, in order; false to read no more.
using MonoSink = std::function<bool(const float* mono, size_t count)>;

// Interleaved samples of several channels, averaged to one and handed on in
// blocks. A sample that is not a finite number stops it, saying where.
class MonoMixer {
  public:
    MonoMixer(RecordingFormat format, MonoSink sink);
    // The next sample; false once stopped (by a bad sample or by the sink).
    bool add(double sample) {
        if (!std::isfinite(sample)) return refuse(sample);
        sum_ += sample;
        if (++channel_ < format_.channels) return true;
        block_[filled_++] = float(sum_ / format_.channels);
        channel_ = 0;
        sum_ = 0;
        ++frames_;
        return filled_ < block_.size() || flush();
    }
    // Hands on the frames held; a frame begun is dropped at the end.
    bool flush();
    bool stopped() const { return stopped_; }
    const std::string& error() const { return error_; } // empty when the sink stopped it
    uint64_t frames() const { return frames_; }
    double seconds() const { return double(frames_) / format_.rate; }

  private:
    bool refuse(double sample);

    RecordingFormat format_;
    MonoSink sink_;
    std::vector<float> block_;
    size_t filled_ = 0;
    uint32_t channel_ = 0;
    double sum_ = 0;
    uint64_t frames_ = 0;
    bool stopped_ = false;
    std::string error_;
};

class WaveReader {
  public:
    // sink gets the audio; format() is known from its first call.
    explicit WaveReader(MonoSink sink);
    // The file's next bytes. False once more are not needed: the audio was
    // read whole, the sink stopped, or the file is bad (error()).
    bool feed(const char* bytes, size_t size);
    // After the last bytes (or a false feed): true when the file held a whole
    // recording, every sample handed on; otherwise error() says what is wrong.
    bool finish();
    const std::string& error() const { return error_; }
    const RecordingFormat& format() const { return format_; }

  private:
    enum class Stage { Riff, ChunkHeader, Format, Skip, Data, Done, Failed };
    struct Encoding {
        uint16_t tag = 0; // 1 PCM, 3 float
        uint32_t sampleBytes = 0;
        uint32_t blockBytes = 0; // a frame of every channel
    };
    bool gather(const char*& bytes, size_t& size);
    void expectChunk();
    void skipRestOfChunk(uint64_t read);
    void readChunkHeader();
    void readFormat();
    void readData(const char* bytes, size_t size);
    bool fail(std::string reason);
    std::string lengthFault() const;

    MonoSink sink_;
    Stage stage_ = Stage::Riff;
    std::string held_; // a header or format being gathered, a sample begun
    size_t want_ = 0;  // bytes of held_ the stage gathers
    uint32_t chunkSize_ = 0;
    uint64_t skip_ = 0;
    uint64_t dataLeft_ = 0;
    uint64_t dataClaimed_ = 0;
    bool dataToEnd_ = false;
    RecordingFormat format_;
    Encoding encoding_;
    std::optional<MonoMixer> mixer_; // once the format is known
    std::string error_;
};

} // namespace korvel::formats
