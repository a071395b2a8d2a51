#include "tests/resources/committedArt.h"
#include "tools/artgen/icoFile.h"

#include <gtest/gtest.h>

namespace korvel::art::test {
namespace {

struct Expected {
    const char* file;
    int width;
    int height;
};

// Reading succeeds only for uncompressed 24-bit bitmaps, so this checks the depth too.
TEST(Pictures, EveryBitmapHasItsSizeAndIs24Bit) {
    const Expected bitmaps[] = {
        {"base.bmp", 556, 600},   {"led.bmp", 513, 24},     {"key.bmp", 198, 198},
        {"push.bmp", 198, 198},   {"logo.bmp", 350, 99},    {"logom.bmp", 350, 99},
        {"boy.bmp", 150, 203},    {"boym.bmp", 150, 203},   {"base@2x.bmp", 1112, 1200},
        {"led@2x.bmp", 1026, 48}, {"key@2x.bmp", 396, 396}, {"push@2x.bmp", 396, 396},
    };
    for (const Expected& expected : bitmaps) {
        SCOPED_TRACE(expected.file);
        const Image image = loadBitmap(expected.file);
        EXPECT_EQ(image.width, expected.width);
        EXPECT_EQ(image.height, expected.height);
    }
}

// Drawn with AND then OR: the mask is white where the dialog shows through and
// black where the picture covers it, and the picture is black where it is clear.
TEST(Pictures, MasksFollowTheAndOrConvention) {
    for (const char* name : {"logo", "boy"}) {
        SCOPED_TRACE(name);
        const Image picture = loadBitmap(std::string(name) + ".bmp");
        const Image mask = loadBitmap(std::string(name) + "m.bmp");
        ASSERT_EQ(picture.width, mask.width);
        ASSERT_EQ(picture.height, mask.height);
        int opaque = 0;
        for (std::size_t i = 0; i < mask.pixels.size(); ++i) {
            const Rgb m = mask.pixels[i];
            ASSERT_TRUE(m == black || m == white) << "mask pixel " << i << " is neither";
            if (m == white)
                ASSERT_EQ(picture.pixels[i], black) << "picture shows where the mask is clear";
            else
                ++opaque;
        }
        // Something is drawn, and the corners are clear.
        EXPECT_GT(opaque, static_cast<int>(mask.pixels.size()) / 10);
        EXPECT_EQ(mask.at(0, 0), white);
        EXPECT_EQ(mask.at(mask.width - 1, mask.height - 1), white);
    }
}

TEST(Pictures, IconHolds48And32And16PixelImagesWithMasks) {
    const auto images = decodeIco(readFileBytes(resourcePath("korvel.ico")), "korvel.ico");
    ASSERT_EQ(images.size(), 3u);
    const int sizes[] = {48, 32, 16};
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconImage& icon = images[i];
        SCOPED_TRACE("image " + std::to_string(i));
        EXPECT_EQ(icon.colour.width, sizes[i]);
        EXPECT_EQ(icon.colour.height, sizes[i]);
        int clear = 0;
        for (std::size_t p = 0; p < icon.transparent.size(); ++p)
            if (icon.transparent[p]) {
                ++clear;
                EXPECT_EQ(icon.colour.pixels[p], black) << "pixel " << p;
            }
        EXPECT_GT(clear, 0);
        EXPECT_LT(clear, sizes[i] * sizes[i] / 2);
    }
}

// A PNG starts with its signature and the IHDR chunk: big-endian width and
// height, then bit depth and colour type (6 is RGBA).
TEST(Pictures, DesktopIconsAreRgbaPngsOfTheirSizes) {
    const auto bigEndian = [](const Bytes& b, std::size_t at) {
        return b[at] << 24 | b[at + 1] << 16 | b[at + 2] << 8 | b[at + 3];
    };
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        const std::string file = "icons/korvel-" + std::to_string(size) + ".png";
        SCOPED_TRACE(file);
        const Bytes png = readFileBytes(resourcePath(file));
        ASSERT_GT(png.size(), 33u);
        EXPECT_EQ(std::string(png.begin(), png.begin() + 16),
                  std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        EXPECT_EQ(bigEndian(png, 16), size);
        EXPECT_EQ(bigEndian(png, 20), size);
        EXPECT_EQ(png[24], 8);
        EXPECT_EQ(png[25], 6);
    }
}

} // namespace
} // namespace korvel::art::test
