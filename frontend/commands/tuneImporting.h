// What a MIDI import tells the user, worded once for every edition and
// korvel-cli: the refusal of a file too large, and the report.
#pragma once

#include "formats/tuneConvert.h"

#include <string>
#include <vector>

namespace korvel {

// Why a file that is neither is not imported, as a phrase.
constexpr const char* notImportableReason = "it is neither a MIDI file nor a recording";

// Why a MIDI file larger than formats::maxMidiBytes is not read, as a phrase.
std::string midiTooLargeReason();

// The report in the order every edition tells it: the warnings first, each a
// sentence of its own ("Warning: ..."), then the rows.
struct ImportReport {
    std::vector<std::string> notes;
    std::vector<formats::ReportRow> rows;
};
ImportReport importReportOf(const formats::MidiImport& imported);

} // namespace korvel
