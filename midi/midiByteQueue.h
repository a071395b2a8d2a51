// MIDI bytes handed from a port's own thread to the thread that plays them.
// Bounded, so a stalled reader costs a fixed amount of memory: a message that
// does not fit is dropped whole (a part would be read as another message).
// The default holds seconds of the densest controller stream a keyboard sends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace korvel::midi {

class MidiByteQueue {
  public:
    static constexpr size_t defaultCapacity = 65536;
    explicit MidiByteQueue(size_t capacity = defaultCapacity);

    // One whole message, from any thread. True when the queue was empty, so
    // the caller wakes the reader once per batch, not once per message.
    bool push(const uint8_t* bytes, size_t count);
    // Everything queued, in order, into out (replacing what it held).
    void takeAll(std::vector<uint8_t>& out);

  private:
    const size_t capacity_;
    std::mutex mutex_;
    std::vector<uint8_t> bytes_;
};

} // namespace korvel::midi
