#include "dropdowns/DovUzerAdev.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "controls/ExHTMLRender.h"
#include "platform/Bitmap.h"
#include "platform/FormatSettings.h"
#include "platform/ImageList.h"

using namespace plat;

namespace dropdowns {

namespace {

// Nearest whole number, halves to the even neighbour (the default floating-point rounding). Adding
// and taking away 1.5 * 2^52 rounds the same way without a library call; a grid paints many bands.
int64_t nint(double x) {
    if (std::fabs(x) < 0x1p51) return static_cast<int64_t>((x + 0x1.8p52) - 0x1.8p52);
    return static_cast<int64_t>(std::nearbyint(x));
}

int saturate(int64_t v) {
    return int(std::clamp<int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

uint8_t byteOf(int64_t v) {
    return static_cast<uint8_t>(v);
}

// The counter of the band loop is 16 bits wide.
constexpr int kMaxSteps = 65536;

// Above this many pixels along the gradient the bands are drawn one by one instead of being laid
// out first: only a degenerate rectangle gets there.
constexpr int64_t kMaxLaidOut = 1 << 17;

void setPenAndBrush(TCanvas& c, TColor color) {
    c.Pen().SetColor(color);
    c.Brush().SetColor(color);
}

}  // namespace

namespace {

// What the band loop works from: the rectangle with its far edge pulled in, the start colour and
// the steps per band of each channel and of the offset.
struct TGradientSteps {
    int steps = 0;  // 0: no band
    TRect R;
    int r1 = 0, g1 = 0, b1 = 0;
    double dr = 0, dg = 0, db = 0, d = 0;
    int64_t size = 0;  // band length along the gradient
    int64_t start = 0;  // R.Left or R.Top

    TColor color(int i) const {
        return TColor(r1 + nint(i * dr)) + TColor(g1 + nint(i * dg)) * 256 + TColor(b1 + nint(i * db)) * 65536;
    }
    // The offset is an unsigned 16-bit number.
    int64_t offset(int i) const { return static_cast<uint16_t>(nint(i * d)); }
};

TGradientSteps gradientSteps(TColor FromColor, TColor ToColor, int Steps, const TRect& Rect, bool Direction) {
    TGradientSteps g;
    if (Steps == 0) Steps = 1;
    if (Steps < 0) return g;
    g.steps = std::min(Steps, kMaxSteps);
    g.R = Rect;
    if (Direction)
        g.R.Right -= 1;
    else
        g.R.Bottom -= 1;
    const TColor from = ColorToRGB(FromColor), to = ColorToRGB(ToColor);
    g.r1 = GetRValue(from);
    g.g1 = GetGValue(from);
    g.b1 = GetBValue(from);
    g.dr = double(GetRValue(to) - g.r1) / g.steps;
    g.dg = double(GetGValue(to) - g.g1) / g.steps;
    g.db = double(GetBValue(to) - g.b1) / g.steps;
    const int64_t length = Direction ? int64_t(g.R.Right) - g.R.Left : int64_t(g.R.Bottom) - g.R.Top;
    g.d = double(length) / g.steps;
    g.size = nint(g.d) + 1;
    g.start = Direction ? g.R.Left : g.R.Top;
    return g;
}

void gradientBands(TColor FromColor, TColor ToColor, int Steps, const TRect& Rect, bool Direction,
                   std::vector<TGradientBand>& bands) {
    bands.clear();
    const TGradientSteps g = gradientSteps(FromColor, ToColor, Steps, Rect, Direction);
    bands.reserve(size_t(g.steps));
    for (int i = 0; i < g.steps; ++i) {
        const int64_t o = g.offset(i);
        TGradientBand band{g.R, g.color(i)};
        if (Direction) {
            band.Rect.Left = saturate(g.start + o);
            band.Rect.Right = saturate(g.start + o + g.size);
        } else {
            band.Rect.Top = saturate(g.start + o);
            band.Rect.Bottom = saturate(g.start + o + g.size);
        }
        bands.push_back(band);
    }
}

// The colour each pixel along the gradient ends in, from lo on, when the bands run forward
// without wrapping: a band hides the part of the one before that it covers, so walking back from
// the last band only the uncovered part of each is painted and most bands of a short gradient cost
// no colour at all. False (nothing laid out) for the other gradients.
bool layOutForward(const TGradientSteps& g, std::vector<QRgb>& line, int64_t& lo, int64_t& hi, QRgb unpainted) {
    if (g.steps == 0 || g.d < 0 || g.size < 1) return false;
    const int64_t last = nint((g.steps - 1) * g.d);
    if (last > 0xFFFF) return false;
    lo = g.start;
    hi = g.start + last + g.size;
    if (lo < std::numeric_limits<int>::min() || hi > std::numeric_limits<int>::max() || hi - lo > kMaxLaidOut)
        return false;
    line.assign(size_t(hi - lo), unpainted);
    int64_t frontier = hi;
    for (int i = g.steps - 1; i >= 0 && frontier > lo; --i) {
        const int64_t from = g.start + nint(i * g.d);
        if (from >= frontier) continue;
        const int64_t end = std::min(from + g.size, frontier);
        const TColor c = g.color(i);
        std::fill(line.begin() + (from - lo), line.begin() + (end - lo), qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
        frontier = from;
    }
    return true;
}

}  // namespace

std::vector<TGradientBand> GradientBandList(TColor FromColor, TColor ToColor, int Steps, const TRect& Rect,
                                            bool Direction) {
    std::vector<TGradientBand> bands;
    gradientBands(FromColor, ToColor, Steps, Rect, Direction, bands);
    return bands;
}

void DrawGradient(TCanvas& Canvas, TColor FromColor, TColor ToColor, int Steps, const TRect& Rect, bool Direction) {
    // Every fixed cell of a grid paints one: the working lists are kept between calls.
    thread_local std::vector<TGradientBand> bands;
    thread_local std::vector<QRgb> line;
    thread_local QImage picture;
    const TGradientSteps g = gradientSteps(FromColor, ToColor, Steps, Rect, Direction);
    if (g.steps == 0) return;

    // A thin solid pen in the fill's colour paints exactly the filled pixels, so each pixel line
    // across the gradient ends in the colour of the last band over it: those colours are laid out
    // first and the whole is copied onto the canvas at once.
    constexpr QRgb kUnpainted = 0;  // band colours are opaque, so this one is never a band's
    const TPen& pen = Canvas.Pen();
    QPainter* p = pen.Style() == psSolid && pen.Width() <= 1 ? Canvas.Painter() : nullptr;
    int64_t lo = 0, hi = 0;
    bool laidOut = p && layOutForward(g, line, lo, hi, kUnpainted);
    if (p && !laidOut) {
        gradientBands(FromColor, ToColor, Steps, Rect, Direction, bands);
        lo = std::numeric_limits<int64_t>::max();
        hi = std::numeric_limits<int64_t>::min();
        for (const TGradientBand& b : bands) {
            const int from = Direction ? b.Rect.Left : b.Rect.Top, to = Direction ? b.Rect.Right : b.Rect.Bottom;
            lo = std::min<int64_t>(lo, std::min(from, to));
            hi = std::max<int64_t>(hi, std::max(from, to));
        }
        if (hi - lo <= kMaxLaidOut) {
            line.assign(size_t(hi - lo), kUnpainted);
            for (const TGradientBand& b : bands) {
                const int from = Direction ? b.Rect.Left : b.Rect.Top, to = Direction ? b.Rect.Right : b.Rect.Bottom;
                const QRgb c = qRgb(GetRValue(b.Color), GetGValue(b.Color), GetBValue(b.Color));
                std::fill(line.begin() + (std::min(from, to) - lo), line.begin() + (std::max(from, to) - lo), c);
            }
            laidOut = true;
        }
    }
    if (!laidOut) {
        if (!p) gradientBands(FromColor, ToColor, Steps, Rect, Direction, bands);
        for (const TGradientBand& b : bands) {
            setPenAndBrush(Canvas, b.Color);
            Canvas.Rectangle(b.Rect);
        }
        return;
    }

    // The rectangle rule: sides in either order, nothing for an empty one.
    const int crossFrom = Direction ? std::min(g.R.Top, g.R.Bottom) : std::min(g.R.Left, g.R.Right);
    const int crossTo = Direction ? std::max(g.R.Top, g.R.Bottom) : std::max(g.R.Left, g.R.Right);
    const int64_t across = int64_t(crossTo) - crossFrom;
    if (across > 0 && across <= kMaxLaidOut) {
        // Unpainted pixels (only where a band of no size left a hole) keep the canvas.
        const bool holes = std::find(line.begin(), line.end(), kUnpainted) != line.end();
        const int w = int(Direction ? hi - lo : across), h = int(Direction ? across : hi - lo);
        const QImage::Format format = holes ? QImage::Format_ARGB32 : QImage::Format_RGB32;
        if (picture.width() != w || picture.height() != h || picture.format() != format) picture = QImage(w, h, format);
        uchar* bits = picture.bits();
        const qsizetype stride = picture.bytesPerLine();
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            if (Direction)
                std::copy(line.begin(), line.end(), row);
            else
                std::fill(row, row + w, line[size_t(y)]);
        }
        const QPoint at = Direction ? QPoint(int(lo), crossFrom) : QPoint(crossFrom, int(lo));
        if (holes) {
            p->drawImage(at, picture);
        } else {
            const QPainter::CompositionMode mode = p->compositionMode();
            p->setCompositionMode(QPainter::CompositionMode_Source);
            p->drawImage(at, picture);
            p->setCompositionMode(mode);
        }
    }
    setPenAndBrush(Canvas, g.color(g.steps - 1));
}

TColor BlendColor(TColor Color1, TColor Color2, int Percent) {
    if (Percent >= 100) return Color1;
    if (Percent <= 0) return Color2;
    const double p = Percent / 100.0;
    const TColor c1 = ColorToRGB(Color1), c2 = ColorToRGB(Color2);
    auto mix = [p](int a, int b) { return int(nint(p * a + (1 - p) * b)); };
    return RGB(mix(GetRValue(c1), GetRValue(c2)), mix(GetGValue(c1), GetGValue(c2)), mix(GetBValue(c1), GetBValue(c2)));
}

TColor ShadeColor(TColor Color, int RedPercent, int GreenPercent, int BluePercent) {
    const TColor c = ColorToRGB(Color);
    auto shade = [](int channel, int percent) -> uint8_t {
        if (channel == 0) return byteOf(std::max(0, percent));
        return byteOf(nint(std::min(100, 100 + percent) / 100.0 * channel));
    };
    return TColor(shade(GetRValue(c), RedPercent)) | TColor(shade(GetGValue(c), GreenPercent)) << 8 |
           TColor(shade(GetBValue(c), BluePercent)) << 16;
}

void DrawGradientBox(TCanvas* Canvas, const TRect& Rect, TColor FromColor, TColor ToColor, TColor BorderColor,
                     int BorderWidth, bool Vertical) {
    if (!Canvas) return;
    if (ToColor != clNone) {
        DrawGradient(*Canvas, FromColor, ToColor, 80, Rect, !Vertical);
    } else if (FromColor != clNone) {
        Canvas->Brush().SetColor(FromColor);
        Canvas->FillRect(Rect);
    }
    if (BorderColor != clNone && BorderWidth > 0) {
        Canvas->Brush().SetStyle(bsClear);
        Canvas->Pen().SetWidth(BorderWidth);
        Canvas->Pen().SetColor(BorderColor);
        Canvas->Rectangle(Rect);
    }
}

void DrawImageAndText(TCanvas* Canvas, const TRect& Rect, const QString& Text, const TImageList* Images,
                      int ImageIndex) {
    if (!Canvas) return;
    TRect textRect = Rect;
    const bool image = ImageIndex >= 0 && Images;
    if (image) {
        Images->Draw(*Canvas, Rect.Left + 4, Rect.Top + (Rect.Height() - Images->Height()) / 2, ImageIndex, true);
        textRect.Left = Rect.Left + Images->Width() + 8;
    }
    if (Text.isEmpty()) return;
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS;
    if (!image) flags |= DT_CENTER;
    Canvas->DrawText(Text, textRect, flags);
}

void DrawGlyphTransparent(TCanvas& Canvas, const TBitmap& Glyph, TColor BackColor, const TRect& Rect) {
    if (Glyph.Empty() || Rect.IsEmpty()) return;
    const TColor transparent = FromQRgb(Glyph.Image().pixel(0, 0));
    TBitmap work(Glyph.Width(), Glyph.Height());
    work.Canvas().Brush().SetColor(BackColor);
    const TRect area = plat::Rect(0, 0, Rect.Width(), Rect.Height());
    work.Canvas().BrushCopy(area, Glyph, area, transparent);
    TBitmap part;
    part.SetImage(work.Image().copy(area.toQRect()));
    Canvas.Draw(Rect.Left, Rect.Top, part);
}

QSize GetTextSize(TCanvas& Canvas, const QString& Text) {
    if (Text.isEmpty()) return {0, 0};
    TRect r = plat::Rect(0, 0, 1000, 500);
    Canvas.DrawText(Text, r, DT_CALCRECT | DT_SINGLELINE);
    return {r.Right, r.Bottom};
}

QString ShortenText(TCanvas& Canvas, const QString& Text, int MaxWidth, bool Ellipsis) {
    if (GetTextSize(Canvas, Text).width() <= MaxWidth) return Text;
    for (qsizetype keep = Text.size() - 1; keep >= 0; --keep) {
        QString candidate = Text.left(keep);
        if (Ellipsis) candidate += QStringLiteral("...");
        if (GetTextSize(Canvas, candidate).width() < MaxWidth) return candidate;
    }
    return Text;
}

QPoint DrawHTMLText(TCanvas& Canvas, const QString& Text, const TRect& Rect, const TImageList* Images, bool Paint,
                    QWidget* Window) {
    if (Text.isEmpty()) return {0, 0};
    THTMLRenderIn in;
    in.Text = Text;
    in.Rect = Rect;
    in.Images = Images;
    in.MeasureOnly = !Paint;
    in.URLColor = 0x808080;
    in.HoverColor = clNone;
    in.HoverFontColor = clNone;
    in.ShadowColor = 0xFF0000;
    in.WindowHandle = Window;
    THTMLRenderOut out;
    RenderHTML(Canvas, in, out);
    return {out.XSize, out.YSize};
}

QChar ThousandSeparator() {
    return formatSettings().thousandSeparator;
}

QChar DecimalSeparator() {
    return formatSettings().decimalSeparator;
}

QString RemoveThousandSeparators(const QString& Text) {
    QString result = Text;
    result.remove(ThousandSeparator());
    return result;
}

int HexDigitValue(QChar Ch) {
    const char16_t c = Ch.unicode();
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return 0;
}

int HexToInt(const QString& Text) {
    uint32_t value = 0, weight = 1;
    for (qsizetype i = Text.size() - 1; i >= 0; --i) {
        value += uint32_t(HexDigitValue(Text[i])) * weight;
        weight *= 16;
    }
    return static_cast<int32_t>(value);
}

QString UpperCaseUnless(const QString& Text, bool Keep) {
    return Keep ? Text : Text.toUpper();
}

}  // namespace dropdowns
