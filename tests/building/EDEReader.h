#pragma once
// The independent reader of the EDE files the tests write: libcsv with ";" as the delimiter.
#include <csv.h>

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <vector>

namespace building_tests {

// The records of an EDE file, each a list of its fields (Windows-1252 read as Latin-1 is enough for
// the texts the tests use).
inline std::vector<QStringList> readEde(const QByteArray& bytes) {
    struct State {
        std::vector<QStringList> records;
        QStringList current;
    } state;
    csv_parser p;
    csv_init(&p, 0);
    csv_set_delim(&p, ';');
    // Blanks belong to the fields: nothing is trimmed.
    csv_set_space_func(&p, [](unsigned char) { return 0; });
    const auto field = [](void* data, size_t len, void* s) {
        static_cast<State*>(s)->current << QString::fromLatin1(static_cast<const char*>(data), qsizetype(len));
    };
    const auto record = [](int, void* s) {
        auto* st = static_cast<State*>(s);
        st->records.push_back(st->current);
        st->current.clear();
    };
    csv_parse(&p, bytes.constData(), size_t(bytes.size()), field, record, &state);
    csv_fini(&p, field, record, &state);
    csv_free(&p);
    return state.records;
}

}  // namespace building_tests
