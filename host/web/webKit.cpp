// The web edition's kit: one session, driven by the page's JavaScript through
// the C functions at the end of this file.
//
// The kit runs on the page's main thread, the sound queue included (the tune
// tools of tuneTools.cpp run in a second copy of the module, in a worker): the
// audio worklet asks for samples, the page answers with pull() and posts them
// to it. A melody note's end is raised inside pull() or playTone() and
// answered by the session before the exported call returns, after the model
// call that raised it, so the next note is queued behind the last one at once.
// Strings and byte blocks returned to JavaScript stay valid until the next call.
#include "formats/scriptText.h"
#include "formats/shareLink.h"
#include "frontend/input/pcKeys.h"
#include "frontend/session/ledText.h"
#include "frontend/session/session.h"
#include "frontend/session/soundQueue.h"
#include "frontend/session/statusText.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"
#include "host/web/pageSession.h"
#include "model/script.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <utility>

namespace korvel::web {
namespace {

// The queue runs as far ahead as it can, and no pull takes more than that, so
// a note's end is always reported, and answered within the same pull, before
// the pull reaches it: the worklet then never gets a break between notes.
constexpr uint32_t aheadSamples = SoundQueue::largestAhead;
constexpr uint32_t largestPull = aheadSamples;

// The session's sound: the queue, and whether the worklet must drop what it
// holds. A cut must reach the worklet at once, or it would play out what it
// holds of the old sound first. A note that does not answer a claimed report
// starts a tune (RUN), which cuts whatever sounded, too.
class PageSound final : public SessionSound, SoundQueueListener {
  public:
    PageSound() : queue_(*this, aheadSamples) {}

    void startKeyNote(uint32_t keyNoteIndex) override {
        queue_.startKeyNote(keyNoteIndex);
        cut();
    }
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override {
        queue_.playTone(toneIndex, lengthBytes);
        if (!std::exchange(answering_, false)) cut_ = true;
    }
    void stopSound() override {
        queue_.stopSound();
        cut();
    }
    bool claimReport(uint64_t tag) override;

    const uint8_t* pull(uint32_t count) {
        queue_.pull(samples_.data(), std::min(count, largestPull));
        return samples_.data();
    }
    bool takeCut() { return std::exchange(cut_, false); }
    bool idle() const { return queue_.idle(); }

  private:
    void cut() {
        cut_ = true;
        answering_ = false;
    }
    void melodyNoteEnded(uint64_t tag) override;
    void ranDry() override {}

    SoundQueue queue_;
    bool cut_ = false;
    bool answering_ = false;
    std::array<uint8_t, largestPull> samples_{};
};

// Browsers flag a held key's repeats themselves and send no release for them.
PcKeys pcKeys(false);

// The page repaints from the state after every call; a kit key also goes to
// the tune editor, which records the organ's notes. Every key let go (the
// page lost the keyboard, a reset), no PC key's release lets go again.
class PageView final : public SessionView {
    void showKeyHeld(KeyId key) override;
    void forgetHolds() override { pcKeys.forgetAll(); }
};

PageSound sound;
PageView view;
Session session(sound, view);

// Only a claimed report while the kit plays is answered with a note; one of
// an editor's tone that ended is not, so the next note (RUN, play from a row)
// cuts what the worklet still holds of that tone rather than queueing behind it.
bool PageSound::claimReport(uint64_t tag) {
    const bool claimed = queue_.claimReport(tag);
    answering_ = claimed && session.kit().mode == KitMode::Playing;
    return claimed;
}

void PageView::showKeyHeld(KeyId key) {
    editorSawKey(key, session.isHeld(key));
}

// Noted here, answered once the call into the kit that raised it is done.
void PageSound::melodyNoteEnded(uint64_t tag) {
    session.noteReport(tag);
}

FileResult lastResult{FileOutcome::Done, {}, loadCaption};

} // namespace

Session& pageSession() {
    return session;
}

namespace {

int outcomeOf(FileResult result) {
    lastResult = std::move(result);
    return static_cast<int>(lastResult.outcome);
}

// The page's origin: a TuneOrigin.
TuneOrigin originOf(int origin) {
    return origin == static_cast<int>(TuneOrigin::Clipboard) ? TuneOrigin::Clipboard
                                                             : TuneOrigin::File;
}

// A key event's answer: whether the key is the kit's, and the kit key to let
// go of and to hold, if any.
std::string answerJson(const PcKeyAnswer& answer) {
    JsonWriter json;
    json.beginObject().key("taken").value(answer.taken);
    if (answer.letGo) json.key("letGo").value(static_cast<int>(*answer.letGo));
    if (answer.hold) json.key("hold").value(static_cast<int>(*answer.hold));
    return json.endObject().take();
}

// The page's key event: the physical key by its code name (a hash, the same
// for its press and release), the key value ("7", "b", "@", " ",
// "Backspace"), whether Ctrl, Alt or Meta is down and the browser's repeat flag.
PcKeyEvent pcKeyEventOf(std::string_view code, const char* key, int commandHeld, int repeat) {
    uint64_t physical = 14695981039346656037u; // FNV-1a
    for (const char c : code)
        physical = (physical ^ static_cast<unsigned char>(c)) * 1099511628211u;
    PcKeyEvent event;
    event.physical = physical;
    event.key = key;
    event.typed = event.key.size() == 1 ? event.key[0] : '\0';
    event.commandHeld = commandHeld != 0;
    event.autoRepeat = repeat != 0;
    return event;
}

} // namespace

KeyId keyOf(int key) {
    return static_cast<KeyId>(static_cast<unsigned>(key) < keyCount ? key : keyCount);
}

} // namespace korvel::web

using namespace korvel;
using korvel::web::session;

extern "C" {

EMSCRIPTEN_KEEPALIVE void korvel_start(int hour, int minute, int second, int millisecond,
                                       double nowMilliseconds) {
    session.start({static_cast<unsigned>(hour), static_cast<unsigned>(minute),
                   static_cast<unsigned>(second), static_cast<unsigned>(millisecond)},
                  static_cast<uint64_t>(nowMilliseconds));
}

EMSCRIPTEN_KEEPALIVE void korvel_hold(int key) {
    session.hold(web::keyOf(key));
}
EMSCRIPTEN_KEEPALIVE void korvel_letGo(int key) {
    session.letGo(web::keyOf(key));
}
EMSCRIPTEN_KEEPALIVE void korvel_letGoAll() {
    session.letGoAll();
}
EMSCRIPTEN_KEEPALIVE int korvel_held(int key) {
    return session.isHeld(web::keyOf(key));
}
EMSCRIPTEN_KEEPALIVE int korvel_catchUp(double nowMilliseconds) {
    return static_cast<int>(session.catchUp(static_cast<uint64_t>(nowMilliseconds)));
}
EMSCRIPTEN_KEEPALIVE void korvel_reset() {
    session.reset();
}

// The input's bytes as a script from a file called name or the clipboard (origin, a
// TuneOrigin), in place of the tune; returns the FileOutcome, with its
// message in korvel_message or, when loaded, what to tell in korvel_notice.
EMSCRIPTEN_KEEPALIVE int korvel_loadScript(const char* name, int origin) {
    return web::outcomeOf(
        session.loadScript(web::input().data(), web::input().size(), name, web::originOf(origin)));
}
// A script longer than the loader reads, refused before it enters the module.
EMSCRIPTEN_KEEPALIVE int korvel_scriptTooLarge(const char* name, int origin) {
    return web::outcomeOf(scriptTooLarge(web::originOf(origin), name));
}
EMSCRIPTEN_KEEPALIVE int korvel_openFailed(const char* name, const char* reason) {
    return web::outcomeOf(cantOpen(name, reason));
}
EMSCRIPTEN_KEEPALIVE int korvel_writeFailed(const char* name) {
    return web::outcomeOf(cantWrite(name));
}
EMSCRIPTEN_KEEPALIVE const char* korvel_message() {
    return web::handBack(messageWithReason(web::lastResult));
}
EMSCRIPTEN_KEEPALIVE const char* korvel_notice() {
    return web::lastResult.notice.c_str();
}
EMSCRIPTEN_KEEPALIVE int korvel_skipped() {
    return static_cast<int>(web::lastResult.skipped);
}
EMSCRIPTEN_KEEPALIVE const char* korvel_caption() {
    return web::lastResult.caption;
}

// The share text of the tune, and applying the input's text as one (1) or refusing it (0).
EMSCRIPTEN_KEEPALIVE const char* korvel_shareText() {
    return web::handBack(shareText(session.kit()));
}
EMSCRIPTEN_KEEPALIVE int korvel_applyShareText() {
    return session.change([](KitState& kit) { return applyShareText(kit, web::inputText()); });
}

EMSCRIPTEN_KEEPALIVE int korvel_ledCell(int position) {
    return static_cast<int>(ledCells(session.kit())[static_cast<size_t>(position & 3)]);
}
EMSCRIPTEN_KEEPALIVE const char* korvel_ledReading() {
    return web::handBack(ledReading(session.kit()));
}
EMSCRIPTEN_KEEPALIVE const char* korvel_status() {
    return web::handBack(statusText(session.kit(), session.soundingStep()));
}
// The PC keys (pcKeys.h): each event's answer as JSON, {taken, letGo, hold}
// (a kit key's number each), for the page to do.
EMSCRIPTEN_KEEPALIVE const char* korvel_pcKeyPress(const char* code, const char* key,
                                                   int commandHeld, int repeat) {
    return web::handBack(
        web::answerJson(web::pcKeys.press(web::pcKeyEventOf(code, key, commandHeld, repeat))));
}
EMSCRIPTEN_KEEPALIVE const char* korvel_pcKeyRelease(const char* code, const char* key) {
    return web::handBack(web::answerJson(web::pcKeys.release(web::pcKeyEventOf(code, key, 0, 0))));
}

// Sound: count samples (at most 4096) for the worklet; whether the sound was
// cut since the last ask; whether nothing but silence is left to give.
EMSCRIPTEN_KEEPALIVE const uint8_t* korvel_pull(int count) {
    const uint8_t* samples = web::sound.pull(static_cast<uint32_t>(std::max(count, 0)));
    session.answerReports();
    return samples;
}
EMSCRIPTEN_KEEPALIVE int korvel_takeCut() {
    return web::sound.takeCut();
}
EMSCRIPTEN_KEEPALIVE int korvel_soundIdle() {
    return web::sound.idle();
}
}
