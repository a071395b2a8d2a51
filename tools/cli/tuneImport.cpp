// From a MIDI song to melody steps: the voice, its line, pitches, lengths and memory.
#include "tuneImport.h"

#include "kitTones.h"
#include "melody.h"
#include "script.h"
#include "toneBank.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

namespace korvel::cli {
namespace {

// Pitch errors closer than this are heard as the same; the smaller
// transposition then wins.
constexpr double samePitchCents = 1.0;
constexpr uint16_t gapTone = restTone;
constexpr uint32_t endMarkerCode = restTone; // as a rest's length it would make the end marker
constexpr int noNote = -1;
constexpr uint8_t percussionChannel = 9; // channel 10 as musicians count

struct Voice {
    std::vector<MidiNote> notes; // by start
    uint64_t end = 0;            // where its tracks end
    std::string description;
    std::string title;
};

std::string quotedName(const std::string& name) {
    return name.empty() ? "" : " (\"" + name + "\")";
}

// The notes of the chosen track and channel; false with a message when none.
bool selectVoice(const MidiSong& song, const ImportOptions& options, Voice& voice,
                 std::string& error) {
    // Drums carry no melody: channel 10 is taken only when asked for.
    const auto onChannel = [&](const MidiNote& note) {
        return options.channel ? note.channel + 1u == *options.channel
                               : note.channel != percussionChannel;
    };
    const std::string channelText =
        options.channel ? "channel " + std::to_string(*options.channel) : "all channels";
    if (options.track && *options.track > song.tracks.size()) {
        error = "there is no track " + std::to_string(*options.track) + "; the file has " +
                std::to_string(song.tracks.size()) + " track" +
                (song.tracks.size() == 1 ? "" : "s");
        return false;
    }
    for (size_t i = 0; i < song.tracks.size(); ++i) {
        if (options.track && i + 1 != *options.track) continue;
        const MidiTrack& track = song.tracks[i];
        const size_t before = voice.notes.size();
        std::copy_if(track.notes.begin(), track.notes.end(), std::back_inserter(voice.notes),
                     onChannel);
        if (voice.notes.size() == before) continue;
        voice.end = std::max(voice.end, track.end);
        if (voice.title.empty()) voice.title = track.name;
        // A channel alone is gathered from every track; otherwise one track is the voice.
        if (options.channel && !options.track) continue;
        voice.description =
            "track " + std::to_string(i + 1) + quotedName(track.name) + ", " + channelText;
        break;
    }
    if (options.channel && !options.track) voice.description = channelText + ", all tracks";
    if (voice.notes.empty()) {
        if (options.track)
            error = "no notes in track " + std::to_string(*options.track) +
                    (options.channel ? " on " + channelText : "");
        else
            error = options.channel ? "no notes on " + channelText : "no notes in the file";
        return false;
    }
    std::stable_sort(voice.notes.begin(), voice.notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.start < b.start; });
    if (voice.title.empty() && !song.tracks.empty()) voice.title = song.tracks.front().name;
    return true;
}

struct Segment {
    uint64_t start, end; // ticks
    int note;            // index into the voice's notes, or noNote for a gap
};

// The voice as one line from the start of the song to the end of its tracks:
// at each moment the highest note sounding (the latest struck of equal ones),
// or a gap. The gaps at either end are the song's own, and a tune repeats them.
std::vector<Segment> melodyLine(const std::vector<MidiNote>& notes, uint64_t end) {
    struct Edge {
        uint64_t tick;
        bool on;
        int note;
    };
    std::vector<Edge> edges;
    for (size_t i = 0; i < notes.size(); ++i) {
        edges.push_back({notes[i].start, true, int(i)});
        edges.push_back({notes[i].end, false, int(i)});
    }
    std::stable_sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
        return std::tie(a.tick, a.on) < std::tie(b.tick, b.on); // releases first
    });
    // Ordered by pitch, then onset, so the last is the one heard.
    std::set<std::tuple<double, uint64_t, int>> sounding;
    std::vector<Segment> line{{0, 0, noNote}};
    for (size_t e = 0; e < edges.size();) {
        const uint64_t tick = edges[e].tick;
        for (; e < edges.size() && edges[e].tick == tick; ++e) {
            const MidiNote& note = notes[edges[e].note];
            const auto key = std::make_tuple(note.pitch, note.start, edges[e].note);
            if (edges[e].on)
                sounding.insert(key);
            else
                sounding.erase(key);
        }
        const int top = sounding.empty() ? noNote : std::get<2>(*sounding.rbegin());
        if (line.back().note == top) continue;
        line.back().end = tick;
        if (line.back().start == tick) line.pop_back(); // no gap before a first onset at 0
        line.push_back({tick, tick, top});
    }
    line.back().end = std::max(end, line.back().start);
    if (line.back().end == line.back().start) line.pop_back();
    return line;
}

// A pitch after transposing, moved by octaves into reach when allowed; NAN when out of reach.
double placed(double pitch, int transpose, bool fit) {
    double p = pitch + transpose;
    if (p >= lowestReach() && p <= highestReach()) return p;
    if (!fit) return NAN;
    while (p < lowestReach()) p += 12;
    while (p > highestReach()) p -= 12;
    return p;
}

struct PitchPlan {
    int transpose;
    bool reachesAll;
    double maxCents;
};

// pitches: each pitch of the line once.
PitchPlan planPitch(const std::vector<double>& pitches, int transpose, bool fit) {
    PitchPlan plan{transpose, true, 0};
    for (double pitch : pitches) {
        const double p = placed(pitch, transpose, fit);
        if (std::isnan(p))
            plan.reachesAll = false;
        else
            plan.maxCents = std::max(plan.maxCents, std::fabs(nearestTone(p).cents));
    }
    return plan;
}

// The smallest largest error with every note in reach; the search goes
// outwards from 0, so of equal ones the smallest shift is kept. When no shift
// reaches every note, none is made, so the message names the notes as written.
PitchPlan choosePitch(const std::vector<double>& pitches, bool fit) {
    std::optional<PitchPlan> best;
    for (int shift = 0; shift <= transposeSearch; ++shift) {
        for (int transpose : {shift, -shift}) {
            const PitchPlan plan = planPitch(pitches, transpose, fit);
            if (plan.reachesAll && (!best || plan.maxCents < best->maxCents - samePitchCents))
                best = plan;
        }
    }
    return best ? *best : planPitch(pitches, 0, fit);
}

struct Length {
    uint32_t samples;
    uint32_t code;
};

// Every length a step can have at this tempo, shortest first, each with its
// smallest code; codes past the table's last row are left alone.
std::vector<Length> lengthsAt(uint32_t tempo) {
    std::vector<Length> lengths;
    for (uint32_t code = 0; code < 256 && tempo * lengthCodeCount + code < noteLengthCount; ++code)
        if (code != endMarkerCode) lengths.push_back({noteLength(tempo, code), code});
    std::stable_sort(lengths.begin(), lengths.end(),
                     [](const Length& a, const Length& b) { return a.samples < b.samples; });
    lengths.erase(
        std::unique(lengths.begin(), lengths.end(),
                    [](const Length& a, const Length& b) { return a.samples == b.samples; }),
        lengths.end());
    return lengths;
}

const Length& nearestLength(const std::vector<Length>& lengths, double samples) {
    auto above = std::lower_bound(
        lengths.begin(), lengths.end(), samples,
        [](const Length& length, double wanted) { return length.samples < wanted; });
    if (above == lengths.end()) return lengths.back();
    if (above == lengths.begin()) return *above;
    return samples - (above - 1)->samples <= above->samples - samples ? *(above - 1) : *above;
}

// A segment as the kit plays it.
struct Timed {
    double start, end; // samples from the start of the song
    uint16_t tone;     // divider and note number as s3 s2, or gapTone
};

struct TimedStep {
    uint16_t group;
    size_t segment;
};

struct TempoFit {
    uint32_t tempo = 0;
    uint64_t count = 0;           // steps the whole tune needs
    std::vector<TimedStep> steps; // the first of them, as many as memory holds
    std::vector<double> errors;   // per segment, samples
    uint32_t longCodes = 0, split = 0, dropped = 0;
    uint32_t longest = 0; // samples of the longest step
    double meanMs = 0, maxMs = 0;
};

// Each segment's steps end as near to the segment's end as the lengths
// allow, so one step's rounding is made good by the next. A segment longer
// than the longest step is split into near-equal steps; one shorter than half
// the shortest gives none. Steps past what memory holds are only counted, so
// a song of hours costs no more than one that fits.
TempoFit fitTempo(uint32_t tempo, const std::vector<Timed>& segments, uint32_t capacity) {
    const std::vector<Length> lengths = lengthsAt(tempo);
    TempoFit fit;
    fit.tempo = tempo;
    fit.longest = lengths.back().samples;
    uint64_t now = 0;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Timed& segment = segments[i];
        const uint64_t begun = now;
        const double left = segment.end - double(now);
        const uint64_t pieces = left > fit.longest ? uint64_t(std::ceil(left / fit.longest)) : 1;
        const bool note = segment.tone != gapTone;
        if (pieces == 1 && left < lengths.front().samples / 2.0) {
            fit.dropped += note;
        } else {
            fit.split += note && pieces > 1;
            for (uint64_t piece = 0; piece < pieces; ++piece) {
                if (fit.steps.size() == capacity) {
                    fit.count += pieces - piece;
                    now = std::max(now, uint64_t(std::llround(segment.end)));
                    break;
                }
                ++fit.count;
                const Length& length =
                    nearestLength(lengths, (segment.end - double(now)) / double(pieces - piece));
                fit.steps.push_back({uint16_t(segment.tone << 8 | length.code), i});
                fit.longCodes += length.code >= lengthCodeCount;
                now += length.samples;
            }
        }
        fit.errors.push_back(std::fabs(double(now - begun) - (segment.end - segment.start)));
    }
    double sum = 0;
    for (double error : fit.errors) {
        sum += error;
        fit.maxMs = std::max(fit.maxMs, error * 1000 / sampleRate);
    }
    fit.meanMs = sum * 1000 / sampleRate / double(fit.errors.size());
    return fit;
}

// Time errors closer than this are heard as the same.
constexpr double sameTimeMs = 1.0;

// Whether fit a beats fit b: it fits memory where b does not, then has the
// smaller mean time error, then the smaller largest one, then fewer steps,
// then fewer lengths read from slower rows.
bool betterFit(const TempoFit& a, const TempoFit& b, uint32_t capacity) {
    const bool aFits = a.count < capacity, bFits = b.count < capacity;
    if (aFits != bFits) return aFits;
    if (std::fabs(a.meanMs - b.meanMs) > sameTimeMs) return a.meanMs < b.meanMs;
    if (std::fabs(a.maxMs - b.maxMs) > sameTimeMs) return a.maxMs < b.maxMs;
    return std::make_pair(a.steps.size(), a.longCodes) <
           std::make_pair(b.steps.size(), b.longCodes);
}

std::string plural(uint64_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string millis(double samples) {
    char text[32];
    std::snprintf(text, sizeof text, "%.0f ms", samples * 1000 / sampleRate);
    return text;
}

// How long one length unit lasts at a tempo row.
double unitMs(uint32_t tempo) {
    return (tempo + 1) * 1000.0 / 60;
}

std::string signedSemitones(int transpose) {
    return (transpose > 0 ? "+" : "") + std::to_string(transpose);
}

std::string outOfReach(const MidiSong& song, const MidiNote& note, int transpose) {
    const bool above = note.pitch + transpose > highestReach();
    std::string text = "the note " + keyName(note.key) + " in " + barAndBeat(song, note.start) +
                       " is " + (above ? "above" : "below") + " the kit's range " +
                       keyName(int(std::ceil(lowestReach()))) + " to " +
                       keyName(int(std::floor(highestReach())));
    if (transpose) text += " (transposed by " + signedSemitones(transpose) + ")";
    return text + "; --fit moves such notes by octaves";
}

} // namespace

ImportResult importTune(const MidiSong& song, const ImportOptions& options,
                        const std::string& fallbackTitle) {
    ImportResult result{false, {}, {}};
    ImportedTune& tune = result.tune;
    Voice voice;
    if (!selectVoice(song, options, voice, result.error)) return result;
    tune.voice = voice.description;
    tune.title = voice.title.empty() ? fallbackTitle : voice.title;
    const std::vector<Segment> line = melodyLine(voice.notes, voice.end);

    std::vector<double> pitches;
    for (const Segment& segment : line)
        if (segment.note != noNote) pitches.push_back(voice.notes[segment.note].pitch);
    std::sort(pitches.begin(), pitches.end());
    pitches.erase(std::unique(pitches.begin(), pitches.end()), pitches.end());
    const PitchPlan pitch = options.transpose ? planPitch(pitches, *options.transpose, options.fit)
                                              : choosePitch(pitches, options.fit);
    tune.transpose = pitch.transpose;
    tune.transposeChosen = !options.transpose;
    const MidiClock clock(song);
    std::vector<Timed> timed;
    std::vector<bool> moved(voice.notes.size());
    std::vector<double> cents(line.size()); // each segment's pitch error, for the report
    for (size_t i = 0; i < line.size(); ++i) {
        const Segment& segment = line[i];
        Timed t{clock.seconds(segment.start) * sampleRate, clock.seconds(segment.end) * sampleRate,
                gapTone};
        if (segment.note != noNote) {
            const MidiNote& note = voice.notes[segment.note];
            const double p = placed(note.pitch, tune.transpose, options.fit);
            if (std::isnan(p)) {
                result.error = outOfReach(song, note, tune.transpose);
                return result;
            }
            if (p != note.pitch + tune.transpose) moved[segment.note] = true;
            const NearestTone nearest = nearestTone(p);
            t.tone = uint16_t(dividerOf(nearest.toneIndex) << 4 | noteNumberOf(nearest.toneIndex));
            cents[i] = std::fabs(nearest.cents);
        }
        timed.push_back(t);
    }

    tune.startAddress = options.startAddress;
    // Typing runs on past the last nibble to the first, as the player does.
    tune.capacity = memoryNibbles / stepNibbles;
    // From the slowest row, whose unit is most likely the tune's own beat: a
    // faster one must do better to be taken.
    TempoFit best = fitTempo(tempoCount - 1, timed, tune.capacity);
    for (uint32_t tempo = tempoCount - 1; tempo-- > 0;) {
        TempoFit fit = fitTempo(tempo, timed, tune.capacity);
        if (betterFit(fit, best, tune.capacity)) best = std::move(fit);
    }
    tune.tempo = best.tempo;

    // Segments whose steps are all kept, for the errors reported.
    size_t kept = line.size();
    if (best.count + 1 > tune.capacity) {
        const uint64_t over = best.count + 1 - tune.capacity;
        if (!options.truncate) {
            result.error = "the tune is " + plural(over, "step") +
                           " too long for the memory: it needs " + plural(best.count, "step") +
                           " and the end marker, and the memory holds " +
                           std::to_string(tune.capacity) + "; --truncate keeps what fits";
            return result;
        }
        kept = best.steps[tune.capacity - 1].segment;
        best.steps.resize(tune.capacity - 1);
        tune.warnings.push_back("the tune is " + plural(over, "step") +
                                " too long for the memory; kept the first " +
                                plural(best.steps.size(), "step"));
    }
    for (const TimedStep& step : best.steps) {
        tune.steps.push_back(step.group);
        tune.longCodes |= (step.group & 0xFF) >= lengthCodeCount;
    }

    std::vector<bool> sounded(line.size());
    for (const TimedStep& step : best.steps) sounded[step.segment] = true;
    double centsSum = 0;
    for (size_t i = 0; i < kept; ++i) {
        tune.maxTimeMs = std::max(tune.maxTimeMs, best.errors[i] * 1000 / sampleRate);
        if (!sounded[i]) continue;
        if (line[i].note == noNote) {
            ++tune.rests;
            continue;
        }
        ++tune.notes;
        tune.maxCents = std::max(tune.maxCents, cents[i]);
        centsSum += cents[i];
    }
    tune.meanCents = tune.notes ? centsSum / tune.notes : 0;

    const auto verb = [](uint64_t count, const char* one, const char* more) {
        return count == 1 ? one : more;
    };
    if (const auto count = std::count(moved.begin(), moved.end(), true))
        tune.warnings.push_back(plural(count, "note") + verb(count, " was", " were") +
                                " moved by octaves into the kit's range");
    if (best.split)
        tune.warnings.push_back(plural(best.split, "note") + " longer than the longest step (" +
                                millis(best.longest) + verb(best.split, ") plays", ") play") +
                                " as repeated steps; the kit strikes each again");
    if (best.dropped)
        tune.warnings.push_back(plural(best.dropped, "note") +
                                " shorter than half the shortest step" +
                                verb(best.dropped, " was", " were") + " left out");
    result.ok = true;
    return result;
}

namespace {

// Free text for the preamble: printable ASCII only, and never the "---"
// that would end it early.
std::string preambleText(const std::string& text) {
    std::string safe;
    for (char c : text) safe += c >= 0x20 && c < 0x7F ? c : '?';
    for (size_t at; (at = safe.find("---")) != std::string::npos;) safe[at + 1] = ' ';
    return safe;
}

std::string hex3(uint32_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "%03X", value);
    return text;
}

std::string spacedDigits(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X %X %X %X", value >> 12 & 15, value >> 8 & 15,
                  value >> 4 & 15, value & 15);
    return text;
}

} // namespace

std::string importedScript(const ImportedTune& tune, const std::string& sourceName) {
    const uint32_t groups = uint32_t(tune.steps.size()) + 1;
    const std::string start = hex3(tune.startAddress);
    char unit[16];
    std::snprintf(unit, sizeof unit, "%.1f", unitMs(tune.tempo));
    char errors[160];
    std::snprintf(errors, sizeof errors,
                  "Each note is the kit's nearest tone (largest error %.0f cents); the\n"
                  "lengths follow the file's timing (largest difference %.0f ms).\n",
                  tune.maxCents, tune.maxTimeMs);
    std::string text = "KORVEL " + preambleText(tune.title) + "\n";
    text += "Imported by korvel-cli from " + preambleText(sourceName) + ", " +
            preambleText(tune.voice) + ",\n";
    text += tune.transpose ? "transposed by " + signedSemitones(tune.transpose) + " semitones.\n"
                           : "not transposed.\n";
    text += errors;
    text += "\nThe tune is " + std::to_string(groups) + " groups long: it starts at address " +
            start + ", plays at\ntempo " + std::to_string(tune.tempo) + " (one length unit is " +
            unit + " ms) and starts over after its end marker.\n\n";
    text += "To play it from this file: File > Load, STOP, then RUN.\n"
            "STOP ends whatever the kit was doing (a tune, the organ, digit entry).\n"
            "The last key this file types is a lone 0, so RUN plays the tune even on\n"
            "a kit that had halted, where STOP does nothing.\n\n";
    text += "To type it in on the keypad instead:\n"
            "  1. Tempo (address 00E):  0 0 0 E ADR,  " +
            spacedDigits(tune.tempo) +
            " WRITE\n"
            "  2. Start (address 000):  0 0 0 0 ADR,  " +
            spacedDigits(tune.startAddress) +
            " WRITE\n"
            "  3. Tune:                 " +
            spacedDigits(tune.startAddress) +
            " ADR, then each group below followed by WRITE\n"
            "     (each WRITE moves on to the next four addresses by itself)\n"
            "  4. RUN plays the tune; STOP ends it.\n\n";
    text += "A group reads on the LED as s3 s2 s1 s0. A note is divider, note, length:\n"
            "divider 0 is the highest octave, 1 the one below, 3 the one below that;\n"
            "note 0 do, 1 do#, 2 re, 3 re#, 4 mi, 5 fa, 6 fa#, 7 sol, 8 sol#, 9 la,\n"
            "A la#, B si; the length lasts (length + 1) units. EE and a length is a rest,\n"
            "EEEE ends the tune.\n";
    if (tune.longCodes)
        text += "A length of 20 or more counts in the units of a slower tempo: 20..3F\n"
                "last (length - 20 + 1) units of the next tempo up, 40..5F of the one\n"
                "after, and so on.\n";
    text += "---\n000E@ 000" + std::string(1, nibbleChar(tune.tempo)) + "W\n0000@ 0" + start +
            "W\n0" + start + "@\n";
    std::vector<uint16_t> all = tune.steps;
    all.push_back(endMarkerGroup);
    for (size_t i = 0; i < all.size(); ++i) {
        char group[8];
        std::snprintf(group, sizeof group, "%04XW", all[i]);
        text += group;
        text += i + 1 == all.size() || i % 4 == 3 ? "\n" : " ";
    }
    return text + "0\n";
}

std::string importReport(const ImportedTune& tune) {
    char text[1024];
    const std::string transpose =
        signedSemitones(tune.transpose) + " semitones" +
        (tune.transposeChosen ? " (chosen for the smallest largest pitch error)" : "");
    std::snprintf(text, sizeof text,
                  "voice:          %s, %s and %s\n"
                  "transposition:  %s\n"
                  "memory:         %zu of %u steps used from address %03X, end marker included\n"
                  "tempo:          row %u, one length unit %.1f ms\n"
                  "pitch error:    largest %.1f cents, mean %.1f cents\n"
                  "time error:     largest %.1f ms on one note or rest\n",
                  tune.voice.c_str(), plural(tune.notes, "note").c_str(),
                  plural(tune.rests, "rest").c_str(), transpose.c_str(), tune.steps.size() + 1,
                  tune.capacity, tune.startAddress, tune.tempo, unitMs(tune.tempo), tune.maxCents,
                  tune.meanCents, tune.maxTimeMs);
    return text;
}

} // namespace korvel::cli
