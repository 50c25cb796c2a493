#include "careers/BmpFile.h"

#include <algorithm>
#include <bit>
#include <limits>
#include <new>
#include <utility>

#include "platform/ByteOrder.h"

namespace jf {

namespace {

// Field offsets inside the information header.
constexpr std::size_t kInfoSize = 0;
constexpr std::size_t kInfoWidth = 4;
constexpr std::size_t kInfoHeight = 8;
constexpr std::size_t kInfoPlanes = 12;
constexpr std::size_t kInfoBitsPerPixel = 14;
constexpr std::size_t kInfoCompression = 16;
constexpr std::size_t kInfoImageSize = 20;
constexpr std::size_t kInfoColoursUsed = 32;

// Field offsets inside the file header.
constexpr std::size_t kFileMagic = 0;
constexpr std::size_t kFileSize = 2;
constexpr std::size_t kFileReserved = 6;
constexpr std::size_t kFilePixelOffset = 10;

constexpr std::uint32_t kCompressionNone = 0;
constexpr std::uint32_t kCompressionRle8 = 1;
constexpr std::uint32_t kCompressionRle4 = 2;
constexpr std::uint32_t kCompressionBitFields = 3;

constexpr std::size_t kColourEntrySize = 4;
constexpr std::size_t kMaskCount = 3;
constexpr std::size_t kMaxPaletteSize = 256;
constexpr std::uint16_t kWrittenBitsPerPixel = 24;
// Run-length pictures: any area up to 512 x 512 pixels (the game's icons and
// strips of them need far less), beyond it at most 6 pixels per byte of data,
// so that a small hostile file cannot make us allocate many times its size.
// A real picture that large and compressed better than that is refused.
constexpr std::uint64_t kRleFreeArea = std::uint64_t{1} << 18;
constexpr std::uint64_t kRlePixelsPerByte = 6;

// Masks of the 16-bit 5-5-5 format and of the 32-bit format without bit fields.
constexpr std::uint32_t kRed555 = 0x7C00;
constexpr std::uint32_t kGreen555 = 0x03E0;
constexpr std::uint32_t kBlue555 = 0x001F;
constexpr std::uint32_t kRed888 = 0x00FF0000;
constexpr std::uint32_t kGreen888 = 0x0000FF00;
constexpr std::uint32_t kBlue888 = 0x000000FF;

// Bytes in one stored row of `width` pixels, padded to a multiple of 4.
std::uint64_t rowStride(std::uint64_t bitsPerPixel, std::uint64_t width) {
    return ((bitsPerPixel * width + 31) & ~std::uint64_t{31}) / 8;
}

// One colour channel of a packed pixel: where its bits are and how to widen
// them to 8 bits.
class Channel {
public:
    // False for a mask whose bits are not contiguous.
    bool setMask(std::uint32_t mask) {
        mask_ = mask;
        shift_ = mask == 0 ? 0 : std::countr_zero(mask);
        const std::uint32_t bits = mask >> shift_;
        if ((bits & (bits + 1)) != 0) {
            return false;
        }
        width_ = std::popcount(bits);
        return true;
    }

    std::uint8_t extract(std::uint32_t pixel) const {
        if (width_ == 0) {
            return 0;
        }
        const std::uint32_t value = (pixel & mask_) >> shift_;
        if (width_ >= 8) {
            return static_cast<std::uint8_t>(value >> (width_ - 8));
        }
        const std::uint32_t max = (std::uint32_t{1} << width_) - 1;
        return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
    }

private:
    std::uint32_t mask_ = 0;
    int shift_ = 0;
    int width_ = 0;
};

// The fields of an information header that reading depends on, checked.
struct PictureLayout {
    int width = 0;
    int height = 0;  // always positive
    bool topDown = false;
    unsigned bitsPerPixel = 0;
    std::uint32_t compression = 0;
    std::uint64_t colourCount = 0;  // n: colours used, or 2^bits when that is 0
    std::size_t tableOffset = 0;    // offset of the colour table in the buffer
    std::size_t tableEntries = 0;
    std::size_t pixelOffset = 0;  // offset of the pixel data in the buffer
    Channel red, green, blue;
};

bool validDepthAndCompression(unsigned bits, std::uint32_t compression, bool topDown) {
    const bool knownDepth =
        bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    if (!knownDepth) {
        return false;
    }
    switch (compression) {
        case kCompressionNone:
            return true;
        case kCompressionRle8:
            return bits == 8 && !topDown;
        case kCompressionRle4:
            return bits == 4 && !topDown;
        case kCompressionBitFields:
            return bits == 16 || bits == 32;
        default:
            return false;  // JPEG, PNG and the like
    }
}

// Reads and checks the information header at the start of `info` (infoSize
// bytes: the file without its file header).
bool readLayout(const std::uint8_t* info, std::size_t infoSize, int requiredWidth,
                int requiredHeight, PictureLayout& layout) {
    if (infoSize < kBmpInfoHeaderSize) {
        return false;
    }
    // Other header sizes (OS/2 12-byte, V4 108-byte, V5 124-byte) place the
    // colour table elsewhere; reading them as 40-byte headers would misplace
    // the pixels, so they are refused.
    if (readLE32(info + kInfoSize) != kBmpInfoHeaderSize) {
        return false;
    }
    const auto width = static_cast<std::int32_t>(readLE32(info + kInfoWidth));
    const auto rawHeight = static_cast<std::int32_t>(readLE32(info + kInfoHeight));
    const std::int64_t height = rawHeight < 0 ? -std::int64_t{rawHeight} : rawHeight;
    if (!Bitmap::isValidSize(width, height)) {
        return false;
    }
    layout.width = width;
    layout.height = static_cast<int>(height);
    layout.topDown = rawHeight < 0;
    if (requiredWidth != 0 && requiredHeight != 0 &&
        (layout.width != requiredWidth || layout.height != requiredHeight)) {
        return false;
    }

    layout.bitsPerPixel = readLE16(info + kInfoBitsPerPixel);
    layout.compression = readLE32(info + kInfoCompression);
    if (!validDepthAndCompression(layout.bitsPerPixel, layout.compression, layout.topDown)) {
        return false;
    }

    const std::uint64_t coloursUsed = readLE32(info + kInfoColoursUsed);
    layout.colourCount = coloursUsed != 0 ? coloursUsed : std::uint64_t{1} << layout.bitsPerPixel;
    const bool indexed = layout.bitsPerPixel <= 8;
    const std::uint64_t entries = indexed ? layout.colourCount : coloursUsed;
    const std::uint64_t maskBytes =
        layout.compression == kCompressionBitFields ? kMaskCount * kColourEntrySize : 0;
    // Fits in 64 bits: entries < 2^32.
    const std::uint64_t pixelOffset = kBmpInfoHeaderSize + maskBytes + entries * kColourEntrySize;
    if (pixelOffset > infoSize) {
        return false;
    }
    layout.tableOffset = kBmpInfoHeaderSize + static_cast<std::size_t>(maskBytes);
    layout.tableEntries = static_cast<std::size_t>(entries);
    layout.pixelOffset = static_cast<std::size_t>(pixelOffset);

    std::uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    if (layout.compression == kCompressionBitFields) {
        // The masks come first, directly behind the information header.
        redMask = readLE32(info + kBmpInfoHeaderSize);
        greenMask = readLE32(info + kBmpInfoHeaderSize + kColourEntrySize);
        blueMask = readLE32(info + kBmpInfoHeaderSize + 2 * kColourEntrySize);
        if (layout.bitsPerPixel == 16 && ((redMask | greenMask | blueMask) >> 16) != 0) {
            return false;
        }
    } else if (layout.bitsPerPixel == 16) {
        redMask = kRed555, greenMask = kGreen555, blueMask = kBlue555;
    } else if (layout.bitsPerPixel == 32) {
        redMask = kRed888, greenMask = kGreen888, blueMask = kBlue888;
    }
    return layout.red.setMask(redMask) && layout.green.setMask(greenMask) &&
           layout.blue.setMask(blueMask);
}

// The colours an index can select; indexes past the table give black.
std::vector<Rgb> colourTable(const std::uint8_t* info, const PictureLayout& layout) {
    std::vector<Rgb> table;
    if (layout.bitsPerPixel > 8) {
        return table;
    }
    const std::size_t used = std::min<std::size_t>(layout.tableEntries, kMaxPaletteSize);
    table.assign(kMaxPaletteSize, Rgb{});
    for (std::size_t i = 0; i < used; ++i) {
        const std::uint8_t* e = info + layout.tableOffset + i * kColourEntrySize;
        table[i] = Rgb{e[2], e[1], e[0]};
    }
    return table;
}

Palette buildPalette(const std::uint8_t* info, const PictureLayout& layout) {
    Palette palette;
    if (layout.colourCount > kMaxPaletteSize) {
        return palette;
    }
    // colourCount <= 256 means the table holds exactly that many entries.
    palette.reserve(layout.tableEntries);
    for (std::size_t i = 0; i < layout.tableEntries; ++i) {
        const std::uint8_t* e = info + layout.tableOffset + i * kColourEntrySize;
        palette.push_back(Rgb{e[2], e[1], e[0]});
    }
    return palette;
}

// Whether the buffer can hold the picture's pixel data; checked before the
// picture is allocated, so that a header alone cannot demand a big one.
// Uncompressed rows must be there in full. Run-length data can describe a
// large area in few bytes (runs of up to 255 pixels per 2 bytes, and skips),
// so their area is limited to kRleFreeArea pixels or kRlePixelsPerByte per
// byte of data, whichever is more.
bool pixelDataFits(std::size_t infoSize, const PictureLayout& layout) {
    const std::uint64_t available = infoSize - layout.pixelOffset;
    if (layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4) {
        const std::uint64_t area = std::uint64_t(layout.width) * std::uint64_t(layout.height);
        return area <= std::max(kRleFreeArea, available * kRlePixelsPerByte);
    }
    const std::uint64_t stride = rowStride(layout.bitsPerPixel, std::uint64_t(layout.width));
    return stride * std::uint64_t(layout.height) <= available;
}

bool decodeUncompressed(const std::uint8_t* info, const PictureLayout& layout, Bitmap& picture) {
    const std::uint64_t stride = rowStride(layout.bitsPerPixel, std::uint64_t(layout.width));
    const std::vector<Rgb> table = colourTable(info, layout);
    const unsigned bits = layout.bitsPerPixel;
    for (int r = 0; r < layout.height; ++r) {
        const std::uint8_t* src = info + layout.pixelOffset + std::size_t(r) * std::size_t(stride);
        std::uint8_t* dst = picture.row(layout.topDown ? r : layout.height - 1 - r);
        if (bits == 24) {
            // The common depth of the game's pictures: blue, green, red to
            // red, green, blue, in a loop of its own.
            for (int x = 0; x < layout.width; ++x, src += 3, dst += Bitmap::kBytesPerPixel) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
            continue;
        }
        if (bits == 8) {
            for (int x = 0; x < layout.width; ++x, dst += Bitmap::kBytesPerPixel) {
                const Rgb c = table[src[x]];
                dst[0] = c.red;
                dst[1] = c.green;
                dst[2] = c.blue;
            }
            continue;
        }
        for (int x = 0; x < layout.width; ++x, dst += Bitmap::kBytesPerPixel) {
            Rgb c;
            if (bits <= 8) {
                const std::size_t bitPos = std::size_t(x) * bits;
                const unsigned shift = 8 - bits - unsigned(bitPos % 8);
                const unsigned index = (src[bitPos / 8] >> shift) & ((1u << bits) - 1);
                c = table[index];
            } else {
                const std::uint32_t v = bits == 16 ? readLE16(src + std::size_t(x) * 2)
                                                   : readLE32(src + std::size_t(x) * 4);
                c = Rgb{layout.red.extract(v), layout.green.extract(v), layout.blue.extract(v)};
            }
            dst[0] = c.red;
            dst[1] = c.green;
            dst[2] = c.blue;
        }
    }
    return true;
}

// Run-length encoded 8-bit and 4-bit pictures. Pixels the data skip (by a
// delta, an early end of line or an early end of picture) stay black, and
// pixels past the right edge are dropped. Data that stop inside a command, or
// before the last row was reached without an end-of-picture mark, fail.
bool decodeRunLength(const std::uint8_t* info, std::size_t infoSize, const PictureLayout& layout,
                     Bitmap& picture) {
    // Callers have checked pixelDataFits.
    const bool rle4 = layout.compression == kCompressionRle4;
    const std::vector<Rgb> table = colourTable(info, layout);
    std::size_t pos = layout.pixelOffset;
    std::size_t end = infoSize;
    const std::uint32_t imageSize = readLE32(info + kInfoImageSize);
    if (imageSize != 0 && imageSize <= infoSize - pos) {
        end = pos + imageSize;
    }
    int x = 0;
    int rowFromBottom = 0;
    auto put = [&](unsigned index) {
        if (x < layout.width) {
            const Rgb c = table[index];
            picture.setPixel(x, layout.height - 1 - rowFromBottom, c);
            ++x;
        }
    };
    while (rowFromBottom < layout.height) {
        if (end - pos < 2) {
            return false;
        }
        const unsigned count = info[pos];
        const unsigned value = info[pos + 1];
        pos += 2;
        if (count > 0) {
            for (unsigned k = 0; k < count; ++k) {
                put(rle4 ? ((k % 2 == 0) ? value >> 4 : value & 0x0F) : value);
            }
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++rowFromBottom;
                break;
            case 1:  // end of picture
                return true;
            case 2:  // delta: move right and up
                if (end - pos < 2) {
                    return false;
                }
                x = std::min(x + int(info[pos]), layout.width);
                rowFromBottom += info[pos + 1];
                pos += 2;
                break;
            default: {  // absolute run of `value` pixels, padded to 2 bytes
                std::size_t bytes = rle4 ? (value + 1) / 2 : value;
                bytes += bytes % 2;
                if (end - pos < bytes) {
                    return false;
                }
                for (unsigned k = 0; k < value; ++k) {
                    const std::uint8_t b = info[pos + (rle4 ? k / 2 : k)];
                    put(rle4 ? ((k % 2 == 0) ? b >> 4 : b & 0x0F) : b);
                }
                pos += bytes;
                break;
            }
        }
    }
    return true;  // every row reached
}

bool decodeInfo(const std::uint8_t* info, std::size_t infoSize, int requiredWidth,
                int requiredHeight, Bitmap& picture, Palette& palette) {
    PictureLayout layout;
    if (!readLayout(info, infoSize, requiredWidth, requiredHeight, layout)) {
        return false;
    }
    if (!pixelDataFits(infoSize, layout)) {
        return false;
    }
    Bitmap result(layout.width, layout.height);
    if (result.isNull()) {
        return false;
    }
    const bool rle =
        layout.compression == kCompressionRle8 || layout.compression == kCompressionRle4;
    if (!(rle ? decodeRunLength(info, infoSize, layout, result)
              : decodeUncompressed(info, layout, result))) {
        return false;
    }
    palette = buildPalette(info, layout);
    picture = std::move(result);
    return true;
}

bool decodeParts(const std::uint8_t* fileHeader, const std::uint8_t* info, std::size_t infoSize,
                 Bitmap& out, Palette* palette, int width, int height, BmpHeaders* headers) {
    if (readLE16(fileHeader + kFileMagic) != kBmpMagic) {
        return false;
    }
    try {
        Bitmap picture;
        Palette colours;
        if (!decodeInfo(info, infoSize, width, height, picture, colours)) {
            return false;
        }
        out = std::move(picture);
        if (palette != nullptr) {
            *palette = std::move(colours);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (headers != nullptr) {
        std::copy(fileHeader, fileHeader + kBmpFileHeaderSize, headers->fileHeader.begin());
        std::copy(info, info + kBmpInfoHeaderSize, headers->infoHeader.begin());
    }
    return true;
}

}  // namespace

bool decodeBitmapFile(const std::uint8_t* bytes, std::size_t size, Bitmap& out, Palette* palette,
                      int width, int height, BmpHeaders* headers) {
    if (bytes == nullptr || size < kBmpFileHeaderSize) {
        return false;
    }
    return decodeParts(bytes, bytes + kBmpFileHeaderSize, size - kBmpFileHeaderSize, out, palette,
                       width, height, headers);
}

bool readBitmapFile(File& file, Bitmap& out, Palette* palette, int width, int height,
                    BmpHeaders* headers) {
    std::uint8_t fileHeader[kBmpFileHeaderSize];
    if (!file.seek(0) || !file.readExact(fileHeader, sizeof fileHeader) ||
        readLE16(fileHeader + kFileMagic) != kBmpMagic) {
        return false;
    }
    const std::int64_t length = file.length();
    if (length < std::int64_t(kBmpFileHeaderSize + kBmpInfoHeaderSize) ||
        length > kBmpMaxFileSize) {
        return false;
    }
    std::vector<std::uint8_t> info;
    try {
        info.resize(static_cast<std::size_t>(length) - kBmpFileHeaderSize);
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!file.readExact(info.data(), info.size())) {
        return false;
    }
    return decodeParts(fileHeader, info.data(), info.size(), out, palette, width, height, headers);
}

bool readBitmapSize(File& file, int& width, int& height) {
    // The file header, the information header's size and the two sizes.
    constexpr std::size_t kCoreHeaderSize = 12;
    constexpr std::size_t kNeeded = kBmpFileHeaderSize + kInfoHeight + 4;
    std::uint8_t bytes[kNeeded] = {};
    if (!file.seek(0) || !file.readExact(bytes, kBmpFileHeaderSize + kInfoWidth) ||
        readLE16(bytes + kFileMagic) != kBmpMagic) {
        return false;
    }
    const std::uint8_t* info = bytes + kBmpFileHeaderSize;
    const std::uint32_t infoSize = readLE32(info + kInfoSize);
    std::int64_t w = 0;
    std::int64_t h = 0;
    if (infoSize == kCoreHeaderSize) {
        if (!file.readExact(bytes + kBmpFileHeaderSize + kInfoWidth, 4)) {
            return false;
        }
        w = readLE16(info + kInfoWidth);
        h = readLE16(info + kInfoWidth + 2);
    } else if (infoSize >= kInfoHeight + 4) {
        if (!file.readExact(bytes + kBmpFileHeaderSize + kInfoWidth, 8)) {
            return false;
        }
        w = static_cast<std::int32_t>(readLE32(info + kInfoWidth));
        h = static_cast<std::int32_t>(readLE32(info + kInfoHeight));
        h = h < 0 ? -h : h;
    } else {
        return false;
    }
    if (w <= 0 || h <= 0 || h > std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

std::vector<std::uint8_t> encodeBitmapFile(const Bitmap& bitmap) {
    std::vector<std::uint8_t> bytes;
    if (bitmap.isNull()) {
        return bytes;
    }
    const int width = bitmap.width();
    const int height = bitmap.height();
    const std::uint64_t stride = rowStride(kWrittenBitsPerPixel, std::uint64_t(width));
    const std::uint64_t imageSize = stride * std::uint64_t(height);
    const std::size_t headerSize = kBmpFileHeaderSize + kBmpInfoHeaderSize;
    try {
        bytes.assign(headerSize + static_cast<std::size_t>(imageSize), 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    std::uint8_t* fh = bytes.data();
    writeLE16(fh + kFileMagic, kBmpMagic);
    writeLE32(fh + kFileSize, static_cast<std::uint32_t>(headerSize + imageSize));
    writeLE32(fh + kFileReserved, 0);
    writeLE32(fh + kFilePixelOffset, static_cast<std::uint32_t>(headerSize));
    std::uint8_t* ih = fh + kBmpFileHeaderSize;
    writeLE32(ih + kInfoSize, kBmpInfoHeaderSize);
    writeLE32(ih + kInfoWidth, static_cast<std::uint32_t>(width));
    writeLE32(ih + kInfoHeight, static_cast<std::uint32_t>(height));  // positive: bottom-up
    writeLE16(ih + kInfoPlanes, 1);
    writeLE16(ih + kInfoBitsPerPixel, kWrittenBitsPerPixel);
    writeLE32(ih + kInfoCompression, kCompressionNone);
    writeLE32(ih + kInfoImageSize, static_cast<std::uint32_t>(imageSize));
    // Resolutions, colours used and colours important stay 0.
    for (int r = 0; r < height; ++r) {
        const std::uint8_t* src = bitmap.row(height - 1 - r);
        std::uint8_t* dst = bytes.data() + headerSize + std::size_t(r) * std::size_t(stride);
        for (int x = 0; x < width; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
    }
    return bytes;
}

bool writeBitmapFile(File& file, const Bitmap& bitmap) {
    const std::vector<std::uint8_t> bytes = encodeBitmapFile(bitmap);
    if (bytes.empty()) {
        return false;
    }
    return file.truncate(0) && file.seek(0) && file.write(bytes.data(), bytes.size());
}

bool writeBitmapFileAtomically(FileSystem& fs, const std::string& path, const Bitmap& bitmap,
                               std::unique_ptr<File>* reopened) {
    const std::vector<std::uint8_t> bytes = encodeBitmapFile(bitmap);
    if (bytes.empty()) {
        return false;
    }
    return writeFileAtomically(fs, path, bytes.data(), bytes.size(), reopened, OpenMode::ReadWrite);
}

}  // namespace jf
