#include "gateway/UProfinetXML.h"

#include "tests/gateway/WriterTestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <pugixml.hpp>
#include <set>

using writer_test::Dialogs;
using writer_test::Project;

namespace {

const QString kName = QStringLiteral("GSDML-V2.31-Quorim-KG73632_Line4-20260105.xml");

struct Lint {
    int exitCode = -1;
    QString out;
    QString err;
};

// xmllint is the independent reader: it decides whether the file is XML at all.
std::optional<Lint> xmllint(const QStringList& args) {
    const QString exe = QStandardPaths::findExecutable(QStringLiteral("xmllint"));
    if (exe.isEmpty()) return std::nullopt;
    QProcess p;
    p.start(exe, args);
    if (!p.waitForFinished(30000)) return std::nullopt;
    return Lint{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// An attribute of the written file read by XPath through xmllint; the default namespace is
// matched by local names.
QString lintAttr(const QString& file, const QString& element, const QString& where, const QString& attr) {
    const QString xp = QStringLiteral("string(//*[local-name()='%1']%2/@%3)").arg(element, where, attr);
    const auto r = xmllint({QStringLiteral("--xpath"), xp, file});
    if (!r || r->exitCode != 0) return QStringLiteral("<xmllint failed: %1>").arg(r ? r->err : QString());
    QString s = r->out;
    if (s.endsWith(u'\n')) s.chop(1);
    return s;
}

// The same read through a second parser, which takes the text as UTF-8 from the byte-order mark.
QString pugiAttr(const QByteArray& bytes, const char* xpath) {
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), bytes.size())) return QStringLiteral("<not parsed>");
    return QString::fromUtf8(doc.select_node(xpath).attribute().value());
}

QByteArray writeWith(const Project& project, const QString& name = QStringLiteral("out.xml")) {
    const QString path = project.file(name);
    Write_GSDML_File(path);
    return testing_support::readAll(path);
}

constexpr const char* kInputLength = "//DataItem[@TextId='IDT_Input_1']/@Length";
constexpr const char* kOutputLength = "//DataItem[@TextId='IDT_Output_1']/@Length";
constexpr const char* kImplementation = "//DeviceAccessPointItem/@ImplementationType";
constexpr const char* kDnsName = "//DeviceAccessPointItem/@DNS_CompatibleName";

}  // namespace

TEST(GsdmlDocument, IsUtf8WithBomCrLfLinesAsciiAndWellFormed) {
    Project project;
    project.writeParGen({{QStringLiteral("PROFINET_NAME_STA"), QStringLiteral("gw-1 é")},
                         {QStringLiteral("PROFINET_NB_IN"), QStringLiteral("100")},
                         {QStringLiteral("PROFINET_NB_OUT"), QStringLiteral("200")}});
    const QByteArray bytes = writeWith(project);

    ASSERT_GE(bytes.size(), 3);
    EXPECT_EQ(bytes.left(3), QByteArray("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.mid(3).startsWith("<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n"));
    EXPECT_TRUE(bytes.endsWith("</ISO15745Profile>\r\n"));
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            ASSERT_TRUE(i > 0 && bytes[i - 1] == '\r') << "bare LF at byte " << i;
        }
        if (bytes[i] == '\r') {
            ASSERT_TRUE(i + 1 < bytes.size() && bytes[i + 1] == '\n') << "bare CR at byte " << i;
        }
        if (i >= 3) {
            ASSERT_LT(static_cast<unsigned char>(bytes[i]), 0x80) << "non-ASCII byte at " << i;
        }
    }

    const auto lint = xmllint({QStringLiteral("--noout"), project.file(QStringLiteral("out.xml"))});
    if (!lint) GTEST_SKIP() << "xmllint is not installed";
    EXPECT_EQ(lint->exitCode, 0) << lint->err.toStdString();
    EXPECT_TRUE(lint->err.isEmpty()) << lint->err.toStdString();
}

struct ValueCase {
    const char* name;
    bool parGen;                                    // false: no "ParGen.xml" at all
    std::vector<std::pair<QString, QString>> elements;
    QString inputLength;   // carries PROFINET_NB_OUT
    QString outputLength;  // carries PROFINET_NB_IN
    QString station;
};

class GsdmlValues : public testing::TestWithParam<ValueCase> {};

TEST_P(GsdmlValues, ReadBackByXPath) {
    const ValueCase& c = GetParam();
    Project project;
    if (c.parGen) project.writeParGen(c.elements);
    const QByteArray bytes = writeWith(project);
    const QString file = project.file(QStringLiteral("out.xml"));

    EXPECT_EQ(pugiAttr(bytes, kInputLength), c.inputLength);
    EXPECT_EQ(pugiAttr(bytes, kOutputLength), c.outputLength);
    EXPECT_EQ(pugiAttr(bytes, kImplementation), c.station);
    EXPECT_EQ(pugiAttr(bytes, kDnsName), c.station);
    // The engineering tool's limits stay what the gateway offers, whatever the project's sizes.
    EXPECT_EQ(pugiAttr(bytes, "//IOConfigData/@MaxInputLength"), QStringLiteral("1440"));
    EXPECT_EQ(pugiAttr(bytes, "//IOConfigData/@MaxOutputLength"), QStringLiteral("1440"));
    EXPECT_EQ(pugiAttr(bytes, "//IOConfigData/@MaxDataLength"), QStringLiteral("2880"));

    if (!xmllint({QStringLiteral("--version")})) GTEST_SKIP() << "xmllint is not installed";
    EXPECT_EQ(lintAttr(file, QStringLiteral("DataItem"), QStringLiteral("[@TextId='IDT_Input_1']"),
                       QStringLiteral("Length")),
              c.inputLength);
    EXPECT_EQ(lintAttr(file, QStringLiteral("DataItem"), QStringLiteral("[@TextId='IDT_Output_1']"),
                       QStringLiteral("Length")),
              c.outputLength);
    EXPECT_EQ(lintAttr(file, QStringLiteral("DeviceAccessPointItem"), QString(), QStringLiteral("ImplementationType")),
              c.station);
    EXPECT_EQ(lintAttr(file, QStringLiteral("DeviceAccessPointItem"), QString(), QStringLiteral("DNS_CompatibleName")),
              c.station);
}

namespace {
std::pair<QString, QString> el(const char* n, const QString& v) { return {QString::fromLatin1(n), v}; }
std::vector<std::pair<QString, QString>> sizes(const char* in, const char* out, const QString& station = QStringLiteral("gw")) {
    return {el("PROFINET_NAME_STA", station), el("PROFINET_NB_IN", QString::fromLatin1(in)),
            el("PROFINET_NB_OUT", QString::fromLatin1(out))};
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Cases, GsdmlValues,
    testing::Values(
        ValueCase{"InputAndOutputCarryTheOppositeAreas", true, sizes("100", "200"), "200", "100", "gw"},
        ValueCase{"NoParGenGivesDefaults", false, {}, "1438", "1438", "SERIAL"},
        ValueCase{"MissingElementsGiveDefaults", true, {el("PROFINET_PORT", "2000")}, "1438", "1438", "SERIAL"},
        ValueCase{"BlankStationGivesSerial", true, sizes("1", "2", QStringLiteral("   ")), "2", "1", "SERIAL"},
        ValueCase{"ControlOnlyStationGivesSerial", true, sizes("1", "2", QStringLiteral("\t")), "2", "1", "SERIAL"},
        ValueCase{"StationKeepsItsBlanks", true, sizes("1", "2", QStringLiteral(" gw 1 ")), "2", "1", " gw 1 "},
        ValueCase{"StationWithMarkupAndAccent", true, sizes("1", "2", QStringLiteral("&\"<é")), "2", "1", "&\"<é"},
        ValueCase{"StationWithQuoteTabAndAstralChar", true, sizes("1", "2", QStringLiteral("a'>\tb\U0001F600")), "2",
                  "1", "a'>\tb\U0001F600"},
        ValueCase{"ZeroSizes", true, sizes("0", "0"), "0", "0", "gw"},
        ValueCase{"HexAndLeadingBlanksFollowTheIntegerRule", true, sizes(" 12", "$10"), "16", "12", "gw"},
        ValueCase{"TextThatIsNoIntegerGivesDefault", true, sizes("abc", "12 "), "1438", "1438", "gw"},
        ValueCase{"HandEditedSizesAreBounded", true, sizes("2000", "-5"), "0", "1438", "gw"},
        ValueCase{"OverflowingSizeGivesDefault", true, sizes("99999999999", "1438"), "1438", "1438", "gw"}),
    [](const testing::TestParamInfo<ValueCase>& i) { return std::string(i.param.name); });

TEST(GsdmlDocument, EveryTextIdUsedHasOneExternalText) {
    Project project;
    const QByteArray bytes = writeWith(project);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_buffer(bytes.constData(), bytes.size()));

    std::multiset<std::string> defined;
    for (const auto& x : doc.select_nodes("//ExternalTextList/PrimaryLanguage/Text")) {
        defined.insert(x.node().attribute("TextId").value());
        EXPECT_FALSE(std::string(x.node().attribute("Value").value()).empty()) << x.node().attribute("TextId").value();
    }
    for (const auto& x : doc.select_nodes("//*[not(self::Text)]/@TextId")) {
        const std::string id = x.attribute().value();
        EXPECT_EQ(defined.count(id), 1u) << id;
    }
    for (const auto& id : defined) EXPECT_EQ(defined.count(id), 1u) << "defined twice: " << id;
    EXPECT_EQ(pugiAttr(bytes, "//Text[@TextId='IDT_NAME_M_PB1']/@Value"), QStringLiteral("MQX Device "));
    // The last three entries are written with their value first.
    EXPECT_TRUE(bytes.contains("<Text Value=\"Continue operation\" TextId=\"IDT_ASSIGN_do_continue_counting\"/>"));
    EXPECT_TRUE(bytes.contains("<Text TextId=\"IDT_NAME_M1_Base_Parameters\" Value=\"Base Parameters\"/>"));
}

TEST(GsdmlEscape, ProducesAsciiThatReadsBackTheSame) {
    const struct {
        QString in;
        QString out;
    } cases[] = {
        {QStringLiteral("plain-1"), QStringLiteral("plain-1")},
        {QStringLiteral("&<>\"'"), QStringLiteral("&amp;&lt;&gt;&quot;&apos;")},
        {QStringLiteral("é"), QStringLiteral("&#233;")},
        {QStringLiteral("\U0001F600"), QStringLiteral("&#128512;")},
        {QStringLiteral("a\tb\r\nc"), QStringLiteral("a&#9;b&#13;&#10;c")},
        {QString(QChar(0x7F)), QStringLiteral("&#127;")},
        // Characters XML cannot carry at all, even as references.
        {QString(QChar(0x01)), QStringLiteral("&#65533;")},
        {QString(QChar(0xFFFE)), QStringLiteral("&#65533;")},
        {QString(QChar(0xD800)) + u'x', QStringLiteral("&#65533;x")},
    };
    for (const auto& c : cases) EXPECT_EQ(escapeXmlAscii(c.in), c.out) << c.in.toStdString();
}

struct SaveCase {
    const char* name;
    bool exists;                      // the target file is there before
    std::optional<QString> chosen;    // relative to the project folder; nullopt: cancelled
    std::deque<plat::Answer> answers;
    bool asked;
    bool written;
    QString target;                   // where the file must be, relative to the project folder
};

class GsdmlSave : public testing::TestWithParam<SaveCase> {};

TEST_P(GsdmlSave, FolderChoiceAndOverwriteQuestion) {
    const SaveCase& c = GetParam();
    Project project;
    Dialogs dialogs;
    QDir(project.path()).mkpath(QStringLiteral("sub"));
    const QString target = project.file(c.target);
    if (c.exists) testing_support::writeAll(target, "old");
    if (c.chosen) dialogs.chosen.push_back(project.file(*c.chosen));
    dialogs.answers = c.answers;

    Save_GSDML_File(kName);

    ASSERT_EQ(dialogs.saves.size(), 1u);
    EXPECT_EQ(dialogs.saves[0].folder, project.path());
    EXPECT_EQ(dialogs.saves[0].fileName, kName);
    EXPECT_TRUE(dialogs.saves[0].filter.contains(kName)) << dialogs.saves[0].filter.toStdString();
    EXPECT_EQ(dialogs.questions,
              c.asked ? QStringList{QStringLiteral("File already exists! Do you want to overwrite the file?")} : QStringList{});
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join(u'|').toStdString();
    const QByteArray now = testing_support::readAll(target);
    if (c.written) {
        EXPECT_TRUE(now.startsWith("\xEF\xBB\xBF<?xml")) << now.left(20).toStdString();
    } else {
        EXPECT_EQ(now, c.exists ? QByteArray("old") : QByteArray());
    }
    // Nothing lands under the name typed into the save dialog.
    EXPECT_FALSE(QFile::exists(project.file(QStringLiteral("typed.xml"))));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GsdmlSave,
    testing::Values(
        SaveCase{"CancelWritesNothing", false, std::nullopt, {}, false, false, kName},
        SaveCase{"TypedNameIsIgnored", false, QStringLiteral("typed.xml"), {}, false, true, kName},
        SaveCase{"OtherFolderIsUsed", false, QStringLiteral("sub/typed.xml"), {}, false, true, QStringLiteral("sub/") + kName},
        SaveCase{"ExistingFileKeptOnNo", true, QStringLiteral("typed.xml"), {plat::Answer::No}, true, false, kName},
        SaveCase{"ExistingFileReplacedOnYes", true, QStringLiteral("typed.xml"), {plat::Answer::Yes}, true, true, kName}),
    [](const testing::TestParamInfo<SaveCase>& i) { return std::string(i.param.name); });

TEST(GsdmlSaveFailure, IsReportedAndWritesNothing) {
    Project project;
    Dialogs dialogs;

    // A parameter file that is not XML stops the step with the parser's message.
    testing_support::writeAll(g_ParGenFile, "<Par_Gen><PROFINET_NB_IN>1");
    dialogs.chosen.push_back(project.file(QStringLiteral("x.xml")));
    Save_GSDML_File(kName);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(QStringLiteral("ParGen.xml"))) << dialogs.errors[0].toStdString();
    EXPECT_FALSE(QFile::exists(project.file(kName)));

    // A folder that cannot take the file.
    dialogs.errors.clear();
    QFile::remove(g_ParGenFile);
    dialogs.chosen.push_back(project.file(QStringLiteral("gone/x.xml")));
    Save_GSDML_File(kName);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors[0].contains(project.file(QStringLiteral("gone/")) + kName)) << dialogs.errors[0].toStdString();
}
