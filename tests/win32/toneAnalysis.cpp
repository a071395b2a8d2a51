// Edge-based tone finding for recorded square waves.
#include "toneAnalysis.h"

#include <cmath>

namespace korvel::win32::test {
namespace {

// The wave swings between 112 and 134, silence sits at 128.
constexpr uint8_t edgeLevel = 123;
constexpr size_t longestPeriod = 600;       // well above any tone the kit makes
constexpr size_t shortestSegmentEdges = 20; // shorter runs are clicks, not notes
constexpr double twoSecondsOfSamples = 44100;
constexpr double halfSecondOfSamples = 11025;

void closeSegment(std::vector<ToneSegment>& segments, const std::vector<size_t>& edges) {
    if (edges.size() < shortestSegmentEdges) return;
    const double period = static_cast<double>(edges.back() - edges.front()) / (edges.size() - 1);
    segments.push_back({period, edges.front(), edges.back() + static_cast<size_t>(period)});
}

} // namespace

std::vector<ToneSegment> findToneSegments(const std::vector<uint8_t>& samples) {
    std::vector<ToneSegment> segments;
    std::vector<size_t> edges;
    for (size_t i = 1; i < samples.size(); ++i) {
        if (!(samples[i - 1] < edgeLevel && samples[i] >= edgeLevel)) continue;
        if (edges.size() >= 2) {
            const double period =
                static_cast<double>(edges.back() - edges.front()) / (edges.size() - 1);
            const double gap = static_cast<double>(i - edges.back());
            if (std::fabs(gap - period) > period / 10 || gap > longestPeriod) {
                closeSegment(segments, edges);
                edges.clear();
            }
        } else if (!edges.empty() && i - edges.back() > longestPeriod) {
            edges.clear();
        }
        edges.push_back(i);
    }
    closeSegment(segments, edges);
    return segments;
}

std::string checkProbeRecording(const std::vector<ToneSegment>& segments,
                                const std::vector<uint32_t>& expectedPeriods, size_t totalSamples) {
    if (segments.size() != expectedPeriods.size())
        return "found " + std::to_string(segments.size()) + " tones, expected " +
               std::to_string(expectedPeriods.size());
    for (size_t i = 0; i < segments.size(); ++i)
        if (std::fabs(segments[i].period - expectedPeriods[i]) > 1.0)
            return "tone " + std::to_string(i + 1) + " has period " +
                   std::to_string(segments[i].period);
    const ToneSegment& last = segments.back();
    if (static_cast<double>(last.end - last.start) > 0.75 * twoSecondsOfSamples)
        return "the long note was not cut by STOP";
    if (static_cast<double>(totalSamples - last.end) < halfSecondOfSamples)
        return "no silence recorded after STOP";
    return {};
}

} // namespace korvel::win32::test
