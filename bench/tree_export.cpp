// The string tree's exports against their floor, on the same tree in the same run: ContentToHTML,
// ContentToRTF and ContentToText of 100,000 and 200,000 nodes in three levels (per top-level node 9
// children with 10 children each), with one cell per node (no header columns) and with three
// columns. The floor appends the same cell texts, in the same order, into one QString. The cell
// texts are made before the timing; OnGetText hands out shared copies. Counters: nodes per second
// and the document's size in bytes. Documents run to a hundred megabytes: unless the environment
// variable BENCH_FRESH_PAGES is set, the allocator keeps freed memory for the next iteration, so the
// figures show the work done rather than the cost of faulting fresh pages in, which on a virtual
// machine can outweigh it (set the variable to see that cost).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <malloc.h>
#include <map>
#include <memory>

#include "treeview/LazyTrees.h"

namespace {

struct BenchTree {
    std::unique_ptr<TLazyStringTree> tree = std::make_unique<TLazyStringTree>();
    std::vector<QString> texts;  // node number * columns + column
    int columns = 1;
    int nodes = 0;
};

BenchTree& Tree(int nodes, int columns) {
    // Kept to the end of the process: widgets may not outlive the application object's teardown.
    static auto* trees = new std::map<std::pair<int, int>, BenchTree>;
    BenchTree& b = (*trees)[{nodes, columns}];
    if (b.nodes) return b;
    b.nodes = nodes;
    b.columns = columns;
    TLazyStringTree& t = *b.tree;
    t.SetNodeDataSize(int(sizeof(int)));
    for (int c = 0; c < columns && columns > 1; ++c) {
        TLazyTreeColumn* col = t.Header().Columns().Add();
        col->SetText(QStringLiteral("Column %1").arg(c));
        col->SetWidth(120);
    }
    b.texts.reserve(size_t(nodes) * size_t(columns));
    int number = 0;
    auto add = [&](PLazyNode parent) {
        PLazyNode n = t.AddChild(parent);
        *t.GetNodeData<int>(n) = number;
        for (int c = 0; c < columns; ++c) b.texts.push_back(QStringLiteral("Meter %1 value %2").arg(number).arg(c));
        ++number;
        return n;
    };
    t.BeginUpdate();
    while (number < nodes) {
        PLazyNode top = add(nullptr);
        for (int i = 0; i < 9 && number < nodes; ++i) {
            PLazyNode child = add(top);
            for (int j = 0; j < 10 && number < nodes; ++j) add(child);
        }
    }
    t.EndUpdate();
    t.OnGetText = [&b](TCustomLazyStringTree* sender, PLazyNode node, TColumnIndex column, TVSTTextType type,
                       QString& text) {
        if (type == TVSTTextType::ttNormal)
            text = b.texts[size_t(*sender->GetNodeData<int>(node)) * size_t(b.columns) + size_t(std::max(column, 0))];
    };
    return b;
}

void Report(benchmark::State& state, int nodes, qsizetype bytes) {
    state.counters["nodes/s"] = benchmark::Counter(double(nodes), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = double(bytes);
}

// One untimed run first, so the allocator holds the document's memory before the timing starts.
template <typename Export>
void Measure(benchmark::State& state, Export&& Run) {
    BenchTree& b = Tree(int(state.range(0)), int(state.range(1)));
    qsizetype size = Run(b);
    for (auto _ : state) size = Run(b);
    Report(state, b.nodes, size);
}

void BM_Floor(benchmark::State& state) {
    Measure(state, [](BenchTree& b) {
        QString out;
        for (const QString& s : b.texts) out += s;
        benchmark::DoNotOptimize(out.data());
        return out.size() * 2;
    });
}

void BM_ContentToHTML(benchmark::State& state) {
    Measure(state, [](BenchTree& b) {
        const QString html = b.tree->ContentToHTML(TVSTTextSourceType::tstAll);
        benchmark::DoNotOptimize(html.data());
        return html.size() * 2;
    });
}

void BM_ContentToRTF(benchmark::State& state) {
    Measure(state, [](BenchTree& b) {
        const QByteArray rtf = b.tree->ContentToRTF(TVSTTextSourceType::tstAll);
        benchmark::DoNotOptimize(rtf.data());
        return rtf.size();
    });
}

void BM_ContentToText(benchmark::State& state) {
    Measure(state, [](BenchTree& b) {
        const QString text = b.tree->ContentToText(TVSTTextSourceType::tstAll, u'\t');
        benchmark::DoNotOptimize(text.data());
        return text.size() * 2;
    });
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int columns : {1, 3})
        for (int nodes : {100000, 200000}) b->Args({nodes, columns});
    b->ArgNames({"nodes", "columns"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Floor)->Apply(Sizes);
BENCHMARK(BM_ContentToHTML)->Apply(Sizes);
BENCHMARK(BM_ContentToRTF)->Apply(Sizes);
BENCHMARK(BM_ContentToText)->Apply(Sizes);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("BENCH_FRESH_PAGES")) {
        mallopt(M_MMAP_THRESHOLD, 1 << 30);
        mallopt(M_TRIM_THRESHOLD, 1 << 30);
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
