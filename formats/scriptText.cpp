// Script loader outcomes and their wording.
#include "formats/scriptText.h"

#include "model/script.h"

#include <cstring>
#include <utility>

namespace korvel {

const char* const loadCaption = "Load Script";
const char* const saveCaption = "Save Script";
const char* const pasteTuneCaption = "Paste Tune";
const char* const notScriptSentence = "This is not KORVEL script: it must begin with KORVEL.";

namespace {

constexpr const char* notScriptFile = "This File is not KORVEL script.";

FileResult refused(FileOutcome outcome, TuneOrigin origin, std::string message,
                   std::string reason = {}) {
    const char* caption = origin == TuneOrigin::Clipboard ? pasteTuneCaption : loadCaption;
    return {outcome, std::move(message), caption, std::move(reason)};
}

FileResult notScript(TuneOrigin origin, bool empty) {
    if (origin == TuneOrigin::Clipboard)
        return refused(FileOutcome::NotScript, origin,
                       empty ? "Nothing pasted. The clipboard holds no text."
                             : std::string("Nothing pasted. ") + notScriptSentence);
    return refused(FileOutcome::NotScript, origin, notScriptFile,
                   empty ? "It is empty" : "It does not begin with KORVEL");
}

FileResult writesNothing(TuneOrigin origin, const std::string& name, const ScriptContent& content) {
    std::string reason = content.marked
                             ? "It has no W, the WRITE that stores a step"
                             : "Its keystrokes must follow a line of ---, and it has none";
    std::string message = origin == TuneOrigin::Clipboard
                              ? "Nothing pasted. The clipboard's script writes nothing into memory."
                              : name + " writes nothing into memory: nothing was loaded.";
    return refused(FileOutcome::NoTune, origin, std::move(message), std::move(reason));
}

std::string skippedSentence(const ScriptContent& content) {
    const std::string line = std::to_string(content.firstSkippedLine);
    if (content.skipped == 1)
        return "Skipped 1 character that is not a keystroke, on line " + line + ".";
    return "Skipped " + std::to_string(content.skipped) +
           " characters that are not keystrokes, the first on line " + line + ".";
}

// Memory as Reset leaves it, the registers as a fresh kit has them.
void clearTune(KitState& kit) {
    const KitState fresh{};
    kit.memory = fresh.memory;
    kit.digits = fresh.digits;
    kit.address = fresh.address;
    kit.tempo = fresh.tempo;
    kit.startAddress = fresh.startAddress;
}

} // namespace

FileResult loadDone() {
    return {FileOutcome::Done, {}, loadCaption};
}

FileResult saveDone() {
    return {FileOutcome::Done, {}, saveCaption};
}

FileResult cantOpen(const std::string& name, std::string reason) {
    return {FileOutcome::CantOpen, "Can't Open : " + name, loadCaption, std::move(reason)};
}

FileResult cantWrite(const std::string& name, std::string reason) {
    return {FileOutcome::CantWrite, "Can't Write : " + name, saveCaption, std::move(reason)};
}

std::string tooLargeReason() {
    return "The file is larger than " + std::to_string(maxScriptBytes >> 20) +
           " MiB, too large for a script";
}

std::string messageWithReason(const FileResult& result) {
    if (result.reason.empty()) return result.message;
    return result.message + "\n" + result.reason + ".";
}

FileResult loadScriptText(KitState& kit, const char* bytes, size_t size) {
    if (!applyScript(kit, bytes, size)) return {FileOutcome::NotScript, notScriptFile, loadCaption};
    return loadDone();
}

FileResult scriptTooLarge(TuneOrigin origin, const std::string& name) {
    if (origin == TuneOrigin::Clipboard)
        return refused(FileOutcome::CantOpen, origin,
                       "Nothing pasted. The clipboard holds more text than any script.");
    return cantOpen(name, tooLargeReason());
}

FileResult replaceTune(KitState& kit, const char* bytes, size_t size, TuneOrigin origin,
                       const std::string& name) {
    const void* zero = std::memchr(bytes, 0, size);
    const size_t length = zero ? size_t(static_cast<const char*>(zero) - bytes) : size;
    if (length > maxScriptBytes) return scriptTooLarge(origin, name);
    return replaceTuneText(kit, bytes, length, size == 0, origin, name);
}

FileResult replaceTuneText(KitState& kit, const char* text, size_t length, bool empty,
                           TuneOrigin origin, const std::string& name) {
    const ScriptContent content = scriptContent(text, length);
    if (!content.isScript) return notScript(origin, empty);
    if (content.writes == 0) return writesNothing(origin, name, content);
    clearTune(kit);
    applyScript(kit, text, length);
    FileResult done = loadDone();
    if (origin == TuneOrigin::Clipboard) done.caption = pasteTuneCaption;
    done.notice = origin == TuneOrigin::Clipboard
                      ? "Tune pasted: press RUN to play."
                      : "Tune loaded from " + name + ": press RUN to play.";
    if (content.skipped) done.notice += " " + skippedSentence(content);
    done.skipped = content.skipped;
    return done;
}

} // namespace korvel
