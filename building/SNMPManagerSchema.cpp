#include "building/SNMPManagerSchema.h"

#include "shell/UComon.h"

#include <QHash>

namespace snmpmanager {
namespace {

using namespace accesslist;

bool checked(const RowView& r) { return TrimCtl(r.text(cEnable)) == u"Y"; }

std::optional<Failure> fail(int text) { return Failure{text, {}}; }

std::optional<Failure> ipAddress(const RowView& r) {
    QString p1, p2, p3, p4;
    return Check_IP_Parts(r.text(cIPAddress), p1, p2, p3, p4) ? std::nullopt : fail(4038);
}

std::optional<Failure> oid(const RowView& r) {
    // Check_OID's results 1 .. 6 have the texts 4039 .. 4044.
    const int result = Check_OID(r.text(cOID));
    return result == 0 ? std::nullopt : fail(4038 + result);
}

std::optional<Failure> conversion(const RowView& r) {
    return TrimCtl(r.text(cConversion)).isEmpty() ? fail(4056) : std::nullopt;
}

// A user name or password by Check_SNMP_User_Password: its results 1 .. 3 have the texts
// firstText .. firstText + 2.
Check credential(int column, bool allowShort, int firstText) {
    return [=](const RowView& r) -> std::optional<Failure> {
        const int result = Check_SNMP_User_Password(r.text(column), allowShort);
        return result == 0 ? std::nullopt : fail(firstText + result - 1);
    };
}

std::optional<Failure> securityModes(const RowView& r) {
    const int level = Get_SNMP_Security_Level(r.text(cSecurityLevel));
    if (level < 0) return fail(4083);
    const bool authentication = level & 1, privacy = level & 2;
    if (authentication && TrimCtl(r.text(cAuthMode)).isEmpty()) return fail(4084);
    if (privacy && TrimCtl(r.text(cPrivMode)).isEmpty()) return fail(4085);
    return std::nullopt;
}

bool version3(const RowView& r) { return r.number(cVersion) == 3; }

// The first two checked rows that ask the same agent with the same version for the same object:
// the earliest row that has a later twin, with its first twin. One pass with a hash of the keys,
// not a comparison of every pair.
std::optional<ListFailure> sameRequest(const Rows& rows, int end, NumberRule numbers) {
    QHash<QStringList, int> firstRow;  // key -> the first checked row holding it
    firstRow.reserve(end);
    int b = -1, e = -1;
    for (int r = 0; r < end; ++r) {
        const Row& row = rows[size_t(r)];
        if (!checked(RowView{row, numbers})) continue;
        const QStringList key{TrimCtl(row.value(cIPAddress)), TrimCtl(row.value(cVersion)), TrimCtl(row.value(cOID))};
        const auto it = firstRow.constFind(key);
        if (it == firstRow.cend()) {
            firstRow.insert(key, r);
        } else if (b < 0 || *it < b) {
            // A later row can pair only with an earlier first row than the pair found so far.
            b = *it;
            e = r;
        }
    }
    if (b < 0) return std::nullopt;
    // "Error in rows " b " and " e "!! Same IP Address, Version and OID used"
    Failure f{4087, e + 1, 4088};
    f.prefix = 4086;
    return ListFailure{b + 1, f};
}

}  // namespace

const Schema& schema() {
    static const Schema schema{
        "SNMP_Manager.xml", "SNMP_Manager_Access", "1.003", "row", NumberRule::Decimal,
        {{nullptr,
          {{"Enable", Missing::Default, "Y"},
           {"IP_Address", Missing::Default},
           {"Version", Missing::Default},
           {"Community_String", Missing::Default},
           {"OID", Missing::Default},
           {"Type", Missing::Default},
           {"Mode", Missing::Default},
           {"On_Change", Missing::Default, "N"},
           {"On_Command", Missing::Default, "N"},
           {"On_Timer", Missing::Default, "N"},
           {"Time", Missing::Default},
           {"Position", Missing::Default},
           {"Number_Bytes", Missing::Default},
           {"ConvertFrom", Missing::Default, "None"},
           {"Cancel", Missing::Default, "N"},
           {"User", Missing::Default},
           {"Auth_Pass", Missing::Default},
           {"Priv_Pass", Missing::Default},
           {"Security_Level", Missing::Default},
           {"Auth_Mode", Missing::Default},
           {"Priv_Mode", Missing::Default},
           {"Mnemonic", Missing::Default}},
          kRows, cIPAddress, KeyTrim::Trimmed, cEnable, {cEnable, cOnChange, cOnCommand, cOnTimer, cCancel}, ""}}};
    return schema;
}

std::vector<SectionRules> rules() {
    SectionRules section;
    section.skip = [](const RowView& r) { return !checked(r); };
    section.checks = {
        ipAddress,
        oid,
        when([](const RowView& r) { return TrimCtl(r.text(cOnTimer)) == u"Y"; }, inRange(cTime, 1, 100000000, 4045)),
        inRange(cNumBytes, 0, 1024, 4046),
        conversion,
        // Both passwords count for every version-3 request, whatever its security level.
        when(version3, credential(cUser, true, 4074)),
        when(version3, credential(cAuthPass, false, 4077)),
        when(version3, credential(cPrivPass, false, 4080)),
        when(version3, securityModes),
    };
    section.listCheck = sameRequest;
    return {section};
}

}  // namespace snmpmanager
