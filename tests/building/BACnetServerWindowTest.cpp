// The BACnet server objects window as a user meets it, offscreen with recorded message boxes: the
// two pages with the hidden Swap column, the table size that follows the parameter file, the file
// with its Swap default, the length preset and the unit picker on an Eng. Unit cell.
#include "building/BACnetSchema.h"
#include "building/UBACnetSlaveSetAccess.h"
#include "building/UBACnet_EDE_File.h"
#include "building/UBACnet_Eng_Unit.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
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
#include <QTimer>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using BACnetWindow = building_tests::ListWindow;
using building_tests::xvalue;
using namespace bacnet;

void setLongNames(bool on) {
    writeAll(g_ParGenFile, QByteArray("<ParGen><BACnet_Desc_Chars_Limit>") + (on ? "1" : "0") +
                               "</BACnet_Desc_Chars_Limit></ParGen>");
}

TEST_F(BACnetWindow, LayoutPagesAndTexts) {
    TFBACnetSlaveSetAccess f;
    EXPECT_EQ(f.ClientWidth(), 764);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("BACnet Set Access"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("BACnet in Read"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("BACnet in Write"));
    EXPECT_EQ(f.TS_BACnet_in_Write->objectName(), QStringLiteral("TS_BACnet_in_Write"));
    EXPECT_EQ(f.CG_BACnet_in_Read->objectName(), QStringLiteral("CG_BACnet_in_Read"));
    for (int p = 0; p < 2; ++p) {
        TExColumnGrid& g = f.Grid(p);
        EXPECT_TRUE(g.IsHiddenColumn(cSwap));
        EXPECT_EQ(g.TotalColCount(), 8);
        for (int c = 0; c < 8; ++c) {
            EXPECT_EQ(g.Cells(c, 0), Text_Table[(p ? 4324 : 4316) + c]) << c;
            EXPECT_EQ(g.CellHint(0, c), QString()) << c;
        }
    }
    EXPECT_EQ(f.Btn_DelRow->Caption(), QStringLiteral("Delete Row"));
    EXPECT_EQ(f.Btn_PasteRow->toolTip(), Text_Table[4315]);
    EXPECT_EQ(f.CG_BACnet_in_Read->Columns().Items(cDataType).ComboItems(), readTypes());
    EXPECT_EQ(f.CG_BACnet_in_Write->Columns().Items(cDataType).ComboItems(), writeTypes());
    open(f);
    EXPECT_EQ(f.CG_BACnet_in_Read->RowCount(), 2001);
    EXPECT_EQ(f.CG_BACnet_in_Write->Columns().Items(cPosition).ComboItems().size(), 1440);
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(0, 2000), QStringLiteral("2000"));
}

// A Mnemonic the EDE export would refuse is refused at OK, naming its row; what OK saves, the
// export writes.
TEST_F(BACnetWindow, AMnemonicTheEDEExportCannotHoldIsRefusedAtOK) {
    TFBACnetSlaveSetAccess f;
    open(f);
    f.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&f));
    TExColumnGrid& g = *f.CG_BACnet_in_Read;
    const char* cells[] = {"Analog Input", "62", "0", "", "4"};
    for (int r = 1; r <= 2; ++r)
        for (int c = 1; c <= 5; ++c) g.SetCells(c, r, QString::fromLatin1(cells[c - 1]));
    g.SetCells(cMnemonic, 1, QStringLiteral("Boiler"));
    g.SetCells(cPosition, 2, QStringLiteral("4"));
    // The user types the name of row 2.
    g.setFocus();
    g.SetRow(2);
    g.SetCol(g.DisplColIndex(cMnemonic));
    QTest::keyClick(&g, Qt::Key_T);
    ASSERT_TRUE(g.EditorMode());
    QTest::keyClicks(QApplication::focusWidget(), "emp;Room");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    ASSERT_EQ(g.Cells(cMnemonic, 2), QStringLiteral("temp;Room"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error row 2!! [BACnet in Read] The Mnemonic cannot stand in "
                                                       "the EDE file: it holds \";\", which would split its line")});
    EXPECT_FALSE(QFile::exists(g_BACnetSlaveSetAccessFile));
    EXPECT_EQ(f.ModalResult(), plat::mrNone);

    rec.clear();
    g.SetCells(cMnemonic, 2, QStringLiteral("temp Room"));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    g_EDELocalTime = [] { return QDateTime(QDate(2024, 2, 3), QTime(9, 5)); };
    const QString out = app.file(QStringLiteral("export.csv"));
    EXPECT_TRUE(Create_EDE_File(out)) << rec.texts().join(u'|').toStdString();
    g_EDELocalTime = nullptr;
    EXPECT_TRUE(readAll(out).contains(";temp Room;")) << readAll(out).toStdString();
}

TEST_F(BACnetWindow, FileWithoutSwapLoadsAndSavesN) {
    writeAll(g_BACnetSlaveSetAccessFile,
             "<BACnet_to_Modbus><BACnet_in_Read>"
             "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" Bit=\"\" Length=\"4\" Mnemonic=\"T1\"/>"
             "</BACnet_in_Read><BACnet_in_Write>"
             "<row Data_Type=\"Binary Out\" Eng_Unit=\"95\" Position=\"4\" Bit=\"2\" Length=\"1\" Swap=\"Y\" "
             "Mnemonic=\"Relay\"/></BACnet_in_Write></BACnet_to_Modbus>");
    TFBACnetSlaveSetAccess f;
    open(f);
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cSwap, 1), QStringLiteral("N"));
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cMnemonic, 1), QStringLiteral("T1"));
    EXPECT_EQ(f.CG_BACnet_in_Write->Cells(cSwap, 1), QStringLiteral("Y"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.texts(), QStringList());
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    const QString file = g_BACnetSlaveSetAccessFile;
    EXPECT_EQ(xvalue(file, "string(/BACnet_to_Modbus/BACnet_in_Read/row[1]/@Swap)"), QStringLiteral("N"));
    EXPECT_EQ(xvalue(file, "string(/BACnet_to_Modbus/BACnet_in_Write/row[1]/@Swap)"), QStringLiteral("Y"));
    EXPECT_EQ(xvalue(file, "count(//row)"), QStringLiteral("2"));
    EXPECT_EQ(xvalue(file, "string(/comment())"), QStringLiteral("SW_VERSION = 1.008"));
    EXPECT_EQ(xvalue(file, "name(/BACnet_to_Modbus/BACnet_in_Write/row[1]/@*[7])"), QStringLiteral("Mnemonic"));
}

TEST_F(BACnetWindow, RowWithoutAnAttributeStopsTheLoadingAndOkAsks) {
    writeAll(g_BACnetSlaveSetAccessFile,
             "<BACnet_to_Modbus><BACnet_in_Read>"
             "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" Bit=\"\" Length=\"4\" Mnemonic=\"T1\"/>"
             "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"4\" Bit=\"\" Mnemonic=\"T2\"/>"
             "</BACnet_in_Read><BACnet_in_Write/></BACnet_to_Modbus>");
    const QByteArray before = readAll(g_BACnetSlaveSetAccessFile);
    TFBACnetSlaveSetAccess f;
    open(f);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("Length"))) << rec.errors()[0].toStdString();
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cMnemonic, 1), QStringLiteral("T1"));
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cMnemonic, 2), QString());
    rec.clear();
    rec.answers.push_back(plat::Answer::No);
    f.Btn_OK_Click();
    EXPECT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(readAll(g_BACnetSlaveSetAccessFile), before);
}

TEST_F(BACnetWindow, LongNamesShortenTheTablesAndAnnounceDroppedRows) {
    QByteArray rows;
    for (int i = 0; i < 1001; ++i)
        rows += "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" Bit=\"\" Length=\"4\" Swap=\"N\" "
                "Mnemonic=\"o" + QByteArray::number(i) + "\"/>";
    writeAll(g_BACnetSlaveSetAccessFile,
             "<BACnet_to_Modbus><BACnet_in_Read>" + rows + "</BACnet_in_Read><BACnet_in_Write/></BACnet_to_Modbus>");
    TFBACnetSlaveSetAccess f;
    open(f);
    EXPECT_FALSE(f.Desc_Lenght);
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cMnemonic, 1001), QStringLiteral("o1000"));
    EXPECT_EQ(rec.texts(), QStringList());
    // 32-character names switched on: the window reads the parameter file anew.
    setLongNames(true);
    open(f);
    EXPECT_TRUE(f.Desc_Lenght);
    EXPECT_EQ(f.CG_BACnet_in_Read->RowCount(), 1001);
    EXPECT_EQ(f.CG_BACnet_in_Write->RowCount(), 1001);
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cMnemonic, 1000), QStringLiteral("o999"));
    ASSERT_EQ(rec.texts().size(), 1);
    EXPECT_TRUE(rec.texts()[0].contains(QStringLiteral("dropped"))) << rec.texts()[0].toStdString();
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.texts(), QStringList());
    EXPECT_EQ(xvalue(g_BACnetSlaveSetAccessFile, "count(//row)"), QStringLiteral("1000"));
}

TEST_F(BACnetWindow, ATypeChosenOnTheWritePagePresetsTheLength) {
    TFBACnetSlaveSetAccess f;
    open(f);
    const QString large = QStringLiteral("Large Analog Value");
    f.CG_BACnet_in_Write->ComboChange(cDataType, 1, int(writeTypes().indexOf(large)), large);
    EXPECT_EQ(f.CG_BACnet_in_Write->Cells(cLength, 1), QStringLiteral("8"));
    f.CG_BACnet_in_Read->SetCells(cLength, 1, QStringLiteral("2"));
    f.CG_BACnet_in_Read->ComboChange(cDataType, 1, int(readTypes().indexOf(large)), large);
    EXPECT_EQ(f.CG_BACnet_in_Read->Cells(cLength, 1), QStringLiteral("2"));
    // Another column's choice leaves Length alone.
    f.CG_BACnet_in_Write->ComboChange(cBit, 1, 3, QStringLiteral("3"));
    EXPECT_EQ(f.CG_BACnet_in_Write->Cells(cLength, 1), QStringLiteral("8"));
}

TEST_F(BACnetWindow, DoubleClickOnAnEngUnitCellOpensThePicker) {
    TFBACnet_Eng_Unit picker;
    TFBACnetSlaveSetAccess f;
    f.Unit_Picker = &picker;
    open(f);
    TExColumnGrid& g = *f.CG_BACnet_in_Read;
    g.SetCells(cEngUnit, 1, QStringLiteral("62"));
    QString seenCode, seenLabel;
    // Cancel: the cell keeps its code.
    QTimer::singleShot(0, &picker, [&] {
        seenCode = picker.E_Selected_EU->text();
        seenLabel = picker.Label5->text();
        picker.E_Selected_EU->setText(QStringLiteral("98"));
        picker.Btn_Cancel->click();
    });
    g.DblClickCell(1, cEngUnit);
    EXPECT_EQ(seenCode, QStringLiteral("62"));
    EXPECT_EQ(seenLabel, QStringLiteral("-> degrees-Celsius"));
    EXPECT_EQ(g.Cells(cEngUnit, 1), QStringLiteral("62"));
    // OK takes the picker's code.
    QTimer::singleShot(0, &picker, [&] {
        picker.E_Selected_EU->setText(QStringLiteral("98"));
        picker.Btn_OK->click();
    });
    g.DblClickCell(1, cEngUnit);
    EXPECT_EQ(g.Cells(cEngUnit, 1), QStringLiteral("98"));
    // A code that is not a number is named "unknown"; the write page opens it too.
    TExColumnGrid& w = *f.CG_BACnet_in_Write;
    w.SetCells(cEngUnit, 2, QStringLiteral("abc"));
    QTimer::singleShot(0, &picker, [&] {
        seenLabel = picker.Label5->text();
        picker.Btn_OK->click();
    });
    w.DblClickCell(2, cEngUnit);
    EXPECT_EQ(seenLabel, QStringLiteral("-> unknown"));
    // Another column does not open it.
    seenLabel.clear();
    g.DblClickCell(1, cMnemonic);
    EXPECT_TRUE(seenLabel.isEmpty());
}

}  // namespace

namespace {

using ScreenshotOfBACnet = building_tests::ListWindow;

TEST_F(ScreenshotOfBACnet, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_BACnetSlaveSetAccessFile,
             "<BACnet_to_Modbus><BACnet_in_Read>"
             "<row Data_Type=\"Analog Input\" Eng_Unit=\"62\" Position=\"0\" Bit=\"\" Length=\"4\" Swap=\"N\" "
             "Mnemonic=\"TempRoom1\"/><row Data_Type=\"Binary Input\" Eng_Unit=\"95\" Position=\"4\" Bit=\"3\" "
             "Length=\"\" Swap=\"N\" Mnemonic=\"Door contact\"/></BACnet_in_Read><BACnet_in_Write/></BACnet_to_Modbus>");
    TFBACnetSlaveSetAccess f;
    open(f);
    EXPECT_TRUE(f.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/bacnet-objects.png")));
    f.Btn_Cancel->click();
    TFBACnet_Eng_Unit p;
    p.E_Selected_EU->setText(QStringLiteral("62"));
    p.Label5->setText(QStringLiteral("-> degrees-Celsius"));
    open(p);
    EXPECT_TRUE(p.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/bacnet-unit-picker.png")));
    p.Btn_Cancel->click();
}

}  // namespace
