// The rule tables of the CANopen PDO and SDO lists, run without a window: one valid row per page,
// each case changing a cell or two, and the exact message the user would read.
#include "fieldbus/CANopenSchemas.h"
#include "fieldbus/UEds.h"
#include "platform/XmlDoc.h"
#include "shell/ULanguage.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using accesslist::Row;
using accesslist::Rows;

Row fromCells(std::initializer_list<const char*> cells) {
    Row r{QString()};
    for (const char* c : cells) r << QString::fromUtf8(c);
    return r;
}

struct Case {
    const char* name;
    int page;
    std::map<int, const char*> cells;  // changes to the page's valid row
    const char* message;               // empty: accepted
};

// Validates one row on the given page (the other page empty) and returns the message.
QString messageFor(const accesslist::Schema& schema, const std::vector<accesslist::SectionRules>& rules,
                   int prefix, const Row& base, const Case& c) {
    std::vector<Rows> pages(schema.sections.size());
    Row row = base;
    for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
    pages[size_t(c.page)].push_back(row);
    const accesslist::Problem p = accesslist::validate(schema, pages, rules);
    return accesslist::problemMessage(schema, p, prefix, {});
}

class CANopenRules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

TEST_F(CANopenRules, PDO) {
    const Row valid[2] = {fromCells({"0x181", "2", "0", "1", "", "", "", "", "", "", "100", "m"}),
                          fromCells({"0x201", "2", "0", "1", "", "", "", "", "", "", "100", "N", "m"})};
    const Case cases[] = {
        {"hex COB-ID with 0x", 0, {{1, "0x181"}}, ""},
        {"hex COB-ID with $", 0, {{1, "$181"}}, ""},
        {"decimal with a leading blank", 0, {{1, " 385"}}, ""},
        {"COB-ID with a trailing blank", 0, {{1, "385 "}}, "Error row 1!! [Receive PDO] COB-ID must be between 0x000 and 0x7FF"},
        {"COB-ID 0x800", 0, {{1, "0x800"}}, "Error row 1!! [Receive PDO] COB-ID must be between 0x000 and 0x7FF"},
        {"COB-ID 0x7FF", 0, {{1, "0x7FF"}}, ""},
        {"Dimension 0", 0, {{2, "0"}}, "Error row 1!! [Receive PDO] Dimension must be between 1 and 8"},
        {"Dimension 9", 0, {{2, "9"}}, "Error row 1!! [Receive PDO] Dimension must be between 1 and 8"},
        {"Dimension empty", 0, {{2, ""}}, "Error row 1!! [Receive PDO] Dimension must be between 1 and 8"},
        {"Add B1 1440", 0, {{3, "1440"}}, "Error row 1!! [Receive PDO] Address Byte1 must be between 0 and 1439"},
        {"Add B1 1439", 0, {{3, "1439"}}, ""},
        {"Add B2 empty within the Dimension", 0, {{4, ""}},
         "Error row 1!! [Receive PDO] Address Byte2 must be between 0 and 1439"},
        {"Add B5 beyond Dimension 3", 0, {{2, "3"}, {5, "7"}, {7, "9999"}}, ""},
        {"Add B8 within Dimension 8", 0, {{2, "8"}, {5, "2"}, {6, "3"}, {7, "4"}, {8, "5"}, {9, "6"}, {10, "-1"}},
         "Error row 1!! [Receive PDO] Address Byte8 must be between 0 and 1439"},
        {"TimeOut 65536", 0, {{11, "65536"}}, "Error row 1!! [Receive PDO] TimeOut must be between 0 and 65535"},
        {"TimeOut 0", 0, {{11, "0"}}, ""},
        {"mnemonic and flag are free", 1, {{12, "maybe"}, {13, ""}}, ""},
        {"transmit COB-ID", 1, {{1, "2048"}}, "Error row 1!! [Transmit PDO] COB-ID must be between 0x000 and 0x7FF"},
        {"transmit Add B3", 1, {{2, "3"}, {5, "abc"}},
         "Error row 1!! [Transmit PDO] Address Byte3 must be between 0 and 1439"},
        {"Send Time 100000001", 1, {{11, "100000001"}},
         "Error row 1!! [Transmit PDO] Send Time must be between 0 and 100000000"},
        {"Send Time 0", 1, {{11, "0"}}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(canopen::pdoSchema(), canopen::pdoRules(1440, 1440), 2368,
                             valid[c.page], c),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST_F(CANopenRules, SDOClient) {
    const Row valid[2] = {fromCells({"5", "0x6041", "0", "1", "100", "0", "", "", "", "m"}),
                          fromCells({"5", "0x6040", "0", "1", "100", "N", "0", "", "", "", "m"})};
    const Case cases[] = {
        {"read Poll Time 0", 0, {{5, "0"}}, "Error row 1!! [SDO Read] Poll Time must be between 1 and 100000000"},
        {"write Poll Time 0", 1, {{5, "0"}}, ""},
        {"write Poll Time too long", 1, {{5, "100000001"}},
         "Error row 1!! [SDO Write] Poll Time must be between 0 and 100000000"},
        {"N Byte 2 leaves Add Byte3 unchecked", 0, {{4, "2"}, {7, "1"}, {8, "abc"}}, ""},
        {"N Byte 2 checks Add Byte2", 0, {{4, "2"}, {7, "1440"}},
         "Error row 1!! [SDO Read] Address Byte2 must be between 0 and 1439"},
        {"N Byte 4 checks Add Byte4", 1, {{4, "4"}, {8, "1"}, {9, "2"}, {10, ""}},
         "Error row 1!! [SDO Write] Address Byte4 must be between 0 and 1439"},
        {"N Byte 3", 0, {{4, "3"}}, "Error row 1!! [SDO Read] N Byte must be 1 or 2 or 4"},
        {"N Byte 3 on the write page", 1, {{4, "3"}}, "Error row 1!! [SDO Write] N Byte must be 1 or 2 or 4"},
        {"Index 0x0FFF", 0, {{2, "0x0FFF"}}, "Error row 1!! [SDO Read] Index must be between 0x1000 and 0xFFFF"},
        {"Index $1000", 0, {{2, "$1000"}}, ""},
        {"Index 0x10000", 1, {{2, "0x10000"}}, "Error row 1!! [SDO Write] Index must be between 0x1000 and 0xFFFF"},
        {"Device ID 0", 0, {{1, "0"}}, "Error row 1!! [SDO Read] Device ID must be between 1 and 127"},
        {"Device ID 128", 1, {{1, "128"}}, "Error row 1!! [SDO Write] Device ID must be between 1 and 127"},
        {"SubIndex 0x100", 0, {{3, "0x100"}}, "Error row 1!! [SDO Read] SubIndex must be between 0x00 and 0xFF"},
        {"Add Byte1 on the write page", 1, {{7, ""}},
         "Error row 1!! [SDO Write] Address Byte1 must be between 0 and 1439"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(canopen::sdoClientSchema(), canopen::sdoClientRules(1440, 1440), 2460,
                             valid[c.page], c),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST_F(CANopenRules, SDOServer) {
    const Row valid = fromCells({"0x2000", "0", "1", "0", "", "", "", "m"});
    const Case cases[] = {
        {"Index 0x6000", 0, {{1, "0x6000"}}, "Error row 1!! [SDO in Read] Index must be between 0x2000 and 0x5FFF"},
        {"Index 8191", 0, {{1, "8191"}}, "Error row 1!! [SDO in Read] Index must be between 0x2000 and 0x5FFF"},
        {"Index 0x2000", 0, {{1, "0x2000"}}, ""},
        {"Index 0x5FFF", 1, {{1, "0x5FFF"}}, ""},
        {"write Index 0x1FFF", 1, {{1, "0x1FFF"}}, "Error row 1!! [SDO in Write] Index must be between 0x2000 and 0x5FFF"},
        {"N Byte 3", 0, {{3, "3"}}, "Error row 1!! [SDO in Read] N Byte must be 1 or 2 or 4"},
        {"N Byte 4, Add Byte3 missing", 1, {{3, "4"}, {5, "1"}, {7, "3"}},
         "Error row 1!! [SDO in Write] Address Byte3 must be between 0 and 1439"},
        {"N Byte 1 ignores the rest", 0, {{5, "x"}, {6, "y"}, {7, "z"}}, ""},
        {"SubIndex 256", 1, {{2, "256"}}, "Error row 1!! [SDO in Write] SubIndex must be between 0x00 and 0xFF"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(canopen::sdoServerSchema(), canopen::sdoServerRules(1440, 1440), 2550,
                             valid, c),
                  QString::fromUtf8(c.message))
            << c.name;
}

// The EDS file makes one entry of each index and sub-index, so the window refuses an entry that
// stands twice, on one page or across both, as the numbers read: whatever it accepts, the EDS
// step reads.
TEST_F(CANopenRules, SDOServerEntriesStandOnceAcrossBothPages) {
    const auto entry = [](const char* index, const char* sub) {
        return fromCells({index, sub, "1", "0", "", "", "", "m"});
    };
    const struct {
        const char* name;
        Rows read, write;
        const char* message;  // empty: accepted
    } cases[] = {
        {"distinct entries", {entry("0x2000", "0"), entry("0x2000", "1")}, {entry("0x2001", "0")}, ""},
        {"one sub-index on both pages", {entry("0x2000", "1")}, {entry("0x2001", "0"), entry("0x2000", "1")},
         "Error row 2!! [SDO in Write] The Index 0x2000 with SubIndex 0x01 is already in row 1 of SDO in Read: the "
         "EDS file holds each entry once"},
        {"twice on the read page", {entry("0x2000", "0"), entry("0x2001", "0"), entry("0x2001", "0")}, {},
         "Error row 3!! [SDO in Read] The Index 0x2001 with SubIndex 0x00 is already in row 2 of SDO in Read: the "
         "EDS file holds each entry once"},
        {"twice on the write page", {}, {entry("0x5FFF", "255"), entry("0x5FFF", "0xFF")},
         "Error row 2!! [SDO in Write] The Index 0x5FFF with SubIndex 0xFF is already in row 1 of SDO in Write: the "
         "EDS file holds each entry once"},
        {"one number written two ways", {entry("8192", "$10")}, {entry(" 0x2000", "16")},
         "Error row 1!! [SDO in Write] The Index 0x2000 with SubIndex 0x10 is already in row 1 of SDO in Read: the "
         "EDS file holds each entry once"},
        {"a row error on the read page is told first", {entry("0x2000", "0"), entry("0x6000", "0")},
         {entry("0x2000", "0")}, "Error row 2!! [SDO in Read] Index must be between 0x2000 and 0x5FFF"},
        {"rows after the list's end do not count", {entry("0x2000", "0"), entry("", "0"), entry("0x2000", "0")}, {},
         "Error row 3!! [SDO in Read] The Index of row 2 above is empty, which ends the list: this row and every row below row 2 "
         "would not be saved. Fill in the Index of row 2 or delete that row."},
    };
    const auto& schema = canopen::sdoServerSchema();
    const QStringList headers = {QStringLiteral("N"), QStringLiteral("Index")};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<Rows> pages = {c.read, c.write};
        const std::vector<accesslist::SectionRules> rules = canopen::sdoServerRules(1440, 1440);
        const accesslist::Problem p = accesslist::validate(schema, pages, rules);
        EXPECT_EQ(accesslist::problemMessage(schema, p, 2550, headers), QString::fromUtf8(c.message));
        // Validating again with the same rules gives the same answer: nothing is left from the last run.
        EXPECT_EQ(accesslist::validate(schema, pages, rules).row, p.row);
        if (p.kind != accesslist::Problem::None) continue;
        plat::XmlDocument doc;
        accesslist::writeList(schema, pages, doc);
        EDS_Tables tables;
        QString error;
        EXPECT_TRUE(eds::readSdoServer(doc.toBytes(), tables, &error)) << error.toStdString();
    }
}

// The rows are checked page by page and row by row; the first failure is the only message.
TEST_F(CANopenRules, TheFirstFailureOfTheFirstPageWins) {
    const auto& schema = canopen::pdoSchema();
    const Row good = fromCells({"1", "1", "0", "", "", "", "", "", "", "", "0", "m"});
    Row badDim = good;
    badDim[2] = QStringLiteral("0");
    Row badCob = good;
    badCob[1] = QStringLiteral("0x800");
    Row badSend = fromCells({"1", "1", "0", "", "", "", "", "", "", "", "-1", "N", "m"});
    const std::vector<Rows> pages = {{good, good, badDim, badCob}, {badSend}};
    const accesslist::Problem p = accesslist::validate(schema, pages, canopen::pdoRules(1440, 1440));
    EXPECT_EQ(accesslist::problemMessage(schema, p, 2368, {}),
              QStringLiteral("Error row 3!! [Receive PDO] Dimension must be between 1 and 8"));
}

}  // namespace
