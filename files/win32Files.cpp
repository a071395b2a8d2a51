// The file calls on Windows, all on wide names, so no call reads the same
// bytes differently from another and any name the file system takes will do.
#include "files/nativeFiles.h"

#include "files/fileReplace.h"

#include <windows.h>

#include <vector>

namespace korvel::files::native {
namespace {

// Attributes a rename would otherwise drop and that a writable file may carry.
constexpr DWORD keptAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

DWORD lastCreateError = 0;

HANDLE h(Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

Handle handle(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? noHandle : reinterpret_cast<Handle>(file);
}

// Folder part including its separator (or a drive's colon), empty for none.
Name folderPrefix(const Name& name) {
    const size_t end = name.find_last_of(L"\\/:");
    return end == Name::npos ? Name() : name.substr(0, end + 1);
}

} // namespace

Name nativeName(const std::string& local) {
    if (local.empty()) return {};
    const int size = static_cast<int>(local.size());
    const int wide = MultiByteToWideChar(CP_ACP, 0, local.data(), size, nullptr, 0);
    Name name(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(CP_ACP, 0, local.data(), size, name.data(), wide);
    return name;
}

// Only a reparse point can be a link; its final name comes from the file itself.
Name followLinks(const Name& name) {
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return name;
    const HANDLE file = CreateFileW(name.c_str(), 0, shareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return name;
    std::vector<wchar_t> final(GetFinalPathNameByHandleW(file, nullptr, 0, 0) + 1);
    const DWORD length = GetFinalPathNameByHandleW(file, final.data(), DWORD(final.size()), 0);
    CloseHandle(file);
    return length > 0 && length < final.size() ? Name(final.data(), length) : name;
}

bool inspect(const Name& name, Existing& existing) {
    existing = Existing{};
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    existing.exists = true;
    existing.regular = !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
    if (!existing.regular) return true;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetLastError(ERROR_ACCESS_DENIED);
        return true;
    }
    // Opening for writing is the one test that also sees the access list.
    const HANDLE file =
        CreateFileW(name.c_str(), GENERIC_WRITE, shareAll, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return true;
    existing.writable = true;
    BY_HANDLE_FILE_INFORMATION info{};
    existing.otherLinks = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks > 1;
    CloseHandle(file);
    return true;
}

Handle openForReading(const Name& name) {
    return handle(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

long long readSome(Handle file, char* bytes, size_t size) {
    DWORD got = 0;
    const DWORD want = size > MAXDWORD ? MAXDWORD : DWORD(size);
    return ReadFile(h(file), bytes, want, &got, nullptr) ? (long long)got : -1;
}

Handle createBeside(const Name& target, Name& created) {
    const Name folder = folderPrefix(target);
    for (uint32_t attempt = 0; attempt < temporaryAttempts; ++attempt) {
        const std::string leaf = temporaryLeaf();
        created = folder + Name(leaf.begin(), leaf.end());
        const HANDLE file = CreateFileW(created.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) return handle(file);
        lastCreateError = GetLastError();
        if (lastCreateError != ERROR_FILE_EXISTS && lastCreateError != ERROR_ALREADY_EXISTS) break;
    }
    created.clear();
    SetLastError(lastCreateError);
    return noHandle;
}

bool lastCreateWasRefused() {
    return lastCreateError == ERROR_ACCESS_DENIED;
}

bool copyAttributes(const Name& target, Handle file) {
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    FILE_BASIC_INFO basic{}; // zero times stay as they are
    basic.FileAttributes =
        (attributes & keptAttributes) ? attributes & keptAttributes : FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(h(file), FileBasicInfo, &basic, sizeof basic) != 0;
}

Handle openForWriting(const Name& target) {
    return handle(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool setLength(Handle file, uint64_t length) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(length);
    return SetFilePointerEx(h(file), at, nullptr, FILE_BEGIN) && SetEndOfFile(h(file));
}

// Moving the end of a file allocates the clusters up to it.
bool reserve(Handle file, uint64_t length) {
    LARGE_INTEGER old, start{};
    if (!GetFileSizeEx(h(file), &old)) return false;
    if (length > static_cast<uint64_t>(old.QuadPart) && !setLength(file, length)) {
        const DWORD error = GetLastError();
        setLength(file, static_cast<uint64_t>(old.QuadPart));
        SetFilePointerEx(h(file), start, nullptr, FILE_BEGIN);
        SetLastError(error);
        return false;
    }
    return SetFilePointerEx(h(file), start, nullptr, FILE_BEGIN) != 0;
}

bool writeAll(Handle file, const char* bytes, size_t size) {
    while (size > 0) {
        const DWORD want = size > MAXDWORD ? MAXDWORD : DWORD(size);
        DWORD put = 0;
        if (!WriteFile(h(file), bytes, want, &put, nullptr) || put == 0) return false;
        bytes += put;
        size -= put;
    }
    return true;
}

bool flushToDisk(Handle file) {
    return FlushFileBuffers(h(file)) != 0;
}

bool close(Handle file) {
    return CloseHandle(h(file)) != 0;
}

// ReplaceFileW carries the old file's access list, owner, alternate streams
// and creation time over to the new one. Where it fails (no old file, a file
// system that cannot) a rename still replaces the contents; when it failed
// after removing the old file, the rename is what puts the new one in place.
bool replace(const Name& replacement, const Name& target) {
    constexpr DWORD keepWhatItCan = REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS;
    if (ReplaceFileW(target.c_str(), replacement.c_str(), nullptr, keepWhatItCan, nullptr, nullptr))
        return true;
    return MoveFileExW(replacement.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// Keeps the last error, so a failure's reason survives the cleanup after it.
void remove(const Name& name) {
    const DWORD saved = GetLastError();
    DeleteFileW(name.c_str());
    SetLastError(saved);
}

// MOVEFILE_WRITE_THROUGH has already made the rename durable.
void syncFolderOf(const Name&) {}

std::string lastError() {
    const DWORD code = GetLastError();
    char* text = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = length ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

} // namespace korvel::files::native

// Windows has no file size signal.
void korvel::files::ignoreFileSizeSignal() {}
