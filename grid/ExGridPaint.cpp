// How the full grid paints itself: the pass over the visible cells, one cell's content in its
// layers, the fixed-cell looks and edges, the focus rectangle, the frame border, the size lines,
// the background outside the cells, the balloon texts, the focus window and the design helper.
#include "controls/ExGridPictures.h"
#include "controls/ExGridPopups.h"
#include "controls/ExHTMLRender.h"
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "controls/ExUtilDraw.h"
#include "controls/RtfTextDocument.h"
#include "dropdowns/DovUzerAdev.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExGridPaint.h"
#include "platform/Guard.h"
#include "platform/ImageList.h"
#include "platform/PopupMenu.h"
#include "platform/Themes.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPainter>
#include <QPen>
#include <QRegion>
#include <QScrollBar>
#include <QtMath>
#include <algorithm>
#include <cmath>

using plat::clNone;
using plat::TRect;

namespace {

TGridDrawState toEventState(plat::TGridDrawState s) {
    TGridDrawState out;
    for (auto item : {plat::gdSelected, plat::gdFocused, plat::gdFixed})
        if (s.contains(item)) out.include(static_cast<TGridDrawStateItem>(item));
    return out;
}

TRect inflated(TRect r, int dx, int dy) { return {r.Left - dx, r.Top - dy, r.Right + dx, r.Bottom + dy}; }

void line(plat::TCanvas& c, int x0, int y0, int x1, int y1) {
    c.MoveTo(x0, y0);
    c.LineTo(x1, y1);
}

// Loaded for one draw and let go after it, as the glyph resources are.
bool glyph(const char* name, plat::TBitmap& bmp) {
    if (!bmp.LoadFromResourceName(QLatin1String(name))) return false;
    bmp.SetTransparent(true);
    return true;
}

QPen toQPen(const plat::TPen& p) {
    QPen q(plat::ToQColor(p.Color()));
    q.setWidth(p.Width());
    return q;
}
void fromQPen(const QPen& q, plat::TPen& p) {
    p.SetColor(plat::FromQColor(q.color()));
    p.SetWidth(q.width());
}

constexpr int kToolTipMax = 2048;

}  // namespace

// ---------------------------------------------------------------- rules without a grid

QString BalloonDisplayText(const QString& Text) {
    QString s = Text;
    // Tabs become blanks except one in the last place.
    for (qsizetype i = 0; i + 1 < s.size(); ++i)
        if (s[i] == u'\t') s[i] = u' ';
    qsizetype first = 0;
    while (first < s.size() && (s[first] == u'\r' || s[first] == u'\n' || s[first] == u'\t')) ++first;
    if (s.size() > kToolTipMax) return s.mid(first, kToolTipMax - 3) + QStringLiteral("...");
    return s.mid(first);
}

QString BalloonDisplayTitle(const QString& Title) {
    if (Title.isEmpty()) return QStringLiteral(" ");
    if (Title.size() > 100) return Title.left(97) + QStringLiteral("...");
    return Title;
}

double ClampPercent(double Value) { return std::clamp(Value, 0.0, 100.0); }

QPoint RotatedTextOrigin(const TRect& Rect, QSize Extent, int Angle, TAlignment HAlign, TVAlignment VAlign) {
    const double a = Angle * M_PI / 180.0;
    const double s = std::sin(a), c = std::cos(a);
    const double w = Extent.width(), h = Extent.height();
    // The turned text's corners relative to its start point (y grows downwards).
    const double xs[4] = {0, w * c, w * c + h * s, h * s};
    const double ys[4] = {0, -w * s, -w * s + h * c, h * c};
    const double minX = *std::min_element(xs, xs + 4), maxX = *std::max_element(xs, xs + 4);
    const double minY = *std::min_element(ys, ys + 4), maxY = *std::max_element(ys, ys + 4);
    const double bw = maxX - minX, bh = maxY - minY;
    double left = Rect.Left;
    if (HAlign == taRightJustify) left = Rect.Right - bw;
    if (HAlign == taCenter) left = Rect.Left + (Rect.Width() - bw) / 2;
    double top = Rect.Top;
    if (VAlign == vtaBottom) top = Rect.Bottom - bh;
    if (VAlign == vtaCenter) top = Rect.Top + (Rect.Height() - bh) / 2;
    return {int(std::lround(left - minX)), int(std::lround(top - minY))};
}

void DrawRotatedText(plat::TCanvas& Canvas, const QString& Text, const TRect& Rect, int Angle, TAlignment HAlign,
                     TVAlignment VAlign) {
    const int kept = Canvas.Font().Orientation();
    Canvas.Font().SetOrientation(0);
    const QSize extent = Canvas.TextExtent(Text);
    Canvas.Font().SetOrientation(Angle * 10);
    const QPoint at = RotatedTextOrigin(Rect, extent, Angle, HAlign, VAlign);
    const plat::TClipState clip = Canvas.SaveClip();
    Canvas.IntersectClipRect(Rect);
    Canvas.TextOut(at.x(), at.y(), Text);
    Canvas.RestoreClip(clip);
    Canvas.Font().SetOrientation(kept);
}

// ---------------------------------------------------------------- the pass

void TExStringGrid::Paint() {
    // Whatever way the paint came, a grid that is no tab stop brings its vertical proportional
    // bar up to date once, at its first.
    struct FirstPaint {
        TExStringGrid* g;
        ~FirstPaint() {
            if (g->TabStop() || g->FPaintCount != 0) return;
            g->FPaintCount = 1;
            plat::guarded([this] { g->UpdateProportionalVScroll(); });
        }
    } first{this};
    // Nothing inside an update block: its end repaints the whole grid.
    if (FUpdateCount > 0) return;
    plat::TCanvas& cv = Canvas();
    cv.Pen().SetStyle(plat::psSolid);
    cv.Brush().SetStyle(plat::bsSolid);
    TBaseGrid::Paint();
    if (EditorMode()) {
        const bool lines = Options().contains(plat::goHorzLine) || Options().contains(plat::goVertLine);
        cv.Pen().SetColor(BaseGridLineWidth() > 0 && lines ? GridLineColor() : Color());
        cv.Rectangle(CellRect(Col(), Row()));
    }
    cv.Pen().SetColor(plat::clBlack);
    if (!FBackGround->Bitmap().Empty() || FBackGround->ColorTo() != clNone) PaintBackgroundOutsideCells();
    for (int x : FColSizeLines) paintSizeLine(cv, true, x);
    for (int y : FRowSizeLines) paintSizeLine(cv, false, y);
    PaintDesignHelper();
    if (OnPainted) OnPainted(this);
}

// ---------------------------------------------------------------- one cell

bool TExStringGrid::filterButtonShown(int RealCol) {
    // The flag asks only whether values exist, so the header costs nothing per row; the
    // event sees the list as the drop-down would fill it.
    if (!OnGetColumnFilter) {
        if (!FFilterDropDownAuto || (RealCol < FixedCols() && FFilterDropDownColumns != fdAll)) return false;
        return !FFilterDropDownClear.isEmpty() || RowCount() - FixedFooters() > FixedRows() || FGridItems.Count() > 0;
    }
    if (FFilterDropDownAuto) {
        const QStringList kept = FFilterList;
        const bool any = GetColumnFilter(RealCol);
        FFilterList = kept;
        return any;
    }
    QStringList values;
    OnGetColumnFilter(this, RealCol, values);
    return !values.isEmpty();
}

void TExStringGrid::DrawCellContent(plat::TCanvas& Canvas, int ACol, int ARow, const TRect& ARect,
                                    plat::TGridDrawState AState) {
    TCellPaintContext C;
    C.Canvas = &Canvas;
    C.R = ARect;
    C.State = AState;
    C.Row = ARow;
    // 1.
    const bool ctl3D = !FFlat;
    C.DisplayCol = ACol;
    C.RealCol = RealColIndex(ACol);
    const TMouseActions& ma = *FMouseActions;
    C.SelRow = ma.DisjunctRowSelect() && ma.RowSelectPersistent() ? RealRowIndex(ARow) : ARow;
    const int lw = BaseGridLineWidth();
    // 2.
    if (ARow == FFilterDropDownRow) C.FilterButton = filterButtonShown(C.RealCol);
    // 3. A cell's own scroll bar, painted from the one hidden bar.
    if (HasScrollBar(C.RealCol, ARow)) {
        const TScrollProp prop = GetScrollProp(C.RealCol, ARow);
        C.ScrollOffset = GetScrollPosition(C.RealCol, ARow);
        if (prop.PageSize < prop.Range) {
            QScrollBar* bar = paintScrollBar();
            bar->setPageStep(prop.PageSize);
            bar->setRange(0, prop.Range);
            bar->setValue(C.ScrollOffset);
            bar->resize(bar->sizeHint().width(), C.R.Height());
            C.R.Right -= bar->width();
            if (QPainter* p = Canvas.Painter()) {
                p->save();
                p->translate(C.R.Right, C.R.Top);
                bar->render(p, QPoint(), QRegion(), QWidget::DrawChildren);
                p->restore();
            }
        }
    }
    // 4.
    bool ww = WordWrap();
    TColor colorTo = clNone, mirror = clNone, mirrorTo = clNone;
    TCellGradientDirection gd = GradientVertical;
    plat::TGridDrawState vs = AState;
    GetVisualProperties(ACol, ARow, vs, false, false, true, Canvas.Brush(), colorTo, mirror, mirrorTo, Canvas.Font(),
                        C.HAlign, C.VAlign, ww, gd);
    C.WordWrap = ww;
    C.Graphic = CellGraphicLayout(C.RealCol, ARow, C.W, C.H, C.GraphicHAlign, C.GraphicVAlign, C.DrawText);
    if (C.RealCol == 0 && C.Graphic && C.Graphic->CellType == ctNode) C.W = GetNodeLevel(ARow) * 12 + 4;
    // 5.
    if (AState.contains(plat::gdSelected) && !AState.contains(plat::gdFocused) && FSelectionColor == clNone) {
        // No selection colour left the background unpainted: the highlight fills it.
        FillRectColor(Canvas, C.R, plat::clHighlight);
        Canvas.Brush().SetColor(plat::clHighlight);
    }
    Canvas.Font().SetSize(Canvas.Font().Size() + FZoomFactor);
    C.SavedBrush = Canvas.Brush().Color();
    C.SavedFontColor = Canvas.Font().Color();
    // 6.
    bool fixed = false;
    IsFixedCell(C.RealCol, ARow, fixed);
    fixed = fixed || ACol < FixedCols() || ARow < FixedRows();
    if (fixed && ARow == HoverRowIdx() && HoverRow() && HoverRowCells().contains(hcFixed)) fixed = false;
    C.Fixed = fixed;
    // 7. Application styles do not exist on this platform: nothing to draw as a style element.
    // 8.
    if (fixed && (FLook == glVEZ || FLook == glXP || FLook == glVista || FLook == glWin7 || FLook == glOffice2007) &&
        !FFlat)
        drawFixedLook(C, colorTo, mirror, mirrorTo);
    // 9.
    const bool indicator = C.RealCol == 0 && ARow == Row() && FixedCols() > 0 && !FRowIndicator.Empty() &&
                           !(RowCount() == FixedRows() && FFixedRowAlways);
    if (indicator) {
        plat::TBitmap bmp(FRowIndicator);
        bmp.SetTransparent(true);
        int y = C.R.Top;
        if (FVAlignment == vtaCenter) y = C.R.Top + (C.R.Height() - bmp.Height()) / 2;
        if (FVAlignment == vtaBottom) y = C.R.Bottom - bmp.Height();
        Canvas.Draw(C.R.Left + 2, y, bmp);
        C.R.Left += bmp.Width() + 2;
    }
    // 10.
    if (fixed && FLook == glListView && !FFlat) {
        if (FIsWinXP) {
            C.R.Bottom += 1;
            const bool over = FHoverFixedX == ACol && FHoverFixedY == ARow;
            const int part = over ? 1 : 3;
            const int state = over ? (FMouseDownMove ? 3 : 2) : 1;
            const plat::TThemeData theme = plat::OpenThemeData(this, u"header");
            plat::DrawThemeBackground(theme, Canvas, part == 3 ? plat::HP_HEADERITEM : part, state, C.R);
            Canvas.Pen().SetColor(plat::clWhite);
            line(Canvas, C.R.Left, C.R.Top, C.R.Right, C.R.Top);
        } else {
            Canvas.Brush().SetColor(plat::clBtnFace);
            Canvas.Pen().SetColor(plat::clWhite);
            Canvas.Rectangle(C.R);
        }
    }
    // 11.
    if (ACol == 0 && FShowModified->Enabled() && GetRowModified(ARow)) {
        const TColor kept = Canvas.Brush().Color();
        FillRectColor(Canvas, {C.R.Right - 4, C.R.Top, C.R.Right, C.R.Bottom}, FShowModified->Color());
        Canvas.Brush().SetColor(kept);
    }
    // 12.
    if (OnCustomCellBkgDraw)
        OnCustomCellBkgDraw(this, Canvas.Painter(), C.RealCol, ARow, toEventState(AState), C.R.toQRect(), false);
    // 13.
    const int keptRight = C.R.Right;
    if (!fixed && (FControlLook->DropDownAlwaysVisible() || FControlLook->SpinButtonsAlwaysVisible())) {
        const uint8_t kind = cellButtonKind();
        bool canEdit = true;
        CanEditCell(C.RealCol, ARow, canEdit);
        const uint8_t state = canEdit ? 0 : 3;
        if (FControlLook->DropDownAlwaysVisible() && HasComboBox(C.RealCol, ARow)) {
            DrawComboButton(Canvas, this, {C.R.Left - 2, C.R.Top - 1, C.R.Right + 1, C.R.Bottom}, kind, state, FTones);
            C.R.Right -= 16;
        }
        if (FControlLook->SpinButtonsAlwaysVisible() && HasSpinEdit(C.RealCol, ARow)) {
            DrawSpinButtons(Canvas, this, C.R, kind, state, FTones);
            C.R.Right -= 16;
        }
    }
    // 14. An interfaced object that paints under the text goes first.
    const bool interfaceFirst = C.Graphic && C.Graphic->CellType == ctInterface && C.Graphic->CellBoolean;
    if (interfaceFirst) drawInterfaced(C, inflated(C.R, 1, 1));
    // 15.
    const bool eventsDraw = FNoDefaultDraw && (OnDrawCell || OnCustomCellDraw);
    if (!eventsDraw && !(C.Graphic && FNoImageAndText)) DrawCellText(C);
    // 16.
    C.R.Right = keptRight;
    Canvas.Brush().SetColor(C.SavedBrush);
    Canvas.Font().SetColor(C.SavedFontColor);
    C.R = inflated(C.R, 1, 1);
    DrawCellBorders(C.RealCol, ARow, C.R, C);
    if (indicator) C.R.Left -= FRowIndicator.Width();
    // 17.
    if (fixed && !FFlat) drawFixedEdges(C, ctl3D);
    // 18.
    if (FFixedRightCols > 0 && ColCount() - C.RealCol + NumHiddenColumns() <= FFixedRightCols && FLook != glClassic &&
        !ctl3D) {
        Canvas.Pen().SetColor(FFlat ? TColor(0x808080) : plat::clBlack);
        Canvas.Pen().SetWidth(1);
        const TRect& r = C.R;
        if (Options().contains(plat::goFixedHorzLine)) {
            line(Canvas, r.Left - 1, r.Top - 1, r.Right + 1, r.Top - 1);
            line(Canvas, r.Left - 1, r.Bottom + 1, r.Right + 1, r.Bottom + 1);
        }
        if (Options().contains(plat::goFixedVertLine)) {
            line(Canvas, r.Left - 1, r.Top - 1, r.Left - 1, r.Bottom + 1);
            line(Canvas, r.Right + 1, r.Top - 1, r.Right + 1, r.Bottom + 1);
        }
    }
    // 19.
    if (C.RealCol == 0 && HasNodes() && FCellNode->ShowTree()) drawTreeLines(C);
    // 20.
    if (C.Graphic && !interfaceFirst) {
        TRect g = C.R;
        if (fixed) g.Top += 1;
        DrawCellGraphic(g, C.Graphic, C.VAlign, C);
    }
    // 21.
    if (OnDrawCell)
        OnDrawCell(this, C.RealCol, ARow, {C.R.Left + 1, C.R.Top + 1, C.R.Right - lw, C.R.Bottom - lw}, AState);
    if (OnCustomCellDraw)
        OnCustomCellDraw(this, Canvas.Painter(), C.RealCol, ARow, toEventState(AState), C.R.toQRect(), false);
    // 22.
    if (!FHideFocusRect && Focused() && !Options().contains(plat::goRowSelect) && Row() >= FixedRows() &&
        Col() >= FixedCols()) {
        const plat::TGridCoord base = BaseCell(Col(), Row());
        if (base.X == ACol && base.Y == ARow) {
            TRect f = inflated(C.R, lw - 1, lw - 1);
            f.Right -= 1;
            f.Bottom -= 1;
            Canvas.DrawFocusRect(f);
        }
    }
    // 23.
    if (IsDesignTime() && FShowColNrs && ARow == 0) {
        Canvas.Brush().SetStyle(plat::bsClear);
        Canvas.Font().SetName(QString());
        Canvas.Font().SetSize(8);
        Canvas.Font().SetStyle({});
        Canvas.Font().SetColor(0x808080);
        TRect r = C.R;
        r.Right -= 2;
        Canvas.DrawText(QString::number(C.RealCol), r, plat::DT_SINGLELINE | plat::DT_BOTTOM | plat::DT_RIGHT);
    }
}

uint8_t TExStringGrid::cellButtonKind() const {
    if (FFlat && FTones.Background.BrushColor != clNone) return 3;
    if (FControlLook->FlatButton()) return 2;
    return FIsWinXP ? 0 : 1;
}

QScrollBar* TExStringGrid::paintScrollBar() {
    if (!FPaintScrollBar) {
        FPaintScrollBar = new QScrollBar(Qt::Vertical, this);
        FPaintScrollBar->hide();
    }
    return FPaintScrollBar;
}

void TExStringGrid::drawInterfaced(TCellPaintContext& C, const TRect& R) {
    if (auto* d = dynamic_cast<IGridCellDrawer*>(C.Graphic->CellObject))
        d->Draw(*C.Canvas, R, C.RealCol, C.Row, C.State.contains(plat::gdSelected), objectName());
}

// ---------------------------------------------------------------- fixed cells

void TExStringGrid::drawFixedLook(TCellPaintContext& C, TColor ColorTo, TColor Mirror, TColor MirrorTo) {
    plat::TCanvas& cv = *C.Canvas;
    TRect& R = C.R;
    const bool designing = IsDesignTime();
    bool hot = false;
    switch (FHoverFixedCells) {
    case hfAll: hot = true; break;
    case hfFixedRows: hot = C.Row < FixedRows(); break;
    case hfFixedColumns: hot = C.DisplayCol < FixedCols(); break;
    case hfNone: break;
    }
    const bool moving = GridState() == plat::gsColMoving;
    const bool hovered = hot && !designing &&
                         ((C.DisplayCol == FHoverFixedX && C.Row == FHoverFixedY && !moving) ||
                          (moving && C.DisplayCol == FMoveCell));
    if (hovered && !FMouseDownMove && !moving) {
        R.Bottom += 1;
        DrawMirrorGradient(cv, R, FVEZGradientHoverFrom, FVEZGradientHoverTo, FVEZGradientHoverMirrorFrom,
                           FVEZGradientHoverMirrorTo, true, FVEZGradientHoverBorder, false, true);
        fixedDropDownSeparator(C, false);
        return;
    }
    if (hovered) {
        R.Bottom += 1;
        const bool split = FControlLook->FixedDropDownButton() && FFixedDropDownMenu;
        auto down = [&](const TRect& r) {
            DrawMirrorGradient(cv, r, FVEZGradientDownFrom, FVEZGradientDownTo, FVEZGradientDownMirrorFrom,
                               FVEZGradientDownMirrorTo, true, FVEZGradientDownBorder, false, true);
        };
        auto hover = [&](const TRect& r) {
            DrawMirrorGradient(cv, r, FVEZGradientHoverFrom, FVEZGradientHoverTo, FVEZGradientHoverMirrorFrom,
                               FVEZGradientHoverMirrorTo, true, FVEZGradientHoverBorder, false, true);
        };
        if (split) {
            const TRect button{R.Right - 16, R.Top, R.Right, R.Bottom}, header{R.Left, R.Top, R.Right - 16, R.Bottom};
            if (FDropDownDown) {
                down(button);
                hover(header);
            } else {
                hover(button);
                down(header);
            }
        } else {
            down(R);
        }
        fixedDropDownSeparator(C, true);
        return;
    }
    if (FActiveCellShow && ((C.DisplayCol == FixedCols() - 1 && C.Row == Row()) ||
                            (C.Row == FixedRows() - 1 && C.DisplayCol == Col()))) {
        DrawMirrorGradient(cv, R, FActiveCellColor, FActiveCellColorTo, clNone, clNone, true, clNone, false, true);
        return;
    }
    const TSortSettings& ss = *FSortSettings;
    if (ss.Column() != -1 && ss.HeaderColor() != clNone && C.RealCol == ss.Column() && C.Row == FixedRows() - 1 &&
        (C.DisplayCol >= FixedCols() || ss.FixedCols())) {
        DrawMirrorGradient(cv, R, ss.HeaderColor(), ss.HeaderColorTo(), ss.HeaderMirrorColor(),
                           ss.HeaderMirrorColorTo(), true, clNone, false, true);
        return;
    }
    DrawMirrorGradient(cv, R, cv.Brush().Color(), ColorTo, Mirror, MirrorTo, true,
                       FLook == glVista ? plat::clWhite : clNone, true, true);
}

void TExStringGrid::fixedDropDownSeparator(TCellPaintContext& C, bool Pressed) {
    if (!FControlLook->FixedDropDownButton() || !FFixedDropDownMenu) return;
    plat::TCanvas& cv = *C.Canvas;
    TRect& R = C.R;
    cv.Pen().SetColor(Pressed && FMouseDownMove ? FVEZGradientDownBorder : FVEZGradientHoverBorder);
    line(cv, R.Right - 16, R.Top, R.Right - 16, R.Bottom);
    DrawDownTriangle(cv, R.Right - 8, R.Top + 8, plat::clBlack);
    R.Right -= 16;
}

void TExStringGrid::drawFixedEdges(TCellPaintContext& C, bool Ctl3D) {
    plat::TCanvas& cv = *C.Canvas;
    TRect& R = C.R;
    const bool horz = Options().contains(plat::goFixedHorzLine), vert = Options().contains(plat::goFixedVertLine);
    const TColor darker = DarkerColor(FixedColor());
    cv.Pen().SetWidth(1);
    switch (FLook) {
    case glClassic: {
        R.Top += 1;
        R.Bottom += 1;
        R.Left += 1;
        TRect e = R;
        plat::DrawEdge(cv, e, plat::BDR_RAISEDINNER, plat::BF_LEFT);
        e = R;
        plat::DrawEdge(cv, e, plat::BDR_RAISEDINNER, plat::BF_TOP);
        e = R;
        plat::DrawEdge(cv, e, plat::EDGE_RAISED, plat::BF_RIGHT | plat::BF_BOTTOM);
        cv.Pen().SetColor(plat::clBlack);
        line(cv, R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
        cv.LineTo(R.Left - 1, R.Bottom - 1);
        break;
    }
    case glVEZ:
    case glXP:
        R.Bottom += 1;
        if (horz) {
            cv.Pen().SetColor(darker);
            line(cv, R.Left, R.Bottom - 1, R.Right - 1, R.Bottom - 1);
            cv.Pen().SetColor(plat::clWhite);
            line(cv, R.Right - 2, R.Top + 1, R.Left + 1, R.Top + 1);
            cv.LineTo(R.Left + 1, R.Bottom - 1);
        }
        break;
    case glSoft:
        if (Ctl3D) {
            R.Right += 1;
            R.Bottom += 1;
            if (horz) {
                cv.Pen().SetColor(darker);
                line(cv, R.Left, R.Bottom - 1, R.Right - 1, R.Bottom - 1);
                cv.Pen().SetColor(plat::clWhite);
                line(cv, R.Right, R.Top + 1, R.Left + 1, R.Top + 1);
                cv.LineTo(R.Left + 1, R.Bottom - 1);
            }
            if (vert) {
                cv.Pen().SetColor(darker);
                line(cv, R.Right - 2, R.Top, R.Right - 2, R.Bottom - 1);
                cv.Pen().SetColor(plat::clWhite);
                line(cv, R.Right - 1, R.Top, R.Right - 1, R.Bottom - 1);
            }
        } else {
            cv.Pen().SetColor(plat::clBlack);
            line(cv, R.Left - 1, R.Top - 1, R.Right + 1, R.Top - 1);
            line(cv, R.Left - 1, R.Bottom + 1, R.Right + 1, R.Bottom + 1);
            line(cv, R.Left - 1, R.Top - 1, R.Left - 1, R.Bottom + 1);
            line(cv, R.Right + 1, R.Top - 1, R.Right + 1, R.Bottom + 1);
        }
        break;
    default: break;
    }
}

void TExStringGrid::drawTreeLines(TCellPaintContext& C) {
    plat::TCanvas& cv = *C.Canvas;
    const TRect& R = C.R;
    const int indent = FCellNode->NodeIndent();
    const int level = IsNode(C.Row) ? GetNodeLevel(C.Row) : RowIndent(C.Row) / std::max(1, indent);
    cv.Pen().SetColor(FCellNode->TreeColor());
    cv.Pen().SetWidth(1);
    const int mid = R.Top + R.Height() / 2;
    const int x = R.Left + level * indent + indent / 2;
    line(cv, x, mid, FCellNode->ShowTreeFull() ? R.Right : x + 4, mid);
    // The levels above go on to the next row when it carries them.
    const bool continues = C.Row + 1 < RowCount() && GetNodeSpanType(C.Row) != 1;
    for (int l = 0; l <= level; ++l) {
        const int lx = R.Left + l * indent + indent / 2;
        line(cv, lx, R.Top, lx, continues || l < level ? R.Bottom + 4 : mid);
    }
}

// ---------------------------------------------------------------- the text layer

bool TExStringGrid::sortGlyphDue(int RealCol, int ARow) {
    const TSortSettings& ss = *FSortSettings;
    if (!IsSortIndicatorRow(RealCol, ARow) || FixedRows() <= 0) return false;
    const int pos = FSortIndexes->FindIndex(RealCol);
    if (RealCol != ss.Column() && pos < 0) return false;
    if (DisplColIndex(RealCol) < FixedCols() && !ss.FixedCols()) return false;
    return pos < 1 || ss.IndexShow();
}

int TExStringGrid::sortGlyphY(const TRect& T) const {
    if (FVAlign == vtaCenter) return T.Top + (T.Bottom - T.Top) / 2;
    if (FVAlign == vtaBottom) return T.Bottom - 8;
    return T.Top + 8;
}

void TExStringGrid::DrawCellText(TCellPaintContext& C) {
    plat::TCanvas& cv = *C.Canvas;
    const int lw = BaseGridLineWidth();
    const TMouseActions& ma = *FMouseActions;
    // 1.
    C.LinkColor = FURLColor;
    // 2.
    const bool rowMarked = ma.DisjunctRowSelect() && Options().contains(plat::goRowSelect) && C.SelRow >= 0 &&
                           size_t(C.SelRow) < FRowSelect.size() && FRowSelect[size_t(C.SelRow)] &&
                           C.RealCol >= FixedCols() && C.RealCol < ColCount() - FFixedRightCols;
    if ((C.State.contains(plat::gdSelected) || rowMarked) && !C.Fixed) {
        if (FShowSelection) {
            if (FSelectionColor != clNone) cv.Brush().SetColor(FSelectionColor);
            if (FSelectionTextColor != clNone && isEnabled()) cv.Font().SetColor(FSelectionTextColor);
            C.LinkColor = FSelectionTextColor;
        }
        const bool check = C.Graphic && (C.Graphic->CellType == ctCheckBox || C.Graphic->CellType == ctDataCheckBox);
        if ((!Focused() || check) && !FShowSelection) {
            cv.Brush().SetColor(C.SavedBrush);
            cv.Font().SetColor(C.SavedFontColor);
            C.LinkColor = FURLColor;
        }
    }
    // 3.
    QString text = GetFormattedCell(C.RealCol, C.Row);
    int kind = ClassifyCellText(text, FEnableHTML);
    if (kind == 3) {
        GetCellTextForCalc(C.RealCol, C.Row, text);
        kind = ClassifyCellText(text, FEnableHTML);
    }
    // 4.
    int errPos = 0, errLen = 0;
    GetMarker(C.RealCol, C.Row, errPos, errLen);
    bool password = false;
    IsPasswordCell(C.RealCol, C.Row, password);
    if (password) text = QString(text.size(), FPasswordChar);
    // 5.
    TRect T = C.R;
    if (C.Fixed) {
        T.Left += lw;
        T.Top += lw;
    }
    const plat::TClipState clip = cv.SaveClip();
    const bool clipped = C.ScrollOffset > 0;
    if (clipped) {
        cv.IntersectClipRect(C.R);
        T.Top -= C.ScrollOffset;
    }
    const TRect T0 = T;
    // 6.
    if (C.FilterButton) {
        const bool active = FFilter->HasFilter(C.RealCol);
        const plat::TBitmap& own = active ? FFilterDropDown->GlyphActive() : FFilterDropDown->Glyph();
        if (own.Empty()) {
            plat::TBitmap bmp;
            if (bmp.LoadFromResourceName(QStringLiteral("SGFILT")))
                DrawBitmapTransparent(cv, bmp, FixedColor(), {T.Right - 16, T.Top, T.Right, T.Top + bmp.Height()});
        } else {
            plat::TBitmap bmp(own);
            bmp.SetTransparent(true);
            cv.Draw(T.Right - 16, T.Top, bmp);
        }
        T = T0;
    }
    // 7.
    if (!C.Fixed && C.RealCol >= FixedCols() && C.Row >= FixedRows() && GridState() != plat::gsSelecting) {
        const bool rowOut = ma.DisjunctRowSelect() &&
                            !(C.SelRow >= 0 && size_t(C.SelRow) < FRowSelect.size() && FRowSelect[size_t(C.SelRow)]);
        const bool colOut = ma.DisjunctColSelect() &&
                            !(C.DisplayCol >= 0 && size_t(C.DisplayCol) < FColSelect.size() && FColSelect[size_t(C.DisplayCol)]);
        if (rowOut || colOut) {
            C.LinkColor = FURLColor;
            cv.Brush().SetColor(Color());
            cv.Font().SetColor(Font().Color());
            GetCellColor(C.RealCol, C.Row, C.State, cv.Brush(), cv.Font());
            cv.Font().SetSize(cv.Font().Size() + FZoomFactor);
        }
    }
    // 8., 9. The background picture or gradient inside the cell.
    const TBackGround& bg = *FBackGround;
    const bool kindMatches = C.Fixed ? bg.Cells() != bcNormal : bg.Cells() != bcFixed;
    const bool ownColour = CellHasProperties(C.RealCol, C.Row) && GridObjects(C.RealCol, C.Row)->BrushColor() != clNone;
    if (!bg.Bitmap().Empty() && !ownColour && kindMatches && !(FShowSelection && C.State.contains(plat::gdSelected))) {
        const TRect area{T.Left + 1 - lw, T.Top + 1 - lw, T.Right, T.Bottom};
        if (bg.Display() == bdTile)
            DrawCellPictureTiled(area, C);
        else
            DrawCellPictureFixed(area, C);
    }
    if ((bg.Display() == bdGradientHorz || bg.Display() == bdGradientVert) && kindMatches) {
        const bool checkKind = C.Graphic && (C.Graphic->CellType == ctCheckBox || C.Graphic->CellType == ctDataCheckBox ||
                                             C.Graphic->CellType == ctRadio || C.Graphic->CellType == ctButton ||
                                             C.Graphic->CellType == ctRadioButton);
        const bool selShown = FShowSelection && C.State.contains(plat::gdSelected) &&
                              (!C.State.contains(plat::gdFocused) || Options().contains(plat::goDrawFocusSelected));
        if ((!ownColour || checkKind) && !selShown)
            DrawCellBackgroundGradient({T.Left - 1, T.Top - lw, T.Right, T.Bottom + lw - 1}, C);
    }
    // 10.
    if (FSelectionRectangle && !C.Fixed) drawSelectionRectangle(C, T);
    // 11.
    if (!C.Graphic || C.DrawText) {
        if (!FXYOffsetTopLeftOnly) T.Right -= FXYOffset.x();
        T.Left += FXYOffset.x();
        T.Top += FXYOffset.y();
        C.GraphicOffset = 0;
        if (C.Graphic) {
            if (C.GraphicHAlign == haBeforeText && C.HAlign == taLeftJustify) {
                T.Left += C.W;
                C.GraphicOffset = C.W;
            } else if (C.GraphicHAlign == haLeft) {
                C.GraphicOffset = C.W;
            } else if (C.GraphicHAlign == haAfterText) {
                T.Right -= C.W;
            } else if (C.GraphicHAlign == haBeforeText) {
                T.Left += C.W;
            }
            if (C.GraphicVAlign == vaAboveText) T.Top += C.H;
            if (C.GraphicVAlign == vaUnderText) T.Bottom -= C.H;
        }
        if (C.RealCol == 0 && HasNodes() && !IsNode(C.Row)) T.Left += RowIndent(C.Row);
        const bool sortDue = sortGlyphDue(C.RealCol, C.Row);
        if (kind == 1) {
            if (C.FilterButton) T.Right -= 18;
            T.Left -= 1;
            if (sortDue) T.Right -= 10;
            THTMLRenderIn in;
            in.Text = text;
            in.Rect = T;
            in.Images = GetGridImages();
            in.Container = FPictureContainer;
            in.ShadowColor = 0x808080;
            in.URLColor = C.LinkColor;
            in.UnderlineHoveredOnly = FURLUnderlineOnHover;
            in.WindowHandle = this;
            in.BiDiMode = UseRightToLeftAlignment() ? 1 : 0;
            in.WordWrap = C.WordWrap;
            in.Selected = C.State.contains(plat::gdSelected);
            // Blinking text shows in one phase of the grid timer; without blinking it stays shown.
            in.Blink = !FEnableBlink || FGridBlink;
            THTMLRenderOut out;
            RenderHTML(cv, in, out);
            C.TextWidth = out.XSize + 2;
            if (sortDue) DrawSortIndicator(cv, C.RealCol, sortGlyphY(T), T.Right + 2);
        } else if (kind == 2) {
            cv.Pen().SetColor(cv.Brush().Color());
            if (!(C.State.contains(plat::gdSelected) && !C.State.contains(plat::gdFocused) && FSelectionColor == clNone))
                cv.FillRect(T);
            cv.Brush().SetStyle(plat::bsClear);
            DrawRichTextCell(C.RealCol, C.Row, T, cv);
            cv.Brush().SetStyle(plat::bsSolid);
            cv.Font().SetColor(plat::clBlack);
        } else {
            drawPlainText(C, T, text, sortDue, errPos, errLen);
        }
    }
    // 13.
    if (clipped) cv.RestoreClip(clip);
}

void TExStringGrid::drawPlainText(TCellPaintContext& C, TRect T, QString Text, bool SortDue, int ErrPos, int ErrLen) {
    plat::TCanvas& cv = *C.Canvas;
    const TSortSettings& ss = *FSortSettings;
    // 6.
    if (C.HAlign == taCenter && ss.Show() && C.Row == ss.Row() && C.RealCol == ss.Column()) T.Left += 10;
    const plat::TFontStyles keptStyle = cv.Font().Style();
    const TColor keptColor = cv.Font().Color();
    bool link = false;
    if (FURLShow) {
        const QString raw = GetCellEx(C.RealCol, C.Row);
        if (raw.contains(QStringLiteral("://")) || raw.contains(QStringLiteral("mailto:"))) {
            link = true;
            if (!FURLFull) StripURLScheme(Text);
            plat::TFontStyles st = keptStyle;
            st.include(plat::fsUnderline);
            cv.Font().SetStyle(st);
            cv.Font().SetColor(C.LinkColor);
        }
    }
    // 7.
    const bool oneLine = !FMultilinecells || !(Text.contains(u'\r') || Text.contains(u'\n'));
    unsigned flags;
    if (oneLine && !C.WordWrap) {
        const qsizetype cr = Text.indexOf(u'\r');
        if (cr >= 0) Text.truncate(cr);
        flags = plat::DT_SINGLELINE | (FEnhTextSize ? plat::DT_END_ELLIPSIS : 0u);
    } else {
        flags = plat::DT_EDITCONTROL | (C.WordWrap && !FMultilinecells && FEnhTextSize ? plat::DT_END_ELLIPSIS : 0u);
    }
    flags |= plat::DT_EXPANDTABS | plat::DT_NOPREFIX;
    flags |= C.HAlign == taRightJustify ? plat::DT_RIGHT : C.HAlign == taCenter ? plat::DT_CENTER : plat::DT_LEFT;
    flags |= C.VAlign == vtaCenter ? plat::DT_VCENTER : C.VAlign == vtaBottom ? plat::DT_BOTTOM : plat::DT_TOP;
    FVAlign = C.VAlign;
    if (C.WordWrap || FMultilinecells)
        flags |= plat::DT_WORDBREAK | plat::DT_EDITCONTROL;
    else
        flags |= plat::DT_SINGLELINE;
    if (UseRightToLeftAlignment()) flags |= plat::DT_RTLREADING;
    cv.Brush().SetStyle(plat::bsClear);
    if (C.FilterButton) T.Right -= 16;
    // 8. Measured only where a graphic stands beside the text.
    if (C.Graphic && !Text.isEmpty()) {
        TRect m = T;
        cv.DrawText(Text, m, flags | plat::DT_CALCRECT);
        C.TextWidth = m.Right - T.Left + 2;
    }
    {
        TRect d = T;
        cv.DrawText(Text, d, flags);
    }
    // 9.
    if (ErrLen > 0 && C.Graphic && (C.Graphic->CellType == ctEmpty || C.Graphic->CellType == ctValue))
        DrawErrorUnderline(this, cv, Text, T, cv.TextHeight(QStringLiteral("hg")), ErrPos, ErrLen);
    // 10.
    if (SortDue) {
        TRect S = C.R;
        if (C.FilterButton) S.Right -= 16;
        const int q = std::clamp(cv.TextWidth(Text), 0, std::max(0, S.Right - S.Left - 16));
        int x = S.Left + 8;
        if (C.HAlign == taLeftJustify) x = S.Left + q + 10 + C.GraphicOffset;
        if (C.HAlign == taRightJustify) x = S.Right - q - 10;
        DrawSortIndicator(cv, C.RealCol, sortGlyphY(S), x);
    }
    // 11.
    if (link) {
        cv.Font().SetStyle(keptStyle);
        cv.Font().SetColor(keptColor);
    }
    cv.Brush().SetStyle(plat::bsSolid);
}

void TExStringGrid::drawSelectionRectangle(TCellPaintContext& C, const TRect& T) {
    const plat::TGridRect sel = Selection();
    const int l = std::min(sel.Left, sel.Right), r = std::max(sel.Left, sel.Right);
    const int t = std::min(sel.Top, sel.Bottom), b = std::max(sel.Top, sel.Bottom);
    if (C.DisplayCol < l || C.DisplayCol > r || C.Row < t || C.Row > b) return;
    plat::TCanvas& cv = *C.Canvas;
    const int lw = BaseGridLineWidth();
    plat::TGridRect S{l, t, r, b};
    if (IsMergedCell(C.DisplayCol, C.Row)) {
        const plat::TGridCoord base = BaseCell(l, t);
        S = {base.X, base.Y, base.X, base.Y};
    }
    const bool leftEdge = C.DisplayCol == S.Left, rightEdge = C.DisplayCol >= S.Right;
    const bool topEdge = C.Row == S.Top, bottomEdge = C.Row >= S.Bottom;
    cv.Pen().SetColor(FSelectionRectangleColor);
    cv.Pen().SetWidth(2);
    if (leftEdge) line(cv, T.Left + 1 - lw, T.Bottom, T.Left + 1 - lw, T.Top - lw);
    if (rightEdge) line(cv, T.Right - 1, T.Bottom, T.Right - 1, T.Top - lw);
    if (topEdge) line(cv, T.Left - lw, T.Top + 1 - lw, rightEdge ? T.Right - 1 : T.Right, T.Top + 1 - lw);
    if (bottomEdge) line(cv, T.Left - lw, T.Bottom, rightEdge ? T.Right - 1 : T.Right, T.Bottom);
    cv.Pen().SetWidth(1);
    if (FSelectionResizer && rightEdge && bottomEdge) {
        const TRect cell = CellRect(C.DisplayCol, C.Row);
        FillRectColor(cv, {T.Right - 4, T.Bottom - 4, cell.Right, cell.Bottom}, FSelectionRectangleColor);
    }
}

// ---------------------------------------------------------------- the border layer

void TExStringGrid::DrawCellBorders(int ACol, int ARow, TRect R, TCellPaintContext& C) {
    plat::TCanvas& cv = *C.Canvas;
    const plat::TPen kept = cv.Pen();
    TCellBorders borders;
    GetCellBorder(ACol, ARow, cv.Pen(), borders);
    if (borders.empty()) {
        cv.Pen().Assign(kept);
        return;
    }
    plat::TPen pens[4] = {cv.Pen(), cv.Pen(), cv.Pen(), cv.Pen()};  // left, top, right, bottom
    if (OnGetCellBorderProp) {
        QPen q[4] = {toQPen(pens[0]), toQPen(pens[1]), toQPen(pens[2]), toQPen(pens[3])};
        OnGetCellBorderProp(this, ARow, ACol, q[0], q[1], q[2], q[3]);
        for (int i = 0; i < 4; ++i) fromQPen(q[i], pens[i]);
    }
    const int lw = BaseGridLineWidth();
    int e = (cv.Pen().Width() + 1) / 2;
    const int f = Options().contains(plat::goVertLine) ? e : 0;
    if (!Options().contains(plat::goHorzLine)) e = 0;
    R.Left += f;
    R.Bottom -= e;
    if (borders.contains(cbLeft)) {
        cv.Pen().Assign(pens[0]);
        line(cv, std::max(0, R.Left), R.Top, std::max(0, R.Left), R.Bottom);
    }
    R.Right -= f;
    if (borders.contains(cbRight)) {
        cv.Pen().Assign(pens[2]);
        line(cv, R.Right - 1, R.Top, R.Right - 1, R.Bottom);
    }
    if (borders.contains(cbTop)) {
        cv.Pen().Assign(pens[1]);
        R.Top += e;
        const int y = lw > 0 ? std::max(0, R.Top - lw) : R.Top + 1;
        line(cv, R.Left, y, R.Right, y);
    }
    if (borders.contains(cbBottom)) {
        cv.Pen().Assign(pens[3]);
        line(cv, R.Left - lw - 1, R.Bottom - 1, R.Right, R.Bottom - 1);
    }
    cv.Pen().Assign(kept);
}

// ---------------------------------------------------------------- the graphic layer

void TExStringGrid::DrawCellGraphic(TRect R, TCellGraphic* Graphic, TVAlignment VAlign, TCellPaintContext& C) {
    if (!Graphic) return;
    plat::TCanvas& cv = *C.Canvas;
    const TCellType kind = Graphic->CellType;
    // 1.
    if (kind != ctNode && kind != ctProgress && kind != ctRangeIndicator && kind != ctXPProgress)
        R = inflated(R, 1 - FXYOffset.x(), 1 - FXYOffset.y());
    const int textWidth = C.TextWidth > 0 ? C.TextWidth + 2 : 0;
    const int W = C.W, H = C.H;
    const int width = R.Width(), height = R.Height();
    // 2.
    int L = R.Left + 1, Rt = 0;
    bool fullW = false;
    switch (C.GraphicHAlign) {
    case haLeft: L = R.Left + 1; break;
    case haRight: Rt = R.Right - 1, L = Rt - W; break;
    case haCenter: L = width > W ? R.Left + (width - W) / 2 : R.Left + 1; break;
    case haBeforeText:
        if (C.HAlign == taRightJustify) L = R.Right - textWidth - W;
        else if (C.HAlign == taCenter) L = R.Left + (width - textWidth - W) / 2;
        if (L < R.Left) L = R.Left + 1;
        break;
    case haAfterText:
        if (C.HAlign == taLeftJustify) {
            L = R.Left + textWidth;
        } else if (C.HAlign == taRightJustify) {
            Rt = R.Right - 1;
            L = Rt - W;
        } else {
            L = R.Left + textWidth + (width - textWidth - W) / 2;
            if (L < R.Left) L = R.Left + 1;
        }
        break;
    case haFull: fullW = true; break;
    }
    if (C.GraphicHAlign != haRight && !(C.GraphicHAlign == haAfterText && C.HAlign == taRightJustify)) Rt = L + W;
    if (fullW) L = R.Left, Rt = R.Right;
    // 3.
    TCellVAlign va = C.GraphicVAlign;
    const bool checkKind = kind == ctCheckBox || kind == ctDataCheckBox || kind == ctVirtCheckBox ||
                           kind == ctRowCheckBox || kind == ctRadioButton || kind == ctTriStateCheckBox;
    if (checkKind && VAlign != FVAlignment)
        va = VAlign == vtaTop ? vaTop : VAlign == vtaCenter ? vaCenter : vaBottom;
    int T0 = R.Top + 1, B = 0;
    bool fullH = false;
    switch (va) {
    case vaTop:
    case vaAboveText: T0 = R.Top + 1; break;
    case vaBottom: B = R.Bottom - 1, T0 = B - H; break;
    case vaCenter: T0 = height > H ? R.Top + (height - H) / 2 : R.Top + 1; break;
    case vaUnderText: T0 = R.Bottom - H, B = R.Bottom; break;
    case vaFull: fullH = true; break;
    }
    if (va != vaBottom && va != vaUnderText) B = T0 + H;
    if (fullH) T0 = R.Top, B = R.Bottom;
    TRect P{L, T0, Rt, B};
    // 4.
    bool canEdit = true;
    auto editable = [&] {
        CanEditCell(C.RealCol, C.Row, canEdit);
        return canEdit;
    };
    const TControlStyle style = FControlLook->ControlStyle();
    switch (kind) {
    case ctBitmap:
        if (Graphic->CellBitmap && !Graphic->CellBitmap->Empty()) {
            plat::TBitmap bmp(*Graphic->CellBitmap);
            bmp.SetTransparent(Graphic->CellTransparent);
            int x = L;
            if (UseRightToLeftAlignment()) x = R.Right - (L - R.Left) - bmp.Width();
            cv.Draw(x, T0, bmp);
        }
        break;
    case ctIcon:
        if (Graphic->CellIcon && !Graphic->CellIcon->Empty()) cv.Draw(L, T0, *Graphic->CellIcon);
        break;
    case ctImageList:
    case ctDataImage: {
        const plat::TImageList* images = GetGridImages();
        if (!images) break;
        int64_t idx = Graphic->CellIndex;
        if (kind == ctDataImage) idx += GetInts(C.RealCol, C.Row);
        // Only a picture of the list: below 0 is as much outside it as at or past the count.
        if (idx >= 0 && idx < images->Count()) images->Draw(cv, L, T0, int(idx), true);
        break;
    }
    case ctImages: {
        const plat::TImageList* images = GetGridImages();
        if (!images || !Graphic->CellImages) break;
        int x = L, y = T0;
        for (int i = 0; i < Graphic->CellImages->Count(); ++i) {
            const int idx = Graphic->CellImages->Items(i);
            if (idx >= 0 && idx < images->Count()) images->Draw(cv, x, y, idx, true);
            if (Graphic->CellBoolean)
                x += images->Width();
            else
                y += images->Height();
        }
        break;
    }
    case ctCheckBox:
    case ctRowCheckBox:
        DrawCheck(cv, P, Graphic->CellBoolean, 0, false, style, Graphic->CellAngle > 0, editable());
        break;
    case ctDataCheckBox:
    case ctVirtCheckBox: {
        QString yes;
        GetCheckTrue(C.RealCol, C.Row, yes);
        DrawCheck(cv, P, GetCellEx(C.RealCol, C.Row) == yes, 0, false, style, false, editable());
        break;
    }
    case ctTriStateCheckBox:
        DrawCheck(cv, P, Graphic->CellCheckBoxState == cbChecked, int(Graphic->CellCheckBoxState), true, style,
                  Graphic->CellAngle > 0, editable());
        break;
    case ctRadioButton: {
        const int size = FControlLook->RadioSize();
        const TRect rr{L + FXYOffset.x(), T0, L + FXYOffset.x() + size, T0 + size};
        // One option without text, on when the cell's flag is (index 0), else none (-2 matches nothing).
        DrawRadioGroup(cv, rr, false, 1, style, C.Row, C.RealCol, C.State.contains(plat::gdSelected),
                       QStringList{QString()}, !editable(), false, Graphic->CellBoolean ? 0 : -2, 1);
        break;
    }
    case ctRadio: {
        const QStringList options = Graphic->CellStrings ? *Graphic->CellStrings : QStringList();
        DrawRadioGroup(cv, R, false, 1, style, C.Row, C.RealCol, C.State.contains(plat::gdSelected), options,
                       !editable(), Graphic->CellBoolean, Graphic->CellIndex, int(options.size()));
        break;
    }
    case ctRotated: drawRotatedCell(C, R, Graphic); break;
    case ctNode: drawNodeGlyph(C, R, Graphic); break;
    case ctPicture:
        if (const auto* pic = dynamic_cast<const THTMLPicture*>(Graphic->CellObject)) {
            if (pic->Empty()) break;
            if (Graphic->CellAngle != 0)
                pic->Draw(cv, P);
            else
                pic->Draw(cv, {L, T0, L + pic->Width(), T0 + pic->Height()});
        }
        break;
    case ctFilePicture:
        if (Graphic->CellFilePicture) Graphic->CellFilePicture->DrawPicture(cv, P);
        break;
    case ctProgress: drawProgressCell(C, R, Graphic, style); break;
    case ctComment:
        if (FControlLook->CommentColor() != clNone) {
            const TColor color = Graphic->CellAngle == int32_t(clNone) ? FControlLook->CommentColor()
                                                                      : TColor(uint32_t(Graphic->CellIndex));
            const int x = R.Right + FXYOffset.x(), y = R.Top - FXYOffset.y();
            cv.Brush().SetColor(color);
            cv.Pen().SetColor(color);
            cv.Polygon({QPoint(x - 8, y + 1), QPoint(x - 3, y + 1), QPoint(x - 3, y + 6)});
            cv.Brush().SetColor(Color());
        }
        break;
    case ctButton:
    case ctBitButton:
    case ctExpand: drawButtonCell(C, R, P, Graphic); break;
    case ctProgressPie: DrawProgressPie(cv, {L, T0, L + 20, T0 + 20}, Graphic->CellColor, Graphic->CellAngle, false); break;
    case ctRangeIndicator: {
        const int mx = FControlLook->ProgressMarginX(), my = FControlLook->ProgressMarginY();
        DrawBalanceBar(cv, inflated(R, -mx, -my), GetInts(C.RealCol, C.Row), Graphic->CellIndex, Graphic->CellBoolean,
                       Graphic->CellColor, Graphic->CellColor2);
        break;
    }
    case ctXPProgress: drawStyledProgressCell(C, R, Graphic); break;
    case ctInterface: drawInterfaced(C, {R.Left - 1, R.Top - 1, R.Right, R.Bottom}); break;
    case ctShape:
        DrawCellShape(cv, L, T0, W - 1, H - 1, Graphic->CellAngle, TColor(uint32_t(Graphic->CellIndex)), Graphic->CellColor);
        break;
    case ctRating: {
        const double v = std::trunc(GetFloats(C.RealCol, C.Row) * 2) / 2;
        for (int i = 1; i <= Graphic->CellAngle; ++i) {
            const int x = L + (i - 1) * 18;
            const TColor fill = TColor(uint32_t(Graphic->CellIndex));
            if (i <= v) {
                DrawCellShape(cv, x, T0, 16, 16, ::csStar, fill, fill);
            } else {
                DrawCellShape(cv, x, T0, 16, 16, ::csStar, Graphic->CellColor, Graphic->CellColor);
                if (i - 1 < v) DrawCellShape(cv, x, T0, 16, 16, ::csHalfStar, fill, fill);
            }
        }
        break;
    }
    default: break;
    }
}

void TExStringGrid::drawRotatedCell(TCellPaintContext& C, const TRect& R, TCellGraphic* Graphic) {
    plat::TCanvas& cv = *C.Canvas;
    const TRect r = inflated(R, -2, -2);
    cv.Brush().SetStyle(plat::bsClear);
    DrawRotatedText(cv, GetCellEx(C.RealCol, C.Row), r, Graphic->CellAngle, C.HAlign, C.VAlign);
    cv.Brush().SetStyle(plat::bsSolid);
    if (FSortSettings->Show() && FSortSettings->Column() == C.RealCol && C.Row == FSortSettings->Row())
        DrawSortIndicator(cv, C.RealCol, r.Top + 8, r.Right - 10);
}

void TExStringGrid::drawNodeGlyph(TCellPaintContext& C, const TRect& R, TCellGraphic* Graphic) {
    plat::TCanvas& cv = *C.Canvas;
    const TCellNode& cn = *FCellNode;
    const bool open = Graphic->CellBoolean;
    const int level = Graphic->CellAngle;
    const int x0 = R.Left + level * cn.NodeIndent();
    const int midY = R.Top + R.Height() / 2;
    switch (cn.NodeType()) {
    case cnLeaf:
    case cnXP: {
        plat::TBitmap bmp;
        const QString name = cn.NodeType() == cnLeaf ? (open ? QStringLiteral("SGLEAFOPEN") : QStringLiteral("SGLEAFCLOSE"))
                                                     : (open ? QStringLiteral("XPNODEO") : QStringLiteral("XPNODEC"));
        if (!LoadResourceBitmap(name, bmp)) break;
        const int h = cn.NodeType() == cnLeaf ? 12 : 10;
        const int x = x0 + (cn.NodeType() == cnXP ? 4 : 0);
        const int y = midY - h / 2;
        DrawBitmapTransparent(cv, bmp, cv.Brush().Color(), {x, y, x + bmp.Width(), y + bmp.Height()});
        break;
    }
    case cnGlyph: {
        const plat::TBitmap& g = open ? cn.ContractGlyph() : cn.ExpandGlyph();
        if (g.Empty()) break;
        plat::TBitmap bmp(g);
        bmp.SetTransparent(true);
        cv.Draw(x0 + 2, midY - bmp.Height() / 2, bmp);
        break;
    }
    case cn3D:
    case cnFlat: {
        const TRect box{x0 + 2, midY - 4, x0 + 10, midY + 4};
        if (cn.NodeType() == cn3D) {
            TRect e = box;
            plat::DrawEdge(cv, e, plat::EDGE_RAISED, plat::BF_RECT | plat::BF_MIDDLE);
        } else {
            cv.Brush().SetColor(cn.NodeColor());
            cv.Pen().SetColor(plat::clBlack);
            cv.Rectangle(box);
        }
        cv.Pen().SetColor(plat::clBlack);
        line(cv, box.Left + 2, midY, box.Right - 2, midY);
        if (!open) line(cv, box.Left + 4, box.Top + 2, box.Left + 4, box.Bottom - 2);
        break;
    }
    }
}

void TExStringGrid::drawProgressCell(TCellPaintContext& C, const TRect& R, TCellGraphic* Graphic, TControlStyle Style) {
    plat::TCanvas& cv = *C.Canvas;
    const double value = GetFloats(C.RealCol, C.Row);
    const int mx = FControlLook->ProgressMarginX(), my = FControlLook->ProgressMarginY();
    if ((Style == csWinXP || Style == csTheme) && FIsWinXP && FControlLook->ProgressXP()) {
        const plat::TThemeData theme = plat::OpenThemeData(this, u"progress");
        const TRect bar = inflated(R, -mx, -my);
        plat::DrawThemeBackground(theme, cv, plat::PP_BAR, 1, bar);
        TRect chunk = inflated(bar, -2, -2);
        chunk.Right = chunk.Left + int(chunk.Width() * ClampPercent(value) / 100.0);
        if (!chunk.IsEmpty()) plat::DrawThemeBackground(theme, cv, plat::PP_CHUNK, 1, chunk);
        return;
    }
    const TColor fg = Graphic->CellColor, bk = Graphic->CellColor2;
    const TColor fgText = Graphic->CellBoolean ? TColor(uint32_t(Graphic->CellIndex)) : TColor(plat::ColorToRGB(fg) ^ 0xFFFFFF);
    const TColor bkText = Graphic->CellBoolean ? TColor(uint32_t(Graphic->CellAngle)) : TColor(plat::ColorToRGB(bk) ^ 0xFFFFFF);
    DrawProgressBar(cv, inflated(R, -2, -2), fg, fgText, bk, bkText, value, mx, my, Graphic->CellErrFrom,
                    Graphic->CellErrLen, Graphic->CellText, FControlLook->ProgressBorderColor(), false);
}

void TExStringGrid::drawStyledProgressCell(TCellPaintContext& C, const TRect& R, TCellGraphic* Graphic) {
    plat::TCanvas& cv = *C.Canvas;
    const int mx = FControlLook->ProgressMarginX(), my = FControlLook->ProgressMarginY();
    TRect r = inflated(R, -mx, -my);
    r.Right -= 1;
    r.Bottom -= 1;
    const TGridProgressAppearance& pa = *FProgressAppearance;
    TStyledProgressAppearance a;
    a.Level0Color = pa.Level0Color();
    a.Level0ColorTo = pa.Level0ColorTo();
    a.Level1Color = pa.Level1Color();
    a.Level1ColorTo = pa.Level1ColorTo();
    a.Level2Color = pa.Level2Color();
    a.Level2ColorTo = pa.Level2ColorTo();
    a.Level3Color = pa.Level3Color();
    a.Level3ColorTo = pa.Level3ColorTo();
    a.Level1Perc = pa.Level1Perc();
    a.Level2Perc = pa.Level2Perc();
    a.BorderColor = pa.BorderColor();
    a.ShowBorder = pa.ShowBorder();
    a.Stacked = pa.Stacked();
    a.ShowPercentage = pa.ShowPercentage();
    a.CompletionSmooth = pa.CompletionSmooth();
    a.ShowGradient = pa.ShowGradient();
    a.Font = &Font();
    a.CompleteFontColor = pa.CompleteFontColor();
    a.Steps = pa.Steps();
    a.UnCompleteColor = pa.UnCompleteColor() != clNone ? pa.UnCompleteColor() : cv.Brush().Color();
    // Equal limits leave no range to divide: the bar shows nothing done.
    const int span = Graphic->CellErrLen - Graphic->CellErrFrom;
    int percent = 0;
    if (span != 0)
        percent = int(std::lround(std::abs(double(GetInts(C.RealCol, C.Row)) - Graphic->CellErrFrom) / span * 100.0));
    DrawStyledProgress(cv, r, percent, a);
}

void TExStringGrid::drawButtonCell(TCellPaintContext& C, const TRect& R, const TRect& P, TCellGraphic* Graphic) {
    plat::TCanvas& cv = *C.Canvas;
    const uint8_t kind = cellButtonKind();
    const bool expand = Graphic->CellType == ctExpand;
    uint8_t state = 0;
    if (Graphic->CellBoolean && !expand) state = 2;
    else if (FHoverButton == QPoint(C.DisplayCol, C.Row)) state = 1;
    bool canEdit = true;
    CanEditCell(C.RealCol, C.Row, canEdit);
    if (!canEdit && !expand && !FControlLook->NoDisabledButtonLook()) state = 3;
    TRect b = P;
    if (expand) b = {R.Right - 14, R.Top + 1, R.Right - 1, R.Top + 14};
    DrawPushButton(cv, this, b, kind, state, FTones);
    if (state == 2) b = {b.Left + 1, b.Top + 1, b.Right + 1, b.Bottom + 1};
    if (expand) {
        const bool up = Graphic->CellVar.toBool();
        const int cx = b.Left + b.Width() / 2, cy = b.Top + b.Height() / 2;
        cv.Pen().SetColor(plat::clBlack);
        for (int i = 0; i < 3; ++i) {
            const int y = up ? cy + 1 - i : cy - 1 + i;
            line(cv, cx - i, y, cx + i + 1, y);
        }
        return;
    }
    TRect text = b;
    if (Graphic->CellType == ctBitButton && Graphic->CellBitmap && !Graphic->CellBitmap->Empty()) {
        plat::TBitmap bmp(*Graphic->CellBitmap);
        bmp.SetTransparent(true);
        const int y = bmp.Height() <= b.Height() ? b.Top + (b.Height() - bmp.Height()) / 2 : b.Top + 3;
        cv.Draw(b.Left + 3, y, bmp);
        text.Left = b.Left + 3 + bmp.Width() + 4;
    }
    const TColor kept = cv.Font().Color();
    if (kind == 3) {
        const TColorTone& tone = state == 3 ? FTones.Disabled : state == 2 ? FTones.Selected : state == 1 ? FTones.Hover
                                                                                                         : FTones.Background;
        cv.Font().SetColor(tone.TextColor);
    }
    cv.Brush().SetStyle(plat::bsClear);
    const unsigned flags = plat::DT_CENTER | plat::DT_END_ELLIPSIS | plat::DT_NOPREFIX |
                           (Graphic->CellText.contains(u'\r') ? plat::DT_WORDBREAK : plat::DT_SINGLELINE | plat::DT_VCENTER);
    cv.DrawText(Graphic->CellText, text, flags);
    cv.Brush().SetStyle(plat::bsSolid);
    cv.Font().SetColor(kept);
}

// ---------------------------------------------------------------- glyph painters

void TExStringGrid::DrawCheck(plat::TCanvas& Canvas, TRect R, bool Checked, int TriStateValue, bool TriStateMode,
                              TControlStyle Style, bool Grayed, bool Enabled) {
    if (FControlLook->NoDisabledCheckRadioLook() || FControlLook->CheckAlwaysActive()) Enabled = true;
    if (Style == csTheme && (!FIsComCtl6 || !FIsWinXP || !plat::IsThemeActive())) Style = csClassic;
    if (TriStateMode) {
        Checked = TriStateValue == 1;
        Grayed = TriStateValue == 2;
    }
    const int size = FControlLook->CheckSize();
    const bool mirrored = UseRightToLeftAlignment();
    if (mirrored) R = {ClientWidth() - R.Right, R.Top, ClientWidth() - R.Left, R.Bottom};
    switch (Style) {
    case csBevel3D: {
        const TRect b{R.Left + (R.Width() - size) / 2, R.Top + (R.Height() - size) / 2, 0, 0};
        const TRect box{b.Left, b.Top, b.Left + size, b.Top + size};
        Canvas.Brush().SetColor(Enabled ? plat::clBtnFace : plat::clBtnShadow);
        Canvas.Pen().SetColor(plat::clBtnFace);
        Canvas.Rectangle(box);
        Canvas.Pen().SetColor(plat::clBtnHighlight);
        line(Canvas, box.Left, box.Bottom - 1, box.Left, box.Top);
        Canvas.LineTo(box.Right - 1, box.Top);
        Canvas.Pen().SetColor(plat::clBtnShadow);
        Canvas.LineTo(box.Right - 1, box.Bottom - 1);
        Canvas.LineTo(box.Left, box.Bottom - 1);
        if (Checked || Grayed) {
            Canvas.Pen().SetColor(Enabled ? FControlLook->Color() : TColor(0x808080));
            const int x = box.Left + size / 4, y = box.Top + size / 2;
            for (int d = 0; d < 2; ++d) {
                line(Canvas, x, y + d, x + 2, y + 2 + d);
                Canvas.LineTo(x + size / 2 + 1, y - size / 4 + d);
            }
        }
        break;
    }
    case csClassic:
    case csFlat: {
        unsigned state = plat::DFCS_BUTTONCHECK;
        if (Checked || Grayed) state |= plat::DFCS_CHECKED;
        if (Style == csFlat) state |= plat::DFCS_FLAT;
        if (!Enabled || Grayed) state |= plat::DFCS_INACTIVE;
        TRect b{R.Left + (R.Width() - size) / 2, R.Top + (R.Height() - size) / 2, 0, 0};
        b.Right = b.Left + size;
        b.Bottom = b.Top + size;
        plat::DrawFrameControl(Canvas, b, plat::DFC_BUTTON, state);
        break;
    }
    case csWinXP:
    case csVEZ: {
        static constexpr const char* xp[4] = {"SGCHK05", "SGCHK07", "SGCHK06", "SGCHK08"};
        static constexpr const char* vez[4] = {"SGCHK01", "SGCHK03", "SGCHK02", "SGCHK04"};
        const int i = (Checked ? 0 : 2) + (Enabled ? 0 : 1);
        plat::TBitmap bmp;
        if (glyph((Style == csWinXP ? xp : vez)[i], bmp)) Canvas.Draw(R.Left, R.Top, bmp);
        break;
    }
    case csGlyph: {
        const plat::TBitmap& g = Checked ? FControlLook->CheckedGlyph() : FControlLook->UnCheckedGlyph();
        if (g.Empty()) break;
        plat::TBitmap bmp(g);
        bmp.SetTransparent(true);
        Canvas.Draw(R.Left, R.Top, bmp);
        break;
    }
    case csTheme: {
        int state = Grayed ? (Enabled ? 9 : 12) : Checked ? (Enabled ? 5 : 8) : (Enabled ? 1 : 4);
        plat::DrawThemeBackground(plat::OpenThemeData(this, u"button"), Canvas, plat::BP_CHECKBOX, state,
                                  {R.Left, R.Top, R.Left + size, R.Top + size});
        break;
    }
    }
}

void TExStringGrid::DrawRadioGroup(plat::TCanvas& Canvas, const TRect& R, bool Reverse, int Scale, TControlStyle Style,
                                   int ARow, int ACol, bool Selected, const QStringList& Options, bool Disabled,
                                   bool Horizontal, int Index, int Count) {
    if (FControlLook->NoDisabledCheckRadioLook() || FControlLook->RadioAlwaysActive()) Disabled = false;
    if (Style == csTheme && (!FIsWinXP || !plat::IsThemeActive())) Style = csClassic;
    const QString cell = ACol >= 0 && ARow >= 0 && ACol < AllColCount() && ARow < RowCount() ? GetCellEx(ACol, ARow)
                                                                                              : QString();
    const TColor keptFont = Canvas.Font().Color();
    if (Selected && FShowSelection && FSelectionTextColor != clNone) Canvas.Font().SetColor(FSelectionTextColor);
    Canvas.Brush().SetStyle(plat::bsClear);
    const int gh = Canvas.TextHeight(QStringLiteral("gh"));
    const int radio = FControlLook->RadioSize();
    const bool classic = Style == csClassic || Style == csFlat;
    const int lineH = classic ? gh : std::max(16, gh);
    int x = R.Left + 2;
    for (int i = 1; i <= Count; ++i) {
        const QString text = i - 1 < Options.size() ? Options[i - 1] : QString();
        const bool on = Index == -1 ? text == cell : i == Index + 1;
        int y = R.Top + lineH * (i - 1) + 2;
        if (Reverse) y = R.Bottom - lineH * i - 2;
        int gx = R.Left + 2;
        if (Horizontal) {
            y = R.Top + (R.Height() - (classic ? radio : 16)) / 2;
            gx = classic ? x : R.Left + i * 16 - 14 + (x - R.Left - 2);
        }
        if (classic) {
            const int size = radio * Scale + (Style == csFlat ? 2 : 0);
            if (text.isEmpty() && !Horizontal) gx = R.Left + (R.Width() - size) / 2;
            unsigned state = plat::DFCS_BUTTONRADIO;
            if (Style == csFlat) state |= plat::DFCS_FLAT;
            if (Disabled) state |= plat::DFCS_INACTIVE;
            if (on) state |= plat::DFCS_CHECKED;
            TRect b{gx, y, gx + size, y + size};
            plat::DrawFrameControl(Canvas, b, plat::DFC_BUTTON, state);
            const int tx = Horizontal ? gx + size + 2 : R.Left + 2 + (radio + 4) * Scale;
            Canvas.TextOut(tx, Horizontal ? y : y - 2, text);
            x = tx + Canvas.TextWidth(text) + 2;
        } else if (Style == csBevel3D) {
            const QPoint o(gx - 2, y);
            Canvas.Brush().SetColor(plat::clBtnFace);
            Canvas.Pen().SetColor(plat::clBtnFace);
            Canvas.Polygon({o + QPoint(2, 8), o + QPoint(8, 2), o + QPoint(14, 8), o + QPoint(8, 14)});
            Canvas.Pen().SetColor(on ? TColor(0x808080) : plat::clWhite);
            line(Canvas, o.x() + 2, o.y() + 8, o.x() + 8, o.y() + 2);
            Canvas.LineTo(o.x() + 14, o.y() + 8);
            Canvas.Pen().SetColor(on ? plat::clWhite : TColor(0x808080));
            line(Canvas, o.x() + 14, o.y() + 8, o.x() + 8, o.y() + 14);
            Canvas.LineTo(o.x() + 2, o.y() + 8);
            if (on) {
                Canvas.Brush().SetColor(FControlLook->Color());
                Canvas.Pen().SetColor(FControlLook->Color());
                Canvas.Polygon({o + QPoint(6, 8), o + QPoint(8, 6), o + QPoint(10, 8), o + QPoint(8, 10)});
            }
            Canvas.Brush().SetStyle(plat::bsClear);
            const int tx = Horizontal ? gx + 16 : R.Left + 20;
            Canvas.TextOut(tx, y + 1, text);
            x = tx + Canvas.TextWidth(text) + 2;
        } else if (Style == csTheme) {
            const int state = on ? (Disabled ? 8 : 5) : (Disabled ? 4 : 1);
            plat::DrawThemeBackground(plat::OpenThemeData(this, u"button"), Canvas, plat::BP_RADIOBUTTON, state,
                                      {gx, y, gx + 16, y + 16});
            const int tx = Horizontal ? gx + 16 : R.Left + 20;
            Canvas.TextOut(tx, y + 1, text);
            x = tx + Canvas.TextWidth(text) + 2;
        } else {
            plat::TBitmap bmp;
            bool have = false;
            if (Style == csGlyph) {
                const plat::TBitmap& g = on ? FControlLook->RadioOnGlyph() : FControlLook->RadioOffGlyph();
                if (!g.Empty()) {
                    bmp.Assign(g);
                    bmp.SetTransparent(true);
                    have = true;
                }
            } else {
                static constexpr const char* xp[4] = {"SGRAD05", "SGRAD07", "SGRAD06", "SGRAD08"};
                static constexpr const char* vez[4] = {"SGRAD01", "SGRAD03", "SGRAD02", "SGRAD04"};
                have = glyph((Style == csWinXP ? xp : vez)[(on ? 0 : 2) + (Disabled ? 1 : 0)], bmp);
            }
            if (have) Canvas.Draw(gx, y, bmp);
            const int tx = Horizontal ? gx + 16 : R.Left + 18;
            Canvas.TextOut(tx, y + 1, text);
            x = tx + Canvas.TextWidth(text) + 2;
        }
    }
    Canvas.Brush().SetStyle(plat::bsSolid);
    Canvas.Font().SetColor(keptFont);
}

void TExStringGrid::DrawSortIndicator(plat::TCanvas& Canvas, int ACol, int Y, int X) {
    const TSortSettings& ss = *FSortSettings;
    const plat::TPen keptPen = Canvas.Pen();
    if (UseRightToLeftAlignment()) {
        X = ClientWidth() - X - 4 - 7;
        if (!ss.UpGlyph().Empty()) X -= ss.UpGlyph().Width();
    }
    const int pos = FSortIndexes->FindIndex(ACol);
    if (ss.IndexShow() && pos >= 0) {
        const bool descending = !FSortIndexes->SortDirections(pos);
        Canvas.Brush().SetColor(ss.IndexColor());
        Canvas.Pen().SetColor(plat::clBlack);
        const plat::TBitmap& g = descending ? ss.IndexUpGlyph() : ss.IndexDownGlyph();
        if (g.Empty()) {
            if (descending)
                Canvas.Polygon({QPoint(X - 7, Y - 5), QPoint(X + 7, Y - 5), QPoint(X, Y + 8)});
            else
                Canvas.Polygon({QPoint(X - 6, Y + 8), QPoint(X + 6, Y + 8), QPoint(X, Y - 4)});
        } else {
            plat::TBitmap bmp(g);
            bmp.SetTransparent(true);
            Canvas.Draw(X - 7, Y - 7, bmp);
        }
        const plat::TFont keptFont = Canvas.Font();
        Canvas.Brush().SetStyle(plat::bsClear);
        Canvas.Font().SetColor(plat::clBlack);
        Canvas.Font().SetSize(6);
        Canvas.TextOut(X - 2, descending ? Y - 4 : Y - 2, QString::number(pos + 1));
        Canvas.Font().Assign(keptFont);
        Canvas.Brush().SetStyle(plat::bsSolid);
    } else if (ss.UpGlyph().Empty() || ss.DownGlyph().Empty()) {
        Canvas.Pen().SetWidth(1);
        if (ss.Direction() == sdDescending) {
            Canvas.Pen().SetColor(plat::clWhite);
            line(Canvas, X + 4, Y - 4, X, Y + 4);
            Canvas.Pen().SetColor(0x808080);
            Canvas.LineTo(X - 4, Y - 4);
            Canvas.LineTo(X + 4, Y - 4);
        } else {
            Canvas.Pen().SetColor(plat::clWhite);
            line(Canvas, X - 4, Y + 4, X + 4, Y + 4);
            Canvas.LineTo(X, Y - 4);
            Canvas.Pen().SetColor(0x808080);
            Canvas.LineTo(X - 4, Y + 4);
        }
    } else {
        plat::TBitmap bmp(ss.Direction() == sdDescending ? ss.DownGlyph() : ss.UpGlyph());
        bmp.SetTransparent(true);
        Canvas.Draw(X - 4, Y - 4, bmp);
        Canvas.Brush().SetColor(FixedColor());
    }
    Canvas.Pen().Assign(keptPen);
    Canvas.Pen().SetColor(plat::clBlack);
}

void TExStringGrid::DrawRichTextCell(int ACol, int ARow, const TRect& R, plat::TCanvas& Canvas) {
    if (IsDesignTime()) return;
    QPainter* p = Canvas.Painter();
    if (!p) return;
    TExRichEdit& conv = *RichEdit();
    CellToRich(ACol, ARow, &conv);
    // Selected: in the selection but not the focused current cell, or picked by a disjunct selection.
    const int dc = DisplColIndex(ACol);
    const plat::TGridRect sel = Selection();
    const bool focusedCurrent = Focused() && !Options().contains(plat::goDrawFocusSelected) &&
                                dc == Col() && ARow == Row();
    const bool inSel = dc >= sel.Left && dc <= sel.Right && ARow >= sel.Top && ARow <= sel.Bottom;
    const bool selected = (inSel && !focusedCurrent && !FMouseActions->DisjunctRowSelect()) ||
                          (FMouseActions->DisjunctRowSelect() && GetRowSelect(ARow)) ||
                          (FMouseActions->DisjunctColSelect() && GetColSelect(dc));
    QColor textColor;
    if (selected && !FSelectionRTFKeep && FSelectionTextColor != clNone) textColor = plat::ToQColor(FSelectionTextColor);
    const QRect r(R.Left + FXYOffset.x(), R.Top + FXYOffset.y(), std::max(0, R.Right - R.Left - 2 * FXYOffset.x()),
                  std::max(0, R.Bottom - R.Top - 2 * FXYOffset.y()));
    conv.SetLayoutWidth(FWordWrapEx ? r.width() : -1);
    PaintTextDocument(*p, *conv.document(), r, FWordWrapEx, textColor);
}

// ---------------------------------------------------------------- in-cell background

void TExStringGrid::DrawCellPictureFixed(const TRect& Area, TCellPaintContext& C) {
    const plat::TBitmap& bmp = FBackGround->Bitmap();
    const TRect pic{FBackGround->Left(), FBackGround->Top(), FBackGround->Left() + bmp.Width(),
                    FBackGround->Top() + bmp.Height()};
    const TRect r{std::max(Area.Left, pic.Left), std::max(Area.Top, pic.Top), std::min(Area.Right, pic.Right),
                  std::min(Area.Bottom, pic.Bottom)};
    if (r.IsEmpty()) return;
    if (QPainter* p = C.Canvas->Painter())
        p->drawImage(r.toQRect(), bmp.Image(), QRect(r.Left - pic.Left, r.Top - pic.Top, r.Width(), r.Height()));
}

void TExStringGrid::DrawCellPictureTiled(const TRect& Area, TCellPaintContext& C) {
    const plat::TBitmap& bmp = FBackGround->Bitmap();
    const int bw = bmp.Width(), bh = bmp.Height();
    if (bw <= 0 || bh <= 0) return;
    // The phase from the columns and rows before the cell: prefix sums, not a walk.
    const int from = FBackGround->Cells() == bcNormal ? FixedCols() : 0;
    const int fromRow = FBackGround->Cells() == bcNormal ? FixedRows() : 0;
    const int px = C.DisplayCol > from ? (ColStart(C.DisplayCol) - ColStart(from)) % bw : 0;
    const int py = C.Row > fromRow ? (RowStart(C.Row) - RowStart(fromRow)) % bh : 0;
    QPainter* p = C.Canvas->Painter();
    if (!p) return;
    const QImage& img = bmp.Image();
    const int left = Area.Left - 1, top = Area.Top - 1;
    int sy = py;
    for (int y = top; y < Area.Bottom; ) {
        const int h = std::min(bh - sy, Area.Bottom - y);
        int sx = px;
        for (int x = left; x < Area.Right; ) {
            const int w = std::min(bw - sx, Area.Right - x);
            p->drawImage(QRect(x, y, w, h), img, QRect(sx, sy, w, h));
            x += w;
            sx = 0;
        }
        y += h;
        sy = 0;
    }
}

void TExStringGrid::DrawCellBackgroundGradient(const TRect& Area, TCellPaintContext& C) {
    const bool horz = FBackGround->Display() == bdGradientHorz;
    const TColor from = plat::ColorToRGB(FBackGround->Color()), to = plat::ColorToRGB(FBackGround->ColorTo());
    const int extent = horz ? ColStart(ColCount()) : RowStart(RowCount());
    const TColor c0 = InterpolateColor(from, to, 0, extent, horz ? Area.Left : Area.Top);
    const TColor c1 = InterpolateColor(from, to, 0, extent, horz ? Area.Right : Area.Bottom);
    C.Canvas->Brush().SetColor(c1);
    C.Canvas->Pen().SetColor(c1);
    dropdowns::DrawGradient(*C.Canvas, c0, c1, 128, Area, horz);
}

// ---------------------------------------------------------------- around the cells

std::vector<TExStringGrid::TNCBorderLine> TExStringGrid::NCBorderLines() const {
    std::vector<TNCBorderLine> lines;
    const bool look = FLook == glSoft || (FLook >= glVEZ && FLook <= glOffice2007);
    if (!look || BorderStyle() == plat::bsNone || FBorderColor == clNone || FFlat) return lines;
    const int W = width(), H = height();
    if (FFitCellsInGrid) {
        lines.push_back({FBorderColor, {{1, H}, {1, 1}, {W - 2, 1}, {W - 2, H - 2}, {1, H - 2}}});
        if (parentWidget())
            lines.push_back({plat::FromQColor(parentWidget()->palette().color(parentWidget()->backgroundRole())),
                             {{0, H}, {0, 0}, {W - 1, 0}, {W - 1, H - 1}, {0, H - 1}}});
    } else if (FIsComCtl6) {
        lines.push_back({FBorderColor, {{0, H - 1}, {0, 0}, {W - 1, 0}, {W - 1, H - 1}, {0, H - 1}}});
    }
    return lines;
}

void TExStringGrid::PaintNCBorder() {
    if (FUpdateCount > 0) return;
    update();  // the frame is painted in the grid's own paint, after the style's frame
}

void TExStringGrid::paintFrame() {
    const std::vector<TNCBorderLine> lines = NCBorderLines();
    if (lines.empty()) return;
    plat::TCanvas cv(this);
    const int W = width(), H = height();
    // The frame here may be one pixel where the border expects two: the border's own line then
    // takes the outer pixel, and the line in the parent's colour outside it has no room.
    const bool thin = frameWidth() < 2;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (thin && i > 0) break;
        QList<QPoint> path = lines[i].Path;
        if (thin)
            for (QPoint& q : path) {
                if (q.x() == 1) q.setX(0);
                if (q.x() == W - 2) q.setX(W - 1);
                if (q.y() == 1) q.setY(0);
                if (q.y() == H - 2) q.setY(H - 1);
            }
        cv.Pen().SetColor(lines[i].Color);
        cv.Pen().SetWidth(1);
        cv.Polyline(path);
    }
}

void TExStringGrid::DrawColSizeLine(int X) {
    auto it = std::find(FColSizeLines.begin(), FColSizeLines.end(), X);
    if (it != FColSizeLines.end())
        FColSizeLines.erase(it);
    else
        FColSizeLines.push_back(X);
    viewport()->update(X - 1, 0, 3, viewport()->height());
}

void TExStringGrid::DrawRowSizeLine(int Y) {
    auto it = std::find(FRowSizeLines.begin(), FRowSizeLines.end(), Y);
    if (it != FRowSizeLines.end())
        FRowSizeLines.erase(it);
    else
        FRowSizeLines.push_back(Y);
    viewport()->update(0, Y - 1, viewport()->width(), 3);
}

void TExStringGrid::paintSizeLine(plat::TCanvas& Canvas, bool Vertical, int Pos) {
    const plat::TPen kept = Canvas.Pen();
    Canvas.Pen().SetColor(plat::clBlack);
    Canvas.Pen().SetStyle(plat::psDot);
    Canvas.Pen().SetWidth(1);
    if (Vertical) {
        const TRect last = CellRect(ColCount() - 1, RowCount() - 1);
        line(Canvas, Pos, 0, Pos, std::max(height(), last.Bottom));
    } else {
        const TRect last = CellRect(ColCount() - 1, RowCount() - 1);
        line(Canvas, 0, Pos, std::max(width(), last.Right), Pos);
    }
    Canvas.Pen().Assign(kept);
}

bool TExStringGrid::PaintBackgroundOutsideCells() {
    const TBackGround& bg = *FBackGround;
    const int lw = BaseGridLineWidth();
    // The ends of the last column and row, when they are on screen.
    const int lastCol = ColCount() - 1, lastRow = RowCount() - 1;
    const TRect colRect = lastCol >= 0 && RowCount() > 0 ? CellRect(lastCol, std::min(TopRow(), lastRow)) : TRect{};
    const TRect rowRect = lastRow >= 0 && ColCount() > 0 ? CellRect(std::min(LeftCol(), lastCol), lastRow) : TRect{};
    const bool colVisible = !colRect.IsEmpty(), rowVisible = !rowRect.IsEmpty();
    if (!colVisible && !rowVisible) return false;
    const bool gradient = bg.Display() == bdGradientHorz || bg.Display() == bdGradientVert;
    if (gradient && bg.ColorTo() == clNone) return false;
    const int cw = ClientWidth();
    int ch = ClientHeight();
    if (FSearchFooter->Visible()) ch -= 32;
    if (FFloatingFooter->Visible() && FFooterPanel) ch -= FFooterPanel->height();
    QRegion region;
    if (colVisible && colRect.Right + lw < cw) region += QRect(colRect.Right + lw, 0, cw - colRect.Right - lw, ch);
    if (rowVisible && rowRect.Bottom + lw < ch) region += QRect(0, rowRect.Bottom + lw, cw, ch - rowRect.Bottom - lw);
    if (region.isEmpty()) return false;
    plat::TCanvas& cv = Canvas();
    // Drawn into a picture of the client area, then only the uncovered areas are copied over.
    QImage picture(cw, ch, QImage::Format_RGB32);
    picture.fill(plat::ToQColor(Color()));
    {
        plat::TCanvas pc(&picture);
        const TRect client{0, 0, cw, ch};
        if (bg.Bitmap().Empty()) {
            if (gradient)
                dropdowns::DrawGradient(pc, bg.Color(), bg.ColorTo(), 128, client, bg.Display() == bdGradientHorz);
        } else if (bg.Display() != bdTile) {
            pc.Draw(bg.Left(), bg.Top(), bg.Bitmap());
        } else if (bg.Cells() != bcFixed) {
            int x0 = 0, y0 = 0;
            if (bg.Cells() == bcNormal) {
                x0 = FixedColsWidth();
                y0 = FixedRowsHeight();
            }
            x0 += FXYOffset.x();
            y0 += FXYOffset.y();
            for (int y = y0; y < ch; y += bg.Bitmap().Height())
                for (int x = x0; x < cw; x += bg.Bitmap().Width()) pc.Draw(x, y, bg.Bitmap());
        }
    }
    QPainter* p = cv.Painter();
    if (!p) return false;
    for (const QRect& r : region) p->drawImage(r, picture, r);
    return true;
}

// ---------------------------------------------------------------- balloons

bool TExStringGrid::GetBalloonText(QPoint ClientPt, QString& Title, QString& Text, int& Icon) {
    Icon = 1;
    Title = QStringLiteral(" ");
    Text.clear();
    if (!FBalloon->Enable()) return false;
    plat::TGridCoord cell = MouseCoord(ClientPt.x(), ClientPt.y());
    QString raw;
    if (cell.X >= 0 && cell.Y >= 0) {
        cell = BaseCell(cell.X, cell.Y);
        const int real = RealColIndex(cell.X);
        raw = GetCellEx(real, cell.Y);
        const int kind = ClassifyCellText(raw, FEnableHTML);
        if (kind == 1) raw = StripHTMLTags(raw);
        Text = BalloonDisplayText(raw);
        QString t, x;
        int icon = Icon;
        if (IsBalloon(real, cell.Y, t, x, icon)) {
            Title = t;
            Text = x;
            Icon = icon;
        }
        if (OnCellBalloon) OnCellBalloon(this, real, cell.Y, Title, Text, Icon);
        FLastBalloonPos = QPoint(cell.X, cell.Y);
    }
    Text = Text.left(kToolTipMax);
    Title = BalloonDisplayTitle(Title);
    return true;
}

// ---------------------------------------------------------------- focus window

void TExStringGrid::ShowFocusWindow(const TRect& R) {
    if (!FFocusWindow) return;
    SetFocusWindowGrid(this);
    TGridFocusWindow* w = FFocusWindow.get();
    w->hide();
    const QSize size(R.Width() + 9, R.Height() + 9);
    w->setAttribute(Qt::WA_TranslucentBackground);
    w->resize(size);
    plat::TBitmap mask;
    BuildRoundRectMask(mask, size.width(), size.height(), 4, 5, 3);
    plat::TBitmap fill(size.width(), size.height(), plat::pf24bit);
    FillRectColor(fill.Canvas(), {0, 0, size.width(), size.height()}, 0xFDD397);
    fill.Canvas().Release();
    TGridAlphaMask alpha;
    alpha.SetOpacity(230);
    alpha.MergeMask(mask, fill, 0xFDD397);
    TBlendFunction blend;
    blend.SourceConstantAlpha = alpha.Opacity();
    blend.AlphaFormat = 1;
    const QImage picture = alpha.Image();
    const QPoint origin(0, 0);
    CallUpdateLayeredWindow(w, nullptr, nullptr, &size, &picture, &origin, 0, &blend, ULW_ALPHA);
    // Only a four-pixel frame around the cell shows.
    w->setMask(QRegion(0, 0, size.width(), size.height()) - QRegion(4, 4, R.Width(), R.Height()));
    MoveFocusWindow();
    w->show();
}

void TExStringGrid::ShowFocusWindow() { ShowFocusWindow(CellRect(Col(), Row())); }

// ---------------------------------------------------------------- design helper

int TExStringGrid::chooseLookByMenu() {
    static constexpr struct {
        const char* name;
        TGridLook look;
    } items[] = {{"Standard", glStandard}, {"Soft", glSoft},           {"Classic", glClassic},
                 {"VEZ", glVEZ},           {"ListView", glListView},   {"Office 2007", glOffice2007},
                 {"Windows XP", glXP},     {"Windows Vista", glVista}, {"Windows 7", glWin7}};
    plat::TPopupMenu menu(this);
    for (const auto& i : items) menu.Add(QLatin1String(i.name), int(i.look) + 1);
    for (QAction* a : menu.Menu().actions())
        if (a->data().toInt() == int(FLook) + 1) {
            a->setCheckable(true);
            a->setChecked(true);
        }
    return menu.Popup(QCursor::pos());
}

int TExStringGrid::designLineHeight() {
    plat::TFont f;
    f.SetName(QStringLiteral("Tahoma"));
    f.SetSize(8);
    return QFontMetrics(f.ToQFont()).height();
}

TRect TExStringGrid::designHelperRect() {
    const int h = designLineHeight();
    const int cw = ClientWidth(), ch = ClientHeight();
    return {cw - 150, ch - (4 * h + 18), cw, ch};
}

void TExStringGrid::PaintDesignHelper() {
    if (!IsDesignTime() || !FShowDesignHelper) return;
    plat::TCanvas& cv = Canvas();
    const int h = designLineHeight();
    const TRect r = designHelperRect();
    cv.Brush().SetColor(plat::clInfoBk);
    cv.Pen().SetColor(0x808080);
    cv.Rectangle(r);
    plat::TFont f;
    f.SetName(QStringLiteral("Tahoma"));
    f.SetSize(8);
    f.SetColor(0x800000);
    auto item = [&](int id, int x, int y, const QString& s) {
        plat::TFont g = f;
        if (FLastDesignChoice == id) g.SetStyle({plat::fsUnderline});
        cv.Font().Assign(g);
        cv.Brush().SetStyle(plat::bsClear);
        cv.TextOut(x, y, s);
    };
    item(0, r.Left + 4, r.Top + 4, QStringLiteral("Quick config [v") + GetVersionString() + QStringLiteral("]"));
    plat::TBitmap close;
    if (close.LoadFromResourceName(QStringLiteral("SGCLOSE"))) {
        close.SetTransparent(true);
        cv.Draw(r.Right - 16, r.Top + 2, close);
    }
    DrawCheck(cv, {r.Left + 4, r.Top + h + 4, r.Left + 20, r.Top + h + 20}, Options().contains(plat::goEditing), 0,
              false, csWinXP, false, true);
    item(1, r.Left + 22, r.Top + h + 6, QStringLiteral("Allow edit"));
    DrawCheck(cv, {r.Left + 4, r.Top + 2 * h + 6, r.Left + 20, r.Top + 2 * h + 22}, FShowColNrs, 0, false, csWinXP,
              false, true);
    item(2, r.Left + 22, r.Top + 2 * h + 8, QStringLiteral("Column numbers"));
    item(3, r.Left + 4, r.Top + 3 * h + 10, QStringLiteral("Set look: ") + LookDisplayName(FLook));
    cv.Brush().SetStyle(plat::bsSolid);
}

int TExStringGrid::DesignHelperHitTest(int X, int Y) {
    if (!IsDesignTime() || !FShowDesignHelper) return -1;
    const int L = designLineHeight() + 2, P = 4 * L + 10;
    const int CR = ClientWidth(), CB = ClientHeight();
    plat::TFont f;
    f.SetName(QStringLiteral("Tahoma"));
    f.SetSize(8);
    const QFontMetrics fm(f.ToQFont());
    int hit = -1;
    if (X > CR - 16 && Y > CB - P && Y < CB - P + 16) hit = 4;
    const bool inLeft = X > CR - 150;
    if (inLeft && X < CR - 150 + 18 + fm.horizontalAdvance(QStringLiteral("Allow edit")) && Y > CB - P + L + 4 &&
        Y < CB - P + 2 * L + 4)
        hit = 1;
    if (inLeft && X < CR - 150 + 18 + fm.horizontalAdvance(QStringLiteral("Column numbers")) &&
        Y > CB - P + 2 * L + 4 && Y < CB - P + 3 * L + 4)
        hit = 2;
    if (inLeft && X < CR - 150 + fm.horizontalAdvance(QStringLiteral("Set look: ") + LookDisplayName(FLook)) &&
        Y > CB - P + 3 * L + 4 && Y < CB - P + 4 * L + 4)
        hit = 3;
    return hit;
}

bool TExStringGrid::DesignHitTest(int X, int Y) {
    if (!IsDesignTime() || !FShowDesignHelper) return false;
    const int hit = DesignHelperHitTest(X, Y);
    if (hit != FLastDesignChoice) {
        viewport()->update(ClientWidth() - 150, ClientHeight() - 70, 150, 70);
        FLastDesignChoice = hit;
    }
    return hit >= 1 && hit <= 4;
}

void TExStringGrid::DesignHelperClick(int X, int Y) {
    const int hit = DesignHelperHitTest(X, Y);
    switch (hit) {
    case 1: {
        plat::TGridOptions o = Options();
        if (o.contains(plat::goEditing))
            o.exclude(plat::goEditing);
        else
            o.include(plat::goEditing);
        SetOptions(o);
        break;
    }
    case 2:
        FShowColNrs = !FShowColNrs;
        InvalidateGrid();
        break;
    case 3: {
        const int command = FDesignLookChooser ? FDesignLookChooser(FLook) : chooseLookByMenu();
        if (command >= 1 && command <= int(glOffice2007) + 1) SetLook(TGridLook(command - 1));
        break;
    }
    case 4: FShowDesignHelper = false; break;
    default: return;
    }
    if (hit >= 1 && hit <= 3) {
        if (QWidget* form = FindOwnerForm(this)) {
            form->resize(form->width() - 1, form->height());
            form->resize(form->width() + 1, form->height());
        }
    }
    viewport()->update();
}
