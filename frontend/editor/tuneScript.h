// Steps as script text, the text the kit's script files hold, so that rows
// copied from the editor paste into a text editor, a message or Paste Tune
// and back, and a whole tune travels with its start address and tempo.
#pragma once

#include "model/kit.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

// A script that types count rows from row in at their own addresses.
std::string stepsScript(const KitState& kit, uint32_t row, uint32_t count);

// The whole tune: tempo and start address written at 00E and 000 as the
// example tunes do, then all of memory, then a lone 0 so RUN plays it.
// title names it on the script's first line.
std::string wholeTuneScript(const KitState& kit, const std::string& title);

struct ScriptSteps {
    bool ok;
    std::string error;            // when !ok, for the user
    uint32_t row = 0;             // where the script writes its first step
    std::vector<uint16_t> groups; // every row from there to its last step written
};

// The steps a script writes into memory, replayed as the kit loads it; the
// tempo and start address it sets are left out, and nibbles it leaves alone
// within its rows read 0.
ScriptSteps scriptSteps(const std::string& text);

} // namespace korvel
