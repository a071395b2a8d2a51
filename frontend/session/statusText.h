// The status line under the board: the kit's mode and, while a tune plays,
// the step sounding, as the player reported it.
#pragma once

#include "model/kit.h"
#include "model/melody.h"

#include <string>

namespace korvel {

const char* modeName(KitMode mode);
// "Clock", or "Playing  step 020: 1006" with the step's address and its four
// digits as typed; sounding is ignored outside Playing and may be null.
std::string statusText(const KitState& kit, const MelodyStep* sounding);

} // namespace korvel
