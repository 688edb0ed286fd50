#pragma once
// The canvas the controls draw on, over QPainter, with the original's drawing rules:
// - rectangles are (Left, Top, Right, Bottom) with Right and Bottom outside;
// - a line leaves its end point unpainted; a pen of width 0 or 1 draws one pixel;
// - Rectangle, Ellipse, RoundRect and Polygon outline with the pen and fill with the brush; with a
//   clear pen the filled area is one pixel smaller to the right and below;
// - FillRect fills with the brush, FrameRect frames with the brush;
// - text is placed by the top-left corner of its cell; a solid brush paints behind it, a clear one
//   leaves the background; the font's colour draws it; a font's orientation turns it about that
//   corner, counter-clockwise;
// - no colour (clNone) is never painted: a pen or brush of no colour draws nothing.
#include "platform/Colors.h"
#include "platform/Font.h"

#include <QFontMetrics>
#include <QList>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QSize>
#include <QString>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>

class QPainter;
class QPaintDevice;
class QImage;

namespace plat {

class TFontShapes;
struct TLaidOutText;
struct TShapedLine;

class TBitmap;

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    // Spelled out so that TRect(l, t, r, b) also builds with compilers that lack parenthesised
    // aggregate initialisation (the fuzz build's clang).
    constexpr TRect() = default;
    constexpr TRect(int l, int t, int r, int b) : Left(l), Top(t), Right(r), Bottom(b) {}
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    QRect toQRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    static TRect fromQRect(const QRect& r) { return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; }
    friend constexpr bool operator==(const TRect&, const TRect&) = default;
};
constexpr TRect Rect(int l, int t, int r, int b) { return {l, t, r, b}; }

enum TPenStyle : uint8_t { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TBrushStyle : uint8_t { bsSolid, bsClear };

class TPen {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor c) { color_ = c; qcolor_.reset(); }
    int Width() const { return width_; }
    void SetWidth(int w) { width_ = w; }
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle s) { style_ = s; }
    void Assign(const TPen& o) { *this = o; }
    // Whether anything is drawn at all.
    bool Visible() const { return style_ != psClear && color_ != clNone; }
    const QColor& qcolor() const {
        if (!qcolor_) qcolor_ = ToQColor(color_);
        return *qcolor_;
    }

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    mutable std::optional<QColor> qcolor_;
};

class TBrush {
public:
    TColor Color() const { return color_; }
    // Setting a colour makes a clear brush solid again.
    void SetColor(TColor c) {
        color_ = c;
        qcolor_.reset();
        if (style_ == bsClear) style_ = bsSolid;
    }
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle s) { style_ = s; }
    void Assign(const TBrush& o) { *this = o; }
    bool Visible() const { return style_ != bsClear && color_ != clNone; }
    const QColor& qcolor() const {
        if (!qcolor_) qcolor_ = ToQColor(color_);
        return *qcolor_;
    }

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
    mutable std::optional<QColor> qcolor_;
};

// DrawText flags.
inline constexpr unsigned DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4;
inline constexpr unsigned DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40;
inline constexpr unsigned DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400;
inline constexpr unsigned DT_NOPREFIX = 0x800, DT_EDITCONTROL = 0x2000, DT_END_ELLIPSIS = 0x8000;
inline constexpr unsigned DT_RTLREADING = 0x20000, DT_HIDEPREFIX = 0x100000;

// The clip of a canvas, to put back after a temporary change.
struct TClipState {
    bool enabled = false;
    QRegion region;
};

class TCanvas {
public:
    // A canvas without a device draws nothing until one is attached.
    TCanvas();
    // Draws on the device (a widget inside its paint event, or an image); the painter starts with
    // the first drawing and ends with Release or the canvas.
    explicit TCanvas(QPaintDevice* device);
    ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Ends drawing on the current device and takes another (nullptr: none). Pen, brush, font and
    // pen position stay; the clip is dropped.
    void SetDevice(QPaintDevice* device);
    QPaintDevice* Device() const { return device_; }
    // Ends the painter, so the device (an image) can be read or changed; drawing again restarts it.
    void Release();
    // The drawing session the running painter belongs to: a number no other session of any canvas
    // has, given when the painter starts; 0 while none runs. What a draw checks once a session (a
    // picture file's state) is checked again in the next.
    uint64_t PaintSession() const { return session_; }

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    const TPen& Pen() const { return pen_; }
    const TBrush& Brush() const { return brush_; }
    const TFont& Font() const { return font_; }

    QPoint PenPos() const;
    void SetPenPos(QPoint p) {
        penPos_ = p;
        penAfterText_.reset();
    }
    void MoveTo(int x, int y) { SetPenPos(QPoint(x, y)); }
    // A line from the pen position to (x, y), the end point not painted; the pen moves there.
    void LineTo(int x, int y);
    void Polyline(const QList<QPoint>& points);
    void Polygon(const QList<QPoint>& points);

    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Ellipse(int left, int top, int right, int bottom);
    void RoundRect(int left, int top, int right, int bottom, int cornerWidth, int cornerHeight);
    // The colour of a pixel of an image canvas; clNone outside it or on another device.
    TColor Pixels(int x, int y);
    void SetPixel(int x, int y, TColor color);

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    QSize TextExtent(const QString& text) const;
    // Text with the top-left of its cell at (x, y); the pen moves to (x + width, y).
    void TextOut(int x, int y, const QString& text);
    // Text at (x, y), clipped to r; a solid brush first fills r.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    // Formatted text in r by the DT_ flags; returns the height of the text (for a single line placed
    // by DT_VCENTER or DT_BOTTOM, from the top of r to the bottom of the text). With DT_CALCRECT
    // nothing is drawn and r gets the size the text needs (its width is the widest line, its
    // height the lines'). DT_VCENTER and DT_BOTTOM apply to single lines only; a word wider than r
    // stays whole unless DT_EDITCONTROL, which also leaves out a partly visible last line.
    int DrawText(const QString& text, TRect& r, unsigned flags);

    // The dotted focus rectangle; drawn by inverting, so drawing it again removes it.
    void DrawFocusRect(const TRect& r);

    // Clip: select replaces the clip (nothing drawn outside r), intersect narrows it, exclude cuts r
    // out of it; ClearClip lets the whole device be drawn again.
    void SelectClipRect(const TRect& r);
    void SelectClipRegion(const QRegion& region);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void ClearClip();
    TClipState SaveClip() const { return clip_; }
    void RestoreClip(const TClipState& state);

    // The bitmap at (x, y) in its own size; a transparent bitmap keeps the background where its
    // transparent colour is.
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& r, const TBitmap& bitmap);
    // The source part of the bitmap into dest, pixels of `color` replaced by the brush colour.
    void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& source, TColor color);

    // The painter itself, for drawing the canvas has no operation for (themed parts); nullptr
    // without a device.
    QPainter* Painter() { return painter(); }

private:
    QPainter* painter();
    void applyClip(QPainter* p);
    void applyFont(QPainter* p);
    const QFontMetrics& metrics() const;
    // The shapes kept for the canvas's font on its device.
    TFontShapes& shapes() const;
    void thinLine(QPainter* p, QPoint a, QPoint b, int& patternPos);
    void wideLine(QPainter* p, QPoint a, QPoint b);
    void drawTextLine(QPainter* p, int x, int y, const QString& text, unsigned flags, int tabWidth);
    int lineWidth(const QString& text, unsigned flags, int tabWidth) const;
    TLaidOutText layOut(const QString& input, unsigned flags, int width, bool keep, std::list<TShapedLine>& own,
                        bool& kept) const;
    void setShapePen(QPainter* p);
    void drawImageAt(const QRect& target, const QImage& image);

    QPaintDevice* device_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    uint64_t session_ = 0;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    mutable QPoint penPos_;
    // After TextOut the pen stands behind the text; its width is measured only when asked for.
    mutable std::optional<QString> penAfterText_;
    TClipState clip_;
    bool fontApplied_ = false;
    mutable std::shared_ptr<TFontShapes> shapes_;
    QPen textPen_;
};

}  // namespace plat
