// The Scan & Decode window's wireless scan end to end: the real engine against the fake gateway's
// radio module over loopback sockets. Apart from the tree tests: the grid and the tree name an
// alignment type alike.
#include "FakeGateway.h"
#include "RunEvents.h"
#include "controls/FadeButton.h"
#include "grid/ExGrid.h"
#include "mbus/MBusMeters.h"
#include "mbus/MBusNetwork.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UMBusScanDecode.h"
#include "mbus/UScanDecode.h"
#include "platform/FormatSettings.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/support/GridCells.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <functional>

using mbus::TMBusScanDecode;
using testing_support::RecordingDialogs;

namespace {

using testing_support::runEventsUntil;

// The open metering example for security mode 5 behind an extended link layer, with the Telit
// trailer; its key is 0102030405060708090A0B0C0D0E0F11.
mbus::TBytes encryptedTelegram() {
    return fake::hexBytes(
        "31 44 93 15 78 56 34 12 33 03 8C 20 2B 7A 2A 00 20 05 59 23 C9 5A AA 26 D1 B2 E7 49 3B 01 3E C4 A6 F6 "
        "D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3 00 50");
}

// A readable telegram of another meter (87654321), with the Telit trailer.
mbus::TBytes readableTelegram() {
    return fake::hexBytes("14 44 2D 2C 21 43 65 87 01 07 7A 2A 00 00 00 04 13 10 27 00 00 00 50");
}

// The window on the real engine, against the gateway's radio module over loopback sockets; the
// engine's waits run on the quiet clock (fake::QuietClock).
class ScanDecodeWirelessLive : public ::testing::Test {
protected:
    // The meter sends once; the module hands it on while it listens, and the engine hears it
    // whatever step it is in.
    bool hear(const mbus::TBytes& telegram, const std::function<bool()>& pred) {
        if (!radio->push(telegram)) return false;
        return runEventsUntil(pred);
    }

    void SetUp() override {
        Load_Default_Language();
        plat::setFormatSettingsOverride(plat::FormatSettings{});
        g_WMBusSlaveList.Clear();
        FInsertKeyWireless = new TFInsertKeyWireless();
        segment.Module = fake::Segment::Radio::Telit;
        // The gateway's radio port is the one the window offers this gateway.
        radio = std::make_unique<fake::UdpGateway>(segment, kGateway, 10001, &traffic, &clock.now);
        clock.scanning = [this] {
            const TScanEngineControl* e = engine.load();
            return e && e->InScan();
        };
        clock.onMove = [this] { radio->deliverDue(); };
        mbus::TScanEngineSetup setup;
        setup.Timing.Ticks = [this] { return clock.now.load(); };
        setup.Timing.Sleep = [this](uint32_t ms) { clock.sleep(ms); };
        setup.Make_Endpoint = [this] {
            return std::make_unique<fake::CountingEndpoint>(plat::createUdpEndpoint(kOwn), traffic);
        };
        auto e = Make_Scan_Engine(setup);
        engine = e.get();
        w = std::make_unique<TFScanDecode>(nullptr, std::move(e));
        w->FileName_MBus = dir.filePath(QStringLiteral("M_Bus.xml"));
        w->Form_Type = 1;
        w->show();
        const QStringList parts = kGateway.split(u'.');
        for (int i = 0; i < 4; ++i) w->E_IP[size_t(i)]->setText(parts[i]);
        w->CB_ScanMethod->setCurrentIndex(1);
    }
    void TearDown() override {
        engine = nullptr;
        w.reset();
        radio.reset();
        EXPECT_FALSE(clock.stuck) << "a datagram was lost on the way";
        delete FInsertKeyWireless;
        FInsertKeyWireless = nullptr;
        g_WMBusSlaveList.Clear();
        plat::setFormatSettingsOverride(std::nullopt);
    }

    const QString kGateway = testing_support::loopbackPeer("test_mbus");
    const QString kOwn = testing_support::loopbackOwn("test_mbus");
    QTemporaryDir dir;
    RecordingDialogs rec;
    fake::Traffic traffic;
    fake::QuietClock clock{traffic};
    fake::Segment segment;
    std::unique_ptr<fake::UdpGateway> radio;
    std::atomic<TScanEngineControl*> engine{nullptr};
    std::unique_ptr<TFScanDecode> w;
};

// A meter heard encrypted, keyed by a double click on its row, and heard again readable.
TEST_F(ScanDecodeWirelessLive, MeterKeyedInTheWindowIsReadNextTime) {
    ASSERT_EQ(w->E_Port->text(), QStringLiteral("10001"));
    w->BtnClick(w->Btn_StartScan);
    ASSERT_EQ(w->Window_State, 4);
    ASSERT_TRUE(runEventsUntil([&] { return segment.radioListening(); }));

    ASSERT_TRUE(hear(encryptedTelegram(), [&] { return !w->SG_Wireless->Cells(0, 1).isEmpty(); }));
    EXPECT_EQ(w->SG_Wireless->Cells(8, 1), QStringLiteral("12345678"));
    EXPECT_EQ(cellColor(*w->SG_Wireless, 0, 1), plat::TColor(0xB9BBFF));
    int image = -1;
    EXPECT_TRUE(w->SG_Wireless->GetImageIdx(12, 1, image));
    EXPECT_EQ(image, 0);

    QTimer::singleShot(0, [&] {
        QTest::keyClicks(FInsertKeyWireless->E_Key, QStringLiteral("0102030405060708090a0b0c0d0e0f11"));
        FInsertKeyWireless->Btn_OK->click();
    });
    w->SG_WirelessDblClickCell(1, 4);
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    ASSERT_TRUE(runEventsUntil([&] { return segment.keysLoaded().size() == 1 && segment.radioListening(); }));
    EXPECT_EQ(segment.keysLoaded()[0].Key, fake::hexBytes("0102030405060708090A0B0C0D0E0F11"));

    ASSERT_TRUE(hear(encryptedTelegram(), [&] { return cellColor(*w->SG_Wireless, 0, 1) == plat::TColor(0xA8FFA8); }));
    EXPECT_EQ(w->SG_Wireless->RowCount(), 2) << "heard again: the same row";
    EXPECT_TRUE(w->SG_Wireless->GetImageIdx(12, 1, image));
    EXPECT_EQ(image, 1);
    const std::optional<mbus::TSlave_wMBus> meter = g_WMBusSlaveList.Snapshot(0);
    ASSERT_TRUE(meter);
    const auto read = std::find_if(meter->List_Var.begin(), meter->List_Var.end(),
                                   [](const mbus::TVariable_MBus& v) { return v.Real_Wireless_Var; });
    ASSERT_NE(read, meter->List_Var.end());
    EXPECT_EQ(read->ValueStr, QStringLiteral("28504.27"));

    w->BtnClick(w->Btn_StopScan);
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State == 5; }));
    EXPECT_FALSE(segment.radioListening());
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();

    // Saved as the wireless meter it is, with the key typed.
    w->BtnClick(w->Btn_SaveConf);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});
    const mbus::TNetworkRead saved = mbus::Read_Network(w->FileName_MBus);
    ASSERT_EQ(saved.Nodes.size(), 1u);
    const mbus::TNodo& node = saved.Nodes[0];
    EXPECT_EQ(node.MBus_Type, 0);
    EXPECT_EQ(node.wMBus_En_Key, 1);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(node.wMBus_Key[size_t(i)], QString::number(i == 15 ? 0x11 : i + 1)) << i;
}

// A key typed while the scan no longer listens is refused by the engine, and the user is told.
TEST_F(ScanDecodeWirelessLive, KeyAfterTheScanEndedIsRefusedAloud) {
    w->BtnClick(w->Btn_StartScan);
    ASSERT_TRUE(runEventsUntil([&] { return segment.radioListening(); }));
    ASSERT_TRUE(hear(encryptedTelegram(), [&] { return !w->SG_Wireless->Cells(0, 1).isEmpty(); }));
    w->BtnClick(w->Btn_StopScan);
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State == 5; }));

    QTimer::singleShot(0, [&] {
        FInsertKeyWireless->E_Key->setText(QStringLiteral("0102030405060708090A0B0C0D0E0F11"));
        FInsertKeyWireless->Btn_OK->click();
    });
    w->SG_WirelessDblClickCell(1, 4);
    EXPECT_EQ(rec.errors(), QStringList{Key_Refused_Text()});
    EXPECT_TRUE(segment.keysLoaded().empty());
}

}  // namespace

namespace {

// The module refuses a key the user typed: the scan ends, as a key load that fails must, with the
// message of that cause; both meters heard stay in the table and are saved as after a normal end.
TEST_F(ScanDecodeWirelessLive, RefusedKeyEndsTheScanAndKeepsTheMetersSaveable) {
    segment.Refuse_Keys = true;
    w->BtnClick(w->Btn_StartScan);
    ASSERT_TRUE(runEventsUntil([&] { return segment.radioListening(); }));
    ASSERT_TRUE(hear(encryptedTelegram(), [&] { return !w->SG_Wireless->Cells(0, 1).isEmpty(); }));
    ASSERT_TRUE(hear(readableTelegram(), [&] { return w->SG_Wireless->RowCount() == 3; }));

    QTimer::singleShot(0, [&] {
        FInsertKeyWireless->E_Key->setText(QStringLiteral("0102030405060708090A0B0C0D0E0F11"));
        FInsertKeyWireless->Btn_OK->click();
    });
    w->SG_WirelessDblClickCell(1, 4);
    EXPECT_TRUE(rec.shown.empty()) << "the engine took the key: " << rec.texts().join(u'|').toStdString();
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State == 5; }));
    EXPECT_EQ(rec.errors(), QStringList{Scan_Failure_Text(mbus::TMBusScanDecode::sfKeyLoad, {})});
    EXPECT_NE(rec.errors().value(0), Text_Table[3329]);
    EXPECT_FALSE(segment.configurationOn());
    EXPECT_EQ(w->SG_Wireless->RowCount(), 3);
    EXPECT_EQ(w->SG_Wireless->Cells(8, 1), QStringLiteral("12345678"));
    EXPECT_EQ(w->SG_Wireless->Cells(8, 2), QStringLiteral("87654321"));

    rec.clear();
    w->BtnClick(w->Btn_SaveConf);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});
    const mbus::TNetworkRead saved = mbus::Read_Network(w->FileName_MBus);
    ASSERT_EQ(saved.Nodes.size(), 2u);
}

}  // namespace
