// The US layout by set-1 scan code.
#include "frontend/input/keyPlaces.h"

#include <array>
#include <cstring>

namespace korvel {
namespace {

// Keys with consecutive codes, from the first's.
struct KeyRun {
    uint32_t firstCode;
    const char* characters;
};
constexpr std::array<KeyRun, 7> keyRuns = {{
    {0x02, "1234567890-="},
    {0x10, "qwertyuiop[]"},
    {0x1E, "asdfghjkl;'`"},
    {0x2B, "\\zxcvbnm,./"},
    {0x47, "789"}, // the keypad's digits, around its - and +
    {0x4B, "456"},
    {0x4F, "1230"},
}};

} // namespace

std::optional<char> usCharacterAtScanCode(uint32_t scanCode) {
    for (const KeyRun& run : keyRuns)
        if (scanCode >= run.firstCode && scanCode - run.firstCode < std::strlen(run.characters))
            return run.characters[scanCode - run.firstCode];
    return std::nullopt;
}

} // namespace korvel
