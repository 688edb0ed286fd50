// The base grid: cell properties, merged blocks and their geometry, navigation, the cell painter,
// and undo/redo.
#include "controls/BaseGrid.h"
#include "controls/ExUtil.h"
#include "platform/Keys.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QTest>

using namespace plat;

namespace {

class Probe : public TBaseGrid {
public:
    int hiddenLastRowChanges = 0;
    void Key(uint16_t key) { KeyDown(key, {}); }
    void HiddenLastRowChanged() override { ++hiddenLastRowChanges; }
    int blockContents = 0;  // content paints of the cell (2, 2)
    void DrawCellContent(TCanvas& c, int col, int row, const TRect& r, plat::TGridDrawState s) override {
        if (col == 2 && row == 2) ++blockContents;
        TBaseGrid::DrawCellContent(c, col, row, r, s);
    }
    // The descendant's part: the cell's own background colour.
    void GetVisualProperties(int c, int r, plat::TGridDrawState&, bool, bool, bool, TBrush& brush, TColor&, TColor&,
                             TColor&, TFont&, ::TAlignment&, TVAlignment&, bool&, TCellGradientDirection&) override {
        if (const TCellProperties* p = CellHasProperties(c, r) ? GridObjects(c, r) : nullptr)
            if (p->BrushColor() != Color()) brush.SetColor(p->BrushColor());
    }
    using TBaseGrid::Paint;
};

// Number of cells holding a properties object.
int propsCount(const TBaseGrid& g) {
    int n = 0;
    g.Store().ForEachRowWithObjects([&](int r) {
        for (int c = 0; c < g.TotalColCount(); ++c) n += g.GridObjects(c, r) != nullptr;
    });
    return n;
}

void fill(TBaseGrid& g) {
    for (int r = 0; r < g.RowCount(); ++r)
        for (int c = 0; c < g.ColCount(); ++c) g.SetCells(c, r, QStringLiteral("%1:%2").arg(c).arg(r));
}

void plain(TBaseGrid& g, int w, int h) {
    g.SetBorderStyle(bsNone);
    g.SetScrollBars(ssNone);
    g.resize(w, h);
    g.show();
    QCoreApplication::processEvents();
}

}  // namespace

TEST(BaseGrid, CreationDefaults) {
    TBaseGrid g;
    EXPECT_EQ(g.BaseGridLineWidth(), 1);
    EXPECT_EQ(g.GridLineWidth(), 0);  // the platform draws no line of its own
    EXPECT_FALSE(g.DefaultDrawing());
    EXPECT_EQ(g.GridLineColor(), 0xC0C0C0u);
    EXPECT_EQ(g.GridFixedLineColor(), 0x808080u);
    EXPECT_EQ(g.ActiveRowColor(), clInfoBk);
    EXPECT_EQ(g.HoverRowColorTo(), clNone);
    EXPECT_EQ(g.HoverRowCells(), (THoverRowCells{hcNormal, hcSelected}));
    EXPECT_EQ(g.SelectionStyle(), ssDefault);
    EXPECT_TRUE(g.WordWrap());
    EXPECT_EQ(g.PaintID(), 1);
    EXPECT_EQ(g.HoverRowIdx(), -1);
    EXPECT_EQ(g.MergeCount(), 0);
    EXPECT_EQ(g.UndoRedo(), nullptr);
}

TEST(BaseGrid, PropertiesCreatedWithTheCellDefaults) {
    TBaseGrid g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.SetWordWrap(false);
    g.SetColor(0x123456);
    EXPECT_FALSE(g.HasCellProps());
    TCellProperties* p = g.CellProperties(2, 3);
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(g.HasCellProps());
    EXPECT_EQ(g.CellProperties(2, 3), p);  // created once
    EXPECT_EQ(p->OwnerCol(), 2);
    EXPECT_EQ(p->OwnerRow(), 3);
    EXPECT_EQ(p->BrushColor(), 0x123456u);
    EXPECT_EQ(p->BrushColorTo(), clNone);
    EXPECT_FALSE(p->WordWrap());
    EXPECT_EQ(p->FontName(), g.Font().Name());
    EXPECT_EQ(p->CellSpanX(), -1);
    EXPECT_EQ(p->CellSpanY(), -1);
    EXPECT_TRUE(p->IsBaseCell());
    EXPECT_EQ(p->Alignment(), ::taLeftJustify);
    EXPECT_EQ(p->VAlignment(), vtaTop);
    EXPECT_EQ(p->Editor(), edNormal);
    EXPECT_EQ(p->CalcType(), acNONE);

    // Assign copies the cell settings and leaves colour-to alone.
    TCellProperties other(&g, 0, 0);
    other.SetBrushColorTo(0x111111);
    p->SetReadOnly(true);
    p->SetBrushColorTo(0x222222);
    other.Assign(*p);
    EXPECT_TRUE(other.ReadOnly());
    EXPECT_EQ(other.OwnerCol(), 2);
    EXPECT_EQ(other.BrushColorTo(), 0x111111u);

    // Replacing the properties frees the old ones; handing them out does not.
    g.SetCellProperties(2, 3, std::make_unique<TCellProperties>(&g, 2, 3));
    EXPECT_NE(g.GridObjects(2, 3), nullptr);
    std::unique_ptr<TCellProperties> taken = g.SetGridObject(2, 3, nullptr);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(g.GridObjects(2, 3), nullptr);
}

TEST(BaseGrid, MergeTable) {
    TBaseGrid g;
    g.SetColCount(6);
    g.SetRowCount(5);
    fill(g);
    g.MergeCells(1, 1, 3, 2);
    EXPECT_EQ(g.MergeCount(), 1);
    EXPECT_EQ(g.Cells(3, 2), "1:1");
    g.SetCells(2, 2, QStringLiteral("X"));
    EXPECT_EQ(g.GridCells(1, 1), "X");
    EXPECT_EQ(g.GridCells(2, 2), "2:2");  // the member's own text stays in the store
    EXPECT_EQ(g.CellSpan(3, 2), (TGridCoord{2, 1}));
    EXPECT_EQ(g.CellExt(2, 1), (TGridCoord{1, 1}));
    EXPECT_EQ(g.FullCell(3, 2), (TGridRect{1, 1, 3, 2}));
    EXPECT_EQ(g.BaseCell(3, 2), (TGridCoord{1, 1}));
    EXPECT_TRUE(g.IsBaseCell(1, 1));
    EXPECT_FALSE(g.IsBaseCell(2, 1));
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r) {
            EXPECT_TRUE(g.IsMergedCell(c, r)) << c << "," << r;
            EXPECT_EQ(g.IsMergedNonBaseCell(c, r), c != 1 || r != 1);
            EXPECT_TRUE(g.IsXMergedCell(c, r));
            EXPECT_TRUE(g.IsYMergedCell(c, r));
        }
    EXPECT_FALSE(g.IsMergedCell(4, 1));
    EXPECT_FALSE(g.IsMergedCell(1, 3));

    // Splitting from a member frees the whole block; the members' texts come back.
    g.SplitCells(3, 2);
    EXPECT_EQ(g.MergeCount(), 0);
    EXPECT_EQ(g.Cells(3, 2), "3:2");
    EXPECT_EQ(g.Cells(1, 1), "X");
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 2; ++r) {
            EXPECT_FALSE(g.IsMergedCell(c, r));
            EXPECT_EQ(g.CellProperties(c, r)->CellSpanX(), -1);
        }

    // A 1 x 1 block: spans 0 and 0, not merged, not counted.
    g.MergeCells(4, 3, 1, 1);
    EXPECT_EQ(g.GridObjects(4, 3)->CellSpanX(), 0);
    EXPECT_EQ(g.GridObjects(4, 3)->CellSpanY(), 0);
    EXPECT_FALSE(g.IsMergedCell(4, 3));
    EXPECT_EQ(g.CellSpan(4, 3), (TGridCoord{0, 0}));
    EXPECT_EQ(g.MergeCount(), 0);
    g.SplitCells(4, 3);
    g.SplitCells(0, 0);  // never merged
    EXPECT_EQ(g.MergeCount(), 0);
    g.MergeCells(0, 0, 0, 3);  // no span
    EXPECT_EQ(g.MergeCount(), 0);
    EXPECT_FALSE(g.IsMergedCell(0, 0));
}

TEST(BaseGrid, ACellWithoutPropertiesCreatesNoneOnRead) {
    TBaseGrid g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.SetCells(2, 2, QStringLiteral("t"));
    EXPECT_EQ(g.Objects(2, 2), 0u);
    EXPECT_EQ(g.GraphicObjects(2, 2), nullptr);
    EXPECT_TRUE(g.IsBaseCell(2, 2));
    EXPECT_FALSE(g.IsMergedCell(2, 2));
    EXPECT_FALSE(g.IsMergedNonBaseCell(2, 2));
    EXPECT_EQ(g.BaseCell(2, 2), (TGridCoord{2, 2}));
    EXPECT_EQ(g.CellSpan(2, 2), (TGridCoord{0, 0}));
    EXPECT_EQ(g.CellExt(2, 2), (TGridCoord{0, 0}));
    EXPECT_EQ(g.FullCell(2, 2), (TGridRect{2, 2, 2, 2}));
    EXPECT_EQ(g.Cells(2, 2), "t");
    EXPECT_EQ(g.MinRowSpan(2), 4);
    EXPECT_EQ(g.MaxRowSpan(2), 0);
    EXPECT_EQ(propsCount(g), 0);
    EXPECT_FALSE(g.HasCellProps());

    // An object on an empty cell leaves its text empty.
    g.SetObjects(1, 1, 42);
    EXPECT_EQ(g.Objects(1, 1), 42u);
    EXPECT_EQ(g.GridCells(1, 1), "");
    EXPECT_EQ(propsCount(g), 1);

    // The display hook reaches only rows below the normal row count.
    int calls = 0;
    g.OnGetDisplText = [&](QObject*, int, int, QString& v) {
        ++calls;
        v = v.toUpper();
    };
    EXPECT_EQ(g.Cells(2, 2), "t");
    EXPECT_EQ(calls, 0);
    g.SetNormalRowCount(3);
    EXPECT_EQ(g.Cells(2, 2), "T");
    EXPECT_EQ(g.GridCells(2, 2), "t");
    g.SetNormalRowCount(2);
    EXPECT_EQ(g.Cells(2, 2), "t");
    EXPECT_EQ(calls, 1);
}

TEST(BaseGrid, SpanComparisons) {
    TBaseGrid g;
    g.SetColCount(5);
    g.SetRowCount(8);
    g.MergeCells(0, 0, 1, 3);  // column 0: rows 0..2
    g.MergeCells(1, 0, 1, 3);  // column 1: rows 0..2
    g.MergeCells(2, 4, 1, 2);  // column 2: rows 4..5
    g.MergeCells(3, 4, 1, 3);  // column 3: rows 4..6
    g.MergeCells(3, 0, 1, 2);  // column 3: rows 0..1
    struct Case {
        int a, b;
        bool identical;
    };
    for (const Case& k : {Case{0, 1, true}, Case{0, 2, true}, Case{1, 3, false}, Case{4, 5, true},
                          Case{4, 6, true}, Case{0, 4, false}, Case{1, 5, false}, Case{3, 7, false}, Case{0, 4, false}})
        EXPECT_EQ(g.RowSpanIdentical(k.a, k.b), k.identical) << k.a << " " << k.b;
    EXPECT_EQ(g.MinRowSpan(4), 1);
    EXPECT_EQ(g.MaxRowSpan(4), 2);
    EXPECT_EQ(g.MinRowSpan(3), 8);
    EXPECT_EQ(g.MaxRowSpan(3), 0);

    TBaseGrid h;
    h.SetColCount(6);
    h.SetRowCount(5);
    h.MergeCells(0, 1, 3, 1);  // columns 0..2 in row 1
    h.MergeCells(0, 3, 2, 1);  // columns 0..1 in row 3
    for (const Case& k : {Case{0, 1, true}, Case{1, 2, false}, Case{0, 2, false}, Case{3, 4, false}})
        EXPECT_EQ(h.ColSpanIdentical(k.a, k.b), k.identical) << k.a << " " << k.b;
}

TEST(BaseGrid, BrokenMergesAndBadCoordinates) {
    TBaseGrid g;
    g.SetColCount(6);
    g.SetRowCount(6);
    fill(g);

    // Overlap: the older block is split before the new one is laid.
    g.MergeCells(0, 0, 3, 3);
    g.MergeCells(2, 2, 2, 2);
    EXPECT_EQ(g.MergeCount(), 1);
    EXPECT_FALSE(g.IsMergedCell(1, 1));
    EXPECT_EQ(g.Cells(1, 1), "1:1");
    EXPECT_EQ(g.FullCell(3, 3), (TGridRect{2, 2, 3, 3}));
    g.SplitCells(3, 3);
    EXPECT_EQ(g.MergeCount(), 0);

    // A member whose base lost its properties is a plain cell everywhere.
    g.MergeCells(1, 1, 2, 2);
    g.FreeCellProperties(1, 1);
    EXPECT_FALSE(g.IsMergedCell(2, 2));
    EXPECT_TRUE(g.IsBaseCell(2, 2));
    EXPECT_EQ(g.Cells(2, 2), "2:2");
    EXPECT_EQ(g.CellSpan(2, 2), (TGridCoord{0, 0}));
    EXPECT_EQ(g.BaseCell(2, 2), (TGridCoord{2, 2}));
    // A base that no longer covers the member (its block shrank) is not followed either.
    g.MergeCells(3, 3, 2, 2);
    g.GridObjects(3, 3)->SetCellSpanX(0);
    EXPECT_FALSE(g.IsMergedCell(4, 3));
    EXPECT_EQ(g.Cells(4, 3), "4:3");
    // A new merge over the broken cells leaves a consistent encoding.
    g.MergeCells(1, 1, 4, 4);
    EXPECT_EQ(g.FullCell(4, 4), (TGridRect{1, 1, 4, 4}));
    EXPECT_EQ(g.MergeCount(), 1);

    // Out of range: the grid's index error, nothing changed; queries answer as for a plain cell.
    const int props = propsCount(g);
    EXPECT_THROW(g.MergeCells(4, 4, 3, 1), EInvalidGridOperation);
    EXPECT_THROW(g.MergeCells(-1, 0, 2, 2), EInvalidGridOperation);
    EXPECT_THROW(g.SplitCells(6, 0), EInvalidGridOperation);
    EXPECT_THROW(g.CellProperties(0, 6), EInvalidGridOperation);
    EXPECT_THROW(g.SetObjects(7, 0, 1), EInvalidGridOperation);
    EXPECT_THROW(g.SetGraphicObjects(0, -1, nullptr), EInvalidGridOperation);
    EXPECT_EQ(propsCount(g), props);
    EXPECT_EQ(g.MergeCount(), 1);
    EXPECT_TRUE(g.IsBaseCell(9, 9));
    EXPECT_EQ(g.CellSpan(-1, 2), (TGridCoord{0, 0}));
    EXPECT_EQ(g.FullCell(6, 0), (TGridRect{6, 0, 6, 0}));
}

TEST(BaseGrid, CellRects) {
    TBaseGrid g;
    g.SetColCount(10);
    g.SetRowCount(100);
    g.SetDefaultColWidth(50);
    g.SetDefaultRowHeight(20);
    plain(g, 300, 200);
    // A plain cell off screen has an empty rectangle: no editor lands at the top left.
    EXPECT_EQ(g.CellRect(2, 80), TRect{});
    EXPECT_EQ(g.CellRect(2, 3), (TRect{100, 60, 150, 80}));
    g.SetColWidths(2, 70);
    g.MergeCells(2, 3, 2, 3);
    EXPECT_EQ(g.CellRect(3, 4), (TRect{100, 60, 220, 120}));
    EXPECT_EQ(g.CellSize(2, 3), QSize(120, 60));
    // Scrolled: a scrolling cell moves, a fixed one stays.
    g.SetTopRow(3);
    EXPECT_EQ(g.ComputeCellRect(2, 3), (TRect{100, 20, 170, 40}));
    EXPECT_EQ(g.ComputeCellRect(0, 0), (TRect{0, 0, 50, 20}));
    EXPECT_EQ(g.ComputeCellRect(2, 90), (TRect{100, 20 + 87 * 20, 170, 40 + 87 * 20}));
    // A merged block whose base is scrolled away still reaches from above the screen.
    g.SetTopRow(4);
    EXPECT_EQ(g.CellRect(2, 5), (TRect{100, 0, 220, 60}));
}

TEST(BaseGrid, KeysRestOnBaseCells) {
    Probe g;
    g.SetColCount(8);
    g.SetRowCount(10);
    plain(g, 600, 300);
    g.MergeCells(2, 2, 3, 2);  // columns 2..4, rows 2..3
    g.SetCol(2);
    g.SetRow(2);
    g.Key(VK_RIGHT);
    EXPECT_EQ(g.Col(), 5);
    EXPECT_EQ(g.Row(), 2);

    // Left and Up from a member land just left of and above the block.
    g.FocusCell(4, 3, true);
    g.Key(VK_LEFT);
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 3);
    g.FocusCell(3, 3, true);
    g.Key(VK_UP);
    EXPECT_EQ(g.Row(), 1);
    EXPECT_EQ(g.Col(), 3);

    // Entering a block from outside snaps to its base.
    g.FocusCell(3, 4, true);
    g.Key(VK_UP);
    EXPECT_EQ(g.Col(), 2);
    EXPECT_EQ(g.Row(), 2);
    g.Key(VK_DOWN);
    EXPECT_EQ(g.Row(), 4);
}

TEST(BaseGrid, HiddenLastRow) {
    Probe g;
    g.SetColCount(3);
    g.SetRowCount(6);
    g.SetDefaultRowHeight(20);
    plain(g, 300, 20 * 6 + 5);
    g.SetHideLastRow(true);
    g.SetCells(0, 4, QStringLiteral("a"));
    EXPECT_EQ(g.hiddenLastRowChanges, 0);
    g.SetCells(1, 5, QStringLiteral("sum"));
    EXPECT_EQ(g.hiddenLastRowChanges, 1);
    ASSERT_EQ(g.VisibleRowCount() + g.TopRow() - g.FixedRows(), g.RowCount() - 1);
    g.SetRow(2);
    g.Key(VK_NEXT);
    EXPECT_EQ(g.Row(), 4);
}

namespace {
QImage grabGrid(TBaseGrid& g) {
    g.viewport()->repaint();
    return g.viewport()->grab().toImage();
}
TColor px(const QImage& img, int x, int y) { return FromQRgb(img.pixel(x, y)); }
}  // namespace

TEST(BaseGrid, MergedBlockPaintsOnce) {
    Probe g;
    g.SetColCount(8);
    g.SetRowCount(8);
    g.SetDefaultColWidth(40);
    g.SetDefaultRowHeight(20);
    g.SetColor(RGB(255, 255, 255));
    plain(g, 320, 160);
    g.MergeCells(2, 2, 3, 2);  // x 80..200, y 40..80
    const int before = g.PaintID();
    const QImage img = grabGrid(g);
    EXPECT_GT(g.PaintID(), before);
    const TColor line = ColorToRGB(g.GridLineColor());
    // Inner boundaries of the block carry no line; the block's own right and bottom lines do.
    EXPECT_NE(px(img, 119, 50), line);
    EXPECT_NE(px(img, 159, 50), line);
    EXPECT_NE(px(img, 100, 59), line);
    EXPECT_EQ(px(img, 199, 50), line);
    EXPECT_EQ(px(img, 100, 79), line);
    EXPECT_EQ(px(img, 100, 50), ColorToRGB(RGB(255, 255, 255)));
    // Cells outside it keep their lines.
    EXPECT_EQ(px(img, 239, 110), line);

    // One paint event is one pass, and paints the block's content once, from its base; a cell
    // painted onto another canvas between passes does not mark the block as painted.
    const int id = g.PaintID();
    g.blockContents = 0;
    g.viewport()->repaint();
    EXPECT_EQ(g.PaintID(), id + 1);
    EXPECT_EQ(g.blockContents, 1);
    QImage other(40, 20, QImage::Format_RGB32);
    TCanvas oc(&other);
    g.PaintCell(oc, 2, 2, TRect{0, 0, 40, 20}, {});
    oc.Release();
    // Only a member in the update region: the block is painted through it, once.
    g.blockContents = 0;
    g.viewport()->repaint(QRect(160, 60, 40, 20));
    EXPECT_EQ(g.blockContents, 1);
}

TEST(BaseGrid, SelectionStylesAndCanvasMode) {
    Probe g;
    g.SetColCount(4);
    g.SetRowCount(4);
    g.SetColor(RGB(255, 255, 255));
    g.SetSelectionStyle(ssWin7);
    auto paintSelected = [&] {
        QImage img(60, 30, QImage::Format_RGB32);
        img.fill(Qt::black);
        TCanvas c(&img);
        g.PaintCellExt(c, 1, 1, TRect{0, 0, 60, 30}, plat::TGridDrawState{plat::gdSelected});
        c.Release();
        return img;
    };
    ASSERT_FALSE(g.Focused());
    // Unfocused: the grey table; the border of the unfocused style is drawn around the cell.
    const QImage unfocused = paintSelected();
    EXPECT_EQ(px(unfocused, 30, 0), 0xD9D9D9u);
    TGridOptions o = g.Options();
    g.SetOptions(o.include(goDrawFocusSelected));
    const QImage focused = paintSelected();
    EXPECT_EQ(px(focused, 30, 0), 0xCEA27Du);

    // Canvas mode paints a selected cell of the default style in the active-row colours.
    g.SetSelectionStyle(ssDefault);
    g.SetActiveRowColor(RGB(10, 200, 30));
    const QImage active = paintSelected();
    EXPECT_EQ(px(active, 30, 10), ColorToRGB(RGB(10, 200, 30)));
}

TEST(BaseGrid, BlockUnderFixedColumnsStaysOut) {
    Probe g;
    g.SetColCount(10);
    g.SetRowCount(6);
    g.SetDefaultColWidth(40);
    g.SetDefaultRowHeight(20);
    g.SetFixedColor(RGB(200, 200, 200));
    g.SetColor(RGB(255, 255, 255));
    plain(g, 300, 120);
    g.MergeCells(1, 2, 4, 1);
    g.CellProperties(1, 2)->SetBrushColor(RGB(255, 0, 0));
    g.SetLeftCol(3);  // the block's base is scrolled under the fixed column
    const QImage img = grabGrid(g);
    // The fixed column shows no red; the visible part of the block does.
    for (int x = 0; x < 40; ++x) EXPECT_NE(px(img, x, 50), ColorToRGB(RGB(255, 0, 0))) << x;
    EXPECT_EQ(px(img, 50, 50), ColorToRGB(RGB(255, 0, 0)));
}

// ---- undo and redo ----

TEST(BaseGridUndoRedo, Table) {
    TBaseGrid g;
    g.SetColCount(5);
    g.SetRowCount(5);
    TExGridUndoRedo u;
    g.SetUndoRedo(&u);
    EXPECT_EQ(u.Grid(), &g);
    auto change = [&](int c, int r, const QString& v) {
        u.RegisterChange(c, r, g.Cells(c, r), v);
        g.SetCells(c, r, v);
    };

    // MaxLevel 3 keeps the last three of four.
    u.SetMaxLevel(3);
    for (int i = 1; i <= 4; ++i) change(i, 1, QString::number(i));
    ASSERT_EQ(u.Items().Count(), 3);
    EXPECT_EQ(u.Items().Items(0).Value, "2");
    EXPECT_EQ(u.Level(), 3);
    u.SetMaxLevel(0);
    u.Reset();
    EXPECT_FALSE(u.CanUndo());
    EXPECT_FALSE(u.CanRedo());

    // a, b, two undos, c: the undone tail stays; the next undos undo c, then b again.
    change(1, 2, "a");
    change(2, 2, "b");
    u.Undo();
    u.Undo();
    EXPECT_EQ(g.Cells(1, 2), "");
    EXPECT_EQ(g.Cells(2, 2), "");
    change(3, 2, "c");
    ASSERT_EQ(u.Items().Count(), 3);
    EXPECT_EQ(u.Level(), 3);
    u.Undo();
    EXPECT_EQ(g.Cells(3, 2), "");
    g.SetCells(2, 2, "b");
    u.Undo();
    EXPECT_EQ(g.Cells(2, 2), "");
    EXPECT_EQ(u.Level(), 1);
    u.Reset();

    // A sequence undoes in reverse with one call and redoes in order.
    change(4, 4, "base");
    const int level = u.Level();
    std::vector<QString> log;
    u.OnUndo = [&](QObject*, TBaseGrid*, int c, int r, const QString& cur, const QString& to) {
        log.push_back(QStringLiteral("u%1%2:%3>%4").arg(c).arg(r).arg(cur, to));
    };
    u.OnRedo = [&](QObject*, TBaseGrid*, int c, int r, const QString& cur, const QString& to) {
        log.push_back(QStringLiteral("r%1%2:%3>%4").arg(c).arg(r).arg(cur, to));
    };
    u.StartSequence();
    change(1, 3, "x");
    change(2, 3, "y");
    u.StopSequence();
    u.Undo();
    EXPECT_EQ(u.Level(), level);
    EXPECT_EQ(g.Cells(1, 3), "");
    EXPECT_EQ(g.Cells(2, 3), "");
    EXPECT_EQ(g.Col(), 1);
    EXPECT_EQ(g.Row(), 3);
    u.Redo();
    EXPECT_EQ(u.Level(), u.Items().Count());
    EXPECT_EQ(g.Cells(1, 3), "x");
    EXPECT_EQ(g.Cells(2, 3), "y");
    EXPECT_EQ(log, (std::vector<QString>{"u23:y>", "u13:x>", "r13:>x", "r23:>y"}));

    // An empty sequence: one call each, no cell touched.
    log.clear();
    u.StartSequence();
    u.StopSequence();
    const int full = u.Level();
    u.Undo();
    EXPECT_EQ(u.Level(), full - 2);
    u.Redo();
    EXPECT_EQ(u.Level(), full);
    EXPECT_TRUE(log.empty());

    // No grid linked: nothing changes, Level included.
    TExGridUndoRedo lone;
    lone.RegisterChange(1, 1, "", "z");
    lone.Undo();
    EXPECT_EQ(lone.Level(), 1);
    lone.Redo();
    EXPECT_EQ(lone.Level(), 1);
}

TEST(BaseGridUndoRedo, EachForgetsTheOther) {
    auto g = std::make_unique<TBaseGrid>();
    {
        TExGridUndoRedo u;
        g->SetUndoRedo(&u);
    }
    EXPECT_EQ(g->UndoRedo(), nullptr);
    TExGridUndoRedo u;
    g->SetUndoRedo(&u);
    u.RegisterChange(1, 1, "", "a");
    g.reset();
    EXPECT_EQ(u.Grid(), nullptr);
    u.Undo();
    EXPECT_EQ(u.Level(), 1);
}

namespace {
struct Graphic : QObject, TOwnedCellGraphic {
    int* deaths;
    explicit Graphic(int* d) : deaths(d) {}
    ~Graphic() override { ++*deaths; }
};
}  // namespace

TEST(BaseGrid, GraphicsAndObjectsOnTheirCells) {
    int deaths = 0;
    QObject foreign;
    {
        TBaseGrid g;
        g.SetColCount(4);
        g.SetRowCount(4);
        // Owned cell graphics die with their properties, once; other graphics are the caller's.
        g.SetGraphicObjects(1, 1, new Graphic(&deaths));
        g.SetGraphicObjects(2, 1, &foreign);
        g.SetGraphicObjects(3, 3, new Graphic(&deaths));
        g.FreeCellProperties(1, 1);
        EXPECT_EQ(deaths, 1);
        EXPECT_EQ(g.GraphicObjects(1, 1), nullptr);
        g.FreeCellPropertiesRect(0, 0, 3, 2);
        EXPECT_EQ(g.GraphicObjects(2, 1), nullptr);
        EXPECT_EQ(deaths, 1);
        // Handed out, the properties keep their graphic until the caller frees them.
        std::unique_ptr<TCellProperties> taken = g.SetGridObject(3, 3, nullptr);
        EXPECT_EQ(deaths, 1);
        taken.reset();
        EXPECT_EQ(deaths, 2);
        g.SetGraphicObjects(0, 3, new Graphic(&deaths));
    }
    EXPECT_EQ(deaths, 3);  // freed with the grid

    // The wide display hook sees the decoded text; the cell reads its encoded wide form.
    TBaseGrid g;
    g.SetColCount(3);
    g.SetRowCount(3);
    g.SetCells(1, 1, QStringLiteral("abc"));
    g.SetNormalRowCount(3);
    g.OnGetDisplWideText = [](QObject*, int c, int r, QString& v) { v += QStringLiteral("@%1%2").arg(c).arg(r); };
    EXPECT_EQ(g.Cells(1, 1), EncodeWideText(QStringLiteral("abc@11")));
    EXPECT_EQ(DecodeWideText(g.Cells(1, 1)), "abc@11");
    // A merged member reads its base through the hook with the base's coordinates.
    g.MergeCells(1, 1, 2, 1);
    EXPECT_EQ(DecodeWideText(g.Cells(2, 1)), "abc@11");
}
