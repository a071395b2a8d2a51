// Bounded whole-file reads through the platform's own calls.
#include "fileRead.h"

#include "nativeFiles.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace korvel::files {

bool readFileBytes(const std::string& path, size_t maxBytes, ReadUntil until, std::string& bytes) {
    const native::Handle file = native::openForReading(native::nativeName(path));
    if (file == native::noHandle) return false;
    char chunk[64 * 1024];
    long long got = 0;
    bool ended = false;
    try {
        while (!ended && (got = native::readSome(file, chunk, sizeof chunk)) > 0) {
            const char* zero = until == ReadUntil::FirstZero
                                   ? static_cast<const char*>(std::memchr(chunk, 0, size_t(got)))
                                   : nullptr;
            ended = zero != nullptr;
            bytes.append(chunk, ended ? size_t(zero - chunk) : size_t(got));
            if (bytes.size() > maxBytes) {
                errno = EFBIG;
                got = -1;
                break;
            }
        }
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        got = -1;
    }
    const int reason = errno;
    native::close(file);
    errno = reason;
    return got >= 0;
}

} // namespace korvel::files
