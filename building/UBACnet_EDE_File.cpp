#include "building/UBACnet_EDE_File.h"

#include "building/BACnetSchema.h"
#include "platform/Files.h"
#include "platform/UserDialogs.h"
#include "platform/XmlDoc.h"
#include "shell/AccessListFile.h"
#include "shell/UComon.h"

#include <QFileInfo>

namespace {

const QString kObjectsFile = QStringLiteral("BACnet_Slave_SetAccess.xml");

QString readError(const QString& file, const QString& what) {
    return QStringLiteral("Error in \"%1\": %2").arg(file, what);
}

}  // namespace

void TBACnet_EDE_Export::Reset_EDE_Instance_Counters() { counters_.fill(0); }

bool TBACnet_EDE_Export::Read_EDE_Device_Settings(const std::optional<QByteArray>& parGen, QString* error) {
    Device_Instance.clear();
    Long_Names = false;
    if (!parGen) return true;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(*parGen, &parseError)) {
        if (error) *error = readError(QStringLiteral("ParGen.xml"), parseError);
        return false;
    }
    const plat::XmlElement root = doc.root();
    const auto text = [&root](const char* key) {
        const plat::XmlElement e = root.child(QString::fromLatin1(key));
        return e.isNull() ? QString() : e.text();
    };
    // Type 1 is BACnet MS/TP with its own device instance; any other is BACnet/IP.
    const int type = accesslist::listNumber(text("BACnet_Type"), accesslist::NumberRule::Decimal);
    Device_Instance = text(type == 1 ? "BACnet_Ser_DEV_IDE" : "BACnet_DEV_IDE");
    Long_Names = text("BACnet_Desc_Chars_Limit") == u"1";
    return true;
}

int TBACnet_EDE_Export::Get_EDE_Object_Type(const QString& typeName) {
    static const struct {
        const char* name;
        int type;
    } types[] = {{"ANALOG INPUT", 0},          {"ANALOG OUT", 1},         {"ANALOG VALUE", 2},
                 {"BINARY INPUT", 3},          {"BINARY OUT", 4},         {"BINARY VALUE", 5},
                 {"MULTI STATE INPUT", 13},    {"MULTI STATE OUTPUT", 14}, {"MULTI STATE VALUE", 19},
                 {"LIFE SAFETY POINT", 21},    {"LIFE SAFETY ZONE", 22},  {"ACCUMULATOR", 23},
                 {"ACCESS DOOR", 30},          {"CHARACTERSTRING VALUE", 40}, {"DATETIME VALUE", 44},
                 {"INTEGER VALUE", 45},        {"LARGE ANALOG VALUE", 46}, {"POSITIVE INTEGER VALUE", 48}};
    for (const auto& t : types)
        if (typeName == QLatin1String(t.name)) return t.type;
    // "OCTET STRING" and unknown names too: exported as analog inputs.
    return 0;
}

int TBACnet_EDE_Export::Next_EDE_Object_Instance(int type) {
    for (size_t i = 0; i < kCountedTypes.size(); ++i)
        if (kCountedTypes[i] == type) return counters_[i]++;
    return 0;
}

bool TBACnet_EDE_Export::Load_EDE_Objects(const std::optional<QByteArray>& objects, QString* error) {
    Objects.clear();
    origins_.clear();
    if (!objects) return true;
    plat::XmlDocument doc;
    QString parseError;
    if (!doc.loadBytes(*objects, &parseError)) {
        if (error) *error = readError(kObjectsFile, parseError);
        return false;
    }
    const plat::XmlElement root = doc.root();
    const int nameLength = Long_Names ? 32 : 16;
    for (const char* sectionName : {"BACnet_in_Read", "BACnet_in_Write"}) {
        const QString section = QString::fromLatin1(sectionName);
        const plat::XmlElement list = root.child(section);
        if (list.isNull()) {
            if (error) *error = readError(kObjectsFile, QStringLiteral("the section \"%1\" is missing").arg(section));
            return false;
        }
        int rowNumber = 0;
        for (const plat::XmlElement& row : list.childElements(QStringLiteral("row"))) {
            ++rowNumber;
            for (const char* attribute : {"Data_Type", "Eng_Unit", "Mnemonic"})
                if (!row.hasAttribute(QString::fromLatin1(attribute))) {
                    if (error)
                        *error = readError(kObjectsFile, QStringLiteral("row %1 of the section \"%2\" has no \"%3\"")
                                                             .arg(rowNumber)
                                                             .arg(section, QString::fromLatin1(attribute)));
                    return false;
                }
            const int type = Get_EDE_Object_Type(TrimCtl(row.attribute(QStringLiteral("Data_Type"))).toUpper());
            const QString name = row.attribute(QStringLiteral("Mnemonic"));
            TBACnet_EDE_Obj o;
            o.DevObjInstance = Device_Instance;
            o.ObjectName = name.left(nameLength);
            o.ObjectType = QString::number(type);
            o.ObjectInstance = QString::number(Next_EDE_Object_Instance(type));
            o.Keyname = Device_Instance + u'_' + name + u'_' + o.ObjectInstance;
            o.Description = o.ObjectName;
            o.UnitCode = row.attribute(QStringLiteral("Eng_Unit"));
            Objects.push_back(std::move(o));
            origins_.emplace_back(section, rowNumber);
        }
    }
    return true;
}

QString TBACnet_EDE_Export::Get_EDE_Project_Code() { return QString(); }

QString TBACnet_EDE_Export::Get_EDE_TimeStamp(const QDateTime& localTime) {
    const QDate d = localTime.date();
    const QTime t = localTime.time();
    const auto two = [](int n) { return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0')); };
    return two(t.hour()) + u':' + two(t.minute()) + u':' + two(t.second()) + u' ' + two(d.day()) + u'/' +
           two(d.month()) + u'/' + QString::number(d.year());
}

std::optional<QStringList> TBACnet_EDE_Export::EDE_Lines(const QString& projectName, const QDateTime& localTime,
                                                         QString* error) const {
    const auto refuse = [error](const QString& where, const QString& why) {
        if (error) *error = QStringLiteral("The EDE file was not written: %1 %2.").arg(where, why);
        return std::nullopt;
    };
    if (const std::optional<QString> why = bacnet::edeTextProblem(projectName))
        return refuse(QStringLiteral("the project name"), *why);
    if (const std::optional<QString> why = bacnet::edeTextProblem(Device_Instance))
        return refuse(QStringLiteral("the device instance of \"ParGen.xml\""), *why);
    QStringList lines;
    lines.reserve(qsizetype(Objects.size()) + 7);
    lines << QStringLiteral("PROJECT_NAME; Quorim-") + Get_EDE_Project_Code() + u'-' + projectName +
                 QStringLiteral(";;;;;;")
          << QStringLiteral("VERSION_OF_REFERENCEFILE;1.0;;;;;;")
          << QStringLiteral("TIMESTAMP_OF_LAST_CHANGE;") + Get_EDE_TimeStamp(localTime) + QStringLiteral(";;;;;;")
          << QStringLiteral("AUTHOR_OF_LAST_CHANGE;Quorim;;;;;;") << QStringLiteral("VERSION_OF_LAYOUT;2;;;;;;")
          << QStringLiteral("# mandatory;mandatory;mandatory;mandatory;mandatory;optional;optional;")
          << QStringLiteral("# keyname;device obj.-instance;object-name;object-type;object-instance;description;"
                            "unit-code;");
    for (size_t i = 0; i < Objects.size(); ++i) {
        const TBACnet_EDE_Obj& o = Objects[i];
        // The key holds the whole name, so it is checked there too.
        const struct {
            const char* field;
            const QString& text;
        } checked[] = {{"Mnemonic", o.Keyname}, {"Eng_Unit", o.UnitCode}};
        for (const auto& c : checked)
            if (const std::optional<QString> why = bacnet::edeTextProblem(c.text))
                return refuse(QStringLiteral("row %1 of the section \"%2\", field \"%3\",")
                                  .arg(origins_[i].second)
                                  .arg(origins_[i].first, QString::fromLatin1(c.field)),
                              *why);
        lines << o.Keyname + u';' + o.DevObjInstance + u';' + o.ObjectName + u';' + o.ObjectType + u';' +
                     o.ObjectInstance + u';' + o.Description + u';' + o.UnitCode + u';';
    }
    return lines;
}

std::optional<QByteArray> Build_EDE_Bytes(const std::optional<QByteArray>& parGen,
                                          const std::optional<QByteArray>& objects, const QString& projectName,
                                          const QDateTime& localTime, QString* error) {
    TBACnet_EDE_Export e;
    e.Reset_EDE_Instance_Counters();
    if (!e.Read_EDE_Device_Settings(parGen, error)) return std::nullopt;
    if (!e.Load_EDE_Objects(objects, error)) return std::nullopt;
    const std::optional<QStringList> lines = e.EDE_Lines(projectName, localTime, error);
    if (!lines) return std::nullopt;
    QByteArray bytes;
    for (const QString& line : *lines) bytes += plat::toWindows1252(line) + "\r\n";
    return bytes;
}

bool Write_EDE_File(const QString& fileName, const QByteArray& bytes, QString* error) {
    if (plat::atomicWrite(fileName, bytes, error)) return true;
    if (error) *error = QStringLiteral("Error! The file %1 could not be written: %2").arg(fileName, *error);
    return false;
}

namespace {

// A project file: nothing when it does not exist; false when it exists but cannot be read.
bool readIfPresent(const QString& path, std::optional<QByteArray>& bytes, QString* error) {
    bytes.reset();
    if (!plat::fileExists(path)) return true;
    QString why;
    bytes = plat::readFile(path, &why);
    if (!bytes && error) *error = readError(QFileInfo(path).fileName(), why);
    return bool(bytes);
}

}  // namespace

bool Build_EDE_File(const QString& fileName) {
    QString error;
    std::optional<QByteArray> parGen, objects, bytes;
    if (readIfPresent(g_ParGenFile, parGen, &error) && readIfPresent(g_BACnetSlaveSetAccessFile, objects, &error)) {
        const QDateTime now = g_EDELocalTime ? g_EDELocalTime() : QDateTime::currentDateTime();
        bytes = Build_EDE_Bytes(parGen, objects, g_ProjectName, now, &error);
        if (bytes && Write_EDE_File(fileName, *bytes, &error)) return true;
    }
    plat::dialogs().error(error);
    return false;
}

bool Create_EDE_File(const QString& fileName) { return Build_EDE_File(fileName); }
