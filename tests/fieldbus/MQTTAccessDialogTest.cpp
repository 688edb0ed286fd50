// The MQTT access list as a user meets it, offscreen with recorded message boxes and a stand-in
// for the gateway's template editor: its layout and texts, the topics of both tables and the
// positions the file keeps for them, the template editor, the rows that end a list, Insert Row,
// and the Ethernet twin that is only built.
#include "fieldbus/UMQTT_Set_Access.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

QString xpath(const QString& file, const QString& expression) {
    QProcess p;
    p.start(QStringLiteral("xmllint"), {QStringLiteral("--xpath"), expression, file});
    p.waitForFinished(60000);  // xmllint sets the time; the bound only ends a run that hangs
    QString v = QString::fromUtf8(p.readAllStandardOutput());
    if (v.endsWith(u'\n')) v.chop(1);
    return v;
}

QString indexTopic(int section, int row) {
    return xpath(g_MQTTSetAccessFile, QStringLiteral("string(/MQTT_Set_Access/*[%1]/row[%2]/@Index_Topic)")
                                          .arg(section + 1)
                                          .arg(row));
}

QByteArray topicFile(std::initializer_list<const char*> publish, std::initializer_list<const char*> subscribe) {
    QByteArray f = "<MQTT_Set_Topic><MQTT_Publish>";
    for (const char* t : publish) f += QByteArray("<row Topic=\"") + t + "\" Retained=\"N\" QoS=\"0\"/>";
    f += "</MQTT_Publish><MQTT_Subscribe>";
    for (const char* t : subscribe) f += QByteArray("<row Topic=\"") + t + "\" QoS=\"1\"/>";
    return f + "</MQTT_Subscribe></MQTT_Set_Topic><!--SW_VERSION = 1.003-->";
}

QByteArray row(const char* enable, const char* index, const char* type, const char* dim, const char* pos,
               const char* mnemonic) {
    return QByteArray("<row Enable=\"") + enable + "\" Index_Topic=\"" + index + "\" DataType=\"" + type +
           "\" Dimension=\"" + dim + "\" Position=\"" + pos + "\" Template=\"$VALUE$\" Mnemonic=\"" + mnemonic +
           "\"/>";
}

QByteArray accessFile(const QByteArray& publish, const QByteArray& subscribe) {
    return "<MQTT_Set_Access><MQTT_Publish>" + publish + "</MQTT_Publish><MQTT_Subscribe>" + subscribe +
           "</MQTT_Subscribe></MQTT_Set_Access><!--SW_VERSION = 1.111-->";
}

// Stands in for the gateway's editor: records what it was handed and closes as scripted.
class EditorStandIn final : public TTopicTemplateLink {
public:
    struct Log {
        int mode = -1;
        QString handed;
        int shown = 0;
        int result = plat::mrOk;
        QString returned;
    };
    explicit EditorStandIn(Log& log) : log_(log) {}
    void Set_TopicTemplate(int mode) override { log_.mode = mode; }
    void Set_Text(const QString& text) override { log_.handed = text; }
    QString Text() const override { return log_.returned; }
    int ShowModal() override {
        ++log_.shown;
        return log_.result;
    }

private:
    Log& log_;
};

class MQTTAccessWindow : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_SWCode = QStringLiteral("KS73632");
        g_ProjectPath = app.path();
        Set_Files();
        g_RowClipboard.clear();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
        g_DoubleClickAutoSize = 0;
    }
    static void open(QWidget& form) {
        form.show();
        QApplication::processEvents();
    }
    static void setRow(TExColumnGrid& g, int r, std::initializer_list<const char*> cells) {
        int c = 1;
        for (const char* t : cells) g.SetCells(c++, r, QString::fromUtf8(t));
    }

    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(MQTTAccessWindow, LayoutAndTexts) {
    TFMQTT_Set_Access f;
    EXPECT_EQ(f.ClientWidth(), 760);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("MQTT Set Access"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("MQTT Publish"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("MQTT Subscribe"));
    EXPECT_EQ(f.TS_MQTT_Publish->objectName(), QStringLiteral("TS_MQTT_Publish"));
    EXPECT_EQ(f.Btn_OK->toolTip(), QStringLiteral("Confirm and save the MQTT Set Topics List"));
    const QStringList headers = {"N", "Enable", "Topic", "Data Type", "Dimension", "Position", "Template", "Mnemonic"};
    for (TExColumnGrid* g : {f.CG_Pub, f.CG_Sub}) {
        EXPECT_EQ(g->RowCount(), 1025);
        EXPECT_EQ(g->ColCount(), 8);
        for (int c = 0; c < 8; ++c) EXPECT_EQ(g->Cells(c, 0), headers[c]) << c;
        EXPECT_EQ(g->Columns().Items(1).Editor(), edDataCheckBox);
        EXPECT_EQ(g->Columns().Items(3).ComboItems(), (QStringList{"Int", "Float", "String"}));
        EXPECT_EQ(g->Columns().Items(6).Editor(), edComboEdit);
        EXPECT_EQ(g->Columns().Items(6).ComboItems(), QStringList{"$VALUE$"});
        EXPECT_EQ(g->Columns().Items(7).Width(), 199);
    }
    EXPECT_EQ(f.Hint_MQTT_Set_Access_Pub,
              (QStringList{Text_Table[1424], Text_Table[1425], Text_Table[1426], Text_Table[1427], Text_Table[1428],
                           Text_Table[1429], Text_Table[1444]}));
    EXPECT_EQ(f.Hint_MQTT_Set_Access_Sub[4], QStringLiteral("Insert the Position Where Write the Value"));
    EXPECT_EQ(f.CG_Sub->CellHint(0, 6), Text_Table[1443]);
    EXPECT_EQ(f.CG_Pub->CellHint(0, 7), Text_Table[1444]);

    // A click in column 0 selects no row here.
    f.ClickCell(f.CG_Pub, 3, 0);
    EXPECT_FALSE(f.CG_Pub->GetRowSelect(3));
}

TEST_F(MQTTAccessWindow, TheEthernetTwinIsOnlyBuilt) {
    Text_Table[1400] = QStringLiteral("Accesso MQTT");
    TFMQTT_SetAccess_Eth e;
    EXPECT_EQ(e.windowTitle(), QStringLiteral("MQTT Set Access"));
    EXPECT_EQ(e.ClientWidth(), 860);
    EXPECT_EQ(e.ClientHeight(), 337);
    EXPECT_EQ(e.CG_Pub->RowCount(), 1025);
    EXPECT_EQ(e.CG_Sub->RowCount(), 1025);
    const QStringList pub = {"N", "Enable", "Topic", "IP Address", "Ethernet Data Form", "Template MQTT", "Mnemonic"};
    const QStringList sub = {"N",    "Enable",        "Topic",
                             "IP Address", "Port", "Type", "Template MQTT", "Ethernet Data Form", "Mnemonic"};
    ASSERT_EQ(e.CG_Pub->ColCount(), pub.size());
    ASSERT_EQ(e.CG_Sub->ColCount(), sub.size());
    for (int c = 0; c < pub.size(); ++c) EXPECT_EQ(e.CG_Pub->Cells(c, 0), pub[c]) << c;
    for (int c = 0; c < sub.size(); ++c) EXPECT_EQ(e.CG_Sub->Cells(c, 0), sub[c]) << c;
    EXPECT_EQ(e.CG_Sub->Columns().Items(5).ComboItems(), (QStringList{"TCP", "UDP"}));
    EXPECT_EQ(e.Btn_PasteRow->Caption(), QStringLiteral("Paste Row"));
    EXPECT_EQ(e.Btn_PasteRow->geometry(), QRect(606, 6, 110, 28));
    // Its buttons do nothing and it writes nothing.
    e.Btn_OK->click();
    EXPECT_FALSE(plat::fileExists(g_MQTTSetAccessFile));
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(MQTTAccessWindow, TopicsOfBothTablesAndThePositionsTheFileKeeps) {
    writeAll(g_MQTTSetTopicFile, topicFile({"t", "t", "u"}, {"s0", "s1"}));
    writeAll(g_MQTTSetAccessFile,
             accessFile(row("Y", "1", "Int", "2", "0", "second t") + row("Y", "0", "Int", "2", "2", "first t") +
                            row("N", "2", "Float", "4", "4", "u"),
                        row("Y", "1", "String", "20", "100", "s1") + row("Y", "0x0", "Int", "1", "3", "s0")));
    TFMQTT_Set_Access f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.Topic_Pub, (QStringList{"t", "t", "u"}));
    EXPECT_EQ(f.Topic_Sub, (QStringList{"s0", "s1"}));
    EXPECT_EQ(f.CG_Pub->Columns().Items(2).ComboItems(), f.Topic_Pub);
    EXPECT_EQ(f.CG_Sub->Columns().Items(2).ComboItems(), f.Topic_Sub);
    EXPECT_EQ(f.CG_Pub->Cells(2, 1), QStringLiteral("t"));
    EXPECT_EQ(f.Topic_Item(0, 1), 1);
    EXPECT_EQ(f.CG_Pub->Cells(2, 3), QStringLiteral("u"));
    EXPECT_EQ(f.CG_Sub->Cells(2, 1), QStringLiteral("s1"));
    EXPECT_EQ(f.CG_Sub->Cells(2, 2), QStringLiteral("s0"));
    EXPECT_EQ(f.CG_Pub->Cells(7, 2), QStringLiteral("first t"));
    // The four conversions: the first equal entry, each in its own table.
    EXPECT_EQ(f.Topic_Pub_from_String_to_Index(QStringLiteral("t")), 0);
    EXPECT_EQ(f.Topic_Pub_from_String_to_Index(QStringLiteral("s1")), -1);
    EXPECT_EQ(f.Topic_Sub_from_String_to_Index(QStringLiteral("s1")), 1);
    EXPECT_EQ(f.Topic_Pub_from_Index_to_String(2), QStringLiteral("u"));
    EXPECT_TRUE(f.Topic_Sub_from_Index_to_String(2).isEmpty());
    EXPECT_TRUE(f.Topic_Sub_from_Index_to_String(-1).isEmpty());

    // A text no table entry reads (as a row pasted before the table changed) is stored "-1"; a row
    // choosing the second "t" keeps it.
    f.CG_Sub->SetCells(2, 2, QStringLiteral("gone"));
    f.CG_Pub->SetCells(2, 3, QStringLiteral("t"));
    f.CG_Pub->ComboChange(2, 3, 1, QStringLiteral("t"));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(indexTopic(0, 1), QStringLiteral("1"));
    EXPECT_EQ(indexTopic(0, 2), QStringLiteral("0"));
    EXPECT_EQ(indexTopic(0, 3), QStringLiteral("1"));
    EXPECT_EQ(indexTopic(1, 1), QStringLiteral("1"));
    EXPECT_EQ(indexTopic(1, 2), QStringLiteral("-1"));
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("string(//MQTT_Publish/row[3]/@Enable)")), QStringLiteral("N"));
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("/comment()")), QStringLiteral("<!--SW_VERSION = 1.111-->"));

    // The topic table renamed its first entry: the row stored at that position shows the new name.
    writeAll(g_MQTTSetTopicFile, topicFile({"renamed", "t", "u"}, {"s0", "s1"}));
    open(f);
    EXPECT_EQ(f.CG_Pub->Cells(2, 2), QStringLiteral("renamed"));
    EXPECT_EQ(f.CG_Pub->Cells(2, 1), QStringLiteral("t"));
    EXPECT_TRUE(f.CG_Sub->Cells(2, 2).isEmpty());  // "-1" finds nothing
}

TEST_F(MQTTAccessWindow, ATableRowWithoutTopicIsReportedAndKeepsItsPlace) {
    writeAll(g_MQTTSetTopicFile,
             "<MQTT_Set_Topic><MQTT_Publish><row Topic=\"a\"/></MQTT_Publish><MQTT_Subscribe><row QoS=\"0\"/>"
             "<row Topic=\"b\"/></MQTT_Subscribe></MQTT_Set_Topic>");
    TFMQTT_Set_Access f;
    open(f);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Subscribe\", row 1: the attribute "
                                "\"Topic\" is missing (1 row in all). Such a row is listed as an empty topic.")});
    EXPECT_EQ(f.Topic_Sub, (QStringList{QString(), QStringLiteral("b")}));
    rec.clear();
    f.Btn_Cancel->click();
    writeAll(g_MQTTSetTopicFile, "<MQTT_Set_Topic><MQTT_Publish>");
    open(f);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Error in \"MQTT_Set_Topic.xml\": ")));
    EXPECT_TRUE(f.Topic_Pub.isEmpty());
}

TEST_F(MQTTAccessWindow, RowsBelowADisabledRowWithoutTopicRefuseOK) {
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "b"}, {}));
    const QByteArray before = accessFile(row("Y", "0", "Int", "2", "0", "kept"), "");
    writeAll(g_MQTTSetAccessFile, before);
    TFMQTT_Set_Access f;
    open(f);
    setRow(*f.CG_Pub, 2, {"N", "", "Int", "3", "", "", "off"});
    setRow(*f.CG_Pub, 3, {"Y", "b", "Int", "2", "8", "", "below"});
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error row 3!! [MQTT Publish] The Topic of row 2 above is empty, which ends "
                                         "the list: this row and every row below row 2 would not be saved. Fill in "
                                         "the Topic of row 2 or delete that row.")});
    EXPECT_EQ(readAll(g_MQTTSetAccessFile), before);
    EXPECT_NE(f.ModalResult(), plat::mrOk);
    // Deleting the row without a topic: both rules are saved, the disabled one unchecked.
    rec.clear();
    f.CG_Pub->SetRow(2);
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 2")});
    rec.clear();
    f.CG_Pub->SetCells(1, 1, QStringLiteral("N"));
    f.CG_Pub->SetCells(4, 1, QStringLiteral("7"));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("count(//MQTT_Publish/row)")), QStringLiteral("2"));
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("string(//MQTT_Publish/row[1]/@Dimension)")),
              QStringLiteral("7"));
    EXPECT_EQ(indexTopic(0, 2), QStringLiteral("1"));

    // Rows emptied by hand keep nothing the file would lose: their topic binding is no data.
    open(f);
    ASSERT_EQ(f.Topic_Item(0, 2), 1);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 7; ++c) f.CG_Pub->SetCells(c, r, QString());
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("count(//MQTT_Publish/row)")), QStringLiteral("0"));
}

TEST_F(MQTTAccessWindow, TheTemplateEditor) {
    EditorStandIn::Log log;
    writeAll(g_MQTTSetTopicFile, topicFile({"a"}, {"s"}));
    TFMQTT_Set_Access f;
    f.Set_Template_Editor(std::make_unique<EditorStandIn>(log));
    open(f);
    setRow(*f.CG_Pub, 1, {"Y", "a", "Int", "2", "0", "{\"v\":$VALUE$}", "m"});
    setRow(*f.CG_Sub, 1, {"Y", "s", "Int", "2", "0", "old", "m"});

    // The header of the Template column: only the sizing, with its option on.
    g_DoubleClickAutoSize = 1;
    const int before = f.CG_Pub->ColWidths(6);
    f.CG_Pub->DblClickCell(0, 6);
    EXPECT_GT(f.CG_Pub->ColWidths(6), before);
    EXPECT_EQ(log.shown, 0);
    // Another column's cell: nothing.
    f.CG_Pub->DblClickCell(1, 7);
    EXPECT_EQ(log.shown, 0);

    // A table cell: the editor in template mode with the cell's text; OK brings back its text.
    log.returned = QStringLiteral("a\r\nb");
    f.CG_Pub->DblClickCell(1, 6);
    EXPECT_EQ(log.shown, 1);
    EXPECT_EQ(log.mode, 1);
    EXPECT_EQ(log.handed, QStringLiteral("{\"v\":$VALUE$}"));
    EXPECT_EQ(f.CG_Pub->Cells(6, 1), QStringLiteral("a\r\nb"));
    // Cancel leaves the cell as it was.
    log.result = plat::mrCancel;
    log.returned = QStringLiteral("never");
    f.CG_Sub->DblClickCell(1, 6);
    EXPECT_EQ(log.shown, 2);
    EXPECT_EQ(log.handed, QStringLiteral("old"));
    EXPECT_EQ(f.CG_Sub->Cells(6, 1), QStringLiteral("old"));

    // The line breaks survive the file and come back unchanged.
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_TRUE(readAll(g_MQTTSetAccessFile).contains("Template=\"a&#13;&#10;b\""));
    EXPECT_EQ(xpath(g_MQTTSetAccessFile, QStringLiteral("string(//MQTT_Publish/row/@Template)")),
              QStringLiteral("a\r\nb"));
    f.CG_Pub->SetCells(6, 1, QString());
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.CG_Pub->Cells(6, 1), QStringLiteral("a\r\nb"));
}

TEST_F(MQTTAccessWindow, InsertRowOnThePublishPageLeavesTheNewRowUnticked) {
    TFMQTT_Set_Access f;
    open(f);
    for (int r = 1; r <= 3; ++r) {
        setRow(*f.CG_Pub, r, {"Y", "p", "Int", "2", "0", "", ""});
        f.CG_Pub->SetCells(7, r, QStringLiteral("pub %1").arg(r));
        setRow(*f.CG_Sub, r, {"Y", "s", "Int", "2", "0", "", ""});
    }
    f.PageControl1->setCurrentIndex(0);
    f.CG_Pub->SetRow(2);
    f.CG_Sub->SetRow(1);
    f.Btn_InsRowClick();
    for (int c = 1; c <= 7; ++c) EXPECT_TRUE(f.CG_Pub->Cells(c, 2).isEmpty()) << c;
    EXPECT_EQ(f.CG_Pub->Cells(7, 3), QStringLiteral("pub 2"));
    EXPECT_EQ(f.CG_Pub->Cells(7, 4), QStringLiteral("pub 3"));
    EXPECT_EQ(f.CG_Sub->Cells(2, 1), QStringLiteral("s"));
    EXPECT_EQ(f.CG_Sub->Cells(2, 4), QString());
    bool ticked = true;
    f.CG_Pub->GetCheckBoxState(1, 2, ticked);
    EXPECT_FALSE(ticked);
}

TEST_F(MQTTAccessWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_MQTTSetTopicFile, topicFile({"plant/line1/temp", "plant/line1/pressure"}, {"plant/cmd/start"}));
    writeAll(g_MQTTSetAccessFile, accessFile(row("Y", "0", "Int", "2", "0", "Boiler") +
                                                 row("N", "1", "Float", "4", "2", "Pump"),
                                             row("Y", "0", "String", "20", "100", "Start")));
    TFMQTT_Set_Access f;
    open(f);
    EXPECT_TRUE(f.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/mqtt-access-list.png")));
}

}  // namespace
