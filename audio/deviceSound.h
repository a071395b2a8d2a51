// The kit's sound on the default audio output through SDL2, shared by
// korvel-cli play and the Qt edition.
//
// A SoundQueue (soundQueue.h) feeds an SDL audio device opened for the kit's
// own format, 22050 samples per second, 8-bit unsigned, mono (SDL converts
// when the hardware wants another), in buffers of bufferSamples(): small, so
// a held organ key sounds within one buffer. The device is paused while
// nothing sounds, so an idle kit costs no callbacks, and resumed when a sound
// starts. A paused device still keeps SDL's audio thread waking, so a host
// that stays idle for long may release it (releaseIfIdle); the next sound, or
// prepare(), opens it again. The first samples of a newly opened device may
// come late (at times a few hundred milliseconds through PulseAudio), so a
// host prepares it at the first sign of use.
//
// On a busy machine the audio thread may be kept waiting past what the
// device holds, and the device plays silence (underrunWatch.h). It then
// reopens with a larger buffer, a step at a time up to largestBufferSamples,
// which still lets a key sound within about 50 ms; the buffer stays that size
// while the device lives. The host answers lateness on its own thread with
// recoverFromUnderrun(); every sound call does it, too.
// SDL_AUDIODRIVER picks the driver ("dummy" or "disk" for tests; neither
// plays in real time, so neither is watched).
//
// For measuring key to sound, KORVEL_SOUND_ONSET_LOG (read once, when the
// sound is made) names a file that gets a line "onset NANOSECONDS SAMPLES"
// when the callback hands the device the first audible samples of a sound
// started since the last such line, in a buffer of SAMPLES; the time is the
// steady clock's (CLOCK_MONOTONIC on Linux), taken as the callback returns.
//
// Every call is made on one thread, the host's GUI thread (or korvel-cli's
// main thread); the listeners are called as soundQueue.h says, mostly on
// SDL's audio thread.
#pragma once

#include "audio/underrunWatch.h"
#include "frontend/session/soundQueue.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel::audio {

class DeviceSound final : public SoundPort {
  public:
    static constexpr uint32_t firstBufferSamples = 512;    // 23 ms
    static constexpr uint32_t bufferStepSamples = 256;     // 12 ms
    static constexpr uint32_t largestBufferSamples = 1024; // 46 ms
    // Three buffers: the host has at least two (46 ms) to answer a report.
    static constexpr uint32_t aheadSamples = 3 * largestBufferSamples;

    // Told on the audio thread that the device played silence for want of
    // samples; the host calls recoverFromUnderrun() on its own thread.
    class UnderrunListener {
      public:
        virtual void ranOut() = 0;

      protected:
        ~UnderrunListener() = default;
    };

    explicit DeviceSound(SoundQueueListener& listener, UnderrunListener* underruns = nullptr);
    ~DeviceSound(); // stops the sound at once and closes the device
    DeviceSound(const DeviceSound&) = delete;
    DeviceSound& operator=(const DeviceSound&) = delete;

    // False with error() set when no device could be opened; the kit then
    // runs silent and no report ever arrives.
    bool open();
    // Closes the device for good; the audio thread has ended when it returns.
    void close();
    // Opened, though perhaps released for now.
    bool isOpen() const { return device_ != 0 || released_; }
    const std::string& error() const { return error_; }
    uint32_t bufferSamples() const { return bufferSamples_; }
    // How long the device holds samples it has taken from the queue.
    uint32_t bufferMilliseconds() const { return bufferSamples_ * 1000u / sampleRate + 1; }

    void startKeyNote(uint32_t keyNoteIndex) override;
    void playTone(uint32_t toneIndex, uint32_t lengthBytes) override;
    void stopSound() override; // cuts and pauses the device

    // See SoundQueue.
    bool claimReport(uint64_t tag) { return queue_.claimReport(tag); }
    uint64_t samplesSounded() const { return queue_.samplesSounded(); }
    bool idle() const { return queue_.idle(); }
    // The host's answer to the listener's ranDry(): pauses unless a sound started since.
    void pauseIfIdle();
    // Closes the device while nothing sounds; the next sound reopens it.
    void releaseIfIdle();
    // Reopens a released device ahead of a likely sound: a new device takes a
    // while to play its first samples.
    void prepare() { deviceReady(); }
    // After the device ran out, reopens it with a larger buffer (while one is
    // allowed), carrying on what sounded; the queue keeps what it holds.
    void recoverFromUnderrun();

    // Audio thread: SDL's callback.
    void pull(uint8_t* out, uint32_t count);

  private:
    bool openDevice();
    void closeDevice();
    // Reopens a released device; false (error() set) when that fails, and
    // the sound is then dropped, as on a device that went away.
    bool deviceReady();
    void setPaused(bool paused);
    void noteSoundStarted();
    bool logOnset(const uint8_t* out, uint32_t count);

    SoundQueue queue_;
    UnderrunListener* const underruns_;
    uint32_t device_ = 0;
    bool sdlStarted_ = false;
    bool paused_ = true;
    bool released_ = false;
    bool watched_ = false; // the driver plays in real time
    uint32_t bufferSamples_ = firstBufferSamples;
    std::string error_;
    // Audio thread, set up by the host thread while the device is closed or paused:
    UnderrunWatch watch_{firstBufferSamples, sampleRate};
    std::atomic<bool> restartWatch_{true};
    std::atomic<bool> ranOut_{false};
    // Null unless asked for; sounds counted on the host thread, logged on the audio thread.
    std::FILE* onsetLog_ = nullptr;
    std::atomic<uint64_t> soundsStarted_{0};
    uint64_t soundsLogged_ = 0;
};

} // namespace korvel::audio
