// Nodes: levels, contracting and expanding nested spans, parents, glyph hits and child rows; the
// row insertions and removals that keep hidden rows in step.
#include "grid/ExGrid.h"

#include <gtest/gtest.h>

namespace {

// Rows 0 .. n-1 with "r<real row>" in column 0 and "c<real row>" in column 2.
void fill(TExStringGrid& g, int n) {
    g.SetRowCount(n);
    for (int r = 0; r < n; ++r) {
        g.SetCells(0, r, QString("r%1").arg(r));
        g.SetCells(2, r, QString("c%1").arg(r));
    }
}

QStringList column(TExStringGrid& g, int c) {
    QStringList out;
    for (int r = 0; r < g.RowCount(); ++r) out << g.Cells(c, r);
    return out;
}

int levelOf(TExStringGrid& g, int r) { return g.CellHasProperties(0, r) ? g.GridObjects(0, r)->NodeLevel() : 0; }

}  // namespace

TEST(ExGridNodes, AddNodeRaisesTheLevelsOfItsSpanAndLeavesColumnZero) {
    TExStringGrid g;
    fill(g, 8);
    g.FocusCell(0, 2);
    ASSERT_EQ(g.Col(), 0);
    ASSERT_FALSE(g.HasNodes());
    g.AddNode(1, 3);
    EXPECT_EQ(g.NodeCount(), 1);
    EXPECT_TRUE(g.HasNodes());
    EXPECT_EQ(g.Col(), 1);
    for (int r = 0; r < 6; ++r) EXPECT_EQ(levelOf(g, r), r >= 1 && r <= 3 ? 1 : 0) << r;
    EXPECT_TRUE(g.IsNode(1));
    EXPECT_FALSE(g.IsNode(2));
    EXPECT_FALSE(g.IsNode(-1));
    EXPECT_EQ(g.GetNodeSpan(1), 3);
    EXPECT_EQ(g.GetNodeLevel(1), 1);
    EXPECT_EQ(g.GetNodeLevel(2), -1);
    EXPECT_EQ(g.RowIndent(2), 12);

    g.RemoveNode(5);
    EXPECT_EQ(g.NodeCount(), 1) << "a row without a node lowers nothing";
    g.ContractNode(1);
    g.RemoveNode(1);
    EXPECT_EQ(g.NodeCount(), 0);
    EXPECT_EQ(g.RowCount(), 8) << "the node opened before it went";
    for (int r = 1; r <= 3; ++r) EXPECT_EQ(levelOf(g, r), 0) << r;
}

TEST(ExGridNodes, ContractedNestedNodeGoesAndComesBackWithItsParent) {
    TExStringGrid g;
    fill(g, 10);
    g.AddNode(1, 6);  // rows 1..6
    g.AddNode(3, 3);  // rows 3..5
    const QStringList all = column(g, 2);
    g.ContractNode(3);
    EXPECT_EQ(g.RowCount(), 8);
    g.ContractNode(1);
    EXPECT_EQ(column(g, 0), (QStringList{"r0", "r1", "r7", "r8", "r9"}));
    EXPECT_TRUE(g.GetNodeState(1));
    g.ExpandNode(1);
    EXPECT_EQ(column(g, 2), all) << "every row of the span is back, in order";
    EXPECT_FALSE(g.GetNodeState(3)) << "the nested node comes back expanded";
    EXPECT_EQ(g.NumHiddenRows(), 0);
}

TEST(ExGridNodes, ContractedRowsKeepTextsPropertiesAndHeights) {
    TExStringGrid g;
    fill(g, 6);
    g.AddNode(1, 3);
    g.GetCellProperties(2, 2)->SetBrushColor(plat::clRed);
    g.SetRowHeights(2, 40);
    g.SetCells(4, 3, "far");
    g.ContractNode(1);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.Cells(0, 2), "r4");
    g.ExpandNode(1);
    EXPECT_EQ(g.Cells(2, 2), "c2");
    ASSERT_TRUE(g.CellHasProperties(2, 2));
    EXPECT_EQ(g.GridObjects(2, 2)->BrushColor(), plat::clRed);
    EXPECT_EQ(g.RowHeights(2), 40);
    EXPECT_EQ(g.Cells(4, 3), "far");
}

TEST(ExGridNodes, ExpandOneClosesTheOthers) {
    TExStringGrid g;
    fill(g, 10);
    g.AddNode(1, 3);
    g.AddNode(4, 3);
    g.ContractNode(1);
    g.CellNode().SetExpandOne(true);
    g.ExpandNode(1);
    EXPECT_FALSE(g.GetNodeState(1));
    EXPECT_TRUE(g.GetNodeState(4));
    EXPECT_EQ(g.RowCount(), 8);
    EXPECT_EQ(column(g, 0).mid(4), (QStringList{"r4", "r7", "r8", "r9"}));
}

TEST(ExGridNodes, ExpandAllAndContractAllOverNestedNodes) {
    TExStringGrid g;
    fill(g, 12);
    g.AddNode(1, 5);  // 1..5
    g.AddNode(2, 2);  // 2..3 inside
    g.AddNode(6, 0);  // 6 up to the next node
    g.AddNode(9, 2);  // 9..10
    const QStringList all = column(g, 0);
    g.ContractAll();
    EXPECT_EQ(column(g, 0), (QStringList{"r0", "r1", "r6", "r9", "r11"}));
    for (int r : {1, 2, 3}) EXPECT_TRUE(g.GetNodeState(r)) << r;
    EXPECT_EQ(g.FilterLevel(), 0) << "contracted rows are no filter level";
    g.ExpandAll();
    EXPECT_EQ(column(g, 0), all);
    for (int r : {1, 2, 6, 9}) EXPECT_FALSE(g.GetNodeState(r)) << r;

    // A nested node closed on its own inside a closed parent opens with the others.
    g.ContractNode(2);
    g.ContractNode(1);
    g.ExpandAll();
    EXPECT_EQ(column(g, 0), all);
}

TEST(ExGridNodes, ParentRowAndSpanType) {
    TExStringGrid g;
    fill(g, 12);
    g.AddNode(1, 7);  // 1..7
    g.AddNode(2, 3);  // 2..4
    g.ContractNode(2);
    // Display rows: 0, 1(node), 2(nested, closed), 3 = real 5, 4 = real 6, 5 = real 7, 6 = real 8
    EXPECT_EQ(g.GetParentRow(3), 1) << "a child below a closed sibling";
    EXPECT_EQ(g.GetParentRow(5), 1);
    EXPECT_EQ(g.GetParentRow(6), -1);
    EXPECT_EQ(g.GetParentRow(2), 1);
    EXPECT_EQ(g.GetParentRow(1), 1) << "a top node falls back to itself";

    TExStringGrid f;
    fill(f, 7);
    f.AddNode(1, 6);  // 1..6, row 6 the footer
    f.SetFixedFooters(1);
    EXPECT_EQ(f.GetNodeSpanType(1), 0);
    EXPECT_EQ(f.GetNodeSpanType(3), 2);
    EXPECT_EQ(f.GetNodeSpanType(5), 1) << "the last data row above the footer";
}

TEST(ExGridNodes, GlyphHitTest) {
    TExStringGrid g;
    fill(g, 4);
    g.AddNode(1, 2);
    ASSERT_EQ(g.CellNode().NodeType(), cnXP);
    ASSERT_EQ(g.CellNode().NodeIndent(), 12);
    struct Case {
        int x;
        bool hit;
    } cases[] = {{4, false}, {5, true}, {10, true}, {15, true}, {16, false}};
    for (const Case& c : cases) EXPECT_EQ(g.IsInNodeGlyph(1, c.x), c.hit) << c.x;
    g.MouseActions().SetPreciseNodeClick(false);
    EXPECT_TRUE(g.IsInNodeGlyph(1, 200));
}

TEST(ExGridNodes, ChildRowAtTheNodeTakesOverTheNodeRowsContent) {
    TExStringGrid g;
    fill(g, 6);
    g.AddNode(1, 3);
    g.GetCellProperties(2, 1)->SetBrushColor(plat::clRed);
    g.InsertChildRow(1, 0);
    EXPECT_EQ(g.RowCount(), 7);
    EXPECT_TRUE(g.IsNode(1));
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.Cells(2, 1), "");
    EXPECT_EQ(g.Cells(0, 2), "r1");
    EXPECT_EQ(g.Cells(2, 2), "c1");
    ASSERT_TRUE(g.CellHasProperties(2, 2));
    EXPECT_EQ(g.GridObjects(2, 2)->BrushColor(), plat::clRed);
    EXPECT_EQ(g.GetNodeSpan(1), 4);
    EXPECT_EQ(g.GetSubNodeCount(1), 1);
    EXPECT_EQ(levelOf(g, 2), 1);

    g.RemoveChildRow(2);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_EQ(g.GetNodeSpan(1), 3);
    EXPECT_EQ(g.Cells(0, 2), "r2");
}

TEST(ExGridNodes, ChildRowInAContractedNodeOpensItAndShiftsHiddenRows) {
    TExStringGrid g;
    fill(g, 10);
    g.AddNode(1, 3);
    g.HideRow(7);
    g.ContractNode(1);
    g.InsertChildRow(1, 1);
    EXPECT_FALSE(g.GetNodeState(1));
    EXPECT_EQ(g.Cells(0, 2), "");
    EXPECT_EQ(g.Cells(0, 3), "r2");
    EXPECT_TRUE(g.IsHiddenRow(8)) << "the row hidden at 7 is real row 8 now";
    EXPECT_EQ(g.GetCellsEx(0, 8), "r7");
    g.UnHideRowsAll();
    EXPECT_EQ(column(g, 0).mid(7), (QStringList{"r6", "r7", "r8", "r9"}));
}

TEST(ExGridRows, InsertAndRemoveKeepHiddenRowsInStep) {
    TExStringGrid g;
    fill(g, 8);
    g.SetRowHeights(3, 30);
    g.HideRow(5);
    g.InsertRows(2, 2);
    EXPECT_EQ(g.RowCount(), 9);
    EXPECT_EQ(g.Cells(0, 2), "");
    EXPECT_EQ(g.RowHeights(2), g.DefaultRowHeight());
    EXPECT_EQ(g.RowHeights(5), 30) << "heights move with their rows";
    EXPECT_TRUE(g.IsHiddenRow(7));
    EXPECT_EQ(g.GetCellsEx(0, 7), "r5");
    g.RemoveRows(1, 3);
    EXPECT_EQ(g.RowCount(), 6);
    EXPECT_TRUE(g.IsHiddenRow(4));
    g.UnHideRowsAll();
    EXPECT_EQ(column(g, 0), (QStringList{"r0", "r2", "r3", "r4", "r5", "r6", "r7"}));

    g.SetCells(4, 1, "x");
    g.HideColumn(4);
    g.ClearRows(1, 1);
    EXPECT_EQ(g.Cells(4, 1), "") << "hidden columns are cleared too";
    EXPECT_EQ(g.Cells(0, 1), "");
    EXPECT_EQ(g.Cells(0, 2), "r3");
}
