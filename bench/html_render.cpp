// 10,000 typical mini-HTML cells painted into 100 x 40 rectangles of an image by the renderer,
// beside QTextDocument rendering the same HTML in the same rectangles, in the same run. And the
// renderer measuring a 10 KB and a 100 KB text: the larger must take at most 12 times as long
// (layout is linear in the text's length).
#include "controls/ExHTMLRender.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTextDocument>
#include <benchmark/benchmark.h>

namespace {

constexpr int kCells = 10000;
constexpr int kCols = 10, kRows = 20;
constexpr int kCellW = 100, kCellH = 40;
const QString kCell = QStringLiteral("<B>Pump</B> <FONT COLOR=\"clRed\">3</FONT> bar <A HREF=\"x\">details</A>");

QImage target() { return QImage(kCols * kCellW, kRows * kCellH, QImage::Format_RGB32); }

plat::TRect cellRect(int i) {
    const int col = i % kCols, row = (i / kCols) % kRows;
    return plat::Rect(col * kCellW, row * kCellH, (col + 1) * kCellW, (row + 1) * kCellH);
}

void BM_RenderHTMLCells(benchmark::State& state) {
    QImage img = target();
    plat::TCanvas c(&img);
    c.Font().SetName(QStringLiteral("DejaVu Sans"));
    c.Font().SetSize(9);
    THTMLRenderIn in;
    in.Text = kCell;
    for (auto _ : state) {
        for (int i = 0; i < kCells; ++i) {
            in.Rect = cellRect(i);
            THTMLRenderOut out;
            RenderHTML(c, in, out);
        }
        c.Release();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

void BM_QTextDocumentCells(benchmark::State& state) {
    QImage img = target();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(9);
    const QString html =
        QStringLiteral("<b>Pump</b> <font color=\"red\">3</font> bar <a href=\"x\">details</a>");
    for (auto _ : state) {
        QPainter p(&img);
        for (int i = 0; i < kCells; ++i) {
            const QRect r = cellRect(i).toQRect();
            QTextDocument doc;
            doc.setDefaultFont(font);
            doc.setHtml(html);
            doc.setTextWidth(r.width());
            p.save();
            p.translate(r.topLeft());
            doc.drawContents(&p, QRectF(0, 0, r.width(), r.height()));
            p.restore();
        }
        p.end();
        benchmark::DoNotOptimize(img.constBits());
    }
    state.SetItemsProcessed(state.iterations() * kCells);
}

// Measuring a long text of words, tags, entities and line breaks.
void BM_RenderHTMLMeasure(benchmark::State& state) {
    const qsizetype bytes = state.range(0);
    QString text;
    while (text.size() < bytes)
        text += QStringLiteral("word <B>bold</B> &amp; <FONT SIZE=\"3\">big</FONT> <A HREF=\"x\">link</A><BR>");
    text.truncate(bytes);
    QImage img(200, 100, QImage::Format_RGB32);
    plat::TCanvas c(&img);
    THTMLRenderIn in;
    in.Text = text;
    in.Rect = plat::Rect(0, 0, 200, 100);
    in.MeasureOnly = true;
    for (auto _ : state) {
        THTMLRenderOut out;
        RenderHTML(c, in, out);
        benchmark::DoNotOptimize(out.YSize);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

BENCHMARK(BM_RenderHTMLCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QTextDocumentCells)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderHTMLMeasure)->Arg(10 * 1024)->Arg(100 * 1024)->Unit(benchmark::kMillisecond);

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
