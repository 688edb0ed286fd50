// The column items' stream: any bytes load whole or change nothing, the items stay one per column,
// and a stream the grid writes loads back.
#include "grid_fuzz.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TExColumnGrid& g = fuzzgrid::freshGrid();
    QBuffer in;
    in.setData(reinterpret_cast<const char*>(data), qsizetype(size));
    in.open(QIODevice::ReadOnly);
    g.LoadColumnsFromStream(in);
    fuzzgrid::checkConsistent(g);
    QBuffer out;
    out.open(QIODevice::ReadWrite);
    g.SaveColumnsToStream(out);
    out.seek(0);
    if (!g.LoadColumnsFromStream(out)) __builtin_trap();
    fuzzgrid::checkConsistent(g);
    return 0;
}
