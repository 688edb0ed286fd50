// The KNX telegram window as a user meets it, offscreen with recorded message boxes: the layout,
// texts and drop-downs, the show cycle with its file, OK and its refusals, and the row buttons.
#include "building/KNXSchema.h"
#include "building/UKNXAccess.h"
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

using KNXWindow = building_tests::ListWindow;
using building_tests::xvalue;
using namespace knx;

const char* const kAttributes[] = {"Enable",   "Source_Address", "Destination_Address", "APCI",    "Priority",
                                   "Format",   "MultiplicationFactor", "Extended",      "ReTest",  "On_Command",
                                   "On_Change", "On_Timer",      "Poll_Time",           "Position", "Bit_Mode",
                                   "Length",   "TimeOut",        "Mnemonic"};

void fillValid(TExColumnGrid& g, int row, const QString& source) {
    const char* cells[] = {"Y", "", "1/2/3", "Write", "Low", "Swap16", "0,5", "N", "Y", "N", "Y", "Y", "500", "10",
                           "3", "4", "200", "lamp & <dimmer>"};
    for (int c = 1; c <= 18; ++c) g.SetCells(c, row, QString::fromUtf8(cells[c - 1]));
    g.SetCells(cSource, row, source);
}

TEST_F(KNXWindow, LayoutTextsAndDropDowns) {
    TFKNXAccess f;
    EXPECT_EQ(f.ClientWidth(), 1250);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("KNX Set Access"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("KNX Set Access"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    TExColumnGrid& g = *f.CG_KNX_in_Write;
    EXPECT_EQ(g.objectName(), QStringLiteral("CG_KNX_in_Write"));
    EXPECT_EQ(g.ColCount(), 19);
    EXPECT_EQ(g.RowCount(), 1025);
    EXPECT_EQ(g.Columns().Items(18).Width(), 96);
    const int headers[] = {3814, 3815, 3816, 3817, 3818, 3819, 3820, 3861, 3821, 3822,
                           3823, 3824, 3825, 3826, 3827, 3828, 3829, 3862, 3830};
    const int hints[] = {3831, 3832, 3833, 3834, 3835, 3836, 3863, 3837, 3838,
                         3840, 3841, 3842, 3843, 3844, 3845, 3846, 3864, 3847};
    for (int c = 0; c < 19; ++c) {
        EXPECT_EQ(g.Cells(c, 0), Text_Table[headers[c]]) << c;
        if (c > 0) EXPECT_EQ(g.CellHint(0, c), Text_Table[hints[c - 1]]) << c;
    }
    EXPECT_EQ(f.Hint.size(), 18);
    const TFadeButton* buttons[] = {f.Btn_OK, f.Btn_Cancel, f.Btn_DelRow, f.Btn_InsRow, f.Btn_CopyRow, f.Btn_PasteRow};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i]->Caption(), Text_Table[3802 + i]) << i;
        EXPECT_EQ(buttons[i]->toolTip(), Text_Table[3808 + i]) << i;
    }
    for (int c : {1, 8, 9, 10, 11, 12}) EXPECT_EQ(g.Columns().Items(c).Editor(), edDataCheckBox) << c;
    EXPECT_EQ(g.Columns().Items(cAPCI).Editor(), edComboEdit);
    EXPECT_EQ(g.Columns().Items(cAPCI).ComboItems(), (QStringList{"Read", "Write"}));
    EXPECT_EQ(g.Columns().Items(cPriority).ComboItems(), (QStringList{"System", "Urgent", "Normal", "Low"}));
    EXPECT_EQ(g.Columns().Items(cFormat).ComboItems().size(), 8);
    EXPECT_EQ(g.Columns().Items(cBitMode).ComboItems(), (QStringList{"No", "0", "1", "2", "3", "4", "5", "6", "7"}));
    open(f);
    const QStringList positions = g.Columns().Items(cPosition).ComboItems();
    ASSERT_EQ(positions.size(), 1440);
    EXPECT_EQ(positions.first(), QStringLiteral("0"));
    EXPECT_EQ(positions.last(), QStringLiteral("1439"));
    EXPECT_EQ(f.Max_Num_Byte, 1440);
    // The reset: numbered, Enable ticked, the rest empty.
    for (int r : {1, 512, 1024}) {
        EXPECT_EQ(g.Cells(0, r), QString::number(r));
        EXPECT_EQ(g.Cells(1, r), QStringLiteral("Y"));
        for (int c = 2; c <= 18; ++c) EXPECT_TRUE(g.Cells(c, r).isEmpty()) << c << "," << r;
    }
}

TEST_F(KNXWindow, SavedAttributeByAttributeAndReadBack) {
    TFKNXAccess f;
    open(f);
    TExColumnGrid& g = *f.CG_KNX_in_Write;
    fillValid(g, 1, QStringLiteral("1.1.20"));
    fillValid(g, 2, QStringLiteral("2.2.2"));
    g.SetCells(cEnable, 2, QStringLiteral("N"));
    g.SetCells(cAPCI, 2, QStringLiteral("not checked"));  // a disabled row is saved as it stands
    f.Btn_OK_Click();
    ASSERT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    const QString& file = g_KNXSetAccessFile;
    EXPECT_EQ(xvalue(file, QStringLiteral("name(/node()[1])")), QStringLiteral("BACnet_to_KNX"));
    EXPECT_EQ(xvalue(file, QStringLiteral("string(/comment())")), QStringLiteral("SW_VERSION = 1.004"));
    EXPECT_EQ(xvalue(file, QStringLiteral("count(/BACnet_to_KNX/KNX_in_Write/row)")), QStringLiteral("2"));
    for (int a = 0; a < 18; ++a) {
        // In column order.
        EXPECT_EQ(xvalue(file, QStringLiteral("name(/BACnet_to_KNX/KNX_in_Write/row[1]/@*[%1])").arg(a + 1)),
                  QString::fromLatin1(kAttributes[a]));
        EXPECT_EQ(xvalue(file, QStringLiteral("string(//row[1]/@%1)").arg(kAttributes[a])), g.Cells(a + 1, 1)) << kAttributes[a];
    }
    EXPECT_EQ(xvalue(file, QStringLiteral("string(//row[2]/@APCI)")), QStringLiteral("not checked"));
    TFKNXAccess again;
    open(again);
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 18; ++c) EXPECT_EQ(again.CG_KNX_in_Write->Cells(c, r), g.Cells(c, r)) << c << "," << r;
}

TEST_F(KNXWindow, AFailingRowIsToldWithItsNumberAndNothingIsWritten) {
    TFKNXAccess f;
    open(f);
    TExColumnGrid& g = *f.CG_KNX_in_Write;
    fillValid(g, 1, QStringLiteral("1.1.1"));
    fillValid(g, 2, QStringLiteral("1.1.2"));
    g.SetCells(cBitMode, 2, QStringLiteral("No"));
    g.SetCells(cLength, 2, QStringLiteral("15"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 2!! [KNX in Write] Length must be between 1 and 14")});
    EXPECT_FALSE(plat::fileExists(g_KNXSetAccessFile));
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
}

TEST_F(KNXWindow, AnUnknownPriorityShowsAsNormalAndARowWithoutExtendedStopsTheLoading) {
    const QByteArray file =
        "<BACnet_to_KNX><KNX_in_Write>"
        "<row Enable=\"Y\" Source_Address=\"1.1.1\" Destination_Address=\"1/2/3\" APCI=\"Read\" Priority=\"urgent\" "
        "Format=\"None\" MultiplicationFactor=\"\" Extended=\"N\" ReTest=\"N\" On_Command=\"N\" On_Change=\"N\" "
        "On_Timer=\"N\" Poll_Time=\"\" Position=\"0\" Bit_Mode=\"No\" Length=\"1\" TimeOut=\"0\" Mnemonic=\"a\"/>"
        "<row Enable=\"Y\" Source_Address=\"1.1.2\" Destination_Address=\"1/2/4\" APCI=\"Read\" ReTest=\"N\" "
        "On_Change=\"N\" Poll_Time=\"\" Position=\"1\" Bit_Mode=\"No\" Length=\"1\" Mnemonic=\"b\"/>"
        "</KNX_in_Write></BACnet_to_KNX><!--SW_VERSION = 1.004-->";
    writeAll(g_KNXSetAccessFile, file);
    TFKNXAccess f;
    open(f);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in \"KNX_SetAccess.xml\": section \"KNX_in_Write\", row 2: "
                                                       "the attribute \"Extended\" is missing")});
    TExColumnGrid& g = *f.CG_KNX_in_Write;
    EXPECT_EQ(g.Cells(cPriority, 1), QStringLiteral("Normal"));
    EXPECT_EQ(g.Cells(cMnemonic, 1), QStringLiteral("a"));
    EXPECT_TRUE(g.Cells(cSource, 2).isEmpty());  // the loading stopped there
    rec.clear();
    f.Btn_OK_Click();  // asked, answered No
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::YesNo);
    EXPECT_EQ(readAll(g_KNXSetAccessFile), file);
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    f.Btn_OK_Click();
    EXPECT_EQ(xvalue(g_KNXSetAccessFile, QStringLiteral("count(//row)")), QStringLiteral("1"));
    EXPECT_EQ(xvalue(g_KNXSetAccessFile, QStringLiteral("string(//row/@Priority)")), QStringLiteral("Normal"));
}

TEST_F(KNXWindow, RowButtons) {
    TFKNXAccess f;
    open(f);
    TExColumnGrid& g = *f.CG_KNX_in_Write;
    for (int r = 1; r <= 1024; ++r) fillValid(g, r, QStringLiteral("1.1.%1").arg(r % 256));
    g.SetCells(cEnable, 1024, QStringLiteral("N"));
    // Delete on a full list: the rows below move up, the last row is emptied, its Enable too.
    g.SetRow(5);
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 5")});
    EXPECT_EQ(g.Cells(cSource, 5), QStringLiteral("1.1.6"));
    EXPECT_EQ(g.Cells(cEnable, 1023), QStringLiteral("N"));
    for (int c = 1; c <= 18; ++c) EXPECT_TRUE(g.Cells(c, 1024).isEmpty()) << c;
    // Insert gives a new row with Enable ticked.
    g.SetRow(2);
    f.Btn_InsRowClick();
    EXPECT_EQ(g.Cells(cEnable, 2), QStringLiteral("Y"));
    for (int c = 2; c <= 18; ++c) EXPECT_TRUE(g.Cells(c, 2).isEmpty()) << c;
    EXPECT_EQ(g.Cells(cSource, 3), QStringLiteral("1.1.2"));
    // Copy then Paste into the emptied row.
    g.SetRow(1);
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_In_Write);
    EXPECT_FALSE(f.Do_Copy_In_Read);
    g.SetRow(2);
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    for (int c = 1; c <= 18; ++c) EXPECT_EQ(g.Cells(c, 2), g.Cells(c, 1)) << c;
    // Shown again, Paste needs a new Copy.
    open(f);
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error!!! Copy a valid row before Paste it")});
}

}  // namespace
