// The full grid's model and lifecycle: start state, loading, assignment, the owner form's resize,
// the update lock, the integral height, the kept scroll bars and the window timer.
#include "grid/ExGrid.h"

#include "platform/Form.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

namespace {

// Scroll bars of a fixed thickness, so size rules that keep room for one are exact.
class BarStyle : public QProxyStyle {
public:
    explicit BarStyle(int extent) : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))), extent_(extent) {}
    int pixelMetric(PixelMetric m, const QStyleOption* o, const QWidget* w) const override {
        return m == PM_ScrollBarExtent ? extent_ : QProxyStyle::pixelMetric(m, o, w);
    }

private:
    int extent_;
};

void settle() { QCoreApplication::processEvents(); }

}  // namespace

TEST(ExGridStart, GridMadeInCodeHoldsItsStartValuesAndLoadedFixesTheRest) {
    TExStringGrid g;
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.FixedRows(), 1);
    EXPECT_EQ(g.FixedCols(), 1);
    EXPECT_EQ(g.DefaultRowHeight(), 22);
    EXPECT_EQ(g.RowHeights(5), 22);
    EXPECT_EQ(g.FixedRowHeight(), 22);
    EXPECT_EQ(g.RowHeights(0), 22);
    EXPECT_EQ(g.FloatFormat(), "%.2f");
    EXPECT_EQ(g.CheckTrue, "Y");
    EXPECT_EQ(g.CheckFalse, "N");
    EXPECT_FALSE(g.FilterIncremental());
    EXPECT_EQ(g.SelectionColor(), 0xEACAB6u);

    // Values set in code before loading give way to the loading rules.
    g.SetMinRowHeight(5);
    g.SetMinColWidth(3);
    g.SetDefaultRowHeight(19);
    plat::TGridOptions o = g.Options();
    o.include(plat::goAlwaysShowEditor);
    g.SetOptions(o);
    ASSERT_FALSE(g.Navigation().AlwaysEdit());
    g.Loaded();
    EXPECT_TRUE(g.IsLoaded());
    EXPECT_EQ(g.MinRowHeight(), 19);
    EXPECT_EQ(g.MinColWidth(), 10);
    EXPECT_FALSE(g.Options().contains(plat::goAlwaysShowEditor));
    EXPECT_TRUE(g.Navigation().AlwaysEdit());
}

TEST(ExGridStart, LoadedWritesTheHeadersAndRecordsTheColumnOrder) {
    TExStringGrid g;
    g.SetColumnHeaders({"Nr", "Name", "Value"});
    g.SetRowHeaders({"", "first", "second"});
    g.Loaded();
    EXPECT_EQ(g.Cells(1, 0), "Name");
    EXPECT_EQ(g.Cells(2, 0), "Value");
    EXPECT_EQ(g.Cells(0, 2), "second");
    EXPECT_EQ(g.ColumnOrder(), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(g.OrigColSizes().Count(), 5);
}

// The catalogue's declared defaults beside what a new grid really holds; where they differ, the
// grid must hold its own start value, not the declared one.
TEST(ExGridStart, DeclaredDefaultsAgainstTheRealStartValues) {
    TExStringGrid g;
    const int systemBar = g.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &g);
    struct Case {
        const char* property;
        const char* declared;
        long long real;
        long long expected;
    } cases[] = {
        {"FixedRowHeight", "21", g.FixedRowHeight(), 22},
        {"ScrollWidth", "17", g.ScrollWidth(), systemBar},
        {"BorderColor", "0xB99D7F", g.BorderColor(), 0xB99D7F},
        {"FilterIncremental", "true", g.FilterIncremental(), false},
        {"DefaultRowHeight", "22", g.DefaultRowHeight(), 22},
        {"RowCount", "10", g.RowCount(), 10},
        {"ColCount", "5", g.ColCount(), 5},
        {"FixedRows", "1", g.FixedRows(), 1},
        {"FixedCols", "1", g.FixedCols(), 1},
        {"FixedColWidth", "64", g.FixedColWidth(), 64},
        {"WordWrap", "true", g.WordWrap(), true},
        {"Look", "glXP", g.Look(), glXP},
        {"InvalidEntryIcon", "ieWarning", g.InvalidEntryIcon(), ieWarning},
        {"GroupColumn", "-1", g.GroupColumn(), -1},
        {"PreviewPage", "1", g.PreviewPage(), 1},
        {"HintColor", "info background", g.HintColor(), plat::clInfoBk},
        {"VEZGradientFrom", "white", g.VEZGradientFrom(), 0xFFFFFF},
        {"VEZGradientTo", "button face", g.VEZGradientTo(), plat::ColorToRGB(plat::clBtnFace)},
        {"VEZGradientHoverMirrorFrom", "none", g.VEZGradientHoverMirrorFrom(), plat::clNone},
        {"ScrollBarAlways", "saNone", g.ScrollBarAlways(), saNone},
        {"EnableWheel", "true", g.EnableWheel(), true},
        {"SaveFixedCells", "true", g.SaveFixedCells(), true},
    };
    for (const Case& c : cases) EXPECT_EQ(c.real, c.expected) << c.property << " (declared " << c.declared << ")";
    EXPECT_EQ(g.FilterDropDownClear(), "(All)");
    EXPECT_EQ(g.XMLEncoding(), "ISO-8859-1");
    EXPECT_EQ(g.PasswordChar(), QChar(u'*'));
    EXPECT_EQ(g.XYOffset(), QPoint(2, 2));
    EXPECT_EQ(g.FixedFont().Name(), "Tahoma");
    EXPECT_TRUE(g.FixedFont().Style().contains(plat::fsBold));
    EXPECT_TRUE(g.ActiveCellFont().Style().contains(plat::fsBold));
    // The version a form stores has no effect.
    g.SetVersion("3.1.3.1");
    EXPECT_EQ(g.Version(), "6.2.1.3");
    EXPECT_EQ(g.VersionString(), "6.2.1.3 Sep, 2012");
}

TEST(ExGridCells, ReadsAndWritesOutsideTheGridRaiseOutOfRange) {
    TExStringGrid g;
    g.SetCells(4, 9, "last");
    EXPECT_EQ(g.Cells(4, 9), "last");
    const struct {
        int col, row;
    } outside[] = {{-1, 0}, {5, 0}, {0, -1}, {0, 10}};
    for (const auto& c : outside) {
        EXPECT_THROW(g.Cells(c.col, c.row), std::out_of_range) << c.col << "," << c.row;
        EXPECT_THROW(g.SetCells(c.col, c.row, "x"), std::out_of_range) << c.col << "," << c.row;
    }
}

TEST(ExGridAssign, FromAnotherClassNothingChanges) {
    TExStringGrid g;
    g.SetCells(1, 1, "kept");
    g.SetColWidths(2, 77);
    TBaseGrid other;
    other.SetColCount(9);
    other.SetRowCount(3);
    other.SetCells(1, 1, "other");
    g.Assign(&other);
    g.AssignCells(&other);
    EXPECT_EQ(g.ColCount(), 5);
    EXPECT_EQ(g.RowCount(), 10);
    EXPECT_EQ(g.Cells(1, 1), "kept");
    EXPECT_EQ(g.ColWidths(2), 77);
}

TEST(ExGridAssign, FromAStringGridCopiesLayoutOptionsAndCells) {
    TExStringGrid src;
    src.SetColCount(7);
    src.SetRowCount(12);
    src.SetColumnHeaders({"", "Alpha", "Beta"});
    src.SetColWidths(3, 123);
    src.SetRowHeights(4, 40);
    plat::TGridOptions o = src.Options();
    o.include(plat::goEditing);
    src.SetOptions(o);
    src.SetScrollWidth(16);
    src.SetScrollType(ssFlat);
    src.SetCells(6, 11, "corner");
    src.GetCellProperties(2, 5)->SetBrushColor(0x112233);
    src.Navigation().SetAdvanceOnEnter(true);

    TExStringGrid g;
    g.SetCells(1, 2, "old");
    g.Assign(&src);
    EXPECT_EQ(g.ColCount(), 7);
    EXPECT_EQ(g.RowCount(), 12);
    EXPECT_EQ(g.ColumnHeaders(), src.ColumnHeaders());
    EXPECT_EQ(g.Cells(1, 0), "Alpha");
    EXPECT_EQ(g.ColWidths(3), 123);
    EXPECT_EQ(g.RowHeights(4), 40);
    EXPECT_TRUE(g.Options().contains(plat::goEditing));
    EXPECT_EQ(g.ScrollWidth(), 16);
    EXPECT_EQ(g.ScrollType(), ssFlat);
    EXPECT_TRUE(g.IsFlat()) << "the scroll type comes through its writer";
    EXPECT_EQ(g.Cells(6, 11), "corner");
    EXPECT_EQ(g.Cells(1, 2), "");
    ASSERT_TRUE(g.CellHasProperties(2, 5));
    EXPECT_EQ(g.GetCellProperties(2, 5)->BrushColor(), 0x112233u);
    EXPECT_TRUE(g.Navigation().AdvanceOnEnter());
    // Copies, not shared objects.
    src.SetCells(6, 11, "changed");
    EXPECT_EQ(g.Cells(6, 11), "corner");
}

TEST(ExGridBounds, IntegralHeightSnapsToWholeRows) {
    BarStyle style(17);
    struct Case {
        const char* name;
        int cols;
        bool locked;
        int expected;
    } cases[] = {
        {"all columns fit", 3, false, 104},
        {"columns overflow: room for a 17-pixel bar", 40, false, 101},
        {"inside an update block: no snap", 3, true, 105},
    };
    for (const Case& c : cases) {
        TExStringGrid g;
        g.setStyle(&style);
        g.SetBorderStyle(plat::bsSingle);
        g.SetDefaultRowHeight(20);
        g.SetColCount(c.cols);
        g.SetIntegralHeight(true);
        g.resize(400, 200);
        if (c.locked) g.BeginUpdate();
        g.SetBounds(0, 0, 400, 105);
        EXPECT_EQ(g.height(), c.expected) << c.name;
        if (c.locked) g.EndUpdate();
    }
}

TEST(ExGridScrollBars, VerticalBarKeptShownAndGreyedWhileAllRowsFit) {
    TExStringGrid g;
    g.SetRowCount(4);
    g.SetColCount(3);
    g.resize(400, 250);
    g.SetScrollBarAlways(saVert);
    g.Loaded();
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    EXPECT_EQ(g.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_TRUE(g.verticalScrollBar()->isVisible());
    EXPECT_FALSE(g.verticalScrollBar()->isEnabled());
    EXPECT_FALSE(g.horizontalScrollBar()->isVisible());

    g.SetRowCount(50);
    settle();
    EXPECT_TRUE(g.verticalScrollBar()->isVisible());
    EXPECT_TRUE(g.verticalScrollBar()->isEnabled());
}

namespace {

class ResizeForm : public plat::TForm {
public:
    int resizes = 0;
    bool throwNext = false;

protected:
    void resizeEvent(QResizeEvent* e) override {
        plat::TForm::resizeEvent(e);
        ++resizes;
        if (throwNext) {
            throwNext = false;
            throw std::runtime_error("form handler failed");
        }
    }
};

void resizeShown(QWidget& w, int width, int height) {
    w.resize(width, height);
    settle();
}

}  // namespace

TEST(ExGridSizeWithForm, GridFollowsTheFormThenTheFormsOwnHandlingRuns) {
    testing_support::RecordingDialogs dialogs;
    ResizeForm form;
    form.resize(500, 400);
    auto g = std::make_unique<TExStringGrid>(&form);
    g->setGeometry(10, 10, 300, 200);
    g->SetSizeWithForm(true);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    settle();
    ASSERT_EQ(g->size(), QSize(300, 200));

    const int before = form.resizes;
    resizeShown(form, 530, 420);
    EXPECT_EQ(g->size(), QSize(330, 220));
    EXPECT_EQ(form.resizes, before + 1);

    form.throwNext = true;
    resizeShown(form, 540, 430);
    EXPECT_EQ(g->size(), QSize(340, 230));
    EXPECT_EQ(form.resizes, before + 2);
    EXPECT_TRUE(dialogs.shown.empty()) << "the grid swallows the form handler's exception";

    g.reset();
    resizeShown(form, 560, 450);
    EXPECT_EQ(form.resizes, before + 3);
}

TEST(ExGridSizeWithForm, OffLeavesTheGridAlone) {
    ResizeForm form;
    form.resize(500, 400);
    TExStringGrid g(&form);
    g.setGeometry(10, 10, 300, 200);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    resizeShown(form, 560, 450);
    EXPECT_EQ(g.size(), QSize(300, 200));
}

namespace {

// Counts paint passes and the cells each one draws.
class CountingGrid : public TExStringGrid {
public:
    int paints = 0;
    int cells = 0;
    int creates = 0;
    CountingGrid() { OnPainted = [this](QObject*) { ++paints; }; }
    void reset() { paints = cells = 0; }

protected:
    void DrawCell(int c, int r, const plat::TRect& rect, plat::TGridDrawState s) override {
        ++cells;
        TExStringGrid::DrawCell(c, r, rect, s);
    }
    void CreateWnd() override {
        ++creates;
        TExStringGrid::CreateWnd();
    }
};

// The platform timers among the grid's descendants that run with the given interval.
int runningTimers(const QObject& grid, int interval) {
    int n = 0;
    for (QObject* o : grid.findChildren<QObject*>())
        if (auto* t = dynamic_cast<plat::TTimer*>(o); t && t->Running() && t->Interval() == interval) ++n;
    return n;
}

}  // namespace

TEST(ExGridUpdateLock, NestedBlocksPaintOnceAtTheLastEnd) {
    CountingGrid g;
    g.SetRowCount(100);
    g.resize(400, 250);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    settle();
    g.reset();
    g.viewport()->update();
    settle();
    const int fullCells = g.cells;
    ASSERT_GT(fullCells, 1);

    g.reset();
    g.BeginUpdate();
    g.BeginUpdate();
    g.SetCells(1, 1, "a");
    g.RepaintGrid();
    g.EndUpdate();
    settle();
    EXPECT_EQ(g.paints, 0);
    EXPECT_EQ(g.UpdateCount(), 1);
    g.EndUpdate();
    settle();
    EXPECT_EQ(g.paints, 1);
    EXPECT_EQ(g.cells, fullCells);

    // An end with no block open still repaints the whole grid.
    g.reset();
    g.EndUpdate();
    settle();
    EXPECT_EQ(g.UpdateCount(), 0);
    EXPECT_EQ(g.paints, 1);
    EXPECT_EQ(g.cells, fullCells);

    // Outside a block a write repaints its own cell, and nothing for a row off screen.
    g.reset();
    g.SetCells(2, 2, "b");
    settle();
    EXPECT_EQ(g.paints, 1);
    EXPECT_EQ(g.cells, 1);
    g.reset();
    g.SetCells(2, 90, "far");
    settle();
    EXPECT_EQ(g.paints, 0);
}

// Blocks that never touch the window, and a block that outlives the grid's showing.
TEST(ExGridUpdateLock, QuietBlocksNeverRepaintAndEveryBlockIsCounted) {
    CountingGrid g;
    g.resize(400, 250);
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    settle();

    // StartUpdate and ResetUpdate count without a repaint; a paint meanwhile draws nothing.
    g.reset();
    g.StartUpdate();
    g.StartUpdate();
    EXPECT_TRUE(g.LockUpdate());
    g.viewport()->update();
    settle();
    EXPECT_EQ(g.cells, 0);
    g.ResetUpdate();
    settle();
    EXPECT_EQ(g.UpdateCount(), 0);
    EXPECT_EQ(g.paints, 0);

    // Opened shown, closed hidden: the block ends at 0 and the grid paints again once shown.
    g.BeginUpdate();
    g.hide();
    g.EndUpdate();
    EXPECT_EQ(g.UpdateCount(), 0);
    g.reset();
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    settle();
    EXPECT_GT(g.cells, 1);

    // Opened hidden, the grid shown inside it: nothing is drawn until the block ends.
    g.hide();
    g.BeginUpdate();
    g.reset();
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    settle();
    EXPECT_EQ(g.cells, 0);
    g.EndUpdate();
    settle();
    EXPECT_EQ(g.paints, 1);
    EXPECT_GT(g.cells, 1);
}

TEST(ExGridWindow, ReparentedGridRunsOneTimer) {
    QWidget a, b;
    auto* g = new CountingGrid;
    g->setParent(&a);
    a.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&a));
    EXPECT_EQ(g->creates, 1);
    g->setParent(&b);
    g->show();
    b.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&b));
    EXPECT_EQ(g->creates, 2);
    EXPECT_EQ(runningTimers(*g, 500), 1);
}

TEST(ExGridWindow, GridWithoutParentCreatesNoWindowState) {
    CountingGrid g;
    g.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&g));
    EXPECT_EQ(g.creates, 1);
    EXPECT_EQ(runningTimers(g, 500), 0);
}

TEST(ExGridStretch, StretchColumnFillsTheClientWidth) {
    QWidget parent;
    TExStringGrid g(&parent);
    g.SetColCount(1);
    g.SetFixedCols(0);
    g.resize(300, 200);
    parent.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&parent));
    g.ColumnSize().SetStretch(true);
    EXPECT_EQ(g.ColWidths(0), g.ClientWidth());

    g.SetColCount(5);
    EXPECT_THROW(g.StretchColumnToFit(5), EExGridError);
    try {
        g.StretchColumnToFit(5);
    } catch (const EExGridError& e) {
        EXPECT_EQ(e.message(), "Stretch column index out of range");
    }
}
