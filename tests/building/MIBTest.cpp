// The SNMP MIB writer: the entries read from "SNMP_Trap.xml", the whole text line by line, the
// refusals of names the file cannot hold, and the step with its save dialog and overwrite question.
// Every MIB a test writes is read by smilint too (MIBCheck.h).
#include "building/SNMPMib.h"
#include "building/USNMP_MIB.h"
#include "platform/Files.h"
#include "platform/UserDialogs.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"
#include "tests/building/MIBCheck.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using MIB = building_tests::ListWindow;

// An "SNMP_Trap.xml" with the given read and write rows, each "Enable|Description|Type".
QByteArray trapFile(std::initializer_list<const char*> read, std::initializer_list<const char*> write) {
    QByteArray f = "<SNMP_Trap><SNMP_Trap_Read>";
    const auto rows = [&f](std::initializer_list<const char*> rows) {
        for (const char* r : rows) {
            const QList<QByteArray> p = QByteArray(r).split('|');
            f += "<row Enable=\"" + p.value(0) + "\" Community_Name=\"public\" Description=\"" + p.value(1) +
                 "\" Type=\"" + p.value(2) + "\"/>";
        }
    };
    rows(read);
    f += "</SNMP_Trap_Read><SNMP_Trap_Write>";
    rows(write);
    return f + "</SNMP_Trap_Write></SNMP_Trap><!--SW_VERSION = 1.001-->";
}

// The template's lines before the read entries, and those between and after, for any entries.
QStringList head() {
    return {
        "GATEWAY DEFINITIONS ::= BEGIN",
        "IMPORTS",
        "       MODULE-IDENTITY,OBJECT-TYPE,NOTIFICATION-TYPE,enterprises",
        "         FROM SNMPv2-SMI",
        "         DisplayString, TimeStamp",
        "         FROM SNMPv2-TC;",
        "",
        "identity MODULE-IDENTITY",
        "    LAST-UPDATED \"201701310000Z\"",
        "    ORGANIZATION \"Quorim Automation\"",
        "    CONTACT-INFO",
        "\t \"Industrial Park 7",
        "    00100 Sampletown",
        "    Italy",
        "    email:    quorim.example\"",
        "    DESCRIPTION",
        "\t\"MIB objects for agent module \"",
        "    REVISION     \"201701310000Z\"",
        "    DESCRIPTION",
        "\t\"Corrected notification \"",
        "    REVISION     \"200202060000Z\"",
        "    DESCRIPTION",
        "\t\"First draft\"",
        "    ::= { quorim 2 }",
        "quorim          OBJECT IDENTIFIER ::= { enterprises 32473 }",
        "gateway OBJECT IDENTIFIER::= { quorim 1 }",
        "application OBJECT IDENTIFIER::= { gateway 1 }",
        "data OBJECT IDENTIFIER::= { application 1 }",
        "hellostring OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only  STATUS current  DESCRIPTION \"\" ::= { data 1}",
        "countin  OBJECT-TYPE SYNTAX INTEGER       MAX-ACCESS read-only  STATUS current  DESCRIPTION \"\" ::= { data 2}",
        "countout  OBJECT-TYPE SYNTAX INTEGER       MAX-ACCESS read-write STATUS current  DESCRIPTION \"\" ::= { data 3}",
        "bufferin OBJECT IDENTIFIER::= { data 4 }",
        "bufferinblk1 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.1\" ::= { bufferin 1 }",
        "bufferinblk2 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.2\" ::= { bufferin 2 }",
        "bufferinblk3 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.3\" ::= { bufferin 3 }",
        "bufferinblk4 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.4\" ::= { bufferin 4 }",
        "bufferinblk5 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.5\" ::= { bufferin 5 }",
        "bufferinblk6 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.6\" ::= { bufferin 6 }",
        "bufferinblk7 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.7\" ::= { bufferin 7 }",
        "bufferinblk8 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"data block n.8\" ::= { bufferin 8 }",
        " bufferinval OBJECT IDENTIFIER::= { bufferin 9 }",
    };
}

QStringList middle() {
    QStringList l = {"bufferout OBJECT IDENTIFIER::= { data 5 }"};
    for (int k = 1; k <= 8; ++k)
        l << QStringLiteral("bufferoutblk%1 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-write STATUS current "
                            "DESCRIPTION \"data block n.%1\" ::= { bufferout %1 }")
                 .arg(k);
    l << " bufferoutval OBJECT IDENTIFIER::= { bufferout 9 }";
    return l;
}

QStringList traps() { return {"traps OBJECT IDENTIFIER::= { application 2 }", " trapsval OBJECT IDENTIFIER::= { traps 1 }"}; }

QStringList split(const QByteArray& bytes) {
    QStringList l = QString::fromLatin1(bytes).split(QStringLiteral("\r\n"));
    if (!l.isEmpty() && l.last().isEmpty()) l.removeLast();
    return l;
}

// Runs the step with the dialog answered by `file`, as the main window does.
void runStep(testing_support::RecordingDialogs& rec, const QString& file) {
    rec.files = {file};
    Save_MIB_File();
}

TEST_F(MIB, OneIntegerReadEntryGivesTheWholeTemplateLineByLine) {
    writeAll(g_SNMPTrapFile, trapFile({"Y|temp1|Int"}, {}));
    const QString mib = g_ProjectPath + QStringLiteral("/gateway.mib");
    runStep(rec, mib);
    EXPECT_EQ(rec.errors(), QStringList());
    const QByteArray bytes = readAll(mib);
    QStringList expected = head();
    expected << "temp1 OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-only STATUS current DESCRIPTION \"temp1\" ::= { bufferinval 1 }";
    expected << middle() << traps();
    expected << "trapval1 NOTIFICATION-TYPE OBJECTS { temp1 } STATUS current DESCRIPTION \"temp1\" ::= { trapsval 1 }";
    expected << "END";
    const QStringList got = split(bytes);
    ASSERT_EQ(got.size(), expected.size()) << bytes.toStdString();
    for (int i = 0; i < got.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "line " << i + 1;
    // Every line, the last one too, ends with CR LF, and no LF stands alone.
    EXPECT_TRUE(bytes.endsWith("END\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), expected.size());
    EXPECT_EQ(bytes.count('\n'), expected.size());
    EXPECT_EQ(building_tests::unexpectedSmilint(mib), QStringList());
    EXPECT_EQ(g_MIBReadDescriptions, QStringList{"temp1"});
    EXPECT_EQ(g_MIBReadIsInt, std::vector<bool>{true});
}

TEST_F(MIB, EntriesAreTheEnabledRowsInOrderNamedByDescriptionOrPosition) {
    struct Case {
        const char* name;
        QByteArray file;
        QStringList read, write;
    } cases[] = {
        {"a disabled first read row makes the second entry 1",
         trapFile({"N|first|Int", "Y|second|String"}, {}),
         {"second OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"second\" ::= { bufferinval 1 }"},
         {}},
        {"an empty write description is named by its position",
         trapFile({}, {"y|out1|INT", "Y||Int", "Y||String"}),
         {},
         {"out1 OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-write STATUS current DESCRIPTION \"out1\" ::= { bufferoutval 1 }",
          "bufferoutval2 OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-write STATUS current DESCRIPTION \"\" ::= { bufferoutval 2 }",
          "bufferoutval3 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-write STATUS current DESCRIPTION \"\" ::= { bufferoutval 3 }"}},
        {"without Enable a row is skipped, without Type it is a string",
         "<SNMP_Trap><SNMP_Trap_Read><row Description=\"gone\" Type=\"Int\"/><row Enable=\"Y\"/>"
         "<row Enable=\"Y\" Description=\"kept\"/></SNMP_Trap_Read><SNMP_Trap_Write/></SNMP_Trap>",
         {"bufferinval1 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"\" ::= { bufferinval 1 }",
          "kept OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS current DESCRIPTION \"kept\" ::= { bufferinval 2 }"},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(g_SNMPTrapFile, c.file);
        const QString mib = g_ProjectPath + QStringLiteral("/case.mib");
        QFile::remove(mib);
        rec.clear();
        runStep(rec, mib);
        EXPECT_EQ(rec.errors(), QStringList());
        const QByteArray bytes = readAll(mib);
        const QStringList got = split(bytes);
        const QStringList before = head(), between = middle();
        ASSERT_EQ(got.mid(0, before.size()), before);
        EXPECT_EQ(got.mid(before.size(), c.read.size()), c.read);
        EXPECT_EQ(got.mid(before.size() + c.read.size(), between.size()), between);
        EXPECT_EQ(got.mid(before.size() + c.read.size() + between.size(), c.write.size()), c.write);
        // One notification per read entry, then the end.
        const int notifications = int(got.size()) - (before.size() + c.read.size() + between.size() + c.write.size() + 3);
        EXPECT_EQ(notifications, c.read.size());
        EXPECT_EQ(got.last(), QStringLiteral("END"));
        EXPECT_EQ(building_tests::unexpectedSmilint(mib), QStringList());
    }
}

TEST_F(MIB, WithoutTheObjectFileTheTemplateAlone) {
    const QString mib = g_ProjectPath + QStringLiteral("/empty");
    runStep(rec, mib);  // a name without extension gets ".mib"
    EXPECT_TRUE(rec.errors().isEmpty());
    EXPECT_FALSE(plat::fileExists(mib));
    const QByteArray bytes = readAll(mib + QStringLiteral(".mib"));
    EXPECT_EQ(split(bytes), head() + middle() + traps() + QStringList{"END"});
    EXPECT_EQ(building_tests::unexpectedSmilint(mib + QStringLiteral(".mib")), QStringList());
}

TEST_F(MIB, ThreeHundredEntriesPerListAreAllWritten) {
    QByteArray f = "<SNMP_Trap><SNMP_Trap_Read>";
    for (int i = 0; i < 300; ++i) f += "<row Enable=\"Y\" Type=\"" + QByteArray(i % 2 ? "Int" : "String") + "\"/>";
    f += "</SNMP_Trap_Read><SNMP_Trap_Write>";
    for (int i = 0; i < 300; ++i) f += "<row Enable=\"Y\" Description=\"w" + QByteArray::number(i) + "\" Type=\"Int\"/>";
    writeAll(g_SNMPTrapFile, f + "</SNMP_Trap_Write></SNMP_Trap>");
    const QString mib = g_ProjectPath + QStringLiteral("/big.mib");
    runStep(rec, mib);
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    const QByteArray bytes = readAll(mib);
    const QStringList got = split(bytes);
    EXPECT_EQ(got.filter(QStringLiteral("::= { bufferinval ")).size(), 300);
    EXPECT_EQ(got.filter(QStringLiteral("::= { bufferoutval ")).size(), 300);
    EXPECT_EQ(got.filter(QStringLiteral(" NOTIFICATION-TYPE ")).size(), 300);
    // The flags beyond 256 are each entry's own.
    EXPECT_TRUE(got.contains(QStringLiteral("bufferinval300 OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-only STATUS current "
                                            "DESCRIPTION \"\" ::= { bufferinval 300 }")));
    EXPECT_TRUE(got.contains(QStringLiteral("bufferinval299 OBJECT-TYPE SYNTAX OCTET STRING MAX-ACCESS read-only STATUS "
                                            "current DESCRIPTION \"\" ::= { bufferinval 299 }")));
    EXPECT_TRUE(got.contains(QStringLiteral("w299 OBJECT-TYPE SYNTAX INTEGER MAX-ACCESS read-write STATUS current "
                                            "DESCRIPTION \"w299\" ::= { bufferoutval 300 }")));
    EXPECT_TRUE(got.contains(QStringLiteral("trapval300 NOTIFICATION-TYPE OBJECTS { bufferinval300 } STATUS current "
                                            "DESCRIPTION \"\" ::= { trapsval 300 }")));
    EXPECT_EQ(building_tests::unexpectedSmilint(mib), QStringList());
}

// A MIB with every kind of entry loads in a MIB compiler without an error, and the compiler sees the
// names and object identifiers of the template: each notification under trapsval carries the read
// value of the same position.
TEST_F(MIB, EveryKindOfEntryLoadsInAMibCompilerWithTheTemplatesNamesAndIdentifiers) {
    writeAll(g_SNMPTrapFile, trapFile({"Y|temp1|Int", "Y|label|String", "Y||Int", "N|off|Int", "Y||String"},
                                      {"Y|setp|Int", "Y||String", "Y|text|String"}));
    const QString mib = g_ProjectPath + QStringLiteral("/kinds.mib");
    runStep(rec, mib);
    ASSERT_EQ(rec.errors(), QStringList());
    EXPECT_EQ(building_tests::smilintErrors(mib), QStringList());
    EXPECT_EQ(building_tests::unexpectedSmilint(mib), QStringList());

    QProcess dump;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("SMIPATH"), QStringLiteral(BUILDING_FIXTURES "/mibs"));
    dump.setProcessEnvironment(env);
    dump.start(QStringLiteral("smidump"), {QStringLiteral("-f"), QStringLiteral("identifiers"), mib});
    ASSERT_TRUE(dump.waitForFinished(60000));
    // "name kind oid" of every definition, as the compiler resolved them.
    QStringList got;
    for (const QString& line : QString::fromUtf8(dump.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.simplified().split(u' ');
        if (f.size() == 4 && f[0] == u"GATEWAY") got << f.mid(1).join(u' ');
    }
    const QString base = QStringLiteral("1.3.6.1.4.1.32473");
    QStringList expected = {"quorim node " + base, "gateway node " + base + ".1", "application node " + base + ".1.1",
                            "data node " + base + ".1.1.1", "hellostring scalar " + base + ".1.1.1.1",
                            "countin scalar " + base + ".1.1.1.2", "countout scalar " + base + ".1.1.1.3",
                            "bufferin node " + base + ".1.1.1.4"};
    for (int k = 1; k <= 8; ++k) expected << QStringLiteral("bufferinblk%1 scalar %2.1.1.1.4.%1").arg(k).arg(base);
    expected << "bufferinval node " + base + ".1.1.1.4.9";
    const QStringList readNames = {"temp1", "label", "bufferinval3", "bufferinval4"};
    for (int n = 1; n <= 4; ++n)
        expected << QStringLiteral("%1 scalar %2.1.1.1.4.9.%3").arg(readNames[n - 1], base).arg(n);
    expected << "bufferout node " + base + ".1.1.1.5";
    for (int k = 1; k <= 8; ++k) expected << QStringLiteral("bufferoutblk%1 scalar %2.1.1.1.5.%1").arg(k).arg(base);
    expected << "bufferoutval node " + base + ".1.1.1.5.9";
    const QStringList writeNames = {"setp", "bufferoutval2", "text"};
    for (int n = 1; n <= 3; ++n)
        expected << QStringLiteral("%1 scalar %2.1.1.1.5.9.%3").arg(writeNames[n - 1], base).arg(n);
    expected << "traps node " + base + ".1.1.2" << "trapsval node " + base + ".1.1.2.1";
    for (int n = 1; n <= 4; ++n) expected << QStringLiteral("trapval%1 notification %2.1.1.2.1.%1").arg(n).arg(base);
    expected << "identity node " + base + ".2";
    EXPECT_EQ(got, expected);

    // Each notification names the read value of its position, which gives the type.
    const QStringList lines = split(readAll(mib));
    for (int n = 1; n <= 4; ++n)
        EXPECT_TRUE(lines.contains(
            QStringLiteral("trapval%1 NOTIFICATION-TYPE OBJECTS { %2 } STATUS current DESCRIPTION \"%3\" "
                           "::= { trapsval %1 }")
                .arg(n)
                .arg(readNames[n - 1], n <= 2 ? readNames[n - 1] : QString())))
            << n;
}

TEST_F(MIB, NamesTheFileCannotHoldAreRefusedAndNothingIsWritten) {
    struct Case {
        const char* name;
        QByteArray file;
        const char* message;
    } cases[] = {
        {"a name of the template", trapFile({"Y|countin|Int"}, {}),
         "The MIB file was not written: the name \"countin\" of SNMP Read entry 1 is already the name of the MIB itself."},
        {"a blank in the description", trapFile({}, {"Y|te mp|Int"}),
         "The MIB file was not written: the description \"te mp\" of SNMP Write entry 1 is not a valid name (allowed "
         "characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\", the first a lowercase letter)."},
        {"a generated name taken by an earlier entry", trapFile({"Y|bufferinval2|Int", "Y||Int"}, {}),
         "The MIB file was not written: the name \"bufferinval2\" of SNMP Read entry 2 is already the name of SNMP Read "
         "entry 1."},
        {"a notification's name", trapFile({"Y|a|Int", "Y|trapval1|Int"}, {}),
         "The MIB file was not written: the name \"trapval1\" of SNMP Read entry 2 is already the name of the "
         "notification of SNMP Read entry 1."},
        {"a write entry named as a read one", trapFile({"Y|same|Int"}, {"Y|same|Int"}),
         "The MIB file was not written: the name \"same\" of SNMP Write entry 1 is already the name of SNMP Read entry 1."},
        {"a quote", "<SNMP_Trap><SNMP_Trap_Read><row Enable=\"Y\" Description=\"a&quot;b\"/></SNMP_Trap_Read></SNMP_Trap>",
         "The MIB file was not written: the description \"a\"b\" of SNMP Read entry 1 is not a valid name (allowed "
         "characters are \"a\"..\"z\", \"A\"..\"Z\" and \"0\"..\"9\", the first a lowercase letter)."},
        {"a file that is not XML", "<SNMP_Trap><SNMP_Trap_Read>", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeAll(g_SNMPTrapFile, c.file);
        const QString mib = g_ProjectPath + QStringLiteral("/refused.mib");
        rec.clear();
        runStep(rec, mib);
        ASSERT_EQ(rec.errors().size(), 1);
        if (c.message)
            EXPECT_EQ(rec.errors()[0], QString::fromUtf8(c.message));
        else
            EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Error in \"SNMP_Trap.xml\": "))) << rec.errors()[0].toStdString();
        EXPECT_FALSE(plat::fileExists(mib));
    }
    // A disabled entry is not in the file, so its name is not checked.
    writeAll(g_SNMPTrapFile, trapFile({"N|countin|Int", "N|te mp|Int"}, {}));
    rec.clear();
    runStep(rec, g_ProjectPath + QStringLiteral("/refused.mib"));
    EXPECT_TRUE(rec.errors().isEmpty());
    EXPECT_TRUE(plat::fileExists(g_ProjectPath + QStringLiteral("/refused.mib")));
}

// Had the writer not refused "countin", the file would define it twice: smilint sees that, so the
// allow-list does not hide it.
TEST_F(MIB, TheSmilintCheckCatchesATwiceDefinedName) {
    snmp::MibEntries e;
    e.read = {QStringLiteral("countin")};
    e.readInt = {true};
    ASSERT_TRUE(snmp::mibProblem(e).has_value());
    const QString mib = g_ProjectPath + QStringLiteral("/control.mib");
    const QByteArray bytes = snmp::mibBytes(snmp::mibLines(e));
    writeAll(mib, bytes);
    const QStringList unexpected = building_tests::unexpectedSmilint(mib);
    ASSERT_FALSE(unexpected.isEmpty());
    EXPECT_TRUE(unexpected.join(u'\n').contains(QStringLiteral("{identifier-redefined}"))) << unexpected.join(u'\n').toStdString();
}

TEST_F(MIB, TheOverwriteQuestionAnsweredNoKeepsTheFileAndReadsNothing) {
    const QString mib = g_ProjectPath + QStringLiteral("/old.mib");
    writeAll(mib, "old contents\n");
    writeAll(g_SNMPTrapFile, trapFile({"Y|temp1|Int"}, {}));
    g_MIBReadDescriptions = QStringList{QStringLiteral("untouched")};
    runStep(rec, mib);  // answered No
    ASSERT_EQ(rec.shown.size(), 2u);
    EXPECT_EQ(rec.shown[1].kind, testing_support::Shown::YesNo);
    EXPECT_EQ(rec.shown[1].text, QStringLiteral("File already exists. Do you want to overwrite?"));
    EXPECT_EQ(readAll(mib), QByteArray("old contents\n"));
    EXPECT_EQ(g_MIBReadDescriptions, QStringList{QStringLiteral("untouched")});
    // Yes replaces it.
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    runStep(rec, mib);
    EXPECT_TRUE(readAll(mib).startsWith("GATEWAY DEFINITIONS ::= BEGIN\r\n"));
    // A cancelled dialog ends the step before anything else.
    rec.clear();
    Save_MIB_File();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::SaveFile);
}

// The dialog opens in the project folder with the MIB filter.
class DialogSpy final : public plat::UserDialogs {
public:
    DialogSpy() { plat::setDialogs(this); }
    ~DialogSpy() override { plat::setDialogs(nullptr); }
    QString folder, filter;
    void error(const QString&) override {}
    void warning(const QString&) override {}
    void information(const QString&) override {}
    plat::Answer questionYesNo(const QString&) override { return plat::Answer::No; }
    plat::Answer questionYesNoCancel(const QString&) override { return plat::Answer::Cancel; }
    std::optional<QString> openFile(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> saveFile(const QString&, const QString& f, const QString&, const QString& filt) override {
        folder = f;
        filter = filt;
        return std::nullopt;
    }
};

TEST_F(MIB, TheDialogStartsInTheProjectFolder) {
    DialogSpy spy;
    Save_MIB_File();
    EXPECT_EQ(spy.folder, g_ProjectPath);
    EXPECT_EQ(spy.filter, QStringLiteral("Management Information Base (*.mib)"));
}

}  // namespace
