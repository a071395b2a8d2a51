// What the page and the wasm module hand each other: one input buffer that the
// page fills before the call that reads it, and the last string or block of
// bytes handed back, valid until the next one is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvel::web {

// The input's bytes as the page gave them; a zero byte follows them.
std::string_view input();
// The input up to its first zero byte.
std::string inputText();
// Keeps value and returns it as a C string; its size is handedBackSize().
const char* handBack(std::string value);
size_t handedBackSize();

} // namespace korvel::web
