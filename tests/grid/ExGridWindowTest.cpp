// The grid as a window: the grid timer's ticks fired by hand (focus that follows the mouse, blinking
// cells), the size step (stretched and proportional columns), the editors a scroll closes, the
// select-mode cursors and the enter and exit steps.
#include "grid/ExGrid.h"
#include "platform/InplaceEdit.h"
#include "platform/Timer.h"

#include "controls/SgCombo.h"
#include "grid/ExGridEditors.h"
#include "tests/support/EventWait.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <vector>

namespace {

void settle() { QCoreApplication::processEvents(); }

struct ManualTimers {
    ManualTimers() { plat::TTimer::SetManual(true); }
    ~ManualTimers() { plat::TTimer::SetManual(false); }
};

// Counts the cells each paint draws.
class PaintedGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    std::map<std::pair<int, int>, int> drawn;

protected:
    void DrawCell(int c, int r, const plat::TRect& rect, plat::TGridDrawState s) override {
        ++drawn[{c, r}];
        TExStringGrid::DrawCell(c, r, rect, s);
    }
};

// A shown grid of 6 columns and 60 rows on a form, loaded, the cells focused.
struct WindowGrid {
    QWidget form;
    PaintedGrid* g;
    QLineEdit* edit;  // another control of the form
    WindowGrid() : g(new PaintedGrid(&form)), edit(new QLineEdit(&form)) {
        form.setGeometry(0, 0, 520, 340);
        g->setGeometry(10, 10, 480, 300);
        edit->setGeometry(495, 10, 20, 20);
        g->SetColCount(6);
        g->SetRowCount(60);
        g->Loaded();
        form.show();
        EXPECT_TRUE(testing_support::waitForWindowExposed(&form));
        QApplication::setActiveWindow(&form);
        g->viewport()->setFocus();
        settle();
    }
    QPoint globalCentre(int col, int row) const {
        return g->viewport()->mapToGlobal(g->CellRect(col, row).toQRect().center());
    }
    void tick() { g->GridTimerObject()->Fire(); }
};

}  // namespace

TEST(ExGridTimer, HoveringFollowsThePointerOnlyOverANormalCellOfTheGridsOwnWindow) {
    ManualTimers manual;
    WindowGrid f;
    QWidget other;
    other.setGeometry(700, 0, 200, 200);
    other.show();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&other));
    f.g->SetHovering(true);
    f.g->FocusCell(1, 1);
    struct Case {
        const char* name;
        QPoint pos;
        bool follows;
    } cases[] = {
        {"a fixed cell", f.globalCentre(0, 4), false},
        {"the grid's border", f.g->mapToGlobal(QPoint(0, 100)), false},
        {"another window", other.mapToGlobal(QPoint(100, 100)), false},
        {"a normal cell", f.globalCentre(3, 4), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QCursor::setPos(c.pos);
        ASSERT_EQ(QCursor::pos(), c.pos) << "the platform keeps the pointer where it was put";
        f.g->FocusCell(1, 1);
        QApplication::setActiveWindow(&f.form);
        f.edit->setFocus();
        f.tick();
        EXPECT_EQ(std::pair(f.g->Col(), f.g->Row()), c.follows ? std::pair(3, 4) : std::pair(1, 1));
        EXPECT_EQ(QApplication::focusWidget() == f.g->viewport(), c.follows);
    }
    EXPECT_EQ(f.g->TimerTicks(), 4u);
}

TEST(ExGridTimer, BlinkingReadsAndRepaintsOnlyTheCellsOnScreen) {
    ManualTimers manual;
    WindowGrid f;
    const QString blink = QStringLiteral("<bLiNk>on</BLINK>");
    f.g->SetEnableBlink(true);
    ASSERT_LT(f.g->TopRow() + f.g->VisibleRowCount(), 55);
    const auto drawn = [&](int c, int r) { return f.g->drawn[std::pair(c, r)]; };
    // A scrolling cell, a fixed column's cell, a fixed row's cell (each tick apart, so that the
    // repainted area of one never covers the corner), the corner and a cell scrolled out of view.
    struct Case {
        std::pair<int, int> cell;
    } cases[] = {{{2, 3}}, {{0, 4}}, {{3, 0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cell.first * 100 + c.cell.second);
        for (int col = 0; col < 6; ++col)
            for (int r = 0; r < 60; ++r) f.g->SetCells(col, r, QString());
        for (auto [col, r] : {c.cell, std::pair{0, 0}, std::pair{2, 55}}) f.g->SetCells(col, r, blink);
        settle();
        // Every text the tick reads, by row.
        std::set<int> read;
        f.g->OnGetDisplText = [&](QObject*, int, int r, QString&) { read.insert(r); };
        f.g->drawn.clear();
        const bool phase = f.g->GridBlink();
        f.tick();
        f.g->OnGetDisplText = nullptr;
        EXPECT_NE(f.g->GridBlink(), phase);
        ASSERT_FALSE(read.empty());
        EXPECT_LT(*read.rbegin(), f.g->TopRow() + f.g->VisibleRowCount()) << "no row off screen is read";
        settle();
        EXPECT_GT(drawn(c.cell.first, c.cell.second), 0);
        EXPECT_EQ(drawn(0, 0), 0) << "the fixed corner never blinks";
        EXPECT_EQ(drawn(5, 10), 0) << "a cell without the tag is not repainted";
    }
}

TEST(ExGridTimer, BlinkingTextShowsInOnePhaseOnly) {
    ManualTimers manual;
    WindowGrid f;
    f.g->FocusCell(4, 4);
    const auto cellImage = [&] {
        settle();
        return f.g->viewport()->grab().toImage().copy(f.g->CellRect(2, 2).toQRect());
    };
    const QImage empty = cellImage();
    f.g->SetCells(2, 2, QStringLiteral("<BLINK>XXXXXXXX</BLINK>"));
    // Without blinking the text stays shown.
    EXPECT_NE(cellImage(), empty);
    f.g->SetEnableBlink(true);
    std::map<bool, QImage> phases;
    for (int i = 0; i < 2; ++i) {
        f.tick();
        phases[f.g->GridBlink()] = cellImage();
    }
    EXPECT_NE(phases[true], empty);
    EXPECT_EQ(phases[false], empty);
}

TEST(ExGridSize, AWiderGridStretchesItsColumnOnlyWhereTheKeptBarsAllowIt) {
    struct Case {
        const char* name;
        int stretchColumn;
        TScrollBarAlways always;
        int stretched;  // the column that grows with the grid, -1 none
    } cases[] = {
        {"-1 is the last column", -1, saNone, 5},
        {"a column of its own", 2, saNone, 2},
        {"a kept vertical bar still stretches", -1, saVert, 5},
        {"a kept horizontal bar does not", -1, saHorz, -1},
        {"both kept bars do not", -1, saBoth, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowGrid f;
        f.g->SetRowCount(5);
        for (int col = 0; col < 6; ++col) f.g->SetColWidths(col, 40);
        f.g->SetScrollBarAlways(c.always);
        f.g->ColumnSize().SetStretchColumn(c.stretchColumn);
        f.g->ColumnSize().SetStretch(true);
        settle();
        std::vector<int> before;
        for (int col = 0; col < 6; ++col) before.push_back(f.g->ColWidths(col));
        int resized = 0;
        f.g->OnResize = [&](QObject*) { ++resized; };
        f.g->resize(600, 300);
        settle();
        EXPECT_GT(resized, 0);
        for (int col = 0; col < 6; ++col) {
            if (col == c.stretched)
                EXPECT_EQ(f.g->ColWidths(col), before[size_t(col)] + 120) << col;
            else
                EXPECT_EQ(f.g->ColWidths(col), before[size_t(col)]) << col;
        }
    }
}

TEST(ExGridSize, ProportionalWidthsAtTheLoadedWidthStayAsTheyWere) {
    WindowGrid f;
    for (int col = 0; col < 6; ++col) f.g->SetColWidths(col, 30 + 7 * col);
    f.g->SetBorderStyle(plat::bsSingle);
    f.g->InitOrigColSizes();
    const int old = f.g->OldSize();
    ASSERT_EQ(old, f.g->width());
    f.g->ColumnSize().SetSynchWithGrid(true);
    // Make the client exactly two pixels narrower than the grid was: the factor is 1.
    const int frame = f.g->width() - f.g->ClientWidth();
    f.g->resize(old - 2 + frame - 1, f.g->height());
    f.g->resize(old - 2 + frame, f.g->height());
    settle();
    ASSERT_EQ(f.g->ClientWidth(), old - 2);
    for (int col = 0; col < 6; ++col) EXPECT_EQ(f.g->ColWidths(col), 30 + 7 * col) << col;
    // Twice as wide: every column doubles, truncated toward zero.
    f.g->resize(2 * (old - 2) + 2 + frame, f.g->height());
    settle();
    const double factor = double(f.g->ClientWidth() + 2) / old;
    for (int col = 0; col < 6; ++col) EXPECT_EQ(f.g->ColWidths(col), int((30 + 7 * col) * factor)) << col;
}

TEST(ExGridScroll, AScrollClosesTheComboEditorButNotTheTextEditor) {
    for (bool combo : {true, false}) {
        SCOPED_TRACE(combo);
        WindowGrid f;
        plat::TGridOptions o = f.g->Options();
        o.include(plat::goEditing);
        f.g->SetOptions(o);
        f.g->OnGetEditorType = [&](QObject*, int, int, TEditorType& e) {
            if (combo) {
                e = edComboEdit;
                f.g->ClearComboString();
                f.g->AddComboString("A");
            }
        };
        f.g->FocusCell(2, 3);
        QTest::keyClick(f.g->viewport(), Qt::Key_F2);
        ASSERT_TRUE(combo ? f.g->EditCombo()->isVisible() : f.g->InplaceEditor()->isVisible());
        f.g->SetTopRow(2);
        settle();
        if (combo) {
            EXPECT_FALSE(f.g->EditCombo()->isVisible());
            EXPECT_FALSE(f.g->EditMode());
        } else {
            EXPECT_TRUE(f.g->InplaceEditor()->isVisible());
        }
    }
}

TEST(ExGridCursor, SelectModesShowTheirOwnCursorsAndACursorFromOutsideEndsTheMode) {
    WindowGrid f;
    const QPoint p = f.g->CellRect(2, 3).toQRect().center();
    std::set<qint64> keys;
    for (TMouseSelectMode m : {msRow, msColumn, msAll}) {
        f.g->SetMouseSelectMode(m);
        f.g->UpdateCellCursor(p.x(), p.y());
        const QCursor c = f.g->viewport()->cursor();
        EXPECT_EQ(c.shape(), Qt::BitmapCursor);
        keys.insert(c.pixmap().cacheKey());
        EXPECT_EQ(f.g->MouseSelectMode(), m) << "the grid's own change keeps the mode";
    }
    EXPECT_EQ(keys.size(), 3u) << "each mode its own picture";
    f.g->SetMouseSelectMode(msNormal);
    f.g->SetCellSelectorMode(true);
    f.g->UpdateCellCursor(p.x(), p.y());
    EXPECT_EQ(f.g->viewport()->cursor().shape(), Qt::BitmapCursor);
    f.g->SetCellSelectorMode(false);
    // The cell's own cursor otherwise.
    f.g->OnGetCellCursor = [](QObject*, int, int, int, int, QCursor& c) { c = QCursor(Qt::PointingHandCursor); };
    f.g->UpdateCellCursor(p.x(), p.y());
    EXPECT_EQ(f.g->viewport()->cursor().shape(), Qt::PointingHandCursor);
    f.g->SetMouseSelectMode(msColumn);
    f.g->SetCursor(QCursor(Qt::IBeamCursor));
    EXPECT_EQ(f.g->MouseSelectMode(), msNormal);
}

TEST(ExGridFocus, EnterAndExitStepsAndTheBlocks) {
    WindowGrid f;
    QLineEdit& other = *f.edit;
    int enters = 0, exits = 0;
    f.g->OnEnter = [&](QObject*) { ++enters; };
    f.g->OnExit = [&](QObject*) { ++exits; };
    other.setFocus();
    EXPECT_EQ(exits, 1);
    f.g->viewport()->setFocus();
    EXPECT_EQ(enters, 1);
    f.g->SetBlockKill(true);
    other.setFocus();
    EXPECT_EQ(exits, 1) << "a blocked grid's exit step does nothing";
    f.g->SetBlockKill(false);
    f.g->SetBlockFocus(true);
    f.g->viewport()->setFocus();
    EXPECT_EQ(enters, 1) << "a blocked grid's enter step does nothing";
    f.g->SetBlockFocus(false);
    f.g->OnEnter = f.g->OnExit = nullptr;
}

// Down keys past the page scroll the cells on screen; what the window shows is what a whole
// repaint shows, with and without blocks that stop the cells from moving on screen.
TEST(ExGridScroll, KeysThatScrollShowWhatAWholeRepaintShows) {
    for (bool merged : {false, true}) {
        SCOPED_TRACE(merged);
        WindowGrid f;
        for (int r = 1; r < 60; ++r)
            for (int c = 1; c < 6; ++c) f.g->SetCells(c, r, r % 3 ? QStringLiteral("r%1c%2").arg(r).arg(c) : "<b>bold</b>");
        f.g->Bands().SetActive(true);
        if (merged) f.g->MergeCells(2, 20, 2, 2);
        f.g->FocusCell(2, 1);
        settle();
        const auto shown = [&] {
            QWidget* top = f.g->viewport()->window();
            const QPoint at = f.g->viewport()->mapTo(top, QPoint(0, 0));
            return top->screen()->grabWindow(top->winId(), at.x(), at.y(), f.g->viewport()->width(),
                                             f.g->viewport()->height()).toImage();
        };
        for (int i = 0; i < 25; ++i) {
            QTest::keyClick(f.g->viewport(), Qt::Key_Down);
            settle();
        }
        ASSERT_GT(f.g->TopRow(), 1);
        const QImage scrolled = shown();
        f.g->viewport()->repaint();
        EXPECT_EQ(scrolled, shown());
    }
}

TEST(ExGridSize, IntegralHeightFitsAtOnceAndAFormTooSmallIsNotFollowed) {
    WindowGrid f;
    f.g->SetDefaultRowHeight(20);
    f.g->SetBorderStyle(plat::bsSingle);
    f.g->resize(f.g->width(), 207);
    f.g->SetIntegralHeight(true);
    EXPECT_EQ((f.g->height() - 4) % 20, 0) << f.g->height();
    f.g->SetIntegralHeight(false);

    // The grid keeps its distance to the form's edges; a size of 0 or less is refused and the next
    // resize is measured from the last form size accepted.
    f.g->SetSizeWithForm(true);
    const QSize grid = f.g->size();
    const int formW = f.g->PrevSizeX();
    struct Step {
        int formWidth;
        int gridWidth;
    } steps[] = {{formW + 30, grid.width() + 30}, {formW - grid.width() - 10, grid.width() + 30},
                 {formW + 50, grid.width() + 50}};
    for (const Step& s : steps) {
        f.form.resize(s.formWidth, f.form.height());
        f.g->FormResized(&f.form);
        EXPECT_EQ(f.g->width(), s.gridWidth) << s.formWidth;
    }
}
