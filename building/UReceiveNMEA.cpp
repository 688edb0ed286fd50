#include "building/UReceiveNMEA.h"

#include "building/BuildingLists.h"
#include "building/NMEASchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

const AccessListDef& definition() {
    using namespace building;
    static const AccessListDef def{
        "FReceiveNMEA", 810, nullptr, 3500, 3501, 3502, 3508, 3543, 3531, false,
        &nmea::receiveSchema(), &g_NMEARecFramesFile,
        {{"", "sga", -1,
          {{3514, -1, edNormal, 32, clWindow},
           {3515, 3523, edNormal, 70, kIdentityColour},
           {3516, 3524, edNormal, 95, kIdentityColour},
           {3517, 3525, edDataCheckBox, 115, kProtocolColour},
           {3518, 3526, edDataCheckBox, 80, kProtocolColour},
           {3519, 3527, edNormal, 70, kDataColour},
           {3520, 3528, edNormal, 60, kDataColour},
           {3521, 3529, edDataCheckBox, 80, kProtocolColour},
           {3522, 3530, edNormal, 180, clWhite}}}}};
    return def;
}

}  // namespace

TFReceiveNMEA::TFReceiveNMEA(QWidget* parent) : TAccessListForm(definition(), parent) {
    sga = &Grid(0);
    Set_Lang();
}

void TFReceiveNMEA::Prepare_Show() { NUM_BYTE_IN = nmea::kAreaBytes; }

std::vector<accesslist::SectionRules> TFReceiveNMEA::Rules() const { return nmea::receiveRules(NUM_BYTE_IN); }
