// Board and LED painting by paint case and mode.
#include "host/win32/panel.h"

#include "host/win32/bitmapCopy.h"
#include "host/win32/mainWindow.h"

namespace korvel::win32 {
namespace {

const char* const boardBitmap = "BASE";
const char* const ledStripBitmap = "LED";

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// A full paint in Playing and Halted leaves the board's own unlit digits, which
// look like blank cells, instead of copying blank cells over them.
bool fullPaintDrawsDigits(KitMode mode) {
    return mode != KitMode::Playing && mode != KitMode::Halted;
}

class PanelRepaint final : public RepaintPort {
  public:
    void requestLedRepaint() override { invalidate(ledArea); }
    void requestColonRepaint() override { invalidate(colonArea); }

  private:
    // Before the main window exists there is nothing to mark (a null window
    // would mark every window on the desktop).
    static void invalidate(const RECT& area) {
        if (HWND window = mainWindow()) InvalidateRect(window, &area, FALSE);
    }
};

} // namespace

PaintCase paintCaseOf(const RECT& paintRect) {
    if (sameRect(paintRect, colonArea)) return PaintCase::Colon;
    if (sameRect(paintRect, ledArea)) return PaintCase::Led;
    return PaintCase::Full;
}

void paintBoard(HWND window, HDC dc) {
    copyWholeBitmap(dc, moduleOf(window), boardBitmap);
}

void paintDigit(HWND window, HDC dc, uint32_t cell, int position) {
    const int sourceX = static_cast<int>(cell) * layout::ledCellWidth;
    const RECT target = ledCellRect(position);
    copyFromBitmap(dc, moduleOf(window), ledStripBitmap,
                   {target.left, target.top, layout::ledCellWidth, layout::ledCellHeight, sourceX,
                    0, SRCCOPY});
}

void paintPanel(HWND window, const KitState& kit) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const PaintCase paintCase = paintCaseOf(paint.rcPaint);
    if (paintCase == PaintCase::Colon) {
        paintDigit(window, dc, colonCell(kit), colonDigit);
    } else {
        if (paintCase == PaintCase::Full) paintBoard(window, dc);
        if (paintCase == PaintCase::Led || fullPaintDrawsDigits(kit.mode)) {
            const LedCells cells = ledCells(kit);
            for (int p = 0; p < ledPositions; ++p)
                paintDigit(window, dc, cells[static_cast<size_t>(p)], p);
        }
    }
    EndPaint(window, &paint);
}

RepaintPort& panelRepaint() {
    static PanelRepaint repaint;
    return repaint;
}

} // namespace korvel::win32
