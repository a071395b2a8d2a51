// The pitch of one short frame of a single voice, by the difference of the
// frame with itself shifted by each candidate period.
//
// The cumulative mean normalised difference makes a dip read the same at any
// loudness; the period is refined between lags by a parabola through the dip.
// Octave errors hide in two places: a strong second harmonic dips a little at
// half the period, and every period dips again at its multiples. So the
// chosen period is the shortest true dip lying near the deepest one, not the
// first dip under a fixed line nor the deepest alone.
#pragma once

#include <cstddef>
#include <vector>

namespace korvel::listen {

struct PitchFrame {
    double frequency = 0;    // Hz; 0 when the frame has no period
    double aperiodicity = 1; // the normalised difference at the period: 0 perfectly periodic
    double rms = 0;          // of the frame's samples, full scale 1
};

class PitchTracker {
  public:
    // Periods from the sample rate's quarter (or 4 kHz) down to lowestHz.
    PitchTracker(double sampleRate, double lowestHz);
    // Samples the tracker reads for one frame.
    size_t frameLength() const { return window_ + maxLag_ + 1; }
    // frame: frameLength() samples.
    PitchFrame analyse(const float* frame);

  private:
    double sampleRate_;
    size_t minLag_, maxLag_, window_;
    std::vector<double> difference_;
};

} // namespace korvel::listen
