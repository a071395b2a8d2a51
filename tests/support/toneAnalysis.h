// Finds square-wave tones and silences in a recording of 8-bit unsigned
// samples, and checks a recording against the probe tune or against the
// samples the tune should give. Positions and periods are in samples. Shared
// by the Windows and the desktop tests, so it uses no platform header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::test {

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

struct Silence {
    size_t start;
    size_t length;
};

// Runs of at least minimumLength samples at the silent level, give or take
// the recorder's rounding.
std::vector<Silence> findSilences(const std::vector<uint8_t>& samples, size_t minimumLength);

struct RenderComparison {
    std::string problem; // empty when the recording matches
    size_t tonesChecked = 0;
    size_t noteChanges = 0;  // tones followed directly by another, with no rest between
    size_t restsChecked = 0; // silences the tune itself has
    size_t breaks = 0;       // silences the tune does not have
    double longestNoteChangeGapMs = 0;
    // Every tone before the first break is the tune's: the break may be the
    // sound server's stall, which shifts what follows, not a fault of the tones.
    bool breakComesFirst = false;
};

// Compares a recording with the samples the tune should give, from the
// recording's first tone on: the same tones in order, each starting where it
// should within tolerance samples, and silence only where the tune rests.
// The recording's last tone, cut when recording stopped, is left out.
RenderComparison compareWithRender(const std::vector<uint8_t>& recording,
                                   const std::vector<uint8_t>& render, size_t tolerance);

} // namespace korvel::test
