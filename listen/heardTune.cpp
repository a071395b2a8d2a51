#include "listen/heardTune.h"

#include "formats/clockTime.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace korvel::listen {

using formats::clockTime;

namespace {
constexpr uint32_t ticksPerQuarter = 10000;
constexpr uint32_t microsPerQuarter = 1000000; // a tick is 0.1 ms
constexpr size_t unsureListed = 6;             // onsets named in the report; the rest counted
} // namespace

Listening::Listening(double sampleRate) : transcriber_(sampleRate), rate_(sampleRate) {}

bool Listening::feed(const float* mono, size_t count) {
    if (cut_) return false;
    transcriber_.feed(mono, count);
    samples_ += count;
    cut_ = transcriber_.noteCount() >= maxHeardNotes;
    return !cut_;
}

HeardRecording Listening::finish() {
    HeardRecording heard;
    heard.notes = transcriber_.finish();
    heard.tuningCents = transcriber_.tuningCents();
    heard.seconds = seconds();
    heard.cut = cut_;
    return heard;
}

formats::MidiSong heardSong(const std::vector<HeardNote>& notes) {
    formats::MidiSong song;
    song.ticksPerQuarter = ticksPerQuarter;
    song.tempos.push_back({0, microsPerQuarter});
    formats::MidiTrack track;
    const double start = notes.empty() ? 0 : notes.front().onset;
    const auto tick = [start](double seconds) {
        return uint64_t(std::llround((seconds - start) * ticksPerQuarter));
    };
    for (const HeardNote& note : notes) {
        const uint64_t begin = tick(note.onset);
        const uint64_t end = std::max(begin + 1, tick(note.onset + note.duration));
        const auto key = uint8_t(std::clamp(std::lround(note.pitch), 0L, 127L));
        track.notes.push_back({begin, end, note.pitch, key, 0});
        track.end = std::max(track.end, end);
    }
    song.tracks.push_back(std::move(track));
    return song;
}

formats::ImportResult importHeard(const HeardRecording& heard, formats::ImportOptions options,
                                  const std::string& title) {
    if (heard.notes.empty())
        return {false, "no notes were heard in " + clockTime(heard.seconds) + " of sound", {}};
    if (heard.cut && !options.truncate)
        return {false,
                "more than " + std::to_string(maxHeardNotes) +
                    " notes were heard, far more than the memory holds; " + options.advice.truncate,
                {}};
    options.track.reset();
    options.channel.reset();
    options.octavesOnly = true;
    options.sameTimeMs = Transcriber::frameSeconds * 1000;
    formats::ImportResult result = formats::importTune(heardSong(heard.notes), options, title);
    result.tune.voice = "the recording";
    result.tune.heard = true;
    return result;
}

formats::MidiImport importRecording(const HeardRecording& heard,
                                    const formats::ImportOptions& options,
                                    const std::string& fileName) {
    formats::MidiImport imported = formats::importedScriptOf(
        importHeard(heard, options, formats::fileStem(fileName)), fileName);
    if (imported.ok) {
        const std::vector<formats::ReportRow> rows = heardReport(heard);
        imported.report.insert(imported.report.begin(), rows.begin(), rows.end());
    }
    return imported;
}

std::vector<formats::ReportRow> heardReport(const HeardRecording& heard) {
    char tuning[64];
    std::snprintf(tuning, sizeof tuning, "%+.0f cents from A = 440 Hz", heard.tuningCents);
    std::string unsure;
    size_t count = 0;
    for (const HeardNote& note : heard.notes) {
        if (note.confidence >= unsureConfidence) continue;
        if (count < unsureListed) unsure += (count ? ", " : "") + clockTime(note.onset);
        ++count;
    }
    if (count > unsureListed) unsure += " and " + std::to_string(count - unsureListed) + " more";
    return {
        {"heard", formats::plural(heard.notes.size(), "note") +
                      (heard.cut ? " (reading stopped)" : "") + " in " + clockTime(heard.seconds) +
                      ", the voice " + tuning},
        {"unsure",
         count ? formats::plural(count, "note") + " heard unclearly, at " + unsure : "none"},
    };
}

} // namespace korvel::listen
