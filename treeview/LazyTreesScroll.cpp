// Scrolling of the tree control: offsets, ranges, the scroll bars, the wheel, bringing nodes into
// view, node rectangles and the automatic scrolling near the edges.
#include <QApplication>
#include <QCursor>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/Guard.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using plat::TRect;

namespace {

// Sets a flag for a scope and clears it again, also when an exception passes.
struct FlagScope {
    explicit FlagScope(bool& flag) : flag_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = false; }
    bool& flag_;
};

bool Has(TLTPaintOptions o, TLTPaintOption v) {
    return o.Contains(v);
}

}  // namespace

// ---- Scroll bar options ----

void TScrollBarOptions::SetAlwaysVisible(bool Value) {
    if (Value == FAlwaysVisible) return;
    FAlwaysVisible = Value;
    if (FOwner) FOwner->CreateWnd();
}

void TScrollBarOptions::SetScrollBars(TLTScrollBars Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (FOwner) FOwner->CreateWnd();
}

void TScrollBarOptions::Assign(const TScrollBarOptions& Source) {
    SetAlwaysVisible(Source.FAlwaysVisible);
    SetScrollBars(Source.FScrollBars);
    SetScrollBarStyle(Source.FScrollBarStyle);
    SetHorizontalIncrement(Source.FIncrementX);
    SetVerticalIncrement(Source.FIncrementY);
}

// ---- Ranges ----

void TBaseLazyTree::UpdateVerticalRange() {
    FRangeY = RangeY();
}

void TBaseLazyTree::UpdateHorizontalRange() {
    // With columns the range is their total width; without, it follows the rows in view, and a
    // hidden window has none in view and measures when it is shown.
    if (FHeader->UseColumns())
        FRangeX = FHeader->Columns().TotalWidth();
    else if (isVisible())
        FRangeX = WidestRowRight();
}

void TBaseLazyTree::UpdateRanges() {
    UpdateVerticalRange();
    UpdateHorizontalRange();
}

int64_t TBaseLazyTree::WidestRowRight() {
    PLazyNode node = TopNode();
    if (!node) return FMargin;
    const auto paint = TreeOptions().PaintOptions();
    const bool checks = TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FCheckImages;
    int64_t level = GetNodeLevel(node);
    int64_t indent = (Has(paint, TLTPaintOption::toShowRoot) ? level + 1 : level) * int64_t(FIndent);
    if (FStateImages) indent += FStateImages->Width() + 2;
    if (FImages) indent += FImages->Width() + 2;
    int64_t widest = 0;
    int nodeTop = 0;
    GetNodeAt(0, 0, true, nodeTop);
    int64_t bottom = nodeTop;
    const int64_t limit = height();
    while (node) {
        if (!node->States.Contains(vsInitialized)) InitNode(node);
        int64_t extra = 0;
        if (checks && node->CheckType != TCheckType::ctNone) extra = FCheckImages->Width() + 2;
        const int64_t right = indent + extra + DoGetNodeWidth(node, NoColumn) + DoGetNodeExtraWidth(node, NoColumn);
        widest = std::max(widest, right);
        bottom += NodeHeight(node);
        if (bottom > limit) break;
        PLazyNode next = GetNextVisible(node, true);
        if (next) indent += (int64_t(GetNodeLevel(next)) - int64_t(GetNodeLevel(node))) * int64_t(FIndent);
        node = next;
    }
    return widest + FMargin;
}

// ---- Scroll bars ----

void TBaseLazyTree::DoShowScrollBar(TScrollBarKind Bar, bool Show) {
    const Qt::ScrollBarPolicy policy = Show ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (Bar == TScrollBarKind::sbVertical) {
        if (verticalScrollBarPolicy() != policy) setVerticalScrollBarPolicy(policy);
    } else if (horizontalScrollBarPolicy() != policy) {
        setHorizontalScrollBarPolicy(policy);
    }
    if (OnShowScrollBar) OnShowScrollBar(this, Bar, Show);
}

// Qt's maximum is the range less the page; ranges beyond an int are scaled down.
void TBaseLazyTree::ApplyBar(QScrollBar* Bar, bool Vertical, bool Show, bool Enabled, int64_t Range, int Page,
                             int64_t Position) {
    const int64_t maximum = std::max<int64_t>(Range - Page, 0);
    int64_t& scale = Vertical ? FScrollScaleY : FScrollScaleX;
    scale = maximum > INT_MAX / 2 ? maximum / (INT_MAX / 2) + 1 : 1;
    FlagScope settingBars(FSettingBars);
    Bar->setRange(0, int(maximum / scale));
    Bar->setPageStep(std::max(int(std::min<int64_t>(Page / scale, INT_MAX)), 1));
    Bar->setSingleStep(std::max(int((Vertical ? FScrollBarOptions.VerticalIncrement()
                                              : FScrollBarOptions.HorizontalIncrement()) /
                                    scale),
                                1));
    Bar->setValue(int(std::clamp<int64_t>(Position, 0, maximum) / scale));
    Bar->setEnabled(Enabled);
    DoShowScrollBar(Vertical ? TScrollBarKind::sbVertical : TScrollBarKind::sbHorizontal, Show);
}

void TBaseLazyTree::UpdateScrollBars(bool DoRepaint) {
    if (!HasWindow()) return;
    UpdateVerticalScrollBar(DoRepaint);
    UpdateHorizontalScrollBar(DoRepaint);
}

void TBaseLazyTree::UpdateVerticalScrollBar(bool DoRepaint) {
    UpdateVerticalRange();
    if (FStates.Contains(tsUpdating) || !HasWindow()) return;
    QScrollBar* bar = verticalScrollBar();
    const auto bars = FScrollBarOptions.ScrollBars();
    const int client = viewport()->height();
    if (bars == TLTScrollBars::ssNone || bars == TLTScrollBars::ssHorizontal) {
        ApplyBar(bar, true, false, false, 0, 0, 0);
        DoSetOffsetXY(FOffsetX, FOffsetY, DefaultScrollUpdateFlags);
        return;
    }
    const bool scrolls = client < FRangeY;
    if (scrolls || FScrollBarOptions.AlwaysVisible())
        ApplyBar(bar, true, true, scrolls, scrolls ? FRangeY : 0, client, -FOffsetY);
    else
        ApplyBar(bar, true, false, false, 0, 0, 0);
    if (DoRepaint) bar->update();
    // The position the bar kept after clamping is the offset.
    DoSetOffsetXY(FOffsetX, -int64_t(bar->value()) * FScrollScaleY, DefaultScrollUpdateFlags);
}

void TBaseLazyTree::UpdateHorizontalScrollBar(bool DoRepaint) {
    UpdateHorizontalRange();
    if (FStates.Contains(tsUpdating) || !HasWindow()) return;
    const bool rtl = UseRightToLeftReading();
    const int client = viewport()->width();
    FEffectiveOffsetX = rtl ? FRangeX + FOffsetX - client : -FOffsetX;
    QScrollBar* bar = horizontalScrollBar();
    const auto bars = FScrollBarOptions.ScrollBars();
    if (bars == TLTScrollBars::ssHorizontal || bars == TLTScrollBars::ssBoth) {
        const bool scrolls = client < FRangeX;
        if (scrolls || FScrollBarOptions.AlwaysVisible())
            ApplyBar(bar, false, true, scrolls, scrolls ? FRangeX : 0, client, FEffectiveOffsetX);
        else
            ApplyBar(bar, false, false, false, 0, 0, 0);
        if (DoRepaint) bar->update();
        FEffectiveOffsetX = int64_t(bar->value()) * FScrollScaleX;
        const int64_t x = rtl ? client + FEffectiveOffsetX - FRangeX : -FEffectiveOffsetX;
        DoSetOffsetXY(x, FOffsetY, DefaultScrollUpdateFlags);
    } else {
        ApplyBar(bar, false, false, false, 0, 0, 0);
        DoSetOffsetXY(FOffsetX, FOffsetY, DefaultScrollUpdateFlags);
    }
}

// ---- Offsets ----

bool TBaseLazyTree::DoSetOffsetXY(int64_t X, int64_t Y, TScrollUpdateOptions Options, const QRect* ClipRect) {
    const int clientW = viewport()->width(), clientH = viewport()->height();
    X = std::min<int64_t>(std::max<int64_t>(X, clientW - FRangeX), 0);
    Y = std::min<int64_t>(std::max<int64_t>(Y, clientH - FRangeY), 0);
    const bool rtl = UseRightToLeftReading();
    int64_t deltaX = X - FOffsetX;
    if (rtl) deltaX = -deltaX;
    const int64_t deltaY = Y - FOffsetY;
    if (deltaX == 0 && deltaY == 0) return false;
    FOffsetX = X;
    FOffsetY = Y;
    FEffectiveOffsetX = rtl ? std::max<int64_t>(FRangeX + FOffsetX - clientW, 0) : -FOffsetX;
    CancelHint();
    if (FUpdateCount == 0 && HasWindow()) {
        if (Options.Contains(TScrollUpdateOption::suoScrollClientArea) && !FStates.Contains(tsToggling)) {
            const bool background = TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowBackground) &&
                                    !FBackground.isNull();
            // A move of a screen or more is a repaint; the viewport moves its children along. Fixed
            // columns stay put while the rest moves sideways, so such a move repaints as well.
            const bool fixedColumns = deltaX != 0 && FHeader->UseColumns() &&
                                      FHeader->Columns().GetVisibleFixedWidth() > 0;
            if (background || fixedColumns || std::abs(deltaX) >= clientW || std::abs(deltaY) >= clientH) {
                viewport()->update();
            } else {
                const int dx = int(UseRightToLeftReading() ? -deltaX : deltaX);
                if (ClipRect)
                    viewport()->scroll(dx, int(deltaY), *ClipRect);
                else
                    viewport()->scroll(dx, int(deltaY));
            }
        }
        // The header scrolls with the columns.
        if (deltaX != 0 && Options.Contains(TScrollUpdateOption::suoRepaintHeader)) InvalidateHeader();
        if (Options.Contains(TScrollUpdateOption::suoUpdateNCArea)) {
            if (deltaX != 0 && !FStates.Contains(tsSizing)) UpdateHorizontalScrollBar(
                Options.Contains(TScrollUpdateOption::suoRepaintScrollBars));
            if (deltaY != 0 && !FStates.Contains(tsSizing) && !FStates.Contains(tsThumbTracking)) {
                UpdateVerticalScrollBar(Options.Contains(TScrollUpdateOption::suoRepaintScrollBars));
                if (!FStates.Contains(tsDrawSelecting)) UpdateHorizontalScrollBar(
                    Options.Contains(TScrollUpdateOption::suoRepaintScrollBars));
            }
        }
    }
    DoScroll(int(deltaX), int(deltaY));
    return true;
}

void TBaseLazyTree::DoScroll(int DeltaX, int DeltaY) {
    if (OnScroll) OnScroll(this, DeltaX, DeltaY);
}

// The bar moved (a click, a drag, a key on the bar): the table of scroll actions decides the offset.
void TBaseLazyTree::ScrollBarAction(QScrollBar* Bar, bool Vertical, int Action) {
    const int s = !Vertical && UseRightToLeftReading() ? -1 : 1;
    const int client = Vertical ? viewport()->height() : viewport()->width();
    const int inc = Vertical ? FScrollBarOptions.VerticalIncrement() : FScrollBarOptions.HorizontalIncrement();
    const int64_t offset = Vertical ? FOffsetY : FOffsetX;
    int64_t target = offset;
    switch (QAbstractSlider::SliderAction(Action)) {
        case QAbstractSlider::SliderSingleStepSub: target = offset + s * inc; break;
        case QAbstractSlider::SliderSingleStepAdd: target = offset - s * inc; break;
        case QAbstractSlider::SliderPageStepSub: target = offset + s * client; break;
        case QAbstractSlider::SliderPageStepAdd: target = offset - s * client; break;
        case QAbstractSlider::SliderToMinimum: target = 0; break;
        case QAbstractSlider::SliderToMaximum:
            target = Vertical ? -int64_t(FRoot->TotalHeight) : -FRangeX;
            break;
        case QAbstractSlider::SliderMove: {
            DoStateChange({tsThumbTracking});
            const int64_t pos = int64_t(Bar->sliderPosition()) * (Vertical ? FScrollScaleY : FScrollScaleX);
            target = Vertical || !UseRightToLeftReading() ? -pos : client + pos - FRangeX;
            break;
        }
        default: return;
    }
    if (Vertical)
        SetOffsetY(target);
    else
        SetOffsetX(target);
    // The bar follows the offset the tree took.
    FlagScope settingBars(FSettingBars);
    Bar->setSliderPosition(int((Vertical ? -FOffsetY : FEffectiveOffsetX) / (Vertical ? FScrollScaleY : FScrollScaleX)));
}

void TBaseLazyTree::scrollContentsBy(int, int) {
    if (FSettingBars) return;
    // A value set from outside (a test, the accessibility layer): follow it.
    plat::guarded([&] {
        const int64_t y = -int64_t(verticalScrollBar()->value()) * FScrollScaleY;
        const int64_t ex = int64_t(horizontalScrollBar()->value()) * FScrollScaleX;
        const int64_t x = UseRightToLeftReading() ? viewport()->width() + ex - FRangeX : -ex;
        DoSetOffsetXY(x, y, DefaultScrollUpdateFlags);
    });
}

// ---- Wheel ----

void TBaseLazyTree::wheelEvent(QWheelEvent* event) {
    plat::guarded([&] {
        StopWheelPanning();
        const QPoint delta = event->angleDelta();
        const int wheelDelta = delta.y() != 0 ? delta.y() : delta.x();
        if (wheelDelta == 0) return;
        event->accept();
        const double factor = wheelDelta / 120.0;
        const int lines = QApplication::wheelScrollLines();
        const bool ctrl = event->modifiers().testFlag(Qt::ControlModifier);
        const bool shift = event->modifiers().testFlag(Qt::ShiftModifier);
        const int clientH = viewport()->height(), clientW = viewport()->width();
        if (clientH < FRangeY && !shift) {
            const double distance = ctrl ? clientH * factor : lines * factor * double(FDefaultNodeHeight);
            SetOffsetY(FOffsetY + int64_t(std::trunc(distance)));
        } else {
            // Without columns the header's scroll width is the line increment.
            const double distance = ctrl ? clientW * factor : FScrollBarOptions.HorizontalIncrement() * lines * factor;
            int64_t d = int64_t(std::trunc(distance));
            if (UseRightToLeftReading()) d = -d;
            SetOffsetX(FOffsetX + d);
        }
    });
}

// ---- Bringing into view ----

bool TBaseLazyTree::ScrollIntoView(PLazyNode Node, bool Center, bool Horizontally) {
    if (!Node || Node == FRoot || !HasWindow()) return false;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent)
        if (!p->States.Contains(vsExpanded)) ToggleNode(p);
    const bool textOnly = !TreeOptions().MiscOptions().Contains(TLTMiscOption::toGridExtensions);
    TRect r = GetDisplayRect(Node, NoColumn, textOnly);
    const int clientH = viewport()->height();
    bool result = false;
    if (r.Top < 0) {
        SetOffsetY(FOffsetY - r.Top + (Center ? clientH / 2 : 0));
        result = true;
    } else if (r.Bottom > clientH || Center) {
        const auto bars = FScrollBarOptions.ScrollBars();
        const bool horzBar = (bars == TLTScrollBars::ssHorizontal || bars == TLTScrollBars::ssBoth) &&
                             (FScrollBarOptions.AlwaysVisible() || viewport()->width() < FRangeX);
        SetOffsetY(FOffsetY + (Center ? clientH / 2 : clientH) - r.Bottom);
        if (!horzBar && viewport()->width() < FRangeX)
            SetOffsetY(FOffsetY - style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this));
        result = true;
    }
    if (Horizontally) result = ScrollIntoView(FFocusedColumn, Center) || result;
    return result;
}

bool TBaseLazyTree::ScrollIntoView(TColumnIndex Column, bool Center) {
    TLazyTreeColumns& columns = FHeader->Columns();
    if (!FHeader->UseColumns() || !columns.IsValidColumn(Column)) return false;
    const TLazyTreeColumn& c = columns[Column];
    const int clientW = viewport()->width();
    const int fixedWidth = columns.GetVisibleFixedWidth();
    // Fixed columns keep their place; the others move with the offset.
    const int64_t left = c.Left();
    const int64_t effective = FEffectiveOffsetX;
    int64_t target = effective;
    if (Center) {
        target = left + effective + c.Width() / 2 - fixedWidth / 2 - clientW / 2;
    } else {
        if (c.Options().Contains(TLTColumnOption::coFixed)) return true;
        if (left + c.Width() > clientW)
            target = left + c.Width() + effective - clientW;
        else if (left < fixedWidth)
            target = effective + left - fixedWidth;
    }
    if (target != effective) {
        const int64_t x = UseRightToLeftReading() ? clientW + target - FRangeX : -target;
        SetOffsetX(x);
    }
    return true;
}

TRect TBaseLazyTree::GetDisplayRect(PLazyNode Node, TColumnIndex Column, bool TextOnly, bool Unclipped,
                                    bool ApplyCellContentMargin) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    lazytree::Assert(Node != FRoot, "Node must not be the hidden root node.");
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    TRect r{};
    if (!IsEffectivelyVisible(Node)) return r;
    const auto paint = TreeOptions().PaintOptions();
    int64_t indent = 0;
    if (!Has(paint, TLTPaintOption::toFixedIndent)) {
        for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent) {
            if (!IsEffectivelyVisible(p) || !p->States.Contains(vsExpanded)) return r;
            indent += FIndent;
        }
    } else if (!FullyVisible(Node)) {
        return r;
    }
    // The top is the sum of the rows above, walked from the nearest cache entry.
    uint32_t top = 0;
    PLazyNode start = FStates.Contains(tsUseCache) ? FindInPositionCache(Node, top) : nullptr;
    if (!start) {
        top = 0;
        start = GetFirstVisibleNoInit(nullptr, true, false);
    }
    for (PLazyNode n = start; n && n != Node; n = GetNextVisibleNoInit(n, true)) top += NodeHeight(n);
    const int clientW = viewport()->width();
    const int64_t y = int64_t(top) + FOffsetY;
    r = TRect{0, int(y), int(std::max<int64_t>(clientW, FRangeX)), int(y + NodeHeight(Node))};
    // A real column gives the cell's bounds (already scrolled); the whole row scrolls otherwise.
    const bool inColumn = FHeader->UseColumns() && FHeader->Columns().IsValidColumn(Column);
    const bool isMain = !inColumn || Column == MainColumn();
    if (inColumn) {
        int left = 0, right = 0;
        FHeader->Columns().GetColumnBounds(Column, left, right);
        r.Left = left;
        r.Right = right - 1;
    } else {
        r.Left -= int(FEffectiveOffsetX);
        r.Right -= int(FEffectiveOffsetX);
    }
    if (!TextOnly) return r;
    int64_t offset = FMargin + (isMain ? indent : 0);
    if (isMain && Has(paint, TLTPaintOption::toShowRoot)) offset += FIndent;
    if (isMain && TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FCheckImages &&
        Node->CheckType != TCheckType::ctNone)
        offset += FCheckImages->Width() + 2;
    bool ghosted = false;
    int index = -1;
    if (FStateImages) {
        const plat::TImageList* list = DoGetImageIndex(Node, TLTImageKind::ikState, Column, ghosted, index);
        if (index >= 0) offset += (list ? list : FStateImages)->Width() + 2;
    }
    if (FImages) {
        index = -1;
        const plat::TImageList* list =
            DoGetImageIndex(Node, Selected(Node) ? TLTImageKind::ikSelected : TLTImageKind::ikNormal, Column,
                            ghosted, index);
        if (index >= 0) offset += (list ? list : FImages)->Width() + 2;
    }
    TAlignment alignment = inColumn ? FHeader->Columns()[Column].Alignment() : FAlignment;
    const bool rightToLeft =
        inColumn ? FHeader->Columns()[Column].UseRightToLeftReading() : UseRightToLeftReading();
    if (rightToLeft) {
        r.Right -= int(offset);
        if (alignment == TAlignment::taLeftJustify)
            alignment = TAlignment::taRightJustify;
        else if (alignment == TAlignment::taRightJustify)
            alignment = TAlignment::taLeftJustify;
    } else {
        r.Left += int(offset);
    }
    const int textWidth = DoGetNodeWidth(Node, Column);
    if (ApplyCellContentMargin && OnBeforeCellPaint) {
        TRect content = r;
        DoBeforeCellPaint(&Canvas(), Node, Column, TLTCellPaintMode::cpmGetContentMargin, r, content);
        r = content;
    }
    if (Unclipped) {
        if (textWidth > r.Width() - 1)
            alignment = rightToLeft ? TAlignment::taRightJustify : TAlignment::taLeftJustify;
        const int textHeight = std::min<int>(Canvas().TextHeight(QStringLiteral("Tg")), NodeHeight(Node));
        if (r.Height() < textHeight) {
            const int grow = (textHeight - r.Height() + 1) / 2;
            r.Top -= grow;
            r.Bottom += grow;
        }
        switch (alignment) {
            case TAlignment::taLeftJustify: r.Right = r.Left + textWidth - 1; break;
            case TAlignment::taRightJustify: r.Left = r.Right - textWidth; break;
            case TAlignment::taCenter:
                r.Left = (r.Left + r.Right - textWidth) / 2;
                r.Right = r.Left + textWidth;
                break;
        }
    } else if (textWidth < r.Width()) {
        switch (alignment) {
            case TAlignment::taLeftJustify: r.Right = r.Left + textWidth; break;
            case TAlignment::taRightJustify: r.Left = r.Right - textWidth; break;
            case TAlignment::taCenter:
                r.Left = (r.Left + r.Right - textWidth) / 2;
                r.Right = r.Left + textWidth;
                break;
        }
    }
    return r;
}

PLazyNode TBaseLazyTree::TopNode() {
    int top = 0;
    return GetNodeAt(0, 0, true, top);
}

void TBaseLazyTree::SetTopNode(PLazyNode Node) {
    if (!Node || Node == FRoot) return;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent)
        if (!p->States.Contains(vsExpanded)) ToggleNode(p);
    const TRect r = GetDisplayRect(Node, NoColumn, false);
    SetOffsetY(FOffsetY - r.Top);
}

PLazyNode TBaseLazyTree::BottomNode() {
    int top = 0;
    return GetNodeAt(0, viewport()->height() - 1, true, top);
}

void TBaseLazyTree::SetBottomNode(PLazyNode Node) {
    if (!Node || Node == FRoot) return;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent)
        if (!p->States.Contains(vsExpanded)) ToggleNode(p);
    const TRect r = GetDisplayRect(Node, NoColumn, false);
    // Only the offset and the bars move; the repaint follows.
    DoSetOffsetXY(FOffsetX, FOffsetY + viewport()->height() - r.Top - NodeHeight(Node),
                  {TScrollUpdateOption::suoRepaintScrollBars, TScrollUpdateOption::suoUpdateNCArea});
    viewport()->update();
}

// ---- After a toggle ----

void TBaseLazyTree::AdjustScrollAfterToggle(PLazyNode Node, int64_t HeightDelta, bool Expanded) {
    const auto autoOptions = TreeOptions().AutoOptions();
    const bool childrenAbove = TreeOptions().PaintOptions().Contains(TLTPaintOption::toChildrenAbove);
    const bool autoScroll = autoOptions.Contains(TLTAutoOption::toAutoScrollOnExpand);
    const int clientH = viewport()->height();
    bool scrolled = false;
    if (Expanded && childrenAbove) {
        const TRect r = GetDisplayRect(Node, NoColumn, false);
        const bool fits = int64_t(Node->TotalHeight) <= clientH;
        const bool inside = r.Bottom > 0 && r.Top < clientH;
        const bool canScroll = FRangeY > clientH;
        if (!autoScroll || (fits && canScroll && r.Top >= HeightDelta && inside)) {
            scrolled = DoSetOffsetXY(FOffsetX, FOffsetY - HeightDelta, DefaultScrollUpdateFlags);
        } else if (fits && inside) {
            SetTopNode(GetFirstVisible(Node, true));
            scrolled = true;
        } else {
            SetBottomNode(Node);
            scrolled = true;
        }
    } else if (Expanded && autoScroll) {
        if (int64_t(Node->TotalHeight) <= clientH) {
            scrolled = ScrollIntoView(GetLastVisible(Node, true), false, false);
        } else {
            SetTopNode(Node);
            scrolled = true;
        }
    } else if (childrenAbove) {
        scrolled = DoSetOffsetXY(FOffsetX, FOffsetY + (Expanded ? -HeightDelta : HeightDelta), DefaultScrollUpdateFlags);
    }
    if (scrolled)
        viewport()->update();
    else
        InvalidateToBottom(Node);
}

// ---- Automatic scrolling ----

QPoint TBaseLazyTree::CursorPos() const {
    if (CursorPosSource) return CursorPosSource();
    return viewport()->mapFromGlobal(QCursor::pos());
}

bool TBaseLazyTree::AutoScrollAllowed() const {
    const bool panning = IsPanning();
    const bool allowed = panning || TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoScroll);
    const bool dropTarget = FDragManager && FDragManager->IsDropTargetNow();
    return allowed && (FStates.Contains(tsDrawSelPending) || FStates.Contains(tsDrawSelecting) || dropTarget ||
                       FStates.Contains(tsOLEDragging) || FStates.Contains(tsVCLDragging) || panning);
}

TScrollDirections TBaseLazyTree::DetermineScrollDirections(int X, int Y) {
    TScrollDirections result;
    if (!AutoScrollAllowed()) return result;
    if (IsPanning()) {
        if (X > FLastClickPos.x() + 8) result += TScrollDirection::sdRight;
        if (X < FLastClickPos.x() - 8) result += TScrollDirection::sdLeft;
        if (Y > FLastClickPos.y() + 8) result += TScrollDirection::sdDown;
        if (Y < FLastClickPos.y() - 8) result += TScrollDirection::sdUp;
        return result;
    }
    const int zone = int(FDefaultNodeHeight);
    const int clientW = viewport()->width(), clientH = viewport()->height();
    if (X < zone && FEffectiveOffsetX != 0) result += TScrollDirection::sdLeft;
    if (clientW + FEffectiveOffsetX < FRangeX && X > clientW - zone) result += TScrollDirection::sdRight;
    if (Y < zone && FOffsetY != 0) result += TScrollDirection::sdUp;
    if (clientH - FOffsetY < FRangeY && Y > clientH - zone) result += TScrollDirection::sdDown;
    if (result.Empty()) {
        FDragScrollStarted = false;
        return result;
    }
    // The delay runs from the first request in an edge zone.
    const int64_t now = FHost->NowMs();
    if (!FDragScrollStarted) {
        FDragScrollStarted = true;
        FDragScrollStart = now;
    }
    if (now - FDragScrollStart < int64_t(AutoScrollDelay)) return {};
    return result;
}

void TBaseLazyTree::DoAutoScroll(int X, int Y) {
    FScrollDirections = DetermineScrollDirections(X, Y);
    if (IsPanning()) return;
    const bool busy = FStates.Contains(tsScrolling) || FStates.Contains(tsScrollPending);
    if (!FScrollDirections.Empty()) {
        if (!busy) {
            DoStateChange({tsScrollPending});
            StartTimer(4, int(AutoScrollDelay));
        }
    } else if (busy) {
        StopTimer(4);
        DoStateChange({}, {tsScrolling, tsScrollPending});
    }
}

void TBaseLazyTree::TimerScrollStep() {
    const QPoint cursor = CursorPos();
    const QRect client = viewport()->rect();
    const bool inside = client.contains(cursor);
    const bool panning = IsPanning();
    const bool selecting = FStates.Contains(tsDrawSelecting);
    if (!selecting && !inside && !panning) return;
    int64_t dx = 0, dy = 0;
    const int incY = std::min<int>(FScrollBarOptions.VerticalIncrement(), client.height());
    const int incX = FScrollBarOptions.HorizontalIncrement();
    auto beyond = [](int v) { return std::max(v, 1); };
    if (FScrollDirections.Contains(TScrollDirection::sdUp)) {
        dy = panning ? FLastClickPos.y() - cursor.y() - 8 : inside ? incY : int64_t(incY) * beyond(-cursor.y());
        if (FOffsetY == 0) FScrollDirections -= TScrollDirection::sdUp;
    }
    if (FScrollDirections.Contains(TScrollDirection::sdDown)) {
        dy = panning ? FLastClickPos.y() - cursor.y() + 8
                     : -(inside ? incY : int64_t(incY) * beyond(cursor.y() - client.height()));
        if (client.height() - FOffsetY >= FRangeY) FScrollDirections -= TScrollDirection::sdDown;
    }
    if (FScrollDirections.Contains(TScrollDirection::sdLeft)) {
        dx = panning ? FLastClickPos.x() - cursor.x() - 8 : inside ? incX : int64_t(incX) * beyond(-cursor.x());
        if (FEffectiveOffsetX == 0) FScrollDirections -= TScrollDirection::sdLeft;
    }
    if (FScrollDirections.Contains(TScrollDirection::sdRight)) {
        dx = panning ? FLastClickPos.x() - cursor.x() + 8
                     : -(inside ? incX : int64_t(incX) * beyond(cursor.x() - client.width()));
        if (client.width() + FEffectiveOffsetX >= FRangeX) FScrollDirections -= TScrollDirection::sdRight;
    }
    if (UseRightToLeftReading()) dx = -dx;
    if (dx != 0 || dy != 0) {
        if (selecting) {
            const QRect clip = client.translated(int(dx), int(dy));
            DoSetOffsetXY(FOffsetX + dx, FOffsetY + dy, DefaultScrollUpdateFlags, &clip);
            viewport()->update();
        } else if (!FStates.Contains(tsOLEDragging) && !(FDragManager && FDragManager->IsDropTargetNow())) {
            DoSetOffsetXY(FOffsetX + dx, FOffsetY + dy, DefaultScrollUpdateFlags);
        }
    }
    if (FScrollDirections.Empty() && !panning) {
        StopTimer(4);
        DoStateChange({}, {tsScrolling, tsScrollPending});
    }
}
