// Zoom fitting: the window's size at a zoom is the board's, known at every
// zoom, beside the editor's, measured at it, plus the menu bar, status line
// and frame.
#include "host/qt/zoomFit.h"

#include "host/qt/tuneEditorPanel.h"
#include "resources/panelLayout.h"

#include <QMainWindow>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QtMath>

#include <algorithm>
#include <functional>
#include <iterator>

namespace korvel::qt {
namespace {

// A screen too small for the board at 100 % gets it smaller, down to this.
constexpr int smallestZoomPercent = 25;

int fittingZoom(int asked, const std::function<bool(int percent)>& fits) {
    for (auto z = std::rbegin(zoomPercents); z != std::rend(zoomPercents); ++z)
        if (*z <= asked && fits(*z)) return *z;
    int percent = zoomPercents[0] - 1;
    while (percent > smallestZoomPercent && !fits(percent)) --percent;
    return percent;
}

// Menu bar, status line and frame: the window's size beyond the board and editor.
QSize chromeSize(const QMainWindow& window) {
    const QSize bars(0, window.menuBar()->sizeHint().height() +
                            window.statusBar()->sizeHint().height());
    if (!window.isVisible()) return bars.grownBy(frameAllowance);
    return bars + window.frameGeometry().size() - window.geometry().size();
}

// The window's size, frame and all, with the board and editor at percent.
QSize windowSizeAt(const QMainWindow& window, TuneEditorPanel& editor, int percent) {
    const QSize board(qCeil(layout::boardWidth * percent / 100.0),
                      qCeil(layout::boardHeight * percent / 100.0));
    QSize editorSize(0, 0);
    if (editor.isVisibleTo(&window)) {
        editor.setZoomPercent(percent);
        editorSize = editor.sizeHint();
    }
    return QSize(board.width() + editorSize.width(),
                 std::max(board.height(), editorSize.height())) +
           chromeSize(window);
}

} // namespace

int menuZoom(int percent) {
    const bool offered = std::find(std::begin(zoomPercents), std::end(zoomPercents), percent) !=
                         std::end(zoomPercents);
    return offered ? percent : zoomPercents[0];
}

int zoomThatFits(const QMainWindow& window, TuneEditorPanel& editor, int asked,
                 const QScreen& screen) {
    const QSize area = screen.availableGeometry().size();
    return fittingZoom(asked, [&](int z) {
        const QSize size = windowSizeAt(window, editor, z);
        return size.width() <= area.width() && size.height() <= area.height();
    });
}

// A window grown where it stood would reach past the screen's edge.
void keepOnScreen(QWidget& window, const QScreen& screen) {
    const QRect inner = window.geometry(), outer = window.frameGeometry();
    const QMargins frame =
        window.isVisible()
            ? QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                       outer.right() - inner.right(), outer.bottom() - inner.bottom())
            : frameAllowance;
    // The size the layout just fixed, which the platform may apply later.
    const QSize inside = window.sizeHint();
    QRect placed = QRect(inner.topLeft(), inside).marginsAdded(frame);
    const QRect area = screen.availableGeometry();
    placed.moveRight(std::min(placed.right(), area.right()));
    placed.moveBottom(std::min(placed.bottom(), area.bottom()));
    placed.moveLeft(std::max(placed.left(), area.left()));
    placed.moveTop(std::max(placed.top(), area.top()));
    window.setGeometry(QRect(placed.topLeft() + QPoint(frame.left(), frame.top()), inside));
}

} // namespace korvel::qt
