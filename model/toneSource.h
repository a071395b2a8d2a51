// The tone bank's bytes computed on demand, for hosts that would rather not
// hold the bank's 36 MB.
//
// A ToneSource reads one sound: the first `length` bytes of a tone buffer
// (toneBank.h), played once (a melody note) or repeated without end (a key
// note), from any position. It writes exactly the bytes the bank holds there,
// a run of one level per half period, and allocates nothing, so an audio
// callback may call it.
#pragma once

#include "model/toneBank.h"

#include <cstdint>

namespace korvel {

struct ToneSource {
    uint32_t toneIndex = silenceToneIndex;
    uint32_t length = 0;   // bytes of the tone buffer the sound plays; 0: nothing
    bool loops = false;    // a key note starts again from byte 0 at length
    uint32_t position = 0; // next byte to read
};

// The first lengthBytes (at most a tone buffer) of tone toneIndex, once; nothing where !hasTone.
ToneSource melodyNoteSource(uint32_t toneIndex, uint32_t lengthBytes);
// Key note k's loop; nothing where no key plays k.
ToneSource keyNoteSource(uint32_t keyNoteIndex);

// Writes up to count bytes from the source's position on and moves past them.
// Returns how many: fewer than count only when a sound played once has ended.
uint32_t readTone(ToneSource& source, uint8_t* out, uint32_t count);
// Whether a sound played once has given all its bytes (a loop never ends).
bool toneEnded(const ToneSource& source);

// Bytes offset .. offset + count - 1 of tone buffer toneIndex, for hasTone(toneIndex)
// and offset + count <= toneBufferBytes.
void fillTone(uint32_t toneIndex, uint32_t offset, uint8_t* out, uint32_t count);

} // namespace korvel
