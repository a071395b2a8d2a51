// The kit's sound as a stream that an audio callback pulls, with no break
// between melody notes.
//
// The host's GUI thread drives it as a SoundPort; the audio device's callback
// thread calls pull(). Samples are computed from the tones (toneSource.h), not
// read from the tone bank.
//
// Running ahead: the queue keeps up to aheadSamples samples of the sound,
// beyond what pull() has handed the device, in a small FIFO, which playTone()
// and pull() fill. A melody note's completion report is raised when its last
// sample enters that FIFO, so the host has at least aheadSamples minus one
// device buffer of time to answer with the next note, which is appended right
// behind it while the device still plays the FIFO. Cutting a sound
// (stopSound, startKeyNote) drops the FIFO, so running ahead adds no delay to
// anything the user does.
//
// Reports: each playTone gets a tag, a sequence number; a report carries the
// tag of the note that ended. Only natural ends are reported: a stopped or
// replaced sound raises nothing. A report may still reach the host after the
// note was stopped, or after another note started; claimReport() tells the
// report of the melody note now in flight from such a stale one.
//
// When the device would get only silence, level 128 fills it, and once the
// FIFO has run dry ranDry() tells the host that the device may be paused.
#pragma once

#include "model/ports.h"
#include "model/toneSource.h"

#include <array>
#include <cstdint>
#include <mutex>

namespace korvel {

// Called with no lock held from inside pull(), on the audio thread, and from
// inside playTone(), on the GUI thread, when a short note at once reaches the
// FIFO whole. Either way the host only notes the call and delivers it later on
// its GUI thread, never from inside the model call that caused it.
class SoundQueueListener {
  public:
    virtual void melodyNoteEnded(uint64_t tag) = 0;
    virtual void ranDry() = 0;

  protected:
    ~SoundQueueListener() = default;
};

class SoundQueue final : public SoundPort {
  public:
    static constexpr uint32_t fifoCapacity = 8192;
    static constexpr uint32_t largestAhead = fifoCapacity / 2;

    // aheadSamples: at most largestAhead; three device buffers or more is safe.
    SoundQueue(SoundQueueListener& listener, uint32_t aheadSamples);

    // GUI thread. startKeyNote and stopSound cut what sounds; playTone queues
    // the note behind a melody note still sounding and cuts a key note.
    void startKeyNote(uint32_t keyNoteIndex) override;
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override;
    void stopSound() override;
    // True, once, for the report of the melody note last started, unless
    // stopSound or startKeyNote came after it.
    bool claimReport(uint64_t tag);
    // Nothing queued and the FIFO empty: the device would get only silence.
    bool idle() const;
    // Samples of sounds (not of underrun silence) handed to the device so far.
    uint64_t samplesSounded() const;

    // Audio thread: fills out with the next count samples.
    void pull(uint8_t* out, uint32_t count);

  private:
    struct Sound {
        ToneSource source;
        uint64_t tag = 0; // 0: a key note
    };
    // Ends noted under the lock and raised after it; at most the note
    // sounding and the one behind it end before the host answers.
    struct Reports {
        std::array<uint64_t, 2> tags{};
        uint32_t count = 0;
        void add(uint64_t tag);
        void raise(SoundQueueListener& listener) const;
    };

    void cutLocked();
    void renderLocked(uint32_t upTo, Reports& ended);
    uint32_t takeLocked(uint8_t* out, uint32_t count);

    SoundQueueListener& listener_;
    const uint32_t ahead_;
    mutable std::mutex mutex_;
    // Guarded by mutex_:
    std::array<uint8_t, fifoCapacity> fifo_{};
    uint32_t fifoStart_ = 0;
    uint32_t fifoCount_ = 0;
    Sound current_;         // its tag turns 0 once its end is reported
    Sound next_;            // a melody note behind current_ when its tag is not 0
    bool sounding_ = false; // something was queued or cut since the FIFO last ran dry
    uint64_t lastTag_ = 0;
    uint64_t inFlightTag_ = 0;
    uint64_t sounded_ = 0;
};

} // namespace korvel
