#pragma once
// Dialog units, the font-relative measure the window layouts are given in:
// a horizontal unit is a quarter of the font's average letter width, a
// vertical unit an eighth of its line height, so the layouts keep their
// proportions with any interface font.

#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QSize>

namespace jf {

class DialogUnits {
public:
    explicit DialogUnits(const QFont& font) {
        const QFontMetrics metrics(font);
        // The average width of the 52 letters, rounded as the classic
        // dialog manager does.
        const int letters = metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
        baseX_ = (letters / 26 + 1) / 2;
        baseY_ = metrics.height();
        if (baseX_ < 1) {
            baseX_ = 1;
        }
        if (baseY_ < 1) {
            baseY_ = 1;
        }
    }

    int x(int units) const { return units * baseX_ / 4; }
    int y(int units) const { return units * baseY_ / 8; }
    QSize size(int width, int height) const { return {x(width), y(height)}; }
    QRect rect(int left, int top, int width, int height) const {
        return {x(left), y(top), x(width), y(height)};
    }

private:
    int baseX_ = 1;
    int baseY_ = 1;
};

}  // namespace jf
