// The node store: a tree whose nodes need no step of their own is freed at once, with the same
// announcements as freeing node by node; references are still given back; blocks taken again
// (slabs reused by the same or another tree) are zero.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"

using enum TLazyTreeState;
using enum TCheckState;

namespace {

// Counts the repaints asked for; OneByOne makes every node take its own free step.
template <bool OneByOne>
struct ClearProbe : TLazyTreeCore {
    int repaints = 0;
    void InvalidateToBottom(PLazyNode Node) override {
        ++repaints;
        TLazyTreeCore::InvalidateToBottom(Node);
    }
    bool NodesNeedFreeStep() const override { return OneByOne || TLazyTreeCore::NodesNeedFreeStep(); }
};

// Everything a tree announces, as texts.
struct Recorder {
    QStringList events;
    void Attach(TLazyTreeCore& t) {
        t.OnStateChange = [this](TLazyTreeCore*, TLazyTreeStates enter, TLazyTreeStates leave) {
            events << QStringLiteral("State(+%1,-%2)").arg(enter.Bits()).arg(leave.Bits());
        };
        t.OnStructureChange = [this](TLazyTreeCore* s, PLazyNode n, TChangeReason r) {
            events << QStringLiteral("StructureChange(%1,%2)")
                          .arg(n == s->RootNode() ? QStringLiteral("root") : n ? QStringLiteral("node") : QStringLiteral("nil"))
                          .arg(int(r));
        };
        t.OnUpdating = [this](TLazyTreeCore*, TLTUpdateState s) { events << QStringLiteral("Updating(%1)").arg(int(s)); };
    }
};

// What a tree looks like after it lost its nodes.
QString Outcome(TLazyTreeCore& t) {
    PLazyNode r = t.RootNode();
    return QStringLiteral("visible %1 count %2 height %3 children %4 states %5 range %6 tree %7")
        .arg(t.VisibleCount())
        .arg(r->TotalCount)
        .arg(r->TotalHeight)
        .arg(r->ChildCount)
        .arg(r->States.Bits())
        .arg(t.RangeY())
        .arg(t.TreeStates().Bits());
}

struct Shape {
    const char* name;
    std::function<void(TLazyTreeCore&)> build;
};

void Meters(TLazyTreeCore& t, uint32_t values) {
    for (int i = 0; i < 3; ++i) t.SetChildCount(t.AddChild(nullptr), values);
}

const Shape kShapes[] = {
    {"top-level nodes only", [](TLazyTreeCore& t) { t.SetChildCount(nullptr, 3); }},
    {"collapsed nodes with children", [](TLazyTreeCore& t) { Meters(t, 4); }},
    {"expanded nodes with grandchildren",
     [](TLazyTreeCore& t) {
         Meters(t, 4);
         t.SetChildCount(t.RootNode()->FirstChild->FirstChild, 2);
         t.FullExpand();
     }},
    {"a hint shown",
     [](TLazyTreeCore& t) {
         Meters(t, 2);
         t.FullExpand(t.RootNode()->LastChild);
         t.SetTreeStates(t.TreeStates() + tsHint);
     }},
};

struct Ending {
    const char* name;
    std::function<void(TLazyTreeCore&)> run;
};

const Ending kEndings[] = {
    {"Clear", [](TLazyTreeCore& t) { t.Clear(); }},
    {"SetChildCount(nil, 0)", [](TLazyTreeCore& t) { t.SetChildCount(nullptr, 0); }},
};

TEST(LazyTreeNodeStore, ATreeFreedAtOnceAnnouncesWhatFreeingNodeByNodeDoes) {
    for (const Shape& shape : kShapes) {
        for (const Ending& ending : kEndings) {
            SCOPED_TRACE(std::string(shape.name) + ", " + ending.name);
            Recorder a, b;  // outlive the trees, which announce while they go
            ClearProbe<false> atOnce;
            ClearProbe<true> oneByOne;
            shape.build(atOnce);
            shape.build(oneByOne);
            a.Attach(atOnce);
            b.Attach(oneByOne);
            const uint32_t nodes = atOnce.RootNode()->TotalCount - 1;
            atOnce.repaints = oneByOne.repaints = 0;
            ending.run(atOnce);
            ending.run(oneByOne);
            EXPECT_EQ(a.events, b.events);
            EXPECT_EQ(Outcome(atOnce), Outcome(oneByOne));
            EXPECT_EQ(atOnce.AllocatedNodeCount(), 0u);
            EXPECT_EQ(CheckTreeInvariants(atOnce), "");
            // One repaint for the whole tree rather than one per node.
            EXPECT_LE(atOnce.repaints, 2);
            EXPECT_GE(oneByOne.repaints, int(nodes));
            // The tree fills again as a new one.
            Meters(atOnce, 2);
            EXPECT_EQ(CheckTreeInvariants(atOnce), "");
            EXPECT_EQ(atOnce.RootNode()->TotalCount, 10u);
        }
    }
}

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

// A reference keeps the tree from being freed at once, whichever way it went into a node and at
// whatever depth, and with no free handler assigned.
TEST(LazyTreeNodeStore, ReferencesGoBackWhateverWayTheyWereStored) {
    using Store = std::function<void(TLazyTreeCore&, IInterface*)>;
    const std::pair<const char*, Store> stores[] = {
        {"AddChild", [](TLazyTreeCore& t, IInterface* i) { t.AddChild(t.RootNode()->FirstChild, i); }},
        {"SetNodeData", [](TLazyTreeCore& t, IInterface* i) { t.SetNodeData(t.RootNode()->LastChild, i); }},
        {"the node's SetData, two levels down",
         [](TLazyTreeCore& t, IInterface* i) { t.RootNode()->FirstChild->FirstChild->FirstChild->SetData(i); }},
    };
    const std::pair<const char*, std::function<void(std::unique_ptr<TLazyTreeCore>&)>> ends[] = {
        {"Clear", [](std::unique_ptr<TLazyTreeCore>& t) { t->Clear(); }},
        {"SetChildCount(nil, 0)", [](std::unique_ptr<TLazyTreeCore>& t) { t->SetChildCount(nullptr, 0); }},
        {"destruction", [](std::unique_ptr<TLazyTreeCore>& t) { t.reset(); }},
    };
    for (const auto& [storeName, store] : stores) {
        for (const auto& [endName, end] : ends) {
            SCOPED_TRACE(std::string(storeName) + ", " + endName);
            CountedInterface i;
            auto t = std::make_unique<TLazyTreeCore>();
            t->SetNodeDataSize(8);
            t->SetChildCount(nullptr, 2);
            t->SetChildCount(t->RootNode()->FirstChild, 2);
            t->SetChildCount(t->RootNode()->FirstChild->FirstChild, 2);
            store(*t, &i);
            ASSERT_EQ(i.refs, 1);
            end(t);
            EXPECT_EQ(i.refs, 0);
            EXPECT_EQ(i.releases, 1);
        }
    }
}

struct Plain {
    int id;
    char tag[4];
};
struct Owning {
    QString caption;
};

TEST(LazyTreeNodeStore, OnlyUserDataThatNeedsDestroyingIsVisitedWhenTheTreeGoes) {
    EXPECT_EQ(NodeDataTypeOf<Plain>().Destroy, nullptr);
    ASSERT_NE(NodeDataTypeOf<Owning>().Destroy, nullptr);

    ClearProbe<false> plain;
    plain.SetNodeDataType<Plain>();
    Meters(plain, 50);
    plain.repaints = 0;
    plain.Clear();
    EXPECT_LE(plain.repaints, 1);

    // Captions long enough to live on the heap: AddressSanitizer reports any one left behind.
    ClearProbe<false> owning;
    owning.SetNodeDataType<Owning>();
    Meters(owning, 50);
    for (PLazyNode n = owning.GetFirstNoInit(); n; n = owning.GetNextNoInit(n))
        owning.GetNodeData<Owning>(n)->caption = QStringLiteral("meter value %1 of the scan list").arg(n->Index);
    owning.repaints = 0;
    owning.Clear();
    EXPECT_GE(owning.repaints, 150);
    EXPECT_EQ(owning.AllocatedNodeCount(), 0u);
}

// A tree class with an internal area, as the string tree keeps its width cache.
struct WithArea : TLazyTreeCore {
    uint32_t offset = AllocateInternalDataArea(4);
    std::byte* Area(PLazyNode n) { return static_cast<std::byte*>(InternalData(n, offset)); }
};

// Enough nodes to take big slabs after the small ones; their blocks come back scribbled on.
constexpr uint32_t kManyNodes = 60000;

void Scribble(WithArea& t) {
    for (PLazyNode n = t.GetFirstNoInit(); n; n = n->NextSibling) {
        std::memset(t.GetNodeData(n), 0xA5, 8);
        std::memset(t.Area(n), 0x5A, 4);
        n->CheckState = csMixedPressed;
        n->CheckType = TCheckType::ctTriStateCheckBox;
        n->Dummy = 7;
    }
}

// The first node whose block is not as fresh, or an empty text.
QString FirstDirtyNode(WithArea& t) {
    const std::byte zero[8] = {};
    for (PLazyNode n = t.GetFirstNoInit(); n; n = n->NextSibling) {
        if (std::memcmp(n->Data(), zero, 8) != 0 || std::memcmp(t.Area(n), zero, 4) != 0 ||
            n->CheckState != csUncheckedNormal || n->CheckType != TCheckType::ctNone || n->Dummy != 0 ||
            n->FirstChild || n->LastChild || n->ChildCount != 0 || n->States != TLazyNodeStates{TLazyNodeState::vsVisible})
            return QString::number(n->Index);
    }
    return {};
}

TEST(LazyTreeNodeStore, BlocksTakenAgainAreZero) {
    {
        WithArea t;
        t.SetNodeDataSize(8);
        t.SetChildCount(nullptr, kManyNodes);
        Scribble(t);
        t.Clear();
        t.SetChildCount(nullptr, kManyNodes);
        EXPECT_EQ(FirstDirtyNode(t), "");
        Scribble(t);
    }
    // The slabs the last tree gave back go to the next one.
    WithArea next;
    next.SetNodeDataSize(8);
    next.SetChildCount(nullptr, kManyNodes);
    EXPECT_EQ(FirstDirtyNode(next), "");
    EXPECT_EQ(CheckTreeInvariants(next), "");
}

}  // namespace
