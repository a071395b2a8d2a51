// The conversions korvel-cli and the editions share, from what they read to
// the bytes they write, so one tune gives the same bytes wherever it is
// converted and the messages read alike.
#pragma once

#include "formats/tuneImport.h"
#include "formats/tuneRun.h"
#include "model/kit.h"

#include <string>
#include <vector>

namespace korvel::formats {

// A kit as a freshly loaded script leaves it, holding live's tune (memory,
// start address, tempo), so a run does not depend on what live is doing.
KitState tuneKitOf(const KitState& live);

// Why a run sounded nothing worth writing, or empty when the tune played.
std::string runFault(const RunResult& result);
// What a run that played cannot tell by itself (a pass stopped at the cap),
// or empty.
std::string runWarning(const RunResult& result);

// What to ask before writing a pass that stopped at the cap, so that a tune
// that never ends is not written as minutes of sound unasked: how long the
// file (kind: "WAV", "MIDI") would play and its size. Empty when the pass came
// back to the start.
std::string endlessTuneQuestion(const RunResult& result, const char* kind, uint64_t fileBytes);
// The bytes of a WAV file of a run's samples, header and pad byte included.
uint64_t waveFileBytes(const RunResult& result);

// A silent run of a copy of kit: the WAV's length, or why there is none.
struct WavePlan {
    RunResult run;
    std::string fault; // runFault, or the WAV format's size limit
};
WavePlan planWave(const KitState& kit, const RunLimit& limit);

// One pass of kit's tune (left as it is) as a MIDI file whose track is named title.
struct MidiExport {
    RunResult run;
    std::string fault; // runFault; no bytes when set
    std::string bytes;
};
MidiExport exportMidi(const KitState& kit, const std::string& title);

// A MIDI file's bytes as a script, its report for the user, and the warnings
// to show first. fileName (with its extension) titles a tune whose track has
// no name and goes into the script's preamble.
struct MidiImport {
    bool ok;
    std::string error; // when !ok: what is wrong with the file
    std::vector<std::string> warnings;
    std::string script;
    std::vector<ReportRow> report;
};
MidiImport importMidi(const std::string& bytes, const ImportOptions& options,
                      const std::string& fileName);
// An import's outcome as importMidi gives it, for a tune from elsewhere (a recording).
MidiImport importedScriptOf(const ImportResult& imported, const std::string& fileName);
// The file's name without its folders and its last extension ("song" of
// "tunes/song.mid"): what titles a tune whose file names it.
std::string fileStem(const std::string& fileName);

} // namespace korvel::formats
