// Bounded whole-file reads through the platform's own calls.
#include "files/fileRead.h"

#include "files/nativeFiles.h"

#include <cerrno>
#include <cstring>
#include <new>

namespace korvel::files {

ReadResult readFileBytes(const Path& path, size_t maxBytes, ReadUntil until, std::string& bytes) {
    const native::Handle file = native::openForReading(path.native);
    if (file == native::noHandle) return {false, false, native::lastError()};
    char chunk[64 * 1024];
    long long got = 0;
    bool ended = false, tooLarge = false;
    std::string reason;
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
                tooLarge = true;
                break;
            }
        }
        if (got < 0 && !tooLarge) reason = native::lastError();
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        got = -1;
        reason = "Not enough memory";
    }
    const int error = errno;
    native::close(file);
    errno = error;
    return {got >= 0, tooLarge, reason};
}

} // namespace korvel::files
