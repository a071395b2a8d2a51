// The import's words.
#include "frontend/commands/tuneImporting.h"

#include "formats/midiFile.h"

namespace korvel {

std::string midiTooLargeReason() {
    return "the file is larger than " + std::to_string(formats::maxMidiBytes >> 20) +
           " MiB, more than a tune for the kit could come from";
}

ImportReport importReportOf(const formats::MidiImport& imported) {
    ImportReport report{{}, imported.report};
    for (const std::string& warning : imported.warnings)
        report.notes.push_back("Warning: " + warning);
    return report;
}

} // namespace korvel
