// When to put a temporary file in the target's place and when to write in place.
#include "files/fileReplace.h"

#include "files/nativeFiles.h"

#include <chrono>
#include <limits>
#include <random>

namespace korvel::files {
namespace {

using native::Handle;
using native::Name;

constexpr uint64_t noLimit = std::numeric_limits<uint64_t>::max();

ReplaceResult done() {
    return {ReplaceOutcome::Done, {}, false};
}

ReplaceResult failedFor(const std::string& what, const std::string& reason, bool oldContentLost) {
    return {ReplaceOutcome::Failed, what + " (" + reason + ")", oldContentLost, reason};
}

ReplaceResult failed(const std::string& what, bool oldContentLost = false) {
    return failedFor(what, native::lastError(), oldContentLost);
}

// Keeps only the count, for the length an in-place write must reserve.
class CountingSink final : public ByteSink {
  public:
    bool write(const void*, size_t size) override {
        count_ += size;
        return true;
    }
    uint64_t count() const { return count_; }

  private:
    uint64_t count_ = 0;
};

// Said when a writer breaks its promise to write the same bytes each time.
const char* const contentsChanged = "the new contents changed while being written";

// Remembers the first failed write, so the result can say why. Bytes beyond
// room are refused: they would need space nobody reserved.
class HandleSink final : public ByteSink {
  public:
    HandleSink(Handle file, uint64_t room) : file_(file), room_(room) {}
    bool write(const void* bytes, size_t size) override {
        if (!reason_.empty()) return false;
        if (size > room_ - written_) {
            reason_ = contentsChanged;
            return false;
        }
        if (!native::writeAll(file_, static_cast<const char*>(bytes), size)) {
            reason_ = native::lastError();
            return false;
        }
        written_ += size;
        return true;
    }
    const std::string& reason() const { return reason_; }
    uint64_t written() const { return written_; }

  private:
    Handle file_;
    uint64_t room_;
    uint64_t written_ = 0;
    std::string reason_;
};

// Streams the contents and makes them durable; the handle is closed on every
// path. In place, the contents must come to exactly room bytes, and whatever
// stops the write has lost the old ones.
ReplaceResult writeThrough(Handle file, const ContentWriter& writer, bool inPlace,
                           uint64_t room = noLimit) {
    HandleSink sink(file, room);
    const bool written = writer(sink); // a failed write counts even if the writer went on
    ReplaceResult result = done();
    if (!sink.reason().empty())
        result = failedFor("cannot write", sink.reason(), inPlace);
    else if (!written)
        result = {ReplaceOutcome::GaveUp, {}, inPlace};
    else if (inPlace && sink.written() != room)
        result = failedFor("cannot write", contentsChanged, true);
    else if ((inPlace && !native::setLength(file, room)) || !native::flushToDisk(file))
        result = failed("cannot write", inPlace);
    if (!native::close(file) && result.outcome == ReplaceOutcome::Done)
        result = failed("cannot write", inPlace);
    return result;
}

ReplaceResult viaTemporary(Handle file, const Name& temporary, const Name& target,
                           const ContentWriter& writer) {
    ReplaceResult result = writeThrough(file, writer, false);
    if (result.outcome == ReplaceOutcome::Done && !native::replace(temporary, target))
        result = failed("cannot replace it");
    if (result.outcome != ReplaceOutcome::Done) {
        native::remove(temporary);
        return result;
    }
    native::syncFolderOf(target);
    return result;
}

// No old byte changes before the room for every new one is reserved.
ReplaceResult inPlace(const Name& target, const ContentWriter& writer) {
    CountingSink counter;
    if (!writer(counter)) return {ReplaceOutcome::GaveUp, {}, false};
    const Handle file = native::openForWriting(target);
    if (file == native::noHandle) return failed("cannot write it");
    if (!native::reserve(file, counter.count())) {
        ReplaceResult result = failed("cannot write");
        native::close(file);
        return result;
    }
    return writeThrough(file, writer, true, counter.count());
}

} // namespace

const char* const oldContentLostNote =
    "the old contents of the file are lost, and the new ones are incomplete";

// A fixed length whatever the target's name, so every name that fits also
// saves; random, so no number of leftovers of crashed saves uses them up.
std::string native::temporaryLeaf() {
    static constexpr char alphabet[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    constexpr int randomCharacters = 6;
    thread_local std::mt19937 pick(
        std::random_device{}() ^
        static_cast<uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::uniform_int_distribution<size_t> character(0, sizeof alphabet - 2);
    std::string leaf = ".korvel";
    for (int i = 0; i < randomCharacters; ++i) leaf += alphabet[character(pick)];
    return leaf;
}

ReplaceResult replaceFile(const Path& path, const ContentWriter& writer) {
    const Name target = native::followLinks(path.native);
    native::Existing old;
    if (!native::inspect(target, old)) return failed("cannot examine it");
    if (old.exists && !old.regular)
        return {ReplaceOutcome::Failed, "not a regular file", false, "Not a regular file"};
    if (old.exists && !old.writable) return failed("cannot write it");
    if (!old.otherLinks) {
        Name temporary;
        const Handle file = native::createBeside(target, temporary);
        if (file != native::noHandle) {
            if (!old.exists || native::copyAttributes(target, file))
                return viaTemporary(file, temporary, target, writer);
            native::close(file);
            native::remove(temporary);
        } else if (!old.exists || !native::lastCreateWasRefused()) {
            return failed("cannot create a file beside it");
        }
    }
    return inPlace(target, writer);
}

} // namespace korvel::files
