#pragma once
// The items of the network editor's "Type" and "VIFE" drop-down lists. The decoder's type codes
// (type_data, Type_Data_Vife) are indexes into them. The same in every language.
#include <QStringList>

namespace mbus {

const QStringList& Type_Of_Data_Items();  // 26 items
const QStringList& VIFE_Items();          // 152 items, 0 "Not Selected"

}  // namespace mbus
