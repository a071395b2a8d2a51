// Addresses, groups and length codes as the kit's users read them: upper-case
// hex digits, zero-padded ("010", "3405", "0F").
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace korvel {

inline std::string hexText(uint32_t value, int digits) {
    char text[12];
    std::snprintf(text, sizeof text, "%0*X", digits, value);
    return text;
}
inline std::string addressText(uint32_t address) {
    return hexText(address, 3);
}

} // namespace korvel
