// The BACnet client's window and its EDE import as a user meets them, offscreen with recorded
// message boxes: layout and texts, the network kind from the parameter file, the file written and
// read, the hint, and the import from a chosen EDE file through the import window.
#include "building/BACnetClientSchema.h"
#include "building/UBACnetAccess.h"
#include "building/UImportEDEFile.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using namespace bacnetclient;

// In front of the recording service: notes the folder and filter the open dialog starts with.
class OpenDialogSpy : public plat::UserDialogs {
public:
    explicit OpenDialogSpy(testing_support::RecordingDialogs& rec) : rec_(rec) { plat::setDialogs(this); }
    ~OpenDialogSpy() override { plat::setDialogs(&rec_); }
    void error(const QString& text) override { rec_.error(text); }
    void warning(const QString& text) override { rec_.warning(text); }
    void information(const QString& text) override { rec_.information(text); }
    plat::Answer questionYesNo(const QString& text) override { return rec_.questionYesNo(text); }
    plat::Answer questionYesNoCancel(const QString& text) override { return rec_.questionYesNoCancel(text); }
    std::optional<QString> openFile(const QString& title, const QString& folder, const QString& filter) override {
        folders << folder;
        filters << filter;
        return rec_.openFile(title, folder, filter);
    }
    std::optional<QString> saveFile(const QString& title, const QString& folder, const QString& fileName,
                                    const QString& filter) override {
        return rec_.saveFile(title, folder, fileName, filter);
    }
    QStringList folders, filters;

private:
    testing_support::RecordingDialogs& rec_;
};

class BACnetClientWindow : public building_tests::ListWindow {
protected:
    void SetUp() override {
        ListWindow::SetUp();
        g_EDEImportPath.clear();
    }
    void TearDown() override {
        g_EDEImportPath.clear();
        ListWindow::TearDown();
    }
    static void kind(int k) {
        writeAll(g_ParGenFile, "<ParGen><BACnet_Master_Type>" + QByteArray::number(k) + "</BACnet_Master_Type></ParGen>");
    }
    QStringList warnings() const {
        QStringList l;
        for (const testing_support::Shown& s : rec.shown)
            if (s.kind == testing_support::Shown::Warning) l << s.text;
        return l;
    }
    OpenDialogSpy spy{rec};
};

const char* const kEde =
    "# mandatory;mandatory;mandatory;mandatory;mandatory\n"
    "# keyname;device obj.-instance;object-name;object-type;object-instance;description\n"
    "AI1;1200;Room Temp;0;7;Temperature;;;;N;N;;;;62;;\n"
    "AO1;1200;Valve;1;3;Valve position;;;;Y;N;;;;98;;\n"
    "DEV;1200;Device;8;1200;The device;;;;N;N;;;;;;\n";

TEST_F(BACnetClientWindow, LayoutAndTexts) {
    TFBACnetAccess f;
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(f.ClientWidth(), clientWidthFor(screen ? screen->geometry().width() : 0));
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Set BACnet Access"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("BACnet Read"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("BACnet Write"));
    EXPECT_EQ(f.CG1->TotalColCount(), 18);
    EXPECT_EQ(f.CG2->TotalColCount(), 22);
    EXPECT_EQ(f.CG1->RowCount(), 513);
    EXPECT_EQ(f.CG2->RowCount(), 513);
    for (int c : {int(rSwap), int(rConvertion)}) EXPECT_TRUE(f.CG1->IsHiddenColumn(c)) << c;
    for (int c : {int(wSwap), int(wConvertion)}) EXPECT_TRUE(f.CG2->IsHiddenColumn(c)) << c;
    EXPECT_EQ(f.CG1->ColCount(), 16);
    EXPECT_EQ(f.CG2->ColCount(), 20);
    const TFadeButton* buttons[] = {f.Btn_OK, f.Btn_Cancel, f.Btn_DelRow, f.Btn_InsRow, f.Btn_Import_CSV};
    const char* captions[] = {"OK", "Cancel", "Delete Row", "Insert Row", "Import EDE"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(buttons[i]->Caption(), QString::fromLatin1(captions[i])) << i;
        EXPECT_TRUE(buttons[i]->toolTip().isEmpty()) << i;
    }
    EXPECT_EQ(f.Btn_CopyRow, nullptr);
    EXPECT_EQ(f.Btn_PasteRow, nullptr);
    EXPECT_EQ(f.CG1->Cells(rMnemonic, 0), QStringLiteral("Mnemonic"));
    EXPECT_EQ(f.CG2->Cells(wDataType, 0), QStringLiteral("Data Type"));
    EXPECT_EQ(f.CG1->GetComboItems(rObjectType, 1).size(), 15);
    EXPECT_EQ(f.CG1->GetCellEditor(rObjectType, 1), edComboEdit);
    EXPECT_EQ(f.CG2->GetComboItems(wObjectType, 1).size(), 9);
    EXPECT_EQ(f.CG2->GetComboItems(wProperty, 1), QStringList{QStringLiteral("Present Value (85)")});
    EXPECT_EQ(f.CG2->GetComboItems(wDLen, 1).size(), 11);
    EXPECT_EQ(f.CG2->GetComboItems(wConvertion, 1).at(1), QStringLiteral("Int to Float"));
}

TEST_F(BACnetClientWindow, TheKindFromTheParameterFileAtEveryShowing) {
    TFBACnetAccess f;
    // No parameter file: the message, then the IP kind.
    open(f);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Select the BACnet Type in the \"Set Communication\" section")});
    EXPECT_EQ(f.App_BACnet_Type, kIP);
    EXPECT_EQ(f.CG1->Cells(rAddress, 0), QStringLiteral("IP Address"));
    f.Btn_Cancel->click();
    rec.clear();
    writeAll(g_ParGenFile, "<ParGen><BACnet_Type>1</BACnet_Type></ParGen>");  // the server's key only
    open(f);
    EXPECT_EQ(rec.errors().size(), 1);
    f.Btn_Cancel->click();
    rec.clear();
    kind(kMSTP);
    open(f);
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(f.CG1->Cells(rAddress, 0), QStringLiteral("Slave ID"));
    EXPECT_EQ(f.CG2->Cells(wAddress, 0), QStringLiteral("Slave ID"));
    EXPECT_FALSE(f.CG1->IsHiddenColumn(rAddress));
    f.Btn_Cancel->click();
    kind(2);
    open(f);
    EXPECT_TRUE(f.CG1->IsHiddenColumn(rAddress));
    EXPECT_TRUE(f.CG2->IsHiddenColumn(wAddress));
    f.Btn_Cancel->click();
    kind(kIP);
    open(f);
    EXPECT_FALSE(f.CG2->IsHiddenColumn(wAddress));
    EXPECT_EQ(f.CG2->Cells(wAddress, 0), QStringLiteral("IP Address"));
    // A language change keeps the kind's header.
    kind(kMSTP);
    f.Btn_Cancel->click();
    open(f);
    f.Set_Lang();
    EXPECT_EQ(f.CG1->Cells(rAddress, 0), QStringLiteral("Slave ID"));
    const QStringList positions = f.CG1->GetComboItems(rPosition, 1);
    ASSERT_EQ(positions.size(), 1440);
    EXPECT_EQ(positions.back(), QStringLiteral("1439"));
}

TEST_F(BACnetClientWindow, WritesBothPagesWithoutTheHiddenColumnsAndReadsThemBack) {
    kind(kIP);
    TFBACnetAccess f;
    open(f);
    const char* read[] = {"Y", "10.0.0.5", "Analog Input", "7", "Present Value (85)", "4", "N", "", "", "",
                          "1000", "0", "0", "0", "Y", "Float to Int", "Room"};
    for (int c = 1; c < 18; ++c) f.CG1->SetCells(c, 1, QString::fromLatin1(read[c - 1]));
    const char* write[] = {"Y", "10.0.0.5", "Analog Output", "Real", "3", "Present Value (85)", "8", "4", "Y", "5",
                           "M2", "1,2", "N", "N", "", "0", "4", "0", "Y", "None", "Valve"};
    for (int c = 1; c < 22; ++c) f.CG2->SetCells(c, 1, QString::fromLatin1(write[c - 1]));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(readAll(g_BACnetMasterAccessFile).toStdString(),
              std::string("<BACnet_Master_Access><BACnet_Read><row Enable=\"Y\" IP_Address_Slave_ID=\"10.0.0.5\" "
                          "Object_Type=\"Analog Input\" Instance=\"7\" Property=\"Present Value (85)\" NumByte=\"4\" "
                          "Enable_Destination=\"N\" Destination_Network=\"\" Destination_Length=\"\" "
                          "Destination_Address=\"\" PollTime=\"1000\" MaxError=\"0\" Position=\"0\" StartBit=\"0\" "
                          "Mnemonic=\"Room\"/></BACnet_Read><BACnet_Write><row Enable=\"Y\" "
                          "IP_Address_Slave_ID=\"10.0.0.5\" Object_Type=\"Analog Output\" Data_Type=\"Real\" "
                          "Instance=\"3\" Property=\"Present Value (85)\" Priority=\"8\" NumByte=\"4\" "
                          "Enable_Destination=\"Y\" Destination_Network=\"5\" Destination_Length=\"M2\" "
                          "Destination_Address=\"1,2\" OnChange=\"N\" OnTimer=\"N\" PollTime=\"\" MaxError=\"0\" "
                          "Position=\"4\" StartBit=\"0\" Mnemonic=\"Valve\"/></BACnet_Write></BACnet_Master_Access>"
                          "<!--SW_VERSION = 1.009-->"));
    // Read back: the hidden columns come back empty; a missing attribute takes its default.
    writeAll(g_BACnetMasterAccessFile,
             "<BACnet_Master_Access><BACnet_Read><row IP_Address_Slave_ID=\"10.0.0.6\" Swap=\"Y\" Mnemonic=\"x\"/>"
             "</BACnet_Read><BACnet_Write/></BACnet_Master_Access>");
    open(f);
    EXPECT_EQ(f.CG1->Cells(rEnable, 1), QStringLiteral("Y"));
    EXPECT_EQ(f.CG1->Cells(rAddress, 1), QStringLiteral("10.0.0.6"));
    EXPECT_EQ(f.CG1->Cells(rEnDest, 1), QStringLiteral("N"));
    EXPECT_TRUE(f.CG1->Cells(rSwap, 1).isEmpty());
    EXPECT_EQ(f.CG1->Cells(rMnemonic, 1), QStringLiteral("x"));
    EXPECT_TRUE(f.CG2->Cells(wAddress, 1).isEmpty());
}

TEST_F(BACnetClientWindow, MessagesNameThePageTheyComeFrom) {
    kind(kIP);
    TFBACnetAccess f;
    open(f);
    rec.clear();
    f.CG2->SetCells(wAddress, 2, QStringLiteral("10.0.0.9"));  // row 1 empty: row 2 would be lost
    f.Btn_OK_Click();
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Error in Write, row 2!! [BACnet Write]")))
        << rec.errors()[0].toStdString();
    EXPECT_FALSE(plat::fileExists(g_BACnetMasterAccessFile));
    // Row 1 of the read page fails: a message of the read page, the window stays open.
    rec.clear();
    f.CG2->SetCells(wAddress, 2, QString());
    f.CG1->SetCells(rAddress, 1, QStringLiteral("10.0.0.9"));
    f.CG1->SetCells(rObjectType, 1, QStringLiteral("Binary Input"));
    f.CG1->SetCells(rInstance, 1, QStringLiteral("1"));
    f.CG1->SetCells(rProperty, 1, QStringLiteral("Units (117)"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error in Read, row 1!! Property is not correct. Select one from the list")});
    EXPECT_NE(f.ModalResult(), plat::mrOk);
}

TEST_F(BACnetClientWindow, TheNByteHintOfTheReadPage) {
    kind(kIP);
    TFBACnetAccess f;
    open(f);
    f.CG1->SetCells(rObjectType, 3, QStringLiteral("Accumulator"));
    f.CG1->SetCells(rProperty, 3, QStringLiteral("Scale (187)"));
    EXPECT_EQ(f.CG1->CellHint(3, f.CG1->DisplColIndex(rNByte)), QStringLiteral("1"));
    EXPECT_TRUE(f.CG1->CellHint(3, f.CG1->DisplColIndex(rProperty)).isEmpty());
    EXPECT_TRUE(f.CG1->CellHint(0, f.CG1->DisplColIndex(rNByte)).isEmpty());
    f.CG2->SetCells(wObjectType, 3, QStringLiteral("Analog Value"));
    f.CG2->SetCells(wProperty, 3, QStringLiteral("Present Value (85)"));
    EXPECT_TRUE(f.CG2->CellHint(3, f.CG2->DisplColIndex(wNByte)).isEmpty());
    // Kind 2 hides column 2: the hint still belongs to the NByte column.
    f.Btn_Cancel->click();
    kind(2);
    open(f);
    f.CG1->SetCells(rObjectType, 3, QStringLiteral("Large Analog Value"));
    f.CG1->SetCells(rProperty, 3, QStringLiteral("Present Value (85)"));
    EXPECT_EQ(f.CG1->CellHint(3, f.CG1->DisplColIndex(rNByte)), QStringLiteral("8"));
}

TEST_F(BACnetClientWindow, ImportTakesTheChosenObjectsIntoFreeRows) {
    kind(kIP);
    const QString ede = app.file(QStringLiteral("edefiles/device.csv"));
    ASSERT_TRUE(QDir().mkpath(app.file(QStringLiteral("edefiles"))));
    writeAll(ede, kEde);
    TFImportEDEFile imp;
    TFBACnetAccess f;
    f.Import_Window = &imp;
    open(f);
    rec.clear();
    const char* used[] = {"Y", "10.0.0.2", "Binary Value", "1", "Present Value (85)", "4", "N", "", "", "",
                          "1000", "0", "10", "0", "", "", "Used"};
    for (int c = 1; c < 18; ++c) f.CG1->SetCells(c, 1, QString::fromLatin1(used[c - 1]));
    rec.files.push_back(ede);
    QStringList seen;
    QTimer::singleShot(0, &imp, [&] {
        seen << imp.windowTitle() << QString::number(imp.CG->RowCount()) << imp.CG->Cells(4, 1) << imp.CG->Cells(4, 2)
             << imp.CG->Cells(3, 1) << imp.CG->Cells(3, 2) << imp.CG->Cells(8, 2);
        imp.E_ID_IP->setText(QStringLiteral("192.168.1.20"));
        imp.Btn_OK->click();
    });
    f.Btn_Import_CSVClick();
    EXPECT_EQ(seen, (QStringList{"Import BACnet EDE File", "3", "Room Temp", "Valve", "N", "Y", "Y"}));
    EXPECT_EQ(spy.filters, QStringList{QStringLiteral("BACnet EDE File (*.csv)")});
    EXPECT_EQ(spy.folders, QStringList{QString()});
    EXPECT_TRUE(rec.errors().isEmpty()) << rec.errors().join(u'|').toStdString();
    // Both objects read after the used row; the commandable one written from row 1.
    EXPECT_EQ(f.CG1->Cells(rObjectType, 2), QStringLiteral("Analog Input"));
    EXPECT_EQ(f.CG1->Cells(rPosition, 2), QStringLiteral("14"));
    EXPECT_EQ(f.CG1->Cells(rAddress, 2), QStringLiteral("192.168.1.20"));
    EXPECT_EQ(f.CG1->Cells(rObjectType, 3), QStringLiteral("Analog Output"));
    EXPECT_EQ(f.CG1->Cells(rPosition, 3), QStringLiteral("18"));
    EXPECT_EQ(f.CG1->Cells(rMnemonic, 3), QStringLiteral("Valve - Valve position"));
    EXPECT_TRUE(f.CG1->Cells(rObjectType, 4).isEmpty());
    EXPECT_EQ(f.CG2->Cells(wObjectType, 1), QStringLiteral("Analog Output"));
    EXPECT_EQ(f.CG2->Cells(wDataType, 1), QStringLiteral("Real"));
    EXPECT_EQ(f.CG2->Cells(wPosition, 1), QStringLiteral("0"));
    // The file's folder is where the next choice starts.
    const QString folder = QFileInfo(ede).absolutePath();
    EXPECT_EQ(g_EDEImportPath, folder);
    EXPECT_EQ(f.OD_EDE_File.InitialDir, folder);
    f.Btn_Import_CSVClick();  // cancelled
    EXPECT_EQ(spy.folders.last(), folder);

    // A chosen file that does not exist imports nothing, says nothing, and moves the folder.
    rec.clear();
    rec.files.push_back(app.file(QStringLiteral("missing.csv")));
    f.Btn_Import_CSVClick();
    EXPECT_TRUE(rec.errors().isEmpty());
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_EQ(g_EDEImportPath, QFileInfo(app.file(QStringLiteral("missing.csv"))).absolutePath());
    EXPECT_TRUE(f.CG1->Cells(rObjectType, 4).isEmpty());

    // What was imported passes OK.
    f.Btn_OK_Click();
    EXPECT_EQ(f.ModalResult(), plat::mrOk) << rec.texts().join(u'|').toStdString();
}

TEST_F(BACnetClientWindow, TheImportWindowsChoices) {
    const QString ede = app.file(QStringLiteral("device.csv"));
    writeAll(ede, kEde);
    TFImportEDEFile imp;
    EXPECT_EQ(imp.ClientWidth(), 863);
    EXPECT_EQ(imp.ClientHeight(), 337);
    EXPECT_EQ(imp.CG->ColCount(), 9);
    EXPECT_EQ(imp.CG->Cells(8, 0), QStringLiteral("Commandable"));
    EXPECT_EQ(imp.Btn_Select_All->Caption(), QStringLiteral("Select All"));
    EXPECT_EQ(imp.Btn_Unselect_All->Caption(), QStringLiteral("Unselect All"));
    EXPECT_EQ(imp.LID_IP->text(), QStringLiteral("ID or IP address of the BACnet device"));
    imp.EDE_File = ede;
    imp.App_BACnet_Type = kMSTP;
    open(imp);
    ASSERT_EQ(imp.List_EDE_Var.size(), 2u);
    EXPECT_FALSE(imp.CG->CanEditCell(4, 1));
    // Write of an object that is only read: refused, the box back to "N".
    ASSERT_TRUE(imp.CG->ToggleCellCheck(3, 1, true));
    imp.CG->CheckBoxClick(3, 1);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error line 1!! The Variable is only in read")});
    EXPECT_EQ(imp.CG->Cells(3, 1), QStringLiteral("N"));
    EXPECT_FALSE(imp.List_EDE_Var[0].write);
    // The other boxes set their choice.
    ASSERT_TRUE(imp.CG->ToggleCellCheck(2, 2, true));
    imp.CG->CheckBoxClick(2, 2);
    EXPECT_FALSE(imp.List_EDE_Var[1].read);
    ASSERT_TRUE(imp.CG->ToggleCellCheck(3, 2, true));
    imp.CG->CheckBoxClick(3, 2);
    EXPECT_FALSE(imp.List_EDE_Var[1].write);
    // Commandable is shown, not chosen.
    EXPECT_FALSE(imp.CG->ToggleCellCheck(8, 2, true));
    imp.Btn_Unselect_AllClick();
    EXPECT_EQ(imp.CG->Cells(1, 1), QStringLiteral("N"));
    EXPECT_EQ(imp.CG->Cells(1, 2), QStringLiteral("N"));
    for (const TBACnet_Var& v : imp.List_EDE_Var) EXPECT_FALSE(v.import);
    imp.Btn_Select_AllClick();
    for (const TBACnet_Var& v : imp.List_EDE_Var) EXPECT_TRUE(v.import);

    // The address by kind.
    rec.clear();
    struct Case {
        int kind;
        const char* id;
        const char* error;
    } cases[] = {
        {kMSTP, "255", "Error!! Slave ID must be between 0 and 254"},
        {kMSTP, "", "Error!! Slave ID must be between 0 and 254"},
        {kMSTP, "0", ""},
        {kIP, "192.168.1.300", "Error!! IP Address is not correct"},
        {kIP, "192.168.1.30", ""},
        {2, "anything", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        open(imp);
        rec.clear();
        imp.App_BACnet_Type = c.kind;
        imp.E_ID_IP->setText(QString::fromLatin1(c.id));
        imp.Btn_OK->click();
        EXPECT_EQ(rec.errors().join(u'|'), QString::fromLatin1(c.error));
        // A refused address keeps the window open; OK closes it.
        EXPECT_EQ(imp.isVisible(), *c.error != 0);
    }
    // The next showing reads the file anew and keeps the address typed.
    open(imp);
    EXPECT_EQ(imp.E_ID_IP->text(), QStringLiteral("anything"));
    EXPECT_TRUE(imp.List_EDE_Var[1].read);
}

TEST_F(BACnetClientWindow, UnselectAllThenOKImportsNothing) {
    kind(kIP);
    const QString ede = app.file(QStringLiteral("device.csv"));
    writeAll(ede, kEde);
    TFImportEDEFile imp;
    TFBACnetAccess f;
    f.Import_Window = &imp;
    open(f);
    rec.files.push_back(ede);
    QTimer::singleShot(0, &imp, [&] {
        imp.E_ID_IP->setText(QStringLiteral("10.0.0.1"));
        imp.Btn_Unselect_All->click();
        imp.Btn_OK->click();
    });
    f.Btn_Import_CSVClick();
    EXPECT_EQ(imp.ModalResult(), plat::mrOk);
    for (int r = 1; r < 4; ++r) {
        EXPECT_TRUE(f.CG1->Cells(rObjectType, r).isEmpty()) << r;
        EXPECT_TRUE(f.CG2->Cells(wObjectType, r).isEmpty()) << r;
    }
    // Cancel imports nothing either.
    rec.files.push_back(ede);
    QTimer::singleShot(0, &imp, [&] { imp.Btn_Cancel->click(); });
    f.Btn_Import_CSVClick();
    EXPECT_TRUE(f.CG1->Cells(rObjectType, 1).isEmpty());
}

TEST_F(BACnetClientWindow, AnImportBeyondTheLastRowSaysWhatWasLeftOut) {
    kind(kMSTP);
    QByteArray file = "# mandatory\nnames\n";
    for (int i = 0; i < 515; ++i) file += "k;1;B" + QByteArray::number(i) + ";3;" + QByteArray::number(i) + ";d\n";
    const QString ede = app.file(QStringLiteral("big.csv"));
    writeAll(ede, file);
    TFImportEDEFile imp;
    TFBACnetAccess f;
    f.Import_Window = &imp;
    open(f);
    rec.clear();
    rec.files.push_back(ede);
    QTimer::singleShot(0, &imp, [&] {
        imp.E_ID_IP->setText(QStringLiteral("7"));
        imp.Btn_OK->click();
    });
    f.Btn_Import_CSVClick();
    EXPECT_EQ(warnings(), QStringList{QStringLiteral(
                              "3 of the chosen objects were not imported into \"BACnet Read\": it has no free row left.")});
    EXPECT_EQ(f.CG1->Cells(rMnemonic, 512), QStringLiteral("B511 - d"));
    EXPECT_EQ(f.CG1->Cells(rAddress, 512), QStringLiteral("7"));
    EXPECT_EQ(f.CG1->RowCount(), 513);
}

}  // namespace

namespace {

using ScreenshotOfBACnetClient = BACnetClientWindow;

TEST_F(ScreenshotOfBACnetClient, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    const QString out = QString::fromLocal8Bit(dir);
    kind(kIP);
    const QString ede = app.file(QStringLiteral("device.csv"));
    writeAll(ede, kEde);
    TFImportEDEFile imp;
    TFBACnetAccess f;
    f.Import_Window = &imp;
    open(f);
    rec.files.push_back(ede);
    QTimer::singleShot(0, &imp, [&] {
        imp.E_ID_IP->setText(QStringLiteral("192.168.1.20"));
        QApplication::processEvents();
        EXPECT_TRUE(imp.grab().save(out + QStringLiteral("/bacnet-ede-import.png")));
        imp.Btn_OK->click();
    });
    f.Btn_Import_CSVClick();
    EXPECT_TRUE(f.grab().save(out + QStringLiteral("/bacnet-client-read.png")));
    f.PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    EXPECT_TRUE(f.grab().save(out + QStringLiteral("/bacnet-client-write.png")));
    f.Btn_Cancel->click();
}

}  // namespace
