// Outline nodes of the full string grid at 10,000 and 100,000 rows (one node per 10 rows, each
// with a nested node over its last 4 rows), beside the same work done node by node in the same
// run:
// - ours: ContractAll then ExpandAll, each one pass over the rows;
// - the peer: ContractNode for every node from the bottom up, then ExpandNode for every node.
// Ours also at 1,000,000 rows, where the peer would take hours. Ours grows with the rows; the
// peer shifts the rows below each node it touches.
#include "grid/ExGrid.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kSpan = 10;

std::unique_ptr<TExStringGrid> outline(int rows) {
    auto g = std::make_unique<TExStringGrid>();
    g->BeginUpdate();
    g->SetRowCount(rows + 1);
    for (int r = 1; r <= rows; ++r) g->SetCells(1, r, QStringLiteral("row"));
    for (int r = 1; r + kSpan - 1 <= rows; r += kSpan) {
        g->AddNode(r, kSpan);
        g->AddNode(r + kSpan - 4, 4);
    }
    g->EndUpdate();
    return g;
}

void BM_ContractAllExpandAll_Ours(benchmark::State& state) {
    auto g = outline(int(state.range(0)));
    for (auto _ : state) {
        g->ContractAll();
        g->ExpandAll();
    }
    if (g->NumHiddenRows() != 0) state.SkipWithError("rows left hidden");
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ContractAllExpandAll_Ours)->Arg(10'000)->Arg(100'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond);

void BM_NodeByNode_Peer(benchmark::State& state) {
    const int rows = int(state.range(0));
    auto g = outline(rows);
    for (auto _ : state) {
        g->BeginUpdate();
        // From the bottom, so each node's real row is its display row when it is reached.
        for (int r = (rows / kSpan - 1) * kSpan + 1; r >= 1; r -= kSpan) g->ContractNode(r);
        for (int r = 1; r + kSpan - 1 <= rows; r += kSpan) g->ExpandNode(r);
        g->EndUpdate();
    }
    if (g->NumHiddenRows() != 0) state.SkipWithError("rows left hidden");
}
BENCHMARK(BM_NodeByNode_Peer)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

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
