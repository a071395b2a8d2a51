// What korvel-cli render writes for a tune: the reference that the sound
// through the queue and through a device must equal.
#pragma once

#include "tuneRun.h"

#include <cstdint>
#include <string>

namespace korvel::test {

struct RenderedTune {
    std::string samples;
    uint64_t steps; // sounded steps
};

RenderedTune renderTune(const std::string& script, const cli::RunLimit& limit);

// A script file of the given command text in the temporary folder, named for this process.
std::string writeTuneScript(const std::string& name, const std::string& commands);

} // namespace korvel::test
