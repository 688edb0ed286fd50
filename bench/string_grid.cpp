// The platform string grid at 1,000,000 rows x 10 columns against QTableView over a
// QAbstractTableModel holding the same texts in a std::vector<QString>, in the same run:
// - fill: ours through Cells, the peer's vector between beginResetModel and endResetModel;
// - render: the 1000 x 600 viewport at row 500,000 into a QImage (ours: a DrawCell that fills the
//   cell and writes one line), and ours at rows 1 and 999,000;
// - hit-test: 100,000 MouseToCell against indexAt;
// - row heights: 10,000 scattered heights, then the position of row 999,000, against
//   QHeaderView::resizeSection and sectionPosition.
// Each side reports the heap its filled table holds (heap_MiB: grid or view, model and texts).
#include "platform/StringGrid.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QTableView>
#include "bench/TablePeer.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kRows = 1'000'000;
constexpr int kCols = 10;
constexpr int kViewW = 1000, kViewH = 600;

// A pool of texts shared by both sides: cell (c, r) shows text (r * kCols + c) mod the pool.
const std::vector<QString>& pool() {
    static const std::vector<QString> p = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("plant/line%1/value").arg(i));
        return v;
    }();
    return p;
}
const QString& textOf(int c, int r) { return pool()[size_t(r * kCols + c) % pool().size()]; }

double heapMiB() {
    const struct mallinfo2 m = mallinfo2();
    return double(m.uordblks + m.hblkhd) / (1024.0 * 1024.0);
}

class Grid : public plat::TStringGrid {
public:
    Grid() {
        setAttribute(Qt::WA_DontShowOnScreen);
        SetBorderStyle(plat::bsNone);
        SetScrollBars(plat::ssNone);
        SetDefaultDrawing(false);
        SetColCount(kCols);
        resize(kViewW, kViewH);
        show();
    }
    using TStringGrid::RowAxis;

protected:
    void DrawCell(int c, int r, const plat::TRect& rect, plat::TGridDrawState s) override {
        plat::TCanvas& cv = Canvas();
        cv.Brush().SetColor(s.contains(plat::gdFixed) ? plat::clBtnFace : plat::clWindow);
        cv.FillRect(rect);
        cv.TextOut(rect.Left + 2, rect.Top + 2, Cells(c, r));
    }
};

void fill(Grid& g) {
    g.SetRowCount(kRows);
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) g.SetCells(c, r, textOf(c, r));
}

using Peer = TablePeer<kRows, kCols, kViewW, kViewH, textOf>;

void BM_Fill_Ours(benchmark::State& state) {
    pool();
    double heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = heapMiB();
        auto g = std::make_unique<Grid>();
        state.ResumeTiming();
        fill(*g);
        state.PauseTiming();
        heap = heapMiB() - before;
        g.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MiB"] = heap;
}
BENCHMARK(BM_Fill_Ours)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Fill_QTableView(benchmark::State& state) {
    pool();
    double heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const double before = heapMiB();
        auto p = std::make_unique<Peer>();
        state.ResumeTiming();
        p->model.fill();
        state.PauseTiming();
        heap = heapMiB() - before;
        p.reset();
        state.ResumeTiming();
    }
    state.counters["heap_MiB"] = heap;
}
BENCHMARK(BM_Fill_QTableView)->Unit(benchmark::kMillisecond)->Iterations(3);

// Filled once and shared by the benchmarks below, with the heap each side took.
double g_gridHeap = 0, g_peerHeap = 0;
Grid& grid() {
    static Grid* g = [] {
        const double before = heapMiB();
        auto* p = new Grid;
        fill(*p);
        g_gridHeap = heapMiB() - before;
        return p;
    }();
    return *g;
}
Peer& peer() {
    static Peer* p = [] {
        const double before = heapMiB();
        auto* q = new Peer;
        q->model.fill();
        g_peerHeap = heapMiB() - before;
        return q;
    }();
    return *p;
}

void renderOurs(benchmark::State& state, int top) {
    Grid& g = grid();
    g.SetTopRow(top);
    QImage img(g.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        g.viewport()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.counters["cells"] = double((g.VisibleColCount() + 2) * (g.VisibleRowCount() + 2));
    state.counters["heap_MiB"] = g_gridHeap;
}
void BM_Render_Ours_Row500000(benchmark::State& state) { renderOurs(state, 500'000); }
void BM_Render_Ours_Row1(benchmark::State& state) { renderOurs(state, 1); }
void BM_Render_Ours_Row999000(benchmark::State& state) { renderOurs(state, 999'000); }
BENCHMARK(BM_Render_Ours_Row500000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Render_Ours_Row1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Render_Ours_Row999000)->Unit(benchmark::kMicrosecond);

void BM_Render_QTableView_Row500000(benchmark::State& state) {
    Peer& p = peer();
    p.view.scrollTo(p.model.index(500'000, 0), QAbstractItemView::PositionAtTop);
    QImage img(p.view.viewport()->size(), QImage::Format_RGB32);
    for (auto _ : state) {
        p.view.viewport()->render(&img);
        benchmark::DoNotOptimize(img.constBits());
    }
    state.counters["heap_MiB"] = g_peerHeap;
}
BENCHMARK(BM_Render_QTableView_Row500000)->Unit(benchmark::kMicrosecond);

std::vector<QPoint> points() {
    std::mt19937 rng(5);
    std::vector<QPoint> v(100'000);
    for (QPoint& p : v) p = QPoint(int(rng() % kViewW), int(rng() % kViewH));
    return v;
}

void BM_HitTest_Ours(benchmark::State& state) {
    Grid& g = grid();
    g.SetTopRow(500'000);
    const auto pts = points();
    for (auto _ : state) {
        int64_t sum = 0;
        for (const QPoint& p : pts) {
            int c, r;
            g.MouseToCell(p.x(), p.y(), c, r);
            sum += c + r;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_HitTest_Ours)->Unit(benchmark::kMicrosecond);

void BM_HitTest_QTableView(benchmark::State& state) {
    Peer& p = peer();
    p.view.scrollTo(p.model.index(500'000, 0), QAbstractItemView::PositionAtTop);
    const auto pts = points();
    for (auto _ : state) {
        int64_t sum = 0;
        for (const QPoint& pt : pts) {
            const QModelIndex i = p.view.indexAt(pt);
            sum += i.row() + i.column();
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_HitTest_QTableView)->Unit(benchmark::kMicrosecond);

std::vector<std::pair<int, int>> heights() {
    std::mt19937 rng(9);
    std::vector<std::pair<int, int>> v(10'000);
    for (auto& [r, h] : v) {
        r = int(rng() % kRows);
        h = 10 + int(rng() % 40);
    }
    return v;
}

void BM_RowHeights_Ours(benchmark::State& state) {
    Grid& g = grid();
    const auto hs = heights();
    for (auto _ : state) {
        for (auto [r, h] : hs) g.SetRowHeights(r, h);
        benchmark::DoNotOptimize(g.RowAxis().Start(999'000));
        state.PauseTiming();
        g.SetDefaultRowHeight(24);  // back to no own heights
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RowHeights_Ours)->Unit(benchmark::kMillisecond);

void BM_RowHeights_QTableView(benchmark::State& state) {
    Peer& p = peer();
    QHeaderView* header = p.view.verticalHeader();
    const auto hs = heights();
    for (auto _ : state) {
        for (auto [r, h] : hs) header->resizeSection(r, h);
        benchmark::DoNotOptimize(header->sectionPosition(999'000));
        state.PauseTiming();
        for (auto [r, h] : hs) header->resizeSection(r, 24);
        benchmark::DoNotOptimize(header->sectionPosition(999'000));
        state.ResumeTiming();
    }
}
BENCHMARK(BM_RowHeights_QTableView)->Unit(benchmark::kMillisecond);

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
