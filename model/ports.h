// The kit model's outward calls, implemented by each host.
//
// The model never sounds or draws anything itself: it asks a SoundPort for
// sound and a RepaintPort to mark screen areas for redrawing. Hosts (the
// Windows front end, the command-line tool, test fakes) implement both.
//
// A StepObserver (melody.h), when given, sees every step the melody player
// examines, RUN's first one included.
//
// Completion reports: every sound that ends or is stopped raises exactly one
// report, which the host delivers later, after the model call that caused it
// has returned, never from inside one of these calls. In Playing mode the host
// answers a report with nextNote() (melody.h).
#pragma once

#include <cstdint>

namespace korvel {

class StepObserver;

class SoundPort {
  public:
    // Loop key-note descriptor keyNoteIndex (toneBank.h) until stopSound().
    virtual void startKeyNote(uint32_t keyNoteIndex) = 0;
    // Play the first lengthBytes samples (<= toneBufferBytes) of tone buffer toneIndex once.
    virtual void playTone(uint32_t toneIndex, uint32_t lengthBytes) = 0;
    // Stop at once and release whatever was last started.
    virtual void stopSound() = 0;

  protected:
    ~SoundPort() = default;
};

class RepaintPort {
  public:
    // Mark the four-digit LED area for redrawing from the current state.
    virtual void requestLedRepaint() = 0;
    // Mark only the colon digit (LED position 1) for redrawing.
    virtual void requestColonRepaint() = 0;

  protected:
    ~RepaintPort() = default;
};

// Everything a kit operation may call out to.
struct KitPorts {
    SoundPort& sound;
    RepaintPort& repaint;
    StepObserver* steps = nullptr; // optional
};

} // namespace korvel
