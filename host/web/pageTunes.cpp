// What the page knows of tunes without the tune tools (tuneTools.cpp, in a
// module of their own), in the board's own module: the example tunes, what a
// file holds, a tune's names (the command layer, frontend/commands), and why a
// MIDI file too large for the import is refused. Names come as JSON.
#include "frontend/commands/tuneFileKind.h"
#include "frontend/commands/tuneImporting.h"
#include "frontend/commands/tuneName.h"
#include "host/web/examples.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>

namespace korvel::web {
namespace {

const Example& example(int index) {
    return examples[std::clamp<size_t>(static_cast<size_t>(std::max(index, 0)), 0,
                                       exampleCount - 1)];
}

// {"title": ..., "fileStem": ...}
const char* handBackName(const TuneName& name) {
    JsonWriter json;
    json.beginObject().key("title").value(name.title).key("fileStem").value(name.fileStem);
    return handBack(json.endObject().take());
}

} // namespace
} // namespace korvel::web

using namespace korvel;
namespace web = korvel::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE int korvel_exampleCount() {
    return static_cast<int>(web::exampleCount);
}
EMSCRIPTEN_KEEPALIVE const char* korvel_exampleName(int index) {
    return web::example(index).fileName;
}
EMSCRIPTEN_KEEPALIVE const char* korvel_exampleScript(int index) {
    return web::example(index).script;
}
EMSCRIPTEN_KEEPALIVE int korvel_exampleSize(int index) {
    return static_cast<int>(web::example(index).size);
}
// The title the example's first line gives it, or its file name's stem.
EMSCRIPTEN_KEEPALIVE const char* korvel_exampleTitle(int index) {
    const web::Example& chosen = web::example(index);
    return web::handBack(nameOfExample({chosen.script, chosen.size}, chosen.fileName).title);
}

// What the input (a file's first bytes) holds: a TuneFileKind.
EMSCRIPTEN_KEEPALIVE int korvel_tuneFileKind() {
    return static_cast<int>(tuneFileKind(web::input()));
}

// The names of the script in the input, from its first line and the name of
// its file, or, for none (""), as an untitled tune's, as JSON.
EMSCRIPTEN_KEEPALIVE const char* korvel_nameOfScript(const char* fileName) {
    const std::string file = fileName;
    return web::handBackName(
        nameOfScript(web::input(), file.empty() ? untitledTune() : nameOfFile(file)));
}

// The names of a tune no file or script names, as JSON.
EMSCRIPTEN_KEEPALIVE const char* korvel_untitledTune() {
    return web::handBackName(untitledTune());
}
// The names of an example changed since it was loaded, as JSON.
EMSCRIPTEN_KEEPALIVE const char* korvel_changedExample(const char* title, const char* fileStem) {
    return web::handBackName(changedTune({title, fileStem, true}));
}

// Why a MIDI file larger than the import reads is refused.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiTooLarge() {
    return web::handBack(midiTooLargeReason());
}
}
