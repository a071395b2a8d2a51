#include "listen/transcriber.h"

#include "listen/harmonicEnergy.h"
#include "listen/pi.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace korvel::listen {

namespace {
constexpr double lowestHz = 55;        // A1, below the lowest hum
constexpr double analysedRate = 16000; // enough for a whistle's fundamental, and quick
constexpr size_t medianFrames = 5;
constexpr double voicedAperiodicity = 0.3;
constexpr double gateDb = -60;            // quieter frames are silence
constexpr double jumpCents = 40;          // the least step from a steady note to another
constexpr double youngJumpCents = 70;     // the least step in the first cycle of vibrato
constexpr double vibratoMarginCents = 35; // beyond the vibrato's swing, a step to another note
constexpr size_t jumpFrames = 3;          // how long a new pitch holds before it is a new note
constexpr size_t betweenFrames = 2; // a note's last frames, which may lie between it and the next
constexpr size_t referenceFrames = 20; // 200 ms, a cycle of slow vibrato
// A glide away from a note: the least that stays of the old note, and how far
// along the glide the new note began. Where the note held is read over a cycle of
// vibrato before the glide, and the glide must settle as far from there as a step
// to another note goes (the kit's mi and fa, 53 cents apart, are reached by a
// glide too).
constexpr size_t shortestFrames = 10;
constexpr double glideOnset = 1.0 / 3;
// Two notes close together beat as the new one enters: at the first null the period
// heard swings past the old note, away from the new one, for about a beat cycle (the
// kit's mi and fa beat at 10 Hz), before it glides over. A note held steady (swinging
// under entryHeldCents) does not swing so far by itself, past its own swing by
// entryPullCents; the new note entered in the middle of that swing.
constexpr double entryHeldCents = 15;
constexpr double entryPullCents = 10;
constexpr size_t entryBeatFrames = 10;
constexpr size_t octaveFrames = 8; // how long a jump of an octave holds before it is a new note
constexpr double riseDb = 6;
// Of the depth a dip must have, what the lesser of its fall and its rise must
// reach: a new bow stroke or breath starts softly, so the level comes back only
// part of the way at first, and a new syllable may swell over a small dip.
constexpr double riseOfDip = 0.5;
// A dip the level fell further into than it rose out of must fall and rise by this
// many times the depth in all: a held note's tremolo, a choir's beating or a room's
// reverb at its deepest falls just past the depth and comes back half of it, while a
// new bow stroke or breath falls well past it (4 dB past, mostly) or comes back further.
constexpr double dipTravel = 1.75;
constexpr size_t riseFrames = 6;
constexpr double regainedDb = 1; // a dip the level came back to within this of its height is past
// A new syllable or breath over a note held steady (swinging less than half of
// riseDb) may part from it by no dip at all: its attack lifts the level by this
// much of the depth a dip must have within swellFrames, faster than any tremolo.
constexpr double swellOfDepth = 0.75;
constexpr size_t swellFrames = 3;
// A new bow stroke or breath may start so softly that its level grows back
// over 300 ms, too slowly for riseFrames: a fall this many times the depth a
// dip must have (no tremolo falls so far) is watched that long for the rise.
constexpr double deepFall = 1.5;
constexpr size_t slowRiseFrames = 30;
constexpr double attackSeconds = 0.08;
// An instrument's attack may swell, fall and swell again: no note is sung again sooner.
constexpr double shortestRepeat = 0.2;
// A note sung again that a step to another pitch follows sooner was the old
// note ringing on in a room, or the next note's attack: it stays the old note.
constexpr double shortestResung = 0.3;
// A note sung again comes back about as loud as the voice sang the note before; one
// that stays this far (dB) under that note's loudest was its release wavering as it
// fades (a choir's ensemble beats on through its release): it stays the old note.
constexpr double fadingResungDb = 10;
constexpr size_t tremoloFrames = 15; // a cycle of the slowest tremolo
// The swing taken for a note younger than that: the voice's own tremolo, as the
// note before swung over a whole cycle, but no less than leastYoungSwingDb (a
// young note's attack still settles); youngSwingDb before any note was heard so long.
constexpr double youngSwingDb = 13;
constexpr double leastYoungSwingDb = 10;
constexpr double swingMargin = 2;    // dB a rise must pass the note's own tremolo by
constexpr double fadeDb = 20;        // below the note's loudest, a voice without pitch has ended it
constexpr double longestHold = 0.15; // seconds a note is held through frames without pitch
constexpr double shortestNote = 0.1; // shorter notes alone are noise
constexpr double shortestJoined = 0.1; // shorter notes before another are its scoop
// Shorter notes an octave, a twelfth or two octaves from the note before, that
// far below the note after, or an octave above it, are the tracker's slip on a
// crossfade (the old note's octave, the two notes' common undertone, or the new
// note's second partial, which a choir's attack sounds strongest): a scoop too.
constexpr double shortestSlip = 0.2;
constexpr double longestSlip = 0.3; // the same, once the note after is sure
// Two notes crossfading repeat at no period well: a stretch shorter than
// longestSlip between them whose middle was at most this periodic (a note's
// confidence) was neither. A quick note in a room may be nearly as unsure, so
// the line is low.
constexpr double caughtConfidence = 0.35;
// A note heard after the tracker held its undertone is its own only when heard at least
// this periodic.
constexpr double sureUndertoneConfidence = 0.65;
constexpr size_t maxNoteFrames = 3000; // 30 s: the middle of a longer note is read from these
// How closely notes must agree on where they fall between semitones for
// that to be the voice's tuning (1: all alike; 0.5: spread evenly over 60 cents).
constexpr double minAgreement = 0.5;
constexpr double middleTrim = 0.2; // of a note's frames left out at each end for its pitch
// Of a note that began in a crossfade, the frames left out at its start for its
// pitch: the old note rings on through them and pulls the tracker's period.
constexpr double crossfadeTrim = 0.5;

// A step up to a multiple of the old pitch: the new note's onset is sought this
// far back, from the balance of the two notes' partials.
constexpr double lookBack = 0.4;
constexpr size_t onsetPartials = 3;
constexpr double shortestWindow = 0.03; // seconds
constexpr double onsetRise = 0.2;       // of the balance's rise from the old note to the new
// A voice's or an instrument's partials next to each other lie within this (dB): an
// old note whose own partials stayed further under the new note's was never sounded.
constexpr double neverOwnDb = 20;
// Any other step: once the new note has been heard this long, its pitch is sure
// enough to seek where its partials rose against the old note's, this far back
// (a choir's crossfade may keep the tracker off both notes for 350 ms).
constexpr double settleSeconds = 0.15;
// A note whose onset lies back where the old pitch was lost may reach settleSeconds
// after a frame or two of its own, heard perhaps at the crossfade's undertone: once
// it has been heard that long itself, it is settled again if its pitch then lies
// further from the one first taken than a crossfade's pull (up to 70 cents).
constexpr double settledPull = 0.7;
constexpr double stepLookBack = 0.5;
constexpr double stepRiseDb = 10;    // the least rise of that balance, taken as one step
constexpr double stepEarlier = 0.05; // an onset found no earlier than this is kept as heard
// A stretch joined to the note after it lends that note its onset. One heard as periodic
// as a held note was the note's own scoop or glide; one heard less surely (a slip onto
// the crossfade's undertone, a blend, a pad's short note heard low under the old note)
// was not, where the new note's own partials stepped up stepEarlier or more after it.
constexpr double scoopConfidence = 0.85;
// Notes further apart than this (semitones) are sought so: the kit's mi and fa, 53 cents
// apart, are heard 35 to 50 cents apart over a choir's first 150 ms, as the old note
// rings on and pulls the tracker's period.
constexpr double leastStep = 0.3;
// A note's start heard as the old note rang on lies at most this far (semitones) from
// its pitch: the choir's A4 was heard 80 cents under where it settled, for 140 ms.
constexpr double pulledApart = 1;
// A choir's new note may enter under the old one before that fades: the balance
// then rises in two stages, and the note began at the first where its own
// partials rose the more there and the old note's fell by oldFadeDb at the second.
constexpr double stageRiseDb = 6;
constexpr double oldFadeDb = stepRiseDb / 2;
// Seconds the first stage must last: a burst of noise over both notes just
// before the old one stops is shorter.
constexpr double shortestStage = 0.07;
// Notes closer than this (semitones) part only at their third partial within the
// longest window, and a vibrato swings it in and out of the window's reach (a violin's
// mi to fa rose in a first stage 150 ms early): their onset is the step itself.
constexpr double closeStep = 0.5;
// A short note between two in a crossfade may never be the louder, and the
// tracker never hears it. Its own partials rose by stepRiseDb against the old
// note's, its fundamental among them by hiddenClearDb (an upper partial shared
// with another pitch rises with that pitch), and stayed under the old note's but
// within fadeDb of them (louder, the tracker would have heard it); then, before
// the new note, they lay hiddenOverNextDb above the new note's, and the new note's
// own partials rose by stepRiseDb where the balance stepped to it. A pad's next note
// may already sound a few dB under the short one before it swells in (the choir's
// A3 between G3 and B3 stood 5.4 dB over the B3).
constexpr double hiddenClearDb = 6;
constexpr double hiddenOverNextDb = 4;
// Its own partials are only some of its first three, and the old note's only some of
// its: a note that much louder (dB) than the old note's own may still leave the tracker
// on the old period (the choir's quick reel's B4 between A4 and C5 stood 1.5 dB over).
constexpr double hiddenOverDb = 3;
// Candidates for it closer than this (semitones) are neighbouring semitones.
constexpr double nextSemitoneApart = 1.5;
// A short note heard as a blend lies further from the old note than a crossfade's pull,
// and at most furthestBlend (semitones); the note a step further may read blendUnderDb
// under the pitch heard, as both notes' partials leak into the windows of a pitch between
// them; its step lies at most blendLookBack (seconds) before the onset heard.
constexpr double furthestBlend = 2, blendUnderDb = 4, blendLookBack = 0.12;
// Notes closer than the longest window parts (a semitone or less at a low pitch) are
// parted there at their third partials only. Where no step was found so, they are read
// again with a window of two cycles of their difference, up to this long, which parts
// their second partials too; closer notes no window parts in time.
constexpr double closeWindow = 0.2;
// A tune's notes start on a grid of beats, so a note of one pitch sung again
// inside a held note (a choir's ensemble beating swings its level more than any
// dip) is told by weak cues only where the grid puts a note: there the old
// note's release dips the level by gridDipDb, from the cueFrames before (up to
// cueGapFrames before the point), within dipFrames of the point, and it comes back
// by gridComeBackDb over the cueFrames after: a choir's or a bow's new note swells
// in over 200 ms or more, so only its start is heard so soon, while a beating's
// swell falling back onto the held note does not come back at all; and the band
// above highBandHz (the old note's upper partials, which fade first) falls by
// highFallDb, its mean over highAfterFrames against the highBeforeFrames ending
// highGapFrames earlier, starting up to highLeadFrames before the point or
// highLagFrames after. Elsewhere in a held note the same cues come by chance about
// as often as at the grid, and are left alone.
constexpr double gridDipDb = 5, gridComeBackDb = 1;
constexpr std::ptrdiff_t cueFrames = 20, cueGapFrames = 5, dipFrames = 8;
constexpr double highBandHz = 2500;
constexpr size_t highBandHops = 4; // the band is read over about a frame
constexpr double highFallDb = 3;
constexpr std::ptrdiff_t highAfterFrames = 9, highBeforeFrames = 12, highGapFrames = 3;
constexpr std::ptrdiff_t highLeadFrames = 14, highLagFrames = 2;
// The frames the high band's fall is read over before a point.
constexpr std::ptrdiff_t highFallHistory = highLeadFrames + highGapFrames + highBeforeFrames;
// Where the high band holds (a choir's ensemble sustains it through the release), the
// new note's attack may still show on the grid: its voices start afresh, so the fine
// spectrum between attackLowHz and attackHighHz (read over attackWindowSeconds) changes.
// The mean rise of its bins over attackSpanFrames peaks, from attackLeadFrames before
// the point to attackLagFrames after (the new note swells in slowly), attackRiseDb above
// its mean over the frames from attackBaseFrames to attackBaseEndFrames before: the held
// note's own beating sets how much it moves.
constexpr double attackLowHz = 1000, attackHighHz = 2500, attackWindowSeconds = 0.04;
constexpr double attackRiseDb = 2.6;
constexpr std::ptrdiff_t attackSpanFrames = 6, attackLeadFrames = 5, attackLagFrames = 13;
constexpr std::ptrdiff_t attackBaseFrames = 30, attackBaseEndFrames = 15;
// Both cues only just past their lines at once are what a choir's ensemble beating
// makes inside held notes: together they must pass them by this much (dB).
constexpr double cuesMarginDb = 0.5;
// The beat is the commonest interval between the last gridOnsets onsets (smoothed
// by beatSpread, as sung onsets stray), or the largest part of it (down to a
// quarter) that explainedIntervals of them are whole multiples of, within
// onGridSeconds or a tenth: notes sung again but heard as one hide the beat, and a
// choir's onsets stray past it (two in six of a tune's first intervals). Each part
// is first fitted to the whole beats of the intervals on it.
// Intervals outside a quick note's to a long rest's say nothing of it.
constexpr size_t gridOnsets = 24;
constexpr size_t leastIntervals = 4;
constexpr double shortestBeat = 0.12, longestBeat = 1.5, longestInterval = 2.5;
constexpr double beatSpread = 0.03;
constexpr int smallestPart = 4;
constexpr double onGridSeconds = 0.04;
constexpr double explainedIntervals = 0.65;
// A grid point is judged gridJudged after it, once the note sung again has sounded
// that long, and none lies within a beat's gridBeatFraction of the note's onset nor
// before the cueFrames its dip is read against lie in the note (gridYoung): in a
// quick tune a note is sung again a beat of 200 ms after the last.
constexpr double gridJudged = 0.3;
// Where the grid expects a note, the level rule asks a dip of gridLeastDipDb only,
// not riseDb, within gridDipSeconds of a grid point: in a room the old note's
// reverb fills the gap before a note sung again on the beat. The margin over the
// note's own tremolo stays: a choir's beating swings as deep on the beat as off it.
constexpr double gridLeastDipDb = 5;
constexpr double gridDipSeconds = 0.02;
constexpr double gridYoung = double(cueFrames) * Transcriber::frameSeconds;
// A note sung again at a shallow dip is judged by the same cues this long after it began:
// once their windows after it are heard (0.15 s), and before the samples they read
// before it (0.7 s kept) are gone.
constexpr double attackJudged = 0.2;
constexpr double gridBeatFraction = 0.75;
// A choir's or a bow's new note swells in slowly, so the level rises halfway out of
// the dip up to 150 ms after the note began. Where it rose halfway slowSwellSeconds or
// more after the level had fallen fallenDb, and a grid point lies up to gridLateSeconds
// before it, the note began on that point, if the level had fallen so by fallLagSeconds
// after it: the old note's release begins with the new note. A quicker rise is dated
// right by the level itself.
constexpr double gridLateSeconds = 0.15;
constexpr double slowSwellSeconds = 0.05;
constexpr double fallenDb = 3;
constexpr double fallLagSeconds = 0.05;
// The grid's points in notes heard before the tune's beat was known (a tune's first
// notes come before enough onsets for one) are judged once it is, this far back; the
// beat must then be no quicker than a quick tune's (shortestRepeat): a finer one, read
// from so few onsets, is a part of their commonest interval that few of them confirm,
// and its dense points let a choir's beating pass the weak cues by chance.
constexpr double gridLookBack = 4;
constexpr size_t heardFrames =
    size_t(gridLookBack / Transcriber::frameSeconds + highLeadFrames + highGapFrames +
           highBeforeFrames); // and enough to judge a grid point gridJudged after it
// A tune sings its phrases again. A note held where another time the same phrase sang
// two notes of its pitch (as long together, with phraseNeighbours notes about them of
// the same pitches and lengths, within spanTolerance of the longer) was most likely sung
// twice here too, where the weak cues of a note sung again lie within onGridSeconds of
// the same place in it: a choir's ensemble hides most notes sung again in one
// occurrence and not in another, and the tune alone cannot tell a held note from two
// (a tune may hold in one verse the note it sings twice in another).
constexpr size_t phraseNeighbours = 2;
constexpr double spanTolerance = 0.25;
// A phrase comes back within the tune the kit's memory holds (128 steps): a twin is
// sought no further off, so hours of notes are read in a time that grows with their count.
constexpr size_t phraseReach = 128;
// The weak cues are kept as runs of frames, at most twice as many as notes are read
// (the corpus has one run for every eight notes heard), so hours of a microphone stay
// bounded.
constexpr size_t maxCueRuns = 4096;
// Read once a shortest note's length, the levels' means stray this far from those
// read every frame.
constexpr double coarseSlackDb = 3;

double hertz(double semitones) {
    return 440 * std::pow(2, (semitones - 69) / 12);
}

// Partials of a note (its first onsetPartials) that no partial of the other note lies near.
// A third note's partials (third NAN: none) are left out too.
std::vector<double> ownPartials(double note, double other, double near, double nyquist,
                                double third = NAN) {
    const auto nearPartialOf = [near](double f, double of) {
        return !std::isnan(of) && std::fabs(f - std::max(1.0, std::round(f / of)) * of) < near;
    };
    std::vector<double> own;
    for (size_t h = 1; h <= onsetPartials && double(h) * note < nyquist - near; ++h) {
        const double f = double(h) * note;
        if (!nearPartialOf(f, other) && !nearPartialOf(f, third)) own.push_back(f);
    }
    return own;
}

// A note's first onsetPartials partials.
std::vector<double> partialsOf(double note, double nyquist) {
    std::vector<double> partials;
    for (size_t h = 1; h <= onsetPartials && double(h) * note < nyquist; ++h)
        partials.push_back(double(h) * note);
    return partials;
}

// Samples read for a partial's energy: long enough for a Hann window's main lobe
// to part the two notes' partials.
double windowSamples(double from, double to, double rate, double longest) {
    return std::clamp(2 * rate / std::fabs(to - from), shortestWindow * rate, longest * rate);
}

// Where values, oldest first, step from one level to another: the split into two
// runs that leaves the least squared error about their means, and the rise there.
std::pair<size_t, double> stepIn(const std::vector<double>& values, size_t shortestRun) {
    double total = 0, totalSquares = 0;
    for (const double v : values) {
        total += v;
        totalSquares += v * v;
    }
    double least = INFINITY, left = 0, leftSquares = 0;
    std::pair<size_t, double> step = {0, 0};
    for (size_t k = 1; k + shortestRun <= values.size(); ++k) {
        left += values[k - 1];
        leftSquares += values[k - 1] * values[k - 1];
        const double before = double(k), after = double(values.size() - k);
        const double error = leftSquares - left * left / before + (totalSquares - leftSquares) -
                             (total - left) * (total - left) / after;
        if (k >= shortestRun && error < least) {
            least = error;
            step = {k, (total - left) / after - left / before};
        }
    }
    return step;
}

double semitones(double frequency) {
    return 69 + 12 * std::log2(frequency / 440);
}

// The note ends where another begins, with no gap: notes parted by the tracker.
bool endsAt(const HeardNote& note, double time) {
    return std::fabs(note.onset + note.duration - time) < 1e-9;
}

// Two notes crossfading sound their common undertone, or an octave of the old
// one, for a moment: the tracker may hold it long enough to look like a note.
bool harmonicOf(double pitch, double other) {
    const double apart = std::fabs(pitch - other);
    for (const double interval : {12.0, 19.0, 24.0})
        if (std::fabs(apart - interval) < 0.6) return true;
    return false;
}

// A stretch of pitch before the note of pitch next, heard as the tracker's slip
// on its attack: the crossfade's undertone of next, or next's second partial,
// which a choir's attack sounds strongest.
bool slipsToward(double pitch, double next) {
    return (pitch < next && harmonicOf(pitch, next)) || std::fabs(pitch - next - 12) < 0.6;
}

// The level of a note's partials, in dB, in the window at at.
double levelDb(const HarmonicEnergy& partials, const float* at) {
    return 10 * std::log10(partials.at(at) + 1e-9);
}

// The balance of a note's own partials against another's, in dB, in the window at at.
double balanceDb(const HarmonicEnergy& own, const HarmonicEnergy& other, const float* at) {
    return levelDb(own, at) - levelDb(other, at);
}

double meanOf(const std::vector<double>& values, size_t from, size_t to) {
    double total = 0;
    for (size_t k = from; k < to; ++k) total += values[k];
    return total / double(to - from);
}

// A pitch's own level from at to ended lay under the old note's before at, but within
// fadeDb of it (louder, the tracker would have heard the pitch), give or take slackDb.
bool staysUnder(const std::vector<double>& own, const std::vector<double>& old, size_t at,
                size_t ended, double slackDb) {
    const double againstOld = meanOf(own, at, ended) - meanOf(old, 0, at);
    return againstOld <= slackDb && againstOld >= -fadeDb - slackDb;
}

// Where the balance (own level less old level, one a frame, oldest first) that
// steps up at at rose by stageRiseDb in an earlier stage, lasting shortestStage,
// and the new note's own level rose more there than at at, where the old note
// faded: the new note began there. Otherwise at.
size_t earlierStage(const std::vector<double>& own, const std::vector<double>& old,
                    const std::vector<double>& balance, size_t at) {
    const auto [stage, rise] = stepIn({balance.begin(), balance.begin() + long(at)}, 3);
    if (stage == 0 || rise < stageRiseDb ||
        double(at - stage) * Transcriber::frameSeconds < shortestStage)
        return at;
    const double ownAtStage = meanOf(own, stage, at) - meanOf(own, 0, stage);
    const double ownAtStep = meanOf(own, at, own.size()) - meanOf(own, stage, at);
    const double oldAtStep = meanOf(old, at, old.size()) - meanOf(old, stage, at);
    return ownAtStage > ownAtStep && oldAtStep < -oldFadeDb ? stage : at;
}

double median(std::vector<double> values) {
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// A high-pass above highBandHz, at rate.
HighPass highBandPass(double rate) {
    const double w = 2 * pi * highBandHz / rate, alpha = std::sin(w) / std::sqrt(2.0);
    const double a0 = 1 + alpha, c = std::cos(w);
    HighPass pass;
    pass.b0 = (1 + c) / 2 / a0, pass.b1 = -(1 + c) / a0, pass.a1 = -2 * c / a0;
    pass.a2 = (1 - alpha) / a0;
    return pass;
}

// The energy of count samples after the high-pass.
double highPassedEnergy(const float* samples, size_t count, HighPass& pass) {
    double sum = 0;
    for (size_t i = 0; i < count; ++i) {
        double x = samples[i];
        for (auto& [x1, x2, y1, y2] : pass.sections) {
            const double y =
                pass.b0 * x + pass.b1 * x1 + pass.b0 * x2 - pass.a1 * y1 - pass.a2 * y2;
            x2 = x1, x1 = x, y2 = y1, y1 = y, x = y;
        }
        sum += x * x;
    }
    return sum;
}

bool onGrid(double interval, double beat) {
    const double beats = std::max(1.0, std::round(interval / beat));
    return std::fabs(interval - beats * beat) < std::max(onGridSeconds, 0.1 * beat);
}

// The beat that the intervals on it give together, fitted to all their whole
// beats at once: a sung tune's onsets stray, and a long interval of whole beats
// fixes the beat more exactly than the commonest interval's peak does.
double wholeBeat(const std::vector<double>& intervals, double beat) {
    double sum = 0, squares = 0;
    for (double interval : intervals)
        if (onGrid(interval, beat)) {
            const double beats = std::max(1.0, std::round(interval / beat));
            sum += beats * interval, squares += beats * beats;
        }
    return squares > 0 ? sum / squares : beat;
}

// The tune's beat from its onsets, NAN when too few or none fits.
double beatOf(const std::vector<double>& onsets) {
    std::vector<double> intervals;
    for (size_t i = 1; i < onsets.size(); ++i) {
        const double interval = onsets[i] - onsets[i - 1];
        if (interval > shortestBeat && interval < longestInterval) intervals.push_back(interval);
    }
    if (intervals.size() < leastIntervals) return NAN;
    double commonest = NAN, most = 0;
    for (double beat = shortestBeat; beat < longestBeat; beat += Transcriber::frameSeconds / 2) {
        double near = 0;
        for (double interval : intervals)
            near += std::exp(-0.5 * std::pow((interval - beat) / beatSpread, 2));
        if (near > most) most = near, commonest = beat;
    }
    for (int part = 1; part <= smallestPart; ++part) {
        const double beat = wholeBeat(intervals, commonest / part);
        const auto fit = std::count_if(intervals.begin(), intervals.end(),
                                       [beat](double i) { return onGrid(i, beat); });
        if (double(fit) >= explainedIntervals * double(intervals.size())) return beat;
    }
    return NAN;
}
} // namespace

Transcriber::Transcriber(double sampleRate)
    : factor_(std::max<size_t>(1, size_t(sampleRate / analysedRate))),
      rate_(sampleRate / double(factor_)),
      hop_(std::max<size_t>(1, size_t(std::lround(rate_ * frameSeconds)))),
      tracker_(rate_, lowestHz),
      kept_(size_t((std::max(lookBack, stepLookBack + settleSeconds) + longestWindow) * rate_)),
      highPass_(highBandPass(rate_)),
      attackBand_(rate_, attackLowHz, attackHighHz, attackWindowSeconds), heard_(heardFrames) {
    // The median begins on silence, so the first frames can be a note's start.
    for (size_t i = 0; i < medianFrames / 2; ++i) recent_.push_back({0, NAN, 1, gateDb, gateDb});
}

void Transcriber::feed(const float* samples, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        // A damaged sample is heard as silence rather than poisoning every sum after it.
        sum_ += std::isfinite(samples[i]) ? samples[i] : 0.0f;
        if (++summed_ < factor_) continue;
        samples_.push_back(float(sum_ / double(factor_)));
        sum_ = 0;
        summed_ = 0;
    }
    analyseFrames();
}

void Transcriber::analyseFrames() {
    const size_t length = tracker_.frameLength();
    while ((frames_ * hop_ - consumed_) + length <= samples_.size()) {
        const size_t first = frames_ * hop_ - consumed_;
        const PitchFrame pitch = tracker_.analyse(&samples_[first]);
        const double level = 20 * std::log10(pitch.rms + 1e-12);
        // The high band over about a frame, from the samples each hop brings.
        highHops_.push_back(highPassedEnergy(&samples_[first + length - hop_], hop_, highPass_));
        if (highHops_.size() > highBandHops) highHops_.erase(highHops_.begin());
        const double high = std::accumulate(highHops_.begin(), highHops_.end(), 0.0) /
                            double(highHops_.size() * hop_);
        const bool voiced =
            pitch.frequency > 0 && pitch.aperiodicity < voicedAperiodicity && level > gateDb;
        smooth({(double(frames_ * hop_) + double(length) / 2) / rate_,
                voiced ? semitones(pitch.frequency) : NAN, pitch.aperiodicity, level,
                10 * std::log10(high + 1e-24)});
        ++frames_;
    }
    // The samples before the next frame are kept a while, for a new note's onset.
    const size_t used = frames_ * hop_ - consumed_;
    const size_t spare = used > kept_ ? used - kept_ : 0;
    if (spare > 0 && spare >= samples_.size() / 2) {
        samples_.erase(samples_.begin(), samples_.begin() + std::ptrdiff_t(spare));
        consumed_ += spare;
    }
}

// The middle of the last five frames, voiced when most of them are, at their median pitch.
void Transcriber::smooth(const Frame& frame) {
    recent_.push_back(frame);
    if (recent_.size() > medianFrames) recent_.pop_front();
    if (recent_.size() < medianFrames) return;
    std::vector<double> pitches;
    for (const Frame& f : recent_)
        if (!std::isnan(f.pitch)) pitches.push_back(f.pitch);
    Frame middle = recent_[medianFrames / 2];
    middle.pitch = pitches.size() > medianFrames / 2 ? median(pitches) : NAN;
    trace_.push_back(middle.pitch);
    if (trace_.size() > traceFrames) trace_.pop_front();
    follow(middle);
}

void Transcriber::follow(const Frame& frame) {
    lastTime_ = frame.time;
    heard_.push(frame.time, {frame.level, frame.high});
    keepCue();
    if (std::isnan(frame.pitch)) {
        if (inNote_) hold(frame);
        return;
    }
    if (!inNote_) {
        const double loudest = loudest_;
        startNote({frame});
        // Just after a note that faded, at its pitch: perhaps its fade flickering about silence.
        if (!notes_.empty() && std::fabs(frame.pitch - notes_.back().pitch) * 100 < jumpCents &&
            frame.time - (notes_.back().onset + notes_.back().duration) < longestHold)
            fadedFrom_ = loudest;
        return;
    }
    // The middle of the pitch's recent range: vibrato swings about it and stays under a
    // jump. The last frames are left out, as one may be caught between two notes. A steady
    // note is left by a small step, one with vibrato by a step beyond its swing; until a
    // cycle of vibrato is heard, a step must be clearer.
    const auto settled =
        tail_.end() - std::ptrdiff_t(tail_.size() > 2 * betweenFrames ? betweenFrames : 0);
    const auto [low, high] = std::minmax_element(
        tail_.begin(), settled, [](const Frame& a, const Frame& b) { return a.pitch < b.pitch; });
    const double least = tail_.size() < referenceFrames ? youngJumpCents : jumpCents;
    const double jump = std::max(least, (high->pitch - low->pitch) * 50 + vibratoMarginCents);
    const double away = frame.pitch - (low->pitch + high->pitch) / 2;
    if (std::fabs(away) * 100 > jump) {
        // An octave away is most often the tracker taking a harmonic or a subharmonic for
        // the voice for a moment: such a jump must hold longer to be a note.
        pendingOctave_ =
            (pending_.empty() || pendingOctave_) && std::fabs(std::fabs(away) - 12) < 0.6;
        pending_.push_back(frame);
        if (pending_.size() < (pendingOctave_ ? octaveFrames : jumpFrames)) return;
        // Where the old note lost its pitch the new one began: overlapping in a room or
        // on a slow attack, the new pitch is clear only once it is the louder. A step up
        // to a multiple of the old pitch is told sooner by the two notes' partials.
        const double lost = std::min(pending_.front().time, voicedUntil_);
        const double from = (low->pitch + high->pitch) / 2, to = pending_.back().pitch;
        const MultipleStep step = multipleOnset(from, to, pending_.front().time);
        const double change = std::isnan(step.onset) ? lost : std::min(lost, step.onset);
        if (change == step.onset) multipleDated_ = change;
        endNote(change, step.heardLow ? Next::heardLow : Next::otherPitch, to);
        startNote(std::move(pending_), change);
        return;
    }
    // Frames that left the pitch for a moment were wrong: they count for the note's length
    // and level only, so they move neither its pitch nor the middle of its range. The
    // tracker often slips in the very dip that parts a note sung again.
    for (const Frame& f : pending_) noteLevel(f);
    pending_.clear();
    if (frame.time >= unsureRepeat_ + attackJudged) {
        ringsOn_ = noAttackAt(unsureRepeat_);
        unsureRepeat_ = NAN;
    }
    bool quick = false, slow = false, unsure = false;
    // The dip and the rise take up to riseFrames each; the swing is read before them.
    if (levels_.size() > 2 * riseFrames) {
        const double depth = dipDepth(riseDb);
        const Dip dip = riseAfterDip(frame.level, depth);
        const bool swell = swellOverSteadyNote(frame.level, depth);
        quick = dip != Dip::none || swell;
        // Until the note's own swing is read, a shallow dip may be the instrument's own (a
        // flute's, as its vibrato begins against a room's reverb, falls 7 to 8 dB some
        // 300 ms into every note), and so may a swell with no dip deep enough to part the
        // note (a whistle's own dip of 8 to 11 dB swells back within 30 ms): the note is
        // not yet known steady. Either parts the note only if a new note's attack is heard.
        unsure = !noteSwingRead_ && (swell ? dip == Dip::none : dip == Dip::shallow);
        slow = slowRiseAfterFall(frame, depth) && !quick;
        quick = quick || (!slow && frame.time - noteStart_ >= shortestRepeat &&
                          riseAfterDip(frame.level, dipDepth(gridLeastDipDb)) != Dip::none &&
                          nearGridPoint(riseBegan(frame)));
    }
    if ((quick || slow) && frame.time - noteStart_ >= shortestRepeat) {
        const double began = onBeatBefore(quick ? riseBegan(frame) : fall_.began, frame);
        singAgain(began, frame);
        if (unsure) unsureRepeat_ = began;
        return;
    }
    const double gridOnset = sungAgainOnGrid(frame);
    if (!std::isnan(gridOnset)) {
        singAgain(gridOnset, frame);
        return;
    }
    addToNote(frame);
    glidedAway();
}

// Two notes crossfading slowly: the tracker hears a period between the two,
// which glides from the old note's to the new one's too smoothly for a step,
// and the middle of the recent range follows it. Once the pitch holds steady
// (no vibrato) as far from where the note held before as a step from a steady
// note goes, the glide was a new note: it began where the pitch left the old one.
void Transcriber::glidedAway() {
    const size_t before = note_.size() - std::min(note_.size(), tail_.size());
    if (tail_.size() < referenceFrames || note_.size() >= maxNoteFrames || before < referenceFrames)
        return;
    const auto [low, high] =
        std::minmax_element(tail_.begin(), tail_.end(),
                            [](const Frame& a, const Frame& b) { return a.pitch < b.pitch; });
    if ((high->pitch - low->pitch) * 100 > jumpCents) return;
    const double held = medianPitch(before - referenceFrames, before);
    const double now = (low->pitch + high->pitch) / 2;
    if (std::fabs(now - held) * 100 <= jumpCents) return;
    size_t left = before - referenceFrames;
    while ((note_[left].pitch - held) / (now - held) < glideOnset) ++left;
    if (left < shortestFrames) return;
    left = enteredInBeat(left, now > held);
    std::vector<Frame> glide(note_.begin() + std::ptrdiff_t(left), note_.end());
    note_.resize(left);
    const double change = glide.front().time;
    endNote(change, Next::otherPitch, now);
    startNote(std::move(glide), change);
}

// The median pitch of the note's frames from first to last (not included).
double Transcriber::medianPitch(size_t first, size_t last) const {
    std::vector<double> pitches;
    for (size_t i = first; i < last; ++i) pitches.push_back(note_[i].pitch);
    return median(pitches);
}

// Where a glide that starts at frame glide (rising, or falling) began, if the pitch
// swung past the note held before, away from the glide, for at most a beat cycle
// just before it: the new note entered in the middle of that swing. Else glide.
// Frames a semitone or more off the note held were the tracker's slips.
size_t Transcriber::enteredInBeat(size_t glide, bool rising) const {
    const size_t pullFrom = glide - std::min(glide, referenceFrames);
    const size_t heldFrom = pullFrom - std::min(pullFrom, referenceFrames);
    if (pullFrom - heldFrom < shortestFrames) return glide;
    const double held = medianPitch(heldFrom, pullFrom);
    // How far a frame lies past the note held, away from the glide, in semitones.
    const auto past = [&](size_t i) { return (rising ? -1 : 1) * (note_[i].pitch - held); };
    double swing = 0;
    for (size_t i = heldFrom; i < pullFrom; ++i)
        if (std::fabs(past(i)) < 1) swing = std::max(swing, past(i));
    if (swing * 100 > entryHeldCents) return glide; // a vibrato swings past by itself
    const auto pulled = [&](size_t i) {
        return past(i) * 100 > swing * 100 + entryPullCents && past(i) < 1;
    };
    size_t last = glide;
    while (last > pullFrom && !pulled(last - 1)) --last;
    size_t first = last;
    while (first > pullFrom && pulled(first - 1)) --first;
    if (first == last || glide - last > betweenFrames || last - first > entryBeatFrames)
        return glide;
    return (first + last) / 2;
}

// A step up to an octave or a twelfth: every partial of the new note is one of
// the old note's, which rings on, so the tracker hears the old period in the mix
// until it fades, up to 200 ms late. The new note began where the balance of its
// partials against the old note's own (those it does not share) rose onsetRise
// of the way from its lowest to its height in the new note, going back from the
// newest samples. NAN for any other step, or when the balance never rose in reach.
// Where the old note's own partials stayed far under the new note's since the old
// note began, the old note was the new one heard low.
Transcriber::MultipleStep Transcriber::multipleOnset(double oldPitch, double newPitch,
                                                     double confirmed) const {
    const double from = hertz(oldPitch), to = hertz(newPitch);
    if (to <= from) return {};
    const auto length = size_t(windowSamples(from, to, rate_, longestWindow));
    const double near = 2 * rate_ / double(length);
    if (analysedEnd() < consumed_ + length || !ownPartials(to, from, near, rate_ / 2).empty())
        return {};
    const std::vector<double> oldOwn = ownPartials(from, to, near, rate_ / 2);
    const HarmonicEnergy newEnergy(rate_, partialsOf(to, rate_ / 2), length);
    const HarmonicEnergy oldEnergy(rate_, oldOwn, length);
    const double newest = double(analysedEnd() - length);
    const double start = noteStart_ * rate_ - double(length) / 2; // the old note's first window
    // Samples kept in any blocks fed, so a microphone and a file are heard alike.
    const double kept = std::max(double(consumed_), double(frames_ * hop_) - double(kept_));
    std::vector<double> balance; // dB, newest first, back to the old note's start
    for (double first = newest; first >= std::max(kept, start); first -= double(hop_))
        balance.push_back(balanceDb(newEnergy, oldEnergy, &samples_[size_t(first) - consumed_]));
    if (balance.empty()) return {};
    // The old note's own partials never sounded near the new note's since it began: it
    // was the new note all along, heard an octave or a twelfth low (the tracker held its
    // undertone).
    MultipleStep step;
    step.heardLow = !oldOwn.empty() && harmonicOf(newPitch, oldPitch) && start >= kept &&
                    *std::min_element(balance.begin(), balance.end()) > neverOwnDb;
    balance.resize(std::min(balance.size(), size_t(lookBack * rate_) / hop_ + 1));
    double height = -INFINITY;
    size_t heightAt = 0;
    for (size_t k = 0; k < balance.size(); ++k)
        if ((newest - double(k * hop_) + double(length) / 2) / rate_ >= confirmed &&
            balance[k] > height) {
            height = balance[k];
            heightAt = k;
        }
    if (height == -INFINITY) return step; // no window reached the new note yet
    const double lowest = *std::min_element(balance.begin(), balance.end());
    const double rise = lowest + onsetRise * (height - lowest);
    size_t at = heightAt;
    while (at + 1 < balance.size() && balance[at + 1] >= rise) ++at;
    if (at + 1 < balance.size())
        step.onset = (newest - double(at * hop_) + double(length) / 2) / rate_;
    return step;
}

// Two notes crossfading (a choir, a pad, a room) keep the tracker on the old
// pitch, or on neither, until the new note is the louder: up to 350 ms late. Once
// the new note is sure, a short note just before it that was the tracker's slip
// joins it, and its onset is where the balance of its own partials against the
// old note's stepped up, if that lies clearly earlier; the old note ends there,
// if it had not ended before. A short stretch of the old pitch that parted from
// the old note is searched through too; one this onset leaves shorter than a
// note sung again before a step may be joins the old note again.
void Transcriber::settleOnset(double now) {
    double& began = noteOnset();
    const bool heard = now - note_.front().time >= settleSeconds;
    if (settled_ == Settled::sure || now - began < settleSeconds ||
        (settled_ == Settled::unsure && !heard))
        return;
    // The grid lies from the onset, which may move now: laid again when next asked.
    grid_ = {};
    const double pitch = medianPitch(0, note_.size());
    const bool again = settled_ == Settled::unsure;
    settled_ = heard ? Settled::sure : Settled::unsure;
    if (again && std::fabs(pitch - settledPitch_) < settledPull) return;
    settledPitch_ = pitch;
    if (hiddenFound_) {
        // Found for a pitch first taken from too few frames (the crossfade's undertone,
        // perhaps), it lay between the old note and the wrong one: sought again.
        began = notes_.back().onset;
        notes_.pop_back();
        hiddenFound_ = false;
    }
    if (notes_.empty()) return;
    // The tracker's slip on this note's attack, heard before its pitch was sure.
    while (!notes_.empty() && slipBefore(notes_.back(), began, pitch)) {
        began = notes_.back().onset;
        notes_.pop_back();
    }
    if (notes_.empty()) return;
    // A young note parted by the tracker's slip onto this note's undertone, at this
    // note's pitch, was this note's start: no note is sung again so soon.
    if (partedByUndertone(notes_.back(), began, pitch)) {
        began = notes_.back().onset;
        carriedPitch_ = notes_.back().pitch;
        carriedConfidence_ = notes_.back().confidence;
        notes_.pop_back();
        if (notes_.empty()) return;
    }
    // A short stretch of the old pitch parted from the old note (its level rose as this
    // note swelled in, or the tracker slipped and came back) may hold this note's onset.
    const bool split = oldNoteSplit();
    HeardNote& before = notes_.back();
    const HeardNote& old = split ? notes_[notes_.size() - 2] : before;
    // The two notes may part by a moment without pitch (the tracker hearing neither,
    // or a breath), as long as the search reaches back over it.
    const bool follows = began - (before.onset + before.duration) < stepLookBack;
    if (!follows || std::fabs(pitch - before.pitch) < leastStep) return;
    // The old note keeps half a note's length at least, which the step found may leave
    // it: heard a frame or two late, a note the next one enters a note's length into
    // seems a little shorter (in a quick tune, a note heard late more so).
    const double since = std::max(
        {old.onset + shortestNote / 2, began - stepLookBack, now - stepLookBack - settleSeconds});
    // A short note the tracker never heard between the two began where this one seemed to,
    // or this one seemed to begin inside it: the tracker caught a blend of the short note
    // and the old one and joined it to this note.
    const PartialLevels levels = partialLevels(before.pitch, pitch, since, now);
    const Hidden hidden = hiddenNote(before.pitch, pitch, levels, since, now);
    const bool between = began - hidden.onset >= stepEarlier || hidden.end - began >= stepEarlier;
    double found =
        between ? hidden.onset : stepOnset(levels, std::fabs(pitch - before.pitch) < closeStep);
    if (!between && std::isnan(found)) found = closeStepOnset(before.pitch, pitch, since, now);
    // A stretch heard unsurely that lent this note its onset, before its own partials
    // stepped up, was the tracker caught in the crossfade: the note began at the step.
    // So did a note dated as a step up to a multiple of the old note for a pitch (the
    // tracker on this note's octave) whose partials only neared the old note's within a
    // short window's reach: its onset was read from the wrong partials.
    const bool misread = began == multipleDated_ && !harmonicOf(pitch, before.pitch);
    const bool lent = ((joinPrevious_ && carriedConfidence_ < scoopConfidence) || misread) &&
                      !between && found - began >= stepEarlier;
    if (std::isnan(found) || (!lent && !between && began - found < stepEarlier)) return;
    before.duration = std::min(before.duration, found - before.onset);
    if (oldNoteSplit()) {
        // So short, the stretch was the old note ringing on through this note's crossfade.
        notes_.pop_back();
        notes_.back().duration = found - notes_.back().onset;
    }
    crossfaded_ = true;
    began = found;
    if (!between) return;
    // Inferred from its partials alone, it was never heard periodic: its confidence is none.
    notes_.push_back({hidden.onset, hidden.end - hidden.onset, hidden.pitch, 0});
    began = hidden.end;
    hiddenFound_ = true;
}

// A short note just after a step from the old note may be the tracker's blend of the
// old note, ringing on, and one a step further: a choir's 67-69-67 was heard as a
// 68.15 from 6.68 s, where 69's own partials had stepped up at 6.61 s. Where that further
// note's own partials stepped up against the old note's just before, and stand within
// blendUnderDb of the pitch heard in a window that parts the two, the note is that one,
// begun at its step.
void Transcriber::readBlend(HeardNote& old, HeardNote& note) const {
    const double apart = note.pitch - old.pitch;
    if (!endsAt(old, note.onset) || std::fabs(apart) < settledPull ||
        std::fabs(apart) > furthestBlend)
        return;
    const double further = note.pitch + apart, end = note.onset + note.duration;
    const PartialLevels pair = partialLevels(note.pitch, further, note.onset, end);
    if (pair.balance.empty() || meanOf(pair.balance, 0, pair.balance.size()) < -blendUnderDb)
        return;
    const double since = std::max(old.onset + shortestNote, note.onset - blendLookBack);
    const PartialLevels in = partialLevels(old.pitch, further, since, end);
    const auto [at, rise] = stepIn(in.balance, 3);
    if (at == 0 || rise < stepRiseDb) return;
    note.pitch = further;
    const double stepped = in.time(at);
    if (stepped >= note.onset) return;
    note.duration = end - stepped;
    note.onset = stepped;
    old.duration = stepped - old.onset;
}

// The note before is a short stretch at the pitch of the note before it, which it
// follows without a gap: that note parted in two.
bool Transcriber::oldNoteSplit() const {
    if (notes_.size() < 2) return false;
    const HeardNote& stretch = notes_.back();
    const HeardNote& old = notes_[notes_.size() - 2];
    return stretch.duration < longestSlip && std::fabs(stretch.pitch - old.pitch) < 0.5 &&
           endsAt(old, stretch.onset);
}

// A note younger than a note sung again can be just before onset, at pitch, with a slip
// onto this note's undertone between them: in a crossfade the tracker may hear the new
// note for a moment, slip onto the two notes' common undertone and come back. Heard as
// the old note rang on, the first part may lie up to pulledApart off.
bool Transcriber::partedByUndertone(const HeardNote& young, double onset, double pitch) const {
    return joinPrevious_ && carriedPitch_ < pitch && harmonicOf(carriedPitch_, pitch) &&
           young.duration < shortestRepeat && std::fabs(young.pitch - pitch) < pulledApart &&
           endsAt(young, onset);
}

// A short note just before onset an octave, a twelfth or two octaves below the
// note of pitch, or an octave above it: the tracker held the crossfade's
// undertone or the new note's second partial. Judged once the new note's pitch
// is sure, it may be as long as a choir's crossfade.
bool Transcriber::slipBefore(const HeardNote& note, double onset, double pitch) const {
    return note.duration < longestSlip && endsAt(note, onset) && slipsToward(note.pitch, pitch);
}

// The levels of the new note's own partials, of the old note's (but for ownOnly),
// and (for withFundamental) of the new note's fundamental alone, from since until
// until, one each stride frames, oldest first.
Transcriber::PartialLevels Transcriber::partialLevels(double oldPitch, double newPitch,
                                                      double since, double until, double third,
                                                      Reading reading, size_t stride,
                                                      double longest) const {
    const double from = hertz(oldPitch), to = hertz(newPitch);
    const auto length = size_t(windowSamples(from, to, rate_, longest));
    const double near = 2 * rate_ / double(length);
    std::vector<double> own = ownPartials(to, from, near, rate_ / 2, hertz(third));
    std::vector<double> old = ownPartials(from, to, near, rate_ / 2, hertz(third));
    const HarmonicEnergy newEnergy(rate_, own.empty() ? partialsOf(to, rate_ / 2) : own, length);
    // Filters not read are built empty: their windows' cosines cost as much as a reading.
    const bool both = reading != Reading::ownOnly,
               fundamental = reading == Reading::withFundamental;
    const HarmonicEnergy oldEnergy(rate_, old.empty() ? partialsOf(from, rate_ / 2) : old,
                                   both ? length : 0);
    const double earliest = std::max(double(consumed_), since * rate_ - double(length) / 2);
    const double newest = std::min(until * rate_, double(analysedEnd())) - double(length);
    const HarmonicEnergy lowest(rate_, {to}, fundamental ? length : 0);
    PartialLevels levels;
    levels.first = (earliest + double(length) / 2) / rate_;
    levels.hop = double(stride * hop_) / rate_;
    for (double first = earliest; first <= newest; first += double(stride * hop_)) {
        const float* at = &samples_[size_t(first) - consumed_];
        if (fundamental) levels.fundamental.push_back(levelDb(lowest, at));
        levels.own.push_back(levelDb(newEnergy, at));
        if (!both) continue;
        levels.old.push_back(levelDb(oldEnergy, at));
        levels.balance.push_back(levels.own.back() - levels.old.back());
    }
    return levels;
}

// Where the balance of the new note's own partials against the old note's
// stepped up between since and until, or an earlier stage of that rise where the
// new note entered under the old (not for notes closer than closeStep); NAN when
// it rose less than stepRiseDb.
double Transcriber::stepOnset(const PartialLevels& levels, bool close) const {
    const auto [at, rise] = stepIn(levels.balance, 3);
    if (at == 0 || rise < stepRiseDb) return NAN;
    const size_t began = close ? at : earlierStage(levels.own, levels.old, levels.balance, at);
    return levels.time(began);
}

// Two steady notes closer than the longest window parts, as a pad crossfades them: the
// new note swells in over some 250 ms while the old fades, so in a window that parts
// them the balance of its own partials against the old note's falls to its lowest where
// it enters and climbs from there, with no step. The note began where the balance rose
// onsetRise of the way from that lowest to its height, dated a quarter window after that
// window's middle: a Hann window weighs mostly its middle half, so the new note's
// partials count once they reach its leading quarter. NAN for notes the longest window
// parts or closeWindow does not, for notes under closeStep apart (a pitch first heard in
// a crossfade so near the old one may be the period between it and a note further off),
// for a new note whose pitch has swung over half the way to the old one (its partials
// wander across the gap, or it is not yet one note), and where the balance rose less
// than stepRiseDb.
double Transcriber::closeStepOnset(double oldPitch, double newPitch, double since,
                                   double until) const {
    const double apart = std::fabs(newPitch - oldPitch);
    const double parting = 2 / std::fabs(hertz(newPitch) - hertz(oldPitch)); // seconds
    const auto [low, high] =
        std::minmax_element(note_.begin(), note_.end(),
                            [](const Frame& a, const Frame& b) { return a.pitch < b.pitch; });
    if (parting <= longestWindow || parting > closeWindow || apart < closeStep ||
        high->pitch - low->pitch > apart / 2)
        return NAN;
    // Its first window begins where the usual first window does: no more samples are kept.
    const PartialLevels levels =
        partialLevels(oldPitch, newPitch, since + (parting - longestWindow) / 2, until, NAN,
                      Reading::both, 1, closeWindow);
    const std::vector<double>& balance = levels.balance;
    if (balance.empty()) return NAN;
    const auto lowest = std::min_element(balance.begin(), balance.end());
    const double height = *std::max_element(lowest, balance.end());
    if (height - *lowest < stepRiseDb) return NAN;
    const double rise = *lowest + onsetRise * (height - *lowest);
    const auto rose = std::find_if(lowest, balance.end(), [rise](double b) { return b >= rise; });
    return levels.time(size_t(rose - balance.begin())) + parting / 4;
}

// A short note between two that the tracker never heard: a pitch between the two
// whose own partials stepped up against the old note's while staying under them,
// before the new note's stepped up against the old note's (levels, read from
// since), and then the new note's stepped up against it, a note's length later.
// Of several, the one whose steps in and out were the clearer; of two a semitone
// apart, the louder.
Transcriber::Hidden Transcriber::hiddenNote(double oldPitch, double newPitch,
                                            const PartialLevels& levels, double since,
                                            double until) const {
    Hidden best;
    const auto [newStep, newRise] = stepIn(levels.balance, 3);
    const double stepped = levels.time(newStep);
    if (newStep == 0 || newRise < stepRiseDb || stepped - since < shortestNote) return best;
    double clearest = 0;
    const double step = oldPitch < newPitch ? -1 : 1;
    for (double pitch = newPitch + step; (pitch - oldPitch) * step < -0.5; pitch += step) {
        if (harmonicOf(pitch, oldPitch) || harmonicOf(pitch, newPitch) ||
            !mayBeHidden(oldPitch, pitch, newPitch, levels, since, stepped))
            continue;
        const PartialLevels in =
            partialLevels(oldPitch, pitch, since, stepped, newPitch, Reading::withFundamental);
        const auto [at, rise] = stepIn(in.balance, 3);
        if (at == 0 || rise < stepRiseDb) continue;
        const double onset = in.time(earlierStage(in.own, in.old, in.balance, at));
        if (stepped - onset < shortestNote) continue;
        const PartialLevels out = partialLevels(pitch, newPitch, onset, until, oldPitch);
        const auto [next, fall] = stepIn(out.balance, 3);
        const double end = out.time(next);
        if (next == 0 || fall < stepRiseDb || end - onset < shortestNote) continue;
        // Its own frames in the first reading: from its step up to where the new note's began.
        const size_t ended =
            std::min(in.own.size(), at + size_t(std::max(0.0, end - in.time(at)) / in.hop));
        if (ended <= at) continue;
        const double firstRise = meanOf(in.fundamental, at, ended) - meanOf(in.fundamental, 0, at);
        const double overNew = meanOf(out.old, next / 2, next) - meanOf(out.own, next / 2, next);
        const double newRise = meanOf(out.own, next, out.own.size()) - meanOf(out.own, 0, next);
        if (!staysUnder(in.own, in.old, at, ended, hiddenOverDb) || firstRise < hiddenClearDb ||
            overNew < hiddenOverNextDb || newRise < stepRiseDb)
            continue;
        // The semitone next to a note passes too: the windows above, short enough to part
        // it from the old note, leak its partials into its neighbour's. Of the two, the
        // louder in a window that parts them (the old note, sounding over both, left out).
        if (std::fabs(pitch - best.pitch) < nextSemitoneApart) {
            const PartialLevels pair = partialLevels(best.pitch, pitch, onset, end, oldPitch);
            if (pair.balance.empty() || meanOf(pair.balance, 0, pair.balance.size()) <= 0) continue;
        } else if (std::min(rise, fall) <= clearest) {
            continue;
        }
        clearest = std::min(rise, fall);
        best = {onset, end, pitch};
    }
    return best;
}

// Most pitches tried never stepped up against the old note's partials, or did so
// only as the new note came in: their own partials read once a shortest note's
// length, against the old note's level as read against the new note's, at a
// twentieth of the cost, they are ruled out before they are read every frame.
bool Transcriber::mayBeHidden(double oldPitch, double pitch, double newPitch,
                              const PartialLevels& levels, double since, double stepped) const {
    const auto stride = size_t(std::lround(shortestNote / frameSeconds));
    const PartialLevels coarse =
        partialLevels(oldPitch, pitch, since, stepped, newPitch, Reading::ownOnly, stride);
    std::vector<double> old, balance;
    for (size_t k = 0; k < coarse.own.size(); ++k) {
        const double frame = std::round((coarse.time(k) - levels.first) / levels.hop);
        old.push_back(levels.old[size_t(std::clamp(frame, 0.0, double(levels.old.size() - 1)))]);
        balance.push_back(coarse.own[k] - old.back());
    }
    const auto [at, rise] = stepIn(balance, 1);
    return at != 0 && rise >= stepRiseDb && stepped - coarse.time(at) >= shortestNote / 2 &&
           staysUnder(coarse.own, old, at, coarse.own.size(), coarseSlackDb);
}

// A voice that goes on sounding without a clear pitch (two notes overlapping in
// a room, a breathy moment) holds its note a while; one that fades away ends it.
void Transcriber::hold(const Frame& frame) {
    if (frame.level < loudest_ - fadeDb || frame.time - voicedUntil_ > longestHold) {
        endNote(voicedUntil_, Next::none);
        return;
    }
    noteLevel(frame);
}

// The level fell by more than it swings within the note (tremolo), and by riseDb
// at least (depth in all), and rose again by half of that, or fell by half of that
// and rose by all of it (a new syllable swells over the old note): the same pitch
// sung again. A fall only just that deep must come back further. A dip that fell
// further than it rose, but less than deepFall times the depth, is shallow.
Transcriber::Dip Transcriber::riseAfterDip(double level, double depth) const {
    const auto lowest = std::min_element(dipStart(), levels_.end());
    const double quietest = std::min(level, *lowest);
    const double loudest = loudestBeforeDip();
    const double fall = loudest - quietest, rise = level - quietest;
    // A dip the level came all the way back from without parting the note (a whistle's
    // own dip in its first cycle, too young to part it) is past: only a rise still
    // climbing is a new note's.
    const double regained = *std::max_element(lowest, levels_.end());
    const bool past = regained >= loudest - regainedDb && level < regained;
    if (past || std::max(fall, rise) <= depth || std::min(fall, rise) <= riseOfDip * depth ||
        (rise <= fall && fall + rise <= dipTravel * depth))
        return Dip::none;
    return rise <= fall && fall < deepFall * depth ? Dip::shallow : Dip::clear;
}

// A new note's attack over the old one held steady: the level rose by swellOfDepth
// of the depth a dip must have within swellFrames, where it swung less than half
// of riseDb before.
bool Transcriber::swellOverSteadyNote(double level, double depth) const {
    const double before = *(levels_.end() - std::ptrdiff_t(swellFrames));
    return level - before > swellOfDepth * depth && swingBefore() < riseDb / 2;
}

// The depth a dip must have to part two notes: more than the note's level swings,
// now or as it swung before, and least dB at the least (levels_ must hold more than
// 2 * riseFrames).
double Transcriber::dipDepth(double least) const {
    // Too short a past to have seen a whole cycle of tremolo: the voice's own is wanted.
    const bool young = levels_.size() - 2 * riseFrames < tremoloFrames;
    const double youngSwing =
        std::isnan(voiceSwing_) ? youngSwingDb : std::max(voiceSwing_, leastYoungSwingDb);
    const double swing = std::max({swingBefore(), noteSwing_, young ? youngSwing : 0});
    return std::max(least, swing + swingMargin);
}

// A new bow stroke or breath that starts softly after the old note's release:
// the level fell deepFall times as far as a dip must, and then rose by half that
// depth within slowRiseFrames of its lowest, while the pitch held. The new note
// began where the level had fallen halfway: the old note's release began with it.
bool Transcriber::slowRiseAfterFall(const Frame& frame, double depth) {
    if (std::isnan(fall_.floor)) {
        const double loudest = loudestBeforeDip();
        if (loudest - frame.level <= deepFall * depth) return false;
        fall_ = {frame.level, depth, halfwayBack(frame, loudest, levels_.begin()), 0};
        return false;
    }
    if (frame.level < fall_.floor) {
        fall_.floor = frame.level;
        fall_.since = 0;
        return false;
    }
    const bool rose = frame.level - fall_.floor >= riseOfDip * fall_.depth;
    if (rose || ++fall_.since > slowRiseFrames) fall_.floor = NAN;
    return rose;
}

Transcriber::Levels::const_iterator Transcriber::dipStart() const {
    return levels_.end() - std::ptrdiff_t(2 * riseFrames);
}

double Transcriber::loudestBeforeDip() const {
    return *std::max_element(levels_.begin(), dipStart());
}

// How far the note's level swung before its last 2 * riseFrames (where a dip may be).
double Transcriber::swingBefore() const {
    const auto [softest, loudest] = std::minmax_element(levels_.begin(), dipStart());
    return *loudest - *softest;
}

// Where the level last crossed halfway between from and frame's level: the levels
// since first that lie on frame's side of it are counted back from frame.
double Transcriber::halfwayBack(const Frame& frame, double from,
                                Levels::const_iterator first) const {
    const double halfway = (from + frame.level) / 2;
    const bool above = frame.level > halfway;
    size_t back = 1; // frames before this one
    for (auto level = levels_.end(); level != first && (*std::prev(level) > halfway) == above;
         --level)
        ++back;
    return frame.time - double(back) * frameSeconds;
}

// Where the note sung again began, for the rise out of the dip that riseAfterDip
// found in frame: where the level rose halfway (a choir's or a bow's new note
// swells in over up to 200 ms, and is heard only once it has).
double Transcriber::riseBegan(const Frame& frame) const {
    return halfwayBack(frame, *std::min_element(dipStart(), levels_.end()), dipStart());
}

// Where the level, falling into the dip found in frame, first lay fallenDb under where it
// fell from.
double Transcriber::fellFrom(const Frame& frame) const {
    const double fallen = loudestBeforeDip() - fallenDb;
    auto level = std::min_element(dipStart(), levels_.cend());
    while (level != levels_.cbegin() && *std::prev(level) < fallen) --level;
    return frame.time - double(levels_.cend() - level) * frameSeconds;
}

// The onset of a note sung again that the level rule dated at began: the grid point
// before it, for a slow swell.
double Transcriber::onBeatBefore(double began, const Frame& frame) {
    if (std::isnan(grid_.next)) placeGrid();
    if (std::isnan(grid_.beat)) return began;
    const double fell = fellFrom(frame);
    const double beats = std::floor((began - noteOnset()) / grid_.beat);
    const double point = noteOnset() + beats * grid_.beat;
    const bool onPoint = beats >= 1 && began - point <= gridLateSeconds &&
                         began - fell >= slowSwellSeconds && fell - point <= fallLagSeconds;
    return onPoint ? point : began;
}

void Transcriber::singAgain(double began, const Frame& frame) {
    const double loudest = loudest_;
    endNote(began, Next::samePitch);
    startNote({frame}, began);
    resungFrom_ = loudest;
}

double Transcriber::sungAgainOnGrid(const Frame& frame) {
    if (frame.time - noteOnset() < gridYoung + gridJudged) return NAN;
    if (std::isnan(grid_.next)) placeGrid();
    while (frame.time >= grid_.next + gridJudged) {
        const double at = grid_.next;
        grid_.next += grid_.beat;
        if (repeatCueAt(at, Cues::highFallOrAttack)) return at;
    }
    return NAN;
}

// Whether time lies within gridDipSeconds of a grid point a beat or more after the
// note's onset. The grid is placed here if not yet, as for the weak cues.
bool Transcriber::nearGridPoint(double time) {
    if (std::isnan(grid_.next)) placeGrid();
    if (std::isnan(grid_.beat)) return false;
    const double sinceOnset = time - noteOnset();
    const double beats = std::round(sinceOnset / grid_.beat);
    return beats >= 1 && std::fabs(sinceOnset - beats * grid_.beat) < gridDipSeconds;
}

// The grid from the notes heard so far and this one's onset, where it lies: the
// note began on a beat. Its onset is read here, once a crossfade's has been sought.
void Transcriber::placeGrid() {
    const double onset = noteOnset();
    std::vector<double> onsets;
    for (size_t i = notes_.size() > gridOnsets ? notes_.size() - gridOnsets : 0; i < notes_.size();
         ++i)
        onsets.push_back(notes_[i].onset);
    onsets.push_back(onset);
    grid_.beat = beatOf(onsets);
    if (std::isnan(grid_.beat)) {
        beatlessFrom_ = std::fmin(beatlessFrom_, onset);
        grid_.next = INFINITY;
        return;
    }
    if (!std::isnan(beatlessFrom_)) judgeBeatless();
    const double earliest = std::max(gridBeatFraction * grid_.beat, gridYoung);
    grid_.next = onset + std::floor(earliest / grid_.beat + 1) * grid_.beat;
}

// The weak cues of a note sung again, at the frame nearest time.
bool Transcriber::repeatCueAt(double time, Cues cues) const {
    const auto [at, atTime] = heardNear(time);
    if (at < highFallHistory || at + cueFrames >= std::ptrdiff_t(heard_.size())) return false;
    const auto level = [this](std::ptrdiff_t i) { return heard_[size_t(i)].level; };
    const auto loudest = [&level](std::ptrdiff_t from, std::ptrdiff_t to) {
        double most = -INFINITY;
        for (std::ptrdiff_t i = from; i < to; ++i) most = std::max(most, level(i));
        return most;
    };
    double lowest = INFINITY;
    for (std::ptrdiff_t i = at - dipFrames; i <= at + dipFrames; ++i)
        lowest = std::min(lowest, level(i));
    const double dip = loudest(at - cueFrames, at - cueGapFrames) - lowest;
    if (dip < gridDipDb || loudest(at, at + cueFrames) - lowest < gridComeBackDb) return false;
    const double fall = highFall(at);
    // Where the high band falls, the two cues decide; where it holds, the attack may.
    if (fall >= highFallDb) return dip - gridDipDb + fall - highFallDb >= cuesMarginDb;
    return cues == Cues::highFallOrAttack && attackRise(atTime) >= attackRiseDb;
}

// The index in heard_ of the frame nearest time, and that frame's time.
Transcriber::HeardFrame Transcriber::heardNear(double time) const {
    const auto back = std::lround((heard_.newest() - time) / frameSeconds);
    return {std::ptrdiff_t(heard_.size()) - 1 - back,
            heard_.newest() - double(back) * frameSeconds};
}

// How far the band above highBandHz fell about the cue at (dB): the old note's upper
// partials release first. at must lie far enough inside heard_ for its windows.
double Transcriber::highFall(std::ptrdiff_t at) const {
    const auto high = [this](std::ptrdiff_t from, std::ptrdiff_t count) {
        double sum = 0;
        for (std::ptrdiff_t i = from; i < from + count; ++i) sum += heard_[size_t(i)].high;
        return sum / double(count);
    };
    double fall = 0;
    for (std::ptrdiff_t j = at - highLeadFrames; j <= at + highLagFrames; ++j)
        fall = std::max(fall, high(j - highGapFrames - highBeforeFrames, highBeforeFrames) -
                                  high(j, highAfterFrames));
    return fall;
}

// No new note's attack at time: the high band held (the old note's upper partials
// release first) and the fine spectrum did not change (a new note's voices start
// afresh). False where either cannot be read.
bool Transcriber::noAttackAt(double time) const {
    const auto [at, atTime] = heardNear(time);
    if (at < highFallHistory ||
        at + highLagFrames + highAfterFrames > std::ptrdiff_t(heard_.size()))
        return false;
    return highFall(at) < highFallDb && attackRise(atTime) < attackRiseDb;
}

// How much more the band's fine spectrum changes near time than before it (dB). NAN
// where the samples may be gone: only the last kept_ surely remain, whatever blocks
// were fed, so a recording read in any blocks is heard alike.
double Transcriber::attackRise(double time) const {
    const size_t length = attackBand_.length();
    const size_t keptFrom = frames_ * hop_ > kept_ ? frames_ * hop_ - kept_ : 0;
    const size_t analysed = (frames_ - 1) * hop_ + tracker_.frameLength();
    // The samples of frame i after the point; null where they may be gone.
    const auto frame = [&](std::ptrdiff_t i) -> const float* {
        const double middle = (time + double(i) * frameSeconds) * rate_;
        const auto first = std::lround(middle) - std::ptrdiff_t(length / 2);
        if (first < std::ptrdiff_t(keptFrom) || size_t(first) + length > analysed) return nullptr;
        return &samples_[size_t(first) - consumed_];
    };
    // The band's levels from attackBaseFrames + attackSpanFrames before the point, two
    // frames at a time.
    static_assert((attackBaseFrames + attackSpanFrames + attackLagFrames + 1) % 2 == 0);
    std::vector<std::vector<double>> levels;
    for (std::ptrdiff_t i = -attackBaseFrames - attackSpanFrames; i <= attackLagFrames; i += 2) {
        const float *first = frame(i), *second = frame(i + 1);
        if (!first || !second) return NAN;
        for (auto& one : attackBand_.at(first, second)) levels.push_back(std::move(one));
    }
    // The mean rise of the bins over attackSpanFrames, to i frames after the point.
    const auto change = [&levels](std::ptrdiff_t i) {
        const auto& now = levels[size_t(i + attackBaseFrames + attackSpanFrames)];
        const auto& before = levels[size_t(i + attackBaseFrames)];
        double sum = 0;
        for (size_t k = 0; k < now.size(); ++k) sum += std::max(0.0, now[k] - before[k]);
        return sum / double(now.size());
    };
    double base = 0, peak = -INFINITY;
    for (std::ptrdiff_t i = -attackBaseFrames; i < -attackBaseEndFrames; ++i) base += change(i);
    for (std::ptrdiff_t i = -attackLeadFrames; i <= attackLagFrames; ++i)
        peak = std::max(peak, change(i));
    return peak - base / double(attackBaseFrames - attackBaseEndFrames);
}

// The notes heard since the beat was last known had no grid: now that it is known, their
// points still within gridLookBack are judged as they would have been, each gridJudged
// before the note's end. A note sung again that stays far under the note it parted from
// was that note's release (endNote's rule, from the frame it would have been judged at).
void Transcriber::judgeBeatless() {
    const double beat = grid_.beat, earliest = std::max(gridBeatFraction * beat, gridYoung);
    const double reach = heard_.newest() - gridLookBack, since = beatlessFrom_;
    beatlessFrom_ = NAN;
    if (beat < shortestRepeat) return;
    // The notes are in order: those before since had a beat, and need no look.
    const auto heardSince =
        std::lower_bound(notes_.begin(), notes_.end(), since,
                         [](const HeardNote& note, double time) { return note.onset < time; });
    for (size_t i = size_t(heardSince - notes_.begin()); i < notes_.size(); ++i) {
        const HeardNote note = notes_[i];
        const double end = note.onset + note.duration;
        if (end - gridJudged < reach) continue;
        const double first = std::max(earliest, reach - note.onset);
        for (double at = note.onset + std::floor(first / beat + 1) * beat; at + gridJudged <= end;
             at += beat) {
            const double heardAt = at + gridJudged;
            if (!repeatCueAt(at) ||
                loudestHeard(heardAt, end) < loudestHeard(note.onset, heardAt) - fadingResungDb)
                continue;
            // The rest is a note of its own, judged from its onset as the next.
            notes_[i].duration = at - note.onset;
            notes_.insert(notes_.begin() + std::ptrdiff_t(i) + 1,
                          {at, end - at, note.pitch, note.confidence});
            break;
        }
    }
}

// The loudest level heard from from until to, of the frames still kept; -INFINITY when none.
double Transcriber::loudestHeard(double from, double to) const {
    double loudest = -INFINITY;
    for (size_t back = 0; back < heard_.size(); ++back) {
        const double time = heard_.newest() - double(back) * frameSeconds;
        if (time < from) break;
        if (time < to) loudest = std::max(loudest, heard_[heard_.size() - 1 - back].level);
    }
    return loudest;
}

void Transcriber::CueHistory::push(double time, Cue cue) {
    cues_[next_] = cue;
    next_ = (next_ + 1) % cues_.size();
    size_ = std::min(size_ + 1, cues_.size());
    newest_ = time;
}

// The weak cues of a note sung again, judged once the cueFrames after a frame are heard,
// anywhere in a note past its first gridYoung: the tune's phrases may ask for them.
void Transcriber::keepCue() {
    if (!inNote_ || heard_.size() <= size_t(cueFrames)) return;
    const double at = heard_.newest() - double(cueFrames) * frameSeconds;
    if (at < noteOnset() + gridYoung || !repeatCueAt(at)) return;
    if (!cueRuns_.empty() && at - cueRuns_.back().to < 1.5 * frameSeconds)
        cueRuns_.back().to = at;
    else if (cueRuns_.size() < maxCueRuns)
        cueRuns_.push_back({at, at});
}

// Where the note held is sung again, as the same phrase sang it another time; NAN when not.
double Transcriber::sungAgainInPhrase(size_t held) const {
    const size_t count = notes_.size();
    // From a note's onset to the next one's, or to its end.
    const auto span = [this, count](size_t i) {
        return i + 1 < count ? notes_[i + 1].onset - notes_[i].onset : notes_[i].duration;
    };
    const auto alike = [](double a, double b) {
        return std::fabs(a - b) <= spanTolerance * std::max(a, b);
    };
    const auto samePitch = [this](size_t a, size_t b) {
        return std::fabs(notes_[a].pitch - notes_[b].pitch) * 100 < jumpCents;
    };
    const auto sameNote = [&](size_t a, size_t b) {
        return samePitch(a, b) && alike(span(a), span(b));
    };
    const HeardNote& note = notes_[held];
    const size_t last = std::min(count, held + phraseReach);
    for (size_t first = held > phraseReach ? held - phraseReach : 0; first + 1 < last; ++first) {
        const size_t second = first + 1;
        if (first == held || second == held || !samePitch(first, held) || !samePitch(second, held))
            continue;
        const double pair = notes_[second].onset - notes_[first].onset + span(second);
        if (!alike(pair, span(held))) continue;
        // The notes before each, then those after, agree one by one as far as they go.
        size_t neighbours = 0;
        for (size_t k = 1; k <= std::min(held, first) && neighbours < phraseNeighbours; ++k) {
            if (held - k == second || first - k == held || !sameNote(held - k, first - k)) break;
            ++neighbours;
        }
        for (size_t k = 1; held + k < count && second + k < count && neighbours < phraseNeighbours;
             ++k) {
            if (held + k == first || second + k == held || !sameNote(held + k, second + k)) break;
            ++neighbours;
        }
        if (neighbours < phraseNeighbours) continue;
        const double expected =
            note.onset + (notes_[second].onset - notes_[first].onset) / pair * span(held);
        const auto run =
            std::lower_bound(cueRuns_.begin(), cueRuns_.end(), expected - onGridSeconds,
                             [](const CueRun& r, double time) { return r.to < time; });
        if (run == cueRuns_.end()) continue;
        const double at = std::clamp(expected, run->from, run->to);
        if (std::fabs(at - expected) <= onGridSeconds && at - note.onset >= shortestRepeat &&
            note.onset + note.duration - at >= shortestRepeat)
            return at;
    }
    return NAN;
}

// Each held note a phrase sung again parts in two; a phrase so parted shows in turn how
// its next occurrence was sung.
void Transcriber::singAgainAsPhrases() {
    for (bool parting = true; parting;) {
        parting = false;
        std::vector<HeardNote> parted;
        for (size_t i = 0; i < notes_.size(); ++i) {
            HeardNote note = notes_[i];
            const double at = sungAgainInPhrase(i);
            if (!std::isnan(at)) {
                parted.push_back({note.onset, at - note.onset, note.pitch, note.confidence});
                note.duration -= at - note.onset;
                note.onset = at;
                parting = true;
            }
            parted.push_back(note);
        }
        notes_ = std::move(parted);
    }
}

void Transcriber::noteLevel(const Frame& frame) {
    loudest_ = std::max(loudest_, frame.level);
    // The attack's rise is no tremolo, nor a note sung again.
    if (frame.time - noteStart_ < attackSeconds) return;
    levels_.push_back(frame.level);
    if (levels_.size() > referenceFrames + 2 * riseFrames) levels_.pop_front();
    // A note's tremolo is its own, and may swing slowly (a choir's beating comes and
    // goes): once its attack has passed, the most it swung over a whole cycle holds.
    const double swingFrom = frame.time - double(levels_.size() - 1) * frameSeconds;
    if (levels_.size() >= tremoloFrames + 2 * riseFrames &&
        swingFrom - noteStart_ >= shortestRepeat) {
        noteSwing_ = std::max(noteSwing_, swingBefore());
        noteSwingRead_ = true;
    }
}

void Transcriber::startNote(std::vector<Frame> frames, double onset) {
    inNote_ = true;
    resungFrom_ = NAN;
    fadedFrom_ = NAN;
    settled_ = Settled::no;
    crossfaded_ = false;
    hiddenFound_ = false;
    noteStart_ = std::isnan(onset) ? frames.front().time : onset;
    note_.clear();
    pending_.clear();
    tail_.clear();
    levels_.clear();
    noteSwing_ = 0;
    noteSwingRead_ = false;
    unsureRepeat_ = NAN;
    ringsOn_ = false;
    fall_.floor = NAN;
    grid_ = {};
    loudest_ = -INFINITY;
    for (const Frame& f : frames) addToNote(f);
}

void Transcriber::addToNote(const Frame& frame) {
    if (note_.size() < maxNoteFrames) note_.push_back(frame);
    settleOnset(frame.time);
    tail_.push_back(frame);
    if (tail_.size() > referenceFrames) tail_.pop_front();
    noteLevel(frame);
    voicedUntil_ = frame.time + frameSeconds;
}

void Transcriber::endNote(double time, Next next, double nextPitch) {
    inNote_ = false;
    // A voice's tremolo is its own: a note heard over a whole cycle tells the next how deep it
    // is, by the most it swung over a cycle (a calm end is no reason to think it calm).
    if (levels_.size() >= tremoloFrames + 2 * riseFrames)
        voiceSwing_ = std::max(noteSwing_, swingBefore());
    const bool joinsNext = next != Next::none;
    const bool resung = !std::isnan(resungFrom_);
    // A note that never rose out of what ended the note before (its fade, flickering
    // about silence) was that note too.
    const bool oldNote =
        (resung && ((next == Next::otherPitch && time - noteStart_ < shortestResung) ||
                    loudest_ < resungFrom_ - fadingResungDb)) ||
        loudest_ < fadedFrom_ - fadeDb;
    if (oldNote && !notes_.empty()) {
        lastOn(time, joinsNext);
        return;
    }
    const bool carried = joinPrevious_;
    const double onset = noteOnset();
    joinPrevious_ = false;
    const double before = previous_;
    previous_ = NAN;
    const size_t trim = size_t(double(note_.size()) * middleTrim);
    const size_t first = crossfaded_ ? size_t(double(note_.size()) * crossfadeTrim) : trim;
    std::vector<double> pitches;
    double aperiodicity = 0;
    for (size_t i = first; i < note_.size() - trim; ++i) {
        pitches.push_back(note_[i].pitch);
        aperiodicity += note_[i].aperiodicity;
    }
    const double pitch = median(pitches);
    const double confidence =
        std::clamp(1 - aperiodicity / double(pitches.size()) / voicedAperiodicity, 0.0, 1.0);
    // A scoop about this pitch (closer than a young note's least step) was this note's own
    // start, which the tracker parted from it: the two are as long as a note together.
    // So was a slip onto this note's undertone, where the note was then heard surely: in a
    // room the old note's reverb and a quick new note sound their common undertone for
    // most of the new note's length (a choir's slips lead on into a blend heard unsurely).
    const bool ownScoop = std::fabs(pitch - carriedPitch_) * 100 < youngJumpCents;
    const bool ownUndertone = carriedPitch_ < pitch && harmonicOf(carriedPitch_, pitch) &&
                              confidence >= sureUndertoneConfidence;
    const double begun = carried && (ownScoop || ownUndertone) ? onset : noteStart_;
    // Begun at a shallow dip with no new note's attack, at the old note's pitch, it was the
    // old note ringing on: an instrument's own dip as its vibrato begins, against a room's
    // reverb. At another pitch the dip was a step's.
    if (ringsOn_ && !notes_.empty() && std::fabs(pitch - notes_.back().pitch) * 100 < jumpCents) {
        lastOn(time, joinsNext);
        return;
    }
    // A short stretch just past the note before, away from the next and closer to it
    // than a step, was that note: two notes close together beat as they crossfade, and
    // at each null the period heard swings past the louder old note, away from the new.
    if (next == Next::otherPitch && !resung && !notes_.empty() && time - begun < longestSlip &&
        std::fabs(pitch - before) * 100 < jumpCents &&
        (pitch - before) * (nextPitch - before) < 0) {
        lastOn(time, joinsNext);
        return;
    }
    // A short stretch heard unsurely between two notes, at whatever pitch, was the
    // tracker caught between the two crossfading; a stretch of any length that was the
    // next note heard low is that note's.
    if (joinsNext && (next == Next::heardLow || time - begun < shortestJoined ||
                      (time - begun < shortestSlip &&
                       (harmonicOf(pitch, before) || slipsToward(pitch, nextPitch))) ||
                      (time - begun < longestSlip && confidence < caughtConfidence))) {
        joinPrevious_ = true;
        carriedOnset_ = onset;
        carriedPitch_ = pitch;
        carriedConfidence_ = confidence;
        return;
    }
    if (time - onset < shortestNote) return;
    notes_.push_back({onset, time - onset, pitch, confidence});
    if (notes_.size() >= 2 && time - onset < longestSlip)
        readBlend(notes_[notes_.size() - 2], notes_.back());
    if (joinsNext) previous_ = pitch;
}

// The note before ended where this one began: it lasts on instead, until time.
void Transcriber::lastOn(double time, bool joinsNext) {
    notes_.back().duration = time - notes_.back().onset;
    previous_ = joinsNext ? notes_.back().pitch : NAN;
}

std::vector<HeardNote> Transcriber::finish() {
    analyseFrames();
    // Silence after the last frame lets the median and the last note end.
    for (size_t i = 0; i < medianFrames; ++i)
        smooth({lastTime_ + double(i + 1) * double(hop_) / rate_, NAN, 1, gateDb, gateDb});
    if (inNote_) endNote(lastTime_, Next::none);
    singAgainAsPhrases();
    tune();
    return std::move(notes_);
}

// Where notes fall between semitones, averaged round the circle (so +0.45 and
// -0.45 average to a half, not to none) and weighted by how long each sounds.
// Notes scattered all round the circle have no tuning to speak of: none is taken off.
void Transcriber::tune() {
    double x = 0, y = 0, weight = 0;
    for (const HeardNote& note : notes_) {
        const double angle = 2 * pi * (note.pitch - std::round(note.pitch));
        x += note.duration * std::cos(angle);
        y += note.duration * std::sin(angle);
        weight += note.duration;
    }
    if (std::hypot(x, y) <= minAgreement * weight) return;
    const double offset = std::atan2(y, x) / (2 * pi);
    tuningCents_ = offset * 100;
    for (HeardNote& note : notes_) note.pitch -= offset;
}

} // namespace korvel::listen
