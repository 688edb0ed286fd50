#pragma once
// The objects of a BACnet device's EDE file, without any widget: the semicolon-separated lines
// below the "# mandatory" header, of the object types the client's tables can poll.
#include <QByteArray>
#include <QString>
#include <vector>

// One object of the file: its columns in file order, then what the user chooses for it.
struct TBACnet_Var {
    QString keyname;
    int device_obj_instance = -1;
    QString object_name;
    int object_type = -1;
    int object_instance = -1;
    QString description;
    QString present_value_default;
    QString min_present_value;
    QString max_present_value;
    bool commandable = false;
    bool support_COV = false;
    QString hi_limit;
    QString low_limit;
    QString stete_text_reference;
    QString unit_code;
    QString vendor_specific_address;
    bool import = false;
    bool read = false;
    bool write = false;
};

// Whether the client's tables take objects of this BACnet object type.
bool EDE_Type_Kept(int objectType);

// The kept objects of the file's text (CR LF, LF or CR line ends), each to be imported and read,
// and written when it is commandable. No header line: no objects.
std::vector<TBACnet_Var> Load_EDE_File(const QString& text);
// The same from the file's bytes: a byte-order mark selects the encoding, else Windows-1252.
std::vector<TBACnet_Var> Load_EDE_Bytes(const QByteArray& bytes);
