#pragma once
// Value types of the string grid beyond the shared grid enumerations.
#include "controls/ExGridTypes.h"

#include <QColor>

using plat::clWhite;
using plat::clWindow;

namespace gridcolor {
// The colour to paint, or an invalid colour for "use the palette's base colour".
QColor toQColor(TColor c);
}  // namespace gridcolor
