// The keyboard table's help rows as HTML: rows with keys as tables, the rest as paragraphs.
#include "host/qt/keyboardHelp.h"

#include "frontend/input/keyboardTable.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>

namespace korvel::qt {
namespace {

// The rows in their order: each run of rows with keys a table, each other row a paragraph.
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

} // namespace

void showKeyboardHelp(QWidget& parent) {
    auto* box = new QMessageBox(QMessageBox::Information,
                                QCoreApplication::translate("KeyboardHelp", "Keyboard"),
                                keyboardHelpHtml(), QMessageBox::Ok, &parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

} // namespace korvel::qt
