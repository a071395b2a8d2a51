// Quantising held notes and gaps to length codes.
#include "frontend/editor/tuneRecorder.h"

#include "frontend/editor/tuneEdits.h"
#include "model/melody.h"
#include "model/toneBank.h"

#include <cmath>

namespace korvel {
namespace {

constexpr uint32_t longestCode = lengthCodeCount - 1;

// A counter read before from is taken as no time at all.
double elapsedMs(uint64_t from, uint64_t to) {
    return to > from ? double(to - from) : 0;
}

double lengthMs(uint32_t tempo, uint32_t code) {
    return noteLength(tempo, code) * 1000.0 / sampleRate;
}

} // namespace

uint32_t nearestLengthCode(uint32_t tempo, double ms) {
    uint32_t best = 0;
    for (uint32_t code = 1; code <= longestCode; ++code)
        if (std::fabs(lengthMs(tempo, code) - ms) < std::fabs(lengthMs(tempo, best) - ms))
            best = code;
    return best;
}

std::vector<uint16_t> TuneRecorder::noteOn(uint32_t toneIndex, uint64_t nowMs) {
    std::vector<uint16_t> steps;
    endHeld(nowMs, steps);
    if (lastEnd_) {
        double gap = elapsedMs(*lastEnd_, nowMs);
        const double longest = lengthMs(tempo_, longestCode);
        while (gap >= lengthMs(tempo_, 0) / 2) {
            const uint32_t code = nearestLengthCode(tempo_, gap < longest ? gap : longest);
            steps.push_back(static_cast<uint16_t>(restGroup(code)));
            gap -= lengthMs(tempo_, code);
        }
    }
    held_ = Held{toneIndex, nowMs};
    return steps;
}

std::vector<uint16_t> TuneRecorder::noteOff(uint32_t toneIndex, uint64_t nowMs) {
    std::vector<uint16_t> steps;
    if (held_ && held_->toneIndex == toneIndex) endHeld(nowMs, steps);
    return steps;
}

std::vector<uint16_t> TuneRecorder::finish(uint64_t nowMs) {
    std::vector<uint16_t> steps;
    endHeld(nowMs, steps);
    return steps;
}

void TuneRecorder::endHeld(uint64_t nowMs, std::vector<uint16_t>& steps) {
    if (!held_) return;
    const uint32_t code = nearestLengthCode(tempo_, elapsedMs(held_->since, nowMs));
    steps.push_back(static_cast<uint16_t>(noteGroup(held_->toneIndex, code)));
    held_.reset();
    lastEnd_ = nowMs;
}

} // namespace korvel
