// Highlighting and marking in cell ranges, the cell checker and the fills.
#include "controls/ExStringGridCheck.h"
#include "grid/ExGrid.h"
#include "platform/Format.h"

#include <gtest/gtest.h>

TEST(ExGridTags, HighlightWrapsEveryOccurrenceAndUntaggingGivesTheTextBack) {
    TExStringGrid g;
    g.SetCells(1, 1, "Cab, ab");
    g.HilightInCell(false, 1, 1, "ab");
    EXPECT_EQ(g.Cells(1, 1), "C<hi>ab</hi>, <hi>ab</hi>");
    g.UnHilightInCell(1, 1);
    EXPECT_EQ(g.Cells(1, 1), "Cab, ab");

    g.SetCells(1, 1, "a<b");
    g.MarkInCell(true, 1, 1, "b");
    EXPECT_EQ(g.Cells(1, 1), "a&lt;<e>b</e>");
    g.UnMarkInCell(1, 1);
    EXPECT_EQ(g.Cells(1, 1), "a<b");

    EXPECT_EQ(TExStringGrid::HilightText(true, "xAx", "a"), "xAx");
    EXPECT_EQ(TExStringGrid::UnMarkText("<E>x</e>"), "x");
}

TEST(ExGridTags, GridRangesAndHiddenColumns) {
    TExStringGrid g;
    g.SetColCount(6);
    g.SetRowCount(3);
    for (int c = 0; c < 6; ++c)
        for (int r = 0; r < 3; ++r) g.SetCells(c, r, "x");
    g.HideColumns(1, 2);
    ASSERT_EQ(g.ColCount(), 4);
    g.HilightInGrid(false, true, "x");
    EXPECT_EQ(g.Cells(5, 1), "<hi>x</hi>") << "the last real column is reached";
    EXPECT_EQ(g.Cells(0, 1), "x");
    EXPECT_EQ(g.Cells(5, 0), "x") << "fixed row untouched";
    g.UnHilightInGrid(false);
    EXPECT_EQ(g.Cells(5, 1), "x");

    g.MarkInGrid(false, true, "x");
    EXPECT_EQ(g.Cells(3, 1), "<e>x</e>");
    EXPECT_EQ(g.Cells(5, 1), "x") << "marking stops at the display count";
    EXPECT_EQ(g.Cells(4, 1), "x");

    g.HilightInRow(false, true, 2, "x");
    EXPECT_EQ(g.Cells(4, 2), "x");
    g.SetCells(5, 2, "<hi>x</hi>");
    g.UnHilightInRow(false, 2);
    EXPECT_EQ(g.Cells(5, 2), "x") << "untagging a row goes on over the hidden count";

    g.HilightInCol(true, true, 3, "x");
    EXPECT_EQ(g.Cells(3, 0), "<hi>x</hi>");
    g.HilightInCell(true, 40, 40, "x");  // outside: nothing
}

namespace {
class Upper : public TExStringGridCheck {
public:
    QString Correct(int32_t, int32_t, const QString& s) override { return s.toUpper(); }
    int starts = 0, stops = 0;
    void StartCheck() override { ++starts; }
    void StopCheck() override { ++stops; }
};
}  // namespace

TEST(ExGridChecks, WithoutCheckerNothingAndTheBaseCheckerRemovesMarks) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetCells(1, 1, "a<e>b</e>");
    g.SetCells(2, 2, "<E>c</E>");
    EXPECT_TRUE(g.CheckGrid(false));
    EXPECT_EQ(g.Cells(1, 1), "a<e>b</e>");

    TExStringGridCheck base;
    base.UseCorrect = true;
    g.SetCellChecker(&base);
    EXPECT_TRUE(g.CheckGrid(false));
    EXPECT_EQ(g.Cells(1, 1), "ab");
    EXPECT_EQ(g.Cells(2, 2), "c");

    Upper upper;
    upper.UseCorrect = true;
    upper.GotoCell = true;
    g.SetCellChecker(&upper);
    g.FocusCell(1, 2);
    EXPECT_FALSE(g.CheckGrid(false)) << "a correction answers false, and every cell is still checked";
    EXPECT_EQ(g.Cells(1, 1), "AB");
    EXPECT_EQ(g.Cells(2, 2), "C");
    EXPECT_EQ(upper.starts, 1);
    EXPECT_EQ(upper.stops, 1);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 2) << "the cursor comes back";
    g.SetCellChecker(nullptr);
}

TEST(ExGridFills, LinearRandomTextAndFormat) {
    TExStringGrid g;
    g.SetColCount(5);
    g.SetRowCount(10);
    int loaded = 0;
    struct Counting : TExStringGrid {
        int* n;
        void CellsLoaded() override { ++*n; }
    };
    g.LinearFill(false);
    EXPECT_EQ(g.Cells(1, 1), "1:1");
    EXPECT_EQ(g.Cells(4, 9), "4:9");
    EXPECT_EQ(g.Cells(0, 0), "");

    g.RandomFill(false, 1);
    for (int r = 1; r < 10; ++r)
        for (int c = 1; c < 5; ++c) ASSERT_EQ(g.Cells(c, r), "0");
    g.RandomFill(false, 0);
    EXPECT_EQ(g.Cells(2, 2), "0");
    g.RandomGenerator().seed(7);
    g.RandomFill(true, 1000);
    const QString first = g.Cells(0, 0);
    g.RandomGenerator().seed(7);
    g.RandomFill(true, 1000);
    EXPECT_EQ(g.Cells(0, 0), first) << "a seeded generator repeats";

    g.FormatFill(false, "%d-%d");
    EXPECT_EQ(g.Cells(1, 1), "1-1");
    EXPECT_EQ(g.Cells(3, 7), "3-7");
    g.FormatFill(false, "%d");
    EXPECT_EQ(g.Cells(3, 7), "3");
    EXPECT_THROW(g.FormatFill(false, "%s"), plat::EFormatError);
    EXPECT_EQ(g.Cells(3, 7), "3") << "no cell written";

    g.TextFill(true, "t");
    EXPECT_EQ(g.Cells(0, 0), "t");

    Counting h;
    h.n = &loaded;
    h.TextFill(false, "x");
    h.LinearFill(false);
    EXPECT_EQ(loaded, 2);
}
