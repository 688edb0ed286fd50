// Row and column operations with their side structures, per-cell accessors, embedded controls,
// swaps, selection tests, column order and the unit's end.
#include "grid/ExGrid.h"
#include "grid/ExGridIO.h"
#include "platform/Keys.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QLabel>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Rows 0 .. n-1 with "r<row>" in column 0.
void fill(TExStringGrid& g, int n, int cols = 4) {
    g.SetColCount(cols);
    g.SetRowCount(n);
    for (int r = 0; r < n; ++r) g.SetCells(0, r, QString("r%1").arg(r));
}

QStringList column(TExStringGrid& g, int c) {
    QStringList out;
    for (int r = 0; r < g.RowCount(); ++r) out << g.Cells(c, r);
    return out;
}

int countChanges(TExStringGrid& g, const std::function<void()>& Act) {
    int n = 0;
    g.OnCellsChanged = [&n](QObject*, const plat::TGridRect&) { ++n; };
    Act();
    g.OnCellsChanged = nullptr;
    return n;
}

// A grid on screen (not shown to the user) so cells have places.
std::unique_ptr<TExStringGrid> shownGrid(int rows, int cols) {
    auto g = std::make_unique<TExStringGrid>();
    fill(*g, rows, cols);
    g->resize(400, 200);
    g->show();
    EXPECT_TRUE(testing_support::waitForWindowExposed(g.get()));
    return g;
}

QRect widened(TExStringGrid& g, int dc, int r) {
    const plat::TRect c = g.CellRect(dc, r);
    return QRect(c.Left - 1, c.Top - 1, c.Width() + 1, c.Bottom - c.Top + 1);
}

}  // namespace

// ---------------------------------------------------------------- row and column operations

struct RowOpCase {
    const char* name;
    std::function<void(TExStringGrid&)> run;
};

class ExGridRowOps : public testing::TestWithParam<RowOpCase> {};

TEST_P(ExGridRowOps, EdgeCase) {
    TExStringGrid g;
    GetParam().run(g);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExGridRowOps,
    testing::Values(
        RowOpCase{"RemovingTheCurrentLastRowLeavesTheCursorOnTheNewLastNormalRow",
                  [](TExStringGrid& g) {
                      fill(g, 7);
                      g.SetFixedFooters(1);
                      g.FocusCell(1, 5);
                      g.RemoveRows(5, 1);
                      EXPECT_EQ(g.RowCount(), 6);
                      EXPECT_EQ(g.Row(), 4);
                      EXPECT_EQ(g.Cells(0, 5), "r6") << "the footer row stays last";
                      EXPECT_FALSE(g.SelHidden());
                  }},
        RowOpCase{"RemovingEveryNormalRowHidesTheSelection",
                  [](TExStringGrid& g) {
                      fill(g, 4);
                      g.FocusCell(1, 2);
                      g.RemoveRows(1, 3);
                      EXPECT_EQ(g.RowCount(), 1);
                      EXPECT_TRUE(g.SelHidden());
                  }},
        RowOpCase{"RemovingTwoRowsAboveAHiddenRowLowersItsIndexByTwo",
                  [](TExStringGrid& g) {
                      fill(g, 8);
                      g.HideRow(6);
                      g.RemoveRows(1, 2);
                      ASSERT_EQ(g.GridItems().Count(), 1);
                      EXPECT_EQ(g.GridItems().Items(0).Idx, 4);
                      EXPECT_TRUE(g.IsHiddenRow(4));
                      EXPECT_EQ(g.GetCellsEx(0, 4), "r6");
                      g.UnHideRowsAll();
                      EXPECT_EQ(column(g, 0), (QStringList{"r0", "r3", "r4", "r5", "r6", "r7"}));
                  }},
        RowOpCase{"TheFastRemovalLowersHiddenIndexesAndKeepsHeightsByPlace",
                  [](TExStringGrid& g) {
                      fill(g, 8);
                      g.SetRowHeights(2, 40);
                      g.HideRow(6);
                      g.RemoveRowsEx(1, 2);
                      EXPECT_EQ(g.GridItems().Items(0).Idx, 4);
                      EXPECT_EQ(g.GetCellsEx(0, 4), "r6");
                      EXPECT_EQ(g.Cells(0, 1), "r3");
                      EXPECT_EQ(g.RowHeights(2), 40) << "heights stay with their places";
                  }},
        RowOpCase{"TheFastRemovalOutsideTheRowsChangesNothing",
                  [](TExStringGrid& g) {
                      fill(g, 5);
                      const int n = countChanges(g, [&] {
                          g.RemoveRowsEx(5, 1);
                          g.RemoveRowsEx(-1, 1);
                          g.RemoveRowsEx(2, 0);
                      });
                      EXPECT_EQ(n, 0);
                      EXPECT_EQ(column(g, 0), (QStringList{"r0", "r1", "r2", "r3", "r4"}));
                  }},
        RowOpCase{"InsertedRowsTakeFalseModifiedFlagsAndTheDefaultHeight",
                  [](TExStringGrid& g) {
                      fill(g, 6);
                      g.ShowModified().SetEnabled(true);
                      g.SetRowModified(2, true);
                      g.SetRowModified(4, true);
                      g.SetRowHeights(2, 40);
                      g.InsertRows(2, 3, true);
                      for (int r = 0; r < g.RowCount(); ++r)
                          EXPECT_EQ(g.GetRowModified(r), r == 5 || r == 7) << r;
                      EXPECT_EQ(g.RowHeights(5), 40) << "a moved row keeps its height";
                      for (int r = 2; r < 5; ++r) EXPECT_EQ(g.RowHeights(r), g.DefaultRowHeight()) << r;
                      EXPECT_EQ(g.Cells(0, 5), "r2");
                  }},
        RowOpCase{"EqualRunsMergeIntoTwoAndThreeRowBlocks",
                  [](TExStringGrid& g) {
                      fill(g, 6);
                      const QStringList texts{"x", "x", "y", "y", "y"};
                      for (int r = 1; r < 6; ++r) g.SetCells(2, r, texts[r - 1]);
                      g.MergeColumnCells(2, true);
                      EXPECT_EQ(g.CellSpan(2, 1).Y, 1);
                      EXPECT_EQ(g.CellSpan(2, 3).Y, 2);
                      EXPECT_EQ(g.BaseCell(2, 5).Y, 3);
                      EXPECT_EQ(g.MergeCount(), 2);
                  }},
        RowOpCase{"DifferentNeighboursMergeNothing",
                  [](TExStringGrid& g) {
                      fill(g, 3);
                      g.SetCells(2, 1, "x");
                      g.SetCells(2, 2, "y");
                      g.MergeColumnCells(2, true);
                      EXPECT_EQ(g.MergeCount(), 0);
                      EXPECT_FALSE(g.IsMergedCell(2, 1));
                  }},
        RowOpCase{"AWholeGridClearForgetsThePropertiesAPartialOneDoesNot",
                  [](TExStringGrid& g) {
                      fill(g, 4);
                      g.SetColors(1, 1, plat::clRed);
                      g.SetColors(2, 3, plat::clRed);
                      g.ClearRect(1, 1, 1, 1);
                      EXPECT_FALSE(g.CellHasProperties(1, 1));
                      EXPECT_TRUE(g.HasCellProps()) << "a partial clear keeps the record";
                      g.ClearRect(0, 0, g.ColCount() - 1, g.RowCount() - 1);
                      EXPECT_FALSE(g.HasCellProps());
                      EXPECT_FALSE(g.CellHasProperties(2, 3));
                      EXPECT_EQ(g.Cells(0, 2), "");
                  }},
        RowOpCase{"AnAbsentTextLeavesTheCellArguments",
                  [](TExStringGrid& g) {
                      fill(g, 4);
                      int c = 7, r = 9;
                      EXPECT_FALSE(g.IsCell("r9", c, r));
                      EXPECT_EQ(c, 7);
                      EXPECT_EQ(r, 9);
                      EXPECT_TRUE(g.IsCell("r2", c, r));
                      EXPECT_EQ(c, 0);
                      EXPECT_EQ(r, 2);
                      EXPECT_FALSE(g.IsCell("R2", c, r)) << "the match is exact";
                  }},
        RowOpCase{"TrimmingTakesControlCharactersFromBothEnds",
                  [](TExStringGrid& g) {
                      fill(g, 3);
                      g.SetCells(1, 1, QString("\x01 a b\t\r\n"));
                      g.SetCells(1, 2, "kept");
                      g.TrimColumn(1);
                      EXPECT_EQ(g.Cells(1, 1), "a b");
                      EXPECT_EQ(g.Cells(1, 2), "kept");
                  }},
        RowOpCase{"AddRowStaysBeforeAShownFooterRow",
                  [](TExStringGrid& g) {
                      fill(g, 4);
                      g.FloatingFooter().SetVisible(true);
                      g.SetCells(0, 3, "footer");
                      g.AddRow();
                      EXPECT_EQ(g.RowCount(), 5);
                      EXPECT_EQ(g.Cells(0, 4), "footer");
                      EXPECT_EQ(g.Cells(0, 3), "");
                  }}),
    [](const testing::TestParamInfo<RowOpCase>& info) { return std::string(info.param.name); });

TEST(ExGridRemoveDuplicates, CaseNeverMattersToTheLookUp) {
    for (const bool doCase : {false, true}) {
        TExStringGrid g;
        g.SetColCount(2);
        g.SetRowCount(4);
        g.SetCells(1, 1, "A");
        g.SetCells(1, 2, "a");
        g.SetCells(1, 3, "B");
        g.RemoveDuplicates(1, doCase);
        EXPECT_EQ(column(g, 1), (QStringList{"", "A", "B"})) << doCase;
    }
}

// Each path takes out rows 2 and 4 of r0..r9, with a modified mark on r8, r9 hidden and a
// control over (1, r7).
struct RemovalPath {
    const char* name;
    std::function<void(TExStringGrid&)> prepare, act;
};

class ExGridRemovalPaths : public testing::TestWithParam<RemovalPath> {};

TEST_P(ExGridRemovalPaths, KeepSideStructuresInStepWithOneNotice) {
    auto g = shownGrid(10, 4);
    g->ShowModified().SetEnabled(true);
    for (int r = 1; r < 10; ++r) g->SetCells(1, r, QString("k%1").arg(r));
    GetParam().prepare(*g);
    g->SetRowModified(8, true);
    QLabel control;
    g->SetCellControls(1, 7, &control);
    g->HideRow(9);
    const int notices = countChanges(*g, [&] { GetParam().act(*g); });
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(column(*g, 0), (QStringList{"r0", "r1", "r3", "r5", "r6", "r7", "r8"}));
    for (int r = 0; r < g->RowCount(); ++r) EXPECT_EQ(g->GetRowModified(r), r == 6) << r;
    ASSERT_EQ(g->GridItems().Count(), 1);
    EXPECT_EQ(g->GridItems().Items(0).Idx, 7);
    EXPECT_EQ(g->GetCellsEx(0, 7), "r9");
    ASSERT_EQ(g->ControlList().Count(), 1);
    EXPECT_EQ(g->ControlList().Control(0)->Y(), 5);
    EXPECT_EQ(g->CellControls(1, 5), &control);
    EXPECT_EQ(control.geometry(), widened(*g, 1, 5));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExGridRemovalPaths,
    testing::Values(
        RemovalPath{"Duplicates",
                    [](TExStringGrid& g) {
                        g.SetCells(1, 2, "K1");
                        g.SetCells(1, 4, "k1");
                    },
                    [](TExStringGrid& g) { g.RemoveDuplicates(1, true); }},
        RemovalPath{"CheckedRows",
                    [](TExStringGrid& g) {
                        g.AddCheckBoxColumn(3, false, false);
                        g.SetCheckBoxState(3, 2, true);
                        g.SetCheckBoxState(3, 4, true);
                    },
                    [](TExStringGrid& g) { g.RemoveCheckedRows(3, true); }},
        RemovalPath{"SelectedRows",
                    [](TExStringGrid& g) {
                        g.MouseActions().SetDisjunctRowSelect(true);
                        g.SetRowSelect(2, true);
                        g.SetRowSelect(4, true);
                    },
                    [](TExStringGrid& g) { g.RemoveSelectedRows(); }},
        RemovalPath{"UnselectedRows",
                    [](TExStringGrid& g) {
                        g.MouseActions().SetDisjunctRowSelect(true);
                        for (int r : {1, 3, 5, 6, 7, 8}) g.SetRowSelect(r, true);
                    },
                    [](TExStringGrid& g) { g.RemoveUnSelectedRows(); }}),
    [](const testing::TestParamInfo<RemovalPath>& info) { return std::string(info.param.name); });

TEST(ExGridRemovalPaths, HidingSelectedRowsKeepsMarksAndControlsWithTheirRows) {
    auto g = shownGrid(8, 4);
    g->ShowModified().SetEnabled(true);
    g->MouseActions().SetDisjunctRowSelect(true);
    g->SetRowModified(5, true);
    g->SetRowSelect(2, true);
    g->SetRowSelect(4, true);
    QLabel control;
    g->SetCellControls(1, 4, &control);
    const int notices = countChanges(*g, [&] { g->HideSelectedRows(); });
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(column(*g, 0), (QStringList{"r0", "r1", "r3", "r5", "r6", "r7"}));
    for (int r = 0; r < g->RowCount(); ++r) EXPECT_EQ(g->GetRowModified(r), r == 3) << r;
    EXPECT_FALSE(control.isVisible()) << "its row is hidden";
    EXPECT_EQ(g->ControlList().Control(0)->Y(), 4) << "the list keeps the real row";
    g->UnHideRowsAll();
    EXPECT_TRUE(control.isVisible());
    EXPECT_EQ(control.geometry(), widened(*g, 1, 4));
}

TEST(ExGridColumns, AHiddenColumnPushedPast511IsRefusedAndNothingChanges) {
    TExStringGrid g;
    g.SetColCount(600);
    g.SetRowCount(2);
    g.SetCells(510, 1, "a");
    g.SetCells(511, 1, "b");
    g.SetCells(512, 1, "c");
    g.HideColumn(511);
    const int count = g.ColCount();
    EXPECT_THROW(g.InsertCols(0, 1), EExGridError);
    EXPECT_EQ(g.ColCount(), count);
    EXPECT_EQ(g.NumHiddenColumns(), 1);
    EXPECT_TRUE(g.IsHiddenColumn(511));
    EXPECT_EQ(g.Cells(511, 1), "b");
    EXPECT_EQ(g.Cells(512, 1), "c");
    g.InsertCols(512, 1);  // beyond the hidden one: allowed
    EXPECT_EQ(g.Cells(513, 1), "c");
    EXPECT_TRUE(g.IsHiddenColumn(511));
}

TEST(ExGridColumns, SixHundredColumnsInsertAndRemoveAround512) {
    TExStringGrid g;
    g.SetColCount(600);
    g.SetRowCount(2);
    for (int c = 505; c < 520; ++c) g.SetCells(c, 1, QString::number(c));
    g.InsertCols(509, 5);
    EXPECT_EQ(g.ColCount(), 605);
    EXPECT_EQ(g.Cells(508, 1), "508");
    EXPECT_EQ(g.Cells(509, 1), "");
    EXPECT_EQ(g.Cells(514, 1), "509");
    g.RemoveCols(510, 4);
    EXPECT_EQ(g.ColCount(), 601);
    EXPECT_EQ(g.Cells(510, 1), "509");
    EXPECT_EQ(g.Cells(519, 1), "518");
    EXPECT_EQ(g.NumHiddenColumns(), 0);
}

// ---------------------------------------------------------------- cell controls

TEST(ExGridCellControls, AControlFollowsItsCell) {
    auto g = shownGrid(30, 5);
    QLabel control;
    g->SetCellControls(2, 5, &control);
    EXPECT_EQ(control.parentWidget(), g->viewport());
    EXPECT_EQ(control.geometry(), widened(*g, 2, 5)) << "one pixel wider to the left and top";
    EXPECT_TRUE(control.isVisible());

    g->RemoveRows(3, 2);
    EXPECT_EQ(g->CellControls(2, 3), &control);
    EXPECT_EQ(control.geometry(), widened(*g, 2, 3));

    g->HideColumn(1);
    EXPECT_EQ(control.geometry(), widened(*g, g->DisplColIndex(2), 3)) << "over its cell, now display column 1";
    EXPECT_EQ(g->DisplColIndex(2), 1);
    g->HideColumn(2);
    EXPECT_FALSE(control.isVisible());
    g->UnHideColumnsAll();
    EXPECT_TRUE(control.isVisible());

    g->SetTopRow(20);
    EXPECT_FALSE(control.isVisible()) << "scrolled out";
    g->SetTopRow(1);
    EXPECT_TRUE(control.isVisible());

    g->InsertRows(1, 2);
    EXPECT_EQ(g->CellControls(2, 5), &control);
    EXPECT_EQ(control.geometry(), widened(*g, 2, 5));
    g->MoveRow(5, 8);
    EXPECT_EQ(control.geometry(), widened(*g, 2, 8));
}

TEST(ExGridCellControls, DestroyedControlsLeaveTheListAndNilOnAnEmptyCellChangesNothing) {
    auto g = shownGrid(6, 4);
    auto* control = new QLabel;
    g->SetCellControls(1, 2, control);
    ASSERT_EQ(g->CellControlCount(), 1);
    delete control;
    EXPECT_EQ(g->CellControlCount(), 0);
    EXPECT_EQ(g->CellControls(1, 2), nullptr);

    g->SetCellControls(2, 3, nullptr);
    EXPECT_FALSE(g->CellHasProperties(2, 3));
    EXPECT_EQ(g->CellControlCount(), 0);
}

// ---------------------------------------------------------------- accessors

TEST(ExGridAccessors, ReadsCreateNothingButWordWraps) {
    TExStringGrid g;
    fill(g, 4);
    EXPECT_EQ(g.Colors(1, 1), plat::clNone);
    EXPECT_EQ(g.FontSizes(1, 1), 0);
    EXPECT_EQ(g.Alignments(1, 1), taLeftJustify);
    EXPECT_FALSE(g.CellHasProperties(1, 1));
    EXPECT_EQ(g.WordWraps(1, 1), g.GetCellProperties(1, 1)->WordWrap());
    EXPECT_TRUE(g.CellHasProperties(1, 1));

    g.SetCells(1, 2, "a\r\nb\r\nc");
    EXPECT_EQ(g.LinesInCell(1, 2), 3);
    EXPECT_EQ(g.LinesInCell(1, 3), 1);
}

TEST(ExGridAccessors, RowColourNoneDropsPropertiesButAGraphicCellsOrAMergedOnes) {
    TExStringGrid g;
    fill(g, 4, 5);
    g.SetRowColor(2, plat::clRed);
    g.SetAlignments(1, 2, taRightJustify);
    g.SetAlignments(2, 2, taRightJustify);
    g.AddCheckBox(2, 2, true, false);
    g.MergeCells(3, 2, 2, 1);
    g.SetRowColor(2, plat::clNone);
    EXPECT_FALSE(g.CellHasProperties(1, 2));
    EXPECT_EQ(g.Alignments(1, 2), taLeftJustify);
    ASSERT_TRUE(g.CellHasProperties(2, 2));
    EXPECT_EQ(g.Alignments(2, 2), taRightJustify);
    EXPECT_EQ(g.Colors(2, 2), plat::clNone);
    EXPECT_TRUE(g.IsChecked(2, 2)) << "the check box keeps its state";
    EXPECT_TRUE(g.IsMergedCell(3, 2));

    g.SetRowColorTo(2, plat::clBlue);
    g.SetRowColorTo(2, plat::clNone);
    EXPECT_TRUE(g.HasCheckBox(2, 2));
    g.SetRowFontColor(2, plat::clGreen);
    g.SetColors(1, 2, plat::clNone);
    g.SetColors(4, 2, plat::clYellow);
    g.SetRowFontColor(2, plat::clNone);
    EXPECT_FALSE(g.CellHasProperties(1, 2)) << "no background colour: the properties go";
    ASSERT_TRUE(g.CellHasProperties(4, 2));
    EXPECT_EQ(g.FontColors(4, 2), plat::clNone);
    EXPECT_EQ(g.Colors(4, 2), plat::clYellow);
}

TEST(ExGridAccessors, HiddenRowsAndColumnsKeepWhatIsWrittenUntilShown) {
    auto g = shownGrid(6, 4);
    g->HideRow(3);
    g->SetAllCells(2, 3, "aside");
    g->SetAllGridCells(3, 3, "raw");  // past the row's texts: the raw form does not grow them
    EXPECT_EQ(g->AllCells(2, 3), "aside");
    g->SetAllWideCells(1, 3, QStringLiteral("\u20AC"));
    EXPECT_EQ(g->AllWideCells(1, 3), QStringLiteral("\u20AC"));
    g->UnHideRow(3);
    EXPECT_EQ(g->Cells(2, 3), "aside");
    EXPECT_EQ(g->Cells(3, 3), "");
    EXPECT_EQ(g->WideCells(1, 3), QStringLiteral("\u20AC"));

    const int w1 = g->ColWidths(1), w2 = g->ColWidths(2);
    g->HideColumn(1);
    g->SetAllColWidths(1, 120);
    EXPECT_EQ(g->ColWidths(1), w2) << "the shown columns keep their widths";
    EXPECT_EQ(g->AllColWidths(1), 120);
    EXPECT_NE(w1, 120);
    g->UnHideColumn(1);
    EXPECT_EQ(g->ColWidths(1), 120);
}

// ---------------------------------------------------------------- swaps and selection

TEST(ExGridSwaps, SwappedColumnsTakeTheSortColumnAndTheirControls) {
    auto g = shownGrid(5, 5);
    for (int r = 0; r < 5; ++r) {
        g->SetCells(1, r, QString("a%1").arg(r));
        g->SetCells(3, r, QString("c%1").arg(r));
    }
    g->SetColWidths(1, 30);
    g->SortSettings().SetColumn(3);
    QLabel control;
    g->SetCellControls(3, 2, &control);
    g->SwapColumns(1, 3);
    EXPECT_EQ(g->SortSettings().Column(), 1);
    EXPECT_EQ(g->Cells(1, 2), "c2");
    EXPECT_EQ(g->Cells(3, 2), "a2");
    EXPECT_EQ(g->ColWidths(3), 30);
    EXPECT_EQ(g->CellControls(1, 2), &control);
    EXPECT_EQ(control.geometry(), widened(*g, 1, 2));

    g->SetRowHeights(1, 35);
    g->SwapRows(1, 2);
    EXPECT_EQ(g->Cells(1, 1), "c2");
    EXPECT_EQ(g->RowHeights(2), 35);
    EXPECT_EQ(control.geometry(), widened(*g, 1, 1));
    const QStringList before = column(*g, 1);
    g->SwapRows(3, 3);
    EXPECT_EQ(column(*g, 1), before);
    EXPECT_EQ(g->RowHeights(3), g->DefaultRowHeight());
}

TEST(ExGridSwaps, SortSwapsCarryCrossReferenceMarksAndTheSortedRow) {
    TExStringGrid g;
    fill(g, 5);
    g.ShowModified().SetEnabled(true);
    g.SetRowModified(1, true);
    g.SetLastSortRow(3);
    g.SortSwapRows(1, 3);
    EXPECT_EQ(g.SortSwapCount(), 1);
    EXPECT_EQ(g.Cells(0, 1), "r3");
    EXPECT_TRUE(g.GetRowModified(3));
    EXPECT_FALSE(g.GetRowModified(1));
    EXPECT_EQ(g.LastSortRow(), 1);

    g.SortSettings().SetSingleColumn(true);
    g.SortSettings().SetColumn(2);
    g.SetCells(2, 1, "x");
    g.SortSwapRows(1, 2);
    EXPECT_EQ(g.Cells(2, 2), "x");
    EXPECT_EQ(g.Cells(0, 1), "r3") << "only the sort column's cells move";
}

TEST(ExGridSelection, FixedCellsAreNeverSelectedAndCellsMatchByWholeColumn) {
    TExStringGrid g;
    fill(g, 5);
    g.SetSelection({0, 0, 3, 3});
    EXPECT_FALSE(g.IsSelected(0, 2)) << "a fixed cell inside the rectangle";
    EXPECT_FALSE(g.IsSelected(2, 0));
    EXPECT_TRUE(g.IsSelected(2, 2));
    EXPECT_FALSE(g.IsSelected(2, 4));

    TExStringGrid wide;
    wide.SetColCount(70001);
    wide.SetRowCount(3);
    wide.MouseActions().SetDisjunctCellSelect(true);
    wide.FocusCell(70000, 1);
    uint16_t key = plat::VK_SPACE;
    wide.GridKeyUp(key, {});
    EXPECT_TRUE(wide.IsSelected(70000, 1));
    EXPECT_FALSE(wide.IsSelected(70000 & 0xFFFF, 1)) << "column 4464 shares only the low bits";
}

// ---------------------------------------------------------------- column order

TEST(ExGridColumnOrder, HeadersPositionsAndTheReset) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    for (int c = 0; c < 4; ++c) g.SetCells(c, 0, QString("h%1").arg(c));
    g.SetCells(3, 0, "h1");
    EXPECT_EQ(g.ColumnByHeader("h9"), -1);
    EXPECT_EQ(g.ColumnByHeader("h1"), 1) << "the first of two";
    g.HideColumn(2);
    EXPECT_EQ(g.ColumnByHeader("h2"), 2) << "hidden columns count";
    g.UnHideColumnsAll();

    g.MoveColumn(0, 2);
    EXPECT_EQ(g.ColumnAtPosition(2), 0);
    EXPECT_EQ(g.ColumnPosition(0), 2);
    EXPECT_EQ(g.Cells(2, 0), "h0");
    g.ResetColumnOrder();
    EXPECT_EQ(g.Cells(0, 0), "h0");
    EXPECT_EQ(g.ColumnAtPosition(2), 2);
}

TEST(ExGridColumnOrder, GroupedColumnsAnswerOneMore) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(4);
    for (int r = 1; r < 4; ++r) g.SetCells(1, r, r < 3 ? "A" : "B");
    g.SetColumnOrder();
    g.SetGroupColumn(1);
    ASSERT_EQ(g.GroupColumn(), 1);
    EXPECT_EQ(g.ColumnAtPosition(0), 0);
    EXPECT_EQ(g.ColumnAtPosition(1), 2);
    EXPECT_EQ(g.ColumnAtPosition(2), 3);
    EXPECT_EQ(g.ColumnPosition(2), 1);
}

// ---------------------------------------------------------------- helpers of the unit

TEST(ExGridUnitEnd, TheMoveHookLeavesAndComesBack) {
    InstallGridMoveHook();
    ASSERT_TRUE(GridMoveHookInstalled());
    GridHintFontName() = "Tahoma";
    FinalizeGridUnit();
    EXPECT_FALSE(GridMoveHookInstalled());
    EXPECT_TRUE(GridHintFontName().isEmpty());
    InstallGridMoveHook();
    EXPECT_TRUE(GridMoveHookInstalled()) << "a later install is not refused";
}

TEST(ExGridItems, WritingItemsHandsTheRowOver) {
    TGridItem item;
    item.SetItems(QStringList{"a", "", "c"});
    EXPECT_EQ(item.Items(), (QStringList{"a", "", "c"}));
    item.SetItems(QStringList{"z"});
    EXPECT_EQ(item.Items(), QStringList{"z"});
}

TEST(ExGridNotifier, DescendantsSeeEveryChangedBlock) {
    struct Counting : TGridChangeNotifier {
        std::vector<plat::TGridRect> seen;
        void NotifyCellsChanged(const plat::TGridRect& R) override { seen.push_back(R); }
    } notifier;
    TExStringGrid g;
    fill(g, 5);
    g.RegisterNotifier(&notifier);
    g.RemoveRows(2, 1);
    ASSERT_EQ(notifier.seen.size(), 1u);
    EXPECT_EQ(notifier.seen[0].Top, 2);
}
