// Check-box logic and the selection: propagation, radio buttons, the next-state table; the selection
// array against a model, its events, the change delay and the focus.
#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <functional>
#include <random>
#include <set>

#include "FakeHost.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesCore.h"

using enum TCheckState;
using enum TCheckType;
using enum TLTSelectionOption;
using enum TLTAutoOption;
using enum TLazyNodeState;
using enum TLazyTreeState;

namespace {

// A tree with tri-state tracking that logs the check events as "Checking(i)"/"Checked(i)" by the
// node's path of indexes ("p" for the parent, "0", "1", ... for its children).
struct CheckTree {
    TLazyTreeCore tree;
    QStringList log;
    PLazyNode parent = nullptr;
    std::vector<PLazyNode> kids;
    std::function<bool(PLazyNode)> refuse = [](PLazyNode) { return false; };

    explicit CheckTree(std::vector<TCheckState> childStates, TCheckType childType = ctCheckBox) {
        tree.TreeOptions().SetAutoOptions(tree.TreeOptions().AutoOptions() + toAutoTristateTracking);
        parent = tree.AddChild(nullptr);
        parent->CheckType = ctTriStateCheckBox;
        for (TCheckState s : childStates) {
            PLazyNode k = tree.AddChild(parent);
            k->CheckType = childType;
            k->CheckState = s;
            kids.push_back(k);
        }
        tree.ValidateNode(nullptr, true);
        tree.OnChecking = [this](TLazyTreeCore*, PLazyNode n, TCheckState&, bool& allowed) {
            log << QStringLiteral("Checking(%1)").arg(Name(n));
            if (refuse(n)) allowed = false;
        };
        tree.OnChecked = [this](TLazyTreeCore*, PLazyNode n) { log << QStringLiteral("Checked(%1)").arg(Name(n)); };
    }
    QString Name(PLazyNode n) const { return n == parent ? QStringLiteral("p") : QString::number(n->Index); }
};

}  // namespace

TEST(LazyTreeCheck, CheckingATriStateParentChecksEachChildThenItself) {
    CheckTree t({csUncheckedNormal, csUncheckedNormal, csUncheckedNormal});
    t.tree.SetCheckState(t.parent, csCheckedNormal);
    EXPECT_EQ(t.log, QStringList({"Checking(p)", "Checking(0)", "Checked(0)", "Checking(1)", "Checked(1)",
                                  "Checking(2)", "Checked(2)", "Checked(p)"}));
    for (PLazyNode k : t.kids) EXPECT_EQ(k->CheckState, csCheckedNormal);
    EXPECT_EQ(t.parent->CheckState, csCheckedNormal);
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsCheckPropagation));
}

TEST(LazyTreeCheck, ChildrenDecideTheParent) {
    struct Case {
        const char* name;
        std::vector<TCheckState> children;
        TCheckState parentStart;
        std::function<void(CheckTree&)> act;
        TCheckState parentEnd;
        std::vector<TCheckState> childrenEnd;
    };
    const Case cases[] = {
        {"unchecking one of three gives mixed", {csCheckedNormal, csCheckedNormal, csCheckedNormal}, csCheckedNormal,
         [](CheckTree& t) { t.tree.SetCheckState(t.kids[1], csUncheckedNormal); }, csMixedNormal,
         {csCheckedNormal, csUncheckedNormal, csCheckedNormal}},
        {"unchecking all three gives unchecked", {csCheckedNormal, csCheckedNormal, csCheckedNormal}, csCheckedNormal,
         [](CheckTree& t) {
             for (PLazyNode k : t.kids) t.tree.SetCheckState(k, csUncheckedNormal);
         },
         csUncheckedNormal, {csUncheckedNormal, csUncheckedNormal, csUncheckedNormal}},
        {"a disabled unchecked child is not counted when checking", {csUncheckedNormal, csUncheckedDisabled},
         csUncheckedNormal, [](CheckTree& t) { t.tree.SetCheckState(t.parent, csCheckedNormal); }, csCheckedNormal,
         {csCheckedNormal, csUncheckedDisabled}},
        {"a disabled checked child keeps the parent mixed when unchecking", {csCheckedNormal, csCheckedDisabled},
         csCheckedNormal, [](CheckTree& t) { t.tree.SetCheckState(t.parent, csUncheckedNormal); }, csMixedNormal,
         {csUncheckedNormal, csCheckedDisabled}},
    };
    for (const Case& c : cases) {
        CheckTree t(c.children);
        t.parent->CheckState = c.parentStart;
        c.act(t);
        EXPECT_EQ(t.parent->CheckState, c.parentEnd) << c.name;
        for (size_t i = 0; i < c.childrenEnd.size(); ++i) EXPECT_EQ(t.kids[i]->CheckState, c.childrenEnd[i]) << c.name;
    }
}

TEST(LazyTreeCheck, AParentThatRefusesKeepsTheChildsStateWithoutOnChecked) {
    CheckTree t({csUncheckedNormal, csUncheckedNormal});
    t.refuse = [&](PLazyNode n) { return n == t.parent; };
    t.tree.SetCheckState(t.kids[0], csCheckedNormal);
    EXPECT_EQ(t.kids[0]->CheckState, csCheckedNormal);
    EXPECT_EQ(t.parent->CheckState, csUncheckedNormal);
    EXPECT_EQ(t.log, QStringList({"Checking(0)", "Checking(p)"}));
}

TEST(LazyTreeCheck, RadioButtonsClearTheirSiblingsSilently) {
    CheckTree t({csCheckedNormal, csUncheckedNormal, csUncheckedNormal}, ctRadioButton);
    t.tree.SetCheckState(t.kids[2], csCheckedNormal);
    EXPECT_EQ(t.log, QStringList({"Checking(2)", "Checked(2)"}));
    EXPECT_EQ(t.kids[0]->CheckState, csUncheckedNormal);
    EXPECT_EQ(t.kids[1]->CheckState, csUncheckedNormal);
    EXPECT_EQ(t.kids[2]->CheckState, csCheckedNormal);
}

TEST(LazyTreeCheck, WithoutTrackingOnlyTheNodeChanges) {
    CheckTree t({csUncheckedNormal, csUncheckedNormal});
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() - toAutoTristateTracking);
    t.tree.SetCheckState(t.parent, csCheckedNormal);
    EXPECT_EQ(t.log, QStringList({"Checking(p)", "Checked(p)"}));
    EXPECT_EQ(t.kids[0]->CheckState, csUncheckedNormal);
    t.tree.SetCheckState(t.kids[0], csCheckedNormal);
    EXPECT_EQ(t.parent->CheckState, csCheckedNormal);
}

TEST(LazyTreeCheck, CheckTypeWrites) {
    CheckTree t({csUncheckedNormal, csMixedNormal}, ctTriStateCheckBox);
    // A check box under a checked tri-state parent takes its state, events included.
    t.parent->CheckState = csCheckedNormal;
    t.kids[0]->CheckType = ctNone;
    t.log.clear();
    t.tree.SetCheckType(t.kids[0], ctCheckBox);
    EXPECT_EQ(t.kids[0]->CheckState, csCheckedNormal);
    EXPECT_TRUE(t.log.contains("Checked(0)"));
    // A mixed node that stops being tri-state is unchecked.
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() - toAutoTristateTracking);
    t.tree.SetCheckType(t.kids[1], ctCheckBox);
    EXPECT_EQ(t.kids[1]->CheckState, csUncheckedNormal);
}

TEST(LazyTreeCheck, SameStateDisabledAndReadOnlyFireNothing) {
    CheckTree t({csCheckedNormal, csCheckedDisabled});
    t.tree.SetCheckState(t.kids[0], csCheckedNormal);
    t.kids[0]->States += vsDisabled;
    t.tree.SetCheckState(t.kids[0], csUncheckedNormal);
    t.kids[0]->States -= vsDisabled;
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
    t.tree.SetCheckState(t.kids[0], csUncheckedNormal);
    EXPECT_TRUE(t.log.isEmpty()) << t.log.join(',').toStdString();
    EXPECT_EQ(t.kids[0]->CheckState, csCheckedNormal);
}

TEST(LazyTreeCheck, CheckedCountAndBulkOperations) {
    CheckTree t({csCheckedNormal, csCheckedPressed, csCheckedDisabled, csCheckedNormal, csUncheckedNormal});
    t.parent->CheckState = csMixedNormal;
    EXPECT_EQ(t.tree.CheckedCount(), 2u);
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() - toAutoTristateTracking);
    t.tree.ClearChecked();
    for (PLazyNode n : {t.parent, t.kids[0], t.kids[1], t.kids[2], t.kids[3]}) EXPECT_EQ(n->CheckState, csUncheckedNormal);
    // Setting all leaves out disabled states when asked.
    t.kids[2]->CheckState = csUncheckedDisabled;
    t.tree.SetCheckStateForAll(csCheckedNormal, false, true);
    EXPECT_EQ(t.tree.CheckedCount(), 5u);
    EXPECT_EQ(t.kids[2]->CheckState, csUncheckedDisabled);
    EXPECT_EQ(t.tree.UpdateCount(), 0u);
}

TEST(LazyTreeCheck, NextStateTable) {
    TLazyTreeCore t;
    struct Case {
        TCheckType type;
        TCheckState state, next;
    };
    struct Probe : TLazyTreeCore {
        using TLazyTreeCore::DetermineNextCheckState;
    } p;
    const Case cases[] = {
        {ctCheckBox, csUncheckedNormal, csCheckedNormal},   {ctCheckBox, csMixedNormal, csCheckedNormal},
        {ctCheckBox, csCheckedNormal, csUncheckedNormal},   {ctTriStateCheckBox, csCheckedPressed, csUncheckedPressed},
        {ctCheckBox, csCheckedDisabled, csCheckedDisabled}, {ctRadioButton, csUncheckedNormal, csCheckedNormal},
        {ctRadioButton, csCheckedNormal, csCheckedNormal},  {ctButton, csCheckedNormal, csUncheckedNormal},
        {ctNone, csUncheckedNormal, csMixedNormal},
    };
    for (const Case& c : cases)
        EXPECT_EQ(p.DetermineNextCheckState(c.type, c.state), c.next) << int(c.type) << "/" << int(c.state);
}

// ---- Selection ----

namespace {

struct SelTree : TLazyTreeCore {
    QStringList log;
    using TLazyTreeCore::AppendToTempCache;
    using TLazyTreeCore::CompactSelection;
    using TLazyTreeCore::MarkRemovedFromSelection;
    void TestAdd(std::vector<PLazyNode> items) { AddToSelection(items.data(), int(items.size()), false); }
    SelTree() {
        TreeOptions().SetSelectionOptions(TreeOptions().SelectionOptions() + toMultiSelect);
        OnAddToSelection = [this](TLazyTreeCore*, PLazyNode n) { log << "Add(" + Name(n) + ")"; };
        OnRemoveFromSelection = [this](TLazyTreeCore*, PLazyNode n) { log << "Remove(" + Name(n) + ")"; };
        OnChange = [this](TLazyTreeCore*, PLazyNode n) { log << "Change(" + Name(n) + ")"; };
        OnFocusChanging = [this](TLazyTreeCore*, PLazyNode, PLazyNode n, TColumnIndex, TColumnIndex, bool&) {
            log << "FocusChanging(" + Name(n) + ")";
        };
        OnFocusChanged = [this](TLazyTreeCore*, PLazyNode n, TColumnIndex) { log << "FocusChanged(" + Name(n) + ")"; };
    }
    ~SelTree() override {
        OnAddToSelection = nullptr;
        OnRemoveFromSelection = nullptr;
        OnChange = nullptr;
        OnFocusChanging = nullptr;
        OnFocusChanged = nullptr;
    }
    QString Name(PLazyNode n) const {
        if (!n) return QStringLiteral("nil");
        QString s;
        for (PLazyNode p = n; p && p != RootNode(); p = p->Parent) s.prepend((s.isEmpty() ? "" : ".") + QString::number(p->Index));
        return s.replace("..", ".");
    }
    std::vector<PLazyNode> All() {
        std::vector<PLazyNode> v;
        for (PLazyNode n = GetFirst(); n; n = GetNext(n)) v.push_back(n);
        return v;
    }
    // The array's entries: sorted, no duplicates, no marks, exactly the nodes with vsSelected.
    ::testing::AssertionResult Consistent() {
        const TNodeArray& a = SelectionArray();
        if (a.size() < SelectedCount()) return ::testing::AssertionFailure() << "array shorter than the count";
        std::set<PLazyNode> inArray;
        for (uint32_t i = 0; i < SelectedCount(); ++i) {
            if (reinterpret_cast<uintptr_t>(a[i]) & 1u) return ::testing::AssertionFailure() << "a mark left at " << i;
            if (i > 0 && !(reinterpret_cast<uintptr_t>(a[i - 1]) < reinterpret_cast<uintptr_t>(a[i])))
                return ::testing::AssertionFailure() << "not ascending at " << i;
            inArray.insert(a[i]);
        }
        for (PLazyNode n = GetFirstNoInit(); n; n = GetNextNoInit(n))
            if (n->States.Contains(vsSelected) != (inArray.count(n) == 1))
                return ::testing::AssertionFailure() << "flag and array differ";
        return ::testing::AssertionSuccess();
    }
};

}  // namespace

TEST(LazyTreeSelection, ArrayFollowsASetModelOverRandomOperations) {
    SelTree t;
    for (int i = 0; i < 30; ++i) {
        PLazyNode n = t.AddChild(nullptr);
        for (int j = 0; j < 3; ++j) t.AddChild(n);
    }
    t.FullExpand();
    const std::vector<PLazyNode> all = t.All();
    std::mt19937 random(7);
    std::set<PLazyNode> model;
    auto pick = [&] { return all[random() % all.size()]; };
    for (int step = 0; step < 2000; ++step) {
        const int op = int(random() % 8);
        const bool inUpdate = random() % 5 == 0;
        if (inUpdate) t.BeginUpdate();
        switch (op) {
            case 0:
            case 1: {
                PLazyNode n = pick();
                t.AddToSelection(n);
                model.insert(n);
                break;
            }
            case 2:
            case 3: {
                PLazyNode n = pick();
                t.RemoveFromSelection(n);
                model.erase(n);
                break;
            }
            case 4: {
                // An array with repeats and already selected nodes.
                std::vector<PLazyNode> items;
                for (int k = 0; k < 20; ++k) items.push_back(pick());
                items.push_back(items.front());
                for (PLazyNode n : items) model.insert(n);
                t.TestAdd(items);
                break;
            }
            case 5: {
                PLazyNode a = pick(), b = pick();
                t.SelectNodeRange(a, b, random() % 2 == 0 ? true : false);
                model.clear();
                for (PLazyNode n : all)
                    if (n->States.Contains(vsSelected)) model.insert(n);
                break;
            }
            case 6: {
                PLazyNode n = pick();
                if (t.MarkRemovedFromSelection(n)) model.erase(n);
                if (!inUpdate) t.CompactSelection();
                break;
            }
            default:
                if (random() % 10 == 0) {
                    t.ClearSelection();
                    model.clear();
                } else {
                    t.InvertSelection(false);
                    std::set<PLazyNode> inverted;
                    for (PLazyNode n : all)
                        if (!model.count(n)) inverted.insert(n);
                    model = inverted;
                }
        }
        if (inUpdate) t.EndUpdate();
        ASSERT_TRUE(t.Consistent()) << "step " << step << " op " << op;
        ASSERT_EQ(t.SelectedCount(), model.size()) << "step " << step << " op " << op;
        for (PLazyNode n : model) ASSERT_TRUE(n->States.Contains(vsSelected));
    }
}

TEST(LazyTreeSelection, TheFirstAdditionFocusesBeforeTheChange) {
    SelTree t;
    PLazyNode a = t.AddChild(nullptr);
    PLazyNode b = t.AddChild(nullptr);
    t.AddToSelection(a);
    EXPECT_EQ(t.log, QStringList({"Add(0)", "FocusChanging(0)", "FocusChanged(0)", "Change(0)"}));
    EXPECT_EQ(t.FocusedNode(), a);
    t.log.clear();
    t.AddToSelection(b);
    EXPECT_EQ(t.log, QStringList({"Add(1)", "Change(1)"}));
    // Removing an unselected node fires nothing.
    t.log.clear();
    t.RemoveFromSelection(t.AddChild(nullptr));
    EXPECT_TRUE(t.log.isEmpty());
    EXPECT_THROW(t.AddToSelection(nullptr), ELazyTreeAssertion);
}

TEST(LazyTreeSelection, AnArrayWithSelectedDisabledAndNewNodesAddsOne) {
    SelTree t;
    PLazyNode a = t.AddChild(nullptr), b = t.AddChild(nullptr), c = t.AddChild(nullptr);
    t.AddToSelection(a);
    b->States += vsDisabled;
    t.log.clear();
    t.TestAdd({a, b, c});
    // An array of several items announces its change for no single node.
    EXPECT_EQ(t.log, QStringList({"Add(2)", "Change(nil)"}));
    EXPECT_EQ(t.SelectedCount(), 2u);
    EXPECT_TRUE(t.Consistent());
}

TEST(LazyTreeSelection, ChangeDelayMergesChangesIntoOneForTheLastNode) {
    SelTree t;
    FakeHost host(t);
    t.SetChangeDelay(300);
    std::vector<PLazyNode> n;
    for (int i = 0; i < 3; ++i) n.push_back(t.AddChild(nullptr));
    t.log.clear();
    for (PLazyNode x : n) {
        t.AddToSelection(x);
        host.Advance(100);
    }
    EXPECT_TRUE(t.log.filter("Change(").isEmpty());
    host.Advance(199);
    EXPECT_TRUE(t.log.filter("Change(").isEmpty());
    host.Advance(1);
    EXPECT_EQ(t.log.filter("Change("), QStringList({"Change(2)"}));
    EXPECT_EQ(host.timers.count(5), 0u);
    // Without a delay the change timer never starts.
    t.SetChangeDelay(0);
    t.RemoveFromSelection(n[0]);
    EXPECT_EQ(host.timers.count(5), 0u);
    EXPECT_EQ(t.log.back(), "Change(0)");
}

TEST(LazyTreeSelection, InsideAnUpdateOneChangeAtTheOutermostEnd) {
    SelTree t;
    PLazyNode a = t.AddChild(nullptr), b = t.AddChild(nullptr), c = t.AddChild(nullptr);
    t.AddToSelection(a);
    t.AddToSelection(b);
    t.log.clear();
    t.BeginUpdate();
    t.BeginUpdate();
    t.AddToSelection(c);
    t.DeleteNode(a);
    EXPECT_EQ(t.SelectedCount(), 3u);  // the deleted node's entry is marked, not gone yet
    t.EndUpdate();
    EXPECT_TRUE(t.log.filter("Change(").isEmpty());
    t.EndUpdate();
    // The last change was the deleted node's, which is gone: the change names no node.
    EXPECT_EQ(t.log.filter("Change("), QStringList({"Change(nil)"}));
    EXPECT_EQ(t.SelectedCount(), 2u);
    EXPECT_TRUE(t.Consistent());
}

TEST(LazyTreeSelection, SelectAllAndInvert) {
    SelTree t;
    for (int i = 0; i < 4; ++i) t.AddChild(t.AddChild(nullptr));
    // Without multi-select, or locked, nothing happens.
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() - toMultiSelect);
    t.SelectAll(false);
    EXPECT_EQ(t.SelectedCount(), 0u);
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() + toMultiSelect);
    t.SetSelectionLocked(true);
    t.SelectAll(false);
    EXPECT_EQ(t.SelectedCount(), 0u);
    EXPECT_TRUE(t.log.isEmpty());
    t.SetSelectionLocked(false);
    // Inverting nothing selects everything with one change; visible only leaves the children.
    t.InvertSelection(true);
    EXPECT_EQ(t.SelectedCount(), 4u);
    EXPECT_EQ(t.log.filter("Change(").size(), 1);
    t.log.clear();
    t.InvertSelection(false);
    EXPECT_EQ(t.SelectedCount(), 4u);  // the children now
    EXPECT_EQ(t.log.filter("Change(").size(), 1);
    for (PLazyNode n = t.GetFirst(); n; n = t.GetNextSibling(n)) EXPECT_FALSE(t.Selected(n));
    t.SelectAll(false);
    EXPECT_EQ(t.SelectedCount(), 8u);
    EXPECT_TRUE(t.Consistent());
}

TEST(LazyTreeSelection, RangesAndTheirConstraints) {
    SelTree t;
    std::vector<PLazyNode> top;
    for (int i = 0; i < 4; ++i) {
        top.push_back(t.AddChild(nullptr));
        t.AddChild(top.back());
    }
    t.FullExpand();
    // Toggling a range with equal ends changes nothing; after a toggle the anchor is selected.
    t.SetSelected(top[1], true);
    t.log.clear();
    t.ToggleNodeRange(top[1], top[1]);
    EXPECT_TRUE(t.log.isEmpty());
    t.ToggleNodeRange(top[1], top[3]);
    EXPECT_TRUE(t.Selected(t.RangeAnchor()));
    EXPECT_TRUE(t.Selected(top[3]));
    EXPECT_TRUE(t.Consistent());
    // Level constraint: a range over two levels adds only the first node's level.
    t.ClearSelection();
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() + toLevelSelectConstraint);
    t.SelectNodeRange(top[0], top[2], false);
    for (PLazyNode n = t.GetFirst(); n; n = t.GetNext(n)) EXPECT_EQ(t.Selected(n), t.GetNodeLevel(n) == 0 && n != top[3]);
    // Sibling constraint: only the siblings of the anchor.
    t.ClearSelection();
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() - toLevelSelectConstraint +
                                        toSiblingSelectConstraint);
    t.SetSelected(top[0]->FirstChild, true);
    t.SelectNodeRange(top[0]->FirstChild, top[2], true);
    EXPECT_EQ(t.SelectedCount(), 1u);
    EXPECT_THROW(t.SelectNodeRange(top[0], nullptr, false), ELazyTreeAssertion);
}

TEST(LazyTreeSelection, SingleSelectAndFocusLoss) {
    SelTree t;
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() - toMultiSelect);
    PLazyNode a = t.AddChild(nullptr), b = t.AddChild(nullptr);
    t.SetSelected(a, true);
    t.SetSelected(b, true);
    EXPECT_FALSE(t.Selected(a));
    EXPECT_TRUE(t.Selected(b));
    EXPECT_EQ(t.SelectedCount(), 1u);
    EXPECT_EQ(t.FocusedNode(), b);
    // Deleting the focused node focuses nil and says so.
    t.log.clear();
    t.DeleteNode(b);
    EXPECT_EQ(t.FocusedNode(), nullptr);
    EXPECT_TRUE(t.log.contains("FocusChanged(nil)")) << t.log.join(',').toStdString();
    EXPECT_EQ(t.SelectedCount(), 0u);
}

TEST(LazyTreeSelection, TheTemporaryCacheGrowsToAHundredThenByATenth) {
    SelTree t;
    PLazyNode n = t.AddChild(nullptr);
    std::vector<size_t> capacities;
    for (int i = 0; i < 122; ++i) {
        t.AppendToTempCache(n);
        if (capacities.empty() || capacities.back() != t.TempCacheCapacity()) capacities.push_back(t.TempCacheCapacity());
    }
    EXPECT_EQ(capacities, (std::vector<size_t>{100, 110, 121, 133}));
}

TEST(LazyStringTreeSelection, ASelectionIsRestoredByTextAfterRefilling) {
    TLazyStringTree t;
    t.SetNodeDataSize(int(sizeof(int)));
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() + toMultiSelect + toRestoreSelection);
    const QStringList first{"Alpha", "Beta", "Gamma"};
    const QStringList second{"gamma", "Delta", "BETA", "Alpha2"};
    const QStringList* names = &first;
    // The text is kept in the node when it is initialised, as the Scan & Decode window does.
    t.OnInitNode = [&](TLazyTreeCore* s, PLazyNode, PLazyNode n, TLazyNodeInitStates&) {
        *s->GetNodeData<int>(n) = int(n->Index);
    };
    t.OnGetText = [&](TCustomLazyStringTree* s, PLazyNode n, TColumnIndex, TVSTTextType, QString& text) {
        text = names->value(*s->GetNodeData<int>(n));
    };
    std::vector<PLazyNode> nodes;
    for (int i = 0; i < 3; ++i) nodes.push_back(t.AddChild(nullptr));
    t.SetSelected(nodes[1], true);
    t.SetSelected(nodes[2], true);
    t.SetSelected(nodes[0], true);
    t.SetSelected(nodes[0], false);  // removed again: its text is forgotten
    t.Clear();
    EXPECT_EQ(t.SelectedCount(), 0u);
    names = &second;
    nodes.clear();
    for (int i = 0; i < 4; ++i) nodes.push_back(t.AddChild(nullptr));
    EXPECT_TRUE(t.Selected(nodes[0]));   // "gamma"
    EXPECT_FALSE(t.Selected(nodes[1]));  // "Delta"
    EXPECT_TRUE(t.Selected(nodes[2]));   // "BETA"
    EXPECT_FALSE(t.Selected(nodes[3]));  // "Alpha2"
    EXPECT_EQ(t.SelectedCount(), 2u);
}
