// Checks the compiled resource script: the names, the menu and the About dialog
// exactly as the Windows host will load them.
#include "tests/resources/committedArt.h"
#include "tests/resources/resFile.h"

#include <gtest/gtest.h>

namespace korvel::art::test {
namespace {

// Resource types and window styles under their published values.
constexpr unsigned rtIcon = 3;
constexpr unsigned rtBitmap = 2;
constexpr unsigned rtGroupIcon = 14;
constexpr std::uint32_t wsPopup = 0x80000000;
constexpr std::uint32_t wsChild = 0x40000000;
constexpr std::uint32_t wsVisible = 0x10000000;
constexpr std::uint32_t wsCaption = 0x00C00000;
constexpr std::uint32_t wsSysMenu = 0x00080000;
constexpr std::uint32_t wsGroup = 0x00020000;
constexpr std::uint32_t wsTabStop = 0x00010000;
constexpr std::uint32_t dsModalFrame = 0x80;
constexpr std::uint32_t dsSetFont = 0x40;
constexpr std::uint32_t ssCenter = 0x1;
constexpr std::uint32_t bsDefPushButton = 0x1;
constexpr unsigned buttonClass = 0x80;
constexpr unsigned staticClass = 0x82;
constexpr unsigned mfPopup = 0x10;
constexpr unsigned mfEnd = 0x80;

class ResourceScript : public ::testing::Test {
  protected:
    std::vector<Resource> resources = readResFile(KORVEL_RES_FILE);
};

TEST_F(ResourceScript, NamesEveryBitmapAfterItsFile) {
    const std::pair<const char*, const char*> bitmaps[] = {
        {"BASE", "base.bmp"}, {"LED", "led.bmp"},     {"KEY", "key.bmp"}, {"PUSH", "push.bmp"},
        {"LOGO", "logo.bmp"}, {"LOGOM", "logom.bmp"}, {"BOY", "boy.bmp"}, {"BOYM", "boym.bmp"},
    };
    for (const auto& [name, file] : bitmaps) {
        SCOPED_TRACE(name);
        const Resource& bitmap = findResource(resources, ResId::of(rtBitmap), ResId::of(name));
        const Bytes bmp = readFileBytes(resourcePath(file));
        // A bitmap resource is the file without its 14-byte file header.
        EXPECT_TRUE(bitmap.data == Bytes(bmp.begin() + 14, bmp.end()));
    }
}

TEST_F(ResourceScript, IconGroupHoldsThe24BitImages) {
    const Resource& group = findResource(resources, ResId::of(rtGroupIcon), ResId::of("ICON"));
    ByteReader in(group.data, "icon group");
    EXPECT_EQ(in.u16(), 0);
    EXPECT_EQ(in.u16(), 1);
    ASSERT_EQ(in.u16(), 3);
    for (int size : {48, 32, 16}) {
        SCOPED_TRACE(size);
        EXPECT_EQ(in.u8(), size);
        EXPECT_EQ(in.u8(), size);
        in.skip(4); // palette size, reserved, planes
        EXPECT_EQ(in.u16(), 24);
        const std::uint32_t bytes = in.u32();
        const Resource& image = findResource(resources, ResId::of(rtIcon), ResId::of(in.u16()));
        EXPECT_EQ(image.data.size(), bytes);
    }
}

TEST_F(ResourceScript, MenuHasExactlyTheFiveCommands) {
    const Resource& menu = findResource(resources, ResId::of(4), ResId::of("KORVEL"));
    const std::vector<MenuItem> bar = decodeMenu(menu.data);
    struct Command {
        const char* text;
        unsigned id;
    };
    const std::vector<std::pair<const char*, std::vector<Command>>> expected = {
        {"&File", {{"&Load...", 40010}, {"&Save...", 40011}, {"E&xit", 40001}}},
        {"&Operate", {{"&Reset", 40020}}},
        {"&Help", {{"&About KORVEL Simulator...", 40099}}},
    };
    ASSERT_EQ(bar.size(), expected.size());
    for (std::size_t p = 0; p < bar.size(); ++p) {
        const bool lastPopup = p + 1 == bar.size();
        EXPECT_EQ(bar[p].flags, mfPopup | (lastPopup ? mfEnd : 0));
        EXPECT_EQ(bar[p].text, expected[p].first);
        const auto& commands = expected[p].second;
        ASSERT_EQ(bar[p].items.size(), commands.size()) << bar[p].text;
        for (std::size_t i = 0; i < commands.size(); ++i) {
            const MenuItem& item = bar[p].items[i];
            EXPECT_EQ(item.flags, i + 1 == commands.size() ? mfEnd : 0u) << item.text;
            EXPECT_EQ(item.text, commands[i].text);
            EXPECT_EQ(item.id, commands[i].id) << item.text;
        }
    }
}

TEST_F(ResourceScript, AboutDialogIsLaidOutAsTabled) {
    const Resource& resource = findResource(resources, ResId::of(5), ResId::of("ABOUT"));
    const DialogTemplate dialog = decodeDialog(resource.data);
    EXPECT_EQ(dialog.style, wsPopup | wsCaption | wsSysMenu | dsModalFrame | dsSetFont);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.x, 10);
    EXPECT_EQ(dialog.y, 40);
    EXPECT_EQ(dialog.width, 225);
    EXPECT_EQ(dialog.height, 105);
    EXPECT_EQ(dialog.menu, ResId::of(""));
    EXPECT_EQ(dialog.windowClass, ResId::of(""));
    EXPECT_EQ(dialog.caption, "About KORVEL Simulator");
    EXPECT_EQ(dialog.fontPoints, 12u);
    EXPECT_EQ(dialog.fontName, "MS Shell Dlg");

    const std::uint32_t line = wsChild | wsVisible | wsGroup | ssCenter;
    const std::uint32_t okButton = wsChild | wsVisible | wsTabStop | bsDefPushButton;
    const DialogControl expected[] = {
        {line, 0, 70, 55, 140, 10, 0xFFFF, ResId::of(staticClass), "KORVEL Simulator for Win32"},
        {line, 0, 70, 65, 140, 10, 0xFFFF, ResId::of(staticClass), "(Music Player available)"},
        {line, 0, 70, 75, 140, 10, 0xFFFF, ResId::of(staticClass), ""},
        {okButton, 0, 130, 90, 20, 10, 1, ResId::of(buttonClass), "OK"},
    };
    ASSERT_EQ(dialog.controls.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const DialogControl& got = dialog.controls[i];
        const DialogControl& want = expected[i];
        SCOPED_TRACE("control " + std::to_string(i));
        EXPECT_EQ(got.style, want.style);
        EXPECT_EQ(got.exStyle, 0u);
        EXPECT_EQ(got.x, want.x);
        EXPECT_EQ(got.y, want.y);
        EXPECT_EQ(got.width, want.width);
        EXPECT_EQ(got.height, want.height);
        EXPECT_EQ(got.id, want.id);
        EXPECT_EQ(got.windowClass, want.windowClass);
        // The third line is a credit line of our choosing: any text will do.
        if (!want.text.empty())
            EXPECT_EQ(got.text, want.text);
        else
            EXPECT_FALSE(got.text.empty());
    }
}

} // namespace
} // namespace korvel::art::test
