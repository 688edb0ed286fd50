// The column-states string: any text changes the grid consistently or not at all, and the string
// the grid then writes reads back to the same string.
#include "grid_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    g.StringToColumnStates(QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size)));
    fuzzgrid::checkConsistent(g);
    const QString written = g.ColumnStatesToString();
    g.StringToColumnStates(written);
    fuzzgrid::checkConsistent(g);
    if (g.ColumnStatesToString() != written) __builtin_trap();
    return 0;
}
