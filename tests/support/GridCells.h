#pragma once
// What tests read of a grid the way a user meets it: where a cell is drawn in the grid widget and
// the colour its background is painted with.
#include "grid/ExGrid.h"
#include "platform/InplaceEdit.h"

#include <QRect>
#include <QWidget>

// The cell (display column) in the grid widget's coordinates; empty off screen.
inline QRect cellRect(const TExStringGrid& g, int displCol, int row) {
    const QRect r = g.CellRect(displCol, row).toQRect();
    return r.isEmpty() ? QRect() : r.translated(g.viewport()->pos());
}

// The background a cell (real column) is painted with, unselected and unfocused.
inline plat::TColor cellColor(TExStringGrid& g, int realCol, int row) {
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
    return brush.Color();
}
