// One kit as a front end runs it: the kit's state, its clock kept by elapsed
// time, the keys held from every source, the step sounding and the answers to
// the sound's reports. Each edition wraps one in its own event loop and tells
// its view what changed.
//
// Keys: a kit key is down while any source holds it; STOP and Reset let go of
// the other held keys first (keyHolds.h).
//
// Reports: the sound reports a melody note's end with the note's tag, at
// times from inside one of its own calls, where it is only noted; it is
// answered after the call into the kit that raised it has returned. Only the
// newest tag noted can be of the note in flight, and only a tag the sound
// claims (soundQueue.h) is answered, with the next note, while the kit plays;
// out of Playing, the claimed report is of an audition's tone, whose tail may
// still be queued: the next sound still cuts it.
#pragma once

#include "formats/scriptText.h"
#include "frontend/input/keyHolds.h"
#include "frontend/session/clockCatchUp.h"
#include "model/kit.h"
#include "model/melody.h"
#include "model/script.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

// The sound a session plays through: its melody notes carry tags.
class SessionSound : public SoundPort {
  public:
    // True, once, for the report of the melody note last started, unless a
    // stop or a key note came after it.
    virtual bool claimReport(uint64_t tag) = 0;

  protected:
    ~SessionSound() = default;
};

// What changed, for the edition to show; it reads the rest from the session.
// A view that redraws everything after each call leaves these as they are.
class SessionView {
  public:
    virtual void showLed() {}
    // Only the colon blinked.
    virtual void showColon() {}
    // The step sounding, while the kit plays.
    virtual void showStep() {}
    // The key went down or came up.
    virtual void showKeyHeld(KeyId) {}
    // Every hold was let go: sources forget the keys they held.
    virtual void forgetHolds() {}

  protected:
    ~SessionView() = default;
};

class Session final : RepaintPort, StepObserver {
  public:
    Session(SessionSound& sound, SessionView& view) : sound_(sound), view_(view) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // The kit as initKit leaves it, its clock at now; the counter's reading
    // (milliseconds, counting sleep) starts the catch-up. Call once, first.
    void start(const ClockReading& now, uint64_t nowMilliseconds);

    const KitState& kit() const { return kit_; }
    // The note or rest sounding, while Playing.
    const MelodyStep* soundingStep() const;

    void hold(KeyId key);
    void letGo(KeyId key);
    // Lets go of every held key, so no organ note hangs when input goes elsewhere.
    void letGoAll();
    bool isHeld(KeyId key) const { return holds_.isHeld(key); }
    // Lets go of every held key, then resets the kit.
    void reset();
    // Brings the clock up to the counter's reading; returns the tenths ticked.
    uint64_t catchUp(uint64_t nowMilliseconds);

    // A script's tune from a file called name (or the clipboard) in place of
    // the one in memory, as replaceTune; a tune playing plays on from the new
    // memory. One change, so the tune editor sees one step of undo.
    FileResult loadScript(const char* bytes, size_t size, const std::string& name,
                          TuneOrigin origin = TuneOrigin::File);
    // Changes the kit from outside the keypad (a script file, a link, an
    // import) and shows the result; a tune playing plays on from the changed
    // memory. Returns what change returns.
    template <typename Edit> auto change(Edit&& edit) {
        auto result = edit(kit_);
        view_.showLed(); // a script sets the digit registers, which Entry shows
        return result;
    }
    // Sounds a tone of the editor's (a note entered, a piano key held) when
    // neither a tune nor an organ key sounds; a new one cuts the last. False
    // when it could not sound. Any kit key, Reset and playFrom cut it.
    bool audition(uint32_t toneIndex, uint32_t lengthBytes);
    // Cuts the tone audition started, if it still sounds.
    void endAudition();
    // Plays the tune from address as RUN plays it from the start address,
    // whatever the mode; the start address stays as stored, so the tune
    // starts over there after its end marker.
    void playFrom(uint32_t address);

    // The 932 bytes a save writes.
    ScriptImage scriptImage() const { return buildScript(kit_); }

    // A melody note's report, only noted: safe from inside the sound's own calls.
    void noteReport(uint64_t tag);
    // Answers the report noted, if it is of the note in flight, and any its
    // answer raised at once. Every call that may sound ends with it.
    void answerReports();

  private:
    void requestLedRepaint() override { view_.showLed(); }
    void requestColonRepaint() override { view_.showColon(); }
    void stepExamined(const MelodyStep& step, StepKind kind, bool followed) override;
    KitPorts ports() { return {sound_, *this, this}; }
    void released(KeyId key);

    SessionSound& sound_;
    SessionView& view_;
    KitState kit_{};
    ClockCatchUp catchUp_{};
    KeyHolds holds_;
    std::optional<MelodyStep> sounding_;
    uint64_t reportedTag_ = 0; // the newest noted, 0: none
    bool auditioning_ = false; // until another sound cuts it, even after its report
};

} // namespace korvel
