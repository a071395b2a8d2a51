// The tune editor's logic on a bare kit: insert and delete with jumps
// re-aimed (at the edge of memory too), the checks (none for the examples),
// record quantisation and pitch names.
#include "frontend/editor/tuneEdits.h"
#include "formats/kitTones.h"
#include "frontend/input/pianoKeys.h"
#include "frontend/editor/pitchName.h"
#include "frontend/editor/tuneRecorder.h"
#include "frontend/editor/tuneTable.h"
#include "model/script.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace korvel::test {
namespace {

KitState kitWith(const std::string& commands) {
    KitState kit{};
    const std::string script = "KORVEL\n---\n" + commands;
    applyScript(kit, script.data(), script.size());
    return kit;
}

// Groups by address, then the start address under key 0xFFF.
using Groups = std::map<uint32_t, uint32_t>;
constexpr uint32_t startKey = 0xFFF;

Groups groupsOf(const KitState& kit, const Groups& asked) {
    Groups got;
    for (const auto& [address, group] : asked)
        got[address] = address == startKey ? kit.startAddress : groupAt(kit, rowOf(address));
    return got;
}

// Start 010: A, B, a jump back to B, C, end; 028 jumps to B from outside the tune.
const std::string tuneAt010 = "0010@ 3405W 2405W 7014W 1405W EEEEW 0000W 7014W 0000@ 0010W";
// Start 1F4: A B C on to the end of memory, D at 000, end at 004; 00C jumps to D.
const std::string wrapping = "01F4@ 3405W 2405W 1405W 0405W EEEEW 0000W 7000W 0000@ 01F4W";
// Start 1F0 with the end marker in the last row.
const std::string atMemoryEnd = "01F0@ 3405W 2405W 1405W EEEEW 0000@ 01F0W";

struct MoveCase {
    const char* name;
    const std::string& tune;
    bool insert;
    uint32_t address, count;
    bool done;
    Groups expected;
};

TEST(TuneEdits, InsertAndDeleteMoveStepsToTheEndMarkerAndReaimJumps) {
    const MoveCase cases[] = {
        // The opened row keeps aims at itself (the start); later aims move on.
        {"insert at start",
         tuneAt010,
         true,
         0x10,
         1,
         true,
         {{0x10, 0xEE05},
          {0x14, 0x3405},
          {0x1C, 0x7018},
          {0x24, 0xEEEE},
          {0x28, 0x7018},
          {startKey, 0x10}}},
        {"insert two",
         tuneAt010,
         true,
         0x14,
         2,
         true,
         {{0x14, 0xEE05}, {0x18, 0xEE05}, {0x1C, 0x2405}, {0x20, 0x7014}, {0x28, 0xEEEE}}},
        // The end marker overwrites the jump at 028, which the tune does not reach.
        {"insert overwrites spare", tuneAt010, true, 0x14, 3, true, {{0x2C, 0xEEEE}}},
        {"delete first",
         tuneAt010,
         false,
         0x10,
         1,
         true,
         {{0x10, 0x2405},
          {0x14, 0x7010},
          {0x1C, 0xEEEE},
          {0x20, 0x0000},
          {0x28, 0x7010},
          {startKey, 0x10}}},
        // Aims into the closed step land on the step that follows it.
        {"delete target",
         tuneAt010,
         false,
         0x14,
         1,
         true,
         {{0x14, 0x7014}, {0x18, 0x1405}, {0x1C, 0xEEEE}, {0x28, 0x7014}}},
        {"insert wraps",
         wrapping,
         true,
         0x1F8,
         1,
         true,
         {{0x1F8, 0xEE05},
          {0x1FC, 0x2405},
          {0x000, 0x1405},
          {0x004, 0x0405},
          {0x008, 0xEEEE},
          {0x00C, 0x7004}}},
        {"delete wraps",
         wrapping,
         false,
         0x1F8,
         1,
         true,
         {{0x1F8, 0x1405}, {0x1FC, 0x0405}, {0x000, 0xEEEE}, {0x004, 0x0000}, {0x00C, 0x71FC}}},
        {"insert pushes the end off memory",
         atMemoryEnd,
         true,
         0x1F4,
         1,
         false,
         {{0x1F4, 0x2405}, {0x1FC, 0xEEEE}}},
        {"delete at the last row", atMemoryEnd, false, 0x1FC, 1, true, {{0x1FC, 0x0000}}},
    };
    for (const auto& c : cases) {
        KitState kit = kitWith(c.tune);
        const TuneReach reach = walkTune(kit);
        const EditResult result = c.insert ? insertSteps(kit, reach, c.address / 4, c.count, 0xEE05)
                                           : deleteSteps(kit, reach, c.address / 4, c.count);
        EXPECT_EQ(result.done, c.done) << c.name;
        EXPECT_EQ(result.message.empty(), c.done) << c.name;
        EXPECT_EQ(groupsOf(kit, c.expected), c.expected) << c.name;
    }
}

TEST(TuneEdits, WriteStepsReaimsJumpsWithinTheCopiedRowsAndRefusesPastMemory) {
    KitState kit{};
    EXPECT_TRUE(writeSteps(kit, 0x40 / 4, {0x3405, 0x7010, 0x7100}, 0x10 / 4).done);
    EXPECT_EQ(groupsOf(kit, {{0x44, 0}, {0x48, 0}}), (Groups{{0x44, 0x7040}, {0x48, 0x7100}}));
    EXPECT_FALSE(writeSteps(kit, lastTuneRow, {1, 2}, 0).done);
}

struct CheckCase {
    const char* name;
    std::string tune;
    std::map<TuneFault, uint32_t> faults; // the row address each names
};

TEST(TuneChecks, EachFaultNamesItsRow) {
    const CheckCase cases[] = {
        {"clean", tuneAt010, {}},
        {"cleared memory", "", {{TuneFault::NoEndMarker, 0}, {TuneFault::PastMemoryEnd, 0x1FC}}},
        // Play lands out of step with the steps, misses the end marker and runs on.
        {"jump inside a step",
         "0010@ 3405W 7011W EEEEW 0000@ 0010W",
         {{TuneFault::NoEndMarker, 0x10},
          {TuneFault::IntoStep, 0x14},
          {TuneFault::PastMemoryEnd, 0x1FC}}},
        {"start inside a step",
         "0010@ 3405W EEEEW 0000@ 0011W",
         {{TuneFault::NoEndMarker, 0x10},
          {TuneFault::IntoStep, 0x10},
          {TuneFault::PastMemoryEnd, 0x1FC}}},
        {"rests only", "0010@ EE05W EEEEW 0000@ 0010W", {{TuneFault::SilentLoop, 0x10}}},
        {"halts at once", "0010@ EEEEW 0000@ 0010W", {{TuneFault::SilentLoop, 0x10}}},
        // Each pass follows the first jump to the end marker again, sounding nothing.
        {"jump to an end marker",
         "0010@ 7020W 0000@ 0010W 0020@ EEEEW",
         {{TuneFault::SilentLoop, 0x20}, {TuneFault::PastMemoryEnd, 0x1FC}}},
        // Play goes on at 000 to the end marker every pass: memory wraps, as the kit's does.
        {"wraps on to its end marker", wrapping, {}},
        {"end marker in the last row", atMemoryEnd, {}},
        {"jump in the last row", "01F4@ 3405W 2405W 7010W 0010@ 1405W EEEEW 0000@ 01F4W", {}},
        {"last step runs past memory",
         "01FC@ 3405W 0000@ 01FDW",
         {{TuneFault::NoEndMarker, 0x1FC},
          {TuneFault::IntoStep, 0x1FC},
          {TuneFault::PastMemoryEnd, 0x1FC}}},
    };
    for (const auto& c : cases) {
        std::map<TuneFault, uint32_t> got;
        for (const auto& check : walkTune(kitWith(c.tune)).checks) {
            got[check.fault] = check.row * 4;
            EXPECT_FALSE(check.text.empty());
        }
        EXPECT_EQ(got, c.faults) << c.name;
    }
    const TuneReach clean = walkTune(kitWith(tuneAt010));
    for (uint32_t row = 0; row < tuneRowCount; ++row)
        EXPECT_EQ(clean.reached[row], row >= 4 && row <= 8) << row;
}

TEST(TuneChecks, NoExampleFails) {
    for (const auto& entry : std::filesystem::directory_iterator(KORVEL_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".dat") continue;
        std::ifstream file(entry.path(), std::ios::binary);
        const std::string script{std::istreambuf_iterator<char>(file), {}};
        KitState kit{};
        ASSERT_TRUE(applyScript(kit, script.data(), script.size())) << entry.path();
        for (const auto& check : walkTune(kit).checks)
            ADD_FAILURE() << entry.path().filename() << ": " << check.text;
    }
}

struct Played {
    bool on;
    uint32_t tone;
    uint64_t ms;
};

TEST(TuneRecorder, HeldNotesAndGapsTakeTheNearestLengthOfTheTempo) {
    const struct {
        uint32_t tempo;
        std::vector<Played> played;
        std::vector<uint16_t> steps;
    } cases[] = {
        // Tempo 3: one unit is 66.7 ms; a 30 ms gap is under half of it, a 40 ms gap a rest.
        {3,
         {{true, 0x14, 0}, {false, 0x14, 190}, {true, 0x15, 220}, {false, 0x15, 500}},
         {0x1402, 0x1503}},
        {3,
         {{true, 0x14, 0}, {false, 0x14, 190}, {true, 0x15, 230}, {false, 0x15, 500}},
         {0x1402, 0xEE00, 0x1503}},
        // Tempo 0: 16.7 ms units, longest 533 ms; a 1.2 s gap is three rests.
        {0,
         {{true, 0x14, 0}, {false, 0x14, 1000}, {true, 0x20, 2200}, {false, 0x20, 2210}},
         {0x141F, 0xEE1F, 0xEE1F, 0xEE07, 0x2000}},
        // Tempo 15: 267 ms units; a new note ends the one held (legato), its release is stale.
        {15,
         {{true, 0x3B, 0}, {true, 0x10, 800}, {false, 0x3B, 900}, {false, 0x10, 1350}},
         {0x3B02, 0x1001}},
    };
    for (const auto& c : cases) {
        TuneRecorder recorder(c.tempo);
        std::vector<uint16_t> steps;
        for (const auto& p : c.played) {
            const auto made = p.on ? recorder.noteOn(p.tone, p.ms) : recorder.noteOff(p.tone, p.ms);
            steps.insert(steps.end(), made.begin(), made.end());
        }
        EXPECT_TRUE(recorder.finish(5000).empty());
        EXPECT_EQ(steps, c.steps) << "tempo " << c.tempo;
    }
}

TEST(PitchNames, KitTonesNameTheirNearestConcertNoteAndCents) {
    const std::pair<uint32_t, const char*> cases[] = {
        {0x00, "C5 +6\u00A2"},       // 525 Hz
        {0x05, "F5 \u221223\u00A2"}, // 689 Hz
        {0x0B, "B5 +25\u00A2"},      // 1002 Hz
        {0x10, "C4 +6\u00A2"},       // divider 1, an octave down
        {0x20, "F3 +4\u00A2"},       // divider 2, a twelfth down
        {0xF0, "C1 +6\u00A2"},
    };
    for (const auto& [tone, text] : cases)
        EXPECT_EQ(concertPitchText(formats::tonePitch(tone)), text);
    EXPECT_EQ(concertPitchText(69.0), "A4 \u00B10\u00A2");
    EXPECT_EQ(pianoTone(4, 'Z'), 0x10u);
    EXPECT_EQ(pianoTone(4, 'Q'), 0x00u);
    EXPECT_EQ(pianoTone(1, 'z'), 0xF0u);
    EXPECT_EQ(pianoTone(4, 'A'), std::nullopt);
}

} // namespace
} // namespace korvel::test
