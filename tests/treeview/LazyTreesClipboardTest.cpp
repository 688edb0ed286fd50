// Clipboard formats and copy, cut and paste of nodes through the offscreen platform's in-process
// clipboard: the registry and the allowed formats, cut marks, moves within a tree, copies between
// trees, paste modes, flushing, and the payloads a forged or damaged clipboard may carry.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QtEndian>

#include "platform/Clipboard.h"
#include "treeview/LazyTrees.ClipBoard.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TLazyTreeState;
using enum TLTNodeAttachMode;

namespace {

// A string tree whose nodes carry a number, saved with the records: nodes are named by it.
struct NumberTree {
    TLazyStringTree tree;
    int next = 1;
    NumberTree() {
        tree.SetNodeDataSize(int(sizeof(int)));
        tree.SetClipboardFormats({QStringLiteral("Lazy Tree Data")});
        tree.OnSaveNode = [](TLazyTreeCore* t, PLazyNode n, TStream& s) {
            const int v = *t->GetNodeData<int>(n);
            s.Write(&v, sizeof v);
        };
        tree.OnLoadNode = [](TLazyTreeCore* t, PLazyNode n, TStream& s) {
            s.ReadBuffer(t->GetNodeData<int>(n), sizeof(int));
        };
    }
    PLazyNode Add(PLazyNode parent) {
        PLazyNode n = tree.AddChild(parent);
        *tree.GetNodeData<int>(n) = next++;
        return n;
    }
    PLazyNode Find(int v) {
        for (PLazyNode n = tree.GetFirstNoInit(); n; n = tree.GetNextNoInit(n))
            if (*tree.GetNodeData<int>(n) == v) return n;
        return nullptr;
    }
    // "1 2(3 4) 5": numbers in tree order, children in brackets.
    QString Shape(PLazyNode parent = nullptr) {
        QStringList parts;
        for (PLazyNode c = tree.GetFirstChildNoInit(parent ? parent : tree.RootNode()); c; c = c->NextSibling) {
            QString s = QString::number(*tree.GetNodeData<int>(c));
            if (c->FirstChild) s += u'(' + Shape(c) + u')';
            parts << s;
        }
        return parts.join(u' ');
    }
    void Select(std::initializer_list<int> values) {
        tree.ClearSelection();
        for (int v : values) tree.AddToSelection(Find(v));
    }
};

}  // namespace

TEST(LazyTreeClipboardFormats, RegistryOrderAndWhatATreeMayOffer) {
    lazytree::RegisterLibraryFormats();
    QStringList names;
    for (const auto& e : TClipboardFormatList::Entries()) names << e.Description;
    EXPECT_EQ(names, (QStringList{"Lazy Tree Data", "HTML Format", "Rich Text Format Without Objects",
                                  "Rich Text Format", "CSV", "Unicode text", "Plain text"}));
    TLazyDrawTree draw;
    EXPECT_EQ(draw.ClipboardFormats().Add(QStringLiteral("Rich Text Format")), -1);
    EXPECT_EQ(draw.ClipboardFormats().Count(), 0);
    EXPECT_EQ(draw.ClipboardFormats().Add(QStringLiteral("lazy tree DATA")), 0);
    EXPECT_EQ(draw.ClipboardFormats().Add(QStringLiteral("Lazy Tree Data")), 0);  // no duplicate
    EXPECT_EQ(draw.ClipboardFormats().Count(), 1);
    TLazyStringTree strings;
    EXPECT_EQ(strings.ClipboardFormats().Add(QStringLiteral("Rich Text Format")), 0);
    EXPECT_EQ(strings.ClipboardFormats().Add(QStringLiteral("No such format")), -1);
    // A new tree offers nothing registered; its reference still names it.
    TLazyStringTree fresh;
    TLTDataObject object(&fresh, false);
    EXPECT_TRUE(object.formats().isEmpty());
    EXPECT_EQ(lazytree::TreeFromReference(object.data(QLatin1String(lazytree::MimeTreeReference))), &fresh);
}

TEST(LazyTreeClipboard, NothingSelectedOrReadOnlyLeavesEverythingAlone) {
    NumberTree t;
    t.Add(nullptr);
    QApplication::clipboard()->setText(QStringLiteral("keep"));
    t.tree.CopyToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep"));
    t.Select({1});
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
    t.tree.CutToClipboard();
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("keep"));
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsCutPending));
    EXPECT_FALSE(t.tree.PasteFromClipboard());
    EXPECT_EQ(t.Shape(), QStringLiteral("1"));
}

TEST(LazyTreeClipboard, CutSiblingsPastedInTheSameTreeMove) {
    NumberTree t;
    for (int i = 0; i < 5; ++i) t.Add(nullptr);
    t.Select({2, 3, 4});
    t.tree.CutToClipboard();
    EXPECT_EQ(t.tree.CutCopyCount(), 3u);
    EXPECT_TRUE(t.tree.TreeStates().Contains(tsCutPending));
    const size_t nodes = t.tree.AllocatedNodeCount();
    t.tree.SetFocusedNode(t.Find(5));
    t.tree.DefaultPasteMode = amAddChildLast;
    EXPECT_TRUE(t.tree.PasteFromClipboard());
    EXPECT_EQ(t.Shape(), QStringLiteral("1 5(2 3 4)"));
    EXPECT_EQ(t.tree.AllocatedNodeCount(), nodes);  // moved, not copied
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsCutPending));
    EXPECT_EQ(t.tree.GetSortedCutCopySet(false).size(), 0u);
}

TEST(LazyTreeClipboard, CopiesBetweenTreesInEveryMode) {
    struct Case {
        const char* name;
        TLTNodeAttachMode mode;
        bool focusOnTarget;
        QString expected;
    };
    // Source: 1 2(3 4) 5 with 2, 4 (inside 2) and 5 selected: 2's subtree is written once.
    const Case cases[] = {
        {"insert after the focused node", amInsertAfter, true, "100 2(3 4) 5 101"},
        {"add as last children", amAddChildLast, true, "100(2(3 4) 5) 101"},
        {"insert before at the root", amInsertBefore, false, "2(3 4) 5 100 101"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NumberTree a, b;
        a.Add(nullptr);
        PLazyNode two = a.Add(nullptr);
        a.Add(two);
        a.Add(two);
        a.Add(nullptr);
        a.Select({2, 4, 5});
        a.tree.CopyToClipboard();
        b.next = 100;
        b.Add(nullptr);
        b.Add(nullptr);
        b.tree.SetFocusedNode(c.focusOnTarget ? b.Find(100) : nullptr);
        b.tree.DefaultPasteMode = c.mode;
        QStringList events;
        b.tree.OnNodeCopying = [&](TLazyTreeCore*, PLazyNode n, PLazyNode, bool&) {
            events << QStringLiteral("copying %1").arg(*b.tree.GetNodeData<int>(n));
        };
        b.tree.OnNodeCopied = [&](TLazyTreeCore*, PLazyNode n) {
            if (n) events << QStringLiteral("copied %1").arg(*b.tree.GetNodeData<int>(n));
        };
        EXPECT_TRUE(b.tree.PasteFromClipboard());
        EXPECT_EQ(b.Shape(), c.expected);
        EXPECT_EQ(events, (QStringList{"copying 2", "copied 2", "copying 5", "copied 5"}));
        // The source keeps its marks: a second paste is a second copy.
        EXPECT_EQ(a.tree.CutCopyCount(), 3u);
        EXPECT_TRUE(b.tree.PasteFromClipboard());
        EXPECT_EQ(b.tree.AllocatedNodeCount(), 2u + 2 * 4);
        EXPECT_EQ(a.Shape(), QStringLiteral("1 2(3 4) 5"));
    }
}

TEST(LazyTreeClipboard, RefusedCopyRemovesExactlyThatNode) {
    NumberTree a, b;
    for (int i = 0; i < 3; ++i) a.Add(nullptr);
    a.Select({1, 2, 3});
    a.tree.CopyToClipboard();
    b.tree.OnNodeCopying = [&](TLazyTreeCore*, PLazyNode n, PLazyNode, bool& allowed) {
        allowed = *b.tree.GetNodeData<int>(n) != 2;
    };
    EXPECT_TRUE(b.tree.PasteFromClipboard());
    EXPECT_EQ(b.Shape(), QStringLiteral("1 3"));
}

TEST(LazyTreeClipboard, MoveIntoOwnDescendantIsSkipped) {
    NumberTree t;
    PLazyNode one = t.Add(nullptr);
    PLazyNode two = t.Add(one);
    t.Add(nullptr);
    t.Select({1, 3});
    t.tree.CutToClipboard();
    t.tree.SetFocusedNode(two);
    t.tree.DefaultPasteMode = amAddChildLast;
    EXPECT_TRUE(t.tree.PasteFromClipboard());
    EXPECT_EQ(t.Shape(), QStringLiteral("1(2(3))"));
    EXPECT_FALSE(one->States.Contains(TLazyNodeState::vsCutOrCopy));
}

TEST(LazyTreeClipboard, FlushedClipboardKeepsTheDataButNotTheTree) {
    NumberTree a, b;
    a.Add(nullptr);
    a.Select({1});
    a.tree.CutToClipboard();
    a.tree.FlushClipboard();
    const QMimeData* data = QApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat(QLatin1String(lazytree::MimeTreeData)));
    EXPECT_TRUE(data->data(QLatin1String(lazytree::MimeTreeReference)).isEmpty());
    EXPECT_EQ(a.tree.CutCopyCount(), 0u);
    EXPECT_FALSE(a.tree.TreeStates().Contains(tsCutPending));
    EXPECT_TRUE(b.tree.PasteFromClipboard());
    EXPECT_EQ(b.Shape(), QStringLiteral("1"));
    EXPECT_EQ(a.Shape(), QStringLiteral("1"));  // copied, the source keeps its node
}

TEST(LazyTreeClipboard, ForgedAndDamagedPayloadsInsertNothingWrong) {
    NumberTree a, b;
    a.Add(nullptr);
    a.Add(nullptr);
    a.Select({1, 2});
    a.tree.CutToClipboard();
    const QMimeData* real = QApplication::clipboard()->mimeData();
    const QByteArray records = real->data(QLatin1String(lazytree::MimeTreeData));
    QByteArray reference = real->data(QLatin1String(lazytree::MimeTreeReference));
    ASSERT_EQ(reference.size(), 16);
    // Our process id with a wrong token names no tree: the cut arrives as a copy.
    reference[12] = char(reference[12] ^ 0x5A);
    auto* forged = new QMimeData();
    forged->setData(QLatin1String(lazytree::MimeTreeData), records);
    forged->setData(QLatin1String(lazytree::MimeTreeReference), reference);
    QApplication::clipboard()->setMimeData(forged);
    EXPECT_TRUE(b.tree.PasteFromClipboard());
    EXPECT_EQ(b.Shape(), QStringLiteral("1 2"));
    EXPECT_EQ(a.Shape(), QStringLiteral("1 2"));
    // A size beyond what arrived, or a negative one, reads nothing.
    for (int32_t n : {int32_t(records.size()), -1}) {
        QByteArray damaged = records;
        qToLittleEndian<int32_t>(n, damaged.data());
        auto* data = new QMimeData();
        data->setData(QLatin1String(lazytree::MimeTreeData), damaged);
        QApplication::clipboard()->setMimeData(data);
        EXPECT_FALSE(b.tree.PasteFromClipboard()) << n;
        EXPECT_EQ(b.Shape(), QStringLiteral("1 2"));
    }
}

TEST(LazyTreeClipboard, CutNodeWhoseMoveIsRefusedStaysUnmarked) {
    NumberTree a, b;
    for (int i = 0; i < 3; ++i) a.Add(nullptr);
    a.Select({1, 2, 3});
    a.tree.CutToClipboard();
    a.tree.OnNodeMoving = [&](TLazyTreeCore*, PLazyNode n, PLazyNode, bool& allowed) {
        allowed = *a.tree.GetNodeData<int>(n) != 2;
    };
    EXPECT_TRUE(b.tree.PasteFromClipboard());
    EXPECT_EQ(b.Shape(), QStringLiteral("1 3"));
    EXPECT_EQ(a.Shape(), QStringLiteral("2"));
    EXPECT_FALSE(a.Find(2)->States.Contains(TLazyNodeState::vsCutOrCopy));
    EXPECT_FALSE(a.tree.TreeStates().Contains(tsCutPending));
}

// A paste that goes nowhere takes nothing, and a cut whose nodes did not arrive stays whole.
TEST(LazyTreeClipboard, PasteNowhereKeepsTheCut) {
    NumberTree a, b;
    for (int i = 0; i < 3; ++i) a.Add(nullptr);
    b.Add(nullptr);
    a.Select({1, 2});
    a.tree.CutToClipboard();
    for (NumberTree* target : {&b, &a}) {
        target->tree.DefaultPasteMode = amNoWhere;
        target->tree.SetFocusedNode(target->tree.GetFirst());
        EXPECT_FALSE(target->tree.PasteFromClipboard());
    }
    EXPECT_EQ(a.Shape(), QStringLiteral("1 2 3"));
    EXPECT_EQ(b.Shape(), QStringLiteral("1"));
    EXPECT_TRUE(a.tree.TreeStates().Contains(tsCutPending));
    EXPECT_EQ(a.tree.CutCopyCount(), 2u);
    // Pasted for real later, the cut still moves.
    b.tree.DefaultPasteMode = amInsertAfter;
    EXPECT_TRUE(b.tree.PasteFromClipboard());
    EXPECT_EQ(a.Shape(), QStringLiteral("3"));
    EXPECT_EQ(b.Shape(), QStringLiteral("1 1 2"));
}
