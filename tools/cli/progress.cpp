// Progress of a tune being played, on stdout.
#include "tools/cli/progress.h"

#include "model/toneBank.h"
#include "tools/cli/terminalText.h"

#include <cinttypes>
#include <cstdio>
#include <unistd.h>

namespace korvel::cli {
namespace {

using Clock = std::chrono::steady_clock;

constexpr auto progressInterval = std::chrono::milliseconds(100);

} // namespace

std::string playTime(uint64_t samples) {
    const uint64_t tenths = samples * 10 / sampleRate;
    char text[32];
    std::snprintf(text, sizeof text, "%" PRIu64 ":%02" PRIu64 ".%" PRIu64, tenths / 600,
                  tenths / 10 % 60, tenths % 10);
    return text;
}

std::string progressLine(const std::string& script, uint64_t heardSamples, uint64_t totalSamples) {
    return "Playing " + printable(script) + "  " + playTime(heardSamples) + " / " +
           playTime(totalSamples);
}

Progress::Progress(const std::string& script, uint64_t totalSamples)
    : script_(script), total_(totalSamples), live_(isatty(fileno(stdout))) {}

void Progress::update(uint64_t heardSamples) {
    if (!live_ || Clock::now() < nextDraw_) return;
    nextDraw_ = Clock::now() + progressInterval;
    std::printf("\r%s", progressLine(script_, heardSamples, total_).c_str());
    std::fflush(stdout);
}

void Progress::finish(uint64_t heardSamples, const char* suffix) {
    std::printf("%s%s%s\n", live_ ? "\r" : "", progressLine(script_, heardSamples, total_).c_str(),
                suffix);
    std::fflush(stdout);
}

} // namespace korvel::cli
