// The editor's text at the board's zoom, in whole points: a fractional size
// is measured and drawn a little apart, clipping a label's last letter.
#pragma once

#include <QFont>

namespace korvel::qt {

inline QFont zoomedFont(QFont font, int percent) {
    if (font.pointSizeF() > 0)
        font.setPointSize(qRound(font.pointSizeF() * percent / 100.0));
    else
        font.setPixelSize(font.pixelSize() * percent / 100);
    return font;
}

} // namespace korvel::qt
