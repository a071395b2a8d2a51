// korvel_midi_sender: a MIDI keyboard for the desktop's end-to-end test and
// the key-to-sound benchmark. It opens a JACK MIDI output port of its own,
// waits until a given client connects to it (a port whose name begins with
// the text given; or a time passes), then plays a
// script of timed messages, printing the CLOCK_MONOTONIC time of each send.
//
// Usage: korvel_midi_sender [--client NAME] [--port NAME] [--wait-for CLIENT]
//                           [--wait SECONDS] [EVENT...]
// The port is CLIENT:PORT in JACK (default korvel-test-keyboard:keys). Each
// EVENT (an argument, or a line of standard input when none is given) is
//   DELAY on NOTE [VELOCITY] | DELAY off NOTE | DELAY pedal down|up
// on channel 1; DELAY is milliseconds after the previous send, or after the
// line was read when it came later, so a test can feed its script in parts.
// Blank lines and lines from '#' on are skipped. For each send it prints
// "sent NANOSECONDS EVENT", taken just before the message is handed to JACK.
// Exit code 0 when the script was sent, 1 when JACK fails, 2 for a bad line.
#include <jack/jack.h>
#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <time.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long long monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

struct Event {
    int delayMs = 0;
    std::vector<unsigned char> message;
};

std::optional<int> byteValue(std::istream& in, int largest) {
    int value = -1;
    if (!(in >> value) || value < 0 || value > largest) return std::nullopt;
    return value;
}

// Empty message: the line holds nothing to send; nullopt: it is not an event.
std::optional<Event> parseEvent(const std::string& line) {
    std::istringstream in(line.substr(0, line.find('#')));
    Event event;
    std::string kind;
    if (!(in >> event.delayMs)) return in.eof() ? std::optional<Event>(event) : std::nullopt;
    if (event.delayMs < 0 || !(in >> kind)) return std::nullopt;
    if (kind == "on" || kind == "off") {
        const std::optional<int> note = byteValue(in, 127);
        std::optional<int> velocity = kind == "on" ? 100 : 0;
        if (kind == "on" && !in.eof()) velocity = byteValue(in, 127);
        if (!note || !velocity) return std::nullopt;
        event.message = {static_cast<unsigned char>(kind == "on" ? 0x90 : 0x80),
                         static_cast<unsigned char>(*note), static_cast<unsigned char>(*velocity)};
    } else if (kind == "pedal") {
        std::string position;
        in >> position;
        if (position != "down" && position != "up") return std::nullopt;
        event.message = {0xB0, 64, static_cast<unsigned char>(position == "down" ? 127 : 0)};
    } else {
        return std::nullopt;
    }
    in >> std::ws;
    if (!in.eof()) return std::nullopt;
    return event;
}

// Whether a port whose name begins with peerPrefix connects to the port, polled every 10 ms.
bool waitForConnection(const std::string& port, const std::string& peerPrefix, int seconds) {
    jack_client_t* watcher = jack_client_open("korvel-test-watch", JackNoStartServer, nullptr);
    if (!watcher) return false;
    const auto deadline = Clock::now() + std::chrono::seconds(seconds);
    bool connected = false;
    while (!connected && Clock::now() < deadline) {
        if (jack_port_t* own = jack_port_by_name(watcher, port.c_str())) {
            if (const char** peers = jack_port_get_all_connections(watcher, own)) {
                for (const char** peer = peers; *peer && !connected; ++peer)
                    connected = std::string(*peer).rfind(peerPrefix, 0) == 0;
                jack_free(peers);
            }
        }
        if (!connected) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    jack_client_close(watcher);
    return connected;
}

int usage() {
    std::fprintf(stderr, "usage: korvel_midi_sender [--client NAME] [--port NAME] "
                         "[--wait-for CLIENT] [--wait SECONDS] [EVENT...]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string client = "korvel-test-keyboard", port = "keys", waitFor;
    int waitSeconds = 30;
    std::vector<std::string> lines;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool valued = argument.rfind("--", 0) == 0;
        if (valued && i + 1 == argc) return usage();
        if (argument == "--client")
            client = argv[++i];
        else if (argument == "--port")
            port = argv[++i];
        else if (argument == "--wait-for")
            waitFor = argv[++i];
        else if (argument == "--wait")
            waitSeconds = std::atoi(argv[++i]);
        else if (valued)
            return usage();
        else
            lines.push_back(argument);
    }

    std::unique_ptr<RtMidiOut> out;
    try {
        out = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, client);
        out->openVirtualPort(port);
    } catch (const RtMidiError& error) {
        std::fprintf(stderr, "korvel_midi_sender: %s\n", error.getMessage().c_str());
        return 1;
    }
    const std::string portName = client + ":" + port;
    std::printf("port %s\n", portName.c_str());
    std::fflush(stdout);
    if (!waitFor.empty())
        std::printf(waitForConnection(portName, waitFor, waitSeconds)
                        ? "connected %s\n"
                        : "no port of %s connected; sending anyway\n",
                    waitFor.c_str());
    std::fflush(stdout);

    const bool fromInput = lines.empty();
    size_t next = 0;
    std::string line;
    auto lastSend = Clock::now();
    while (fromInput ? static_cast<bool>(std::getline(std::cin, line)) : next < lines.size()) {
        if (!fromInput) line = lines[next++];
        const std::optional<Event> event = parseEvent(line);
        if (!event) {
            std::fprintf(stderr, "korvel_midi_sender: not an event: %s\n", line.c_str());
            return 2;
        }
        if (event->message.empty()) continue;
        std::this_thread::sleep_until(std::max(lastSend, Clock::now()) +
                                      std::chrono::milliseconds(event->delayMs));
        lastSend = Clock::now();
        const long long sentNs = monotonicNs();
        try {
            out->sendMessage(&event->message);
        } catch (const RtMidiError& error) {
            std::fprintf(stderr, "korvel_midi_sender: %s\n", error.getMessage().c_str());
            return 1;
        }
        std::printf("sent %lld %s\n", sentNs,
                    line.substr(line.find_first_not_of(" 0123456789")).c_str());
        std::fflush(stdout);
    }
    // What was sent last is delivered in JACK's next cycle, before the port closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return 0;
}
