// The default sound input (a microphone, or whatever the desktop calls its
// default source) as Listen reads it: opened only while Listen is on, its
// samples collected on the device's own thread and taken by the GUI thread.
// Kept free of any audio library, so the editor can be driven by a stand-in.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace korvel::audio {

class SoundInput {
  public:
    virtual ~SoundInput() = default;

    // False with error() saying why, for the user, when no input could be opened.
    virtual bool open() = 0;
    // Stops capturing; no sample arrives after it returns. Harmless when closed.
    virtual void close() = 0;
    // Samples per second of what take() gives, once open.
    virtual double sampleRate() const = 0;
    virtual const std::string& error() const = 0;

    struct Taken {
        size_t dropped = 0; // samples lost since the last take: the taker fell behind
        bool lost = false;  // the device went away; nothing more will come
    };
    // Replaces samples with the mono samples (full scale 1) captured since the
    // last take, oldest first.
    virtual Taken take(std::vector<float>& samples) = 0;
};

} // namespace korvel::audio
