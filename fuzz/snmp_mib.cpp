// Feeds arbitrary bytes as "SNMP_Trap.xml" to the MIB writer: it reads them or refuses them, and
// what it does not refuse becomes a MIB of one line per template line and entry, each name once.
#include "building/SNMPMib.h"

#include <QSet>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const snmp::MibEntries e = snmp::mibEntries(bytes, &error);
    if (!error.isEmpty()) {
        if (!e.read.isEmpty() || !e.write.isEmpty()) __builtin_trap();
        return 0;
    }
    if (size_t(e.read.size()) != e.readInt.size() || size_t(e.write.size()) != e.writeInt.size()) __builtin_trap();
    if (snmp::mibProblem(e)) return 0;
    const QStringList lines = snmp::mibLines(e);
    if (lines.size() != 54 + 2 * e.read.size() + e.write.size()) __builtin_trap();
    QSet<QString> names;
    for (const QString& line : lines) {
        if (line.contains(u'\r') || line.contains(u'\n')) __builtin_trap();
        // Each definition's name stands first on its line.
        if (line.contains(QStringLiteral(" OBJECT-TYPE ")) || line.contains(QStringLiteral(" NOTIFICATION-TYPE "))) {
            const QString name = line.section(u' ', 0, 0);
            if (name.isEmpty() || names.contains(name)) __builtin_trap();
            names.insert(name);
        }
    }
    const QByteArray out = snmp::mibBytes(lines);
    if (!out.endsWith("END\r\n") || out.count("\r\n") != lines.size()) __builtin_trap();
    return 0;
}
