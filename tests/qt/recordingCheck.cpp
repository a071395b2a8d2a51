// korvel_recording_check SCRIPT RECORDING: checks a recording of the desktop
// edition playing a script's tune (raw 8-bit unsigned mono samples at 22050
// per second, from its first RUN) against the samples the tune should give,
// and prints what it found. Exit code 0 when the tones are the tune's, in
// order and on time, with silence only at the tune's rests; 3 when silence
// breaks in where the tune has none after tones all the tune's, as a stalled
// sound server also makes it; 1 for any other fault (a wrong tone, a tone
// missing or out of time).
#include "files/tuneLoad.h"
#include "formats/tuneRun.h"
#include "model/toneSource.h"
#include "tests/support/toneAnalysis.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace korvel;

namespace {

struct RenderSink final : formats::StepSink {
    std::vector<uint8_t> samples;
    bool sound(uint32_t toneIndex, uint32_t lengthBytes) override {
        ToneSource source = melodyNoteSource(toneIndex, lengthBytes);
        const size_t at = samples.size();
        samples.resize(at + lengthBytes);
        samples.resize(at + readTone(source, samples.data() + at, lengthBytes));
        return true;
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: korvel_recording_check SCRIPT RECORDING\n");
        return 2;
    }
    std::ifstream in(argv[2], std::ios::binary);
    const std::vector<uint8_t> recording{std::istreambuf_iterator<char>(in), {}};
    KitState kit;
    const TuneLoad load = loadTune(kit, argv[1]);
    if (load.outcome != FileOutcome::Done) {
        std::fprintf(stderr, "korvel_recording_check: %s: %s\n", argv[1], load.message.c_str());
        return 2;
    }
    RenderSink render;
    formats::runTune(kit, formats::RunLimit::seconds(recording.size() / double(sampleRate) + 1),
                     render);

    // Five milliseconds: what a break would shift, well above the recorder's rounding.
    const test::RenderComparison result =
        test::compareWithRender(recording, render.samples, sampleRate / 200);
    std::printf("recorded %.1f s: %zu tones checked, %zu note changes without a rest "
                "(longest gap %.1f ms), %zu rests, %zu breaks\n",
                recording.size() / double(sampleRate), result.tonesChecked, result.noteChanges,
                result.longestNoteChangeGapMs, result.restsChecked, result.breaks);
    if (!result.problem.empty()) {
        std::printf("FAILED: %s\n", result.problem.c_str());
        return result.breakComesFirst ? 3 : 1;
    }
    return 0;
}
