#include "fieldbus/CANopenLists.h"

#include "grid/ExCGrid.h"

namespace canopen {

void Delete_Row(int Row, TExColumnGrid& Grid) {
    if (Row < 1 || Row >= Grid.RowCount()) return;
    const int last = Grid.RowCount() - 1;
    for (int r = Row; r < last; ++r)
        for (int c = 1; c < Grid.ColCount(); ++c) Grid.SetCells(c, r, Grid.Cells(c, r + 1));
    for (int c = 1; c < Grid.ColCount(); ++c) Grid.SetCells(c, last, QString());
}

}  // namespace canopen
