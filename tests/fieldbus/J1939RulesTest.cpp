// The J1939 receive and transmit lists without a window: the rules of a row with the exact message
// the user reads, the byte total over the rows, and what the loading makes of older and sparse files.
#include "fieldbus/J1939Schemas.h"
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

const Row kReceive = fromCells({"0", "0xFEF1", "0", "N", "0", "8", "N", "N", "1000", "m"});
const Row kTransmit = fromCells({"6", "0", "0xFEF1", "0", "8", "N", "N", "N", "", "m"});

struct Case {
    const char* name;
    std::map<int, const char*> cells;  // changes to the valid row
    const char* message;               // empty: accepted
};

QString messageFor(const accesslist::Schema& schema, const std::vector<accesslist::SectionRules>& rules, int prefix,
                   const Rows& rows) {
    const accesslist::Problem p = accesslist::validate(schema, {rows}, rules);
    return accesslist::problemMessage(schema, p, prefix, {});
}

QString messageFor(bool receive, const Case& c) {
    Row row = receive ? kReceive : kTransmit;
    for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
    return receive ? messageFor(j1939::receiveSchema(), j1939::receiveRules(1440), 2635, {row})
                   : messageFor(j1939::transmitSchema(), j1939::transmitRules(1440), 2735, {row});
}

class J1939Rules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

TEST_F(J1939Rules, Receive) {
    const Case cases[] = {
        {"the valid row", {}, ""},
        {"Data Page empty", {{1, ""}}, "Error in row 1!! Data Page must be 0 or 1"},
        {"PGN 0xFFFF", {{2, "0xFFFF"}}, ""},
        {"PGN 0x10000", {{2, "0x10000"}}, "Error in row 1!! PGN must be between 0x0000 and 0xFFFF"},
        {"a key of one blank is a filled key that reads -1", {{2, " "}},
         "Error in row 1!! PGN must be between 0x0000 and 0xFFFF"},
        {"Source Address 256", {{3, "256"}}, "Error in row 1!! Source Address must be between 0 and 255"},
        {"TP: Start 1786", {{4, "Y"}, {5, "1786"}, {6, "0"}},
         "Error in row 1!! Start Byte must be between 0 and 1785"},
        {"TP: Start 1780 + 6", {{4, "Y"}, {5, "1780"}, {6, "6"}},
         "Error in row 1!! Start Byte plus Number Bytes must be between 0 and 1785"},
        {"TP: Start 1779 + 6", {{4, "Y"}, {5, "1779"}, {6, "6"}}, ""},
        {"TP: N Byte not a number", {{4, "Y"}, {6, "abc"}},
         "Error in row 1!! Start Byte plus Number Bytes must be between 0 and 1785"},
        {"TP flag other than Y is off", {{4, "y"}, {5, "0"}, {6, "100"}},
         "Error in row 1!! The Number Bytes must be between 1 and 8"},
        {"no TP: Start 3, N Byte empty", {{5, "3"}, {6, ""}},
         "Error in row 1!! Start Byte and Number Bytes must be both compiled"},
        {"no TP: Start empty, N Byte 3", {{5, " "}, {6, "3"}},
         "Error in row 1!! Start Byte and Number Bytes must be both compiled"},
        {"no TP: both empty", {{5, ""}, {6, " "}}, ""},
        {"no TP: N Byte 9", {{5, "0"}, {6, "9"}}, "Error in row 1!! The Number Bytes must be between 1 and 8"},
        {"no TP: N Byte 0", {{5, "0"}, {6, "0"}}, "Error in row 1!! The Number Bytes must be between 1 and 8"},
        {"no TP: Start 2 + 7", {{5, "2"}, {6, "7"}},
         "Error in row 1!! The Number Bytes plus Start Byte must be minor of 9"},
        {"no TP: Start -1 with 2", {{5, "-1"}, {6, "2"}}, "Error in row 1!! The Start Byte must be between 0 and 7"},
        {"no TP: Start abc with 2", {{5, "abc"}, {6, "2"}}, "Error in row 1!! The Start Byte must be between 0 and 7"},
        {"no TP: Start 8 with 1", {{5, "8"}, {6, "1"}}, "Error in row 1!! The Start Byte must be between 0 and 7"},
        {"no TP: Start 0 with 8", {{5, "0"}, {6, "8"}}, ""},
        {"no TP: Start 7 with 1", {{5, "7"}, {6, "1"}}, ""},
        {"On Request, Time 1", {{8, "Y"}, {9, "1"}}, "Error in row 1!! Time(ms) must be between 0 and 10000000"},
        {"On Request, Time 2", {{8, "Y"}, {9, "2"}}, ""},
        {"On Request, Time 10000001", {{8, "Y"}, {9, "10000001"}},
         "Error in row 1!! Time(ms) must be between 0 and 10000000"},
        {"no request, Time abc", {{8, "N"}, {9, "abc"}}, ""},
        {"Cancel Data and mnemonic are free", {{7, "?"}, {10, ""}}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(messageFor(true, c), QString::fromUtf8(c.message)) << c.name;
}

TEST_F(J1939Rules, Transmit) {
    const Case cases[] = {
        {"the valid row", {}, ""},
        {"Priority 8", {{1, "8"}}, "Error in row 1!! Priority must be between 0 and 7"},
        {"Priority empty", {{1, ""}}, "Error in row 1!! Priority must be between 0 and 7"},
        {"Data Page empty", {{2, ""}}, "Error in row 1!! Data Page must be 0 or 1"},
        {"PGN 0x10000", {{3, "0x10000"}}, ""},
        {"PGN 0x1FFFF", {{3, "0x1FFFF"}}, ""},
        {"PGN 0x20000", {{3, "0x20000"}}, "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF"},
        {"a PGN of one blank is a filled key that reads -1", {{3, " "}},
         "Error in row 1!! PGN must be between 0x00000 and 0x1FFFF"},
        {"Source Address -1", {{4, "-1"}}, "Error in row 1!! Source Address must be between 0 and 255"},
        {"N Bytes 0", {{5, "0"}}, "Error in row 1!! Num Byte must be between 0 and 1440"},
        {"N Bytes 1441", {{5, "1441"}}, "Error in row 1!! Num Byte must be between 0 and 1440"},
        {"N Bytes 1440", {{5, "1440"}}, ""},
        {"On Timer, Send Timer 0", {{8, "Y"}, {9, "0"}}, "Error in row 1!! Send Timer must be between 1 and 65535 ms"},
        {"On Timer, Send Timer 65536", {{8, "Y"}, {9, "65536"}},
         "Error in row 1!! Send Timer must be between 1 and 65535 ms"},
        {"On Timer, Send Timer 65535", {{8, "Y"}, {9, "65535"}}, ""},
        {"no timer, Send Timer abc", {{9, "abc"}}, ""},
        {"request and data-change flags are free", {{6, "?"}, {7, ""}}, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(messageFor(false, c), QString::fromUtf8(c.message)) << c.name;
}

// The bytes of the rows add up; the message names no row and comes at the first row past the area.
TEST_F(J1939Rules, TheBytesOfTheRowsFitTheExchangeArea) {
    const auto rows = [](int n, const Row& row) { return Rows(size_t(n), row); };
    const auto receive = [](const Rows& r) {
        return accesslist::validate(j1939::receiveSchema(), {r}, j1939::receiveRules(1440));
    };
    const QString tooMany = QStringLiteral("Error!! Too many bytes of data, the max number is 1440");

    Rows full = rows(180, kReceive);  // 180 x 8 = 1440
    EXPECT_EQ(receive(full).kind, accesslist::Problem::None);
    // A row without start and count takes no byte.
    Row nothing = kReceive;
    nothing[5] = nothing[6] = QString();
    full.push_back(nothing);
    EXPECT_EQ(receive(full).kind, accesslist::Problem::None);
    Row one = kReceive;
    one[6] = QStringLiteral("1");
    full.push_back(one);
    const accesslist::Problem p = receive(full);
    EXPECT_EQ(p.row, 182);
    EXPECT_EQ(accesslist::problemMessage(j1939::receiveSchema(), p, 2635, {}), tooMany);

    // Transport-protocol rows count their N Byte too.
    Row big = kReceive;
    big[4] = QStringLiteral("Y");
    big[6] = QStringLiteral("1000");
    EXPECT_EQ(accesslist::problemMessage(j1939::receiveSchema(), receive({big, kReceive}), 2635, {}), QString());
    Row rest = big;
    rest[6] = QStringLiteral("433");
    EXPECT_EQ(accesslist::problemMessage(j1939::receiveSchema(), receive({big, kReceive, rest}), 2635, {}), tooMany);

    Row all = kTransmit;
    all[5] = QStringLiteral("1440");
    const accesslist::Problem t =
        accesslist::validate(j1939::transmitSchema(), {{all, kTransmit}}, j1939::transmitRules(1440));
    EXPECT_EQ(t.row, 2);
    EXPECT_EQ(accesslist::problemMessage(j1939::transmitSchema(), t, 2735, {}), tooMany);
}

TEST_F(J1939Rules, LoadingTakesTheDefaultsAndTheOlderTriggerAttribute) {
    const accesslist::ReadResult rx = accesslist::readList(
        j1939::receiveSchema(), "<Receive_J1939><row PGN=\"0xFEF1\"/><row DP=\"1\" PGN=\" \" TP=\"Y\" OnReq_Time=\"\"/>"
                                "</Receive_J1939>");
    ASSERT_TRUE(rx.error.isEmpty()) << rx.error.toStdString();
    EXPECT_EQ(rx.sections[0], (Rows{fromCells({"", "0xFEF1", "", "N", "", "", "N", "N", "1000", ""}),
                                    fromCells({"1", " ", "", "Y", "", "", "N", "N", "", ""})}));

    const accesslist::ReadResult tx = accesslist::readList(
        j1939::transmitSchema(),
        "<Transmit_J1939>"
        "<row Priority=\"6\" DP=\"0\" PGN=\"1\" SA=\"0\" TP_NByte=\"4\" T_Type=\"On Timer\" On_Request=\"Y\" "
        "SendTimer=\"100\" Mnemonic=\"old\"/>"
        "<row PGN=\"2\" T_Type=\"on data change\"/>"
        "<row PGN=\"3\" T_Type=\"ON REQUEST\" On_Timer=\"Y\"/>"
        "<row PGN=\"4\" TP_NByte=\"\" On_Request=\"Y\" On_Timer=\"Y\"/>"
        "</Transmit_J1939>");
    ASSERT_TRUE(tx.error.isEmpty()) << tx.error.toStdString();
    EXPECT_EQ(tx.sections[0], (Rows{fromCells({"6", "0", "1", "0", "4", "N", "N", "Y", "100", "old"}),
                                    fromCells({"", "", "2", "", "8", "N", "Y", "N", "", ""}),
                                    fromCells({"", "", "3", "", "8", "N", "N", "N", "", ""}),
                                    fromCells({"", "", "4", "", "8", "Y", "N", "Y", "", ""})}));

    // Written again, the older attribute is gone and the three flags stand in its place.
    plat::XmlDocument doc;
    accesslist::writeList(j1939::transmitSchema(), tx.sections, doc);
    const QByteArray bytes = doc.toBytes();
    EXPECT_FALSE(bytes.contains("T_Type"));
    EXPECT_TRUE(bytes.startsWith("<Transmit_J1939><row Priority=\"6\" DP=\"0\" PGN=\"1\" SA=\"0\" TP_NByte=\"4\" "
                                 "On_Request=\"N\" On_Data_Change=\"N\" On_Timer=\"Y\" SendTimer=\"100\" "
                                 "Mnemonic=\"old\"/>"));
    EXPECT_TRUE(bytes.endsWith("</Transmit_J1939><!--SW_VERSION = 1.104-->"));
}

}  // namespace
