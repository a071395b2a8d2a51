// SDL2 audio device handling for DeviceSound.
#include "audio/deviceSound.h"

#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>

namespace korvel::audio {
namespace {

void SDLCALL pullSamples(void* sound, Uint8* out, int bytes) {
    // The device was opened for one byte per sample.
    static_cast<DeviceSound*>(sound)->pull(out, static_cast<uint32_t>(bytes));
}

// Drivers that pace themselves with a timer and have no buffer to run out of.
bool playsInRealTime(const char* driver) {
    return driver && std::strcmp(driver, "disk") != 0 && std::strcmp(driver, "dummy") != 0;
}

} // namespace

DeviceSound::DeviceSound(SoundQueueListener& listener, UnderrunListener* underruns)
    : queue_(listener, aheadSamples), underruns_(underruns) {
    if (const char* path = std::getenv("KORVEL_SOUND_ONSET_LOG")) onsetLog_ = std::fopen(path, "w");
}

DeviceSound::~DeviceSound() {
    close();
    if (onsetLog_) std::fclose(onsetLog_);
}

bool DeviceSound::open() {
    // Signals belong to the host (Ctrl+C in korvel-cli, the window's own), not to SDL.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    sdlStarted_ = true;
    watched_ = playsInRealTime(SDL_GetCurrentAudioDriver());
    return openDevice();
}

void DeviceSound::close() {
    closeDevice();
    released_ = false;
    if (sdlStarted_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    sdlStarted_ = false;
}

bool DeviceSound::openDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(sampleRate);
    wanted.format = AUDIO_U8;
    wanted.channels = 1;
    wanted.samples = static_cast<Uint16>(bufferSamples_);
    wanted.callback = pullSamples;
    wanted.userdata = this;
    SDL_AudioSpec obtained{};
    watch_ = UnderrunWatch(bufferSamples_, sampleRate);
    restartWatch_.store(true);
    // No changes allowed: SDL converts, and the callback always sees this format and size.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (!device_) {
        error_ = SDL_GetError();
        return false;
    }
    released_ = false;
    paused_ = true; // a device opens paused
    return true;
}

// Closing waits for the audio thread, so no callback runs after this.
void DeviceSound::closeDevice() {
    if (device_) SDL_CloseAudioDevice(device_);
    device_ = 0;
}

bool DeviceSound::deviceReady() {
    recoverFromUnderrun();
    return device_ || (released_ && openDevice());
}

void DeviceSound::startKeyNote(uint32_t keyNoteIndex) {
    if (!deviceReady()) return;
    queue_.startKeyNote(keyNoteIndex);
    noteSoundStarted();
    setPaused(queue_.idle());
}

void DeviceSound::playTone(uint32_t toneIndex, uint32_t lengthBytes) {
    if (!deviceReady()) return;
    queue_.playTone(toneIndex, lengthBytes);
    noteSoundStarted();
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
    closeDevice();
    released_ = true;
}

// The old device stays open, silent, until the larger one is ready: with no
// stream of ours, a sound server may slow its output's wake-ups (a null sink
// to two seconds), and a new stream then takes that long to be heard.
void DeviceSound::recoverFromUnderrun() {
    if (!ranOut_.exchange(false) || !device_ || bufferSamples_ >= largestBufferSamples) return;
    const uint32_t old = device_;
    const bool wasPaused = paused_;
    // Its callback has returned and no other follows, so the watch is free.
    SDL_PauseAudioDevice(old, 1);
    paused_ = true;
    bufferSamples_ += bufferStepSamples;
    if (openDevice()) {
        SDL_CloseAudioDevice(old);
    } else { // the old one plays on
        bufferSamples_ -= bufferStepSamples;
        device_ = old;
    }
    setPaused(wasPaused);
}

void DeviceSound::setPaused(bool paused) {
    if (paused == paused_) return;
    // A paused device is not asked for samples: the watch starts over.
    if (!paused) restartWatch_.store(true);
    SDL_PauseAudioDevice(device_, paused ? 1 : 0);
    paused_ = paused;
}

void DeviceSound::pull(uint8_t* out, uint32_t count) {
    if (watched_) {
        if (restartWatch_.exchange(false)) watch_.restart();
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
        if (watch_.ranOut(static_cast<uint64_t>(micro), count) && !ranOut_.exchange(true) &&
            underruns_)
            underruns_->ranOut();
    }
    const uint64_t started = soundsStarted_.load();
    queue_.pull(out, count);
    if (started != soundsLogged_ && logOnset(out, count)) soundsLogged_ = started;
}

void DeviceSound::noteSoundStarted() {
    if (onsetLog_) soundsStarted_.fetch_add(1);
}

bool DeviceSound::logOnset(const uint8_t* out, uint32_t count) {
    if (std::all_of(out, out + count, [](uint8_t level) { return level == silentLevel; }))
        return false;
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    std::fprintf(
        onsetLog_, "onset %lld %u\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count()),
        count);
    std::fflush(onsetLog_);
    return true;
}

} // namespace korvel::audio
