#include "controls/FadeButtons.h"

#include <QImage>
#include <QPainter>
#include <QPoint>
#include <algorithm>
#include <array>
#include <vector>

using namespace plat;

namespace {

constexpr TColor kTransparentKey = 0xFF00FF;

constexpr std::array<TFadeColorPreset, 10> kPresets{{
    {0x00C0C0, 0x00FFFF, 0x008080, clNone, 0x00DFDF, false, 0x000000, bsModern},    // lcsGold
    {0xC0C0C0, 0xFFFFFF, 0x808080, clNone, clNone, false, 0x000000, bsModern},      // lcsChrome
    {0xFF8000, 0xFFFF00, 0xFF0000, clNone, clNone, false, 0x000000, bsModern},      // lcsBlue
    {0x0000FF, 0xC0C0FF, 0x0000C0, clNone, clNone, false, 0x000000, bsModern},      // lcsRed
    {clBtnFace, 0xB59284, 0xB59284, 0xB59284, 0xDED3D6, true, 0x000000, bsNormal},  // lcsUltraFlat1
    {clBtnFace, 0x000000, 0x000000, 0x24DABC, 0x8CF6E4, true, 0x000000, bsNormal},  // lcsUltraFlat2
    {0xD1D8DB, 0xB59284, 0xB59285, 0xB59285, 0xD2BDB6, true, 0x000000, bsNormal},   // lcsUltraFlatXP
    {0xECCE94, 0xFCE6D4, 0x000000, clNone, clNone, false, 0x000000, bsModern},      // lcsAqua
    {clBtnFace, 0xFFFFFF, 0x808080, clNone, clNone, false, 0x000000, bsNormal},     // lcsDefault
    {0x603000, 0xC0C0C0, 0xC0C0C0, 0xAD6529, 0xCEAE9C, false, 0xFFFFFF, bsQuicken}, // lcsQuicken
}};

constexpr std::array<TFadeKindPreset, 10> kKinds{{
    {1, "LBOK", "OK"},
    {2, "LBCANCEL", "Abbrechen"},
    {0, "LBHELP", "Hilfe"},
    {6, "LBYES", "Ja"},
    {7, "LBNO", "Nein"},
    {0, "LBCLOSE", "Schließen"},
    {3, "LBABORT", "Abbrechen"},
    {4, "LBRETRY", "Wiederholen"},
    {5, "LBIGNORE", "Ignorieren"},
    {12, "LBALL", "Alle"},
}};

// The kind pictures: strokes on an 18-pixel cell, drawn in the symbol's colour in the normal cell
// and in grey (with a white relief) in the disabled one.
struct KindPicture {
    const char* name;
    TColor color;
    std::vector<std::vector<QPoint>> strokes;
    bool ring = false;  // a circle behind the strokes
};

const std::vector<KindPicture>& kindPictures() {
    static const std::vector<KindPicture> pictures{
        {"LBOK", 0x008000, {{{3, 9}, {7, 13}, {15, 4}}}},
        {"LBCANCEL", 0x0000C0, {{{4, 4}, {14, 14}}, {{14, 4}, {4, 14}}}},
        {"LBHELP", 0x800000, {{{5, 6}, {7, 3}, {11, 3}, {13, 6}, {9, 9}, {9, 12}}, {{9, 14}, {9, 16}}}},
        {"LBYES", 0x008000, {{{3, 9}, {7, 13}, {15, 4}}}, true},
        {"LBNO", 0x0000C0, {{{5, 13}, {13, 5}}}, true},
        {"LBCLOSE", 0x004080, {{{5, 16}, {5, 2}, {13, 2}, {13, 16}}, {{11, 9}, {11, 10}}}},
        {"LBABORT", 0x0000C0, {{{6, 6}, {12, 12}}, {{12, 6}, {6, 12}}}, true},
        {"LBRETRY", 0x008000, {{{13, 9}, {13, 4}, {4, 4}, {4, 14}, {13, 14}}, {{11, 7}, {13, 9}, {15, 7}}}},
        {"LBIGNORE", 0x800000, {{{3, 6}, {15, 6}}, {{3, 11}, {15, 11}}}},
        {"LBALL", 0x008000, {{{1, 10}, {5, 14}, {11, 5}}, {{6, 10}, {10, 14}, {16, 5}}}},
    };
    return pictures;
}

void drawStrokes(TCanvas& c, const KindPicture& pic, int dx, TColor color) {
    c.Pen().SetColor(color);
    c.Pen().SetWidth(2);
    c.Brush().SetStyle(bsClear);
    if (pic.ring) c.Ellipse(dx + 2, 2, dx + 17, 17);
    for (const auto& s : pic.strokes) {
        c.MoveTo(dx + s.front().x(), s.front().y());
        for (size_t i = 1; i < s.size(); ++i) c.LineTo(dx + s[i].x(), s[i].y());
    }
}

}  // namespace

const TFadeColorPreset* GetColorStyleColors(TFadeColorStyle style) {
    if (style == lcsCustom || style > lcsQuicken) return nullptr;
    return &kPresets[style - 1];
}

const TFadeKindPreset* FadeKindPreset(TFadeButtonKind kind) {
    if (kind == bkCustom || kind > bkAll) return nullptr;
    return &kKinds[kind - 1];
}

TBitmap FadeButtonResource(const QString& name) {
    if (name == QLatin1String("LBARROW")) {
        TBitmap b(5, 3);
        TCanvas& c = b.Canvas();
        c.Brush().SetColor(clWhite);
        c.FillRect(Rect(0, 0, 5, 3));
        for (int row = 0; row < 3; ++row)
            for (int x = row; x < 5 - row; ++x) c.SetPixel(x, row, clBlack);
        c.Release();
        return b;
    }
    for (const KindPicture& pic : kindPictures()) {
        if (name != QLatin1String(pic.name)) continue;
        const int h = name == QLatin1String("LBALL") ? 19 : 18;
        TBitmap b(36, h);
        TCanvas& c = b.Canvas();
        c.Brush().SetColor(clOlive);  // the key colour: the bottom-left pixel stays clear of strokes
        c.FillRect(Rect(0, 0, 36, h));
        drawStrokes(c, pic, 0, pic.color);
        drawStrokes(c, pic, 19, clWhite);
        drawStrokes(c, pic, 18, clGray);
        c.Release();
        return b;
    }
    return TBitmap();
}

void FadeGradient(TCanvas& canvas, TColor a, TColor b, int left, int top, int right, int bottom) {
    const TPenStyle keep = canvas.Pen().Style();
    a = ColorToRGB(a);
    b = ColorToRGB(b);
    const int span = bottom - top;
    const int band = span / 31 + 1;
    double r = GetRValue(a), g = GetGValue(a), bl = GetBValue(a);
    const double dr = (GetRValue(b) - r) / 31.0, dg = (GetGValue(b) - g) / 31.0, db = (GetBValue(b) - bl) / 31.0;
    canvas.Pen().SetStyle(psClear);
    for (int i = 0; i <= 31; ++i) {
        const int y = top + i * span / 31;
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(RGB(int(r), int(g), int(bl)));
        canvas.FillRect(Rect(left, y, right, std::min(y + band, bottom)));
        r += dr;
        g += dg;
        bl += db;
    }
    canvas.Pen().SetStyle(keep);
}

TColor HotTrackBlend(TColor f, TColor t, int step) {
    f = ColorToRGB(f);
    t = ColorToRGB(t);
    const double c = step / 8.0;
    auto mix = [c](int x, int y) { return int(x * (1 - c) + y * c); };
    return RGB(mix(GetRValue(f), GetRValue(t)), mix(GetGValue(f), GetGValue(t)), mix(GetBValue(f), GetBValue(t)));
}

QString FitFadeCaption(const TCanvas& canvas, QString caption, int room) {
    while (!caption.isEmpty() && canvas.TextWidth(caption) > room) caption.chop(1);
    return caption;
}

namespace {

void line(TCanvas& c, TColor color, std::initializer_list<QPoint> pts) {
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);
    c.Pen().SetColor(color);
    auto it = pts.begin();
    c.MoveTo(it->x(), it->y());
    for (++it; it != pts.end(); ++it) c.LineTo(it->x(), it->y());
}

void drawCell(TCanvas& c, const TBitmap* glyph, int index, int gw, int gh, int x, int y) {
    if (!glyph || glyph->Empty() || gw <= 0 || gh <= 0) return;
    TBitmap cell;
    cell.SetImage(glyph->Image().copy(index * gw, 0, gw, gh));
    cell.SetTransparent(true);
    c.Draw(x, y, cell);
}

}  // namespace

void PaintFadeButtonFace(TCanvas& c, const TFadeFace& f) {
    const int W = f.Width, H = f.Height;
    const bool pressed = f.Enabled && f.Pressed;
    const int p = pressed && f.Style != bsEncarta ? 1 : 0;

    TColor face = ColorToRGB(f.Color);
    if (f.Enabled && f.HotTrackColor != clNone) face = HotTrackBlend(face, f.HotTrackColor, f.HotTrackStep);
    if (pressed && f.ColorWhenDown != clNone) face = ColorToRGB(f.ColorWhenDown);

    // Background.
    c.Pen().SetStyle(psSolid);
    if (f.Style == bsShape) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(kTransparentKey);
        c.FillRect(Rect(0, 0, W, H));
    } else if (!f.SkipBackground) {
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(face);
        if (f.Style == bsNormal || f.Style == bsEncarta || f.Style == bsOld) {
            c.FillRect(Rect(-1, -1, W + 1, H + 1));
        } else if (f.Style == bsModern) {
            FadeGradient(c, f.LightColor, face, 2, 2, W - 2, H / 4 + p);
            FadeGradient(c, face, f.LightColor, 2, H / 4 + p, W - 2, H - 1);
        }
    }
    c.Brush().SetStyle(bsClear);

    // Frame.
    const bool framed = (f.Enabled && (!f.Flat || f.Hot || pressed)) || (!f.Enabled && !f.Flat);
    switch (f.Style) {
    case bsNormal:
    case bsEncarta:
        if (framed) {
            const TColor a = pressed ? f.ShadowColor : f.LightColor, b = pressed ? f.LightColor : f.ShadowColor;
            line(c, a, {{0, H - 1}, {0, 0}, {W - 1, 0}});
            line(c, b, {{W - 1, 0}, {W - 1, H - 1}, {0, H - 1}});
        }
        break;
    case bsOld:
        if (framed) {
            if (pressed)
                line(c, f.ShadowColor, {{1, H - 3}, {1, 1}, {W - 2, 1}});
            else
                line(c, f.ShadowColor, {{W - 2, 0}, {W - 2, H - 2}, {0, H - 2}});
            const TColor a = pressed ? cl3DDkShadow : f.LightColor, b = pressed ? f.LightColor : cl3DDkShadow;
            line(c, a, {{0, H - 1}, {0, 0}, {W - 1, 0}});
            line(c, b, {{W - 1, 0}, {W - 1, H - 1}, {-1, H - 1}});
        }
        break;
    case bsModern:
        c.Pen().SetStyle(psSolid);
        c.Pen().SetWidth(1);
        c.Pen().SetColor(pressed ? f.ShadowColor : face);
        c.Rectangle(1, 1, W - 1, H - 1);
        c.Pen().SetColor(f.ShadowColor);
        c.RoundRect(0, 0, W, H, 6, 6);
        break;
    case bsQuicken:
        c.Pen().SetStyle(psClear);
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(face);
        c.RoundRect(0, 1, W, H, 4, 4);
        c.Brush().SetStyle(bsClear);
        line(c, f.ShadowColor, {{4, 0}, {W - 5, 0}});
        line(c, f.ShadowColor, {{4, H - 1}, {W - 5, H - 1}});
        break;
    case bsShape:
        break;
    }

    // Font and glyph cell.
    if (f.Font) c.Font().Assign(*f.Font);
    if (f.Style == bsEncarta && pressed) c.Font().SetStyle(c.Font().Style().include(fsBold));
    const bool hasGlyph = f.Glyph && !f.Glyph->Empty();
    const int gh = hasGlyph ? f.Glyph->Height() : 0;
    const int gw = hasGlyph && f.NumGlyphs > 0 ? f.Glyph->Width() / f.NumGlyphs : 0;
    int cell = 1;
    if (f.Enabled) {
        cell = 0;
        if (f.Hot && f.NumGlyphs > 3) cell = 3;
        if (pressed && f.NumGlyphs > 2) cell = 2;
    }
    const unsigned format = f.Alignment == taLeftJustify    ? DT_WORDBREAK
                            : f.Alignment == taRightJustify ? DT_WORDBREAK | DT_RIGHT
                                                            : DT_WORDBREAK | DT_CENTER;
    QString caption = f.Caption;
    int tw = 0, th = 0;
    auto fit = [&](int v) {
        if (!f.WordWrap) caption = FitFadeCaption(c, caption, v);
        TRect r = Rect(0, 0, v, 0);
        c.DrawText(caption, r, DT_CALCRECT | DT_WORDBREAK);
        tw = r.Width();
        th = r.Height();
    };

    if (f.Style == bsShape) {
        const int v = std::max(W - 8, 0);
        fit(v);
        drawCell(c, f.Glyph, cell, gw, gh, (W - gw) / 2, (H - gh) / 2);
        TRect r = Rect(p, (H - th) / 2 + p, W, H);
        c.DrawText(caption, r, DT_WORDBREAK | DT_CENTER);
    } else {
        int v, tx = p + 4, ty, gx, gy;
        if (f.Layout == blGlyphLeft || f.Layout == blGlyphRight) {
            v = W - 8;
            if (gw > 0) v -= gw + 4;
            v = std::max(v, 0);
            fit(v);
            ty = (H - th) / 2 + p;
            gy = (H - gh) / 2 + p;
            const int tw4 = caption.isEmpty() ? 0 : tw + 4;
            if (f.Layout == blGlyphLeft) {
                if (gw > 0) tx += gw + 4;
                gx = p + 4;
                if (!f.WordWrap) {
                    if (f.Alignment == taRightJustify)
                        gx = W - 4 - gw - tw4 + p;
                    else if (f.Alignment == taCenter)
                        gx = (W - gw) / 2 + p - tw4 / 2;
                }
            } else {
                gx = tx + tw4;
                if (!f.WordWrap) {
                    if (f.Alignment == taRightJustify)
                        gx = W - 4 - gw + p;
                    else if (f.Alignment == taCenter)
                        gx = (W - gw) / 2 + p + tw4 / 2;
                }
            }
        } else {
            v = std::max(W - 8, 0);
            fit(v);
            const int total = th + (gh > 0 ? gh + 4 : 0);
            if (f.Layout == blGlyphTop) {
                ty = (H - total) / 2 + gh + p;
                gy = (H - total) / 2 + p;
            } else {
                ty = (H - total) / 2 + p;
                gy = (H - total) / 2 + th + p;
            }
            gx = f.Alignment == taLeftJustify    ? p + 4
                 : f.Alignment == taRightJustify ? W - gw - 4 + p
                                                 : (W - gw) / 2 + p;
        }
        if (!f.Enabled) c.Font().SetColor(0x808080);
        TRect r = Rect(tx, ty, tx + v, ty + th);
        c.DrawText(caption, r, format);
        drawCell(c, f.Glyph, cell, gw, gh, gx, gy);
    }

    if (f.HasPopupMenu) {
        TBitmap arrow = FadeButtonResource(QStringLiteral("LBARROW"));
        arrow.SetTransparent(true);
        c.Draw(W - 11, H / 2 - 1, arrow);
    }
}
