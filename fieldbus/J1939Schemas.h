#pragma once
// The files and row rules of the two J1939 lists (receive and transmit parameter groups), without
// any widget: the windows, the tests and the fuzzer read them here.
#include "shell/AccessListFile.h"

#include <vector>

namespace j1939 {

// "J1939_Rec_Frames.xml": up to 512 rows in the root "Receive_J1939", keyed by the PGN (column 2).
const accesslist::Schema& receiveSchema();
// "J1939_Send_Frames.xml": up to 512 rows in the root "Transmit_J1939", keyed by the PGN (column 3);
// rows of older files with "T_Type" in place of the three trigger flags are read too.
const accesslist::Schema& transmitSchema();

// The rules of each list; the bytes of the rows together may not pass `areaBytes`.
std::vector<accesslist::SectionRules> receiveRules(int areaBytes);
std::vector<accesslist::SectionRules> transmitRules(int areaBytes);

}  // namespace j1939
