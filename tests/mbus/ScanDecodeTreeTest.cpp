// The Scan & Decode window's result trees: the nodes and captions of the found meters, lazy
// captions for a large scan, and ticks that reach the saved file and the wireless meters.
#include "FakeGateway.h"
#include "RunEvents.h"
#include "platform/Guard.h"
#include "mbus/MBusFrames.h"
#include "mbus/MBusNetwork.h"
#include "mbus/UInsertKeyWireless.h"
#include "mbus/UMeter_Bus.h"
#include "mbus/UModbusStartAdd_SD.h"
#include "mbus/UScanDecode.h"
#include "mbus/UScanModbusStart.h"
#include "platform/XmlDoc.h"
#include "shell/UComon.h"
#include "shell/ULanguage.h"
#include "tests/mbus/FakeScanEngine.h"
#include "tests/support/Loopback.h"
#include "tests/support/TestSupport.h"
#include "treeview/LazyTrees.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <chrono>

using namespace scan_fake;
using namespace plat;
using testing_support::RecordingDialogs;

namespace {


// Every node in tree order, by the links (walking them initialises nothing).
std::vector<PLazyNode> allNodes(TLazyStringTree* tree) {
    std::vector<PLazyNode> out;
    std::function<void(PLazyNode)> walk = [&](PLazyNode n) {
        for (; n; n = n->NextSibling) {
            out.push_back(n);
            walk(n->FirstChild);
        }
    };
    walk(tree->RootNode()->FirstChild);
    return out;
}

class ScanDecodeTree : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
        auto e = std::make_unique<FakeEngine>();
        engine = e.get();
        w = std::make_unique<TFScanDecode>(nullptr, std::move(e));
        w->FileName_MBus = dir.filePath(QStringLiteral("M_Bus.xml"));
        w->show();
    }
    void TearDown() override {
        w.reset();
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
    }
    void scanFinds() {
        w->Select_Scan();
        engine->inScan = false;
        engine->result = 0;
        w->T_InScanTimer();
    }
    QStringList captions(TLazyStringTree* tree) {
        QStringList out;
        for (PLazyNode n : allNodes(tree)) out << tree->Text(n);
        return out;
    }

    QTemporaryDir dir;
    RecordingDialogs rec;
    FakeEngine* engine = nullptr;
    std::unique_ptr<TFScanDecode> w;
};

TEST_F(ScanDecodeTree, MeterWithTwoValues) {
    w->Select_Scan();
    g_MBusSlaveList.Add(wiredMeter(5, 2));
    engine->inScan = false;
    w->T_InScanTimer();
    EXPECT_EQ(allNodes(w->VST).size(), 1u) << "values are made when the meter opens";
    w->VST->FullExpand();
    const std::vector<PLazyNode> nodes = allNodes(w->VST);
    ASSERT_EQ(nodes.size(), 1u + 2u + 24u);
    const QStringList c = captions(w->VST);
    EXPECT_EQ(c[0], QStringLiteral("Primary Address = 5 - Secondary Address = 12345678 - Manufacturer = "
                                   "ABC(1091) - Version = 7 - Type = 6"));
    EXPECT_EQ(c[1], QStringLiteral("Value = 12.5 - Type = Volume m3 (U3S1T2)"));
    EXPECT_EQ(c.mid(2, 12),
              (QStringList{QStringLiteral("Storage Number = 1"), QStringLiteral("Tariff = 2"), QStringLiteral("Unit = 3"),
                           QStringLiteral("Data Field = "), QStringLiteral("Function Field = "),
                           QStringLiteral("Type = Volume m3"), QStringLiteral("Value = 12.5"),
                           QStringLiteral("DIF = $04"), QStringLiteral("VIF = $13"), QStringLiteral("DIFE = "),
                           QStringLiteral("VIFE = "), QStringLiteral("DATA = $01020304")}));
    EXPECT_EQ(c[14], QStringLiteral("Value = 40 - Type = Volume m3 (U3S1T2)"));
    // Meters and values carry a ticked box, details none; images follow the level.
    EXPECT_EQ(nodes[0]->CheckType, TCheckType::ctCheckBox);
    EXPECT_EQ(nodes[0]->CheckState, TCheckState::csCheckedNormal);
    EXPECT_EQ(nodes[1]->CheckState, TCheckState::csCheckedNormal);
    EXPECT_NE(nodes[2]->CheckType, TCheckType::ctCheckBox);
    bool ghosted = false;
    int index = -1;
    const TImageList* list = nullptr;
    for (int level : {0, 1, 2}) {
        PLazyNode n = level == 0 ? nodes[0] : level == 1 ? nodes[1] : nodes[2];
        w->VST->OnGetImageIndexEx(w->VST, n, TLTImageKind::ikNormal, NoColumn, ghosted, index, list);
        EXPECT_EQ(index, level);
    }
}

TEST_F(ScanDecodeTree, LargeScanInitialisesOnlyWhatIsShown) {
    w->Select_Scan();
    for (int m = 0; m < 250; ++m) g_MBusSlaveList.Add(wiredMeter(m + 1, 20));
    engine->inScan = false;
    w->T_InScanTimer();
    ASSERT_EQ(w->VST->RootNodeCount(), 250u);
    auto initialised = [&] {
        size_t n = 0;
        for (PLazyNode node : allNodes(w->VST))
            if (node->States.Contains(TLazyNodeState::vsInitialized)) ++n;
        return n;
    };
    const int rows = w->VST->viewport()->height() / w->VST->DefaultNodeHeight() + 2;
    w->VST->repaint();
    EXPECT_GT(initialised(), 0u) << "the visible meters have their captions";
    EXPECT_LE(initialised(), size_t(rows));
    // Opening the first meter and its first value makes their 20 + 12 children; the other 249
    // meters' 62,000 nodes stay unmade.
    PLazyNode first = w->VST->GetFirst();
    w->VST->SetExpanded(first, true);
    w->VST->SetExpanded(w->VST->GetFirstChild(first), true);
    w->VST->repaint();
    EXPECT_LE(initialised(), size_t(rows) + 20 + 12);
    EXPECT_LT(allNodes(w->VST).size(), 300u);
    EXPECT_EQ(w->VST->Text(w->VST->GetFirstChild(w->VST->GetFirstChild(first))), QStringLiteral("Storage Number = 1"));
    EXPECT_EQ(w->VST->Text(first).left(19), QStringLiteral("Primary Address = 1"));
}

TEST_F(ScanDecodeTree, UntickedValueIsSavedDisabled) {
    w->Select_Scan();
    g_MBusSlaveList.Add(wiredMeter(5, 2));
    engine->inScan = false;
    w->T_InScanTimer();
    QCoreApplication::processEvents();
    PLazyNode meter = w->VST->GetFirst();
    PLazyNode second = w->VST->GetFirstChild(meter)->NextSibling;
    w->VST->Text(second);  // shown once, so made with its tick
    w->VST->SetCheckState(second, TCheckState::csUncheckedNormal);
    EXPECT_FALSE(w->Wired_Ticked(0, 1));
    EXPECT_TRUE(w->Wired_Ticked(0, 0));
    EXPECT_TRUE(w->Wired_Ticked(0, -1));

    w->Select_SaveXML(0);
    plat::XmlDocument doc;
    ASSERT_TRUE(doc.load(w->FileName_MBus));
    const std::vector<plat::XmlElement> vars =
        doc.root().child(QStringLiteral("Nodo")).childElements(QStringLiteral("Variabile"));
    ASSERT_EQ(vars.size(), 2u);
    EXPECT_EQ(vars[0].attribute(QStringLiteral("Enable")), QStringLiteral("1"));
    EXPECT_EQ(vars[1].attribute(QStringLiteral("Enable")), QStringLiteral("0"));
}

TEST_F(ScanDecodeTree, MetersOutliveTheWindowsTree) {
    w->Select_Scan();
    g_MBusSlaveList.Add(wiredMeter(5, 1));
    engine->inScan = false;
    w->T_InScanTimer();
    PLazyNode meter = w->VST->GetFirst();
    w->VST->SetCheckState(meter, TCheckState::csUncheckedNormal);
    EXPECT_FALSE(w->Wired_Ticked(0, -1));
    // Another window over the same meters reads no node of the one that is gone.
    w = std::make_unique<TFScanDecode>(nullptr, std::make_unique<FakeEngine>());
    EXPECT_TRUE(w->Wired_Ticked(0, -1));
    EXPECT_TRUE(w->Wired_Ticked(0, 0));
}

TEST_F(ScanDecodeTree, WirelessTreeOfTheClickedRowAndItsTicks) {
    putWireless(0, false);
    putWireless(1, true);
    g_WMBusSlaveList.Locked([](TWMBusMeters& list) {
        TVariable_MBus filler = value("0");
        filler.Real_Wireless_Var = false;
        list[1]->List_Var.push_back(filler);
    });
    w->SG_WirelessClickCell(2, 4);
    w->VST_Wireless->FullExpand();
    const std::vector<PLazyNode> nodes = allNodes(w->VST_Wireless);
    ASSERT_EQ(nodes.size(), 1u + 2u + 24u);
    const QStringList c = captions(w->VST_Wireless);
    EXPECT_EQ(c[0], QStringLiteral("Manufacturer = KAM - Address = 12345679 - Version = 27 - Device Type = 7 - "
                                   "CRIPTED!!"));
    EXPECT_EQ(c[1], QStringLiteral("Value = 5 - Type = Volume m3 (U3S1T2)"));
    EXPECT_EQ(c[14], QStringLiteral("Idle Filler"));

    w->VST_Wireless->SetCheckState(nodes[14], TCheckState::csUncheckedNormal);
    w->VST_Wireless->SetCheckState(nodes[0], TCheckState::csUncheckedNormal);
    const auto meter = g_WMBusSlaveList.Snapshot(1);
    ASSERT_TRUE(meter);
    EXPECT_FALSE(meter->Enable);
    EXPECT_TRUE(meter->List_Var[0].Enable);
    EXPECT_FALSE(meter->List_Var[1].Enable);
    EXPECT_TRUE(g_WMBusSlaveList.Snapshot(0)->Enable) << "only the row's meter";
}

}  // namespace

// End to end: the window on the real engine against the fake gateway over loopback sockets.
namespace {

using testing_support::runEventsUntil;

// The window on the real engine; the engine's waits run on the quiet clock (fake::QuietClock).
class ScanDecodeLive : public ::testing::Test {
protected:
    void SetUp() override {
        Load_Default_Language();
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
        gateway = std::make_unique<fake::UdpGateway>(segment, kGateway, mbus::Port_Wired_Scan, &traffic, &clock.now);
        clock.scanning = [this] {
            const TScanEngineControl* e = engine.load();
            return e && e->InScan();
        };
        clock.onMove = [this] {
            gateway->deliverDue();
            if (radio) radio->deliverDue();
        };
        mbus::TScanEngineSetup setup;
        setup.Timing.Ticks = [this] { return clock.now.load(); };
        setup.Timing.Sleep = [this](uint32_t ms) { clock.sleep(ms); };
        setup.Make_Endpoint = [this] {
            auto e = std::make_unique<fake::CountingEndpoint>(plat::createUdpEndpoint(kOwn), traffic);
            endpoint = e.get();
            return e;
        };
        auto e = Make_Scan_Engine(setup);
        engine = e.get();
        w = std::make_unique<TFScanDecode>(nullptr, std::move(e));
        w->FileName_MBus = dir.filePath(QStringLiteral("M_Bus.xml"));
        w->show();
        const QStringList parts = kGateway.split(u'.');
        for (int i = 0; i < 4; ++i) w->E_IP[size_t(i)]->setText(parts[i]);
    }
    void TearDown() override {
        engine = nullptr;
        w.reset();
        radio.reset();
        gateway.reset();
        EXPECT_FALSE(clock.stuck) << "a datagram was lost on the way";
        g_MBusSlaveList.Clear();
        g_WMBusSlaveList.Clear();
    }

    const QString kGateway = testing_support::loopbackPeer("test_mbus");
    const QString kOwn = testing_support::loopbackOwn("test_mbus");
    QTemporaryDir dir;
    RecordingDialogs rec;
    fake::Traffic traffic;
    fake::QuietClock clock{traffic};
    fake::Segment segment;
    std::unique_ptr<fake::UdpGateway> gateway;
    std::unique_ptr<fake::UdpGateway> radio;  // the gateway's radio port, when a test needs it
    std::atomic<TScanEngineControl*> engine{nullptr};
    fake::CountingEndpoint* endpoint = nullptr;
    std::unique_ptr<TFScanDecode> w;
};

TEST_F(ScanDecodeLive, ScanFindsTheMetersAndTheSavedFileReadsBack) {
    segment.Meters = {fake::simpleMeter(1, 0x11111111), fake::documentationMeter(2)};
    w->BtnClick(w->Btn_StartScan);
    ASSERT_EQ(w->Window_State, 2);
    ASSERT_TRUE(runEventsUntil([&] { return g_MBusSlaveList.Count() == 2; }));
    w->BtnClick(w->Btn_StopScan);
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State == 3; }));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(w->L_Num_Slave->text(), QStringLiteral("2"));
    EXPECT_EQ(w->VST->RootNodeCount(), 2u);
    EXPECT_GE(w->LB_AvailableDevice->count(), 3);

    // The documentation meter's second value unticked.
    PLazyNode second = w->VST->GetFirst()->NextSibling;
    PLazyNode value = w->VST->GetFirstChild(second)->NextSibling;
    w->VST->Text(value);
    w->VST->SetCheckState(value, TCheckState::csUncheckedNormal);
    w->BtnClick(w->Btn_SaveConf);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});

    const mbus::TNetworkRead read = mbus::Read_Network(w->FileName_MBus);
    ASSERT_EQ(read.Nodes.size(), 2u);
    EXPECT_EQ(read.Nodes[0].Node_ID_Primary, 1);
    EXPECT_EQ(read.Nodes[1].Node_ID_Primary, 2);
    ASSERT_EQ(read.Nodes[1].Var_List.size(), 3u);
    EXPECT_TRUE(read.Nodes[1].Enable);
    EXPECT_TRUE(read.Nodes[1].Var_List[0].Enable);
    EXPECT_FALSE(read.Nodes[1].Var_List[1].Enable);
    EXPECT_TRUE(read.Nodes[1].Var_List[2].Enable);

    // The network editor opens the saved file with the ticks as the user left them.
    const QString savedMBusFile = g_MBusFile;
    g_MBusFile = w->FileName_MBus;
    rec.clear();
    {
        TFMeter_Bus editor;
        editor.show();
        EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
        ASSERT_EQ(editor.NODE_ORIG->childCount(), 2);
        QTreeWidgetItem* node = editor.NODE_ORIG->child(1);
        EXPECT_EQ(node->text(0).left(5), QStringLiteral("ID 2 "));
        ASSERT_EQ(node->childCount(), 3);
        const bool expected[] = {true, false, true};
        for (int v = 0; v < 3; ++v) {
            editor.TW->setCurrentItem(node->child(v));
            editor.TWClick();
            EXPECT_EQ(editor.CB_Var_En->isChecked(), expected[v]) << v;
        }
        editor.TW->setCurrentItem(node);
        editor.TWClick();
        EXPECT_TRUE(editor.CB_Enable_Node->isChecked());
    }
    g_MBusFile = savedMBusFile;
}

// A wired scan whose line fails after two meters answered: the user is told why, the two meters stay
// listed in the tree and are saved as after a normal end.
TEST_F(ScanDecodeLive, ScanFailingMidWayKeepsItsMetersListedAndSaveable) {
    segment.Meters = {fake::simpleMeter(1, 0x11111111), fake::documentationMeter(2)};
    ASSERT_TRUE(endpoint);
    // The analyzer, the line settings, the broadcast and addresses 0 to 2 go out; address 3 fails.
    endpoint->failFrom = 6;
    w->BtnClick(w->Btn_StartScan);
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State != 2; }));
    EXPECT_EQ(rec.errors(), QStringList{Scan_Failure_Text(mbus::TMBusScanDecode::sfTransport,
                                                          QStringLiteral("UDP send failed: Network is unreachable (101)"))});
    EXPECT_NE(rec.errors().value(0), Text_Table[3329]);
    EXPECT_EQ(w->Window_State, 3);
    EXPECT_EQ(w->L_Num_Slave->text(), QStringLiteral("2"));
    EXPECT_EQ(w->VST->RootNodeCount(), 2u);

    rec.clear();
    w->BtnClick(w->Btn_SaveConf);
    EXPECT_EQ(rec.texts(), QStringList{Text_Table[3330]});
    const mbus::TNetworkRead read = mbus::Read_Network(w->FileName_MBus);
    ASSERT_EQ(read.Nodes.size(), 2u);
    EXPECT_EQ(read.Nodes[0].Node_ID_Primary, 1);
    EXPECT_EQ(read.Nodes[1].Node_ID_Primary, 2);
    EXPECT_EQ(read.Nodes[1].Var_List.size(), 3u);
}

// A wireless start on a port another program holds fails with the system's message; the wired scan
// started next binds as if no wireless scan had been asked for, and finds its meters.
TEST_F(ScanDecodeLive, FailedWirelessBindLeavesTheNextWiredScanWorking) {
    segment.Meters = {fake::simpleMeter(1, 0x11111111)};
    w->hide();
    w->Form_Type = 1;
    w->XML_Code_Dev = 3;  // a family whose port box keeps what is typed
    w->show();
    const QStringList parts = kGateway.split(u'.');
    for (int i = 0; i < 4; ++i) w->E_IP[size_t(i)]->setText(parts[i]);
    w->CB_ScanMethod->setCurrentIndex(1);
    {
        fake::HeldPort held(kOwn);
        w->E_Port->setText(QString::number(held.port()));
        // As the button's own handler runs it: what the start throws is shown to the user.
        plat::guarded([&] { w->BtnClick(w->Btn_StartScan); });
        ASSERT_EQ(rec.errors().size(), 1);
        EXPECT_TRUE(rec.errors()[0].contains(QStringLiteral("Address already in use"))) << rec.errors()[0].toStdString();
        EXPECT_EQ(w->Window_State, 1);
        EXPECT_FALSE(w->Engine().InScan());
    }
    rec.clear();
    w->CB_ScanMethod->setCurrentIndex(0);
    plat::guarded([&] { w->BtnClick(w->Btn_StartScan); });
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    ASSERT_EQ(w->Window_State, 2);
    ASSERT_TRUE(runEventsUntil([&] { return g_MBusSlaveList.Count() == 1; }));
    w->BtnClick(w->Btn_StopScan);
    ASSERT_TRUE(runEventsUntil([&] { return w->Window_State == 3; }));
    EXPECT_TRUE(rec.shown.empty()) << rec.texts().join(u'|').toStdString();
    EXPECT_EQ(w->VST->RootNodeCount(), 1u);
}

// The window on the real engine and the fake gateway, to try by hand for SCANDECODE_LOOK_SECONDS:
// three wired meters, and a radio meter heard every two seconds whose key is
// 0102030405060708090A0B0C0D0E0F11. Both scans are offered.
TEST_F(ScanDecodeLive, Look) {
    const int seconds = qEnvironmentVariableIntValue("SCANDECODE_LOOK_SECONDS");
    if (seconds <= 0) GTEST_SKIP() << "set SCANDECODE_LOOK_SECONDS to try the window by hand";
    TFInsertKeyWireless key;
    TFScanModbusStart start;
    TFModbusStartAdd_SD addresses;
    FInsertKeyWireless = &key;
    FScanModbusStart = &start;
    FModbusStartAdd_SD = &addresses;
    segment.Meters = {fake::simpleMeter(1, 0x11111111), fake::documentationMeter(2), fake::simpleMeter(4, 0x44444444)};
    segment.Module = fake::Segment::Radio::Telit;
    radio = std::make_unique<fake::UdpGateway>(segment, kGateway, 10001, &traffic, &clock.now);
    const mbus::TBytes telegram = fake::hexBytes(
        "31 44 93 15 78 56 34 12 33 03 8C 20 2B 7A 2A 00 20 05 59 23 C9 5A AA 26 D1 B2 E7 49 3B 01 3E C4 A6 F6 "
        "D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3 00 50");
    QTimer heard;
    QObject::connect(&heard, &QTimer::timeout, [&] { radio->push(telegram); });
    heard.start(2000);
    w->hide();
    w->Form_Type = 1;
    w->XML_Code_Dev = 13;  // a family with the start-register and start-address dialogs
    w->show();
    const QStringList parts = kGateway.split(u'.');
    for (int i = 0; i < 4; ++i) w->E_IP[size_t(i)]->setText(parts[i]);
    QTimer::singleShot(seconds * 1000, w.get(), &QWidget::close);
    while (w->isVisible() || w->Close_Pending()) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    FInsertKeyWireless = nullptr;
    FScanModbusStart = nullptr;
    FModbusStartAdd_SD = nullptr;
}

}  // namespace
