// Help page: the HTML in a scrolling text view with a Close button.
#include "host/qt/helpPage.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace korvel::qt {

HelpPage::HelpPage(const QString& title, const QString& resource, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(title);
    setAttribute(Qt::WA_DeleteOnClose);
    auto* text = new QTextBrowser;
    text->setOpenExternalLinks(true);
    QFile page(resource);
    if (page.open(QIODevice::ReadOnly)) text->setHtml(QString::fromUtf8(page.readAll()));
    // About seventy characters a line reads best.
    const int lineWidth = text->fontMetrics().averageCharWidth() * 72;
    text->setMinimumSize(lineWidth, lineWidth * 5 / 4);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

} // namespace korvel::qt
