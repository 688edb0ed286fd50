// The rules of the KNX telegram list, run without a window: a valid row, each case changing a cell
// or two, and the exact message the user would read; then the file's own rules.
#include "building/KNXSchema.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace knx;
using accesslist::Row;

Row validRow() {
    Row r{QString()};
    for (const char* c : {"Y", "1.1.1", "1/2/3", "Write", "Normal", "None", "", "N", "N", "N", "N", "N", "", "0", "No",
                          "2", "0", "m"})
        r << QString::fromUtf8(c);
    return r;
}

QString messageFor(const Row& row, QChar separator) {
    const accesslist::Problem p = accesslist::validate(schema(), {{row}}, rules(kAreaBytes, separator));
    return accesslist::problemMessage(schema(), p, 3848, {});
}

struct Case {
    const char* name;
    std::map<int, const char*> cells;  // changes to the valid row
    const char* message;               // empty: accepted
};

constexpr const char* kSource = "Error row 1!! [KNX in Write] Source Address must be a valid KNX Address (Ex. 1.1.20)";
constexpr const char* kIndividual = "Error row 1!! [KNX in Write] Destination Address must be a valid KNX Address (Ex. 1.1.20)";
constexpr const char* kGroup = "Error row 1!! [KNX in Write] Destination Address must be a valid KNX Address (Ex. 230.240)";

TEST(KNXRules, EachCheckWithItsMessage) {
    Load_Default_Language();
    const Case cases[] = {
        {"the valid row", {}, ""},
        {"the all-zero source", {{cSource, "0.0.0"}}, ""},
        {"a source given as a number", {{cSource, " 4353 "}}, ""},
        {"a source area above 15", {{cSource, "16.1.1"}}, kSource},
        {"a source with slashes", {{cSource, "1/1/1"}}, kSource},
        {"group address in three parts", {{cDestination, "1/2/3"}}, ""},
        {"group address in two parts at its limits", {{cDestination, "31/2047"}}, ""},
        {"group address as a number", {{cDestination, "230"}}, ""},
        {"the all-zero group address", {{cDestination, "0/0/0"}}, kGroup},
        {"a main group above 31", {{cDestination, "32/0/1"}}, kGroup},
        {"an individual destination out of range", {{cDestination, "1.1.300"}}, kIndividual},
        {"the all-zero individual destination", {{cDestination, "0.0.0"}}, ""},
        {"APCI in lower case", {{cAPCI, "read"}}, ""},
        {"APCI as a number", {{cAPCI, "1023"}}, ""},
        {"APCI beyond 1023", {{cAPCI, "1024"}}, "Error row 1!! [KNX in Write] APCI must be between 0 and 1023 or use the value Read or Write"},
        {"Priority in lower case", {{cPriority, "normal"}}, "Error row 1!! [KNX in Write] Priority must be System or Urgent or Normal or Low"},
        {"Format blank", {{cFormat, " "}}, "Error row 1!! [KNX in Write] Format is not correct"},
        {"Mul. Factor not a number", {{cMulFactor, "1x"}}, "Error row 1!! [KNX in Write] Mul. Factor must be a valid Float"},
        {"OnTimer off, no Poll Time", {{cOnTimer, "N"}, {cPollTime, ""}}, ""},
        {"OnTimer on, no Poll Time", {{cOnTimer, "y"}, {cPollTime, ""}}, "Error row 1!! [KNX in Write] Poll Time must be between 1 and 100000000"},
        {"OnTimer on, the longest Poll Time", {{cOnTimer, "Y"}, {cPollTime, "100000000"}}, ""},
        {"no Position", {{cPosition, ""}}, "Error row 1!! [KNX in Write] Position must be between 0 and 1439"},
        {"Bit Mode 8", {{cBitMode, "8"}}, "Error row 1!! [KNX in Write] Bit Mode must be \"No\" or between 0 and 7"},
        {"byte mode, Length 15", {{cLength, "15"}}, "Error row 1!! [KNX in Write] Length must be between 1 and 14"},
        {"byte mode, Length 0", {{cLength, "0"}}, "Error row 1!! [KNX in Write] Length must be between 1 and 14"},
        {"byte mode extended, Length 255", {{cExtended, "y"}, {cLength, "255"}, {cPosition, "0"}}, ""},
        {"byte mode extended, Length 256", {{cExtended, "Y"}, {cLength, "256"}}, "Error row 1!! [KNX in Write] Length must be between 1 and 255"},
        {"bit mode, Length 113", {{cBitMode, "0"}, {cLength, "113"}}, "Error row 1!! [KNX in Write] Length must be between 1 and 112"},
        {"bit mode extended, Length 2041", {{cBitMode, "0"}, {cExtended, "Y"}, {cLength, "2041"}}, "Error row 1!! [KNX in Write] Length must be between 1 and 2040"},
        {"the last byte, Length 1", {{cPosition, "1439"}, {cLength, "1"}}, ""},
        {"the last byte, Length 2", {{cPosition, "1439"}, {cLength, "2"}}, "Error row 1!! [KNX in Write] Position plus Length must be minor or equal to 1440"},
        {"bit mode start 7, 10 bits in 3 bytes that fit", {{cBitMode, "7"}, {cLength, "10"}, {cPosition, "1437"}}, ""},
        {"bit mode start 7, 10 bits in 3 bytes past the end", {{cBitMode, "7"}, {cLength, "10"}, {cPosition, "1438"}}, "Error row 1!! [KNX in Write] Position plus Length must be minor or equal to 1440"},
        {"TimeOut negative", {{cTimeOut, "-1"}}, "Error row 1!! [KNX in Write] TimeOut must be between 0 and 100000000 milliseconds"},
        {"a disabled row is not checked", {{cEnable, "N"}, {cSource, "1/1/1"}, {cLength, "99"}, {cAPCI, "x"}}, ""},
        {"Enable with blanks still counts", {{cEnable, " Y "}, {cSource, "1/1/1"}}, kSource},
        {"the first failing check is told", {{cSource, "99.1.1"}, {cAPCI, "x"}}, kSource},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Row row = validRow();
        for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
        EXPECT_EQ(messageFor(row, u','), QString::fromUtf8(c.message));
    }
}

TEST(KNXRules, TheMulFactorReadsWithEitherSeparatorUnderBothConventions) {
    Load_Default_Language();
    for (const testing_support::LocaleCase& locale : {testing_support::kDotDecimal, testing_support::kCommaDecimal}) {
        SCOPED_TRACE(locale.name);
        testing_support::LocaleScope scope(locale.decimal, locale.thousand);
        for (const char* factor : {"12,5", "12.5", " 0.1 ", "-3", ""}) {
            Row row = validRow();
            row[cMulFactor] = QString::fromLatin1(factor);
            EXPECT_EQ(messageFor(row, locale.decimal), QString()) << factor;
        }
        Row row = validRow();
        row[cMulFactor] = QStringLiteral("1x");
        EXPECT_EQ(messageFor(row, locale.decimal), QStringLiteral("Error row 1!! [KNX in Write] Mul. Factor must be a valid Float"));
    }
}

TEST(KNXFile, APriorityOutsideTheListReadsAsNormalAndARowWithoutARequiredAttributeStops) {
    const accesslist::ReadResult r = accesslist::readList(
        schema(),
        "<BACnet_to_KNX><KNX_in_Write>"
        "<row Enable=\"Y\" Source_Address=\"1.1.1\" Destination_Address=\"1/2/3\" APCI=\"Read\" Priority=\"urgent\" "
        "Format=\"None\" MultiplicationFactor=\"\" Extended=\"N\" ReTest=\"N\" On_Command=\"N\" On_Change=\"N\" "
        "On_Timer=\"N\" Poll_Time=\"\" Position=\"0\" Bit_Mode=\"No\" Length=\"1\" TimeOut=\"0\" Mnemonic=\"a\"/>"
        "<row Source_Address=\"1.1.2\" Destination_Address=\"1/2/4\" APCI=\"Read\" ReTest=\"N\" On_Change=\"N\" "
        "Poll_Time=\"\" Position=\"1\" Bit_Mode=\"No\" Length=\"1\" Mnemonic=\"b\"/>"
        "<row Source_Address=\"1.1.3\"/>"
        "</KNX_in_Write></BACnet_to_KNX>");
    EXPECT_EQ(r.error, QStringLiteral("Error in \"KNX_SetAccess.xml\": section \"KNX_in_Write\", row 2: the attribute "
                                      "\"Extended\" is missing"));
    ASSERT_EQ(r.sections[0].size(), 1u);
    EXPECT_EQ(r.sections[0][0][cPriority], QStringLiteral("Normal"));
    // Each of the four items is kept as written.
    for (const char* p : {"System", "Urgent", "Normal", "Low"}) {
        const QByteArray file = "<BACnet_to_KNX><KNX_in_Write><row Enable=\"Y\" Source_Address=\"1\" Destination_Address=\"2\" "
                                "APCI=\"1\" Priority=\"" + QByteArray(p) + "\" Extended=\"N\" ReTest=\"N\" On_Change=\"N\" "
                                "Poll_Time=\"\" Position=\"0\" Bit_Mode=\"No\" Length=\"1\" Mnemonic=\"\"/></KNX_in_Write></BACnet_to_KNX>";
        const accesslist::ReadResult one = accesslist::readList(schema(), file);
        ASSERT_TRUE(one.error.isEmpty()) << one.error.toStdString();
        EXPECT_EQ(one.sections[0][0][cPriority], QString::fromLatin1(p));
        // The attributes with defaults take them.
        EXPECT_EQ(one.sections[0][0][cFormat], QStringLiteral("None"));
        EXPECT_EQ(one.sections[0][0][cOnCommand], QStringLiteral("N"));
        EXPECT_EQ(one.sections[0][0][cTimeOut], QStringLiteral("0"));
    }
}

}  // namespace
