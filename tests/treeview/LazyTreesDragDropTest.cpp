// Drag and drop of nodes: drags start from the mouse or BeginDrag and run through a scripted drag
// loop that carries the data object over target trees as Qt's drag events, as the platform's loop
// would. Drop modes, suggested effects, the drop mark, expanding and scrolling a target, moves and
// copies between trees, and the drops that must leave the source whole.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "platform/Clock.h"
#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"

using enum TLazyTreeState;
using enum TLTNodeAttachMode;
using enum TDropMode;
using enum THitPosition;
using namespace lazytree;

namespace {

// Protected hooks, reachable for the tables below.
class DragTree : public TLazyStringTree {
public:
    using TBaseLazyTree::DetermineDropMode;
    using TBaseLazyTree::DoPaintDropMark;
    using TBaseLazyTree::SuggestDropEffect;
    void SetLastDropMode(TDropMode Mode) { FLastDropMode = Mode; }
};

// A tree of numbered nodes "Node N", numbers saved with the records.
struct NumberTree {
    DragTree tree;
    int next = 1;
    explicit NumberTree(int topLevel = 0) {
        tree.SetNodeDataSize(int(sizeof(int)));
        tree.SetClipboardFormats({QStringLiteral("Lazy Tree Data")});
        tree.TreeOptions().SetSelectionOptions({TLTSelectionOption::toMultiSelect});
        // Deleting moved nodes is the default: the tests that want it say so.
        tree.TreeOptions().SetAutoOptions(tree.TreeOptions().AutoOptions() - TLTAutoOption::toAutoDeleteMovedNodes);
        tree.OnGetText = [](TCustomLazyStringTree* t, PLazyNode n, TColumnIndex, TVSTTextType, QString& text) {
            text = QStringLiteral("Node %1").arg(*t->GetNodeData<int>(n));
        };
        tree.OnSaveNode = [](TLazyTreeCore* t, PLazyNode n, TStream& s) {
            const int v = *t->GetNodeData<int>(n);
            s.Write(&v, sizeof v);
        };
        tree.OnLoadNode = [](TLazyTreeCore* t, PLazyNode n, TStream& s) {
            s.ReadBuffer(t->GetNodeData<int>(n), sizeof(int));
        };
        for (int i = 0; i < topLevel; ++i) Add(nullptr);
        tree.resize(300, 200);
        tree.show();
        QApplication::processEvents();
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
    // A point in the row of node v: on its caption, or in its indentation in the upper or lower half.
    QPoint OnCaption(int v) { return QPoint(50, Row(v).center().y()); }
    QPoint LeftUpper(int v) { return QPoint(Row(v).left + 3, Row(v).top + 2); }
    QPoint LeftLower(int v) { return QPoint(Row(v).left + 3, Row(v).bottom - 3); }
    struct RowBox {
        int left, top, bottom;
        QPoint center() const { return QPoint(left, (top + bottom) / 2); }
    };
    RowBox Row(int v) {
        const plat::TRect r = tree.GetDisplayRect(Find(v), NoColumn, false);
        return {r.Left, r.Top, r.Bottom};
    }
    // Every drop lands where the mode says, and the handler's effect goes back to the source.
    void AcceptDrops() {
        tree.OnDragOver = [](TBaseLazyTree*, QObject*, plat::TShiftState, TDragState, QPoint, TDropMode, int&,
                             bool& accept) { accept = true; };
        tree.OnDragDrop = [this](TBaseLazyTree* t, QObject*, const QMimeData* data, const QStringList&,
                                 plat::TShiftState, QPoint, int& effect, TDropMode mode) {
            static const TLTNodeAttachMode modes[] = {amNoWhere, amInsertBefore, amAddChildLast, amInsertAfter};
            dropped = t->ProcessDrop(data, t->DropTargetNode(), effect, modes[int(mode)]);
        };
    }
    bool dropped = false;
};

// The platform's drag loop, scripted: the drag passes over the given points of target trees (Qt's
// enter, move and leave events, the modifiers of each step) and drops on the last one, or is
// cancelled. Each step may check what the target shows at that moment.
struct DragStep {
    TBaseLazyTree* target;
    QPoint at;
    Qt::KeyboardModifiers keys = Qt::NoModifier;
    std::function<void()> then = {};
};
struct ScriptedDrag {
    std::vector<DragStep> steps;
    bool drop = true;
    int allowed = -1;
    QStringList formats;
    bool draggingInLoop = false;
    int loops = 0;

    int operator()(TBaseLazyTree* source, int allowedEffects, QMimeData* data) {
        ++loops;
        allowed = allowedEffects;
        formats = data->formats();
        draggingInLoop = source->TreeStates().Contains(tsOLEDragging);
        const Qt::DropActions actions(allowedEffects);
        QWidget* current = nullptr;
        auto leave = [&] {
            if (!current) return;
            QDragLeaveEvent e;
            QApplication::sendEvent(current, &e);
            current = nullptr;
        };
        for (const DragStep& s : steps) {
            QWidget* vp = s.target->viewport();
            // Qt takes a drag only to widgets that accept drops.
            if (!vp->acceptDrops()) {
                leave();
                continue;
            }
            if (vp != current) {
                leave();
                QDragEnterEvent e(s.at, actions, data, Qt::LeftButton, s.keys);
                QApplication::sendEvent(vp, &e);
                current = vp;
            }
            QDragMoveEvent m(s.at, actions, data, Qt::LeftButton, s.keys);
            QApplication::sendEvent(vp, &m);
            if (s.then) s.then();
        }
        if (!current) return 0;
        if (!drop) {
            leave();
            return 0;
        }
        QDropEvent e(QPointF(steps.back().at), actions, data, Qt::NoButton, steps.back().keys);
        QApplication::sendEvent(current, &e);
        return e.isAccepted() ? int(e.dropAction()) : 0;
    }
};

// Starts a drag of the selection from the tree at once, through the script.
void RunDrag(NumberTree& source, ScriptedDrag& script) {
    source.tree.DragDropLoop = [&script](TBaseLazyTree* s, int allowed, QMimeData* data) {
        return script(s, allowed, data);
    };
    source.tree.SetLastClickPos(QPoint(40, 5));
    source.tree.BeginDrag(true);
}

}  // namespace

TEST(LazyTreeDragDrop, DropModeByWhereTheMouseIs) {
    NumberTree t(3);
    DragTree& tree = t.tree;
    auto mode = [&](QPoint p) {
        THitInfo hit;
        tree.GetHitTestInfoAt(p.x(), p.y(), true, hit);
        const plat::TRect r = hit.HitNode ? tree.GetDisplayRect(hit.HitNode, NoColumn, false) : plat::TRect{};
        return tree.DetermineDropMode(p, hit, r);
    };
    THitInfo hit;
    tree.GetHitTestInfoAt(t.OnCaption(2).x(), t.OnCaption(2).y(), true, hit);
    ASSERT_TRUE(hit.HitPositions.Contains(hiOnItemLabel));
    tree.GetHitTestInfoAt(t.LeftUpper(2).x(), t.LeftUpper(2).y(), true, hit);
    ASSERT_TRUE(hit.HitPositions.Contains(hiOnItemIndent));

    struct Case {
        const char* proves;
        QPoint at;
        TDropMode withMark, withoutMark, reportMode;
    };
    const Case cases[] = {
        {"indent, upper half", t.LeftUpper(2), dmAbove, dmOnNode, dmNowhere},
        {"indent, lower half", t.LeftLower(2), dmBelow, dmOnNode, dmNowhere},
        {"caption", t.OnCaption(2), dmOnNode, dmOnNode, dmOnNode},
        {"below the last row", QPoint(50, 190), dmNowhere, dmNowhere, dmNowhere},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.proves);
        EXPECT_EQ(mode(c.at), c.withMark);
        tree.TreeOptions().SetPaintOptions(tree.TreeOptions().PaintOptions() - TLTPaintOption::toShowDropmark);
        EXPECT_EQ(mode(c.at), c.withoutMark);
        tree.TreeOptions().SetPaintOptions(tree.TreeOptions().PaintOptions() + TLTPaintOption::toShowDropmark);
        tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + TLTMiscOption::toReportMode);
        EXPECT_EQ(mode(c.at), c.reportMode);
        // Full-row dragging takes the whole row again.
        tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + TLTMiscOption::toFullRowDrag);
        EXPECT_EQ(mode(c.at), c.withMark);
        tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() - TLTMiscOption::toReportMode -
                                          TLTMiscOption::toFullRowDrag);
    }
}

TEST(LazyTreeDragDrop, ReportModeDropsOnlyOnTheMainColumn) {
    NumberTree t(2);
    DragTree& tree = t.tree;
    for (int i = 0; i < 2; ++i) tree.Header().Columns().Add()->SetWidth(120);
    tree.Header().SetOptions(tree.Header().Options() + TLTHeaderOption::hoVisible);
    tree.TreeOptions().SetMiscOptions(tree.TreeOptions().MiscOptions() + TLTMiscOption::toReportMode);
    auto mode = [&](QPoint p) {
        THitInfo hit;
        tree.GetHitTestInfoAt(p.x(), p.y(), true, hit);
        return tree.DetermineDropMode(p, hit, tree.GetDisplayRect(hit.HitNode, NoColumn, false));
    };
    const int y = t.Row(1).center().y();
    EXPECT_EQ(mode(QPoint(50, y)), dmOnNode);      // the caption in column 0, the main column
    EXPECT_EQ(mode(QPoint(170, y)), dmNowhere);    // the caption of column 1
    tree.Header().SetMainColumn(1);
    EXPECT_EQ(mode(QPoint(50, y)), dmNowhere);
}

TEST(LazyTreeDragDrop, SuggestedEffectByKeysAndSource) {
    NumberTree t;
    NumberTree other;
    DragTree& tree = t.tree;
    using plat::ssAlt, plat::ssCtrl, plat::ssShift;
    constexpr int C = DROPEFFECT_COPY, M = DROPEFFECT_MOVE, L = DROPEFFECT_LINK;
    struct Case {
        const char* proves;
        QObject* source;
        plat::TShiftState keys;
        int allowed, expected;
    };
    const Case cases[] = {
        {"same tree moves", &tree, {}, C | M, M},
        {"another tree copies", &other.tree, {}, C | M, C},
        {"from outside copies", nullptr, {}, C | M | L, C},
        {"same tree without move keeps what is allowed", &tree, {}, C | L, C | L},
        {"Ctrl copies", &tree, {ssCtrl}, C | M, C},
        {"Ctrl+Alt copies", &tree, {ssCtrl, ssAlt}, C | M, C},
        {"Shift moves", &other.tree, {ssShift}, C | M, M},
        {"Ctrl+Shift links", &tree, {ssCtrl, ssShift}, C | M | L, L},
        {"Alt links", &other.tree, {ssAlt}, C | M | L, L},
        {"Ctrl+Shift without link keeps the default", &tree, {ssCtrl, ssShift}, C | M, M},
        {"Ctrl without copy keeps the default", &tree, {ssCtrl}, M | L, M},
        {"Shift without move keeps the default", &other.tree, {ssShift}, C | L, C},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.proves);
        EXPECT_EQ(tree.SuggestDropEffect(c.source, c.keys, QPoint(), c.allowed), c.expected);
    }
}

TEST(LazyTreeDragDrop, DropMarkIsABarAlongTheRowsEdge) {
    NumberTree t;
    t.tree.Colors().SetDropMarkColor(plat::clRed);
    const plat::TRect r = plat::Rect(0, 0, 100, 20);
    auto paint = [&](TDropMode mode) {
        QImage image(100, 20, QImage::Format_RGB32);
        image.fill(Qt::white);
        plat::TCanvas canvas(&image);
        canvas.Brush().SetColor(plat::clBlue);
        canvas.Pen().SetStyle(plat::psSolid);
        t.tree.SetLastDropMode(mode);
        t.tree.DoPaintDropMark(canvas, nullptr, r);
        // The canvas gets its pen and brush back.
        EXPECT_EQ(canvas.Brush().Color(), plat::clBlue);
        EXPECT_EQ(canvas.Pen().Style(), plat::psSolid);
        return image;
    };
    auto red = [](const QImage& image, int x, int y) { return image.pixelColor(x, y) == QColor(Qt::red); };
    const QImage above = paint(dmAbove);
    // The bar from Top to Top + 2, hooks down to Top + 6 at both ends, nothing below, nothing at the
    // outer two pixels.
    EXPECT_TRUE(red(above, 50, 0));
    EXPECT_TRUE(red(above, 50, 1));
    EXPECT_FALSE(red(above, 50, 3));
    EXPECT_TRUE(red(above, 3, 4));
    EXPECT_TRUE(red(above, 97, 3));
    EXPECT_FALSE(red(above, 3, 8));
    EXPECT_FALSE(red(above, 0, 0));
    EXPECT_FALSE(red(above, 99, 0));
    const QImage below = paint(dmBelow);
    EXPECT_TRUE(red(below, 50, 18));
    EXPECT_TRUE(red(below, 50, 17));
    EXPECT_FALSE(red(below, 50, 15));
    EXPECT_TRUE(red(below, 3, 14));
    EXPECT_TRUE(red(below, 97, 15));
    EXPECT_FALSE(red(below, 3, 10));
    EXPECT_FALSE(red(below, 50, 2));
    // On the node there is no mark.
    const QImage on = paint(dmOnNode);
    EXPECT_FALSE(red(on, 50, 0));
    EXPECT_FALSE(red(on, 50, 18));
}

TEST(LazyTreeDragDrop, MovesWithinOneTreeKeepOrderAndDeleteNothing) {
    NumberTree t(5);
    t.AcceptDrops();
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoDeleteMovedNodes);
    t.Select({1, 2});
    ScriptedDrag script;
    TDropMode shown = dmNowhere;
    PLazyNode shownTarget = nullptr;
    // Into the gap below node 4: the mark shows there while the mouse rests.
    script.steps = {{&t.tree, t.OnCaption(3)},
                    {&t.tree, t.LeftLower(4), Qt::NoModifier, [&] {
                         shown = t.tree.LastDropMode();
                         shownTarget = t.tree.DropTargetNode();
                     }}};
    RunDrag(t, script);
    EXPECT_TRUE(script.draggingInLoop);
    EXPECT_EQ(script.allowed, DROPEFFECT_COPY | DROPEFFECT_MOVE);
    EXPECT_TRUE(script.formats.contains(QLatin1String(MimeTreeData)));
    EXPECT_EQ(shown, dmBelow);
    EXPECT_EQ(shownTarget, t.Find(4));
    EXPECT_TRUE(t.dropped);
    EXPECT_EQ(t.Shape(), "3 4 1 2 5");
    // Moved, reported as nothing for the source to do: nothing deleted twice.
    EXPECT_EQ(t.tree.LastDragEffect(), DROPEFFECT_NONE);
    EXPECT_EQ(t.tree.TotalCount(), 5u);
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsOLEDragging));
    EXPECT_TRUE(t.tree.DragSelection().empty());
    EXPECT_EQ(t.tree.DropTargetNode(), nullptr);
}

TEST(LazyTreeDragDrop, BetweenTreesMoveOrCopyByTheKeys) {
    NumberTree a(3);
    NumberTree b;
    b.next = 100;
    b.Add(nullptr);
    b.AcceptDrops();
    a.tree.TreeOptions().SetAutoOptions(a.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoDeleteMovedNodes);
    std::vector<QObject*> sources;
    auto dragOver = b.tree.OnDragOver;
    b.tree.OnDragOver = [&](TBaseLazyTree* s, QObject* source, plat::TShiftState k, TDragState st, QPoint p,
                            TDropMode m, int& e, bool& accept) {
        sources.push_back(source);
        dragOver(s, source, k, st, p, m, e, accept);
    };
    // Dropped on node 100's caption with Shift: a move, as child of it.
    a.Select({2});
    ScriptedDrag move;
    move.steps = {{&b.tree, b.OnCaption(100), Qt::ShiftModifier}};
    RunDrag(a, move);
    EXPECT_EQ(a.Shape(), "1 3");
    EXPECT_EQ(b.Shape(), "100(2)");
    EXPECT_EQ(a.tree.LastDragEffect(), DROPEFFECT_NONE);  // moved directly: the source deletes nothing
    ASSERT_FALSE(sources.empty());
    EXPECT_EQ(sources.front(), &a.tree);
    // Without keys another tree copies: the source keeps its node.
    a.Select({3});
    ScriptedDrag copy;
    copy.steps = {{&b.tree, b.LeftUpper(100)}};
    RunDrag(a, copy);
    EXPECT_EQ(a.Shape(), "1 3");
    EXPECT_EQ(b.Shape(), "3 100(2)");
    EXPECT_EQ(a.tree.LastDragEffect(), DROPEFFECT_COPY);
}

TEST(LazyTreeDragDrop, WithoutOnDragOverNothingDrops) {
    NumberTree a(2);
    NumberTree b(1);
    bool dropFired = false;
    int effectSeen = -1;
    b.tree.OnDragDrop = [&](TBaseLazyTree*, QObject*, const QMimeData*, const QStringList&, plat::TShiftState, QPoint,
                            int&, TDropMode) { dropFired = true; };
    a.Select({1});
    ScriptedDrag script;
    script.steps = {{&b.tree, b.OnCaption(1), Qt::NoModifier, [&] {
                         QDragMoveEvent m(b.OnCaption(1), Qt::CopyAction | Qt::MoveAction, nullptr, Qt::LeftButton,
                                          Qt::NoModifier);
                         QApplication::sendEvent(b.tree.viewport(), &m);
                         effectSeen = m.isAccepted() ? int(m.dropAction()) : 0;
                     }}};
    RunDrag(a, script);
    EXPECT_EQ(effectSeen, 0);
    EXPECT_FALSE(dropFired);
    EXPECT_EQ(a.tree.LastDragEffect(), DROPEFFECT_NONE);
    EXPECT_EQ(b.Shape(), "1");
    // A tree that takes no drops at all gets no drag events.
    b.AcceptDrops();
    b.tree.TreeOptions().SetMiscOptions(b.tree.TreeOptions().MiscOptions() - TLTMiscOption::toAcceptOLEDrop);
    RunDrag(a, script);
    EXPECT_EQ(b.Shape(), "1");
    EXPECT_FALSE(b.dropped);
}

TEST(LazyTreeDragDrop, MoveOntoAReadOnlyTreeLeavesTheSourceWhole) {
    NumberTree a(3);
    NumberTree b(1);
    b.AcceptDrops();
    b.tree.TreeOptions().SetMiscOptions(b.tree.TreeOptions().MiscOptions() + TLTMiscOption::toReadOnly);
    a.tree.TreeOptions().SetAutoOptions(a.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoDeleteMovedNodes);
    a.Select({1, 2});
    ScriptedDrag script;
    script.steps = {{&b.tree, b.OnCaption(1), Qt::ShiftModifier}};
    RunDrag(a, script);
    EXPECT_FALSE(b.dropped);
    EXPECT_EQ(a.tree.LastDragEffect(), DROPEFFECT_NONE);
    EXPECT_EQ(a.Shape(), "1 2 3");
    EXPECT_EQ(b.Shape(), "1");
}

// A drop from outside the process (no reference) that is a move: the outside source deletes its
// nodes when told "moved", so that answer comes only when every node arrived.
TEST(LazyTreeDragDrop, MoveFromOutsideIsReportedOnlyWhenEveryNodeArrived) {
    NumberTree a(3);
    a.Select({1, 2});
    const TLTDataObject object(&a.tree, false);
    QMimeData outside;
    outside.setData(QLatin1String(MimeTreeData), object.data(QLatin1String(MimeTreeData)));
    NumberTree b;
    b.next = 50;
    int effect = DROPEFFECT_MOVE;
    EXPECT_TRUE(b.tree.ProcessDrop(&outside, nullptr, effect, amAddChildLast));
    EXPECT_EQ(effect, DROPEFFECT_MOVE);
    EXPECT_EQ(b.Shape(), "1 2");
    // One refused: the move is not reported.
    b.tree.OnNodeCopying = [&](TLazyTreeCore*, PLazyNode n, PLazyNode, bool& allowed) {
        allowed = *b.tree.GetNodeData<int>(n) != 2;
    };
    effect = DROPEFFECT_MOVE;
    EXPECT_TRUE(b.tree.ProcessDrop(&outside, nullptr, effect, amAddChildLast));
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(b.Shape(), "1 2 1");
    // Nothing that can be read: nothing reported either.
    QMimeData damaged;
    damaged.setData(QLatin1String(MimeTreeData), QByteArray("\x40\0\0\0abc", 7));
    effect = DROPEFFECT_MOVE;
    EXPECT_FALSE(b.tree.ProcessDrop(&damaged, nullptr, effect, amAddChildLast));
    EXPECT_EQ(effect, DROPEFFECT_NONE);
}

TEST(LazyTreeDragDrop, ProcessDropNowhereTouchesNothing) {
    struct CountingData : QMimeData {
        mutable int reads = 0;
        QStringList formats() const override {
            ++reads;
            return {QLatin1String(MimeTreeData)};
        }
        bool hasFormat(const QString&) const override {
            ++reads;
            return true;
        }

    protected:
        QVariant retrieveData(const QString&, QMetaType) const override {
            ++reads;
            return {};
        }
    };
    NumberTree t(1);
    CountingData data;
    int effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_FALSE(t.tree.ProcessDrop(&data, t.Find(1), effect, amNoWhere));
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    EXPECT_EQ(data.reads, 0);
    EXPECT_EQ(t.Shape(), "1");
}

TEST(LazyTreeDragDrop, AllowedEffectsAndDeletingAfterAMoveOut) {
    struct Case {
        const char* proves;
        TDragOperations operations;
        int answer;  // what the drop outside reports
        bool autoDelete;
        int allowed;
        const char* shapeAfter;
    };
    using enum TDragOperation;
    const Case cases[] = {
        {"an empty set allows all three", {}, DROPEFFECT_COPY, true, 7, "1 2 3"},
        {"copy and move by default", {doCopy, doMove}, DROPEFFECT_MOVE, true, 3, "1 3"},
        {"a move out without automatic deletion", {doCopy, doMove}, DROPEFFECT_MOVE, false, 3, "1 2 3"},
        {"a link deletes nothing", {doLink}, DROPEFFECT_LINK, true, 4, "1 2 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.proves);
        NumberTree t(3);
        t.tree.DragOperations = c.operations;
        auto options = t.tree.TreeOptions().AutoOptions();
        if (c.autoDelete) options += TLTAutoOption::toAutoDeleteMovedNodes;
        t.tree.TreeOptions().SetAutoOptions(options);
        t.Select({2});
        int allowed = -1;
        t.tree.DragDropLoop = [&](TBaseLazyTree*, int effects, QMimeData*) {
            allowed = effects;
            return c.answer;
        };
        t.tree.SetLastClickPos(QPoint(40, 5));
        t.tree.BeginDrag(true);
        EXPECT_EQ(allowed, c.allowed);
        EXPECT_EQ(t.tree.LastDragEffect(), c.answer);
        EXPECT_EQ(t.Shape(), c.shapeAfter);
    }
}

TEST(LazyTreeDragDrop, MouseStartsTheDragBeyondTheThresholdWithItsPicture) {
    NumberTree t(3);
    t.tree.SetDragMode(TDragMode::dmAutomatic);
    QStringList log;
    t.tree.OnStartDrag = [&](TBaseLazyTree*) { log << "StartDrag"; };
    t.tree.OnEndDrag = [&](TBaseLazyTree*, QObject* target, int, int) {
        log << (target == &t.tree ? "EndDrag(tree)" : "EndDrag(?)");
    };
    QImage picture;
    QPoint hotSpot;
    bool systemDrawn = false, ownVisible = true;
    TNodeArray dragged;
    t.tree.DragDropLoop = [&](TBaseLazyTree* s, int, QMimeData*) {
        log << "Loop";
        picture = s->DragImage().SystemImage();
        hotSpot = s->DragImage().SystemHotSpot();
        systemDrawn = s->DragImage().States().Contains(TLTDragImageState::disSystemSupport);
        ownVisible = s->DragImage().Visible();
        dragged = s->DragSelection();
        return DROPEFFECT_NONE;
    };
    const QPoint press = t.OnCaption(2);
    auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, t.tree.viewport()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &e);
    };
    mouse(QEvent::MouseButtonPress, press, Qt::LeftButton);
    EXPECT_TRUE(t.tree.TreeStates().Contains(tsOLEDragPending));
    EXPECT_TRUE(t.tree.Dragging());
    const int threshold = t.tree.DragThreshold();
    ASSERT_GT(threshold, 1);
    mouse(QEvent::MouseMove, press + QPoint(threshold - 1, 0), Qt::LeftButton);
    EXPECT_TRUE(log.isEmpty());
    mouse(QEvent::MouseMove, press + QPoint(0, threshold), Qt::LeftButton);
    EXPECT_EQ(log, (QStringList{"StartDrag", "Loop", "EndDrag(tree)"}));
    EXPECT_EQ(dragged, TNodeArray{t.Find(2)});
    // The platform's drag shows the picture; the tree draws none of its own.
    EXPECT_TRUE(systemDrawn);
    EXPECT_FALSE(ownVisible);
    // Only the dragged row shows: the picture is cut to it, the cursor where the press was in it.
    const auto row = t.Row(2);
    EXPECT_EQ(picture.height(), row.bottom - row.top);
    EXPECT_LE(picture.width(), t.tree.DragWidth);
    EXPECT_EQ(hotSpot.y(), press.y() - row.top);
    EXPECT_GT(qAlpha(picture.pixel(hotSpot)), 0);
    EXPECT_FALSE(t.tree.Dragging());
    EXPECT_FALSE(t.tree.TreeStates().Contains(tsLeftButtonDown));
    EXPECT_FALSE(t.tree.DragImage().States().Contains(TLTDragImageState::disSystemSupport));
    // Without a picture the drag still runs.
    t.tree.DragImageKind = TLTDragImageKind::diNoImage;
    log.clear();
    t.tree.BeginDrag(true);
    EXPECT_EQ(log, (QStringList{"StartDrag", "Loop", "EndDrag(tree)"}));
    EXPECT_TRUE(picture.isNull());
}

TEST(LazyTreeDragDrop, RestingOnACollapsedNodeExpandsItAfterTheDelay) {
    NumberTree a(1);
    NumberTree b(2);
    b.Add(b.Find(1));  // node 3 under node 1, collapsed
    b.AcceptDrops();
    b.tree.AutoExpandDelay = 1000;
    TLazyTreeCore& core = b.tree;
    bool expandedAfterEvents = true, expandedByTimer = false, leafUntouched = false;
    ScriptedDrag script;
    script.drop = false;
    script.steps = {{&b.tree, b.OnCaption(2), Qt::NoModifier,
                     [&] {
                         // A node without children starts nothing.
                         core.TimerExpired(1);
                         leafUntouched = !b.tree.Expanded(b.Find(2)) && !b.tree.Expanded(b.Find(1));
                     }},
                    {&b.tree, b.OnCaption(1), Qt::NoModifier, [&] {
                         QApplication::processEvents();
                         expandedAfterEvents = b.tree.Expanded(b.Find(1));
                         core.TimerExpired(1);
                         expandedByTimer = b.tree.Expanded(b.Find(1));
                     }}};
    a.Select({1});
    RunDrag(a, script);
    EXPECT_TRUE(leafUntouched);
    EXPECT_FALSE(expandedAfterEvents);  // the delay has not passed
    EXPECT_TRUE(expandedByTimer);
    // Without the option nothing expands.
    NumberTree c(1);
    c.Add(c.Find(1));
    c.AcceptDrops();
    c.tree.TreeOptions().SetAutoOptions(c.tree.TreeOptions().AutoOptions() - TLTAutoOption::toAutoDropExpand);
    c.tree.AutoExpandDelay = 0;
    bool expanded = true;
    ScriptedDrag quiet;
    quiet.drop = false;
    quiet.steps = {{&c.tree, c.OnCaption(1), Qt::NoModifier, [&] {
                        QApplication::processEvents();
                        expanded = c.tree.Expanded(c.Find(1));
                    }}};
    RunDrag(a, quiet);
    EXPECT_FALSE(expanded);
    // A drag that enters right on the node waits there too; the tree's own timer expands it.
    c.tree.TreeOptions().SetAutoOptions(c.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoDropExpand);
    RunDrag(a, quiet);
    EXPECT_TRUE(expanded);
}

TEST(LazyTreeDragDrop, TargetScrollsWhileTheMouseRestsAtItsEdge) {
    class DrivenClock final : public plat::Clock {
    public:
        int64_t now = 5000;
        int64_t nowMs() override { return now; }
        void sleepMs(int ms) override { now += ms; }
    };
    DrivenClock clock;
    NumberTree a(1);
    NumberTree b(40);
    b.AcceptDrops();
    b.tree.SetClock(&clock);
    b.tree.AutoScrollDelay = 300;
    b.tree.TreeOptions().SetAutoOptions(b.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoScroll);
    b.tree.UpdateScrollBars(true);
    TLazyTreeCore& core = b.tree;
    std::vector<int64_t> offsets;
    const QPoint nearBottom(60, b.tree.viewport()->height() - 4);
    ScriptedDrag script;
    script.drop = false;
    script.steps = {{&b.tree, nearBottom, Qt::NoModifier, [&] {
                         offsets.push_back(b.tree.OffsetY());
                         core.TimerExpired(4);  // the delay has not passed: still
                         offsets.push_back(b.tree.OffsetY());
                         clock.now += 300;
                         core.TimerExpired(4);
                         offsets.push_back(b.tree.OffsetY());
                         core.TimerExpired(4);
                         offsets.push_back(b.tree.OffsetY());
                     }}};
    a.Select({1});
    RunDrag(a, script);
    EXPECT_EQ(offsets, (std::vector<int64_t>{0, 0, -20, -40}));
    // After the drag the timer no longer scrolls.
    core.TimerExpired(4);
    EXPECT_EQ(b.tree.OffsetY(), -40);
}

TEST(LazyTreeDragDrop, TheTargetPaintsTheMarkWhereTheNodesWillGo) {
    NumberTree a(1);
    NumberTree b(3);
    b.AcceptDrops();
    b.tree.Colors().SetDropMarkColor(plat::clRed);
    QImage shot;
    ScriptedDrag script;
    script.drop = false;
    script.steps = {{&b.tree, b.LeftUpper(2), Qt::NoModifier, [&] { shot = b.tree.viewport()->grab().toImage(); }}};
    a.Select({1});
    RunDrag(a, script);
    const auto row = b.Row(2);
    EXPECT_EQ(shot.pixelColor(100, row.top), QColor(Qt::red));
    EXPECT_NE(shot.pixelColor(100, row.top + 4), QColor(Qt::red));
    // The drag left: no mark remains.
    EXPECT_EQ(b.tree.DropTargetNode(), nullptr);
    const QImage after = b.tree.viewport()->grab().toImage();
    EXPECT_NE(after.pixelColor(100, row.top), QColor(Qt::red));
}
