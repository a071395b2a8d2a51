// Tells, from when an audio device asks for samples, that it must have run
// out before: its audio thread was kept waiting (a busy machine) longer than
// the device could play on from what it had been given.
//
// The device cannot play faster than its rate, so by each request it has
// played at most the samples given since it started plus the time it waited
// for the first. When more time than that has passed, it played silence for
// the difference. The estimate follows the device's own clock where it runs
// a little fast (the shortfall is absorbed while it stays below the margin)
// or slow (the lead is capped at two buffers).
//
// Audio thread only; restart() when the device resumes after a pause, since
// a paused device is not asked for samples.
#pragma once

#include <cstdint>

namespace korvel::audio {

class UnderrunWatch {
  public:
    UnderrunWatch(uint32_t bufferSamples, uint32_t sampleRate);

    void restart();
    // A request for count samples at nowMicroseconds (any steady clock): true
    // when the device ran out, a quarter of a buffer or more, since the last.
    bool ranOut(uint64_t nowMicroseconds, uint32_t count);

  private:
    int64_t bufferMicroseconds_;
    uint32_t sampleRate_;
    bool started_ = false;
    int64_t playableUntil_ = 0; // when the samples given so far run out, at the latest
};

} // namespace korvel::audio
