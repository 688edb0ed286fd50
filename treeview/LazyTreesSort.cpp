// Sorting: a stable merge sort over a sibling chain that relinks the nodes in place (no array, no
// copies, pointers held by the application stay valid), for one node or for every level.
#include <exception>
#include <vector>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

// Asks for a node's record and the first bytes of its user data (where comparisons read their
// keys) ahead of their use: a record may straddle two cache lines.
inline void prefetchNode(PLazyNode n) {
#if defined(__GNUC__) || defined(__clang__)
    if (!n) return;
    __builtin_prefetch(n);
    __builtin_prefetch(reinterpret_cast<const char*>(n->Data()) + 7);
#else
    (void)n;
#endif
}

// Sorts the chain by NextSibling links. A comparison that raises ends the comparing like a cancel: the
// merges finish in chain order, so the chain stays whole, and the error is kept for the caller.
//
// After the first levels a sorted list follows its keys, not memory, so walking it waits on a cache
// miss at every node. While a merge links its output it therefore leaves in each node's PrevSibling
// (free until the relinking at the end) the node kLookAhead places further on in that output; the
// merge that reads the list next asks for that node as it takes this one, so the misses of a list
// overlap instead of following one another.
template <typename CompareFn, typename CanceledFn>
class ChainSorter {
public:
    ChainSorter(TSortDirection direction, CompareFn compare, CanceledFn canceled)
        : ascending_(direction == TSortDirection::sdAscending), compare_(compare), canceled_(canceled) {}

    // Takes Count (2 or more) nodes off the head of the chain and links them sorted: NextSibling,
    // PrevSibling and Index in the new order, First and Last the ends. The last merge relinks as it
    // goes, while it holds each node: a walk of its own afterwards would wait on every node again.
    void SortAll(PLazyNode head, uint32_t count, PLazyNode& first, PLazyNode& last) {
        PLazyNode a = Sort(head, count / 2);
        PLazyNode b = Sort(head, (count + 1) / 2);
        MergeRelinked(a, b, first, last);
    }

    std::exception_ptr error;

private:
    static constexpr uint32_t kLookAhead = 8;

    // The output of a merge, linked through NextSibling, with the look-ahead links behind it.
    class Output {
    public:
        void Append(PLazyNode n) {
            *tail_ = n;
            tail_ = &n->NextSibling;
            PLazyNode& slot = recent_[count_ % kLookAhead];
            if (count_ >= kLookAhead) slot->PrevSibling = n;
            slot = n;
            ++count_;
        }
        PLazyNode Finish() {
            *tail_ = nullptr;
            // The last ones have no node that far on.
            for (uint32_t i = 0; i < kLookAhead && i < count_; ++i) recent_[i]->PrevSibling = nullptr;
            return head_;
        }

    private:
        PLazyNode head_ = nullptr;
        PLazyNode* tail_ = &head_;
        PLazyNode recent_[kLookAhead];
        uint32_t count_ = 0;
    };

    // Takes Count nodes off the head of the chain and answers them sorted, nil-terminated.
    PLazyNode Sort(PLazyNode& head, uint32_t count) {
        if (count == 1) {
            PLazyNode node = head;
            head = head->NextSibling;
            node->NextSibling = nullptr;
            node->PrevSibling = nullptr;
            return node;
        }
        PLazyNode a = Sort(head, count / 2);
        PLazyNode b = Sort(head, (count + 1) / 2);
        return Merge(a, b);
    }

    int Compare(PLazyNode a, PLazyNode b) {
        if (error || canceled_()) return 0;
        try {
            return compare_(a, b);
        } catch (...) {
            error = std::current_exception();
            return 0;
        }
    }

    bool TakeSecond(PLazyNode a, PLazyNode b) {
        const int c = Compare(a, b);
        return ascending_ ? c > 0 : c < 0;
    }

    // Takes the head of a list off it; the node kLookAhead places on is asked for.
    static PLazyNode Pop(PLazyNode& list) {
        PLazyNode n = list;
        prefetchNode(n->PrevSibling);
        list = n->NextSibling;
        return n;
    }

    PLazyNode Merge(PLazyNode a, PLazyNode b) {
        Output out;
        while (a && b) out.Append(Pop(TakeSecond(a, b) ? b : a));
        for (PLazyNode& rest = a ? a : b; rest;) out.Append(Pop(rest));
        return out.Finish();
    }

    void MergeRelinked(PLazyNode a, PLazyNode b, PLazyNode& first, PLazyNode& last) {
        PLazyNode previous = nullptr;
        uint32_t index = 0;
        const auto append = [&](PLazyNode n) {
            n->PrevSibling = previous;
            n->Index = index++;
            if (previous) previous->NextSibling = n;
            else first = n;
            previous = n;
        };
        while (a && b) append(Pop(TakeSecond(a, b) ? b : a));
        for (PLazyNode& rest = a ? a : b; rest;) append(Pop(rest));
        previous->NextSibling = nullptr;
        last = previous;
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
        sorter.SortAll(Node->FirstChild, Node->ChildCount, Node->FirstChild, Node->LastChild);
        error = sorter.error;
        try {
            EndOperation(TLTOperationKind::okSortNode);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
    } else {
        // Without comparisons the order is kept; the numbering is made whole all the same.
        PLazyNode previous = nullptr;
        uint32_t index = 0;
        for (PLazyNode n = Node->FirstChild; n; n = n->NextSibling) {
            n->PrevSibling = previous;
            n->Index = index++;
            previous = n;
        }
        Node->LastChild = previous;
    }
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
