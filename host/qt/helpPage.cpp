// Help pages: the HTML in a scrolling text view with a Close button; the keyboard's.
#include "host/qt/helpPage.h"

#include "frontend/input/keyboardTable.h"

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

QString keyboardHelpHtml() {
    QString html, rows;
    const auto endTable = [&] {
        if (!rows.isEmpty()) html += QStringLiteral("<table>%1</table>").arg(rows);
        rows.clear();
    };
    for (const KeyHelpRow& row : keyboardHelpRows(Edition::Desktop)) {
        const QString what = QString::fromStdString(row.what).toHtmlEscaped();
        if (row.keys.empty()) {
            endTable();
            html += QStringLiteral("<p>%1</p>").arg(what);
            continue;
        }
        rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                    .arg(QString::fromStdString(row.keys).toHtmlEscaped(), what);
    }
    endTable();
    return html;
}

} // namespace korvel::qt
