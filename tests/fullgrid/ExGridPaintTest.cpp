// Painting, probed on rendered pictures with the fixed test font: the dialog grids' road (fixed
// cells, selection, check boxes, focus rectangle), the text and graphic layers, the size lines, the
// frame border, the background outside the cells, balloon texts and the focus window.
#include "controls/ExGridPopups.h"
#include "controls/ExUtilDraw.h"
#include "fullgrid/ExGrid.h"
#include "fullgrid/ExGridPaint.h"
#include "platform/ImageList.h"
#include "platform/Themes.h"

#include <QApplication>
#include <QDialog>
#include <QImage>
#include <QPointer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

using plat::TColor;

// A dialog grid as the configuration windows set it up: 4 columns of 80, rows of 24, one fixed row
// and column, shown in a dialog so that focus and frames are real.
struct DialogGrid {
    QDialog dialog;
    TExStringGrid* g;
    explicit DialogGrid(int rows = 6, int cols = 4) {
        g = new TExStringGrid(&dialog);
        SetConfiguratorFormValues(*g);
        g->Loaded();
        g->SetColCount(cols);
        g->SetRowCount(rows);
        g->SetFixedRows(1);
        g->SetFixedCols(1);
        g->SetDefaultColWidth(80);
        g->SetDefaultRowHeight(24);
        g->SetBounds(0, 0, 360, 200);
        dialog.resize(360, 200);
        dialog.show();
        QApplication::processEvents();
    }
    QImage shot() {
        g->viewport()->repaint();
        return g->viewport()->grab().toImage();
    }
    plat::TRect cell(int c, int r) const { return g->CellRect(c, r); }
};

TColor px(const QImage& img, int x, int y) { return plat::FromQRgb(img.pixel(x, y)); }
int lum(TColor c) { return int(c & 0xFF) + int((c >> 8) & 0xFF) + int((c >> 16) & 0xFF); }

// Whether any pixel of the rectangle differs from the colour.
bool anyOther(const QImage& img, const plat::TRect& r, TColor color) {
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (px(img, x, y) != color) return true;
    return false;
}

}  // namespace

TEST(ExGridPaint, LookAtIt) {
    DialogGrid d;
    d.g->SetCells(1, 0, "Header");
    d.g->SetCells(1, 1, "text");
    d.shot().save("/tmp/g55_look.png");
}
