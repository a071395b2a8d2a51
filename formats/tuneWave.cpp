// Sounded steps to samples, inside the WAV writer.
#include "formats/tuneWave.h"

#include "formats/waveFile.h"
#include "model/toneSource.h"

#include <vector>

namespace korvel::formats {
namespace {

// Gathers the samples of many short steps into one write; on the heap, as the
// web edition's stack is small.
constexpr uint32_t chunkBytes = 32 * 1024;

class WaveSink final : public StepSink {
  public:
    WaveSink(ByteSink& out, const std::function<bool()>& stopped) : out_(out), stopped_(stopped) {}

    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        if (stopped_()) return false;
        ToneSource tone = melodyNoteSource(toneIndex, lengthBytes);
        while (!toneEnded(tone)) {
            if (used_ == chunk_.size() && !flush()) return false;
            used_ += readTone(tone, chunk_.data() + used_, uint32_t(chunk_.size() - used_));
        }
        return true;
    }
    bool flush() {
        const bool kept = out_.write(chunk_.data(), used_);
        used_ = 0;
        return kept;
    }

  private:
    ByteSink& out_;
    const std::function<bool()>& stopped_;
    std::vector<uint8_t> chunk_ = std::vector<uint8_t>(chunkBytes);
    size_t used_ = 0;
};

} // namespace

// Each call plays from the kit as given, as a writer must write the same each time.
bool writeTuneWave(ByteSink& out, const KitState& kit, const RunLimit& limit, uint64_t dataBytes,
                   const std::function<bool()>& stopped) {
    return writeWave(out, dataBytes, [&](ByteSink& samples) {
        KitState playing = kit;
        WaveSink sink(samples, stopped);
        return runTune(playing, limit, sink).outcome == RunOutcome::Done && sink.flush();
    });
}

} // namespace korvel::formats
