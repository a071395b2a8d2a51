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
    std::string text = result.message;
    if (withReason && !result.reason.empty()) text += "\n" + result.reason + ".";
    if (result.oldContentLost) {
        std::string note = files::oldContentLostNote;
        note[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(note[0])));
        text += "\n" + note + ".";
    }
    return text;
}

} // namespace korvel
