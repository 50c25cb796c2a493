#pragma once
// The two career icon strips of the game: all popup icons (84 x 63 each) in
// JobIconMultiPopup.BMP and all button icons (112 x 22 each) in
// JobIconMultiButton.BMP, stacked from top to bottom. The icon of the track
// with id T is band T of each strip: rows T*63 .. T*63+62 of the popup strip
// and rows T*22 .. T*22+21 of the button strip, counted from the top, over
// the strip's full width.
//
// The store holds the strips as plain pixel arrays together with the headers
// and colour tables read with them. It does not own the strip files: the
// loading sequence keeps them open and passes them in. Not thread-safe; one
// thread uses it at a time.

#include "careers/Bitmap.h"
#include "careers/BmpFile.h"
#include "platform/File.h"

namespace jf {

class IconStore {
public:
    static constexpr int kPopupIconHeight = 63;
    static constexpr int kButtonIconHeight = 22;
    // The icon widths of the game's own strips; a strip of another width is
    // still read, and its icons are as wide as the strip.
    static constexpr int kPopupIconWidth = 84;
    static constexpr int kButtonIconWidth = 112;

    // Read a whole strip from `file` (see readBitmapFile; any size, any
    // accepted depth). On success the strip's pixels, headers and palette
    // replace the stored ones; on failure nothing in the store changes.
    bool readPopupStrip(File& file);
    bool readButtonStrip(File& file);

    // Number of icons a strip holds: height / 63 (/ 22), rounded down; 0 when
    // no strip is held.
    int popupIconCount() const { return popupStrip_.height() / kPopupIconHeight; }
    int buttonIconCount() const { return buttonStrip_.height() / kButtonIconHeight; }

    // Set `out` to a new strip-width x 63 (x 22) picture holding the icon of
    // track `trackId`. False, with `out` unchanged, unless 0 <= trackId < the
    // icon count.
    bool getPopupIcon(int trackId, Bitmap& out) const;
    bool getButtonIcon(int trackId, Bitmap& out) const;

    // Copy the top-left strip-width x 63 (x 22) pixels of `icon` over the icon
    // of track `trackId`. False, with the strip unchanged, unless 0 <= trackId
    // < the icon count and `icon` is at least that big.
    bool putPopupIcon(int trackId, const Bitmap& icon);
    bool putButtonIcon(int trackId, const Bitmap& icon);

    bool hasPopupStrip() const { return !popupStrip_.isNull(); }
    bool hasButtonStrip() const { return !buttonStrip_.isNull(); }

    // The strips (empty bitmaps before a successful read or after clear()).
    const Bitmap& popupStrip() const { return popupStrip_; }
    const Bitmap& buttonStrip() const { return buttonStrip_; }
    // The colour tables read with the strips (empty for deep pictures).
    const Palette& popupPalette() const { return popupPalette_; }
    const Palette& buttonPalette() const { return buttonPalette_; }
    // The 14-byte file headers and 40-byte information headers as read
    // (all zero before a successful read or after clear()).
    const BmpHeaders& popupHeaders() const { return popupHeaders_; }
    const BmpHeaders& buttonHeaders() const { return buttonHeaders_; }

    // Forgets both strips, their headers and palettes.
    void clear();

private:
    static bool readStrip(File& file, Bitmap& strip, Palette& palette, BmpHeaders& headers);
    static bool getIcon(const Bitmap& strip, int iconHeight, int trackId, Bitmap& out);
    static bool putIcon(Bitmap& strip, int iconHeight, int trackId, const Bitmap& icon);

    BmpHeaders buttonHeaders_;
    BmpHeaders popupHeaders_;
    Bitmap buttonStrip_;
    Bitmap popupStrip_;
    Palette buttonPalette_;
    Palette popupPalette_;
};

}  // namespace jf
