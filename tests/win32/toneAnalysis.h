// Finds square-wave tones in a recording of 8-bit unsigned samples and checks
// the probe tune's recording. Positions and periods are in samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::win32::test {

struct ToneSegment {
    double period; // mean distance between rising edges
    size_t start;  // first rising edge
    size_t end;    // last rising edge plus one period
};

// Consecutive rising edges through the middle of the wave, split wherever the
// period changes by more than a tenth or the wave stops.
std::vector<ToneSegment> findToneSegments(const std::vector<uint8_t>& samples);

// Empty when the segments are the expected periods in order (each within a
// sample), the last one cut well before its two seconds, and silence follows
// it for at least half a second; otherwise what is wrong.
std::string checkProbeRecording(const std::vector<ToneSegment>& segments,
                                const std::vector<uint32_t>& expectedPeriods, size_t totalSamples);

} // namespace korvel::win32::test
