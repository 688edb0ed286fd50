// The scan engine's own thread over real loopback sockets against a fake gateway thread, and over
// a pseudo-terminal as its serial port.
#include "FakeGateway.h"
#include "mbus/CommInt.h"
#include "mbus/MBusMeters.h"
#include "mbus/UMBusScanDecode.h"
#include "mbus/UWMBusDecode.h"
#include "platform/FormatSettings.h"
#include "tests/support/Loopback.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

using namespace mbus;
using namespace std::chrono_literals;
using fake::Segment;

namespace {

const QString kGateway = testing_support::loopbackPeer("test_mbus");
const QString kOwn = testing_support::loopbackOwn("test_mbus");

using Report = std::array<int, 4>;

// Real time, but every wait of the engine 5 times shorter: one real millisecond is 5 ticks. The
// happy paths never run into a wait, so a loaded machine only makes them slower.
constexpr uint32_t kScale = 5;

TScanTiming fastTiming() {
    TScanTiming t;
    t.Ticks = [] {
        using namespace std::chrono;
        return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() * kScale);
    };
    t.Pause_Primary_Ms = 2;
    t.Pause_Secondary_Ms = 2;
    t.Step_Ms = 1;
    t.Idle_Ms = 1;
    return t;
}

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
    std::vector<Report> all() {
        std::lock_guard lock(m);
        return got;
    }
};

// Waits for a condition the engine's threads bring about; false after the deadline.
template <typename P>
bool waitFor(P pred, std::chrono::milliseconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

struct Rig {
    Segment segment;
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    Reports reports;
    std::unique_ptr<fake::UdpGateway> gateway;
    std::unique_ptr<TMBusScanDecode> engine;

    explicit Rig(TScanTiming timing = fastTiming()) {
        gateway = std::make_unique<fake::UdpGateway>(segment, kGateway);
        TScanEngineSetup setup;
        setup.Timing = std::move(timing);
        setup.Local_Address = kOwn;
        setup.Wired_List = &wired;
        setup.Wireless_List = &wireless;
        engine = std::make_unique<TMBusScanDecode>(setup);
    }
    ~Rig() { engine.reset(); }

    bool start(bool throwing = false, const QString& ip = kGateway) {
        return engine->Start_Scan(TMBusScanDecode::saPrimaryAddress, TMBusScanDecode::shEthernet, ip, 2400, 1, false,
                                  false, 3, false, 0, false, reports.recorder(throwing));
    }
    bool ended() { return waitFor([&] { return !engine->FInScan; }); }
};

}  // namespace

TEST(ScanEngineThread, PrimaryScanOverSocketsFindsTwoMeters) {
    Rig r;
    r.segment.Meters = {fake::simpleMeter(1, 0x11111111), fake::documentationMeter(2)};
    r.engine->Event_Run->SetEvent();
    // The window's callback throws on every report: the scan goes on all the same.
    ASSERT_TRUE(r.start(true));
    ASSERT_TRUE(waitFor([&] {
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

    // The thread is parked: nothing reaches the gateway while the gate is closed.
    std::this_thread::sleep_for(150ms);
    EXPECT_TRUE(r.engine->FInScan);
    EXPECT_TRUE(r.segment.received().empty());

    r.engine->Event_Run->SetEvent();
    EXPECT_TRUE(waitFor([&] { return !r.segment.received().empty(); }));
}

TEST(ScanEngineThread, FailedSendEndsTheScanAndTheNextOneRuns) {
    Rig r;
    r.segment.Meters = {fake::simpleMeter(0, 0x11111111)};
    r.engine->Event_Run->SetEvent();
    // Broadcast without permission: every send fails.
    ASSERT_TRUE(r.start(false, QStringLiteral("255.255.255.255")));
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 2);
    EXPECT_TRUE(r.reports.all().empty());

    ASSERT_TRUE(r.start());
    ASSERT_TRUE(waitFor([&] { return r.wired.Count() == 1; }));
    r.engine->Stop_Scan();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 1);
}

TEST(ScanEngineThread, LateGatewayFailsTheScan) {
    Rig r;
    r.segment.Delay_Ms = 3 * TimeOut_Text(0) / kScale;  // three text waits late
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.start());
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->FResult, 2);
    EXPECT_TRUE(r.reports.all().empty());
}

TEST(ScanEngineThread, DestroyingTheEngineMidScanReturnsPromptly) {
    // The production pauses: a step is mid-pause when the engine goes.
    TScanTiming timing;
    Rig r(timing);
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.start());
    ASSERT_TRUE(waitFor([&] { return r.reports.all().size() >= 1; }));
    const auto t0 = std::chrono::steady_clock::now();
    r.engine.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - t0, 400ms);
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

    // Run to its end: the endpoint goes inactive, and the next wired scan binds it on Q again.
    r.engine->Event_Run->SetEvent();
    ASSERT_TRUE(r.ended());
    EXPECT_EQ(r.engine->Bound_Port(), 0);
    r.engine->Event_Run->ResetEvent();
    ASSERT_TRUE(r.start());
    EXPECT_EQ(r.engine->Bound_Port(), Q);
}

TEST(ScanEngineThread, ListeningRadioReportsTelegramsFromTheListenerThread) {
    // A readable Telit telegram: meter 12345678 of "KAM", CI 0x7A without encryption, one volume
    // record, then the module's two trailer bytes.
    const TBytes telegram =
        fake::hexBytes("14 44 2D 2C 78 56 34 12 01 07 7A 2A 00 00 00 04 13 10 27 00 00 00 50");
    for (const bool dll : {false, true}) {
        SCOPED_TRACE(dll ? "one-argument form" : "window form");
        Rig r;
        std::mutex m;
        std::vector<std::tuple<int, bool, std::thread::id>> calls;
        constexpr uint16_t port = 47510;
        ASSERT_TRUE(r.engine->Start_Scan_Wireless(
            TMBusScanDecode::shEthernet, kGateway, port, 1, 0, false,
            [&](int index, const TSlave_wMBus* meter) {
                std::lock_guard lock(m);
                calls.emplace_back(index, meter && meter->ALA_Address == 0x12345678 && !meter->List_Var.empty(),
                                   std::this_thread::get_id());
            },
            dll));
        r.engine->Wireless_Listen(true);
        r.gateway->sendTo(kOwn, port, telegram);
        ASSERT_TRUE(waitFor([&] {
            std::lock_guard lock(m);
            return !calls.empty();
        }));
        {
            std::lock_guard lock(m);
            ASSERT_EQ(calls.size(), 1u);
            EXPECT_EQ(std::get<0>(calls[0]), 0);
            EXPECT_EQ(std::get<1>(calls[0]), !dll);
            EXPECT_NE(std::get<2>(calls[0]), std::this_thread::get_id());
        }
        ASSERT_EQ(r.wireless.Count(), 1);
        EXPECT_FALSE(r.wireless.Snapshot(0)->Cripted);

        // Not listening: the datagram is an answer for the steps again.
        r.engine->Wireless_Listen(false);
        r.gateway->sendTo(kOwn, port, telegram);
        ASSERT_TRUE(waitFor([&] { return r.engine->UDP_Server->Answer_Arrived(); }));
        EXPECT_EQ(r.engine->UDP_Server->Read_Answer().Bytes, telegram);
        std::lock_guard lock(m);
        EXPECT_EQ(calls.size(), 1u);
    }
}

TEST(ScanEngineThread, TelitGatewayOverSocketsDecodesTheMeterOnceItsKeyIsLoaded) {
    plat::setFormatSettingsOverride(plat::FormatSettings{});
    struct Restore {
        ~Restore() { plat::setFormatSettingsOverride(std::nullopt); }
    } restore;
    // Gateway and engine on the same port, each on its own loopback address.
    constexpr uint16_t port = 47520;
    Segment segment;
    segment.Module = Segment::Radio::Telit;
    fake::UdpGateway gateway(segment, kGateway, port);
    TMBusSlaveList wired;
    TWMBusSlaveList wireless;
    TScanEngineSetup setup;
    setup.Timing = fastTiming();
    setup.Local_Address = kOwn;
    setup.Wired_List = &wired;
    setup.Wireless_List = &wireless;
    TMBusScanDecode engine(setup);

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
    ASSERT_TRUE(engine.Start_Scan_Wireless(
        TMBusScanDecode::shEthernet, kGateway, port, wMBus_Mode_T, 0, false,
        [&](int index, const TSlave_wMBus* meter) {
            std::lock_guard lock(m);
            calls.push_back({index, meter->Cripted, meter->List_Var.size()});
        },
        false));
    EXPECT_EQ(engine.Bound_Port(), port);
    engine.Event_Run->SetEvent();
    ASSERT_TRUE(waitFor([&] { return engine.Step_Scan == 134 && segment.radioListening(); }));

    // The open metering example for security mode 5 behind an extended link layer (CI 0x8C), with
    // the Telit trailer: 52 bytes.
    const TBytes telegram = fake::hexBytes(
        "31 44 93 15 78 56 34 12 33 03 8C 20 2B 7A 2A 00 20 05 59 23 C9 5A AA 26 D1 B2 E7 49 3B 01 3E C4 A6 F6 "
        "D3 52 9B 52 0E DF F0 EA 6D EF C9 9D 6D 69 EB F3 00 50");
    ASSERT_EQ(telegram.size(), 52u);
    ASSERT_TRUE(gateway.push(telegram));
    ASSERT_TRUE(waitFor([&] { return callCount() == 1; }));
    auto meter = wireless.Snapshot(0);
    ASSERT_TRUE(meter);
    EXPECT_TRUE(meter->Cripted);
    EXPECT_TRUE(meter->List_Var.empty());

    TAESKey128 key{};
    const TBytes keyBytes = fake::hexBytes("0102030405060708090A0B0C0D0E0F11");
    std::copy(keyBytes.begin(), keyBytes.end(), key.begin());
    ASSERT_TRUE(engine.Insert_Wireless_Key(0, key));
    ASSERT_TRUE(waitFor([&] { return segment.keysLoaded().size() == 1 && engine.Step_Scan == 134; }));
    EXPECT_EQ(segment.keysLoaded()[0].Key, keyBytes);
    EXPECT_EQ(segment.keysLoaded()[0].Address, fake::hexBytes("78 56 34 12 93 15 33 03"));

    ASSERT_TRUE(gateway.push(telegram));
    ASSERT_TRUE(waitFor([&] { return callCount() == 2; }));
    meter = wireless.Snapshot(0);
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

    engine.Stop_Scan();
    ASSERT_TRUE(waitFor([&] { return !engine.FInScan; }));
    EXPECT_EQ(engine.FResult, 1);
    EXPECT_FALSE(segment.configurationOn());
    EXPECT_EQ(segment.count(Cmd_Disable_Configuration.Sent), 1);
    EXPECT_EQ(engine.Bound_Port(), 0);
}

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
    TBytes got;
    ASSERT_TRUE(waitFor([&] {
        const TBytes more = pty.drain();
        got.insert(got.end(), more.begin(), more.end());
        return got.size() >= 32;
    }));
    TBytes expected(Cmd_Enable_Analyzer.Sent.begin(), Cmd_Enable_Analyzer.Sent.end());
    const TBytes frame = Build_SND_NKE(0xFF);
    expected.insert(expected.end(), frame.begin(), frame.end());
    EXPECT_EQ(got, expected);
}
