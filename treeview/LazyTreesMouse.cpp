// Mouse input of the tree: clicks on buttons, check boxes and nodes with the selection rules of
// plain, Shift, Ctrl and Alt clicks, decisions deferred to the release, double clicks, hot tracking
// and the selection rectangle.
#include <QApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>
#include <QBitmap>
#include <QMouseEvent>
#include <QPainter>

#include "platform/Guard.h"
#include "treeview/LazyTrees.Utils.h"
#include "treeview/LTHeaderPopup.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum THitPosition;
using enum TLTSelectionOption;
using plat::TRect;

namespace {

QPoint EventPos(QMouseEvent* event) {
    return event->position().toPoint();
}

}  // namespace

void TBaseLazyTree::DoNodeClick(const THitInfo& HitInfo) {
    if (OnNodeClick) OnNodeClick(this, HitInfo);
}

void TBaseLazyTree::DoNodeDblClick(const THitInfo& HitInfo) {
    if (OnNodeDblClick) OnNodeDblClick(this, HitInfo);
}

void TBaseLazyTree::DoHotChange(PLazyNode OldNode, PLazyNode NewNode) {
    if (OnHotChange) OnHotChange(this, OldNode, NewNode);
}

QMenu* TBaseLazyTree::DoGetPopupMenu(PLazyNode Node, TColumnIndex Column, QPoint Position) {
    if (!OnGetPopupMenu) return nullptr;
    QMenu* menu = nullptr;
    bool askParent = true;
    if (!Node) {
        OnGetPopupMenu(this, nullptr, NoColumn, Position, askParent, menu);
        return menu;
    }
    for (PLazyNode n = Node; n && n != FRoot && !menu && askParent; n = n->Parent)
        OnGetPopupMenu(this, n, Column, Position, askParent, menu);
    return menu;
}

void TBaseLazyTree::DoPopupMenu(PLazyNode Node, TColumnIndex Column, QPoint Position) {
    QMenu* menu = DoGetPopupMenu(Node, Column, Position);
    if (!menu) return;
    DoStateChange({tsPopupMenuShown}, {tsRightButtonDown});
    // A column menu lists the columns of the tree it pops up for.
    if (auto* columnMenu = qobject_cast<TLTHeaderPopupMenu*>(menu)) columnMenu->SetPopupComponent(this);
    const QPoint global = Position == QPoint(-1, -1) ? QCursor::pos() : viewport()->mapToGlobal(Position);
    menu->popup(global);
}

bool TBaseLazyTree::CanTrackNodeHeight(QPoint P, PLazyNode Node, TColumnIndex Column) {
    // Only a fixed header column offers it; without columns only the handler can.
    bool allowed = TreeOptions().MiscOptions().Contains(TLTMiscOption::toNodeHeightResize) && Node && Node != FRoot &&
                   Column >= 0;
    if (OnCanSplitterResizeNode) OnCanSplitterResizeNode(this, P, Node, Column, allowed);
    return allowed;
}

// The cursor over a row border that may be dragged is the split cursor; elsewhere the control's.
void TBaseLazyTree::UpdateCursor(QPoint P) {
    if (IsPanning()) return;
    bool split = false;
    if (TreeOptions().MiscOptions().Contains(TLTMiscOption::toNodeHeightResize)) {
        THitInfo hit;
        GetHitTestInfoAt(P.x(), P.y(), true, hit);
        if (hit.HitNode && hit.HitPositions.Contains(hiOnItem) &&
            (hit.HitPositions.Contains(hiUpperSplitter) || hit.HitPositions.Contains(hiLowerSplitter))) {
            PLazyNode n = hit.HitPositions.Contains(hiUpperSplitter) ? GetPreviousVisible(hit.HitNode) : hit.HitNode;
            split = n && CanTrackNodeHeight(P, n, hit.HitColumn);
        }
    }
    QCursor cursor = this->cursor();
    if (split || FStates.Contains(tsNodeHeightTracking)) {
        static const QCursor splitCursor = [] {
            QImage image(QStringLiteral(":/treeview/LT_VERTSPLIT.png"));
            image = image.convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if ((line[x] & 0xFFFFFF) == 0xFF00FF) line[x] = 0;
            }
            return QCursor(QPixmap::fromImage(image), 16, 16);
        }();
        cursor = splitCursor;
    } else if (TreeOptions().PaintOptions().Contains(TLTPaintOption::toHotTrack) && FCurrentHotNode && HotCursor != 0) {
        // HotCursor holds a cursor shape of the platform.
        cursor = QCursor(Qt::CursorShape(HotCursor));
    }
    if (OnGetCursor) OnGetCursor(this, cursor);
    viewport()->setCursor(cursor);
}

void TBaseLazyTree::HandleMouseDown(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    const auto misc = TreeOptions().MiscOptions();
    const auto selection = TreeOptions().SelectionOptions();
    if (button == Qt::RightButton && !selection.Contains(toRightClickSelect)) return;
    if (button == Qt::MiddleButton && !selection.Contains(toMiddleClickSelect)) return;
    (void)misc;
    THitInfo hit;
    const QPoint p = EventPos(event);
    GetHitTestInfoAt(p.x(), p.y(), true, hit);
    ProcessMouseDown(event, hit);
}

void TBaseLazyTree::HandleMouseUp(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    const auto selection = TreeOptions().SelectionOptions();
    THitInfo hit;
    const QPoint p = EventPos(event);
    GetHitTestInfoAt(p.x(), p.y(), true, hit);
    if (button == Qt::RightButton) CancelHint();
    if (button == Qt::LeftButton || (button == Qt::RightButton && selection.Contains(toRightClickSelect)) ||
        (button == Qt::MiddleButton && selection.Contains(toMiddleClickSelect)))
        ProcessMouseUp(event, hit);
    // The tree has no menu of its own: the application's menu for the node opens on the release.
    if (button == Qt::RightButton) DoPopupMenu(hit.HitNode, hit.HitColumn, p);
}

void TBaseLazyTree::HandleMouseDblClick(QMouseEvent* event) {
    const Qt::MouseButton button = event->button();
    const auto selection = TreeOptions().SelectionOptions();
    if (button == Qt::RightButton && !selection.Contains(toRightClickSelect)) return;
    if (button == Qt::MiddleButton && !selection.Contains(toMiddleClickSelect)) return;
    THitInfo hit;
    const QPoint p = EventPos(event);
    GetHitTestInfoAt(p.x(), p.y(), true, hit);
    ProcessMouseDblClick(event, hit);
}

void TBaseLazyTree::ProcessMouseDown(QMouseEvent* event, THitInfo& HitInfo) {
    if (IsPanning()) {
        StopWheelPanning();
        return;
    }
    if (FStates.Contains(tsEditPending)) {
        StopTimer(2);
        DoStateChange({}, {tsEditPending});
    }
    if (FStates.Contains(tsEditing) && !EndEditNode()) return;
    const QPoint point = EventPos(event);
    if (!hasFocus() && focusPolicy() != Qt::NoFocus) {
        setFocus(Qt::MouseFocusReason);
        GetHitTestInfoAt(point.x(), point.y(), true, HitInfo);
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool altPressed = mods.testFlag(Qt::AltModifier);
    const Qt::KeyboardModifiers shiftState = mods & (Qt::ShiftModifier | Qt::ControlModifier);
    const auto selection = TreeOptions().SelectionOptions();
    const auto misc = TreeOptions().MiscOptions();
    const THitPositions& pos = HitInfo.HitPositions;
    PLazyNode node = HitInfo.HitNode;
    const bool labelHit = !altPressed && !selection.Contains(toSimpleDrawSelection) &&
                          (pos.Contains(hiOnItemLabel) || pos.Contains(hiOnNormalIcon));
    const bool fullRowHit = !altPressed && !labelHit && node && !pos.Contains(hiNowhere) &&
                            !pos.Contains(hiOnItemButton) && !pos.Contains(hiOnItemCheckbox) &&
                            (selection.Contains(toFullRowSelect) ||
                             (misc.Contains(TLTMiscOption::toGridExtensions) && HitInfo.HitColumn >= 0));
    const bool nodeHit = labelHit || fullRowHit;
    // The column records the click; a click on a text or a whole row may move the focused column.
    FHeader->Columns().FClickIndex = HitInfo.HitColumn;
    TColumnIndex newColumn = FFocusedColumn;
    bool columnChanged = false;
    if (labelHit || selection.Contains(toFullRowSelect) || misc.Contains(TLTMiscOption::toGridExtensions)) {
        columnChanged = HitInfo.HitColumn != FFocusedColumn;
        newColumn = selection.Contains(toExtendedFocus) ? HitInfo.HitColumn : MainColumn();
    }
    if (columnChanged && !FHeader->AllowFocus(newColumn)) {
        newColumn = FFocusedColumn;
        columnChanged = false;
    }
    const bool nodeSelected = nodeHit && node->States.Contains(vsSelected);
    const bool multiSelect = selection.Contains(toMultiSelect);
    const bool fullRowDrag =
        !multiSelect || selection.Contains(toDisableDrawSelection)
            ? misc.Contains(TLTMiscOption::toFullRowDrag)
            : fullRowHit && misc.Contains(TLTMiscOption::toFullRowDrag) && !pos.Contains(hiNowhere) &&
                  (nodeSelected || pos.Contains(hiOnItemLabel) || pos.Contains(hiOnNormalIcon));
    // Always with automatic dragging (or during a drag) unless the row is hit where it does not drag;
    // under manual dragging where the application allows it, on the label or a dragging row.
    bool dragPossible = (FDragMode == TDragMode::dmAutomatic || FStates.Contains(tsOLEDragging)) &&
                        !(fullRowHit && !fullRowDrag);
    if (nodeHit && !dragPossible && FDragMode == TDragMode::dmManual && OnDragAllowed) {
        bool allowed = false;
        OnDragAllowed(this, node, newColumn, allowed);
        dragPossible = allowed && (labelHit || fullRowDrag);
    }
    // A press on a row border that may be dragged starts node-height tracking.
    if (event->button() == Qt::LeftButton && pos.Contains(hiOnItem) &&
        (pos.Contains(hiUpperSplitter) || pos.Contains(hiLowerSplitter))) {
        PLazyNode track = pos.Contains(hiUpperSplitter) ? GetPreviousVisible(node) : node;
        FHeightTrackNode = track;
        if (track && CanTrackNodeHeight(point, track, HitInfo.HitColumn)) {
            FHeightTrackColumn = HitInfo.HitColumn;
            const TRect r = GetDisplayRect(track, FHeightTrackColumn, false);
            FHeightTrackPoint = QPoint(r.Left, r.Top);
            DoStateChange({tsNodeHeightTrackPending});
            return;
        }
    }
    // The expand button.
    if (pos.Contains(hiOnItemButton) && node && node->States.Contains(vsHasChildren)) {
        ToggleNode(node);
        return;
    }
    // The check box shows pressed until the release.
    if (pos.Contains(hiOnItemCheckbox) && node) {
        if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
            node->States.Contains(vsDisabled))
            return;
        TCheckState next = DetermineNextCheckState(node->CheckType, node->CheckState);
        if (event->button() == Qt::LeftButton && DoChecking(node, next)) {
            DoStateChange({tsMouseCheckPending});
            FCheckNode = node;
            FPendingCheckState = next;
            node->CheckState = TCheckStateHelper::GetPressed(node->CheckState);
            InvalidateNode(node);
        }
        return;
    }
    if ((shiftState == Qt::NoModifier && !IsEmpty()) || FSelectionCount == 0) {
        PLazyNode levelNode = node ? node : GetLastVisible();
        FLastSelectionLevel = levelNode ? int(GetNodeLevel(levelNode)) : -1;
    }
    if (multiSelect && shiftState == Qt::NoModifier && nodeHit && dragPossible && nodeSelected && !FSelectionLocked)
        DoStateChange({tsClearPending});
    bool actNow = !dragPossible;
    if (actNow && FStates.Contains(tsRightButtonDown)) actNow = DoGetPopupMenu(node, HitInfo.HitColumn, point) == nullptr;
    // The rectangle may start from here.
    if (!selection.Contains(toDisableDrawSelection) && multiSelect && !labelHit && !fullRowDrag) {
        DoStateChange({tsDrawSelPending});
        FDrawSelShiftState = shiftState;
        const QPoint tree(point.x() + int(FEffectiveOffsetX), point.y() - int(FOffsetY));
        NewSelRect = TRect{tree.x(), tree.y(), tree.x(), tree.y()};
        FLastSelRect = TRect{};
    }
    if (!FSelectionLocked &&
        ((multiSelect && !nodeHit && !fullRowDrag && shiftState == Qt::NoModifier) ||
         (nodeHit && (!nodeSelected || actNow) && (shiftState == Qt::NoModifier || !multiSelect)))) {
        lazytree::Assert(!FStates.Contains(tsClearPending), "Pending and direct clearance are mutual exclusive!");
        if (nodeSelected || (altPressed && node && !pos.Contains(hiNowhere))) {
            const bool several = FSelectionCount > 1;
            DropSelection();
            InsertNodeIntoSelection(node, true);
            if (several) {
                viewport()->update();
                NotifyChange(nullptr);
            }
        } else if (!(pos.Contains(hiNowhere) && selection.Contains(toAlwaysSelectNode))) {
            InvalidateAndClearSelection(false);
        }
    }
    // A click on a selected node prepares editing.
    if (hasFocus() && pos.Contains(hiOnItemLabel) && nodeSelected && !columnChanged && shiftState == Qt::NoModifier)
        DoStateChange({tsEditPending});
    if (!selection.Contains(toDisableDrawSelection) && !labelHit && !fullRowDrag &&
        (multiSelect || pos.Contains(hiNowhere)) && !fullRowHit)
        return;
    FLastClickPos = point;
    if (nodeHit && DoFocusChanging(FFocusedNode, node, FFocusedColumn, newColumn)) {
        if (columnChanged) {
            InvalidateColumn(FFocusedColumn);
            InvalidateColumn(newColumn);
            FFocusedColumn = newColumn;
        }
        PLazyNode lastFocused = FFocusedNode;
        if (node != lastFocused) ChangeFocusedNode(node, false);
        if (multiSelect && shiftState != Qt::NoModifier) {
            ApplyClickSelection(lastFocused, node, dragPossible, shiftState);
        } else {
            if (shiftState == Qt::NoModifier) FRangeAnchor = node;
            if (!node->States.Contains(vsSelected)) AddToSelection(node);
        }
        if (lastFocused != FFocusedNode || columnChanged) {
            ScrollIntoView(FFocusedNode, selection.Contains(toCenterScrollIntoView),
                           !TreeOptions().AutoOptions().Contains(TLTAutoOption::toDisableAutoscrollOnFocus) &&
                               !selection.Contains(toFullRowSelect));
            DoFocusChange(FFocusedNode, FFocusedColumn);
        }
    }
    if (FSelectionCount == 0) NotifyChange(nullptr);
    if (dragPossible && nodeHit &&
        (FStates.Contains(tsLeftButtonDown) || FStates.Contains(tsMiddleButtonDown) || FStates.Contains(tsRightButtonDown)))
        BeginDrag();
}

void TBaseLazyTree::ApplyClickSelection(PLazyNode, PLazyNode NewNode, bool DeferToggle,
                                        Qt::KeyboardModifiers ShiftState) {
    const bool ctrl = ShiftState.testFlag(Qt::ControlModifier);
    const bool shift = ShiftState.testFlag(Qt::ShiftModifier);
    if (ctrl && shift) {
        SelectNodeRange(FRangeAnchor ? FRangeAnchor : NewNode, NewNode, true);
        viewport()->update();
    } else if (ctrl) {
        if (!TreeOptions().SelectionOptions().Contains(toSiblingSelectConstraint)) FRangeAnchor = NewNode;
        if (DeferToggle) {
            DoStateChange({tsToggleFocusedSelection});
        } else if (NewNode->States.Contains(vsSelected)) {
            RemoveFromSelection(NewNode);
        } else {
            AddToSelection(NewNode);
        }
        viewport()->update();
    } else if (shift) {
        if (!FRangeAnchor)
            FRangeAnchor = GetFirst();
        else
            SelectNodeRange(FRangeAnchor, NewNode, false);
        viewport()->update();
    } else {
        if (!NewNode->States.Contains(vsSelected)) {
            AddToSelection(NewNode);
            InvalidateNode(NewNode);
        }
        FRangeAnchor = NewNode;
    }
}

void TBaseLazyTree::ProcessMouseUp(QMouseEvent*, const THitInfo& HitInfo) {
    if (FStates.Contains(tsVCLDragPending)) return;
    if (IsMouseSelecting()) {
        DoStateChange({}, {tsToggleFocusedSelection, tsDrawSelPending, tsDrawSelecting});
        viewport()->update();
    }
    if (FStates.Contains(tsClearPending)) {
        const bool focusedSelected = FFocusedNode && FFocusedNode->States.Contains(vsSelected);
        DoStateChange({}, {tsClearPending});
        ClearSelection();
        if (focusedSelected) AddToSelection(FFocusedNode);
    }
    if (FStates.Contains(tsToggleFocusedSelection) && HitInfo.HitNode == FFocusedNode && FFocusedNode) {
        if (!FFocusedNode->States.Contains(vsSelected))
            AddToSelection(FFocusedNode);
        else if (!(TreeOptions().SelectionOptions().Contains(toAlwaysSelectNode) && FSelectionCount == 1))
            RemoveFromSelection(FFocusedNode);
        InvalidateNode(FFocusedNode);
    }
    DoStateChange({}, {tsToggleFocusedSelection, tsClearPending, tsDrawSelPending, tsOLEDragging, tsOLEDragPending,
                       tsScrolling, tsScrollPending});
    StopTimer(4);
    if (FStates.Contains(tsMouseCheckPending)) {
        DoStateChange({}, {tsMouseCheckPending});
        if (FCheckNode) {
            PLazyNode check = FCheckNode;
            FCheckNode = nullptr;
            if (HitInfo.HitNode == check && HitInfo.HitPositions.Contains(hiOnItem))
                DoCheckClick(check, FPendingCheckState);
            else
                check->CheckState = TCheckStateHelper::GetUnpressed(check->CheckState);
            // The pressed form goes also when the click was refused on the way.
            check->CheckState = TCheckStateHelper::GetUnpressed(check->CheckState);
            InvalidateNode(check);
        }
    }
    if (HitInfo.HitNode) DoNodeClick(HitInfo);
    if (FHeader->Columns().ClickIndex() >= 0 && FHeader->Columns().ClickIndex() == HitInfo.HitColumn &&
        OnColumnClick)
        OnColumnClick(this, HitInfo.HitColumn, QGuiApplication::queryKeyboardModifiers());
    // A click on the selected, focused node edits it after the edit delay.
    if (FStates.Contains(tsEditPending)) {
        if (HitInfo.HitNode && HitInfo.HitNode == FFocusedNode && HitInfo.HitPositions.Contains(hiOnItem) &&
            TreeOptions().MiscOptions().Contains(TLTMiscOption::toEditOnClick) &&
            HitInfo.HitColumn == FFocusedColumn && CanEdit(FFocusedNode, HitInfo.HitColumn)) {
            FEditColumn = FFocusedColumn;
            StartTimer(2, int(EditDelay));
        } else {
            DoStateChange({}, {tsEditPending});
        }
    }
}

void TBaseLazyTree::ProcessMouseDblClick(QMouseEvent* event, const THitInfo& HitInfo) {
    bool mayEdit = !IsEditing() && TreeOptions().MiscOptions().Contains(TLTMiscOption::toEditOnDblClick);
    if (FStates.Contains(tsEditPending)) {
        StopTimer(2);
        DoStateChange({}, {tsEditPending});
    }
    if (FStates.Contains(tsEditing) && !EndEditNode()) return;
    struct EditAfter {
        TBaseLazyTree* tree;
        const THitInfo& hit;
        bool& may;
        ~EditAfter() {
            // A double click on the focused node edits it at once.
            if (may && tree->FFocusedNode && hit.HitNode == tree->FFocusedNode &&
                hit.HitColumn == tree->FFocusedColumn && tree->CanEdit(tree->FFocusedNode, hit.HitColumn)) {
                tree->DoStateChange({tsEditPending});
                tree->FEditColumn = tree->FFocusedColumn;
                tree->StartTimer(2, 0);
            }
        }
    } editAfter{this, HitInfo, mayEdit};
    PLazyNode node = HitInfo.HitNode;
    const THitPositions& pos = HitInfo.HitPositions;
    if (node) DoNodeDblClick(HitInfo);
    if (HitInfo.HitColumn >= 0 && HitInfo.HitColumn == FHeader->Columns().ClickIndex() && OnColumnDblClick)
        OnColumnDblClick(this, HitInfo.HitColumn, event->modifiers());
    if (pos.Contains(hiOnItemCheckbox) && node) {
        if (FStates.Contains(tsKeyCheckPending) || FStates.Contains(tsMouseCheckPending) ||
            node->States.Contains(vsDisabled))
            return;
        TCheckState next = DetermineNextCheckState(node->CheckType, node->CheckState);
        if (event->button() == Qt::LeftButton && DoChecking(node, next)) {
            DoStateChange({tsMouseCheckPending});
            FCheckNode = node;
            FPendingCheckState = next;
            node->CheckState = TCheckStateHelper::GetPressed(node->CheckState);
            InvalidateNode(node);
            mayEdit = false;
        }
        return;
    }
    const bool toggle = TreeOptions().MiscOptions().Contains(TLTMiscOption::toToggleOnDblClick);
    if (node && (pos.Contains(hiOnItemButton) ||
                 (toggle && (pos.Contains(hiOnItemLabel) || pos.Contains(hiOnNormalIcon) ||
                             pos.Contains(hiOnStateIcon))) ||
                 (toggle && TreeOptions().SelectionOptions().Contains(toFullRowSelect)))) {
        ToggleNode(node);
        mayEdit = false;
    }
}

// ---- Moves: hot tracking and the selection rectangle ----

void TBaseLazyTree::UpdateHotTrack(int X, int Y) {
    THitInfo hit;
    GetHitTestInfoAt(X, Y, true, hit);
    PLazyNode hot = nullptr;
    const THitPositions& pos = hit.HitPositions;
    if (pos.Contains(hiOnItemLabel) || pos.Contains(hiOnItemCheckbox) ||
        (FStates.Contains(tsUseExplorerTheme) && pos.Contains(hiOnItemButtonExact)) ||
        (TreeOptions().SelectionOptions().Contains(toFullRowSelect) && !pos.Contains(hiNowhere)))
        hot = hit.HitNode;
    const bool repaint = TreeOptions().PaintOptions().Contains(TLTPaintOption::toHotTrack) ||
                         TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport);
    PLazyNode old = FCurrentHotNode;
    if (hot != old) {
        DoHotChange(old, hot);
        if (repaint && old) InvalidateNode(old);
        FCurrentHotNode = hot;
    }
    if (hot) {
        const bool exact = pos.Contains(hiOnItemButtonExact);
        if (exact != FHotNodeButton || (hot != old && repaint)) {
            FHotNodeButton = exact;
            InvalidateNode(hot);
        }
    } else {
        FHotNodeButton = false;
    }
}

bool TBaseLazyTree::UpdateSelectionRect(int X, int Y) {
    if (FStates.Contains(tsDrawSelecting)) FLastSelRect = NewSelRect;
    const int64_t maxX = std::max<int64_t>(viewport()->width(), FRangeX);
    const int64_t maxY = std::max<int64_t>(viewport()->height(), FRangeY);
    const int x = int(std::clamp<int64_t>(X + FEffectiveOffsetX, 0, maxX));
    const int y = int(std::clamp<int64_t>(Y - FOffsetY, 0, maxY));
    if (NewSelRect.Right == x && NewSelRect.Bottom == y) return false;
    NewSelRect.Right = x;
    NewSelRect.Bottom = y;
    return true;
}

bool TBaseLazyTree::UpdateRectSelection(int, int) {
    if (FRoot->TotalCount <= 2 || !FStates.Contains(tsDrawSelecting)) return false;
    ResetTempCache();
    const TRect newRect = lazytree::SortRectCorners(NewSelRect);
    const TRect oldRect = lazytree::SortRectCorners(FLastSelRect);
    const bool withCtrl = FDrawSelShiftState.testFlag(Qt::ControlModifier);
    const auto paint = TreeOptions().PaintOptions();
    const int checkWidth =
        TreeOptions().MiscOptions().Contains(TLTMiscOption::toCheckSupport) && FCheckImages ? FCheckImages->Width() + 2 : 0;
    const int stateWidth = FStateImages ? FStateImages->Width() + 2 : 0;
    const int cellRight = viewport()->width();
    const bool hasOld = !(FLastSelRect == TRect{});
    int nodeTop = 0;
    PLazyNode node = GetNodeAt(0, hasOld ? std::min(newRect.Top, oldRect.Top) : newRect.Top, false, nodeTop);
    if (!node) return false;
    const int bottom = std::max(newRect.Bottom, oldRect.Bottom);
    int level = int(GetNodeLevel(node));
    int nodeLeft = FMargin + (paint.Contains(TLTPaintOption::toShowRoot) ? level + 1 : level) * int(FIndent);
    // Right to left the row is laid out from the right edge and the alignment is mirrored.
    const bool rtl = UseRightToLeftReading();
    const bool simple = TreeOptions().SelectionOptions().Contains(toSimpleDrawSelection) ||
                        (!rtl && TreeOptions().SelectionOptions().Contains(toFullRowSelect));
    TAlignment alignment = FAlignment;
    if (rtl && alignment == TAlignment::taLeftJustify)
        alignment = TAlignment::taRightJustify;
    else if (rtl && alignment == TAlignment::taRightJustify)
        alignment = TAlignment::taLeftJustify;
    bool changed = false;
    // Edges touching count; the old rectangle does not exist before the first move.
    auto touches = [](const TRect& r, int l, int t, int rr, int b) {
        return r.Left <= rr && l <= r.Right && r.Top <= b && t <= r.Bottom;
    };
    while (node && nodeTop <= bottom) {
        int textLeft = nodeLeft;
        if (node->CheckType != TCheckType::ctNone) textLeft += checkWidth;
        if (FImages && HasImage(node, TLTImageKind::ikNormal, NoColumn)) textLeft += FImages->Width() + 2;
        if (stateWidth && HasImage(node, TLTImageKind::ikState, NoColumn)) textLeft += stateWidth;
        const int nodeBottom = nodeTop + int(NodeHeight(node));
        bool inNew, inOld;
        if (simple) {
            auto inside = [&](const TRect& r) {
                if (!(r.Right > r.Left || r.Bottom > r.Top) || !(r.Top < nodeBottom && nodeTop < r.Bottom)) return false;
                return rtl || nodeLeft < r.Right;
            };
            inNew = inside(newRect);
            inOld = hasOld && inside(oldRect);
        } else {
            const int width = DoGetNodeWidth(node, NoColumn);
            int left, right;
            if (!rtl) {
                left = textLeft;
                right = cellRight;
                const bool wholeCell = (alignment == TAlignment::taLeftJustify && textLeft >= newRect.Left &&
                                        (!hasOld || textLeft >= oldRect.Left)) ||
                                       width >= right - left;
                if (!wholeCell) {
                    switch (alignment) {
                        case TAlignment::taLeftJustify: right = left + width; break;
                        case TAlignment::taCenter:
                            left = (left + right - width) / 2;
                            right = left + width;
                            break;
                        case TAlignment::taRightJustify: left = right - width; break;
                    }
                }
            } else {
                left = 0;
                right = cellRight - textLeft;
                const bool wholeCell = (alignment == TAlignment::taRightJustify && right <= newRect.Right &&
                                        (!hasOld || right <= oldRect.Right)) ||
                                       width >= right - left;
                if (!wholeCell) {
                    switch (alignment) {
                        case TAlignment::taRightJustify: left = right - width; break;
                        case TAlignment::taCenter:
                            left = (left + right - width) / 2;
                            right = left + width;
                            break;
                        case TAlignment::taLeftJustify: right = left + width; break;
                    }
                }
            }
            inNew = touches(newRect, left, nodeTop, right, nodeBottom);
            inOld = hasOld && touches(oldRect, left, nodeTop, right, nodeBottom);
        }
        if (inNew != inOld) {
            changed = true;
            if (withCtrl) {
                if (node->States.Contains(vsSelected))
                    MarkRemovedFromSelection(node);
                else
                    AppendToTempCache(node);
            } else if (inNew) {
                AppendToTempCache(node);
            } else {
                MarkRemovedFromSelection(node);
            }
        }
        nodeTop = nodeBottom;
        PLazyNode next = GetNextVisibleNoInit(node, true);
        if (next) {
            const int nextLevel = int(GetNodeLevel(next));
            nodeLeft += (nextLevel - level) * int(FIndent);
            level = nextLevel;
        }
        node = next;
    }
    if (changed) {
        CompactSelection();
        AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), false);
        ResetTempCache();
        NotifyChange(nullptr);
    }
    ResetTempCache();
    return changed;
}

void TBaseLazyTree::mouseMoveEvent(QMouseEvent* event) {
    plat::guarded([&] {
        const QPoint p = EventPos(event);
        if (!FHeader->States().Empty() && FHeader->HandleMouseMove(p, event->globalPosition().toPoint(),
                                                                    event->modifiers()))
            return;
        if (FStates.Contains(tsNodeHeightTrackPending)) {
            // The first move begins the tracking: every other pending mode ends.
            CancelHint();
            StopWheelPanning();
            for (int id : {1, 2, 3, 4, 7}) StopTimer(id);
            SearchBuffer.clear();
            FLastSearchNode = nullptr;
            DoStateChange({tsNodeHeightTracking},
                          {tsEditPending, tsNodeHeightTrackPending, tsIncrementalSearching, tsOLEDragPending,
                           tsScrolling, tsScrollPending, tsVCLDragPending});
        }
        if (FStates.Contains(tsNodeHeightTracking) && !FStates.Contains(tsDrawSelPending)) {
            bool allowed = true;
            if (OnNodeHeightTracking)
                OnNodeHeightTracking(this, FHeightTrackNode, FHeightTrackColumn, event->modifiers(),
                                     FHeightTrackPoint, p, allowed);
            if (allowed && FHeightTrackNode)
                SetNodeHeight(FHeightTrackNode, uint32_t(std::max(1, p.y() - FHeightTrackPoint.y())));
            viewport()->repaint();
            return;
        }
        if (!FStates.Contains(tsDrawSelPending)) {
            // Moving beyond the drag threshold makes the release end panning.
            if (FStates.Contains(tsWheelPanning) && FStates.Contains(tsWheelScrolling) &&
                std::max(std::abs(p.x() - FLastClickPos.x()), std::abs(p.y() - FLastClickPos.y())) >= QApplication::startDragDistance())
                DoStateChange({}, {tsWheelScrolling});
            if (FStates.Contains(tsOLEDragPending) && (std::abs(p.x() - FLastClickPos.x()) >= FDragThreshold ||
                                                       std::abs(p.y() - FLastClickPos.y()) >= FDragThreshold)) {
                DoDragging(FLastClickPos);
                return;
            }
            if (AutoScrollAllowed()) DoAutoScroll(p.x(), p.y());
            if (IsPanning()) {
                UpdatePanningCursor(p.x(), p.y());
                return;
            }
            if (!IsMouseSelecting()) {
                UpdateHotTrack(p.x(), p.y());
                if (!(event->buttons() & Qt::LeftButton)) UpdateCursor(p);
                if (event->buttons() == Qt::NoButton) HintMouseMove(p, event->globalPosition().toPoint());
                return;
            }
            if (FStates.Contains(tsScrolling) || !UpdateSelectionRect(p.x(), p.y())) return;
            UpdateRectSelection(p.x(), p.y());
            viewport()->update();
            return;
        }
        if (!UpdateSelectionRect(p.x(), p.y())) return;
        viewport()->update();
        const TRect r = NewSelRect;
        const int threshold = QApplication::startDragDistance();
        if (std::abs(r.Right - r.Left) < threshold && std::abs(r.Bottom - r.Top) < threshold) return;
        // Beyond the threshold the rubber band begins.
        if (FStates.Contains(tsClearPending)) {
            DoStateChange({}, {tsClearPending});
            ClearSelection();
        }
        DoStateChange({tsDrawSelecting}, {tsDrawSelPending});
        if (UpdateRectSelection(p.x(), p.y())) viewport()->update();
    });
}

// ---- Wheel panning ----

namespace {

QImage PanningImage(const char* name) {
    return QImage(QStringLiteral(":/treeview/%1.png").arg(QLatin1String(name)));
}

// The origin marker: a small window shaped by the picture's pixels that are not magenta.
class OriginMarker final : public QWidget {
public:
    OriginMarker(QWidget* owner, const QImage& image)
        : QWidget(owner, Qt::ToolTip | Qt::FramelessWindowHint), image_(image) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setFixedSize(32, 32);
        const QImage mask = image_.createMaskFromColor(QColor(255, 0, 255).rgb(), Qt::MaskOutColor);
        setMask(QRegion(QBitmap::fromImage(mask)));
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

private:
    QImage image_;
};

}  // namespace

void TBaseLazyTree::StartWheelPanning(QPoint Position) {
    StopTimer(4);
    DoStateChange({tsWheelPanning, tsWheelScrolling});
    const bool horizontal = viewport()->width() < FRangeX, vertical = viewport()->height() < FRangeY;
    const char* name = horizontal && vertical ? "LT_MOVEALL" : horizontal ? "LT_MOVEEW" : "LT_MOVENS";
    const QImage image = PanningImage(name);
    lazytree::Assert(!image.isNull(), "Invalid wheel panning image.");
    FPanningWindow = std::make_unique<OriginMarker>(this, image);
    FPanningWindow->move(viewport()->mapToGlobal(Position) - QPoint(16, 16));
    FPanningWindow->show();
    setFocus(Qt::MouseFocusReason);
    viewport()->grabMouse();
    FPanningCursorName.clear();
    UpdatePanningCursor(Position.x(), Position.y());
    StartTimer(4, 20);
}

void TBaseLazyTree::StopWheelPanning() {
    if (!IsPanning()) return;
    StopTimer(4);
    viewport()->releaseMouse();
    DoStateChange({}, {tsWheelPanning, tsWheelScrolling});
    FPanningWindow.reset();
    FPanningCursorName.clear();
    viewport()->unsetCursor();
}

void TBaseLazyTree::UpdatePanningCursor(int X, int Y) {
    const bool horizontal = viewport()->width() < FRangeX, vertical = viewport()->height() < FRangeY;
    const int dx = X - FLastClickPos.x(), dy = Y - FLastClickPos.y();
    const char* name;
    if (std::abs(dx) <= 7 && std::abs(dy) <= 7) {
        name = !horizontal ? "LT_MOVENS" : vertical ? "LT_MOVEALL" : "LT_MOVEEW";
    } else if (horizontal && vertical) {
        if (dx < -8)
            name = dy < -8 ? "LT_MOVENW" : dy <= 8 ? "LT_MOVEW" : "LT_MOVESW";
        else if (dx <= 8)
            name = Y < FLastClickPos.y() ? "LT_MOVEN" : "LT_MOVES";
        else
            name = dy < -8 ? "LT_MOVENE" : dy <= 8 ? "LT_MOVEE" : "LT_MOVESE";
    } else if (horizontal) {
        name = X < FLastClickPos.x() ? "LT_MOVEW" : "LT_MOVEE";
    } else {
        name = Y < FLastClickPos.y() ? "LT_MOVEN" : "LT_MOVES";
    }
    if (FPanningCursorName == QLatin1String(name)) return;
    FPanningCursorName = QLatin1String(name);
    QImage image = PanningImage(name).convertToFormat(QImage::Format_ARGB32);
    // Magenta is see-through in the cursor too.
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == 0xFF00FF) line[x] = 0;
    }
    viewport()->setCursor(QCursor(QPixmap::fromImage(image), 16, 16));
}

void TBaseLazyTree::ForgetNode(PLazyNode Node) {
    // A node whose height is being dragged goes: the drag ends with it.
    if (FHeightTrackNode && (Node ? FHeightTrackNode == Node : FHeightTrackNode != FRoot)) {
        FHeightTrackNode = nullptr;
        DoStateChange({}, {tsNodeHeightTracking, tsNodeHeightTrackPending});
    }
    TLazyTreeCore::ForgetNode(Node);
}
