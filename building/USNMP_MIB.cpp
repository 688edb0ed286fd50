#include "building/USNMP_MIB.h"

#include "building/SNMPMib.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <QFileInfo>

namespace {

constexpr int kTextOverwrite = 1105;

}  // namespace

bool Load_SNMP_Trap_Lists() {
    g_MIBReadDescriptions.clear();
    g_MIBWriteDescriptions.clear();
    g_MIBReadIsInt.clear();
    g_MIBWriteIsInt.clear();
    if (!plat::fileExists(g_SNMPTrapFile)) return true;
    QString error;
    const std::optional<QByteArray> bytes = plat::readFile(g_SNMPTrapFile, &error);
    if (!bytes) {
        plat::dialogs().error(QStringLiteral("Error in \"SNMP_Trap.xml\": %1").arg(error));
        return false;
    }
    const snmp::MibEntries e = snmp::mibEntries(*bytes, &error);
    if (!error.isEmpty()) {
        plat::dialogs().error(error);
        return false;
    }
    g_MIBReadDescriptions = e.read;
    g_MIBWriteDescriptions = e.write;
    g_MIBReadIsInt = e.readInt;
    g_MIBWriteIsInt = e.writeInt;
    return true;
}

bool Write_MIB_File(const QString& fileName) {
    const snmp::MibEntries e{g_MIBReadDescriptions, g_MIBWriteDescriptions, g_MIBReadIsInt, g_MIBWriteIsInt};
    if (const std::optional<QString> problem = snmp::mibProblem(e)) {
        plat::dialogs().error(*problem);
        return false;
    }
    QString error;
    if (!plat::atomicWrite(fileName, snmp::mibBytes(snmp::mibLines(e)), &error)) {
        plat::dialogs().error(QStringLiteral("Error! The file %1 could not be written: %2").arg(fileName, error));
        return false;
    }
    return true;
}

void Save_MIB_File() {
    plat::guarded([] {
        const std::optional<QString> chosen = plat::dialogs().saveFile(
            QString(), g_ProjectPath, QString(), QStringLiteral("Management Information Base (*.mib)"));
        if (!chosen) return;
        QString path = *chosen;
        // The dialog's default extension: a name without one gets ".mib".
        if (QFileInfo(path).suffix().isEmpty()) path += QLatin1String(".mib");
        if (plat::fileExists(path) && plat::dialogs().questionYesNo(Text_Table.value(kTextOverwrite)) != plat::Answer::Yes)
            return;
        if (!Load_SNMP_Trap_Lists()) return;
        Write_MIB_File(path);
    });
}
