// The header's input: hover and press feedback, clicks with click-to-sort and check boxes, column
// borders and the header's bottom border dragged, columns moved by drag and drop with the drag
// picture, double clicks that fit a column; and the bar above the viewport that shows the header.
#include <QApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <QWidget>
#include <cmath>

#include "platform/Guard.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesHeader.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;
using enum THeaderState;
using enum TLazyTreeState;

namespace {

constexpr int HeaderTimer = 3;
const THeaderStates TrackingStates{hsColumnWidthTracking, hsColumnWidthTrackPending, hsHeightTracking,
                                   hsHeightTrackPending};

}  // namespace

// The strip above the viewport the header is drawn in; its mouse input goes to the header in the
// tree's client coordinates (negative Y).
class TLTHeaderBar final : public QWidget {
public:
    explicit TLTHeaderBar(TBaseLazyTree* Tree) : QWidget(Tree), tree_(Tree) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::NoFocus);
    }

protected:
    QPoint ToClient(QPointF P) const { return QPoint(int(P.x()), int(P.y()) - height()); }
    void paintEvent(QPaintEvent* event) override {
        plat::guarded([&] {
            // The whole strip: the fixed and the scrolled parts are placed relative to its left edge.
            QPainter p(this);
            p.setClipRegion(event->region());
            tree_->Header().Columns().PaintHeader(p, plat::Rect(0, 0, width(), height()), int(tree_->OffsetX()));
        });
    }
    void mousePressEvent(QMouseEvent* event) override {
        plat::guarded([&] {
            tree_->Header().HandleMouseDown(ToClient(event->position()), event->globalPosition().toPoint(),
                                            event->button(), event->modifiers());
        });
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        plat::guarded([&] {
            tree_->Header().HandleMouseUp(ToClient(event->position()), event->globalPosition().toPoint(),
                                          event->button(), event->modifiers());
        });
    }
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        plat::guarded(
            [&] { tree_->Header().HandleDblClick(ToClient(event->position()), event->button(), event->modifiers()); });
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        plat::guarded([&] {
            const QPoint p = ToClient(event->position());
            tree_->Header().HandleMouseMove(p, event->globalPosition().toPoint(), event->modifiers());
            tree_->UpdateHeaderCursor(p);
            if (event->buttons() == Qt::NoButton) tree_->HintMouseMove(p, event->globalPosition().toPoint());
        });
    }
    void leaveEvent(QEvent*) override {
        plat::guarded([&] { tree_->Header().HoverTimer(); });
    }

private:
    TBaseLazyTree* tree_;
};

// ---- Columns ----

TColumnIndex TLazyTreeColumns::ColumnInHeaderAt(QPoint P) const {
    // Header coordinates run from 0 at the header's top.
    return ColumnFromPosition(QPoint(P.x(), P.y() + FHeader->Height()));
}

bool TLazyTreeColumns::UpdateColumnIndexAt(QPoint P, TColumnIndex& Index) {
    const TColumnIndex column = ColumnInHeaderAt(P);
    if (column == Index) return false;
    if (IsValidColumn(Index)) FHeader->Invalidate(Items(Index));
    Index = column;
    if (IsValidColumn(Index)) FHeader->Invalidate(Items(Index));
    return true;
}

TColumnIndex TLazyTreeColumns::UpdateDownIndex(QPoint P) {
    const TColumnIndex column = ColumnInHeaderAt(P);
    if (column >= 0 && column != FDownIndex) {
        const TLazyTreeColumn& c = *FItems[size_t(column)];
        if (c.FOptions.Contains(coAllowClick) && c.FOptions.Contains(coEnabled)) {
            if (IsValidColumn(FDownIndex)) FHeader->Invalidate(Items(FDownIndex));
            FDownIndex = column;
            const QPoint inHeader(P.x(), P.y() + FHeader->Height());
            FCheckBoxHit = c.FHasImage && c.FImageRect.toQRect().contains(inHeader - QPoint(c.Left(), 0)) && c.FCheckBox;
            FHeader->Invalidate(&c);
        }
    }
    return column;
}

bool TLazyTreeColumns::CanResizeByMouse(QPoint P, TColumnIndex Column) {
    bool allowed = IsValidColumn(Column) && FItems[size_t(Column)]->FOptions.Contains(coResizable) &&
                   FItems[size_t(Column)]->FOptions.Contains(coVisible);
    if (FHeader->OnCanSplitterResizeColumn) FHeader->OnCanSplitterResizeColumn(FHeader, P, Column, allowed);
    return allowed;
}

void TLazyTreeColumns::HandleColumnClick(QPoint P, Qt::MouseButton Button, bool Force, bool DblClick) {
    TLTHeaderHitInfo hit;
    const TColumnIndex column = ColumnInHeaderAt(P);
    hit.X = P.x();
    hit.Y = P.y();
    hit.Button = Button;
    hit.Shift = QGuiApplication::queryKeyboardModifiers();
    hit.DblClick = DblClick;
    const TColumnIndex oldClick = FClickIndex;
    if (IsValidColumn(column) && FItems[size_t(column)]->FOptions.Contains(coAllowClick) &&
        (Force || column == FDownIndex)) {
        TLazyTreeColumn& c = *FItems[size_t(column)];
        FClickIndex = column;
        hit.Column = column;
        hit.HitPosition = {TLTHeaderHitPosition::hhiOnColumn};
        // The image rectangle was recorded in the cell's coordinates at its painted place.
        const QPoint inHeader(P.x(), P.y() + FHeader->Height());
        if (c.FHasImage && c.FImageRect.toQRect().contains(inHeader)) {
            hit.HitPosition += TLTHeaderHitPosition::hhiOnIcon;
            if (c.FCheckBox) {
                hit.HitPosition += TLTHeaderHitPosition::hhiOnCheckbox;
                if (Button == Qt::LeftButton && Tree()) {
                    c.SetCheckState(Tree()->DetermineNextCheckState(c.FCheckType, c.FCheckState));
                }
            }
        }
    } else {
        FClickIndex = NoColumn;
        hit.Column = NoColumn;
        hit.HitPosition = {TLTHeaderHitPosition::hhiNoWhere};
    }
    if (DblClick) {
        if (FHeader->OnHeaderDblClick) FHeader->OnHeaderDblClick(FHeader, hit);
    } else {
        if (FHeader->FOptions.Contains(hoHeaderClickAutoSort) && Button == Qt::LeftButton &&
            !hit.HitPosition.Contains(TLTHeaderHitPosition::hhiOnCheckbox) && hit.Column >= 0) {
            if (hit.Column == FHeader->FSortColumn) {
                FHeader->SetSortDirection(FHeader->FSortDirection == TSortDirection::sdAscending
                                              ? TSortDirection::sdDescending
                                              : TSortDirection::sdAscending);
            } else {
                // Direction first, so the sort the column change starts runs only once, in it.
                FHeader->FSortDirection = FItems[size_t(hit.Column)]->FDefaultSortDirection;
                FHeader->SetSortColumn(hit.Column);
            }
        }
        if (Button == Qt::RightButton && FHeader->FOptions.Contains(hoAutoColumnPopupMenu) && Tree())
            Tree()->PopupAutoColumnMenu(P);
        if (FHeader->OnHeaderClick) FHeader->OnHeaderClick(FHeader, hit);
    }
    if (IsValidColumn(FClickIndex)) FHeader->Invalidate(Items(FClickIndex));
    if (oldClick != FClickIndex && IsValidColumn(oldClick)) FHeader->Invalidate(Items(oldClick));
}

void TLazyTreeColumns::PrepareColumnDrag(QPoint P, QPoint DragStart) {
    FDropTarget = NoColumn;
    FDragIndex = ColumnInHeaderAt(P);
    if (!IsValidColumn(FDragIndex)) return;
    TLazyTreeColumn& c = *FItems[size_t(FDragIndex)];
    const int h = FHeader->Height();
    QImage picture(std::max(1, c.FWidth), std::max(1, h), QImage::Format_ARGB32);
    picture.fill(plat::ToQColor(plat::clBtnFace));
    {
        plat::TCanvas canvas(&picture);
        PaintHeader(canvas, plat::Rect(c.FLeft, 0, c.FLeft + c.FWidth, h), QPoint(0, 0));
    }
    TBaseLazyTree* tree = Tree();
    const QPoint cellOnScreen =
        tree ? tree->viewport()->mapToGlobal(QPoint(c.Left(), -h)) : QPoint(c.Left(), -h);
    TLTDragImage& image = *FHeader->FDragImage;
    image.SetMoveRestriction(FHeader->FOptions.Contains(hoRestrictDrag) ? TLTDragMoveRestriction::dmrHorizontalOnly
                                                                        : TLTDragMoveRestriction::dmrNone);
    image.PrepareDrag(picture, cellOnScreen, DragStart);
    image.ShowDragImage();
}

void TLazyTreeColumns::DragColumnTo(QPoint Global) {
    TBaseLazyTree* tree = Tree();
    const QPoint P = tree ? tree->viewport()->mapFromGlobal(Global) : Global;
    const TColumnIndex column = ColumnInHeaderAt(P);
    bool force = false;
    if (IsValidColumn(column)) {
        const TLazyTreeColumn& c = *FItems[size_t(column)];
        const bool before = P.x() < c.Left() + c.FWidth / 2;
        if (column != FDropTarget || before != FDropBefore) {
            force = true;
            if (IsValidColumn(FDropTarget)) FHeader->Invalidate(Items(FDropTarget));
            FDropTarget = column;
            FDropBefore = before;
            FHeader->Invalidate(&c);
        }
    }
    FHeader->FDragImage->DragTo(Global, force);
}

// ---- Header ----

bool TLTHeader::InHeader(QPoint P) const {
    if (!FOptions.Contains(hoVisible) || !FOwner) return false;
    return P.y() >= -FHeight && P.y() < 0 && P.x() >= 0 && P.x() < FOwner->viewport()->width();
}

bool TLTHeader::InHeaderSplitterArea(QPoint P) const {
    if (P.y() < -2 || P.y() > 2 || !FOptions.Contains(hoVisible) || !FOwner) return false;
    return P.x() >= 0 && P.x() < FOwner->viewport()->width();
}

bool TLTHeader::FindSplitterColumn(QPoint P) {
    if (!UseColumns() || !FOwner) return false;
    FColumns->FTrackIndex = NoColumn;
    const int T = FSplitterHitTolerance;
    const int R = int(std::nearbyint(T * 0.6)), L = T - R;
    const int offset = int(FOwner->OffsetX());
    const int fixedWidth = FColumns->GetVisibleFixedWidth();
    const auto& order = FColumns->FPositionToIndex;
    if (!FOwner->UseRightToLeftReading()) {
        int E = FColumns->TotalWidth() + offset;
        for (auto it = order.rbegin(); it != order.rend(); ++it) {
            TLazyTreeColumn& c = (*FColumns)[*it];
            if (!c.FOptions.Contains(coVisible)) continue;
            const bool fixed = c.FOptions.Contains(coFixed);
            const int border = fixed ? E - offset : E;
            if (border - L < P.x() && P.x() < border + R && (fixed || P.x() > fixedWidth) &&
                FColumns->CanResizeByMouse(P, *it)) {
                FColumns->FTrackIndex = *it;
                FTrackPoint = QPoint(fixed ? c.FLeft : c.FLeft + offset, P.y());
                return true;
            }
            E -= c.FWidth;
        }
    } else {
        int E = -offset + std::max(0, FOwner->viewport()->width() - FColumns->TotalWidth());
        for (TColumnIndex index : order) {
            TLazyTreeColumn& c = (*FColumns)[index];
            if (!c.FOptions.Contains(coVisible)) continue;
            if (E - R < P.x() && P.x() < E + L && FColumns->CanResizeByMouse(P, index)) {
                FColumns->FTrackIndex = index;
                FTrackPoint = QPoint(E + c.FWidth, P.y());
                return true;
            }
            E += c.FWidth;
        }
    }
    return false;
}

bool TLTHeader::IsColumnSplitterHit(QPoint P) {
    if (!FOptions.Contains(hoColumnResize) || !FindSplitterColumn(P)) return false;
    if (InHeader(P)) return true;
    // The boundary of the fixed area may also be dragged below the header.
    const TColumnIndex track = FColumns->FTrackIndex;
    if (!(*FColumns)[track].FOptions.Contains(coFixed)) return false;
    const TColumnIndex next = FColumns->GetNextVisibleColumn(track);
    return next >= 0 && !(*FColumns)[next].FOptions.Contains(coFixed) && P.y() >= 0 &&
           P.y() <= int(FOwner->RangeY());
}

bool TLTHeader::IsHeightSplitterHit(QPoint P) {
    if (!InHeaderSplitterArea(P)) return false;
    bool allowed = FOptions.Contains(hoHeightResize);
    if (OnCanSplitterResizeHeader) OnCanSplitterResizeHeader(this, P, allowed);
    return allowed;
}

bool TLTHeader::HandleMouseDown(QPoint P, QPoint Global, Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    if (!FOwner) return false;
    const bool inHeader = InHeader(P);
    if (Button == Qt::RightButton || Button == Qt::MiddleButton) {
        if (inHeader && OnHeaderMouseDown) OnHeaderMouseDown(this, Button, Shift, P.x(), P.y() + FHeight);
        return inHeader;
    }
    if (Button != Qt::LeftButton) return false;
    const bool heightHit = IsHeightSplitterHit(P);
    const bool columnHit = !heightHit && IsColumnSplitterHit(P);
    if (!inHeader && !heightHit && !columnHit) return false;
    FOwner->CancelHint();
    FOwner->StopTimer(4);
    FOwner->StopTimer(2);
    FOwner->DoStateChange({}, {tsScrolling, tsScrollPending, tsEditPending});
    FDragStart = Global;
    if (heightHit || columnHit) {
        FTrackStart = P;
        FColumns->FHoverIndex = NoColumn;
        if (heightHit) {
            if (OnBeforeHeaderHeightTracking) OnBeforeHeaderHeightTracking(this, Shift);
            FStates += hsHeightTrackPending;
        } else {
            if (OnBeforeColumnWidthTracking) OnBeforeColumnWidthTracking(this, FColumns->FTrackIndex, Shift);
            FStates += hsColumnWidthTrackPending;
        }
        return true;
    }
    const TColumnIndex column = FColumns->UpdateDownIndex(P);
    if (OnHeaderMouseDown) OnHeaderMouseDown(this, Button, Shift, P.x(), P.y() + FHeight);
    if (FOptions.Contains(hoDrag) && FColumns->IsValidColumn(column) &&
        (*FColumns)[column].FOptions.Contains(coDraggable))
        FStates += hsDragPending;
    return true;
}

void TLTHeader::EndColumnDrag() {
    FDragImage->EndDrag();
    FStates -= hsDragging;
    FColumns->FDropTarget = NoColumn;
    Invalidate(nullptr);
}

bool TLTHeader::HandleMouseUp(QPoint P, QPoint Global, Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    if (!FOwner) return false;
    const bool inHeader = InHeader(P);
    if (Button == Qt::RightButton) {
        if (!inHeader) return false;
        FOwner->CancelHint();
        FColumns->HandleColumnClick(P, Button, true, false);
        if (OnHeaderMouseUp) OnHeaderMouseUp(this, Button, Shift, P.x(), P.y() + FHeight);
        FColumns->FDownIndex = FColumns->FTrackIndex = NoColumn;
        FColumns->FCheckBoxHit = false;
        // The automatic column menu is the header's menu: no second one on the same click.
        if (!FOptions.Contains(hoAutoColumnPopupMenu))
            FOwner->DoPopupMenu(nullptr, FColumns->ColumnInHeaderAt(P), P);
        return true;
    }
    if (Button == Qt::MiddleButton) {
        if (!inHeader) return false;
        FColumns->HandleColumnClick(P, Button, true, false);
        if (OnHeaderMouseUp) OnHeaderMouseUp(this, Button, Shift, P.x(), P.y() + FHeight);
        FColumns->FDownIndex = NoColumn;
        FColumns->FCheckBoxHit = false;
        return true;
    }
    if (Button != Qt::LeftButton) return false;
    const THeaderStates working = FStates - THeaderStates{hsAutoSizing, hsLoading, hsResizing, hsScaling, hsNeedScaling};
    if (working.Empty() && !inHeader) return false;
    FOwner->CancelHint();
    if (FStates.Contains(hsDragging)) {
        FDragImage->EndDrag();
        const TColumnIndex dragged = FColumns->FDragIndex, target = FColumns->FDropTarget;
        const bool insideWindow = FOwner->rect().contains(FOwner->mapFromGlobal(Global));
        if (FColumns->IsValidColumn(target) && target != dragged && insideWindow) {
            TLazyTreeColumn& d = (*FColumns)[dragged];
            const TColumnPosition oldPosition = d.Position(), targetPosition = (*FColumns)[target].Position();
            const bool leftOfTarget = oldPosition < targetPosition;
            TColumnPosition newPosition;
            if (FColumns->FDropBefore)
                newPosition = leftOfTarget ? targetPosition - 1 : targetPosition;
            else
                newPosition = leftOfTarget ? targetPosition : targetPosition + 1;
            d.SetPosition(newPosition);
            if (OnHeaderDragged) OnHeaderDragged(this, dragged, oldPosition);
        } else if (OnHeaderDraggedOut) {
            OnHeaderDraggedOut(this, dragged, Global);
        }
        FColumns->FDropTarget = NoColumn;
        Invalidate(nullptr);
        FStates -= TrackingStates + hsDragging + hsDragPending;
        FColumns->FDownIndex = NoColumn;
        return true;
    }
    if (inHeader || FColumns->IsValidColumn(FColumns->FDownIndex)) {
        if (FColumns->IsValidColumn(FColumns->FDownIndex) || inHeader)
            FColumns->HandleColumnClick(P, Button, false, false);
        if (OnHeaderMouseUp) OnHeaderMouseUp(this, Button, Shift, P.x(), P.y() + FHeight);
    }
    if (FColumns->IsValidColumn(FColumns->FTrackIndex)) {
        if (FStates.Contains(hsColumnWidthTracking) && OnAfterColumnWidthTracking)
            OnAfterColumnWidthTracking(this, FColumns->FTrackIndex);
        Invalidate(FColumns->Items(FColumns->FTrackIndex));
        FColumns->FTrackIndex = NoColumn;
    }
    if (FColumns->IsValidColumn(FColumns->FDownIndex)) {
        Invalidate(FColumns->Items(FColumns->FDownIndex));
        FColumns->FDownIndex = NoColumn;
    }
    if (FStates.Contains(hsHeightTracking) && OnAfterHeaderHeightTracking) OnAfterHeaderHeightTracking(this);
    FStates = FStates * THeaderStates{hsAutoSizing, hsLoading, hsResizing, hsScaling, hsNeedScaling};
    return true;
}

bool TLTHeader::HandleDblClick(QPoint P, Qt::MouseButton Button, Qt::KeyboardModifiers Shift) {
    if (!FOwner) return false;
    if (FOptions.Contains(hoHeightDblClickResize) && InHeaderSplitterArea(P) && FDefaultHeight > 0) {
        bool allowed = true;
        QPoint p = P;
        if (OnHeaderHeightDblClickResize) OnHeaderHeightDblClickResize(this, p, Shift, allowed);
        if (allowed) SetHeight(FMinHeight);
        return true;
    }
    if (Button == Qt::LeftButton && FOptions.Contains(hoDblClickResize) && IsColumnSplitterHit(P)) {
        const TColumnIndex track = FColumns->FTrackIndex;
        bool allowed = true;
        if (OnColumnWidthDblClickResize) OnColumnWidthDblClickResize(this, track, Shift, P, allowed);
        if (allowed) {
            const int position = int((*FColumns)[track].Position());
            AutoFitColumns(true, TSmartAutoFitType::smaUseColumnOption, position, position);
        }
        FStates -= TrackingStates;
        return true;
    }
    if (!InHeader(P)) return false;
    if (Button == Qt::LeftButton) FColumns->UpdateDownIndex(P);
    FColumns->HandleColumnClick(P, Button, true, true);
    return true;
}

bool TLTHeader::HandleMouseMove(QPoint P, QPoint Global, Qt::KeyboardModifiers Shift) {
    if (!FOwner) return false;
    if (InHeader(P) && FStates.Empty()) {
        // Hover feedback: the timer clears it once the mouse left the header.
        const TColumnIndex old = FColumns->FHoverIndex;
        FColumns->UpdateColumnIndexAt(P, FColumns->FHoverIndex);
        if (old != FColumns->FHoverIndex ||
            (FColumns->FDownIndex >= 0 && FColumns->FDownIndex != FColumns->FHoverIndex))
            FOwner->StartTimer(HeaderTimer, 50);
    }
    if (FStates.Contains(hsColumnWidthTrackPending)) {
        FOwner->StopTimer(HeaderTimer);
        FStates -= hsColumnWidthTrackPending;
        FStates += hsColumnWidthTracking;
    } else if (FStates.Contains(hsHeightTrackPending)) {
        FOwner->StopTimer(HeaderTimer);
        FStates -= hsHeightTrackPending;
        FStates += hsHeightTracking;
    }
    if (FStates.Contains(hsColumnWidthTracking)) {
        const TColumnIndex track = FColumns->FTrackIndex;
        if (!FColumns->IsValidColumn(track)) return true;
        bool allowed = true;
        if (OnColumnWidthTracking) OnColumnWidthTracking(this, track, Shift, FTrackPoint, P, allowed);
        if (!allowed) return true;
        const bool rtl = FOwner->UseRightToLeftReading();
        const int newWidth = rtl ? FTrackPoint.x() - P.x() : P.x() - FTrackPoint.x();
        TLazyTreeColumn& c = (*FColumns)[track];
        const TColumnIndex neighbour =
            rtl ? FColumns->GetPreviousVisibleColumn(track) : FColumns->GetNextVisibleColumn(track);
        if (FOptions.Contains(hoAutoResize) && track == FColumns->AutoSizeColumn() && neighbour >= 0 &&
            (*FColumns)[neighbour].FOptions.Contains(coResizable) && c.FMinWidth < newWidth &&
            newWidth < c.FMaxWidth) {
            // The auto-size column fills the rest: its neighbour gives or takes the difference.
            TLazyTreeColumn& n = (*FColumns)[neighbour];
            n.SetWidth(n.FWidth + c.FWidth - newWidth);
        } else {
            c.SetWidth(newWidth);
        }
        return true;
    }
    if (FStates.Contains(hsHeightTracking)) {
        bool allowed = true;
        QPoint p = P;
        if (OnHeaderHeightTracking) OnHeaderHeightTracking(this, p, Shift, allowed);
        if (allowed) SetHeight(FHeight + p.y());
        return true;
    }
    if (FStates.Contains(hsDragPending)) {
        if (!FOptions.Contains(hoDrag)) return true;
        const TColumnIndex pressed = FColumns->FDownIndex;
        bool allowed = true;
        if (OnHeaderDragging) OnHeaderDragging(this, pressed, allowed);
        const int threshold = QGuiApplication::styleHints()->startDragDistance();
        if (allowed && (std::abs(Global.x() - FDragStart.x()) > threshold ||
                        std::abs(Global.y() - FDragStart.y()) > threshold)) {
            FOwner->StopTimer(HeaderTimer);
            if (FColumns->IsValidColumn(pressed)) Invalidate(FColumns->Items(pressed));
            FColumns->FDownIndex = FColumns->FHoverIndex = NoColumn;
            const QPoint pressPoint = FOwner->viewport()->mapFromGlobal(FDragStart);
            FColumns->PrepareColumnDrag(pressPoint, FDragStart);
            FStates -= hsDragPending;
            FStates += hsDragging;
        }
        return true;
    }
    if (FStates.Contains(hsDragging)) {
        FColumns->DragColumnTo(Global);
        return true;
    }
    return false;
}

bool TLTHeader::CancelTracking() {
    bool handled = false;
    if (FStates.Contains(hsDragging)) {
        EndColumnDrag();
        handled = true;
    } else if (FStates.Contains(hsColumnWidthTracking) || FStates.Contains(hsColumnWidthTrackPending)) {
        if (OnAfterColumnWidthTracking) OnAfterColumnWidthTracking(this, FColumns->FTrackIndex);
        handled = true;
    } else if (FStates.Contains(hsHeightTracking) || FStates.Contains(hsHeightTrackPending)) {
        if (OnAfterHeaderHeightTracking) OnAfterHeaderHeightTracking(this);
        handled = true;
    }
    FStates -= TrackingStates + hsDragPending;
    return handled;
}

void TLTHeader::HoverTimer() {
    if (!FOwner) return;
    const QPoint P = FOwner->viewport()->mapFromGlobal(QCursor::pos());
    if (!InHeader(P) || (FColumns->FDownIndex >= 0 && FColumns->FDownIndex != FColumns->FHoverIndex)) {
        FOwner->StopTimer(HeaderTimer);
        FColumns->FHoverIndex = FColumns->FClickIndex = FColumns->FDownIndex = NoColumn;
        FColumns->FCheckBoxHit = false;
        Invalidate(nullptr);
    }
}

void TLTHeader::HandleResize() {
    if (FOptions.Contains(hoAutoResize) && !FStates.Contains(hsAutoSizing)) {
        FColumns->FitAutoSizeColumn();
    } else if (!FStates.Contains(hsScaling)) {
        RecalculateHeader();
    } else {
        return;
    }
    Invalidate(nullptr);
}

bool TLTHeader::GetCursorName(QPoint P, QString& Name) {
    if (!FStates.Empty()) return false;
    if (IsHeightSplitterHit(P) && FOptions.Contains(hoHeightResize)) {
        Name = QStringLiteral("LT_VERTSPLIT");
        return true;
    }
    if (IsColumnSplitterHit(P)) {
        Name = QStringLiteral("LT_HEADERSPLIT");
        return true;
    }
    return false;
}

void TLTHeader::AutoFitColumns(bool Animated, TSmartAutoFitType SmartAutoFitType, int RangeStartCol,
                               int RangeEndCol) {
    if (!UseColumns() || !FOwner) return;
    const int last = FColumns->Count() - 1;
    const int start = std::max(RangeStartCol, 0);
    const int end = (RangeEndCol < 0 || RangeEndCol > last) ? last : RangeEndCol;
    if (start > end) return;
    if (OnBeforeAutoFitColumns) OnBeforeAutoFitColumns(this, SmartAutoFitType);
    for (int position = start; position <= end; ++position) {
        const TColumnIndex index = FColumns->ColumnFromPosition(TColumnPosition(position));
        if (!FColumns->IsValidColumn(index)) continue;
        TLazyTreeColumn& c = (*FColumns)[index];
        if (!c.FOptions.Contains(coResizable) || !c.FOptions.Contains(coVisible)) continue;
        bool allowed = true;
        TSmartAutoFitType type = SmartAutoFitType;
        if (OnBeforeAutoFitColumn) OnBeforeAutoFitColumn(this, index, type, allowed);
        if (!allowed) continue;
        const bool smart = SmartAutoFitType == TSmartAutoFitType::smaAllColumns ||
                           (SmartAutoFitType == TSmartAutoFitType::smaUseColumnOption &&
                            c.FOptions.Contains(coSmartResize));
        const int width = FOwner->GetMaxColumnWidth(index, smart);
        if (Animated)
            FColumns->AnimatedResize(index, width);
        else
            c.SetWidth(width);
        if (OnAfterAutoFitColumn) OnAfterAutoFitColumn(this, index);
    }
    if (OnAfterAutoFitColumns) OnAfterAutoFitColumns(this);
}

void TLTHeader::ScaleHeader(int M, int D) {
    if (D == 0) return;
    SetHeight(int(int64_t(FHeight) * M / D));
    for (int i = 0; i < FColumns->Count(); ++i) {
        TLazyTreeColumn& c = (*FColumns)[i];
        c.SetWidth(int(int64_t(c.FWidth) * M / D));
    }
}

void TLTHeader::UpdateSpringColumns() {
    if (!FOwner) return;
    const int width = FOwner->viewport()->width();
    if (FOptions.Contains(hoAutoSpring) && FLastWidth > 0) {
        const int delta = width - FLastWidth;
        std::vector<TLazyTreeColumn*> springs;
        for (int i = 0; i < FColumns->Count(); ++i) {
            TLazyTreeColumn& c = (*FColumns)[i];
            if (c.FOptions.Contains(coAutoSpring) && c.FOptions.Contains(coVisible)) springs.push_back(&c);
        }
        if (delta != 0 && !springs.empty()) {
            // Fractions are kept per column so many small changes add up to whole pixels.
            float left = float(std::abs(delta));
            const float share = left / float(springs.size());
            for (TLazyTreeColumn* c : springs) {
                if (left <= 0) break;
                c->FSpringRest += share;
                if (c->FSpringRest >= 1) {
                    const int whole = int(c->FSpringRest);
                    c->FSpringRest -= float(whole);
                    c->SetWidth(c->FWidth + (delta > 0 ? whole : -whole));
                    left -= float(whole);
                }
            }
        }
    }
    FLastWidth = width;
}

// ---- Tree side ----

void TBaseLazyTree::UpdateHeaderCursor(QPoint P) {
    QString name;
    QCursor cursor;
    if (FHeader->GetCursorName(P, name)) {
        static QHash<QString, QCursor> cursors;
        auto it = cursors.find(name);
        if (it == cursors.end()) {
            QImage image(QStringLiteral(":/treeview/%1.png").arg(name));
            image = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == 0xFF00FF) line[x] = 0;
            }
            it = cursors.insert(name, QCursor(QPixmap::fromImage(image), 16, 16));
        }
        cursor = *it;
    }
    if (FHeaderBar) FHeaderBar->setCursor(cursor);
}

void TBaseLazyTree::PlaceHeaderBar() {
    const bool visible = FHeader->Options().Contains(hoVisible);
    if (!visible) {
        if (FHeaderBar) FHeaderBar->hide();
        return;
    }
    if (!FHeaderBar) FHeaderBar = new TLTHeaderBar(this);
    const QRect v = viewport()->geometry();
    FHeaderBar->setGeometry(v.x(), v.y() - FHeader->Height(), v.width(), FHeader->Height());
    FHeaderBar->show();
    FHeaderBar->update();
}

QWidget* TBaseLazyTree::HeaderBar() const { return FHeaderBar; }

int TBaseLazyTree::GetMaxColumnWidth(TColumnIndex Column, bool UseSmartColumnWidth) {
    const bool main = Column == MainColumn();
    const auto paint = TreeOptions().PaintOptions();
    const auto misc = TreeOptions().MiscOptions();
    // The rows in view only, or every visible row.
    PLazyNode node = UseSmartColumnWidth ? TopNode() : GetFirstVisible(nullptr, true);
    PLazyNode last = UseSmartColumnWidth ? BottomNode() : nullptr;
    const int margin = int(Margin());
    int result = 0;
    bool withImage = false;
    while (node) {
        int offset = margin;
        if (main) {
            if (paint.Contains(TLTPaintOption::toFixedIndent))
                offset += int(Indent());
            else
                offset += int((GetNodeLevel(node) + (paint.Contains(TLTPaintOption::toShowRoot) ? 1 : 0)) * Indent());
            if (misc.Contains(TLTMiscOption::toCheckSupport) && node->CheckType != TCheckType::ctNone && CheckImages())
                offset += CheckImages()->Width() + 2;
        }
        bool ghosted = false;
        int imageIndex = -1;
        const plat::TImageList* images = DoGetImageIndex(node, TLTImageKind::ikNormal, Column, ghosted, imageIndex);
        if (images && imageIndex >= 0) withImage = true;
        if (withImage && Images()) offset += Images()->Width() + 2;
        imageIndex = -1;
        const plat::TImageList* state = DoGetImageIndex(node, TLTImageKind::ikState, Column, ghosted, imageIndex);
        if (state && imageIndex >= 0) offset += state->Width() + 2;
        const QPoint contentMargin = DoGetCellContentMargin(node, Column, TLTCellContentMarginType::ccmtAllSides);
        const int width = offset + DoGetNodeWidth(node, Column) + DoGetNodeExtraWidth(node, Column) + contentMargin.x();
        result = std::max(result, width);
        if (node == last) break;
        node = GetNextVisible(node, true);
    }
    if (paint.Contains(TLTPaintOption::toShowVertGridLines)) ++result;
    return result;
}
