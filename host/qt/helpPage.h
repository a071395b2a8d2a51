// A built-in help page in a window of its own, not modal, so the user can
// type along while reading. Closing deletes it.
#pragma once

#include <QDialog>

namespace korvel::qt {

class HelpPage final : public QDialog {
    Q_OBJECT

  public:
    // resource: the page's HTML among the program's resources.
    HelpPage(const QString& title, const QString& resource, QWidget* parent = nullptr);
};

} // namespace korvel::qt
