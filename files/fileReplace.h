// Replacing a file's contents without losing the old ones or what the user set
// up around them. Every file the programs write goes through replaceFile.
//
// The new contents are streamed by a writer into a ByteSink. Normally they go
// to a fresh temporary file beside the target, which reaches the disk and is
// then renamed over the target, so a failure at any point leaves the old file
// as it was and no temporary behind. A symbolic link is followed and stays a
// link; the new file keeps the old one's permissions or attributes. Where a
// rename would lose something (the file has other hard links, its owner cannot
// be kept, or its folder refuses new files while the file itself is writable)
// the file is written in place instead. An existing file the user may not
// write, and anything that is not a regular file, is refused and left alone.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace korvel::files {

class ByteSink {
  public:
    // False when the bytes could not be kept; nothing more should be written.
    virtual bool write(const void* bytes, size_t size) = 0;

  protected:
    ~ByteSink() = default;
};

// Writes the whole new contents; false to give up (its own reason, or a
// failed write).
using ContentWriter = std::function<bool(ByteSink&)>;

enum class ReplaceOutcome : uint8_t {
    Done,
    GaveUp, // the writer returned false without a failed write
    Failed, // see error
};

struct ReplaceResult {
    ReplaceOutcome outcome;
    std::string error;   // Failed: what went wrong in a few words, with the system's reason
    bool oldContentLost; // an in-place write had begun when it stopped
};

ReplaceResult replaceFile(const std::string& path, const ContentWriter& writer);

} // namespace korvel::files
