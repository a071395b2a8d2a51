// Capture queue: a ring of fixed size that overwrites its oldest samples.
#include "audio/captureQueue.h"

#include <algorithm>

namespace korvel::audio {

CaptureQueue::CaptureQueue(size_t capacity) : ring_(std::max<size_t>(capacity, 1)) {}

void CaptureQueue::push(const float* samples, size_t count) {
    const size_t size = ring_.size();
    // Of a block larger than the ring, only its newest samples can stay.
    const size_t skipped = count > size ? count - size : 0;
    samples += skipped;
    count -= skipped;
    const std::lock_guard<std::mutex> lock(mutex_);
    const size_t overflow = held_ + count > size ? held_ + count - size : 0;
    oldest_ = (oldest_ + overflow) % size;
    held_ -= overflow;
    dropped_ += skipped + overflow;
    size_t at = (oldest_ + held_) % size;
    for (size_t done = 0; done < count;) {
        const size_t run = std::min(count - done, size - at);
        std::copy_n(samples + done, run, ring_.begin() + std::ptrdiff_t(at));
        done += run;
        at = (at + run) % size;
    }
    held_ += count;
}

size_t CaptureQueue::take(std::vector<float>& into) {
    into.resize(ring_.size()); // allocates on the first take only, outside the lock
    const std::lock_guard<std::mutex> lock(mutex_);
    const size_t first = std::min(held_, ring_.size() - oldest_);
    const auto from = ring_.begin() + std::ptrdiff_t(oldest_);
    std::copy_n(from, first, into.begin());
    std::copy_n(ring_.begin(), held_ - first, into.begin() + std::ptrdiff_t(first));
    into.resize(held_);
    oldest_ = (oldest_ + held_) % ring_.size();
    held_ = 0;
    const size_t dropped = dropped_;
    dropped_ = 0;
    return dropped;
}

} // namespace korvel::audio
