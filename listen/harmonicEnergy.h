// How strongly a stretch of samples sounds given partials: the energy at each
// frequency, read by a Goertzel filter under a Hann window, summed.
#pragma once

#include <cstddef>
#include <vector>

namespace korvel::listen {

class HarmonicEnergy {
  public:
    // frequencies: Hz, each under half the sample rate; length: samples read per reading.
    HarmonicEnergy(double sampleRate, const std::vector<double>& frequencies, size_t length);
    bool empty() const { return coefficients_.empty(); }
    // The summed energy at the frequencies of the length samples from first.
    double at(const float* first) const;

  private:
    std::vector<double> coefficients_; // 2 cos(w) of each frequency
    std::vector<double> window_;
};

} // namespace korvel::listen
