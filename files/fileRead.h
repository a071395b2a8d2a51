// Reading a whole file into memory within a bound, so no input (an endless
// device, a huge file) can exhaust memory.
#pragma once

#include <cstddef>
#include <string>

namespace korvel::files {

enum class ReadUntil : bool { End, FirstZero };

// Appends the file's bytes (with FirstZero, those before its first zero byte)
// to bytes. False when the file cannot be read or holds more than maxBytes of
// them; errno then says why (EFBIG for the latter). On Windows the path is in
// the ANSI code page.
bool readFileBytes(const std::string& path, size_t maxBytes, ReadUntil until, std::string& bytes);

} // namespace korvel::files
