#include "fieldbus/USet_SDO_Client_Access.h"

#include "fieldbus/CANopenLists.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

using accesslist::Attribute;

constexpr int kTableRows = 256;
constexpr int kAreaBytes = 1440;

std::vector<Attribute> attributes(bool write) {
    std::vector<Attribute> a = {{"Device_ID"}, {"Index"}, {"SubIndex"}, {"NByte"}, {"Poll_Time"}};
    if (write) a.push_back({"On_Change"});
    for (const char* n : {"Address_B1", "Address_B2", "Address_B3", "Address_B4", "Mnemonic"}) a.push_back({n});
    return a;
}

std::vector<AccessListColumn> columns(int h, int hint, bool write) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    using canopen::kTimingColour;
    std::vector<AccessListColumn> c = {{h, -1, edNormal, 40, clWindow},
                                       {h + 1, hint, edNormal, 60, kIdentityColour},
                                       {h + 2, hint + 1, edNormal, 55, kIdentityColour},
                                       {h + 3, hint + 2, edNormal, 60, kIdentityColour},
                                       {h + 4, hint + 3, edNormal, 45, kIdentityColour},
                                       {h + 5, hint + 4, edNormal, 60, kTimingColour}};
    int next = 6;
    if (write) {
        c.push_back({h + 6, hint + 5, edDataCheckBox, 68, kTimingColour});
        next = 7;
    }
    for (int k = 0; k < 4; ++k) c.push_back({h + next + k, hint + next - 1 + k, edNormal, 70, kAddressColour});
    c.push_back({h + next + 4, hint + next + 3, edNormal, write ? 95 : 163, clWhite});
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_SDO_Client_Access", 798, "Tahoma", 2400, 2401, 2402, 2408, 2479, 2460, false,
        &TFSet_SDO_Client_Access::Schema(), &g_SDOClientCANopenFile,
        {{"TS_SDO_Read", "sga", 2414, columns(2416, 2439, false)},
         {"TS_SDO_Write", "sgb", 2415, columns(2427, 2449, true)}}};
    return def;
}

// The checks of one page; `firstAddress` is the column of Add Byte1.
accesslist::SectionRules pageRules(int t, int areaBytes, int pollMin, int firstAddress) {
    using namespace accesslist;
    SectionRules rules;
    rules.checks = {inRange(1, 1, 127, t),
                    inRange(2, 4096, 65535, t + 1),
                    inRange(3, 0, 255, t + 2),
                    oneOf(4, {1, 2, 4}, t + 3),
                    inRange(5, pollMin, 100000000, t + 4),
                    inRangeShowingLimit(firstAddress, 0, areaBytes - 1, t + 5),
                    when([](const RowView& r) { const int n = r.number(4); return n == 2 || n == 4; },
                         inRangeShowingLimit(firstAddress + 1, 0, areaBytes - 1, t + 6)),
                    when([](const RowView& r) { return r.number(4) == 4; },
                         inRangeShowingLimit(firstAddress + 2, 0, areaBytes - 1, t + 7)),
                    when([](const RowView& r) { return r.number(4) == 4; },
                         inRangeShowingLimit(firstAddress + 3, 0, areaBytes - 1, t + 8))};
    return rules;
}

}  // namespace

const accesslist::Schema& TFSet_SDO_Client_Access::Schema() {
    static const accesslist::Schema schema{
        "SDO_Client_CANopen.xml", "SDO_Client_CANopen", "1.000", "row", accesslist::NumberRule::House,
        {{"SDO_Read", attributes(false), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {}, "SDO Read"},
         {"SDO_Write", attributes(true), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {6}, "SDO Write"}}};
    return schema;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Client_Access::Rules_For(int nbyteIn, int nbyteOut) {
    // Reads are polled, so their period cannot be 0; a write may go on change only.
    return {pageRules(2461, nbyteIn, 1, 6), pageRules(2470, nbyteOut, 0, 7)};
}

TFSet_SDO_Client_Access::TFSet_SDO_Client_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_SDO_Read = Page(0);
    TS_SDO_Write = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_SDO_Client_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_SDO_Client_Access::Rules() const {
    return Rules_For(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_SDO_Client_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
