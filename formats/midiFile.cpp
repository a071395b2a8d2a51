// Reading and writing Standard MIDI Files.
#include "formats/midiFile.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace korvel::formats {
namespace {

constexpr uint32_t defaultMicrosPerQuarter = 500000; // 120 crotchets a minute
constexpr double defaultBendSemitones = 2;
constexpr uint8_t nullParameter = 127;
constexpr int channelCount = 16;
constexpr int keyCount = 128;

// Thrown inside the reader only; readMidi turns it into its result.
struct BadFile {
    std::string what;
};

const char* const headerName = "the MIDI header";

// "9,000": byte counts as people read them.
std::string grouped(uint64_t count) {
    std::string digits = std::to_string(count);
    for (size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string bytesText(uint64_t count) {
    return grouped(count) + (count == 1 ? " byte" : " bytes");
}

// The declared body of a chunk: a cursor over bytes [at, end) that refuses to
// move past end, and says which chunk ran short and in which of its items.
class Bytes {
  public:
    Bytes(const std::string& all, size_t at, size_t end, std::string name)
        : all_(all), start_(at), at_(at), end_(end), item_(at), name_(std::move(name)) {}

    size_t offset() const { return at_; }
    bool done() const { return at_ >= end_; }
    // Where the item being read (an event) begins, for messages.
    void beginItem() { item_ = at_; }
    uint8_t peek() const {
        need(1);
        return static_cast<uint8_t>(all_[at_]);
    }
    uint8_t byte() {
        const uint8_t value = peek();
        ++at_;
        return value;
    }
    uint32_t big(int count) {
        uint32_t value = 0;
        for (int i = 0; i < count; ++i) value = value << 8 | byte();
        return value;
    }
    std::string text(size_t count) {
        need(count);
        std::string taken = all_.substr(at_, count);
        at_ += count;
        return taken;
    }
    void skip(size_t count) {
        need(count);
        at_ += count;
    }
    // A variable-length quantity: at most four bytes, seven bits each.
    uint32_t number() {
        const size_t start = at_;
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const uint8_t b = byte();
            value = value << 7 | (b & 0x7F);
            if (!(b & 0x80)) return value;
        }
        throw BadFile{name_ + " has a length or time longer than four bytes at byte " +
                      std::to_string(start)};
    }

  private:
    void need(size_t count) const {
        if (count > end_ - at_)
            throw BadFile{name_ + " declares " + bytesText(end_ - start_) +
                          ", but its event at byte " + std::to_string(item_) + " runs past them"};
    }

    const std::string& all_;
    size_t start_;
    size_t at_;
    size_t end_;
    size_t item_;
    std::string name_;
};

struct ChannelState {
    double bend = 0; // semitones
    double bendRange = defaultBendSemitones;
    uint8_t parameterHigh = nullParameter, parameterLow = nullParameter;
    bool rangeSelected() const { return parameterHigh == 0 && parameterLow == 0; }
};

struct OpenNote {
    uint64_t start;
    double pitch;
};

// The notes of one key still sounding, oldest first; a queue that a file of
// many repeated strikes cannot make slow.
struct OpenNotes {
    std::vector<OpenNote> notes;
    size_t first = 0;

    bool empty() const { return first == notes.size(); }
    OpenNote take() {
        const OpenNote note = notes[first++];
        if (empty()) notes.clear(), first = 0;
        return note;
    }
};

class TrackReader {
  public:
    TrackReader(MidiSong& song, MidiTrack& track, uint32_t number)
        : song_(song), track_(track), number_(number) {}

    void read(Bytes& in);

  private:
    void channelMessage(Bytes& in, uint8_t status);
    void metaEvent(Bytes& in);
    void controller(ChannelState& channel, uint8_t number, uint8_t value);
    void noteOff(uint8_t channel, uint8_t key);
    uint8_t dataByte(Bytes& in) {
        const size_t at = in.offset();
        const uint8_t value = in.byte();
        if (value & 0x80) badData(at);
        return value;
    }
    [[noreturn]] void badData(size_t at) const {
        throw BadFile{"bad MIDI data in track " + std::to_string(number_) + " at byte " +
                      std::to_string(at)};
    }

    MidiSong& song_;
    MidiTrack& track_;
    uint32_t number_;
    uint64_t tick_ = 0;
    bool ended_ = false;
    std::array<ChannelState, channelCount> channels_{};
    // Notes sounding, by channel and key; a repeated key is closed first in, first out.
    std::array<OpenNotes, channelCount * keyCount> open_{};
};

void TrackReader::read(Bytes& in) {
    uint8_t running = 0;
    while (!in.done() && !ended_) {
        in.beginItem();
        tick_ += in.number();
        const size_t at = in.offset();
        // Without a status byte the last channel status goes on (running status).
        uint8_t status = in.peek();
        if (status & 0x80) {
            in.byte();
        } else if (running) {
            status = running;
        } else {
            badData(at);
        }
        if (status == 0xFF) {
            metaEvent(in);
        } else if (status == 0xF0 || status == 0xF7) {
            in.skip(in.number());
            running = 0;
        } else if (status >= 0xF0) {
            badData(at);
        } else {
            running = status;
            channelMessage(in, status);
        }
    }
    track_.end = tick_;
    // Notes never released end with the track.
    for (size_t slot = 0; slot < open_.size(); ++slot)
        while (!open_[slot].empty()) {
            const OpenNote note = open_[slot].take();
            if (tick_ > note.start)
                track_.notes.push_back({note.start, tick_, note.pitch, uint8_t(slot % keyCount),
                                        uint8_t(slot / keyCount)});
        }
    std::stable_sort(track_.notes.begin(), track_.notes.end(),
                     [](const MidiNote& a, const MidiNote& b) { return a.start < b.start; });
}

void TrackReader::noteOff(uint8_t channel, uint8_t key) {
    OpenNotes& sounding = open_[channel * keyCount + key];
    if (sounding.empty()) return;
    const OpenNote note = sounding.take();
    if (tick_ > note.start) track_.notes.push_back({note.start, tick_, note.pitch, key, channel});
}

void TrackReader::channelMessage(Bytes& in, uint8_t status) {
    const uint8_t kind = status & 0xF0, number = status & 0x0F;
    const uint8_t first = dataByte(in);
    if (kind == 0xC0 || kind == 0xD0) return; // one data byte, nothing to keep
    const uint8_t second = dataByte(in);
    ChannelState& channel = channels_[number];
    switch (kind) {
    case 0x90:
        if (second == 0) {
            noteOff(number, first);
        } else {
            open_[number * keyCount + first].notes.push_back({tick_, first + channel.bend});
        }
        break;
    case 0x80: noteOff(number, first); break;
    case 0xB0: controller(channel, first, second); break;
    case 0xE0: channel.bend = ((second << 7 | first) - 8192) / 8192.0 * channel.bendRange; break;
    default: break; // key pressure
    }
}

// Registered parameter 0 sets the bend range: data entry gives semitones, its
// fine part cents.
void TrackReader::controller(ChannelState& channel, uint8_t number, uint8_t value) {
    switch (number) {
    case 101: channel.parameterHigh = value; break;
    case 100: channel.parameterLow = value; break;
    case 6:
        if (channel.rangeSelected()) channel.bendRange = value;
        break;
    case 38:
        if (channel.rangeSelected())
            channel.bendRange = std::floor(channel.bendRange) + std::min<int>(value, 99) / 100.0;
        break;
    default: break;
    }
}

void TrackReader::metaEvent(Bytes& in) {
    const uint8_t type = in.byte();
    const std::string data = in.text(in.number());
    switch (type) {
    case 0x03:
        if (track_.name.empty()) track_.name = data;
        break;
    case 0x2F: ended_ = true; break;
    case 0x51:
        if (data.size() == 3) {
            const auto at = [&](int i) { return uint32_t(uint8_t(data[i])); };
            const uint32_t micros = at(0) << 16 | at(1) << 8 | at(2);
            if (micros > 0) song_.tempos.push_back({tick_, micros});
        }
        break;
    case 0x58:
        if (data.size() >= 2 && data[0] != 0 && uint8_t(data[1]) <= 6)
            song_.meters.push_back({tick_, uint8_t(data[0]), 1u << uint8_t(data[1])});
        break;
    default: break;
    }
}

template <typename Change> void sortByTick(std::vector<Change>& changes) {
    std::stable_sort(changes.begin(), changes.end(),
                     [](const Change& a, const Change& b) { return a.tick < b.tick; });
}

constexpr size_t chunkHeadBytes = 8;
constexpr uint32_t headerBodyBytes = 6;

uint32_t bigEndian(const std::string& bytes, size_t at, int count) {
    uint32_t value = 0;
    for (int i = 0; i < count; ++i) value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

// A chunk's type and declared body, checked against the bytes the file has left.
struct Chunk {
    std::string type;
    size_t body;     // offset of the body
    uint32_t length; // declared
};

// The chunk at `at`, where name ("track 2") is expected after the chunk
// named before; a message names it, or the chunk's own type when it is
// something else.
Chunk chunkAt(const std::string& bytes, size_t at, const std::string& name,
              const std::string& before = "") {
    if (bytes.size() - at < chunkHeadBytes)
        throw BadFile{"the file ends at byte " + std::to_string(bytes.size()) + ", inside " +
                      (name == headerName ? "" : "the head of ") + name};
    const Chunk chunk{bytes.substr(at, 4), at + chunkHeadBytes, bigEndian(bytes, at + 4, 4)};
    // Chunk types are four letters; anything else means the chunk before was mismeasured.
    if (!std::all_of(chunk.type.begin(), chunk.type.end(),
                     [](char c) { return c >= 0x20 && c < 0x7F; }))
        throw BadFile{"no chunk starts at byte " + std::to_string(at) + ", where " + name +
                      " should; " + before + " may declare a wrong length"};
    const size_t remain = bytes.size() - chunk.body;
    if (chunk.length > remain) {
        const bool expected = chunk.type == "MTrk" || name == headerName;
        throw BadFile{
            (expected ? name : "a chunk \"" + chunk.type + "\" at byte " + std::to_string(at)) +
            " declares " + bytesText(chunk.length) + ", " + grouped(remain) + " remain"};
    }
    return chunk;
}

void parse(const std::string& bytes, MidiSong& song) {
    if (bytes.compare(0, 4, "MThd") != 0) throw BadFile{"not a MIDI file"};
    const Chunk header = chunkAt(bytes, 0, headerName);
    if (header.length < headerBodyBytes)
        throw BadFile{"the MIDI header declares " + bytesText(header.length) + "; it needs " +
                      std::to_string(headerBodyBytes)};
    const uint32_t format = bigEndian(bytes, header.body, 2),
                   trackCount = bigEndian(bytes, header.body + 2, 2),
                   division = bigEndian(bytes, header.body + 4, 2);
    if (format == 2)
        throw BadFile{"MIDI format 2 (independent patterns) is not supported; only 0 and 1"};
    if (format > 2) throw BadFile{"unknown MIDI format " + std::to_string(format)};
    if (division & 0x8000) {
        const int framesPerSecond = -static_cast<int8_t>(division >> 8);
        song.smpteTicksPerSecond =
            (framesPerSecond == 29 ? 29.97 : framesPerSecond) * (division & 0xFF);
    } else {
        song.ticksPerQuarter = division;
    }
    if (division == 0 || (song.ticksPerQuarter == 0 && !(song.smpteTicksPerSecond > 0)))
        throw BadFile{"the MIDI header gives no time division"};

    song.tracks.reserve(std::min<uint32_t>(trackCount, 1024));
    size_t at = header.body + header.length;
    std::string before = headerName;
    while (song.tracks.size() < trackCount) {
        const std::string name = "track " + std::to_string(song.tracks.size() + 1);
        if (at == bytes.size())
            throw BadFile{"the MIDI header declares " + plural(trackCount, "track") +
                          ", but the file ends after " + std::to_string(song.tracks.size())};
        const Chunk chunk = chunkAt(bytes, at, name, before);
        at = chunk.body + chunk.length;
        // Other chunks are for other programs.
        before = chunk.type == "MTrk" ? name : "the chunk \"" + chunk.type + "\"";
        if (chunk.type != "MTrk") continue;
        Bytes body(bytes, chunk.body, at, name);
        song.tracks.emplace_back();
        TrackReader(song, song.tracks.back(), uint32_t(song.tracks.size())).read(body);
    }
    sortByTick(song.tempos);
    sortByTick(song.meters);
}

// Seven bits a byte, most significant first, all but the last flagged.
std::string variableLength(uint64_t value) {
    std::string number(1, char(value & 0x7F));
    while (value >>= 7) number.insert(number.begin(), char(0x80 | (value & 0x7F)));
    return number;
}

} // namespace

MidiRead readMidi(const std::string& bytes, MidiSong& song) {
    song = MidiSong{};
    try {
        parse(bytes, song);
    } catch (const BadFile& bad) {
        song = MidiSong{};
        return {false, bad.what};
    }
    return {true, {}};
}

MidiClock::MidiClock(const MidiSong& song) {
    if (song.smpteTicksPerSecond > 0) {
        marks_.push_back({0, 0, 1 / song.smpteTicksPerSecond});
        return;
    }
    const double perQuarter = 1e-6 / song.ticksPerQuarter;
    marks_.push_back({0, 0, defaultMicrosPerQuarter * perQuarter});
    for (const TempoChange& change : song.tempos) {
        const double at = seconds(change.tick);
        if (change.tick == marks_.back().tick) marks_.pop_back();
        marks_.push_back({change.tick, at, change.microsPerQuarter * perQuarter});
    }
}

double MidiClock::seconds(uint64_t tick) const {
    auto mark = std::upper_bound(marks_.begin(), marks_.end(), tick,
                                 [](uint64_t t, const Mark& m) { return t < m.tick; });
    --mark; // the first mark is at tick 0
    return mark->seconds + double(tick - mark->tick) * mark->secondsPerTick;
}

std::string barAndBeat(const MidiSong& song, uint64_t tick) {
    char text[64];
    if (song.ticksPerQuarter == 0) {
        std::snprintf(text, sizeof text, "%.2f s", MidiClock(song).seconds(tick));
        return text;
    }
    uint64_t bar = 1, from = 0;
    MeterChange meter{0, 4, 4};
    const auto ticksPerBeat = [&] {
        return std::max<uint64_t>(1, uint64_t{song.ticksPerQuarter} * 4 / meter.beatUnit);
    };
    for (const MeterChange& change : song.meters) {
        if (change.tick > tick) break;
        const uint64_t barTicks = ticksPerBeat() * meter.beatsPerBar;
        bar += (change.tick - from + barTicks - 1) / barTicks;
        from = change.tick;
        meter = change;
    }
    const uint64_t barTicks = ticksPerBeat() * meter.beatsPerBar;
    bar += (tick - from) / barTicks;
    const uint64_t beat = 1 + (tick - from) % barTicks / ticksPerBeat();
    std::snprintf(text, sizeof text, "bar %llu, beat %llu", static_cast<unsigned long long>(bar),
                  static_cast<unsigned long long>(beat));
    return text;
}

std::string plural(uint64_t count, const char* thing) {
    return std::to_string(count) + " " + thing + (count == 1 ? "" : "s");
}

std::string keyName(int key) {
    static const char* const names[] = {"C",  "C#", "D",  "D#", "E",  "F",
                                        "F#", "G",  "G#", "A",  "A#", "B"};
    const int octave = (key - key % 12) / 12 - 1;
    return names[key % 12] + std::to_string(octave);
}

MidiWriter::MidiWriter(uint16_t ticksPerQuarter, uint32_t microsPerQuarter, const std::string& name)
    : ticksPerQuarter_(ticksPerQuarter) {
    event(0, {0xFF, 0x03});
    track_ += variableLength(name.size()) + name;
    event(0, {0xFF, 0x51, 0x03, uint8_t(microsPerQuarter >> 16), uint8_t(microsPerQuarter >> 8),
              uint8_t(microsPerQuarter)});
}

void MidiWriter::event(uint64_t tick, std::initializer_list<uint8_t> bytes) {
    track_ += variableLength(tick - now_);
    now_ = tick;
    for (uint8_t b : bytes) track_ += char(b);
}

void MidiWriter::controller(uint8_t number, uint8_t value) {
    event(now_, {0xB0, number, value});
}

void MidiWriter::program(uint8_t number) {
    event(now_, {0xC0, number});
}

void MidiWriter::bendRange(uint8_t semitones) {
    controller(101, 0);
    controller(100, 0);
    controller(6, semitones);
    controller(38, 0);
}

void MidiWriter::bend(uint64_t tick, int value) {
    const int raw = value + 8192;
    event(tick, {0xE0, uint8_t(raw & 0x7F), uint8_t(raw >> 7)});
}

void MidiWriter::note(uint64_t start, uint64_t end, uint8_t key) {
    event(start, {0x90, key, 100});
    event(end, {0x80, key, 0});
}

std::string MidiWriter::finish(uint64_t end) {
    event(end, {0xFF, 0x2F, 0x00});
    const auto big = [](uint32_t value, int count) {
        std::string bytes;
        for (int i = count - 1; i >= 0; --i) bytes += char(value >> (8 * i) & 0xFF);
        return bytes;
    };
    return "MThd" + big(6, 4) + big(0, 2) + big(1, 2) + big(ticksPerQuarter_, 2) + "MTrk" +
           big(uint32_t(track_.size()), 4) + track_;
}

} // namespace korvel::formats
