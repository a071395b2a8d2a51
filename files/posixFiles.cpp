// The file calls on POSIX systems.
#include "files/nativeFiles.h"

#include "files/fileReplace.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace korvel::files::native {
namespace {

// As the kernel does, give up on a loop of links.
constexpr int maxLinkHops = 40;

int lastCreateErrno = 0;

std::string folderOf(const Name& name) {
    const size_t slash = name.rfind('/');
    if (slash == Name::npos) return ".";
    return slash == 0 ? "/" : name.substr(0, slash);
}

std::string besideIt(const Name& target, const std::string& leaf) {
    const size_t slash = target.rfind('/');
    return slash == Name::npos ? leaf : target.substr(0, slash + 1) + leaf;
}

int fd(Handle file) {
    return static_cast<int>(file);
}

} // namespace

Name nativeName(const std::string& local) {
    return local;
}

Name followLinks(const Name& name) {
    Name current = name;
    for (int hop = 0; hop < maxLinkHops; ++hop) {
        struct stat info;
        if (lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        std::vector<char> link(size_t(info.st_size > 0 ? info.st_size : PATH_MAX) + 1);
        const ssize_t length = readlink(current.c_str(), link.data(), link.size());
        if (length < 0 || size_t(length) >= link.size()) return current;
        const Name points(link.data(), size_t(length));
        current = points[0] == '/' ? points : besideIt(current, points);
    }
    return current;
}

bool inspect(const Name& name, Existing& existing) {
    existing = Existing{};
    struct stat info;
    if (stat(name.c_str(), &info) != 0) return errno == ENOENT;
    existing.exists = true;
    existing.regular = S_ISREG(info.st_mode);
    existing.writable = faccessat(AT_FDCWD, name.c_str(), W_OK, AT_EACCESS) == 0;
    existing.otherLinks = info.st_nlink > 1;
    return true;
}

Handle openForReading(const Name& name) {
    return open(name.c_str(), O_RDONLY | O_CLOEXEC);
}

long long readSome(Handle file, char* bytes, size_t size) {
    ssize_t got;
    do got = read(fd(file), bytes, size);
    while (got < 0 && errno == EINTR);
    return got;
}

// 0666 less the umask, as any new file gets.
Handle createBeside(const Name& target, Name& created) {
    for (uint32_t attempt = 0; attempt < temporaryAttempts; ++attempt) {
        created = besideIt(target, temporaryLeaf());
        const int file = open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file >= 0) return file;
        lastCreateErrno = errno;
        if (errno != EEXIST) break;
    }
    created.clear();
    errno = lastCreateErrno;
    return noHandle;
}

bool lastCreateWasRefused() {
    return lastCreateErrno == EACCES || lastCreateErrno == EPERM;
}

// The owner first, as changing it clears set-id bits. Those are not carried
// over: they would hand the old file's privileges to new contents, which is
// why the kernel clears them when an unprivileged process writes a file.
bool copyAttributes(const Name& target, Handle file) {
    struct stat old, fresh;
    if (stat(target.c_str(), &old) != 0 || fstat(fd(file), &fresh) != 0) return false;
    if ((old.st_uid != fresh.st_uid || old.st_gid != fresh.st_gid) &&
        fchown(fd(file), old.st_uid, old.st_gid) != 0)
        return false;
    return fchmod(fd(file), old.st_mode & 07777 & ~mode_t(S_ISUID | S_ISGID)) == 0;
}

Handle openForWriting(const Name& target) {
    return open(target.c_str(), O_WRONLY | O_CLOEXEC);
}

// Where the file system lacks the call, the C library writes zeros to every
// block instead, which may grow the file part-way before failing.
bool reserve(Handle file, uint64_t length) {
    struct stat info;
    if (fstat(fd(file), &info) != 0) return false;
    if (length == 0) return true;
    int error;
    do error = posix_fallocate(fd(file), 0, static_cast<off_t>(length));
    while (error == EINTR);
    if (error == 0) return true;
    // The length put back; the reservation's error is the one to report.
    int restored;
    do restored = ftruncate(fd(file), info.st_size);
    while (restored != 0 && errno == EINTR);
    errno = error;
    return false;
}

bool setLength(Handle file, uint64_t length) {
    return ftruncate(fd(file), static_cast<off_t>(length)) == 0;
}

bool writeAll(Handle file, const char* bytes, size_t size) {
    while (size > 0) {
        const ssize_t put = write(fd(file), bytes, size);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        bytes += put;
        size -= size_t(put);
    }
    return true;
}

bool flushToDisk(Handle file) {
    return fsync(fd(file)) == 0;
}

bool close(Handle file) {
    return ::close(fd(file)) == 0;
}

bool replace(const Name& replacement, const Name& target) {
    return rename(replacement.c_str(), target.c_str()) == 0;
}

// Keeps errno, so a failure's reason survives the cleanup after it.
void remove(const Name& name) {
    const int saved = errno;
    unlink(name.c_str());
    errno = saved;
}

void syncFolderOf(const Name& target) {
    const int folder = open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0) return;
    fsync(folder);
    ::close(folder);
}

std::string lastError() {
    return std::strerror(errno);
}

} // namespace korvel::files::native

void korvel::files::ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}
