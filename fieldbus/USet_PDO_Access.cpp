#include "fieldbus/USet_PDO_Access.h"

#include "fieldbus/CANopenLists.h"
#include "fieldbus/CANopenSchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr int kAreaBytes = 1440;

std::vector<AccessListColumn> columns(int firstHeader, int firstHint, bool transmit) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    using canopen::kTimingColour;
    std::vector<AccessListColumn> c = {{firstHeader, -1, edNormal, 40, clWindow},
                                       {firstHeader + 1, firstHint, edNormal, 65, kIdentityColour},
                                       {firstHeader + 2, firstHint + 1, edNormal, 65, kIdentityColour}};
    for (int k = 0; k < 8; ++k) c.push_back({firstHeader + 3 + k, firstHint + 2 + k, edNormal, 45, kAddressColour});
    c.push_back({firstHeader + 11, firstHint + 10, edNormal, 65, kTimingColour});
    if (transmit) {
        c.push_back({firstHeader + 12, firstHint + 11, edDataCheckBox, 68, kTimingColour});
        c.push_back({firstHeader + 13, firstHint + 12, edNormal, 105, clWhite});
    } else {
        c.push_back({firstHeader + 12, firstHint + 11, edNormal, 173, clWhite});
    }
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_PDO_Access", 798, "Tahoma", 2300, 2301, 2302, 2308, 2391, 2368, false,
        &canopen::pdoSchema(), &g_PDOCANopenFile,
        {{"TS_Receive_PDO", "sga", 2314, columns(2316, 2343, false)},
         {"TS_Transmit_PDO", "sgb", 2315, columns(2329, 2355, true)}}};
    return def;
}

}  // namespace

TFSet_PDO_Access::TFSet_PDO_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_Receive_PDO = Page(0);
    TS_Transmit_PDO = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_PDO_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_PDO_Access::Rules() const {
    return canopen::pdoRules(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_PDO_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
