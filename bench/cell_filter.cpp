// The grid's filter matching of 1,000,000 cells against one compiled expression, beside Qt's regular
// expressions matching the equivalent pattern over the same cells; and HTML stripping of 100,000
// cells, beside the same through Qt's regular-expression replace.
#include "controls/ExHTMLUtil.h"
#include "controls/ExUtil.h"
#include "platform/FormatSettings.h"

#include <QRegularExpression>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

constexpr int kFilterCells = 1000000;
constexpr int kHtmlCells = 100000;

const std::vector<QString>& cells() {
    static const std::vector<QString> v = [] {
        static const char* const kWords[] = {"pump", "valve", "Sensor", "motor", "Heater", "fan"};
        std::vector<QString> out;
        out.reserve(kFilterCells);
        for (int i = 0; i < kFilterCells; ++i)
            out.push_back(QStringLiteral("%1 %2/line%3").arg(QLatin1StringView(kWords[i % 6])).arg(i).arg(i % 97));
        return out;
    }();
    return v;
}

const std::vector<QString>& htmlCells() {
    static const std::vector<QString> v = [] {
        std::vector<QString> out;
        out.reserve(kHtmlCells);
        for (int i = 0; i < kHtmlCells; ++i)
            out.push_back(QStringLiteral("<b>Meter %1</b> <font color=\"#FF0000\">%2 kWh</font><br>"
                                         "<i>room</i> %3<HR>ok")
                              .arg(i)
                              .arg(i * 7 % 1000)
                              .arg(i % 40));
        return out;
    }();
    return v;
}

struct Pattern {
    const char* filter;  // the grid's filter text
    const char* regex;   // the same as a regular expression
    bool caseSensitive;
};

constexpr Pattern kPatterns[] = {
    {"*12*5*", "\\A.*12.*5.*\\z", true},
    {"sensor*line1?", "\\ASENSOR.*LINE1.\\z", false},
    {"pump*|valve*", "\\A(?:PUMP.*|VALVE.*)\\z", false},
};

void BM_FilterCompiled(benchmark::State& state) {
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    const Pattern& p = kPatterns[state.range(0)];
    const auto& v = cells();
    for (auto _ : state) {
        const FilterExpression f(QString::fromLatin1(p.filter), p.caseSensitive);  // once per filter run
        int64_t hits = 0;
        for (const QString& c : v) hits += f.matches(c);
        benchmark::DoNotOptimize(hits);
        state.counters["hits"] = static_cast<double>(hits);
    }
    state.SetItemsProcessed(state.iterations() * kFilterCells);
    state.SetLabel(p.filter);
}

void BM_FilterQRegularExpression(benchmark::State& state) {
    const Pattern& p = kPatterns[state.range(0)];
    const auto& v = cells();
    for (auto _ : state) {
        QRegularExpression re(QString::fromLatin1(p.regex), p.caseSensitive
                                                                ? QRegularExpression::DotMatchesEverythingOption
                                                                : QRegularExpression::DotMatchesEverythingOption |
                                                                      QRegularExpression::CaseInsensitiveOption);
        re.optimize();
        int64_t hits = 0;
        for (const QString& c : v) hits += re.match(c).hasMatch();
        benchmark::DoNotOptimize(hits);
        state.counters["hits"] = static_cast<double>(hits);
    }
    state.SetItemsProcessed(state.iterations() * kFilterCells);
    state.SetLabel(p.regex);
}

void BM_StripHTMLTags(benchmark::State& state) {
    const auto& v = htmlCells();
    for (auto _ : state) {
        qsizetype chars = 0;
        for (const QString& c : v) chars += StripHTMLTags(c).size();
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * kHtmlCells);
}

void BM_StripHTMLQRegularExpression(benchmark::State& state) {
    const auto& v = htmlCells();
    for (auto _ : state) {
        static const QRegularExpression br(QStringLiteral("<[BbHh][Rr]>"));
        static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
        qsizetype chars = 0;
        for (const QString& c : v) {
            QString t = c;
            t.replace(br, QStringLiteral("\r\n"));
            t.replace(tag, QString());
            chars += t.size();
        }
        benchmark::DoNotOptimize(chars);
    }
    state.SetItemsProcessed(state.iterations() * kHtmlCells);
}

BENCHMARK(BM_FilterCompiled)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterQRegularExpression)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StripHTMLTags)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StripHTMLQRegularExpression)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
