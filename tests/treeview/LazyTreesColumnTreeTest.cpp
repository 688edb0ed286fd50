// A string tree with three header columns: cells painted per column (a centred text too wide for
// its cell is shortened from the left), Tab between cells, the hit column with auto span, and the
// horizontal range taken from the columns.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTest>

#include "tests/support/EventWait.h"
#include "treeview/LazyTrees.h"

using enum TLTColumnOption;
using enum TLTHeaderOption;

namespace {

struct ColumnStringTree {
    TLazyStringTree tree;
    std::map<std::pair<uint32_t, int>, QString> texts;
    ColumnStringTree() {
        tree.show();
        tree.resize(300 + tree.width() - tree.viewport()->width(), 200 + tree.height() - tree.viewport()->height());
        auto& columns = tree.Header().Columns();
        for (int i = 0; i < 3; ++i) columns.Add()->SetWidth(100);
        tree.Header().SetOptions(tree.Header().Options() + hoVisible);
        tree.OnGetText = [this](TCustomLazyStringTree*, PLazyNode node, TColumnIndex column, TVSTTextType,
                                QString& text) {
            const auto it = texts.find({node->Index, column});
            text = it != texts.end() ? it->second : QStringLiteral("r%1c%2").arg(node->Index).arg(column);
        };
        tree.SetRootNodeCount(3);
        QApplication::processEvents();
    }
    TLazyTreeColumns& Columns() { return tree.Header().Columns(); }
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QKeyEvent press(QEvent::KeyPress, key, mods);
        QApplication::sendEvent(&tree, &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods);
        QApplication::sendEvent(&tree, &release);
    }
};

}  // namespace

TEST(LazyTreeColumnCells, CentredTextTooWideIsShortenedFromTheLeft) {
    ColumnStringTree t;
    t.Columns()[1].SetAlignment(TAlignment::taCenter);
    t.texts[{0, 1}] = QStringLiteral("a centred text far too wide for its cell");
    t.texts[{1, 1}] = QStringLiteral("ok");
    std::map<std::pair<uint32_t, int>, QString> drawn;
    t.tree.OnDrawText = [&](TCustomLazyStringTree*, TCanvas*, PLazyNode node, TColumnIndex column,
                            const QString& text, const plat::TRect&, bool&) { drawn[{node->Index, column}] = text; };
    const QImage shot = t.tree.viewport()->grab().toImage();
    EXPECT_TRUE(drawn[std::make_pair(0u, 1)].endsWith(QStringLiteral("...")));
    EXPECT_EQ(drawn[std::make_pair(1u, 1)], QStringLiteral("ok"));
    EXPECT_EQ(drawn[std::make_pair(0u, 2)], QStringLiteral("r0c2"));
    // The first ink of the shortened text lies at the cell's left, that of the short one centred.
    auto firstInk = [&](int row) {
        const int y0 = row * int(t.tree.DefaultNodeHeight());
        const QRgb background = shot.pixel(150, y0 + 1);
        for (int x = 101; x < 199; ++x)
            for (int y = y0 + 2; y < y0 + int(t.tree.DefaultNodeHeight()) - 2; ++y)
                if (shot.pixel(x, y) != background) return x;
        return -1;
    };
    EXPECT_LT(firstInk(0), 100 + 12);
    EXPECT_GT(firstInk(1), 100 + 30);
}

TEST(LazyTreeColumnCells, TabWalksTheCellsAskingTheHandler) {
    ColumnStringTree t;
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() +
                                             TLTSelectionOption::toExtendedFocus);
    t.tree.WantTabs = true;
    PLazyNode first = t.tree.GetFirst();
    t.tree.SetFocusedNodeAndColumn(first, 0);
    std::vector<TColumnIndex> asked;
    t.tree.OnFocusChanging = [&](TLazyTreeCore*, PLazyNode, PLazyNode, TColumnIndex, TColumnIndex column,
                                 bool& allowed) {
        asked.push_back(column);
        allowed = column != 1;  // the middle column refuses the focus
    };
    t.Key(Qt::Key_Tab);
    EXPECT_EQ(t.tree.FocusedNode(), first);
    EXPECT_EQ(t.tree.FocusedColumn(), 2);
    t.Key(Qt::Key_Tab);  // end of the row: the next row's first cell
    EXPECT_EQ(t.tree.FocusedNode(), t.tree.GetNext(first));
    EXPECT_EQ(t.tree.FocusedColumn(), 0);
    t.Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(t.tree.FocusedNode(), first);
    EXPECT_EQ(t.tree.FocusedColumn(), 2);
    EXPECT_NE(std::find(asked.begin(), asked.end(), 1), asked.end());
}

TEST(LazyTreeColumnCells, HitColumnAndAutoSpan) {
    ColumnStringTree t;
    t.texts[{1, 1}] = QString();  // an empty cell in the second row
    const int rowH = int(t.tree.DefaultNodeHeight());
    THitInfo hit;
    t.tree.GetHitTestInfoAt(150, 2, true, hit);
    EXPECT_EQ(hit.HitColumn, 1);
    EXPECT_TRUE(hit.HitPositions.Contains(THitPosition::hiOnItem));
    t.tree.GetHitTestInfoAt(150, rowH + 2, true, hit);
    EXPECT_EQ(hit.HitColumn, 1);
    // With auto span the empty cell belongs to the text spilling over from the left.
    t.tree.TreeOptions().SetAutoOptions(t.tree.TreeOptions().AutoOptions() + TLTAutoOption::toAutoSpanColumns);
    t.tree.GetHitTestInfoAt(150, rowH + 2, true, hit);
    EXPECT_EQ(hit.HitColumn, 0);
    EXPECT_TRUE(hit.HitPositions.Contains(THitPosition::hiOnItemRight));
    // Outside every column.
    t.Columns()[2].SetOptions(t.Columns()[2].Options() - coVisible);
    t.tree.GetHitTestInfoAt(250, 2, true, hit);
    EXPECT_EQ(hit.HitColumn, InvalidColumn);
    EXPECT_TRUE(hit.HitPositions.Contains(THitPosition::hiNowhere));
}

TEST(LazyTreeColumnCells, RangeFollowsTheColumns) {
    ColumnStringTree t;
    EXPECT_EQ(t.tree.RangeX(), 300);
    t.Columns()[0].SetWidth(250);
    EXPECT_EQ(t.tree.RangeX(), t.Columns().TotalWidth());
    EXPECT_EQ(t.tree.RangeX(), 450);
    // Ctrl+Right scrolls by the average column.
    t.Key(Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(t.tree.OffsetX(), -t.Columns().GetScrollWidth());
}

TEST(LazyTreeColumnCells, ClickOnACellFocusesItsColumnAndReportsIt) {
    ColumnStringTree t;
    t.tree.TreeOptions().SetSelectionOptions(t.tree.TreeOptions().SelectionOptions() +
                                             TLTSelectionOption::toExtendedFocus);
    std::vector<TColumnIndex> clicks;
    t.tree.OnColumnClick = [&](TBaseLazyTree*, TColumnIndex c, Qt::KeyboardModifiers) { clicks.push_back(c); };
    auto click = [&](QPoint p) {
        QMouseEvent down(QEvent::MouseButtonPress, p, t.tree.viewport()->mapToGlobal(p), Qt::LeftButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &down);
        QMouseEvent up(QEvent::MouseButtonRelease, p, t.tree.viewport()->mapToGlobal(p), Qt::LeftButton,
                       Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(t.tree.viewport(), &up);
    };
    click(QPoint(212, 5));  // on the text of the third cell
    EXPECT_EQ(t.tree.FocusedNode(), t.tree.GetFirst());
    EXPECT_EQ(t.tree.FocusedColumn(), 2);
    EXPECT_EQ(t.Columns().ClickIndex(), 2);
    // A column that refuses the focus keeps it where it was.
    t.Columns()[1].SetOptions(t.Columns()[1].Options() - coAllowFocus);
    click(QPoint(112, 5));
    EXPECT_EQ(t.tree.FocusedColumn(), 2);
    EXPECT_EQ(clicks, (std::vector<TColumnIndex>{2, 1}));
}

TEST(LazyTreeColumnCells, ColumnColoursAndTheFixedColumnThatDoesNotScroll) {
    ColumnStringTree t;
    t.Columns().Add()->SetWidth(100);
    const plat::TColor colours[] = {plat::clRed, plat::clLime, plat::clBlue, plat::clYellow};
    for (int i = 0; i < 4; ++i) t.Columns()[i].SetColor(colours[i]);
    t.Columns()[0].SetOptions(t.Columns()[0].Options() + coFixed);
    t.tree.SetOffsetX(-50);
    ASSERT_EQ(t.tree.OffsetX(), -50);
    const QImage shot = t.tree.viewport()->grab().toImage();
    const int y = 3 * int(t.tree.DefaultNodeHeight()) - 2;  // the last row, below its text
    auto at = [&](int x) { return plat::FromQRgb(shot.pixel(x, y)); };
    EXPECT_EQ(at(2), plat::ColorToRGB(plat::clRed));
    EXPECT_EQ(at(98), plat::ColorToRGB(plat::clRed));     // fixed: not scrolled away
    EXPECT_EQ(at(140), plat::ColorToRGB(plat::clLime));   // tree x 190
    EXPECT_EQ(at(160), plat::ColorToRGB(plat::clBlue));   // tree x 210
    EXPECT_EQ(at(299), plat::ColorToRGB(plat::clYellow)); // tree x 349
}

TEST(LazyTreeColumnCells, OnlyEditableColumnsAreEdited) {
    ColumnStringTree t;
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + TLTMiscOption::toEditable);
    PLazyNode first = t.tree.GetFirst();
    t.Columns()[1].SetOptions(t.Columns()[1].Options() - coEditable);
    EXPECT_TRUE(t.tree.CanEdit(first, 0));
    EXPECT_FALSE(t.tree.CanEdit(first, 1));
    t.tree.OnEditing = [](TBaseLazyTree*, PLazyNode, TColumnIndex, bool& allowed) { allowed = true; };
    EXPECT_TRUE(t.tree.CanEdit(first, 1));  // the handler may allow it
    t.tree.OnEditing = nullptr;
    // With grid extensions the editor of a left-aligned cell reaches to the cell's right edge.
    t.tree.TreeOptions().SetMiscOptions(t.tree.TreeOptions().MiscOptions() + TLTMiscOption::toGridExtensions);
    t.tree.SetFocusedNodeAndColumn(first, 2);
    ASSERT_TRUE(t.tree.EditNode(first, 2));
    QApplication::processEvents();
    const plat::TRect bounds = t.tree.GetDisplayRect(first, 2, true);
    EXPECT_GE(bounds.Left, 200);
    EXPECT_LT(bounds.Left, 230);
    t.tree.CancelEditNode();
}

TEST(ColumnTreePicture, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save a picture of a tree with columns";
    ColumnStringTree t;
    t.tree.setWindowTitle(QStringLiteral("Columns"));
    const char* captions[] = {"Device", "Value", "Unit"};
    for (int i = 0; i < 3; ++i) t.Columns()[i].SetText(QString::fromLatin1(captions[i]));
    t.Columns()[1].SetAlignment(TAlignment::taCenter);
    t.Columns()[1].SetCaptionAlignment(TAlignment::taCenter);
    t.texts[{0, 1}] = QStringLiteral("a centred text far too wide for its cell");
    t.tree.Header().SetSortColumn(1);
    t.tree.TreeOptions().SetPaintOptions(t.tree.TreeOptions().PaintOptions() + TLTPaintOption::toShowVertGridLines +
                                         TLTPaintOption::toShowHorzGridLines);
    t.tree.resize(360, 160);
    t.tree.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowExposed(&t.tree));
    QApplication::processEvents();
    t.tree.HeaderBar()->grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/column-header.png"));
    t.tree.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/column-tree.png"));
}

TEST(LazyTreeColumnCells, MovingAColumnRepaintsTheRows) {
    ColumnStringTree t;
    std::vector<std::pair<TColumnIndex, int>> drawn;
    t.tree.OnDrawText = [&](TCustomLazyStringTree*, TCanvas*, PLazyNode node, TColumnIndex column, const QString&,
                            const plat::TRect& r, bool&) {
        if (node->Index == 0) drawn.emplace_back(column, r.Left);
    };
    QApplication::processEvents();
    drawn.clear();
    t.Columns()[2].SetPosition(0);
    QApplication::processEvents();  // only the repaint the move asked for paints the rows
    ASSERT_FALSE(drawn.empty());
    const auto unit = std::find_if(drawn.begin(), drawn.end(), [](auto& d) { return d.first == 2; });
    ASSERT_NE(unit, drawn.end());
    EXPECT_LT(unit->second, 100);  // the moved column's text now starts in the first cell
}
