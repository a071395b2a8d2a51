#include "listen/heardTune.h"

#include <algorithm>
#include <cmath>

namespace korvel::listen {

namespace {
constexpr uint32_t ticksPerQuarter = 10000;
constexpr uint32_t microsPerQuarter = 1000000; // a tick is 0.1 ms
} // namespace

formats::MidiSong heardSong(const std::vector<HeardNote>& notes) {
    formats::MidiSong song;
    song.ticksPerQuarter = ticksPerQuarter;
    song.tempos.push_back({0, microsPerQuarter});
    formats::MidiTrack track;
    const double start = notes.empty() ? 0 : notes.front().onset;
    const auto tick = [start](double seconds) {
        return uint64_t(std::llround((seconds - start) * ticksPerQuarter));
    };
    for (const HeardNote& note : notes) {
        const uint64_t begin = tick(note.onset);
        const uint64_t end = std::max(begin + 1, tick(note.onset + note.duration));
        const auto key = uint8_t(std::clamp(std::lround(note.pitch), 0L, 127L));
        track.notes.push_back({begin, end, note.pitch, key, 0});
        track.end = std::max(track.end, end);
    }
    song.tracks.push_back(std::move(track));
    return song;
}

formats::ImportResult importHeard(const std::vector<HeardNote>& notes,
                                  formats::ImportOptions options, const std::string& title) {
    options.track.reset();
    options.channel.reset();
    options.octavesOnly = true;
    return formats::importTune(heardSong(notes), options, title);
}

} // namespace korvel::listen
