// The recording ports as a session's sound, claiming reports as the sound
// queue does: the note last played is in flight until its report is claimed,
// or a stop or a key note cuts it.
#pragma once

#include "frontend/session/session.h"
#include "tests/model/fakes.h"

#include <cstdint>

namespace korvel::test {

class TaggedRecorder final : public RecordingPorts, public SessionSound {
  public:
    uint64_t lastTag = 0;

    void startKeyNote(uint32_t k) override {
        RecordingPorts::startKeyNote(k);
        inFlight_ = 0;
    }
    void playTone(uint32_t t, uint32_t n) override {
        RecordingPorts::playTone(t, n);
        inFlight_ = ++lastTag;
    }
    void stopSound() override {
        RecordingPorts::stopSound();
        inFlight_ = 0;
    }
    bool claimReport(uint64_t tag) override {
        if (tag == 0 || tag != inFlight_) return false;
        inFlight_ = 0;
        return true;
    }

  private:
    uint64_t inFlight_ = 0;
};

} // namespace korvel::test
