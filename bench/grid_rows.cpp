// Removing and hiding rows of the full string grid at 100,000 and 1,000,000 rows x 10 columns,
// beside a QStandardItemModel that removes the same rows (removeRows in contiguous batches, from
// the bottom up) and a std::vector of row pointers that erase-removes them (the floor), in the same
// run. Every side starts each iteration from a freshly filled table, built while the clock stands.
// - RemoveDuplicates on a key column with 50 % duplicates: the second half of the rows repeats
//   the keys of the first, in another case, so the whole second half goes;
// - RemoveSelectedRows and HideSelectedRows with every second row selected (disjunct row
//   selection): half a million single-row batches for the peer.
// HideSelectedRows stands beside BM_HideEverySecondRow_Ours of bench/grid_scale.cpp, which hides
// the same rows as one filter level and shows them again.
#include "grid/ExGrid.h"

#include <QApplication>
#include <QStandardItemModel>

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kCols = 10;

// Texts shared from a pool, as a table of repeated values holds them; column 1 is the key.
const QString& pooled(int c, int r) {
    static const std::vector<QString> pool = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("value %1").arg(i));
        return v;
    }();
    return pool[size_t(r * kCols + c) % pool.size()];
}

// The key of a row: the rows of the second half repeat the first half's keys in upper case (the
// look-up ignores case, so they are duplicates).
const std::vector<QString>& keys(int rows) {
    static std::map<int, std::vector<QString>> all;
    auto& k = all[rows];
    if (k.empty()) {
        const int half = rows / 2;
        k.reserve(size_t(rows));
        for (int r = 0; r < rows; ++r)
            k.push_back(r < half ? QStringLiteral("key%1x").arg(r) : QStringLiteral("KEY%1X").arg(r - half));
    }
    return k;
}

QString cellText(int c, int r, int rows) { return c == 1 ? keys(rows)[size_t(r)] : pooled(c, r); }

// Row 0 is the fixed header row; rows 1 .. n - 1 carry the data.
std::unique_ptr<TExStringGrid> filledGrid(int rows) {
    auto g = std::make_unique<TExStringGrid>();
    g->setAttribute(Qt::WA_DontShowOnScreen);
    g->SetColCount(kCols);
    g->resize(1000, 600);
    g->SetRowCount(rows);
    g->BeginUpdate();
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kCols; ++c) g->SetCells(c, r, cellText(c, r, rows));
    g->EndUpdate();
    g->show();
    QCoreApplication::processEvents();
    return g;
}

void selectEverySecondRow(TExStringGrid& g) {
    g.MouseActions().SetDisjunctRowSelect(true);
    g.BeginUpdate();
    for (int r = 1; r < g.RowCount(); r += 2) g.SetRowSelect(r, true);
    g.EndUpdate();
}

std::unique_ptr<QStandardItemModel> filledModel(int rows) {
    auto m = std::make_unique<QStandardItemModel>(rows, kCols);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kCols; ++c) m->setItem(r, c, new QStandardItem(cellText(c, r, rows)));
    return m;
}

// The rows the operation takes out: the duplicates (the second half) or every second row.
std::vector<int> goneRows(int rows, bool duplicates) {
    std::vector<int> gone;
    if (duplicates)
        for (int r = std::max(1, rows / 2); r < rows; ++r) gone.push_back(r);
    else
        for (int r = 1; r < rows; r += 2) gone.push_back(r);
    return gone;
}

// Contiguous runs of the rows, removed from the bottom up so no run moves before its turn.
void removeBatches(QStandardItemModel& m, const std::vector<int>& gone) {
    size_t end = gone.size();
    while (end > 0) {
        size_t start = end - 1;
        while (start > 0 && gone[start - 1] == gone[start] - 1) --start;
        m.removeRows(gone[start], int(end - start));
        end = start;
    }
}

using Row = std::array<QString, kCols>;
std::vector<std::unique_ptr<Row>> filledVector(int rows) {
    std::vector<std::unique_ptr<Row>> v;
    v.reserve(size_t(rows));
    for (int r = 0; r < rows; ++r) {
        auto row = std::make_unique<Row>();
        for (int c = 0; c < kCols; ++c) (*row)[size_t(c)] = cellText(c, r, rows);
        v.push_back(std::move(row));
    }
    return v;
}

enum Op { kDuplicates, kRemoveSelected, kHideSelected };

void runOurs(benchmark::State& state, Op op) {
    const int rows = int(state.range(0));
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto g = filledGrid(rows);
        if (op != kDuplicates) selectEverySecondRow(*g);
        state.ResumeTiming();
        switch (op) {
        case kDuplicates: g->RemoveDuplicates(1, false); break;
        case kRemoveSelected: g->RemoveSelectedRows(); break;
        case kHideSelected: g->HideSelectedRows(); break;
        }
        state.PauseTiming();
        left = g->RowCount();
        g.reset();
        state.ResumeTiming();
    }
    state.counters["rows_left"] = left;
}

void runPeer(benchmark::State& state, bool duplicates) {
    const int rows = int(state.range(0));
    const std::vector<int> gone = goneRows(rows, duplicates);
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto m = filledModel(rows);
        state.ResumeTiming();
        removeBatches(*m, gone);
        state.PauseTiming();
        left = m->rowCount();
        m.reset();
        state.ResumeTiming();
    }
    state.counters["rows_left"] = left;
}

void runFloor(benchmark::State& state, bool duplicates) {
    const int rows = int(state.range(0));
    const std::vector<int> gone = goneRows(rows, duplicates);
    int left = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto v = filledVector(rows);
        std::vector<char> drop(size_t(rows), 0);
        for (int r : gone) drop[size_t(r)] = 1;
        state.ResumeTiming();
        size_t i = 0;
        std::erase_if(v, [&](const std::unique_ptr<Row>&) { return drop[i++] != 0; });
        state.PauseTiming();
        left = int(v.size());
        v.clear();
        state.ResumeTiming();
    }
    state.counters["rows_left"] = left;
}

void BM_RemoveDuplicates_Ours(benchmark::State& s) { runOurs(s, kDuplicates); }
void BM_RemoveDuplicates_QStandardItemModel(benchmark::State& s) { runPeer(s, true); }
void BM_RemoveDuplicates_VectorFloor(benchmark::State& s) { runFloor(s, true); }
void BM_RemoveSelectedRows_Ours(benchmark::State& s) { runOurs(s, kRemoveSelected); }
void BM_RemoveEverySecondRow_QStandardItemModel(benchmark::State& s) { runPeer(s, false); }
void BM_RemoveEverySecondRow_VectorFloor(benchmark::State& s) { runFloor(s, false); }
void BM_HideSelectedRows_Ours(benchmark::State& s) { runOurs(s, kHideSelected); }

#define ROWS_BENCH(f, it) BENCHMARK(f)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->Iterations(it)
ROWS_BENCH(BM_RemoveDuplicates_Ours, 5);
ROWS_BENCH(BM_RemoveDuplicates_QStandardItemModel, 3);
ROWS_BENCH(BM_RemoveDuplicates_VectorFloor, 5);
ROWS_BENCH(BM_RemoveSelectedRows_Ours, 5);
ROWS_BENCH(BM_RemoveEverySecondRow_VectorFloor, 5);
ROWS_BENCH(BM_HideSelectedRows_Ours, 5);
// Half a million single-row removals each move the rows below them: quadratic, so one iteration.
ROWS_BENCH(BM_RemoveEverySecondRow_QStandardItemModel, 1);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
