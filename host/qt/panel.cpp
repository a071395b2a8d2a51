// Panel: board painting, zoom and the placing of its children.
#include "host/qt/panel.h"

#include "host/qt/keyButton.h"
#include "host/qt/kitSession.h"
#include "host/qt/ledDisplay.h"

#include <QPaintEvent>
#include <QtMath>

#include <utility>

namespace korvel::qt {

Panel::Panel(KitSession& session, QWidget* parent)
    : QWidget(parent), led_(new LedDisplay(session, *this)) {
    for (unsigned k = 0; k < keyCount; ++k)
        keys_[k] = new KeyButton(static_cast<KeyId>(k), session, *this);
    placeChildren();
}

// Qt gives a click's focus to the first widget up from the key that takes
// focus by click, the board, unless it meets one whose focus proxy has the
// focus already: with the keeper as every key's proxy, a click on a key
// leaves the keyboard with the keeper and one elsewhere on the board takes it.
void Panel::setKeyTaker(QWidget& keeper, std::function<bool(KeyId)> take) {
    keeper_ = &keeper;
    take_ = std::move(take);
    for (KeyButton* key : keys_) key->setFocusProxy(&keeper);
}

bool Panel::keyTaken(KeyId key) const {
    return keeper_ && keeper_->hasFocus() && take_(key);
}

void Panel::setZoomPercent(int percent) {
    zoomPercent_ = percent;
    placeChildren();
    update();
}

QRect Panel::toWidget(const layout::Place& place) const {
    const qreal z = zoom();
    return QRect(
        QPoint(qFloor(place.x * z), qFloor(place.y * z)),
        QPoint(qCeil((place.x + place.width) * z) - 1, qCeil((place.y + place.height) * z) - 1));
}

void Panel::placeChildren() {
    setFixedSize(toWidget({0, 0, layout::boardWidth, layout::boardHeight}).size());
    led_->setGeometry(toWidget(LedDisplay::area));
    for (unsigned k = 0; k < keyCount; ++k) keys_[k]->setGeometry(toWidget(layout::keyPlaces[k]));
}

void Panel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.scale(zoom(), zoom());
    const QRectF board(0, 0, layout::boardWidth, layout::boardHeight);
    artwork_.draw(painter, Picture::Board, board, board);
}

} // namespace korvel::qt
