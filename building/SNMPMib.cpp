#include "building/SNMPMib.h"

#include "building/SNMPSchema.h"
#include "platform/Files.h"
#include "platform/XmlDoc.h"

#include <QHash>

namespace snmp {
namespace {

constexpr char kDq = '"';

QString q(const char* s) { return QString::fromLatin1(s); }

// The enabled rows of one section: description and integer flag.
void readSection(const plat::XmlElement& root, const char* section, QStringList& descriptions,
                 std::vector<bool>& isInt) {
    const plat::XmlElement list = root.child(q(section));
    if (list.isNull()) return;
    for (const plat::XmlElement& row : list.childElements()) {
        const pugi::xml_node n = row.node();
        // Without Enable a row is not enabled; without Type it is a string.
        if (QString::fromUtf8(n.attribute("Enable").value()).toUpper() != u"Y") continue;
        descriptions << QString::fromUtf8(n.attribute("Description").value());
        isInt.push_back(QString::fromUtf8(n.attribute("Type").value()).toUpper() == u"INT");
    }
}

QString valueName(const QString& description, const char* generated, int n) {
    return description.isEmpty() ? q(generated) + QString::number(n) : description;
}

// The names the template itself defines or imports.
QStringList templateNames() {
    QStringList names = {QStringLiteral("identity"),    QStringLiteral("quorim"),     QStringLiteral("gateway"),
                         QStringLiteral("application"), QStringLiteral("data"),       QStringLiteral("hellostring"),
                         QStringLiteral("countin"),     QStringLiteral("countout"),   QStringLiteral("bufferin"),
                         QStringLiteral("bufferinval"), QStringLiteral("bufferout"),  QStringLiteral("bufferoutval"),
                         QStringLiteral("traps"),       QStringLiteral("trapsval"),   QStringLiteral("enterprises")};
    for (int k = 1; k <= 8; ++k)
        names << QStringLiteral("bufferinblk%1").arg(k) << QStringLiteral("bufferoutblk%1").arg(k);
    return names;
}

}  // namespace

const MibMaker& mibMaker() {
    static const MibMaker maker{"Quorim Automation", "Industrial Park 7", "00100 Sampletown", "Italy",
                                "quorim.example", "32473"};
    return maker;
}

MibEntries mibEntries(const QByteArray& snmpTrapXml, QString* error) {
    MibEntries e;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(snmpTrapXml, &parseError)) {
        if (error) *error = QStringLiteral("Error in \"SNMP_Trap.xml\": %1").arg(parseError);
        return e;
    }
    const plat::XmlElement root = doc.root();
    if (root.isNull()) {
        if (error) *error = QStringLiteral("Error in \"SNMP_Trap.xml\": the document has no root element");
        return e;
    }
    readSection(root, "SNMP_Trap_Read", e.read, e.readInt);
    readSection(root, "SNMP_Trap_Write", e.write, e.writeInt);
    return e;
}

std::optional<QString> mibProblem(const MibEntries& entries) {
    struct List {
        const char* label;
        const QStringList* descriptions;
        const char* generated;
    } lists[] = {{"SNMP Read", &entries.read, "bufferinval"}, {"SNMP Write", &entries.write, "bufferoutval"}};
    // Every name of the file and who defines it.
    QHash<QString, QString> owners;
    for (const QString& n : templateNames()) owners.insert(n, QStringLiteral("the MIB itself"));
    for (int n = 1; n <= entries.read.size(); ++n)
        owners.insert(QStringLiteral("trapval%1").arg(n), QStringLiteral("the notification of SNMP Read entry %1").arg(n));
    for (const List& l : lists)
        for (int i = 0; i < l.descriptions->size(); ++i) {
            const QString& d = (*l.descriptions)[i];
            const QString entry = QStringLiteral("%1 entry %2").arg(q(l.label)).arg(i + 1);
            if (Check_Error_CommName_Desc(d, 1))
                return QStringLiteral("The MIB file was not written: the description \"%1\" of %2 is not a valid name "
                                      "(allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\", the first "
                                      "a lowercase letter).")
                    .arg(d, entry);
            const QString name = valueName(d, l.generated, i + 1);
            const auto other = owners.constFind(name);
            if (other != owners.constEnd())
                return QStringLiteral("The MIB file was not written: the name \"%1\" of %2 is already the name of %3.")
                    .arg(name, entry, *other);
            owners.insert(name, entry);
        }
    return std::nullopt;
}

QStringList mibLines(const MibEntries& e) {
    const MibMaker& m = mibMaker();
    const QString dq = QString(QLatin1Char(kDq));
    const QString blank4(4, u' ');
    QStringList l;
    l << QStringLiteral("GATEWAY DEFINITIONS ::= BEGIN") << QStringLiteral("IMPORTS")
      << QStringLiteral("       MODULE-IDENTITY,OBJECT-TYPE,NOTIFICATION-TYPE,enterprises");
    // Everything the module uses comes from the SMIv2 modules: a MIB compiler refuses a notification
    // macro that is not imported, and takes enterprises from the SMIv1 module only in SMIv1 MIBs.
    for (const char* s : {"FROM SNMPv2-SMI", "DisplayString, TimeStamp", "FROM SNMPv2-TC;"})
        l << QString(9, u' ') + q(s);
    l << QString() << QStringLiteral("identity MODULE-IDENTITY")
      << blank4 + QStringLiteral("LAST-UPDATED ") + dq + QStringLiteral("201701310000Z") + dq
      << blank4 + QStringLiteral("ORGANIZATION ") + dq + q(m.organization) + dq << blank4 + QStringLiteral("CONTACT-INFO")
      << QStringLiteral("\t ") + dq + q(m.street) << blank4 + q(m.town) << blank4 + q(m.country)
      << blank4 + QStringLiteral("email:") + blank4 + q(m.mailDomain) + dq << blank4 + QStringLiteral("DESCRIPTION")
      << QStringLiteral("\t") + dq + QStringLiteral("MIB objects for agent module ") + dq
      << blank4 + QStringLiteral("REVISION     ") + dq + QStringLiteral("201701310000Z") + dq
      << blank4 + QStringLiteral("DESCRIPTION") << QStringLiteral("\t") + dq + QStringLiteral("Corrected notification ") + dq
      << blank4 + QStringLiteral("REVISION     ") + dq + QStringLiteral("200202060000Z") + dq
      << blank4 + QStringLiteral("DESCRIPTION") << QStringLiteral("\t") + dq + QStringLiteral("First draft") + dq
      << blank4 + QStringLiteral("::= { quorim 2 }")
      << QStringLiteral("quorim          OBJECT IDENTIFIER ::= { enterprises ") + q(m.enterprise) + QStringLiteral(" }")
      << QStringLiteral("gateway OBJECT IDENTIFIER::= { quorim 1 }")
      << QStringLiteral("application OBJECT IDENTIFIER::= { gateway 1 }")
      << QStringLiteral("data OBJECT IDENTIFIER::= { application 1 }")
      << QStringLiteral("hellostring OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only  STATUS current  DESCRIPTION ") +
             dq + dq + QStringLiteral(" ::= { data 1}")
      << QStringLiteral("countin  OBJECT-TYPE SYNTAX INTEGER       MAX-ACCESS read-only  STATUS current  DESCRIPTION ") +
             dq + dq + QStringLiteral(" ::= { data 2}")
      << QStringLiteral("countout  OBJECT-TYPE SYNTAX INTEGER       MAX-ACCESS read-write STATUS current  DESCRIPTION ") +
             dq + dq + QStringLiteral(" ::= { data 3}");

    // One direction of the data: its node, its eight blocks, its value node and the entries' lines.
    const auto buffer = [&](const char* name, const char* node, const char* access, const QStringList& descriptions,
                            const std::vector<bool>& isInt) {
        const QString n = q(name);
        l << n + QStringLiteral(" OBJECT IDENTIFIER::= { data %1 }").arg(q(node));
        for (int k = 1; k <= 8; ++k)
            l << QStringLiteral("%1blk%2 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS %3 STATUS current DESCRIPTION ")
                         .arg(n)
                         .arg(k)
                         .arg(q(access)) +
                     dq + QStringLiteral("data block n.%1").arg(k) + dq + QStringLiteral(" ::= { %1 %2 }").arg(n).arg(k);
        l << QStringLiteral(" %1val OBJECT IDENTIFIER::= { %1 9 }").arg(n);
        for (int i = 0; i < descriptions.size(); ++i) {
            const QString& d = descriptions[i];
            const bool integer = size_t(i) < isInt.size() && isInt[size_t(i)];
            l << valueName(d, (std::string(name) + "val").c_str(), i + 1) +
                     QStringLiteral(" OBJECT-TYPE SYNTAX %1 MAX-ACCESS %2 STATUS current DESCRIPTION ")
                         .arg(integer ? QStringLiteral("INTEGER") : QStringLiteral("OCTET STRING"), q(access)) +
                     dq + d + dq + QStringLiteral(" ::= { %1val %2 }").arg(n).arg(i + 1);
        }
    };
    buffer("bufferin", "4", "read-only", e.read, e.readInt);
    buffer("bufferout", "5", "read-write", e.write, e.writeInt);

    l << QStringLiteral("traps OBJECT IDENTIFIER::= { application 2 }")
      << QStringLiteral(" trapsval OBJECT IDENTIFIER::= { traps 1 }");
    // A notification has no syntax of its own: it carries the read value it reports, whose object
    // gives the type.
    for (int i = 0; i < e.read.size(); ++i)
        l << QStringLiteral("trapval%1 NOTIFICATION-TYPE OBJECTS { %2 } STATUS current DESCRIPTION ")
                     .arg(i + 1)
                     .arg(valueName(e.read[i], "bufferinval", i + 1)) +
                 dq + e.read[i] + dq + QStringLiteral(" ::= { trapsval %1 }").arg(i + 1);
    l << QStringLiteral("END");
    return l;
}

QByteArray mibBytes(const QStringList& lines) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += plat::toWindows1252(line);
        bytes += "\r\n";
    }
    return bytes;
}

}  // namespace snmp
