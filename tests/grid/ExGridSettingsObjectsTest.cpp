// The settings objects and owned helpers the grid creates: control look, progress, sorting,
// filtering, floating footer, search strip, and the values every configurator form stores.
#include "grid/ExGrid.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

TEST(ExGridControlLook, FixedGradientWritersSkipNoneAndMirrorWritersCopyEverything) {
    TExStringGrid g;
    TControlLook& cl = g.ControlLook();
    // A new look: the form values, and nothing but the mirrors given to the grid.
    EXPECT_EQ(cl.FixedGradientHoverFrom(), plat::clGray);
    EXPECT_EQ(cl.FixedGradientHoverTo(), plat::clWhite);
    EXPECT_EQ(cl.FixedGradientDownFrom(), plat::clGray);
    EXPECT_EQ(cl.FixedGradientDownTo(), plat::clSilver);
    EXPECT_EQ(g.VEZGradientHoverFrom(), plat::clNone);
    EXPECT_EQ(g.VEZGradientFrom(), 0xFFFFFFu);

    struct Case {
        const char* name;
        std::function<void(TColor)> write;
        std::function<TColor()> gridColour;
        TColor value;
        TColor expected;
    } cases[] = {
        {"From: none skipped", [&](TColor c) { cl.SetFixedGradientFrom(c); }, [&] { return g.VEZGradientFrom(); },
         plat::clNone, 0xFFFFFF},
        {"From: a colour given", [&](TColor c) { cl.SetFixedGradientFrom(c); }, [&] { return g.VEZGradientFrom(); },
         0x123456, 0x123456},
        {"DownBorder: none skipped", [&](TColor c) { cl.SetFixedGradientDownBorder(c); },
         [&] { return g.VEZGradientDownBorder(); }, plat::clNone, plat::clNone},
        {"HoverTo: a colour given", [&](TColor c) { cl.SetFixedGradientHoverTo(c); },
         [&] { return g.VEZGradientHoverTo(); }, 0x00FF00, 0x00FF00},
        {"MirrorFrom: a colour given", [&](TColor c) { cl.SetFixedGradientMirrorFrom(c); },
         [&] { return g.VEZGradientMirrorFrom(); }, 0x0000FF, 0x0000FF},
        {"MirrorFrom: none given too", [&](TColor c) { cl.SetFixedGradientMirrorFrom(c); },
         [&] { return g.VEZGradientMirrorFrom(); }, plat::clNone, plat::clNone},
    };
    for (const Case& c : cases) {
        c.write(c.value);
        EXPECT_EQ(c.gridColour(), c.expected) << c.name;
    }
    g.SetVEZGradientDownMirrorTo(0x222222);
    cl.SetFixedGradientDownMirrorTo(plat::clNone);
    EXPECT_EQ(g.VEZGradientDownMirrorTo(), plat::clNone);

    // Assign stores the gradients without handing them to the grid and keeps FlatButton.
    TExStringGrid other;
    other.ControlLook().SetFlatButton(true);
    other.SetVEZGradientFrom(0xABCDEF);
    cl.SetFixedGradientFrom(0x010203);
    cl.SetCheckSize(20);
    other.ControlLook().Assign(&cl);
    EXPECT_TRUE(other.ControlLook().FlatButton());
    EXPECT_EQ(other.ControlLook().CheckSize(), 20);
    EXPECT_EQ(other.ControlLook().FixedGradientFrom(), 0x010203u);
    EXPECT_EQ(other.VEZGradientFrom(), 0xABCDEFu);

    cl.Init();
    EXPECT_EQ(cl.FixedGradientFrom(), plat::clNone);
    EXPECT_EQ(cl.FixedGradientHoverFrom(), plat::clGray);
}

TEST(ExGridControlLook, DropDownHeaderAndFooterAreTheLooksOwnCopies) {
    TExStringGrid g;
    TControlLook& cl = g.ControlLook();
    EXPECT_TRUE(cl.DropDownHeader().Visible());  // as every configurator form stores it

    // A write copies: the look keeps its own object, and later changes of the source stay there.
    dropdowns::THeaderAppearance header(nullptr);
    header.SetVisible(false);
    header.SetCaption(QStringLiteral("Pick"));
    header.Buttons().Add().SetCaption(QStringLiteral("All"));
    dropdowns::TFooterAppearance footer(nullptr);
    footer.SetSizeGrip(false);
    cl.SetDropDownHeader(header);
    cl.SetDropDownFooter(footer);
    header.SetCaption(QStringLiteral("Changed"));
    EXPECT_NE(&cl.DropDownHeader(), &header);
    EXPECT_EQ(cl.DropDownHeader().Caption(), "Pick");
    EXPECT_FALSE(cl.DropDownHeader().Visible());
    ASSERT_EQ(cl.DropDownHeader().Buttons().Count(), 1);
    EXPECT_EQ(cl.DropDownHeader().Buttons().Items(0).Caption(), "All");
    EXPECT_FALSE(cl.DropDownFooter().SizeGrip());

    // Assign carries both into another grid's look.
    TExStringGrid other;
    other.ControlLook().Assign(&cl);
    EXPECT_EQ(other.ControlLook().DropDownHeader().Caption(), "Pick");
    EXPECT_EQ(other.ControlLook().DropDownHeader().Buttons().Count(), 1);
    EXPECT_FALSE(other.ControlLook().DropDownFooter().SizeGrip());
}

TEST(ExGridProgressAppearance, OnlyARealChangeFiresAndAssignFiresOnce) {
    TGridProgressAppearance p;
    int changes = 0;
    p.OnChange = [&](QObject*) { ++changes; };
    p.SetLevel1Perc(70);
    p.SetCompleteColor(plat::clRed);
    EXPECT_EQ(changes, 0);
    p.SetLevel1Perc(60);
    EXPECT_EQ(changes, 1);
    TGridProgressAppearance q;
    q.SetSteps(3);
    q.SetStyle(psClassic);
    p.Assign(&q);
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(p.Steps(), 3);
    EXPECT_EQ(p.Style(), psClassic);
    EXPECT_EQ(p.Level1Perc(), 70);
}

namespace {

class SortingGrid : public TExStringGrid {
public:
    int sorts = 0, indexSorts = 0;
    void QSort() override { ++sorts; }
    void QSortIndexed() override { ++indexSorts; }
};

}  // namespace

TEST(ExGridSortSettings, TextFormSavesAndLoadsTheSort) {
    SortingGrid g;
    TSortSettings& s = g.SortSettings();
    s.SetColumn(3);
    s.SetDirection(sdDescending);
    EXPECT_EQ(s.SaveToString(), "d3");

    s.LoadFromString("u5");
    EXPECT_TRUE(s.Show());
    EXPECT_EQ(s.Column(), 5);
    EXPECT_EQ(s.Direction(), sdAscending);
    EXPECT_EQ(g.sorts, 1);

    s.LoadFromString("dx");
    EXPECT_EQ(s.Direction(), sdDescending);
    EXPECT_EQ(s.Column(), 5);
    EXPECT_EQ(g.sorts, 1);

    s.LoadFromString("i;u1;d4");
    EXPECT_TRUE(s.IndexShow());
    ASSERT_EQ(g.SortIndexes().Count(), 2);
    EXPECT_EQ(g.SortIndexes().SortColumns(1), 4);
    EXPECT_EQ(g.indexSorts, 1);
    EXPECT_EQ(s.SaveToString(), "i;u1;d4");

    s.LoadFromString("");
    EXPECT_EQ(g.sorts + g.indexSorts, 2);
    try {
        s.LoadFromString("u");
        ADD_FAILURE() << "one character must be refused";
    } catch (const EExGridError& e) {
        EXPECT_EQ(e.message(), "Invalid sort settings specifier");
    }

    s.Remove();
    EXPECT_EQ(s.Column(), -1);
    EXPECT_EQ(g.SortIndexes().Count(), 0);
}

TEST(ExGridSortSettings, RowMustStayAmongTheFixedRows) {
    TExStringGrid g;
    g.SortSettings().SetRow(0);
    try {
        g.SortSettings().SetRow(1);
        ADD_FAILURE();
    } catch (const EExGridError& e) {
        EXPECT_EQ(e.message(), "Sort row should be smaller than number of fixed rows");
    }
    EXPECT_EQ(g.SortSettings().Row(), 0);
}

TEST(ExGridSortSettings, AssignLeavesIgnoreCaseAndVirtualCells) {
    TExStringGrid a, b;
    a.SortSettings().SetColumn(2);
    a.SortSettings().SetIgnoreCase(true);
    a.SortSettings().SetSortOnVirtualCells(false);
    a.SortSettings().SetHeaderColor(0x123456);
    b.SortSettings().Assign(&a.SortSettings());
    EXPECT_EQ(b.SortSettings().Column(), 2);
    EXPECT_EQ(b.SortSettings().HeaderColor(), 0x123456u);
    EXPECT_FALSE(b.SortSettings().IgnoreCase());
    EXPECT_TRUE(b.SortSettings().SortOnVirtualCells());
}

TEST(ExGridBehaviourSettings, DragSettingsStartValuesAndCopies) {
    TExStringGrid a, b;
    const TDragDropSettings& d = a.DragDropSettings();
    EXPECT_TRUE(d.OleAcceptText());
    EXPECT_TRUE(d.OleAcceptFiles());
    EXPECT_TRUE(d.OleAcceptURLs());
    EXPECT_TRUE(d.ShowCells());
    EXPECT_FALSE(d.OleDropTarget());
    EXPECT_EQ(a.DragScrollOptions().Delays().InitialDelay(), 1000);
    EXPECT_EQ(a.DragScrollOptions().Delays().RepeatDelay(), 250);
    EXPECT_EQ(a.DragScrollOptions().Margins().LeftMargin(), 50);
    a.DragScrollOptions().SetActive(true);
    a.DragScrollOptions().Margins().SetTopMargin(9);
    b.DragScrollOptions().Assign(&a.DragScrollOptions());
    EXPECT_TRUE(b.DragScrollOptions().Active());
    EXPECT_EQ(b.DragScrollOptions().Margins().TopMargin(), 9);
    a.DragDropSettings().SetOleColumnsOnly(true);
    b.DragDropSettings().Assign(&a.DragDropSettings());
    EXPECT_TRUE(b.DragDropSettings().OleColumnsOnly());
}

TEST(ExGridFilter, ConditionsAddFindAndRemove) {
    TExStringGrid g;
    TFilter& f = g.Filter();
    EXPECT_EQ(f.Add().Operation, foNONE);
    EXPECT_EQ(f.Add().Operation, foAND);
    EXPECT_EQ(f.Insert(0).Operation, foSHORT);
    EXPECT_EQ(f.Count(), 3);
    f.Clear();

    TFilterData& c2 = f.GetColFilter(2);
    EXPECT_EQ(c2.Column, 2);
    EXPECT_TRUE(c2.CaseSensitive);
    EXPECT_EQ(c2.Method, fmExpression);
    EXPECT_EQ(&f.GetColFilter(2), &c2);
    EXPECT_EQ(f.Count(), 1);
    f.Add().Column = 3;
    f.Add().Column = 2;
    EXPECT_TRUE(f.HasFilter(2));
    f.RemoveColumnFilter(2);
    EXPECT_FALSE(f.HasFilter(2));
    ASSERT_EQ(f.Count(), 1);
    EXPECT_EQ(f.Items(0).Column, 3);
}

TEST(ExGridFilter, DropDownLookStartValuesAndCopy) {
    TExStringGrid a, b;
    EXPECT_EQ(a.FilterDropDown().Width(), 150);
    EXPECT_EQ(a.FilterDropDown().Height(), 150);
    a.FilterDropDown().SetWidth(200);
    a.FilterDropDown().SetAutoSize(true);
    b.FilterDropDown().Assign(&a.FilterDropDown());
    EXPECT_EQ(b.FilterDropDown().Width(), 200);
    EXPECT_FALSE(b.FilterDropDown().AutoSize());
    EXPECT_FALSE(a.DropList()->isVisible());
    EXPECT_EQ(a.DropList()->size(), QSize(0, 0));
}

TEST(ExGridFloatingFooter, VisibleFixedLastRowTakesTheLastRowOutOfTheBody) {
    TExStringGrid g;
    TFloatingFooter& f = g.FloatingFooter();
    EXPECT_EQ(f.Height(), 22);
    f.SetVisible(true);
    EXPECT_EQ(g.FixedFooters(), 1);
    EXPECT_TRUE(g.HideLastRow());
    EXPECT_EQ(g.FooterPanel()->height(), 21);
    f.SetFooterStyle(fsColumnPreview);
    EXPECT_FALSE(g.HideLastRow());
    f.SetFooterStyle(fsFixedLastRow);
    f.SetVisible(false);
    EXPECT_EQ(g.FixedFooters(), 0);
    EXPECT_FALSE(g.HideLastRow());
    EXPECT_EQ(g.FooterPanel()->height(), 0);

    EXPECT_EQ(f.GetColumnCalc(3), acNONE);
    f.SetColumnCalc(3, acSUM);
    EXPECT_EQ(f.GetColumnCalc(3), acSUM);
    EXPECT_TRUE(g.CellHasProperties(3, g.RowCount() - 1));
}

TEST(ExGridSearchPanel, FollowsTheSearchFooterSettings) {
    TExStringGrid g;
    g.resize(400, 250);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    TSearchPanel* p = g.SearchPanel();
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(p->height(), 0);
    const int viewportHeight = g.viewport()->height();

    g.SearchFooter().SetFindNextCaption("Next");
    g.SearchFooter().SetHintClose("Close it");
    g.SearchFooter().SetColorTo(0x00FF00);
    g.SearchFooter().SetVisible(true);
    EXPECT_TRUE(p->isVisible());
    EXPECT_EQ(p->height(), 32);
    EXPECT_EQ(p->FindNextCaption, "Next");
    EXPECT_EQ(p->HintClose, "Close it");
    EXPECT_EQ(p->ColorTo(), 0x00FF00u);
    EXPECT_EQ(p->geometry().bottom(), g.contentsRect().bottom() - (g.horizontalScrollBar()->isVisible()
                                                                        ? g.horizontalScrollBar()->height()
                                                                        : 0));
    EXPECT_EQ(g.viewport()->height(), viewportHeight - 32);

    g.SearchFooter().SetVisible(false);
    EXPECT_FALSE(p->isVisible());
    EXPECT_EQ(g.viewport()->height(), viewportHeight);
}

TEST(ExGridFormValues, WhatEveryConfiguratorFormStores) {
    TExStringGrid g;
    SetConfiguratorFormValues(g);
    EXPECT_EQ(g.Font().Name(), "Tahoma");
    EXPECT_EQ(g.Font().Height(), -11);
    EXPECT_EQ(g.FixedFont().Height(), -11);
    EXPECT_TRUE(g.FixedFont().Style().contains(plat::fsBold));
    EXPECT_EQ(g.ActiveCellFont().Name(), "Tahoma");
    EXPECT_EQ(g.HoverRowCells(), (THoverRowCells{hcNormal, hcSelected}));
    EXPECT_FALSE(g.HoverRow());
    EXPECT_EQ(g.Options(), (plat::TGridOptions{plat::goFixedVertLine, plat::goFixedHorzLine, plat::goVertLine,
                                               plat::goHorzLine, plat::goRangeSelect}));
    // The gradients reach the grid's own colours as a form load would.
    EXPECT_EQ(g.VEZGradientHoverFrom(), plat::clGray);
    EXPECT_EQ(g.VEZGradientHoverTo(), plat::clWhite);
    EXPECT_EQ(g.VEZGradientDownTo(), plat::clSilver);
    EXPECT_EQ(g.SearchFooter().FindNextCaption(), "Find &next");
    EXPECT_EQ(g.SearchFooter().HintHighlight(), "Highlight occurrences");
    const TControlLook& cl = g.ControlLook();
    EXPECT_TRUE(cl.DropDownHeader().Visible());
    EXPECT_TRUE(cl.DropDownFooter().Visible());
    EXPECT_EQ(cl.DropDownHeader().Font().Name(), "Tahoma");
    EXPECT_EQ(cl.DropDownFooter().Font().Name(), "Tahoma");
    EXPECT_EQ(cl.DropDownHeader().Buttons().Count(), 0);
    EXPECT_EQ(cl.DropDownFooter().Buttons().Count(), 0);
    g.Loaded();
    EXPECT_EQ(g.SearchPanel()->FindPrevCaption, "Find &previous");
}
