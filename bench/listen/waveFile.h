// The benchmark corpus's recordings: RIFF WAVE files of 16-bit PCM, as
// make-corpus writes them, mixed down to one channel.
#pragma once

#include <string>
#include <vector>

namespace korvel::bench {

struct WaveFile {
    double rate = 0;
    std::vector<float> mono; // full scale 1
};

// Throws std::runtime_error saying what is wrong with the file.
WaveFile readWave(const std::string& path);

} // namespace korvel::bench
