// Artwork: resource loading and scale-aware drawing.
#include "host/qt/artwork.h"

#include <QPaintDevice>

namespace korvel::qt {
namespace {

const std::array<const char*, 4> names = {"base", "led", "key", "push"};

} // namespace

Artwork::Artwork() {
    for (size_t i = 0; i < names.size(); ++i) {
        pictures_[i].plain.load(QStringLiteral(":/%1.bmp").arg(names[i]));
        pictures_[i].twice.load(QStringLiteral(":/%1@2x.bmp").arg(names[i]));
    }
}

bool Artwork::hasDouble(Picture picture) const {
    return !pictures_[static_cast<size_t>(picture)].twice.isNull();
}

void Artwork::draw(QPainter& painter, Picture picture, const QRectF& target,
                   const QRectF& source) const {
    const Pair& pair = pictures_[static_cast<size_t>(picture)];
    const qreal deviceScale =
        painter.worldTransform().m11() * painter.device()->devicePixelRatioF();
    const bool useTwice = deviceScale > 1.0 && !pair.twice.isNull();
    const qreal factor = useTwice ? 2.0 : 1.0;
    const QRectF from(source.topLeft() * factor, source.size() * factor);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, !qFuzzyCompare(deviceScale, factor));
    painter.drawPixmap(target, useTwice ? pair.twice : pair.plain, from);
}

} // namespace korvel::qt
