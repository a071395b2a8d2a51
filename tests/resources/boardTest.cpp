#include "tests/resources/committedArt.h"
#include "tools/artgen/ledStrip.h"

#include <gtest/gtest.h>

namespace korvel::art::test {
namespace {

// Board pixel (x, y) of a picture drawn `scale` times the size.
bool insideAnyKey(int x, int y, int scale) {
    for (const KeyRect& key : keyRects)
        if (x >= key.x * scale && x < (key.x + key.width) * scale && y >= key.y * scale &&
            y < (key.y + key.height) * scale)
            return true;
    return false;
}

bool isGrey(Rgb p) {
    return std::abs(p.r - p.g) < 16 && std::abs(p.g - p.b) < 16 && p.g > 90;
}
bool isBlack(Rgb p) {
    return p.r < 60 && p.g < 60 && p.b < 60;
}
bool isBoardGreen(Rgb p) {
    return p.g > p.r + 30 && p.g > p.b + 20;
}

// The board and its key sheets as drawn for the window (scale 1) and for screens
// of twice the density (scale 2), where every place is doubled.
class Board : public ::testing::TestWithParam<int> {
  protected:
    int scale = GetParam();
    Image base = loadBitmap("base", scale);
    Image key = loadBitmap("key", scale);
    Image push = loadBitmap("push", scale);
};

INSTANTIATE_TEST_SUITE_P(Scales, Board, ::testing::Values(1, 2));

TEST_P(Board, ShowsTheFourDigitsAsBlankStripCells) {
    const Image strip = loadBitmap("led", scale);
    const Image blank = strip.crop(0, 0, ledCellWidth * scale, ledCellHeight * scale);
    for (int position = 0; position < 4; ++position)
        EXPECT_TRUE(base.crop((109 + 29 * position) * scale, 237 * scale, ledCellWidth * scale,
                              ledCellHeight * scale)
                        .pixels == blank.pixels)
            << "position " << position;
}

TEST_P(Board, KeySheetIsTheKeypadCutOutOfTheBoard) {
    const int size = sheetSize * scale;
    EXPECT_TRUE(key.pixels == base.crop(sheetLeft * scale, sheetTop * scale, size, size).pixels);
}

TEST_P(Board, PushSheetChangesTheKeysAndNothingElse) {
    for (int y = 0; y < sheetSize * scale; ++y)
        for (int x = 0; x < sheetSize * scale; ++x)
            if (!insideAnyKey(sheetLeft * scale + x, sheetTop * scale + y, scale)) {
                ASSERT_EQ(key.at(x, y), push.at(x, y)) << "outside the keys at " << x << "," << y;
            }
    for (int id = 0; id < 22; ++id) {
        const KeyRect& r = keyRects[id];
        const int x = (r.x - sheetLeft) * scale;
        const int y = (r.y - sheetTop) * scale;
        const Image released = key.crop(x, y, r.width * scale, r.height * scale);
        const Image pressed = push.crop(x, y, r.width * scale, r.height * scale);
        EXPECT_FALSE(released.pixels == pressed.pixels) << "key " << id << " not drawn pressed";
    }
}

// Each key fills exactly its rectangle: bezel on its edges, a black top inside,
// and the board one pixel beyond, in the gaps.
TEST_P(Board, KeysSitExactlyOnTheirRectangles) {
    for (const Image* sheet : {&key, &push})
        for (int id = 0; id < 22; ++id) {
            const KeyRect& r = keyRects[id];
            const int left = (r.x - sheetLeft) * scale;
            const int top = (r.y - sheetTop) * scale;
            const int right = left + r.width * scale - 1;
            const int bottom = top + r.height * scale - 1;
            const int midX = left + r.width * scale / 2;
            const int midY = top + r.height * scale / 2;
            SCOPED_TRACE("key " + std::to_string(id) + (sheet == &key ? " released" : " pressed"));
            EXPECT_TRUE(isGrey(sheet->at(left + scale, midY)));
            EXPECT_TRUE(isGrey(sheet->at(right - scale, midY)));
            EXPECT_TRUE(isGrey(sheet->at(midX, top + scale)));
            EXPECT_TRUE(isGrey(sheet->at(midX, bottom - scale)));
            EXPECT_TRUE(isBlack(sheet->at(left + 7 * scale, bottom - 7 * scale)));
            for (Pixel gap : {Pixel{left - 1, midY}, Pixel{right + 1, midY}, Pixel{midX, top - 1},
                              Pixel{midX, bottom + 1}}) {
                const int size = sheetSize * scale;
                const bool onSheet = gap.x >= 0 && gap.y >= 0 && gap.x < size && gap.y < size;
                if (onSheet) {
                    EXPECT_TRUE(isBoardGreen(sheet->at(gap.x, gap.y))) << gap.x << "," << gap.y;
                }
            }
        }
}

// KEYPAD and SW1-22 share a baseline and a typeface, so their capitals and digits
// reach up to the same row; a label cut off at the top starts lower.
TEST_P(Board, KeypadLabelsStandWhole) {
    const auto topInkRow = [&](int left, int right) {
        for (int y = 340 * scale; y < 362 * scale; ++y)
            for (int x = left * scale; x < right * scale; ++x)
                if (base.at(x, y).r > 150) return y;
        return -1;
    };
    EXPECT_EQ(topInkRow(300, 340), topInkRow(472, 506));
}

} // namespace
} // namespace korvel::art::test
