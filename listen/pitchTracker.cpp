#include "listen/pitchTracker.h"

#include <algorithm>
#include <cmath>

namespace korvel::listen {

namespace {
constexpr double highestHz = 4000;
// How far above the deepest dip a shorter period's dip may lie and still be
// taken for the period: a strong second harmonic leaves its half-period dip
// well above this.
constexpr double nearDeepest = 0.06;
constexpr size_t lanes = 4; // the window is a whole number of them
} // namespace

PitchTracker::PitchTracker(double sampleRate, double lowestHz)
    : sampleRate_(sampleRate),
      minLag_(std::max<size_t>(2, size_t(sampleRate / std::min(highestHz, sampleRate / 4)))),
      maxLag_(size_t(std::ceil(sampleRate / lowestHz))),
      window_((maxLag_ + lanes - 1) / lanes * lanes), difference_(maxLag_ + 2) {}

PitchFrame PitchTracker::analyse(const float* frame) {
    PitchFrame result;
    // About the mean, so a DC offset is not taken for sound; over the whole frame, so
    // the level does not flicker with a waveform's fast wobbles.
    const size_t length = frameLength();
    double mean = 0;
    for (size_t j = 0; j < length; ++j) mean += frame[j];
    mean /= double(length);
    double energy = 0;
    for (size_t j = 0; j < length; ++j) energy += (frame[j] - mean) * (frame[j] - mean);
    result.rms = std::sqrt(energy / double(length));
    if (energy <= 0) return result;

    // d(tau) over the window, normalised by its running mean (d'(0) = 1).
    std::vector<double>& d = difference_;
    d[0] = 1;
    double running = 0;
    for (size_t tau = 1; tau <= maxLag_ + 1; ++tau) {
        // Sums lane by lane in float, which the compiler keeps in one vector register.
        float sums[lanes] = {};
        for (size_t j = 0; j < window_; j += lanes)
            for (size_t lane = 0; lane < lanes; ++lane) {
                const float delta = frame[j + lane] - frame[j + lane + tau];
                sums[lane] += delta * delta;
            }
        const double sum = double(sums[0]) + sums[1] + sums[2] + sums[3];
        running += sum;
        d[tau] = running > 0 ? sum * double(tau) / running : 1;
    }

    double deepest = INFINITY;
    for (size_t tau = minLag_ + 1; tau <= maxLag_; ++tau)
        if (d[tau] < d[tau - 1] && d[tau] <= d[tau + 1]) deepest = std::min(deepest, d[tau]);
    if (!std::isfinite(deepest)) return result;
    size_t period = minLag_ + 1;
    while (!(d[period] < d[period - 1] && d[period] <= d[period + 1] &&
             d[period] <= deepest + nearDeepest))
        ++period;

    // The parabola's vertex through the dip and its neighbours.
    const double left = d[period - 1], centre = d[period], right = d[period + 1];
    const double curvature = left - 2 * centre + right;
    const double shift = curvature > 0 ? 0.5 * (left - right) / curvature : 0;
    result.frequency = sampleRate_ / (double(period) + shift);
    result.aperiodicity = std::max(0.0, centre - 0.25 * (left - right) * shift);
    return result;
}

} // namespace korvel::listen
