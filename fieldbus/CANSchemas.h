#pragma once
// The files and row rules of the two CAN frame lists (receive and transmit), without any widget:
// for each frame identifier, which byte of the exchange area each of its data bytes maps to.
#include "shell/AccessListFile.h"

#include <QStringList>
#include <vector>

namespace can {

// Bytes of the exchange area: positions 0 to 1439.
inline constexpr int kAreaBytes = 1440;

// Receive columns; Byte1 to Byte8 follow TimeOut, then Mnemonic.
inline constexpr int kRxTimeOut = 5, kRxFirstByte = 6;
// Transmit columns; Byte1 to Byte8 follow Time, then Mnemonic.
inline constexpr int kTxOnChange = 5, kTxOnCMD = 6, kTxOnTimer = 7, kTxTime = 8, kTxFirstByte = 9;
// Both lists.
inline constexpr int kEnable = 1, kCobId = 2, kType = 3, kDim = 4;

// The type cell's text of an 11-bit identifier; any other text means 29 bits.
inline constexpr const char16_t* kType11 = u"2.0A (11 bits)";
inline constexpr const char16_t* kType29 = u"2.0B (29 bits)";

// "CAN_Rec_Frames.xml": up to 512 rows in the root "Receive_Frames", keyed by the COB-ID.
const accesslist::Schema& receiveSchema();
// "CAN_Send_Frames.xml": up to 512 rows in the root "Transmit_Frames"; a row without "Time" whose
// OnTimer reads "Y" gets "0".
const accesslist::Schema& transmitSchema();

// The rules of each list; `maxByte` is the size of the exchange area the byte columns map into.
std::vector<accesslist::SectionRules> receiveRules(int maxByte);
std::vector<accesslist::SectionRules> transmitRules(int maxByte);

// The items of a byte column: "None", then "0" to maxByte - 1. Every caller asking for the same size
// shares one list.
const QStringList& byteItems(int maxByte);

}  // namespace can
