#include "host/web/jsonWriter.h"

#include <cstdio>

namespace korvel::web {

JsonWriter& JsonWriter::key(std::string_view name) {
    separate();
    quote(name);
    text_ += ':';
    keyed_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(std::string_view text) {
    separate();
    quote(text);
    return *this;
}

JsonWriter& JsonWriter::integer(int64_t number) {
    separate();
    text_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::boolean(bool truth) {
    separate();
    text_ += truth ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::open(char bracket) {
    separate();
    text_ += bracket;
    first_ = true;
    return *this;
}

JsonWriter& JsonWriter::close(char bracket) {
    text_ += bracket;
    first_ = false;
    return *this;
}

void JsonWriter::separate() {
    if (!first_ && !keyed_) text_ += ',';
    first_ = false;
    keyed_ = false;
}

// Quotes and backslashes escaped, control characters as \u00XX; other bytes,
// UTF-8 included, as they are.
void JsonWriter::quote(std::string_view text) {
    text_ += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[7];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            text_ += escaped;
        } else {
            text_ += c;
        }
    }
    text_ += '"';
}

} // namespace korvel::web
