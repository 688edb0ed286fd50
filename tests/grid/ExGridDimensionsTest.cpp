// Dimensions with their rules, typed accessors, headers and the row and column marks.
#include "controls/ExUtil.h"
#include "grid/ExGrid.h"

#include "platform/Format.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EExGridError& e) {
        return e.message();
    }
    return QString();
}

}  // namespace

TEST(ExGridTyped, IntegersFromCellTexts) {
    TExStringGrid g;
    g.SetCells(1, 1, "");
    g.SetCells(1, 2, "-");
    g.SetCells(1, 3, "<b>12</b>");
    g.SetCells(1, 4, "12a");
    g.SetCells(1, 5, " -42 ");
    EXPECT_EQ(g.GetInts(1, 1), 0);
    EXPECT_EQ(g.GetInts(1, 2), 0);
    EXPECT_EQ(g.GetInts(1, 3), 12);
    EXPECT_EQ(g.GetInts(1, 5), -42);
    EXPECT_EQ(errorOf([&] { g.GetInts(1, 4); }), "Cell does not contain integer value");
    EXPECT_EQ(errorOf([&] { g.GetAllInts(1, 3); }), "Cell does not contain integer value")
        << "the All form keeps the tags";
    g.SetInts(2, 2, -7);
    EXPECT_EQ(g.Cells(2, 2), "-7");
}

TEST(ExGridTyped, FloatsFromFormattedTextsUnderEitherSeparator) {
    struct Case {
        const char* name;
        QChar decimal, thousand;
        const char* text;
    } cases[] = {
        {"point decimal", u'.', u',', "(1,234.5)"},
        {"comma decimal", u',', u'.', "(1.234,5)"},
    };
    for (const Case& c : cases) {
        plat::FormatSettings fs;
        fs.decimalSeparator = c.decimal;
        fs.thousandSeparator = c.thousand;
        plat::setFormatSettingsOverride(fs);
        TExStringGrid g;
        g.SetCells(1, 1, c.text);
        EXPECT_DOUBLE_EQ(g.GetFloats(1, 1), -1234.5) << c.name;
        g.SetCells(1, 2, "abc");
        EXPECT_EQ(errorOf([&] { g.GetFloats(1, 2); }), "Cell does not contain a float value") << c.name;
    }
    plat::setFormatSettingsOverride(plat::FormatSettings{});
}

TEST(ExGridTyped, AllFormsReachHiddenRows) {
    TExStringGrid g;
    g.SetCells(1, 4, "5");
    g.HideRow(4);
    EXPECT_EQ(g.GetAllInts(1, 4), 5);
    g.SetAllInts(1, 4, 9);
    g.SetAllInts(2, 4, 3);  // a column the hidden row never had
    EXPECT_EQ(g.GetAllInts(1, 4), 9);
    g.UnHideRow(4);
    EXPECT_EQ(g.Cells(1, 4), "9");
    EXPECT_EQ(g.Cells(2, 4), "3");
    g.SetObjects(2, 6, 77);
    g.HideRow(6);
    EXPECT_EQ(g.GetCellObjectReal(2, 6), 77u);
    EXPECT_EQ(g.GetCellObjectReal(2, 7), 0u);
    g.SetCells(2, 1, "<i>x</i>");
    EXPECT_EQ(g.GetStrippedCell(2, 1), "x");
    EXPECT_EQ(errorOf([&] { g.GetPrintColWidth(512); }), "Columns is not in valid range");
    EXPECT_EQ(g.GetPrintColOffset(0), 0);
}

TEST(ExGridDimensions, FixedRowAlwaysKeepsOneNormalRowAndBringsTheAskedRowsBack) {
    TExStringGrid g;
    g.SetFixedRowAlways(true);
    g.SetRowCount(2);
    g.SetFixedRows(3);
    EXPECT_EQ(g.FixedRows(), 1);
    g.SetRowCount(10);
    EXPECT_EQ(g.FixedRows(), 3);
    g.SetFixedRows(0);
    EXPECT_EQ(g.FixedRows(), 1);

    TExStringGrid c;
    c.SetFixedColAlways(true);
    c.SetColCount(2);
    c.SetFixedCols(2);
    EXPECT_EQ(c.FixedCols(), 1);
    c.SetColCount(6);
    EXPECT_EQ(c.FixedCols(), 2);
}

TEST(ExGridDimensions, FixedSizesAndTheFooterRow) {
    TExStringGrid g;
    g.SetColWidths(0, 90);
    g.SetFixedColWidth(g.DefaultColWidth());
    EXPECT_EQ(g.ColWidths(0), 90) << "the default width changes nothing";
    g.SetFixedColWidth(40);
    EXPECT_EQ(g.ColWidths(0), 40);
    g.SetFixedRowHeight(30);
    EXPECT_EQ(g.RowHeights(0), 30);
    EXPECT_EQ(g.RowHeights(1), 22);

    g.SetCells(1, 9, "sum");
    g.FloatingFooter().SetVisible(true);
    g.SetRowCount(15);
    EXPECT_EQ(g.Cells(1, 14), "sum");
    EXPECT_EQ(g.Cells(1, 9), "");
    g.SetRowCount(5);
    EXPECT_EQ(g.Cells(1, 4), "sum");
}

TEST(ExGridHeaders, OnlyExistingColumnsAndLineBreaks) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetCells(2, 0, "old");
    g.SetColumnHeaders({"#", "Two\\nlines", "C", "beyond"});
    EXPECT_EQ(g.Cells(1, 0), "Two\rlines");
    EXPECT_EQ(g.Cells(2, 0), "C");
    g.SetColumnHeaders({"only"});
    EXPECT_EQ(g.Cells(1, 0), "") << "the header row is cleared first";
    g.SetRowHeaders({"", "first"});
    EXPECT_EQ(g.Cells(0, 1), "first");
}

TEST(ExGridSelection, RowsSelectedWithAndWithoutDisjunctSelection) {
    TExStringGrid g;
    g.SetRowCount(8);
    g.SelectRows(5, 10);
    EXPECT_EQ(g.Selection(), (plat::TGridRect{1, 5, 4, 7}));
    EXPECT_EQ(g.RowSelectCount(), 3);
    EXPECT_TRUE(g.GetRowSelect(6));
    EXPECT_FALSE(g.GetRowSelect(4));
    EXPECT_EQ(errorOf([&] { g.GetRowSelect(8); }), "Invalid row 8 accessed");

    g.MouseActions().SetDisjunctRowSelect(true);
    int asked = 0;
    g.OnRowDisjunctSelect = [&](QObject*, int row, bool, bool& allow) {
        ++asked;
        allow = row != 3;
    };
    g.SelectRows(2, 2);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(g.GetRowSelect(2));
    EXPECT_FALSE(g.GetRowSelect(3)) << "vetoed";
    EXPECT_EQ(g.RowSelectCount(), 1);
    EXPECT_EQ(g.SelectedRowCount(), 1);
    g.UnSelectRows(2, 1);
    EXPECT_EQ(g.RowSelectCount(), 0);
    EXPECT_EQ(errorOf([&] { g.SetRowSelect(20, true); }), "Invalid row accessed");

    // With no normal rows (one row, read as fixed) the flags grow instead.
    TExStringGrid f;
    f.SetFixedRowAlways(true);
    f.SetRowCount(1);
    ASSERT_EQ(f.FixedRows(), f.RowCount());
    EXPECT_EQ(errorOf([&] { f.SetRowSelect(5, true); }), "");
}

TEST(ExGridSelection, ColumnsAndRanges) {
    TExStringGrid g;
    EXPECT_EQ(errorOf([&] { g.GetColSelect(5); }), "Invalid column accessed");
    g.MouseActions().SetDisjunctColSelect(true);
    g.SelectCols(2, 5);
    EXPECT_EQ(g.ColSelectCount(), 3);
    g.ClearColSelect();
    EXPECT_EQ(g.ColSelectCount(), 0);
    g.SelectRange(1, 3, 2, 4);
    EXPECT_EQ(g.Selection(), (plat::TGridRect{1, 2, 3, 4}));
    EXPECT_EQ(g.Row(), 4);
    g.SetCells(1, 1, "a");
    g.SetCells(2, 2, "b");
    g.GetCellProperties(1, 1)->SetBrushColor(0x0000FF);
    g.SwapCells({1, 1}, {2, 2});
    EXPECT_EQ(g.Cells(1, 1), "b");
    EXPECT_EQ(g.Cells(2, 2), "a");
    EXPECT_FALSE(g.CellHasProperties(1, 1));
    ASSERT_TRUE(g.CellHasProperties(2, 2));
    EXPECT_EQ(g.GetCellProperties(2, 2)->BrushColor(), 0x0000FFu);
}

TEST(ExGridRowMarks, ModifiedAndEnabledRows) {
    TExStringGrid g;
    g.SetRowModified(4, true);
    g.SetRowModified(6, true);
    g.SetRowModified(4, false);
    EXPECT_EQ(g.ModifiedRowCount(), 1);
    EXPECT_TRUE(g.GetRowModified(6));
    EXPECT_FALSE(g.GetRowModified(40));

    g.SetRow(3);
    g.SetRowEnabled(3, false);
    EXPECT_FALSE(g.GetRowEnabled(3));
    EXPECT_EQ(g.Row(), 1) << "the cursor leaves the row";
    g.SetRowEnabled(2, false);
    g.SetRow(1);
    g.SetRowEnabled(1, true);
    EXPECT_EQ(g.Row(), 4) << "it leaves also when the row is enabled";
    EXPECT_TRUE(g.GetRowEnabled(100));
}

TEST(ExGridTyped, FloatsWrittenThroughTheCheckedFormatter) {
    struct Case {
        const char* format;
        QChar decimal;
        double value;
        const char* expected;
    } cases[] = {
        {"%.2f", u'.', 2.5, "2.50"},
        {"%.2f", u',', 2.5, "2,50"},
        {"%.2n", u'.', 1234.5, "1,234.50"},
    };
    for (const Case& c : cases) {
        plat::FormatSettings fs;
        fs.decimalSeparator = c.decimal;
        fs.thousandSeparator = c.decimal == u'.' ? u',' : u'.';
        plat::setFormatSettingsOverride(fs);
        TExStringGrid g;
        g.SetFloatFormat(c.format);
        g.SetFloats(1, 1, c.value);
        EXPECT_EQ(g.Cells(1, 1), c.expected) << c.format;
    }
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    for (const char* bad : {"%s", "%d"}) {
        TExStringGrid g;
        g.SetCells(1, 1, "kept");
        g.SetFloatFormat(bad);
        EXPECT_THROW(g.SetFloats(1, 1, 2.5), plat::EFormatError) << bad;
        EXPECT_EQ(g.Cells(1, 1), "kept");
    }
}

TEST(ExGridNavigation, RowChangesReportedAndTopRowRange) {
    TExStringGrid g;
    std::vector<std::pair<int, int>> changes;
    g.SetRow(2);  // not reported: no handler yet
    g.OnRowChanged = [&](QObject*, int from, int to) { changes.push_back({from, to}); };
    g.SetRow(4);
    g.SetRow(4);
    g.SetRow(6);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0], std::make_pair(-1, 4));
    EXPECT_EQ(changes[1], std::make_pair(4, 6));

    g.SetRowCount(100);
    g.resize(300, 200);
    g.SetTopRow(0);
    EXPECT_EQ(g.TopRow(), 1);
    g.SetTopRow(100);
    EXPECT_EQ(g.TopRow(), 1);
    g.SetTopRow(20);
    EXPECT_EQ(g.TopRow(), 20);
}

TEST(ExGridTyped, DatesAndTimesInTheLocaleForms) {
    plat::FormatSettings fs;
    fs.shortDateFormat = QStringLiteral("dd/MM/yyyy");
    fs.dateSeparator = u'/';
    fs.longTimeFormat = QStringLiteral("hh:mm:ss");
    plat::setFormatSettingsOverride(fs);
    TExStringGrid g;
    g.SetDates(1, 1, 0);
    EXPECT_EQ(g.Cells(1, 1), "30/12/1899") << "day 0 while null dates show";
    g.SetShowNullDates(false);
    g.SetDates(1, 1, 0);
    EXPECT_EQ(g.Cells(1, 1), "");
    g.SetDates(1, 2, 45000.75);  // 15 March 2023, evening
    EXPECT_EQ(g.Cells(1, 2), "15/03/2023");
    EXPECT_DOUBLE_EQ(g.GetDates(1, 2), 45000);
    g.SetTimes(1, 3, 45000.75);
    EXPECT_EQ(g.Cells(1, 3), "18:00:00");
    EXPECT_DOUBLE_EQ(g.GetTimes(1, 3), 0.75);
    g.SetCells(1, 4, "no date");
    EXPECT_THROW(g.GetDates(1, 4), EConvertError);
    EXPECT_THROW(g.GetTimes(1, 4), EConvertError);
    plat::setFormatSettingsOverride(plat::FormatSettings{});
}

TEST(ExGridSelection, MarksFollowTheSelection) {
    TExStringGrid g;
    g.MouseActions().SetDisjunctRowSelect(true);
    g.SetRowSelect(8, true);
    g.SetSelection({1, 3, 2, 5});
    g.SyncRowSelectWithSelection(false);
    EXPECT_EQ(g.RowSelectCount(), 4) << "rows 3-5 added, row 8 kept";
    g.SyncRowSelectWithSelection(true);
    EXPECT_EQ(g.RowSelectCount(), 3);
    EXPECT_FALSE(g.GetRowSelect(8));
    g.MouseActions().SetDisjunctColSelect(true);
    g.SyncColSelectWithSelection(true);
    EXPECT_EQ(g.ColSelectCount(), 2);
}
