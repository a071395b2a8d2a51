// The levels of a band's bins over a short stretch of samples, under a Hann window: a
// new note's attack is told from a held one by how its fine spectrum changes.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <vector>

namespace korvel::listen {

class BandLevels {
  public:
    // The band from lowHz to highHz, read over at least seconds (a power of two of samples).
    BandLevels(double sampleRate, double lowHz, double highHz, double seconds);
    size_t length() const { return window_.size(); } // samples read per reading
    // The level (dB) of each of the band's bins, of the length() samples from each first:
    // two stretches are read at once, as the real and imaginary parts of one transform.
    std::array<std::vector<double>, 2> at(const float* first, const float* second) const;

  private:
    std::vector<double> window_;
    std::vector<std::complex<double>> turns_; // e^(-2 pi i k / length), k < length / 2
    size_t lowBin_ = 0, highBin_ = 0;
};

} // namespace korvel::listen
