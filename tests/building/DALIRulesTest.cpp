// The DALI files and rules without a window: the device file's elements, the "%d" messages, the
// texts the built-in table leaves blank, and the rules of the functions and set-access lists.
#include "building/DALISchemas.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

namespace {

using namespace dali;
using accesslist::Row;
using accesslist::Rows;

TEST(DALIDevices, ElementsOfTheFile) {
    const DevicesRead read = readDevices(
        "<DALI_Access><DALI_ID_DEVICE_5>1</DALI_ID_DEVICE_5><DALI_ID_DEVICE_6>Y</DALI_ID_DEVICE_6>"
        "<DALI_ID_DEVICE_7> 1</DALI_ID_DEVICE_7>"
        "<DALI_ID_DEVICE_5_MIN_MAN_VALUE>1</DALI_ID_DEVICE_5_MIN_MAN_VALUE>"
        "<DALI_ID_DEVICE_6_MIN_MAN_VALUE>Y</DALI_ID_DEVICE_6_MIN_MAN_VALUE>"
        "<DALI_ID_DEVICE_5_RECALL_LEVEL>Recall Old Value Level for Switch</DALI_ID_DEVICE_5_RECALL_LEVEL>"
        "<DALI_ID_DEVICE_6_RECALL_LEVEL>recall old value level for switch</DALI_ID_DEVICE_6_RECALL_LEVEL>"
        "<DALI_ID_DEVICE_63>1</DALI_ID_DEVICE_63><DALI_ID_DEVICE_64>1</DALI_ID_DEVICE_64>"
        "</DALI_Access><!--SW_VERSION = 1.305-->");
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    ASSERT_EQ(read.devices.size(), size_t(kDevices));
    EXPECT_TRUE(read.devices[5].enable);
    EXPECT_FALSE(read.devices[6].enable);  // only "1" enables
    EXPECT_FALSE(read.devices[7].enable);
    EXPECT_TRUE(read.devices[63].enable);
    EXPECT_EQ(read.devices[5].minMax, std::optional<bool>(true));
    EXPECT_EQ(read.devices[6].minMax, std::optional<bool>(false));
    EXPECT_EQ(read.devices[7].minMax, std::nullopt);
    EXPECT_EQ(read.devices[5].recall, std::optional<QString>(QStringLiteral("Recall Old Value Level for Switch")));
    EXPECT_EQ(read.devices[6].recall, std::optional<QString>(QStringLiteral("None")));
    EXPECT_EQ(read.devices[7].recall, std::nullopt);

    EXPECT_FALSE(readDevices("<DALI_Access><DALI_ID_DEVICE_0>1</DALI_Access>").error.isEmpty());
    EXPECT_EQ(readDevices("<x/>").devices.size(), size_t(kDevices));
}

TEST(DALIDevices, EveryAddressIsWrittenWithItsThreeElements) {
    std::vector<DeviceRow> rows(kDevices, DeviceRow{QStringLiteral("N"), QStringLiteral("N"), QStringLiteral("None")});
    rows[1] = {QStringLiteral(" y "), QStringLiteral("Y"), QStringLiteral("Recall Min-Max Level for Switch")};
    plat::XmlDocument doc;
    writeDevices(rows, doc);
    const QByteArray bytes = doc.toBytes();
    EXPECT_TRUE(bytes.startsWith("<DALI_Access><DALI_ID_DEVICE_0>0</DALI_ID_DEVICE_0><DALI_ID_DEVICE_0_MIN_MAN_VALUE>0"
                                 "</DALI_ID_DEVICE_0_MIN_MAN_VALUE><DALI_ID_DEVICE_0_RECALL_LEVEL>None"
                                 "</DALI_ID_DEVICE_0_RECALL_LEVEL><DALI_ID_DEVICE_1>1</DALI_ID_DEVICE_1>"
                                 "<DALI_ID_DEVICE_1_MIN_MAN_VALUE>1</DALI_ID_DEVICE_1_MIN_MAN_VALUE>"
                                 "<DALI_ID_DEVICE_1_RECALL_LEVEL>Recall Min-Max Level for Switch"))
        << bytes.toStdString();
    EXPECT_TRUE(bytes.endsWith("</DALI_ID_DEVICE_63_RECALL_LEVEL></DALI_Access><!--SW_VERSION = 1.305-->"));
    EXPECT_EQ(doc.root().childElements().size(), size_t(3 * kDevices));
    const DevicesRead again = readDevices(bytes);
    EXPECT_TRUE(again.devices[1].enable);
    EXPECT_FALSE(again.devices[0].enable);
}

TEST(DALIMessages, OnlyTheRowAndTheLimitAreFilledIn) {
    const struct {
        const char* text;
        std::optional<int64_t> limit;
        const char* shown;
    } cases[] = {
        {"Functions - Error Row %d!! Condition cannot be empty", std::nullopt,
         "Functions - Error Row 5!! Condition cannot be empty"},
        {"Row %d!! between 0 and %d", 1440, "Row 5!! between 0 and 1440"},
        {"Row %s %d%n", std::nullopt, "Row %s 5%n"},
        {"%d %d %d %x %", 3, "5 3 %d %x %"},
        {"Row %d and %d", std::nullopt, "Row 5 and %d"},
        {"no number", 7, "no number"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(formatMessage(QString::fromUtf8(c.text), 5, c.limit), QString::fromUtf8(c.shown)) << c.text;
}

TEST(DALIMessages, BlankTextsOfTheTableHaveTheWindowsOwnUntilALanguageGivesThem) {
    Load_Default_Language();
    EXPECT_EQ(TrimCtl(Text_Table[4960]), QString());  // as built in
    EXPECT_EQ(text(4960), QStringLiteral("Channel"));
    EXPECT_EQ(text(4961), QStringLiteral("Brightness"));
    for (int n = 4962; n <= 4966; ++n) EXPECT_FALSE(TrimCtl(text(n)).isEmpty()) << n;
    EXPECT_TRUE(text(4964).contains(QStringLiteral("When Equal to Value")));
    EXPECT_TRUE(text(4965).contains(QStringLiteral("NAND Logic with Value")));
    EXPECT_TRUE(text(4966).contains(QStringLiteral("\"AND Logic with Value")));
    EXPECT_EQ(text(4950), Text_Table[4950]);
    Text_Table[4960] = QStringLiteral("Canale");
    EXPECT_EQ(text(4960), QStringLiteral("Canale"));
    Load_Default_Language();
}

// Three valid functions and two valid rules; each case changes cells of some rows.
struct Lists {
    Rows functions, rules;
};

Row row(std::initializer_list<const char*> cells) {
    Row r{QString()};
    for (const char* c : cells) r << QString::fromUtf8(c);
    return r;
}

Lists validLists() {
    Lists l;
    l.functions = {row({"Set Out", "No Condition", "100", "DALI Channel 1", "254", "2", "on"}),
                   row({"Toggle", "When Equal to Value", "Short Press", "DALI Group 1", "", "0", "toggle"}),
                   row({"Dim Up", "AND Logic with Value", "Movement", "DALI Broadcast", "10", "", "dim"})};
    l.rules = {row({"Y", "Device", "Dimmer", "3", "0", "144", "1000", "2000", "1 - on", "0", "", "lamp"}),
               row({"Y", "Sensor", "Push Button", "63", "31", "0", "0", "100000000", "", "1440", "2", "button"})};
    return l;
}

struct Change {
    int list;  // 0 functions, 1 rules
    int row;
    int column;
    const char* text;
};

TEST(DALIRules, FunctionsThenNextFunctionsThenRules) {
    Load_Default_Language();
    testing_support::LocaleScope comma(u',', u'.');
    struct Case {
        const char* name;
        std::vector<Change> changes;
        const char* message;  // empty: both lists pass
    } cases[] = {
        {"valid lists", {}, ""},
        {"no condition", {{0, 1, fCondition, " "}}, "Functions - Error Row 1!! Condition cannot be empty"},
        {"button event without its condition", {{0, 2, fCondition, "No Condition"}},
         "Functions - Error Row 2!! A button event needs the Condition \"When Equal to Value\""},
        {"absence event", {{0, 2, fValue, "Vacant"}},
         "Functions - Error Row 2!! This event needs the Condition \"NAND Logic with Value\""},
        {"absence event with its condition", {{0, 2, fValue, "Vacant"}, {0, 2, fCondition, "NAND Logic with Value"}},
         ""},
        {"presence event", {{0, 3, fCondition, "NAND Logic with Value"}},
         "Functions - Error Row 3!! This event needs the Condition \"AND Logic with Value\""},
        {"value with a comma", {{0, 1, fValue, "12,5"}}, ""},
        {"value with a dot", {{0, 1, fValue, "12.5"}}, ""},
        {"value no number", {{0, 1, fValue, "twelve"}}, "Functions - Error Row 1!! Value must be a valid float value"},
        {"empty value", {{0, 1, fValue, ""}}, "Functions - Error Row 1!! Value must be a valid float value"},
        {"next function 3 of 3", {{0, 1, fNextFunction, "3"}}, ""},
        {"next function 4 of 3", {{0, 1, fNextFunction, "4"}},
         "Functions - Error Row 1!! Next Function must be between 0 and 3"},
        {"values come before next functions", {{0, 1, fNextFunction, "4"}, {0, 3, fValue, "x"}},
         "Functions - Error Row 3!! Value must be a valid float value"},
        {"next function not a number", {{0, 2, fNextFunction, "one"}},
         "Functions - Error Row 2!! Next Function must be between 0 and 3"},
        {"function 3 with a name", {{1, 1, rFunction, "3 - dim"}}, ""},
        {"function 4 with a name", {{1, 1, rFunction, "4 - x"}},
         "Set Access - Error Row 1!! Function Must be between 0 and 3"},
        {"function 0", {{1, 1, rFunction, "0 - None"}}, ""},
        {"sensor of a device type", {{1, 2, rType, "Dimmer"}},
         "Set Access - Error Row 2!! The Type selected is not compatible with the Sensor"},
        {"device of a sensor type", {{1, 1, rType, "Light Sensor"}},
         "Set Access - Error Row 1!! The Type selected is not compatible with the Device"},
        {"type in lower case", {{1, 1, rType, "dimmer"}}, ""},
        {"channel 64", {{1, 1, rChannelNumber, "64"}},
         "Set Access - Error Row 1!! Channel Number Must be Between 0 and 63"},
        {"instance 32", {{1, 1, rInstance, "32"}}, "Set Access - Error Row 1!! Instance Must be Between 0 and 31"},
        {"command 256", {{1, 1, rCommand, "256"}}, "Set Access - Error Row 1!! Command Must be Between 0 and 255"},
        {"time send empty", {{1, 1, rTimeSend, ""}},
         "Set Access - Error Row 1!! Time Send Must be Between 0 and 100000000 milliseconds"},
        {"timeout beyond", {{1, 2, rTimeOut, "100000001"}},
         "Set Access - Error Row 2!! TimeOut Must be Between 0 and 100000000 milliseconds"},
        {"position 1441", {{1, 2, rPosition, "1441"}},
         "Set Access - Error Row 2!! Position Must be Between 0 and 1440"},
        {"num bytes not checked", {{1, 1, rNumBytes, "7"}}, ""},
        {"an unchecked rule is not checked",
         {{1, 2, rEnable, "N"}, {1, 2, rType, "Dimmer"}, {1, 2, rCommand, "999"}, {1, 2, rPosition, "-1"}}, ""},
        {"functions before rules", {{1, 1, rCommand, "256"}, {0, 3, fCondition, ""}},
         "Functions - Error Row 3!! Condition cannot be empty"},
        {"fewer functions, smaller limit",
         {{0, 3, fFunction, ""}, {0, 3, fCondition, ""}, {0, 3, fValue, ""}, {0, 3, fChannel, ""}, {0, 3, fVal, ""},
          {0, 3, fMnemonic, ""}, {1, 1, rFunction, "3 - dim"}},
         "Set Access - Error Row 1!! Function Must be between 0 and 2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Lists l = validLists();
        for (const Change& ch : c.changes)
            (ch.list == 0 ? l.functions : l.rules)[size_t(ch.row - 1)][ch.column] = QString::fromUtf8(ch.text);
        const accesslist::Problem p =
            accesslist::validate(rulesSchema(), {l.functions, l.rules}, rules(l.functions, u','));
        const QString message = p.kind == accesslist::Problem::None
                                    ? QString()
                                    : formatMessage(text(p.failure.text), p.row, p.failure.limit);
        EXPECT_EQ(message, QString::fromUtf8(c.message));
    }
}

TEST(DALIRules, AValueWithEitherSeparatorPassesUnderADotToo) {
    testing_support::LocaleScope dot(u'.', u',');
    Lists l = validLists();
    for (const char* v : {"12,5", "12.5"}) {
        l.functions[0][fValue] = QString::fromLatin1(v);
        EXPECT_EQ(accesslist::validate(rulesSchema(), {l.functions, l.rules}, rules(l.functions, u'.')).kind,
                  accesslist::Problem::None)
            << v;
    }
}

TEST(DALIRules, AnEventChoosesItsCondition) {
    EXPECT_EQ(conditionForEvent(QStringLiteral("Short Press")), std::optional<QString>(QStringLiteral("When Equal to Value")));
    EXPECT_EQ(conditionForEvent(QStringLiteral("Presence Sensor")),
              std::optional<QString>(QStringLiteral("NAND Logic with Value")));
    EXPECT_EQ(conditionForEvent(QStringLiteral("Occupied")), std::optional<QString>(QStringLiteral("AND Logic with Value")));
    EXPECT_EQ(conditionForEvent(QStringLiteral("12")), std::nullopt);
    EXPECT_EQ(events().size(), 17);
    EXPECT_EQ(channels().size(), 81);
    EXPECT_EQ(channels().back(), QStringLiteral("DALI Broadcast"));
}

TEST(DALIFile, SectionsInOrderAndTheEnableDefault) {
    const accesslist::ReadResult read = accesslist::readList(
        rulesSchema(),
        "<DALI2_Access><DALI2_Functions_Rules><row Function=\"Toggle\" Mnemonic=\"t\"/></DALI2_Functions_Rules>"
        "<DALI2_SetAccess_Rules><row DeviceSensor=\"Device\"/><row Enable=\"N\" DeviceSensor=\"Sensor\"/>"
        "</DALI2_SetAccess_Rules></DALI2_Access>");
    ASSERT_TRUE(read.error.isEmpty()) << read.error.toStdString();
    EXPECT_EQ(read.sections[0][0][fMnemonic], QStringLiteral("t"));
    EXPECT_EQ(read.sections[1][0][rEnable], QStringLiteral("Y"));
    EXPECT_EQ(read.sections[1][1][rEnable], QStringLiteral("N"));
    plat::XmlDocument doc;
    accesslist::writeList(rulesSchema(), read.sections, doc);
    EXPECT_TRUE(doc.toBytes().startsWith("<DALI2_Access><DALI2_Functions_Rules><row Function=\"Toggle\" Condition=\"\" "
                                         "Value=\"\" Channel=\"\" Val=\"\" Next_Function=\"\" Mnemonic=\"t\"/>"
                                         "</DALI2_Functions_Rules><DALI2_SetAccess_Rules><row Enable=\"Y\" "
                                         "DeviceSensor=\"Device\" Type=\"\""))
        << doc.toBytes().toStdString();
    EXPECT_TRUE(doc.toBytes().endsWith("</DALI2_SetAccess_Rules></DALI2_Access><!--SW_VERSION = 1.305-->"));
}

}  // namespace
