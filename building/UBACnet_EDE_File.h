#pragma once
// The EDE file of the gateway's BACnet server, without any widget: one semicolon-separated line
// per object of "BACnet_Slave_SetAccess.xml" after seven header lines, the device instance taken
// from "ParGen.xml". BACnet engineering tools import the server's objects from it.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

// One exported object; the fields in the order of the file.
struct TBACnet_EDE_Obj {
    QString Keyname;
    QString DevObjInstance;
    QString ObjectName;
    QString ObjectType;
    QString ObjectInstance;
    QString Description;
    QString UnitCode;
};

// The local time the export stamps its file with; tests fix it. Empty: the system's clock.
inline std::function<QDateTime()> g_EDELocalTime;

// The state of one export: the objects, the device settings and one instance counter per BACnet
// object type, shared by the read and the write objects.
class TBACnet_EDE_Export {
public:
    // The object types that number their instances, in the counters' order.
    static constexpr std::array<int, 18> kCountedTypes = {0, 1, 2, 3, 4, 5, 13, 14, 19, 21, 22, 23, 30, 40, 44, 45, 46, 48};

    void Reset_EDE_Instance_Counters();
    // Device instance and name length from the bytes of "ParGen.xml"; nothing: the file is missing.
    // False with a message when the document cannot be read.
    bool Read_EDE_Device_Settings(const std::optional<QByteArray>& parGen, QString* error);
    // The BACnet object-type number of an upper-case type name; 0 for a name without one.
    static int Get_EDE_Object_Type(const QString& typeName);
    // The type's next instance number; 0 for a type without a counter, which is not counted.
    int Next_EDE_Object_Instance(int type);
    // The objects of the read page, then of the write page, from the bytes of
    // "BACnet_Slave_SetAccess.xml"; nothing: no objects. False with a message when the document,
    // a section or an attribute of a row cannot be read.
    bool Load_EDE_Objects(const std::optional<QByteArray>& objects, QString* error);
    static QString Get_EDE_Project_Code();
    // hh:mm:ss dd/mm/yyyy.
    static QString Get_EDE_TimeStamp(const QDateTime& localTime);
    // The lines of the file, or nothing with a message when a text would break the file: a ";",
    // CR or LF would shift the fields of the line for every reader, and a character outside
    // Windows-1252 would be written as "?".
    std::optional<QStringList> EDE_Lines(const QString& projectName, const QDateTime& localTime, QString* error) const;

    QString Device_Instance;
    bool Long_Names = false;  // 32-character object names, else 16
    std::vector<TBACnet_EDE_Obj> Objects;

private:
    std::array<int32_t, kCountedTypes.size()> counters_{};
    // Where each object came from, for messages: section and row.
    std::vector<std::pair<QString, int>> origins_;
};

// The file's bytes for the given sources, or nothing with the message in `error`; the whole export
// without files, so the file step and the fuzz target share it.
std::optional<QByteArray> Build_EDE_Bytes(const std::optional<QByteArray>& parGen,
                                          const std::optional<QByteArray>& objects, const QString& projectName,
                                          const QDateTime& localTime, QString* error);

// The export of the open project into `fileName`. False after the error message when a file cannot
// be read or written, or the objects cannot make a sound file; nothing is written then.
bool Build_EDE_File(const QString& fileName);
bool Create_EDE_File(const QString& fileName);
// Writes the file's bytes, replacing an existing file as a whole.
bool Write_EDE_File(const QString& fileName, const QByteArray& bytes, QString* error);
