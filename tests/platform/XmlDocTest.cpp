#include "platform/Files.h"
#include "platform/XmlDoc.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

class XmlDocTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const char* name) const { return dir.path() + u'/' + QString::fromLatin1(name); }
};

TEST_F(XmlDocTest, WhitespaceOnlyTextSurvivesSaveAndLoad) {
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("Par_Gen"));
    root.appendTextChild(QStringLiteral("e"), QStringLiteral("   "));
    root.appendTextChild(QStringLiteral("multi"), QStringLiteral("a\r\nb"));
    ASSERT_TRUE(doc.save(path("a.xml")));

    plat::XmlDocument back;
    ASSERT_TRUE(back.load(path("a.xml")));
    EXPECT_EQ(back.root().child(QStringLiteral("e")).text(), QStringLiteral("   "));
    EXPECT_EQ(back.root().child(QStringLiteral("multi")).text(), QStringLiteral("a\r\nb"));
}

TEST_F(XmlDocTest, AttributesKeepOrderAndControlCharacters) {
    plat::XmlDocument doc;
    plat::XmlElement row = doc.createRoot(QStringLiteral("r")).appendChild(QStringLiteral("row"));
    row.setAttribute(QStringLiteral("Z"), QStringLiteral("a\r\nb"));
    row.setAttribute(QStringLiteral("A"), QStringLiteral("tab\there"));
    row.setAttribute(QStringLiteral("M"), QStringLiteral("<&\"é>"));
    ASSERT_TRUE(doc.save(path("b.xml")));
    const QByteArray bytes = readAll(path("b.xml"));
    EXPECT_LT(bytes.indexOf("Z="), bytes.indexOf("A="));
    EXPECT_LT(bytes.indexOf("A="), bytes.indexOf("M="));
    EXPECT_FALSE(bytes.contains('\r'));  // escaped, so no parser folds it into a blank
    EXPECT_FALSE(bytes.contains('\n'));

    plat::XmlDocument back;
    ASSERT_TRUE(back.load(path("b.xml")));
    const plat::XmlElement r = back.root().child(QStringLiteral("row"));
    EXPECT_EQ(r.attribute(QStringLiteral("Z")), QStringLiteral("a\r\nb"));
    EXPECT_EQ(r.attribute(QStringLiteral("A")), QStringLiteral("tab\there"));
    EXPECT_EQ(r.attribute(QStringLiteral("M")), QStringLiteral("<&\"é>"));
    EXPECT_FALSE(r.hasAttribute(QStringLiteral("missing")));
    EXPECT_EQ(r.attribute(QStringLiteral("missing"), QStringLiteral("N")), QStringLiteral("N"));
}

TEST_F(XmlDocTest, WritesNoDeclarationAndTheCommentAfterTheRoot) {
    plat::XmlDocument doc;
    doc.createRoot(QStringLiteral("Par_Gen")).appendTextChild(QStringLiteral("x"), QStringLiteral("1"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.003"));
    EXPECT_EQ(doc.toBytes(), QByteArray("<Par_Gen><x>1</x></Par_Gen><!--SW_VERSION = 1.003-->"));
}

TEST_F(XmlDocTest, ReadsFilesThatBeginWithADeclarationOrComment) {
    const QByteArray variants[] = {
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Conf_Settings><a>v</a></Conf_Settings>",
        "<!-- note --><Conf_Settings><a>v</a></Conf_Settings>",
        "\xEF\xBB\xBF<Conf_Settings><a>v</a></Conf_Settings>",
    };
    for (const QByteArray& v : variants) {
        plat::XmlDocument doc;
        QString error;
        ASSERT_TRUE(doc.loadBytes(v, &error)) << error.toStdString();
        EXPECT_EQ(doc.root().name(), QStringLiteral("Conf_Settings"));
        EXPECT_EQ(doc.root().child(QStringLiteral("a")).text(), QStringLiteral("v"));
    }
}

TEST_F(XmlDocTest, FirstChildOfANameCountsAndLookupIsExact) {
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.loadBytes("<r><k>1</k><K>2</K><k>3</k></r>"));
    EXPECT_EQ(doc.root().child(QStringLiteral("k")).text(), QStringLiteral("1"));
    EXPECT_EQ(doc.root().child(QStringLiteral("K")).text(), QStringLiteral("2"));
    EXPECT_TRUE(doc.root().child(QStringLiteral("missing")).isNull());
    EXPECT_EQ(doc.root().childElements(QStringLiteral("k")).size(), 2u);
}

TEST_F(XmlDocTest, NotWellFormedIsAnErrorNotDefaults) {
    const QByteArray bad[] = {"<r><a>1</a>", "", "just text", "<r></x>", "<a/><b/>"};
    for (const QByteArray& b : bad) {
        writeAll(path("bad.xml"), b);
        plat::XmlDocument doc;
        QString error;
        EXPECT_FALSE(doc.load(path("bad.xml"), &error)) << b.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("bad.xml"))) << error.toStdString();
        EXPECT_TRUE(doc.root().isNull());
    }
    plat::XmlDocument doc;
    QString error;
    EXPECT_FALSE(doc.load(path("missing.xml"), &error));
    EXPECT_FALSE(error.isEmpty());
}

// A write that fails half-way (the file-size limit stands in for a full disk; it also binds root).
TEST_F(XmlDocTest, WriteFailingHalfWayLeavesTheOldFile) {
    const QString file = path("ParGen.xml");
    writeAll(file, "<old/>");
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("new"));
    root.appendTextChild(QStringLiteral("big"), QString(100000, u'x'));
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    QString error;
    const bool saved = doc.save(file, &error);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(saved);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(file), QByteArray("<old/>"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ParGen.xml")});  // no leftovers
}

TEST_F(XmlDocTest, FailedSaveLeavesTheOldFileAndReports) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions (the size-limit test covers it)";
    const QString sub = dir.path() + QStringLiteral("/ro");
    ASSERT_TRUE(QDir().mkdir(sub));
    const QString file = sub + QStringLiteral("/ParGen.xml");
    writeAll(file, "<old/>");
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::ExeOwner);
    plat::XmlDocument doc;
    doc.createRoot(QStringLiteral("new"));
    QString error;
    EXPECT_FALSE(doc.save(file, &error));
    EXPECT_FALSE(error.isEmpty());
    QFile::setPermissions(sub, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(readAll(file), QByteArray("<old/>"));
}

TEST_F(XmlDocTest, SaveIntoAMissingFolderFailsWithoutAPartialFile) {
    plat::XmlDocument doc;
    doc.createRoot(QStringLiteral("r"));
    QString error;
    EXPECT_FALSE(doc.save(path("nope/x.xml"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(plat::fileExists(path("nope/x.xml")));
}

}  // namespace

// Each document breaks one rule of XML 1.0; each is refused with the parser's reason and a position.
TEST_F(XmlDocTest, RefusesEveryDocumentThatIsNotWellFormed) {
    struct Case {
        const char* what;
        QByteArray bytes;
        const char* reason;  // a piece of the parser's message
    };
    const Case cases[] = {
        {"invalid UTF-8", "<r><SSID>caf\xE9</SSID></r>", "UTF-8"},
        {"overlong UTF-8", "<r>\xC0\xAF</r>", "UTF-8"},
        {"duplicate attribute", "<r a=\"1\" a=\"2\"/>", "redefined"},
        {"undefined entity", "<r>&e;</r>", "Entity 'e' not defined"},
        {"'<' in an attribute", "<r a=\"<\"/>", "<"},
        {"control character", "<r>a\x01" "b</r>", "invalid Char value 1"},
        {"control character in an attribute", "<r a=\"\x02\"/>", "invalid"},
        {"character reference to NUL", "<r><Topic>plant&#0;/x</Topic></r>", "value 0"},
        {"text after the root", "<r/>junk", "Extra content"},
        {"text before the root", "junk<r/>", "Start tag expected"},
        {"second byte order mark", "\xEF\xBB\xBF\xEF\xBB\xBF<r/>", "Start tag expected"},
        {"UTF-8 mark, windows-1252 declared", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\xC3\xA9</r>",
         "does not match"},
        {"UTF-16 declared, UTF-8 bytes", "<?xml version=\"1.0\" encoding=\"UTF-16\"?><r>x</r>", "UTF-16"},
        {"byte the declared encoding lacks", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\x81</r>", "input conversion failed"},
        {"unknown encoding", "<?xml version=\"1.0\" encoding=\"no-such-set\"?><r/>", "no-such-set"},
        {"non-character U+FFFE", "<r>\xEF\xBF\xBE</r>", "0xFFFE"},
        {"external entity", "<!DOCTYPE r [<!ENTITY e SYSTEM \"/etc/hostname\">]><r>&e;</r>", "external entity 'e'"},
        {"entity loop", "<!DOCTYPE r [<!ENTITY a \"&b;\"><!ENTITY b \"&a;\">]><r>&a;</r>", "loop"},
        {"entity to an external subset", "<!DOCTYPE r SYSTEM \"x.dtd\"><r>&e;</r>", "'e'"},
        {"unclosed element", "<r><a>1</a>", "end"},
        {"no root", "", "root"},
    };
    for (const Case& c : cases) {
        plat::XmlDocument doc;
        QString error;
        EXPECT_FALSE(doc.loadBytes(c.bytes, &error)) << c.what;
        EXPECT_TRUE(error.startsWith(QStringLiteral("XML not well-formed: "))) << c.what << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.reason))) << c.what << ": " << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("offset "))) << c.what << ": " << error.toStdString();
        EXPECT_TRUE(doc.root().isNull()) << c.what;
    }
}

QByteArray utf16le(const QString& s) {
    QByteArray out;
    for (const QChar c : s) {
        out.append(static_cast<char>(c.unicode() & 0xFF));
        out.append(static_cast<char>(c.unicode() >> 8));
    }
    return out;
}

TEST_F(XmlDocTest, ReadsTheDeclaredEncodingEntitiesAndLineEnds) {
    struct Case {
        const char* what;
        QByteArray bytes;
        QString text;
        QString attribute;
    };
    const Case cases[] = {
        {"windows-1252", "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r a=\"\x80\"><SSID>caf\xE9</SSID></r>",
         QStringLiteral("caf\u00E9"), QStringLiteral("\u20AC")},
        {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?><r a=\"\xFF\"><SSID>caf\xE9</SSID></r>",
         QStringLiteral("caf\u00E9"), QStringLiteral("\u00FF")},
        {"UTF-8 mark and declaration", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"utf-8\"?><r a=\"\xC3\xA9\"><SSID>x</SSID></r>",
         QStringLiteral("x"), QStringLiteral("\u00E9")},
        {"UTF-16 with its mark", utf16le(QStringLiteral("\uFEFF<r a=\"b\"><SSID>x</SSID></r>")),
         QStringLiteral("x"), QStringLiteral("b")},
        {"internal entity expanded", "<!DOCTYPE r [<!ENTITY e \"1&amp;2\">]><r a=\"&e;\"><SSID>&e;&e;</SSID></r>",
         QStringLiteral("1&21&2"), QStringLiteral("1&2")},
        {"line ends normalised", "<r a=\"x\"><SSID>a\r\nb\rc&#13;d<![CDATA[e\r\nf]]></SSID></r>",
         QStringLiteral("a\nb\nc\rde\nf"), QStringLiteral("x")},
        {"blanks kept, comments around", "<!--c--><r a=\"  \"><SSID>  </SSID>  </r><!--SW_VERSION = 1.003-->",
         QStringLiteral("  "), QStringLiteral("  ")},
        {"indentation is no value", "<r a=\"1\">\r\n  <SSID>\r\n  <x/> t </SSID>\r\n</r>", QStringLiteral(" t "),
         QStringLiteral("1")},
    };
    for (const Case& c : cases) {
        plat::XmlDocument doc;
        QString error;
        ASSERT_TRUE(doc.loadBytes(c.bytes, &error)) << c.what << ": " << error.toStdString();
        EXPECT_EQ(doc.root().name(), QStringLiteral("r")) << c.what;
        EXPECT_EQ(doc.root().child(QStringLiteral("SSID")).text(), c.text) << c.what;
        EXPECT_EQ(doc.root().attribute(QStringLiteral("a")), c.attribute) << c.what;
        EXPECT_FALSE(doc.toBytes().contains("&e;")) << c.what;
    }
}

// What the program writes reads back unchanged, CR included, and writing it again gives the same bytes.
TEST_F(XmlDocTest, WrittenTextRoundTripsByteForByte) {
    plat::XmlDocument doc;
    plat::XmlElement root = doc.createRoot(QStringLiteral("r"));
    const QString texts[] = {QStringLiteral("a\r\nb"), QStringLiteral("\r"), QStringLiteral("x\ry\n\tz"),
                             QStringLiteral("<&>\"' ]]> caf\u00E9 \u20AC"), QStringLiteral(" \r\n ")};
    for (const QString& t : texts) root.appendTextChild(QStringLiteral("t"), t).setAttribute(QStringLiteral("v"), t);
    root.appendChild(QStringLiteral("empty"));
    doc.appendComment(QStringLiteral("SW_VERSION = 1.003"));
    const QByteArray bytes = doc.toBytes();
    EXPECT_FALSE(bytes.contains('\r'));

    plat::XmlDocument back;
    QString error;
    ASSERT_TRUE(back.loadBytes(bytes, &error)) << error.toStdString();
    const auto read = back.root().childElements(QStringLiteral("t"));
    ASSERT_EQ(read.size(), std::size(texts));
    for (size_t i = 0; i < read.size(); ++i) {
        EXPECT_EQ(read[i].text(), texts[i]) << i;
        EXPECT_EQ(read[i].attribute(QStringLiteral("v")), texts[i]) << i;
    }
    EXPECT_EQ(back.toBytes(), bytes);
}

// The parser's complaints reach the caller only: nothing is printed on the way.
TEST_F(XmlDocTest, RefusalsPrintNothing) {
    const QString log = path("stderr.txt");
    fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    FILE* sink = fopen(log.toLocal8Bit().constData(), "w");
    ASSERT_NE(sink, nullptr);
    dup2(fileno(sink), STDERR_FILENO);
    QString errors;
    for (const QByteArray& bad : {QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>\x81</r>"),
                                  QByteArray("<r>&e;</r>"), QByteArray("<r a=\"1\" a=\"1\"/>"),
                                  QByteArray("<!DOCTYPE r SYSTEM \"x.dtd\"><r>&e;</r>")}) {
        plat::XmlDocument doc;
        QString error;
        EXPECT_FALSE(doc.loadBytes(bad, &error));
        errors += error;
    }
    fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    fclose(sink);
    EXPECT_EQ(readAll(log), QByteArray());
    EXPECT_TRUE(errors.contains(QStringLiteral("input conversion failed"))) << errors.toStdString();
}
