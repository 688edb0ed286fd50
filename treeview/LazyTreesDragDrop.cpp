// Drag and drop of nodes. Out of the tree: a press arms the drag, the mouse starts it beyond the
// threshold, and the platform's drag loop carries a data object of the selection with the drag
// picture. Into the tree: Qt's drag events go through the drag manager to the target side, which
// tracks the node and the drop mode under the mouse, scrolls near the edges, expands a node the
// mouse rests on and lets the application decide and perform the drop.
#include "treeview/LazyTreesDragDrop.h"

#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPixmap>
#include <QPointer>

#include "platform/Guard.h"
#include "treeview/LazyTrees.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TDropMode;
using enum THitPosition;
using namespace lazytree;
using plat::TRect;
using plat::TShiftState;

namespace {

constexpr int kAllEffects = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
// How often a drag-over repeats while the mouse rests in a scroll zone: Qt reports only moves, the
// system's drag loop polls a still mouse about this often.
constexpr int kDragOverRepeatMs = 50;

int EffectsOf(TDragOperations Operations) {
    int effects = 0;
    if (Operations.Contains(TDragOperation::doCopy)) effects |= DROPEFFECT_COPY;
    if (Operations.Contains(TDragOperation::doMove)) effects |= DROPEFFECT_MOVE;
    if (Operations.Contains(TDragOperation::doLink)) effects |= DROPEFFECT_LINK;
    return effects ? effects : kAllEffects;
}

// One action for Qt, which shows one: copy before move before link.
Qt::DropAction ActionOf(int Effect) {
    if (Effect & DROPEFFECT_COPY) return Qt::CopyAction;
    if (Effect & DROPEFFECT_MOVE) return Qt::MoveAction;
    if (Effect & DROPEFFECT_LINK) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

}  // namespace

// ---- The drag manager ----

TBaseLazyTree* TLTDragManager::DragSourceTree() { return FDragSource; }

QObject* TLTDragManager::DragSource() {
    if (FDragSource) return FDragSource;
    return FSource;
}

int32_t TLTDragManager::DragEnter(const QMimeData* DataObject, QObject* Source, TShiftState KeyState, QPoint Pt,
                                  int& Effect) {
    FDataObject = DataObject;
    FIsDropTarget = true;
    FSource = Source;
    FDragSource = FOwner->GetTreeFromDataObject(DataObject);
    return FOwner->DragEnter(KeyState, Pt, Effect);
}

int32_t TLTDragManager::DragOver(TShiftState KeyState, QPoint Pt, int& Effect) {
    return FOwner->DragOver(DragSource(), KeyState, TDragState::dsDragMove, Pt, Effect);
}

int32_t TLTDragManager::DragLeave() {
    FOwner->DragLeave();
    Forget();
    return S_OK;
}

int32_t TLTDragManager::Drop(const QMimeData* DataObject, TShiftState KeyState, QPoint Pt, int& Effect) {
    const int32_t result = FOwner->DragDrop(DataObject, KeyState, Pt, Effect);
    Forget();
    return result;
}

void TLTDragManager::Forget() {
    FIsDropTarget = false;
    FDragSource = nullptr;
    FSource = nullptr;
    FDataObject = nullptr;
}

// ---- The tree as the drag's source ----

ILTDragManager& TBaseLazyTree::DragManager() {
    if (!FDragManager) {
        FDragManager = DoCreateDragManager();
        if (!FDragManager) FDragManager = std::make_unique<TLTDragManager>(this);
    }
    return *FDragManager;
}

std::unique_ptr<ILTDragManager> TBaseLazyTree::DoCreateDragManager() {
    std::unique_ptr<ILTDragManager> manager;
    if (OnCreateDragManager) OnCreateDragManager(this, manager);
    return manager;
}

std::unique_ptr<QMimeData> TBaseLazyTree::DoCreateDataObject() {
    std::unique_ptr<QMimeData> data;
    if (OnCreateDataObject) OnCreateDataObject(this, data);
    return data;
}

void TBaseLazyTree::DoStartDrag() {
    if (OnStartDrag) OnStartDrag(this);
}

void TBaseLazyTree::DoEndDrag(QObject* Target, int X, int Y) {
    if (OnEndDrag) OnEndDrag(this, Target, X, Y);
}

bool TBaseLazyTree::Dragging() const {
    return FStates.Contains(tsOLEDragging) || FStates.Contains(tsOLEDragPending);
}

// Qt has one drag for both kinds: a drag of the platform's controls arrives through the same events,
// so DragType is kept but changes nothing here.
void TBaseLazyTree::BeginDrag(bool Immediate, int Threshold) {
    if (FStates.Contains(tsOLEDragging) || FStates.Contains(tsOLEDragPending)) return;
    FDragThreshold = Threshold < 0 ? QApplication::startDragDistance() : Threshold;
    if (Immediate)
        DoDragging(FLastClickPos);
    else
        DoStateChange({tsOLEDragPending});
}

void TBaseLazyTree::DoDragging(QPoint P) {
    if (FStates.Contains(tsEditing)) CancelEditNode();
    if (PLazyNode hot = FCurrentHotNode) {
        FCurrentHotNode = nullptr;
        InvalidateNode(hot);
    }
    if (FFocusedNode && !FFocusedNode->States.Contains(vsSelected)) {
        AddToSelection(FFocusedNode);
        InvalidateNode(FFocusedNode);
    }
    FDragSelection = GetSortedSelection(true);
    DoStateChange({tsOLEDragging}, {tsClearPending, tsOLEDragPending});
    // The tree may go while the loop runs (a handler frees it): then nothing of it is touched again.
    const QPointer<TBaseLazyTree> alive(this);
    auto finish = [&] {
        if (!alive) return;
        const QPoint at = CursorPos();
        DoEndDrag(this, at.x(), at.y());
        FDragImage->EndDrag();
        if (FLastDragEffect == DROPEFFECT_MOVE &&
            TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoDeleteMovedNodes))
            DeleteSelectedNodes();
        FDragSelection.clear();
        // The release that ended the drag belonged to the drag loop, never to the tree.
        DoStateChange({}, {tsOLEDragging, tsLeftButtonDown, tsMiddleButtonDown, tsRightButtonDown, tsEditPending});
    };
    try {
        DoStartDrag();
        std::unique_ptr<QMimeData> data = DoCreateDataObject();
        if (!data) data = std::make_unique<TLTDataObject>(this, false);
        if (CanShowDragImage()) PrepareDragImage(P, data.get());
        FLastDropMode = dmOnNode;
        FLastDragEffect = DROPEFFECT_NONE;
        DoDragDropLoop(EffectsOf(DragOperations), std::move(data), FLastDragEffect);
    } catch (...) {
        if (alive) FLastDragEffect = DROPEFFECT_NONE;
        finish();
        throw;
    }
    finish();
}

void TBaseLazyTree::DoDragDropLoop(int AllowedEffects, std::unique_ptr<QMimeData> DataObject, int& DragEffect) {
    if (DragDropLoop) {
        DragEffect = DragDropLoop(this, AllowedEffects, DataObject.get()) & kAllEffects;
        return;
    }
    // Qt frees the drag and its data once the loop is over.
    auto* drag = new QDrag(this);
    if (const QImage& picture = FDragImage->SystemImage(); !picture.isNull()) {
        drag->setPixmap(QPixmap::fromImage(picture));
        drag->setHotSpot(FDragImage->SystemHotSpot());
    }
    drag->setMimeData(DataObject.release());
    DragEffect = int(drag->exec(Qt::DropActions(AllowedEffects & kAllEffects))) & kAllEffects;
}

// ---- The tree as a drop target ----

void TBaseLazyTree::RegisterDropTarget(bool Register) { viewport()->setAcceptDrops(Register); }

namespace {
// The button that started a drag out of the tree, as the shift state carries it.
TShiftState WithDragButton(TShiftState Shift, const TLazyTreeStates& States) {
    if (States.Contains(tsLeftButtonDown)) Shift.include(plat::ssLeft);
    if (States.Contains(tsMiddleButtonDown)) Shift.include(plat::ssMiddle);
    if (States.Contains(tsRightButtonDown)) Shift.include(plat::ssRight);
    return Shift;
}
}  // namespace

int32_t TBaseLazyTree::DragEnter(TShiftState KeyState, QPoint Pt, int& Effect) {
    try {
        FDragScrollStart = 0;
        FDragScrollStarted = false;
        const TShiftState shift = WithDragButton(KeyState, FStates);
        const QPoint client = viewport()->mapFromGlobal(Pt);
        QObject* source = DragManager().DragSource();
        Effect = SuggestDropEffect(source, shift, client, Effect);
        if (DoDragOver(source, shift, TDragState::dsDragEnter, client, FLastDropMode, Effect)) {
            THitInfo hit;
            GetHitTestInfoAt(client.x(), client.y(), true, hit);
            if (hit.HitNode) {
                FDropTargetNode = hit.HitNode;
                const auto selection = TreeOptions().SelectionOptions();
                const bool fullRow = TreeOptions().MiscOptions().Contains(TLTMiscOption::toFullRowDrag) ||
                                     selection.Contains(TLTSelectionOption::toFullRowSelect);
                if (hit.HitPositions.Contains(hiOnItemLabel) || (hit.HitPositions.Contains(hiOnItem) && fullRow)) {
                    FLastDropMode = dmOnNode;
                } else {
                    const TRect r = GetDisplayRect(hit.HitNode, MainColumn(), false);
                    FLastDropMode = client.y() < (r.Top + r.Bottom) / 2 ? dmAbove : dmBelow;
                }
                InvalidateNode(FDropTargetNode);
                // The drag-overs that follow see this node as the known target: its wait starts here.
                if (FDropTargetNode->States.Contains(vsHasChildren) &&
                    TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoDropExpand))
                    StartTimer(1, int(AutoExpandDelay));
            } else {
                FLastDropMode = dmNowhere;
            }
        } else {
            Effect = DROPEFFECT_NONE;
        }
        if (TBaseLazyTree* tree = DragManager().DragSourceTree()) tree->DragImage().ShowDragImage();
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

int32_t TBaseLazyTree::DragOver(QObject* Source, TShiftState KeyState, TDragState DragState, QPoint Pt, int& Effect) {
    try {
        // A tree of this process as the source: its own drag picture is kept whole while this one
        // repaints (a picture the platform draws needs nothing).
        TBaseLazyTree* tree = qobject_cast<TBaseLazyTree*>(Source);
        const TScrollUpdateOptions scrollOptions =
            tree ? TScrollUpdateOptions{TScrollUpdateOption::suoUpdateNCArea} : DefaultScrollUpdateFlags;
        const QPoint client = viewport()->mapFromGlobal(Pt);
        const QRect clientRect = viewport()->rect();
        TScrollDirections directions = DetermineScrollDirections(client.x(), client.y());
        bool scrolled = false;
        if (!directions.Empty()) {
            int64_t dx = 0, dy = 0;
            const int stepY = std::min<int>(clientRect.height(), FScrollBarOptions.VerticalIncrement());
            if (directions.Contains(TScrollDirection::sdUp) && FOffsetY != 0) dy = stepY;
            if (directions.Contains(TScrollDirection::sdDown) && clientRect.height() - FOffsetY < FRangeY) dy = -stepY;
            if (directions.Contains(TScrollDirection::sdLeft) && FEffectiveOffsetX != 0)
                dx = FScrollBarOptions.HorizontalIncrement();
            if (directions.Contains(TScrollDirection::sdRight) && clientRect.width() + FEffectiveOffsetX < FRangeX)
                dx = -FScrollBarOptions.HorizontalIncrement();
            if (UseRightToLeftReading()) dx = -dx;
            if (dx != 0 || dy != 0) scrolled = DoSetOffsetXY(FOffsetX + dx, FOffsetY + dy, scrollOptions);
        }
        const TShiftState shift = WithDragButton(KeyState, FStates);
        THitInfo hit;
        GetHitTestInfoAt(client.x(), client.y(), true, hit);
        const TRect rowRect = hit.HitNode ? GetDisplayRect(hit.HitNode, NoColumn, false) : TRect{};
        const TDropMode newMode = DetermineDropMode(client, hit, rowRect);
        const bool willMove = tree && tree->DragImage().WillMove(Pt);
        auto repaint = [&](QRect area) {
            if (scrolled) area = clientRect;
            if (tree)
                UpdateWindowAndDragImage(tree, area, scrolled, !willMove);
            else
                viewport()->update(area);
        };
        if (hit.HitNode != FDropTargetNode || newMode != FLastDropMode) {
            FLastDropMode = newMode;
            if (hit.HitNode != FDropTargetNode) {
                StopTimer(1);
                PLazyNode old = FDropTargetNode;
                FDropTargetNode = hit.HitNode;
                if (FFocusedColumn < 0) FFocusedColumn = MainColumn();
                QRect area = rowRect.toQRect();
                if (old) {
                    const QRect oldRect = GetDisplayRect(old, NoColumn, false).toQRect();
                    area = FDropTargetNode ? area.united(oldRect) : oldRect;
                }
                repaint(area);
                if (FDropTargetNode && FDropTargetNode->States.Contains(vsHasChildren) &&
                    TreeOptions().AutoOptions().Contains(TLTAutoOption::toAutoDropExpand))
                    StartTimer(1, int(AutoExpandDelay));
            } else {
                repaint(rowRect.toQRect());
            }
        } else if (tree && scrolled) {
            UpdateWindowAndDragImage(tree, clientRect, true, !willMove);
        }
        if (tree && willMove) tree->DragImage().DragTo(Pt);
        Effect = SuggestDropEffect(Source, shift, client, Effect);
        if (!DoDragOver(Source, shift, DragState, client, FLastDropMode, Effect)) Effect = DROPEFFECT_NONE;
        if (scrolled) Effect |= DROPEFFECT_SCROLL;
        return S_OK;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

void TBaseLazyTree::DragLeave() {
    StopTimer(1);
    StopTimer(4);
    if (TBaseLazyTree* tree = DragManager().DragSourceTree()) tree->DragImage().HideDragImage();
    if (PLazyNode target = FDropTargetNode) {
        FDropTargetNode = nullptr;
        InvalidateNode(target);
    }
    int effect = DROPEFFECT_NONE;
    DoDragOver(nullptr, {}, TDragState::dsDragLeave, QPoint(0, 0), FLastDropMode, effect);
}

int32_t TBaseLazyTree::DragDrop(const QMimeData* DataObject, TShiftState KeyState, QPoint Pt, int& Effect) {
    StopTimer(1);
    StopTimer(4);
    DoStateChange({}, {tsScrolling, tsScrollPending});
    QObject* source = DragManager().DragSource();
    int32_t result = DragOver(source, KeyState, TDragState::dsDragMove, Pt, Effect);
    if (result != S_OK || (Effect & ~DROPEFFECT_SCROLL) == 0) {
        result = E_FAIL;
    } else {
        TShiftState shift = KeyState;
        if (FStates.Contains(tsRightButtonDown))
            shift.include(plat::ssRight);
        else if (FStates.Contains(tsMiddleButtonDown))
            shift.include(plat::ssMiddle);
        else
            shift.include(plat::ssLeft);
        const QPoint client = viewport()->mapFromGlobal(Pt);
        Effect &= ~DROPEFFECT_SCROLL;
        bool raised = true;
        plat::guarded([&] {
            DoDragDrop(source, DataObject, DataObject ? DataObject->formats() : QStringList{}, shift, client, Effect,
                       FLastDropMode);
            raised = false;
        });
        if (raised) result = E_UNEXPECTED;
    }
    if (PLazyNode target = FDropTargetNode) {
        FDropTargetNode = nullptr;
        InvalidateNode(target);
    }
    return result;
}

int TBaseLazyTree::SuggestDropEffect(QObject* Source, TShiftState Shift, QPoint, int AllowedEffects) {
    int result = AllowedEffects;
    if (Source == this) {
        if (AllowedEffects & DROPEFFECT_MOVE) result = DROPEFFECT_MOVE;
    } else if (AllowedEffects & DROPEFFECT_COPY) {
        result = DROPEFFECT_COPY;
    }
    auto prefer = [&](int Effect) {
        if (AllowedEffects & Effect) result = Effect;
    };
    const bool ctrl = Shift.contains(plat::ssCtrl), shift = Shift.contains(plat::ssShift);
    if (ctrl && shift)
        prefer(DROPEFFECT_LINK);
    else if (ctrl)
        prefer(DROPEFFECT_COPY);
    else if (shift)
        prefer(DROPEFFECT_MOVE);
    else if (Shift.contains(plat::ssAlt))
        prefer(DROPEFFECT_LINK);
    return result;
}

TDropMode TBaseLazyTree::DetermineDropMode(QPoint P, THitInfo& HitInfo, const TRect& NodeRect) {
    const auto misc = TreeOptions().MiscOptions();
    const bool fullRow = HitInfo.HitPositions.Contains(hiOnItem) &&
                         (misc.Contains(TLTMiscOption::toFullRowDrag) ||
                          TreeOptions().SelectionOptions().Contains(TLTSelectionOption::toFullRowSelect));
    const bool offLabel = !HitInfo.HitPositions.Contains(hiOnItemLabel) &&
                          !HitInfo.HitPositions.Contains(hiOnNormalIcon) &&
                          !HitInfo.HitPositions.Contains(hiOnStateIcon);
    if (misc.Contains(TLTMiscOption::toReportMode) && !fullRow && (offLabel || HitInfo.HitColumn != MainColumn()))
        HitInfo.HitNode = nullptr;
    if (!HitInfo.HitNode) return dmNowhere;
    if (offLabel && TreeOptions().PaintOptions().Contains(TLTPaintOption::toShowDropmark))
        return P.y() < (NodeRect.Top + NodeRect.Bottom) / 2 ? dmAbove : dmBelow;
    return dmOnNode;
}

void TBaseLazyTree::DoPaintDropMark(TCanvas& Canvas, PLazyNode, const TRect& R) {
    if (FLastDropMode != dmAbove && FLastDropMode != dmBelow) return;
    const plat::TPenStyle penStyle = Canvas.Pen().Style();
    const plat::TColor brushColor = Canvas.Brush().Color();
    Canvas.Pen().SetStyle(plat::psClear);
    Canvas.Brush().SetColor(FColors.DropMarkColor());
    // A bar along the row's edge with bevelled ends, pointing into the gap the nodes go to.
    if (FLastDropMode == dmAbove)
        Canvas.Polygon({QPoint(R.Left + 2, R.Top), QPoint(R.Right - 2, R.Top), QPoint(R.Right - 2, R.Top + 6),
                        QPoint(R.Right - 6, R.Top + 2), QPoint(R.Left + 6, R.Top + 2), QPoint(R.Left + 2, R.Top + 6)});
    else
        Canvas.Polygon({QPoint(R.Left + 2, R.Bottom - 1), QPoint(R.Right - 2, R.Bottom - 1),
                        QPoint(R.Right - 2, R.Bottom - 8), QPoint(R.Right - 7, R.Bottom - 3),
                        QPoint(R.Left + 7, R.Bottom - 3), QPoint(R.Left + 2, R.Bottom - 8)});
    Canvas.Pen().SetStyle(penStyle);
    Canvas.Brush().SetColor(brushColor);
}

void TBaseLazyTree::DoDragExpand() {
    StopTimer(1);
    PLazyNode target = FDropTargetNode;
    if (!target || !target->States.Contains(vsHasChildren) || target->States.Contains(vsExpanded)) return;
    TBaseLazyTree* source = DragManager().DragSourceTree();
    if (source) source->DragImage().HideDragImage();
    ToggleNode(target);
    viewport()->repaint();
    if (source) source->DragImage().ShowDragImage();
}

bool TBaseLazyTree::DoDragOver(QObject* Source, TShiftState Shift, TDragState State, QPoint Pt, TDropMode Mode,
                               int& Effect) {
    bool accept = false;
    if (OnDragOver) OnDragOver(this, Source, Shift, State, Pt, Mode, Effect, accept);
    return accept;
}

void TBaseLazyTree::DoDragDrop(QObject* Source, const QMimeData* DataObject, const QStringList& Formats,
                               TShiftState Shift, QPoint Pt, int& Effect, TDropMode Mode) {
    if (OnDragDrop) OnDragDrop(this, Source, DataObject, Formats, Shift, Pt, Effect, Mode);
}

bool TBaseLazyTree::ProcessDrop(const QMimeData* DataObject, PLazyNode TargetNode, int& Effect,
                                TLTNodeAttachMode Mode) {
    if (Mode == TLTNodeAttachMode::amNoWhere) {
        Effect = DROPEFFECT_NONE;
        return false;
    }
    bool result = false;
    BeginUpdate();
    // The source may go while the nodes arrive (a handler frees it): its update is then gone too.
    const QPointer<TBaseLazyTree> source = GetTreeFromDataObject(DataObject);
    if (source) source->BeginUpdate();
    try {
        if ((Effect & DROPEFFECT_MOVE) && source) {
            result = ProcessOLEData(source, DataObject, TargetNode, Mode, (Effect & DROPEFFECT_COPY) == 0);
            // Moved directly: the source has nothing left to delete.
            Effect = DROPEFFECT_NONE;
        } else if (Effect & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) {
            bool allArrived = false;
            result = ProcessOLEData(source, DataObject, TargetNode, Mode, false, allArrived);
            // A source told "moved" deletes its nodes: only when every one of them is here.
            if ((Effect & DROPEFFECT_MOVE) && !(result && allArrived)) Effect = DROPEFFECT_NONE;
        }
    } catch (...) {
        Effect = DROPEFFECT_NONE;
        result = false;
    }
    if (source) source->EndUpdate();
    EndUpdate();
    return result;
}

// ---- Qt's drag events ----

void TBaseLazyTree::HandleDragEvent(QDropEvent* event, DragEventKind Kind) {
    const QPoint global = viewport()->mapToGlobal(event->position().toPoint());
    const TShiftState keys = plat::ShiftStateOf(event->modifiers(), event->buttons());
    int effect = int(event->possibleActions()) & kAllEffects;
    FDragKeyState = keys;
    FDragPos = global;
    FDragAllowed = effect;
    ILTDragManager& manager = DragManager();
    int32_t result = S_OK;
    switch (Kind) {
        case DragEventKind::Enter:
            result = manager.DragEnter(event->mimeData(), event->source(), keys, global, effect);
            break;
        case DragEventKind::Move:
            result = manager.DragOver(keys, global, effect);
            break;
        case DragEventKind::Drop:
            result = manager.Drop(event->mimeData(), keys, global, effect);
            break;
    }
    if (result != S_OK) effect = DROPEFFECT_NONE;
    const Qt::DropAction action = ActionOf(effect & kAllEffects);
    event->setDropAction(action);
    // The enter is always taken: Qt sends the moves (and the leave) only to a widget that took it.
    event->setAccepted(Kind == DragEventKind::Enter || action != Qt::IgnoreAction);
    // While the mouse rests in a scroll zone the drag-over repeats on the auto-scroll timer.
    if (Kind != DragEventKind::Drop && FDragScrollStarted)
        StartTimer(4, kDragOverRepeatMs);
    else
        StopTimer(4);
}

void TBaseLazyTree::DropTargetRepeat() {
    if (!FDragScrollStarted) {
        StopTimer(4);
        return;
    }
    int effect = FDragAllowed;
    DragManager().DragOver(FDragKeyState, FDragPos, effect);
}

void TBaseLazyTree::dragEnterEvent(QDragEnterEvent* event) {
    plat::guarded([&] { HandleDragEvent(event, DragEventKind::Enter); });
}

void TBaseLazyTree::dragMoveEvent(QDragMoveEvent* event) {
    plat::guarded([&] { HandleDragEvent(event, DragEventKind::Move); });
}

void TBaseLazyTree::dragLeaveEvent(QDragLeaveEvent* event) {
    plat::guarded([&] { DragManager().DragLeave(); });
    event->accept();
}

void TBaseLazyTree::dropEvent(QDropEvent* event) {
    plat::guarded([&] { HandleDragEvent(event, DragEventKind::Drop); });
}
