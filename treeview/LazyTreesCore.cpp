// The tree's frame: construction and destruction, dispatchers, tree states, timers, long operations,
// the plain properties, copying settings and the font scaling check.
#include "treeview/LazyTreesCore.h"

#include <algorithm>

#include "platform/Numbers.h"
#include "treeview/LazyTrees.WorkerThread.h"

using enum TLazyTreeState;

TLazyTreeCore::TLazyTreeCore() {
    lazytree::InitializeTreeGlobals();
    FFont.OnChange = [this] { FontChanged(); };
    FOptions = std::make_unique<TCustomLazyTreeOptions>(this);
    InitRootNode(0);
    lazytree::AcquireWorkerThread();
}

TLazyTreeCore::~TLazyTreeCore() {
    try {
        DestroyNodes();
    } catch (...) {
        // A handler that raises while the tree goes cannot stop it; the blocks go with the slabs.
    }
    try {
        lazytree::ReleaseWorkerThread(this);
    } catch (...) {
        // A state-change handler that raises cannot keep the tree alive.
    }
    std::free(FRoot);
}

void TLazyTreeCore::SetHost(ILazyTreeHost* Host) {
    if (Host == FHost) return;
    // The worker reaches the window through the host: it must not be building while it changes.
    InterruptValidation();
    FHost = Host;
}

void TLazyTreeCore::DestroyNodes() {
    if (FDestroying) return;
    FDestroying = true;
    InterruptValidation();
    // Clear must work on a read-only tree that goes.
    FOptions->FMiscOptions -= TLTMiscOption::toReadOnly;
    CancelEditNode();
    Clear();
}

// ---- Dispatchers ----

void TLazyTreeCore::DoInitNode(PLazyNode Parent, PLazyNode Node, TLazyNodeInitStates& InitStates) {
    if (OnInitNode) OnInitNode(this, Parent, Node, InitStates);
}

bool TLazyTreeCore::DoInitChildren(PLazyNode Node, uint32_t& ChildCount) {
    if (!OnInitChildren) return false;
    OnInitChildren(this, Node, ChildCount);
    return true;
}

void TLazyTreeCore::DoGetNodeDataSize(int& Size) {
    Size = 4;
    if (OnGetNodeDataSize) OnGetNodeDataSize(this, Size);
}

void TLazyTreeCore::DoStructureChange(PLazyNode Node, TChangeReason Reason) {
    StopTimer(6);
    if (OnStructureChange) OnStructureChange(this, Node, Reason);
    DoStateChange({}, {tsStructureChangePending});
    FLastStructureChangeNode = nullptr;
    FLastStructureChangeReason = TChangeReason::crIgnore;
}

void TLazyTreeCore::DoUpdating(TLTUpdateState State) {
    if (OnUpdating) OnUpdating(this, State);
}

void TLazyTreeCore::DoResetNode(PLazyNode Node) {
    if (OnResetNode) OnResetNode(this, Node);
}

bool TLazyTreeCore::DoNodeMoving(PLazyNode Node, PLazyNode NewParent) {
    bool allowed = true;
    if (OnNodeMoving) OnNodeMoving(this, Node, NewParent, allowed);
    return allowed;
}

void TLazyTreeCore::DoNodeMoved(PLazyNode Node) {
    if (OnNodeMoved) OnNodeMoved(this, Node);
}

bool TLazyTreeCore::DoNodeCopying(PLazyNode Node, PLazyNode NewParent) {
    bool allowed = true;
    if (OnNodeCopying) OnNodeCopying(this, Node, NewParent, allowed);
    return allowed;
}

void TLazyTreeCore::DoNodeCopied(PLazyNode Node) {
    if (OnNodeCopied) OnNodeCopied(this, Node);
}

void TLazyTreeCore::DoMeasureItem(TCanvas* TargetCanvas, PLazyNode Node, int& NodeHeight) {
    if (!Node->States.Contains(TLazyNodeState::vsInitialized)) InitNode(Node);
    if (OnMeasureItem) OnMeasureItem(this, TargetCanvas, Node, NodeHeight);
}

void TLazyTreeCore::DoStartOperation(TLTOperationKind OperationKind) {
    if (OnStartOperation) OnStartOperation(this, OperationKind);
}

void TLazyTreeCore::DoEndOperation(TLTOperationKind OperationKind) {
    if (OnEndOperation) OnEndOperation(this, OperationKind);
}

void TLazyTreeCore::DoChange(PLazyNode Node) {
    StopTimer(5);
    if (OnChange) OnChange(this, Node);
    DoStateChange({}, {tsChangePending});
    FLastChangedNode = nullptr;
}

// ---- Tree states ----

TLazyTreeStates lazytree::StatesFromWorkerMask(uint32_t Mask) {
    TLazyTreeStates states;
    if (Mask & 1) states += tsStopValidation;
    if (Mask & 2) states += tsUseCache;
    if (Mask & 4) states += tsValidating;
    if (Mask & 8) states += tsValidationNeeded;
    return states;
}

void TLazyTreeCore::DoStateChange(TLazyTreeStates Enter, TLazyTreeStates Leave) {
    const TLazyTreeStates actual = (Enter - FStates) + (FStates * Leave);
    if (OnStateChange && !actual.Empty()) OnStateChange(this, Enter, Leave);
    FStates = (FStates + Enter) - Leave;
    if (actual.Contains(tsUseCache)) ++FCacheGeneration;
    if (Enter.Contains(tsStopValidation) || Leave.Contains(tsStopValidation))
        FStopValidation.store(FStates.Contains(tsStopValidation));
}

// ---- Timers ----

void TLazyTreeCore::StartTimer(int Id, int IntervalMs) {
    if (!HasWindow()) return;
    FHost->StartTimer(Id, IntervalMs);
    FTimersStarted |= 1u << Id;
}

void TLazyTreeCore::StopStartedTimer(int Id) {
    FTimersStarted &= ~(1u << Id);
    if (HasWindow()) FHost->StopTimer(Id);
}

void TLazyTreeCore::TimerExpired(int Id) {
    switch (Id) {
        case 5:  // delayed OnChange
            StopTimer(5);
            if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
            break;
        case 6:  // delayed OnStructureChange
            if (FStates.Contains(tsStructureChangePending))
                DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
            else
                StopTimer(6);
            break;
        case 7:  // incremental-search timeout
            DoStateChange({}, {tsIncrementalSearching});
            StopTimer(7);
            SearchBuffer.clear();
            FLastSearchNode = nullptr;
            break;
        case 8:  // theme change settled
            StopTimer(8);
            if (FHost) FHost->RecreateWindow();
            break;
        default:
            // 1, 2 and 4 belong to drag-and-drop, editing and auto-scrolling; 3 is the header's.
            break;
    }
}

// ---- Long operations ----

void TLazyTreeCore::StartOperation(TLTOperationKind OperationKind) {
    ++FOperationCount;
    DoStartOperation(OperationKind);
    if (FOperationCount == 1) FOperationCanceled = false;
}

void TLazyTreeCore::EndOperation(TLTOperationKind OperationKind) {
    lazytree::Assert(FOperationCount > 0, "EndOperation must not be called when no operation in progress.");
    --FOperationCount;
    DoEndOperation(OperationKind);
}

void TLazyTreeCore::CancelOperation() {
    if (FOperationCount > 0) FOperationCanceled = true;
}

// ---- Host services ----

plat::TRect TLazyTreeCore::InvalidateNode(PLazyNode) {
    // Until rows have positions, a node's repaint is the whole client area.
    if (FUpdateCount != 0 || !HasWindow()) return {-1, -1, -1, -1};
    Invalidate();
    const QSize client = FHost->ClientSize();
    return {0, 0, client.width(), client.height()};
}

void TLazyTreeCore::Invalidate() {
    if (HasWindow()) FHost->Invalidate();
}

void TLazyTreeCore::InvalidateFrame() {
    if (HasWindow()) FHost->InvalidateFrame();
}

void TLazyTreeCore::UpdateScrollBars(bool) {
    if (FUpdateCount == 0 && HasWindow()) FHost->UpdateScrollRange(FRangeX, RangeY());
}

// ---- Appearance ----

void TLazyTreeCore::ColorsChanged(int Index) {
    if (!HasWindow()) return;
    if (Index == TLTColors::TreeLineColorIndex || Index == -1) BuildButtonBitmaps();
    if (Index == TLTColors::BorderColorIndex || Index == -1) InvalidateFrame();
    if (Index != TLTColors::BorderColorIndex) Invalidate();
}

void TLazyTreeCore::SetColor(plat::TColor Value) {
    if (Value == FColor) return;
    FColor = Value;
    BuildButtonBitmaps();
    Invalidate();
}

void TLazyTreeCore::FontChanged() {
    AutoScaleCheck();
    BuildButtonBitmaps();
    Invalidate();
}

void TLazyTreeCore::SystemColorsChanged() {
    Invalidate();
}

// ---- Properties ----

void TLazyTreeCore::SetBottomSpace(int Value) {
    if (Value == FBottomSpace) return;
    FBottomSpace = Value;
    UpdateScrollBars(true);
}

void TLazyTreeCore::SetIndent(uint32_t Value) {
    if (Value == FIndent) return;
    FIndent = Value;
    if (FUpdateCount == 0 && HasWindow()) {
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TLazyTreeCore::SetMargin(int Value) {
    if (Value == FMargin) return;
    FMargin = Value;
    Invalidate();
}

void TLazyTreeCore::SetTextMargin(int Value) {
    if (Value == FTextMargin) return;
    FTextMargin = Value;
    Invalidate();
}

void TLazyTreeCore::SetAlignment(TAlignment Value) {
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TLazyTreeCore::SetNodeAlignment(TLTNodeAlignment Value) {
    if (Value == FNodeAlignment) return;
    FNodeAlignment = Value;
    Invalidate();
}

void TLazyTreeCore::SetSelectionCurveRadius(int Value) {
    if (Value == FSelectionCurveRadius) return;
    FSelectionCurveRadius = Value;
    Invalidate();
}

void TLazyTreeCore::SetLineMode(TLTLineMode Value) {
    if (Value == FLineMode) return;
    FLineMode = Value;
    Invalidate();
}

void TLazyTreeCore::SetEmptyListMessage(const QString& Value) {
    if (Value == FEmptyListMessage) return;
    FEmptyListMessage = Value;
    Invalidate();
}

void TLazyTreeCore::SetAnimationDuration(uint32_t Value) {
    FAnimationDuration = Value;
    TLTAnimationOptions options = FOptions->AnimationOptions();
    if (Value == 0)
        options -= TLTAnimationOption::toAnimatedToggle;
    else
        options += TLTAnimationOption::toAnimatedToggle;
    FOptions->SetAnimationOptions(options);
}

void TLazyTreeCore::Assign(const TLazyTreeCore& Source) {
    if (ReadOnly())
        throw std::logic_error(std::string("Cannot assign a ") + Source.ClassName() + " to a " + ClassName() + ".");
    SetColor(Source.FColor);
    SetColors(Source.FColors);
    FFont.Assign(Source.FFont);
    AutoScrollDelay = Source.AutoScrollDelay;
    AutoScrollInterval = Source.AutoScrollInterval;
    SetChangeDelay(Source.FChangeDelay);
    CheckImageKind = Source.CheckImageKind;
    SetDefaultNodeHeight(Source.FDefaultNodeHeight);
    DefaultPasteMode = Source.DefaultPasteMode;
    DragImageKind = Source.DragImageKind;
    HintAnimation = Source.HintAnimation;
    HintMode = Source.HintMode;
    HotCursor = Source.HotCursor;
    SetIndent(Source.FIndent);
    SetMargin(Source.FMargin);
    SetNodeAlignment(Source.FNodeAlignment);
    ChangeNodeLayout(Source.FNodeDataSize, Source.FDataType);
    SetTreeOptions(*Source.FOptions);
    SetRootNodeCount(Source.FRoot->ChildCount);
    SetSelectionCurveRadius(Source.FSelectionCurveRadius);
    SelectionBlendFactor = Source.SelectionBlendFactor;
    SetEmptyListMessage(Source.FEmptyListMessage);
}

// ---- Scaling ----

void TLazyTreeCore::AutoScaleCheck() {
    if (!FHost || !FOptions->AutoOptions().Contains(TLTAutoOption::toAutoChangeScale)) return;
    const int height = FHost->TextHeight(QStringLiteral("Tg"));
    if (height > static_cast<int>(FDefaultNodeHeight)) SetDefaultNodeHeight(static_cast<uint32_t>(height));
}

void TLazyTreeCore::ChangeScale(int M, int D) {
    if (M == D || !FOptions->AutoOptions().Contains(TLTAutoOption::toAutoChangeScale)) return;
    SetDefaultNodeHeight(static_cast<uint32_t>(std::max(plat::MulDiv(int32_t(FDefaultNodeHeight), M, D), 0)));
    SetIndent(static_cast<uint32_t>(std::max(plat::MulDiv(int32_t(FIndent), M, D), 0)));
}
