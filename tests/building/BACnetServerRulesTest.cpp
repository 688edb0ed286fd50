// The rules of the BACnet server objects run without a window: one table of cases over both pages,
// each naming the exact message the user reads, the limit of used rows over both pages, the length
// preset and the parameter-file key for long names.
#include "building/BACnetSchema.h"
#include "building/UBACnet_EDE_File.h"
#include "platform/XmlDoc.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

namespace {

using namespace bacnet;
using accesslist::Row;
using accesslist::Rows;

Row row(const char* type, const char* unit, const char* position, const char* bit, const char* length) {
    Row r{QString()};
    for (const char* c : {type, unit, position, bit, length, "N", "obj"}) r << QString::fromUtf8(c);
    return r;
}

QString messageFor(const Rows& read, const Rows& write, int maxRows = kRows) {
    const accesslist::Problem p = accesslist::validate(schema(), {read, write}, rules(maxRows));
    if (p.kind == accesslist::Problem::None) return {};
    return accesslist::problemMessage(schema(), p, 4332, {});
}

TEST(BACnetServerRules, EachRowCheckWithItsMessage) {
    Load_Default_Language();
    struct Case {
        const char* name;
        bool write;
        Row r;
        const char* message;  // "" passes
    } cases[] = {
        {"analog input ending on the last byte", false, row("Analog Input", "62", "1436", "", "4"), ""},
        {"analog input beyond the area", false, row("Analog Input", "62", "1437", "", "4"),
         "Error row 1!! [BACnet in Read] Too many bytes to save starting from the Position indicate"},
        {"binary input without a bit", false, row("Binary Input", "62", "10", "", ""),
         "Error row 1!! [BACnet in Read] Bit must be between 0 and 7"},
        {"binary input on the last byte", false, row("Binary Input", "62", "1439", "3", ""), ""},
        {"binary value bit 8", false, row("Binary Value", "62", "0", "8", "1"),
         "Error row 1!! [BACnet in Read] Bit must be between 0 and 7"},
        {"integer value length not checked", false, row("Integer Value", "62", "0", "", ""), ""},
        {"octet string too long for the area", false, row("Octet String", "0", "1430", "", "11"),
         "Error row 1!! [BACnet in Read] Too many bytes to save starting from the Position indicate"},
        {"life safety point length 3", false, row("Life Safety Point", "0", "0", "", "3"),
         "Error row 1!! [BACnet in Read] Length with variable \"Life Safety Point\" must be 1 or 2"},
        {"large analog value length 8", false, row("Large Analog Value", "0", "0", "", "8"), ""},
        {"type compared as displayed", false, row("analog input", "0", "0", "", "9"), ""},
        {"unit 65536 read", false, row("Analog Input", "65536", "0", "", "4"),
         "Error row 1!! [BACnet in Read] Eng. Unit must be between 0 and 65535"},
        {"unit not a number", false, row("Analog Input", "6x", "0", "", "4"),
         "Error row 1!! [BACnet in Read] Eng. Unit must be between 0 and 65535"},
        {"position 1440", false, row("Analog Input", "1", "1440", "", "4"),
         "Error row 1!! [BACnet in Read] Position must be between 0 and 1439"},
        {"unit 65536 write", true, row("Analog Out", "65536", "0", "", "4"),
         "Error row 1!! [BACnet in Write] Eng. Unit must be between 0 and 65535"},
        {"access door length 2", true, row("Access Door", "0", "0", "", "2"),
         "Error row 1!! [BACnet in Write] Length with variable \"Access Door\" must be equal to 1"},
        {"write integer value checked", true, row("Integer Value", "0", "0", "", ""),
         "Error row 1!! [BACnet in Write] Length with variable \"Integer Value\" must be between 1 and 4"},
        {"write binary out beyond nothing", true, row("Binary Out", "0", "1439", "7", "99"), ""},
        {"write position", true, row("Analog Value", "0", "-1", "", "4"),
         "Error row 1!! [BACnet in Write] Position must be between 0 and 1439"},
        {"write beyond the area", true, row("Large Analog Value", "0", "1435", "", "8"),
         "Error row 1!! [BACnet in Write] Too many bytes to save starting from the Position indicate"},
    };
    for (const Case& c : cases) {
        const Rows one = {c.r};
        EXPECT_EQ(messageFor(c.write ? Rows{} : one, c.write ? one : Rows{}), QString::fromUtf8(c.message)) << c.name;
    }
}

// The EDE export names each object after its Mnemonic and refuses a name that would break its
// line; the window refuses such a name first, and what it accepts the export writes.
TEST(BACnetServerRules, AMnemonicTheEDEExportWouldRefuseIsRefusedFirst) {
    Load_Default_Language();
    const struct {
        const char* name;
        bool write;
        const char* mnemonic;
        const char* message;  // "" passes
    } cases[] = {
        {"plain", false, "Boiler 1 temp.", ""},
        {"Windows-1252 letters", true, "\xe2\x82\xac \xc3\xa9t\xc3\xa9", ""},
        {"a semicolon", false, "Temp;Room",
         "Error row 2!! [BACnet in Read] The Mnemonic cannot stand in the EDE file: it holds \";\", which would split "
         "its line"},
        {"a line break", true, "Temp\r\nRoom",
         "Error row 2!! [BACnet in Write] The Mnemonic cannot stand in the EDE file: it holds a line break, which "
         "would split the file"},
        {"a letter outside the code page", false, "Temp\xce\xa9",
         "Error row 2!! [BACnet in Read] The Mnemonic cannot stand in the EDE file: it holds the character "
         "U+03A9, which the file's code page (Windows-1252) cannot hold"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Row named = c.write ? row("Analog Out", "62", "4", "", "4") : row("Analog Input", "62", "4", "", "4");
        named[cMnemonic] = QString::fromUtf8(c.mnemonic);
        const Rows page = {c.write ? row("Analog Out", "62", "0", "", "4") : row("Analog Input", "62", "0", "", "4"),
                           named};
        const Rows read = c.write ? Rows{} : page, write = c.write ? page : Rows{};
        EXPECT_EQ(messageFor(read, write), QString::fromUtf8(c.message));
        // The export agrees.
        plat::XmlDocument doc;
        accesslist::writeList(schema(), {read, write}, doc);
        QString error;
        const QDateTime when(QDate(2024, 1, 2), QTime(9, 30));
        const bool exported =
            Build_EDE_Bytes(std::nullopt, doc.toBytes(), QStringLiteral("Plant"), when, &error).has_value();
        EXPECT_EQ(exported, !*c.message) << error.toStdString();
    }
}

TEST(BACnetServerRules, UsedRowsOfBothPagesAgainstTheLimit) {
    Load_Default_Language();
    const Rows read(1500, row("Analog Input", "62", "0", "", "4"));
    const Rows write(600, row("Analog Out", "62", "0", "", "4"));
    EXPECT_EQ(messageFor(read, write), QStringLiteral("Error!! Too many Requests. Max requests 2000"));
    EXPECT_EQ(messageFor(read, Rows(500, write[0])), QString());
    EXPECT_EQ(messageFor(Rows(600, read[0]), Rows(401, write[0]), kRowsLongNames),
              QStringLiteral("Error!! Too many Requests. Max requests 1000"));
    // Each validation counts afresh.
    const std::vector<accesslist::SectionRules> r = rules(kRows);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(accesslist::validate(schema(), {Rows(1000, read[0]), Rows(1000, write[0])}, r).kind,
                  accesslist::Problem::None);
}

TEST(BACnetServerRules, LengthPresetOfTheWritePage) {
    const struct {
        const char* type;
        const char* length;  // nullptr: no preset
    } cases[] = {{"Large Analog Value", "8"}, {"Analog Out", "4"}, {"Multi State Value", "4"},
                 {"Binary Value", "1"},       {"CharacterString Value", "1"}, {"Octet String", "1"},
                 {"Analog Input", nullptr},   {"", nullptr}};
    for (const auto& c : cases) {
        const std::optional<QString> l = writeLengthPreset(QString::fromLatin1(c.type));
        if (c.length) {
            ASSERT_TRUE(l) << c.type;
            EXPECT_EQ(*l, QString::fromLatin1(c.length)) << c.type;
        } else {
            EXPECT_FALSE(l) << c.type;
        }
    }
    EXPECT_EQ(readTypes().size(), 15);
    EXPECT_EQ(writeTypes().size(), 12);
}

TEST(BACnetServerRules, LongNamesFromTheParameterFile) {
    const struct {
        const char* xml;
        bool longNames;
    } cases[] = {{"<ParGen><BACnet_Desc_Chars_Limit>1</BACnet_Desc_Chars_Limit></ParGen>", true},
                 {"<ParGen><BACnet_Desc_Chars_Limit>0</BACnet_Desc_Chars_Limit></ParGen>", false},
                 {"<ParGen><BACnet_Desc_Chars_Limit> 1</BACnet_Desc_Chars_Limit></ParGen>", false},
                 {"<ParGen/>", false},
                 {"<ParGen><BACnet_Desc_Chars_Limit>1</ParGen>", false}};
    for (const auto& c : cases) EXPECT_EQ(longNames(QByteArray(c.xml)), c.longNames) << c.xml;
}

}  // namespace
