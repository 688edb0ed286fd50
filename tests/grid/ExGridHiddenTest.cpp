// Hidden columns and the small queries on the two index spaces.
#include "grid/ExGrid.h"
#include "tests/support/EventWait.h"

#include <QTest>
#include <gtest/gtest.h>
#include <vector>

TEST(ExGridHiddenColumns, TwoOfSixHiddenMapBothWays) {
    TExStringGrid g;
    g.SetColCount(6);
    for (int c = 0; c < 6; ++c) g.SetCells(c, 1, QString("c%1").arg(c));
    g.HideColumn(2);
    g.HideColumn(4);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.NumHiddenColumns(), 2);
    EXPECT_EQ(g.TotalColCount(), 6);
    struct Case {
        const char* name;
        int got, expected;
    } cases[] = {
        {"RealColIndex(2)", g.RealColIndex(2), 3},
        {"RealColIndex(3)", g.RealColIndex(3), 5},
        {"RealColIndex(1)", g.RealColIndex(1), 1},
        {"DisplColIndex(5)", g.DisplColIndex(5), 3},
        {"DisplColIndex(2): a hidden column's would-be place", g.DisplColIndex(2), 2},
        {"DisplColIndex(3)", g.DisplColIndex(3), 2},
        {"RealColIndex with no visible column below 512 behind it", g.RealColIndex(510), 0},
        {"RealColIndex at 512 and above: the identity", g.RealColIndex(600), 600},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
    EXPECT_TRUE(g.IsHiddenColumn(2));
    EXPECT_FALSE(g.IsHiddenColumn(3));
    // Cells stay at their real columns, hidden ones included.
    for (int c = 0; c < 6; ++c) EXPECT_EQ(g.Cells(c, 1), QString("c%1").arg(c));
    g.SetCol(2);
    EXPECT_EQ(g.RealCol(), 3);
}

TEST(ExGridHiddenColumns, HideAndShowRestoresWidthAndPlace) {
    TExStringGrid g;
    g.SetColCount(6);
    for (int c = 0; c < 6; ++c) g.SetColWidths(c, 40 + c * 10);
    g.SetCells(3, 2, "three");
    g.HideColumn(3);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.ColWidths(3), 80) << "column 4's width moved left";
    EXPECT_EQ(g.AllColWidths(3), 70);
    EXPECT_EQ(g.AllColWidths(4), 80);
    EXPECT_EQ(g.Cells(3, 2), "three");
    g.HideColumn(3);  // already hidden: nothing
    EXPECT_EQ(g.ColCount(), 5);

    g.SetAllColWidths(3, 75);  // stored while hidden
    EXPECT_EQ(g.ColWidths(3), 80);
    g.UnHideColumn(3);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.NumHiddenColumns(), 0);
    const int widths[] = {40, 50, 60, 75, 80, 90};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(g.ColWidths(c), widths[c]) << c;
    EXPECT_EQ(g.DisplColIndex(3), 3);
    EXPECT_EQ(g.Cells(3, 2), "three");
}

TEST(ExGridHiddenColumns, LimitsAndTheLastDisplayColumn) {
    TExStringGrid g;
    g.SetColCount(513);
    g.HideColumn(512);
    EXPECT_EQ(g.ColCount(), 513);
    EXPECT_FALSE(g.IsHiddenColumn(512));
    EXPECT_EQ(g.DisplColIndex(512), 512);

    TExStringGrid two;
    two.SetColCount(2);
    two.SetFixedCols(0);
    two.HideColumns(0, 5);
    EXPECT_EQ(two.ColCount(), 1) << "the last display column stays";
    EXPECT_EQ(two.NumHiddenColumns(), 1);
    two.HideColumn(7);  // beyond the real columns
    EXPECT_EQ(two.NumHiddenColumns(), 1);
    two.UnHideColumnsAll();
    EXPECT_EQ(two.ColCount(), 2);
    EXPECT_EQ(two.NumHiddenColumns(), 0);
}

TEST(ExGridHiddenColumns, CellAccessorsBoundByAllRealColumns) {
    TExStringGrid g;
    g.SetColCount(4);
    g.HideColumn(1);
    g.SetCells(3, 1, "last real");
    EXPECT_EQ(g.Cells(3, 1), "last real");
    EXPECT_THROW(g.SetCells(4, 1, "x"), std::out_of_range);
    g.GetCellProperties(3, 1)->SetBrushColor(0x010203);
    EXPECT_TRUE(g.CellHasProperties(3, 1));
}

TEST(ExGridRanges, UsedCellsAndExportRanges) {
    TExStringGrid g;
    EXPECT_EQ(g.UsedCells(), (plat::TGridRect{0, 1, 0, 9})) << "a new grid numbers its rows";
    g.ClearRows(0, g.RowCount());
    EXPECT_EQ(g.UsedCells(), (plat::TGridRect{0, 0, 0, 0}));
    g.SetCells(3, 2, "x");
    EXPECT_EQ(g.UsedCells(), (plat::TGridRect{3, 2, 3, 2}));
    g.SetCells(1, 7, "y");
    EXPECT_EQ(g.UsedCells(), (plat::TGridRect{1, 2, 3, 7}));

    // SaveFixedCells is on by default: the whole grid.
    EXPECT_EQ(g.SaveStartCol(), 0);
    EXPECT_EQ(g.SaveColCount(), 5);
    EXPECT_EQ(g.SaveEndRow(), 9);
    g.SetSaveFixedCells(false);
    g.SetFixedRightCols(1);
    g.SetFixedFooters(1);
    EXPECT_EQ(g.SaveStartCol(), 1);
    EXPECT_EQ(g.SaveEndCol(), 3);
    EXPECT_EQ(g.SaveColCount(), 3);
    EXPECT_EQ(g.SaveStartRow(), 1);
    EXPECT_EQ(g.SaveEndRow(), 8);
    EXPECT_EQ(g.SaveRowCount(), 8);
    g.SetSaveFixedRows(true);
    EXPECT_EQ(g.SaveStartRow(), 0);
    EXPECT_EQ(g.SaveRowCount(), 10);
    EXPECT_EQ(g.SaveStartCol(), 1);
}

TEST(ExGridRanges, SizingBorderWithinFourPixels) {
    TExStringGrid g;
    g.resize(400, 250);
    plat::TGridOptions o = g.Options();
    o.include(plat::goColSizing);
    g.SetOptions(o);
    const plat::TRect header = g.CellRect(2, 0);
    const int y = (header.Top + header.Bottom) / 2;
    EXPECT_TRUE(g.IsOnSizingBorder(header.Right - 3, y));
    EXPECT_FALSE(g.IsOnSizingBorder(header.Right - 4, y));
    EXPECT_TRUE(g.IsOnSizingBorder(header.Left + 3, y));
    const plat::TRect body = g.CellRect(2, 4);
    EXPECT_FALSE(g.IsOnSizingBorder(body.Right - 1, (body.Top + body.Bottom) / 2)) << "below the first normal row";
    o.exclude(plat::goColSizing);
    g.SetOptions(o);
    EXPECT_FALSE(g.IsOnSizingBorder(header.Right - 1, y));
}

TEST(ExGridRanges, ScreenPointToCell) {
    TExStringGrid g;
    g.resize(400, 250);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    const plat::TRect r = g.CellRect(2, 3);
    int c = -2, row = -2;
    g.ScreenToCell(g.viewport()->mapToGlobal(QPoint(r.Left + 2, r.Top + 2)), c, row);
    EXPECT_EQ(c, 2);
    EXPECT_EQ(row, 3);
}

namespace {

// A grid whose row r holds "r<r>" in column 1 and has height 20 + r.
void numberRows(TExStringGrid& g, int rows) {
    g.SetRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        g.SetCells(1, r, QString("r%1").arg(r));
        g.SetRowHeights(r, 20 + r);
    }
}

}  // namespace

TEST(ExGridHiddenRows, TwoHiddenRowsMapBothWays) {
    TExStringGrid g;
    numberRows(g, 12);
    g.HideRows(5, 6);
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.TotalRowCount(), 12);
    EXPECT_EQ(g.NumHiddenRows(), 2);
    struct Case {
        const char* name;
        int got, expected;
    } cases[] = {
        {"RealRowIndex(4)", g.RealRowIndex(4), 4},
        {"RealRowIndex(5)", g.RealRowIndex(5), 7},
        {"RealRowIndex(9)", g.RealRowIndex(9), 11},
        {"DisplRowIndex(7)", g.DisplRowIndex(7), 5},
        {"DisplRowIndex(5): a hidden row's would-be place", g.DisplRowIndex(5), 5},
        {"DisplRowIndex(3)", g.DisplRowIndex(3), 3},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected) << c.name;
    EXPECT_TRUE(g.IsHiddenRow(6));
    EXPECT_FALSE(g.IsHiddenRow(7));
    EXPECT_EQ(g.Cells(1, 5), "r7");
    EXPECT_EQ(g.GetCellsEx(1, 6), "r6");
    EXPECT_EQ(g.GetCellsEx(1, 7), "r7");
    g.SetRow(5);
    EXPECT_EQ(g.RealRow(), 7);
}

TEST(ExGridHiddenRows, HidingARangeAroundAHiddenRowStoresEachRowWhole) {
    TExStringGrid g;
    numberRows(g, 10);
    g.GetCellProperties(2, 7)->SetBrushColor(0x00AA00);
    g.HideRow(6);
    g.HideRows(5, 7);
    EXPECT_EQ(g.RowCount(), 7);
    ASSERT_EQ(g.NumHiddenRows(), 3);
    for (int i = 0; i < 3; ++i) {
        const TGridItem& item = g.GridItems().Items(i);
        EXPECT_EQ(item.Idx, 5 + i);
        EXPECT_EQ(item.Height, 25 + i);
        EXPECT_EQ(item.Items().value(1), QString("r%1").arg(5 + i));
    }
    auto* props = dynamic_cast<TCellProperties*>(g.GridItems().Items(2).Record().Object(2));
    ASSERT_NE(props, nullptr);
    EXPECT_EQ(props->BrushColor(), 0x00AA00u);
    EXPECT_EQ(g.Cells(1, 5), "r8");
    EXPECT_EQ(g.RowHeights(5), 28);

    g.HideRows(5, 7);  // all hidden already
    EXPECT_EQ(g.RowCount(), 7);
    g.UnHideRow(8);  // visible: nothing
    EXPECT_EQ(g.RowCount(), 7);
    g.UnHideRows(4, 9);  // its first row is not hidden: nothing
    EXPECT_EQ(g.RowCount(), 7);

    g.UnHideRows(5, 7);
    EXPECT_EQ(g.RowCount(), 10);
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(g.Cells(1, r), QString("r%1").arg(r)) << r;
        EXPECT_EQ(g.RowHeights(r), 20 + r) << r;
    }
    ASSERT_TRUE(g.CellHasProperties(2, 7));
    EXPECT_EQ(g.GetCellProperties(2, 7)->BrushColor(), 0x00AA00u);
}

TEST(ExGridHiddenRows, UnHideAllRestoresRunsAtTheirPlacesAndHeights) {
    TExStringGrid g;
    numberRows(g, 10);
    g.HideRow(7);
    g.HideRows(2, 3);
    EXPECT_EQ(g.RowCount(), 7);
    EXPECT_EQ(g.Cells(1, 2), "r4");
    EXPECT_EQ(g.Cells(1, 4), "r6");
    EXPECT_EQ(g.Cells(1, 5), "r8");
    g.UnHideRowsAll();
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.NumHiddenRows(), 0);
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(g.Cells(1, r), QString("r%1").arg(r)) << r;
        EXPECT_EQ(g.RowHeights(r), 20 + r) << r;
    }
}

// Thousands of hidden rows, shown again in pieces and hidden again in another order, so the items'
// storage is reused out of order across many blocks: every row comes back whole, once.
TEST(ExGridHiddenRows, ManyRowsHiddenAndShownInPiecesComeBackWhole) {
    TExStringGrid g;
    constexpr int kRows = 2500;
    g.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r) {
        g.SetCells(1, r, QString("r%1").arg(r));
        if (r % 7 == 0) g.SetRowHeights(r, 30 + r % 5);
    }
    for (int round = 0; round < 3; ++round) {
        g.HideRows(1, kRows - 2);
        ASSERT_EQ(g.NumHiddenRows(), kRows - 2) << round;
        // Every fifth real row back, then the rest: the items freed first are the first reused.
        for (int r = 1 + round; r < kRows - 1; r += 5) g.UnHideRow(r);
        std::vector<int> list;
        for (int d = 1; d < g.RowCount() - 1; d += 2) list.push_back(d);
        g.HideRowList(list);
        g.UnHideRowList();
        g.SetFilterLevel(0);
        g.UnHideRowsAll();
        ASSERT_EQ(g.NumHiddenRows(), 0) << round;
        ASSERT_EQ(g.RowCount(), kRows) << round;
        for (int r = 0; r < kRows; ++r) {
            ASSERT_EQ(g.Cells(1, r), QString("r%1").arg(r)) << round << " row " << r;
            ASSERT_EQ(g.RowHeights(r), r % 7 == 0 ? 30 + r % 5 : g.DefaultRowHeight()) << round << " row " << r;
        }
    }
}

TEST(ExGridHiddenRows, UnHideRowComesBackBetweenItsNeighbours) {
    TExStringGrid g;
    numberRows(g, 8);
    g.HideRow(3);
    g.HideRow(5);
    g.UnHideRow(5);
    EXPECT_EQ(g.Cells(1, 3), "r4");
    EXPECT_EQ(g.Cells(1, 4), "r5");
    EXPECT_EQ(g.RowHeights(4), 25);
    EXPECT_EQ(g.RealRowIndex(4), 5);
    g.UnHideRow(3);
    EXPECT_EQ(g.Cells(1, 3), "r3");
    EXPECT_EQ(g.RowCount(), 8);
}

TEST(ExGridHiddenRows, RowsHiddenThroughTheRowRemovalComeBackAtTheirHeights) {
    TExStringGrid g;
    numberRows(g, 10);
    g.HideRowsEx(3, 4);
    EXPECT_EQ(g.RowCount(), 8);
    EXPECT_EQ(g.Cells(1, 3), "r5");
    g.HideRowsEx(3, 4);  // its first row is hidden already: nothing
    EXPECT_EQ(g.RowCount(), 8);
    g.UnHideRows(3, 4);
    for (int r = 2; r <= 5; ++r) {
        EXPECT_EQ(g.Cells(1, r), QString("r%1").arg(r));
        EXPECT_EQ(g.RowHeights(r), 20 + r) << "row " << r << " must not come back 0 px high";
    }
}

TEST(ExGridHiddenRows, FilterLevelComesOffAloneAndRowsHiddenOtherwiseStay) {
    TExStringGrid g;
    numberRows(g, 12);
    g.HideRows(4, 4);
    // Display rows 2, 6 and 9 are reals 2, 7 and 10.
    g.HideRowList({2, 6, 9});
    EXPECT_EQ(g.FilterLevel(), 1);
    EXPECT_EQ(g.RowCount(), 8);
    EXPECT_TRUE(g.IsHiddenRow(7));
    EXPECT_TRUE(g.IsHiddenRow(10));
    EXPECT_EQ(g.RealRowIndex(5), 8);
    // A second level on top.
    g.HideRowList({1});
    EXPECT_EQ(g.RowCount(), 7);

    g.UnHideRowList();  // the second level
    EXPECT_EQ(g.RowCount(), 8);
    EXPECT_EQ(g.Cells(1, 1), "r1");
    g.SetFilterLevel(1);
    g.UnHideRowList();  // the first level
    EXPECT_EQ(g.RowCount(), 11);
    EXPECT_TRUE(g.IsHiddenRow(4)) << "a row hidden on its own stays hidden";
    EXPECT_EQ(g.NumHiddenRows(), 1);
    for (int d = 0; d < 11; ++d) {
        const int r = g.RealRowIndex(d);
        EXPECT_EQ(g.Cells(1, d), QString("r%1").arg(r)) << d;
        EXPECT_EQ(g.RowHeights(d), 20 + r) << d;
    }
    g.UnHideRow(4);
    EXPECT_EQ(g.RowCount(), 12);
    EXPECT_EQ(g.Cells(1, 4), "r4");
}

TEST(ExGridHiddenRows, FooterRowStaysLastWhenAFilterLevelComesOff) {
    TExStringGrid g;
    numberRows(g, 10);
    g.SetCells(1, 9, "footer");
    g.FloatingFooter().SetVisible(true);
    g.HideRowList({2, 3, 5});
    EXPECT_EQ(g.Cells(1, g.RowCount() - 1), "footer");
    g.UnHideRowList();
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.Cells(1, 9), "footer");
    EXPECT_EQ(g.Cells(1, 5), "r5");
}

TEST(ExGridHiddenRows, CurrentRowFollowsItsRow) {
    TExStringGrid g;
    numberRows(g, 10);
    g.SetRow(6);
    g.HideRows(2, 3);
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.RealRow(), 6);
    g.UnHideRowsAll();
    EXPECT_EQ(g.Row(), 6);
}
