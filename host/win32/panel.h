// Painting the main window's client area: the board picture and the four LED
// digits, and the two repaint requests the kit model makes.
//
// mainWindowProc calls paintPanel for WM_PAINT. The kit model only marks areas
// through panelRepaint(); the next paint draws from the current KitState.
// Coordinates are client pixels of the main window, right and bottom exclusive.
#pragma once

#include "kit.h"
#include "panelLayout.h"

#include <array>
#include <windows.h>

namespace korvel::win32 {

using layout::ledPositions;
constexpr int colonPosition = 1;

constexpr RECT ledCellRect(int position) {
    return {layout::ledCellLeft(position), layout::ledTop,
            layout::ledCellLeft(position) + layout::ledCellWidth,
            layout::ledTop + layout::ledCellHeight};
}
// The four cells and the gaps between them: (109, 237)-(215, 261).
constexpr RECT ledArea = {ledCellRect(0).left, ledCellRect(0).top,
                          ledCellRect(ledPositions - 1).right, ledCellRect(0).bottom};
constexpr RECT colonArea = ledCellRect(colonPosition);

// Glyph codes: 0..15 a hexadecimal digit; 50 and above the blank cell.
constexpr uint32_t blankGlyph = 99;
struct Glyph {
    uint32_t code;
    uint32_t dot; // 0 or 1
};
using LedGlyphs = std::array<Glyph, ledPositions>; // leftmost first

// Which of the three paints the rectangle from BeginPaint asks for.
enum class PaintCase : uint8_t { Colon, Led, Full };
PaintCase paintCaseOf(const RECT& paintRect);

// The glyphs a LED-area or full paint draws in the kit's mode; false when a
// full paint draws none (the board's own unlit digits show).
bool ledGlyphsFor(const KitState& kit, PaintCase paintCase, LedGlyphs& glyphs);
// The LED strip cell for a glyph code and dot flag.
uint32_t ledCell(uint32_t code, uint32_t dot);

void paintPanel(HWND window, const KitState& kit);
void paintBoard(HWND window, HDC dc);
void paintDigit(HWND window, HDC dc, Glyph glyph, int position);

// Marks areas of the main window for the next paint, without erasing.
RepaintPort& panelRepaint();

} // namespace korvel::win32
