// Building, deleting, moving and initialising nodes; counts, heights and the announcement of changes.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <functional>
#include <random>

#include "EventLog.h"
#include "FakeHost.h"
#include "tests/support/TreeOps.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;
using enum TChangeReason;
using enum TLTNodeAttachMode;

namespace {

QStringList Without(QStringList events, const char* prefix) {
    events.erase(std::remove_if(events.begin(), events.end(),
                                [&](const QString& e) { return e.startsWith(QLatin1String(prefix)); }),
                 events.end());
    return events;
}

TEST(LazyTreeEvents, AddChildInitialisesTheParentAndAnnouncesOneAddedChild) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    PLazyNode p = t.AddChild(nullptr);
    log.events.clear();
    PLazyNode c = t.AddChild(p);
    EXPECT_EQ(log.events, QStringList({"InitNode(nil,0)", "StructureChange(0,crChildAdded)"}));
    EXPECT_FALSE(c->States.Contains(vsInitialized));
    log.events.clear();
    t.AddChild(nullptr);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildAdded)"}));
}

TEST(LazyTreeEvents, DeleteNodeAnnouncesFirstThenFreesTheSubtreeChildrenFirst) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    PLazyNode n = t.AddChild(nullptr);
    t.AddChild(n);
    t.AddChild(n);
    PLazyNode second = n->LastChild;
    t.ValidateNode(n, true);
    t.ValidateNode(second, false);
    log.events.clear();
    t.DeleteNode(n);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildDeleted)", "FreeNode(0.1)", "FreeNode(0.0)",
                                       "StructureChange(0,crChildDeleted)", "FreeNode(0)"}));
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// Fault mended: the levels below a deleted node recorded changes of their own, so deleting a node
// with grandchildren reported crAccumulated.
TEST(LazyTreeEvents, DeletingANodeWithGrandchildrenIsOneChildDeletedChange) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    PLazyNode n = t.AddChild(nullptr);
    t.AddChild(t.AddChild(n));
    log.events.clear();
    t.DeleteNode(n);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildDeleted)", "FreeNode(0.0)",
                                       "StructureChange(0,crChildDeleted)", "FreeNode(0)"}));
}

TEST(LazyTreeStructure, DeleteSelectedNodesDeletesFromTheLastInOneUpdate) {
    EventLog log;
    TLazyTreeCore t;
    t.TreeOptions().SetSelectionOptions(t.TreeOptions().SelectionOptions() + TLTSelectionOption::toMultiSelect);
    log.Attach(t);
    PLazyNode a = t.AddChild(nullptr);
    t.AddChild(a);
    PLazyNode b = t.AddChild(nullptr);
    PLazyNode c = t.AddChild(nullptr);
    t.ValidateNode(nullptr, true);
    t.SetSelected(a, true);
    t.SetSelected(c, true);
    log.events.clear();
    t.DeleteSelectedNodes();
    EXPECT_EQ(log.events, QStringList({"Updating(usBegin)", "FreeNode(2)", "FreeNode(0.0)", "FreeNode(0)",
                                       "StructureChange(nil,crAccumulated)", "Updating(usEnd)"}));
    EXPECT_EQ(t.RootNode()->FirstChild, b);
    EXPECT_EQ(b->Index, 0u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    EXPECT_EQ(t.SelectedCount(), 0u);
}

TEST(LazyTreeEvents, ClearFreesLastSubtreeFirstInsideOneUpdate) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    for (int i = 0; i < 2; ++i) {
        PLazyNode n = t.AddChild(nullptr);
        t.AddChild(n);
    }
    t.ValidateNode(nullptr, true);
    log.events.clear();
    t.Clear();
    EXPECT_EQ(log.events, QStringList({"Updating(usBegin)", "FreeNode(1.0)", "FreeNode(1)", "FreeNode(0.0)",
                                       "FreeNode(0)", "StructureChange(root,crChildDeleted)", "Updating(usEnd)"}));
}

TEST(LazyTreeEvents, ClearOfTopLevelNodesAloneReportsTheRootWithChildDeleted) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    t.SetChildCount(nullptr, 2);
    log.events.clear();
    t.Clear();
    EXPECT_EQ(log.events,
              QStringList({"Updating(usBegin)", "StructureChange(root,crChildDeleted)", "Updating(usEnd)"}));
    EXPECT_FALSE(t.HasChildren(nullptr));
}

TEST(LazyTreeEvents, HundredAddsInOneUpdateGiveOneAccumulatedChange) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    t.BeginUpdate();
    for (int i = 0; i < 100; ++i) t.AddChild(nullptr);
    EXPECT_EQ(Without(log.events, "Updating"), QStringList());
    t.EndUpdate();
    EXPECT_EQ(Without(log.events, "Updating"), QStringList({"StructureChange(nil,crAccumulated)"}));
    EXPECT_EQ(t.RootNodeCount(), 100u);
}

TEST(LazyTreeEvents, ChangeDelayMergesChangesOnTheDrivenClock) {
    EventLog log;
    TLazyTreeCore t;
    FakeHost host(t);
    log.Attach(t);
    t.SetChangeDelay(100);
    t.AddChild(nullptr);
    host.Advance(50);
    t.AddChild(nullptr);  // restarts the delay
    host.Advance(99);
    EXPECT_EQ(log.events, QStringList());
    host.Advance(1);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crAccumulated)"}));
    EXPECT_TRUE(host.timers.empty());
    host.Advance(500);
    EXPECT_EQ(log.events.size(), 1);

    // Without a window there is no timer: the change is announced at once.
    host.window = false;
    log.events.clear();
    t.AddChild(nullptr);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildAdded)"}));
}

TEST(LazyTreeEvents, SynchModeAnnouncesAtOnceDespiteTheDelay) {
    EventLog log;
    TLazyTreeCore t;
    FakeHost host(t);
    log.Attach(t);
    t.SetChangeDelay(100);
    t.AddChild(nullptr);
    EXPECT_EQ(Without(log.events, "Updating"), QStringList());
    t.BeginSynch();  // fires the pending change
    EXPECT_EQ(Without(log.events, "Updating"), QStringList({"StructureChange(nil,crChildAdded)"}));
    t.AddChild(nullptr);
    t.EndSynch();
    EXPECT_EQ(Without(log.events, "Updating").size(), 2);
    EXPECT_TRUE(host.timers.empty());
}

TEST(LazyTreeStructure, SetChildCountOnTheRootMakesUninitialisedNodes) {
    EventLog log;
    TLazyTreeCore t;
    FakeHost host(t);
    log.Attach(t);
    t.SetBottomSpace(7);
    t.SetChildCount(nullptr, 3);
    PLazyNode r = t.RootNode();
    int i = 0;
    for (PLazyNode n = r->FirstChild; n; n = n->NextSibling, ++i) {
        EXPECT_EQ(n->Index, uint32_t(i));
        EXPECT_FALSE(n->States.Contains(vsInitialized));
    }
    EXPECT_EQ(i, 3);
    EXPECT_EQ(r->TotalCount, 4u);
    EXPECT_EQ(r->TotalHeight, 72u);
    EXPECT_EQ(t.RangeY(), 54 + 7);
    EXPECT_EQ(host.rangeY, 54 + 7);
    EXPECT_EQ(t.VisibleCount(), 3u);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildAdded)"}));

    log.events.clear();
    t.SetChildCount(nullptr, 1);
    EXPECT_EQ(log.events, QStringList({"StructureChange(nil,crChildDeleted)", "StructureChange(nil,crChildDeleted)",
                                       "StructureChange(nil,crChildAdded)"}));
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, ReadOnlyRefusesAddChildButInsertNodeAdds) {
    TLazyTreeCore t;
    t.AddChild(nullptr);
    t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
    EXPECT_EQ(t.AddChild(nullptr), nullptr);
    t.DeleteNode(t.RootNode()->FirstChild);
    t.Clear();
    EXPECT_EQ(t.RootNodeCount(), 1u);
    PLazyNode n = t.InsertNode(nullptr, amAddChildLast);
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(t.RootNodeCount(), 2u);
    EXPECT_EQ(n->Index, 1u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, InsertNodeModes) {
    TLazyTreeCore t;
    t.SetNodeDataSize(8);
    auto id = [](PLazyNode n) { return *static_cast<intptr_t*>(static_cast<void*>(n->Data())); };
    PLazyNode b = t.AddChild(nullptr, reinterpret_cast<void*>(2));
    t.InsertNode(b, amInsertBefore, reinterpret_cast<void*>(1));
    t.InsertNode(b, amInsertAfter, reinterpret_cast<void*>(3));
    t.InsertNode(t.RootNode(), amInsertBefore, reinterpret_cast<void*>(0));  // relative to the root: first child
    t.InsertNode(b, amAddChildFirst, reinterpret_cast<void*>(21));
    t.InsertNode(b, amAddChildFirst, reinterpret_cast<void*>(20));
    EXPECT_EQ(t.InsertNode(b, amNoWhere), nullptr);
    QStringList order;
    for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling) order << QString::number(id(n));
    EXPECT_EQ(order, QStringList({"0", "1", "2", "3"}));
    EXPECT_EQ(id(b->FirstChild), 20);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, MovingUnderADescendantRaises2001AndMovingOntoItselfDoesNothing) {
    TLazyTreeCore t;
    PLazyNode a = t.AddChild(nullptr);
    PLazyNode child = t.AddChild(a);
    PLazyNode grand = t.AddChild(child);
    try {
        t.MoveTo(a, grand, amAddChildLast, false);
        FAIL() << "no error";
    } catch (const ELazyTreeError& e) {
        EXPECT_EQ(e.HelpContext, 2001);
        EXPECT_STREQ(e.what(), "Target node cannot be a child node of the node to be moved.");
    }
    t.MoveTo(a, a, amAddChildLast, false);
    EXPECT_EQ(t.NodeParent(child), a);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, MovedChildrenKeepTheirOrderInEveryMode) {
    for (TLTNodeAttachMode mode : {amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast}) {
        SCOPED_TRACE(static_cast<int>(mode));
        TLazyTreeCore t;
        t.SetNodeDataSize(8);
        PLazyNode source = t.AddChild(nullptr);
        PLazyNode target = t.AddChild(nullptr);
        t.AddChild(target, reinterpret_cast<void*>(100));
        for (intptr_t i = 1; i <= 3; ++i) t.AddChild(source, reinterpret_cast<void*>(i));
        t.MoveTo(source, target, mode, true);
        PLazyNode parent = mode == amInsertBefore || mode == amInsertAfter ? t.RootNode() : target;
        QStringList ids;
        for (PLazyNode n = parent->FirstChild; n; n = n->NextSibling)
            if (n != source && n != target) ids << QString::number(*reinterpret_cast<intptr_t*>(n->Data()));
        const QStringList moved = ids.filter(QRegularExpression("^[123]$"));
        EXPECT_EQ(moved, QStringList({"1", "2", "3"}));
        EXPECT_EQ(source->ChildCount, 0u);
        EXPECT_EQ(CheckTreeInvariants(t), "");
    }
}

TEST(LazyTreeStructure, DefaultNodeHeightZeroStores18AndMovesTheRoot) {
    TLazyTreeCore t;
    t.SetChildCount(nullptr, 2);
    t.SetDefaultNodeHeight(30);
    EXPECT_EQ(t.RootNode()->TotalHeight, 30u + 36u);  // existing nodes keep their heights
    t.SetDefaultNodeHeight(0);
    EXPECT_EQ(t.DefaultNodeHeight(), 18u);
    t.SetDefaultNodeHeight(70000);  // a row's height is kept in 16 bits
    t.AddChild(nullptr);
    EXPECT_EQ(t.DefaultNodeHeight(), 65535u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, InitNodeAppliesTheAnswerAndReinitSaysSo) {
    TLazyTreeCore t;
    QList<TLazyNodeInitStates> seen;
    t.OnInitNode = [&](TLazyTreeCore*, PLazyNode, PLazyNode, TLazyNodeInitStates& s) {
        seen << s;
        s += TLazyNodeInitState::ivsHasChildren;
        s += TLazyNodeInitState::ivsDisabled;
        s += TLazyNodeInitState::ivsFiltered;
    };
    PLazyNode n = t.AddChild(nullptr);
    t.AddChild(nullptr);
    t.ValidateNode(n, false);
    EXPECT_TRUE(n->States.Contains(vsHasChildren));
    EXPECT_TRUE(n->States.Contains(vsDisabled));
    EXPECT_EQ(t.VisibleCount(), 1u);  // the filtered node gave up its row
    EXPECT_EQ(t.RootNode()->TotalHeight, 36u);
    t.ReinitNode(n, false);
    ASSERT_EQ(seen.size(), 2);
    EXPECT_FALSE(seen[0].Contains(TLazyNodeInitState::ivsReInit));
    EXPECT_TRUE(seen[1].Contains(TLazyNodeInitState::ivsReInit));
    EXPECT_EQ(t.RootNode()->TotalHeight, 36u);  // not given up twice
    // A button without an OnInitChildren handler: no children appear and the flag stays.
    t.ValidateNode(n, true);
    EXPECT_EQ(n->ChildCount, 0u);
    EXPECT_TRUE(n->States.Contains(vsHasChildren));
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// Which nodes each initialisation walk reaches, on a tree of two top-level nodes with two children
// and one grandchild each, everything initialised once before.
TEST(LazyTreeStructure, InitialisationWalksReachTheirNodes) {
    struct Case {
        const char* name;
        std::function<void(TLazyTreeCore&)> walk;
        QStringList reached;
    };
    const Case cases[] = {
        {"ReinitNode(nil, false) reaches nothing", [](TLazyTreeCore& t) { t.ReinitNode(nullptr, false); }, {}},
        {"ReinitNode(node, false) reaches the node",
         [](TLazyTreeCore& t) { t.ReinitNode(t.RootNode()->FirstChild, false); },
         {"0"}},
        {"ReinitChildren(node, false) reaches its children",
         [](TLazyTreeCore& t) { t.ReinitChildren(t.RootNode()->FirstChild, false); },
         {"0.0", "0.1"}},
        {"ReinitNode(node, true) reaches its subtree in order",
         [](TLazyTreeCore& t) { t.ReinitNode(t.RootNode()->LastChild, true); },
         {"1", "1.0", "1.0.0", "1.1", "1.1.0"}},
        {"ReinitNode(nil, true) reaches every node",
         [](TLazyTreeCore& t) { t.ReinitNode(nullptr, true); },
         {"0", "0.0", "0.0.0", "0.1", "0.1.0", "1", "1.0", "1.0.0", "1.1", "1.1.0"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLazyTreeCore t;
        for (int i = 0; i < 2; ++i) {
            PLazyNode top = t.AddChild(nullptr);
            for (int j = 0; j < 2; ++j) t.AddChild(t.AddChild(top));
        }
        t.ValidateNode(nullptr, true);
        QStringList reached;
        t.OnInitNode = [&](TLazyTreeCore* s, PLazyNode, PLazyNode n, TLazyNodeInitStates&) {
            reached << NodeName(s, n);
        };
        c.walk(t);
        EXPECT_EQ(reached, c.reached);
    }
}

TEST(LazyTreeStructure, InitRecursiveStopsAtItsLevelsAndCollapsedNodes) {
    TLazyTreeCore t;
    PLazyNode a = t.AddChild(nullptr);
    PLazyNode b = t.AddChild(a);
    PLazyNode c = t.AddChild(b);
    a->States -= vsInitialized;
    b->States -= vsInitialized;
    t.InitRecursive(nullptr, 1, false);
    EXPECT_TRUE(a->States.Contains(vsInitialized));
    EXPECT_FALSE(b->States.Contains(vsInitialized));
    t.InitRecursive(nullptr, 5, true);  // a is collapsed: nothing below it
    EXPECT_FALSE(b->States.Contains(vsInitialized));
    t.InitRecursive(a, 5, false);
    EXPECT_TRUE(c->States.Contains(vsInitialized));
}

TEST(LazyTreeStructure, TotalCountAsksEveryInitChildren) {
    TLazyTreeCore t;
    int asked = 0;
    t.OnInitNode = [](TLazyTreeCore* s, PLazyNode, PLazyNode n, TLazyNodeInitStates& st) {
        if (s->GetNodeLevel(n) < 2) st += TLazyNodeInitState::ivsHasChildren;
    };
    t.OnInitChildren = [&](TLazyTreeCore*, PLazyNode, uint32_t& count) {
        ++asked;
        count = 3;
    };
    t.SetChildCount(nullptr, 2);
    EXPECT_EQ(t.TotalCount(), 2u + 6u + 18u);
    EXPECT_EQ(asked, 2 + 6);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStructure, DeletingTheOnlyChildOfAnExpandedNodeCollapsesIt) {
    TLazyTreeCore t;
    PLazyNode p = t.AddChild(nullptr);
    p->States += vsExpanded;  // expanded while it has no children yet
    PLazyNode c = t.AddChild(p);
    EXPECT_EQ(t.VisibleCount(), 2u);
    EXPECT_EQ(t.RootNode()->TotalHeight, 54u);
    t.DeleteNode(c);
    EXPECT_FALSE(p->States.Contains(vsExpanded));
    EXPECT_FALSE(p->States.Contains(vsHasChildren));
    EXPECT_EQ(t.VisibleCount(), 1u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    t.DeleteChildren(p, true);  // no children: the flag alone
    EXPECT_FALSE(t.HasChildren(p));
}

// Fault mended: deleting the children of an expanded node that is filtered gave it back its own row.
TEST(LazyTreeStructure, DeletingChildrenOfAFilteredNodeKeepsItsRowGivenUp) {
    TLazyTreeCore t;
    t.OnInitNode = [](TLazyTreeCore*, PLazyNode, PLazyNode, TLazyNodeInitStates& s) {
        s += TLazyNodeInitState::ivsFiltered;
    };
    PLazyNode p = t.AddChild(nullptr);
    t.ValidateNode(p, false);
    p->States += vsExpanded;
    t.AddChild(p);
    t.AddChild(p);
    t.DeleteChildren(p, false);
    EXPECT_EQ(p->TotalHeight, 0u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// Fault mended: ResetNode on a read-only tree dropped the node's flags but kept its children counted.
TEST(LazyTreeStructure, ResetNodeOnAReadOnlyTreeDropsTheChildren) {
    EventLog log;
    TLazyTreeCore t;
    log.Attach(t);
    PLazyNode p = t.AddChild(nullptr);
    p->States += vsExpanded;
    t.AddChild(p);
    t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
    t.ResetNode(p);
    EXPECT_EQ(p->ChildCount, 0u);
    EXPECT_FALSE(p->States.Contains(vsInitialized));
    EXPECT_TRUE(t.TreeOptions().MiscOptions().Contains(TLTMiscOption::toReadOnly));
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

// A handler that raises while a subtree goes must not leave freed nodes linked.
TEST(LazyTreeStructure, AFreeHandlerThatRaisesLeavesTheTreeWhole) {
    TLazyTreeCore t;
    int freed = 0;
    t.OnFreeNode = [&](TLazyTreeCore*, PLazyNode n) {
        ++freed;
        if (n->Index == 1) throw std::runtime_error("meter record already released");
    };
    for (int i = 0; i < 3; ++i) {
        PLazyNode n = t.AddChild(nullptr);
        for (int j = 0; j < 3; ++j) t.AddChild(n);
    }
    t.ValidateNode(nullptr, true);
    PLazyNode first = t.RootNode()->FirstChild;
    EXPECT_THROW(t.DeleteChildren(first), std::runtime_error);
    EXPECT_EQ(first->ChildCount, 0u);
    EXPECT_EQ(freed, 3);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    EXPECT_THROW(t.Clear(), std::runtime_error);
    EXPECT_TRUE(t.IsEmpty());
    EXPECT_EQ(t.UpdateCount(), 0u);
    EXPECT_EQ(t.AllocatedNodeCount(), 0u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    t.OnFreeNode = nullptr;
}

// Records the order of cache hooks and link changes.
struct CacheProbe : TLazyTreeCore {
    QStringList calls;
    PLazyNode watched = nullptr;
    QString Links() const { return watched && watched->Parent ? QStringLiteral("linked") : QStringLiteral("unlinked"); }
    void InterruptValidation() override { calls << "interrupt:" + Links(); }
    void InvalidateCache() override { calls << "invalidate:" + Links(); }
};

// Fault mended: InsertNode and a move inside one tree changed links with a cache build running and
// left the cache valid.
TEST(LazyTreeStructure, InsertAndMoveStopTheCacheBuildBeforeRelinking) {
    CacheProbe t;
    PLazyNode a = t.AddChild(nullptr);
    PLazyNode b = t.AddChild(nullptr);
    t.calls.clear();
    PLazyNode n = t.InsertNode(a, amInsertAfter);
    EXPECT_EQ(t.calls.mid(0, 2), QStringList({"interrupt:unlinked", "invalidate:unlinked"}));
    EXPECT_EQ(n->Parent, t.RootNode());
    t.calls.clear();
    t.watched = b;
    t.MoveTo(b, a, amAddChildLast, false);
    ASSERT_GE(t.calls.size(), 2);
    EXPECT_TRUE(t.calls.first().startsWith("interrupt"));
    EXPECT_TRUE(t.calls.contains("invalidate:linked"));
    EXPECT_EQ(b->Parent, a);
}

TEST(LazyTreeStructure, TenThousandRandomOperationsAgreeWithTheReferenceTree) {
    std::mt19937 random(59);
    std::vector<uint8_t> bytes(50000);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    testing_support::TreeOpsDriver driver;
    EXPECT_EQ(driver.Run(bytes.data(), bytes.size(), 10000), "");
    EXPECT_EQ(driver.Steps(), 10000u);
    EXPECT_GT(driver.NodeCount(), 0u);
}

// Built bottom-up by moves (each step touches two levels), then cleared and destroyed: no walk over
// the depth may recurse.
TEST(LazyTreeStructure, AChainTwoHundredThousandLevelsDeepIsBuiltClearedAndDestroyed) {
    constexpr int kDepth = 200000;
    int freed = 0;
    {
        TLazyTreeCore t;
        t.SetNodeDataSize(8);
        t.OnFreeNode = [&](TLazyTreeCore*, PLazyNode) { ++freed; };
        PLazyNode below = nullptr;
        for (int i = 0; i < kDepth; ++i) {
            PLazyNode top = t.AddChild(nullptr);
            t.GetNodeData(top);
            if (below) t.MoveTo(below, top, amAddChildLast, false);
            below = top;
        }
        PLazyNode deepest = below;
        while (deepest->FirstChild) deepest = deepest->FirstChild;
        EXPECT_EQ(t.GetNodeLevel(deepest), uint32_t(kDepth - 1));
        EXPECT_EQ(TreeFromNode(deepest), &t);
        EXPECT_EQ(t.RootNode()->TotalCount, uint32_t(kDepth + 1));
        EXPECT_EQ(CheckTreeInvariants(t), "");
        t.InitRecursive(nullptr, 0xFFFFFFFF, false);
        t.ReinitNode(nullptr, true);
        EXPECT_EQ(t.TotalCount(), uint32_t(kDepth));
        t.Clear();
        EXPECT_EQ(freed, kDepth);
        EXPECT_EQ(t.AllocatedNodeCount(), 0u);
        PLazyNode last = nullptr;
        for (int i = 0; i < 1000; ++i) last = t.AddChild(last);  // a second chain, left to the destructor
    }
    EXPECT_EQ(freed, kDepth + 999);  // each AddChild initialised its parent; the last node never was
}

}  // namespace
