// korvel_listen_check EXPECTED HEARD: the steps from 010 to the end marker and
// the tempo row of two scripts: what korvel-cli import made of a recording,
// and what the desktop editor's Listen wrote of it. Exit code 0 when they are
// the same, 1 when not (both printed), 2 for a file that cannot be read.
#include "files/tuneLoad.h"
#include "formats/hexText.h"
#include "frontend/editor/tuneTable.h"
#include "model/melody.h"

#include <cstdio>

using namespace korvel;

int main(int argc, char** argv) {
    if (argc != 3) return std::fprintf(stderr, "usage: korvel_listen_check EXPECTED HEARD\n"), 2;
    std::string steps[2];
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
    }
    std::printf("korvel-cli import: %s\nListen:            %s\n", steps[0].c_str(),
                steps[1].c_str());
    return steps[0] == steps[1] ? 0 : 1;
}
