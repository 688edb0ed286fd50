#include "fieldbus/UReceiveCAN.h"

#include "fieldbus/CANSchemas.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

constexpr TColor kEnableColour = 11589887;    // light orange
constexpr TColor kIdentityColour = 16710368;  // pale cyan: identifier, type and length
constexpr TColor kTimingColour = 11075496;    // light green
constexpr TColor kAreaColour = 16045820;      // light pink: exchange-area positions

std::vector<AccessListColumn> columns() {
    std::vector<AccessListColumn> c = {{2108, -1, edNormal, 40, clWindow},
                                       {2109, 2129, edDataCheckBox, 50, kEnableColour},
                                       {2110, 2130, edNormal, 90, kIdentityColour},
                                       {2111, 2131, edComboList, 90, kIdentityColour},
                                       {2112, 2132, edNormal, 70, kIdentityColour},
                                       {2113, 2134, edNormal, 75, kTimingColour}};
    for (int k = 0; k < 8; ++k) c.push_back({2114 + k, 2135 + k, edComboList, 48, kAreaColour});
    c.push_back({2122, 2143, edNormal, 185, clWindow});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FReceiveCAN", 1010, nullptr, 2100, 2101, 2102, 2123, 2158, 2144, true,
        &can::receiveSchema(), &g_CANRecFramesFile, {{"", "CG_CAN_Receive", -1, columns()}}};
    return def;
}

}  // namespace

TFReceiveCAN::TFReceiveCAN(QWidget* parent)
    : TCANFrameForm(definition(), can::kRxFirstByte, &can::receiveRules, parent) {
    CG_CAN_Receive = &Grid(0);
    Set_Lang();
}
