// Scrolling of the tree: scroll bars and offsets, the wheel, bringing nodes into view, automatic
// scrolling on a driven clock and the scroll position after an expansion.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>

#include "treeview/LazyTrees.h"

using enum TLTAutoOption;
using enum TLazyTreeState;

namespace {

class DrivenClock final : public plat::Clock {
public:
    int64_t now = 1000;
    int64_t nowMs() override { return now; }
    void sleepMs(int ms) override { now += ms; }
};

// A shown tree of `count` top-level nodes, 18 pixels each, in a 200 x 100 client area.
struct ScrollTree {
    TLazyStringTree tree;
    explicit ScrollTree(uint32_t count) {
        tree.SetNodeDataSize(4);
        tree.SetRootNodeCount(count);
        tree.show();
        tree.resize(200 + tree.width() - tree.viewport()->width(), 100 + tree.height() - tree.viewport()->height());
        QApplication::processEvents();
    }
    int ClientHeight() { return tree.viewport()->height(); }
    void Wheel(int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF at(50, 50);
        QWheelEvent e(at, tree.viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(tree.viewport(), &e);
    }
};

}  // namespace

TEST(LazyTreeScroll, RowsThatFitHideTheBarAndForceTheOffsetToZero) {
    ScrollTree s(3);
    EXPECT_FALSE(s.tree.verticalScrollBar()->isVisible());
    s.tree.SetOffsetY(-30);
    EXPECT_EQ(s.tree.OffsetY(), 0);
    // AlwaysVisible keeps the bar, disabled.
    s.tree.ScrollBarOptions().SetAlwaysVisible(true);
    s.tree.UpdateScrollBars(true);
    EXPECT_TRUE(s.tree.verticalScrollBar()->isVisible());
    EXPECT_FALSE(s.tree.verticalScrollBar()->isEnabled());
    EXPECT_EQ(s.tree.OffsetY(), 0);
}

TEST(LazyTreeScroll, OffsetsAreClampedAndTheBarFollows) {
    ScrollTree s(100);  // 1800 pixels
    const int client = s.ClientHeight();
    EXPECT_TRUE(s.tree.verticalScrollBar()->isVisible());
    s.tree.SetOffsetY(50);
    EXPECT_EQ(s.tree.OffsetY(), 0);
    s.tree.SetOffsetY(-100000);
    EXPECT_EQ(s.tree.OffsetY(), client - 1800);
    EXPECT_EQ(s.tree.verticalScrollBar()->value(), 1800 - client);
    EXPECT_EQ(s.tree.verticalScrollBar()->maximum(), 1800 - client);
    EXPECT_EQ(s.tree.verticalScrollBar()->pageStep(), client);
    // Bar actions go through the tree's table: a line is the vertical increment.
    s.tree.SetOffsetY(0);
    s.tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(s.tree.OffsetY(), -20);
    s.tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.tree.OffsetY(), -20 - client);
    s.tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(s.tree.OffsetY(), client - 1800);
    s.tree.verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(s.tree.OffsetY(), 0);
    // The nodes at the edges follow the offset.
    s.tree.SetOffsetY(-36);
    EXPECT_EQ(s.tree.TopNode()->Index, 2u);
    EXPECT_EQ(s.tree.BottomNode()->Index, uint32_t((36 + client - 1) / 18));
}

TEST(LazyTreeScroll, ScrollIntoView) {
    ScrollTree s(100);
    const int client = s.ClientHeight();
    PLazyNode second = s.tree.GetFirst()->NextSibling;
    EXPECT_FALSE(s.tree.ScrollIntoView(second, false));
    EXPECT_EQ(s.tree.OffsetY(), 0);
    // Centred: the node's bottom at the middle.
    PLazyNode n40 = second;
    for (int i = 0; i < 38; ++i) n40 = n40->NextSibling;
    EXPECT_TRUE(s.tree.ScrollIntoView(n40, true));
    EXPECT_EQ(s.tree.GetDisplayRect(n40, NoColumn, false).Bottom, client / 2);
    // Below the window without centring: the node becomes the bottom row.
    PLazyNode n80 = n40;
    for (int i = 0; i < 40; ++i) n80 = n80->NextSibling;
    EXPECT_TRUE(s.tree.ScrollIntoView(n80, false));
    EXPECT_EQ(s.tree.GetDisplayRect(n80, NoColumn, false).Bottom, client);
    // Above it: the node becomes the top row.
    EXPECT_TRUE(s.tree.ScrollIntoView(n40, false));
    EXPECT_EQ(s.tree.GetDisplayRect(n40, NoColumn, false).Top, 0);
    // A node inside a collapsed parent is brought out (the expansion itself does not scroll here).
    s.tree.TreeOptions().SetAutoOptions(s.tree.TreeOptions().AutoOptions() - toAutoScrollOnExpand);
    PLazyNode child = s.tree.AddChild(n80);
    EXPECT_TRUE(s.tree.ScrollIntoView(child, false));
    EXPECT_TRUE(s.tree.Expanded(n80));
    EXPECT_EQ(s.tree.GetDisplayRect(child, NoColumn, false).Bottom, client);
}

TEST(LazyTreeScroll, WheelScrollsLinesOrAPage) {
    ScrollTree s(100);
    QApplication::setWheelScrollLines(3);
    s.Wheel(-120);
    EXPECT_EQ(s.tree.OffsetY(), -54);
    s.Wheel(120);
    EXPECT_EQ(s.tree.OffsetY(), 0);
    s.Wheel(-120, Qt::ControlModifier);
    EXPECT_EQ(s.tree.OffsetY(), -s.ClientHeight());
    // Half a notch is half the distance, truncated.
    s.tree.SetOffsetY(0);
    s.Wheel(-60);
    EXPECT_EQ(s.tree.OffsetY(), -27);
}

TEST(LazyTreeScroll, AutoScrollWaitsForTheDelay) {
    ScrollTree s(100);
    DrivenClock clock;
    s.tree.SetClock(&clock);
    s.tree.TreeOptions().SetAutoOptions(s.tree.TreeOptions().AutoOptions() + toAutoScroll);
    s.tree.AutoScrollDelay = 500;
    const int bottomZone = s.ClientHeight() - 5;
    // Not selecting or dragging: nothing to do near the edge.
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, bottomZone).Empty());
    s.tree.SetTreeStates(s.tree.TreeStates() + tsDrawSelecting);
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, bottomZone).Empty());
    clock.now += 499;
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, bottomZone).Empty());
    clock.now += 1;
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, bottomZone).Contains(TScrollDirection::sdDown));
    // The top edge offers nothing while the tree is at the top; the middle nothing at all.
    EXPECT_FALSE(s.tree.DetermineScrollDirections(50, 3).Contains(TScrollDirection::sdUp));
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, 50).Empty());
    // Leaving the zone starts the delay anew.
    EXPECT_TRUE(s.tree.DetermineScrollDirections(50, bottomZone).Empty());
    // A step moves by the increment while the cursor is inside.
    clock.now += 500;
    s.tree.CursorPosSource = [&] { return QPoint(50, bottomZone); };
    s.tree.DoAutoScroll(50, bottomZone);
    EXPECT_TRUE(s.tree.TreeStates().Contains(tsScrollPending));
    s.tree.TimerScrollStep();
    EXPECT_EQ(s.tree.OffsetY(), -20);
}

// Expanding with toAutoScrollOnExpand: a subtree that fits is scrolled into view with the least
// movement; a larger one makes the node the top row.
TEST(LazyTreeScroll, ExpandScrollsTheChildrenIntoView) {
    ScrollTree s(20);
    s.tree.TreeOptions().SetAutoOptions(s.tree.TreeOptions().AutoOptions() + toAutoScrollOnExpand);
    const int client = s.ClientHeight();
    PLazyNode last = s.tree.GetLast();
    PLazyNode n4 = s.tree.GetFirst()->NextSibling->NextSibling->NextSibling->NextSibling;
    for (int i = 0; i < 2; ++i) s.tree.AddChild(n4);
    s.tree.SetExpanded(n4, true);
    // Rows 4, 5, 6 end at 126 > client: the last child comes to the bottom.
    EXPECT_EQ(s.tree.GetDisplayRect(s.tree.GetLastChild(n4), NoColumn, false).Bottom, client);
    s.tree.SetOffsetY(0);
    PLazyNode big = last->PrevSibling;
    for (int i = 0; i < 10; ++i) s.tree.AddChild(big);
    s.tree.SetExpanded(big, true);
    EXPECT_EQ(s.tree.TopNode(), big);
    // Without the option the position stays.
    s.tree.TreeOptions().SetAutoOptions(s.tree.TreeOptions().AutoOptions() - toAutoScrollOnExpand);
    s.tree.SetOffsetY(0);
    s.tree.AddChild(last);
    s.tree.SetExpanded(last, true);
    EXPECT_EQ(s.tree.OffsetY(), 0);
}
