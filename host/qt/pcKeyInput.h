// The PC keyboard playing the kit: a key press holds the kit key its
// character names, and its release lets go of that key. Held keys are kept
// by physical key, so the release reaches the key the press did even if
// Shift changed in between; a release waits a moment for a press that makes
// it an auto-repeat, since some X servers send a held key's auto-repeat as a
// release and a press of the same time that Qt does not always flag.
#pragma once

#include "model/kit.h"

#include <QHash>
#include <QObject>

class QKeyEvent;

namespace korvel::qt {

class KitSession;

class PcKeyInput final : public QObject {
  public:
    // How long a PC key's release waits for a press that makes it an
    // auto-repeat. Both come at once, but the press may be read a moment
    // later: long enough for a busy machine, short enough that a note does not
    // audibly outlast its key.
    static constexpr int autoRepeatPairMs = 20;

    PcKeyInput(KitSession& session, QObject* parent);

    // Each accepts the event and returns true when the key is a kit key's;
    // any other is left to the widget.
    bool press(QKeyEvent& event);
    bool release(QKeyEvent& event);

  private:
    void letGo(quint64 physical, quint64 releasedAt);

    KitSession& session_;
    // Kit keys held from the PC keyboard, by physical key.
    QHash<quint64, KeyId> held_;
    // Their releases waiting, by release time.
    QHash<quint64, quint64> releasesPending_;
};

} // namespace korvel::qt
