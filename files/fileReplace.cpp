// When to rename a temporary file over the target and when to write in place.
#include "fileReplace.h"

#include "nativeFiles.h"

#include <cstdio>

namespace korvel::files {
namespace {

using native::Handle;
using native::Name;

// Remembers the first failed write, so the result can say why.
class HandleSink final : public ByteSink {
  public:
    explicit HandleSink(Handle file) : file_(file) {}
    bool write(const void* bytes, size_t size) override {
        if (!error_.empty()) return false;
        if (native::writeAll(file_, static_cast<const char*>(bytes), size)) return true;
        error_ = "cannot write (" + native::lastError() + ")";
        return false;
    }
    const std::string& error() const { return error_; }

  private:
    Handle file_;
    std::string error_;
};

ReplaceResult done() {
    return {ReplaceOutcome::Done, {}, false};
}

ReplaceResult failed(const std::string& what, bool oldContentLost = false) {
    return {ReplaceOutcome::Failed, what + " (" + native::lastError() + ")", oldContentLost};
}

// Streams the contents and makes them durable; the handle is closed on every path.
ReplaceResult writeThrough(Handle file, const ContentWriter& writer, bool inPlace) {
    HandleSink sink(file);
    const bool written = writer(sink); // a failed write counts even if the writer went on
    if (!written || !sink.error().empty()) {
        native::close(file);
        if (sink.error().empty()) return {ReplaceOutcome::GaveUp, {}, inPlace};
        return {ReplaceOutcome::Failed, sink.error(), inPlace};
    }
    if (!native::flushToDisk(file)) {
        ReplaceResult result = failed("cannot write", inPlace);
        native::close(file);
        return result;
    }
    if (!native::close(file)) return failed("cannot write", inPlace);
    return done();
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

ReplaceResult inPlace(const Name& target, const ContentWriter& writer) {
    const Handle file = native::openTruncated(target);
    if (file == native::noHandle) return failed("cannot write it");
    return writeThrough(file, writer, true);
}

} // namespace

// Nine bytes whatever the target's name, so every name that fits also saves;
// a leftover of a crashed save only costs a retry.
std::string native::temporaryLeaf(uint32_t attempt) {
    char leaf[16];
    std::snprintf(leaf, sizeof leaf, ".korvel%02u", static_cast<unsigned>(attempt % 100));
    return leaf;
}

ReplaceResult replaceFile(const std::string& path, const ContentWriter& writer) {
    const Name target = native::followLinks(native::nativeName(path));
    native::Existing old;
    if (!native::inspect(target, old)) return failed("cannot examine it");
    if (old.exists && !old.regular) return {ReplaceOutcome::Failed, "not a regular file", false};
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
