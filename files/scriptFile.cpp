// Bounded load and safe save of scripts.
#include "scriptFile.h"

#include "fileRead.h"
#include "fileReplace.h"
#include "script.h"

#include <string>

namespace korvel {

FileResult loadScriptFile(KitState& kit, const std::string& path) {
    std::string bytes;
    if (!files::readFileBytes(path, maxScriptBytes, files::ReadUntil::FirstZero, bytes))
        return cantOpen(path);
    return loadScriptText(kit, bytes.data(), bytes.size());
}

FileResult saveScriptFile(const KitState& kit, const std::string& path) {
    const ScriptImage image = buildScript(kit);
    const files::ReplaceResult result = files::replaceFile(
        path, [&](files::ByteSink& out) { return out.write(image.data(), image.size()); });
    return result.outcome == files::ReplaceOutcome::Done ? saveDone() : cantWrite(path);
}

} // namespace korvel
