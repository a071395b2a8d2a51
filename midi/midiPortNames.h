// The names MIDI input ports are shown and remembered by: the same keyboard
// keeps its name when plugged in again, and no two ports in a list share one.
#pragma once

#include <string>
#include <vector>

namespace korvel::midi {

// The ALSA sequencer ends a port's name with its client:port address
// ("Keys:Keys MIDI 1 24:0"), which changes from one plugging in to the next:
// the name without it.
std::string withoutAlsaAddress(const std::string& name);

// Names met more than once get " (2)", " (3)"... in the order listed, never
// becoming a name already in the list.
void makeUnique(std::vector<std::string>& names);

} // namespace korvel::midi
