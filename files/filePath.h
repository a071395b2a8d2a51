// A file's path as the file functions take it: in the platform's own form for
// the system calls, and as text for the messages that name it.
//
// A name given as a std::string is in the local form: its bytes on POSIX
// systems, the ANSI code page on Windows (as the A file dialogs return it).
// Front ends that hold names in Unicode (Qt) pass the native form instead, so
// on Windows any name reaches the file, not only those the code page can spell.
#pragma once

#include <filesystem>
#include <string>
#include <utility>

namespace korvel::files {

// Bytes on POSIX systems, UTF-16 on Windows.
using NativePath = std::filesystem::path::string_type;

struct Path {
    // Implicit, so a local name serves wherever a path is taken.
    Path(const std::string& local);
    Path(const char* local) : Path(std::string(local)) {}
    Path(NativePath native, std::string shown)
        : native(std::move(native)), shown(std::move(shown)) {}

    NativePath native;
    std::string shown; // as messages show it
};

} // namespace korvel::files
