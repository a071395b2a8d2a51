// The MIDI input ports of the machine: listed by name, one opened at a time,
// its messages handed on from the port's own thread. Every interface the
// MIDI library was built with and that can start is listed (on Linux the
// ALSA sequencer and JACK, on Windows WinMM, on macOS CoreMIDI). One that
// cannot start lists nothing, and says nothing about it: the list is taken
// every second, and a JACK server that is not running would otherwise have
// its library complain on the console each time. So JACK is asked only while
// its server's socket exists, and the sequencer only while its device does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvel::midi {

// Called on the port's own thread with one whole message.
using MidiSink = std::function<void(const uint8_t* bytes, size_t count)>;

class MidiDevices {
  public:
    virtual ~MidiDevices() = default;
    // The input ports present now, by the names to show and remember
    // (midiPortNames.h), in the system's order.
    virtual std::vector<std::string> inputPorts() = 0;
    // Opens the named port in place of any open one. Empty when it opened;
    // otherwise why not, in words for the player, and no port is open.
    virtual std::string open(const std::string& name, MidiSink sink) = 0;
    // Closes the open port, if any; its sink is not called once this returns.
    virtual void close() = 0;
};

// The machine's ports, through RtMidi.
std::unique_ptr<MidiDevices> systemMidiDevices();

} // namespace korvel::midi
