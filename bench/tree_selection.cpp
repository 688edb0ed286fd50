// The tree's selection over a million nodes: SelectAll and ClearSelection against the floor of a
// plain walk that sets (or clears) one flag per node, and deleting 10,000 and 100,000 selected nodes
// outside an update (each deletion leaves the sorted selection array at once, so the cost must grow
// linearly with the count).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>

#include "treeview/LazyTrees.h"

namespace {

constexpr int kNodes = 1000000;

std::unique_ptr<TLazyTreeCore> MillionTree() {
    auto t = std::make_unique<TLazyTreeCore>();
    t->SetNodeDataSize(4);
    t->TreeOptions().SetSelectionOptions(t->TreeOptions().SelectionOptions() + TLTSelectionOption::toMultiSelect);
    t->TreeOptions().SetAutoOptions(t->TreeOptions().AutoOptions() - TLTAutoOption::toAutoSort);
    t->SetRootNodeCount(kNodes);
    t->ValidateNode(nullptr, true);
    return t;
}

void BM_SelectAll(benchmark::State& state) {
    auto t = MillionTree();
    for (auto _ : state) {
        t->SelectAll(false);
        state.PauseTiming();
        if (t->SelectedCount() != uint32_t(kNodes)) state.SkipWithError("not all selected");
        t->ClearSelection();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond);

void BM_ClearSelection(benchmark::State& state) {
    auto t = MillionTree();
    for (auto _ : state) {
        state.PauseTiming();
        t->SelectAll(false);
        state.ResumeTiming();
        t->ClearSelection();
        if (t->SelectedCount() != 0) state.SkipWithError("still selected");
    }
}
BENCHMARK(BM_ClearSelection)->Unit(benchmark::kMillisecond);

// The floor: the same walk setting or clearing one state flag per node, nothing else.
void BM_FlagWalk(benchmark::State& state) {
    auto t = MillionTree();
    const bool set = state.range(0) != 0;
    for (auto _ : state) {
        for (PLazyNode n = t->GetFirst(); n; n = t->GetNext(n)) {
            if (set)
                n->States += TLazyNodeState::vsCutOrCopy;
            else
                n->States -= TLazyNodeState::vsCutOrCopy;
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_FlagWalk)->Arg(1)->Arg(0)->ArgName("set")->Unit(benchmark::kMillisecond);

// DeleteSelectedNodes of Count selected nodes, called outside an update (it brackets its own): the
// removals mark their entries and one pass packs the array, so the cost grows linearly.
void BM_DeleteSelected(benchmark::State& state) {
    const int count = int(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        auto t = MillionTree();
        const int stride = kNodes / count;
        for (PLazyNode n = t->GetFirst(); n; n = t->GetNextSibling(n))
            if (int(n->Index) % stride == 0) t->SetSelected(n, true);
        if (t->SelectedCount() != uint32_t(count)) state.SkipWithError("wrong selection");
        state.ResumeTiming();
        t->DeleteSelectedNodes();
        state.PauseTiming();
        if (t->SelectedCount() != 0 || t->RootNodeCount() != uint32_t(kNodes - count))
            state.SkipWithError("wrong count");
        t.reset();
        state.ResumeTiming();
    }
    state.counters["deleted"] = count;
}
BENCHMARK(BM_DeleteSelected)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

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
