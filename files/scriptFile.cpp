// Bounded load and safe save of scripts.
#include "files/scriptFile.h"

#include "files/fileRead.h"
#include "files/fileReplace.h"
#include "model/script.h"

#include <cctype>
#include <string>

namespace korvel {

FileResult loadScriptFile(KitState& kit, const files::Path& path) {
    std::string bytes;
    const files::ReadResult read =
        files::readFileBytes(path, maxScriptBytes, files::ReadUntil::FirstZero, bytes);
    if (!read) return cantOpen(path.shown, read.tooLarge ? tooLargeReason() : read.reason);
    return loadScriptText(kit, bytes.data(), bytes.size());
}

// A file that holds only zero bytes reads as empty text, yet is not empty.
FileResult replaceTuneFile(KitState& kit, const files::Path& path) {
    std::string text;
    const files::ReadResult read =
        files::readFileBytes(path, maxScriptBytes, files::ReadUntil::FirstZero, text);
    if (!read) return cantOpen(path.shown, read.tooLarge ? tooLargeReason() : read.reason);
    std::string firstByte;
    const bool empty = text.empty() &&
                       files::readFileBytes(path, 1, files::ReadUntil::End, firstByte).ok &&
                       firstByte.empty();
    return replaceTuneText(kit, text.data(), text.size(), empty, TuneOrigin::File, path.shown);
}

FileResult saveScriptFile(const KitState& kit, const files::Path& path) {
    const ScriptImage image = buildScript(kit);
    return saveScriptText(std::string(image.data(), image.size()), path);
}

FileResult saveScriptText(const std::string& text, const files::Path& path) {
    const files::ReplaceResult written = files::replaceFile(
        path, [&](files::ByteSink& out) { return out.write(text.data(), text.size()); });
    if (written.outcome == files::ReplaceOutcome::Done) return saveDone();
    FileResult result = cantWrite(path.shown, written.reason);
    result.oldContentLost = written.oldContentLost;
    return result;
}

std::string messageText(const FileResult& result, bool withReason) {
    std::string text = withReason ? messageWithReason(result) : result.message;
    if (result.oldContentLost) {
        std::string note = files::oldContentLostNote;
        note[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(note[0])));
        text += "\n" + note + ".";
    }
    return text;
}

} // namespace korvel
