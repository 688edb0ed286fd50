// Writing and reading back "M_Bus.xml" for a large network (250 meters of 100 values each),
// against the floor: pugixml parsing and saving the same document with nothing else done. Both run
// on the same bytes in the same run; the ratio of their times is the cost of the model's rules.
#include "mbus/MBusNetwork.h"

#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <sstream>
#include <string>

namespace {

mbus::TNodiList largeNetwork() {
    mbus::TNodiList nodes(250);
    for (int i = 0; i < int(nodes.size()); ++i) {
        mbus::TNodo& n = nodes[size_t(i)];
        n.Description = QStringLiteral("Heat meter building %1").arg(i);
        n.Node_ID_Primary = i % 251;
        n.Node_ID_Secondary = 10000000 + i;
        n.Node_ID_Type = uint8_t(i % 2);
        n.Cut_After = uint8_t(i % 4);
        n.MBus_Type = uint8_t(i % 5 == 0 ? 0 : 1);
        if (n.MBus_Type == 0) {
            n.wMBus_ManID = QStringLiteral("0x2C2D");
            n.wMBus_Add = QString::number(0x12345678 + i);
            n.wMBus_Ver = QStringLiteral("27");
            n.wMBus_DevType = QStringLiteral("7");
            n.wMBus_En_Key = 1;
            for (int k = 0; k < 16; ++k) n.wMBus_Key[size_t(k)] = QString::number((i + k) % 256);
        }
        n.Var_List.resize(100);
        for (int v = 0; v < 100; ++v) {
            mbus::TVariabile& x = n.Var_List[size_t(v)];
            x.Description = QStringLiteral("Energy tariff %1").arg(v);
            x.Type_Of_Data = v % 26;
            x.Function_Field = v % 4;
            x.Dimension = v % 8;
            x.Storage_Number = uint32_t(v) * 1000u;
            x.Tariff = v % 3;
            x.VIFE = uint8_t(v % 152);
            x.Position = uint8_t(v + 1);
            x.Topic = v - 1;
        }
    }
    return nodes;
}

const mbus::TNodiList& network() {
    static const mbus::TNodiList n = largeNetwork();
    return n;
}

const QByteArray& networkBytes() {
    static const QByteArray b = mbus::Network_To_Bytes(network());
    return b;
}

void BM_NetworkWriteAndRead(benchmark::State& state) {
    for (auto _ : state) {
        const QByteArray bytes = mbus::Network_To_Bytes(network());
        const mbus::TNetworkRead r = mbus::Network_From_Bytes(bytes);
        if (r.Status != mbus::TNetworkReadStatus::Whole || r.Nodes.size() != network().size())
            state.SkipWithError("the network did not read back whole");
        benchmark::DoNotOptimize(r.Nodes.data());
    }
    state.counters["file_MiB"] = double(networkBytes().size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_NetworkWriteAndRead)->Unit(benchmark::kMillisecond);

// The floor: the same document parsed into pugixml's tree and saved back to bytes.
void BM_PugixmlParseAndSave(benchmark::State& state) {
    const QByteArray& bytes = networkBytes();
    for (auto _ : state) {
        pugi::xml_document doc;
        if (!doc.load_buffer(bytes.constData(), size_t(bytes.size())))
            state.SkipWithError("pugixml refused the document");
        std::ostringstream out;
        doc.save(out, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        benchmark::DoNotOptimize(out.str().size());
    }
    state.counters["file_MiB"] = double(bytes.size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_PugixmlParseAndSave)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
