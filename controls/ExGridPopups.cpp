#include "controls/ExGridPopups.h"

#include <QBitmap>
#include <QPainter>
#include <QPen>
#include <QPolygon>
#include <QRegion>
#include <algorithm>

namespace {

// Top-level, frameless, placed exactly where the grid puts it, and never activated.
constexpr Qt::WindowFlags kPopupFlags = Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                        Qt::X11BypassWindowManagerHint;

void fill(plat::TCanvas& canvas, const QWidget& widget, plat::TColor color) {
    canvas.Brush().SetColor(color);
    canvas.Pen().SetColor(color);
    canvas.FillRect(plat::Rect(0, 0, widget.width(), widget.height()));
}

}  // namespace

// ---- TArrowWindow ----

TArrowWindow::TArrow TArrowWindow::ArrowPoints(TArrowDirection Direction) {
    switch (Direction) {
        case arrUp:
            return {QPoint(5, 0), QPoint(10, 5), QPoint(7, 5), QPoint(7, 9), QPoint(3, 9), QPoint(3, 5), QPoint(0, 5)};
        case arrDown:
            return {QPoint(3, 0), QPoint(7, 0), QPoint(7, 4), QPoint(9, 4), QPoint(5, 8), QPoint(1, 4), QPoint(3, 4)};
        case arrLeft:
            return {QPoint(0, 3), QPoint(0, 7), QPoint(4, 7), QPoint(4, 10), QPoint(8, 5), QPoint(4, 0), QPoint(4, 3)};
        case arrRight:
            return {QPoint(0, 5), QPoint(4, 10), QPoint(4, 7), QPoint(8, 7), QPoint(8, 3), QPoint(4, 3), QPoint(4, 0)};
    }
    return {};
}

TArrowWindow::TArrowWindow(QWidget* AOwner, TArrowDirection Direction)
    : TCustomControl(AOwner), FDir(Direction), FArrow(ArrowPoints(Direction)) {
    setWindowFlags(kPopupFlags);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QPolygon outline;
    int right = 0, bottom = 0;
    for (const QPoint& p : FArrow) {
        outline << p;
        right = std::max(right, p.x());
        bottom = std::max(bottom, p.y());
    }
    resize(right + 1, bottom + 1);
    // The region is the arrow filled by the winding rule together with its outline, so the tip and
    // the other points belong to it (a bare polygon fill leaves out its right and bottom edges).
    QBitmap shape(size());
    shape.fill(Qt::color0);
    {
        QPainter painter(&shape);
        painter.setPen(QPen(Qt::color1, 0));
        painter.setBrush(Qt::color1);
        painter.drawPolygon(outline, Qt::WindingFill);
    }
    setMask(QRegion(shape));
    hide();
}

void TArrowWindow::SetColor(plat::TColor Value) {
    FColor = Value;
    update();
}

void TArrowWindow::Paint() { fill(Canvas(), *this, FColor); }

// ---- TGridFocusWindow ----

TGridFocusWindow::TGridFocusWindow(QWidget* AOwner) : TCustomControl(AOwner) {
    setWindowFlags(kPopupFlags | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setEnabled(false);
    resize(0, 0);
    hide();
}

void TGridFocusWindow::SetColor(plat::TColor Value) {
    FColor = Value;
    update();
}

void TGridFocusWindow::Paint() { fill(Canvas(), *this, FColor); }
