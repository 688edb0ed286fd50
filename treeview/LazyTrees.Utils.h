#pragma once
// Stateless drawing helpers shared by the tree, its header, hints and drag image: rectangle corners,
// clipping, text bounds, shortening with "..." and word wrapping (measured through ITextMeasure, so
// they are tested without fonts), pixel blends over 32-bit rows, image-list drawing and the strips of
// a moved picture. Pixels are 32-bit with the bytes blue, green, red, alpha in memory.
#include <QImage>
#include <QPoint>
#include <QRegion>
#include <QString>
#include <cstdint>

#include "platform/Canvas.h"
#include "platform/Colors.h"

namespace plat {
class TImageList;
class TBitmap;
}  // namespace plat

namespace lazytree {

using plat::TRect;

// Blends are plain integer code, so they are offered on every processor.
inline constexpr bool MMXAvailable = true;
bool DetectMMX();

enum class TBlendKind : uint8_t { bkFixedAlpha, bkPixelAlpha, bkScaledAlpha, bkFixedAlphaAndColor };

// The colour that means "the image list's default".
inline constexpr plat::TColor clDefault = 0x20000000;
inline constexpr uint32_t CLR_NONE = 0xFFFFFFFFu;
inline constexpr uint32_t CLR_DEFAULT = 0xFF000000u;

// Measures text for the helpers below; the canvas one measures in the canvas's font.
class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    virtual int TextWidth(const QString& Text) = 0;
    // Widens Bounds to the extent Text takes when drawn with Format (the rectangle's left and top stay).
    virtual void CalcRect(const QString& Text, TRect& Bounds, unsigned Format) = 0;
};

class TCanvasTextMeasure final : public ITextMeasure {
public:
    explicit TCanvasTextMeasure(plat::TCanvas& canvas) : canvas_(canvas) {}
    int TextWidth(const QString& Text) override;
    void CalcRect(const QString& Text, TRect& Bounds, unsigned Format) override;

private:
    plat::TCanvas& canvas_;
};

// R with Left <= Right and Top <= Bottom.
TRect SortRectCorners(TRect R);
// Clips the canvas to ClipRect, narrowed to VisibleRegion when one is given.
void SetCanvasClip(plat::TCanvas& Canvas, const TRect& ClipRect, const QRegion* VisibleRegion = nullptr);
// Bounds grows from a 1 x 1 rectangle at its top-left to the extent of Text.
void TextDrawBounds(ITextMeasure& Measure, const QString& Text, TRect& Bounds, unsigned DrawFormat);
// The longest prefix that fits Width with "..." after it, the whole text when it fits with the
// ellipsis, or '' when not even the ellipsis fits. EllipsisWidth 0: measure "...".
QString EllipsisText(ITextMeasure& Measure, const QString& Text, int Width, int EllipsisWidth = 0);
// Text broken into lines (joined by a line feed) that fit the width of Bounds.
QString WordWrapText(ITextMeasure& Measure, const QString& Text, const TRect& Bounds, bool RightToLeft,
                     unsigned DrawFormat);

// Row Row of a 32-bit image: bottom-up for a positive Height, top-down for a negative one.
uint8_t* ScanlineAt(void* Bits, int Width, int Height, int Row);

// The row blends, in place in Destination.
void BlendRowFixed(const uint8_t* Source, uint8_t* Destination, int Count, int Bias, int ConstantAlpha);
void BlendRowByPixel(const uint8_t* Source, uint8_t* Destination, int Count, int Bias);
void BlendRowScaled(const uint8_t* Source, uint8_t* Destination, int Count, int Bias, int ConstantAlpha);
// The colour (0x00BBGGRR) over Count pixels; no bias.
void BlendRowTint(uint8_t* Destination, int Count, int ConstantAlpha, uint32_t Color);
// Blends R of Source onto Destination at Target (modes 0-2), or the colour in Bias onto R of
// Destination (mode 3). The rectangle is clamped to both images. Images must have 32 bits a pixel.
void BlendRect(const QImage* Source, QImage& Destination, TRect R, QPoint Target, int Mode, int ConstantAlpha,
               int Bias);

// The colour as an image list takes it: CLR_NONE for clNone, CLR_DEFAULT for clDefault.
uint32_t ImageListColor(plat::TColor Color);
// Draws the bitmap scaled into DestRect of the canvas's device.
void StretchDIBToCanvas(plat::TCanvas& Canvas, const TRect& DestRect, const plat::TBitmap& Bitmap);
// Enabled: the image list's own draw with Style (ILD_ flags); otherwise greyed.
void DrawListImage(const plat::TImageList& ImageList, int Index, plat::TCanvas& Canvas, int X, int Y, uint32_t Style,
                   bool Enabled);
void DrawSaturatedImage(const plat::TImageList& ImageList, plat::TCanvas& Canvas, int X, int Y, int Index);

// A picture of Width x Height on screen moves to its old place minus (DeltaX, DeltaY). The strips are
// (x, y, width, height) in Left, Top, Right, Bottom; Scroll and Clip are ordinary rectangles. Strips
// that a move does not need stay as they were passed in.
void SplitMovedPicture(int Width, int Height, int DeltaX, int DeltaY, TRect& RestoreA, TRect& RestoreB, TRect& FetchA,
                       TRect& FetchB, TRect& Scroll, TRect& Clip);

}  // namespace lazytree
