// The editor's cursor, keys and edits, each edit one change of the session's kit.
#include "frontend/editor/tuneEditor.h"

#include "formats/hexText.h"
#include "frontend/editor/tuneEdits.h"
#include "frontend/editor/tuneScript.h"
#include "frontend/editor/tuneSettings.h"
#include "model/toneBank.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace korvel {
namespace {

constexpr uint32_t groupDigits = 4;
constexpr uint32_t targetDigits = 3;
constexpr int64_t pageRows = 16;

// Units (lengths of code 0) the length column's keys 1..9 and 0 set.
constexpr std::array<uint32_t, 10> commonUnits = {32, 1, 2, 3, 4, 6, 8, 12, 16, 24};

constexpr char restKey = '.';
constexpr char endMarkerKey = '/';
constexpr char jumpKey = ',';
constexpr char downKey = '-';
constexpr char upKey = '=';

std::optional<uint32_t> hexValue(char c) {
    if (c >= '0' && c <= '9') return uint32_t(c - '0');
    if (c >= 'A' && c <= 'F') return uint32_t(c - 'A' + 10);
    return std::nullopt;
}

bool hasLength(StepKind kind) {
    return kind == StepKind::Note || kind == StepKind::Rest;
}

} // namespace

TuneEditor::TuneEditor(Session& session)
    : session_(session), history_(session.kit()), cursor_(rowOf(session.kit().startAddress)),
      anchor_(cursor_) {
    rebuild();
}

template <typename Edit> void TuneEditor::change(Edit&& edit) {
    session_.change([&](KitState& kit) {
        edit(kit);
        return true;
    });
    sync();
}

bool TuneEditor::sync() {
    if (!history_.observe(session_.kit())) return false;
    rebuild();
    return true;
}

void TuneEditor::rebuild() {
    reach_ = walkTune(session_.kit());
    if (!holdsTune(session_.kit())) reach_.checks.clear(); // nothing to point out yet
    buildTuneRows(session_.kit(), reach_, rows_);
    ++revision_;
}

std::optional<uint32_t> TuneEditor::soundingRow() const {
    const MelodyStep* step = session_.soundingStep();
    if (!step) return std::nullopt;
    return rowOf(step->address);
}

RowRange TuneEditor::selection() const {
    return {std::min(anchor_, cursor_), std::max(anchor_, cursor_)};
}

void TuneEditor::select(uint32_t row, EditColumn column, bool extend) {
    column_ = column;
    moveCursor(int64_t(std::min(row, lastTuneRow)) - cursor_, extend);
    if (!extend) hearRow(cursor_);
}

void TuneEditor::moveCursor(int64_t rows, bool extend) {
    const int64_t row = std::clamp<int64_t>(cursor_ + rows, 0, lastTuneRow);
    if (row != cursor_) digitsTyped_ = 0;
    cursor_ = static_cast<uint32_t>(row);
    if (!extend) anchor_ = cursor_;
}

// Cleared memory reads as notes too; it is not played as one when selected.
void TuneEditor::hearRow(uint32_t row) {
    const TuneRow& step = rows_[row];
    if (!microphoneOpen_ && step.kind == StepKind::Note && step.group != clearedGroup)
        session_.audition(step.toneIndex, noteLength(session_.kit().tempo, step.lengthCode));
}

uint32_t TuneEditor::lengthFor(uint32_t row) const {
    const TuneRow& step = rows_[row];
    return hasLength(step.kind) && step.group != clearedGroup ? step.lengthCode : lastLength_;
}

void TuneEditor::writeRow(uint32_t group) {
    change([&](KitState& kit) { writeGroupAt(kit, cursor_ * stepNibbles, group); });
}

void TuneEditor::writeAndMoveOn(uint32_t group) {
    writeRow(group);
    hearRow(cursor_);
    moveCursor(1, false);
}

EditorResult TuneEditor::key(const EditorKey& key, uint64_t nowMs) {
    message_.clear();
    EditorResult result;
    result.handled = true;
    const char character =
        static_cast<char>(std::toupper(static_cast<unsigned char>(key.character)));
    if (key.command) {
        switch (key.code == EditorKey::Character ? character : 0) {
        case 'Z': key.shift ? redo() : undo(); break;
        case 'Y': redo(); break;
        case 'X': result.clipboard = cut(); break;
        case 'C': result.clipboard = copy(); break;
        case 'V': result.wantsPaste = true; break;
        case 'A':
            anchor_ = 0;
            moveCursor(lastTuneRow, true);
            break;
        default: result.handled = false; break;
        }
        return result;
    }
    const auto moveBy = [&](int64_t rows) {
        moveCursor(rows, key.shift);
        if (!key.shift) hearRow(cursor_);
    };
    switch (key.code) {
    case EditorKey::Character: characterKey(character, nowMs, result); break;
    case EditorKey::Up: moveBy(-1); break;
    case EditorKey::Down: moveBy(1); break;
    case EditorKey::PageUp: moveBy(-pageRows); break;
    case EditorKey::PageDown: moveBy(pageRows); break;
    case EditorKey::Home: moveBy(-int64_t(tuneRowCount)); break;
    case EditorKey::End: moveBy(tuneRowCount); break;
    case EditorKey::Left:
    case EditorKey::Right:
    case EditorKey::Tab: {
        const bool back = key.code == EditorKey::Left || (key.code == EditorKey::Tab && key.shift);
        const uint32_t at = static_cast<uint32_t>(column_);
        column_ = static_cast<EditColumn>(back ? (at + editColumnCount - 1) % editColumnCount
                                               : (at + 1) % editColumnCount);
        digitsTyped_ = 0;
        break;
    }
    case EditorKey::Insert: insertSteps(); break;
    case EditorKey::Delete: deleteSteps(); break;
    case EditorKey::Enter: playFromCursor(); break;
    case EditorKey::Escape: stopOrDeselect(); break;
    }
    return result;
}

void TuneEditor::characterKey(char character, uint64_t nowMs, EditorResult& result) {
    if (recorder_ && pianoSemitone(character))
        return pianoDown(pianoTone(octave_, character), nowMs);
    if (character == restKey) return writeRest();
    if (character == endMarkerKey) return writeAndMoveOn(endMarkerGroup);
    if (character == jumpKey) return writeJump();
    const auto digit = hexValue(character);
    switch (column_) {
    case EditColumn::Digits:
    case EditColumn::Target:
        if (digit) return typeDigit(*digit);
        break;
    case EditColumn::Note:
        if (character == downKey || character == upKey)
            return setOctave(octave_ + (character == upKey ? 1 : -1));
        if (pianoSemitone(character)) return pianoDown(pianoTone(octave_, character), nowMs);
        break;
    case EditColumn::Length:
        if (character == downKey || character == upKey) return stepLength(character == upKey);
        if (digit && *digit < 10) return setLength(commonUnits[*digit] - 1);
        break;
    }
    result.handled = false;
}

void TuneEditor::writeRest() {
    writeAndMoveOn(restGroup(lengthFor(cursor_)));
}

void TuneEditor::writeJump() {
    const uint32_t group = rows_[cursor_].kind == StepKind::Jump
                               ? rows_[cursor_].group
                               : jumpGroup(session_.kit().startAddress & addressMask);
    writeRow(group);
    column_ = EditColumn::Target;
    digitsTyped_ = 0;
}

void TuneEditor::stopOrDeselect() {
    if (session_.kit().mode == KitMode::Playing) {
        session_.hold(KeyId::Stop);
        session_.letGo(KeyId::Stop);
    } else {
        anchor_ = cursor_;
    }
}

void TuneEditor::palettePress(const PaletteButton& button, uint64_t nowMs) {
    message_.clear();
    switch (button.control) {
    case PaletteControl::Note: return pianoDown(pianoToneAt(octave_, int(button.value)), nowMs);
    case PaletteControl::OctaveDown: return setOctave(octave_ - 1);
    case PaletteControl::OctaveUp: return setOctave(octave_ + 1);
    case PaletteControl::Shorter: return stepLength(false);
    case PaletteControl::Longer: return stepLength(true);
    case PaletteControl::Length:
        return setLength(std::clamp(button.value, 1u, lengthCodeCount) - 1);
    case PaletteControl::Rest: return writeRest();
    case PaletteControl::EndMarker: return writeAndMoveOn(endMarkerGroup);
    case PaletteControl::Jump: return writeJump();
    case PaletteControl::Insert: return insertSteps();
    case PaletteControl::Delete: return deleteSteps();
    case PaletteControl::Undo: return undo();
    case PaletteControl::Redo: return redo();
    case PaletteControl::PlayFromRow: return playFromCursor();
    case PaletteControl::Stop: return stopOrDeselect();
    case PaletteControl::Record: return setRecording(!recording(), nowMs);
    case PaletteControl::Listen: return; // the view opens the microphone
    }
}

void TuneEditor::paletteRelease(const PaletteButton& button, uint64_t nowMs) {
    if (button.control == PaletteControl::Note)
        pianoUp(pianoToneAt(octave_, int(button.value)), nowMs);
}

bool TuneEditor::typeKitKey(KeyId key) {
    if (recorder_ || !isHexKey(key)) return false;
    message_.clear();
    if (column_ != EditColumn::Target || rows_[cursor_].kind != StepKind::Jump)
        column_ = EditColumn::Digits;
    typeDigit(static_cast<uint32_t>(key));
    return true;
}

// As on the keypad: the first digit in a row starts the group afresh, each
// next one shifts in from the right, and a full group moves on like WRITE.
void TuneEditor::typeDigit(uint32_t value) {
    const TuneRow& row = rows_[cursor_];
    const bool target = column_ == EditColumn::Target;
    if (target && row.kind != StepKind::Jump) {
        message_ = "Only a jump has a target: type , to make this step a jump.";
        return;
    }
    const uint32_t mask = target ? 0xFFF : 0xFFFF;
    const uint32_t typed = digitsTyped_ ? ((row.group << 4) | value) & mask : value;
    const uint32_t group = target ? jumpGroup(typed) : typed;
    if (digitsTyped_) history_.joinNextChange(typedStep_);
    writeRow(group);
    typedStep_ = history_.position();
    if (++digitsTyped_ == (target ? targetDigits : groupDigits)) {
        hearRow(cursor_);
        moveCursor(1, false);
    }
}

// A piano key: while recording it sounds and records until let go; else it
// writes its tone at the cursor (keeping the row's length) and moves on.
void TuneEditor::pianoDown(std::optional<uint32_t> tone, uint64_t nowMs) {
    if (!tone) return; // every piano octave's keys are within reach; a palette's may not be
    if (!recorder_) {
        lastLength_ = lengthFor(cursor_);
        return writeAndMoveOn(noteGroup(*tone, lastLength_));
    }
    if (pianoHeld_ == tone) return;
    recordNoteOn(*tone, nowMs);
    session_.audition(*tone, toneBufferBytes);
    pianoHeld_ = tone;
}

bool TuneEditor::recordTone(std::optional<uint32_t> tone, uint64_t nowMs) {
    if (!recorder_) return false;
    if (tone)
        pianoDown(tone, nowMs);
    else if (pianoHeld_)
        pianoUp(pianoHeld_, nowMs);
    return true;
}

void TuneEditor::pianoUp(std::optional<uint32_t> tone, uint64_t nowMs) {
    if (!recorder_ || !tone || tone != pianoHeld_) return;
    recordNoteOff(*tone, nowMs);
    session_.endAudition();
    pianoHeld_.reset();
}

// - and =: one code shorter or longer, the cursor staying to hear it again.
void TuneEditor::stepLength(bool longer) {
    if (!cursorHasLength()) return;
    const TuneRow& row = rows_[cursor_];
    const int64_t code = int64_t(std::min(row.lengthCode, lengthCodeCount)) + (longer ? 1 : -1);
    lastLength_ = uint32_t(std::clamp<int64_t>(code, 0, lengthCodeCount - 1));
    writeRow((row.group & ~0xFFu) | lastLength_);
    hearRow(cursor_);
}

// A preset length, moving on as lengths are typed down the column.
void TuneEditor::setLength(uint32_t code) {
    if (!cursorHasLength()) return;
    lastLength_ = code;
    writeAndMoveOn((rows_[cursor_].group & ~0xFFu) | lastLength_);
}

bool TuneEditor::cursorHasLength() {
    if (hasLength(rows_[cursor_].kind)) return true;
    message_ = "Only a note or a rest has a length.";
    return false;
}

void TuneEditor::keyUp(const EditorKey& key, uint64_t nowMs) {
    if (key.code == EditorKey::Character) pianoUp(pianoTone(octave_, key.character), nowMs);
}

void TuneEditor::insertSteps() {
    const RowRange range = selection();
    const uint32_t group = restGroup(lengthFor(range.first));
    EditResult result{true, {}};
    change([&](KitState& kit) {
        result = korvel::insertSteps(kit, reach_, range.first, range.count(), group);
    });
    message_ = result.message;
}

void TuneEditor::deleteSteps() {
    const RowRange range = selection();
    change([&](KitState& kit) { korvel::deleteSteps(kit, reach_, range.first, range.count()); });
    anchor_ = range.first;
    moveCursor(int64_t(range.first) - cursor_, false);
}

std::string TuneEditor::copy() const {
    const RowRange range = selection();
    return stepsScript(session_.kit(), range.first, range.count());
}

std::string TuneEditor::cut() {
    std::string text = copy();
    deleteSteps();
    return text;
}

bool TuneEditor::paste(const std::string& text) {
    message_.clear();
    const ScriptSteps steps = scriptSteps(text);
    if (!steps.ok) {
        message_ = "Nothing pasted. " + steps.error;
        return false;
    }
    const uint32_t first = selection().first;
    EditResult result{true, {}};
    change([&](KitState& kit) { result = writeSteps(kit, first, steps.groups, steps.row); });
    if (!result.done) {
        message_ = "Nothing pasted: " + result.message;
        return false;
    }
    anchor_ = first + uint32_t(steps.groups.size()) - 1;
    moveCursor(int64_t(first) - cursor_, true);
    return true;
}

void TuneEditor::undo() {
    setRecording(false, 0);
    restore(history_.undo());
}

void TuneEditor::redo() {
    restore(history_.redo());
}

// The cursor goes to the first row the step changes, so the user sees what came back.
void TuneEditor::restore(const TuneSnapshot* snapshot) {
    if (!snapshot) return;
    const KitState& kit = session_.kit();
    for (uint32_t nibble = 0; nibble < memoryNibbles; ++nibble) {
        if (kit.memory[nibble] == snapshot->memory[nibble]) continue;
        moveCursor(int64_t(rowOf(nibble)) - cursor_, false);
        break;
    }
    change([&](KitState& state) { restoreSnapshot(*snapshot, state); });
    rebuild(); // the history took the snapshot as seen, so sync finds nothing new
}

void TuneEditor::setStartAddress(uint32_t address) {
    change([&](KitState& kit) {
        kit.startAddress = std::min(address, tuneSettingField(TuneSetting::StartAddress).largest);
    });
}

void TuneEditor::setTempo(uint32_t tempo) {
    change([&](KitState& kit) {
        kit.tempo = std::min(tempo, tuneSettingField(TuneSetting::Tempo).largest);
    });
}

void TuneEditor::setOctave(int octave) {
    octave_ = std::clamp(octave, lowestPianoOctave, highestPianoOctave);
}

void TuneEditor::playFromCursor() {
    session_.playFrom(cursor_ * stepNibbles);
}

void TuneEditor::setRecording(bool on, uint64_t nowMs) {
    if (on == recording()) return;
    if (on) {
        if (session_.kit().mode == KitMode::Playing) {
            message_ = "Stop the tune to record.";
            return;
        }
        message_.clear();
        history_.openGroup();
        recorder_.emplace(session_.kit().tempo);
        recordRow_ = cursor_;
        recordedOverEnd_ = false;
        reachBeforeRecording_ = reach_;
        return;
    }
    recordSteps(recorder_->finish(nowMs));
    if (recordedOverEnd_) endRecordedTune();
    if (pianoHeld_) session_.endAudition();
    pianoHeld_.reset();
    recorder_.reset();
    history_.closeGroup(session_.kit());
}

void TuneEditor::kitKey(KeyId key, bool down, uint64_t nowMs) {
    const uint32_t tone = keyNoteOf(key); // a key note loops the tone of the same index
    if (!recorder_ || session_.kit().mode != KitMode::Keyboard || tone == noKeyNote) return;
    down ? recordNoteOn(tone, nowMs) : recordNoteOff(tone, nowMs);
}

void TuneEditor::recordNoteOn(uint32_t toneIndex, uint64_t nowMs) {
    recordSteps(recorder_->noteOn(toneIndex, nowMs));
}

void TuneEditor::recordNoteOff(uint32_t toneIndex, uint64_t nowMs) {
    recordSteps(recorder_->noteOff(toneIndex, nowMs));
}

void TuneEditor::recordSteps(const std::vector<uint16_t>& groups) {
    if (groups.empty()) return;
    change([&](KitState& kit) {
        for (uint16_t group : groups) {
            const bool keepLastRow =
                recordedOverEnd_ || groupAt(kit, lastTuneRow) == endMarkerGroup;
            if (recordRow_ > (keepLastRow ? lastTuneRow - 1 : lastTuneRow)) {
                message_ = keepLastRow ? "The recording reached the end of memory, whose last row "
                                         "keeps the end marker; later notes are not kept."
                                       : "The recording reached the end of memory; later notes "
                                         "are not kept.";
                return;
            }
            recordedOverEnd_ |= groupAt(kit, recordRow_) == endMarkerGroup;
            writeGroupAt(kit, recordRow_++ * stepNibbles, group);
        }
    });
    moveCursor(int64_t(std::min(recordRow_, lastTuneRow)) - cursor_, false);
}

// The end marker the recording wrote over comes back after its notes, unless
// the step there was part of the tune before.
void TuneEditor::endRecordedTune() {
    if (groupAt(session_.kit(), recordRow_) == endMarkerGroup) return;
    if (!spareStep(session_.kit(), reachBeforeRecording_, recordRow_)) {
        message_ = "The recording wrote over the end marker, and the step after its notes, at " +
                   addressText(recordRow_ * stepNibbles) +
                   ", is part of the tune: no end marker was written.";
        return;
    }
    change([&](KitState& kit) { writeGroupAt(kit, recordRow_ * stepNibbles, endMarkerGroup); });
}

void TuneEditor::writeHeard(const std::vector<uint16_t>& steps, uint32_t tempo) {
    setRecording(false, 0);
    message_.clear();
    const uint32_t first = cursor_;
    const auto end = uint32_t(first + steps.size());
    bool overEnd = !holdsTune(session_.kit());
    change([&](KitState& kit) {
        for (uint32_t row = first; row < end; ++row) {
            overEnd |= groupAt(kit, row) == endMarkerGroup;
            writeGroupAt(kit, row * stepNibbles, steps[row - first]);
        }
        if (overEnd && end < tuneRowCount) writeGroupAt(kit, end * stepNibbles, endMarkerGroup);
        kit.tempo = tempo;
    });
    // The written steps stay selected, for a look, a play or a cut.
    if (end > first) moveCursor(int64_t(end - 1) - cursor_, true);
}

} // namespace korvel
