#pragma once
// The painting routines of the ExUtil unit that the grids and drop-downs share: colour arithmetic,
// banded gradients, the selection rectangle, cell buttons, in-cell bars, shapes, marks, glyphs, the
// clipboard's HTML envelope and the layered-window calls. Each draws on the caller's canvas, sets
// its pen, brush and font as it says, and keeps no state. The colour arithmetic and the band lists
// are plain computations; this header brings in no widget header.
#include "platform/Canvas.h"
#include "platform/Colors.h"

#include <QString>
#include <cstdint>
#include <vector>

class QImage;
class QPoint;
class QSize;
class QWidget;

namespace plat {
class TBitmap;
}
struct TColorTones;  // controls/ExStyleIF.h

// ---- Colours ----
// Each channel of the resolved colour halved.
plat::TColor DarkerColor(plat::TColor Color);
// Each channel c becomes round(c + Percent * c / 100), held to 0..255.
plat::TColor AdjustColorPercent(plat::TColor Color, int Percent);
// The colour at Pos of the run from Min to Max; FromColor itself when ToColor is none or the run is
// empty (Max = Min).
plat::TColor InterpolateColor(plat::TColor FromColor, plat::TColor ToColor, int Min, int Max, int Pos);

// ---- Fills and gradients ----
struct TGradientBand {
    plat::TRect Rect;
    plat::TColor Color;
    friend bool operator==(const TGradientBand&, const TGradientBand&) = default;
};
// The bands DrawGradientRect paints, in order (each reaches one pixel into the next). A solid
// rectangle is one band; none for a rectangle without height.
std::vector<TGradientBand> GradientBands(plat::TColor FromColor, plat::TColor ToColor, int Steps,
                                         const plat::TRect& Rect, bool Horizontal);

void FillRectColor(plat::TCanvas& Canvas, const plat::TRect& Rect, plat::TColor Color);
// Pen and brush end in the last band's colour.
void DrawGradientRect(plat::TCanvas& Canvas, plat::TColor FromColor, plat::TColor ToColor, int Steps,
                      const plat::TRect& Rect, bool Horizontal);
void DrawMirrorGradient(plat::TCanvas& Canvas, const plat::TRect& Rect, plat::TColor Color, plat::TColor ColorTo,
                        plat::TColor MirrorColor, plat::TColor MirrorColorTo, bool Vertical, plat::TColor BorderColor,
                        bool BorderSidesOnly, bool Fill);
// Position 0 a cell selected alone, 1 the left end of a range, 2 its right end, 3 inside it.
void DrawSelectionRect(plat::TCanvas& Canvas, plat::TColor FromColor, plat::TColor ToColor,
                       plat::TColor MirrorFromColor, plat::TColor MirrorToColor, plat::TColor InnerTopColor,
                       plat::TColor InnerBottomColor, plat::TColor BorderColor, plat::TColor CornerColor,
                       plat::TColor BackgroundColor, const plat::TRect& Rect, int Position);

// ---- Cell buttons ----
// Kind: 0 themed, 1 classic, 2 flat, 3 in the colours of Tones. State: 0 normal, 1 hot, 2 pressed,
// 3 disabled. WindowHandle is the window whose style draws the themed kind.
void DrawComboButton(plat::TCanvas& Canvas, QWidget* WindowHandle, const plat::TRect& Rect, uint8_t Kind,
                     uint8_t State, const TColorTones& Tones);
void DrawPushButton(plat::TCanvas& Canvas, QWidget* WindowHandle, const plat::TRect& Rect, uint8_t Kind,
                    uint8_t State, const TColorTones& Tones);
void DrawSpinButtons(plat::TCanvas& Canvas, QWidget* WindowHandle, const plat::TRect& Rect, uint8_t Kind,
                     uint8_t State, const TColorTones& Tones);

// ---- Bars, shapes and marks ----
// The bar with centred text that changes colour where the bar ends. An empty Format shows
// round(Position) and "%" with Position as the percentage; otherwise Format (printf-like) shows the
// position and the percentage runs from Min to Max (0 for Max = Min). A Format the formatter refuses
// draws the bar without text.
void DrawProgressBar(plat::TCanvas& Canvas, const plat::TRect& Rect, plat::TColor Color, plat::TColor FontColor,
                     plat::TColor ColorTo, plat::TColor FontColorTo, double Position, int MarginX, int MarginY,
                     int Min, int Max, const QString& Format, plat::TColor BorderColor, bool Print);
// A grey circle with the sector from twelve o'clock clockwise to Percent filled in Color.
void DrawProgressPie(plat::TCanvas& Canvas, const plat::TRect& Rect, plat::TColor Color, int Percent, bool Print);
// A bar from the middle, right for positive and left for negative positions; no bar for Max <= 0.
// ShowValue draws no text.
void DrawBalanceBar(plat::TCanvas& Canvas, const plat::TRect& Rect, int Position, int Max, bool ShowValue,
                    plat::TColor NegativeColor, plat::TColor PositiveColor);

struct TStyledProgressAppearance {
    plat::TColor Level0Color = plat::clLime, Level0ColorTo = plat::clNone;
    plat::TColor Level1Color = plat::clYellow, Level1ColorTo = plat::clNone;
    plat::TColor Level2Color = plat::RGB(255, 165, 0), Level2ColorTo = plat::clNone;
    plat::TColor Level3Color = plat::clRed, Level3ColorTo = plat::clNone;
    int32_t Level1Perc = 70, Level2Perc = 90;
    plat::TColor BorderColor = plat::clBlack;
    bool ShowBorder = false, Stacked = false, ShowPercentage = false;
    const plat::TFont* Font = nullptr;  // not owned; the canvas's own font when null
    plat::TColor CompleteFontColor = plat::clBlack;
    bool CompletionSmooth = true, ShowGradient = false;
    int32_t Steps = 11;
    plat::TColor UnCompleteColor = plat::clNone;
    bool Vertical = false;
};
void DrawStyledProgress(plat::TCanvas& Canvas, const plat::TRect& Rect, int Percent,
                        const TStyledProgressAppearance& Appearance);

enum TCellShape : uint8_t {
    csRectangle, csCircle, csTriangleLeft, csTriangleRight, csTriangleUp, csTriangleDown, csDiamond, csLineVert,
    csLineHorz, csRoundRect, csEllips, csSquare, csRoundSquare, csStar, csArrowUp, csArrowDown, csArrowLeft,
    csArrowRight, csHalfStar
};
// A shape value past csHalfStar only sets the brush and pen.
void DrawCellShape(plat::TCanvas& Canvas, int X, int Y, int Width, int Height, int Shape, plat::TColor BrushColor,
                   plat::TColor PenColor);
void DrawDownTriangle(plat::TCanvas& Canvas, int X, int Y, plat::TColor Color);
// The red zig-zag under Length characters from Start (0-based) of Text as a single-line edit with
// Owner's font lays it out at Rect.
void DrawErrorUnderline(QWidget* Owner, plat::TCanvas& Canvas, const QString& Text, const plat::TRect& Rect,
                        int OffsetY, int Start, int Length);
// Bitmap at Rect's top-left in its own size, the colour of its pixel (0, 0) replaced by BackColor.
void DrawBitmapTransparent(plat::TCanvas& Canvas, const plat::TBitmap& Bitmap, plat::TColor BackColor,
                           const plat::TRect& Rect);
// One of the program's own glyphs ("SGLEAFCLOSE", "SGLEAFOPEN", "XPNODEC", "XPNODEO") drawn by
// DrawBitmapTransparent; nothing for another name.
void DrawResourceTransparent(plat::TCanvas& Canvas, plat::TColor BackColor, const plat::TRect& Rect,
                             const QString& ResourceName);
// The glyph itself; false when the program has none of that name.
bool LoadResourceBitmap(const QString& ResourceName, plat::TBitmap& Bitmap);

// ---- Clipboard and windows ----
// HTML wrapped in the clipboard's "HTML Format" envelope with its character offsets.
void WrapClipboardHTML(QString& HTML);

// The blend of a layered window's picture.
struct TBlendFunction {
    uint8_t BlendOp = 0;  // AC_SRC_OVER
    uint8_t BlendFlags = 0;
    uint8_t SourceConstantAlpha = 255;
    uint8_t AlphaFormat = 0;  // AC_SRC_ALPHA: the picture is premultiplied
};
inline constexpr uint32_t ULW_COLORKEY = 0x1, ULW_ALPHA = 0x2, ULW_OPAQUE = 0x4;
inline constexpr uint32_t LWA_COLORKEY = 0x1, LWA_ALPHA = 0x2;

// The picture of a translucent top-level window: Source (premultiplied) from SourcePoint, Size
// pixels, shown at DestPoint (the window moves there when given). Arguments in the order of the
// platform call; DestDC has no counterpart here. False for any other window.
bool CallUpdateLayeredWindow(QWidget* Window, void* DestDC, const QPoint* DestPoint, const QSize* Size,
                             const QImage* Source, const QPoint* SourcePoint, plat::TColor KeyColor,
                             const TBlendFunction* Blend, uint32_t Flags);
// A translucent top-level window's opacity (LWA_ALPHA); false for any other window.
bool CallSetLayeredWindowAttributes(QWidget* Window, plat::TColor KeyColor, uint8_t Alpha, uint32_t Flags);

// The pixels of a layered window's picture, for its paint event; a null image when it has none.
QImage LayeredWindowPicture(const QWidget* Window);
