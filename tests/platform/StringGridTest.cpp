// The platform string grid: geometry and hit-testing against linear sums, the store through the
// grid, one paint pass, keys, the mouse, the scroll bars' codes and a million rows.
#include "platform/Numbers.h"
#include "platform/StringGrid.h"
#include "tests/support/EventWait.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <set>
#include <string_view>

using namespace plat;

namespace {

struct Drawn {
    int col, row;
    TRect rect;
    TGridDrawState state;
};

class Probe : public TStringGrid {
public:
    std::vector<Drawn> drawn;
    std::vector<std::pair<int, int>> vcodes;  // code, position
    std::function<bool(int, int)> veto;
    int topLeftChanges = 0;

    using TStringGrid::MaxTopRow;
    using TStringGrid::RowAxis;
    void Key(uint16_t key, TShiftState shift = {}) { KeyDown(key, shift); }

protected:
    void DrawCell(int c, int r, const TRect& rect, TGridDrawState s) override {
        drawn.push_back({c, r, rect, s});
        TStringGrid::DrawCell(c, r, rect, s);
    }
    bool SelectCell(int c, int r) override { return veto ? veto(c, r) : TStringGrid::SelectCell(c, r); }
    void VScrollMessage(int code, int pos) override {
        vcodes.emplace_back(code, pos);
        TStringGrid::VScrollMessage(code, pos);
    }
    void TopLeftChanged() override {
        ++topLeftChanges;
        TStringGrid::TopLeftChanged();
    }
};

// A grid whose viewport is exactly w x h: no frame, no bars.
void plain(TStringGrid& g, int w, int h) {
    g.SetBorderStyle(bsNone);
    g.SetScrollBars(ssNone);
    g.resize(w, h);
    g.show();
    QCoreApplication::processEvents();
}

// Pixel start of each display item of an axis by a linear sum: the fixed items, then the scrolling
// items from `first`; -1 for an item not laid out (scrolled away).
std::vector<int> layout(const std::vector<int>& sizes, int line, int fixed, int first) {
    std::vector<int> at(sizes.size(), -1);
    int p = 0;
    for (int i = 0; i < fixed; ++i) {
        at[size_t(i)] = p;
        p += sizes[size_t(i)] + line;
    }
    for (size_t i = size_t(first); i < sizes.size(); ++i) {
        at[i] = p;
        p += sizes[i] + line;
    }
    return at;
}

}  // namespace

TEST(StringGrid, MouseToCellOfEachCellRectCentre) {
    struct Case {
        const char* name;
        int fixedCols, fixedRows, leftCol, topRow;
        bool rtl;
        TGridOptions options;
    };
    const TGridOptions lines{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine};
    const Case cases[] = {
        {"no fixed cells, not scrolled", 0, 0, 0, 0, false, lines},
        {"fixed row and column", 1, 1, 1, 1, false, lines},
        {"two fixed of each, scrolled", 2, 2, 4, 9, false, lines},
        {"scrolled without lines", 1, 2, 3, 6, false, {}},
        {"right to left, scrolled", 1, 1, 2, 5, true, lines},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TStringGrid g;
        g.SetColCount(12);
        g.SetRowCount(40);
        g.SetOptions(k.options);
        g.SetFixedCols(k.fixedCols);
        g.SetFixedRows(k.fixedRows);
        g.setLayoutDirection(k.rtl ? Qt::RightToLeft : Qt::LeftToRight);
        std::vector<int> widths(12, 64), heights(40, 24);
        const int cw[] = {30, 64, 90, 17, 64, 120, 45, 64, 64, 80, 64, 33};
        for (int c = 0; c < 12; ++c) g.SetColWidths(c, widths[size_t(c)] = cw[c]);
        const std::pair<int, int> rh[] = {{0, 30}, {3, 40}, {7, 0}, {8, 11}, {10, 0}, {12, 50}, {20, 5}};
        for (auto [r, h] : rh) g.SetRowHeights(r, heights[size_t(r)] = h);
        plain(g, 500, 330);
        ASSERT_EQ(g.ClientWidth(), 500);
        g.SetLeftCol(k.leftCol);
        g.SetTopRow(k.topRow);
        ASSERT_EQ(g.LeftCol(), k.leftCol);
        ASSERT_EQ(g.TopRow(), k.topRow);

        const int lw = k.options.contains(goVertLine) ? 1 : 0, lh = k.options.contains(goHorzLine) ? 1 : 0;
        const auto xs = layout(widths, lw, k.fixedCols, k.leftCol);
        const auto ys = layout(heights, lh, k.fixedRows, k.topRow);
        int hits = 0;
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 12; ++c) {
                const TRect got = g.CellRect(c, r);
                const bool shown = xs[size_t(c)] >= 0 && xs[size_t(c)] < 500 && ys[size_t(r)] >= 0 && ys[size_t(r)] < 330;
                if (!shown) {
                    EXPECT_TRUE(got.IsEmpty() && got == TRect{}) << c << "," << r;
                    continue;
                }
                TRect want{xs[size_t(c)], ys[size_t(r)], xs[size_t(c)] + widths[size_t(c)], ys[size_t(r)] + heights[size_t(r)]};
                if (k.rtl) want = {500 - want.Right, want.Top, 500 - want.Left, want.Bottom};
                EXPECT_EQ(got, want) << c << "," << r;
                if (got.IsEmpty()) continue;  // a row of height 0 is never hit
                // The centre of the part on screen.
                const int l = std::max(got.Left, 0), r2 = std::min(got.Right, 500);
                const int t = got.Top, b = std::min(got.Bottom, 330);
                const TGridCoord at = g.MouseCoord(l + (r2 - l) / 2, t + (b - t) / 2);
                EXPECT_EQ(at, (TGridCoord{c, r})) << c << "," << r;
                ++hits;
            }
        EXPECT_GT(hits, 20);
        EXPECT_EQ(g.MouseCoord(-1, 5).X, -1);
        EXPECT_EQ(g.MouseCoord(5, 330).Y, -1);
    }
}

TEST(StringGrid, AMillionRowsNearTheEndAgreeWithALinearSum) {
    constexpr int n = 1'000'000;
    Probe g;
    g.SetColCount(4);
    g.SetRowCount(n);
    std::vector<int> heights(n, 24);
    heights[0] = 24;
    for (int k = 0; k < 998; ++k) {
        const int r = 1 + int((uint64_t(k) * 7919u * 104729u) % (n - 100));
        heights[size_t(r)] = 3 + (k * 13) % 60;
    }
    heights[999'992] = 0;
    heights[999'994] = 47;
    for (int r = 0; r < n; ++r)
        if (heights[size_t(r)] != 24) g.SetRowHeights(r, heights[size_t(r)]);
    plain(g, 300, 260);
    g.SetTopRow(999'990);
    ASSERT_EQ(g.TopRow(), 999'990);

    int64_t before = 0;  // the linear sum of every row above the top row
    for (int r = 0; r < 999'990; ++r) before += heights[size_t(r)] + 1;
    EXPECT_EQ(g.RowAxis().Start(999'990), before);
    int y = heights[0] + 1;
    for (int r = 999'990; r < n && y < 260; ++r) {
        const TRect rect = g.CellRect(2, r);
        EXPECT_EQ(rect.Top, y) << r;
        EXPECT_EQ(rect.Height(), heights[size_t(r)]) << r;
        if (heights[size_t(r)] > 0) {
            EXPECT_EQ(g.MouseCoord(rect.Left + 3, rect.Top).Y, r);
            if (rect.Bottom < 260) EXPECT_EQ(g.MouseCoord(rect.Left + 3, rect.Bottom).Y, r);  // so does the line below
        }
        y += heights[size_t(r)] + 1;
    }
    EXPECT_TRUE(g.CellRect(2, 999'989).IsEmpty());
}

TEST(StringGrid, StoreThroughTheGrid) {
    int alive = 0;
    struct Counted : TGridObject {
        explicit Counted(int* a) : alive(a) { ++*alive; }
        ~Counted() override { --*alive; }
        int* alive;
    };
    TStringGrid g;

    // Columns beyond the column count keep their cells.
    g.SetColCount(45);
    g.SetCells(40, 2, QStringLiteral("hidden"));
    g.SetColCount(30);
    EXPECT_EQ(g.Cells(40, 2), QStringLiteral("hidden"));
    g.SetColCount(45);
    EXPECT_EQ(g.Cells(40, 2), QStringLiteral("hidden"));

    // Rows beyond a lower count go, with their objects.
    g.SetRowCount(10);
    for (int r = 0; r < 10; ++r) {
        g.SetCells(1, r, QString::number(r));
        g.SetObjects(3, r, std::make_unique<Counted>(&alive));
    }
    EXPECT_EQ(alive, 10);
    g.SetRowCount(5);
    EXPECT_EQ(alive, 5);
    g.SetRowCount(10);
    for (int r = 5; r < 10; ++r) {
        EXPECT_EQ(g.Cells(1, r), QString());
        EXPECT_EQ(g.Objects(3, r), nullptr);
    }
    EXPECT_EQ(g.Cells(1, 4), QStringLiteral("4"));

    // A moved row takes its texts, objects and height along.
    g.SetRowHeights(1, 40);
    TGridObject* obj = g.Objects(3, 1);
    g.MoveRow(1, 4);
    EXPECT_EQ(g.Cells(1, 4), QStringLiteral("1"));
    EXPECT_EQ(g.Objects(3, 4), obj);
    EXPECT_EQ(g.RowHeights(4), 40);
    EXPECT_EQ(g.RowHeights(1), g.DefaultRowHeight());
    EXPECT_EQ(g.Cells(1, 1), QStringLiteral("2"));

    // A moved column takes its width along.
    g.SetColWidths(2, 99);
    g.SetCells(2, 0, QStringLiteral("c2"));
    g.MoveColumn(2, 5);
    EXPECT_EQ(g.ColWidths(5), 99);
    EXPECT_EQ(g.Cells(5, 0), QStringLiteral("c2"));

    // Deleting a row frees its objects and pulls the rows below up.
    g.DeleteRow(0);
    EXPECT_EQ(g.RowCount(), 9);
    EXPECT_EQ(alive, 4);
    EXPECT_EQ(g.Cells(1, 3), QStringLiteral("1"));
    EXPECT_EQ(g.RowHeights(3), 40);

    // Writes outside the rows or below column 0 raise and change nothing.
    for (auto [c, r] : {std::pair{1, 9}, std::pair{1, -1}, std::pair{-1, 2}}) {
        EXPECT_THROW(g.SetCells(c, r, QStringLiteral("x")), EInvalidGridOperation) << c << "," << r;
        EXPECT_THROW(g.SetObjects(c, r, std::make_unique<Counted>(&alive)), EInvalidGridOperation);
    }
    EXPECT_EQ(alive, 4);
    EXPECT_EQ(g.RowCount(), 9);
    EXPECT_EQ(g.Cells(1, 9), QString());
    EXPECT_EQ(g.Cells(1, -1), QString());

    // Fixed counts stay below the counts.
    EXPECT_THROW(g.SetFixedRows(9), EInvalidGridOperation);
    EXPECT_THROW(g.SetFixedCols(-1), EInvalidGridOperation);
    EXPECT_EQ(g.FixedRows(), 1);
}

TEST(StringGrid, AWriteInvalidatesOnlyACellOnScreen) {
    struct Counting : TStringGrid {
        int paints = 0;
        std::vector<TRect> rects;

    protected:
        void Paint() override {
            ++paints;
            TStringGrid::Paint();
        }
        void DrawCell(int c, int r, const TRect& rect, TGridDrawState s) override {
            rects.push_back(rect);
            TStringGrid::DrawCell(c, r, rect, s);
        }
    } g;
    g.SetRowCount(1000);
    plain(g, 400, 300);
    QApplication::processEvents();
    g.paints = 0;
    g.SetCells(2, 900, QStringLiteral("away"));
    QApplication::processEvents();
    EXPECT_EQ(g.paints, 0);
    g.rects.clear();
    g.SetCells(2, 3, QStringLiteral("here"));
    QApplication::processEvents();
    EXPECT_EQ(g.paints, 1);
    // Only the cells of the renewed area are drawn.
    ASSERT_EQ(g.rects.size(), 1u);
    EXPECT_EQ(g.rects[0], g.CellRect(2, 3));
}

TEST(StringGrid, OnePaintDrawsEachVisibleCellOnceInRegionOrder) {
    Probe g;
    g.SetColCount(30);
    g.SetRowCount(100);
    g.SetFixedCols(2);
    g.SetFixedRows(1);
    plain(g, 420, 200);
    g.SetLeftCol(5);
    g.SetTopRow(40);
    QImage img(g.viewport()->size(), QImage::Format_RGB32);
    g.drawn.clear();
    g.viewport()->render(&img);

    std::set<std::pair<int, int>> want;
    const auto xs = layout(std::vector<int>(30, 64), 1, 2, 5);
    const auto ys = layout(std::vector<int>(100, 24), 1, 1, 40);
    for (int r = 0; r < 100; ++r)
        for (int c = 0; c < 30; ++c)
            if (xs[size_t(c)] >= 0 && xs[size_t(c)] < 420 && ys[size_t(r)] >= 0 && ys[size_t(r)] < 200) want.insert({c, r});
    std::set<std::pair<int, int>> got;
    int lastRegion = 0;
    for (const Drawn& d : g.drawn) {
        EXPECT_TRUE(got.insert({d.col, d.row}).second) << "twice: " << d.col << "," << d.row;
        const int region = (d.row < 1 ? 0 : 2) + (d.col < 2 ? 0 : 1);  // corner, fixed rows, fixed cols, body
        EXPECT_GE(region, lastRegion) << d.col << "," << d.row;
        lastRegion = region;
        EXPECT_EQ(d.rect, g.CellRect(d.col, d.row));
        EXPECT_EQ(d.state.contains(gdFixed), d.col < 2 || d.row < 1);
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(lastRegion, 3);
}

TEST(StringGrid, DrawStates) {
    struct Case {
        const char* name;
        bool focused;
        TGridOptions extra;
        TGridDrawState current, inRange, outside;
    };
    const Case cases[] = {
        {"not focused", false, {}, {gdSelected}, {gdSelected}, {}},
        {"focused", true, {}, {gdFocused}, {gdSelected}, {}},
        {"focused, focus drawn selected", true, {goDrawFocusSelected}, {gdFocused, gdSelected}, {gdSelected}, {}},
        {"focused, row select", true, {goRowSelect}, {gdFocused, gdSelected}, {gdSelected}, {gdSelected}},
        {"not focused, row select", false, {goRowSelect}, {gdSelected}, {gdSelected}, {gdSelected}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        QWidget window;
        auto* g = new Probe;
        g->setParent(&window);
        g->SetBorderStyle(bsNone);
        g->SetScrollBars(ssNone);
        g->resize(400, 200);
        g->SetOptions(TGridOptions{goFixedVertLine, goRangeSelect}.include(k.extra.contains(goRowSelect) ? goRowSelect : goTabs)
                          .include(k.extra.contains(goDrawFocusSelected) ? goDrawFocusSelected : goTabs));
        window.show();
        ASSERT_TRUE(testing_support::waitForWindowActive(&window));
        if (k.focused)
            g->setFocus();
        else
            g->clearFocus();
        ASSERT_EQ(g->Focused(), k.focused);
        g->SetSelection({1, 1, 3, 2});  // the current cell is (3, 2)
        ASSERT_EQ(g->Col(), 3);
        ASSERT_EQ(g->Row(), 2);
        QImage img(g->viewport()->size(), QImage::Format_RGB32);
        g->drawn.clear();
        g->viewport()->render(&img);
        auto stateOf = [&](int c, int r) {
            for (const Drawn& d : g->drawn)
                if (d.col == c && d.row == r) return d.state;
            ADD_FAILURE() << "not drawn " << c << "," << r;
            return TGridDrawState{};
        };
        EXPECT_EQ(stateOf(3, 2).bits(), k.current.bits());
        EXPECT_EQ(stateOf(2, 1).bits(), k.inRange.bits());
        EXPECT_EQ(stateOf(4, 2).bits(), k.outside.bits());  // right of the range, in its row
        EXPECT_EQ(stateOf(2, 3).bits(), TGridDrawState{}.bits());
        EXPECT_EQ(stateOf(0, 2).bits(), TGridDrawState{gdFixed}.bits());
        EXPECT_EQ(stateOf(2, 0).bits(), TGridDrawState{gdFixed}.bits());
    }
}

TEST(StringGrid, KeysAndTheVeto) {
    Probe g;
    g.SetColCount(6);
    g.SetRowCount(200);
    plain(g, 400, 25 * 10 + 3);  // a fixed row and 9 whole rows, lines included
    const int page = g.VisibleRowCount();
    ASSERT_EQ(page, 9);

    // The veto keeps the current cell.
    g.veto = [](int, int r) { return r != 2; };
    g.Key(VK_DOWN);
    EXPECT_EQ(g.Row(), 1);
    g.veto = nullptr;
    g.Key(VK_DOWN);
    EXPECT_EQ(g.Row(), 2);

    // PgDn moves the top row and the row by a page, through the real key path.
    g.SetRow(20);
    const int top = g.TopRow();
    QTest::keyClick(g.viewport(), Qt::Key_PageDown);
    EXPECT_EQ(g.Row(), 20 + page);
    EXPECT_EQ(g.TopRow(), top + page);
    QTest::keyClick(g.viewport(), Qt::Key_PageUp);
    EXPECT_EQ(g.Row(), 20);
    EXPECT_EQ(g.TopRow(), top);

    // Home, End and their Ctrl forms.
    g.SetCol(3);
    g.Key(VK_END);
    EXPECT_EQ(g.Col(), 5);
    g.Key(VK_HOME);
    EXPECT_EQ(g.Col(), 1);
    g.Key(VK_END, {ssCtrl});
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{5, 199}));
    g.Key(VK_HOME, {ssCtrl});
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{1, 1}));

    // Tab wraps rows only with goTabs.
    g.FocusCell(5, 7, true);
    g.Key(VK_TAB);
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{5, 7}));
    g.SetOptions(g.Options().include(goTabs));
    g.Key(VK_TAB);
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{1, 8}));
    g.Key(VK_TAB, {ssShift});
    EXPECT_EQ((TGridCoord{g.Col(), g.Row()}), (TGridCoord{5, 7}));

    // Shift+Down extends the selection only with goRangeSelect.
    g.FocusCell(2, 4, true);
    g.Key(VK_DOWN, {ssShift});
    EXPECT_EQ(g.Selection(), (TGridRect{2, 4, 2, 5}));
    g.SetOptions(g.Options().exclude(goRangeSelect));
    g.FocusCell(2, 4, true);
    g.Key(VK_DOWN, {ssShift});
    EXPECT_EQ(g.Selection(), (TGridRect{2, 5, 2, 5}));

    // Right to left, the arrows follow the screen: Right goes to the lower column.
    g.setLayoutDirection(Qt::RightToLeft);
    g.Key(VK_RIGHT);
    EXPECT_EQ(g.Col(), 1);
    g.Key(VK_LEFT);
    EXPECT_EQ(g.Col(), 2);
}

TEST(StringGrid, MouseSelectsThroughTheVetoAndDragsARange) {
    QWidget window;
    auto* g = new Probe;
    g->setParent(&window);
    g->SetBorderStyle(bsNone);
    g->SetScrollBars(ssNone);
    g->SetColCount(8);
    g->SetRowCount(20);
    g->resize(500, 300);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    QWidget* vp = g->viewport();
    auto centre = [&](int c, int r) {
        const TRect rc = g->CellRect(c, r);
        return QPoint(rc.Left + rc.Width() / 2, rc.Top + rc.Height() / 2);
    };
    int clicks = 0;
    g->OnClick = [&](QObject* s) {
        EXPECT_EQ(s, g);
        ++clicks;
    };
    QTest::mouseClick(vp, Qt::LeftButton, {}, centre(3, 4));
    EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{3, 4}));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(g->Focused());
    EXPECT_EQ(g->GridState(), gsNormal);

    g->veto = [](int c, int) { return c != 5; };
    QTest::mouseClick(vp, Qt::LeftButton, {}, centre(5, 6));
    EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{3, 4}));
    g->veto = nullptr;

    // A drag selects the range from the press to the pointer.
    QTest::mousePress(vp, Qt::LeftButton, {}, centre(2, 2));
    EXPECT_EQ(g->GridState(), gsSelecting);
    QMouseEvent move(QEvent::MouseMove, centre(4, 5), vp->mapToGlobal(centre(4, 5)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(vp, &move);
    QTest::mouseRelease(vp, Qt::LeftButton, {}, centre(4, 5));
    EXPECT_EQ(g->Selection(), (TGridRect{2, 2, 4, 5}));
    EXPECT_EQ(g->GridState(), gsNormal);

    // A press on a fixed cell moves nothing.
    QTest::mouseClick(vp, Qt::LeftButton, {}, centre(0, 3));
    EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{4, 5}));
}

TEST(StringGrid, TheVerticalBarReportsItsCodes) {
    QWidget window;
    auto* g = new Probe;
    g->setParent(&window);
    g->SetRowCount(1001);
    g->resize(300, 250);
    window.show();
    ASSERT_TRUE(testing_support::waitForWindowActive(&window));
    QScrollBar* bar = g->verticalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(g->ScrollBarInfo(sbVertical), (TScrollBarInfo{0, 127, 0, 0}));

    // A click on the lower arrow: line down, then the end of the scroll.
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() - 4));
    ASSERT_EQ(g->vcodes.size(), 2u);
    EXPECT_EQ(g->vcodes[0].first, SB_LINEDOWN);
    EXPECT_EQ(g->vcodes[1].first, SB_ENDSCROLL);
    EXPECT_EQ(g->TopRow(), 2);

    // Dragging the thumb reports thumb-track; the rows follow only with goThumbTracking.
    g->vcodes.clear();
    bar->setSliderDown(true);
    bar->setSliderPosition(30);
    ASSERT_EQ(g->vcodes.size(), 1u);
    EXPECT_EQ(g->vcodes[0], (std::pair{SB_THUMBTRACK, 30}));
    EXPECT_EQ(g->TopRow(), 2);
    g->SetOptions(g->Options().include(goThumbTracking));
    bar->setSliderPosition(40);
    const int maxTop = g->MaxTopRow();
    EXPECT_EQ(g->TopRow(), 1 + MulDiv(40, maxTop - 1, 127));

    // Releasing it at 64 of 127 lands in the middle of the scrollable rows.
    g->vcodes.clear();
    bar->setSliderPosition(64);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(2, 2), bar->mapToGlobal(QPointF(2, 2)), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &release);
    bar->setSliderDown(false);
    ASSERT_GE(g->vcodes.size(), 3u);
    EXPECT_EQ(g->vcodes[0], (std::pair{SB_THUMBTRACK, 64}));
    EXPECT_EQ(g->vcodes[1], (std::pair{SB_THUMBPOSITION, 64}));
    EXPECT_EQ(g->vcodes[2].first, SB_ENDSCROLL);
    // The middle, within one step of the bar's 0..127 scale.
    EXPECT_NEAR(g->TopRow(), (1 + maxTop) / 2.0, (maxTop - 1) / 127.0 + 1);
    EXPECT_EQ(g->TopRow(), 1 + MulDiv(64, maxTop - 1, 127));

    // The bar's own keys: to the bottom and the top.
    bar->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(g->TopRow(), maxTop);
    EXPECT_EQ(bar->value(), 127);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_EQ(g->TopRow(), 1);
    EXPECT_EQ(bar->value(), 0);
    EXPECT_GT(g->topLeftChanges, 0);

    // A descendant's own bar.
    g->SetScrollBarInfo(sbVertical, {0, 300, 174, 50});
    EXPECT_EQ(g->ScrollBarInfo(sbVertical), (TScrollBarInfo{0, 300, 174, 50}));
}

TEST(StringGrid, WheelMovesTheRowAndHandlersRunGuarded) {
    testing_support::RecordingDialogs dialogs;
    Probe g;
    g.SetRowCount(50);
    plain(g, 300, 200);
    g.SetRow(5);
    QWheelEvent down(QPointF(10, 10), g.mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(g.viewport(), &down);
    EXPECT_EQ(g.Row(), 7);

    // A throwing handler is reported; the grid stays where it was and goes on working.
    g.OnSelectCell = [](QObject*, int, int r, bool&) {
        if (r == 8) throw Error(QStringLiteral("no row 8"));
    };
    QTest::keyClick(g.viewport(), Qt::Key_Down);
    EXPECT_EQ(g.Row(), 7);
    EXPECT_EQ(dialogs.errors(), QStringList{QStringLiteral("no row 8")});
    g.OnSelectCell = nullptr;
    QTest::keyClick(g.viewport(), Qt::Key_Down);
    EXPECT_EQ(g.Row(), 8);
}

TEST(StringGrid, DefaultDrawingAndTheAreaBeyondTheCells) {
    struct Case {
        const char* name;
        bool defaultDrawing;
        TColor body, fixed, selected;  // expected pixels inside the cells
    };
    const TColor marker = 0x123456;  // what the image held before the paint
    const Case cases[] = {
        {"default drawing", true, clLime, clYellow, clHighlight},
        {"off: the layer draws no cell", false, marker, marker, marker},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        TStringGrid g;
        g.SetColCount(3);
        g.SetRowCount(3);
        g.SetColor(clLime);
        g.SetFixedColor(clYellow);
        g.SetDefaultDrawing(k.defaultDrawing);
        plain(g, 400, 200);
        g.SetSelection({1, 1, 2, 1});
        QImage img(g.viewport()->size(), QImage::Format_RGB32);
        img.fill(ToQColor(marker));
        g.viewport()->render(&img);
        auto at = [&](int x, int y) { return TColor(img.pixelColor(x, y).rgb() & 0xFFFFFF); };
        auto bgr = [](TColor c) { const QColor q = ToQColor(c); return TColor(q.rgb() & 0xFFFFFF); };
        const TRect body = g.CellRect(1, 2), fixed = g.CellRect(0, 1), sel = g.CellRect(1, 1);  // (2, 1) is current
        EXPECT_EQ(at(body.Right - 3, body.Bottom - 3), bgr(k.body));
        EXPECT_EQ(at(fixed.Right - 3, fixed.Bottom - 3), bgr(k.fixed));
        EXPECT_EQ(at(sel.Right - 3, sel.Bottom - 3), bgr(k.selected));
        // Right of the last column and below the last row: the grid's colour either way.
        EXPECT_EQ(at(399, 10), bgr(clLime));
        EXPECT_EQ(at(10, 199), bgr(clLime));
        // The lines between the cells.
        EXPECT_EQ(at(body.Right, body.Top + 5), bgr(clSilver));
        EXPECT_EQ(at(fixed.Right, fixed.Top + 5), bgr(clBlack));
    }
}

// A scroll by whole rows or columns moves the painted cells and paints only what comes in; the
// screen then shows what a whole repaint shows. Scrolls faster than the paints move pixels once.
TEST(StringGrid, AScrollPaintsOnlyTheIncomingCellsAndShowsWhatAWholePaintShows) {
    struct Case {
        const char* name;
        int dCol, dRow;
        bool wholeRepaint;  // the paint after the scroll draws every cell
    } cases[] = {
        {"one row down", 0, 1, false},
        {"three rows up", 0, -3, false},
        {"one column right", 1, 0, false},
        {"both axes at once", 1, 1, true},
        {"two scrolls before a paint", 0, 2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Probe g;
        g.SetColCount(30);
        g.SetRowCount(200);
        g.SetFixedCols(1);
        g.SetFixedRows(1);
        for (int r = 0; r < 200; ++r)
            for (int col = 0; col < 30; ++col) g.SetCells(col, r, QStringLiteral("%1:%2").arg(col).arg(r));
        plain(g, 400, 300);
        g.SetLeftCol(5);
        g.SetTopRow(50);
        QApplication::processEvents();
        const int visible = g.VisibleColCount() * g.VisibleRowCount();
        g.drawn.clear();
        if (std::string_view(c.name) == "two scrolls before a paint") {
            g.SetTopRow(51);
            g.SetTopRow(52);
        } else {
            g.SetLeftCol(5 + c.dCol);
            g.SetTopRow(50 + c.dRow);
        }
        QApplication::processEvents();
        const int drawn = int(g.drawn.size());
        if (c.wholeRepaint)
            EXPECT_GT(drawn, visible);
        else
            EXPECT_LT(drawn, visible / 2);
        // What the window shows (its backing store), not a fresh rendering.
        const auto shown = [&] {
            QWidget* top = g.viewport()->window();
            const QPoint at = g.viewport()->mapTo(top, QPoint(0, 0));
            return top->screen()->grabWindow(top->winId(), at.x(), at.y(), g.viewport()->width(),
                                             g.viewport()->height()).toImage();
        };
        const QImage scrolled = shown();
        ASSERT_FALSE(scrolled.isNull());
        g.viewport()->repaint();
        const QImage whole = shown();
        EXPECT_EQ(scrolled, whole);
        // The check can fail: a whole repaint of other texts shows otherwise.
        g.SetCells(6, 53, QStringLiteral("changed"));
        g.viewport()->repaint();
        EXPECT_NE(shown(), whole);
    }
}
