// Painting the header: the off-screen strip with the fixed cells on top, the button edges of the
// three header styles, the layout of image, caption and sort glyph in a cell, the drop marks of a
// column drag and the owner-drawn cells.
#include <QPainter>
#include <algorithm>

#include "platform/Themes.h"
#include "treeview/LazyTrees.Utils.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesHeader.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using enum THeaderPaintElement;
using plat::TRect;

namespace {

void Fill(QPainter* p, int l, int t, int r, int b, plat::TColor color) {
    if (r > l && b > t) p->fillRect(QRect(l, t, r - l, b - t), plat::ToQColor(color));
}

// One ring; the dark lines own the bottom-left and top-right corners.
void Ring(QPainter* p, TRect& r, unsigned flags, plat::TColor light, plat::TColor dark) {
    if (r.IsEmpty()) return;
    if (flags & plat::BF_LEFT) Fill(p, r.Left, r.Top, r.Left + 1, r.Bottom - 1, light);
    if (flags & plat::BF_TOP) Fill(p, r.Left, r.Top, r.Right - 1, r.Top + 1, light);
    if (flags & plat::BF_RIGHT) Fill(p, r.Right - 1, r.Top, r.Right, r.Bottom, dark);
    if (flags & plat::BF_BOTTOM) Fill(p, r.Left, r.Bottom - 1, r.Right, r.Bottom, dark);
    if (flags & plat::BF_LEFT) ++r.Left;
    if (flags & plat::BF_TOP) ++r.Top;
    if (flags & plat::BF_RIGHT) --r.Right;
    if (flags & plat::BF_BOTTOM) --r.Bottom;
}

// The header is drawn by the style when its tree is themed; a column drag picture without a tree
// takes the edges.
plat::TThemeData HeaderThemeOf(TBaseLazyTree* Tree) {
    if (!Tree || !Tree->TreeStates().Contains(TLazyTreeState::tsUseThemes)) return {};
    return plat::OpenThemeData(Tree, u"header");
}

struct EdgeStyle {
    unsigned normal, normalFlags, pressed, pressedFlags, hot, hotFlags;
};

EdgeStyle EdgesOf(TLTHeaderStyle Style) {
    using namespace plat;
    switch (Style) {
    case TLTHeaderStyle::hsThickButtons:
        return {EDGE_RAISED, BF_ADJUST | BF_SOFT | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM,
                EDGE_RAISED, BF_FLAT | BF_ADJUST | BF_SOFT | BF_MIDDLE | BF_RECT,
                EDGE_RAISED, BF_ADJUST | BF_SOFT | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM};
    case TLTHeaderStyle::hsFlatButtons:
        return {BDR_RAISEDINNER, BF_ADJUST | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM,
                BDR_SUNKENOUTER, BF_ADJUST | BF_MIDDLE | BF_RECT,
                BDR_RAISEDINNER, BF_ADJUST | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM};
    case TLTHeaderStyle::hsPlates:
        break;
    }
    return {BDR_RAISEDINNER, BF_ADJUST | BF_SOFT | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM,
            BDR_SUNKENOUTER, BF_ADJUST | BF_MIDDLE | BF_RECT,
            BDR_RAISEDINNER, BF_ADJUST | BF_MIDDLE | BF_LEFT | BF_TOP | BF_BOTTOM};
}

}  // namespace

void DrawHeaderEdge(plat::TCanvas& Canvas, TRect& R, unsigned Edge, unsigned Flags) {
    using namespace plat;
    QPainter* p = Canvas.Painter();
    if (!p) return;
    TRect in = R;
    const bool soft = Flags & BF_SOFT, flat = Flags & BF_FLAT;
    const unsigned sides = Flags & BF_RECT;
    if (flat) {
        if (Edge & (BDR_RAISEDOUTER | BDR_SUNKENOUTER)) Ring(p, in, sides, clBtnShadow, clBtnShadow);
        if (Edge & (BDR_RAISEDINNER | BDR_SUNKENINNER)) Ring(p, in, sides, clBtnFace, clBtnFace);
    } else {
        if (Edge & BDR_RAISEDOUTER) Ring(p, in, sides, soft ? clBtnHighlight : cl3DLight, cl3DDkShadow);
        else if (Edge & BDR_SUNKENOUTER) Ring(p, in, sides, soft ? cl3DDkShadow : clBtnShadow, clBtnHighlight);
        if (Edge & BDR_RAISEDINNER) Ring(p, in, sides, soft ? cl3DLight : clBtnHighlight, clBtnShadow);
        else if (Edge & BDR_SUNKENINNER) Ring(p, in, sides, soft ? clBtnShadow : cl3DDkShadow, cl3DLight);
    }
    if (Flags & BF_MIDDLE) Fill(p, in.Left, in.Top, in.Right, in.Bottom, clBtnFace);
    if (Flags & BF_ADJUST) R = in;
}

THeaderCellLayout TLazyTreeColumn::LayoutHeaderCell(const TRect& Client, QSize TextSize, QSize GlyphSize,
                                                     QSize SortGlyphSize) const {
    THeaderCellLayout out;
    const bool hasText = !TextSize.isEmpty(), hasGlyph = !GlyphSize.isEmpty(), hasSort = !SortGlyphSize.isEmpty();
    if (!hasText && !hasGlyph && !hasSort) return out;
    const int W = Client.Width(), H = Client.Height();
    const bool rtl = UseRightToLeftReading();
    TAlignment alignment = CaptionAlignment();
    if (rtl && alignment != TAlignment::taCenter)
        alignment = alignment == TAlignment::taLeftJustify ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
    const int GW = hasGlyph ? GlyphSize.width() : 0, GH = hasGlyph ? GlyphSize.height() : 0;
    const int SW = hasSort ? SortGlyphSize.width() : 0, SH = hasSort ? SortGlyphSize.height() : 0;
    const int TW = hasText ? TextSize.width() : 0, TH = hasText ? TextSize.height() : 0;
    const int TS = hasText ? FSpacing : 0;
    out.SortGlyphSize = hasSort ? SortGlyphSize : QSize();
    int sortX = 0, sortY = (H - SH) / 2, glyphX = 0, glyphY = 0, textX = 0, textY = 0;
    const bool vertical =
        hasGlyph && (FLayout == TLTHeaderColumnLayout::blGlyphTop || FLayout == TLTHeaderColumnLayout::blGlyphBottom);

    // Vertical placement.
    if (!hasText && !hasGlyph) {
        sortX = (W - SW) / 2;  // only the sort glyph: centred both ways
        out.SortGlyphPos = QPoint(sortX + Client.Left, sortY + Client.Top);
        return out;
    }
    if (!vertical) {
        glyphY = (H - GH) / 2;
        textY = std::max(-5, (H - TH) / 2);
    } else if (FLayout == TLTHeaderColumnLayout::blGlyphTop) {
        glyphY = (H - GH - TH - TS) / 2;
        textY = glyphY + GH + TS;
    } else {
        textY = (H - GH - TH - TS) / 2;
        glyphY = textY + TH + TS;
    }

    // Horizontal placement from the aligned side.
    const bool glyphLeft = FLayout == TLTHeaderColumnLayout::blGlyphLeft;
    if (alignment == TAlignment::taLeftJustify) {
        int X = FMargin;
        if (rtl && hasSort) {
            sortX = X;
            X += SW + FSpacing;
        }
        if (!vertical) {
            auto placeGlyph = [&] {
                if (!hasGlyph) return;
                glyphX = X;
                X += GW + FSpacing;
            };
            auto placeText = [&] {
                textX = X;
                X += TW + TS;
            };
            if (glyphLeft || !hasGlyph) {
                placeGlyph();
                placeText();
            } else {
                placeText();
                placeGlyph();
            }
        } else {
            textX = X;
            glyphX = std::max((W - GW) / 2, X);
            X = std::max(glyphX + GW + FSpacing, textX + TW + TS);
        }
        if (!rtl && hasSort) sortX = X;
    } else if (alignment == TAlignment::taRightJustify) {
        int X = W - FMargin;
        if (!rtl && hasSort) {
            sortX = X - SW;
            X = sortX - FSpacing;
        }
        if (!vertical) {
            auto placeGlyph = [&] {
                if (!hasGlyph) return;
                glyphX = X - GW;
                X -= GW + FSpacing;
            };
            auto placeText = [&] {
                textX = X - TW;
                X -= TW + TS;
            };
            if (!glyphLeft && hasGlyph) {
                placeGlyph();
                placeText();
            } else {
                placeText();
                placeGlyph();
            }
        } else {
            textX = X - TW;
            glyphX = (W - GW) / 2;
            if (glyphX + GW + FSpacing > X) glyphX = X - GW - FSpacing;
            X = std::min(glyphX - FSpacing, textX - TS);
        }
        if (rtl && hasSort) sortX = X - SW;
    } else {
        int groupLeft = 0, groupRight = 0;
        if (!vertical) {
            const int group = hasGlyph ? GW + FSpacing + TW : TW;
            groupLeft = (W - group) / 2;
            groupRight = groupLeft + group;
            if (!hasGlyph || glyphLeft) {
                glyphX = groupLeft;
                textX = hasGlyph ? groupLeft + GW + FSpacing : groupLeft;
            } else {
                textX = groupLeft;
                glyphX = groupLeft + TW + FSpacing;
            }
        } else {
            glyphX = (W - GW) / 2;
            textX = (W - TW) / 2;
            if (hasSort) textX -= SW / 2;
            groupLeft = std::min(glyphX, textX);
            groupRight = std::max(glyphX + GW, textX + TW);
        }
        if (hasSort) sortX = rtl ? groupLeft - FSpacing - SW : groupRight + FSpacing;
    }

    // Limits: nothing leaves the margins; the sort glyph wins over the image, the image over the text.
    int limit = W - FMargin, low = FMargin;
    if (hasSort) {
        if (!rtl) {
            if (sortX + SW > limit) sortX = limit - SW;
            limit = sortX - FSpacing;
        }
        if (sortX < FMargin) sortX = FMargin;
        if (rtl) low = sortX + SW + FSpacing;
    }
    if (hasGlyph) {
        if (glyphX + GW > limit) glyphX = limit - GW;
        if (FLayout == TLTHeaderColumnLayout::blGlyphRight) limit = glyphX - FSpacing;
        glyphX = std::max(glyphX, low);
        if (glyphLeft) low = glyphX + GW + FSpacing;
        const bool mainImage = !FCheckBox && Index() == Header()->MainColumn();
        if (!mainImage) glyphX -= 2;
    }
    textX = std::max(textX, low);
    out.TextBounds = plat::Rect(textX, textY, std::min(textX + TW, limit), textY + TH);
    out.TextBounds.Left += Client.Left;
    out.TextBounds.Right += Client.Left;
    out.TextBounds.Top += Client.Top;
    out.TextBounds.Bottom += Client.Top;
    out.GlyphPos = hasGlyph ? QPoint(glyphX + Client.Left, glyphY + Client.Top) : QPoint();
    out.SortGlyphPos = hasSort ? QPoint(sortX + Client.Left, sortY + Client.Top) : QPoint();
    return out;
}

void TLazyTreeColumns::PaintHeader(QPainter& Target, const TRect& R, int HOffset) {
    TBaseLazyTree* tree = Tree();
    const int height = FHeader->Height();
    const int width = std::max(R.Right, ClientWidth());
    if (FHeaderBitmap.width() != width || FHeaderBitmap.height() != height)
        FHeaderBitmap = QImage(std::max(1, width), std::max(1, height), QImage::Format_ARGB32_Premultiplied);
    const int fixedWidth = GetVisibleFixedWidth();
    const int rtlOffset = RTLOffset();
    {
        plat::TCanvas canvas(&FHeaderBitmap);
        const int h = R.Height();
        auto scrolled = [&] {
            PaintHeader(canvas, plat::Rect(fixedWidth - HOffset, 0, R.Right + fixedWidth - HOffset, h),
                        QPoint(R.Left + fixedWidth, R.Top), rtlOffset);
        };
        auto fixed = [&] {
            if (fixedWidth > 0)
                PaintHeader(canvas, plat::Rect(0, 0, std::min(R.Right, fixedWidth), h), QPoint(R.Left, R.Top), rtlOffset);
        };
        // The fixed cells always end on top of the scrolled ones.
        if (tree && tree->UseRightToLeftReading()) {
            scrolled();
            fixed();
        } else {
            fixed();
            scrolled();
        }
    }
    Target.drawImage(R.toQRect(), FHeaderBitmap, R.toQRect());
}

void TLazyTreeColumns::PaintHeader(plat::TCanvas& TargetCanvas, TRect R, QPoint Target, int RTLOffset) {
    if (R.IsEmpty()) return;
    TBaseLazyTree* tree = Tree();
    const bool advanced =
        FHeader->FOptions.Contains(hoOwnerDraw) && FHeader->OnAdvancedHeaderDraw && FHeader->OnHeaderDrawQueryElements;
    const bool ownerDraw = FHeader->FOptions.Contains(hoOwnerDraw) && FHeader->OnHeaderDraw && !advanced;
    THeaderPaintInfo info;
    info.TargetCanvas = &TargetCanvas;
    TargetCanvas.Font().Assign(FHeader->FFont);

    // The background of the whole area.
    const TRect background = plat::Rect(Target.x(), Target.y(), Target.x() + R.Width(), Target.y() + FHeader->Height());
    THeaderPaintElements requested;
    if (advanced) {
        info.PaintRectangle = background;
        FHeader->OnHeaderDrawQueryElements(FHeader, info, requested);
    }
    const plat::TThemeData theme = HeaderThemeOf(tree);
    if (requested.Contains(hpeBackground)) {
        info.PaintRectangle = background;
        FHeader->OnAdvancedHeaderDraw(FHeader, info, {hpeBackground});
    } else if (!theme || !plat::DrawThemeBackground(theme, TargetCanvas, plat::HP_HEADERITEM, plat::HIS_NORMAL,
                                                     background)) {
        TargetCanvas.Brush().SetColor(FHeader->FBackgroundColor);
        TargetCanvas.FillRect(background);
    }

    R = plat::Rect(std::max(R.Left, 0), std::max(R.Top, 0), std::min(R.Right, TotalWidth()),
              std::min(R.Bottom, FHeader->Height()));
    const int rightLimit = Target.x() + R.Width();
    TColumnIndex run = ColumnFromPosition(QPoint(R.Left + RTLOffset, 0), false);
    if (run < 0) return;
    const bool bevelled = tree && tree->BevelKind() != TBevelKind::bkNone;
    const bool showRightBorder = !(FHeader->FStyle != TLTHeaderStyle::hsThickButtons &&
                                   FHeader->FOptions.Contains(hoAutoResize) && bevelled);
    while (run >= 0) {
        TLazyTreeColumn& c = *FItems[size_t(run)];
        const int left = c.FLeft + Target.x() + RTLOffset - R.Left;
        if (left >= rightLimit) break;
        const TRect cell = plat::Rect(left, Target.y(), left + c.FWidth, Target.y() + R.Height());
        const plat::TClipState saved = TargetCanvas.SaveClip();
        lazytree::SetCanvasClip(TargetCanvas, plat::Rect(std::max(Target.x(), left), Target.y() + R.Top,
                                                    std::min(cell.Right, rightLimit), cell.Bottom));
        info.Column = &c;
        info.PaintRectangle = cell;
        info.ShowRightBorder = showRightBorder;
        PaintHeaderCell(info, advanced, ownerDraw);
        TargetCanvas.RestoreClip(saved);
        run = GetNextVisibleColumn(run);
    }
}

void TLazyTreeColumns::PaintHeaderCell(THeaderPaintInfo& info, bool advanced, bool ownerDraw) {
    TBaseLazyTree* tree = Tree();
    plat::TCanvas& canvas = *info.TargetCanvas;
    TLazyTreeColumn& c = *info.Column;
    const TColumnIndex index = c.Index();
    const TRect cell = info.PaintRectangle;
    const bool treeEnabled = !tree || tree->isEnabled();
    info.IsHoverIndex = index == FHoverIndex && FHeader->FOptions.Contains(hoHotTrack) && c.FOptions.Contains(coEnabled);
    info.IsDownIndex = index == FDownIndex && !FCheckBoxHit;
    info.IsEnabled = c.FOptions.Contains(coEnabled) && treeEnabled;
    const plat::TImageList* checkImages = tree ? tree->CheckImages() : nullptr;
    if (tree && !checkImages) checkImages = tree->CustomCheckImages();
    info.ShowHeaderGlyph = FHeader->FOptions.Contains(hoShowImages) &&
                           ((FHeader->FImages && c.FImageIndex >= 0) || c.FCheckBox);
    info.ShowSortGlyph = index == FHeader->FSortColumn && FHeader->FOptions.Contains(hoShowSortGlyphs);
    info.DropMark = TLTDropMarkMode::dmmNone;
    if (c.FOptions.Contains(coShowDropMark) && index == FDropTarget && index != FDragIndex)
        info.DropMark = FDropBefore ? TLTDropMarkMode::dmmLeft : TLTDropMarkMode::dmmRight;

    if (c.FStyle == TLazyTreeColumnStyle::vsOwnerDraw && ownerDraw) {
        FHeader->OnHeaderDraw(FHeader, canvas, &c, cell, info.IsHoverIndex, info.IsDownIndex, info.DropMark);
        return;
    }
    THeaderPaintElements requested;
    if (advanced) FHeader->OnHeaderDrawQueryElements(FHeader, info, requested);

    // The cell's button: the style's header section when themed, else the edges of the header style.
    const plat::TThemeData theme = HeaderThemeOf(tree);
    if (requested.Contains(hpeBackground)) {
        FHeader->OnAdvancedHeaderDraw(FHeader, info, {hpeBackground});
    } else if (theme) {
        const int state = info.IsDownIndex ? plat::HIS_PRESSED : info.IsHoverIndex ? plat::HIS_HOT : plat::HIS_NORMAL;
        plat::DrawThemeBackground(theme, canvas, plat::HP_HEADERITEM, state, cell);
    } else {
        const EdgeStyle e = EdgesOf(FHeader->FStyle);
        const bool rightSide = info.ShowRightBorder || index < Count() - 1;
        auto withRight = [rightSide](unsigned flags) {
            return rightSide ? flags | plat::BF_RIGHT : flags & ~unsigned(plat::BF_RIGHT);
        };
        TRect r = cell;
        if (info.IsDownIndex)
            DrawHeaderEdge(canvas, r, e.pressed, e.pressedFlags);
        else if (info.IsHoverIndex && FHeader->FStyle == TLTHeaderStyle::hsPlates &&
                 c.FOptions.Contains(coAllowClick) && c.FOptions.Contains(coEnabled))
            DrawHeaderEdge(canvas, r, e.hot, withRight(e.hotFlags));
        else
            DrawHeaderEdge(canvas, r, e.normal, withRight(e.normalFlags));
    }

    info.PaintRectangle = plat::Rect(cell.Left + 2, cell.Top + 2, cell.Right - 2, cell.Bottom - 2);
    unsigned drawFormat = plat::DT_NOPREFIX;
    switch (c.CaptionAlignment()) {
    case TAlignment::taLeftJustify: drawFormat |= plat::DT_LEFT; break;
    case TAlignment::taRightJustify: drawFormat |= plat::DT_RIGHT; break;
    case TAlignment::taCenter: drawFormat |= plat::DT_CENTER; break;
    }
    if (c.UseRightToLeftReading()) drawFormat |= plat::DT_RTLREADING;

    // Sizes: the caption in the header's font, the image from its list, the sort glyph.
    const plat::TImageList* glyphList = c.FCheckBox ? checkImages : FHeader->FImages;
    QSize glyphSize, sortSize, textSize;
    if (info.ShowHeaderGlyph && glyphList) glyphSize = QSize(glyphList->Width(), glyphList->Height());
    const plat::TImageList* utility = UtilityImages();
    if (info.ShowSortGlyph && utility) sortSize = QSize(utility->Width(), utility->Height());
    if (!c.FText.isEmpty()) {
        if (c.FOptions.Contains(coWrapCaption)) {
            lazytree::TCanvasTextMeasure measure(canvas);
            c.FCaptionText = lazytree::WordWrapText(measure, c.FText, info.PaintRectangle, c.UseRightToLeftReading(),
                                                    drawFormat);
            TRect bounds = plat::Rect(0, 0, info.PaintRectangle.Width(), 0);
            canvas.DrawText(c.FCaptionText, bounds, drawFormat | plat::DT_CALCRECT | plat::DT_WORDBREAK);
            textSize = QSize(std::max(1, info.PaintRectangle.Width()), std::max(1, bounds.Height()));
        } else {
            c.FCaptionText = c.FText;
            textSize = QSize(canvas.TextWidth(c.FText) + 2, canvas.TextHeight(c.FText));
        }
    }
    const THeaderCellLayout layout = c.LayoutHeaderCell(info.PaintRectangle, textSize, glyphSize, sortSize);
    info.TextRectangle = layout.TextBounds;
    info.GlyphPos = layout.GlyphPos;
    info.SortGlyphPos = layout.SortGlyphPos;
    if (info.IsDownIndex) {
        // The pressed button shows its face one pixel lower and to the right.
        info.TextRectangle = plat::Rect(info.TextRectangle.Left + 1, info.TextRectangle.Top + 1,
                                   info.TextRectangle.Right + 1, info.TextRectangle.Bottom + 1);
        info.GlyphPos += QPoint(1, 1);
        info.SortGlyphPos += QPoint(1, 1);
    }
    const THeaderPaintElements ownerElements = requested - hpeBackground;
    c.FHasImage = false;

    if (!requested.Contains(hpeHeaderGlyph) && info.ShowHeaderGlyph && glyphList &&
        (!info.ShowSortGlyph || c.UseRightToLeftReading() ||
         info.SortGlyphPos.x() >= info.GlyphPos.x() + glyphList->Width())) {
        if (c.FCheckBox) {
            if (tree) {
                const int imageIndex = tree->CheckImageIndexFor(c.FCheckType, c.FCheckState, info.IsEnabled);
                glyphList->Draw(canvas, info.GlyphPos.x(), info.GlyphPos.y(), imageIndex);
            }
        } else {
            lazytree::DrawListImage(*glyphList, c.FImageIndex, canvas, info.GlyphPos.x(), info.GlyphPos.y(), 0,
                                    info.IsEnabled);
        }
        c.FHasImage = true;
        c.FImageRect = plat::Rect(info.GlyphPos.x(), info.GlyphPos.y(), info.GlyphPos.x() + glyphList->Width(),
                             info.GlyphPos.y() + glyphList->Height());
    }
    const QString caption = c.FOptions.Contains(coWrapCaption) ? c.FCaptionText : c.FText;
    // A themed cell shows hovering by its face, not by the caption's colour.
    const bool hot = info.IsHoverIndex && FHeader->FOptions.Contains(hoHotTrack) && !theme;
    if (!requested.Contains(hpeText) && !c.FText.isEmpty())
        DrawCaptionText(canvas, caption, info.TextRectangle, info.IsEnabled, hot, drawFormat,
                        c.FOptions.Contains(coWrapCaption));
    if (!requested.Contains(hpeSortGlyph) && info.ShowSortGlyph && utility) {
        const bool ascending = FHeader->FSortDirection == TSortDirection::sdAscending;
        const TRect arrow = plat::Rect(info.SortGlyphPos.x(), info.SortGlyphPos.y(), info.SortGlyphPos.x() + sortSize.width(),
                          info.SortGlyphPos.y() + sortSize.height());
        if (!theme || !plat::DrawThemeBackground(theme, canvas, plat::HP_HEADERSORTARROW,
                                                 ascending ? plat::HSAS_SORTEDUP : plat::HSAS_SORTEDDOWN, arrow))
            utility->Draw(canvas, info.SortGlyphPos.x(), info.SortGlyphPos.y(), ascending ? 3 : 2);
    }
    if (!requested.Contains(hpeDropMark) && info.DropMark != TLTDropMarkMode::dmmNone && utility) {
        const int y = (info.PaintRectangle.Top + info.PaintRectangle.Bottom - utility->Height()) / 2;
        if (info.DropMark == TLTDropMarkMode::dmmLeft)
            utility->Draw(canvas, info.PaintRectangle.Left, y, 0);
        else
            utility->Draw(canvas, info.PaintRectangle.Right - 16, y, 1);
    }
    if (!ownerElements.Empty()) {
        QPainter* p = canvas.Painter();
        if (p) p->save();
        FHeader->OnAdvancedHeaderDraw(FHeader, info, ownerElements);
        if (p) p->restore();
    }
}

void TLazyTreeColumns::DrawCaptionText(plat::TCanvas& Canvas, const QString& Caption, TRect Bounds, bool Enabled,
                                       bool Hot, unsigned DrawFormat, bool WrapCaption) {
    QString text = Caption;
    if (!WrapCaption && Canvas.TextWidth(text) > Bounds.Width()) {
        lazytree::TCanvasTextMeasure measure(Canvas);
        text = lazytree::EllipsisText(measure, text, Bounds.Width());
    }
    if (WrapCaption) DrawFormat |= plat::DT_WORDBREAK;
    Canvas.Brush().SetStyle(plat::bsClear);
    const TBaseLazyTree* tree = Tree();
    if (Enabled) {
        plat::TColor color = FHeader->FFont.Color();
        if (tree) color = Hot ? tree->Colors().HeaderHotColor() : tree->Colors().HeaderFontColor();
        Canvas.Font().SetColor(color);
        Canvas.DrawText(text, Bounds, DrawFormat);
    } else {
        // Embossed: a light copy one pixel down and right under the shadow-coloured text.
        TRect shifted = plat::Rect(Bounds.Left + 1, Bounds.Top + 1, Bounds.Right + 1, Bounds.Bottom + 1);
        Canvas.Font().SetColor(plat::clBtnHighlight);
        Canvas.DrawText(text, shifted, DrawFormat);
        Canvas.Font().SetColor(plat::clBtnShadow);
        Canvas.DrawText(text, Bounds, DrawFormat);
    }
    Canvas.Brush().SetStyle(plat::bsSolid);
}
