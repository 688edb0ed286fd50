#pragma once
// Value types of the string grid beyond the shared grid enumerations.
#include "controls/ExGridTypes.h"

#include <QColor>

// Which clicks open a column item's pop-up menu: on header cells, on data cells or on both, with the
// right or the left button.
enum TColumnPopupType : uint8_t {
    cpFixedCellsRClick, cpFixedCellsLClick, cpNormalCellsRClick, cpNormalCellsLClick, cpAllCellsRClick,
    cpAllCellsLClick
};

using plat::clWhite;
using plat::clWindow;

namespace gridcolor {
// The colour to paint, or an invalid colour for "use the palette's base colour".
QColor toQColor(TColor c);
}  // namespace gridcolor
