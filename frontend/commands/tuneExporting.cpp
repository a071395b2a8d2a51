// The WAV export's plan, tone by tone writing and check, and the MIDI export's bytes.
#include "frontend/commands/tuneExporting.h"

#include "formats/tuneConvert.h"
#include "formats/tuneWave.h"

#include <utility>

namespace korvel {

const char* const notPlayedAgainReason = "the tune did not play again as it did the first time";

TuneExport TuneExport::wave(const KitState& live, const formats::RunLimit& limit) {
    TuneExport made;
    const KitState kit = formats::tuneKitOf(live);
    const formats::WavePlan plan = formats::planWave(kit, limit);
    made.run_ = plan.run;
    made.fault_ = plan.fault;
    made.question_ =
        formats::endlessTuneQuestion(plan.run, "WAV", formats::waveFileBytes(plan.run));
    made.writer_ = [kit, limit, samples = plan.run.samples](formats::ByteSink& out,
                                                            const std::function<bool()>& stopped) {
        return formats::writeTuneWave(out, kit, limit, samples, stopped);
    };
    return made;
}

TuneExport TuneExport::midi(const KitState& live, const std::string& title) {
    TuneExport made;
    formats::MidiExport exported = formats::exportMidi(formats::tuneKitOf(live), title);
    made.run_ = exported.run;
    made.fault_ = exported.fault;
    made.question_ = formats::endlessTuneQuestion(exported.run, "MIDI", exported.bytes.size());
    made.writer_ = [bytes = std::move(exported.bytes)](formats::ByteSink& out,
                                                       const std::function<bool()>&) {
        return out.write(bytes.data(), bytes.size());
    };
    return made;
}

bool TuneExport::write(formats::ByteSink& out, const std::function<bool()>& stopped) const {
    return fault_.empty() && writer_(out, stopped);
}

bool TuneExport::write(formats::ByteSink& out) const {
    return write(out, [] { return false; });
}

} // namespace korvel
