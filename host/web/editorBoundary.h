// What the tune editor's exports (editorExports.cpp) and the page's panel
// (editorPanel.js) exchange as numbers: the state block's fields and a key's
// result bits. Each list is written once, here; the build writes it for the
// page (boundary.cpp), so a field added or moved reaches both sides.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace korvel::web {

// The state the page compares after each call to know what to repaint, in
// the block's order. SoundingRow is -1 when no row sounds.
#define KORVEL_EDITOR_STATE(FIELD)                                                                 \
    FIELD(revision)                                                                                \
    FIELD(soundingRow)                                                                             \
    FIELD(cursor)                                                                                  \
    FIELD(selectionFirst)                                                                          \
    FIELD(selectionLast)                                                                           \
    FIELD(column)                                                                                  \
    FIELD(recording)                                                                               \
    FIELD(canUndo)                                                                                 \
    FIELD(canRedo)                                                                                 \
    FIELD(startAddress)                                                                            \
    FIELD(tempo)                                                                                   \
    FIELD(octave)

namespace editorState {
enum Field : size_t {
#define KORVEL_STATE_ENUMERATOR(name) name,
    KORVEL_EDITOR_STATE(KORVEL_STATE_ENUMERATOR)
#undef KORVEL_STATE_ENUMERATOR
        fieldCount
};

inline constexpr std::array<const char*, fieldCount> names = {
#define KORVEL_STATE_NAME(name) #name,
    KORVEL_EDITOR_STATE(KORVEL_STATE_NAME)
#undef KORVEL_STATE_NAME
};
} // namespace editorState

// A row's length bar, whole at this number.
inline constexpr int32_t lengthBarScale = 1000;

// A key's result: handled (the page keeps the key from the browser), copied
// (cut or copied, the text handed back), wantsPaste (the clipboard's text wanted).
#define KORVEL_EDITOR_RESULT(BIT) BIT(handled, 1) BIT(copied, 2) BIT(wantsPaste, 4)

namespace editorResult {
enum Bit : int32_t {
#define KORVEL_RESULT_ENUMERATOR(name, bit) name = bit,
    KORVEL_EDITOR_RESULT(KORVEL_RESULT_ENUMERATOR)
#undef KORVEL_RESULT_ENUMERATOR
};

struct Named {
    const char* name;
    int32_t bit;
};
inline constexpr Named bits[] = {
#define KORVEL_RESULT_NAME(name, bit) {#name, bit},
    KORVEL_EDITOR_RESULT(KORVEL_RESULT_NAME)
#undef KORVEL_RESULT_NAME
};
} // namespace editorResult

} // namespace korvel::web
