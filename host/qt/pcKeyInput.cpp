// PC keys to kit keys, with the auto-repeat pairing of releases and presses.
#include "host/qt/pcKeyInput.h"

#include "frontend/input/keyboardTable.h"
#include "host/qt/kitSession.h"

#include <QKeyEvent>
#include <QTimer>

#include <optional>

namespace korvel::qt {
namespace {

// Qt's codes of printable keys are their characters, letters in upper case
// whatever Shift does; Backspace and Esc become their control characters.
std::optional<KeyId> kitKeyOf(const QKeyEvent& event) {
    const int key = event.key();
    const char character = key < 0x80                 ? static_cast<char>(key)
                           : key == Qt::Key_Backspace ? backspaceCharacter
                           : key == Qt::Key_Escape    ? escapeCharacter
                                                      : '\0';
    const QString text = event.text();
    const char typed = text.size() == 1 ? text[0].toLatin1() : '\0';
    const bool commandHeld =
        event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return kitKeyForPcKey(character, typed, commandHeld);
}

// The physical key: its scan code where the platform gives one, else its key code.
quint64 physicalKeyOf(const QKeyEvent& event) {
    if (event.nativeScanCode() != 0) return event.nativeScanCode();
    return (quint64{1} << 32) | static_cast<quint32>(event.key());
}

} // namespace

PcKeyInput::PcKeyInput(KitSession& session, QObject* parent) : QObject(parent), session_(session) {
    connect(&session, &KitSession::allLetGo, this, [this] {
        held_.clear();
        releasesPending_.clear();
    });
}

bool PcKeyInput::press(QKeyEvent& event) {
    const std::optional<KeyId> key = kitKeyOf(event);
    if (!key) return false;
    event.accept();
    const quint64 physical = physicalKeyOf(event);
    const auto pending = releasesPending_.constFind(physical);
    if (pending != releasesPending_.cend()) {
        // Stamped with its release's time, a press is the key's auto-repeat:
        // the key stays held. Otherwise it went up and comes down again.
        if (*pending == event.timestamp()) {
            releasesPending_.erase(pending);
            return true;
        }
        letGo(physical, *pending);
    }
    if (event.isAutoRepeat() || held_.contains(physical)) return true;
    held_.insert(physical, *key);
    session_.hold(*key);
    return true;
}

bool PcKeyInput::release(QKeyEvent& event) {
    const quint64 physical = physicalKeyOf(event);
    if (!held_.contains(physical)) return false;
    event.accept();
    if (event.isAutoRepeat() || releasesPending_.contains(physical)) return true;
    const quint64 timestamp = event.timestamp();
    releasesPending_.insert(physical, timestamp);
    QTimer::singleShot(autoRepeatPairMs, this,
                       [this, physical, timestamp] { letGo(physical, timestamp); });
    return true;
}

void PcKeyInput::letGo(quint64 physical, quint64 releasedAt) {
    const auto pending = releasesPending_.find(physical);
    if (pending == releasesPending_.end() || *pending != releasedAt) return;
    releasesPending_.erase(pending);
    const auto held = held_.find(physical);
    if (held == held_.end()) return;
    const KeyId key = *held;
    held_.erase(held);
    session_.letGo(key);
}

} // namespace korvel::qt
