// Which MIDI input port the kit listens to, the same in every edition. The
// player's choice is kept by the port's name, so it survives a restart (the
// edition remembers chosen()) and a keyboard unplugged and plugged in again.
// Each edition lists the ports present whenever its system says they changed
// (or, where it cannot say, every second) and hands the list to follow(); the
// answer says which port to open or close. A chosen port that disappears is
// closed (the edition then calls MidiKeyboard::portGone, so the organ falls
// silent) and opened again when it comes back.
#pragma once

#include <string>
#include <vector>

namespace korvel {

struct MidiPortStep {
    std::string close; // the port to close first, or empty
    std::string open;  // the port to open, or empty
    bool operator==(const MidiPortStep& other) const {
        return close == other.close && open == other.open;
    }
};

class MidiPortChoice {
  public:
    // remembered: the port chosen last time, or empty for none.
    explicit MidiPortChoice(std::string remembered = {}) : chosen_(std::move(remembered)) {}

    // The ports present now, in the system's order.
    MidiPortStep follow(std::vector<std::string> present);
    // The player chose a port from ports(), or empty for none.
    MidiPortStep choose(const std::string& port);
    // The edition could not open the port it was told to: it stays chosen
    // (so it is tried again when the ports change) but is not open.
    void openFailed();

    const std::vector<std::string>& ports() const { return present_; }
    const std::string& chosen() const { return chosen_; }
    // The port open now, or empty.
    const std::string& open() const { return open_; }
    // For the status line: "MIDI in: NAME", "MIDI in: NAME (not connected)",
    // or empty when no port is chosen.
    std::string statusText() const;

  private:
    MidiPortStep settle();

    std::vector<std::string> present_;
    std::string chosen_;
    std::string open_;
};

} // namespace korvel
