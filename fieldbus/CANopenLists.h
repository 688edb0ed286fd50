#pragma once
// What the three CANopen lists (PDO, SDO client, SDO server) share: their column colours and their
// own row deletion.
#include "controls/ExGridTypes.h"

class TExColumnGrid;

namespace canopen {

inline constexpr TColor kIdentityColour = 16710368;  // pale cyan: identity, type and address columns
inline constexpr TColor kTimingColour = 11075496;    // light green: timing columns
inline constexpr TColor kAddressColour = 16045820;   // light pink: exchange-area positions

// Every row from Row + 1 on moves one up over columns 1 to ColCount - 1 and the last row is
// emptied there; column 0 keeps its numbers. The caller has asked first.
void Delete_Row(int Row, TExColumnGrid& Grid);

}  // namespace canopen
