// The few operating-system calls that loading and replacing files need, one
// implementation per platform (posixFiles.cpp, win32Files.cpp).
//
// A path reaches them in the platform's own form (filePath.h), converted once,
// so all of them see the same file. Calls that fail leave the reason for
// lastError(), which must be read before the next call.
#pragma once

#include "files/filePath.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvel::files::native {

using Name = NativePath;

using Handle = intptr_t; // a file descriptor or a HANDLE
constexpr Handle noHandle = -1;

// A local name (filePath.h) in the platform's own form.
Name nativeName(const std::string& local);
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
// exclusively so no existing file is ever reused: temporaryLeaf() is tried
// again while the name is taken, up to temporaryAttempts times.
Handle createBeside(const Name& target, Name& created);
constexpr uint32_t temporaryAttempts = 100;
std::string temporaryLeaf(); // a fresh random name; shared by the implementations
// Whether the failed createBeside was the folder refusing new files.
bool lastCreateWasRefused();
// Gives file what a rename would otherwise lose of target (permission bits
// but the set-id ones, owner, attributes); false when it cannot.
bool copyAttributes(const Name& target, Handle file);
// An existing target opened for writing, its contents as they were.
Handle openForWriting(const Name& target);
// Makes sure the first length bytes of file can be written without needing
// more space, growing the file if it is shorter; on failure the file's length
// is as it was. The position for writing is then the file's start.
bool reserve(Handle file, uint64_t length);
// Cuts the file to length bytes.
bool setLength(Handle file, uint64_t length);

bool writeAll(Handle file, const char* bytes, size_t size);
bool flushToDisk(Handle file);
bool close(Handle file);
// Puts replacement in target's place in one step; target may exist. Where the
// system can, what the user set on the old file is carried over (Windows).
bool replace(const Name& replacement, const Name& target);
void remove(const Name& name);
// Makes a rename in target's folder durable; best effort.
void syncFolderOf(const Name& target);

std::string lastError();

} // namespace korvel::files::native
