// Notes heard in signals made here: the octave traps, noise, damage and
// rates a voice and a microphone bring; and the seam into the import.
#include "listen/bandLevels.h"
#include "listen/heardTune.h"
#include "listen/pi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <random>

namespace korvel::listen {
namespace {

using Curve = std::function<double(double)>; // of seconds
using Wave = double (*)(double);             // of cycles
constexpr double silent = NAN;

double sine(double cycles) {
    return std::sin(2 * pi * cycles);
}
const Wave square = [](double c) { return sine(c) >= 0 ? 0.5 : -0.5; };
const Wave saw = [](double c) { return c - std::floor(c) - 0.5; };
const Wave secondHarmonic = [](double c) { return 0.2 * sine(c) + sine(2 * c); };
const Wave rich = [](double c) { return sine(c) + sine(2 * c) / 2 + sine(3 * c) / 3; };
const Wave noFundamental = [](double c) { return (sine(2 * c) + sine(3 * c) + sine(5 * c)) / 3; };

// pitch(t): semitones, NAN where silent.
std::vector<float> render(
    double rate, double seconds, Curve pitch, Wave wave = sine,
    Curve amplitude = [](double) { return 0.5; }) {
    std::vector<float> samples(size_t(rate * seconds));
    double cycles = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        if (std::isnan(pitch(double(i) / rate))) continue;
        cycles += 440 * std::pow(2, (pitch(double(i) / rate) - 69) / 12) / rate;
        samples[i] = float(amplitude(double(i) / rate) * wave(cycles));
    }
    return samples;
}

Curve steps(std::vector<std::pair<double, double>> untilPitch) {
    return [untilPitch](double t) {
        for (const auto& [until, pitch] : untilPitch)
            if (t < until) return pitch;
        return silent;
    };
}

std::vector<float> each(std::vector<float> s, float (*change)(float, size_t)) {
    for (size_t i = 0; i < s.size(); ++i) s[i] = change(s[i], i);
    return s;
}

std::vector<float> noisy(std::vector<float> s, double rms, double lowpass = 1) {
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0, rms / std::sqrt(lowpass / (2 - lowpass)));
    double state = 0;
    for (float& x : s) x += float(state += lowpass * (gauss(random) - state));
    return s;
}

std::vector<float> mix(std::vector<float> a, const std::vector<float>& b) {
    for (size_t i = 0; i < a.size(); ++i) a[i] += b[i];
    return a;
}

// Loud noise in place of the voice, as when two notes overlap in a room, or over it.
std::vector<float> burst(std::vector<float> s, double from = 0.5, double until = 0.54,
                         bool over = false, float loudness = 0.5) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-loudness, loudness);
    for (size_t i = size_t(from * 16000); i < size_t(until * 16000); ++i)
        s[i] = (over ? s[i] : 0) + noise(random);
    return s;
}

// The tracker slips to the twelfth below a note of 64 for a moment (50 ms at 0.61 s), or
// to pitch.
std::vector<float> slipBack(std::vector<float> s, double from = 0.61, double seconds = 0.05,
                            double pitch = 45) {
    const std::vector<float> undertone = render(16000, seconds, [pitch](double) { return pitch; });
    std::copy(undertone.begin(), undertone.end(), s.begin() + std::ptrdiff_t(from * 16000));
    return s;
}

// Two rich notes overlapping, each at its own level: a crossfade.
struct Voice {
    double from, until, pitch;
    Curve level;
};
std::vector<float> overlap(double seconds, const Voice& old, const Voice& next, Wave wave = rich) {
    const auto voice = [seconds, wave](const Voice& v) {
        return render(16000, seconds, steps({{v.from, silent}, {v.until, v.pitch}}), wave, v.level);
    };
    return mix(voice(old), voice(next));
}

// In blocks that end anywhere in a frame.
std::vector<HeardNote> hear(const std::vector<float>& samples, double rate, size_t block = 997) {
    Transcriber transcriber(rate);
    for (size_t i = 0; i < samples.size(); i += block)
        transcriber.feed(&samples[i], std::min(block, samples.size() - i));
    return transcriber.finish();
}

const Curve ringing = [](double t) { return t < 0.6 ? 0.4 : 0.4 * std::exp((0.6 - t) / 0.12); };
const std::vector<float> octaveUp =
    mix(render(16000, 1.2, steps({{0.2, silent}, {1.2, 60}}), sine, ringing),
        render(16000, 1.2, steps({{0.6, silent}, {1.2, 72}})));

// A choir's crossfade: the new note enters softly and swells while the old one
// fades slowly, so the tracker keeps the old pitch until the new is the louder.
const Curve fadeOut = [](double t) {
    return t < 0.6 ? 0.24 : std::max(0.0, 0.24 - 0.6 * (t - 0.6));
};
const Curve fadeIn = [](double t) { return std::min(0.24, 0.06 + 0.9 * (t - 0.6)); };
const std::vector<float> crossfade = overlap(1.4, {0.2, 1.2, 64, fadeOut}, {0.6, 1.2, 62, fadeIn});

// A pad's semitone at a low pitch, in a voice without a third partial: the old note holds
// 200 ms and fades as the new one swells in from nothing, so the tracker hears the new
// one 250 ms late, and no window of 80 ms parts them.
const Curve holdsThenFades = [](double t) { return std::clamp(0.24 - 2.4 * (t - 0.8), 0.0, 0.24); };
const Curve swellsFromNothing = [](double t) { return std::min(0.24, 0.8 * (t - 0.6)); };
const Curve fadesAtOnce = [](double t) { return std::clamp(0.24 - 2.4 * (t - 0.6), 0.0, 0.24); };
const std::vector<float> semitoneDown =
    overlap(1.5, {0.2, 1.3, 57, holdsThenFades}, {0.6, 1.3, 56, swellsFromNothing},
            [](double c) { return sine(c) + sine(2 * c) / 2; });

// A new note enters 8 dB under the old one, which stops 200 ms later.
const Curve stops = [](double t) { return t < 0.8 ? 0.5 : 0.005; };
const Curve entersUnder = [](double t) { return t < 0.8 ? 0.2 : 0.25; };
const std::vector<float> entersUnderOld =
    overlap(1.3, {0.45, 1.2, 64, stops}, {0.6, 1.2, 62, entersUnder});

// The same, where loud noise hides both notes from 0.725 s and the tracker hears the
// undertone for a frame after it: the new note's onset lies back where the old pitch was
// lost, so its pitch is first taken from that frame alone.
const std::vector<float> undertoneAfterNoise =
    slipBack(burst(entersUnderOld, 0.725, 0.85, true, 1), 0.85, 0.036);

// A pad's short note, sung a little flat, swells in under the old note as that
// fades and never becomes the louder before the next note swells in quickly:
// the tracker never hears it.
const Curve fadesOn = [](double t) { return t < 0.6 ? 0.3 : 0.3 * std::exp((0.6 - t) / 0.25); };
Curve staysUnder(double level) {
    return [level](double t) {
        return t < 0.8 ? level * std::min(1.0, 0.2 + (t - 0.6) / 0.1)
                       : level * std::exp((0.8 - t) / 0.15);
    };
}
const Curve swellsQuickly = [](double t) { return std::min(0.3, 0.03 + 3 * (t - 0.8)); };
std::vector<float> shortNoteUnder(double old, double hidden, double next, double level) {
    return mix(overlap(1.5, {0.2, 1.2, old, fadesOn}, {0.6, 1.2, hidden, staysUnder(level)}),
               render(16000, 1.5, steps({{0.8, silent}, {1.5, next}}), rich, swellsQuickly));
}
const std::vector<float> hiddenBetween = shortNoteUnder(64, 66.8, 71, 0.15);

// A short note a tone past the old one, ringing on: the tracker hears their blend.
const Curve even = [](double) { return 0.3; };
const std::vector<float> blendPastOld =
    mix(mix(overlap(1.4, {0.2, 0.8, 67, even}, {0.6, 0.8, 69, even}),
            render(16000, 1.4, steps({{0.65, silent}, {0.8, 68}}), sine, even)),
        render(16000, 1.4, steps({{0.8, silent}, {1.4, 64}}), rich, even));

// A partial between a note's own (a choir's voice off pitch) gives the mix the period
// of its undertone: the tracker hears the note of 60 from 0.6 s an octave low, for
// longer than a slip.
std::vector<float> heardLow(double seconds) {
    const double end = 0.6 + seconds + 0.35;
    return mix(render(16000, end, steps({{0.2, silent}, {0.6, 64}, {end, 60}}), rich),
               render(16000, end, steps({{0.6, silent}, {0.6 + seconds, 60 + 12 * std::log2(2.5)}}),
                      sine, [](double) { return 0.15; }));
}

TEST(Transcriber, HearsEachNoteOnceAtItsPitch) {
    const Curve tone = steps({{0.2, silent}, {0.8, 64}}), low = steps({{0.2, silent}, {0.8, 40}});
    const Curve twice = steps({{0.2, silent}, {0.6, 67}, {0.66, silent}, {1.0, 67}});
    const Curve held = steps({{0.2, silent}, {1.0, 67}});
    const Curve vibrato = [](double t) {
        return t < 0.2 || t > 0.9 ? silent : 64 + sine(5 * t) / 2;
    };
    const Curve scoop = [](double t) { return t < 0.2 ? silent : std::min(64.0, 50 + t * 50); };
    const Curve dip = [](double t) { return t > 0.55 && t < 0.63 ? 0.05 : 0.5; };
    // A bow change: the new stroke starts 10 dB down and comes back only 4 dB at first.
    const Curve bow = [](double t) { return t < 0.6 ? 0.5 : t < 0.64 ? 0.16 : 0.25; };
    // A softer bow stroke: 14 dB down, growing back 3 dB in the first 250 ms.
    const Curve slowBow = [](double t) {
        return t < 0.6 ? 0.5 : std::min(0.5, 0.1 * std::pow(10, 12 * (t - 0.6) / 20));
    };
    // A choir's beating comes and goes: a swell of 8 dB, calm for 500 ms, a dip of 7 dB.
    const Curve beating = [](double t) {
        return std::fabs(t - 0.55) < 0.05 ? 0.75 : std::fabs(t - 1.2) < 0.05 ? 0.13 : 0.3;
    };
    // A new syllable's attack over a steady note: 6 dB up for 60 ms, no dip.
    const Curve attackOver = [](double t) { return t < 0.6 ? 0.25 : t < 0.66 ? 0.5 : 0.3; };
    const Curve swell = [](double t) { return t > 0.62 && t < 0.66 ? 0.1 : 0.5; };
    // A new syllable: a dip of 4 dB, then a swell 6 dB over the old note.
    const Curve syllable = [](double t) { return t < 0.6 ? 0.25 : t < 0.64 ? 0.16 : 0.5; };
    // A choir's new note swells in over 200 ms while the old one fades.
    const Curve slowSwell = [](double t) {
        return t < 0.6 ? 0.5 : t < 0.62 ? 0.15 : std::min(0.5, 0.15 + (t - 0.62));
    };
    // A choir's release: it fades 24 dB in 100 ms, then its beating lifts it 8 dB.
    const Curve wavering = [](double t) {
        return t < 0.8   ? 0.5
               : t < 0.9 ? 0.5 * std::pow(10, -12 * (t - 0.8))
                         : std::min(0.08, 0.03 + 0.5 * (t - 0.9));
    };
    // A release flickering about silence: gone for 60 ms, then back 34 dB down.
    const Curve flickering = [](double t) { return t < 0.8 ? 0.5 : t < 0.86 ? 0 : 0.01; };
    // Tremolo of +-7 dB that calms before the note ends, then a young note's slow dip of 14 dB.
    const Curve calmsThenDips = [](double t) {
        const double dip = -14 * std::clamp((0.07 - std::fabs(t - 1.28)) / 0.05, 0.0, 1.0);
        return 0.3 * std::pow(10, (t < 0.7 ? 7 * sine(5 * t) : dip) / 20);
    };
    const Curve tremolo = [](double t) { return 0.3 * std::pow(10, 5 * sine(6 * t) / 20); };
    // A choir's beating at its deepest: 6.5 dB down for 60 ms, coming back 3.5 dB.
    const Curve deepestBeat = [](double t) {
        return 0.5 * std::pow(10, (t < 0.6 ? 0 : t < 0.66 ? -6.5 : -3) / 20);
    };
    // A whistle's own dip of 10 dB in its first cycle, come back from fully, then a fall of 4 dB.
    const Curve youngDip = [](double t) {
        return t > 0.42 && t < 0.47 ? 0.16 : t < 0.5 ? 0.5 : 0.3;
    };
    // An instrument's own dip 300 ms into the note: 8 dB down over 80 ms, back over 160 ms.
    const Curve ownDip = [](double t) {
        const double db = t < 0.44 ? 0 : t < 0.52 ? -100 * (t - 0.44) : -8 + 50 * (t - 0.52);
        return 0.3 * std::pow(10, std::min(0.0, db) / 20);
    };
    // A whistle's own dip 280 ms into the note: 30 dB down over 40 ms, swelling back in 30.
    const Curve ownQuickDip = [](double t) {
        const double db = t < 0.48 ? 30 - 750 * (0.48 - t) : 30 - 1000 * (t - 0.48);
        return 0.3 * std::pow(10, -std::max(0.0, db) / 20);
    };
    const Curve releasesFirst = [](double t) { return t > 0.44 && t < 0.56 ? 0.01 : 0.15; };
    const Curve dipAfterStep = [](double t) { return t > 0.93 && t < 0.99 ? 0.11 : 0.5; };
    const Curve blip = [](double t) { return t < 0.2 ? silent : t > 0.5 && t < 0.54 ? 76 : 64; };
    const Curve glide = [](double t) {
        return t < 0.2 ? silent : 60 + 7 * std::clamp((t - 0.6) / 0.15, 0.0, 1.0);
    };
    // A violin's vibrato of +-20 cents swings the third partial, the only one the kit's
    // mi and fa do not share within reach, in and out of reach.
    const Curve miToFaVibrato = [](double t) {
        return t < 0.2 ? silent : (t < 0.6 ? 64.23 : 64.77) + 0.2 * std::sin(2 * pi * 5 * t + 3);
    };
    const Curve quickFadeOut = [](double t) {
        return t < 0.6 ? 0.24 : std::max(0.0, 0.24 - 1.2 * (t - 0.6));
    };
    // The kit's fa to its mi, where the two notes' beating swings the tracker's period
    // past fa, away from mi, for 180 ms first.
    const Curve pastTheOld = [](double t) {
        return t < 0.2 ? silent : t < 0.6 ? 64.77 : t < 0.65 ? 65.3 : t < 0.78 ? 65.05 : 64.23;
    };
    // The kit's fa to its mi in a choir's crossfade, as the tracker hears it: the notes'
    // first beat swings the period past fa, away from mi, as mi enters at 0.64 s.
    const Curve beatThenGlide = [](double t) {
        return t < 0.2    ? silent
               : t < 0.6  ? 64.75
               : t < 0.68 ? 65.0
               : t < 0.74 ? 64.45
               : t < 0.9  ? 64.34
               : t < 1.2  ? 64.29
                          : silent;
    };
    const Curve miToFa = [](double t) {
        return t < 0.2 ? silent : 64.77 - 0.54 * std::clamp((t - 0.6) / 0.15, 0.0, 1.0);
    };
    // Pulled sharp by the note before at first, then at its own pitch.
    const Curve partedInTwo = [](double t) {
        return t < 0.2    ? silent
               : t < 0.6  ? 69
               : t < 0.63 ? 69 - 80 * (t - 0.6)
               : t < 0.69 ? 66.5
               : t < 0.77 ? 66
               : t < 1.3  ? 67
                          : silent;
    };
    const Curve loud = [](double) { return 4.0; };
    // The old note rings on under the new one's first half and pulls the tracker's period.
    const Curve ringsOn = [](double t) { return t < 0.6 ? 0.24 : 0.24 - 0.3 * (t - 0.6); };
    const Wave noSecond = [](double c) { return sine(c) + sine(3 * c) / 3; };
    const Curve beatingSecond = [](double t) {
        return std::max(0.0, 0.2 - 0.375 * std::max(0.0, t - 0.6)) *
               (1 + 0.7 * sine(10.0 / 3 * t + 0.25));
    };
    const Curve slowFadeOut = [](double t) {
        return t < 0.6 ? 0.24 : std::max(0.0, 0.24 - 0.45 * (t - 0.6));
    };
    const Curve entersSoftly = [](double t) { return std::min(0.3, 0.06 + 1.2 * (t - 0.6)); };
    // A new note entering softly under loud noise, where the tracker hears neither note.
    const auto underNoise = [](double from, double until) {
        const Curve soft = [](double) { return 0.12; };
        return burst(mix(render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}}), rich),
                         render(16000, 1.4, steps({{0.6, silent}, {1.3, 60}}), rich, soft)),
                     from, until, true);
    };
    const Curve steady = [](double) { return 0.15; }, blend = [](double) { return 0.3; };
    // From from to 0.8 s a partial at low and a quieter one at high, over notes 1.5 s
    // long, in noise: the tracker hears that blend unsurely, at low.
    const auto withBlend = [&](const std::vector<float>& notes, double from, double low,
                               double high) {
        return noisy(
            mix(mix(notes, render(16000, 1.5, steps({{from, silent}, {0.8, low}}), rich, blend)),
                render(16000, 1.5, steps({{from, silent}, {0.8, high}}), sine, steady)),
            0.01);
    };
    // The tracker hears a blend unsurely as a short note enters under the old one.
    const auto blendAsShortNoteEnters = [&](double level) {
        return withBlend(shortNoteUnder(64, 67, 71, level), 0.6, 50, 56);
    };
    // A new note 14 dB under the old one, the louder once the old one falls back.
    const Curve fallsBack = [](double t) { return t < 0.8 ? 0.5 : 0.1; };
    const Curve comesForth = [](double t) { return t < 0.8 ? 0.1 : 0.5; };
    const Curve dipThenFallsBack = [](double t) {
        return t > 0.55 && t < 0.63 ? 0.05 : t < 1.05 ? 0.5 : 0.1;
    };
    const Curve comesForthLater = [](double t) { return t < 1.05 ? 0.1 : 0.5; };
    // A tune on a grid of 0.4 s whose last note is sung again at 3.0 s, on the grid,
    // inside a choir's beating: a swell of 8 dB, then a dip of 7 dB (or dipDb) in every
    // partial, come back from at once or, as a choir's new note swells in, over comeBack.
    const Wave bright = [](double c) {
        double sum = 0;
        for (int h = 1; h <= 8; ++h) sum += sine(h * c) / h;
        return sum / 3;
    };
    const auto bump = [](double t, double at, double halfWidth) {
        return std::fabs(t - at) < halfWidth ? std::pow(std::cos(pi / 2 * (t - at) / halfWidth), 2)
                                             : 0.0;
    };
    // Its notes climb from 60 at onsets, the last held 1.6 s with its swell 0.6 s in (or at
    // swellAt).
    const auto gridTune = [&](double dipAt, double comeBack = 0,
                              std::vector<double> onsets = {0.2, 0.6, 1.0, 1.4, 1.8},
                              double swellAt = NAN, double dipDb = 7, double dipHalfWidth = 0.07) {
        const double held = onsets.back(), climb[] = {60, 62, 64, 65, 67, 69, 71};
        if (std::isnan(swellAt)) swellAt = held + 0.6;
        const Curve beatsAndDips = [=](double t) {
            const double dip = t > dipAt && comeBack > 0 ? std::max(0.0, 1 - (t - dipAt) / comeBack)
                                                         : bump(t, dipAt, dipHalfWidth);
            return 0.3 * std::pow(10, (8 * bump(t, swellAt, 0.1) - dipDb * dip) / 20);
        };
        std::vector<std::pair<double, double>> untilPitch = {{onsets[0], silent}};
        for (size_t i = 1; i <= onsets.size(); ++i)
            untilPitch.push_back({i < onsets.size() ? onsets[i] : held + 1.6, climb[i - 1]});
        return render(16000, held + 1.8, steps(untilPitch), bright, beatsAndDips);
    };
    // The held note's release begins at 3.0 s, on the grid, as the same pitch swells back
    // in: the level has risen halfway out of the dip only 110 ms later.
    const Curve releaseThenSwell = [](double t) {
        const double db = t < 3.0 ? 0 : t < 3.08 ? -100 * (t - 3.0) : -8 + 60 * (t - 3.08);
        return 0.3 * std::pow(10, std::min(0.0, db) / 20);
    };
    const std::vector<std::pair<double, double>> tuneOnGrid = {
        {0.2, 60}, {0.6, 62}, {1.0, 64}, {1.4, 65}, {1.8, 67}};
    // A steady level but for one dip of db, at, width wide.
    const auto dipOf = [bump](double db, double at, double width) -> Curve {
        return [=](double t) { return 0.3 * std::pow(10, -db * bump(t, at, width) / 20); };
    };
    // A phrase sung twice from 0.2 s and 3.0 s, on a beat of 0.4 s: its 64 and 62 held
    // 0.8 s each the first time, with a dip of dipDb 0.3 s into each in every partial (the
    // weak cues of a note sung again, too shallow alone, and off the beat's grid, which
    // would part them by itself), and sung twice each the second time if parted. Only once the 62
    // is parted do the notes after the held 64 match those after its twin.
    const auto phraseTwice = [&](double dipDb, bool parted) {
        const double breath = parted ? 0.06 : 0;
        const Curve dips = [bump, dipDb](double t) {
            return 0.3 * std::pow(10, -dipDb * (bump(t, 0.9, 0.07) + bump(t, 1.7, 0.07)) / 20);
        };
        return render(16000, 6.0,
                      steps({{0.2, silent},
                             {0.6, 57},
                             {1.4, 64},
                             {2.2, 62},
                             {2.6, 60},
                             {3.0, 67},
                             {3.4, 60},
                             {3.7 - breath, 64},
                             {3.7, silent},
                             {4.2, 64},
                             {4.5 - breath, 62},
                             {4.5, silent},
                             {5.0, 62},
                             {5.4, 60},
                             {5.8, 67}}),
                      bright, dips);
    };
    const std::vector<std::pair<double, double>> phraseHeldThenParted = {
        {0.2, 57}, {0.6, 64}, {1.4, 62}, {2.2, 60}, {2.6, 67}, {3.0, 60},
        {3.4, 64}, {3.7, 64}, {4.2, 62}, {4.5, 62}, {5.0, 60}, {5.4, 67}};
    auto phrasePartedTwice = phraseHeldThenParted;
    phrasePartedTwice.insert(phrasePartedTwice.begin() + 2, {0.9, 64});
    phrasePartedTwice.insert(phrasePartedTwice.begin() + 4, {1.7, 62});
    // Held both times: the second 64 and 62 sung once.
    auto phraseHeldTwice = phraseHeldThenParted;
    phraseHeldTwice.erase(phraseHeldTwice.begin() + 9);
    phraseHeldTwice.erase(phraseHeldTwice.begin() + 7);
    auto tuneSungAgain = tuneOnGrid;
    tuneSungAgain.push_back({3.0, 67});
    const Curve sharp = steps({{0.2, silent}, {0.6, 62.3}, {1.0, 65.3}});
    float (*clip)(float, size_t) = [](float x, size_t) { return std::clamp(x, -1.0f, 1.0f); };
    float (*offset)(float, size_t) = [](float x, size_t) { return x + 0.4f; };
    float (*damage)(float, size_t) = [](float x, size_t i) { return i % 199 ? x : NAN; };
    // The held note of 67 for 1.2 s, its level following level.
    const auto heldWith = [&](const Curve& level) { return render(16000, 1.2, held, sine, level); };
    const struct {
        const char* name;
        std::vector<float> samples;
        std::vector<std::pair<double, double>> onsetPitch;
        double rate = 16000;
    } cases[] = {
        {"sine", render(16000, 1, tone), {{0.2, 64}}},
        {"square", render(44100, 1, tone, square), {{0.2, 64}}, 44100},
        {"saw, low", render(48000, 1, low, saw), {{0.2, 40}}, 48000},
        {"vibrato", render(22050, 1, vibrato), {{0.2, 64}}, 22050},
        {"scoop", render(16000, 1, scoop), {{0.2, 64}}},
        {"re-sung after silence", render(16000, 1.2, twice), {{0.2, 67}, {0.66, 67}}},
        {"re-sung after a dip", render(16000, 1, held, sine, dip), {{0.2, 67}, {0.63, 67}}},
        {"re-sung on a new bow stroke", heldWith(bow), {{0.2, 67}, {0.64, 67}}},
        {"re-sung on a slow bow stroke",
         render(16000, 1.4, held, sine, slowBow),
         {{0.2, 67}, {0.6, 67}}},
        {"re-sung, an octave low in the dip",
         render(16000, 1.2, steps({{0.2, silent}, {0.55, 67}, {0.63, 55}, {1.2, 67}}), sine, dip),
         {{0.2, 67}, {0.63, 67}}},
        {"re-sung with a swell", heldWith(syllable), {{0.2, 67}, {0.64, 67}}},
        {"re-sung, its attack over a steady note", heldWith(attackOver), {{0.2, 67}, {0.6, 67}}},
        {"re-sung, swelling slowly",
         render(16000, 1.3, held, sine, slowSwell),
         {{0.2, 67}, {0.62, 67}}},
        {"re-sung soon after a step, steady voice",
         render(16000, 1.5, steps({{0.2, silent}, {0.8, 64}, {1.4, 67}}), sine, dipAfterStep),
         {{0.2, 64}, {0.8, 67}, {0.99, 67}}},
        {"a rise just before a step",
         render(16000, 1.4, steps({{0.2, silent}, {0.9, 64}, {1.3, 67}}), sine, swell),
         {{0.2, 64}, {0.9, 67}}},
        {"a release wavering as it fades",
         render(16000, 1.4, steps({{0.2, silent}, {1.3, 67}}), sine, wavering),
         {{0.2, 67}}},
        {"a release flickering about silence",
         render(16000, 1.2, steps({{0.2, silent}, {1.1, 67}}), sine, flickering),
         {{0.2, 67}}},
        {"a young note's dip, after a voice's tremolo calmed",
         render(16000, 1.9, steps({{0.2, silent}, {1.0, 67}, {1.1, silent}, {1.8, 67}}), sine,
                calmsThenDips),
         {{0.2, 67}, {1.1, 67}}},
        {"tremolo of 5 dB", heldWith(tremolo), {{0.2, 67}}},
        {"a beating's dip just past the least, coming back half",
         heldWith(deepestBeat),
         {{0.2, 67}}},
        {"a dip in the first cycle, come back from", heldWith(youngDip), {{0.2, 67}}},
        {"an instrument's own shallow dip as its note settles",
         noisy(heldWith(ownDip), 0.04),
         {{0.2, 67}}},
        {"an instrument's own dip swelling back as its note settles",
         noisy(heldWith(ownQuickDip), 0.04),
         {{0.2, 67}}},
        {"re-sung at the same shallow dip, its upper partial released first",
         mix(noisy(heldWith(ownDip), 0.04),
             render(16000, 1.2, steps({{0.2, silent}, {1.0, 103}}), sine, releasesFirst)),
         {{0.2, 67}, {0.56, 67}}},
        {"re-sung on the tune's grid in a choir's beating", gridTune(3.0), tuneSungAgain},
        {"re-sung on the tune's grid, swelling back in slowly", gridTune(3.0, 0.5), tuneSungAgain},
        // A steady partial above the others (a breath's whistle in the held note) holds the
        // high band through the release: only the new note's attack tells it.
        {"re-sung on the tune's grid, the high band held",
         mix(gridTune(3.0),
             render(16000, 3.6, steps({{1.8, silent}, {3.4, 67 + 12 * std::log2(10)}}), sine,
                    [](double) { return 0.03; })),
         tuneSungAgain},
        {"the same dip off the tune's grid", gridTune(3.2), tuneOnGrid},
        // Both weak cues only just past their lines: 5.2 dB and 3.1 dB.
        {"a beating's dip on the tune's grid, just at both cues' lines",
         gridTune(3.0, 0, {0.2, 0.6, 1.0, 1.4, 1.8}, NAN, 5.4, 0.06), tuneOnGrid},
        {"re-sung on the tune's grid, heard once it swelled halfway in",
         render(16000, 3.8,
                steps({{0.2, silent}, {0.6, 60}, {1.0, 62}, {1.4, 64}, {1.8, 65}, {3.6, 67}}), sine,
                releaseThenSwell),
         tuneSungAgain},
        // The first note sung again before its tune's beat is known, at the fifth onset.
        {"re-sung on the grid before the beat is known",
         gridTune(1.0, 0, {0.2, 1.4, 1.8, 2.2, 2.6}, 0.45),
         {{0.2, 60}, {1.0, 60}, {1.4, 62}, {1.8, 64}, {2.2, 65}, {2.6, 67}}},
        // Onsets 0.15 s apart give a beat of 0.15 s, quicker than any tune's.
        {"the same dip on a quick beat known late",
         gridTune(0.95, 0, {0.2, 1.4, 1.55, 1.7, 1.85}, 0.45),
         {{0.2, 60}, {1.4, 62}, {1.55, 64}, {1.7, 65}, {1.85, 67}}},
        // Onsets strayed from a beat of 0.4 s: its commonest interval leaves too many off it.
        {"re-sung on the grid of a tune that strayed",
         gridTune(4.2, 0, {0.2, 1.0, 1.78, 2.21, 2.58, 3.0}),
         {{0.2, 60}, {1.0, 62}, {1.78, 64}, {2.21, 65}, {2.58, 67}, {3.0, 69}, {4.2, 69}}},
        // Two of six intervals strayed 50 ms from a beat of 0.4 s: a choir's onsets stray so.
        {"re-sung on the grid of a tune two of whose intervals strayed",
         gridTune(3.8, 0, {0.2, 0.6, 1.0, 1.45, 1.8, 2.2, 2.6}),
         {{0.2, 60}, {0.6, 62}, {1.0, 64}, {1.45, 65}, {1.8, 67}, {2.2, 69}, {2.6, 71}, {3.8, 71}}},
        // Too shallow to part a steady note off the grid; it ends before the weak cues are judged.
        {"re-sung on the tune's grid by a dip of 5.8 dB",
         render(16000, 3.4,
                steps({{0.2, silent}, {0.6, 60}, {1.0, 62}, {1.4, 64}, {1.8, 65}, {3.25, 67}}),
                sine, dipOf(5.8, 2.96, 0.08)),
         {{0.2, 60}, {0.6, 62}, {1.0, 64}, {1.4, 65}, {1.8, 67}, {3.0, 67}}},
        // A quick tune on a grid of 0.3 s, its last note sung again a beat after it began:
        // a dip of 5.5 dB, too shallow to part a young note off the grid.
        {"re-sung a beat after its onset in a quick tune",
         render(16000, 2.4,
                steps({{0.2, silent}, {0.5, 60}, {0.8, 62}, {1.1, 64}, {1.4, 65}, {2.3, 67}}),
                bright, dipOf(5.5, 1.7, 0.07)),
         {{0.2, 60}, {0.5, 62}, {0.8, 64}, {1.1, 65}, {1.4, 67}, {1.7, 67}}},
        {"re-sung where the same phrase was sung twice another time", phraseTwice(5.5, true),
         phrasePartedTwice},
        {"the same dips where the phrase held the notes each time", phraseTwice(5.5, false),
         phraseHeldTwice},
        // A tune may hold in one verse the note it sings twice in another.
        {"held where the same phrase was sung twice another time, no dip", phraseTwice(0, true),
         phraseHeldThenParted},
        {"slow beating",
         render(16000, 1.6, steps({{0.2, silent}, {1.5, 67}}), sine, beating),
         {{0.2, 67}}},
        {"an octave for a moment", render(16000, 1, blip), {{0.2, 64}}},
        {"the kit's mi to its fa, 53 cents",
         render(16000, 1.2, steps({{0.2, silent}, {0.6, 64.23}, {1.0, 64.77}})),
         {{0.2, 64.23}, {0.6, 64.77}}},
        {"the kit's mi to its fa with vibrato",
         render(16000, 1.3, miToFaVibrato, rich),
         {{0.2, 64.23}, {0.6, 64.77}}},
        // The crossfade pulls the new note's start toward the old one.
        {"the kit's mi to its fa in a crossfade",
         overlap(1.4, {0.2, 1.2, 64.23, quickFadeOut}, {0.6, 1.2, 64.77, fadeIn}),
         {{0.2, 64.23}, {0.6, 64.77}}},
        {"glide between notes", render(16000, 1.2, glide), {{0.2, 60}, {0.6, 67}}},
        {"the kit's mi and fa, 150 and 320 ms",
         render(16000, 1.1, steps({{0.2, silent}, {0.45, 60}, {0.6, 64.77}, {0.92, 64.23}})),
         {{0.2, 60}, {0.45, 64.77}, {0.6, 64.23}}},
        {"a short note the tracker parts in two",
         render(16000, 1.4, partedInTwo),
         {{0.2, 69}, {0.6, 66}, {0.77, 67}}},
        {"past the old note before the next",
         render(16000, 1.2, pastTheOld),
         {{0.2, 64.77}, {0.78, 64.23}}},
        {"the kit's fa to its mi, past fa as mi enters",
         render(16000, 1.3, beatThenGlide),
         {{0.2, 64.75}, {0.64, 64.29}}},
        {"a glide from the kit's mi to its fa",
         render(16000, 1.3, miToFa),
         {{0.2, 64.77}, {0.65, 64.23}}},
        // Two notes crossfading: the tracker holds their common undertone a while.
        {"undertone between notes",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.75, 52}, {1.2, 60}})),
         {{0.2, 64}, {0.6, 60}}},
        {"undertone of the next note",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 60}, {0.75, 55}, {1.2, 67}})),
         {{0.2, 60}, {0.6, 67}}},
        // Two notes crossfading repeat at no period well: the tracker hears another pitch,
        // unsurely.
        {"a stretch heard unsurely between notes",
         burst(render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.75, 56}, {1.2, 60}})), 0.6,
               0.75, true, 0.3),
         {{0.2, 64}, {0.6, 60}}},
        {"the next note's octave for a moment",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.75, 72}, {1.2, 60}})),
         {{0.2, 64}, {0.6, 60}}},
        {"the next note's undertone for 250 ms",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.85, 48}, {1.3, 60}})),
         {{0.2, 64}, {0.6, 60}}},
        // A quick note after a step, heard at its undertone for most of its length (a room).
        {"a quick note heard two octaves low at first",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.73, 36}, {0.8, 60}, {1.2, 65}})),
         {{0.2, 64}, {0.6, 60}, {0.8, 65}}},
        {"a note heard an octave low for 350 ms", heardLow(0.35), {{0.2, 64}, {0.6, 60}}},
        {"an octave up while the old note rings on", octaveUp, {{0.2, 60}, {0.6, 72}}},
        {"a tone down in a slow crossfade", crossfade, {{0.2, 64}, {0.6, 62}}},
        // The old note heard a frame late: the new note's step lies a little under a
        // note's length after it.
        {"a tone down swelling in a note's length into the old note",
         overlap(1.2, {0.5, 1.2, 64, fadesAtOnce}, {0.6, 1.2, 62, swellsFromNothing}),
         {{0.5, 64}, {0.6, 62}}},
        {"a semitone down at a low pitch in a pad's crossfade",
         semitoneDown,
         {{0.2, 57}, {0.6, 56}}},
        // A choir's beating swings the old note's even partials, which the new note's
        // octave, a near multiple of the old note, shares within a short window's reach:
        // the tracker slips onto that octave as the new note enters, the old one under it.
        {"a semitone up in a choir's beating, heard at its octave for a moment",
         mix(slipBack(
                 mix(overlap(1.3, {0.2, 1.2, 59, fadesAtOnce}, {0.6, 1.2, 60, blend}, noSecond),
                     render(16000, 1.3, steps({{0.2, silent}, {1.2, 71}}), sine, beatingSecond)),
                 0.64, 0.06, 71.8),
             render(16000, 1.3, steps({{0.64, silent}, {0.7, 59}}), sine,
                    [](double) { return 0.05; })),
         {{0.2, 59}, {0.6, 60}}},
        {"a tone up while the old note rings on",
         overlap(1.1, {0.2, 0.9, 60, ringsOn}, {0.6, 0.9, 62, entersSoftly}),
         {{0.2, 60}, {0.6, 62}}},
        // The tracker hears a period between the two, gliding too smoothly for a step.
        {"a tone up in a slow crossfade",
         overlap(1.6, {0.2, 1.6, 60, slowFadeOut}, {0.6, 1.6, 62, fadeIn}),
         {{0.2, 60}, {0.6, 62}}},
        {"a new note under a moment of noise", underNoise(0.55, 0.8), {{0.2, 64}, {0.6, 60}}},
        {"a new note under a longer moment of noise",
         underNoise(0.6, 0.95),
         {{0.2, 64}, {0.6, 60}}},
        {"a new note entered under the old one, heard first at the undertone after noise",
         undertoneAfterNoise,
         {{0.45, 64}, {0.6, 62}}},
        {"a new note begun in a slip back to the old note",
         slipBack(overlap(1.1, {0.2, 1.0, 64, fallsBack}, {0.6, 1.0, 62, comesForth})),
         {{0.2, 64}, {0.6, 62}}},
        // The tracker hears the new note 150 ms, slips onto its twelfth below and comes back.
        {"a young note parted by a slip onto its undertone",
         render(16000, 1.4, steps({{0.2, silent}, {0.6, 64}, {0.75, 60}, {0.8, 41}, {1.3, 60}})),
         {{0.2, 64}, {0.6, 60}}},
        {"re-sung under 300 ms before a new note entered",
         overlap(1.5, {0.2, 1.4, 64, dipThenFallsBack}, {0.85, 1.4, 62, comesForthLater}),
         {{0.2, 64}, {0.85, 62}}},
        {"a new note entered under the old one before it stopped",
         entersUnderOld,
         {{0.45, 64}, {0.6, 62}}},
        // As the old note rings on, the tracker hears a blend unsurely at its undertone
        // for 120 ms before the next note's own partials enter.
        {"a blend heard unsurely under the old note before the next",
         withBlend(overlap(1.5, {0.2, 1.0, 64, steady}, {0.8, 1.5, 62, blend}), 0.68, 52, 58),
         {{0.2, 64}, {0.8, 62}}},
        {"a short note never the louder, between two",
         hiddenBetween,
         {{0.2, 64}, {0.6, 66.8}, {0.8, 71}}},
        {"a short note never the louder, the next one already under it",
         mix(hiddenBetween, render(16000, 1.5, steps({{0.2, silent}, {0.8, 71}}), rich,
                                   [](double) { return 0.04; })),
         {{0.2, 64}, {0.6, 66.8}, {0.8, 71}}},
        // Louder, it leaks into the filters of the semitone above, whose steps in and out
        // read the clearer.
        {"a short note never the louder, and its semitone above",
         shortNoteUnder(60, 63, 67, 0.2),
         {{0.2, 60}, {0.6, 63}, {0.8, 67}}},
        // A blend heard as it enters lends the next note an onset inside it.
        {"a short note never the louder, a blend heard as it enters",
         blendAsShortNoteEnters(0.15),
         {{0.2, 64}, {0.6, 67}, {0.8, 71}}},
        {"a short note a little over the old one's own partials, a blend heard",
         blendAsShortNoteEnters(0.36),
         {{0.2, 64}, {0.6, 67}, {0.8, 71}}},
        {"a neighbour heard as a blend", blendPastOld, {{0.2, 67}, {0.6, 69}, {0.8, 64}}},
        {"loud moment without pitch", burst(render(16000, 1, held)), {{0.2, 67}}},
        {"strong second harmonic", render(16000, 1, tone, secondHarmonic), {{0.2, 64}}},
        {"missing fundamental", render(16000, 1, low, noFundamental), {{0.2, 40}}},
        {"noise at 10 dB", noisy(render(16000, 1, tone), 0.5 / std::sqrt(20)), {{0.2, 64}}},
        {"silence", std::vector<float>(16000), {}},
        {"breath", noisy(std::vector<float>(16000), 0.05, 0.3), {}},
        {"clipped", each(render(16000, 1, tone, sine, loud), clip), {{0.2, 64}}},
        {"DC offset", each(render(16000, 1, tone), offset), {{0.2, 64}}},
        {"NaN samples", each(render(16000, 1, tone), damage), {{0.2, 64}}},
        {"telephone, 30 cents sharp", render(8000, 1.2, sharp), {{0.2, 62}, {0.6, 65}}, 8000},
    };
    for (const auto& c : cases) {
        const std::vector<HeardNote> notes = hear(c.samples, c.rate);
        EXPECT_EQ(notes.size(), c.onsetPitch.size()) << c.name;
        for (size_t i = 0; i < std::min(notes.size(), c.onsetPitch.size()); ++i) {
            EXPECT_NEAR(notes[i].onset, c.onsetPitch[i].first, 0.04) << c.name << " note " << i;
            EXPECT_NEAR(notes[i].pitch, c.onsetPitch[i].second, 0.25) << c.name << " note " << i;
        }
    }
}

// A microphone's 10 ms blocks and a file's whole recording are heard alike,
// where an onset is sought again in the samples before the frame being heard.
TEST(Transcriber, HearsTheSameInAnyBlocks) {
    const std::vector<float> longHeardLow = heardLow(1);
    for (const std::vector<float>* samples :
         {&octaveUp, &crossfade, &entersUnderOld, &undertoneAfterNoise, &longHeardLow,
          &hiddenBetween, &semitoneDown, &blendPastOld}) {
        const std::vector<HeardNote> whole = hear(*samples, 16000, samples->size());
        for (const size_t block : {160, 4096}) {
            const std::vector<HeardNote> notes = hear(*samples, 16000, block);
            ASSERT_EQ(notes.size(), whole.size()) << block;
            for (size_t i = 0; i < notes.size(); ++i)
                EXPECT_EQ(notes[i].onset, whole[i].onset) << block << " note " << i;
        }
    }
}

// A sine's level peaks in its own bin of the band, wherever in the band and at any rate
// the transcriber reads at, in each of the two stretches read at once: a fault in the
// transform's order, or in parting the two, moves it.
TEST(BandLevels, PeaksAtEachSinesBin) {
    for (const auto& [rate, hz] :
         {std::pair{16000.0, std::array{1500.0, 2200.0}}, {22050.0, std::array{2400.0, 1010.0}}}) {
        const BandLevels band(rate, 1000, 2500, 0.04);
        std::array<std::vector<float>, 2> samples;
        for (size_t s = 0; s < 2; ++s)
            for (size_t n = 0; n < band.length(); ++n)
                samples[s].push_back(float(std::sin(2 * pi * hz[s] * double(n) / rate)));
        const auto levels = band.at(samples[0].data(), samples[1].data());
        const double binHz = rate / double(band.length());
        for (size_t s = 0; s < 2; ++s) {
            EXPECT_EQ(levels[s].size(), size_t(std::ceil(2500 / binHz) - std::ceil(1000 / binHz)));
            const auto loudest = std::max_element(levels[s].begin(), levels[s].end());
            EXPECT_EQ(loudest - levels[s].begin(),
                      std::lround(hz[s] / binHz) - std::lround(std::ceil(1000 / binHz)))
                << hz[s];
        }
    }
}

// Notes without end, made block by block: reading stops once maxHeardNotes are
// heard, and the tune is refused unless the person asks for it cut.
TEST(Listening, StopsReadingARecordingTooLongForMemory) {
    const double rate = 8000, noteSeconds = 0.15;
    Listening listening(rate);
    std::vector<float> block(size_t(rate * noteSeconds));
    double cycles = 0;
    size_t blocks = 0;
    for (bool reading = true; reading; ++blocks) {
        const double frequency = blocks % 2 ? 330 : 440;
        for (float& x : block) x = float(0.5 * sine(cycles += frequency / rate));
        reading = listening.feed(block.data(), block.size());
        ASSERT_LT(blocks, maxHeardNotes + 100) << "reading never stopped";
    }
    const HeardRecording heard = listening.finish();
    EXPECT_TRUE(heard.cut);
    EXPECT_GE(heard.notes.size(), maxHeardNotes);
    EXPECT_FALSE(listening.feed(block.data(), block.size()));
    EXPECT_FALSE(importHeard(heard, {}, "long").ok);
}

// A tune sung 14 cents off keeps its key (a MIDI file's would move by -11),
// and starts at its first note.
TEST(HeardTune, KeepsTheKeySungAndDropsLeadingSilence) {
    const std::vector<HeardNote> notes = {
        {1.5, 0.4, 64.14, 1}, {1.9, 0.4, 66.14, 1}, {2.3, 0.8, 59.14, 1}};
    const formats::ImportResult result = importHeard({notes}, {}, "hum");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.tune.transpose % 12, 0);
    EXPECT_EQ(result.tune.notes, 3u);
    EXPECT_EQ(result.tune.rests, 0u);
}

} // namespace
} // namespace korvel::listen
