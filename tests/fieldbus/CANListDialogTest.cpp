// The CAN receive and transmit lists as a user meets them, offscreen with recorded message boxes:
// their layout and texts, the byte columns' items, what a file loads as and is saved as, and the
// messages of OK.
#include "fieldbus/UReceiveCAN.h"
#include "controls/FadeButton.h"
#include "fieldbus/UTransmitCAN.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

class CANWindow : public ::testing::Test {
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
    }
    static void open(QWidget& form) {
        form.show();
        QApplication::processEvents();
    }
    static void setRow(TExColumnGrid& g, int r, std::initializer_list<const char*> cells) {
        int c = 1;
        for (const char* t : cells) g.SetCells(c++, r, QString::fromUtf8(t));
    }
    static QStringList rowOf(const TExColumnGrid& g, int r) {
        QStringList cells;
        for (int c = 1; c < g.ColCount(); ++c) cells << g.Cells(c, r);
        return cells;
    }

    TempAppDir app;
    RecordingDialogs rec;
};

TEST_F(CANWindow, LayoutAndTexts) {
    TFReceiveCAN rx;
    TFTransmitCAN tx;
    const struct {
        TAccessListForm* form;
        TExColumnGrid* grid;
        int width;
        const char* caption;
        QStringList headers;
        std::vector<int> checks;
        int firstByte;
        QStringList* hints;
        std::vector<int> hintTexts;
    } lists[] = {
        {&rx, rx.CG_CAN_Receive, 1010, "Receive CAN Frames Set Access",
         {"N", "Enable", "CobID", "Type", "Dimension", "TimeOut", "Byte1", "Byte2", "Byte3", "Byte4", "Byte5", "Byte6",
          "Byte7", "Byte8", "Mnemonic"},
         {1}, 6, &rx.Hint_ReceiveCAN,
         {2129, 2130, 2131, 2132, 2134, 2135, 2136, 2137, 2138, 2139, 2140, 2141, 2142, 2143}},
        {&tx, tx.CG_CAN_Transmit, 1100, "Transmit CAN Frames Set Access",
         {"N", "Enable", "CobID", "Type", "Dimension", "OnChange", "OnCMD", "OnTimer", "Time", "Byte1", "Byte2",
          "Byte3", "Byte4", "Byte5", "Byte6", "Byte7", "Byte8", "Mnemonic"},
         {1, 5, 6, 7}, 9, &tx.Hint_TransmitCAN,
         {2231, 2232, 2233, 2234, 2235, 2263, 2236, 2237, 2238, 2239, 2240, 2241, 2242, 2243, 2244, 2245, 2246}},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.caption);
        open(*l.form);
        EXPECT_EQ(l.form->ClientWidth(), l.width);
        EXPECT_EQ(l.form->ClientHeight(), 337);
        EXPECT_EQ(l.form->windowTitle(), QString::fromLatin1(l.caption));
        EXPECT_EQ(l.grid->RowCount(), 513);
        ASSERT_EQ(l.grid->ColCount(), l.headers.size());
        for (int c = 0; c < l.headers.size(); ++c) {
            EXPECT_EQ(l.grid->Cells(c, 0), l.headers[c]) << c;
            const bool check = std::find(l.checks.begin(), l.checks.end(), c) != l.checks.end();
            EXPECT_EQ(l.grid->Columns().Items(c).Editor() == edDataCheckBox, check) << c;
        }
        EXPECT_EQ(l.grid->Columns().Items(3).ComboItems(), (QStringList{"2.0A (11 bits)", "2.0B (29 bits)"}));
        QStringList hints;
        for (int t : l.hintTexts) hints << Text_Table[t];
        EXPECT_EQ(*l.hints, hints);
        // The byte columns: "None" and every position, one list for all eight.
        const QStringList& first = std::as_const(*l.grid).Columns().Items(l.firstByte).ComboItems();
        ASSERT_EQ(first.size(), 1441);
        EXPECT_EQ(first[0], QStringLiteral("None"));
        EXPECT_EQ(first[1], QStringLiteral("0"));
        EXPECT_EQ(first.last(), QStringLiteral("1439"));
        for (int k = 1; k < 8; ++k)
            EXPECT_EQ(std::as_const(*l.grid).Columns().Items(l.firstByte + k).ComboItems().constData(),
                      first.constData())
                << k;
        // The reset: row numbers, "Y" in Enable, the rest empty.
        EXPECT_EQ(l.grid->Cells(0, 512), QStringLiteral("512"));
        EXPECT_EQ(l.grid->Cells(1, 512), QStringLiteral("Y"));
        EXPECT_TRUE(l.grid->Cells(2, 512).isEmpty());
        // No row selection from column 0.
        l.form->ClickCell(l.grid, 4, 0);
        EXPECT_FALSE(l.grid->GetRowSelect(4));
    }
    EXPECT_EQ(rx.MAX_Byte, 1440);
    EXPECT_EQ(tx.Hard_Type, 1);
    EXPECT_EQ(rx.Btn_PasteRow->toolTip(), Text_Table[2128]);
    EXPECT_EQ(tx.Btn_OK->toolTip(), Text_Table[2225]);
}

TEST_F(CANWindow, TransmitFileLoadsWithItsDefaultsAndIsSavedAsItStands) {
    writeAll(g_CANSendFramesFile,
             "<Transmit_Frames><row COBID=\"0x10\" Dim=\"2\" Byte1=\"4\" Byte2=\"None\" Mnemonic=\"old\"/>"
             "<row Enable=\"N\" COBID=\"7\" CAN_Type=\"2.0B (29 bits)\" Dim=\"1\" OnTimer=\"Y\"/>"
             "</Transmit_Frames><!--SW_VERSION = 1.002-->");
    TFTransmitCAN tx;
    open(tx);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(rowOf(*tx.CG_CAN_Transmit, 1),
              (QStringList{"Y", "0x10", "2.0A (11 bits)", "2", "Y", "N", "N", "", "4", "None", "", "", "", "", "", "",
                           "old"}));
    EXPECT_EQ(rowOf(*tx.CG_CAN_Transmit, 2),
              (QStringList{"N", "7", "2.0B (29 bits)", "1", "Y", "N", "Y", "0", "", "", "", "", "", "", "", "", ""}));
    tx.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_CANSendFramesFile),
              QByteArray("<Transmit_Frames><row Enable=\"Y\" COBID=\"0x10\" CAN_Type=\"2.0A (11 bits)\" Dim=\"2\" "
                         "OnChange=\"Y\" OnCMD=\"N\" OnTimer=\"N\" Time=\"\" Byte1=\"4\" Byte2=\"None\" Byte3=\"\" "
                         "Byte4=\"\" Byte5=\"\" Byte6=\"\" Byte7=\"\" Byte8=\"\" Mnemonic=\"old\"/>"
                         "<row Enable=\"N\" COBID=\"7\" CAN_Type=\"2.0B (29 bits)\" Dim=\"1\" OnChange=\"Y\" "
                         "OnCMD=\"N\" OnTimer=\"Y\" Time=\"0\" Byte1=\"\" Byte2=\"\" Byte3=\"\" Byte4=\"\" Byte5=\"\" "
                         "Byte6=\"\" Byte7=\"\" Byte8=\"\" Mnemonic=\"\"/></Transmit_Frames><!--SW_VERSION = 1.002-->"));
}

TEST_F(CANWindow, ReceiveOKStopsAtTheFirstFailingRow) {
    TFReceiveCAN rx;
    open(rx);
    setRow(*rx.CG_CAN_Receive, 1, {"Y", "2047", "2.0A (11 bits)", "2", "0", "10", "None", "5000"});
    setRow(*rx.CG_CAN_Receive, 2, {"Y", "2048", "2.0B (29 bits)", "3", "0", "10", "None", "5000"});
    rx.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 2!! Byte3 must be between 0 and 1439 or None")});
    EXPECT_FALSE(plat::fileExists(g_CANRecFramesFile));
    rec.clear();
    rx.CG_CAN_Receive->SetCells(4, 2, QStringLiteral("2"));
    rx.CG_CAN_Receive->SetCells(3, 1, QString());
    rx.CG_CAN_Receive->SetCells(2, 1, QStringLiteral("536870912"));
    rx.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error row 1!! CobID must be between 0x00000000 and 0x1FFFFFFF")});
    rec.clear();
    rx.CG_CAN_Receive->SetCells(2, 1, QStringLiteral("0x1FFFFFFF"));
    rx.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(rx.ModalResult(), plat::mrOk);
    EXPECT_TRUE(readAll(g_CANRecFramesFile).startsWith(
        "<Receive_Frames><row Enable=\"Y\" COBID=\"0x1FFFFFFF\" CAN_Type=\"\" Dim=\"2\" TimeOut=\"0\" Byte1=\"10\" "
        "Byte2=\"None\" Byte3=\"5000\""));

    // A file row without TimeOut loads "0".
    writeAll(g_CANRecFramesFile, "<Receive_Frames><row COBID=\"1\" Dim=\"1\"/></Receive_Frames>");
    open(rx);
    EXPECT_EQ(rowOf(*rx.CG_CAN_Receive, 1).mid(0, 5), (QStringList{"Y", "1", "", "1", "0"}));
}

TEST_F(CANWindow, RowButtons) {
    TFTransmitCAN tx;
    open(tx);
    setRow(*tx.CG_CAN_Transmit, 1, {"N", "1"});
    setRow(*tx.CG_CAN_Transmit, 2, {"N", "2"});
    tx.CG_CAN_Transmit->SetRow(1);
    tx.Btn_InsRowClick();
    EXPECT_EQ(tx.CG_CAN_Transmit->Cells(1, 1), QStringLiteral("Y"));
    EXPECT_TRUE(tx.CG_CAN_Transmit->Cells(2, 1).isEmpty());
    EXPECT_EQ(tx.CG_CAN_Transmit->Cells(2, 3), QStringLiteral("2"));
    rec.answers = {plat::Answer::Yes};
    tx.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 1")});
    EXPECT_EQ(tx.CG_CAN_Transmit->Cells(2, 1), QStringLiteral("1"));
}

TEST_F(CANWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_CANRecFramesFile, "<Receive_Frames><row COBID=\"0x181\" CAN_Type=\"2.0A (11 bits)\" Dim=\"2\" "
                                 "Byte1=\"0\" Byte2=\"1\" Mnemonic=\"Drive status\"/></Receive_Frames>");
    writeAll(g_CANSendFramesFile, "<Transmit_Frames><row COBID=\"0x201\" Dim=\"1\" OnTimer=\"Y\" Time=\"100\" "
                                  "Byte1=\"20\" Mnemonic=\"Drive command\"/></Transmit_Frames>");
    TFReceiveCAN rx;
    TFTransmitCAN tx;
    const std::pair<TAccessListForm*, const char*> shots[] = {{&rx, "/can-receive.png"}, {&tx, "/can-transmit.png"}};
    for (const auto& [form, name] : shots) {
        open(*form);
        EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(dir) + QString::fromLatin1(name)));
        form->Btn_Cancel->click();
    }
}

}  // namespace
