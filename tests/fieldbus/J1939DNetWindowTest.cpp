// The J1939 lists and the DeviceNet network list as a user meets them, offscreen with recorded
// message boxes: their layout and texts, what they load and save, and the rows that end a list.
#include "fieldbus/UDNet.h"
#include "controls/FadeButton.h"
#include "fieldbus/UReceiveJ1939.h"
#include "fieldbus/UTransmitJ1939.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <stdexcept>

using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

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
    static void open(QWidget& form) {
        form.show();
        QApplication::processEvents();
    }
    static void setRow(TExColumnGrid& g, int row, std::initializer_list<const char*> cells) {
        int c = 1;
        for (const char* t : cells) g.SetCells(c++, row, QString::fromUtf8(t));
    }

    TempAppDir app;
    RecordingDialogs rec;
};

using J1939Window = ListWindow;

TEST_F(J1939Window, LayoutAndTextsOfBothLists) {
    TFReceiveJ1939 rx;
    TFTransmitJ1939 tx;
    const struct {
        TAccessListForm* form;
        TExColumnGrid* grid;
        int width, firstText;
        const char* caption;
        QStringList headers;
        std::vector<int> widths;
        std::vector<int> checks;
        int dataPage;
    } lists[] = {
        {&rx, rx.sga, 876, 2600, "Receive J1939 Frames",
         {"N", "Data Page", "PGN", "Source Address", "Transport Protocol", "Start Byte", "N Byte", "Cancel Data",
          "On Request", "Time(ms)", "Mnemonic"},
         {40, 65, 85, 95, 113, 65, 55, 75, 75, 65, 120}, {4, 7, 8}, 1},
        {&tx, tx.sga, 800, 2700, "Transmit J1939 Frames",
         {"N", "Priority", "Data Page", "PGN", "Source Address", "N Bytes", "Request", "Data Change", "On Timer",
          "Send Timer", "Mnemonic"},
         {40, 50, 65, 85, 95, 60, 55, 80, 60, 70, 115}, {6, 7, 8}, 2},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.caption);
        EXPECT_EQ(l.form->ClientWidth(), l.width);
        EXPECT_EQ(l.form->ClientHeight(), 337);
        EXPECT_EQ(l.form->windowTitle(), QString::fromLatin1(l.caption));
        EXPECT_EQ(l.form->font().family(), QStringLiteral("Tahoma"));
        EXPECT_EQ(l.form->PageControl1, nullptr);
        EXPECT_EQ(l.grid->objectName(), QStringLiteral("sga"));
        EXPECT_EQ(l.grid->RowCount(), 513);
        ASSERT_EQ(l.grid->ColCount(), 11);
        for (int c = 0; c < 11; ++c) {
            EXPECT_EQ(l.grid->Cells(c, 0), l.headers[c]) << c;
            EXPECT_EQ(l.grid->Columns().Items(c).Width(), l.widths[size_t(c)]) << c;
            const bool check = std::find(l.checks.begin(), l.checks.end(), c) != l.checks.end();
            EXPECT_EQ(l.grid->Columns().Items(c).Editor() == edDataCheckBox, check) << c;
            if (c >= 1) {
                EXPECT_EQ(l.grid->CellHint(0, c), Text_Table[l.firstText + 24 + c]) << c;
            }
        }
        EXPECT_EQ(l.grid->Columns().Items(l.dataPage).Editor(), edComboList);
        EXPECT_EQ(l.grid->Columns().Items(l.dataPage).ComboItems(), (QStringList{"0", "1"}));
        EXPECT_TRUE(l.grid->CellHint(5, 3).isEmpty());
        EXPECT_EQ(l.form->Btn_DelRow->toolTip(), Text_Table[l.firstText + 10]);
    }
    EXPECT_EQ(rx.sga->Columns().Items(5).Color(), TColor(13303754));
    EXPECT_EQ(tx.sga->Columns().Items(5).Color(), TColor(11075583));
    EXPECT_EQ(rx.Hint_ReceiveJ1939.size(), 10);
    EXPECT_EQ(tx.Hint_TransmitJ1939.size(), 10);
}

TEST_F(J1939Window, AnOlderTransmitFileIsShownAndSavedInTheCurrentForm) {
    writeAll(g_J1939SendFramesFile,
             "<Transmit_J1939><row Priority=\"3\" DP=\"1\" PGN=\"0x1FF00\" SA=\"7\" T_Type=\"On Timer\" "
             "On_Request=\"Y\" SendTimer=\"250\" Mnemonic=\"engine\"/><row Priority=\"6\" DP=\"0\" PGN=\"65280\" "
             "SA=\"7\" TP_NByte=\"\" On_Request=\"Y\" On_Data_Change=\"Y\" On_Timer=\"N\" SendTimer=\"\" "
             "Mnemonic=\"\"/></Transmit_J1939><!--SW_VERSION = 1.100-->");
    TFTransmitJ1939 f;
    open(f);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    const char* expected[2][10] = {{"3", "1", "0x1FF00", "7", "8", "N", "N", "Y", "250", "engine"},
                                   {"6", "0", "65280", "7", "8", "Y", "Y", "N", "", ""}};
    for (int r = 0; r < 2; ++r)
        for (int c = 1; c <= 10; ++c)
            EXPECT_EQ(f.sga->Cells(c, r + 1), QString::fromLatin1(expected[r][c - 1])) << r << "," << c;
    EXPECT_TRUE(f.sga->Cells(3, 3).isEmpty());
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(readAll(g_J1939SendFramesFile),
              QByteArray("<Transmit_J1939><row Priority=\"3\" DP=\"1\" PGN=\"0x1FF00\" SA=\"7\" TP_NByte=\"8\" "
                         "On_Request=\"N\" On_Data_Change=\"N\" On_Timer=\"Y\" SendTimer=\"250\" Mnemonic=\"engine\"/>"
                         "<row Priority=\"6\" DP=\"0\" PGN=\"65280\" SA=\"7\" TP_NByte=\"8\" On_Request=\"Y\" "
                         "On_Data_Change=\"Y\" On_Timer=\"N\" SendTimer=\"\" Mnemonic=\"\"/></Transmit_J1939>"
                         "<!--SW_VERSION = 1.104-->"));
}

// A row with a Priority but no PGN ends the list: it is neither checked nor saved, and a row in use
// below it is refused rather than dropped.
TEST_F(J1939Window, AnEmptyPGNEndsTheList) {
    TFTransmitJ1939 f;
    open(f);
    setRow(*f.sga, 1, {"6", "0", "0xFEF1", "0", "8", "N", "N", "N", "", "kept"});
    setRow(*f.sga, 2, {"9", "", "", "", "", "", "", "", "", ""});
    setRow(*f.sga, 3, {"6", "0", "0xFEF2", "0", "8", "N", "N", "N", "", "below"});
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(),
              QStringList{QStringLiteral(
                  "Error in row 3!! The PGN of row 2 above is empty, which ends the list: this row "
                  "and every row below row 2 would not be saved. Fill in the PGN of row 2 or delete that row.")});
    EXPECT_FALSE(plat::fileExists(g_J1939SendFramesFile));
    for (int c = 1; c <= 10; ++c) f.sga->SetCells(c, 3, QString());
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_J1939SendFramesFile),
              QByteArray("<Transmit_J1939><row Priority=\"6\" DP=\"0\" PGN=\"0xFEF1\" SA=\"0\" TP_NByte=\"8\" "
                         "On_Request=\"N\" On_Data_Change=\"N\" On_Timer=\"N\" SendTimer=\"\" Mnemonic=\"kept\"/>"
                         "</Transmit_J1939><!--SW_VERSION = 1.104-->"));
}

TEST_F(J1939Window, ReceiveChecksOnOKAndKeepsBlanksOfTheKey) {
    TFReceiveJ1939 f;
    open(f);
    setRow(*f.sga, 1, {"0", "0xFEF1", "0", "N", "-1", "2", "N", "N", "1000", ""});
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in row 1!! The Start Byte must be between 0 and 7")});
    EXPECT_TRUE(f.isVisible());
    f.sga->SetCells(5, 1, QStringLiteral("6"));
    setRow(*f.sga, 2, {"1", " ", "0", "N", "", "", "N", "N", "1000", ""});
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral("Error in row 2!! PGN must be between 0x0000 and 0xFFFF")});
    f.sga->SetCells(2, 2, QStringLiteral(" 61444"));
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_TRUE(readAll(g_J1939RecFramesFile).contains("PGN=\" 61444\""));
}

TEST_F(J1939Window, RowButtonsActOnTheCurrentRow) {
    TFReceiveJ1939 f;
    open(f);
    for (int r = 1; r <= 512; ++r) f.sga->SetCells(10, r, QStringLiteral("m%1").arg(r));
    f.sga->SetRow(512);
    rec.answers = {plat::Answer::Yes};
    f.Btn_DelRow_Click();
    EXPECT_EQ(rec.texts(), QStringList{QStringLiteral("Are you sure to delete the Row number 512")});
    EXPECT_TRUE(f.sga->Cells(10, 512).isEmpty());
    f.sga->SetRow(3);
    f.Btn_InsRowClick();
    EXPECT_TRUE(f.sga->Cells(10, 3).isEmpty());
    EXPECT_TRUE(f.sga->Cells(1, 3).isEmpty());  // no enable column: nothing is ticked
    EXPECT_EQ(f.sga->Cells(10, 4), QStringLiteral("m3"));
}

using DNetWindow = ListWindow;

TEST_F(DNetWindow, LayoutAndTexts) {
    TFDNet f;
    EXPECT_EQ(f.ClientWidth(), 745);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("DeviceNet Network"));
    EXPECT_EQ(f.SG->objectName(), QStringLiteral("SG"));
    EXPECT_EQ(f.SG->RowCount(), 65);
    ASSERT_EQ(f.SG->ColCount(), 5);
    const char* headers[] = {"N", "ID Slave", "Num Byte In", "Num Byte Out", "Mnemonic"};
    const int widths[] = {45, 100, 100, 100, 375};
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(f.SG->Cells(c, 0), QString::fromLatin1(headers[c])) << c;
        EXPECT_EQ(f.SG->Columns().Items(c).Width(), widths[c]) << c;
    }
    EXPECT_EQ(f.SG->Columns().Items(1).Color(), TColor(13565902));
    EXPECT_EQ(f.SG->Columns().Items(3).Color(), TColor(14024703));
    EXPECT_EQ(f.SG->CellHint(0, 4), QStringLiteral("Insert a description of DeviceNet Slave"));
    EXPECT_EQ(f.Hint_DeviceNet.size(), 4);
    EXPECT_EQ(f.Btn_PasteRow->toolTip(), Text_Table[2813]);
}

TEST_F(DNetWindow, EveryRowUpToTheSixtyFourthIsChecked) {
    TFDNet f;
    open(f);
    for (int r = 1; r <= 64; ++r) setRow(*f.SG, r, {"63", "0", "65535", "slave"});
    const struct {
        int row, col;
        const char* text;
        const char* message;
    } cases[] = {
        {1, 1, "64", "Error in row 1!! ID must be 0 or 63"},
        {1, 1, "-1", "Error in row 1!! ID must be 0 or 63"},
        {7, 2, "65536", "Error in row 7!! Number Byte IN must be 0 or 65535"},
        {12, 3, "abc", "Error in row 12!! Number Byte OUT must be 0 or 65535"},
        {64, 1, "64", "Error in row 64!! ID must be 0 or 63"},
        {64, 1, " ", "Error in row 64!! ID must be 0 or 63"},  // blanks are a filled ID
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const QString before = f.SG->Cells(c.col, c.row);
        f.SG->SetCells(c.col, c.row, QString::fromLatin1(c.text));
        rec.clear();
        f.Btn_OK_Click();
        EXPECT_EQ(rec.errors(), QStringList{QString::fromLatin1(c.message)});
        EXPECT_FALSE(plat::fileExists(g_DNETMNetFile));
        f.SG->SetCells(c.col, c.row, before);
    }
    rec.clear();
    f.Btn_OK_Click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    const QByteArray file = readAll(g_DNETMNetFile);
    EXPECT_EQ(file.count("<row ID=\"63\" NB_IN=\"0\" NB_OUT=\"65535\" Mnemonic=\"slave\"/>"), 64);
    EXPECT_TRUE(file.startsWith("<DNET_Net><row "));
    EXPECT_TRUE(file.endsWith("</DNET_Net><!--SW_VERSION = 1.000-->"));
}

TEST_F(DNetWindow, CancelThenShowAgainShowsTheFile) {
    writeAll(g_DNETMNetFile, "<DNET_Net><row ID=\"5\" NB_IN=\"3\" NB_OUT=\"2\" Mnemonic=\"valve\"/></DNET_Net>");
    TFDNet f;
    open(f);
    EXPECT_EQ(f.SG->Cells(4, 1), QStringLiteral("valve"));
    setRow(*f.SG, 1, {"6", "1", "1", "pump"});
    setRow(*f.SG, 2, {"7", "1", "1", "typed"});
    f.Btn_Cancel->click();
    EXPECT_EQ(f.ModalResult(), plat::mrCancel);
    open(f);
    const char* row1[] = {"1", "5", "3", "2", "valve"};
    for (int c = 0; c < 5; ++c) EXPECT_EQ(f.SG->Cells(c, 1), QString::fromLatin1(row1[c])) << c;
    for (int r = 2; r <= 64; ++r)
        for (int c = 1; c < 5; ++c) ASSERT_TRUE(f.SG->Cells(c, r).isEmpty()) << c << "," << r;
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(DNetWindow, ARowWithoutAnAttributeStopsTheLoading) {
    writeAll(g_DNETMNetFile, "<DNET_Net><row ID=\"5\" NB_IN=\"3\" NB_OUT=\"2\" Mnemonic=\"\"/>"
                             "<row ID=\"6\" NB_IN=\"3\" Mnemonic=\"\"/><row ID=\"7\" NB_IN=\"1\" NB_OUT=\"1\" "
                             "Mnemonic=\"\"/></DNET_Net>");
    TFDNet f;
    open(f);
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in \"DNETM_Net.xml\": row 2: the attribute \"NB_OUT\" is missing")});
    EXPECT_EQ(f.SG->Cells(1, 1), QStringLiteral("5"));
    EXPECT_TRUE(f.SG->Cells(1, 2).isEmpty());
    EXPECT_TRUE(f.SG->Cells(1, 3).isEmpty());
}

// A check that breaks down inside is reported and never taken for a pass: nothing is written.
class TFDNetBrokenCheck : public TFDNet {
protected:
    std::vector<accesslist::SectionRules> Rules() const override {
        accesslist::SectionRules r;
        r.checks = {[](const accesslist::RowView&) -> std::optional<accesslist::Failure> {
            throw std::runtime_error("check broke down");
        }};
        return {r};
    }
};

TEST_F(DNetWindow, AFailureInsideTheCheckIsNoPass) {
    TFDNetBrokenCheck f;
    open(f);
    setRow(*f.SG, 1, {"5", "1", "1", ""});
    f.Btn_OK->click();
    ASSERT_EQ(rec.errors().size(), 1);
    EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("check broke down"))) << rec.errors()[0].toStdString();
    EXPECT_FALSE(plat::fileExists(g_DNETMNetFile));
    EXPECT_TRUE(f.isVisible());
    EXPECT_EQ(f.ModalResult(), plat::mrNone);
}

}  // namespace
