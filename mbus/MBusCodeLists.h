#pragma once
// The items of the network editor's drop-down lists. The decoder's type codes (type_data,
// Type_Data_Vife) are indexes into the "Type" and "VIFE" lists; a network file stores every one of
// these fields as the item index. The same in every language.
#include <QStringList>

namespace mbus {

const QStringList& Type_Of_Data_Items();  // 26 items
const QStringList& VIFE_Items();          // 152 items, 0 "Not Selected"
const QStringList& Function_Field_Items();  // 4 items, 0 "Instantaneous Value"
const QStringList& Dimension_Items();       // 8 items: bits of the data field, 7 "Variable Length"
const QStringList& Post_Operation_Items();  // 13 items, 0 "None"

}  // namespace mbus
