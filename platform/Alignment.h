#pragma once
// Horizontal alignment, shared by the edits, the check boxes and the grid's cells.
#include <cstdint>

namespace plat {

enum TAlignment : uint8_t { taLeftJustify, taRightJustify, taCenter };

}  // namespace plat
