// The Modbus master and Modbus TCP master windows as a user meets them, offscreen with recorded
// message boxes: the topic mode, the publish topics of the MQTT topic file and the positions a file
// keeps for them, the hidden write page, the header hints, and the TCP list's differences.
#include "fieldbus/UModbus_TCP_Master_Set_Access.h"
#include "controls/FadeButton.h"
#include "fieldbus/USetAccess.h"
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

// What xmllint reads at an XPath of a file: the independent view of what was written.
QString xpath(const QString& file, const QString& expression) {
    QProcess p;
    p.start(QStringLiteral("xmllint"), {QStringLiteral("--xpath"), expression, file});
    p.waitForFinished(60000);  // xmllint sets the time; the bound only ends a run that hangs
    QString v = QString::fromUtf8(p.readAllStandardOutput());
    if (v.endsWith(u'\n')) v.chop(1);
    return v;
}

QByteArray topicFile(std::initializer_list<const char*> topics) {
    QByteArray f = "<MQTT_Set_Topic><MQTT_Publish>";
    for (const char* t : topics) f += t ? QByteArray("<row Topic=\"") + t + "\" Retained=\"N\" QoS=\"0\" Mnemonic=\"\"/>"
                                        : QByteArray("<row Retained=\"N\" QoS=\"0\" Mnemonic=\"\"/>");
    return f + "</MQTT_Publish><MQTT_Subscribe><row Topic=\"sub\" Retained=\"N\" QoS=\"0\" Mnemonic=\"\"/>"
               "</MQTT_Subscribe></MQTT_Set_Topic><!--SW_VERSION = 1.003-->";
}

QByteArray masterReadRow(const char* slave, const char* indexTopic, const char* mnemonic) {
    return QByteArray("<row Enable=\"Y\" Slave_ID=\"") + slave +
           "\" Type=\"Holding Register\" Address=\"0\" NPoint=\"2\" PollTime=\"1000\" MaxError=\"0\" Position=\"7\" "
           "Bit=\"\" Swap=\"N\" SwapWord=\"Y\" Index_Topic=\"" + indexTopic + "\" Mnemonic=\"" + mnemonic + "\"/>";
}

// Two write rules: one a user could save, one that breaks a rule.
const QByteArray kMasterWrite =
    "<Modbus_Write><row Enable=\"Y\" Slave_ID=\"3\" Type=\"Coil Status\" Address=\"10\" NPoint=\"8\" PollTime=\"0\" "
    "OnChange=\"Y\" OnCMD=\"N\" MaxError=\"0\" Position=\"1499\" Bit=\"0\" Swap=\"N\" SwapWord=\"N\" Mnemonic=\"w1\"/>"
    "<row Enable=\"Y\" Slave_ID=\"999\" Type=\"\" Address=\"x\" NPoint=\"0\" PollTime=\"\" OnChange=\"N\" "
    "OnCMD=\"Y\" MaxError=\"\" Position=\"1500\" Bit=\"9\" Swap=\"Y\" SwapWord=\"N\" Mnemonic=\"w2 &amp; more\"/>"
    "</Modbus_Write>";

QByteArray masterFile(const QByteArray& readRows, const QByteArray& writeSection = kMasterWrite) {
    return "<EtherNetIP_to_Modbus><Modbus_Read>" + readRows + "</Modbus_Read>" + writeSection +
           "</EtherNetIP_to_Modbus><!--SW_VERSION = 1.111-->";
}

QByteArray tcpReadRow(const char* ip, const char* indexTopic, const char* mnemonic) {
    return QByteArray("<row Enable=\"Y\" IP_Address=\"") + ip +
           "\" Port=\"502\" Slave_ID=\"1\" Type=\"Input Register\" Address=\"0\" NPoint=\"2\" PollTime=\"1000\" "
           "MaxError=\"0\" Position=\"\" Bit=\"\" Swap=\"N\" SwapWord=\"N\" Index_Topic=\"" + indexTopic +
           "\" Mnemonic=\"" + mnemonic + "\"/>";
}

QByteArray tcpFile(const QByteArray& readRows) {
    return "<PROFINET_Master_to_Modbus_TCP_Master><Modbus_Read>" + readRows +
           "</Modbus_Read><Modbus_Write><row Enable=\"N\" IP_Address=\"10.0.0.9\" Port=\"502\" Slave_ID=\"2\" "
           "Type=\"Holding Register\" Address=\"1\" NPoint=\"1\" PollTime=\"0\" OnChange=\"N\" OnCMD=\"N\" "
           "MaxError=\"0\" Position=\"4\" Bit=\"\" Swap=\"N\" SwapWord=\"N\" Mnemonic=\"tw\"/></Modbus_Write>"
           "</PROFINET_Master_to_Modbus_TCP_Master>";
}

class ModbusWindow : public ::testing::Test {
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
        g_EnableJumpFieldTables = 0;
    }
    template <class F>
    void open(F& form) {
        form.show();
        QApplication::processEvents();
    }
    // A user choosing item `item` of the topic drop-down in row `row`.
    static void chooseTopic(TModbusAccessForm& f, int column, int row, int item) {
        f.CG_Modbus_Read->SetCells(column, row, f.List_Publish_Topic.at(item));
        f.CG_Modbus_Read->ComboChange(column, row, item, f.List_Publish_Topic.at(item));
    }

    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(ModbusWindow, LayoutAndTexts) {
    TFSetAccess m;
    TFModbus_TCP_Master_Set_Access t;
    EXPECT_EQ(m.ClientWidth(), 956);
    EXPECT_EQ(t.ClientWidth(), 1150);
    EXPECT_EQ(m.ClientHeight(), 337);
    EXPECT_EQ(m.windowTitle(), QStringLiteral("Set Modbus Access"));
    EXPECT_EQ(t.windowTitle(), QStringLiteral("Set Modbus TCP Master Access"));
    EXPECT_EQ(t.L_SW_Desc()->text(), QStringLiteral("Set Modbus TCP Master Access"));
    EXPECT_EQ(t.font().family(), QStringLiteral("Verdena"));
    EXPECT_EQ(m.PageControl1->tabText(0), QStringLiteral("Modbus Read"));
    EXPECT_EQ(t.PageControl1->tabText(1), QStringLiteral("Modbus Write"));
    EXPECT_EQ(m.CG_Modbus_Read->RowCount(), 513);
    EXPECT_EQ(t.CG_Modbus_Write->RowCount(), 513);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(11, 0), QStringLiteral("SwapWord"));
    EXPECT_EQ(t.CG_Modbus_Read->Cells(13, 0), QStringLiteral("Swap Word"));
    EXPECT_EQ(t.CG_Modbus_Write->Cells(16, 0), QStringLiteral("Mnemonic"));
    EXPECT_EQ(m.CG_Modbus_Read->Columns().Items(12).Color(), TColor(16766421));
    EXPECT_EQ(m.CG_Modbus_Write->Columns().Items(3).ComboItems(),
              (QStringList{QStringLiteral("Coil Status"), QStringLiteral("Holding Register")}));
    EXPECT_EQ(t.CG_Modbus_Read->Columns().Items(5).ComboItems().size(), 4);
    EXPECT_EQ(m.Hint_Modbus_Set_Access_Read.size(), 13);
    EXPECT_EQ(m.Hint_Modbus_Set_Access_Write.size(), 14);
    EXPECT_EQ(m.Hint_Modbus_Set_Access_Read[10], Text_Table[1392]);
    EXPECT_EQ(t.Hint_Modbus_Set_Access_Read.size(), 15);
    EXPECT_EQ(t.Hint_Modbus_Set_Access_Write.size(), 16);
    EXPECT_EQ(t.Hint_Modbus_Set_Access_Write[14], Text_Table[1603]);
    // The TCP list takes four captions from its texts; Copy and Paste keep their own.
    Text_Table[1502] = QStringLiteral("Conferma");
    Text_Table[1306] = QStringLiteral("Copia Riga");
    t.Set_Lang();
    m.Set_Lang();
    EXPECT_EQ(t.Btn_OK->Caption(), QStringLiteral("Conferma"));
    EXPECT_EQ(t.Btn_InsRow->Caption(), QStringLiteral("Insert Row"));
    EXPECT_EQ(t.Btn_CopyRow->Caption(), QStringLiteral("Copy Row"));
    EXPECT_EQ(t.Btn_PasteRow->Caption(), QStringLiteral("Paste Row"));
    EXPECT_EQ(t.Btn_OK->toolTip(), Text_Table[1563]);
    EXPECT_EQ(m.Btn_CopyRow->Caption(), QStringLiteral("Copia Riga"));
}

TEST_F(ModbusWindow, TopicModeHidesTheWritePageAndTheDataAreaColumns) {
    TFSetAccess m;
    TFModbus_TCP_Master_Set_Access t;
    m.PageControl1->setCurrentIndex(1);
    open(m);
    open(t);
    EXPECT_EQ(m.Working_Mode, 0);
    EXPECT_FALSE(m.PageControl1->isTabVisible(1));
    EXPECT_FALSE(t.PageControl1->isTabVisible(1));
    EXPECT_EQ(m.PageControl1->currentIndex(), 0);
    for (int c = 1; c < m.CG_Modbus_Read->TotalColCount(); ++c)
        EXPECT_EQ(m.CG_Modbus_Read->IsHiddenColumn(c), c == 8 || c == 9 || c >= 14) << c;
    for (int c = 1; c < t.CG_Modbus_Read->TotalColCount(); ++c)
        EXPECT_EQ(t.CG_Modbus_Read->IsHiddenColumn(c), c == 10 || c == 11 || c >= 16) << c;
    EXPECT_EQ(m.CG_Modbus_Read->ColCount(), 12);
    EXPECT_EQ(m.CG_Modbus_Write->NumHiddenColumns(), 0);
    EXPECT_EQ(m.CG_Modbus_Write->Columns().Items(10).ComboItems().size(), 1500);
    EXPECT_EQ(t.CG_Modbus_Read->Columns().Items(10).ComboItems().last(), QStringLiteral("1499"));
    EXPECT_EQ(m.CG_Modbus_Read->Columns().Items(9).ComboItems().size(), 8);
    // The reset: numbers, "Y" in Enable, every other cell empty.
    EXPECT_EQ(m.CG_Modbus_Read->Cells(0, 512), QStringLiteral("512"));
    EXPECT_EQ(m.CG_Modbus_Write->Cells(1, 7), QStringLiteral("Y"));
    EXPECT_TRUE(m.CG_Modbus_Write->Cells(2, 7).isEmpty());
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(ModbusWindow, WriteRulesOfAFileSurviveAnOKUnchanged) {
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "b"}));
    writeAll(g_ModbusMSetAccessFile, masterFile(masterReadRow("1", "1", "r1")));
    const QString before = app.file(QStringLiteral("before.xml"));
    QFile::copy(g_ModbusMSetAccessFile, before);
    TFSetAccess m;
    open(m);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 1), QStringLiteral("2 - b"));
    EXPECT_EQ(m.CG_Modbus_Write->Cells(2, 2), QStringLiteral("999"));
    m.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(m.ModalResult(), plat::mrOk);
    for (int r = 1; r <= 2; ++r)
        for (const char* a : {"Enable", "Slave_ID", "Type", "Address", "NPoint", "PollTime", "OnChange", "OnCMD",
                              "MaxError", "Position", "Bit", "Swap", "SwapWord", "Mnemonic"}) {
            const QString x = QStringLiteral("string(//Modbus_Write/row[%1]/@%2)").arg(r).arg(QString::fromLatin1(a));
            EXPECT_EQ(xpath(g_ModbusMSetAccessFile, x), xpath(before, x)) << x.toStdString();
        }
    EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QStringLiteral("count(//Modbus_Write/row)")), QStringLiteral("2"));
    // The read rule keeps its hidden Position and its topic's position, attribute by attribute.
    for (const char* x : {"//Modbus_Read/row/@*", "name(/*)", "/comment()"})
        EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QString::fromLatin1(x)), xpath(before, QString::fromLatin1(x))) << x;
}

TEST_F(ModbusWindow, NumberedTopicsAndThePositionEachRowStores) {
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "a", "b"}));
    writeAll(g_ModbusMSetAccessFile,
             masterFile(masterReadRow("1", "1", "second a") + masterReadRow("2", "0", "first a") +
                        masterReadRow("3", "7", "beyond"), "<Modbus_Write/>"));
    TFSetAccess m;
    open(m);
    EXPECT_EQ(m.List_Publish_Topic,
              (QStringList{QStringLiteral("1 - a"), QStringLiteral("2 - a"), QStringLiteral("3 - b")}));
    EXPECT_EQ(m.CG_Modbus_Read->Columns().Items(12).ComboItems(), m.List_Publish_Topic);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 1), QStringLiteral("2 - a"));
    EXPECT_EQ(m.ComboItem_Topic(1), 1);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 2), QStringLiteral("1 - a"));
    // A position beyond the list shows an empty cell, which OK refuses.
    EXPECT_TRUE(m.CG_Modbus_Read->Cells(12, 3).isEmpty());
    m.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 3!! [Modbus Read] Select a Topic")});
    rec.clear();
    chooseTopic(m, 12, 3, 1);
    chooseTopic(m, 12, 2, 2);
    m.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QStringLiteral("string(//Modbus_Read/row[1]/@Index_Topic)")),
              QStringLiteral("1"));
    EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QStringLiteral("string(//Modbus_Read/row[2]/@Index_Topic)")),
              QStringLiteral("2"));
    EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QStringLiteral("string(//Modbus_Read/row[3]/@Index_Topic)")),
              QStringLiteral("1"));

    // The topic table renamed its first entry: the row at that position shows the new name.
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "renamed", "b"}));
    open(m);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 1), QStringLiteral("2 - renamed"));
}

TEST_F(ModbusWindow, TcpTopicsAreBareAndARowKeepsTheEqualTopicItWasBoundTo) {
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "a", "b"}));
    writeAll(g_ModbusTCPMSetAccessFile,
             tcpFile(tcpReadRow("10.0.0.1", "1", "second a") + tcpReadRow("10.0.0.2", "0", "first a") +
                     tcpReadRow("10.0.0.3", "-1", "none")));
    TFModbus_TCP_Master_Set_Access t;
    open(t);
    EXPECT_EQ(t.List_Publish_Topic, (QStringList{QStringLiteral("a"), QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_EQ(t.CG_Modbus_Read->Cells(14, 1), QStringLiteral("a"));
    EXPECT_EQ(t.CG_Modbus_Read->Cells(14, 2), QStringLiteral("a"));
    EXPECT_TRUE(t.CG_Modbus_Read->Cells(14, 3).isEmpty());
    chooseTopic(t, 14, 3, 1);
    // The binding moves with its row: a row inserted above, then the first row copied below.
    t.CG_Modbus_Read->SetRow(1);
    t.Btn_InsRowClick();
    EXPECT_EQ(t.CG_Modbus_Read->Cells(1, 1), QStringLiteral("Y"));
    t.CG_Modbus_Read->SetRow(1);
    rec.answers = {plat::Answer::Yes};
    t.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 1")});
    rec.clear();
    t.CG_Modbus_Read->SetRow(2);
    t.Btn_CopyRowClick();
    t.CG_Modbus_Read->SetRow(4);
    t.Btn_PasteRowClick();
    t.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const char* expected[] = {"1", "0", "1", "0"};
    for (int r = 1; r <= 4; ++r)
        EXPECT_EQ(xpath(g_ModbusTCPMSetAccessFile, QStringLiteral("string(//Modbus_Read/row[%1]/@Index_Topic)").arg(r)),
                  QString::fromLatin1(expected[r - 1]))
            << r;
    // No version comment; a file with one loads the same.
    EXPECT_EQ(xpath(g_ModbusTCPMSetAccessFile, QStringLiteral("count(/comment())")), QStringLiteral("0"));
    EXPECT_TRUE(readAll(g_ModbusTCPMSetAccessFile).startsWith("<PROFINET_Master_to_Modbus_TCP_Master><Modbus_Read>"));
    writeAll(g_ModbusTCPMSetAccessFile, readAll(g_ModbusTCPMSetAccessFile) + "<!--SW_VERSION = 1.111-->");
    open(t);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(t.CG_Modbus_Read->Cells(15, 4), QStringLiteral("first a"));
    EXPECT_EQ(t.ComboItem_Topic(1), 1);
    EXPECT_EQ(t.CG_Modbus_Write->Cells(16, 1), QStringLiteral("tw"));
}

TEST_F(ModbusWindow, TcpAddressAndPortAreChecked) {
    TFModbus_TCP_Master_Set_Access t;
    open(t);
    const char* row[] = {"Y", "192.168.1", "502", "1", "Coil Status", "0", "8", "1000", "0", "", "", "N", "N", "", "m"};
    for (int c = 1; c <= 15; ++c) t.CG_Modbus_Read->SetCells(c, 1, QString::fromLatin1(row[c - 1]));
    t.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 1!! [Modbus Read] Slave IP Address must be a valid TCP "
                                                       "IP Address (Ex. 192.168.1.125)")});
    EXPECT_FALSE(plat::fileExists(g_ModbusTCPMSetAccessFile));
    rec.clear();
    t.CG_Modbus_Read->SetCells(2, 1, QStringLiteral("192.168.1.125"));
    t.CG_Modbus_Read->SetCells(3, 1, QStringLiteral("65536"));
    t.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 1!! [Modbus Read] Port must be between 0 and 65535")});
    rec.clear();
    t.CG_Modbus_Read->SetCells(3, 1, QStringLiteral("0"));
    t.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 1!! [Modbus Read] Select a Topic")});
    EXPECT_TRUE(t.isVisible());
}

TEST_F(ModbusWindow, HeaderHintsFollowTheRealColumn) {
    TFSetAccess m;
    TFModbus_TCP_Master_Set_Access t;
    open(m);
    open(t);
    // Swap is real column 10, shown 8th behind the hidden Position and Start Bit.
    EXPECT_EQ(m.CG_Modbus_Read->CellHint(0, 8), Text_Table[1352]);
    EXPECT_NE(Text_Table[1352], Text_Table[1350]);
    EXPECT_EQ(m.CG_Modbus_Read->CellHint(0, 10), Text_Table[1353]);  // Topic
    EXPECT_EQ(m.CG_Modbus_Write->CellHint(0, 10), Text_Table[1364]);
    // The TCP read grid shows no header hint; its write grid does.
    for (int c = 1; c < t.CG_Modbus_Read->ColCount(); ++c) EXPECT_TRUE(t.CG_Modbus_Read->CellHint(0, c).isEmpty()) << c;
    EXPECT_EQ(t.CG_Modbus_Write->CellHint(0, 2), Text_Table[1584]);
    EXPECT_EQ(t.CG_Modbus_Write->CellHint(0, 15), Text_Table[1603]);
}

TEST_F(ModbusWindow, EnterMovesOnExceptInTheTcpReadGrid) {
    TFSetAccess m;
    TFModbus_TCP_Master_Set_Access t;
    open(m);
    open(t);
    g_EnableJumpFieldTables = 1;
    for (TExColumnGrid* g : {m.CG_Modbus_Read, t.CG_Modbus_Write, t.CG_Modbus_Read}) {
        g->SetRow(2);
        g->SetCol(2);
    }
    EXPECT_TRUE(m.CG_Modbus_Read->KeyPress(QChar(13)));
    EXPECT_EQ(m.CG_Modbus_Read->Col(), 3);
    EXPECT_TRUE(t.CG_Modbus_Write->KeyPress(QChar(13)));
    // The TCP read grid's own handler leaves Enter alone (the grid itself then keeps it in the
    // read-only cell), and the cell does not move.
    QChar enter(13);
    t.CG_Modbus_Read->OnKeyPress(t.CG_Modbus_Read, enter);
    EXPECT_EQ(enter, QChar(13));
    t.CG_Modbus_Read->KeyPress(QChar(13));
    EXPECT_EQ(t.CG_Modbus_Read->Col(), 2);
}

TEST_F(ModbusWindow, ATopicRowWithoutTopicIsReportedOnceAndTheShowingGoesOn) {
    writeAll(g_MQTTSetTopicFile, topicFile({"a", "b", "c"}));
    writeAll(g_ModbusMSetAccessFile, masterFile(masterReadRow("1", "2", "third"), "<Modbus_Write/>"));
    TFSetAccess m;
    open(m);
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 1), QStringLiteral("3 - c"));
    m.CG_Modbus_Read->SetCells(13, 1, QStringLiteral("cancelled edit"));
    m.CG_Modbus_Read->SetCells(2, 5, QStringLiteral("9"));
    m.CG_Modbus_Read->SetRow(1);
    m.Btn_CopyRowClick();
    ASSERT_TRUE(m.Do_Copy_In_Read);
    m.Btn_Cancel->click();

    writeAll(g_MQTTSetTopicFile, topicFile({"a", nullptr, "c"}));
    open(m);
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error in \"MQTT_Set_Topic.xml\": section \"MQTT_Publish\", row 2: the "
                                         "attribute \"Topic\" is missing (1 row in all). Such a row is listed as an "
                                         "empty topic.")});
    EXPECT_EQ(m.List_Publish_Topic,
              (QStringList{QStringLiteral("1 - a"), QStringLiteral("2 - "), QStringLiteral("3 - c")}));
    EXPECT_EQ(m.CG_Modbus_Read->Cells(13, 1), QStringLiteral("third"));
    EXPECT_EQ(m.CG_Modbus_Read->Cells(12, 1), QStringLiteral("3 - c"));
    EXPECT_TRUE(m.CG_Modbus_Read->Cells(2, 5).isEmpty());
    EXPECT_FALSE(m.Do_Copy_In_Read);  // the showing ran to its end
    rec.clear();
    m.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xpath(g_ModbusMSetAccessFile, QStringLiteral("string(//Modbus_Read/row/@Index_Topic)")),
              QStringLiteral("2"));
}

TEST_F(ModbusWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_MQTTSetTopicFile, topicFile({"plant/line1/temp", "plant/line1/pressure"}));
    writeAll(g_ModbusMSetAccessFile, masterFile(masterReadRow("1", "0", "Boiler") + masterReadRow("2", "1", "Pump")));
    writeAll(g_ModbusTCPMSetAccessFile, tcpFile(tcpReadRow("192.168.1.125", "1", "Meter")));
    TFSetAccess m;
    TFModbus_TCP_Master_Set_Access t;
    const std::pair<TAccessListForm*, const char*> shots[] = {{&m, "/modbus-list.png"}, {&t, "/modbus-tcp-list.png"}};
    for (const auto& [form, name] : shots) {
        open(*form);
        EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(dir) + QString::fromLatin1(name)));
        form->Btn_Cancel->click();
    }
}

}  // namespace
