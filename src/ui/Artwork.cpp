#include "ui/Artwork.h"

#include <cstring>

#include "careers/Bitmap.h"

// Resources compiled into a static library have to be registered by hand.
static void registerArtwork() {
    static const bool registered = [] {
        Q_INIT_RESOURCE(jobforge3);
        return true;
    }();
    (void)registered;
}

namespace jf {

namespace {
// The program icon at the sizes rendered from resources/icons/jobforge3.svg.
constexpr int kIconSizes[] = {16, 32, 48, 64, 128, 256};
constexpr char kIconPathPattern[] = ":/jobforge3/icon-%1.png";
constexpr char kPlaceholderPath[] = ":/jobforge3/placeholder.xpm";
}  // namespace

QIcon programIcon() {
    registerArtwork();
    QIcon icon;
    for (int size : kIconSizes) {
        icon.addFile(QString::fromLatin1(kIconPathPattern).arg(size), QSize(size, size));
    }
    return icon;
}

QImage placeholderPicture() {
    registerArtwork();
    return QImage(QString::fromLatin1(kPlaceholderPath));
}

QImage toImage(const Bitmap& bitmap) {
    if (bitmap.isNull()) {
        return {};
    }
    QImage image(bitmap.width(), bitmap.height(), QImage::Format_RGB888);
    if (image.isNull()) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(bitmap.width()) * Bitmap::kBytesPerPixel;
    for (int y = 0; y < bitmap.height(); ++y) {
        std::memcpy(image.scanLine(y), bitmap.row(y), rowBytes);
    }
    return image;
}

}  // namespace jf
