// Printing a grid of 10,000 rows x 20 columns to a PDF file (the counting pass and the drawing
// pass), beside the same table as a QTextDocument printed to PDF through QPrinter, in the same run;
// and the counting pass alone at 10,000 and 100,000 rows (a preview whose start event refuses the
// drawing). Texts are set before the clock starts; the files go to a temporary folder.
#include "grid/ExGrid.h"
#include "grid/ExGridPrintLayout.h"

#include <QApplication>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int kCols = 20;

QString cellText(int c, int r) { return QStringLiteral("R%1C%2").arg(r).arg(c); }

std::unique_ptr<TExStringGrid> makeGrid(int rows) {
    auto g = std::make_unique<TExStringGrid>(nullptr);
    SetConfiguratorFormValues(*g);
    g->Loaded();
    g->SetColCount(kCols);
    g->SetRowCount(rows + 1);
    g->SetFixedRows(1);
    g->SetFixedCols(0);
    g->BeginUpdate();
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c < kCols; ++c) g->SetCells(c, r, r == 0 ? QStringLiteral("Column %1").arg(c) : cellText(c, r));
    g->EndUpdate();
    g->PrintSettings().SetFitToPage(fpShrink);
    g->PrintSettings().SetPageNr(ppBottomRight);
    return g;
}

void setPdf(QPrinter& p, const QString& file) {
    p.setOutputFormat(QPrinter::PdfFormat);
    p.setPageSize(QPageSize(QPageSize::A4));
    p.setOutputFileName(file);
}

void BM_PrintToPdf_Ours(benchmark::State& state) {
    QTemporaryDir dir;
    auto g = makeGrid(int(state.range(0)));
    setPdf(g->Printer(), dir.filePath("grid.pdf"));
    for (auto _ : state) g->Print();
    state.counters["pages"] = g->PrintNrOfPages();
}
BENCHMARK(BM_PrintToPdf_Ours)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The peer: the same cells as a text table with a header row, printed by the text document.
void BM_PrintToPdf_QTextDocument(benchmark::State& state) {
    QTemporaryDir dir;
    const int rows = int(state.range(0));
    QPrinter printer(QPrinter::HighResolution);
    setPdf(printer, dir.filePath("doc.pdf"));
    for (auto _ : state) {
        QTextDocument doc;
        QTextCursor cur(&doc);
        QTextTableFormat fmt;
        fmt.setHeaderRowCount(1);
        fmt.setBorder(0.5);
        fmt.setCellPadding(1);
        QTextTable* t = cur.insertTable(rows + 1, kCols, fmt);
        for (int r = 0; r <= rows; ++r)
            for (int c = 0; c < kCols; ++c)
                t->cellAt(r, c).firstCursorPosition().insertText(r == 0 ? QStringLiteral("Column %1").arg(c)
                                                                        : cellText(c, r));
        doc.print(&printer);
    }
}
BENCHMARK(BM_PrintToPdf_QTextDocument)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(2);

// The counting pass alone: a preview of an A4-sized image whose start event draws nothing.
void BM_CountPages_Ours(benchmark::State& state) {
    auto g = makeGrid(int(state.range(0)));
    g->OnPrintStart = [](QObject*, int32_t, int32_t& From, int32_t&) { From = 0; };
    QImage img(794, 1123, QImage::Format_RGB32);
    plat::TCanvas canvas(&img);
    for (auto _ : state) g->PrintPreview(canvas, plat::TRect(0, 0, 794, 1123));
    state.counters["pages"] = g->PrintNrOfPages();
}
BENCHMARK(BM_CountPages_Ours)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);

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
