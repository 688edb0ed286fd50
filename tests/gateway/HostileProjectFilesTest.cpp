// Project files that are not well-formed XML, put where every reader of the project looks: each
// reader refuses them naming the file, the image step writes nothing; a file in another declared
// encoding reads like its UTF-8 twin.
#include "gateway/MQTTTopicFile.h"
#include "gateway/ParGenFile.h"
#include "gateway/UMQTT_Set_Topic.h"
#include "gateway/UParGen.h"
#include "gateway/UProfibus_GSD.h"
#include "gateway/UProfinetXML.h"
#include "gateway/USaveBincc.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::writeAll;

namespace {

// Puts `inner` just before the closing tag of the root `root`.
QByteArray insertInRoot(QByteArray doc, const char* root, const QByteArray& inner) {
    const QByteArray end = QByteArray("</") + root + '>';
    const qsizetype at = doc.lastIndexOf(end);
    return doc.insert(at, inner);
}

QByteArray withRootAttributes(QByteArray doc, const char* root, const QByteArray& attributes) {
    const QByteArray start = QByteArray("<") + root;
    return doc.replace(doc.indexOf(start), start.size(), start + ' ' + attributes);
}

struct Defect {
    const char* name;
    std::function<QByteArray(const QByteArray& valid, const char* root)> make;
};

const Defect kDefects[] = {
    {"InvalidUtf8", [](auto v, auto r) { return insertInRoot(v, r, "<x>caf\xE9</x>"); }},
    {"DuplicateAttribute", [](auto v, auto r) { return withRootAttributes(v, r, "a=\"1\" a=\"2\""); }},
    {"UndefinedEntity", [](auto v, auto r) { return insertInRoot(v, r, "<x>&e;</x>"); }},
    {"LessThanInAttribute", [](auto v, auto r) { return withRootAttributes(v, r, "a=\"<\""); }},
    {"ControlCharacter", [](auto v, auto r) { return insertInRoot(v, r, "<x>a\x01" "b</x>"); }},
    {"ReferenceToNul", [](auto v, auto r) { return insertInRoot(v, r, "<x>plant&#0;/x</x>"); }},
    {"TextOutsideTheRoot", [](auto v, auto) { return "stray " + v + " text"; }},
    {"SecondByteOrderMark", [](auto v, auto) { return "\xEF\xBB\xBF\xEF\xBB\xBF" + v; }},
    {"EncodingDeclarationAgainstTheBytes",
     [](auto v, auto) { return "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + v; }},
    {"ExternalEntity",
     [](auto v, auto r) {
         return QByteArray("<!DOCTYPE ") + r + " [<!ENTITY e SYSTEM \"/etc/hostname\">]>" + insertInRoot(v, r, "<x>&e;</x>");
     }},
};

class HostileProjectFiles : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        savedPath_ = g_ProjectPath;
        g_ProjectPath = dir_.path();
        Set_Files();
        Load_Default_Language();
        QDir(dir_.path()).mkdir("bin");
        QDir(dir_.path()).mkdir("Certificates");
    }
    void TearDown() override {
        g_ProjectPath = savedPath_;
        Set_Files();
    }
    QString file(const char* name) const { return dir_.path() + u'/' + QLatin1StringView(name); }
    void putOldImages() {
        writeAll(file("bin/bank1.bin"), "old1");
        writeAll(file("bin/bank2.bin"), "old2");
    }
    static QByteArray validParGen() {
        pargen::Values v = pargen::elementDefaults();
        v[u"MQTT_Server_URL"] = QStringLiteral("broker");
        return pargen::toBytes(v);
    }
    static QByteArray validTopics() {
        topicfile::Tables t;
        plat::XmlDocument doc;
        topicfile::writeTopicDocument(t, doc);
        return doc.toBytes();
    }

    QTemporaryDir dir_;
    QString savedPath_;
    RecordingDialogs dialogs_;
};

}  // namespace

TEST_F(HostileProjectFiles, EveryReaderRefusesThemNamingTheFile) {
    for (const Defect& d : kDefects) {
        SCOPED_TRACE(d.name);
        const QByteArray parGen = d.make(validParGen(), "Par_Gen");
        const QByteArray topics = d.make(validTopics(), "MQTT_Set_Topic");
        {
            plat::XmlDocument check;
            ASSERT_FALSE(check.loadBytes(parGen));
            ASSERT_FALSE(check.loadBytes(topics));
        }
        writeAll(g_ParGenFile, parGen);
        writeAll(g_MQTTSetTopicFile, validTopics());

        // The parameter file's own reader, and the dialog: it reports and shows the defaults.
        try {
            pargen::readFile(g_ParGenFile);
            ADD_FAILURE() << "read";
        } catch (const plat::Error& e) {
            EXPECT_TRUE(e.message().contains("ParGen.xml")) << e.message().toStdString();
        }
        dialogs_.clear();
        {
            TFParGen dialog;
            dialog.show();
            ASSERT_EQ(dialogs_.errors().size(), 1);
            EXPECT_TRUE(dialogs_.errors()[0].contains("ParGen.xml")) << dialogs_.errors()[0].toStdString();
            EXPECT_EQ(dialog.Values(), pargen::fileMissingDefaults());
        }

        // The device-description writers stop before their save dialog's file is written.
        dialogs_.clear();
        dialogs_.files = {file("out.xml")};
        Save_GSDML_File(QStringLiteral("out.xml"));
        ASSERT_EQ(dialogs_.errors().size(), 1);
        EXPECT_TRUE(dialogs_.errors()[0].contains("ParGen.xml")) << dialogs_.errors()[0].toStdString();
        EXPECT_FALSE(QFile::exists(file("out.xml")));
        dialogs_.clear();
        dialogs_.files = {file("out.gsd")};
        Save_GSD_File();
        ASSERT_EQ(dialogs_.errors().size(), 1);
        EXPECT_TRUE(dialogs_.errors()[0].contains("ParGen.xml")) << dialogs_.errors()[0].toStdString();
        EXPECT_FALSE(QFile::exists(file("out.gsd")));

        // The image step, once for each of its two input files.
        for (const bool topicFileBroken : {false, true}) {
            writeAll(g_ParGenFile, topicFileBroken ? validParGen() : parGen);
            writeAll(g_MQTTSetTopicFile, topicFileBroken ? topics : validTopics());
            putOldImages();
            dialogs_.clear();
            QString error;
            EXPECT_FALSE(USaveBincc::Build_Images(&error));
            EXPECT_TRUE(error.contains(topicFileBroken ? "MQTT_Set_Topic.xml" : "ParGen.xml")) << error.toStdString();
            EXPECT_TRUE(error.contains("not well-formed")) << error.toStdString();
            EXPECT_EQ(dialogs_.errors().size(), 1);
            EXPECT_EQ(readAll(file("bin/bank1.bin")), "old1");
            EXPECT_EQ(readAll(file("bin/bank2.bin")), "old2");
        }
        // The topic file's reader, and the topic tables: they report when they open.
        const topicfile::ReadResult read = topicfile::readTopicFile(topics);
        EXPECT_TRUE(read.error.contains("MQTT_Set_Topic.xml")) << read.error.toStdString();
        writeAll(g_ParGenFile, validParGen());
        writeAll(g_MQTTSetTopicFile, topics);
        dialogs_.clear();
        {
            TFMQTT_Set_Topic dialog;
            dialog.show();
            ASSERT_EQ(dialogs_.errors().size(), 1);
            EXPECT_TRUE(dialogs_.errors()[0].contains("MQTT_Set_Topic.xml")) << dialogs_.errors()[0].toStdString();
            EXPECT_TRUE(dialogs_.errors()[0].contains("not well-formed")) << dialogs_.errors()[0].toStdString();
        }
    }
}

// The same content declared in windows-1252 reads, shows and builds exactly as its UTF-8 twin.
TEST_F(HostileProjectFiles, AWindows1252FileReadsLikeItsUtf8Twin) {
    pargen::Values v = pargen::elementDefaults();
    v[u"MQTT_Server_URL"] = QStringLiteral("caf\u00E9\u20AC");
    const QByteArray utf8 = pargen::toBytes(v);
    const QByteArray cp1252 =
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + QByteArray(utf8).replace("caf\xC3\xA9\xE2\x82\xAC", "caf\xE9\x80");
    ASSERT_NE(cp1252.indexOf("caf\xE9\x80"), -1);

    // A topic file with one publication whose topic and template leave ASCII, the same way.
    topicfile::Tables t;
    topicfile::Row row = topicfile::emptyRow(topicfile::publishSection());
    const std::pair<int, QString> cells[] = {{1, QStringLiteral("plant/caf\u00E9")}, {3, QStringLiteral("0")},
                                             {4, QStringLiteral("Int")},              {5, QStringLiteral("2")},
                                             {6, QStringLiteral("0")},                {10, QStringLiteral("\u20AC $VALUE$")}};
    for (const auto& [c, text] : cells) row[c] = text;
    t.publish.push_back(row);
    plat::XmlDocument topicDoc;
    topicfile::writeTopicDocument(t, topicDoc);
    const QByteArray topicsUtf8 = topicDoc.toBytes();
    const QByteArray topics1252 = "<?xml version=\"1.0\" encoding=\"windows-1252\"?>" +
                                  QByteArray(topicsUtf8).replace("caf\xC3\xA9", "caf\xE9").replace("\xE2\x82\xAC", "\x80");
    ASSERT_EQ(topicfile::readTopicFile(topics1252).tables.publish, topicfile::readTopicFile(topicsUtf8).tables.publish);
    ASSERT_EQ(topicfile::readTopicFile(topics1252).tables.publish.size(), 1u);

    QByteArray images[2][2];
    int n = 0;
    for (const QByteArray& bytes : {utf8, cp1252}) {
        writeAll(g_ParGenFile, bytes);
        writeAll(g_MQTTSetTopicFile, n == 0 ? topicsUtf8 : topics1252);
        EXPECT_EQ(pargen::readFile(g_ParGenFile), v);
        {
            TFParGen dialog;
            dialog.show();
            EXPECT_TRUE(dialogs_.errors().isEmpty());
            EXPECT_EQ(dialog.Values()[u"MQTT_Server_URL"], v[u"MQTT_Server_URL"]);
        }
        QString error;
        ASSERT_TRUE(USaveBincc::Build_Images(&error)) << error.toStdString();
        images[n][0] = readAll(file("bin/bank1.bin"));
        images[n][1] = readAll(file("bin/bank2.bin"));
        ++n;
    }
    EXPECT_EQ(images[0][0], images[1][0]);
    EXPECT_EQ(images[0][1], images[1][1]);
    EXPECT_FALSE(images[0][0].isEmpty());
    EXPECT_NE(images[0][1].indexOf("plant/caf"), -1);
}
