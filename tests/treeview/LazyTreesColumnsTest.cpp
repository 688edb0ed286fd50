// Columns and the header's column logic: positions, widths and their limits, the fixed area, the
// lookups by x, the auto-size column, the width distribution and the index repairs on deletion.
#include <gtest/gtest.h>

#include <QApplication>

#include "treeview/LazyTrees.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;

namespace {

// A shown string tree with a client area of 300 x 200 and `count` columns 100 wide.
struct ColumnTree {
    TLazyStringTree tree;
    explicit ColumnTree(int count = 0, int width = 100) {
        tree.show();
        tree.resize(300 + tree.width() - tree.viewport()->width(), 200 + tree.height() - tree.viewport()->height());
        QApplication::processEvents();
        for (int i = 0; i < count; ++i) Columns().Add()->SetWidth(width);
    }
    TLTHeader& Header() { return tree.Header(); }
    TLazyTreeColumns& Columns() { return tree.Header().Columns(); }
    TLazyTreeColumn& Col(int i) { return Columns()[i]; }
    std::vector<TColumnIndex> Order() { return Columns().PositionToIndex(); }
    std::vector<int> Widths() {
        std::vector<int> w;
        for (int i = 0; i < Columns().Count(); ++i) w.push_back(Col(i).Width());
        return w;
    }
};

}  // namespace

TEST(LazyTreeColumns, NewColumnsTakeTheDefaultsAndTheLastPosition) {
    ColumnTree t;
    EXPECT_EQ(t.Header().MainColumn(), NoColumn);
    TLazyTreeColumn* a = t.Columns().Add();
    TLazyTreeColumn* b = t.Columns().Add();
    EXPECT_EQ(b->Width(), 50);
    EXPECT_EQ(b->Position(), 1u);
    EXPECT_EQ(b->Options(), DefaultColumnOptions);
    EXPECT_EQ(b->MinWidth(), 10);
    EXPECT_EQ(b->MaxWidth(), 10000);
    EXPECT_EQ(a->Color(), t.tree.Color());  // coParentColor
    EXPECT_EQ(t.Header().MainColumn(), 0);  // the first column shows the tree
    EXPECT_EQ(b->GetRect().Left, 50);
}

TEST(LazyTreeColumns, DeletingKeepsPositionsContiguousAndRepairsIndices) {
    ColumnTree t(4);
    t.Col(3).SetPosition(0);  // order 3 0 1 2
    ASSERT_EQ(t.Order(), (std::vector<TColumnIndex>{3, 0, 1, 2}));
    t.Header().SetMainColumn(1);
    t.Header().SetSortColumn(2);
    t.Columns().Delete(1);
    EXPECT_EQ(t.Order(), (std::vector<TColumnIndex>{2, 0, 1}));
    for (int p = 0; p < 3; ++p) EXPECT_EQ(t.Col(t.Order()[size_t(p)]).Position(), TColumnPosition(p));
    EXPECT_EQ(t.Header().MainColumn(), 0);  // the first remaining column
    EXPECT_EQ(t.Header().SortColumn(), 1);  // one before it went: decremented
    EXPECT_EQ(t.Col(2).Left(), 0);
    EXPECT_EQ(t.Col(0).Left(), 100);

    t.Columns().Delete(1);  // the sort column itself
    EXPECT_EQ(t.Header().SortColumn(), NoColumn);
    t.Columns().Delete(0);
    t.Columns().Delete(0);
    EXPECT_EQ(t.Header().MainColumn(), NoColumn);
}

TEST(LazyTreeColumns, WidthStaysWithinItsLimits) {
    ColumnTree t(1);
    TLazyTreeColumn& c = t.Col(0);
    c.SetMinWidth(40);
    c.SetWidth(20);
    EXPECT_EQ(c.Width(), 40);
    c.SetMinWidth(120);  // above the width: the column widens
    EXPECT_EQ(c.Width(), 120);
    EXPECT_EQ(c.LastWidth(), 40);
    c.SetMaxWidth(60);  // raised to the minimum
    EXPECT_EQ(c.MaxWidth(), 120);
    c.SetMinWidth(-5);
    EXPECT_EQ(c.MinWidth(), 0);
    c.SetMargin(-1);
    EXPECT_EQ(c.Margin(), 4);
    c.RestoreLastWidth();
    EXPECT_EQ(c.Width(), 40);
}

TEST(LazyTreeColumns, AutoSizeColumnFillsTheClientAndIgnoresWidthWrites) {
    ColumnTree t(3);
    t.Header().SetAutoSizeIndex(1);
    t.Header().SetOptions(t.Header().Options() + hoAutoResize);
    EXPECT_EQ(t.Col(1).Width(), 100);  // 300 - 100 - 100
    t.Col(1).SetWidth(40);
    EXPECT_EQ(t.Col(1).Width(), 100);
    t.Col(0).SetWidth(150);
    EXPECT_EQ(t.Col(1).Width(), 50);
    t.Col(2).SetOptions(t.Col(2).Options() - coVisible);
    EXPECT_EQ(t.Col(1).Width(), 150);
    EXPECT_EQ(t.Columns().TotalWidth(), 300);
}

TEST(LazyTreeColumns, TheFixedAreaStaysOneBlockAtTheLeft) {
    ColumnTree t(4);
    t.Col(0).SetOptions(t.Col(0).Options() + coFixed);
    t.Col(1).SetOptions(t.Col(1).Options() + coFixed);
    t.Col(3).SetPosition(1);  // between two fixed columns: fixed
    EXPECT_TRUE(t.Col(3).Options().Contains(coFixed));
    t.Col(0).SetPosition(3);  // to the far right: no longer fixed
    EXPECT_FALSE(t.Col(0).Options().Contains(coFixed));
    EXPECT_EQ(t.Order(), (std::vector<TColumnIndex>{3, 1, 2, 0}));
    EXPECT_EQ(t.Columns().GetVisibleFixedWidth(), 200);
    // Negative positions arrive unsigned and go to the end.
    t.Col(3).SetPosition(TColumnPosition(-1));
    EXPECT_EQ(t.Col(3).Position(), 3u);
}

TEST(LazyTreeColumns, ColumnFromPosition) {
    ColumnTree t(3);
    t.Col(1).SetOptions(t.Col(1).Options() - coVisible);
    struct Case {
        QPoint p;
        TColumnIndex expected;
    } cases[] = {
        {{0, 5}, 0}, {{99, 5}, 0}, {{100, 5}, 2}, {{199, 5}, 2}, {{200, 5}, InvalidColumn},
        {{-1, 5}, InvalidColumn}, {{5, -1}, InvalidColumn}, {{5, 201}, InvalidColumn},
    };
    for (const Case& c : cases) EXPECT_EQ(t.Columns().ColumnFromPosition(c.p), c.expected) << c.p.x() << "," << c.p.y();
    EXPECT_EQ(t.Columns().ColumnFromPosition(TColumnPosition(2)), 2);
    EXPECT_EQ(t.Columns().ColumnFromPosition(TColumnPosition(3)), NoColumn);
    int l = 0, r = 0;
    EXPECT_EQ(t.Columns().GetColumnAndBounds({150, 5}, l, r), 2);
    EXPECT_EQ(l, 100);
    EXPECT_EQ(r, 200);
}

TEST(LazyTreeColumns, WalksInDisplayOrder) {
    ColumnTree t(4);
    t.Col(0).SetPosition(3);  // order 1 2 3 0
    t.Col(2).SetOptions(t.Col(2).Options() - coVisible);
    t.Col(3).SetOptions(t.Col(3).Options() - coAllowFocus);
    EXPECT_EQ(t.Columns().GetFirstVisibleColumn(), 1);
    EXPECT_EQ(t.Columns().GetNextVisibleColumn(1), 3);
    EXPECT_EQ(t.Columns().GetNextVisibleColumn(1, true), 0);
    EXPECT_EQ(t.Columns().GetLastVisibleColumn(), 0);
    EXPECT_EQ(t.Columns().GetNextVisibleColumn(0), InvalidColumn);
    EXPECT_EQ(t.Columns().GetPreviousVisibleColumn(0, true), 1);
    EXPECT_EQ(t.Columns().GetNextVisibleColumn(-1), InvalidColumn);
    EXPECT_EQ(t.Columns().GetFirstColumn(), 1);
    EXPECT_EQ(t.Columns().GetPreviousColumn(1), InvalidColumn);
    EXPECT_EQ(t.Columns().GetNextColumn(2), 3);
    const TColumnsArray visible = t.Columns().GetVisibleColumns();
    ASSERT_EQ(visible.size(), 3u);
    EXPECT_EQ(visible[2], &t.Col(0));
}

TEST(LazyTreeColumns, ScrollWidthAveragesTheScrollingColumnsHalvesToEven) {
    ColumnTree t;
    EXPECT_EQ(t.Columns().GetScrollWidth(), int(t.tree.Indent()));
    t.Columns().Add()->SetWidth(100);
    t.Columns().Add()->SetWidth(101);
    TLazyTreeColumn* fixed = t.Columns().Add();
    fixed->SetWidth(300);
    fixed->SetOptions(fixed->Options() + coFixed);
    EXPECT_EQ(t.Columns().GetScrollWidth(), 100);
    t.Col(1).SetWidth(103);  // 101.5 goes to 102
    EXPECT_EQ(t.Columns().GetScrollWidth(), 102);
}

TEST(LazyTreeColumns, DisplayNameFallsBackToTheIndex) {
    ColumnTree t(2);
    t.Col(0).SetText(QStringLiteral("Gr\u00fc\u00dfe"));
    t.Col(1).SetText(QStringLiteral("Value \u20ac"));
    EXPECT_EQ(t.Col(0).GetDisplayName(), QStringLiteral("Gr\u00fc\u00dfe"));
    EXPECT_EQ(t.Col(1).GetDisplayName(), QStringLiteral("Column 1"));
}

TEST(LazyTreeColumns, FixedColumnsKeepToTheConstraints) {
    ColumnTree t(3);
    t.Col(0).SetOptions(t.Col(0).Options() + coFixed);
    t.Header().FixedAreaConstraints().SetMaxWidthPercent(50);  // at most 150 of 300
    t.Col(0).SetWidth(250);
    EXPECT_EQ(t.Col(0).Width(), 150);
    t.Header().FixedAreaConstraints().SetMinWidthPercent(60);  // raises the maximum with it
    EXPECT_EQ(t.Header().FixedAreaConstraints().MaxWidthPercent(), 60);
    t.Col(0).SetWidth(20);
    EXPECT_EQ(t.Col(0).Width(), 180);
    t.Col(1).SetWidth(20);  // not fixed: its own limits only
    EXPECT_EQ(t.Col(1).Width(), 20);
}

TEST(LazyTreeColumns, ColumnsCopyAndCompare) {
    ColumnTree a(3), b;
    a.Col(2).SetPosition(0);
    a.Col(1).SetText(QStringLiteral("Value"));
    b.Columns().Assign(a.Columns());
    EXPECT_TRUE(b.Columns().Equals(a.Columns()));
    EXPECT_EQ(b.Order(), a.Order());
    EXPECT_EQ(b.Col(1).Text(), QStringLiteral("Value"));
    b.Col(1).SetWidth(70);
    EXPECT_FALSE(b.Columns().Equals(a.Columns()));
}

TEST(LazyTreeHeader, HeightKeepsToThePercentages) {
    ColumnTree t(1);
    t.Header().SetHeight(20);
    t.Header().SetOptions(t.Header().Options() + hoVisible);
    EXPECT_EQ(t.tree.viewport()->height(), 180);
    // The tree (nodes and header) is 200 high: 50 percent is 100.
    t.Header().FixedAreaConstraints().SetMinHeightPercent(50);
    t.Header().SetHeight(30);
    EXPECT_EQ(t.Header().Height(), 100);
    EXPECT_EQ(t.tree.viewport()->height(), 100);
    t.Header().FixedAreaConstraints().SetMinHeightPercent(0);
    t.Header().SetHeight(5);
    EXPECT_EQ(t.Header().Height(), t.Header().MinHeight());
}

TEST(LazyTreeHeader, ResizeColumnsSpreadsTheRemainderOverCalls) {
    ColumnTree t(3);
    EXPECT_EQ(t.Header().ResizeColumns(7, 0, 2), 7);
    std::vector<int> w = t.Widths();
    std::sort(w.begin(), w.end());
    EXPECT_EQ(w, (std::vector<int>{102, 102, 103}));
    const std::vector<int> before = t.Widths();
    const int bonus = int(std::max_element(before.begin(), before.end()) - before.begin());
    EXPECT_EQ(t.Header().ResizeColumns(1, 0, 2), 1);
    EXPECT_EQ(t.Col(bonus).Width(), before[size_t(bonus)]);  // another column gets this pixel
    // Shrinking stops at the minimum widths.
    EXPECT_EQ(t.Header().ResizeColumns(-1000, 0, 2), -(308 - 30));
    EXPECT_EQ(t.Widths(), (std::vector<int>{10, 10, 10}));
    EXPECT_EQ(t.Header().ResizeColumns(0, 0, 2), 0);
}

TEST(LazyTreeHeader, ResizeColumnsOnlyTouchesMatchingColumns) {
    ColumnTree t(3);
    t.Col(1).SetOptions(t.Col(1).Options() + coFixed);
    EXPECT_EQ(t.Header().ResizeColumns(10, 0, 2, {coVisible, coFixed}), 10);
    EXPECT_EQ(t.Widths(), (std::vector<int>{100, 110, 100}));
}
