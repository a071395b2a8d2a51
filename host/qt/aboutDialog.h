// The About box: the title lettering and the mascot drawn over the dialog's
// own background through their masks, the title and version, and OK.
#pragma once

#include <QDialog>
#include <QPixmap>

namespace korvel::qt {

class AboutDialog final : public QDialog {
    Q_OBJECT

  public:
    explicit AboutDialog(QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QPixmap logo_, mascot_;
};

} // namespace korvel::qt
