// Board and LED painting by paint case and mode.
#include "panel.h"

#include "bitmapCopy.h"
#include "mainWindow.h"

namespace korvel::win32 {
namespace {

const char* const boardBitmap = "BASE";
const char* const ledStripBitmap = "LED";
constexpr uint32_t firstBlankCode = 50;
constexpr uint32_t dottedCellOffset = 16;

bool sameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

LedGlyphs allBlank() {
    return {Glyph{blankGlyph, 0}, Glyph{blankGlyph, 0}, Glyph{blankGlyph, 0}, Glyph{blankGlyph, 0}};
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

bool ledGlyphsFor(const KitState& kit, PaintCase paintCase, LedGlyphs& glyphs) {
    switch (kit.mode) {
    case KitMode::Clock:
        glyphs = {Glyph{kit.hours / 10u, 0}, Glyph{kit.hours % 10u, kit.colonLit},
                  Glyph{kit.minutes / 10u, 0}, Glyph{kit.minutes % 10u, 0}};
        return true;
    case KitMode::Entry:
        glyphs = {Glyph{kit.digits[3], 0}, Glyph{kit.digits[2], 0}, Glyph{kit.digits[1], 0},
                  Glyph{kit.digits[0], 0}};
        return true;
    case KitMode::Playing:
    case KitMode::Halted:
        if (paintCase == PaintCase::Full) return false;
        glyphs = allBlank();
        return true;
    case KitMode::Blank:
    case KitMode::Keyboard:
    default: glyphs = allBlank(); return true;
    }
}

uint32_t ledCell(uint32_t code, uint32_t dot) {
    return code < firstBlankCode ? code + 1 + dottedCellOffset * dot : 0;
}

void paintBoard(HWND window, HDC dc) {
    copyWholeBitmap(dc, moduleOf(window), boardBitmap);
}

void paintDigit(HWND window, HDC dc, Glyph glyph, int position) {
    const int sourceX = static_cast<int>(ledCell(glyph.code, glyph.dot)) * layout::ledCellWidth;
    const RECT cell = ledCellRect(position);
    copyFromBitmap(
        dc, moduleOf(window), ledStripBitmap,
        {cell.left, cell.top, layout::ledCellWidth, layout::ledCellHeight, sourceX, 0, SRCCOPY});
}

void paintPanel(HWND window, const KitState& kit) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    const PaintCase paintCase = paintCaseOf(paint.rcPaint);
    if (paintCase == PaintCase::Colon) {
        paintDigit(window, dc, Glyph{kit.hours % 10u, kit.colonLit}, colonPosition);
    } else {
        if (paintCase == PaintCase::Full) paintBoard(window, dc);
        LedGlyphs glyphs;
        if (ledGlyphsFor(kit, paintCase, glyphs))
            for (int p = 0; p < ledPositions; ++p) paintDigit(window, dc, glyphs[p], p);
    }
    EndPaint(window, &paint);
}

RepaintPort& panelRepaint() {
    static PanelRepaint repaint;
    return repaint;
}

} // namespace korvel::win32
