// About box: masked pictures and the text under the lettering.
#include "host/qt/aboutDialog.h"

#include "resources/version.h"

#include <QDialogButtonBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace korvel::qt {
namespace {

constexpr QPoint logoAt(151, 0);
constexpr QPoint mascotAt(0, 0);
constexpr int logoWidth = 350;
constexpr int logoHeight = 99;
constexpr int mascotWidth = 150;
constexpr int mascotHeight = 203;

// A mask is white where the background shows and black where the picture is
// opaque: its inverse is the picture's alpha.
QPixmap masked(const QString& picture, const QString& mask) {
    QImage image(picture);
    QImage alpha(mask);
    if (image.isNull() || alpha.isNull()) return {};
    alpha.invertPixels();
    image = image.convertToFormat(QImage::Format_ARGB32);
    image.setAlphaChannel(alpha.convertToFormat(QImage::Format_Grayscale8));
    return QPixmap::fromImage(image);
}

} // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent), logo_(masked(QStringLiteral(":/logo.bmp"), QStringLiteral(":/logom.bmp"))),
      mascot_(masked(QStringLiteral(":/boy.bmp"), QStringLiteral(":/boym.bmp"))) {
    setWindowTitle(tr("About KORVEL Simulator"));
    auto* text = new QVBoxLayout(this);
    text->setContentsMargins(mascotWidth + 12, logoHeight + 8, 12, 12);
    const QStringList lines = {
        tr("KORVEL Simulator for Qt"),    tr("Version %1").arg(KORVEL_VERSION),
        tr("(Music Player available)"),   tr("Made with care by the KORVEL team"),
        QStringLiteral(KORVEL_COPYRIGHT), QStringLiteral(KORVEL_LICENCE)};
    for (const QString& line : lines) {
        auto* label = new QLabel(line);
        label->setAlignment(Qt::AlignHCenter);
        text->addWidget(label);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setCenterButtons(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    text->addWidget(buttons);
    text->addStretch();
    setFixedSize(sizeHint().expandedTo(QSize(logoAt.x() + logoWidth, mascotHeight)));
}

void AboutDialog::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(mascotAt, mascot_);
    painter.drawPixmap(logoAt, logo_);
}

} // namespace korvel::qt
