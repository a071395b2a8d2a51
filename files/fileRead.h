// Reading a whole file into memory within a bound, so no input (an endless
// device, a huge file) can exhaust memory.
#pragma once

#include "files/filePath.h"

#include <cstddef>
#include <string>

namespace korvel::files {

enum class ReadUntil : bool { End, FirstZero };

struct ReadResult {
    bool ok;
    bool tooLarge;      // more than maxBytes
    std::string reason; // otherwise, when not ok: the system's message
    explicit operator bool() const { return ok; }
};

// Appends the file's bytes (with FirstZero, those before its first zero byte)
// to bytes. Not ok when the file cannot be read or holds more than maxBytes of
// them; on POSIX systems errno then says why as well (EFBIG for the latter).
ReadResult readFileBytes(const Path& path, size_t maxBytes, ReadUntil until, std::string& bytes);

// Appends the file's first count bytes, or all of a shorter file's, to
// bytes: enough to tell what it holds and what it names its tune.
ReadResult readFileHead(const Path& path, size_t count, std::string& bytes);

} // namespace korvel::files
