#include "midi/midiByteQueue.h"

namespace korvel::midi {
namespace {

// A keyboard's messages are mostly three bytes long.
constexpr size_t typicalMessageBytes = 3;

void reserve(MidiArrivals& arrivals, size_t capacity) {
    arrivals.bytes.reserve(capacity);
    arrivals.messages.reserve(capacity / typicalMessageBytes);
}

} // namespace

MidiByteQueue::MidiByteQueue(size_t capacity) : capacity_(capacity) {
    reserve(queued_, capacity_);
}

bool MidiByteQueue::push(const uint8_t* bytes, size_t count) {
    const auto arrived = std::chrono::steady_clock::now();
    const std::lock_guard<std::mutex> lock(mutex_);
    if (count == 0 || count > capacity_ - queued_.bytes.size()) return false;
    const bool wasEmpty = queued_.bytes.empty();
    queued_.bytes.insert(queued_.bytes.end(), bytes, bytes + count);
    queued_.messages.push_back({arrived, queued_.bytes.size()});
    return wasEmpty;
}

void MidiByteQueue::takeAll(MidiArrivals& out) {
    out.bytes.clear();
    out.messages.clear();
    reserve(out, capacity_); // swapped in next, so the port's thread need not allocate
    const std::lock_guard<std::mutex> lock(mutex_);
    std::swap(queued_, out);
}

} // namespace korvel::midi
