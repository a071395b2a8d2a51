// The tune tools of the web edition as C functions for the page's
// JavaScript: the conversions korvel-cli makes (tuneConvert.h), in a module
// of their own (korvelTools.wasm) that a worker (tuneWorker.js) loads when
// a tool is first used, so that the board never waits on loading them nor a
// long conversion on the page.
#include "formats/midiFile.h"
#include "formats/shareLink.h"
#include "formats/tuneConvert.h"
#include "formats/tuneExport.h"
#include "formats/tuneWave.h"
#include "frontend/importChoices.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"

#include <emscripten/emscripten.h>

#include <string>
#include <utility>
#include <vector>

namespace korvel::web {
namespace {

using namespace formats;

// A MIDI file's voices, as the import dialog offers them.
std::vector<VoiceChoice> voices;

// The tune in the input, as its share text (memory, start address and tempo),
// in a fresh kit.
KitState inputTune() {
    KitState shared;
    initKit(shared, ClockReading{0, 0, 0, 0});
    applyShareText(shared, inputText());
    return tuneKitOf(shared);
}

// The last conversion: its bytes, or why there are none, and what to tell.
struct Converted {
    std::string fault;
    std::string question; // to ask before an export is kept
    std::string notes;    // an import's warnings, as a JSON array
    std::string report;
};
Converted converted;

int convertedAs(std::string bytes, std::string fault, std::string question = {},
                const std::vector<std::string>& notes = {}, std::string report = {}) {
    handBack(std::move(bytes));
    JsonWriter warnings;
    warnings.beginArray();
    for (const std::string& note : notes) warnings.value(note);
    converted = {std::move(fault), std::move(question), warnings.endArray().take(),
                 std::move(report)};
    return converted.fault.empty();
}

// A buffer that grows to what the WAV writer gives it.
class StringSink final : public ByteSink {
  public:
    explicit StringSink(std::string& bytes) : bytes_(bytes) {}
    bool write(const void* bytes, size_t size) override {
        bytes_.append(static_cast<const char*>(bytes), size);
        return true;
    }

  private:
    std::string& bytes_;
};

} // namespace
} // namespace korvel::web

using namespace korvel;
using namespace korvel::formats;
namespace web = korvel::web;

extern "C" {

// The voices of the MIDI file in the input, or -1 with the fault in korvel_fault.
EMSCRIPTEN_KEEPALIVE int korvel_midiVoices() {
    MidiSong song;
    const MidiRead read = readMidi(std::string(web::input()), song);
    web::voices.clear();
    if (!read.ok) return web::convertedAs({}, read.error) - 1;
    web::voices = voiceChoices(song);
    return static_cast<int>(web::voices.size());
}
EMSCRIPTEN_KEEPALIVE const char* korvel_voiceLabel(int index) {
    return web::voices.at(static_cast<size_t>(index)).label.c_str();
}
// The voice's track and channel, 0 for any.
EMSCRIPTEN_KEEPALIVE int korvel_voiceTrack(int index) {
    return static_cast<int>(web::voices.at(static_cast<size_t>(index)).track.value_or(0));
}
EMSCRIPTEN_KEEPALIVE int korvel_voiceChannel(int index) {
    return static_cast<int>(web::voices.at(static_cast<size_t>(index)).channel.value_or(0));
}

// The MIDI file in the input as a script, handed back; track and channel 0
// for any, transposition chosen unless transposed. 0: the fault in korvel_fault.
EMSCRIPTEN_KEEPALIVE int korvel_importMidi(const char* fileName, int track, int channel,
                                           int transposed, int transpose, int fit, int truncate) {
    ImportOptions options;
    if (track > 0) options.track = static_cast<uint32_t>(track);
    if (channel > 0) options.channel = static_cast<uint32_t>(channel);
    if (transposed) options.transpose = transpose;
    options.fit = fit != 0;
    options.truncate = truncate != 0;
    options.advice = dialogAdvice();
    MidiImport imported = importMidi(std::string(web::input()), options, fileName);
    return web::convertedAs(std::move(imported.script), std::move(imported.error), {},
                            imported.warnings, std::move(imported.report));
}

// One pass of the tune in the input (its share text) as a MIDI file whose
// track is named title, handed back. 0: the fault in korvel_fault.
EMSCRIPTEN_KEEPALIVE int korvel_exportMidi(const char* title) {
    MidiExport exported = exportMidi(web::inputTune(), title);
    std::string question = endlessTuneQuestion(exported.run, "MIDI", exported.bytes.size());
    return web::convertedAs(std::move(exported.bytes), std::move(exported.fault),
                            std::move(question));
}

// One pass of the tune in the input as a WAV file, handed back.
EMSCRIPTEN_KEEPALIVE int korvel_exportWave() {
    const KitState kit = web::inputTune();
    const WavePlan plan = planWave(kit, RunLimit::pass());
    if (!plan.fault.empty()) return web::convertedAs({}, plan.fault);
    std::string bytes;
    bytes.reserve(static_cast<size_t>(plan.run.samples) + 64);
    web::StringSink sink(bytes);
    if (!writeTuneWave(sink, kit, RunLimit::pass(), plan.run.samples, [] { return false; }))
        return web::convertedAs({}, "the tune did not play again as it did the first time");
    return web::convertedAs(std::move(bytes), {},
                            endlessTuneQuestion(plan.run, "WAV", waveFileBytes(plan.run)));
}

// What the last conversion could not do, what to ask before keeping it, an import's
// warnings (a JSON array of sentences) and its report.
EMSCRIPTEN_KEEPALIVE const char* korvel_fault() {
    return web::converted.fault.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* korvel_question() {
    return web::converted.question.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* korvel_importWarnings() {
    return web::converted.notes.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* korvel_importReport() {
    return web::converted.report.c_str();
}
}
