// Script interpreter and writer.
#include "model/script.h"

#include <algorithm>
#include <cstring>

namespace korvel {
namespace {

constexpr char magic[] = "KORVEL";
constexpr size_t magicBytes = sizeof magic - 1;
constexpr char header[] = "KORVEL Memory Output\r\n------\rF000@\r\n";
constexpr size_t headerBytes = sizeof header - 1;
constexpr size_t lineBytes = 7; // four digits, "W", CR, LF
static_assert(headerBytes == 36 && headerBytes + lineBytes * memoryNibbles / 4 == scriptImageBytes);

// Value of a hex digit character, or -1.
int digitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void applyCommand(KitState& kit, char c) {
    const int value = digitValue(c);
    if (value >= 0)
        shiftInDigit(kit, static_cast<uint32_t>(value));
    else if (c == '@')
        latchAddress(kit);
    else if (c == 'W' || c == 'w')
        storeGroup(kit);
}

} // namespace

bool applyScript(KitState& kit, const char* text, size_t length) {
    const size_t end = std::find(text, text + length, '\0') - text;
    if (end < magicBytes || std::memcmp(text, magic, magicBytes) != 0) return false;
    size_t p = magicBytes;
    while (p < end && !(end - p >= 3 && text[p] == '-' && text[p + 1] == '-' && text[p + 2] == '-'))
        ++p;
    for (; p < end; ++p) applyCommand(kit, text[p]);
    return true;
}

ScriptImage buildScript(const KitState& kit) {
    ScriptImage image{};
    std::memcpy(image.data(), header, headerBytes);
    char* line = image.data() + headerBytes;
    for (uint32_t base = 0; base < memoryNibbles; base += 4, line += lineBytes) {
        for (uint32_t i = 0; i < 4; ++i) line[i] = nibbleChar(kit.memory[base + 3 - i]);
        std::memcpy(line + 4, "W\r\n", 3);
    }
    return image;
}

char nibbleChar(uint32_t value) {
    return value < 16 ? "0123456789ABCDEF"[value] : '?';
}

} // namespace korvel
