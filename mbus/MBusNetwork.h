#pragma once
// The project's M-Bus network: the meters (nodes) the gateway reads, each with the values
// (variables) it takes from their telegrams, and the network file "M_Bus.xml" that keeps them.
// The network editor and the scan's writers both use this unit; it holds no widget and no shared
// state, so the file rules are tested and fuzzed on their own.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace mbus {

inline constexpr const char* kNetworkRoot = "M-Bus_Network";
inline constexpr const char* kNetworkVersionComment = "SW_VERSION = 1.019";

// One value of a meter. The list fields hold the item index of the editor's drop-down
// (MBusCodeLists.h). A new variable is what the editor's emptied fields give: enabled, the first
// item of every list, numbers 0, position 1.
struct TVariabile {
    bool Enable = true;
    QString Description;
    int32_t Type_Of_Data = 0;     // 0..25
    int32_t Function_Field = 0;   // 0 instantaneous, 1 minimum, 2 maximum, 3 error state
    int32_t Dimension = 0;        // bits of the data field; 7 "Variable Length"
    int32_t Unita = 0;            // unit number 0..10
    uint32_t Storage_Number = 0;  // 0..0xFFFFFFFF
    int32_t Tariff = 0;           // 0..0xFFFFF
    uint8_t VIFE = 0;             // 0..151, 0 "Not Selected"
    bool BCDtoINT = false;        // convert the value from BCD to integer
    int32_t Length = 0;           // 0..191, used with Dimension 7
    QString VIF_ASCII;            // used with Type_Of_Data 21
    uint8_t Position = 1;         // 1..100, used when the node's list is "By Position"
    int32_t Topic = 0;            // index in the project's publish topics, -1 none chosen
    uint8_t Post_Operation = 0;   // 0 "None" .. 12 " * 1000000"

    bool operator==(const TVariabile&) const = default;
};

// One meter. It owns its variables. The fields that the editor shows no control for keep what the
// file held; a new node has them 0. The others start as a file node with only a description reads.
struct TNodo {
    bool Enable = true;
    QString Description;
    int32_t Node_ID_Primary = 1;    // 0..255 (wired)
    int32_t Node_ID_Secondary = 1;  // 0..99999999 (wired)
    uint8_t Send_SNK = 0;           // 0/1: send SND_NKE
    uint8_t Reset_App = 0;          // 0/1: send an application reset
    std::vector<TVariabile> Var_List;
    uint8_t Node_State = 0;
    uint8_t Ident_Num = 0;
    uint8_t BCDtoINT_IN = 0;
    int32_t Swap_Ident = 0;
    uint8_t Access_Number = 0;
    uint8_t Node_ID_Type = 0;   // 0 by primary address, 1 by secondary address
    uint8_t Var_List_Type = 0;  // 0 "By Type", 1 "By Position"
    uint8_t Cut_After = 0;      // 0..249: reading stops after Cut_After + 1 frames
    int32_t NS_Topic = 0;
    int32_t IN_Topic = 0;
    int32_t AN_Topic = 0;
    uint8_t MBus_Type = 1;      // 0 wireless, 1 wired
    QString wMBus_ManID;        // number texts as typed
    QString wMBus_Add;
    QString wMBus_Ver;
    QString wMBus_DevType;
    uint8_t wMBus_En_Key = 0;   // 0/1: telegrams encrypted with wMBus_Key
    std::array<QString, 16> wMBus_Key;
    uint8_t wMBus_RSSI = 0;
    int32_t wMBus_RSSI_Topic = 0;

    bool operator==(const TNodo&) const = default;
};

using TNodiList = std::vector<TNodo>;

// The network file's bytes: root, the version comment after it, one "Nodo" per node with one
// "Variabile" per variable, no declaration.
QByteArray Network_To_Bytes(const TNodiList& nodes);
// Writes the network file atomically, replacing it. Throws plat::Error when it cannot be written;
// the file is then as it was.
void Write_Network(const TNodiList& nodes, const QString& path);

// How reading went.
enum class TNetworkReadStatus {
    Whole,     // every node and variable was read
    Partial,   // the reading stopped at an element that lacks a required value; Nodes holds what
               // came before it and Message says why
    Refused,   // the file could not be read or is not XML; Nodes is empty, Message is the reason
    NoFile,    // there is no such file; Nodes is empty
};

struct TNetworkRead {
    TNodiList Nodes;
    TNetworkReadStatus Status = TNetworkReadStatus::Whole;
    QString Message;
};

// Reads a network from bytes or from a file by the file's rules: element names are not checked,
// a missing or unreadable value takes its default, a node without "Descrizione" or a variable
// without "Desc" or with "Type", "Fun_Field" or "Dim" missing or not an integer ends the reading.
TNetworkRead Network_From_Bytes(const QByteArray& bytes);
TNetworkRead Read_Network(const QString& path);

}  // namespace mbus
