// Key button: mouse handling and drawing from the key sheets.
#include "host/qt/keyButton.h"

#include "frontend/input/keyboardTable.h"
#include "host/qt/kitSession.h"
#include "host/qt/panel.h"

#include <QMouseEvent>

namespace korvel::qt {

KeyButton::KeyButton(KeyId key, KitSession& session, Panel& panel)
    : QAbstractButton(&panel), key_(key), session_(session), panel_(panel) {
    setFocusPolicy(Qt::NoFocus);
    const QString legend = QString::fromLatin1(keyLegend(key));
    setText(legend);
    setAccessibleName(legend);
    setToolTip(tr("%1 (PC key: %2)").arg(legend, QString::fromLatin1(pcKeyName(key))));
    connect(this, &QAbstractButton::clicked, this, [this] {
        if (panel_.keyTaken(key_)) return;
        session_.hold(key_);
        session_.letGo(key_);
    });
    connect(&session_, &KitSession::keyHeldChanged, this, [this](KeyId changed) {
        if (changed == key_) showState();
    });
    connect(&session_, &KitSession::allLetGo, this, [this] {
        mouseHeld_ = mousePressed_ = false;
        showState();
    });
}

void KeyButton::grab(bool pressKit) {
    mouseHeld_ = true;
    pointerOff_ = false;
    mousePressed_ = pressKit && !panel_.keyTaken(key_);
    if (mousePressed_) session_.hold(key_);
    showState();
}

void KeyButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || mouseHeld_) return event->ignore();
    grab(true);
}

void KeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || mouseHeld_) return event->ignore();
    grab(key_ != KeyId::Run);
}

void KeyButton::mouseMoveEvent(QMouseEvent* event) {
    if (!mouseHeld_) return;
    pointerOff_ = !rect().contains(event->position().toPoint());
    showState();
}

void KeyButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !mouseHeld_) return event->ignore();
    const bool pressed = mousePressed_;
    mouseHeld_ = mousePressed_ = false;
    if (pressed) session_.letGo(key_);
    showState();
}

void KeyButton::showState() {
    setDown(mouseHeld_ ? !pointerOff_ : session_.isHeld(key_));
    update();
}

void KeyButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal z = panel_.zoom();
    painter.scale(z, z);
    const QRectF onBoard(QPointF(pos()) / z, QSizeF(size()) / z);
    panel_.artwork().draw(painter, isDown() ? Picture::KeysDown : Picture::KeysUp,
                          QRectF(QPointF(0, 0), onBoard.size()),
                          onBoard.translated(-layout::keypad.x, -layout::keypad.y));
}

} // namespace korvel::qt
