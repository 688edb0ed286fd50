// Node records, node data, the hidden root and the node blocks.
#include <gtest/gtest.h>

#include <functional>

#include "EventLog.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyNodeState;

namespace {

// Counts references and releases of an interface a node holds.
struct CountedInterface final : IInterface {
    int refs = 0;
    int releases = 0;
    void AddRef() override { ++refs; }
    void Release() override {
        --refs;
        ++releases;
    }
};

QString Message(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
    return QStringLiteral("no exception");
}

struct NodeCase {
    const char* name;
    std::function<QString()> run;
    QString expected;
};

const NodeCase kNodeCases[] = {
    {"NodeDataSize below -1 stores -1",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(8);
         t.SetNodeDataSize(-5);
         return QString::number(t.NodeDataSize());
     },
     "-1"},
    {"setting the same NodeDataSize again keeps the nodes",
     [] {
         EventLog log;  // outlives the tree, which frees its nodes when it goes
         TLazyTreeCore t;
         log.Attach(t);
         t.SetNodeDataSize(8);
         t.ValidateNode(t.AddChild(nullptr), false);
         log.events.clear();
         t.SetNodeDataSize(8);
         return QString::number(t.RootNodeCount()) + u' ' + log.events.join(u',');
     },
     "1 "},
    {"NodeDataSize -1 without a handler becomes 4 at the first node",
     [] {
         TLazyTreeCore t;
         const int before = t.NodeDataSize();
         t.AddChild(nullptr);
         return QStringLiteral("%1 %2 %3").arg(before).arg(t.NodeDataSize()).arg(t.NodeBlockSize());
     },
     "-1 4 80"},
    {"the size handler answers once, for every node",
     [] {
         TLazyTreeCore t;
         int asked = 0;
         t.OnGetNodeDataSize = [&](TLazyTreeCore*, int& size) {
             ++asked;
             size = 24;
         };
         t.SetChildCount(nullptr, 3);
         t.AddChild(nullptr);
         return QStringLiteral("%1 %2").arg(asked).arg(t.NodeDataSize());
     },
     "1 24"},
    {"8 -> 16 frees only initialised or touched nodes and leaves fresh ones",
     [] {
         EventLog log;  // outlives the tree, which frees its nodes when it goes
         TLazyTreeCore t;
         log.Attach(t);
         t.SetNodeDataSize(8);
         PLazyNode a = t.AddChild(nullptr);
         PLazyNode b = t.AddChild(nullptr);
         t.AddChild(nullptr);
         t.ValidateNode(a, false);
         t.GetNodeData(b);
         log.events.clear();
         t.SetNodeDataSize(16);
         QStringList frees = log.events.filter(QStringLiteral("FreeNode"));
         int initialised = 0;
         for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling)
             initialised += n->States.Contains(vsInitialized) ? 1 : 0;
         return frees.join(u',') +
                QStringLiteral(" %1 %2 %3").arg(t.RootNodeCount()).arg(initialised).arg(t.NodeDataSize());
     },
     "FreeNode(1),FreeNode(0) 3 0 16"},
    {"a node never initialised and never asked for its data is freed silently",
     [] {
         EventLog log;  // outlives the tree, which frees its nodes when it goes
         TLazyTreeCore t;
         log.Attach(t);
         t.SetNodeDataSize(8);
         t.DeleteNode(t.AddChild(nullptr));
         return log.events.filter(QStringLiteral("FreeNode")).join(u',');
     },
     ""},
    {"GetNodeData of nil and of the root is nil",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(8);
         return QStringLiteral("%1 %2")
             .arg(t.GetNodeData(nullptr) == nullptr)
             .arg(t.GetNodeData(t.RootNode()) == nullptr);
     },
     "1 1"},
    {"GetNodeData with NodeDataSize 0 fails for nil",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(0);
         return Message([&] { t.GetNodeData(nullptr); });
     },
     "NodeDataSize not initialized."},
    {"GetNodeData with NodeDataSize 0 fails for the root",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(0);
         return Message([&] { t.GetNodeData(t.RootNode()); });
     },
     "NodeDataSize not initialized."},
    {"user data needs a pointer's room",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(4);
         PLazyNode n = t.AddChild(nullptr);
         int x = 0;
         return Message([&] { t.SetNodeData(n, &x); });
     },
     "TLazyTreeCore: Cannot set initial user data because there is not enough user data space allocated."},
    {"AddChild with user data and NodeDataSize 3 fails after the node was added",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(3);
         int x = 0;
         const QString m = Message([&] { t.AddChild(nullptr, static_cast<void*>(&x)); });
         return QString::number(t.RootNodeCount()) + u' ' + m;
     },
     "1 TLazyTreeCore: Cannot set initial user data because there is not enough user data space allocated."},
    // Fault mended: an interface was stored without a size check, over whatever follows a smaller
    // user-data area; and a refused AddChild kept the reference it had taken.
    {"an interface needs a pointer's room too and a refused add takes no reference",
     [] {
         CountedInterface i;
         TLazyTreeCore t;
         t.SetNodeDataSize(4);
         PLazyNode n = t.AddChild(nullptr);
         const QString set = Message([&] { t.SetNodeData(n, static_cast<IInterface*>(&i)); });
         const QString add = Message([&] { t.AddChild(nullptr, static_cast<IInterface*>(&i)); });
         return QStringLiteral("%1 %2 %3").arg(set == add).arg(i.refs).arg(set);
     },
     "1 0 TLazyTreeCore: Cannot set initial user data because there is not enough user data space allocated."},
    {"an interface held by a node is released exactly once",
     [] {
         CountedInterface i;
         {
             TLazyTreeCore t;
             t.SetNodeDataSize(8);
             t.AddChild(nullptr, static_cast<IInterface*>(&i));
             PLazyNode n = t.AddChild(nullptr);
             t.SetNodeData(n, static_cast<IInterface*>(&i));
             t.SetNodeData(n, static_cast<IInterface*>(&i));             // the reference it held goes back first
             t.SetNodeData(t.RootNode(), static_cast<IInterface*>(&i));  // the root has no user data
             t.DeleteNode(t.RootNode()->FirstChild);
         }
         return QStringLiteral("%1 %2").arg(i.refs).arg(i.releases);
     },
     "0 3"},
    {"GetNodeLevel of nil, root, top level, child, grandchild",
     [] {
         TLazyTreeCore t;
         PLazyNode top = t.AddChild(nullptr);
         PLazyNode child = t.AddChild(top);
         PLazyNode grand = t.AddChild(child);
         return QStringLiteral("%1 %2 %3 %4 %5")
             .arg(t.GetNodeLevel(nullptr))
             .arg(t.GetNodeLevel(t.RootNode()))
             .arg(t.GetNodeLevel(top))
             .arg(t.GetNodeLevel(child))
             .arg(t.GetNodeLevel(grand));
     },
     "0 0 0 1 2"},
    {"TreeFromNode of the root and of a deep node is the tree",
     [] {
         TLazyTreeCore t;
         PLazyNode deep = t.AddChild(t.AddChild(nullptr));
         return QStringLiteral("%1 %2").arg(TreeFromNode(t.RootNode()) == &t).arg(TreeFromNode(deep) == &t);
     },
     "1 1"},
    {"TreeFromNode of nil fails", [] { return Message([] { TreeFromNode(nullptr); }); }, "Node must not be nil."},
    {"VerticalAlignment 200 stores 100",
     [] {
         TLazyTreeCore t;
         PLazyNode n = t.AddChild(nullptr);
         const int fresh = t.VerticalAlignment(n);
         t.SetVerticalAlignment(n, 200);
         return QStringLiteral("%1 %2").arg(fresh).arg(t.VerticalAlignment(n));
     },
     "50 100"},
    {"root TotalCount after three nodes with two children each",
     [] {
         TLazyTreeCore t;
         for (int i = 0; i < 3; ++i) {
             PLazyNode n = t.AddChild(nullptr);
             t.AddChild(n);
             t.AddChild(n);
         }
         return QStringLiteral("%1 %2").arg(t.RootNode()->TotalCount).arg(t.TotalCount());
     },
     "10 9"},
    {"the hidden root's fields",
     [] {
         TLazyTreeCore t;
         PLazyNode r = t.RootNode();
         const bool states = r->States == TLazyNodeStates{vsInitialized, vsExpanded, vsHasChildren, vsVisible};
         return QStringLiteral("%1 %2 %3 %4 %5 %6")
             .arg(states)
             .arg(r->TotalCount)
             .arg(r->NodeHeight)
             .arg(r->TotalHeight)
             .arg(r->Align)
             .arg(r->NextSibling == r && r->PrevSibling == r);
     },
     "1 1 18 18 50 1"},
    {"a new node has only vsVisible, height 18 and alignment 50",
     [] {
         TLazyTreeCore t;
         PLazyNode n = t.AddChild(nullptr);
         return QStringLiteral("%1 %2 %3 %4 %5")
             .arg(n->States == TLazyNodeStates{vsVisible})
             .arg(n->NodeHeight)
             .arg(n->TotalHeight)
             .arg(n->Align)
             .arg(static_cast<int>(n->CheckType));
     },
     "1 18 18 50 0"},
    // A read-only tree cannot clear, so it cannot re-make its blocks: the size stays.
    {"NodeDataSize change on a read-only tree with nodes is ignored",
     [] {
         TLazyTreeCore t;
         t.SetNodeDataSize(8);
         t.AddChild(nullptr);
         t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
         t.SetNodeDataSize(64);
         return QStringLiteral("%1 %2 %3").arg(t.NodeDataSize()).arg(t.RootNodeCount()).arg(t.NodeBlockSize());
     },
     "8 1 80"},
};

class NodeCases : public ::testing::TestWithParam<NodeCase> {};

TEST_P(NodeCases, Holds) {
    const NodeCase& c = GetParam();
    EXPECT_EQ(c.run(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P(LazyTreeNodes, NodeCases, ::testing::ValuesIn(kNodeCases), [](const auto& info) {
    std::string n;
    for (const char* p = info.param.name; *p; ++p) n += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return n;
});

// A user-data record with owning members, counted.
struct Tracked {
    static inline int constructed = 0;
    static inline int destroyed = 0;
    QString Caption;
    bool Check = false;
    Tracked() { ++constructed; }
    ~Tracked() { ++destroyed; }
};

TEST(LazyTreeNodeData, TypedRecordsAreMadeAndDestroyedWithTheirBlocks) {
    Tracked::constructed = Tracked::destroyed = 0;
    {
        TLazyTreeCore t;
        t.SetNodeDataType<Tracked>();
        EXPECT_EQ(t.NodeDataSize(), int(sizeof(Tracked)));
        QStringList freed;
        t.OnFreeNode = [&](TLazyTreeCore* s, PLazyNode n) { freed << s->GetNodeData<Tracked>(n)->Caption; };
        PLazyNode a = t.AddChild(nullptr);
        t.SetChildCount(a, 100);  // made in bulk, without an event
        for (PLazyNode n = a->FirstChild; n; n = n->NextSibling)
            t.GetNodeData<Tracked>(n)->Caption = QStringLiteral("meter %1").arg(n->Index);
        EXPECT_EQ(Tracked::constructed, 101);
        t.Clear();
        EXPECT_EQ(Tracked::destroyed, 101);
        ASSERT_EQ(freed.size(), 100);  // the parent was never touched
        EXPECT_EQ(freed.first(), QStringLiteral("meter 99"));

        t.SetChildCount(nullptr, 5);
        t.GetNodeData<Tracked>(t.RootNode()->FirstChild)->Caption = QStringLiteral("kept until the size changes");
        t.SetNodeDataSize(64);  // another size: the typed records go, the nodes come back plain
        EXPECT_EQ(Tracked::constructed, 106);
        EXPECT_EQ(Tracked::destroyed, 106);
        EXPECT_EQ(t.RootNodeCount(), 5u);

        t.SetNodeDataType<Tracked>();
        t.SetChildCount(nullptr, 7);
        EXPECT_EQ(Tracked::constructed - Tracked::destroyed, 7);
    }
    EXPECT_EQ(Tracked::constructed, Tracked::destroyed);
}

// A tree class that reserves an internal area, as the string tree does for its width cache.
struct WithInternalArea : TLazyTreeCore {
    uint32_t offset;
    WithInternalArea() { offset = AllocateInternalDataArea(4); }
    uint32_t* Area(PLazyNode n) { return static_cast<uint32_t*>(InternalData(n, offset)); }
    void ReserveMore() { AllocateInternalDataArea(2); }
};

TEST(LazyTreeNodeData, InternalAreasFollowTheUserDataAndAreReservedBeforeTheFirstNode) {
    WithInternalArea t;
    t.SetNodeDataSize(8);
    EXPECT_EQ(t.offset, 72u);
    PLazyNode n = t.AddChild(nullptr);
    EXPECT_EQ(reinterpret_cast<std::byte*>(t.Area(n)), n->Data() + 8);
    EXPECT_EQ(*t.Area(n), 0u);                         // zero-filled
    EXPECT_EQ(t.NodeBlockSize(), 72u + 8u + 4u + 4u);  // rounded to eight for the next block
    EXPECT_EQ(t.Area(t.RootNode()), nullptr);
    EXPECT_EQ(Message([&] { t.ReserveMore(); }),
              QStringLiteral("Internal data allocation must be done before any node is created."));
}

TEST(LazyTreeNodeData, CheckStateHelperFollowsItsTable) {
    using enum TCheckState;
    struct Row {
        TCheckState s, pressed, unpressed, enabled, toggled;
        bool disabled, checked;
    };
    const Row rows[] = {
        {csUncheckedNormal, csUncheckedPressed, csUncheckedNormal, csUncheckedNormal, csCheckedNormal, false, false},
        {csUncheckedPressed, csUncheckedPressed, csUncheckedNormal, csUncheckedPressed, csCheckedPressed, false, false},
        {csCheckedNormal, csCheckedPressed, csCheckedNormal, csCheckedNormal, csUncheckedNormal, false, true},
        {csCheckedPressed, csCheckedPressed, csCheckedNormal, csCheckedPressed, csUncheckedPressed, false, true},
        {csMixedNormal, csMixedPressed, csMixedNormal, csMixedNormal, csCheckedNormal, false, false},
        {csMixedPressed, csMixedPressed, csMixedNormal, csMixedPressed, csCheckedPressed, false, false},
        {csUncheckedDisabled, csUncheckedDisabled, csUncheckedDisabled, csUncheckedNormal, csUncheckedDisabled, true,
         false},
        {csCheckedDisabled, csCheckedDisabled, csCheckedDisabled, csCheckedNormal, csCheckedDisabled, true, true},
        {csMixedDisabled, csMixedDisabled, csMixedDisabled, csMixedNormal, csMixedDisabled, true, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.s));
        EXPECT_EQ(TCheckStateHelper::GetPressed(r.s), r.pressed);
        EXPECT_EQ(TCheckStateHelper::GetUnpressed(r.s), r.unpressed);
        EXPECT_EQ(TCheckStateHelper::GetEnabled(r.s), r.enabled);
        EXPECT_EQ(TCheckStateHelper::GetToggled(r.s), r.toggled);
        EXPECT_EQ(TCheckStateHelper::IsDisabled(r.s), r.disabled);
        EXPECT_EQ(TCheckStateHelper::IsChecked(r.s), r.checked);
    }
}

// What the Scan & Decode window does: size 8, a record per node, check boxes written in OnInitNode.
TEST(LazyTreeNodeData, HandlersWriteCheckTypeAndStateIntoTheRecord) {
    TLazyTreeCore t;
    t.SetNodeDataSize(8);
    t.OnInitNode = [](TLazyTreeCore* s, PLazyNode parent, PLazyNode n, TLazyNodeInitStates&) {
        n->CheckType = TCheckType::ctCheckBox;
        n->CheckState = parent ? TCheckState::csUncheckedNormal : TCheckState::csCheckedNormal;
        EXPECT_EQ(s->GetNodeLevel(n), parent ? 1u : 0u);
    };
    PLazyNode device = t.AddChild(nullptr);
    PLazyNode variable = t.AddChild(device);  // initialises the device
    t.ValidateNode(variable, false);
    EXPECT_EQ(t.CheckType(device), TCheckType::ctCheckBox);
    EXPECT_EQ(t.CheckState(device), TCheckState::csCheckedNormal);
    EXPECT_EQ(t.CheckState(variable), TCheckState::csUncheckedNormal);
    EXPECT_EQ(t.NodeParent(variable), device);
    EXPECT_EQ(t.NodeParent(device), nullptr);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

}  // namespace
