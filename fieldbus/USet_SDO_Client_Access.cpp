#include "fieldbus/USet_SDO_Client_Access.h"

#include "fieldbus/CANopenLists.h"
#include "fieldbus/CANopenSchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr int kAreaBytes = 1440;

std::vector<AccessListColumn> columns(int h, int hint, bool write) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    using canopen::kTimingColour;
    std::vector<AccessListColumn> c = {{h, -1, edNormal, 40, clWindow},
                                       {h + 1, hint, edNormal, 60, kIdentityColour},
                                       {h + 2, hint + 1, edNormal, 55, kIdentityColour},
                                       {h + 3, hint + 2, edNormal, 60, kIdentityColour},
                                       {h + 4, hint + 3, edNormal, 45, kIdentityColour},
                                       {h + 5, hint + 4, edNormal, 60, kTimingColour}};
    int next = 6;
    if (write) {
        c.push_back({h + 6, hint + 5, edDataCheckBox, 68, kTimingColour});
        next = 7;
    }
    for (int k = 0; k < 4; ++k) c.push_back({h + next + k, hint + next - 1 + k, edNormal, 70, kAddressColour});
    c.push_back({h + next + 4, hint + next + 3, edNormal, write ? 95 : 163, clWhite});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_SDO_Client_Access", 798, "Tahoma", 2400, 2401, 2402, 2408, 2479, 2460, false,
        &canopen::sdoClientSchema(), &g_SDOClientCANopenFile,
        {{"TS_SDO_Read", "sga", 2414, columns(2416, 2439, false)},
         {"TS_SDO_Write", "sgb", 2415, columns(2427, 2449, true)}}};
    return def;
}

}  // namespace

TFSet_SDO_Client_Access::TFSet_SDO_Client_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_SDO_Read = Page(0);
    TS_SDO_Write = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_SDO_Client_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Client_Access::Rules() const {
    return canopen::sdoClientRules(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_SDO_Client_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
