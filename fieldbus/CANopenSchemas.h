#pragma once
// The files and row rules of the three CANopen lists (PDO, SDO client, SDO server), without any
// widget: the windows, the EDS writer, the tests, the benchmark and the fuzzer all read them here.
#include "shell/AccessListFile.h"

#include <vector>

namespace canopen {

// "PDO_CANopen.xml": "Receive_PDO" and "Transmit_PDO", 30 rows each, keyed by the COB-ID.
const accesslist::Schema& pdoSchema();
// "SDO_Client_CANopen.xml": "SDO_Read" and "SDO_Write", 256 rows each, keyed by the device id.
const accesslist::Schema& sdoClientSchema();
// "SDO_Server_CANopen.xml": "SDO_Read" and "SDO_Write", 500 rows each, keyed by the index.
const accesslist::Schema& sdoServerSchema();

// The rules of both pages, the address limits taken from the exchange-area sizes.
std::vector<accesslist::SectionRules> pdoRules(int nbyteIn, int nbyteOut);
std::vector<accesslist::SectionRules> sdoClientRules(int nbyteIn, int nbyteOut);
std::vector<accesslist::SectionRules> sdoServerRules(int nbyteIn, int nbyteOut);

}  // namespace canopen
