#include "careers/Bitmap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "careers/BmpFile.h"
#include "platform/File.h"
#include "support/BmpBuilder.h"
#include "support/FakeFileSystem.h"
#include "support/FaultInjectingFileSystem.h"

namespace jf {
namespace {

using test::BmpRecipe;
using test::buildBmp;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kWhite{255, 255, 255};

Rgb rgbOf(std::uint32_t c) {
    return Rgb{std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c)};
}

std::uint32_t le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint32_t(b[at]) | (std::uint32_t(b[at + 1]) << 8) |
           (std::uint32_t(b[at + 2]) << 16) | (std::uint32_t(b[at + 3]) << 24);
}
std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return std::vector<std::uint8_t>(text.begin(), text.end());
}
std::uint16_t le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::uint16_t(b[at] | (b[at + 1] << 8));
}

// A bitmap distinguishable from anything the tests read, to prove that a
// failed read leaves the destination alone.
Bitmap sentinelBitmap() {
    Bitmap b(2, 1);
    b.setPixel(0, 0, Rgb{1, 2, 3});
    b.setPixel(1, 0, Rgb{4, 5, 6});
    return b;
}
const Palette kSentinelPalette{Rgb{9, 8, 7}};

struct ReadResult {
    bool ok = false;
    Bitmap bitmap;
    Palette palette;
};

ReadResult readBytes(const std::vector<std::uint8_t>& bytes, int width = 0, int height = 0) {
    MemoryFile file(bytes);
    ReadResult r;
    r.bitmap = sentinelBitmap();
    r.palette = kSentinelPalette;
    r.ok = readBitmapFile(file, r.bitmap, &r.palette, width, height);
    return r;
}

// Expects a failed read that left the destination untouched.
void expectRefused(const std::vector<std::uint8_t>& bytes, int width = 0, int height = 0) {
    const ReadResult r = readBytes(bytes, width, height);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.bitmap, sentinelBitmap());
    EXPECT_EQ(r.palette, kSentinelPalette);
}

// ---------------------------------------------------------------- Bitmap

TEST(Bitmap, NewBitmapIsBlackAndSized) {
    Bitmap b(3, 2);
    EXPECT_FALSE(b.isNull());
    EXPECT_EQ(b.width(), 3);
    EXPECT_EQ(b.height(), 2);
    EXPECT_EQ(b.rgb().size(), 18u);
    for (std::uint8_t v : b.rgb()) {
        EXPECT_EQ(v, 0);
    }
}

TEST(Bitmap, InvalidSizesGiveEmptyBitmap) {
    EXPECT_TRUE(Bitmap().isNull());
    EXPECT_TRUE(Bitmap(0, 5).isNull());
    EXPECT_TRUE(Bitmap(5, -1).isNull());
    EXPECT_TRUE(Bitmap(Bitmap::kMaxDimension + 1, 1).isNull());
    EXPECT_TRUE(Bitmap(8193, 8192).isNull());  // beyond kMaxPixels
    EXPECT_EQ(Bitmap(0, 5).width(), 0);
    EXPECT_TRUE(Bitmap::isValidSize(Bitmap::kMaxDimension, 1));
}

TEST(Bitmap, PixelsAreStoredTopRowFirst) {
    Bitmap b(2, 2);
    b.setPixel(1, 0, Rgb{10, 20, 30});
    b.setPixel(0, 1, Rgb{40, 50, 60});
    EXPECT_EQ(b.pixel(1, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(b.pixel(0, 1), (Rgb{40, 50, 60}));
    const std::vector<std::uint8_t> expected{0, 0, 0, 10, 20, 30, 40, 50, 60, 0, 0, 0};
    EXPECT_EQ(b.rgb(), expected);
    EXPECT_EQ(b.row(1)[0], 40);
}

TEST(Bitmap, OutsidePixelsAreBlackAndIgnored) {
    Bitmap b(2, 2);
    b.setPixel(2, 0, kWhite);
    b.setPixel(-1, 0, kWhite);
    b.setPixel(0, 2, kWhite);
    EXPECT_EQ(b, Bitmap(2, 2));
    EXPECT_EQ(b.pixel(-1, 0), kBlack);
    EXPECT_EQ(b.pixel(0, 5), kBlack);
}

TEST(Bitmap, CopyAreaChecksBounds) {
    Bitmap b(4, 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            b.setPixel(x, y, Rgb{std::uint8_t(x), std::uint8_t(y), 7});
        }
    }
    Bitmap out;
    ASSERT_TRUE(b.copyArea(1, 1, 3, 2, out));
    EXPECT_EQ(out.width(), 3);
    EXPECT_EQ(out.height(), 2);
    EXPECT_EQ(out.pixel(0, 0), (Rgb{1, 1, 7}));
    EXPECT_EQ(out.pixel(2, 1), (Rgb{3, 2, 7}));

    Bitmap keep = sentinelBitmap();
    EXPECT_FALSE(b.copyArea(2, 0, 3, 1, keep));
    EXPECT_FALSE(b.copyArea(0, 2, 1, 2, keep));
    EXPECT_FALSE(b.copyArea(-1, 0, 1, 1, keep));
    EXPECT_FALSE(b.copyArea(0, 0, 0, 1, keep));
    EXPECT_FALSE(b.copyArea(0x7fffffff, 0, 2, 1, keep));
    EXPECT_EQ(keep, sentinelBitmap());
}

TEST(Bitmap, PasteAreaChecksBothPictures) {
    Bitmap dst(4, 4);
    Bitmap src(2, 2);
    src.setPixel(0, 0, kRed);
    src.setPixel(1, 1, kBlue);
    ASSERT_TRUE(dst.pasteArea(src, 2, 2, 2, 1));
    EXPECT_EQ(dst.pixel(2, 1), kRed);
    EXPECT_EQ(dst.pixel(3, 2), kBlue);
    EXPECT_EQ(dst.pixel(1, 1), kBlack);

    const Bitmap before = dst;
    EXPECT_FALSE(dst.pasteArea(src, 3, 2, 0, 0));  // source too small
    EXPECT_FALSE(dst.pasteArea(src, 2, 2, 3, 0));  // past the right edge
    EXPECT_FALSE(dst.pasteArea(src, 2, 2, 0, -1));
    EXPECT_EQ(dst, before);
}

TEST(Bitmap, PasteOntoItselfUsesTheOldPixels) {
    Bitmap b(1, 3);
    b.setPixel(0, 0, kRed);
    b.setPixel(0, 1, kGreen);
    b.setPixel(0, 2, kBlue);
    ASSERT_TRUE(b.pasteArea(b, 1, 2, 0, 1));
    EXPECT_EQ(b.pixel(0, 0), kRed);
    EXPECT_EQ(b.pixel(0, 1), kRed);
    EXPECT_EQ(b.pixel(0, 2), kGreen);
}

// ---------------------------------------------------------------- reading

TEST(BmpRead, TwentyFourBitsWithoutTableGivesNoPalette) {
    // Width 3: rows of 9 bytes padded to 12, stored bottom-up.
    BmpRecipe recipe = test::rgbRecipe(
        3, 2, [](int x, int y) { return std::uint32_t((x * 40) << 16 | (y * 100) << 8 | 0x0F); });
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.palette.empty());
    ASSERT_EQ(r.bitmap.width(), 3);
    ASSERT_EQ(r.bitmap.height(), 2);
    EXPECT_EQ(r.bitmap.pixel(0, 0), (Rgb{0, 0, 0x0F}));
    EXPECT_EQ(r.bitmap.pixel(2, 0), (Rgb{80, 0, 0x0F}));
    EXPECT_EQ(r.bitmap.pixel(1, 1), (Rgb{40, 100, 0x0F}));
}

TEST(BmpRead, EightBitsWithZeroColoursUsedHas256EntriesAndPixelsAt1078) {
    BmpRecipe recipe;
    recipe.width = 3;
    recipe.height = 2;
    recipe.bitsPerPixel = 8;
    recipe.coloursUsed = 0;
    for (std::uint32_t i = 0; i < 256; ++i) {
        recipe.table.push_back(i << 16 | (255 - i) << 8 | (i ^ 0x55));
    }
    recipe.pixels = {0, 1, 255, 128, 7, 200};
    // The offset field is ignored: a wrong value must not move the pixels.
    recipe.pixelOffset = 54;
    const std::vector<std::uint8_t> bytes = buildBmp(recipe);
    ASSERT_EQ(bytes.size(), 54u + 1024u + 2 * 4);
    // Bottom row first: picture row 1 (128, 7, 200) is at 54 + 1024.
    EXPECT_EQ(bytes[54 + 1024], 128);

    const ReadResult r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.palette.size(), 256u);
    EXPECT_EQ(r.palette[0], (Rgb{0, 255, 0x55}));
    EXPECT_EQ(r.palette[200], rgbOf(200u << 16 | 55u << 8 | (200u ^ 0x55)));
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(r.bitmap.pixel(i % 3, i / 3), r.palette[recipe.pixels[i]]) << i;
    }
}

TEST(BmpRead, ColoursUsedSetsTableLengthAndIndexesPastItAreBlack) {
    BmpRecipe recipe;
    recipe.width = 4;
    recipe.height = 1;
    recipe.bitsPerPixel = 8;
    recipe.coloursUsed = 2;
    recipe.table = {0xFF0000, 0x00FF00};
    recipe.pixels = {1, 0, 1, 9};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.palette, (Palette{kRed, kGreen}));
    EXPECT_EQ(r.bitmap.pixel(0, 0), kGreen);
    EXPECT_EQ(r.bitmap.pixel(1, 0), kRed);
    EXPECT_EQ(r.bitmap.pixel(3, 0), kBlack);
}

TEST(BmpRead, OneBitRowsWithPadding) {
    BmpRecipe recipe;
    recipe.width = 10;  // 2 bytes of bits, padded to 4
    recipe.height = 3;
    recipe.bitsPerPixel = 1;
    recipe.table = {0x000000, 0xFFFFFF};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 10; ++x) {
            recipe.pixels.push_back((x + y) % 3 == 0 ? 1 : 0);
        }
    }
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.palette.size(), 2u);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 10; ++x) {
            EXPECT_EQ(r.bitmap.pixel(x, y), (x + y) % 3 == 0 ? kWhite : kBlack) << x << "," << y;
        }
    }
}

TEST(BmpRead, FourBitsOddWidth) {
    BmpRecipe recipe;
    recipe.width = 5;
    recipe.height = 2;
    recipe.bitsPerPixel = 4;
    recipe.coloursUsed = 16;
    for (std::uint32_t i = 0; i < 16; ++i) {
        recipe.table.push_back(i * 0x101010);
    }
    for (int i = 0; i < 10; ++i) {
        recipe.pixels.push_back(std::uint32_t((i * 7) % 16));
    }
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.palette.size(), 16u);
    for (int i = 0; i < 10; ++i) {
        const std::uint8_t v = std::uint8_t(((i * 7) % 16) * 0x10);
        EXPECT_EQ(r.bitmap.pixel(i % 5, i / 5), (Rgb{v, v, v})) << i;
    }
}

TEST(BmpRead, SixteenBitsWithoutCompressionAre555) {
    BmpRecipe recipe;
    recipe.width = 3;  // 6 bytes, padded to 8
    recipe.height = 2;
    recipe.bitsPerPixel = 16;
    recipe.pixels = {test::pack555(31, 0, 0),  test::pack555(0, 31, 0), test::pack555(0, 0, 31),
                     test::pack555(31, 0, 16), test::pack555(1, 2, 3),  0x8000};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.palette.empty());
    EXPECT_EQ(r.bitmap.pixel(0, 0), kRed);
    EXPECT_EQ(r.bitmap.pixel(1, 0), kGreen);
    EXPECT_EQ(r.bitmap.pixel(2, 0), kBlue);
    EXPECT_EQ(r.bitmap.pixel(0, 1), (Rgb{255, 0, 132}));
    EXPECT_EQ(r.bitmap.pixel(1, 1), (Rgb{8, 16, 25}));
    EXPECT_EQ(r.bitmap.pixel(2, 1), kBlack);  // the top bit is unused
}

TEST(BmpRead, SixteenBitsWithBitFields565) {
    BmpRecipe recipe;
    recipe.width = 2;
    recipe.height = 1;
    recipe.bitsPerPixel = 16;
    recipe.compression = 3;
    recipe.writeMasks = true;
    recipe.masks = {0xF800, 0x07E0, 0x001F};
    recipe.pixels = {test::pack565(0, 63, 31), test::pack565(16, 32, 0)};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(0, 0), (Rgb{0, 255, 255}));
    EXPECT_EQ(r.bitmap.pixel(1, 0), (Rgb{132, 130, 0}));
}

TEST(BmpRead, ThirtyTwoBitsWithoutCompressionIgnoreTheFourthByte) {
    BmpRecipe recipe;
    recipe.width = 2;
    recipe.height = 1;
    recipe.bitsPerPixel = 32;
    recipe.pixels = {0xAA112233, 0x00FFFFFF};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(0, 0), (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(r.bitmap.pixel(1, 0), kWhite);
}

TEST(BmpRead, ThirtyTwoBitsWithBitFields) {
    BmpRecipe recipe;
    recipe.width = 1;
    recipe.height = 2;
    recipe.bitsPerPixel = 32;
    recipe.compression = 3;
    recipe.writeMasks = true;
    recipe.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
    recipe.pixels = {0x00332211, 0xFF000080};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(0, 0), (Rgb{0x11, 0x22, 0x33}));
    EXPECT_EQ(r.bitmap.pixel(0, 1), (Rgb{0x80, 0, 0}));
}

TEST(BmpRead, BitFieldsWithColoursUsedSkipTheTable) {
    BmpRecipe recipe;
    recipe.width = 1;
    recipe.height = 1;
    recipe.bitsPerPixel = 16;
    recipe.compression = 3;
    recipe.writeMasks = true;
    recipe.masks = {0xF800, 0x07E0, 0x001F};
    recipe.coloursUsed = 2;
    recipe.table = {0x123456, 0x654321};
    recipe.pixels = {test::pack565(31, 0, 0)};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(0, 0), kRed);
    EXPECT_EQ(r.palette, (Palette{rgbOf(0x123456), rgbOf(0x654321)}));
}

TEST(BmpRead, TwentyFourBitsWithColoursUsedSkipTheTable) {
    BmpRecipe recipe = test::rgbRecipe(1, 1, [](int, int) { return 0x0000FFu; });
    recipe.coloursUsed = 1;
    recipe.table = {0xABCDEF};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(0, 0), kBlue);
    EXPECT_EQ(r.palette, (Palette{rgbOf(0xABCDEF)}));
}

TEST(BmpRead, TopDownRows) {
    BmpRecipe recipe =
        test::rgbRecipe(2, -3, [](int x, int y) { return std::uint32_t(y << 16 | x); });
    const std::vector<std::uint8_t> bytes = buildBmp(recipe);
    // Top-down: the first stored row is the top one (red 0), the last red 2.
    EXPECT_EQ(bytes[54 + 2], 0);
    EXPECT_EQ(bytes[54 + 2 * 8 + 2], 2);
    const ReadResult r = readBytes(bytes);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.height(), 3);
    for (int y = 0; y < 3; ++y) {
        EXPECT_EQ(r.bitmap.pixel(1, y), (Rgb{std::uint8_t(y), 0, 1}));
    }
}

TEST(BmpRead, TopDownPictureMatchesRequiredSize) {
    BmpRecipe recipe = test::rgbRecipe(84, -63, [](int, int) { return 0x010203u; });
    EXPECT_TRUE(readBytes(buildBmp(recipe), 84, 63).ok);
}

// A 4 x 3 run-length picture: runs, an absolute run with padding, a delta,
// an early end of line and the end mark.
BmpRecipe rle8Recipe() {
    BmpRecipe recipe;
    recipe.width = 4;
    recipe.height = 3;
    recipe.bitsPerPixel = 8;
    recipe.compression = 1;
    recipe.coloursUsed = 4;
    recipe.table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    recipe.rawPixelData = {
        3, 1, 0, 0,                    // bottom row: red red red, end of line
        0, 3, 2, 3, 1, 0, 1, 2, 0, 0,  // absolute green blue red (+pad), green, end of line
        0, 2, 2, 0, 2, 3, 0, 1,        // delta right 2, blue blue, end of picture
    };
    return recipe;
}

TEST(BmpRead, RunLength8IsDecoded) {
    const ReadResult r = readBytes(buildBmp(rle8Recipe()));
    ASSERT_TRUE(r.ok);
    const Rgb expected[3][4] = {
        {kBlack, kBlack, kBlue, kBlue}, {kGreen, kBlue, kRed, kGreen}, {kRed, kRed, kRed, kBlack}};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            EXPECT_EQ(r.bitmap.pixel(x, y), expected[y][x]) << x << "," << y;
        }
    }
    EXPECT_EQ(r.palette.size(), 4u);
}

TEST(BmpRead, RunLength4IsDecoded) {
    BmpRecipe recipe;
    recipe.width = 5;
    recipe.height = 2;
    recipe.bitsPerPixel = 4;
    recipe.compression = 2;
    recipe.coloursUsed = 4;
    recipe.table = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    recipe.rawPixelData = {
        5, 0x12, 0,    0,                    // bottom row: 1 2 1 2 1, end of line
        0, 3,    0x31, 0x20, 2, 0x30, 0, 1,  // absolute 3 1 2, run 3 0, end
    };
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    const Rgb expected[2][5] = {{kBlue, kRed, kGreen, kBlue, kBlack},
                                {kRed, kGreen, kRed, kGreen, kRed}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            EXPECT_EQ(r.bitmap.pixel(x, y), expected[y][x]) << x << "," << y;
        }
    }
}

TEST(BmpRead, RunLengthRunsPastTheEdgeAreClipped) {
    BmpRecipe recipe = rle8Recipe();
    recipe.rawPixelData = {255, 1, 0, 0, 255, 2, 0, 2, 255, 255, 0, 0, 9, 3, 0, 1};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(3, 2), kRed);
    EXPECT_EQ(r.bitmap.pixel(0, 1), kGreen);
}

TEST(BmpRead, RunLengthDataEndingEarlyIsRefused) {
    const BmpRecipe full = rle8Recipe();
    for (std::size_t n = 1; n < full.rawPixelData.size(); ++n) {
        BmpRecipe recipe = full;
        recipe.rawPixelData.resize(n);
        SCOPED_TRACE(n);
        expectRefused(buildBmp(recipe));
    }
}

TEST(BmpRead, RunLengthEndingAfterTheLastRowWithoutEndMarkIsAccepted) {
    BmpRecipe recipe = rle8Recipe();
    recipe.rawPixelData = {4, 1, 0, 0, 4, 2, 0, 0, 4, 3, 0, 0};
    const ReadResult r = readBytes(buildBmp(recipe));
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.bitmap.pixel(3, 0), kBlue);
    EXPECT_EQ(r.bitmap.pixel(3, 2), kRed);
}

TEST(BmpRead, RunLengthTopDownIsRefused) {
    BmpRecipe recipe = rle8Recipe();
    recipe.height = -3;
    expectRefused(buildBmp(recipe));
}

TEST(BmpRead, RequiredSizeIsEnforced) {
    const BmpRecipe button = test::rgbRecipe(112, 22, [](int, int) { return 0x808080u; });
    expectRefused(buildBmp(button), 84, 63);
    EXPECT_TRUE(readBytes(buildBmp(button), 112, 22).ok);
    // One zero means no size check.
    EXPECT_TRUE(readBytes(buildBmp(button), 84, 0).ok);
}

TEST(BmpRead, PopupIconWithSixteenColoursIsAccepted) {
    BmpRecipe recipe;
    recipe.width = 84;
    recipe.height = 63;
    recipe.bitsPerPixel = 4;
    recipe.coloursUsed = 16;
    for (std::uint32_t i = 0; i < 16; ++i) {
        recipe.table.push_back(0x0F0000 * i);
    }
    for (int i = 0; i < 84 * 63; ++i) {
        recipe.pixels.push_back(std::uint32_t(i / 84) % 16);
    }
    const ReadResult r = readBytes(buildBmp(recipe), 84, 63);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.palette.size(), 16u);
    EXPECT_EQ(r.bitmap.pixel(83, 62), (Rgb{std::uint8_t(0x0F * (62 % 16)), 0, 0}));
}

TEST(BmpRead, HeadersAreHandedBackAsRead) {
    const std::vector<std::uint8_t> bytes =
        buildBmp(test::rgbRecipe(1, 1, [](int, int) { return 1u; }));
    MemoryFile file(bytes);
    Bitmap out;
    BmpHeaders headers;
    ASSERT_TRUE(readBitmapFile(file, out, nullptr, 0, 0, &headers));
    EXPECT_TRUE(std::equal(headers.fileHeader.begin(), headers.fileHeader.end(), bytes.begin()));
    EXPECT_TRUE(
        std::equal(headers.infoHeader.begin(), headers.infoHeader.end(), bytes.begin() + 14));
}

// ---------------------------------------------------------------- hostile input

TEST(BmpRead, EveryTruncationIsRefused) {
    BmpRecipe eight;
    eight.width = 5;
    eight.height = 3;
    eight.bitsPerPixel = 8;
    eight.table = {0xFF0000, 0x00FF00};
    eight.coloursUsed = 2;
    eight.pixels = std::vector<std::uint32_t>(15, 1);
    const BmpRecipe deep = test::rgbRecipe(3, 2, [](int x, int y) { return std::uint32_t(x + y); });
    for (const BmpRecipe& recipe : {eight, deep}) {
        const std::vector<std::uint8_t> bytes = buildBmp(recipe);
        ASSERT_TRUE(readBytes(bytes).ok);
        for (std::size_t n = 0; n < bytes.size(); ++n) {
            SCOPED_TRACE(n);
            expectRefused(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n));
        }
    }
}

TEST(BmpRead, BadHeadersAreRefused) {
    const BmpRecipe good = test::rgbRecipe(4, 4, [](int x, int) { return std::uint32_t(x); });
    ASSERT_TRUE(readBytes(buildBmp(good)).ok);
    auto variant = [&](auto change) {
        BmpRecipe s = good;
        change(s);
        return buildBmp(s);
    };
    expectRefused(variant([](BmpRecipe& s) { s.infoSize = 124; }));
    expectRefused(variant([](BmpRecipe& s) { s.infoSize = 12; }));
    expectRefused(variant([](BmpRecipe& s) { s.width = 0; }));
    expectRefused(variant([](BmpRecipe& s) { s.width = -4; }));
    expectRefused(variant([](BmpRecipe& s) { s.height = 0; }));
    expectRefused(variant([](BmpRecipe& s) { s.height = INT32_MIN; }));
    expectRefused(variant([](BmpRecipe& s) { s.width = 40000; }));
    expectRefused(variant([](BmpRecipe& s) { s.width = 8192, s.height = 8192; }));  // rows missing
    expectRefused(variant([](BmpRecipe& s) { s.bitsPerPixel = 0; }));
    expectRefused(variant([](BmpRecipe& s) { s.bitsPerPixel = 2; }));
    expectRefused(variant([](BmpRecipe& s) { s.bitsPerPixel = 64; }));
    expectRefused(variant([](BmpRecipe& s) { s.compression = 4; }));  // JPEG
    expectRefused(variant([](BmpRecipe& s) { s.compression = 5; }));  // PNG
    expectRefused(variant([](BmpRecipe& s) { s.compression = 1; }));  // RLE8 at 24 bits
    expectRefused(variant([](BmpRecipe& s) { s.compression = 3; }));  // masks at 24 bits
    expectRefused(variant([](BmpRecipe& s) { s.coloursUsed = 0xFFFFFFFF; }));
    expectRefused(variant([](BmpRecipe& s) { s.coloursUsed = 1; }));  // table eats the pixels

    std::vector<std::uint8_t> bytes = buildBmp(good);
    bytes[1] = 'A';
    expectRefused(bytes);
}

TEST(BmpRead, BadMasksAreRefused) {
    BmpRecipe recipe;
    recipe.width = 1;
    recipe.height = 1;
    recipe.bitsPerPixel = 16;
    recipe.compression = 3;
    recipe.writeMasks = true;
    recipe.pixels = {0};
    recipe.masks = {0xF00F, 0x0070, 0x0F00};  // red not contiguous
    expectRefused(buildBmp(recipe));
    recipe.masks = {0xF0000, 0x0070, 0x0F00};  // beyond 16 bits
    expectRefused(buildBmp(recipe));
    recipe.writeMasks = false;  // masks missing altogether
    expectRefused(buildBmp(recipe));
}

TEST(BmpRead, HugeRunLengthPictureFromTinyDataIsRefused) {
    BmpRecipe recipe = rle8Recipe();
    recipe.width = 8192;
    recipe.height = 8192;
    recipe.rawPixelData = {0, 1};
    expectRefused(buildBmp(recipe));
}

TEST(BmpRead, RunLengthAreaIsBoundByTheDataBeyond512By512) {
    BmpRecipe recipe = rle8Recipe();
    recipe.rawPixelData = {0, 1};  // the end mark alone: an all-black picture
    recipe.width = 512;
    recipe.height = 512;
    EXPECT_TRUE(readBytes(buildBmp(recipe)).ok);
    recipe.width = 513;
    expectRefused(buildBmp(recipe));
    // Six pixels per byte of data: 600 x 600 needs 60,000 bytes.
    recipe.width = 600;
    recipe.height = 600;
    recipe.rawPixelData.assign(600 * 600 / 6 - 2, 0);
    for (std::size_t i = 0; i + 1 < recipe.rawPixelData.size(); i += 2) {
        recipe.rawPixelData[i] = 1;  // runs of one black pixel, clipped past the end
    }
    recipe.rawPixelData.push_back(0);
    recipe.rawPixelData.push_back(1);
    EXPECT_TRUE(readBytes(buildBmp(recipe)).ok);
    recipe.rawPixelData.erase(recipe.rawPixelData.begin(), recipe.rawPixelData.begin() + 2);
    expectRefused(buildBmp(recipe));
}

TEST(BmpRead, RandomDamageNeverCrashes) {
    std::vector<std::vector<std::uint8_t>> seeds;
    seeds.push_back(buildBmp(rle8Recipe()));
    seeds.push_back(
        buildBmp(test::rgbRecipe(5, 3, [](int x, int y) { return std::uint32_t(x * y); })));
    BmpRecipe four;
    four.width = 7;
    four.height = 3;
    four.bitsPerPixel = 4;
    four.compression = 2;
    four.coloursUsed = 3;
    four.table = {1, 2, 3};
    four.rawPixelData = {7, 0x12, 0, 0, 0, 5, 0x12, 0x21, 0x10, 0, 0, 2, 1, 1, 3, 0x22, 0, 1};
    seeds.push_back(buildBmp(four));
    std::mt19937 random(12345);
    for (int round = 0; round < 3000; ++round) {
        std::vector<std::uint8_t> bytes = seeds[round % seeds.size()];
        const int flips = 1 + int(random() % 6);
        for (int f = 0; f < flips; ++f) {
            // Mostly the headers, sometimes anywhere.
            const std::size_t limit = (random() % 4 == 0) ? bytes.size() : std::size_t{70};
            bytes[random() % std::min(limit, bytes.size())] = std::uint8_t(random());
        }
        if (random() % 5 == 0) {
            bytes.resize(random() % bytes.size());
        }
        Bitmap out;
        Palette palette;
        MemoryFile file(bytes);
        readBitmapFile(file, out, &palette, 0, 0);
    }
    for (int round = 0; round < 500; ++round) {
        std::vector<std::uint8_t> bytes(random() % 200);
        for (std::uint8_t& b : bytes) {
            b = std::uint8_t(random());
        }
        if (bytes.size() >= 2) {
            bytes[0] = 'B', bytes[1] = 'M';
        }
        Bitmap out;
        MemoryFile file(bytes);
        readBitmapFile(file, out, nullptr, 0, 0);
    }
}

// ---------------------------------------------------------------- writing

TEST(BmpSize, TheHeadersTellThePictureSizeWhateverTheRestHolds) {
    auto sizeOf = [](const std::vector<std::uint8_t>& bytes) {
        MemoryFile file(bytes);
        int width = -1;
        int height = -1;
        const bool ok = readBitmapSize(file, width, height);
        return ok ? std::make_pair(width, height) : std::make_pair(-1, -1);
    };
    BmpRecipe wide = test::rgbRecipe(85, 63, [](int, int) { return 0x123456u; });
    EXPECT_EQ(sizeOf(buildBmp(wide)), std::make_pair(85, 63));
    wide.height = -63;  // rows top-down
    EXPECT_EQ(sizeOf(buildBmp(wide)), std::make_pair(85, 63));
    // Compressed, or with a header too long for the reader: still sized.
    BmpRecipe packed = test::rgbRecipe(84, 63, [](int, int) { return 0u; });
    packed.compression = 1;
    packed.infoSize = 108;
    std::vector<std::uint8_t> bytes = buildBmp(packed);
    bytes.resize(kBmpFileHeaderSize + 12);
    EXPECT_EQ(sizeOf(bytes), std::make_pair(84, 63));

    // The 12-byte header of old pictures holds 16-bit sizes.
    std::vector<std::uint8_t> core = {'B', 'M', 0, 0, 0, 0,   0, 0,  0, 0, 26, 0,  0,
                                      0,   12,  0, 0, 0, 112, 0, 22, 0, 1, 0,  24, 0};
    EXPECT_EQ(sizeOf(core), std::make_pair(112, 22));

    EXPECT_EQ(sizeOf(bytesOf("not a bitmap at all")), std::make_pair(-1, -1));
    EXPECT_EQ(sizeOf(std::vector<std::uint8_t>(core.begin(), core.begin() + 20)),
              std::make_pair(-1, -1));
    BmpRecipe empty = wide;
    empty.width = 0;
    empty.pixels.clear();
    EXPECT_EQ(sizeOf(buildBmp(empty)), std::make_pair(-1, -1));
}

TEST(BmpWrite, PopupIconIs15930BytesWithExactHeaders) {
    const Bitmap icon(84, 63);
    const std::vector<std::uint8_t> bytes = encodeBitmapFile(icon);
    ASSERT_EQ(bytes.size(), 15930u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(le32(bytes, 2), 15930u);
    EXPECT_EQ(le32(bytes, 6), 0u);
    EXPECT_EQ(le32(bytes, 10), 54u);
    EXPECT_EQ(le32(bytes, 14), 40u);
    EXPECT_EQ(le32(bytes, 18), 84u);
    EXPECT_EQ(le32(bytes, 22), 63u);
    EXPECT_EQ(le16(bytes, 26), 1u);
    EXPECT_EQ(le16(bytes, 28), 24u);
    EXPECT_EQ(le32(bytes, 30), 0u);
    EXPECT_EQ(le32(bytes, 34), 252u * 63u);
    for (std::size_t i = 38; i < 54; ++i) {
        EXPECT_EQ(bytes[i], 0) << i;
    }
}

TEST(BmpWrite, RowsAreBottomUpBgrAndPadded) {
    Bitmap b(2, 2);
    b.setPixel(0, 0, Rgb{1, 2, 3});
    b.setPixel(1, 0, Rgb{4, 5, 6});
    b.setPixel(0, 1, Rgb{7, 8, 9});
    b.setPixel(1, 1, Rgb{10, 11, 12});
    const std::vector<std::uint8_t> bytes = encodeBitmapFile(b);
    ASSERT_EQ(bytes.size(), 54u + 16u);
    EXPECT_EQ(le32(bytes, 34), 16u);
    const std::vector<std::uint8_t> rows(bytes.begin() + 54, bytes.end());
    const std::vector<std::uint8_t> expected{9, 8, 7, 12, 11, 10, 0, 0,  // bottom row first
                                             3, 2, 1, 6,  5,  4,  0, 0};
    EXPECT_EQ(rows, expected);
}

TEST(BmpWrite, WriteEmptiesTheFileAndStartsAtZero) {
    MemoryFile file(std::vector<std::uint8_t>(40000, 0xEE));
    ASSERT_TRUE(file.seek(123));
    Bitmap b(3, 1);
    b.setPixel(2, 0, kGreen);
    ASSERT_TRUE(writeBitmapFile(file, b));
    EXPECT_EQ(file.contents(), encodeBitmapFile(b));
}

TEST(BmpWrite, EmptyBitmapIsNotWritten) {
    MemoryFile file(std::vector<std::uint8_t>{1, 2, 3});
    EXPECT_TRUE(encodeBitmapFile(Bitmap()).empty());
    EXPECT_FALSE(writeBitmapFile(file, Bitmap()));
    EXPECT_EQ(file.contents(), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(BmpWrite, RoundTripKeepsEveryPixel) {
    for (int width : {1, 2, 3, 4, 5, 84, 112}) {
        Bitmap b(width, 7);
        for (int y = 0; y < 7; ++y) {
            for (int x = 0; x < width; ++x) {
                b.setPixel(x, y,
                           Rgb{std::uint8_t(x * 3), std::uint8_t(y * 31), std::uint8_t(x ^ y)});
            }
        }
        MemoryFile file;
        ASSERT_TRUE(writeBitmapFile(file, b));
        Bitmap back;
        Palette palette{kRed};
        ASSERT_TRUE(readBitmapFile(file, back, &palette, width, 7)) << width;
        EXPECT_EQ(back, b) << width;
        EXPECT_TRUE(palette.empty());
    }
}

// ---------------------------------------------------------------- atomic writing

const std::string kStripPath = "C:\\Sims\\UIGraphics\\cpanel\\Backgrounds\\JobIconMultiPopup.BMP";

TEST(BmpWriteAtomic, ReplacesTheFileAndReopensIt) {
    test::FakeFileSystem fs;
    fs.putFile(kStripPath, std::string("old contents"));
    Bitmap b(84, 63);
    b.setPixel(5, 5, kRed);
    std::unique_ptr<File> reopened;
    ASSERT_TRUE(writeBitmapFileAtomically(fs, kStripPath, b, &reopened));
    EXPECT_EQ(fs.fileBytes(kStripPath), encodeBitmapFile(b));
    EXPECT_EQ(fs.allFiles().size(), 1u);  // no temporary file left
    ASSERT_NE(reopened, nullptr);
    Bitmap back;
    ASSERT_TRUE(readBitmapFile(*reopened, back, nullptr, 84, 63));
    EXPECT_EQ(back, b);

    // Saving again through the same path while the reopened handle is held.
    b.setPixel(6, 6, kBlue);
    std::unique_ptr<File> again;
    ASSERT_TRUE(writeBitmapFileAtomically(fs, kStripPath, b, &again));
    EXPECT_EQ(fs.fileBytes(kStripPath), encodeBitmapFile(b));
}

TEST(BmpWriteAtomic, FailedReplaceKeepsTheOldFile) {
    test::FakeFileSystem fs;
    fs.putFile(kStripPath, std::string("old contents"));
    fs.setReplaceFailsWhileTargetOpen(true);
    std::unique_ptr<File> held = fs.open(kStripPath, OpenMode::Read);
    ASSERT_NE(held, nullptr);
    std::unique_ptr<File> reopened;
    EXPECT_FALSE(writeBitmapFileAtomically(fs, kStripPath, Bitmap(84, 63), &reopened));
    EXPECT_EQ(fs.fileBytes(kStripPath), bytesOf("old contents"));
    EXPECT_EQ(fs.allFiles().size(), 1u);
}

TEST(BmpWriteAtomic, EveryInjectedFailureKeepsTheOldFile) {
    Bitmap b(84, 63);
    b.setPixel(1, 2, kGreen);
    const std::vector<std::uint8_t> old = bytesOf("the game's own strip");

    test::FakeFileSystem probeFs;
    probeFs.putFile(kStripPath, old);
    test::FaultInjectingFileSystem probe(probeFs);
    ASSERT_TRUE(writeBitmapFileAtomically(probe, kStripPath, b, nullptr));
    const std::uint64_t opens = probe.openCount();
    const std::uint64_t writes = probe.writeCount();
    const std::uint64_t flushes = probe.flushCount();
    const std::uint64_t renames = probe.renameCount();
    ASSERT_GE(writes, 1u);
    ASSERT_GE(renames, 1u);

    enum Kind { Open, Write, Flush, Rename };
    const std::uint64_t counts[] = {opens, writes, flushes, renames};
    for (int kind = Open; kind <= Rename; ++kind) {
        for (std::uint64_t k = 1; k <= counts[kind]; ++k) {
            SCOPED_TRACE(testing::Message() << "kind " << kind << " at " << k);
            test::FakeFileSystem fake;
            fake.putFile(kStripPath, old);
            test::FaultInjectingFileSystem fs(fake);
            switch (kind) {
                case Open:
                    fs.failOpenAt(k);
                    break;
                case Write:
                    fs.failWriteAt(k);
                    break;
                case Flush:
                    fs.failFlushAt(k);
                    break;
                default:
                    fs.failRenameAt(k);
                    break;
            }
            std::unique_ptr<File> reopened;
            const bool ok = writeBitmapFileAtomically(fs, kStripPath, b, &reopened);
            if (ok) {
                // Only a failing reopen may leave a success behind.
                EXPECT_EQ(fake.fileBytes(kStripPath), encodeBitmapFile(b));
            } else {
                EXPECT_EQ(fake.fileBytes(kStripPath), old);
            }
            EXPECT_EQ(fake.allFiles().size(), 1u);
        }
    }
}

TEST(BmpWriteAtomic, EmptyBitmapWritesNothing) {
    test::FakeFileSystem fs;
    fs.putFile(kStripPath, std::string("old"));
    EXPECT_FALSE(writeBitmapFileAtomically(fs, kStripPath, Bitmap(), nullptr));
    EXPECT_EQ(fs.allFiles().size(), 1u);
}

}  // namespace
}  // namespace jf
