// The board, LED strip and key sheets, at their own size and, where the
// resources hold them, at twice that, drawn at whatever scale the painter and
// the screen ask for.
//
// Sources are given in pixels of the plain pictures; the double pictures have
// exactly twice their geometry, so one source rectangle serves both.
#pragma once

#include <QPainter>
#include <QPixmap>
#include <QRectF>

#include <array>

namespace korvel::qt {

enum class Picture { Board, LedStrip, KeysUp, KeysDown };

class Artwork {
  public:
    Artwork();
    // Draws source of picture into target (the painter's logical coordinates):
    // from the double picture when the device scale exceeds 1, smoothed
    // whenever the scale is not the picture's own.
    void draw(QPainter& painter, Picture picture, const QRectF& target, const QRectF& source) const;
    bool hasDouble(Picture picture) const;

  private:
    struct Pair {
        QPixmap plain, twice;
    };
    std::array<Pair, 4> pictures_;
};

} // namespace korvel::qt
