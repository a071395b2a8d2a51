// Captured samples on their way from the audio thread to the GUI thread,
// bounded: a taker that falls behind (a GUI busy for seconds) loses the
// oldest samples, counted, rather than the queue growing without end.
//
// push() runs on the audio thread and never allocates; take() on one other
// thread. The lock is held only for copies of at most capacity samples.
#pragma once

#include <cstddef>
#include <mutex>
#include <vector>

namespace korvel::audio {

class CaptureQueue {
  public:
    explicit CaptureQueue(size_t capacity);

    void push(const float* samples, size_t count);
    // Replaces into with what is held, oldest first; returns how many samples
    // were dropped since the last take. into keeps its storage between takes.
    size_t take(std::vector<float>& into);
    size_t capacity() const { return ring_.size(); }

  private:
    std::mutex mutex_;
    std::vector<float> ring_;
    size_t oldest_ = 0;
    size_t held_ = 0;
    size_t dropped_ = 0;
};

} // namespace korvel::audio
