// One completion of a typed text over 100,000 lookup texts, with the texts folded once when the
// lookup list is rebuilt, beside the floor: a plain loop that folds each text and compares its
// prefix at every key, in the same run. The typed text matches near the end of the list.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QStringList>

#include "dropdowns/DropDownCompletion.h"

namespace {

constexpr int kItems = 100000;

QStringList texts() {
    QStringList t;
    t.reserve(kItems);
    for (int i = 0; i < kItems; ++i) t << QStringLiteral("Device %1 in hall %2").arg(i).arg(i % 17);
    return t;
}

const QString kTyped = QStringLiteral("device 99990");

void BM_CompletionFoldedOnce(benchmark::State& state) {
    const dropdowns::TCompletionList list(texts(), false);
    for (auto _ : state) {
        const dropdowns::TCompletion c = dropdowns::Complete(kTyped, int(kTyped.size()), list);
        benchmark::DoNotOptimize(c.Index);
        if (c.Index != 99990) state.SkipWithError("wrong match");
    }
}

void BM_FoldEachTextAtEachKey(benchmark::State& state) {
    const QStringList t = texts();
    for (auto _ : state) {
        const QString key = kTyped.toUpper();
        int found = -1;
        for (int i = 0; i < t.size(); ++i)
            if (t[i].toUpper().startsWith(key)) {
                found = i;
                break;
            }
        benchmark::DoNotOptimize(found);
        if (found != 99990) state.SkipWithError("wrong match");
    }
}

BENCHMARK(BM_CompletionFoldedOnce)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FoldEachTextAtEachKey)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
