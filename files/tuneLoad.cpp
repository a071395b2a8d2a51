// A fresh kit and the Load command's loader.
#include "files/tuneLoad.h"

#include "files/scriptFile.h"

#include <cerrno>

namespace korvel {
namespace {

// The kit's clock plays no part in a tune; a fixed reading keeps runs repeatable.
constexpr ClockReading midnight{0, 0, 0, 0};

} // namespace

TuneLoad loadTune(KitState& kit, const std::string& path) {
    initKit(kit, midnight);
    errno = 0;
    FileResult file = loadScriptFile(kit, path);
    const int systemError = file.outcome == FileOutcome::CantOpen ? errno : 0;
    return {file.outcome, std::move(file.message), systemError};
}

} // namespace korvel
