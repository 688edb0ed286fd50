// The rule tables of the NMEA 2000 receive and transmit lists, run without a window: a valid row,
// each case changing a cell or two, and the exact message the user would read.
#include "building/NMEASchemas.h"
#include "fieldbus/CANopenSchemas.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

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
    std::map<int, const char*> cells;  // changes to the valid row
    const char* message;               // empty: accepted
};

QString messageFor(const accesslist::Schema& schema, const std::vector<accesslist::SectionRules>& rules, int prefix,
                   const Rows& rows) {
    return accesslist::problemMessage(schema, accesslist::validate(schema, {rows}, rules), prefix, {});
}

Row changed(Row row, const std::map<int, const char*>& cells) {
    for (const auto& [col, text] : cells) row[col] = QString::fromUtf8(text);
    return row;
}

class NMEARules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

TEST_F(NMEARules, ReceiveRow) {
    // PGN, SA, TP, FP, Start Byte, N Byte, Cancel Data, Mnemonic: a single frame kept whole.
    const Row valid = fromCells({"127250", "1", "N", "N", "", "", "N", "heading"});
    const Case cases[] = {
        {"whole single frame", {}, ""},
        {"PGN 0x1FFFF in decimal", {{1, "131071"}}, ""},
        {"PGN 131072", {{1, "131072"}}, "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF"},
        {"PGN in hexadecimal", {{1, "0x1F010"}}, "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF"},
        {"PGN with a leading blank and a sign", {{1, " +59904"}}, ""},
        {"SA 239", {{2, "239"}}, ""},
        {"SA 240", {{2, "240"}}, "Error in row 1!! Source Address must be between 0 and 239"},
        {"SA empty", {{2, ""}}, "Error in row 1!! Source Address must be between 0 and 239"},
        {"TP and FP both ticked: transport limits", {{3, "Y"}, {4, "Y"}, {5, "1500"}, {6, "285"}}, ""},
        {"TP and FP, past 1785", {{3, "Y"}, {4, "Y"}, {5, "1500"}, {6, "286"}},
         "Error in row 1!! Start Byte plus Number Bytes must be between 0 and 1785"},
        {"TP Start 1786", {{3, "Y"}, {5, "1786"}, {6, "0"}},
         "Error in row 1!! Start Byte must be between 0 and 1785"},
        {"TP without N Byte", {{3, "Y"}, {5, "0"}},
         "Error in row 1!! Start Byte plus Number Bytes must be between 0 and 1785"},
        {"TP Start empty", {{3, "Y"}, {6, "8"}}, "Error in row 1!! Start Byte must be between 0 and 1785"},
        {"FP within 223", {{4, "Y"}, {5, "200"}, {6, "23"}}, ""},
        {"FP Start 224", {{4, "Y"}, {5, "224"}, {6, "0"}}, "Error in row 1!! Start Byte must be between 0 and 223"},
        {"FP past 223", {{4, "Y"}, {5, "200"}, {6, "24"}},
         "Error in row 1!! Start Byte plus Number Bytes must be between 0 and 223"},
        {"FP ticked in lower case is a single frame", {{4, "y"}, {5, "200"}, {6, "1"}},
         "Error in row 1!! The Start Byte must be between 1 and 8"},
        {"single frame Start 8 N 1", {{5, "8"}, {6, "1"}},
         "Error in row 1!! The Number Bytes plus Start Byte must be minor of 9"},
        {"single frame Start 1 N 7", {{5, "1"}, {6, "7"}}, ""},
        {"single frame Start 0", {{5, "0"}, {6, "1"}}, "Error in row 1!! The Start Byte must be between 1 and 8"},
        {"single frame N 0", {{5, "1"}, {6, "0"}}, "Error in row 1!! The Number Bytes must be between 1 and 8"},
        {"single frame N 9", {{5, "1"}, {6, "9"}}, "Error in row 1!! The Number Bytes must be between 1 and 8"},
        {"single frame Start empty, N 2", {{6, "2"}}, "Error in row 1!! Start Byte and Number Bytes must be both compiled"},
        {"single frame Start blank, N 2", {{5, "  "}, {6, "2"}},
         "Error in row 1!! Start Byte and Number Bytes must be both compiled"},
        {"single frame N empty", {{5, "3"}}, "Error in row 1!! Start Byte and Number Bytes must be both compiled"},
        {"single frame both blank", {{5, " "}, {6, "\t"}}, ""},
        {"Start in hexadecimal", {{5, "$1"}, {6, "1"}}, "Error in row 1!! The Start Byte must be between 1 and 8"},
        {"Start with a trailing blank", {{5, "1 "}, {6, "1"}}, "Error in row 1!! The Start Byte must be between 1 and 8"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(nmea::receiveSchema(), nmea::receiveRules(512), 3531, {changed(valid, c.cells)}),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST_F(NMEARules, ReceiveByteTotal) {
    const Row whole = fromCells({"127250", "1", "N", "N", "", "", "N", ""});
    const Row part = fromCells({"127250", "1", "N", "N", "1", "7", "N", ""});
    const Row tp300 = fromCells({"126208", "1", "Y", "N", "0", "300", "N", ""});
    const QString tooMany = QStringLiteral("Error!! Too many bytes of data, the max number is 512");
    // 62 whole frames: 496 bytes.
    EXPECT_EQ(messageFor(nmea::receiveSchema(), nmea::receiveRules(512), 3531, Rows(62, whole)), QString());
    // 62 rows keeping 7 bytes each: 434 bytes (they count what they keep, not 7 + 8).
    EXPECT_EQ(messageFor(nmea::receiveSchema(), nmea::receiveRules(512), 3531, Rows(62, part)), QString());
    // Two transport rows of 300 bytes: the second passes 512, told without a row number.
    const accesslist::Problem p = accesslist::validate(nmea::receiveSchema(), {{tp300, tp300}}, nmea::receiveRules(512));
    EXPECT_EQ(p.row, 2);
    EXPECT_EQ(accesslist::problemMessage(nmea::receiveSchema(), p, 3531, {}), tooMany);
    // 512 exactly passes; one more byte does not.
    Rows exact = {tp300, changed(tp300, {{6, "212"}})};
    EXPECT_EQ(messageFor(nmea::receiveSchema(), nmea::receiveRules(512), 3531, exact), QString());
    exact.push_back(changed(tp300, {{6, "1"}}));
    EXPECT_EQ(messageFor(nmea::receiveSchema(), nmea::receiveRules(512), 3531, exact), tooMany);
    // A row after the first empty PGN counts nothing: the list ends there.
    const QStringList headers = {QStringLiteral("N"), QStringLiteral("PGN")};
    const accesslist::Problem gap =
        accesslist::validate(nmea::receiveSchema(), {{tp300, changed(tp300, {{1, ""}}), tp300}}, nmea::receiveRules(512));
    EXPECT_EQ(accesslist::problemMessage(nmea::receiveSchema(), gap, 3531, headers),
              QStringLiteral("Error in row 3!! The PGN of row 2 above is empty, which ends the list: this row and "
                             "every row below row 2 would not be saved. Fill in the PGN of row 2 or delete that row."));
}

TEST_F(NMEARules, TransmitRow) {
    // Priority, PGN, SA, FP, Num Byte, Request, Data Change, On Timer, Send Timer, Mnemonic.
    const Row valid = fromCells({"3", "130306", "1", "N", "8", "N", "N", "Y", "100", "wind"});
    const Case cases[] = {
        {"valid", {}, ""},
        {"Priority 8", {{1, "8"}}, "Error in row 1!! Priority must be between 0 and 7"},
        {"Priority empty", {{1, ""}}, "Error in row 1!! Priority must be between 0 and 7"},
        {"PGN 131072", {{2, "131072"}}, "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF"},
        {"SA 240", {{3, "240"}}, "Error in row 1!! Source Address must be between 0 and 239"},
        {"Num Byte 513", {{5, "513"}}, "Error in row 1!! Num Byte must be between 0 and 512"},
        {"Num Byte 512", {{5, "512"}}, ""},
        {"Num Byte empty", {{5, ""}}, "Error in row 1!! Num Byte must be between 0 and 512"},
        {"On Timer N, Send Timer empty", {{8, "N"}, {9, ""}}, ""},
        {"On Timer Y, Send Timer 0", {{9, "0"}}, "Error in row 1!! Send Timer must be between 1 and 65535 ms"},
        {"On Timer Y, Send Timer 65536", {{9, "65536"}}, "Error in row 1!! Send Timer must be between 1 and 65535 ms"},
        {"On Timer Y, Send Timer 65535", {{9, "65535"}}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(nmea::transmitSchema(), nmea::transmitRules(512), 3635, {changed(valid, c.cells)}),
                  QString::fromUtf8(c.message))
            << c.name;
    // The byte total runs before the timer check of the row that passes it.
    const Row big = changed(valid, {{5, "300"}});
    EXPECT_EQ(messageFor(nmea::transmitSchema(), nmea::transmitRules(512), 3635, {big, changed(big, {{9, "0"}})}),
              QStringLiteral("Error!! Too many bytes of data, the max number is 512"));
}

// The transmit list is the run of rows up to the first empty Priority; a row with a Priority and no
// PGN is kept unchecked, the rows after it are checked like any other, and a row that would end the
// list while it holds a frame is refused rather than lost.
TEST_F(NMEARules, TransmitListEndsAtTheFirstEmptyPriority) {
    const Row valid = fromCells({"3", "130306", "1", "N", "8", "N", "N", "N", "", "wind"});
    const Row noPGN = fromCells({"2", "", "5", "N", "", "N", "N", "N", "", "prio, no PGN"});
    const Row noPriority = changed(valid, {{1, ""}});
    const QStringList headers = {QStringLiteral("N"), QStringLiteral("Priority"), QStringLiteral("PGN")};
    const struct {
        const char* name;
        Rows rows;
        const char* message;  // empty: accepted
        int written;
    } cases[] = {
        {"a row without PGN is written", {valid, noPGN}, "", 2},
        {"rows after it are written", {valid, noPGN, valid}, "", 3},
        {"rows after it are checked", {valid, noPGN, changed(valid, {{1, "8"}})},
         "Error in row 3!! Priority must be between 0 and 7", 3},
        {"a blank PGN is no empty one", {changed(noPGN, {{2, " "}})},
         "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF", 1},
        {"its bytes count for nothing", {changed(noPGN, {{5, "600"}}), changed(valid, {{5, "512"}})}, "", 2},
        {"an empty row ends the list", {valid, Row(11)}, "", 1},
        {"a frame without Priority would be lost with it", {valid, noPriority},
         "Error in row 2!! Priority must be between 0 and 7", 1},
        {"unticked boxes hold no frame", {valid, fromCells({"", "", "", "N", "", "N", "N", "N", "", ""})}, "", 1},
        {"a row below an empty Priority is refused", {valid, Row(11), valid},
         "Error in row 3!! The Priority of row 2 above is empty, which ends the list: this row and every row below "
         "row 2 would not be saved. Fill in the Priority of row 2 or delete that row.",
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const accesslist::Problem p = accesslist::validate(nmea::transmitSchema(), {c.rows}, nmea::transmitRules(512));
        EXPECT_EQ(accesslist::problemMessage(nmea::transmitSchema(), p, 3635, headers), QString::fromUtf8(c.message));
        EXPECT_EQ(accesslist::rowListLength(nmea::transmitSchema().sections[0], c.rows), c.written);
    }
}

// The building lists read numbers as plain decimals; the field-bus lists keep the hexadecimal forms.
TEST_F(NMEARules, HexadecimalFormsAreRefusedHereAndAcceptedInAFieldBusList) {
    const Row tx = fromCells({"3", "130306", "1", "N", "8", "N", "N", "N", "", ""});
    for (const char* hex : {"$10", "x10", "0x10"}) {
        EXPECT_EQ(messageFor(nmea::transmitSchema(), nmea::transmitRules(512), 3635, {changed(tx, {{3, hex}})}),
                  QStringLiteral("Error in row 1!! Source Address must be between 0 and 239"))
            << hex;
        const Row pdo = changed(fromCells({"0x181", "1", "0", "", "", "", "", "", "", "", "0", "m"}), {{3, hex}});
        EXPECT_EQ(accesslist::validate(canopen::pdoSchema(), {{pdo}, {}}, canopen::pdoRules(1440, 1440)).kind,
                  accesslist::Problem::None)
            << hex;
    }
}

}  // namespace
