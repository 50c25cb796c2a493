#include "careers/IconStore.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "careers/BmpFile.h"
#include "platform/File.h"
#include "support/BmpBuilder.h"

namespace jf {
namespace {

// A colour that tells the row (and column) it was taken from: red and green
// hold the row, blue the column.
std::uint32_t rowColour(int x, int y) {
    return std::uint32_t((y & 0xFF) << 16 | (y >> 8) << 8 | (x & 0xFF));
}
Rgb rowRgb(int x, int y) {
    const std::uint32_t c = rowColour(x, y);
    return Rgb{std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
}

std::vector<std::uint8_t> stripBytes(int width, int height) {
    return test::buildBmp(test::rgbRecipe(width, height, rowColour));
}

// 84 x 1890: the popup strip of the base game, 30 icons.
std::vector<std::uint8_t> popupStripBytes() {
    return stripBytes(84, 1890);
}

Bitmap filled(int width, int height, Rgb colour) {
    Bitmap b(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            b.setPixel(x, y, colour);
        }
    }
    return b;
}

TEST(IconStore, EmptyAtStart) {
    IconStore store;
    EXPECT_FALSE(store.hasPopupStrip());
    EXPECT_FALSE(store.hasButtonStrip());
    EXPECT_EQ(store.popupIconCount(), 0);
    EXPECT_EQ(store.buttonIconCount(), 0);
    Bitmap out;
    EXPECT_FALSE(store.getPopupIcon(0, out));
    EXPECT_FALSE(store.putButtonIcon(0, Bitmap(112, 22)));
}

TEST(IconStore, PopupStripOf1890RowsHolds30Icons) {
    IconStore store;
    MemoryFile file(popupStripBytes());
    ASSERT_TRUE(store.readPopupStrip(file));
    EXPECT_TRUE(store.hasPopupStrip());
    EXPECT_EQ(store.popupIconCount(), 30);

    Bitmap icon;
    ASSERT_TRUE(store.getPopupIcon(29, icon));
    ASSERT_EQ(icon.width(), 84);
    ASSERT_EQ(icon.height(), 63);
    // Rows 1827..1889 counted from the top, in order.
    for (int y = 0; y < 63; ++y) {
        EXPECT_EQ(icon.pixel(0, y), rowRgb(0, 1827 + y)) << y;
        EXPECT_EQ(icon.pixel(83, y), rowRgb(83, 1827 + y)) << y;
    }

    ASSERT_TRUE(store.getPopupIcon(0, icon));
    EXPECT_EQ(icon.pixel(7, 0), rowRgb(7, 0));
    EXPECT_EQ(icon.pixel(7, 62), rowRgb(7, 62));

    const Bitmap before = icon;
    EXPECT_FALSE(store.getPopupIcon(30, icon));
    EXPECT_FALSE(store.getPopupIcon(-1, icon));
    EXPECT_EQ(icon, before);
}

TEST(IconStore, ButtonStripBandsAre22Rows) {
    IconStore store;
    // 5 whole icons and 7 spare rows.
    MemoryFile file(stripBytes(112, 5 * 22 + 7));
    ASSERT_TRUE(store.readButtonStrip(file));
    EXPECT_EQ(store.buttonIconCount(), 5);
    Bitmap icon;
    ASSERT_TRUE(store.getButtonIcon(4, icon));
    EXPECT_EQ(icon.width(), 112);
    EXPECT_EQ(icon.height(), 22);
    EXPECT_EQ(icon.pixel(111, 0), rowRgb(111, 88));
    EXPECT_EQ(icon.pixel(0, 21), rowRgb(0, 109));
    EXPECT_FALSE(store.getButtonIcon(5, icon));
}

TEST(IconStore, StripWidthIsTheIconWidth) {
    IconStore store;
    MemoryFile file(stripBytes(50, 63 * 2));
    ASSERT_TRUE(store.readPopupStrip(file));
    Bitmap icon;
    ASSERT_TRUE(store.getPopupIcon(1, icon));
    EXPECT_EQ(icon.width(), 50);
}

TEST(IconStore, PutThenGetAndNeighboursUntouched) {
    IconStore store;
    MemoryFile file(popupStripBytes());
    ASSERT_TRUE(store.readPopupStrip(file));
    Bitmap icon = filled(84, 63, Rgb{200, 100, 50});
    icon.setPixel(0, 0, Rgb{1, 1, 1});
    icon.setPixel(83, 62, Rgb{2, 2, 2});
    ASSERT_TRUE(store.putPopupIcon(12, icon));

    Bitmap back;
    ASSERT_TRUE(store.getPopupIcon(12, back));
    EXPECT_EQ(back, icon);
    EXPECT_EQ(store.popupStrip().pixel(0, 12 * 63), (Rgb{1, 1, 1}));
    EXPECT_EQ(store.popupStrip().pixel(83, 12 * 63 + 62), (Rgb{2, 2, 2}));
    // The rows just outside the band keep their old pixels.
    EXPECT_EQ(store.popupStrip().pixel(0, 12 * 63 - 1), rowRgb(0, 12 * 63 - 1));
    EXPECT_EQ(store.popupStrip().pixel(0, 13 * 63), rowRgb(0, 13 * 63));
}

TEST(IconStore, PutTakesTheTopLeftOfABiggerPicture) {
    IconStore store;
    MemoryFile file(stripBytes(112, 44));
    ASSERT_TRUE(store.readButtonStrip(file));
    Bitmap big = filled(120, 30, Rgb{9, 9, 9});
    big.setPixel(111, 21, Rgb{5, 6, 7});
    big.setPixel(112, 21, Rgb{1, 2, 3});  // outside the copied area
    ASSERT_TRUE(store.putButtonIcon(1, big));
    EXPECT_EQ(store.buttonStrip().pixel(111, 43), (Rgb{5, 6, 7}));
    EXPECT_EQ(store.buttonStrip().height(), 44);
}

TEST(IconStore, PutRefusesBadIdsAndSmallPictures) {
    IconStore store;
    MemoryFile file(popupStripBytes());
    ASSERT_TRUE(store.readPopupStrip(file));
    const Bitmap before = store.popupStrip();
    EXPECT_FALSE(store.putPopupIcon(30, filled(84, 63, Rgb{1, 2, 3})));
    EXPECT_FALSE(store.putPopupIcon(-1, filled(84, 63, Rgb{1, 2, 3})));
    EXPECT_FALSE(store.putPopupIcon(0, filled(112, 22, Rgb{1, 2, 3})));
    EXPECT_FALSE(store.putPopupIcon(0, filled(83, 63, Rgb{1, 2, 3})));
    EXPECT_FALSE(store.putPopupIcon(0, Bitmap()));
    EXPECT_EQ(store.popupStrip(), before);
}

TEST(IconStore, HeadersAndPaletteAreKept) {
    test::BmpRecipe recipe;
    recipe.width = 112;
    recipe.height = 44;
    recipe.bitsPerPixel = 8;
    recipe.coloursUsed = 3;
    recipe.table = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int y = 0; y < 44; ++y) {
        for (int x = 0; x < 112; ++x) {
            recipe.pixels.push_back(std::uint32_t(y / 22));
        }
    }
    const std::vector<std::uint8_t> bytes = test::buildBmp(recipe);
    IconStore store;
    MemoryFile file(bytes);
    ASSERT_TRUE(store.readButtonStrip(file));
    const BmpHeaders& h = store.buttonHeaders();
    EXPECT_TRUE(std::equal(h.fileHeader.begin(), h.fileHeader.end(), bytes.begin()));
    EXPECT_TRUE(std::equal(h.infoHeader.begin(), h.infoHeader.end(), bytes.begin() + 14));
    EXPECT_EQ(store.buttonPalette(), (Palette{Rgb{255, 0, 0}, Rgb{0, 255, 0}, Rgb{0, 0, 255}}));
    EXPECT_TRUE(store.popupPalette().empty());
    Bitmap icon;
    ASSERT_TRUE(store.getButtonIcon(1, icon));
    EXPECT_EQ(icon.pixel(50, 10), (Rgb{0, 255, 0}));
}

TEST(IconStore, FailedReadKeepsTheOldStrip) {
    IconStore store;
    MemoryFile good(popupStripBytes());
    ASSERT_TRUE(store.readPopupStrip(good));
    const Bitmap strip = store.popupStrip();
    const BmpHeaders headers = store.popupHeaders();

    std::vector<std::uint8_t> bytes = stripBytes(84, 63);
    bytes.resize(bytes.size() - 1);
    MemoryFile truncated(bytes);
    EXPECT_FALSE(store.readPopupStrip(truncated));
    MemoryFile garbage(std::vector<std::uint8_t>(100, 0x42));
    EXPECT_FALSE(store.readPopupStrip(garbage));
    MemoryFile empty;
    EXPECT_FALSE(store.readPopupStrip(empty));

    EXPECT_EQ(store.popupStrip(), strip);
    EXPECT_EQ(store.popupHeaders().fileHeader, headers.fileHeader);
    EXPECT_EQ(store.popupHeaders().infoHeader, headers.infoHeader);
    EXPECT_FALSE(store.hasButtonStrip());
}

TEST(IconStore, EditedStripGoesBackAs24BitsAndReadsTheSame) {
    // An 8-bit strip is written back as 24 bits with the edit in place.
    test::BmpRecipe recipe;
    recipe.width = 84;
    recipe.height = 126;
    recipe.bitsPerPixel = 8;
    recipe.table = std::vector<std::uint32_t>(256, 0x102030);
    recipe.pixels = std::vector<std::uint32_t>(84 * 126, 0);
    IconStore store;
    MemoryFile file(test::buildBmp(recipe));
    ASSERT_TRUE(store.readPopupStrip(file));
    Bitmap icon = filled(84, 63, Rgb{0, 0, 0});
    icon.setPixel(3, 4, Rgb{250, 251, 252});
    ASSERT_TRUE(store.putPopupIcon(1, icon));

    ASSERT_TRUE(writeBitmapFile(file, store.popupStrip()));
    EXPECT_EQ(file.length(), 54 + 252 * 126);
    IconStore reread;
    ASSERT_TRUE(reread.readPopupStrip(file));
    EXPECT_EQ(reread.popupStrip(), store.popupStrip());
    EXPECT_EQ(reread.popupHeaders().infoHeader[14], 24);  // bits per pixel
    Bitmap back;
    ASSERT_TRUE(reread.getPopupIcon(1, back));
    EXPECT_EQ(back.pixel(3, 4), (Rgb{250, 251, 252}));
    ASSERT_TRUE(reread.getPopupIcon(0, back));
    EXPECT_EQ(back.pixel(3, 4), (Rgb{0x10, 0x20, 0x30}));
}

TEST(IconStore, ClearForgetsEverything) {
    IconStore store;
    MemoryFile popup(popupStripBytes());
    MemoryFile button(stripBytes(112, 22));
    ASSERT_TRUE(store.readPopupStrip(popup));
    ASSERT_TRUE(store.readButtonStrip(button));
    store.clear();
    EXPECT_FALSE(store.hasPopupStrip());
    EXPECT_FALSE(store.hasButtonStrip());
    EXPECT_EQ(store.popupHeaders().fileHeader, BmpHeaders{}.fileHeader);
    Bitmap out;
    EXPECT_FALSE(store.getButtonIcon(0, out));
}

}  // namespace
}  // namespace jf
