#include "building/SNMPSchema.h"

#include "shell/UComon.h"

#include <QSet>

namespace snmp {
namespace {

using namespace accesslist;

constexpr int64_t kMaxTime = 1000000000;
constexpr int64_t kMaxIntBits = 64;
constexpr int64_t kMaxStringBytes = 16;

bool blank(const RowView& r, int column) { return TrimCtl(r.text(column)).isEmpty(); }

Check failsWith(int text, std::function<bool(const RowView&)> bad) {
    return [text, bad = std::move(bad)](const RowView& r) -> std::optional<Failure> {
        if (bad(r)) return Failure{text, {}};
        return std::nullopt;
    };
}

// Typing stops at the limit; a longer text read from a file is refused by name.
Check notLongerThanName(int column, const char* list, const char* what) {
    return [=](const RowView& r) -> std::optional<Failure> {
        if (r.text(column).size() <= kNameLength) return std::nullopt;
        return Failure{0, {}, -1, false,
                       QStringLiteral("!! [%1] %2 must be at most %3 characters")
                           .arg(QLatin1String(list), QLatin1String(what))
                           .arg(kNameLength)};
    };
}

// Where the columns of one list stand and which texts it reports with.
struct Layout {
    int community, type, position, bit, numBits, description, conversion;
    int tCommunity, tType, tPosition, tBit, tStringBit, tIntBits, tStringBytes, tDescription, tConversion;
};

constexpr Layout kRead{rCommunity, rType, rPosition, rBit, rNumBits, rDescription, rConversion,
                       3976, 3961, 3963, 3964, 3965, 3966, 3967, 3977, 3985};
constexpr Layout kWrite{wCommunity, wType, wPosition, wBit, wNumBits, wDescription, wConversion,
                        3978, 3969, 3970, 3971, 3972, 3973, 3974, 3979, 3986};

SectionRules listRules(const Layout& l, bool read, QStringList* collected) {
    const auto isInt = [type = l.type](const RowView& r) { return r.text(type).toUpper() == u"INT"; };
    const char* label = read ? "SNMP Read" : "SNMP Write";
    SectionRules rules;
    rules.skip = [](const RowView& r) { return r.text(rEnable).toUpper() != u"Y"; };
    rules.checks.push_back(
        failsWith(l.tCommunity, [c = l.community](const RowView& r) { return Check_Error_CommName_Desc(r.text(c), 0); }));
    rules.checks.push_back(notLongerThanName(l.community, label, "Community Name"));
    rules.checks.push_back(failsWith(l.tType, [c = l.type](const RowView& r) { return blank(r, c); }));
    if (read)
        rules.checks.push_back(when([](const RowView& r) { return r.text(rOnTimer).toUpper() == u"Y"; },
                                    inRange(rTime, 1, kMaxTime, 3962)));
    rules.checks.push_back(failsWith(l.tPosition, [c = l.position](const RowView& r) { return blank(r, c); }));
    rules.checks.push_back(failsWith(l.tBit, [c = l.bit](const RowView& r) { return blank(r, c); }));
    rules.checks.push_back(failsWith(
        l.tStringBit, [isInt, c = l.bit](const RowView& r) { return !isInt(r) && TrimCtl(r.text(c)) != u"0"; }));
    rules.checks.push_back(when(isInt, inRange(l.numBits, 1, kMaxIntBits, l.tIntBits)));
    rules.checks.push_back(
        when([isInt](const RowView& r) { return !isInt(r); }, inRange(l.numBits, 1, kMaxStringBytes, l.tStringBytes)));
    rules.checks.push_back([l, collected](const RowView& r) -> std::optional<Failure> {
        const QString d = r.text(l.description);
        if (Check_Error_CommName_Desc(d, 1)) return Failure{l.tDescription, {}};
        if (collected) collected->append(d);
        return std::nullopt;
    });
    rules.checks.push_back(notLongerThanName(l.description, label, "Description"));
    if (read)
        rules.checks.push_back(failsWith(3968, [](const RowView& r) {
            QString p1, p2, p3, p4;
            return !Check_IP_Parts(r.text(rIPAddress), p1, p2, p3, p4);
        }));
    rules.checks.push_back(failsWith(l.tConversion, [c = l.conversion](const RowView& r) { return blank(r, c); }));
    return rules;
}

}  // namespace

bool Check_Error_CommName_Desc(const QString& text, int checkType) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool lower = c >= u'a' && c <= u'z';
        const bool ok = lower || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        if (!ok) return true;
        if (i == 0 && checkType == 1 && !lower) return true;
    }
    return false;
}

const Schema& schema() {
    static const Schema s{
        "SNMP_Trap.xml", "SNMP_Trap", "1.001", "row", NumberRule::Decimal,
        {{"SNMP_Trap_Read",
          {{"Enable", Missing::Default, "Y"},
           {"Community_Name", Missing::Default},
           {"Type", Missing::Default},
           {"On_Change", Missing::Default, "N"},
           {"On_Command", Missing::Default, "N"},
           {"On_Timer", Missing::Default, "N"},
           {"Time", Missing::Default},
           {"Position", Missing::Default},
           {"Bit", Missing::Default},
           {"NumBits", Missing::Default},
           {"Description", Missing::Default},
           {"IP_Address", Missing::Default},
           {"Conversion", Missing::Default, "None"},
           {"Mnemonic", Missing::Default}},
          kRows, rCommunity, KeyTrim::Trimmed, rEnable, {rEnable, rOnChange, rOnCommand, rOnTimer}, "SNMP Read"},
         {"SNMP_Trap_Write",
          {{"Enable", Missing::Default, "Y"},
           {"Community_Name", Missing::Default},
           {"Type", Missing::Default},
           {"Position", Missing::Default},
           {"Bit", Missing::Default},
           {"NumBits", Missing::Default},
           {"Description", Missing::Default},
           {"Conversion", Missing::Default, "None"},
           {"Mnemonic", Missing::Default}},
          kRows, wCommunity, KeyTrim::Trimmed, wEnable, {wEnable}, "SNMP Write"}}};
    return s;
}

std::vector<SectionRules> rules(QStringList* checkedDescriptions) {
    if (checkedDescriptions) checkedDescriptions->clear();
    std::vector<SectionRules> all = {listRules(kRead, true, checkedDescriptions),
                                     listRules(kWrite, false, checkedDescriptions)};
    // Read and write descriptions together, compared once every row passed.
    all[1].finish = [checkedDescriptions]() -> std::optional<Failure> {
        if (!checkedDescriptions) return std::nullopt;
        const QSet<QString> distinct(checkedDescriptions->begin(), checkedDescriptions->end());
        if (distinct.size() != checkedDescriptions->size()) return Failure{3980, {}, -1, true};
        return std::nullopt;
    };
    return all;
}

}  // namespace snmp
