// korvel_midi_check: what the desktop made of MIDI keys in the end-to-end test.
//   heard RECORDING NOTE...       the recording (8-bit unsigned mono at 22050
//       per second) sounds, in order, the kit tone nearest each MIDI note in
//       reach, and nothing else (a tone broken by a stalled sound server
//       counts once; the test plays no note twice in a row), then half a
//       second of silence or more.
//   recorded SCRIPT ADDRESS NOTE:MS...   the script holds from ADDRESS (hex)
//       one note step per NOTE, of its nearest tone, sounding within the
//       recorder's rounding of MS, then the end marker or memory left empty
//       (0000); rests between notes, which delivery a moment late may make,
//       are passed over.
// Prints what it found; exit code 0 when it is as expected, 1 when not, 2 for
// a file that cannot be read.
#include "files/tuneLoad.h"
#include "frontend/input/pianoKeys.h"
#include "model/melody.h"
#include "model/toneBank.h"
#include "tests/support/toneAnalysis.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace korvel;

namespace {

constexpr size_t shortestHeard = sampleRate / 20; // 50 ms: less is a recording's cut edge

std::string periodsText(const std::vector<double>& periods) {
    std::string text;
    for (const double period : periods) text += " " + std::to_string(std::lround(period));
    return text.empty() ? " nothing" : text;
}

int checkHeard(const char* path, int noteCount, char** notes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::fprintf(stderr, "%s: cannot be read\n", path), 2;
    const std::vector<uint8_t> recording{std::istreambuf_iterator<char>(in), {}};
    std::vector<double> expected, heard;
    for (int i = 0; i < noteCount; ++i)
        if (const auto tone = toneInReach(std::atoi(notes[i])))
            expected.push_back(tonePeriod(*tone).periodBytes);
    size_t lastEnd = 0;
    for (const test::ToneSegment& segment : test::findToneSegments(recording)) {
        if (segment.end - segment.start < shortestHeard) continue;
        lastEnd = segment.end;
        if (heard.empty() || std::fabs(heard.back() - segment.period) > 1)
            heard.push_back(segment.period);
    }
    std::printf("periods heard:%s\nexpected:     %s\n", periodsText(heard).c_str(),
                periodsText(expected).c_str());
    bool same = heard.size() == expected.size();
    for (size_t i = 0; same && i < heard.size(); ++i) same = std::fabs(heard[i] - expected[i]) <= 1;
    const bool silenced = recording.size() >= lastEnd + sampleRate / 2;
    if (!silenced) std::puts("still sounding half a second before the recording's end");
    return same && silenced ? 0 : 1;
}

double lengthMs(uint32_t tempo, uint32_t code) {
    return noteLength(tempo, code) * 1000.0 / sampleRate;
}

int checkRecorded(const char* path, const char* start, int noteCount, char** notes) {
    KitState kit;
    const TuneLoad load = loadTune(kit, path);
    if (load.outcome != FileOutcome::Done)
        return std::fprintf(stderr, "%s: %s\n", path, load.message.c_str()), 2;
    // Half a length step is the recorder's own rounding; the rest allows for a
    // busy machine, whose GUI thread may take a key a moment late.
    const double toleranceMs = lengthMs(kit.tempo, 0) / 2 + 150;
    uint32_t address = std::strtoul(start, nullptr, 16);
    int matched = 0;
    for (; address < memoryNibbles; address += stepNibbles) {
        const MelodyStep step = readStep(kit, address);
        const StepKind kind = stepKind(step);
        if (kind == StepKind::Rest) continue;
        const bool end = kind == StepKind::End ||
                         (matched == noteCount && step.nibble == MelodyStep{}.nibble); // untouched
        std::printf("%03X: %s", address, end ? "end of the recording\n" : "");
        if (end) break;
        const double ms = lengthMs(kit.tempo, lengthCodeOf(step));
        std::printf("tone %u, %.0f ms\n", toneIndexOf(step), ms);
        if (matched == noteCount || kind != StepKind::Note) return 1;
        char* lengthText = nullptr;
        const auto tone = toneInReach(std::strtol(notes[matched], &lengthText, 10));
        const double expectedMs = std::atof(lengthText + 1);
        if (toneIndexOf(step) != tone || std::fabs(ms - expectedMs) > toleranceMs) {
            std::printf("expected tone %u, %.0f ms (within %.0f)\n", tone.value_or(0), expectedMs,
                        toleranceMs);
            return 1;
        }
        ++matched;
    }
    if (matched != noteCount || address >= memoryNibbles)
        return std::printf("expected %d notes, then the end marker or 0000\n", noteCount), 1;
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 2 ? argv[1] : "";
    if (mode == "heard") return checkHeard(argv[2], argc - 3, argv + 3);
    if (mode == "recorded" && argc > 3) return checkRecorded(argv[2], argv[3], argc - 4, argv + 4);
    std::fprintf(stderr, "usage: korvel_midi_check heard RECORDING NOTE...\n"
                         "       korvel_midi_check recorded SCRIPT ADDRESS NOTE:MS...\n");
    return 2;
}
