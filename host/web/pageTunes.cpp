// What the page knows of tunes without the tune tools (tuneTools.cpp, in a
// module of their own), in the board's own module: the example tunes, a
// script's title and the title of an untitled tune.
#include "formats/tuneExport.h"
#include "host/web/examples.h"
#include "host/web/exchange.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <string>

namespace korvel::web {
namespace {

// The first line of a script as korvel-cli reads it to name a tune: up to and
// with its line end, at most 255 bytes, ending at a zero byte.
constexpr size_t longestHead = 255;

std::string headOf(const char* bytes, size_t size) {
    const char* end = bytes + std::min(size, longestHead);
    const char* newline = std::find(bytes, end, '\n');
    if (newline != end) end = newline + 1;
    return std::string(bytes, std::find(bytes, end, '\0'));
}

const Example& example(int index) {
    return examples[std::clamp<size_t>(static_cast<size_t>(std::max(index, 0)), 0,
                                       exampleCount - 1)];
}

} // namespace
} // namespace korvel::web

using namespace korvel;
using namespace korvel::formats;
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
    const std::string name = chosen.fileName;
    return web::handBack(
        titleOfScript(web::headOf(chosen.script, chosen.size), name.substr(0, name.rfind('.'))));
}

// What a script (the input) calls its tune, as korvel-cli names a MIDI
// export's track, or fallback.
EMSCRIPTEN_KEEPALIVE const char* korvel_titleOfScript(const char* fallback) {
    return web::handBack(
        titleOfScript(web::headOf(web::input().data(), web::input().size()), fallback));
}

EMSCRIPTEN_KEEPALIVE const char* korvel_untitledTuneTitle() {
    return untitledTuneTitle;
}
}
