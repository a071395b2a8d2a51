// A time in a recording as a player's clock shows it: "1:02.5", minutes,
// seconds and tenths.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel::formats {

inline std::string clockTime(double seconds) {
    const auto tenths = uint64_t(std::llround(seconds * 10));
    char text[32];
    std::snprintf(text, sizeof text, "%llu:%02llu.%llu", (unsigned long long)(tenths / 600),
                  (unsigned long long)(tenths / 10 % 60), (unsigned long long)(tenths % 10));
    return text;
}

} // namespace korvel::formats
