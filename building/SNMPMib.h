#pragma once
// The SNMP MIB of the agent gateway without any widget: the entries read from "SNMP_Trap.xml", the
// names they would define and the text of the MIB.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace snmp {

// The maker's own lines of the MIB: kept in one place.
struct MibMaker {
    const char* organization;
    const char* street;
    const char* town;       // postcode and town
    const char* country;
    const char* mailDomain;
    const char* enterprise;  // the maker's private enterprise number
};
const MibMaker& mibMaker();

// One entry per enabled row of each list, in row order: its description (possibly empty) and
// whether it is an integer (Type "INT"), else a string.
struct MibEntries {
    QStringList read, write;
    std::vector<bool> readInt, writeInt;
};

// The entries of the bytes of "SNMP_Trap.xml". A document that cannot be read gives its message
// in `error` and no entries; a missing list section gives no entries for that list.
MibEntries mibEntries(const QByteArray& snmpTrapXml, QString* error);

// Why these entries cannot make a MIB: an enabled entry whose description breaks the description
// rule (a quote, blank or line break would break the file), or a name, given or generated, that
// another definition of the file has. Nothing when the MIB can be written.
std::optional<QString> mibProblem(const MibEntries& entries);

// The MIB's lines, without line ends.
QStringList mibLines(const MibEntries& entries);
// The lines in Windows-1252, each ended by CR LF.
QByteArray mibBytes(const QStringList& lines);

}  // namespace snmp
