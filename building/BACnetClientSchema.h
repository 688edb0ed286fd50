#pragma once
// The BACnet client's polling tables without any widget: the file "BACnet_Master_Access.xml", the
// drop-down items, the object types, properties and data types a request may name, the rules of
// the rows and the import of EDE objects into free rows.
#include "building/BACnetEDEList.h"
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bacnetclient {

inline constexpr int kRows = 512;
inline constexpr int kAreaBytes = 1440;

// The client's network kinds ("BACnet_Master_Type"): rows address a device by IP address, by
// MS/TP station number, or (any other kind) not at all.
inline constexpr int kIP = 0;
inline constexpr int kMSTP = 1;

// Read page (18 columns).
enum ReadColumn {
    rEnable = 1, rAddress, rObjectType, rInstance, rProperty, rNByte, rEnDest, rDNet, rDLen, rDAdd,
    rPollTime, rMaxErr, rPosition, rStartBit, rSwap, rConvertion, rMnemonic, kReadColumns
};
// Write page (22 columns).
enum WriteColumn {
    wEnable = 1, wAddress, wObjectType, wDataType, wInstance, wProperty, wPriority, wNByte, wEnDest, wDNet,
    wDLen, wDAdd, wChange, wTimer, wPollTime, wMaxErr, wPosition, wStartBit, wSwap, wConvertion, wMnemonic,
    kWriteColumns
};

// The column that tells a used row: the address where rows carry one, else the object type.
int keyColumn(int kind);
// The file's layout for the kind (the sections key their rows by keyColumn(kind)).
const accesslist::Schema& schema(int kind);

// The kind from the bytes of "ParGen.xml": nothing when the document or its key is missing; a key
// that is not a decimal number reads 0.
std::optional<int> masterType(const QByteArray& parGen);

// The window's width on a screen of the given width.
int clientWidthFor(int screenWidth);

// Drop-down items.
const QStringList& readObjectTypes();
const QStringList& writeObjectTypes();
const QStringList& readProperties();
const QStringList& writeProperties();
const QStringList& dataTypes();
const QStringList& destinationLengths();
const QStringList& readConversions();
const QStringList& writeConversions();

inline constexpr int kInvalid = -1;
// The object-type code of a text (read or write page), or kInvalid.
int Check_Object_Type(const QString& text, bool read);
// The property's result: 100 the present value, 200 a proprietary property, 1 .. 49 its size in
// bytes; kInvalid outside its page or object types.
int Check_Property(const QString& text, bool read, int Obj_Type);
// Whether a write row of the code and property result may name this data type.
bool Check_Data_Type(const QString& text, int Obj_Type, int Property_val);
// The data type the message names for the code, or empty.
QString Aspected_Data_Type_Value(int Obj_Type, int Property_val);
// The largest NByte a write row of the data type may take.
int Check_Num_Byte_Max(const QString& dataType);
// What is wrong with an "M" destination's byte list of `NumByte` bytes, or nothing.
std::optional<accesslist::Failure> Check_Dest_Add(const QString& values, int NumByte, bool InRead);

// The NByte hint of a read row's object type and property; empty for none.
QString NByte_Hint(const QString& objectType, const QString& property);

// The rules of both pages for the kind.
std::vector<accesslist::SectionRules> rules(int kind);

// EDE object types in the tables' terms.
QString Get_ObjType_EDE(int edeType);
QString Get_DataType_EDE(int edeType);
int Get_NumByte_EDE(int edeType);

// The import of chosen objects into the rows of both pages (grid rows 1.., each with every column
// of its page). Each object takes the next free row of its page (one with an empty key) and the
// page's next free byte; used rows stay as they are. Objects left over when a page has no free
// row are counted, per page.
struct ImportOutcome {
    std::vector<int> filled[2];  // indexes into the rows, per page
    int notImported[2] = {0, 0};
};
ImportOutcome importObjects(accesslist::Rows& read, accesslist::Rows& write, int kind,
                            const std::vector<TBACnet_Var>& objects, const QString& address);

}  // namespace bacnetclient
