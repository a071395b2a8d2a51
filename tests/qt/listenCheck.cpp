// korvel_listen_check EXPECTED HEARD: compares the tune the desktop edition's
// Listen wrote from row 010 (HEARD, saved from the window) with what
// korvel-cli import made of the same recording (EXPECTED, which starts at 010):
// the steps from 010 to the end marker and the tempo row. Prints both where
// they differ. Exit code 0 when they are the same, 1 when not, 2 for a file
// that cannot be read.
#include "files/tuneLoad.h"
#include "formats/hexText.h"
#include "frontend/editor/tuneTable.h"
#include "model/melody.h"

#include <cstdio>
#include <string>

using namespace korvel;

namespace {

constexpr uint32_t firstRow = 0x010 / stepNibbles;

// The steps from the first row to the end marker, in hex, and the tempo row.
std::string stepsOf(const KitState& kit) {
    std::string text = "tempo " + std::to_string(kit.tempo) + ":";
    for (uint32_t row = firstRow; row < tuneRowCount; ++row) {
        const uint32_t group = groupAt(kit, row);
        text += " " + hexText(group, int(stepNibbles));
        if (group == endMarkerGroup) break;
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvel_listen_check EXPECTED HEARD\n");
        return 2;
    }
    std::string steps[2];
    for (int i = 0; i < 2; ++i) {
        KitState kit;
        const TuneLoad load = loadTune(kit, argv[i + 1]);
        if (load.outcome != FileOutcome::Done) {
            std::fprintf(stderr, "korvel_listen_check: %s: %s\n", argv[i + 1],
                         load.message.c_str());
            return 2;
        }
        steps[i] = stepsOf(kit);
    }
    if (steps[0] == steps[1]) {
        std::printf("the same steps: %s\n", steps[0].c_str());
        return 0;
    }
    std::printf("korvel-cli import: %s\nListen:            %s\n", steps[0].c_str(),
                steps[1].c_str());
    return 1;
}
