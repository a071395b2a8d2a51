#include "frontend/listen/liveListen.h"

#include "formats/hexText.h"
#include "formats/kitTones.h"
#include "frontend/editor/pitchName.h"
#include "frontend/editor/tuneTable.h"
#include "model/melody.h"

#include <cmath>

namespace korvel {

LiveListen::LiveListen(TuneEditor& editor, double sampleRate)
    : editor_(editor), listening_(sampleRate) {
    editor_.setMicrophoneOpen(true);
}

LiveListen::~LiveListen() {
    editor_.setMicrophoneOpen(false);
}

void LiveListen::feed(const float* mono, size_t count) {
    listening_.feed(mono, count);
}

std::string LiveListen::heardText() const {
    const std::deque<double>& line = trace();
    if (line.empty() || std::isnan(line.back())) return "Listening…";
    const double pitch = line.back();
    const double reach = std::clamp(pitch, formats::lowestReach(), formats::highestReach());
    return concertPitchText(pitch) + " · " + kitToneText(formats::nearestTone(reach).toneIndex);
}

ListenOutcome LiveListen::stop() {
    const listen::HeardRecording heard = listening_.finish();
    formats::ImportOptions options;
    options.fit = true;
    options.truncate = true;
    options.startAddress = editor_.cursorRow() * stepNibbles;
    options.capacity = tuneRowCount - editor_.cursorRow();
    formats::ImportResult imported{false, {}, {}};
    if (holdsTune(editor_.kit())) {
        options.tempo = editor_.kit().tempo;
        imported = listen::importHeard(heard, options, "Listen");
        options.tempo.reset();
    }
    if (!imported.ok) imported = listen::importHeard(heard, options, "Listen");
    if (!imported.ok) return {false, "Nothing written: " + imported.error + ".", {}};
    const formats::ImportedTune& tune = imported.tune;
    editor_.writeHeard(tune.steps, tune.tempo);
    std::vector<formats::ReportRow> report = listen::heardReport(heard);
    const std::vector<formats::ReportRow> rows = formats::importReport(tune);
    report.insert(report.end(), rows.begin(), rows.end());
    std::string message = formats::plural(tune.notes, "note") + " heard, written from " +
                          addressText(options.startAddress) + ".";
    for (const std::string& warning : tune.warnings) message += " " + warning + ".";
    return {true, message, std::move(report)};
}

} // namespace korvel
