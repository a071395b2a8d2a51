// The machine's MIDI ports through RtMidi. RtMidi reports trouble by throwing
// or, with an error callback set, through the callback in place of its
// console warnings; both end here, as words.
#include "midi/midiDevices.h"
#include "midi/midiPortNames.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#ifdef __linux__
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace korvel::midi {
namespace {

const char* const clientName = "KORVEL Simulator";
const char* const inputPortName = "MIDI in";

// Whether asking api for its ports can be done without it complaining: the
// moment its server started, so that a client of a server since restarted
// is known to be dead, or 0 for a system that is always there; nothing when
// it is not running.
std::optional<uint64_t> serverStarted(RtMidi::Api api) {
    if (api == RtMidi::RTMIDI_DUMMY) return std::nullopt;
#ifdef __linux__
    if (api == RtMidi::LINUX_ALSA) {
        if (access("/dev/snd/seq", R_OK | W_OK) != 0) return std::nullopt;
    } else if (api == RtMidi::UNIX_JACK) {
        // The socket a JACK server listens on while it runs.
        const char* server = std::getenv("JACK_DEFAULT_SERVER");
        const std::string socket = "/dev/shm/jack_" + std::string(server ? server : "default") +
                                   "_" + std::to_string(getuid()) + "_0";
        struct stat made {};
        if (stat(socket.c_str(), &made) != 0) return std::nullopt;
        return uint64_t(made.st_ctim.tv_sec) * 1000000000u + uint64_t(made.st_ctim.tv_nsec);
    }
#else
    if (api == RtMidi::UNIX_JACK) return std::nullopt;
#endif
    return 0;
}

// "MidiInJack::openPort: JACK error connecting port." without the first part.
std::string plainWords(const std::string& message) {
    const size_t colon = message.find(": ");
    if (colon == std::string::npos || message.find("::") > colon) return message;
    return message.substr(colon + 2);
}

// The first error RtMidi reported since the last take(); its callback may
// come on a port's thread.
class ErrorWords {
  public:
    static void keep(RtMidiError::Type, const std::string& text, void* self) {
        auto& words = *static_cast<ErrorWords*>(self);
        const std::lock_guard<std::mutex> lock(words.mutex_);
        if (words.text_.empty()) words.text_ = plainWords(text);
    }
    std::string take() {
        const std::lock_guard<std::mutex> lock(mutex_);
        return std::exchange(text_, {});
    }

  private:
    std::mutex mutex_;
    std::string text_;
};

// A listing's trouble is a port not listed, nothing more to say.
void ignore(RtMidiError::Type, const std::string&, void*) {}

// A client of api whose errors go to the callback given, or null when its
// system will not start.
std::unique_ptr<RtMidiIn> newClient(RtMidi::Api api, RtMidiErrorCallback errors, void* words) {
    try {
        auto client = std::make_unique<RtMidiIn>(api, clientName);
        client->setErrorCallback(errors, words);
        return client;
    } catch (const RtMidiError&) {
        return nullptr;
    }
}

struct ListedPort {
    RtMidi::Api api;
    unsigned index;
    std::string name;
};

class RtMidiDevices final : public MidiDevices {
  public:
    ~RtMidiDevices() override { close(); }

    std::vector<std::string> inputPorts() override {
        std::vector<std::string> names;
        for (const ListedPort& port : list()) names.push_back(port.name);
        return names;
    }

    std::string open(const std::string& name, MidiSink sink) override {
        close();
        const std::vector<ListedPort> ports = list();
        const auto port = std::find_if(ports.begin(), ports.end(), [&](const ListedPort& listed) {
            return listed.name == name;
        });
        if (port == ports.end())
            return "Could not open the MIDI port " + name + ": it is no longer connected.";
        std::unique_ptr<RtMidiIn> input = newClient(port->api, &ErrorWords::keep, &inputErrors_);
        if (!input) return "Could not open the MIDI port " + name + ": its system did not start.";
        sink_ = std::move(sink);
        input->setCallback(&deliver, this);
        try {
            input->openPort(port->index, inputPortName);
        } catch (const RtMidiError& thrown) {
            ErrorWords::keep(thrown.getType(), thrown.getMessage(), &inputErrors_);
        }
        const std::string error = inputErrors_.take();
        if (!input->isPortOpen()) {
            input.reset();
            sink_ = nullptr;
            return "Could not open the MIDI port " + name + ": " +
                   (error.empty() ? "the system did not say why." : error);
        }
        input_ = std::move(input);
        return {};
    }

    void close() override {
        input_.reset(); // stops its thread
        sink_ = nullptr;
        inputErrors_.take();
    }

  private:
    static void deliver(double, std::vector<unsigned char>* message, void* self) {
        auto& devices = *static_cast<RtMidiDevices*>(self);
        if (!message->empty()) devices.sink_(message->data(), message->size());
    }

    std::vector<ListedPort> list() {
        std::vector<ListedPort> ports;
        std::vector<RtMidi::Api> apis;
        RtMidi::getCompiledApi(apis);
        for (const RtMidi::Api api : apis) {
            RtMidiIn* lister = listerFor(api);
            if (!lister) continue;
            try {
                const unsigned count = lister->getPortCount();
                for (unsigned index = 0; index < count; ++index) {
                    const std::string name = lister->getPortName(index);
                    if (name.empty()) continue; // gone since counted
                    ports.push_back(
                        {api, index, api == RtMidi::LINUX_ALSA ? withoutAlsaAddress(name) : name});
                }
            } catch (const RtMidiError&) {
                listers_[api].client.reset(); // started afresh next time
            }
        }
        std::vector<std::string> names;
        for (const ListedPort& port : ports) names.push_back(port.name);
        makeUnique(names);
        for (size_t i = 0; i < ports.size(); ++i) ports[i].name = names[i];
        return ports;
    }

    // One client per interface kept for listing, so that listing every
    // second does not register a new client with the system each time; a
    // new one when its server has started again.
    RtMidiIn* listerFor(RtMidi::Api api) {
        const std::optional<uint64_t> started = serverStarted(api);
        Lister& lister = listers_[api];
        if (started != lister.serverStarted) lister = {nullptr, started};
        if (!lister.client && started) lister.client = newClient(api, &ignore, nullptr);
        return lister.client.get();
    }

    struct Lister {
        std::unique_ptr<RtMidiIn> client;
        std::optional<uint64_t> serverStarted;
    };
    ErrorWords inputErrors_;
    std::map<RtMidi::Api, Lister> listers_;
    MidiSink sink_;
    std::unique_ptr<RtMidiIn> input_; // last: closed before the sink goes
};

} // namespace

std::unique_ptr<MidiDevices> systemMidiDevices() {
    return std::make_unique<RtMidiDevices>();
}

} // namespace korvel::midi
