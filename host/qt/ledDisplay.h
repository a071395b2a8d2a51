// The four LED digits, painted from the LED strip by the kit's mode, and read
// out to screen readers: its accessible name is the display's reading
// ("12:34", "0 0 0 5", "dark"), renewed, with a name-change event, whenever
// the whole display is redrawn.
#pragma once

#include "resources/panelLayout.h"

#include <QWidget>

namespace korvel::qt {

class KitSession;
class Panel;

class LedDisplay final : public QWidget {
    Q_OBJECT

  public:
    // The four cells and the gaps between them, which show the board.
    static constexpr layout::Place area = {layout::ledCellLeft(0), layout::ledTop,
                                           layout::ledCellLeft(layout::ledPositions - 1) +
                                               layout::ledCellWidth - layout::ledCellLeft(0),
                                           layout::ledCellHeight};

    LedDisplay(KitSession& session, Panel& panel);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void refresh();
    void refreshColon();

    KitSession& session_;
    Panel& panel_;
};

} // namespace korvel::qt
