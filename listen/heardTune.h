// Notes heard in a recording made a tune by the MIDI import's own rules
// (kit tones, tempo row, rests, memory fit and report), so a recording and a
// MIDI file become tunes alike. The tune starts at the first note heard and
// ends with the last, and a chosen transposition moves it by whole octaves
// only: a singer knows the key they sang in.
#pragma once

#include "formats/midiFile.h"
#include "formats/tuneImport.h"
#include "listen/transcriber.h"

#include <string>
#include <vector>

namespace korvel::listen {

// One track of the notes, from the first onset, in ticks of a tenth of a millisecond.
formats::MidiSong heardSong(const std::vector<HeardNote>& notes);

// options.transpose, fit, truncate and startAddress apply as for a MIDI file.
formats::ImportResult importHeard(const std::vector<HeardNote>& notes,
                                  formats::ImportOptions options, const std::string& title);

} // namespace korvel::listen
