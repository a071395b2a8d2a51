// A built-in help page in a window of its own, not modal, so the user can
// type along while reading. Closing deletes it. And the keyboard's help, from
// the keyboard table's rows.
#pragma once

#include <QDialog>
#include <QString>

namespace korvel::qt {

class HelpPage final : public QDialog {
    Q_OBJECT

  public:
    // resource: the page's HTML among the program's resources.
    HelpPage(const QString& title, const QString& resource, QWidget* parent = nullptr);
};

// Help > Keyboard as HTML in the rows' order: each run of rows with keys a
// table, each other row a paragraph.
QString keyboardHelpHtml();

} // namespace korvel::qt
