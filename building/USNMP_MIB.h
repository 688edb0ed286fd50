#pragma once
// The SNMP MIB step: asks where to save, reads the saved object lists of "SNMP_Trap.xml" (not the
// open window) and writes the MIB text that describes the agent's objects to a manager.
#include <QString>
#include <vector>

// One flag per entry of g_MIBReadDescriptions and g_MIBWriteDescriptions: true for an integer.
inline std::vector<bool> g_MIBReadIsInt;
inline std::vector<bool> g_MIBWriteIsInt;

// The save dialog, the overwrite question, then the two routines below. No message follows success.
void Save_MIB_File();
// Fills g_MIBReadDescriptions, g_MIBWriteDescriptions and the flags from "SNMP_Trap.xml"; without
// the file they stay empty. False, after a message, when the file cannot be read.
bool Load_SNMP_Trap_Lists();
// Writes the MIB of the loaded entries. False, after a message, when an entry cannot be named in
// it or the file cannot be written; nothing is written then.
bool Write_MIB_File(const QString& fileName);
