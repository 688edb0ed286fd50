// The DALI window as a user meets it, offscreen with recorded message boxes: its pages and buttons,
// the device page with its file and header menus, the rules and functions with their file, the
// row buttons and what OK refuses and writes.
#include "building/DALISchemas.h"
#include "building/UDALI_Access.h"
#include "building/USNMPManagerAccess.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"
#include "tests/support/EventWait.h"
#include "tests/support/GridCells.h"
#include "tests/support/LocaleScope.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using building_tests::xvalue;
using DALIWindow = building_tests::ListWindow;
using namespace dali;

constexpr int kEnable = TFDALI_Access::dEnable, kMinMax = TFDALI_Access::dMinMax, kRecall = TFDALI_Access::dRecall,
              kDimming = TFDALI_Access::dDimming;

QString devicesFile(const QByteArray& elements) {
    return QString::fromLatin1("<DALI_Access>" + elements + "</DALI_Access><!--SW_VERSION = 1.305-->");
}

// Where a button sits, and whether it shows.
struct Place {
    TFadeButton* button;
    bool shown;
    int left;
};

void expectPlaces(const std::vector<Place>& places) {
    for (const Place& p : places) {
        EXPECT_EQ(plat::ownVisible(p.button), p.shown) << p.button->objectName().toStdString();
        if (p.shown) {
            EXPECT_EQ(p.button->x(), p.left) << p.button->objectName().toStdString();
        }
    }
}

TEST_F(DALIWindow, LayoutTextsAndTheButtonsOfEachPage) {
    TFDALI_Access f;
    EXPECT_EQ(f.ClientWidth(), 1200);
    EXPECT_EQ(f.ClientHeight(), 496);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("DALI Access"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("Select the DALI Device Present in the  Network"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(f.PC_DALI->count(), 3);
    EXPECT_EQ(f.PC_DALI->tabText(0), QStringLiteral("Select Device"));
    EXPECT_EQ(f.PC_DALI->tabText(1), QStringLiteral("Set Access"));
    EXPECT_EQ(f.PC_DALI->tabText(2), QStringLiteral("Functions"));
    EXPECT_EQ(f.PC_DALI->currentWidget(), f.TS_Select_Device);
    EXPECT_EQ(f.Btn_SelectAll->Caption(), QStringLiteral("Select All"));
    EXPECT_EQ(f.Btn_ClearAll->toolTip(), QStringLiteral("Unselect All DALI Device"));
    for (QLabel* l : {f.L_NBI_Title, f.L_NBI_Value, f.L_NBO_Title, f.L_NBO_Value}) EXPECT_FALSE(plat::ownVisible(l));
    EXPECT_FALSE(plat::ownVisible(f.PDaliGroupBroad));
    EXPECT_EQ(f.CG_DALI_GroupBroad->Cells(0, 17), QStringLiteral("DALI Broadcast"));
    EXPECT_EQ(f.CG_DALI_GroupBroad->Cells(3, 0), QStringLiteral("Recall Level"));

    // Device grid: 64 named rows, Address and Dimming Mode hidden.
    TExColumnGrid& d = *f.CG_DALI_Device;
    EXPECT_EQ(d.RowCount(), 65);
    EXPECT_EQ(d.ColCount(), 4);
    EXPECT_TRUE(d.IsHiddenColumn(2));
    EXPECT_TRUE(d.IsHiddenColumn(3));
    EXPECT_EQ(d.Cells(0, 1), QStringLiteral("DALI ID Device 0"));
    EXPECT_EQ(d.Cells(0, 64), QStringLiteral("DALI ID Device 63"));
    const char* headers[6] = {"DALI ID Device", "Enable", "Address", "Dimming Mode", "Min-Max Value", "Recall Level"};
    for (int c = 0; c < 6; ++c) EXPECT_EQ(d.Cells(c, 0), QString::fromLatin1(headers[c])) << c;

    // Set-access and functions grids.
    EXPECT_EQ(f.SG->TotalColCount(), 13);
    EXPECT_EQ(f.SG->RowCount(), 257);
    const int widths[13] = {40, 50, 80, 120, 80, 60, 70, 70, 70, 70, 70, 70, 130};
    for (int c = 0; c < 13; ++c) EXPECT_EQ(f.SG->AllColWidths(c), widths[c]) << c;
    EXPECT_TRUE(f.SG->HasCheckBox(1, 256));
    EXPECT_EQ(f.SG->Cells(6, 0), QStringLiteral("Command"));
    EXPECT_EQ(f.SG->CellHint(0, 11), QStringLiteral("Select the Number of Bytes, only for Sensor"));
    EXPECT_EQ(f.CG->ColCount(), 8);
    EXPECT_EQ(f.CG->RowCount(), 251);
    EXPECT_EQ(f.CG->Cells(4, 0), QStringLiteral("Channel"));
    EXPECT_EQ(f.CG->Cells(5, 0), QStringLiteral("Brightness"));
    EXPECT_FALSE(TrimCtl(f.CG->CellHint(0, 5)).isEmpty());
    EXPECT_EQ(f.CG->CellHint(0, 6), Text_Table[4948]);

    open(f);
    const std::vector<Place> devicePage = {{f.Btn_SelectAll, true, 252}, {f.Btn_ClearAll, true, 370},
                                           {f.Btn_DelRow, false, 0},     {f.Btn_InsRow, false, 0},
                                           {f.Btn_CopyRow, false, 0},    {f.Btn_PasteRow, false, 0},
                                           {f.Btn_DALI_Maps, false, 0},  {f.Btn_OK, true, 16},
                                           {f.Btn_Cancel, true, 134}};
    const std::vector<Place> listPage = {{f.Btn_SelectAll, false, 0}, {f.Btn_ClearAll, false, 0},
                                         {f.Btn_DelRow, true, 252},   {f.Btn_InsRow, true, 370},
                                         {f.Btn_CopyRow, true, 488},  {f.Btn_PasteRow, true, 606},
                                         {f.Btn_DALI_Maps, false, 0}, {f.Btn_OK, true, 16}};
    expectPlaces(devicePage);
    f.PC_DALI->setCurrentIndex(1);
    expectPlaces(listPage);
    f.PC_DALI->setCurrentIndex(2);
    expectPlaces(listPage);
    f.Btn_Cancel->click();
    // The page last used stays, and so do its buttons.
    open(f);
    EXPECT_EQ(f.PC_DALI->currentWidget(), f.TS_Functions);
    expectPlaces(listPage);
    f.PC_DALI->setCurrentIndex(0);
    expectPlaces(devicePage);
}

// The device names are the first data column, not a fixed column of row numbers.
TEST_F(DALIWindow, TheDeviceNamesAreADataColumn) {
    TFDALI_Access f;
    open(f);
    TExColumnGrid& d = *f.CG_DALI_Device;
    EXPECT_EQ(d.FixedCols(), 0);
    // No column of row numbers beside the names.
    for (QHeaderView* h : d.findChildren<QHeaderView*>())
        if (h->orientation() == Qt::Vertical) EXPECT_FALSE(h->isVisible());
    EXPECT_EQ(d.Cells(0, 1), QStringLiteral("DALI ID Device 0"));
    // The names are not saved, so they cannot be edited.
    EXPECT_FALSE(d.CanEditCell(0, 1));
}

TEST_F(DALIWindow, TheDeviceFileEnablesOnlyWithOne) {
    writeAll(g_DALIAccessFile,
             devicesFile("<DALI_ID_DEVICE_5>1</DALI_ID_DEVICE_5><DALI_ID_DEVICE_6>Y</DALI_ID_DEVICE_6>"
                         "<DALI_ID_DEVICE_5_MIN_MAN_VALUE>1</DALI_ID_DEVICE_5_MIN_MAN_VALUE>"
                         "<DALI_ID_DEVICE_5_RECALL_LEVEL>Recall Old Value Level for Switch</DALI_ID_DEVICE_5_RECALL_LEVEL>"
                         "<DALI_ID_DEVICE_6_RECALL_LEVEL>Maximum</DALI_ID_DEVICE_6_RECALL_LEVEL>")
                 .toLatin1());
    TFDALI_Access f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    TExColumnGrid& d = *f.CG_DALI_Device;
    EXPECT_EQ(d.Cells(0, 6), QStringLiteral("DALI ID Device 5"));
    EXPECT_EQ(d.Cells(kEnable, 6), QStringLiteral("Y"));
    EXPECT_EQ(d.Cells(kEnable, 7), QStringLiteral("N"));
    EXPECT_EQ(d.Cells(kMinMax, 6), QStringLiteral("Y"));
    EXPECT_EQ(d.Cells(kRecall, 6), QStringLiteral("Recall Old Value Level for Switch"));
    EXPECT_EQ(d.Cells(kRecall, 7), QStringLiteral("None"));
    for (int r = 1; r <= 64; ++r) ASSERT_EQ(d.Cells(kDimming, r), QStringLiteral("Normal")) << r;
}

TEST_F(DALIWindow, EachShowingStartsFromTheDefaultsOfItsProject) {
    writeAll(g_DALIAccessFile,
             devicesFile("<DALI_ID_DEVICE_0>1</DALI_ID_DEVICE_0><DALI_ID_DEVICE_0_MIN_MAN_VALUE>1"
                         "</DALI_ID_DEVICE_0_MIN_MAN_VALUE><DALI_ID_DEVICE_0_RECALL_LEVEL>Recall Min-Max Level for "
                         "Switch</DALI_ID_DEVICE_0_RECALL_LEVEL>")
                 .toLatin1());
    TFDALI_Access f;
    open(f);
    TExColumnGrid& d = *f.CG_DALI_Device;
    ASSERT_EQ(d.Cells(kMinMax, 1), QStringLiteral("Y"));
    d.SetCells(kDimming, 1, QStringLiteral("Start Break"));
    d.SetCells(kRecall, 2, QStringLiteral("Recall Old Value Level for Switch"));
    f.Btn_Cancel->click();

    // Another project, without the file: nothing of the first one stays on screen or is written.
    g_ProjectPath = app.path() + QStringLiteral("/Other");
    ASSERT_TRUE(QDir().mkpath(g_ProjectPath));
    Set_Files();
    open(f);
    for (int r = 1; r <= 64; ++r) {
        ASSERT_EQ(d.Cells(kEnable, r), QStringLiteral("N")) << r;
        ASSERT_EQ(d.Cells(kDimming, r), QStringLiteral("Normal")) << r;
        ASSERT_EQ(d.Cells(kMinMax, r), QStringLiteral("N")) << r;
        ASSERT_EQ(d.Cells(kRecall, r), QStringLiteral("None")) << r;
    }
    f.Btn_OKClick();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xvalue(g_DALIAccessFile, QStringLiteral("string(//DALI_ID_DEVICE_0_MIN_MAN_VALUE)")), QStringLiteral("0"));
    EXPECT_EQ(xvalue(g_DALIAccessFile, QStringLiteral("string(//DALI_ID_DEVICE_1_RECALL_LEVEL)")), QStringLiteral("None"));
}

TEST_F(DALIWindow, SelectAllClearAllAndTheHeaderMenus) {
    TFDALI_Access f;
    open(f);
    TExColumnGrid& d = *f.CG_DALI_Device;
    f.Btn_SelectAll->click();
    for (int r = 1; r <= 64; ++r) ASSERT_EQ(d.Cells(kEnable, r), QStringLiteral("Y")) << r;
    f.Btn_ClearAll->click();
    for (int r = 1; r <= 64; ++r) ASSERT_EQ(d.Cells(kEnable, r), QStringLiteral("N")) << r;

    const auto trigger = [&](QMenu* menu, const char* caption) {
        for (QAction* a : menu->actions())
            if (a->text() == QString::fromLatin1(caption)) {
                a->trigger();
                return;
            }
        ADD_FAILURE() << "no menu entry " << caption;
    };
    ASSERT_EQ(d.Columns().Items(kRecall).ColumnPopup, f.PM_Recall);
    ASSERT_EQ(d.Columns().Items(kMinMax).ColumnPopup, f.PM_MinMax);
    ASSERT_EQ(d.Columns().Items(kDimming).ColumnPopup, f.PM_Dimming);
    ASSERT_EQ(d.Columns().Items(kEnable).ColumnPopup, nullptr);
    trigger(f.PM_Recall, "Select All Recall Min-Max Level for Switch");
    for (int r = 1; r <= 64; ++r) ASSERT_EQ(d.Cells(kRecall, r), QStringLiteral("Recall Min-Max Level for Switch")) << r;
    trigger(f.PM_Recall, "Select All None");
    EXPECT_EQ(d.Cells(kRecall, 64), QStringLiteral("None"));
    trigger(f.PM_MinMax, "Select All");
    for (int r = 1; r <= 64; ++r) ASSERT_EQ(d.Cells(kMinMax, r), QStringLiteral("Y")) << r;
    trigger(f.PM_MinMax, "Clear All");
    EXPECT_EQ(d.Cells(kMinMax, 33), QStringLiteral("N"));
    trigger(f.PM_Dimming, "Select All Start Break");
    EXPECT_EQ(d.Cells(kDimming, 10), QStringLiteral("Start Break"));

    // A right click on a header opens that column's menu below the header cell; on a data cell none.
    QApplication::processEvents();
    const auto rightClick = [&](int real, int row) {
        const QRect r = cellRect(d, d.DisplColIndex(real), row);
        ASSERT_FALSE(r.isEmpty());
        QWidget* under = d.childAt(r.center());
        ASSERT_NE(under, nullptr);
        QTest::mouseClick(under, Qt::RightButton, {}, under->mapFrom(&d, r.center()));
    };
    rightClick(kRecall, 0);
    EXPECT_TRUE(f.PM_Recall->isVisible());
    EXPECT_FALSE(f.PM_MinMax->isVisible());
    f.PM_Recall->hide();
    rightClick(kMinMax, 0);
    EXPECT_TRUE(f.PM_MinMax->isVisible());
    f.PM_MinMax->hide();
    rightClick(kRecall, 3);
    rightClick(kEnable, 0);
    for (QMenu* m : {f.PM_Recall, f.PM_MinMax, f.PM_Dimming})
        EXPECT_FALSE(m->isVisible()) << m->objectName().toStdString();
}

TEST_F(DALIWindow, OKWithAllDevicesClearedWritesEveryAddress) {
    TFDALI_Access f;
    open(f);
    f.Btn_ClearAll->click();
    f.Btn_OKClick();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(xvalue(g_DALIAccessFile, QStringLiteral("count(/DALI_Access/*)")), QStringLiteral("192"));
    EXPECT_EQ(xvalue(g_DALIAccessFile, QStringLiteral("count(/DALI_Access/*[starts-with(name(), 'DALI_ID_DEVICE_') "
                                                      "and not(contains(name(), '_MIN')) and not(contains(name(), '_RECALL')) and text() = '0'])")),
              QStringLiteral("64"));
    EXPECT_EQ(xvalue(g_DALIAccessFile, QStringLiteral("string(/comment())")), QStringLiteral("SW_VERSION = 1.305"));
    // The rules file beside it, with both sections empty.
    EXPECT_EQ(readAll(g_DALI2AccessFile),
              QByteArray("<DALI2_Access><DALI2_Functions_Rules/><DALI2_SetAccess_Rules/></DALI2_Access>"
                         "<!--SW_VERSION = 1.305-->"));
}

TEST_F(DALIWindow, AFileThatCannotBeReadIsReplacedOnlyAfterAsking) {
    const QByteArray broken = "<DALI2_Access><DALI2_Functions_Rules><row Function=\"Toggle\"/></DALI2_Functions_Rules>";
    writeAll(g_DALI2AccessFile, broken);
    TFDALI_Access f;
    open(f);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Error in \"DALI2_Access.xml\""))) << rec.errors()[0].toStdString();
    rec.clear();
    rec.answers.push_back(plat::Answer::No);
    f.Btn_OKClick();
    EXPECT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
    EXPECT_EQ(readAll(g_DALI2AccessFile), broken);
    EXPECT_FALSE(plat::fileExists(g_DALIAccessFile));
    rec.answers.push_back(plat::Answer::Yes);
    f.Btn_OKClick();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("count(//DALI2_SetAccess_Rules)")), QStringLiteral("1"));
}

class DALIRulesWindow : public DALIWindow {
protected:
    void SetUp() override {
        DALIWindow::SetUp();
        writeAll(g_DALI2AccessFile,
                 "<DALI2_Access><DALI2_Functions_Rules>"
                 "<row Function=\"Set Out\" Condition=\"No Condition\" Value=\"100\" Channel=\"DALI Channel 1\" "
                 "Val=\"254\" Next_Function=\"0\" Mnemonic=\"on\"/>"
                 "<row Function=\"Toggle\" Condition=\"When Equal to Value\" Value=\"Short Press\" Channel=\"DALI Group 1\" "
                 "Val=\"\" Next_Function=\"\" Mnemonic=\"toggle\"/>"
                 "<row Function=\"Dim Up\" Condition=\"AND Logic with Value\" Value=\"Movement\" "
                 "Channel=\"DALI Broadcast\" Val=\"10\" Next_Function=\"\" Mnemonic=\"dim\"/>"
                 "</DALI2_Functions_Rules><DALI2_SetAccess_Rules>"
                 "<row Enable=\"Y\" DeviceSensor=\"Device\" Type=\"Dimmer\" ChannelNumber=\"3\" Instance=\"0\" "
                 "Command=\"144\" TimeSend=\"1000\" TimeOut=\"2000\" Function=\"1 - on\" Position=\"0\" NumBytes=\"\" "
                 "Mnemonic=\"lamp\"/>"
                 "<row Enable=\"N\" DeviceSensor=\"Sensor\" Type=\"Dimmer\" ChannelNumber=\"99\" Instance=\"\" "
                 "Command=\"\" TimeSend=\"\" TimeOut=\"\" Function=\"\" Position=\"\" NumBytes=\"\" Mnemonic=\"off\"/>"
                 "<row DeviceSensor=\"Sensor\" Type=\"Push Button\" ChannelNumber=\"63\" Instance=\"31\" Command=\"0\" "
                 "TimeSend=\"0\" TimeOut=\"0\" Function=\"\" Position=\"1440\" NumBytes=\"2\" Mnemonic=\"button\"/>"
                 "</DALI2_SetAccess_Rules></DALI2_Access><!--SW_VERSION = 1.305-->");
    }
    bool enabled(TFDALI_Access& f, int row) {
        bool state = false;
        EXPECT_TRUE(f.SG->GetCheckBoxState(rEnable, row, state));
        return state;
    }
};

TEST_F(DALIRulesWindow, LoadedCheckedAndWrittenBack) {
    TFDALI_Access f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_TRUE(enabled(f, 1));
    EXPECT_FALSE(enabled(f, 2));
    EXPECT_TRUE(enabled(f, 3));  // no Enable: checked
    EXPECT_TRUE(enabled(f, 4));
    EXPECT_EQ(f.SG->Cells(rMnemonic, 3), QStringLiteral("button"));
    EXPECT_EQ(f.CG->Cells(fValue, 2), QStringLiteral("Short Press"));
    // The unchecked rule with its invalid cells passes and keeps Enable "N".
    f.Btn_OKClick();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("count(/DALI2_Access/DALI2_Functions_Rules/row)")),
              QStringLiteral("3"));
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("string(//DALI2_SetAccess_Rules/row[2]/@Enable)")),
              QStringLiteral("N"));
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("string(//DALI2_SetAccess_Rules/row[2]/@ChannelNumber)")),
              QStringLiteral("99"));
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("string(//DALI2_SetAccess_Rules/row[3]/@Enable)")),
              QStringLiteral("Y"));
    EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("count(//DALI2_SetAccess_Rules/row)")), QStringLiteral("3"));
}

TEST_F(DALIRulesWindow, TheFirstFaultIsToldWithItsRowAndLimit) {
    TFDALI_Access f;
    open(f);
    const struct {
        bool functions;
        int row, column;
        const char* text;
        const char* message;
    } cases[] = {
        {false, 3, rPosition, "1441", "Set Access - Error Row 3!! Position Must be Between 0 and 1440"},
        {false, 1, rCommand, "256", "Set Access - Error Row 1!! Command Must be Between 0 and 255"},
        {false, 1, rFunction, "4 - x", "Set Access - Error Row 1!! Function Must be between 0 and 3"},
        {false, 3, rDevSen, "Device", "Set Access - Error Row 3!! The Type selected is not compatible with the Device"},
        {true, 2, fCondition, "No Condition",
         "Functions - Error Row 2!! A button event needs the Condition \"When Equal to Value\""},
        {true, 1, fNextFunction, "4", "Functions - Error Row 1!! Next Function must be between 0 and 3"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        TExStringGrid& g = c.functions ? static_cast<TExStringGrid&>(*f.CG) : *f.SG;
        const QString before = g.Cells(c.column, c.row);
        g.SetCells(c.column, c.row, QString::fromLatin1(c.text));
        rec.clear();
        f.Btn_OKClick();
        EXPECT_EQ(rec.errors(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_EQ(f.ModalResult(), plat::mrNone);
        g.SetCells(c.column, c.row, before);
    }
    // A language text with other "%" sequences: only "%d" takes the row.
    Text_Table[4950] = QStringLiteral("Row %s %d%n");
    f.CG->SetCells(fCondition, 3, QString());
    rec.clear();
    f.Btn_OKClick();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Row %s 3%n")});
    Load_Default_Language();
    // A rule below an empty Dev/Sen would be lost.
    f.CG->SetCells(fCondition, 3, QStringLiteral("AND Logic with Value"));
    f.SG->SetCells(rDevSen, 2, QString());
    rec.clear();
    f.Btn_OKClick();
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Set Access - Error Row 3!! The Dev/Sen of row 2 above is empty")))
        << rec.errors()[0].toStdString();
}

TEST_F(DALIRulesWindow, ChoosingAnEventSetsItsCondition) {
    TFDALI_Access f;
    open(f);
    f.CG->SetCells(fValue, 1, QStringLiteral("Short Press"));
    rec.clear();
    f.Btn_OKClick();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Functions - Error Row 1!! A button event needs the Condition \"When Equal to Value\"")});
    // The drop-down's choice, as the grid reports it.
    f.CG->ComboChange(fValue, 1, int(events().indexOf(QStringLiteral("Short Press"))), QStringLiteral("Short Press"));
    EXPECT_EQ(f.CG->Cells(fCondition, 1), QStringLiteral("When Equal to Value"));
    f.CG->ComboChange(fValue, 1, -1, QStringLiteral("12"));
    EXPECT_EQ(f.CG->Cells(fCondition, 1), QStringLiteral("When Equal to Value"));
    f.CG->ComboChange(fFunction, 1, 0, QStringLiteral("Occupied"));
    EXPECT_EQ(f.CG->Cells(fCondition, 1), QStringLiteral("When Equal to Value"));
    rec.clear();
    f.Btn_OKClick();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
}

// The same as a user meets it: an event typed into the Value cell sets its condition as it is
// typed, like one chosen from the cell's list; either way OK then passes.
TEST_F(DALIRulesWindow, TypingAnEventSetsItsConditionLikeChoosingIt) {
    TFDALI_Access f;
    open(f);
    f.activateWindow();
    ASSERT_TRUE(testing_support::waitForWindowActive(&f));
    f.PC_DALI->setCurrentIndex(2);
    TExColumnGrid& cg = *f.CG;
    cg.setFocus();
    ASSERT_EQ(cg.Cells(fValue, 1), QStringLiteral("100"));
    ASSERT_EQ(cg.Cells(fCondition, 1), QStringLiteral("No Condition"));
    cg.SetRow(1);
    cg.SetCol(fValue);
    QTest::keyClicks(&cg, "S");  // the first key opens the cell's editor in its place
    QTest::keyClicks(QApplication::focusWidget(), "hort Press");
    EXPECT_EQ(cg.Cells(fCondition, 1), QStringLiteral("When Equal to Value"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(cg.Cells(fValue, 1), QStringLiteral("Short Press"));

    // Row 3 holds a presence event with its condition; "Short Press" is chosen in the cell's list.
    ASSERT_EQ(cg.Cells(fCondition, 3), QStringLiteral("AND Logic with Value"));
    cg.SetRow(3);
    cg.SetCol(fValue);
    const QRect cell = cellRect(cg, fValue, 3);
    QWidget* under = cg.childAt(cell.center());
    ASSERT_NE(under, nullptr);
    QTest::mouseClick(under, Qt::LeftButton, {}, under->mapFrom(&cg, cell.center()));
    QWidget* focus = QApplication::focusWidget();
    auto* combo = qobject_cast<QComboBox*>(focus);
    if (!combo && focus) combo = qobject_cast<QComboBox*>(focus->parentWidget());
    ASSERT_NE(combo, nullptr) << "the click opened no drop-down";
    combo->showPopup();
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    const QModelIndex item = list->model()->index(int(events().indexOf(QStringLiteral("Short Press"))), 0);
    list->scrollTo(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(item).center());
    // The editor holds the choice (the cell takes it when the edit ends); the condition follows at once.
    EXPECT_EQ(combo->currentText(), QStringLiteral("Short Press"));
    EXPECT_EQ(cg.Cells(fCondition, 3), QStringLiteral("When Equal to Value"));

    rec.clear();
    // A press on OK takes the focus, and with it the edit, before the rows are checked.
    QTest::mouseClick(f.Btn_OK, Qt::LeftButton);
    EXPECT_EQ(cg.Cells(fValue, 3), QStringLiteral("Short Press"));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    for (int r : {1, 3}) {
        const QString condition = QStringLiteral("string(//DALI2_Functions_Rules/row[%1]/@Condition)").arg(r);
        EXPECT_EQ(xvalue(g_DALI2AccessFile, condition), QStringLiteral("When Equal to Value")) << r;
    }
}

TEST_F(DALIRulesWindow, ValuesWithEitherSeparatorPassUnderAComma) {
    testing_support::LocaleScope comma(u',', u'.');
    TFDALI_Access f;
    for (const char* v : {"12,5", "12.5"}) {
        open(f);
        f.CG->SetCells(fValue, 1, QString::fromLatin1(v));
        rec.clear();
        f.Btn_OKClick();
        EXPECT_TRUE(rec.shown.empty()) << v << rec.texts().join(u'|').toStdString();
        EXPECT_EQ(xvalue(g_DALI2AccessFile, QStringLiteral("string(//DALI2_Functions_Rules/row[1]/@Value)")),
                  QString::fromLatin1(v));
    }
}

TEST_F(DALIRulesWindow, DropDownsOfTheRulesFollowTheirRowAndTheFunctions) {
    TFDALI_Access f;
    open(f);
    EXPECT_EQ(f.SG->GetCellEditor(rType, 1), edComboList);
    EXPECT_EQ(f.SG->GetComboItems(rType, 1), deviceTypes());
    EXPECT_EQ(f.SG->GetComboItems(rType, 3), sensorTypes());
    EXPECT_TRUE(f.SG->GetComboItems(rType, 10).isEmpty());
    EXPECT_EQ(f.SG->GetComboItems(rDevSen, 10), (QStringList{QStringLiteral("Device"), QStringLiteral("Sensor")}));
    EXPECT_EQ(f.SG->GetComboItems(rNumBytes, 10), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
    EXPECT_EQ(f.SG->GetCellEditor(rCommand, 1), edNormal);
    // The function picker: "0 - None" and every function row with its mnemonic, rebuilt on a page change.
    QStringList picker = f.SG->GetComboItems(rFunction, 1);
    ASSERT_EQ(picker.size(), 251);
    EXPECT_EQ(picker[0], QStringLiteral("0 - None"));
    EXPECT_EQ(picker[2], QStringLiteral("2 - toggle"));
    EXPECT_EQ(picker[250], QStringLiteral("250 - "));
    f.CG->SetCells(fMnemonic, 2, QStringLiteral("flip"));
    f.PC_DALI->setCurrentIndex(2);
    f.PC_DALI->setCurrentIndex(1);
    EXPECT_EQ(f.SG->GetComboItems(rFunction, 1)[2], QStringLiteral("2 - flip"));
}

TEST_F(DALIRulesWindow, RowButtonsActOnTheGridOfThePage) {
    TFDALI_Access f;
    open(f);
    f.PC_DALI->setCurrentIndex(1);
    // Delete on the Set Access page: the last row is left empty, checked and read-only.
    f.SG->SetCells(rMnemonic, 256, QStringLiteral("last"));
    f.SG->SetCheckBoxState(rEnable, 256, false);
    f.SG->SetRow(1);
    rec.answers.push_back(plat::Answer::Yes);
    f.Btn_DelRowClick();
    EXPECT_EQ(rec.texts().last(), QStringLiteral("Are you sure to delete the Row number 1"));
    EXPECT_EQ(f.SG->Cells(rMnemonic, 1), QStringLiteral("off"));
    EXPECT_FALSE(enabled(f, 1));
    EXPECT_EQ(f.SG->Cells(rMnemonic, 255), QStringLiteral("last"));
    EXPECT_FALSE(enabled(f, 255));
    EXPECT_TRUE(enabled(f, 256));
    for (int c = 1; c < 13; ++c) {
        EXPECT_TRUE(f.SG->ReadOnly(c, 256)) << c;
        if (c > 1) {
            EXPECT_TRUE(f.SG->Cells(c, 256).isEmpty()) << c;
        }
    }
    // Copy and paste of a rule keeps its check box.
    f.SG->SetRow(1);
    f.Btn_CopyRowClick();
    f.SG->SetRow(3);
    f.Btn_PasteRowClick();
    EXPECT_FALSE(enabled(f, 3));
    EXPECT_EQ(f.SG->Cells(rMnemonic, 3), QStringLiteral("off"));
    // Insert gives a checked, editable row.
    f.SG->SetRow(2);
    f.Btn_InsRowClick();
    EXPECT_TRUE(enabled(f, 2));
    EXPECT_TRUE(f.SG->Cells(rDevSen, 2).isEmpty());
    EXPECT_FALSE(f.SG->ReadOnly(rDevSen, 2));

    // The functions page: the plain row helpers; a rule row cannot be pasted there.
    f.PC_DALI->setCurrentIndex(2);
    rec.clear();
    f.CG->SetRow(4);
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[1102]});
    f.CG->SetRow(1);
    f.Btn_CopyRowClick();
    f.CG->SetRow(4);
    f.Btn_PasteRowClick();
    EXPECT_EQ(f.CG->Cells(fMnemonic, 4), QStringLiteral("on"));
    f.CG->SetRow(1);
    f.Btn_InsRowClick();
    EXPECT_TRUE(f.CG->Cells(fFunction, 1).isEmpty());
    EXPECT_EQ(f.CG->Cells(fMnemonic, 2), QStringLiteral("on"));

    // The next showing: every rule editable again, no copy to paste.
    f.Btn_Cancel->click();
    open(f);
    EXPECT_FALSE(f.SG->ReadOnly(rDevSen, 256));
    EXPECT_FALSE(f.Do_Copy);
    EXPECT_FALSE(f.Do_Copy_Fun);
}

}  // namespace

namespace {

using ScreenshotOfDALIAndSNMP = building_tests::ListWindow;

TEST_F(ScreenshotOfDALIAndSNMP, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_DALIAccessFile, "<DALI_Access><DALI_ID_DEVICE_5>1</DALI_ID_DEVICE_5></DALI_Access>");
    writeAll(g_DALI2AccessFile,
             "<DALI2_Access><DALI2_Functions_Rules><row Function=\"Toggle\" Condition=\"When Equal to Value\" "
             "Value=\"Short Press\" Channel=\"DALI Group 1\" Mnemonic=\"toggle\"/></DALI2_Functions_Rules>"
             "<DALI2_SetAccess_Rules><row Enable=\"Y\" DeviceSensor=\"Sensor\" Type=\"Push Button\" "
             "ChannelNumber=\"4\" Instance=\"0\" Function=\"1 - toggle\" Mnemonic=\"hall button\"/>"
             "</DALI2_SetAccess_Rules></DALI2_Access>");
    TFDALI_Access f;
    open(f);
    for (int page = 0; page < 3; ++page) {
        f.PC_DALI->setCurrentIndex(page);
        QApplication::processEvents();
        EXPECT_TRUE(f.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/dali-%1.png").arg(page)));
    }
    f.Btn_Cancel->click();
    TFSNMPManagerAccess s;
    open(s);
    EXPECT_TRUE(s.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/snmp-manager.png")));
    s.Btn_Cancel->click();
}

}  // namespace
