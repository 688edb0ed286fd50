#include "fieldbus/UTransmitJ1939.h"

#include "fieldbus/J1939Schemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr int kAreaBytes = 1440;

const AccessListDef& definition() {
    static const AccessListDef def{
        "FTransmitJ1939", 800, "Tahoma", 2700, 2701, 2702, 2708, 2743, 2735, false,
        &j1939::transmitSchema(), &g_J1939SendFramesFile,
        {{"", "sga", -1,
          {{2714, -1, edNormal, 40, clWindow},
           {2715, 2725, edNormal, 50, 16710368},
           {2716, 2726, edComboList, 65, 16710368},
           {2717, 2727, edNormal, 85, 16710368},
           {2718, 2728, edNormal, 95, 16710368},
           {2719, 2729, edNormal, 60, 11075583},
           {2720, 2730, edDataCheckBox, 55, 13303754},
           {2721, 2731, edDataCheckBox, 80, 13303754},
           {2722, 2732, edDataCheckBox, 60, 13303754},
           {2723, 2733, edNormal, 70, 13303754},
           {2724, 2734, edNormal, 115, clWhite}}}}};
    return def;
}

}  // namespace

TFTransmitJ1939::TFTransmitJ1939(QWidget* parent) : TAccessListForm(definition(), parent) {
    sga = &Grid(0);
    sga->Columns().Items(2).SetComboItems({QStringLiteral("0"), QStringLiteral("1")});
    Set_Lang();
}

void TFTransmitJ1939::Prepare_Show() { NUM_BYTE_OUT = kAreaBytes; }

std::vector<accesslist::SectionRules> TFTransmitJ1939::Rules() const { return j1939::transmitRules(NUM_BYTE_OUT); }
