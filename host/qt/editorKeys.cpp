// Qt keys to the editor's, by place where the platform says it.
#include "host/qt/editorKeys.h"

#include "frontend/input/keyPlaces.h"

#include <QKeyEvent>

#include <cctype>
#include <cstring>
#include <string>

namespace korvel::qt {
namespace {

// What a platform's native scan codes add to the PC's set-1 codes, if its
// events carry them: X keycodes are evdev codes + 8, and evdev codes equal
// set 1 for the keys read by place.
std::optional<quint32> scanCodeOffset(QStringView platform) {
    if (platform == u"xcb") return 8;
    if (platform == u"windows") return 0;
    return std::nullopt;
}

// Zero or a code outside the table (synthetic events) leaves the character to read.
std::optional<char> characterByPlace(const QKeyEvent& event, QStringView platform) {
    const std::optional<quint32> offset = scanCodeOffset(platform);
    const quint32 native = event.nativeScanCode();
    if (!offset || native <= *offset) return std::nullopt;
    return usCharacterAtScanCode(native - *offset);
}

// Qt gives a shifted symbol's own code; the core reads keys as typed without
// Shift on a US layout.
char unshifted(int key) {
    static const char shifted[] = ")!@#$%^&*(_+<>?:\"{}|~";
    static const char plain[] = "0123456789-=,./;'[]\\`";
    const char* at = key > 0 && key < 0x80 ? std::strchr(shifted, key) : nullptr;
    if (at) return plain[at - shifted];
    return static_cast<char>(std::tolower(key));
}

// Qt's codes of printable keys are their characters, letters in upper case whatever Shift does.
std::string pcKeyName(int key) {
    if (key > 0 && key < 0x80) return std::string(1, static_cast<char>(key));
    if (key == Qt::Key_Backspace) return "Backspace";
    if (key == Qt::Key_Escape) return "Escape";
    return {};
}

} // namespace

quint64 physicalKeyOf(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0) return event.nativeScanCode();
    return (quint64{1} << 32) | static_cast<quint32>(event.key());
}

PcKeyEvent pcKeyEventOf(const QKeyEvent& event) {
    const QString text = event.text();
    PcKeyEvent key;
    key.physical = physicalKeyOf(event);
    key.key = pcKeyName(event.key());
    key.typed = text.size() == 1 ? text[0].toLatin1() : '\0';
    key.commandHeld =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    key.autoRepeat = event.isAutoRepeat();
    key.timestamp = event.timestamp();
    return key;
}

std::optional<EditorKey> editorKeyOf(const QKeyEvent& event, QStringView platform) {
    EditorKey key;
    key.shift = event.modifiers() & Qt::ShiftModifier;
    key.command = event.modifiers() & Qt::ControlModifier;
    switch (event.key()) {
    case Qt::Key_Up: key.code = EditorKey::Up; break;
    case Qt::Key_Down: key.code = EditorKey::Down; break;
    case Qt::Key_PageUp: key.code = EditorKey::PageUp; break;
    case Qt::Key_PageDown: key.code = EditorKey::PageDown; break;
    case Qt::Key_Home: key.code = EditorKey::Home; break;
    case Qt::Key_End: key.code = EditorKey::End; break;
    case Qt::Key_Left: key.code = EditorKey::Left; break;
    case Qt::Key_Right: key.code = EditorKey::Right; break;
    case Qt::Key_Backtab: key.shift = true; [[fallthrough]];
    case Qt::Key_Tab: key.code = EditorKey::Tab; break;
    case Qt::Key_Insert: key.code = EditorKey::Insert; break;
    case Qt::Key_Delete: key.code = EditorKey::Delete; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: key.code = EditorKey::Enter; break;
    case Qt::Key_Escape: key.code = EditorKey::Escape; break;
    default:
        if (const std::optional<char> placed =
                key.command ? std::nullopt : characterByPlace(event, platform)) {
            key.character = *placed;
            break;
        }
        if (event.key() <= ' ' || event.key() >= 0x7F) return std::nullopt;
        key.character = unshifted(event.key());
        break;
    }
    return key;
}

} // namespace korvel::qt
