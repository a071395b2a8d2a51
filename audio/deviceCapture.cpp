// SDL2 capture device handling for DeviceCapture.
#include "audio/deviceCapture.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <cmath>

namespace korvel::audio {
namespace {

void SDLCALL pushSamples(void* capture, Uint8* in, int bytes) {
    // The device was opened for float mono, which SDL converts to.
    static_cast<DeviceCapture*>(capture)->push(reinterpret_cast<const float*>(in),
                                               size_t(bytes) / sizeof(float));
}

// The default input's own rate, so no resampling stands between the voice and
// the pitch tracker; 0 where the driver, or an SDL before 2.24, does not say.
int defaultInputRate() {
#if SDL_VERSION_ATLEAST(2, 24, 0)
    char* name = nullptr;
    SDL_AudioSpec spec{};
    if (SDL_GetDefaultAudioInfo(&name, &spec, 1) != 0) return 0;
    SDL_free(name);
    return spec.freq;
#else
    return 0;
#endif
}

// A power of two near bufferSeconds at this rate, as SDL wants its buffers.
Uint16 bufferSamplesAt(int rate) {
    const double wanted = rate * DeviceCapture::bufferSeconds;
    return Uint16(1u << unsigned(std::lround(std::log2(wanted))));
}

} // namespace

DeviceCapture::~DeviceCapture() {
    close();
}

bool DeviceCapture::fail(const std::string& what) {
    error_ = what;
    close();
    return false;
}

bool DeviceCapture::open() {
    close();
    error_.clear();
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
        return fail(std::string("No sound input: ") + SDL_GetError() + ".");
    sdlStarted_ = true;
    // -1: the driver cannot list its inputs, though it may still open the default one.
    if (SDL_GetNumAudioDevices(1) == 0)
        return fail("No sound input: no microphone or other input device was found.");
    const int deviceRate = defaultInputRate();
    SDL_AudioSpec wanted{};
    wanted.freq = deviceRate >= lowestRate ? deviceRate : preferredRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = 1;
    wanted.samples = bufferSamplesAt(wanted.freq);
    wanted.callback = pushSamples;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    // The rate may change, to the device's own; format and channels SDL converts.
    device_ = SDL_OpenAudioDevice(nullptr, 1, &wanted, &obtained, SDL_AUDIO_ALLOW_FREQUENCY_CHANGE);
    if (!device_)
        return fail(std::string("The sound input refused to open: ") + SDL_GetError() + ".");
    if (obtained.freq < lowestRate)
        return fail("The sound input gives " + std::to_string(obtained.freq) +
                    " samples a second; Listen needs at least " + std::to_string(lowestRate) + ".");
    rate_ = obtained.freq;
    queue_ = std::make_unique<CaptureQueue>(size_t(rate_ * queueSeconds));
    // A device opens paused: no callback has come before the queue is there.
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

// Closing waits for the audio thread, so no callback runs after this.
void DeviceCapture::close() {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
    queue_.reset();
    if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlStarted_ = false;
}

SoundInput::Taken DeviceCapture::take(std::vector<float>& samples) {
    if (!queue_) {
        samples.clear();
        return {0, true};
    }
    const size_t dropped = queue_->take(samples);
    return {dropped, SDL_GetAudioDeviceStatus(device_) == SDL_AUDIO_STOPPED};
}

} // namespace korvel::audio
