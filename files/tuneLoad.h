// A script file's tune in a fresh kit, ready for a run (tuneRun.h): for the
// tools that play, render, list or export a tune from a file.
#pragma once

#include "formats/scriptText.h"
#include "model/kit.h"

#include <string>

namespace korvel {

struct TuneLoad {
    FileOutcome outcome; // Done, CantOpen or NotScript
    std::string message; // the Load command's message, empty when loaded
    int systemError;     // errno behind CantOpen, or 0 when unknown
};

// The kit as initKit leaves it, its clock at midnight, with the file loaded as
// the Load command loads it.
TuneLoad loadTune(KitState& kit, const std::string& path);

} // namespace korvel
