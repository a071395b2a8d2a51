#include "listen/bandLevels.h"

#include "listen/pi.h"

#include <cmath>

namespace korvel::listen {

BandLevels::BandLevels(double sampleRate, double lowHz, double highHz, double seconds) {
    size_t length = 1;
    while (double(length) < seconds * sampleRate) length *= 2;
    window_.resize(length);
    for (size_t n = 0; n < length; ++n)
        window_[n] = 0.5 - 0.5 * std::cos(2 * pi * double(n) / double(length));
    for (size_t k = 0; k < length / 2; ++k)
        turns_.push_back(std::polar(1.0, -2 * pi * double(k) / double(length)));
    const double binHz = sampleRate / double(length);
    lowBin_ = size_t(std::ceil(lowHz / binHz));
    highBin_ = std::min(length / 2, size_t(std::ceil(highHz / binHz)));
}

std::array<std::vector<double>, 2> BandLevels::at(const float* first, const float* second) const {
    const size_t length = window_.size();
    // An iterative radix-2 transform: the samples in bit-reversed order, then the butterflies.
    std::vector<std::complex<double>> x(length);
    for (size_t n = 0, r = 0; n < length; ++n) {
        x[r] = {window_[n] * first[n], window_[n] * second[n]};
        size_t bit = length / 2;
        for (; r & bit; bit /= 2) r ^= bit;
        r |= bit;
    }
    for (size_t half = 1; half < length; half *= 2)
        for (size_t start = 0; start < length; start += 2 * half)
            for (size_t k = 0; k < half; ++k) {
                const auto odd = turns_[k * (length / 2 / half)] * x[start + half + k];
                x[start + half + k] = x[start + k] - odd;
                x[start + k] += odd;
            }
    // Each stretch's bin from the bin and its mirror; a floor far under any recording's
    // noise, so silence reads as steady.
    const auto level = [](std::complex<double> bin) {
        return 10 * std::log10(std::norm(bin) + 1e-12);
    };
    std::array<std::vector<double>, 2> levels;
    for (size_t k = lowBin_; k < highBin_; ++k) {
        const auto mirror = std::conj(x[length - k]);
        levels[0].push_back(level((x[k] + mirror) / 2.0));
        levels[1].push_back(level((x[k] - mirror) / std::complex<double>(0, 2)));
    }
    return levels;
}

} // namespace korvel::listen
