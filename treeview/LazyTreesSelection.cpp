// The selection and the focus of the tree: the selected nodes are kept twice, as vsSelected in each
// node and as an array sorted by node address, so membership is a binary search and adding many
// nodes is one sort and one merge. Removals that touch many nodes (or happen inside an update) mark
// the entry's lowest bit and pack the array once.
#include <algorithm>
#include <cstdint>

#include "treeview/LazyTreesCore.h"

using enum TLazyTreeState;
using enum TLazyNodeState;
using enum TLTSelectionOption;

namespace {

// How many of Nodes are not among the Selected: the room a walk that collects them needs.
size_t Unselected(size_t Nodes, int Selected) {
    const size_t selected = size_t(std::max(Selected, 0));
    return Nodes > selected ? Nodes - selected : 0;
}

uintptr_t Address(PLazyNode n) {
    return reinterpret_cast<uintptr_t>(n);
}
bool Marked(PLazyNode n) {
    return (Address(n) & 1u) != 0;
}
PLazyNode Mark(PLazyNode n) {
    return reinterpret_cast<PLazyNode>(Address(n) | 1u);
}

}  // namespace

// ---- The array ----

bool TLazyTreeCore::FindInSelection(PLazyNode Node, int& Index, int LowBound, int HighBound) const {
    int lo = LowBound < 0 ? 0 : LowBound;
    int hi = HighBound < 0 ? FSelectionCount - 1 : HighBound;
    bool found = false;
    const uintptr_t key = Address(Node);
    while (lo <= hi) {
        const int mid = (lo + hi) / 2;
        const uintptr_t entry = Address(FSelection[size_t(mid)]);
        if (entry < key) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (entry == key) {
                found = true;
                lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

int TLazyTreeCore::PackNodeArray(PLazyNode* Array, int Count) {
    if (Count == 0) return -1;
    int kept = 0;
    for (int i = 0; i < Count; ++i)
        if (!Marked(Array[i])) Array[kept++] = Array[i];
    return kept;
}

void TLazyTreeCore::SortNodeArray(PLazyNode* Array, int L, int R) {
    // Quicksort by address, the larger part continued in the loop so the stack stays shallow.
    while (L < R) {
        int i = L, j = R;
        const uintptr_t pivot = Address(Array[unsigned(L + R) >> 1]);
        while (i <= j) {
            while (Address(Array[i]) < pivot) ++i;
            while (Address(Array[j]) > pivot) --j;
            if (i <= j) {
                std::swap(Array[i], Array[j]);
                ++i;
                --j;
            }
        }
        if (j - L < R - i) {
            if (L < j) SortNodeArray(Array, L, j);
            L = i;
        } else {
            if (i < R) SortNodeArray(Array, i, R);
            R = j;
        }
    }
}

bool TLazyTreeCore::InsertIntoSelection(PLazyNode* NewItems, int NewLength, bool ForceInsert) {
    const int oldCount = FSelectionCount;
    if (ForceInsert) {
        for (int i = 0; i < NewLength; ++i) {
            NewItems[i]->States += vsSelected;
            ++FSelectionCount;
            DoAddToSelection(NewItems[i]);
        }
    } else {
        const auto options = FOptions->SelectionOptions();
        const bool levelConstraint = options.Contains(toLevelSelectConstraint);
        const bool siblingConstraint = options.Contains(toSiblingSelectConstraint);
        if (NewLength > 0) {
            if (levelConstraint && FLastSelectionLevel < 0) FLastSelectionLevel = int(GetNodeLevel(NewItems[0]));
            if (siblingConstraint && !FRangeAnchor) FRangeAnchor = NewItems[0];
        }
        for (int i = 0; i < NewLength; ++i) {
            PLazyNode n = NewItems[i];
            const bool rejected = n->States.Contains(vsDisabled) || n->States.Contains(vsSelected) ||
                                  (levelConstraint && int(GetNodeLevel(n)) != FLastSelectionLevel) ||
                                  (siblingConstraint && n->Parent != FRangeAnchor->Parent);
            if (rejected) {
                NewItems[i] = Mark(n);
                continue;
            }
            n->States += vsSelected;
            ++FSelectionCount;
            DoAddToSelection(n);
        }
    }
    int count = NewLength;
    const int packed = PackNodeArray(NewItems, NewLength);
    if (packed >= 0) count = packed;
    if (count <= 0) return false;
    // Walks in tree order mostly hand over ascending addresses already: no sort is needed then.
    if (count > 1 && !std::is_sorted(NewItems, NewItems + count, [](PLazyNode a, PLazyNode b) {
            return Address(a) < Address(b);
        }))
        SortNodeArray(NewItems, 0, count - 1);
    if (int(FSelection.size()) <= oldCount + count) FSelection.resize(size_t(oldCount + count));
    // Merge from the back: old entries move up by the number of new ones still to place.
    int i = count - 1, j = oldCount - 1;
    while (i >= 0) {
        if (j < 0) {
            std::copy(NewItems, NewItems + i + 1, FSelection.begin());
            break;
        }
        while (i >= 0 && Address(NewItems[i]) > Address(FSelection[size_t(j)])) {
            FSelection[size_t(j + i + 1)] = NewItems[i];
            --i;
        }
        if (i < 0) break;
        int position = 0;
        FindInSelection(NewItems[i], position, 0, j);
        std::move_backward(FSelection.begin() + position, FSelection.begin() + j + 1,
                           FSelection.begin() + j + 1 + i + 1);
        j = position - 1;
    }
    lazytree::Assert(oldCount + count == FSelectionCount, "Fixing issue #487 seems to ahve caused a problem here.");
    return true;
}

void TLazyTreeCore::InsertNodeIntoSelection(PLazyNode Node, bool ForceInsert) {
    lazytree::Assert(Node != nullptr, "Node must not be nil!");
    FSingletonNodeArray[0] = Node;
    InsertIntoSelection(FSingletonNodeArray, 1, ForceInsert);
}

bool TLazyTreeCore::MarkRemovedFromSelection(PLazyNode Node) {
    int index = 0;
    if (!FindInSelection(Node, index)) return false;
    Node->States -= vsSelected;
    FSelection[size_t(index)] = Mark(Node);
    DoRemoveFromSelection(Node);
    RecordPendingChange(false, Node, TChangeReason::crIgnore);
    return true;
}

void TLazyTreeCore::CompactSelection() {
    const int packed = PackNodeArray(FSelection.data(), FSelectionCount);
    if (packed >= 0) {
        FSelectionCount = packed;
        FSelection.resize(size_t(packed));
    }
}

void TLazyTreeCore::AppendToTempCache(PLazyNode Node) {
    if (FTempNodeCount >= FTempNodeCache.size()) {
        const size_t length = FTempNodeCache.size();
        const size_t grown = length < 100 ? 100 : length + length / 10;
        // The length grows by a tenth; the storage beneath it doubles, so that a range over a
        // million nodes is copied a few times rather than once for every tenth.
        if (grown > FTempNodeCache.capacity()) FTempNodeCache.reserve(std::max(grown, 2 * FTempNodeCache.capacity()));
        FTempNodeCache.resize(grown);
    }
    FTempNodeCache[FTempNodeCount++] = Node;
}

void TLazyTreeCore::ResetTempCache() {
    FTempNodeCache = TNodeArray();
    FTempNodeCount = 0;
}

// ---- Adding and removing ----

void TLazyTreeCore::DoAddToSelection(PLazyNode Node) {
    if (OnAddToSelection) OnAddToSelection(this, Node);
}

void TLazyTreeCore::DoRemoveFromSelection(PLazyNode Node) {
    if (OnRemoveFromSelection) OnRemoveFromSelection(this, Node);
}

bool TLazyTreeCore::AddToSelection(PLazyNode* NewItems, int NewLength, bool ForceInsert) {
    PLazyNode first = NewLength > 0 ? NewItems[0] : nullptr;
    const bool added = InsertIntoSelection(NewItems, NewLength, ForceInsert);
    if (!added) return false;
    if (NewLength == 1) {
        InvalidateNode(first);
        NotifyChange(first);
    } else {
        Invalidate();
        NotifyChange(nullptr);
    }
    return true;
}

void TLazyTreeCore::AddToSelection(PLazyNode Node) {
    if (FSelectionLocked) return;
    lazytree::Assert(Node != nullptr, "Node must not be nil!");
    FSingletonNodeArray[0] = Node;
    if (!InsertIntoSelection(FSingletonNodeArray, 1, false)) return;
    if (FSelectionCount == 1) SetFocusedNode(Node);
    InvalidateNode(Node);
    NotifyChange(Node);
}

void TLazyTreeCore::RemoveFromSelection(PLazyNode Node) {
    if (FSelectionLocked) return;
    lazytree::Assert(Node != nullptr, "Node must not be nil!");
    if (FHost && !FHost->IsMainThread())
        lazytree::Assert(false, (std::string(ClassName()) + ".RemoveFromSelection() must only be called from UI thread.")
                                    .c_str());
    if (!Node->States.Contains(vsSelected)) return;
    Node->States -= vsSelected;
    int index = 0;
    if (FindInSelection(Node, index) && index < FSelectionCount - 1)
        std::move(FSelection.begin() + index + 1, FSelection.begin() + FSelectionCount, FSelection.begin() + index);
    if (FSelectionCount > 0) --FSelectionCount;
    FSelection.resize(size_t(FSelectionCount));
    if (FSelectionCount == 0) ResetRangeAnchor();
    if (FSelectionCount <= 1) ChooseNextNodeToSelect(Node);
    DoRemoveFromSelection(Node);
    NotifyChange(Node);
}

void TLazyTreeCore::SetSelected(PLazyNode Node, bool Value) {
    if (FSelectionLocked || !Node || Node == FRoot || Node->States.Contains(vsSelected) == Value) return;
    const bool multi = FOptions->SelectionOptions().Contains(toMultiSelect);
    if (Value) {
        if (FSelectionCount == 0)
            FRangeAnchor = Node;
        else if (!multi)
            ClearSelection();
        AddToSelection(Node);
        if (!multi) SetFocusedNode(Node);
        // Without columns the focused column is -1 and needs no repair.
        if (!FRangeAnchor) FRangeAnchor = Node;
    } else {
        RemoveFromSelection(Node);
        if (FSelectionCount == 0) ResetRangeAnchor();
    }
    if (FullyVisible(Node) && !IsEffectivelyFiltered(Node)) InvalidateNode(Node);
}

void TLazyTreeCore::DropSelection() {
    if (FUpdateCount > 0) CompactSelection();
    while (FSelectionCount > 0) {
        --FSelectionCount;
        PLazyNode n = FSelection[size_t(FSelectionCount)];
        n->States -= vsSelected;
        DoRemoveFromSelection(n);
    }
    ResetRangeAnchor();
    FSelection = TNodeArray();
    DoStateChange({}, {tsClearPending});
}

void TLazyTreeCore::InvalidateAndClearSelection(bool Notify) {
    if (FSelectionLocked || FSelectionCount <= 0 || FDestroying) return;
    if (FUpdateCount == 0 && HasWindow() && FVisibleCount > 0) {
        // Only the selected rows in the client area need painting again.
        int top = 0;
        PLazyNode n = GetNodeAt(0, 0, true, top);
        int met = 0;
        int64_t walked = 0;
        const int clientHeight = FHost->ClientSize().height();
        for (; n && met < FSelectionCount && walked <= clientHeight; n = GetNextVisibleNoInit(n, true)) {
            if (n->States.Contains(vsSelected)) {
                ++met;
                InvalidateNode(n);
            }
            walked += NodeHeight(n);
        }
    }
    DropSelection();
    if (Notify) NotifyChange(nullptr);
}

void TLazyTreeCore::ClearSelection() {
    InvalidateAndClearSelection(true);
}

void TLazyTreeCore::SelectAll(bool VisibleOnly) {
    if (FSelectionLocked || !FOptions->SelectionOptions().Contains(toMultiSelect)) return;
    ResetTempCache();
    // Room for every node the tree holds now, taken once; children made during the walk still grow
    // the cache by its rule.
    FTempNodeCache.reserve(Unselected(VisibleOnly ? FVisibleCount : FRoot->TotalCount - 1, FSelectionCount));
    for (PLazyNode n = VisibleOnly ? GetFirstVisible() : GetFirst(); n;
         n = VisibleOnly ? GetNextVisible(n) : GetNext(n))
        if (!n->States.Contains(vsSelected)) AppendToTempCache(n);
    if (FTempNodeCount > 0) AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), false);
    ResetTempCache();
    Invalidate();
}

void TLazyTreeCore::InvertSelection(bool VisibleOnly) {
    if (FSelectionLocked || !FOptions->SelectionOptions().Contains(toMultiSelect)) return;
    ResetTempCache();
    FTempNodeCache.reserve(Unselected(VisibleOnly ? FVisibleCount : FRoot->TotalCount - 1, FSelectionCount));
    const bool hadSelection = FSelectionCount > 0;
    for (PLazyNode n = FRoot->FirstChild; n; n = VisibleOnly ? GetNextVisibleNoInit(n) : GetNextNoInit(n)) {
        if (VisibleOnly && !FullyVisible(n)) continue;
        if (n->States.Contains(vsSelected))
            MarkRemovedFromSelection(n);
        else
            AppendToTempCache(n);
    }
    bool owed = false;
    const int packed = PackNodeArray(FSelection.data(), FSelectionCount);
    if (hadSelection && packed >= 0) {
        FSelectionCount = packed;
        FSelection.resize(size_t(packed));
        owed = true;
    }
    if (FTempNodeCount > 0) {
        // The addition announces the change itself.
        AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), false);
        owed = false;
    }
    ResetTempCache();
    Invalidate();
    if (owed) NotifyChange(nullptr);
    if (FSelectionCount == 0) FNextNodeToSelect = nullptr;
}

void TLazyTreeCore::ResetRangeAnchor() {
    FRangeAnchor = FFocusedNode;
    FLastSelectionLevel = -1;
}

void TLazyTreeCore::ChooseNextNodeToSelect(PLazyNode Node) {
    if (!FOptions->SelectionOptions().Contains(toAlwaysSelectNode)) return;
    if (Node->NextSibling)
        FNextNodeToSelect = Node->NextSibling;
    else if (Node->PrevSibling)
        FNextNodeToSelect = Node->PrevSibling;
    else if (GetNodeLevel(Node) > 0)
        FNextNodeToSelect = Node->Parent;
    else
        FNextNodeToSelect = GetFirstChild(Node);
}

void TLazyTreeCore::EnsureNodeSelected() {
    if (!FOptions->SelectionOptions().Contains(toAlwaysSelectNode) || IsEmpty()) return;
    if (FSelectionCount == 0 && !FSelectionLocked) {
        if (FNextNodeToSelect)
            SetSelected(FNextNodeToSelect, true);
        else if (FHost && FHost->Focused())
            SetSelected(GetFirstVisible(), true);
    }
    EnsureFocusedNode();
    if (PLazyNode first = GetFirstSelected()) ScrollIntoView(first, false, false);
}

TNodeArray TLazyTreeCore::GetSortedSelection(bool Reduce) const {
    TNodeArray result;
    result.reserve(size_t(std::max(FSelectionCount, 0)));
    PLazyNode n = FRoot->FirstChild;
    while (n && int(result.size()) < FSelectionCount) {
        if (n->States.Contains(vsSelected)) {
            result.push_back(n);
            if (Reduce) {
                // Skip the subtree: the next sibling here or of the nearest ancestor that has one.
                while (n != FRoot && !n->NextSibling) n = n->Parent;
                n = n == FRoot ? nullptr : n->NextSibling;
                continue;
            }
        }
        if (n->FirstChild) {
            n = n->FirstChild;
            continue;
        }
        while (n != FRoot && !n->NextSibling) n = n->Parent;
        n = n == FRoot ? nullptr : n->NextSibling;
    }
    return result;
}

// ---- Ranges ----

void TLazyTreeCore::SelectNodeRange(PLazyNode StartNode, PLazyNode EndNode, bool AddOnly) {
    lazytree::Assert(EndNode != nullptr, "EndNode must not be nil!");
    if (FSelectionLocked) return;
    ResetTempCache();
    if (StartNode && !FullyVisible(StartNode)) StartNode = GetPreviousVisible(StartNode);
    if (!StartNode) StartNode = GetFirstVisibleNoInit(nullptr, true);
    if (!StartNode) return;
    if (CompareNodePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    PLazyNode anchor = FRangeAnchor;
    if (!AddOnly) DropSelection();
    for (PLazyNode n = StartNode; n; n = GetNextVisible(n)) {
        AppendToTempCache(n);
        if (n == EndNode) break;
    }
    AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), false);
    ResetTempCache();
    int index = 0;
    if (anchor && FindInSelection(anchor, index)) FRangeAnchor = anchor;
}

void TLazyTreeCore::ToggleNodeRange(PLazyNode StartNode, PLazyNode EndNode) {
    if (FSelectionLocked) return;
    lazytree::Assert(EndNode != nullptr, "EndNode must not be nil!");
    if (!StartNode) StartNode = FRoot->FirstChild;
    if (StartNode && !FullyVisible(StartNode)) StartNode = GetPreviousVisible(StartNode);
    if (!StartNode || StartNode == EndNode) return;
    ResetTempCache();
    auto toggle = [&](PLazyNode n) {
        if (n->States.Contains(vsSelected))
            MarkRemovedFromSelection(n);
        else
            AppendToTempCache(n);
    };
    PLazyNode first = StartNode, last = EndNode;
    if (CompareNodePositions(first, last, true) > 0) std::swap(first, last);
    PLazyNode anchor = FRangeAnchor;
    if (anchor && CompareNodePositions(first, anchor, true) < 0) toggle(first);
    for (PLazyNode n = GetNextVisible(first); n && n != last; n = GetNextVisible(n)) toggle(n);
    if (anchor && CompareNodePositions(last, anchor, true) > 0) toggle(last);
    CompactSelection();
    if (anchor && !anchor->States.Contains(vsSelected)) AppendToTempCache(anchor);
    if (FTempNodeCount > 0) AddToSelection(FTempNodeCache.data(), int(FTempNodeCount), false);
    ResetTempCache();
}

void TLazyTreeCore::UnselectNodeRange(PLazyNode StartNode, PLazyNode EndNode) {
    if (FSelectionLocked) return;
    lazytree::Assert(EndNode != nullptr, "EndNode must not be nil!");
    if (StartNode && !FullyVisible(StartNode)) StartNode = GetPreviousVisible(StartNode);
    if (!StartNode) StartNode = FRoot->FirstChild;
    if (!StartNode) return;
    if (CompareNodePositions(StartNode, EndNode, true) > 0) std::swap(StartNode, EndNode);
    for (PLazyNode n = StartNode; n; n = GetNextVisible(n)) {
        MarkRemovedFromSelection(n);
        if (n == EndNode) break;
    }
    CompactSelection();
}

// ---- Change notification ----

void TLazyTreeCore::NotifyChange(PLazyNode Node) {
    RecordPendingChange(false, Node, TChangeReason::crIgnore);
    if (FUpdateCount > 0) return;
    if (FChangeDelay > 0 && HasWindow() && !FStates.Contains(tsSynchMode))
        StartTimer(5, int(FChangeDelay));
    else
        DoChange(Node);
}

// ---- Focus ----

bool TLazyTreeCore::DoFocusChanging(PLazyNode OldNode, PLazyNode NewNode, TColumnIndex OldColumn,
                                    TColumnIndex NewColumn) {
    bool allowed = NewColumn == OldColumn || ColumnAllowsFocus(NewColumn);
    if (OnFocusChanging) OnFocusChanging(this, OldNode, NewNode, OldColumn, NewColumn, allowed);
    return allowed;
}

void TLazyTreeCore::DoFocusChange(PLazyNode Node, TColumnIndex Column) {
    if (OnFocusChanged) OnFocusChanged(this, Node, Column);
}

void TLazyTreeCore::ChangeFocusedNode(PLazyNode Node, bool Ask) {
    if (FStates.Contains(tsEditing) && !EndEditNode()) return;
    if (Node == FRoot) Node = nullptr;
    bool changed = Node != FFocusedNode;
    if (changed && Ask) changed = DoFocusChanging(FFocusedNode, Node, FFocusedColumn, FFocusedColumn);
    const auto misc = FOptions->AutoOptions();
    if (changed) {
        if (FFocusedNode) {
            if (misc.Contains(TLTAutoOption::toAutoExpand) && Node && Node->Parent == FFocusedNode->Parent &&
                FFocusedNode->States.Contains(vsExpanded))
                ToggleNode(FFocusedNode);
            else
                InvalidateNode(FFocusedNode);
        }
        FFocusedNode = Node;
    }
    if (FFocusedNode) {
        if (misc.Contains(TLTAutoOption::toAutoExpand) && !FFocusedNode->States.Contains(vsExpanded))
            ToggleNode(FFocusedNode);
        InvalidateNode(FFocusedNode);
        if (FUpdateCount == 0 && !misc.Contains(TLTAutoOption::toDisableAutoscrollOnFocus)) {
            const bool buttons = FStates.Contains(tsLeftButtonDown) || FStates.Contains(tsMiddleButtonDown) ||
                                 FStates.Contains(tsRightButtonDown);
            ScrollIntoView(FFocusedNode,
                           FOptions->SelectionOptions().Contains(toCenterScrollIntoView) && !buttons,
                           !FOptions->SelectionOptions().Contains(toFullRowSelect));
        }
    }
    if (FSelectionCount == 0) ResetRangeAnchor();
}

void TLazyTreeCore::SetFocusedNode(PLazyNode Node) {
    PLazyNode old = FFocusedNode;
    ChangeFocusedNode(Node, true);
    if (Node != old && Node == FFocusedNode) DoFocusChange(FFocusedNode, FFocusedColumn);
}

void TLazyTreeCore::SetFocusedColumn(TColumnIndex Value) {
    if (Value == FFocusedColumn) return;
    if (!DoFocusChanging(FFocusedNode, FFocusedNode, FFocusedColumn, Value)) return;
    CancelEditNode();
    InvalidateColumn(FFocusedColumn);
    InvalidateColumn(Value);
    FFocusedColumn = Value;
    if (FFocusedNode && !FOptions->AutoOptions().Contains(TLTAutoOption::toDisableAutoscrollOnFocus)) {
        if (ScrollIntoView(FFocusedNode, FOptions->SelectionOptions().Contains(toCenterScrollIntoView), true))
            InvalidateNode(FFocusedNode);
    }
    if (FDropTargetNode) InvalidateNode(FDropTargetNode);
    DoFocusChange(FFocusedNode, FFocusedColumn);
}

void TLazyTreeCore::SetFocusedNodeAndColumn(PLazyNode Node, TColumnIndex Column) {
    if (!ColumnAllowsFocus(Column)) Column = FFocusedColumn;
    const bool changed = !(Node == FFocusedNode && Column == FFocusedColumn);
    const TColumnIndex oldColumn = FFocusedColumn;
    FFocusedColumn = Column;
    ChangeFocusedNode(Node, true);
    if (Node == FFocusedNode || (Node == FRoot && !FFocusedNode)) {
        CancelEditNode();
        if (changed) DoFocusChange(FFocusedNode, FFocusedColumn);
    } else {
        FFocusedColumn = oldColumn;
    }
}

void TLazyTreeCore::EnsureFocusedNode() {
    if (!FFocusedNode) SetFocusedNode(GetFirstSelected());
    if (!FFocusedNode) SetFocusedNode(GetFirstVisible());
}

// ---- Check boxes ----

TCheckState TLazyTreeCore::DetermineNextCheckState(TCheckType CheckType, TCheckState CheckState) const {
    switch (CheckType) {
        case TCheckType::ctTriStateCheckBox:
        case TCheckType::ctCheckBox: return TCheckStateHelper::GetToggled(CheckState);
        case TCheckType::ctRadioButton: return TCheckState::csCheckedNormal;
        case TCheckType::ctButton: return TCheckState::csUncheckedNormal;
        case TCheckType::ctNone: break;
    }
    return TCheckState::csMixedNormal;
}

bool TLazyTreeCore::DoChecking(PLazyNode Node, TCheckState& NewCheckState) {
    if (ReadOnly()) return false;
    bool allowed = true;
    if (OnChecking) OnChecking(this, Node, NewCheckState, allowed);
    return allowed;
}

void TLazyTreeCore::DoChecked(PLazyNode Node) {
    if (OnChecked) OnChecked(this, Node);
}

namespace {
bool TakesPart(PLazyNode n) {
    return n->CheckType == TCheckType::ctTriStateCheckBox || n->CheckType == TCheckType::ctCheckBox;
}
}  // namespace

void TLazyTreeCore::DoCheckClick(PLazyNode Node, TCheckState NewCheckState) {
    using enum TCheckState;
    // ChangeCheckState: applies a state and passes it on.
    if (Node->States.Contains(vsChecking)) return;
    Node->States += vsChecking;
    bool result = true;
    const bool tracking = FOptions->AutoOptions().Contains(TLTAutoOption::toAutoTristateTracking);
    struct Leave {
        TLazyTreeCore* tree;
        PLazyNode node;
        bool counted = false;
        ~Leave() {
            node->States -= vsChecking;
            if (counted && --tree->FCheckPropagationCount == 0) tree->DoStateChange({}, {tsCheckPropagation});
        }
    } leave{this, Node};
    if (!Node->States.Contains(vsInitialized))
        InitNode(Node);
    else if (Node->CheckState == NewCheckState)
        return;
    if (FCheckPropagationCount++ == 0) DoStateChange({tsCheckPropagation});
    leave.counted = true;
    if (Node->CheckType == TCheckType::ctTriStateCheckBox && tracking &&
        (NewCheckState == csUncheckedNormal || NewCheckState == csCheckedNormal) && Node->ChildCount > 0) {
        if (!Node->States.Contains(vsInitialized)) InitNode(Node);
        for (PLazyNode c = GetFirstChild(Node); c; c = GetNextSibling(c))
            if (TakesPart(c) && !TCheckStateHelper::IsDisabled(c->CheckState)) SetCheckState(c, NewCheckState);
        int unchecked = 0, checked = 0, mixed = 0;
        for (PLazyNode c = Node->FirstChild; c; c = c->NextSibling) {
            if (!TakesPart(c)) continue;
            const TCheckState s = c->CheckState;
            if (NewCheckState == csUncheckedNormal) {
                if (s == csUncheckedNormal || s == csUncheckedDisabled) ++unchecked;
                if (s == csCheckedNormal || s == csCheckedDisabled) ++checked;
            } else {
                if (s == csUncheckedNormal) ++unchecked;
                if (s == csCheckedNormal) ++checked;
            }
            if (s == csMixedNormal) ++mixed;
        }
        if (mixed > 0 || (checked > 0 && unchecked > 0))
            NewCheckState = csMixedNormal;
        else if (checked > 0)
            NewCheckState = csCheckedNormal;
    }
    if (Node->CheckType == TCheckType::ctRadioButton && NewCheckState == csCheckedNormal) {
        for (PLazyNode s = Node->Parent->FirstChild; s; s = s->NextSibling)
            if (s->CheckType == TCheckType::ctRadioButton) s->CheckState = csUncheckedNormal;
        Invalidate();
    }
    Node->CheckState = NewCheckState;
    PLazyNode parent = Node->Parent;
    if (parent != FRoot && !parent->States.Contains(vsInitialized)) InitNode(parent);
    if (tracking && parent != FRoot && !parent->States.Contains(vsChecking) &&
        !parent->States.Contains(vsDisabled) && TakesPart(Node) &&
        parent->CheckType == TCheckType::ctTriStateCheckBox)
        result = CheckParentCheckState(Node, NewCheckState);
    InvalidateNode(Node);
    if (result) DoChecked(Node);
}

bool TLazyTreeCore::CheckParentCheckState(PLazyNode Node, TCheckState NewCheckState) {
    using enum TCheckState;
    int count = 0, checked = 0;
    bool mixed = false;
    for (PLazyNode s = Node->Parent->FirstChild; s; s = s->NextSibling) {
        if (!TakesPart(s)) continue;
        const TCheckState state = s == Node ? NewCheckState : s->CheckState;
        ++count;
        if (TCheckStateHelper::IsChecked(state)) ++checked;
        if (state == csMixedNormal) mixed = true;
    }
    TCheckState parentState = csUncheckedNormal;
    if (checked > 0 || mixed) parentState = checked == count ? csCheckedNormal : csMixedNormal;
    PLazyNode parent = Node->Parent;
    if (!DoChecking(parent, parentState)) return false;
    DoCheckClick(parent, parentState);
    return true;
}

void TLazyTreeCore::SetCheckState(PLazyNode Node, TCheckState Value) {
    if (Node->CheckState == Value || Node->States.Contains(vsDisabled)) return;
    if (DoChecking(Node, Value)) DoCheckClick(Node, Value);
}

void TLazyTreeCore::SetCheckType(PLazyNode Node, TCheckType Value) {
    using enum TCheckState;
    if (Node->CheckType == Value || ReadOnly()) return;
    Node->CheckType = Value;
    if (Value != TCheckType::ctTriStateCheckBox &&
        (Node->CheckState == csMixedNormal || Node->CheckState == csMixedPressed))
        Node->CheckState = csUncheckedNormal;
    if (FOptions->AutoOptions().Contains(TLTAutoOption::toAutoTristateTracking) && TakesPart(Node) &&
        Node->Parent != FRoot) {
        PLazyNode parent = Node->Parent;
        if (!parent->States.Contains(vsInitialized)) InitNode(parent);
        if (parent->CheckType == TCheckType::ctTriStateCheckBox) {
            if (parent->CheckState == csUncheckedNormal || parent->CheckState == csUncheckedDisabled)
                SetCheckState(Node, csUncheckedNormal);
            else if (parent->CheckState == csCheckedNormal || parent->CheckState == csCheckedDisabled)
                SetCheckState(Node, csCheckedNormal);
        }
    }
    InvalidateNode(Node);
}

void TLazyTreeCore::SetCheckStateForAll(TCheckState aCheckState, bool pSelectedOnly, bool pExcludeDisabled) {
    BeginUpdate();
    struct End {
        TLazyTreeCore* tree;
        ~End() { tree->EndUpdate(); }
    } end{this};
    for (PLazyNode n = pSelectedOnly ? GetFirstSelected() : GetFirst(); n;
         n = pSelectedOnly ? GetNextSelected(n) : GetNext(n)) {
        if (pExcludeDisabled && TCheckStateHelper::IsDisabled(n->CheckState)) continue;
        SetCheckState(n, aCheckState);
    }
}

void TLazyTreeCore::ClearChecked() {
    for (PLazyNode n = FRoot->FirstChild; n; n = GetNextNoInit(n))
        if (n->CheckState != TCheckState::csUncheckedNormal) SetCheckState(n, TCheckState::csUncheckedNormal);
}

uint32_t TLazyTreeCore::CheckedCount() {
    uint32_t count = 0;
    for (PLazyNode n = GetFirstChecked(TCheckState::csCheckedNormal); n;
         n = GetNextChecked(n, TCheckState::csCheckedNormal))
        ++count;
    return count;
}
