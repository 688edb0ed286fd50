#include "platform/Colors.h"

#include <array>

namespace plat {
namespace {

// A standard light desktop theme, in the order of the system colour indices.
constexpr std::array<TColor, SystemColorCount> systemColors{
    RGB(200, 200, 200),  // scroll bar
    RGB(0, 0, 0),        // desktop background
    RGB(153, 180, 209),  // active caption
    RGB(191, 205, 219),  // inactive caption
    RGB(240, 240, 240),  // menu
    RGB(255, 255, 255),  // window
    RGB(100, 100, 100),  // window frame
    RGB(0, 0, 0),        // menu text
    RGB(0, 0, 0),        // window text
    RGB(0, 0, 0),        // caption text
    RGB(180, 180, 180),  // active border
    RGB(244, 247, 252),  // inactive border
    RGB(171, 171, 171),  // application workspace
    RGB(51, 153, 255),   // highlight
    RGB(255, 255, 255),  // highlight text
    RGB(240, 240, 240),  // button face
    RGB(160, 160, 160),  // button shadow
    RGB(109, 109, 109),  // grey text
    RGB(0, 0, 0),        // button text
    RGB(67, 78, 84),     // inactive caption text
    RGB(255, 255, 255),  // button highlight
    RGB(105, 105, 105),  // 3D dark shadow
    RGB(227, 227, 227),  // 3D light
    RGB(0, 0, 0),        // info text
    RGB(255, 255, 225),  // info background
};

}  // namespace

TColor ColorToRGB(TColor color) {
    if ((color & 0xFF000000u) != 0xFF000000u) return color;
    const TColor index = color & 0x00FFFFFFu;
    return index < systemColors.size() ? systemColors[index] : clBlack;
}

QColor ToQColor(TColor color) {
    if (color == clNone) return {};
    const TColor c = ColorToRGB(color);
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TColor FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

TColor FromQRgb(unsigned rgb) { return RGB(int((rgb >> 16) & 0xFF), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }

}  // namespace plat
