// Check boxes, tri-state boxes, radio buttons and radio groups: texts, toggles and their events,
// hidden rows, grouped rows, undo records and the click hit test.
#include "grid/ExCGrid.h"
#include "tests/support/EventWait.h"

#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

// A column grid with a data check-box column 1 and a row of data.
struct CheckGrid {
    TExColumnGrid g;
    std::vector<std::tuple<int, int, bool>> changes;
    CheckGrid() {
        g.SetFixedRows(1);
        g.SetRowCount(10);
        g.Columns().Items(1).SetEditor(edDataCheckBox);
        g.OnCheckBoxChange = [this](QObject*, int c, int r, bool s) { changes.emplace_back(c, r, s); };
    }
};

}  // namespace

TEST(ExGridCheckBoxes, DataBoxTextsReadAndToggleExactly) {
    struct Case {
        const char* text;
        bool checked;
        const char* toggled;
    } cases[] = {
        {"y", false, "Y"}, {" Y", false, "Y"}, {"Yes", false, "Y"}, {"", false, "Y"},
        {"N", false, "Y"}, {"Y", true, "N"},
    };
    for (const Case& c : cases) {
        CheckGrid t;
        t.g.SetCells(1, 2, c.text);
        EXPECT_EQ(t.g.IsChecked(1, 2), c.checked) << c.text;
        EXPECT_TRUE(t.g.ToggleCheckBox(1, 2));
        EXPECT_EQ(t.g.Cells(1, 2), c.toggled) << c.text;
        ASSERT_EQ(t.changes.size(), 1u);
        EXPECT_EQ(t.changes[0], std::make_tuple(1, 2, !c.checked)) << c.text;
    }
}

TEST(ExGridCheckBoxes, AddCheckBoxKeepsACheckTextAndSetsAnyOther) {
    struct Case {
        const char* text;
        bool state;
        const char* after;
    } cases[] = {{"N", true, "N"}, {"Y", false, "Y"}, {"abc", true, "Y"}, {"abc", false, "N"}, {"", false, "N"}};
    for (const Case& c : cases) {
        TExStringGrid g;
        g.SetCells(2, 3, c.text);
        g.AddCheckBox(2, 3, c.state, true);
        EXPECT_EQ(g.Cells(2, 3), c.after) << c.text << " " << c.state;
        EXPECT_EQ(g.GetCellType(2, 3), ctDataCheckBox);
        EXPECT_TRUE(g.HasDataCheckBox(2, 3));
    }
    TExStringGrid g;
    g.SetCells(1, 1, "text");
    EXPECT_FALSE(g.IsChecked(1, 1)) << "a plain cell";
    EXPECT_FALSE(g.HasCheckBox(1, 1));
    EXPECT_FALSE(g.HasCheckBox(-1, 1));
    EXPECT_THROW(g.AddCheckBox(g.ColCount(), 1, true, false), std::invalid_argument);
    EXPECT_THROW(g.AddCheckBox(1, g.RowCount(), cbChecked), std::invalid_argument);
    try {
        g.AddRadioButton(-1, 0, true);
        FAIL();
    } catch (const std::invalid_argument& e) {
        EXPECT_STREQ(e.what(), "Invalid cell");
    }
}

TEST(ExGridCheckBoxes, ColumnTextsOnlyInTheDataArea) {
    CheckGrid t;
    t.g.SetFixedFooters(1);
    t.g.Columns().Items(1).CheckTrue = "1";
    t.g.Columns().Items(1).CheckFalse = "0";
    t.g.CheckTrue = "T";
    t.g.CheckFalse = "F";
    t.g.SetCells(1, 2, "T");
    EXPECT_FALSE(t.g.IsChecked(1, 2)) << "the grid's texts do not count in the column";
    t.g.ToggleCheckBox(1, 2);
    EXPECT_EQ(t.g.Cells(1, 2), "1");
    t.g.ToggleCheckBox(1, 2);
    EXPECT_EQ(t.g.Cells(1, 2), "0");
    t.g.SetCellChecked(1, 3, true);
    EXPECT_EQ(t.g.Cells(1, 3), "1");

    QString v;
    t.g.GetCheckTrue(1, 0, v);
    EXPECT_EQ(v, "T") << "fixed row";
    t.g.GetCheckFalse(1, t.g.RowCount() - 1, v);
    EXPECT_EQ(v, "F") << "footer row";
    t.g.GetCheckTrue(1, 4, v);
    EXPECT_EQ(v, "1");
}

TEST(ExGridCheckBoxes, PlainAndTriStateBoxes) {
    TExStringGrid g;
    std::vector<bool> reported;
    g.OnCheckBoxChange = [&](QObject*, int, int, bool s) { reported.push_back(s); };
    g.AddCheckBox(1, 1, cbUnchecked);
    std::vector<TCheckBoxState> seen;
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(g.ToggleCellCheck(1, 1, false));
        TCheckBoxState s = cbChecked;
        ASSERT_TRUE(g.GetCheckBoxState(1, 1, s));
        seen.push_back(s);
    }
    EXPECT_EQ(seen, (std::vector<TCheckBoxState>{cbGrayed, cbChecked, cbUnchecked}));
    EXPECT_EQ(reported, (std::vector<bool>{false, false, false}));
    bool b = true;
    EXPECT_FALSE(g.GetCheckBoxState(1, 1, b)) << "the Boolean form does not read a tri-state box";

    g.AddCheckBox(2, 1, false, false);
    g.SetCells(2, 1, "kept");
    EXPECT_TRUE(g.SetCheckBoxState(2, 1, true));
    EXPECT_TRUE(g.IsChecked(2, 1));
    EXPECT_EQ(g.Cells(2, 1), "kept") << "a plain box keeps its state in the graphic";
    EXPECT_FALSE(g.SetCheckBoxState(2, 1, cbGrayed)) << "only tri-state boxes take three states";
    reported.clear();
    EXPECT_TRUE(g.SetCellChecked(2, 1, true));
    EXPECT_TRUE(reported.empty()) << "no change, no event";
    EXPECT_TRUE(g.SetCellChecked(2, 1, false));
    EXPECT_EQ(reported, (std::vector<bool>{false}));

    g.RemoveCheckBox(2, 1);
    EXPECT_FALSE(g.HasCheckBox(2, 1));
    EXPECT_EQ(g.Cells(2, 1), "kept");
}

TEST(ExGridCheckBoxes, RefusedEditingChangesNothing) {
    CheckGrid t;
    t.g.Columns().Items(1).ReadOnly = true;
    t.g.SetCells(1, 2, "N");
    EXPECT_FALSE(t.g.ToggleCellCheck(1, 2, true));
    EXPECT_EQ(t.g.Cells(1, 2), "N");
    EXPECT_TRUE(t.changes.empty());
    t.g.ControlLook().SetCheckAlwaysActive(true);
    EXPECT_TRUE(t.g.ToggleCellCheck(1, 2, true));
    EXPECT_EQ(t.g.Cells(1, 2), "Y");
    EXPECT_TRUE(t.g.ToggleCellCheck(1, 3, false)) << "not from the mouse: no editing check";
}

TEST(ExGridCheckBoxes, ToggleRegistersItsUndoByTheNewState) {
    CheckGrid t;
    TExGridUndoRedo undo;
    t.g.SetUndoRedo(&undo);
    t.g.SetCells(1, 2, "N");
    t.g.ToggleCheckBox(1, 2);
    t.g.ToggleCheckBox(1, 2);
    ASSERT_EQ(undo.Items().Count(), 2);
    EXPECT_EQ(undo.Items().Items(0).OrigValue, "N");
    EXPECT_EQ(undo.Items().Items(0).Value, "Y");
    EXPECT_EQ(undo.Items().Items(1).OrigValue, "Y");
    EXPECT_EQ(undo.Items().Items(1).Value, "N");
    t.g.SetUndoRedo(nullptr);
}

TEST(ExGridCheckBoxes, CheckAllAndTheColumnHelpers) {
    CheckGrid t;
    t.g.CheckAll(1);
    for (int r = 1; r < t.g.RowCount(); ++r) EXPECT_EQ(t.g.Cells(1, r), "Y") << r;
    EXPECT_EQ(t.g.Cells(1, 0), "") << "the header row stays";
    EXPECT_EQ(t.changes.size(), size_t(t.g.RowCount() - 1));
    t.g.UnCheckAll(1);
    EXPECT_EQ(t.g.Cells(1, 5), "N");

    TExStringGrid g;
    g.SetFixedRows(1);
    g.AddCheckBoxColumn(2, true, false);
    EXPECT_FALSE(g.HasCheckBox(2, 0));
    EXPECT_TRUE(g.IsChecked(2, 1));
    EXPECT_TRUE(g.IsChecked(2, g.RowCount() - 1));
    g.RemoveCheckBoxColumn(2);
    EXPECT_FALSE(g.HasCheckBox(2, 3));
}

TEST(ExGridCheckBoxes, BalloonOnABoxKeepsTheBoxAndGoesWithIt) {
    TExStringGrid g;
    g.AddCheckBox(1, 1, true, false);
    g.AddBalloon(1, 1, "Title", "Text", biWarning);
    EXPECT_TRUE(g.HasCheckBox(1, 1));
    QString title, text;
    int icon = -1;
    ASSERT_TRUE(g.IsBalloon(1, 1, title, text, icon));
    EXPECT_EQ(title, "Title");
    EXPECT_EQ(text, "Text");
    EXPECT_EQ(icon, biWarning);
    // The list goes first; the leak check fails otherwise.
    g.RemoveCheckBox(1, 1);
    EXPECT_FALSE(g.IsBalloon(1, 1, title, text, icon));
    EXPECT_EQ(g.GetCellGraphic(1, 1), nullptr);
}

TEST(ExGridCheckBoxes, HiddenRowsUseTheRealRowsCell) {
    CheckGrid t;
    for (int r = 1; r < 10; ++r) t.g.SetCells(1, r, "N");
    t.g.HideRows(2, 3);
    ASSERT_EQ(t.g.RealRowIndex(3), 5);
    ASSERT_EQ(t.g.RealRowIndex(5), 7);
    EXPECT_TRUE(t.g.SetCheckBoxState(1, 5, true));
    EXPECT_EQ(t.g.Cells(1, 3), "Y") << "real row 5 is display row 3";
    EXPECT_EQ(t.g.Cells(1, 5), "N") << "display row 5 is real row 7";
    bool s = false;
    EXPECT_TRUE(t.g.GetCheckBoxState(1, 5, s));
    EXPECT_TRUE(s);
    EXPECT_TRUE(t.g.GetCheckBoxState(1, 7, s));
    EXPECT_FALSE(s);
    // A hidden row's box is its own cell's, written in the hidden row.
    t.g.AddCheckBox(2, 1, false, true);
    t.g.UnHideRowsAll();
    t.g.AddCheckBox(2, 2, false, false);
    t.g.HideRows(2, 3);
    EXPECT_TRUE(t.g.SetCheckBoxState(2, 2, true));
    EXPECT_TRUE(t.g.IsChecked(2, 2));
    t.g.UnHideRowsAll();
    EXPECT_TRUE(t.g.IsChecked(2, 2));
    EXPECT_FALSE(t.g.IsChecked(2, 1));

    // SetCellChecked takes a display row.
    t.g.HideRows(2, 3);
    t.changes.clear();
    t.g.SetCellChecked(1, 4, true);
    EXPECT_EQ(t.g.GetCellsEx(1, 6), "Y");
    ASSERT_EQ(t.changes.size(), 1u);
}

TEST(ExGridCheckBoxes, AColumnsSharedBoxesAreFoundInHiddenRows) {
    // The column's boxes are the grid's shared one: a hidden row, which has no graphic of its own,
    // still has the box, reads and writes its own cell, and takes the column's check texts.
    for (bool columnTexts : {false, true}) {
        SCOPED_TRACE(columnTexts ? "column texts 1 and 0" : "Y and N");
        CheckGrid t;
        TGridColumnItem& column = t.g.Columns().Items(1);
        if (columnTexts) {
            column.CheckTrue = QStringLiteral("1");
            column.CheckFalse = QStringLiteral("0");
        }
        const QString yes = column.CheckTrue, no = column.CheckFalse;
        for (int r = 1; r < 10; ++r) t.g.SetCells(1, r, no);
        // Rows 2 and 8 hidden: real row 8 lies beyond the rows shown.
        t.g.HideRow(8);
        t.g.HideRow(2);
        ASSERT_EQ(t.g.RowCount(), 8);
        for (int real : {2, 8}) {
            SCOPED_TRACE(real);
            ASSERT_TRUE(t.g.IsHiddenRow(real));
            bool state = true;
            EXPECT_TRUE(t.g.GetCheckBoxState(1, real, state));
            EXPECT_FALSE(state);
            EXPECT_TRUE(t.g.SetCheckBoxState(1, real, true));
            EXPECT_EQ(t.g.GetCellsEx(1, real), yes);
            EXPECT_TRUE(t.g.IsChecked(1, real));
        }
        t.g.UnHideRowsAll();
        for (int r = 1; r < 10; ++r) EXPECT_EQ(t.g.Cells(1, r), r == 2 || r == 8 ? yes : no) << r;
    }
}

TEST(ExGridCheckBoxes, AutoCheckGroupReachesTheChildrenOfAContractedNode) {
    CheckGrid t;
    for (int r = 1; r < 10; ++r) t.g.SetCells(1, r, "N");
    t.g.AddNode(2, 4);
    t.g.Grouping().SetAutoCheckGroup(true);
    t.g.ContractNode(2);
    ASSERT_EQ(t.g.RowCount(), 7);
    EXPECT_TRUE(t.g.ToggleCellCheck(1, 2, false));
    t.g.ExpandNode(2);
    for (int r = 2; r <= 5; ++r) EXPECT_EQ(t.g.Cells(1, r), "Y") << r;
    EXPECT_EQ(t.g.Cells(1, 6), "N") << "outside the span";
}

TEST(ExGridCheckBoxes, AutoCheckGroupMovesANodeAndItsChildrenTogether) {
    TExStringGrid g;
    g.SetFixedRows(1);
    g.SetRowCount(8);
    g.AddNode(1, 4);
    g.AddCheckBoxColumn(2, false, false);
    g.Grouping().SetAutoCheckGroup(true);
    TCheckBoxState node = cbGrayed;
    ASSERT_TRUE(g.GetCheckBoxState(2, 1, node));
    EXPECT_EQ(node, cbUnchecked) << "a node row gets a tri-state box";

    EXPECT_TRUE(g.ToggleCellCheck(2, 1, false));
    for (int r = 2; r <= 4; ++r) EXPECT_TRUE(g.IsChecked(2, r)) << r;
    EXPECT_FALSE(g.IsChecked(2, 5)) << "outside the span";

    EXPECT_TRUE(g.ToggleCellCheck(2, 3, false));
    ASSERT_TRUE(g.GetCheckBoxState(2, 1, node));
    EXPECT_EQ(node, cbGrayed);
    EXPECT_TRUE(g.ToggleCellCheck(2, 3, false));
    ASSERT_TRUE(g.GetCheckBoxState(2, 1, node));
    EXPECT_EQ(node, cbChecked);
}

TEST(ExGridRadios, ButtonsInAColumnAndRadioGroups) {
    TExStringGrid g;
    g.SetFixedRows(1);
    g.AddRadioButtonColumn(1);
    g.SetRadioButtonColumnIndex(1, 3);
    EXPECT_EQ(g.GetRadioButtonColumnIndex(1), 3);
    EXPECT_TRUE(g.ClickRadioButton(1, 3, false));
    EXPECT_EQ(g.GetRadioButtonColumnIndex(1), 3) << "a checked button changes nothing";
    EXPECT_TRUE(g.ClickRadioButton(1, 6, false));
    int checked = 0;
    for (int r = 0; r < g.RowCount(); ++r) checked += g.IsRadioButtonChecked(1, r);
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(g.GetRadioButtonColumnIndex(1), 6);
    EXPECT_FALSE(g.ClickRadioButton(2, 6, false)) << "no radio button there";
    EXPECT_TRUE(g.RemoveRadioButton(1, 6));
    EXPECT_EQ(g.GetRadioButtonColumnIndex(1), -1);

    g.AddRadio(3, 2, 0, 2, {"a", "b", "c"});
    g.SetCells(3, 2, "c");
    g.CycleCellRadio(&g, 3, 2, false);
    int idx = -1;
    EXPECT_TRUE(g.GetRadioIdx(3, 2, idx));
    EXPECT_EQ(idx, 0) << "the last option wraps to the first";
    EXPECT_EQ(g.Cells(3, 2), "a");
    g.CycleCellRadio(&g, 3, 2, false);
    EXPECT_EQ(g.Cells(3, 2), "b");

    QStringList* own = g.CreateRadio(3, 3, 1, -1);
    *own << "x" << "y";
    g.SetCells(3, 3, "none of them");
    g.CycleCellRadio(&g, 3, 3, false);
    EXPECT_TRUE(g.GetRadioIdx(3, 3, idx));
    EXPECT_EQ(idx, 0);
    EXPECT_EQ(g.Cells(3, 3), "x");
    EXPECT_EQ(g.GetRadioStrings(3, 3), own);
    EXPECT_TRUE(g.SetRadioIdx(3, 3, -1));
    EXPECT_EQ(g.Cells(3, 3), "");
    EXPECT_TRUE(g.IsRadio(3, 3));
    EXPECT_TRUE(g.RemoveRadio(3, 3));
    EXPECT_FALSE(g.IsRadio(3, 3));

    g.AddButton(4, 4, 20, 16, "B", haLeft, vaTop);
    EXPECT_FALSE(g.SetRadioIdx(4, 4, 7)) << "another kind keeps its numbers";
    EXPECT_EQ(g.GetCellGraphic(4, 4)->CellIndex, (16 << 16) | 20);
}

TEST(ExGridCheckBoxes, ClickHitTest) {
    TExStringGrid g;
    g.SetCells(3, 2, "plain");
    g.AddCheckBox(1, 2, false, false);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    const plat::TRect r = g.CellRect(1, 2);
    EXPECT_TRUE(g.IsInCheckBox(1, 2, r.Right - 2, r.Bottom - 2)) << "anywhere without precise checking";
    EXPECT_FALSE(g.IsInCheckBox(3, 2, r.Left + 3, r.Top + 3));

    g.MouseActions().SetPreciseCheckBoxCheck(true);
    struct Case {
        int dx, dy;
        bool in;
    } cases[] = {{2, 2, true}, {16, 16, true}, {17, 5, false}, {5, 17, false}, {1, 5, false}, {5, 1, false}};
    for (const Case& c : cases)
        EXPECT_EQ(g.IsInCheckBox(1, 2, r.Left + c.dx, r.Top + c.dy), c.in) << c.dx << "," << c.dy;

    // Centred both ways: the 15-pixel square in the middle.
    g.SetVAlignment(vtaCenter);
    g.AddCheckBox(1, 2, false, false);
    g.OnGetAlignment = [](QObject*, int, int, TAlignment& h, TVAlignment&) { h = taCenter; };
    const int left = r.Left + (r.Right - r.Left - 15) / 2, top = r.Top + (r.Bottom - r.Top - 15) / 2;
    EXPECT_TRUE(g.IsInCheckBox(1, 2, left, top));
    EXPECT_TRUE(g.IsInCheckBox(1, 2, left + 14, top + 14));
    EXPECT_FALSE(g.IsInCheckBox(1, 2, left - 1, top));
    EXPECT_FALSE(g.IsInCheckBox(1, 2, left + 15, top));
}
