// The column grid's "CP" + i positions from any INI text: a permutation reorders the columns and
// leaves the designed indexes a permutation, anything else changes nothing.
#include "grid_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    g.LoadColumnPositions(fuzzgrid::scratchFile("cp.ini", data, size), QStringLiteral("G"));
    fuzzgrid::checkConsistent(g);
    std::vector<bool> seen(size_t(g.Columns().Count()), false);
    for (int i = 0; i < g.Columns().Count(); ++i) {
        const int d = g.Columns().Items(i).DefIdx;
        if (d < 0 || d >= g.Columns().Count() || seen[size_t(d)]) __builtin_trap();
        seen[size_t(d)] = true;
        // The designed column i still carries its header.
        if (g.Cells(i, 0) != QString(QChar(u'a' + d))) __builtin_trap();
    }
    return 0;
}
