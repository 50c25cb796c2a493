#pragma once
// Reading and writing Windows BMP files into and from plain Bitmaps.
//
// Layout (all fields little-endian): a 14-byte file header (magic "BM", file
// size, reserved, pixel offset), a 40-byte information header (size, width,
// height, planes, bits per pixel, compression, image size, two resolutions,
// colours used, colours important), the colour table, then the pixel rows,
// each padded to a multiple of 4 bytes, bottom row first unless the height is
// negative.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "careers/Bitmap.h"
#include "platform/File.h"
#include "platform/FileSystem.h"

namespace jf {

inline constexpr std::size_t kBmpFileHeaderSize = 14;
inline constexpr std::size_t kBmpInfoHeaderSize = 40;
inline constexpr std::uint16_t kBmpMagic = 19778;  // the bytes "BM"
// Files longer than this are refused without being read.
inline constexpr std::int64_t kBmpMaxFileSize = std::int64_t{512} << 20;

// The two headers exactly as they were read from a file.
struct BmpHeaders {
    std::array<std::uint8_t, kBmpFileHeaderSize> fileHeader{};
    std::array<std::uint8_t, kBmpInfoHeaderSize> infoHeader{};
};

// Reads a whole BMP file from its start into `out`.
//
// Accepted: information header of exactly 40 bytes; 1, 4 and 8 bits per pixel
// with a colour table; 16 bits (5-5-5 without compression, any contiguous
// masks with compression 3 "bit fields"); 24 bits; 32 bits (blue, green, red,
// unused without compression, masks with compression 3); run-length encoded
// 8-bit (compression 1) and 4-bit (compression 2) pictures, which are
// decoded; rows bottom-up, or top-down when the height is negative (not for
// run-length pictures). Everything else is refused, as are sizes outside
// Bitmap::isValidSize and files whose pixel rows do not fit in them.
//
// Where the pixels start: behind the information header and the colour table,
// never at the file header's offset field. The colour table has n entries of
// 4 bytes (blue, green, red, unused) for 8 bits per pixel or less, where n is
// the colours-used field or, when that is 0, 2 to the power of the bits per
// pixel; for deeper pictures it has as many entries as colours used, after
// three 4-byte masks when the compression is 3.
//
// When width and height are both non-zero the picture must be exactly that
// big (a top-down picture counts with its height made positive).
//
// On success `out` holds the picture; `palette` (when not null) receives the
// colour table when it has at most 256 entries, else becomes empty;
// `headers` (when not null) receives the two headers. On failure none of
// them is changed. The file's cursor is left unspecified either way.
bool readBitmapFile(File& file, Bitmap& out, Palette* palette, int width, int height,
                    BmpHeaders* headers = nullptr);

// The picture size a BMP file states in its headers, whether or not the
// rest of it can be read: the width and the height made positive. Besides
// the 40-byte information header, the older 12-byte one (16-bit sizes) and
// the longer ones are understood. False, with `width` and `height`
// unchanged, when the file does not start with such headers or states no
// positive size.
bool readBitmapSize(File& file, int& width, int& height);

// The same for a BMP file held in memory (bytes[0..size) is the whole file).
bool decodeBitmapFile(const std::uint8_t* bytes, std::size_t size, Bitmap& out, Palette* palette,
                      int width, int height, BmpHeaders* headers = nullptr);

// The complete BMP file for `bitmap`: 24 bits per pixel, uncompressed, rows
// bottom-up, pixel offset 54. Empty when the bitmap is empty (or memory ran
// out).
std::vector<std::uint8_t> encodeBitmapFile(const Bitmap& bitmap);

// Empties `file` and writes encodeBitmapFile(bitmap) from its start. False
// when the bitmap is empty or a write fails; the file may then hold part of
// the picture (use writeBitmapFileAtomically to rule that out).
bool writeBitmapFile(File& file, const Bitmap& bitmap);

// Replaces the file at `path` by encodeBitmapFile(bitmap) all-or-nothing (see
// writeFileAtomically): on failure the old file is unchanged. On success,
// when `reopened` is not null, it receives a read-write handle on the new
// file (nullptr when that reopen failed); a handle the caller held on the old
// file must be replaced by it, as it no longer refers to the file at `path`.
bool writeBitmapFileAtomically(FileSystem& fs, const std::string& path, const Bitmap& bitmap,
                               std::unique_ptr<File>* reopened);

}  // namespace jf
