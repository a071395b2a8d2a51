// The PC keyboard playing the kit: Qt's key events handed to the shared PC
// keys (pcKeys.h), whose answers this does: it holds and lets go of kit keys,
// and settles a release held back for a press that would make it an
// auto-repeat after autoRepeatPairMs.
#pragma once

#include "frontend/input/pcKeys.h"

#include <QObject>

class QKeyEvent;

namespace korvel::qt {

class KitSession;

class PcKeyInput final : public QObject {
  public:
    PcKeyInput(KitSession& session, QObject* parent);

    // Each accepts the event and returns true when the key is a kit key's;
    // any other is left to the widget.
    bool press(QKeyEvent& event);
    bool release(QKeyEvent& event);

  private:
    bool follow(QKeyEvent& event, const PcKeyAnswer& answer);

    KitSession& session_;
    PcKeys keys_{true}; // X servers may send an auto-repeat unflagged
};

} // namespace korvel::qt
