// Melody player: step decoding, the note-length table and the play sequence.
#include "model/melody.h"

#include "model/toneBank.h"

namespace korvel {
namespace {

constexpr uint32_t lastNoteNumber = 11;

// (t + 1) * (l + 1) sixtieths of a second at 367.5 samples per sixtieth, rounded half up.
constexpr uint32_t lengthRule(uint32_t row, uint32_t lengthCode) {
    return ((row + 1) * (lengthCode + 1) * 735 + 1) / 2;
}

constexpr std::array<uint32_t, noteLengthCount> makeNoteLengthTable() {
    std::array<uint32_t, noteLengthCount> table{};
    for (uint32_t t = 0; t < tempoCount; ++t)
        for (uint32_t l = 0; l < lengthCodeCount; ++l)
            table[t * lengthCodeCount + l] = lengthRule(t, l);
    return table;
}

bool isRestLike(const MelodyStep& step) {
    return step.nibble[2] == endNibble && step.nibble[3] == endNibble;
}

// Sounds a step as a note or rest, whatever else its nibbles would make it.
void soundStep(KitState& kit, KitPorts ports, const MelodyStep& step) {
    if (ports.steps)
        ports.steps->stepExamined(step, isRestLike(step) ? StepKind::Rest : StepKind::Note, false);
    ports.sound.playTone(toneIndexOf(step), noteLength(kit.tempo, lengthCodeOf(step)));
    kit.playPointer = (kit.playPointer + stepNibbles) & addressMask;
}

void report(KitPorts ports, const MelodyStep& step, StepKind kind, bool followed) {
    if (ports.steps) ports.steps->stepExamined(step, kind, followed);
}

} // namespace

const std::array<uint32_t, noteLengthCount> noteLengthTable = makeNoteLengthTable();

// A step starting at 509..511 reads its missing nibbles from the start of memory.
MelodyStep readStep(const KitState& kit, uint32_t address) {
    MelodyStep step{address & addressMask, {}};
    for (uint32_t i = 0; i < stepNibbles; ++i)
        step.nibble[i] = kit.memory[(step.address + i) & addressMask];
    return step;
}

StepKind stepKind(const MelodyStep& step) {
    const auto& s = step.nibble;
    if (s[3] == jumpNibble) return StepKind::Jump;
    if (s[0] == endNibble && s[1] == endNibble && isRestLike(step)) return StepKind::End;
    return isRestLike(step) ? StepKind::Rest : StepKind::Note;
}

uint32_t jumpTarget(const MelodyStep& step) {
    const auto& s = step.nibble;
    return (s[2] << 8 | s[1] << 4 | s[0]) & addressMask;
}

uint32_t toneIndexOf(const MelodyStep& step) {
    if (isRestLike(step)) return silenceToneIndex;
    const uint32_t noteNumber = step.nibble[2] <= lastNoteNumber ? step.nibble[2] : lastNoteNumber;
    return toneIndex(step.nibble[3], noteNumber);
}

uint32_t lengthCodeOf(const MelodyStep& step) {
    return step.nibble[1] * 16 + step.nibble[0];
}

// Length codes of 32 or more read into higher tempo rows; past the last row the
// same rule goes on, capped at one tone buffer.
uint32_t noteLength(uint32_t tempo, uint32_t lengthCode) {
    const uint32_t index = tempo * lengthCodeCount + lengthCode;
    if (index < noteLengthCount) return noteLengthTable[index];
    const uint32_t bytes = lengthRule(index / lengthCodeCount, index % lengthCodeCount);
    return bytes < toneBufferBytes ? bytes : toneBufferBytes;
}

void startMelody(KitState& kit, KitPorts ports) {
    kit.mode = KitMode::Playing;
    kit.playPointer = kit.startAddress & addressMask;
    MelodyStep step = readStep(kit, kit.playPointer);
    const StepKind kind = stepKind(step);
    if (kind == StepKind::End) {
        report(ports, step, kind, false);
        kit.mode = KitMode::Halted;
        ports.repaint.requestLedRepaint();
        return;
    }
    if (kind == StepKind::Jump) {
        report(ports, step, kind, true);
        kit.playPointer = jumpTarget(step);
        kit.repeat = 0;
        step = readStep(kit, kit.playPointer);
    } else {
        kit.repeat = 1;
    }
    soundStep(kit, ports, step);
    ports.repaint.requestLedRepaint();
}

// A tune with nothing to sound would make the search run for ever. Play stays
// silent in Playing instead, as the kit itself hangs there, so STOP still
// returns to the clock with memory intact.
void nextNote(KitState& kit, KitPorts ports) {
    if (kit.mode != KitMode::Playing) return;
    for (uint32_t examined = 0; examined < maxSearchSteps; ++examined) {
        const MelodyStep step = readStep(kit, kit.playPointer);
        const StepKind kind = stepKind(step);
        if (kind == StepKind::Note || kind == StepKind::Rest) {
            soundStep(kit, ports, step);
            return;
        }
        report(ports, step, kind, kind == StepKind::Jump && kit.repeat);
        if (kind == StepKind::End) {
            kit.playPointer = kit.startAddress & addressMask;
            kit.repeat = 1;
        } else if (kit.repeat) {
            kit.playPointer = jumpTarget(step);
            kit.repeat = 0;
        } else {
            kit.playPointer = (kit.playPointer + stepNibbles) & addressMask;
        }
    }
}

} // namespace korvel
