// The scan engine's own thread over real loopback sockets against a fake gateway thread, and over
// a pseudo-terminal as its serial port. The engine's waits run on a clock that moves only while
// nothing is under way on the sockets (fake::QuietClock): what the engine sees never depends on how
// loaded the machine is.
#include "FakeGateway.h"
#include "mbus/CommInt.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"
#include "mbus/UWMBusDecode.h"
#include "platform/FormatSettings.h"
#include "tests/support/Loopback.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <future>
#include <map>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace mbus;
using namespace std::chrono_literals;
using fake::Segment;

namespace {

const QString kGateway = testing_support::loopbackPeer("test_mbus");
const QString kOwn = testing_support::loopbackOwn("test_mbus");

using Report = std::array<int, 4>;

struct Reports {
    std::mutex m;
    std::condition_variable cv;
    std::vector<Report> got;
    TUpdateSlaveList recorder(bool throwing = false) {
        return [this, throwing](int e, int a, int f, int t) {
            {
                std::lock_guard lock(m);
                got.push_back({e, a, f, t});
            }
            cv.notify_all();
            if (throwing) throw std::runtime_error("the window is gone");
        };
    }
    // Until `n` reports came; the bound only ends a test whose engine went wrong.
    bool waitFor(size_t n) {
        std::unique_lock lock(m);
        return cv.wait_for(lock, 60s, [&] { return got.size() >= n; });
    }
    std::vector<Report> all() {
        std::lock_guard lock(m);
        return got;
    }
};

// The meters the wireless callback heard, with the thread each report came on.
struct Heard {
    std::mutex m;
    std::vector<std::tuple<int, uint32_t, std::thread::id>> got;  // index, meter address (0 without one), thread
    TUpdateListWirelessSlave recorder() {
        return [this](int index, const TSlave_wMBus* meter) {
            std::lock_guard lock(m);
            got.emplace_back(index, meter ? meter->ALA_Address : 0u, std::this_thread::get_id());
        };
    }
    size_t count() {
        std::lock_guard lock(m);
        return got.size();
    }
};

// The gateway on its loopback address, the engine on its own, both on the quiet clock.
struct Rig {
    fake::Traffic traffic;
    fake::QuietClock clock{traffic};
    Segment segment;
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    Reports reports;
    Heard heard;
    std::unique_ptr<fake::UdpGateway> gateway;
    std::atomic<TMBusScanDecode*> scanning{nullptr};
    std::unique_ptr<TMBusScanDecode> engine;

    explicit Rig(uint16_t gatewayPort = Port_Wired_Scan, std::optional<TScanTiming> timing = std::nullopt) {
        gateway = std::make_unique<fake::UdpGateway>(segment, kGateway, gatewayPort, &traffic, &clock.now);
        clock.scanning = [this] {
            const TMBusScanDecode* e = scanning.load();
            return e && e->FInScan;
        };
        clock.onMove = [this] { gateway->deliverDue(); };
        TScanEngineSetup setup;
        if (timing) {
            setup.Timing = *timing;
        } else {
            setup.Timing.Ticks = [this] { return clock.now.load(); };
            setup.Timing.Sleep = [this](uint32_t ms) { clock.sleep(ms); };
        }
        setup.Make_Endpoint = [this] {
            return std::make_unique<fake::CountingEndpoint>(plat::createUdpEndpoint(kOwn), traffic);
        };
        setup.Wired_List = &wired;
        setup.Wireless_List = &wireless;
        engine = std::make_unique<TMBusScanDecode>(setup);
        scanning = engine.get();
    }
    ~Rig() {
        scanning = nullptr;
        engine.reset();
        EXPECT_FALSE(clock.stuck) << "a datagram was lost on the way";
    }

    bool start(bool throwing = false, const QString& ip = kGateway) {
        return engine->Start_Scan(TMBusScanDecode::saPrimaryAddress, TMBusScanDecode::shEthernet, ip, 2400, 1, false,
                                  false, 3, false, 0, false, reports.recorder(throwing));
    }
    bool startWireless(uint16_t port, int32_t mode = wMBus_Mode_T) {
        return engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, port, mode, 0, false,
                                           heard.recorder(), false);
    }
    // Waits on the engine's passes; the bound only ends a test whose engine went wrong.
    bool waitFor(const std::function<bool()>& pred) { return clock.waitFor(pred); }
    bool ended() { return waitFor([&] { return !engine->FInScan; }); }
};

// A readable telegram of meter id (CI 0x7A, no encryption, one volume record of 10000 l), as the
// module frames it: the Telit adds two trailer bytes outside its L field, the Radiocrafts one inside.
TBytes telegram(uint32_t id, TRadioModule module = TRadioModule::rmTelit) {
    TBytes t = fake::hexBytes("14 44 2D 2C 78 56 34 12 01 07 7A 2A 00 00 00 04 13 10 27 00 00 00 50");
    for (int i = 0; i < 4; ++i) t[size_t(4 + i)] = uint8_t(id >> (8 * i));
    if (module == TRadioModule::rmRadioCrafts) {
        t.erase(t.end() - 2);
        t[0] = uint8_t(t.size() - 1);
    }
    return t;
}

std::vector<uint32_t> addresses(TWMBusSlaveList& list) {
    std::vector<uint32_t> out;
    for (int i = 0; i < list.Count(); ++i) out.push_back(list.Snapshot(i)->ALA_Address);
    return out;
}

}  // namespace

TEST(ScanEngineThread, PrimaryScanOverSocketsFindsTwoMeters) {
    Rig r;
    r.segment.Meters = {fake::simpleMeter(1, 0x11111111), fake::documentationMeter(2)};
    r.engine->Event_Run->SetEvent();
    // The window's callback throws on every report: the scan goes on all the same.
    ASSERT_TRUE(r.start(true));
    ASSERT_TRUE(r.waitFor([&] {
        const auto all = r.reports.all();
        return std::count_if(all.begin(), all.end(), [](const Report& x) { return x[0] == 2 && x[1] == 2; }) > 0;
    }));
    r.engine->Stop_Scan();
    ASSERT_TRUE(r.ended());

    const auto all = r.reports.all();
    ASSERT_GE(all.size(), 5u);
    EXPECT_EQ(all.front(), (Report{1, 0, 0, 1}));
    EXPECT_EQ(all[1], (Report{2, 0, 0, 1}));
    EXPECT_EQ(all[2], (Report{2, 1, 1, 1}));
    EXPECT_EQ(all[3], (Report{2, 2, 1, 1}));
    EXPECT_EQ(all.back(), (Report{3, 0, 0, 1}));
    EXPECT_EQ(r.engine->FResult, 1);
    EXPECT_EQ(r.engine->Failure, TMBusScanDecode::sfNone);

    ASSERT_EQ(r.wired.Count(), 2);
    const auto doc = r.wired.Snapshot(1);
    ASSERT_EQ(doc->List_Var.size(), 3u);
    EXPECT_EQ(doc->List_Var[0].ValueStr, "12.565");
    EXPECT_EQ(doc->List_Var[0].Desc_Type_Data, "Volume m3");
    EXPECT_EQ(doc->List_Var[2].ValueStr, "218370");
    EXPECT_EQ(doc->List_Var[2].Desc_Type_Data, "Energy Wh");
    EXPECT_EQ(doc->List_Var[2].tarif, 2u);

    // The gateway saw the analyzer switched on, the line settings and the analyzer switched off.
    const auto got = r.segment.received();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(std::string(got[0].begin(), got[0].end()), Cmd_Enable_Analyzer.Sent);
    ASSERT_EQ(got[1].size(), 17u);
    EXPECT_EQ(TBytes(got[1].end() - 6, got[1].end()), fake::hexBytes("00 00 09 60 2C 02"));
    EXPECT_EQ(r.segment.count(Cmd_Disable_Analyzer.Sent), 1);
    EXPECT_FALSE(r.segment.analyzerOn());
    EXPECT_EQ(r.engine->Bound_Port(), 0);
}

TEST(ScanEngineThread, ClosedRunGateHoldsTheScanAndASecondStartIsRefused) {
    Rig r;
    ASSERT_TRUE(r.start());
    const auto fields = [&] {
        auto& e = *r.engine;
        return std::tuple(int(e.ScanType), int(e.Select_Hardware), e.IP_Address, e.ComPort, e.Baudrate, e.Parity,
                          e.App_Reset, e.SND_NKE, e.Cut_After, e.Fix_C_Field, e.Fix_C_Field_Value, e.Add_TimeOut,
                          int(e.MBusType), int(e.Step_Scan), e.Bound_Port());
    };
    const auto before = fields();
    EXPECT_FALSE(r.engine->Start_Scan(TMBusScanDecode::saSecondaryAddress, TMBusScanDecode::shSerial,
                                      QStringLiteral("/dev/null"), 9600, 2, true, true, 1, true, 1, true, {}));
    EXPECT_FALSE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, 5000, 1, 2, true, {}, false));
    EXPECT_EQ(fields(), before);

    // The thread is parked: it makes no pass, so nothing reaches the gateway. A pass would come at
    // once; the wait for one that must not come is bounded, and only a broken gate ends it early.
    EXPECT_FALSE(r.clock.waitFor([&] { return r.clock.passes() > 0; }, 200ms));
    EXPECT_TRUE(r.engine->FInScan);
    EXPECT_TRUE(r.segment.received().empty());

    r.engine->Event_Run->SetEvent();
    EXPECT_TRUE(r.waitFor([&] { return !r.segment.received().empty(); }));
}

TEST(ScanEngineThread, FailedSendEndsTheScanAndTheNextOneRuns) {
    Rig r;
    r.segment.Meters = {fake::simpleMeter(0, 0x11111111)};
    r.engine->Event_Run->SetEvent();
    // Broadcast without permission: every send fails.
    ASSERT_TRUE(r.start(false, QStringLiteral("255.255.255.255")));
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 2);
    EXPECT_EQ(r.engine->Failure, TMBusScanDecode::sfTransport);
    EXPECT_FALSE(r.engine->Failure_Message.isEmpty());
    EXPECT_TRUE(r.reports.all().empty());

    ASSERT_TRUE(r.start());
    ASSERT_TRUE(r.waitFor([&] { return r.wired.Count() == 1; }));
    r.engine->Stop_Scan();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 1);
    EXPECT_EQ(r.engine->Failure, TMBusScanDecode::sfNone);
}

TEST(ScanEngineThread, LateGatewayFailsTheScan) {
    Rig r;
    r.segment.Delay_Ms = 3 * TimeOut_Text(0);  // three text waits late
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.start());
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 2);
    EXPECT_EQ(r.engine->Failure, TMBusScanDecode::sfDevice);
    EXPECT_TRUE(r.reports.all().empty());
}

TEST(ScanEngineThread, DestroyingTheEngineMidPauseReturnsWithoutWaitingItOut) {
    // The engine's own sleep, and a pause of ten hours before every frame: a destructor that waited
    // for the pause would run into the bound below, which is only there to end such a test.
    TScanTiming timing;
    timing.Pause_Primary_Ms = 10 * 3600 * 1000;
    Rig r(Port_Wired_Scan, timing);
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.start());
    // The step that pauses reports the start of the primary scan just before its pause.
    ASSERT_TRUE(r.reports.waitFor(1));
    auto destroying = std::async(std::launch::async, [&] {
        r.scanning = nullptr;
        r.engine.reset();
    });
    EXPECT_EQ(destroying.wait_for(60s), std::future_status::ready) << "the destructor waited for the pause";
}

TEST(ScanEngineThread, WirelessBindingIsKeptOnItsPortAndReplacedOnAnother) {
    Rig r;
    constexpr uint16_t P = 47502, Q = 47503;
    ASSERT_TRUE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, P, 1, 0, false, {}, false));
    EXPECT_EQ(r.engine->Bound_Port(), P);
    // The window closes while scanning: the endpoint stays bound.
    r.engine->FInScan = false;
    ASSERT_TRUE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, P, 1, 0, false, {}, false));
    EXPECT_EQ(r.engine->Bound_Port(), P);
    r.engine->FInScan = false;
    // A wired scan keeps the binding.
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.engine->Bound_Port(), P);
    r.engine->FInScan = false;
    ASSERT_TRUE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, Q, 1, 0, false, {}, false));
    EXPECT_EQ(r.engine->Bound_Port(), Q);

    // Run to its end (nothing answers on Q): the endpoint goes inactive, and the next wired scan
    // binds it on Q again.
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->Bound_Port(), 0);
    r.engine->Event_Run->ResetEvent();
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.engine->Bound_Port(), Q);
}

// A wireless start whose port is taken fails with the system's message and leaves no binding: the
// wired scan after it binds as if no wireless scan had been asked for, and finds its meter; so does
// a wired scan whose wireless port was taken after the wireless scan ended.
TEST(ScanEngineThread, FailedBindLeavesNoBindingAndTheWiredScanRuns) {
    Rig r;
    r.segment.Meters = {fake::simpleMeter(0, 0x11111111)};
    {
        fake::HeldPort held(kOwn);  // a port the system picked, held as another program would
        const uint16_t P = held.port();
        try {
            r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, P, 1, 0, false, {}, false);
            ADD_FAILURE() << "the port was taken";
        } catch (const plat::SocketError& e) {
            EXPECT_TRUE(e.message().contains(QStringLiteral("Address already in use"))) << e.message().toStdString();
        }
        EXPECT_FALSE(r.engine->FInScan);
        EXPECT_EQ(r.engine->Bound_Port(), 0);

        r.engine->Event_Run->SetEvent();
        ASSERT_TRUE(r.start());
        EXPECT_NE(r.engine->Bound_Port(), 0);
        EXPECT_NE(r.engine->Bound_Port(), P);
        ASSERT_TRUE(r.waitFor([&] { return r.wired.Count() == 1; }));
        r.engine->Stop_Scan();
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.engine->FResult, 1);
    }
    {
        // A wireless scan bound Q (a port the system picked) and was cut short; then another
        // program took Q.
        const uint16_t Q = [] {
            fake::HeldPort probe(kOwn);
            return probe.port();
        }();
        r.engine->Event_Run->ResetEvent();
        ASSERT_TRUE(r.startWireless(Q));
        EXPECT_EQ(r.engine->Bound_Port(), Q);
        r.engine->FInScan = false;
        r.engine->UDP_Server->Close();
        fake::HeldPort held(kOwn, Q);
        r.engine->Event_Run->SetEvent();
        ASSERT_TRUE(r.start());
        EXPECT_NE(r.engine->Bound_Port(), Q);
        ASSERT_TRUE(r.waitFor([&] { return r.wired.Count() == 2; }));
        r.engine->Stop_Scan();
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.engine->FResult, 1);
    }
}

TEST(ScanEngineThread, ListeningRadioReportsTelegramsFromTheListenerThread) {
    for (const bool dll : {false, true}) {
        SCOPED_TRACE(dll ? "one-argument form" : "window form");
        Rig r;
        constexpr uint16_t port = 47510;
        ASSERT_TRUE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shEthernet, kGateway, port, 1, 0, false,
                                                  r.heard.recorder(), dll));
        r.engine->Wireless_Listen(true);
        r.gateway->sendTo(kOwn, port, telegram(0x12345678));
        ASSERT_TRUE(r.traffic.waitQuiet(60s));
        {
            std::lock_guard lock(r.heard.m);
            ASSERT_EQ(r.heard.got.size(), 1u);
            EXPECT_EQ(std::get<0>(r.heard.got[0]), 0);
            EXPECT_EQ(std::get<1>(r.heard.got[0]), dll ? 0u : 0x12345678u);
            EXPECT_NE(std::get<2>(r.heard.got[0]), std::this_thread::get_id());
        }
        ASSERT_EQ(r.wireless.Count(), 1);
        EXPECT_FALSE(r.wireless.Snapshot(0)->Cripted);

        // Neither listening nor routed: the datagram is an answer for the steps again.
        r.engine->Wireless_Listen(false);
        r.engine->Wireless_Route(false);
        r.gateway->sendTo(kOwn, port, telegram(0x12345678));
        ASSERT_TRUE(r.traffic.waitQuiet(60s));
        EXPECT_EQ(r.engine->UDP_Server->Next_Answer(), telegram(0x12345678));
        EXPECT_EQ(r.heard.count(), 1u);
    }
}

TEST(ScanEngineThread, TelitGatewayOverSocketsDecodesTheMeterOnceItsKeyIsLoaded) {
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    struct Restore {
        ~Restore() { plat::setFormatSettingsOverride(std::nullopt); }
    } restore;
    // Gateway and engine on the same port, each on its own loopback address.
    constexpr uint16_t port = 47520;
    Rig r(port);
    r.segment.Module = Segment::Radio::Telit;

    struct Call {
        int index;
        bool cripted;
        size_t values;
    };
    std::mutex m;
    std::vector<Call> calls;
    const auto callCount = [&] {
        std::lock_guard lock(m);
        return calls.size();
    };
    ASSERT_TRUE(r.engine->Start_Scan_Wireless(
        TMBusScanDecode::shEthernet, kGateway, port, wMBus_Mode_T, 0, false,
        [&](int index, const TSlave_wMBus* meter) {
            std::lock_guard lock(m);
            calls.push_back({index, meter->Cripted, meter->List_Var.size()});
        },
        false));
    EXPECT_EQ(r.engine->Bound_Port(), port);
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.waitFor([&] { return r.engine->Step_Scan == 134 && r.segment.radioListening(); }));

    // The open metering example for security mode 5 behind an extended link layer (CI 0x8C), with
    // the Telit trailer: 52 bytes.
    const TBytes encrypted = fake::hexBytes(
        "31 44 93 15 78 56 34 12 33 03 8C 20 2B 7A 2A 00 20 05 59 23 C9 5A AA 26 D1 B2 E7 49 3B 01 3E C4 A6 F6 "
        "D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3 00 50");
    ASSERT_EQ(encrypted.size(), 52u);
    ASSERT_TRUE(r.gateway->push(encrypted));
    ASSERT_TRUE(r.waitFor([&] { return callCount() == 1; }));
    auto meter = r.wireless.Snapshot(0);
    ASSERT_TRUE(meter);
    EXPECT_TRUE(meter->Cripted);
    EXPECT_TRUE(meter->List_Var.empty());

    TAESKey128 key{};
    const TBytes keyBytes = fake::hexBytes("0102030405060708090A0B0C0D0E0F11");
    std::copy(keyBytes.begin(), keyBytes.end(), key.begin());
    ASSERT_TRUE(r.engine->Insert_Wireless_Key(0, key));
    ASSERT_TRUE(r.waitFor([&] { return r.segment.keysLoaded().size() == 1 && r.engine->Step_Scan == 134; }));
    EXPECT_EQ(r.segment.keysLoaded()[0].Key, keyBytes);
    EXPECT_EQ(r.segment.keysLoaded()[0].Address, fake::hexBytes("78 56 34 12 93 15 33 03"));

    ASSERT_TRUE(r.gateway->push(encrypted));
    ASSERT_TRUE(r.waitFor([&] { return callCount() == 2; }));
    meter = r.wireless.Snapshot(0);
    EXPECT_FALSE(meter->Cripted);
    std::vector<const TVariable_MBus*> values;
    for (const TVariable_MBus& v : meter->List_Var)
        if (v.Real_Wireless_Var) values.push_back(&v);
    ASSERT_GE(values.size(), 2u);
    EXPECT_EQ(values[0]->ValueStr, "28504.27");
    EXPECT_EQ(values[0]->Desc_Type_Data, "Volume m3");
    EXPECT_EQ(values[1]->ValueStr, "31/05/08 23:50");
    {
        std::lock_guard lock(m);
        EXPECT_EQ(calls[0].index, 0);
        EXPECT_TRUE(calls[0].cripted);
        EXPECT_EQ(calls[0].values, 0u);
        EXPECT_EQ(calls[1].index, 0);
        EXPECT_FALSE(calls[1].cripted);
        EXPECT_GT(calls[1].values, 0u);
    }

    r.engine->Stop_Scan();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 1);
    EXPECT_FALSE(r.segment.configurationOn());
    EXPECT_EQ(r.segment.count(Cmd_Disable_Configuration.Sent), 1);
    EXPECT_EQ(r.engine->Bound_Port(), 0);
}

// Telegrams the gateway forwards in the same burst as a module's answer: each is heard, none is
// taken for the answer, and the scan goes on to load its key and listen again.
TEST(ScanEngineThread, TelegramsInTheSameBurstAsAModuleAnswerAreHeardAndTheScanGoesOn) {
    struct Case {
        const char* name;
        Segment::Radio module;
        std::string request;  // the request whose answer comes with the telegram
        int occurrence;       // of that request: 1 while configuring, 2 during the key load
        bool before;          // the telegram before the answer, else after it
        bool heardFirst;      // the burst comes before the meter the test sends while listening
    };
    const std::string rcConfig(1, char(RC_Config));
    const Case cases[] = {
        {"Telit: a telegram right after the OK to ATO", Segment::Radio::Telit, "ATO\r", 1, false, true},
        {"Telit key load: a telegram before the OK to +++", Segment::Radio::Telit, "+++", 2, true, false},
        {"Telit key load: a telegram after the OK to +++", Segment::Radio::Telit, "+++", 2, false, false},
        {"Telit key load: a telegram with the OK to the last key byte", Segment::Radio::Telit, "ATS485=15\r", 1,
         true, false},
        {"Radiocrafts key load: a telegram before the prompt", Segment::Radio::RadioCrafts, rcConfig, 2, true,
         false},
        {"Radiocrafts key load: a telegram after the prompt", Segment::Radio::RadioCrafts, rcConfig, 2, false,
         false},
    };
    constexpr uint16_t port = 47540;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig r(port);
        r.segment.Module = c.module;
        const TRadioModule radio =
            c.module == Segment::Radio::Telit ? TRadioModule::rmTelit : TRadioModule::rmRadioCrafts;
        const int listening = radio == TRadioModule::rmTelit ? 134 : 320;
        int seen = 0;
        r.segment.Burst = [&](const std::string& request, std::vector<TBytes>& datagrams) {
            if (request != c.request || ++seen != c.occurrence) return;
            const TBytes t = telegram(0x22222222, radio);
            datagrams.insert(c.before ? datagrams.begin() : datagrams.end(), t);
        };
        ASSERT_TRUE(r.startWireless(port));
        r.engine->Event_Run->SetEvent();
        ASSERT_TRUE(r.waitFor([&] { return r.engine->Step_Scan == listening || !r.engine->FInScan; }));
        ASSERT_TRUE(r.engine->FInScan);
        ASSERT_TRUE(r.gateway->push(telegram(0x11111111, radio)));
        ASSERT_TRUE(r.waitFor([&] { return r.wireless.Count() == (c.heardFirst ? 2 : 1); }));

        std::array<uint8_t, 16> key{};
        key.fill(0x0F);
        ASSERT_TRUE(r.engine->Insert_Wireless_Key(0, key));
        ASSERT_TRUE(r.waitFor([&] {
            return !r.engine->FInScan || (r.segment.keysLoaded().size() == 1 && r.engine->Step_Scan == listening);
        }));
        ASSERT_TRUE(r.engine->FInScan) << "the scan ended";
        EXPECT_EQ(r.engine->FResult, 1);
        EXPECT_EQ(r.segment.keysLoaded()[0].Key, TBytes(16, 0x0F));
        // Both meters listed, the one of the burst too, in the order heard, and each report made once.
        EXPECT_EQ(addresses(r.wireless), c.heardFirst ? (std::vector<uint32_t>{0x22222222, 0x11111111})
                                                      : (std::vector<uint32_t>{0x11111111, 0x22222222}));
        EXPECT_EQ(r.heard.count(), 2u);
        EXPECT_EQ(r.engine->UDP_Server->Overflowed_Datagrams(), 0u);

        r.engine->Stop_Scan();
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.engine->FResult, 1);
        EXPECT_EQ(r.wireless.Count(), 2) << "the meters stay after the scan";
    }
}

// A key the module refuses ends the scan, as a key load must; the meters heard stay listed and the
// cause is the key, not a device that was not found.
TEST(ScanEngineThread, RefusedKeyEndsTheScanAndKeepsTheMetersHeard) {
    constexpr uint16_t port = 47545;
    Rig r(port);
    r.segment.Module = Segment::Radio::Telit;
    r.segment.Refuse_Keys = true;
    ASSERT_TRUE(r.startWireless(port));
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.waitFor([&] { return r.engine->Step_Scan == 134; }));
    for (const uint32_t id : {0x11111111u, 0x22222222u}) ASSERT_TRUE(r.gateway->push(telegram(id)));
    ASSERT_TRUE(r.waitFor([&] { return r.wireless.Count() == 2; }));
    ASSERT_TRUE(r.engine->Insert_Wireless_Key(1, std::array<uint8_t, 16>{}));
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 2);
    EXPECT_EQ(r.engine->Failure, TMBusScanDecode::sfKeyLoad);
    EXPECT_EQ(addresses(r.wireless), (std::vector<uint32_t>{0x11111111, 0x22222222}));
    EXPECT_FALSE(r.segment.configurationOn());
}

// A whole primary scan over the sockets with a meter that answers too late, one whose second frame
// comes too late, one whose answer is corrupt and one that stays silent: every address is reported
// once, each meter found has its own values, and a late answer is never credited to the address
// asked after it.
TEST(ScanEngineThread, PrimaryScanOf250AddressesWithLateCorruptAndSilentMeters) {
    using fake::Meter;
    ASSERT_EQ(TimeOut_Long(2400, 0), 1802u);
    Meter late = fake::simpleMeter(1, 0x11111111);
    late.Late_Ms = 2500;  // after its wait: address 2 has been asked meanwhile
    Meter lateSecond = fake::simpleMeter(5, 0x55555555, true, 2);
    lateSecond.Late_Ms = 2500;
    lateSecond.Late_After = 1;  // its second frame comes after the wait
    Meter corrupt = fake::simpleMeter(100, 0x10010010);
    corrupt.Corrupt = true;
    Meter silent = fake::simpleMeter(101, 0x10110110);
    silent.Silent_After = 0;
    Rig r;
    r.segment.Meters = {late, lateSecond, corrupt, silent, fake::simpleMeter(120, 0x12012012),
                        fake::documentationMeter(250)};
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.start());
    ASSERT_TRUE(r.ended());

    std::vector<Report> expected{{1, 0, 0, 1}};
    for (int a = 0; a <= 250; ++a) expected.push_back({2, a, a == 5 || a == 120 || a == 250 ? 1 : 0, 1});
    expected.push_back({3, 0, 0, 1});
    EXPECT_EQ(r.reports.all(), expected);
    EXPECT_EQ(r.engine->FResult, 1);

    // Each meter found holds its own frames only.
    ASSERT_EQ(r.wired.Count(), 3);
    const auto five = r.wired.Snapshot(0);
    EXPECT_EQ(five->Primary_Addresss, 5);
    EXPECT_EQ(five->Secondary_Addresss, "55555555");
    ASSERT_EQ(five->List_Var.size(), 1u);  // the late second frame was not taken
    EXPECT_EQ(five->List_Var[0].totdati, "01000005");
    EXPECT_EQ(r.wired.Snapshot(1)->Primary_Addresss, 120);
    EXPECT_EQ(r.wired.Snapshot(1)->List_Var[0].totdati, "01000078");
    EXPECT_EQ(r.wired.Snapshot(2)->Primary_Addresss, 250);
    EXPECT_EQ(r.wired.Snapshot(2)->List_Var.size(), 3u);
    EXPECT_GE(r.engine->UDP_Server->Stale_Answers(), 2u) << "both late frames came and were dropped";

    // The addresses asked after the late answers were asked once each: no next frame was asked
    // for at an address that never answered.
    std::map<int, int> asked;
    for (const TBytes& f : r.segment.received())
        if (f.size() == 5 && f[0] == Short_Start && (f[1] == 0x7B || f[1] == 0x5B)) ++asked[f[2]];
    EXPECT_EQ(asked[2], 1);
    EXPECT_EQ(asked[6], 1);
    EXPECT_EQ(asked[5], 2);
}

// ---------------------------------------------------------------------------------------------
// The serial port.

namespace {

// A pseudo-terminal pair; the engine opens the slave as its serial port.
struct Pty {
    int master = -1;
    QString slave;
    Pty() {
        master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) ADD_FAILURE() << "no pseudo-terminal";
        slave = QString::fromLocal8Bit(::ptsname(master));
    }
    ~Pty() { ::close(master); }
    TBytes drain() {
        TBytes got;
        uint8_t buf[256];
        for (;;) {
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
    // Reads until `count` bytes came: waits on the terminal itself, bounded only to end a test whose
    // bytes never come.
    TBytes read(size_t count) {
        TBytes got;
        const QDeadlineTimer deadline(60s);
        while (got.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (::poll(&p, 1, int(deadline.remainingTime())) <= 0) break;
            const TBytes more = drain();
            got.insert(got.end(), more.begin(), more.end());
        }
        return got;
    }
};

}  // namespace

TEST(ScanEngineThread, SerialScansEndAtOnceAsFailures) {
    for (const auto type : {TMBusScanDecode::saPrimaryAddress, TMBusScanDecode::saSecondaryAddress}) {
        SCOPED_TRACE(int(type));
        Pty pty;
        Rig r;
        r.engine->Event_Run->SetEvent();
        ASSERT_TRUE(r.engine->Start_Scan(type, TMBusScanDecode::shSerial, pty.slave, 2400, 1, false, false, 3, false,
                                         0, false, r.reports.recorder()));
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.engine->FResult, 2);
        // Only the end report: no meter is reported not found.
        EXPECT_EQ(r.reports.all(), (std::vector<Report>{{3, 0, 0, type == TMBusScanDecode::saPrimaryAddress ? 1 : 2}}));
        EXPECT_TRUE(pty.drain().empty());
        EXPECT_FALSE(r.engine->Comm->Enabled());
    }
    {
        SCOPED_TRACE("wireless over the serial port sends nothing and fails");
        Pty pty;
        Rig r;
        r.engine->ComPort = pty.slave;
        r.engine->Event_Run->SetEvent();
        ASSERT_TRUE(r.engine->Start_Scan_Wireless(TMBusScanDecode::shSerial, kGateway, 0, 1, 0, false, {}, false));
        ASSERT_TRUE(r.ended());
        EXPECT_EQ(r.engine->FResult, 2);
        EXPECT_TRUE(pty.drain().empty());
    }
}

TEST(ScanEngineThread, SerialSendWritesTheBytesToThePort) {
    Pty pty;
    Rig r;
    ASSERT_TRUE(r.engine->Start_Scan(TMBusScanDecode::saPrimaryAddress, TMBusScanDecode::shSerial, pty.slave, 2400, 1,
                                     false, false, 3, false, 0, false, {}));
    r.engine->Send_Command("Quorim_Enable_Analyzer_Mode", Port_Wired_Scan);
    r.engine->Req_Array = Build_SND_NKE(0xFF);
    r.engine->Send_Command(Port_Wired_Scan);
    TBytes expected(Cmd_Enable_Analyzer.Sent.begin(), Cmd_Enable_Analyzer.Sent.end());
    const TBytes frame = Build_SND_NKE(0xFF);
    expected.insert(expected.end(), frame.begin(), frame.end());
    EXPECT_EQ(pty.read(expected.size()), expected);
}
