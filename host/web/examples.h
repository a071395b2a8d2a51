// The example tunes, built into the module from the source tree's examples
// (a generated file), so the page offers them without a download.
#pragma once

#include <cstddef>

namespace korvel::web {

struct Example {
    const char* fileName; // e.g. "ode-to-joy.dat"
    const char* script;   // the file's bytes
    size_t size;
};

extern const Example examples[];
extern const size_t exampleCount;

} // namespace korvel::web
