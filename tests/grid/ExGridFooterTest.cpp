// The footer row's calculation, the selection listener and change notifiers, the combo editor's
// list, the reaction to removed components and the writers of the grid's settings.
#include "controls/ExGridPopups.h"
#include "controls/ExHTMLRender.h"
#include "controls/ExStringGridCheck.h"
#include "controls/PictureContainer.h"
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"

#include <QApplication>
#include <QPointer>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// Column 1 holds 1 .. 7 in seven normal rows under one fixed row; the last row is the footer.
struct FooterGrid {
    TExStringGrid g;
    FooterGrid() {
        g.SetColCount(3);
        g.SetRowCount(9);
        g.SetFixedRows(1);
        for (int r = 1; r <= 7; ++r) g.SetCells(1, r, QString::number(r));
        g.FloatingFooter().SetVisible(true);
    }
    QString footer(int c) { return g.Cells(c, g.RowCount() - 1); }
};

// Counts the paint passes of a shown grid.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

struct Listener : ITExStringGridSelect {
    std::vector<std::pair<int, int>> cells;
    void CellSelected(int ACol, int ARow) override { cells.emplace_back(ACol, ARow); }
};

}  // namespace

TEST(ExGridFooter, NothingWhileHiddenOrNotCalculating) {
    FooterGrid f;
    f.g.SetCells(1, 8, "keep");
    f.g.GetCellProperties(1, 8)->SetCalcType(acSUM);
    f.g.FloatingFooter().SetVisible(false);
    f.g.CalcFooter(-1);
    EXPECT_EQ(f.footer(1), "keep");
    f.g.FloatingFooter().SetVisible(true);
    f.g.FloatingFooter().SetEnableCalculation(false);
    f.g.CalcFooter(-1);
    EXPECT_EQ(f.footer(1), "keep");
    f.g.FloatingFooter().SetEnableCalculation(true);
    f.g.FloatingFooter().SetFooterStyle(fsColumnPreview);
    f.g.CalcFooter(-1);
    EXPECT_EQ(f.footer(1), "keep");
    f.g.FloatingFooter().SetFooterStyle(fsFixedLastRow);
    f.g.CalcFooter(-1);
    EXPECT_EQ(f.g.GetFloats(1, 8), 28.0);
}

TEST(ExGridFooter, HiddenRowsCountWhenAsked) {
    FooterGrid f;
    f.g.HideRows(6, 7);  // five normal rows stay visible, 6 and 7 are hidden
    ASSERT_EQ(f.g.RowCount(), 7);
    f.g.FloatingFooter().SetColumnCalc(0, acCOUNT);
    EXPECT_EQ(f.footer(0), "7");
    f.g.FloatingFooter().SetColumnCalc(1, acSUM);
    EXPECT_EQ(f.g.GetFloats(1, 6), 28.0);  // every real row before the footer
    f.g.FloatingFooter().SetCalculateHiddenRows(false);
    f.g.CalcFooter(-1);
    EXPECT_EQ(f.footer(0), "5");
    EXPECT_EQ(f.g.GetFloats(1, 6), 15.0);
}

TEST(ExGridFooter, RowCountChangesRecalculate) {
    FooterGrid f;
    f.g.FloatingFooter().SetColumnCalc(0, acCOUNT);
    EXPECT_EQ(f.footer(0), "7");
    f.g.SetRowCount(f.g.RowCount() + 2);  // the footer row stays last
    EXPECT_EQ(f.footer(0), "9");
}

TEST(ExGridFooter, CalculationKinds) {
    struct Case {
        const char* name;
        TColumnCalcType type;
        double value;
    } cases[] = {{"avg", acAVG, 4.0},  {"min", acMIN, 1.0}, {"max", acMAX, 7.0}, {"distinct", acDISTINCT, 7.0}};
    for (const Case& c : cases) {
        FooterGrid f;
        f.g.FloatingFooter().SetColumnCalc(1, c.type);
        EXPECT_DOUBLE_EQ(f.g.GetFloats(1, 8), c.value) << c.name;
    }
    // Only the low seven bits select the calculation.
    FooterGrid f;
    f.g.GetCellProperties(0, 8)->SetCalcType(static_cast<TColumnCalcType>(0x80 | acCOUNT));
    f.g.CalcFooter(0);
    EXPECT_EQ(f.footer(0), "7");
    // One column leaves the others alone.
    f.g.GetCellProperties(1, 8)->SetCalcType(acSUM);
    f.g.CalcFooter(0);
    EXPECT_EQ(f.footer(1), "");
}

TEST(ExGridFooter, CustomCalculationAsksTheGridThenTheFooter) {
    FooterGrid f;
    f.g.SetCells(2, 8, "old");
    f.g.FloatingFooter().SetColumnCalc(2, acCUSTOM);
    EXPECT_EQ(f.footer(2), "");  // no handler empties the cell
    std::vector<int> rows;
    f.g.FloatingFooter().OnCalcFooter = [&](QObject*, int, int ARow, QString& V) {
        rows.push_back(ARow);
        V = "footer";
    };
    f.g.CalcFooter(2);
    EXPECT_EQ(f.footer(2), "footer");
    f.g.OnFooterCalc = [](QObject*, int ACol, int, QString& V) { V = QString("grid %1").arg(ACol); };
    f.g.CalcFooter(2);
    EXPECT_EQ(f.footer(2), "grid 2");
    EXPECT_EQ(rows, std::vector<int>{8});
}

TEST(ExGridFooter, ChangedCellsReachTheHandlerTheNotifiersAndTheFooter) {
    FooterGrid f;
    f.g.FloatingFooter().SetColumnCalc(1, acSUM);
    std::vector<QString> order;
    f.g.OnCellsChanged = [&](QObject*, const plat::TGridRect&) { order.push_back("grid"); };
    TGridChangeNotifier a, b;
    plat::TGridRect seen{};
    a.OnCellsChanged = [&](QObject*, const plat::TGridRect& R) {
        order.push_back("a");
        seen = R;
    };
    b.OnCellsChanged = [&](QObject*, const plat::TGridRect&) { order.push_back("b"); };
    f.g.RegisterNotifier(&a);
    f.g.RegisterNotifier(&a);
    f.g.RegisterNotifier(&b);
    EXPECT_EQ(f.g.NotifierCount(), 2);
    f.g.SetCells(1, 1, "101");
    f.g.CellsChanged(plat::TGridRect{1, 1, 1, 1});
    EXPECT_EQ(order, (std::vector<QString>{"grid", "a", "b"}));
    EXPECT_EQ(seen.Left, 1);
    EXPECT_EQ(f.g.GetFloats(1, 8), 128.0);
    f.g.UnRegisterNotifier(&a);
    {
        TGridChangeNotifier gone;
        f.g.RegisterNotifier(&gone);
    }
    order.clear();
    f.g.CellsChanged(plat::TGridRect{1, 1, 1, 1});  // a notifier that went away is skipped
    EXPECT_EQ(order, (std::vector<QString>{"grid", "b"}));
    // A fill recalculates too.
    f.g.TextFill(false, "2");
    EXPECT_EQ(f.g.GetFloats(1, 8), 14.0);
}

TEST(ExGridFooter, OneSelectionListener) {
    TExStringGrid g;
    Listener first, second;
    g.RegisterSelListener(&first);
    g.RegisterSelListener(&second);
    g.NotifySelListener(2, 3);
    EXPECT_TRUE(first.cells.empty());
    EXPECT_EQ(second.cells, (std::vector<std::pair<int, int>>{{2, 3}}));
    g.UnRegisterSelListener(&first);  // whatever the argument
    EXPECT_EQ(g.SelListener(), nullptr);
    g.NotifySelListener(1, 1);
    EXPECT_EQ(second.cells.size(), 1u);
}

TEST(ExGridFooter, ComboList) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(4);
    QObject tag;
    g.AddComboString("Red");
    g.AddComboStringObject("Green", &tag);
    EXPECT_EQ(g.GetComboCount(), 2);
    EXPECT_EQ(g.ComboObject(1), &tag);
    EXPECT_FALSE(g.RemoveComboString("Blue"));
    EXPECT_EQ(g.ComboList(), (QStringList{"Red", "Green"}));
    g.SetComboSelection(1);
    EXPECT_FALSE(g.SetComboSelectionString("Blue"));
    EXPECT_EQ(g.ComboIdx(), 1);
    EXPECT_TRUE(g.SetComboSelectionString("Red"));
    EXPECT_EQ(g.ComboIdx(), 0);
    EXPECT_TRUE(g.RemoveComboString("Red"));
    EXPECT_EQ(g.ComboList(), QStringList{"Green"});
    EXPECT_EQ(g.ComboObject(0), &tag);
    g.ClearComboString();
    EXPECT_EQ(g.GetComboCount(), 0);

    // The cell's own list comes from OnGetEditorProp.
    std::vector<std::pair<int, int>> asked;
    g.OnGetEditorProp = [&](QObject*, int ACol, int ARow, TEditLink* Link) {
        asked.emplace_back(ACol, ARow);
        EXPECT_EQ(Link, nullptr);
        g.ClearComboString();
        for (const char* s : {"off", "on", "auto"}) g.AddComboString(s);
    };
    g.SetComboIndex(2, 1, 2);
    EXPECT_EQ(g.Cells(2, 1), "auto");
    EXPECT_EQ(g.GetComboIndex(2, 1), 2);
    g.SetCells(2, 2, "none");
    EXPECT_EQ(g.GetComboIndex(2, 2), -1);
    EXPECT_EQ(asked.size(), 3u);
}

TEST(ExGridFooter, PasswordCellsAndTrivialSlots) {
    TExStringGrid g;
    g.SetColCount(2);
    g.SetRowCount(3);
    g.OnIsPasswordCell = [](QObject*, int ARow, int ACol, bool& V) { V = ARow == 1 && ACol == 1; };
    EXPECT_TRUE(g.QueryPasswordCell(1, 1));
    EXPECT_FALSE(g.QueryPasswordCell(0, 1));
    EXPECT_FALSE(g.UsesVCLStyles());
    g.IncRowCount();
    EXPECT_EQ(g.RowCount(), 4);
}

TEST(ExGridFooter, RemovedComponentsAreForgotten) {
    TExStringGrid g;
    auto* pictures = new TPictureContainer;
    auto* checker = new TExStringGridCheck;
    g.SetPictureContainer(pictures);
    g.SetCellChecker(checker);
    g.SetCellChecker(checker);
    delete pictures;
    EXPECT_EQ(g.PictureContainer(), nullptr);
    EXPECT_EQ(g.CellChecker(), checker);
    delete checker;
    EXPECT_EQ(g.CellChecker(), nullptr);
    TExStringGrid other;
    g.SyncGrid().SetGrid(&other);
    g.HandleNotification(&other);
    EXPECT_EQ(g.SyncGrid().Grid(), nullptr);
}

TEST(ExGridFooter, WritersClampAndSwitch) {
    TExStringGrid g;
    for (auto [in, out] : {std::pair{150, 100}, {-5, 0}, {30, 30}}) {
        g.SetSelectionColorMixerFactor(in);
        EXPECT_EQ(g.SelectionColorMixerFactor(), out) << in;
    }
    plat::TGridOptions o = g.Options();
    o.exclude(plat::goRangeSelect);
    o.exclude(plat::goEditing);
    g.SetOptions(o);
    g.SetSpreadSheet(false);
    EXPECT_FALSE(g.SpreadSheet());
    EXPECT_TRUE(g.Options().contains(plat::goRangeSelect));
    EXPECT_TRUE(g.Options().contains(plat::goEditing));
    EXPECT_TRUE(g.SelectionRectangle());
    EXPECT_TRUE(g.SelectionResizer());
    EXPECT_TRUE(g.Navigation().AllowSmartClipboard());
    EXPECT_TRUE(g.MouseActions().RangeSelectAndEdit());

    g.SetHighlightColor(0x112233);
    g.SetHighlightTextColor(0x445566);
    EXPECT_EQ(HTMLHighlightBackground(), 0x112233u);
    EXPECT_EQ(HTMLHighlightText(), 0x445566u);

    g.SetArrowColor(0x0000FF);
    for (int d = 0; d < 4; ++d) EXPECT_EQ(g.ArrowWindow(TArrowDirection(d))->Color(), 0x0000FFu) << d;
    EXPECT_EQ(g.ArrowColor(), 0x0000FFu);

    for (auto [va, flag] : {std::pair{vtaTop, 0u}, {vtaBottom, 8u}, {vtaCenter, 4u}}) {
        g.SetVAlignment(va);
        EXPECT_EQ(g.VAlignFlag(), flag);
    }
}

TEST(ExGridFooter, VAlignmentRepaintsOutsideAnUpdateBlockOnly) {
    QWidget host;
    host.resize(300, 200);
    auto* g = new TExStringGrid(&host);
    g->setGeometry(0, 0, 300, 200);
    host.show();
    QApplication::processEvents();
    PaintCounter counter;
    g->viewport()->installEventFilter(&counter);
    QApplication::processEvents();
    counter.paints = 0;
    g->BeginUpdate();
    g->SetVAlignment(vtaCenter);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(g->VAlignment(), vtaCenter);
    g->EndUpdate();
    QApplication::processEvents();
    counter.paints = 0;
    g->SetVAlignment(vtaBottom);
    QApplication::processEvents();
    EXPECT_GT(counter.paints, 0);
}

TEST(ExGridFooter, AutoSizeFitsTheColumnsWhenSwitchedOn) {
    TExStringGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetCells(1, 1, QString(40, u'W'));
    const int before = g.ColWidths(1);
    g.SetAutoSize(true);
    const int fitted = g.ColWidths(1);
    EXPECT_GT(fitted, before);
    g.SetColWidths(1, 30);
    g.SetAutoSize(true);  // already on: nothing is switched
    EXPECT_EQ(g.ColWidths(1), 30);
    EXPECT_TRUE(g.AutoSize());
}
