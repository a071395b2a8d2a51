// Underruns told from request times.
#include "audio/underrunWatch.h"

#include <algorithm>

namespace korvel::audio {

UnderrunWatch::UnderrunWatch(uint32_t bufferSamples, uint32_t sampleRate)
    : bufferMicroseconds_(int64_t{bufferSamples} * 1000000 / sampleRate), sampleRate_(sampleRate) {}

void UnderrunWatch::restart() {
    started_ = false;
}

bool UnderrunWatch::ranOut(uint64_t nowMicroseconds, uint32_t count) {
    const auto now = static_cast<int64_t>(nowMicroseconds);
    if (!started_) {
        started_ = true;
        playableUntil_ = now;
    }
    const int64_t shortfall = now - playableUntil_;
    // Counting from now after a shortfall: the silence played is not owed.
    playableUntil_ = std::clamp(playableUntil_, now, now + 2 * bufferMicroseconds_) +
                     int64_t{count} * 1000000 / sampleRate_;
    return shortfall >= bufferMicroseconds_ / 4;
}

} // namespace korvel::audio
