// Scrolling and column sizing: the position hint, proportional bars, drag scrolling on a driven
// timer, the scroll-bar looks, the in-cell scroll bar and sizing all columns together.
#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/InplaceEdit.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The grid on a shown window, with the mouse handlers reachable.
class Grid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    using TExStringGrid::MouseDown;
    using TExStringGrid::MouseMove;
    using TExStringGrid::MouseUp;
};

struct Shown {
    QWidget form;
    Grid* g = new Grid(&form);
    Shown(int w, int h) {
        form.resize(w + 40, h + 40);
        g->setGeometry(0, 0, w, h);
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
    }
};

struct ManualTimers {
    ManualTimers() { plat::TTimer::SetManual(true); }
    ~ManualTimers() { plat::TTimer::SetManual(false); }
};

}  // namespace

TEST(ExGridScrollHints, ThumbTrackShowsTheColumnAndTheEndHidesIt) {
    Shown s(300, 200);
    Grid& g = *s.g;
    g.SetColCount(10);
    g.SetFixedCols(0);
    g.SetDefaultColWidth(g.ClientWidth() / 4 - 1);
    ASSERT_EQ(g.VisibleColCount(), 4);
    g.SetScrollHints(shHorizontal);
    g.HandleWMHScroll(plat::SB_THUMBTRACK, 127);
    EXPECT_EQ(g.ScrollHintWindow()->Text(), "Col : 6");
    EXPECT_TRUE(g.ScrollHintWindow()->isVisible());
    g.HandleWMHScroll(plat::SB_ENDSCROLL, 127);
    EXPECT_FALSE(g.ScrollHintWindow()->isVisible());

    // The event may rewrite the text; it gets the column.
    int asked = -1;
    g.OnScrollHint = [&](QObject*, int32_t c, QString& text) {
        asked = c;
        text = QStringLiteral("Page %1").arg(c);
    };
    g.HandleWMHScroll(plat::SB_THUMBTRACK, 0);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(g.ScrollHintWindow()->Text(), "Page 0");

    // Vertical hints only with shVertical or shBoth.
    g.SetRowCount(40);
    g.OnScrollHint = nullptr;
    g.HandleWMVScroll(plat::SB_THUMBTRACK, 127);
    EXPECT_EQ(g.ScrollHintWindow()->Text(), "Page 0");
    g.SetScrollHints(shBoth);
    g.HandleWMVScroll(plat::SB_THUMBTRACK, 127);
    EXPECT_EQ(g.ScrollHintWindow()->Text(), QStringLiteral("Row : %1").arg(40 - g.VisibleRowCount()));
}

TEST(ExGridScrollHints, ScrollSynchMovesTheCellsWhileTheThumbIsDragged) {
    Shown s(300, 200);
    Grid& g = *s.g;
    g.SetColCount(10);
    g.SetFixedCols(0);
    g.SetDefaultColWidth(g.ClientWidth() / 4 - 1);
    g.HandleWMHScroll(plat::SB_THUMBTRACK, 127);
    EXPECT_EQ(g.LeftCol(), 0);
    g.SetScrollSynch(true);
    g.HandleWMHScroll(plat::SB_THUMBTRACK, 127);
    EXPECT_EQ(g.LeftCol(), 6);
}

TEST(ExGridScrollHints, DraggingTheThumbPastTheEditedCellEndsAnyEditor) {
    // Without fixed columns the edited cell leaves the view: the text editor and the special
    // editors alike end, and the value they hold goes into the cell.
    for (TEditorType kind : {edNormal, edComboEdit, edSpinEdit}) {
        SCOPED_TRACE(int(kind));
        Shown s(300, 200);
        Grid& g = *s.g;
        g.SetColCount(10);
        g.SetFixedCols(0);
        g.SetDefaultColWidth(g.ClientWidth() / 4 - 1);
        plat::TGridOptions o = g.Options();
        o.include(plat::goEditing);
        g.SetOptions(o);
        g.OnGetEditorType = [&](QObject*, int, int, TEditorType& e) { e = kind; };
        g.SetCells(0, 1, "7");
        g.FocusCell(0, 1);
        QApplication::setActiveWindow(&s.form);
        g.viewport()->setFocus();
        g.ShowCellEdit();
        ASSERT_TRUE(g.EditMode() || (g.InplaceEditor() && g.InplaceEditor()->isVisible()));
        g.HandleWMHScroll(plat::SB_THUMBTRACK, 127);
        EXPECT_FALSE(g.EditMode());
        EXPECT_FALSE(g.InplaceEditor() && g.InplaceEditor()->isVisible());
        EXPECT_FALSE(g.EditCombo()->isVisible());
        EXPECT_FALSE(g.SpinEdit()->isVisible());
        EXPECT_EQ(g.Cells(0, 1), "7");
    }
}

TEST(ExGridProportional, BarFollowsThePixelSizesAndRowsThatFitChangeNothing) {
    Shown s(300, 200);
    Grid& g = *s.g;
    g.Loaded();
    // Rows that fit exactly: the bar stays as the base grid wrote it.
    g.SetRowCount(1 + g.VisibleRowCount());
    g.SetScrollBarAlways(saNone);
    const int fitting = g.RowCount();
    g.SetRowCount(fitting);
    ASSERT_GE(g.VisibleRowCount() + g.FixedRows(), g.RowCount());
    const plat::TScrollBarInfo before = g.ScrollBarInfo(plat::sbVertical);
    g.SetScrollProportional(true);
    EXPECT_EQ(g.ScrollBarInfo(plat::sbVertical), before);

    // Many rows of mixed heights: the page's share of the range is the client's share of the rows.
    g.SetRowCount(60);
    for (int r = 1; r < 60; r += 3) g.SetRowHeights(r, 40);
    const plat::TScrollBarInfo si = g.ScrollBarInfo(plat::sbVertical);
    int total = 1, fixed = 1;
    for (int r = 0; r < g.RowCount(); ++r) (r < g.FixedRows() ? fixed : total) += g.RowHeights(r) + 1;
    const double share = double(g.ClientHeight() - fixed) / total;
    EXPECT_EQ(si.Page, si.Max - 126);
    EXPECT_NEAR(double(si.Page) / (si.Max + 1), share, 1.0 / 128);
    EXPECT_EQ(si.Pos, 0);
    // Scrolled to the end the thumb stands at the end of its 0..127 run, and back at the start.
    g.SetTopRow(g.RowCount() - 1);
    EXPECT_GE(g.ScrollBarInfo(plat::sbVertical).Pos, 120);
    EXPECT_EQ(g.ScrollBarInfo(plat::sbVertical).Page, si.Page);
    g.SetTopRow(g.FixedRows());
    EXPECT_EQ(g.ScrollBarInfo(plat::sbVertical).Pos, 0);
}

TEST(ExGridDragScroll, MarginsScrollOneStepPerRepeatAfterTheFirstDelay) {
    ManualTimers manual;
    Shown s(300, 200);
    Grid& g = *s.g;
    g.SetRowCount(50);
    g.SetColCount(3);
    g.SetTopRow(10);

    // Inactive: no timer.
    g.HandleDragOver(dsDragMove, 100, 10);
    EXPECT_EQ(g.DragScrollTimer(), nullptr);

    g.DragScrollOptions().SetActive(true);
    g.HandleDragOver(dsDragEnter, 100, 10);
    ASSERT_NE(g.DragScrollTimer(), nullptr);
    EXPECT_TRUE(g.DragScrollDirection().contains(dsdUp));
    EXPECT_EQ(g.DragScrollTimer()->Interval(), 1000);
    EXPECT_EQ(g.TopRow(), 10);
    ASSERT_TRUE(g.DragScrollTimer()->Fire());  // the first 1000 ms
    EXPECT_EQ(g.TopRow(), 9);
    EXPECT_EQ(g.DragScrollTimer()->Interval(), 250);
    g.HandleDragOver(dsDragMove, 100, 12);  // still in the margin: the repeat goes on
    g.DragScrollTimer()->Fire();
    EXPECT_EQ(g.TopRow(), 8);

    // The event may veto a tick.
    g.OnDragScroll = [](QObject*, int32_t, int32_t, TDragScrollDirections& d, bool& can) {
        can = !d.contains(dsdUp);
    };
    g.DragScrollTimer()->Fire();
    EXPECT_EQ(g.TopRow(), 8);
    g.OnDragScroll = nullptr;

    // Out of the margins, or leaving, ends it.
    g.HandleDragOver(dsDragMove, 100, 100);
    EXPECT_EQ(g.DragScrollTimer(), nullptr);
    g.HandleDragOver(dsDragMove, 100, 10);
    ASSERT_NE(g.DragScrollTimer(), nullptr);
    g.HandleDragOver(dsDragLeave, 100, 10);
    EXPECT_EQ(g.DragScrollTimer(), nullptr);
}

TEST(ExGridScrollType, FlatLooksAndTheMetroControls) {
    Shown s(300, 200);
    Grid& g = *s.g;
    g.SetScrollType(ssFlat);
    EXPECT_TRUE(g.IsFlat());
    g.SetScrollWidth(9);
    g.SetScrollColor(0x0000FF);
    EXPECT_TRUE(g.verticalScrollBar()->styleSheet().contains("width:9px"));
    EXPECT_TRUE(g.verticalScrollBar()->styleSheet().contains("#ff0000"));
    g.SetScrollType(ssEncarta);
    EXPECT_TRUE(g.verticalScrollBar()->styleSheet().contains(":hover"));

    g.SetScrollType(ssMetro);
    EXPECT_FALSE(g.IsFlat());
    ASSERT_NE(g.VScrollControl(), nullptr);
    ASSERT_NE(g.HScrollControl(), nullptr);
    EXPECT_EQ(g.VScrollControl()->width(), 6);
    EXPECT_EQ(g.HScrollControl()->height(), 6);
    EXPECT_EQ(g.VScrollControl()->geometry().right(), g.contentsRect().right());
    EXPECT_EQ(g.HScrollControl()->geometry().bottom(), g.contentsRect().bottom());
    EXPECT_EQ(g.ScrollBars(), plat::ssNone);
    g.SetScrollType(ssNormal);
    EXPECT_EQ(g.VScrollControl(), nullptr);
    EXPECT_EQ(g.ScrollBars(), plat::ssBoth);
    EXPECT_TRUE(g.verticalScrollBar()->styleSheet().isEmpty());

    // A grid made metro before its window exists gets the controls with the window.
    QWidget form;
    Grid later(&form);
    later.SetScrollType(ssMetro);
    EXPECT_EQ(later.VScrollControl(), nullptr);
    form.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&form));
    EXPECT_NE(later.VScrollControl(), nullptr);
    EXPECT_EQ(later.ScrollBars(), plat::ssNone);
}

TEST(ExGridScrollCell, CellScrollBarStepsByLinesAndPagesWithinItsRange) {
    Shown s(300, 200);
    Grid& g = *s.g;
    g.AddScrollBar(1, 1, false);
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 150);
    g.SetCellScrollBar(&bar, 1, 1);
    std::vector<int> seen;
    g.OnScrollCell = [&](QObject*, int32_t c, int32_t r, int32_t mx, int32_t mn, int32_t p) {
        seen = {c, r, mx, mn, p};
    };
    struct Step {
        int code, pos, expected;
        bool moved;
    } steps[] = {
        {plat::SB_LINEUP, 0, 0, false},     // already at the minimum
        {plat::SB_LINEDOWN, 0, 10, true},
        {plat::SB_PAGEDOWN, 0, 110, true},
        {plat::SB_PAGEDOWN, 0, 150, true},  // clamped to the maximum
        {plat::SB_THUMBTRACK, 42, 42, true},
        {plat::SB_PAGEUP, 0, 0, true},
    };
    int stored = g.GetScrollPosition(1, 1);
    for (const Step& st : steps) {
        seen.clear();
        EXPECT_EQ(g.HandleWMVScroll(st.code, st.pos, &bar), st.moved) << st.code;
        EXPECT_EQ(bar.value(), st.expected);
        if (st.moved) stored = st.expected;
        EXPECT_EQ(g.GetScrollPosition(1, 1), stored);
        if (st.moved) EXPECT_EQ(seen, (std::vector<int>{1, 1, 150, 0, st.expected}));
        else EXPECT_TRUE(seen.empty());
    }
    // Another sender is the grid's own bar.
    g.SetRowCount(50);
    g.HandleWMVScroll(plat::SB_LINEDOWN, 0, nullptr);
    EXPECT_EQ(g.TopRow(), 2);
}

TEST(ExGridColumnSizing, AllColumnSizeScalesTheOthersByTheSizedColumn) {
    Shown s(600, 200);
    Grid& g = *s.g;
    g.SetColCount(4);
    g.SetDefaultColWidth(50);
    g.SetColWidths(3, 30);
    plat::TGridOptions o = g.Options();
    o.include(plat::goColSizing);
    g.SetOptions(o);
    g.MouseActions().SetAllColumnSize(true);
    int ended = -1;
    g.OnEndColumnSize = [&](QObject*, int32_t c) { ended = c; };
    // Drag the right border of column 1 (x 0..50 is column 0, its line, then column 1) to 100 px.
    const int border = g.CellRect(1, 0).Right;
    const int y = g.CellRect(1, 0).Top + 5;
    g.MouseDown(plat::mbLeft, {}, border, y);
    ASSERT_EQ(g.GridState(), plat::gsColSizing);
    g.MouseMove({}, border + 50, y);
    g.MouseUp(plat::mbLeft, {}, border + 50, y);
    EXPECT_EQ(g.ColWidths(1), 100);
    EXPECT_EQ(g.ColWidths(2), 100);
    EXPECT_EQ(g.ColWidths(3), 60);
    EXPECT_EQ(g.ColWidths(0), 50);  // the fixed column keeps its width
    EXPECT_EQ(ended, 1);

    // The size hook may change the width the user left.
    g.MouseActions().SetAllColumnSize(false);
    g.OnUpdateColumnSize = [](QObject*, int32_t, int32_t& w) { w = 77; };
    const int b2 = g.CellRect(2, 0).Right;
    g.MouseDown(plat::mbLeft, {}, b2, y);
    g.MouseMove({}, b2 - 20, y);
    g.MouseUp(plat::mbLeft, {}, b2 - 20, y);
    EXPECT_EQ(g.ColWidths(2), 77);
    // A width set in code is no user sizing.
    g.MouseActions().SetAllColumnSize(true);
    g.SetColWidths(1, 20);
    EXPECT_EQ(g.ColWidths(2), 77);
}

TEST(ExGridRows, DisplayRowsKeepMarksAndTheFooterRowLast) {
    TExStringGrid g;
    g.SetRowCount(6);
    g.SetRowModified(3, true);
    g.SetRowEnabled(4, false);
    g.InsertDisplayRows(2, 2, true);
    EXPECT_TRUE(g.GetRowModified(5));
    EXPECT_FALSE(g.GetRowModified(3));
    EXPECT_FALSE(g.GetRowEnabled(6));
    EXPECT_TRUE(g.GetRowEnabled(4));
    g.RemoveDisplayRows(2, 2, true);
    EXPECT_TRUE(g.GetRowModified(3));
    EXPECT_FALSE(g.GetRowEnabled(4));

    g.FloatingFooter().SetVisible(true);
    g.SetCells(0, 5, "footer");
    g.InsertDisplayRows(6, 1, false);
    EXPECT_EQ(g.RowCount(), 7);
    EXPECT_EQ(g.Cells(0, 6), "footer");
    EXPECT_EQ(g.RowHeights(5), g.DefaultRowHeight());
}
