#include "committedArt.h"
#include "ledStrip.h"

#include <gtest/gtest.h>

namespace korvel::art::test {
namespace {

bool insideAnyKey(int x, int y) {
    for (const KeyRect& key : keyRects)
        if (x >= key.x && x < key.x + key.width && y >= key.y && y < key.y + key.height)
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

class Board : public ::testing::Test {
  protected:
    Image base = loadBitmap("base.bmp");
    Image key = loadBitmap("key.bmp");
    Image push = loadBitmap("push.bmp");
};

TEST_F(Board, ShowsTheFourDigitsAsBlankStripCells) {
    const Image strip = loadBitmap("led.bmp");
    const Image blank = strip.crop(0, 0, ledCellWidth, ledCellHeight);
    for (int position = 0; position < 4; ++position)
        EXPECT_TRUE(base.crop(109 + 29 * position, 237, ledCellWidth, ledCellHeight).pixels ==
                    blank.pixels)
            << "position " << position;
}

TEST_F(Board, KeySheetIsTheKeypadCutOutOfTheBoard) {
    EXPECT_TRUE(key.pixels == base.crop(sheetLeft, sheetTop, sheetSize, sheetSize).pixels);
}

TEST_F(Board, PushSheetChangesTheKeysAndNothingElse) {
    for (int y = 0; y < sheetSize; ++y)
        for (int x = 0; x < sheetSize; ++x)
            if (!insideAnyKey(sheetLeft + x, sheetTop + y)) {
                ASSERT_EQ(key.at(x, y), push.at(x, y)) << "outside the keys at " << x << "," << y;
            }
    for (int id = 0; id < 22; ++id) {
        const KeyRect& r = keyRects[id];
        const Image released = key.crop(r.x - sheetLeft, r.y - sheetTop, r.width, r.height);
        const Image pressed = push.crop(r.x - sheetLeft, r.y - sheetTop, r.width, r.height);
        EXPECT_FALSE(released.pixels == pressed.pixels) << "key " << id << " not drawn pressed";
    }
}

// Each key fills exactly its rectangle: bezel on its edges, a black top inside,
// and the board one pixel beyond, in the gaps.
TEST_F(Board, KeysSitExactlyOnTheirRectangles) {
    for (const Image* sheet : {&key, &push})
        for (int id = 0; id < 22; ++id) {
            const KeyRect& r = keyRects[id];
            const int left = r.x - sheetLeft;
            const int top = r.y - sheetTop;
            const int right = left + r.width - 1;
            const int bottom = top + r.height - 1;
            const int midX = left + r.width / 2;
            const int midY = top + r.height / 2;
            SCOPED_TRACE("key " + std::to_string(id) + (sheet == &key ? " released" : " pressed"));
            EXPECT_TRUE(isGrey(sheet->at(left + 1, midY)));
            EXPECT_TRUE(isGrey(sheet->at(right - 1, midY)));
            EXPECT_TRUE(isGrey(sheet->at(midX, top + 1)));
            EXPECT_TRUE(isGrey(sheet->at(midX, bottom - 1)));
            EXPECT_TRUE(isBlack(sheet->at(left + 7, bottom - 7)));
            for (Pixel gap : {Pixel{left - 1, midY}, Pixel{right + 1, midY}, Pixel{midX, top - 1},
                              Pixel{midX, bottom + 1}}) {
                const bool onSheet =
                    gap.x >= 0 && gap.y >= 0 && gap.x < sheetSize && gap.y < sheetSize;
                if (onSheet) {
                    EXPECT_TRUE(isBoardGreen(sheet->at(gap.x, gap.y))) << gap.x << "," << gap.y;
                }
            }
        }
}

} // namespace
} // namespace korvel::art::test
