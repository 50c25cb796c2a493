#include "careers/IconStore.h"

#include <utility>

namespace jf {

bool IconStore::readStrip(File& file, Bitmap& strip, Palette& palette, BmpHeaders& headers) {
    Bitmap picture;
    Palette colours;
    BmpHeaders read;
    // Strips have no required size: any number of icons is accepted.
    if (!readBitmapFile(file, picture, &colours, 0, 0, &read)) {
        return false;
    }
    strip = std::move(picture);
    palette = std::move(colours);
    headers = read;
    return true;
}

bool IconStore::readPopupStrip(File& file) {
    return readStrip(file, popupStrip_, popupPalette_, popupHeaders_);
}

bool IconStore::readButtonStrip(File& file) {
    return readStrip(file, buttonStrip_, buttonPalette_, buttonHeaders_);
}

bool IconStore::getIcon(const Bitmap& strip, int iconHeight, int trackId, Bitmap& out) {
    if (trackId < 0 || trackId >= strip.height() / iconHeight) {
        return false;
    }
    return strip.copyArea(0, trackId * iconHeight, strip.width(), iconHeight, out);
}

bool IconStore::putIcon(Bitmap& strip, int iconHeight, int trackId, const Bitmap& icon) {
    if (trackId < 0 || trackId >= strip.height() / iconHeight) {
        return false;
    }
    // A smaller picture is refused rather than pasted in part.
    return strip.pasteArea(icon, strip.width(), iconHeight, 0, trackId * iconHeight);
}

bool IconStore::getPopupIcon(int trackId, Bitmap& out) const {
    return getIcon(popupStrip_, kPopupIconHeight, trackId, out);
}

bool IconStore::getButtonIcon(int trackId, Bitmap& out) const {
    return getIcon(buttonStrip_, kButtonIconHeight, trackId, out);
}

bool IconStore::putPopupIcon(int trackId, const Bitmap& icon) {
    return putIcon(popupStrip_, kPopupIconHeight, trackId, icon);
}

bool IconStore::putButtonIcon(int trackId, const Bitmap& icon) {
    return putIcon(buttonStrip_, kButtonIconHeight, trackId, icon);
}

void IconStore::clear() {
    buttonHeaders_ = {};
    popupHeaders_ = {};
    buttonStrip_ = {};
    popupStrip_ = {};
    buttonPalette_.clear();
    popupPalette_.clear();
}

}  // namespace jf
