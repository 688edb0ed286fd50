// Expanding, collapsing, visibility and filtering: the flags that decide which nodes take room, kept
// in step with TotalHeight, the visible count and the hidden-children flags.
#include <exception>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

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

bool TLazyTreeCore::DoExpanding(PLazyNode Node) {
    bool allowed = true;
    if (OnExpanding) OnExpanding(this, Node, allowed);
    return allowed;
}

void TLazyTreeCore::DoExpanded(PLazyNode Node) {
    if (OnExpanded) OnExpanded(this, Node);
}

bool TLazyTreeCore::DoCollapsing(PLazyNode Node) {
    bool allowed = true;
    if (OnCollapsing) OnCollapsing(this, Node, allowed);
    return allowed;
}

void TLazyTreeCore::DoCollapsed(PLazyNode Node) {
    if (OnCollapsed) OnCollapsed(this, Node);
    if (FOptions->SelectionOptions().Contains(TLTSelectionOption::toAlwaysSelectNode)) EnsureNodeSelected();
}

void TLazyTreeCore::ToggleNode(PLazyNode Node) {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    if (Node->States.Contains(vsDeleting) || Node->States.Contains(vsToggling)) return;
    // A running cache build reads the expansion flags.
    InterruptValidation();
    const bool wasToggling = FStates.Contains(tsToggling);
    DoStateChange({tsToggling});
    Node->States += vsToggling;
    bool allowed = false;
    int64_t heightDelta = 0;
    WithFinally(
        [&] {
            const bool animate = FUpdateCount == 0 &&
                                 FOptions->AnimationOptions().Contains(TLTAnimationOption::toAnimatedToggle);
            if (Node->States.Contains(vsExpanded)) {
                allowed = DoCollapsing(Node);
                if (!allowed) return;
                heightDelta = int64_t(Node->NodeHeight) - Node->TotalHeight;
                if (animate && !FStates.Contains(tsCollapsing)) AnimateToggle(Node, heightDelta, false);
                AdjustTotalHeight(Node, IsEffectivelyFiltered(Node) ? 0 : Node->NodeHeight, false);
                if (FullyVisible(Node)) FVisibleCount -= CountVisibleChildren(Node);
                Node->States -= vsExpanded;
                DoCollapsed(Node);
                if (FOptions->AutoOptions().Contains(TLTAutoOption::toAutoFreeOnCollapse) && Node->ChildCount > 0) {
                    DeleteChildren(Node, false);
                    Node->States += vsHasChildren;
                }
            } else {
                allowed = DoExpanding(Node);
                if (!allowed) return;
                EnsureInitialized(Node);
                EnsureChildren(Node);
                if (Node->ChildCount == 0) {
                    InvalidateNode(Node);
                    return;
                }
                for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling)
                    if (c->States.Contains(vsVisible)) {
                        MeasureItemHeight(nullptr, c);
                        heightDelta += c->TotalHeight;
                    }
                if (FUpdateCount == 0) {
                    if (animate && !FStates.Contains(tsExpanding) && !FStates.Contains(tsPainting))
                        AnimateToggle(Node, heightDelta, true);
                    if (AutoSortActive())
                        Sort(Node, SortColumn(), SortDirection(), false);
                }
                Node->States += vsExpanded;
                AdjustTotalHeight(Node, heightDelta, true);
                if (FullyVisible(Node)) FVisibleCount += CountVisibleChildren(Node);
                DoExpanded(Node);
            }
        },
        [&] {
            Node->States -= vsToggling;
            if (!wasToggling) DoStateChange({}, {tsToggling});
        });
    if (!allowed) return;
    InvalidateCache();
    if (FUpdateCount > 0) {
        UpdateScrollBars(false);
        return;
    }
    RequestCacheValidation();
    if (Node->ChildCount == 0) {
        InvalidateNode(Node);
        return;
    }
    UpdateScrollBars(true);
    if (FStates.Contains(tsExpanding) || FStates.Contains(tsPainting))
        InvalidateToBottom(Node);
    else
        AdjustScrollAfterToggle(Node, heightDelta, Node->States.Contains(vsExpanded));
}

void TLazyTreeCore::SetExpanded(PLazyNode Node, bool Value) {
    if (Node && Node != FRoot && Node->States.Contains(vsExpanded) != Value) ToggleNode(Node);
}

void TLazyTreeCore::FullExpand(PLazyNode Node) {
    if (FRoot->TotalCount < 2) return;
    DoStateChange({tsExpanding});
    StartOperation(TLTOperationKind::okExpand);
    BeginUpdate();
    WithFinally(
        [&] {
            PLazyNode stop = nullptr;
            if (Node && Node != FRoot) {
                for (PLazyNode n = Node; n != FRoot; n = n->Parent)
                    if (n->NextSibling) {
                        stop = n->NextSibling;
                        break;
                    }
                EnsureInitialized(Node);
            } else {
                Node = GetFirst();
            }
            for (PLazyNode n = Node; n && n != stop; n = GetNext(n)) {
                if (!n->States.Contains(vsExpanded)) ToggleNode(n);
                if (OperationCanceled()) break;
            }
        },
        [&] {
            EndOperation(TLTOperationKind::okExpand);
            EndUpdate();
            DoStateChange({}, {tsExpanding});
        });
}

void TLazyTreeCore::FullCollapse(PLazyNode Node) {
    if (FRoot->TotalCount < 2) return;
    if (Node == FRoot) Node = nullptr;
    DoStateChange({tsCollapsing});
    BeginUpdate();
    WithFinally(
        [&] {
            auto collapsible = [](PLazyNode n) {
                return n->States.Contains(vsExpanded) && n->States.Contains(vsHasChildren);
            };
            // Filtered rows count: their expanded children show all the same.
            for (PLazyNode n = GetLastVisibleNoInit(Node, true, true); n && n != Node;) {
                // The step is taken first: the toggle may free the children.
                PLazyNode previous = GetPreviousNoInit(n, true);
                // Collapsed parts keep the expansion of their inner nodes.
                if (collapsible(n) && FullyVisible(n)) ToggleNode(n);
                n = previous;
            }
            if (Node && collapsible(Node)) ToggleNode(Node);
        },
        [&] {
            EndUpdate();
            DoStateChange({}, {tsCollapsing});
        });
}

void TLazyTreeCore::SetVisible(PLazyNode Node, bool Value) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    if (Node->States.Contains(vsVisible) == Value) return;
    InterruptValidation();
    const uint32_t oldCount = FVisibleCount;
    PLazyNode parent = Node->Parent;
    const bool pathHolds = VisiblePath(Node);
    if (Value) {
        Node->States += vsVisible;
        if (parent->States.Contains(vsExpanded)) AdjustTotalHeight(parent, Node->TotalHeight, true);
        if (pathHolds) FVisibleCount += CountVisibleChildren(Node) + (IsEffectivelyVisible(Node) ? 1 : 0);
        if (!IsEffectivelyFiltered(Node)) parent->States -= vsAllChildrenHidden;
    } else {
        if (parent->States.Contains(vsExpanded)) AdjustTotalHeight(parent, -int64_t(Node->TotalHeight), true);
        if (pathHolds) FVisibleCount -= CountVisibleChildren(Node) + (IsEffectivelyVisible(Node) ? 1 : 0);
        Node->States -= vsVisible;
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else
            UpdateChildrenHiddenFlag(parent);
    }
    InvalidateCache();
    if (FVisibleCount != oldCount && FUpdateCount == 0) {
        RequestCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
    }
}

void TLazyTreeCore::SetFullyVisible(PLazyNode Node, bool Value) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter");
    SetVisible(Node, Value);
    if (!Value) return;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent) {
        if (!p->States.Contains(vsExpanded)) ToggleNode(p);
        if (!p->States.Contains(vsVisible)) SetVisible(p, true);
    }
}

bool TLazyTreeCore::VisiblePath(PLazyNode Node) const {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameters.");
    PLazyNode p = Node->Parent;
    while (p != FRoot && p->States.Contains(vsExpanded) && p->States.Contains(vsVisible)) p = p->Parent;
    return p == FRoot;
}

void TLazyTreeCore::SetVisiblePath(PLazyNode Node, bool Value) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    if (!Value) return;
    for (PLazyNode p = Node->Parent; p != FRoot; p = p->Parent)
        if (!p->States.Contains(vsExpanded)) ToggleNode(p);
}

void TLazyTreeCore::SetFiltered(PLazyNode Node, bool Value) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    EnsureInitialized(Node);
    if (Node->States.Contains(vsFiltered) == Value) return;
    InterruptValidation();
    const uint32_t oldCount = FVisibleCount;
    const bool shown = FOptions->PaintOptions().Contains(TLTPaintOption::toShowFilteredNodes);
    if (Value) {
        Node->States += vsFiltered;
        if (!shown) {
            if (Node->States.Contains(vsInitializing) && !Node->States.Contains(vsHasChildren))
                AdjustTotalHeight(Node, 0, false);
            else
                AdjustTotalHeight(Node, -int64_t(Node->NodeHeight), true);
            if (FullyVisible(Node)) --FVisibleCount;
        }
        if (FUpdateCount > 0)
            DoStateChange({tsUpdateHiddenChildrenNeeded});
        else
            UpdateChildrenHiddenFlag(Node->Parent);
    } else {
        Node->States -= vsFiltered;
        if (!shown) {
            AdjustTotalHeight(Node, Node->NodeHeight, true);
            if (FullyVisible(Node)) ++FVisibleCount;
        }
        if (Node->States.Contains(vsVisible)) Node->Parent->States -= vsAllChildrenHidden;
    }
    InvalidateCache();
    if (FVisibleCount != oldCount && FUpdateCount == 0) {
        RequestCacheValidation();
        UpdateScrollBars(true);
        Invalidate();
    }
}

PLazyNode TLazyTreeCore::GetVisibleParent(PLazyNode Node, bool IncludeFiltered) const {
    lazytree::Assert(Node != nullptr, "Node must not be nil.");
    lazytree::Assert(Node != FRoot, "Node must not be the hidden root node.");
    PLazyNode p = Node->Parent;
    while (p != FRoot && (!FullyVisible(p) || (!IncludeFiltered && IsEffectivelyFiltered(p)))) p = p->Parent;
    return p;
}
