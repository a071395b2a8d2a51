// Fuzz target: arbitrary bytes as a MIDI file, read, then imported.
//
// The last byte chooses the import options (see optionsFrom). The reader
// stops after the tracks the header declares, so a byte appended to a real
// file changes the options only, and real files seed the corpus as they are.
// A song read must hold only notes that end after they begin, on channels and
// keys that exist, and its changes in order. An import fails with a message,
// or gives a tune that fits memory with its end marker, sounds a note, and
// whose script loads into a kit as exactly its steps, tempo and start.
#include "formats/scriptText.h"
#include "formats/midiFile.h"
#include "formats/tuneImport.h"
#include "model/kit.h"
#include "model/melody.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace korvel::formats {
namespace {

[[noreturn]] void fail(const char* what, uint64_t value) {
    std::fprintf(stderr, "midi fuzz: %s (value %llu)\n", what,
                 static_cast<unsigned long long>(value));
    std::abort();
}

void require(bool holds, const char* what, uint64_t value = 0) {
    if (!holds) fail(what, value);
}

// Bit 0 --fit, bit 1 --truncate, bits 2-3 a track (0 none), bits 4-5 a
// channel (none, 1, 10 or 2), bit 6 a given transposition, bit 7 a start
// whose tune runs on past the end of memory.
ImportOptions optionsFrom(uint8_t choice) {
    ImportOptions options;
    options.fit = choice & 1;
    options.truncate = choice & 2;
    if (const uint32_t track = choice >> 2 & 3) options.track = track;
    static const uint32_t channels[] = {0, 1, 10, 2};
    if (const uint32_t channel = channels[choice >> 4 & 3]) options.channel = channel;
    if (choice & 0x40)
        options.transpose = int(choice % (2 * transposeSearch + 1)) - transposeSearch;
    if (choice & 0x80) options.startAddress = memoryNibbles - stepNibbles;
    return options;
}

template <typename Change> bool inOrder(const std::vector<Change>& changes) {
    return std::is_sorted(changes.begin(), changes.end(),
                          [](const Change& a, const Change& b) { return a.tick < b.tick; });
}

void checkSong(const MidiSong& song) {
    for (const MidiTrack& track : song.tracks)
        for (const MidiNote& note : track.notes) {
            require(note.end > note.start, "note ends before it begins", note.start);
            require(note.end <= track.end, "note ends after its track", note.end);
            require(note.channel < 16, "channel", note.channel);
            require(note.key < 128, "key", note.key);
        }
    require(inOrder(song.tempos), "tempo changes out of order");
    require(inOrder(song.meters), "time signatures out of order");
}

// The script types the steps and the end marker from the start address on,
// wrapping past the last nibble, and sets the tempo and the start.
void checkScript(const ImportedTune& tune) {
    const std::string script = importedScript(tune, "song.mid");
    KitState kit{};
    const FileResult loaded = loadScriptText(kit, script.data(), script.size());
    require(loaded.outcome == FileOutcome::Done, "script does not load", uint32_t(loaded.outcome));
    require(kit.tempo == tune.tempo, "tempo", kit.tempo);
    require(kit.startAddress == tune.startAddress, "start address", kit.startAddress);
    std::vector<uint16_t> groups = tune.steps;
    groups.push_back(endMarkerGroup);
    for (size_t i = 0; i < groups.size(); ++i) {
        const uint32_t at = (tune.startAddress + uint32_t(i) * stepNibbles) % memoryNibbles;
        uint16_t stored = 0;
        for (uint32_t n = stepNibbles; n-- > 0;)
            stored = uint16_t(stored << 4 | kit.memory[at + n]);
        require(stored == groups[i], "group in memory", i);
    }
}

void checkTune(const ImportedTune& tune) {
    require(tune.steps.size() + 1 <= tune.capacity, "steps past memory", tune.steps.size());
    require(tune.tempo < tempoCount, "tempo row", tune.tempo);
    bool sounds = false;
    for (uint16_t group : tune.steps) {
        const uint32_t s3 = group >> 12, code = group & 0xFF;
        require(s3 != jumpNibble && group != endMarkerGroup, "step is no note or rest", group);
        require(tune.tempo * lengthCodeCount + code < noteLengthCount, "length past the table",
                group);
        sounds = sounds || (group >> 8) != restTone;
    }
    require(sounds, "tune sounds no note");
    require(tune.notes > 0, "report counts no note");
    checkScript(tune);
    require(!importReport(tune).empty(), "empty report");
}

} // namespace
} // namespace korvel::formats

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace korvel::formats;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    MidiSong song;
    const MidiRead read = readMidi(bytes, song);
    if (!read.ok) {
        require(!read.error.empty(), "failure without a message");
        require(song.tracks.empty(), "failure leaves tracks");
        return 0;
    }
    checkSong(song);
    const ImportResult imported = importTune(song, optionsFrom(size ? data[size - 1] : 0), "song");
    if (!imported.ok) {
        require(!imported.error.empty(), "import failure without a message");
        return 0;
    }
    checkTune(imported.tune);
    return 0;
}
