// SDL2 audio device handling for DeviceSound.
#include "deviceSound.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

namespace korvel::audio {
namespace {

void SDLCALL pullSamples(void* queue, Uint8* out, int bytes) {
    // The device was opened for one byte per sample.
    static_cast<SoundQueue*>(queue)->pull(out, static_cast<uint32_t>(bytes));
}

} // namespace

DeviceSound::DeviceSound(SoundQueueListener& listener) : queue_(listener, aheadSamples) {}

DeviceSound::~DeviceSound() {
    if (device_) SDL_CloseAudioDevice(device_);
    if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool DeviceSound::open() {
    // Signals belong to the host (Ctrl+C in korvel-cli, the window's own), not to SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    sdlStarted_ = true;
    return openDevice();
}

bool DeviceSound::openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(sampleRate);
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = bufferSamples;
    wanted.callback = pullSamples;
    wanted.userdata = &queue_;
    SDL_AudioSpec obtained{};
    // No changes allowed: SDL converts, and the callback always sees this format and size.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!device_) {
        error_ = SDL_GetError();
        return false;
    }
    bufferMilliseconds_ = bufferSamples * 1000u / sampleRate + 1;
    released_ = false;
    paused_ = true; // a device opens paused
    return true;
}

bool DeviceSound::deviceReady() {
    return device_ || (released_ && openDevice());
}

void DeviceSound::startKeyNote(uint32_t keyNoteIndex) {
    if (!deviceReady()) return;
    queue_.startKeyNote(keyNoteIndex);
    setPaused(queue_.idle());
}

void DeviceSound::playTone(uint32_t toneIndex, uint32_t lengthBytes) {
    if (!deviceReady()) return;
    queue_.playTone(toneIndex, lengthBytes);
    setPaused(queue_.idle());
}

void DeviceSound::stopSound() {
    if (!device_) return;
    queue_.stopSound();
    setPaused(true);
}

void DeviceSound::pauseIfIdle() {
    if (device_ && queue_.idle()) setPaused(true);
}

void DeviceSound::releaseIfIdle() {
    if (!device_ || !queue_.idle()) return;
    // Closing waits for the audio thread, so no callback runs after this.
    SDL_CloseAudioDevice(device_);
    device_ = 0;
    released_ = true;
}

void DeviceSound::setPaused(bool paused) {
    if (paused == paused_) return;
    SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    paused_ = paused;
}

} // namespace korvel::audio
