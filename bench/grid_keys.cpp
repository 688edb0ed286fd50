// The full string grid's keys and timer ticks at 1,000 and 1,000,000 rows x 8 columns, beside a
// QTableView over a table model holding the same texts (bench/TablePeer.h), in the same run:
// - 1,000 Down keys sent to each side one after another, no event loop between them;
// - the same keys, each followed by the event loop's turn that paints what it invalidated;
// - ours alone: 1,000 ticks of the grid timer with 40 blinking cells on screen.
// Both sides show a page of 40 rows and start every batch at the first row. Keys and ticks must
// cost what is visible, so each 1,000,000-row figure should stay close to its 1,000-row one.
#include "grid/ExGrid.h"
#include "platform/Timer.h"

#include "bench/TablePeer.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <vector>

namespace {

constexpr int kCols = 8;
constexpr int kColW = 64, kRowH = 24, kPageRows = 40;
constexpr int kViewW = kCols * kColW, kViewH = kPageRows * kRowH;
constexpr int kKeys = 1000;

// A pool of texts both sides share: cell (c, r) shows text (r * kCols + c) mod the pool.
const std::vector<QString>& pool() {
    static const std::vector<QString> p = [] {
        std::vector<QString> v;
        for (int i = 0; i < 4096; ++i) v.push_back(QStringLiteral("line%1/value").arg(i));
        return v;
    }();
    return p;
}
const QString& textOf(int c, int r) { return pool()[size_t(r * kCols + c) % pool().size()]; }

// Our grid, counting the cells its paints draw.
class CountingGrid : public TExStringGrid {
public:
    using TExStringGrid::TExStringGrid;
    int64_t cells = 0;

protected:
    void DrawCell(int c, int r, const plat::TRect& rect, plat::TGridDrawState s) override {
        ++cells;
        TExStringGrid::DrawCell(c, r, rect, s);
    }
};

// Our grid on a window of its own, filled once per row count and kept until the program ends.
struct Ours {
    QWidget form;
    CountingGrid* g;
    explicit Ours(int rows) : g(new CountingGrid(&form)) {
        SetConfiguratorFormValues(*g);
        g->Loaded();
        g->SetColCount(kCols);
        g->SetRowCount(rows + 1);
        g->SetFixedRows(1);
        g->SetFixedCols(0);
        g->SetDefaultColWidth(kColW);
        g->SetDefaultRowHeight(kRowH);
        g->SetScrollBars(plat::ssNone);
        g->BeginUpdate();
        for (int c = 0; c < kCols; ++c) g->SetCells(c, 0, QStringLiteral("Column %1").arg(c));
        for (int r = 1; r <= rows; ++r)
            for (int c = 0; c < kCols; ++c) g->SetCells(c, r, textOf(c, r));
        g->EndUpdate();
        const int frame = 2 * g->frameWidth();
        g->setGeometry(0, 0, kViewW + frame, kViewH + kRowH + frame);
        form.resize(g->size());
        form.show();
        QCoreApplication::processEvents();
        g->viewport()->setFocus();
    }
};

// The peer, shown on screen so that its updates are painted as ours are.
template <int Rows>
struct Peer {
    TablePeer<Rows, kCols, kViewW, kViewH, textOf> p;
    Peer() {
        p.model.fill();
        p.view.hide();
        p.view.setAttribute(Qt::WA_DontShowOnScreen, false);
        p.view.show();
        QCoreApplication::processEvents();
        p.view.setFocus();
    }
};

template <typename T, typename... Args>
T& kept(int key, Args&&... args) {
    static std::map<int, std::unique_ptr<T>>* all = new std::map<int, std::unique_ptr<T>>;
    auto& slot = (*all)[key];
    if (!slot) slot = std::make_unique<T>(std::forward<Args>(args)...);
    return *slot;
}

Ours& ours(int rows) { return kept<Ours>(rows, rows); }
QAbstractItemView& peerView(int rows) {
    if (rows == 1'000) return kept<Peer<1'000>>(rows).p.view;
    return kept<Peer<1'000'000>>(rows).p.view;
}

// One Down key: its press and its release, as the keyboard sends them.
void downKey(QWidget* target) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
}

void keys(benchmark::State& state, QWidget* target, const std::function<void()>& toFirstRow,
          const std::function<int()>& row, bool paint) {
    int moved = 0;
    for (auto _ : state) {
        state.PauseTiming();
        toFirstRow();
        QCoreApplication::processEvents();
        const int from = row();
        state.ResumeTiming();
        for (int i = 0; i < kKeys; ++i) {
            downKey(target);
            if (paint) QCoreApplication::processEvents();
        }
        state.PauseTiming();
        moved = row() - from;
        state.ResumeTiming();
    }
    state.counters["rows_moved"] = moved;
}

void BM_DownKeys_Ours(benchmark::State& state) {
    Ours& o = ours(int(state.range(0)));
    CountingGrid& g = *o.g;
    int paints = 0;
    g.OnPainted = [&](QObject*) { ++paints; };
    g.cells = 0;
    keys(state, g.viewport(), [&] { g.FocusCell(2, 1); }, [&] { return g.Row(); }, state.range(1) != 0);
    g.OnPainted = nullptr;
    state.counters["paints"] = benchmark::Counter(paints, benchmark::Counter::kAvgIterations);
    state.counters["cells_per_paint"] = paints > 0 ? double(g.cells) / paints : 0.0;
}

void BM_DownKeys_QTableView(benchmark::State& state) {
    auto& v = static_cast<QTableView&>(peerView(int(state.range(0))));
    keys(state, &v, [&] {
        v.setCurrentIndex(v.model()->index(0, 2));
        v.scrollToTop();
    }, [&] { return v.currentIndex().row(); }, state.range(1) != 0);
}

// Arguments: rows, and whether the event loop paints after every key.
BENCHMARK(BM_DownKeys_Ours)->ArgsProduct({{1'000, 1'000'000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DownKeys_QTableView)->ArgsProduct({{1'000, 1'000'000}, {0, 1}})->Unit(benchmark::kMillisecond);

// One whole page painted, for scale: what a key costs when it repaints everything.
void BM_PagePaint_Ours(benchmark::State& state) {
    TExStringGrid& g = *ours(int(state.range(0))).g;
    for (auto _ : state) g.viewport()->repaint();
}
void BM_PagePaint_QTableView(benchmark::State& state) {
    QAbstractItemView& v = peerView(int(state.range(0)));
    for (auto _ : state) v.viewport()->repaint();
}
BENCHMARK(BM_PagePaint_Ours)->Arg(1'000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PagePaint_QTableView)->Arg(1'000)->Unit(benchmark::kMicrosecond);

// 1,000 ticks of the grid timer with 40 blinking cells in the page at the middle of the grid.
void BM_BlinkTicks_Ours(benchmark::State& state) {
    const int rows = int(state.range(0));
    Ours& o = ours(rows);
    TExStringGrid& g = *o.g;
    const int top = rows / 2;
    g.SetTopRow(top);
    std::vector<QString> kept;
    for (int r = top; r < top + kPageRows; ++r) {
        kept.push_back(g.Cells(3, r));
        g.SetCells(3, r, QStringLiteral("<BLINK>%1</BLINK>").arg(r));
    }
    g.SetEnableBlink(true);
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (int i = 0; i < kKeys; ++i) g.GridTimerObject()->Fire();
        QCoreApplication::processEvents();
    }
    g.SetEnableBlink(false);
    for (int r = top; r < top + kPageRows; ++r) g.SetCells(3, r, kept[size_t(r - top)]);
    state.counters["ticks"] = double(g.TimerTicks());
}
BENCHMARK(BM_BlinkTicks_Ours)->Arg(1'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Timers tick only when the benchmark fires them.
    plat::TTimer::SetManual(true);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
