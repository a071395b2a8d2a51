// Writes boundary.js, the ES module that declares for the page every number,
// code, limit and label it shares with the kit's module: run by node at build
// time (the web build's own compiler makes it), so the page reads each from
// the C++ that declares it and never types one again. It needs no wasm: the
// board can be drawn from it before the kit's module has loaded.
// Usage: korvel_boundary OUTPUT.js
#include "formats/midiFile.h"
#include "formats/scriptText.h"
#include "formats/tuneImport.h"
#include "frontend/commands/importChoices.h"
#include "frontend/commands/tuneFileKind.h"
#include "frontend/commands/tuneName.h"
#include "frontend/editor/notePalette.h"
#include "frontend/editor/tuneEditor.h"
#include "frontend/editor/tuneReach.h"
#include "frontend/editor/tuneSettings.h"
#include "frontend/input/keyboardTable.h"
#include "frontend/session/soundQueue.h"
#include "host/web/editorBoundary.h"
#include "host/web/exchange.h"
#include "host/web/jsonWriter.h"
#include "listen/transcriber.h"
#include "model/kit.h"
#include "model/toneBank.h"
#include "resources/panelLayout.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <utility>

namespace korvel::web {
namespace {

static_assert(layout::keyPlaces.size() == keyCount, "a place on the board for every kit key");

// The largest recording the page hands the browser to decode: it decodes a
// file whole, into four bytes a sample, where korvel-cli reads a block at a
// time. 64 MiB is minutes of studio sound, far more than the memory's tune.
constexpr uint32_t maxRecordingBytes = 64u << 20;

// The page's name (a key event's key value) for each editor key it sends; none
// for those it never sends (Tab leaves the table). Without a default, a code
// added to EditorKey::Code stops the build until the page's name is decided.
constexpr const char* pageKeyOf(EditorKey::Code code) {
    switch (code) {
    case EditorKey::Character: return nullptr;
    case EditorKey::Up: return "ArrowUp";
    case EditorKey::Down: return "ArrowDown";
    case EditorKey::PageUp: return "PageUp";
    case EditorKey::PageDown: return "PageDown";
    case EditorKey::Home: return "Home";
    case EditorKey::End: return "End";
    case EditorKey::Left: return "ArrowLeft";
    case EditorKey::Right: return "ArrowRight";
    case EditorKey::Tab: return nullptr;
    case EditorKey::Insert: return "Insert";
    case EditorKey::Delete: return "Delete";
    case EditorKey::Enter: return "Enter";
    case EditorKey::Escape: return "Escape";
    }
    return nullptr;
}

// Names for the page of the enums' values it sends or reads, none for a
// number that is not one; the switches without a default stop the build when
// a value is added and not named.
constexpr const char* nameOf(FileOutcome outcome) {
    switch (outcome) {
    case FileOutcome::Done: return "done";
    case FileOutcome::CantOpen: return "cantOpen";
    case FileOutcome::NotScript: return "notScript";
    case FileOutcome::NoTune: return "noTune";
    case FileOutcome::CantWrite: return "cantWrite";
    }
    return nullptr;
}
constexpr const char* nameOf(TuneOrigin origin) {
    switch (origin) {
    case TuneOrigin::File: return "file";
    case TuneOrigin::Clipboard: return "clipboard";
    }
    return nullptr;
}
constexpr const char* nameOf(TuneFileKind kind) {
    switch (kind) {
    case TuneFileKind::Script: return "script";
    case TuneFileKind::Midi: return "midi";
    case TuneFileKind::Recording: return "recording";
    }
    return nullptr;
}
constexpr const char* nameOf(TuneColumn column) {
    switch (column) {
    case TuneColumn::Address: return "address";
    case TuneColumn::Digits: return "digits";
    case TuneColumn::Kind: return "kind";
    case TuneColumn::Note: return "note";
    case TuneColumn::Pitch: return "pitch";
    case TuneColumn::Length: return "length";
    case TuneColumn::Target: return "target";
    }
    return nullptr;
}
constexpr const char* nameOf(TuneSetting setting) {
    switch (setting) {
    case TuneSetting::StartAddress: return "startAddress";
    case TuneSetting::Tempo: return "tempo";
    }
    return nullptr;
}

constexpr const char* nameOf(PaletteControl control) {
    switch (control) {
    case PaletteControl::Note: return "note";
    case PaletteControl::OctaveDown: return "octaveDown";
    case PaletteControl::OctaveUp: return "octaveUp";
    case PaletteControl::Shorter: return "shorter";
    case PaletteControl::Longer: return "longer";
    case PaletteControl::Length: return "length";
    case PaletteControl::Rest: return "rest";
    case PaletteControl::EndMarker: return "endMarker";
    case PaletteControl::Jump: return "jump";
    case PaletteControl::Insert: return "insert";
    case PaletteControl::Delete: return "delete";
    case PaletteControl::Undo: return "undo";
    case PaletteControl::Redo: return "redo";
    case PaletteControl::PlayFromRow: return "playFromRow";
    case PaletteControl::Stop: return "stop";
    case PaletteControl::Record: return "record";
    case PaletteControl::Listen: return "listen";
    }
    return nullptr;
}
constexpr const char* nameOf(PaletteGroup group) {
    switch (group) {
    case PaletteGroup::Piano: return "piano";
    case PaletteGroup::Length: return "length";
    case PaletteGroup::Step: return "step";
    case PaletteGroup::Play: return "play";
    }
    return nullptr;
}
constexpr const char* nameOf(InputWay way) {
    switch (way) {
    case InputWay::Touch: return "touch";
    case InputWay::Mouse: return "mouse";
    case InputWay::Keyboard: return "keyboard";
    }
    return nullptr;
}

// An enum's values by name: every number its one-byte type holds, those named.
template <class Enum> void writeCodes(JsonWriter& json) {
    static_assert(sizeof(Enum) == 1, "an enum of one byte");
    json.beginObject();
    for (int code = 0; code <= UINT8_MAX; ++code)
        if (const char* name = nameOf(static_cast<Enum>(code))) json.key(name).value(code);
    json.endObject();
}

void writePlace(JsonWriter& json, const layout::Place& place) {
    json.key("x").value(place.x).key("y").value(place.y);
    json.key("width").value(place.width).key("height").value(place.height);
}

std::string board() {
    JsonWriter json;
    json.beginObject().key("width").value(layout::boardWidth);
    json.key("height").value(layout::boardHeight);
    json.key("ledTop").value(layout::ledTop).key("ledCellWidth").value(layout::ledCellWidth);
    json.key("ledCellLefts").beginArray();
    for (int p = 0; p < layout::ledPositions; ++p) json.value(layout::ledCellLeft(p));
    json.endArray().key("keypad").beginObject();
    writePlace(json, layout::keypad);
    // By KeyId: the key's place, its legend and the PC key that plays it.
    json.endObject().key("keys").beginArray();
    for (unsigned k = 0; k < keyCount; ++k) {
        const auto key = static_cast<KeyId>(k);
        json.beginObject();
        writePlace(json, layout::keyPlaces[k]);
        json.key("legend").value(keyLegend(key)).key("pcKey").value(pcKeyName(key)).endObject();
    }
    return json.endArray().endObject().take();
}

std::string sound() {
    JsonWriter json;
    json.beginObject().key("sampleRate").value(sampleRate);
    // The most one pull gives (webKit.cpp): as far as the queue runs ahead.
    json.key("largestPull").value(SoundQueue::largestAhead);
    // A sample is a byte, this one the level of silence.
    json.key("silentLevel").value(silentLevel);
    return json.endObject().take();
}

std::string limits() {
    JsonWriter json;
    json.beginObject().key("maxScriptBytes").value(maxScriptBytes);
    json.key("maxMidiBytes").value(formats::maxMidiBytes);
    json.key("maxRecordingBytes").value(maxRecordingBytes);
    json.key("maxTranspose").value(formats::maxTranspose);
    json.key("fileHeadBytes").value(scriptHeadBytes);
    return json.endObject().take();
}

std::string files() {
    JsonWriter json;
    json.beginObject().key("outcome");
    writeCodes<FileOutcome>(json);
    json.key("origin");
    writeCodes<TuneOrigin>(json);
    json.key("kind");
    writeCodes<TuneFileKind>(json);
    return json.endObject().take();
}

// Help's keyboard rows, each {keys, what}; a paragraph's keys are empty.
std::string keyboardHelp() {
    JsonWriter json;
    json.beginArray();
    for (const KeyHelpRow& row : keyboardHelpRows(Edition::Web))
        json.beginObject().key("keys").value(row.keys).key("what").value(row.what).endObject();
    return json.endArray().take();
}

std::string editor() {
    JsonWriter json;
    json.beginObject().key("rowCount").value(tuneRowCount);
    json.key("characterKey").value(static_cast<int>(EditorKey::Character));
    json.key("keys").beginObject();
    // Every value the code's type holds: the enum's own are those named.
    for (int code = 0; code <= UINT8_MAX; ++code)
        if (const char* key = pageKeyOf(static_cast<EditorKey::Code>(code)))
            json.key(key).value(code);
    // Backspace closes steps as Delete does.
    json.key("Backspace").value(static_cast<int>(EditorKey::Delete)).endObject();
    json.key("state").beginObject();
    for (size_t field = 0; field < editorState::fieldCount; ++field)
        json.key(editorState::names[field]).value(field);
    json.endObject().key("stateFields").value(static_cast<int>(editorState::fieldCount));
    json.key("lengthBarScale").value(lengthBarScale);
    json.key("result").beginObject();
    for (const auto& [name, bit] : editorResult::bits) json.key(name).value(bit);
    json.endObject().key("tableColumn");
    writeCodes<TuneColumn>(json);
    // The table column the cursor stands in, by edit column.
    json.key("cursorColumn").beginArray();
    for (uint32_t c = 0; c < editColumnCount; ++c)
        json.value(static_cast<int>(tableColumnOf(static_cast<EditColumn>(c))));
    json.endArray().key("columnTitles").beginArray();
    for (size_t c = 0; c < tuneColumnCount; ++c) json.value(tuneColumnTitle(TuneColumn(c)));
    json.endArray().key("setting");
    writeCodes<TuneSetting>(json);
    return json.endObject().take();
}

// The note palette's buttons in their order (a button is pressed by its index
// in this list), with the codes of their controls and groups, and the ways in
// the hint line is worded for.
std::string palette() {
    JsonWriter json;
    json.beginObject().key("buttons").beginArray();
    for (const PaletteButton& button : notePalette()) {
        json.beginObject().key("control").value(static_cast<int>(button.control));
        json.key("group").value(static_cast<int>(button.group)).key("value").value(button.value);
        json.key("label").value(button.label).key("name").value(button.name);
        json.key("key").value(button.key).key("black").value(button.black).endObject();
    }
    json.endArray().key("control");
    writeCodes<PaletteControl>(json);
    json.key("group");
    writeCodes<PaletteGroup>(json);
    json.key("inputWay");
    writeCodes<InputWay>(json);
    return json.endObject().take();
}

// The live pitch line: a value a frame, frameMilliseconds apart, at most frames of them.
std::string listening() {
    using listen::Transcriber;
    JsonWriter json;
    json.beginObject().key("frameMilliseconds");
    json.value(static_cast<int>(std::lround(Transcriber::frameSeconds * 1000)));
    json.key("frames").value(static_cast<int>(Transcriber::traceFrames));
    return json.endObject().take();
}

// How the page hands the kit's module a list of strings (exchange.h).
std::string exchange() {
    JsonWriter json;
    json.beginObject().key("listItemEnd").value(std::string(1, listItemEnd));
    return json.endObject().take();
}

std::string importChoices() {
    JsonWriter json;
    json.beginObject().key("fitLabel").value(fitChoiceLabel);
    json.key("truncateLabel").value(truncateChoiceLabel);
    return json.endObject().take();
}

std::string boundaryModule() {
    std::string module =
        "// Written by the build (host/web/boundary.cpp) from the C++ that declares\n"
        "// each value. Do not edit.\n";
    const std::pair<const char*, std::string> exports[] = {
        {"board", board()},
        {"sound", sound()},
        {"limits", limits()},
        {"files", files()},
        {"editor", editor()},
        {"palette", palette()},
        {"listen", listening()},
        {"importChoices", importChoices()},
        {"keyboardHelp", keyboardHelp()},
        {"exchange", exchange()},
    };
    for (const auto& [name, json] : exports)
        module.append("export const ").append(name).append(" = ").append(json).append(";\n");
    return module;
}

} // namespace
} // namespace korvel::web

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: korvel_boundary OUTPUT.js\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary);
    out << korvel::web::boundaryModule();
    out.close();
    if (!out) {
        std::fprintf(stderr, "korvel_boundary: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
