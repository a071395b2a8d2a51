#include "listen/harmonicEnergy.h"

#include "listen/pi.h"

#include <cmath>

namespace korvel::listen {

HarmonicEnergy::HarmonicEnergy(double sampleRate, const std::vector<double>& frequencies,
                               size_t length)
    : window_(length) {
    for (const double f : frequencies)
        coefficients_.push_back(2 * std::cos(2 * pi * f / sampleRate));
    for (size_t n = 0; n < length; ++n)
        window_[n] = 0.5 - 0.5 * std::cos(2 * pi * double(n) / double(length));
}

double HarmonicEnergy::at(const float* first) const {
    double energy = 0;
    for (const double c : coefficients_) {
        double s1 = 0, s2 = 0;
        for (size_t n = 0; n < window_.size(); ++n) {
            const double s = window_[n] * first[n] + c * s1 - s2;
            s2 = s1;
            s1 = s;
        }
        energy += s1 * s1 + s2 * s2 - c * s1 * s2;
    }
    return energy;
}

} // namespace korvel::listen
