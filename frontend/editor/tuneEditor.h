// The tune editor's core, the same for every edition: the step table of the
// kit's memory with a cursor, a selection and a tracker's edits, undo and
// redo, hearing notes, playing from a row and recording from the organ, all
// on one Session.
//
// A view shows rows(), checks() and the state here, turns its toolkit's key
// events into EditorKey once and hands them to key() and keyUp(), and calls
// sync() after anything else it passed to the session (kit keys, a load, an
// import, Reset, the clock's repaints will do), so that every change of the
// tune, whatever made it, becomes a step of undo. revision() tells it when
// the rows changed. The view's own rules are here too, the same in every
// edition: the column a click edits, the columns' titles (tuneTable.h) and
// when the sounding row is followed.
//
// Columns: the column under the cursor says what a key means, as piano keys
// and hex digits share letters. Digits: hex digits type the group in as on
// the keypad (the first clears it, four move on). Note: piano keys
// (pianoKeys.h) write the kit's nearest tone, keeping the row's length (a
// cleared 0000 row takes the last length set); - and = move the piano an
// octave. Length: 1..9 and 0 set 1, 2, 3, 4, 6, 8, 12, 16, 24 or 32 units;
// - and = one code shorter or longer. Target: hex digits type a jump's
// target. In every column . writes a rest, / the end marker and , a jump to
// the start address (then its target is typed). Ctrl with Z, Shift+Z, Y, X,
// C, V and A: undo, redo, cut, copy, paste, select all. Insert opens steps
// and Delete closes them (as many as are selected); Enter plays from the
// cursor, Esc stops. Moving onto a note sounds it when nothing plays and
// the microphone is closed.
// While recording, the piano keys play (and record) in every column. The
// note palette (notePalette.h) does what these keys do, by touch or mouse; the
// kit's own hex keys, handed here while the table has the focus, type the
// row's digits. A
// recording that writes over an end marker writes a new one after its notes,
// so it keeps memory's last row for it.
#pragma once

#include "frontend/editor/notePalette.h"
#include "frontend/editor/tuneHistory.h"
#include "frontend/editor/tuneReach.h"
#include "frontend/editor/tuneRecorder.h"
#include "frontend/editor/tuneTable.h"
#include "frontend/input/pianoKeys.h"
#include "frontend/session/session.h"

#include <cstdint>
#include <optional>
#include <string>

namespace korvel {

enum class EditColumn : uint8_t { Digits, Note, Length, Target };
constexpr uint32_t editColumnCount = 4;

// The table column the cursor stands in for each edit column.
constexpr TuneColumn tableColumnOf(EditColumn column) {
    switch (column) {
    case EditColumn::Digits: return TuneColumn::Digits;
    case EditColumn::Note: return TuneColumn::Note;
    case EditColumn::Length: return TuneColumn::Length;
    case EditColumn::Target: break;
    }
    return TuneColumn::Target;
}

// The edit column a click in a table column selects: the note's kind and
// pitch edit the note, the address the digits.
constexpr EditColumn editColumnAt(TuneColumn column) {
    switch (column) {
    case TuneColumn::Kind:
    case TuneColumn::Note:
    case TuneColumn::Pitch: return EditColumn::Note;
    case TuneColumn::Length: return EditColumn::Length;
    case TuneColumn::Target: return EditColumn::Target;
    case TuneColumn::Address:
    case TuneColumn::Digits: break;
    }
    return EditColumn::Digits;
}

// A key as the editor reads it, mapped once by each view from its toolkit.
struct EditorKey {
    enum Code : uint8_t {
        Character, // character holds what the key types on a US layout without Shift
        Up,
        Down,
        PageUp,
        PageDown,
        Home,
        End,
        Left,
        Right,
        Tab,
        Insert,
        Delete,
        Enter,
        Escape,
    };
    Code code = Character;
    char character = 0;
    bool shift = false;
    bool command = false; // Ctrl, or Cmd on a Mac
};

struct EditorResult {
    bool handled = false;    // false: the view may use the key itself
    std::string clipboard;   // after cut or copy: text for the system clipboard
    bool wantsPaste = false; // the view reads its clipboard and calls paste()
};

struct RowRange {
    uint32_t first;
    uint32_t last;
    uint32_t count() const { return last - first + 1; }
};

class TuneEditor {
  public:
    explicit TuneEditor(Session& session);

    // Looks at the kit; true when the tune changed (and the rows with it).
    bool sync();
    uint64_t revision() const { return revision_; }
    const KitState& kit() const { return session_.kit(); }
    const TuneRows& rows() const { return rows_; }
    const std::vector<TuneCheck>& checks() const { return reach_.checks; }
    // The row sounding while the tune plays.
    std::optional<uint32_t> soundingRow() const;
    // The last thing the user should be told (a refused edit), or empty.
    const std::string& message() const { return message_; }

    uint32_t cursorRow() const { return cursor_; }
    EditColumn column() const { return column_; }
    RowRange selection() const;
    // A click: the row and column under it; extend (Shift) keeps the selection's other end.
    void select(uint32_t row, EditColumn column, bool extend);
    void select(uint32_t row, TuneColumn column, bool extend) {
        select(row, editColumnAt(column), extend);
    }

    // A view keeps the sounding row in sight while a tune plays, unless the
    // user scrolled the table in the last scrollHoldMs: long enough to read the
    // rows scrolled to, short enough that play is soon followed again.
    static constexpr uint64_t scrollHoldMs = 3000;
    void userScrolled(uint64_t nowMs) { userScrolledAt_ = nowMs; }
    bool followsSounding(uint64_t nowMs) const {
        return !userScrolledAt_ || nowMs - *userScrolledAt_ >= scrollHoldMs;
    }

    EditorResult key(const EditorKey& key, uint64_t nowMs);
    void keyUp(const EditorKey& key, uint64_t nowMs);
    // A palette button pressed and let go (a note records for as long as it is held).
    void palettePress(const PaletteButton& button, uint64_t nowMs);
    void paletteRelease(const PaletteButton& button, uint64_t nowMs);
    // A kit key pressed while the table has the focus: true when the editor
    // took it (a hex key types the row's digits, or a jump's target in the
    // target column), false when it is the kit's (every other key, and every
    // key while recording, so the organ plays and records). The view keeps a
    // taken key's release from the kit too.
    bool typeKitKey(KeyId key);

    std::string copy() const;
    std::string cut();
    // Writes the script's steps from the cursor's row on; false (see message()) when it cannot.
    bool paste(const std::string& text);
    bool canUndo() const { return history_.canUndo(); }
    bool canRedo() const { return history_.canRedo(); }
    void undo();
    void redo();

    void setStartAddress(uint32_t address); // 0..FFF, as the keypad's WRITE at 000 takes it
    void setTempo(uint32_t tempo);          // 0..15
    int octave() const { return octave_; }
    void setOctave(int octave);
    void playFromCursor();

    // Recording: notes from the piano keys and the organ's kit keys become steps from the cursor
    // on.
    bool recording() const { return recorder_.has_value(); }
    void setRecording(bool on, uint64_t nowMs);
    // A kit key went down or up (the view's SessionView::showKeyHeld).
    void kitKey(KeyId key, bool down, uint64_t nowMs);
    // While recording, an instrument's tone (a MIDI keyboard's) sounds and
    // records as a held piano key does; nullopt lets go of it. False, doing
    // nothing, when not recording.
    bool recordTone(std::optional<uint32_t> tone, uint64_t nowMs);

    // Listen's tune written from the cursor's row on, with its tempo row, as
    // one step of undo. Like a recording it writes over what is there, and
    // ends with an end marker when it wrote over one or memory held no tune.
    // steps must leave a row for the end marker before the end of memory.
    void writeHeard(const std::vector<uint16_t>& steps, uint32_t tempo);
    // While the microphone is open, moving onto or writing a note sounds
    // nothing: the microphone would hear it as sung.
    void setMicrophoneOpen(bool open) { microphoneOpen_ = open; }

  private:
    template <typename Edit> void change(Edit&& edit);
    void rebuild();
    void moveCursor(int64_t rows, bool extend);
    void hearRow(uint32_t row);
    uint32_t lengthFor(uint32_t row) const;
    void writeRow(uint32_t group);
    void writeAndMoveOn(uint32_t group);
    void characterKey(char character, uint64_t nowMs, EditorResult& result);
    void typeDigit(uint32_t value);
    void pianoDown(std::optional<uint32_t> tone, uint64_t nowMs);
    void pianoUp(std::optional<uint32_t> tone, uint64_t nowMs);
    void writeRest();
    void writeJump();
    void stopOrDeselect();
    void stepLength(bool longer);
    bool cursorHasLength(); // else says why
    void setLength(uint32_t code);
    void insertSteps();
    void deleteSteps();
    void recordNoteOn(uint32_t toneIndex, uint64_t nowMs);
    void recordNoteOff(uint32_t toneIndex, uint64_t nowMs);
    void recordSteps(const std::vector<uint16_t>& groups);
    void endRecordedTune();
    void restore(const TuneSnapshot* snapshot);

    Session& session_;
    TuneHistory history_;
    TuneReach reach_;
    TuneRows rows_;
    uint64_t revision_ = 0;
    std::string message_;
    uint32_t cursor_ = 0;
    uint32_t anchor_ = 0; // the selection's other end
    EditColumn column_ = EditColumn::Digits;
    uint32_t digitsTyped_ = 0; // in the cursor's row, since it came there
    size_t typedStep_ = 0;     // the undo step the row's last typed digit made or joined
    uint32_t lastLength_ = 7;  // the length code a new note or rest takes
    int octave_ = defaultPianoOctave;
    std::optional<uint32_t> pianoHeld_; // the tone a held piano key sounds while recording
    bool microphoneOpen_ = false;
    std::optional<TuneRecorder> recorder_;
    uint32_t recordRow_ = 0;
    bool recordedOverEnd_ = false; // the recording wrote over an end marker
    TuneReach reachBeforeRecording_;
    std::optional<uint64_t> userScrolledAt_;
};

} // namespace korvel
