// The kit's tones sorted by pitch, built once from the tone bank's tables.
#include "formats/kitTones.h"

#include "model/melody.h"
#include "model/toneBank.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace korvel::formats {
namespace {

uint32_t periodOf(uint32_t toneIndex) {
    return tonePeriod(toneIndex).periodBytes;
}

double pitchOfPeriod(uint32_t samples) {
    return 69 + 12 * std::log2(double(sampleRate) / samples / 440);
}

struct Tone {
    uint32_t period;
    uint32_t toneIndex;
    double pitch;
};

// One tone per period, highest pitch (shortest period) first.
const std::vector<Tone>& tones() {
    static const std::vector<Tone> sorted = [] {
        // Divider 7 is left out: a step whose first digit is 7 is a jump.
        std::vector<Tone> all;
        for (uint32_t t = 0; t < toneSlotCount; ++t)
            if (t != silenceToneIndex && hasTone(t) && dividerOf(t) != jumpNibble)
                all.push_back({periodOf(t), t, pitchOfPeriod(periodOf(t))});
        // Tone indices rise with the divider, so the first of a period has the smallest.
        std::stable_sort(all.begin(), all.end(),
                         [](const Tone& a, const Tone& b) { return a.period < b.period; });
        all.erase(std::unique(all.begin(), all.end(),
                              [](const Tone& a, const Tone& b) { return a.period == b.period; }),
                  all.end());
        return all;
    }();
    return sorted;
}

} // namespace

double tonePitch(uint32_t toneIndex) {
    return pitchOfPeriod(periodOf(toneIndex));
}

NearestTone nearestTone(double pitch) {
    const auto& all = tones();
    // The first tone at or below the pitch, then its higher neighbour.
    const auto below = std::partition_point(all.begin(), all.end(),
                                            [&](const Tone& tone) { return tone.pitch > pitch; });
    NearestTone best{0, INFINITY};
    for (auto it : {below - (below != all.begin()), below}) {
        if (it == all.end()) continue;
        const double cents = (it->pitch - pitch) * 100;
        if (std::fabs(cents) < std::fabs(best.cents)) best = {it->toneIndex, cents};
    }
    return best;
}

double lowestReach() {
    return tones().back().pitch - 0.5;
}

double highestReach() {
    return tones().front().pitch + 0.5;
}

} // namespace korvel::formats
