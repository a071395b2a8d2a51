#include "frontend/input/midiPortChoice.h"

#include <algorithm>

namespace korvel {

MidiPortStep MidiPortChoice::follow(std::vector<std::string> present) {
    // An edition may list the ports more often than they change (on a timer,
    // or on an event its own opening raises); a port that would not open is
    // tried again only on a real change.
    if (present == present_) return {};
    present_ = std::move(present);
    return settle();
}

MidiPortStep MidiPortChoice::choose(const std::string& port) {
    chosen_ = port;
    return settle();
}

void MidiPortChoice::openFailed() {
    open_.clear();
}

MidiPortStep MidiPortChoice::settle() {
    const bool present =
        !chosen_.empty() && std::find(present_.begin(), present_.end(), chosen_) != present_.end();
    const std::string wanted = present ? chosen_ : std::string();
    if (wanted == open_) return {};
    MidiPortStep step{open_, wanted};
    open_ = wanted;
    return step;
}

std::string MidiPortChoice::statusText() const {
    if (chosen_.empty()) return {};
    return "MIDI in: " + chosen_ + (open_.empty() ? " (not connected)" : "");
}

} // namespace korvel
