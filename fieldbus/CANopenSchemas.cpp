#include "fieldbus/CANopenSchemas.h"

#include <QHash>
#include <memory>

namespace canopen {
namespace {

using namespace accesslist;

std::vector<Attribute> pdoAttributes(const char* timing, bool onChange) {
    std::vector<Attribute> a = {{"COB-ID"}, {"Dimension"}};
    for (const char* n : {"Address_B1", "Address_B2", "Address_B3", "Address_B4", "Address_B5", "Address_B6",
                          "Address_B7", "Address_B8"})
        a.push_back({n});
    a.push_back({timing});
    if (onChange) a.push_back({"On_Change"});
    a.push_back({"Mnemonic"});
    return a;
}

// One PDO page: COB-ID, Dimension, the address of every byte the Dimension covers, then the timing
// column with its own range.
SectionRules pdoPage(int firstText, int areaBytes, int64_t timingMax) {
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

std::vector<Attribute> sdoClientAttributes(bool write) {
    std::vector<Attribute> a = {{"Device_ID"}, {"Index"}, {"SubIndex"}, {"NByte"}, {"Poll_Time"}};
    if (write) a.push_back({"On_Change"});
    for (const char* n : {"Address_B1", "Address_B2", "Address_B3", "Address_B4", "Mnemonic"}) a.push_back({n});
    return a;
}

std::vector<Attribute> sdoServerAttributes() {
    return {{"Index"}, {"SubIndex"}, {"NByte"}, {"Address_B1"}, {"Address_B2"}, {"Address_B3"}, {"Address_B4"},
            {"Mnemonic"}};
}

// The byte count of an SDO row decides which addresses it uses: Byte2 for 2 or 4, Byte3 and Byte4
// for 4 only.
std::function<bool(const RowView&)> twoOrFour(int countColumn) {
    return [countColumn](const RowView& r) {
        const int n = r.number(countColumn);
        return n == 2 || n == 4;
    };
}
std::function<bool(const RowView&)> four(int countColumn) {
    return [countColumn](const RowView& r) { return r.number(countColumn) == 4; };
}

// The address checks of an SDO row; `firstAddress` is the column of Add Byte1, `t` its text.
void sdoAddresses(SectionRules& rules, int countColumn, int firstAddress, int areaBytes, int t) {
    rules.checks.push_back(inRangeShowingLimit(firstAddress, 0, areaBytes - 1, t));
    rules.checks.push_back(when(twoOrFour(countColumn), inRangeShowingLimit(firstAddress + 1, 0, areaBytes - 1, t + 1)));
    rules.checks.push_back(when(four(countColumn), inRangeShowingLimit(firstAddress + 2, 0, areaBytes - 1, t + 2)));
    rules.checks.push_back(when(four(countColumn), inRangeShowingLimit(firstAddress + 3, 0, areaBytes - 1, t + 3)));
}

SectionRules sdoClientPage(int t, int areaBytes, int pollMin, int firstAddress) {
    SectionRules rules;
    rules.checks = {inRange(1, 1, 127, t), inRange(2, 0x1000, 0xFFFF, t + 1), inRange(3, 0, 255, t + 2),
                    oneOf(4, {1, 2, 4}, t + 3), inRange(5, pollMin, 100000000, t + 4)};
    sdoAddresses(rules, 4, firstAddress, areaBytes, t + 5);
    return rules;
}

// An object of the manufacturer area and the bytes its size covers.
SectionRules sdoServerPage(int t, int areaBytes) {
    SectionRules rules;
    rules.checks = {inRange(1, 0x2000, 0x5FFF, t), inRange(2, 0, 255, t + 1), oneOf(3, {1, 2, 4}, t + 2)};
    sdoAddresses(rules, 3, 4, areaBytes, t + 3);
    return rules;
}

QString hex(int value, int digits) { return QString::number(value, 16).toUpper().rightJustified(digits, u'0'); }

// Where each index and sub-index of the server's pages stands, as "row 3 of SDO in Read".
using EntryPlaces = QHash<uint32_t, QString>;

// The EDS file makes one object entry of each index and sub-index, so an entry may stand once
// across both pages. The rows have passed their checks, so both numbers are in range. The read page
// runs first and starts the places afresh, as every validation must.
ListCheck uniqueEntries(std::shared_ptr<EntryPlaces> places, const char* label, bool first) {
    return [places, label, first](const Rows& rows, int end, NumberRule numbers) -> std::optional<ListFailure> {
        if (first) places->clear();
        for (int r = 0; r < end; ++r) {
            const RowView row{rows[size_t(r)], numbers};
            const int index = row.number(1), sub = row.number(2);
            const uint32_t key = uint32_t(index) << 8 | uint32_t(sub);
            if (const auto earlier = places->constFind(key); earlier != places->constEnd())
                return ListFailure{
                    r + 1,
                    Failure{0, {}, -1, false,
                            QStringLiteral("!! [%1] The Index 0x%2 with SubIndex 0x%3 is already in %4: the EDS file "
                                           "holds each entry once")
                                .arg(QLatin1String(label), hex(index, 4), hex(sub, 2), *earlier)}};
            places->insert(key, QStringLiteral("row %1 of %2").arg(r + 1).arg(QLatin1String(label)));
        }
        return std::nullopt;
    };
}

}  // namespace

const Schema& pdoSchema() {
    static const Schema schema{
        "PDO_CANopen.xml", "PDO_CANopen", "1.000", "row", NumberRule::House,
        {{"Receive_PDO", pdoAttributes("TimeOut", false), 30, 1, KeyTrim::Trimmed, 0, {}, "Receive PDO"},
         {"Transmit_PDO", pdoAttributes("Send_Time", true), 30, 1, KeyTrim::Trimmed, 0, {12}, "Transmit PDO"}}};
    return schema;
}

const Schema& sdoClientSchema() {
    static const Schema schema{
        "SDO_Client_CANopen.xml", "SDO_Client_CANopen", "1.000", "row", NumberRule::House,
        {{"SDO_Read", sdoClientAttributes(false), 256, 1, KeyTrim::Trimmed, 0, {}, "SDO Read"},
         {"SDO_Write", sdoClientAttributes(true), 256, 1, KeyTrim::Trimmed, 0, {6}, "SDO Write"}}};
    return schema;
}

const Schema& sdoServerSchema() {
    static const Schema schema{
        "SDO_Server_CANopen.xml", "SDO_Server_CANopen", "1.000", "row", NumberRule::House,
        {{"SDO_Read", sdoServerAttributes(), 500, 1, KeyTrim::Trimmed, 0, {}, "SDO in Read"},
         {"SDO_Write", sdoServerAttributes(), 500, 1, KeyTrim::Trimmed, 0, {}, "SDO in Write"}}};
    return schema;
}

std::vector<SectionRules> pdoRules(int nbyteIn, int nbyteOut) {
    return {pdoPage(2369, nbyteIn, 65535), pdoPage(2380, nbyteOut, 100000000)};
}

std::vector<SectionRules> sdoClientRules(int nbyteIn, int nbyteOut) {
    // Reads are polled, so their period cannot be 0; a write may go on change only.
    return {sdoClientPage(2461, nbyteIn, 1, 6), sdoClientPage(2470, nbyteOut, 0, 7)};
}

std::vector<SectionRules> sdoServerRules(int nbyteIn, int nbyteOut) {
    std::vector<SectionRules> pages = {sdoServerPage(2551, nbyteIn), sdoServerPage(2558, nbyteOut)};
    auto places = std::make_shared<EntryPlaces>();
    pages[0].listCheck = uniqueEntries(places, "SDO in Read", true);
    pages[1].listCheck = uniqueEntries(places, "SDO in Write", false);
    return pages;
}

}  // namespace canopen
