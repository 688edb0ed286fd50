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
