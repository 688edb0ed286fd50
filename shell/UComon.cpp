#include "shell/UComon.h"

#include "platform/FormatSettings.h"
#include "platform/IntConv.h"
#include "platform/Process.h"
#include "platform/UserDialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include <cerrno>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <unistd.h>

const std::vector<ProjectFile>& projectFiles() {
    static const std::vector<ProjectFile> files = {
        {&g_ParGenFile, "ParGen.xml"},
        {&g_MQTTSetTopicFile, "MQTT_Set_Topic.xml"},
        {&g_MBusFile, "M_Bus.xml"},
        {&g_ModbusMSetAccessFile, "ModbusM_SetAccess.xml"},
        {&g_ModbusTCPMSetAccessFile, "ModbusTCPM_SetAccess.xml"},
        {&g_MQTTSetAccessFile, "MQTT_Set_Access.xml"},
        {&g_CANRecFramesFile, "CAN_Rec_Frames.xml"},
        {&g_CANSendFramesFile, "CAN_Send_Frames.xml"},
        {&g_SDOServerCANopenFile, "SDO_Server_CANopen.xml"},
        {&g_SDOClientCANopenFile, "SDO_Client_CANopen.xml"},
        {&g_PDOCANopenFile, "PDO_CANopen.xml"},
        {&g_DNETMNetFile, "DNETM_Net.xml"},
        {&g_DNETMDefOffFile, "DNETM_DefOff.xml"},
        {&g_J1939RecFramesFile, "J1939_Rec_Frames.xml"},
        {&g_J1939SendFramesFile, "J1939_Send_Frames.xml"},
        {&g_NMEARecFramesFile, "NMEA_Rec_Frames.xml"},
        {&g_NMEASendFramesFile, "NMEA_Send_Frames.xml"},
        {&g_DMXDefaultValuesFile, "DMX_Default_Values.xml"},
        {&g_KNXSetAccessFile, "KNX_SetAccess.xml"},
        {&g_SNMPTrapFile, "SNMP_Trap.xml"},
        {&g_SNMPManagerFile, "SNMP_Manager.xml"},
        {&g_BACnetSlaveSetAccessFile, "BACnet_Slave_SetAccess.xml"},
        {&g_DALIAccessFile, "DALI_Access.xml"},
        {&g_DALI2AccessFile, "DALI2_Access.xml"},
        {&g_BACnetMasterAccessFile, "BACnet_Master_Access.xml"},
    };
    return files;
}

void Set_Files() {
    for (const ProjectFile& f : projectFiles()) *f.variable = g_ProjectPath + u'/' + QString::fromLatin1(f.fileName);
}

void Set_App_Folders(const QString& appPath) {
    g_AppPath = appPath;
    g_MasterPath = appPath + QStringLiteral("/MASTER");
    g_ProjectsRootPath = appPath + QStringLiteral("/PROJECTS");
    g_LanguagePath = appPath + QStringLiteral("/LANGUAGE");
}

int Get_Device_Protocols(QString& protocol1, QString& protocol2) {
    protocol1.clear();
    protocol2.clear();
    protocol1 = QStringLiteral("MQTT");
    protocol2 = QStringLiteral("PROFINET Slave");
    return 2;
}

int Get_Scan_Device_Code() { return 18; }
int Get_Scan_Form_Type() { return 0; }
int BACnet_No_Units() { return 95; }

QString TrimCtl(const QString& text) {
    qsizetype b = 0, e = text.size();
    while (b < e && text[b].unicode() <= u' ') ++b;
    while (e > b && text[e - 1].unicode() <= u' ') --e;
    return text.mid(b, e - b);
}

namespace {

// Text before the first separator and after it; without one both are empty.
QString beforeFirst(const QString& s, QChar c) {
    const qsizetype p = s.indexOf(c);
    return p < 0 ? QString() : s.left(p);
}
QString afterFirst(const QString& s, QChar c) {
    const qsizetype p = s.indexOf(c);
    return p < 0 ? QString() : s.mid(p + 1);
}

bool inRange(const QString& s, int lo, int hi, int fallback = -1) {
    const int v = plat::strToIntDef(s, fallback);
    return v >= lo && v <= hi;
}

}  // namespace

bool Check_IP_Parts(const QString& text, QString& p1, QString& p2, QString& p3, QString& p4) {
    QString s = TrimCtl(text);
    if (!s.contains(u'.')) return false;
    p1 = TrimCtl(beforeFirst(s, u'.'));
    s = TrimCtl(afterFirst(s, u'.'));
    if (!s.contains(u'.')) return false;
    p2 = TrimCtl(beforeFirst(s, u'.'));
    s = TrimCtl(afterFirst(s, u'.'));
    if (!s.contains(u'.')) return false;
    p3 = TrimCtl(beforeFirst(s, u'.'));
    p4 = TrimCtl(afterFirst(s, u'.'));
    return inRange(p1, 0, 255, 1000) && inRange(p2, 0, 255, 1000) && inRange(p3, 0, 255, 1000) &&
           inRange(p4, 0, 255, 1000);
}

bool Split_IP_Address(const QString& text, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4) {
    if (text.isEmpty()) return true;
    uint8_t* out[4] = {&b1, &b2, &b3, &b4};
    bool error = false;
    QString s = text;
    for (int i = 0; i < 4; ++i) {
        const QString part = (i == 3) ? s : beforeFirst(s, u'.');
        const int v = plat::strToIntDef(part, -1);
        if (v >= 0 && v <= 255) {
            *out[i] = static_cast<uint8_t>(v);
        } else {
            *out[i] = 0;
            error = true;
        }
        if (s.contains(u'.')) s = afterFirst(s, u'.');
    }
    return error;
}

bool Split_IP_Port(const QString& text, uint8_t& b1, uint8_t& b2, uint8_t& b3, uint8_t& b4, uint16_t& port) {
    b1 = b2 = b3 = b4 = 0;
    port = 0;
    if (text.isEmpty() || !text.contains(u'.')) return false;
    int bytes[4];
    QString r = text;
    for (int i = 0; i < 3; ++i) {
        const QString part = TrimCtl(beforeFirst(r, u'.'));
        r = TrimCtl(afterFirst(r, u'.'));
        bytes[i] = plat::strToIntDef(part, -1);
        if (bytes[i] < 0 || bytes[i] > 255) return false;
        const QChar need = (i < 2) ? QChar(u'.') : QChar(u':');
        if (!r.contains(need)) return false;
    }
    bytes[3] = plat::strToIntDef(TrimCtl(beforeFirst(r, u':')), -1);
    const int p = plat::strToIntDef(TrimCtl(afterFirst(r, u':')), -1);
    if (bytes[3] < 0 || bytes[3] > 255 || p < 0 || p > 65535) return false;
    b1 = static_cast<uint8_t>(bytes[0]);
    b2 = static_cast<uint8_t>(bytes[1]);
    b3 = static_cast<uint8_t>(bytes[2]);
    b4 = static_cast<uint8_t>(bytes[3]);
    port = static_cast<uint16_t>(p);
    return true;
}

int Check_KNX_Address(const QString& text, bool group, bool allowZero) {
    if (!group) {
        if (text.contains(u'/')) return 1;
        if (!text.contains(u'.')) return inRange(text, 1, 65535) ? 0 : 1;
        const QString a = TrimCtl(beforeFirst(text, u'.'));
        const QString r = TrimCtl(afterFirst(text, u'.'));
        // An area and a line only ("1.2") leaves B and C empty: they fail their ranges.
        const QString b = TrimCtl(beforeFirst(r, u'.'));
        const QString c = TrimCtl(afterFirst(r, u'.'));
        if (c.contains(u'.')) return 1;
        const int va = plat::strToIntDef(a, -1), vb = plat::strToIntDef(b, -1), vc = plat::strToIntDef(c, -1);
        if (va < 0 || va > 15 || vb < 0 || vb > 15 || vc < 0 || vc > 255) return 1;
        if (!allowZero && va == 0 && vb == 0 && vc == 0) return 1;
        return 0;
    }
    if (text.contains(u'.')) return 1;
    if (!text.contains(u'/')) return inRange(text, 1, 65535) ? 0 : 1;
    const QString a = TrimCtl(beforeFirst(text, u'/'));
    const QString r = TrimCtl(afterFirst(text, u'/'));
    const int va = plat::strToIntDef(a, -1);
    if (!r.contains(u'/')) {
        const int vr = plat::strToIntDef(r, -1);
        return (va >= 0 && va <= 31 && vr >= 0 && vr <= 2047 && !(va == 0 && vr == 0)) ? 0 : 1;
    }
    const QString b = TrimCtl(beforeFirst(r, u'/'));
    const QString c = TrimCtl(afterFirst(r, u'/'));
    if (c.contains(u'/')) return 1;
    const int vb = plat::strToIntDef(b, -1), vc = plat::strToIntDef(c, -1);
    return (va >= 0 && va <= 31 && vb >= 0 && vb <= 7 && vc >= 0 && vc <= 255 && !(va == 0 && vb == 0 && vc == 0))
               ? 0
               : 1;
}

bool Check_No_Point(const QString& text) { return !text.contains(u'.'); }

int Check_OID(const QString& text) {
    if (text.size() > 61) return 1;
    for (QChar c : text)
        if (c != u'.' && !(c >= u'0' && c <= u'9')) return 2;
    if (text.startsWith(u'.')) return 3;
    if (text.endsWith(u'.')) return 4;
    if (text.contains(QStringLiteral(".."))) return 5;
    for (const QString& part : text.split(u'.')) {
        const int64_t v = plat::strToInt64Def(TrimCtl(part), -1);
        if (v < 0 || v > 4294967295LL) return 6;
    }
    return 0;
}

int Check_SNMP_User_Password(const QString& text, bool allowShort) {
    if (text.size() > 15) return 1;
    if ((allowShort && text.isEmpty()) || (!allowShort && text.size() < 8)) return 2;
    for (QChar c : text) {
        const bool ok = (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!ok) return 3;
    }
    return 0;
}

int Get_SNMP_Security_Level(const QString& text) {
    const QString u = TrimCtl(text.toUpper());
    if (u == QLatin1String("AUTH NOPRIV")) return 1;
    if (u == QLatin1String("AUTH PRIV")) return 3;
    if (u.isEmpty()) return -1;
    return 0;
}

QChar Get_Decimal_Separator() {
    const QChar c = plat::formatSettings().decimalSeparator;
    return (c == u',' || c == u'.') ? c : QChar(u',');
}

bool Str_To_Float_Sep(const QString& text, QChar separator, float& value) {
    QString t = text;
    if (separator == u'.')
        t.replace(u',', u'.');
    else
        t.replace(u'.', u',');
    const auto v = plat::textToFloat(t, plat::formatSettings().decimalSeparator);
    // A number beyond single precision has no value to give: the conversion fails like any other.
    if (!v || !std::isfinite(*v) || std::fabs(*v) > std::numeric_limits<float>::max()) {
        value = 1.0f;
        return false;
    }
    value = static_cast<float>(*v);
    return true;
}

bool Serial_Port_Present(int openError, const QString& sysTtyEntry) {
    if (openError == 0 || openError == EBUSY) return true;
    if (openError != EACCES) return false;
    if (!QFileInfo::exists(sysTtyEntry + QStringLiteral("/device"))) return false;
    // A serial-core port without a UART behind it reports the type 0 ("unknown").
    QFile type(sysTtyEntry + QStringLiteral("/type"));
    if (!type.open(QIODevice::ReadOnly)) return true;
    return type.readAll().trimmed() != "0";
}

QStringList Get_COM_Port_List() {
    struct Found {
        int family;
        int number;
        QString path;
    };
    static const char* const families[] = {"ttyS", "ttyUSB", "ttyACM"};
    std::vector<Found> found;
    const QStringList devices = QDir(QStringLiteral("/dev")).entryList(QDir::System | QDir::Files);
    for (const QString& name : devices) {
        for (int f = 0; f < 3; ++f) {
            const QString prefix = QString::fromLatin1(families[f]);
            if (!name.startsWith(prefix)) continue;
            bool ok = false;
            const int n = name.mid(prefix.size()).toInt(&ok);
            if (!ok || n < 0) continue;
            const QString path = QStringLiteral("/dev/") + name;
            const QByteArray p8 = path.toLocal8Bit();
            const int fd = ::open(p8.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
            const int openError = fd >= 0 ? 0 : errno;
            if (fd >= 0) ::close(fd);
            if (Serial_Port_Present(openError, QStringLiteral("/sys/class/tty/") + name))
                found.push_back({f, n, path});
        }
    }
    std::sort(found.begin(), found.end(),
              [](const Found& a, const Found& b) { return a.family != b.family ? a.family < b.family : a.number < b.number; });
    QStringList out;
    for (const Found& f : found) out << f.path;
    return out;
}

void Start_Program(const QString& NomeSW, const QString& Parameter, int tipo) {
    Q_UNUSED(tipo);  // the show state of a window has no meaning for the programs started here
    const QStringList args = Parameter.isEmpty() ? QStringList() : QStringList{Parameter};
    const plat::StartResult r = plat::startAndWait(NomeSW, args, g_StartProgramCapMs,
                                                   g_StartProgramClock ? *g_StartProgramClock : plat::blockingClock());
    if (r.outcome == plat::StartOutcome::NotStarted)
        plat::dialogs().error(QStringLiteral("The program \"%1\" could not be started: %2.").arg(NomeSW, r.error));
    else if (r.outcome == plat::StartOutcome::StillRunning)
        plat::dialogs().warning(QStringLiteral("The program \"%1\" is still running after %2 seconds; the "
                                               "configurator no longer waits for it.")
                                    .arg(NomeSW)
                                    .arg(g_StartProgramCapMs / 1000.0));
}
