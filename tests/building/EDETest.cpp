// The EDE export of the BACnet server objects: the files it writes read back by an independent CSV
// reader, the instance numbering per object type, the device settings, and the texts it refuses
// rather than writing a file whose fields a reader would split wrongly.
#include "building/UBACnet_EDE_File.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/EDEReader.h"
#include "tests/building/ListWindowFixture.h"

#include <gtest/gtest.h>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

struct Obj {
    const char* type;
    const char* name;
    const char* unit;
};

QByteArray rows(std::initializer_list<Obj> objects) {
    QByteArray b;
    for (const Obj& o : objects)
        b += QByteArray("<row Data_Type=\"") + o.type + "\" Eng_Unit=\"" + o.unit +
             "\" Position=\"0\" Bit=\"\" Length=\"4\" Swap=\"N\" Mnemonic=\"" + o.name + "\"/>";
    return b;
}

class EDEExport : public building_tests::ListWindow {
protected:
    void SetUp() override {
        ListWindow::SetUp();
        g_ProjectName = QStringLiteral("Plant7");
        g_EDELocalTime = [] { return QDateTime(QDate(2024, 2, 3), QTime(9, 5, 0)); };
        out = app.file(QStringLiteral("export.csv"));
    }
    void TearDown() override {
        g_EDELocalTime = nullptr;
        g_ProjectName.clear();
        ListWindow::TearDown();
    }
    static void parGen(const char* body) { writeAll(g_ParGenFile, QByteArray("<ParGen>") + body + "</ParGen>"); }
    static void objects(std::initializer_list<Obj> read, std::initializer_list<Obj> write) {
        writeAll(g_BACnetSlaveSetAccessFile, "<BACnet_to_Modbus><BACnet_in_Read>" + rows(read) +
                                                 "</BACnet_in_Read><BACnet_in_Write>" + rows(write) +
                                                 "</BACnet_in_Write></BACnet_to_Modbus>");
    }
    // The object lines of the export, each its fields as the CSV reader sees them.
    std::vector<QStringList> exported() {
        EXPECT_TRUE(Create_EDE_File(out)) << rec.texts().join(u'\n').toStdString();
        std::vector<QStringList> records = building_tests::readEde(readAll(out));
        EXPECT_GE(records.size(), 7u);
        if (records.size() >= 7) records.erase(records.begin(), records.begin() + 7);
        return records;
    }
    static QStringList fields(const char* line) { return QString::fromLatin1(line).split(u';'); }

    QString out;
};

TEST_F(EDEExport, ObjectLinesAfterTheHeader) {
    parGen("<BACnet_Type>0</BACnet_Type><BACnet_DEV_IDE>1234</BACnet_DEV_IDE><BACnet_Ser_DEV_IDE>77</BACnet_Ser_DEV_IDE>");
    objects({{"Analog Input", "TempRoom1", "62"}, {"Analog Input", "TempRoom2", "62"}},
            {{"Analog Value", "SetPoint", "98"}});
    ASSERT_TRUE(Create_EDE_File(out));
    EXPECT_EQ(readAll(out),
              QByteArray("PROJECT_NAME; Quorim--Plant7;;;;;;\r\n"
                         "VERSION_OF_REFERENCEFILE;1.0;;;;;;\r\n"
                         "TIMESTAMP_OF_LAST_CHANGE;09:05:00 03/02/2024;;;;;;\r\n"
                         "AUTHOR_OF_LAST_CHANGE;Quorim;;;;;;\r\n"
                         "VERSION_OF_LAYOUT;2;;;;;;\r\n"
                         "# mandatory;mandatory;mandatory;mandatory;mandatory;optional;optional;\r\n"
                         "# keyname;device obj.-instance;object-name;object-type;object-instance;description;unit-code;\r\n"
                         "1234_TempRoom1_0;1234;TempRoom1;0;0;TempRoom1;62;\r\n"
                         "1234_TempRoom2_1;1234;TempRoom2;0;1;TempRoom2;62;\r\n"
                         "1234_SetPoint_0;1234;SetPoint;2;0;SetPoint;98;\r\n"));
    const std::vector<QStringList> records = building_tests::readEde(readAll(out));
    ASSERT_EQ(records.size(), 10u);
    EXPECT_EQ(records[0], fields("PROJECT_NAME; Quorim--Plant7;;;;;;"));
    EXPECT_EQ(records[7], fields("1234_TempRoom1_0;1234;TempRoom1;0;0;TempRoom1;62;"));
    EXPECT_EQ(records[8], fields("1234_TempRoom2_1;1234;TempRoom2;0;1;TempRoom2;62;"));
    EXPECT_EQ(records[9], fields("1234_SetPoint_0;1234;SetPoint;2;0;SetPoint;98;"));
    EXPECT_EQ(records[9].size(), 8);
    EXPECT_EQ(rec.texts(), QStringList());
}

TEST_F(EDEExport, DeviceInstanceAndNameLengthFromTheParameterFile) {
    const struct {
        const char* parGen;  // nullptr: no file
        const char* key;
        const char* name;
    } cases[] = {
        {"<BACnet_Type>1</BACnet_Type><BACnet_DEV_IDE>1234</BACnet_DEV_IDE><BACnet_Ser_DEV_IDE>77</BACnet_Ser_DEV_IDE>",
         "77_ABCDEFGHIJKLMNOPQRST_0", "ABCDEFGHIJKLMNOP"},
        {"<BACnet_Type>x</BACnet_Type><BACnet_DEV_IDE>1234</BACnet_DEV_IDE>", "1234_ABCDEFGHIJKLMNOPQRST_0",
         "ABCDEFGHIJKLMNOP"},
        {"<BACnet_DEV_IDE> 9 </BACnet_DEV_IDE><BACnet_Desc_Chars_Limit>1</BACnet_Desc_Chars_Limit>",
         " 9 _ABCDEFGHIJKLMNOPQRST_0", "ABCDEFGHIJKLMNOPQRST"},
        {"<BACnet_Type>1</BACnet_Type><BACnet_DEV_IDE>1234</BACnet_DEV_IDE>", "_ABCDEFGHIJKLMNOPQRST_0",
         "ABCDEFGHIJKLMNOP"},
        {nullptr, "_ABCDEFGHIJKLMNOPQRST_0", "ABCDEFGHIJKLMNOP"},
    };
    for (const auto& c : cases) {
        QFile::remove(g_ParGenFile);
        if (c.parGen) parGen(c.parGen);
        objects({{"Analog Input", "ABCDEFGHIJKLMNOPQRST", "62"}}, {});
        const std::vector<QStringList> records = exported();
        ASSERT_EQ(records.size(), 1u) << c.key;
        EXPECT_EQ(records[0].value(0), QString::fromLatin1(c.key));
        EXPECT_EQ(records[0].value(2), QString::fromLatin1(c.name)) << c.key;
        EXPECT_EQ(records[0].value(5), QString::fromLatin1(c.name)) << c.key;
    }
}

TEST_F(EDEExport, InstanceNumbersRunPerTypeAcrossBothPages) {
    parGen("<BACnet_DEV_IDE>5</BACnet_DEV_IDE>");
    objects({{"Multi State Value", "m0", "95"},
             {"Analog Input", "a0", "62"},
             {" octet string ", "o", "95"},
             {"Multi State Value", "m1", "95"},
             {"Binary Input", "b0", "95"},
             {"Something Else", "x", "95"}},
            {{"Multi State Value", "m2", "95"}, {"Analog Out", "ao0", "95"}, {"binary value", "bv0", "95"}});
    const std::vector<QStringList> records = exported();
    const char* const expected[][2] = {{"19", "0"}, {"0", "0"}, {"0", "1"}, {"19", "1"}, {"3", "0"},
                                       {"0", "2"},  {"19", "2"}, {"1", "0"}, {"5", "0"}};
    ASSERT_EQ(records.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(records[i].value(3), QString::fromLatin1(expected[i][0])) << i;
        EXPECT_EQ(records[i].value(4), QString::fromLatin1(expected[i][1])) << i;
    }
    // A second export numbers from 0 again.
    EXPECT_EQ(exported(), records);
}

TEST_F(EDEExport, TypeNumbersAndCounters) {
    const struct {
        const char* name;
        int type;
    } cases[] = {{"ANALOG INPUT", 0},  {"ANALOG OUT", 1},    {"ANALOG VALUE", 2},       {"BINARY INPUT", 3},
                 {"BINARY OUT", 4},    {"BINARY VALUE", 5},  {"MULTI STATE INPUT", 13}, {"MULTI STATE OUTPUT", 14},
                 {"MULTI STATE VALUE", 19}, {"LIFE SAFETY POINT", 21}, {"LIFE SAFETY ZONE", 22}, {"ACCUMULATOR", 23},
                 {"ACCESS DOOR", 30},  {"CHARACTERSTRING VALUE", 40}, {"DATETIME VALUE", 44}, {"INTEGER VALUE", 45},
                 {"LARGE ANALOG VALUE", 46}, {"POSITIVE INTEGER VALUE", 48}, {"OCTET STRING", 0}, {"Analog Out", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(TBACnet_EDE_Export::Get_EDE_Object_Type(QString::fromLatin1(c.name)), c.type) << c.name;
    TBACnet_EDE_Export e;
    e.Reset_EDE_Instance_Counters();
    EXPECT_EQ(e.Next_EDE_Object_Instance(46), 0);
    EXPECT_EQ(e.Next_EDE_Object_Instance(46), 1);
    EXPECT_EQ(e.Next_EDE_Object_Instance(7), 0);  // no counter
    EXPECT_EQ(e.Next_EDE_Object_Instance(7), 0);
    e.Reset_EDE_Instance_Counters();
    EXPECT_EQ(e.Next_EDE_Object_Instance(46), 0);
    EXPECT_EQ(TBACnet_EDE_Export::Get_EDE_TimeStamp(QDateTime(QDate(987, 12, 31), QTime(23, 59, 7))),
              QStringLiteral("23:59:07 31/12/987"));
}

TEST_F(EDEExport, WithoutObjectsOnlyTheHeader) {
    for (const bool withFile : {false, true}) {
        if (withFile) objects({}, {});
        ASSERT_TRUE(Create_EDE_File(out));
        const std::vector<QStringList> records = building_tests::readEde(readAll(out));
        EXPECT_EQ(records.size(), 7u) << withFile;
        EXPECT_EQ(readAll(out).count("\r\n"), 7) << withFile;
    }
}

TEST_F(EDEExport, TextsThatWouldBreakTheFileAreRefusedAndNothingIsWritten) {
    const struct {
        const char* devIde;
        Obj bad;
        bool write;
        const char* where;  // in the message
    } cases[] = {
        {"1234", {"Analog Input", "Temp;Room", "62"}, false, "row 2 of the section \"BACnet_in_Read\", field \"Mnemonic\""},
        {"1234", {"Analog Out", "Temp&#13;Room", "62"}, true, "row 2 of the section \"BACnet_in_Write\", field \"Mnemonic\""},
        {"1234", {"Analog Out", "Temp", "6&#10;2"}, true, "row 2 of the section \"BACnet_in_Write\", field \"Eng_Unit\""},
        {"1234", {"Analog Input", "Temp\xce\xa9", "62"}, false, "field \"Mnemonic\""},  // Greek omega
        {"12;34", {"Analog Input", "Temp", "62"}, false, "device instance"},
    };
    for (const auto& c : cases) {
        writeAll(out, "previous");
        rec.clear();
        parGen((QByteArray("<BACnet_DEV_IDE>") + c.devIde + "</BACnet_DEV_IDE>").constData());
        if (c.write)
            objects({}, {{"Analog Out", "ok", "1"}, c.bad});
        else
            objects({{"Analog Input", "ok", "1"}, c.bad}, {});
        EXPECT_FALSE(Create_EDE_File(out)) << c.where;
        ASSERT_EQ(rec.errors().size(), 1) << c.where;
        EXPECT_TRUE(rec.errors()[0].contains(QString::fromLatin1(c.where))) << rec.errors()[0].toStdString();
        EXPECT_EQ(readAll(out), QByteArray("previous")) << c.where;
    }
    // A character Windows-1252 holds is written in it.
    rec.clear();
    parGen("<BACnet_DEV_IDE>1234</BACnet_DEV_IDE>");
    objects({{"Analog Input", "\xe2\x82\xac\xc3\xa9", "62"}}, {});
    ASSERT_TRUE(Create_EDE_File(out));
    EXPECT_TRUE(readAll(out).contains("_\x80\xe9_0;1234;\x80\xe9;0;0;\x80\xe9;62;\r\n"));
}

TEST_F(EDEExport, UnreadableFilesStopTheExport) {
    const struct {
        const char* objects;
        const char* parGen;
        const char* message;
    } cases[] = {
        {"<BACnet_to_Modbus><BACnet_in_Read/></BACnet_to_Modbus>", "<ParGen/>", "\"BACnet_in_Write\" is missing"},
        {"<BACnet_to_Modbus><BACnet_in_Read><row Data_Type=\"Analog Input\" Mnemonic=\"a\"/></BACnet_in_Read>"
         "<BACnet_in_Write/></BACnet_to_Modbus>",
         "<ParGen/>", "row 1 of the section \"BACnet_in_Read\" has no \"Eng_Unit\""},
        {"<BACnet_to_Modbus><BACnet_in_Read>", "<ParGen/>", "BACnet_Slave_SetAccess.xml"},
        {"<BACnet_to_Modbus><BACnet_in_Read/><BACnet_in_Write/></BACnet_to_Modbus>", "<ParGen>", "ParGen.xml"},
    };
    for (const auto& c : cases) {
        writeAll(out, "previous");
        rec.clear();
        writeAll(g_BACnetSlaveSetAccessFile, c.objects);
        writeAll(g_ParGenFile, c.parGen);
        EXPECT_FALSE(Create_EDE_File(out)) << c.message;
        ASSERT_EQ(rec.errors().size(), 1) << c.message;
        EXPECT_TRUE(rec.errors()[0].contains(QString::fromLatin1(c.message))) << rec.errors()[0].toStdString();
        EXPECT_EQ(readAll(out), QByteArray("previous")) << c.message;
    }
}

}  // namespace
