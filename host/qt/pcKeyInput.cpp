// PC keys to kit keys: the shared unit's answers done, held-back releases settled on a timer.
#include "host/qt/pcKeyInput.h"

#include "host/qt/editorKeys.h"
#include "host/qt/kitSession.h"

#include <QKeyEvent>
#include <QTimer>

namespace korvel::qt {

PcKeyInput::PcKeyInput(KitSession& session, QObject* parent) : QObject(parent), session_(session) {
    connect(&session, &KitSession::allLetGo, this, [this] { keys_.forgetAll(); });
}

bool PcKeyInput::press(QKeyEvent& event) {
    return follow(event, keys_.press(pcKeyEventOf(event)));
}

bool PcKeyInput::release(QKeyEvent& event) {
    return follow(event, keys_.release(pcKeyEventOf(event)));
}

bool PcKeyInput::follow(QKeyEvent& event, const PcKeyAnswer& answer) {
    if (!answer.taken) return false;
    event.accept();
    if (answer.letGo) session_.letGo(*answer.letGo);
    if (answer.hold) session_.hold(*answer.hold);
    if (answer.settleLater) {
        const quint64 physical = physicalKeyOf(event);
        const quint64 releasedAt = event.timestamp();
        QTimer::singleShot(int(autoRepeatPairMs), this, [this, physical, releasedAt] {
            if (const std::optional<KeyId> key = keys_.settle(physical, releasedAt))
                session_.letGo(*key);
        });
    }
    return true;
}

} // namespace korvel::qt
