#pragma once
// The BACnet server objects without any widget: the file "BACnet_Slave_SetAccess.xml" (which the
// EDE export reads too), the object types of each page, the length preset of the write page and the
// rules of the rows.
#include "shell/AccessListFile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace bacnet {

// Table rows of each page, and with 32-character object names.
inline constexpr int kRows = 2000;
inline constexpr int kRowsLongNames = 1000;
// The exchange areas the objects lie in, in bytes.
inline constexpr int kAreaBytes = 1440;

// The columns, the same on both pages.
enum Column { cDataType = 1, cEngUnit, cPosition, cBit, cLength, cSwap, cMnemonic };

// "BACnet_Slave_SetAccess.xml": the read page, then the write page, each keyed by the trimmed type.
const accesslist::Schema& schema();

// The object types each page offers, in the drop-down's order.
const QStringList& readTypes();
const QStringList& writeTypes();

// The Length a write object of the chosen type starts with; nothing for a type without a preset.
std::optional<QString> writeLengthPreset(const QString& type);

// Whether the bytes of "ParGen.xml" ask for 32-character object names (`BACnet_Desc_Chars_Limit`
// exactly "1"). A document or key that cannot be read asks for 16.
bool longNames(const QByteArray& parGen);

// Why a text cannot stand in a line of the EDE file, or nothing for a sound text: a ";" or a line
// break would split its line, and a character outside Windows-1252 would not survive the file's
// code page. The EDE export refuses such a text, and the rows' rules refuse it in a Mnemonic first.
std::optional<QString> edeTextProblem(const QString& text);

// The rules of both pages; the used rows of both together may not exceed `maxRows`.
std::vector<accesslist::SectionRules> rules(int maxRows);

}  // namespace bacnet
