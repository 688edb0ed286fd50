// The clicks, double clicks and hints the table dialogs handle, driven by the mouse on a shown grid,
// and sizing a column to its content.
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QTest>
#include <QToolTip>
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

using Cell = std::pair<int, int>;  // (row, display column) as the events give them

// A shown grid of 5 columns and 6 rows whose clicks and double clicks are recorded.
struct Fixture {
    QWidget form;
    TExStringGrid* g;
    std::vector<Cell> clicks, dblClicks;
    Fixture() : g(new TExStringGrid(&form)) {
        form.resize(520, 320);
        g->setGeometry(0, 0, 480, 280);
        g->SetColCount(5);
        g->SetRowCount(6);
        g->OnClickCell = [this](QObject* s, int r, int c) {
            EXPECT_EQ(s, g);
            clicks.emplace_back(r, c);
        };
        g->OnDblClickCell = [this](QObject* s, int r, int c) {
            EXPECT_EQ(s, g);
            dblClicks.emplace_back(r, c);
        };
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
    }
    void setOption(plat::TGridOption o, bool on) {
        plat::TGridOptions opts = g->Options();
        on ? opts.include(o) : opts.exclude(o);
        g->SetOptions(opts);
    }
    QRect rect(int col, int row) const { return g->CellRect(col, row).toQRect(); }
    void press(QPoint at, Qt::MouseButton b = Qt::LeftButton) { QTest::mouseClick(g->viewport(), b, {}, at); }
    // A user's double click: a click, then the second press that the system makes a double click.
    void dblClick(QPoint at) {
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(g->viewport(), Qt::LeftButton, {}, at);
    }
};

}  // namespace

TEST(ExGridClicks, EveryCellPressedReportsRowAndDisplayColumn) {
    Fixture f;
    f.g->HideColumn(2);  // display column 2 is real column 3 now
    struct Case {
        const char* name;
        int col, row;
        Qt::MouseButton button;
    } cases[] = {
        {"data cell", 1, 2, Qt::LeftButton},
        {"data cell after the hidden column", 2, 3, Qt::LeftButton},
        {"fixed column", 0, 4, Qt::LeftButton},
        {"header row", 3, 0, Qt::LeftButton},
        {"corner", 0, 0, Qt::LeftButton},
        {"right button", 1, 1, Qt::RightButton},
    };
    for (const Case& c : cases) {
        f.clicks.clear();
        f.press(f.rect(c.col, c.row).center(), c.button);
        EXPECT_EQ(f.clicks, (std::vector<Cell>{{c.row, c.col}})) << c.name;
    }
    f.clicks.clear();
    f.press(QPoint(470, 270));  // beside the cells
    EXPECT_TRUE(f.clicks.empty());
    EXPECT_TRUE(f.dblClicks.empty()) << "single presses are no double clicks";
}

TEST(ExGridClicks, HeaderColumnBorderStartsSizingWhileSizingIsOn) {
    Fixture f;
    const QRect h = f.rect(2, 0);
    struct Case {
        const char* name;
        bool sizing;
        QPoint at;
        bool clicks;
    } cases[] = {
        {"left border, sizing on", true, QPoint(h.left() + 1, h.center().y()), false},
        {"right border, sizing on", true, QPoint(h.right() - 1, h.center().y()), false},
        {"inside, sizing on", true, QPoint(h.left() + 6, h.center().y()), true},
        {"left border, sizing off", false, QPoint(h.left() + 1, h.center().y()), true},
        {"right border, sizing off", false, QPoint(h.right() - 1, h.center().y()), true},
    };
    for (const Case& c : cases) {
        f.setOption(plat::goColSizing, c.sizing);
        f.clicks.clear();
        f.press(c.at);
        QTest::mouseRelease(f.g->viewport(), Qt::LeftButton, {}, c.at);
        EXPECT_EQ(!f.clicks.empty(), c.clicks) << c.name;
    }
    // A data cell's border is no sizing place.
    f.setOption(plat::goColSizing, true);
    f.clicks.clear();
    const QRect d = f.rect(2, 3);
    f.press(QPoint(d.left() + 1, d.center().y()));
    EXPECT_EQ(f.clicks, (std::vector<Cell>{{3, 2}}));
}

TEST(ExGridClicks, DoubleClicksReportTheCellOnce) {
    Fixture f;
    f.g->HideColumn(1);
    struct Case {
        const char* name;
        int col, row;
    } cases[] = {{"data cell", 2, 3}, {"header row", 1, 0}, {"corner", 0, 0}, {"fixed column", 0, 2}};
    for (const Case& c : cases) {
        f.clicks.clear();
        f.dblClicks.clear();
        f.dblClick(f.rect(c.col, c.row).center());
        EXPECT_EQ(f.dblClicks, (std::vector<Cell>{{c.row, c.col}})) << c.name;
        EXPECT_EQ(f.clicks, (std::vector<Cell>{{c.row, c.col}})) << c.name << ": the first press only";
    }
}

TEST(ExGridClicks, EntryPointsFireTheEvents) {
    Fixture f;
    f.g->ClickCell(4, 2);
    f.g->DblClickCell(0, 3);
    EXPECT_EQ(f.clicks, (std::vector<Cell>{{4, 2}}));
    EXPECT_EQ(f.dblClicks, (std::vector<Cell>{{0, 3}}));
}

TEST(ExGridHints, GridHintCellTextOrHandler) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.setToolTip(QStringLiteral("grid hint"));
    g.SetCells(2, 1, QStringLiteral("<b>12</b> pumps"));
    g.SetCells(2, 0, QStringLiteral("<b>Head</b>"));
    g.SetCells(0, 1, QStringLiteral("1"));
    g.HideColumn(1);  // display column 1 is real column 2

    EXPECT_EQ(g.CellHint(1, 1), "grid hint") << "without HintShowCells the grid's own hint";
    g.SetHintShowCells(true);
    struct Case {
        const char* name;
        int row, col;
        bool html;
        QString expected;
    } cases[] = {
        {"normal cell without tags", 1, 1, false, QStringLiteral("12 pumps")},
        {"normal cell with HTMLHint", 1, 1, true, QStringLiteral("<b>12</b> pumps")},
        {"header cell keeps the grid's hint", 0, 1, false, QStringLiteral("grid hint")},
        {"fixed column keeps the grid's hint", 1, 0, false, QStringLiteral("grid hint")},
        {"empty normal cell", 2, 2, false, QString()},
    };
    for (const Case& c : cases) {
        g.SetHTMLHint(c.html);
        EXPECT_EQ(g.CellHint(c.row, c.col), c.expected) << c.name;
    }
    g.SetHTMLHint(false);

    std::vector<Cell> asked;
    g.OnGridHint = [&](QObject*, int r, int c, QString& hint) {
        asked.emplace_back(r, c);
        if (r == 1) hint = QStringLiteral("from the dialog: ") + hint;
    };
    EXPECT_EQ(g.CellHint(1, 1), "from the dialog: 12 pumps");
    EXPECT_EQ(g.CellHint(0, 2), "grid hint");
    EXPECT_EQ(asked, (std::vector<Cell>{{1, 1}, {0, 2}})) << "row first, display column";
}

TEST(ExGridHints, TooltipOverACellShowsItsHint) {
    QWidget form;
    auto* g = new TExStringGrid(&form);
    form.resize(400, 300);
    g->setGeometry(0, 0, 380, 280);
    g->SetHintShowCells(true);
    g->SetCells(2, 3, QStringLiteral("<i>valve</i>"));
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    const QPoint at = g->CellRect(2, 3).toQRect().center();
    QHelpEvent help(QEvent::ToolTip, at, g->viewport()->mapToGlobal(at));
    QApplication::sendEvent(g->viewport(), &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "valve");
    QToolTip::hideText();
}

TEST(ExGridAutoSize, ColumnFitsItsWidestTextPlusMargins) {
    QWidget form;
    TExStringGrid g(&form);
    g.resize(600, 300);
    g.SetColCount(4);
    g.SetRowCount(5);
    const QFontMetrics body(g.Font().ToQFont());
    const QFontMetrics head(g.FixedFont().ToQFont());
    g.SetCells(2, 0, QStringLiteral("Data type of the topic"));
    g.SetCells(2, 1, QStringLiteral("UINT"));
    g.SetCells(3, 0, QStringLiteral("T"));
    g.SetCells(3, 2, QStringLiteral("a rather long data text"));
    const int headW = head.horizontalAdvance(QStringLiteral("Data type of the topic"));
    const int dataW = body.horizontalAdvance(QStringLiteral("a rather long data text"));
    ASSERT_EQ(TExStringGrid::kCellMargin, 4);

    g.AutoSizeCol(2);
    EXPECT_EQ(g.ColWidths(2), headW + 2 * TExStringGrid::kCellMargin) << "the header's text is the widest";
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), dataW + 8) << "a data text is the widest";
    g.AutoSizeCol(3, 10);
    EXPECT_EQ(g.ColWidths(3), dataW + 18) << "padding on top";

    // Hiding real column 1 makes real column 3 display column 2.
    g.HideColumn(1);
    g.SetColWidths(2, 300);
    g.AutoSizeCol(2);
    EXPECT_EQ(g.AllColWidths(3), dataW + 8) << "the display column's real column";
    g.UnHideColumn(1);

    // Grow only never narrows; limits bound the result; offsets and lines count.
    g.SetColWidths(3, 400);
    g.SetSizeGrowOnly(true);
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), 400);
    g.SetSizeGrowOnly(false);
    g.SetMaxColWidth(50);
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), 50);
    g.SetMaxColWidth(0);
    g.SetMinColWidth(500);
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), 500);
    g.SetMinColWidth(0);
    g.SetXYOffset(QPoint(5, 2));
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), dataW + 10 + 2 + 2);
    g.SetXYOffsetTopLeftOnly(true);
    g.AutoSizeCol(3);
    EXPECT_EQ(g.ColWidths(3), dataW + 5 + 2 + 2);

    // Out of the grid: nothing changes.
    g.AutoSizeCol(-1);
    g.AutoSizeCol(4);
    EXPECT_EQ(g.ColWidths(3), dataW + 9);
}

TEST(ExGridAutoSize, FixedColumnOfRowNumbersFitsTheWidestNumber) {
    QWidget form;
    TExStringGrid g(&form);
    g.resize(300, 300);
    g.SetColCount(3);
    g.SetRowCount(1025);
    for (int r = 1; r < g.RowCount(); ++r) g.SetCells(0, r, QString::number(r));
    g.AutoSizeCol(0);
    const QFontMetrics fixed(g.FixedFont().ToQFont());
    EXPECT_EQ(g.ColWidths(0), fixed.horizontalAdvance(QStringLiteral("1024")) + 8);
}

TEST(ExGridConstants, NewGridMatchesTheNamedDefaults) {
    TExStringGrid g;
    EXPECT_EQ(g.DefaultColWidth(), TExStringGrid::kDefaultColWidth);
    EXPECT_EQ(g.DefaultRowHeight(), TExStringGrid::kDefaultRowHeight);
    g.SetColCount(TExStringGrid::kMaxHideCol + 2);
    g.HideColumn(TExStringGrid::kMaxHideCol - 1);
    g.HideColumn(TExStringGrid::kMaxHideCol);
    EXPECT_TRUE(g.IsHiddenColumn(TExStringGrid::kMaxHideCol - 1));
    EXPECT_FALSE(g.IsHiddenColumn(TExStringGrid::kMaxHideCol)) << "no column is hidden from the limit on";
}

TEST(ExGridQueries, ReturnFormsAnswerAsTheInOutForms) {
    TExColumnGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    TGridColumnItem& checks = g.Columns().Items(2);
    checks.SetEditor(edDataCheckBox);
    checks.CheckTrue = QStringLiteral("yes");
    checks.CheckFalse = QStringLiteral("no");
    checks.EditLength = 12;
    checks.DropDownCount = 5;
    g.Columns().Items(3).ReadOnly = true;
    g.Columns().Items(3).EditLength = 3;
    plat::TGridOptions o = g.Options();
    o.include(plat::goEditing);
    g.SetOptions(o);

    struct Case {
        const char* name;
        int col, row;
        QString checkTrue, checkFalse;
        bool canEdit;
        int editLength;
    } cases[] = {
        {"check column data cell", 2, 1, "yes", "no", true, 12},
        {"check column header", 2, 0, "Y", "N", false, 0},
        {"read-only column", 3, 2, "Y", "N", false, 3},
        {"plain column", 1, 1, "Y", "N", true, 0},
        {"fixed column", 0, 1, "Y", "N", false, 0},
        {"beyond the columns", 4, 1, "Y", "N", false, 0},
        {"beyond the rows", 1, 3, "Y", "N", false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(g.GetCheckTrue(c.col, c.row), c.checkTrue) << c.name;
        EXPECT_EQ(g.GetCheckFalse(c.col, c.row), c.checkFalse) << c.name;
        EXPECT_EQ(g.CanEditCell(c.col, c.row), c.canEdit) << c.name;
        if (c.col < 4) {
            EXPECT_EQ(g.GetEditLength(c.col, c.row), c.editLength) << c.name;
        }
    }
    EXPECT_EQ(g.GetCellEditor(2, 1), edDataCheckBox);
    EXPECT_EQ(g.GetDropDownCount(2, 1), 5);
    g.OnGetEditorType = [](QObject*, int c, int, TEditorType& e) {
        if (c == 1) e = edComboList;
    };
    EXPECT_EQ(g.GetCellEditor(1, 1), edComboList) << "the handler has the last word";
    g.SetReadOnly(1, 2, true);
    EXPECT_FALSE(g.CanEditCell(1, 2)) << "a cell's own read-only mark";
    g.SetMaxEditLength(7);
    EXPECT_EQ(g.GetEditLength(1, 1), 0) << "a data cell has its item's limit, here none";
    EXPECT_EQ(g.GetEditLength(1, 0), 7) << "a header cell has the grid's";
}
