// Bounded load and safe save of scripts.
#include "scriptFile.h"

#include "fileReplace.h"
#include "nativeFiles.h"
#include "script.h"

#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace korvel {
namespace {

// The bytes before the first zero byte, at most maxScriptBytes of them; false
// when the file cannot be read or is longer (errno then says why).
bool readScriptBytes(const std::string& path, std::string& bytes) {
    namespace native = files::native;
    const native::Handle file = native::openForReading(native::nativeName(path));
    if (file == native::noHandle) return false;
    char chunk[64 * 1024];
    long long got = 0;
    bool ended = false;
    try {
        while (!ended && (got = native::readSome(file, chunk, sizeof chunk)) > 0) {
            const char* zero = static_cast<const char*>(std::memchr(chunk, 0, size_t(got)));
            ended = zero != nullptr;
            bytes.append(chunk, ended ? size_t(zero - chunk) : size_t(got));
            if (bytes.size() > maxScriptBytes) {
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

} // namespace

FileResult loadScriptFile(KitState& kit, const std::string& path) {
    std::string bytes;
    if (!readScriptBytes(path, bytes)) return cantOpen(path);
    return loadScriptText(kit, bytes.data(), bytes.size());
}

FileResult saveScriptFile(const KitState& kit, const std::string& path) {
    const ScriptImage image = buildScript(kit);
    const files::ReplaceResult result = files::replaceFile(
        path, [&](files::ByteSink& out) { return out.write(image.data(), image.size()); });
    return result.outcome == files::ReplaceOutcome::Done ? saveDone() : cantWrite(path);
}

} // namespace korvel
