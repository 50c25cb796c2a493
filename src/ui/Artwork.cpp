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
constexpr char kIconPath[] = ":/jobforge3/jobforge3.xpm";
constexpr char kPlaceholderPath[] = ":/jobforge3/placeholder.xpm";
}  // namespace

QIcon programIcon() {
    registerArtwork();
    return QIcon(QString::fromLatin1(kIconPath));
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
