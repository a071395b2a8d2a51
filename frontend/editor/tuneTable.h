// The step table: one row per memory group, all 128 in address order, with
// each column's text as the editor shows it and the numbers a view draws
// from (the length bar, whether play reaches the row).
//
// Cleared memory (0000) reads as blank, not as the blip of a note it would
// play, so a fresh kit shows an empty table and a tune its own steps alone
// (a blank row play passes through is still shown as reached); the rows
// holding 000 and 00E, where the keypad's WRITE sets the start address and
// the tempo, show those settings while blank.
#pragma once

#include "frontend/editor/tuneReach.h"
#include "model/kit.h"
#include "model/melody.h"

#include <array>
#include <cstdint>
#include <string>

namespace korvel {

enum class TuneColumn : uint8_t {
    Address, // "010"
    Digits,  // "3405", as the LED shows the group
    Kind,    // "note", "rest", "jump", "end"
    Note,    // the kit's name and divider: "mi div 3"
    Pitch,   // the nearest concert pitch: "E4 +3¢"
    Length,  // the code and its time at the tempo: "05  100 ms"
    Target,  // a jump's target: "020"
};
constexpr size_t tuneColumnCount = 7;

// The column's title above the rows, in every edition: "Addr", "Step", "Kit note"...
const char* tuneColumnTitle(TuneColumn column);

struct TuneRow {
    uint32_t address = 0;
    uint32_t group = 0; // s3 s2 s1 s0 as typed
    StepKind kind = StepKind::Note;
    bool reached = false;    // play from the start address reaches it; a view dims the others
    uint32_t toneIndex = 0;  // notes: what it sounds
    uint32_t lengthCode = 0; // notes and rests
    double lengthMs = 0;
    double lengthBar = 0; // the length as a fraction (0..1) of the longest code of the tempo's row
    uint32_t target = 0;  // jumps, 0..511
    bool blank = false;   // cleared: its digits and a setting's text only
    std::array<std::string, tuneColumnCount> text;
};

using TuneRows = std::array<TuneRow, tuneRowCount>;

// A step's group, and the group at a row: s3 s2 s1 s0 as typed.
uint32_t groupOf(const MelodyStep& step);
uint32_t groupAt(const KitState& kit, uint32_t row);
// Whether memory holds anything but cleared groups.
bool holdsTune(const KitState& kit);

// A kit tone as the note column names it: "mi div 3".
std::string kitToneText(uint32_t toneIndex);
// Fills rows in place (their strings keep their storage).
void buildTuneRows(const KitState& kit, const TuneReach& reach, TuneRows& rows);

} // namespace korvel
