// The kit's sound on the default audio output through SDL2, shared by
// korvel-cli play and the Qt edition.
//
// A SoundQueue (soundQueue.h) feeds an SDL audio device opened for the kit's
// own format, 22050 samples per second, 8-bit unsigned, mono (SDL converts
// when the hardware wants another), in buffers of bufferSamples: small, so a
// held organ key sounds within one buffer. The device is paused while nothing
// sounds, so an idle kit costs no callbacks, and resumed when a sound starts.
// A paused device still keeps SDL's audio thread waking, so a host that stays
// idle for long may release it (releaseIfIdle); the next sound, or prepare(),
// opens it again. The first samples of a newly opened device may come late (at
// times a few hundred milliseconds through PulseAudio), so a host prepares it
// at the first sign of use.
// SDL_AUDIODRIVER picks the driver ("dummy" or "disk" for tests).
//
// Every call is made on one thread, the host's GUI thread (or korvel-cli's
// main thread); the listener is called as soundQueue.h says, mostly on SDL's
// audio thread.
#pragma once

#include "soundQueue.h"

#include <cstdint>
#include <string>

namespace korvel::audio {

class DeviceSound final : public SoundPort {
  public:
    static constexpr uint32_t bufferSamples = 512; // 23 ms
    // Three buffers: the host has at least two (46 ms) to answer a report.
    static constexpr uint32_t aheadSamples = 3 * bufferSamples;

    explicit DeviceSound(SoundQueueListener& listener);
    ~DeviceSound(); // stops the sound at once and closes the device
    DeviceSound(const DeviceSound&) = delete;
    DeviceSound& operator=(const DeviceSound&) = delete;

    // False with error() set when no device could be opened; the kit then
    // runs silent and no report ever arrives.
    bool open();
    // Opened, though perhaps released for now.
    bool isOpen() const { return device_ != 0 || released_; }
    const std::string& error() const { return error_; }
    // How long the device holds samples it has taken from the queue.
    uint32_t bufferMilliseconds() const { return bufferMilliseconds_; }

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

  private:
    bool openDevice();
    // Reopens a released device; false (error() set) when that fails, and
    // the sound is then dropped, as on a device that went away.
    bool deviceReady();
    void setPaused(bool paused);

    SoundQueue queue_;
    uint32_t device_ = 0;
    bool sdlStarted_ = false;
    bool paused_ = true;
    bool released_ = false;
    uint32_t bufferMilliseconds_ = 0;
    std::string error_;
};

} // namespace korvel::audio
