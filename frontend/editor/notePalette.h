// The note palette: the editor's keys as on-screen buttons, for a person with
// a touch screen or a mouse alone. Every edition lays out this one list and
// hands the pressed control to TuneEditor::palettePress() (and its release to
// paletteRelease()), which does what the key of the same meaning does: a note
// writes the piano's tone at the cursor and moves down a row (while
// recording it plays and records for as long as it is held), the lengths set
// the row's length, and so on.
//
// The words a view shows above the table, saying what the keys do for the
// device in hand, are here too.
#pragma once

#include "frontend/input/keyboardTable.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvel {

enum class PaletteControl : uint8_t {
    Note, // one of the piano octave's twelve semitones
    OctaveDown,
    OctaveUp,
    Shorter,
    Longer,
    Length, // one of the preset lengths
    Rest,
    EndMarker,
    Jump,
    Insert,
    Delete,
    Undo,
    Redo,
    PlayFromRow,
    Stop,
    Record,
    Listen, // the view's own: it opens the microphone (frontend/listen/liveListen.h)
};

// Where a view groups a button.
enum class PaletteGroup : uint8_t { Piano, Length, Step, Play };

struct PaletteButton {
    PaletteControl control;
    PaletteGroup group;
    uint32_t value;    // Note: the semitone above the octave's C (0..11); Length: units
    const char* label; // the button's text: "C♯", "Octave −", "8"
    const char* name;  // what it does, for screen readers: "C♯", "Octave down", "Length 8"
    const char* key;   // the PC key of the same meaning, for a tooltip: "." or "Ctrl+Z"
    bool black;        // a piano note of a black key
};

// Every button, in the order a view lays them out.
const std::vector<PaletteButton>& notePalette();

// How the person reaches the editor just now; each gets the words for it.
enum class InputWay : uint8_t { Touch, Mouse, Keyboard };

// The line above the table: what the PC keys, the kit's keys and the palette
// do, depending on whether the table has the focus (editing) and Record is on.
// The keyboard leaves the table by Tab on the web, by a click on the board on
// the desktop (where Tab changes column).
std::string editorHint(Edition edition, InputWay way, bool editing, bool recording, int octave);

} // namespace korvel
