#pragma once
// A plain picture in memory: 24-bit RGB pixels, top row first, with no tie to
// any display. The career icon strips and single icons are held this way.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace jf {

struct Rgb {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The colours of a picture's colour table, in table order. Empty for pictures
// without one (or with more than 256 colours).
using Palette = std::vector<Rgb>;

class Bitmap {
public:
    // Largest width or height a Bitmap accepts.
    static constexpr int kMaxDimension = 32768;
    // Largest pixel count a Bitmap accepts (8192 x 8192), so that no picture
    // needs more than 192 MiB.
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 26;
    static constexpr int kBytesPerPixel = 3;

    // An empty bitmap: 0 x 0, isNull() is true.
    Bitmap() = default;

    // A black picture of the given size. Sizes outside 1..kMaxDimension or
    // beyond kMaxPixels give an empty bitmap instead (check isNull()).
    Bitmap(int width, int height);

    // True when the size is acceptable for the constructor above.
    static bool isValidSize(std::int64_t width, std::int64_t height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isNull() const { return width_ == 0 || height_ == 0; }

    // The pixel at column x, row y (row 0 is the top). Outside the picture
    // pixel() gives black and setPixel() does nothing.
    Rgb pixel(int x, int y) const;
    void setPixel(int x, int y, Rgb colour);

    // The pixel bytes: red, green, blue per pixel, rows top first, no padding;
    // width() * height() * 3 bytes.
    const std::vector<std::uint8_t>& rgb() const { return rgb_; }
    // The first byte of row y; y must be in 0..height()-1.
    std::uint8_t* row(int y) { return rgb_.data() + rowOffset(y); }
    const std::uint8_t* row(int y) const { return rgb_.data() + rowOffset(y); }

    // Copies the area of w x h pixels at (x, y) into `out`, which becomes a new
    // w x h picture. False, with `out` unchanged, unless the area lies wholly
    // inside this picture and is not empty.
    bool copyArea(int x, int y, int w, int h, Bitmap& out) const;

    // Copies the top-left w x h pixels of `source` into this picture at (x, y).
    // False, with nothing changed, unless that area lies wholly inside both
    // pictures and is not empty.
    bool pasteArea(const Bitmap& source, int w, int h, int x, int y);

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    std::size_t rowOffset(int y) const {
        return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) * kBytesPerPixel;
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

}  // namespace jf
