// The DeviceNet offset editor switching between two slaves of 65,535 input and 65,535 output bytes
// each: the byte grids are copied back into the slave shown and refilled with the other one. Beside
// it, the floor: the same cells of the same two grids filled with SetCells alone. The last line
// gives the ratio of the two, measured in the same run.
#include "fieldbus/UDefOffset.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kBytes = 65535;

// Both slaves with every byte placed (positions repeat: only the switching is measured here).
void writeFiles() {
    QByteArray net = "<DNET_Net><row ID=\"5\" NB_IN=\"65535\" NB_OUT=\"65535\" Mnemonic=\"a\"/>"
                     "<row ID=\"7\" NB_IN=\"65535\" NB_OUT=\"65535\" Mnemonic=\"b\"/></DNET_Net>";
    QByteArray off = "<Define_Offset>";
    for (int s = 0; s < 2; ++s) {
        off += "<Nodo_DNET>";
        for (const char* side : {"ByteIN", "ByteOUT"}) {
            off += QByteArray("<") + side + ">";
            for (int i = 0; i < kBytes; ++i)
                off += "<row Offset=\"" + QByteArray::number((i + s) % 1440) + "\" Mnemonic=\"byte " +
                       QByteArray::number(i) + "\"/>";
            off += QByteArray("</") + side + ">";
        }
        off += "</Nodo_DNET>";
    }
    off += "</Define_Offset>";
    QFile n(g_DNETMNetFile), o(g_DNETMDefOffFile);
    if (!n.open(QIODevice::WriteOnly) || n.write(net) != net.size() || !o.open(QIODevice::WriteOnly) ||
        o.write(off) != off.size())
        std::abort();
}

void BM_SwitchSlaves(benchmark::State& state) {
    TFDefOffset f;
    f.show();
    QApplication::processEvents();
    if (f.List_Slaves_DN.size() != 2 || f.CG_ByteOUT->RowCount() != kBytes + 1) std::abort();
    int next = 2;
    for (auto _ : state) {
        f.CG_DN_Slaves->ClickCell(next, 1);
        next = 3 - next;
    }
    if (f.CG_ByteIN->Cells(2, kBytes) != QStringLiteral("byte 65534")) std::abort();
    state.SetItemsProcessed(int64_t(state.iterations()) * kBytes * 2);
}

void BM_SetCellsFloor(benchmark::State& state) {
    std::vector<QString> numbers, offsets[2], mnemonics;
    for (int i = 0; i < kBytes; ++i) {
        numbers.push_back(QString::number(i));
        mnemonics.push_back(QStringLiteral("byte %1").arg(i));
        for (int s = 0; s < 2; ++s) offsets[s].push_back(QString::number((i + s) % 1440));
    }
    TExColumnGrid in, out;
    for (TExColumnGrid* g : {&in, &out}) {
        g->SetColCount(3);
        g->SetRowCount(kBytes + 1);
    }
    int s = 1;
    for (auto _ : state) {
        for (TExColumnGrid* g : {&in, &out})
            for (int i = 0; i < kBytes; ++i) {
                g->SetCells(0, i + 1, numbers[size_t(i)]);
                g->SetCells(1, i + 1, offsets[s][size_t(i)]);
                g->SetCells(2, i + 1, mnemonics[size_t(i)]);
            }
        s = 1 - s;
    }
    state.SetItemsProcessed(int64_t(state.iterations()) * kBytes * 2);
}

BENCHMARK(BM_SwitchSlaves)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetCellsFloor)->Unit(benchmark::kMillisecond);

// Keeps the time per iteration of each benchmark for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_ProjectPath = dir.path();
    Set_Files();
    writeFiles();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double sw = reporter.times["BM_SwitchSlaves"], floor = reporter.times["BM_SetCellsFloor"];
    if (sw > 0 && floor > 0) std::printf("switch / SetCells floor: %.2f\n", sw / floor);
    benchmark::Shutdown();
    return 0;
}
