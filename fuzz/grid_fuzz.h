#pragma once
// Shared by the full grid's layout fuzzers: one offscreen column grid made once, put back to five
// plain columns before each input, a scratch folder for the files the readers open, and the check
// that columns, hidden columns, items and the order list agree after each input.
#include "grid/ExCGrid.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstddef>
#include <cstdint>
#include "fuzz/QtFuzzApp.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

namespace fuzzgrid {

inline TExColumnGrid& grid() {
    static TExColumnGrid* g = [] {
        auto* grid = new TExColumnGrid;
        grid->SetFixedRows(1);
        grid->Loaded();
        return grid;
    }();
    return *g;
}

// Five shown columns in their designed order, each 64 wide, with headers.
inline TExColumnGrid& freshGrid() {
    TExColumnGrid& g = grid();
    g.UnHideColumnsAll();
    g.SetColCount(5);
    // Back to the designed order first, then that order is the one recorded.
    g.Columns().ResetOrganization();
    g.SetColumnOrder();
    for (int c = 0; c < 5; ++c) {
        g.SetColWidths(c, 64);
        g.SetCells(c, 0, QString(QChar(u'a' + c)));
    }
    g.Columns().SetOrganization();
    return g;
}

inline QString scratchFile(const char* name, const uint8_t* data, size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
    f.write(reinterpret_cast<const char*>(data), qint64(size));
    return path;
}

inline void checkConsistent(TExColumnGrid& g) {
    const int all = g.ColCount() + g.NumHiddenColumns();
    if (g.AllColCount() != all || g.Columns().Count() != all) __builtin_trap();
    int hidden = 0;
    for (int c = 0; c < all && c < 512; ++c) hidden += g.IsHiddenColumn(c);
    if (hidden != g.NumHiddenColumns()) __builtin_trap();
    for (int d = 0; d < g.ColCount(); ++d) {
        const int r = g.RealColIndex(d);
        if (r < 0 || r >= all || g.IsHiddenColumn(r) || g.DisplColIndex(r) != d) __builtin_trap();
    }
    std::vector<bool> seen(size_t(all), false);
    for (int v : g.ColumnOrder()) {
        if (v < 0 || v >= all || seen[size_t(v)]) __builtin_trap();
        seen[size_t(v)] = true;
    }
    for (int c = 0; c < g.ColCount(); ++c)
        if (g.ColWidths(c) < 0 || g.ColWidths(c) > 32767) __builtin_trap();
}

}  // namespace fuzzgrid
