// The page control's own painting of its tab strip, page frame and tabs.
#include "controls/ExPageControl.h"

#include <QRegion>
#include <cmath>
#include <cstdint>

using namespace plat;

namespace {

// Nearest integer, halves to the even neighbour, as the gradient bands are laid out.
int roundEven(double v) {
    const double f = std::floor(v);
    const double d = v - f;
    if (d > 0.5) return int(f) + 1;
    if (d < 0.5) return int(f);
    return (int64_t(f) % 2 == 0) ? int(f) : int(f) + 1;
}

void line(TCanvas& c, int x1, int y1, int x2, int y2) {
    c.MoveTo(x1, y1);
    c.LineTo(x2, y2);
}

void poly(TCanvas& c, std::initializer_list<QPoint> pts) {
    auto it = pts.begin();
    c.MoveTo(it->x(), it->y());
    for (++it; it != pts.end(); ++it) c.LineTo(it->x(), it->y());
}

// Draws a part of a picture with its bottom-left pixel's colour see-through, stretched to dest.
void drawPart(TCanvas& c, const TBitmap& picture, const QRect& source, const TRect& dest) {
    if (dest.IsEmpty() || source.isEmpty()) return;
    TBitmap part;
    part.SetImage(picture.Image().copy(source));
    part.SetTransparent(true);
    part.SetTransparentColor(picture.TransparentColor());
    if (dest.Width() == source.width() && dest.Height() == source.height())
        c.Draw(dest.Left, dest.Top, part);
    else
        c.StretchDraw(dest, part);
}

// A tab picture in three slices: its two halves at the ends and the two rows (or columns) at
// its middle stretched between them over the length n.
void drawThreeSlice(TCanvas& c, const TBitmap& picture, int x, int y, int n, bool vertical) {
    TBitmap pic;
    pic.Assign(picture);
    pic.SetTransparentMode(tmAuto);
    const int w = pic.Width(), h = pic.Height();
    if (vertical) {
        const int half = h / 2;
        drawPart(c, pic, QRect(0, 0, w, half), Rect(x, y, x + w, y + half));
        drawPart(c, pic, QRect(0, std::max(0, half - 1), w, 2), Rect(x, y + half, x + w, y + half + n - h));
        drawPart(c, pic, QRect(0, half, w, h - half), Rect(x, y + half + n - h, x + w, y + n));
    } else {
        const int half = w / 2;
        drawPart(c, pic, QRect(0, 0, half, h), Rect(x, y, x + half, y + h));
        drawPart(c, pic, QRect(std::max(0, half - 1), 0, 2, h), Rect(x + half, y, x + half + n - w, y + h));
        drawPart(c, pic, QRect(half, 0, w - half, h), Rect(x + half + n - w, y, x + n, y + h));
    }
}

}  // namespace

void DrawGradient(TCanvas& Canvas, TColor FromColor, TColor ToColor, int Steps, const TRect& R, bool Horizontal) {
    const int n = Steps == 0 ? 1 : Steps;
    const TColor f = ColorToRGB(FromColor), t = ColorToRGB(ToColor);
    const double sr = double(GetRValue(t) - GetRValue(f)) / n;
    const double sg = double(GetGValue(t) - GetGValue(f)) / n;
    const double sb = double(GetBValue(t) - GetBValue(f)) / n;
    const double band = double(Horizontal ? R.Width() : R.Height()) / n;
    const int bandLen = roundEven(band);
    Canvas.Brush().SetStyle(bsSolid);
    for (int i = 0; i < n; ++i) {
        const TColor c = RGB(GetRValue(f) + roundEven(i * sr), GetGValue(f) + roundEven(i * sg),
                             GetBValue(f) + roundEven(i * sb));
        Canvas.Pen().SetColor(c);
        Canvas.Brush().SetColor(c);
        const int o = int16_t(roundEven(i * band));  // kept to 16 bits like the original offsets
        if (Horizontal)
            Canvas.Rectangle(R.Left + o, R.Top, R.Left + o + bandLen + 1, R.Bottom);
        else
            Canvas.Rectangle(R.Left, R.Top + o, R.Right, R.Top + o + bandLen + 1);
    }
}

// Looks: 0 normal, 1 hot, 2 pressed.
void TExPageControl::drawCloseBox(TCanvas& c, int pageIndex, int look) {
    TExTabSheet* page = pages_[size_t(pageIndex)];
    TRect r = PageTabRect(pageIndex);
    if (TabPosition() == tpLeft) r.Left -= 1;  // as the tab was filled
    const bool active = page == activePage_;
    const int lower = active ? lowerActive_ : 0;
    int x = 0, y = 0;
    switch (TabPosition()) {
    case tpLeft: {
        x = r.Left + tabMargin_.LeftMargin() + lower;
        int cb = r.Bottom - tabMargin_.TopMargin();
        if (!tabBackGroundActive_.Empty()) cb += tabOverlap_;
        y = cb - 15;
        break;
    }
    case tpRight:
        x = r.Left + tabMargin_.LeftMargin() - lower + 2;
        if (look == 1 && active) x = r.Left + tabMargin_.LeftMargin();
        y = r.Top + tabMargin_.TopMargin();
        break;
    default:
        x = r.Left + tabMargin_.LeftMargin();
        y = r.Top + tabMargin_.TopMargin() + lower;
        break;
    }
    if (!closeGlyph_.Empty()) {
        TBitmap glyph;
        glyph.Assign(closeGlyph_);
        glyph.SetTransparent(true);
        glyph.SetTransparentMode(tmAuto);
        drawPart(c, glyph, QRect(0, 0, std::min(12, glyph.Width()), std::min(11, glyph.Height())),
                 Rect(x + 2, y + 2, x + 2 + std::min(12, glyph.Width()), y + 2 + std::min(11, glyph.Height())));
        return;
    }
    const TColor fill = look == 2 ? clSilver : clWhite;
    const TColor outline = look == 0 ? clGray : clBlack;
    const TColor cross = look == 1 ? clGray : clBlack;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(fill);
    c.Pen().SetColor(outline);
    c.Rectangle(x + 2, y + 2, x + 14, y + 13);
    c.Pen().SetColor(cross);
    line(c, x + 5, y + 9, x + 11, y + 4);
    line(c, x + 6, y + 9, x + 10, y + 4);
    line(c, x + 5, y + 5, x + 11, y + 10);
    line(c, x + 6, y + 5, x + 10, y + 10);
}

void TExPageControl::DrawTabs(TCanvas& c) {
    const int W = width(), H = height();
    const TTabPosition pos = TabPosition();
    const bool classic = tabStyle_ == tsClassic;
    const TColor parentColor = parentWidget() ? FromQColor(parentWidget()->palette().color(parentWidget()->backgroundRole()))
                                              : clBtnFace;
    c.Brush().SetStyle(bsSolid);
    c.Brush().SetColor(parentColor);
    c.Font().Assign(Font());
    c.Pen().SetStyle(psSolid);
    c.Pen().SetWidth(1);

    // Strip extents, erasing the tab control's look of each tab.
    int T = pages_.empty() ? 0 : H, B = 0, L = W, R = 0;
    bool first = true, anyTab = false;
    for (size_t i = 0; i < pages_.size(); ++i) {
        if (!pages_[i]->tabShowing_) continue;
        const TRect r = PageTabRect(int(i));
        if (first) {
            T = r.Top;
            first = false;
        }
        anyTab = true;
        T = std::min(T, r.Top);
        B = std::max(B, r.Bottom);
        L = std::min(L, r.Left);
        R = std::max(R, r.Right);
        TRect e = r;
        e.Right += 2;
        switch (pos) {
        case tpTop: e.Left -= 2; e.Top -= 2; break;
        case tpBottom: e.Left -= 2; e.Bottom += 2; break;
        case tpLeft: e.Left -= 2; e.Top -= 2; e.Bottom += 2; e.Right -= 2; break;
        case tpRight: e.Top -= 2; e.Bottom += 2; break;
        }
        c.FillRect(e);
    }
    if (!anyTab) {
        switch (pos) {
        case tpTop: B = 2; break;
        case tpBottom: T = H - 2; break;
        case tpLeft: R = 2; break;
        case tpRight: L = W - 2; break;
        }
    }

    const TColor SB = tabSheetBorderColor_, TB = tabBorderColor_, AC = activeColor_, C = Color();
    const TColor P = activePage_ ? activePage_->color_ : C;
    const TColor PT = activePage_ ? activePage_->colorTo_ : clNone;
    const bool painted = activePage_ && (PT != clNone || P != C);
    const int inset = tabSheet3D_ ? 1 : 0;

    // The scroll arrows' area of a single row.
    if (!MultiLine() && (pos == tpTop || pos == tpBottom)) {
        c.Brush().SetColor(C);
        if (pos == tpTop) {
            c.FillRect(Rect(W - 35, 0, W, B));
            c.Pen().SetColor(clWhite);
            line(c, std::max(W - 35, R), B, W, B);
        } else {
            c.FillRect(Rect(W - 35, T, W, H));
            c.Pen().SetColor(cl3DDkShadow);
            line(c, std::max(W - 35, R), T - 1, W, T - 1);
        }
    }

    c.Brush().SetColor(tabBackGroundColor_);
    switch (pos) {
    case tpLeft: c.FillRect(Rect(0, 0, R, H - 1)); break;
    case tpRight: c.FillRect(Rect(L, 0, W, H - 1)); break;
    case tpBottom: c.FillRect(Rect(0, T, W, H)); break;
    case tpTop: c.FillRect(Rect(0, 0, W, B)); break;
    }

    // The band between the page frame and the active page.
    if (painted) {
        QRegion band;
        auto add = [&](int l, int t, int r, int b) { band += Rect(l, t, r, b).toQRect(); };
        switch (pos) {
        case tpLeft: add(R + inset, 1, R + 4, H - 1); add(R + inset, 1, W - 1, 4); add(W - 4, 1, W - 1, H - 1); add(R + inset, H - 4, W - 1, H - 1); break;
        case tpTop: add(1, B + inset, 4, H - 1); add(1, B + inset, W - 1, B + 4); add(W - 4, B + inset, W - 1, H - 1); add(1, H - 4, W - 1, H - 1); break;
        case tpBottom: add(1, 1, 4, T - inset); add(1, T - 4, W - 1, T - inset); add(W - 4, 1, W - 1, T - inset); add(1, 1, W - 1, 4); break;
        case tpRight: add(1, 1, 4, H - 2); add(1, 1, L - inset, 4); add(L - 4, 1, L - inset, H - 2); add(1, H - 4, L - inset, H - 2); break;
        }
        c.SelectClipRegion(band);
        if (PT == clNone) {
            c.Brush().SetColor(P);
            c.Pen().SetColor(P);
            c.Rectangle(0, 0, W, H);
        } else {
            DrawGradient(c, P, PT, 16, Rect(0, 0, W, H), false);
            c.Brush().SetColor(P);
            c.Pen().SetColor(P);
            switch (pos) {
            case tpLeft: c.Rectangle(R + inset, 1, W - 1, 4); break;
            case tpTop: c.Rectangle(1, B + 1, W - 1, B + 4); break;
            case tpBottom: c.Rectangle(1, 1, W - 1, 4); break;
            case tpRight: c.Rectangle(1, 1, L - inset, 4); break;
            }
        }
        c.ClearClip();
    }

    int extend = 0;
    if (!tabSheet3D_) {
        // The page frame.
        c.Pen().SetColor(SB);
        switch (pos) {
        case tpLeft:
            line(c, R, 0, R, H); line(c, R, H - 2, W - 2, H - 2); line(c, W - 2, H, W - 2, 0); line(c, W - 2, 0, R, 0);
            c.Pen().SetColor(C);
            line(c, R, H - 1, W - 1, H - 1); line(c, W - 1, H - 1, W - 1, -1);
            break;
        case tpTop:
            line(c, 0, B, 0, H); line(c, 0, H - 1, W, H - 1); line(c, W - 1, H - 2, W - 1, B); line(c, 0, B, W, B);
            if (!painted) {
                c.Pen().SetColor(C);
                line(c, 1, H - 2, W - 1, H - 2); line(c, W - 2, H - 2, W - 2, B);
            }
            break;
        case tpBottom:
            line(c, 0, 0, 0, T); line(c, 0, T - 1, W, T - 1); line(c, W - 1, T - 1, W - 1, 0); line(c, 0, 0, W, 0);
            if (!painted) {
                c.Pen().SetColor(C);
                line(c, 1, T - 2, W - 1, T - 2); line(c, W - 2, T - 2, W - 2, 0);
            }
            break;
        case tpRight:
            line(c, 0, 0, 0, H); line(c, 0, H, L, H); line(c, L - 1, H, L - 1, 0); line(c, L - 1, 0, 0, 0);
            c.Pen().SetColor(C);
            line(c, 0, H - 1, L, H - 1);
            if (!painted) line(c, L - 2, H - 3, L - 2, 0);
            break;
        }

        // Softened outer corners, away from the strip.
        if (roundEdges_) {
            switch (pos) {
            case tpLeft:
                c.Pen().SetColor(C);
                poly(c, {{W - 5, H - 2}, {W - 2, H - 2}, {W - 2, H - 6}});
                poly(c, {{W - 2, 3}, {W - 2, 0}, {W - 6, 0}});
                c.Pen().SetColor(SB);
                line(c, W - 5, H - 3, W - 3, H - 3); line(c, W - 3, H - 4, W - 3, H - 6);
                line(c, W - 3, 3, W - 3, 1); line(c, W - 4, 1, W - 6, 1);
                break;
            case tpRight:  // the corners on the left
                c.Pen().SetColor(C);
                poly(c, {{4, H - 1}, {0, H - 1}, {0, H - 5}});
                poly(c, {{0, 3}, {0, 0}, {5, 0}});
                c.Pen().SetColor(SB);
                line(c, 4, H - 2, 2, H - 2); line(c, 1, H - 3, 1, H - 5);
                line(c, 1, 3, 1, 1); line(c, 2, 1, 5, 1);
                break;
            case tpTop:  // the corners at the bottom
                c.Pen().SetColor(C);
                poly(c, {{0, H - 5}, {0, H - 1}, {4, H - 1}});
                poly(c, {{W - 5, H - 1}, {W - 1, H - 1}, {W - 1, H - 5}});
                c.Pen().SetColor(SB);
                line(c, 1, H - 5, 1, H - 3); line(c, 2, H - 2, 4, H - 2);
                line(c, W - 5, H - 2, W - 3, H - 2); line(c, W - 2, H - 3, W - 2, H - 5);
                break;
            case tpBottom:  // the corners at the top
                c.Pen().SetColor(C);
                poly(c, {{0, 4}, {0, 0}, {4, 0}});
                poly(c, {{W - 5, 0}, {W - 1, 0}, {W - 1, 4}});
                c.Pen().SetColor(SB);
                line(c, 1, 4, 1, 2); line(c, 2, 1, 4, 1);
                line(c, W - 5, 1, W - 3, 1); line(c, W - 2, 2, W - 2, 4);
                break;
            }
        }

        // The tabs run into the page unless a split line separates them.
        if (!tabSplitLine_ && !pages_.empty()) {
            extend = 1;
            TColor pen = painted ? P : C;
            if (pos == tpBottom && painted && PT != clNone) pen = PT;
            c.Pen().SetColor(pen);
            switch (pos) {
            case tpLeft: line(c, R, 2, R, B + tabOverlap_ + (classic && !tabBackGround_.Empty() ? 2 : 0)); break;
            case tpTop: line(c, 2, B, R + tabOverlap_, B); break;
            case tpBottom: line(c, 2, T - 1, R + tabOverlap_, T - 1); break;
            case tpRight: line(c, L - 1, B + tabOverlap_ - 1, L - 1, 2); break;
            }
        }
    }

    // The tabs, from the last page to the first.
    bool deferred = false;
    TRect deferredRect;
    int deferredPage = -1, dx = 0, dy = 0;
    bool deferredSaved = false;
    for (int i = PageCount() - 1; i >= 0; --i) {
        TExTabSheet* page = pages_[size_t(i)];
        if (!page->tabShowing_) continue;
        TRect r = PageTabRect(i);
        const bool active = page == activePage_;
        TColor fill, fillTo;
        TGradientDirection dir;
        if (active && AC != clNone) {
            fill = AC; fillTo = activeColorTo_; dir = page->tabGradient_;
        } else if (i == hoverPage_ && (tabHoverColor_ != clNone || tabHoverColorTo_ != clNone)) {
            fill = tabHoverColor_; fillTo = tabHoverColorTo_; dir = page->hoverGradient_;
        } else {
            fill = page->tabColor_; fillTo = page->tabColorTo_; dir = page->tabGradient_;
        }
        const bool horizontalGradient = dir == gdHorizontal;
        c.Brush().SetStyle(bsSolid);
        c.Brush().SetColor(fill);
        const bool hasPicture = !tabBackGround_.Empty();
        const int lower = active ? lowerActive_ : 0;

        // The separator on the inactive tab's far edge, left out before the active tab.
        TExTabSheet* next = FindNextPage(page, true, true);
        bool reachesEnd = false;
        switch (pos) {
        case tpLeft: case tpRight: reachesEnd = B - 3 < r.Bottom; break;
        default: reachesEnd = R - 3 < r.Right; break;
        }
        const bool separator = !(next == activePage_ && !reachesEnd);

        int x = 0, y = 0;
        TRect g = r;  // the gradient's rectangle
        switch (pos) {
        case tpLeft:
            y = r.Bottom - 4 - (page->showClose_ ? 13 : 0);
            x = r.Left + 1 + lower;
            if (!hasPicture) {
                r.Left -= 1;
                g = r;
                g.Right -= 1;
                if (!horizontalGradient) g.Bottom -= 1;
            }
            break;
        case tpRight:
            y = r.Top + 4 + (page->showClose_ ? 13 : 0);
            x = r.Right - 1 - lower;
            if (!active && !horizontalGradient) g.Bottom -= 1;
            break;
        case tpTop:
            x = r.Left + 4 + (page->showClose_ ? 14 : 0);
            y = r.Top + 1 + lower;
            if (!hasPicture) r.Top -= 1;
            g = r;
            g.Bottom -= 1;
            if (horizontalGradient) g.Right -= 1;
            break;
        case tpBottom:
            x = r.Left + 4 + (page->showClose_ ? 14 : 0);
            y = r.Top + (active ? 1 + lowerActive_ : 0);
            if (horizontalGradient)
                g.Right -= 1;
            else
                g.Bottom -= 1;
            break;
        }
        if (!hasPicture) {
            if (fillTo != clNone)
                DrawGradient(c, fill, fillTo, 16, g, horizontalGradient);
            else
                c.FillRect(r);
            if (pos == tpRight) r.Right += 1;
            if (pos == tpBottom) r.Bottom += 1;
            c.Brush().SetStyle(bsClear);

            c.Pen().SetColor(TB);
            if (!classic) {
                if (active) {
                    switch (pos) {
                    case tpLeft: poly(c, {{r.Right, r.Top}, {r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}}); break;
                    case tpRight: poly(c, {{r.Left - 1, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom}, {r.Left - 1, r.Bottom}}); break;
                    case tpTop: poly(c, {{r.Left, r.Bottom}, {r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}}); break;
                    case tpBottom: poly(c, {{r.Left, r.Top - 1}, {r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top - 1}}); break;
                    }
                } else {
                    switch (pos) {
                    case tpLeft: line(c, r.Right, r.Top, r.Right, r.Bottom); break;
                    case tpRight: line(c, r.Left - 1, r.Top, r.Left - 1, r.Bottom); break;
                    case tpTop: line(c, r.Left, r.Bottom, r.Right, r.Bottom); break;
                    case tpBottom: line(c, r.Left, r.Top - 1, r.Right, r.Top - 1); break;
                    }
                    if (separator) {
                        c.Pen().SetColor(AC);
                        if (pos == tpLeft || pos == tpRight) {
                            line(c, r.Left + 2, r.Bottom - 2, r.Right - 2, r.Bottom - 2);
                            line(c, r.Left + 2, r.Bottom - 3, r.Right - 2, r.Bottom - 3);
                        } else {
                            line(c, r.Right - 2, r.Bottom - 3, r.Right - 2, r.Top + 2);
                            line(c, r.Right - 3, r.Bottom - 3, r.Right - 3, r.Top + 2);
                        }
                    }
                }
            } else if (active) {
                switch (pos) {
                case tpLeft: poly(c, {{r.Right - 1, r.Top}, {r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}}); break;
                case tpRight: poly(c, {{r.Left, r.Top}, {r.Right - 1, r.Top}, {r.Right - 1, r.Bottom}, {r.Left - 1, r.Bottom}}); break;
                case tpTop: poly(c, {{r.Left, r.Bottom - 1}, {r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}}); break;
                case tpBottom: poly(c, {{r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top - 1}}); break;
                }
            } else {
                TRect o;
                switch (pos) {
                case tpLeft:
                    if (extend == 1 && r.Right < R) extend = 0;
                    o = Rect(r.Left, r.Top, r.Right + extend, r.Bottom > H - 5 ? r.Bottom : r.Bottom + 1);
                    break;
                case tpRight:
                    if (extend == 1 && r.Left > L) extend = 0;
                    o = Rect(r.Left - extend, r.Top, r.Right, r.Bottom > H - 5 ? r.Bottom : r.Bottom + 1);
                    break;
                case tpTop:
                    if (extend == 1 && r.Bottom < B) extend = 0;
                    o = Rect(r.Left, r.Top, r.Right > W - 5 ? r.Right : r.Right + 1, r.Bottom + extend);
                    break;
                case tpBottom:
                    if (extend == 1 && r.Top > T) extend = 0;
                    o = Rect(r.Left, r.Top - extend, r.Right > W - 5 ? r.Right : r.Right + 1, r.Bottom);
                    y += 2;
                    break;
                }
                c.Rectangle(o);
                extend = (tabSheet3D_ || tabSplitLine_) ? 0 : 1;
            }
        } else {
            switch (pos) {
            case tpLeft: x -= 2; y -= 3; break;
            case tpRight: x -= TabHeight() / 3; y -= 3; break;
            case tpBottom: y += 3; break;
            default: break;
            }
            if (active && !tabBackGroundActive_.Empty()) {
                deferred = true;
                deferredRect = r;
                deferredPage = i;
            } else {
                const int lenV = r.Bottom - r.Top + 3 + tabOverlap_;
                const int lenH = r.Right - r.Left + 2 + tabOverlap_;
                switch (pos) {
                case tpLeft: drawThreeSlice(c, tabBackGround_, r.Left, r.Top, lenV, true); break;
                case tpRight: drawThreeSlice(c, tabBackGround_, r.Left - 1, r.Top - 2, lenV, true); break;
                case tpTop: drawThreeSlice(c, tabBackGround_, r.Left - 1, r.Top - 2, lenH, false); break;
                case tpBottom: drawThreeSlice(c, tabBackGround_, r.Left - 2, r.Top - 1, lenH, false); break;
                }
            }
        }

        // The caption's font.
        TFont font;
        if (pos == tpLeft || pos == tpRight) {
            font.Assign(active ? activeFont_ : c.Font());
            font.SetOrientation(pos == tpLeft ? 900 : 2700);  // reading upwards on the left, downwards on the right
            font.SetColor(page->textColor_);
        } else if (pos == tpTop) {
            font.Assign(active ? activeFont_ : c.Font());
            if (!active) font.SetColor(page->textColor_);
        } else {
            font.Assign(activeFont_);
        }
        if (!page->tabEnable_) font.SetColor(clGray);

        if (pos == tpLeft) {
            x += tabMargin_.LeftMargin();
            y -= tabMargin_.TopMargin();
            if (!tabBackGroundActive_.Empty()) y += tabOverlap_ + 3;
        } else {
            x += tabMargin_.LeftMargin();
            y += tabMargin_.TopMargin();
        }
        if (deferred && deferredPage == i) {
            if (!deferredSaved) {
                dx = x;
                dy = y;
                deferredSaved = true;
            }
            continue;
        }
        if (page->showClose_) drawCloseBox(c, i, active ? (closePressed_ ? 2 : closeHot_ ? 1 : 0) : 0);
        const auto drawContent = [&](int px, int py, const TFont& f, const TRect& tr) {
            if (images_ && !IsSpacer(images_) && page->imageIndex_ >= 0) {
                switch (pos) {
                case tpLeft: images_->Draw(c, px, py - 14, page->imageIndex_); py -= images_->Height(); break;
                case tpRight: images_->Draw(c, px - 14, py, page->imageIndex_); py += images_->Height(); break;
                default: images_->Draw(c, px - 2, py, page->imageIndex_); px += images_->Width(); break;
                }
            }
            c.Font().Assign(f);
            c.Brush().SetStyle(bsClear);
            if (pos == tpLeft || pos == tpRight) {
                c.TextOut(px, py, page->caption_);
            } else {
                TRect t = Rect(px, pos == tpBottom && deferred && deferredPage == i ? py - 2 : py, tr.Right, tr.Bottom);
                c.DrawText(page->caption_, t, DT_SINGLELINE | DT_NOCLIP);
            }
            c.Font().Assign(Font());
        };
        drawContent(x, y, font, r);
        if (active && showFocus_ && hasFocus()) {
            c.Brush().SetStyle(bsClear);
            c.Pen().SetColor(clBlack);
            c.Pen().SetStyle(psDot);
            if (pos == tpLeft || pos == tpRight)
                c.Rectangle(r.Left + 5, r.Top + 3, r.Right - 5, r.Bottom - 3);
            else
                c.Rectangle(r.Left + 5, r.Top + 3, r.Right - 5, r.Bottom - 3);
            c.Pen().SetStyle(psSolid);
        }
    }

    // The active tab with its own picture, over its neighbours.
    if (deferred && deferredPage >= 0) {
        TExTabSheet* page = pages_[size_t(deferredPage)];
        const TRect r = deferredRect;
        const int lenV = r.Bottom - r.Top + 3 + tabOverlap_;
        const int lenH = r.Right - r.Left + 2 + tabOverlap_;
        const bool low = lowerActive_ < 1;
        switch (pos) {
        case tpTop: drawThreeSlice(c, tabBackGroundActive_, r.Left - 2, low ? r.Top - 2 : r.Top - 1, lenH, false); break;
        case tpBottom: drawThreeSlice(c, tabBackGroundActive_, r.Left - 2, low ? r.Top - 1 : r.Top - 3, lenH, false); break;
        case tpLeft: drawThreeSlice(c, tabBackGroundActive_, low ? r.Left : r.Left + 1, r.Top, lenV, true); break;
        case tpRight: drawThreeSlice(c, tabBackGroundActive_, low ? r.Left - 1 : r.Left - 3, r.Top - 2, lenV, true); break;
        }
        if (page->showClose_) drawCloseBox(c, deferredPage, closePressed_ ? 2 : closeHot_ ? 1 : 0);
        int px = dx, py = dy;
        if (images_ && !IsSpacer(images_) && page->imageIndex_ >= 0) {
            switch (pos) {
            case tpLeft: images_->Draw(c, px, py - 14, page->imageIndex_); py -= images_->Height(); break;
            case tpRight: images_->Draw(c, px - 14, py, page->imageIndex_); py += images_->Height(); break;
            default: images_->Draw(c, px - 2, py, page->imageIndex_); px += images_->Width(); break;
            }
        }
        TFont font;
        font.Assign(activeFont_);
        if (pos == tpLeft) font.SetOrientation(900);
        if (pos == tpRight) font.SetOrientation(2700);
        font.SetColor(page->tabEnable_ ? page->textColor_ : clGray);
        c.Font().Assign(font);
        c.Brush().SetStyle(bsClear);
        if (pos == tpLeft || pos == tpRight) {
            c.TextOut(px, py, page->caption_);
        } else {
            TRect t = Rect(px, pos == tpBottom ? py - 2 : py, r.Right, r.Bottom);
            c.DrawText(page->caption_, t, DT_SINGLELINE | DT_NOCLIP);
        }
        c.Font().Assign(Font());
        if (showFocus_ && hasFocus()) {
            c.Pen().SetColor(clBlack);
            c.Pen().SetStyle(psDot);
            if (pos == tpLeft || pos == tpRight)
                c.Rectangle(r.Left + 5, r.Top + 3, r.Right - 5, r.Bottom - tabOverlap_ - 3);
            else
                c.Rectangle(r.Left + 5, r.Top + 3, r.Right - tabOverlap_ - 5, r.Bottom - 3);
            c.Pen().SetStyle(psSolid);
        }
    }

    // The outline of the tab under the pointer.
    if (hoverPage_ >= 0 && hoverPage_ < PageCount() && tabHoverBorder_ != clNone && pages_[size_t(hoverPage_)] != activePage_ &&
        pages_[size_t(hoverPage_)]->tabShowing_) {
        TRect r = PageTabRect(hoverPage_);
        c.Pen().SetColor(tabHoverBorder_);
        switch (pos) {
        case tpTop:
            if (r.Right > W - 5) r.Right -= 1;
            r.Top -= 1;
            poly(c, {{r.Left, r.Bottom - 2}, {r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom - 1}});
            break;
        case tpBottom:
            if (r.Right > W - 5) r.Right -= 1;
            poly(c, {{r.Left, r.Top + 1}, {r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top}});
            break;
        case tpLeft:
            if (r.Bottom > H - 5) r.Bottom -= 1;
            r.Left -= 1;
            r.Top -= 2;
            poly(c, {{r.Right - 1, r.Top + 2}, {r.Left, r.Top + 2}, {r.Left, r.Bottom}, {r.Right, r.Bottom}});
            break;
        case tpRight:
            if (r.Bottom > H - 5) r.Bottom -= 1;
            r.Left += 1;
            poly(c, {{r.Left, r.Top}, {r.Right, r.Top}, {r.Right, r.Bottom}, {r.Left - 1, r.Bottom}});
            break;
        }
    }
    c.Brush().SetStyle(bsSolid);
}
