// Column widths ("Col" + i) and order ("Pos" + i) from any INI text: the grid stays consistent.
#include "grid_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    // Some columns hidden first, as a grid in use may have them.
    if (size > 0 && (data[0] & 1)) g.HideColumn(1);
    if (size > 0 && (data[0] & 2)) g.HideColumn(3);
    g.ColumnSize().SetLocation(clIniFile);
    g.ColumnSize().SetKey(fuzzgrid::scratchFile("cols.ini", data, size));
    g.ColumnSize().SetSection(QStringLiteral("S"));
    // The string grid's "Pos" order; the column grid's own "CP" one has a target of its own.
    g.TExStringGrid::LoadColPositions();
    fuzzgrid::checkConsistent(g);
    g.LoadColSizes();
    fuzzgrid::checkConsistent(g);
    return 0;
}
