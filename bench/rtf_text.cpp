// Rich text of 100 KB and 1 MB (paragraphs of plain, bold, italic, coloured, sized, raised and
// non-ASCII runs) read into a text document and written back out as RTF, beside the same content
// through QTextDocument::setHtml and toHtml, in the same run. Reading must be no slower than
// setHtml, writing no slower than toHtml, and each 1 MB figure within 12 times its 100 KB one.
#include "controls/RtfRead.h"
#include "controls/RtfTextDocument.h"
#include "controls/RtfWrite.h"

#include <QApplication>
#include <QTextDocument>
#include <benchmark/benchmark.h>
#include <map>

namespace {

// The content as runs: Paragraphs of them.
TRtfDocument paragraphs(int Count) {
    TRtfDocument doc;
    doc.Fonts = {QStringLiteral("DejaVu Sans"), QStringLiteral("DejaVu Serif")};
    for (int i = 0; i < Count; ++i) {
        TRtfParagraph p;
        p.Align = static_cast<TRtfAlign>(i % 4);
        auto run = [&](const QString& text, auto&& set) {
            TRtfRun r;
            r.Format.Font = i % 2;
            r.Format.FontSize = 18;
            set(r.Format);
            r.Text = text;
            p.Runs.push_back(r);
        };
        run(QStringLiteral("Meter %1 reads ").arg(i), [](TRtfCharFormat&) {});
        run(QStringLiteral("%1.%2 m3").arg(i * 7).arg(i % 10), [](TRtfCharFormat& f) { f.Bold = true; });
        run(QStringLiteral(" at "), [](TRtfCharFormat&) {});
        run(QStringLiteral("Pumpe Süd – Zähler"), [](TRtfCharFormat& f) { f.Italic = true; });
        run(QStringLiteral(" alarm "), [](TRtfCharFormat& f) { f.Color = 0xC00000; f.FontSize = 24; });
        run(QStringLiteral("2"), [](TRtfCharFormat& f) { f.Offset = 40; });
        run(QStringLiteral(" Жук 日本 {x}\\y"), [](TRtfCharFormat& f) { f.Underline = true; });
        doc.Paragraphs.push_back(std::move(p));
    }
    return doc;
}

// As many paragraphs as make about Bytes of RTF.
TRtfDocument content(qsizetype Bytes) {
    // Paragraphs grow with their numbers: a first guess, then one correction by the written size.
    int count = int(Bytes * 1000 / WriteRtf(paragraphs(1000)).size());
    count = int(qint64(count) * Bytes / WriteRtf(paragraphs(count)).size());
    return paragraphs(count);
}

struct Texts {
    QString Rtf, Html;
};

// The same content as RTF and as the text document's HTML.
const Texts& texts(qsizetype Bytes) {
    static std::map<qsizetype, Texts> cache;
    auto it = cache.find(Bytes);
    if (it != cache.end()) return it->second;
    QTextDocument doc;
    FillTextDocument(content(Bytes), doc);
    Texts t{TextDocumentToRtf(doc), doc.toHtml()};
    return cache.emplace(Bytes, std::move(t)).first->second;
}

void BM_RtfRead(benchmark::State& state) {
    const Texts& t = texts(state.range(0));
    for (auto _ : state) {
        QTextDocument doc;
        RtfToTextDocument(t.Rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * t.Rtf.size());
    state.counters["rtf_bytes"] = double(t.Rtf.size());
}

void BM_HtmlRead(benchmark::State& state) {
    const Texts& t = texts(state.range(0));
    for (auto _ : state) {
        QTextDocument doc;
        doc.setHtml(t.Html);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * t.Html.size());
    state.counters["html_bytes"] = double(t.Html.size());
}

void BM_RtfWrite(benchmark::State& state) {
    const Texts& t = texts(state.range(0));
    QTextDocument doc;
    RtfToTextDocument(t.Rtf, doc);
    for (auto _ : state) {
        const QString out = TextDocumentToRtf(doc);
        benchmark::DoNotOptimize(out.size());
    }
}

void BM_HtmlWrite(benchmark::State& state) {
    const Texts& t = texts(state.range(0));
    QTextDocument doc;
    doc.setHtml(t.Html);
    for (auto _ : state) {
        const QString out = doc.toHtml();
        benchmark::DoNotOptimize(out.size());
    }
}

constexpr int64_t k100K = 100 * 1024, k1M = 1024 * 1024;
// The reader alone, into its runs: the share of reading that is ours.
void BM_RtfParse(benchmark::State& state) {
    const Texts& t = texts(state.range(0));
    for (auto _ : state) {
        const TRtfDocument d = ReadRtf(QStringView(t.Rtf));
        benchmark::DoNotOptimize(d.Paragraphs.size());
    }
    state.SetBytesProcessed(state.iterations() * t.Rtf.size());
}

BENCHMARK(BM_RtfParse)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RtfRead)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HtmlRead)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RtfWrite)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HtmlWrite)->Arg(k100K)->Arg(k1M)->Unit(benchmark::kMillisecond);

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
