// The play command's progress line, "Playing FILE  0:03.2 / 0:25.0": redrawn
// in place on a terminal, and written once at the end otherwise.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace korvel::cli {

// A length of audio as minutes, seconds and tenths, "12:05.3"; tenths are cut,
// not rounded, so the line never runs ahead of the sound.
std::string playTime(uint64_t samples);

std::string progressLine(const std::string& script, uint64_t heardSamples, uint64_t totalSamples);

class Progress {
  public:
    Progress(const std::string& script, uint64_t totalSamples);

    void update(uint64_t heardSamples); // at most every progressInterval, on a terminal only
    void finish(uint64_t heardSamples, const char* suffix);

  private:
    const std::string& script_;
    uint64_t total_;
    bool live_;
    std::chrono::steady_clock::time_point nextDraw_{};
};

} // namespace korvel::cli
