// Notes heard in signals made here: the octave traps, noise, damage and
// rates a voice and a microphone bring; and the seam into the import.
#include "listen/heardTune.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

namespace korvel::listen {
namespace {

using Curve = std::function<double(double)>; // of seconds
constexpr double silent = NAN;

double sine(double cycles) {
    return std::sin(2 * M_PI * cycles);
}
double square(double cycles) {
    return sine(cycles) >= 0 ? 0.5 : -0.5;
}
double saw(double cycles) {
    return cycles - std::floor(cycles) - 0.5;
}
double secondHarmonic(double c) {
    return 0.2 * sine(c) + sine(2 * c);
}
double noFundamental(double c) {
    return (sine(2 * c) + sine(3 * c) + sine(4 * c) + sine(5 * c)) / 4;
}

// pitch(t): semitones, NAN where silent.
std::vector<float> render(
    double rate, double seconds, Curve pitch, double (*wave)(double) = sine,
    Curve amplitude = [](double) { return 0.5; }) {
    std::vector<float> samples(size_t(rate * seconds));
    double cycles = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double p = pitch(double(i) / rate);
        if (std::isnan(p)) continue;
        cycles += 440 * std::pow(2, (p - 69) / 12) / rate;
        samples[i] = float(amplitude(double(i) / rate) * wave(cycles));
    }
    return samples;
}

Curve steps(std::vector<std::pair<double, double>> untilPitch) { // (until s, pitch)
    return [untilPitch](double t) {
        for (const auto& [until, pitch] : untilPitch)
            if (t < until) return pitch;
        return silent;
    };
}

std::vector<float> noisy(std::vector<float> s, double rms, double lowpass = 1) {
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0, rms / std::sqrt(lowpass / (2 - lowpass)));
    double state = 0;
    for (float& x : s) x += float(state += lowpass * (gauss(random) - state));
    return s;
}

std::vector<HeardNote> hear(const std::vector<float>& samples, double rate, size_t block = 997) {
    Transcriber transcriber(rate);
    for (size_t i = 0; i < samples.size(); i += block)
        transcriber.feed(&samples[i], std::min(block, samples.size() - i));
    return transcriber.finish();
}

std::string heard(const std::vector<HeardNote>& notes) {
    std::string text;
    for (const HeardNote& n : notes)
        text += " " + std::to_string(n.onset) + "s:" + std::to_string(n.pitch);
    return text;
}

TEST(Transcriber, HearsEachNoteOnceAtItsPitch) {
    const auto tone = steps({{0.2, silent}, {0.8, 64}});
    const auto both = steps({{0.2, silent}, {0.6, 67}, {0.66, silent}, {1.0, 67}});
    const struct {
        const char* name;
        double rate;
        std::vector<float> samples;
        std::vector<std::pair<double, double>> onsetPitch;
    } cases[] = {
        {"sine", 16000, render(16000, 1, tone), {{0.2, 64}}},
        {"square", 44100, render(44100, 1, tone, square), {{0.2, 64}}},
        {"saw, low", 48000, render(48000, 1, steps({{0.2, silent}, {0.8, 40}}), saw), {{0.2, 40}}},
        {"vibrato 50 cents",
         22050,
         render(22050, 1,
                [](double t) { return t < 0.2 || t > 0.9 ? silent : 64 + 0.5 * sine(5.5 * t); }),
         {{0.2, 64}}},
        {"scoop",
         16000,
         render(16000, 1,
                [](double t) { return t < 0.2    ? silent
                                      : t < 0.28 ? 60 + (t - 0.2) * 50
                                                 : 64; }),
         {{0.2, 64}}},
        {"glide between notes",
         16000,
         render(
             16000, 1.2,
             [](double t) { return t < 0.1 ? silent : 60 + std::clamp(t - 0.5, 0.0, 0.15) * 40; }),
         {{0.1, 60}, {0.5, 66}}},
        {"re-sung after silence", 16000, render(16000, 1.2, both), {{0.2, 67}, {0.66, 67}}},
        {"re-sung after a soft dip",
         16000,
         render(16000, 1.2, steps({{0.2, silent}, {1.0, 67}}), sine,
                [](double t) { return t > 0.55 && t < 0.63 ? 0.05 : 0.5; }),
         {{0.2, 67}, {0.63, 67}}},
        {"strong second harmonic", 16000, render(16000, 1, tone, secondHarmonic), {{0.2, 64}}},
        {"missing fundamental",
         16000,
         render(16000, 1, steps({{0.2, silent}, {0.8, 45}}), noFundamental),
         {{0.2, 45}}},
        {"noise at 10 dB", 16000, noisy(render(16000, 1, tone), 0.5 / std::sqrt(20)), {{0.2, 64}}},
        {"silence", 16000, std::vector<float>(16000), {}},
        {"breath", 16000, noisy(std::vector<float>(16000), 0.05, 0.3), {}},
        {"clipped",
         16000,
         [&] {
             auto s = render(16000, 1, tone, sine, [](double) { return 4.0; });
             for (float& x : s) x = std::clamp(x, -1.0f, 1.0f);
             return s;
         }(),
         {{0.2, 64}}},
        {"DC offset",
         16000,
         [&] {
             auto s = render(16000, 1, tone);
             for (float& x : s) x += 0.4f;
             return s;
         }(),
         {{0.2, 64}}},
        {"telephone",
         8000,
         render(8000, 1.2, steps({{0.2, silent}, {0.6, 72}, {1.0, 79}})),
         {{0.2, 72}, {0.6, 79}}},
        {"30 cents sharp",
         16000,
         render(16000, 1.2, steps({{0.2, silent}, {0.6, 62.3}, {1.0, 65.3}})),
         {{0.2, 62}, {0.6, 65}}},
    };
    for (const auto& c : cases) {
        const std::vector<HeardNote> notes = hear(c.samples, c.rate);
        EXPECT_EQ(notes.size(), c.onsetPitch.size()) << c.name << heard(notes);
        if (notes.size() != c.onsetPitch.size()) continue;
        for (size_t i = 0; i < notes.size(); ++i) {
            EXPECT_NEAR(notes[i].onset, c.onsetPitch[i].first, 0.04) << c.name << " note " << i;
            EXPECT_NEAR(notes[i].pitch, c.onsetPitch[i].second, 0.25) << c.name << " note " << i;
        }
    }
}

// Blocks of any length hear the same notes.
TEST(Transcriber, BlockLengthChangesNothing) {
    const auto samples = render(16000, 1.2, steps({{0.2, silent}, {0.6, 60}, {1.0, 62}}));
    const auto whole = hear(samples, 16000, samples.size());
    const auto single = hear(samples, 16000, 1);
    ASSERT_EQ(whole.size(), single.size());
    for (size_t i = 0; i < whole.size(); ++i) EXPECT_EQ(whole[i].onset, single[i].onset);
}

// A tune sung 14 cents off keeps its key (a MIDI file's would move by -11), and starts at its first
// note.
TEST(HeardTune, KeepsTheKeySungAndDropsLeadingSilence) {
    const std::vector<HeardNote> notes = {
        {1.5, 0.4, 69.14, 1}, {1.9, 0.4, 71.14, 1}, {2.3, 0.8, 64.14, 1}};
    const formats::ImportResult result = importHeard(notes, {}, "hum");
    ASSERT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.tune.transpose % 12, 0);
    EXPECT_EQ(result.tune.notes, 3u);
    EXPECT_EQ(result.tune.rests, 0u);
}

} // namespace
} // namespace korvel::listen
