// Conversions shared by korvel-cli and the editions.
#include "formats/tuneConvert.h"

#include "formats/midiFile.h"
#include "formats/tuneExport.h"
#include "formats/waveFile.h"

#include <cinttypes>
#include <cstdio>

namespace korvel::formats {

KitState tuneKitOf(const KitState& live) {
    KitState kit;
    initKit(kit, ClockReading{0, 0, 0, 0});
    kit.memory = live.memory;
    kit.startAddress = live.startAddress;
    kit.tempo = live.tempo;
    return kit;
}

std::string runFault(const RunResult& result) {
    char what[200];
    switch (result.outcome) {
    case RunOutcome::HaltsAtOnce:
        std::snprintf(what, sizeof what,
                      "the tune halts at once: the end marker EEEE stands at its start address "
                      "%03X, so nothing plays",
                      result.address);
        return what;
    case RunOutcome::EndsItself:
        std::snprintf(what, sizeof what,
                      "the tune ends by itself after %" PRIu64 " step%s: from address %03X on, "
                      "play meets only jumps and end markers, nothing to sound",
                      result.steps, result.steps == 1 ? "" : "s", result.address);
        return what;
    default: return {};
    }
}

std::string runWarning(const RunResult& result) {
    if (!result.capped) return {};
    return "no end marker sent play back to the start within " +
           std::to_string(passCapSeconds / 60) + " minutes; stopped there";
}

WavePlan planWave(const KitState& kit, const RunLimit& limit) {
    KitState rehearsal = kit;
    SilentSink silent;
    WavePlan plan{runTune(rehearsal, limit, silent), {}};
    plan.fault = runFault(plan.run);
    if (plan.fault.empty() && plan.run.samples > maxWaveDataBytes)
        plan.fault = "the audio would pass the 4 GiB limit of a WAV file";
    return plan;
}

MidiExport exportMidi(const KitState& kit, const std::string& title) {
    KitState played = kit;
    StepRecorder steps;
    MidiExport exported{runTune(played, RunLimit::pass(), steps), {}, {}};
    exported.fault = runFault(exported.run);
    if (exported.fault.empty()) exported.bytes = tuneMidi(steps.steps, title);
    return exported;
}

MidiImport importMidi(const std::string& bytes, const ImportOptions& options,
                      const std::string& fileName) {
    MidiSong song;
    const MidiRead read = readMidi(bytes, song);
    if (!read.ok) return {false, read.error, {}, {}, {}};
    const size_t dot = fileName.rfind('.');
    const std::string stem =
        dot == std::string::npos || dot == 0 ? fileName : fileName.substr(0, dot);
    const ImportResult imported = importTune(song, options, stem);
    if (!imported.ok) return {false, imported.error, {}, {}, {}};
    return {true,
            {},
            imported.tune.warnings,
            importedScript(imported.tune, fileName),
            importReport(imported.tune)};
}

} // namespace korvel::formats
