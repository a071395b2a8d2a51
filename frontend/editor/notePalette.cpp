// The palette's buttons and the hint line's words.
#include "frontend/editor/notePalette.h"

namespace korvel {
namespace {

using C = PaletteControl;
using G = PaletteGroup;

const std::vector<PaletteButton> palette = {
    PaletteButton{C::Note, G::Piano, 0, "C", "C", "Z", false},
    PaletteButton{C::Note, G::Piano, 1, "C♯", "C♯", "S", true},
    PaletteButton{C::Note, G::Piano, 2, "D", "D", "X", false},
    PaletteButton{C::Note, G::Piano, 3, "D♯", "D♯", "D", true},
    PaletteButton{C::Note, G::Piano, 4, "E", "E", "C", false},
    PaletteButton{C::Note, G::Piano, 5, "F", "F", "V", false},
    PaletteButton{C::Note, G::Piano, 6, "F♯", "F♯", "G", true},
    PaletteButton{C::Note, G::Piano, 7, "G", "G", "B", false},
    PaletteButton{C::Note, G::Piano, 8, "G♯", "G♯", "H", true},
    PaletteButton{C::Note, G::Piano, 9, "A", "A", "N", false},
    PaletteButton{C::Note, G::Piano, 10, "A♯", "A♯", "J", true},
    PaletteButton{C::Note, G::Piano, 11, "B", "B", "M", false},
    PaletteButton{C::OctaveDown, G::Piano, 0, "Oct −", "Octave down", "-", false},
    PaletteButton{C::OctaveUp, G::Piano, 0, "Oct +", "Octave up", "=", false},
    PaletteButton{C::Shorter, G::Length, 0, "Shorter", "Shorter", "-", false},
    PaletteButton{C::Longer, G::Length, 0, "Longer", "Longer", "=", false},
    PaletteButton{C::Length, G::Length, 1, "1", "Length 1", "1", false},
    PaletteButton{C::Length, G::Length, 2, "2", "Length 2", "2", false},
    PaletteButton{C::Length, G::Length, 4, "4", "Length 4", "4", false},
    PaletteButton{C::Length, G::Length, 8, "8", "Length 8", "6", false},
    PaletteButton{C::Length, G::Length, 16, "16", "Length 16", "8", false},
    PaletteButton{C::Length, G::Length, 32, "32", "Length 32", "0", false},
    PaletteButton{C::Rest, G::Step, 0, "Rest", "Rest", ".", false},
    PaletteButton{C::EndMarker, G::Step, 0, "End", "End marker", "/", false},
    PaletteButton{C::Jump, G::Step, 0, "Jump", "Jump", ",", false},
    PaletteButton{C::Insert, G::Step, 0, "Insert", "Insert", "Insert", false},
    PaletteButton{C::Delete, G::Step, 0, "Delete", "Delete", "Delete", false},
    PaletteButton{C::Undo, G::Step, 0, "Undo", "Undo", "Ctrl+Z", false},
    PaletteButton{C::Redo, G::Step, 0, "Redo", "Redo", "Ctrl+Y", false},
    PaletteButton{C::PlayFromRow, G::Play, 0, "Play", "Play from row", "Enter", false},
    PaletteButton{C::Stop, G::Play, 0, "Stop", "Stop", "Esc", false},
    PaletteButton{C::Record, G::Play, 0, "Record", "Record", "F6", false},
    PaletteButton{C::Listen, G::Play, 0, "Listen", "Listen", "F7", false},
};

} // namespace

const std::vector<PaletteButton>& notePalette() {
    return palette;
}

std::string editorHint(Edition edition, InputWay way, bool editing, bool recording, int octave) {
    const std::string piano = "piano octave " + std::to_string(octave);
    if (recording)
        return "Recording: the piano (" + piano +
               ") and, in organ mode, the kit's keys become steps. Record again ends it.";
    switch (way) {
    case InputWay::Touch:
        return editing ? "Tap a row, then a note, a length or a step below; the kit's hex keys "
                         "type the row's digits."
                       : "Tap the table to edit the tune.";
    case InputWay::Mouse:
        return editing ? "Click a row, then a note, a length or a step on the palette; the kit's "
                         "hex keys type the row's digits."
                       : "Click the table to edit the tune; the kit's keys play the kit.";
    case InputWay::Keyboard: break;
    }
    if (!editing) return "PC keys play the kit. Click the table to edit.";
    return "PC keys edit the tune (" + piano + "); the kit's hex keys type the row's digits. " +
           (edition == Edition::Web ? "Tab leaves the table." : "Click the board to play the kit.");
}

} // namespace korvel
