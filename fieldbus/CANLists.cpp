#include "fieldbus/CANLists.h"

#include "fieldbus/CANSchemas.h"
#include "grid/ExCGrid.h"

TCANFrameForm::TCANFrameForm(const AccessListDef& def, int firstByteColumn, RulesOf rules, QWidget* parent)
    : TAccessListForm(def, parent), firstByte_(firstByteColumn), rules_(rules) {
    Grid(0).Columns().Items(can::kType).SetComboItems({QString::fromUtf16(can::kType11), QString::fromUtf16(can::kType29)});
}

void TCANFrameForm::Prepare_Show() {
    MAX_Byte = can::kAreaBytes;
    // One list serves the eight columns (and both lists): 1,441 texts are not copied eight times.
    const QStringList& items = can::byteItems(MAX_Byte);
    for (int k = 0; k < 8; ++k) Grid(0).Columns().Items(firstByte_ + k).SetComboItems(items);
}

std::vector<accesslist::SectionRules> TCANFrameForm::Rules() const { return rules_(MAX_Byte); }
