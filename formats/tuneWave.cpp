// Sounded steps to samples, inside the WAV writer.
#include "formats/tuneWave.h"

#include "formats/waveFile.h"

namespace korvel::formats {
namespace {

class WaveSink final : public StepSink {
  public:
    WaveSink(const ToneBank& bank, ByteSink& out, const std::function<bool()>& stopped)
        : bank_(bank), out_(out), stopped_(stopped) {}
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        return !stopped_() && out_.write(bank_.tone[toneIndex], lengthBytes);
    }

  private:
    const ToneBank& bank_;
    ByteSink& out_;
    const std::function<bool()>& stopped_;
};

} // namespace

// Each call plays from the kit as given, as a writer must write the same each time.
bool writeTuneWave(ByteSink& out, const KitState& kit, const RunLimit& limit, const ToneBank& bank,
                   uint64_t dataBytes, const std::function<bool()>& stopped) {
    return writeWave(out, dataBytes, [&](ByteSink& samples) {
        KitState playing = kit;
        WaveSink sink(bank, samples, stopped);
        return runTune(playing, limit, sink).outcome == RunOutcome::Done;
    });
}

} // namespace korvel::formats
