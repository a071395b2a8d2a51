// MIDI messages handed from a port's own thread to the thread that plays
// them, each with the moment it arrived, so a busy reader still records a
// note's length as it was played. Bounded, so a stalled reader costs a fixed
// amount of memory: a message that does not fit is dropped whole (a part
// would be read as another message). The default holds seconds of the
// densest controller stream a keyboard sends.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace korvel::midi {

struct MidiArrivals {
    struct Message {
        std::chrono::steady_clock::time_point arrived;
        size_t end; // one past its last byte in bytes
    };
    std::vector<uint8_t> bytes;
    std::vector<Message> messages; // in order of arrival
};

class MidiByteQueue {
  public:
    static constexpr size_t defaultCapacity = 65536;
    explicit MidiByteQueue(size_t capacity = defaultCapacity);

    // One whole message, from any thread. True when the queue was empty, so
    // the caller wakes the reader once per batch, not once per message.
    bool push(const uint8_t* bytes, size_t count);
    // Everything queued, in order, into out (replacing what it held).
    void takeAll(MidiArrivals& out);

  private:
    const size_t capacity_;
    std::mutex mutex_;
    MidiArrivals queued_;
};

} // namespace korvel::midi
