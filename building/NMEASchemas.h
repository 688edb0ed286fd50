#pragma once
// The files and row rules of the two NMEA 2000 frame lists, without any widget: the windows, the
// tests and the fuzzer read them here.
#include "shell/AccessListFile.h"

#include <vector>

namespace nmea {

// Table rows of either list.
inline constexpr int kRows = 62;
// The data area a list may fill, in bytes.
inline constexpr int kAreaBytes = 512;

// "NMEA_Rec_Frames.xml": the PGNs taken from the bus and the bytes kept of each, keyed by the PGN.
const accesslist::Schema& receiveSchema();
// "NMEA_Send_Frames.xml": the PGNs sent and when, keyed by the Priority. Its root has the receive
// file's name, as the gateway's files have always had.
const accesslist::Schema& transmitSchema();

// The rules of each list, the byte total held to the given area size.
std::vector<accesslist::SectionRules> receiveRules(int numByteIn);
std::vector<accesslist::SectionRules> transmitRules(int numByteOut);

}  // namespace nmea
