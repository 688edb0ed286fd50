#include "gateway/UProfibus_GSD.h"

#include "gateway/UProfinetXML.h"
#include "platform/Files.h"
#include "platform/Guard.h"
#include "platform/IntConv.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

#include <algorithm>

namespace {

constexpr int kTextOverwrite = 1103;
constexpr int kTextNoParGen = 1104;

constexpr int kModuleBytes = 64;
constexpr int kWideHeader = 85;  // file header and the Prm-Text section
constexpr int kWideKeys = 86;    // Ext-User-Prm-Data and General DP Keywords
constexpr int kWidth = 79;       // every other section

// The gateway's PROFIBUS ident number.
constexpr const char* kIdentNumber = "0x3631";

QString ruler(int width) { return u';' + QString(width - 1, u'='); }

QString heading(const QString& name, int width) {
    const QString head = QStringLiteral(";==== ") + name + u' ';
    return head + QString(std::max<qsizetype>(0, width - head.size()), u'=');
}

// A section opens with its heading between two rulers and a blank line.
void section(QStringList& out, const char* name, int width) {
    out << ruler(width) << heading(QString::fromLatin1(name), width) << ruler(width) << QString();
}

void blanks(QStringList& out, int n) {
    for (int i = 0; i < n; ++i) out << QString();
}

// A line of the framed header: ";*", the text, blanks, and "*" in the last column.
QString framed(const QString& text) {
    const QString head = QStringLiteral(";*") + text;
    return head + QString(std::max<qsizetype>(0, kWideHeader - 1 - head.size()), u' ') + u'*';
}

void header(QStringList& out) {
    const QString top = u';' + QString(23, u'*') + QStringLiteral(" PROFIBUS Slave / MQTT - Converter ");
    const QString rule = QStringLiteral(";* ") + QString(80, u'=') + QStringLiteral(" *");
    const QString empty = framed(QString());
    out << QStringLiteral(";");
    out << top + QString(kWideHeader - top.size(), u'*') << rule << empty;
    static const char* const maker[] = {
        " Vendor:         Quorim S.r.l.",
        "                 Via dei Mestieri 7",
        "                 31099 Borgo Nuovo",
        "                 (TV) - Italy",
        " Tel. :          +39 0000 000000",
        " FAX. :          +39 0000 000001",
        " eMail:          info@quorim.example",
    };
    for (const char* line : maker) out << framed(QString::fromLatin1(line));
    out << empty << rule << empty;
    out << framed(QStringLiteral(" Function:       PROFIBUS Slave / MQTT - Converter")) << empty << empty;
    out << framed(QStringLiteral(" Order Number : KG73631")) << empty << empty;
    out << u';' + QString(kWideHeader - 1, u'*');
}

QString hh(int v) { return QStringLiteral("%1").arg(v, 2, 16, QLatin1Char('0')).toUpper(); }

// Modules of one kind, numbered on from `first`; returns the next free number.
int modules(QStringList& out, int bytes, int first, const char* kind, const char* identifier) {
    if (bytes <= 0) return first;
    const int count = (bytes + kModuleBytes - 1) / kModuleBytes;
    for (int i = 1; i <= count; ++i) {
        const int k = first + i - 1;
        QString line = QStringLiteral("Module=\"%1  (PORT%2)    \" %3,0x").arg(QLatin1String(kind)).arg(k).arg(QLatin1String(identifier));
        if (i < count) {
            line += QStringLiteral("3F,0x00,0x");
        } else {
            const int rest = bytes - kModuleBytes * (count - 1);
            line += hh(rest - 1) + QStringLiteral(",0x00,0x");
        }
        out << line + hh(k) << QString::number(k) << QStringLiteral("EndModule");
    }
    return first + count;
}

int moduleCount(int bytes) { return bytes > 0 ? (bytes + kModuleBytes - 1) / kModuleBytes : 0; }

int readSize(const plat::XmlElement& root, const char* element) {
    const int v = plat::strToIntDef(root.child(QString::fromLatin1(element)).text(), 0);
    return std::clamp(v, 0, kProfinetMaxAreaBytes);
}

}  // namespace

GsdSizes Read_GSD_Sizes() {
    plat::XmlDocument doc;
    QString error;
    if (!doc.load(g_ParGenFile, &error)) throw plat::Error(error);
    const plat::XmlElement root = doc.root();
    GsdSizes s;
    s.in = readSize(root, "PROFINET_NB_OUT");
    s.out = readSize(root, "PROFINET_NB_IN");
    return s;
}

QStringList Build_GSD_Lines(int in, int out) {
    in = std::clamp(in, 0, kProfinetMaxAreaBytes);
    out = std::clamp(out, 0, kProfinetMaxAreaBytes);
    const int ni = moduleCount(in), no = moduleCount(out);
    QStringList l;

    header(l);
    blanks(l, 2);
    l << QStringLiteral("#Profibus_DP");
    blanks(l, 2);

    section(l, "Prm-Text-Def-List", kWideHeader);
    l << QStringLiteral("PrmText=1") << QStringLiteral("Text(0)=\"disable\"") << QStringLiteral("Text(1)=\"enable\"")
      << QStringLiteral("EndPrmText") << QString();
    l << QStringLiteral("PrmText  = 2") << QStringLiteral("Text(0)  = \"clock up\"")
      << QStringLiteral("Text(1)  = \"clock down\"") << QStringLiteral("EndPrmText") << QString();
    l << QStringLiteral("PrmText  = 3");
    for (int i = 1; i <= 5; ++i) l << QStringLiteral("Text(%1)  = \"%2\"").arg(i).arg(i * 10);
    l << QStringLiteral("EndPrmText");
    blanks(l, 2);

    section(l, "Ext-User-Prm-Data-Def-List", kWideKeys);
    static const char* const prmData[][3] = {
        {"[SlotNumber]", "Unsigned8 0 0-32", nullptr},
        {"Diagnostic Alarm", "Bit(0) 0 0-1", "Prm_Text_Ref=1"},
        {"Process Alarm", "Bit(1) 0 0-1", "Prm_Text_Ref=1"},
        {"Counter mode", "Unsigned8 0 0-1", "Prm_Text_Ref=2"},
        {"Counter timebase (ms)", "Unsigned8 1 1-5", "Prm_Text_Ref=3"},
        {"Counter high-limit", "Unsigned16 65535 0-65535", nullptr},
        {"Counter low-limit", "Unsigned16 0 0-65535", nullptr},
    };
    int n = 0;
    for (const auto& p : prmData) {
        ++n;
        l << QStringLiteral("ExtUserPrmData=%1 \"%2\"").arg(n).arg(QLatin1String(p[0])) << QString::fromLatin1(p[1]);
        if (p[2]) l << QString::fromLatin1(p[2]);
        l << QStringLiteral("EndExtUserPrmData");
        blanks(l, n == 7 ? 2 : 1);
    }

    section(l, "General DP Keywords", kWideKeys);
    l << QStringLiteral("GSD_Revision = 5") << QStringLiteral("Vendor_Name = \"Quorim\"")
      << QStringLiteral("Model_Name = \"KG73631\"") << QStringLiteral("Revision = \"1.00\"")
      << QStringLiteral("Ident_Number = ") + QLatin1String(kIdentNumber) << QStringLiteral("Protocol_Ident = 0")
      << QStringLiteral("Station_Type = 0") << QStringLiteral("FMS_supp = 0")
      << QStringLiteral("Hardware_Release = \"V1.00\"") << QStringLiteral("Software_Release = \"V1.00\"")
      << QStringLiteral("Redundancy = 0") << QStringLiteral("Repeater_Ctrl_Sig = 2") << QStringLiteral("24V_Pins = 0");
    blanks(l, 2);

    section(l, "Supported baudrates", kWidth);
    static const char* const rates[] = {"9.6", "19.2", "45.45", "93.75", "187.5", "500", "1.5M", "3M", "6M", "12M"};
    static const int tsdr[] = {15, 15, 15, 15, 15, 15, 20, 35, 50, 95};
    for (const char* r : rates) l << QString::fromLatin1(r) + QStringLiteral("_supp = 1");
    l << QString();
    for (size_t i = 0; i < std::size(rates); ++i)
        l << QStringLiteral("MaxTsdr_%1=%2").arg(QLatin1String(rates[i])).arg(tsdr[i]);
    blanks(l, 2);

    section(l, "Slave specific values", kWidth);
    l << QStringLiteral("OrderNumber=\"KG73631\"") << QStringLiteral("Slave_Family = 9@Quorim@KG73631")
      << QStringLiteral("Implementation_Type = \"VPC3+\"")
      << QStringLiteral("Info_Text=\"Quorim: PROFIBUS Slave / MQTT - Converter\"")
      << QStringLiteral("Bitmap_Device = \"DPV0_1N\"") << QStringLiteral("Bitmap_SF=\"DPV0_1S\"") << QString();
    l << QStringLiteral("Freeze_Mode_supp=1") << QStringLiteral("Sync_Mode_supp=1") << QStringLiteral("Fail_Safe=1")
      << QStringLiteral("Auto_Baud_supp=1") << QStringLiteral("Set_Slave_Add_supp=0") << QString();
    l << QStringLiteral("Min_Slave_Intervall=6") << QString();
    l << QStringLiteral("Modular_Station=1") << QStringLiteral("Max_Module=%1").arg(ni + no)
      << QStringLiteral("Modul_Offset=1") << QStringLiteral("Max_Input_Len=%1").arg(in)
      << QStringLiteral("Max_Output_Len=%1").arg(out) << QStringLiteral("Max_Data_Len=%1").arg(in + out)
      << QStringLiteral("Max_Diag_Data_Len=15") << QString();
    l << QStringLiteral("WD_Base_1ms_supp = 1") << QStringLiteral("Publisher_supp = 1") << QString();

    section(l, "User-Prm-Data", kWidth);
    l << QStringLiteral("Max_User_Prm_Data_Len = 12") << QStringLiteral("Ext_User_Prm_Data_Const(0)= 0x00,0x00,0x00")
      << QString();

    section(l, "Modulstatus", kWidth);
    for (int slot = 1; slot <= 2; ++slot) {
        l << QStringLiteral("Unit_Diag_Area = %1 - %2").arg(22 + 2 * slot).arg(23 + 2 * slot);
        l << QStringLiteral("Value(1)= \"Slot %1: Module error\"").arg(slot)
          << QStringLiteral("Value(2)= \"Slot %1: Wrong module\"").arg(slot)
          << QStringLiteral("Value(3)= \"Slot %1: No module\"").arg(slot) << QStringLiteral("Unit_Diag_Area_End");
    }
    blanks(l, 2);

    section(l, "Module-Definition-List", kWidth);
    const int next = modules(l, in, 1, "DI", "0x42");
    modules(l, out, next, "DO", "0x82");
    blanks(l, 3);

    l << QStringLiteral("SlotDefinition");
    for (int f = 1; f <= ni + no; ++f) l << QStringLiteral("Slot(%1) = \"Slot %1\" %1 %1").arg(f);
    l << QStringLiteral("EndSlotDefinition");
    blanks(l, 4);
    return l;
}

void Write_GSD_File(const QString& path, int in, int out) {
    QByteArray bytes;
    for (const QString& line : Build_GSD_Lines(in, out)) {
        bytes += plat::toWindows1252(line);
        bytes += "\r\n";
    }
    QString error;
    if (!plat::atomicWrite(path, bytes, &error))
        throw plat::Error(QStringLiteral("Error! The file %1 could not be written: %2").arg(path, error));
}

void Save_GSD_File() {
    plat::guarded([] {
        if (!plat::fileExists(g_ParGenFile)) {
            plat::dialogs().error(Text_Table.value(kTextNoParGen));
            return;
        }
        const GsdSizes sizes = Read_GSD_Sizes();
        const std::optional<QString> chosen = plat::dialogs().saveFile(
            QString(), g_ProjectPath, QString(), QStringLiteral("Generic Station Description (*.gsd)"));
        if (!chosen) return;
        QString path = *chosen;
        // Only the name's own ending counts: a folder called "x.gsd" must not decide it.
        if (!path.endsWith(QLatin1String(".gsd"), Qt::CaseInsensitive)) path += QLatin1String(".gsd");
        if (plat::fileExists(path) && plat::dialogs().questionYesNo(Text_Table.value(kTextOverwrite)) != plat::Answer::Yes)
            return;
        Write_GSD_File(path, sizes.in, sizes.out);
    });
}
