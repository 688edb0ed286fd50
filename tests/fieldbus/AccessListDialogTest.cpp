// The access-list windows as a user meets them, offscreen with recorded message boxes: the show
// cycle with its file, the row buttons, the grid events, OK and Cancel, and the refusals that keep
// a list from being lost.
#include "fieldbus/USet_PDO_Access.h"
#include "controls/FadeButton.h"
#include "fieldbus/USet_SDO_Client_Access.h"
#include "fieldbus/USet_SDO_Server_Access.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/GridCells.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QTabWidget>
#include <QTest>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

QString fixture(const char* name) { return QStringLiteral(FIELDBUS_FIXTURES "/") + QString::fromLatin1(name); }

// What xmllint reads at an XPath of a file: the independent view of what was written.
QString xpath(const QString& file, const char* expression) {
    QProcess p;
    p.start(QStringLiteral("xmllint"), {QStringLiteral("--xpath"), QString::fromLatin1(expression), file});
    p.waitForFinished(60000);  // xmllint sets the time; the bound only ends a run that hangs
    return QString::fromUtf8(p.readAllStandardOutput());
}

// A string value read by xmllint, without the line end it adds.
QString xvalue(const QString& file, const char* expression) {
    QString v = xpath(file, expression);
    if (v.endsWith(u'\n')) v.chop(1);
    return v;
}

class ListWindow : public ::testing::Test {
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
    // Shows the window as its step does (without blocking); FormShow runs on the way.
    template <class F>
    void open(F& form) {
        form.show();
        QApplication::processEvents();
    }

    TempAppDir app;
    RecordingDialogs rec;
};

using PDOWindow = ListWindow;

TEST_F(PDOWindow, LayoutOfTheFamily) {
    TFSet_PDO_Access f;
    EXPECT_EQ(f.ClientWidth(), 798);
    EXPECT_EQ(f.ClientHeight(), 337);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Set PDO Access"));
    EXPECT_EQ(f.L_SW_Code()->text(), QStringLiteral("KS73632"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("Set PDO Access"));
    EXPECT_EQ(f.P_Title->geometry(), QRect(0, 0, 798, 69));
    EXPECT_EQ(f.P_Button->geometry(), QRect(0, 297, 798, 40));
    const TFadeButton* buttons[] = {f.Btn_OK, f.Btn_Cancel, f.Btn_DelRow, f.Btn_InsRow, f.Btn_CopyRow, f.Btn_PasteRow};
    const char* captions[] = {"OK", "Cancel", "Delete Row", "Insert Row", "Copy Row", "Paste Row"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(buttons[i]->geometry(), QRect(16 + 118 * i, 6, 110, 28)) << i;
        EXPECT_EQ(buttons[i]->Caption(), QString::fromLatin1(captions[i])) << i;
        EXPECT_EQ(buttons[i]->toolTip(), Text_Table[2308 + i]) << i;
    }
    EXPECT_EQ(f.PageControl1->count(), 2);
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Receive PDO"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("Transmit PDO"));
    EXPECT_EQ(f.sga->RowCount(), 31);
    EXPECT_EQ(f.sgb->RowCount(), 31);
    EXPECT_EQ(f.sga->ColCount(), 13);
    EXPECT_EQ(f.sgb->ColCount(), 14);
    EXPECT_EQ(f.sga->Cells(11, 0), QStringLiteral("TimeOut"));
    EXPECT_EQ(f.sgb->Cells(12, 0), QStringLiteral("On Change"));
    EXPECT_EQ(f.sgb->Columns().Items(12).Editor(), edDataCheckBox);
    EXPECT_EQ(f.sga->Columns().Items(12).Width(), 173);
    EXPECT_EQ(f.sgb->Columns().Items(13).Width(), 105);
    EXPECT_EQ(f.sga->Columns().Items(3).Color(), TColor(16045820));
    EXPECT_EQ(f.Hint_PDO_Receive.size(), 12);
    EXPECT_EQ(f.Hint_PDO_Transmit.size(), 13);
    // Maximized, the panels keep to the edges and the pages take the rest.
    f.show();
    f.resize(1000, 500);
    QApplication::processEvents();
    EXPECT_EQ(f.P_Title->geometry(), QRect(0, 0, 1000, 69));
    EXPECT_EQ(f.PageControl1->geometry(), QRect(0, 69, 1000, 391));
    EXPECT_EQ(f.P_Button->geometry(), QRect(0, 460, 1000, 40));
}

TEST_F(PDOWindow, WithoutAFileTheGridsAreNumberedAndEmpty) {
    TFSet_PDO_Access f;
    f.sga->SetCells(1, 5, QStringLiteral("left over"));
    open(f);
    for (TExColumnGrid* g : {f.sga, f.sgb})
        for (int r = 1; r < g->RowCount(); ++r) {
            EXPECT_EQ(g->Cells(0, r), QString::number(r));
            for (int c = 1; c < g->TotalColCount(); ++c) ASSERT_TRUE(g->Cells(c, r).isEmpty()) << c << "," << r;
        }
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_EQ(f.PROFINET_NByte_IN, 1440);
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(PDOWindow, AFileSavedUnchangedKeepsEveryAttributeInOrder) {
    const struct {
        const char* file;
        QString* path;
        int which;
    } lists[] = {{"PDO_CANopen.xml", &g_PDOCANopenFile, 0},
                 {"SDO_Client_CANopen.xml", &g_SDOClientCANopenFile, 1},
                 {"SDO_Server_CANopen_entries_once.xml", &g_SDOServerCANopenFile, 2}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.file);
        QFile::remove(*l.path);
        ASSERT_TRUE(QFile::copy(fixture(l.file), *l.path));
        TFSet_PDO_Access pdo;
        TFSet_SDO_Client_Access client;
        TFSet_SDO_Server_Access server;
        TAccessListForm* forms[] = {&pdo, &client, &server};
        TAccessListForm& f = *forms[l.which];
        open(f);
        f.Btn_OK_Click();
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        EXPECT_EQ(f.ModalResult(), plat::mrOk);
        for (const char* x : {"/*/*/row/@*", "name(/*)", "/comment()", "name(/*/*[1])", "name(/*/*[2])",
                              "count(/*/*/row)"})
            EXPECT_EQ(xpath(*l.path, x), xpath(fixture(l.file), x)) << x;
    }
    EXPECT_EQ(xpath(g_PDOCANopenFile, "/comment()"), QStringLiteral("<!--SW_VERSION = 1.000-->\n"));
}

TEST_F(PDOWindow, OKOnAnEmptyListWritesRootCommentAndTwoEmptySections) {
    TFSet_PDO_Access f;
    open(f);
    f.Btn_OK_Click();
    EXPECT_EQ(readAll(g_PDOCANopenFile),
              QByteArray("<PDO_CANopen><Receive_PDO/><Transmit_PDO/></PDO_CANopen><!--SW_VERSION = 1.000-->"));
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
}

TEST_F(PDOWindow, EditsAreValidatedAndSavedAsTyped) {
    TFSet_PDO_Access f;
    open(f);
    const char* row[] = {"0x181", "3", "0", "1", "2", "", "9999", "", "", "", "0", "  spaced  "};
    for (int c = 1; c <= 12; ++c) f.sga->SetCells(c, 1, QString::fromLatin1(row[c - 1]));
    f.sga->SetCells(3, 1, QStringLiteral("1440"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error row 1!! [Receive PDO] Address Byte1 must be between 0 and 1439")});
    EXPECT_FALSE(plat::fileExists(g_PDOCANopenFile));
    EXPECT_TRUE(f.isVisible());
    f.sga->SetCells(3, 1, QStringLiteral("0"));
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(xvalue(g_PDOCANopenFile, "string(//Receive_PDO/row[1]/@Address_B5)"), QStringLiteral("9999"));
    EXPECT_EQ(xvalue(g_PDOCANopenFile, "string(//Receive_PDO/row[1]/@Mnemonic)"), QStringLiteral("  spaced  "));
}

TEST_F(PDOWindow, ARowWithoutAnAttributeStopsTheLoadingAndNoKeepsTheFile) {
    QFile::copy(fixture("PDO_CANopen_no_TimeOut.xml"), g_PDOCANopenFile);
    const QByteArray before = readAll(g_PDOCANopenFile);
    TFSet_PDO_Access f;
    open(f);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in \"PDO_CANopen.xml\": section \"Receive_PDO\", row 3: the attribute "
                                "\"TimeOut\" is missing")});
    EXPECT_EQ(f.sga->Cells(12, 1), QStringLiteral("one"));
    EXPECT_EQ(f.sga->Cells(12, 2), QStringLiteral("two"));
    for (int c = 1; c < f.sga->TotalColCount(); ++c) EXPECT_TRUE(f.sga->Cells(c, 3).isEmpty()) << c;
    rec.clear();
    rec.answers = {plat::Answer::No};
    f.Btn_OK_Click();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::YesNo);
    EXPECT_TRUE(rec.shown[0].text.contains(QStringLiteral("PDO_CANopen.xml")));
    EXPECT_EQ(readAll(g_PDOCANopenFile), before);
    EXPECT_TRUE(f.isVisible());
    // Yes replaces the file with the rows shown.
    rec.answers = {plat::Answer::Yes};
    f.Btn_OK_Click();
    EXPECT_EQ(xvalue(g_PDOCANopenFile, "count(//row)"), QStringLiteral("2"));
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
}

TEST_F(PDOWindow, ALoadFailureKeepsTheCopyFlag) {
    TFSet_PDO_Access f;
    open(f);
    f.sga->SetCells(1, 1, QStringLiteral("0x181"));
    f.sga->SetRow(1);
    f.Btn_CopyRowClick();
    f.Btn_Cancel->click();
    writeAll(g_PDOCANopenFile, "<PDO_CANopen><Receive_PDO/></PDO_CANopen>");  // no transmit section
    rec.clear();
    open(f);
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error in \"PDO_CANopen.xml\": the section \"Transmit_PDO\" is missing")});
    EXPECT_TRUE(f.Do_Copy_Receive_PDO);
}

TEST_F(PDOWindow, AGapInTheListIsRefusedNamingItsRows) {
    TFSet_PDO_Access f;
    open(f);
    f.PageControl1->setCurrentIndex(1);
    const char* row[] = {"0x201", "1", "0", "", "", "", "", "", "", "", "0", "N", "m"};
    for (int c = 1; c <= 13; ++c) f.sgb->SetCells(c, 1, QString::fromLatin1(row[c - 1]));
    f.sgb->SetCells(13, 4, QStringLiteral("forgotten"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral(
                  "Error row 4!! [Transmit PDO] The COB-ID of row 2 above is empty, which ends the list: this row and "
                  "every row below row 2 would not be saved. Fill in the COB-ID of row 2 or delete that row.")});
    EXPECT_FALSE(plat::fileExists(g_PDOCANopenFile));
    // A ticked On Change alone is no row in use.
    f.sgb->SetCells(13, 4, QString());
    f.sgb->SetCells(12, 6, QStringLiteral("Y"));
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
}

TEST_F(PDOWindow, RowsBeyondTheGridAreAnnounced) {
    QByteArray file = "<PDO_CANopen><Receive_PDO>";
    for (int i = 0; i < 33; ++i)
        file += "<row COB-ID=\"" + QByteArray::number(i + 1) +
                "\" Dimension=\"1\" Address_B1=\"0\" Address_B2=\"\" Address_B3=\"\" Address_B4=\"\" Address_B5=\"\" "
                "Address_B6=\"\" Address_B7=\"\" Address_B8=\"\" TimeOut=\"0\" Mnemonic=\"\"/>";
    file += "</Receive_PDO><Transmit_PDO/></PDO_CANopen>";
    writeAll(g_PDOCANopenFile, file);
    TFSet_PDO_Access f;
    open(f);
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::Warning);
    EXPECT_EQ(rec.shown[0].text,
              QStringLiteral("\"PDO_CANopen.xml\": the section \"Receive_PDO\" holds 33 rows, the table only 30: the "
                             "last 3 rows are not shown and will be dropped when the list is saved."));
    EXPECT_EQ(f.sga->Cells(1, 30), QStringLiteral("30"));
}

TEST_F(PDOWindow, AFailedSaveIsReportedAndTheWindowStaysOpen) {
    writeAll(app.file(QStringLiteral("not a folder")), "x");
    g_PDOCANopenFile = app.file(QStringLiteral("not a folder/PDO_CANopen.xml"));
    TFSet_PDO_Access f;
    open(f);
    f.Btn_OK_Click();
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("\"PDO_CANopen.xml\" could not be saved: ")))
        << rec.errors()[0].toStdString();
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
}

TEST_F(PDOWindow, DeleteAsksWithTheRowNumberAndMovesTheRowsUp) {
    TFSet_PDO_Access f;
    open(f);
    for (int r = 1; r <= 30; ++r) f.sga->SetCells(12, r, QStringLiteral("m%1").arg(r));
    f.sga->SetRow(7);
    f.Btn_DelRow_Click();  // answered No
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 7")});
    EXPECT_EQ(f.sga->Cells(12, 7), QStringLiteral("m7"));
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(f.sga->Cells(12, 7), QStringLiteral("m8"));
    EXPECT_EQ(f.sga->Cells(12, 29), QStringLiteral("m30"));
    EXPECT_TRUE(f.sga->Cells(12, 30).isEmpty());
    EXPECT_EQ(f.sga->Cells(0, 30), QStringLiteral("30"));
}

TEST_F(PDOWindow, PasteNeedsACopyOfTheSameGridInThisShowing) {
    TFSet_PDO_Access f;
    g_RowClipboard = QStringList(12, QStringLiteral("from another window"));
    open(f);
    f.sga->SetRow(2);
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[1102]});
    f.sga->SetCells(1, 2, QStringLiteral("0x181"));
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_Receive_PDO);
    f.PageControl1->setCurrentIndex(1);
    f.sgb->SetRow(3);
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[1102]});
    EXPECT_TRUE(f.sgb->Cells(1, 3).isEmpty());
    f.PageControl1->setCurrentIndex(0);
    f.sga->SetRow(5);
    rec.clear();
    f.Btn_PasteRowClick();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(f.sga->Cells(1, 5), QStringLiteral("0x181"));
    // Copying on the transmit page takes the flag from the receive page.
    f.PageControl1->setCurrentIndex(1);
    f.Btn_CopyRowClick();
    EXPECT_TRUE(f.Do_Copy_Transmit_PDO);
    EXPECT_FALSE(f.Do_Copy_Receive_PDO);
}

TEST_F(PDOWindow, InsertMovesRowsDownWithoutAFlag) {
    TFSet_PDO_Access f;
    open(f);
    f.sgb->SetCells(1, 1, QStringLiteral("0x201"));
    f.PageControl1->setCurrentIndex(1);
    f.sgb->SetRow(1);
    f.Btn_InsRowClick();
    EXPECT_EQ(f.sgb->Cells(1, 2), QStringLiteral("0x201"));
    for (int c = 1; c < f.sgb->TotalColCount(); ++c) EXPECT_TRUE(f.sgb->Cells(c, 1).isEmpty()) << c;
}

TEST_F(PDOWindow, AClickOnARowNumberSelectsThatRowOfItsOwnGrid) {
    TFSet_PDO_Access f;
    open(f);
    f.PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    // The row number of row 4, in the fixed column.
    const QPoint number = cellRect(*f.sgb, 0, 4).center();
    QWidget* area = f.sgb->childAt(number);
    ASSERT_NE(area, nullptr);
    QTest::mousePress(area, Qt::LeftButton, {}, area->mapFrom(f.sgb, number));
    for (int r = 1; r < f.sgb->RowCount(); ++r) EXPECT_EQ(f.sgb->GetRowSelect(r), r == 4) << r;
    EXPECT_EQ(f.sgb->Row(), 4);
    EXPECT_FALSE(f.sga->GetRowSelect(4));
    // The row buttons then act on that row.
    f.sgb->SetCells(13, 4, QStringLiteral("four"));
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 4")});
    // A click on a data cell selects no row.
    f.ClickCell(f.sga, 2, 3);
    EXPECT_FALSE(f.sga->GetRowSelect(2));
}

TEST_F(PDOWindow, HeaderHintsComeFromTheHintListsOtherCellsHaveNone) {
    TFSet_PDO_Access f;
    f.sgb->setToolTip(QStringLiteral("grid's own"));
    EXPECT_EQ(f.sgb->CellHint(0, 12), Text_Table[2366]);
    EXPECT_EQ(f.sgb->CellHint(0, 1), Text_Table[2355]);
    EXPECT_EQ(f.sga->CellHint(0, 11), Text_Table[2353]);
    EXPECT_TRUE(f.sgb->CellHint(3, 2).isEmpty());
    EXPECT_TRUE(f.sgb->CellHint(0, 0).isEmpty());
}

TEST_F(PDOWindow, CancelThenShowAgainShowsTheFile) {
    QFile::copy(fixture("PDO_CANopen.xml"), g_PDOCANopenFile);
    TFSet_PDO_Access f;
    open(f);
    EXPECT_EQ(f.sga->Cells(1, 2), QStringLiteral(" $182"));
    EXPECT_EQ(f.sga->Cells(12, 2), QStringLiteral("Speed & torque\r\nline 2"));
    EXPECT_EQ(f.sgb->Cells(12, 1), QStringLiteral("Y"));
    f.sga->SetCells(12, 1, QStringLiteral("edited"));
    f.sga->SetCells(1, 5, QStringLiteral("0x185"));
    f.Btn_Cancel->click();
    EXPECT_EQ(f.ModalResult(), plat::mrCancel);
    EXPECT_FALSE(f.isVisible());
    open(f);
    EXPECT_EQ(f.sga->Cells(12, 1), QStringLiteral("Drive 1 status"));
    EXPECT_TRUE(f.sga->Cells(1, 5).isEmpty());
    EXPECT_TRUE(rec.shown.empty());
}

using SDOWindow = ListWindow;

TEST_F(SDOWindow, SizesTextsAndTheServerWritePage) {
    TFSet_SDO_Client_Access client;
    TFSet_SDO_Server_Access server;
    EXPECT_EQ(client.ClientWidth(), 798);
    EXPECT_EQ(server.ClientWidth(), 749);
    EXPECT_EQ(client.sga->RowCount(), 257);
    EXPECT_EQ(server.sgb->RowCount(), 501);
    EXPECT_EQ(client.windowTitle(), QStringLiteral("Set SDO Client Access"));
    EXPECT_EQ(server.PageControl1->tabText(0), QStringLiteral("SDO in Read"));
    EXPECT_EQ(client.sgb->Cells(6, 0), QStringLiteral("On Change"));
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(server.sgb->CellHint(0, c), Text_Table[2541 + c]) << c;

    open(server);
    server.PageControl1->setCurrentIndex(1);
    server.sgb->SetCells(8, 9, QStringLiteral("x"));
    server.ClickCell(server.sgb, 9, 0);
    EXPECT_TRUE(server.sgb->GetRowSelect(9));
    rec.answers = {plat::Answer::Yes};
    server.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 9")});
    EXPECT_TRUE(server.sgb->Cells(8, 9).isEmpty());

    // Enter moves on with the option on; a header double-click sizes with its option on.
    g_EnableJumpFieldTables = 1;
    server.sgb->SetRow(2);
    server.sgb->SetCol(8);
    EXPECT_TRUE(server.sgb->KeyPress(QChar(13)));
    EXPECT_EQ(server.sgb->Row(), 3);
    EXPECT_EQ(server.sgb->Col(), 1);
    g_EnableJumpFieldTables = 0;
    g_DoubleClickAutoSize = 1;
    server.sgb->SetCells(8, 1, QStringLiteral("a much longer mnemonic than the column is wide, by far"));
    const int before = server.sgb->ColWidths(8);
    server.sgb->DblClickCell(0, 8);
    EXPECT_GT(server.sgb->ColWidths(8), before);
    g_DoubleClickAutoSize = 0;
}

TEST_F(SDOWindow, ClientRowSavedAsTyped) {
    TFSet_SDO_Client_Access f;
    open(f);
    const char* row[] = {"5", "0x6041", "0", "2", "100", "0", "1", "abc", "", "m"};
    for (int c = 1; c <= 10; ++c) f.sga->SetCells(c, 1, QString::fromLatin1(row[c - 1]));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(xvalue(g_SDOClientCANopenFile, "string(//SDO_Read/row/@Address_B3)"), QStringLiteral("abc"));
    EXPECT_EQ(readAll(g_SDOClientCANopenFile),
              QByteArray("<SDO_Client_CANopen><SDO_Read><row Device_ID=\"5\" Index=\"0x6041\" SubIndex=\"0\" "
                         "NByte=\"2\" Poll_Time=\"100\" Address_B1=\"0\" Address_B2=\"1\" Address_B3=\"abc\" "
                         "Address_B4=\"\" Mnemonic=\"m\"/></SDO_Read><SDO_Write/></SDO_Client_CANopen>"
                         "<!--SW_VERSION = 1.000-->"));
}

TEST_F(SDOWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    QFile::copy(fixture("PDO_CANopen.xml"), g_PDOCANopenFile);
    QFile::copy(fixture("SDO_Server_CANopen.xml"), g_SDOServerCANopenFile);
    TFSet_PDO_Access pdo;
    TFSet_SDO_Server_Access server;
    const std::pair<TAccessListForm*, const char*> shots[] = {{&pdo, "/pdo-list.png"}, {&server, "/sdo-server-list.png"}};
    for (const auto& [form, name] : shots) {
        open(*form);
        EXPECT_TRUE(form->grab().save(QString::fromLocal8Bit(dir) + QString::fromLatin1(name)));
        form->Btn_Cancel->click();
    }
}

}  // namespace
