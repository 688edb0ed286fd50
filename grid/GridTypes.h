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

// Placement of a cell's picture.
enum TCellHAlign : uint8_t { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };
enum TCellVAlign : uint8_t { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };

using plat::clNone;
using plat::clWhite;
using plat::clWindow;

namespace gridcolor {
// The colour to paint, or an invalid colour for "use the palette's base colour".
QColor toQColor(TColor c);
}  // namespace gridcolor
