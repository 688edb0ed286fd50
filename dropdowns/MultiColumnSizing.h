#pragma once
// The sizes of the multi-column drop-down's pop-up grid, as plain arithmetic: the grid's width,
// the pop-up height snapped to whole rows, and column widths scaled to the pop-up.
#include <vector>

namespace dropdowns {

// Twice the border plus every column, plus a vertical scroll bar when rows are hidden.
int MultiColumnGridWidth(const std::vector<int>& ColumnWidths, int BorderWidth, bool ScrollBar, int ScrollBarWidth);

// The pop-up height showing whole data rows: the fixed part (header and footer bars when shown,
// the header row and 2) plus as many rows of RowHeight as fit. A RowHeight of 0 or below leaves
// the height as it is (there is no row size to snap to).
int SnapDropDownHeight(int Height, int BarsHeight, int HeaderHeight, int RowHeight);

// The design widths scaled to Available pixels: each exact width rounded (halves to even), and
// the remainder carried from column to column, a column taking one pixel more once it passes 1.
// The total counts one pixel more than the widths.
std::vector<int> ScaleColumnWidths(const std::vector<int>& DesignWidths, int Available);

}  // namespace dropdowns
