#include "building/UTransmitNMEA.h"

#include "building/BuildingLists.h"
#include "building/NMEASchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

const AccessListDef& definition() {
    using namespace building;
    static const AccessListDef def{
        "FTransmitNMEA", 810, nullptr, 3600, 3601, 3602, 3608, 3642, 3635, false,
        &nmea::transmitSchema(), &g_NMEASendFramesFile,
        {{"", "sga", -1,
          {{3614, -1, edNormal, 32, clWindow},
           {3615, 3625, edNormal, 55, kIdentityColour},
           {3616, 3626, edNormal, 65, kIdentityColour},
           {3617, 3627, edNormal, 95, kIdentityColour},
           {3618, 3628, edDataCheckBox, 75, kProtocolColour},
           {3619, 3629, edNormal, 65, kDataColour},
           {3620, 3630, edDataCheckBox, 60, kProtocolColour},
           {3621, 3631, edDataCheckBox, 80, kProtocolColour},
           {3622, 3632, edDataCheckBox, 65, kProtocolColour},
           {3623, 3633, edNormal, 75, kProtocolColour},
           {3624, 3634, edNormal, 110, clWhite}}}}};
    return def;
}

}  // namespace

TFTransmitNMEA::TFTransmitNMEA(QWidget* parent) : TAccessListForm(definition(), parent) {
    sga = &Grid(0);
    Set_Lang();
}

void TFTransmitNMEA::Prepare_Show() { NUM_BYTE_OUT = nmea::kAreaBytes; }

std::vector<accesslist::SectionRules> TFTransmitNMEA::Rules() const { return nmea::transmitRules(NUM_BYTE_OUT); }
