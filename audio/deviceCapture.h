// The default sound input through SDL2 capture, for Listen.
//
// Opened for 32-bit float mono at the rate the device reports for itself
// (SDL converts channels; a device that names no rate is asked for
// preferredRate), in buffers of about bufferSeconds, so the pitch line
// follows the voice closely. SDL's audio thread hands each buffer to a
// CaptureQueue holding queueSeconds; the GUI thread takes it on its timer.
// SDL_AUDIODRIVER picks the driver, as for deviceSound.h; PulseAudio's
// default source may be set with PULSE_SOURCE.
//
// open(), close() and take() are called on one thread, the host's GUI thread.
#pragma once

#include "audio/captureQueue.h"
#include "audio/soundInput.h"

#include <cstdint>
#include <memory>
#include <string>

namespace korvel::audio {

class DeviceCapture final : public SoundInput {
  public:
    static constexpr int preferredRate = 48000;
    // Small, for the pitch line: the sound waits this long to be handed over.
    static constexpr double bufferSeconds = 0.005;
    static constexpr double queueSeconds = 2;
    // Listen's pitch tracker needs at least this.
    static constexpr int lowestRate = 8000;

    DeviceCapture() = default;
    ~DeviceCapture() override; // closes
    DeviceCapture(const DeviceCapture&) = delete;
    DeviceCapture& operator=(const DeviceCapture&) = delete;

    bool open() override;
    void close() override;
    double sampleRate() const override { return rate_; }
    const std::string& error() const override { return error_; }
    Taken take(std::vector<float>& samples) override;

    // Audio thread: SDL's callback.
    void push(const float* samples, size_t count) { queue_->push(samples, count); }

  private:
    bool fail(const std::string& what);

    uint32_t device_ = 0;
    bool sdlStarted_ = false;
    double rate_ = 0;
    std::unique_ptr<CaptureQueue> queue_;
    std::string error_;
};

} // namespace korvel::audio
