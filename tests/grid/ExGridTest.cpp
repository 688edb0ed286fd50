#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "platform/ImageList.h"
#include "tests/support/GridViewAccess.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>
#include <vector>

namespace {

QString tag(int c, int r) { return QStringLiteral("c%1r%2").arg(c).arg(r); }

void fill(TExStringGrid& g) {
    for (int r = 1; r < g.RowCount(); ++r)
        for (int c = 1; c < g.TotalColCount(); ++c) g.SetCells(c, r, tag(c, r));
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
    // The view hides the same columns (its column c is real column c + 1).
    EXPECT_TRUE(view(g).isColumnHidden(2));
    EXPECT_TRUE(view(g).isColumnHidden(4));
    EXPECT_FALSE(view(g).isColumnHidden(3));

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
    EXPECT_EQ(view(g).horizontalHeader()->sectionSize(2), 123);
    EXPECT_EQ(view(g).horizontalHeader()->sectionSize(3), 77);
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
    EXPECT_EQ(view(g).currentIndex().column(), 2);
    EXPECT_EQ(view(g).currentIndex().row(), 1);
    // On the last shown column, hiding that column moves the current column one left.
    g.SetCol(g.ColCount() - 1);
    g.HideColumn(7);
    EXPECT_EQ(g.Col(), g.ColCount() - 1);
    EXPECT_EQ(g.GetRealCol(), 6);
    EXPECT_THROW(g.SetCol(g.ColCount()), std::out_of_range);
    EXPECT_THROW(g.SetRow(g.RowCount()), std::out_of_range);
}

TEST_F(HiddenColumns, TheCurrentCellStaysOnItsColumnWhenOthersHideOrShow) {
    g.SetRow(2);
    g.SetCol(4);
    g.HideColumn(2);
    EXPECT_EQ(g.GetRealCol(), 4);
    EXPECT_EQ(g.Col(), 3);
    g.UnHideColumn(2);
    EXPECT_EQ(g.GetRealCol(), 4);
    g.SetCol(1);
    g.HideColumn(0);  // a grid without its fixed column starts on the first data column
    EXPECT_EQ(g.GetRealCol(), 1);
    EXPECT_EQ(g.Col(), 0);
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
    EXPECT_EQ(g.Cells(0, 1024), QStringLiteral("1024"));
    EXPECT_EQ(view(g).model()->rowCount(), 1024);
    EXPECT_EQ(view(g).model()->columnCount(), 5);
    EXPECT_EQ(view(g).model()->headerData(1023, Qt::Vertical).toString(), QStringLiteral("1024"));
    g.SetColCount(2);
    EXPECT_THROW((void)g.Cells(2, 2), std::out_of_range);
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
    EXPECT_EQ(added.Color(), g.Color);

    g.SetColCount(2);
    EXPECT_EQ(g.Columns().Count(), 2);
    g.Columns().Add();
    EXPECT_EQ(g.ColCount(), 3);
    EXPECT_EQ(g.Columns().Count(), 3);
    EXPECT_THROW(g.Columns().Items(3), std::out_of_range);
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
    EXPECT_EQ(view(g).model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Topic"));
    EXPECT_EQ(g.GetCellEditor(2, 1), edComboEdit);
    EXPECT_EQ(g.GetComboItems(2, 1), (QStringList{"x", "y"}));
    EXPECT_EQ(g.GetCellAlignment(2, 1), taRightJustify);
    const QModelIndex idx = view(g).model()->index(0, 1);
    EXPECT_TRUE(view(g).model()->data(idx, Qt::TextAlignmentRole).toInt() & Qt::AlignRight);
    EXPECT_TRUE(view(g).model()->flags(idx) & Qt::ItemIsEditable);
    EXPECT_FALSE(view(g).model()->data(idx, Qt::BackgroundRole).isValid());  // the window colour
    it.SetColor(0x00112233);  // blue 11, green 22, red 33
    EXPECT_EQ(view(g).model()->data(idx, Qt::BackgroundRole).value<QColor>(), QColor(0x33, 0x22, 0x11));
    EXPECT_FALSE(view(g).model()->data(view(g).model()->index(0, 0), Qt::BackgroundRole).isValid());
    it.ReadOnly = true;
    EXPECT_FALSE(view(g).model()->flags(idx) & Qt::ItemIsEditable);
    it.ReadOnly = false;
    g.SetReadOnly(2, 1, true);
    EXPECT_FALSE(view(g).model()->flags(idx) & Qt::ItemIsEditable);
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
    TExColumnGrid g;
    void SetUp() override {
        g.SetColCount(5);
        g.SetRowCount(6);
        g.resize(500, 250);
        g.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    }
    QPoint cellCentre(int realCol, int row) {
        return view(g).visualRect(view(g).model()->index(row - 1, realCol - 1)).center();
    }
};

TEST_F(ShownGrid, DoubleClicksReportRowThenDisplayColumn) {
    g.HideColumn(1);
    std::vector<std::pair<int, int>> seen;
    g.OnDblClickCell = [&](QObject* sender, int row, int col) {
        EXPECT_EQ(sender, &g);
        seen.emplace_back(row, col);
    };
    // A widget double-click arrives after the press and release of its first click.
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
    QTest::mouseDClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
    QHeaderView* h = view(g).horizontalHeader();
    QTest::mouseDClick(h->viewport(), Qt::LeftButton, {},
                       QPoint(h->sectionViewportPosition(3) + h->sectionSize(3) / 2, h->height() / 2));
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0], std::make_pair(2, 2));
    EXPECT_EQ(seen[1], std::make_pair(0, 3));  // real column 4 shows at display 3
}

TEST_F(ShownGrid, ADoubleClickOnTheCornerIsOneOnCellZeroZero) {
    std::vector<std::pair<int, int>> seen;
    g.OnDblClickCell = [&](QObject*, int row, int col) { seen.emplace_back(row, col); };
    QAbstractButton* corner = g.findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    ASSERT_TRUE(corner->isVisible());
    QTest::mouseDClick(corner, Qt::LeftButton, {}, corner->rect().center());
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(0, 0));
}

// A grid without its fixed column (column 0 hidden): display column 0 is the first data column.
TEST_F(ShownGrid, WithColumnZeroHiddenDisplayColumnZeroIsADataCell) {
    g.Columns().Items(1).SetEditor(edDataCheckBox);
    g.SetCells(1, 2, QStringLiteral("N"));
    g.HideColumn(0);
    g.SetRow(2);
    g.SetCol(0);
    EXPECT_EQ(g.GetRealCol(), 1);
    EXPECT_EQ(view(g).currentIndex(), view(g).model()->index(1, 0));
    QTest::keyClick(&g, Qt::Key_Space);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("Y"));
    g.SetCol(1);
    g.SetCol(0);  // and back
    EXPECT_EQ(view(g).currentIndex(), view(g).model()->index(1, 0));
}

TEST_F(ShownGrid, ClickAndSpaceToggleACheckCellAndReportIt) {
    g.Columns().Items(2).SetEditor(edDataCheckBox);
    g.SetCells(2, 3, QStringLiteral("N"));
    std::vector<std::tuple<int, int, bool>> clicks;
    g.OnCheckBoxClick = [&](QObject*, int col, int row, bool state) { clicks.emplace_back(col, row, state); };
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(2, 3));
    EXPECT_EQ(g.Cells(2, 3), QStringLiteral("Y"));
    g.SetRow(3);
    g.SetCol(2);
    QTest::keyClick(&g, Qt::Key_Space);
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
    QTest::keyClick(&g, Qt::Key_Return);
    QTest::keyClick(&g, Qt::Key_A);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], QChar(13));
    EXPECT_EQ(keys[1], QChar(u'a'));
}

TEST_F(ShownGrid, EnterInTheCellEditorCommitsAndReachesTheKeyHandler) {
    std::vector<QChar> keys;
    g.OnKeyPress = [&](QObject*, QChar& key) { keys.push_back(key); };
    g.SetRow(2);
    g.SetCol(3);
    QTest::keyClick(&g, Qt::Key_X);  // typing opens the editor with the key
    auto* editor = view(g).viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, "yz");
    // The editor leaves Enter to the grid, which ends the edit once the key is handled.
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("xyz"));
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0], QChar(u'x'));
    EXPECT_EQ(keys[1], QChar(13));
}

// Keys typed at once after a click in the current cell all reach the cell: the click opens the
// editor without waiting for a possible double-click.
TEST_F(ShownGrid, KeysTypedRightAfterAClickInTheCurrentCellAreKept) {
    g.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    g.SetCells(1, 2, QStringLiteral("old"));
    g.SetRow(2);
    g.SetCol(1);
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(1, 2));
    QWidget* editor = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr) << "the click opened no editor";
    static_cast<QLineEdit*>(editor)->selectAll();
    QTest::keyClicks(editor, "plant1/setpoint");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("plant1/setpoint"));
    // A typed character opens the editor with itself as the first keystroke.
    g.SetRow(3);
    for (const char c : {'a', 'b', 'c'}) QTest::keyClick(QApplication::focusWidget(), c);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(1, 3), QStringLiteral("abc"));
}

// A column's edit length stops typing at that many characters, in a text and in a drop-down-with-edit
// cell; a longer text already in the cell is kept whole and may only shrink.
TEST_F(ShownGrid, TheEditLengthStopsTypingButKeepsALongerText) {
    g.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&g));
    g.Columns().Items(1).EditLength = 4;
    g.Columns().Items(2).SetEditor(edComboEdit);
    g.Columns().Items(2).SetComboItems({QStringLiteral("one"), QStringLiteral("two")});
    g.Columns().Items(2).EditLength = 4;
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
        QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(c.col, 2));
        QWidget* editor = QApplication::focusWidget();
        auto* combo = qobject_cast<QComboBox*>(editor);
        auto* line = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(editor);
        ASSERT_NE(line, nullptr) << "no editor opened";
        line->end(false);
        QTest::keyClicks(line, c.typed);
        QTest::keyClick(line, Qt::Key_Return);
        QCoreApplication::processEvents();
        EXPECT_EQ(g.Cells(c.col, 2), QString::fromLatin1(c.after));
    }
    // Shortened, the longer text still cannot grow past the limit.
    g.SetCells(1, 3, QStringLiteral("abcdefg"));
    g.SetRow(3);
    g.SetCol(1);
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(1, 3));
    auto* line = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(line, nullptr);
    line->end(false);
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
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 4));
    EXPECT_EQ(g.Row(), 4);
    EXPECT_EQ(g.GetRealCol(), 3);
    EXPECT_EQ(view(g).viewport()->findChild<QLineEdit*>(), nullptr);
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
        QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        QTest::mouseDClick(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        // The list opens once the button is up again.
        auto* waiting = view(g).viewport()->findChild<QComboBox*>();
        ASSERT_NE(waiting, nullptr) << int(kind);
        EXPECT_FALSE(waiting->view()->isVisible()) << int(kind);
        QTest::mouseRelease(view(g).viewport(), Qt::LeftButton, {}, cellCentre(3, 2));
        EXPECT_EQ(reported, 1) << int(kind);
        auto* combo = view(g).viewport()->findChild<QComboBox*>();
        ASSERT_NE(combo, nullptr) << int(kind);
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
        QTest::keyClicks(&g, typed);
        QWidget* editor = view(g).viewport()->findChild<QLineEdit*>();
        ASSERT_NE(editor, nullptr);
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    qInstallMessageHandler(previous);
    EXPECT_EQ(g.Cells(1, 2), QStringLiteral("a"));
    EXPECT_EQ(g.Cells(2, 2), QStringLiteral("b"));
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("c"));
    EXPECT_EQ(g.GetRealCol(), 4);
    EXPECT_TRUE(warnings.filter(QStringLiteral("commitData")).isEmpty()) << warnings.join(u'\n').toStdString();
}

// Tab leaves the grid for the next control of the window, from a cell and from a cell editor (whose
// text is kept).
TEST(GridTab, TabMovesOnToTheNextControl) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* g = new TExStringGrid(&window);
    auto* after = new QPushButton(QStringLiteral("after"), &window);
    layout->addWidget(g);
    layout->addWidget(after);
    window.resize(400, 300);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    for (const bool editing : {false, true}) {
        SCOPED_TRACE(editing ? "from a cell editor" : "from a cell");
        g->setFocus();
        g->SetRow(1);
        g->SetCol(1);
        if (editing) QTest::keyClick(QApplication::focusWidget(), Qt::Key_T);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), after);
        EXPECT_EQ(g->Col(), 1);
        EXPECT_EQ(g->Cells(1, 1), editing ? QStringLiteral("t") : QString());
    }
}

TEST_F(ShownGrid, CellRectIsWhereTheViewDrawsTheCell) {
    g.HideColumn(2);
    const QRect r = g.CellRect(2, 3);  // display 2 is real column 3
    ASSERT_FALSE(r.isEmpty());
    const QWidget* vp = view(g).viewport();
    EXPECT_EQ(r.translated(-vp->mapTo(&g, QPoint(0, 0))), view(g).visualRect(view(g).model()->index(2, 2)));
    EXPECT_TRUE(g.CellRect(0, 0).isValid());
    EXPECT_TRUE(g.CellRect(2, 0).isValid());
    EXPECT_TRUE(g.CellRect(0, 3).isValid());
    EXPECT_TRUE(g.CellRect(2, 99).isEmpty());
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
    const QModelIndex idx = view(g).model()->index(1, 2);
    view(g).setCurrentIndex(idx);
    view(g).edit(idx);
    auto* combo = view(g).viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), QStringLiteral("INT"));
    EXPECT_FALSE(combo->isEditable());
    EXPECT_EQ(combo->maxVisibleItems(), 8);
    combo->setCurrentIndex(2);  // what a choice in the list does before it reports it
    emit combo->activated(2);
    EXPECT_EQ(g.Cells(3, 2), QStringLiteral("REAL"));
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0], std::make_tuple(3, 2, 2, QStringLiteral("REAL")));
}

TEST_F(ShownGrid, ALongListOpensWithItsDropDownCountOfRows) {
    TGridColumnItem& it = g.Columns().Items(3);
    it.SetEditor(edComboList);
    QStringList many;
    for (int i = 0; i < 1441; ++i) many << QString::number(i);
    it.ComboItems() = many;
    const QModelIndex idx = view(g).model()->index(1, 2);
    view(g).setCurrentIndex(idx);
    view(g).edit(idx);
    auto* combo = view(g).viewport()->findChild<QComboBox*>();
    ASSERT_NE(combo, nullptr);
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
    const QPoint p = cellCentre(4, 3);
    QHelpEvent cellHelp(QEvent::ToolTip, p, view(g).viewport()->mapToGlobal(p));
    QApplication::sendEvent(view(g).viewport(), &cellHelp);
    QHeaderView* h = view(g).horizontalHeader();
    const QPoint hp(h->sectionViewportPosition(0) + 5, h->height() / 2);
    QHelpEvent headHelp(QEvent::ToolTip, hp, h->viewport()->mapToGlobal(hp));
    QApplication::sendEvent(h->viewport(), &headHelp);
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
    QAbstractButton* corner = grid.findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    const QImage empty = corner->grab().toImage();
    grid.SetCells(0, 0, QStringLiteral("N"));
    const QImage withText = corner->grab().toImage();
    EXPECT_NE(empty, withText);
    grid.SetCells(0, 0, QString());
    EXPECT_EQ(corner->grab().toImage(), empty);
}

}  // namespace

namespace {

// Clicks and row selection, driven through the grid's child widgets only (the headers and the
// scrolling viewport), so the tests do not lean on the view class the grid stands on.
struct ClickGrid : ::testing::Test {
    TExColumnGrid g;
    QHeaderView* top = nullptr;
    QHeaderView* left = nullptr;
    QWidget* cells = nullptr;
    std::vector<std::pair<int, int>> clicks;

    void SetUp() override {
        g.SetColCount(5);
        g.SetRowCount(8);
        g.resize(500, 300);
        g.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
        for (QHeaderView* h : g.findChildren<QHeaderView*>()) (h->orientation() == Qt::Horizontal ? top : left) = h;
        for (QWidget* w : g.findChildren<QWidget*>())
            if (w->objectName() == u"qt_scrollarea_viewport" && !qobject_cast<QHeaderView*>(w->parentWidget()))
                cells = w;
        ASSERT_TRUE(top && left && cells);
        g.OnClickCell = [this](QObject* sender, int row, int col) {
            EXPECT_EQ(sender, &g);
            clicks.emplace_back(row, col);
        };
    }
    QPoint cellCentre(int realCol, int row) const {
        return {top->sectionViewportPosition(realCol - 1) + top->sectionSize(realCol - 1) / 2,
                left->sectionViewportPosition(row - 1) + left->sectionSize(row - 1) / 2};
    }
};

TEST_F(ClickGrid, EveryPressedCellReportsRowThenDisplayColumn) {
    g.HideColumn(2);
    QTest::mousePress(cells, Qt::LeftButton, {}, cellCentre(4, 3));
    QTest::mouseRelease(cells, Qt::LeftButton, {}, cellCentre(4, 3));
    QTest::mousePress(left->viewport(), Qt::LeftButton, {},
                      QPoint(left->width() / 2, left->sectionViewportPosition(3) + 5));
    QTest::mousePress(top->viewport(), Qt::LeftButton, {},
                      QPoint(top->sectionViewportPosition(3) + top->sectionSize(3) / 2, top->height() / 2));
    QAbstractButton* corner = g.findChild<QAbstractButton*>();
    ASSERT_NE(corner, nullptr);
    QTest::mousePress(corner, Qt::LeftButton, {}, corner->rect().center());
    const std::vector<std::pair<int, int>> expected = {{3, 3}, {4, 0}, {0, 3}, {0, 0}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(ClickGrid, APressOnAHeaderColumnBorderSizesAndIsNoClick) {
    const int border = top->sectionViewportPosition(1) + top->sectionSize(1);  // between real 2 and 3
    for (int dx : {-3, -1, 1, 3})
        QTest::mousePress(top->viewport(), Qt::LeftButton, {}, QPoint(border + dx, top->height() / 2));
    EXPECT_TRUE(clicks.empty());
    QTest::mousePress(top->viewport(), Qt::LeftButton, {}, QPoint(border + 5, top->height() / 2));
    const std::vector<std::pair<int, int>> expected = {{0, 3}};
    EXPECT_EQ(clicks, expected);
}

TEST_F(ClickGrid, RowSelectTakesTheClickedRowWholeAndKeepsTheColumn) {
    g.SetRowSelect(true);
    EXPECT_TRUE(g.RowSelect());
    // Pressed twice: a press on a row already selected must not narrow it to the cell on release.
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(cells, Qt::LeftButton, {}, cellCentre(3, 4));
        for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 4) << i << " row " << r;
        EXPECT_EQ(view(g).selectionModel()->selectedIndexes().size(), g.ColCount() - 1) << i;
        EXPECT_EQ(g.Row(), 4);
        EXPECT_EQ(g.Col(), 3) << "the clicked column stays current";
    }
    g.setFocus();
    QTest::keyClick(&view(g), Qt::Key_Down);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 5) << "row " << r;
    EXPECT_EQ(g.Col(), 3);

    g.SetRowSelect(false);
    QTest::mouseClick(cells, Qt::LeftButton, {}, cellCentre(2, 2));
    EXPECT_EQ(view(g).selectionModel()->selectedIndexes().size(), 1) << "the cell alone again";
}

TEST_F(ClickGrid, SelectRowsTakesWholeRowsCutAtTheRowCount) {
    g.SelectRows(5, 10);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r >= 5) << "row " << r;
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(g.Col(), g.ColCount() - 1);
    g.SelectRows(2, 1);
    for (int r = 0; r < g.RowCount(); ++r) EXPECT_EQ(g.GetRowSelect(r), r == 2) << "row " << r;
    EXPECT_EQ(g.Row(), 2);
    EXPECT_THROW(g.GetRowSelect(8), std::out_of_range);
}

}  // namespace

namespace {

// FixedCols 0: column 0 is a data column, shown and handled by the view like the others.
TEST(FixedCols, OnlyZeroAndOneAreTaken) {
    TExStringGrid g;
    EXPECT_EQ(g.FixedCols(), 1);
    for (int bad : {-1, 2, 5}) {
        EXPECT_THROW(g.SetFixedCols(bad), std::out_of_range) << bad;
        EXPECT_EQ(g.FixedCols(), 1) << bad;
    }
    g.SetFixedCols(0);
    EXPECT_EQ(g.FixedCols(), 0);
    EXPECT_THROW(g.SetFixedCols(2), std::out_of_range);
    EXPECT_EQ(g.FixedCols(), 0);
}

struct NoFixedColumn : ::testing::Test {
    TExColumnGrid g;
    void SetUp() override {
        g.SetColCount(4);
        g.SetRowCount(5);
        g.SetFixedCols(0);
        for (int r = 0; r < g.RowCount(); ++r)
            for (int c = 0; c < g.TotalColCount(); ++c) g.SetCells(c, r, tag(c, r));
        g.resize(500, 250);
        g.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&g));
    }
    QModelIndex at(int realCol, int row) { return view(g).model()->index(row - 1, realCol); }
};

TEST_F(NoFixedColumn, ColumnZeroIsAViewColumnCountedAsBefore) {
    EXPECT_EQ(g.ColCount(), 4);
    EXPECT_EQ(view(g).model()->columnCount(), 4);
    EXPECT_FALSE(view(g).verticalHeader()->isVisible());
    EXPECT_EQ(at(0, 2).data(Qt::DisplayRole).toString(), tag(0, 2));
    EXPECT_EQ(at(3, 4).data(Qt::DisplayRole).toString(), tag(3, 4));
    EXPECT_EQ(view(g).model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), tag(0, 0));
    // Its header is a section of the header row, where the corner was.
    const QRect head = g.CellRect(0, 0);
    ASSERT_FALSE(head.isEmpty());
    QHeaderView* h = view(g).horizontalHeader();
    EXPECT_EQ(head.topLeft(), h->viewport()->mapTo(&g, QPoint(h->sectionViewportPosition(0), 0)));
    EXPECT_EQ(g.CellRect(0, 2).translated(-view(g).viewport()->mapTo(&g, QPoint(0, 0))),
              view(g).visualRect(at(0, 2)));
}

TEST_F(NoFixedColumn, ItsCellsAreEditedLikeTheOthers) {
    EXPECT_TRUE(g.CanEditCell(0, 1));
    g.SetRow(2);
    g.SetCol(0);
    EXPECT_EQ(view(g).currentIndex(), at(0, 2));
    QTest::keyClick(&g, Qt::Key_X);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(g.Cells(0, 2), QStringLiteral("x"));
    // Its column item answers for it: read-only, colour, check box.
    g.Columns().Items(0).ReadOnly = true;
    EXPECT_FALSE(g.CanEditCell(0, 1));
    g.Columns().Items(0).SetColor(0x00123456);
    EXPECT_EQ(at(0, 1).data(Qt::BackgroundRole).value<QColor>(), gridcolor::toQColor(0x00123456));
    g.Columns().Items(0).ReadOnly = false;
    g.Columns().Items(0).SetEditor(edDataCheckBox);
    g.SetCells(0, 3, QStringLiteral("N"));
    g.SetRow(3);
    g.SetCol(0);
    QTest::keyClick(&g, Qt::Key_Space);
    EXPECT_EQ(g.Cells(0, 3), QStringLiteral("Y"));
}

TEST_F(NoFixedColumn, ClicksAndRowSelectionIncludeIt) {
    std::vector<std::pair<int, int>> clicks;
    g.OnClickCell = [&](QObject*, int row, int col) { clicks.emplace_back(row, col); };
    QTest::mouseClick(view(g).viewport(), Qt::LeftButton, {}, view(g).visualRect(at(0, 3)).center());
    EXPECT_EQ(clicks, (std::vector<std::pair<int, int>>{{3, 0}}));
    EXPECT_EQ(g.Col(), 0);
    EXPECT_EQ(g.Row(), 3);
    g.SelectRows(2, 1);
    EXPECT_TRUE(view(g).selectionModel()->isSelected(at(0, 2)));
    EXPECT_TRUE(view(g).selectionModel()->isSelected(at(3, 2)));
    EXPECT_FALSE(view(g).selectionModel()->isSelected(at(0, 3)));
}

TEST_F(NoFixedColumn, HidingAndSizingItWorkAsForAnyDataColumn) {
    g.SetColWidths(0, 90);
    EXPECT_EQ(view(g).horizontalHeader()->sectionSize(0), 90);
    g.HideColumn(0);
    EXPECT_TRUE(view(g).isColumnHidden(0));
    g.SetRow(1);
    g.SetCol(0);
    EXPECT_EQ(g.GetRealCol(), 1);
    EXPECT_EQ(view(g).currentIndex(), at(1, 1));
    g.UnHideColumn(0);
    EXPECT_EQ(view(g).horizontalHeader()->sectionSize(0), 90);
}

TEST_F(NoFixedColumn, ItScrollsAwayWithTheOtherColumns) {
    for (int c = 0; c < g.TotalColCount(); ++c) g.SetAllColWidths(c, 300);
    ASSERT_FALSE(g.CellRect(0, 1).isEmpty());
    QApplication::processEvents();  // the view lays out its new widths
    QScrollBar* bar = view(g).horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    QApplication::processEvents();
    EXPECT_TRUE(g.CellRect(0, 1).isEmpty());
    EXPECT_TRUE(g.CellRect(0, 0).isEmpty());
    EXPECT_FALSE(g.CellRect(3, 1).isEmpty());
}

TEST_F(NoFixedColumn, NewRowsAreNotNumberedAndFixingItAgainRestoresTheRowNumbers) {
    g.SetRowCount(7);
    EXPECT_EQ(g.Cells(0, 4), tag(0, 4));
    EXPECT_TRUE(g.Cells(0, 5).isEmpty());
    EXPECT_TRUE(g.Cells(0, 6).isEmpty());
    g.SetFixedCols(1);
    EXPECT_EQ(view(g).model()->columnCount(), 3);
    EXPECT_TRUE(view(g).verticalHeader()->isVisible());
    EXPECT_FALSE(g.CanEditCell(0, 1));
    EXPECT_EQ(view(g).model()->index(1, 0).data(Qt::DisplayRole).toString(), tag(1, 2));  // real 1 again
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
    g.Color = plat::clWhite;
    g.SetColors(2, 1, 0xB9BBFF);
    EXPECT_EQ(g.GetCellColor(2, 1), plat::TColor(0xB9BBFF));
    EXPECT_EQ(g.GetCellColor(1, 1), plat::clWhite);
    // Adding columns moves the store: the colour stays on its cell.
    g.SetColCount(6);
    EXPECT_EQ(g.GetCellColor(2, 1), plat::TColor(0xB9BBFF));
    EXPECT_EQ(g.GetCellColor(3, 1), plat::clWhite);
    // A removed row takes its colour with it.
    g.SetRowCount(1);
    g.SetRowCount(3);
    EXPECT_EQ(g.GetCellColor(2, 1), plat::clWhite);
    g.SetColors(2, 2, 0xA8FFA8);
    g.SetColors(2, 2, plat::clNone);
    EXPECT_EQ(g.GetCellColor(2, 2), plat::clWhite);
    EXPECT_THROW(g.SetColors(9, 1, 0), std::out_of_range);
}

TEST(GridCellLook, PicturesNeedTheImageListAndAreDrawnCentred) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetAllColWidths(1, 80);
    int idx = -1;
    EXPECT_FALSE(g.AddImageIdx(1, 1, 0, haCenter, vaCenter)) << "no image list yet";
    EXPECT_FALSE(g.GetImageIdx(1, 1, idx));

    plat::TImageList images(16, 16);
    addSolid(images, Qt::red);
    addSolid(images, Qt::green);
    g.SetGridImages(&images);
    EXPECT_TRUE(g.AddImageIdx(1, 1, 1, haCenter, vaCenter));
    EXPECT_TRUE(g.GetImageIdx(1, 1, idx));
    EXPECT_EQ(idx, 1);
    EXPECT_FALSE(g.GetImageIdx(2, 1, idx));

    g.resize(300, 150);
    g.show();
    QTest::qWait(20);
    const QRect cell = g.CellRect(1, 1);
    ASSERT_FALSE(cell.isEmpty());
    const QImage shot = g.grab().toImage();
    auto at = [&](QPoint p) { return QColor(shot.pixel(p * shot.devicePixelRatio())); };
    EXPECT_EQ(at(cell.center()), QColor(Qt::green)) << "the picture in the middle of the cell";
    EXPECT_NE(at(QPoint(cell.left() + 3, cell.center().y())), QColor(Qt::green)) << "not at the left edge";

    g.RemoveImageIdx(1, 1);
    EXPECT_FALSE(g.GetImageIdx(1, 1, idx));
    QTest::qWait(20);
    const QImage after = g.grab().toImage();
    EXPECT_NE(QColor(after.pixel(cell.center() * after.devicePixelRatio())), QColor(Qt::green));
}
