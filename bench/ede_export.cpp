// The EDE export of a full BACnet server (2 x 2000 objects) written to a file, beside reading the
// same object file with pugixml alone and writing as many bytes (the floor: parse, take the three
// attributes of every row, one write).
#include "building/UBACnet_EDE_File.h"
#include "platform/Files.h"
#include "platform/XmlDoc.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

const QByteArray& objectFile() {
    static const QByteArray bytes = [] {
        QByteArray b = "<BACnet_to_Modbus>";
        for (const char* section : {"BACnet_in_Read", "BACnet_in_Write"}) {
            b += QByteArray("<") + section + ">";
            for (int r = 0; r < 2000; ++r)
                b += "<row Data_Type=\"" + QByteArray(r % 3 ? "Analog Value" : "Multi State Value") + "\" Eng_Unit=\"" +
                     QByteArray::number(r % 237) + "\" Position=\"" + QByteArray::number(r % 1437) +
                     "\" Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"Room temperature " + QByteArray::number(r) + "\"/>";
            b += QByteArray("</") + section + ">";
        }
        return b + "</BACnet_to_Modbus>";
    }();
    return bytes;
}

const QByteArray kParGen = "<ParGen><BACnet_DEV_IDE>1234</BACnet_DEV_IDE></ParGen>";
const QDateTime kTime(QDate(2024, 2, 3), QTime(9, 5, 0));

qsizetype exportSize() {
    static const qsizetype n = [] {
        QString error;
        const std::optional<QByteArray> b = Build_EDE_Bytes(kParGen, objectFile(), QStringLiteral("Plant7"), kTime, &error);
        if (!b) std::abort();
        return b->size();
    }();
    return n;
}

void BM_EDEExport(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("export.csv"));
    for (auto _ : state) {
        QString error;
        const std::optional<QByteArray> b = Build_EDE_Bytes(kParGen, objectFile(), QStringLiteral("Plant7"), kTime, &error);
        if (!b || !Write_EDE_File(out, *b, &error)) std::abort();
    }
    state.counters["objects"] = 4000;
    state.SetBytesProcessed(int64_t(state.iterations()) * exportSize());
}

void BM_PugixmlAndWriteFloor(benchmark::State& state) {
    QTemporaryDir dir;
    const QString out = dir.filePath(QStringLiteral("floor.csv"));
    const std::string bytes(size_t(exportSize()), 'x');
    for (auto _ : state) {
        pugi::xml_document doc;
        if (!doc.load_buffer(objectFile().constData(), size_t(objectFile().size()))) std::abort();
        std::vector<std::string> fields;
        fields.reserve(12000);
        for (pugi::xml_node section : doc.document_element().children())
            for (pugi::xml_node row : section.children("row"))
                for (const char* a : {"Data_Type", "Eng_Unit", "Mnemonic"}) fields.emplace_back(row.attribute(a).value());
        if (fields.size() != 12000) std::abort();
        QFile f(out);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()))
            std::abort();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * exportSize());
}

// Of the export: loading the object file through the document facade alone (its conformance check
// included), to show what part of the export the reading takes.
void BM_FacadeLoadOnly(benchmark::State& state) {
    for (auto _ : state) {
        plat::XmlDocument doc;
        if (!doc.loadBytes(objectFile())) std::abort();
        benchmark::DoNotOptimize(doc.root());
    }
}

BENCHMARK(BM_EDEExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugixmlAndWriteFloor)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FacadeLoadOnly)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
