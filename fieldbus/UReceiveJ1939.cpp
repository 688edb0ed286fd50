#include "fieldbus/UReceiveJ1939.h"

#include "fieldbus/J1939Schemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr int kAreaBytes = 1440;

const AccessListDef& definition() {
    static const AccessListDef def{
        "FReceiveJ1939", 876, "Tahoma", 2600, 2601, 2602, 2608, 2647, 2635, false,
        &j1939::receiveSchema(), &g_J1939RecFramesFile,
        {{"", "sga", -1,
          {{2614, -1, edNormal, 40, clWindow},
           {2615, 2625, edComboList, 65, 16710368},
           {2616, 2626, edNormal, 85, 16710368},
           {2617, 2627, edNormal, 95, 16710368},
           {2618, 2628, edDataCheckBox, 113, 11075583},
           {2619, 2629, edNormal, 65, 13303754},
           {2620, 2630, edNormal, 55, 13303754},
           {2621, 2631, edDataCheckBox, 75, 16045820},
           {2622, 2632, edDataCheckBox, 75, 11589887},
           {2623, 2633, edNormal, 65, 11589887},
           {2624, 2634, edNormal, 120, clWhite}}}}};
    return def;
}

}  // namespace

TFReceiveJ1939::TFReceiveJ1939(QWidget* parent) : TAccessListForm(definition(), parent) {
    sga = &Grid(0);
    sga->Columns().Items(1).SetComboItems({QStringLiteral("0"), QStringLiteral("1")});
    Set_Lang();
}

void TFReceiveJ1939::Prepare_Show() { NUM_BYTE_IN = kAreaBytes; }

std::vector<accesslist::SectionRules> TFReceiveJ1939::Rules() const { return j1939::receiveRules(NUM_BYTE_IN); }
