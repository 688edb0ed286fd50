#pragma once
// The CANopen EDS writer: the electronic data sheet of the gateway as a CANopen slave, written from
// the PDO list ("PDO_CANopen.xml") and the SDO server list ("SDO_Server_CANopen.xml"). Everything
// else in the file is fixed. No widget: the main window's step asks for the name and calls Build_EDS.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

struct PDO_Item {
    int32_t COB_ID = 0;
    int32_t Dimension = 0;  // data bytes, 1 to 8
};

struct SDO_Sub_Type {
    uint8_t Sub = 0;
    int32_t Quantity = 0;  // bytes: 1, 2, any other value means 4
    bool Readonly = false;
    QString Mnemonic;      // always empty
};

// One object of the manufacturer area; never without a sub-index.
struct SDO_Index {
    uint16_t Index = 0;
    std::vector<SDO_Sub_Type> Sub_Indexs;
};

inline constexpr int kMaxPDO = 30;  // per direction

// What one call reads: entries 0-29 of PDO_List are the receive PDOs, 30-59 the transmit PDOs, each
// in file order; List_SDO_Index holds the objects in the order they first appear.
struct EDS_Tables {
    std::array<PDO_Item, 2 * kMaxPDO> PDO_List{};
    int32_t Num_RPDO = 0;
    int32_t Num_TPDO = 0;
    std::vector<SDO_Index> List_SDO_Index;
};

// Fill the tables from g_PDOCANopenFile and g_SDOServerCANopenFile; a missing file gives no entries.
// False with the reason in `error` when a file cannot be read or a row cannot be used.
bool Load_PDO_CANopen(EDS_Tables& tables, QString* error);
bool Load_SDO_Server_CANopen(EDS_Tables& tables, QString* error);
// The position of the object with this index, or -1.
int Find_SDO_Index(const std::vector<SDO_Index>& list, int Index);
// Orders the sub-indexes of every object; equal ones keep their order. The objects keep theirs.
void Sort_SDO_Sub_Indexs(std::vector<SDO_Index>& list);

// Reads both files and writes the EDS under FileName in one atomic write, replacing a file that is
// there. Asks nothing; a failure is shown in an error box, nothing is written then and false returned.
bool Build_EDS(const QString& FileName);

namespace eds {

// The readers of the two files' bytes (what Load_... read from disk).
bool readPdo(const QByteArray& bytes, EDS_Tables& tables, QString* error);
bool readSdoServer(const QByteArray& bytes, EDS_Tables& tables, QString* error);
// Why the tables cannot make an EDS: an SDO object with the index of an object the file already
// defines (a fixed one or one of the PDOs'), which would give two sections of one name.
std::optional<QString> problem(const EDS_Tables& tables);

// "mm-dd-yyyy" and "hh:mmAM" / "hh:mmPM" (12-hour; noon is "12:..PM", midnight "00:..AM").
QString dateText(const QDate& date);
QString timeText(const QTime& time);

// The file's lines without line ends, from sorted tables; `now` gives both creation and
// modification stamps.
QStringList edsLines(const EDS_Tables& tables, const QDateTime& now);
// The lines as ASCII, each ended by CR LF.
QByteArray edsBytes(const QStringList& lines);

// The whole road over the files' bytes (nothing for a missing file): the EDS bytes, or the reason
// it cannot be written.
struct Built {
    QByteArray bytes;
    QString error;  // empty on success
};
Built build(const std::optional<QByteArray>& pdoFile, const std::optional<QByteArray>& sdoServerFile,
            const QDateTime& now);

}  // namespace eds
