// Replacing a file's contents without losing the old ones or what the user set
// up around them. Every file the programs write goes through replaceFile.
//
// The new contents are streamed by a writer into a ByteSink. Normally they go
// to a fresh temporary file beside the target, which reaches the disk and is
// then put in the target's place, so a failure at any point leaves the old
// file as it was and no temporary behind. The temporary's name is random, so
// leftovers of crashed saves never block a save. A symbolic link is followed
// and stays a link; the new file keeps the old one's permissions (but for
// the set-id bits, which new contents must not inherit) or attributes, and on Windows
// (ReplaceFileW, where the file system allows it) also its access list, owner and alternate
// streams.
//
// Where a new file in the target's place would lose something (the file has
// other hard links, its owner cannot be kept, or its folder refuses new files
// while the file itself is writable) the file is written in place instead. The
// writer then runs twice: first only to count the new length, for which the
// space is reserved before any old byte changes, so a full disk or a file size
// limit leaves the old file as it was. Only a failure after that (an I/O
// error, the writer giving up) can lose the old contents, and the result says
// so. An existing file the user may not write, and anything that is not a
// regular file, is refused and left alone.
#pragma once

#include "files/filePath.h"
#include "formats/byteSink.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace korvel::files {

// The sink the formats write into, so a format streams straight into a file.
using ByteSink = formats::ByteSink;

// Writes the whole new contents; false to give up (its own reason, or a
// failed write). It may be called twice and must write the same bytes each
// time; only the last call's bytes are kept.
using ContentWriter = std::function<bool(ByteSink&)>;

enum class ReplaceOutcome : uint8_t {
    Done,
    GaveUp, // the writer returned false without a failed write
    Failed, // see error
};

struct ReplaceResult {
    ReplaceOutcome outcome;
    std::string error;    // Failed: what went wrong in a few words, with the reason
    bool oldContentLost;  // an in-place write had begun overwriting when it stopped
    std::string reason{}; // Failed: the reason alone (the system's message or our own words)
};

// Says that the old contents are gone, for any message about a result with
// oldContentLost.
extern const char* const oldContentLostNote;

ReplaceResult replaceFile(const Path& path, const ContentWriter& writer);

// For a program's start: beyond a file size limit a write then fails and is
// reported, where the system would otherwise end the process (SIGXFSZ).
void ignoreFileSizeSignal();

} // namespace korvel::files
