// The window's zoom and its screen: the zooms the View menu offers, the
// largest one with which the window (the board and the editor beside it, the
// editor's text zoomed with the board) fits its screen's free area, and the
// window kept wholly on that area.
#pragma once

#include <QMargins>

class QMainWindow;
class QScreen;
class QWidget;

namespace korvel::qt {

class TuneEditorPanel;

inline constexpr int zoomPercents[] = {100, 150, 200};
// The View menu's labels, by zoomPercents.
inline constexpr const char* zoomLabels[] = {"&100 %", "1&50 %", "&200 %"};
// Room kept for a title bar and borders while the window's own frame is
// unknown (before it is first shown).
inline constexpr QMargins frameAllowance(8, 32, 8, 8);

// percent when the menu offers it, else the menu's first zoom.
int menuZoom(int percent);
// The zoom asked for if window fits screen's free area at it, else the
// largest smaller menu zoom with which it fits, else the largest whole
// percent that does (not below a quarter). Leaves editor zoomed to any it tried.
int zoomThatFits(const QMainWindow& window, TuneEditorPanel& editor, int asked,
                 const QScreen& screen);
// Moves window, frame and all, wholly onto screen's free area.
void keepOnScreen(QWidget& window, const QScreen& screen);

} // namespace korvel::qt
