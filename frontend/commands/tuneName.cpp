// Tune names from files, scripts and examples.
#include "frontend/commands/tuneName.h"

#include "formats/tuneConvert.h"
#include "formats/tuneExport.h"

namespace korvel {

TuneName untitledTune() {
    return {formats::untitledTuneTitle, "tune"};
}

TuneName nameOfFile(const std::string& fileName) {
    const std::string stem = fileStem(fileName);
    return {stem, stem};
}

std::string scriptTitle(std::string_view script, const std::string& fallback) {
    std::string_view head = script.substr(0, scriptHeadBytes);
    if (const size_t lineEnd = head.find('\n'); lineEnd != head.npos)
        head = head.substr(0, lineEnd + 1);
    head = head.substr(0, head.find('\0'));
    return formats::titleOfScript(std::string(head), fallback);
}

TuneName nameOfScript(std::string_view script, const TuneName& fallback) {
    return {scriptTitle(script, fallback.title), fallback.fileStem};
}

TuneName nameOfExample(std::string_view script, const std::string& fileName) {
    TuneName name = nameOfScript(script, nameOfFile(fileName));
    name.example = true;
    return name;
}

TuneName changedTune(const TuneName& name) {
    if (!name.example) return name;
    return {name.title + " (changed)", name.fileStem + "-changed"};
}

std::string defaultFileName(const TuneName& name, const std::string& extension) {
    return name.fileStem + "." + extension;
}

} // namespace korvel
