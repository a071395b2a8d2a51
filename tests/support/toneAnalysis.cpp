// Edge-based tone finding for recorded square waves.
#include "tests/support/toneAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>

namespace korvel::test {
namespace {

// The wave swings between 112 and 134, silence sits at 128.
constexpr uint8_t edgeLevel = 123;
constexpr size_t longestPeriod = 600;       // well above any tone the kit makes
constexpr size_t shortestSegmentEdges = 20; // shorter runs are clicks, not notes
constexpr double twoSecondsOfSamples = 44100;
constexpr double halfSecondOfSamples = 11025;
constexpr int silentLevel = 128;
constexpr int silenceSlack = 2;
// Shorter runs at the silent level are a wave's crossing, not a gap.
constexpr size_t shortestGap = 44;
constexpr double samplesPerMs = 22.05;

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

std::vector<Silence> findSilences(const std::vector<uint8_t>& samples, size_t minimumLength) {
    std::vector<Silence> silences;
    size_t runStart = 0;
    for (size_t i = 0; i <= samples.size(); ++i) {
        const bool silent =
            i < samples.size() && std::abs(samples[i] - silentLevel) <= silenceSlack;
        if (silent) continue;
        if (i - runStart >= minimumLength) silences.push_back({runStart, i - runStart});
        runStart = i + 1;
    }
    return silences;
}

RenderComparison compareWithRender(const std::vector<uint8_t>& recording,
                                   const std::vector<uint8_t>& render, size_t tolerance) {
    RenderComparison result;
    const std::vector<ToneSegment> heard = findToneSegments(recording);
    const std::vector<ToneSegment> expected = findToneSegments(render);
    if (heard.empty() || expected.empty()) {
        result.problem = heard.empty() ? "no tone recorded" : "the tune has no tone";
        return result;
    }
    // Render positions plus offset are recording positions.
    const auto offset = static_cast<long long>(heard.front().start) -
                        static_cast<long long>(expected.front().start);
    const size_t lastHeard = heard.back().start; // cut short when recording stopped
    auto at = [offset](size_t renderPosition) {
        return static_cast<long long>(renderPosition) + offset;
    };
    auto ms = [](double samples) { return samples / samplesPerMs; };
    std::ostringstream problem;
    size_t wrongFrom = recording.size(); // where the first tone goes wrong, if one does

    for (size_t i = 0;
         i < expected.size() && at(expected[i].end) < static_cast<long long>(lastHeard); ++i) {
        if (i + 1 >= heard.size()) {
            problem << "only " << i << " tones recorded before the last";
            wrongFrom = lastHeard;
            break;
        }
        const ToneSegment& want = expected[i];
        const ToneSegment& got = heard[i];
        if (std::fabs(got.period - want.period) > 1.0 ||
            std::llabs(static_cast<long long>(got.start) - at(want.start)) >
                static_cast<long long>(tolerance)) {
            problem << "tone " << i + 1 << " at " << ms(static_cast<double>(got.start)) / 1000
                    << " s: period " << got.period << " samples, expected " << want.period << " at "
                    << ms(static_cast<double>(at(want.start))) / 1000 << " s";
            wrongFrom = got.start;
            break;
        }
        ++result.tonesChecked;
        if (i + 1 < expected.size() &&
            static_cast<double>(expected[i + 1].start) - static_cast<double>(want.end) <
                static_cast<double>(shortestGap)) {
            ++result.noteChanges;
            const double gap =
                static_cast<double>(heard[i + 1].start) - static_cast<double>(got.end);
            result.longestNoteChangeGapMs = std::max(result.longestNoteChangeGapMs, ms(gap));
        }
    }

    // Silence between the first tone and the last whole one must be a rest of the tune.
    const std::vector<Silence> rests = findSilences(render, shortestGap);
    for (const Silence& gap : findSilences(recording, shortestGap)) {
        if (gap.start < heard.front().start || gap.start + gap.length >= lastHeard) continue;
        const bool isRest = std::any_of(rests.begin(), rests.end(), [&](const Silence& rest) {
            return std::llabs(at(rest.start) - static_cast<long long>(gap.start)) <=
                       static_cast<long long>(tolerance) &&
                   std::llabs(static_cast<long long>(rest.length) -
                              static_cast<long long>(gap.length)) <=
                       static_cast<long long>(tolerance);
        });
        if (isRest) {
            ++result.restsChecked;
            continue;
        }
        // A break shifts every tone after it, so it explains a tone's mismatch: report it first.
        if (result.breaks++ == 0) {
            result.breakComesFirst = result.tonesChecked > 0 && gap.start <= wrongFrom;
            problem.str("");
            problem << "a break of " << ms(static_cast<double>(gap.length)) << " ms at "
                    << ms(static_cast<double>(gap.start)) / 1000 << " s where the tune has no rest";
        }
    }
    if (problem.tellp() == 0 && result.tonesChecked == 0) problem << "no whole tone recorded";
    result.problem = problem.str();
    return result;
}

} // namespace korvel::test
