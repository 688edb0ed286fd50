// The SNMP agent window as a user meets it, offscreen with recorded message boxes: the two pages,
// the object index in column 0, the file with both lists, OK and its refusals, the row buttons and
// the length limit of names.
#include "platform/InplaceEdit.h"
#include "building/SNMPSchema.h"
#include "building/UKNXAccess.h"
#include "building/USNMP_Trap_Access.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"
#include "tests/support/EventWait.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using SNMPWindow = building_tests::ListWindow;
using building_tests::xvalue;
using namespace snmp;

void fillRead(TExColumnGrid& g, int row, const QString& description) {
    const char* cells[] = {"Y", "public", "Int", "N", "Y", "Y", "1000", "12", "0", "16", "", "192.168.1.125",
                           "Float * 10", "room \"A\""};
    for (int c = 1; c <= 14; ++c) g.SetCells(c, row, QString::fromUtf8(cells[c - 1]));
    g.SetCells(rDescription, row, description);
}

void fillWrite(TExColumnGrid& g, int row, const QString& description) {
    const char* cells[] = {"Y", "private", "String", "20", "0", "4", "", "None", "setpoint"};
    for (int c = 1; c <= 9; ++c) g.SetCells(c, row, QString::fromUtf8(cells[c - 1]));
    g.SetCells(wDescription, row, description);
}

QStringList index(const TExColumnGrid& g, int rows) {
    QStringList l;
    for (int r = 1; r <= rows; ++r) l << g.Cells(0, r);
    return l;
}

TEST_F(SNMPWindow, LayoutPagesAndTexts) {
    TFSNMP_Trap_Access f;
    EXPECT_EQ(f.ClientWidth(), 1256);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Set SNMP Trap Access"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("Set SNMP Trap Access"));
    ASSERT_NE(f.PageControl1, nullptr);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("SNMP Read"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("SNMP Write"));
    EXPECT_EQ(f.TS_SNMP_Read->objectName(), QStringLiteral("TS_SNMP_Read"));
    EXPECT_EQ(f.CG_SNMP_Write->objectName(), QStringLiteral("CG_SNMP_Write"));
    EXPECT_EQ(f.CG_SNMP_Read->ColCount(), 15);
    EXPECT_EQ(f.CG_SNMP_Write->ColCount(), 10);
    EXPECT_EQ(f.CG_SNMP_Read->RowCount(), 257);
    EXPECT_EQ(f.CG_SNMP_Write->RowCount(), 257);
    const std::vector<int> readHeaders = {3916, 3917, 3918, 3919, 3920, 3921, 3922, 3923,
                                          3924, 3925, 3926, 3927, 3928, 3981, 3929};
    const std::vector<int> readHints = {3939, 3940, 3941, 3942, 3943, 3944, 3945, 3946, 3947, 3948, 3949, 3950, 3983, 3951};
    const std::vector<int> writeHeaders = {3930, 3931, 3932, 3933, 3934, 3935, 3936, 3937, 3982, 3938};
    const std::vector<int> writeHints = {3952, 3953, 3954, 3955, 3956, 3957, 3958, 3984, 3959};
    const struct {
        TExColumnGrid* g;
        const std::vector<int>& headers;
        const std::vector<int>& hints;
    } grids[] = {{f.CG_SNMP_Read, readHeaders, readHints}, {f.CG_SNMP_Write, writeHeaders, writeHints}};
    for (const auto& p : grids)
        for (int c = 0; c < int(p.headers.size()); ++c) {
            EXPECT_EQ(p.g->Cells(c, 0), Text_Table[p.headers[size_t(c)]]) << c;
            if (c > 0) EXPECT_EQ(p.g->CellHint(0, c), Text_Table[p.hints[size_t(c - 1)]]) << c;
        }
    const TFadeButton* buttons[] = {f.Btn_OK, f.Btn_Cancel, f.Btn_DelRow, f.Btn_InsRow, f.Btn_CopyRow, f.Btn_PasteRow};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i]->Caption(), Text_Table[3902 + i]) << i;
        EXPECT_EQ(buttons[i]->toolTip(), Text_Table[3910 + i]) << i;
    }
    for (int c : {rEnable, rOnChange, rOnCommand, rOnTimer})
        EXPECT_EQ(f.CG_SNMP_Read->Columns().Items(c).Editor(), edDataCheckBox) << c;
    EXPECT_EQ(f.CG_SNMP_Write->Columns().Items(wEnable).Editor(), edDataCheckBox);
    EXPECT_EQ(f.CG_SNMP_Read->Columns().Items(rCommunity).ComboItems(), (QStringList{"Corvex", "Dunmore"}));
    EXPECT_EQ(f.CG_SNMP_Write->Columns().Items(wConversion).ComboItems().size(), 6);
    for (const auto& [g, c] : {std::pair{f.CG_SNMP_Read, int(rCommunity)}, {f.CG_SNMP_Read, int(rDescription)},
                               {f.CG_SNMP_Write, int(wCommunity)}, {f.CG_SNMP_Write, int(wDescription)}})
        EXPECT_EQ(g->Columns().Items(c).EditLength, 15) << c;
    open(f);
    EXPECT_EQ(f.CG_SNMP_Write->Columns().Items(wPosition).ComboItems().size(), 1440);
    EXPECT_EQ(f.NByte_IN, 1440);
    EXPECT_EQ(f.NByte_OUT, 1440);
}

TEST_F(SNMPWindow, TheObjectIndexCountsTheEnabledRows) {
    TFSNMP_Trap_Access f;
    open(f);
    // A new project: every reset row is enabled.
    for (TExColumnGrid* g : {f.CG_SNMP_Read, f.CG_SNMP_Write}) {
        EXPECT_EQ(g->Cells(0, 1), QStringLiteral("1"));
        EXPECT_EQ(g->Cells(0, 256), QStringLiteral("256"));
    }
    // Unticking Enable in row 3 by the keyboard, as a user does.
    TExColumnGrid& g = *f.CG_SNMP_Read;
    g.SetRow(3);
    g.SetCol(1);
    QTest::keyClick(&g, Qt::Key_Space);
    ASSERT_EQ(g.Cells(1, 3), QStringLiteral("N"));
    EXPECT_EQ(index(g, 5), (QStringList{"1", "2", "", "3", "4"}));
    EXPECT_EQ(g.Cells(0, 256), QStringLiteral("255"));
    EXPECT_EQ(f.CG_SNMP_Write->Cells(0, 256), QStringLiteral("256"));
    // Another check box leaves the index; the row buttons do not rebuild it either.
    g.SetCells(1, 1, QStringLiteral("N"));
    g.SetRow(2);
    g.SetCol(rOnChange);
    QTest::keyClick(&g, Qt::Key_Space);
    EXPECT_EQ(index(g, 2), (QStringList{"1", "2"}));
    f.Btn_InsRowClick();
    EXPECT_EQ(index(g, 5), (QStringList{"1", "2", "", "3", "4"}));
    // The write page's boxes rebuild the index too.
    TExColumnGrid& w = *f.CG_SNMP_Write;
    w.SetRow(1);
    w.SetCol(1);
    QTest::keyClick(&w, Qt::Key_Space);
    EXPECT_EQ(index(w, 3), (QStringList{"", "1", "2"}));
    EXPECT_EQ(index(g, 3), (QStringList{"", "1", "2"}));
    // Shown again, the file's rows are indexed over their Enable.
    writeAll(g_SNMPTrapFile,
             "<SNMP_Trap><SNMP_Trap_Read><row Enable=\"N\" Community_Name=\"a\"/><row Enable=\"y\" Community_Name=\"b\"/>"
             "<row Community_Name=\"c\"/></SNMP_Trap_Read><SNMP_Trap_Write/></SNMP_Trap>");
    open(f);
    EXPECT_EQ(index(g, 5), (QStringList{"", "1", "2", "3", "4"}));
}

TEST_F(SNMPWindow, BothListsSavedInFullADisabledRowToo) {
    TFSNMP_Trap_Access f;
    open(f);
    fillRead(*f.CG_SNMP_Read, 1, QStringLiteral("temp1"));
    fillRead(*f.CG_SNMP_Read, 2, QStringLiteral("Not Checked"));
    f.CG_SNMP_Read->SetCells(rEnable, 2, QStringLiteral("N"));
    fillWrite(*f.CG_SNMP_Write, 1, QString());
    f.Btn_OK_Click();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const QString& file = g_SNMPTrapFile;
    EXPECT_EQ(xvalue(file, QStringLiteral("string(/comment())")), QStringLiteral("SW_VERSION = 1.001"));
    EXPECT_EQ(xvalue(file, QStringLiteral("name(/SNMP_Trap/*[1])")), QStringLiteral("SNMP_Trap_Read"));
    EXPECT_EQ(xvalue(file, QStringLiteral("name(/SNMP_Trap/*[2])")), QStringLiteral("SNMP_Trap_Write"));
    EXPECT_EQ(xvalue(file, QStringLiteral("count(//SNMP_Trap_Read/row)")), QStringLiteral("2"));
    EXPECT_EQ(xvalue(file, QStringLiteral("string(//SNMP_Trap_Read/row[2]/@Description)")), QStringLiteral("Not Checked"));
    const char* readNames[] = {"Enable", "Community_Name", "Type", "On_Change", "On_Command", "On_Timer", "Time",
                               "Position", "Bit", "NumBits", "Description", "IP_Address", "Conversion", "Mnemonic"};
    const char* writeNames[] = {"Enable", "Community_Name", "Type", "Position", "Bit", "NumBits", "Description",
                                "Conversion", "Mnemonic"};
    for (int a = 0; a < 14; ++a) {
        EXPECT_EQ(xvalue(file, QStringLiteral("name(//SNMP_Trap_Read/row[1]/@*[%1])").arg(a + 1)), QString::fromLatin1(readNames[a]));
        EXPECT_EQ(xvalue(file, QStringLiteral("string(//SNMP_Trap_Read/row[1]/@*[%1])").arg(a + 1)), f.CG_SNMP_Read->Cells(a + 1, 1));
    }
    for (int a = 0; a < 9; ++a) {
        EXPECT_EQ(xvalue(file, QStringLiteral("name(//SNMP_Trap_Write/row[1]/@*[%1])").arg(a + 1)), QString::fromLatin1(writeNames[a]));
        EXPECT_EQ(xvalue(file, QStringLiteral("string(//SNMP_Trap_Write/row[1]/@*[%1])").arg(a + 1)), f.CG_SNMP_Write->Cells(a + 1, 1));
    }
    EXPECT_EQ(f.SL_Check_Desc, (QStringList{"temp1", ""}));
    // Read back, with the defaults of missing attributes.
    writeAll(file, readAll(file).replace(" Conversion=\"None\"", ""));
    TFSNMP_Trap_Access again;
    open(again);
    for (int c = 1; c <= 14; ++c) EXPECT_EQ(again.CG_SNMP_Read->Cells(c, 1), f.CG_SNMP_Read->Cells(c, 1)) << c;
    EXPECT_EQ(again.CG_SNMP_Write->Cells(wConversion, 1), QStringLiteral("None"));
    EXPECT_EQ(again.CG_SNMP_Write->Cells(wMnemonic, 1), QStringLiteral("setpoint"));
}

TEST_F(SNMPWindow, RefusalsOnOKKeepTheFile) {
    struct Case {
        const char* name;
        std::function<void(TFSNMP_Trap_Access&)> edit;
        const char* message;
    } cases[] = {
        {"an empty IP address on the read page",
         [](TFSNMP_Trap_Access& f) { f.CG_SNMP_Read->SetCells(rIPAddress, 2, QString()); },
         "Error row 2!! [SNMP Read] IP Address must be a valid TCP IP Address (Ex. 192.168.1.125)"},
        {"a capital on the write page",
         [](TFSNMP_Trap_Access& f) { f.CG_SNMP_Write->SetCells(wDescription, 1, QStringLiteral("Out")); },
         "Error row 1!! [SNMP Write] Descrtiption is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and "
         "\"0\"..\"9\"). First character must be a letter and must be lowercase"},
        {"one description on both pages",
         [](TFSNMP_Trap_Access& f) { f.CG_SNMP_Write->SetCells(wDescription, 1, QStringLiteral("temp2")); },
         "Error!! The Descriptions must be all differents"},
        {"a hyphen in a community name",
         [](TFSNMP_Trap_Access& f) { f.CG_SNMP_Read->SetCells(rCommunity, 1, QStringLiteral("ab-c")); },
         "Error row 1!! [SNMP Read] Community Name is not correct (allowed characters are \"a\"..\"z\", \"A\"..\"Z\" and "
         "\"0\"..\"9\")"},
    };
    writeAll(g_SNMPTrapFile, "<SNMP_Trap><SNMP_Trap_Read/><SNMP_Trap_Write/></SNMP_Trap>");
    const QByteArray before = readAll(g_SNMPTrapFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TFSNMP_Trap_Access f;
        open(f);
        fillRead(*f.CG_SNMP_Read, 1, QStringLiteral("temp1"));
        fillRead(*f.CG_SNMP_Read, 2, QStringLiteral("temp2"));
        fillWrite(*f.CG_SNMP_Write, 1, QStringLiteral("out1"));
        c.edit(f);
        rec.clear();
        f.Btn_OK_Click();
        EXPECT_EQ(rec.errors(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(readAll(g_SNMPTrapFile), before);
        EXPECT_EQ(f.ModalResult(), plat::mrNone);
    }
}

TEST_F(SNMPWindow, RowButtonsActOnTheActivePage) {
    TFSNMP_Trap_Access f;
    open(f);
    fillRead(*f.CG_SNMP_Read, 1, QStringLiteral("temp1"));
    f.CG_SNMP_Read->SetRow(1);
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_In_Read);
    f.PageControl1->setCurrentIndex(1);
    f.CG_SNMP_Write->SetRow(1);
    f.Btn_PasteRowClick();  // the copy was made on the other page
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error!!! Copy a valid row before Paste it")});
    fillWrite(*f.CG_SNMP_Write, 1, QStringLiteral("out1"));
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_In_Write);
    EXPECT_FALSE(f.Do_Copy_In_Read);
    f.CG_SNMP_Write->SetRow(2);
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_EQ(f.CG_SNMP_Write->Cells(wDescription, 2), QStringLiteral("out1"));
    f.CG_SNMP_Write->SetRow(1);
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 1")});
    EXPECT_EQ(f.CG_SNMP_Write->Cells(wDescription, 1), QStringLiteral("out1"));
    EXPECT_TRUE(f.CG_SNMP_Write->Cells(wDescription, 2).isEmpty());
    EXPECT_EQ(f.CG_SNMP_Read->Cells(rDescription, 1), QStringLiteral("temp1"));
}

// Community names and descriptions take at most 15 characters from the keyboard, the community's
// drop-down editor too.
TEST_F(SNMPWindow, ASixteenthCharacterOfANameIsRefused) {
    const struct {
        const char* name;
        int page, column;
    } cases[] = {
        {"read description", 0, rDescription},
        {"read community", 0, rCommunity},
        {"write community", 1, wCommunity},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TFSNMP_Trap_Access f;
        open(f);
        f.PageControl1->setCurrentIndex(c.page);
        f.activateWindow();
        ASSERT_TRUE(testing_support::waitForWindowActive(&f));
        TExColumnGrid& g = c.page == 0 ? *f.CG_SNMP_Read : *f.CG_SNMP_Write;
        g.setFocus();
        g.SetRow(1);
        g.SetCol(g.DisplColIndex(c.column));
        QTest::keyClick(&g, Qt::Key_A);  // typing opens the editor with the key
        ASSERT_TRUE(g.EditorMode() || g.EditMode());  // the text editor, or the drop-down's
        QWidget* editor = QApplication::focusWidget();
        ASSERT_NE(editor, nullptr);
        ASSERT_TRUE(g.isAncestorOf(editor));
        QTest::keyClicks(editor, "bcdefghijklmnopq");
        QTest::keyClick(editor, Qt::Key_Return);
        QApplication::processEvents();
        EXPECT_EQ(g.Cells(c.column, 1), QStringLiteral("abcdefghijklmno"));
    }
}

// A longer name read from a file is shown whole and refused at OK, naming its row.
TEST_F(SNMPWindow, ALongerNameFromAFileIsRefusedAtOK) {
    const struct {
        const char* name;
        const char* readRows;
        const char* writeRows;
        int page, column, row;
        const char* shown;
        const char* message;
    } cases[] = {
        {"community on the write page", "",
         "<row Enable=\"Y\" Community_Name=\"public\" Type=\"Int\" Position=\"0\" Bit=\"0\" NumBits=\"8\" "
         "Description=\"out1\"/><row Enable=\"Y\" Community_Name=\"abcdefghijklmnop\" Type=\"Int\" Position=\"1\" "
         "Bit=\"0\" NumBits=\"8\" Description=\"out2\"/>",
         1, wCommunity, 2, "abcdefghijklmnop",
         "Error row 2!! [SNMP Write] Community Name must be at most 15 characters"},
        {"description on the read page",
         "<row Enable=\"Y\" Community_Name=\"public\" Type=\"Int\" Position=\"0\" Bit=\"0\" NumBits=\"8\" "
         "Description=\"temperatureroom1\" IP_Address=\"10.0.0.1\"/>",
         "", 0, rDescription, 1, "temperatureroom1",
         "Error row 1!! [SNMP Read] Description must be at most 15 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        rec.clear();
        writeAll(g_SNMPTrapFile, QByteArray("<SNMP_Trap><SNMP_Trap_Read>") + c.readRows +
                                     "</SNMP_Trap_Read><SNMP_Trap_Write>" + c.writeRows +
                                     "</SNMP_Trap_Write></SNMP_Trap>");
        const QByteArray before = readAll(g_SNMPTrapFile);
        TFSNMP_Trap_Access f;
        open(f);
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        const TExColumnGrid& g = c.page == 0 ? *f.CG_SNMP_Read : *f.CG_SNMP_Write;
        EXPECT_EQ(g.Cells(c.column, c.row), QString::fromLatin1(c.shown));
        rec.clear();
        f.Btn_OK_Click();
        EXPECT_EQ(rec.errors(), QStringList{QString::fromUtf8(c.message)});
        EXPECT_EQ(readAll(g_SNMPTrapFile), before);
        EXPECT_EQ(f.ModalResult(), plat::mrNone);
    }
}

using ScreenshotOfKNXAndSNMP = building_tests::ListWindow;

TEST_F(ScreenshotOfKNXAndSNMP, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_KNXSetAccessFile,
             "<BACnet_to_KNX><KNX_in_Write><row Enable=\"Y\" Source_Address=\"1.1.20\" Destination_Address=\"1/2/3\" "
             "APCI=\"Write\" Priority=\"Low\" Format=\"Swap16\" MultiplicationFactor=\"0,5\" Extended=\"N\" "
             "ReTest=\"Y\" On_Command=\"N\" On_Change=\"Y\" On_Timer=\"Y\" Poll_Time=\"500\" Position=\"10\" "
             "Bit_Mode=\"No\" Length=\"2\" TimeOut=\"200\" Mnemonic=\"Hall dimmer\"/></KNX_in_Write></BACnet_to_KNX>");
    writeAll(g_SNMPTrapFile,
             "<SNMP_Trap><SNMP_Trap_Read><row Enable=\"Y\" Community_Name=\"public\" Type=\"Int\" On_Change=\"Y\" "
             "On_Command=\"N\" On_Timer=\"N\" Time=\"\" Position=\"0\" Bit=\"0\" NumBits=\"16\" Description=\"temp1\" "
             "IP_Address=\"192.168.1.125\" Conversion=\"None\" Mnemonic=\"Boiler\"/><row Enable=\"N\" "
             "Community_Name=\"public\" Type=\"String\"/><row Enable=\"Y\" Community_Name=\"public\" Type=\"Int\"/>"
             "</SNMP_Trap_Read><SNMP_Trap_Write/></SNMP_Trap>");
    TFKNXAccess knxWindow;
    TFSNMP_Trap_Access snmpWindow;
    const std::pair<TAccessListForm*, const char*> shots[] = {{&knxWindow, "/knx.png"}, {&snmpWindow, "/snmp-agent.png"}};
    for (const auto& [form, name] : shots) {
        open(*form);
        EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(dir) + QString::fromLatin1(name)));
        form->Btn_Cancel->click();
    }
}

}  // namespace
