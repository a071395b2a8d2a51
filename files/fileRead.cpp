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

ReadResult readFileHead(const Path& path, size_t count, std::string& bytes) {
    const native::Handle file = native::openForReading(path.native);
    if (file == native::noHandle) return {false, false, native::lastError()};
    std::string head(count, '\0');
    size_t got = 0;
    long long read = 0;
    while (got < count && (read = native::readSome(file, head.data() + got, count - got)) > 0)
        got += size_t(read);
    const std::string reason = read < 0 ? native::lastError() : std::string();
    native::close(file);
    bytes.append(head, 0, got);
    return {read >= 0, false, reason};
}

} // namespace korvel::files
