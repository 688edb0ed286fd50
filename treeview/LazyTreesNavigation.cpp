// Navigation and iteration: first, last, next and previous node by criterion, in normal order (pre-order)
// or children-above order (post-order); the enumerations; IterateSubtree; node positions and the node at
// a vertical position. Every walk is a loop over the links.
#include <algorithm>
#include <exception>

#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

constexpr const char* kNotRoot = "Node must not be the hidden root node.";

bool Has(PLazyNode n, TLazyNodeState s) {
    return n->States.Contains(s);
}

// Asks for the memory some nodes further on. Nodes made one after another lie one after another in
// their slab, so a walk in display order over nodes added in that order reads memory in order; the
// hardware alone does not read far enough ahead to keep such a walk fed. Elsewhere this only costs
// a little bandwidth: asking for memory never faults.
inline void prefetchAhead(PLazyNode n) {
#if defined(__GNUC__) || defined(__clang__)
    constexpr uintptr_t kAhead = 4096;
    const uintptr_t at = reinterpret_cast<uintptr_t>(n) + kAhead;
    __builtin_prefetch(reinterpret_cast<const void*>(at));
    __builtin_prefetch(reinterpret_cast<const void*>(at + 64));
#else
    (void)n;
#endif
}

}  // namespace

void TLazyTreeCore::EnsureInitialized(PLazyNode Node) {
    if (Node && Node != FRoot && !Has(Node, vsInitialized)) InitNode(Node);
}

void TLazyTreeCore::EnsureChildren(PLazyNode Node) {
    if (Node && Node != FRoot && Has(Node, vsHasChildren) && Node->ChildCount == 0) InitChildren(Node);
}

// ---- Structure walks ----

PLazyNode TLazyTreeCore::GetFirst(bool ConsiderChildrenAbove) {
    PLazyNode r = FRoot->FirstChild;
    if (r && ChildrenAboveOrder(ConsiderChildrenAbove)) {
        for (;;) {
            EnsureInitialized(r);
            EnsureChildren(r);
            if (!r->FirstChild) break;
            r = r->FirstChild;
        }
    }
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstNoInit(bool ConsiderChildrenAbove) {
    PLazyNode r = FRoot->FirstChild;
    if (r && ChildrenAboveOrder(ConsiderChildrenAbove))
        while (r->FirstChild) r = r->FirstChild;
    return r;
}

PLazyNode TLazyTreeCore::LastImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init) {
    PLazyNode r = Init ? GetLastChild(Node) : GetLastChildNoInit(Node);
    if (!ChildrenAboveOrder(ConsiderChildrenAbove)) {
        while (r) {
            PLazyNode c = Init ? GetLastChild(r) : GetLastChildNoInit(r);
            if (!c) break;
            r = c;
        }
    }
    return r;
}

PLazyNode TLazyTreeCore::GetLast(PLazyNode Node, bool ConsiderChildrenAbove) {
    return LastImpl(Node, ConsiderChildrenAbove, true);
}

PLazyNode TLazyTreeCore::GetLastNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
    return LastImpl(Node, ConsiderChildrenAbove, false);
}

PLazyNode TLazyTreeCore::NextImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    if (!Node) return nullptr;
    PLazyNode r = nullptr;
    if (!ChildrenAboveOrder(ConsiderChildrenAbove)) {
        if (Init) EnsureChildren(Node);
        if (Node->FirstChild) {
            r = Node->FirstChild;
        } else {
            for (PLazyNode n = Node; n != FRoot; n = n->Parent)
                if (n->NextSibling) {
                    r = n->NextSibling;
                    break;
                }
        }
    } else if (Node->NextSibling) {
        r = Node->NextSibling;
        for (;;) {
            if (Init) {
                EnsureInitialized(r);
                EnsureChildren(r);
            }
            if (!r->FirstChild) break;
            r = r->FirstChild;
        }
    } else if (Node->Parent != FRoot) {
        r = Node->Parent;
    }
    if (Init) EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetNext(PLazyNode Node, bool ConsiderChildrenAbove) {
    return NextImpl(Node, ConsiderChildrenAbove, true);
}

PLazyNode TLazyTreeCore::GetNextNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
    return NextImpl(Node, ConsiderChildrenAbove, false);
}

PLazyNode TLazyTreeCore::PreviousImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    if (!Node) return nullptr;
    PLazyNode r = nullptr;
    if (!ChildrenAboveOrder(ConsiderChildrenAbove)) {
        if (PLazyNode p = Node->PrevSibling) {
            r = LastImpl(p, false, Init);
            if (!r) r = p;
        } else if (Node->Parent != FRoot) {
            r = Node->Parent;
        }
    } else {
        if (Init) EnsureChildren(Node);
        if (Node->LastChild) {
            r = Node->LastChild;
        } else {
            for (PLazyNode n = Node; n != FRoot; n = n->Parent)
                if (n->PrevSibling) {
                    r = n->PrevSibling;
                    break;
                }
        }
    }
    if (Init) EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPrevious(PLazyNode Node, bool ConsiderChildrenAbove) {
    return PreviousImpl(Node, ConsiderChildrenAbove, true);
}

PLazyNode TLazyTreeCore::GetPreviousNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
    return PreviousImpl(Node, ConsiderChildrenAbove, false);
}

PLazyNode TLazyTreeCore::GetFirstChild(PLazyNode Node) {
    if (!Node || Node == FRoot) {
        EnsureInitialized(FRoot->FirstChild);
        return FRoot->FirstChild;
    }
    EnsureInitialized(Node);
    if (!Has(Node, vsHasChildren)) return nullptr;
    EnsureChildren(Node);
    EnsureInitialized(Node->FirstChild);
    return Node->FirstChild;
}

PLazyNode TLazyTreeCore::GetFirstChildNoInit(PLazyNode Node) {
    if (!Node || Node == FRoot) return FRoot->FirstChild;
    return Has(Node, vsHasChildren) ? Node->FirstChild : nullptr;
}

PLazyNode TLazyTreeCore::GetLastChild(PLazyNode Node) {
    if (!Node || Node == FRoot) {
        EnsureInitialized(FRoot->LastChild);
        return FRoot->LastChild;
    }
    EnsureInitialized(Node);
    if (!Has(Node, vsHasChildren)) return nullptr;
    EnsureChildren(Node);
    EnsureInitialized(Node->LastChild);
    return Node->LastChild;
}

PLazyNode TLazyTreeCore::GetLastChildNoInit(PLazyNode Node) {
    if (!Node || Node == FRoot) return FRoot->LastChild;
    return Has(Node, vsHasChildren) ? Node->LastChild : nullptr;
}

PLazyNode TLazyTreeCore::GetNextSibling(PLazyNode Node) {
    PLazyNode r = GetNextSiblingNoInit(Node);
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetNextSiblingNoInit(PLazyNode Node) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    return Node ? Node->NextSibling : nullptr;
}

PLazyNode TLazyTreeCore::GetPreviousSibling(PLazyNode Node) {
    PLazyNode r = GetPreviousSiblingNoInit(Node);
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPreviousSiblingNoInit(PLazyNode Node) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    return Node ? Node->PrevSibling : nullptr;
}

// ---- Visible walks ----

// The first node with vsVisible among S's following siblings, then among those of S's parent and so
// on upward; nil at the root.
PLazyNode TLazyTreeCore::NextVisibleSiblingUp(PLazyNode S, bool Init) {
    while (S && S != FRoot) {
        for (PLazyNode n = S->NextSibling; n; n = n->NextSibling) {
            if (Init) EnsureInitialized(n);
            if (Has(n, vsVisible)) return n;
        }
        S = S->Parent;
    }
    return nullptr;
}

PLazyNode TLazyTreeCore::FirstVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered,
                                          bool Init) {
    if (!Node) Node = FRoot;
    if (!Has(Node, vsHasChildren)) return nullptr;
    if (Init) EnsureChildren(Node);
    if (!Node->FirstChild) return nullptr;
    PLazyNode r = Init ? GetFirstChild(Node) : Node->FirstChild;
    if (!ChildrenAboveOrder(ConsiderChildrenAbove)) {
        if (!Has(r, vsVisible)) r = NextVisibleSiblingUp(r, Init);
    } else {
        for (;;) {
            if (!Has(r, vsVisible)) {
                if (r->NextSibling) {
                    r = r->NextSibling;
                    if (Init) EnsureInitialized(r);
                    continue;
                }
                r = r->Parent == FRoot ? nullptr : r->Parent;
                break;
            }
            if (Init) EnsureChildren(r);
            if (Has(r, vsExpanded) && r->FirstChild) {
                r = r->FirstChild;
                if (Init) EnsureInitialized(r);
                continue;
            }
            break;
        }
    }
    if (r && !IncludeFiltered && IsEffectivelyFiltered(r)) return NextVisibleImpl(r, true, Init);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstVisible(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    return FirstVisibleImpl(Node, ConsiderChildrenAbove, IncludeFiltered, true);
}

PLazyNode TLazyTreeCore::GetFirstVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    return FirstVisibleImpl(Node, ConsiderChildrenAbove, IncludeFiltered, false);
}

PLazyNode TLazyTreeCore::GetLastVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    PLazyNode r = GetLastNoInit(Node, ConsiderChildrenAbove);
    // With children above, Node comes after its subtree: walking back from its last child leaves the
    // subtree instead of meeting Node, and a node found outside it is not Node's.
    const bool above = Node && Node != FRoot && ChildrenAboveOrder(ConsiderChildrenAbove);
    while (r && r != Node && (!FullyVisible(r) || (!IncludeFiltered && IsEffectivelyFiltered(r)))) {
        r = GetPreviousNoInit(r, ConsiderChildrenAbove);
        if (above && r && !HasAsParent(r, Node)) r = nullptr;
    }
    return r == Node ? nullptr : r;
}

PLazyNode TLazyTreeCore::GetLastVisible(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    PLazyNode r = GetLastVisibleNoInit(Node, ConsiderChildrenAbove, IncludeFiltered);
    for (PLazyNode n = r; n && n != Node && n != FRoot; n = n->Parent) EnsureInitialized(n);
    return r;
}

PLazyNode TLazyTreeCore::NextVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    if (!Node) return nullptr;
    prefetchAhead(Node);
    const TLTPaintOptions paint = FOptions->PaintOptions();
    const bool above = ConsiderChildrenAbove && paint.Contains(TLTPaintOption::toChildrenAbove);
    const bool showFiltered = paint.Contains(TLTPaintOption::toShowFilteredNodes);
    for (;;) {
        if (!(above && !Init) && !FullyVisible(Node)) Node = GetVisibleParent(Node, true);
        PLazyNode candidate = nullptr;
        if (!above) {
            if (Init && Has(Node, vsExpanded) && Has(Node, vsHasChildren) && Node->ChildCount == 0)
                EnsureChildren(Node);
            if (Has(Node, vsExpanded) && Node->FirstChild) {
                PLazyNode s = Node->FirstChild;
                if (Init) EnsureInitialized(s);
                candidate = Has(s, vsVisible) ? s : NextVisibleSiblingUp(s, Init);
            } else if (PLazyNode s = Node->NextSibling;
                       s && (!Init || Has(s, vsInitialized)) && Has(s, vsVisible)) {
                // The usual step: the next sibling, shown (and initialised when asked for).
                candidate = s;
            } else {
                candidate = NextVisibleSiblingUp(Node, Init);
            }
        } else {
            PLazyNode n = Node;
            for (;;) {
                if (n->NextSibling) {
                    PLazyNode s = n->NextSibling;
                    if (Init) EnsureInitialized(s);
                    if (!Has(s, vsVisible)) {
                        n = s;
                        continue;
                    }
                    bool hiddenFirstChild = false;
                    while (Has(s, vsExpanded)) {
                        if (Init) EnsureChildren(s);
                        PLazyNode c = s->FirstChild;
                        if (!c) break;
                        if (Init) EnsureInitialized(c);
                        if (!Has(c, vsVisible)) {
                            // A hidden first child is passed like a hidden sibling.
                            n = c;
                            hiddenFirstChild = true;
                            break;
                        }
                        s = c;
                    }
                    if (hiddenFirstChild) continue;
                    candidate = s;
                    break;
                }
                PLazyNode p = n->Parent;
                if (p == FRoot) break;
                if (Init) EnsureInitialized(p);
                if (Has(p, vsVisible)) {
                    candidate = p;
                    break;
                }
                n = p;
            }
        }
        // Effectively visible: shown and not filtered out (or filtered nodes shown).
        if (!candidate || (Has(candidate, vsVisible) && (showFiltered || !Has(candidate, vsFiltered))))
            return candidate;
        // A filtered node: its expanded children are still reached.
        Node = candidate;
    }
}

PLazyNode TLazyTreeCore::GetNextVisible(PLazyNode Node, bool ConsiderChildrenAbove) {
    return NextVisibleImpl(Node, ConsiderChildrenAbove, true);
}

PLazyNode TLazyTreeCore::GetNextVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
    return NextVisibleImpl(Node, ConsiderChildrenAbove, false);
}

PLazyNode TLazyTreeCore::PreviousVisibleSiblingOf(PLazyNode Node, bool Init) {
    for (PLazyNode p = Node->PrevSibling; p; p = p->PrevSibling) {
        if (Init) EnsureInitialized(p);
        if (Has(p, vsVisible)) return p;
    }
    return nullptr;
}

PLazyNode TLazyTreeCore::LastShownChild(PLazyNode Node, bool Init) {
    if (Node != FRoot) {
        if (!Has(Node, vsExpanded)) return nullptr;
        if (Init) EnsureChildren(Node);
    }
    PLazyNode c = Node->LastChild;
    if (!c) return nullptr;
    if (Init) EnsureInitialized(c);
    return Has(c, vsVisible) ? c : PreviousVisibleSiblingOf(c, Init);
}

// The exact mirror of the forward walk: both step over the nodes that are fully visible (vsVisible,
// every ancestor visible and expanded) and pass filtered ones by repeating from them, so a node below
// a hidden or collapsed node is never reached and the walk cannot cycle.
PLazyNode TLazyTreeCore::PreviousVisibleImpl(PLazyNode Node, bool ConsiderChildrenAbove, bool Init) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    if (!Node) return nullptr;
    const bool above = ChildrenAboveOrder(ConsiderChildrenAbove);
    // Normal order: the node shown last in the subtree of a shown node.
    auto lastShownIn = [&](PLazyNode n) {
        while (PLazyNode c = LastShownChild(n, Init)) n = c;
        return n;
    };
    for (;;) {
        PLazyNode candidate = nullptr;
        if (!FullyVisible(Node)) {
            // A node out of sight stands where its nearest shown ancestor is.
            candidate = GetVisibleParent(Node, true);
            if (candidate == FRoot) {
                candidate = nullptr;
            } else if (above) {
                if (PLazyNode c = LastShownChild(candidate, Init)) candidate = c;
            } else {
                candidate = lastShownIn(candidate);
            }
        } else if (!above) {
            if (PLazyNode p = PreviousVisibleSiblingOf(Node, Init))
                candidate = lastShownIn(p);
            else
                candidate = Node->Parent == FRoot ? nullptr : Node->Parent;
        } else if (PLazyNode c = LastShownChild(Node, Init)) {
            // Children above: a node's shown children come right before it.
            candidate = c;
        } else {
            for (PLazyNode a = Node; a != FRoot && !candidate; a = a->Parent) candidate = PreviousVisibleSiblingOf(a, Init);
        }
        if (Init) EnsureInitialized(candidate);
        if (!candidate || IsEffectivelyVisible(candidate)) return candidate;
        Node = candidate;
    }
}

PLazyNode TLazyTreeCore::GetPreviousVisible(PLazyNode Node, bool ConsiderChildrenAbove) {
    return PreviousVisibleImpl(Node, ConsiderChildrenAbove, true);
}

PLazyNode TLazyTreeCore::GetPreviousVisibleNoInit(PLazyNode Node, bool ConsiderChildrenAbove) {
    return PreviousVisibleImpl(Node, ConsiderChildrenAbove, false);
}

PLazyNode TLazyTreeCore::GetFirstVisibleChild(PLazyNode Node, bool IncludeFiltered) {
    PLazyNode c = GetFirstChild(Node);
    if (c && (!Has(c, vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(c))))
        c = GetNextVisibleSibling(c, IncludeFiltered);
    return c;
}

PLazyNode TLazyTreeCore::GetFirstVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered) {
    PLazyNode c = GetFirstChildNoInit(Node);
    if (c && (!Has(c, vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(c))))
        c = GetNextVisibleSiblingNoInit(c, IncludeFiltered);
    return c;
}

PLazyNode TLazyTreeCore::GetLastVisibleChild(PLazyNode Node, bool IncludeFiltered) {
    PLazyNode c = nullptr;
    if (!Node || Node == FRoot)
        c = GetLastChild(nullptr);
    else if (FullyVisible(Node) && Has(Node, vsExpanded))
        c = GetLastChild(Node);
    if (c && (!Has(c, vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(c))))
        c = GetPreviousVisibleSibling(c, IncludeFiltered);
    return c;
}

PLazyNode TLazyTreeCore::GetLastVisibleChildNoInit(PLazyNode Node, bool IncludeFiltered) {
    PLazyNode c = nullptr;
    if (!Node || Node == FRoot)
        c = FRoot->LastChild;
    else if (FullyVisible(Node) && Has(Node, vsExpanded))
        c = GetLastChildNoInit(Node);
    if (c && (!Has(c, vsVisible) || (!IncludeFiltered && IsEffectivelyFiltered(c))))
        c = GetPreviousVisibleSiblingNoInit(c, IncludeFiltered);
    return c;
}

PLazyNode TLazyTreeCore::GetNextVisibleSibling(PLazyNode Node, bool IncludeFiltered) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    for (PLazyNode n = GetNextSibling(Node); n; n = GetNextSibling(n))
        if (Has(n, vsVisible) && (IncludeFiltered || !IsEffectivelyFiltered(n))) return n;
    return nullptr;
}

PLazyNode TLazyTreeCore::GetNextVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    for (PLazyNode n = Node->NextSibling; n; n = n->NextSibling)
        if (Has(n, vsVisible) && (IncludeFiltered || !IsEffectivelyFiltered(n))) return n;
    return nullptr;
}

PLazyNode TLazyTreeCore::GetPreviousVisibleSibling(PLazyNode Node, bool IncludeFiltered) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    for (PLazyNode n = GetPreviousSibling(Node); n; n = GetPreviousSibling(n))
        if (Has(n, vsVisible) && (IncludeFiltered || !IsEffectivelyFiltered(n))) return n;
    return nullptr;
}

PLazyNode TLazyTreeCore::GetPreviousVisibleSiblingNoInit(PLazyNode Node, bool IncludeFiltered) {
    lazytree::Assert(Node && Node != FRoot, "Invalid parameter.");
    for (PLazyNode n = Node->PrevSibling; n; n = n->PrevSibling)
        if (Has(n, vsVisible) && (IncludeFiltered || !IsEffectivelyFiltered(n))) return n;
    return nullptr;
}

// ---- Searches by state ----

template <typename Pred>
PLazyNode TLazyTreeCore::SearchForward(PLazyNode Node, bool ConsiderChildrenAbove, Pred Accept) {
    Node = (!Node || Node == FRoot) ? GetFirstNoInit(ConsiderChildrenAbove) : GetNextNoInit(Node, ConsiderChildrenAbove);
    while (Node && !Accept(Node)) Node = GetNextNoInit(Node, ConsiderChildrenAbove);
    return Node;
}

template <typename Pred>
PLazyNode TLazyTreeCore::SearchBackward(PLazyNode Node, bool ConsiderChildrenAbove, Pred Accept) {
    Node = (!Node || Node == FRoot) ? GetLastNoInit(nullptr, ConsiderChildrenAbove)
                                    : GetPreviousNoInit(Node, ConsiderChildrenAbove);
    while (Node && !Accept(Node)) Node = GetPreviousNoInit(Node, ConsiderChildrenAbove);
    return Node;
}

PLazyNode TLazyTreeCore::GetFirstChecked(TCheckState State, bool ConsiderChildrenAbove) {
    return GetNextChecked(nullptr, State, ConsiderChildrenAbove);
}

PLazyNode TLazyTreeCore::GetNextChecked(PLazyNode Node, TCheckState State, bool ConsiderChildrenAbove) {
    PLazyNode r = SearchForward(Node, ConsiderChildrenAbove, [&](PLazyNode n) { return n->CheckState == State; });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetNextChecked(PLazyNode Node, bool ConsiderChildrenAbove) {
    return GetNextChecked(Node, TCheckState::csCheckedNormal, ConsiderChildrenAbove);
}

PLazyNode TLazyTreeCore::GetPreviousChecked(PLazyNode Node, TCheckState State, bool ConsiderChildrenAbove) {
    PLazyNode r = SearchBackward(Node, ConsiderChildrenAbove, [&](PLazyNode n) { return n->CheckState == State; });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstCutCopy(bool ConsiderChildrenAbove) {
    return GetNextCutCopy(nullptr, ConsiderChildrenAbove);
}

PLazyNode TLazyTreeCore::GetNextCutCopy(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PLazyNode r = SearchForward(Node, ConsiderChildrenAbove, [](PLazyNode n) { return Has(n, vsCutOrCopy); });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPreviousCutCopy(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (!FStates.Contains(tsCutPending) && !FStates.Contains(tsCopyPending)) return nullptr;
    PLazyNode r = SearchBackward(Node, ConsiderChildrenAbove, [](PLazyNode n) { return Has(n, vsCutOrCopy); });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstSelected(bool ConsiderChildrenAbove) {
    return GetNextSelected(nullptr, ConsiderChildrenAbove);
}

PLazyNode TLazyTreeCore::GetNextSelected(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (SelectedCount() == 0) return nullptr;
    PLazyNode r = SearchForward(Node, ConsiderChildrenAbove, [](PLazyNode n) { return Has(n, vsSelected); });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPreviousSelected(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (SelectedCount() == 0) return nullptr;
    PLazyNode r = SearchBackward(Node, ConsiderChildrenAbove, [](PLazyNode n) { return Has(n, vsSelected); });
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstInitialized(bool ConsiderChildrenAbove) {
    PLazyNode r = GetFirstNoInit(ConsiderChildrenAbove);
    if (r && !Has(r, vsInitialized)) r = GetNextInitialized(r, ConsiderChildrenAbove);
    return r;
}

PLazyNode TLazyTreeCore::GetNextInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    do
        Node = GetNextNoInit(Node, ConsiderChildrenAbove);
    while (Node && !Has(Node, vsInitialized));
    return Node;
}

PLazyNode TLazyTreeCore::GetPreviousInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
    if (!Node) return nullptr;
    do
        Node = GetPreviousNoInit(Node, ConsiderChildrenAbove);
    while (Node && !Has(Node, vsInitialized));
    return Node;
}

PLazyNode TLazyTreeCore::GetLastInitialized(PLazyNode Node, bool ConsiderChildrenAbove) {
    PLazyNode r = GetLastNoInit(Node, ConsiderChildrenAbove);
    if (r && !Has(r, vsInitialized)) r = GetPreviousInitialized(r, ConsiderChildrenAbove);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstLeaf() {
    return GetNextLeaf(nullptr);
}

PLazyNode TLazyTreeCore::GetNextLeaf(PLazyNode Node) {
    PLazyNode r = (!Node || Node == FRoot) ? FRoot->FirstChild : GetNext(Node, false);
    // The first node is initialised before its test too: before it, it cannot say it has children.
    EnsureInitialized(r);
    while (r && Has(r, vsHasChildren)) r = GetNext(r, false);
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPreviousLeaf(PLazyNode Node) {
    PLazyNode r = (!Node || Node == FRoot) ? GetLast(nullptr, false) : GetPrevious(Node, false);
    while (r && Has(r, vsHasChildren)) r = GetPrevious(r, false);
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetFirstLevel(uint32_t NodeLevel) {
    PLazyNode r = GetFirstNoInit(true);
    while (r && GetNodeLevel(r) != NodeLevel) r = GetNextNoInit(r, true);
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetNextLevel(PLazyNode Node, uint32_t NodeLevel) {
    if (!Node || Node == FRoot) return nullptr;
    PLazyNode r = nullptr;
    for (;;) {
        const uint32_t level = GetNodeLevel(Node);
        if (level > NodeLevel) {
            Node = Node->Parent;
            continue;
        }
        PLazyNode from = Node;
        if (level == NodeLevel) {
            if (Node->NextSibling) {
                r = Node->NextSibling;
                break;
            }
            PLazyNode a = Node->Parent;
            while (a != FRoot && !a->NextSibling) a = a->Parent;
            if (a == FRoot) return nullptr;
            from = a->NextSibling;
            EnsureInitialized(from);
        }
        // Forward from a node above the level: the first node of the level after it.
        r = from;
        do
            r = GetNext(r, false);
        while (r && GetNodeLevel(r) != NodeLevel);
        break;
    }
    EnsureInitialized(r);
    return r;
}

PLazyNode TLazyTreeCore::GetPreviousLevel(PLazyNode Node, uint32_t NodeLevel) {
    PLazyNode r = nullptr;
    for (;;) {
        if (!Node || Node == FRoot) return nullptr;
        const uint32_t level = GetNodeLevel(Node);
        if (level >= NodeLevel) {
            if (level == NodeLevel && Node->PrevSibling) {
                r = Node->PrevSibling;
                break;
            }
            Node = Node->Parent;
            continue;
        }
        if (!Node->PrevSibling) {
            Node = Node->Parent;
            continue;
        }
        PLazyNode d = GetPreviousSibling(Node);
        uint32_t depth = level;
        while (depth < NodeLevel) {
            PLazyNode c = GetLastChild(d);
            if (!c) break;
            d = c;
            ++depth;
        }
        if (depth == NodeLevel) {
            r = d;
            break;
        }
        if (d->PrevSibling) {
            Node = d;
        } else {
            if (d->Parent == FRoot) return nullptr;
            Node = d->Parent;
        }
    }
    EnsureInitialized(r);
    return r;
}

// ---- Enumerations ----

bool TLTLazyNodeEnumerator::MoveNext() {
    if (FCanModeNext) {
        FNode = FEnumeration->GetNextNode(FNode);
        FCanModeNext = FNode != nullptr;
    }
    return FCanModeNext;
}

PLazyNode TLTLazyNodeEnumeration::GetNextNode(PLazyNode Node) {
    using enum TLZLazyNodeEnumerationMode;
    TLazyTreeCore& t = *FTree;
    const bool cca = FConsiderChildrenAbove;
    switch (FMode) {
        case vneAll:
            return Node ? t.GetNext(Node, cca) : t.GetFirst(cca);
        case vneChecked:
            return Node ? t.GetNextChecked(Node, FState, cca) : t.GetFirstChecked(FState, cca);
        case vneChild:
            return Node ? t.GetNextSibling(Node) : t.GetFirstChild(FNode);
        case vneCutCopy:
            return Node ? t.GetNextCutCopy(Node, cca) : t.GetFirstCutCopy(cca);
        case vneInitialized:
            return Node ? t.GetNextInitialized(Node, cca) : t.GetFirstInitialized(cca);
        case vneLeaf:
            return Node ? t.GetNextLeaf(Node) : t.GetFirstLeaf();
        case vneLevel:
            return Node ? t.GetNextLevel(Node, FNodeLevel) : t.GetFirstLevel(FNodeLevel);
        case vneNoInit:
            return Node ? t.GetNextNoInit(Node, cca) : t.GetFirstNoInit(cca);
        case vneSelected:
            return Node ? t.GetNextSelected(Node, cca) : t.GetFirstSelected(cca);
        case vneVisible:
            if (!Node) return t.GetFirstVisible(FNode, cca, FIncludeFiltered);
            do
                Node = t.GetNextVisible(Node, true);
            while (Node && !FIncludeFiltered && t.IsEffectivelyFiltered(Node));
            return Node;
        case vneVisibleChild:
            return Node ? t.GetNextVisibleSibling(Node, FIncludeFiltered) : t.GetFirstVisibleChild(FNode, FIncludeFiltered);
        case vneVisibleNoInitChild:
            return Node ? t.GetNextVisibleSiblingNoInit(Node, FIncludeFiltered)
                        : t.GetFirstVisibleChildNoInit(FNode, FIncludeFiltered);
        case vneVisibleNoInit:
            if (!Node) return t.GetFirstVisibleNoInit(FNode, cca, FIncludeFiltered);
            do
                Node = t.GetNextVisibleNoInit(Node, cca);
            while (Node && !FIncludeFiltered && t.IsEffectivelyFiltered(Node));
            return Node;
    }
    return nullptr;
}

namespace {
TLTLazyNodeEnumeration Enumeration(TLazyTreeCore* tree, TLZLazyNodeEnumerationMode mode) {
    TLTLazyNodeEnumeration e;
    e.FMode = mode;
    e.FTree = tree;
    return e;
}
}  // namespace

using enum TLZLazyNodeEnumerationMode;

TLTLazyNodeEnumeration TLazyTreeCore::Nodes(bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneAll);
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::CheckedNodes(TCheckState State, bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneChecked);
    e.FState = State;
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::ChildNodes(PLazyNode Node) {
    auto e = Enumeration(this, vneChild);
    e.FNode = Node;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::CutCopyNodes(bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneCutCopy);
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::InitializedNodes(bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneInitialized);
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::LeafNodes() {
    return Enumeration(this, vneLeaf);
}

TLTLazyNodeEnumeration TLazyTreeCore::LevelNodes(uint32_t NodeLevel) {
    auto e = Enumeration(this, vneLevel);
    e.FNodeLevel = NodeLevel;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::NoInitNodes(bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneNoInit);
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::SelectedNodes(bool ConsiderChildrenAbove) {
    auto e = Enumeration(this, vneSelected);
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::VisibleNodes(PLazyNode Node, bool ConsiderChildrenAbove, bool IncludeFiltered) {
    auto e = Enumeration(this, vneVisible);
    e.FNode = Node;
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    e.FIncludeFiltered = IncludeFiltered;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::VisibleChildNodes(PLazyNode Node, bool IncludeFiltered) {
    auto e = Enumeration(this, vneVisibleChild);
    e.FNode = Node;
    e.FIncludeFiltered = IncludeFiltered;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::VisibleChildNoInitNodes(PLazyNode Node, bool IncludeFiltered) {
    auto e = Enumeration(this, vneVisibleNoInitChild);
    e.FNode = Node;
    e.FIncludeFiltered = IncludeFiltered;
    return e;
}

TLTLazyNodeEnumeration TLazyTreeCore::VisibleNoInitNodes(PLazyNode Node, bool ConsiderChildrenAbove,
                                                         bool IncludeFiltered) {
    auto e = Enumeration(this, vneVisibleNoInit);
    e.FNode = Node;
    e.FConsiderChildrenAbove = ConsiderChildrenAbove;
    e.FIncludeFiltered = IncludeFiltered;
    return e;
}

// ---- Iteration with a callback ----

PLazyNode TLazyTreeCore::IterateSubtree(PLazyNode Node, const TLTGetNodeProc& Callback, void* Data,
                                        TLazyNodeStates Filter, bool DoInit, bool ChildNodesOnly) {
    lazytree::Assert(Node != FRoot, kNotRoot);
    const bool wasIterating = FStates.Contains(tsIterating);
    DoStateChange({tsIterating});
    PLazyNode result = nullptr;
    try {
        auto step = [&](PLazyNode n) { return DoInit ? GetNext(n, false) : GetNextNoInit(n, false); };
        PLazyNode stop = nullptr;
        bool empty = false;
        if (Node) {
            if (DoInit) EnsureInitialized(Node);
            for (PLazyNode n = Node; n != FRoot; n = n->Parent)
                if (n->NextSibling) {
                    stop = n->NextSibling;
                    break;
                }
        } else {
            Node = GetFirstNoInit(false);
            if (DoInit) EnsureInitialized(Node);
        }
        if (ChildNodesOnly) {
            if (!Node || Node->ChildCount == 0)
                empty = true;
            else
                Node = step(Node);
        }
        bool abort = false;
        for (PLazyNode n = empty ? nullptr : Node; n && n != stop; n = step(n)) {
            if (Filter.Empty() || (n->States * Filter) == Filter) Callback(this, n, Data, abort);
            if (abort) {
                result = n;
                break;
            }
        }
    } catch (...) {
        if (!wasIterating) DoStateChange({}, {tsIterating});
        throw;
    }
    if (!wasIterating) DoStateChange({}, {tsIterating});
    return result;
}

// ---- Positions ----

uint32_t TLazyTreeCore::AbsoluteIndex(PLazyNode Node) {
    uint32_t result = 0;
    while (Node && Node != FRoot) {
        EnsureInitialized(Node);
        if (Node->PrevSibling) {
            Node = Node->PrevSibling;
            result += Node->TotalCount;
        } else {
            Node = Node->Parent;
            if (Node != FRoot) ++result;
        }
    }
    return result;
}

bool TLazyTreeCore::HasAsParent(PLazyNode Node, PLazyNode PotentialParent) const {
    if (!Node || !PotentialParent || Node == PotentialParent || Node == FRoot) return false;
    for (PLazyNode p = Node->Parent;; p = p->Parent) {
        if (p == PotentialParent) return true;
        if (p == FRoot) return false;
    }
}

int32_t TLazyTreeCore::CompareNodePositions(PLazyNode Node1, PLazyNode Node2, bool ConsiderChildrenAbove) const {
    lazytree::Assert(Node1 && Node2, "Nodes must never be nil.");
    if (Node1 == Node2) return 0;
    const int32_t ancestorFirst = ChildrenAboveOrder(ConsiderChildrenAbove) ? 1 : -1;
    if (HasAsParent(Node1, Node2)) return -ancestorFirst;
    if (HasAsParent(Node2, Node1)) return ancestorFirst;
    uint32_t level1 = GetNodeLevel(Node1), level2 = GetNodeLevel(Node2);
    for (; level1 > level2; --level1) Node1 = Node1->Parent;
    for (; level2 > level1; --level2) Node2 = Node2->Parent;
    while (Node1->Parent != Node2->Parent) {
        Node1 = Node1->Parent;
        Node2 = Node2->Parent;
    }
    return static_cast<int32_t>(Node1->Index - Node2->Index);
}

PLazyNode TLazyTreeCore::GetNodeAt(int X, int Y) {
    int top = 0;
    return GetNodeAt(X, Y, true, top);
}

PLazyNode TLazyTreeCore::GetNodeAt(int, int Y, bool Relative, int& NodeTop) {
    int64_t y = std::max(Y, 0);
    if (Relative) y -= FOffsetY;
    // Unsigned arithmetic as the row positions are kept: a position above the area wraps far below.
    const uint32_t position = static_cast<uint32_t>(y);
    uint32_t top = 0;
    PLazyNode node = nullptr;
    const bool cached = FStates.Contains(tsUseCache);
    if (cached) {
        node = FindInPositionCache(position, top);
        // The last node found walks on from where the entry would have walked past it anyway.
        if (node && FLastNodeAt.Node && FLastNodeAt.Generation == FCacheGeneration && FLastNodeAt.Top >= top &&
            FLastNodeAt.Top <= position) {
            node = FLastNodeAt.Node;
            top = FLastNodeAt.Top;
        }
    }
    if (!node) {
        top = 0;
        node = GetFirstVisibleNoInit(nullptr, true, false);
    }
    for (; node && node != FRoot; node = GetNextVisibleNoInit(node, true)) {
        const uint32_t height = NodeHeight(node);
        if (position < top + height) {
            NodeTop = static_cast<int>(int64_t(top) + (Relative ? FOffsetY : 0));
            if (cached) FLastNodeAt = {node, top, FCacheGeneration};
            return node;
        }
        top += height;
    }
    return nullptr;
}
