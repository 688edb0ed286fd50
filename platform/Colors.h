#pragma once
// Colour values: 0x00BBGGRR for a red-green-blue colour, 0xFF0000nn for the system colour with index
// nn, 0x1FFFFFFF for no colour (the feature that uses it is off; it is never painted). System
// colours come from one fixed table of a light desktop theme, so painting is the same on every
// machine and in tests.
#include <QColor>
#include <cstdint>

namespace plat {

using TColor = uint32_t;

inline constexpr TColor clNone = 0x1FFFFFFF;

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clNavy = 0x800000;
inline constexpr TColor clPurple = 0x800080;
inline constexpr TColor clTeal = 0x808000;
inline constexpr TColor clGray = 0x808080;
inline constexpr TColor clSilver = 0xC0C0C0;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;
inline constexpr TColor clLtGray = 0xC0C0C0;
inline constexpr TColor clDkGray = 0x808080;
inline constexpr TColor clMoneyGreen = 0xC0DCC0;
inline constexpr TColor clSkyBlue = 0xF0CAA6;
inline constexpr TColor clCream = 0xF0FBFF;
inline constexpr TColor clMedGray = 0xA4A0A0;

// System colours, by their index in the table.
inline constexpr TColor clScrollBar = 0xFF000000;
inline constexpr TColor clBackground = 0xFF000001;
inline constexpr TColor clActiveCaption = 0xFF000002;
inline constexpr TColor clInactiveCaption = 0xFF000003;
inline constexpr TColor clMenu = 0xFF000004;
inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowFrame = 0xFF000006;
inline constexpr TColor clMenuText = 0xFF000007;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clCaptionText = 0xFF000009;
inline constexpr TColor clActiveBorder = 0xFF00000A;
inline constexpr TColor clInactiveBorder = 0xFF00000B;
inline constexpr TColor clAppWorkSpace = 0xFF00000C;
inline constexpr TColor clHighlight = 0xFF00000D;
inline constexpr TColor clHighlightText = 0xFF00000E;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnShadow = 0xFF000010;
inline constexpr TColor clGrayText = 0xFF000011;
inline constexpr TColor clBtnText = 0xFF000012;
inline constexpr TColor clInactiveCaptionText = 0xFF000013;
inline constexpr TColor clBtnHighlight = 0xFF000014;
inline constexpr TColor cl3DDkShadow = 0xFF000015;
inline constexpr TColor cl3DLight = 0xFF000016;
inline constexpr TColor clInfoText = 0xFF000017;
inline constexpr TColor clInfoBk = 0xFF000018;

inline constexpr int SystemColorCount = 25;

constexpr TColor RGB(int r, int g, int b) {
    return TColor(r & 0xFF) | TColor(g & 0xFF) << 8 | TColor(b & 0xFF) << 16;
}
constexpr int GetRValue(TColor c) { return int(c & 0xFF); }
constexpr int GetGValue(TColor c) { return int((c >> 8) & 0xFF); }
constexpr int GetBValue(TColor c) { return int((c >> 16) & 0xFF); }

// The red-green-blue value of a colour: a system colour gives its table entry (black for an index
// past the table), every other value, no colour included, passes unchanged.
TColor ColorToRGB(TColor color);

// The colour to paint with; nothing (an invalid QColor) for no colour.
QColor ToQColor(TColor color);
// A painted colour back as a colour value (alpha dropped).
TColor FromQColor(const QColor& color);
TColor FromQRgb(unsigned rgb);

}  // namespace plat
