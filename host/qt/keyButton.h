// One of the 22 keys: a button drawn from the key sheets over the board.
//
// The left mouse button presses the kit key on the way down and releases it on
// the way up, wherever the pointer is by then; while it is held the key looks
// pushed only with the pointer over it. A second press of a double-click on
// RUN is not passed on, so one double-click cannot start a tune twice. A key
// held from the PC keyboard looks pushed too. The button takes no focus, so
// the keyboard reaches the kit only through the keyboard table; a screen
// reader's press action clicks the kit key. A key the board's key taker
// takes (panel.h) is not pressed on the kit.
#pragma once

#include "model/kit.h"

#include <QAbstractButton>

namespace korvel::qt {

class KitSession;
class Panel;

class KeyButton final : public QAbstractButton {
    Q_OBJECT

  public:
    KeyButton(KeyId key, KitSession& session, Panel& panel);
    KeyId key() const { return key_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void grab(bool pressKit);
    void showState();

    KeyId key_;
    KitSession& session_;
    Panel& panel_;
    bool mouseHeld_ = false;    // the left button went down here and is not up yet
    bool mousePressed_ = false; // ... and that press reached the kit
    bool pointerOff_ = false;
};

} // namespace korvel::qt
