// A recording heard whole, from a file or a microphone, and the tune made of
// its notes by the MIDI import's own rules (kit tones, tempo row, rests,
// memory fit and report), so a recording and a MIDI file become tunes alike.
// The tune starts at the first note heard and ends with the last, and a chosen
// transposition moves it by whole octaves only: a singer knows the key they
// sang in.
//
// Memory stays bounded for a recording of any length: once more notes are
// heard than any tune in memory could use, feed() says so and the reader stops.
#pragma once

#include "formats/midiFile.h"
#include "formats/tuneConvert.h"
#include "formats/tuneImport.h"
#include "listen/transcriber.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel::listen {

// Far more notes than the memory's 128 steps can hold, even with --truncate.
constexpr size_t maxHeardNotes = 2048;
// A note whose middle was less periodic than this is reported as unsure.
constexpr double unsureConfidence = 0.5;

struct HeardRecording {
    std::vector<HeardNote> notes;
    double tuningCents = 0; // how far the voice sat above A = 440 Hz
    double seconds = 0;     // of sound heard
    bool cut = false;       // reading stopped at maxHeardNotes
};

class Listening {
  public:
    // sampleRate: 8000 Hz and up.
    explicit Listening(double sampleRate);
    // mono: samples of full scale 1. False once maxHeardNotes are heard: the
    // rest of the recording need not be read.
    bool feed(const float* mono, size_t count);
    // For a live display: the pitch line (Transcriber::trace).
    const std::deque<double>& trace() const { return transcriber_.trace(); }
    double seconds() const { return double(samples_) / rate_; }
    // Call once, after the last block.
    HeardRecording finish();

  private:
    Transcriber transcriber_;
    double rate_;
    uint64_t samples_ = 0;
    bool cut_ = false;
};

// One track of the notes, from the first onset, in ticks of a tenth of a millisecond.
formats::MidiSong heardSong(const std::vector<HeardNote>& notes);

// The tune, for the editor to write where it likes. options.transpose, fit,
// truncate, startAddress, capacity and tempo apply as for a MIDI file.
formats::ImportResult importHeard(const HeardRecording& heard, formats::ImportOptions options,
                                  const std::string& title);

// The script of the tune and its report, as formats::importMidi gives for a
// MIDI file: fileName (with its extension) titles the tune.
formats::MidiImport importRecording(const HeardRecording& heard,
                                    const formats::ImportOptions& options,
                                    const std::string& fileName);

// The report rows a recording adds to the import's: what was heard (notes,
// length, tuning) and the notes heard with too little certainty.
std::vector<formats::ReportRow> heardReport(const HeardRecording& heard);

} // namespace korvel::listen
