// Sorting: the stable merge sort over sibling chains, one level or all, cancelling and a raising
// comparison (the chains stay whole), and the automatic sort on expanding.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "FakeHost.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TSortDirection;

namespace {

// Each node carries a key and its original position.
struct Item {
    int key = 0;
    int original = 0;
};

struct SortTree {
    TLazyTreeCore tree;
    int comparisons = 0;
    SortTree() {
        tree.SetNodeDataType<Item>();
        // Sorting by hand; the automatic sort has a test of its own.
        tree.TreeOptions().SetAutoOptions(tree.TreeOptions().AutoOptions() - TLTAutoOption::toAutoSort);
        tree.OnCompareNodes = [this](TLazyTreeCore* t, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
            ++comparisons;
            result = t->GetNodeData<Item>(a)->key - t->GetNodeData<Item>(b)->key;
        };
    }
    PLazyNode Add(PLazyNode parent, int key) {
        PLazyNode n = tree.AddChild(parent);
        Item* item = tree.GetNodeData<Item>(n);
        item->key = key;
        item->original = static_cast<int>(n->Index);
        return n;
    }
    std::vector<int> Keys(PLazyNode parent) {
        std::vector<int> keys;
        for (PLazyNode n = parent ? parent->FirstChild : tree.RootNode()->FirstChild; n; n = n->NextSibling)
            keys.push_back(tree.GetNodeData<Item>(n)->key);
        return keys;
    }
    std::vector<int> Originals(PLazyNode parent) {
        std::vector<int> o;
        for (PLazyNode n = parent ? parent->FirstChild : tree.RootNode()->FirstChild; n; n = n->NextSibling)
            o.push_back(tree.GetNodeData<Item>(n)->original);
        return o;
    }
};

TEST(LazyTreeSort, SortsOneLevelOrAllLevelsAndIsStableBothWays) {
    SortTree t;
    t.tree.BeginUpdate();
    for (int k : {3, 1, 2, 1, 3}) t.Add(nullptr, k);
    PLazyNode parent = t.tree.RootNode()->FirstChild;
    for (int k : {9, 7, 8}) t.Add(parent, k);
    t.tree.EndUpdate();

    t.tree.Sort(nullptr, NoColumn, sdAscending);
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({1, 1, 2, 3, 3}));
    EXPECT_EQ(t.Originals(nullptr), std::vector<int>({1, 3, 2, 0, 4}));
    // One level only.
    EXPECT_EQ(t.Keys(parent), std::vector<int>({9, 7, 8}));
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");

    t.tree.Sort(nullptr, NoColumn, sdDescending);
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({3, 3, 2, 1, 1}));
    // Equal keys keep the order they had.
    EXPECT_EQ(t.Originals(nullptr), std::vector<int>({0, 4, 2, 1, 3}));

    t.tree.SortTree(NoColumn, sdAscending);
    EXPECT_EQ(t.Keys(parent), std::vector<int>({7, 8, 9}));
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");
}

TEST(LazyTreeSort, WithoutAComparisonOrdersStayAndIndexesAreRenumbered) {
    SortTree t;
    t.tree.OnCompareNodes = nullptr;
    for (int k : {5, 4, 3}) t.Add(nullptr, k);
    t.tree.RootNode()->FirstChild->NextSibling->Index = 77;
    t.tree.Sort(nullptr, NoColumn, sdAscending);
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({5, 4, 3}));
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");
    t.tree.RootNode()->LastChild->Index = 9;
    t.tree.SortTree(NoColumn, sdDescending);
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({5, 4, 3}));
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");
}

TEST(LazyTreeSort, ColumnMinusTwoSortsNothingButInvalidatesTheCache) {
    SortTree t;
    for (int k : {2, 1}) t.Add(nullptr, k);
    t.tree.DoStateChange({TLazyTreeState::tsUseCache}, {TLazyTreeState::tsValidationNeeded});
    t.tree.SortTree(InvalidColumn, sdAscending);
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({2, 1}));
    EXPECT_EQ(t.comparisons, 0);
    EXPECT_TRUE(t.tree.TreeStates().Contains(TLazyTreeState::tsValidationNeeded));
    EXPECT_FALSE(t.tree.TreeStates().Contains(TLazyTreeState::tsUseCache));
}

// Fault mended: a comparison that raises in the middle of a merge left the chain cut; now the merge
// finishes without comparing, the chain is relinked whole, and the error reaches the caller.
TEST(LazyTreeSort, CancelAndARaisingComparisonLeaveEveryChainWhole) {
    struct Case {
        const char* name;
        bool raise;
    };
    for (const Case c : {Case{"cancel", false}, Case{"exception", true}}) {
        SCOPED_TRACE(c.name);
        SortTree t;
        std::mt19937 random(7);
        t.tree.BeginUpdate();
        for (int i = 0; i < 200; ++i) t.Add(nullptr, int(random() % 50));
        t.tree.EndUpdate();
        int calls = 0;
        t.tree.OnCompareNodes = [&](TLazyTreeCore* tree, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
            if (++calls == 40) {
                if (c.raise) throw std::runtime_error("compare failed");
                tree->CancelOperation();
            }
            result = tree->GetNodeData<Item>(a)->key - tree->GetNodeData<Item>(b)->key;
        };
        if (c.raise)
            EXPECT_THROW(t.tree.SortTree(NoColumn, sdAscending), std::runtime_error);
        else
            t.tree.SortTree(NoColumn, sdAscending);
        EXPECT_EQ(calls, 40);
        EXPECT_EQ(t.tree.RootNode()->ChildCount, 200u);
        EXPECT_EQ(t.tree.OperationCount(), 0u);
        EXPECT_EQ(t.tree.UpdateCount(), 0u);
        EXPECT_EQ(CheckTreeInvariants(t.tree), "");
    }
}

TEST(LazyTreeSort, SortWithInitMakesChildrenAndSortTreeOfOneNodeDoesNothing) {
    SortTree t;
    int childrenAsked = 0;
    t.tree.OnInitNode = [](TLazyTreeCore*, PLazyNode, PLazyNode, TLazyNodeInitStates& s) {
        s += TLazyNodeInitState::ivsHasChildren;
    };
    t.tree.OnInitChildren = [&](TLazyTreeCore*, PLazyNode, uint32_t& count) {
        ++childrenAsked;
        count = 2;
    };
    t.tree.SetRootNodeCount(1);
    PLazyNode n = t.tree.RootNode()->FirstChild;
    t.tree.SortTree(NoColumn, sdAscending);
    t.tree.ValidateNode(n, false);
    EXPECT_EQ(childrenAsked, 0);
    t.tree.Sort(n, NoColumn, sdAscending, true);
    EXPECT_EQ(childrenAsked, 1);
    EXPECT_EQ(n->ChildCount, 2u);
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");
}

TEST(LazyTreeSort, AutoSortSortsOnAddingAndExpandingButLeavesCollapsedSubtrees) {
    SortTree t;
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoSort);
    t.tree.BeginUpdate();
    PLazyNode parent = t.Add(nullptr, 3);
    for (int k : {1, 2}) t.Add(nullptr, k);
    for (int k : {6, 5, 4}) t.Add(parent, k);
    t.tree.EndUpdate();
    // The outermost EndUpdate sorts the expanded levels only: the collapsed parent's children wait.
    EXPECT_EQ(t.Keys(nullptr), std::vector<int>({1, 2, 3}));
    EXPECT_EQ(t.Keys(parent), std::vector<int>({6, 5, 4}));
    t.tree.ToggleNode(parent);
    EXPECT_EQ(t.Keys(parent), std::vector<int>({4, 5, 6}));
    EXPECT_EQ(CheckTreeInvariants(t.tree), "");
}

// The top-down merge sort over a list of original positions: the pairs it compares, in order.
std::vector<std::pair<int, int>> referencePairs(const std::vector<int>& keys, bool ascending) {
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> chain(keys.size());
    for (size_t i = 0; i < chain.size(); ++i) chain[i] = int(i);
    size_t head = 0;
    const auto sort = [&](auto& self, size_t n) -> std::vector<int> {
        if (n == 1) return {chain[head++]};
        std::vector<int> a = self(self, n / 2), b = self(self, (n + 1) / 2), out;
        size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            pairs.emplace_back(a[i], b[j]);
            const int c = keys[size_t(a[i])] - keys[size_t(b[j])];
            if (ascending ? c > 0 : c < 0)
                out.push_back(b[j++]);
            else
                out.push_back(a[i++]);
        }
        out.insert(out.end(), a.begin() + ptrdiff_t(i), a.end());
        out.insert(out.end(), b.begin() + ptrdiff_t(j), b.end());
        return out;
    };
    sort(sort, keys.size());
    return pairs;
}

// However the nodes are asked for ahead of the comparisons, the comparisons are the merge sort's
// own, pair by pair in its order, and the chain comes out linked, numbered and stable: lists shorter
// and longer than the look-ahead, with many equal keys, both ways.
TEST(LazyTreeSort, ComparesThePairsOfTheMergeSortInItsOrder) {
    for (int n : {2, 3, 7, 8, 9, 17, 100, 1000})
        for (TSortDirection d : {sdAscending, sdDescending}) {
            SCOPED_TRACE(testing::Message() << n << " nodes, " << (d == sdAscending ? "ascending" : "descending"));
            SortTree t;
            std::mt19937 draw{unsigned(n)};
            std::vector<int> keys;
            t.tree.BeginUpdate();
            for (int i = 0; i < n; ++i) {
                keys.push_back(int(draw() % 10));
                t.Add(nullptr, keys.back());
            }
            t.tree.EndUpdate();
            std::vector<std::pair<int, int>> pairs;
            t.tree.OnCompareNodes = [&](TLazyTreeCore* tree, PLazyNode a, PLazyNode b, TColumnIndex, int& result) {
                const Item* x = tree->GetNodeData<Item>(a);
                const Item* y = tree->GetNodeData<Item>(b);
                pairs.emplace_back(x->original, y->original);
                result = x->key - y->key;
            };
            t.tree.Sort(nullptr, NoColumn, d);
            EXPECT_EQ(pairs, referencePairs(keys, d == sdAscending));
            const std::vector<int> sorted = t.Keys(nullptr);
            EXPECT_TRUE(d == sdAscending ? std::is_sorted(sorted.begin(), sorted.end())
                                         : std::is_sorted(sorted.rbegin(), sorted.rend()));
            const std::vector<int> originals = t.Originals(nullptr);
            for (size_t k = 1; k < sorted.size(); ++k)
                if (sorted[k] == sorted[k - 1]) EXPECT_LT(originals[k - 1], originals[k]);
            EXPECT_EQ(CheckTreeInvariants(t.tree), "");
        }
}

}  // namespace
