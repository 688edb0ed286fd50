#pragma once
// Value types of the string grid beyond the shared grid enumerations.
#include "controls/ExGridTypes.h"

#include <QColor>

inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWhite = 0x00FFFFFF;

namespace gridcolor {
// The colour to paint, or an invalid colour for "use the palette's base colour".
QColor toQColor(TColor c);
}  // namespace gridcolor
