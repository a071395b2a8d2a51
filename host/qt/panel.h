// The board: its picture, the LED over it and the 22 keys, at a zoom of
// 100, 150 or 200 %. Coordinates inside are the board's own pixels
// (panelLayout.h) times the zoom.
//
// A click on the board takes the keyboard, so that PC keys play the kit;
// a click on a key leaves it with the key taker (the tune editor's table),
// which is offered each key clicked first.
#pragma once

#include "host/qt/artwork.h"
#include "model/kit.h"
#include "resources/panelLayout.h"

#include <QRect>
#include <QWidget>

#include <array>
#include <functional>

namespace korvel::qt {

class KeyButton;
class KitSession;
class LedDisplay;

class Panel final : public QWidget {
    Q_OBJECT

  public:
    Panel(KitSession& session, QWidget* parent = nullptr);

    void setZoomPercent(int percent);
    int zoomPercent() const { return zoomPercent_; }
    qreal zoom() const { return zoomPercent_ / 100.0; }
    const Artwork& artwork() const { return artwork_; }
    // A rectangle of the board, in this widget's pixels, rounded outward to whole pixels.
    QRect toWidget(const layout::Place& place) const;

    // While keeper has the keyboard, a key clicked is first offered to take:
    // a key taken reaches the kit neither pressed nor let go.
    void setKeyTaker(QWidget& keeper, std::function<bool(KeyId)> take);
    // A key clicked: true when the key taker took it.
    bool keyTaken(KeyId key) const;

    LedDisplay& led() { return *led_; }
    KeyButton& key(KeyId key) { return *keys_[static_cast<size_t>(key)]; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void placeChildren();

    Artwork artwork_;
    int zoomPercent_ = 100;
    LedDisplay* led_;
    std::array<KeyButton*, keyCount> keys_{};
    const QWidget* keeper_ = nullptr;
    std::function<bool(KeyId)> take_;
};

} // namespace korvel::qt
