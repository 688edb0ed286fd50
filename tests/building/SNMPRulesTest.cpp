// The rules of the SNMP agent's two lists and their name rule, run without a window: valid rows,
// each case changing cells of a read or a write row, and the exact message the user would read.
#include "building/SNMPSchema.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace snmp;
using accesslist::Row;
using accesslist::Rows;

Row readRow(const char* community = "public", const char* description = "temp1") {
    Row r{QString()};
    for (const char* c : {"Y", community, "Int", "N", "N", "N", "", "0", "0", "16", description, "192.168.1.125", "None", "m"})
        r << QString::fromUtf8(c);
    return r;
}

Row writeRow(const char* description = "out1") {
    Row r{QString()};
    for (const char* c : {"Y", "public", "Int", "0", "0", "16", description, "None", "m"}) r << QString::fromUtf8(c);
    return r;
}

QString messageFor(const Rows& read, const Rows& write, QStringList* checked = nullptr) {
    QStringList own;
    const accesslist::Problem p = accesslist::validate(schema(), {read, write}, rules(checked ? checked : &own));
    return accesslist::problemMessage(schema(), p, 3960, {});
}

const char* const kReadDesc = "Error row 1!! [SNMP Read] Description is not correct (allowed characters are \"a\"..\"z\", "
                              "\"A\"..\"Z\" and \"0\"..\"9\"). First character must be a letter and must be lowercase";
const char* const kWriteDesc = "Error row 1!! [SNMP Write] Descrtiption is not correct (allowed characters are "
                               "\"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\"). First character must be a letter and must be "
                               "lowercase";
const char* const kDifferent = "Error!! The Descriptions must be all differents";

TEST(SNMPRules, TheNameRule) {
    struct Case {
        const char* text;
        bool community, description;  // breaks the rule as a community name, as a description
    } cases[] = {
        {"", false, false},     {"public", false, false}, {"Public1", false, true}, {"1abc", false, true},
        {"ab-c", true, true},   {"ab c", true, true},     {"te\"mp", true, true},   {"aB9", false, false},
        {"\xc3\xa8t\xc3\xa9", true, true},  // letters outside ASCII
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check_Error_CommName_Desc(QString::fromUtf8(c.text), 0), c.community) << c.text;
        EXPECT_EQ(Check_Error_CommName_Desc(QString::fromUtf8(c.text), 1), c.description) << c.text;
    }
}

TEST(SNMPRules, EachReadCheckWithItsMessage) {
    Load_Default_Language();
    struct Case {
        const char* name;
        std::map<int, const char*> cells;
        const char* message;
    } cases[] = {
        {"the valid row", {}, ""},
        {"Int of 64 bits", {{rNumBits, "64"}}, ""},
        {"community with a hyphen", {{rCommunity, "ab-c"}},
         "Error row 1!! [SNMP Read] Community Name is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\")"},
        {"community with a leading blank", {{rCommunity, " public"}},
         "Error row 1!! [SNMP Read] Community Name is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\")"},
        {"no Type", {{rType, " "}}, "Error row 1!! [SNMP Read] Type must be selected"},
        {"On Timer without Time", {{rOnTimer, "y"}}, "Error row 1!! [SNMP Read] Time must be between 1 and 1000000000 ms"},
        {"On Timer with the longest Time", {{rOnTimer, "Y"}, {rTime, "1000000000"}}, ""},
        {"no Position", {{rPosition, ""}}, "Error row 1!! [SNMP Read] Position must be selected"},
        {"no Start Bit", {{rBit, ""}}, "Error row 1!! [SNMP Read] Start Bit must be selected"},
        {"String from bit 2", {{rType, "String"}, {rBit, "2"}}, "Error row 1!! [SNMP Read] Start Bit must be 0 if Type is String"},
        {"String of 17 bytes", {{rType, "String"}, {rNumBits, "17"}}, "Error row 1!! [SNMP Read] Num Bits/Bytes must be between 1 and 16 bytes"},
        {"Int of 65 bits", {{rNumBits, "65"}}, "Error row 1!! [SNMP Read] Num Bits/Bytes must be between 1 and 64 bits"},
        {"Int from bit 2", {{rBit, "2"}}, ""},
        {"a description starting with a digit", {{rDescription, "1temp"}}, kReadDesc},
        {"a description starting with a capital", {{rDescription, "Temp"}}, kReadDesc},
        {"an empty description", {{rDescription, ""}}, ""},
        {"no IP address", {{rIPAddress, ""}}, "Error row 1!! [SNMP Read] IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
        {"an IP part above 255", {{rIPAddress, "10.0.0.256"}}, "Error row 1!! [SNMP Read] IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
        {"no Conversion", {{rConversion, ""}}, "Error row 1!! [SNMP Read] Conversion must be selected"},
        {"community of 15 characters", {{rCommunity, "abcdefghijklmno"}}, ""},
        {"community of 16 characters", {{rCommunity, "abcdefghijklmnop"}},
         "Error row 1!! [SNMP Read] Community Name must be at most 15 characters"},
        {"description of 15 characters", {{rDescription, "abcdefghijklmno"}}, ""},
        {"description of 16 characters", {{rDescription, "abcdefghijklmnop"}},
         "Error row 1!! [SNMP Read] Description must be at most 15 characters"},
        {"a name rule break told before the length", {{rCommunity, "abcdefgh-ijklmnop"}},
         "Error row 1!! [SNMP Read] Community Name is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" "
         "and \"0\"..\"9\")"},
        {"a disabled row is not checked", {{rEnable, "N"}, {rType, ""}, {rDescription, "Bad"}}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Row row = readRow();
        for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
        EXPECT_EQ(messageFor({row}, {}), QString::fromUtf8(c.message));
    }
}

TEST(SNMPRules, EachWriteCheckWithItsMessage) {
    Load_Default_Language();
    struct Case {
        const char* name;
        std::map<int, const char*> cells;
        const char* message;
    } cases[] = {
        {"the valid row", {}, ""},
        {"community with a blank", {{wCommunity, "ab c"}},
         "Error row 1!! [SNMP Write] Community Name is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\")"},
        {"no Type", {{wType, ""}}, "Error row 1!! [SNMP Write] Type must be selected"},
        {"no Position", {{wPosition, ""}}, "Error row 1!! [SNMP Write] Position must be selected"},
        {"no Start Bit", {{wBit, ""}}, "Error row 1!! [SNMP Write] Start Bit must be selected"},
        {"String from bit 1", {{wType, "String"}, {wBit, "1"}}, "Error row 1!! [SNMP Write] Start Bit must be 0 if Type is String"},
        {"Int of 0 bits", {{wNumBits, "0"}}, "Error row 1!! [SNMP Write] Num Bits/Bytes must be between 1 and 64 bits"},
        {"String of 17 bytes", {{wType, "String"}, {wNumBits, "17"}}, "Error row 1!! [SNMP Write] Num Bits/Bytes must be between 1 and 16 bytes"},
        {"a description starting with a capital", {{wDescription, "Out"}}, kWriteDesc},
        {"no Conversion", {{wConversion, " "}}, "Error row 1!! [SNMP Write] Conversion must be selected"},
        {"community of 16 characters", {{wCommunity, "ABCDEFGHIJKLMNOP"}},
         "Error row 1!! [SNMP Write] Community Name must be at most 15 characters"},
        {"description of 16 characters", {{wDescription, "abcdefghijklmnop"}},
         "Error row 1!! [SNMP Write] Description must be at most 15 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Row row = writeRow();
        for (const auto& [col, text] : c.cells) row[col] = QString::fromUtf8(text);
        EXPECT_EQ(messageFor({}, {row}), QString::fromUtf8(c.message));
    }
}

TEST(SNMPRules, DescriptionsMustAllDifferAcrossBothLists) {
    Load_Default_Language();
    Row disabled = readRow("public", "same");
    disabled[rEnable] = QStringLiteral("N");
    struct Case {
        const char* name;
        Rows read, write;
        const char* message;
    } cases[] = {
        {"all different", {readRow("a", "x1"), readRow("b", "x2")}, {writeRow("x3")}, ""},
        {"two empty descriptions", {readRow("a", ""), readRow("b", "")}, {}, kDifferent},
        {"one description on both pages", {readRow("a", "same")}, {writeRow("same")}, kDifferent},
        {"a disabled row is not counted", {disabled}, {writeRow("same")}, ""},
        {"case counts", {readRow("a", "same")}, {writeRow("sAme")}, ""},
        // A row error, even in the write list, is told before the duplicate.
        {"a row error first", {readRow("a", "same"), readRow("b", "same")}, {writeRow("Bad")}, kWriteDesc},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(messageFor(c.read, c.write), QString::fromUtf8(c.message));
    }
    // Validation leaves the descriptions it checked, read then write.
    QStringList checked{QStringLiteral("stale")};
    EXPECT_EQ(messageFor({readRow("a", "x1"), disabled}, {writeRow("x3")}, &checked), QString());
    EXPECT_EQ(checked, (QStringList{QStringLiteral("x1"), QStringLiteral("x3")}));
}

}  // namespace
