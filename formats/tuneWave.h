// A run of a tune written as a WAV file, its samples computed from the tones
// as the sound queue computes them (toneSource.h), so a render holds a few
// kilobytes of samples at a time and no tone bank.
#pragma once

#include "formats/byteSink.h"
#include "formats/tuneRun.h"
#include "model/kit.h"

#include <cstdint>
#include <functional>

namespace korvel::formats {

// The run of kit (left as it is) under limit as a whole WAV of dataBytes
// samples, the length a silent run found. stopped is asked before each step;
// true gives up. False when given up, when out refuses a write, or when the
// run does not sound dataBytes samples again.
bool writeTuneWave(ByteSink& out, const KitState& kit, const RunLimit& limit, uint64_t dataBytes,
                   const std::function<bool()>& stopped);

} // namespace korvel::formats
