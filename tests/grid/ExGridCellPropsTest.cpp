// What the grid asks about a cell: defaults, the cell's own properties, then the event's word.
#include "grid/ExGrid.h"

#include "controls/ExUtil.h"
#include "platform/DateTimePicker.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

// A grid with one fixed row and column, current cell (3, 5).
struct QueryGrid {
    TExStringGrid g;
    QueryGrid() {
        g.SetColCount(6);
        g.SetRowCount(8);
        g.SetFixedRows(1);
        g.SetFixedCols(1);
        g.FocusCell(3, 5);
    }
};

}  // namespace

TEST(ExGridCellQueries, ActiveCellShowMarksTheHeadersOfTheCurrentCellOnly) {
    QueryGrid q;
    q.g.SetActiveCellShow(true);
    q.g.SetActiveCellColor(0x00FF00);
    struct Case {
        int col, row;
        bool marked;
    } cases[] = {{0, 5, true}, {3, 0, true}, {0, 0, false}, {0, 4, false}, {2, 0, false}, {3, 5, false}};
    for (const Case& c : cases) {
        plat::TBrush brush;
        brush.SetColor(0x123456);
        plat::TFont font;
        q.g.GetCellColor(c.col, c.row, {}, brush, font);
        EXPECT_EQ(brush.Color() == 0x00FF00, c.marked) << c.col << "," << c.row;
        EXPECT_EQ(font.Style().contains(plat::fsBold), c.marked) << c.col << "," << c.row;
    }
}

TEST(ExGridCellQueries, CellPropertiesColourTheBrushOnlyForKindsWithoutTheirOwnBackground) {
    TExStringGrid g;
    plat::TBitmap bmp(4, 4);
    for (int r : {1, 2}) {
        TCellProperties* p = g.GetCellProperties(1, r);
        p->SetBrushColor(plat::clRed);
        p->SetFontColor(plat::clBlue);
        p->SetFontSize(14);
    }
    g.SetCells(1, 1, "text");
    g.AddBitmap(1, 2, &bmp, false, haLeft, vaTop);
    struct Case {
        int row;
        TColor brush;
    } cases[] = {{1, plat::clRed}, {2, plat::clWhite}};
    for (const Case& c : cases) {
        plat::TBrush brush;
        brush.SetColor(plat::clWhite);
        plat::TFont font;
        g.GetCellColor(1, c.row, {}, brush, font);
        EXPECT_EQ(brush.Color(), c.brush) << c.row;
        EXPECT_EQ(font.Color(), plat::clBlue) << "the font applies to every kind, row " << c.row;
        EXPECT_EQ(font.Size(), 14) << c.row;
    }
}

TEST(ExGridCellQueries, ColorEventComesLastWithTheRowFirst) {
    TExStringGrid g;
    g.GetCellProperties(2, 3)->SetBrushColor(plat::clRed);
    int gotRow = -1, gotCol = -1;
    g.OnGetCellColor = [&](QObject*, int ARow, int ACol, TGridDrawState, QBrush& B, QFont&) {
        gotRow = ARow;
        gotCol = ACol;
        EXPECT_EQ(plat::FromQColor(B.color()), plat::clRed) << "the event sees the cell's colour";
        B.setColor(Qt::yellow);
    };
    plat::TBrush brush;
    plat::TFont font;
    g.GetCellColor(2, 3, {}, brush, font);
    EXPECT_EQ(gotRow, 3);
    EXPECT_EQ(gotCol, 2);
    EXPECT_EQ(brush.Color(), plat::FromQColor(Qt::yellow));
}

TEST(ExGridCellQueries, ColorEventThatLeavesTheBrushKeepsNoneAndSystemColours) {
    TExStringGrid g;
    g.OnGetCellColor = [](QObject*, int, int, TGridDrawState, QBrush&, QFont&) {};
    for (TColor c : {plat::clNone, plat::clBtnFace, TColor(0x123456)}) {
        plat::TBrush brush;
        brush.SetColor(c);
        plat::TFont font;
        g.GetCellColor(2, 3, {}, brush, font);
        EXPECT_EQ(brush.Color(), c) << std::hex << c;
    }
}

TEST(ExGridCellQueries, FixedCellRulesAndTheEventThatCanOnlyAddFixedCells) {
    QueryGrid q;
    std::vector<std::pair<int, int>> asked;
    q.g.OnIsFixedCell = [&](QObject*, int ARow, int ACol, bool& IsFixed) {
        asked.emplace_back(ARow, ACol);
        IsFixed = ACol == 4 ? true : false;
    };
    bool f = false;
    q.g.IsFixedCell(2, 0, f);
    EXPECT_TRUE(f) << "the event cannot make a fixed-row cell normal";
    f = false;
    q.g.IsFixedCell(4, 2, f);
    EXPECT_TRUE(f) << "but can make a normal cell fixed";
    f = false;
    q.g.IsFixedCell(2, 2, f);
    EXPECT_FALSE(f);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 4}, {2, 2}})) << "asked only for normal cells, row first";

    // The row rule takes in the row at the fixed minimum, the column rule does not.
    TExStringGrid rows;
    rows.SetFixedRowAlways(true);
    rows.SetRowCount(1);
    rows.SetFixedRows(1);
    TExStringGrid cols;
    cols.SetFixedColAlways(true);
    cols.SetColCount(1);
    cols.SetFixedCols(1);
    struct Case {
        TExStringGrid* grid;
        int col, row;
        bool fixed;
    } cases[] = {{&rows, 2, 0, true}, {&rows, 2, 1, true}, {&rows, 2, 2, false},
                 {&cols, 0, 3, true}, {&cols, 1, 3, false}};
    for (const Case& c : cases) {
        bool fx = false;
        c.grid->IsFixedCell(c.col, c.row, fx);
        EXPECT_EQ(fx, c.fixed) << (c.grid == &rows ? "rows " : "cols ") << c.col << "," << c.row;
    }
}

TEST(ExGridCellQueries, WideHintReplacesTheHintByItsEncodedFormWhenNotEmpty) {
    TExStringGrid g;
    std::vector<std::pair<int, int>> args;
    g.OnGridHint = [&](QObject*, int ARow, int ACol, QString& H) {
        args.emplace_back(ARow, ACol);
        H = "plain";
    };
    QString wide = "abc";
    g.OnGridWideHint = [&](QObject*, int ARow, int ACol, QString& H) {
        args.emplace_back(ARow, ACol);
        H = wide;
    };
    QString hint, wideHint;
    g.GetCellHint(1, 4, hint, wideHint);
    EXPECT_EQ(hint, EncodeWideText("abc"));
    EXPECT_EQ(DecodeWideText(hint), "abc");
    EXPECT_EQ(args, (std::vector<std::pair<int, int>>{{4, 1}, {4, 1}}));
    wide.clear();
    hint.clear();
    wideHint.clear();
    g.GetCellHint(1, 4, hint, wideHint);
    EXPECT_EQ(hint, "plain");
}

TEST(ExGridCellQueries, EditorQueries) {
    TExStringGrid g;
    g.SetDefaultEditor(edNone);
    EXPECT_FALSE(g.IsNoEditorCell(1, 1)) << "without the event the default editor does not count";

    g.ControlLook().SetDropDownAlwaysVisible(true);
    g.SetDefaultEditor(edComboList);
    EXPECT_TRUE(g.HasComboBox(1, 1)) << "from the default editor";
    std::vector<std::pair<int, int>> asked;
    g.OnHasComboBox = [&](QObject*, int ACol, int ARow, bool& Has) {
        asked.emplace_back(ACol, ARow);
        Has = false;
    };
    EXPECT_FALSE(g.HasComboBox(2, 3)) << "the event alone decides";
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{2, 3}}));

    g.OnGetEditorType = [](QObject*, int ACol, int, TEditorType& E) {
        EXPECT_EQ(E, edNormal);
        if (ACol == 2) E = edNone;
    };
    EXPECT_TRUE(g.IsNoEditorCell(2, 1));
    EXPECT_FALSE(g.IsNoEditorCell(1, 1));

    g.ControlLook().SetSpinButtonsAlwaysVisible(true);
    g.SetDefaultEditor(edFloatSpinEdit);
    g.OnGetEditorType = nullptr;
    EXPECT_TRUE(g.HasSpinEdit(1, 1));
    EXPECT_FALSE(g.HasSpinEdit(0, 1)) << "never on a fixed cell";
}

TEST(ExGridCellQueries, CanEditCellWithAndWithoutCellProperties) {
    struct Case {
        const char* name;
        bool props, readOnly, goEditing, editDisable, rangeSelectAndEdit, start, expected;
    } cases[] = {
        {"no properties keep true", false, false, false, false, false, true, true},
        {"no properties keep false", false, false, true, false, false, false, false},
        {"read-only properties", true, true, true, false, false, true, false},
        {"properties with goEditing", true, false, true, false, false, true, true},
        {"properties without goEditing", true, false, false, false, false, true, false},
        {"properties, editor enabled them", true, false, false, true, false, true, true},
        {"properties, range select and edit", true, false, false, false, true, true, true},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        auto o = g.Options();
        if (c.goEditing)
            o.include(plat::goEditing);
        else
            o.exclude(plat::goEditing);
        g.SetOptions(o);
        if (c.props) g.SetReadOnly(2, 2, c.readOnly);
        g.SetEditDisable(c.editDisable);
        g.MouseActions().SetRangeSelectAndEdit(c.rangeSelectAndEdit);
        bool can = c.start;
        g.CanEditCell(2, 2, can);
        EXPECT_EQ(can, c.expected) << c.name;
        EXPECT_EQ(g.GetReadOnly(2, 2), c.readOnly) << c.name;
    }
}

TEST(ExGridCellQueries, CanEditCellAsksTheEventForTheBaseCellAndAnswersTrueBeyondTheColumns) {
    TExStringGrid g;
    g.MergeCells(1, 1, 2, 2);
    std::vector<std::pair<int, int>> asked;
    g.OnCanEditCell = [&](QObject*, int ARow, int ACol, bool& Can) {
        asked.emplace_back(ARow, ACol);
        Can = false;
    };
    bool can = true;
    g.CanEditCell(2, 2, can);
    EXPECT_FALSE(can);
    EXPECT_EQ(asked, (std::vector<std::pair<int, int>>{{1, 1}}));
    can = false;
    g.CanEditCell(g.ColCount() + 3, 1, can);
    EXPECT_TRUE(can);
    EXPECT_EQ(asked.size(), 1u) << "no event beyond all columns";
}

TEST(ExGridCellQueries, ColumnFilterListsTrimmedSortedUniqueValues) {
    TExStringGrid g;
    g.SetRowCount(6);
    g.SetFilterDropDownAuto(true);
    const char* texts[] = {"b", " a ", "b", "c d", "e"};
    for (int r = 1; r <= 5; ++r) g.SetCells(1, r, texts[r - 1]);
    g.HideRow(5);
    EXPECT_TRUE(g.GetColumnFilter(1));
    EXPECT_EQ(g.FilterList(), (QStringList{"(All)", "a", "b", "c d=\"c d\"", "e"})) << "hidden rows offer theirs";

    g.SetFilterIncremental(true);
    g.SetFilterDropDownClear("");
    g.GetColumnFilter(1);
    EXPECT_EQ(g.FilterList(), (QStringList{"a", "b", "c d=\"c d\""}));

    EXPECT_FALSE(g.GetColumnFilter(0)) << "fixed columns only with fdAll";
    g.OnGetColumnFilter = [](QObject*, int Column, QStringList& F) { F << QString("col %1").arg(Column); };
    g.SetFilterDropDownAuto(false);
    EXPECT_TRUE(g.GetColumnFilter(3));
    EXPECT_EQ(g.FilterList(), QStringList{"col 3"});
}

TEST(ExGridCellQueries, CellFontIsACopyPerCall) {
    TExStringGrid g;
    TCellProperties* p = g.GetCellProperties(1, 1);
    p->SetFontName("Courier");
    p->SetFontSize(20);
    p->SetFontColor(plat::clRed);
    const plat::TFont a = g.GetCellFont(1, 1);
    const plat::TFont b = g.GetCellFont(2, 2);
    EXPECT_EQ(a.Size(), 20) << "the first font survives the second call";
    EXPECT_EQ(a.Color(), plat::clRed);
    EXPECT_EQ(a.Name(), "Courier");
    EXPECT_EQ(b.Name(), g.Font().Name());
    EXPECT_EQ(b.Size(), g.Font().Size());
}

TEST(ExGridCellQueries, NewPropertiesDoNotFreezeBandOrGradientColours) {
    struct Case {
        const char* name;
        bool bands;
        TBackGroundDisplay display;
        TColor expected;
    } cases[] = {
        {"plain grid", false, bdTile, plat::clYellow},
        {"bands", true, bdTile, plat::clNone},
        {"horizontal gradient", false, bdGradientHorz, plat::clNone},
        {"vertical gradient", false, bdGradientVert, plat::clNone},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        g.SetColor(plat::clYellow);
        g.Bands().SetActive(c.bands);
        g.BackGround().SetDisplay(c.display);
        EXPECT_EQ(g.GetCellProperties(2, 2)->BrushColor(), c.expected) << c.name;
        EXPECT_EQ(g.GetCellProperties(2, 2)->BrushColorTo(), plat::clNone) << c.name;
    }
}

TEST(ExGridCellQueries, CheckTextsAndSmallHooksPassTheirArguments) {
    TExStringGrid g;
    QString v;
    g.GetCheckTrue(1, 1, v);
    EXPECT_EQ(v, "Y");
    g.OnGetCheckFalse = [](QObject*, int ACol, int ARow, QString& V) { V += QString("%1%2").arg(ACol).arg(ARow); };
    g.GetCheckFalse(1, 2, v);
    EXPECT_EQ(v, "N12");

    g.AddExpand(1, 2, 60);
    std::vector<int> args;
    g.OnExpandClick = [&](QObject*, int ACol, int ARow, bool E) { args = {ACol, ARow, E}; };
    g.ExpandClick(1, 2, true);
    EXPECT_EQ(args, (std::vector<int>{1, 2, 1}));
    EXPECT_EQ(g.RowHeights(2), 60);
    g.ExpandClick(1, 2, false);
    EXPECT_EQ(g.RowHeights(2), g.DefaultRowHeight());

    g.OnComboDropDown = [&](QObject*, int ARow, int ACol) { args = {ARow, ACol}; };
    g.ComboDropDown(3, 4);
    EXPECT_EQ(args, (std::vector<int>{4, 3}));
}

TEST(ExGridCellQueries, DatePickerNoticesBecomeGridEventsWithTheCurrentCell) {
    QueryGrid q;
    plat::FormatSettings fs;
    fs.shortDateFormat = "dd.MM.yyyy";
    fs.longTimeFormat = "HH:mm:ss";
    plat::setFormatSettingsOverride(fs);
    std::vector<QString> seen;
    q.g.OnEditChange = [&](QObject*, int ACol, int ARow, const QString& V) {
        seen.push_back(QString("%1,%2 %3").arg(ACol).arg(ARow).arg(V));
    };
    plat::TDateTimePicker picker;
    picker.SetDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC));
    q.g.DatePickerChange(picker);
    picker.SetKind(plat::dtkTime);
    q.g.DatePickerChange(picker);
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    EXPECT_EQ(seen, (std::vector<QString>{"3,5 05.03.2024", "3,5 14:07:09"}));

    std::vector<int> args;
    q.g.OnDatePickerCloseUp = [&](QObject*, int ARow, int ACol) { args = {ARow, ACol}; };
    q.g.DatePickerCloseUp();
    EXPECT_EQ(args, (std::vector<int>{5, 3})) << "row first";
}
