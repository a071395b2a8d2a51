// Blocks of the file to the decoder, its samples to the listener.
#include "files/recordingFile.h"

#include "files/fileRead.h"
#include "files/nativeFiles.h"
#include "formats/waveRead.h"

#include <filesystem>
#include <optional>
#include <vector>

#if KORVEL_SNDFILE
#include <sndfile.h>
#endif

namespace korvel::files {
namespace {

constexpr size_t readBlockBytes = 64 * 1024;

// The listener, made once the decoder knows the rate; the decoder's faults.
class Hearing {
  public:
    bool feed(double rate, const float* mono, size_t count) {
        if (!listening_) listening_.emplace(rate);
        return listening_->feed(mono, count);
    }
    listen::HeardRecording finish() {
        return listening_ ? listening_->finish() : listen::HeardRecording{};
    }
    bool fail(std::string reason) {
        error_ = std::move(reason);
        return false;
    }
    const std::string& error() const { return error_; }

  private:
    std::optional<listen::Listening> listening_;
    std::string error_;
};

std::string cannotRead(const std::string& reason) {
    return "cannot read the file (" + reason + ")";
}

bool hearWave(const Path& path, Hearing& hearing) {
    const native::Handle file = native::openForReading(path.native);
    if (file == native::noHandle) return hearing.fail(cannotRead(native::lastError()));
    // The reader knows the rate by the time it hands on samples.
    formats::WaveReader reader([&hearing, &reader](const float* mono, size_t count) {
        return hearing.feed(reader.format().rate, mono, count);
    });
    std::vector<char> block(readBlockBytes);
    long long got = 0;
    while ((got = native::readSome(file, block.data(), block.size())) > 0)
        if (!reader.feed(block.data(), size_t(got))) break;
    const std::string readFault = got < 0 ? native::lastError() : std::string();
    native::close(file);
    if (!readFault.empty()) return hearing.fail(cannotRead(readFault));
    return reader.finish() || hearing.fail(reader.error());
}

#if KORVEL_SNDFILE
// Whole frames of float samples, a block at a time, through the same mixer as WAV.
bool hearDecoded(const Path& path, formats::RecordingKind, Hearing& hearing) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.native.c_str(), SFM_READ, &info);
    if (!file) return hearing.fail("cannot decode it (" + std::string(sf_strerror(nullptr)) + ")");
    const formats::RecordingFormat format{uint32_t(std::max(info.samplerate, 0)),
                                          uint32_t(std::max(info.channels, 0))};
    std::string fault = formats::recordingFormatFault(format);
    if (fault.empty()) {
        formats::MonoMixer mixer(format, [&](const float* mono, size_t count) {
            return hearing.feed(format.rate, mono, count);
        });
        const sf_count_t frames = std::max<sf_count_t>(1, readBlockBytes / 4 / format.channels);
        std::vector<float> block(size_t(frames) * format.channels);
        sf_count_t got = 0;
        while (!mixer.stopped() && (got = sf_readf_float(file, block.data(), frames)) > 0)
            for (size_t i = 0; i < size_t(got) * format.channels; ++i)
                if (!mixer.add(block[i])) break;
        mixer.flush();
        if (sf_error(file) != SF_ERR_NO_ERROR)
            fault = "cannot decode it (" + std::string(sf_strerror(file)) + ")";
        else if (!mixer.error().empty())
            fault = mixer.error();
        else if (mixer.frames() == 0)
            fault = "it holds no audio";
    }
    sf_close(file);
    return fault.empty() || hearing.fail(fault);
}
#else
bool hearDecoded(const Path&, formats::RecordingKind kind, Hearing& hearing) {
    return hearing.fail(std::string("this build reads WAV recordings only, not ") +
                        formats::recordingKindName(kind) + "; convert it to WAV first");
}
#endif

// Told by its first bytes, not its name.
std::string notRecording() {
    return KORVEL_SNDFILE ? "it is not a recording (WAV, FLAC, Ogg, MP3 or AIFF)"
                          : "it is not a WAV recording";
}

} // namespace

bool readsCompressedRecordings() {
    return KORVEL_SNDFILE;
}

RecordingRead hearRecordingFile(const Path& path) {
    std::string head;
    const ReadResult read = readFileHead(path, formats::recordingHeadBytes, head);
    if (!read) return {false, cannotRead(read.reason), {}};
    const formats::RecordingKind kind = formats::recordingKind(head);
    if (kind == formats::RecordingKind::None) return {false, notRecording(), {}};
    Hearing hearing;
    const bool heard = kind == formats::RecordingKind::Wave ? hearWave(path, hearing)
                                                            : hearDecoded(path, kind, hearing);
    if (!heard) return {false, hearing.error(), {}};
    return {true, {}, hearing.finish()};
}

formats::MidiImport importRecordingFile(const Path& path, const formats::ImportOptions& options) {
    const RecordingRead read = hearRecordingFile(path);
    if (!read.ok) return {false, read.error, {}, {}, {}};
    const std::string fileName = std::filesystem::path(path.shown).filename().string();
    return listen::importRecording(read.heard, options, fileName);
}

} // namespace korvel::files
