// Script loader outcomes and their wording.
#include "files/scriptText.h"

#include "model/script.h"

#include <cstring>
#include <utility>

namespace korvel {

const char* const loadCaption = "Load Script";
const char* const saveCaption = "Save Script";

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

FileResult loadScriptText(KitState& kit, const char* bytes, size_t size) {
    if (!applyScript(kit, bytes, size))
        return {FileOutcome::NotScript, "This File is not KORVEL script.", loadCaption};
    return loadDone();
}

FileResult loadScriptBytes(KitState& kit, const char* bytes, size_t size, const std::string& name) {
    const void* zero = std::memchr(bytes, 0, size);
    const size_t length = zero ? size_t(static_cast<const char*>(zero) - bytes) : size;
    if (length > maxScriptBytes) return cantOpen(name, tooLargeReason());
    return loadScriptText(kit, bytes, length);
}

} // namespace korvel
