#include "building/BACnetSchema.h"

#include "platform/Files.h"
#include "platform/XmlDoc.h"

#include <memory>

namespace bacnet {
namespace {

using namespace accesslist;

// A length rule: the exact type text of the page, the allowed lengths and the message.
struct LengthRule {
    const char* type;
    int lo, hi, text;
};

constexpr LengthRule kReadLengths[] = {
    {"Analog Input", 1, 4, 4335},     {"Positive Integer Value", 1, 4, 4336}, {"Large Analog Value", 1, 8, 4337},
    {"Analog Value", 1, 4, 4338},     {"Multi State Input", 1, 4, 4339},      {"Multi State Value", 1, 4, 4340},
    {"Life Safety Point", 1, 2, 4341}, {"Life Safety Zone", 1, 2, 4342},       {"Access Door", 1, 1, 4343},
    {"Accumulator", 1, 4, 4344}};
constexpr LengthRule kWriteLengths[] = {
    {"Analog Out", 1, 4, 4349},         {"Analog Value", 1, 4, 4350},     {"Positive Integer Value", 1, 4, 4351},
    {"Large Analog Value", 1, 8, 4352}, {"Integer Value", 1, 4, 4353},    {"Multi State Output", 1, 4, 4354},
    {"Multi State Value", 1, 4, 4355},  {"Access Door", 1, 1, 4356}};

struct Page {
    const char* binary[2];
    const LengthRule* lengths;
    size_t lengthCount;
    int tUnit, tPosition, tBit, tBytes;
};

constexpr Page kRead{{"Binary Input", "Binary Value"}, kReadLengths, std::size(kReadLengths), 4333, 4334, 4345, 4346};
constexpr Page kWrite{{"Binary Out", "Binary Value"}, kWriteLengths, std::size(kWriteLengths), 4347, 4348, 4357, 4358};

// Types are compared as displayed: case and blanks count.
bool isBinary(const Page& p, const RowView& r) {
    const QString t = r.text(cDataType);
    return t == QLatin1String(p.binary[0]) || t == QLatin1String(p.binary[1]);
}

SectionRules pageRules(const Page& p, const char* label) {
    SectionRules rules;
    rules.checks.push_back(inRange(cEngUnit, 0, 65535, p.tUnit));
    rules.checks.push_back(inRangeShowingLimit(cPosition, 0, kAreaBytes - 1, p.tPosition));
    rules.checks.push_back(when([p](const RowView& r) { return isBinary(p, r); }, inRange(cBit, 0, 7, p.tBit)));
    for (size_t i = 0; i < p.lengthCount; ++i) {
        const LengthRule l = p.lengths[i];
        rules.checks.push_back(when([l](const RowView& r) { return r.text(cDataType) == QLatin1String(l.type); },
                                    inRange(cLength, l.lo, l.hi, l.text)));
    }
    // A binary object takes its byte alone; the others their Length, whose range may be unchecked.
    rules.checks.push_back([p](const RowView& r) -> std::optional<Failure> {
        const int64_t length = isBinary(p, r) ? 1 : std::max(r.number(cLength), 0);
        if (r.number(cPosition) + length - 1 >= kAreaBytes) return Failure{p.tBytes, {}};
        return std::nullopt;
    });
    // The EDE export names the object after its Mnemonic: a text it would refuse is refused here first.
    rules.checks.push_back([label](const RowView& r) -> std::optional<Failure> {
        const std::optional<QString> why = edeTextProblem(r.text(cMnemonic));
        if (!why) return std::nullopt;
        return Failure{0, {}, -1, false,
                       QStringLiteral("!! [%1] The Mnemonic cannot stand in the EDE file: it %2")
                           .arg(QLatin1String(label), *why)};
    });
    return rules;
}

}  // namespace

std::optional<QString> edeTextProblem(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u';') return QStringLiteral("holds \";\", which would split its line");
        if (c == u'\r' || c == u'\n') return QStringLiteral("holds a line break, which would split the file");
        // Printable ASCII and Latin-1 stand in Windows-1252 as they are; the rest takes a round trip.
        const char16_t u = c.unicode();
        if ((u >= 0x20 && u < 0x7F) || (u >= 0xA0 && u <= 0xFF)) continue;
        if (c.isSurrogate() || plat::fromWindows1252(plat::toWindows1252(QString(c))) != QString(c))
            return QStringLiteral("holds the character U+%1, which the file's code page (Windows-1252) cannot hold")
                .arg(QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0'));
    }
    return std::nullopt;
}

const Schema& schema() {
    static const std::vector<Attribute> attributes = {
        {"Data_Type"}, {"Eng_Unit"}, {"Position"}, {"Bit"}, {"Length"}, {"Swap", Missing::Default, "N"}, {"Mnemonic"}};
    static const Schema s{
        "BACnet_Slave_SetAccess.xml", "BACnet_to_Modbus", "1.008", "row", NumberRule::Decimal,
        {{"BACnet_in_Read", attributes, kRows, cDataType, KeyTrim::Trimmed, 0, {cSwap}, "BACnet in Read"},
         {"BACnet_in_Write", attributes, kRows, cDataType, KeyTrim::Trimmed, 0, {cSwap}, "BACnet in Write"}}};
    return s;
}

const QStringList& readTypes() {
    static const QStringList l = {
        QStringLiteral("Analog Input"),     QStringLiteral("Analog Value"),       QStringLiteral("Binary Input"),
        QStringLiteral("Binary Value"),     QStringLiteral("Positive Integer Value"), QStringLiteral("Large Analog Value"),
        QStringLiteral("Integer Value"),    QStringLiteral("Multi State Input"),  QStringLiteral("Multi State Value"),
        QStringLiteral("Life Safety Point"), QStringLiteral("Life Safety Zone"),  QStringLiteral("Access Door"),
        QStringLiteral("Accumulator"),      QStringLiteral("Octet String"),       QStringLiteral("CharacterString Value")};
    return l;
}

const QStringList& writeTypes() {
    static const QStringList l = {
        QStringLiteral("Analog Out"),         QStringLiteral("Analog Value"),  QStringLiteral("Binary Out"),
        QStringLiteral("Binary Value"),       QStringLiteral("Positive Integer Value"), QStringLiteral("Large Analog Value"),
        QStringLiteral("Integer Value"),      QStringLiteral("Multi State Output"), QStringLiteral("Multi State Value"),
        QStringLiteral("Access Door"),        QStringLiteral("Octet String"),  QStringLiteral("CharacterString Value")};
    return l;
}

std::optional<QString> writeLengthPreset(const QString& type) {
    static const struct {
        const char* type;
        const char* length;
    } presets[] = {{"ANALOG OUT", "4"},    {"ANALOG VALUE", "4"},   {"POSITIVE INTEGER VALUE", "4"},
                   {"INTEGER VALUE", "4"}, {"MULTI STATE OUTPUT", "4"}, {"MULTI STATE VALUE", "4"},
                   {"LARGE ANALOG VALUE", "8"}, {"BINARY OUT", "1"}, {"BINARY VALUE", "1"},
                   {"ACCESS DOOR", "1"},   {"OCTET STRING", "1"},   {"CHARACTERSTRING VALUE", "1"}};
    const QString upper = type.toUpper();
    for (const auto& p : presets)
        if (upper == QLatin1String(p.type)) return QString::fromLatin1(p.length);
    return std::nullopt;
}

bool longNames(const QByteArray& parGen) {
    plat::XmlDocument doc;
    if (!doc.loadBytes(parGen)) return false;
    const plat::XmlElement element = doc.root().child(QStringLiteral("BACnet_Desc_Chars_Limit"));
    return !element.isNull() && element.text() == u"1";
}

std::vector<SectionRules> rules(int maxRows) {
    // The used rows of both pages, taken once each page passed (the read page first, so every
    // validation starts the count again) and compared after the write page.
    auto used = std::make_shared<int>(0);
    std::vector<SectionRules> all = {pageRules(kRead, "BACnet in Read"), pageRules(kWrite, "BACnet in Write")};
    all[0].listCheck = [used](const Rows&, int end, NumberRule) -> std::optional<ListFailure> {
        *used = end;
        return std::nullopt;
    };
    all[1].listCheck = [used](const Rows&, int end, NumberRule) -> std::optional<ListFailure> {
        *used += end;
        return std::nullopt;
    };
    all[1].finish = [used, maxRows]() -> std::optional<Failure> {
        if (*used > maxRows) return Failure{4359, maxRows, -1, true};
        return std::nullopt;
    };
    return all;
}

}  // namespace bacnet
