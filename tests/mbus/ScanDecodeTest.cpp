// The Scan & Decode window against a fake engine: its states and buttons, the progress lines as
// drawn, the result trees and the wireless table, key entry, saving, and a close in mid-scan.
#include "controls/FadeButton.h"
#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "mbus/MBusMeters.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UScanDecode.h"
#include "mbus/UScanModbusStart.h"
#include "tests/mbus/FakeScanEngine.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/GridCells.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QListWidget>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace mbus;
using testing_support::RecordingDialogs;

using namespace scan_fake;

namespace {

class ScanDecode : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
        savedParGen_ = g_ParGenFile;
        g_ParGenFile = dir.filePath(QStringLiteral("ParGen.xml"));
        FInsertKeyWireless = new TFInsertKeyWireless();
        FScanModbusStart = new TFScanModbusStart();
        FModbusStartAdd_SD = new TFModbusStartAdd_SD();
        auto e = std::make_unique<FakeEngine>();
        engine = e.get();
        w = std::make_unique<TFScanDecode>(nullptr, std::move(e));
        w->FileName_MBus = dir.filePath(QStringLiteral("M_Bus.xml"));
    }
    void TearDown() override {
        w.reset();
        delete FInsertKeyWireless;
        delete FScanModbusStart;
        delete FModbusStartAdd_SD;
        FInsertKeyWireless = nullptr;
        FScanModbusStart = nullptr;
        FModbusStartAdd_SD = nullptr;
        g_ParGenFile = savedParGen_;
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
    }

    QStringList shownButtons() const {
        QStringList names;
        for (TFadeButton* b : {w->Btn_StartScan, w->Btn_StopScan, w->Btn_AbortScan, w->Btn_NewScan, w->Btn_SaveConf,
                               w->Btn_SaveConfManual})
            if (!b->isHidden()) names << b->objectName();
        return names;
    }
    // The buttons stand in a row, 8 pixels apart, the first where Start Scan stands.
    void expectButtonRow() const {
        int x = w->Btn_StartScan->x();
        for (TFadeButton* b : {w->Btn_StartScan, w->Btn_StopScan, w->Btn_AbortScan, w->Btn_NewScan, w->Btn_SaveConf,
                               w->Btn_SaveConfManual}) {
            if (b->isHidden()) continue;
            EXPECT_EQ(b->x(), x) << b->objectName().toStdString();
            x += b->width() + 8;
        }
    }
    void finishScan(int result = 0) {
        engine->inScan = false;
        engine->result = result;
        w->T_InScanTimer();
    }
    void applyReports() { QCoreApplication::processEvents(); }
    QStringList lines() const {
        QStringList out;
        for (int i = 0; i < w->LB_AvailableDevice->count(); ++i) out << w->LB_AvailableDevice->item(i)->text();
        return out;
    }

    QTemporaryDir dir;
    RecordingDialogs rec;
    FakeEngine* engine = nullptr;
    std::unique_ptr<TFScanDecode> w;

private:
    QString savedParGen_;
};

TEST_F(ScanDecode, WiredStatesAndTheirButtons) {
    w->show();
    EXPECT_TRUE(engine->run) << "showing opens the engine's run gate";
    EXPECT_EQ(w->Window_State, 1);
    EXPECT_EQ(shownButtons(), QStringList{QStringLiteral("Btn_StartScan")});
    EXPECT_FALSE(w->P_TreeView->isVisibleTo(w.get()));
    EXPECT_EQ(w->ClientHeight(), 523);
    EXPECT_FALSE(w->CB_ScanMethod->isVisibleTo(w.get())) << "the wired scan only";

    w->Btn_StartScan->click();
    EXPECT_EQ(engine->starts, 1);
    EXPECT_EQ(engine->ipCom, QStringLiteral("192.168.2.205"));
    EXPECT_EQ(engine->baud, 2400);
    EXPECT_EQ(engine->parity, 1);
    EXPECT_EQ(engine->cutAfter, 3);
    EXPECT_EQ(w->Window_State, 2);
    EXPECT_EQ(shownButtons(), (QStringList{QStringLiteral("Btn_StopScan"), QStringLiteral("Btn_AbortScan")}));
    expectButtonRow();
    EXPECT_EQ(w->L_ScanProgress->text(), Text_Table[3318]);
    EXPECT_TRUE(w->LB_AvailableDevice->isVisibleTo(w.get()));
    EXPECT_TRUE(w->T_InScan->isActive());

    // Stop and Abort reach the engine only while it scans.
    w->Btn_StopScan->click();
    w->Btn_AbortScan->click();
    EXPECT_EQ(engine->stops, 1);
    EXPECT_EQ(engine->aborts, 1);

    // Still scanning: the timer only comes round again.
    w->T_InScanTimer();
    EXPECT_EQ(w->Window_State, 2);
    EXPECT_TRUE(w->T_InScan->isActive());

    g_MBusSlaveList.Add(wiredMeter(5, 2));
    finishScan();
    EXPECT_FALSE(w->T_InScan->isActive());
    EXPECT_EQ(w->Window_State, 3);
    EXPECT_EQ(shownButtons(), (QStringList{QStringLiteral("Btn_NewScan"), QStringLiteral("Btn_SaveConf"),
                                           QStringLiteral("Btn_SaveConfManual")}));
    expectButtonRow();
    EXPECT_EQ(w->L_ScanProgress->text(), Text_Table[3319]);
    EXPECT_EQ(w->L_Num_Slave->text(), QStringLiteral("1"));
    EXPECT_FALSE(w->LB_AvailableDevice->isVisibleTo(w.get()));

    w->Btn_NewScan->click();
    EXPECT_EQ(w->Window_State, 1);
    EXPECT_EQ(g_MBusSlaveList.Count(), 0) << "New Scan frees the wired results";
    EXPECT_TRUE(rec.shown.empty());
}

TEST_F(ScanDecode, SaveNodeAddressButtonHiddenForFamiliesWithoutIt) {
    for (int code : {6, 11, 15, 20, 18, 0}) {
        w->XML_Code_Dev = code;
        w->Form_Style(3);
        const bool expected = !(code == 6 || code == 11 || code == 15 || code == 20);
        EXPECT_EQ(!w->Btn_SaveConfManual->isHidden(), expected) << code;
        w->Form_Style(5);
        EXPECT_EQ(!w->Btn_SaveConfManual->isHidden(), code != 15) << code;
    }
}

TEST_F(ScanDecode, WirelessStatesAndTheirButtons) {
    w->Form_Type = 1;
    w->show();
    EXPECT_EQ(w->ClientHeight(), 571);
    w->CB_ScanMethod->setCurrentIndex(1);
    EXPECT_TRUE(w->E_Port->isVisibleTo(w.get()));
    EXPECT_EQ(w->E_Port->text(), QStringLiteral("10001"));
    EXPECT_FALSE(w->E_Port->isReadOnly()) << "editable for this gateway";
    EXPECT_FALSE(w->CB_ScanBy->isVisibleTo(w.get()));
    EXPECT_TRUE(w->CB_wMBus_Mode->isVisibleTo(w.get()));
    EXPECT_FALSE(w->CB_MBus_Baud->isVisibleTo(w.get()));
    EXPECT_FALSE(w->CB_Opt_SND_NKE->isVisibleTo(w.get()));

    w->CB_wMBus_Mode->setCurrentIndex(2);  // N1
    w->Btn_StartScan->click();
    EXPECT_EQ(engine->wirelessStarts, 1);
    EXPECT_EQ(engine->port, 10001);
    EXPECT_EQ(engine->mode, 15);
    EXPECT_EQ(w->Window_State, 4);
    EXPECT_EQ(shownButtons(), (QStringList{QStringLiteral("Btn_StopScan"), QStringLiteral("Btn_AbortScan")}));
    EXPECT_TRUE(w->P_View_Wireless->isVisibleTo(w.get()));
    finishScan();
    EXPECT_EQ(w->Window_State, 5);
    EXPECT_EQ(shownButtons(), (QStringList{QStringLiteral("Btn_NewScan"), QStringLiteral("Btn_SaveConf"),
                                           QStringLiteral("Btn_SaveConfManual")}));
    expectButtonRow();
}

TEST_F(ScanDecode, WirelessPortBoxByDeviceCode) {
    const struct {
        int code;
        const char* text;
        bool readOnly;
    } cases[] = {{18, "10001", false}, {12, "10001", true}, {15, "10001", true}, {3, "4000", false}};
    w->Form_Type = 1;
    w->show();
    for (const auto& c : cases) {
        w->E_Port->setReadOnly(false);
        w->E_Port->setText(QStringLiteral("4000"));
        w->XML_Code_Dev = c.code;
        w->CB_ScanMethod->setCurrentIndex(0);
        w->CB_ScanMethod->setCurrentIndex(1);
        EXPECT_EQ(w->E_Port->text(), QString::fromLatin1(c.text)) << c.code;
        EXPECT_EQ(w->E_Port->isReadOnly(), c.readOnly) << c.code;
        EXPECT_TRUE(w->E_Port->isVisibleTo(w.get())) << c.code;
    }
}

TEST_F(ScanDecode, UdpPortOutsideItsRangeIsRefused) {
    w->Form_Type = 1;
    w->XML_Code_Dev = 3;  // a family whose port box keeps what is typed
    w->show();
    w->CB_ScanMethod->setCurrentIndex(1);
    // The message names the range the check keeps: the numbers just outside it are refused with
    // the message, the bounds themselves start the scan.
    const QRegularExpressionMatch range =
        QRegularExpression(QStringLiteral("between (\\d+) and (\\d+)")).match(Port_Range_Text());
    ASSERT_TRUE(range.hasMatch()) << Port_Range_Text().toStdString();
    const int low = range.captured(1).toInt(), high = range.captured(2).toInt();
    for (const QString& bad : {QString::number(low - 1), QString::number(high + 1), QStringLiteral("port"), QString()}) {
        rec.clear();
        w->E_Port->setText(bad);
        w->Btn_StartScan->click();
        EXPECT_EQ(rec.errors(), QStringList{Port_Range_Text()}) << bad.toStdString();
    }
    EXPECT_EQ(engine->wirelessStarts, 0);
    for (const int good : {high, low}) {
        w->E_Port->setText(QString::number(good));
        w->Btn_StartScan->click();
        EXPECT_EQ(engine->port, good);
        finishScan();
        w->Btn_NewScan->click();
    }
    EXPECT_EQ(engine->wirelessStarts, 2);
}

TEST_F(ScanDecode, FailedScanAndStartWhileScanning) {
    w->show();
    w->Btn_StartScan->click();
    // A second start while the engine scans: the message, nothing else.
    g_MBusSlaveList.Add(wiredMeter(1, 1));
    w->StartScan();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[3326]});
    EXPECT_EQ(engine->starts, 1);
    EXPECT_EQ(g_MBusSlaveList.Count(), 1) << "the results are left alone";
    EXPECT_EQ(w->Window_State, 2);

    rec.clear();
    finishScan(2);
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[3329]});
    // The meter found before the failure stays listed.
    EXPECT_EQ(w->Window_State, 3);
    EXPECT_EQ(w->L_Num_Slave->text(), QStringLiteral("1"));
}

// A scan that fails keeps what it found, listed and saveable as after a normal end, and says why it
// failed: "device not found" only when the device did not answer.
TEST_F(ScanDecode, FailedScanKeepsItsMetersAndNamesItsCause) {
    struct Case {
        const char* name;
        bool wireless;
        int failure;
        QString detail;
        int meters;
        QString message;
        int state;
    };
    const QString device = Text_Table[3329];
    const Case cases[] = {
        {"wired, device silent, nothing found", false, TMBusScanDecode::sfDevice, {}, 0, device, 1},
        {"wired, send failed after two meters", false, TMBusScanDecode::sfTransport,
         QStringLiteral("UDP send failed: Network is unreachable (101)"), 2,
         QStringLiteral("The scan ended: the gateway could not be reached (UDP send failed: Network is unreachable "
                        "(101))."),
         3},
        {"wireless, key refused", true, TMBusScanDecode::sfKeyLoad, {}, 2,
         QStringLiteral("The radio module did not take the key, so the scan ended. The meters heard so far stay "
                        "listed."),
         5},
        {"wireless, module silent after a meter was heard", true, TMBusScanDecode::sfDevice, {}, 1, device, 5},
        {"wireless, nothing heard", true, TMBusScanDecode::sfDevice, {}, 0, device, 1},
        {"report not written", false, TMBusScanDecode::sfReport, {}, 1,
         QStringLiteral("The scan ended, but its report could not be written."), 3},
    };
    w->Form_Type = 1;
    w->show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        w->CB_ScanMethod->setCurrentIndex(c.wireless ? 1 : 0);
        w->Btn_StartScan->click();
        for (int i = 0; i < c.meters; ++i) {
            if (c.wireless) {
                putWireless(i, i == 0);
                engine->heard(i, nullptr);
            } else {
                g_MBusSlaveList.Add(wiredMeter(i + 1, 2));
            }
        }
        applyReports();
        rec.clear();
        engine->failure = c.failure;
        engine->failureMessage = c.detail;
        finishScan(2);
        EXPECT_EQ(rec.errors(), QStringList{c.message});
        EXPECT_EQ(w->Window_State, c.state);
        if (c.meters == 0) continue;
        if (c.wireless) {
            EXPECT_EQ(w->SG_Wireless->RowCount(), c.meters + 1);
        } else {
            EXPECT_EQ(w->L_Num_Slave->text(), QString::number(c.meters));
        }
        // Saved as after a normal end.
        QFile::remove(w->FileName_MBus);
        rec.clear();
        w->Btn_SaveConf->click();
        EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});
        const QByteArray xml = testing_support::readAll(w->FileName_MBus);
        EXPECT_EQ(xml.count("<Nodo "), c.meters);
        w->Btn_NewScan->click();
    }
}

TEST_F(ScanDecode, NotNumbersFallBackToTheDesignedBaudAndCut) {
    w->show();
    w->CB_MBus_Baud->setEditable(true);
    w->CB_MBus_Baud->setEditText(QStringLiteral("fast"));
    w->E_Opt_Cut_After->setText(QStringLiteral("x"));
    w->Btn_StartScan->click();
    EXPECT_EQ(engine->baud, 2400);
    EXPECT_EQ(engine->cutAfter, 3);
}

TEST_F(ScanDecode, PrimaryScanLinesAreDrawnBlueAndRedInTwoParts) {
    w->show();
    w->Btn_StartScan->click();
    engine->progress(2, 5, 1, 1);
    engine->progress(2, 6, 0, 1);
    engine->progress(1, 0, 0, 1);  // a primary scan's start adds nothing
    applyReports();
    ASSERT_EQ(lines(), (QStringList{QStringLiteral("ID = 5\t"), QStringLiteral("ID = 6\t[NOT FOUND]")}));

    QCoreApplication::processEvents();  // the list lays out its new lines before it is drawn
    const QImage image = w->LB_AvailableDevice->viewport()->grab().toImage();
    auto count = [&](int row, bool left, auto pred) {
        const QRect r = w->LB_AvailableDevice->visualItemRect(w->LB_AvailableDevice->item(row));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = left ? r.left() : r.left() + 70; x < (left ? r.left() + 70 : r.right()); ++x)
                if (pred(QColor(image.pixel(x * image.devicePixelRatio(), y * image.devicePixelRatio())))) ++n;
        return n;
    };
    auto red = [](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
    auto blue = [](QColor c) { return c.blue() > 150 && c.red() < 100 && c.green() < 100; };
    EXPECT_GT(count(0, true, blue), 0);
    EXPECT_EQ(count(0, true, red) + count(0, false, red), 0);
    EXPECT_GT(count(1, true, red), 0) << "\"ID = 6\" left of pixel 70";
    EXPECT_GT(count(1, false, red), 0) << "\"[NOT FOUND]\" from pixel 70";
    EXPECT_EQ(count(1, true, blue) + count(1, false, blue), 0);
}

TEST_F(ScanDecode, SecondaryScanLines) {
    w->show();
    w->CB_ScanBy->setCurrentIndex(1);
    w->Btn_StartScan->click();
    engine->progress(1, 0, 0, 2);
    engine->progress(2, 0x1234AB, 1, 2);
    engine->progress(2, 0x87654321, 1, 2);
    engine->progress(3, 0, 0, 2);
    applyReports();
    EXPECT_EQ(lines(), (QStringList{Text_Table[3327], QStringLiteral("ID = 001234AB"), QStringLiteral("ID = 87654321"),
                                    Text_Table[3328]}));
}

TEST_F(ScanDecode, ReportsOfAnEarlierScanAreDropped) {
    w->show();
    w->Btn_StartScan->click();
    const TUpdateSlaveList first = engine->progress;
    first(2, 1, 1, 1);  // queued, not yet applied
    finishScan();
    w->Btn_NewScan->click();
    w->Btn_StartScan->click();
    first(2, 2, 1, 1);
    engine->progress(2, 9, 1, 1);
    applyReports();
    EXPECT_EQ(lines(), QStringList{QStringLiteral("ID = 9\t")});
}

TEST_F(ScanDecode, WirelessMeterHeardTwiceUpdatesItsRow) {
    w->Form_Type = 1;
    w->show();
    w->CB_ScanMethod->setCurrentIndex(1);
    w->Btn_StartScan->click();
    ASSERT_TRUE(engine->heard);
    putWireless(0, true);
    engine->heard(0, nullptr);
    applyReports();
    ASSERT_EQ(w->SG_Wireless->RowCount(), 2);
    EXPECT_EQ(w->SG_Wireless->Cells(0, 1), QStringLiteral("1"));
    EXPECT_EQ(w->SG_Wireless->Cells(7, 1), QStringLiteral("KAM(2C2D)"));
    EXPECT_EQ(w->SG_Wireless->Cells(8, 1), QStringLiteral("12345678"));
    EXPECT_EQ(w->SG_Wireless->Cells(9, 1), QStringLiteral("27 (1B)"));
    EXPECT_EQ(w->SG_Wireless->Cells(11, 1), QStringLiteral("-60"));
    int image = -1;
    EXPECT_TRUE(w->SG_Wireless->GetImageIdx(12, 1, image));
    EXPECT_EQ(image, 0);
    for (int c = 0; c < 13; ++c) EXPECT_EQ(cellColor(*w->SG_Wireless, c, 1), plat::TColor(0xB9BBFF)) << c;

    putWireless(1, false);
    engine->heard(1, nullptr);
    // Heard again, now readable and nearer: the same row changes.
    putWireless(0, false, 5);
    engine->heard(0, nullptr);
    applyReports();
    EXPECT_EQ(w->SG_Wireless->RowCount(), 3);
    EXPECT_EQ(w->SG_Wireless->Cells(11, 1), QStringLiteral("-65"));
    EXPECT_TRUE(w->SG_Wireless->GetImageIdx(12, 1, image));
    EXPECT_EQ(image, 1);
    EXPECT_EQ(cellColor(*w->SG_Wireless, 5, 1), plat::TColor(0xA8FFA8));
    EXPECT_EQ(w->SG_Wireless->Cells(0, 2), QStringLiteral("2"));

    // The next start frees the meters: reports still queued from before are dropped with them.
    engine->heard(1, nullptr);
    finishScan();
    w->Btn_NewScan->click();
    EXPECT_EQ(w->SG_Wireless->RowCount(), 3) << "New Scan keeps the wireless results";
    w->Btn_StartScan->click();
    applyReports();
    EXPECT_EQ(w->SG_Wireless->RowCount(), 2);
    EXPECT_EQ(w->SG_Wireless->Cells(0, 1), QString());
    EXPECT_FALSE(w->SG_Wireless->GetImageIdx(12, 1, image));
    EXPECT_EQ(cellColor(*w->SG_Wireless, 3, 1), plat::clWhite);
}

TEST_F(ScanDecode, KeyEntryOnlyForEncryptedRows) {
    w->show();
    putWireless(0, false);
    putWireless(1, true);
    bool opened = false;
    QTimer::singleShot(0, [&] { opened = QApplication::activeModalWidget() == FInsertKeyWireless; });
    w->SG_WirelessDblClickCell(1, 3);
    QCoreApplication::processEvents();
    EXPECT_FALSE(opened);
    EXPECT_FALSE(engine->keyIndex);

    QTimer::singleShot(0, [&] {
        opened = QApplication::activeModalWidget() == FInsertKeyWireless;
        FInsertKeyWireless->E_Key->setText(QStringLiteral("0102030405060708090A0B0C0D0E0F11"));
        FInsertKeyWireless->Btn_OK->click();
    });
    w->SG_WirelessDblClickCell(2, 3);
    EXPECT_TRUE(opened);
    ASSERT_TRUE(engine->keyIndex);
    EXPECT_EQ(*engine->keyIndex, 1);
    const std::array<uint8_t, 16> expected{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 0x11};
    EXPECT_EQ(engine->key, expected);
    EXPECT_TRUE(rec.shown.empty());
    const QRect inside = w->rect();
    EXPECT_TRUE(inside.contains(w->mapFromGlobal(FInsertKeyWireless->pos()))) << "kept inside the window";
}

// A click anywhere in a wireless row selects the whole row; the table does not scroll sideways.
TEST_F(ScanDecode, ClickedWirelessRowIsSelectedWhole) {
    w->Form_Type = 1;
    w->show();
    w->CB_ScanMethod->setCurrentIndex(1);
    w->Btn_StartScan->click();
    putWireless(0, false);
    putWireless(1, true);
    engine->heard(0, nullptr);
    engine->heard(1, nullptr);
    applyReports();
    TExStringGrid& g = *w->SG_Wireless;
    const QRect cell = cellRect(g, g.DisplColIndex(2), 2);
    ASSERT_FALSE(cell.isEmpty());
    QWidget* area = g.childAt(cell.center());
    ASSERT_NE(area, nullptr);
    const int scrolled = g.LeftCol();
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(area, Qt::LeftButton, {}, area->mapFrom(&g, cell.center()));
        EXPECT_FALSE(g.GetRowSelect(1)) << i;
        EXPECT_TRUE(g.GetRowSelect(2)) << i;
        EXPECT_EQ(g.Selection(), (plat::TGridRect{g.FixedCols(), 2, g.ColCount() - 1, 2})) << i;
        EXPECT_EQ(g.ColCount() - g.FixedCols(), 13) << i;
        EXPECT_EQ(g.LeftCol(), scrolled) << i;
    }
}

// The key dialog opens at the mouse, moved left and up only as far as the window's client area asks.
TEST_F(ScanDecode, KeyDialogAtTheMouseInsideTheWindow) {
    w->show();
    putWireless(0, true);
    const QSize dialog = FInsertKeyWireless->size();
    const struct {
        QPoint mouse;
        QPoint expected;
    } cases[] = {
        {{40, 60}, {40, 60}},
        {{w->width() - 5, 60}, {w->width() - dialog.width(), 60}},
        {{40, w->height() - 5}, {40, w->height() - dialog.height()}},
        {{w->width() - 5, w->height() - 5}, {w->width() - dialog.width(), w->height() - dialog.height()}},
    };
    for (const auto& c : cases) {
        QCursor::setPos(w->mapToGlobal(c.mouse));
        ASSERT_EQ(w->mapFromGlobal(QCursor::pos()), c.mouse) << "the platform moves no mouse";
        QPoint at;
        QTimer::singleShot(0, [&] {
            at = w->mapFromGlobal(FInsertKeyWireless->pos());
            FInsertKeyWireless->Btn_Cancel->click();
        });
        w->SG_WirelessDblClickCell(1, 0);
        EXPECT_EQ(at, c.expected) << c.mouse.x() << "," << c.mouse.y();
    }
    EXPECT_FALSE(engine->keyIndex) << "Cancel passes no key";
}

TEST_F(ScanDecode, RefusedKeyIsTold) {
    engine->acceptKey = false;
    w->Insert_Key(0, QStringLiteral("0102030405060708090A0B0C0D0E0F11"));
    EXPECT_EQ(rec.errors(), QStringList{Key_Refused_Text()});
    rec.clear();
    engine->acceptKey = true;
    w->Insert_Key(0, QStringLiteral("0102030405060708090A0B0C0D0E0F11"));
    EXPECT_TRUE(rec.shown.empty()) << "a key taken is not announced";
}

TEST(ScanDecodeKey, DigitPairsBecomeBytes) {
    const std::array<uint8_t, 16> mixed{0xAB, 0, 0x12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF};
    EXPECT_EQ(TFScanDecode::Key_Bytes(QStringLiteral("AB") + QStringLiteral("ZZ") + QStringLiteral("12") +
                                      QString(24, u'0') + QStringLiteral("FF")),
              mixed)
        << "a pair that is no number gives 0";
}

TEST_F(ScanDecode, DotInAnIpBoxMovesOnAndIsDropped) {
    w->show();
    w->activateWindow();
    w->E_IP[0]->setFocus();
    w->E_IP[0]->clear();
    QTest::keyClicks(w->E_IP[0], QStringLiteral("10."));
    EXPECT_EQ(w->E_IP[0]->text(), QStringLiteral("10"));
    EXPECT_EQ(w->focusWidget(), w->E_IP[1]);
    QTest::keyClicks(w->E_IP[1], QStringLiteral("7"));
    EXPECT_EQ(w->E_IP[1]->text(), QStringLiteral("7")) << "the next box's number is replaced";
    w->E_IP[3]->setFocus();
    w->E_IP[3]->clear();
    QTest::keyClicks(w->E_IP[3], QStringLiteral("7."));
    EXPECT_EQ(w->E_IP[3]->text(), QStringLiteral("7"));
    EXPECT_EQ(w->focusWidget(), w->E_IP[3]) << "the fourth box leads nowhere";
}

TEST_F(ScanDecode, IpAddressFromParGenByDeviceCode) {
    // Without the file the designed address stays.
    w->XML_Code_Dev = 18;
    w->show();
    EXPECT_EQ(QStringList({w->E_IP[0]->text(), w->E_IP[1]->text(), w->E_IP[2]->text(), w->E_IP[3]->text()}),
              (QStringList{"192", "168", "2", "205"}));
    w->hide();
    testing_support::writeAll(g_ParGenFile,
                              "<ParGen><Ethernet_IP1>10</Ethernet_IP1><Ethernet_IP2>1</Ethernet_IP2>"
                              "<Ethernet_IP4>9</Ethernet_IP4><PROFINET_IP1>172</PROFINET_IP1></ParGen>");
    w->show();
    EXPECT_EQ(QStringList({w->E_IP[0]->text(), w->E_IP[1]->text(), w->E_IP[2]->text(), w->E_IP[3]->text()}),
              (QStringList{"10", "1", "2", "9"}))
        << "a missing element leaves its box";
    w->hide();
    w->XML_Code_Dev = 11;
    w->show();
    EXPECT_EQ(w->E_IP[0]->text(), QStringLiteral("172"));
}

TEST_F(ScanDecode, SaveAsksAboutAnExistingFile) {
    g_MBusSlaveList.Add(wiredMeter(5, 1));
    w->show();
    w->Form_Style(3);
    testing_support::writeAll(w->FileName_MBus, "<M-Bus_Network><Nodo ID_Primary=\"9\"/></M-Bus_Network>");

    rec.answers = {plat::Answer::Cancel};
    w->Btn_SaveConf->click();
    EXPECT_TRUE(engine->saves.empty());
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3337]});

    rec.clear();
    rec.answers = {plat::Answer::Yes};
    w->Btn_SaveConf->click();
    ASSERT_EQ(engine->saves.size(), 1u);
    EXPECT_EQ(engine->saves[0].Append, 1);
    EXPECT_EQ(engine->saves[0].Mod_Start, 1);
    EXPECT_EQ(engine->saves[0].File_Name, w->FileName_MBus);
    EXPECT_EQ(rec.texts(), (QStringList{Text_Table[3337], Text_Table[3330]}));
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.load(w->FileName_MBus));
    EXPECT_EQ(doc.root().childElements(QStringLiteral("Nodo")).size(), 2u) << "appended";

    rec.clear();
    rec.answers = {plat::Answer::No};
    w->Btn_SaveConf->click();
    ASSERT_EQ(engine->saves.size(), 2u);
    EXPECT_EQ(engine->saves[1].Append, 0);
    ASSERT_TRUE(doc.load(w->FileName_MBus));
    EXPECT_EQ(doc.root().childElements(QStringLiteral("Nodo")).size(), 1u) << "replaced";
}

TEST_F(ScanDecode, SaveWithoutAFileReplacesAndFillsTheRecord) {
    g_MBusSlaveList.Add(wiredMeter(5, 1));
    w->show();
    w->CB_MBus_Baud->setCurrentIndex(5);
    w->CB_MBus_Parity->setCurrentIndex(2);
    w->CB_Opt_SND_NKE->setChecked(true);
    w->E_Opt_Cut_After->setText(QStringLiteral("7"));
    w->Form_Style(3);
    w->Btn_SaveConf->click();
    ASSERT_EQ(engine->saves.size(), 1u);
    const TSaveConfXML& d = engine->saves[0];
    EXPECT_EQ(d.Append, 0);
    EXPECT_EQ(d.Index_Baud, 5);
    EXPECT_EQ(d.Index_Par, 2);
    EXPECT_EQ(d.SND_NKE, 1);
    EXPECT_EQ(d.Reset_App, 0);
    EXPECT_EQ(d.Cut_After, 7);
    EXPECT_EQ(d.StartModnode, 0);
    EXPECT_EQ(d.XML_Code_Dev, 18);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});
}

TEST_F(ScanDecode, StartDialogsForTheModbusFamilies) {
    g_MBusSlaveList.Add(wiredMeter(5, 1));
    g_MBusSlaveList.Add(wiredMeter(6, 1));
    w->XML_Code_Dev = 13;
    w->show();
    w->Form_Style(3);

    // Node addresses: the dialog lists the meters; Cancel saves nothing.
    QTimer::singleShot(0, [&] { FModbusStartAdd_SD->Btn_Cancel->click(); });
    w->Btn_SaveConfManual->click();
    EXPECT_TRUE(engine->saves.empty());
    EXPECT_EQ(FModbusStartAdd_SD->sga->RowCount(), 3);
    EXPECT_EQ(FModbusStartAdd_SD->sga->Cells(0, 1), QStringLiteral("5 - 12345678"));
    EXPECT_EQ(FModbusStartAdd_SD->sga->Cells(1, 2), QStringLiteral("1"));

    QTimer::singleShot(0, [&] {
        FModbusStartAdd_SD->sga->SetCells(1, 2, QStringLiteral("300"));
        FModbusStartAdd_SD->CB_En_NodeState->setChecked(true);
        FModbusStartAdd_SD->Btn_OK->click();
    });
    w->Btn_SaveConfManual->click();
    ASSERT_EQ(engine->saves.size(), 1u);
    EXPECT_EQ(engine->saves[0].StartModnode, 1);
    EXPECT_EQ(engine->saves[0].SMN_Array, (std::vector<int32_t>{1, 300}));
    EXPECT_TRUE(engine->saves[0].En_NodeState);

    // Appending a plain save asks for the first register.
    rec.answers = {plat::Answer::Yes};
    QTimer::singleShot(0, [&] {
        FScanModbusStart->E_StartModAdd->setText(QStringLiteral("100"));
        FScanModbusStart->Btn_OK->click();
    });
    w->Btn_SaveConf->click();
    ASSERT_EQ(engine->saves.size(), 2u);
    EXPECT_EQ(engine->saves[1].Append, 1);
    EXPECT_EQ(engine->saves[1].Mod_Start, 100);
}

TEST_F(ScanDecode, CloseInMidScanLetsTheEngineFinishItsAbort) {
    w->show();
    w->Btn_StartScan->click();
    w->close();
    EXPECT_EQ(engine->aborts, 1);
    EXPECT_TRUE(engine->run) << "the engine still has to switch the gateway back";
    EXPECT_TRUE(w->Close_Pending());

    // A start meanwhile is refused.
    w->StartScan();
    EXPECT_EQ(rec.errors(), QStringList{Text_Table[3326]});

    w->T_InScanTimer();
    EXPECT_TRUE(engine->run);
    engine->inScan = false;
    engine->result = 2;
    rec.clear();
    w->T_InScanTimer();
    EXPECT_FALSE(engine->run) << "the loop idles once the engine is done";
    EXPECT_TRUE(rec.shown.empty()) << "nothing is reported for a closed window";

    // Closed while idle: the gate closes at once.
    w->show();
    EXPECT_TRUE(engine->run);
    w->close();
    EXPECT_FALSE(engine->run);
}

TEST_F(ScanDecode, CyclicModeCountsScansThatMissTheTarget) {
    w->show();
    w->Ciclic1Click();
    EXPECT_TRUE(w->Cyclic_Scan);
    EXPECT_EQ(engine->starts, 1);
    finishScan();
    EXPECT_EQ(w->Error_Cyclic, 1) << "no meter of 30";
    EXPECT_EQ(engine->starts, 2) << "the next scan starts at once";
    for (int i = 0; i < 30; ++i) g_MBusSlaveList.Add(wiredMeter(i + 1, 0));
    engine->inScan = false;
    engine->result = 0;
    // The scan's own start emptied the list: fill it as the engine would, then end it.
    w->T_InScanTimer();
    EXPECT_EQ(w->Error_Cyclic, 1);
    EXPECT_EQ(w->L_Title_Cyclic->text(), QStringLiteral("1"));
}

}  // namespace

namespace {

// Pictures of the settings (state 1), the wired results (3) and the wireless results (5). Saved
// when SCREENSHOT_DIR is set.
TEST_F(ScanDecode, Screenshot) {
    const QByteArray shots = qgetenv("SCREENSHOT_DIR");
    if (shots.isEmpty()) GTEST_SKIP() << "set SCREENSHOT_DIR to save pictures of the window";
    const int hold = qEnvironmentVariableIntValue("SCREENSHOT_HOLD_MS");
    auto save = [&](const char* name) {
        QCoreApplication::processEvents();
        // Only for a person looking on: the window stays as shown for the time asked.
        if (hold > 0) QTest::qWait(hold);
        EXPECT_TRUE(w->grab().save(QString::fromLocal8Bit(shots) + u'/' + QString::fromLatin1(name)));
    };
    w->Form_Type = 1;
    w->show();
    save("scan-decode-1.png");

    w->Btn_StartScan->click();
    engine->progress(2, 1, 1, 1);
    engine->progress(2, 2, 0, 1);
    engine->progress(2, 3, 1, 1);
    applyReports();
    save("scan-decode-2.png");
    g_MBusSlaveList.Add(wiredMeter(1, 2));
    g_MBusSlaveList.Add(wiredMeter(3, 1));
    finishScan();
    save("scan-decode-3.png");

    w->Btn_NewScan->click();
    w->CB_ScanMethod->setCurrentIndex(1);
    w->Btn_StartScan->click();
    putWireless(0, true);
    putWireless(1, false, 7);
    engine->heard(0, nullptr);
    engine->heard(1, nullptr);
    applyReports();
    finishScan();
    w->SG_WirelessClickCell(2, 3);
    save("scan-decode-5.png");
}

}  // namespace
