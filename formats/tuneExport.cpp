// Played steps to MIDI events.
#include "formats/tuneExport.h"

#include "formats/kitTones.h"
#include "formats/midiFile.h"
#include "model/toneBank.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace korvel::formats {
namespace {

// 441 ticks a crotchet at 20000 us a crotchet make a tick one sample; any
// multiple k of both keeps that, for k up to 74 (ticks a crotchet fit 15 bits).
constexpr uint32_t ticksPerCrotchetUnit = 441;
constexpr uint32_t microsPerCrotchetUnit = 20000;
constexpr uint32_t largestUnitMultiple = 74;
constexpr uint8_t bendSemitones = 2;
constexpr int bendSteps = 8192;           // either way from the middle
constexpr uint8_t squareWaveProgram = 80; // General MIDI's square lead, as the kit sounds

uint32_t crotchetMultiple(const std::vector<PlayedStep>& steps) {
    std::map<uint32_t, uint32_t> counts;
    for (const PlayedStep& step : steps)
        if (step.toneIndex != silenceToneIndex) ++counts[step.lengthBytes];
    if (counts.empty()) return 25; // 120 crotchets a minute
    const auto common =
        std::max_element(counts.begin(), counts.end(),
                         [](const auto& a, const auto& b) { return a.second < b.second; });
    const long multiple = std::lround(double(common->first) / ticksPerCrotchetUnit);
    return uint32_t(std::clamp<long>(multiple, 1, largestUnitMultiple));
}

} // namespace

std::string titleOfScript(std::string head, const std::string& fallback) {
    head.erase(0, std::min(head.size(), std::strlen("KORVEL")));
    // Blanks and the line's end alike, so a line of blanks names nothing.
    const char* const blanks = " \t\r\n";
    const size_t first = head.find_first_not_of(blanks);
    if (first == std::string::npos) return fallback;
    return head.substr(first, head.find_last_not_of(blanks) - first + 1);
}

std::string tuneMidi(const std::vector<PlayedStep>& steps, const std::string& name) {
    const uint32_t multiple = crotchetMultiple(steps);
    MidiWriter out(uint16_t(ticksPerCrotchetUnit * multiple), microsPerCrotchetUnit * multiple,
                   name);
    out.program(squareWaveProgram);
    out.bendRange(bendSemitones);
    uint64_t now = 0;
    int bend = 0;
    for (const PlayedStep& step : steps) {
        if (step.toneIndex != silenceToneIndex) {
            const double pitch = tonePitch(step.toneIndex);
            const double key = std::round(pitch);
            const int wanted =
                std::clamp(int(std::lround((pitch - key) / bendSemitones * bendSteps)), -bendSteps,
                           bendSteps - 1);
            if (wanted != bend) out.bend(now, bend = wanted);
            out.note(now, now + step.lengthBytes, uint8_t(key));
        }
        now += step.lengthBytes;
    }
    return out.finish(now);
}

} // namespace korvel::formats
