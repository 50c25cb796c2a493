#include "careers/Bitmap.h"

#include <algorithm>
#include <new>
#include <utility>

namespace jf {

bool Bitmap::isValidSize(std::int64_t width, std::int64_t height) {
    return width >= 1 && height >= 1 && width <= kMaxDimension && height <= kMaxDimension &&
           width * height <= kMaxPixels;
}

Bitmap::Bitmap(int width, int height) {
    if (!isValidSize(width, height)) {
        return;
    }
    try {
        rgb_.assign(
            static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * kBytesPerPixel, 0);
    } catch (const std::bad_alloc&) {
        return;  // stays empty
    }
    width_ = width;
    height_ = height;
}

Rgb Bitmap::pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return {};
    }
    const std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * kBytesPerPixel;
    return Rgb{p[0], p[1], p[2]};
}

void Bitmap::setPixel(int x, int y, Rgb colour) {
    if (x < 0 || y < 0 || x >= width_ || y >= height_) {
        return;
    }
    std::uint8_t* p = row(y) + static_cast<std::size_t>(x) * kBytesPerPixel;
    p[0] = colour.red;
    p[1] = colour.green;
    p[2] = colour.blue;
}

namespace {

// True when the w x h area at (x, y) is not empty and lies inside a picture
// of width x height. Computed in 64 bits so that no sum can overflow.
bool areaInside(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h, std::int64_t width,
                std::int64_t height) {
    return w > 0 && h > 0 && x >= 0 && y >= 0 && x + w <= width && y + h <= height;
}

}  // namespace

bool Bitmap::copyArea(int x, int y, int w, int h, Bitmap& out) const {
    if (!areaInside(x, y, w, h, width_, height_)) {
        return false;
    }
    Bitmap result(w, h);
    if (result.isNull()) {
        return false;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(w) * kBytesPerPixel;
    for (int r = 0; r < h; ++r) {
        const std::uint8_t* from = row(y + r) + static_cast<std::size_t>(x) * kBytesPerPixel;
        std::copy(from, from + rowBytes, result.row(r));
    }
    out = std::move(result);
    return true;
}

bool Bitmap::pasteArea(const Bitmap& source, int w, int h, int x, int y) {
    if (!areaInside(0, 0, w, h, source.width_, source.height_) ||
        !areaInside(x, y, w, h, width_, height_)) {
        return false;
    }
    if (&source == this) {
        // Rows may overlap; paste from a copy.
        try {
            const Bitmap copy = source;
            return pasteArea(copy, w, h, x, y);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    const std::size_t rowBytes = static_cast<std::size_t>(w) * kBytesPerPixel;
    for (int r = 0; r < h; ++r) {
        const std::uint8_t* from = source.row(r);
        std::copy(from, from + rowBytes, row(y + r) + static_cast<std::size_t>(x) * kBytesPerPixel);
    }
    return true;
}

}  // namespace jf
