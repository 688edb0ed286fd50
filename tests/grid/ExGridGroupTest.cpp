// Moving rows and columns, columns in and out, the column order, bringing a cell into view, the
// hidden selection; grouping and ungrouping, the group calculations, the column statistics and the
// plain sort.
#include "grid/ExGrid.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <string>
#include <vector>

namespace {

QStringList column(TExStringGrid& g, int c) {
    QStringList out;
    for (int r = 0; r < g.RowCount(); ++r) out << g.Cells(c, r);
    return out;
}

// One fixed row, columns 0..3: row r holds "k<r>" in column 1, the group value in column 2 and a
// number in column 3.
void table(TExStringGrid& g, const QStringList& groups, const QList<int>& numbers) {
    g.SetColCount(4);
    g.SetRowCount(1 + int(groups.size()));
    g.SetCells(1, 0, "Key");
    g.SetCells(2, 0, "Group");
    g.SetCells(3, 0, "Value");
    for (int i = 0; i < groups.size(); ++i) {
        g.SetCells(1, i + 1, QString("k%1").arg(i));
        g.SetCells(2, i + 1, groups[i]);
        g.SetCells(3, i + 1, QString::number(numbers.value(i)));
    }
}

}  // namespace

TEST(ExGridGroup, GroupMakesHeadersAndUnGroupRestoresTheColumn) {
    TExStringGrid g;
    table(g, {"A", "A", "B"}, {1, 2, 3});
    g.SetColWidths(2, 77);
    g.Group(2);
    EXPECT_EQ(g.GroupColumn(), 2);
    EXPECT_EQ(g.ColCount(), 3);
    ASSERT_EQ(g.RowCount(), 6);
    EXPECT_EQ(column(g, 1), (QStringList{"Key", "A", "k0", "k1", "B", "k2"}));
    EXPECT_EQ(column(g, 2), (QStringList{"Value", "", "1", "2", "", "3"})) << "column 2 is gone";
    EXPECT_TRUE(g.IsNode(1));
    EXPECT_EQ(g.GetNodeSpan(1), 3) << "the header and its two children";
    EXPECT_TRUE(g.IsNode(4));
    EXPECT_EQ(g.GetNodeSpan(4), 2);
    EXPECT_FALSE(g.IsNode(2));

    g.UnGroup();
    EXPECT_EQ(g.GroupColumn(), -1);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.RowCount(), 4);
    EXPECT_EQ(g.NodeCount(), 0);
    EXPECT_EQ(g.ColWidths(2), 77);
    EXPECT_EQ(column(g, 1), (QStringList{"Key", "k0", "k1", "k2"}));
    EXPECT_EQ(column(g, 2), (QStringList{"Group", "A", "A", "B"}));
    EXPECT_EQ(column(g, 3), (QStringList{"Value", "1", "2", "3"}));
}

TEST(ExGridGroup, GroupSortsFirstAndGroupsOnColumnOneWriteIntoColumnTwo) {
    TExStringGrid g;
    table(g, {"B", "A", "B"}, {1, 2, 3});
    g.Group(1);  // the keys: every row a group of its own, the header text in column 2
    EXPECT_EQ(g.RowCount(), 7);
    EXPECT_EQ(g.Cells(1, 1), "k0") << "column 1 went, the header text moved left with column 2";
    g.UnGroup();
    EXPECT_EQ(column(g, 1), (QStringList{"Key", "k0", "k1", "k2"}));

    TExStringGrid h;
    table(h, {"B", "A", "B"}, {1, 2, 3});
    h.Group(2);
    EXPECT_EQ(column(h, 1), (QStringList{"Key", "A", "k1", "B", "k0", "k2"})) << "sorted stably by the group";
}

TEST(ExGridGroup, SummaryRowsFollowEveryGroupAndTheCalculationsFillThem) {
    TExStringGrid g;
    g.Grouping().SetSummary(true);
    table(g, {"A", "A", "A", "B"}, {1, 2, 4, 10});
    g.Group(2);
    // header A, 3 children, summary, header B, 1 child, summary
    ASSERT_EQ(g.RowCount(), 1 + 5 + 3);
    for (int r : {5, 8}) EXPECT_TRUE(g.IsSummary(r)) << r;
    EXPECT_TRUE(g.IsNode(1));
    EXPECT_TRUE(g.IsNode(6));
    EXPECT_EQ(g.GetNodeSpan(1), 4);

    g.GroupSum(2);
    EXPECT_EQ(g.Cells(2, 5), "7.00");
    EXPECT_EQ(g.Cells(2, 8), "10.00");
    g.GroupCount(1);
    EXPECT_EQ(g.Cells(1, 5), "3");
    EXPECT_EQ(g.Cells(1, 8), "1");
    g.GroupMax(2);
    EXPECT_EQ(g.Cells(2, 5), "4.00");
    g.GroupCalc(2, 9);
    EXPECT_EQ(g.Cells(2, 5), "4.00") << "a method outside 1..8 writes nothing";
    g.OnGroupCalc = [](QObject*, int32_t, int32_t From, int32_t To, double& Res) { Res = To - From + 100; };
    g.GroupCustomCalc(2);
    EXPECT_EQ(g.Cells(2, 5), "102.00");

    g.UnGroup();
    EXPECT_EQ(g.RowCount(), 5);
    EXPECT_EQ(column(g, 2), (QStringList{"Group", "A", "A", "A", "B"}));
}

// Header and summary rows go in among the sorted rows in one pass: every row's kind, level and
// texts, with and without summary rows and with a footer row that stays last.
TEST(ExGridGroup, GroupLaysOutHeadersChildrenSummariesAndTheFooter) {
    struct Case {
        const char* name;
        bool summary;
        int footers;
        QStringList col1;  // after grouping on column 2; "#" marks a summary row, "=" the footer
    };
    const QStringList children = {"A", "k1", "k4", "B", "k0", "k2", "C", "k3"};
    const Case cases[] = {
        {"plain", false, 0, QStringList{"Key"} + children},
        {"summaries", true, 0, {"Key", "A", "k1", "k4", "#", "B", "k0", "k2", "#", "C", "k3", "#"}},
        {"footer", false, 1, QStringList{"Key"} + children + QStringList{"="}},
        {"summaries and footer", true, 1, {"Key", "A", "k1", "k4", "#", "B", "k0", "k2", "#", "C", "k3", "#", "="}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TExStringGrid g;
        g.Grouping().SetSummary(c.summary);
        QStringList groups = {"B", "A", "B", "C", "A"};
        if (c.footers) groups << "foot";
        table(g, groups, {1, 2, 3, 4, 5, 6});
        if (c.footers) g.SetCells(1, g.RowCount() - 1, "=");
        g.SetFixedFooters(c.footers);
        g.Group(2);
        ASSERT_EQ(g.RowCount(), int(c.col1.size()));
        for (int r = 1; r < g.RowCount(); ++r) {
            const QString& want = c.col1[r];
            const bool header = want.size() == 1 && want[0].isUpper(), summaryRow = want == "#", footer = want == "=";
            EXPECT_EQ(g.IsNode(r), header) << r;
            EXPECT_EQ(g.IsSummary(r), summaryRow) << r;
            EXPECT_EQ(g.Cells(1, r), summaryRow ? QString() : want) << r;
            const int level = g.CellHasProperties(0, r) ? g.GridObjects(0, r)->NodeLevel() : 0;
            EXPECT_EQ(level, summaryRow || footer ? 0 : 1) << r;
            if (!header && !summaryRow && !footer)
                EXPECT_EQ(g.Cells(2, r), QString::number(want.mid(1).toInt() + 1)) << "a child keeps its value, " << r;
        }
        g.UnGroup();
        EXPECT_EQ(g.RowCount(), 1 + int(groups.size()));
        EXPECT_EQ(g.NodeCount(), 0);
        EXPECT_EQ(column(g, 2).mid(1, 5), (QStringList{"A", "A", "B", "B", "C"}));
        for (int r = 1; r < g.RowCount(); ++r) {
            const int level = g.CellHasProperties(0, r) ? g.GridObjects(0, r)->NodeLevel() : 0;
            EXPECT_EQ(level, 0) << r;
        }
        if (c.footers) EXPECT_EQ(g.Cells(1, g.RowCount() - 1), "=");
    }
}

TEST(ExGridGroup, WithoutSummaryTheHeaderTakesTheResult) {
    TExStringGrid g;
    table(g, {"A", "A", "B"}, {1, 2, 3});
    g.Group(2);
    g.GroupCount(2);
    EXPECT_EQ(g.Cells(2, 1), "2");
    EXPECT_EQ(g.Cells(2, 4), "1");
}

TEST(ExGridGroup, GroupColumnWritesGroupOrUngroupAndZeroDoesNothing) {
    TExStringGrid g;
    table(g, {"A", "B"}, {1, 2});
    g.SetGroupColumn(0);
    EXPECT_EQ(g.GroupColumn(), -1);
    EXPECT_EQ(g.RowCount(), 3);
    g.SetGroupColumn(2);
    EXPECT_EQ(g.GroupColumn(), 2);
    EXPECT_EQ(g.RowCount(), 5);
    g.SetGroupColumn(0);
    EXPECT_EQ(g.GroupColumn(), 2) << "0 does not ungroup either";
    EXPECT_EQ(g.RowCount(), 5);
    g.SetGroupColumn(-1);
    EXPECT_EQ(g.GroupColumn(), -1);
    EXPECT_EQ(g.RowCount(), 3);

    // Without fixed columns a grid grouped on column 0 stays grouped.
    TExStringGrid z;
    table(z, {"A", "B"}, {1, 2});
    z.SetFixedCols(0);
    z.Group(0);
    EXPECT_EQ(z.GroupColumn(), 0);
    z.UnGroup();
    EXPECT_EQ(z.GroupColumn(), 0);
}

TEST(ExGridGroup, HeaderColoursAndMergedHeaders) {
    TExStringGrid g;
    g.Grouping().SetHeaderColor(plat::clYellow);
    table(g, {"A", "B"}, {1, 2});
    g.Group(2);
    ASSERT_TRUE(g.CellHasProperties(1, 1));
    EXPECT_EQ(g.GridObjects(1, 1)->BrushColor(), plat::clYellow);
    EXPECT_FALSE(g.CellHasProperties(1, 2) && g.GridObjects(1, 2)->BrushColor() == plat::clYellow);

    TExStringGrid m;
    m.Grouping().SetMergeHeader(true);
    table(m, {"A", "B"}, {1, 2});
    m.Group(2);
    EXPECT_TRUE(m.IsBaseCell(1, 1));
    EXPECT_TRUE(m.IsMergedCell(2, 1));
    EXPECT_FALSE(m.IsMergedCell(1, 2));
}

TEST(ExGridGroup, ColumnStatistics) {
    TExStringGrid g;
    g.SetColCount(2);
    g.SetRowCount(6);
    const QStringList v = {"1", "2", "x", "4", ""};
    for (int i = 0; i < v.size(); ++i) g.SetCells(1, i + 1, v[i]);
    EXPECT_DOUBLE_EQ(g.ColumnSum(1, -1, -1), 7);
    EXPECT_DOUBLE_EQ(g.ColumnAvg(1, 1, 4), 7.0 / 4) << "the text row counts in the divisor";
    EXPECT_DOUBLE_EQ(g.ColumnMin(1, 1, 5), 0) << "an empty cell counts as 0";
    EXPECT_DOUBLE_EQ(g.ColumnMax(1, 1, 4), 4);
    EXPECT_THROW(g.ColumnMin(1, 3, 4), EExGridError);
    EXPECT_THROW(g.ColumnMax(1, 3, 4), EExGridError);
    EXPECT_DOUBLE_EQ(g.ColumnStdDev(1, 1, 2), 0.5);
    EXPECT_THROW(g.ColumnStdDev(1, 1, 4), EExGridError);
    g.SetCells(1, 1, "A");
    g.SetCells(1, 2, "a");
    g.SetCells(1, 3, "b");
    g.SetCells(1, 4, "");
    EXPECT_EQ(g.ColumnDistinct(1, 1, 4), 3);

    // Past the display rows the range reads real rows: hidden rows count.
    TExStringGrid h;
    h.SetColCount(2);
    h.SetRowCount(4);
    for (int r = 1; r < 4; ++r) h.SetCells(1, r, QString::number(r));
    h.HideRow(2);
    EXPECT_DOUBLE_EQ(h.ColumnSum(1, 1, 2), 1 + 3);
    EXPECT_DOUBLE_EQ(h.ColumnSum(1, 1, 4), 6) << "rows by real index, the hidden one included";
}

TEST(ExGridGroup, QSortIsStableAndFollowsTheStyle) {
    struct Case {
        const char* name;
        TSortStyle style;
        QStringList in, out;
    };
    const Case cases[] = {
        {"numbers as numbers", ssAutomatic, {"10", "9", "x", "9"}, {"9", "9", "10", "x"}},
        {"text without case", ssAlphaNoCase, {"b", "A", "a", "B"}, {"A", "a", "b", "B"}},
        {"text with case", ssAlphabetic, {"b", "A", "a", "B"}, {"A", "B", "a", "b"}},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        g.SetColCount(3);
        g.SetRowCount(1 + int(c.in.size()));
        for (int i = 0; i < c.in.size(); ++i) {
            g.SetCells(1, i + 1, c.in[i]);
            g.SetCells(2, i + 1, QString::number(i));
        }
        const TSortStyle style = c.style;
        g.OnGetFormat = [style](QObject*, int32_t, TSortStyle& s, QString&, QString&) { s = style; };
        g.SortSettings().SetColumn(1);
        g.QSort();
        EXPECT_EQ(column(g, 1).mid(1), c.out) << c.name;
    }
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(4);
    for (int i = 1; i < 4; ++i) {
        g.SetCells(1, i, "same");
        g.SetCells(2, i, QString::number(i));
    }
    g.SortSettings().SetColumn(1);
    g.QSort();
    EXPECT_EQ(column(g, 2), (QStringList{"", "1", "2", "3"})) << "equal keys keep their order";
}

// The sort groups rows by their texts and sorts only the distinct ones; the order must be exactly
// a stable sort's by the same compare, also for texts that compare equal while differing (case,
// numbers written differently) and for keys where numbers and texts meet.
TEST(ExGridGroup, QSortGivesTheStableSortsOrderForTrickyKeys) {
    struct Keys {
        const char* name;
        QStringList texts;
    };
    const Keys sets[] = {
        {"case variants", {"a", "A", "b", "B", QString::fromUtf8("ä"), QString::fromUtf8("Ä"), QString::fromUtf8("ß"),
                           "SS", "ss", QString::fromUtf8("Straße"), "STRASSE", QString::fromUtf8("ǅ"),
                           QString::fromUtf8("ǆ"), QString::fromUtf8("Ǆ"), QString::fromUtf8("σ"), QString::fromUtf8("ς"),
                           QString::fromUtf8("Σ"), QString::fromUtf8("𐐀"), QString::fromUtf8("𐐨"), "", "a "}},
        {"one number written many ways", {"1", "1.0", " 1", "01", "1e0", "-0", "0", "+0", "2", "10", "-3.5", "inf",
                                          "-inf", "1e308", "", "  "}},
        {"texts beyond the numbers", {"", "-", "n/a", "zz", "1", "10", "9", "2.5", "3", "10.0"}},
        // "-" sorts as text above " 3" and below "1", which sorts as a number below 3.
        {"texts between the numbers", {"2", "10", "1a", "x", "10b", "9", "", "-", " 3", "1"}},
        {"not a number", {"nan", "NaN", "1", "2", "-nan", "a"}},
        {"one text", {"same"}},
    };
    const TSortStyle styles[] = {ssAutomatic, ssAlphabetic, ssAlphaNoCase};
    for (const Keys& set : sets) {
        // Every text three times, in a fixed shuffle.
        QStringList keys;
        for (int k = 0; k < 3; ++k) keys += set.texts;
        for (int i = int(keys.size()) - 1; i > 0; --i) keys.swapItemsAt(i, (i * 7919 + 13) % (i + 1));
        for (TSortStyle style : styles)
            for (bool down : {false, true}) {
                SCOPED_TRACE(std::string(set.name) + (down ? ", descending, style " : ", style ") +
                             std::to_string(int(style)));
                auto less = [&](int a, int b) {
                    bool okA = false, okB = false;
                    const double x = keys[a].trimmed().toDouble(&okA), y = keys[b].trimmed().toDouble(&okB);
                    if (style == ssAutomatic && okA && okB) return x < y;
                    const Qt::CaseSensitivity cs = style == ssAlphaNoCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
                    return QString::compare(keys[a], keys[b], cs) < 0;
                };
                std::vector<int> expected(size_t(keys.size()));
                std::iota(expected.begin(), expected.end(), 0);
                std::stable_sort(expected.begin(), expected.end(),
                                 [&](int a, int b) { return down ? less(b, a) : less(a, b); });

                TExStringGrid g;
                g.SetColCount(3);
                g.SetRowCount(1 + int(keys.size()));
                for (int i = 0; i < keys.size(); ++i) {
                    g.SetCells(1, i + 1, keys[i]);
                    g.SetCells(2, i + 1, QString::number(i));
                }
                g.OnGetFormat = [style](QObject*, int32_t, TSortStyle& s, QString&, QString&) { s = style; };
                g.SortSettings().SetColumn(1);
                g.SortSettings().SetDirection(down ? sdDescending : sdAscending);
                g.QSort();
                std::vector<int> got;
                for (int r = 1; r < g.RowCount(); ++r) got.push_back(g.Cells(2, r).toInt());
                EXPECT_EQ(got, expected);
            }
    }
}

// A sort moves each row whole: its texts, its cell properties and the texts it keeps beyond the
// shown columns, whether the rows' records are alike (their contents move) or one is wider (the
// records themselves move).
TEST(ExGridGroup, QSortMovesRowsWithTheirPropertiesAndHiddenTexts) {
    for (bool wider : {false, true}) {
        SCOPED_TRACE(wider ? "one record wider" : "records alike");
        TExStringGrid g;
        g.SetColCount(3);
        constexpr int kRows = 40;
        g.SetRowCount(1 + kRows);
        for (int i = 0; i < kRows; ++i) {
            const int r = i + 1;
            g.SetCells(1, r, QStringLiteral("k%1").arg((i * 17) % kRows, 2, 10, QChar(u'0')));
            g.SetCells(2, r, QString::number(i));
            if (i % 4 == 0) g.SetColors(2, r, TColor(0x100 + i));
        }
        if (wider) {
            g.SetColCount(6);
            g.SetCells(5, 7, QStringLiteral("far"));
            g.SetColCount(3);
        }
        g.SortSettings().SetColumn(1);
        g.QSort();
        for (int r = 1; r <= kRows; ++r) {
            const int i = g.Cells(2, r).toInt();
            ASSERT_EQ(g.Cells(1, r), QStringLiteral("k%1").arg(r - 1, 2, 10, QChar(u'0'))) << r;
            ASSERT_EQ(g.Cells(1, r), QStringLiteral("k%1").arg((i * 17) % kRows, 2, 10, QChar(u'0'))) << r;
            ASSERT_EQ(g.CellHasProperties(2, r), i % 4 == 0) << r;
            if (i % 4 == 0) EXPECT_EQ(g.GridObjects(2, r)->BrushColor(), TColor(0x100 + i)) << r;
        }
        if (wider)
            for (int r = 1; r <= kRows; ++r)
                EXPECT_EQ(g.Store().Cell(5, r), g.Cells(2, r) == "6" ? QStringLiteral("far") : QString()) << r;
    }
}

TEST(ExGridMove, MoveRowsPutsTheBlockBeforeTheTarget) {
    TExStringGrid g;
    g.SetColCount(2);
    g.SetRowCount(10);
    g.SetFixedRows(0);
    for (int r = 0; r < 10; ++r) g.SetCells(1, r, QString::number(r));
    g.MoveRows(2, 6, 2);
    EXPECT_EQ(column(g, 1), (QStringList{"0", "1", "4", "5", "2", "3", "6", "7", "8", "9"}));
    const QStringList before = column(g, 1);
    for (auto [from, to, count] : {std::tuple{-1, 3, 1}, {3, 11, 1}, {9, 2, 2}, {2, 2, 1}, {2, 5, 0}}) {
        g.MoveRows(from, to, count);
        EXPECT_EQ(column(g, 1), before) << from << " " << to << " " << count;
    }
    g.MoveRow(0, 9);
    EXPECT_EQ(g.Cells(1, 9), "0");
    g.MoveRow(0, 10);
    g.MoveRow(-1, 2);
    EXPECT_EQ(g.Cells(1, 9), "0");
}

TEST(ExGridMove, MoveColumnMovesCellsWidthHiddenFlagAndOrder) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(2);
    for (int c = 0; c < 4; ++c) {
        g.SetCells(c, 1, QString("c%1").arg(c));
        g.SetColWidths(c, 40 + c);
    }
    g.MoveColumn(0, 2);
    EXPECT_EQ(g.Cells(2, 1), "c0");
    EXPECT_EQ(g.Cells(0, 1), "c1");
    EXPECT_EQ(g.ColWidths(2), 40);
    EXPECT_EQ(g.ColumnOrder(), (std::vector<int>{1, 2, 0, 3}));
    g.MoveColumn(5, 0);
    g.MoveColumn(0, -1);
    EXPECT_EQ(g.ColumnOrder(), (std::vector<int>{1, 2, 0, 3}));
    g.ResetColumnOrder();
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(g.Cells(c, 1), QString("c%1").arg(c));
        EXPECT_EQ(g.ColWidths(c), 40 + c);
    }

    // With a hidden column the cells move by real column and the flag stays with its column.
    g.HideColumn(1);
    g.MoveColumn(0, 2);  // display 0 (real 0) to display 2 (real 3)
    EXPECT_EQ(g.Cells(3, 1), "c0");
    EXPECT_EQ(g.Cells(0, 1), "c1");
    EXPECT_TRUE(g.IsHiddenColumn(0));
    EXPECT_FALSE(g.IsHiddenColumn(3));
}

TEST(ExGridMove, InsertAndRemoveColumnsKeepHiddenColumnsInStep) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(2);
    for (int c = 0; c < 4; ++c) g.SetCells(c, 1, QString("c%1").arg(c));
    g.InsertCols(1, 2);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.Cells(1, 1), "");
    EXPECT_EQ(g.Cells(3, 1), "c1");
    g.RemoveCols(1, 2);
    EXPECT_EQ(g.Cells(1, 1), "c1");

    g.HideColumn(3);
    g.InsertCols(1, 1);
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_TRUE(g.IsHiddenColumn(4));
    EXPECT_EQ(g.Cells(4, 1), "c3");
    g.RemoveCols(4, 1);
    EXPECT_EQ(g.NumHiddenColumns(), 0);
    EXPECT_EQ(g.ColCount(), 4);
    g.RemoveCols(9, 1);
    EXPECT_EQ(g.ColCount(), 4);
}

TEST(ExGridMove, ScrollInViewCentresACellBelowTheView) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(100);
    g.resize(300, 200);
    const int vis = g.VisibleRowCount();
    ASSERT_GT(vis, 2);
    g.ScrollInView(1, 60);
    EXPECT_EQ(g.Row(), 60);
    EXPECT_EQ(g.TopRow(), 60 - vis / 2);
    g.ScrollInView(1, 200);
    EXPECT_EQ(g.Row(), 60);
}

TEST(ExGridMove, UnHideSelectionFallsBackToTheFirstNormalCell) {
    TExStringGrid g;
    g.SetColCount(5);
    g.SetRowCount(10);
    g.SetSelection({2, 6, 3, 8});
    g.HideSelection();
    EXPECT_TRUE(g.SelHidden());
    g.UnHideSelection();
    EXPECT_EQ(g.Selection(), (plat::TGridRect{2, 6, 3, 8}));

    g.HideSelection();
    g.SetRowCount(4);
    g.UnHideSelection();
    EXPECT_FALSE(g.SelHidden());
    EXPECT_EQ(g.Selection(), (plat::TGridRect{1, 1, 1, 1}));
}

TEST(ExGridColours, RowAndCellColoursAndNoneClears) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetRowColor(1, plat::clRed);
    g.SetRowColorTo(1, plat::clBlue);
    g.SetRowFontColor(1, plat::clGreen);
    EXPECT_FALSE(g.CellHasProperties(0, 1)) << "the row colours start after the fixed columns";
    for (int c = g.FixedCols(); c < 3; ++c) {
        ASSERT_TRUE(g.CellHasProperties(c, 1));
        EXPECT_EQ(g.GridObjects(c, 1)->BrushColor(), plat::clRed);
        EXPECT_EQ(g.GridObjects(c, 1)->BrushColorTo(), plat::clBlue);
        EXPECT_EQ(g.GridObjects(c, 1)->FontColor(), plat::clGreen);
    }
    g.SetRowColor(1, plat::clNone);
    EXPECT_FALSE(g.CellHasProperties(2, 1)) << "a plain cell loses its whole properties";
    g.SetColors(2, 2, plat::clNone);
    EXPECT_FALSE(g.CellHasProperties(2, 2)) << "clearing creates nothing";
    g.SetColors(2, 2, plat::clYellow);
    g.SetColorsTo(2, 2, plat::clAqua);
    g.SetFontColors(2, 2, plat::clWhite);
    EXPECT_EQ(g.GridObjects(2, 2)->BrushColor(), plat::clYellow);
    EXPECT_EQ(g.GridObjects(2, 2)->BrushColorTo(), plat::clAqua);
    EXPECT_EQ(g.GridObjects(2, 2)->FontColor(), plat::clWhite);
    g.SetColors(7, 2, plat::clYellow);  // outside: nothing
}

TEST(ExGridGroup, SubGroupSplitsGroupsAndSubUnGroupRestoresThem) {
    TExStringGrid g;
    g.SetColCount(5);
    g.SetRowCount(5);
    const QStringList a{"A", "A", "A", "B"}, b{"x", "x", "y", "z"};
    for (int i = 0; i < 4; ++i) {
        g.SetCells(1, i + 1, QString("k%1").arg(i));
        g.SetCells(2, i + 1, a[i]);
        g.SetCells(3, i + 1, b[i]);
    }
    g.Group(2);  // A (k0 x, k1 x, k2 y), B (k3 z); the sub-group values now in column 2
    const QStringList grouped = column(g, 2);
    g.SubGroup(2);
    EXPECT_TRUE(g.IsNode(2));
    EXPECT_EQ(g.Cells(3, 2), "x");
    EXPECT_EQ(g.GetNodeSpan(2), 3);
    EXPECT_EQ(g.Cells(3, 5), "y");
    g.SubUnGroup(2);
    EXPECT_EQ(column(g, 1), (QStringList{"", "A", "k0", "k1", "k2", "B", "k3"}));
    EXPECT_EQ(column(g, 2), grouped) << "the group header B and its value z survive";
}
