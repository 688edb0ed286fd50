#include "building/UDMXDefVal.h"

#include "building/BuildingLists.h"
#include "building/DMXSchema.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"

namespace {

const AccessListDef& definition() {
    using namespace building;
    static const AccessListDef def{
        "FDMXDefVal", 475, nullptr, 3700, 3701, 3702, 3704, -1, 3711, false,
        &dmx::defaultValuesSchema(), &g_DMXDefaultValuesFile,
        {{"", "CG_DMX_Def_Val", -1,
          {{3706, -1, edNormal, 60, clWindow},
           {3707, 3709, edNormal, 100, kDataColour},
           {3708, 3710, edNormal, 270, clWhite}}}},
        false};
    return def;
}

}  // namespace

TFDMXDefVal::TFDMXDefVal(QWidget* parent) : TAccessListForm(definition(), parent) {
    CG_DMX_Def_Val = &Grid(0);
    Set_Lang();
}

void TFDMXDefVal::Prepare_Show() {
    // A project without the parameter file, or one that cannot be read, drives a whole universe.
    Num_Channels = dmx::kMaxChannels;
    if (plat::fileExists(g_ParGenFile))
        if (const std::optional<QByteArray> bytes = plat::readFile(g_ParGenFile)) Num_Channels = dmx::channelCount(*bytes);
    CG_DMX_Def_Val->SetRowCount(Num_Channels + 1);
}

std::vector<accesslist::SectionRules> TFDMXDefVal::Rules() const { return dmx::defaultValuesRules(); }
