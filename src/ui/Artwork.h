#pragma once
// The editor's own pictures (drawn for this program, see resources/) and the
// conversion of core bitmaps into pictures the toolkit can show.

#include <QIcon>
#include <QImage>

namespace jf {

class Bitmap;

// The program icon (window icon and About box).
QIcon programIcon();
// The 63 x 63 picture shown where a career has no popup icon.
QImage placeholderPicture();
// A copy of a core bitmap (24-bit RGB, top row first); a null image for an
// empty bitmap.
QImage toImage(const Bitmap& bitmap);

}  // namespace jf
