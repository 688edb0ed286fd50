#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/ImageList.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

namespace {

QString tag(int c, int r) { return QStringLiteral("c%1r%2").arg(c).arg(r); }

void fill(TExStringGrid& g) {
    for (int r = 1; r < g.RowCount(); ++r)
        for (int c = 1; c < g.TotalColCount(); ++c) g.SetCells(c, r, tag(c, r));
}

// The child widget under the centre of a cell (display column) and that point in its coordinates:
// where a user's click on the cell lands.
struct Spot {
    QWidget* w = nullptr;
    QPoint p;
};
Spot under(TExStringGrid& g, int displCol, int row) {
    const QRect r = cellRect(g, displCol, row);
    EXPECT_FALSE(r.isEmpty()) << "cell " << displCol << "," << row << " is not on screen";
    QWidget* w = r.isEmpty() ? nullptr : g.childAt(r.center());
    EXPECT_NE(w, nullptr) << "nothing under cell " << displCol << "," << row;
    return {w, w ? w->mapFrom(&g, r.center()) : QPoint()};
}
void click(TExStringGrid& g, int displCol, int row, Qt::MouseButton b = Qt::LeftButton) {
    const Spot s = under(g, displCol, row);
    if (s.w) QTest::mouseClick(s.w, b, {}, s.p);
}
// A user's double click: the press and release of a first click, then the second press.
void dblClick(TExStringGrid& g, int displCol, int row) {
    const Spot s = under(g, displCol, row);
    if (!s.w) return;
    QTest::mouseClick(s.w, Qt::LeftButton, {}, s.p);
    QTest::mouseDClick(s.w, Qt::LeftButton, {}, s.p);
}

// Shows the window of a grid active, the grid's cells focused, as a user finds it. The grid sits on
// a window of its own, as in every dialog: a grid without a parent takes any cell without asking
// whether it may be edited.
void showActive(QWidget& form, TExStringGrid& g, QSize size) {
    form.resize(size);
    g.setGeometry(QRect(QPoint(0, 0), size));
    form.show();
    form.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&form));
    g.setFocus();
}

// Where the keys a user types go: the focus widget, which is the grid's cells or its open editor
// once the grid has the focus.
QWidget* keyTarget(TExStringGrid& g) {
    QWidget* f = QApplication::focusWidget();
    if (!f || !g.isAncestorOf(f)) {
        g.setFocus();
        f = QApplication::focusWidget();
    }
    EXPECT_TRUE(f && g.isAncestorOf(f)) << "the grid has no focus";
    return f;
}

// The colour painted at a point of the grid widget.
QColor pixel(const QImage& shot, QPoint p) {
    return QColor(shot.pixel(p * shot.devicePixelRatio()));
}

// The horizontal alignment the painter gives a cell (real column).
TAlignment paintedAlignment(TExStringGrid& g, int realCol, int row) { return cellVisual(g, realCol, row).alignment; }

// The cell editor shown now: the in-place edit or the combo editor, nullptr when none is open.
QWidget* openEditor(const TExStringGrid& g) {
    if (g.NormalEdit() && g.NormalEdit()->isVisible()) return g.NormalEdit();
    if (g.EditCombo() && g.EditCombo()->isVisible()) return g.EditCombo();
    return nullptr;
}

// A column grid of 8 real columns and 4 rows whose data cells hold their own coordinates.
struct ColumnGridFixture : ::testing::Test {
    TExColumnGrid g;
    void SetUp() override {
        g.SetColCount(8);
        g.SetRowCount(4);
        fill(g);
    }
};

// Hidden columns ------------------------------------------------------------------------------

using HiddenColumns = ColumnGridFixture;

TEST_F(HiddenColumns, CellsStayAtTheirRealColumnAndIndexesMapBothWays) {
    for (int c = 0; c < g.TotalColCount(); ++c) g.SetAllColWidths(c, 40 + c);
    g.HideColumn(3);
    g.HideColumn(5);
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.NumHiddenColumns(), 2);
    EXPECT_EQ(g.TotalColCount(), 8);
    EXPECT_EQ(g.Columns().Count(), 8);
    EXPECT_EQ(g.Cells(3, 1), tag(3, 1));
    EXPECT_EQ(g.Cells(5, 3), tag(5, 3));
    g.SetCells(5, 2, QStringLiteral("written while hidden"));
    EXPECT_EQ(g.Cells(5, 2), QStringLiteral("written while hidden"));

    const std::vector<int> realOfDisplay = {0, 1, 2, 4, 6, 7};
    for (int d = 0; d < int(realOfDisplay.size()); ++d) {
        EXPECT_EQ(g.RealColIndex(d), realOfDisplay[d]) << "display " << d;
        EXPECT_EQ(g.DisplColIndex(realOfDisplay[d]), d) << "display " << d;
    }
    // A hidden column maps to the place it would take.
    EXPECT_EQ(g.DisplColIndex(3), 3);
    EXPECT_EQ(g.DisplColIndex(5), 4);
    EXPECT_TRUE(g.IsHiddenColumn(3));
    EXPECT_FALSE(g.IsHiddenColumn(4));
    // The display shows the same columns: display d is as wide as its real column, and the
    // hidden ones take no place.
    for (int d = 0; d < g.ColCount(); ++d) EXPECT_EQ(g.ColWidths(d), 40 + realOfDisplay[d]) << "display " << d;

    g.UnHideColumn(3);
    EXPECT_EQ(g.ColCount(), 7);
    EXPECT_EQ(g.RealColIndex(3), 3);
    EXPECT_EQ(g.RealColIndex(4), 4);
    EXPECT_EQ(g.RealColIndex(5), 6);
    EXPECT_EQ(g.Cells(3, 1), tag(3, 1));
}

TEST_F(HiddenColumns, AHiddenColumnKeepsItsWidthAndTakesItBack) {
    g.Columns().Items(3).SetWidth(123);
    g.SetAllColWidths(4, 77);
    g.HideColumn(3);
    EXPECT_EQ(g.AllColWidths(3), 123);
    EXPECT_EQ(g.Columns().Items(3).Width(), 123);
    EXPECT_EQ(g.ColWidths(3), 77);  // display 3 is now real column 4
    g.UnHideColumn(3);
    EXPECT_EQ(g.ColWidths(3), 123);
    EXPECT_EQ(g.ColWidths(4), 77);
    // Drawn at those widths, side by side.
    g.resize(700, 200);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    const QRect shown = cellRect(g, 3, 1), next = cellRect(g, 4, 1);
    EXPECT_EQ(shown.width(), 123);
    EXPECT_EQ(next.width(), 77);
    EXPECT_GT(next.left(), shown.right());
}

TEST_F(HiddenColumns, HidingRulesAtTheEdges) {
    struct Case {
        const char* name;
        int colCount;
        std::vector<int> hide;
        int hiddenAfter;
    };
    const std::vector<Case> cases = {
        {"hiding twice counts once", 8, {3, 3}, 1},
        {"outside the columns nothing", 8, {8, 40, -1}, 0},
        {"the last shown column stays", 2, {1, 0}, 1},
        {"512 and above are never hidden", 600, {512, 599}, 0},
        {"511 is the last hideable column", 600, {511}, 1},
    };
    for (const Case& k : cases) {
        TExStringGrid s;
        s.SetColCount(k.colCount);
        for (int c : k.hide) s.HideColumn(c);
        EXPECT_EQ(s.NumHiddenColumns(), k.hiddenAfter) << k.name;
        EXPECT_EQ(s.ColCount() + s.NumHiddenColumns(), k.colCount) << k.name;
    }
    TExStringGrid s;
    s.SetColCount(600);
    s.HideColumn(2);
    EXPECT_FALSE(s.IsHiddenColumn(512));
    EXPECT_FALSE(s.IsHiddenColumn(1000));
    EXPECT_EQ(s.RealColIndex(512), 512);
    EXPECT_EQ(s.DisplColIndex(512), 512);
    EXPECT_EQ(s.RealColIndex(300), 301);
    s.UnHideColumn(5);  // shown already
    EXPECT_EQ(s.NumHiddenColumns(), 1);

    // Open-ended ranges stop at the grid's columns.
    TExStringGrid w;
    w.SetColCount(8);
    w.HideColumns(5, std::numeric_limits<int>::max());
    EXPECT_EQ(w.NumHiddenColumns(), 3);
    EXPECT_EQ(w.ColCount(), 5);
    w.UnHideColumns(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    EXPECT_EQ(w.NumHiddenColumns(), 0);
    EXPECT_EQ(w.ColCount(), 8);
}

TEST_F(HiddenColumns, CurrentCellUsesDisplayIndexes) {
    g.HideColumn(2);
    g.SetRow(2);
    g.SetCol(2);
    EXPECT_EQ(g.GetRealCol(), 3);
    EXPECT_EQ(g.GetRealRow(), 2);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(g.Row(), 2);
    EXPECT_EQ(g.Selection(), (plat::TGridRect{2, 2, 2, 2})) << "the focus cell at display 2";
    // On the last shown column, hiding that column moves the current column one left.
    g.SetCol(g.ColCount() - 1);
    g.HideColumn(7);
    EXPECT_EQ(g.Col(), g.ColCount() - 1);
    EXPECT_EQ(g.GetRealCol(), 6);
    // Outside the grid the current cell stays where it is: the base grid's error.
    EXPECT_THROW(g.SetCol(g.ColCount()), plat::EInvalidGridOperation);
    EXPECT_THROW(g.SetRow(g.RowCount()), plat::EInvalidGridOperation);
    EXPECT_EQ(g.Col(), g.ColCount() - 1);
    EXPECT_EQ(g.Row(), 2);
}

// The current cell is a display place: a column hidden or shown before it leaves the place, and
// so the real column under it changes; only off the end does it move one column left.
TEST_F(HiddenColumns, TheCurrentCellKeepsItsDisplayPlaceWhenOthersHideOrShow) {
    g.SetRow(2);
    g.SetCol(4);
    g.HideColumn(2);
    EXPECT_EQ(g.Col(), 4);
    EXPECT_EQ(g.GetRealCol(), 5);
    g.UnHideColumn(2);
    EXPECT_EQ(g.Col(), 4);
    EXPECT_EQ(g.GetRealCol(), 4);
    EXPECT_EQ(g.Row(), 2);
    // A grid without its fixed column and with column 0 hidden starts on the first data column.
    g.SetFixedCols(0);
    g.HideColumn(0);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.GetRealCol(), 1);
}

TEST_F(HiddenColumns, ColCountCountsShownColumnsOnly) {
    g.HideColumn(2);
    g.HideColumn(7);
    g.SetColCount(4);  // shown 0, 1, 3, 4; the hidden 2 stays, the hidden 7 goes with the end
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.NumHiddenColumns(), 1);
    EXPECT_EQ(g.TotalColCount(), 5);
    EXPECT_EQ(g.Columns().Count(), 5);
    EXPECT_EQ(g.Cells(2, 1), tag(2, 1));
    g.SetColCount(6);
    EXPECT_EQ(g.TotalColCount(), 7);
    EXPECT_TRUE(g.IsHiddenColumn(2));
    EXPECT_FALSE(g.IsHiddenColumn(5));
    EXPECT_TRUE(g.Cells(6, 1).isEmpty());
}

TEST(GridCells, ANewGridHasTenRowsAndFiveColumns) {
    TExColumnGrid g;
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.Columns().Count(), 5);
    EXPECT_EQ(g.Cells(0, 9), QStringLiteral("9"));
    EXPECT_TRUE(g.Cells(0, 0).isEmpty()) << "the header row is no numbered row";
    // The rows a larger count adds are numbered in the fixed column.
    g.SetRowCount(12);
    EXPECT_EQ(g.Cells(0, 10), QStringLiteral("10"));
    EXPECT_EQ(g.Cells(0, 11), QStringLiteral("11"));
}

TEST(GridCells, OutsideTheGridIsAnErrorNotASilentLoss) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    EXPECT_THROW(g.SetCells(3, 1, QStringLiteral("x")), std::out_of_range);
    EXPECT_THROW(g.SetCells(1, 3, QStringLiteral("x")), std::out_of_range);
    EXPECT_THROW((void)g.Cells(-1, 0), std::out_of_range);
    g.HideColumn(2);
    g.SetCells(2, 2, QStringLiteral("hidden"));
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("hidden"));
}

TEST(GridCells, ResizingKeepsTextsAndNumbersTheRows) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetCells(2, 2, QStringLiteral("keep"));
    g.SetColCount(6);
    g.SetRowCount(1025);
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("keep"));
    EXPECT_EQ(g.Cells(0, 1), QStringLiteral("1"));
    EXPECT_EQ(g.Cells(0, 3), QStringLiteral("3"));
    EXPECT_EQ(g.Cells(0, 1024), QStringLiteral("1024"));
    // 1024 data rows under the header row and 5 data columns beside the fixed column that numbers them.
    EXPECT_EQ(g.RowCount() - g.FixedRows(), 1024);
    EXPECT_EQ(g.ColCount() - g.FixedCols(), 5);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.Cells(0, g.RowCount() - 1), QStringLiteral("1024"));
    g.SetColCount(2);
    EXPECT_THROW((void)g.Cells(2, 2), std::out_of_range);
}

// A new grid of a thousand rows numbers them all without making a record for any; writing row 900
// makes that row's record, reading a number makes its row's, and no other row gets one.
TEST(GridCells, RowsGetRecordsOnlyAsTheyAreWrittenOrRead) {
    TExStringGrid g;
    g.SetColCount(6);
    g.SetRowCount(1000);
    const plat::TGridStore& store = g.Store();
    EXPECT_EQ(store.RecordCount(), 0u);
    EXPECT_EQ(g.Cells(3, 500), QString());  // a never-written row reads empty
    EXPECT_EQ(store.RecordCount(), 0u);
    g.SetCells(3, 900, QStringLiteral("written"));
    EXPECT_EQ(store.RecordCount(), 1u);
    EXPECT_EQ(g.Cells(3, 900), QStringLiteral("written"));
    EXPECT_EQ(g.Cells(0, 900), QStringLiteral("900"));
    EXPECT_EQ(g.Cells(0, 901), QStringLiteral("901"));
    EXPECT_EQ(store.RecordCount(), 2u);
}

// Check cells ---------------------------------------------------------------------------------

TEST(CheckCells, DataCheckColumnsToggleBetweenTheirTexts) {
    TExColumnGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    g.Columns().Items(1).SetEditor(edDataCheckBox);
    g.Columns().Items(2).SetEditor(edDataCheckBox);
    g.Columns().Items(2).CheckTrue = QStringLiteral("1");
    g.Columns().Items(2).CheckFalse = QStringLiteral("0");
    g.CheckTrue = QStringLiteral("T");  // the grid's own texts do not reach column cells

    struct Case {
        const char* name;
        int col;
        QString text;
        bool checked;
        QString afterToggle;
    };
    const std::vector<Case> cases = {
        {"Y is ticked", 1, "Y", true, "N"},
        {"N is not", 1, "N", false, "Y"},
        {"empty is not", 1, "", false, "Y"},
        {"lower case is not", 1, "y", false, "Y"},
        {"a blank before is not", 1, " Y", false, "Y"},
        {"Yes is not", 1, "Yes", false, "Y"},
        {"own texts: 1 is ticked", 2, "1", true, "0"},
        {"own texts: Y is not", 2, "Y", false, "1"},
    };
    for (const Case& k : cases) {
        g.SetCells(k.col, 1, k.text);
        bool state = !k.checked;
        EXPECT_TRUE(g.GetCheckBoxState(k.col, 1, state)) << k.name;
        EXPECT_EQ(state, k.checked) << k.name;
        EXPECT_TRUE(g.ToggleCheckBox(k.col, 1)) << k.name;
        EXPECT_EQ(g.Cells(k.col, 1), k.afterToggle) << k.name;
    }
    EXPECT_TRUE(g.SetCheckBoxState(1, 2, true));
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("Y"));
    EXPECT_TRUE(g.SetCheckBoxState(1, 2, false));
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("N"));
}

TEST(CheckCells, ACellWithoutCheckBoxAnswersFalseAndStaysUntouched) {
    TExColumnGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.Columns().Items(1).SetEditor(edDataCheckBox);
    g.SetCells(2, 1, QStringLiteral("Y"));
    g.SetCells(1, 0, QStringLiteral("Y"));
    struct Case {
        const char* name;
        int col, row;
    };
    for (const Case& k : {Case{"normal column", 2, 1}, Case{"header row of a check column", 1, 0},
                          Case{"fixed column", 0, 1}, Case{"outside the grid", 9, 9}}) {
        bool state = true;
        EXPECT_FALSE(g.GetCheckBoxState(k.col, k.row, state)) << k.name;
        EXPECT_TRUE(state) << k.name;
        EXPECT_FALSE(g.SetCheckBoxState(k.col, k.row, false)) << k.name;
        EXPECT_FALSE(g.ToggleCheckBox(k.col, k.row)) << k.name;
    }
    EXPECT_EQ(g.Cells(2, 1), QStringLiteral("Y"));
    EXPECT_EQ(g.Cells(1, 0), QStringLiteral("Y"));
}

TEST(CheckCells, AUserToggleNeedsAnEditableCell) {
    TExColumnGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.Columns().Items(1).SetEditor(edDataCheckBox);
    g.Columns().Items(1).ReadOnly = true;
    g.SetCells(1, 1, QStringLiteral("N"));
    EXPECT_FALSE(g.ToggleCellCheck(1, 1, true));
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("N"));
    EXPECT_TRUE(g.ToggleCellCheck(1, 1, false));
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("Y"));
}

TEST(CheckCells, AddedBoxes) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(4);
    struct Case {
        const char* name;
        QString text;
        bool state;
        QString after;
    };
    const std::vector<Case> cases = {
        {"N stays whatever the state", "N", true, "N"},
        {"other text becomes the state's text", "abc", true, "Y"},
        {"empty with state false", "", false, "N"},
    };
    for (const Case& k : cases) {
        g.SetCells(1, 1, k.text);
        g.AddCheckBox(1, 1, k.state, true);
        EXPECT_EQ(g.Cells(1, 1), k.after) << k.name;
        EXPECT_TRUE(g.HasDataCheckBox(1, 1)) << k.name;
    }
    // A plain box keeps its state apart from the text.
    g.SetCells(2, 2, QStringLiteral("label"));
    g.AddCheckBox(2, 2, true, false);
    bool state = false;
    EXPECT_TRUE(g.GetCheckBoxState(2, 2, state));
    EXPECT_TRUE(state);
    EXPECT_FALSE(g.HasDataCheckBox(2, 2));
    EXPECT_TRUE(g.ToggleCheckBox(2, 2));
    EXPECT_TRUE(g.GetCheckBoxState(2, 2, state));
    EXPECT_FALSE(state);
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("label"));
    g.RemoveCheckBox(2, 2);
    EXPECT_FALSE(g.HasCheckBox(2, 2));
    EXPECT_THROW(g.AddCheckBox(3, 1, true, true), std::invalid_argument);
}

// Column items --------------------------------------------------------------------------------

TEST(ColumnItems, FollowTheColumnCount) {
    TExColumnGrid g;
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.Columns().Count(), 5);
    TGridColumnItem& last = g.Columns().Items(4);
    last.SetEditor(edComboList);
    last.ComboItems() = QStringList{"a", "b"};
    last.SetHeader(QStringLiteral("Kind"));
    last.SetAlignment(taCenter);
    last.SetColor(0x00112233);
    last.CheckTrue = QStringLiteral("1");
    last.ReadOnly = true;

    last.DropDownCount = 12;
    g.SetColCount(8);
    ASSERT_EQ(g.Columns().Count(), 8);
    const TGridColumnItem& added = g.Columns().Items(7);
    EXPECT_EQ(added.DropDownCount, 8);
    EXPECT_EQ(g.GetDropDownCount(4, 1), 12);
    EXPECT_EQ(g.GetDropDownCount(7, 1), 8);
    EXPECT_EQ(added.Editor(), edComboList);
    EXPECT_EQ(added.Alignment(), taCenter);
    EXPECT_EQ(added.CheckTrue, QStringLiteral("1"));
    EXPECT_TRUE(added.ReadOnly);
    EXPECT_TRUE(added.Header().isEmpty());
    EXPECT_TRUE(added.ComboItems().isEmpty());
    EXPECT_EQ(added.Color(), g.Color());

    g.SetColCount(2);
    EXPECT_EQ(g.Columns().Count(), 2);
    g.Columns().Add();
    EXPECT_EQ(g.ColCount(), 3);
    EXPECT_EQ(g.Columns().Count(), 3);
    EXPECT_THROW(g.Columns().Items(3), plat::EListError);
}

TEST(ColumnItems, HeaderIsTheHeaderRowCellAndItemsAnswerTheirDataCells) {
    TExColumnGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    TGridColumnItem& it = g.Columns().Items(2);
    it.SetHeader(QStringLiteral("Topic"));
    it.SetEditor(edComboEdit);
    it.ComboItems() = QStringList{"x", "y"};
    it.SetAlignment(taRightJustify);
    EXPECT_EQ(g.Cells(2, 0), QStringLiteral("Topic"));
    EXPECT_EQ(g.GetCellEditor(2, 1), edComboEdit);
    EXPECT_EQ(g.GetComboItems(2, 1), (QStringList{"x", "y"}));
    EXPECT_EQ(g.GetCellAlignment(2, 1).first, taRightJustify);
    EXPECT_EQ(paintedAlignment(g, 2, 1), taRightJustify);
    EXPECT_TRUE(g.CanEditCell(2, 1));
    EXPECT_EQ(cellColor(g, 2, 1), g.Color());  // the window colour
    it.SetColor(0x00112233);  // blue 11, green 22, red 33
    EXPECT_EQ(cellColor(g, 2, 1), plat::TColor(0x00112233));
    EXPECT_EQ(cellColor(g, 1, 1), g.Color());
    it.ReadOnly = true;
    EXPECT_FALSE(g.CanEditCell(2, 1));
    it.ReadOnly = false;
    g.SetReadOnly(2, 1, true);
    EXPECT_FALSE(g.CanEditCell(2, 1));
    // Fixed cells are answered by the grid, not the item.
    EXPECT_EQ(g.GetCellEditor(2, 0), edNormal);
    EXPECT_FALSE(g.CanEditCell(0, 1));
}

// Sizing --------------------------------------------------------------------------------------

TEST(AutoSize, TheWidestTextOfTheColumnByDisplayIndex) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.SetCells(3, 0, QStringLiteral("Head"));
    g.SetCells(3, 2, QStringLiteral("a much longer cell text"));
    g.SetCells(3, 3, QStringLiteral("short"));
    g.HideColumn(2);
    g.AutoSizeCol(2);  // display 2 is real column 3
    const int expected = g.fontMetrics().horizontalAdvance(QStringLiteral("a much longer cell text")) +
                         2 * TExStringGrid::kCellMargin;
    EXPECT_EQ(g.AllColWidths(3), expected);
    EXPECT_EQ(g.AllColWidths(2), TExStringGrid::kDefaultColWidth);
    g.AutoSizeCol(2, 10);
    EXPECT_EQ(g.AllColWidths(3), expected + 10);
}

// Events --------------------------------------------------------------------------------------

struct ShownGrid : ::testing::Test {
    QWidget form;
    TExColumnGrid g{&form};
    void SetUp() override {
        g.SetColCount(5);
        g.SetRowCount(6);
        showActive(form, g, {500, 250});
        if (HasFatalFailure()) return;
    }
    // Clicks a cell given by its real column, as the user does.
    void clickAt(int realCol, int row) { click(g, g.DisplColIndex(realCol), row); }
};

TEST_F(ShownGrid, DoubleClicksReportRowThenDisplayColumn) {
    g.HideColumn(1);
    std::vector<std::pair<int, int>> seen;
    g.OnDblClickCell = [&](QObject* sender, int row, int col) {
        EXPECT_EQ(sender, &g);
        seen.emplace_back(row, col);
    };
    // A widget double-click arrives after the press and release of its first click.
    dblClick(g, g.DisplColIndex(3), 2);
    dblClick(g, g.DisplColIndex(4), 0);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(2, 2));
    EXPECT_EQ(seen[1], std::make_pair(0, 3));  // real column 4 shows at display 3
}

TEST_F(ShownGrid, ADoubleClickOnTheCornerIsOneOnCellZeroZero) {
    std::vector<std::pair<int, int>> seen;
    g.OnDblClickCell = [&](QObject*, int row, int col) { seen.emplace_back(row, col); };
    ASSERT_FALSE(cellRect(g, 0, 0).isEmpty());
    dblClick(g, 0, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(0, 0));
}

// A grid without its fixed column (none fixed, column 0 hidden, as the keyword list has it): display
// column 0 is the first data cell.
TEST_F(ShownGrid, WithColumnZeroHiddenDisplayColumnZeroIsADataCell) {
    g.Columns().Items(1).SetEditor(edDataCheckBox);
    g.SetCells(1, 2, QStringLiteral("N"));
    g.SetFixedCols(0);
    g.HideColumn(0);
    EXPECT_EQ(cellColor(g, 1, 2), g.Color()) << "painted as a data cell";
    g.SetRow(2);
    g.SetCol(0);
    EXPECT_EQ(g.GetRealCol(), 1);
    EXPECT_EQ(g.Selection(), (plat::TGridRect{0, 2, 0, 2}));
    QTest::keyClick(keyTarget(g), Qt::Key_Space);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("Y"));
    g.SetCol(1);
    g.SetCol(0);  // and back
    EXPECT_EQ(g.Selection(), (plat::TGridRect{0, 2, 0, 2}));
    EXPECT_EQ(g.GetRealCol(), 1);
}

TEST_F(ShownGrid, ClickAndSpaceToggleACheckCellAndReportIt) {
    g.Columns().Items(2).SetEditor(edDataCheckBox);
    g.SetCells(2, 3, QStringLiteral("N"));
    std::vector<std::tuple<int, int, bool>> clicks;
    g.OnCheckBoxClick = [&](QObject*, int col, int row, bool state) { clicks.emplace_back(col, row, state); };
    clickAt(2, 3);
    EXPECT_EQ(g.Cells(2, 3), QStringLiteral("Y"));
    g.SetRow(3);
    g.SetCol(2);
    QTest::keyClick(keyTarget(g), Qt::Key_Space);
    EXPECT_EQ(g.Cells(2, 3), QStringLiteral("N"));
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0], std::make_tuple(2, 3, true));
    EXPECT_EQ(clicks[1], std::make_tuple(2, 3, false));
}

TEST_F(ShownGrid, KeyPressSeesEnterAndMayConsumeIt) {
    std::vector<QChar> keys;
    g.OnKeyPress = [&](QObject*, QChar& key) {
        keys.push_back(key);
        if (key == QChar(13)) key = QChar(0);
    };
    g.SetRow(1);
    g.SetCol(1);
    QTest::keyClick(keyTarget(g), Qt::Key_Return);
    QTest::keyClick(keyTarget(g), Qt::Key_A);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], QChar(13));
    EXPECT_EQ(keys[1], QChar(u'a'));
}

TEST_F(ShownGrid, EnterInTheCellEditorCommitsAndReachesTheKeyHandler) {
    std::vector<QChar> keys;
    g.OnKeyPress = [&](QObject*, QChar& key) { keys.push_back(key); };
    g.SetRow(2);
    g.SetCol(3);
    QTest::keyClick(keyTarget(g), Qt::Key_X);  // typing opens the editor with the key
    QWidget* editor = openEditor(g);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(editor, g.NormalEdit());
    QTest::keyClicks(editor, "yz");
    // The editor leaves Enter to the grid, which ends the edit once the key is handled.
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("xyz"));
    // Every character typed in the editor passes the grid's key handling too, Enter last.
    EXPECT_EQ(keys, (std::vector<QChar>{u'x', u'y', u'z', QChar(13)}));
}

// Keys typed at once after a click in the current cell all reach the cell: the click opens the
// editor without waiting for a possible double-click.
TEST_F(ShownGrid, KeysTypedRightAfterAClickInTheCurrentCellAreKept) {
    g.SetCells(1, 2, QStringLiteral("old"));
    g.SetRow(2);
    g.SetCol(1);
    clickAt(1, 2);
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(g.NormalEdit(), nullptr) << "the click opened no editor";
    ASSERT_EQ(editor, g.NormalEdit()) << "the click opened no editor";
    g.NormalEdit()->SelectAll();
    QTest::keyClicks(editor, "plant1/setpoint");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("plant1/setpoint"));
    // A typed character opens the editor with itself as the first keystroke.
    g.SetRow(3);
    for (const char c : {'a', 'b', 'c'}) QTest::keyClick(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(1, 3), QStringLiteral("abc"));
}

// A column's edit length stops typing in a text cell at that many characters, the grid's combo length
// in a drop-down-with-edit cell; a longer text already in the cell is kept whole and may only shrink.
TEST_F(ShownGrid, TheEditLengthStopsTypingButKeepsALongerText) {
    g.Columns().Items(1).EditLength = 4;
    g.Columns().Items(2).SetEditor(edComboEdit);
    g.Columns().Items(2).SetComboItems({QStringLiteral("one"), QStringLiteral("two")});
    g.SetMaxComboLength(4);
    struct Case {
        int col;
        const char* before;
        const char* typed;
        const char* after;
    } cases[] = {
        {1, "", "abcdef", "abcd"},
        {2, "", "abcdef", "abcd"},
        {1, "longer text", "x", "longer text"},
        {3, "", "abcdef", "abcdef"},  // a column without a limit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        g.SetCells(c.col, 2, QString::fromLatin1(c.before));
        g.SetRow(1);
        g.SetRow(2);
        g.SetCol(c.col);
        clickAt(c.col, 2);
        QWidget* line = QApplication::focusWidget();
        ASSERT_NE(openEditor(g), nullptr) << "no editor opened";
        ASSERT_TRUE(line == openEditor(g) || line->parentWidget() == openEditor(g)) << "the editor has no focus";
        QTest::keyClick(line, Qt::Key_End);
        QTest::keyClicks(line, c.typed);
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(g.Cells(c.col, 2), QString::fromLatin1(c.after));
    }
    // Shortened, the longer text still cannot grow past the limit.
    g.SetCells(1, 3, QStringLiteral("abcdefg"));
    g.SetRow(3);
    g.SetCol(1);
    clickAt(1, 3);
    QWidget* line = QApplication::focusWidget();
    ASSERT_NE(g.NormalEdit(), nullptr);
    ASSERT_EQ(line, g.NormalEdit());
    QTest::keyClick(line, Qt::Key_End);
    for (int i = 0; i < 5; ++i) QTest::keyClick(line, Qt::Key_Backspace);
    QTest::keyClicks(line, "xyz");
    QTest::keyClick(line, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.Cells(1, 3), QStringLiteral("abxy"));
}

// A click on a cell that is not the current one only moves to it.
TEST_F(ShownGrid, AClickOnAnotherCellOnlyMovesTheFocusCell) {
    g.SetRow(2);
    g.SetCol(1);
    clickAt(3, 4);
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.GetRealCol(), 3);
    EXPECT_EQ(openEditor(g), nullptr);
    EXPECT_FALSE(g.EditorMode());
}

TEST_F(ShownGrid, ADoubleClickOnADropDownCellShowsItsList) {
    for (const TEditorType kind : {edComboList, edComboEdit}) {
        TGridColumnItem& it = g.Columns().Items(3);
        it.SetEditor(kind);
        it.ComboItems() = QStringList{"0", "1", "2"};
        int reported = 0;
        g.OnDblClickCell = [&](QObject*, int row, int col) {
            EXPECT_EQ(std::make_pair(row, col), std::make_pair(2, 3));
            ++reported;
        };
        g.SetRow(1);
        g.SetCol(1);
        const Spot s = under(g, 3, 2);
        ASSERT_NE(s.w, nullptr);
        QTest::mouseClick(s.w, Qt::LeftButton, {}, s.p);
        QTest::mouseDClick(s.w, Qt::LeftButton, {}, s.p);
        // The list opens once the button is up again.
        QComboBox* waiting = g.EditCombo();
        ASSERT_NE(waiting, nullptr) << int(kind);
        ASSERT_EQ(openEditor(g), waiting) << int(kind);
        EXPECT_FALSE(waiting->view()->isVisible()) << int(kind);
        QTest::mouseRelease(s.w, Qt::LeftButton, {}, s.p);
        EXPECT_EQ(reported, 1) << int(kind);
        QComboBox* combo = g.EditCombo();
        ASSERT_EQ(openEditor(g), combo) << int(kind);
        EXPECT_EQ(combo->isEditable(), kind == edComboEdit);
        EXPECT_TRUE(combo->view()->isVisible()) << int(kind);
        combo->hidePopup();
        QTest::keyClick(combo, Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Enter in an editor ends the edit at once, before the dialog moves the focus cell: nothing is
// left for the view to commit later from an editor it no longer owns.
TEST_F(ShownGrid, EnterThatMovesOnLeavesNoEditorBehind) {
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
        warnings << m;
    });
    g.OnKeyPress = [this](QObject*, QChar& key) {
        if (key != QChar(13)) return;
        g.SetCol(g.Col() % (g.ColCount() - 1) + 1);
        key = QChar(0);
    };
    g.SetRow(2);
    g.SetCol(1);
    for (const char* typed : {"a", "b", "c"}) {
        QTest::keyClicks(keyTarget(g), typed);
        QWidget* editor = openEditor(g);
        ASSERT_NE(editor, nullptr);
        ASSERT_EQ(editor, g.NormalEdit());
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(openEditor(g), nullptr) << "the editor stays open after " << typed;
        EXPECT_FALSE(g.EditorMode()) << typed;
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("a"));
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("b"));
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("c"));
    EXPECT_EQ(g.GetRealCol(), 4);
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join(u'\n').toStdString();
}

// Tab leaves the grid for the next control of the window, from a cell and from a cell editor (whose
// text is kept).
TEST(GridTab, TabMovesOnToTheNextControl) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* g = new TExStringGrid(&window);
    plat::TGridOptions o = g->Options();
    o.include(plat::goEditing);  // a string grid edits with the option its window sets
    g->SetOptions(o);
    auto* after = new QPushButton(QStringLiteral("after"), &window);
    layout->addWidget(g);
    layout->addWidget(after);
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    for (const bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "from a cell editor" : "from a cell");
        g->setFocus();
        g->SetRow(1);
        g->SetCol(1);
        if (editing) QTest::keyClick(QApplication::focusWidget(), Qt::Key_T);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), after)
            << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className() : "no focus");
        EXPECT_EQ(g->Col(), 1);
        EXPECT_EQ(g->Cells(1, 1), editing ? QStringLiteral("t") : QString());
    }
}

TEST_F(ShownGrid, CellRectIsWhereTheGridDrawsTheCell) {
    g.HideColumn(2);
    g.SetColors(3, 3, 0x0000FF00);  // only cell (real 3, row 3) is painted green
    QCoreApplication::processEvents();
    const QRect r = cellRect(g, 2, 3);  // display 2 is real column 3
    ASSERT_FALSE(r.isEmpty());
    EXPECT_EQ(r.width(), g.ColWidths(2));
    EXPECT_EQ(r.height(), g.RowHeights(3));
    // Set the current cell apart, so that its focus look is not in the way.
    g.SetRow(1);
    g.SetCol(1);
    const QImage shot = g.grab().toImage();
    const QColor green(0, 0xFF, 0);
    for (const QPoint inside : {r.topLeft() + QPoint(2, 2), r.bottomRight() - QPoint(2, 2),
                                QPoint(r.left() + 2, r.bottom() - 2), QPoint(r.right() - 2, r.top() + 2)})
        EXPECT_EQ(pixel(shot, inside), green) << inside.x() << "," << inside.y();
    for (const QPoint outside : {QPoint(r.left() - 3, r.center().y()), QPoint(r.right() + 3, r.center().y()),
                                 QPoint(r.center().x(), r.top() - 3), QPoint(r.center().x(), r.bottom() + 3)})
        EXPECT_NE(pixel(shot, outside), green) << outside.x() << "," << outside.y();
    EXPECT_FALSE(cellRect(g, 0, 0).isEmpty());
    EXPECT_FALSE(cellRect(g, 2, 0).isEmpty());
    EXPECT_FALSE(cellRect(g, 0, 3).isEmpty());
    EXPECT_TRUE(cellRect(g, 2, 99).isEmpty());
}

TEST_F(ShownGrid, WithoutADialogHintTheGridKeepsItsOwn) {
    g.setToolTip(QStringLiteral("grid hint"));
    EXPECT_EQ(g.CellHint(1, 1), QStringLiteral("grid hint"));
    g.OnGridHint = [](QObject*, int row, int, QString& hint) {
        if (row == 0) hint = QStringLiteral("header");
    };
    EXPECT_EQ(g.CellHint(0, 2), QStringLiteral("header"));
    EXPECT_EQ(g.CellHint(3, 2), QStringLiteral("grid hint"));
}

TEST_F(ShownGrid, ChoosingInAComboCellWritesItAndReportsIt) {
    TGridColumnItem& it = g.Columns().Items(3);
    it.SetEditor(edComboList);
    it.ComboItems() = QStringList{"BOOL", "INT", "REAL"};
    g.SetCells(3, 2, QStringLiteral("INT"));
    std::vector<std::tuple<int, int, int, QString>> changes;
    g.OnComboChange = [&](QObject*, int col, int row, int i, const QString& s) { changes.emplace_back(col, row, i, s); };
    g.SetRow(2);
    g.SetCol(3);
    clickAt(3, 2);  // a click on the current cell opens its editor
    QComboBox* combo = g.EditCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(openEditor(g), combo);
    EXPECT_EQ(combo->currentText(), QStringLiteral("INT"));
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->maxVisibleItems(), 8);
    pickInList(combo, 2);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_tuple(3, 2, 2, QStringLiteral("REAL")));
    // The pick stands in the editor; the cell takes it when the edit ends.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("REAL"));
    EXPECT_EQ(changes.size(), 1u) << "the end of the edit is no second choice";
}

// A grid taken down while its drop-down editor has the focus goes quietly: the combo's focus loss on
// its way out must not reach the half taken down grid.
TEST(GridTeardown, AGridGoesWithItsDropDownEditorOpen) {
    auto form = std::make_unique<QWidget>();
    auto* g = new TExColumnGrid(form.get());
    g->SetColCount(4);
    g->SetRowCount(4);
    g->Columns().Items(2).SetEditor(edComboList);
    g->Columns().Items(2).SetComboItems({QStringLiteral("a"), QStringLiteral("b")});
    showActive(*form, *g, {400, 200});
    g->SetRow(1);
    g->SetCol(2);
    click(*g, 2, 1);
    ASSERT_EQ(openEditor(*g), g->EditCombo());
    ASSERT_TRUE(g->EditCombo()->hasFocus());
    QPointer<TExColumnGrid> alive(g);
    delete g;  // as a window's member grid goes before the window
    EXPECT_TRUE(alive.isNull());
}

TEST_F(ShownGrid, ALongListOpensWithItsDropDownCountOfRows) {
    TGridColumnItem& it = g.Columns().Items(3);
    it.SetEditor(edComboList);
    QStringList many;
    for (int i = 0; i < 1441; ++i) many << QString::number(i);
    it.ComboItems() = many;
    g.SetRow(2);
    g.SetCol(3);
    clickAt(3, 2);
    QComboBox* combo = g.EditCombo();
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(openEditor(g), combo);
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    const int row = list->sizeHintForRow(0);
    ASSERT_GT(row, 0);
    EXPECT_LE(list->height(), row * (8 + 2));
    combo->hidePopup();
}

TEST_F(ShownGrid, HintsAskTheDialogWithRowThenDisplayColumn) {
    g.HideColumn(2);
    std::vector<std::pair<int, int>> asked;
    g.OnGridHint = [&](QObject*, int row, int col, QString& hint) {
        asked.emplace_back(row, col);
        hint = QStringLiteral("hint");
    };
    for (const auto [displCol, row] : {std::pair{3, 3}, std::pair{1, 0}}) {
        const Spot s = under(g, displCol, row);
        ASSERT_NE(s.w, nullptr);
        QHelpEvent help(QEvent::ToolTip, s.p, s.w->mapToGlobal(s.p));
        QApplication::sendEvent(s.w, &help);
    }
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[0], std::make_pair(3, 3));
    EXPECT_EQ(asked[1], std::make_pair(0, 1));
}

}  // namespace

namespace {

// The corner of the fixed row and column shows the text of cell (0, 0).
TEST(GridCorner, ShowsTheTextOfTheFixedCorner) {
    TExStringGrid grid;
    grid.SetColCount(3);
    grid.SetRowCount(3);
    grid.resize(300, 120);
    grid.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&grid));
    const QRect corner = cellRect(grid, 0, 0);
    ASSERT_FALSE(corner.isEmpty());
    const QImage empty = grid.grab(corner).toImage();
    grid.SetCells(0, 0, QStringLiteral("N"));
    const QImage withText = grid.grab(corner).toImage();
    EXPECT_NE(empty, withText);
    grid.SetCells(0, 0, QString());
    EXPECT_EQ(grid.grab(corner).toImage(), empty);
}

}  // namespace

namespace {

// Clicks and row selection, driven by the mouse at the cells as a user meets the grid.
struct ClickGrid : ::testing::Test {
    QWidget form;
    TExColumnGrid g{&form};
    std::vector<std::pair<int, int>> clicks;

    void SetUp() override {
        g.SetColCount(5);
        g.SetRowCount(8);
        plat::TGridOptions o = g.Options();
        o.include(plat::goColSizing);  // as the table dialogs have it
        g.SetOptions(o);
        showActive(form, g, {500, 300});
        if (HasFatalFailure()) return;
        g.OnClickCell = [this](QObject* sender, int row, int col) {
            EXPECT_EQ(sender, &g);
            clicks.emplace_back(row, col);
        };
    }
    // The whole selection: display columns and rows.
    void expectSelection(plat::TGridRect r, const std::string& what) {
        const plat::TGridRect s = g.Selection();
        EXPECT_EQ(s, r) << what << ": selection " << s.Left << "," << s.Top << " .. " << s.Right << "," << s.Bottom;
    }
};

TEST_F(ClickGrid, EveryPressedCellReportsRowThenDisplayColumn) {
    g.HideColumn(2);
    for (const auto [col, row] : {std::pair{3, 3}, std::pair{0, 4}, std::pair{3, 0}, std::pair{0, 0}}) {
        const Spot s = under(g, col, row);
        ASSERT_NE(s.w, nullptr);
        QTest::mousePress(s.w, Qt::LeftButton, {}, s.p);
        QTest::mouseRelease(s.w, Qt::LeftButton, {}, s.p);
    }
    const std::vector<std::pair<int, int>> expected = {{3, 3}, {4, 0}, {0, 3}, {0, 0}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(ClickGrid, APressOnAHeaderColumnBorderSizesAndIsNoClick) {
    // The border between display columns 2 and 3 in the header row, in the cells' coordinates.
    const QRect head = g.CellRect(2, 0).toQRect();
    const int border = head.right() + 1, y = head.center().y();
    QWidget* cells = g.viewport();
    for (int dx : {-3, -1, 1, 3}) QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(border + dx, y));
    EXPECT_TRUE(clicks.empty());
    EXPECT_EQ(g.ColWidths(2), head.width()) << "a press without a move leaves the width";
    // Dragged, the border takes the column's width with it.
    QTest::mousePress(cells, Qt::LeftButton, {}, QPoint(border - 1, y));
    QMouseEvent move(QEvent::MouseMove, QPointF(border + 19, y), cells->mapToGlobal(QPointF(border + 19, y)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cells, &move);
    QTest::mouseRelease(cells, Qt::LeftButton, {}, QPoint(border + 19, y));
    EXPECT_EQ(g.ColWidths(2), head.width() + 20);
    EXPECT_TRUE(clicks.empty());
    const int moved = g.CellRect(2, 0).toQRect().right() + 1;
    QTest::mouseClick(cells, Qt::LeftButton, {}, QPoint(moved + 5, y));
    const std::vector<std::pair<int, int>> expected = {{0, 3}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(ClickGrid, RowSelectTakesTheClickedRowWholeAndKeepsTheColumn) {
    g.SetRowSelect(true);
    EXPECT_TRUE(g.RowSelect());
    // Pressed twice: a press on a row already selected must not narrow it to the cell on release.
    for (int i = 0; i < 2; ++i) {
        click(g, 3, 4);
        for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 4) << i << " row " << r;
        expectSelection({g.FixedCols(), 4, g.ColCount() - 1, 4}, "press " + std::to_string(i));
        EXPECT_EQ(g.Row(), 4);
        EXPECT_EQ(g.Col(), 3) << "the clicked column stays current";
    }
    g.setFocus();
    QTest::keyClick(keyTarget(g), Qt::Key_Down);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 5) << "row " << r;
    EXPECT_EQ(g.Col(), 3);

    g.SetRowSelect(false);
    click(g, 2, 2);
    expectSelection({2, 2, 2, 2}, "the cell alone again");
}

TEST_F(ClickGrid, SelectRowsTakesWholeRowsCutAtTheRowCount) {
    g.SelectRows(5, 10);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r >= 5) << "row " << r;
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.Col(), g.ColCount() - 1);
    g.SelectRows(2, 1);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 2) << "row " << r;
    EXPECT_EQ(g.Row(), 2);
    EXPECT_THROW(g.GetRowSelect(8), EExGridError);
}

}  // namespace

namespace {

// FixedCols 0: column 0 is a data column, shown and handled by the view like the others.
// The table grids have 0 or 1 fixed columns; a count that leaves no data column is refused and
// changes nothing.
TEST(FixedCols, ZeroAndOneAreTakenACountWithoutDataColumnsIsRefused) {
    TExStringGrid g;
    EXPECT_EQ(g.FixedCols(), 1);
    for (int bad : {-1, 5, 9}) {
        EXPECT_THROW(g.SetFixedCols(bad), plat::EInvalidGridOperation) << bad;
        EXPECT_EQ(g.FixedCols(), 1) << bad;
    }
    g.SetFixedCols(0);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_THROW(g.SetFixedCols(5), plat::EInvalidGridOperation);
    EXPECT_EQ(g.FixedCols(), 0);
    g.SetFixedCols(1);
    EXPECT_EQ(g.FixedCols(), 1);
}

struct NoFixedColumn : ::testing::Test {
    QWidget form;
    TExColumnGrid g{&form};
    void SetUp() override {
        g.SetColCount(4);
        g.SetRowCount(5);
        g.SetFixedCols(0);
        for (int r = 0; r < g.RowCount(); ++r)
            for (int c = 0; c < g.TotalColCount(); ++c) g.SetCells(c, r, tag(c, r));
        showActive(form, g, {500, 250});
        if (HasFatalFailure()) return;
    }
    // The colour painted near the bottom right corner of a cell (display column), clear of its text.
    QColor painted(int displCol, int row) {
        const QRect r = cellRect(g, displCol, row);
        EXPECT_FALSE(r.isEmpty()) << displCol << "," << row;
        return pixel(g.grab().toImage(), r.bottomRight() - QPoint(3, 3));
    }
};

TEST_F(NoFixedColumn, ColumnZeroIsADataColumnCountedAsBefore) {
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(g.ColCount() - g.FixedCols(), 4) << "four data columns";
    EXPECT_EQ(g.Cells(0, 2), tag(0, 2));
    EXPECT_EQ(g.Cells(3, 4), tag(3, 4));
    EXPECT_EQ(g.Cells(0, 0), tag(0, 0));
    // Painted as a data cell, not as a fixed one.
    EXPECT_EQ(cellColor(g, 0, 2), cellColor(g, 1, 2));
    EXPECT_NE(cellColor(g, 0, 2), cellColor(g, 1, 0));
    // Its header is a cell of the header row, where the corner was, and its cells lie below it.
    const QRect head = g.CellRect(0, 0).toQRect();
    ASSERT_FALSE(head.isEmpty());
    EXPECT_EQ(head.topLeft(), QPoint(0, 0));
    EXPECT_EQ(cellColor(g, 0, 0), cellColor(g, 1, 0)) << "painted like the other header cells";
    const QRect cell = g.CellRect(0, 2).toQRect();
    EXPECT_EQ(cell.left(), head.left());
    EXPECT_EQ(cell.width(), head.width());
    EXPECT_EQ(cell.top(), g.CellRect(1, 2).toQRect().top());
    EXPECT_LT(cell.right(), g.CellRect(1, 2).toQRect().left());
}

TEST_F(NoFixedColumn, ItsCellsAreEditedLikeTheOthers) {
    EXPECT_TRUE(g.CanEditCell(0, 1));
    g.SetRow(2);
    g.SetCol(0);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 2);
    QTest::keyClick(keyTarget(g), Qt::Key_X);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(0, 2), QStringLiteral("x"));
    // Its column item answers for it: read-only, colour, check box.
    g.Columns().Items(0).ReadOnly = true;
    EXPECT_FALSE(g.CanEditCell(0, 1));
    g.Columns().Items(0).SetColor(0x00123456);
    EXPECT_EQ(cellColor(g, 0, 1), plat::TColor(0x00123456));
    g.Columns().Items(0).ReadOnly = false;
    g.Columns().Items(0).SetEditor(edDataCheckBox);
    g.SetCells(0, 3, QStringLiteral("N"));
    g.SetRow(3);
    g.SetCol(0);
    QTest::keyClick(keyTarget(g), Qt::Key_Space);
    EXPECT_EQ(g.Cells(0, 3), QStringLiteral("Y"));
}

TEST_F(NoFixedColumn, ClicksAndRowSelectionIncludeIt) {
    std::vector<std::pair<int, int>> clicks;
    g.OnClickCell = [&](QObject*, int row, int col) { clicks.emplace_back(row, col); };
    click(g, 0, 3);
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{3, 0}}));
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 3);
    g.SelectRows(2, 1);
    EXPECT_EQ(g.Selection(), (plat::TGridRect{0, 2, 3, 2}));
    // The row is painted selected from column 0 on, the next row is not.
    QCoreApplication::processEvents();
    EXPECT_EQ(painted(0, 2), painted(1, 2));
    EXPECT_NE(painted(0, 2), painted(0, 3));
}

TEST_F(NoFixedColumn, HidingAndSizingItWorkAsForAnyDataColumn) {
    g.SetColWidths(0, 90);
    EXPECT_EQ(g.ColWidths(0), 90);
    EXPECT_EQ(cellRect(g, 0, 1).width(), 90);
    g.HideColumn(0);
    EXPECT_EQ(g.RealColIndex(0), 1);
    EXPECT_EQ(g.ColWidths(0), g.AllColWidths(1)) << "display 0 shows real column 1";
    EXPECT_EQ(cellRect(g, 0, 1).width(), g.AllColWidths(1));
    g.SetRow(1);
    g.SetCol(0);
    EXPECT_EQ(g.GetRealCol(), 1);
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 1);
    g.UnHideColumn(0);
    EXPECT_EQ(g.ColWidths(0), 90);
    EXPECT_EQ(cellRect(g, 0, 1).width(), 90);
}

TEST_F(NoFixedColumn, ItScrollsAwayWithTheOtherColumns) {
    for (int c = 0; c < g.TotalColCount(); ++c) g.SetAllColWidths(c, 300);
    ASSERT_FALSE(g.CellRect(0, 1).toQRect().isEmpty());
    QApplication::processEvents();  // the grid lays out its new widths
    QScrollBar* bar = g.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->triggerAction(QAbstractSlider::SliderToMaximum);  // the user's End on the bar
    QApplication::processEvents();
    EXPECT_TRUE(g.CellRect(0, 1).toQRect().isEmpty());
    EXPECT_TRUE(g.CellRect(0, 0).toQRect().isEmpty());
    EXPECT_FALSE(g.CellRect(3, 1).toQRect().isEmpty());
}

TEST_F(NoFixedColumn, NewRowsAreNotNumberedAndFixingItAgainRestoresTheRowNumbers) {
    g.SetRowCount(7);
    EXPECT_EQ(g.Cells(0, 4), tag(0, 4));
    EXPECT_TRUE(g.Cells(0, 5).isEmpty());
    EXPECT_TRUE(g.Cells(0, 6).isEmpty());
    g.SetFixedCols(1);
    EXPECT_EQ(g.ColCount() - g.FixedCols(), 3) << "three data columns";
    EXPECT_EQ(cellColor(g, 0, 2), cellColor(g, 1, 0)) << "column 0 is painted fixed again";
    EXPECT_NE(cellColor(g, 1, 2), cellColor(g, 1, 0));
    EXPECT_FALSE(g.CanEditCell(0, 1));
    EXPECT_TRUE(g.CanEditCell(1, 2));
    EXPECT_EQ(g.Cells(1, 2), tag(1, 2));  // real 1 again
    g.SetRowCount(8);
    EXPECT_EQ(g.Cells(0, 7), QStringLiteral("7"));
}

}  // namespace

// Cell colours and pictures --------------------------------------------------------------------

namespace {

// A 16 x 16 picture filled with one colour.
void addSolid(plat::TImageList& list, QColor colour) {
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(colour);
    plat::TBitmap b(16, 16, plat::pf32bit);
    b.SetImage(image);
    list.Add(b);
}

}  // namespace

TEST(GridCellLook, CellColoursOverTheGridsAndBackAndTheyFollowResizes) {
    TExStringGrid g;
    g.SetColCount(4);
    g.SetRowCount(3);
    g.SetColor(plat::clWhite);
    g.SetColors(2, 1, 0xB9BBFF);
    EXPECT_EQ(cellColor(g, 2, 1), plat::TColor(0xB9BBFF));
    EXPECT_EQ(cellColor(g, 1, 1), plat::clWhite);
    // Adding columns moves the store: the colour stays on its cell.
    g.SetColCount(6);
    EXPECT_EQ(cellColor(g, 2, 1), plat::TColor(0xB9BBFF));
    EXPECT_EQ(cellColor(g, 3, 1), plat::clWhite);
    // A removed row takes its colour with it.
    g.SetRowCount(1);
    g.SetRowCount(3);
    EXPECT_EQ(cellColor(g, 2, 1), plat::clWhite);
    g.SetColors(2, 2, 0xA8FFA8);
    g.SetColors(2, 2, plat::clNone);
    EXPECT_EQ(cellColor(g, 2, 2), plat::clWhite);
    // A colour for a cell outside the grid changes nothing.
    EXPECT_NO_THROW(g.SetColors(9, 1, 0));
    for (int c = 0; c < g.TotalColCount(); ++c) EXPECT_FALSE(g.CellHasProperties(c, 1)) << c;
}

TEST(GridCellLook, PicturesNeedTheImageListAndAreDrawnCentred) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetAllColWidths(1, 80);
    int idx = -1;
    g.AddImageIdx(1, 1, 0, haCenter, vaCenter);  // no image list yet: nothing is added
    EXPECT_FALSE(g.GetImageIdx(1, 1, idx));

    plat::TImageList images(16, 16);
    addSolid(images, Qt::red);
    addSolid(images, Qt::green);
    g.SetGridImages(&images);
    EXPECT_FALSE(g.GetImageIdx(1, 1, idx)) << "the picture added without a list came in with it";
    g.AddImageIdx(1, 1, 1, haCenter, vaCenter);
    EXPECT_TRUE(g.GetImageIdx(1, 1, idx));
    EXPECT_EQ(idx, 1);
    EXPECT_FALSE(g.GetImageIdx(2, 1, idx));

    g.resize(300, 150);
    g.show();
    QCoreApplication::processEvents();
    const QRect cell = cellRect(g, 1, 1);
    ASSERT_FALSE(cell.isEmpty());
    const QImage shot = g.grab().toImage();
    auto at = [&](QPoint p) { return QColor(shot.pixel(p * shot.devicePixelRatio())); };
    EXPECT_EQ(at(cell.center()), QColor(Qt::green)) << "the picture in the middle of the cell";
    EXPECT_NE(at(QPoint(cell.left() + 3, cell.center().y())), QColor(Qt::green)) << "not at the left edge";

    g.RemoveImageIdx(1, 1);
    EXPECT_FALSE(g.GetImageIdx(1, 1, idx));
    QCoreApplication::processEvents();
    const QImage after = g.grab().toImage();
    EXPECT_NE(QColor(after.pixel(cell.center() * after.devicePixelRatio())), QColor(Qt::green));
}
