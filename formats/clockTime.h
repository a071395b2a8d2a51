// A time in a recording as a player's clock shows it: "1:02.5", minutes,
// seconds and tenths, or "1:01:02.5" from an hour on.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel::formats {

inline std::string clockTime(double seconds) {
    const auto tenths = uint64_t(std::llround(seconds * 10));
    const auto minutes = (unsigned long long)(tenths / 600);
    const auto rest = (unsigned long long)(tenths % 600);
    char text[40];
    if (minutes < 60)
        std::snprintf(text, sizeof text, "%llu:%02llu.%llu", minutes, rest / 10, rest % 10);
    else
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu.%llu", minutes / 60, minutes % 60,
                      rest / 10, rest % 10);
    return text;
}

} // namespace korvel::formats
