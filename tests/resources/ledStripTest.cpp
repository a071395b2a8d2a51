#include "tools/artgen/ledStrip.h"
#include "tests/resources/committedArt.h"

#include <gtest/gtest.h>

#include <string>

namespace korvel::art::test {
namespace {

// For each segment a..g, the hexadecimal digits that light it.
const char* const digitsLighting[segmentCount] = {
    "02356789ACEF", // a
    "01234789AD",   // b
    "013456789ABD", // c
    "0235689BCDE",  // d
    "0268ABCDEF",   // e
    "0456789ABCEF", // f
    "2345689ABDEF", // g
};

bool lights(int segment, int digit) {
    const char symbol = "0123456789ABCDEF"[digit];
    return std::string(digitsLighting[segment]).find(symbol) != std::string::npos;
}

Rgb cellPixel(const Image& strip, int cell, Pixel p) {
    return strip.at(cell * ledCellWidth + p.x, p.y);
}

const Pixel pointPixels[5] = {{17, 22}, {16, 22}, {18, 22}, {17, 21}, {17, 23}};

class LedStrip : public ::testing::Test {
  protected:
    Image strip = loadBitmap("led.bmp");
};

TEST_F(LedStrip, SegmentCentresFollowTheDigitTable) {
    for (int cell = 1; cell < ledCellCount; ++cell) {
        const int digit = cell < ledFirstDottedCell ? cell - 1 : cell - ledFirstDottedCell;
        for (int segment = 0; segment < segmentCount; ++segment)
            EXPECT_EQ(cellPixel(strip, cell, segmentCentre(segment)),
                      lights(segment, digit) ? ledLit : ledUnlit)
                << "cell " << cell << ", segment "
                << "abcdefg"[segment];
    }
}

TEST_F(LedStrip, BlankCellHasEverySegmentAndThePointUnlit) {
    for (int segment = 0; segment < segmentCount; ++segment)
        EXPECT_EQ(cellPixel(strip, 0, segmentCentre(segment)), ledUnlit);
    for (Pixel p : pointPixels) EXPECT_EQ(cellPixel(strip, 0, p), ledUnlit);
}

TEST_F(LedStrip, PointIsAFivePixelPlusLitOnlyInTheDecimalCells) {
    for (int cell = 0; cell < ledCellCount; ++cell) {
        const Rgb expected = cell >= ledFirstDottedCell ? ledLit : ledUnlit;
        for (Pixel p : pointPixels)
            EXPECT_EQ(cellPixel(strip, cell, p), expected) << "cell " << cell;
        // The plus has no corners: they are background.
        EXPECT_EQ(cellPixel(strip, cell, {16, 21}), ledBackground) << "cell " << cell;
        EXPECT_EQ(cellPixel(strip, cell, {18, 23}), ledBackground) << "cell " << cell;
    }
}

TEST_F(LedStrip, DecimalCellsDifferFromTheirHexCellsOnlyInThePoint) {
    for (int digit = 0; digit < 10; ++digit) {
        Image hex = strip.crop((digit + 1) * ledCellWidth, 0, ledCellWidth, ledCellHeight);
        Image dotted =
            strip.crop((digit + ledFirstDottedCell) * ledCellWidth, 0, ledCellWidth, ledCellHeight);
        for (Pixel p : pointPixels) dotted.at(p.x, p.y) = hex.at(p.x, p.y);
        EXPECT_TRUE(hex.pixels == dotted.pixels) << "digit " << digit;
    }
}

TEST_F(LedStrip, ColoursAreTheDisplaysOwn) {
    // Dark brown background, pure red lit, a dull red unlit.
    EXPECT_NEAR(ledBackground.r, 56, 8);
    EXPECT_NEAR(ledBackground.g, 35, 8);
    EXPECT_NEAR(ledBackground.b, 8, 8);
    EXPECT_EQ(ledLit, (Rgb{255, 0, 0}));
    EXPECT_GE(ledUnlit.r, 90);
    EXPECT_LE(ledUnlit.r, 120);
    for (int cell = 0; cell < ledCellCount; ++cell)
        EXPECT_EQ(cellPixel(strip, cell, {0, 0}), ledBackground) << "cell " << cell;
    // Nothing but the three colours: segments are drawn without soft edges.
    for (Rgb p : strip.pixels)
        ASSERT_TRUE(p == ledBackground || p == ledLit || p == ledUnlit)
            << int(p.r) << "," << int(p.g) << "," << int(p.b);
}

// The double-size strip sets the same shapes on a grid twice as fine, only with
// smoother bevels and a rounder point: averaged down, each cell pixel keeps its
// colour in at least three of its four fine pixels.
TEST_F(LedStrip, DoubleSizeStripIsTheStripOnAFinerGrid) {
    const Image fine = loadBitmap("led", 2);
    ASSERT_EQ(fine.width, 2 * strip.width);
    ASSERT_EQ(fine.height, 2 * strip.height);
    for (int y = 0; y < strip.height; ++y)
        for (int x = 0; x < strip.width; ++x) {
            int same = 0;
            for (int i = 0; i < 4; ++i)
                same += fine.at(2 * x + i % 2, 2 * y + i / 2) == strip.at(x, y);
            ASSERT_GE(same, 3) << "cell " << x / ledCellWidth << " at " << x % ledCellWidth << ","
                               << y;
        }
    for (Rgb p : fine.pixels) ASSERT_TRUE(p == ledBackground || p == ledLit || p == ledUnlit);
}

} // namespace
} // namespace korvel::art::test
