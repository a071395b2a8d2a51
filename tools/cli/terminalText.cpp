// Escaping of control characters and stray bytes for terminal output.
#include "tools/cli/terminalText.h"

#include <cstdint>

namespace korvel::cli {
namespace {

// Bytes of the well-formed UTF-8 sequence at the start of text, or 0.
size_t utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t lead = byte(0);
    if (lead < 0x80) return 1;
    const size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                          : lead >= 0xE0 && lead <= 0xEF ? 3
                          : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                         : 0;
    if (length == 0) return 0;
    uint32_t codePoint = lead & (0x7F >> length);
    if (text.size() < length) return 0;
    for (size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (byte(i) & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < least[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return 0;
    return length;
}

bool isControl(std::string_view character) {
    const auto lead = static_cast<uint8_t>(character[0]);
    if (character.size() == 1) return lead < 0x20 || lead == 0x7F;
    // U+0080..U+009F, which some terminals obey as commands.
    return lead == 0xC2 && static_cast<uint8_t>(character[1]) < 0xA0;
}

void appendEscaped(std::string& out, std::string_view bytes) {
    for (const char c : bytes) {
        switch (c) {
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: {
            static const char hex[] = "0123456789abcdef";
            const auto value = static_cast<uint8_t>(c);
            out += "\\x";
            out += hex[value >> 4];
            out += hex[value & 0xF];
        }
        }
    }
}

} // namespace

std::string printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const size_t length = utf8SequenceLength(text);
        const std::string_view character = text.substr(0, length ? length : 1);
        if (!length || isControl(character))
            appendEscaped(out, character);
        else
            out += character;
        text.remove_prefix(character.size());
    }
    return out;
}

} // namespace korvel::cli
