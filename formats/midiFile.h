// Standard MIDI Files (formats 0 and 1): what import needs read out of one,
// and the single-track file export writes.
//
// The reader takes the whole file as bytes and checks every length against
// what is left, so a damaged file gives a message and never a read past its
// end. It keeps the notes (paired on and off, with the pitch bend in force at
// each onset), track names, tempo changes and time signatures; everything
// else is skipped by its length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvel::formats {

struct MidiNote {
    uint64_t start;  // ticks
    uint64_t end;    // ticks, after start
    double pitch;    // semitones, 69 = A 440 Hz, with the channel's pitch bend at the onset
    uint8_t key;     // the key as written, for messages
    uint8_t channel; // 0..15
};

struct MidiTrack {
    std::string name;            // from the first track-name event, or empty
    std::vector<MidiNote> notes; // by start
    uint64_t end = 0;            // the tick of its end-of-track event, or of its last event
};

struct TempoChange {
    uint64_t tick;
    uint32_t microsPerQuarter;
};

struct MeterChange {
    uint64_t tick;
    uint32_t beatsPerBar;
    uint32_t beatUnit; // 4 for crotchets, 8 for quavers
};

struct MidiSong {
    uint32_t ticksPerQuarter = 0;   // metrical timing, or 0
    double smpteTicksPerSecond = 0; // timecode timing, or 0
    std::vector<MidiTrack> tracks;
    std::vector<TempoChange> tempos; // by tick, from every track
    std::vector<MeterChange> meters; // by tick, from every track
};

struct MidiRead {
    bool ok;
    std::string error; // when !ok: what is wrong, to show after the file's name
};

// A MIDI file larger than this is refused unread.
constexpr size_t maxMidiBytes = 4 * 1024 * 1024;

MidiRead readMidi(const std::string& bytes, MidiSong& song);

// Seconds from the start of the song to a tick, through every tempo change.
class MidiClock {
  public:
    explicit MidiClock(const MidiSong& song);
    double seconds(uint64_t tick) const;

  private:
    struct Mark {
        uint64_t tick;
        double seconds;
        double secondsPerTick;
    };
    std::vector<Mark> marks_;
};

// "bar 12, beat 3" under the song's time signatures (4/4 until the first);
// "12.34 s" for timecode timing.
std::string barAndBeat(const MidiSong& song, uint64_t tick);

// "C4", "F#5": the name of a MIDI key.
std::string keyName(int key);

// "1 track", "3 notes": a count and its noun, for messages.
std::string plural(uint64_t count, const char* thing);

// A format-0 file of one track on channel 1, built event by event in order.
class MidiWriter {
  public:
    MidiWriter(uint16_t ticksPerQuarter, uint32_t microsPerQuarter, const std::string& name);
    void program(uint8_t number);
    // The pitch-bend range in semitones, for the bends that follow.
    void bendRange(uint8_t semitones);
    // -8192..8191
    void bend(uint64_t tick, int value);
    void note(uint64_t start, uint64_t end, uint8_t key);
    // The whole file, with the track ending at tick end.
    std::string finish(uint64_t end);

  private:
    void event(uint64_t tick, std::initializer_list<uint8_t> bytes);
    void controller(uint8_t number, uint8_t value);

    uint16_t ticksPerQuarter_;
    uint64_t now_ = 0;
    std::string track_;
};

} // namespace korvel::formats
