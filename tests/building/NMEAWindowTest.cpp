// The NMEA 2000 receive and transmit windows as a user meets them, offscreen with recorded message
// boxes: the layout and texts, the show cycle with its file, the row buttons, OK and its refusals.
#include "building/UReceiveNMEA.h"
#include "building/UTransmitNMEA.h"
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/building/BuildingTestSupport.h"
#include "tests/building/ListWindowFixture.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <csignal>
#include <sys/resource.h>
#include <vector>

using testing_support::readAll;
using testing_support::writeAll;

namespace {

using NMEAWindow = building_tests::ListWindow;
using building_tests::xpath;
using building_tests::xvalue;

TEST_F(NMEAWindow, LayoutAndTextsOfBothLists) {
    TFReceiveNMEA rx;
    TFTransmitNMEA tx;
    const struct {
        TAccessListForm* form;
        TExColumnGrid* grid;
        const char* caption;
        int firstText;
        int columns;
        std::vector<int> checkBoxes;
    } lists[] = {{&rx, rx.sga, "Receive NMEA 2000 Frames", 3500, 9, {3, 4, 7}},
                 {&tx, tx.sga, "Transmit NMEA 2000 Frames", 3600, 11, {4, 6, 7, 8}}};
    for (const auto& l : lists) {
        SCOPED_TRACE(l.caption);
        EXPECT_EQ(l.form->ClientWidth(), 810);
        EXPECT_EQ(l.form->ClientHeight(), 337);
        EXPECT_EQ(l.form->windowTitle(), QString::fromLatin1(l.caption));
        EXPECT_EQ(l.form->L_SW_Desc()->text(), QString::fromLatin1(l.caption));
        EXPECT_EQ(l.form->L_SW_Code()->text(), QStringLiteral("KS73632"));
        EXPECT_EQ(l.form->PageControl1, nullptr);
        EXPECT_EQ(l.grid->objectName(), QStringLiteral("sga"));
        EXPECT_EQ(l.grid->RowCount(), 63);
        EXPECT_EQ(l.grid->ColCount(), l.columns);
        const TFadeButton* buttons[] = {l.form->Btn_OK,     l.form->Btn_Cancel,  l.form->Btn_DelRow,
                                        l.form->Btn_InsRow, l.form->Btn_CopyRow, l.form->Btn_PasteRow};
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(buttons[i]->Caption(), Text_Table[l.firstText + 2 + i]) << i;
            EXPECT_EQ(buttons[i]->toolTip(), Text_Table[l.firstText + 8 + i]) << i;
        }
        for (int c = 0; c < l.columns; ++c) {
            EXPECT_EQ(l.grid->Cells(c, 0), Text_Table[l.firstText + 14 + c]) << c;
            const bool check = std::find(l.checkBoxes.begin(), l.checkBoxes.end(), c) != l.checkBoxes.end();
            EXPECT_EQ(l.grid->Columns().Items(c).Editor() == edDataCheckBox, check) << c;
            // The header hints follow the headers; the row-number column and the data cells have none.
            if (c > 0) EXPECT_EQ(l.grid->CellHint(0, c), Text_Table[l.firstText + 14 + l.columns - 1 + c]) << c;
        }
        EXPECT_TRUE(l.grid->CellHint(0, 0).isEmpty());
        EXPECT_TRUE(l.grid->CellHint(2, 1).isEmpty());
    }
    EXPECT_EQ(rx.Hint_ReceiveNMEA.size(), 8);
    EXPECT_EQ(tx.Hint_TransmitNMEA.size(), 10);
    EXPECT_EQ(tx.Btn_OK->toolTip(), QStringLiteral("Confirm and save the J1939 Receive Frames List"));
}

TEST_F(NMEAWindow, WithoutAFileTheRowsAreNumberedAndEmptyAndTheLimitIsSet) {
    TFReceiveNMEA rx;
    TFTransmitNMEA tx;
    rx.NUM_BYTE_IN = 0;
    tx.NUM_BYTE_OUT = 0;
    rx.sga->SetCells(8, 4, QStringLiteral("left over"));
    open(rx);
    open(tx);
    for (TExColumnGrid* g : {rx.sga, tx.sga})
        for (int r = 1; r <= 62; ++r) {
            ASSERT_EQ(g->Cells(0, r), QString::number(r));
            for (int c = 1; c < g->TotalColCount(); ++c) ASSERT_TRUE(g->Cells(c, r).isEmpty()) << c << "," << r;
        }
    EXPECT_EQ(rx.NUM_BYTE_IN, 512);
    EXPECT_EQ(tx.NUM_BYTE_OUT, 512);
    EXPECT_TRUE(rec.shown.empty());
    // OK on the empty list writes the root and its comment.
    rx.Btn_OK_Click();
    EXPECT_EQ(readAll(g_NMEARecFramesFile), QByteArray("<Receive_NMEA_2000/><!--SW_VERSION = 1.000-->"));
    EXPECT_EQ(rx.ModalResult(), plat::mrOk);
}

TEST_F(NMEAWindow, MissingAttributesTakeTheirDefaultsUnknownOnesAreNotWrittenBack) {
    writeAll(g_NMEARecFramesFile,
             "<Receive_NMEA_2000><row PGN=\"127250\" SA=\"1\" Colour=\"red\"/>"
             "<row PGN=\"126208\" SA=\"2\" TP=\"Y\" TP_Start=\"0\" TP_NByte=\"20\" Mnemonic=\"m\"/></Receive_NMEA_2000>"
             "<!--SW_VERSION = 1.000-->");
    TFReceiveNMEA f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const char* first[] = {"127250", "1", "N", "N", "", "", "N", ""};
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(f.sga->Cells(c, 1), QString::fromLatin1(first[c - 1])) << c;
    EXPECT_EQ(f.sga->Cells(3, 2), QStringLiteral("Y"));
    EXPECT_EQ(f.sga->Cells(4, 2), QStringLiteral("N"));
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_NMEARecFramesFile),
              QByteArray("<Receive_NMEA_2000><row PGN=\"127250\" SA=\"1\" TP=\"N\" FP=\"N\" TP_Start=\"\" TP_NByte=\"\" "
                         "Delete=\"N\" Mnemonic=\"\"/><row PGN=\"126208\" SA=\"2\" TP=\"Y\" FP=\"N\" TP_Start=\"0\" "
                         "TP_NByte=\"20\" Delete=\"N\" Mnemonic=\"m\"/></Receive_NMEA_2000><!--SW_VERSION = 1.000-->"));
}

TEST_F(NMEAWindow, EachListSavedAndReadBackAttributeByAttribute) {
    TFReceiveNMEA rx;
    open(rx);
    const char* rxRow[] = {"59904", "0", "N", "Y", "10", "20", "Y", "Request & <ack>"};
    for (int c = 1; c <= 8; ++c) rx.sga->SetCells(c, 1, QString::fromUtf8(rxRow[c - 1]));
    rx.Btn_OK_Click();
    TFTransmitNMEA tx;
    open(tx);
    const char* txRow[] = {"6", "130306", "35", "Y", "16", "N", "Y", "Y", "1000", "wind \"true\""};
    for (int c = 1; c <= 10; ++c) tx.sga->SetCells(c, 1, QString::fromUtf8(txRow[c - 1]));
    tx.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();

    const char* rxNames[] = {"PGN", "SA", "TP", "FP", "TP_Start", "TP_NByte", "Delete", "Mnemonic"};
    const char* txNames[] = {"Priority", "PGN", "SA", "FP", "TP_NByte", "On_Request", "On_Data_Change", "On_Timer",
                             "SendTimer", "Mnemonic"};
    for (int c = 0; c < 8; ++c)
        EXPECT_EQ(xvalue(g_NMEARecFramesFile, QStringLiteral("string(/Receive_NMEA_2000/row[1]/@%1)").arg(rxNames[c])),
                  QString::fromUtf8(rxRow[c]))
            << rxNames[c];
    for (int c = 0; c < 10; ++c)
        EXPECT_EQ(xvalue(g_NMEASendFramesFile, QStringLiteral("string(/Receive_NMEA_2000/row[1]/@%1)").arg(txNames[c])),
                  QString::fromUtf8(txRow[c]))
            << txNames[c];
    for (const QString* file : {&g_NMEARecFramesFile, &g_NMEASendFramesFile}) {
        EXPECT_EQ(xvalue(*file, QStringLiteral("name(/*)")), QStringLiteral("Receive_NMEA_2000"));
        EXPECT_EQ(xvalue(*file, QStringLiteral("count(/*/row)")), QStringLiteral("1"));
        EXPECT_EQ(xpath(*file, QStringLiteral("/comment()")), QStringLiteral("<!--SW_VERSION = 1.000-->\n"));
        // The root first, the comment after it, nothing else at document level.
        EXPECT_EQ(xvalue(*file, QStringLiteral("name(/node()[1])")), QStringLiteral("Receive_NMEA_2000"));
        EXPECT_EQ(xvalue(*file, QStringLiteral("count(/node()[2]/self::comment())")), QStringLiteral("1"));
        EXPECT_EQ(xvalue(*file, QStringLiteral("count(/node())")), QStringLiteral("2"));
    }
    EXPECT_EQ(xvalue(g_NMEASendFramesFile, QStringLiteral("count(/*/row[1]/@*)")), QStringLiteral("10"));
    // Shown again, each list shows what was saved.
    open(rx);
    open(tx);
    for (int c = 1; c <= 8; ++c) EXPECT_EQ(rx.sga->Cells(c, 1), QString::fromUtf8(rxRow[c - 1])) << c;
    for (int c = 1; c <= 10; ++c) EXPECT_EQ(tx.sga->Cells(c, 1), QString::fromUtf8(txRow[c - 1])) << c;
}

// The transmit list runs to the first empty Priority: a row with a Priority and no PGN is written as
// it stands, the rows after it are checked and written, and a row below an empty Priority is refused.
TEST_F(NMEAWindow, TheTransmitListRunsToTheFirstEmptyPriority) {
    using Cells = std::vector<const char*>;  // columns 1 .. 10
    const auto fill = [](TExColumnGrid& g, int row, const Cells& cells) {
        for (int c = 1; c <= 10; ++c) g.SetCells(c, row, QString::fromUtf8(cells[size_t(c - 1)]));
    };
    const Cells first = {"3", "129025", "0", "N", "8", "N", "N", "N", "", ""};
    const Cells second = {"7", "130306", "239", "N", "504", "N", "N", "Y", "65535", ""};
    const Cells noPGN = {"2", "", "5", "N", "", "N", "N", "N", "", "prio, no PGN"};
    TFTransmitNMEA f;
    open(f);
    fill(*f.sga, 1, first);
    fill(*f.sga, 2, second);
    fill(*f.sga, 3, noPGN);
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    const char* names[] = {"Priority", "PGN", "SA", "FP", "TP_NByte", "On_Request", "On_Data_Change", "On_Timer",
                           "SendTimer", "Mnemonic"};
    ASSERT_EQ(xvalue(g_NMEASendFramesFile, QStringLiteral("count(/Receive_NMEA_2000/row)")), QStringLiteral("3"));
    const Cells* rows[] = {&first, &second, &noPGN};
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(xvalue(g_NMEASendFramesFile, QStringLiteral("string(/Receive_NMEA_2000/row[%1]/@%2)")
                                                       .arg(r + 1)
                                                       .arg(QLatin1String(names[c]))),
                      QString::fromUtf8((*rows[r])[size_t(c)]))
                << "row " << r + 1 << ", " << names[c];
    // Shown again, the three rows come back.
    open(f);
    EXPECT_EQ(f.sga->Cells(10, 3), QStringLiteral("prio, no PGN"));
    EXPECT_TRUE(f.sga->Cells(2, 3).isEmpty());

    // A row after the one without PGN is checked, as it is written.
    const QByteArray saved = readAll(g_NMEASendFramesFile);
    fill(*f.sga, 4, {"8", "59904", "1", "N", "0", "N", "N", "N", "", "after"});
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in row 4!! Priority must be between 0 and 7")});
    EXPECT_EQ(readAll(g_NMEASendFramesFile), saved);

    // Without its Priority, the row would end the list and be lost: refused.
    f.sga->SetCells(1, 4, QString());
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in row 4!! Priority must be between 0 and 7")});
    EXPECT_EQ(readAll(g_NMEASendFramesFile), saved);

    // A row below an empty one would not be written: refused, naming the row that ends the list.
    for (int c = 1; c <= 10; ++c) f.sga->SetCells(c, 4, QString());
    fill(*f.sga, 5, first);
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral("Error in row 5!! The Priority of row 4 above is empty, which ends the list: "
                                         "this row and every row below row 4 would not be saved. Fill in the Priority "
                                         "of row 4 or delete that row.")});
    EXPECT_EQ(readAll(g_NMEASendFramesFile), saved);
    EXPECT_TRUE(f.isVisible());
}

TEST_F(NMEAWindow, AFailingRowIsReportedAndTheFileKept) {
    writeAll(g_NMEARecFramesFile, "<Receive_NMEA_2000><row PGN=\"1\" SA=\"1\"/></Receive_NMEA_2000>");
    const QByteArray before = readAll(g_NMEARecFramesFile);
    TFReceiveNMEA f;
    open(f);
    f.sga->SetCells(1, 2, QStringLiteral("127250"));
    f.sga->SetCells(2, 2, QStringLiteral("240"));
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in row 2!! Source Address must be between 0 and 239")});
    EXPECT_EQ(readAll(g_NMEARecFramesFile), before);
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
    // Two transport rows of 300 bytes each pass the 512 bytes at the second.
    for (int r = 1; r <= 2; ++r)
        for (const auto& [c, t] : {std::pair{2, "1"}, {3, "Y"}, {5, "0"}, {6, "300"}})
            f.sga->SetCells(c, r, QString::fromLatin1(t));
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error!! Too many bytes of data, the max number is 512")});
    EXPECT_EQ(readAll(g_NMEARecFramesFile), before);
}

TEST_F(NMEAWindow, RowButtonsUseTheShellsHelpersAndTexts) {
    TFReceiveNMEA f;
    g_RowClipboard = QStringList(8, QStringLiteral("copied in another window"));
    open(f);
    f.sga->SetRow(3);
    f.Btn_PasteRowClick();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error!!! Copy a valid row before Paste it")});
    EXPECT_TRUE(f.sga->Cells(1, 3).isEmpty());

    for (int r = 1; r <= 62; ++r) f.sga->SetCells(8, r, QStringLiteral("m%1").arg(r));
    f.sga->SetCells(1, 1, QStringLiteral("127250"));
    f.sga->SetRow(1);
    f.Btn_CopyRowClick();
    f.sga->SetRow(2);
    rec.clear();
    f.Btn_PasteRowClick();  // row 2 holds a mnemonic: asked, answered No
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Row Already used. Do you want to overwrite the values?")});
    EXPECT_EQ(f.sga->Cells(8, 2), QStringLiteral("m2"));
    rec.answers = {plat::Answer::Yes};
    f.Btn_PasteRowClick();
    EXPECT_EQ(f.sga->Cells(1, 2), QStringLiteral("127250"));
    EXPECT_EQ(f.sga->Cells(8, 2), QStringLiteral("m1"));

    f.sga->SetRow(5);
    rec.clear();
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 5")});
    EXPECT_EQ(f.sga->Cells(8, 5), QStringLiteral("m6"));
    EXPECT_TRUE(f.sga->Cells(8, 62).isEmpty());

    // Insert puts no "Y" anywhere: the list has no Enable column.
    f.sga->SetRow(1);
    f.Btn_InsRowClick();
    for (int c = 1; c < f.sga->TotalColCount(); ++c) EXPECT_TRUE(f.sga->Cells(c, 1).isEmpty()) << c;
    EXPECT_EQ(f.sga->Cells(1, 2), QStringLiteral("127250"));
}

TEST_F(NMEAWindow, AFileThatCannotBeReadIsReportedAndOnlyReplacedOnYes) {
    writeAll(g_NMEASendFramesFile, "<Receive_NMEA_2000><row PGN=\"1\"");
    const QByteArray before = readAll(g_NMEASendFramesFile);
    TFTransmitNMEA f;
    open(f);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("Error in \"NMEA_Send_Frames.xml\": ")))
        << rec.errors()[0].toStdString();
    rec.clear();
    f.Btn_OK_Click();  // answered No
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::YesNo);
    EXPECT_EQ(readAll(g_NMEASendFramesFile), before);
    rec.answers = {plat::Answer::Yes};
    f.Btn_OK_Click();
    EXPECT_EQ(readAll(g_NMEASendFramesFile), QByteArray("<Receive_NMEA_2000/><!--SW_VERSION = 1.000-->"));
}

TEST_F(NMEAWindow, RowsBeyondTheTableAreAnnounced) {
    QByteArray file = "<Receive_NMEA_2000>";
    for (int i = 0; i < 64; ++i) file += "<row PGN=\"" + QByteArray::number(i) + "\" SA=\"0\"/>";
    writeAll(g_NMEARecFramesFile, file + "</Receive_NMEA_2000>");
    TFReceiveNMEA f;
    open(f);
    EXPECT_EQ(rec.texts(),
              QStringList{QStringLiteral("\"NMEA_Rec_Frames.xml\": the list holds 64 rows, the table only 62: the last "
                                         "2 rows are not shown and will be dropped when the list is saved.")});
    EXPECT_EQ(f.sga->Cells(1, 62), QStringLiteral("61"));
}

TEST_F(NMEAWindow, AFailedSaveIsReportedAndTheOldFileKept) {
    writeAll(g_NMEARecFramesFile, "<Receive_NMEA_2000><row PGN=\"1\" SA=\"1\"/></Receive_NMEA_2000>");
    const QByteArray before = readAll(g_NMEARecFramesFile);
    TFReceiveNMEA f;
    open(f);
    f.sga->SetCells(8, 1, QString(100000, u'x'));
    // The file-size limit stands in for a full disk (it binds the superuser too).
    struct rlimit old {};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    f.Btn_OK_Click();
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].startsWith(QStringLiteral("\"NMEA_Rec_Frames.xml\" could not be saved: ")))
        << rec.errors()[0].toStdString();
    EXPECT_EQ(readAll(g_NMEARecFramesFile), before);
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
}

}  // namespace
