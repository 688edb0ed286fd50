#pragma once
// The SNMP agent's object lists without any widget: the file "SNMP_Trap.xml" (which the MIB writer
// reads too), the name rule of community names and descriptions, and the rules of the rows.
#include "shell/AccessListFile.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace snmp {

// Table rows of each list.
inline constexpr int kRows = 256;
// The data areas the objects lie in, in bytes.
inline constexpr int kAreaBytes = 1440;
// The most characters of a community name and of a description.
inline constexpr int kNameLength = 15;

// Read list columns.
enum ReadColumn {
    rEnable = 1, rCommunity, rType, rOnChange, rOnCommand, rOnTimer, rTime, rPosition, rBit, rNumBits,
    rDescription, rIPAddress, rConversion, rMnemonic
};
// Write list columns.
enum WriteColumn { wEnable = 1, wCommunity, wType, wPosition, wBit, wNumBits, wDescription, wConversion, wMnemonic };

// "SNMP_Trap.xml": the read list, then the write list, each keyed by the trimmed Community Name.
const accesslist::Schema& schema();

// The name rule: only ASCII digits and letters; with `checkType` 1 (descriptions) the first
// character a lower-case letter. An empty text passes. True when the text breaks the rule.
bool Check_Error_CommName_Desc(const QString& text, int checkType);

// The rules of both lists, built afresh for each validation: building them empties
// `checkedDescriptions`, validation fills it with the descriptions of the rows it checked, which
// must all differ (the list must outlive the rules).
std::vector<accesslist::SectionRules> rules(QStringList* checkedDescriptions);

}  // namespace snmp
