// The column grid: items in step with the columns, the queries they answer, the pop-up, moves with
// their saved positions, and the items' own stream.
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/IniFile.h"
#include "tests/support/EventWait.h"

#include <QBuffer>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::vector<QString> headerRow(TExColumnGrid& g) {
    std::vector<QString> out;
    for (int c = 0; c < g.TotalColCount(); ++c) out.push_back(g.Cells(c, 0));
    return out;
}

}  // namespace

TEST(ExColumnGridItems, FollowTheColumnCountAndContinueTheLastLook) {
    TExColumnGrid g;
    ASSERT_EQ(g.Columns().Count(), 5);
    EXPECT_EQ(g.ColCount(), 5);

    TGridColumnItem& last = g.Columns().Items(4);
    last.SetHeader("Last");
    last.SetEditor(edComboList);
    last.ComboItems() = QStringList{"a", "b"};
    last.DropDownCount = 3;
    last.Name = "ID";
    last.Tag = 7;
    last.SetColor(plat::clRed);
    last.Font().SetSize(14);
    last.SetAlignment(taCenter);
    last.CheckTrue = "1";
    last.ReadOnly = true;
    last.EditLength = 15;

    g.SetColCount(8);
    ASSERT_EQ(g.Columns().Count(), 8);
    for (int i = 5; i < 8; ++i) {
        const TGridColumnItem& it = g.Columns().Items(i);
        SCOPED_TRACE(i);
        EXPECT_EQ(it.Editor(), edComboList);
        EXPECT_EQ(it.Alignment(), taCenter);
        EXPECT_EQ(it.CheckTrue, "1");
        EXPECT_TRUE(it.ReadOnly);
        EXPECT_EQ(it.EditLength, 15);
        EXPECT_EQ(it.Color(), g.Color()) << "the grid's colour, not the last item's";
        EXPECT_EQ(it.Font().Size(), g.Font().Size()) << "the grid's font";
        EXPECT_TRUE(it.Header().isEmpty());
        EXPECT_TRUE(it.ComboItems().isEmpty());
        EXPECT_EQ(it.DropDownCount, 8);
        EXPECT_TRUE(it.Name.isEmpty());
        EXPECT_EQ(it.Tag, 0);
    }

    g.SetColCount(2);
    EXPECT_EQ(g.Columns().Count(), 2);
    EXPECT_EQ(g.Columns().Items(1).GetDisplayName(), "Column 1");
    g.Columns().Items(1).Name = "ID";
    EXPECT_EQ(g.Columns().Items(1).GetDisplayName(), "Col 1: ID");
    EXPECT_EQ(g.GetColumnByName("ID"), &g.Columns().Items(1));
    EXPECT_EQ(g.GetColumnByName("id"), nullptr) << "exact match";
}

TEST(ExColumnGridItems, AddingAnItemAddsAColumnAndHeadersNameTheItems) {
    TExColumnGrid g;
    g.Loaded();
    g.Columns().Add();
    EXPECT_EQ(g.ColCount(), 6);
    EXPECT_EQ(g.Columns().Count(), 6);
    g.Columns().Delete(5);
    EXPECT_EQ(g.ColCount(), 5);

    TExColumnGrid h;
    h.SetColCount(3);
    h.SetColumnHeaders({"Name", "Address", "Swap"});
    ASSERT_EQ(h.Columns().Count(), 3);
    EXPECT_EQ(h.Columns().Items(0).Header(), "Name");
    EXPECT_EQ(h.Columns().Items(1).Header(), "Address");
    EXPECT_EQ(h.Columns().Items(2).Header(), "Swap");

    // An item's header goes into the header row and the grid's header list.
    h.Columns().Items(1).SetHeader("Addr");
    EXPECT_EQ(h.Cells(1, 0), "Addr");
    EXPECT_EQ(h.ColumnHeaders(), (QStringList{"Name", "Addr", "Swap"}));
}

TEST(ExColumnGridItems, WidthIsTheGridsAndAssignCopiesWithoutResizing) {
    TExColumnGrid g;
    g.Columns().Items(2).SetWidth(120);
    EXPECT_EQ(g.ColWidths(2), 120);
    g.SetColWidths(3, 90);
    EXPECT_EQ(g.Columns().Items(3).Width(), 90);
    g.HideColumn(3);
    EXPECT_EQ(g.Columns().Count(), 5) << "an item per real column, hidden ones too";
    EXPECT_EQ(g.Columns().Items(3).Width(), 90) << "kept while hidden";

    g.Columns().Items(1).Assign(g.Columns().Items(2));
    EXPECT_EQ(g.Columns().Items(1).Width(), g.ColWidths(1)) << "the grid column keeps its size";
    TGridColumnItem spare(nullptr);
    EXPECT_EQ(spare.Width(), 0) << "outside a collection";
}

TEST(ExColumnGridQueries, DataCheckBoxColumnAndTheItemsCheckTexts) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    g.Columns().Items(2).SetEditor(edDataCheckBox);
    g.SetCells(2, 1, "Y");
    g.SetCells(2, 2, "N");
    g.OnGetCheckTrue = [](QObject*, int, int, QString& v) { v = "1"; };
    EXPECT_EQ(g.GetCellType(2, 1), ctDataCheckBox);
    ASSERT_NE(g.GetCellGraphic(2, 1), nullptr);
    EXPECT_EQ(g.GetCellGraphic(2, 1)->CellType, ctVirtCheckBox);
    EXPECT_TRUE(g.IsChecked(2, 1)) << "the item's check text wins over the event in the data area";
    EXPECT_FALSE(g.IsChecked(2, 2));
    EXPECT_EQ(g.GetCellType(2, 0), ctEmpty) << "no box in the header row";
    EXPECT_EQ(g.GetCellType(1, 1), ctEmpty);

    QString t;
    g.GetCheckTrue(2, 0, t);
    EXPECT_EQ(t, "1") << "outside the data area the grid's query and event answer";
}

TEST(ExColumnGridQueries, SpinColumnHandsItsLimitsToTheSpinEditor) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    TGridColumnItem& it = g.Columns().Items(2);
    it.SetEditor(edSpinEdit);
    it.SpinMin = 10;
    it.SpinMax = 20;
    it.SpinStep = 5;
    TEditorType e = edNormal;
    g.GetCellEditor(2, 0, e);
    EXPECT_EQ(e, edNormal) << "the header row keeps the grid's editor";
    EXPECT_NE(g.SpinEdit()->MaxValue, 20);
    g.GetCellEditor(2, 1, e);
    EXPECT_EQ(e, edSpinEdit);
    const TGridSpin& spin = *g.SpinEdit();
    EXPECT_EQ(std::tuple(spin.MinValue, spin.MaxValue, spin.Increment), std::tuple(10, 20, 5));
}

TEST(ExColumnGridQueries, ReadOnlyColumnIsNotEditableAndTheEventHasTheLastWord) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    g.Columns().Items(1).ReadOnly = true;
    bool can = true;
    g.CanEditCell(1, 1, can);
    EXPECT_FALSE(can);
    can = false;
    g.CanEditCell(2, 1, can);
    EXPECT_TRUE(can) << "an item's column is editable whatever the start value";
    g.Columns().Items(3).SetFixed(true);
    g.CanEditCell(3, 1, can);
    EXPECT_FALSE(can);

    bool seen = true;
    g.OnCanEditCell = [&](QObject*, int ARow, int ACol, bool& CanEdit) {
        seen = CanEdit;
        if (ACol == 1 && ARow == 2) CanEdit = true;
    };
    g.CanEditCell(1, 2, can);
    EXPECT_FALSE(seen) << "the event gets false as its start value";
    EXPECT_TRUE(can);

    g.SetColCount(6);
    g.Columns().Delete(5);
    ASSERT_EQ(g.Columns().Count(), 5);
    ASSERT_EQ(g.ColCount(), 5);
}

TEST(ExColumnGridQueries, HiddenColumnsAnswerTheRealColumnsItem) {
    // The Modbus lists hide columns 8 and 9: the "Swap" column 10 keeps its own item.
    TExColumnGrid g;
    g.SetColCount(12);
    g.SetFixedRows(1);
    g.Columns().Items(8).SetEditor(edComboEdit);
    g.Columns().Items(8).ComboItems() = QStringList{"eight"};
    g.Columns().Items(10).SetEditor(edComboList);
    g.Columns().Items(10).ComboItems() = QStringList{"Y", "N"};
    g.Columns().Items(10).SetFixed(true);
    g.Columns().Items(10).SetHeader("Swap");
    g.HideColumn(8);
    g.HideColumn(9);
    ASSERT_EQ(g.ColCount(), 10);
    ASSERT_EQ(g.Columns().Count(), 12);

    TEditorType ed = edNormal;
    g.GetCellEditor(10, 1, ed);
    EXPECT_EQ(ed, edComboList);
    EXPECT_EQ(g.GetComboItems(10, 1), (QStringList{"Y", "N"}));
    bool fixed = false;
    g.IsFixedCell(10, 1, fixed);
    EXPECT_TRUE(fixed);
    EXPECT_TRUE(g.HasComboBox(10, 1));
    fixed = false;
    g.IsFixedCell(8, 1, fixed);
    EXPECT_FALSE(fixed) << "no second mapping of a real column";

    // The pop-up of display column 8 (real 10) is column 10's.
    QMenu menu;
    g.Columns().Items(10).ColumnPopup = &menu;
    int poppedCol = -1;
    QMenu* popped = nullptr;
    g.OnColumnPopup = [&](QObject*, int ACol, int, QMenu* m) {
        poppedCol = ACol;
        popped = m;
    };
    g.resize(900, 200);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    const plat::TRect r = g.CellRect(8, 0);
    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(r.Left + 3, r.Top + 3));
    EXPECT_EQ(poppedCol, 8);
    EXPECT_EQ(popped, &menu);
    menu.close();
}

TEST(ExColumnGridPopup, RightClickOnTheHeaderOpensTheMenuBelowIt) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    QMenu menu;
    menu.addAction("Sort");
    g.Columns().Items(2).ColumnPopup = &menu;
    std::vector<std::pair<int, int>> events;
    g.OnColumnPopup = [&](QObject*, int ACol, int ARow, QMenu*) {
        events.emplace_back(ACol, ARow);
        EXPECT_FALSE(menu.isVisible()) << "the event comes before the menu";
    };
    g.resize(400, 250);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));

    const plat::TRect header = g.CellRect(2, 0);
    QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, QPoint(header.Left + 4, header.Top + 4));
    EXPECT_TRUE(events.empty()) << "a left click on a right-click column does nothing";
    EXPECT_FALSE(menu.isVisible());

    const plat::TRect data = g.CellRect(2, 3);
    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(data.Left + 4, data.Top + 4));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0], std::make_pair(2, 3));
    EXPECT_FALSE(menu.isVisible()) << "a data cell fires the event but opens no menu";

    QTest::mouseClick(g.viewport(), Qt::RightButton, {}, QPoint(header.Left + 4, header.Top + 4));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[1], std::make_pair(2, 0));
    EXPECT_TRUE(menu.isVisible());
    EXPECT_EQ(menu.pos(), g.viewport()->mapToGlobal(QPoint(header.Left, header.Bottom)));
    menu.close();
}

TEST(ExColumnGridMove, ItemMovesWithItsColumnAndPositionsRoundTrip) {
    QTemporaryDir dir;
    const QString ini = dir.filePath("cols.ini");
    TExColumnGrid g;
    g.SetColCount(7);
    g.SetFixedRows(1);
    g.SetColumnHeaders({"c0", "c1", "c2", "c3", "c4", "c5", "c6"});
    g.Loaded();
    std::vector<std::pair<int, int>> moved;
    g.OnAfterColumnMoved = [&](QObject*, int f, int t) { moved.emplace_back(f, t); };
    TGridColumnItem* two = &g.Columns().Items(2);
    two->ColumnPopupType = cpAllCellsLClick;
    g.MoveColumn(2, 5);
    EXPECT_EQ(&g.Columns().Items(5), two);
    EXPECT_EQ(two->Header(), "c2");
    EXPECT_EQ(two->ColumnPopupType, cpAllCellsLClick) << "the item itself moves, nothing is lost";
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0], std::make_pair(2, 5));
    EXPECT_EQ(headerRow(g), (std::vector<QString>{"c0", "c1", "c3", "c4", "c5", "c2", "c6"}));

    g.SaveColumnPositions(ini, "Grid");
    plat::TIniFile check(ini);
    EXPECT_EQ(check.ReadInteger("Grid", "CP5", -1), 2);
    EXPECT_EQ(check.ReadInteger("Grid", "CP2", -1), 3);

    TExColumnGrid fresh;
    fresh.SetColCount(7);
    fresh.SetFixedRows(1);
    fresh.SetColumnHeaders({"c0", "c1", "c2", "c3", "c4", "c5", "c6"});
    fresh.Loaded();
    fresh.LoadColumnPositions(ini, "Grid");
    EXPECT_EQ(headerRow(fresh), headerRow(g));
    EXPECT_EQ(fresh.Columns().Items(5).DefIdx, 2) << "a later save writes the same values";

    EXPECT_EQ(g.GetVersionString(), "3.1.3.1 Aug, 2012");
    EXPECT_EQ(g.Version(), "3.1.3.1");
}

TEST(ExColumnGridMove, PositionsThatAreNoPermutationChangeNothing) {
    QTemporaryDir dir;
    struct Case {
        const char* name;
        QString section;
    } cases[] = {
        {"an entry missing", "[G]\nCP0=1\nCP1=0\nCP2=2\n"},
        {"a duplicate", "[G]\nCP0=1\nCP1=1\nCP2=0\nCP3=3\n"},
        {"out of range", "[G]\nCP0=9\nCP1=0\nCP2=1\nCP3=2\n"},
        {"negative", "[G]\nCP0=-2\nCP1=0\nCP2=1\nCP3=2\n"},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath("p.ini");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(c.section.toUtf8());
        f.close();
        TExColumnGrid g;
        g.SetColCount(4);
        g.SetFixedRows(1);
        g.SetColumnHeaders({"a", "b", "c", "d"});
        g.Loaded();
        g.LoadColumnPositions(path, "G");
        EXPECT_EQ(headerRow(g), (std::vector<QString>{"a", "b", "c", "d"})) << c.name;
    }
}

TEST(ExColumnGridStream, ItemsRoundTripAndABrokenStreamChangesNothing) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    g.Columns().Items(1).SetHeader("Addr");
    g.Columns().Items(1).SetEditor(edComboList);
    g.Columns().Items(1).ComboItems() = QStringList{"x", "y"};
    g.Columns().Items(2).CheckTrue = "1";
    g.Columns().Items(2).SetFilter({"Low=<5", "High"});
    g.Columns().Items(3).Font().SetName("Courier");
    g.Columns().Items(3).PrintBorders = TCellBorders{cbTop};
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    g.SaveColumnsToStream(buf);

    TExColumnGrid h;
    h.SetFixedRows(1);
    buf.seek(0);
    ASSERT_TRUE(h.LoadColumnsFromStream(buf));
    ASSERT_EQ(h.Columns().Count(), 5);
    EXPECT_EQ(h.Columns().Items(1).Header(), "Addr");
    EXPECT_EQ(h.Columns().Items(1).Editor(), edComboList);
    EXPECT_EQ(h.Columns().Items(1).ComboItems(), (QStringList{"x", "y"}));
    EXPECT_EQ(h.Columns().Items(2).CheckTrue, "1");
    EXPECT_EQ(h.Columns().Items(2).Filter(), (QStringList{"Low=<5", "High"}));
    EXPECT_EQ(h.Columns().Items(3).Font().Name(), "Courier");
    EXPECT_EQ(h.Columns().Items(3).PrintBorders, TCellBorders{cbTop});

    const QByteArray whole = buf.data();
    for (qsizetype cut : {qsizetype(0), qsizetype(5), whole.size() / 2, whole.size() - 1}) {
        TExColumnGrid k;
        k.Columns().Items(1).SetHeader("keep");
        QBuffer part;
        part.setData(whole.left(cut));
        part.open(QIODevice::ReadOnly);
        EXPECT_FALSE(k.LoadColumnsFromStream(part)) << cut;
        EXPECT_EQ(k.Columns().Items(1).Header(), "keep") << cut;
        EXPECT_EQ(k.Columns().Count(), 5);
    }
}

TEST(ExColumnGridSizes, WidthLimitsOfTheItems) {
    TExColumnGrid g;
    TGridColumnItem& it = g.Columns().Items(1);
    it.MinSize = 30;
    it.MaxSize = 100;
    it.AutoMaxSize = 40;
    struct Case {
        int in, sized, autoSized;
    } cases[] = {{10, 30, 10}, {50, 50, 40}, {150, 100, 40}};
    for (const Case& c : cases) {
        int w = c.in;
        g.UpdateColumnSize(1, w);
        EXPECT_EQ(w, c.sized) << c.in;
        w = c.in;
        g.UpdateAutoColumnSize(1, w);
        EXPECT_EQ(w, c.autoSized) << c.in;
    }
    int seen = -1;
    g.OnUpdateColumnSize = [&](QObject*, int, int& AWidth) {
        seen = AWidth;
        AWidth = 33;
    };
    int w = 500;
    g.UpdateColumnSize(1, w);
    EXPECT_EQ(seen, 100) << "the event sees the limited width";
    EXPECT_EQ(w, 33);
    g.OnUpdateColumnSize = nullptr;

    g.SetCells(1, 2, QString(60, u'W'));
    g.AutoSizeColumns(false, 4);
    EXPECT_EQ(g.ColWidths(1), 40) << "auto-sizing stops at AutoMaxSize";
}

TEST(ExColumnGridItems, ChangeScaleScalesItemFonts) {
    TExColumnGrid g;
    g.Columns().Items(0).Font().SetSize(10);
    g.Columns().Items(0).HeaderFont().SetSize(8);
    g.SetColWidths(1, 50);
    g.ChangeScale(3, 2);
    EXPECT_EQ(g.Columns().Items(0).Font().Size(), 15);
    EXPECT_EQ(g.Columns().Items(0).HeaderFont().Size(), 12);
    EXPECT_EQ(g.ColWidths(1), 75);
    g.ChangeScale(2, 2);
    EXPECT_EQ(g.ColWidths(1), 75);
}

TEST(ExColumnGridQueries, LookAlignmentAndNumberFormatFromTheItem) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    TGridColumnItem& it = g.Columns().Items(2);
    it.SetColor(plat::clYellow);
    it.SetAlignment(taRightJustify);
    it.SetHeaderAlignment(taCenter);
    it.HeaderFont().SetSize(13);
    it.SetFloatFormat("%.1f");
    g.Columns().Items(3).SetFixed(true);

    plat::TBrush brush;
    plat::TFont font;
    g.GetCellColor(2, 1, {}, brush, font);
    EXPECT_EQ(brush.Color(), plat::clYellow);
    g.GetCellColor(2, 0, {}, brush, font);
    EXPECT_EQ(font.Size(), 13) << "the header font in the header row";
    brush.SetColor(plat::clWhite);
    g.GetCellColor(3, 1, {}, brush, font);
    EXPECT_EQ(brush.Color(), g.FixedColor());
    g.SetColors(2, 4, plat::clLime);
    g.GetCellColor(2, 4, {}, brush, font);
    EXPECT_EQ(brush.Color(), plat::clLime) << "a cell's own colour over the item's";

    TAlignment h = taLeftJustify;
    TVAlignment v = vtaTop;
    g.GetCellAlign(2, 1, h, v);
    EXPECT_EQ(h, taRightJustify);
    g.GetCellAlign(2, 0, h, v);
    EXPECT_EQ(h, taCenter);

    g.SetCells(2, 1, "3.14159");
    g.SetCells(2, 2, "abc");
    EXPECT_EQ(g.GetFormattedCell(2, 1), "3.1");
    EXPECT_EQ(g.GetFormattedCell(2, 2), "abc");
    EXPECT_EQ(g.GetFloatFormat(2, 1), "%.1f");
    EXPECT_EQ(g.GetFloatFormat(1, 1), g.FloatFormat());
}

TEST(ExColumnGridQueries, FilterListAndChoiceFromTheItem) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    g.SetRowCount(5);
    for (int r = 1; r < 5; ++r) g.SetCells(1, r, QString::number(r));
    g.Columns().Items(1).SetFilter({"Small=<3", "All"});
    g.Columns().Items(1).SetHeader("Num");
    g.SetAutoFilterDisplay(true);
    EXPECT_FALSE(g.GetColumnFilter(2)) << "no filter entries, no list";
    ASSERT_TRUE(g.GetColumnFilter(1));
    EXPECT_EQ(g.FilterList(), (QStringList{"Small", "All"}));

    QString seenName, seenCond;
    g.OnFilterSelect = [&](QObject*, int, int, const QString& name, QString& cond) {
        seenName = name;
        seenCond = cond;
    };
    g.SetFilterCol(1);
    g.FilterSelect(0);
    EXPECT_EQ(seenName, "Small");
    EXPECT_EQ(seenCond, "<3");
    EXPECT_EQ(g.Columns().Items(1).Header(), "Small");
    EXPECT_EQ(g.FilterCol(), -1);
    EXPECT_EQ(g.RowCount(), 3) << "rows 1 and 2 pass";
}

TEST(ExColumnGridItems, InsertRemoveAndGroupKeepItemsWithTheirColumns) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    for (int i = 0; i < 5; ++i) g.Columns().Items(i).Name = QString("n%1").arg(i);
    g.InsertCols(2, 2);
    ASSERT_EQ(g.Columns().Count(), 7);
    EXPECT_EQ(g.Columns().Items(1).Name, "n1");
    EXPECT_TRUE(g.Columns().Items(2).Name.isEmpty()) << "new items at the new columns";
    EXPECT_EQ(g.Columns().Items(4).Name, "n2");
    g.RemoveCols(1, 3);
    ASSERT_EQ(g.ColCount(), 4);
    ASSERT_EQ(g.Columns().Count(), 4);
    EXPECT_EQ(g.Columns().Items(1).Name, "n2");

    g.Columns().Items(2).SetEditor(edComboList);
    g.Columns().Items(2).CheckTrue = "1";
    for (int r = 1; r < g.RowCount(); ++r) g.SetCells(2, r, r < 5 ? "x" : "y");
    g.Group(2);
    EXPECT_EQ(g.Columns().Count(), g.AllColCount());
    g.Columns().Items(2).CheckTrue = "changed by the grouping";
    g.UnGroup();
    EXPECT_EQ(g.Columns().Count(), g.AllColCount());
    EXPECT_EQ(g.Columns().Items(2).Editor(), edComboList) << "the grouped column gets its item back";
    EXPECT_EQ(g.Columns().Items(2).CheckTrue, "1");
}

TEST(ExColumnGridItems, LoadedAppendsMissingItemsWithoutShrinkingTheGrid) {
    TExColumnGrid g;
    g.SetFixedRows(1);
    // Columns made below the column grid's own writer leave it short of items.
    g.TExStringGrid::SetColCount(9);
    ASSERT_EQ(g.Columns().Count(), 5);
    g.SetCells(8, 0, "last");
    g.Loaded();
    EXPECT_EQ(g.ColCount(), 9);
    ASSERT_EQ(g.Columns().Count(), 9);
    EXPECT_EQ(g.Columns().Items(8).Header(), "last") << "an empty header takes the header row's text";
    EXPECT_EQ(g.Columns().Items(8).DefIdx, 8);
}

TEST(ExGridAutoSize, ColumnsTakeTheirWidestContentPlusPadding) {
    TExStringGrid g;
    g.SetCells(0, 2, QString(30, u'W'));
    g.SetCells(2, 1, "short");
    g.SetCells(2, 3, "a much longer text");
    g.SetColWidths(3, 77);
    const int widest = g.GetCellTextSize(2, 3, false, false).width();
    ASSERT_GT(widest, g.GetCellTextSize(2, 1, false, false).width());
    g.SetAutoSize(true);
    EXPECT_EQ(g.ColWidths(2), widest + 10);
    EXPECT_EQ(g.ColWidths(3), 77) << "an empty column keeps its width";
    EXPECT_EQ(g.ColWidths(0), g.DefaultColWidth()) << "fixed columns only when asked";
    g.Loaded();
    EXPECT_EQ(g.ColWidths(2), widest + 4);
    g.AutoSizeColumns(true, 0);
    EXPECT_EQ(g.ColWidths(0), g.GetCellTextSize(0, 2, false, false).width());
}
