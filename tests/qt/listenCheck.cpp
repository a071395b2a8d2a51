// korvel_listen_check EXPECTED HEARD: two scripts, what korvel-cli import made
// of a recording and what the desktop editor's Listen wrote of it, played one
// pass each. Exit code 0 when they play the same tones in order, each starting
// within 50 ms of the other (as the benchmark counts a note heard right: the
// live input may start a moment apart, and the tempo row chosen for the same
// notes may then differ), 1 when not, 2 for a file that cannot be read. The
// steps from 010 to the end marker and the tempo rows are printed.
#include "files/tuneLoad.h"
#include "formats/hexText.h"
#include "formats/tuneExport.h"
#include "formats/tuneRun.h"
#include "frontend/editor/tuneTable.h"
#include "model/melody.h"
#include "model/toneBank.h"

#include <cstdio>
#include <cstdlib>

using namespace korvel;

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: korvel_listen_check EXPECTED HEARD\n"), 2;
    std::string steps[2];
    formats::StepRecorder played[2];
    for (int i = 0; i < 2; ++i) {
        KitState kit;
        const TuneLoad load = loadTune(kit, argv[i + 1]);
        if (load.outcome != FileOutcome::Done)
            return std::fprintf(stderr, "%s: %s\n", argv[i + 1], load.message.c_str()), 2;
        steps[i] = "tempo " + std::to_string(kit.tempo) + ":";
        for (uint32_t row = 0x010 / stepNibbles; row < tuneRowCount; ++row) {
            steps[i] += " " + hexText(groupAt(kit, row), int(stepNibbles));
            if (groupAt(kit, row) == endMarkerGroup) break;
        }
        kit.startAddress = 0x010; // Listen wrote there, and left the kit's start address as it was
        formats::runTune(kit, formats::RunLimit::pass(), played[i]);
    }
    std::printf("korvel-cli import: %s\nListen:            %s\n", steps[0].c_str(),
                steps[1].c_str());
    const std::vector<formats::PlayedStep>&expected = played[0].steps, &heard = played[1].steps;
    if (expected.size() != heard.size()) return std::puts("they play different steps"), 1;
    constexpr long long toleranceBytes = sampleRate / 20; // 50 ms
    long long expectedStart = 0, heardStart = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i].toneIndex != heard[i].toneIndex ||
            std::llabs(expectedStart - heardStart) > toleranceBytes)
            return std::printf("step %zu plays otherwise\n", i + 1), 1;
        expectedStart += expected[i].lengthBytes;
        heardStart += heard[i].lengthBytes;
    }
    return 0;
}
