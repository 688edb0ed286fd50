// Header streams from outside, loaded into the header of a tree with reordered columns. A stream
// that raises must leave the header exactly as it was (its own saved form unchanged); one that
// loads must leave a position array that is a permutation of the columns, edges that follow it,
// and a header that saves and loads again to the same bytes.
#include <QApplication>
#include <QFont>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "treeview/LazyTrees.h"
#include "treeview/LazyTreesStream.h"
#include "fuzz/QtFuzzApp.h"

namespace {

QByteArray Saved(TLTHeader& h) {
    TMemoryStream s;
    h.SaveToStream(s);
    return s.Data();
}

bool OrderWhole(TLazyTreeColumns& cs) {
    std::vector<TColumnIndex> order = cs.PositionToIndex();
    if (int(order.size()) != cs.Count()) return false;
    int left = 0;
    for (size_t p = 0; p < order.size(); ++p) {
        const TLazyTreeColumn* c = cs.Items(order[p]);
        if (!c || c->Position() != p) return false;
        int l = 0, r = 0;
        c->GetColumnEdges(l, r);
        if (l != left) return false;
        if (c->Options().Contains(TLTColumnOption::coVisible)) left = r;
    }
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < order.size(); ++i)
        if (order[i] != TColumnIndex(i)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzzqt::StartApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 16) return 0;
    TLazyStringTree t;
    TLTHeader& h = t.Header();
    for (int i = 0; i < 3; ++i) h.Columns().Add()->SetText(QStringLiteral("Column %1").arg(i));
    h.Columns()[2].SetPosition(0);
    h.Columns()[1].SetWidth(80);
    h.SetSortColumn(1);
    const QByteArray before = Saved(h);

    TMemoryStream stream(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    bool failed = false;
    try {
        h.LoadFromStream(stream);
    } catch (const EStreamError&) {
        failed = true;
    }
    if (h.States().Contains(THeaderState::hsLoading)) std::abort();
    if (failed) {
        if (Saved(h) != before) std::abort();
        return 0;
    }
    if (!OrderWhole(h.Columns())) std::abort();
    // What loaded saves and loads again to itself.
    const QByteArray once = Saved(h);
    TLazyStringTree again;
    TMemoryStream s(once);
    again.Header().LoadFromStream(s);
    if (Saved(again.Header()) != once) std::abort();
    return 0;
}
