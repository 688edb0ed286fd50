// Expanding, collapsing, visibility and filtering: events, children made on demand, and the heights,
// visible count and hidden-children flags kept exact (checked against the invariant checker).
#include <gtest/gtest.h>

#include <QStringList>

#include "EventLog.h"
#include "FakeHost.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

// Every node has Fanout children down to Depth levels; the events are logged.
struct LazyTree {
    QStringList events;
    TLazyTreeCore tree;
    FakeHost host{tree};
    uint32_t fanout = 3;
    uint32_t depth = 3;

    LazyTree() {
        tree.OnInitNode = [this](TLazyTreeCore* t, PLazyNode, PLazyNode n, TLazyNodeInitStates& s) {
            if (t->GetNodeLevel(n) + 1 < depth) s += TLazyNodeInitState::ivsHasChildren;
        };
        tree.OnInitChildren = [this](TLazyTreeCore* t, PLazyNode n, uint32_t& count) {
            events << "InitChildren(" + NodeName(t, n) + ")";
            count = fanout;
        };
        tree.OnExpanding = [this](TLazyTreeCore* t, PLazyNode n, bool&) { events << "Expanding(" + NodeName(t, n) + ")"; };
        tree.OnExpanded = [this](TLazyTreeCore* t, PLazyNode n) { events << "Expanded(" + NodeName(t, n) + ")"; };
        tree.OnCollapsing = [this](TLazyTreeCore* t, PLazyNode n, bool&) {
            events << "Collapsing(" + NodeName(t, n) + ")";
        };
        tree.OnCollapsed = [this](TLazyTreeCore* t, PLazyNode n) { events << "Collapsed(" + NodeName(t, n) + ")"; };
        tree.OnFreeNode = [this](TLazyTreeCore* t, PLazyNode n) { events << "FreeNode(" + NodeName(t, n) + ")"; };
        tree.SetRootNodeCount(2);
    }
    PLazyNode First() { return tree.GetFirst(); }
    std::string Check() { return CheckTreeInvariants(tree); }
};

TEST(LazyTreeToggle, ExpandingMakesChildrenAndAddsTheirHeightUpToTheRoot) {
    LazyTree t;
    PLazyNode n = t.First();
    const uint32_t rootBefore = t.tree.RootNode()->TotalHeight;
    t.events.clear();
    t.tree.ToggleNode(n);
    EXPECT_EQ(t.events, QStringList({"Expanding(0)", "InitChildren(0)", "Expanded(0)"}));
    EXPECT_EQ(n->TotalHeight, 4u * 18);
    EXPECT_EQ(t.tree.RootNode()->TotalHeight, rootBefore + 54);
    EXPECT_EQ(t.tree.VisibleCount(), 5u);
    EXPECT_EQ(t.Check(), "");
    t.events.clear();
    t.tree.ToggleNode(n);
    EXPECT_EQ(t.events, QStringList({"Collapsing(0)", "Collapsed(0)"}));
    EXPECT_EQ(t.tree.RootNode()->TotalHeight, rootBefore);
    EXPECT_EQ(t.tree.VisibleCount(), 2u);
    EXPECT_EQ(n->ChildCount, 3u);
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, NoChildrenAfterAskingLeavesTheNodeCollapsedWithoutExpanded) {
    LazyTree t;
    t.fanout = 0;
    PLazyNode n = t.First();
    t.events.clear();
    t.tree.ToggleNode(n);
    EXPECT_EQ(t.events, QStringList({"Expanding(0)", "InitChildren(0)"}));
    EXPECT_FALSE(n->States.Contains(vsExpanded));
    EXPECT_FALSE(n->States.Contains(vsHasChildren));
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, AutoFreeOnCollapseFreesTheChildrenAndAsksAgain) {
    LazyTree t;
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoFreeOnCollapse);
    PLazyNode n = t.First();
    t.tree.ToggleNode(n);
    for (PLazyNode c = n->FirstChild; c; c = c->NextSibling) t.tree.GetNodeData(c);
    t.events.clear();
    t.tree.ToggleNode(n);
    EXPECT_EQ(t.events, QStringList({"Collapsing(0)", "Collapsed(0)", "FreeNode(0.2)", "FreeNode(0.1)", "FreeNode(0.0)"}));
    EXPECT_EQ(n->ChildCount, 0u);
    EXPECT_TRUE(n->States.Contains(vsHasChildren));
    t.events.clear();
    t.tree.ToggleNode(n);
    EXPECT_EQ(t.events, QStringList({"Expanding(0)", "InitChildren(0)", "Expanded(0)"}));
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, RefusalsAndNestedTogglesChangeNothing) {
    LazyTree t;
    PLazyNode n = t.First();
    t.tree.OnExpanding = [](TLazyTreeCore* tree, PLazyNode node, bool&) {
        tree->ToggleNode(node);  // the node is toggling already
    };
    t.tree.ToggleNode(n);
    EXPECT_TRUE(n->States.Contains(vsExpanded));
    EXPECT_FALSE(n->States.Contains(vsToggling));
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsToggling));
    t.tree.OnCollapsing = [](TLazyTreeCore*, PLazyNode, bool& allowed) { allowed = false; };
    const uint32_t height = t.tree.RootNode()->TotalHeight;
    t.tree.ToggleNode(n);
    EXPECT_TRUE(n->States.Contains(vsExpanded));
    EXPECT_EQ(t.tree.RootNode()->TotalHeight, height);
    EXPECT_THROW(t.tree.ToggleNode(nullptr), ELazyTreeAssertion);
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, FullExpandMakesEverythingAndCancelStopsAfterTheCurrentNode) {
    LazyTree t;
    t.tree.FullExpand();
    // 2 + 6 + 18 nodes, every one with children expanded.
    EXPECT_EQ(t.tree.RootNode()->TotalCount, 27u);
    EXPECT_EQ(t.tree.VisibleCount(), 26u);
    EXPECT_EQ(t.Check(), "");
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsExpanding));

    LazyTree c;
    int expansions = 0;
    c.tree.OnExpanding = [&](TLazyTreeCore* tree, PLazyNode, bool&) {
        if (++expansions == 2) tree->CancelOperation();
    };
    c.tree.FullExpand();
    EXPECT_EQ(expansions, 2);
    EXPECT_EQ(c.tree.VisibleCount(), 2u + 3u + 3u);
    EXPECT_EQ(c.tree.OperationCount(), 0u);
    EXPECT_EQ(c.Check(), "");
}

TEST(LazyTreeToggle, FullCollapseGoesDeepestAndLastFirstAndKeepsCollapsedParts) {
    LazyTree t;
    t.tree.FullExpand();
    // A collapsed part keeps the expansion of its inner nodes.
    PLazyNode second = t.tree.RootNode()->LastChild;
    t.tree.ToggleNode(second);
    t.events.clear();
    t.tree.FullCollapse(nullptr);
    QStringList collapsed;
    for (const QString& e : t.events)
        if (e.startsWith("Collapsed")) collapsed << e;
    EXPECT_EQ(collapsed, QStringList({"Collapsed(0.2)", "Collapsed(0.1)", "Collapsed(0.0)", "Collapsed(0)"}));
    EXPECT_TRUE(second->FirstChild->States.Contains(vsExpanded));
    EXPECT_EQ(t.tree.VisibleCount(), 2u);
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, VisibilityAndFilteringKeepHeightsAndCounts) {
    LazyTree t;
    PLazyNode a = t.First();
    t.tree.ToggleNode(a);
    PLazyNode child = a->FirstChild;
    // Under a collapsed parent: only the parent's total would change, and it is collapsed.
    PLazyNode b = t.tree.RootNode()->LastChild;
    PLazyNode hiddenChild = t.tree.GetFirstChild(b);
    const uint32_t bHeight = b->TotalHeight, count = t.tree.VisibleCount();
    t.tree.SetVisible(hiddenChild, false);
    EXPECT_EQ(b->TotalHeight, bHeight);
    EXPECT_EQ(t.tree.VisibleCount(), count);
    EXPECT_EQ(t.Check(), "");
    // The hidden node's path holds, but it is not fully visible.
    EXPECT_TRUE(t.tree.VisiblePath(child));
    t.tree.SetVisible(child, false);
    EXPECT_TRUE(t.tree.VisiblePath(child));
    EXPECT_FALSE(t.tree.FullyVisible(child));
    EXPECT_EQ(t.tree.VisibleCount(), count - 1);
    EXPECT_EQ(t.Check(), "");
    // Hiding every child sets the parent's hidden-children flag.
    t.tree.SetVisible(child->NextSibling, false);
    t.tree.SetVisible(a->LastChild, false);
    EXPECT_TRUE(a->States.Contains(vsAllChildrenHidden));
    t.tree.SetFullyVisible(a->LastChild, true);
    EXPECT_FALSE(a->States.Contains(vsAllChildrenHidden));
    EXPECT_EQ(t.Check(), "");
    // Filtering removes a row; under toShowFilteredNodes it changes nothing.
    const uint32_t before = t.tree.RootNode()->TotalHeight;
    t.tree.SetFiltered(b, true);
    EXPECT_EQ(t.tree.RootNode()->TotalHeight, before - 18);
    t.tree.SetFiltered(b, false);
    EXPECT_EQ(t.Check(), "");
    t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() + TLTPaintOption::toShowFilteredNodes);
    const uint32_t shownCount = t.tree.VisibleCount();
    t.tree.SetFiltered(b, true);
    EXPECT_EQ(t.tree.RootNode()->TotalHeight, before);
    EXPECT_EQ(t.tree.VisibleCount(), shownCount);
    EXPECT_EQ(t.Check(), "");
}

TEST(LazyTreeToggle, VisibleParentAndPathWrites) {
    LazyTree t;
    t.tree.FullExpand();
    PLazyNode a = t.First();
    PLazyNode deep = a->FirstChild->FirstChild;
    t.tree.ToggleNode(a);
    EXPECT_EQ(t.tree.GetVisibleParent(deep), a);
    t.tree.SetVisiblePath(deep, true);
    EXPECT_TRUE(t.tree.FullyVisible(deep));
    EXPECT_EQ(t.tree.GetVisibleParent(deep), a->FirstChild);
    t.tree.SetFiltered(a->FirstChild, true);
    EXPECT_EQ(t.tree.GetVisibleParent(deep), a);
    EXPECT_EQ(t.tree.GetVisibleParent(deep, true), a->FirstChild);
    EXPECT_THROW(t.tree.GetVisibleParent(t.tree.RootNode()), ELazyTreeAssertion);
    EXPECT_THROW(t.tree.SetFullyVisible(t.tree.RootNode(), true), ELazyTreeAssertion);
    EXPECT_EQ(t.Check(), "");
}

}  // namespace
