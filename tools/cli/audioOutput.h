// Sound for the play command: the default output device through SDL2's audio
// subsystem, opened for the kit's own format (8-bit unsigned, mono, 22050
// samples per second; SDL converts if the device wants another).
//
// Samples are queued from the calling thread; SDL's audio thread drains the
// queue. SDL_AUDIODRIVER picks the driver ("dummy" or "disk" for tests).
#pragma once

#include <cstdint>
#include <string>

namespace korvel::cli {

class AudioOutput {
  public:
    AudioOutput() = default;
    ~AudioOutput(); // stops the sound at once and closes the device
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // False with error() set when no device could be opened.
    bool open();
    bool queue(const uint8_t* samples, uint32_t count);
    uint32_t queuedSamples() const; // not yet handed to the device
    // How long the device holds samples it has taken from the queue.
    uint32_t deviceBufferMilliseconds() const { return bufferMilliseconds_; }
    void stop(); // drops what is queued

    const std::string& error() const { return error_; }

  private:
    uint32_t device_ = 0;
    bool sdlStarted_ = false;
    bool playing_ = false;
    uint32_t bufferMilliseconds_ = 0;
    std::string error_;
};

} // namespace korvel::cli
