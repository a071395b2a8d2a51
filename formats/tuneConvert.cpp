// Conversions shared by korvel-cli and the editions.
#include "formats/tuneConvert.h"

#include "formats/midiFile.h"
#include "formats/tuneExport.h"
#include "formats/waveFile.h"
#include "model/toneBank.h"

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

namespace {

// "10 minutes", "1 minute 5 seconds": whole seconds, rounded down.
std::string durationText(uint64_t samples) {
    const uint64_t seconds = samples / sampleRate;
    const auto counted = [](uint64_t n, const char* unit) {
        return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
    };
    std::string text = seconds >= 60 ? counted(seconds / 60, "minute") : std::string();
    if (seconds % 60 != 0 || seconds < 60)
        text += (text.empty() ? "" : " ") + counted(seconds % 60, "second");
    return text;
}

// "13.2 MB", "324 KB", "900 bytes", in thousands as file managers count them.
std::string sizeText(uint64_t bytes) {
    char text[40];
    if (bytes >= 1000000)
        std::snprintf(text, sizeof text, "%.1f MB", double(bytes) / 1e6);
    else if (bytes >= 1000)
        std::snprintf(text, sizeof text, "%" PRIu64 " KB", bytes / 1000);
    else
        std::snprintf(text, sizeof text, "%" PRIu64 " bytes", bytes);
    return text;
}

} // namespace

std::string endlessTuneQuestion(const RunResult& result, const char* kind, uint64_t fileBytes) {
    if (!result.capped) return {};
    return std::string("This tune reaches no end marker, so it never ends.\nThe ") + kind +
           " file would stop it after " + durationText(result.samples) + ": " +
           sizeText(fileBytes) + ".\nExport it anyway?";
}

uint64_t waveFileBytes(const RunResult& result) {
    return waveFileBytes(result.samples);
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

std::string fileStem(const std::string& fileName) {
    const size_t slash = fileName.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

MidiImport importedScriptOf(const ImportResult& imported, const std::string& fileName) {
    if (!imported.ok) return {false, imported.error, {}, {}, {}};
    return {true,
            {},
            imported.tune.warnings,
            importedScript(imported.tune, fileName),
            importReport(imported.tune)};
}

MidiImport importMidi(const std::string& bytes, const ImportOptions& options,
                      const std::string& fileName) {
    MidiSong song;
    const MidiRead read = readMidi(bytes, song);
    if (!read.ok) return {false, read.error, {}, {}, {}};
    return importedScriptOf(importTune(song, options, fileStem(fileName)), fileName);
}

} // namespace korvel::formats
