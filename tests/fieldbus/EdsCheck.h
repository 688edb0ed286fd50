#pragma once
// An independent reader of EDS files for the tests: the INI parser of libinih reads the text, then
// the rules a CANopen master's configuration tool applies to an EDS are checked on what it read.
// Nothing here knows how the writer builds the file.
#include <QByteArray>
#include <QMap>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>

#include <ini.h>

#include <optional>

namespace eds_check {

struct Ini {
    QMap<QString, QMap<QString, QString>> sections;  // section and key names in upper case
    QStringList problems;
};

inline int onEntry(void* user, const char* section, const char* name, const char* value) {
    Ini& ini = *static_cast<Ini*>(user);
    const QString s = QString::fromLatin1(section).toUpper();
    const QString k = QString::fromLatin1(name).toUpper();
    QMap<QString, QString>& keys = ini.sections[s];
    if (keys.contains(k)) ini.problems << QStringLiteral("[%1]: key %2 given twice").arg(s, k);
    keys.insert(k, QString::fromLatin1(value));
    return 1;
}

// An EDS number: decimal, or hexadecimal after "0x".
inline std::optional<uint32_t> number(const QString& text) {
    bool ok = false;
    const QString t = text.trimmed();
    const uint32_t v = t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive) ? t.mid(2).toUInt(&ok, 16)
                                                                               : t.toUInt(&ok, 10);
    return ok ? std::optional(v) : std::nullopt;
}

inline QString objectName(uint32_t index) { return QString::number(index, 16).toUpper().rightJustified(4, u'0'); }
inline QString subName(uint32_t index, uint32_t sub) {
    return objectName(index) + QStringLiteral("SUB") + QString::number(sub, 16).toUpper();
}

// Every broken rule, one text each; empty for a sound file.
inline QStringList check(const QByteArray& bytes) {
    QStringList problems;

    // The text itself: ASCII, every line ended by CR LF, each section once.
    if (!bytes.endsWith("\r\n")) problems << QStringLiteral("the last line has no CR LF");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c == '\n' && (i == 0 || bytes[i - 1] != '\r')) problems << QStringLiteral("LF without CR at %1").arg(i);
        if (c == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n'))
            problems << QStringLiteral("CR without LF at %1").arg(i);
        if (c != '\r' && c != '\n' && (c < 0x20 || c > 0x7E))
            problems << QStringLiteral("byte 0x%1 at %2 is not printable ASCII").arg(uint(c), 2, 16, QLatin1Char('0')).arg(i);
    }
    QSet<QString> seen;
    for (const QByteArray& line : bytes.split('\n')) {
        const QString l = QString::fromLatin1(line).trimmed();
        if (!l.startsWith(u'[')) continue;
        const QString name = l.mid(1, l.indexOf(u']') - 1).toUpper();
        if (seen.contains(name)) problems << QStringLiteral("section [%1] appears more than once").arg(name);
        seen.insert(name);
    }

    Ini ini;
    if (const int line = ini_parse_string(bytes.constData(), onEntry, &ini); line != 0)
        problems << QStringLiteral("the INI parser stops at line %1").arg(line);
    problems << ini.problems;
    const auto& sections = ini.sections;
    const auto value = [&sections](const QString& section, const char* key) {
        return sections.value(section).value(QString::fromLatin1(key));
    };

    for (const char* required : {"FILEINFO", "DEVICEINFO", "MANDATORYOBJECTS"})
        if (!sections.contains(QString::fromLatin1(required)))
            problems << QStringLiteral("no [%1]").arg(QString::fromLatin1(required));

    // The object lists: SupportedObjects entries numbered 1..n, each object listed once.
    QMap<uint32_t, QString> listed;
    for (const char* list : {"MANDATORYOBJECTS", "OPTIONALOBJECTS", "MANUFACTUREROBJECTS"}) {
        const QString name = QString::fromLatin1(list);
        if (!sections.contains(name)) continue;
        const QMap<QString, QString> keys = sections.value(name);
        const std::optional<uint32_t> count = number(keys.value(QStringLiteral("SUPPORTEDOBJECTS")));
        if (!count) {
            problems << QStringLiteral("[%1] has no SupportedObjects").arg(name);
            continue;
        }
        if (uint32_t(keys.size()) != *count + 1)
            problems << QStringLiteral("[%1]: SupportedObjects=%2 but %3 entries").arg(name).arg(*count).arg(keys.size() - 1);
        for (uint32_t k = 1; k <= *count; ++k) {
            const std::optional<uint32_t> index = number(keys.value(QString::number(k)));
            if (!index || *index > 0xFFFF) {
                problems << QStringLiteral("[%1]: entry %2 is not an index").arg(name).arg(k);
                continue;
            }
            if (listed.contains(*index))
                problems << QStringLiteral("object 0x%1 is listed twice").arg(objectName(*index));
            listed.insert(*index, name);
        }
    }

    static const QRegularExpression objectSection(QStringLiteral("^[0-9A-F]{4}$"));
    static const QRegularExpression subSection(QStringLiteral("^([0-9A-F]{4})SUB([0-9A-F]{1,2})$"));
    QMap<uint32_t, int> subCount;
    QSet<uint32_t> objects;
    for (auto it = sections.begin(); it != sections.end(); ++it) {
        if (objectSection.match(it.key()).hasMatch()) {
            objects.insert(it.key().toUInt(nullptr, 16));
        } else if (const QRegularExpressionMatch m = subSection.match(it.key()); m.hasMatch()) {
            const uint32_t index = m.captured(1).toUInt(nullptr, 16);
            const uint32_t sub = m.captured(2).toUInt(nullptr, 16);
            if (subName(index, sub) != it.key()) problems << QStringLiteral("[%1]: sub-index with leading zero").arg(it.key());
            ++subCount[index];
        }
    }
    for (auto it = listed.begin(); it != listed.end(); ++it)
        if (!objects.contains(it.key()))
            problems << QStringLiteral("object 0x%1 of [%2] has no section").arg(objectName(it.key()), it.value());
    for (const uint32_t index : objects)
        if (!listed.contains(index)) problems << QStringLiteral("section [%1] is in no object list").arg(objectName(index));
    for (auto it = subCount.begin(); it != subCount.end(); ++it)
        if (!objects.contains(it.key()))
            problems << QStringLiteral("sub-indexes of 0x%1 without their object").arg(objectName(it.key()));

    // Every variable, on its own or as a sub-index: its types from the allowed sets.
    static const QSet<uint32_t> dataTypes = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
                                             0x0C, 0x0D, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x18,
                                             0x19, 0x1A, 0x1B};
    static const QSet<QString> accessTypes = {QStringLiteral("ro"), QStringLiteral("wo"), QStringLiteral("rw"),
                                              QStringLiteral("rwr"), QStringLiteral("rww"), QStringLiteral("const")};
    const auto checkVariable = [&](const QString& section) {
        const std::optional<uint32_t> type = number(value(section, "DATATYPE"));
        if (!type || !dataTypes.contains(*type)) problems << QStringLiteral("[%1]: bad DataType").arg(section);
        if (!accessTypes.contains(value(section, "ACCESSTYPE").toLower()))
            problems << QStringLiteral("[%1]: bad AccessType").arg(section);
        const QString mapping = value(section, "PDOMAPPING");
        if (mapping != u"0" && mapping != u"1") problems << QStringLiteral("[%1]: bad PDOMapping").arg(section);
    };
    for (const uint32_t index : objects) {
        const QString name = objectName(index);
        const std::optional<uint32_t> type = number(value(name, "OBJECTTYPE"));
        if (!type || (*type != 7 && *type != 8 && *type != 9)) {
            problems << QStringLiteral("[%1]: bad ObjectType").arg(name);
            continue;
        }
        if (*type == 7) {
            checkVariable(name);
            if (subCount.contains(index)) problems << QStringLiteral("[%1]: a variable with sub-indexes").arg(name);
            continue;
        }
        const std::optional<uint32_t> subNumber = number(value(name, "SUBNUMBER"));
        if (!subNumber || int(*subNumber) != subCount.value(index))
            problems << QStringLiteral("[%1]: SubNumber=%2 but %3 sub-index sections")
                            .arg(name, value(name, "SUBNUMBER"))
                            .arg(subCount.value(index));
        for (uint32_t sub = 0; sub <= 0xFF; ++sub) {
            const QString s = subName(index, sub);
            if (!sections.contains(s)) continue;
            const std::optional<uint32_t> subType = number(value(s, "OBJECTTYPE"));
            if (!subType || *subType != 7) problems << QStringLiteral("[%1]: bad ObjectType").arg(s);
            checkVariable(s);
        }
    }

    // The PDO counts and the mapping: each entry names an 8-bit sub-object that may be mapped.
    const auto countIn = [&objects](uint32_t first, uint32_t last) {
        int n = 0;
        for (const uint32_t index : objects) n += index >= first && index <= last;
        return n;
    };
    if (number(value(QStringLiteral("DEVICEINFO"), "NROFRXPDO")) != uint32_t(countIn(0x1400, 0x15FF)))
        problems << QStringLiteral("NrOfRXPDO differs from the 0x14xx objects");
    if (number(value(QStringLiteral("DEVICEINFO"), "NROFTXPDO")) != uint32_t(countIn(0x1800, 0x19FF)))
        problems << QStringLiteral("NrOfTXPDO differs from the 0x18xx objects");
    for (const uint32_t index : objects) {
        if (!((index >= 0x1600 && index <= 0x17FF) || (index >= 0x1A00 && index <= 0x1BFF))) continue;
        const std::optional<uint32_t> entries = number(value(subName(index, 0), "DEFAULTVALUE"));
        if (!entries || *entries > 64) {
            problems << QStringLiteral("[%1]: no entry count").arg(objectName(index));
            continue;
        }
        for (uint32_t j = 1; j <= *entries; ++j) {
            const QString s = subName(index, j);
            const std::optional<uint32_t> entry = number(value(s, "DEFAULTVALUE"));
            if (!entry) {
                problems << QStringLiteral("[%1]: no mapping entry").arg(s);
                continue;
            }
            const QString target = subName(*entry >> 16, (*entry >> 8) & 0xFF);
            const std::optional<uint32_t> type = number(value(target, "DATATYPE"));
            if (!sections.contains(target) || (*entry & 0xFF) != 8 || !type || (*type != 0x02 && *type != 0x05) ||
                value(target, "PDOMAPPING") != u"1")
                problems << QStringLiteral("[%1]: the entry 0x%2 maps no 8-bit mappable sub-object")
                                .arg(s)
                                .arg(*entry, 8, 16, QLatin1Char('0'));
        }
    }
    return problems;
}

}  // namespace eds_check
