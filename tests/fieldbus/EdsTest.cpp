// The CANopen EDS writer: the empty project against a golden file, the PDO and manufacturer
// objects section by section, the stamps, a rich project read by an INI parser and the EDS rules
// (EdsCheck.h), and the files it refuses, each leaving an existing output file as it was.
#include "fieldbus/UEds.h"
#include "platform/Clock.h"
#include "shell/UComon.h"
#include "tests/fieldbus/EdsCheck.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <ostream>

// Readable failures: a QString prints as its text.
static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

QString fixture(const char* name) { return QStringLiteral(FIELDBUS_FIXTURES "/") + QString::fromLatin1(name); }

// "COB-ID|Dimension" as a row of the PDO list, with the columns the writer does not read.
QString pdoRow(const QString& cobDim, const char* timing) {
    const QStringList p = cobDim.split(u'|');
    return QStringLiteral("COB-ID=\"%1\" Dimension=\"%2\" Address_B1=\"0\" Address_B2=\"\" Address_B3=\"\" "
                          "Address_B4=\"\" Address_B5=\"\" Address_B6=\"\" Address_B7=\"\" Address_B8=\"\" %3 "
                          "Mnemonic=\"\"")
        .arg(p.value(0), p.value(1), QString::fromLatin1(timing));
}

// A "PDO_CANopen.xml"; each row is either "COB-ID|Dimension" or, starting with "@", the row's
// attributes as they stand.
QByteArray pdoFile(const QStringList& receive, const QStringList& transmit) {
    QString f = QStringLiteral("<PDO_CANopen><Receive_PDO>");
    for (const QString& r : receive)
        f += QStringLiteral("<row ") + (r.startsWith(u'@') ? r.mid(1) : pdoRow(r, "TimeOut=\"0\"")) + QStringLiteral("/>");
    f += QStringLiteral("</Receive_PDO><Transmit_PDO>");
    for (const QString& r : transmit)
        f += QStringLiteral("<row ") + (r.startsWith(u'@') ? r.mid(1) : pdoRow(r, "Send_Time=\"0\" On_Change=\"N\"")) +
             QStringLiteral("/>");
    f += QStringLiteral("</Transmit_PDO></PDO_CANopen><!--SW_VERSION = 1.000-->");
    return f.toUtf8();
}

// A "SDO_Server_CANopen.xml"; rows "Index|SubIndex|NByte" or "@" and the attributes.
QByteArray sdoFile(const QStringList& read, const QStringList& write) {
    QString f = QStringLiteral("<SDO_Server_CANopen>");
    for (const auto& [section, rows] : {std::pair{"SDO_Read", read}, std::pair{"SDO_Write", write}}) {
        f += QStringLiteral("<%1>").arg(QString::fromLatin1(section));
        for (const QString& r : rows) {
            const QStringList p = r.split(u'|');
            f += QStringLiteral("<row ") +
                 (r.startsWith(u'@') ? r.mid(1)
                                     : QStringLiteral("Index=\"%1\" SubIndex=\"%2\" NByte=\"%3\" Address_B1=\"0\" "
                                                      "Address_B2=\"1\" Address_B3=\"2\" Address_B4=\"3\" Mnemonic=\"\"")
                                           .arg(p.value(0), p.value(1), p.value(2))) +
                 QStringLiteral("/>");
        }
        f += QStringLiteral("</%1>").arg(QString::fromLatin1(section));
    }
    f += QStringLiteral("</SDO_Server_CANopen><!--SW_VERSION = 1.000-->");
    return f.toUtf8();
}

// The file's sections in order, each with its non-empty lines.
struct Section {
    QString name;
    QStringList lines;
};
std::vector<Section> sectionsOf(const QByteArray& bytes) {
    std::vector<Section> out;
    for (const QString& line : QString::fromLatin1(bytes).split(QStringLiteral("\r\n"))) {
        if (line.startsWith(u'['))
            out.push_back({line, {}});
        else if (!line.isEmpty() && !out.empty())
            out.back().lines << line;
    }
    return out;
}
QStringList linesOf(const QByteArray& bytes, const QString& section) {
    for (const Section& s : sectionsOf(bytes))
        if (s.name == section) return s.lines;
    return {QStringLiteral("(no section %1)").arg(section)};
}
// The names of the sections from `first` on, `count` of them.
QStringList namesFrom(const QByteArray& bytes, const QString& first, int count) {
    QStringList names;
    for (const Section& s : sectionsOf(bytes)) {
        if (names.isEmpty() && s.name != first) continue;
        if (names.size() == count) break;
        names << s.name;
    }
    return names;
}

QString joined(const QStringList& l) { return l.join(u'\n'); }

class Eds : public ::testing::Test {
protected:
    void SetUp() override {
        g_ProjectPath = app.file(QStringLiteral("PROJECTS/Plant"));
        ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
        Set_Files();
        out = g_ProjectPath + QStringLiteral("/gateway.eds");
        plat::setLocalNowSource([] { return QDateTime(QDate(2024, 1, 2), QTime(15, 7, 41)); });
    }
    void TearDown() override {
        plat::setLocalNowSource({});
        g_ProjectPath.clear();
        Set_Files();
    }

    // Writes the project files (nothing for an empty optional), runs the writer and returns what it wrote.
    QByteArray build(const std::optional<QByteArray>& pdo, const std::optional<QByteArray>& sdo) {
        if (pdo) writeAll(g_PDOCANopenFile, *pdo);
        if (sdo) writeAll(g_SDOServerCANopenFile, *sdo);
        EXPECT_TRUE(Build_EDS(out)) << rec.errors().join(u'|').toStdString();
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        return readAll(out);
    }

    TempAppDir app;
    RecordingDialogs rec;
    QString out;
};

TEST_F(Eds, EmptyProjectIsTheGoldenFile) {
    const QByteArray written = build(std::nullopt, std::nullopt);
    const QByteArray golden = readAll(fixture("eds/empty.eds"));
    ASSERT_FALSE(golden.isEmpty());
    const QList<QByteArray> got = written.split('\n');
    const QList<QByteArray> want = golden.split('\n');
    for (qsizetype i = 0; i < std::min(got.size(), want.size()); ++i)
        ASSERT_EQ(got[i].toStdString(), want[i].toStdString()) << "line " << i + 1;
    EXPECT_EQ(got.size(), want.size());
    EXPECT_EQ(written, golden);
    EXPECT_TRUE(eds_check::check(written).isEmpty()) << joined(eds_check::check(written)).toStdString();
}

TEST_F(Eds, OneReceivePdoGivesItsThreeObjects) {
    const QByteArray eds = build(pdoFile({"0x201|2"}, {}), std::nullopt);
    EXPECT_TRUE(linesOf(eds, "[DeviceInfo]").contains(QStringLiteral("NrOfRXPDO=1")));
    EXPECT_EQ(joined(linesOf(eds, "[OptionalObjects]").mid(9)), "9=0x1400\n10=0x1600\n11=0x7000");
    EXPECT_EQ(linesOf(eds, "[OptionalObjects]").value(0), "SupportedObjects=11");
    EXPECT_EQ(joined(linesOf(eds, "[1400]")),
              "SubNumber=4\nParameterName=Receive PDO Communication Parameter 1\nObjectType=0x09");
    EXPECT_EQ(joined(linesOf(eds, "[1400sub1]")),
              "ParameterName=COB-ID\nObjectType=0x07\nDataType=0x0007\nAccessType=rw\nDefaultValue=0x00000201\n"
              "PDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[1400sub2]")),
              "ParameterName=Transmission Type\nObjectType=0x07\nDataType=0x0005\nAccessType=rw\nDefaultValue=0xFE\n"
              "PDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[1600]")), "SubNumber=3\nParameterName=Receive PDO Mapping Parameter\nObjectType=0x09");
    EXPECT_EQ(linesOf(eds, "[1600sub0]").value(4), "DefaultValue=0x02");
    EXPECT_EQ(joined(linesOf(eds, "[1600sub2]")),
              "ParameterName=Mapping Entry 2\nObjectType=0x07\nDataType=0x0007\nAccessType=ro\n"
              "DefaultValue=0x70000208\nPDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[7000]")), "SubNumber=3\nParameterName=RPDO1\nObjectType=0x08");
    EXPECT_EQ(linesOf(eds, "[7000sub0]").value(3), "AccessType=ro");
    EXPECT_EQ(joined(linesOf(eds, "[7000sub1]")),
              "ParameterName=b1\nObjectType=0x07\nDataType=0x0005\nAccessType=rww\nDefaultValue=0x00\nPDOMapping=1");
    EXPECT_EQ(namesFrom(eds, "[1280sub3]", 16),
              QStringList({"[1280sub3]", "[1400]", "[1400sub0]", "[1400sub1]", "[1400sub2]", "[1400sub3]", "[1600]",
                           "[1600sub0]", "[1600sub1]", "[1600sub2]", "[7000]", "[7000sub0]", "[7000sub1]",
                           "[7000sub2]"}));
    // The fixed objects end without an empty line: the first PDO follows at once.
    EXPECT_TRUE(eds.contains("Node ID of the SDO Server\r\nObjectType=0x07\r\nDataType=0x0005\r\nAccessType=rw\r\n"
                             "PDOMapping=0\r\n[1400]\r\n"));
    EXPECT_TRUE(eds.endsWith("[7000sub2]\r\nParameterName=b2\r\nObjectType=0x07\r\nDataType=0x0005\r\n"
                             "AccessType=rww\r\nDefaultValue=0x00\r\nPDOMapping=1\r\n\r\n\r\n"));
    EXPECT_TRUE(eds_check::check(eds).isEmpty()) << joined(eds_check::check(eds)).toStdString();
}

TEST_F(Eds, ObjectListOrderAndTransmitPdos) {
    const QByteArray two = build(pdoFile({"0x181|1", "0x182|1"}, {"0x281|1"}), std::nullopt);
    EXPECT_EQ(joined(linesOf(two, "[OptionalObjects]").mid(9)),
              "9=0x1400\n10=0x1401\n11=0x1600\n12=0x1601\n13=0x1800\n14=0x1A00\n15=0x7000\n16=0x7001\n17=0x7050");
    EXPECT_EQ(linesOf(two, "[OptionalObjects]").value(0), "SupportedObjects=17");

    // A COB-ID that is not a number is written as 0, a Dimension that is not a number counts as 8.
    const QByteArray eds = build(pdoFile({}, {"abc|x", "0x2A1|1"}), std::nullopt);
    EXPECT_TRUE(linesOf(eds, "[DeviceInfo]").contains(QStringLiteral("NrOfTXPDO=2")));
    EXPECT_EQ(linesOf(eds, "[1800sub1]").value(4), "DefaultValue=0x00000000");
    EXPECT_EQ(linesOf(eds, "[1A00]").value(0), "SubNumber=9");
    EXPECT_EQ(linesOf(eds, "[1A00sub8]").value(4), "DefaultValue=0x70500808");
    EXPECT_EQ(joined(linesOf(eds, "[1801]")),
              "SubNumber=4\nParameterName=Transmit PDO Communication Parameter 2\nObjectType=0x09");
    EXPECT_EQ(linesOf(eds, "[1801sub1]").value(4), "DefaultValue=0x000002A1");
    EXPECT_EQ(joined(linesOf(eds, "[1A01]")),
              "SubNumber=2\nParameterName=Transmit PDO Mapping Parameter 2\nObjectType=0x09");
    EXPECT_EQ(linesOf(eds, "[1A01sub1]").value(4), "DefaultValue=0x70510108");
    EXPECT_EQ(joined(linesOf(eds, "[7051]")), "SubNumber=2\nParameterName=TPDO2\nObjectType=0x08");
    EXPECT_EQ(joined(linesOf(eds, "[7051sub0]")),
              "ParameterName=Number of Entries\nObjectType=0x07\nDataType=0x0005\nAccessType=rw\nDefaultValue=0x01\n"
              "PDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[7051sub1]")),
              "ParameterName=m1\nObjectType=0x07\nDataType=0x0005\nAccessType=rwr\nDefaultValue=0x00\nPDOMapping=1");
    EXPECT_TRUE(eds_check::check(eds).isEmpty()) << joined(eds_check::check(eds)).toStdString();
}

TEST_F(Eds, TheListsOwnFileIsReadAsTheListShowsIt) {
    writeAll(g_PDOCANopenFile, readAll(fixture("PDO_CANopen.xml")));
    const QByteArray eds = build(std::nullopt, std::nullopt);
    EXPECT_EQ(linesOf(eds, "[1400sub1]").value(4), "DefaultValue=0x00000181");
    EXPECT_EQ(linesOf(eds, "[1401sub1]").value(4), "DefaultValue=0x00000182");  // " $182"
    EXPECT_EQ(linesOf(eds, "[1800sub1]").value(4), "DefaultValue=0x00000201");  // 513
    EXPECT_EQ(linesOf(eds, "[1601]").value(0), "SubNumber=9");
    EXPECT_EQ(linesOf(eds, "[1A01]").value(0), "SubNumber=5");
    EXPECT_TRUE(eds_check::check(eds).isEmpty()) << joined(eds_check::check(eds)).toStdString();
}

TEST_F(Eds, ManufacturerObjectsFromTheSdoServerList) {
    const QByteArray eds = build(std::nullopt, sdoFile({"0x2000|3|2", "0x2001|0|1", "$2001|10|2"},
                                                       {"0x2000|1|4", "8194|6|258", "0x2002|5|3"}));
    EXPECT_EQ(joined(linesOf(eds, "[ManufacturerObjects]")), "SupportedObjects=3\n1=0x2000\n2=0x2001\n3=0x2002");
    EXPECT_EQ(namesFrom(eds, "[2000]", 11),
              QStringList({"[2000]", "[2000sub0]", "[2000sub1]", "[2000sub3]", "[2001]", "[2001sub0]", "[2001subA]",
                           "[2002]", "[2002sub0]", "[2002sub5]", "[2002sub6]"}));
    EXPECT_EQ(joined(linesOf(eds, "[2000]")), "SubNumber=3\nParameterName=App Vars\nObjectType=0x9");
    EXPECT_EQ(joined(linesOf(eds, "[2000sub0]")),
              "ParameterName=Largest Sub-Index supported\nObjectType=0x7\nDataType=0x0005\nAccessType=ro\n"
              "DefaultValue=0x03\nPDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[2000sub1]")),
              "ParameterName=Application Variable\nObjectType=0x7\nDataType=0x0007\nLowLimit=0x00000000\n"
              "HighLimit=0xFFFFFFFF\nDefaultValue=0x00000000\nAccessType=rw\nPDOMapping=0");
    EXPECT_EQ(joined(linesOf(eds, "[2000sub3]")),
              "ParameterName=Application Variable\nObjectType=0x7\nDataType=0x0006\nLowLimit=0x0000\n"
              "HighLimit=0xFFFF\nDefaultValue=0x0000\nAccessType=ro\nPDOMapping=0");
    // The user's own sub-index 0 is the record's count entry: nothing is generated in its place.
    EXPECT_EQ(linesOf(eds, "[2001]").value(0), "SubNumber=2");
    EXPECT_EQ(joined(linesOf(eds, "[2001sub0]")),
              "ParameterName=Application Variable\nObjectType=0x7\nDataType=0x0005\nLowLimit=0x00\nHighLimit=0xFF\n"
              "DefaultValue=0x00\nAccessType=ro\nPDOMapping=0");
    EXPECT_EQ(linesOf(eds, "[2002sub0]").value(4), "DefaultValue=0x06");
    // N Byte 3 and 258 are neither 1 nor 2: four bytes (258 is not cut to 2).
    EXPECT_EQ(linesOf(eds, "[2002sub5]").value(2), "DataType=0x0007");
    EXPECT_EQ(linesOf(eds, "[2002sub6]").value(2), "DataType=0x0007");
    EXPECT_TRUE(eds.endsWith("AccessType=rw\r\nPDOMapping=0\r\n\r\n\r\n"));
    EXPECT_TRUE(eds_check::check(eds).isEmpty()) << joined(eds_check::check(eds)).toStdString();
}

TEST(EdsTexts, TimeAndDate) {
    const struct {
        int h, m;
        const char* text;
    } times[] = {{15, 7, "03:07PM"}, {9, 30, "09:30AM"}, {0, 5, "00:05AM"},   {12, 0, "12:00PM"},
                 {12, 30, "12:30PM"}, {23, 59, "11:59PM"}, {13, 0, "01:00PM"}, {11, 59, "11:59AM"}};
    for (const auto& t : times) EXPECT_EQ(eds::timeText(QTime(t.h, t.m)), QString::fromLatin1(t.text)) << t.h << ":" << t.m;
    EXPECT_EQ(eds::dateText(QDate(2024, 1, 2)), "01-02-2024");
    EXPECT_EQ(eds::dateText(QDate(2031, 12, 25)), "12-25-2031");
}

TEST_F(Eds, TheMomentIsTakenOnceForBothStamps) {
    int calls = 0;
    plat::setLocalNowSource([&calls] {
        ++calls;
        return QDateTime(QDate(2025, 7, 4), QTime(12, calls == 1 ? 30 : 31));
    });
    const QStringList info = linesOf(build(std::nullopt, std::nullopt), "[FileInfo]");
    EXPECT_EQ(calls, 1);
    EXPECT_TRUE(info.contains(QStringLiteral("CreationTime=12:30PM")));
    EXPECT_TRUE(info.contains(QStringLiteral("ModificationTime=12:30PM")));
    EXPECT_TRUE(info.contains(QStringLiteral("CreationDate=07-04-2025")));
    EXPECT_TRUE(info.contains(QStringLiteral("ModificationDate=07-04-2025")));
}

// 31 receive and 30 transmit PDOs of every length, 1,000 SDO rows over 40 objects in mixed order,
// every other object starting at sub-index 0.
TEST_F(Eds, RichProjectPassesTheParserAndTheRules) {
    QStringList rx, tx;
    for (int n = 0; n < 30; ++n) rx << QStringLiteral("0x%1|%2").arg(0x200 + n, 0, 16).arg(n % 8 + 1);
    rx << QStringLiteral("0x300|12");  // beyond the 30 a PDO list holds: not read, so not refused
    for (int n = 0; n < 30; ++n) tx << QStringLiteral("%1|%2").arg(0x180 + n).arg(8 - n % 8);
    QStringList read, write;
    for (int s = 0; s < 25; ++s)
        for (int k = 0; k < 40; ++k) {
            const int sub = k % 2 ? 24 - s : s + 1;  // odd objects 0..24 backwards, even ones 1..25
            (((s + k) % 2) ? write : read) << QStringLiteral("0x%1|%2|%3").arg(0x2000 + 0x10 * k, 0, 16).arg(sub).arg(
                                                 (s + k) % 3 == 0 ? 1 : (s + k) % 3 == 1 ? 2 : 4);
        }
    ASSERT_EQ(read.size() + write.size(), 1000);
    const QByteArray eds = build(pdoFile(rx, tx), sdoFile(read, write));
    const QStringList problems = eds_check::check(eds);
    EXPECT_TRUE(problems.isEmpty()) << joined(problems).toStdString();
    EXPECT_TRUE(linesOf(eds, "[DeviceInfo]").contains(QStringLiteral("NrOfRXPDO=30")));
    EXPECT_TRUE(linesOf(eds, "[DeviceInfo]").contains(QStringLiteral("NrOfTXPDO=30")));
    EXPECT_EQ(linesOf(eds, "[OptionalObjects]").value(0), "SupportedObjects=188");
    EXPECT_EQ(linesOf(eds, "[ManufacturerObjects]").value(0), "SupportedObjects=40");
    EXPECT_EQ(linesOf(eds, "[2010]").value(0), "SubNumber=25");  // starts at 0
    EXPECT_EQ(linesOf(eds, "[2000]").value(0), "SubNumber=26");  // 1..25 and the generated 0
    EXPECT_EQ(linesOf(eds, "[701Dsub1]").value(0), "ParameterName=av1");
    EXPECT_EQ(linesOf(eds, "[706Dsub1]").value(0), "ParameterName=cv1");

    // The checker is no rubber stamp: a section given twice and a wrong SubNumber are found.
    const qsizetype at = eds.indexOf("[1001]\r\n");
    const QByteArray twice = eds + eds.mid(at, eds.indexOf("[1005]") - at);
    EXPECT_TRUE(eds_check::check(twice).join(u'|').contains(QStringLiteral("[1001] appears more than once")));
    QByteArray wrong = eds;
    wrong.replace("[7000]\r\nSubNumber=2\r\n", "[7000]\r\nSubNumber=3\r\n");
    ASSERT_NE(wrong, eds);
    EXPECT_TRUE(eds_check::check(wrong).join(u'|').contains(QStringLiteral("[7000]: SubNumber=3 but 2")));
}

TEST_F(Eds, RefusedFilesLeaveTheOutputAsItWas) {
    const QByteArray listFile = readAll(fixture("SDO_Server_CANopen.xml"));  // 0x2000 sub 1 on both pages
    const struct {
        const char* name;
        std::optional<QByteArray> pdo, sdo;
        QStringList message;  // parts the error box must name
    } cases[] = {
        {"the same index and sub-index twice", std::nullopt, listFile,
         {"\"SDO_Server_CANopen.xml\"", "section \"SDO_Write\", row 1", "index 0x2000, sub-index 0x01",
          "section \"SDO_Read\", row 1"}},
        {"Dimension 9", pdoFile({"0x201|9"}, {}), std::nullopt,
         {"\"PDO_CANopen.xml\"", "section \"Receive_PDO\", row 1", "Dimension \"9\""}},
        {"Dimension 0 on a transmit row", pdoFile({}, {"0x181|1", "0x182|0"}), std::nullopt,
         {"section \"Transmit_PDO\", row 2", "Dimension \"0\""}},
        {"SubIndex 256", std::nullopt, sdoFile({"0x2000|1|1", "0x2000|256|1"}, {}),
         {"section \"SDO_Read\", row 2", "SubIndex \"256\"", "0x2000"}},
        {"Index beyond 16 bits", std::nullopt, sdoFile({}, {"0x12000|1|1"}),
         {"section \"SDO_Write\", row 1", "Index \"0x12000\""}},
        {"a PDO row without COB-ID", pdoFile({"@Dimension=\"2\""}, {}), std::nullopt,
         {"section \"Receive_PDO\", row 1", "attribute \"COB-ID\" is missing"}},
        {"a PDO row without Dimension", pdoFile({}, {"@COB-ID=\"0x181\""}), std::nullopt,
         {"section \"Transmit_PDO\", row 1", "attribute \"Dimension\" is missing"}},
        {"an SDO row without NByte", std::nullopt, sdoFile({"@Index=\"0x2000\" SubIndex=\"1\""}, {}),
         {"\"SDO_Server_CANopen.xml\"", "attribute \"NByte\" is missing"}},
        {"an SDO Index that is not a number", std::nullopt, sdoFile({"0x2000|1|1"}, {"abc|1|1"}),
         {"section \"SDO_Write\", row 1", "attribute \"Index\" is not a number (\"abc\")"}},
        {"an SDO SubIndex with a trailing blank", std::nullopt, sdoFile({"0x2000|1 |1"}, {}),
         {"attribute \"SubIndex\" is not a number (\"1 \")"}},
        {"a PDO file without its transmit section",
         QByteArray("<PDO_CANopen><Receive_PDO/></PDO_CANopen>"), std::nullopt,
         {"\"PDO_CANopen.xml\"", "the section \"Transmit_PDO\" is missing"}},
        {"an SDO file without its read section", std::nullopt,
         QByteArray("<SDO_Server_CANopen><SDO_Write/></SDO_Server_CANopen>"),
         {"\"SDO_Server_CANopen.xml\"", "the section \"SDO_Read\" is missing"}},
        {"a PDO file that is not well-formed", QByteArray("<PDO_CANopen><Receive_PDO>"), std::nullopt,
         {"\"PDO_CANopen.xml\""}},
        {"an SDO object the EDS defines itself", std::nullopt, sdoFile({"0x1018|7|4"}, {}), {"0x1018"}},
        {"an SDO object of a PDO", pdoFile({"0x201|1"}, {}), sdoFile({}, {"0x7000|3|1"}), {"0x7000"}},
    };
    const QByteArray before = "an older sheet\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(g_PDOCANopenFile);
        QFile::remove(g_SDOServerCANopenFile);
        if (c.pdo) writeAll(g_PDOCANopenFile, *c.pdo);
        if (c.sdo) writeAll(g_SDOServerCANopenFile, *c.sdo);
        writeAll(out, before);
        rec.clear();
        EXPECT_FALSE(Build_EDS(out));
        ASSERT_EQ(rec.errors().size(), 1) << rec.texts().join(u'|').toStdString();
        EXPECT_EQ(rec.shown.size(), 1u);
        for (const QString& part : c.message)
            EXPECT_TRUE(rec.errors()[0].contains(part)) << rec.errors()[0].toStdString() << " lacks " << part.toStdString();
        EXPECT_EQ(readAll(out), before);
        EXPECT_EQ(QDir(g_ProjectPath).entryList({QStringLiteral("*.eds*")}, QDir::Files), QStringList{"gateway.eds"});
    }
}

TEST_F(Eds, AnSdoObjectBesideThePdosIsKept) {
    // 0x1401 and 0x7001 belong to a second receive PDO, which this project does not have.
    const QByteArray eds = build(pdoFile({"0x201|1"}, {}), sdoFile({"0x1401|1|1"}, {"0x7001|0|2"}));
    EXPECT_EQ(joined(linesOf(eds, "[ManufacturerObjects]")), "SupportedObjects=2\n1=0x1401\n2=0x7001");
    EXPECT_EQ(linesOf(eds, "[7001sub0]").value(2), "DataType=0x0006");
}

TEST_F(Eds, AFileThatCannotBeWrittenIsReported) {
    const QString nowhere = g_ProjectPath + QStringLiteral("/missing/gateway.eds");
    EXPECT_FALSE(Build_EDS(nowhere));
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(nowhere)) << rec.errors()[0].toStdString();
    EXPECT_FALSE(QFileInfo::exists(nowhere));
}

TEST(EdsTables, FindAndSortKeepTheOrderOfEqualEntries) {
    std::vector<SDO_Index> list = {{0x2001, {{5, 1, true, {}}, {2, 2, true, {}}, {5, 4, false, {}}, {0, 1, false, {}}}},
                                   {0x2000, {{1, 1, true, {}}}}};
    EXPECT_EQ(Find_SDO_Index(list, 0x2000), 1);
    EXPECT_EQ(Find_SDO_Index(list, 0x2001), 0);
    EXPECT_EQ(Find_SDO_Index(list, 0x2002), -1);
    Sort_SDO_Sub_Indexs(list);
    EXPECT_EQ(list[0].Index, 0x2001);  // the objects keep their order
    std::vector<std::pair<int, int>> subs;
    for (const SDO_Sub_Type& s : list[0].Sub_Indexs) subs.emplace_back(s.Sub, s.Quantity);
    EXPECT_EQ(subs, (std::vector<std::pair<int, int>>{{0, 1}, {2, 2}, {5, 1}, {5, 4}}));
}

}  // namespace
