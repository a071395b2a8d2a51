// A MIDI keyboard for the page (midi.js), through the browser's Web MIDI: the
// page hands over each message's bytes as it comes, the input ports present
// whenever the browser says they changed, and does what the answer says (open
// or close a port). The keyboard (midiKeyboard.h) and the remembered choice
// with its hotplug (midiPortChoice.h) are the rules every edition shares; here
// only MIDI input turned on and off, which the page asks the browser for.
//
// Times are the page's performance.now(), the clock the tune editor records by.
#include "frontend/editor/midiKeyboard.h"
#include "frontend/input/midiPortChoice.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"
#include "host/web/pageSession.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

namespace korvel::web {
namespace {

struct PageMidi {
    explicit PageMidi(const char* remembered)
        : keyboard(pageSession(), &pageEditor()), choice(remembered) {}
    MidiKeyboard keyboard;
    MidiPortChoice choice;
    bool on = false; // the visitor turned MIDI input on and the browser allowed it
};

std::optional<PageMidi> midi;

uint64_t now() {
    return static_cast<uint64_t>(emscripten_get_now());
}

// A message's own time, when the browser gave one that has passed: a message
// handled late still records when it was played. Never earlier than the last
// one, so that a note never ends before it began.
uint64_t timeOf(double stamp) {
    static uint64_t last = 0;
    const double current = emscripten_get_now();
    const auto time = static_cast<uint64_t>(stamp > 0 && stamp <= current ? stamp : current);
    return last = std::max(last, time);
}

// What the page must do and then show: the port to close and the one to open
// (either may be empty), and the Input menu's ports, the one chosen and the
// status line's text. Closing a port silences the organ first: a key held on
// a keyboard unplugged never comes up.
const char* answer(const MidiPortStep& step) {
    if (!step.close.empty()) midi->keyboard.portGone(now());
    JsonWriter json;
    json.beginObject().key("close").value(step.close).key("open").value(step.open);
    json.key("ports").beginArray();
    for (const std::string& port : midi->choice.ports()) json.value(port);
    json.endArray().key("chosen").value(midi->choice.chosen());
    json.key("status").value(midi->on ? midi->choice.statusText() : std::string());
    return handBack(json.endObject().take());
}

} // namespace
} // namespace korvel::web

namespace web = korvel::web;

extern "C" {

// Once the tune editor is made (korvel_editorStart), so that Record records:
// remembered is the port chosen on an earlier visit, or empty.
EMSCRIPTEN_KEEPALIVE void korvel_midiStart(const char* remembered) {
    if (!web::midi) web::midi.emplace(remembered);
}

// MIDI input turned on (the browser allowed it; the ports follow) or off:
// the port open is closed, the choice kept for the next time.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiInput(int on) {
    web::midi->on = on != 0;
    return web::answer(on ? korvel::MidiPortStep{} : web::midi->choice.follow({}));
}

// The input ports present, their names a list in the input (a port without
// a name cannot be chosen, so it is not listed). While none is chosen
// the first one present is: a visitor who turns MIDI input on with one
// keyboard plugged in plays at once.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiPorts() {
    if (!web::midi->on) return web::answer({});
    korvel::MidiPortStep step = web::midi->choice.follow(web::inputList());
    const auto& ports = web::midi->choice.ports();
    if (web::midi->choice.chosen().empty() && !ports.empty())
        step = web::midi->choice.choose(ports.front());
    return web::answer(step);
}

// The visitor chose a port from the Input menu.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiChoose(const char* port) {
    return web::answer(web::midi->on ? web::midi->choice.choose(port) : korvel::MidiPortStep{});
}

// The port the answer said to open would not open: it is tried again when the ports change.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiOpenFailed() {
    web::midi->choice.openFailed();
    return web::answer({});
}

// A message's bytes, in the input, as the open port delivered them, and the
// event's time stamp; returns why its key did not sound, or empty.
EMSCRIPTEN_KEEPALIVE const char* korvel_midiReceive(double stamp) {
    const std::string_view bytes = web::input();
    if (web::midi->on && !web::midi->choice.open().empty())
        web::midi->keyboard.receive(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                    web::timeOf(stamp));
    return web::midi->keyboard.message().c_str();
}
}
