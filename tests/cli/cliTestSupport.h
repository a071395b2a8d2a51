// Helpers for the korvel-cli tests: running the built korvel-cli as a user
// would, in a scratch folder (scratchDir.h).
#pragma once

#include "tests/support/scratchDir.h"

#include <string>
#include <vector>

namespace korvel::test {

struct CliResult {
    int exitCode; // -1 when killed by a signal
    std::string out;
    std::string err;
};

// Runs korvel-cli with shell-quoted arguments; environment assignments such
// as "SDL_AUDIODRIVER=disk", or shell commands ending in ";" such as
// "ulimit -f 8;", go before it. Output is collected through files.
CliResult runCli(const ScratchDir& dir, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {});

} // namespace korvel::test
