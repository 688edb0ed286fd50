#include "fieldbus/USet_SDO_Server_Access.h"

#include "fieldbus/CANopenLists.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

using accesslist::Attribute;

constexpr int kTableRows = 500;
constexpr int kAreaBytes = 1440;

std::vector<Attribute> attributes() {
    return {{"Index"}, {"SubIndex"}, {"NByte"}, {"Address_B1"}, {"Address_B2"}, {"Address_B3"}, {"Address_B4"},
            {"Mnemonic"}};
}

std::vector<AccessListColumn> columns(int h, int hint) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    std::vector<AccessListColumn> c = {{h, -1, edNormal, 40, clWindow},
                                       {h + 1, hint, edNormal, 65, kIdentityColour},
                                       {h + 2, hint + 1, edNormal, 61, kIdentityColour},
                                       {h + 3, hint + 2, edNormal, 55, kIdentityColour}};
    for (int k = 0; k < 4; ++k) c.push_back({h + 4 + k, hint + 3 + k, edNormal, 80, kAddressColour});
    c.push_back({h + 8, hint + 7, edNormal, 170, clWhite});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_SDO_Server_Access", 749, "Tahoma", 2500, 2501, 2502, 2508, 2565, 2550, false,
        &TFSet_SDO_Server_Access::Schema(), &g_SDOServerCANopenFile,
        {{"TS_SDO_Read", "sga", 2514, columns(2516, 2534)}, {"TS_SDO_Write", "sgb", 2515, columns(2525, 2542)}}};
    return def;
}

// The checks of one page: an object of the manufacturer area and the bytes its size covers.
accesslist::SectionRules pageRules(int t, int areaBytes) {
    using namespace accesslist;
    SectionRules rules;
    rules.checks = {inRange(1, 0x2000, 0x5FFF, t),
                    inRange(2, 0, 255, t + 1),
                    oneOf(3, {1, 2, 4}, t + 2),
                    inRangeShowingLimit(4, 0, areaBytes - 1, t + 3),
                    when([](const RowView& r) { const int n = r.number(3); return n == 2 || n == 4; },
                         inRangeShowingLimit(5, 0, areaBytes - 1, t + 4)),
                    when([](const RowView& r) { return r.number(3) == 4; },
                         inRangeShowingLimit(6, 0, areaBytes - 1, t + 5)),
                    when([](const RowView& r) { return r.number(3) == 4; },
                         inRangeShowingLimit(7, 0, areaBytes - 1, t + 6))};
    return rules;
}

}  // namespace

const accesslist::Schema& TFSet_SDO_Server_Access::Schema() {
    static const accesslist::Schema schema{
        "SDO_Server_CANopen.xml", "SDO_Server_CANopen", "1.000", "row", accesslist::NumberRule::House,
        {{"SDO_Read", attributes(), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {}, "SDO in Read"},
         {"SDO_Write", attributes(), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {}, "SDO in Write"}}};
    return schema;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Server_Access::Rules_For(int nbyteIn, int nbyteOut) {
    return {pageRules(2551, nbyteIn), pageRules(2558, nbyteOut)};
}

TFSet_SDO_Server_Access::TFSet_SDO_Server_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_SDO_Read = Page(0);
    TS_SDO_Write = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_SDO_Server_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Server_Access::Rules() const {
    return Rules_For(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_SDO_Server_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
