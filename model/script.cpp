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

bool isKeystroke(char c) {
    return digitValue(c) >= 0 || c == '@' || c == 'W' || c == 'w';
}

// Where the keystrokes begin: at the first "---", or at the end when there is none.
size_t commandsBegin(const char* text, size_t end) {
    size_t p = magicBytes;
    while (p < end && !(end - p >= 3 && text[p] == '-' && text[p + 1] == '-' && text[p + 2] == '-'))
        ++p;
    return p;
}

bool hasMagic(const char* text, size_t end) {
    return end >= magicBytes && std::memcmp(text, magic, magicBytes) == 0;
}

} // namespace

bool applyScript(KitState& kit, const char* text, size_t length) {
    const size_t end = std::find(text, text + length, '\0') - text;
    if (!hasMagic(text, end)) return false;
    for (size_t p = commandsBegin(text, end); p < end; ++p) applyCommand(kit, text[p]);
    return true;
}

// A character is counted once, at its first byte: UTF-8's continuation bytes are not.
ScriptContent scriptContent(const char* text, size_t length) {
    const size_t end = std::find(text, text + length, '\0') - text;
    ScriptContent content;
    content.isScript = hasMagic(text, end);
    if (!content.isScript) return content;
    size_t p = commandsBegin(text, end);
    content.marked = p < end;
    uint32_t line = 1 + uint32_t(std::count(text, text + p, '\n'));
    while (p < end && text[p] == '-') ++p;
    for (; p < end; ++p) {
        const char c = text[p];
        if (c == 'W' || c == 'w') ++content.writes;
        if (c == '\n') ++line;
        const bool continuation = (static_cast<unsigned char>(c) & 0xC0) == 0x80;
        if (isKeystroke(c) || std::strchr(" \t\r\n", c) || continuation) continue;
        if (content.skipped++ == 0) content.firstSkippedLine = line;
    }
    return content;
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
