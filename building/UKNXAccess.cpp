#include "building/UKNXAccess.h"

#include "building/BuildingLists.h"
#include "building/KNXSchema.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

const AccessListDef& definition() {
    using namespace building;
    static const AccessListDef def{
        "FKNXAccess", 1250, nullptr, 3800, 3801, 3802, 3808, 3860, 3848, true,
        &knx::schema(), &g_KNXSetAccessFile,
        {{"", "CG_KNX_in_Write", -1,
          {{3814, -1, edNormal, 40, clWindow},
           {3815, 3831, edDataCheckBox, 50, kProtocolColour},
           {3816, 3832, edNormal, 75, kIdentityColour},
           {3817, 3833, edNormal, 75, kIdentityColour},
           {3818, 3834, edComboEdit, 60, kIdentityColour},
           {3819, 3835, edComboList, 65, kProtocolColour},
           {3820, 3836, edComboList, 95, kDataColour},
           {3861, 3863, edNormal, 70, kDataColour},
           {3821, 3837, edDataCheckBox, 60, kProtocolColour},
           {3822, 3838, edDataCheckBox, 55, kProtocolColour},
           {3823, 3840, edDataCheckBox, 55, kProtocolColour},
           {3824, 3841, edDataCheckBox, 65, kProtocolColour},
           {3825, 3842, edDataCheckBox, 60, kProtocolColour},
           {3826, 3843, edNormal, 65, kProtocolColour},
           {3827, 3844, edComboList, 60, kDataColour},
           {3828, 3845, edComboList, 65, kDataColour},
           {3829, 3846, edNormal, 55, kDataColour},
           {3862, 3864, edNormal, 65, kProtocolColour},
           {3830, 3847, edNormal, 96, clWhite}}}}};
    return def;
}

QStringList numbers(int from, int to) {
    QStringList l;
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return l;
}

}  // namespace

TFKNXAccess::TFKNXAccess(QWidget* parent) : TAccessListForm(definition(), parent) {
    CG_KNX_in_Write = &Grid(0);
    TGridColumnCollection& c = CG_KNX_in_Write->Columns();
    c.Items(knx::cAPCI).SetComboItems({QStringLiteral("Read"), QStringLiteral("Write")});
    c.Items(knx::cPriority)
        .SetComboItems({QStringLiteral("System"), QStringLiteral("Urgent"), QStringLiteral("Normal"), QStringLiteral("Low")});
    c.Items(knx::cFormat).SetComboItems({QStringLiteral("None"), QStringLiteral("Swap16"), QStringLiteral("Swap32"),
                                         QStringLiteral("Swap All"), QStringLiteral("Int to Float"),
                                         QStringLiteral("Float to Int"), QStringLiteral("Float16 to Float32"),
                                         QStringLiteral("Float16 to Int")});
    c.Items(knx::cBitMode).SetComboItems(QStringList{QStringLiteral("No")} + numbers(0, 7));
    Set_Lang();
}

void TFKNXAccess::Prepare_Show() {
    Max_Num_Byte = knx::kAreaBytes;
    CG_KNX_in_Write->Columns().Items(knx::cPosition).SetComboItems(numbers(0, Max_Num_Byte - 1));
}

std::vector<accesslist::SectionRules> TFKNXAccess::Rules() const {
    // The separator is read once for the whole list.
    return knx::rules(Max_Num_Byte, Get_Decimal_Separator());
}
