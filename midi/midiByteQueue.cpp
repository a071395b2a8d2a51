#include "midi/midiByteQueue.h"

namespace korvel::midi {

MidiByteQueue::MidiByteQueue(size_t capacity) : capacity_(capacity) {
    bytes_.reserve(capacity_);
}

bool MidiByteQueue::push(const uint8_t* bytes, size_t count) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (count > capacity_ - bytes_.size()) return false;
    const bool wasEmpty = bytes_.empty();
    bytes_.insert(bytes_.end(), bytes, bytes + count);
    return wasEmpty && count > 0;
}

void MidiByteQueue::takeAll(std::vector<uint8_t>& out) {
    out.clear();
    out.reserve(capacity_); // swapped in next, so the port's thread need not allocate
    const std::lock_guard<std::mutex> lock(mutex_);
    bytes_.swap(out);
}

} // namespace korvel::midi
