// Sorting: a stable merge sort over a sibling chain that relinks the nodes in place (no array, no
// copies, pointers held by the application stay valid), for one node or for every level.
#include <exception>
#include <vector>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

// Sorts the chain by NextSibling links. A comparison that raises ends the comparing like a cancel: the
// merges finish in chain order, so the chain stays whole, and the error is kept for the caller.
template <typename CompareFn, typename CanceledFn>
class ChainSorter {
public:
    ChainSorter(TSortDirection direction, CompareFn compare, CanceledFn canceled)
        : ascending_(direction == TSortDirection::sdAscending), compare_(compare), canceled_(canceled) {}

    // Takes Count nodes off the head of the chain and answers them sorted, nil-terminated.
    PLazyNode Sort(PLazyNode& head, uint32_t count) {
        if (count == 1) {
            PLazyNode node = head;
            head = head->NextSibling;
            node->NextSibling = nullptr;
            return node;
        }
        PLazyNode a = Sort(head, count / 2);
        PLazyNode b = Sort(head, (count + 1) / 2);
        return Merge(a, b);
    }

    std::exception_ptr error;

private:
    int Compare(PLazyNode a, PLazyNode b) {
        if (error || canceled_()) return 0;
        try {
            return compare_(a, b);
        } catch (...) {
            error = std::current_exception();
            return 0;
        }
    }

    PLazyNode Merge(PLazyNode a, PLazyNode b) {
        PLazyNode head = nullptr;
        PLazyNode* tail = &head;
        while (a && b) {
            const int c = Compare(a, b);
            const bool takeB = ascending_ ? c > 0 : c < 0;
            PLazyNode& from = takeB ? b : a;
            *tail = from;
            tail = &from->NextSibling;
            from = from->NextSibling;
        }
        *tail = a ? a : b;
        return head;
    }

    bool ascending_;
    CompareFn compare_;
    CanceledFn canceled_;
};

}  // namespace

int TLazyTreeCore::DoCompare(PLazyNode Node1, PLazyNode Node2, TColumnIndex Column) {
    int result = 0;
    if (OnCompareNodes) OnCompareNodes(this, Node1, Node2, Column, result);
    return result;
}

void TLazyTreeCore::SortChildren(PLazyNode Node, TColumnIndex Column, TSortDirection Direction) {
    std::exception_ptr error;
    if (CanCompare()) {
        StartOperation(TLTOperationKind::okSortNode);
        ChainSorter sorter(
            Direction, [&](PLazyNode a, PLazyNode b) { return DoCompare(a, b, Column); },
            [&] { return OperationCanceled(); });
        PLazyNode head = Node->FirstChild;
        Node->FirstChild = sorter.Sort(head, Node->ChildCount);
        error = sorter.error;
        try {
            EndOperation(TLTOperationKind::okSortNode);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    }
    // Relink and renumber in the new order; without comparisons the order is kept.
    PLazyNode previous = nullptr;
    uint32_t index = 0;
    for (PLazyNode n = Node->FirstChild; n; n = n->NextSibling) {
        n->PrevSibling = previous;
        n->Index = index++;
        previous = n;
    }
    Node->LastChild = previous;
    InvalidateCache();
    if (error) std::rethrow_exception(error);
}

void TLazyTreeCore::Sort(PLazyNode Node, TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    InterruptValidation();
    if (FStates.Contains(tsEditPending)) {
        StopTimer(2);
        DoStateChange({}, {tsEditPending});
    }
    if (FStates.Contains(tsEditing) && !EndEditNode()) return;
    if (!Node) Node = FRoot;
    if (!Node->States.Contains(vsHasChildren)) return;
    if (DoInit) {
        if (Node->ChildCount == 0)
            InitChildren(Node);
        else
            ValidateChildren(Node, false);
    }
    if (Node->ChildCount > 1) SortChildren(Node, Column, Direction);
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        Invalidate();
    }
}

void TLazyTreeCore::SortTree(TColumnIndex Column, TSortDirection Direction, bool DoInit) {
    if (FRoot->TotalCount <= 2) return;
    std::exception_ptr error;
    {
        TUpdateCountGuard guard(FUpdateCount);
        if (Column >= NoColumn) {
            StartOperation(TLTOperationKind::okSortTree);
            try {
                const bool autoSort = FOptions->AutoOptions().Contains(TLTAutoOption::toAutoSort);
                Sort(FRoot, Column, Direction, DoInit);
                // Depth-first over the sorted levels with a stack of the nodes whose children are
                // being visited, so no depth exhausts the call stack.
                std::vector<PLazyNode> stack;
                PLazyNode c = FRoot->FirstChild;
                for (;;) {
                    if (!c || OperationCanceled()) {
                        if (stack.empty() || OperationCanceled()) break;
                        c = stack.back()->NextSibling;
                        stack.pop_back();
                        continue;
                    }
                    if (DoInit) EnsureInitialized(c);
                    if (c->States.Contains(vsInitialized) && (!autoSort || c->States.Contains(vsExpanded)) &&
                        c->States.Contains(vsHasChildren)) {
                        Sort(c, Column, Direction, DoInit);
                        stack.push_back(c);
                        c = c->FirstChild;
                        continue;
                    }
                    c = c->NextSibling;
                }
            } catch (...) {
                error = std::current_exception();
            }
            try {
                EndOperation(TLTOperationKind::okSortTree);
            } catch (...) {
                if (!error) error = std::current_exception();
            }
        }
        InvalidateCache();
    }
    if (FUpdateCount == 0) {
        RequestCacheValidation();
        Invalidate();
    }
    if (error) std::rethrow_exception(error);
}
