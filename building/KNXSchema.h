#pragma once
// The KNX telegram list without any widget: its file and the rules of its rows, read here by the
// window, the tests and the fuzzer.
#include "shell/AccessListFile.h"

#include <QChar>
#include <vector>

namespace knx {

// Table rows of the list.
inline constexpr int kRows = 1024;
// The gateway's data area the telegrams' data lies in, in bytes.
inline constexpr int kAreaBytes = 1440;

// Columns of a row.
enum Column {
    cEnable = 1, cSource, cDestination, cAPCI, cPriority, cFormat, cMulFactor, cExtended, cReTest, cOnCommand,
    cOnChange, cOnTimer, cPollTime, cPosition, cBitMode, cLength, cTimeOut, cMnemonic
};

// "KNX_SetAccess.xml": one section of telegrams keyed by the trimmed Source Address.
const accesslist::Schema& schema();

// The rules of the rows; `decimalSeparator` is the one the Mul. Factor is read with.
std::vector<accesslist::SectionRules> rules(int maxNumByte, QChar decimalSeparator);

}  // namespace knx
