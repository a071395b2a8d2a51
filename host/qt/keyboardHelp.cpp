// The keyboard table's help text as HTML: key lines as tables, the rest as paragraphs.
#include "host/qt/keyboardHelp.h"

#include "frontend/input/keyboardTable.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QString>
#include <QStringList>

namespace korvel::qt {
namespace {

// The table's help page in its order: each run of key lines a table, each other line a paragraph.
QString keyboardHelpHtml() {
    QString html, rows;
    const auto endTable = [&] {
        if (!rows.isEmpty()) html += QStringLiteral("<table>%1</table>").arg(rows);
        rows.clear();
    };
    for (const QString& line :
         QString::fromStdString(keyboardHelpText(Edition::Desktop)).split('\n')) {
        const QStringList cells = line.split('\t');
        if (cells.size() == 2) {
            rows += QStringLiteral("<tr><td><b>%1</b>&nbsp;&nbsp;</td><td>%2</td></tr>")
                        .arg(cells[0].toHtmlEscaped(), cells[1].toHtmlEscaped());
            continue;
        }
        endTable();
        if (!line.isEmpty()) html += QStringLiteral("<p>%1</p>").arg(line.toHtmlEscaped());
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
