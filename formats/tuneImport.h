// Turning the melody of a MIDI file into a tune for the kit's memory.
//
// One voice (a track, a channel, or both) becomes a single line: where its
// notes overlap, the highest sounding note is heard. Each note becomes the
// kit tone nearest in cents, after a transposition that is given or chosen
// to make the largest pitch error smallest, keeping the key where that costs
// under a cent. A silence much shorter than the notes around it is how they
// were played, not a rest: the note before it sounds on into it. Each note
// and gap becomes steps whose lengths, at the tempo row that keeps every note
// and follows the file's timing best, end as near as they can to where the
// file's notes end, so rounding does not add up. A tune that does not fit
// memory whole is refused, or cut to its longest opening that does.
#pragma once

#include "formats/midiFile.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace korvel::formats {

// How a refusal tells the user which choice would take what was refused, in
// the words of the caller's choices (the command line's options by default).
struct ImportAdvice {
    std::string takeDrums = "--channel 10 takes them";
    std::string fit = "--fit moves such notes by octaves";
    std::string truncate = "--truncate keeps what fits";
};

struct ImportOptions {
    std::optional<uint32_t> track;   // 1..: the file's tracks in order
    std::optional<uint32_t> channel; // 1..16
    std::optional<int> transpose;    // semitones; chosen when absent
    bool fit = false;                // move notes out of reach by octaves
    bool octavesOnly = false;        // a chosen transposition keeps the key, as a voice wants
    bool truncate = false;           // keep the longest opening that fits memory whole
    uint32_t startAddress = 0x010;   // where the examples begin; the tune wraps past 1FF to 000
    // Steps the tune may take, end marker included; all of memory when absent
    // (an edit into a tune keeps the rows after its end).
    std::optional<uint32_t> capacity;
    std::optional<uint32_t> tempo; // the tempo row to play at; chosen when absent
    // Time errors closer than this are heard as the same when the tempo row is
    // chosen: a MIDI file's timing is exact, a recording's as fine as its frames.
    double sameTimeMs = 1.0;
    ImportAdvice advice;
};

// How far the first chosen transposition may go either way.
constexpr int transposeSearch = 24;
// How far a given transposition may go either way: beyond four octaves a
// tune leaves the kit's range whatever it is.
constexpr int maxTranspose = 48;

struct ImportedTune {
    std::string title;
    std::string voice;           // e.g. `track 2 ("Flute"), all channels`
    bool heard = false;          // from a recording, not a MIDI file
    std::vector<uint16_t> steps; // s3 s2 s1 s0, without the end marker
    uint32_t startAddress = 0;
    uint32_t tempo = 0;
    uint32_t capacity = 0; // steps memory holds, end marker included
    int transpose = 0;
    bool transposeChosen = false;
    bool longCodes = false;        // some length code reads a slower row (32 or more)
    uint32_t notes = 0, rests = 0; // the file's, as kept
    double maxCents = 0, meanCents = 0;
    double maxTimeMs = 0;  // the largest difference in length of a note or rest
    double maxOnsetMs = 0; // the largest difference in where a note or rest begins
    std::vector<std::string> warnings;
};

struct ImportResult {
    bool ok;
    std::string error; // when !ok: what is wrong, to show after the file's name
    ImportedTune tune;
};

// A voice the import can take, as a dialog offers it.
struct VoiceChoice {
    std::string label; // e.g. `Track 2 ("Flute"), channel 3: 40 notes`
    std::optional<uint32_t> track;
    std::optional<uint32_t> channel;
};

// "Automatic" first; then each track with notes, each channel with notes
// across all tracks, and each channel of a track that has several.
std::vector<VoiceChoice> voiceChoices(const MidiSong& song);

// fallbackTitle names the tune when its track has no name.
ImportResult importTune(const MidiSong& song, const ImportOptions& options,
                        const std::string& fallbackTitle);

// The script that types the tune in; sourceName goes into its preamble.
std::string importedScript(const ImportedTune& tune, const std::string& sourceName);

// One line of the import's report: what it tells (e.g. "memory") and what it says.
struct ReportRow {
    std::string label;
    std::string value;
};

// The report for the user: the voice, transposition, memory, tempo, pitch and time errors.
std::vector<ReportRow> importReport(const ImportedTune& tune);

} // namespace korvel::formats
