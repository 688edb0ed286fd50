// The DeviceNet offsets: the two files read and written without a window, the check of the output
// offsets with its exact message, and the editor as a user meets it (slaves, byte grids, OK).
#include "fieldbus/DeviceNet.h"
#include "controls/FadeButton.h"
#include "fieldbus/UDefOffset.h"
#include "grid/ExCGrid.h"
#include "platform/Files.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QSplitter>
#include <QTabWidget>
#include <QTest>

using devicenet::TSlave_DN;
using testing_support::readAll;
using testing_support::RecordingDialogs;
using testing_support::TempAppDir;
using testing_support::writeAll;

namespace {

QByteArray networkRow(const char* id, const char* in, const char* out, const char* mnemonic = "") {
    return QByteArray("<row ID=\"") + id + "\" NB_IN=\"" + in + "\" NB_OUT=\"" + out + "\" Mnemonic=\"" + mnemonic +
           "\"/>";
}

QByteArray network(std::initializer_list<QByteArray> rows) {
    QByteArray b = "<DNET_Net>";
    for (const QByteArray& r : rows) b += r;
    return b + "</DNET_Net><!--SW_VERSION = 1.000-->";
}

TEST(DeviceNetFiles, TheNetworkFileListsEverySlave) {
    QByteArray many = "<DNET_Net>";
    for (int i = 0; i < 70; ++i) many += networkRow("1", "0", "0");
    many += "</DNET_Net>";
    const devicenet::Network all = devicenet::readNetwork(many);
    EXPECT_TRUE(all.error.isEmpty());
    EXPECT_EQ(all.slaves.size(), 70u);

    const devicenet::Network net =
        devicenet::readNetwork(network({networkRow("5", "3", "2", "valve"), networkRow("$3F", "0", "65535")}));
    ASSERT_TRUE(net.error.isEmpty()) << net.error.toStdString();
    ASSERT_EQ(net.rows.size(), 2u);
    EXPECT_EQ(net.rows[1], (QStringList{"$3F", "0", "65535", ""}));
    EXPECT_EQ(net.slaves[1].ID, 63);
    EXPECT_EQ(net.slaves[1].ByteOUT, 65535);
    EXPECT_EQ(net.slaves[0].SL_ByteIN, (QStringList{"None", "None", "None"}));
    EXPECT_EQ(net.slaves[0].SL_ByteIN_M, (QStringList{"", "", ""}));
    EXPECT_EQ(net.slaves[0].SL_ByteOUT.size(), 2);
}

// An ID or a count the gateway cannot hold stops the reading at its row, like a text that is no
// number: it is never cut to fewer bits.
TEST(DeviceNetFiles, ANetworkRowThatCannotBeHeldStopsTheReading) {
    const struct {
        QByteArray row;
        const char* error;
    } cases[] = {
        {networkRow("256", "1", "1"), "row 2: ID \"256\" is not a number from 0 to 255"},
        {networkRow("-1", "1", "1"), "row 2: ID \"-1\" is not a number from 0 to 255"},
        {networkRow("7", "65536", "1"), "row 2: NB_IN \"65536\" is not a number from 0 to 65535"},
        {networkRow("7", "1", "1x"), "row 2: NB_OUT \"1x\" is not a number from 0 to 65535"},
        {networkRow("7", "1", ""), "row 2: NB_OUT \"\" is not a number from 0 to 65535"},
        {"<row ID=\"7\" NB_IN=\"1\" NB_OUT=\"1\"/>", "row 2: the attribute \"Mnemonic\" is missing"},
    };
    for (const auto& c : cases) {
        const devicenet::Network net = devicenet::readNetwork(network({networkRow("5", "1", "1"), c.row,
                                                                        networkRow("8", "1", "1")}));
        EXPECT_EQ(net.error, QStringLiteral("Error in \"DNETM_Net.xml\": ") + QString::fromLatin1(c.error));
        EXPECT_EQ(net.slaves.size(), 1u) << c.error;
        EXPECT_EQ(net.rows.size(), 1u) << c.error;
    }
    EXPECT_FALSE(devicenet::readNetwork("<DNET_Net>").error.isEmpty());
}

std::vector<TSlave_DN> slaves(std::initializer_list<std::tuple<int, int, int>> idInOut) {
    QByteArray rows;
    for (const auto& [id, in, out] : idInOut)
        rows += networkRow(QByteArray::number(id), QByteArray::number(in), QByteArray::number(out));
    return devicenet::readNetwork(network({rows})).slaves;
}

TEST(DeviceNetFiles, OffsetsBelongToTheSlavesByPosition) {
    std::vector<TSlave_DN> s = slaves({{5, 2, 1}, {7, 1, 2}});
    const QString error = devicenet::readOffsets(
        "<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"10\" Mnemonic=\"a\"/><row Offset=\"11\" Mnemonic=\"b\"/>"
        "<row Offset=\"12\" Mnemonic=\"surplus byte\"/></ByteIN><ByteOUT><row Offset=\"0\" Mnemonic=\"c\"/></ByteOUT>"
        "</Nodo_DNET><Nodo_DNET><ByteIN/><ByteOUT><row Offset=\"1\" Mnemonic=\"d\"/></ByteOUT></Nodo_DNET>"
        "<Nodo_DNET><ByteIN><row/></ByteIN></Nodo_DNET></Define_Offset>",
        s);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    EXPECT_EQ(s[0].SL_ByteIN, (QStringList{"10", "11"}));
    EXPECT_EQ(s[0].SL_ByteIN_M, (QStringList{"a", "b"}));
    EXPECT_EQ(s[0].SL_ByteOUT, (QStringList{"0"}));
    EXPECT_EQ(s[1].SL_ByteIN, (QStringList{"None"}));
    EXPECT_EQ(s[1].SL_ByteOUT, (QStringList{"1", "None"}));
    EXPECT_EQ(s[1].SL_ByteOUT_M, (QStringList{"d", ""}));

    // Written back: one record per slave, every byte in order.
    plat::XmlDocument doc;
    devicenet::writeOffsets(s, doc);
    EXPECT_EQ(doc.toBytes(),
              QByteArray("<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"10\" Mnemonic=\"a\"/><row Offset=\"11\" "
                         "Mnemonic=\"b\"/></ByteIN><ByteOUT><row Offset=\"0\" Mnemonic=\"c\"/></ByteOUT></Nodo_DNET>"
                         "<Nodo_DNET><ByteIN><row Offset=\"None\" Mnemonic=\"\"/></ByteIN><ByteOUT><row Offset=\"1\" "
                         "Mnemonic=\"d\"/><row Offset=\"None\" Mnemonic=\"\"/></ByteOUT></Nodo_DNET></Define_Offset>"
                         "<!--SW_VERSION = 1.000-->"));

    std::vector<TSlave_DN> damaged = slaves({{5, 1, 1}});
    EXPECT_EQ(devicenet::readOffsets("<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"3\"/></ByteIN></Nodo_DNET>"
                                     "</Define_Offset>",
                                     damaged),
              QStringLiteral("Error in \"DNETM_DefOff.xml\": slave 1, \"ByteIN\" row 1: the attribute \"Mnemonic\" "
                             "is missing"));
    EXPECT_EQ(devicenet::readOffsets("<Define_Offset><Nodo_DNET><ByteIN/></Nodo_DNET></Define_Offset>", damaged),
              QStringLiteral("Error in \"DNETM_DefOff.xml\": slave 1 has no \"ByteOUT\""));
}

TEST(DeviceNetFiles, TwoOutputBytesNeverShareAPosition) {
    Load_Default_Language();
    std::vector<TSlave_DN> s = slaves({{5, 4, 4}, {7, 4, 4}});
    struct Case {
        const char* name;
        std::vector<std::tuple<int, int, const char*>> out;  // slave, byte, offset
        std::vector<std::tuple<int, int, const char*>> in;
        const char* message;
    } cases[] = {
        {"all None", {}, {}, ""},
        {"one position twice",
         {{0, 0, "12"}, {1, 3, "12"}},
         {},
         "Error in ByteOUT! The same byte of MQTT is used in two bytes DeviceNet.\n\r( First ID = 5 Byte = 0, "
         "Second ID = 7 Byte = 3)"},
        {"within one slave", {{1, 1, "0"}, {1, 2, "1439"}, {1, 3, "0"}}, {},
         "Error in ByteOUT! The same byte of MQTT is used in two bytes DeviceNet.\n\r( First ID = 7 Byte = 1, "
         "Second ID = 7 Byte = 3)"},
        {"inputs may share", {{0, 0, "12"}}, {{0, 0, "12"}, {1, 3, "12"}, {1, 2, "99999"}}, ""},
        {"empty and other texts send nothing", {{0, 0, ""}, {0, 1, "abc"}, {1, 0, "abc"}}, {}, ""},
        {"1440 is past the area", {{0, 0, "1"}, {1, 2, "1440"}}, {},
         "Error in ByteOUT! ID = 7 Byte = 2: the offset 1440 is not a byte of MQTT (0 to 1439)."},
        {"a negative number", {{0, 3, "-2"}}, {},
         "Error in ByteOUT! ID = 5 Byte = 3: the offset -2 is not a byte of MQTT (0 to 1439)."},
    };
    for (const Case& c : cases) {
        std::vector<TSlave_DN> t = s;
        for (const auto& [k, i, o] : c.out) t[size_t(k)].SL_ByteOUT[i] = QString::fromLatin1(o);
        for (const auto& [k, i, o] : c.in) t[size_t(k)].SL_ByteIN[i] = QString::fromLatin1(o);
        devicenet::OffsetOwners owners;
        devicenet::resetOwners(owners, 1440);
        const devicenet::OffsetProblem p = devicenet::checkOutputOffsets(t, owners);
        EXPECT_EQ(devicenet::offsetMessage(p, 1440), QString::fromLatin1(c.message)) << c.name;
    }
}

class DefOffsetWindow : public ::testing::Test {
protected:
    void SetUp() override {
        g_ProjectPath = app.path();
        Set_Files();
    }
    void TearDown() override {
        g_ProjectPath.clear();
        Set_Files();
    }
    void open() {
        f.show();
        QApplication::processEvents();
    }
    // The grid of the input (0) or output (1) bytes as (byte, offset, mnemonic) rows.
    std::vector<QStringList> bytes(int side) const {
        const TExColumnGrid& g = side == 0 ? *f.CG_ByteIN : *f.CG_ByteOUT;
        std::vector<QStringList> rows;
        for (int r = 1; r < g.RowCount(); ++r) rows.push_back({g.Cells(0, r), g.Cells(1, r), g.Cells(2, r)});
        return rows;
    }

    // The window labels itself when it is made: the texts come first.
    struct Texts {
        Texts() {
            Load_Default_Language();
            g_SWCode = QStringLiteral("KS73632");
        }
    } texts;
    TempAppDir app;
    RecordingDialogs rec;
    TFDefOffset f;
};

TEST_F(DefOffsetWindow, LayoutAndTexts) {
    EXPECT_EQ(f.ClientWidth(), 482);
    EXPECT_EQ(f.ClientHeight(), 610);
    EXPECT_EQ(f.windowTitle(), QStringLiteral("Define Offset"));
    EXPECT_EQ(f.L_SW_Desc()->text(), QStringLiteral("Define DeviceNet Offset"));
    EXPECT_EQ(f.Label1->text(), QStringLiteral("Select the Slave DeviceNet"));
    EXPECT_EQ(f.Label3->text(), QStringLiteral("Use \"None\" to not pass the byte from DeviceNet to MQTT"));
    EXPECT_EQ(f.PageControl1->tabText(0), QStringLiteral("Byte In"));
    EXPECT_EQ(f.PageControl1->tabText(1), QStringLiteral("Byte Out"));
    EXPECT_EQ(f.PageControl1->currentIndex(), 0);
    EXPECT_EQ(f.Btn_OK->geometry(), QRect(16, 6, 110, 28));
    EXPECT_EQ(f.Btn_Cancel->geometry(), QRect(134, 6, 110, 28));
    EXPECT_EQ(f.Btn_Cancel->toolTip(), QStringLiteral("Exit without save the Bytes Configuration"));
    EXPECT_EQ(f.P_Button->geometry(), QRect(0, 570, 482, 40));
    EXPECT_EQ(f.Splitter1->handleWidth(), 3);
    EXPECT_EQ(f.Splitter1->sizes().value(0), 162);
    const char* slaveHeaders[] = {"ID Slave", "Num Byte In", "Num Byte Out", "Mnemonic"};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(f.CG_DN_Slaves->Cells(c, 0), QString::fromLatin1(slaveHeaders[c]));
        EXPECT_TRUE(c == 0 || f.CG_DN_Slaves->Columns().Items(c).ReadOnly) << c;
    }
    EXPECT_EQ(f.CG_DN_Slaves->Columns().Items(3).Width(), 160);
    for (TExColumnGrid* g : {f.CG_ByteIN, f.CG_ByteOUT}) {
        EXPECT_EQ(g->Cells(0, 0), QStringLiteral("Byte"));
        EXPECT_EQ(g->Cells(1, 0), QStringLiteral("Offset"));
        EXPECT_EQ(g->Columns().Items(1).Editor(), edComboList);
        EXPECT_EQ(g->Columns().Items(2).Width(), 300);
        EXPECT_TRUE(g->CellHint(0, 1).isEmpty());
    }
    open();
    const QStringList items = f.CG_ByteOUT->Columns().Items(1).ComboItems();
    ASSERT_EQ(items.size(), 1441);
    EXPECT_EQ(items.first(), QStringLiteral("None"));
    EXPECT_EQ(items[1], QStringLiteral("0"));
    EXPECT_EQ(items.last(), QStringLiteral("1439"));
}

TEST_F(DefOffsetWindow, WithoutAnOffsetFileEveryByteIsNone) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "3", "2", "valve")}));
    open();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    ASSERT_EQ(f.CG_DN_Slaves->RowCount(), 2);
    const char* slave[] = {"5", "3", "2", "valve"};
    for (int c = 0; c < 4; ++c) EXPECT_EQ(f.CG_DN_Slaves->Cells(c, 1), QString::fromLatin1(slave[c]));
    EXPECT_TRUE(f.CG_DN_Slaves->GetRowSelect(1));
    EXPECT_EQ(f.Slave_Before_Select, 0);
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "None", ""}, {"1", "None", ""}, {"2", "None", ""}}));
    EXPECT_EQ(bytes(1), (std::vector<QStringList>{{"0", "None", ""}, {"1", "None", ""}}));
}

// The ID is the first of the slave's read-only data cells, not a fixed column: the shown slave's
// selection covers it.
TEST_F(DefOffsetWindow, TheSlaveIDIsAReadOnlyDataCellSelectedWithItsRow) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "3", "2", "valve"), networkRow("7", "1", "1")}));
    open();
    EXPECT_EQ(f.CG_DN_Slaves->FixedCols(), 0);
    for (int c = 0; c < 4; ++c) EXPECT_FALSE(f.CG_DN_Slaves->CanEditCell(c, 1)) << c;
    const plat::TGridRect sel = f.CG_DN_Slaves->Selection();
    EXPECT_EQ(f.CG_DN_Slaves->Cells(0, 1), QStringLiteral("5"));
    EXPECT_TRUE(sel.Contains(0, 1));
    EXPECT_TRUE(sel.Contains(3, 1));
    EXPECT_FALSE(sel.Contains(0, 2));
}

TEST_F(DefOffsetWindow, EditsOfASlaveSurviveASwitchToAnother) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "2", "4"), networkRow("7", "1", "4")}));
    open();
    f.CG_ByteIN->SetCells(1, 2, QStringLiteral("12"));
    f.CG_ByteOUT->SetCells(2, 1, QStringLiteral("speed"));
    f.CG_DN_Slaves->ClickCell(2, 3);  // a press on the second slave
    EXPECT_EQ(f.Slave_Before_Select, 1);
    EXPECT_TRUE(f.CG_DN_Slaves->GetRowSelect(2));
    EXPECT_FALSE(f.CG_DN_Slaves->GetRowSelect(1));
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "None", ""}}));
    f.CG_ByteOUT->SetCells(1, 4, QStringLiteral("7"));
    f.CG_DN_Slaves->ClickCell(1, 0);  // and on the first one's ID
    EXPECT_EQ(f.Slave_Before_Select, 0);
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "None", ""}, {"1", "12", ""}}));
    EXPECT_EQ(f.CG_ByteOUT->Cells(2, 1), QStringLiteral("speed"));
    EXPECT_EQ(f.List_Slaves_DN[1].SL_ByteOUT[3], QStringLiteral("7"));
    // A press on the header row changes nothing.
    f.CG_DN_Slaves->ClickCell(0, 1);
    EXPECT_EQ(f.Slave_Before_Select, 0);
    // Down to the next slave shows it, keeping the edits of the one left.
    f.CG_ByteIN->SetCells(2, 1, QStringLiteral("typed"));
    f.CG_DN_Slaves->setFocus();
    QTest::keyClick(f.CG_DN_Slaves, Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(f.Slave_Before_Select, 1);
    EXPECT_EQ(f.CG_ByteOUT->RowCount(), 5);
    EXPECT_EQ(f.List_Slaves_DN[0].SL_ByteIN_M[0], QStringLiteral("typed"));
    QTest::keyClick(f.CG_DN_Slaves, Qt::Key_Up);
    QApplication::processEvents();
    EXPECT_EQ(f.Slave_Before_Select, 0);

    f.Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    // Shown again, the file gives back what was edited.
    open();
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "None", "typed"}, {"1", "12", ""}}));
    f.CG_DN_Slaves->ClickCell(2, 1);
    EXPECT_EQ(bytes(1)[3], (QStringList{"3", "7", ""}));
}

TEST_F(DefOffsetWindow, ASharedOutputPositionKeepsTheWindowOpen) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "1", "1"), networkRow("7", "1", "4")}));
    open();
    f.CG_ByteOUT->SetCells(1, 1, QStringLiteral("12"));
    f.CG_ByteIN->SetCells(1, 1, QStringLiteral("12"));
    f.CG_DN_Slaves->ClickCell(2, 1);
    f.CG_ByteIN->SetCells(1, 1, QStringLiteral("12"));  // inputs may share
    f.CG_ByteOUT->SetCells(1, 4, QStringLiteral("12"));
    f.Btn_OK->click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in ByteOUT! The same byte of MQTT is used in two bytes DeviceNet.\n\r( First ID = "
                                "5 Byte = 0, Second ID = 7 Byte = 3)")});
    EXPECT_TRUE(f.isVisible());
    EXPECT_FALSE(plat::fileExists(g_DNETMDefOffFile));
    f.CG_ByteOUT->SetCells(1, 4, QStringLiteral("13"));
    rec.clear();
    f.Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(readAll(g_DNETMDefOffFile),
              QByteArray("<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"12\" Mnemonic=\"\"/></ByteIN><ByteOUT><row "
                         "Offset=\"12\" Mnemonic=\"\"/></ByteOUT></Nodo_DNET><Nodo_DNET><ByteIN><row Offset=\"12\" "
                         "Mnemonic=\"\"/></ByteIN><ByteOUT><row Offset=\"None\" Mnemonic=\"\"/><row Offset=\"None\" "
                         "Mnemonic=\"\"/><row Offset=\"None\" Mnemonic=\"\"/><row Offset=\"13\" Mnemonic=\"\"/>"
                         "</ByteOUT></Nodo_DNET></Define_Offset><!--SW_VERSION = 1.000-->"));
}

TEST_F(DefOffsetWindow, AnOffsetFileReadByPosition) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "1", "1"), networkRow("7", "1", "1")}));
    // One record fewer than slaves: the second keeps "None".
    writeAll(g_DNETMDefOffFile, "<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"3\" Mnemonic=\"in\"/></ByteIN>"
                                "<ByteOUT><row Offset=\"1440\" Mnemonic=\"out\"/></ByteOUT></Nodo_DNET>"
                                "</Define_Offset>");
    open();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "3", "in"}}));
    EXPECT_EQ(bytes(1), (std::vector<QStringList>{{"0", "1440", "out"}}));
    f.CG_DN_Slaves->ClickCell(2, 1);
    EXPECT_EQ(bytes(1), (std::vector<QStringList>{{"0", "None", ""}}));
    // An offset the list does not offer, from the file, is refused.
    const QByteArray before = readAll(g_DNETMDefOffFile);
    f.Btn_OK->click();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in ByteOUT! ID = 5 Byte = 0: the offset 1440 is not a byte of MQTT (0 to 1439).")});
    EXPECT_EQ(readAll(g_DNETMDefOffFile), before);
}

TEST_F(DefOffsetWindow, WithoutANetworkThereIsNothingToSave) {
    writeAll(g_DNETMDefOffFile, "<Define_Offset><Nodo_DNET><ByteIN/><ByteOUT/></Nodo_DNET></Define_Offset>");
    const QByteArray before = readAll(g_DNETMDefOffFile);
    open();
    EXPECT_EQ(f.CG_DN_Slaves->RowCount(), 1);
    EXPECT_EQ(f.CG_ByteIN->RowCount(), 1);
    EXPECT_EQ(f.CG_ByteOUT->RowCount(), 1);
    EXPECT_EQ(f.Slave_Before_Select, -1);
    f.Btn_OK->click();
    EXPECT_TRUE(rec.shown.empty());
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(readAll(g_DNETMDefOffFile), before);

    // An empty network: the file keeps the root and its comment only.
    writeAll(g_DNETMNetFile, network({}));
    open();
    f.Btn_OK->click();
    EXPECT_EQ(readAll(g_DNETMDefOffFile), QByteArray("<Define_Offset/><!--SW_VERSION = 1.000-->"));
}

TEST_F(DefOffsetWindow, AfterAFailedLoadOKAsksBeforeReplacingTheOffsets) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "1", "1"), networkRow("300", "1", "1")}));
    writeAll(g_DNETMDefOffFile, "<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"3\" Mnemonic=\"a\"/></ByteIN><ByteOUT>"
                                "<row Offset=\"4\" Mnemonic=\"b\"/></ByteOUT></Nodo_DNET><Nodo_DNET><ByteIN><row "
                                "Offset=\"5\" Mnemonic=\"c\"/></ByteIN><ByteOUT/></Nodo_DNET></Define_Offset>");
    const QByteArray before = readAll(g_DNETMDefOffFile);
    open();
    EXPECT_EQ(rec.errors(), QStringList{QStringLiteral(
                                "Error in \"DNETM_Net.xml\": row 2: ID \"300\" is not a number from 0 to 255")});
    // The slaves read before the fault are shown with their offsets.
    EXPECT_EQ(f.CG_DN_Slaves->RowCount(), 2);
    EXPECT_EQ(bytes(0), (std::vector<QStringList>{{"0", "3", "a"}}));
    rec.clear();
    rec.answers = {plat::Answer::No};
    f.Btn_OK->click();
    ASSERT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(rec.shown[0].kind, testing_support::Shown::YesNo);
    EXPECT_EQ(readAll(g_DNETMDefOffFile), before);
    EXPECT_TRUE(f.isVisible());
    rec.answers = {plat::Answer::Yes};
    f.Btn_OK->click();
    EXPECT_EQ(f.ModalResult(), plat::mrOk);
    EXPECT_EQ(readAll(g_DNETMDefOffFile),
              QByteArray("<Define_Offset><Nodo_DNET><ByteIN><row Offset=\"3\" Mnemonic=\"a\"/></ByteIN><ByteOUT><row "
                         "Offset=\"4\" Mnemonic=\"b\"/></ByteOUT></Nodo_DNET></Define_Offset>"
                         "<!--SW_VERSION = 1.000-->"));
}

TEST_F(DefOffsetWindow, CancelWritesNothingAndTheNextShowingReadsTheFiles) {
    writeAll(g_DNETMNetFile, network({networkRow("5", "1", "0")}));
    open();
    f.CG_ByteIN->SetCells(1, 1, QStringLiteral("9"));
    f.Btn_Cancel->click();
    EXPECT_EQ(f.ModalResult(), plat::mrCancel);
    EXPECT_FALSE(plat::fileExists(g_DNETMDefOffFile));
    writeAll(g_DNETMNetFile, network({networkRow("6", "0", "2"), networkRow("8", "0", "0")}));
    open();
    EXPECT_EQ(f.List_Slaves_DN.size(), 2u);
    EXPECT_EQ(f.CG_DN_Slaves->Cells(0, 2), QStringLiteral("8"));
    EXPECT_EQ(f.CG_ByteIN->RowCount(), 1);
    EXPECT_EQ(bytes(1).size(), 2u);
}

TEST_F(DefOffsetWindow, Screenshot) {
    const QByteArray dir = qgetenv("SCREENSHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the windows";
    writeAll(g_DNETMNetFile, network({networkRow("5", "3", "2", "valve"), networkRow("7", "8", "4", "drive")}));
    open();
    f.CG_ByteIN->SetCells(1, 2, QStringLiteral("12"));
    EXPECT_TRUE(f.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/define-offset.png")));
}

}  // namespace
