#include "fieldbus/UTransmitCAN.h"

#include "fieldbus/CANSchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"

namespace {

constexpr TColor kEnableColour = 11589887;    // light orange
constexpr TColor kIdentityColour = 16710368;  // pale cyan: identifier, type and length
constexpr TColor kTriggerColour = 11075496;   // light green: triggers and timer
constexpr TColor kAreaColour = 16045820;      // light pink: exchange-area positions

std::vector<AccessListColumn> columns() {
    std::vector<AccessListColumn> c = {{2208, -1, edNormal, 40, clWindow},
                                       {2209, 2231, edDataCheckBox, 50, kEnableColour},
                                       {2210, 2232, edNormal, 90, kIdentityColour},
                                       {2211, 2233, edComboList, 90, kIdentityColour},
                                       {2212, 2234, edNormal, 70, kIdentityColour},
                                       {2213, 2235, edDataCheckBox, 65, kTriggerColour},
                                       {2262, 2263, edDataCheckBox, 50, kTriggerColour},
                                       {2214, 2236, edDataCheckBox, 55, kTriggerColour},
                                       {2215, 2237, edNormal, 70, kTriggerColour}};
    for (int k = 0; k < 8; ++k) c.push_back({2216 + k, 2238 + k, edComboList, 48, kAreaColour});
    c.push_back({2224, 2246, edNormal, 110, clWindow});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FTransmitCAN", 1100, nullptr, 2200, 2201, 2202, 2225, 2261, 2247, true,
        &can::transmitSchema(), &g_CANSendFramesFile, {{"", "CG_CAN_Transmit", -1, columns()}}};
    return def;
}

}  // namespace

TFTransmitCAN::TFTransmitCAN(QWidget* parent)
    : TCANFrameForm(definition(), can::kTxFirstByte, &can::transmitRules, parent) {
    CG_CAN_Transmit = &Grid(0);
    Set_Lang();
}

void TFTransmitCAN::Prepare_Show() {
    Hard_Type = 1;
    TCANFrameForm::Prepare_Show();
    // The hints are read again at every showing.
    const std::vector<AccessListColumn> all = columns();
    Hint_TransmitCAN.clear();
    for (size_t c = 1; c < all.size(); ++c) Hint_TransmitCAN << Text_Table.value(all[c].hint);
}
