// Painting the main window's client area: the board picture and the four LED
// digits, and the two repaint requests the kit model makes.
//
// mainWindowProc calls paintPanel for WM_PAINT. The kit model only marks areas
// through panelRepaint(); the next paint draws from the current KitState.
// Coordinates are client pixels of the main window, right and bottom exclusive.
#pragma once

#include "frontend/session/ledText.h"
#include "model/kit.h"
#include "resources/panelLayout.h"

#include <windows.h>

namespace korvel::win32 {

using layout::ledPositions;
static_assert(ledPositions == ledDigitCount);

constexpr RECT ledCellRect(int position) {
    return {layout::ledCellLeft(position), layout::ledTop,
            layout::ledCellLeft(position) + layout::ledCellWidth,
            layout::ledTop + layout::ledCellHeight};
}
// The four cells and the gaps between them: (109, 237)-(215, 261).
constexpr RECT ledArea = {ledCellRect(0).left, ledCellRect(0).top,
                          ledCellRect(ledPositions - 1).right, ledCellRect(0).bottom};
constexpr RECT colonArea = ledCellRect(colonDigit);

// Which of the three paints the rectangle from BeginPaint asks for.
enum class PaintCase : uint8_t { Colon, Led, Full };
PaintCase paintCaseOf(const RECT& paintRect);

void paintPanel(HWND window, const KitState& kit);
void paintBoard(HWND window, HDC dc);
// Copies LED strip cell `cell` (ledText.h) to display position `position`.
void paintDigit(HWND window, HDC dc, uint32_t cell, int position);

// Marks areas of the main window for the next paint, without erasing.
RepaintPort& panelRepaint();

} // namespace korvel::win32
