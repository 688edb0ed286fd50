#include "fieldbus/USet_PDO_Access.h"

#include "fieldbus/CANopenLists.h"
#include "grid/ExCGrid.h"
#include "shell/UComon.h"

namespace {

using accesslist::Attribute;

constexpr int kTableRows = 30;
constexpr int kAreaBytes = 1440;

std::vector<Attribute> attributes(const char* timing, bool onChange) {
    std::vector<Attribute> a = {{"COB-ID"}, {"Dimension"}};
    for (const char* n : {"Address_B1", "Address_B2", "Address_B3", "Address_B4", "Address_B5", "Address_B6",
                          "Address_B7", "Address_B8"})
        a.push_back({n});
    a.push_back({timing});
    if (onChange) a.push_back({"On_Change"});
    a.push_back({"Mnemonic"});
    return a;
}

std::vector<AccessListColumn> columns(int firstHeader, int firstHint, bool transmit) {
    using canopen::kAddressColour;
    using canopen::kIdentityColour;
    using canopen::kTimingColour;
    std::vector<AccessListColumn> c = {{firstHeader, -1, edNormal, 40, clWindow},
                                       {firstHeader + 1, firstHint, edNormal, 65, kIdentityColour},
                                       {firstHeader + 2, firstHint + 1, edNormal, 65, kIdentityColour}};
    for (int k = 0; k < 8; ++k) c.push_back({firstHeader + 3 + k, firstHint + 2 + k, edNormal, 45, kAddressColour});
    c.push_back({firstHeader + 11, firstHint + 10, edNormal, 65, kTimingColour});
    if (transmit) {
        c.push_back({firstHeader + 12, firstHint + 11, edDataCheckBox, 68, kTimingColour});
        c.push_back({firstHeader + 13, firstHint + 12, edNormal, 105, clWhite});
    } else {
        c.push_back({firstHeader + 12, firstHint + 11, edNormal, 173, clWhite});
    }
    return c;
}

const AccessListDef& definition() {
    static const AccessListDef def{
        "FSet_PDO_Access", 798, "Tahoma", 2300, 2301, 2302, 2308, 2391, 2368, false,
        &TFSet_PDO_Access::Schema(), &g_PDOCANopenFile,
        {{"TS_Receive_PDO", "sga", 2314, columns(2316, 2343, false)},
         {"TS_Transmit_PDO", "sgb", 2315, columns(2329, 2355, true)}}};
    return def;
}

// One page's checks: COB-ID, Dimension, the address of every byte the Dimension covers, then the
// timing column with its own range.
accesslist::SectionRules pageRules(int firstText, int areaBytes, int64_t timingMax) {
    using namespace accesslist;
    SectionRules rules;
    rules.checks.push_back(inRange(1, 0, 2047, firstText));
    rules.checks.push_back(inRange(2, 1, 8, firstText + 1));
    rules.checks.push_back(inRangeShowingLimit(3, 0, areaBytes - 1, firstText + 2));
    for (int k = 2; k <= 8; ++k)
        rules.checks.push_back(when([k](const RowView& r) { return r.number(2) >= k; },
                                    inRangeShowingLimit(k + 2, 0, areaBytes - 1, firstText + 1 + k)));
    rules.checks.push_back(inRange(11, 0, timingMax, firstText + 10));
    return rules;
}

}  // namespace

const accesslist::Schema& TFSet_PDO_Access::Schema() {
    static const accesslist::Schema schema{
        "PDO_CANopen.xml", "PDO_CANopen", "1.000", "row", accesslist::NumberRule::House,
        {{"Receive_PDO", attributes("TimeOut", false), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {},
          "Receive PDO"},
         {"Transmit_PDO", attributes("Send_Time", true), kTableRows, 1, accesslist::KeyTrim::Trimmed, 0, {12},
          "Transmit PDO"}}};
    return schema;
}

std::vector<accesslist::SectionRules> TFSet_PDO_Access::Rules_For(int nbyteIn, int nbyteOut) {
    return {pageRules(2369, nbyteIn, 65535), pageRules(2380, nbyteOut, 100000000)};
}

TFSet_PDO_Access::TFSet_PDO_Access(QWidget* parent) : TAccessListForm(definition(), parent) {
    TS_Receive_PDO = Page(0);
    TS_Transmit_PDO = Page(1);
    sga = &Grid(0);
    sgb = &Grid(1);
    Set_Lang();
}

void TFSet_PDO_Access::Prepare_Show() {
    PROFINET_NByte_IN = kAreaBytes;
    PROFINET_NByte_OUT = kAreaBytes;
}

std::vector<accesslist::SectionRules> TFSet_PDO_Access::Rules() const {
    return Rules_For(PROFINET_NByte_IN, PROFINET_NByte_OUT);
}

void TFSet_PDO_Access::Delete_Row(int Row, TExColumnGrid& Grid) { canopen::Delete_Row(Row, Grid); }
