#include "building/USNMP_Trap_Access.h"

#include "building/BuildingLists.h"
#include "building/SNMPSchema.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

std::vector<AccessListColumn> readColumns() {
    using namespace building;
    return {{3916, -1, edNormal, 35, clWindow},
            {3917, 3939, edDataCheckBox, 50, kProtocolColour},
            {3918, 3940, edComboEdit, 122, kIdentityColour},
            {3919, 3941, edComboList, 60, kIdentityColour},
            {3920, 3942, edDataCheckBox, 70, kProtocolColour},
            {3921, 3943, edDataCheckBox, 60, kProtocolColour},
            {3922, 3944, edDataCheckBox, 65, kProtocolColour},
            {3923, 3945, edNormal, 70, kProtocolColour},
            {3924, 3946, edComboList, 65, kDataColour},
            {3925, 3947, edComboList, 65, kDataColour},
            {3926, 3948, edNormal, 100, kDataColour},
            {3927, 3949, edNormal, 110, kIdentityColour},
            {3928, 3950, edNormal, 105, kProtocolColour},
            {3981, 3983, edComboList, 90, kDataColour},
            {3929, 3951, edNormal, 120, clWhite}};
}

std::vector<AccessListColumn> writeColumns() {
    using namespace building;
    return {{3930, -1, edNormal, 35, clWindow},
            {3931, 3952, edDataCheckBox, 50, kProtocolColour},
            {3932, 3953, edComboEdit, 122, kIdentityColour},
            {3933, 3954, edComboList, 60, kIdentityColour},
            {3934, 3955, edComboList, 65, kDataColour},
            {3935, 3956, edComboList, 65, kDataColour},
            {3936, 3957, edNormal, 100, kDataColour},
            {3937, 3958, edNormal, 110, kIdentityColour},
            {3982, 3984, edComboList, 90, kDataColour},
            {3938, 3959, edNormal, 200, clWhite}};
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSNMP_Trap_Access", 1256, nullptr, 3900, 3901, 3902, 3910, 3975, 3960, true,
        &snmp::schema(), &g_SNMPTrapFile,
        {{"TS_SNMP_Read", "CG_SNMP_Read", 3908, readColumns()},
         {"TS_SNMP_Write", "CG_SNMP_Write", 3909, writeColumns()}}};
    return def;
}

QStringList numbers(int from, int to) {
    QStringList l;
    for (int i = from; i <= to; ++i) l << QString::number(i);
    return l;
}

// The drop-down items and length limits the two lists share, by their columns.
void setUpColumns(TExColumnGrid& g, int community, int type, int bit, int description, int conversion) {
    TGridColumnCollection& c = g.Columns();
    c.Items(community).SetComboItems({QStringLiteral("Corvex"), QStringLiteral("Dunmore")});
    c.Items(community).EditLength = snmp::kNameLength;
    // A drop-down with an edit takes the grid's length limit, not its column's; the community is the
    // only such column of each list.
    g.SetMaxComboLength(c.Items(community).EditLength);
    c.Items(type).SetComboItems({QStringLiteral("Int"), QStringLiteral("String")});
    c.Items(bit).SetComboItems(numbers(0, 7));
    c.Items(description).EditLength = snmp::kNameLength;
    c.Items(conversion).SetComboItems({QStringLiteral("None"), QStringLiteral("Float"), QStringLiteral("Float * 10"),
                                       QStringLiteral("Float * 100"), QStringLiteral("Float / 10"),
                                       QStringLiteral("Float / 100")});
}

}  // namespace

TFSNMP_Trap_Access::TFSNMP_Trap_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_SNMP_Read = Page(0);
    TS_SNMP_Write = Page(1);
    CG_SNMP_Read = &Grid(0);
    CG_SNMP_Write = &Grid(1);
    setUpColumns(*CG_SNMP_Read, snmp::rCommunity, snmp::rType, snmp::rBit, snmp::rDescription, snmp::rConversion);
    setUpColumns(*CG_SNMP_Write, snmp::wCommunity, snmp::wType, snmp::wBit, snmp::wDescription, snmp::wConversion);
    for (TExColumnGrid* g : {CG_SNMP_Read, CG_SNMP_Write})
        g->OnCheckBoxClick = [this](QObject* s, int c, int r, bool state) { CG_SNMP_ReadCheckBoxClick(s, c, r, state); };
    Set_Lang();
}

void TFSNMP_Trap_Access::Prepare_Show() {
    NByte_IN = snmp::kAreaBytes;
    NByte_OUT = snmp::kAreaBytes;
    CG_SNMP_Read->Columns().Items(snmp::rPosition).SetComboItems(numbers(0, NByte_IN - 1));
    CG_SNMP_Write->Columns().Items(snmp::wPosition).SetComboItems(numbers(0, NByte_OUT - 1));
}

void TFSNMP_Trap_Access::FormShow() {
    TAccessListForm::FormShow();
    Rebuild_Index();
}

void TFSNMP_Trap_Access::Rebuild_Index() {
    for (TExColumnGrid* g : {CG_SNMP_Read, CG_SNMP_Write}) {
        int index = 0;
        for (int r = 1; r < g->RowCount(); ++r)
            g->SetCells(0, r, g->Cells(1, r).toUpper() == u"Y" ? QString::number(++index) : QString());
    }
}

void TFSNMP_Trap_Access::CG_SNMP_ReadCheckBoxClick(QObject*, int ACol, int, bool) {
    if (ACol == 1) Rebuild_Index();
}

std::vector<accesslist::SectionRules> TFSNMP_Trap_Access::Rules() const {
    return snmp::rules(&SL_Check_Desc);
}
