// What the page and the wasm module hand each other: one input buffer that the
// page fills before the call that reads it, and the last string or block of
// bytes handed back, valid until the next one is.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace korvel::web {

// The input's bytes as the page gave them; a zero byte follows them.
std::string_view input();
// The input up to its first zero byte.
std::string inputText();
// A list of strings in the input, each ended by listItemEnd (boundary.js
// declares it for the page). An empty string is left out.
inline constexpr char listItemEnd = '\0';
std::vector<std::string> inputList();
// Keeps value and returns it as a C string; its size is handedBackSize().
const char* handBack(std::string value);
size_t handedBackSize();

} // namespace korvel::web
