#pragma once
// What tests read of a grid the way a user meets it: where a cell is drawn in the grid widget and
// the colour its background is painted with.
#include "grid/ExGrid.h"
#include "platform/InplaceEdit.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QRect>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <vector>

// The cell (display column) in the grid widget's coordinates; empty off screen.
inline QRect cellRect(const TExStringGrid& g, int displCol, int row) {
    const QRect r = g.CellRect(displCol, row).toQRect();
    return r.isEmpty() ? QRect() : r.translated(g.viewport()->pos());
}

// What the painter gives a cell (real column), unselected and unfocused.
struct CellVisual {
    plat::TColor background;
    TAlignment alignment;
};
inline CellVisual cellVisual(TExStringGrid& g, int realCol, int row) {
    plat::TGridDrawState state;
    plat::TBrush brush;
    plat::TColor to = 0, mirror = 0, mirrorTo = 0;
    plat::TFont font;
    TAlignment ha = taLeftJustify;
    TVAlignment va = vtaTop;
    bool ww = false;
    TCellGradientDirection gd = GradientHorizontal;
    g.GetVisualProperties(g.DisplColIndex(realCol), row, state, false, false, true, brush, to, mirror, mirrorTo,
                          font, ha, va, ww, gd);
    return {brush.Color(), ha};
}

// The background a cell (real column) is painted with.
inline plat::TColor cellColor(TExStringGrid& g, int realCol, int row) { return cellVisual(g, realCol, row).background; }

// The pixel rows of a header cell (display column) that hold text: a pixel as dark as a letter's
// stroke, which the cell's shaded background never is. As many as a far taller header row shows
// when nothing of the header is cut.
inline int headerTextRows(TExStringGrid& g, int col) {
    // Inside the cell's edges and lines, which a taller row draws elsewhere.
    const QRect cell = cellRect(g, col, 0).adjusted(2, 2, -3, -3);
    if (cell.isEmpty()) return 0;
    const QImage image = g.grab(cell).toImage();
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool ink = false;
        for (int x = 0; x < image.width() && !ink; ++x) ink = qGray(image.pixel(x, y)) < 64;
        rows += ink;
    }
    return rows;
}

// The display columns whose header the header row cuts: their text takes more lines in a far
// taller header row. Each column is scrolled into view next to the fixed ones to be looked at.
inline std::vector<int> cutHeaders(TExStringGrid& g) {
    const int height = g.RowHeights(0), left = g.LeftCol();
    std::vector<int> cut;
    for (int c = 0; c < g.ColCount(); ++c) {
        if (c >= g.FixedCols()) g.SetLeftCol(c);
        const int shown = headerTextRows(g, c);
        g.SetRowHeights(0, 200);
        if (headerTextRows(g, c) != shown) cut.push_back(c);
        g.SetRowHeights(0, height);
    }
    g.SetLeftCol(left);
    return cut;
}

// A user's pick in a drop-down editor's list: the list opens and the item is clicked.
inline void pickInList(QComboBox* combo, int index) {
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible()) << "the list did not open";
    const QRect item = list->visualRect(list->model()->index(index, combo->modelColumn()));
    // The click brings its own press, so its release is a pick however soon it follows the opening.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
    ASSERT_FALSE(list->isVisible()) << "the list stayed open after the pick";
}
