// The few operating-system calls that loading and replacing files need, one
// implementation per platform (posixFiles.cpp, win32Files.cpp).
//
// A path is converted to the platform's own name once, by nativeName, and
// every call takes that name, so all of them see the same file. On Windows the
// path is in the ANSI code page, as the A file dialogs return it. Calls that
// fail leave the reason for lastError(), which must be read before the next call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel::files::native {

#ifdef _WIN32
using Name = std::wstring;
#else
using Name = std::string;
#endif

using Handle = intptr_t; // a file descriptor or a HANDLE
constexpr Handle noHandle = -1;

Name nativeName(const std::string& path);
// The file that name finally refers to after following symbolic links; the
// name itself when it is no link (or names nothing).
Name followLinks(const Name& name);

struct Existing {
    bool exists = false;
    bool regular = false;    // a plain file, not a folder, device or pipe
    bool writable = false;   // this process may write it
    bool otherLinks = false; // further hard links share its contents
};
// False when the name cannot even be examined.
bool inspect(const Name& name, Existing& existing);

Handle openForReading(const Name& name);
// Bytes read, 0 at the end, -1 on failure.
long long readSome(Handle file, char* bytes, size_t size);

// A new, empty file beside target under a short name of fixed length, created
// exclusively so no existing file is ever reused: the first free one of
// temporaryLeaf(0), temporaryLeaf(1), ... up to temporaryAttempts.
Handle createBeside(const Name& target, Name& created);
constexpr uint32_t temporaryAttempts = 100;
std::string temporaryLeaf(uint32_t attempt); // shared by the implementations
// Whether the failed createBeside was the folder refusing new files.
bool lastCreateWasRefused();
// Gives file what a rename would otherwise lose of target (permission bits,
// owner, attributes); false when it cannot.
bool copyAttributes(const Name& target, Handle file);
// target opened for writing and emptied.
Handle openTruncated(const Name& target);

bool writeAll(Handle file, const char* bytes, size_t size);
bool flushToDisk(Handle file);
bool close(Handle file);
// Puts replacement in target's place in one step; target may exist.
bool replace(const Name& replacement, const Name& target);
void remove(const Name& name);
// Makes a rename in target's folder durable; best effort.
void syncFolderOf(const Name& target);

std::string lastError();

} // namespace korvel::files::native
