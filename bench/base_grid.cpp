// The base grid at 1,000,000 rows x 10 columns against QTableView over a QAbstractTableModel with
// the same texts, in the same run:
// - fill through Cells against the model's vector;
// - the 1000 x 600 page at row 500,000 by the common cell painter (solid backgrounds, grid lines,
//   default content), unmerged and with a 2 x 2 merged block every 10 rows;
// - 100,000 CellRects of merged cells near row 900,000 against unmerged ones.
#include "controls/BaseGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include "bench/TablePeer.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 10;
constexpr int kViewW = 1000, kViewH = 600;

const std::vector<QString>& pool() {
    static const std::vector<QString> p = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("plant/line%1/value").arg(i));
        return v;
    }();
    return p;
}
const QString& textOf(int c, int r) { return pool()[size_t(r * kCols + c) % pool().size()]; }

class Grid : public TBaseGrid {
public:
    Grid() {
        setAttribute(Qt::WA_DontShowOnScreen);
        SetBorderStyle(plat::bsNone);
        SetScrollBars(plat::ssNone);
        SetColCount(kCols);
        resize(kViewW, kViewH);
        show();
    }
};

void fill(Grid& g) {
    g.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) g.SetCells(c, r, textOf(c, r));
}

Grid& grid() {
    static Grid* g = [] {
        auto* p = new Grid;
        fill(*p);
        return p;
    }();
    return *g;
}

using Peer = TablePeer<kRows, kCols, kViewW, kViewH, textOf>;

Peer& peer() {
    static Peer* p = [] {
        auto* q = new Peer;
        q->model.fill();
        return q;
    }();
    return *p;
}

void BM_Fill_BaseGrid(benchmark::State& state) {
    pool();
    for (auto _ : state) {
        state.PauseTiming();
        auto g = std::make_unique<Grid>();
        state.ResumeTiming();
        fill(*g);
        state.PauseTiming();
        g.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Fill_BaseGrid)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Fill_QTableView(benchmark::State& state) {
    pool();
    for (auto _ : state) {
        state.PauseTiming();
        auto p = std::make_unique<Peer>();
        state.ResumeTiming();
        p->model.fill();
        state.PauseTiming();
        p.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Fill_QTableView)->Unit(benchmark::kMillisecond)->Iterations(3);

void render(benchmark::State& state, bool merged) {
    Grid& g = grid();
    // Blocks on the rows around the page only: the cost looked at is the page's.
    for (int r = 499'000; r < 501'000; r += 10) {
        if (merged)
            g.MergeCells(2, r, 2, 2);
        else if (g.IsMergedCell(2, r))
            g.SplitCells(2, r);
    }
    g.SetTopRow(500'000);
    QImage img(g.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        g.viewport()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}
void BM_Render_BaseGrid_Row500000(benchmark::State& state) { render(state, false); }
void BM_Render_BaseGrid_Row500000_Merged(benchmark::State& state) { render(state, true); }
BENCHMARK(BM_Render_BaseGrid_Row500000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Render_BaseGrid_Row500000_Merged)->Unit(benchmark::kMicrosecond);

void BM_Render_QTableView_Row500000(benchmark::State& state) {
    Peer& p = peer();
    p.view.scrollTo(p.model.index(500'000, 0), QAbstractItemView::PositionAtTop);
    QImage img(p.view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        p.view.viewport()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_Render_QTableView_Row500000)->Unit(benchmark::kMicrosecond);

void cellRects(benchmark::State& state, bool merged) {
    Grid& g = grid();
    for (int r = 900'000; r < 900'100; r += 2) {
        if (merged)
            g.MergeCells(5, r, 2, 2);
        else if (g.IsMergedCell(5, r))
            g.SplitCells(5, r);
    }
    g.SetTopRow(500'000);
    for (auto _ : state) {
        int64_t sum = 0;
        for (int i = 0; i < 100'000; ++i) sum += g.CellRect(5 + (i & 1), 900'000 + i % 100).Top;
        benchmark::DoNotOptimize(sum);
    }
}
void BM_CellRect_Unmerged_Row900000(benchmark::State& state) { cellRects(state, false); }
void BM_CellRect_Merged_Row900000(benchmark::State& state) { cellRects(state, true); }
BENCHMARK(BM_CellRect_Unmerged_Row900000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CellRect_Merged_Row900000)->Unit(benchmark::kMicrosecond);

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
