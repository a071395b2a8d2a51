// LED display: cells by mode, the colon alone, and the reading.
#include "host/qt/ledDisplay.h"

#include "frontend/session/ledText.h"
#include "host/qt/kitSession.h"
#include "host/qt/panel.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace korvel::qt {
namespace {

layout::Place cellPlace(int position) {
    return {layout::ledCellLeft(position), layout::ledTop, layout::ledCellWidth,
            layout::ledCellHeight};
}

QAccessibleInterface* ledAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("korvel::qt::LedDisplay") && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
    return nullptr;
}

} // namespace

LedDisplay::LedDisplay(KitSession& session, Panel& panel)
    : QWidget(&panel), session_(session), panel_(panel) {
    static const bool factoryInstalled = (QAccessible::installFactory(ledAccessible), true);
    Q_UNUSED(factoryInstalled);
    setAccessibleDescription(tr("LED display"));
    setAccessibleName(QString::fromStdString(ledReading(session_.kit())));
    connect(&session_, &KitSession::ledChanged, this, &LedDisplay::refresh);
    connect(&session_, &KitSession::colonChanged, this, &LedDisplay::refreshColon);
}

// Qt marks the new name without telling a screen reader; the event tells it.
void LedDisplay::refresh() {
    const QString reading = QString::fromStdString(ledReading(session_.kit()));
    if (reading != accessibleName()) {
        setAccessibleName(reading);
        QAccessibleEvent changed(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
    update();
}

void LedDisplay::refreshColon() {
    update(panel_.toWidget(cellPlace(colonDigit)).translated(-pos()));
}

void LedDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const qreal z = panel_.zoom();
    painter.scale(z, z);
    painter.translate(-QPointF(pos()) / z);
    const LedCells cells = ledCells(session_.kit());
    for (int p = 0; p < ledDigitCount; ++p) {
        const layout::Place cell = cellPlace(p);
        panel_.artwork().draw(
            painter, Picture::LedStrip, QRectF(cell.x, cell.y, cell.width, cell.height),
            QRectF(cells[static_cast<size_t>(p)] * cell.width, 0, cell.width, cell.height));
    }
}

} // namespace korvel::qt
