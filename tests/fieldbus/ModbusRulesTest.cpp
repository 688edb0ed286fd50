// The rule tables of the Modbus master and Modbus TCP master lists, run without a window: one valid
// row per page, each case changing a cell or two, and the exact message the user would read. Then
// the address test, the publish topics of the MQTT topic file and the topic lookups.
#include "fieldbus/ModbusSchemas.h"
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

QString messageFor(const accesslist::Schema& schema, const std::vector<accesslist::SectionRules>& rules,
                   int prefix, const Row& base, const Case& c) {
    std::vector<Rows> pages(schema.sections.size());
    Row row = base;
    for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
    pages[size_t(c.page)].push_back(row);
    const accesslist::Problem p = accesslist::validate(schema, pages, rules);
    return accesslist::problemMessage(schema, p, prefix, {});
}

class ModbusRules : public ::testing::Test {
protected:
    void SetUp() override { Load_Default_Language(); }
};

TEST_F(ModbusRules, Master) {
    const Row valid[2] = {
        fromCells({"Y", "1", "Holding Register", "0", "10", "1000", "0", "", "", "N", "N", "1 - a", "m"}),
        fromCells({"Y", "1", "Holding Register", "0", "1", "0", "N", "N", "0", "0", "", "N", "N", "m"})};
    const Case cases[] = {
        {"Input Register NPoint 126", 0, {{3, "Input Register"}, {5, "126"}},
         "Error row 1!! [Modbus Read] NPoint must be between 1 and 125"},
        {"Input Register NPoint 125", 0, {{3, "Input Register"}, {5, "125"}}, ""},
        {"Input Status NPoint 2000", 0, {{3, "Input Status"}, {5, "2000"}}, ""},
        {"Input Status NPoint 2001", 0, {{3, "Input Status"}, {5, "2001"}},
         "Error row 1!! [Modbus Read] NPoint must be between 1 and 2000"},
        {"kind trimmed and upper-cased", 0, {{3, " coil status "}, {5, "2000"}}, ""},
        {"NPoint 0", 0, {{5, "0"}}, "Error row 1!! [Modbus Read] NPoint must be between 1 and 125"},
        {"Poll Time 999", 0, {{6, "999"}}, "Error row 1!! [Modbus Read] Poll Time must be between 1000 and 100000000"},
        {"Poll Time 100000000", 0, {{6, "100000000"}}, ""},
        {"empty topic", 0, {{12, ""}}, "Error row 1!! [Modbus Read] Select a Topic"},
        {"blank topic", 0, {{12, "  "}}, "Error row 1!! [Modbus Read] Select a Topic"},
        {"Slave ID 0", 0, {{2, "0"}}, "Error row 1!! [Modbus Read] Slave ID must be between 1 and 247"},
        {"Slave ID $F7", 0, {{2, "$F7"}}, ""},
        {"Slave ID 248", 0, {{2, "248"}}, "Error row 1!! [Modbus Read] Slave ID must be between 1 and 247"},
        {"empty Type", 0, {{3, " "}},
         "Error row 1!! [Modbus Read] Type must be Coil Status or Input Status or Holding Register or Input Register"},
        {"Address 65536", 0, {{4, "65536"}}, "Error row 1!! [Modbus Read] Address must be between 0 and 65535"},
        {"Max Error with a trailing blank", 0, {{7, "5 "}},
         "Error row 1!! [Modbus Read] Max Error must be between 0 and 100000000"},
        {"hidden Position and Start Bit are not checked", 0, {{8, "abc"}, {9, "99"}}, ""},
        {"enable trimmed", 0, {{1, " Y "}, {2, "0"}}, "Error row 1!! [Modbus Read] Slave ID must be between 1 and 247"},
        {"disabled read rule", 0, {{1, "N"}, {2, "0"}, {12, ""}}, ""},
        {"holding registers at 1499, one point", 1, {{10, "1499"}},
         "Error row 1!! [Modbus Write] Too many bytes to read starting from the Position indicate"},
        {"holding registers at 1498, one point", 1, {{10, "1498"}}, ""},
        {"coils at 1499, 8 points, bit 1", 1, {{3, "Coil Status"}, {5, "8"}, {10, "1499"}, {11, "1"}},
         "Error row 1!! [Modbus Write] Too many bytes to read starting from the Position indicate"},
        {"coils at 1499, 8 points, bit 0", 1, {{3, "Coil Status"}, {5, "8"}, {10, "1499"}, {11, "0"}}, ""},
        {"coils, Start Bit 9", 1, {{3, "Coil Status"}, {11, "9"}},
         "Error row 1!! [Modbus Write] Bit must be between 0 and 7"},
        {"coils, Start Bit abc", 1, {{3, "Coil Status"}, {11, "abc"}},
         "Error row 1!! [Modbus Write] Bit must be between 0 and 7"},
        {"coils, empty Start Bit", 1, {{3, "Coil Status"}, {11, ""}},
         "Error row 1!! [Modbus Write] Bit must be between 0 and 7"},
        {"registers need no Start Bit", 1, {{11, ""}}, ""},
        {"write Poll Time 0", 1, {{6, "0"}}, ""},
        {"write registers NPoint 124", 1, {{5, "124"}},
         "Error row 1!! [Modbus Write] NPoint must be between 1 and 123"},
        {"write Input Status counts as registers", 1, {{3, "Input Status"}, {5, "124"}},
         "Error row 1!! [Modbus Write] NPoint must be between 1 and 123"},
        {"write coils NPoint 1969", 1, {{3, "Coil Status"}, {5, "1969"}, {11, "0"}},
         "Error row 1!! [Modbus Write] NPoint must be between 1 and 1968"},
        {"write coils NPoint 1968 at 0", 1, {{3, "Coil Status"}, {5, "1968"}, {11, "7"}}, ""},
        {"write Position 1500", 1, {{10, "1500"}}, "Error row 1!! [Modbus Write] Position must be between 0 and 1499"},
        {"write Max Error", 1, {{9, "-1"}}, "Error row 1!! [Modbus Write] Max Error must be between 0 and 100000000"},
        {"write empty Type", 1, {{3, ""}}, "Error row 1!! [Modbus Write] Type must be Coil Status or Holding Register"},
        {"disabled write rule with empty Type", 1, {{1, "N"}, {3, ""}}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(modbus::masterSchema(), modbus::masterRules(1500, 1500), 1368, valid[c.page], c),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST_F(ModbusRules, TcpMaster) {
    const Row valid[2] = {fromCells({"Y", "192.168.1.125", "502", "1", "Holding Register", "0", "10", "1000", "0", "",
                                     "", "N", "N", "a", "m"}),
                          fromCells({"Y", "10.0.0.1", "502", "1", "Holding Register", "0", "1", "0", "N", "N", "0",
                                     "0", "", "N", "N", "m"})};
    const char* badRead = "Error row 1!! [Modbus Read] Slave IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)";
    const char* badWrite =
        "Error row 1!! [Modbus Write] Slave IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)";
    const Case cases[] = {
        {"three parts", 0, {{2, "192.168.1"}}, badRead},
        {"a part 256", 0, {{2, "192.168.1.256"}}, badRead},
        {"a trailing dot", 0, {{2, "192.168.1.125."}}, badRead},
        {"write: three parts", 1, {{2, "192.168.1"}}, badWrite},
        {"Port 65536", 0, {{3, "65536"}}, "Error row 1!! [Modbus Read] Port must be between 0 and 65535"},
        {"Port 0", 0, {{3, "0"}}, ""},
        {"write Port 65536", 1, {{3, "65536"}}, "Error row 1!! [Modbus Write] Port must be between 0 and 65535"},
        {"write Port 0", 1, {{3, "0"}}, ""},
        {"Slave ID 248", 0, {{4, "248"}}, "Error row 1!! [Modbus Read] Slave ID must be between 1 and 247"},
        {"NPoint 126", 0, {{7, "126"}}, "Error row 1!! [Modbus Read] NPoint must be between 1 and 125"},
        {"Poll Time 999", 0, {{8, "999"}}, "Error row 1!! [Modbus Read] Poll Time must be between 1000 and 100000000"},
        {"Max Error", 0, {{9, "x"}}, "Error row 1!! [Modbus Read] Max Error must be between 0 and 100000000"},
        {"empty topic", 0, {{14, " "}}, "Error row 1!! [Modbus Read] Select a Topic"},
        {"hidden Position and Start Bit", 0, {{10, "x"}, {11, "x"}}, ""},
        {"write at 1499, one register", 1, {{12, "1499"}},
         "Error row 1!! [Modbus Write] Too many bytes to read starting from the Position indicate"},
        {"write coils, Start Bit 9", 1, {{5, "Coil Status"}, {13, "9"}},
         "Error row 1!! [Modbus Write] Bit must be between 0 and 7"},
        {"write coils at 1499, 8 points, bit 0", 1, {{5, "Coil Status"}, {7, "8"}, {12, "1499"}, {13, "0"}}, ""},
        {"write Max Error column 11", 1, {{11, ""}},
         "Error row 1!! [Modbus Write] Max Error must be between 0 and 100000000"},
        {"write Position 1500", 1, {{12, "1500"}}, "Error row 1!! [Modbus Write] Position must be between 0 and 1499"},
        {"disabled write rule", 1, {{1, "N"}, {2, "nonsense"}}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(messageFor(modbus::tcpMasterSchema(), modbus::tcpMasterRules(1500, 1500), 1538, valid[c.page], c),
                  QString::fromUtf8(c.message))
            << c.name;
}

TEST(ModbusAddress, CheckIPAddressIsTrueForAnInvalidAddress) {
    const struct {
        const char* text;
        bool invalid;
    } cases[] = {
        {"192.168.1.125", false}, {"0.0.0.0", false},      {"255.255.255.255", false}, {"", true},
        {"192.168.1", true},      {"1.2.3.256", true},     {"1.2.3.4.", true},         {"1.2.3.4.5", true},
        {"1..3.4", true},         {"1.2.3.4 ", true},      {"a.b.c.d", true},          {"-1.2.3.4", true},
        // The house conversion: a leading blank, and "$" or "0x" hexadecimal, read as numbers.
        {" 1.2.3.4", false},      {"$C0.$A8.1.0x7D", false}, {"1.2.3.$100", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(modbus::Check_IP_Address(QString::fromLatin1(c.text)), c.invalid) << '"' << c.text << '"';
}

TEST(ModbusTopics, PublishTopicsInDocumentOrder) {
    const modbus::PublishTopics t = modbus::readPublishTopics(
        "<MQTT_Set_Topic><MQTT_Subscribe><row Topic=\"s\"/></MQTT_Subscribe><MQTT_Publish><row Topic=\" a \"/>"
        "<row Topic=\"a\" QoS=\"1\"/><row Topic=\"\"/><row Topic=\"b\"/></MQTT_Publish></MQTT_Set_Topic>",
        QStringLiteral("MQTT_Set_Topic.xml"));
    EXPECT_EQ(t.topics, (QStringList{QStringLiteral(" a "), QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_TRUE(t.error.isEmpty());

    const modbus::PublishTopics none =
        modbus::readPublishTopics("<MQTT_Set_Topic><MQTT_Subscribe/></MQTT_Set_Topic>", QStringLiteral("f.xml"));
    EXPECT_TRUE(none.topics.isEmpty());
    EXPECT_TRUE(none.error.isEmpty());
}

TEST(ModbusTopics, ARowWithoutATopicKeepsItsPlaceAndIsReportedOnce) {
    const modbus::PublishTopics t = modbus::readPublishTopics(
        "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\"/><row QoS=\"1\"/><row Topic=\"b\"/><row/></MQTT_Publish>"
        "</MQTT_Set_Topic>",
        QStringLiteral("MQTT_Set_Topic.xml"));
    EXPECT_EQ(t.topics, (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b"), QString()}));
    EXPECT_EQ(t.error, QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Publish\", row 2: the attribute "
                                      "\"Topic\" is missing (2 rows in all). Such a row is listed as an empty topic."));

    const modbus::PublishTopics broken =
        modbus::readPublishTopics("<MQTT_Set_Topic><MQTT_Publish>", QStringLiteral("MQTT_Set_Topic.xml"));
    EXPECT_TRUE(broken.topics.isEmpty());
    EXPECT_TRUE(broken.error.startsWith(QStringLiteral("Error in \"MQTT_Set_Topic.xml\": "))) << broken.error.toStdString();
}

TEST(ModbusTopics, LookupsKeepTheGuessWhileItStillReadsAsTheTopic) {
    const QStringList topics = {QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b")};
    const struct {
        const char* topic;
        int guess;
        int index;
    } cases[] = {{"a", 1, 1}, {"a", -1, 0}, {"a", 2, 0}, {"a", 3, 0}, {"b", 7, 2}, {"c", 0, -1}, {"A", 0, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(modbus::indexFromTopic(topics, QString::fromLatin1(c.topic), c.guess), c.index)
            << c.topic << " " << c.guess;
    EXPECT_EQ(modbus::topicFromIndex(topics, 2), QStringLiteral("b"));
    EXPECT_TRUE(modbus::topicFromIndex(topics, 3).isEmpty());
    EXPECT_TRUE(modbus::topicFromIndex(topics, -1).isEmpty());
}

}  // namespace
