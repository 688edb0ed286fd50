#pragma once
// The drawing and text routines the drop-down edits, their pop-up form, the header and footer bars
// and their buttons share; the string grid paints its gradients with DrawGradient too. They keep
// no state. Colour arithmetic works on red-green-blue values: a system colour is resolved through
// the colour table first, and no colour (clNone) is never resolved. The gradient is computed as a
// list of bands, so it can be checked without a display. No widget header here.
#include <QChar>
#include <QPoint>
#include <QSize>
#include <QString>
#include <vector>

#include "controls/ExUtilDraw.h"
#include "platform/Canvas.h"
#include "platform/Colors.h"

class QWidget;
namespace plat {
class TBitmap;
class TImageList;
}  // namespace plat

namespace dropdowns {

// The bands DrawGradient paints, in painting order; each reaches about a pixel into the next and
// the last one stops a colour step short of ToColor. Direction true runs the colours left to
// right, false top to bottom. Steps 0 counts as 1, a negative count gives no band, and the
// 16-bit counter cannot count past 65536 steps, so more are taken as 65536.
std::vector<TGradientBand> GradientBandList(plat::TColor FromColor, plat::TColor ToColor, int Steps,
                                            const plat::TRect& Rect, bool Direction);
// Paints GradientBandList's bands as rectangles outlined and filled in the band's colour; pen and
// brush end in the last band's colour.
void DrawGradient(plat::TCanvas& Canvas, plat::TColor FromColor, plat::TColor ToColor, int Steps,
                  const plat::TRect& Rect, bool Direction);

// Percent of Color1 mixed with the rest of Color2; 100 or more gives Color1 and 0 or less Color2,
// both untouched (a system colour stays one).
plat::TColor BlendColor(plat::TColor Color1, plat::TColor Color2, int Percent);
// A non-zero channel c becomes c * min(100, 100 + percent) / 100, a zero channel max(0, percent);
// each kept to its byte.
plat::TColor ShadeColor(plat::TColor Color, int RedPercent, int GreenPercent, int BluePercent);

// A gradient of 80 bands when ToColor is a colour (Vertical: top to bottom), else a fill in
// FromColor unless it is none; then a frame of BorderWidth when BorderColor is a colour. Nothing
// without a canvas.
void DrawGradientBox(plat::TCanvas* Canvas, const plat::TRect& Rect, plat::TColor FromColor, plat::TColor ToColor,
                     plat::TColor BorderColor, int BorderWidth, bool Vertical);
// The image (when Images is given and ImageIndex >= 0) at the left, 4 pixels in and vertically
// centred, then one line of text, vertically centred with an end ellipsis; the text is centred
// only when there is no image. Nothing without a canvas.
void DrawImageAndText(plat::TCanvas* Canvas, const plat::TRect& Rect, const QString& Text,
                      const plat::TImageList* Images, int ImageIndex);
// The glyph copied onto Rect with its pixels of the colour at (0, 0) replaced by BackColor.
void DrawGlyphTransparent(plat::TCanvas& Canvas, const plat::TBitmap& Glyph, plat::TColor BackColor,
                          const plat::TRect& Rect);

// Width and height of the text as one line in the canvas font ("&" marks the accelerator);
// (0, 0) for an empty text.
QSize GetTextSize(plat::TCanvas& Canvas, const QString& Text);
// The text when it is no wider than MaxWidth; otherwise its longest head (followed by "..." with
// Ellipsis) narrower than MaxWidth, or the whole text when not even the shortest head is.
QString ShortenText(plat::TCanvas& Canvas, const QString& Text, int MaxWidth, bool Ellipsis);
// Lays out the mini-HTML text in Rect with the canvas font, draws it when Paint (otherwise only
// measures) and returns its width and height; (0, 0) for an empty text.
QPoint DrawHTMLText(plat::TCanvas& Canvas, const QString& Text, const plat::TRect& Rect, const plat::TImageList* Images,
                    bool Paint, QWidget* Window);

// The locale's separators as they are now.
QChar ThousandSeparator();
QChar DecimalSeparator();
// The text without any of the locale's thousand separators.
QString RemoveThousandSeparators(const QString& Text);
// 0-9 and A-F in either case; 0 for any other character.
int HexDigitValue(QChar Ch);
// The hexadecimal text's value in 32 bits (higher digits fall off); other characters count 0.
int HexToInt(const QString& Text);
QString UpperCaseUnless(const QString& Text, bool Keep);

}  // namespace dropdowns
