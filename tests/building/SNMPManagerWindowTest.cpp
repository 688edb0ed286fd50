// The SNMP manager window as a user meets it, offscreen with recorded message boxes: its layout and
// texts, the file it reads and writes, its row buttons and what it refuses on OK.
#include "building/SNMPManagerSchema.h"
#include "building/USNMPManagerAccess.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"

#include <gtest/gtest.h>

#include <QLabel>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using namespace snmpmanager;
using SNMPManagerWindow = building_tests::ListWindow;
using building_tests::xvalue;

const char* const kTwoRequests =
    "<SNMP_Manager_Access>"
    "<row Enable=\"Y\" IP_Address=\"10.0.0.7\" Version=\"2\" Community_String=\"Corvex\" OID=\"1.3.6.1.2.1.1.3.0\" "
    "Type=\"Int\" Mode=\"Get\" On_Change=\"N\" On_Command=\"N\" On_Timer=\"Y\" Time=\"5000\" Position=\"0\" "
    "Number_Bytes=\"4\" Cancel=\"Y\" User=\"\" Auth_Pass=\"\" Priv_Pass=\"\" Security_Level=\"\" Auth_Mode=\"\" "
    "Priv_Mode=\"\" Mnemonic=\"Uptime\"/>"
    "<row Enable=\"N\" IP_Address=\"10.0.0.999\" Version=\"3\" OID=\"1.3.\" Number_Bytes=\"5000\" "
    "Mnemonic=\"spare\"/>"
    "</SNMP_Manager_Access><!--SW_VERSION = 1.003-->";

TEST_F(SNMPManagerWindow, LayoutAndTexts) {
    TFSNMPManagerAccess f;
    EXPECT_EQ(f.ClientWidth(), 1230);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Set SNMP Manager Access"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(f.CG_SNMP->objectName(), QStringLiteral("CG_SNMP"));
    EXPECT_EQ(f.CG_SNMP->ColCount(), 23);
    EXPECT_EQ(f.CG_SNMP->RowCount(), 513);
    const TFadeButton* buttons[] = {f.Btn_OK, f.Btn_Cancel, f.Btn_DelRow, f.Btn_InsRow, f.Btn_CopyRow, f.Btn_PasteRow};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i]->Caption(), Text_Table[4002 + i]) << i;
        EXPECT_EQ(buttons[i]->toolTip(), Text_Table[4048 + i]) << i;
    }
    const int headers[23] = {4008, 4009, 4010, 4011, 4012, 4013, 4014, 4015, 4016, 4017, 4018, 4019,
                             4020, 4021, 4054, 4060, 4062, 4063, 4064, 4065, 4066, 4067, 4022};
    const int hints[22] = {4023, 4024, 4025, 4026, 4027, 4028, 4029, 4030, 4031, 4032, 4033,
                           4034, 4035, 4055, 4061, 4068, 4069, 4070, 4071, 4072, 4073, 4036};
    for (int c = 0; c < 23; ++c) EXPECT_EQ(f.CG_SNMP->Cells(c, 0), Text_Table[headers[c]]) << c;
    for (int c = 1; c < 23; ++c) EXPECT_EQ(f.CG_SNMP->CellHint(0, c), Text_Table[hints[c - 1]]) << c;
    EXPECT_TRUE(f.CG_SNMP->CellHint(2, 3).isEmpty());
    EXPECT_EQ(f.Hint_SNMP.size(), 22);
    for (int c : {cEnable, cOnChange, cOnCommand, cOnTimer, cCancel})
        EXPECT_EQ(f.CG_SNMP->Columns().Items(c).Editor(), edDataCheckBox) << c;
    EXPECT_EQ(f.CG_SNMP->GetComboItems(cCommunity, 1), (QStringList{QStringLiteral("Corvex"), QStringLiteral("Dunmore")}));
    EXPECT_EQ(f.CG_SNMP->GetCellEditor(cCommunity, 1), edComboEdit);
    EXPECT_EQ(f.CG_SNMP->GetComboItems(cSecurityLevel, 1),
              (QStringList{QStringLiteral("NoAuth NoPriv"), QStringLiteral("Auth NoPriv"), QStringLiteral("Auth Priv")}));
    open(f);
    const QStringList positions = f.CG_SNMP->GetComboItems(cPosition, 1);
    ASSERT_EQ(positions.size(), 1440);
    EXPECT_EQ(positions.front(), QStringLiteral("0"));
    EXPECT_EQ(positions.back(), QStringLiteral("1439"));
}

TEST_F(SNMPManagerWindow, ResetAtEveryShowingThenTheFile) {
    TFSNMPManagerAccess f;
    open(f);
    for (int r : {1, 256, 512}) {
        EXPECT_EQ(f.CG_SNMP->Cells(0, r), QString::number(r));
        EXPECT_EQ(f.CG_SNMP->Cells(cEnable, r), QStringLiteral("Y"));
        for (int c = 2; c < 23; ++c) ASSERT_TRUE(f.CG_SNMP->Cells(c, r).isEmpty()) << r << " " << c;
    }
    f.Btn_Cancel->click();
    writeAll(g_SNMPManagerFile, kTwoRequests);
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.CG_SNMP->Cells(cMnemonic, 1), QStringLiteral("Uptime"));
    // Without its attribute the conversion reads "None", and such a row passes.
    EXPECT_EQ(f.CG_SNMP->Cells(cConversion, 1), QStringLiteral("None"));
    EXPECT_EQ(f.CG_SNMP->Cells(cEnable, 2), QStringLiteral("N"));
    EXPECT_EQ(f.CG_SNMP->Cells(cOnTimer, 2), QStringLiteral("N"));
}

TEST_F(SNMPManagerWindow, ADisabledRowIsWrittenAsItStands) {
    writeAll(g_SNMPManagerFile, kTwoRequests);
    TFSNMPManagerAccess f;
    open(f);
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(xvalue(g_SNMPManagerFile, QStringLiteral("count(/SNMP_Manager_Access/row)")), QStringLiteral("2"));
    EXPECT_EQ(xvalue(g_SNMPManagerFile, QStringLiteral("string(/SNMP_Manager_Access/row[2]/@IP_Address)")),
              QStringLiteral("10.0.0.999"));
    EXPECT_EQ(xvalue(g_SNMPManagerFile, QStringLiteral("string(/SNMP_Manager_Access/row[2]/@Number_Bytes)")),
              QStringLiteral("5000"));
    EXPECT_EQ(xvalue(g_SNMPManagerFile, QStringLiteral("string(/comment())")), QStringLiteral("SW_VERSION = 1.003"));
    // The 22 attributes in column order.
    const QByteArray bytes = readAll(g_SNMPManagerFile);
    EXPECT_TRUE(bytes.startsWith(
        "<SNMP_Manager_Access><row Enable=\"Y\" IP_Address=\"10.0.0.7\" Version=\"2\" Community_String=\"Corvex\" "
        "OID=\"1.3.6.1.2.1.1.3.0\" Type=\"Int\" Mode=\"Get\" On_Change=\"N\" On_Command=\"N\" On_Timer=\"Y\" "
        "Time=\"5000\" Position=\"0\" Number_Bytes=\"4\" ConvertFrom=\"None\" Cancel=\"Y\" User=\"\" Auth_Pass=\"\" "
        "Priv_Pass=\"\" Security_Level=\"\" Auth_Mode=\"\" Priv_Mode=\"\" Mnemonic=\"Uptime\"/>"))
        << bytes.toStdString();
}

TEST_F(SNMPManagerWindow, OKRefusesTheFirstFaultAndKeepsTheWindow) {
    writeAll(g_SNMPManagerFile, kTwoRequests);
    TFSNMPManagerAccess f;
    open(f);
    f.CG_SNMP->SetCells(cEnable, 2, QStringLiteral("Y"));
    f.CG_SNMP->SetCells(cIPAddress, 2, QStringLiteral("10.0.0.8"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 2!! OID string cannot finish with a \".\"")});
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
    EXPECT_EQ(readAll(g_SNMPManagerFile), QByteArray(kTwoRequests));
}

TEST_F(SNMPManagerWindow, RowButtonsAndNoRowSelectionFromItsNumber) {
    writeAll(g_SNMPManagerFile, kTwoRequests);
    TFSNMPManagerAccess f;
    open(f);
    f.CG_SNMP->ClickCell(2, 0);
    EXPECT_FALSE(f.CG_SNMP->GetRowSelect(2));

    // Paste needs a copy of this showing.
    f.CG_SNMP->SetRow(3);
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[1102]});
    f.CG_SNMP->SetRow(1);
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_SNMP);
    f.CG_SNMP->SetRow(1);
    f.Btn_InsRowClick();
    EXPECT_EQ(f.CG_SNMP->Cells(cEnable, 1), QStringLiteral("Y"));
    EXPECT_TRUE(f.CG_SNMP->Cells(cIPAddress, 1).isEmpty());
    EXPECT_EQ(f.CG_SNMP->Cells(cMnemonic, 2), QStringLiteral("Uptime"));
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(f.CG_SNMP->Cells(cMnemonic, 1), QStringLiteral("Uptime"));

    rec.answers.push_back(plat::Answer::Yes);
    f.CG_SNMP->SetRow(2);
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts().last(), QStringLiteral("Are you sure to delete the Row number 2"));
    EXPECT_EQ(f.CG_SNMP->Cells(cMnemonic, 2), QStringLiteral("spare"));
    f.Btn_Cancel->click();
    open(f);
    EXPECT_FALSE(f.Do_Copy_SNMP);
}

}  // namespace
