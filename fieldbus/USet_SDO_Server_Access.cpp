#include "fieldbus/USet_SDO_Server_Access.h"

#include "fieldbus/CANopenLists.h"
#include "fieldbus/CANopenSchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr int kAreaBytes = 1440;

std::vector<AccessListColumn> columns(int h, int hint) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    std::vector<AccessListColumn> c = {{h, -1, edNormal, 40, clWindow},
                                       {h + 1, hint, edNormal, 65, kIdentityColour},
                                       {h + 2, hint + 1, edNormal, 61, kIdentityColour},
                                       {h + 3, hint + 2, edNormal, 55, kIdentityColour}};
    for (int k = 0; k < 4; ++k) c.push_back({h + 4 + k, hint + 3 + k, edNormal, 80, kAddressColour});
    c.push_back({h + 8, hint + 7, edNormal, 170, clWhite});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_SDO_Server_Access", 749, "Tahoma", 2500, 2501, 2502, 2508, 2565, 2550, false,
        &canopen::sdoServerSchema(), &g_SDOServerCANopenFile,
        {{"TS_SDO_Read", "sga", 2514, columns(2516, 2534)}, {"TS_SDO_Write", "sgb", 2515, columns(2525, 2542)}}};
    return def;
}

}  // namespace

TFSet_SDO_Server_Access::TFSet_SDO_Server_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_SDO_Read = Page(0);
    TS_SDO_Write = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_SDO_Server_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Server_Access::Rules() const {
    return canopen::sdoServerRules(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_SDO_Server_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
