// Row texts from the player's own step decoding and the tone tables.
#include "frontend/editor/tuneTable.h"

#include "formats/hexText.h"
#include "formats/kitTones.h"
#include "formats/listing.h"
#include "frontend/editor/pitchName.h"
#include "frontend/editor/tuneEdits.h"
#include "frontend/editor/tuneSettings.h"
#include "model/toneBank.h"

#include <algorithm>
#include <cstdio>

namespace korvel {

std::string kitToneText(uint32_t toneIndex) {
    return std::string(formats::noteName(noteNumberOf(toneIndex))) + " div " +
           std::to_string(dividerOf(toneIndex));
}
namespace {

const char* kindName(StepKind kind) {
    switch (kind) {
    case StepKind::Note: return "note";
    case StepKind::Rest: return "rest";
    case StepKind::Jump: return "jump";
    case StepKind::End: break;
    }
    return "end";
}

double milliseconds(uint32_t bytes) {
    return bytes * 1000.0 / sampleRate;
}

std::string& column(TuneRow& row, TuneColumn which) {
    return row.text[static_cast<size_t>(which)];
}

void fillRow(TuneRow& row, const MelodyStep& step, uint32_t tempo, double longestMs) {
    row.address = step.address;
    row.group = groupOf(step);
    row.kind = stepKind(step);
    for (auto& text : row.text) text.clear();
    column(row, TuneColumn::Address) = addressText(row.address);
    column(row, TuneColumn::Digits) = hexText(row.group, 4);
    column(row, TuneColumn::Kind) = kindName(row.kind);
    row.toneIndex = toneIndexOf(step);
    if (row.kind == StepKind::Note || row.kind == StepKind::Rest) {
        row.lengthCode = lengthCodeOf(step);
        row.lengthMs = milliseconds(noteLength(tempo, row.lengthCode));
        row.lengthBar = std::min(1.0, row.lengthMs / longestMs);
        char text[32];
        std::snprintf(text, sizeof text, "%02X  %.0f ms", row.lengthCode, row.lengthMs);
        column(row, TuneColumn::Length) = text;
    } else {
        row.lengthCode = 0;
        row.lengthMs = row.lengthBar = 0;
    }
    if (row.kind == StepKind::Note) {
        column(row, TuneColumn::Note) = kitToneText(row.toneIndex);
        column(row, TuneColumn::Pitch) = concertPitchText(formats::tonePitch(row.toneIndex));
    }
    row.target = row.kind == StepKind::Jump ? jumpTarget(step) : 0;
    if (row.kind == StepKind::Jump) column(row, TuneColumn::Target) = addressText(row.target);
}

// The rows holding the kit's two settings' addresses, 000 and 00E.
constexpr uint32_t startAddressRow = startAddressRegister / stepNibbles;
constexpr uint32_t tempoRow = tempoRegister / stepNibbles;

void showBlank(TuneRow& row, const KitState& kit) {
    row.blank = true;
    for (auto which : {TuneColumn::Kind, TuneColumn::Note, TuneColumn::Pitch, TuneColumn::Length})
        column(row, which).clear();
    row.lengthCode = 0;
    row.lengthMs = row.lengthBar = 0;
    const uint32_t at = rowOf(row.address);
    if (at == startAddressRow) {
        column(row, TuneColumn::Kind) = "setting";
        column(row, TuneColumn::Note) =
            "start address " + tuneSettingText(TuneSetting::StartAddress, kit.startAddress);
    } else if (at == tempoRow) {
        char text[48];
        std::snprintf(text, sizeof text, "tempo %s, unit %.0f ms",
                      tuneSettingText(TuneSetting::Tempo, kit.tempo).c_str(),
                      milliseconds(noteLength(kit.tempo, 0)));
        column(row, TuneColumn::Kind) = "setting";
        column(row, TuneColumn::Note) = text;
    }
}

} // namespace

const char* tuneColumnTitle(TuneColumn column) {
    // By TuneColumn; short, as the rows' own texts are.
    static constexpr std::array<const char*, tuneColumnCount> titles = {
        "Addr", "Step", "Kind", "Kit note", "Pitch", "Length", "Jump"};
    return titles[std::min(static_cast<size_t>(column), tuneColumnCount - 1)];
}

uint32_t groupOf(const MelodyStep& step) {
    const auto& s = step.nibble;
    return s[3] << 12 | s[2] << 8 | s[1] << 4 | s[0];
}

uint32_t groupAt(const KitState& kit, uint32_t row) {
    return groupOf(readStep(kit, row * stepNibbles));
}

bool holdsTune(const KitState& kit) {
    return std::any_of(kit.memory.begin(), kit.memory.end(), [](auto nibble) { return nibble; });
}

void buildTuneRows(const KitState& kit, const TuneReach& reach, TuneRows& rows) {
    const double longestMs = milliseconds(noteLength(kit.tempo, lengthCodeCount - 1));
    for (uint32_t r = 0; r < tuneRowCount; ++r) {
        TuneRow& row = rows[r];
        fillRow(row, readStep(kit, r * stepNibbles), kit.tempo, longestMs);
        row.reached = reach.reached[r];
        row.blank = false;
        if (row.group == clearedGroup) showBlank(row, kit);
    }
}

} // namespace korvel
