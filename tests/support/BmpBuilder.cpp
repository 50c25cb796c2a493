#include "support/BmpBuilder.h"

#include <algorithm>

namespace jf::test {

namespace {
void le16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}
void le32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(std::uint8_t(v >> shift));
    }
}
void setLe32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out[at + i] = std::uint8_t(v >> (8 * i));
    }
}

std::vector<std::uint8_t> packedPixels(const BmpRecipe& recipe) {
    if (recipe.width <= 0 || recipe.bitsPerPixel == 0) {
        return {};
    }
    const std::size_t width = std::size_t(recipe.width);
    const std::int64_t fullHeight =
        recipe.height < 0 ? -std::int64_t{recipe.height} : recipe.height;
    // Only the rows that `pixels` covers in full are stored.
    const int height = int(std::min<std::int64_t>(fullHeight, recipe.pixels.size() / width));
    const unsigned bits = recipe.bitsPerPixel;
    const std::size_t stride = ((std::size_t(bits) * width + 31) / 32) * 4;
    std::vector<std::uint8_t> data(stride * height, 0);
    for (int stored = 0; stored < height; ++stored) {
        // Stored row `stored` is picture row y.
        const int y = recipe.height < 0 ? stored : height - 1 - stored;
        std::uint8_t* row = data.data() + stride * stored;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint32_t v = recipe.pixels[std::size_t(y) * width + x];
            if (bits < 8) {
                const std::size_t bit = x * bits;
                row[bit / 8] |= std::uint8_t((v & ((1u << bits) - 1)) << (8 - bits - bit % 8));
            } else if (bits == 8) {
                row[x] = std::uint8_t(v);
            } else if (bits == 16) {
                row[2 * x] = std::uint8_t(v);
                row[2 * x + 1] = std::uint8_t(v >> 8);
            } else if (bits == 24) {
                row[3 * x] = std::uint8_t(v);            // blue
                row[3 * x + 1] = std::uint8_t(v >> 8);   // green
                row[3 * x + 2] = std::uint8_t(v >> 16);  // red
            } else {
                for (int k = 0; k < 4; ++k) {
                    row[4 * x + k] = std::uint8_t(v >> (8 * k));
                }
            }
        }
    }
    return data;
}
}  // namespace

std::vector<std::uint8_t> buildBmp(const BmpRecipe& recipe) {
    const std::vector<std::uint8_t> pixels =
        recipe.rawPixelData.empty() ? packedPixels(recipe) : recipe.rawPixelData;
    std::vector<std::uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    le32(out, 0);  // file size, set below
    le32(out, 0);  // reserved
    le32(out, 0);  // pixel offset, set below
    le32(out, recipe.infoSize);
    le32(out, std::uint32_t(recipe.width));
    le32(out, std::uint32_t(recipe.height));
    le16(out, recipe.planes);
    le16(out, recipe.bitsPerPixel);
    le32(out, recipe.compression);
    le32(out, recipe.imageSize != 0 ? recipe.imageSize : std::uint32_t(pixels.size()));
    le32(out, 2835);  // 72 dpi
    le32(out, 2835);
    le32(out, recipe.coloursUsed);
    le32(out, 0);
    if (recipe.writeMasks) {
        for (std::uint32_t m : recipe.masks) {
            le32(out, m);
        }
    }
    for (std::uint32_t c : recipe.table) {
        out.push_back(std::uint8_t(c));        // blue
        out.push_back(std::uint8_t(c >> 8));   // green
        out.push_back(std::uint8_t(c >> 16));  // red
        out.push_back(0);
    }
    const std::size_t offset = out.size();
    out.insert(out.end(), pixels.begin(), pixels.end());
    setLe32(out, 2, std::uint32_t(out.size()));
    setLe32(out, 10, recipe.pixelOffset != 0 ? recipe.pixelOffset : std::uint32_t(offset));
    return out;
}

std::uint32_t pack555(unsigned r5, unsigned g5, unsigned b5) {
    return ((r5 & 31u) << 10) | ((g5 & 31u) << 5) | (b5 & 31u);
}

std::uint32_t pack565(unsigned r5, unsigned g6, unsigned b5) {
    return ((r5 & 31u) << 11) | ((g6 & 63u) << 5) | (b5 & 31u);
}

}  // namespace jf::test
