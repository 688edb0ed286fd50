#include "shell/AccessListFile.h"

#include "platform/IntConv.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <algorithm>
#include <cstring>

namespace accesslist {
namespace {

QString latin(const char* s) { return QString::fromLatin1(s); }

QString fileError(const Schema& schema, const QString& what) {
    return QStringLiteral("Error in \"%1\": %2").arg(latin(schema.fileName), what);
}

// A decimal integer: leading blanks, an optional sign, digits and nothing else.
bool decimalDigits(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    if (i >= text.size()) return false;
    for (; i < text.size(); ++i)
        if (text[i] < u'0' || text[i] > u'9') return false;
    return true;
}

// The rows of one section element (or of the root) into `rows`; false with `error` at a row
// without a required attribute.
bool readRows(const Schema& schema, const Section& section, int capacity, const plat::XmlElement& parent,
              Rows& rows, int& surplus, QString& error) {
    // Every child element is a row, whatever its name: files of other writers stay readable.
    const std::vector<plat::XmlElement> elements = parent.childElements();
    const size_t kept = std::min(elements.size(), size_t(std::max(capacity, 0)));
    surplus = int(elements.size() - kept);
    for (size_t i = 0; i < kept; ++i) {
        Row row = resetRow(section);
        const pugi::xml_node node = elements[i].node();
        for (size_t a = 0; a < section.attributes.size(); ++a) {
            const Attribute& attr = section.attributes[a];
            const int column = int(a) + 1;
            if (!attr.name) continue;  // not kept in the file: the reset text stays
            // Attribute names are ASCII: looked up as they stand, without a conversion per row.
            if (const pugi::xml_attribute value = node.attribute(attr.name)) {
                const char* v = value.value();
                const bool listed = attr.items.empty() ||
                                    std::any_of(attr.items.begin(), attr.items.end(),
                                                [v](const char* item) { return std::strcmp(v, item) == 0; });
                row[column] = listed ? QString::fromUtf8(v) : latin(attr.fallback);
                continue;
            }
            if (attr.missing == Missing::Default) {
                row[column] = latin(attr.fallback);
            } else if (attr.missing == Missing::Required) {
                const QString where = section.element
                                          ? QStringLiteral("section \"%1\", row %2").arg(latin(section.element)).arg(i + 1)
                                          : QStringLiteral("row %1").arg(i + 1);
                error = fileError(schema,
                                  QStringLiteral("%1: the attribute \"%2\" is missing").arg(where, latin(attr.name)));
                return false;
            }
        }
        if (section.afterRead) {
            const AttributeLookup lookup = [&node](const char* name) -> std::optional<QString> {
                if (const pugi::xml_attribute value = node.attribute(name)) return QString::fromUtf8(value.value());
                return std::nullopt;
            };
            section.afterRead(lookup, row);
        }
        rows.push_back(std::move(row));
    }
    return true;
}

}  // namespace

int listNumber(const QString& text, NumberRule rule) {
    if (rule == NumberRule::Decimal && !decimalDigits(text)) return -1;
    return plat::tryStrToInt(text).value_or(-1);
}

Row resetRow(const Section& section) {
    Row row;
    row.reserve(section.columns());
    row.append(QString());
    for (const Attribute& a : section.attributes) row.append(latin(a.reset));
    if (section.enableColumn > 0 && section.enableColumn < section.columns())
        row[section.enableColumn] = QStringLiteral("Y");
    return row;
}

ReadResult readList(const Schema& schema, const QByteArray& bytes) {
    std::vector<int> capacities;
    for (const Section& section : schema.sections) capacities.push_back(section.capacity);
    return readList(schema, bytes, capacities);
}

ReadResult readList(const Schema& schema, const QByteArray& bytes, const std::vector<int>& capacities) {
    ReadResult result;
    result.sections.resize(schema.sections.size());
    result.surplus.assign(schema.sections.size(), 0);
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(bytes, &parseError)) {
        result.error = fileError(schema, parseError);
        return result;
    }
    const plat::XmlElement root = doc.root();
    if (root.isNull()) {
        result.error = fileError(schema, QStringLiteral("the document has no root element"));
        return result;
    }
    for (size_t s = 0; s < schema.sections.size(); ++s) {
        const Section& section = schema.sections[s];
        plat::XmlElement parent = root;
        if (section.element) {
            parent = root.child(latin(section.element));
            if (parent.isNull()) {
                result.error =
                    fileError(schema, QStringLiteral("the section \"%1\" is missing").arg(latin(section.element)));
                return result;
            }
        }
        const int capacity = s < capacities.size() ? capacities[s] : section.capacity;
        if (!readRows(schema, section, capacity, parent, result.sections[s], result.surplus[s], result.error))
            return result;
    }
    return result;
}

void writeList(const Schema& schema, const std::vector<Rows>& sections, plat::XmlDocument& doc) {
    plat::XmlElement root = doc.createRoot(latin(schema.root));
    if (schema.version) doc.appendComment(QStringLiteral("SW_VERSION = ") + latin(schema.version));
    for (size_t s = 0; s < schema.sections.size(); ++s) {
        const Section& section = schema.sections[s];
        plat::XmlElement parent = section.element ? root.appendChild(latin(section.element)) : root;
        if (s >= sections.size()) continue;
        const Rows& rows = sections[s];
        const int end = rowListLength(section, rows);
        // A new row element has no attributes yet, so each one is appended in column order as it
        // stands; names are ASCII and go in without a conversion per row.
        for (int r = 0; r < end; ++r) {
            pugi::xml_node e = parent.node().append_child(schema.rowElement);
            const Row& row = rows[size_t(r)];
            for (size_t a = 0; a < section.attributes.size(); ++a)
                if (section.attributes[a].name)
                    e.append_attribute(section.attributes[a].name).set_value(row.value(int(a) + 1).toUtf8().constData());
        }
    }
}

bool keyEmpty(const Section& section, const Row& row) {
    if (section.keyColumn == kNoKey) return false;
    const QString key = row.value(section.keyColumn);
    return section.keyTrim == KeyTrim::Trimmed ? TrimCtl(key).isEmpty() : key.isEmpty();
}

int rowListLength(const Section& section, const Rows& rows) {
    int n = 0;
    while (n < int(rows.size()) && !keyEmpty(section, rows[size_t(n)])) ++n;
    return n;
}

bool stored(const Section& section, int column) {
    return column >= 1 && column < section.columns() && section.attributes[size_t(column - 1)].name;
}

bool rowInUse(const Section& section, const Row& row) {
    // Only what the file keeps counts: a window's own hidden columns hold nothing to lose.
    for (int c = 1; c < row.size() && c < section.columns(); ++c) {
        if (!stored(section, c)) continue;
        if (std::find(section.flagColumns.begin(), section.flagColumns.end(), c) != section.flagColumns.end())
            continue;
        if (!TrimCtl(row[c]).isEmpty()) return true;
    }
    return false;
}

// Rules ---------------------------------------------------------------------------------------------

Check inRange(int column, int64_t lo, int64_t hi, int text) {
    return [=](const RowView& row) -> std::optional<Failure> {
        const int v = row.number(column);
        if (v < lo || v > hi) return Failure{text, {}};
        return std::nullopt;
    };
}

Check inRangeOwnText(int column, int64_t lo, int64_t hi, QString message) {
    return [=, message = std::move(message)](const RowView& row) -> std::optional<Failure> {
        const int v = row.number(column);
        if (v < lo || v > hi) return Failure{0, {}, -1, false, message};
        return std::nullopt;
    };
}

Check inRangeShowingLimit(int column, int64_t lo, int64_t hi, int text, int suffix) {
    return [=](const RowView& row) -> std::optional<Failure> {
        const int v = row.number(column);
        if (v < lo || v > hi) return Failure{text, hi, suffix};
        return std::nullopt;
    };
}

Check oneOf(int column, std::vector<int> values, int text) {
    return [=, values = std::move(values)](const RowView& row) -> std::optional<Failure> {
        if (std::find(values.begin(), values.end(), row.number(column)) == values.end()) return Failure{text, {}};
        return std::nullopt;
    };
}

Check when(std::function<bool(const RowView&)> applies, Check check) {
    return [applies = std::move(applies), check = std::move(check)](const RowView& row) -> std::optional<Failure> {
        return applies(row) ? check(row) : std::nullopt;
    };
}

Check runningTotal(std::function<int64_t(const RowView&)> amount, int64_t limit, int text) {
    return [amount = std::move(amount), limit, text, total = int64_t(0)](const RowView& row) mutable
               -> std::optional<Failure> {
        total += amount(row);
        if (total > limit) return Failure{text, limit, -1, true};
        return std::nullopt;
    };
}

std::optional<char16_t> unsavableCharacter(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (!(c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD)))
            return c;
    }
    return std::nullopt;
}

Problem validate(const Schema& schema, const std::vector<Rows>& sections, const std::vector<SectionRules>& rules) {
    for (size_t s = 0; s < schema.sections.size() && s < sections.size(); ++s) {
        if (s < rules.size() && rules[s].hidden) continue;
        const Section& section = schema.sections[s];
        const Rows& rows = sections[s];
        const int end = rowListLength(section, rows);
        // Copies, so that checks keeping state along the rows start afresh in every run.
        std::vector<Check> checks = s < rules.size() ? rules[s].checks : std::vector<Check>{};
        for (int r = 0; r < end; ++r) {
            const Row& row = rows[size_t(r)];
            const RowView view{row, schema.numbers};
            const bool skipped = s >= rules.size() || (rules[s].skip && rules[s].skip(view));
            if (!skipped)
                for (Check& check : checks)
                    if (std::optional<Failure> f = check(view)) return {Problem::Check, int(s), r + 1, *f, 0};
            // Skipped rows are written too: a text the file cannot hold would make it unreadable.
            for (int c = 1; c < row.size() && c < section.columns(); ++c) {
                if (!stored(section, c)) continue;
                if (const std::optional<char16_t> bad = unsavableCharacter(row[c])) {
                    Problem p{Problem::Unsavable, int(s), r + 1, Failure{0, {}}, 0};
                    p.column = c;
                    p.character = *bad;
                    return p;
                }
            }
        }
        if (s < rules.size() && rules[s].listCheck)
            if (std::optional<ListFailure> f = rules[s].listCheck(rows, end, schema.numbers))
                return {Problem::Check, int(s), f->row, f->failure, 0};
        // Saving ends at the first empty key: a row in use below it would be lost without a word.
        for (int r = end + 1; r < int(rows.size()); ++r)
            if (rowInUse(section, rows[size_t(r)])) return {Problem::Gap, int(s), r + 1, Failure{0, {}}, end + 1};
        if (s < rules.size() && rules[s].finish)
            if (std::optional<Failure> f = rules[s].finish()) return {Problem::Check, int(s), 0, *f, 0};
    }
    return {};
}

// Messages -----------------------------------------------------------------------------------------

QString composeMessage(const QString& prefix, int row, const QString& text, std::optional<int64_t> limit,
                       const QString& suffix) {
    QString m = prefix + QString::number(row) + text;
    if (limit) m += QString::number(*limit);
    return m + suffix;
}

QString problemMessage(const Schema& schema, const Problem& problem, int prefixText, const QStringList& headers) {
    return problemMessage(schema, problem, Text_Table.value(prefixText), headers);
}

QString problemMessage(const Schema& schema, const Problem& problem, const QString& prefix, const QStringList& headers) {
    const char* label =
        size_t(problem.section) < schema.sections.size() ? schema.sections[size_t(problem.section)].label : "";
    // "[Receive PDO] " names the list in a window of two; a window of one needs no name.
    const QString named = *label ? QStringLiteral("[%1] ").arg(latin(label)) : QString();
    if (problem.kind == Problem::Check) {
        const Failure& f = problem.failure;
        const QString suffix = f.suffix >= 0 ? Text_Table.value(f.suffix) : QString();
        const QString text = f.own.isEmpty() ? Text_Table.value(f.text) : f.own;
        if (f.wholeList) {
            QString m = text;
            if (f.limit) m += QString::number(*f.limit);
            return m + suffix;
        }
        return composeMessage(f.prefix >= 0 ? Text_Table.value(f.prefix) : prefix, problem.row, text, f.limit,
                              suffix);
    }
    if (problem.kind == Problem::Unsavable) {
        return composeMessage(prefix, problem.row,
                              QStringLiteral("!! %1The %2 holds a character that cannot be saved (U+%3)")
                                  .arg(named, TrimCtl(headers.value(problem.column)))
                                  .arg(int(problem.character), 4, 16, QLatin1Char('0')),
                              std::nullopt, QString());
    }
    if (problem.kind == Problem::Gap) {
        const QString keyHeader = TrimCtl(headers.value(schema.sections[size_t(problem.section)].keyColumn));
        return composeMessage(
            prefix, problem.row,
            QStringLiteral("!! %1The %2 of row %3 above is empty, which ends the list: this row and every row "
                           "below row %3 would not be saved. Fill in the %2 of row %3 or delete that row.")
                .arg(named, keyHeader)
                .arg(problem.emptyKeyRow),
            std::nullopt, QString());
    }
    return {};
}

}  // namespace accesslist
