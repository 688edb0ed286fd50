// A full SDO server list (2 x 500 rows, every attribute filled) read, validated and written
// through the access-list file unit, beside reading and writing the same document with pugixml
// alone (the floor: parse, copy every attribute out, build the document again, serialise).
#include "fieldbus/CANopenSchemas.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace {

QByteArray fullServerFile() {
    const accesslist::Schema& schema = canopen::sdoServerSchema();
    std::vector<accesslist::Rows> sections(2);
    for (int s = 0; s < 2; ++s)
        for (int r = 0; r < 500; ++r) {
            const int index = 0x2000 + s * 0x1000 + r;
            accesslist::Row row{QString(), QStringLiteral("0x%1").arg(index, 4, 16, QLatin1Char('0')),
                                QString::number(r % 256), QStringLiteral("4")};
            for (int k = 0; k < 4; ++k) row << QString::number((r * 4 + k) % 1440);
            row << QStringLiteral("Object %1 of the %2 page").arg(r).arg(s == 0 ? "read" : "write");
            sections[size_t(s)].push_back(row);
        }
    plat::XmlDocument doc;
    accesslist::writeList(schema, sections, doc);
    return doc.toBytes();
}

const QByteArray& file() {
    static const QByteArray bytes = fullServerFile();
    return bytes;
}

void BM_ListUnit(benchmark::State& state) {
    const accesslist::Schema& schema = canopen::sdoServerSchema();
    const std::vector<accesslist::SectionRules> rules = canopen::sdoServerRules(1440, 1440);
    for (auto _ : state) {
        const accesslist::ReadResult read = accesslist::readList(schema, file());
        if (!read.error.isEmpty() || read.sections[1].size() != 500) std::abort();
        if (accesslist::validate(schema, read.sections, rules).kind != accesslist::Problem::None) std::abort();
        plat::XmlDocument doc;
        accesslist::writeList(schema, read.sections, doc);
        const QByteArray out = doc.toBytes();
        if (out.size() != file().size()) std::abort();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * file().size());
}

void BM_PugixmlFloor(benchmark::State& state) {
    for (auto _ : state) {
        pugi::xml_document in;
        if (!in.load_buffer(file().constData(), size_t(file().size()), pugi::parse_default | pugi::parse_ws_pcdata_single))
            std::abort();
        std::vector<std::vector<std::vector<std::string>>> sections;
        const pugi::xml_node root = in.document_element();
        for (pugi::xml_node section : root.children()) {
            auto& rows = sections.emplace_back();
            for (pugi::xml_node row : section.children()) {
                auto& cells = rows.emplace_back();
                for (pugi::xml_attribute a : row.attributes()) cells.emplace_back(a.value());
            }
        }
        pugi::xml_document out;
        pugi::xml_node outRoot = out.append_child(root.name());
        out.append_child(pugi::node_comment).set_value("SW_VERSION = 1.000");
        size_t s = 0;
        for (pugi::xml_node section : root.children()) {
            pugi::xml_node outSection = outRoot.append_child(section.name());
            size_t r = 0;
            for (pugi::xml_node row : section.children()) {
                pugi::xml_node outRow = outSection.append_child("row");
                size_t c = 0;
                for (pugi::xml_attribute a : row.attributes())
                    outRow.append_attribute(a.name()).set_value(sections[s][r][c++].c_str());
                ++r;
            }
            ++s;
        }
        std::ostringstream text;
        out.save(text, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
        if (text.str().size() != size_t(file().size())) std::abort();
        benchmark::DoNotOptimize(text.str().data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * file().size());
}

BENCHMARK(BM_ListUnit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PugixmlFloor)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
