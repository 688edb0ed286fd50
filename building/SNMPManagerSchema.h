#pragma once
// The SNMP manager polling list without any widget: the file of the requests the gateway sends to
// SNMP agents, and the rules of its rows (addresses, object identifiers, timing, the version-3
// credentials, and no two requests for the same object of the same agent).
#include "shell/AccessListFile.h"

#include <vector>

namespace snmpmanager {

inline constexpr int kRows = 512;
// The exchange area the requests map into, in bytes.
inline constexpr int kAreaBytes = 1440;

// Columns of the grid.
enum Column {
    cEnable = 1, cIPAddress, cVersion, cCommunity, cOID, cType, cMode, cOnChange, cOnCommand, cOnTimer, cTime,
    cPosition, cNumBytes, cConversion, cCancel, cUser, cAuthPass, cPrivPass, cSecurityLevel, cAuthMode, cPrivMode,
    cMnemonic
};

// "SNMP_Manager.xml": the rows straight in the root, keyed by the IP Address.
const accesslist::Schema& schema();
std::vector<accesslist::SectionRules> rules();

}  // namespace snmpmanager
