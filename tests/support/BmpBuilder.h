#pragma once
// Builds BMP file bytes for tests, independently of the reader and writer.
//
// Pixel values are given per pixel, top row first, and are stored as the
// depth requires: a colour-table index for 1, 4 and 8 bits per pixel, the
// packed 16-bit or 32-bit value for 16 and 32 bits, and 0xRRGGBB for 24 bits.

#include <array>
#include <cstdint>
#include <vector>

namespace jf::test {

struct BmpRecipe {
    std::int32_t width = 0;
    // Positive: rows are stored bottom-up. Negative: top-down.
    std::int32_t height = 0;
    std::uint16_t bitsPerPixel = 24;
    std::uint32_t compression = 0;
    std::uint16_t planes = 1;
    std::uint32_t infoSize = 40;       // the header-size field (the header is always 40 bytes)
    std::uint32_t coloursUsed = 0;     // the colours-used field
    std::uint32_t pixelOffset = 0;     // the file header's offset field; 0 = the real offset
    std::uint32_t imageSize = 0;       // the image-size field; 0 = the real size
    std::vector<std::uint32_t> table;  // colour table entries as 0xRRGGBB, in order
    bool writeMasks = false;           // write `masks` behind the header (before the table)
    std::array<std::uint32_t, 3> masks{};
    // width * |height| values, top row first. When fewer are given, only the
    // top rows they cover in full are stored (bottom-up: they come last).
    std::vector<std::uint32_t> pixels;
    // When not empty, written as the pixel data instead of `pixels` (for
    // run-length data or deliberately short rows).
    std::vector<std::uint8_t> rawPixelData;
};

std::vector<std::uint8_t> buildBmp(const BmpRecipe& recipe);

// Convenience: a 24-bit picture whose pixel (x, y) is colour(x, y) = 0xRRGGBB.
template <typename ColourFn>
BmpRecipe rgbRecipe(int width, int height, ColourFn colour) {
    BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height;
    recipe.bitsPerPixel = 24;
    for (int y = 0; y < (height < 0 ? -height : height); ++y) {
        for (int x = 0; x < width; ++x) {
            recipe.pixels.push_back(colour(x, y));
        }
    }
    return recipe;
}

// Packs three channel values into a 16-bit 5-5-5 or 5-6-5 pixel.
std::uint32_t pack555(unsigned r5, unsigned g5, unsigned b5);
std::uint32_t pack565(unsigned r5, unsigned g6, unsigned b5);

}  // namespace jf::test
