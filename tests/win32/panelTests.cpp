// What the panel marks for repainting and what it actually paints.
#include "tests/win32/harness.h"

#include "host/win32/mainWindow.h"
#include "host/win32/panel.h"

#include <gtest/gtest.h>

namespace korvel::win32::test {
namespace {

constexpr int blankCell = 0;
constexpr int hexCell(int digit) {
    return digit + 1;
}
constexpr int dottedCell(int digit) {
    return digit + 17;
}

class Panel : public ::testing::Test {
  protected:
    void SetUp() override {
        window = openMainWindow();
        hostKit().tenths = 0; // no clock repaint falls due while a test looks
        hostKit().seconds = 30;
    }
    void TearDown() override { closeMainWindow(window); }

    void repaintAll() {
        InvalidateRect(window, nullptr, TRUE);
        UpdateWindow(window);
    }
    void expectCells(const std::array<int, 4>& cells) {
        for (int p = 0; p < 4; ++p)
            EXPECT_EQ(ledPositionPixels(window, p), ledStripCell(cells[p])) << "position " << p;
    }
    void expectBoardAtLed() {
        for (int p = 0; p < 4; ++p) {
            EXPECT_EQ(ledPositionPixels(window, p), boardPixels(ledCellRect(p)))
                << "position " << p;
        }
    }
    HWND window = nullptr;
};

TEST_F(Panel, FirstPaintShowsTheBoard) {
    const RECT farFromLed = {0, 0, 100, 200};
    EXPECT_EQ(windowPixels(window, farFromLed), boardPixels(farFromLed));
}

TEST_F(Panel, KeyInputMarksTheLedAreaAndPaintsTheDigitRegisters) {
    typeKeys("1ABD");
    EXPECT_EQ(updateRect(window), ledArea);
    UpdateWindow(window);
    expectCells({hexCell(1), hexCell(0xA), hexCell(0xB), hexCell(0xD)});
}

TEST_F(Panel, ClockShowsHoursAndMinutesWithTheColonOnEvenSeconds) {
    struct Case {
        uint8_t hours, minutes, colonLit;
        std::array<int, 4> cells;
    };
    const Case cases[] = {
        {9, 5, 1, {hexCell(0), dottedCell(9), hexCell(0), hexCell(5)}},
        {9, 5, 0, {hexCell(0), hexCell(9), hexCell(0), hexCell(5)}},
        {23, 59, 1, {hexCell(2), dottedCell(3), hexCell(5), hexCell(9)}},
    };
    KitState& kit = hostKit();
    for (const Case& c : cases) {
        kit.hours = c.hours;
        kit.minutes = c.minutes;
        kit.colonLit = c.colonLit;
        repaintAll();
        expectCells(c.cells);
    }
}

TEST_F(Panel, SecondTickRepaintsOnlyTheColonCell) {
    KitState& kit = hostKit();
    kit.hours = 9;
    kit.minutes = 5;
    kit.seconds = 10;
    kit.colonLit = 1;
    repaintAll();
    kit.minutes = 7; // not shown until the LED area is repainted
    kit.tenths = 9;
    sendClockTimer(window, 1, clockTimerId);
    EXPECT_EQ(updateRect(window), colonArea);
    UpdateWindow(window);
    expectCells({hexCell(0), hexCell(9), hexCell(0), hexCell(5)});
}

TEST_F(Panel, MinuteTickRepaintsTheLedArea) {
    KitState& kit = hostKit();
    kit.hours = 9;
    kit.minutes = 5;
    kit.seconds = 59;
    kit.tenths = 9;
    sendClockTimer(window, 1, clockTimerId);
    EXPECT_EQ(updateRect(window), ledArea);
    UpdateWindow(window);
    expectCells({hexCell(0), dottedCell(9), hexCell(0), hexCell(6)});
}

TEST_F(Panel, DarkModesShowBlankCellsOrTheBoardsUnlitDigits) {
    struct Case {
        KitMode mode;
        bool fullRepaintShowsBoard;
    };
    const Case cases[] = {{KitMode::Blank, false},
                          {KitMode::Keyboard, false},
                          {KitMode::Playing, true},
                          {KitMode::Halted, true}};
    KitState& kit = hostKit();
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        kit.mode = KitMode::Entry;
        kit.digits = {8, 8, 8, 8};
        repaintAll();
        kit.mode = c.mode;
        InvalidateRect(window, &ledArea, FALSE);
        UpdateWindow(window);
        expectCells({blankCell, blankCell, blankCell, blankCell});
        repaintAll();
        if (c.fullRepaintShowsBoard)
            expectBoardAtLed();
        else
            expectCells({blankCell, blankCell, blankCell, blankCell});
    }
}

TEST_F(Panel, DigitsNeverDrawOverTheGapsOrTheSurroundings) {
    typeKeys("8888");
    UpdateWindow(window);
    const RECT around[] = {
        {ledArea.left - 6, ledArea.top - 6, ledArea.right + 6, ledArea.top},
        {ledArea.left - 6, ledArea.bottom, ledArea.right + 6, ledArea.bottom + 6},
    };
    for (const RECT& r : around) EXPECT_EQ(windowPixels(window, r), boardPixels(r));
    for (int gap = 0; gap < 3; ++gap) {
        const RECT r = {ledCellRect(gap).right, ledCellRect(gap).top, ledCellRect(gap + 1).left,
                        ledCellRect(gap).bottom};
        EXPECT_EQ(windowPixels(window, r), boardPixels(r)) << "gap " << gap;
    }
}

TEST_F(Panel, UncoveringRedrawsBoardAndDisplayWhateverWasPending) {
    typeKeys("1234");
    UpdateWindow(window);
    RECT client;
    GetClientRect(window, &client);
    HDC dc = GetDC(window);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))); // as if covered
    ReleaseDC(window, dc);
    InvalidateRect(window, &ledArea, FALSE);
    RedrawWindow(window, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const RECT corner = {0, 0, 300, 200};
    EXPECT_EQ(windowPixels(window, corner), boardPixels(corner));
    expectCells({hexCell(1), hexCell(2), hexCell(3), hexCell(4)});
}

} // namespace
} // namespace korvel::win32::test
