#pragma once
// What the building-automation list windows share: their column colours.
#include "controls/ExGridTypes.h"

namespace building {

inline constexpr TColor kIdentityColour = 16710368;  // pale cyan: what identifies a frame or an object
inline constexpr TColor kProtocolColour = 11075496;  // light green: how and when it travels
inline constexpr TColor kDataColour = 16045820;      // light pink: the data it carries

}  // namespace building
