#include "fieldbus/UDNet.h"

#include "fieldbus/DeviceNet.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

const AccessListDef& definition() {
    static const AccessListDef def{"FDNet", 745, nullptr, 2800, 2801, 2802, 2808, 2827, 2823, false,
                                   &devicenet::networkSchema(), &g_DNETMNetFile,
                                   {{"", "SG", -1,
                                     {{2814, -1, edNormal, 45, clWindow},
                                      {2815, 2819, edNormal, 100, 13565902},
                                      {2816, 2820, edNormal, 100, 14024703},
                                      {2817, 2821, edNormal, 100, 14024703},
                                      {2818, 2822, edNormal, 375, clWindow}}}}};
    return def;
}

}  // namespace

TFDNet::TFDNet(QWidget* parent) : TAccessListForm(definition(), parent) {
    SG = &Grid(0);
    Set_Lang();
}

std::vector<accesslist::SectionRules> TFDNet::Rules() const { return devicenet::networkRules(); }
