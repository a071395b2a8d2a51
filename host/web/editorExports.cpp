// The tune editor's core (frontend/editor/tuneEditor.h) for the page's editor panel
// (editorPanel.js): every rule is the core's; the page only shows its state
// and hands it keys, clicks and the clipboard's text.
//
// The core is made once the page has given the kit its remembered tune
// (korvel_editorStart), so that tune is where undo begins. Times are the
// page's performance.now(), the clock the keys' events carry.
#include "frontend/editor/tuneEditor.h"
#include "frontend/editor/tuneScript.h"
#include "frontend/editor/tuneSettings.h"
#include "host/web/editorBoundary.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"
#include "host/web/pageSession.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

namespace korvel::web {
namespace {

std::optional<TuneEditor> editor;

uint64_t now() {
    return static_cast<uint64_t>(emscripten_get_now());
}

std::array<int32_t, editorState::fieldCount> state{};

// key() and keyUp()'s key from the page's: code, the character, Shift, Ctrl or Cmd.
EditorKey editorKey(int code, int character, int shift, int command) {
    EditorKey key;
    key.code = static_cast<EditorKey::Code>(code);
    key.character = static_cast<char>(character);
    key.shift = shift != 0;
    key.command = command != 0;
    return key;
}

// The page's index into the palette's list (boundary.js), or none for a number that is not one.
const PaletteButton* paletteButton(int index) {
    const auto& buttons = notePalette();
    return index >= 0 && static_cast<size_t>(index) < buttons.size() ? &buttons[size_t(index)]
                                                                     : nullptr;
}

// The page's which: a TuneSetting.
TuneSetting settingOf(int which) {
    return which == static_cast<int>(TuneSetting::Tempo) ? TuneSetting::Tempo
                                                         : TuneSetting::StartAddress;
}

} // namespace

TuneEditor& pageEditor() {
    return *editor;
}

void editorSawKey(KeyId key, bool down) {
    if (editor) editor->kitKey(key, down, now());
}

} // namespace korvel::web

using korvel::web::editor;

extern "C" {

EMSCRIPTEN_KEEPALIVE void korvel_editorStart() {
    if (!editor) editor.emplace(korvel::web::pageSession());
}

// Looks at the kit after any call into it, so every change becomes a step of undo.
EMSCRIPTEN_KEEPALIVE void korvel_editorSync() {
    if (editor) editor->sync();
}

// The state the panel shows, as editorBoundary.h orders it; valid until the next call.
EMSCRIPTEN_KEEPALIVE const int32_t* korvel_editorState() {
    using namespace korvel::web;
    const auto range = editor->selection();
    const auto sounding = editor->soundingRow();
    const auto& kit = pageSession().kit();
    state[editorState::revision] = static_cast<int32_t>(editor->revision());
    state[editorState::soundingRow] = sounding ? static_cast<int32_t>(*sounding) : -1;
    state[editorState::cursor] = static_cast<int32_t>(editor->cursorRow());
    state[editorState::selectionFirst] = static_cast<int32_t>(range.first);
    state[editorState::selectionLast] = static_cast<int32_t>(range.last);
    state[editorState::column] = static_cast<int32_t>(editor->column());
    state[editorState::recording] = editor->recording();
    state[editorState::canUndo] = editor->canUndo();
    state[editorState::canRedo] = editor->canRedo();
    state[editorState::startAddress] = static_cast<int32_t>(kit.startAddress);
    state[editorState::tempo] = static_cast<int32_t>(kit.tempo);
    state[editorState::octave] = editor->octave();
    return state.data();
}

// Every row at once, as JSON: for each, its columns' texts (TuneColumn's
// order), whether play reaches it, whether it is blank and its length bar
// (0..lengthBarScale).
EMSCRIPTEN_KEEPALIVE const char* korvel_editorRows() {
    korvel::web::JsonWriter json;
    json.beginArray();
    for (const korvel::TuneRow& row : editor->rows()) {
        json.beginObject().key("texts").beginArray();
        for (const std::string& text : row.text) json.value(text);
        json.endArray().key("reached").value(row.reached).key("blank").value(row.blank);
        json.key("bar")
            .value(static_cast<int>(row.lengthBar * korvel::web::lengthBarScale + 0.5))
            .endObject();
    }
    return korvel::web::handBack(json.endArray().take());
}

// The checks, as JSON: for each, its row and its sentence.
EMSCRIPTEN_KEEPALIVE const char* korvel_editorChecks() {
    korvel::web::JsonWriter json;
    json.beginArray();
    for (const korvel::TuneCheck& check : editor->checks())
        json.beginObject().key("row").value(check.row).key("text").value(check.text).endObject();
    return korvel::web::handBack(json.endArray().take());
}

EMSCRIPTEN_KEEPALIVE const char* korvel_editorMessage() {
    return editor->message().c_str();
}

// A key: its result's bits (editorBoundary.h), a cut or copied text handed back.
EMSCRIPTEN_KEEPALIVE int korvel_editorKey(int code, int character, int shift, int command) {
    using namespace korvel::web;
    const korvel::EditorResult result =
        editor->key(editorKey(code, character, shift, command), now());
    if (!result.clipboard.empty()) handBack(result.clipboard);
    return (result.handled ? editorResult::handled : 0) |
           (result.clipboard.empty() ? 0 : editorResult::copied) |
           (result.wantsPaste ? editorResult::wantsPaste : 0);
}
EMSCRIPTEN_KEEPALIVE void korvel_editorKeyUp(int code, int character) {
    editor->keyUp(korvel::web::editorKey(code, character, 0, 0), korvel::web::now());
}

// A palette button (by its index in the list) pressed and let go.
EMSCRIPTEN_KEEPALIVE void korvel_editorPalettePress(int index) {
    if (const auto* button = korvel::web::paletteButton(index))
        editor->palettePress(*button, korvel::web::now());
}
EMSCRIPTEN_KEEPALIVE void korvel_editorPaletteRelease(int index) {
    if (const auto* button = korvel::web::paletteButton(index))
        editor->paletteRelease(*button, korvel::web::now());
}
// A kit key pressed while the table has the focus: 1 when the editor took it,
// and then neither its press nor its release is the kit's.
EMSCRIPTEN_KEEPALIVE int korvel_editorTypeKitKey(int key) {
    return editor->typeKitKey(korvel::web::keyOf(key));
}
// The line above the table for way (InputWay) and whether the table has the focus.
EMSCRIPTEN_KEEPALIVE const char* korvel_editorHint(int way, int editing) {
    const auto inputWay = static_cast<korvel::InputWay>(
        std::clamp(way, 0, static_cast<int>(korvel::InputWay::Keyboard)));
    return korvel::web::handBack(korvel::editorHint(korvel::Edition::Web, inputWay, editing != 0,
                                                    editor->recording(), editor->octave()));
}

// A click on the table's row and column (TuneColumn): the core decides the column it edits.
EMSCRIPTEN_KEEPALIVE void korvel_editorSelect(int row, int tableColumn, int extend) {
    const auto column = static_cast<size_t>(tableColumn) < korvel::tuneColumnCount
                            ? static_cast<korvel::TuneColumn>(tableColumn)
                            : korvel::TuneColumn::Digits;
    editor->select(static_cast<uint32_t>(row), column, extend != 0);
}
// The user scrolled the table; whether the sounding row is to be kept in sight now.
EMSCRIPTEN_KEEPALIVE void korvel_editorUserScrolled() {
    editor->userScrolled(korvel::web::now());
}
EMSCRIPTEN_KEEPALIVE int korvel_editorFollowsSounding() {
    return editor->followsSounding(korvel::web::now());
}

EMSCRIPTEN_KEEPALIVE const char* korvel_editorCopy() {
    return korvel::web::handBack(editor->copy());
}
EMSCRIPTEN_KEEPALIVE const char* korvel_editorCut() {
    return korvel::web::handBack(editor->cut());
}
// The input's text pasted at the cursor; 0 when refused (the reason in korvel_editorMessage).
EMSCRIPTEN_KEEPALIVE int korvel_editorPaste() {
    return editor->paste(korvel::web::inputText());
}

EMSCRIPTEN_KEEPALIVE void korvel_editorUndo() {
    editor->undo();
}
EMSCRIPTEN_KEEPALIVE void korvel_editorRedo() {
    editor->redo();
}
// The start address's and the tempo's fields (which: a TuneSetting): the value as shown, what the
// setting does, what a refused text is told and how many digits it takes.
EMSCRIPTEN_KEEPALIVE const char* korvel_tuneSettingText(int which) {
    const auto setting = korvel::web::settingOf(which);
    const auto& kit = korvel::web::pageSession().kit();
    return korvel::web::handBack(korvel::tuneSettingText(
        setting, setting == korvel::TuneSetting::Tempo ? kit.tempo : kit.startAddress));
}
EMSCRIPTEN_KEEPALIVE const char* korvel_tuneSettingTip(int which) {
    return korvel::tuneSettingField(korvel::web::settingOf(which)).tip;
}
EMSCRIPTEN_KEEPALIVE const char* korvel_tuneSettingRefusal(int which) {
    return korvel::tuneSettingField(korvel::web::settingOf(which)).refusal;
}
EMSCRIPTEN_KEEPALIVE int korvel_tuneSettingDigits(int which) {
    return korvel::tuneSettingField(korvel::web::settingOf(which)).digits;
}
// The input's text as the setting; 0 when it is not a value of it, and nothing changes.
EMSCRIPTEN_KEEPALIVE int korvel_editorSetSetting(int which) {
    const auto setting = korvel::web::settingOf(which);
    const auto value = korvel::readTuneSetting(setting, korvel::web::inputText());
    if (!value) return 0;
    if (setting == korvel::TuneSetting::Tempo)
        editor->setTempo(*value);
    else
        editor->setStartAddress(*value);
    return 1;
}
EMSCRIPTEN_KEEPALIVE void korvel_editorPlayFromCursor() {
    editor->playFromCursor();
}
EMSCRIPTEN_KEEPALIVE void korvel_editorSetRecording(int on) {
    editor->setRecording(on != 0, korvel::web::now());
}

// The whole tune as script text, start address and tempo with the memory, its first line naming
// title.
EMSCRIPTEN_KEEPALIVE const char* korvel_wholeTuneScript(const char* title) {
    return korvel::web::handBack(korvel::wholeTuneScript(korvel::web::pageSession().kit(), title));
}
}
