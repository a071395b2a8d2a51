// The PC keyboard as a tracker's piano: Z S X D C V G B H N J M play one
// octave from C, Q 2 W 3 E R 5 T 6 Y 7 U the octave above it. Keys are named
// by what they type on a US layout without Shift, so a view maps its key
// codes (or positions) once and every layout plays the same shape.
#pragma once

#include <cstdint>
#include <optional>

namespace korvel {

// The octave of the lower row's C. The kit's tones run from about C1 to B5,
// so the upper row stays within reach.
constexpr int lowestPianoOctave = 1;
constexpr int highestPianoOctave = 4;
constexpr int defaultPianoOctave = 4; // divider 1 do, as the organ's key 8

// Semitones above the lower row's C (0..23) that a key plays, if it is a piano key.
std::optional<int> pianoSemitone(char key);
// The MIDI pitch of semitone above the C of octave.
double pianoPitch(int octave, int semitone);
// The kit tone nearest the pitch semitone above octave's C, if the kit reaches it.
std::optional<uint32_t> pianoToneAt(int octave, int semitone);
// The kit tone nearest a piano key's pitch, if the kit reaches that pitch.
std::optional<uint32_t> pianoTone(int octave, char key);
// The kit tone nearest a MIDI pitch (69 = A4), if the kit reaches it.
std::optional<uint32_t> toneInReach(double pitch);

} // namespace korvel
