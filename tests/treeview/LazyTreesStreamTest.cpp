// The node stream: the bytes written, reading them back, crafted and damaged streams, files, and
// moving and copying nodes into another tree.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <functional>
#include <random>
#include <stdexcept>

#include "EventLog.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesCheck.h"
#include "treeview/LazyTreesCore.h"
#include "treeview/LazyTreesStream.h"

using enum TLazyNodeState;
using enum TLTNodeAttachMode;

// Readable failure messages for texts and lists of texts.
static void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

namespace {

// ---- Building streams by hand, from the format ----

QByteArray U16(uint16_t v) {
    QByteArray b(2, '\0');
    qToLittleEndian<uint16_t>(v, b.data());
    return b;
}
QByteArray U32(uint32_t v) {
    QByteArray b(4, '\0');
    qToLittleEndian<uint32_t>(v, b.data());
    return b;
}
constexpr int64_t kContentSize = INT64_MIN;
QByteArray Chunk(int32_t type, const QByteArray& content, int64_t size = kContentSize) {
    return U32(uint32_t(type)) + U32(uint32_t(size == kContentSize ? content.size() : size)) + content;
}
QByteArray Anchor(const QByteArray& chunks) {
    return Chunk(1, chunks);
}
struct BaseFields {
    uint32_t childCount = 0;
    uint32_t height = 18;
    uint32_t states = 0x81;  // vsInitialized, vsVisible
    uint8_t align = 50;
    uint8_t checkState = 0;
    uint8_t checkType = 0;
};
QByteArray Base(const BaseFields& f, const QByteArray& children = {}) {
    QByteArray c = U32(f.childCount) + U32(f.height) + U32(f.states);
    c += char(f.align);
    c += char(f.checkState);
    c += char(f.checkType);
    c += U32(0);
    return Chunk(2, c + children);
}
QByteArray OldBase(uint32_t childCount, uint8_t stateByte, const QByteArray& children = {}) {
    QByteArray c = U32(childCount) + U32(18);
    c += char(stateByte);
    c += char(50);
    c += char(0);
    c += char(0);
    return Chunk(2, c + children);
}
QByteArray Header(uint16_t version) {
    return U16(0x2045) + U16(0x0056) + U16(0x0054) + U16(version) + U16(0x0020) + U16(0x2046);
}
QByteArray Stream(const QByteArrayList& records) {
    return Header(2) + U32(uint32_t(records.size())) + records.join();
}
// A leaf record.
QByteArray Leaf(uint32_t states = 0x81) {
    BaseFields f;
    f.states = states;
    return Anchor(Base(f));
}

QByteArray Save(TLazyTreeCore& t, PLazyNode node = nullptr) {
    TMemoryStream s;
    t.SaveToStream(s, node);
    return s.Data();
}
void Load(TLazyTreeCore& t, const QByteArray& bytes) {
    TMemoryStream s(bytes);
    t.LoadFromStream(s);
}
void Add(TLazyTreeCore& t, const QByteArray& bytes, PLazyNode target) {
    TMemoryStream s(bytes);
    t.AddFromStream(s, target);
}
// The help context of the ELazyTreeError the call raises, 0 when it raises none.
int ErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const ELazyTreeError& e) {
        return e.HelpContext;
    }
    return 0;
}

// The tree as one line per node in tree order: level, child count and the states that travel.
QStringList Shape(TLazyTreeCore& t) {
    QStringList lines;
    for (PLazyNode n = t.GetFirstNoInit(); n; n = t.GetNextNoInit(n))
        lines << QStringLiteral("%1 %2 %3 h%4 a%5 c%6/%7")
                     .arg(t.GetNodeLevel(n))
                     .arg(n->ChildCount)
                     .arg(n->States.Bits() & 0x95E9, 0, 16)
                     .arg(n->NodeHeight)
                     .arg(n->Align)
                     .arg(int(n->CheckState))
                     .arg(int(n->CheckType));
    return lines;
}

// A tree whose nodes keep a number in their data; OnSaveNode writes it (nothing for multiples of 3)
// and OnLoadNode reads it back.
void UseNumbers(TLazyTreeCore& t) {
    t.SetNodeDataSize(8);
    t.OnSaveNode = [](TLazyTreeCore* s, PLazyNode n, TStream& stream) {
        const uint64_t v = *s->GetNodeData<uint64_t>(n);
        if (v % 3 != 0) stream.Write(&v, 8);
    };
    t.OnLoadNode = [](TLazyTreeCore* s, PLazyNode n, TStream& stream) {
        stream.ReadBuffer(s->GetNodeData<uint64_t>(n), 8);
    };
}

// ---- The golden stream ----

TEST(LazyTreeStream, OneNodeWithOneChildIsTheGolden86Bytes) {
    TLazyTreeCore t;
    PLazyNode top = t.AddChild(nullptr);
    t.AddChild(top);  // initialises its parent
    const QByteArray golden = QByteArray::fromHex(
        "452056005400020020004620"                  // header, version 2
        "01000000"                                  // one top-level record
        "010000003e000000"                          // anchor, 62
        "0200000036000000"                          // base, 54
        "0100000012000000c100000032000000000000"    // 1 child, 18, initialised+has children+visible, 50
        "010000001b000000"                          // child anchor, 27
        "0200000013000000"                          // child base, 19
        "00000000120000008100000032000000000000");  // no children, 18, initialised on save + visible, 50
    ASSERT_EQ(golden.size(), 86);
    EXPECT_EQ(Save(t).toHex(), golden.toHex());

    TLazyTreeCore back;
    Load(back, golden);
    EXPECT_EQ(Shape(back), Shape(t));
    EXPECT_EQ(CheckTreeInvariants(back), "");
    EXPECT_EQ(Save(back).toHex(), golden.toHex());
}

// ---- A second reader, written from the format alone ----

struct RefNode {
    uint32_t childCount = 0, height = 0, states = 0;
    uint8_t align = 0, checkState = 0, checkType = 0;
    bool hasData = false;
    QByteArray data;
    std::vector<RefNode> children;
};

RefNode ParseRecord(const QByteArray& b, qsizetype& pos) {
    auto u32 = [&](qsizetype at) { return qFromLittleEndian<uint32_t>(b.constData() + at); };
    RefNode r;
    EXPECT_EQ(u32(pos), 1u) << "anchor expected at " << pos;
    const qsizetype end = pos + 8 + qsizetype(u32(pos + 4));
    pos += 8;
    while (pos < end) {
        const uint32_t type = u32(pos), size = u32(pos + 4);
        pos += 8;
        if (type == 2) {
            r.childCount = u32(pos);
            r.height = u32(pos + 4);
            r.states = u32(pos + 8);
            r.align = uint8_t(b[pos + 12]);
            r.checkState = uint8_t(b[pos + 13]);
            r.checkType = uint8_t(b[pos + 14]);
            EXPECT_EQ(u32(pos + 15), 0u);
            qsizetype p = pos + 19;
            for (uint32_t i = 0; i < r.childCount; ++i) r.children.push_back(ParseRecord(b, p));
            EXPECT_EQ(p, pos + qsizetype(size)) << "base chunk size";
        } else if (type == 4) {
            r.hasData = true;
            r.data = b.mid(pos, size);
        } else {
            ADD_FAILURE() << "unexpected chunk type " << type;
        }
        pos += size;
    }
    EXPECT_EQ(pos, end) << "anchor size";
    return r;
}

void CompareWithTree(TLazyTreeCore& t, PLazyNode n, const RefNode& r) {
    SCOPED_TRACE(NodeName(&t, n).toStdString());
    const bool initialised = n->States.Contains(vsInitialized);
    EXPECT_EQ(r.childCount, initialised ? n->ChildCount : 0u);
    EXPECT_EQ(r.height, n->NodeHeight);
    EXPECT_EQ(r.states, n->States.Bits() & 0x95E9u);
    EXPECT_EQ(r.align, n->Align);
    EXPECT_EQ(r.checkState, uint8_t(n->CheckState));
    EXPECT_EQ(r.checkType, uint8_t(n->CheckType));
    const uint64_t v = *t.GetNodeData<uint64_t>(n);
    EXPECT_EQ(r.hasData, v % 3 != 0);
    if (r.hasData) {
        EXPECT_EQ(r.data, QByteArray(reinterpret_cast<const char*>(&v), 8));
    }
    ASSERT_EQ(r.children.size(), r.childCount);
    PLazyNode c = n->FirstChild;
    for (const RefNode& rc : r.children) {
        ASSERT_NE(c, nullptr);
        CompareWithTree(t, c, rc);
        c = c->NextSibling;
    }
}

void BuildRandomTree(TLazyTreeCore& t, std::mt19937& rng) {
    std::vector<PLazyNode> nodes;
    const int count = 1 + int(rng() % 60);
    for (int i = 0; i < count; ++i) {
        PLazyNode parent = nodes.empty() || rng() % 4 == 0 ? nullptr : nodes[rng() % nodes.size()];
        PLazyNode n = t.AddChild(parent);
        *t.GetNodeData<uint64_t>(n) = uint64_t(i) * 7 + 1;
        nodes.push_back(n);
    }
    for (PLazyNode n : nodes) {
        if (rng() % 2) t.ValidateNode(n, false);
        if (rng() % 3 == 0) t.SetNodeHeight(n, 10 + rng() % 40);
        if (rng() % 3 == 0) t.SetVerticalAlignment(n, uint8_t(rng() % 101));
        if (rng() % 4 == 0) t.SetIsDisabled(n, true);
        if (rng() % 5 == 0) t.SetVisible(n, false);
        if (rng() % 6 == 0) t.SetMultiLine(n, true);
        if (rng() % 7 == 0) t.SetFiltered(n, true);
        n->CheckType = TCheckType(rng() % 5);
        n->CheckState = TCheckState(rng() % 9);
    }
    for (PLazyNode n : nodes)
        if (n->ChildCount > 0 && rng() % 2) t.SetExpanded(n, true);
}

TEST(LazyTreeStream, AnIndependentReaderAgreesWithTheLibraryOnRandomTrees) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 rng(seed);
        TLazyTreeCore t;
        UseNumbers(t);
        BuildRandomTree(t, rng);
        const QByteArray bytes = Save(t);

        const auto u16 = [&](int at) { return qFromLittleEndian<uint16_t>(bytes.constData() + at); };
        ASSERT_EQ(u16(6), 2);
        ASSERT_EQ(qFromLittleEndian<uint32_t>(bytes.constData() + 12), t.RootNodeCount());
        qsizetype pos = 16;
        for (PLazyNode n = t.RootNode()->FirstChild; n; n = n->NextSibling)
            CompareWithTree(t, n, ParseRecord(bytes, pos));
        EXPECT_EQ(pos, bytes.size());

        TLazyTreeCore back;
        UseNumbers(back);
        Load(back, bytes);
        EXPECT_EQ(CheckTreeInvariants(back), "");
        EXPECT_EQ(Shape(back), Shape(t));
        EXPECT_EQ(back.VisibleCount(), t.VisibleCount());
        EXPECT_EQ(back.RootNode()->TotalHeight, t.RootNode()->TotalHeight);
        for (PLazyNode a = t.GetFirstNoInit(), b = back.GetFirstNoInit(); a && b;
             a = t.GetNextNoInit(a), b = back.GetNextNoInit(b)) {
            const uint64_t v = *t.GetNodeData<uint64_t>(a);
            EXPECT_EQ(*back.GetNodeData<uint64_t>(b), v % 3 != 0 ? v : 0);
        }
        // Numbers that were not written read back as 0, which is again not written.
        EXPECT_EQ(Save(back), bytes);
    }
}

// ---- Reading: data chunks, unknown chunks, old versions, errors ----

TEST(LazyTreeStream, ALoadHandlerThatReadsTooLittleOrTooMuchDoesNotDisturbTheNextChunks) {
    for (int read : {0, 2, 8, 40}) {
        SCOPED_TRACE(read);
        TLazyTreeCore src;
        UseNumbers(src);
        PLazyNode a = src.AddChild(nullptr);
        PLazyNode b = src.AddChild(a);
        PLazyNode c = src.AddChild(nullptr);
        *src.GetNodeData<uint64_t>(a) = 1;
        *src.GetNodeData<uint64_t>(b) = 2;
        *src.GetNodeData<uint64_t>(c) = 4;
        TLazyTreeCore t;
        t.SetNodeDataSize(8);
        QList<uint64_t> firsts;
        t.OnLoadNode = [&](TLazyTreeCore*, PLazyNode, TStream& s) {
            QByteArray buf(read, '\0');
            s.Read(buf.data(), read);
            firsts << (read >= 8 ? qFromLittleEndian<uint64_t>(buf.constData()) : 0);
        };
        Load(t, Save(src));
        EXPECT_EQ(Shape(t), Shape(src));
        EXPECT_EQ(CheckTreeInvariants(t), "");
        // Handlers run children first: the child's data, then its parent's, then the next top node's.
        EXPECT_EQ(firsts, read >= 8 ? QList<uint64_t>({2, 1, 4}) : QList<uint64_t>({0, 0, 0}));
    }
}

TEST(LazyTreeStream, UnknownChunksAreSkipped) {
    const QByteArray stream =
        Stream({Anchor(Chunk(77, "abcdef") + Base({}) + Chunk(3, "x\0y\0") + Chunk(9, {})), Leaf()});
    TLazyTreeCore t;
    Load(t, stream);
    EXPECT_EQ(t.RootNodeCount(), 2u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStream, AVersion1StreamLoadsWithBit7AsSelectedAndEveryNodeVisible) {
    // No node count: records until the end. State bytes: initialised + has children + expanded;
    // bit 7 (selected); none.
    const QByteArray stream = Header(1) +
                              Anchor(OldBase(2, 0x61, Anchor(OldBase(0, 0x80)) + Anchor(OldBase(0, 0x00)))) +
                              Anchor(OldBase(0, 0x16));  // checking, cut/copy, deleting: dropped
    for (bool multi : {false, true}) {
        SCOPED_TRACE(multi);
        TLazyTreeCore t;
        if (multi) t.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
        Load(t, stream);
        ASSERT_EQ(t.RootNodeCount(), 2u);
        PLazyNode top = t.RootNode()->FirstChild;
        EXPECT_EQ(top->ChildCount, 2u);
        EXPECT_TRUE(top->States.Contains(vsExpanded));
        EXPECT_EQ(top->FirstChild->States.Contains(vsSelected), multi);
        EXPECT_FALSE(top->LastChild->States.Contains(vsSelected));
        for (PLazyNode n = t.GetFirstNoInit(); n; n = t.GetNextNoInit(n)) EXPECT_TRUE(n->States.Contains(vsVisible));
        EXPECT_EQ(top->NextSibling->States, TLazyNodeStates{vsVisible});
        EXPECT_EQ(t.VisibleCount(), 4u);
        EXPECT_EQ(CheckTreeInvariants(t), "");
    }
}

TEST(LazyTreeStream, AVersion0StreamLoadsTheSameWay) {
    TLazyTreeCore t;
    Load(t, Header(0) + Anchor(OldBase(1, 0x41, Anchor(OldBase(0, 0x00)))));
    EXPECT_EQ(t.RootNodeCount(), 1u);
    EXPECT_EQ(t.RootNode()->TotalCount, 3u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

TEST(LazyTreeStream, BadHeadersRaiseTheirErrorsAndLeaveTheTreeAsItWas) {
    struct Case {
        const char* name;
        QByteArray bytes;
        int error;
    };
    QByteArray wrongUnit = Stream({Leaf()});
    wrongUnit[4] = 'X';
    QByteArray otherUnit8 = Stream({Leaf()});
    otherUnit8[8] = 0x7F;  // not checked
    const Case cases[] = {
        {"version 3", Header(3) + U32(1) + Leaf(), 2003},
        {"11 bytes", Header(2).left(11), 2004},
        {"empty", {}, 2004},
        {"no node count", Header(2) + U16(1), 2004},
        {"a wrong unit", wrongUnit, 2002},
        {"unit 8 differs", otherUnit8, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLazyTreeCore t;
        t.SetRootNodeCount(3);
        EXPECT_EQ(ErrorOf([&] { Load(t, c.bytes); }), c.error);
        EXPECT_EQ(t.RootNodeCount(), c.error ? 3u : 1u);
        if (c.error == 2004) continue;  // adding raises the stream's own read error there
        TLazyTreeCore u;
        u.SetRootNodeCount(3);
        EXPECT_EQ(ErrorOf([&] { Add(u, c.bytes, nullptr); }), c.error);
        EXPECT_EQ(u.RootNodeCount(), c.error ? 3u : 4u);
    }
    TLazyTreeCore t;
    EXPECT_THROW(Add(t, Header(2).left(11), nullptr), EStreamError);
}

TEST(LazyTreeStream, DamagedRecordsRaiseAndKeepTheRecordsReadBefore) {
    BaseFields bigCount;
    bigCount.childCount = 4000000000u;
    struct Case {
        const char* name;
        QByteArray second;  // the second top-level record, after an intact first one
        int error;
    };
    const Case cases[] = {
        {"an anchor larger than its chunks", Chunk(1, Base({}) + U32(0)), 2006},
        {"an anchor passing the stream's end", Chunk(1, Base({}), 500), 2006},
        {"no anchor", Base({}), 2005},
        {"a child record that is no anchor", Anchor(Base({1, 18, 0xC1}, Base({}) + U32(0) + U32(0))), 2005},
        {"a child count no chunk can hold", Anchor(Base(bigCount)), 2005},
        {"a negative chunk size", Anchor(Base({}) + Chunk(9, "abcd", -4)), 2006},
        {"a chunk passing its anchor", Anchor(Base({}) + Chunk(9, "abcd", 5)), 2006},
        {"a base chunk shorter than its fields", Anchor(Chunk(2, U32(0) + U32(18))), 2006},
        {"a record cut short", Anchor(Base({1, 18, 0xC1}, Leaf())).left(40), 2006},
        {"a record cut inside its header", Anchor(Base({})).left(5), 2005},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool add : {false, true}) {
            TLazyTreeCore t;
            PLazyNode target = add ? t.AddChild(nullptr) : nullptr;
            const QByteArray stream = Stream({Anchor(Base({1, 18, 0xE1}, Leaf())), c.second});
            EXPECT_EQ(ErrorOf([&] { add ? Add(t, stream, target) : Load(t, stream); }), c.error);
            EXPECT_EQ(CheckTreeInvariants(t), "");
            PLazyNode parent = add ? target : t.RootNode();
            ASSERT_EQ(parent->ChildCount, 1u);
            EXPECT_EQ(parent->FirstChild->ChildCount, 1u);
            EXPECT_EQ(t.AllocatedNodeCount(), add ? 3u : 2u);
            EXPECT_EQ(t.VisibleCount(), add ? 1u : 2u);  // the target is collapsed
            EXPECT_EQ(t.UpdateCount(), 0u);
        }
    }
}

TEST(LazyTreeStream, AFailureWhileCleaningUpAfterADamagedRecordIsCountedAndTheReadErrorRaised) {
    TLazyTreeCore t;
    // The free handler fails for the damaged record's node, which the read frees again.
    t.OnFreeNode = [](TLazyTreeCore* s, PLazyNode n) {
        if (n->Parent == s->RootNode()) throw std::runtime_error("free failed");
    };
    const QByteArray stream = Stream({Leaf(), Anchor(Base({}) + Chunk(9, "abcd", 5))});
    EXPECT_EQ(ErrorOf([&] { Load(t, stream); }), 2006);
    EXPECT_EQ(t.SuppressedErrors(), 1u);
    EXPECT_EQ(t.RootNodeCount(), 1u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
    t.OnFreeNode = nullptr;
}

TEST(LazyTreeStream, AnUninitialisedNodeMovedToAnotherTreeTakesItsChildrenAlong) {
    for (bool childrenOnly : {false, true}) {
        SCOPED_TRACE(childrenOnly ? "its children" : "the node");
        TLazyTreeCore a, b;
        a.TreeOptions().SetMiscOptions(a.TreeOptions().MiscOptions() - TLTMiscOption::toInitOnSave);
        a.SetRootNodeCount(1);
        PLazyNode s = a.RootNode()->FirstChild;
        a.SetChildCount(s, 2);
        a.SetChildCount(s->FirstChild, 3);
        ASSERT_FALSE(s->States.Contains(vsInitialized));
        ASSERT_FALSE(s->FirstChild->States.Contains(vsInitialized));
        a.MoveTo(s, &b, amAddChildLast, childrenOnly);
        // The node, its two children and the first child's three.
        EXPECT_EQ(b.RootNode()->TotalCount, childrenOnly ? 6u : 7u);
        EXPECT_EQ(a.RootNode()->TotalCount, childrenOnly ? 2u : 1u);
        EXPECT_EQ(CheckTreeInvariants(a), "");
        EXPECT_EQ(CheckTreeInvariants(b), "");
    }
}

class SkippingTree : public TLazyTreeCore {
public:
    using TLazyTreeCore::SkipNode;
};

TEST(LazyTreeStream, SkipNodeMovesPastAWholeRecordAndRefusesOtherChunks) {
    const QByteArray first = Anchor(Base({1, 18, 0xC1}, Leaf()) + Chunk(4, "data"));
    TMemoryStream s(first + Leaf() + Base({}));
    SkippingTree t;
    t.SkipNode(s);
    EXPECT_EQ(s.Position(), first.size());
    t.SkipNode(s);
    EXPECT_EQ(s.Position(), first.size() + Leaf().size());
    EXPECT_EQ(ErrorOf([&] { t.SkipNode(s); }), 2005);
    TMemoryStream past(Chunk(1, {}, 100));
    EXPECT_EQ(ErrorOf([&] { t.SkipNode(past); }), 2006);
}

TEST(LazyTreeStream, FieldsOutOfRangeAndForeignStateBitsLoadClean) {
    BaseFields f;
    f.childCount = 1;
    // Initialised, has children, visible, plus checking, cut/copy, deleting, free call owed, release
    // call owed, height measured, toggling, initialising and bits above them.
    f.states = 0xC1 | 0x2 | 0x4 | 0x10 | 0x200 | 0x800 | 0x2000 | 0x4000 | 0x10000 | 0xFFF00000;
    f.align = 250;
    f.checkState = 200;
    f.checkType = 9;
    TLazyTreeCore t;
    t.SetNodeDataSize(8);
    // The data is bytes from outside; were the release call kept, freeing would call through them.
    t.OnLoadNode = [](TLazyTreeCore*, PLazyNode n, TStream& s) { s.ReadBuffer(n->Data(), 8); };
    Load(t, Stream({Anchor(Base(f, Leaf()) + Chunk(4, QByteArray(8, 'A')))}));
    PLazyNode n = t.RootNode()->FirstChild;
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->States, (TLazyNodeStates{vsInitialized, vsHasChildren, vsVisible}));
    EXPECT_EQ(n->Align, 100);
    EXPECT_EQ(n->CheckState, TCheckState::csUncheckedNormal);
    EXPECT_EQ(n->CheckType, TCheckType::ctNone);
    t.ToggleNode(n);
    EXPECT_TRUE(t.Expanded(n));
    EXPECT_EQ(CheckTreeInvariants(t), "");
    t.Clear();
    EXPECT_EQ(t.AllocatedNodeCount(), 0u);
}

TEST(LazyTreeStream, A100000LevelNestingLoadsAndClears) {
    constexpr int kDepth = 100000;
    // Outermost record first; the record at height k (the leaf is 0) takes 35 * (k + 1) bytes.
    QByteArray record;
    record.reserve(kDepth * 35);
    for (int k = kDepth - 1; k >= 1; --k) {
        const uint32_t total = 35u * uint32_t(k + 1);
        record += U32(1) + U32(total - 8) + U32(2) + U32(total - 16);
        record += U32(1) + U32(18) + U32(0xE1) + QByteArray::fromHex("32000000000000");
    }
    record += Leaf(0xA1);  // initialised, expanded, visible
    TLazyTreeCore t;
    Load(t, Stream({record}));
    EXPECT_EQ(t.RootNode()->TotalCount, uint32_t(kDepth) + 1);
    EXPECT_EQ(t.VisibleCount(), uint32_t(kDepth));
    EXPECT_EQ(CheckTreeInvariants(t), "");
    EXPECT_EQ(Save(t), Stream({record}));
    t.Clear();
    EXPECT_EQ(t.AllocatedNodeCount(), 0u);
}

// ---- Writing: init on save, empty data, uninitialised nodes, the size limit ----

TEST(LazyTreeStream, InitOnSaveInitialisesNodesAndWritesChildrenMadeOnDemand) {
    for (bool initOnSave : {false, true}) {
        SCOPED_TRACE(initOnSave);
        TLazyTreeCore t;
        int inits = 0;
        t.OnInitNode = [&](TLazyTreeCore*, PLazyNode parent, PLazyNode, TLazyNodeInitStates& s) {
            ++inits;
            if (!parent) s += TLazyNodeInitState::ivsHasChildren;
        };
        t.OnInitChildren = [](TLazyTreeCore*, PLazyNode, uint32_t& count) { count = 2; };
        TLTMiscOptions misc = t.TreeOptions().MiscOptions() - TLTMiscOption::toInitOnSave;
        if (initOnSave) misc += TLTMiscOption::toInitOnSave;
        t.TreeOptions().SetMiscOptions(misc);
        t.SetRootNodeCount(1);
        const QByteArray bytes = Save(t);
        EXPECT_EQ(inits, initOnSave ? 3 : 0);
        TLazyTreeCore back;
        Load(back, bytes);
        EXPECT_EQ(back.RootNode()->TotalCount, initOnSave ? 4u : 2u);
        EXPECT_EQ(bytes.size(), initOnSave ? 16 + 35 * 3 : 16 + 35);
    }
}

TEST(LazyTreeStream, AnUninitialisedNodeWithChildrenIsWrittenWithoutThemAndItsSiblingsStayInPlace) {
    TLazyTreeCore t;
    t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() - TLTMiscOption::toInitOnSave);
    t.SetRootNodeCount(2);
    PLazyNode first = t.RootNode()->FirstChild;
    t.SetChildCount(first, 2);
    ASSERT_FALSE(first->States.Contains(vsInitialized));
    TLazyTreeCore back;
    Load(back, Save(t));
    EXPECT_EQ(back.RootNodeCount(), 2u);
    EXPECT_EQ(back.RootNode()->TotalCount, 3u);
    EXPECT_EQ(CheckTreeInvariants(back), "");
}

// Counts the bytes written without keeping them.
class SinkStream final : public TStream {
public:
    int64_t Read(void*, int64_t) override { return 0; }
    void Write(const void*, int64_t Count) override {
        pos_ += Count;
        size_ = std::max(size_, pos_);
    }
    int64_t Position() const override { return pos_; }
    void Seek(int64_t Position) override { pos_ = Position; }
    int64_t Size() const override { return size_; }
    void SetSize(int64_t NewSize) override { size_ = NewSize; }

private:
    int64_t pos_ = 0, size_ = 0;
};

TEST(LazyTreeStream, AChunkThatWouldPass2GiBRaisesInsteadOfWritingATruncatedSize) {
    for (int64_t dataBytes : {int64_t(INT32_MAX) - 35, int64_t(INT32_MAX) - 34}) {
        SCOPED_TRACE(dataBytes);
        TLazyTreeCore t;
        t.AddChild(nullptr);
        t.OnSaveNode = [&](TLazyTreeCore*, PLazyNode, TStream& s) { s.Write(nullptr, dataBytes); };
        SinkStream sink;
        // The user-data chunk holds dataBytes; its anchor holds it, its header and the base chunk.
        const bool fits = dataBytes + 8 + 27 <= INT32_MAX;
        if (fits)
            EXPECT_NO_THROW(t.SaveToStream(sink));
        else
            EXPECT_THROW(t.SaveToStream(sink), EStreamError);
    }
}

// ---- Adding, selection, read-only trees, the events ----

TEST(LazyTreeStream, AddingKeepsSavedSelectionOnlyInAMultiSelectTree) {
    // Selected: the first top node and the child of the second.
    const QByteArray stream = Stream({Leaf(0x181), Anchor(Base({1, 18, 0xC1}, Leaf(0x181)))});
    for (bool multi : {false, true}) {
        SCOPED_TRACE(multi);
        TLazyTreeCore t;
        QStringList announced;
        t.OnAddToSelection = [&](TLazyTreeCore* s, PLazyNode n) { announced << NodeName(s, n); };
        if (multi) t.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
        PLazyNode target = t.AddChild(nullptr);
        QStringList copied;
        t.OnNodeCopied = [&](TLazyTreeCore* s, PLazyNode n) { copied << NodeName(s, n); };
        bool loadTree = false;
        t.OnLoadTree = [&](TLazyTreeCore*, TStream&) { loadTree = true; };
        Add(t, stream, target);
        EXPECT_EQ(copied, QStringList({"0"}));
        EXPECT_FALSE(loadTree);
        ASSERT_EQ(target->ChildCount, 2u);
        std::vector<PLazyNode> selected;
        for (PLazyNode n = t.GetFirstNoInit(); n; n = t.GetNextNoInit(n))
            if (n->States.Contains(vsSelected)) selected.push_back(n);
        if (multi) {
            EXPECT_EQ(selected, TNodeArray({target->FirstChild, target->LastChild->FirstChild}));
            EXPECT_EQ(t.SelectedCount(), 2u);
            EXPECT_EQ(t.GetFirstSelected(), target->FirstChild);
            EXPECT_EQ(t.GetNextSelected(target->FirstChild), target->LastChild->FirstChild);
            announced.sort();
            EXPECT_EQ(announced, QStringList({"0.0", "0.1.0"}));
        } else {
            EXPECT_TRUE(selected.empty());
            EXPECT_EQ(t.SelectedCount(), 0u);
            EXPECT_TRUE(announced.isEmpty());
        }
        EXPECT_EQ(CheckTreeInvariants(t), "");
    }
}

TEST(LazyTreeStream, LoadingAnnouncesCopiedAndLoadedTreeOnce) {
    TLazyTreeCore src;
    src.AddChild(nullptr);
    const QByteArray bytes = Save(src);
    TLazyTreeCore t;
    QStringList events;
    t.OnNodeCopied = [&](TLazyTreeCore* s, PLazyNode n) { events << "copied " + NodeName(s, n); };
    t.OnLoadTree = [&](TLazyTreeCore*, TStream&) { events << "loaded"; };
    Load(t, bytes);
    Add(t, bytes, nullptr);
    EXPECT_EQ(events, QStringList({"copied nil", "loaded", "copied nil"}));
    EXPECT_EQ(t.RootNodeCount(), 2u);
}

TEST(LazyTreeStream, AReadOnlyTreeIgnoresLoadingAndAdding) {
    TLazyTreeCore src;
    src.AddChild(nullptr);
    const QByteArray bytes = Save(src);
    TLazyTreeCore t;
    t.SetRootNodeCount(2);
    t.TreeOptions().SetMiscOptions({TLTMiscOption::toReadOnly});
    EXPECT_NO_THROW(Load(t, bytes));
    EXPECT_NO_THROW(Load(t, "garbage"));
    EXPECT_NO_THROW(Add(t, bytes, nullptr));
    EXPECT_EQ(t.RootNodeCount(), 2u);
}

TEST(LazyTreeStream, SaveTreeHandlerAppendsAfterTheNodes) {
    TLazyTreeCore t;
    t.AddChild(nullptr);
    t.OnSaveTree = [](TLazyTreeCore*, TStream& s) { s.Write("tail", 4); };
    const QByteArray bytes = Save(t);
    EXPECT_TRUE(bytes.endsWith("tail"));
    EXPECT_EQ(bytes.size(), 16 + 35 + 4);
    // Saving one node writes it with its subtree and a count of one.
    PLazyNode second = t.AddChild(nullptr);
    t.AddChild(second);
    const QByteArray one = Save(t, second);
    EXPECT_EQ(qFromLittleEndian<uint32_t>(one.constData() + 12), 1u);
    EXPECT_EQ(one.size(), 16 + 35 * 2 + 4);
}

// ---- Files ----

TEST(LazyTreeStream, FilesRoundTripAndAFailedSaveLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("tree.bin");
    TLazyTreeCore t;
    PLazyNode a = t.AddChild(nullptr);
    t.AddChild(a);
    t.SaveToFile(path);
    TLazyTreeCore back;
    back.LoadFromFile(path);
    EXPECT_EQ(Shape(back), Shape(t));

    t.AddChild(nullptr);
    t.OnSaveTree = [](TLazyTreeCore*, TStream&) { throw std::runtime_error("disk full"); };
    EXPECT_THROW(t.SaveToFile(path), std::runtime_error);
    TLazyTreeCore again;
    again.LoadFromFile(path);
    EXPECT_EQ(again.RootNodeCount(), 1u);

    EXPECT_THROW(back.LoadFromFile(dir.filePath("missing.bin")), EStreamError);
    EXPECT_EQ(back.RootNodeCount(), 1u);
}

TEST(LazyTreeStream, DeviceStreamsShrinkAwayEmptyDataChunksLikeMemoryStreams) {
    TLazyTreeCore t;
    UseNumbers(t);
    PLazyNode a = t.AddChild(nullptr);
    *t.GetNodeData<uint64_t>(t.AddChild(a)) = 4;  // written; its parent's 0 is not
    const QByteArray expected = Save(t);

    QByteArray bytes;
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadWrite));
    TDeviceStream bufferStream(buffer);
    t.SaveToStream(bufferStream);
    EXPECT_EQ(bytes.toHex(), expected.toHex());

    QTemporaryDir dir;
    QFile file(dir.filePath("nodes.bin"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    TDeviceStream fileStream(file);
    t.SaveToStream(fileStream);
    file.close();
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toHex(), expected.toHex());
}

// ---- Captions of the string tree ----

// The chunk types inside each anchor of a stream written by SaveToStream, in order.
QList<int> ChunkTypes(const QByteArray& b) {
    QList<int> types;
    std::function<void(qsizetype, qsizetype)> walk = [&](qsizetype pos, qsizetype end) {
        while (pos < end) {
            const int type = int(qFromLittleEndian<uint32_t>(b.constData() + pos));
            const qsizetype size = qFromLittleEndian<uint32_t>(b.constData() + pos + 4);
            types << type;
            if (type == 1) walk(pos + 8, pos + 8 + size);
            if (type == 2) walk(pos + 8 + 19, pos + 8 + size);
            pos += 8 + size;
        }
    };
    walk(16, b.size());
    return types;
}

TEST(LazyTreeStream, TheStringTreeSavesItsCaptionsAndStoresThemThroughTheTextWrite) {
    const QStringList captions = {QStringLiteral("Zähler α"), QString(), QStringLiteral("Node 3")};
    for (bool saveCaptions : {false, true}) {
        SCOPED_TRACE(saveCaptions);
        TLazyStringTree t;
        t.SetNodeDataSize(8);
        t.OnGetText = [&](TCustomLazyStringTree* s, PLazyNode n, TColumnIndex, TVSTTextType, QString& text) {
            text = captions[int(*s->GetNodeData<uint64_t>(n))];
        };
        TLTStringOptions options = t.StringTreeOptions().StringOptions() - TLTStringOption::toSaveCaptions;
        if (saveCaptions) options += TLTStringOption::toSaveCaptions;
        t.StringTreeOptions().SetStringOptions(options);
        for (uint64_t i : {0, 1, 2}) *t.GetNodeData<uint64_t>(t.AddChild(nullptr)) = i;
        t.TreeOptions().SetMiscOptions(t.TreeOptions().MiscOptions() - TLTMiscOption::toInitOnSave);
        for (PLazyNode n = t.RootNode()->FirstChild; n != t.RootNode()->LastChild; n = n->NextSibling)
            t.ValidateNode(n, false);  // the last one stays uninitialised: it has no caption to save
        const QByteArray bytes = Save(t);
        // Base chunks; a caption for the first node only (the second's is empty).
        EXPECT_EQ(ChunkTypes(bytes), saveCaptions ? QList<int>({1, 2, 3, 1, 2, 1, 2}) : QList<int>({1, 2, 1, 2, 1, 2}));

        TLazyStringTree back;
        QStringList texts;
        back.OnNewText = [&](TCustomLazyStringTree* s, PLazyNode n, TColumnIndex column, const QString& text) {
            EXPECT_EQ(column, NoColumn);
            texts << NodeName(s, n) + " " + text;
        };
        Load(back, bytes);
        EXPECT_EQ(back.RootNodeCount(), 3u);
        EXPECT_EQ(texts, saveCaptions ? QStringList({QStringLiteral("0 Zähler α")}) : QStringList());
    }
}

TEST(LazyTreeStream, CaptionChunksOfOddOrNoLengthStillLoad) {
    struct Case {
        const char* name;
        QByteArray chunk;
        QString text;
    };
    const Case cases[] = {
        {"an odd last byte is dropped", Chunk(3, QByteArray("M\0e\0X", 5)), QStringLiteral("Me")},
        {"an empty chunk stores an empty caption", Chunk(3, {}), QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TLazyStringTree t;
        QStringList texts;
        t.OnNewText = [&](TCustomLazyStringTree*, PLazyNode, TColumnIndex, const QString& text) { texts << text; };
        Load(t, Stream({Anchor(Base({}) + c.chunk), Leaf()}));
        EXPECT_EQ(texts, QStringList({c.text}));
        EXPECT_EQ(t.RootNodeCount(), 2u);
    }
}

// ---- Moving and copying into another tree ----

TEST(LazyTreeStream, MovingToAnotherTreeMovesTheSubtreeAndFreesTheSource) {
    TLazyTreeCore a, b;
    UseNumbers(a);
    UseNumbers(b);
    PLazyNode n = a.AddChild(nullptr);
    *a.GetNodeData<uint64_t>(n) = 5;
    PLazyNode c = a.AddChild(n);
    *a.GetNodeData<uint64_t>(c) = 7;
    a.SetExpanded(n, true);
    PLazyNode stays = a.AddChild(nullptr);
    b.AddChild(nullptr);
    QStringList events;
    a.OnNodeMoved = [&](TLazyTreeCore*, PLazyNode m) { events << "moved " + NodeName(&b, m); };
    a.OnStructureChange = [&](TLazyTreeCore* s, PLazyNode m, TChangeReason r) {
        events << "a " + NodeName(s, m) + " " + ReasonName(r);
    };
    a.MoveTo(n, &b, amAddChildLast, false);
    // The freed source is named by nobody: its deletion and the move are announced with nil.
    EXPECT_EQ(events, QStringList({"moved 1", "a nil crAccumulated", "a nil crNodeMoved"}));
    EXPECT_EQ(a.RootNodeCount(), 1u);
    EXPECT_EQ(a.RootNode()->FirstChild, stays);
    EXPECT_EQ(a.AllocatedNodeCount(), 1u);
    ASSERT_EQ(b.RootNodeCount(), 2u);
    PLazyNode moved = b.RootNode()->LastChild;
    EXPECT_EQ(*b.GetNodeData<uint64_t>(moved), 5u);
    EXPECT_EQ(*b.GetNodeData<uint64_t>(moved->FirstChild), 7u);
    EXPECT_TRUE(b.Expanded(moved));
    EXPECT_EQ(b.VisibleCount(), 3u);
    EXPECT_EQ(CheckTreeInvariants(a), "");
    EXPECT_EQ(CheckTreeInvariants(b), "");
}

TEST(LazyTreeStream, AMoveToAnotherTreeThatIsRefusedOrReadOnlyMovesNothing) {
    for (bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly);
        TLazyTreeCore a, b;
        PLazyNode n = a.AddChild(nullptr);
        a.AddChild(n);
        PLazyNode target = b.AddChild(nullptr);
        if (readOnly)
            b.TreeOptions().SetMiscOptions(b.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
        else
            a.OnNodeMoving = [&](TLazyTreeCore*, PLazyNode, PLazyNode t, bool& allowed) {
                EXPECT_EQ(t, target);
                allowed = false;
            };
        a.MoveTo(n, target, amAddChildLast, false);
        EXPECT_EQ(a.RootNode()->TotalCount, 3u);
        EXPECT_EQ(b.RootNode()->TotalCount, 2u);
        EXPECT_EQ(a.RootNode()->FirstChild, n);
    }
}

TEST(LazyTreeStream, MovingChildrenToAnotherTreeKeepsTheirOrderInEveryMode) {
    for (TLTNodeAttachMode mode : {amInsertBefore, amInsertAfter, amAddChildFirst, amAddChildLast}) {
        SCOPED_TRACE(int(mode));
        TLazyTreeCore a, b;
        UseNumbers(a);
        UseNumbers(b);
        PLazyNode s = a.AddChild(nullptr);
        for (uint64_t v : {1, 2, 4}) *a.GetNodeData<uint64_t>(a.AddChild(s)) = v;
        PLazyNode target = b.AddChild(nullptr);
        b.AddChild(target);
        PLazyNode anchor = mode == amInsertBefore || mode == amInsertAfter ? target->FirstChild : target;
        a.MoveTo(s, anchor, mode, true);
        EXPECT_EQ(s->ChildCount, 0u);
        QList<uint64_t> order;
        for (PLazyNode c = target->FirstChild; c; c = c->NextSibling) order << *b.GetNodeData<uint64_t>(c);
        const QList<uint64_t> expected = mode == amInsertBefore || mode == amAddChildFirst
                                             ? QList<uint64_t>{1, 2, 4, 0}
                                             : QList<uint64_t>{0, 1, 2, 4};
        EXPECT_EQ(order, expected);
        EXPECT_EQ(CheckTreeInvariants(a), "");
        EXPECT_EQ(CheckTreeInvariants(b), "");
    }
}

TEST(LazyTreeStream, CopyingGoesThroughTheStreamAndARefusedCopyLeavesTheTargetUnchanged) {
    for (bool allow : {true, false}) {
        SCOPED_TRACE(allow);
        TLazyTreeCore a, b;
        UseNumbers(a);
        UseNumbers(b);
        PLazyNode n = a.AddChild(nullptr);
        *a.GetNodeData<uint64_t>(n) = 5;
        a.AddChild(n);
        PLazyNode target = b.AddChild(nullptr);
        int copied = 0;
        a.OnNodeCopying = [&](TLazyTreeCore*, PLazyNode, PLazyNode t, bool& allowed) {
            EXPECT_EQ(t, target);
            allowed = allow;
        };
        a.OnNodeCopied = [&](TLazyTreeCore*, PLazyNode) { ++copied; };
        PLazyNode copy = a.CopyTo(n, target, amAddChildLast, false);
        EXPECT_EQ(copied, allow ? 1 : 0);
        EXPECT_EQ(a.RootNode()->TotalCount, 3u);  // the source stays
        if (allow) {
            ASSERT_NE(copy, nullptr);
            EXPECT_EQ(copy->Parent, target);
            EXPECT_EQ(*b.GetNodeData<uint64_t>(copy), 5u);
            EXPECT_EQ(b.RootNode()->TotalCount, 4u);
        } else {
            EXPECT_EQ(copy, nullptr);
            EXPECT_EQ(b.RootNode()->TotalCount, 2u);
            EXPECT_EQ(b.AllocatedNodeCount(), 1u);
        }
        EXPECT_EQ(CheckTreeInvariants(b), "");
    }
    // Into the same tree, under the copied node itself: the copy is taken before anything changes.
    TLazyTreeCore t;
    PLazyNode n = t.AddChild(nullptr);
    t.AddChild(n);
    PLazyNode copy = t.CopyTo(n, n, amAddChildLast, false);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Parent, n);
    EXPECT_EQ(copy->ChildCount, 1u);
    EXPECT_EQ(t.RootNode()->TotalCount, 5u);
    EXPECT_EQ(CheckTreeInvariants(t), "");
}

}  // namespace
