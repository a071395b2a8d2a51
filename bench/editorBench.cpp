// The tune editor's core part of "an edit to its repaint": building all 128
// rows, and an edit through to fresh rows, each beside a baseline measured in
// the same run (the 128 groups merely written out as hex, the least any table
// shows); "xHex" is the ratio, "frame%" the share of a 16 ms frame.
#include "files/tuneLoad.h"
#include "frontend/editor/tuneEditor.h"
#include "frontend/editor/tuneTable.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

namespace {

using namespace korvel;
using Clock = std::chrono::steady_clock;

constexpr double frameSeconds = 0.016;

KitState exampleKit() {
    KitState kit;
    loadTune(kit, KORVEL_EXAMPLES_DIR "/ode-to-joy.dat");
    return kit;
}

void hexRows(const KitState& kit, std::array<char[8], tuneRowCount>& out) {
    for (uint32_t r = 0; r < tuneRowCount; ++r)
        std::snprintf(out[r], sizeof out[r], "%04X", groupAt(kit, r));
}

double hexSeconds() {
    static const double best = [] {
        const KitState kit = exampleKit();
        std::array<char[8], tuneRowCount> out;
        double fastest = 1;
        for (int i = 0; i < 1000; ++i) {
            const auto start = Clock::now();
            hexRows(kit, out);
            benchmark::DoNotOptimize(out.data());
            fastest =
                std::min(fastest, std::chrono::duration<double>(Clock::now() - start).count());
        }
        return fastest;
    }();
    return best;
}

// Times the body itself, per pass (divided by passes), against the baseline.
template <typename Body> void timeAgainstHex(benchmark::State& state, int passes, Body body) {
    double total = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        body();
        total += std::chrono::duration<double>(Clock::now() - start).count();
    }
    const double each = total / double(state.iterations()) / passes;
    state.counters["xHex"] = each / hexSeconds();
    state.counters["frame%"] = 100 * each / frameSeconds;
}

void hexBaseline(benchmark::State& state) {
    const KitState kit = exampleKit();
    std::array<char[8], tuneRowCount> out;
    timeAgainstHex(state, 1, [&] {
        hexRows(kit, out);
        benchmark::DoNotOptimize(out.data());
    });
}
BENCHMARK(hexBaseline)->Unit(benchmark::kMicrosecond);

// The walk of the player and every row's texts, as after any change.
void buildAllRows(benchmark::State& state) {
    const KitState kit = exampleKit();
    TuneRows rows;
    timeAgainstHex(state, 1, [&] {
        buildTuneRows(kit, walkTune(kit), rows);
        benchmark::DoNotOptimize(rows.data());
    });
}
BENCHMARK(buildAllRows)->Unit(benchmark::kMicrosecond);

struct Silent final : SessionSound, SessionView {
    void startKeyNote(uint32_t) override {}
    void playTone(uint32_t, uint32_t) override {}
    void stopSound() override {}
    bool claimReport(uint64_t) override { return false; }
};

// A piano key in the note column and its undo: each an edit through the
// session, a snapshot of undo and the rows rebuilt.
void editToRows(benchmark::State& state) {
    Silent silent;
    Session session(silent, silent);
    session.start({0, 0, 0, 0}, 0);
    session.change(
        [](KitState& kit) { return loadTune(kit, KORVEL_EXAMPLES_DIR "/ode-to-joy.dat"); });
    TuneEditor editor(session);
    editor.sync();
    timeAgainstHex(state, 2, [&] {
        editor.select(0x20, EditColumn::Note, false);
        editor.key({EditorKey::Character, 'M'}, 0);
        editor.undo();
        benchmark::DoNotOptimize(editor.rows().data());
    });
}
BENCHMARK(editToRows)->Unit(benchmark::kMicrosecond);

} // namespace
