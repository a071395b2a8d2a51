// The tune tools of the web edition as C functions for the page's
// JavaScript: the conversions korvel-cli makes (the command layer,
// frontend/commands), in a module of their own (korvelTools.wasm) that a
// worker (tuneWorker.js) loads when a tool is first used, so that the board
// never waits on loading them nor a long conversion on the page. Structured
// answers come as JSON.
#include "formats/midiFile.h"
#include "formats/shareLink.h"
#include "formats/tuneConvert.h"
#include "formats/waveRead.h"
#include "frontend/commands/importChoices.h"
#include "frontend/commands/tuneExporting.h"
#include "frontend/commands/tuneImporting.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"
#include "listen/heardTune.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
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
    std::string report;   // an import's report, as JSON
};
Converted converted;

int convertedAs(std::string bytes, std::string fault, std::string question = {},
                std::string report = {}) {
    handBack(std::move(bytes));
    converted = {std::move(fault), std::move(question), std::move(report)};
    return converted.fault.empty();
}

// {"notes": ["Warning: ..."], "rows": [{"label": ..., "value": ...}]}
std::string reportJson(const ImportReport& report) {
    JsonWriter json;
    json.beginObject().key("notes").beginArray();
    for (const std::string& note : report.notes) json.value(note);
    json.endArray().key("rows").beginArray();
    for (const ReportRow& row : report.rows)
        json.beginObject().key("label").value(row.label).key("value").value(row.value).endObject();
    return json.endArray().endObject().take();
}

// The dialog's choices: transposition chosen unless transposed.
ImportOptions dialogOptions(int transposed, int transpose, int fit, int truncate) {
    ImportOptions options;
    if (transposed) options.transpose = transpose;
    options.fit = fit != 0;
    options.truncate = truncate != 0;
    options.advice = dialogAdvice();
    return options;
}

// An import's script handed back, its report kept as JSON. 0: the fault in korvel_fault.
int imported(MidiImport made) {
    return convertedAs(std::move(made.script), std::move(made.error), {},
                       reportJson(importReportOf(made)));
}

// A recording the page decoded, heard a block at a time through the mixer
// korvel-cli's decoders use: its channels made one, a sample that is no
// number refused. Or why it cannot be heard.
std::optional<listen::Listening> listening;
std::optional<MonoMixer> mixer;
RecordingFormat hearingFormat;
std::string hearingFault;
std::vector<float> block;

// The export in the input's tune, handed back as bytes. 0: the fault in korvel_fault.
int exported(const TuneExport& made) {
    if (!made.fault().empty()) return convertedAs({}, made.fault());
    StringSink buffer;
    if (!made.write(buffer)) return convertedAs({}, notPlayedAgainReason);
    return convertedAs(std::move(buffer.bytes), {}, made.question());
}

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
    ImportOptions options = web::dialogOptions(transposed, transpose, fit, truncate);
    if (track > 0) options.track = static_cast<uint32_t>(track);
    if (channel > 0) options.channel = static_cast<uint32_t>(channel);
    return web::imported(importMidi(std::string(web::input()), options, fileName));
}

// A recording of channels at rate samples a second, heard from its start:
// the page fills a block of frames (korvel_hearBlock), their samples side by
// side, and hears it (korvel_hear), until the recording ends or hearing
// says it has enough. 0: it cannot be heard, korvel_importHeard says why.
EMSCRIPTEN_KEEPALIVE int korvel_hearStart(double rate, int channels) {
    web::hearingFormat = {static_cast<uint32_t>(std::clamp(rate, 0.0, double(UINT32_MAX))),
                          static_cast<uint32_t>(std::max(channels, 0))};
    web::hearingFault = recordingFormatFault(web::hearingFormat);
    web::mixer.reset();
    web::listening.reset();
    if (!web::hearingFault.empty()) return 0;
    web::listening.emplace(web::hearingFormat.rate);
    web::mixer.emplace(web::hearingFormat, [](const float* mono, size_t count) {
        return web::listening->feed(mono, count);
    });
    return 1;
}
EMSCRIPTEN_KEEPALIVE float* korvel_hearBlock(int frames) {
    web::block.resize(size_t(std::max(frames, 0)) * std::max(web::hearingFormat.channels, 1u));
    return web::block.data();
}
// 0 once no more need be heard: enough notes, or a sample that is no number.
EMSCRIPTEN_KEEPALIVE int korvel_hear(int frames) {
    if (!web::mixer) return 0;
    const size_t count =
        std::min(web::block.size(), size_t(std::max(frames, 0)) * web::hearingFormat.channels);
    for (size_t i = 0; i < count; ++i)
        if (!web::mixer->add(web::block[i])) return 0;
    return 1;
}
// The recording heard as a script, handed back, named by fileName, with the
// choices of a MIDI file's but its voice. 0: the fault in korvel_fault.
EMSCRIPTEN_KEEPALIVE int korvel_importHeard(const char* fileName, int transposed, int transpose,
                                            int fit, int truncate) {
    if (!web::mixer) return web::convertedAs({}, web::hearingFault);
    web::mixer->flush();
    const std::string fault = web::mixer->error();
    const listen::HeardRecording heard = web::listening->finish();
    web::mixer.reset();
    web::listening.reset();
    if (!fault.empty()) return web::convertedAs({}, fault);
    return web::imported(listen::importRecording(
        heard, web::dialogOptions(transposed, transpose, fit, truncate), fileName));
}

// One pass of the tune in the input (its share text) as a MIDI file whose
// track is named title, handed back. 0: the fault in korvel_fault.
EMSCRIPTEN_KEEPALIVE int korvel_exportMidi(const char* title) {
    return web::exported(TuneExport::midi(web::inputTune(), title));
}

// One pass of the tune in the input as a WAV file, handed back.
EMSCRIPTEN_KEEPALIVE int korvel_exportWave() {
    return web::exported(TuneExport::wave(web::inputTune()));
}

// What the last conversion could not do, what to ask before keeping it, and
// an import's report: {"notes": [...], "rows": [{"label", "value"}...]}.
EMSCRIPTEN_KEEPALIVE const char* korvel_fault() {
    return web::converted.fault.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* korvel_question() {
    return web::converted.question.c_str();
}
EMSCRIPTEN_KEEPALIVE const char* korvel_importReport() {
    return web::converted.report.c_str();
}
}
