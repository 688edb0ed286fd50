#pragma once
// The grid's small pop-up windows: the arrows that point at the insertion place while a column or
// row is dragged, and the window that carries the glow around the current cell. Both are frameless
// top-level windows owned by their grid that never take the focus; where and when they show is the
// grid's business.
#include "controls/ExGridTypes.h"
#include "platform/Colors.h"
#include "platform/Controls.h"

#include <QPoint>
#include <array>

class TArrowWindow : public plat::TCustomControl {
public:
    using TArrow = std::array<QPoint, 7>;
    // Lime, shaped as the arrow of its direction, hidden until the grid shows it.
    TArrowWindow(QWidget* AOwner, TArrowDirection Direction);

    TArrowDirection Dir() const { return FDir; }
    const TArrow& Arrow() const { return FArrow; }
    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);

    // The outline of a direction. The window named for the left points right and the one named for
    // the right points left: each stands on that side of the insertion place.
    static TArrow ArrowPoints(TArrowDirection Direction);

protected:
    void Paint() override;

private:
    TArrowDirection FDir;
    TArrow FArrow;
    plat::TColor FColor = plat::clLime;
};

// Empty, disabled, top-most and of size 0 until the grid gives it a place, a region and a picture;
// shown without taking the activation from the grid's window.
class TGridFocusWindow : public plat::TCustomControl {
public:
    explicit TGridFocusWindow(QWidget* AOwner);

    plat::TColor Color() const { return FColor; }
    void SetColor(plat::TColor Value);

protected:
    void Paint() override;

private:
    plat::TColor FColor = plat::clRed;
};
