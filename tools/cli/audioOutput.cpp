// SDL2 audio device handling for AudioOutput.
#include "audioOutput.h"

#include "toneBank.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

namespace korvel::cli {
namespace {

constexpr uint16_t deviceBufferSamples = 1024; // about 46 ms: small enough to stop promptly

} // namespace

AudioOutput::~AudioOutput() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (sdlStarted_) SDL_Quit();
}

bool AudioOutput::open() {
    // Ctrl+C belongs to the command (interrupt.h), not to SDL's event queue.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    sdlStarted_ = true;
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(sampleRate);
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = deviceBufferSamples;
    SDL_AudioSpec obtained{};
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!device_) {
        error_ = SDL_GetError();
        return false;
    }
    bufferMilliseconds_ = obtained.samples * 1000u / sampleRate + 1;
    return true;
}

// The device opens paused and starts with the first samples, so the tune does
// not begin with whatever silence the device would play before them.
bool AudioOutput::queue(const uint8_t* samples, uint32_t count) {
    if (SDL_QueueAudio(device_, samples, count) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    if (!playing_) SDL_PauseAudioDevice(device_, 0);
    playing_ = true;
    return true;
}

// The queue holds samples in the format asked for: one byte each.
uint32_t AudioOutput::queuedSamples() const {
    return SDL_GetQueuedAudioSize(device_);
}

void AudioOutput::stop() {
    SDL_PauseAudioDevice(device_, 1);
    SDL_ClearQueuedAudio(device_);
}

} // namespace korvel::cli
