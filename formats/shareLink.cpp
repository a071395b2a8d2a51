// Share text: writing, and strict reading.
#include "formats/shareLink.h"

#include "model/script.h"

#include <array>
#include <cstdio>

namespace korvel {
namespace {

constexpr char formatVersion = '1';
constexpr size_t packedBytes = memoryNibbles / 2;
constexpr size_t memoryChars = (packedBytes * 8 + 5) / 6;
// "1." "T." "SSS." and the memory.
constexpr size_t shareTextLength = 2 + 2 + 4 + memoryChars;
constexpr size_t memoryAt = shareTextLength - memoryChars;
const char base64Url[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";

int valueOf(char c, int base) {
    for (int v = 0; v < base; ++v) {
        const char symbol = base == 64 ? base64Url[v] : nibbleChar(static_cast<uint32_t>(v));
        if (c == symbol) return v;
    }
    return -1;
}

// The hex digits of text[at..at+count), or -1 when one is not an upper-case hex digit.
int hexField(const std::string& text, size_t at, size_t count) {
    int value = 0;
    for (size_t i = at; i < at + count; ++i) {
        const int digit = valueOf(text[i], 16);
        if (digit < 0) return -1;
        value = value * 16 + digit;
    }
    return value;
}

} // namespace

std::string shareText(const KitState& kit) {
    char head[16];
    std::snprintf(head, sizeof head, "%c.%c.%c%c%c.", formatVersion, nibbleChar(kit.tempo & 15u),
                  nibbleChar((kit.startAddress >> 8) & 15u),
                  nibbleChar((kit.startAddress >> 4) & 15u), nibbleChar(kit.startAddress & 15u));
    std::string text = head;
    uint32_t bits = 0;
    int held = 0;
    for (uint32_t a = 0; a < memoryNibbles; ++a) {
        bits = (bits << 4) | (kit.memory[a] & 15u);
        held += 4;
        if (held >= 6) {
            held -= 6;
            text += base64Url[(bits >> held) & 63u];
        }
    }
    if (held > 0) text += base64Url[(bits << (6 - held)) & 63u];
    return text;
}

bool applyShareText(KitState& kit, const std::string& text) {
    if (text.size() != shareTextLength || text[0] != formatVersion || text[1] != '.' ||
        text[3] != '.' || text[7] != '.')
        return false;
    const int tempo = hexField(text, 2, 1);
    const int start = hexField(text, 4, 3);
    if (tempo < 0 || start < 0) return false;
    std::array<uint32_t, memoryNibbles> memory{};
    uint32_t bits = 0;
    int held = 0;
    uint32_t address = 0;
    for (size_t i = memoryAt; i < text.size(); ++i) {
        const int value = valueOf(text[i], 64);
        if (value < 0) return false;
        bits = (bits << 6) | static_cast<uint32_t>(value);
        held += 6;
        while (held >= 4 && address < memoryNibbles) {
            held -= 4;
            memory[address++] = (bits >> held) & 15u;
        }
    }
    // Only the one spelling shareText writes: the spare bits of the last character are zero.
    if ((bits & ((1u << held) - 1u)) != 0) return false;
    kit.memory = memory;
    kit.tempo = static_cast<uint32_t>(tempo);
    kit.startAddress = static_cast<uint32_t>(start);
    return true;
}

} // namespace korvel
