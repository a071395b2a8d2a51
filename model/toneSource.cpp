// Square waves and silence, one run of a level at a time.
#include "model/toneSource.h"

#include <algorithm>
#include <cstring>

namespace korvel {

ToneSource melodyNoteSource(uint32_t toneIndex, uint32_t lengthBytes) {
    if (!hasTone(toneIndex)) return {};
    return {toneIndex, std::min(lengthBytes, toneBufferBytes), false, 0};
}

ToneSource keyNoteSource(uint32_t keyNoteIndex) {
    const uint32_t loopBytes = keyNoteLoopBytes(keyNoteIndex);
    if (loopBytes == 0) return {};
    return {keyNoteIndex, loopBytes, true, 0};
}

uint32_t readTone(ToneSource& source, uint8_t* out, uint32_t count) {
    uint32_t written = 0;
    while (written < count && source.position < source.length) {
        const uint32_t run = std::min(count - written, source.length - source.position);
        fillTone(source.toneIndex, source.position, out + written, run);
        written += run;
        source.position += run;
        if (source.loops && source.position == source.length) source.position = 0;
    }
    return written;
}

bool toneEnded(const ToneSource& source) {
    return !source.loops && source.position >= source.length;
}

void fillTone(uint32_t toneIndex, uint32_t offset, uint8_t* out, uint32_t count) {
    if (toneIndex == silenceToneIndex) {
        std::memset(out, silentLevel, count);
        return;
    }
    const auto [high, period] = tonePeriod(toneIndex);
    uint32_t phase = offset % period;
    while (count > 0) {
        const bool inHigh = phase < high;
        const uint32_t run = std::min(count, (inHigh ? high : period) - phase);
        std::memset(out, inHigh ? highLevel : lowLevel, run);
        out += run;
        count -= run;
        phase = inHigh ? high : 0; // only read again when the run reached the phase's end
    }
}

} // namespace korvel
