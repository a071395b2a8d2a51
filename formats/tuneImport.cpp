// From a MIDI song to melody steps: the voice, its line, pitches, lengths and memory.
#include "formats/tuneImport.h"

#include "formats/hexText.h"
#include "formats/kitTones.h"
#include "formats/scriptWriter.h"
#include "model/melody.h"
#include "model/script.h"
#include "model/toneBank.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <set>
#include <tuple>
#include <utility>

namespace korvel::formats {
namespace {

// Pitch errors closer than this are heard as the same; the kind and size of
// the transposition then decide.
constexpr double samePitchCents = 1.0;
// Below what a listener hears as a note out of tune.
constexpr double voiceSameCents = 25.0;
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
                plural(song.tracks.size(), "track");
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
        // Drums left out by default are named, so the user knows how to take them.
        const auto drums = [](const MidiTrack& track) {
            return std::any_of(track.notes.begin(), track.notes.end(), [](const MidiNote& note) {
                return note.channel == percussionChannel;
            });
        };
        if (!options.channel &&
            (options.track ? drums(song.tracks[*options.track - 1])
                           : std::any_of(song.tracks.begin(), song.tracks.end(), drums)))
            error += " but drums on channel 10; " + options.advice.takeDrums;
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

// A silence shorter than this carries no beat of its own: it is heard as how
// the note before it ends (detached, not held), not as a rest.
constexpr double articulationSeconds = 0.1;

// A silence between two notes that the kit sounds with different tones is
// articulation when it is shorter than articulationSeconds and than half of
// each note: the note before it sounds on into it, so a player's early
// releases cost no steps and do not pull the tempo row towards them.
// Staccato, whose silences last about as long as its notes, keeps its rests;
// so does a silence between two strikes of one tone, which the kit can only
// tell apart by a rest. The song's closing silence leads, with any opening
// one, to its first note, where play comes back; the opening one stays.
void joinArticulation(std::vector<Segment>& line, const MidiClock& clock,
                      const std::function<int(int note)>& toneOf) {
    const auto seconds = [&](const Segment& segment) {
        return clock.seconds(segment.end) - clock.seconds(segment.start);
    };
    std::vector<Segment> joined;
    for (size_t i = 0; i < line.size(); ++i) {
        const Segment& silence = line[i];
        if (silence.note == noNote && !joined.empty()) {
            const Segment& before = joined.back();
            double gap = seconds(silence);
            size_t next = i + 1;
            if (next == line.size()) {
                next = line.front().note == noNote ? 1 : 0;
                if (next == 1) gap += seconds(line.front());
            }
            const Segment& after = line[next];
            if (after.note != noNote && toneOf(before.note) != toneOf(after.note) &&
                gap < articulationSeconds && gap < seconds(before) / 2 &&
                gap < seconds(after) / 2) {
                joined.back().end = silence.end;
                continue;
            }
        }
        joined.push_back(silence);
    }
    line = std::move(joined);
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

// Of the shifts that reach every note, those within samePitchCents of the
// smallest largest error sound alike; of them a whole number of octaves keeps
// the tune's key, and then the smallest shift moves it least. When no shift
// reaches every note, none is made, so the message names the notes as written.
// octavesOnly weighs whole octaves alone, and takes errors within
// voiceSameCents as alike: a sung tune stays in the key and the octave it was
// sung in unless another octave is clearly truer (the kit's low tones lie
// closer together).
PitchPlan choosePitch(const std::vector<double>& pitches, bool fit, bool octavesOnly) {
    std::vector<PitchPlan> reaching;
    const int step = octavesOnly ? 12 : 1;
    for (int transpose = -transposeSearch; transpose <= transposeSearch; transpose += step) {
        const PitchPlan plan = planPitch(pitches, transpose, fit);
        if (plan.reachesAll) reaching.push_back(plan);
    }
    if (reaching.empty()) return planPitch(pitches, 0, fit);
    double smallest = INFINITY;
    for (const PitchPlan& plan : reaching) smallest = std::min(smallest, plan.maxCents);
    const auto preference = [](const PitchPlan& plan) {
        return std::make_tuple(plan.transpose % 12 != 0, std::abs(plan.transpose), plan.maxCents,
                               plan.transpose < 0);
    };
    std::optional<PitchPlan> chosen;
    const double alike = octavesOnly ? voiceSameCents : samePitchCents;
    for (const PitchPlan& plan : reaching)
        if (plan.maxCents <= smallest + alike &&
            (!chosen || preference(plan) < preference(*chosen)))
            chosen = plan;
    return *chosen;
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
    bool noteBegins;   // the line's first segment of its note: leaving it out loses the note
};

struct TimedStep {
    uint16_t group;
    size_t segment;
};

// Half the shortest step of the fastest row: a note shorter than this is
// left out at every row, so no choice of row can keep it.
const double playableSamples = noteLength(0, 0) / 2.0;

// How one tempo row plays the line. Its opening is the longest run of
// segments from the start whose steps fit memory with the end marker and
// which leaves out no note a faster row would keep: the whole line when the
// row can play it. The steps and the errors are the opening's.
struct TempoFit {
    uint32_t tempo = 0;
    uint64_t count = 0;                            // steps the whole tune needs
    bool losesNote = false;                        // some note a faster row would keep is left out
    size_t opening = 0;                            // segments
    std::vector<TimedStep> steps;                  // the opening's
    std::vector<double> lengthErrors, onsetErrors; // per segment of the opening, samples
    uint32_t longCodes = 0;
    uint32_t longest = 0; // samples of the longest step
    double meanMs = 0, maxMs = 0;
};

// Each segment's steps end as near to the segment's end as the lengths
// allow, so one step's rounding is made good by the next. A segment longer
// than the longest step is split into near-equal steps. A gap, or the part of
// a note heard again after a higher one, shorter than half the shortest step
// gives none: judged by the file's own time, so rounding leaves no rest. A
// note's beginning that short gives one only when the time left for it is
// long enough. Steps past what memory holds are only counted, so a song of
// hours costs no more than one that fits.
TempoFit fitTempo(uint32_t tempo, const std::vector<Timed>& segments, uint32_t capacity) {
    const std::vector<Length> lengths = lengthsAt(tempo);
    const double half = lengths.front().samples / 2.0;
    TempoFit fit;
    fit.tempo = tempo;
    fit.longest = lengths.back().samples;
    double now = 0; // where the steps so far end
    bool whole = true;
    for (size_t i = 0; i < segments.size(); ++i) {
        const Timed& segment = segments[i];
        const double begun = now, left = segment.end - now, own = segment.end - segment.start;
        const uint64_t pieces = left > fit.longest ? uint64_t(std::ceil(left / fit.longest)) : 1;
        if (own >= half || (segment.noteBegins && left >= half)) {
            for (uint64_t piece = 0; piece < pieces; ++piece) {
                if (fit.steps.size() == capacity) {
                    fit.count += pieces - piece;
                    now = std::max(now, std::round(segment.end));
                    break;
                }
                ++fit.count;
                const Length& length =
                    nearestLength(lengths, (segment.end - now) / (pieces - piece));
                fit.steps.push_back({uint16_t(segment.tone << 8 | length.code), i});
                now += length.samples;
            }
        } else if (segment.noteBegins && own >= playableSamples) {
            fit.losesNote = true;
        }
        whole = whole && !fit.losesNote && fit.count < capacity;
        if (!whole) continue;
        fit.opening = i + 1;
        fit.lengthErrors.push_back(std::fabs(now - begun - own));
        fit.onsetErrors.push_back(std::fabs(begun - segment.start));
    }
    while (!fit.steps.empty() && fit.steps.back().segment >= fit.opening) fit.steps.pop_back();
    for (const TimedStep& step : fit.steps) fit.longCodes += (step.group & 0xFF) >= lengthCodeCount;
    double sum = 0;
    for (double error : fit.lengthErrors) {
        sum += error;
        fit.maxMs = std::max(fit.maxMs, error * 1000 / sampleRate);
    }
    fit.meanMs = fit.opening ? sum * 1000 / sampleRate / double(fit.opening) : 0;
    return fit;
}

// Whether fit a beats fit b: it keeps a longer opening (the whole tune when
// it can), then has the smaller mean time error, then the smaller largest
// one, then fewer steps, then fewer lengths read from slower rows. Time errors
// closer than sameTimeMs are heard as the same.
bool betterFit(const TempoFit& a, const TempoFit& b, double sameTimeMs) {
    if (a.opening != b.opening) return a.opening > b.opening;
    if (std::fabs(a.meanMs - b.meanMs) > sameTimeMs) return a.meanMs < b.meanMs;
    if (std::fabs(a.maxMs - b.maxMs) > sameTimeMs) return a.maxMs < b.maxMs;
    return std::make_pair(a.steps.size(), a.longCodes) <
           std::make_pair(b.steps.size(), b.longCodes);
}

struct TempoChoice {
    TempoFit best;
    uint64_t fewestSteps; // the whole tune needs at a row that loses no note; row 0 never does
};

// From the slowest row, whose unit is most likely the tune's own beat: a
// faster one must do better to be taken.
// A given tempo row is the only one tried.
TempoChoice chooseTempo(const std::vector<Timed>& timed, uint32_t capacity,
                        std::optional<uint32_t> given, double sameTimeMs) {
    TempoChoice choice{fitTempo(given.value_or(tempoCount - 1), timed, capacity), UINT64_MAX};
    const auto count = [&](const TempoFit& fit) {
        if (!fit.losesNote) choice.fewestSteps = std::min(choice.fewestSteps, fit.count);
    };
    count(choice.best);
    for (uint32_t tempo = given ? 0 : tempoCount - 1; tempo-- > 0;) {
        TempoFit fit = fitTempo(tempo, timed, capacity);
        count(fit);
        if (betterFit(fit, choice.best, sameTimeMs)) choice.best = std::move(fit);
    }
    return choice;
}

// format: one printf conversion of a double, such as "%.0f".
std::string millis(double samples, const char* format) {
    char number[32];
    std::snprintf(number, sizeof number, format, samples * 1000 / sampleRate);
    return std::string(number) + " ms";
}

// How long one length unit lasts at a tempo row.
double unitMs(uint32_t tempo) {
    return (tempo + 1) * 1000.0 / 60;
}

std::string signedSemitones(int transpose) {
    return (transpose > 0 ? "+" : "") + std::to_string(transpose);
}

std::string outOfReach(const MidiSong& song, const MidiNote& note, int transpose,
                       const ImportAdvice& advice) {
    const bool above = note.pitch + transpose > highestReach();
    std::string text = "the note " + keyName(note.key) + " in " + barAndBeat(song, note.start) +
                       " is " + (above ? "above" : "below") + " the kit's range " +
                       keyName(int(std::ceil(lowestReach()))) + " to " +
                       keyName(int(std::floor(highestReach())));
    if (transpose) text += " (transposed by " + signedSemitones(transpose) + ")";
    return text + "; " + advice.fit;
}

} // namespace

std::vector<VoiceChoice> voiceChoices(const MidiSong& song) {
    constexpr uint32_t channels = 16;
    std::vector<VoiceChoice> choices{{"Automatic", {}, {}}};
    std::array<uint64_t, channels> songNotes{};
    std::vector<VoiceChoice> trackChannels;
    for (uint32_t t = 0; t < song.tracks.size(); ++t) {
        const MidiTrack& track = song.tracks[t];
        if (track.notes.empty()) continue;
        const std::string name = "Track " + std::to_string(t + 1) + quotedName(track.name);
        choices.push_back({name + ": " + plural(track.notes.size(), "note"), t + 1, {}});
        std::array<uint64_t, channels> notes{};
        for (const MidiNote& note : track.notes) ++notes[note.channel];
        const auto used = std::count_if(notes.begin(), notes.end(), [](uint64_t n) { return n; });
        for (uint32_t c = 0; c < channels; ++c) {
            songNotes[c] += notes[c];
            if (used > 1 && notes[c])
                trackChannels.push_back(
                    {name + ", channel " + std::to_string(c + 1) + ": " + plural(notes[c], "note"),
                     t + 1, c + 1});
        }
    }
    for (uint32_t c = 0; c < channels; ++c)
        if (songNotes[c])
            choices.push_back({"Channel " + std::to_string(c + 1) +
                                   ", all tracks: " + plural(songNotes[c], "note"),
                               {},
                               c + 1});
    choices.insert(choices.end(), trackChannels.begin(), trackChannels.end());
    return choices;
}

ImportResult importTune(const MidiSong& song, const ImportOptions& options,
                        const std::string& fallbackTitle) {
    ImportResult result{false, {}, {}};
    ImportedTune& tune = result.tune;
    Voice voice;
    if (!selectVoice(song, options, voice, result.error)) return result;
    tune.voice = voice.description;
    tune.title = voice.title.empty() ? fallbackTitle : voice.title;
    std::vector<Segment> line = melodyLine(voice.notes, voice.end);

    std::vector<double> pitches;
    for (const Segment& segment : line)
        if (segment.note != noNote) pitches.push_back(voice.notes[segment.note].pitch);
    std::sort(pitches.begin(), pitches.end());
    pitches.erase(std::unique(pitches.begin(), pitches.end()), pitches.end());
    const PitchPlan pitch = options.transpose
                                ? planPitch(pitches, *options.transpose, options.fit)
                                : choosePitch(pitches, options.fit, options.octavesOnly);
    tune.transpose = pitch.transpose;
    tune.transposeChosen = !options.transpose;
    const MidiClock clock(song);
    joinArticulation(line, clock, [&](int note) {
        const double p = placed(voice.notes[note].pitch, tune.transpose, options.fit);
        return std::isnan(p) ? noNote : int(nearestTone(p).toneIndex);
    });
    std::vector<Timed> timed;
    std::vector<bool> moved(voice.notes.size()), reached(voice.notes.size());
    std::vector<double> cents(line.size()); // each segment's pitch error, for the report
    for (size_t i = 0; i < line.size(); ++i) {
        const Segment& segment = line[i];
        Timed t{clock.seconds(segment.start) * sampleRate, clock.seconds(segment.end) * sampleRate,
                gapTone, false};
        if (segment.note != noNote) {
            const MidiNote& note = voice.notes[segment.note];
            const double p = placed(note.pitch, tune.transpose, options.fit);
            if (std::isnan(p)) {
                result.error = outOfReach(song, note, tune.transpose, options.advice);
                return result;
            }
            if (p != note.pitch + tune.transpose) moved[segment.note] = true;
            const NearestTone nearest = nearestTone(p);
            t.tone = uint16_t(dividerOf(nearest.toneIndex) << 4 | noteNumberOf(nearest.toneIndex));
            t.noteBegins = !reached[segment.note];
            reached[segment.note] = true;
            cents[i] = std::fabs(nearest.cents);
        }
        timed.push_back(t);
    }

    tune.startAddress = options.startAddress;
    // Typing runs on past the last nibble to the first, as the player does.
    tune.capacity = options.capacity.value_or(memoryNibbles / stepNibbles);
    const auto [best, fewestSteps] =
        chooseTempo(timed, tune.capacity, options.tempo, options.sameTimeMs);
    tune.tempo = best.tempo;

    std::vector<uint32_t> stepsOf(best.opening); // each segment's steps
    for (const TimedStep& step : best.steps) {
        tune.steps.push_back(step.group);
        tune.longCodes |= (step.group & 0xFF) >= lengthCodeCount;
        ++stepsOf[step.segment];
    }
    uint32_t split = 0, dropped = 0;
    double centsSum = 0;
    for (size_t i = 0; i < best.opening; ++i) {
        tune.maxTimeMs = std::max(tune.maxTimeMs, best.lengthErrors[i] * 1000 / sampleRate);
        dropped += timed[i].noteBegins && !stepsOf[i];
        if (!stepsOf[i]) continue;
        tune.maxOnsetMs = std::max(tune.maxOnsetMs, best.onsetErrors[i] * 1000 / sampleRate);
        if (line[i].note == noNote) {
            ++tune.rests;
            continue;
        }
        ++tune.notes;
        split += stepsOf[i] > 1;
        tune.maxCents = std::max(tune.maxCents, cents[i]);
        centsSum += cents[i];
    }
    tune.meanCents = tune.notes ? centsSum / tune.notes : 0;

    const bool cut = best.opening < line.size();
    const std::string tooLong = cut ? "the tune is " +
                                          plural(fewestSteps + 1 - tune.capacity, "step") +
                                          " too long for the memory"
                                    : "";
    if (cut && !options.truncate) {
        result.error = tooLong + ": it needs " + plural(fewestSteps, "step") +
                       " and the end marker, and the memory holds " +
                       std::to_string(tune.capacity) + "; " + options.advice.truncate;
        return result;
    }
    if (!tune.notes) {
        result.error = cut ? "the part of the tune that fits the memory holds no note"
                           : "every note is shorter than " + millis(playableSamples, "%.1f") +
                                 ", half the kit's shortest step: there is nothing to play";
        return result;
    }
    if (cut) {
        const auto notesIn = [&](size_t count) {
            return std::count_if(timed.begin(), timed.begin() + count,
                                 [](const Timed& t) { return t.noteBegins; });
        };
        char seconds[64];
        std::snprintf(seconds, sizeof seconds, " (%.1f of %.1f s)",
                      clock.seconds(line[best.opening].start), clock.seconds(line.back().end));
        tune.warnings.push_back(tooLong + "; kept the first " +
                                std::to_string(notesIn(best.opening)) + " of " +
                                plural(notesIn(line.size()), "note") + ", up to " +
                                barAndBeat(song, line[best.opening].start) + seconds);
    }

    const auto verb = [](uint64_t count, const char* one, const char* more) {
        return count == 1 ? one : more;
    };
    if (const auto count = std::count(moved.begin(), moved.end(), true))
        tune.warnings.push_back(plural(count, "note") + verb(count, " was", " were") +
                                " moved by octaves into the kit's range");
    if (split)
        tune.warnings.push_back(plural(split, "note") + " longer than the longest step (" +
                                millis(best.longest, "%.0f") + verb(split, ") plays", ") play") +
                                " as repeated steps; the kit strikes each again");
    if (dropped)
        tune.warnings.push_back(
            plural(dropped, "note") + " shorter than " + millis(playableSamples, "%.1f") +
            ", half the kit's shortest step," + verb(dropped, " was", " were") + " left out");
    result.ok = true;
    return result;
}

namespace {

std::string spacedDigits(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%X %X %X %X", value >> 12 & 15, value >> 8 & 15,
                  value >> 4 & 15, value & 15);
    return text;
}

} // namespace

// The header tells what any edition can do with the file: the words name no
// program and no menu, which one reading the file may not have.
std::string importedScript(const ImportedTune& tune, const std::string& sourceName) {
    const uint32_t groups = uint32_t(tune.steps.size()) + 1;
    char unit[16];
    std::snprintf(unit, sizeof unit, "%.1f", unitMs(tune.tempo));
    char errors[160];
    std::snprintf(errors, sizeof errors,
                  "Each note is the kit's nearest tone (largest error %.0f cents); the\n"
                  "lengths follow the file's timing (largest difference %.0f ms).\n",
                  tune.maxCents, tune.maxTimeMs);
    std::string text = tune.heard
                           ? "Imported from the recording " + preambleText(sourceName) + ",\n"
                           : "Imported from the MIDI file " + preambleText(sourceName) + ", " +
                                 preambleText(tune.voice) + ",\n";
    text += tune.transpose ? "transposed by " + signedSemitones(tune.transpose) + " semitones.\n"
                           : "not transposed.\n";
    text += errors;
    text += "\nThe tune is " + std::to_string(groups) + " groups long: it starts at address " +
            addressText(tune.startAddress) + ", plays at\ntempo " + hexText(tune.tempo, 1) +
            " (one length unit is " + unit + " ms) and starts over after its end marker.\n\n";
    text += "To play it from this file: load the file, press STOP, then RUN.\n"
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
    std::vector<uint16_t> all = tune.steps;
    all.push_back(endMarkerGroup);
    return tuneScriptText(
        {tune.title, text, tune.tempo, tune.startAddress, tune.startAddress, std::move(all)});
}

std::vector<ReportRow> importReport(const ImportedTune& tune) {
    char text[160];
    const auto printed = [&text](const char* format, auto... values) {
        std::snprintf(text, sizeof text, format, values...);
        return std::string(text);
    };
    const char* chosen = tune.heard ? " (whole octaves only, so the tune keeps the key it was "
                                      "sung in)"
                                    : " (chosen for the smallest largest pitch error, to a "
                                      "cent; octaves first)";
    const std::string transpose =
        signedSemitones(tune.transpose) + " semitones" + (tune.transposeChosen ? chosen : "");
    return {
        {"voice",
         tune.voice + ", " + plural(tune.notes, "note") + " and " + plural(tune.rests, "rest")},
        {"transposition", transpose},
        {"memory", printed("%zu of %u steps used from address %03X, end marker included",
                           tune.steps.size() + 1, tune.capacity, tune.startAddress)},
        {"tempo", printed("%X, one length unit %.1f ms", tune.tempo, unitMs(tune.tempo))},
        {"pitch error",
         printed("largest %.1f cents, mean %.1f cents", tune.maxCents, tune.meanCents)},
        {"time error", printed("largest %.1f ms in a length, %.1f ms in an onset", tune.maxTimeMs,
                               tune.maxOnsetMs)},
    };
}

} // namespace korvel::formats
