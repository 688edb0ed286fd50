// Tree structure: building, linking, deleting and initialising nodes; counts and heights; update
// brackets and the announcement of structure changes.
#include <algorithm>
#include <cstring>
#include <exception>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;
using enum TLTNodeAttachMode;
using enum TChangeReason;

namespace {

bool IsRootNode(PLazyNode n) {
    return n->NextSibling == n;
}

// The node after n in pre-order inside Top's subtree (Top excluded), descending into n's children
// only when Descend is true; nil at the end of the subtree.
PLazyNode NextInSubtree(PLazyNode n, PLazyNode Top, bool Descend) {
    if (Descend && n->FirstChild) return n->FirstChild;
    while (n != Top) {
        if (n->NextSibling) return n->NextSibling;
        n = n->Parent;
    }
    return nullptr;
}

// Runs body, then always runs after; an exception from body passes on after `after` ran.
template <typename Body, typename After>
void WithFinally(Body&& body, After&& after) {
    try {
        body();
    } catch (...) {
        after();
        throw;
    }
    after();
}

}  // namespace

// ---- 1. Counts and heights ----

void TLazyTreeCore::AdjustTotalHeight(PLazyNode Node, int64_t Value, bool Relative) {
    if (!Relative) Value -= Node->TotalHeight;
    if (Value == 0) return;
    for (PLazyNode n = Node;;) {
        n->TotalHeight = static_cast<uint32_t>(int64_t(n->TotalHeight) + Value);
        if (!n->States.Contains(vsVisible) || IsRootNode(n)) break;
        PLazyNode parent = n->Parent;
        if (!parent || !parent->States.Contains(vsExpanded)) break;
        n = parent;
    }
}

void TLazyTreeCore::FixupTotalCount(PLazyNode Node) {
    // Post-order: a node's count is complete before it is added to its parent's.
    PLazyNode n = Node;
    while (n->FirstChild) n = n->FirstChild;
    while (n != Node) {
        PLazyNode parent = n->Parent;
        parent->TotalCount += n->TotalCount;
        if (n->NextSibling) {
            n = n->NextSibling;
            while (n->FirstChild) n = n->FirstChild;
        } else {
            n = parent;
        }
    }
}

void TLazyTreeCore::FixupTotalHeight(PLazyNode Node) {
    PLazyNode n = Node;
    while (n->FirstChild) n = n->FirstChild;
    while (n != Node) {
        PLazyNode parent = n->Parent;
        if (parent->States.Contains(vsExpanded) && n->States.Contains(vsVisible)) parent->TotalHeight += n->TotalHeight;
        if (n->NextSibling) {
            n = n->NextSibling;
            while (n->FirstChild) n = n->FirstChild;
        } else {
            n = parent;
        }
    }
}

uint32_t TLazyTreeCore::CountVisibleChildren(PLazyNode Node) const {
    uint32_t count = 0;
    if (!Node->States.Contains(vsExpanded) || !Node->FirstChild) return 0;
    for (PLazyNode n = Node->FirstChild; n;) {
        bool descend = false;
        if (n->States.Contains(vsVisible)) {
            if (IsEffectivelyVisible(n)) ++count;
            descend = n->States.Contains(vsExpanded);
        }
        n = NextInSubtree(n, Node, descend);
    }
    return count;
}

void TLazyTreeCore::UpdateChildrenHiddenFlag(PLazyNode Node) {
    if (!Node || Node == FRoot) return;
    bool allHidden = Node->FirstChild != nullptr;
    for (PLazyNode c = Node->FirstChild; c && allHidden; c = c->NextSibling)
        if (IsEffectivelyVisible(c)) allHidden = false;
    if (allHidden)
        Node->States += vsAllChildrenHidden;
    else
        Node->States -= vsAllChildrenHidden;
}

void TLazyTreeCore::UpdateAllChildrenHiddenFlags() {
    for (PLazyNode n = FRoot->FirstChild; n; n = NextInSubtree(n, FRoot, true))
        if (n->FirstChild || n->States.Contains(vsAllChildrenHidden)) UpdateChildrenHiddenFlag(n);
}

// ---- 2. Linking and unlinking ----

void TLazyTreeCore::InternalConnectNode(PLazyNode Node, PLazyNode Destination, TLazyTreeCore* Target,
                                        TLTNodeAttachMode Mode) {
    switch (Mode) {
        case amInsertBefore: {
            Node->Parent = Destination->Parent;
            Node->PrevSibling = Destination->PrevSibling;
            Node->NextSibling = Destination;
            Node->Index = Destination->Index;
            if (Node->PrevSibling)
                Node->PrevSibling->NextSibling = Node;
            else
                Node->Parent->FirstChild = Node;
            Destination->PrevSibling = Node;
            for (PLazyNode n = Destination; n; n = n->NextSibling) ++n->Index;
            break;
        }
        case amInsertAfter: {
            Node->Parent = Destination->Parent;
            Node->PrevSibling = Destination;
            Node->NextSibling = Destination->NextSibling;
            Node->Index = Destination->Index + 1;
            if (Node->NextSibling)
                Node->NextSibling->PrevSibling = Node;
            else
                Node->Parent->LastChild = Node;
            Destination->NextSibling = Node;
            for (PLazyNode n = Node->NextSibling; n; n = n->NextSibling) ++n->Index;
            break;
        }
        case amAddChildFirst: {
            Node->Parent = Destination;
            Node->PrevSibling = nullptr;
            Node->NextSibling = Destination->FirstChild;
            Node->Index = 0;
            if (Destination->FirstChild)
                Destination->FirstChild->PrevSibling = Node;
            else
                Destination->LastChild = Node;
            Destination->FirstChild = Node;
            for (PLazyNode n = Node->NextSibling; n; n = n->NextSibling) ++n->Index;
            break;
        }
        case amAddChildLast: {
            Node->Parent = Destination;
            Node->PrevSibling = Destination->LastChild;
            Node->NextSibling = nullptr;
            Node->Index = Destination->LastChild ? Destination->LastChild->Index + 1 : 0;
            if (Destination->LastChild)
                Destination->LastChild->NextSibling = Node;
            else
                Destination->FirstChild = Node;
            Destination->LastChild = Node;
            break;
        }
        case amNoWhere:
            break;
    }
    Node->States -= TLazyNodeStates{vsChecking, vsCutOrCopy, vsDeleting};
    if (Mode == amNoWhere) return;

    PLazyNode parent = Node->Parent;
    ++parent->ChildCount;
    parent->States += vsHasChildren;
    Target->AdjustTotalCount(parent, Node->TotalCount, true);
    if (parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible)) {
        Target->AdjustTotalHeight(parent, Node->TotalHeight, true);
        if (Target->FullyVisible(Node))
            Target->FVisibleCount += Target->CountVisibleChildren(Node) + (Target->IsEffectivelyVisible(Node) ? 1 : 0);
    }
    if (parent != Target->FRoot) {
        if (Target->IsEffectivelyVisible(Node))
            parent->States -= vsAllChildrenHidden;
        else if (parent->ChildCount == 1)
            parent->States += vsAllChildrenHidden;
    }
}

void TLazyTreeCore::InternalDisconnectNode(PLazyNode Node, bool KeepFocus, bool Reindex, bool ParentClearing) {
    lazytree::Assert(Node && Node != FRoot, "Node must neither be nil nor the root node.");
    if (Node == FFocusedNode && !KeepFocus) {
        // The focused node is the one edited: its edit ends before it goes, whatever the editor says.
        if (FStates.Contains(tsEditing) || FStates.Contains(tsEditPending)) AbandonEdit();
        ChangeFocusedNode(nullptr, false);
        DoFocusChange(FFocusedNode, FFocusedColumn);
    }
    if (Node == FRangeAnchor) ResetRangeAnchor();
    PLazyNode parent = Node->Parent;
    if (parent != FRoot && !ParentClearing) {
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else
            UpdateChildrenHiddenFlag(parent);
    }
    if (Node->States.Contains(vsDeleting)) return;

    Node->States -= vsChecking;
    // Whether the node took space and counted as visible is decided before its parent may collapse.
    const bool adjustHeight = parent->States.Contains(vsExpanded) && Node->States.Contains(vsVisible);
    const uint32_t visibleDrop =
        FullyVisible(Node) ? CountVisibleChildren(Node) + (IsEffectivelyVisible(Node) ? 1 : 0) : 0;
    --parent->ChildCount;
    if (parent->ChildCount == 0) {
        parent->States -= TLazyNodeStates{vsAllChildrenHidden, vsHasChildren};
        if (parent != FRoot) parent->States -= vsExpanded;
    }
    AdjustTotalCount(parent, -int64_t(Node->TotalCount), true);
    if (adjustHeight) AdjustTotalHeight(parent, -int64_t(Node->TotalHeight), true);
    FVisibleCount -= visibleDrop;

    if (Node->PrevSibling)
        Node->PrevSibling->NextSibling = Node->NextSibling;
    else
        parent->FirstChild = Node->NextSibling;
    if (Node->NextSibling) {
        Node->NextSibling->PrevSibling = Node->PrevSibling;
        if (Reindex) {
            uint32_t index = Node->Index;
            for (PLazyNode n = Node->NextSibling; n; n = n->NextSibling) n->Index = index++;
        }
    } else {
        parent->LastChild = Node->PrevSibling;
    }
    Node->PrevSibling = nullptr;
    Node->NextSibling = nullptr;
}

// ---- 3. Update brackets ----

void TLazyTreeCore::SetUpdateState(bool Updating) {
    if (FHost && FHost->HasWindow()) FHost->SetRedraw(!Updating);
}

void TLazyTreeCore::BeginUpdate() {
    if (FHost && !FHost->IsMainThread())
        throw ELazyTreeAssertion(std::string("UI controls like ") + ClassName() +
                                 " should only be manipulated through the main thread.");
    if (!FDestroying) {
        if (FUpdateCount == 0) {
            DoUpdating(TLTUpdateState::usBegin);
            SetUpdateState(true);
        } else {
            DoUpdating(TLTUpdateState::usUpdate);
        }
    }
    ++FUpdateCount;
    DoStateChange({tsUpdating});
}

void TLazyTreeCore::EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
    if (FDestroying) return;
    if (FUpdateCount == 0 && FStates.Contains(tsUpdating)) {
        if (FStates.Contains(tsUpdateHiddenChildrenNeeded)) {
            UpdateAllChildrenHiddenFlags();
            DoStateChange({}, {tsUpdateHiddenChildrenNeeded});
        }
        DoStateChange({}, {tsUpdating});
        CompactSelection();
        InvalidateCache();
        RequestCacheValidation();
        if (HasWindow()) UpdateScrollBars(false);
        // Painting comes back on also when a handler raises.
        WithFinally(
            [&] {
                if (FStates.Contains(tsStructureChangePending))
                    DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
                if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
            },
            [&] {
                if (AutoSortActive()) SortTree(SortColumn(), SortDirection(), true);
                SetUpdateState(false);
                if (HasWindow()) Invalidate();
            });
    }
    if (FUpdateCount > 0) {
        DoUpdating(TLTUpdateState::usUpdate);
    } else {
        DoUpdating(TLTUpdateState::usEnd);
        EnsureNodeSelected();
    }
}

void TLazyTreeCore::BeginSynch() {
    if (FSynchUpdateCount == 0 && !FDestroying) {
        DoUpdating(TLTUpdateState::usBeginSynch);
        for (int id : {5, 6, 1, 2, 3, 4, 7}) StopTimer(id);
        SearchBuffer.clear();
        FLastSearchNode = nullptr;
        DoStateChange({}, {tsEditPending, tsIncrementalSearching, tsScrolling, tsScrollPending});
        if (FStates.Contains(tsStructureChangePending))
            DoStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
        if (FStates.Contains(tsChangePending)) DoChange(FLastChangedNode);
    } else if (!FDestroying) {
        DoUpdating(TLTUpdateState::usSynch);
    }
    ++FSynchUpdateCount;
    DoStateChange({tsSynchMode});
}

void TLazyTreeCore::EndSynch() {
    if (FSynchUpdateCount > 0) --FSynchUpdateCount;
    if (FDestroying) return;
    if (FSynchUpdateCount == 0) {
        DoStateChange({}, {tsSynchMode});
        DoUpdating(TLTUpdateState::usEndSynch);
    } else {
        DoUpdating(TLTUpdateState::usSynch);
    }
}

// ---- 4. Announcing structure changes ----

void TLazyTreeCore::StructureChanged(PLazyNode Node, TChangeReason Reason) {
    RecordPendingChange(true, Node, Reason);
    if (FUpdateCount > 0) return;
    FlushStructureChange(Node, Reason);
}

void TLazyTreeCore::FlushStructureChange(PLazyNode Node, TChangeReason Reason) {
    if (FChangeDelay > 0 && HasWindow() && !FStates.Contains(tsSynchMode))
        StartTimer(6, static_cast<int>(FChangeDelay));
    else
        DoStructureChange(Node, Reason);
}

// ---- 5. Setting the number of children ----

// Inline: one AddChild is mostly this.
[[gnu::always_inline]] inline void TLazyTreeCore::AppendChildren(PLazyNode Node, uint32_t NewChildCount) {
    const uint32_t added = NewChildCount - Node->ChildCount;
    uint32_t index = Node->LastChild ? Node->LastChild->Index + 1 : 0;
    if (!Node->LastChild) Node->States += vsHasChildren;
    Node->States -= TLazyNodeStates{vsAllChildrenHidden, vsHeightMeasured};
    if (Node->States.Contains(vsExpanded) && FullyVisible(Node)) FVisibleCount += added;
    const uint32_t oldTotalHeight = Node->TotalHeight;
    const bool measure = FOptions->MiscOptions().Contains(TLTMiscOption::toVariableNodeHeight);
    uint64_t heights = 0;
    PLazyNode last = Node->LastChild;
    for (uint32_t i = 0; i < added; ++i) {
        PLazyNode child = MakeNewNode();
        child->Index = index++;
        child->Parent = Node;
        child->PrevSibling = last;
        if (last)
            last->NextSibling = child;
        else
            Node->FirstChild = child;
        Node->LastChild = last = child;
        if (measure) {
            // Measuring runs handlers, which may look at the links.
            NodeHeight(child);
            last = Node->LastChild;
        }
        heights += child->TotalHeight;
    }
    // Counts and heights climb to the root once for the whole batch.
    if (Node->States.Contains(vsExpanded)) AdjustTotalHeight(Node, int64_t(oldTotalHeight) + int64_t(heights));
    AdjustTotalCount(Node, added, true);
    Node->ChildCount = NewChildCount;
}

void TLazyTreeCore::SetChildCount(PLazyNode Node, uint32_t NewChildCount) {
    if (ReadOnly()) return;
    if (!Node) Node = FRoot;
    if (NewChildCount == 0) {
        DeleteChildren(Node, false);
        return;
    }
    if (NewChildCount == Node->ChildCount) return;
    InterruptValidation();
    if (NewChildCount > Node->ChildCount) {
        AppendChildren(Node, NewChildCount);
        if (FUpdateCount == 0 && AutoSortActive())
            Sort(Node, SortColumn(), SortDirection(), true);
        InvalidateCache();
    } else {
        while (Node->ChildCount > NewChildCount && Node->LastChild) DeleteNode(Node->LastChild);
    }
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
    }
    StructureChanged(Node == FRoot ? nullptr : Node, crChildAdded);
}

void TLazyTreeCore::SetRootNodeCount(uint32_t Value) {
    if (Value == FRoot->ChildCount) return;
    BeginUpdate();
    WithFinally(
        [&] {
            InterruptValidation();
            SetChildCount(FRoot, Value);
        },
        [&] { EndUpdate(); });
}

// ---- 6. Adding one child ----

PLazyNode TLazyTreeCore::AddChild(PLazyNode Parent, void* UserData) {
    if (ReadOnly()) return nullptr;
    CancelEditNode();
    if (!Parent) Parent = FRoot;
    // A running cache build must not see the parent change while it is initialised.
    InterruptValidation();
    const bool initialized = Parent->States.Contains(vsInitialized);
    if (!initialized) InitNode(Parent);
    // SetChildCount's growth by one child, without its second interruption of the validation: it was
    // interrupted above and no handler ran since. Inside the count guard the change is only recorded.
    const bool direct = initialized && Parent->ChildCount + 1 != 0 && !ReadOnly();
    {
        TUpdateCountGuard guard(FUpdateCount);
        if (direct) {
            AppendChildren(Parent, Parent->ChildCount + 1);
            InvalidateCache();
            RecordPendingChange(true, Parent == FRoot ? nullptr : Parent, crChildAdded);
        } else {
            SetChildCount(Parent, Parent->ChildCount + 1);
        }
        Parent->States -= vsAllChildrenHidden;
    }
    PLazyNode result = Parent->LastChild;
    if (UserData) {
        if (FNodeDataSize < static_cast<int>(sizeof(void*)))
            throw ELazyTreeAssertion(
                std::string(ClassName()) +
                ": Cannot set initial user data because there is not enough user data space allocated.");
        std::memcpy(result->Data(), &UserData, sizeof UserData);
        result->States += vsOnFreeNodeCallRequired;
    }
    // The direct growth invalidated the cache already, and nothing changed it since.
    if (!direct) InvalidateCache();
    if (FUpdateCount > 0) return result;
    RequestCacheValidation();
    // The child count recorded this change already: announce it as it stands, so that one child
    // added reads crChildAdded rather than a merge of the same change with itself.
    if (FStates.Contains(tsStructureChangePending))
        FlushStructureChange(FLastStructureChangeNode, FLastStructureChangeReason);
    if (AutoSortActive())
        Sort(Parent, SortColumn(), SortDirection(), true);
    InvalidateToBottom(Parent);
    UpdateScrollBars(true);
    return result;
}

PLazyNode TLazyTreeCore::AddChild(PLazyNode Parent, IInterface* UserData) {
    // The node takes its reference only once it holds the interface.
    PLazyNode node = AddChild(Parent, static_cast<void*>(UserData));
    if (node && UserData) {
        UserData->AddRef();
        node->States += vsReleaseCallOnUserDataRequired;
        FInterfaceData = true;
    }
    return node;
}

// ---- 7. Inserting relative to a node ----

PLazyNode TLazyTreeCore::InsertNode(PLazyNode Node, TLTNodeAttachMode Mode, void* UserData) {
    if (Mode == amNoWhere) return nullptr;
    CancelEditNode();
    if (!Node) Node = FRoot;
    PLazyNode node = MakeNewNode();
    if (Node == FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if ((Mode == amAddChildFirst || Mode == amAddChildLast) && !Node->States.Contains(vsInitialized)) {
        try {
            InitNode(Node);
        } catch (...) {
            if (FLayoutDataType && FLayoutDataType->Destroy) FLayoutDataType->Destroy(node->Data());
            FSlabs.Release(node);
            throw;
        }
    }
    // A running cache build must not see the links change; the cache is stale afterwards.
    InterruptValidation();
    InternalConnectNode(node, Node, this, Mode);
    InvalidateCache();
    if (UserData) {
        if (FNodeDataSize < static_cast<int>(sizeof(void*)))
            throw ELazyTreeAssertion(
                std::string(ClassName()) +
                ": Cannot set initial user data because there is not enough user data space allocated.");
        std::memcpy(node->Data(), &UserData, sizeof UserData);
        node->States += vsOnFreeNodeCallRequired;
    }
    if (FUpdateCount == 0) {
        if (AutoSortActive())
            Sort(Mode == amInsertBefore || Mode == amInsertAfter ? Node->Parent : Node, SortColumn(), SortDirection(), true);
        UpdateScrollBars(true);
        InvalidateToBottom(Mode == amInsertBefore ? node : Node);
    }
    StructureChanged(node, crNodeAdded);
    return node;
}

// ---- 8. Deleting ----

void TLazyTreeCore::DeleteNode(PLazyNode Node) {
    InternalDeleteNode(Node, true, false);
}

void TLazyTreeCore::InternalDeleteNode(PLazyNode Node, bool Reindex, bool ParentClearing) {
    if (!Node || Node == FRoot || ReadOnly()) return;
    lazytree::Assert(!FStates.Contains(tsIterating), "Deleting nodes during tree iteration leads to invalid pointers.");
    PLazyNode parent = Node->Parent;
    if (!ParentClearing) StructureChanged(parent == FRoot ? nullptr : parent, crChildDeleted);
    const int64_t oldX = FOffsetX, oldY = FOffsetY;
    if (!Node->States.Contains(vsSelected)) {
        InvalidateToBottom(parent);
    } else if (FUpdateCount > 0) {
        MarkRemovedFromSelection(Node);
    } else {
        const bool synch = FStates.Contains(tsSynchMode);
        if (!synch) DoStateChange({tsSynchMode});
        WithFinally([&] { RemoveFromSelection(Node); },
                    [&] {
                        if (!synch) DoStateChange({}, {tsSynchMode});
                    });
        InvalidateToBottom(parent);
    }
    if (FStates.Contains(tsHint)) {
        CancelHint();
        DoStateChange({}, {tsHint});
    }
    if (!ParentClearing) InterruptValidation();
    DeleteChildren(Node, false);
    InternalDisconnectNode(Node, false, Reindex, false);
    DoFreeNode(Node);
    if (!ParentClearing) {
        UpdateChildrenHiddenFlag(parent);
        InvalidateCache();
        if (FUpdateCount == 0) {
            RequestCacheValidation();
            UpdateScrollBars(true);
            if (oldX != FOffsetX || oldY != FOffsetY) Invalidate();
        }
    }
}

void TLazyTreeCore::DeleteChildren(PLazyNode Node, bool ResetHasChildren) {
    if (!Node) return;
    if (!Node->FirstChild || ReadOnly()) {
        if (ResetHasChildren) Node->States -= vsHasChildren;
        return;
    }
    lazytree::Assert(!FStates.Contains(tsIterating), "Deleting nodes during tree iteration leads to invalid pointers.");
    const int64_t oldX = FOffsetX, oldY = FOffsetY;
    std::exception_ptr handlerError;
    {
        TUpdateCountGuard guard(FUpdateCount);
        InterruptValidation();
        handlerError = DeleteSubtreeBelow(Node);
        if (ResetHasChildren) Node->States -= vsHasChildren;
        if (Node != FRoot) Node->States -= vsExpanded;
        Node->ChildCount = 0;
        if (Node == FRoot || Node->States.Contains(vsDeleting)) {
            Node->TotalHeight = NodeHeight(Node) + FDefaultNodeHeight;
            Node->TotalCount = 1;
        } else {
            // A node that is effectively filtered takes no room of its own.
            AdjustTotalHeight(Node, IsEffectivelyFiltered(Node) ? 0 : NodeHeight(Node));
            AdjustTotalCount(Node, 1);
        }
        Node->FirstChild = nullptr;
        Node->LastChild = nullptr;
    }
    InvalidateCache();
    if (FUpdateCount == 0) {
        CompactSelection();
        RequestCacheValidation();
        UpdateScrollBars(true);
        if (oldX != FOffsetX || oldY != FOffsetY)
            Invalidate();
        else
            InvalidateToBottom(Node);
        if (FStates.Contains(tsChangePending)) {
            DoChange(FLastChangedNode);
            EnsureNodeSelected();
        }
    }
    StructureChanged(Node, crChildDeleted);
    if (handlerError) std::rethrow_exception(handlerError);
}

// Frees every node below Top, the last child's subtree first and children before their parent,
// with the same steps and events as deleting each child list in turn, but walking the links with
// an explicit stack instead of recursing per level. Top itself stays; its child fields are left for
// the caller to reset. A handler that raises does not stop the walk, which would leave freed
// nodes linked: the first exception is handed back to be raised once the tree is whole again.
std::exception_ptr TLazyTreeCore::DeleteSubtreeBelow(PLazyNode Top) {
    if (Top == FRoot && ReleaseAllNodes()) return nullptr;
    std::exception_ptr error;
    auto finish = [&](PLazyNode n) {
        try {
            InternalDisconnectNode(n, false, false, false);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
        try {
            DoFreeNode(n);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    };
    struct Level {
        PLazyNode node;
        bool shown;      // the node's children are on screen when visible (root, or fully visible and expanded)
        PLazyNode next;  // the child to delete next, walking backwards
    };
    std::vector<Level> stack;
    stack.push_back({Top, Top == FRoot || (FullyVisible(Top) && Top->States.Contains(vsExpanded)), Top->LastChild});
    while (!stack.empty()) {
        const size_t level = stack.size() - 1;
        PLazyNode child = stack[level].next;
        if (!child) {
            PLazyNode done = stack[level].node;
            stack.pop_back();
            if (stack.empty()) break;
            // The end of DeleteChildren for a node that is itself being deleted. Its children go as
            // part of the one deletion the caller announces, so they record no change of their own
            // (which would turn the caller's crChildDeleted into crAccumulated).
            done->ChildCount = 0;
            done->States -= vsExpanded;
            done->TotalHeight = NodeHeight(done) + FDefaultNodeHeight;
            done->TotalCount = 1;
            done->FirstChild = nullptr;
            done->LastChild = nullptr;
            InvalidateCache();
            finish(done);
            continue;
        }
        const bool shown = stack[level].shown;
        PLazyNode parent = stack[level].node;
        stack[level].next = child->PrevSibling;
        if (shown && IsEffectivelyVisible(child)) --FVisibleCount;
        child->States += vsDeleting;
        if (child->PrevSibling) child->PrevSibling->NextSibling = nullptr;
        if (!child->States.Contains(vsSelected))
            InvalidateToBottom(parent);
        else
            MarkRemovedFromSelection(child);
        if (FStates.Contains(tsHint)) {
            CancelHint();
            try {
                DoStateChange({}, {tsHint});
            } catch (...) {
                if (!error) error = std::current_exception();
            }
        }
        if (child->FirstChild) {
            InterruptValidation();
            stack.push_back({child, shown && child->States.Contains(vsVisible) && child->States.Contains(vsExpanded),
                             child->LastChild});
        } else {
            finish(child);
        }
    }
    return error;
}

// The walk above without visiting a node, when none needs a step of its own: its events and
// states in the same order (a repaint, a hint cancelled, hidden-children flags wanted when a node
// below the top level goes, the cache wanted when a node with children goes), the pointers it
// forgets, and the blocks back to the slabs at once. A focused node, a range anchor or a selection
// would raise their own events node by node, so those trees take the walk.
bool TLazyTreeCore::ReleaseAllNodes() {
    if (FFocusedNode || FRangeAnchor || SelectedCount() > 0 || NodesNeedFreeStep()) return false;
    InvalidateToBottom(FRoot);
    if (FStates.Contains(tsHint)) {
        CancelHint();
        DoStateChange({}, {tsHint});
    }
    if (FRoot->TotalCount - 1 > FRoot->ChildCount) {
        DoStateChange({tsUpdateHiddenChildrenNeeded});
        InvalidateCache();
    }
    // Freeing a node moves the next node to select to its parent: in the end the root.
    ForgetNode(nullptr);
    FVisibleCount = 0;
    FSlabs.ReleaseAll();
    return true;
}

void TLazyTreeCore::DeleteSelectedNodes() {
    if (SelectedCount() == 0 || ReadOnly()) return;
    BeginUpdate();
    WithFinally(
        [&] {
            const TNodeArray nodes = GetSortedSelection(true);
            if (nodes.empty()) return;
            for (size_t i = nodes.size() - 1; i > 0; --i)
                InternalDeleteNode(nodes[i], nodes[i]->Parent != nodes[i - 1]->Parent, false);
            InternalDeleteNode(nodes[0], true, false);
        },
        [&] { EndUpdate(); });
}

void TLazyTreeCore::Clear() {
    if (!((FRoot->ChildCount > 0 && !ReadOnly()) || FDestroying)) return;
    BeginUpdate();
    WithFinally(
        [&] {
            InterruptValidation();
            if (FStates.Contains(tsEditing)) CancelEditNode();
            if (FStates.Contains(tsCutPending) || FStates.Contains(tsCopyPending)) {
                EmptyClipboardOfTree();
                DoStateChange({}, {tsCutPending, tsCopyPending});
            }
            ClearSelection();
            FFocusedNode = nullptr;
            FLastSelected = nullptr;
            FCurrentHotNode = nullptr;
            FDropTargetNode = nullptr;
            FLastChangedNode = nullptr;
            FRangeAnchor = nullptr;
            FCheckNode = nullptr;
            FLastVCLDragTarget = nullptr;
            FLastSearchNode = nullptr;
            DeleteChildren(FRoot, true);
            FOffsetX = 0;
            FOffsetY = 0;
        },
        [&] { EndUpdate(); });
}

// ---- 9. Moving and copying ----

void TLazyTreeCore::MoveTo(PLazyNode Source, PLazyNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    lazytree::Assert(!Source || TreeFromNode(Source) == this, "The source tree must contain the source node.");
    const bool insertMode = Mode == amInsertBefore || Mode == amInsertAfter;
    if (!((Target != Source || (insertMode && ChildrenOnly)) && Mode != amNoWhere && Source && Source != FRoot &&
          !ReadOnly()))
        return;
    TLazyTreeCore* targetTree = this;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    } else {
        targetTree = TreeFromNode(Target);
    }
    if (Target == targetTree->FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    if (!Target->States.Contains(vsInitialized))
        targetTree->InitNode(Target);
    else if (Target->States.Contains(vsHasChildren) && Target->ChildCount == 0)
        targetTree->InitChildren(Target);

    bool moved = false;
    if (DoNodeMoving(Source, Target == targetTree->FRoot ? nullptr : Target)) {
        if (targetTree == this) {
            if (Target != Source && Target != FRoot)
                for (PLazyNode p = Target->Parent; p != FRoot; p = p->Parent)
                    if (p == Source) lazytree::RaiseTreeError(2001);
            // A running cache build must not see the links change.
            InterruptValidation();
            if (!ChildrenOnly) {
                InternalDisconnectNode(Source, true, true);
                InternalConnectNode(Source, Target, this, Mode);
                DoNodeMoved(Source);
                moved = true;
            } else if (Mode == amAddChildFirst || Mode == amInsertAfter) {
                // Each child lands at the same place, so the last goes first and the order stays.
                for (PLazyNode c = Source->LastChild; c;) {
                    PLazyNode prev = c->PrevSibling;
                    InternalDisconnectNode(c, true, false);
                    InternalConnectNode(c, Target, this, Mode);
                    DoNodeMoved(c);
                    moved = true;
                    c = prev;
                }
            } else {
                for (PLazyNode c = Source->FirstChild; c;) {
                    PLazyNode next = c->NextSibling;
                    InternalDisconnectNode(c, true, false);
                    InternalConnectNode(c, Target, this, Mode);
                    DoNodeMoved(c);
                    moved = true;
                    c = next;
                }
            }
        } else {
            // The moved node is freed here: the change is announced without it.
            moved = MoveNodesToTree(Source, Target, targetTree, Mode, ChildrenOnly);
            if (moved) Source = nullptr;
        }
    }
    InvalidateCache();
    if (moved && FUpdateCount == 0) {
        RequestCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
        if (targetTree != this) targetTree->Invalidate();
    }
    StructureChanged(ChildrenOnly ? nullptr : Source, crNodeMoved);
}

void TLazyTreeCore::MoveTo(PLazyNode Node, TLazyTreeCore* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    if (Tree) MoveTo(Node, Tree->FRoot, Mode, ChildrenOnly);
}

PLazyNode TLazyTreeCore::CopyTo(PLazyNode Source, PLazyNode Target, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    lazytree::Assert(!Source || TreeFromNode(Source) == this, "The source tree must contain the source node.");
    if (Mode == amNoWhere || !Source || Source == FRoot) return nullptr;
    TLazyTreeCore* targetTree = this;
    if (!Target) {
        Target = FRoot;
        Mode = amAddChildFirst;
    } else {
        targetTree = TreeFromNode(Target);
    }
    if (targetTree->ReadOnly()) return nullptr;
    if (Target == targetTree->FRoot) {
        if (Mode == amInsertBefore) Mode = amAddChildFirst;
        if (Mode == amInsertAfter) Mode = amAddChildLast;
    }
    return CopyNodesToTree(Source, Target, targetTree, Mode, ChildrenOnly);
}

PLazyNode TLazyTreeCore::CopyTo(PLazyNode Source, TLazyTreeCore* Tree, TLTNodeAttachMode Mode, bool ChildrenOnly) {
    return Tree ? CopyTo(Source, Tree->FRoot, Mode, ChildrenOnly) : nullptr;
}

// MoveNodesToTree and CopyNodesToTree travel through the node stream (LazyTreesStream.cpp).

// ---- 10. Initialisation on demand ----

void TLazyTreeCore::InitNode(PLazyNode Node) {
    // A running cache build reads the node's states: it stops while they change and starts again.
    const bool rebuild = FWorkerListed && !FRunningWorkerCall;
    if (rebuild) InterruptValidation();
    Node->States += vsInitializing;
    WithFinally(
        [&] {
            TLazyNodeInitStates initStates;
            if (Node->States.Contains(vsInitialized)) initStates += TLazyNodeInitState::ivsReInit;
            const bool wasFiltered = Node->States.Contains(vsFiltered);
            Node->States += vsInitialized;
            DoInitNode(Node->Parent == FRoot ? nullptr : Node->Parent, Node, initStates);
            using enum TLazyNodeInitState;
            if (initStates.Contains(ivsDisabled)) Node->States += vsDisabled;
            if (initStates.Contains(ivsHasChildren)) Node->States += vsHasChildren;
            if (initStates.Contains(ivsSelected)) InsertIntoSelection(Node);
            if (initStates.Contains(ivsMultiline)) Node->States += vsMultiline;
            if (initStates.Contains(ivsFiltered)) {
                Node->States += vsFiltered;
                // A node filtered before already gave up its room.
                if (!FOptions->PaintOptions().Contains(TLTPaintOption::toShowFilteredNodes) && !wasFiltered) {
                    AdjustTotalHeight(Node, -int64_t(Node->NodeHeight), true);
                    if (FullyVisible(Node)) --FVisibleCount;
                    if (FUpdateCount == 0) UpdateScrollBars(true);
                }
            }
            if (Node->States.Contains(vsExpanded) != initStates.Contains(ivsExpanded)) {
                if (initStates.Contains(ivsExpanded))
                    ToggleNode(Node);
                else if (Node->States.Contains(vsHasChildren))
                    InitChildren(Node);
            }
        },
        [&] { Node->States -= vsInitializing; });
    if (rebuild && FUpdateCount == 0) RequestCacheValidation();
}

void TLazyTreeCore::InitChildren(PLazyNode Node) {
    if (!Node || Node == FRoot || !Node->States.Contains(vsHasChildren)) return;
    uint32_t count = Node->ChildCount;
    if (DoInitChildren(Node, count)) {
        SetChildCount(Node, count);
        if (count == 0) Node->States -= vsHasChildren;
    }
}

void TLazyTreeCore::ValidateSubtree(PLazyNode Node, bool IncludeNode, bool Recursive) {
    if (IncludeNode && !Node->States.Contains(vsInitialized)) InitNode(Node);
    if (!Recursive && IncludeNode) return;
    if (Node->States.Contains(vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
    for (PLazyNode n = Node->FirstChild; n; n = NextInSubtree(n, Node, Recursive)) {
        if (!n->States.Contains(vsInitialized)) InitNode(n);
        if (Recursive && n->States.Contains(vsHasChildren) && n->ChildCount == 0) InitChildren(n);
    }
}

void TLazyTreeCore::ValidateNode(PLazyNode Node, bool Recursive) {
    ValidateSubtree(Node ? Node : FRoot, true, Recursive);
}

void TLazyTreeCore::ValidateChildren(PLazyNode Node, bool Recursive) {
    ValidateSubtree(Node ? Node : FRoot, false, Recursive);
}

uint32_t TLazyTreeCore::TotalCount() {
    TUpdateCountGuard guard(FUpdateCount);
    ValidateNode(FRoot, true);
    return FRoot->TotalCount - 1;
}

void TLazyTreeCore::InitRecursive(PLazyNode Node, uint32_t Levels, bool pVisibleOnly) {
    PLazyNode top = Node ? Node : FRoot;
    // Depth below top is tracked while walking the links.
    uint32_t depth = 0;
    auto descend = [&](PLazyNode n) {
        return depth < Levels && !(pVisibleOnly && !n->States.Contains(vsExpanded)) && n->FirstChild;
    };
    if (top != FRoot && !top->States.Contains(vsInitialized)) InitNode(top);
    if (!descend(top)) return;
    PLazyNode n = top->FirstChild;
    depth = 1;
    while (n) {
        if (!n->States.Contains(vsInitialized)) InitNode(n);
        if (descend(n)) {
            n = n->FirstChild;
            ++depth;
            continue;
        }
        while (n != top && !n->NextSibling) {
            n = n->Parent;
            --depth;
        }
        n = n == top ? nullptr : n->NextSibling;
    }
}

void TLazyTreeCore::ReinitSubtree(PLazyNode Node, bool Recursive, bool IncludeNode) {
    auto reinit = [&](PLazyNode n) {
        if (n == FRoot) return;
        n->States -= TLazyNodeStates{vsChecking, vsCutOrCopy, vsDeleting, vsHeightMeasured};
        if (n->States.Contains(vsInitialized)) InitNode(n);
    };
    PLazyNode top = Node ? Node : FRoot;
    if (IncludeNode) {
        reinit(top);
        if (!Recursive) return;
    }
    InitChildren(top);
    for (PLazyNode n = top->FirstChild; n; n = NextInSubtree(n, top, Recursive)) {
        reinit(n);
        if (Recursive) InitChildren(n);
    }
}

void TLazyTreeCore::ReinitNode(PLazyNode Node, bool Recursive) {
    if ((!Node || Node == FRoot) && !Recursive) return;  // the root itself is never initialised again
    ReinitSubtree(Node, Recursive, Node != nullptr);
}

void TLazyTreeCore::ReinitChildren(PLazyNode Node, bool Recursive) {
    ReinitSubtree(Node, Recursive, false);
}

void TLazyTreeCore::ResetNode(PLazyNode Node) {
    DoCancelEdit();
    if (!Node || Node == FRoot) {
        Clear();
        return;
    }
    DoResetNode(Node);
    // The children go also on a read-only tree: the node loses its expanded and children flags
    // below, which must not leave children behind that are still counted.
    const TLTMiscOptions misc = FOptions->MiscOptions();
    FOptions->FMiscOptions -= TLTMiscOption::toReadOnly;
    WithFinally([&] { DeleteChildren(Node, false); }, [&] { FOptions->FMiscOptions = misc; });
    Node->States -= TLazyNodeStates{vsInitialized, vsChecking,    vsCutOrCopy,     vsDeleting,
                                    vsExpanded,    vsHasChildren, vsHeightMeasured};
    InvalidateNode(Node);
}

// ---- 11. Node heights ----

uint32_t TLazyTreeCore::NodeHeight(PLazyNode Node) {
    if (!Node || Node == FRoot) return 0;
    if (!FOptions->MiscOptions().Contains(TLTMiscOption::toVariableNodeHeight) || Node->States.Contains(vsDeleting))
        return Node->NodeHeight;
    if (!Node->States.Contains(vsInitialized)) InitNode(Node);
    MeasureItemHeight(nullptr, Node);
    return Node->NodeHeight;
}

void TLazyTreeCore::MeasureItemHeight(TCanvas* Canvas, PLazyNode Node) {
    if (Node->States.Contains(vsHeightMeasured)) return;
    Node->States += vsHeightMeasured;
    if (!FOptions->MiscOptions().Contains(TLTMiscOption::toVariableNodeHeight)) return;
    int height = Node->NodeHeight;
    DoMeasureItem(Canvas, Node, height);
    if (height != Node->NodeHeight) SetNodeHeight(Node, static_cast<uint32_t>(std::max(height, 0)));
}

void TLazyTreeCore::SetNodeHeight(PLazyNode Node, uint32_t Value) {
    Value = std::min<uint32_t>(Value, 65535);
    if (!Node || Node == FRoot || Node->NodeHeight == Value || ReadOnly()) return;
    // The cache build reads the heights: it stops first, unless this is the measurement it asked for.
    if (!FRunningWorkerCall) InterruptValidation();
    const int64_t difference = int64_t(Value) - Node->NodeHeight;
    Node->NodeHeight = static_cast<uint16_t>(Value);
    if (IsEffectivelyFiltered(Node)) return;
    AdjustTotalHeight(Node, difference, true);
    UpdateEditBounds();
    InvalidateCache();
    if (FStates.Contains(tsValidating) || !FullyVisible(Node) || FUpdateCount > 0 || FStates.Contains(tsPainting) ||
        FStates.Contains(tsSizing))
        return;
    RequestCacheValidation();
    InvalidateToBottom(Node);
    UpdateScrollBars(true);
}

void TLazyTreeCore::SetDefaultNodeHeight(uint32_t Value) {
    if (Value == 0) Value = 18;
    // A row's height is kept in 16 bits.
    Value = std::min<uint32_t>(Value, 65535);
    if (Value == FDefaultNodeHeight) return;
    const int64_t difference = int64_t(Value) - FDefaultNodeHeight;
    FRoot->TotalHeight = static_cast<uint32_t>(int64_t(FRoot->TotalHeight) + difference);
    FRoot->NodeHeight = static_cast<uint16_t>(int64_t(FRoot->NodeHeight) + difference);
    FDefaultNodeHeight = Value;
    InvalidateCache();
    if (FUpdateCount == 0 && HasWindow()) {
        RequestCacheValidation();
        UpdateScrollBars(true);
        ScrollIntoView(FFocusedNode, FOptions->SelectionOptions().Contains(TLTSelectionOption::toCenterScrollIntoView),
                       true);
        Invalidate();
    }
}

int64_t TLazyTreeCore::RangeY() const {
    return int64_t(FRoot->TotalHeight) + FBottomSpace - FRoot->NodeHeight;
}
