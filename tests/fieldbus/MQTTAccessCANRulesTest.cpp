// The MQTT access list and the two CAN frame lists without a window: the rules of a row with the
// exact message the user reads, where the row list ends, and what the loading makes of sparse files.
#include "fieldbus/CANSchemas.h"
#include "fieldbus/MQTTAccessSchema.h"
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

Row changed(Row row, const std::map<int, const char*>& cells) {
    for (const auto& [col, text] : cells) row[col] = QString::fromUtf8(text);
    return row;
}

QString messageFor(const accesslist::Schema& schema, const std::vector<accesslist::SectionRules>& rules, int prefix,
                   const std::vector<Rows>& sections) {
    const accesslist::Problem p = accesslist::validate(schema, sections, rules);
    return accesslist::problemMessage(schema, p, prefix, {QString(), QString(), QStringLiteral("Topic")});
}

class ListRules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

// One table for both pages: the publish and the subscribe message of each case.
TEST_F(ListRules, MQTTAccessBothPages) {
    const Row valid = fromCells({"Y", "plant/temp", "Int", "2", "0", "$VALUE$", "m"});
    const struct {
        const char* name;
        std::map<int, const char*> cells;
        const char* publish;    // empty: accepted
        const char* subscribe;
    } cases[] = {
        {"the valid row", {}, "", ""},
        {"Int, Dimension 3", {{4, "3"}},
         "Error row 1!! [MQTT Publish] Dimension must be equal to 1 or 2 or 4 or 8",
         "Error row 1!! [MQTT Subscribe] Dimension must be equal to 1 or 2 or 4 or 8"},
        {"Int, Dimension 8", {{4, "8"}}, "", ""},
        {"Float, Dimension 2", {{3, "Float"}, {4, "2"}},
         "Error row 1!! [MQTT Publish] Dimension must be equal to 4 or 8",
         "Error row 1!! [MQTT Subscribe] Dimension must be equal to 4 or 8"},
        {"Float, Dimension 4", {{3, "Float"}, {4, "4"}}, "", ""},
        {"type trimmed and upper-cased", {{3, " float "}, {4, "2"}},
         "Error row 1!! [MQTT Publish] Dimension must be equal to 4 or 8",
         "Error row 1!! [MQTT Subscribe] Dimension must be equal to 4 or 8"},
        {"String, Dimension 200", {{3, "String"}, {4, "200"}}, "", ""},
        {"String, Dimension 0", {{3, "String"}, {4, "0"}},
         "Error row 1!! [MQTT Publish] Dimension must be major of 0",
         "Error row 1!! [MQTT Subscribe] Dimension must be major of 0"},
        {"an unknown type needs a Dimension too", {{3, "Bool"}, {4, "x"}},
         "Error row 1!! [MQTT Publish] Dimension must be major of 0",
         "Error row 1!! [MQTT Subscribe] Dimension must be major of 0"},
        {"no Data Type", {{3, " "}}, "Error row 1!! [MQTT Publish] Data Type must be selected",
         "Error row 1!! [MQTT Subscribe] Data Type must be selected"},
        {"Position 1439 with any dimension", {{3, "String"}, {4, "200"}, {5, "1439"}}, "", ""},
        {"Position 1440", {{5, "1440"}}, "Error row 1!! [MQTT Publish] Position must be beetween 0 and 1439",
         "Error row 1!! [MQTT Subscribe] Position must be beetween 0 and 1439"},
        {"Position empty", {{5, ""}}, "Error row 1!! [MQTT Publish] Position must be beetween 0 and 1439",
         "Error row 1!! [MQTT Subscribe] Position must be beetween 0 and 1439"},
        {"Position in hexadecimal", {{5, "0x59F"}}, "", ""},
        {"Enable \" Y\" is disabled", {{1, " Y"}, {3, ""}, {5, "5000"}}, "", ""},
        {"Enable \"y\" is enabled", {{1, "y"}, {5, "5000"}},
         "Error row 1!! [MQTT Publish] Position must be beetween 0 and 1439",
         "Error row 1!! [MQTT Subscribe] Position must be beetween 0 and 1439"},
        {"a disabled row with invalid cells", {{1, "N"}, {3, "Float"}, {4, "3"}, {5, "-1"}}, "", ""},
    };
    for (const auto& c : cases) {
        const Row row = changed(valid, c.cells);
        EXPECT_EQ(messageFor(mqttaccess::schema(), mqttaccess::rules(), 1446, {{row}, {}}),
                  QString::fromUtf8(c.publish))
            << c.name;
        EXPECT_EQ(messageFor(mqttaccess::schema(), mqttaccess::rules(), 1446, {{}, {row}}),
                  QString::fromUtf8(c.subscribe))
            << c.name;
    }
}

TEST_F(ListRules, MQTTAccessRowsBelowADisabledRowWithoutTopicAreRefused) {
    const Row enabled = fromCells({"Y", "t", "Int", "2", "0", "", ""});
    const Row noTopic = fromCells({"N", " ", "Float", "3", "", "", "kept?"});
    // The list ends at the row without a topic, so the enabled row below would not be saved.
    EXPECT_EQ(messageFor(mqttaccess::schema(), mqttaccess::rules(), 1446, {{enabled, noTopic, enabled}, {}}),
              QStringLiteral("Error row 3!! [MQTT Publish] The Topic of row 2 above is empty, which ends the list: "
                             "this row and every row below row 2 would not be saved. Fill in the Topic of row 2 or "
                             "delete that row."));
    // Nothing below it: the list simply ends there.
    EXPECT_EQ(messageFor(mqttaccess::schema(), mqttaccess::rules(), 1446, {{enabled, noTopic}, {}}), QString());
}

TEST_F(ListRules, CANReceive) {
    const Row valid = fromCells({"Y", "100", "2.0A (11 bits)", "2", "0", "10", "None", "", "", "", "", "", "", "m"});
    const struct {
        const char* name;
        std::map<int, const char*> cells;
        const char* message;
    } cases[] = {
        {"the valid row", {}, ""},
        {"11-bit COB-ID 2048", {{2, "2048"}}, "Error row 1!! CobID must be between 0 and 2047"},
        {"11-bit COB-ID 0x7FF", {{2, "0x7FF"}}, ""},
        {"type trimmed", {{3, " 2.0A (11 bits) "}, {2, "2048"}}, "Error row 1!! CobID must be between 0 and 2047"},
        {"29-bit COB-ID 2048", {{3, "2.0B (29 bits)"}, {2, "2048"}}, ""},
        {"29-bit COB-ID 0x1FFFFFFF", {{3, "2.0B (29 bits)"}, {2, "0x1FFFFFFF"}}, ""},
        {"29-bit COB-ID 536870912", {{3, "2.0B (29 bits)"}, {2, "536870912"}},
         "Error row 1!! CobID must be between 0x00000000 and 0x1FFFFFFF"},
        {"an empty type is 29-bit", {{3, ""}, {2, "2048"}}, ""},
        {"a type in other letters is 29-bit", {{3, "2.0a (11 bits)"}, {2, "2048"}}, ""},
        {"COB-ID not a number", {{2, "12 "}}, "Error row 1!! CobID must be between 0 and 2047"},
        {"Dimension 0", {{4, "0"}}, "Error row 1!! Dimension must be between 1 and 8"},
        {"Dimension 9", {{4, "9"}}, "Error row 1!! Dimension must be between 1 and 8"},
        {"TimeOut 0", {{5, "0"}}, ""},
        {"TimeOut 100000001", {{5, "100000001"}},
         "Error row 1!! TimeOut must be between 0 and 100000000 milliseconds"},
        {"Byte3 beyond Dim 2 is not checked", {{8, "5000"}}, ""},
        {"Byte3 within Dim 3", {{4, "3"}, {8, "5000"}}, "Error row 1!! Byte3 must be between 0 and 1439 or None"},
        {"Byte1 1440", {{6, "1440"}}, "Error row 1!! Byte1 must be between 0 and 1439 or None"},
        {"Byte2 \"none\" is no number", {{7, "none"}}, "Error row 1!! Byte2 must be between 0 and 1439 or None"},
        {"Byte2 \" None \" trimmed", {{7, " None "}}, ""},
        {"Byte8 within Dim 8", {{4, "8"}, {13, "1439"}, {12, "-1"}},
         "Error row 1!! Byte7 must be between 0 and 1439 or None"},
        {"a disabled row", {{1, "N"}, {2, "99999999999"}, {4, "0"}}, ""},
        {"Enable trimmed and upper-cased", {{1, " y "}, {4, "0"}}, "Error row 1!! Dimension must be between 1 and 8"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageFor(can::receiveSchema(), can::receiveRules(1440), 2144, {{changed(valid, c.cells)}}),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST_F(ListRules, CANTransmit) {
    const Row valid =
        fromCells({"Y", "100", "2.0A (11 bits)", "1", "Y", "N", "N", "", "0", "", "", "", "", "", "", "", "m"});
    const struct {
        const char* name;
        std::map<int, const char*> cells;
        const char* message;
    } cases[] = {
        {"the valid row", {}, ""},
        {"11-bit COB-ID 2048", {{2, "2048"}}, "Error row 1!! CobID must be between 0 and 2047"},
        {"29-bit COB-ID 536870912", {{3, "2.0B (29 bits)"}, {2, "536870912"}},
         "Error row 1!! CobID must be between 0x00000000 and 0x1FFFFFFF"},
        {"Dimension empty", {{4, ""}}, "Error row 1!! Dimension must be between 1 and 8"},
        {"Time abc without the timer", {{8, "abc"}}, ""},
        {"Time abc with the timer", {{7, "Y"}, {8, "abc"}},
         "Error row 1!! Time must be between 0 and 100000000 milliseconds"},
        {"timer flag trimmed and upper-cased", {{7, " y"}, {8, "abc"}},
         "Error row 1!! Time must be between 0 and 100000000 milliseconds"},
        {"Time 100000000 with the timer", {{7, "Y"}, {8, "100000000"}}, ""},
        {"Byte1 5000", {{9, "5000"}}, "Error row 1!! Byte1 must be between 0 and 1439 or None"},
        {"Byte2 beyond Dim 1", {{10, "5000"}}, ""},
        {"Byte2 within Dim 2", {{4, "2"}, {10, "x"}}, "Error row 1!! Byte2 must be between 0 and 1439 or None"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(messageFor(can::transmitSchema(), can::transmitRules(1440), 2247, {{changed(valid, c.cells)}}),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST(ListFiles, WhatAMissingAttributeLoadsAs) {
    const accesslist::ReadResult tx = accesslist::readList(
        can::transmitSchema(),
        "<Transmit_Frames><row COBID=\"1\" Dim=\"1\"/><row COBID=\"2\" OnTimer=\"Y\"/>"
        "<row COBID=\"3\" OnTimer=\"Y\" Time=\"\"/><row COBID=\"4\" OnChange=\"N\" OnTimer=\"N\" Time=\"7\"/>"
        "</Transmit_Frames>");
    ASSERT_TRUE(tx.error.isEmpty()) << tx.error.toStdString();
    ASSERT_EQ(tx.sections[0].size(), 4u);
    const auto cells = [&](int r) {
        const Row& row = tx.sections[0][size_t(r)];
        return QStringList{row[1], row[3], row[5], row[6], row[7], row[8]};
    };
    // Enable, CAN_Type, OnChange, OnCMD, OnTimer, Time.
    EXPECT_EQ(cells(0), (QStringList{"Y", "2.0A (11 bits)", "Y", "N", "N", ""}));
    EXPECT_EQ(cells(1), (QStringList{"Y", "2.0A (11 bits)", "Y", "N", "Y", "0"}));
    EXPECT_EQ(cells(2), (QStringList{"Y", "2.0A (11 bits)", "Y", "N", "Y", ""}));
    EXPECT_EQ(cells(3), (QStringList{"Y", "2.0A (11 bits)", "N", "N", "N", "7"}));

    const accesslist::ReadResult rx =
        accesslist::readList(can::receiveSchema(), "<Receive_Frames><row COBID=\"5\"/></Receive_Frames>");
    ASSERT_TRUE(rx.error.isEmpty());
    EXPECT_EQ(rx.sections[0][0], fromCells({"Y", "5", "", "", "0", "", "", "", "", "", "", "", "", ""}));

    const accesslist::ReadResult mq = accesslist::readList(
        mqttaccess::schema(), "<MQTT_Set_Access><MQTT_Publish><row Index_Topic=\"0\"/></MQTT_Publish><MQTT_Subscribe/>"
                              "</MQTT_Set_Access>");
    ASSERT_TRUE(mq.error.isEmpty());
    EXPECT_EQ(mq.sections[0][0], fromCells({"N", "0", "", "", "", "", ""}));
}

TEST(ListFiles, ByteItems) {
    const QStringList& items = can::byteItems(1440);
    ASSERT_EQ(items.size(), 1441);
    EXPECT_EQ(items[0], QStringLiteral("None"));
    EXPECT_EQ(items[1], QStringLiteral("0"));
    EXPECT_EQ(items.last(), QStringLiteral("1439"));
}

}  // namespace
