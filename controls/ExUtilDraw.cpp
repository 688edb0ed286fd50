#include "controls/ExUtilDraw.h"

#include "controls/ExStyleIF.h"
#include "platform/Bitmap.h"
#include "platform/Format.h"
#include "platform/Numbers.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <numbers>

using namespace plat;

namespace {

int clampChannel(double v) { return int(std::clamp<int64_t>(Round(v), 0, 255)); }

int toInt(double v) { return int(Round(v)); }

void setPenAndBrush(TCanvas& c, TColor color) {
    c.Pen().SetColor(color);
    c.Brush().SetColor(color);
}

// Rectangle with pen and brush of one colour; a thin solid pen covers exactly the filled pixels.
void solidRectangle(TCanvas& c, const TRect& r) {
    if (c.Pen().Style() == psSolid && c.Pen().Width() <= 1 && c.Pen().Color() == c.Brush().Color())
        c.FillRect({std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
                    std::max(r.Top, r.Bottom)});
    else
        c.Rectangle(r);
}

void line(TCanvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

const TColorTone& toneOf(const TColorTones& tones, uint8_t state) {
    switch (state) {
    case 1: return tones.Hover;
    case 2: return tones.Selected;
    case 3: return tones.Disabled;
    default: return tones.Background;
    }
}

}  // namespace

// ---- Colours ----

TColor DarkerColor(TColor Color) {
    const TColor c = ColorToRGB(Color);
    return RGB(GetRValue(c) / 2, GetGValue(c) / 2, GetBValue(c) / 2);
}

TColor AdjustColorPercent(TColor Color, int Percent) {
    // A channel pushed past either end stays there: a light colour made lighter is white, not dark.
    const TColor c = ColorToRGB(Color);
    auto adjust = [Percent](int ch) { return clampChannel(ch + double(Percent) * ch / 100.0); };
    return RGB(adjust(GetRValue(c)), adjust(GetGValue(c)), adjust(GetBValue(c)));
}

TColor InterpolateColor(TColor FromColor, TColor ToColor, int Min, int Max, int Pos) {
    if (ToColor == clNone || Max == Min) return FromColor;
    const TColor f = ColorToRGB(FromColor), t = ColorToRGB(ToColor);
    const double span = double(Max) - double(Min);
    auto channel = [&](int a, int b) { return clampChannel(a + Round((b - a) / span * Pos)); };
    return RGB(channel(GetRValue(f), GetRValue(t)), channel(GetGValue(f), GetGValue(t)),
               channel(GetBValue(f), GetBValue(t)));
}

// ---- Fills and gradients ----

std::vector<TGradientBand> GradientBands(TColor FromColor, TColor ToColor, int Steps, const TRect& Rect,
                                         bool Horizontal) {
    int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    if (T == B) return {};
    if (B < T) std::swap(T, B);
    // A rectangle given right to left is the same rectangle; bands never leave it.
    if (R < L) std::swap(L, R);
    if (FromColor == clNone || ToColor == clNone) {
        const TColor solid = ToColor == clNone ? FromColor : ToColor;
        return {{{L, T, R, B}, ColorToRGB(solid)}};
    }
    const TColor f = ColorToRGB(FromColor), t = ColorToRGB(ToColor);
    const int N = Horizontal ? R - L - 1 : B - T - 1;
    const int S = std::max(1, std::min(Steps, N));
    const double band = double(N) / S;
    const int reach = int(std::trunc(band + 1));
    const double dr = double(GetRValue(t) - GetRValue(f)) / S, dg = double(GetGValue(t) - GetGValue(f)) / S,
                 db = double(GetBValue(t) - GetBValue(f)) / S;
    std::vector<TGradientBand> bands;
    bands.reserve(size_t(S) + 1);
    for (int i = 0; i <= S; ++i) {
        const TColor color = RGB(GetRValue(f) + int(Round(i * dr)), GetGValue(f) + int(Round(i * dg)),
                                 GetBValue(f) + int(Round(i * db)));
        const int offset = int(std::trunc(i * band));
        if (Horizontal)
            bands.push_back({{L + offset, T, std::min(R, L + offset + reach), B}, color});
        else
            bands.push_back({{L, T + offset, R, std::min(B, T + offset + reach)}, color});
    }
    return bands;
}

void FillRectColor(TCanvas& Canvas, const TRect& Rect, TColor Color) {
    Canvas.Brush().SetColor(Color);
    Canvas.FillRect(Rect);
}

void DrawGradientRect(TCanvas& Canvas, TColor FromColor, TColor ToColor, int Steps, const TRect& Rect,
                      bool Horizontal) {
    if (FromColor == clNone || ToColor == clNone) {
        // One band, the plain background of most cells: drawn without making the list.
        if (Rect.Top == Rect.Bottom) return;
        setPenAndBrush(Canvas, ColorToRGB(ToColor == clNone ? FromColor : ToColor));
        solidRectangle(Canvas, {std::min(Rect.Left, Rect.Right), std::min(Rect.Top, Rect.Bottom),
                                std::max(Rect.Left, Rect.Right), std::max(Rect.Top, Rect.Bottom)});
        return;
    }
    const std::vector<TGradientBand> bands = GradientBands(FromColor, ToColor, Steps, Rect, Horizontal);
    if (bands.empty()) return;
    QPainter* p = bands.size() > 1 && Canvas.Pen().Style() == psSolid && Canvas.Pen().Width() <= 1 ? Canvas.Painter()
                                                                                                     : nullptr;
    if (!p) {
        for (const TGradientBand& b : bands) {
            setPenAndBrush(Canvas, b.Color);
            solidRectangle(Canvas, b.Rect);
        }
        return;
    }
    // The bands cover the rectangle from one side to the other, each later one over the one
    // before: their pixels are laid out in a picture of the rectangle and copied in one call.
    const TRect& first = bands.front().Rect;
    const TRect area{first.Left, first.Top, bands.back().Rect.Right, bands.back().Rect.Bottom};
    if (area.Width() > 0 && area.Height() > 0) {
        thread_local QImage picture;
        if (picture.width() != area.Width() || picture.height() != area.Height())
            picture = QImage(area.Width(), area.Height(), QImage::Format_RGB32);
        const int w = area.Width(), h = area.Height();
        const int length = Horizontal ? w : h, origin = Horizontal ? area.Left : area.Top;
        std::vector<QRgb> colours(size_t(length), 0);
        for (const TGradientBand& b : bands) {
            const QRgb c = qRgb(GetRValue(b.Color), GetGValue(b.Color), GetBValue(b.Color));
            const int from = (Horizontal ? b.Rect.Left : b.Rect.Top) - origin;
            const int to = (Horizontal ? b.Rect.Right : b.Rect.Bottom) - origin;
            std::fill(colours.begin() + std::max(0, from), colours.begin() + std::min(length, to), c);
        }
        uchar* bits = picture.bits();
        const qsizetype stride = picture.bytesPerLine();
        for (int y = 0; y < h; ++y) {
            auto* row = reinterpret_cast<QRgb*>(bits + y * stride);
            if (Horizontal)
                std::copy(colours.begin(), colours.end(), row);
            else
                std::fill(row, row + w, colours[size_t(y)]);
        }
        p->drawImage(QPoint(area.Left, area.Top), picture);
    }
    setPenAndBrush(Canvas, bands.back().Color);
}

void DrawMirrorGradient(TCanvas& Canvas, const TRect& Rect, TColor Color, TColor ColorTo, TColor MirrorColor,
                        TColor MirrorColorTo, bool Vertical, TColor BorderColor, bool BorderSidesOnly, bool Fill) {
    TRect r = Rect;
    if (Fill && Color != clNone) {
        if (MirrorColor == clNone && ColorTo == clNone) {
            setPenAndBrush(Canvas, Color);
            Canvas.Pen().SetStyle(psSolid);
            Canvas.Pen().SetWidth(1);
            Canvas.Brush().SetStyle(bsSolid);
            r.Bottom += 1;
            Canvas.FillRect(r);
        } else if (MirrorColor == clNone) {
            DrawGradientRect(Canvas, Color, ColorTo, 128, r, !Vertical);
        } else if (Vertical) {
            const int mid = r.Top + (r.Bottom - r.Top) / 2;
            DrawGradientRect(Canvas, Color, ColorTo, 128, {r.Left, r.Top, r.Right, mid}, false);
            DrawGradientRect(Canvas, MirrorColor, MirrorColorTo, 128, {r.Left, mid, r.Right, r.Bottom}, false);
        } else {
            const int mid = r.Left + (r.Right - r.Left) / 2;
            DrawGradientRect(Canvas, Color, ColorTo, 128, {r.Left, r.Top, mid, r.Bottom}, true);
            DrawGradientRect(Canvas, MirrorColor, MirrorColorTo, 128, {mid, r.Top, r.Right, r.Bottom}, true);
        }
    }
    if (BorderColor == clNone) return;
    if (BorderSidesOnly) {
        Canvas.Pen().SetColor(BorderColor);
        line(Canvas, r.Left, r.Top, r.Left, r.Bottom);
        line(Canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
    } else {
        Canvas.Brush().SetColor(BorderColor);
        Canvas.FrameRect(r);
    }
}

void DrawSelectionRect(TCanvas& Canvas, TColor FromColor, TColor ToColor, TColor MirrorFromColor,
                       TColor MirrorToColor, TColor InnerTopColor, TColor InnerBottomColor, TColor BorderColor,
                       TColor CornerColor, TColor BackgroundColor, const TRect& Rect, int Position) {
    const int L = Rect.Left, T = Rect.Top, R = Rect.Right - 1, B = Rect.Bottom - 2;
    const int M = T + (B - T) / 2;
    const bool leftEdge = Position == 0 || Position == 1;
    const bool rightEdge = Position == 0 || Position == 2;

    Canvas.Pen().SetColor(InnerTopColor);
    line(Canvas, L, T + 1, R, T + 1);
    if (leftEdge) line(Canvas, L + 1, T + 1, L + 1, M);
    if (rightEdge) line(Canvas, R - 2, T + 1, R - 2, M);

    Canvas.Pen().SetColor(InnerBottomColor);
    line(Canvas, L, B - 1, R, B - 1);
    if (leftEdge) line(Canvas, L + 1, M, L + 1, B - 1);
    if (rightEdge) line(Canvas, R - 2, M, R - 2, B - 1);

    const int Li = (Position == 2 || Position == 3) ? 0 : 2;
    const int Ri = (Position == 1 || Position == 3) ? 0 : 2;
    Canvas.Pen().SetColor(BorderColor);
    line(Canvas, L + Li, T, R - Ri, T);
    line(Canvas, L + Li, B, R - Ri, B);
    if (rightEdge) line(Canvas, R - 1, T + 2, R - 1, B - 1);
    if (leftEdge) line(Canvas, L, T + 2, L, B - 1);

    if (leftEdge) {
        for (const QPoint p : {QPoint(L + 1, T), QPoint(L + 1, T + 1), QPoint(L, T + 1), QPoint(L + 1, B),
                               QPoint(L + 1, B - 1), QPoint(L, B - 1)})
            Canvas.SetPixel(p.x(), p.y(), CornerColor);
        Canvas.SetPixel(L, T, BackgroundColor);
        Canvas.SetPixel(L, B, BackgroundColor);
    }
    if (rightEdge) {
        for (const QPoint p : {QPoint(R - 2, T), QPoint(R - 2, T + 1), QPoint(R - 1, T + 1), QPoint(R - 2, B),
                               QPoint(R - 2, B - 1), QPoint(R - 1, B - 1)})
            Canvas.SetPixel(p.x(), p.y(), CornerColor);
        Canvas.SetPixel(R - 1, T, BackgroundColor);
        Canvas.SetPixel(R - 1, B, BackgroundColor);
    }

    const TRect inside{L + Li, T + 2, R - Ri, B - 1};
    if (ToColor == clNone) {
        setPenAndBrush(Canvas, FromColor);
        Canvas.FillRect(inside);
    } else if (MirrorFromColor == clNone) {
        DrawGradientRect(Canvas, FromColor, ToColor, 16, inside, false);
    } else {
        const int mid = inside.Top + (inside.Bottom - inside.Top) / 2;
        DrawGradientRect(Canvas, FromColor, ToColor, 16, {inside.Left, inside.Top, inside.Right, mid}, false);
        DrawGradientRect(Canvas, MirrorFromColor, MirrorToColor, 16, {inside.Left, mid, inside.Right, inside.Bottom},
                         false);
    }
}

// ---- Cell buttons ----

namespace {

void themed(TCanvas& c, QWidget* window, QStringView cls, int part, int state, const TRect& r) {
    if (const TThemeData theme = OpenThemeData(window, cls)) DrawThemeBackground(theme, c, part, state, r);
}

unsigned classicFlags(uint8_t kind, uint8_t state) {
    unsigned flags = state == 3 ? DFCS_INACTIVE : 0;
    if (kind == 2) flags |= DFCS_FLAT;
    return flags;
}

}  // namespace

void DrawComboButton(TCanvas& Canvas, QWidget* WindowHandle, const TRect& Rect, uint8_t Kind, uint8_t State,
                     const TColorTones& Tones) {
    TRect r{Rect.Right - 19, Rect.Top + 1, Rect.Right - 2, Rect.Bottom - 1};
    switch (Kind) {
    case 0: themed(Canvas, WindowHandle, u"combobox", CP_DROPDOWNBUTTON, State == 3 ? CBXS_DISABLED : CBXS_NORMAL, r); break;
    case 1:
    case 2: DrawFrameControl(Canvas, r, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | classicFlags(Kind, State)); break;
    case 3: {
        r.Left += 3;
        setPenAndBrush(Canvas, toneOf(Tones, State).BrushColor);
        Canvas.Rectangle(r);
        Canvas.Pen().SetColor(Tones.Background.BorderColor);
        line(Canvas, r.Left + 1, r.Top, r.Left + 1, r.Bottom);
        setPenAndBrush(Canvas, Tones.Background.TextColor);
        Canvas.Polygon({{r.Left + 5, r.Top + 8}, {r.Left + 11, r.Top + 8}, {r.Left + 8, r.Top + 11}});
        break;
    }
    default: break;
    }
}

void DrawPushButton(TCanvas& Canvas, QWidget* WindowHandle, const TRect& Rect, uint8_t Kind, uint8_t State,
                    const TColorTones& Tones) {
    switch (Kind) {
    case 0: themed(Canvas, WindowHandle, u"button", BP_PUSHBUTTON, std::clamp<int>(State, 0, 3) + 1, Rect); break;
    case 1:
    case 2: {
        static constexpr unsigned byState[] = {0, DFCS_HOT, DFCS_PUSHED, DFCS_INACTIVE};
        TRect r = Rect;
        DrawFrameControl(Canvas, r, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (State <= 3 ? byState[State] : 0) | (Kind == 2 ? DFCS_FLAT : 0));
        break;
    }
    case 3:
        Canvas.Brush().SetColor(toneOf(Tones, State).BrushColor);
        Canvas.Pen().SetColor(toneOf(Tones, State).BorderColor);
        Canvas.Rectangle(Rect);
        break;
    default: break;
    }
}

void DrawSpinButtons(TCanvas& Canvas, QWidget* WindowHandle, const TRect& Rect, uint8_t Kind, uint8_t State,
                     const TColorTones& Tones) {
    const TRect A{Rect.Right - 16, Rect.Top - 1, Rect.Right - 1, Rect.Bottom - 1};
    const int M = A.Top + (A.Bottom - A.Top) / 2;
    switch (Kind) {
    case 0: {
        const int state = State == 3 ? UPS_DISABLED : UPS_NORMAL;
        themed(Canvas, WindowHandle, u"spin", SPNP_UP, state, {A.Left, A.Top, A.Right, M});
        themed(Canvas, WindowHandle, u"spin", SPNP_DOWN, state, {A.Left, M, A.Right, A.Bottom});
        break;
    }
    case 1:
    case 2: {
        TRect up{A.Left, A.Top, A.Right, M}, down{A.Left, M + 1, A.Right, A.Bottom};
        DrawFrameControl(Canvas, up, DFC_SCROLL, DFCS_SCROLLUP | classicFlags(Kind, State));
        DrawFrameControl(Canvas, down, DFC_SCROLL, DFCS_SCROLLDOWN | classicFlags(Kind, State));
        break;
    }
    case 3:
        setPenAndBrush(Canvas, toneOf(Tones, State).BrushColor);
        Canvas.Rectangle(A.Left, A.Top, A.Right, M);
        Canvas.Rectangle(A.Left, M + 1, A.Right, A.Bottom);
        setPenAndBrush(Canvas, clBlack);
        Canvas.Polygon({{A.Left + 5, A.Top + 5}, {A.Left + 9, A.Top + 5}, {A.Left + 7, A.Top + 3}});
        Canvas.Polygon({{A.Left + 5, M + 2}, {A.Left + 9, M + 2}, {A.Left + 7, M + 4}});
        break;
    default: break;
    }
}

// ---- Bars ----

void DrawProgressBar(TCanvas& Canvas, const TRect& Rect, TColor Color, TColor FontColor, TColor ColorTo,
                     TColor FontColorTo, double Position, int MarginX, int MarginY, int Min, int Max,
                     const QString& Format, TColor BorderColor, bool Print) {
    const TColor saved = Canvas.Brush().Color();
    setPenAndBrush(Canvas, Color);
    Canvas.Font().SetColor(FontColor);

    QString text;
    int64_t pct;
    if (!Format.isEmpty()) {
        try {
            if (Format.contains(u'd') || Format.contains(u'u'))
                text = plat::Format(Format, {static_cast<long long>(Round(Position))});
            else
                text = plat::Format(Format, {Position});
        } catch (const EFormatError&) {
            text.clear();  // a format that does not fit shows the bar alone
        }
        pct = Max == Min ? 0 : Round((Position - Min) * 100.0 / (double(Max) - Min));
    } else {
        pct = Round(Position);
        text = QString::number(pct) + u'%';
    }
    pct = std::clamp<int64_t>(pct, 0, 100);

    TRect R{Rect.Left + MarginX, Rect.Top + MarginY, Rect.Right - MarginX, Rect.Bottom - MarginY};
    const int split = R.Left + toInt(double(pct) * (R.Right - R.Left) / 100.0);
    const QSize extent = Canvas.TextExtent(text);
    const int tx = R.Left + (R.Right - R.Left - extent.width()) / 2;
    const int ty = Print ? R.Top + (R.Bottom - R.Top + extent.height()) / 2
                         : R.Top + (R.Bottom - R.Top - extent.height()) / 2;
    Canvas.TextRect({R.Left, R.Top, split, R.Bottom}, tx, ty, text);

    setPenAndBrush(Canvas, ColorTo);
    Canvas.Font().SetColor(FontColorTo);
    Canvas.TextRect({split, R.Top, R.Right, R.Bottom}, tx, ty, text);

    Canvas.Brush().SetColor(BorderColor);
    Canvas.Pen().SetColor(saved);
    R = {R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    if (BorderColor != clNone) Canvas.FrameRect(R);
    Canvas.Brush().SetColor(saved);
    R = {R.Left - 1, R.Top - 1, R.Right + 1, R.Bottom + 1};
    Canvas.FrameRect(R);
}

void DrawProgressPie(TCanvas& Canvas, const TRect& Rect, TColor Color, int Percent, bool Print) {
    constexpr TColor outline = RGB(0x80, 0x80, 0x80);
    const int W = Rect.Right - Rect.Left, H = Rect.Bottom - Rect.Top;
    const int CX = Rect.Left + W / 2, CY = Rect.Top + H / 2;
    const double A = Percent / 100.0 * 2 * std::numbers::pi;
    const QPoint end(CX + toInt((W + 1) * 0.5 * std::sin(A)), CY - toInt((H + 1) * 0.5 * std::cos(A)));

    auto outlineAndRadii = [&](TCanvas& c, QPoint shift) {
        c.Ellipse(Rect.Left + shift.x(), Rect.Top + shift.y(), Rect.Right + shift.x(), Rect.Bottom + shift.y());
        c.MoveTo(CX + shift.x(), Rect.Top + shift.y());
        c.LineTo(CX + shift.x(), CY + shift.y());
        c.LineTo(end.x() + shift.x(), end.y() + shift.y());
    };
    Canvas.Pen().SetColor(outline);
    Canvas.Pen().SetWidth(1);
    Canvas.Pen().SetStyle(psSolid);
    outlineAndRadii(Canvas, {});
    Canvas.Brush().SetColor(Color);
    if (Percent == 0 || W <= 0 || H <= 0) return;

    // The sector is the area a fill from just below twelve o'clock reaches before the outline and
    // the radii: found on a picture of those lines alone, as a window cannot be read back. The
    // seed lies inside on every canvas here, whose y axis runs downwards, printed or not.
    (void)Print;
    const QPoint origin(std::min(Rect.Left, end.x()) - 1, std::min(Rect.Top, end.y()) - 1);
    const int mw = std::max(Rect.Right, end.x() + 1) - origin.x() + 1;
    const int mh = std::max(Rect.Bottom, end.y() + 1) - origin.y() + 1;
    QImage mask(mw, mh, QImage::Format_RGB32);
    mask.fill(Qt::white);
    {
        TCanvas m(&mask);
        m.Pen().SetColor(outline);
        m.Brush().SetStyle(bsClear);
        outlineAndRadii(m, -origin);
    }
    const QRgb border = ToQColor(outline).rgb();
    const QPoint seed = QPoint(CX + 1, Rect.Top + 2) - origin;
    if (!mask.valid(seed) || mask.pixel(seed) == border) return;
    QImage fill(mw, mh, QImage::Format_ARGB32_Premultiplied);
    fill.fill(Qt::transparent);
    const QRgb paint = ToQColor(Color).rgba();
    std::vector<QPoint> stack{seed};
    mask.setPixel(seed, border);
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        fill.setPixel(p, paint);
        for (const QPoint d : {QPoint(1, 0), QPoint(-1, 0), QPoint(0, 1), QPoint(0, -1)}) {
            const QPoint q = p + d;
            if (mask.valid(q) && mask.pixel(q) != border) {
                mask.setPixel(q, border);
                stack.push_back(q);
            }
        }
    }
    if (Color == clNone) return;
    if (QPainter* p = Canvas.Painter()) p->drawImage(origin, fill);
}

void DrawBalanceBar(TCanvas& Canvas, const TRect& Rect, int Position, int Max, bool ShowValue, TColor NegativeColor,
                    TColor PositiveColor) {
    (void)ShowValue;  // the value is not written: the bar alone shows it
    if (Max <= 0) return;
    const TRect R{Rect.Left + 2, Rect.Top + 2, Rect.Right - 2, Rect.Bottom - 2};
    const int H = (R.Right - R.Left) / 2;
    Position = std::clamp(Position, -Max, Max);
    const int X = toInt(double(H) * Position / Max);
    if (Position < 0) {
        setPenAndBrush(Canvas, NegativeColor);
        Canvas.Rectangle(R.Left + H + X, R.Top, R.Left + H, R.Bottom);
    } else {
        setPenAndBrush(Canvas, PositiveColor);
        Canvas.Rectangle(R.Left + H, R.Top, R.Left + H + X, R.Bottom);
    }
}

void DrawStyledProgress(TCanvas& Canvas, const TRect& Rect, int Percent, const TStyledProgressAppearance& A) {
    const int L = Rect.Left, T = Rect.Top, R = Rect.Right, B = Rect.Bottom;
    const int E = (A.Vertical ? B - T : R - L) - 2;
    const TColor frameColor = A.ShowBorder ? A.BorderColor : A.UnCompleteColor;

    Canvas.Brush().SetColor(A.UnCompleteColor);
    Canvas.Pen().SetColor(frameColor);
    Canvas.Rectangle(L, T, R, B);

    auto piece = [&](const TRect& p, TColor c, TColor cTo) {
        if (A.ShowGradient) {
            if (A.Vertical) {
                const int mid = p.Left + (p.Right - p.Left) / 2;
                DrawGradientRect(Canvas, cTo, c, A.Steps, {p.Left, p.Top, mid, p.Bottom}, true);
                DrawGradientRect(Canvas, c, cTo, A.Steps, {mid, p.Top, p.Right, p.Bottom}, true);
            } else {
                const int mid = p.Top + (p.Bottom - p.Top) / 2;
                DrawGradientRect(Canvas, cTo, c, A.Steps, {p.Left, p.Top, p.Right, mid}, false);
                DrawGradientRect(Canvas, c, cTo, A.Steps, {p.Left, mid, p.Right, p.Bottom}, false);
            }
        } else {
            Canvas.Brush().SetColor(c);
            Canvas.FillRect(p);
        }
    };
    auto lengthOf = [E](double hundredths) { return toInt(hundredths / 100.0 * E); };

    if (Percent > 0) {
        if (A.Stacked) {
            struct Piece {
                int length;
                TColor c, cTo;
            };
            std::vector<Piece> pieces;
            if (Percent < A.Level1Perc) {
                pieces.push_back({lengthOf(Percent), A.Level0Color, A.Level0ColorTo});
            } else {
                pieces.push_back({lengthOf(A.Level1Perc), A.Level0Color, A.Level0ColorTo});
                if (Percent < A.Level2Perc) {
                    pieces.push_back({toInt(E * double(Percent - A.Level1Perc) / 100.0), A.Level1Color, A.Level1ColorTo});
                } else {
                    pieces.push_back({toInt(E * double(A.Level2Perc - A.Level1Perc) / 100.0), A.Level1Color,
                                      A.Level1ColorTo});
                    const int third = Percent == 100 ? E - pieces[0].length - pieces[1].length
                                                     : toInt(E * double(Percent - A.Level2Perc) / 100.0);
                    pieces.push_back({third, A.Level3Color, A.Level3ColorTo});
                }
            }
            int at = 0;
            for (size_t i = 0; i < pieces.size(); ++i) {
                const Piece& p = pieces[i];
                if (A.Vertical) {
                    // Each piece sits on the one before; the third one pixel higher.
                    const int lift = i == 2 ? 1 : 0;
                    const int bottom = i == 0 ? B - 1 : B - at - lift;
                    piece({L + 1, B - at - p.length - lift, R - 1, bottom}, p.c, p.cTo);
                } else {
                    piece({L + 1 + at, T + 1, L + 1 + at + p.length, B - 1}, p.c, p.cTo);
                }
                at += p.length;
            }
        } else {
            TColor c, cTo;
            if (Percent < A.Level1Perc) c = A.Level0Color, cTo = A.Level0ColorTo;
            else if (Percent < A.Level2Perc) c = A.Level1Color, cTo = A.Level1ColorTo;
            else if (Percent > 99) c = A.Level3Color, cTo = A.Level3ColorTo;
            else c = A.Level2Color, cTo = A.Level2ColorTo;
            if (A.CompletionSmooth) {
                const int len = lengthOf(Percent);
                if (A.Vertical)
                    piece({L + 1, B - len - 1, R - 1, B - 1}, c, cTo);
                else
                    piece({L + 1, T + 1, L + 1 + len, B - 1}, c, cTo);
            } else {
                Canvas.Brush().SetColor(A.UnCompleteColor);
                const int N = toInt(double(Percent) * E / 100.0);
                // Block k along the bar, `len` pixels from its start `from` (pixels past the bar's start).
                auto block = [&](int from, int len) {
                    if (A.Vertical)
                        piece({L + 2, B - 2 - from - len, R - 2, B - 2 - from}, c, cTo);
                    else
                        piece({L + 2 + from, T + 2, L + 2 + from + len, B - 2}, c, cTo);
                };
                if (N > 9) {
                    const int blocks = N / 9;
                    for (int k = 0; k < blocks; ++k) block(9 * k, 7);
                    if (N % 9 > 2) block(9 * blocks, N % 9 - 1);
                    Canvas.Brush().SetStyle(bsClear);
                } else if (N > 1) {
                    block(0, N - 1);
                }
            }
        }
    }

    if (A.ShowPercentage) {
        Canvas.Brush().SetStyle(bsClear);
        if (A.Font) {
            Canvas.Font().SetName(A.Font->Name());
            Canvas.Font().SetHeight(A.Font->Height());
            Canvas.Font().SetStyle(A.Font->Style());
        }
        Canvas.Font().SetColor(A.CompleteFontColor);
        const QString s = QString::number(Percent) + u'%';
        const QSize ext = Canvas.TextExtent(s);
        if (A.Vertical) {
            Canvas.Font().SetOrientation(900);
            Canvas.TextOut(L + (R - L) / 2 - ext.height() / 2, T + (B - T) / 2 + ext.width() / 2, s);
        } else {
            Canvas.TextOut(L + (R - L) / 2 - ext.width() / 2, T + (B - T) / 2 - ext.height() / 2, s);
        }
    }

    Canvas.Pen().SetColor(frameColor);
    Canvas.Brush().SetStyle(bsClear);
    Canvas.Rectangle(L, T, R, B);
}

// ---- Shapes and marks ----

void DrawCellShape(TCanvas& Canvas, int X, int Y, int Width, int Height, int Shape, TColor BrushColor,
                   TColor PenColor) {
    Canvas.Brush().SetColor(BrushColor);
    Canvas.Pen().SetColor(PenColor);
    if (Shape == csCircle || Shape == csSquare || Shape == csRoundSquare) Width = Height = std::min(Width, Height);
    const int hw = Width / 2, hh = Height / 2;
    const int We = Width & ~1, He = Height & ~1;
    const int W4 = We / 4, H4 = He / 4;
    auto star = [&](std::initializer_list<int> ks) {
        QList<QPoint> pts;
        for (int k : ks) {
            const double theta = k * 36.0 * std::numbers::pi / 180.0;
            const double rx = k % 2 == 0 ? hw : hw / 3.0, ry = k % 2 == 0 ? hh : hh / 3.0;
            pts.append({X + hw + toInt(std::sin(theta) * rx), Y + hh - toInt(std::cos(theta) * ry)});
        }
        Canvas.Polygon(pts);
    };
    switch (Shape) {
    case csRectangle:
    case csSquare: Canvas.Rectangle(X + 1, Y + 1, X + Width - 1, Y + Height - 1); break;
    case csCircle:
    case csEllips: Canvas.Ellipse(X, Y, X + Width, Y + Height); break;
    case csTriangleLeft: Canvas.Polygon({{X + Width, Y}, {X + Width, Y + Height}, {X, Y + hh}}); break;
    case csTriangleRight: Canvas.Polygon({{X, Y}, {X, Y + Height}, {X + Width, Y + hh}}); break;
    case csTriangleUp: Canvas.Polygon({{X, Y + Height}, {X + Width, Y + Height}, {X + hw, Y}}); break;
    case csTriangleDown: Canvas.Polygon({{X, Y}, {X + Width, Y}, {X + hw, Y + Height}}); break;
    case csDiamond: Canvas.Polygon({{X, Y + hh}, {X + hw, Y}, {X + 2 * hw, Y + hh}, {X + hw, Y + 2 * hh}}); break;
    case csLineVert: Canvas.Rectangle(X + hw, Y, X + hw + 1, Y + Height); break;
    case csLineHorz: Canvas.Rectangle(X, Y + hh, X + Width, Y + hh + 1); break;
    case csRoundRect:
    case csRoundSquare: Canvas.RoundRect(X, Y, X + Width, Y + Height, 10, 10); break;
    case csStar: star({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}); break;
    case csArrowUp:
        Canvas.Polygon({{X, Y + hh}, {X + We / 2, Y}, {X + We, Y + hh}, {X + 3 * W4, Y + hh}, {X + 3 * W4, Y + Height},
                        {X + W4, Y + Height}, {X + W4, Y + hh}});
        break;
    case csArrowDown:
        Canvas.Polygon({{X, Y + hh}, {X + We / 2, Y + Height}, {X + We, Y + hh}, {X + 3 * W4, Y + hh}, {X + 3 * W4, Y},
                        {X + W4, Y}, {X + W4, Y + hh}});
        break;
    case csArrowLeft:
        Canvas.Polygon({{X, Y + He / 2}, {X + hw, Y}, {X + hw, Y + H4}, {X + Width, Y + H4}, {X + Width, Y + 3 * H4},
                        {X + hw, Y + 3 * H4}, {X + hw, Y + He}});
        break;
    case csArrowRight:
        Canvas.Polygon({{X + Width, Y + He / 2}, {X + hw, Y}, {X + hw, Y + H4}, {X, Y + H4}, {X, Y + 3 * H4},
                        {X + hw, Y + 3 * H4}, {X + hw, Y + He}});
        break;
    case csHalfStar: star({0, 5, 6, 7, 8, 9}); break;
    default: break;
    }
}

void DrawDownTriangle(TCanvas& Canvas, int X, int Y, TColor Color) {
    setPenAndBrush(Canvas, Color);
    Canvas.Polygon({{X - 3, Y}, {X + 3, Y}, {X, Y + 3}});
}

namespace {

// Where a single-line edit of the given height lays out the character at `index` (the end of the
// text for its length): the frame, the edit's text margins, then the advance of the text before.
QPoint editCharPos(QWidget* owner, const QFont& font, const QString& text, int index, int height) {
    QStyle* style = owner ? owner->style() : QApplication::style();
    QStyleOptionFrame opt;
    opt.lineWidth = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, owner);
    const int frame = opt.lineWidth;
    constexpr int horizontalMargin = 2, verticalMargin = 1;
    const QFontMetrics fm(font);
    index = std::clamp(index, 0, int(text.size()));
    const int x = frame + horizontalMargin + fm.horizontalAdvance(text.left(index));
    const int inner = height - 2 * (frame + verticalMargin);
    const int y = frame + verticalMargin + std::max(0, (inner - fm.height() + 1) / 2);
    return {x, y};
}

}  // namespace

void DrawErrorUnderline(QWidget* Owner, TCanvas& Canvas, const QString& Text, const TRect& Rect, int OffsetY,
                        int Start, int Length) {
    const QFont font = Owner ? Owner->font() : Canvas.Font().ToQFont();
    const int len = int(Text.size()), h = Rect.Height();
    auto pos = [&](int index) { return editCharPos(Owner, font, Text, index, h); };
    int X0, Y0, X1, Y1;
    if (Start < len) {
        const QPoint p = pos(Start);
        X0 = p.x(), Y0 = p.y();
    } else {
        const QPoint p = pos(len);
        X0 = p.x() + 4, Y0 = p.y();
    }
    if (int64_t(Start) + Length < len) {
        const QPoint p = pos(Start + Length - 1);
        X1 = p.x(), Y1 = p.y();
    } else {
        X1 = pos(len - 1).x() + 4, Y1 = Y0;
    }
    Canvas.Pen().SetColor(clRed);
    Canvas.Pen().SetWidth(2);
    Canvas.MoveTo(Rect.Left + X0, Rect.Top + Y0 + OffsetY + 3);
    int G = 3, X = X0;
    for (; X <= X1; X += 3) {
        G = G == 3 ? 0 : 3;
        Canvas.LineTo(Rect.Left + X + 3, Rect.Top + Y1 + OffsetY + G);
    }
    Canvas.LineTo(Rect.Left + X + 3, Rect.Top + Y1 + OffsetY + (G == 0 ? 3 : 0));
}

void DrawBitmapTransparent(TCanvas& Canvas, const TBitmap& Bitmap, TColor BackColor, const TRect& Rect) {
    if (Bitmap.Empty()) return;
    const int w = Bitmap.Width(), h = Bitmap.Height();
    const TColor key = FromQRgb(Bitmap.Image().pixel(0, 0));
    TBitmap copy(w, h);
    copy.Canvas().Brush().SetColor(BackColor);
    copy.Canvas().BrushCopy({0, 0, w, h}, Bitmap, {0, 0, w, h}, key);
    Canvas.Draw(Rect.Left, Rect.Top, copy);
}

// ---- The program's own glyphs ----

namespace {

// The tree nodes of the grid: classic boxes and the rounded look, closed (plus) and open (minus).
// Pixel (0, 0) is the see-through colour.
// clang-format off
const char* const sgLeafClose[] = {
    "9 9 4 1",
    "  c #FF00FF",
    ". c #808080",
    "w c #FFFFFF",
    "x c #000000",
    " ....... ",
    ".wwwwwww.",
    ".wwwxwww.",
    ".wwwxwww.",
    ".wxxxxxw.",
    ".wwwxwww.",
    ".wwwxwww.",
    ".wwwwwww.",
    " ....... ",
};
const char* const sgLeafOpen[] = {
    "9 9 4 1",
    "  c #FF00FF",
    ". c #808080",
    "w c #FFFFFF",
    "x c #000000",
    " ....... ",
    ".wwwwwww.",
    ".wwwwwww.",
    ".wwwwwww.",
    ".wxxxxxw.",
    ".wwwwwww.",
    ".wwwwwww.",
    ".wwwwwww.",
    " ....... ",
};
const char* const xpNodeClose[] = {
    "9 9 7 1",
    "  c #FF00FF",
    ". c #7898B5",
    "w c #FFFFFF",
    "a c #F4F3EE",
    "b c #E2DFD6",
    "c c #C9C3B3",
    "x c #000000",
    " ....... ",
    ".wwwwwww.",
    ".wwwxwww.",
    ".aaaxaaa.",
    ".axxxxxa.",
    ".bbbxbbb.",
    ".bbbxbbb.",
    ".ccccccc.",
    " ....... ",
};
const char* const xpNodeOpen[] = {
    "9 9 7 1",
    "  c #FF00FF",
    ". c #7898B5",
    "w c #FFFFFF",
    "a c #F4F3EE",
    "b c #E2DFD6",
    "c c #C9C3B3",
    "x c #000000",
    " ....... ",
    ".wwwwwww.",
    ".wwwwwww.",
    ".aaaaaaa.",
    ".axxxxxa.",
    ".bbbbbbb.",
    ".bbbbbbb.",
    ".ccccccc.",
    " ....... ",
};
// clang-format on

struct Glyph {
    const char* name;
    const char* const* xpm;
};
constexpr Glyph glyphs[] = {
    {"SGLEAFCLOSE", sgLeafClose}, {"SGLEAFOPEN", sgLeafOpen}, {"XPNODEC", xpNodeClose}, {"XPNODEO", xpNodeOpen}};

}  // namespace

bool LoadResourceBitmap(const QString& ResourceName, TBitmap& Bitmap) {
    for (const Glyph& g : glyphs)
        if (ResourceName.compare(QLatin1String(g.name), Qt::CaseInsensitive) == 0) {
            Bitmap.SetImage(QImage(g.xpm));
            return true;
        }
    return false;
}

void DrawResourceTransparent(TCanvas& Canvas, TColor BackColor, const TRect& Rect, const QString& ResourceName) {
    TBitmap bitmap;
    if (LoadResourceBitmap(ResourceName, bitmap)) DrawBitmapTransparent(Canvas, bitmap, BackColor, Rect);
}

// ---- Clipboard ----

void WrapClipboardHTML(QString& HTML) {
    const int n = int(HTML.size());
    const QString crlf = QStringLiteral("\r\n");
    auto offset = [](const char* label, int value) { return plat::Format(u"%s%.8d", {label, value}); };
    HTML = QStringLiteral("Version:1.0") + crlf + offset("StartHTML:", 97) + crlf + offset("EndHTML:", n + 306) + crlf +
           offset("StartFragment:", 274) + crlf + offset("EndFragment:", n + 274) + crlf +
           QStringLiteral("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\">") +
           QStringLiteral("<html><head><META http-equiv=Content-Type content=\"text/html; charset=iso-8859-1\">"
                          "</head><body><!--StartFragment-->") +
           HTML + QStringLiteral("<!--EndFragment--></body></html>");
}

// ---- Layered windows ----

namespace {

// Paints a layered window's picture in place of the window's own painting.
class LayeredPicture final : public QObject {
public:
    explicit LayeredPicture(QWidget* window) : QObject(window) {
        setObjectName(QStringLiteral("layeredPicture"));
        window->installEventFilter(this);
    }
    QImage picture;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || picture.isNull()) return false;
        QPainter p(static_cast<QWidget*>(watched));
        p.setCompositionMode(QPainter::CompositionMode_Source);
        p.drawImage(0, 0, picture);
        return true;
    }
};

bool isLayered(const QWidget* w) { return w && w->isWindow() && w->testAttribute(Qt::WA_TranslucentBackground); }

LayeredPicture* pictureOf(const QWidget* w) {
    return w ? w->findChild<LayeredPicture*>(QStringLiteral("layeredPicture"), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace

bool CallUpdateLayeredWindow(QWidget* Window, void* DestDC, const QPoint* DestPoint, const QSize* Size,
                             const QImage* Source, const QPoint* SourcePoint, TColor KeyColor,
                             const TBlendFunction* Blend, uint32_t Flags) {
    (void)DestDC;
    (void)KeyColor;
    if (!isLayered(Window)) return false;
    if (DestPoint) Window->move(*DestPoint);
    if (Size) Window->resize(*Size);
    if (Blend && (Flags & ULW_ALPHA)) Window->setWindowOpacity(Blend->SourceConstantAlpha / 255.0);
    if (Source && !Source->isNull()) {
        const QPoint from = SourcePoint ? *SourcePoint : QPoint();
        const QSize size = Size ? *Size : Source->size();
        LayeredPicture* holder = pictureOf(Window);
        if (!holder) holder = new LayeredPicture(Window);
        holder->picture = Source->copy(QRect(from, size)).convertToFormat(QImage::Format_ARGB32_Premultiplied);
        Window->update();
    }
    return true;
}

bool CallSetLayeredWindowAttributes(QWidget* Window, TColor KeyColor, uint8_t Alpha, uint32_t Flags) {
    (void)KeyColor;
    if (!isLayered(Window)) return false;
    if (Flags & LWA_ALPHA) Window->setWindowOpacity(Alpha / 255.0);
    return true;
}

QImage LayeredWindowPicture(const QWidget* Window) {
    const LayeredPicture* holder = pictureOf(Window);
    return holder ? holder->picture : QImage();
}
