// The FIFO, the note behind the current one, and the reports of their ends.
#include "frontend/session/soundQueue.h"

#include <algorithm>
#include <cstring>

namespace korvel {

SoundQueue::SoundQueue(SoundQueueListener& listener, uint32_t aheadSamples)
    : listener_(listener), ahead_(std::min(aheadSamples, largestAhead)) {}

void SoundQueue::startKeyNote(uint32_t keyNoteIndex) {
    const ToneSource loop = keyNoteSource(keyNoteIndex);
    if (loop.length == 0) return; // no key plays it
    std::lock_guard lock(mutex_);
    cutLocked();
    current_ = {loop, 0};
}

// The note goes into the FIFO at once, as far as the FIFO has room: a run of
// notes shorter than a device buffer would otherwise gain only one note per
// pull, while the device takes a whole buffer, and run the FIFO dry.
void SoundQueue::playTone(uint32_t toneIndex, uint32_t lengthBytes) {
    if (!hasTone(toneIndex)) return;
    Reports ended;
    {
        std::lock_guard lock(mutex_);
        // Nothing would ever sound behind a loop. Cut before the note is in
        // flight, as a cut forgets the note in flight.
        if (current_.source.loops) cutLocked();
        const Sound note{melodyNoteSource(toneIndex, lengthBytes), ++lastTag_};
        inFlightTag_ = note.tag;
        sounding_ = true;
        if (toneEnded(current_.source) && current_.tag == 0)
            current_ = note;
        else
            next_ = note;
        renderLocked(ahead_, ended);
    }
    ended.raise(listener_);
}

void SoundQueue::stopSound() {
    std::lock_guard lock(mutex_);
    cutLocked();
}

bool SoundQueue::claimReport(uint64_t tag) {
    std::lock_guard lock(mutex_);
    if (tag == 0 || tag != inFlightTag_) return false;
    inFlightTag_ = 0;
    return true;
}

bool SoundQueue::idle() const {
    std::lock_guard lock(mutex_);
    return fifoCount_ == 0 && toneEnded(current_.source) && current_.tag == 0 && next_.tag == 0;
}

uint64_t SoundQueue::samplesSounded() const {
    std::lock_guard lock(mutex_);
    return sounded_;
}

void SoundQueue::cutLocked() {
    fifoCount_ = 0;
    current_ = {};
    next_ = {};
    inFlightTag_ = 0;
    sounding_ = true;
}

// Renders until the FIFO holds upTo samples or nothing is left to render; a
// melody note's end is noted as soon as its last sample is in.
void SoundQueue::renderLocked(uint32_t upTo, Reports& ended) {
    for (;;) {
        if (toneEnded(current_.source)) {
            if (current_.tag != 0) ended.add(current_.tag);
            current_.tag = 0;
            if (next_.tag == 0) return;
            current_ = next_;
            next_ = {};
            continue;
        }
        if (fifoCount_ >= upTo) return;
        const uint32_t end = (fifoStart_ + fifoCount_) % fifoCapacity;
        const uint32_t room = std::min(upTo - fifoCount_, fifoCapacity - end);
        fifoCount_ += readTone(current_.source, fifo_.data() + end, room);
    }
}

void SoundQueue::Reports::add(uint64_t tag) {
    if (count < tags.size()) tags[count++] = tag;
}

void SoundQueue::Reports::raise(SoundQueueListener& listener) const {
    for (uint32_t i = 0; i < count; ++i) listener.melodyNoteEnded(tags[i]);
}

uint32_t SoundQueue::takeLocked(uint8_t* out, uint32_t count) {
    const uint32_t taken = std::min(count, fifoCount_);
    const uint32_t first = std::min(taken, fifoCapacity - fifoStart_);
    std::memcpy(out, fifo_.data() + fifoStart_, first);
    std::memcpy(out + first, fifo_.data(), taken - first);
    fifoStart_ = (fifoStart_ + taken) % fifoCapacity;
    fifoCount_ -= taken;
    return taken;
}

void SoundQueue::pull(uint8_t* out, uint32_t count) {
    Reports ended;
    bool dry = false;
    {
        std::lock_guard lock(mutex_);
        while (count > 0) {
            const uint32_t chunk = std::min(count, fifoCapacity - ahead_);
            renderLocked(ahead_ + chunk, ended);
            const uint32_t taken = takeLocked(out, chunk);
            sounded_ += taken;
            // An underrun must sound as silence: byte 0 would be a full-scale click.
            std::memset(out + taken, silentLevel, chunk - taken);
            if (taken < chunk && sounding_) {
                sounding_ = false;
                dry = true;
            }
            out += chunk;
            count -= chunk;
        }
    }
    ended.raise(listener_);
    if (dry) listener_.ranDry();
}

} // namespace korvel
