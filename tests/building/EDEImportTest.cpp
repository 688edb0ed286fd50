// The reading of a BACnet device's EDE file: the header rule of both layouts, the columns of a
// line, the object types kept, the encodings and line ends, and the round trip through the
// gateway's own EDE export.
#include "building/BACnetEDEList.h"
#include "building/UBACnet_EDE_File.h"
#include "platform/Files.h"
#include "tests/building/BuildingTestSupport.h"

#include <gtest/gtest.h>

namespace {

// Six lines of a header whose "# mandatory" line is line 7, as engineering tools write it.
const char* const kToolHeader =
    "# Engineering data of the device\n"
    "PROJECT_NAME;Plant\n"
    "VERSION_OF_REFERENCEFILE;1\n"
    "TIMESTAMP_OF_LAST_CHANGE;2024-02-03\n"
    "AUTHOR_OF_LAST_CHANGE;tester\n"
    "VERSION_OF_LAYOUT;2.2\n"
    "# mandatory;mandatory;mandatory;mandatory;mandatory;optional;optional\n"
    "# keyname;device obj.-instance;object-name;object-type;object-instance;description\n";

std::vector<TBACnet_Var> read(const QByteArray& text) { return Load_EDE_Bytes(text); }

QStringList names(const std::vector<TBACnet_Var>& list) {
    QStringList l;
    for (const TBACnet_Var& v : list) l << v.object_name;
    return l;
}

TEST(EDEImport, ALineGivesEveryColumnTrimmed) {
    const std::vector<TBACnet_Var> list =
        read(QByteArray(kToolHeader) + "AI1;1200;Room Temp;0;7;Temperature;;;;Y;N;;;;62;;\n");
    ASSERT_EQ(list.size(), 1u);
    const TBACnet_Var& v = list[0];
    EXPECT_EQ(v.keyname, QStringLiteral("AI1"));
    EXPECT_EQ(v.device_obj_instance, 1200);
    EXPECT_EQ(v.object_name, QStringLiteral("Room Temp"));
    EXPECT_EQ(v.object_type, 0);
    EXPECT_EQ(v.object_instance, 7);
    EXPECT_EQ(v.description, QStringLiteral("Temperature"));
    EXPECT_TRUE(v.commandable);
    EXPECT_FALSE(v.support_COV);
    EXPECT_EQ(v.unit_code, QStringLiteral("62"));
    EXPECT_TRUE(v.vendor_specific_address.isEmpty());
    EXPECT_TRUE(v.import);
    EXPECT_TRUE(v.read);
    EXPECT_TRUE(v.write);

    // Blanks around fields, "y" in lower case, the last column keeps its inner ";" and loses one
    // closing ";"; a field that is not a number reads -1.
    const TBACnet_Var w = read(QByteArray(kToolHeader) +
                               "  k ; x ; Pump 2 ;4; 12 ; d ;1;0;100; n ; y ;90;10;st;95; a;b ; \n")
                              .at(0);
    EXPECT_EQ(w.keyname, QStringLiteral("k"));
    EXPECT_EQ(w.device_obj_instance, -1);
    EXPECT_EQ(w.object_name, QStringLiteral("Pump 2"));
    EXPECT_EQ(w.object_instance, 12);
    EXPECT_EQ(w.present_value_default, QStringLiteral("1"));
    EXPECT_EQ(w.max_present_value, QStringLiteral("100"));
    EXPECT_FALSE(w.commandable);
    EXPECT_FALSE(w.write);
    EXPECT_TRUE(w.support_COV);
    EXPECT_EQ(w.hi_limit, QStringLiteral("90"));
    EXPECT_EQ(w.low_limit, QStringLiteral("10"));
    EXPECT_EQ(w.stete_text_reference, QStringLiteral("st"));
    EXPECT_EQ(w.vendor_specific_address, QStringLiteral("a;b"));
}

TEST(EDEImport, OnlyTheTypesTheTablesPoll) {
    QByteArray file = kToolHeader;
    for (int type = -1; type <= 60; ++type)
        file += "k;1;T" + QByteArray::number(type) + ";" + QByteArray::number(type) + ";1;d\n";
    file += "k;1;notype;AI;1;d\n";
    const QStringList expected = {"T0",  "T1",  "T2",  "T3",  "T4",  "T5",  "T13", "T14",
                                  "T19", "T21", "T22", "T23", "T45", "T46", "T48"};
    EXPECT_EQ(names(read(file)), expected);
}

TEST(EDEImport, WhereTheDataBegin) {
    struct Case {
        const char* name;
        QByteArray file;
        QStringList objects;
    } cases[] = {
        {"header on line 7, data from line 9", QByteArray(kToolHeader) + "k;1;A;0;1;d\n\nk;1;B;2;1;d\n", {"A", "B"}},
        // Line 7 is taken as the header even when the line after it is an object.
        {"the line after line 7 is never data", "1\n2\n3\n4\n5\n6\n#mandatory\nk;1;Lost;0;1;d\nk;1;C;0;1;d\n", {"C"}},
        {"two header lines elsewhere: the last counts",
         "# mandatory\nnames\nk;1;Early;0;1;d\n#   mandatory;x\nnames\nk;1;D;0;1;d\n", {"D"}},
        {"no header line", "k;1;A;0;1;d\nk;1;B;0;1;d\n", {}},
        {"three lines", "# mandatory\nnames\nk;1;A;0;1;d", {"A"}},
        {"three lines without a header", "a\nb\nc\n", {}},
        {"a header as the last line", "a\nb\n# mandatory", {}},
        {"empty", "", {}},
        {"CR line ends", "1\r2\r3\r4\r5\r6\r# mandatory\rn\rk;1;E;0;1;d\r", {"E"}},
        {"CR LF line ends", "1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n# mandatory\r\nn\r\nk;1;F;0;1;d\r\n", {"F"}},
        {"a short line reads its missing columns empty", QByteArray(kToolHeader) + "k;1;G;0\n", {"G"}},
        // Away from line 7 a header is a comment line: an object named so is still an object.
        {"a key name beginning with mandatory", "# mandatory\nnames\nmandatory_1;1;M;0;1;d\nk;1;N;0;1;d\n", {"M", "N"}},
        {"line 7 without its #", "1\n2\n3\n4\n5\n6\nmandatory;x\nn\nk;1;H;0;1;d\n", {"H"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(names(read(c.file)), c.objects);
    }
    // The short line's instance is missing: -1.
    EXPECT_EQ(read(QByteArray(kToolHeader) + "k;1;G;0\n").at(0).object_instance, -1);
}

TEST(EDEImport, TextsInWindows1252OrWithAByteOrderMark) {
    const QByteArray line = "k;1;Temp\xb0;0;1;Caf\xe9\n";
    EXPECT_EQ(read(QByteArray(kToolHeader) + line).at(0).object_name, QStringLiteral("Temp\u00b0"));
    const QByteArray utf8 = "\xef\xbb\xbf" + QByteArray(kToolHeader) + "k;1;Temp\xc2\xb0;0;1;Caf\xc3\xa9\n";
    const TBACnet_Var v = read(utf8).at(0);
    EXPECT_EQ(v.object_name, QStringLiteral("Temp\u00b0"));
    EXPECT_EQ(v.description, QStringLiteral("Caf\u00e9"));
}

// What the gateway's own export writes (its header line is line 6, the column names line 7) reads
// back: the kept types with Import and Read, none commandable, so none written.
TEST(EDEImport, TheGatewaysOwnExportReadsBack) {
    const QByteArray objects =
        "<BACnet_to_Modbus><BACnet_in_Read>"
        "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"AI\"/>"
        "<row Data_Type=\"Access Door\" Eng_Unit=\"95\" Position=\"4\" Bit=\"\" Length=\"1\" Swap=\"N\" Mnemonic=\"Door\"/>"
        "<row Data_Type=\"Multi State Value\" Eng_Unit=\"95\" Position=\"5\" Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"MSV\"/>"
        "</BACnet_in_Read><BACnet_in_Write>"
        "<row Data_Type=\"Analog Value\" Eng_Unit=\"95\" Position=\"0\" Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"AV\"/>"
        "<row Data_Type=\"CharacterString Value\" Eng_Unit=\"95\" Position=\"4\" Bit=\"\" Length=\"1\" Swap=\"N\" Mnemonic=\"Txt\"/>"
        "</BACnet_in_Write></BACnet_to_Modbus>";
    QString error;
    const std::optional<QByteArray> file =
        Build_EDE_Bytes(QByteArray("<ParGen><BACnet_DEV_IDE>1200</BACnet_DEV_IDE></ParGen>"), objects,
                        QStringLiteral("Plant"), QDateTime(QDate(2024, 2, 3), QTime(9, 5, 0)), &error);
    ASSERT_TRUE(file) << error.toStdString();
    const std::vector<TBACnet_Var> list = read(*file);
    EXPECT_EQ(names(list), (QStringList{"AI", "MSV", "AV"}));
    const int types[] = {0, 19, 2};
    for (size_t i = 0; i < list.size(); ++i) {
        SCOPED_TRACE(list[i].object_name.toStdString());
        EXPECT_EQ(list[i].object_type, types[i]);
        EXPECT_EQ(list[i].device_obj_instance, 1200);
        EXPECT_TRUE(list[i].import);
        EXPECT_TRUE(list[i].read);
        EXPECT_FALSE(list[i].write);
        EXPECT_FALSE(list[i].commandable);
    }
}

}  // namespace
