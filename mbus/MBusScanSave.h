#pragma once
// Writing what a scan found: the chosen meters into the project's network file (the same "Nodo" /
// "Variabile" layout as MBusNetwork.h, with the attribute set of the gateway family and a Modbus
// register for every value), and the scan report. The scan engine exposes these under its own
// operations; the Scan & Decode window fills the record.
#include "mbus/MBusMeters.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace mbus {

struct TSaveConfXML {
    int32_t Append = 0;         // 1: add the nodes under the root of the existing File_Name
    int32_t XML_Code_Dev = 18;  // gateway family: selects the attribute set
    int32_t Mod_Start = 1;      // first Modbus register of the first node
    int32_t Index_Baud = 0;     // written only by the wired writer for families 4 and 7
    int32_t Index_Par = 0;
    int32_t Node_ID_Type = 0;   // wired nodes: 0 primary, 1 secondary
    int32_t SND_NKE = 0;        // 1 writes "1" into the wired nodes' Send_SND_NKE
    int32_t Reset_App = 0;      // 1 writes "1" into the wired nodes' Reset_App
    int32_t Cut_After = 3;      // wired nodes' Cut_After
    int32_t StartModnode = 0;   // 1: node i starts at SMN_Array[i]
    std::vector<int32_t> SMN_Array;
    bool En_NodeState = false;  // reserve a register for the node state (families 0, 1, 9, 13, 14)
    bool En_IdeNum = false;     // reserve two for the identification number (the same families)
    QString File_Name;
};

// Whether the window's tree row of wired meter `meter` (variable -1) or of one of its values is
// ticked. A row that is missing or cannot be read counts as ticked; an empty query ticks all.
using TWiredTickQuery = std::function<bool(int meter, int variable)>;

// Write the meters of the list into DataIn.File_Name. False, and no file touched, when the list is
// empty; true once the file is saved. Throws plat::Error when the file to append to cannot be
// loaded or the file cannot be written (the file is then as it was).
bool Save_XML_Conf_Wired(TMBusSlaveList& list, const TSaveConfXML& DataIn, bool Check_BCD,
                         const TWiredTickQuery& ticked = {});
bool Save_XML_Conf_Wireless(TWMBusSlaveList& list, const TSaveConfXML& DataIn, bool Check_BCD);

// The scan report: every meter with every decoded value and its raw fields. Throws plat::Error
// when the file cannot be written.
void Save_XML_File_DLL(TMBusSlaveList& list, const QString& fileName);
void Save_Wireless_XML_File_DLL(TWMBusSlaveList& list, const QString& fileName);

// Modbus registers a value takes, by its data-field code; variable-length data take half their
// byte count rounded to even.
int Register_Count(uint8_t dataField, int32_t nbyte);
// The network file's "Dim" index of a data-field code, 255 for a code without one.
int Dim_Index(uint8_t dataField);

}  // namespace mbus
