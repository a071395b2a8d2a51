// Listen in the tune editor (frontend/listen/liveListen.h) for the page's
// microphone (listen.js): the page fills a block of samples in the module's
// memory and feeds it, draws the pitch line from line() each animation frame,
// and at the end either stops, writing what was heard at the cursor, or
// cancels, dropping it.
#include "frontend/listen/liveListen.h"
#include "host/web/exchange.h"
#include "host/web/pageSession.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace korvel::web {
namespace {

std::optional<LiveListen> listening;
std::vector<float> block; // the page's samples, mono, full scale 1
std::vector<float> line;  // the pitch line as the page reads it, NAN where silent
std::string stopMessage;  // what the last stop wrote, or why nothing

} // namespace
} // namespace korvel::web

namespace web = korvel::web;

extern "C" {

// Listens afresh at rate samples a second (8000 and up), dropping what was heard before.
EMSCRIPTEN_KEEPALIVE void korvel_listenStart(double rate) {
    web::listening.emplace(web::pageEditor(), std::max(rate, 8000.0));
}

// A block for count samples, which the page fills before korvel_listenFeed(count).
EMSCRIPTEN_KEEPALIVE float* korvel_listenBlock(int count) {
    web::block.resize(static_cast<size_t>(std::max(count, 0)));
    return web::block.data();
}
EMSCRIPTEN_KEEPALIVE void korvel_listenFeed(int count) {
    const size_t fed = std::min(web::block.size(), static_cast<size_t>(std::max(count, 0)));
    if (web::listening) web::listening->feed(web::block.data(), fed);
}

// The pitch line (Transcriber::trace), newest last, its length in korvel_listenLineLength.
EMSCRIPTEN_KEEPALIVE const float* korvel_listenLine() {
    web::line.clear();
    if (web::listening)
        for (const double pitch : web::listening->trace()) web::line.push_back(float(pitch));
    return web::line.data();
}
EMSCRIPTEN_KEEPALIVE int korvel_listenLineLength() {
    return static_cast<int>(web::line.size());
}
// The newest pitch and the kit note nearest it, or "Listening…".
EMSCRIPTEN_KEEPALIVE const char* korvel_listenHeard() {
    return web::handBack(web::listening ? web::listening->heardText() : std::string());
}
EMSCRIPTEN_KEEPALIVE double korvel_listenSeconds() {
    return web::listening ? web::listening->seconds() : 0;
}

// Writes what was heard at the cursor row as one step of undo: 1 when
// written. What was written, or why nothing was, in korvel_listenMessage.
EMSCRIPTEN_KEEPALIVE int korvel_listenStop() {
    if (!web::listening) return 0;
    korvel::ListenOutcome outcome = web::listening->stop();
    web::listening.reset();
    web::stopMessage = std::move(outcome.message);
    return outcome.written;
}
EMSCRIPTEN_KEEPALIVE const char* korvel_listenMessage() {
    return web::stopMessage.c_str();
}
// Drops what was heard: nothing is written.
EMSCRIPTEN_KEEPALIVE void korvel_listenCancel() {
    web::listening.reset();
}
}
