// Navigation and iteration over one small tree whose nodes are made on demand:
//   0 (0.0 (0.0.0), 0.1), 1, 2 (2.0)
// in normal order and in children-above order, with the number of OnInitNode calls each walk makes.
#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <functional>
#include <map>
#include <random>

#include "EventLog.h"
#include "FakeHost.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TLTPaintOption;

namespace {

struct Fixture {
    TLazyTreeCore tree;
    int inits = 0;
    // Children per node path; nodes not listed are leaves.
    std::map<QString, uint32_t> children{{"0", 2}, {"0.0", 1}, {"2", 1}};

    explicit Fixture(bool childrenAbove = false) {
        tree.OnInitNode = [this](TLazyTreeCore* t, PLazyNode, PLazyNode n, TLazyNodeInitStates& s) {
            ++inits;
            if (children.count(NodeName(t, n))) s += TLazyNodeInitState::ivsHasChildren;
        };
        tree.OnInitChildren = [this](TLazyTreeCore* t, PLazyNode n, uint32_t& count) {
            count = children[NodeName(t, n)];
        };
        if (childrenAbove) tree.TreeOptions().SetPaintOptions(tree.TreeOptions().PaintOptions() + toChildrenAbove);
        tree.SetRootNodeCount(3);
    }
    PLazyNode Node(const QString& path) {
        PLazyNode n = tree.RootNode();
        for (const QString& part : path.split(u'.')) {
            tree.ValidateChildren(n == tree.RootNode() ? nullptr : n, false);
            n = n->FirstChild;
            for (int i = part.toInt(); i > 0; --i) n = n->NextSibling;
        }
        return n;
    }
    QString Name(PLazyNode n) { return NodeName(&tree, n); }
    // Every node made and expanded; the init counter starts again.
    void ExpandAll() {
        tree.FullExpand();
        inits = 0;
    }
};

QStringList Walk(Fixture& f, PLazyNode first, const std::function<PLazyNode(PLazyNode)>& step) {
    QStringList names;
    for (PLazyNode n = first; n; n = step(n)) names << f.Name(n);
    return names;
}

const QStringList kNormal{"0", "0.0", "0.0.0", "0.1", "1", "2", "2.0"};
const QStringList kChildrenAbove{"0.0.0", "0.0", "0.1", "0", "1", "2.0", "2"};

QStringList Reversed(QStringList l) {
    std::reverse(l.begin(), l.end());
    return l;
}

TEST(LazyTreeNavigation, StructureWalksInBothOrdersAndWhatTheyInitialise) {
    struct Case {
        const char* name;
        bool childrenAboveOption;
        bool consider;
        QStringList order;
    };
    const Case cases[] = {
        {"normal order", false, true, kNormal},
        {"children-above option but not considered", true, false, kNormal},
        {"children-above order", true, true, kChildrenAbove},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        {
            Fixture f(c.childrenAboveOption);
            // The plain walk makes and initialises every node on its way, each once.
            EXPECT_EQ(Walk(f, f.tree.GetFirst(c.consider), [&](PLazyNode n) { return f.tree.GetNext(n, c.consider); }),
                      c.order);
            EXPECT_EQ(f.inits, 7);
            EXPECT_EQ(CheckTreeInvariants(f.tree), "");
        }
        {
            Fixture f(c.childrenAboveOption);
            EXPECT_EQ(Walk(f, f.tree.GetLast(nullptr, c.consider),
                           [&](PLazyNode n) { return f.tree.GetPrevious(n, c.consider); }),
                      Reversed(c.order));
            EXPECT_EQ(f.inits, 7);
        }
        {
            // NoInit sees only what exists and calls nothing.
            Fixture f(c.childrenAboveOption);
            EXPECT_EQ(Walk(f, f.tree.GetFirstNoInit(c.consider),
                           [&](PLazyNode n) { return f.tree.GetNextNoInit(n, c.consider); }),
                      QStringList({"0", "1", "2"}));
            EXPECT_EQ(f.inits, 0);
            f.ExpandAll();
            EXPECT_EQ(Walk(f, f.tree.GetFirstNoInit(c.consider),
                           [&](PLazyNode n) { return f.tree.GetNextNoInit(n, c.consider); }),
                      c.order);
            EXPECT_EQ(Walk(f, f.tree.GetLastNoInit(nullptr, c.consider),
                           [&](PLazyNode n) { return f.tree.GetPreviousNoInit(n, c.consider); }),
                      Reversed(c.order));
            QStringList enumerated;
            for (PLazyNode n : f.tree.Nodes(c.consider)) enumerated << f.Name(n);
            EXPECT_EQ(enumerated, c.order);
            // Everything expanded: the display order is the same walk.
            QStringList visible;
            for (PLazyNode n : f.tree.VisibleNoInitNodes(nullptr, c.consider)) visible << f.Name(n);
            EXPECT_EQ(visible, c.order);
            EXPECT_EQ(Walk(f, f.tree.GetLastVisibleNoInit(nullptr, c.consider),
                           [&](PLazyNode n) { return f.tree.GetPreviousVisibleNoInit(n, c.consider); }),
                      Reversed(c.order));
            EXPECT_EQ(f.inits, 0);
        }
    }
}

TEST(LazyTreeNavigation, FunctionTable) {
    struct Case {
        const char* name;
        bool childrenAbove;
        std::function<PLazyNode(Fixture&)> call;
        const char* expected;
    };
    using F = Fixture;
    const Case cases[] = {
        {"GetFirst(True) is the deepest first descendant", true, [](F& f) { return f.tree.GetFirst(true); }, "0.0.0"},
        {"GetLast(nil, True) is the root's last child", true, [](F& f) { return f.tree.GetLast(nullptr, true); }, "2"},
        {"GetNext from a last child is its parent", true, [](F& f) { return f.tree.GetNext(f.Node("0.1"), true); }, "0"},
        {"GetNext from the last node is nil", false, [](F& f) { return f.tree.GetNext(f.Node("2.0")); }, "nil"},
        {"GetPrevious from the first node is nil", false, [](F& f) { return f.tree.GetPrevious(f.Node("0")); }, "nil"},
        {"GetPrevious of a node after a subtree is its deepest last node", false,
         [](F& f) { return f.tree.GetPrevious(f.Node("1")); }, "0.1"},
        {"GetFirstChild", false, [](F& f) { return f.tree.GetFirstChild(f.Node("0")); }, "0.0"},
        {"GetLastChild of a leaf", false, [](F& f) { return f.tree.GetLastChild(f.Node("1")); }, "nil"},
        {"GetNextSibling", false, [](F& f) { return f.tree.GetNextSibling(f.Node("0")); }, "1"},
        {"GetPreviousSibling of a first child", false, [](F& f) { return f.tree.GetPreviousSibling(f.Node("0.0")); },
         "nil"},
        {"GetFirstLeaf", false, [](F& f) { return f.tree.GetFirstLeaf(); }, "0.0.0"},
        {"GetNextLeaf", false, [](F& f) { return f.tree.GetNextLeaf(f.Node("0.0.0")); }, "0.1"},
        {"GetPreviousLeaf(nil) is the last node when it is a leaf", false,
         [](F& f) { return f.tree.GetPreviousLeaf(nullptr); }, "2.0"},
        {"GetFirstLevel sees only nodes that exist", false, [](F& f) { return f.tree.GetFirstLevel(1); }, "nil"},
        {"GetFirstLevel(1) once the nodes exist", false,
         [](F& f) {
             f.tree.TotalCount();
             return f.tree.GetFirstLevel(1);
         },
         "0.0"},
        {"GetNextLevel from a level-1 node crosses to the next parent", false,
         [](F& f) { return f.tree.GetNextLevel(f.Node("0.1"), 1); }, "2.0"},
        {"GetNextLevel from a deeper node", false, [](F& f) { return f.tree.GetNextLevel(f.Node("0.0.0"), 1); }, "0.1"},
        {"GetPreviousLevel two levels down skips its own ancestor", false,
         [](F& f) { return f.tree.GetPreviousLevel(f.Node("0.0.0"), 0); }, "nil"},
        {"GetPreviousLevel from a deeper node finds the ancestor's previous sibling", false,
         [](F& f) { return f.tree.GetPreviousLevel(f.Node("2.0"), 0); }, "1"},
        {"GetPreviousLevel descends the previous sibling's last children", false,
         [](F& f) { return f.tree.GetPreviousLevel(f.Node("1"), 2); }, "0.0.0"},
        {"GetFirstVisibleChild of a collapsed node", false,
         [](F& f) { return f.tree.GetFirstVisibleChild(f.Node("0")); }, "0.0"},
        {"GetLastVisibleChild of a collapsed node", false,
         [](F& f) { return f.tree.GetLastVisibleChild(f.Node("0")); }, "nil"},
        {"GetNextVisible from inside a collapsed subtree", false,
         [](F& f) { return f.tree.GetNextVisible(f.Node("0.0.0")); }, "1"},
        {"GetPreviousVisible from inside a collapsed subtree", false,
         [](F& f) { return f.tree.GetPreviousVisible(f.Node("0.0.0")); }, "0"},
        {"GetFirstVisible of the collapsed tree", true, [](F& f) { return f.tree.GetFirstVisible(); }, "0"},
        {"GetLastVisible of the collapsed tree", false, [](F& f) { return f.tree.GetLastVisible(); }, "2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f(c.childrenAbove);
        EXPECT_EQ(f.Name(c.call(f)), QString::fromLatin1(c.expected));
        EXPECT_EQ(CheckTreeInvariants(f.tree), "");
    }
}

TEST(LazyTreeNavigation, SearchesByStateInitialiseOnlyTheNodeFound) {
    Fixture f;
    f.ExpandAll();
    // Fresh again below: the node found is initialised, the ones passed are not.
    f.Node("0.1")->CheckState = TCheckState::csCheckedPressed;
    f.Node("2")->CheckState = TCheckState::csCheckedNormal;
    EXPECT_EQ(f.Name(f.tree.GetFirstChecked()), "2");
    EXPECT_EQ(f.Name(f.tree.GetNextChecked(nullptr, TCheckState::csCheckedPressed)), "0.1");
    EXPECT_EQ(f.Name(f.tree.GetPreviousChecked(nullptr)), "2");
    QStringList checked;
    for (PLazyNode n : f.tree.CheckedNodes()) checked << f.Name(n);
    EXPECT_EQ(checked, QStringList({"2"}));
    // Nothing counted selected: nil at once, whatever the flags say.
    f.Node("1")->States += vsSelected;
    EXPECT_EQ(f.tree.GetFirstSelected(), nullptr);
    // Cut or copied nodes count only while a cut or copy is pending.
    f.Node("1")->States += vsCutOrCopy;
    EXPECT_EQ(f.tree.GetFirstCutCopy(), nullptr);
    f.tree.DoStateChange({TLazyTreeState::tsCutPending});
    EXPECT_EQ(f.Name(f.tree.GetFirstCutCopy()), "1");
    EXPECT_EQ(f.inits, 0);
}

TEST(LazyTreeNavigation, InitializedSearchesSeeOnlyInitialisedNodes) {
    Fixture f;
    f.tree.ValidateNode(f.tree.RootNode()->LastChild, false);
    f.inits = 0;
    EXPECT_EQ(f.Name(f.tree.GetFirstInitialized()), "2");
    EXPECT_EQ(f.Name(f.tree.GetLastInitialized()), "2");
    EXPECT_EQ(f.tree.GetNextInitialized(f.tree.RootNode()->LastChild), nullptr);
    QStringList seen;
    for (PLazyNode n : f.tree.InitializedNodes()) seen << f.Name(n);
    EXPECT_EQ(seen, QStringList({"2"}));
    EXPECT_EQ(f.inits, 0);
}

TEST(LazyTreeNavigation, EmptyTreeAnswersNilEverywhere) {
    TLazyTreeCore t;
    FakeHost host(t);
    EXPECT_EQ(t.GetFirst(), nullptr);
    EXPECT_EQ(t.GetFirst(true), nullptr);
    EXPECT_EQ(t.GetLast(), nullptr);
    EXPECT_EQ(t.GetFirstVisible(), nullptr);
    EXPECT_EQ(t.GetLastVisible(), nullptr);
    EXPECT_EQ(t.GetFirstLeaf(), nullptr);
    EXPECT_EQ(t.GetPreviousLeaf(nullptr), nullptr);
    EXPECT_EQ(t.GetFirstChecked(), nullptr);
    EXPECT_EQ(t.GetFirstInitialized(), nullptr);
    EXPECT_EQ(t.GetFirstLevel(0), nullptr);
    int top = 1234;
    EXPECT_EQ(t.GetNodeAt(0, 0, false, top), nullptr);
    EXPECT_EQ(top, 1234);
    int count = 0;
    for (PLazyNode n : t.Nodes()) count += n != nullptr;
    EXPECT_EQ(count, 0);
}

TEST(LazyTreeNavigation, RootAndNilArgumentsFailAsAssertions) {
    Fixture f;
    PLazyNode root = f.tree.RootNode();
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Node must not be the hidden root node.", [&] { f.tree.GetNext(root); }},
        {"Node must not be the hidden root node.", [&] { f.tree.GetPreviousVisibleNoInit(root); }},
        {"Node must not be the hidden root node.", [&] { f.tree.IterateSubtree(root, {}, nullptr); }},
        {"Invalid parameter.", [&] { f.tree.GetNextVisibleSibling(nullptr); }},
        {"Invalid parameter.", [&] { f.tree.GetPreviousVisibleSiblingNoInit(root); }},
        {"Nodes must never be nil.", [&] { f.tree.CompareNodePositions(nullptr, root); }},
    };
    for (const auto& [message, call] : cases) {
        try {
            call();
            ADD_FAILURE() << "no assertion: " << message;
        } catch (const ELazyTreeAssertion& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
    EXPECT_EQ(f.tree.GetNext(nullptr), nullptr);
}

TEST(LazyTreeNavigation, IterateSubtreeVisitsFiltersAbortsAndForbidsDeleting) {
    Fixture f;
    f.ExpandAll();
    QStringList visited;
    auto record = [&](TLazyTreeCore* t, PLazyNode n, void*, bool& abort) {
        visited << NodeName(t, n);
        EXPECT_TRUE(t->TreeStates().Contains(TLazyTreeState::tsIterating));
        abort = visited.size() == 3;
    };
    EXPECT_EQ(f.Name(f.tree.IterateSubtree(nullptr, record, nullptr)), "0.0.0");
    EXPECT_EQ(visited, QStringList({"0", "0.0", "0.0.0"}));
    EXPECT_FALSE(f.tree.TreeStates().Contains(TLazyTreeState::tsIterating));

    auto all = [&](TLazyTreeCore* t, PLazyNode n, void*, bool&) { visited << NodeName(t, n); };
    visited.clear();
    EXPECT_EQ(f.tree.IterateSubtree(f.Node("0"), all, nullptr, {}, false, true), nullptr);
    EXPECT_EQ(visited, QStringList({"0.0", "0.0.0", "0.1"}));

    visited.clear();
    f.tree.IterateSubtree(nullptr, all, nullptr, {vsHasChildren});
    EXPECT_EQ(visited, QStringList({"0", "0.0", "2"}));

    // A node whose children were never made: nothing is visited and nothing is made.
    Fixture fresh;
    visited.clear();
    EXPECT_EQ(fresh.tree.IterateSubtree(fresh.Node("0"), all, nullptr, {}, false, true), nullptr);
    EXPECT_TRUE(visited.isEmpty());

    PLazyNode victim = f.Node("1");
    EXPECT_THROW(f.tree.IterateSubtree(
                     nullptr, [&](TLazyTreeCore* t, PLazyNode, void*, bool&) { t->DeleteNode(victim); }, nullptr),
                 ELazyTreeAssertion);
    EXPECT_FALSE(f.tree.TreeStates().Contains(TLazyTreeState::tsIterating));
    EXPECT_EQ(CheckTreeInvariants(f.tree), "");
}

TEST(LazyTreeNavigation, PositionsAndComparisons) {
    Fixture f;
    f.ExpandAll();
    EXPECT_EQ(f.tree.AbsoluteIndex(f.Node("0")), 0u);
    EXPECT_EQ(f.tree.AbsoluteIndex(f.Node("0.0")), 1u);
    EXPECT_EQ(f.tree.AbsoluteIndex(f.Node("2.0")), 6u);
    EXPECT_EQ(f.tree.AbsoluteIndex(nullptr), 0u);
    EXPECT_TRUE(f.tree.HasAsParent(f.Node("0.0.0"), f.Node("0")));
    EXPECT_TRUE(f.tree.HasAsParent(f.Node("1"), f.tree.RootNode()));
    EXPECT_FALSE(f.tree.HasAsParent(f.Node("0"), f.Node("0")));
    EXPECT_GT(f.tree.CompareNodePositions(f.Node("0.1"), f.Node("0")), 0);
    EXPECT_LT(f.tree.CompareNodePositions(f.Node("0.0.0"), f.Node("0.1")), 0);
    EXPECT_GT(f.tree.CompareNodePositions(f.Node("2.0"), f.Node("0.0.0")), 0);
    EXPECT_EQ(f.tree.CompareNodePositions(f.Node("1"), f.Node("1")), 0);
    // Children above: a child comes before its parent when the order is considered.
    f.tree.TreeOptions().SetPaintOptions(f.tree.TreeOptions().PaintOptions() + toChildrenAbove);
    EXPECT_LT(f.tree.CompareNodePositions(f.Node("0.1"), f.Node("0"), true), 0);
    EXPECT_GT(f.tree.CompareNodePositions(f.Node("0.1"), f.Node("0"), false), 0);
}

TEST(LazyTreeNavigation, GetNodeAtFindsTheRowOfAPixel) {
    Fixture f;
    f.ExpandAll();
    // Seven rows of 18 pixels.
    const int last = 7 * 18 - 1;
    int top = -1;
    EXPECT_EQ(f.Name(f.tree.GetNodeAt(0, last, false, top)), "2.0");
    EXPECT_EQ(top, 6 * 18);
    top = -1;
    EXPECT_EQ(f.tree.GetNodeAt(0, last + 1, false, top), nullptr);
    EXPECT_EQ(top, -1);
    EXPECT_EQ(f.Name(f.tree.GetNodeAt(0, -50, false, top)), "0");
    // A hidden node takes no row.
    f.tree.SetVisible(f.Node("0.0"), false);
    EXPECT_EQ(f.Name(f.tree.GetNodeAt(0, 18, false, top)), "0.1");
    EXPECT_EQ(f.inits, 0);
}

TEST(LazyTreeNavigation, VisibleWalksSkipHiddenAndFilteredNodes) {
    Fixture f;
    f.ExpandAll();
    f.tree.SetVisible(f.Node("0.1"), false);
    f.tree.SetFiltered(f.Node("2"), true);
    QStringList shown;
    for (PLazyNode n : f.tree.VisibleNodes()) shown << f.Name(n);
    // A filtered node's expanded children are still shown.
    EXPECT_EQ(shown, QStringList({"0", "0.0", "0.0.0", "1", "2.0"}));
    EXPECT_EQ(Walk(f, f.tree.GetLastVisible(), [&](PLazyNode n) { return f.tree.GetPreviousVisible(n); }),
              QStringList({"2.0", "1", "0.0.0", "0.0", "0"}));
    QStringList children;
    for (PLazyNode n : f.tree.VisibleChildNodes(f.Node("0"))) children << f.Name(n);
    EXPECT_EQ(children, QStringList({"0.0"}));
    EXPECT_EQ(f.tree.VisibleCount(), 5u);
}

// A tree built from a list of parents (-1: the root) with each node's visibility, expansion and filter
// set afterwards; every node exists and is initialised, so the Init and NoInit walks see the same tree.
struct ShapedTree {
    TLazyTreeCore tree;
    std::vector<PLazyNode> nodes;
    explicit ShapedTree(bool childrenAbove) {
        if (childrenAbove) tree.TreeOptions().SetPaintOptions(tree.TreeOptions().PaintOptions() + toChildrenAbove);
    }
    // Empty again, for the next shape: one tree serves many shapes.
    void Reset() {
        tree.Clear();
        nodes.clear();
    }
    void Add(int parent) { nodes.push_back(tree.AddChild(parent < 0 ? nullptr : nodes[size_t(parent)])); }
    void Shape(size_t i, bool visible, bool expanded, bool filtered) {
        tree.ValidateNode(nodes[i], false);
        tree.SetExpanded(nodes[i], expanded);
        tree.SetVisible(nodes[i], visible);
        tree.SetFiltered(nodes[i], filtered);
    }
    // The display order worked out from the links and states alone: a node shows when it and every
    // ancestor are visible, every ancestor is expanded, and it is not filtered; children-above order
    // puts a node after its children.
    std::vector<PLazyNode> Expected(bool childrenAbove) {
        std::vector<PLazyNode> out;
        const std::function<void(PLazyNode, bool)> visit = [&](PLazyNode n, bool open) {
            const bool shown = open && n->States.Contains(vsVisible);
            const bool listed = shown && !n->States.Contains(vsFiltered);
            if (listed && !childrenAbove) out.push_back(n);
            for (PLazyNode c = n->FirstChild; c; c = c->NextSibling)
                visit(c, shown && n->States.Contains(vsExpanded));
            if (listed && childrenAbove) out.push_back(n);
        };
        for (PLazyNode c = tree.RootNode()->FirstChild; c; c = c->NextSibling) visit(c, true);
        return out;
    }
    // A walk from First by Step, cut off after one step more than there are nodes (a walk that
    // cycles shows its repetition).
    std::vector<PLazyNode> Walk(PLazyNode first, const std::function<PLazyNode(PLazyNode)>& step) {
        std::vector<PLazyNode> out;
        for (PLazyNode n = first; n && out.size() <= nodes.size(); n = step(n)) out.push_back(n);
        return out;
    }
    QString Names(const std::vector<PLazyNode>& list) {
        QStringList names;
        for (PLazyNode n : list) names << NodeName(&tree, n);
        return names.join(u' ');
    }
    // The tree, for a failure's message.
    std::string Describe() {
        QStringList shape;
        for (PLazyNode n : nodes)
            shape << NodeName(&tree, n) + (n->States.Contains(vsVisible) ? "" : " hidden") +
                         (n->States.Contains(vsExpanded) ? " expanded" : "") +
                         (n->States.Contains(vsFiltered) ? " filtered" : "");
        return shape.join(", ").toStdString();
    }
};

TEST(LazyTreeNavigation, TheBackwardVisibleWalkIsTheForwardWalkReversed) {
    // Shown first, the tree the backward walk cycled in: 0 (expanded) holding a hidden, expanded 0.0
    // that holds a visible 0.0.1; children above.
    {
        ShapedTree t(true);
        for (int parent : {-1, 0, 1, 1}) t.Add(parent);
        t.Shape(0, true, true, false);
        t.Shape(1, false, true, false);
        t.Shape(2, true, false, false);
        t.Shape(3, true, false, false);
        EXPECT_EQ(t.Names(t.Walk(t.tree.GetLastVisible(), [&](PLazyNode n) { return t.tree.GetPreviousVisible(n); })),
                  "0");
        // A node out of sight stands where its nearest shown ancestor does.
        EXPECT_EQ(NodeName(&t.tree, t.tree.GetPreviousVisible(t.nodes[3])), "0");
    }
    // Then a few thousand random trees, in both orders.
    std::mt19937 random(20250611u);
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    ShapedTree trees[2]{ShapedTree(false), ShapedTree(true)};
    for (int run = 0; run < 2500; ++run) {
        const bool above = run % 2 == 1;
        ShapedTree& t = trees[above];
        t.Reset();
        const int count = 1 + int(random() % 12);
        for (int i = 0; i < count; ++i) t.Add(i == 0 ? -1 : int(random() % (i + 1)) - 1);
        for (size_t i = 0; i < t.nodes.size(); ++i) t.Shape(i, chance(75), chance(65), chance(15));
        const char* order = above ? "children above: " : "normal: ";

        const std::vector<PLazyNode> expected = t.Expected(above);
        const std::vector<PLazyNode> forward =
            t.Walk(t.tree.GetFirstVisible(nullptr, true), [&](PLazyNode n) { return t.tree.GetNextVisible(n, true); });
        ASSERT_TRUE(forward == expected) << order << t.Describe() << "\nforward:  " << t.Names(forward).toStdString()
                                         << "\nexpected: " << t.Names(expected).toStdString();
        const std::vector<PLazyNode> reversed(expected.rbegin(), expected.rend());
        const std::vector<PLazyNode> backward =
            t.Walk(t.tree.GetLastVisible(nullptr, true), [&](PLazyNode n) { return t.tree.GetPreviousVisible(n, true); });
        ASSERT_TRUE(backward == reversed) << order << t.Describe() << "\nbackward: " << t.Names(backward).toStdString()
                                          << "\nexpected: " << t.Names(reversed).toStdString();
        const std::vector<PLazyNode> backwardNoInit = t.Walk(
            t.tree.GetLastVisibleNoInit(nullptr, true), [&](PLazyNode n) { return t.tree.GetPreviousVisibleNoInit(n, true); });
        ASSERT_TRUE(backwardNoInit == reversed) << order << t.Describe() << "\nbackward (no init): "
                                                << t.Names(backwardNoInit).toStdString();
        // From a node out of sight the step still lands on a shown node, or on nothing.
        for (PLazyNode n : t.nodes) {
            const PLazyNode back = t.tree.GetPreviousVisible(n, true);
            ASSERT_TRUE(!back || std::find(expected.begin(), expected.end(), back) != expected.end())
                << order << t.Describe() << "\nfrom " << NodeName(&t.tree, n).toStdString() << " to "
                << NodeName(&t.tree, back).toStdString();
        }
    }
}

}  // namespace
