// BMP files: reading from memory and from a file must agree; what reads
// writes as a 24-bit file that reads back to the same picture, and writing
// that again gives the same bytes.
//
// Input: byte 0 chooses the size the caller demands (0 and 3..255 any size,
// 1 a popup icon 84 x 63, 2 a button icon 112 x 22), the rest is the file.
#include "FuzzSupport.h"
#include "careers/BmpFile.h"

namespace jf::fuzz {
// Helpers in a namespace of their own: the replay test compiles every
// target into one translation unit.
namespace bmp_target {
constexpr const char* kTarget = "bmp";
}  // namespace bmp_target

int runBmp(const std::uint8_t* data, std::size_t size) {
    using namespace bmp_target;
    if (size < 1) {
        return 0;
    }
    int width = 0;
    int height = 0;
    if (data[0] == 1) {
        width = 84;
        height = 63;
    } else if (data[0] == 2) {
        width = 112;
        height = 22;
    }
    const std::uint8_t* file = data + 1;
    const std::size_t length = size - 1;

    Bitmap picture;
    Palette palette;
    BmpHeaders headers;
    const bool decoded = decodeBitmapFile(file, length, picture, &palette, width, height, &headers);

    MemoryFile handle(Bytes(file, file + length));
    Bitmap fromFile;
    Palette filePalette;
    const bool read = readBitmapFile(handle, fromFile, &filePalette, width, height);
    check(read == decoded, kTarget, "reading from a file and from memory disagree");
    if (!decoded) {
        check(picture.isNull() && palette.empty(), kTarget, "a failed read changed the outputs");
        return 0;
    }
    check(fromFile == picture && filePalette == palette, kTarget,
          "reading from a file gives another picture");
    check(!picture.isNull() && Bitmap::isValidSize(picture.width(), picture.height()), kTarget,
          "an invalid picture size was accepted");
    check(width == 0 || (picture.width() == width && picture.height() == height), kTarget,
          "the demanded size was not enforced");
    check(palette.size() <= 256, kTarget, "a palette of more than 256 colours");
    // Copies are dropped as soon as they have been compared, so that the
    // memory watch sees the reader's cost rather than this target's.
    fromFile = Bitmap();

    const Bytes encoded = encodeBitmapFile(picture);
    check(!encoded.empty(), kTarget, "encoding a picture failed");
    Bitmap again;
    check(
        decodeBitmapFile(encoded.data(), encoded.size(), again, nullptr, 0, 0) && again == picture,
        kTarget, "the written file reads back differently");
    picture = Bitmap();
    check(encodeBitmapFile(again) == encoded, kTarget, "writing again gives other bytes");
    return 0;
}

}  // namespace jf::fuzz
